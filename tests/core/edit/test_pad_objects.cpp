// Select Object beyond points: hover hints, hits of pictures, title block
// and legends, the background frame and its fit; window tiling.
#include <gtest/gtest.h>

#include <optional>
#include <set>

#include <cmath>

#include "core/edit/PadObjects.h"
#include "core/edit/Tiling.h"
#include "test_edit_support.h"

using namespace edittest;

TEST(PadObjects, HoverHintOfNodesAndShapePoints)
{
    TNetwork net;
    TViewRecord view;
    TNode* a = Node(net, 100, 100);
    a->Name = "Alpha";
    a->Longitude = -879000000; // west of Greenwich: shown because the latitude is above 0
    a->Latitude = 430000000;
    TNode* b = Node(net, 300, 100);
    b->Name = "Beta";
    b->Longitude = -879000000;
    b->Latitude = -10000000; // south and west, no elevation: name only
    TLinkValues* ab = Link(net, a, b);
    ab->Name = "Main St";
    Shape(net, ab, 150, 100);
    TShapePoint* s2 = Shape(net, ab, 200, 100);
    s2->Longitude = 1; // the smallest longitude counts
    s2->Elevation = 25000;

    bool found = false;
    EXPECT_EQ(HoverHintText(net, view, 101, 102, found), "Alpha [-87.9, 43]");
    EXPECT_TRUE(found);
    EXPECT_EQ(HoverHintText(net, view, 300, 100, found), "Beta");
    EXPECT_EQ(HoverHintText(net, view, 200, 100, found), "2: Main St [1E-7, 0, 2.5]");
    EXPECT_EQ(HoverHintText(net, view, 250, 140, found), "");
    EXPECT_FALSE(found);
    a->Active = 0; // deleted: no hint
    EXPECT_EQ(HoverHintText(net, view, 100, 100, found), "");
    EXPECT_EQ(HintNumber(1.0 / 3), "0.333333333333333");
}

TEST(PadObjects, PicturesTitleBlockAndLegendsAreHitInTheirOrder)
{
    TBackgrounds b;
    b.Raster[1] = {"a.jpg", 0, 0, 1, 1};     // 0..100 x 0..50
    b.Raster[2] = {"b.jpg", 50, 0, 1, 1};    // 50..150
    b.Metafile[1] = {"c.svg", 200, 100, -2, -1}; // mirrored: 0..200 x 50..100 (200 x 50 picture)
    b.Raster[3] = {"gone.jpg", 0, 0, 1, 1};  // no picture loaded
    auto size = [](bool metafile, int slot, double& w, double& h) {
        if (metafile) {
            if (slot != 1) return false;
            w = 100, h = 50;
            return true;
        }
        if (slot > 2) return false;
        w = 100, h = 50;
        return true;
    };
    TBackgroundHit hit = HitBackground(b, size, 60, 20);
    EXPECT_EQ(hit.Raster, 1); // slot 1 lies on top of slot 2
    EXPECT_EQ(hit.Metafile, 0);
    hit = HitBackground(b, size, 100, 50); // bounds count, the metafiles on top first
    EXPECT_EQ(hit.Metafile, 1);
    EXPECT_EQ(hit.Raster, 0);
    b.MetafilesOnTop = 0; // "JPEG on Top" marked: raster slots first
    hit = HitBackground(b, size, 100, 50);
    EXPECT_EQ(hit.Raster, 1);
    EXPECT_EQ(hit.Metafile, 0);
    hit = HitBackground(b, size, 10, 90);
    EXPECT_EQ(hit.Metafile, 1);
    EXPECT_FALSE(HitBackground(b, size, 160, 20).Any());
    b.SuppressAll = 1;
    EXPECT_FALSE(HitBackground(b, size, 60, 20).Any());

    TObjectBoxes boxes;
    boxes.Title = {0, 0, 100, 40};
    boxes.NodeLegend = {50, 20, 200, 90};
    EXPECT_EQ(HitObject(boxes, 100, 40), ObjectTitle);
    EXPECT_EQ(HitObject(boxes, 101, 40), ObjectNodeLegend);
    EXPECT_EQ(HitObject(boxes, 300, 300), ObjectNone); // the link legend is not shown
    EXPECT_STREQ(ObjectHint(ObjectLinkLegend), "Link Legend");
}

TEST(PadObjects, FrameHandlesAndFit)
{
    const TPixelMap map{2.0, 0, 0, 10, 10}; // 2:1, origin 10
    TBackgroundSlot s{"p.jpg", 40, 20, 1, 1}; // a 100 x 50 picture
    const TPixelRect f = FramePixels(BackgroundWorldRect(s, 100, 50), map);
    EXPECT_EQ(f.Left, 100);
    EXPECT_EQ(f.Top, 60);
    EXPECT_EQ(f.Right, 300);
    EXPECT_EQ(f.Bottom, 160);
    const auto c = FrameLayout(f, 7, 7);
    EXPECT_EQ(c[HandleTop].Left, 196); // 196.5, ties to even
    EXPECT_EQ(c[HandleTop].Top, 57);
    EXPECT_EQ(c[HandleBottom].Top, 156);
    EXPECT_EQ(c[HandleRight].Left, 296);
    EXPECT_EQ(c[HandleBottomLeft].Left, 97);
    EXPECT_EQ(c[FrameShape].Width, 202);

    // Dragging the right handle 40 pixels right widens the frame by 40;
    // the mouse-up fits the width: the picture is 20 world units wider.
    TPixelRect g = DragFrame(f, HandleRight, c[HandleRight], 3, 3, 43, 3);
    EXPECT_EQ(g.Right, 340);
    EXPECT_EQ(g.Left, 100);
    bool fw, fh;
    RefitOf(HandleRight, fw, fh);
    EXPECT_TRUE(fw && !fh);
    TBackgroundSlot t = s;
    FitBackground(t, false, 100, 50, g, map, fw, fh);
    EXPECT_DOUBLE_EQ(t.XScale, 1.2);
    EXPECT_DOUBLE_EQ(t.YScale, 1.0);
    EXPECT_DOUBLE_EQ(t.X, 40);

    // Past the left edge: the frame flips, the picture gets a negative
    // scale and starts from the far edge, so that it still fills the frame.
    g = DragFrame(f, HandleRight, c[HandleRight], 3, 3, -237, 3); // right at 60
    t = s;
    FitBackground(t, false, 100, 50, g, map, true, false);
    EXPECT_DOUBLE_EQ(t.XScale, -0.2);
    const TWorldRect w = BackgroundWorldRect(t, 100, 50);
    EXPECT_DOUBLE_EQ(w.Left, 20);
    EXPECT_DOUBLE_EQ(w.Right, 40);
    // A metafile flipped twice is the right way round again.
    TBackgroundSlot m{"p.svg", 40, 20, -1, 1};
    FitBackground(m, true, 100, 50, {300, 60, 100, 160}, map, true, false);
    EXPECT_DOUBLE_EQ(m.XScale, 1.0);
    EXPECT_DOUBLE_EQ(m.X, 40);

    // A frame of no height keeps the old scale (and position): no picture
    // of scale 0, no division by it later.
    t = s;
    FitBackground(t, false, 100, 50, {100, 60, 300, 60}, map, true, true);
    EXPECT_DOUBLE_EQ(t.YScale, 1.0);
    EXPECT_DOUBLE_EQ(t.Y, 20);
    EXPECT_DOUBLE_EQ(t.XScale, 1.0);

    // The frame dragged as a whole moves the picture only.
    g = DragFrame(f, FrameShape, c[FrameShape], 10, 10, 30, 16);
    EXPECT_EQ(g.Left, 120);
    EXPECT_EQ(g.Bottom, 166);
    RefitOf(FrameShape, fw, fh);
    t = s;
    FitBackground(t, false, 100, 50, g, map, fw, fh);
    EXPECT_DOUBLE_EQ(t.X, 50);
    EXPECT_DOUBLE_EQ(t.Y, 23);
    EXPECT_DOUBLE_EQ(t.XScale, 1.0);
}

TEST(Tiling, StackedSideBySideAndIcons)
{
    auto r = TileWindows(2, 800, 600, true);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0], (TTileRect{0, 0, 800, 300}));
    EXPECT_EQ(r[1], (TTileRect{0, 300, 800, 300}));
    r = TileWindows(3, 900, 600, false, 30);
    EXPECT_EQ(r[2], (TTileRect{600, 0, 300, 570}));
    r = TileWindows(5, 800, 600, true); // two columns, 2 and 3 windows
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0], (TTileRect{0, 0, 400, 300}));
    EXPECT_EQ(r[4], (TTileRect{400, 400, 400, 200}));
    r = TileWindows(100, 50, 40, false); // never smaller than a pixel
    for (const TTileRect& t : r) EXPECT_TRUE(t.Width >= 1 && t.Height >= 1);

    const auto icons = ArrangeIcons(5, 500, 400, 160, 30);
    EXPECT_EQ(icons[0], (TTileRect{0, 370, 160, 30}));
    EXPECT_EQ(icons[2], (TTileRect{320, 370, 160, 30}));
    EXPECT_EQ(icons[3], (TTileRect{0, 340, 160, 30})); // the next row above
}

TEST(Tiling, CascadeStaysInsideAtAUsableSize)
{
    // Titles 150 wide, centred; the caption 26 high, with room for its buttons.
    const TCaption c{.Step = 26, .TitleWidth = 150, .TitleShift = 0, .Left = 0, .Room = 104};
    // A wide window area: three quarters of it each, one caption further on.
    auto r = CascadeWindows(3, 1600, 877, c, 400, 300);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0], (TTileRect{0, 0, 1200, 657}));
    EXPECT_EQ(r[2], (TTileRect{52, 52, 1200, 657}));
    // Eight steps of room below the first window: the ninth still cascades;
    // the tenth starts a column at the top, just past the title of the ninth.
    r = CascadeWindows(9, 1600, 877, c, 400, 300);
    EXPECT_EQ(r[8], (TTileRect{208, 208, 1200, 657}));
    r = CascadeWindows(10, 1600, 877, c, 400, 300);
    const TTileRect title = TitleRect(r[8], c);
    EXPECT_EQ(r[9].Top, 0);
    EXPECT_EQ(r[9].Left, title.Left + title.Width);
    EXPECT_LE(r[9].Left + r[9].Width, 1600);
    EXPECT_GE(r[9].Left + r[9].Width, 1598);
    // A small area: what is left beside the title of the first window, never
    // more than the area.
    r = CascadeWindows(2, 500, 250, {.Step = 26, .TitleWidth = 100, .Room = 104}, 400, 300);
    EXPECT_EQ(r[0], (TTileRect{0, 0, 299, 250}));
    EXPECT_EQ(r[1], (TTileRect{200, 0, 299, 250}));
    EXPECT_TRUE(CascadeWindows(0, 100, 100, c, 400, 300).empty());

    EXPECT_EQ(FitIntoArea({1500, -40, 300, 200}, 1600, 877), (TTileRect{1300, 0, 300, 200}));
    EXPECT_EQ(FitIntoArea({-10, 800, 2000, 200}, 1600, 877), (TTileRect{0, 677, 1600, 200}));
}

// Each window of a cascade is drawn over the ones before it; the title in
// every window's caption (one step high), centred or at the left, must stay
// in view, also when the cascade starts again at the top, and no two windows
// share a place.
namespace {
// A caption as the frame's style draws it: the title between the system menu
// (24 pixels in) and three buttons (64 pixels from the right).
constexpr TCaption Fusion{.Step = 28, .TitleWidth = 62, .TitleShift = 20, .Left = 24, .Room = 102};

// Whether a window after window i covers its title, centred or at the left.
bool TitleCovered(const std::vector<TTileRect>& r, size_t i, const TCaption& c)
{
    const TTileRect& w = r[i];
    const int32_t centred = w.Left + (w.Width - c.TitleWidth) / 2 - c.TitleShift;
    std::vector<int32_t> starts{centred};
    if (c.AtLeft) starts.push_back(w.Left + c.Left);
    for (int32_t from : starts)
        for (size_t j = i + 1; j < r.size(); ++j) {
            const TTileRect& o = r[j];
            if (o.Left < from + c.TitleWidth && o.Left + o.Width > from && o.Top < w.Top + c.Step &&
                o.Top + o.Height > w.Top)
                return true;
        }
    return false;
}

// The window areas of frames of 1600 x 1000, 1024 x 768 and 800 x 600.
const std::pair<int32_t, int32_t> Areas[] = {{1600, 879}, {1024, 647}, {800, 479}};
} // namespace

TEST(Tiling, CascadeLeavesEveryTitleInView)
{
    // A style that may put the title at the left, too.
    TCaption atLeft = Fusion;
    atLeft.AtLeft = true;
    for (const TCaption& caption : {Fusion, atLeft}) {
        for (const auto& [width, height] : Areas)
            for (int count = 1; count <= 100; ++count) {
                const auto r = CascadeWindows(count, width, height, caption, 400, 300);
                ASSERT_EQ(r.size(), size_t(count));
                std::set<std::pair<int32_t, int32_t>> places;
                for (size_t i = 0; i < r.size(); ++i) {
                    const TTileRect& t = r[i];
                    SCOPED_TRACE(std::to_string(width) + " wide, " + std::to_string(count) + " windows, window " +
                                 std::to_string(i + 1));
                    EXPECT_FALSE(TitleCovered(r, i, caption));
                    EXPECT_TRUE(places.insert({t.Left, t.Top}).second) << "on another window";
                    EXPECT_GE(t.Left, 0);
                    EXPECT_GE(t.Top, 0);
                    EXPECT_LE(t.Left + t.Width, width);
                    EXPECT_LE(t.Top + t.Height, height);
                    // The whole title fits beside the system menu and the buttons.
                    EXPECT_GE(t.Width, Fusion.TitleWidth + Fusion.Room);
                    EXPECT_GE(t.Height, 2 * Fusion.Step);
                    // Up to a dozen windows keep the least usable size.
                    if (count <= 12) {
                        EXPECT_GE(t.Width, 400);
                        EXPECT_GE(t.Height, 300);
                    }
                }
            }
    }
    // Twelve windows in the middle area: two columns of six, each window one
    // step right of the one before, the second column past the titles of the first.
    const auto twelve = CascadeWindows(12, 1024, 647, Fusion, 400, 300);
    EXPECT_EQ(twelve[5].Left, 5 * Fusion.Step);
    EXPECT_EQ(twelve[6].Top, 0);
    // More windows than even the smallest size lets show their titles: they
    // run down in bands, each window one step right of the one before, each
    // band one step further right, no two in one place.
    TCaption wide = Fusion;
    wide.TitleWidth = 386;
    const auto crowded = CascadeWindows(100, 800, 479, wide, 400, 300);
    std::set<std::pair<int32_t, int32_t>> places;
    for (const TTileRect& t : crowded) {
        EXPECT_LE(t.Left + t.Width, 800);
        EXPECT_LE(t.Top + t.Height, 479);
        EXPECT_TRUE(places.insert({t.Left, t.Top}).second) << t.Left << "," << t.Top;
    }
    EXPECT_EQ(crowded[1].Left - crowded[0].Left, 28);
    EXPECT_EQ(crowded[1].Top - crowded[0].Top, 28);
}

// Windows opened one at a time stay where they are: each new one takes the
// next free place of a cascade after them, as large as Window > Cascade
// would make it, and covers none of their titles, centred or at the left;
// when the area has no such place left, the frame cascades them all afresh.
TEST(Tiling, NewWindowsCoverNoTitle)
{
    TCaption atLeft = Fusion;
    atLeft.AtLeft = true;
    for (const TCaption& caption : {Fusion, atLeft})
        for (const auto& [width, height] : Areas) {
            std::vector<TPlacedWindow> open;
            std::vector<TTileRect> placed;
            int afresh = 0;
            for (int count = 1; count <= 100; ++count) {
                SCOPED_TRACE(std::to_string(width) + " wide, window " + std::to_string(count) +
                             (caption.AtLeft ? ", title at the left" : ", title centred"));
                const TTileRect cascaded = CascadeWindows(count, width, height, caption, 400, 300).back();
                if (const std::optional<TTileRect> r = NextCascadePlace(open, width, height, caption, 400, 300)) {
                    EXPECT_GE(r->Left, 0);
                    EXPECT_GE(r->Top, 0);
                    EXPECT_LE(r->Left + r->Width, width);
                    EXPECT_LE(r->Top + r->Height, height);
                    EXPECT_GE(r->Width, cascaded.Width);
                    EXPECT_GE(r->Height, cascaded.Height);
                    for (const TTileRect& p : placed) EXPECT_FALSE(p.Left == r->Left && p.Top == r->Top);
                    open.push_back({*r, caption.TitleWidth});
                    placed.push_back(*r);
                } else {
                    ++afresh;
                    placed = CascadeWindows(count, width, height, caption, 400, 300);
                    open.clear();
                    for (const TTileRect& p : placed) open.push_back({p, caption.TitleWidth});
                }
                for (size_t i = 0; i + 1 < placed.size(); ++i)
                    EXPECT_FALSE(TitleCovered(placed, i, caption)) << "the title of window " << i + 1;
                if (count == 2) { // one step apart at three quarters of the area
                    EXPECT_EQ(placed[1], (TTileRect{28, 28, width * 3 / 4, height * 3 / 4}));
                }
            }
            EXPECT_GT(afresh, 0) << "the area never filled up";
        }
    // An area with no such place left: nothing (the frame then cascades them all).
    TCaption wide = Fusion;
    wide.TitleWidth = 300;
    std::vector<TPlacedWindow> open;
    std::vector<TTileRect> placed;
    while (const std::optional<TTileRect> r = NextCascadePlace(open, 500, 120, wide, 400, 300)) {
        placed.push_back(*r);
        open.push_back({*r, wide.TitleWidth});
        ASSERT_LE(placed.size(), 10u);
    }
    EXPECT_GE(placed.size(), 2u);
    for (size_t i = 0; i + 1 < placed.size(); ++i) EXPECT_FALSE(TitleCovered(placed, i, wide));
}
