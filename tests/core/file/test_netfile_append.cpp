// Appending a network file whose classes differ from the window's, compared
// element by element with the file read alone.
#include <gtest/gtest.h>

#include <set>

#include "append_fixture.h"
#include "core/edit/SchemaEdit.h"
#include "core/model/NetworkQueries.h"

using namespace appendtest;

namespace {

std::unique_ptr<TNetWindow> OpenAlone(const std::string& path)
{
    auto net = std::make_unique<TNetWindow>();
    TMessageSinkRecorder rec;
    EXPECT_EQ(OpenNetworkFile(*net, path, true, rec).Status, TOpenStatus::Ok);
    return net;
}

TOpenResult Append(TNetWindow& window, const std::string& path, bool useAppended, TMessageSinkRecorder& rec)
{
    TOpenOptions o;
    o.UseAppendedSystemValues = useAppended;
    return OpenNetworkFile(window, path, false, rec, o);
}

std::string Pad30(std::string s) { return s.resize(30, ' '), s; }

// A version 3 file: no system attributes; the node classes, then the link
// classes, each "Name:kinds" (a letter per attribute; class 0 first, the rest
// up to class 10 unnamed); "END OF APPLICATION" and the body.
std::string V3File(std::vector<std::string> nodeClasses, const std::string& body)
{
    std::string t = "ZOK 1.03\n";
    for (int i = 0; i < 10; ++i) t += std::string(33, ' ') + "0.0          0 0\n";
    std::vector<std::string> linkClasses{"Undefined"};
    for (auto* list : {&nodeClasses, &linkClasses}) {
        list->resize(MaxClasses + 1);
        for (const std::string& c : *list) {
            const std::string kinds = c.find(':') == std::string::npos ? "" : c.substr(c.find(':') + 1);
            t += Pad30(c.substr(0, c.find(':'))) + " 1 1 " + std::to_string(kinds.size()) + "\n";
            for (char k : kinds) t += Pad30(std::string("A") + k) + "0 " + k + " 0\n";
        }
    }
    return t + "END OF APPLICATION\n" + body + "FALSE 0 0 0 0 0 0\nFALSE 0 0 0 0 0 0 0 0\n";
}

std::string Written(const std::string& name, const std::string& text)
{
    WriteAll(TempPath(name), text);
    return TempPath(name);
}

} // namespace

TEST(NetworkAppend, ClassesThatDifferKeepWhatFitsAndReportTheRestOnce)
{
    TNetWindow w, a;
    MakeWindowNetwork(w);
    MakeAppendedNetwork(a);
    const std::string windowFile = Saved(w, "append-window.dta"), appended = Saved(a, "append-appended.dta");
    const auto alone = OpenAlone(appended);

    for (bool useAppended : {false, true}) {
        SCOPED_TRACE(useAppended ? "appended system values" : "existing system values");
        TNetWindow window;
        TMessageSinkRecorder rec;
        ASSERT_EQ(OpenNetworkFile(window, windowFile, true, rec).Status, TOpenStatus::Ok);
        const auto ownNodes = NodesByPlace(window);
        const auto ownLinks = LinksByPlace(window);
        ASSERT_EQ(Append(window, appended, useAppended, rec).Status, TOpenStatus::Ok);

        // The window's classes and elements stay as they were; the appended
        // ones hold each value where the window's attribute at its place is
        // of its kind (the file's count of a zone is 7).
        EXPECT_EQ((*window.NodeClasses)[1].Name, "Stop");
        EXPECT_EQ((*window.NodeClasses)[1].AttributeCount, 4);
        EXPECT_TRUE((*window.NodeClasses)[2].Name.empty());
        ExpectPlaced(window, {ownNodes, ownLinks});
        const TPlaced appendedHere = AppendedIntoWindow(*alone);
        ExpectPlaced(window, appendedHere);
        EXPECT_EQ(ValueOf(appendedHere.Nodes.at("1000,0"), "Pop"), "7.0");
        EXPECT_EQ(ValueOf(appendedHere.Nodes.at("1000,0"), "Label"), "north");
        const auto nodes = NodesByPlace(window);
        const auto links = LinksByPlace(window);
        EXPECT_EQ(nodes.size(), ownNodes.size() + appendedHere.Nodes.size());

        // System values: only the code of "Kind", the one attribute of the
        // same kind in both; the window's text and date stay.
        EXPECT_EQ(window.SystemValues[1].Real(), 2.5);
        EXPECT_EQ(UnpackShortText(window.SystemValues[2]), useAppended ? "ZZ      " : "AB      ");
        EXPECT_EQ(window.SystemStrings, (std::vector<std::string>{"Planning"}));
        EXPECT_EQ(window.SystemValues[4], Date("3/14/2001", DateTimeModeDate));
        EXPECT_EQ((*window.SystemClass)[1].Attr(1)->Name, "Scale");

        // One message counts what found no place: Z1's area (the window
        // holds a text there) and its date (no fifth attribute), Z3's code
        // (three characters), the depot's bays (no class 2), the rail's
        // operator; and the system values.
        ASSERT_EQ(rec.Count(), 1u);
        EXPECT_EQ(rec.Last().Text, LossesText(useAppended));
        EXPECT_EQ(rec.Last().Caption, "Open/Append");

        // And so it saves and reads back.
        TNetWindow back;
        const TRoundTrip t = RoundTrip(window, 9, "append-differing", back);
        EXPECT_EQ(t.Opened.Status, TOpenStatus::Ok);
        EXPECT_EQ(NodesByPlace(back), nodes);
        EXPECT_EQ(LinksByPlace(back), links);
    }
}

TEST(NetworkAppend, AWindowWithoutClassesTakesTheAppendedOnes)
{
    TNetWindow a;
    MakeAppendedNetwork(a);
    for (int version : {8, 9}) {
        SCOPED_TRACE("version " + std::to_string(version));
        const std::string appended = Saved(a, "append-new-v" + std::to_string(version) + ".dta", version);
        const auto alone = OpenAlone(appended);
        for (bool useAppended : {false, true}) {
            TNetWindow window;
            THashEntry* cell = nullptr;
            TNode* own = AddNode(window, -500, -500, cell, false, 0);
            own->Name = "own";
            TMessageSinkRecorder rec;
            ASSERT_EQ(Append(window, appended, useAppended, rec).Status, TOpenStatus::Ok);
            EXPECT_EQ(rec.Count(), 0u) << rec.Last().Text;

            // Every element appended is the file's, read alone; the window's
            // own node stays, of no class.
            auto nodes = NodesByPlace(window);
            EXPECT_EQ(nodes["-500,-500"], "Undefined|own");
            nodes.erase("-500,-500");
            EXPECT_EQ(nodes, NodesByPlace(*alone));
            EXPECT_EQ(LinksByPlace(window), LinksByPlace(*alone));
            for (int c = 0; c <= MaxClasses; ++c) {
                EXPECT_EQ((*window.NodeClasses)[c].Name, (*alone->NodeClasses)[c].Name);
                EXPECT_EQ((*window.LinkClasses)[c].AttributeCount, (*alone->LinkClasses)[c].AttributeCount);
            }

            // The system attributes come with their values when the user
            // takes the appended ones.
            const TClassRecord& sys = (*window.SystemClass)[1];
            if (useAppended) {
                ASSERT_EQ(sys.AttributeCount, (*alone->SystemClass)[1].AttributeCount);
                for (int i = 1; i <= sys.AttributeCount; ++i) {
                    EXPECT_EQ(sys.Attr(i)->Name, (*alone->SystemClass)[1].Attr(i)->Name);
                    EXPECT_EQ(window.SystemValues[i], alone->SystemValues[i]) << i;
                }
                EXPECT_EQ(window.SystemStrings, alone->SystemStrings);
            } else {
                EXPECT_EQ(sys.AttributeCount, 0);
            }
        }
    }
}

TEST(NetworkAppend, SerialsFollowTheHighestAndTheWindowKeepsItsTitleAndCriterion)
{
    TNetWindow w, a, rich;
    MakeWindowNetwork(w);
    MakeAppendedNetwork(a);
    MakeRichNetwork(rich);
    const std::string appended = Saved(a, "append-serials.dta");
    TNetWindow window;
    TMessageSinkRecorder rec;
    ASSERT_EQ(OpenNetworkFile(window, Saved(w, "append-serials-window.dta"), true, rec).Status, TOpenStatus::Ok);
    // As a file whose nodes are numbered 5 and 6 leaves them.
    int32_t serial = 5;
    ForEachNode(window, [&](TNode* n) { n->Serial = serial++; });
    const TNode* owner = window.Search.PolygonCriterion.Owner;
    ASSERT_NE(owner, nullptr);

    ASSERT_EQ(Append(window, appended, false, rec).Status, TOpenStatus::Ok);
    std::multiset<int32_t> serials;
    ForEachNode(window, [&](TNode* n) { serials.insert(n->Serial); });
    EXPECT_EQ(serials, (std::multiset<int32_t>{5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(window.NodeCount, 6);
    EXPECT_EQ(LinksByPlace(window).size(), 3u);

    // The appended file has no title and no criterion: the window's stay.
    EXPECT_EQ(window.Title, "Window");
    EXPECT_EQ(window.Search.PolygonCriterion.Owner, owner);
    EXPECT_EQ(window.Search.PolygonCriterion.Outside, 1);

    // A file that has both brings them.
    ASSERT_EQ(Append(window, Saved(rich, "append-serials-rich.dta"), false, rec).Status, TOpenStatus::Ok);
    EXPECT_EQ(window.Title, "Test network");
    ASSERT_NE(window.Search.PolygonCriterion.Owner, nullptr);
    EXPECT_EQ(window.Search.PolygonCriterion.Owner->X, 2500);
    EXPECT_GT(window.Search.PolygonCriterion.Owner->Serial, 10);
}

TEST(NetworkAppend, AFileOpenRefusesIsRefusedAndTheWindowStaysAsItWas)
{
    TNetWindow w, a;
    MakeWindowNetwork(w);
    MakeAppendedNetwork(a);
    // Its node-class list one line short (the depot's attribute), and 10,000
    // node-class records (unnamed ones before the link classes).
    const std::string good = ReadAll(Saved(a, "append-refused.dta", 4));
    std::string cut = good, many = good, unnamed;
    cut.erase(cut.find("Bays"), cut.find('\n', cut.find("Bays")) + 1 - cut.find("Bays"));
    for (int i = MaxClasses + 1; i < 10000; ++i) unnamed += Pad30("") + " 1 1 0\r\n";
    many.insert(many.find("Undefined", many.find("Undefined") + 1), unnamed);
    for (const auto& [name, text] : {std::pair{"cut", cut}, std::pair{"many", many}}) {
        const std::string path = Written(std::string("append-refused-") + name + ".dta", text);
        TNetWindow window;
        TMessageSinkRecorder rec;
        ASSERT_EQ(OpenNetworkFile(window, path, true, rec).Status, TOpenStatus::Failed) << name;
        ASSERT_EQ(OpenNetworkFile(window, Saved(w, "append-refused-window.dta"), true, rec).Status, TOpenStatus::Ok);
        const std::string before = ReadAll(Saved(window, "append-refused-before.dta"));
        rec.Clear();
        EXPECT_EQ(Append(window, path, false, rec).Status, TOpenStatus::Failed);
        ASSERT_EQ(rec.Count(), 1u);
        EXPECT_EQ(rec.Last().Text,
                  "Network Read Error 1\n\r" + path + "\n\rNothing was appended; the network is as it was.");
        EXPECT_EQ(rec.Last().Caption, "Append");
        const std::string after = ReadAll(Saved(window, "append-refused-after.dta"));
        EXPECT_TRUE(after == before) << name << ": " << DiffLine(before, after);
    }
}

TEST(NetworkAppend, AnElementOfAClassTheWindowLeavesUnnamedJoinsClass0)
{
    TNetWindow window;
    (*window.NodeClasses)[1].Name = "Bus";
    (*window.NodeClasses)[3].Name = "Rail";
    AddAttribute(*window.NodeClasses, 3, "A1", 'R');
    // a1 of the file's class 2 "Depot", b1 of class 3.
    const std::string path = Written("append-unnamed.dta",
                                     V3File({"Undefined", "Bus", "Depot:R", "Rail:R"},
                                            " TRUE 0 0 1 1 2 1\na1\n5.0\n TRUE 9 0 1 2 3 1\nb1\n8.0\n"));
    TMessageSinkRecorder rec;
    ASSERT_EQ(Append(window, path, false, rec).Status, TOpenStatus::Ok);
    EXPECT_EQ(NodesByPlace(window),
              (std::map<std::string, std::string>{{"0,0", "Undefined|a1"}, {"9,0", "Rail|b1|A1:R=8.0"}}));
    ASSERT_EQ(rec.Count(), 1u);
    EXPECT_EQ(rec.Last().Text, "Appended Values Not Kept.\n\rNode Values = 1\n\rNodes Moved to Class 0 = 1");
}

TEST(NetworkAppend, AfterAReadANewNodeTakesASerialNoNodeHolds)
{
    std::string body; // serials 10, 20, ... 70
    for (int i = 1; i <= 7; ++i) body += " TRUE " + std::to_string(i) + " 0 1 " + std::to_string(10 * i) + " 0 0\n\n";
    const std::string path = Written("append-gaps.dta", V3File({"Undefined"}, body));
    for (bool open : {true, false}) {
        TNetWindow window; // an append joins two nodes of the window's
        for (int i = 0; i < (open ? 0 : 2); ++i) Node(window, i, 500, 0, "own");
        TMessageSinkRecorder rec;
        ASSERT_EQ(OpenNetworkFile(window, path, open, rec).Status, TOpenStatus::Ok);
        for (int i = 0; i < 8; ++i) Node(window, i, 900, 0, "plotted");
        std::set<int32_t> serials;
        ForEachNode(window, [&](const TNode* n) { EXPECT_TRUE(serials.insert(n->Serial).second) << open; });
    }
}

TEST(NetworkAppend, TemplateValuesThatFindNoPlaceAreCounted)
{
    TNetWindow w, a, window;
    MakeWindowNetwork(w);
    MakeAppendedNetwork(a);
    // A "Zone" template: its count and label fit "Stop", its area (a text
    // there), code of three characters and date do not; a "Rail" one whose
    // operator finds no place in "Road".
    TNode& t = a.TemplateNode;
    t.EntityType = a.TemplateLinkValues.EntityType = 1;
    t.Values[0] = a.TemplateLinkValues.Values[0] = Real(7);
    t.Values[1] = Real(3.5);
    t.Values[2] = PackShortText("XYZ");
    t.Values[4] = Date("3/5/2026", DateTimeModeDate);
    t.Strings = {"north"};
    a.TemplateLinkValues.Strings = {"Metro"};
    TMessageSinkRecorder rec;
    ASSERT_EQ(OpenNetworkFile(window, Saved(w, "append-template-window.dta"), true, rec).Status, TOpenStatus::Ok);
    ASSERT_EQ(Append(window, Saved(a, "append-template.dta"), false, rec).Status, TOpenStatus::Ok);
    EXPECT_EQ(Describe(*window.NodeClasses, window.TemplateNode), "Stop||Pop:R=7.0|Name:S=|Code:C=  |Label:S=north");
    EXPECT_EQ(Describe(*window.LinkClasses, window.TemplateLinkValues), "Road||Speed:R=7.0");
    EXPECT_EQ(rec.Last().Text,
              "Appended Values Not Kept.\n\rNode Values = 7\n\rLink Values = 2\n\rNodes Moved to Class 0 = 1");
}

TEST(NetworkAppend, StringValuesOfClass0AreKept)
{
    TNetWindow net, back;
    AddAttribute(*net.NodeClasses, 0, "Count", 'R');
    AddAttribute(*net.NodeClasses, 0, "Note", 'S');
    (*net.NodeClasses)[1].Name = "Stop";
    NumberStringAttributes(*net.NodeClasses);
    TNode* n = Node(net, 0, 0, 0, "n");
    n->Values[0] = Real(4);
    n->Strings = {"kept"};
    const TRoundTrip t = RoundTrip(net, 9, "class0-strings", back);
    EXPECT_EQ(NodesByPlace(back).at("0,0"), "Undefined|n|Count:R=4.0|Note:S=kept");
    EXPECT_TRUE(t.First == t.Second) << DiffLine(t.First, t.Second);
    // And through an edit of the classes.
    std::unique_ptr<TEntityClass> edited = CloneEntityClasses(*back.NodeClasses);
    (*edited)[1].Name = "Halt";
    ApplySchemaEdit(back, TClassKind::Node, std::move(edited));
    EXPECT_EQ(NodesByPlace(back).at("0,0"), "Undefined|n|Count:R=4.0|Note:S=kept");
}
