// The drawing pass through the recording canvas: order, geometry, labels,
// filters, style numbers from files, and drawing state owned by the call.
#include <gtest/gtest.h>

#include <QPainter>
#include <QSvgRenderer>

#include "shell/Legend.h"
#include "test_draw_support.h"

namespace {

std::vector<int32_t> Args(const TCanvasCall* c) { return c ? c->Args : std::vector<int32_t>{}; }

int IndexOf(const TRecordingCanvas& c, const TCanvasCall* call)
{
    return call ? int(call - c.Calls.data()) : -1;
}

// A link class with one real attribute and a search criterion Low..High on it.
void AddFilteredLinkClass(TNetwork& net, int cls, double low, double high)
{
    TClassRecord& r = (*net.LinkClasses)[cls];
    r.Name = "Road";
    r.Color = 3;
    r.AttributeCount = 1;
    r.Attributes[1] = std::make_unique<TAttrib>();
    r.Attributes[1]->Kind = 'R';
    r.Attributes[1]->Name = "Lanes";
    r.Attributes[1]->Active = 1;
    r.Attributes[1]->Low = low;
    r.Attributes[1]->High = high;
}

void SetValue(TLinkValues& l, double v)
{
    ResizeValues(l, 1);
    l.Values[0].SetReal(v);
}

} // namespace

TEST(DrawPass, OrderAndGeometryOfLinksNodesAndLabels)
{
    TDrawFixture f;
    TNode* a = f.Node(0, 0, 1);
    TNode* b = f.Node(100, 0, 1);
    a->Name = "Alpha";
    b->Name = "Beta";
    (*f.Net.NodeClasses)[1].Name = "Stop";
    f.Link(a, b);
    f.Labels.NodeLabelCodes[1][1] = 101;
    f.Labels.UpdateClassLabelled();

    TRecordingCanvas c = f.Record();
    auto lines = c.Find("Line");
    auto polys = c.Find("Polygon");
    auto texts = c.Find("Text");
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(polys.size(), 2u);
    ASSERT_EQ(texts.size(), 2u);
    // Origin 10, 10; link class 0 in colour 2 (blue), width 1.
    EXPECT_EQ(Args(lines[0]), (std::vector<int32_t>{10, 10, 110, 10}));
    EXPECT_EQ(lines[0]->PenColor, 0x0000FFu);
    EXPECT_EQ(lines[0]->PenWidth, 1);
    // Node style 1 (class width 1): filled square of half-size 3, black.
    EXPECT_EQ(Args(polys[0]), (std::vector<int32_t>{7, 7, 13, 7, 13, 13, 7, 13}));
    EXPECT_EQ(polys[0]->BrushColor, 0x000000u);
    // Links, then nodes, then (second pass) labels.
    EXPECT_LT(IndexOf(c, lines[0]), IndexOf(c, polys[0]));
    EXPECT_LT(IndexOf(c, polys[1]), IndexOf(c, texts[0]));
    // Place 1: start at (X + o, Y - o), o = StandardSize 3; on the base line.
    EXPECT_EQ(texts[0]->Text, "Alpha");
    EXPECT_EQ(Args(texts[0]), (std::vector<int32_t>{13, 7}));
    EXPECT_EQ(texts[0]->Align, unsigned(TA_BASELINE | TA_LEFT));
    EXPECT_EQ(texts[1]->Text, "Beta");
}

TEST(DrawPass, LabelPlacesAndTwoLines)
{
    TDrawFixture f;
    TNode* n = f.Node(0, 0);
    n->Name = "N";
    n->Serial = 123456789;
    f.Labels.NodeLabelCodes[0][1] = 101;
    f.Labels.UpdateClassLabelled();
    struct {
        int Place;
        int32_t X, Y;
        unsigned Align;
    } cases[] = {
        {1, 13, 7, TA_LEFT},    {2, 10, 7, TA_CENTER},  {3, 7, 7, TA_RIGHT},  {4, 13, 27, TA_LEFT},
        {5, 10, 27, TA_CENTER}, {6, 7, 27, TA_RIGHT},   {7, 10, 16, TA_CENTER},
    };
    for (const auto& k : cases) {
        n->Place = uint8_t(k.Place);
        TRecordingCanvas c = f.Record();
        auto t = c.Find("Text");
        ASSERT_EQ(t.size(), 1u) << k.Place;
        EXPECT_EQ(Args(t[0]), (std::vector<int32_t>{k.X, k.Y})) << "place " << k.Place;
        EXPECT_EQ(t[0]->Align, unsigned(TA_BASELINE | k.Align)) << "place " << k.Place;
    }
    // Two lines above the node: line spacing Round(17 x 1.1) = 19; the serial cut to 8 characters.
    n->Place = 1;
    n->Label2 = 103;
    TRecordingCanvas c = f.Record();
    auto t = c.Find("Text");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(Args(t[0]), (std::vector<int32_t>{13, -12}));
    EXPECT_EQ(Args(t[1]), (std::vector<int32_t>{13, 7}));
    EXPECT_EQ(t[1]->Text, "12345678");
    // A place or font slot read from a file outside its range draws as place 1, slot 0.
    n->Label2 = 0;
    n->Place = 200;
    n->Font = 77;
    c = f.Record();
    t = c.Find("Text");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(Args(t[0]), (std::vector<int32_t>{13, 7}));
    EXPECT_EQ(t[0]->Font.Height, f.Labels.FontRecords[0].Height);
}

TEST(DrawPass, RotatedLinkLabelsFollowTheLink)
{
    TDrawFixture f;
    TLinkValues* l = f.Link(f.Node(0, 0), f.Node(100, 100));
    l->Name = "Main";
    f.Labels.LinkLabelCodes[0][1] = 101;
    f.Labels.RotateLabels = 1;
    f.Labels.UpdateClassLabelled();
    TRecordingCanvas c = f.Record();
    auto t = c.Find("Text");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0]->Text, "Main");
    EXPECT_EQ(t[0]->Font.Escapement, -450);
    // Midpoint (60, 60); the offset D = -3 applied along the rotated axis.
    EXPECT_EQ(Args(t[0]), (std::vector<int32_t>{62, 58}));

    // A vertical link: 900, the offset applied to X.
    TDrawFixture g;
    TLinkValues* v = g.Link(g.Node(0, 0), g.Node(0, 100));
    v->Name = "Up";
    g.Labels.LinkLabelCodes[0][1] = 101;
    g.Labels.RotateLabels = 1;
    g.Labels.UpdateClassLabelled();
    c = g.Record();
    t = c.Find("Text");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0]->Font.Escapement, 900);
    EXPECT_EQ(Args(t[0]), (std::vector<int32_t>{7, 60}));
}

TEST(DrawPass, ArrowsAndSmallDots)
{
    TDrawFixture f;
    f.Link(f.Node(0, 0), f.Node(90, 0));
    f.Display.GlobalLinkStyle = 2; // Arrow 1: s = Round(0.6) + 1 = 2, tip a third of the way
    TRecordingCanvas c = f.Record();
    auto pl = c.Find("Polyline");
    ASSERT_EQ(pl.size(), 1u);
    EXPECT_EQ(Args(pl[0]), (std::vector<int32_t>{38, 8, 40, 10, 38, 12}));

    f.Display.GlobalLinkStyle = 4; // Arrow 3: s = w + 3 = 4
    c = f.Record();
    pl = c.Find("Polyline");
    ASSERT_EQ(pl.size(), 1u);
    EXPECT_EQ(Args(pl[0]), (std::vector<int32_t>{36, 6, 40, 10, 36, 14}));

    f.Display.GlobalLinkStyle = 1; // small dot a quarter of the way
    c = f.Record();
    auto el = c.Find("Ellipse");
    ASSERT_EQ(el.size(), 1u);
    EXPECT_EQ(Args(el[0]), (std::vector<int32_t>{30, 8, 34, 12}));

    // A link with shape points: the tip on the first shape point (no mark
    // there), oriented along the chord A-B.
    TDrawFixture g;
    TNode* a = g.Node(0, 0);
    TNode* b = g.Node(90, 0);
    g.Link(a, b);
    AddShapePoint(g.Net, 30, 30, 0, a->Links.At(0));
    AddShapePoint(g.Net, 60, 30, 1, a->Links.At(0));
    g.Display.GlobalLinkStyle = 2;
    c = g.Record();
    pl = c.Find("Polyline");
    ASSERT_EQ(pl.size(), 2u);
    EXPECT_EQ(Args(pl[0]), (std::vector<int32_t>{10, 10, 40, 40, 70, 40, 100, 10}));
    EXPECT_EQ(Args(pl[1]), (std::vector<int32_t>{38, 38, 40, 40, 38, 42}));
    // One mark (the second shape point): a diagonal cross of two lines.
    auto marks = c.Find("Line");
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(Args(marks[0]), (std::vector<int32_t>{67, 37, 73, 43}));
    g.Display.HideShapePointMarks = 1;
    c = g.Record();
    EXPECT_TRUE(c.Find("Line").empty());
    EXPECT_EQ(c.Find("Polyline").size(), 2u);
}

TEST(DrawPass, TwoWayLinks)
{
    TDrawFixture f;
    TClassRecord& cls = (*f.Net.LinkClasses)[1];
    cls.Name = "Street";
    f.Widths.LinkStyleMode = 0;
    f.Widths.LinkShowNotFound = 1;
    f.Widths.LinkWidths[1] = 4; // interval 1 (no expression) gives width 4
    TLinkValues* l = f.Link(f.Node(0, 0), f.Node(100, 0), 1);
    (void)l;
    // Without a second width: one centred line.
    TRecordingCanvas c = f.Record();
    auto lines = c.Find("Line");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Args(lines[0]), (std::vector<int32_t>{10, 10, 110, 10}));
    EXPECT_EQ(lines[0]->PenWidth, 4);

    // With a second width: the class expression "1:2" gives intervals 1 and
    // 2; the second-width side first, then the primary side.
    f.Widths.LinkWidthExpressions[1] = "1:2";
    f.Widths.LinkTop[1] = 1, f.Widths.LinkBottom[1] = 1;
    f.Widths.LinkTop[2] = 2, f.Widths.LinkBottom[2] = 2;
    f.Widths.LinkWidths[2] = 2;
    TDrawRun run;
    c = f.Record(&run);
    lines = c.Find("Line");
    ASSERT_EQ(lines.size(), 2u);
    // Second side W = 2: dist = -(2/2 + 1) = -2 -> moved by (0, 2); primary W = 4: dist 3 -> moved by (0, -3).
    EXPECT_EQ(Args(lines[0]), (std::vector<int32_t>{10, 12, 110, 12}));
    EXPECT_EQ(lines[0]->PenWidth, 2);
    EXPECT_EQ(Args(lines[1]), (std::vector<int32_t>{10, 7, 110, 7}));
    EXPECT_EQ(lines[1]->PenWidth, 4);
    f.Display.PrimaryWidthOnRight = 1;
    c = f.Record(&run);
    lines = c.Find("Line");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Args(lines[0]), (std::vector<int32_t>{10, 8, 110, 8}));
    EXPECT_EQ(Args(lines[1]), (std::vector<int32_t>{10, 13, 110, 13}));
}

TEST(DrawPass, ColoursCoincidenceAndHiddenElements)
{
    TDrawFixture f;
    TNode* a = f.Node(50, 50);
    f.Node(50, 50); // coincident
    TNode* hidden = f.Node(80, 80);
    hidden->Active = 0;
    TNode* layer = f.Node(90, 90);
    layer->Layer = 3;
    f.Settings.Layers.LayerStates[3] = 0;
    TRecordingCanvas c = f.Record();
    auto polys = c.Find("Polygon");
    ASSERT_EQ(polys.size(), 2u);
    EXPECT_EQ(polys[0]->BrushColor, 0x000000u);
    EXPECT_EQ(polys[1]->BrushColor, ProgramColorPalette[20]);
    (void)a;

    // A link whose colour is 0 is not drawn but its label is, in the first pass.
    TDrawFixture g;
    (*g.Net.LinkClasses)[0].Color = 0;
    TLinkValues* l = g.Link(g.Node(0, 0), g.Node(100, 0));
    l->Name = "Ghost";
    g.Labels.LinkLabelCodes[0][1] = 101;
    g.Labels.UpdateClassLabelled();
    c = g.Record();
    EXPECT_TRUE(c.Find("Line").empty());
    auto t = c.Find("Text");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_LT(IndexOf(c, t[0]), IndexOf(c, c.Find("Polygon")[0]));

    // With no node symbols ("None") no label waits for a second pass.
    (*g.Net.LinkClasses)[0].Color = 2;
    g.Display.GlobalShape = 0;
    c = g.Record();
    EXPECT_EQ(c.Find("Line").size(), 1u);
    EXPECT_TRUE(c.Find("Text").empty());
    EXPECT_TRUE(c.Find("Polygon").empty());
}

TEST(DrawPass, FilteredLinksThinInTheirColour)
{
    TDrawFixture f;
    AddFilteredLinkClass(f.Net, 1, 0, 5);
    TLinkValues* pass = f.Link(f.Node(0, 0), f.Node(100, 0), 1);
    TLinkValues* fail = f.Link(f.Node(0, 50), f.Node(100, 50), 1);
    SetValue(*pass, 3);
    SetValue(*fail, 9);
    TRecordingCanvas c = f.Record();
    auto lines = c.Find("Line");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Args(lines[0]), (std::vector<int32_t>{10, 10, 110, 10}));
    EXPECT_EQ(lines[0]->PenColor, ProgramColorPalette[3]);

    f.Display.ShowFilteredLinksThin = 1;
    c = f.Record();
    lines = c.Find("Line");
    ASSERT_EQ(lines.size(), 2u);
    const TCanvasCall* thin = lines[0]->Args[1] == 60 ? lines[0] : lines[1];
    EXPECT_EQ(Args(thin), (std::vector<int32_t>{10, 60, 110, 60}));
    EXPECT_EQ(thin->PenColor, ProgramColorPalette[19]);
    EXPECT_EQ(thin->PenWidth, 1);
}

TEST(DrawPass, NumbersFromFilesAreCheckedAtUse)
{
    TDrawFixture f;
    (*f.Net.NodeClasses)[0].Color = 99;  // colour index past the palette
    (*f.Net.LinkClasses)[0].Color = -7;  // negative
    (*f.Net.LinkClasses)[0].Width = 251; // past the link images
    TNode* a = f.Node(0, 0);
    TNode* b = f.Node(100, 0);
    a->BitmapOverride = 250; // past the node images
    a->EntityType = 200;     // no such class
    TLinkValues* l = f.Link(a, b);
    l->EntityType = 99;
    l->Font = 200;
    l->Place = 99;
    l->Name = "x";
    l->Label1 = 101;
    TRecordingCanvas c = f.Record();
    // The colour index out of range draws in colour 1; the override past the
    // images draws no symbol.
    auto polys = c.Find("Polygon");
    ASSERT_EQ(polys.size(), 1u);
    EXPECT_EQ(polys[0]->BrushColor, ProgramColorPalette[1]);
    // The link (class 99 is class 0, colour -7) is not drawn; its label is,
    // at place 1 in font slot 0.
    EXPECT_TRUE(c.Find("Line").empty());
    auto t = c.Find("Text");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0]->Text, "x");
    EXPECT_EQ(t[0]->Align, unsigned(TA_BASELINE | TA_LEFT));

    // Sizes and widths far beyond the drawing range draw without overflow.
    for (int shape : {1, 2, 3, 4, 5}) {
        TDrawFixture h;
        (*h.Net.NodeClasses)[0].Width = 2000000000;
        (*h.Net.LinkClasses)[0].Width = shape % 2 ? 2000000000 : -2000000000;
        h.Widths.LinkStyleMode = shape % 2 ? 2 : 4;
        h.Display.GlobalLinkStyle = 4;
        h.Display.GlobalShape = uint8_t(shape);
        h.Link(h.Node(0, 0), h.Node(10, 0));
        TRecordingCanvas rc = h.Record();
        for (const TCanvasCall& call : rc.Calls)
            for (int32_t a : call.Args) EXPECT_LE(std::abs(int64_t(a)), 2 * 320000 + 20) << call.Op;
        // And something is drawn: the picture is not that of an empty network.
        EXPECT_NE(h.Paint(40, 40), TDrawFixture().Paint(40, 40)) << shape;
    }

    // A pie colour outside the sixteen basic colours takes its position's default.
    TDrawFixture g;
    TClassRecord& cls = (*g.Net.NodeClasses)[1];
    cls.Name = "Zone";
    cls.Width = 8;
    cls.AttributeCount = 1;
    cls.Attributes[1] = std::make_unique<TAttrib>();
    cls.PieSlices[2] = 1;
    TNode* n = g.Node(0, 0, 1);
    ResizeValues(*n, 1);
    n->Values[0].SetReal(5);
    g.Display.GlobalShape = 5;
    g.Display.PieColors[2] = 77;
    c = g.Record();
    auto pies = c.Find("Pie");
    ASSERT_EQ(pies.size(), 1u);
    EXPECT_EQ(pies[0]->BrushColor, BasicColors[1]);
    EXPECT_EQ(Args(pies[0]), (std::vector<int32_t>{2, 2, 18, 18, 10, -10, 10, -10}));
}

TEST(DrawPass, PolygonStylesAndRange)
{
    TDrawFixture f;
    TNode* owner = f.Node(0, 0);
    for (auto [x, y] : {std::pair{0, 0}, {100, 0}, {100, 100}, {0, 100}}) {
        TNode* v = (x == 0 && y == 0) ? owner : f.Node(x, y);
        owner->OwnPolygonRef().Insert(v);
        f.Net.PolygonsRef(v).Insert(owner);
    }
    UpdateNodePolygonBox(f.Net, owner);
    f.Display.PolygonStyles[5] = TPolygonStyle{0x0000FF, 0, 2, 0x00FF00, 4};
    owner->PolygonStyle = 5;
    TRecordingCanvas c = f.Record();
    auto polys = c.Find("Polygon");
    ASSERT_GE(polys.size(), 1u);
    // Polygons first: the polygon is the first figure; colours stored as $00BBGGRR.
    EXPECT_EQ(IndexOf(c, polys[0]), 0);
    EXPECT_EQ(Args(polys[0]), (std::vector<int32_t>{10, 10, 110, 10, 110, 110, 10, 110}));
    EXPECT_EQ(polys[0]->PenColor, 0xFF0000u);
    EXPECT_EQ(polys[0]->BrushColor, 0x00FF00u);
    EXPECT_EQ(polys[0]->BrushStyle, bsFDiagonal);
    EXPECT_EQ(polys[0]->PenWidth, 2);

    // After the nodes.
    f.Display.PolygonsFirst = 0;
    c = f.Record();
    polys = c.Find("Polygon");
    EXPECT_EQ(IndexOf(c, polys.back()), int(c.Calls.size()) - 1);

    // A style number no style has draws in style 0; outline-only style 8 is a polyline.
    f.Display.PolygonsFirst = 1;
    owner->PolygonStyle = 222;
    f.Display.PolygonStyles[0].FillStyle = 8;
    c = f.Record();
    ASSERT_EQ(c.Find("Polyline").size(), 1u);
    EXPECT_EQ(c.Find("Polyline")[0]->Args.size(), 8u);

    // Label code 104: the owner's number of vertices; editing asks for it.
    f.Labels.NodeLabelCodes[0][2] = 104;
    f.Labels.UpdateClassLabelled();
    EXPECT_TRUE(NodeHasCode104Label(f.Pad, *owner));
    c = f.Record();
    auto texts = c.Find("Text");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->Text, "4");
    owner->SuppressLabel = 1;
    EXPECT_FALSE(NodeHasCode104Label(f.Pad, *owner));

    // A vertex beyond the drawing range: the polygon is not drawn at all.
    TNode* far = f.Node(400000, 0);
    owner->OwnPolygonRef().Insert(far);
    UpdateNodePolygonBox(f.Net, owner);
    c = f.Record();
    EXPECT_TRUE(c.Find("Polyline").empty());
}

TEST(DrawPass, DrawingStateBelongsToTheCall)
{
    // A window whose underlay names itself draws its own network once.
    TDrawFixture f;
    f.Link(f.Node(0, 0), f.Node(100, 0));
    f.Pad.Underlay = &f.Pad;
    TRecordingCanvas c = f.Record();
    EXPECT_EQ(c.Find("Line").size(), 1u);

    // A cycle of two underlays ends; each network drawn once, the underlay first.
    TDrawFixture g;
    g.Link(g.Node(0, 0), g.Node(0, 100));
    g.Pad.WindowNumber = 2;
    g.Pad.Underlay = &f.Pad;
    f.Pad.Underlay = &g.Pad;
    c = f.Record();
    auto lines = c.Find("Line");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Args(lines[0]), (std::vector<int32_t>{10, 10, 10, 110}));

    // The underlay prepares its own filter and offsets: the outer window's
    // filter still holds after the underlay was drawn.
    TDrawFixture h;
    AddFilteredLinkClass(h.Net, 1, 0, 5);
    SetValue(*h.Link(h.Node(0, 0), h.Node(100, 0), 1), 9); // fails
    SetValue(*h.Link(h.Node(0, 20), h.Node(100, 20), 1), 1); // passes
    TDrawFixture u;
    u.Link(u.Node(0, 0), u.Node(50, 50));
    u.Pad.WindowNumber = 3;
    h.Pad.Underlay = &u.Pad;
    h.Pad.WindowNumber = 4;
    TRecordingCanvas rc({-1000, -1000, 1000, 1000});
    TDrawRun run;
    DrawNetwork(h.Pad, rc, rc.Clip, 1.0, 5, 7, false, false, run);
    lines = rc.Find("Line");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Args(lines[0]), (std::vector<int32_t>{3, 5, 53, 55}));  // underlay, offsets 7, 5
    EXPECT_EQ(Args(lines[1]), (std::vector<int32_t>{3, 25, 103, 25})); // outer: only the passing link
    EXPECT_EQ(run.Drawn, (std::vector<int>{4, 3}));
}

TEST(DrawPass, CellsOutOfViewAreSkipped)
{
    TDrawFixture f;
    f.Link(f.Node(0, 0), f.Node(100, 0));
    f.Link(f.Node(5000, 5000), f.Node(5100, 5000));
    TRecordingCanvas c({0, 0, 300, 300});
    TDrawRun run;
    DrawNetwork(f.Pad, c, c.Clip, 1.0, 0, 0, false, false, run);
    EXPECT_EQ(c.Find("Line").size(), 1u);
    EXPECT_EQ(c.Find("Polygon").size(), 2u);
    // Plotting draws everything.
    TRecordingCanvas all({0, 0, 300, 300});
    DrawNetwork(f.Pad, all, all.Clip, 1.0, 0, 0, false, true, run);
    EXPECT_EQ(all.Find("Line").size(), 2u);
}

TEST(Legends, TitleBlockLinesDateAndFrame)
{
    TDrawFixture f;
    TRecordingCanvas c;
    DrawTitleBlock(f.Pad, c, false, "Monday, December 7, 2026 at 09:00 AM");
    EXPECT_TRUE(c.Calls.empty()); // all show flags off: nothing, no frame

    f.Title.X = 100;
    f.Title.Y = 50;
    f.Title.Project = "Ring road";
    f.Title.ShowProject = 1;
    f.Title.ShowDescription = 1;
    f.Title.DescriptionText = "First\r\nSecond\r\n";
    f.Title.AddToday = 1;
    f.Title.DrawBox = 1;
    DrawTitleBlock(f.Pad, c, false, "Monday, December 7, 2026 at 09:00 AM");
    auto t = c.Find("Text");
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0]->Text, "Project: Ring road");
    EXPECT_EQ(Args(t[0]), (std::vector<int32_t>{110, 60}));
    // A blank step of Round(17 x 1.1) = 19 before the description; the date
    // on the line after the text's own line break.
    EXPECT_EQ(t[1]->Text, "First");
    EXPECT_EQ(Args(t[1]), (std::vector<int32_t>{110, 98}));
    EXPECT_EQ(t[2]->Text, "Second");
    EXPECT_EQ(t[3]->Text, "Monday, December 7, 2026 at 09:00 AM");
    EXPECT_EQ(Args(t[3]), (std::vector<int32_t>{110, 136}));
    EXPECT_EQ(t[0]->Align, unsigned(TA_LEFT | TA_TOP));
    // Frame: tallest 17, pen Round(17/8) = 2, margin Round(17/4) = 4; widest is the date (36 x 8).
    auto frame = c.Find("Polyline");
    ASSERT_EQ(frame.size(), 1u);
    EXPECT_EQ(frame[0]->PenWidth, 2);
    EXPECT_EQ(Args(frame[0]), (std::vector<int32_t>{106, 56, 402, 56, 402, 159, 106, 159, 106, 56}));
}

// A file may hold a position beyond the world and a font slot outside the
// table: the block is drawn at the world's edge, the line with slot 0.
TEST(Legends, TitleBlockOutsideTheWorldOrTheFontTable)
{
    auto draw = [](int32_t x, int32_t y, int32_t slot) {
        TDrawFixture f;
        f.Pad.OriginX = -500000; // the world's corner near the window
        f.Pad.OriginY = 500000;
        f.Labels.FontRecords[0].Height = -23;
        f.Labels.FontRecords[0].Weight = 700;
        f.Labels.FontColors[0] = 0x0000FF;
        f.Title.X = x;
        f.Title.Y = y;
        f.Title.Project = "Ring road";
        f.Title.ShowProject = 1;
        f.Title.ProjectFont = slot;
        TRecordingCanvas c;
        DrawTitleBlock(f.Pad, c, true, "");
        std::vector<std::pair<std::vector<int32_t>, int32_t>> texts;
        for (const TCanvasCall* t : c.Find("Text")) texts.push_back({t->Args, t->Font.Height * 1000 + t->Font.Weight});
        return texts;
    };
    const auto edge = draw(512000, -512000, 0);
    ASSERT_EQ(edge.size(), 1u);
    EXPECT_EQ(edge[0].first, (std::vector<int32_t>{12000, -12000}));
    EXPECT_EQ(edge[0].second, -23 * 1000 + 700);
    EXPECT_EQ(draw(900000, -2000000000, 0), edge);
    EXPECT_EQ(draw(2147483647, -512001, 12), edge);
    EXPECT_EQ(draw(512000, -512000, -5), edge);
    EXPECT_NE(draw(512000, -512000, 1), edge); // slot 1 is another font
}

TEST(Legends, SamplesShareTheRightEdge)
{
    TDrawFixture f;
    TEntityClass& nodes = *f.Net.NodeClasses;
    nodes[1].Name = "A";
    nodes[2].Name = "Longer name";
    nodes[2].Color = 2;
    f.Widths.NodeClassLegend[1] = f.Widths.NodeClassLegend[2] = 1;
    f.Widths.NodeLegendX = 0;
    f.Widths.NodeLegendY = 0;
    f.Widths.NodeDrawBox = 1;
    TRecordingCanvas c;
    DrawLegend(f.Pad, c, true, false);
    auto t = c.Find("Text");
    auto p = c.Find("Polygon");
    ASSERT_EQ(t.size(), 2u);
    ASSERT_EQ(p.size(), 2u);
    // Texts at the left edge; rows step by Round(17 x 1.1) (RH = 18.7).
    EXPECT_EQ(Args(t[0]), (std::vector<int32_t>{10, 10}));
    EXPECT_EQ(Args(t[1]), (std::vector<int32_t>{10, 29}));
    // W = widest text (11 x 8) + 10 + sample width (2 x (7 + 1)); samples end at the same edge.
    const int32_t W = 88 + 10 + 16;
    const int32_t right0 = p[0]->Args[2], right1 = p[1]->Args[2];
    EXPECT_EQ(right0, right1);
    EXPECT_EQ(right0, 10 + W - 8 + 7);
    auto frame = c.Find("Polyline");
    ASSERT_EQ(frame.size(), 1u);
    EXPECT_EQ(frame[0]->PenColor, ProgramColorPalette[1]);
}

TEST(Legends, DarkestColourTakesTheLowerIndexOnTies)
{
    TDrawFixture f;
    EXPECT_EQ(DarkestColour(f.Pad), 1);
    f.Display.UsePolygonColors = 1;
    for (int i = 1; i <= 16; ++i) f.Display.Colors[size_t(i)] = 0xFFFFFF;
    f.Display.Colors[5] = 0x101010;
    f.Display.Colors[9] = 0x101010;
    EXPECT_EQ(DarkestColour(f.Pad), 5);
}

TEST(DrawPass, BackgroundsBySlotAndKind)
{
    struct TImages : TBackgroundImages {
        QImage A{4, 2, QImage::Format_RGB32}, B{3, 3, QImage::Format_RGB32};
        QSvgRenderer Svg{QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='8' height='6'/>")};
        const QImage* Raster(int slot) const override { return slot == 1 ? &A : slot == 2 ? &B : nullptr; }
        QSvgRenderer* Metafile(int slot) const override { return slot == 3 ? const_cast<QSvgRenderer*>(&Svg) : nullptr; }
    } images;
    TDrawFixture f;
    TBackgrounds b;
    b.Raster[1].X = 5, b.Raster[1].Y = 6;
    b.Raster[2].XScale = 2.0;
    b.Metafile[3].X = 1, b.Metafile[3].YScale = -1.0;
    b.Raster[4].FileName = "missing.jpg"; // no image: kept, undrawn
    f.Pad.Backgrounds = &b;
    f.Pad.BackgroundImages = &images;
    TRecordingCanvas c = f.Record();
    ASSERT_EQ(c.Calls.size(), 3u);
    // Rasters first (metafiles on top), slot 2 below slot 1; scale 1.0 draws unscaled.
    EXPECT_EQ(c.Calls[0].Op, "StretchImage");
    EXPECT_EQ(c.Calls[0].Args, (std::vector<int32_t>{10, 10, 16, 13}));
    EXPECT_EQ(c.Calls[1].Op, "Image");
    EXPECT_EQ(c.Calls[1].Args, (std::vector<int32_t>{15, 16}));
    // Metafile: right and bottom + 1; a negative Y scale moves top and bottom one pixel up.
    EXPECT_EQ(c.Calls[2].Op, "StretchSvg");
    EXPECT_EQ(c.Calls[2].Args, (std::vector<int32_t>{11, 9, 20, 4}));
    // "JPEG on Top": metafiles first.
    b.MetafilesOnTop = 0;
    c = f.Record();
    ASSERT_EQ(c.Calls.size(), 3u);
    EXPECT_EQ(c.Calls[0].Op, "StretchSvg");
    // Suppressed: nothing.
    b.SuppressAll = 1;
    EXPECT_TRUE(f.Record().Calls.empty());
}
