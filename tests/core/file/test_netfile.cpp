// Open, save and round trips of the network file in every version.
#include <cstdlib>
#include <tuple>

#include <sys/wait.h>

#include <gtest/gtest.h>

#include "netfile_fixture.h"
#include "core/calc/AttributeValues.h"
#include "core/edit/EditingInternal.h"

using namespace netfiletest;

namespace {

int ActiveLinks(const TNetWindow& net)
{
    int n = 0;
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points)
            if (TNode* node = p->AsNode())
                for (TLink* h : node->Links)
                    if (h->AEnd() == 1 && h->LinkValues->Active) ++n;
    return n;
}

TNode* FindNamed(const TNetWindow& net, const std::string& name)
{
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points)
            if (TNode* n = p->AsNode(); n && n->Name == name) return n;
    return nullptr;
}

} // namespace

// A file written in any version reads back without a message; a file read
// in a version and saved in it again is written byte for byte.
TEST(NetworkFile, EveryVersionRoundTripsByteForByte)
{
    for (int v : {1, 3, 4, 5, 6, 7, 8, 9}) {
        SCOPED_TRACE("version " + std::to_string(v));
        TNetWindow net, back, again;
        MakeRichNetwork(net);
        TRoundTrip t = RoundTrip(net, v, "v" + std::to_string(v), back);
        EXPECT_EQ(t.Opened.Status, TOpenStatus::Ok) << t.Opened.Detail;
        EXPECT_EQ(t.Opened.ReadVersion, v);
        EXPECT_EQ(t.Messages.Count(), 0u);
        EXPECT_EQ(t.First.substr(0, t.First.find("\r\n")), NetworkFileTag(v));
        EXPECT_EQ(t.First.find('\n'), t.First.find("\r\n") + 1); // CRLF line ends
        TRoundTrip u = RoundTrip(back, v, "w" + std::to_string(v), again);
        EXPECT_TRUE(t.Second == u.First) << DiffLine(t.Second, u.First);
        EXPECT_TRUE(u.First == u.Second) << DiffLine(u.First, u.Second);
        EXPECT_EQ(ActiveLinks(back), 3);
        EXPECT_NE(FindNamed(back, "Alpha"), nullptr);
    }
    // Version 9 holds everything but the clipboard background's name.
    TNetWindow net, back;
    MakeRichNetwork(net);
    net.Backgrounds.Metafile[1].FileName.clear();
    TRoundTrip t = RoundTrip(net, 9, "v9whole", back);
    EXPECT_TRUE(t.First == t.Second) << DiffLine(t.First, t.Second);
}

// Links that outgrew their room and room taken over by later nodes save and
// read back as they were made; a node that gained and lost a polygon, a note
// and a source code saves as one that never had them.
TEST(NetworkFile, GrownLinkRoomAndClearedRareMembersSaveUnchanged)
{
    auto build = [](TNetWindow& net, bool gainAndLose) {
        MakeRichNetwork(net);
        TNode* hub = Node(net, 3000, 0, 0, "Hub");
        for (int i = 1; i <= 5; ++i) Link(net, hub, Node(net, 3000 + 100 * i, 50, 0, "F" + std::to_string(i)), 0);
        TNode* x = Node(net, 3000, 900, 0, "X");
        for (int i = 1; i <= 3; ++i) Link(net, Node(net, 3000 + 100 * i, 950, 0, "Y" + std::to_string(i)), x, 1);
        TNode* e = Node(net, -900, -900, 0, "E");
        if (!gainAndLose) return;
        e->SetNote("gone&&");
        e->SetSourceCode("S1");
        e->SetSourceKey(5);
        for (TNetworkPoint* p : {static_cast<TNetworkPoint*>(hub), static_cast<TNetworkPoint*>(x)}) {
            e->OwnPolygonRef().Insert(p);
            net.PolygonsRef(p).Insert(e);
        }
        UpdateNodePolygonBox(net, e);
        EXPECT_NE(e->PolygonBox(), EmptyBox);
        for (TNetworkPoint* p : {static_cast<TNetworkPoint*>(hub), static_cast<TNetworkPoint*>(x)}) net.DropPolygons(p);
        e->OwnPolygonRef().Clear();
        UpdateNodePolygonBox(net, e);
        e->SetNote("");
        e->SetSourceCode("");
        e->SetSourceKey(0);
        EXPECT_EQ(e->Rare, nullptr);
    };
    TNetWindow plain, edited, back, again;
    build(plain, false);
    build(edited, true);
    const std::string p = TempPath("lean_plain.dta"), q = TempPath("lean_edited.dta");
    TMessageSinkRecorder messages;
    SaveNetworkFile(plain, p, 9, messages);
    SaveNetworkFile(edited, q, 9, messages);
    EXPECT_TRUE(ReadAll(p) == ReadAll(q)) << DiffLine(ReadAll(p), ReadAll(q));

    TRoundTrip t = RoundTrip(edited, 9, "lean", back);
    ASSERT_EQ(t.Opened.Status, TOpenStatus::Ok) << t.Opened.Detail;
    TRoundTrip u = RoundTrip(back, 9, "lean2", again);
    EXPECT_TRUE(t.Second == u.First) << DiffLine(t.Second, u.First);
    EXPECT_TRUE(u.First == u.Second) << DiffLine(u.First, u.Second);
    TNode* hub = FindNamed(back, "Hub");
    ASSERT_NE(hub, nullptr);
    ASSERT_EQ(hub->Links.GetCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(hub->Links.At(i)->FarNode->Name, "F" + std::to_string(i + 1));
        EXPECT_EQ(hub->Links.At(i)->AEnd(), 1);
    }
    TNode* x = FindNamed(back, "X");
    ASSERT_NE(x, nullptr);
    ASSERT_EQ(x->Links.GetCount(), 3);
    for (TLink* h : x->Links) EXPECT_EQ(h->AEnd(), 0);
    EXPECT_EQ(FindNamed(back, "E")->Rare, nullptr);
}

// Names held in place (up to 7 bytes), in a block (8 and more) or empty, and
// string values, read into the network's text storage and saved byte for
// byte; what is copied out of the stored records (the attribute sheet, a
// link's style) keeps its own texts when the stored ones change.
TEST(NetworkFile, NamesAndStringValuesOfEveryLengthRoundTrip)
{
    TNetWindow net, back, again;
    MakeRichNetwork(net);
    net.Backgrounds.Metafile[1].FileName.clear();
    const std::string longName(200, 'L'), longValue = "a string value of more than sixty bytes, of which 30 are held";
    const struct {
        const char* Name;
        std::string Value;
    } nodes[] = {{"Seven77", "node 123456"}, {"Eight888", ""}, {"", "v"}, {"", longValue}, {"N1", "x y"}};
    std::vector<TNode*> made;
    int x = 3000;
    for (const auto& n : nodes) {
        made.push_back(Node(net, x += 100, 700, 1, n.Name));
        made.back()->Strings.Set(0, n.Value);
    }
    made.push_back(Node(net, x += 100, 700, 1, longName));
    net.MaxX = x;
    const char* linkNames[] = {"Link7ab", "Link8abc", "", "a link name of forty bytes, give or take"};
    for (size_t i = 0; i < 4; ++i) {
        TLinkValues* l = Link(net, made[i], made[i + 1], 1);
        l->Name = linkNames[i];
        l->Strings.Set(0, i % 2 ? "road" : longValue);
    }
    TRoundTrip t = RoundTrip(net, 9, "texts", back);
    ASSERT_EQ(t.Opened.Status, TOpenStatus::Ok) << t.Opened.Detail;
    EXPECT_TRUE(t.First == t.Second) << DiffLine(t.First, t.Second);
    TRoundTrip u = RoundTrip(back, 9, "texts2", again);
    EXPECT_TRUE(u.First == t.First) << DiffLine(u.First, t.First);

    TNode* seven = FindNamed(back, "Seven77");
    TNode* eight = FindNamed(back, "Eight888");
    TNode* tail = FindNamed(back, longName);
    ASSERT_TRUE(seven && eight && tail);
    EXPECT_TRUE(seven->Name.IsInPlace());
    EXPECT_TRUE(eight->Name.IsStored() && tail->Name.IsStored());
    EXPECT_TRUE(seven->Strings.IsStored());
    EXPECT_EQ(seven->Strings[0], "node 123456");
    EXPECT_EQ(eight->Strings.size(), 1u);
    EXPECT_EQ(eight->Strings[0], "");
    TLinkValues* stored = nullptr;
    for (TLink* h : eight->Links)
        if (h->LinkValues->Name == "Link8abc") stored = h->LinkValues;
    ASSERT_NE(stored, nullptr);
    EXPECT_TRUE(stored->Name.IsStored() && stored->Strings.IsStored());

    // The attribute sheet: the node's values change, the store's do not.
    const std::string_view sevenValue = seven->Strings[0];
    TElementEdit edit = NodeEdit(back, seven);
    edit.Strings.Set(0, "from the sheet");
    StoreEditValues(back, edit);
    EXPECT_EQ(seven->Strings[0], "from the sheet");
    EXPECT_FALSE(seven->Strings.IsStored());
    EXPECT_EQ(sevenValue, "node 123456");
    // A link's record copied (a split), then the stored link renamed and changed.
    TLinkValues* copy = Link(back, seven, tail, 1);
    editing::CopyLinkRecord(back, copy, stored, 1, true);
    stored->Name = "renamed link";
    stored->Strings.Set(0, "changed");
    EXPECT_EQ(copy->Name, "Link8abc");
    EXPECT_EQ(copy->Strings[0], "road");
    EXPECT_FALSE(copy->Name.IsStored() || copy->Strings.IsStored());
    tail->Name += "!";
    EXPECT_EQ(tail->Name, longName + "!");
    EXPECT_EQ(FindNamed(again, longName)->Name, longName);
}

// A record may list fewer values than its class holds (a file written
// before the class grew): the values it does not list read as 0 and its
// string values as empty, never as those of the record read before it.
TEST(NetworkFile, ValuesARecordDoesNotListAreEmpty)
{
    TNetWindow net, back;
    TEntityClass& nc = *net.NodeClasses;
    nc[1].Name = "Zone";
    AddAttribute(nc, 1, "Population", 'R');
    AddAttribute(nc, 1, "Label", 'S');
    AddAttribute(nc, 1, "Count", 'R');
    AddAttribute(nc, 1, "Other", 'S');
    NumberStringAttributes(nc);
    TEntityClass& lc = *net.LinkClasses;
    lc[1].Name = "Road";
    AddAttribute(lc, 1, "Speed", 'R');
    AddAttribute(lc, 1, "Street", 'S');
    NumberStringAttributes(lc);
    TNode* a = Node(net, 0, 0, 1, "A");
    TNode* b = Node(net, 100, 0, 1, "B");
    TNode* c = Node(net, 200, 0, 1, "C");
    for (TNode* n : {a, b}) {
        const bool isA = n == a;
        n->Values[0] = Real(isA ? 15 : 25);
        n->Strings.Set(0, isA ? "alpha" : "gamma");
        n->Values[2] = Real(isA ? 7 : 8);
        n->Strings.Set(1, isA ? "beta" : "delta");
    }
    TLinkValues* ab = Link(net, a, b, 1);
    ab->Values[0] = Real(50);
    ab->Strings.Set(0, "Main Street");
    TLinkValues* bc = Link(net, b, c, 1);
    bc->Values[0] = Real(30);
    bc->Strings.Set(0, "Side Street");
    net.MaxX = 200;
    const std::string path = TempPath("fewer.dta");
    TMessageSinkRecorder rec;
    ASSERT_TRUE(SaveNetworkFile(net, path, 9, rec).Ok);
    std::string file = ReadAll(path);
    // B's record lists one value, the link from B none.
    auto shorten = [&](const std::string& from, const std::string& to) {
        const size_t at = file.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        file.replace(at, from.size(), to);
    };
    shorten("1 100 0 1 2 1 4 0 0 0\r\nB\r\n25.0\r\ngamma\r\n8.0\r\ndelta\r\n", "1 100 0 1 2 1 1 0 0 0\r\nB\r\n25.0\r\n");
    shorten("1 100 0 200 0 1 2 3 2 0\r\n\r\n30.0\r\nSide Street\r\n", "1 100 0 200 0 1 2 3 0 0\r\n\r\n");
    WriteAll(path, file);
    ASSERT_EQ(OpenNetworkFile(back, path, true, rec).Status, TOpenStatus::Ok);
    TNode* a2 = FindNamed(back, "A");
    TNode* b2 = FindNamed(back, "B");
    ASSERT_TRUE(a2 && b2);
    EXPECT_EQ(a2->Strings.at(0), "alpha");
    EXPECT_EQ(a2->Strings.at(1), "beta");
    EXPECT_EQ(b2->Values[0].Real(), 25);
    EXPECT_EQ(b2->Values[2].Real(), 0);
    ASSERT_EQ(b2->Strings.size(), 2u);
    EXPECT_EQ(b2->Strings[0], "");
    EXPECT_EQ(b2->Strings[1], "");
    ASSERT_EQ(b2->Links.GetCount(), 2);
    const TLinkValues* side = b2->Links.At(1)->LinkValues;
    EXPECT_EQ(a2->Links.At(0)->LinkValues->Strings.at(0), "Main Street");
    EXPECT_EQ(side->Values[0].Real(), 0);
    ASSERT_EQ(side->Strings.size(), 1u);
    EXPECT_EQ(side->Strings[0], "");
}

TEST(NetworkFile, Version9KeepsEveryRecord)
{
    TNetWindow net, back;
    MakeRichNetwork(net);
    TRoundTrip t = RoundTrip(net, 9, "keep9", back);
    ASSERT_EQ(t.Opened.Status, TOpenStatus::Ok) << t.Opened.Detail;
    TNode* a = FindNamed(back, "Alpha");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Values[0].Real(), 1234.5);
    EXPECT_EQ(UnpackShortText(a->Values[2]).substr(0, 2), "BC");
    int err = 0;
    EXPECT_EQ(a->Values[3], TextToDateTime("5/6/1999,10:20:30", err, DateTimeModeBoth, UnknownDateTime()));
    EXPECT_EQ(a->Strings.at(0), "first zone");
    EXPECT_EQ(a->Note(), "line one&&line two&&");
    EXPECT_EQ(a->Longitude, -900000000);
    EXPECT_EQ(a->Elevation, 12345);
    EXPECT_EQ(a->Label2, 105);
    ASSERT_EQ(a->Links.GetCount(), 1);
    TLinkValues* ab = a->Links.At(0)->LinkValues;
    EXPECT_EQ(ab->ShapePoints.GetCount(), 3);
    EXPECT_EQ(ab->Strings.at(0), "Main Street");
    EXPECT_EQ(ab->Note, "bridge&&");
    TNode* d = nullptr;
    for (THashEntry* cell : back.NodeHash)
        for (TNetworkPoint* p : cell->Points)
            if (p->AsNode() && p->AsNode()->OwnPolygon().GetCount()) d = p->AsNode();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->OwnPolygon().GetCount(), 4);
    EXPECT_TRUE(d->OwnPolygon().At(2)->IsShapePoint());
    EXPECT_EQ(back.Search.PolygonCriterion.Owner, d);
    EXPECT_EQ(back.Search.PolygonCriterion.Outside, 1);
    EXPECT_EQ(back.Title, "Test network");
    EXPECT_EQ(back.TemplateNode.Font, 1);
    EXPECT_EQ(back.SystemValues[1].Real(), 2.5);
    EXPECT_EQ(back.SystemValues[5].Real(), 12000);
    EXPECT_EQ(back.SystemStrings.at(0), "Planning Office");
    EXPECT_EQ((*back.SystemClass)[1].Attributes[2]->TopRow, 2);
    EXPECT_EQ((*back.SystemClass)[1].Attributes[1]->Description, "scale of the map");
    EXPECT_EQ(back.Labels.FirstLinkLabelLocation, 2);
    EXPECT_EQ(back.Widths.LinkWidthExpressions[1], "A1*2:A2");
    EXPECT_EQ(back.Display.PolygonStyles[3], (TPolygonStyle{0x112233, 2, 1, 0x445566, 25}));
    EXPECT_EQ(back.Display.ShortestPath.StartNames[1], (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(back.Backgrounds.Raster[1].FileName, "C:\\maps\\city.jpg");
    EXPECT_EQ(back.Backgrounds.Metafile[1].FileName, ""); // the clipboard is not a file
    EXPECT_EQ(back.UnitsName, "Feet");
    EXPECT_EQ(back.LongLat.PixelsPerDegreeLat, -364560.0);
    EXPECT_EQ(back.Description.DescriptionText, "first\r\nsecond\r\n");
    EXPECT_EQ(back.ExtractFormats.SeparationMode, 2);
    const TAttrib& label = *(*back.NodeClasses)[1].Attributes[5];
    EXPECT_EQ(label.Active, 1);
    EXPECT_EQ(label.LowText, "zone");
    EXPECT_EQ(label.HighText, "first");
    EXPECT_EQ((*back.NodeClasses)[1].Attributes[1]->High, 2000.5);
}

// A label dragged straight up or down, with no other extra, has its extras
// record from version 7 and reads back with the offset it had; version 6
// holds no offsets.
TEST(NetworkFile, AVerticalLabelOffsetAloneIsKept)
{
    for (int v : {6, 7, 8, 9}) {
        SCOPED_TRACE("version " + std::to_string(v));
        TNetWindow net, back;
        TNode* a = Node(net, 0, 0, 0, "Up");
        TNode* b = Node(net, 500, 0, 0, "Down");
        Node(net, 900, 0, 0, "Plain");
        a->SetLabelOffset(0, 4);
        b->SetLabelOffset(0, -4);
        TLinkValues* l = Link(net, a, b, 0);
        l->LabelYOffset = 4;
        net.MaxX = 900; // the extents a reader finds
        TRoundTrip t = RoundTrip(net, v, "voffset" + std::to_string(v), back);
        ASSERT_EQ(t.Opened.Status, TOpenStatus::Ok) << t.Opened.Detail;
        EXPECT_TRUE(t.First == t.Second) << DiffLine(t.First, t.Second);
        TNode* up = FindNamed(back, "Up");
        TNode* down = FindNamed(back, "Down");
        ASSERT_TRUE(up && down);
        ASSERT_EQ(up->Links.GetCount(), 1);
        const int16_t want = v >= 7 ? 4 : 0;
        EXPECT_EQ(up->LabelXOffset(), 0);
        EXPECT_EQ(up->LabelYOffset(), want);
        EXPECT_EQ(down->LabelYOffset(), -want);
        EXPECT_EQ(up->Links.At(0)->LinkValues->LabelXOffset, 0);
        EXPECT_EQ(up->Links.At(0)->LinkValues->LabelYOffset, want);
        EXPECT_EQ(FindNamed(back, "Plain")->Rare, nullptr);
    }
}

// Only files before version 7 hold layer states of 0 and 1; from version 7
// a layer's zoom state above 1 is written and read back as it is.
TEST(NetworkFile, LayerZoomStatesAboveOneFromVersion7)
{
    for (int v : {5, 6, 7, 8, 9}) {
        SCOPED_TRACE("version " + std::to_string(v));
        TNetWindow net, back;
        MakeRichNetwork(net);
        net.Layers.LayerStates[4] = 1;
        net.Layers.LayerStates[7] = 12;
        TRoundTrip t = RoundTrip(net, v, "layers" + std::to_string(v), back);
        ASSERT_EQ(t.Opened.Status, TOpenStatus::Ok) << t.Opened.Detail;
        EXPECT_EQ(back.Layers.LayerStates[2], v < 7 ? 1 : 5);
        EXPECT_EQ(back.Layers.LayerStates[7], v < 7 ? 1 : 12);
        EXPECT_EQ(back.Layers.LayerStates[4], 1);
        EXPECT_EQ(back.Layers.LayerNames[2], "Streets");
    }
}

// A display setting outside its list (a font slot beyond the font table, a
// title-block position beyond the world, an extract option not among its
// choices) does not make a file unreadable: it is read, kept, and saved
// back as it was.
TEST(NetworkFile, DisplayValuesOutsideTheirListsOpenAndSaveUnchanged)
{
    for (int v : {7, 9}) {
        SCOPED_TRACE("version " + std::to_string(v));
        TNetWindow net, back;
        MakeRichNetwork(net);
        net.Backgrounds.Metafile[1].FileName.clear(); // the clipboard's is not written
        TDescription& d = net.Description;
        d.ShowProject = 1;
        d.Project = "Ring road";
        d.ProjectFont = 12;
        d.AuthorFont = -1;
        d.DescriptionFont = 2000000000;
        d.X = 600000;
        d.Y = -2147483647;
        net.Labels.NodePosition = 40;
        net.Labels.NodeLength = 300;
        net.Labels.Precision = 20;
        net.Labels.NodeClassFont[1] = 11;
        net.Labels.LinkClassFont[2] = -1;
        net.Widths.NodeLegendFont = 12;
        net.Widths.LinkLegendFont = -3;
        TExtractFormats& x = net.ExtractFormats;
        x.SeparationMode = 4;
        x.UpdateOldNew = 9;
        x.AssumeNames = 2;
        x.OnlyNodesWithPolygons = 7;
        x.FilterNodesWithoutLinks = 255;
        TRoundTrip t = RoundTrip(net, v, "outside" + std::to_string(v), back);
        ASSERT_EQ(t.Opened.Status, TOpenStatus::Ok) << t.Opened.Detail;
        EXPECT_EQ(t.Messages.Count(), 0u);
        EXPECT_TRUE(t.First == t.Second) << DiffLine(t.First, t.Second);
        const TDescription& b = back.Description;
        EXPECT_EQ(b.ProjectFont, 12);
        EXPECT_EQ(b.AuthorFont, -1);
        EXPECT_EQ(b.DescriptionFont, 2000000000);
        EXPECT_EQ(b.X, 600000);
        EXPECT_EQ(b.Y, -2147483647);
        EXPECT_EQ(b.DrawX(), 512000);
        EXPECT_EQ(b.DrawY(), -512000);
        EXPECT_EQ(back.Labels.NodePosition, 40);
        EXPECT_EQ(back.Labels.NodeLength, 300);
        EXPECT_EQ(back.Labels.Precision, 20);
        EXPECT_EQ(back.Labels.NodeClassFont[1], 11);
        EXPECT_EQ(back.Labels.LinkClassFont[2], -1);
        EXPECT_EQ(back.Widths.NodeLegendFont, 12);
        EXPECT_EQ(back.Widths.LinkLegendFont, -3);
        EXPECT_EQ(FindNamed(back, "Alpha") != nullptr, true);
        if (v >= 9) {
            const TExtractFormats& y = back.ExtractFormats;
            EXPECT_EQ(y.SeparationMode, 4);
            EXPECT_EQ(y.UpdateOldNew, 9);
            EXPECT_EQ(y.AssumeNames, 2);
            EXPECT_EQ(y.OnlyNodesWithPolygons, 7);
            EXPECT_EQ(y.FilterNodesWithoutLinks, 255);
        }
    }
}

// Below version 8 a text value is written "0.0", below version 5 a date: a
// class section that names the kind anyway reads them as empty, on open and on
// append alike.
TEST(NetworkFile, PlaceholdersOfOlderVersionsReadAsEmpty)
{
    TNetWindow net;
    MakeRichNetwork(net);
    for (const auto& [version, attribute, kind] : {std::tuple{7, "Label", 'S'}, std::tuple{4, "Opened", 'D'}}) {
        SCOPED_TRACE("version " + std::to_string(version));
        TMessageSinkRecorder rec;
        const std::string path = TempPath("placeholder-v" + std::to_string(version) + ".dta");
        ASSERT_TRUE(SaveNetworkFile(net, path, version, rec).Ok);
        std::string file = ReadAll(path);
        std::string line = attribute;
        line.resize(30, ' ');
        line += " 0 R ";
        const size_t at = file.find(line);
        ASSERT_NE(at, std::string::npos);
        file[at + line.size() - 2] = kind;
        WriteAll(path, file);
        for (bool open : {true, false}) {
            TNetWindow back;
            ASSERT_EQ(OpenNetworkFile(back, path, open, rec).Status, TOpenStatus::Ok);
            const TNode* a = FindNamed(back, "Alpha");
            ASSERT_NE(a, nullptr);
            ASSERT_EQ((*back.NodeClasses)[1].Attr(kind == 'S' ? 5 : 4)->Kind, kind);
            if (kind == 'S') {
                ASSERT_EQ(a->Strings.size(), 1u);
                EXPECT_EQ(a->Strings[0], "");
            } else {
                EXPECT_EQ(a->Values[3], UnknownDateTime());
            }
        }
        EXPECT_EQ(rec.Count(), 0u);
    }
}

// The schema dialogs may leave a class unnamed below named ones: the elements
// of the named classes after it keep their class and values.
TEST(NetworkFile, AClassAfterAnUnnamedOneIsKept)
{
    TNetWindow net, back;
    TEntityClass& nc = *net.NodeClasses;
    nc[1].Name = "Stop";
    nc[3].Name = "Zone";
    AddAttribute(nc, 3, "Population", 'R');
    AddAttribute(nc, 3, "Label", 'S');
    NumberStringAttributes(nc);
    TEntityClass& lc = *net.LinkClasses;
    lc[2].Name = "Rail";
    AddAttribute(lc, 2, "Speed", 'R');
    NumberStringAttributes(lc);
    TNode* z = Node(net, 0, 0, 3, "Z");
    z->Values[0] = Real(1200);
    z->Strings.Set(0, "north");
    TNode* s = Node(net, 100, 0, 1, "S");
    Link(net, z, s, 2)->Values[0] = Real(60);
    net.MaxX = 100;
    const TRoundTrip t = RoundTrip(net, 9, "gap", back);
    ASSERT_EQ(t.Opened.Status, TOpenStatus::Ok);
    const TNode* z2 = FindNamed(back, "Z");
    ASSERT_NE(z2, nullptr);
    EXPECT_EQ(z2->EntityType, 3);
    ASSERT_EQ(SlotCount(*z2), 2);
    EXPECT_EQ(z2->Values[0].Real(), 1200);
    EXPECT_EQ(z2->Strings.at(0), "north");
    ASSERT_EQ(z2->Links.GetCount(), 1);
    const TLinkValues* rail = z2->Links.At(0)->LinkValues;
    EXPECT_EQ(rail->EntityType, 2);
    EXPECT_EQ(rail->Values[0].Real(), 60);
    EXPECT_TRUE(t.First == t.Second) << DiffLine(t.First, t.Second);
}

TEST(NetworkFile, OlderVersionsDropWhatTheyCannotHold)
{
    TNetWindow net, v5;
    MakeRichNetwork(net);
    RoundTrip(net, 5, "drop5", v5);
    TNode* a = FindNamed(v5, "Alpha");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Links.At(0)->LinkValues->ShapePoints.GetCount(), 0); // no shape-point lines in v 5
    EXPECT_EQ(a->Note(), "");                                            // notes from v 7
    EXPECT_EQ(a->Label2, 105);                                         // 15 in the file, 105 again
    EXPECT_EQ(v5.Labels.NodeLabelCodes[1][2], 105);
    EXPECT_EQ(v5.Widths.LinkStyleMode, 2); // the arrow mode is newer
    EXPECT_EQ(v5.Display.PolygonStyles[3].FillStyle, 6);

    // 9 -> 1 -> 9 keeps nodes, links and real values.
    TNetWindow v1, again;
    RoundTrip(net, 1, "to1", v1);
    TRoundTrip t = RoundTrip(v1, 9, "back9", again);
    EXPECT_EQ(t.Opened.Status, TOpenStatus::Ok);
    ASSERT_NE(FindNamed(again, "Beta"), nullptr);
    EXPECT_EQ(FindNamed(again, "Alpha")->Values[0].Real(), 1234.5);
    EXPECT_EQ(ActiveLinks(again), 3);
    EXPECT_EQ(again.SystemValues[1].Real(), 2.5);
}

// What a version holds comes back from a file of that version: the long/lat
// and elevation of shape points from version 8, category codes of all eight
// characters (in the body and in the system values) from version 6.
TEST(NetworkFile, ShapePointLongLatFromVersion8AndEightCharacterCodesFromVersion6)
{
    for (int v : {5, 6, 7, 8, 9}) {
        SCOPED_TRACE("version " + std::to_string(v));
        TNetWindow net, back;
        (*net.NodeClasses)[1].Name = "Zone";
        AddAttribute(*net.NodeClasses, 1, "Type", 'C', 8);
        NumberStringAttributes(*net.NodeClasses);
        AddAttribute(*net.SystemClass, 1, "Kind", 'C', 8);
        NumberStringAttributes(*net.SystemClass);
        net.SystemValues[1] = PackShortText("SYSTEM78");
        TNode* a = Node(net, 0, 0, 1, "A");
        a->Values[0] = PackShortText("ABCDEFGH");
        TNode* b = Node(net, 1000, 0, 0, "B");
        Link(net, a, b, 0);
        for (int i = 0; i < 2; ++i) {
            TShapePoint* s = AddShapePoint(net, 300 + 400 * i, 50, i, a->Links.At(0));
            s->Longitude = -870000000 - i;
            s->Latitude = 420000000 + i;
            s->Elevation = 1775000 + i;
        }
        net.MaxX = 1000;
        TRoundTrip t = RoundTrip(net, v, "gates" + std::to_string(v), back);
        ASSERT_EQ(t.Opened.Status, TOpenStatus::Ok) << t.Opened.Detail;
        EXPECT_TRUE(t.First == t.Second) << DiffLine(t.First, t.Second);
        TNode* a2 = FindNamed(back, "A");
        ASSERT_NE(a2, nullptr);
        EXPECT_EQ(UnpackShortText(a2->Values[0]), v >= 6 ? "ABCDEFGH" : "ABCDEF  ");
        EXPECT_EQ(UnpackShortText(back.SystemValues[1]), v >= 6 ? "SYSTEM78" : "SYSTEM  ");
        ASSERT_EQ(a2->Links.GetCount(), 1);
        const TLinkValues* l = a2->Links.At(0)->LinkValues;
        ASSERT_EQ(l->ShapePoints.GetCount(), v >= 6 ? 2 : 0);
        for (int i = 0; i < l->ShapePoints.GetCount(); ++i) {
            const TShapePoint* s = l->ShapePoints.At(i);
            EXPECT_EQ(s->X, 300 + 400 * i);
            EXPECT_EQ(s->Longitude, v >= 8 ? -870000000 - i : 0);
            EXPECT_EQ(s->Latitude, v >= 8 ? 420000000 + i : 0);
            EXPECT_EQ(s->Elevation, v >= 8 ? 1775000 + i : 0);
        }
    }
}

// A save walks the hash and renumbers: the second save writes the same file.
TEST(NetworkFile, SerialsFollowTheWalkOrder)
{
    TNetWindow net;
    MakeRichNetwork(net);
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points)
            if (p->AsNode()) p->AsNode()->Serial = 999;
    TMessageSinkRecorder rec;
    const std::string path = TempPath("serials.dta");
    ASSERT_TRUE(SaveNetworkFile(net, path, 9, rec).Ok);
    int32_t expected = 0;
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points)
            if (p->AsNode()) {
                EXPECT_EQ(p->AsNode()->Serial, ++expected);
            }
    EXPECT_FALSE(net.Modified);
}

TEST(NetworkFile, GoldenFiles)
{
    for (int v : {5, 9}) {
        TNetWindow net;
        MakeRichNetwork(net);
        TMessageSinkRecorder rec;
        const std::string name = "rich-v" + std::to_string(v) + ".dta";
        const std::string path = TempPath(name);
        ASSERT_TRUE(SaveNetworkFile(net, path, v, rec).Ok);
        const std::string golden = ReadAll(std::string(TARVEX_TEST_DATA) + "/netfile/" + name);
        ASSERT_FALSE(golden.empty()) << name;
        EXPECT_TRUE(ReadAll(path) == golden) << name << " " << DiffLine(ReadAll(path), golden);
    }
}

TEST(NetworkFile, LineFeedOnlyFilesRead)
{
    TNetWindow net, lf;
    MakeRichNetwork(net);
    net.Backgrounds.Metafile[1].FileName.clear();
    TMessageSinkRecorder rec;
    const std::string a = TempPath("crlf.dta"), b = TempPath("lf.dta"), c = TempPath("lf_saved.dta");
    SaveNetworkFile(net, a, 9, rec);
    std::string bytes = ReadAll(a), plain;
    for (char ch : bytes)
        if (ch != '\r') plain += ch;
    WriteAll(b, plain);
    EXPECT_EQ(OpenNetworkFile(lf, b, true, rec).Status, TOpenStatus::Ok);
    SaveNetworkFile(lf, c, 9, rec);
    EXPECT_TRUE(ReadAll(c) == bytes) << DiffLine(ReadAll(c), bytes);
    EXPECT_EQ(rec.Count(), 0u);
}

TEST(NetworkFile, AppendOffsetsSerialsAndKeepsSettings)
{
    TNetWindow net, window;
    MakeRichNetwork(net);
    TMessageSinkRecorder rec;
    const std::string path = TempPath("append.dta");
    SaveNetworkFile(net, path, 9, rec);
    ASSERT_EQ(OpenNetworkFile(window, path, true, rec).Status, TOpenStatus::Ok);
    window.FileName = "window.dta";
    window.Labels.Precision = 7;
    const int32_t before = window.NodeCount;
    TOpenOptions keep;
    window.SystemStrings = {"mine"};
    ASSERT_EQ(OpenNetworkFile(window, path, false, rec, keep).Status, TOpenStatus::Ok);
    EXPECT_EQ(window.NodeCount, 2 * before);
    EXPECT_EQ(ActiveLinks(window), 6);
    EXPECT_EQ(window.Store.Texts.ChunkCount(), 2u); // the appended texts came along
    EXPECT_EQ(window.Labels.Precision, 7);
    EXPECT_EQ(window.FileName, "window.dta");
    EXPECT_EQ(window.SystemStrings, (std::vector<std::string>{"mine"}));
    int maxSerial = 0;
    for (THashEntry* cell : window.NodeHash)
        for (TNetworkPoint* p : cell->Points)
            if (p->AsNode()) maxSerial = std::max(maxSerial, p->AsNode()->Serial);
    EXPECT_EQ(maxSerial, 2 * before);
    // The appended polygon's vertices know their owner, as the first one's do
    // (an editing step that walks a vertex's owners reaches both).
    int owners = 0, vertices = 0;
    for (THashEntry* cell : window.NodeHash)
        for (TNetworkPoint* p : cell->Points)
            if (const TNode* n = p->AsNode(); n && n->OwnPolygon().GetCount() > 0) {
                ++owners;
                for (const TNetworkPoint* v : n->OwnPolygon()) {
                    ++vertices;
                    EXPECT_GE(window.PolygonsOf(v).IndexOf(n), 0);
                }
            }
    EXPECT_EQ(owners, 2);
    EXPECT_EQ(vertices, 8);
    // The merged network saves and reads back whole.
    TNetWindow back;
    TRoundTrip t = RoundTrip(window, 9, "appended", back);
    EXPECT_EQ(t.Opened.Status, TOpenStatus::Ok);
    EXPECT_EQ(ActiveLinks(back), 6);

    TOpenOptions use;
    use.UseAppendedSystemValues = true;
    window.SystemValues[1] = Real(9);
    ASSERT_EQ(OpenNetworkFile(window, path, false, rec, use).Status, TOpenStatus::Ok);
    EXPECT_EQ(window.SystemValues[1].Real(), 2.5);
    EXPECT_EQ(window.SystemStrings, (std::vector<std::string>{"Planning Office"}));
}

TEST(NetworkFile, FilesOfEveryVersionAppend)
{
    TNetWindow net;
    MakeRichNetwork(net);
    for (int v : {1, 3, 4, 5, 6, 7, 8, 9}) {
        SCOPED_TRACE("version " + std::to_string(v));
        TMessageSinkRecorder rec;
        const std::string older = TempPath("append-v" + std::to_string(v) + ".dta");
        ASSERT_TRUE(SaveNetworkFile(net, older, v, rec).Ok);
        TNetWindow window;
        MakeRichNetwork(window);
        window.SystemValues[1] = Real(9);
        const int32_t before = window.NodeCount;
        const TOpenResult r = OpenNetworkFile(window, older, false, rec);
        ASSERT_EQ(r.Status, TOpenStatus::Ok) << r.Detail;
        EXPECT_EQ(rec.Count(), 0u);
        EXPECT_EQ(window.NodeCount, 2 * before);
        EXPECT_EQ(ActiveLinks(window), 6);
        EXPECT_EQ(window.SystemValues[1].Real(), 9); // the window's values stay
        // The merged network saves and reads back whole.
        TNetWindow back;
        const TRoundTrip t = RoundTrip(window, 9, "appended-v" + std::to_string(v), back);
        EXPECT_EQ(t.Opened.Status, TOpenStatus::Ok);
        EXPECT_EQ(ActiveLinks(back), 6);
    }
}

TEST(NetworkFile, EmptyNetworkAsksToKeepTheName)
{
    TNetWindow empty;
    TMessageSinkRecorder rec;
    const std::string path = TempPath("empty.dta");
    ASSERT_TRUE(SaveNetworkFile(empty, path, 9, rec).Ok);
    TNetWindow a;
    rec.Answers = {IDNO};
    TOpenOptions ask;
    ask.AskKeepName = true;
    EXPECT_EQ(OpenNetworkFile(a, path, true, rec, ask).Status, TOpenStatus::Ok);
    ASSERT_EQ(rec.Count(), 1u);
    EXPECT_EQ(rec.Last().Text, "Later save to this file name?");
    EXPECT_EQ(rec.Last().Caption, "Open");
    EXPECT_EQ(a.FileName, DefaultFileName);
    TNetWindow b;
    rec.Clear();
    rec.Answers = {IDYES};
    OpenNetworkFile(b, path, true, rec, ask);
    EXPECT_EQ(b.FileName, path);
}

// The command-line driver beside this test program.
TEST(NetworkFile, RoundTripDriver)
{
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "netfile-roundtrip";
    ASSERT_TRUE(std::filesystem::exists(exe));
    const std::string out = TempPath("driver.dta"), log = TempPath("driver.txt");
    const std::string golden = std::string(TARVEX_TEST_DATA) + "/netfile/rich-v9.dta";
    int rc = std::system(("'" + exe + "' '" + golden + "' '" + out + "' 5 > '" + log + "'").c_str());
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(ReadAll(log), "nodes 4 links 3 shapepoints 3 polygons 1\n");
    EXPECT_EQ(ReadAll(out).substr(0, 10), "ZOK 1.05\r\n");
    WriteAll(out, "ZOK 1.02\r\n");
    rc = std::system(("'" + exe + "' '" + out + "' '" + TempPath("never.dta") + "' > '" + log + "'").c_str());
    EXPECT_NE(rc, 0);
    EXPECT_EQ(ReadAll(log), "Network Read Error 1\nNetwork will be closed.\n");
    EXPECT_FALSE(std::filesystem::exists(TempPath("never.dta")));
    // A version that is none, also one whose low 32 bits would make 9, is a usage error: nothing is saved.
    for (const char* version : {"4294967305", "2", "10", "", "9x"}) {
        rc = std::system(("'" + exe + "' '" + golden + "' '" + TempPath("never.dta") + "' '" + version + "' 2> '" + log +
                          "'").c_str());
        EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 2) << version;
        EXPECT_EQ(ReadAll(log), "netfile-roundtrip: VERSION must be 1 or 3..9\n") << version;
        EXPECT_FALSE(std::filesystem::exists(TempPath("never.dta"))) << version;
    }
}
