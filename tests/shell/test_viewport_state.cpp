// Zoom arithmetic, view-state texts, the recent-files list, real-number texts,
// and the shrinking dialog base.
#include <gtest/gtest.h>

#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/RealEdit.h"
#include "shell/RecentFiles.h"
#include "shell/ShrinkForm.h"
#include "shell/Viewport.h"

TEST(Viewport, ScalesRangesAndMapping)
{
    EXPECT_DOUBLE_EQ(ScaleOfLevel(12), 0.75);
    EXPECT_DOUBLE_EQ(ScaleOfLevel(1), 4.0 / 288.0);
    EXPECT_DOUBLE_EQ(ScaleOfLevel(18), 6.0);
    EXPECT_EQ(ZoomRatioText(13), "1:1");
    EXPECT_EQ(ZoomRatioText(12), "3:4");

    EXPECT_EQ(ScrollRange(0, 1000, 1.0), 1020);
    EXPECT_LT(ScrollRange(512000, -512000, 1.0), 0); // trimmed empty network

    // World -> pixel -> world at 2:1 with a scroll offset.
    const int32_t minX = -50, origin = 10 - minX;
    const double scale = ScaleOfLevel(15);
    for (int32_t w : {-50, 0, 7, 1234}) {
        int32_t px = WorldToPixel(w, origin, scale, 40);
        EXPECT_EQ(PixelToWorld(px, minX, scale, 40), w);
    }
}

TEST(Viewport, CentringNeverGoesNegativeOrDividesByZero)
{
    const double s = ScaleOfLevel(15);
    const int32_t range = ScrollRange(0, 1000, s);
    EXPECT_EQ(CentredScrollPosition(5, 0, 1000, range, 400), 0); // near the left edge
    EXPECT_EQ(CentredScrollPosition(500, 0, 1000, range, 400), 1000 - 200); // 500 * 2040 / 1020 - 200
    // Extents that leave no span (Max - Min + 20 == 0) and inverted ones.
    EXPECT_EQ(CentredScrollPosition(0, 10, -10, 0, 400), 0);
    EXPECT_EQ(CentredScrollPosition(0, 512000, -512000, -1024000, 400), 0);
    EXPECT_EQ(RescaledScrollPosition(100, 0.0, 2.0), 0);
}

TEST(Viewport, ZoomLimitFactor)
{
    EXPECT_TRUE(ZoomLevelFits(1920, 1));   // 1920 * 72 = 138240
    EXPECT_FALSE(ZoomLevelFits(5000, 1));  // 360000
    EXPECT_TRUE(ZoomLevelFits(10000, 4));  // exactly 240000
    EXPECT_TRUE(ZoomLevelFits(320000, 13)); // exactly the limit passes
    EXPECT_FALSE(ZoomLevelFits(1024, 0));
}

TEST(ViewState, BuildsAndParsesTheText)
{
    TViewState s;
    s.ToolbarVisible = {true, true, false, false};
    s.ToolbarRow = {0, 1, 0, 0};
    s.AutoBackup = 0;
    EXPECT_EQ(BuildViewState(s), "13,0,0,0,0,10,0,0,0,1,0,-1,-1,0,");

    TViewState p = ParseViewState("13,0,0,0,0,10,0,-1,-1,-1,-1,0,");
    EXPECT_EQ(p.ZoomLevel, 13);
    EXPECT_EQ(p.SketchMode, 0);
    for (bool v : p.ToolbarVisible) EXPECT_FALSE(v);
    EXPECT_EQ(p.AutoBackup, 0);

    TViewState q = ParseViewState("15,1,0,120,80,25,9,0,0,1,0,2,0,2,234,1,");
    EXPECT_EQ(q.ZoomLevel, 15);
    EXPECT_EQ(q.DarkCursor, 1);
    EXPECT_EQ(q.HorzPos, 120);
    EXPECT_EQ(q.VertPos, 80);
    EXPECT_EQ(q.SnapStep, 25);
    EXPECT_EQ(q.SketchMode, 9);
    EXPECT_EQ(q.ToolbarRow[3], 2);
    EXPECT_EQ(q.ToolbarPos[3], 234);
    EXPECT_EQ(q.AutoBackup, 1);
    EXPECT_EQ(BuildViewState(q), "15,1,0,120,80,25,9,0,0,1,0,2,0,2,234,1,");
}

TEST(ViewState, DamagedTextsGiveSafeValues)
{
    // Sub-states restore their parent modes.
    EXPECT_EQ(ParseViewState("13,0,0,0,0,10,13,").SketchMode, 11);
    EXPECT_EQ(ParseViewState("13,0,0,0,0,10,15,").SketchMode, 14);
    EXPECT_EQ(ParseViewState("13,0,0,0,0,10,18,").SketchMode, 17);
    // Out of range and unreadable fields.
    TViewState s = ParseViewState("99,x,0,-5,,0,200,");
    EXPECT_EQ(s.ZoomLevel, 10);
    EXPECT_EQ(s.HorzPos, 0);
    EXPECT_EQ(s.SnapStep, 1);
    EXPECT_EQ(s.SketchMode, 0);
    // A text that ends early: zoom 10, toolbars shown at row 0.
    TViewState e = ParseViewState("");
    EXPECT_EQ(e.ZoomLevel, 10);
    EXPECT_TRUE(e.ToolbarVisible[0]);
    EXPECT_EQ(e.AutoBackup, 0);
}

TEST(RecentFiles, UpdateKeepsFourMostRecentAndSkipsUntitled)
{
    TRecentFiles r;
    for (const char* f : {"a.dta", "b.dta", "c.dta", "d.dta"}) r.Update(f, std::string("v") + f, "noname.DTA");
    EXPECT_EQ(r.Count, 4);
    EXPECT_EQ(r.Files[1], "d.dta");
    EXPECT_EQ(r.Files[4], "a.dta");

    r.Update("noname.DTA", "x", "noname.DTA");
    EXPECT_EQ(r.Files[1], "d.dta");

    r.Update("b.dta", "new", "noname.DTA"); // entry 3 of a full list
    EXPECT_EQ(r.Count, 4);
    EXPECT_EQ((std::vector<std::string>{r.Files[1], r.Files[2], r.Files[3], r.Files[4]}),
              (std::vector<std::string>{"b.dta", "d.dta", "c.dta", "a.dta"}));
    EXPECT_EQ(r.ViewStates[1], "new");
    EXPECT_EQ(r.ViewStates[2], "vd.dta");

    r.Update("e.dta", "ve", "noname.DTA"); // a fifth file drops the oldest
    EXPECT_EQ(r.Files[1], "e.dta");
    EXPECT_EQ(r.Files[4], "c.dta");
}

TEST(RecentFiles, ReadIgnoresNamesOutsideThePatterns)
{
    TRecentFiles r;
    r.Read({{"file1", "a.dta"},
            {"filepref1", "13,"},
            {"file2", "b.dta"},
            {"filepref2", "12,"},
            {"file9", "evil.dta"},
            {"fileX", "evil.dta"},
            {"filepref0", "x"},
            {"files", "y"},
            {"zz", "q"}});
    EXPECT_EQ(r.Count, 2);
    EXPECT_EQ(r.Files[2], "b.dta");
    EXPECT_EQ(r.ViewStates[2], "12,");
    auto v = r.Values();
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[3].first, "filepref2");

    TRecentFiles gap; // entry 1 missing: nothing usable
    gap.Read({{"file2", "b.dta"}});
    EXPECT_EQ(gap.Count, 0);
}

TEST(RealText, FixedAndScientificForms)
{
    EXPECT_EQ(FormatRealText(0), "0.");
    EXPECT_EQ(FormatRealText(100), "100.");
    EXPECT_EQ(FormatRealText(-2.5), "-2.5");
    EXPECT_EQ(FormatRealText(0.000001), "0.000001");
    EXPECT_EQ(FormatRealText(123456789), " 1.2345679E+08");
    EXPECT_EQ(FormatRealText(0.0000005), " 5.0000000E-07");
    EXPECT_EQ(FormatRealText(-1e20), "-1.0000000E+20");
}

TEST(RealText, GetValueIsStrict)
{
    trealedit e;
    bool ok = true;
    e.setText("12. ");
    EXPECT_EQ(e.GetValue(false, ok), 12);
    EXPECT_TRUE(ok);
    for (const char* bad : {"abc", "", "nan", "inf", "0x10", "1e", "1.2.3", "1e999"}) {
        ok = true;
        e.setText(bad);
        EXPECT_EQ(e.GetValue(false, ok), 0) << bad;
        EXPECT_FALSE(ok) << bad;
    }
    ok = true;
    e.setText("-1");
    EXPECT_EQ(e.GetValue(true, ok), -1);
    EXPECT_FALSE(ok);
    e.SetValue(2.5);
    EXPECT_EQ(e.text(), "2.5");
}

namespace {
class TRowsForm : public TShrinkForm {
public:
    TRowsForm(int Rows, bool Pages)
    {
        auto* v = new QVBoxLayout(this);
        QWidget* host = this;
        if (Pages) {
            auto* tabs = new QTabWidget(this);
            tabs->setObjectName("PageControl1");
            for (int t = 1; t <= 10; ++t) {
                auto* page = new QWidget;
                page->setObjectName(QString("TabSheet%1").arg(t));
                tabs->addTab(page, QString::number(t));
            }
            v->addWidget(tabs);
            host = tabs->widget(0);
            new QVBoxLayout(host);
        }
        for (int i = 1; i <= Rows; ++i) {
            auto* r = new QRadioButton(QString("Row %1").arg(i), host);
            r->setObjectName(QString("RadioButton%1").arg(i));
            host->layout() ? host->layout()->addWidget(r) : v->addWidget(r);
        }
        adjustSize();
        FindRows();
    }
};
} // namespace

TEST(ShrinkForm, ShrinksToTheLargerOfCountAndMinRows)
{
    TRowsForm f(12, false);
    ASSERT_EQ(f.RowCount, 12);
    ASSERT_GT(f.RowPitch, 0);
    f.PrepareShrunk(3, 0, 7, nullptr);
    EXPECT_EQ(f.ShrinkAmount, 5 * f.RowPitch);
    EXPECT_FALSE(f.Rows[3]->isHidden());
    EXPECT_TRUE(f.Rows[4]->isHidden());
    EXPECT_EQ(f.Rows[2]->property("tag").toInt(), 2);
    qobject_cast<QRadioButton*>(f.Rows[2])->setChecked(true);
    EXPECT_EQ(f.CheckedRow(), 2);

    TRowsForm p(10, true);
    EXPECT_EQ(p.TabCount, 10);
    p.PrepareShrunk(25, 0, 6, nullptr);
    EXPECT_EQ(p.ShrinkAmount, 0);
    EXPECT_TRUE(p.PageControl->isTabVisible(2));
    EXPECT_FALSE(p.PageControl->isTabVisible(3));
}
