// Desire lines from a window's trip tables: width and colour from the
// desire-line expression in the link intervals, the cell's value and serial
// numbers as P1..P3, the three placements, cells that draw nothing, the clip,
// and tables whose network is gone. Then the "Select Label" items and the
// captions of codes and font slots, also through the label-items driver.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "../analysis/analysis_networks.h"
#include "../net_window.h"
#include "core/expr/DesireLines.h"
#include "core/expr/ExpressionNetwork.h"
#include "core/expr/LabelChoices.h"
#include "core/file/TripTable.h"
#include "core/model/Messages.h"

using namespace analysistest;

namespace {

struct TDesireNetwork : TNetWindow {
    TNode *A, *B, *C;
    std::mt19937_64 Random{1};
    TDesireNetwork()
    {
        A = Node(*this, 0, 0, 0, "A");
        B = Node(*this, 300, 400, 0, "B");
        C = Node(*this, -600, 0, 0, "C");
        A->Serial = 7, B->Serial = 8, C->Serial = 9;
        // Values 0..100 draw 4 pixels wide; 1000 is colour index 3.
        Widths.LinkBottom[1] = 0, Widths.LinkTop[1] = 100, Widths.LinkWidths[1] = 4;
        Widths.LinkBottom[2] = 1000, Widths.LinkTop[2] = 1000, Widths.LinkWidths[2] = 3;
        Widths.SystemExpression = "P1:1000";
    }
    void Load(const std::string& text)
    {
        const TTripTableResult r = ReadTripTable(text, *this);
        ASSERT_TRUE(r.Ok) << r.Status;
        DesireTables = r.Tables;
    }
    std::vector<TDesireSegment> Lines(int placement, const TBox* clip = nullptr, size_t* evaluated = nullptr)
    {
        TViewRecord view;
        view.Settings = this;
        TExprBinding binding(*this, &view, &Random);
        std::vector<TDesireSegment> out;
        TDesireLineOptions o;
        o.Placement = placement;
        o.Clip = clip;
        const size_t n = ComputeDesireLines(*this, *DesireTables, Widths, binding.Env, o,
                                            [&](const TDesireSegment& s) { out.push_back(s); });
        if (evaluated) *evaluated = n;
        return out;
    }
};

bool Same(const TDesireSegment& s, std::array<int32_t, 6> e)
{
    return s.X1 == e[0] && s.Y1 == e[1] && s.X2 == e[2] && s.Y2 == e[3] && s.Width == e[4] && s.Colour == e[5];
}

} // namespace

TEST(DesireLines, PlacementsWidthsColoursAndCellsThatDrawNothing)
{
    TDesireNetwork net;
    net.Load("A\nEND OF ROWS\nB\nEND OF COLUMNS\n10\n");
    // A (0, 0) to B (300, 400): 500 long; moved by half the width across it.
    auto centre = net.Lines(0), right = net.Lines(1), left = net.Lines(2), other = net.Lines(7);
    ASSERT_EQ(centre.size(), 1u);
    ASSERT_EQ(right.size(), 1u);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(Same(centre[0], {0, 0, 300, 400, 4, 3}));
    EXPECT_TRUE(Same(right[0], {-2, 1, 298, 401, 4, 3}));
    EXPECT_TRUE(Same(left[0], {2, -1, 302, 399, 4, 3}));
    EXPECT_TRUE(Same(other[0], {0, 0, 300, 400, 4, 3})); // a placement from a file that names none

    // P2 and P3 are the row's and column's serial numbers; without a second
    // part the colour is link class 0's.
    net.Widths.LinkTop[1] = 1000;
    net.Widths.SystemExpression = "P2*10+P3+P1-10";
    (*net.LinkClasses)[0].Color = 5;
    auto lines = net.Lines(0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Same(lines[0], {0, 0, 300, 400, 4, 5}));
    // Nothing drawn: a value in no interval, a width below 1, a negative
    // colour index, no expression.
    net.Widths.LinkTop[1] = 100;
    struct TCase {
        const char* Expression;
        int32_t Width1, Colour2;
    };
    for (const TCase& c : {TCase{"P1+5000", 4, 3}, TCase{"P1", 0, 3}, TCase{"P1:1000", 4, -1}, TCase{"", 4, 3}}) {
        net.Widths.SystemExpression = c.Expression;
        net.Widths.LinkWidths[1] = c.Width1;
        net.Widths.LinkWidths[2] = c.Colour2;
        EXPECT_TRUE(net.Lines(0).empty()) << c.Expression;
    }
}

TEST(DesireLines, DeletedNodesTheClipAndAGoneNetwork)
{
    TDesireNetwork net;
    net.Load("A\nC\nEND OF ROWS\nB\nC\nEND OF COLUMNS\n1 2\n3 4\n");
    size_t evaluated = 0;
    EXPECT_EQ(net.Lines(0, nullptr, &evaluated).size(), 4u);
    EXPECT_EQ(evaluated, 4u);
    // A view of x 100..400 reaches the lines A-B and C-B only.
    const TBox clip{100, -50, 400, 450};
    auto seen = net.Lines(0, &clip, &evaluated);
    EXPECT_EQ(evaluated, 2u);
    ASSERT_EQ(seen.size(), 2u);
    for (const TDesireSegment& s : seen) EXPECT_EQ(s.X2, 300);
    // C deleted: its row and its column draw nothing.
    net.C->Active = 0;
    EXPECT_EQ(net.Lines(0).size(), 1u);
    // The network freed: the tables name nothing of it.
    FreeNetwork(net);
    EXPECT_TRUE(net.Lines(0).empty());
}

TEST(LabelChoices, ItemsCodesAndCaptions)
{
    TClassRecord cls;
    Define(cls, "Road", "RRC");
    cls.Attributes[1]->Alias = "Speed";
    cls.Attributes[3]->Name.clear();
    const auto nodes = SelectLabelItems(cls, true);
    const auto links = SelectLabelItems(cls, false);
    ASSERT_EQ(nodes.size(), 14u);
    ASSERT_EQ(links.size(), 9u);
    const std::vector<std::pair<int32_t, std::string>> nodeItems = {
        {0, "Blank"}, {1, "Speed"}, {2, "Road2"}, {3, "A3"}, {101, "Name"}, {102, "Node Size Expression 1"},
        {103, "Serial"}, {104, "Polygon Vertices"}, {105, "Node Size Expression 2"}, {106, "Note 1"},
        {107, "Note 2"}, {108, "Longitude"}, {109, "Latitude"}, {110, "Elevation"}};
    const std::vector<std::pair<int32_t, std::string>> linkItems = {
        {0, "Blank"}, {1, "Speed"}, {2, "Road2"}, {3, "A3"}, {101, "Name"}, {102, "Link Width Expression 1"},
        {103, "Link Width Expression 2"}, {106, "Note 1"}, {107, "Note 2"}};
    for (size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(std::make_pair(nodes[i].Code, nodes[i].Text), nodeItems[i]);
        EXPECT_EQ(LabelItemOfCode(nodes[i].Code, 3, true), int(i));
    }
    for (size_t i = 0; i < links.size(); ++i) {
        EXPECT_EQ(std::make_pair(links[i].Code, links[i].Text), linkItems[i]);
        EXPECT_EQ(LabelItemOfCode(links[i].Code, 3, false), int(i));
    }
    // Codes no item shows.
    for (int32_t code : {4, 100, 111, -1}) EXPECT_EQ(LabelItemOfCode(code, 3, true), -1) << code;
    for (int32_t code : {104, 105, 108}) EXPECT_EQ(LabelItemOfCode(code, 3, false), -1) << code;

    // Row captions: an alias, else the positional name; a code the class
    // cannot print is empty.
    EXPECT_EQ(LabelCodeCaption(cls, 0, true), "Blank");
    EXPECT_EQ(LabelCodeCaption(cls, 1, true), "Speed");
    EXPECT_EQ(LabelCodeCaption(cls, 2, true), "A2");
    EXPECT_EQ(LabelCodeHint(cls, 2), "Road2");
    EXPECT_EQ(LabelCodeCaption(cls, 4, true), "");
    EXPECT_EQ(LabelCodeCaption(cls, 101, false), "Name");
    EXPECT_EQ(LabelCodeCaption(cls, 104, true), "Poly");
    EXPECT_EQ(LabelCodeCaption(cls, 104, false), "");
    EXPECT_EQ(LabelCodeCaption(cls, 103, false), "Width2");
    EXPECT_EQ(LabelCodeCaption(cls, 110, true), "Elev");
    EXPECT_EQ(FontSlotCaption(3), "F3");
    EXPECT_EQ(FontSlotCaption(10), "Fa");
    EXPECT_EQ(LabelFontCaption(10, "DejaVu Sans", 12, false, true), "a. DejaVu Sans, 12, Bold");
    EXPECT_EQ(LabelFontCaption(2, "Arial", 9, true, false), "2. Arial, 9, Italics");
    // Heights are pixels at 96 dots per inch.
    EXPECT_EQ(LabelFontHeight(12), -16);
    EXPECT_EQ(LabelFontPointSize(-16), 12);
    EXPECT_EQ(LabelFontPointSize(20), 12); // a cell height
}

TEST(LabelChoices, LabelItemsDriver)
{
    TNetWindow net;
    Define((*net.LinkClasses)[2], "Road", "RS");
    (*net.LinkClasses)[2].Attributes[2]->Alias = "Street";
    net.Labels.LinkLabelCodes[2] = {0, 2, 107};
    net.Labels.LinkClassFont[2] = 10;
    const std::string file = ::testing::TempDir() + "label-items.dta";
    TMessageSinkRecorder sink;
    ASSERT_TRUE(SaveNetworkFile(net, file, 9, sink).Ok);
    const auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    std::string out;
    FILE* p = popen(((dir / "label-items").string() + " " + file + " link 2").c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    EXPECT_EQ(WEXITSTATUS(pclose(p)), 0);
    EXPECT_EQ(out, "0\t0\tBlank\n1\t1\tRoad1\n2\t2\tStreet\n3\t101\tName\n4\t102\tLink Width Expression 1\n"
                   "5\t103\tLink Width Expression 2\n6\t106\tNote 1\n7\t107\tNote 2\nrow\tStreet\tNote2\tFa\n");
}
