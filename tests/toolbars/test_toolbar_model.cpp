// The toolbars' geometry without widgets: placement of controls, dock rows,
// drops, sizing shapes, the floating frame and the button's state and face.
#include <climits>

#include <gtest/gtest.h>

#include "toolbars/model/ButtonModel.h"
#include "toolbars/model/DockLayout.h"
#include "toolbars/model/DragSizing.h"
#include "toolbars/model/FloatingFrame.h"
#include "toolbars/model/ToolbarLayout.h"

namespace {

TLayoutControl Ctl(int W, int H) { return {W, H, false, false, true}; }
TLayoutControl Sep(bool Blank = false) { return {0, 0, true, Blank, true}; }

TPlacement Place(const std::vector<TLayoutControl>& C, int Orientation, bool Handle = true, int Wrap = 0)
{
    TPlacementRequest q;
    q.Orientation = Orientation;
    q.HasHandle = Handle;
    q.WrapWidth = Wrap;
    return ComputePlacement(C, q);
}

TDockedBar Bar(int Row, int Pos, int Length, bool Visible = true) { return {Row, Pos, QSize(Length, 28), Visible}; }

} // namespace

TEST(ToolbarPlacement, DockedLineWithHandleSeparatorAndEmptyToolbar)
{
    const TPlacement p = Place({Ctl(24, 24), Ctl(24, 24), Sep(), Ctl(24, 24)}, 1);
    EXPECT_EQ(p.Rects[0], QRect(11, 2, 24, 24));
    EXPECT_EQ(p.Rects[1], QRect(35, 2, 24, 24));
    EXPECT_EQ(p.Rects[2], QRect(59, 2, 6, 24));
    EXPECT_EQ(p.Rects[3], QRect(65, 2, 24, 24));
    EXPECT_EQ(p.ClientSize, QSize(91, 28));
    EXPECT_EQ(Place({Ctl(24, 24)}, 1, false).ClientSize, QSize(2 + 24 + 2, 28));

    // No controls: the handle, 8 pixels and the end gap.
    EXPECT_EQ(Place({}, 1).ClientSize.width(), 11 + 8 + 2);
    EXPECT_EQ(Place({Ctl(30, 30)}, 1).ClientSize.width(), 11 + 30 + 2);

    // A left or right dock stacks top to bottom; separators are 4 long.
    const TPlacement v = Place({Ctl(23, 22), Sep(), Ctl(30, 22)}, 2);
    EXPECT_EQ(v.Rects[0], QRect(2 + (30 - 23) / 2, 11, 23, 22));
    EXPECT_EQ(v.Rects[1], QRect(2, 33, 30, 4));
    EXPECT_EQ(v.Rects[2], QRect(2, 37, 30, 22));
    EXPECT_EQ(v.ClientSize, QSize(34, 37 + 22 + 2));

    // Hidden controls take no room and no place.
    std::vector<TLayoutControl> c = {Ctl(24, 24), Ctl(50, 50), Ctl(24, 24)};
    c[1].Visible = false;
    const TPlacement h = Place(c, 1);
    EXPECT_FALSE(h.Placed[1]);
    EXPECT_EQ(h.ClientSize, QSize(11 + 48 + 2, 28));
}

TEST(ToolbarPlacement, ARowTakesItsLargestFigures)
{
    const std::vector<TLayoutControl> small = {Ctl(22, 22)}, large = {Ctl(24, 24)};
    const TRowFigures row = RowFiguresOf({ControlFigures(small), ControlFigures(large)});
    EXPECT_EQ(row, (TRowFigures{24, 24, 28, 28}));
    TPlacementRequest q;
    q.Orientation = 1;
    q.UseRow = true;
    q.Row = row;
    const TPlacement p = ComputePlacement(small, q);
    EXPECT_EQ(p.ClientSize.height(), 28);
    EXPECT_EQ(p.Rects[0].y(), 3); // one pixel lower than the 24-pixel controls
    EXPECT_EQ(p.Figures, (TRowFigures{22, 22, 26, 26}));
    // Tiny controls still make lines 8 thick.
    EXPECT_EQ(ControlFigures({Ctl(3, 2), Sep()}), (TRowFigures{8, 8, 12, 12}));
}

TEST(ToolbarPlacement, FloatingLinesWrapAtGroupsAndInside)
{
    const std::vector<TLayoutControl> c = {Ctl(24, 24), Ctl(24, 24), Sep(), Ctl(24, 24), Ctl(24, 24)};
    // No wrap width: one line.
    const TPlacement one = Place(c, 0);
    EXPECT_EQ(one.ClientSize, QSize(4 + 48 + 6 + 48 + 4, 2 + 24 + 1));
    EXPECT_TRUE(one.LineBreakSeparators.empty());

    // Broken at the separator: hidden separator, etched line above the new line.
    const TPlacement two = Place(c, 0, true, 60);
    EXPECT_EQ(two.Rects[2].width(), 0);
    EXPECT_EQ(two.Rects[3], QRect(4, 32, 24, 24));
    ASSERT_EQ(two.LineBreakSeparators.size(), 1u);
    EXPECT_EQ(LineBreakCross(two.LineBreakSeparators[0]), 32);
    EXPECT_FALSE(LineBreakBlank(two.LineBreakSeparators[0]));
    EXPECT_EQ(two.ClientSize, QSize(56, 32 + 24 + 1));

    // Narrower than a group: the group wraps inside (no gap, no line), and the
    // next group starts a line of its own after the gap.
    const TPlacement three = Place(c, 0, true, 40);
    EXPECT_EQ(three.Rects[0], QRect(4, 2, 24, 24));
    EXPECT_EQ(three.Rects[1], QRect(4, 26, 24, 24));
    EXPECT_EQ(three.Rects[3], QRect(4, 26 + 24 + 6, 24, 24));
    EXPECT_EQ(three.Rects[4], QRect(4, 56 + 24, 24, 24));
    EXPECT_EQ(three.ClientSize, QSize(32, 80 + 24 + 1));

    // A blank separator breaks the line without an etched line.
    std::vector<TLayoutControl> b = c;
    b[2] = Sep(true);
    EXPECT_TRUE(LineBreakBlank(Place(b, 0, true, 60).LineBreakSeparators[0]));

    // A wrap width below one control never leaves an empty line.
    const TPlacement tiny = Place({Ctl(24, 24), Ctl(24, 24)}, 0, true, 10);
    EXPECT_EQ(tiny.Rects[0].y(), 2);
    EXPECT_EQ(tiny.Rects[1].y(), 26);

    // Docked toolbars never wrap.
    EXPECT_EQ(Place(c, 1, true, 40).ClientSize.height(), 28);
}

TEST(DockRows, EmptyRowsCloseAndRowsOrderByPosition)
{
    std::vector<TDockedBar> b = {Bar(0, 0, 100), Bar(2, 0, 100), Bar(INT_MAX, 0, 50), Bar(-7, 0, 50)};
    ArrangeDock(b, false, 1000, 0, false);
    EXPECT_EQ(b[3].Row, 0);
    EXPECT_EQ(b[0].Row, 1);
    EXPECT_EQ(b[1].Row, 2);
    EXPECT_EQ(b[2].Row, 3);

    // Overlap removed: the second moves to the end of the first.
    std::vector<TDockedBar> o = {Bar(2, 0, 250), Bar(2, 234, 30)};
    const TDockArrangement a = ArrangeDock(o, false, 1000, 0, false);
    EXPECT_EQ(o[1].Pos, 250);
    EXPECT_EQ(o[0].Row, 0);
    EXPECT_EQ(a.Rects[1], QRect(250, 0, 30, 28));

    // A toolbar placed at -8 comes first, whatever its place in the list.
    std::vector<TDockedBar> f = {Bar(0, 0, 100), Bar(0, 120, 100), Bar(0, -8, 60)};
    ArrangeDock(f, false, 1000, 0, false);
    EXPECT_EQ(f[2].Pos, 0);
    EXPECT_EQ(f[0].Pos, 60);
    EXPECT_EQ(f[1].Pos, 160);
    // Equal positions keep the list order.
    std::vector<TDockedBar> t = {Bar(0, 10, 100), Bar(0, 10, 100)};
    ArrangeDock(t, false, 1000, 0, false);
    EXPECT_EQ(t[0].Pos, 10);
    EXPECT_EQ(t[1].Pos, 110);
}

TEST(DockRows, ARowPastTheEndMovesBackOnlyAsFarAsNeeded)
{
    std::vector<TDockedBar> b = {Bar(0, 0, 100), Bar(0, 500, 100), Bar(0, 950, 100)};
    ArrangeDock(b, false, 1000, 0, false);
    EXPECT_EQ(b[2].Pos, 900); // ends at the dock's edge
    EXPECT_EQ(b[1].Pos, 500); // there was room: it stays
    EXPECT_EQ(b[0].Pos, 0);

    std::vector<TDockedBar> c = {Bar(0, 0, 100), Bar(0, 150, 100), Bar(0, 950, 100)};
    ArrangeDock(c, false, 320, 0, false);
    EXPECT_EQ(c[2].Pos, 220);
    EXPECT_EQ(c[1].Pos, 120);
    EXPECT_EQ(c[0].Pos, 0);

    // Longer than the dock: the row wraps, each toolbar that does not fit
    // going to a new row after it; every toolbar ends within the dock and the
    // rows after move up.
    std::vector<TDockedBar> d = {Bar(0, 0, 100), Bar(0, 100, 100), Bar(0, INT_MAX, 100), Bar(1, 0, 40)};
    const TDockArrangement a = ArrangeDock(d, false, 150, 0, false);
    EXPECT_EQ(d[0].Row, 0);
    EXPECT_EQ(d[1].Row, 1);
    EXPECT_EQ(d[2].Row, 2);
    EXPECT_EQ(d[3].Row, 3);
    for (size_t i = 0; i < d.size(); ++i) {
        EXPECT_GE(d[i].Pos, 0) << i;
        EXPECT_LE(a.Rects[i].right() + 1, 150) << i;
    }
    EXPECT_EQ(a.RowThickness.size(), 4u);
    EXPECT_EQ(a.Rects[2].y(), 56);
    // Two that fit together stay together; a vertical dock wraps into columns.
    std::vector<TDockedBar> v = {Bar(0, 0, 60), Bar(0, 0, 60), Bar(0, 0, 60)};
    for (TDockedBar& b : v) b.Size = QSize(28, 60);
    const TDockArrangement c2 = ArrangeDock(v, true, 130, 0, false);
    EXPECT_EQ(v[0].Row, 0);
    EXPECT_EQ(v[1].Row, 0);
    EXPECT_EQ(v[2].Row, 1);
    EXPECT_EQ(c2.Rects[2], QRect(28, 0, 28, 60));
    // One toolbar longer than the dock keeps its row, at the start.
    std::vector<TDockedBar> one = {Bar(0, 40, 300)};
    ArrangeDock(one, false, 150, 0, false);
    EXPECT_EQ(one[0].Pos, 0);
    EXPECT_EQ(one[0].Row, 0);
}

TEST(DockRows, ThicknessHiddenToolbarsAndBoundLines)
{
    std::vector<TDockedBar> b = {Bar(0, 0, 100), Bar(1, 0, 100, false), Bar(2, 40, 100)};
    TDockArrangement a = ArrangeDock(b, false, 1000, 2, false);
    EXPECT_EQ(a.RowThickness, (std::vector<int>{28, 0, 28}));
    EXPECT_EQ(a.Thickness, 28 + 28 + 2);
    EXPECT_EQ(a.Rects[2], QRect(40, 28, 100, 28));
    EXPECT_TRUE(a.Rects[1].isNull());
    EXPECT_EQ(b[1].Row, 1); // a hidden toolbar keeps its row for when it comes back

    std::vector<TDockedBar> none;
    EXPECT_EQ(ArrangeDock(none, false, 1000, 2, false).Thickness, 0);
    EXPECT_EQ(ArrangeDock(none, false, 1000, 2, true).Thickness, 1);

    const TBoundMargins m = BoundMargins(blTop | blBottom, QSize(500, 30));
    EXPECT_EQ(m.Top + m.Bottom, 2);
    EXPECT_EQ(m.Left + m.Right, 0);
    EXPECT_EQ(BoundMargins(blTop, QSize(500, 1)).Top, 0);

    // A vertical dock lays rows left to right and toolbars down.
    std::vector<TDockedBar> v = {{0, 10, QSize(30, 200), true}, {1, 0, QSize(28, 100), true}};
    a = ArrangeDock(v, true, 1000, 0, false);
    EXPECT_EQ(a.Rects[0], QRect(0, 10, 30, 200));
    EXPECT_EQ(a.Rects[1], QRect(30, 0, 28, 100));
    EXPECT_EQ(a.Thickness, 58);
}

TEST(DockRows, RowHitTestOpensRowsNearBoundaries)
{
    const std::vector<int> rows = {28, 28};
    EXPECT_EQ(RowHitTest(rows, 5).Row, 0);
    EXPECT_TRUE(RowHitTest(rows, 5).NewRow);
    EXPECT_FALSE(RowHitTest(rows, 6).NewRow);
    EXPECT_FALSE(RowHitTest(rows, 23).NewRow);
    const TRowHit b = RowHitTest(rows, 24);
    EXPECT_EQ(b.Row, 1);
    EXPECT_TRUE(b.NewRow);
    EXPECT_EQ(RowHitTest(rows, 33).Row, 1);
    EXPECT_FALSE(RowHitTest(rows, 34).NewRow);
    EXPECT_EQ(RowHitTest(rows, 60).Row, 2);
    EXPECT_TRUE(RowHitTest(rows, 60).NewRow);
    EXPECT_FALSE(RowHitTest(rows, 200).NewRow);
    EXPECT_EQ(RowHitTest({}, 0).Row, 0);

    // A drop whose middle is within 5 pixels of the boundary opens a new row 1.
    const TDropPlace d = DropPlace(TRect{40, 16, 140, 44}, false, rows);
    EXPECT_EQ(d.Row, 1);
    EXPECT_TRUE(d.NewRow);
    EXPECT_EQ(d.Pos, 40);
}

TEST(Drag, MulDivRoundsAndRefusesAZeroDivisor)
{
    EXPECT_EQ(MulDiv(7, 3, 2), 11);   // 10.5 rounds away from zero
    EXPECT_EQ(MulDiv(-7, 3, 2), -11);
    EXPECT_EQ(MulDiv(10, 3, 4), 8);   // 7.5
    EXPECT_EQ(MulDiv(10, 1, 4), 3);   // 2.5
    EXPECT_EQ(MulDiv(5, 5, -2), -13); // -12.5
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
    EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX); // 64-bit intermediate
    EXPECT_EQ(MulDiv(INT_MAX, 4, 1), -1);
}

TEST(Drag, TargetsTopAndBottomFirstThenTheSides)
{
    // A 100 x 28 toolbar pressed at its left end.
    const TGrab g{QPoint(5, 10), QSize(99, 27)};
    const TDockTarget left{dpLeft, true, TRect{0, 40, 0, 600}, QSize(28, 100)};
    const TDockTarget top{dpTop, true, TRect{0, 10, 800, 38}, QSize(100, 28)};
    const TDockTarget bottom{dpBottom, true, TRect{0, 600, 800, 600}, QSize(100, 28)};
    const std::vector<TDockTarget> docks = {left, top, bottom};
    const TRect work{0, 0, 1000, 800};

    TDragChoice c = ChooseTarget(QPoint(1, 30), false, true, docks, QSize(108, 51), g, work, 4);
    EXPECT_EQ(c.Dock, 1); // the top dock wins although the left one is listed first
    EXPECT_EQ(c.Outline, (TRect{1 - 5, 30 - 10, 1 - 5 + 100, 30 - 10 + 28}));
    EXPECT_EQ(c.Thickness, 1);
    EXPECT_EQ(ChooseTarget(QPoint(1, 300), false, true, docks, QSize(108, 51), g, work, 4).Dock, 0);
    EXPECT_EQ(ChooseTarget(QPoint(1, 300), false, false, docks, QSize(108, 51), g, work, 4).Dock, -1);
    EXPECT_EQ(ChooseTarget(QPoint(1, 30), true, true, docks, QSize(108, 51), g, work, 4).Dock, -1);
    // An empty bottom dock counts as 2 pixels thick.
    EXPECT_EQ(ChooseTarget(QPoint(300, 605), false, true, docks, QSize(108, 51), g, work, 4).Dock, 2);

    // Acceptance across a top dock: up to 20 - Sy pixels above it, Sy below.
    const int sy = MulDiv(20, 10, 27); // 7
    EXPECT_TRUE(DockAccepts(top, QPoint(300, 10 - (20 - sy)), g));
    EXPECT_FALSE(DockAccepts(top, QPoint(300, 10 - (20 - sy) - 1), g));
    EXPECT_TRUE(DockAccepts(top, QPoint(300, 38 - 1 + sy), g));
    EXPECT_FALSE(DockAccepts(top, QPoint(300, 38 + sy), g));
    // Along a left dock the pointer must stay within its length.
    EXPECT_FALSE(DockAccepts(left, QPoint(0, 39), g));
    EXPECT_TRUE(DockAccepts(left, QPoint(0, 40), g));

    // Floating far away: the outline stays within the frame width + 4 of the work area.
    // The pointer is kept on the work area, and the outline too when the
    // pressed point lies far inside the toolbar.
    c = ChooseTarget(QPoint(5000, -3000), false, true, docks, QSize(108, 51), g, work, 4);
    EXPECT_EQ(c.Dock, -1);
    EXPECT_EQ(c.Thickness, 4);
    EXPECT_EQ(c.Outline, (TRect{992, -19, 1100, 32}));
    c = ChooseTarget(QPoint(-5000, 5000), false, true, docks, QSize(108, 51), g, work, 4);
    EXPECT_EQ(c.Outline.TopLeft(), QPoint(-5, 781));
    const TGrab far{QPoint(100, 27), QSize(99, 27)};
    c = ChooseTarget(QPoint(-5000, 5000), false, true, docks, QSize(108, 51), far, work, 4);
    EXPECT_EQ(c.Outline.Right, 8); // would end at 0: kept 8 pixels on
    c = ChooseTarget(QPoint(2000, -900), false, true, docks, QSize(108, 51), TGrab{QPoint(0, 0), QSize(99, 27)}, work, 4);
    EXPECT_EQ(c.Outline.Left, 992);
}

TEST(Drag, OutlineKeepsThePressedPointAcrossShapes)
{
    const TGrab g{QPoint(50, 14), QSize(99, 27)};
    EXPECT_EQ(OutlineAt(QPoint(500, 300), QSize(100, 28), g), (TRect{450, 286, 550, 314}));
    // Half way along the toolbar stays half way along a narrow shape.
    EXPECT_EQ(OutlineAt(QPoint(500, 300), QSize(41, 101), g).Left, 500 - MulDiv(40, 50, 99));
    // A 1-pixel toolbar: no division by zero.
    EXPECT_EQ(OutlineAt(QPoint(10, 10), QSize(5, 5), TGrab{QPoint(0, 0), QSize(0, 0)}).Left, 11);

    const auto bands = OutlineBands(TRect{0, 0, 100, 50}, 4);
    EXPECT_EQ(bands[0], (TRect{0, 0, 100, 4}));
    EXPECT_EQ(bands[1], (TRect{0, 46, 100, 50}));
    EXPECT_EQ(bands[2], (TRect{0, 4, 4, 46}));
    EXPECT_EQ(bands[3], (TRect{96, 4, 100, 46}));
}

TEST(Sizing, ShapeListHoldsOnlyDistinctShapes)
{
    std::vector<TLayoutControl> c(12, Ctl(23, 22));
    c.insert(c.begin() + 6, Sep());
    const QSize frame = FrameExtra(TFloatMetrics());
    int layouts = 0;
    auto layout = [&](int w) { return Place(c, 0, true, w).ClientSize; };
    const auto shapes = BuildShapeList(layout, 23, frame, seRight, &layouts);
    ASSERT_GE(shapes.size(), 3u);
    EXPECT_EQ(shapes.front(), layout(0) + frame);
    for (size_t i = 1; i < shapes.size(); ++i) {
        EXPECT_LT(shapes[i].width(), shapes[i - 1].width());
        EXPECT_GT(shapes[i].height(), shapes[i - 1].height());
        // Every shape is one the layout gives exactly at its width.
        EXPECT_EQ(layout(shapes[i].width() - frame.width()) + frame, shapes[i]);
    }
    EXPECT_EQ(shapes.back().width(), 4 + 23 + 4 + frame.width());
    // The walk skips widths that cannot give a new shape.
    const int candidates = layout(0).width() - 1 - (23 + 8) + 1;
    EXPECT_LT(layouts * 8, candidates);
    const auto tall = BuildShapeList(layout, 23, frame, seTop);
    EXPECT_EQ(tall.front(), shapes.back());

    EXPECT_EQ(SnapDistanceFor({QSize(300, 50), QSize(200, 80), QSize(195, 100)}, QSize(200, 80), seRight), 4);
    EXPECT_EQ(SnapDistanceFor({QSize(300, 50), QSize(200, 80)}, QSize(300, 50), seRight), 12);
    EXPECT_EQ(SnapDistanceFor({QSize(300, 50), QSize(300, 50)}, QSize(300, 50), seLeft), 0);
}

TEST(Sizing, MovesThroughShapesAndSnaps)
{
    const std::vector<QSize> shapes = {QSize(300, 50), QSize(200, 80), QSize(100, 150)};
    TSizing s;
    s.Begin(seRight, shapes, TRect{1000, 500, 1200, 580}, 180, 4);
    EXPECT_EQ(s.SnapDistance, 12);
    EXPECT_FALSE(s.Move(QPoint(210, 40))); // less than the snap distance: the same shape
    EXPECT_TRUE(s.Move(QPoint(240, 40)));  // growing: the smallest shape larger than wanted
    EXPECT_EQ(s.Outline, (TRect{1000, 500, 1300, 550}));
    EXPECT_EQ(s.WrapWidth, 296);
    EXPECT_TRUE(s.Move(QPoint(150, 40))); // shrinking: the largest not larger than wanted
    EXPECT_EQ(s.Outline, (TRect{1000, 500, 1100, 650}));
    EXPECT_TRUE(s.Move(QPoint(2000, 40)));
    EXPECT_EQ(s.Outline.Width(), 300);
    EXPECT_TRUE(s.Move(QPoint(-50, 40)));
    EXPECT_EQ(s.Outline.Width(), 100);

    // The left edge keeps the right one; the top edge keeps the bottom one.
    s.Begin(seLeft, shapes, TRect{1000, 500, 1200, 580}, 180, 4);
    EXPECT_TRUE(s.Move(QPoint(100, 10))); // wanted 100
    EXPECT_EQ(s.Outline, (TRect{1100, 500, 1200, 650}));
    std::vector<QSize> byHeight = {QSize(100, 150), QSize(200, 80), QSize(300, 50)};
    s.Begin(seTop, byHeight, TRect{1000, 500, 1200, 580}, 180, 4);
    EXPECT_TRUE(s.Move(QPoint(5, 60))); // wanted 20
    EXPECT_EQ(s.Outline, (TRect{1000, 530, 1300, 580}));
}

TEST(FloatingFrame, MetricsHitTestAndWorkArea)
{
    const TFloatMetrics m;
    const QSize client(91, 28);
    EXPECT_EQ(FloatWindowSize(client, m), QSize(99, 51));
    EXPECT_EQ(CaptionRect(client, true, m), (TRect{4, 4, 95, 18}));
    EXPECT_EQ(CaptionRect(client, false, m), (TRect{4, 4, 81, 18}));
    EXPECT_EQ(CloseButtonRect(client, m), (TRect{81, 4, 95, 18}));

    EXPECT_EQ(FloatHitTest(QPoint(10, 10), client, true, m), htCaption);
    EXPECT_EQ(FloatHitTest(QPoint(90, 10), client, true, m), htClose);
    EXPECT_EQ(FloatHitTest(QPoint(90, 10), client, false, m), htCaption);
    EXPECT_EQ(FloatHitTest(QPoint(10, 30), client, true, m), htClient);
    EXPECT_EQ(FloatHitTest(QPoint(0, 0), client, true, m), htTop); // a corner counts as the top edge
    EXPECT_EQ(FloatHitTest(QPoint(50, 50), client, true, m), htBottom);
    EXPECT_EQ(FloatHitTest(QPoint(2, 30), client, true, m), htLeft);
    EXPECT_EQ(FloatHitTest(QPoint(96, 30), client, true, m), htRight);
    EXPECT_EQ(FloatHitTest(QPoint(99, 30), client, true, m), htNowhere);

    const TRect work{0, 0, 1000, 700};
    EXPECT_EQ(KeepOnWorkArea(TRect{-500, -500, -400, -450}, work, true), (TRect{0, 0, 100, 50}));
    EXPECT_EQ(KeepOnWorkArea(TRect{950, 690, 1050, 740}, work, true), (TRect{950, 690, 1050, 740}));
    EXPECT_EQ(KeepOnWorkArea(TRect{950, 690, 1050, 740}, work, false), (TRect{900, 650, 1000, 700}));
    EXPECT_EQ(KeepOnWorkArea(TRect{5000, 10, 6200, 20}, work, false).Left, 0); // the left edge wins

    auto width = [](const QString& s) { return int(s.size()) * 6; };
    EXPECT_EQ(ElideCaption("Sketch Modes", 72, width), "Sketch Modes");
    EXPECT_EQ(ElideCaption("Sketch Modes", 60, width), "Sketch ...");
    EXPECT_EQ(ElideCaption("Sketch Modes", 10, width), "S...");
    EXPECT_EQ(ElideCaption("Ab", 6, width), "A...");
}

TEST(ButtonLogic, PressDragOffAndBackAndRelease)
{
    TButtonLogic b;
    const QSize size(23, 22);
    EXPECT_TRUE(b.MouseDown(true) & beRepaint);
    EXPECT_EQ(b.State, bsDown);
    EXPECT_EQ(b.MouseMove(QPoint(30, 5), size), unsigned(beRepaint));
    EXPECT_EQ(b.State, bsUp); // off the button it shows up
    b.MouseMove(QPoint(22, 21), size);
    EXPECT_EQ(b.State, bsDown); // back on it, down again
    b.MouseMove(QPoint(23, 5), size);
    const unsigned e = b.MouseUp(true, QPoint(23, 5), size);
    EXPECT_FALSE(e & beClick); // released outside: no click
    EXPECT_TRUE(e & beTracking);

    b.MouseDown(true);
    EXPECT_TRUE(b.MouseUp(true, QPoint(3, 3), size) & beClick);
    EXPECT_EQ(b.State, bsUp);
    EXPECT_EQ(b.MouseUp(true, QPoint(3, 3), size), 0u); // not held: nothing
    EXPECT_EQ(b.FaceOffset(), QPoint(0, 0));

    // The right button only takes the pointer away.
    b.MouseEntered();
    EXPECT_EQ(b.MouseDown(false), 0u);
    EXPECT_TRUE(b.MouseUp(false, QPoint(3, 3), size) & beExit);
    EXPECT_EQ(b.MouseInControl, 0);
}

TEST(ButtonLogic, GroupsDownAndAllUp)
{
    TButtonLogic a, b;
    const QSize size(23, 22);
    EXPECT_EQ(a.SetDown(true), 0u); // no group: stays up
    EXPECT_FALSE(a.Down);
    a.SetGroupIndex(1);
    b.SetGroupIndex(1);
    EXPECT_TRUE(a.SetDown(true) & beGroupNotice);
    EXPECT_EQ(a.State, bsExclusive);
    EXPECT_TRUE(a.Dithered());
    EXPECT_EQ(a.FaceOffset(), QPoint(1, 1));
    EXPECT_EQ(a.SetDown(false), 0u); // all up is not allowed
    EXPECT_TRUE(a.Down);

    // b pressed and released inside: down; a hears of it and goes up.
    b.MouseDown(true);
    const unsigned e = b.MouseUp(true, QPoint(5, 5), size);
    EXPECT_TRUE(b.Down);
    EXPECT_TRUE(e & beGroupNotice);
    EXPECT_TRUE(e & beClick);
    a.GroupNotice(b.Down, b.AllowAllUp);
    EXPECT_FALSE(a.Down);
    EXPECT_EQ(a.State, bsUp);

    // Released outside: the down button keeps its state.
    b.MouseDown(true);
    b.MouseMove(QPoint(50, 5), size);
    EXPECT_EQ(b.State, bsExclusive);
    b.MouseUp(true, QPoint(50, 5), size);
    EXPECT_TRUE(b.Down);
    EXPECT_EQ(b.State, bsExclusive);

    // With all up allowed a click lets it up; the notice hands the setting on.
    b.SetAllowAllUp(true);
    a.GroupNotice(false, true);
    EXPECT_TRUE(a.AllowAllUp);
    b.MouseDown(true);
    b.MouseUp(true, QPoint(5, 5), size);
    EXPECT_FALSE(b.Down);
    EXPECT_EQ(b.State, bsUp);

    // Disabled and enabled again: exclusive comes back for a down group button.
    a.SetDown(true);
    a.SetEnabled(false);
    EXPECT_EQ(a.State, bsDisabled);
    EXPECT_FALSE(a.DrawsEdge());
    a.SetEnabled(true);
    EXPECT_EQ(a.State, bsExclusive);
}

TEST(ButtonLogic, DropDownOpensOnThePress)
{
    TButtonLogic b;
    b.HasMenu = true;
    b.MouseEntered();
    EXPECT_TRUE(b.MouseDown(true) & beClick);
    EXPECT_EQ(b.MouseHeld, 0);
    b.MenuOpening();
    EXPECT_EQ(b.State, bsDown);
    EXPECT_EQ(b.MouseLeft(), 0u); // the pointer stays while the menu is open
    EXPECT_TRUE(b.MenuClosed() & beTracking);
    EXPECT_EQ(b.State, bsUp);
    EXPECT_EQ(b.MouseUp(true, QPoint(1, 1), QSize(23, 22)), 0u);
}

TEST(ButtonFace, GlyphCellsAndLayout)
{
    EXPECT_EQ(NumGlyphsFor(QSize(64, 16), 1), 4);
    EXPECT_EQ(NumGlyphsFor(QSize(80, 16), 1), 1);
    EXPECT_EQ(NumGlyphsFor(QSize(48, 16), 1), 3);
    EXPECT_EQ(NumGlyphsFor(QSize(36, 18), 1), 2);
    EXPECT_EQ(NumGlyphsFor(QSize(50, 16), 3), 3); // not a multiple: unchanged
    EXPECT_EQ(NumGlyphsFor(QSize(0, 16), 3), 1);  // no glyph
    EXPECT_EQ(NumGlyphsFor(QSize(16, 0), 3), 1);

    // 44 x 24 button, 36 x 18 strip, no caption: centred, (1, 1) further when down.
    TFaceRequest r;
    r.Client = QRect(1, 1, 42, 22);
    r.Strip = QSize(36, 18);
    r.NumGlyphs = 2;
    EXPECT_EQ(LayoutButtonFace(r).GlyphPos, QPoint(13, 3));
    r.Offset = QPoint(1, 1);
    EXPECT_EQ(LayoutButtonFace(r).GlyphPos, QPoint(14, 4));

    // Caption beside the glyph, the group centred; glyph right mirrors it.
    r.Offset = QPoint();
    r.Client = QRect(1, 1, 98, 22);
    r.HasCaption = true;
    r.MeasureText = [](int) { return QSize(30, 12); };
    TFaceLayout f = LayoutButtonFace(r);
    EXPECT_EQ(f.GlyphPos.x(), 1 + (98 - (18 + 4 + 30) + 1) / 2);
    EXPECT_EQ(f.TextPos.x(), f.GlyphPos.x() + 18 + 4);
    EXPECT_EQ(f.TextBounds, QRect(f.TextPos, QSize(30, 12)));
    r.Layout = 1;
    f = LayoutButtonFace(r);
    EXPECT_EQ(f.GlyphPos.x(), 1 + 98 - (98 - 52 + 1) / 2 - 18);
    EXPECT_EQ(f.TextPos.x(), f.GlyphPos.x() - 4 - 30);

    // Margin and spacing both free: equal thirds.
    r.Layout = 0;
    r.Spacing = -1;
    f = LayoutButtonFace(r);
    EXPECT_EQ(f.GlyphPos.x(), 1 + (98 - 48) / 3);
    EXPECT_EQ(f.TextPos.x(), f.GlyphPos.x() + 18 + (98 - 48) / 3);

    // Glyph on top; a vertical layout without a glyph is laid out as glyph left.
    r.Spacing = 4;
    r.Layout = 2;
    r.Client = QRect(1, 1, 40, 50);
    f = LayoutButtonFace(r);
    EXPECT_EQ(f.GlyphPos, QPoint(1 + (40 - 18 + 1) / 2, 1 + (50 - 34 + 1) / 2));
    EXPECT_EQ(f.TextPos.y(), f.GlyphPos.y() + 18 + 4);
    r.Strip = QSize();
    f = LayoutButtonFace(r);
    EXPECT_EQ(f.TextPos, QPoint(1 + (40 - 30 + 1) / 2, 1 + (50 - 12 + 1) / 2));

    // The drop-down arrow takes 9 pixels beside the caption, centred on it.
    r.Layout = 0;
    r.Client = QRect(1, 1, 60, 22);
    r.DropArrow = true;
    f = LayoutButtonFace(r);
    EXPECT_EQ(f.TextPos.x(), 1 + (60 - 39 + 1) / 2);
    EXPECT_EQ(f.ArrowPos, QPoint(f.TextPos.x() + 30, f.TextPos.y() + (12 - 3) / 2));

    // Word wrap measures within the width less the arrow, glyph, spacing and margins.
    int asked = 0;
    r.DropArrow = false;
    r.Strip = QSize(16, 16);
    r.NumGlyphs = 1;
    r.WordWrap = true;
    r.Margin = 3;
    r.MeasureText = [&](int w) {
        asked = w;
        return QSize(20, 24);
    };
    LayoutButtonFace(r);
    EXPECT_EQ(asked, 60 - (16 + 4) - 2 * 3);
}
