// The frame and its windows: window list, views, the shared modified flag,
// zoom, modes and status panels, the close question, recent files, backups.
#include <functional>
#include <set>

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QSpinBox>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>

#include "core/model/Messages.h"
#include "platform/Registry.h"
#include "program_fixture.h"
#include "shell/PadCommands.h"
#include "shell/RealEdit.h"
#include "shell/SmallDialogs.h"
#include "toolbars/DockButton.h"
#include "toolbars/DockToolbar.h"

namespace {

// Reads any file whose name does not contain "bad"; every network spans 0..1000.
class TFakeIO : public TNetworkIO {
public:
    std::vector<std::string> Saved;
    std::vector<int> Versions; // of each save
    bool FailSave = false;
    std::function<void()> During; // what arrives while a file is read or written
    bool Open(TSketchPadWindow& Pad, const std::string& FileName, bool, bool, TMessageSink& Boxes) override
    {
        if (During) During();
        if (FileName.find("bad") != std::string::npos) {
            Boxes.MessageBox("Network will be closed.", "Open", MB_STOP_OK);
            return false;
        }
        Pad.Network->NodeCount = 5;
        Pad.Network->LinkCount = 4;
        Pad.Network->MinX = Pad.Network->MinY = 0;
        Pad.Network->MaxX = Pad.Network->MaxY = 1000;
        return true;
    }
    bool Save(TSketchPadWindow&, const std::string& FileName, int Version, TMessageSink& Boxes) override
    {
        Versions.push_back(Version);
        if (During) During();
        if (FailSave) {
            Boxes.MessageBox("Cannot write the file.", "Save", MB_OK);
            return false;
        }
        Saved.push_back(FileName);
        return true;
    }
};

class Shell : public programtest::TProgramTest {
protected:
    TFakeIO IO;
    QDateTime Clock = QDateTime::fromSecsSinceEpoch(1'800'000'000);

    std::string File(const char* name)
    {
        const std::string p = Path(name);
        QFile f(QString::fromStdString(p));
        if (!f.exists() && f.open(QIODevice::WriteOnly)) f.write("ZOK 1.09\r\n");
        return p;
    }

    void Start(const std::string& commandLine = "")
    {
        programtest::TProgramTest::Start({.CommandLineFile = commandLine,
                             .IO = &IO,
                             .Before = [this](TZOKMainWindow& m) { m.Now = [this] { return Clock; }; }});
    }

    // The answers of the next message boxes.
    void Answer(std::initializer_list<int> answers)
    {
        auto calls = Boxes.Calls;
        Boxes.Clear();
        Boxes.Calls = calls;
        Boxes.Answers = answers;
    }
    TSketchPadWindow* Pad(int n) { return Main->SketchPads.at(size_t(n - 1)); }
    bool Close(TSketchPadWindow* p)
    {
        bool closed = p->SubWindow->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return closed;
    }
};

} // namespace

TEST_F(Shell, StartsWithTheCommandLineFileAndOpensMoreWindows)
{
    const std::string net = File("net.dta");
    Start("\"" + net + "\"");
    ASSERT_EQ(Main->PadCount(), 1);
    EXPECT_EQ(Pad(1)->FileName, net);
    EXPECT_EQ(Pad(1)->Caption(), net);
    EXPECT_EQ(Main->windowTitle(), "Tarvex");
    EXPECT_EQ(Main->PanelText(0), "Select Object");
    EXPECT_EQ(Main->PanelText(2), "1:1");
    EXPECT_FALSE(Main->Toolbars.Bars[0]->isHidden());

    auto opened = Main->OpenFiles({File("second.dta")});
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(Main->PadCount(), 2);
    EXPECT_EQ(Main->CurrentPad, Pad(2));
    EXPECT_EQ(Pad(2)->WindowNumber, 2);
}

// The busy cursor shows while a file is read, at start-up as from the menu,
// and is gone after.
TEST_F(Shell, OpeningShowsTheBusyCursorFromTheCommandLineAsFromTheMenu)
{
    std::vector<bool> busy;
    IO.During = [&] { busy.push_back(QApplication::overrideCursor() != nullptr); };
    Start(File("net.dta"));
    Main->OpenFiles({File("second.dta")});
    EXPECT_EQ(busy, (std::vector<bool>{true, true}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A name relative to the working folder is kept in full, for Reopen from elsewhere.
TEST_F(Shell, CommandLineFileIsKeptWithItsFullName)
{
    const std::string net = File("net.dta");
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(Dir.path());
    Start("net.dta");
    QDir::setCurrent(cwd);
    ASSERT_EQ(Main->PadCount(), 1);
    EXPECT_EQ(Pad(1)->FileName, net);
}

// A window opened from the menu or the reopen list, or saved under a new
// name, is captioned by its file's name without the folder (at most 80
// characters); the window named on the command line shows the whole name,
// also after it is saved in place.
TEST_F(Shell, CaptionsAreFileNamesButTheCommandLineFileShowsItsWholeName)
{
    ASSERT_TRUE(QDir(Dir.path()).mkpath("run 2"));
    const std::string net = File("net.dta");
    Start(net);
    EXPECT_EQ(Pad(1)->Caption(), net);
    const std::string inFolder = File("run 2/a.dta");
    std::string omegas;
    for (int k = 0; k < 90; ++k) omegas += "Ω";
    const std::string longName = File((omegas + ".dta").c_str());
    Main->OpenFiles({inFolder, longName});
    ASSERT_EQ(Main->PadCount(), 3);
    EXPECT_EQ(Pad(2)->Caption(), "a.dta");
    EXPECT_EQ(Pad(2)->FileName, inFolder);
    EXPECT_EQ(Pad(3)->windowTitle(), QString(80, QChar(0x03A9))); // 80 letters, not bytes

    ASSERT_TRUE(Close(Pad(2)));
    ASSERT_EQ(Main->Recent.Files[1], inFolder);
    Main->ReopenFile(1);
    ASSERT_EQ(Main->PadCount(), 3);
    TSketchPadWindow* reopened = Main->CurrentPad;
    EXPECT_EQ(reopened->Caption(), "a.dta");

    Chooser.ToSave = Path("run 2/saved.dta");
    ASSERT_TRUE(Main->SaveAs(*reopened));
    EXPECT_EQ(reopened->Caption(), "saved.dta");
    EXPECT_EQ(reopened->FileName, Path("run 2/saved.dta"));
    ASSERT_TRUE(Main->SaveM(*Pad(1)));
    EXPECT_EQ(Pad(1)->Caption(), net);
}

TEST_F(Shell, MissingCommandLineFileLeavesAnEmptyUntitledWindow)
{
    Start(Dir.filePath("gone.dta").toStdString());
    ASSERT_EQ(Main->PadCount(), 1);
    EXPECT_EQ(Pad(1)->FileName, "noname.DTA");
}

TEST_F(Shell, OpeningReplacesAnUntouchedWindowOnlyWhenTheOpenSucceeds)
{
    Start();
    TSketchPadWindow* empty = Pad(1);
    Chooser.ToOpen = {File("bad.dta")};
    Main->OpenMClick();
    ASSERT_EQ(Main->PadCount(), 1); // failed: the empty window stays, nothing else changed
    EXPECT_EQ(Pad(1), empty);
    ASSERT_EQ(Boxes.Calls.size(), 1u);
    EXPECT_EQ(Boxes.Calls[0].Text, "Network will be closed.");

    Chooser.ToOpen = {File("a.dta"), File("bad2.dta"), File("b.dta")};
    Main->OpenMClick();
    ASSERT_EQ(Main->PadCount(), 2);
    EXPECT_EQ(Pad(1)->FileName, File("a.dta"));
    EXPECT_EQ(Pad(2)->FileName, File("b.dta"));
}

TEST_F(Shell, ViewsShareTheModifiedFlagAndCloseWithTheirMaster)
{
    Start(File("net.dta"));
    Main->OpenFiles({File("other.dta")});
    Main->PadActivated(Pad(1));
    TSketchPadWindow* master = Pad(1);
    TSketchPadWindow* v1 = Main->NewView();
    Main->PadActivated(v1);
    TSketchPadWindow* v2 = Main->NewView(); // a view of a view points at the owner
    ASSERT_EQ(Main->PadCount(), 4);
    EXPECT_EQ(v1->Caption(), "View 1 of net.dta");
    EXPECT_EQ(v2->Caption(), "View 2 of net.dta");
    EXPECT_EQ(v2->MasterPad, master);
    EXPECT_EQ(v1->Network, master->Network);
    EXPECT_TRUE(master->HasViews);

    Main->SetAllowClose(*v2, 0);
    EXPECT_EQ(master->View.Saved, 0);
    EXPECT_EQ(v1->View.Saved, 0);
    EXPECT_EQ(Pad(2)->View.Saved, 1); // another network
    Main->SetAllowClose(*Pad(2), 0);
    Main->SetAllowClose(*master, 1);
    EXPECT_EQ(v1->View.Saved, 1);
    EXPECT_EQ(Pad(2)->View.Saved, 0);
    Main->SetAllowClose(*Pad(2), 1);

    // Closing the last view of two clears nothing; closing both clears HasViews.
    std::weak_ptr<TNetwork> net = master->Network;
    ASSERT_TRUE(Close(v2));
    EXPECT_TRUE(master->HasViews);
    ASSERT_TRUE(Close(v1));
    EXPECT_FALSE(master->HasViews);

    Main->PadActivated(master);
    TSketchPadWindow* v3 = Main->NewView();
    ASSERT_EQ(Main->PadCount(), 3);
    EXPECT_EQ(v3->Caption(), "View 3 of net.dta");
    // Closing the master takes its view with it, then frees the network.
    ASSERT_TRUE(Close(master));
    EXPECT_EQ(Main->PadCount(), 1);
    EXPECT_EQ(Pad(1)->FileName, File("other.dta"));
    EXPECT_EQ(Pad(1)->WindowNumber, 1);
    EXPECT_TRUE(net.expired());
}

TEST_F(Shell, ClosingAWindowRenumbersTheOthers)
{
    Start(File("n1.dta"));
    Main->OpenFiles({File("n2.dta"), File("n3.dta"), File("n4.dta")});
    ASSERT_EQ(Main->PadCount(), 4);
    TSketchPadWindow* third = Pad(3);
    ASSERT_TRUE(Close(Pad(2)));
    EXPECT_EQ(Main->PadCount(), 3);
    EXPECT_EQ(Pad(2), third);
    EXPECT_EQ(third->WindowNumber, 2);
    EXPECT_EQ(Pad(3)->WindowNumber, 3);
}

TEST_F(Shell, ZoomStepsStopAtTheLimitsAndTheScreenLimit)
{
    Start(File("net.dta"));
    TSketchPadWindow* p = Pad(1);
    Main->SetZoomLevel(*p, 17);
    p->StepZoom(500, 500, false);
    EXPECT_EQ(p->View.ZoomIndex, 18);
    EXPECT_DOUBLE_EQ(p->View.Scale, 6.0);
    EXPECT_EQ(Main->PanelText(2), "6:1");
    EXPECT_TRUE(p->ZoomItems[18]->isChecked());
    EXPECT_GT(p->HorzPos(), 0); // the clicked point is centred
    p->StepZoom(500, 500, false);
    EXPECT_EQ(p->View.ZoomIndex, 18);

    Main->SetZoomLevel(*p, 2);
    p->StepZoom(0, 0, true);
    p->StepZoom(0, 0, true);
    EXPECT_EQ(p->View.ZoomIndex, 1);
    EXPECT_EQ(p->HorzPos(), 0);
    EXPECT_TRUE(Boxes.Calls.empty());

    // A screen too wide for the next level refuses the step with a message.
    Main->ScreenWidth = [] { return 10000; };
    p->StepZoom(0, 0, false);
    EXPECT_EQ(p->View.ZoomIndex, 1);
    ASSERT_EQ(Boxes.Calls.size(), 1u);
    EXPECT_EQ(Boxes.Calls[0].Text, "Zoom factor too large for network.");
    EXPECT_EQ(Boxes.Calls[0].Caption, "Zoom");

    // Zooming by the menu keeps the scroll position in proportion.
    Main->ScreenWidth = [] { return 1280; };
    Main->SetZoomLevel(*p, 15);
    p->SetScrollPositions(300, 200);
    Main->SetZoomLevel(*p, 17);
    EXPECT_EQ(p->HorzPos(), std::min(600, p->horizontalScrollBar()->maximum()));
}

TEST_F(Shell, MouseMappingFollowsScroll)
{
    Start(File("net.dta"));
    TSketchPadWindow* p = Pad(1);
    Main->SetZoomLevel(*p, 15);
    p->SetScrollPositions(100, 0);
    EXPECT_EQ(p->WorldX(0), 40);   // (100 + 0) / 2 + 0 - 10
    EXPECT_EQ(p->PixelX(40), 0);
    // A world rectangle in pixels: (X + origin) * scale - scroll position.
    EXPECT_EQ(p->WorldRectPixels(TBox{100, 0, 200, 50}, 5), QRect(QPoint(2 * 105 - 100, 2 * 5), QPoint(2 * 215 - 100, 2 * 65)));
    EXPECT_TRUE(p->WorldRectPixels(EmptyBox, 3).isNull());
    p->ExtendArea(TSketchPadWindow::SideLeft);
    EXPECT_EQ(p->View.MinX, -80);
    EXPECT_EQ(p->View.OriginX, 90);
    EXPECT_EQ(p->HorzRange(), 2 * (1000 + 80 + 20));
}

// Panel 4 shows the pointer's position over a network window and nothing
// once the pointer has left it for the frame.
TEST_F(Shell, PointerPositionGoesWhenThePointerLeavesForTheFrame)
{
    Start(File("net.dta"));
    TSketchPadWindow* p = Pad(1);
    QCoreApplication::processEvents(); // laid out
    QTest::mouseMove(p->viewport(), QPoint(p->PixelX(40), p->PixelY(30)));
    EXPECT_EQ(Main->PanelText(4), "40, 30");
    const QRect pad = p->SubWindow->geometry();
    const QPoint frame(Main->Mdi->viewport()->width() - 5, Main->Mdi->viewport()->height() - 5);
    ASSERT_FALSE(pad.contains(frame));
    QTest::mouseMove(Main->Mdi->viewport(), frame);
    EXPECT_EQ(Main->PanelText(4), "");
    QTest::mouseMove(p->viewport(), QPoint(p->PixelX(50), p->PixelY(20)));
    EXPECT_EQ(Main->PanelText(4), "50, 20");
}

TEST_F(Shell, ModeButtonsMenuAndStatusBarStayInStep)
{
    Start(File("net.dta"));
    TSketchPadWindow* p = Pad(1);
    QTest::mouseClick(Main->Toolbars.ModeButtons[2], Qt::LeftButton); // Link Plot
    EXPECT_EQ(p->View.SketchMode, 2);
    EXPECT_TRUE(p->ModeItems[2]->isChecked());
    EXPECT_FALSE(p->ModeItems[0]->isChecked());
    EXPECT_FALSE(Main->Toolbars.ModeButtons[0]->Down());
    EXPECT_EQ(Main->PanelText(0), "Link Plot");
    EXPECT_EQ(Main->StatusHint.substr(0, 37), "Left-click each ending node of a desi");

    p->ModeItems[1]->trigger(); // Node Plot by the menu: coordinates in panel 0
    EXPECT_EQ(p->View.SketchMode, 1);
    EXPECT_TRUE(Main->Toolbars.ModeButtons[1]->Down());
    EXPECT_FALSE(Main->Toolbars.ModeButtons[2]->Down());
    EXPECT_EQ(Main->PanelText(0), "10,10");
    Main->setsnap(5);
    p->NudgeByKey(51);
    p->NudgeByKey(54);
    EXPECT_EQ(Main->PanelText(0), "15,15");

    p->ModeItems[20]->trigger(); // Node Reinitialize shows in red
    EXPECT_EQ(Main->PanelText(0), "Node Reinitialize");
    EXPECT_TRUE(Main->Panels[0]->styleSheet().contains("red"));
    p->ModeItems[0]->trigger();
    EXPECT_EQ(Main->PanelText(0), "Select Object");
    EXPECT_FALSE(Main->Panels[0]->styleSheet().contains("red"));

    // Each window keeps its own mode; activation brings it back.
    Main->OpenFiles({File("b.dta")});
    QTest::mouseClick(Main->Toolbars.ModeButtons[5], Qt::LeftButton);
    Main->PadActivated(p);
    EXPECT_TRUE(Main->Toolbars.ModeButtons[0]->Down());
    EXPECT_FALSE(Main->Toolbars.ModeButtons[5]->Down());
    Main->PadActivated(Pad(2));
    EXPECT_TRUE(Main->Toolbars.ModeButtons[5]->Down());
}

TEST_F(Shell, SnapControlsAndStatusDoubleClick)
{
    Start(File("net.dta"));
    Main->setsnap(1000);
    Main->Toolbars.SnapAdjustButton->Up->click();
    EXPECT_EQ(Main->SnapStep, 1000);
    Main->setsnap(1);
    Main->Toolbars.SnapAdjustButton->Down->click();
    EXPECT_EQ(Main->SnapStep, 1);
    Main->Toolbars.SnapAdjustButton->Up->click();
    EXPECT_EQ(Main->PanelText(1), "2");
    EXPECT_EQ(Main->Toolbars.SnapDistanceEdit->text(), "2");

    Pad(1)->ModeItems[1]->trigger();
    OnDialog = [](QDialog& d) {
        if (auto* s = d.findChild<QSpinBox*>("SnapEB")) s->setValue(7);
        if (auto* x = d.findChild<QSpinBox*>("XCoord")) x->setValue(-40);
        return int(QDialog::Accepted);
    };
    Main->StatusBarDblClick(150);
    EXPECT_EQ(Shown, (std::vector<std::string>{"SnapDB", "Coordinates"}));
    EXPECT_EQ(Main->SnapStep, 7);
    EXPECT_EQ(Pad(1)->View.CursorX, -40);
    EXPECT_EQ(Main->PanelText(0), "-40,10");
}

TEST_F(Shell, CloseQuestionEachWay)
{
    Start(File("net.dta"));
    TSketchPadWindow* p = Pad(1);
    Main->SetAllowClose(*p, 0);

    Answer({IDCANCEL});
    EXPECT_FALSE(Close(p));
    ASSERT_EQ(Main->PadCount(), 1);
    EXPECT_EQ(Boxes.Calls.back().Text, "Close: " + File("net.dta"));
    EXPECT_EQ(Boxes.Calls.back().Caption, "Do you want to save?");

    IO.FailSave = true; // a failed save keeps the window
    Answer({IDYES});
    EXPECT_FALSE(Close(p));
    EXPECT_EQ(Main->PadCount(), 1);
    EXPECT_EQ(p->View.Saved, 0);

    IO.FailSave = false;
    Answer({IDYES});
    EXPECT_TRUE(Close(p));
    EXPECT_EQ(Main->PadCount(), 0);
    EXPECT_EQ(IO.Saved, std::vector<std::string>{File("net.dta")});
    EXPECT_EQ(Main->PanelText(0), "");

    // Untitled: Yes asks for a name; cancelling that keeps the window.
    TSketchPadWindow* u = Main->NewSchema();
    Main->SetAllowClose(*u, 0);
    Answer({IDYES});
    EXPECT_FALSE(Close(u));
    EXPECT_EQ(Chooser.SaveAsked, 1);
    Answer({IDNO});
    EXPECT_TRUE(Close(u));

    // Calculate running: the window stays.
    TSketchPadWindow* c = Main->NewSchema();
    TBusyGate::TRun calc = Main->Gate.Begin(TBusyKind::Calculate, nullptr, c, GateView);
    EXPECT_FALSE(Close(c));
    EXPECT_EQ(Boxes.Calls.back().Text, "Stop Calculate before closing.");
    calc.End();
    EXPECT_TRUE(Close(c)); // saved: no question
}

// Names as the disk spells them, whatever their letters: the command line's
// window, the Window menu and the Reopen items show them whole.
TEST_F(Shell, RecentFilesAndViewStateSurviveARestart)
{
    const std::string a = File("Zürich.dta"), b = File("Müller & Ωplan.dta");
    Start(a);
    EXPECT_EQ(Pad(1)->windowTitle().toStdString(), a);
    Main->OpenFiles({b});
    TSketchPadWindow* pb = Pad(2);
    emit pb->WindowMenu->aboutToShow();
    EXPECT_EQ(pb->WindowMenu->actions().back()->iconText().toStdString(), "2 Müller & Ωplan.dta");
    Main->SetZoomLevel(*pb, 15);
    pb->SetScrollPositions(120, 60);
    Main->setsnap(25);
    pb->ModeItems[11]->trigger();
    pb->View.SketchMode = 13; // caught in the middle of a node move
    pb->AutoSave1->trigger(); // off
    Main->ShowToolbar(2, false);
    pb->View.ToolbarShown[2] = 0;
    Main->close(); // a then b: b ends as entry 1
    EXPECT_EQ(Main->Recent.Files[1], b);
    EXPECT_EQ(Main->Recent.Files[2], a);
    Main.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    {
        TRegistry r(Dir.filePath("tarvex.ini").toStdString());
        r.OpenKey(RecentFilesKey);
        EXPECT_EQ(r.ReadFileName("file1"), b);
        EXPECT_EQ(r.ReadString("filepref1"), "15,0,0,120,60,25,13,0,0,1,0,-1,2,234,0,");
    }

    Start();
    ASSERT_EQ(Main->Recent.Count, 2);
    EXPECT_TRUE(Pad(1)->ReopenItems[1]->isVisible());
    EXPECT_EQ(Pad(1)->ReopenItems[1]->iconText().toStdString(), "1  " + b);
    Main->ReopenFile(1);
    ASSERT_EQ(Main->PadCount(), 1); // the untouched window gave way
    TSketchPadWindow* r = Pad(1);
    EXPECT_EQ(r->FileName, b);
    EXPECT_EQ(r->View.ZoomIndex, 15);
    EXPECT_EQ(r->HorzPos(), 120);
    EXPECT_EQ(r->VertPos(), 60);
    EXPECT_EQ(Main->SnapStep, 25);
    EXPECT_EQ(r->View.SketchMode, 11); // the parent of the sub-state
    EXPECT_FALSE(r->AutoSave1->isChecked());
    EXPECT_EQ(r->View.ToolbarShown[2], 0);
    EXPECT_TRUE(Main->Toolbars.Bars[2]->isHidden());

    // A failed reopen applies nothing and leaves the list alone.
    QFile::remove(QString::fromStdString(a));
    Main->ReopenFile(2);
    EXPECT_EQ(Main->PadCount(), 1);
    EXPECT_EQ(Main->Recent.Count, 2);
}

// Reopen restores the plot margins with the check mark of their menu item:
// the next choice of Show Plot Margins turns them off.
TEST_F(Shell, ReopenShowsTheRestoredPlotMarginsCheckedInTheMenu)
{
    const std::string a = File("a.dta"), b = File("b.dta");
    Start(a);
    Main->OpenFiles({b});
    TSketchPadWindow* pb = Pad(2);
    ASSERT_TRUE(Trigger(pb, "ShowPlotMarginsM"));
    ASSERT_TRUE(Close(pb));
    ASSERT_TRUE(Close(Pad(1)));
    // From the frame's own Reopen menu, with no window open.
    Main->FrameReopenItems[2]->trigger();
    ASSERT_EQ(Main->PadCount(), 1);
    TSketchPadWindow* r = Pad(1);
    EXPECT_EQ(r->FileName, b);
    EXPECT_EQ(r->View.ShowPlotMargins, 1);
    EXPECT_TRUE(r->Action("ShowPlotMarginsM")->isChecked());
    r->Action("ShowPlotMarginsM")->trigger();
    EXPECT_EQ(r->View.ShowPlotMargins, 0);
    EXPECT_FALSE(r->Action("ShowPlotMarginsM")->isChecked());
}

TEST_F(Shell, BackupRunsAfterTheIntervalAndKeepsTheModifiedFlag)
{
    Start(File("net.dta"));
    TSketchPadWindow* p = Pad(1);
    TSketchPadWindow* v = Main->NewView();
    Main->PadActivated(p);

    Clock = Clock.addMSecs(AutoSaveInterval + 1);
    Main->AutoSaveTimerTimer(); // saved network: nothing
    EXPECT_TRUE(IO.Saved.empty());

    Main->SetAllowClose(*p, 0);
    Clock = Clock.addMSecs(-2);
    Main->AutoSaveTimerTimer(); // not yet
    EXPECT_TRUE(IO.Saved.empty());

    Clock = Clock.addMSecs(2);
    for (TBusyKind kind : {TBusyKind::Calculate, TBusyKind::Import}) {
        TBusyGate::TRun run = Main->Gate.Begin(kind, p->Network.get(), p, GateView);
        Main->AutoSaveTimerTimer();
        EXPECT_TRUE(IO.Saved.empty());
    }

    Main->AutoSaveTimerTimer();
    ASSERT_EQ(IO.Saved.size(), 1u);
    EXPECT_EQ(IO.Saved[0], File("net.dt~"));
    EXPECT_EQ(IO.Versions[0], 9);
    EXPECT_EQ(p->View.Saved, 0);
    EXPECT_EQ(v->View.Saved, 0);
    EXPECT_EQ(p->FileName, File("net.dta"));
    EXPECT_EQ(Main->PanelText(3), "");
    Main->AutoSaveTimerTimer(); // every later tick while modified
    EXPECT_EQ(IO.Saved.size(), 2u);

    // A network last saved in an older version is backed up in the newest.
    Chooser.SaveFilter = 2;
    ASSERT_TRUE(SaveAs(*p, "net.dt1"));
    EXPECT_EQ(IO.Versions.back(), 1);
    Main->SetAllowClose(*p, 0);
    Clock = Clock.addMSecs(AutoSaveInterval + 1);
    Main->AutoSaveTimerTimer();
    EXPECT_EQ(IO.Saved.back(), File("net.dt~"));
    EXPECT_EQ(IO.Versions.back(), 9);

    p->AutoSave1->trigger(); // off
    const size_t saves = IO.Saved.size();
    Main->AutoSaveTimerTimer();
    EXPECT_EQ(IO.Saved.size(), saves);
    EXPECT_EQ(TZOKMainWindow::BackupFileName("noname.DTA", "noname.DTA"), "noname.dt~");
    EXPECT_EQ(TZOKMainWindow::BackupFileName("plan Ω", "noname.DTA"), "plan ~");
}

// Timers and window-system closes that arrive during a file step neither
// back up nor close the network the step is using.
TEST_F(Shell, FileStepsHoldOffBackupsAndCloses)
{
    Start(File("net.dta"));
    TSketchPadWindow* p = Pad(1);
    Main->SetAllowClose(*p, 0);
    Clock = Clock.addMSecs(AutoSaveInterval + 1);
    bool closed = true;
    IO.During = [&] {
        Main->AutoSaveTimerTimer();
        closed = p->SubWindow->close() || Main->close();
    };
    ASSERT_TRUE(Main->SaveM(*p));
    EXPECT_FALSE(closed);
    EXPECT_EQ(IO.Saved, std::vector<std::string>{File("net.dta")}); // no backup inside the save
    EXPECT_EQ(Main->PadCount(), 1);
    Main->OpenFiles({File("second.dta")});
    EXPECT_FALSE(closed);
    EXPECT_EQ(Main->PadCount(), 2);
    IO.During = nullptr;
}

TEST_F(Shell, PreferencesRefuseABadUnitsFactor)
{
    Start(File("net.dta"));
    TSketchPadWindow* p = Pad(1);
    std::vector<std::string> texts = {"0", "-3", "abc", "2.5"};
    OnDialog = [&](QDialog& d) {
        auto* edit = d.findChild<trealedit*>("Edit1");
        for (const std::string& t : texts) {
            edit->setText(QString::fromStdString(t));
            d.accept();
            if (d.result() == QDialog::Accepted) break;
            EXPECT_TRUE(edit->styleSheet().contains("red")) << t;
        }
        return d.result();
    };
    Main->ShowPreferences(*p);
    EXPECT_EQ(Boxes.Calls.size(), 3u);
    EXPECT_EQ(Boxes.Calls[0].Text, "Error in scale");
    EXPECT_EQ(Boxes.Calls[0].Caption, "Preferences");
    EXPECT_DOUBLE_EQ(p->Settings.UnitsFactor, 2.5);
    EXPECT_EQ(p->Settings.UnitsName, "Pixels");
    EXPECT_EQ(p->View.Saved, 0); // units are saved with the network
}

TEST_F(Shell, ExtentsNetworkStatusAndWindowLimit)
{
    Start(File("net.dta"));
    TSketchPadWindow* p = Pad(1);
    OnDialog = [](QDialog& d) {
        d.findChild<QSpinBox*>("LeftSE")->setValue(-100);
        return int(QDialog::Accepted);
    };
    Main->ShowExtents(*p);
    EXPECT_EQ(p->View.MinX, -100);
    EXPECT_EQ(p->View.OriginX, 110);

    Main->ShowNetworkStatus(*p);
    ASSERT_FALSE(Boxes.Calls.empty());
    EXPECT_EQ(Boxes.Calls.back().Caption, "Network Status");
    EXPECT_EQ(Boxes.Calls.back().Text.rfind("Node Count = 5\n\rLink Count = 4\n\rAllocated Memory = ", 0), 0u);

    while (Main->PadCount() < MaxPads) ASSERT_TRUE(Main->NewView());
    EXPECT_EQ(Main->NewView(), nullptr);
    EXPECT_EQ(Main->NewSchema(), nullptr);
    EXPECT_TRUE(Main->OpenFiles({File("more.dta")}).empty());
    EXPECT_EQ(Main->PadCount(), MaxPads);
}

TEST_F(Shell, GrabsTheFrameForALook)
{
    Start(File("net.dta"));
    Main->OpenFiles({File("second.dta")});
    Main->NewView();
    Pad(1)->ModeItems[1]->trigger();
    QApplication::processEvents();
    const QByteArray dir = qgetenv("TARVEX_GRAB_DIR");
    QImage img = Main->grab().toImage();
    EXPECT_EQ(img.size(), Main->size() * Main->devicePixelRatio());
    if (dir.isEmpty()) return;
    img.save(QString::fromLocal8Bit(dir) + "/frame.png");
    OnDialog = [&](QDialog& d) {
        d.adjustSize();
        d.grab().save(QString::fromLocal8Bit(dir) + "/" + d.objectName() + ".png");
        return int(QDialog::Rejected);
    };
    Main->ShowAbout();
    Main->ShowPreferences(*Pad(1));
    Main->ShowSpliceRules(*Pad(1));
    Main->ShowExtents(*Pad(1));
}

// The offscreen screen is 800 pixels wide, less than the frame's own size:
// the frame opens inside the screen's available area, with its status bar,
// its window area and every mode button in view.
TEST_F(Shell, TheFrameOpensInsideASmallScreen)
{
    programtest::TProgramTest::Start({.IO = &IO, .Show = false});
    const QRect area = Main->screen()->availableGeometry();
    if (area.width() > TZOKMainWindow::DesignSize.width() + 50 &&
        area.height() > TZOKMainWindow::DesignSize.height() + 50)
        GTEST_SKIP() << "this screen has room for the frame's own size";
    EXPECT_LE(Main->width(), area.width());
    EXPECT_LE(Main->height(), area.height());
    // Until the window system shows the frame its edges are a guess; shown,
    // the frame is fitted once more. Here the guess comes out too small as
    // a part of the screen turns out to be taken.
    const QRect left(area.topLeft(), QSize(area.width() - 100, area.height() - 100));
    Main->ScreenArea = [left] { return left; };
    Main->show();
    QApplication::processEvents();
    EXPECT_TRUE(left.contains(Main->frameGeometry()));
    EXPECT_EQ(Main->frameGeometry().size(), left.size()); // as large as there is room for
    auto onScreen = [&](const QWidget* w) { return left.contains(QRect(w->mapToGlobal(QPoint(0, 0)), w->size())); };
    EXPECT_TRUE(onScreen(Main->statusBar()));
    EXPECT_TRUE(onScreen(Main->Mdi));
    for (const TDockButton* b : Main->Toolbars.ModeButtons) {
        if (b) {
            EXPECT_TRUE(onScreen(b)) << b->objectName().toStdString();
        }
    }
}

// Cascading more windows than there are steps down the window area starts
// again at the top, further right: the start of every window's caption
// stays in view under the windows above it.
TEST_F(Shell, CascadedWindowsLeaveEveryCaptionInView)
{
    Start();
    Main->resize(1000, 700);
    QApplication::processEvents();
    std::vector<std::string> names;
    for (int i = 1; i <= 8; ++i) names.push_back(File(("n" + std::to_string(i) + ".dta").c_str()));
    Main->OpenFiles(names);
    ASSERT_EQ(Main->PadCount(), 8);
    const int step = CascadeStep(*Main);
    const QSize area = Main->Mdi->viewport()->size();
    ASSERT_LT((area.height() - area.height() * 3 / 4) / step + 1, 8) << "eight windows take more than one cascade";
    auto expectCaptionsInView = [&](const char* when) {
        const QList<QMdiSubWindow*> stack = Main->Mdi->subWindowList(QMdiArea::StackingOrder);
        ASSERT_EQ(stack.size(), 8);
        for (int i = 0; i < stack.size(); ++i) {
            const QRect start(stack[i]->geometry().topLeft(), QSize(step, step));
            for (int j = i + 1; j < stack.size(); ++j)
                EXPECT_FALSE(stack[j]->geometry().intersects(start))
                    << when << ": " << stack[j]->windowTitle().toStdString() << " covers the caption of "
                    << stack[i]->windowTitle().toStdString();
        }
    };
    expectCaptionsInView("opened");
    Main->RunPadItem(*Main->CurrentPad, "Cascade1");
    expectCaptionsInView("cascaded");
    // With a window lifted to the top, the cascade keeps it there and puts it last.
    Main->Mdi->setActiveSubWindow(Pad(2)->SubWindow);
    Main->RunPadItem(*Main->CurrentPad, "Cascade1");
    expectCaptionsInView("cascaded again");
    EXPECT_EQ(Main->Mdi->subWindowList(QMdiArea::StackingOrder).back(), Pad(2)->SubWindow);
}

namespace {
// Where a window's caption shows its title, in the window area, as the
// window paints it: the title bar inside the frame, the title centred in
// the room between the system menu and the buttons. Empty when the caption
// has to shorten the title.
QRect ShownTitle(const QMdiSubWindow* s)
{
    const QStyle* style = s->style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    QStyleOptionTitleBar bar;
    bar.initFrom(s);
    bar.rect = QRect(border, border, s->width() - 2 * border,
                     style->pixelMetric(QStyle::PM_TitleBarHeight, &bar, s) - border);
    bar.titleBarFlags = s->windowFlags();
    bar.titleBarState = int(s->windowState());
    bar.subControls = QStyle::SC_All;
    bar.text = s->windowTitle();
    const QRect label = style->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarLabel, s);
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const int text = QFontMetrics(font).horizontalAdvance(s->windowTitle());
    if (text > label.width() - 14) return {};
    QRect r(0, label.top(), text, label.height());
    r.moveCenter(QPoint(label.center().x() + 1, label.center().y()));
    return r.translated(s->geometry().topLeft());
}

// Every window shows its whole title, none covered by a window above it,
// and no two windows stand in one place.
void ExpectEveryTitleInView(QMdiArea& area, const std::string& when)
{
    const QList<QMdiSubWindow*> stack = area.subWindowList(QMdiArea::StackingOrder);
    const QRect inside = area.viewport()->rect();
    for (int i = 0; i < stack.size(); ++i) {
        const std::string name = stack[i]->windowTitle().toStdString();
        const QRect title = ShownTitle(stack[i]);
        EXPECT_FALSE(title.isEmpty()) << when << ": the title of " << name << " is cut short";
        EXPECT_TRUE(inside.contains(stack[i]->geometry())) << when << ": " << name << " lies outside";
        for (int j = i + 1; j < stack.size(); ++j) {
            EXPECT_FALSE(stack[j]->geometry().intersects(title))
                << when << ": " << stack[j]->windowTitle().toStdString() << " covers the title of " << name;
            EXPECT_NE(stack[j]->geometry().topLeft(), stack[i]->geometry().topLeft())
                << when << ": " << stack[j]->windowTitle().toStdString() << " lies on " << name;
        }
    }
}

// The newest window is no smaller than Window > Cascade makes the windows open.
void ExpectNewWindowAtCascadeSize(TZOKMainWindow& main, const std::string& when)
{
    int title = 0;
    for (const QMdiSubWindow* s : main.Mdi->subWindowList()) title = std::max(title, CaptionTitleWidth(s->windowTitle()));
    const QSize area = main.Mdi->viewport()->size();
    const TTileRect cascaded = CascadeWindows(int(main.Mdi->subWindowList().size()), area.width(), area.height(),
                                              CascadeCaption(main, title), MinPadWidth, MinPadHeight)
                                   .back();
    const QSize size = main.CurrentPad->SubWindow->size();
    EXPECT_GE(size.width(), cascaded.Width) << when;
    EXPECT_GE(size.height(), cascaded.Height) << when;
}
} // namespace

// Files opened one at a time, each into a new window: the new window takes
// the next free place of a cascade after the windows already open, which
// stay where they are, at the size Window > Cascade would give it, so that
// no title is covered; where no such place is left, they all cascade afresh.
// Window > Cascade shows every title too, in frames from 1600 x 1000 down to
// 800 x 600 and with up to 100 windows.
TEST_F(Shell, NewWindowsAndTheCascadeLeaveEveryTitleInView)
{
    Start();
    for (const QSize frame : {QSize(1600, 1000), QSize(1024, 768), QSize(800, 600)}) {
        Main->resize(frame);
        QApplication::processEvents();
        const std::string size = std::to_string(frame.width()) + " x " + std::to_string(frame.height());
        for (int n = 1; n <= 100; ++n) {
            Main->OpenFiles({File(QString("s%1.dta").arg(n, 2, 10, QChar('0')).toLatin1().constData())});
            ASSERT_EQ(Main->PadCount(), n);
            ExpectEveryTitleInView(*Main->Mdi, size + ", " + std::to_string(n) + " opened");
            ExpectNewWindowAtCascadeSize(*Main, size + ", " + std::to_string(n) + " opened");
            if (HasFailure()) return;
        }
        for (int n : {100, 30, 12}) {
            while (Main->PadCount() > n) Main->DestroyPad(*Main->SketchPads.back());
            Main->RunPadItem(*Main->CurrentPad, "Cascade1");
            ExpectEveryTitleInView(*Main->Mdi, size + ", " + std::to_string(n) + " cascaded");
        }
        ASSERT_TRUE(Main->CloseAll());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Long titles: once no such place is left, the windows cascade afresh,
    // the new one last.
    QRect first;
    int afresh = 0;
    for (int n = 1; n <= 60 && (!afresh || n <= afresh + 2); ++n) {
        Main->OpenFiles({File(QString("AM peak scenario 2030 v%1.dta").arg(n).toLatin1().constData())});
        if (n == 1) first = Pad(1)->SubWindow->geometry();
        if (!afresh && Pad(1)->SubWindow->geometry() != first) afresh = n;
        ExpectEveryTitleInView(*Main->Mdi, "long titles, " + std::to_string(n) + " opened");
        ExpectNewWindowAtCascadeSize(*Main, "long titles, " + std::to_string(n) + " opened");
        if (HasFailure()) return;
    }
    EXPECT_GT(afresh, 1);
}

TEST_F(Shell, NewAndCascadedWindowsLieInsideTheFrameAtAUsableSize)
{
    Start();
    Main->resize(1600, 1000);
    QApplication::processEvents();
    Main->OpenFiles({File("a.dta"), File("b.dta"), File("c.dta")});
    Main->NewSchema();
    QApplication::processEvents();
    ASSERT_EQ(Main->PadCount(), 4);
    const QRect area = Main->Mdi->viewport()->rect();
    ASSERT_GT(area.width(), 1000);
    auto expectInside = [&](const char* when) {
        std::set<int> lefts;
        for (TSketchPadWindow* p : Main->SketchPads) {
            const QRect g = p->SubWindow->geometry();
            EXPECT_TRUE(area.contains(g)) << when << " " << p->WindowNumber;
            // Three quarters of the area: the whole caption and a usable pad.
            EXPECT_EQ(g.width(), area.width() * 3 / 4) << when;
            EXPECT_EQ(g.height(), area.height() * 3 / 4) << when;
            lefts.insert(g.left());
        }
        EXPECT_EQ(lefts.size(), 4u) << when; // each one step further on
    };
    expectInside("new");
    // Scattered windows cascade back inside.
    Pad(2)->SubWindow->setGeometry(-300, 700, 200, 150);
    Pad(3)->SubWindow->setGeometry(1500, -20, 900, 900);
    Main->RunPadItem(*Main->CurrentPad, "Cascade1");
    expectInside("cascaded");
    EXPECT_EQ(Pad(1)->SubWindow->geometry().topLeft(), QPoint(0, 0));
}

TEST_F(Shell, AReopenedWindowOutsideTheWindowAreaComesBackIntoIt)
{
    Start(File("a.dta"));
    Main->resize(1200, 900);
    QApplication::processEvents();
    QMdiSubWindow* sub = Pad(1)->SubWindow;
    const QRect area = Main->Mdi->viewport()->rect();
    sub->setGeometry(area.width() - 100, area.height() - 50, 600, 400);
    Main->ApplyViewState(*Pad(1), "13,0,0,0,0,10,0,0,0,1,0,2,0,2,234,1,");
    EXPECT_TRUE(area.contains(sub->geometry()));
    EXPECT_EQ(sub->size(), QSize(600, 400));
    EXPECT_EQ(sub->geometry().bottomRight(), area.bottomRight());
}
