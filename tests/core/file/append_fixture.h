// Two networks whose classes differ, for the append tests of the core, the
// windows and the batch: a window's network and a network appended to it,
// and the elements of a network as a reader of its file sees them.
#pragma once

#include <map>
#include <string>

#include "core/file/NetworkBody.h"
#include "core/model/NetworkQueries.h"
#include "netfile_fixture.h"

namespace appendtest {

using namespace netfiletest;

inline TValueSlot Date(const char* text, int mode)
{
    int err = 0;
    return TextToDateTime(text, err, mode, UnknownDateTime());
}

// The window's network: node class 1 "Stop" (R, S, C, S), link class 1
// "Road" (R), four system attributes (R, C, S, X), two linked nodes at x 0
// and 100, a title and a polygon criterion.
inline void MakeWindowNetwork(TNetWindow& net)
{
    TEntityClass& nc = *net.NodeClasses;
    nc[1].Name = "Stop";
    AddAttribute(nc, 1, "Pop", 'R');
    AddAttribute(nc, 1, "Name", 'S');
    AddAttribute(nc, 1, "Code", 'C', 2);
    AddAttribute(nc, 1, "Label", 'S');
    NumberStringAttributes(nc);
    TEntityClass& lc = *net.LinkClasses;
    lc[1].Name = "Road";
    AddAttribute(lc, 1, "Speed", 'R');
    NumberStringAttributes(lc);
    TEntityClass& sc = *net.SystemClass;
    AddAttribute(sc, 1, "Scale", 'R');
    AddAttribute(sc, 1, "Kind", 'C', 2);
    AddAttribute(sc, 1, "Author", 'S');
    AddAttribute(sc, 1, "Day", 'X');
    NumberStringAttributes(sc);
    net.SystemValues[1] = Real(2.5);
    net.SystemValues[2] = PackShortText("AB");
    net.SystemValues[4] = Date("3/14/2001", DateTimeModeDate);
    net.SystemStrings = {"Planning"};

    TNode* s1 = Node(net, 0, 0, 1, "S1");
    s1->Values[0] = Real(100);
    s1->Values[2] = PackShortText("AB");
    s1->Strings = {"first", "here"};
    TNode* s2 = Node(net, 100, 0, 1, "S2");
    Link(net, s1, s2, 1)->Values[0] = Real(30);
    RecomputeExtents(net);
    net.Title = "Window";
    net.Search.PolygonCriterion = {s1, 1, 0, 1, 0};
}

// The appended network: node class 1 "Zone" (I, R, C of three positions to
// the window's two, S, X: its 'S' at 4, the window's at 2 and 4), node class
// 2 "Depot" (R), which the window does not define, link class 1 "Rail" (R,
// S), system attributes (C, C, R, S, R); no title, no polygon criterion. Z1 at
// (1000, 0) holds a value in every attribute, Z2 at (1100, 0) none, Z3 at
// (1300, 0) a code of three characters, D1 at (1200, 100) is a depot.
inline void MakeAppendedNetwork(TNetWindow& net)
{
    TEntityClass& nc = *net.NodeClasses;
    nc[1].Name = "Zone";
    AddAttribute(nc, 1, "Count", 'I');
    AddAttribute(nc, 1, "Area", 'R');
    AddAttribute(nc, 1, "Code", 'C', 3);
    AddAttribute(nc, 1, "Label", 'S');
    AddAttribute(nc, 1, "Opened", 'X');
    nc[2].Name = "Depot";
    AddAttribute(nc, 2, "Bays", 'R');
    NumberStringAttributes(nc);
    TEntityClass& lc = *net.LinkClasses;
    lc[1].Name = "Rail";
    AddAttribute(lc, 1, "Speed", 'R');
    AddAttribute(lc, 1, "Operator", 'S');
    NumberStringAttributes(lc);
    TEntityClass& sc = *net.SystemClass;
    AddAttribute(sc, 1, "Code", 'C', 2);
    AddAttribute(sc, 1, "Kind", 'C', 2);
    AddAttribute(sc, 1, "Trips", 'R');
    AddAttribute(sc, 1, "Note", 'S');
    AddAttribute(sc, 1, "Spare", 'R');
    NumberStringAttributes(sc);
    net.SystemValues[1] = PackShortText("Q1");
    net.SystemValues[2] = PackShortText("ZZ");
    net.SystemValues[3] = Real(7);
    net.SystemStrings = {"text"};

    TNode* z1 = Node(net, 1000, 0, 1, "Z1");
    z1->Values[0] = Real(7);
    z1->Values[1] = Real(3.5);
    z1->Values[2] = PackShortText("Q1");
    z1->Strings = {"north"};
    z1->Values[4] = Date("3/5/2026", DateTimeModeDate);
    TNode* z2 = Node(net, 1100, 0, 1, "Z2");
    z2->Values[4] = UnknownDateTime();
    TNode* z3 = Node(net, 1300, 0, 1, "Z3");
    z3->Values[2] = PackShortText("XYZ");
    z3->Values[4] = UnknownDateTime();
    TNode* d1 = Node(net, 1200, 100, 2, "D1");
    d1->Values[0] = Real(9);
    TLinkValues* rail = Link(net, z1, z2, 1);
    rail->Values[0] = Real(40);
    rail->Strings = {"Metro"};
    Link(net, z2, d1, 0);
    RecomputeExtents(net);
}

inline std::string Saved(TNetWindow& net, const std::string& name, int version = 9)
{
    const std::string path = TempPath(name);
    TMessageSinkRecorder rec;
    EXPECT_TRUE(SaveNetworkFile(net, path, version, rec).Ok);
    return path;
}

// An element as a reader of the file sees it: its class name, its name, then
// each attribute of its class as name, kind and value text.
template <class E>
std::string Describe(const TEntityClass& classes, const E& e)
{
    const TClassRecord& c = classes[e.EntityType];
    std::string s = c.Name + "|" + std::string(e.Name.view());
    for (int i = 1; i <= c.AttributeCount; ++i) {
        const TAttrib& a = *c.Attr(i);
        std::string text;
        if (a.Kind == 'S') {
            if (a.StringIndex < e.Strings.size()) text = std::string(e.Strings[a.StringIndex].view());
        } else {
            bool realError = false;
            const TValueSlot v = i <= SlotCount(e) ? e.Values[size_t(i - 1)] : TValueSlot{};
            text = AttributeValueText(a.Kind, a.TopRow, std::string(), v, 9, realError);
        }
        s += "|" + a.Name + ":" + a.Kind + "=" + text;
    }
    return s;
}

// The nodes by their place "x,y", the links by their ends' places.
inline std::map<std::string, std::string> NodesByPlace(const TNetwork& net)
{
    std::map<std::string, std::string> m;
    ForEachNode(net, [&](const TNode* n) {
        if (n->Active) m[std::to_string(n->X) + "," + std::to_string(n->Y)] = Describe(*net.NodeClasses, *n);
    });
    return m;
}
inline std::map<std::string, std::string> LinksByPlace(const TNetwork& net)
{
    std::map<std::string, std::string> m;
    ForEachLink(net, [&](const TLink* h) {
        const TLinkValues& l = *h->LinkValues;
        m[std::to_string(l.ANode->X) + "," + std::to_string(l.ANode->Y) + "-" + std::to_string(l.BNode->X) + "," +
          std::to_string(l.BNode->Y)] = Describe(*net.LinkClasses, l);
    });
    return m;
}

// The value text of an attribute, named, of the element described.
inline std::string ValueOf(const std::string& description, const std::string& attribute)
{
    const std::string key = "|" + attribute + ":";
    const size_t at = description.find(key);
    if (at == std::string::npos) return "<no " + attribute + ">";
    const size_t from = description.find('=', at) + 1;
    const size_t to = description.find('|', from);
    return description.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

// The appended elements as the window's classes hold them, from the appended
// file read alone: in "Stop" the integer count in the real "Pop", the code
// where it fits two positions, and the text of the fourth attribute (the
// first 'S' of "Zone", the second of "Stop"); the depot of no class; the rail
// in "Road" with its speed.
struct TPlaced {
    std::map<std::string, std::string> Nodes, Links;
};
inline TPlaced AppendedIntoWindow(const TNetwork& alone)
{
    const auto nodes = NodesByPlace(alone), links = LinksByPlace(alone);
    auto stop = [&](const std::string& place, const char* name, const std::string& code) {
        const std::string& z = nodes.at(place);
        return "Stop|" + std::string(name) + "|Pop:R=" + ValueOf(z, "Count") + "|Name:S=|Code:C=" + code +
               "|Label:S=" + ValueOf(z, "Label");
    };
    TPlaced p;
    EXPECT_EQ(ValueOf(nodes.at("1000,0"), "Code"), "Q1 ");
    EXPECT_EQ(ValueOf(nodes.at("1300,0"), "Code"), "XYZ");
    p.Nodes["1000,0"] = stop("1000,0", "Z1", "Q1");
    p.Nodes["1100,0"] = stop("1100,0", "Z2", "  ");
    p.Nodes["1300,0"] = stop("1300,0", "Z3", "  ");
    p.Nodes["1200,100"] = "Undefined|D1";
    p.Links["1000,0-1100,0"] = "Road||Speed:R=" + ValueOf(links.at("1000,0-1100,0"), "Speed");
    p.Links["1100,0-1200,100"] = links.at("1100,0-1200,100");
    return p;
}

// Each element of expected is in net as described.
inline void ExpectPlaced(const TNetwork& net, const TPlaced& expected)
{
    const auto nodes = NodesByPlace(net), links = LinksByPlace(net);
    for (const auto& [place, d] : expected.Nodes) {
        ASSERT_TRUE(nodes.count(place)) << place;
        EXPECT_EQ(nodes.at(place), d);
    }
    for (const auto& [place, d] : expected.Links) {
        ASSERT_TRUE(links.count(place)) << place;
        EXPECT_EQ(links.at(place), d);
    }
}

// The message an append of the appended network into the window's gives.
inline std::string LossesText(bool withSystem)
{
    std::string text = "Appended Values Not Kept.\n\rNode Values = 4\n\rLink Values = 1";
    if (withSystem) text += "\n\rSystem Values = 3";
    return text + "\n\rNodes Moved to Class 0 = 1";
}

} // namespace appendtest
