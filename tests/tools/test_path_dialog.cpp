// "Mark Shortest Path" and its status box: what the pages show and store,
// numbers-only marks, the edit's text as the first start name, the refused
// maximum distance, the names memo, Set Search for Mark, a search's hold on
// the dialog and the network, Stop, and the menu item over a window.
#include "tools/MarkShortestDialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTabBar>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "display/WidthDialogs.h"
#include "schema/ValueDialogs.h"
#include "shell/RealEdit.h"
#include "platform/WindowPlacement.h"
#include "tools/PathStatusDialog.h"
#include "analysis_dialogs.h"

using namespace analysistest;

namespace {

// S -1- A -1- B -1- C and S -5- C, costs A1 forward and A2 back; H (a hub)
// hangs off A. Node classes "R I C R", link class "R R C R" (A4 the mark).
struct TRoad {
    TNode *S, *C, *H;
    TLink *BC, *SC;
    void Build(TNetwork& net, TWindowSettings& settings)
    {
        Define((*net.NodeClasses)[1], "Stop", "RICR");
        Define((*net.NodeClasses)[2], "Hub", "RICR");
        Define((*net.LinkClasses)[1], "Road", "RRCR");
        settings.Widths.LinkWidthExpressions[1] = "A1:A2";
        S = Node(net, 0, 0, 1, "S");
        TNode* a = Node(net, 100, 0, 1, "A");
        TNode* b = Node(net, 200, 0, 1, "B");
        C = Node(net, 300, 0, 1, "C");
        H = Node(net, 100, 100, 2, "H");
        auto road = [&](TNode* from, TNode* to, double cost) {
            TLink* h = Link(net, from, to);
            Set(h, 1, cost);
            Set(h, 2, cost);
            return h;
        };
        road(S, a, 1);
        road(a, b, 1);
        BC = road(b, C, 1);
        SC = road(S, C, 5);
        road(a, H, 1);
    }
};

struct PathDialog : ::testing::Test, TDialogWindow {
    TRoad R;
    TPathStatusDB Box{nullptr};
    bool Stop = false; // the box's Stop, as the run's hold passes it on
    std::vector<bool> Holds;
    TShortestPathSettings& Path = Settings.Display.ShortestPath;
    std::unique_ptr<TMarkShortestDB> D;

    void SetUp() override
    {
        R.Build(Net, Settings);
        Box.OnStop = [this] { Stop = true; };
    }
    void Open()
    {
        D = std::make_unique<TMarkShortestDB>(Ctx, Path, Box);
        D->BeginRun = RecordHolds(Holds, &Stop);
    }
};

} // namespace

TEST_F(PathDialog, PagesShowTheWindowsSettingsAndStoreThemBack)
{
    Path.LinkMarkAttribute[1] = 3; // categorical: shown as "None"
    Path.NodeMarkAttribute[1] = 2;
    Path.BlockingClass[2] = 1;
    Path.StartNames[1] = {"S", "", "B"};
    Path.MarkNodesWith = 1;
    Path.MaximumDistance = 2.5;
    Open();
    D->show();
    for (int page = 0; page < 4; ++page) EXPECT_TRUE(D->PageControl1->isTabVisible(page)) << page;
    EXPECT_TRUE(D->ComboBoxes[2]->isHidden() && D->CheckBoxes[3]->isHidden()) << "one link and two node classes";
    EXPECT_EQ(D->ComboBoxes[11]->itemText(4), "Stop4");
    EXPECT_EQ(D->ComboBoxes[1]->currentIndex(), 0);
    EXPECT_EQ(D->ComboBoxes[11]->currentIndex(), 2);
    EXPECT_TRUE(D->CheckBoxes[2]->isChecked() && D->MarkValueButton->isChecked());
    EXPECT_EQ(D->Edits[1]->text(), "S");
    EXPECT_EQ(D->Working[1], (std::vector<std::string>{"S", "B"}));
    EXPECT_EQ(D->DistanceEdit->text(), "2.5");

    // Marks are numbers: a categorical or string attribute goes back to "None".
    D->ComboBoxes[12]->setCurrentIndex(3);
    EXPECT_EQ(D->ComboBoxes[12]->currentIndex(), 0);
    D->ComboBoxes[1]->setCurrentIndex(4);
    D->ComboBoxes[11]->setCurrentIndex(1);
    // The edit holds the first name whatever the working list says.
    D->Edits[1]->setText("A");
    D->SpinEdits[3]->setValue(999999 + 1);
    D->DistanceButton->setChecked(true);
    // A maximum distance that is not a number of 0 or more stores nothing.
    for (const char* bad : {"", "-1"}) {
        D->DistanceEdit->setText(bad);
        D->OKButton->click();
        EXPECT_TRUE(D->isVisible() && IsMarkedBad(D->DistanceEdit)) << bad;
        EXPECT_EQ(Boxes.Last().Text, "Error in maximum distance.");
        EXPECT_EQ(Boxes.Last().Caption, "Mark Shortest Paths");
        EXPECT_EQ(Path.StartNames[1][0], "S") << bad;
    }
    D->DistanceEdit->setText("0");
    D->OKButton->click();
    EXPECT_FALSE(IsMarkedBad(D->DistanceEdit));
    EXPECT_EQ(D->result(), QDialog::Accepted);
    EXPECT_EQ(Path.StartNames[1], (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(Path.MarkValue[3], 999999);
    EXPECT_EQ(Path.LinkMarkAttribute[1], 4);
    EXPECT_EQ(Path.NodeMarkAttribute[1], 1);
    EXPECT_EQ(Path.MarkNodesWith, 0);
    EXPECT_EQ(Path.MaximumDistance, 0);

    // A network without classes shows the first page only.
    TNetwork bare;
    Ctx.Net = &bare;
    Open();
    for (int page = 1; page < 4; ++page) EXPECT_FALSE(D->PageControl1->isTabVisible(page)) << page;
}

TEST_F(PathDialog, GoSearchesFromTheEditsNamesUnderAHoldAndReportsInTheStatusBox)
{
    Path.StartNames[1] = {"C", "", "H"}; // the stored first name is stale once the edit changes
    Path.NodeMarkAttribute[1] = 1;
    Path.LinkMarkAttribute[1] = 4;
    Open();
    int repaints = 0;
    D->Repaint = [&] { ++repaints; };
    D->show();
    D->Edits[1]->setText("S");
    struct {
        bool Enabled = true, Visible = false;
        std::string Box;
    } during;
    D->BeginRun = [&] {
        during.Enabled = D->GoButton->isEnabled() || D->OKButton->isEnabled() || D->CancelButton->isEnabled() ||
                         D->PageControl1->isEnabled();
        D->reject();
        D->close();
        during.Visible = D->isVisible();
        return RecordHolds(Holds, &Stop)();
    };
    QTimer::singleShot(0, D.get(), [&] { during.Box = Box.Button1->text().toStdString(); });
    D->GoButton->click();
    EXPECT_FALSE(during.Enabled);
    EXPECT_TRUE(during.Visible) << "the dialog stays while the search runs";
    EXPECT_EQ(during.Box, "Stop");
    EXPECT_EQ(Holds, (std::vector<bool>{true, false}));
    EXPECT_TRUE(D->GoButton->isEnabled() && D->PageControl1->isEnabled());
    EXPECT_EQ(Path.StartNames[1], (std::vector<std::string>{"S", "H"}));
    EXPECT_EQ(Val(R.C, 1), 3);
    EXPECT_EQ(Val(R.BC, 4), 1);
    EXPECT_EQ(Val(R.SC, 4), 0);
    EXPECT_TRUE(Net.Modified);
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(Box.Label1->text(), "Done.");

    // Costs that cannot be evaluated are counted.
    Settings.Widths.LinkWidthExpressions[1] = "A1/A3:A2";
    D->GoButton->click();
    EXPECT_EQ(Box.Label1->text().toStdString(), "Done. Cost errors = 3");

    Box.Button1->click();
    EXPECT_FALSE(Box.isVisible()) << "OK closes the box";

    // Closing the box during a search asks for the stop instead.
    Box.SearchStarted(nullptr);
    Stop = false;
    Box.close();
    EXPECT_TRUE(Stop);
    EXPECT_TRUE(Box.isVisible());
}

TEST_F(PathDialog, TheNamesMemoAndSetSearchForMark)
{
    Path.StartNames[2] = {"S", "A"};
    Open();
    std::vector<std::string> shown;
    std::string caption;
    Nested = [&](QDialog& d) {
        auto& memo = static_cast<TMemoDB&>(d);
        shown = memo.Lines();
        caption = d.windowTitle().toStdString();
        memo.Memo1->setPlainText("B\nC\n\nH");
        return int(QDialog::Accepted);
    };
    D->Edits[2]->setText("X");
    QTest::mouseDClick(D->Edits[2], Qt::LeftButton);
    EXPECT_EQ(caption, "Additional Nodes");
    EXPECT_EQ(shown, (std::vector<std::string>{"X", "A"}));
    EXPECT_EQ(D->Edits[2]->text(), "B");
    D->OKButton->click();
    EXPECT_EQ(Path.StartNames[2], (std::vector<std::string>{"B", "C", "H"}));

    // The criteria follow the drop-downs and the first spin edit as they
    // stand, stored or not.
    Open();
    D->ComboBoxes[1]->setCurrentIndex(4);
    D->ComboBoxes[11]->setCurrentIndex(2);
    D->SpinEdits[1]->setValue(9);
    D->MarkValueButton->setChecked(true);
    D->SetSearchButton->click();
    EXPECT_TRUE(D->SearchCriteriaSet());
    EXPECT_EQ((*Net.LinkClasses)[1].Attr(4)->Active, 1);
    EXPECT_EQ((*Net.LinkClasses)[1].Attr(4)->Low, 9);
    EXPECT_EQ((*Net.NodeClasses)[1].Attr(2)->High, 9);
    EXPECT_EQ(Path.LinkMarkAttribute[1], 0) << "not stored";
}

TEST(PathMenu, ItemRunsOverItsWindowAndTheSettingsStayWithThatWindow)
{
    TProgram program;
    TZOKMainWindow& main = *program.Main;
    TSketchPadWindow* pad = program.Pad;
    QAction* item = pad->Action("MarkShortestPath1");
    EXPECT_EQ(item->text(), "&Mark Shortest Path...");
    EXPECT_FALSE(program.Enabled("MarkShortestPath1")) << "no node to start from";
    TRoad road;
    road.Build(*pad->Network, pad->Settings);
    EXPECT_TRUE(program.Enabled("MarkShortestPath1"));
    pad->Settings.Display.ShortestPath.MarkValue[1] = 5;
    TSketchPadWindow* view = main.NewView();
    EXPECT_EQ(view->Settings.Display.ShortestPath.MarkValue[1], 1) << "a view starts afresh";
    main.PadActivated(pad);
    pad->View.Saved = view->View.Saved = 1;

    // Cancel stores nothing and leaves the windows as they were.
    main.ExecDialog = [](QDialog&) { return int(QDialog::Rejected); };
    item->trigger();
    EXPECT_EQ(pad->View.Saved, 1);

    bool closable = true;
    main.ExecDialog = [&](QDialog& d) {
        // The width button: the window's link width expressions are the costs.
        if (auto* widths = qobject_cast<TWidthExpressionsDB*>(&d)) {
            EXPECT_EQ(widths->Kind, TWidthKind::Links);
            widths->Edits[1]->setText("1");
            return int(QDialog::Accepted);
        }
        auto& dialog = static_cast<TMarkShortestDB&>(d);
        dialog.SpeedButton1->click();
        dialog.Edits[1]->setText("S");
        dialog.ComboBoxes[11]->setCurrentIndex(1);
        QTimer::singleShot(0, &d, [&] { closable = main.FormCloseQuery(*pad); });
        dialog.GoClick();
        return 0;
    };
    item->trigger();
    EXPECT_FALSE(closable) << "the network stays open while the search runs";
    EXPECT_EQ(Val(road.C, 1), 1);
    EXPECT_EQ(pad->Settings.Display.ShortestPath.NodeMarkAttribute[1], 1) << "Go stored it";
    EXPECT_EQ(view->Settings.Display.ShortestPath.NodeMarkAttribute[1], 0);
    EXPECT_EQ(view->View.Saved, 0) << "the search changed the network";
    // The status box outlives the dialog, still showing the last search.
    TPathStatusDB& box = PathStatusBox(main);
    EXPECT_EQ(box.parentWidget(), &main);
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(box.Label1->text(), "Done.");

    // The box takes the user's Stop while the dialog runs modal, and the stop
    // reaches the search through the program's busy gate.
    bool stopped = false;
    main.ExecDialog = [&](QDialog& d) {
        auto& dialog = static_cast<TMarkShortestDB&>(d);
        QTimer::singleShot(0, &d, [&] {
            QTimer::singleShot(0, &d, [&] {
                QTest::mouseClick(box.windowHandle(), Qt::LeftButton, {}, box.Button1->geometry().center());
            });
            dialog.GoClick();
            stopped = dialog.LastResult().Stopped;
            d.reject();
        });
        return d.exec();
    };
    item->trigger();
    EXPECT_TRUE(stopped);

    // OK alone marks only its own window.
    pad->View.Saved = view->View.Saved = 1;
    main.ExecDialog = [](QDialog& d) {
        static_cast<TMarkShortestDB&>(d).accept();
        return d.result();
    };
    item->trigger();
    EXPECT_EQ(pad->View.Saved, 0);
    EXPECT_EQ(view->View.Saved, 1);
}

TEST_F(PathDialog, AllFourPagesAndTheStatusBoxShowOverTheDialog)
{
    QObject fitter;
    InstallDialogFitter(&fitter);
    QWidget frame;
    frame.setGeometry(100, 80, 600, 450);
    frame.show();
    D = std::make_unique<TMarkShortestDB>(Ctx, Path, Box, &frame);
    D->show();
    QApplication::processEvents();
    // Every page's tab in view, none behind scroll arrows.
    const QTabBar* tabs = D->PageControl1->tabBar();
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(3), "Blocking Nodes");
    for (int i = 0; i < tabs->count(); ++i)
        EXPECT_TRUE(tabs->rect().contains(tabs->tabRect(i))) << tabs->tabText(i).toStdString();

    // The status box opens over the dialog that runs the search, not in a corner.
    Box.SearchStarted(D.get());
    const QPoint centre = Box.frameGeometry().center(), over = D->frameGeometry().center();
    EXPECT_LE((centre - over).manhattanLength(), 4);
    Box.SearchEnded();
    // Moved by the user, it stays there for the next search while it is up.
    Box.move(20, 30);
    Box.SearchStarted(D.get());
    EXPECT_EQ(Box.pos(), QPoint(20, 30));
    Box.Button1Click();
    Box.Button1Click();
    EXPECT_FALSE(Box.isVisible());
    D.reset();
}

TEST(WindowPlacement, ABoxCentresOverItsOwnerAndStaysOnTheScreen)
{
    const QRect screen(0, 0, 1280, 1024);
    EXPECT_EQ(CenteredOver(QSize(200, 100), QRect(100, 100, 600, 400), screen), QRect(300, 250, 200, 100));
    // An owner near an edge: the box is moved onto the screen.
    EXPECT_EQ(CenteredOver(QSize(300, 100), QRect(-200, 980, 200, 200), screen), QRect(0, 924, 300, 100));
    // A box larger than the screen takes the screen.
    EXPECT_EQ(CenteredOver(QSize(2000, 100), QRect(0, 0, 100, 100), screen).width(), 1280);
}
