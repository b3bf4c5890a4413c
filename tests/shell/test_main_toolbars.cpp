// The main window's docks and toolbars: home places, what each window shows,
// the close boxes, and the toolbar places kept in the view state.
#include <memory>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QTest>

#include "platform/Activation.h"
#include "program_fixture.h"
#include "toolbars/DockButton.h"
#include "toolbars/DockToolbar.h"
#include "toolbars/ToolDock.h"

namespace {

class MainToolbars : public programtest::TProgramTest {
protected:
    void SetUp() override
    {
        TActivation::Instance().Override(true);
        Start();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        programtest::TProgramTest::TearDown();
        TActivation::Instance().Override(std::nullopt);
    }
    TDockToolbar* Bar(int K) { return Main->Toolbars.Bars[size_t(K)]; }
};

} // namespace

TEST_F(MainToolbars, FiveToolbarsAtTheirHomePlacesOnTheTopDock)
{
    const TMainToolbars& t = Main->Toolbars;
    const char* names[4] = {"Dock1", "Dock2", "Dock3", "Dock4"};
    const TDockPosition sides[4] = {dpTop, dpRight, dpLeft, dpBottom};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(t.Docks[size_t(i)]->objectName(), names[i]);
        EXPECT_EQ(t.Docks[size_t(i)]->Position(), sides[i]);
    }
    EXPECT_LT(t.Docks[0]->geometry().bottom(), Main->Mdi->geometry().top());
    EXPECT_LT(t.Docks[2]->geometry().right(), Main->Mdi->geometry().left() + 1);

    const char* captions[5] = {"Sketch Modes", "Sketch Operations", "Labels", "Widths and Sizes", "Snap Controls"};
    const int homes[5][2] = {{0, 0}, {1, 0}, {2, 0}, {2, 234}, {1, 266}};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(Bar(k)->objectName(), QString("Toolbar%1").arg(k + 1));
        EXPECT_EQ(Bar(k)->Caption(), captions[k]);
        EXPECT_EQ(Bar(k)->DockedTo(), t.Docks[0]);
        EXPECT_EQ(Bar(k)->DefaultDock(), t.Docks[0]);
        EXPECT_EQ(Bar(k)->DockRow(), homes[k][0]) << k;
        EXPECT_EQ(Bar(k)->DockPos(), homes[k][1]) << k;
        EXPECT_TRUE(Bar(k)->isVisible()); // the window shows all five
    }
    EXPECT_EQ(Bar(3)->x(), 234);
    EXPECT_EQ(Bar(4)->x(), 266);
    EXPECT_EQ(Bar(2)->y(), Bar(3)->y());
    EXPECT_EQ(Bar(2)->height(), 28); // the 22-pixel button follows its row
    EXPECT_EQ(t.ToolbarButtons[14]->y(), t.ToolbarButtons[13]->y() + 1);

    // Glyphs: two-cell strips on the label and width buttons, one cell elsewhere.
    EXPECT_EQ(t.ToolbarButtons[1]->size(), QSize(44, 24));
    EXPECT_EQ(t.ToolbarButtons[1]->NumGlyphs(), 2);
    EXPECT_EQ(t.ToolbarButtons[1]->Glyph().size(), QSize(36, 18));
    EXPECT_EQ(t.ModeButtons[1]->Glyph().size(), QSize(16, 16));
    // Each mode button is its picture alone, named by its hint.
    for (int m = 0; m < SketchModeCount; ++m) {
        if (IsSubState(m)) continue;
        EXPECT_FALSE(t.ModeButtons[size_t(m)]->Glyph().isNull()) << m;
        EXPECT_TRUE(t.ModeButtons[size_t(m)]->Caption().isEmpty()) << m;
        EXPECT_EQ(t.ModeButtons[size_t(m)]->toolTip(), SketchModes[m].Name) << m;
    }
    EXPECT_EQ(t.ZoomInButton->GroupIndex(), 2);
    EXPECT_EQ(Bar(0)->findChildren<TDockSeparator*>().size(), 5u);
    EXPECT_EQ(Bar(1)->findChildren<TDockSeparator*>().size(), 1u);
    EXPECT_EQ(Bar(4)->findChildren<TDockSeparator*>().size(), 1u);

    // With no window open none is shown.
    Boxes.Answers.assign(4, IDNO);
    Main->CloseAll();
    for (int k = 0; k < 5; ++k) EXPECT_TRUE(Bar(k)->isHidden());
    EXPECT_EQ(t.Docks[0]->height(), 0);
}

TEST_F(MainToolbars, ZoomPairAndModeButtonsKeepOneDown)
{
    const TMainToolbars& t = Main->Toolbars;
    TSketchPadWindow* pad = Main->CurrentPad;
    EXPECT_TRUE(t.ModeButtons[0]->Down());
    QTest::mouseClick(t.ZoomInButton, Qt::LeftButton);
    EXPECT_TRUE(t.ZoomInButton->Down());
    EXPECT_EQ(pad->View.ZoomInState, 1);
    QTest::mouseClick(t.ZoomOutButton, Qt::LeftButton);
    EXPECT_TRUE(t.ZoomOutButton->Down());
    EXPECT_FALSE(t.ZoomInButton->Down());
    EXPECT_EQ(pad->View.ZoomInState, 0);
    QTest::mouseClick(t.ZoomOutButton, Qt::LeftButton); // all up
    EXPECT_FALSE(t.ZoomOutButton->Down());
    EXPECT_EQ(pad->View.ZoomOutState, 0);

    // Clicking the mode that is down keeps it down.
    QTest::mouseClick(t.ModeButtons[0], Qt::LeftButton);
    EXPECT_TRUE(t.ModeButtons[0]->Down());
    QTest::mouseClick(t.ModeButtons[2], Qt::LeftButton);
    EXPECT_TRUE(t.ModeButtons[2]->Down());
    EXPECT_FALSE(t.ModeButtons[0]->Down());
    EXPECT_EQ(pad->View.SketchMode, 2);
}

TEST_F(MainToolbars, CloseBoxAndMenuFollowTheWindow)
{
    TSketchPadWindow* pad = Main->CurrentPad;
    TDockToolbar* labels = Bar(2);
    labels->SetDockedTo(nullptr);
    TFloatParent* f = labels->FloatParent();
    ASSERT_TRUE(f->isVisible());
    const QPoint close = CloseButtonRect(labels->size(), TDockToolbar::Metrics()).ToQRect().center();
    QTest::mouseClick(f, Qt::LeftButton, {}, close);
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(pad->View.ToolbarShown[2], 0);
    EXPECT_FALSE(pad->ToolbarItems[2]->isChecked());

    // The menu brings it back where it floated.
    pad->ToolbarItems[2]->trigger();
    EXPECT_EQ(pad->View.ToolbarShown[2], 1);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(labels->DockedTo(), nullptr);
}

TEST_F(MainToolbars, ViewStateKeepsPlacesAndClampsWildOnes)
{
    TSketchPadWindow* pad = Main->CurrentPad;
    Bar(1)->SetDockPos(120);
    Main->setsnap(10);
    EXPECT_EQ(Main->BuildViewState(*pad), "13,0,0,0,0,10,0,0,0,1,120,2,0,2,234,1,");

    // Huge rows and positions: no hang, rows at most 99, positions on the dock.
    Main->ApplyViewState(*pad, "13,0,0,0,0,10,0,2147483647,2147483647,-2147483648,0,99999,-50,3,9999999,0,");
    const int length = Main->Toolbars.Docks[0]->ClientLength();
    for (int k = 0; k < 4; ++k) {
        EXPECT_GE(Bar(k)->DockPos(), 0) << k;
        EXPECT_LE(Bar(k)->DockPos() + Bar(k)->width(), std::max(length, Bar(k)->width())) << k;
        EXPECT_LE(Bar(k)->DockRow(), 4) << k;
    }
    EXPECT_TRUE(Bar(1)->isHidden());
    EXPECT_TRUE(Bar(3)->isHidden());
    EXPECT_EQ(Bar(2)->DockPos() + Bar(2)->width(), length); // ends at the dock's end
    // Sketch Modes went last: the largest row number.
    EXPECT_GT(Bar(0)->DockRow(), Bar(3)->DockRow());
    const TViewState s = ParseViewState("13,0,0,0,0,10,0,2147483647,5,");
    EXPECT_EQ(s.ToolbarRow[0], 99);
}

namespace {
// Every button of every shown toolbar lies wholly inside the frame.
void ExpectAllReachable(TZOKMainWindow& main)
{
    const QRect frame = main.rect();
    for (int k = 0; k < ToolbarCount; ++k) {
        TDockToolbar* bar = main.Toolbars.Bars[size_t(k)];
        if (bar->isHidden() || !bar->DockedTo()) continue;
        for (QWidget* w : bar->OrderedControls()) {
            if (w->isHidden()) continue;
            const QRect r(w->mapTo(&main, QPoint(0, 0)), w->size());
            EXPECT_TRUE(frame.contains(r)) << bar->Caption().toStdString() << " " << w->objectName().toStdString();
        }
    }
}
} // namespace

TEST_F(MainToolbars, ToolbarsComeBackToTheirDockRowAndPlaceAfterARestart)
{
    TSketchPadWindow* pad = Main->CurrentPad;
    const TMainToolbars& t = Main->Toolbars;
    // Sketch Operations on the left dock, Labels floating, Widths and Sizes
    // on the bottom dock.
    Bar(1)->SetDockedTo(t.Docks[2]);
    Bar(1)->SetDockRow(0);
    Bar(1)->SetDockPos(40);
    Bar(2)->SetDockedTo(nullptr);
    Bar(2)->FloatParent()->move(200, 150);
    Bar(2)->FloatRect = TRect::From(Bar(2)->FloatParent()->geometry());
    Bar(3)->SetDockedTo(t.Docks[3]);
    QApplication::processEvents();
    ASSERT_TRUE(SaveAs(*pad, "placed.dta"));
    const std::string state = Main->BuildViewState(*pad);
    // The short form, then where each of the four sits.
    ASSERT_GT(state.size(), 16u);
    EXPECT_EQ(state.substr(state.size() - 16), "1,3,5,200,150,4,");
    Stop();

    Start();
    QApplication::processEvents();
    // Back on the top dock as a fresh start has them.
    EXPECT_EQ(Bar(1)->DockedTo(), Main->Toolbars.Docks[0]);
    Main->ReopenFile(1);
    QApplication::processEvents();
    const TMainToolbars& u = Main->Toolbars;
    EXPECT_EQ(Bar(0)->DockedTo(), u.Docks[0]);
    EXPECT_EQ(Bar(1)->DockedTo(), u.Docks[2]);
    EXPECT_EQ(Bar(1)->DockRow(), 0);
    EXPECT_EQ(Bar(1)->DockPos(), 40);
    EXPECT_EQ(Bar(1)->y(), 40);
    EXPECT_EQ(Bar(2)->DockedTo(), nullptr);
    EXPECT_EQ(Bar(2)->FloatRect.TopLeft(), QPoint(200, 150));
    EXPECT_EQ(Bar(3)->DockedTo(), u.Docks[3]);
    ExpectAllReachable(*Main);
    // A text of the short form puts them all back on the top dock.
    Main->ApplyViewState(*Main->CurrentPad, "13,0,0,0,0,10,0,0,0,1,0,2,0,2,234,1,");
    for (int k = 0; k < 4; ++k) EXPECT_EQ(Bar(k)->DockedTo(), u.Docks[0]) << k;
}

// A docked toolbar keeps its controls in one line: the frame, made narrower
// than the longest one, stays as wide as that toolbar needs, so no button
// lies beyond the dock's end; yet it never needs more than its screen has.
TEST_F(MainToolbars, TheFrameHoldsItsLongestDockedToolbarWithinTheScreen)
{
    Main->resize(250, 200);
    QApplication::processEvents();
    EXPECT_GE(Main->width(), Bar(0)->width());
    ExpectAllReachable(*Main);

    // Sketch Modes down the left dock of a frame on an 800 x 600 screen: the
    // frame holds as much of it as the screen has room for, and no more.
    Main->ScreenArea = [] { return QRect(0, 0, 800, 600); };
    Bar(0)->SetDockedTo(Main->Toolbars.Docks[2]);
    QApplication::processEvents();
    ASSERT_GT(Bar(0)->height() + Main->Toolbars.Docks[0]->height(), 600) << "the toolbar needs more than the screen";
    EXPECT_LE(Main->minimumHeight(), 600);
    EXPECT_GE(Main->minimumHeight(), 550);
    EXPECT_LE(Main->minimumWidth(), 800);
}

TEST_F(MainToolbars, ARowTooLongForTheFrameWrapsAndEveryButtonStaysReachable)
{
    // All four on the top row, each placed far along it, in a narrow frame.
    Main->resize(700, 600);
    QApplication::processEvents();
    Main->ApplyViewState(*Main->CurrentPad, "13,0,0,0,0,10,0,0,0,0,900,0,1800,0,2700,1,");
    QApplication::processEvents();
    ExpectAllReachable(*Main);
    // The operations toolbar with Zoom In, Save Network and Finish Node Plot.
    for (QWidget* w : {static_cast<QWidget*>(Main->Toolbars.ZoomInButton),
                       static_cast<QWidget*>(Main->Toolbars.SpeedButton1),
                       static_cast<QWidget*>(Main->Toolbars.RightClickButton)})
        EXPECT_LE(w->mapTo(Main.get(), QPoint(w->width(), 0)).x(), Main->width());
    EXPECT_GT(Bar(3)->DockRow(), 0);
}
