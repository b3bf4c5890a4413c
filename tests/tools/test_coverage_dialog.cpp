// "Polygon Coverage": its input and output lists (numbers only), what it
// shows and stores, the names memo, Go under a hold with its buttons
// disabled, the status texts, and over a window the marks of covered points
// until Refresh and choices that stay with that window.
#include "tools/PolygonCoverageDialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include "core/file/TextFormat.h"
#include "display/WidthDialogs.h"
#include "schema/ValueDialogs.h"
#include "tools/CoverageMarks.h"
#include "analysis_dialogs.h"

using namespace analysistest;

namespace {

// Zone class 1 "Zone" (R I C S) with a 40 x 40 zone; class 2 "Park" owns
// the element polygon P over the zone's lower right quarter.
struct TZones {
    TNode* Zone;
    void Build(TNetwork& net)
    {
        Define((*net.NodeClasses)[1], "Zone", "RICS");
        Define((*net.NodeClasses)[2], "Park", "");
        Zone = Polygon(net, {{0, 0}, {40, 0}, {40, 40}, {0, 40}}, 1, "Z");
        Set(Zone, 1, 80);
        Polygon(net, {{20, 20}, {60, 20}, {60, 60}, {20, 60}}, 2, "P");
    }
};

struct CoverageDialog : ::testing::Test, TDialogWindow {
    TZones Z;
    TPolygonCoverageSettings Coverage;
    std::unique_ptr<TPolygonCoverageDB> D;

    void SetUp() override
    {
        Z.Build(Net);
        Settings.UnitsName = "Miles";
    }
    void Open() { D = std::make_unique<TPolygonCoverageDB>(Ctx, Coverage, nullptr); }
    std::string Status() const { return D->StatusEdit->text().toStdString(); }
};

} // namespace

TEST_F(CoverageDialog, ListsTakeNumbersOnlyAndOkStoresWhatTheControlsShow)
{
    Coverage.InputChoice[1] = 3; // categorical: shown as "None"
    Coverage.OutputAttribute[1] = 2;
    Coverage.ElementNames = {"P"};
    Open();
    EXPECT_TRUE(D->InputBoxes[3]->isHidden());
    QStringList inputs;
    for (int i = 0; i < D->InputBoxes[1]->count(); ++i) inputs << D->InputBoxes[1]->itemText(i);
    EXPECT_EQ(inputs, (QStringList{"None", "Zone1", "Zone2", "Zone3", "Zone4", "Node Size Expression 1",
                                   "Node Size Expression 2", "Area in Sq Miles", "Number Touched", "Number Majority",
                                   "Number Whole"}));
    EXPECT_EQ(D->InputBoxes[1]->currentIndex(), 0);
    EXPECT_FALSE(D->OutputBoxes[1]->isEnabled());
    EXPECT_FALSE(D->RadiusEdit->isEnabled()) << "polygons have no radius";
    EXPECT_EQ(Status(), "Just one element has been entered.");

    D->InputBoxes[1]->setCurrentIndex(4); // string
    EXPECT_EQ(D->InputBoxes[1]->currentIndex(), 0);
    D->InputBoxes[1]->setCurrentIndex(1);
    EXPECT_TRUE(D->OutputBoxes[1]->isEnabled());
    D->OutputBoxes[1]->setCurrentIndex(3); // categorical
    EXPECT_EQ(D->OutputBoxes[1]->currentIndex(), 0);
    D->OutputBoxes[1]->setCurrentIndex(2);
    D->TypeButtons[CoverageNodeCircle]->setChecked(true);
    EXPECT_TRUE(D->RadiusEdit->isEnabled());
    // The memo lists the edit's text first; its first line becomes the edit's.
    std::vector<std::string> shown;
    std::string caption;
    Nested = [&](QDialog& d) {
        auto& memo = static_cast<TMemoDB&>(d);
        shown = memo.Lines();
        caption = d.windowTitle().toStdString();
        memo.Memo1->setPlainText("Q\n\nP");
        return int(QDialog::Accepted);
    };
    D->Edit1->setText("R");
    QTest::mouseDClick(D->Edit1, Qt::LeftButton);
    EXPECT_EQ(caption, "Additional Nodes");
    EXPECT_EQ(shown, std::vector<std::string>{"R"});
    EXPECT_EQ(D->Edit1->text(), "Q");
    EXPECT_EQ(Status(), "Multiple elements have been entered.");
    D->TypeButtons[CoverageLinkBlunt]->setChecked(true);

    D->CancelButton->click();
    EXPECT_EQ(Coverage.InputChoice[1], 3) << "Cancel stores nothing";
    D->OKButton->click();
    EXPECT_EQ(Coverage.InputChoice[1], 1);
    EXPECT_EQ(Coverage.OutputAttribute[1], 2);
    EXPECT_EQ(Coverage.ElementNames, (std::vector<std::string>{"Q", "P"}));
    EXPECT_EQ(Coverage.ElementType, CoverageLinkBlunt);
}

TEST_F(CoverageDialog, GoRunsUnderAHoldWithItsButtonsDisabledAndReportsInTheStatusField)
{
    Coverage.InputChoice[1] = CoverageInputIndex(CoverageArea, 4);
    Coverage.OutputAttribute[1] = 2; // integer
    Open();
    int repaints = 0;
    D->Repaint = [&] { ++repaints; };
    std::vector<bool> held;
    bool disabled = false, visible = false;
    D->BeginRun = [&] {
        disabled = !D->GoButton->isEnabled() && !D->OKButton->isEnabled() && !D->CancelButton->isEnabled() &&
                   !D->RefreshButton->isEnabled() && !D->InputBoxes[1]->isEnabled();
        D->reject();
        D->close();
        visible = D->isVisible();
        return RecordHolds(held)();
    };
    D->show();

    D->GoButton->click();
    EXPECT_EQ(Status(), "Working...") << "no element name";
    D->Edit1->setText("Z9");
    D->GoButton->click();
    EXPECT_EQ(Status(), "Polygon not found");
    EXPECT_EQ(repaints, 0);

    D->TypeButtons[CoveragePolygon]->setChecked(true);
    D->Edit1->setText("P");
    D->GoButton->click();
    EXPECT_TRUE(disabled);
    EXPECT_TRUE(visible) << "the dialog stays while the scan runs";
    EXPECT_EQ(held.back(), false);
    EXPECT_TRUE(D->GoButton->isEnabled() && D->InputBoxes[1]->isEnabled());
    const TCoverageResult& r = D->LastResult();
    ASSERT_TRUE(r.Ran);
    EXPECT_EQ(Status(), RealText(false, 15, r.Total));
    EXPECT_EQ(Val(Z.Zone, 2), std::floor(r.Total + 0.5));
    EXPECT_TRUE(Net.Modified) << "written outputs change the network";
    EXPECT_EQ(repaints, 1);
}

TEST(CoverageMenu, MarksShowOnTheWindowUntilRefreshAndTheChoicesStayWithIt)
{
    TProgram program;
    TZOKMainWindow& main = *program.Main;
    TSketchPadWindow* pad = program.Pad;
    QAction* item = pad->Action("PolygonCoverage1");
    EXPECT_EQ(item->text(), "Polygon Coverage...");
    EXPECT_FALSE(program.Enabled("PolygonCoverage1")) << "no node class";
    TZones zones;
    zones.Build(*pad->Network);
    EXPECT_TRUE(program.Enabled("PolygonCoverage1"));
    main.TrimToExtents(*pad);
    pad->View.Saved = 1;

    // A covered point inside both squares, and one of the zone alone.
    const QPoint covered(pad->PixelX(30), pad->PixelY(30)), bare(pad->PixelX(10), pad->PixelY(10));
    const QColor cyan(0, 255, 255);
    auto colourAt = [&](QPoint p) {
        QApplication::processEvents();
        return pad->viewport()->grab().toImage().pixelColor(p);
    };
    ASSERT_NE(colourAt(covered), cyan);
    struct {
        QColor Covered, Bare, Refreshed;
        size_t Spans = 0;
    } seen;
    std::vector<TWidthKind> widths;
    main.ExecDialog = [&](QDialog& d) {
        if (auto* w = qobject_cast<TWidthExpressionsDB*>(&d)) {
            widths.push_back(w->Kind);
            return int(QDialog::Rejected);
        }
        auto* dialog = static_cast<TPolygonCoverageDB*>(&d);
        dialog->SizeButton->click();
        dialog->Edit1->setText("P");
        dialog->InputBoxes[1]->setCurrentIndex(CoverageInputIndex(CoverageTouched, 4));
        dialog->OutputBoxes[1]->setCurrentIndex(2);
        dialog->GoClick();
        seen.Spans = TCoverageMarks::Of(*pad).Spans().size();
        seen.Covered = colourAt(covered);
        seen.Bare = colourAt(bare);
        dialog->RefreshButton->click();
        seen.Refreshed = colourAt(covered);
        dialog->GoClick();
        dialog->accept();
        return dialog->result();
    };
    item->trigger();
    EXPECT_EQ(widths, std::vector<TWidthKind>{TWidthKind::Nodes});
    EXPECT_GT(seen.Spans, 0u);
    EXPECT_EQ(seen.Covered, cyan);
    EXPECT_NE(seen.Bare, cyan);
    EXPECT_NE(seen.Refreshed, cyan);
    EXPECT_TRUE(TCoverageMarks::Of(*pad).Spans().empty()) << "the marks go with the dialog";
    EXPECT_EQ(Val(zones.Zone, 2), 1);
    EXPECT_EQ(pad->View.Saved, 0);
    EXPECT_EQ(pad->PolygonCoverageSettings.OutputAttribute[1], 2);

    // The choices are the window's: a new view starts without them.
    TSketchPadWindow* view = main.NewView();
    EXPECT_EQ(view->PolygonCoverageSettings.OutputAttribute[1], 0);

    // While a scan holds the network, its windows stay open.
    pad->View.Saved = view->View.Saved = 1;
    {
        auto hold = HoldNetworkForRun(*pad, TAnalysisKind::Coverage);
        EXPECT_FALSE(main.FormCloseQuery(*pad));
    }
    EXPECT_TRUE(main.FormCloseQuery(*pad));
}
