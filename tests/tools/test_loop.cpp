// The loop through networks in the program: the dialog's list and settings,
// the viewer's frames on windows made here (with an injected clock), the
// style window's widths, and the clock control.
#include "tools/LoopDialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QAbstractScrollArea>

#include <stdexcept>

#include "core/model/Messages.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"
#include "tools/CClock.h"
#include "tools/LoopCanvasDialog.h"
#include "../core/analysis/analysis_networks.h"

using namespace analysistest;

namespace {

class Loop : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    TMessageSinkRecorder Boxes;
    std::unique_ptr<TZOKMainWindow> Main;
    std::vector<std::string> DialogsRun;
    std::function<void(QDialog&)> OnDialog = [](QDialog&) {};
    QTime SystemTime{13, 20, 30};

    void SetUp() override
    {
        TMainOptions o;
        o.IniFile = Dir.filePath("tarvex.ini").toStdString();
        o.ProgramDir = Dir.path().toStdString();
        o.ShowSplash = false;
        Main = std::make_unique<TZOKMainWindow>(o);
        Main->SetMessageBoxes(&Boxes);
        Main->ExecDialog = [this](QDialog& d) {
            DialogsRun.push_back(d.objectName().toStdString());
            if (auto* loop = qobject_cast<TLoopDB*>(&d)) loop->ClockNow = [this] { return SystemTime; };
            OnDialog(d);
            return int(QDialog::Rejected);
        };
        Main->resize(900, 700);
        Main->show();
        Main->CreateFirstPad();
    }
    void TearDown() override
    {
        for (TSketchPadWindow* p : Main->SketchPads) p->View.Saved = 1;
        Main->close();
        Main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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
        net.LinkCount = 1;
        pad->View.SetExtents(0, 0, 100, 100);
        pad->SetCaption(caption);
        return pad;
    }
    std::vector<std::string> Listed(const TLoopDB& d)
    {
        std::vector<std::string> out;
        for (int i = 0; i < d.ListBox1->count(); ++i) out.push_back(d.ListBox1->item(i)->text().toStdString());
        return out;
    }
    // Runs "Loop" of the dialog with the viewer handed to run.
    void RunViewer(TLoopDB& d, const std::function<void(TLoopCanvasDB&)>& run)
    {
        d.ClockNow = [this] { return SystemTime; };
        d.ExecDialog = [&](QDialog& v) {
            DialogsRun.push_back(v.objectName().toStdString());
            auto* viewer = qobject_cast<TLoopCanvasDB*>(&v);
            EXPECT_NE(viewer, nullptr);
            if (viewer) run(*viewer);
            return 0;
        };
        d.LoopClick();
        d.ExecDialog = [this](QDialog& v) {
            DialogsRun.push_back(v.objectName().toStdString());
            return 0;
        };
    }
    // The frames drawn by n ticks (-1 for a tick that draws nothing), with
    // the viewer's caption and the clock's time after each drawn one.
    struct TFrame {
        int Window;
        std::string Caption;
        TClockTime Clock;
    };
    std::vector<TFrame> Tick(TLoopCanvasDB& v, int n)
    {
        std::vector<TFrame> out;
        for (int i = 0; i < n; ++i) {
            const TSketchPadWindow* before = v.FrameWindow();
            const std::string caption = v.windowTitle().toStdString();
            v.Timer1Timer();
            if (v.windowTitle().toStdString() == caption && v.FrameWindow() == before) {
                out.push_back({-1, "", {}});
                continue;
            }
            out.push_back({v.FrameWindow()->WindowNumber, v.windowTitle().toStdString(), v.Clock1->ShownTime()});
        }
        return out;
    }
    // Dark pixels of the viewer's picture in column x.
    static int DarkInColumn(TLoopCanvasDB& v, int x)
    {
        const QImage img = v.Canvas->viewport()->grab().toImage();
        int n = 0;
        for (int y = 0; y < img.height(); ++y) n += qGray(img.pixel(x, y)) < 128;
        return n;
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
    s.ZoomState = 13;
    s.StartHour = 6;
    TLoopDB d(*Main, s);
    EXPECT_EQ(d.windowTitle(), "Loop through Networks");
    EXPECT_EQ(Listed(d), (std::vector<std::string>{"base.dta", "day9.dta", "day10.dta"}));
    EXPECT_EQ(d.ListBox1->currentRow(), 0);
    EXPECT_EQ(d.TrackBar1->value(), 3);
    EXPECT_EQ(d.HourEdit->value(), 6);
    EXPECT_EQ(d.TrackBar2->toolTip(), "Zoom state = 1:1");
    d.TrackBar2->setValue(1);
    EXPECT_EQ(d.TrackBar2->toolTip(), "Zoom state = 1:72");

    d.DownButton->click(); // base goes down
    d.Demote1->trigger();
    EXPECT_EQ(Listed(d), (std::vector<std::string>{"day9.dta", "day10.dta", "base.dta"}));
    d.DownButton->click(); // already last
    d.Promote1->trigger();
    d.UpButton->click();
    d.UpButton->click(); // already first
    EXPECT_EQ(Listed(d), (std::vector<std::string>{"base.dta", "day9.dta", "day10.dta"}));
    d.ListBox1->setCurrentRow(1);
    d.SpeedButton1->click();
    EXPECT_EQ(Listed(d), (std::vector<std::string>{"base.dta", "day10.dta"}));
    ASSERT_EQ(d.Entries().size(), 2u);
    EXPECT_EQ(d.Entries()[0].Window, plain);
    EXPECT_EQ(d.Entries()[1].Window, d10);
    EXPECT_EQ(d.ListBox1->currentRow(), 1);
    EXPECT_EQ(Main->PadCount(), 3) << "the network stays open";
    EXPECT_NE(d9->Network, nullptr);

    // Cancel keeps nothing; OK keeps the controls.
    d.HourEdit->setValue(8);
    d.reject();
    EXPECT_EQ(s.StartHour, 6);
    EXPECT_EQ(s.ZoomState, 13);
    d.IntervalEdit->setValue(15);
    d.ShowClockBox->setChecked(true);
    d.OKClick();
    EXPECT_EQ(s.StartHour, 8);
    EXPECT_EQ(s.ZoomState, 1);
    EXPECT_EQ(s.IntervalMinutes, 15);
    EXPECT_EQ(s.ShowClock, 1);
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST_F(Loop, ErasingLabelsClearsEveryWindowAndMarksEachModified)
{
    TSketchPadWindow* a = Window("a1");
    TSketchPadWindow* b = Window("b2");
    for (TSketchPadWindow* p : {a, b}) {
        p->Settings.Labels.NodeLabelCodes[1][1] = 3;
        p->Settings.Labels.LinkLabelCodes[1][2] = 5;
        p->View.Saved = 1;
    }
    TLoopDB d(*Main, ProgramLoopSettings(*Main));
    d.SpeedButton2->click();
    for (TSketchPadWindow* p : {a, b}) {
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
    s.Speed = 2;
    s.ZoomState = 11; // 1:2
    s.ShowClock = 1;
    s.ClockLeft = 30;
    s.ClockTop = 40;
    TLoopDB d(*Main, s);
    d.ListBox1->setCurrentRow(1); // net2 gives the widths
    // The clock as the dialog shows it, not yet kept.
    d.HourEdit->setValue(23);
    d.MinuteEdit->setValue(50);
    d.IntervalEdit->setValue(5);
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
        EXPECT_EQ(v.Clock1->ShownTime().Hour % 12, 0);
        EXPECT_EQ(v.Clock1->ShownTime().Minute, 0);
        EXPECT_EQ(v.Clock1->ShownTime().Second, 30);

        v.Click();
        EXPECT_TRUE(v.Running());
        EXPECT_EQ(v.Timer1.interval(), 2000);
        const auto frames = Tick(v, 8);
        const std::vector<int> windows = {-1, -1, n1->WindowNumber, n2->WindowNumber, n3->WindowNumber, -1, -1,
                                          n1->WindowNumber};
        for (size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(frames[i].Window, windows[i]) << i;
        EXPECT_EQ(frames[2].Caption, "Loop Viewer, net1 23:50 (Click to End)");
        EXPECT_EQ(frames[3].Caption, "Loop Viewer, net2 23:55 (Click to End)");
        EXPECT_EQ(frames[4].Caption, "Loop Viewer, net3 0:00 (Click to End)");
        EXPECT_EQ(frames[4].Clock.Hour % 12, 0);
        EXPECT_EQ(frames[4].Clock.Minute, 0);
        EXPECT_EQ(frames[3].Clock.Hour % 12, 11);
        EXPECT_EQ(frames[3].Clock.Minute, 55);
        v.Click();
        EXPECT_FALSE(v.Running());
        EXPECT_EQ(v.windowTitle(), "Loop Viewer (Click to Start)");

        v.Panel1->move(55, 66);
        v.resize(500, 300);
        v.reject();
    });
    EXPECT_EQ(DialogsRun.back(), "LoopCanvasDB");
    EXPECT_EQ(s.Speed, 4) << "Loop keeps the rate and the zoom";
    EXPECT_EQ(s.StartHour, 0) << "and leaves the clock to OK";
    EXPECT_EQ(s.ClockLeft, 55);
    EXPECT_EQ(s.ClockTop, 66);
    EXPECT_EQ(s.ViewerWidth, 500);
    EXPECT_EQ(s.ViewerHeight, 300);
    d.RepositionClick();
    EXPECT_EQ(s.ClockLeft, 20);
    EXPECT_EQ(s.ClockTop, 20);
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
        v.Click();
        const auto frames = Tick(v, 7);
        const std::vector<int> windows = {-1, -1, first->WindowNumber, third->WindowNumber, -1, -1,
                                          first->WindowNumber};
        for (size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(frames[i].Window, windows[i]) << i;
        EXPECT_EQ(frames[3].Caption, "Loop Viewer, z3 0:10 (Click to End)") << "the third entry keeps its time";
    });
    // Duplicate captions: each entry draws its own window.
    Window("same.dta");
    TLoopDB again(*Main, ProgramLoopSettings(*Main));
    RunViewer(again, [&](TLoopCanvasDB& v) {
        const auto frames = Tick(v, 4);
        EXPECT_NE(frames[2].Window, frames[3].Window);
    });

    while (!again.Entries().empty()) again.DeleteEntry();
    const size_t runs = DialogsRun.size();
    again.LoopClick();
    EXPECT_EQ(DialogsRun.size(), runs) << "no viewer for an empty list";
}

TEST_F(Loop, FramesAreDrawnWithTheStyleWindowsWidthsAndTheFramesOwnComeBack)
{
    TSketchPadWindow* thin = Window("a1");
    TSketchPadWindow* wide = Window("b2");
    wide->Settings.Widths.LinkStyleMode = 0;
    wide->Settings.Widths.LinkShowNotFound = 1;
    wide->Settings.Widths.LinkWidths[1] = 15;
    const TWidthSettings thinWidths = thin->Settings.Widths;
    auto run = [&](int style) {
        int dark = 0;
        TLoopDB d(*Main, ProgramLoopSettings(*Main));
        d.ListBox1->setCurrentRow(style);
        RunViewer(d, [&](TLoopCanvasDB& v) {
            v.show();
            Tick(v, 3); // two idle ticks, then a1
            EXPECT_EQ(v.FrameWindow(), thin);
            dark = DarkInColumn(v, 60);
        });
        return dark;
    };
    const int own = run(0), styled = run(1);
    EXPECT_GE(own, 1);
    EXPECT_LE(own, 3);
    EXPECT_GE(styled, 12);
    EXPECT_EQ(thin->Settings.Widths.LinkStyleMode, thinWidths.LinkStyleMode);
    EXPECT_EQ(thin->Settings.Widths.LinkWidths, thinWidths.LinkWidths);

    // A drawing that fails still puts the frame's settings back.
    TWidthSettings style = wide->Settings.Widths;
    EXPECT_THROW(DrawWithStyleWidths(thin->Settings, style,
                                     [&] {
                                         EXPECT_EQ(thin->Settings.Widths.LinkWidths[1], 15);
                                         throw std::runtime_error("out of memory");
                                     }),
                 std::runtime_error);
    EXPECT_EQ(thin->Settings.Widths.LinkWidths, thinWidths.LinkWidths);
    EXPECT_EQ(style.LinkWidths[1], 15);
}

TEST_F(Loop, MenuItemOpensTheDialog)
{
    Window("n1");
    QAction* item = Main->CurrentPad->Action("Loop1");
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());
    EXPECT_EQ(item->text(), "Loop...");
    item->trigger();
    EXPECT_EQ(DialogsRun, (std::vector<std::string>{"LoopDB"}));
}

// ---- the clock

TEST(Clock, SetTimeRunsOnFromTheSystemTimeAndRaisesItsEvents)
{
    QTime now(9, 59, 58);
    TClock c;
    c.Now = [&] { return now; };
    EXPECT_EQ(c.size(), QSize(66, 66));
    EXPECT_TRUE(c.Timer.isActive());
    EXPECT_EQ(c.Timer.interval(), 1000);
    c.SetTime(7, 59);
    EXPECT_EQ(c.DifHour(), -2);
    EXPECT_EQ(c.DifMinute(), 0);
    QSignalSpy second(&c, &TClock::OnSecond), minute(&c, &TClock::OnMinute), hour(&c, &TClock::OnHour);
    c.TimerTick();
    now = now.addSecs(2); // 10:00:00, shown 8:00:00
    c.TimerTick();
    EXPECT_EQ(c.ShownTime().Hour, 8);
    EXPECT_EQ(c.ShownTime().Minute, 0);
    EXPECT_EQ(second.count(), 2);
    EXPECT_EQ(minute.count(), 1);
    EXPECT_EQ(hour.count(), 1);
}

TEST(Clock, FaceMarksAndHandsAreDrawnAndWithoutTheSecondHandChangeOnceAMinute)
{
    QTime now(3, 0, 10);
    TClock c;
    c.Now = [&] { return now; };
    c.SetClkFaceColor(Qt::white);
    c.SetSecArrow(false);
    c.SetTime(3, 0);
    const QImage face = c.Face();
    // The 12 o'clock mark: a square of half-size 3 around (33, 5), framed
    // (its shadow side on the right).
    EXPECT_NE(face.pixel(36, 5), qRgb(255, 255, 255));
    EXPECT_EQ(face.pixel(33, 5), qRgb(255, 255, 255)) << "only the frame is drawn";
    EXPECT_EQ(face.pixel(33, 33), qRgb(255, 255, 255)) << "no hands on the face";
    auto picture = [&] { return c.grab().toImage(); };
    const QImage at3 = picture();
    EXPECT_LT(qGray(at3.pixel(33, 20)), 100) << "minute hand up";
    EXPECT_LT(qGray(at3.pixel(44, 33)), 100) << "hour hand at 3";

    c.TimerTick();
    now = now.addSecs(1);
    c.TimerTick();
    EXPECT_EQ(picture(), at3) << "without the second hand nothing moves within the minute";
    now = QTime(3, 1, 0);
    c.TimerTick();
    EXPECT_NE(picture(), at3);
    EXPECT_EQ(c.DrawnTime().Minute, 1);

    c.SetSecArrow(true);
    const QImage withSecond = picture();
    now = now.addSecs(15);
    c.TimerTick();
    EXPECT_NE(picture(), withSecond) << "the second hand moves every second";
}
