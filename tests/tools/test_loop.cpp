// The loop through networks in the program: the dialog's list and settings,
// the viewer's frames on windows made here (with an injected clock), the
// style window's widths, and the clock control.
#include "tools/LoopDialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QAbstractScrollArea>

#include <stdexcept>

#include "tools/CClock.h"
#include "tools/LoopCanvasDialog.h"
#include "../core/analysis/analysis_networks.h"
#include "../shell/program_fixture.h"

using namespace analysistest;

namespace {

class Loop : public programtest::TProgramTest {
protected:
    void SetUp() override { Start(); }
    int Record(QDialog& d)
    {
        Shown.push_back(d.objectName().toStdString());
        return 0;
    }

    // A window holding a link from (0, 0) to (100, 0), under a caption.
    TSketchPadWindow* Window(const std::string& caption)
    {
        TSketchPadWindow* pad = Main->NewSchema();
        TNetwork& net = *pad->Network;
        Define((*net.NodeClasses)[1], "Node", "");
        Define((*net.LinkClasses)[1], "Street", "");
        (*net.LinkClasses)[1].Color = 1;
        Link(net, Node(net, 0, 0), Node(net, 100, 0));
        net.NodeCount = 2;
        pad->View.SetExtents(0, 0, 100, 100);
        pad->SetCaption(caption);
        return pad;
    }
    static std::vector<std::string> Listed(const TLoopDB& d)
    {
        std::vector<std::string> out;
        for (int i = 0; i < d.ListBox1->count(); ++i) out.push_back(d.ListBox1->item(i)->text().toStdString());
        return out;
    }
    // "Loop" of the dialog, with the viewer handed to run; the clock reads 13:20:30.
    void RunViewer(TLoopDB& d, const std::function<void(TLoopCanvasDB&)>& run)
    {
        d.ClockNow = [] { return QTime(13, 20, 30); };
        d.ExecDialog = [&](QDialog& v) {
            if (auto* viewer = qobject_cast<TLoopCanvasDB*>(&v)) run(*viewer);
            return Record(v);
        };
        d.LoopClick();
        d.ExecDialog = [this](QDialog& v) { return Record(v); };
    }
    // The frame window after each of n ticks (nullptr when a tick drew
    // nothing) and the captions of the frames drawn.
    struct TFrames {
        std::vector<TSketchPadWindow*> Windows;
        std::vector<std::string> Captions;
    };
    static TFrames Tick(TLoopCanvasDB& v, int n)
    {
        TFrames f;
        for (int i = 0; i < n; ++i) {
            const QString before = v.windowTitle();
            v.Timer1Timer();
            const bool drawn = v.windowTitle() != before;
            f.Windows.push_back(drawn ? v.FrameWindow() : nullptr);
            if (drawn) f.Captions.push_back(v.windowTitle().toStdString());
        }
        return f;
    }
};

} // namespace

TEST_F(Loop, DialogListsTheWindowsByTheirDigitsAndReordersOnlyItsList)
{
    TSketchPadWindow* d10 = Window("day10.dta");
    TSketchPadWindow* d9 = Window("day9.dta");
    TSketchPadWindow* plain = Window("base.dta");
    TLoopSettings& s = ProgramLoopSettings(*Main);
    s.Speed = 3;
    s.StartHour = 6;
    Main->CurrentPad->Action("Loop1")->trigger();
    EXPECT_EQ(Shown, std::vector<std::string>{"LoopDB"});
    TLoopDB d(*Main, s);
    EXPECT_EQ(Listed(d), (std::vector<std::string>{"base.dta", "day9.dta", "day10.dta"}));
    EXPECT_EQ(d.ListBox1->currentRow(), 0);
    EXPECT_EQ(d.TrackBar1->value(), 3);
    EXPECT_EQ(d.HourEdit->value(), 6);
    EXPECT_EQ(d.TrackBar2->toolTip(), "Zoom state = 1:1");
    d.TrackBar2->setValue(1);
    EXPECT_EQ(d.TrackBar2->toolTip(), "Zoom state = 1:72");

    d.DownButton->click(); // base goes down, then to the end, and no further
    d.Demote1->trigger();
    d.DownButton->click();
    EXPECT_EQ(Listed(d), (std::vector<std::string>{"day9.dta", "day10.dta", "base.dta"}));
    EXPECT_EQ(d.Entries()[2].Window, plain) << "entries move with their windows";
    d.Promote1->trigger();
    d.UpButton->click();
    d.UpButton->click();
    EXPECT_EQ(Listed(d), (std::vector<std::string>{"base.dta", "day9.dta", "day10.dta"}));
    d.ListBox1->setCurrentRow(1);
    d.SpeedButton1->click();
    EXPECT_EQ(Listed(d), (std::vector<std::string>{"base.dta", "day10.dta"}));
    EXPECT_EQ(d.Entries()[0].Window, plain);
    EXPECT_EQ(d.Entries()[1].Window, d10);
    EXPECT_EQ(d.ListBox1->currentRow(), 1);
    EXPECT_TRUE(d9->Network && Main->PadCount() == 3) << "the network stays open";

    d.HourEdit->setValue(8);
    d.reject();
    EXPECT_EQ(s.StartHour, 6) << "Cancel keeps nothing";
    d.ShowClockBox->setChecked(true);
    d.OKClick();
    EXPECT_EQ(s.StartHour, 8);
    EXPECT_EQ(s.ZoomState, 1);
    EXPECT_EQ(s.ShowClock, 1);
}

// Windows saved to, or opened from, folders whose names hold digits are
// listed by their file names: the folders' digits play no part.
TEST_F(Loop, WindowsFromNumberedFoldersAreListedByTheirFileNames)
{
    ASSERT_TRUE(QDir(Dir.path()).mkpath("day 20"));
    ASSERT_TRUE(QDir(Dir.path()).mkpath("day 1"));
    Chooser.ToSave = Path("day 20/net3.dta");
    ASSERT_TRUE(Main->SaveAs(*Window("x")));
    Chooser.ToSave = Path("day 1/net12.dta");
    ASSERT_TRUE(Main->SaveAs(*Window("y")));
    EXPECT_EQ(Listed(TLoopDB(*Main, ProgramLoopSettings(*Main))),
              (std::vector<std::string>{"net3.dta", "net12.dta"}));

    Main->OpenFiles({Path("day 1/net12.dta"), Path("day 20/net3.dta")});
    ASSERT_EQ(Main->PadCount(), 4);
    EXPECT_EQ(Listed(TLoopDB(*Main, ProgramLoopSettings(*Main))),
              (std::vector<std::string>{"net3.dta", "net3.dta", "net12.dta", "net12.dta"}));
}

// Times in file names stay whole in the list and in the viewer's frames:
// a ':' is part of a name, not the end of a folder.
TEST_F(Loop, NamesHoldingTimesAreListedAndShownWhole)
{
    Chooser.ToSave = Path("AM peak 7:30 to 8:30.dta");
    ASSERT_TRUE(Main->SaveAs(*Window("x")));
    Chooser.ToSave = Path("PM peak 4:30.dta");
    ASSERT_TRUE(Main->SaveAs(*Window("y")));
    TLoopDB d(*Main, ProgramLoopSettings(*Main));
    EXPECT_EQ(Listed(d), (std::vector<std::string>{"PM peak 4:30.dta", "AM peak 7:30 to 8:30.dta"}));
    RunViewer(d, [&](TLoopCanvasDB& v) {
        v.Click();
        const TFrames f = Tick(v, 4);
        ASSERT_EQ(f.Captions.size(), 2u);
        EXPECT_EQ(f.Captions[0], "Loop Viewer, PM peak 4:30.dta 0:00 (Click to End)");
        EXPECT_EQ(f.Captions[1], "Loop Viewer, AM peak 7:30 to 8:30.dta 0:05 (Click to End)");
    });
}

TEST_F(Loop, ErasingLabelsClearsEveryWindowAndMarksEachModified)
{
    std::vector<TSketchPadWindow*> pads = {Window("a1"), Window("b2")};
    for (TSketchPadWindow* p : pads) {
        p->Settings.Labels.NodeLabelCodes[1][1] = 3;
        p->Settings.Labels.LinkLabelCodes[1][2] = 5;
        p->View.Saved = 1;
    }
    TLoopDB d(*Main, ProgramLoopSettings(*Main));
    d.SpeedButton2->click();
    for (TSketchPadWindow* p : pads) {
        EXPECT_EQ(p->Settings.Labels.NodeLabelCodes[1][1], 0);
        EXPECT_EQ(p->Settings.Labels.LinkLabelCodes[1][2], 0);
        EXPECT_EQ(p->Settings.Labels.FontNames[0], "0. Arial");
        EXPECT_EQ(p->View.Saved, 0);
    }
}

TEST_F(Loop, ViewerRunsTheListWithTwoIdleTicksPerPassAndTheModelTime)
{
    TSketchPadWindow* n1 = Window("net1");
    TSketchPadWindow* n2 = Window("net2");
    TSketchPadWindow* n3 = Window("net3");
    TLoopSettings& s = ProgramLoopSettings(*Main);
    s.ZoomState = 11; // 1:2
    s.ShowClock = 1;
    s.ClockLeft = 30;
    s.ClockTop = 40;
    TLoopDB d(*Main, s);
    d.ListBox1->setCurrentRow(1); // net2 gives the widths
    d.HourEdit->setValue(23); // the clock as the dialog shows it, not yet kept
    d.MinuteEdit->setValue(50);
    d.TrackBar1->setValue(4);
    n2->View.SetExtents(-100, -50, 900, 350);
    RunViewer(d, [&](TLoopCanvasDB& v) {
        EXPECT_EQ(v.windowTitle(), "Loop Viewer (Click to Start)");
        EXPECT_EQ(v.FrameWindow(), Main->CurrentPad);
        EXPECT_EQ(v.StyleWindow(), n2);
        EXPECT_DOUBLE_EQ(v.Scale(), 0.5);
        EXPECT_EQ(v.HorzRange(), 510); // (900 + 100 + 20) / 2
        EXPECT_EQ(v.VertRange(), 210);
        EXPECT_FALSE(v.Panel1->isHidden());
        EXPECT_EQ(v.Panel1->pos(), QPoint(30, 40));
        EXPECT_EQ(v.Clock1->size(), v.Panel1->size() - QSize(8, 8));
        const TClockTime noon = v.Clock1->ShownTime();
        EXPECT_EQ(std::vector<int>({noon.Hour % 12, noon.Minute, noon.Second}), std::vector<int>({0, 0, 30}));

        v.Click();
        EXPECT_TRUE(v.Running());
        EXPECT_EQ(v.Timer1.interval(), 2000);
        const TFrames f = Tick(v, 8);
        EXPECT_EQ(f.Windows, (std::vector<TSketchPadWindow*>{nullptr, nullptr, n1, n2, n3, nullptr, nullptr, n1}));
        EXPECT_EQ(f.Captions[0], "Loop Viewer, net1 23:50 (Click to End)");
        EXPECT_EQ(f.Captions[2], "Loop Viewer, net3 0:00 (Click to End)");
        const TClockTime shown = v.Clock1->ShownTime(); // net1 again
        EXPECT_EQ(std::vector<int>({shown.Hour % 12, shown.Minute}), std::vector<int>({11, 50}));
        v.Click();
        EXPECT_FALSE(v.Running());
        EXPECT_EQ(v.windowTitle(), "Loop Viewer (Click to Start)");
        v.Panel1->move(55, 66);
        v.resize(500, 300);
        v.reject();
    });
    EXPECT_EQ(Shown.back(), "LoopCanvasDB");
    EXPECT_EQ(s.Speed, 4) << "Loop keeps the rate and the zoom";
    EXPECT_EQ(s.StartHour, 0) << "and leaves the clock to OK";
    EXPECT_EQ(QPoint(s.ClockLeft, s.ClockTop), QPoint(55, 66));
    EXPECT_EQ(QSize(s.ViewerWidth, s.ViewerHeight), QSize(500, 300));
    d.RepositionClick();
    EXPECT_EQ(QPoint(s.ClockLeft, s.ClockTop), QPoint(20, 20));
}

TEST_F(Loop, EntriesKeepTheirWindowsPassOverClosedOnesAndAnEmptyListDoesNothing)
{
    TSketchPadWindow* first = Window("same.dta");
    TSketchPadWindow* second = Window("same.dta");
    TSketchPadWindow* third = Window("z3");
    TLoopDB d(*Main, ProgramLoopSettings(*Main));
    d.ListBox1->setCurrentRow(1);
    d.ListBox1->clearSelection(); // no selection: the first entry's window gives the widths
    RunViewer(d, [&](TLoopCanvasDB& v) {
        EXPECT_EQ(v.StyleWindow(), first);
        Main->DestroyPad(*second);
        const TFrames f = Tick(v, 7);
        EXPECT_EQ(f.Windows, (std::vector<TSketchPadWindow*>{nullptr, nullptr, first, third, nullptr, nullptr, first}));
        EXPECT_EQ(f.Captions[1], "Loop Viewer, z3 0:10 (Click to End)") << "the third entry keeps its time";
    });
    TSketchPadWindow* fourth = Window("same.dta");
    TLoopDB again(*Main, ProgramLoopSettings(*Main));
    RunViewer(again, [&](TLoopCanvasDB& v) {
        EXPECT_EQ(Tick(v, 4).Windows, (std::vector<TSketchPadWindow*>{nullptr, nullptr, first, fourth}));
    });

    while (!again.Entries().empty()) again.DeleteEntry();
    const size_t runs = Shown.size();
    again.LoopClick();
    EXPECT_EQ(Shown.size(), runs) << "no viewer for an empty list";
}

TEST_F(Loop, FramesAreDrawnWithTheStyleWindowsWidthsAndTheFramesOwnComeBack)
{
    TSketchPadWindow* thin = Window("a1");
    TSketchPadWindow* wide = Window("b2");
    wide->Settings.Widths.LinkStyleMode = 0;
    wide->Settings.Widths.LinkShowNotFound = 1;
    wide->Settings.Widths.LinkWidths[1] = 15;
    const TWidthSettings thinWidths = thin->Settings.Widths;
    // Dark pixels across the link (y = 10) of a1's frame.
    auto darkAcross = [&](int style) {
        int dark = 0;
        TLoopDB d(*Main, ProgramLoopSettings(*Main));
        d.ListBox1->setCurrentRow(style);
        RunViewer(d, [&](TLoopCanvasDB& v) {
            v.show();
            EXPECT_EQ(Tick(v, 3).Windows.back(), thin);
            const QImage img = v.Canvas->viewport()->grab().toImage();
            for (int y = 0; y < img.height(); ++y) dark += qGray(img.pixel(60, y)) < 128;
        });
        return dark;
    };
    const int own = darkAcross(0), styled = darkAcross(1);
    EXPECT_TRUE(own >= 1 && own <= 3) << own;
    EXPECT_GE(styled, 12);
    EXPECT_EQ(thin->Settings.Widths.LinkStyleMode, thinWidths.LinkStyleMode);
    EXPECT_EQ(thin->Settings.Widths.LinkWidths, thinWidths.LinkWidths);

    // A drawing that fails still puts the frame's settings back.
    TWidthSettings style = wide->Settings.Widths;
    auto failing = [&] {
        EXPECT_EQ(thin->Settings.Widths.LinkWidths[1], 15);
        throw std::runtime_error("out of memory");
    };
    EXPECT_THROW(DrawWithStyleWidths(thin->Settings, style, failing), std::runtime_error);
    EXPECT_EQ(thin->Settings.Widths.LinkWidths, thinWidths.LinkWidths);
    EXPECT_EQ(style.LinkWidths[1], 15);
}

// ---- the clock

TEST(Clock, RunsOnFromTheTimeItIsSetToRaisesItsEventsAndRedrawsAsItsHandsMove)
{
    QTime now(9, 59, 58);
    TClock c;
    c.Now = [&] { return now; };
    c.SetClkFaceColor(Qt::white);
    c.SetSecArrow(false);
    EXPECT_EQ(c.size(), QSize(66, 66));
    EXPECT_EQ(c.Timer.interval(), 1000);
    c.SetTime(2, 59);
    EXPECT_EQ(c.DifHour(), -7);
    QSignalSpy second(&c, &TClock::OnSecond), minute(&c, &TClock::OnMinute), hour(&c, &TClock::OnHour);
    auto picture = [&] { return c.grab().toImage(); };
    c.TimerTick();
    const QImage before = picture();
    now = now.addSecs(1);
    c.TimerTick();
    EXPECT_EQ(c.DrawnTime().Second, 58) << "without the second hand no redraw within the minute";
    now = now.addSecs(1); // 10:00:00, shown 3:00:00
    c.TimerTick();
    EXPECT_EQ(std::vector<int>({c.ShownTime().Hour, c.ShownTime().Minute}), std::vector<int>({3, 0}));
    EXPECT_EQ(std::vector<int>({int(second.count()), int(minute.count()), int(hour.count())}),
              std::vector<int>({3, 1, 1}));
    const QImage at3 = picture();
    EXPECT_NE(at3, before);
    EXPECT_LT(qGray(at3.pixel(33, 20)), 100) << "minute hand up";
    EXPECT_LT(qGray(at3.pixel(44, 33)), 100) << "hour hand at 3";
    // The face: the 12 o'clock mark is a framed square of half-size 3 around
    // (33, 5), its shadow side on the right; no hands.
    EXPECT_NE(c.Face().pixel(36, 5), qRgb(255, 255, 255));
    EXPECT_EQ(c.Face().pixel(33, 5), qRgb(255, 255, 255));
    EXPECT_EQ(c.Face().pixel(33, 20), qRgb(255, 255, 255));

    c.SetSecArrow(true);
    const QImage withSecond = picture();
    now = now.addSecs(15);
    c.TimerTick();
    EXPECT_NE(picture(), withSecond) << "the second hand moves every second";
}
