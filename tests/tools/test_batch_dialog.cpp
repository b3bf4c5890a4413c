// The "Multiple Shapefiles Import" dialog: its pages and the table it keeps,
// row editing from the focus, .sfs files and file names through their
// dialogs, find and replace, a run's progress and what it disables, and runs
// over the program's windows with real files.
#include "tools/ShapeFileComplexDialog.h"

#include <filesystem>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "core/calc/CalcProgram.h"
#include "core/file/NetworkFile.h"
#include "core/file/SettingsSections.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/WindowSettings.h"
#include "schema/CalculateRun.h"
#include "shell/RealEdit.h"
#include "tools/ShapeFileDialogs.h"
#include "../core/file/append_fixture.h"
#include "../core/shapes/batch_fixture.h"
#include "../core/shapes/shapes_fixture.h"
#include "../shell/program_fixture.h"

namespace fs = std::filesystem;
using batchtest::Script;

namespace {

std::string Text(const QLineEdit* e) { return e->text().toStdString(); }

struct BatchDialog : ::testing::Test {
    QTemporaryDir Dir;
    TMessageSinkRecorder Boxes;
    batchtest::TRecordingHost Steps;
    std::unique_ptr<TComplexShapeFileDB> D;
    std::string NextFile;
    QFileDialog* LastFileDialog = nullptr;
    QString Offered; // what the last file dialog offered before its answer

    void SetUp() override
    {
        D = std::make_unique<TComplexShapeFileDB>();
        D->MessageBoxes = [this]() -> TMessageSink& { return Boxes; };
        D->Operations = &Steps;
        D->RunFileDialog = [this](QFileDialog& f) {
            LastFileDialog = &f;
            Offered = f.selectedFiles().value(0);
            if (NextFile.empty()) return false;
            f.selectFile(QString::fromStdString(NextFile));
            return true;
        };
    }
    std::string Path(const char* name) const { return Dir.filePath(name).toStdString(); }
    void Focus(QWidget* w)
    {
        QApplication::setActiveWindow(D.get());
        w->setFocus();
        QApplication::processEvents();
    }
    int Page() const { return D->PageControl1->currentIndex() + 1; }
    bool Yellow(int row) const
    {
        return row >= 1 && D->Edits[size_t(row)]->palette().color(QPalette::Base) == QColor(Qt::yellow);
    }
};

} // namespace

TEST_F(BatchDialog, ShowsTheStoredTableAndEditsRowsFromTheFocus)
{
    ASSERT_EQ(D->PageControl1->count(), 10);
    EXPECT_EQ(D->PageControl1->tabText(9), "Tenth");
    EXPECT_EQ(D->ComboBoxes[100]->itemText(8), "Save As, Close");
    EXPECT_EQ(D->findChild<QComboBox*>("ComboBox57"), D->ComboBoxes[57]);
    TBatchScript s;
    for (int r = 1; r <= 100; ++r) {
        s.StepOperation[size_t(r)] = r % 9;
        s.StepFileName[size_t(r)] = "f" + std::to_string(r);
    }
    D->Stored = s;
    D->show();
    EXPECT_EQ(D->ComboBoxes[2]->currentIndex(), 2);
    EXPECT_EQ(Text(D->StepEdit), "0");
    // Only OK stores the rows.
    D->ComboBoxes[2]->setCurrentIndex(7);
    D->CancelButton->click();
    EXPECT_EQ(D->Stored.StepOperation[2], 2);
    D->show();
    EXPECT_EQ(D->ComboBoxes[2]->currentIndex(), 2);
    D->ComboBoxes[2]->setCurrentIndex(7);
    D->OKButton->click();
    EXPECT_EQ(D->result(), 1);
    EXPECT_EQ(D->Stored.StepOperation[2], 7);
    D->show();

    // Up swaps with the row above; the page and the focus follow, on the same kind of control.
    Focus(D->Edits[11]);
    D->UpButton->click();
    EXPECT_EQ(Text(D->Edits[10]), "f11");
    EXPECT_EQ(Text(D->Edits[11]), "f10");
    EXPECT_EQ(D->ComboBoxes[10]->currentIndex(), 11 % 9);
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(QApplication::focusWidget(), D->Edits[10]);
    Focus(D->ComboBoxes[30]);
    D->DownButton->click();
    EXPECT_EQ(Text(D->Edits[31]), "f30");
    EXPECT_EQ(Page(), 4);
    EXPECT_EQ(QApplication::focusWidget(), D->ComboBoxes[31]);
    Focus(D->Edits[1]);
    D->UpButton->click();
    Focus(D->Edits[100]);
    D->DownButton->click();
    EXPECT_EQ(Text(D->Edits[1]), "f1");
    EXPECT_EQ(Text(D->Edits[100]), "f100");

    // Insert and Delete act on the row last entered; never on row 100.
    EXPECT_EQ(D->LastEnteredRow(), 100);
    D->InsertClick();
    D->DeleteClick();
    EXPECT_EQ(Text(D->Edits[100]), "f100");
    Focus(D->ComboBoxes[98]);
    D->InsertButton->click();
    EXPECT_EQ(Text(D->Edits[98]), "");
    EXPECT_EQ(D->ComboBoxes[98]->currentIndex(), 0);
    EXPECT_EQ(Text(D->Edits[99]), "f98");
    EXPECT_EQ(Text(D->Edits[100]), "f99");
    D->DeleteButton->click();
    EXPECT_EQ(Text(D->Edits[98]), "f98");
    EXPECT_EQ(Text(D->Edits[100]), "");
    EXPECT_EQ(D->ComboBoxes[100]->currentIndex(), 0);

    D->PageControl1->setCurrentIndex(5);
    D->ClearButton->click();
    EXPECT_EQ(Page(), 1);
    for (int r : {1, 50, 99}) {
        EXPECT_EQ(Text(D->Edits[size_t(r)]), "");
        EXPECT_EQ(D->ComboBoxes[size_t(r)]->currentIndex(), 0);
    }
}

TEST_F(BatchDialog, KeepsScriptsInFilesAndNamesFilesThroughTheirDialogs)
{
    D->show();
    D->ComboBoxes[1]->setCurrentIndex(4);
    NextFile = Path("calc.pgm");
    QTest::mouseDClick(D->Edits[1], Qt::LeftButton);
    ASSERT_NE(LastFileDialog, nullptr);
    EXPECT_EQ(LastFileDialog->windowTitle(), "Set File Name");
    EXPECT_EQ(LastFileDialog->selectedNameFilter(), "ZOK Calculate file (*.pgm *.PGM)");
    EXPECT_EQ(Text(D->Edits[1]), NextFile);
    D->ComboBoxes[2]->setCurrentIndex(6);
    D->ChooseFileName(2);
    EXPECT_EQ(LastFileDialog->selectedNameFilter(), "ZOK Update file (*.txt *.TXT *.dbf *.DBF *.tab *.TAB *.csv *.CSV)");
    EXPECT_EQ(LastFileDialog->directory().path().toStdString(), Dir.path().toStdString()) << "the last file's folder";
    // A row without a name starts without one (the last row's is not offered).
    EXPECT_FALSE(Offered.endsWith("calc.pgm")) << Offered.toStdString();
    NextFile.clear();
    D->ChooseFileName(2);
    EXPECT_EQ(Text(D->Edits[2]), Path("calc.pgm")) << "a cancelled dialog names nothing";

    NextFile = Path("run.sfs");
    D->SaveButton->click();
    EXPECT_EQ(LastFileDialog->windowTitle(), "Save Shape File Import Specification");
    std::ifstream in(NextFile, std::ios::binary);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "4 " + Path("calc.pgm") + "\r");
    D->ClearButton->click();
    D->OpenButton->click();
    EXPECT_EQ(LastFileDialog->windowTitle(), "Open Shapefile Import Specification");
    EXPECT_EQ(D->ComboBoxes[2]->currentIndex(), 6);
    EXPECT_EQ(Text(D->Edits[1]), Path("calc.pgm"));

    // A file that is not a script leaves the rows and says so.
    NextFile = Path("short.sfs");
    std::ofstream(NextFile) << "1 a.dta\n";
    D->OpenButton->click();
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Text, "Not a valid batch script file.");
    EXPECT_EQ(Boxes.Last().Caption, "Multiple Shapefiles Import");
    EXPECT_EQ(D->ComboBoxes[1]->currentIndex(), 4);
    NextFile = Path("no/such/folder/x.sfs");
    D->SaveButton->click();
    EXPECT_EQ(Boxes.Count(), 2u);
}

TEST_F(BatchDialog, FindsAndReplacesInTheFileNames)
{
    D->Stored = Script({{1, "C:\\data\\a.dta"}, {7, "b.dta"}});
    D->Stored.StepFileName[25] = "C:\\data\\c.shp";
    D->show();
    D->ReplaceButton->click();
    TBatchReplaceDB& box = *D->ReplaceDB;
    EXPECT_TRUE(box.isVisible());
    box.FindEdit->setText("C:\\data");
    box.FindButton->click();
    EXPECT_TRUE(Yellow(1));
    box.FindButton->click();
    EXPECT_FALSE(Yellow(1));
    EXPECT_TRUE(Yellow(25));
    EXPECT_EQ(Page(), 3);
    box.ReplaceEdit->setText("/home/p/C:\\data");
    box.ReplaceButton->click();
    EXPECT_EQ(Text(D->Edits[25]), "/home/p/C:\\data\\c.shp") << "replaced once, where it stood";
    EXPECT_EQ(Text(D->Edits[1]), "C:\\data\\a.dta");
    box.FindButton->click();
    EXPECT_EQ(Page(), 1) << "nothing further: back to the first page";
    EXPECT_FALSE(Yellow(25));
    box.FindButton->click();
    EXPECT_TRUE(Yellow(1)) << "and the next search starts at row 1";

    // Replace and Replace All with nothing to find change nothing.
    box.FindEdit->clear();
    box.ReplaceEdit->setText("x");
    box.ReplaceButton->click();
    box.ReplaceAllButton->click();
    EXPECT_EQ(Text(D->Edits[1]), "C:\\data\\a.dta");
    EXPECT_EQ(Text(D->Edits[2]), "b.dta");
    box.FindEdit->setText(".dta");
    box.ReplaceEdit->setText(".DTA");
    box.ReplaceAllButton->click();
    EXPECT_EQ(Text(D->Edits[1]), "C:\\data\\a.DTA");
    EXPECT_EQ(Text(D->Edits[2]), "b.DTA");
    EXPECT_EQ(D->Rows().StepFileName[2], "b.DTA");
}

// The rows keep names as the script file stores them (Latin-1) and show them
// whole; a run opens them as the disk spells them. A name with a letter that
// Latin-1 lacks, picked or put in by Replace, is refused by name and the row
// keeps the one it had.
TEST_F(BatchDialog, RowsStoreNamesInLatin1AndRunThemUnderTheDisksNames)
{
    const std::string muller = Path("Müller plan.dta");
    std::ofstream(muller) << "ZOK 1.09\r\n";
    D->ComboBoxes[1]->setCurrentIndex(BatchOpenNetwork);
    NextFile = muller;
    D->ChooseFileName(1);
    EXPECT_EQ(Text(D->Edits[1]), muller);
    NextFile = Path("Ωroads.shp");
    D->ChooseFileName(1);
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_NE(Boxes.Last().Text.find(NextFile), std::string::npos) << Boxes.Last().Text;
    D->ReplaceDB->FindEdit->setText("plan");
    D->ReplaceDB->ReplaceEdit->setText(QString::fromUtf8("\u03A9"));
    D->ReplaceDB->ReplaceAllButton->click();
    EXPECT_EQ(Boxes.Count(), 2u);
    EXPECT_EQ(Text(D->Edits[1]), muller);

    NextFile = Path("run.sfs");
    D->SaveButton->click();
    std::ifstream in(NextFile, std::ios::binary);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "1 " + Dir.filePath("Müller plan.dta").toLatin1().toStdString() + "\r");
    D->ExecuteClick();
    EXPECT_EQ(Steps.Log, (std::vector<std::string>{"New", "Open Müller plan.dta", "Settings"}));
}

TEST_F(BatchDialog, ARunShowsItsRowsAndHoldsTheDialogUntilItEnds)
{
    for (const char* f : {"a.dta", "p.pgm"}) std::ofstream(Path(f)) << "x";
    TBatchScript s = Script({{1, Path("a.dta")}, {4, Path("p.pgm")}, {7, Path("out.dta")}});
    s.StepOperation[12] = 7;
    s.StepFileName[12] = Path("late.dta");
    for (int r = 4; r <= 11; ++r) {
        s.StepOperation[size_t(r)] = 9; // an operation this program does not know
        s.StepFileName[size_t(r)] = "x";
    }
    D->Stored = s;
    D->show();
    std::vector<bool> held;
    D->HoldWindows = [&](bool on) { held.push_back(on); };
    // What each step sees of the dialog: the counter, the page, the rows
    // highlighted, and whether anything could end or change the run.
    std::vector<std::string> seen;
    Steps.During = [&] {
        const int row = std::stoi(Text(D->StepEdit));
        bool enabled = false;
        for (QWidget* w : std::initializer_list<QWidget*>{D->ExecuteButton, D->OKButton, D->CancelButton, D->ClearButton,
                                                          D->InsertButton, D->DeleteButton, D->ReplaceButton,
                                                          D->UpButton, D->DownButton, D->OpenButton, D->SaveButton})
            enabled = enabled || w->isEnabled();
        D->reject();
        D->close();
        const bool combo = D->ComboBoxes[size_t(row)]->palette().color(QPalette::Button) == QColor(Qt::yellow);
        seen.push_back(std::to_string(row) + " page " + std::to_string(Page()) + (Yellow(row) && combo ? " yellow" : "") +
                       (Yellow(row - 1) ? " previous" : "") + (enabled ? " enabled" : "") +
                       (D->isVisible() ? "" : " closed"));
    };
    TBatchRunResult r = D->ExecuteClick();
    EXPECT_FALSE(r.Ended);
    EXPECT_EQ(r.Row, 13);
    EXPECT_EQ(Steps.Log, (std::vector<std::string>{"New", "Open a.dta", "Settings", "Load p.pgm", "Run", "Save out.dta",
                                                   "Save late.dta"}));
    EXPECT_EQ(seen, (std::vector<std::string>{"1 page 1 yellow", "1 page 1 yellow", "1 page 1 yellow",
                                               "2 page 1 yellow", "2 page 1 yellow", "3 page 1 yellow",
                                               "12 page 2 yellow"}));
    EXPECT_TRUE(Yellow(13)) << "the row that ended the script";
    EXPECT_EQ(held, (std::vector<bool>{true, false}));
    EXPECT_TRUE(D->ExecuteButton->isEnabled());
    EXPECT_TRUE(D->OKButton->isEnabled());

    // A step that fails ends the run; everything is enabled again.
    Steps.Log.clear();
    Steps.During = nullptr;
    Steps.Fail = {"Load"};
    r = D->ExecuteClick();
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(r.Row, 2);
    EXPECT_TRUE(D->ExecuteButton->isEnabled());
    EXPECT_TRUE(D->CancelButton->isEnabled());
    EXPECT_FALSE(Yellow(13));
    EXPECT_TRUE(Yellow(2));
}

// ---- over the program's windows ----

namespace {

struct BatchWindows : programtest::TProgramTest {
    TComplexShapeFileDB* D = nullptr;

    void SetUp() override
    {
        Start();
        D = ComplexShapeFileDBOf(*Main);
        ASSERT_NE(D, nullptr);
        ASSERT_TRUE(batchtest::WriteCountFiles(Dir.path().toStdString(), Boxes));
        std::ofstream(Path("bad.dta"), std::ios::binary) << "not a network\r\n";
    }
    TBatchRunResult Run(const TBatchScript& s)
    {
        D->SetRows(s);
        return D->ExecuteClick();
    }
};

std::vector<double> Counts(const TNetwork& net)
{
    std::vector<double> v;
    ForEachNode(net, [&](TNode* n) { v.push_back(n->Values ? n->Values[0].Real() : -1); });
    return v;
}

} // namespace

TEST_F(BatchWindows, OpensUpdatesSavesAndClosesNetworkWindows)
{
    TSketchPadWindow* first = Main->CurrentPad;
    first->Network->SetAllowClose(false); // a window with work in it stays
    bool closable = true;
    int steps = 0;
    D->Pump = [&] {
        if (steps++ == 2) closable = Main->FormCloseQuery(*first);
    };
    const TBatchRunResult r = Run(Script({{1, Path("net.dta")},
                                          {5, Path("f.xup")},
                                          {6, Path("u.txt")},
                                          {8, Path("out.dta")},
                                          {2, Path("out.dta")}}));
    EXPECT_TRUE(Boxes.Calls.empty()) << Boxes.Last().Text;
    EXPECT_FALSE(r.Ended);
    EXPECT_FALSE(closable) << "no window closes during a run";
    ASSERT_EQ(Main->PadCount(), 1) << "the saved window closed";
    EXPECT_EQ(Main->CurrentPad, first);
    EXPECT_EQ(Main->Recent.Files[1], Path("out.dta"));
    EXPECT_EQ(first->Network->NodeCount, 2) << "appended to the window left current";
    EXPECT_FALSE(Main->Gate.Busy());
    TNetwork saved;
    TWindowSettings settings;
    ASSERT_EQ(OpenNetworkFile(saved, settings, Path("out.dta"), true, Boxes).Status, TOpenStatus::Ok);
    EXPECT_EQ(Counts(saved), (std::vector<double>{5, 6}));
    EXPECT_EQ(settings.ExtractFormats.NodeTemplates[1], "NNAME,CNT");
}

// The "Append Network" step appends by the file's own classes: into the
// start-up window, which defines none, every element as the file read alone
// has it; into a window with other classes what fits, the rest reported once.
TEST_F(BatchWindows, AppendStepsKeepWhatTheyAppend)
{
    using namespace appendtest;
    TNetWindow w, a;
    MakeWindowNetwork(w);
    MakeAppendedNetwork(a);
    const std::string windowFile = Saved(w, "batch-window.dta"), appended = Saved(a, "batch-appended.dta");
    const auto alone = Reopen(appended);

    TSketchPadWindow* first = Main->CurrentPad;
    EXPECT_FALSE(Run(Script({{2, appended}})).Ended);
    EXPECT_TRUE(Boxes.Calls.empty()) << Boxes.Last().Text;
    EXPECT_EQ(NodesByPlace(*first->Network), NodesByPlace(*alone));
    EXPECT_EQ(LinksByPlace(*first->Network), LinksByPlace(*alone));

    EXPECT_FALSE(Run(Script({{1, windowFile}, {2, appended}})).Ended);
    ASSERT_EQ(Main->PadCount(), 2);
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Text, LossesText(false));
    ExpectPlaced(*Main->CurrentPad->Network, AppendedIntoWindow(*alone));
}

// With a view current, the network's every window takes the new name, as
// after the menu's Save As.
TEST_F(BatchWindows, SaveAsNamesTheWindowsByTheFilePartOfTheName)
{
    EXPECT_FALSE(Run(Script({{1, Path("net.dta")}})).Ended);
    TSketchPadWindow* master = Main->CurrentPad;
    ASSERT_NE(master, nullptr);
    TSketchPadWindow* view = Main->NewView();
    ASSERT_EQ(Main->CurrentPad, view);
    const TBatchRunResult r = Run(Script({{7, Path("saved.dta")}}));
    EXPECT_FALSE(r.Ended);
    EXPECT_TRUE(Boxes.Calls.empty()) << Boxes.Last().Text;
    EXPECT_EQ(master->Caption(), "saved.dta");
    EXPECT_EQ(view->Caption(), "View 1 of saved.dta");
    EXPECT_EQ(master->FileName, Path("saved.dta"));
}

TEST_F(BatchWindows, AShapefileOfATypeNotImportedIsPassedOver)
{
    SKIP_WITHOUT_SHARED_SHAPEFILES();
    ProgramShapeSettings() = TShapeImportSettings{};
    const TBatchRunResult r = Run(Script({{1, Path("net.dta")},
                                          {3, shapetest::SharedShp() + "/pyshp/multipatch.shp"},
                                          {7, Path("after.dta")}}));
    EXPECT_FALSE(r.Ended);
    EXPECT_TRUE(Boxes.Calls.empty()) << Boxes.Last().Text;
    EXPECT_TRUE(std::filesystem::exists(Path("after.dta")));
}

TEST_F(BatchWindows, TheShapefileDialogOpensTheBatchWhoseStepsImportWithItsValues)
{
    SKIP_WITHOUT_SHARED_SHAPEFILES();
    ProgramShapeSettings() = TShapeImportSettings{};
    const std::string points = shapetest::SharedShp() + "/pyshp/point.shp";
    std::vector<std::string> dialogs;
    TBatchRunResult r;
    Main->ExecDialog = [&](QDialog& d) {
        dialogs.push_back(d.objectName().toStdString());
        if (auto* shapes = qobject_cast<TShapeFileDB*>(&d)) {
            EXPECT_TRUE(shapes->Button6->isEnabled());
            shapes->XTranslateEB->setText("-100");
            shapes->setResult(-1);
            shapes->Button6->click();
            // The batch closed the window the dialog came from: the dialog goes too, and its OK is harmless.
            EXPECT_EQ(shapes->result(), QDialog::Rejected);
            shapes->Button1->click();
        } else if (&d == D) {
            D->SetRows(Script({{1, Path("net.dta")}, {3, points}, {8, Path("out.dta")}}));
            r = D->ExecuteClick();
        }
        return 0;
    };
    Main->CurrentPad->Action("ArcViewShape1")->trigger();
    EXPECT_EQ(dialogs, (std::vector<std::string>{"ShapeFileDB", "ComplexShapeFileDB"}));
    EXPECT_EQ(Main->PadCount(), 0) << "the untitled window gave way to the network, which was saved and closed";
    EXPECT_FALSE(r.Ended);
    EXPECT_TRUE(Boxes.Calls.empty()) << Boxes.Last().Text;
    TNetwork saved;
    TWindowSettings settings;
    ASSERT_EQ(OpenNetworkFile(saved, settings, Path("out.dta"), true, Boxes).Status, TOpenStatus::Ok);
    EXPECT_EQ(saved.NodeCount, 3) << "the two zones and the point";
    EXPECT_EQ(settings.LongLat.TranslateX, -100) << "the values shown when the batch opened";
    EXPECT_EQ(saved.MinX, 22) << "the point at (122 - 100) x 1";
}

TEST_F(BatchWindows, CalculateStepsRunTheirProgramWithTheStatusBox)
{
    TCalcProgram inc;
    inc.CalcLines[1] = "A1 = A1 + 1";
    inc.CalcRanges[CalcKindNode].Begin[1] = inc.CalcRanges[CalcKindNode].End[1] = 1;
    ASSERT_TRUE(SaveProgramFile(Path("inc.pgm"), inc, &Boxes));
    std::ofstream(Path("bad.pgm"), std::ios::binary) << "not a program\r\n";
    bool boxDuring = false;
    D->Pump = [&] { boxDuring = boxDuring || CalculateStatusBox(*Main) != nullptr; };
    // A program that cannot be read ends the run; the one read before does not run again.
    const TBatchRunResult r =
        Run(Script({{1, Path("net.dta")}, {4, Path("inc.pgm")}, {4, Path("inc.pgm")}, {4, Path("bad.pgm")},
                    {7, Path("never.dta")}}));
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(r.Row, 4);
    EXPECT_TRUE(boxDuring);
    ASSERT_NE(CalculateStatusBox(*Main), nullptr);
    EXPECT_EQ(Main->PadCount(), 1);
    EXPECT_EQ(Counts(*Main->CurrentPad->Network), (std::vector<double>{2, 2}));
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_FALSE(fs::exists(Path("never.dta")));
    EXPECT_FALSE(Main->Gate.Busy());
}

TEST_F(BatchWindows, FailedStepsEndTheRunAndLeaveTheWindowsAsTheyWere)
{
    TSketchPadWindow* first = Main->CurrentPad;
    first->Network->SetAllowClose(false);
    // A network that cannot be read takes its new window with it.
    TBatchRunResult r = Run(Script({{1, Path("bad.dta")}, {7, Path("never.dta")}}));
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(r.Row, 1);
    EXPECT_EQ(Main->PadCount(), 1);
    EXPECT_EQ(Main->CurrentPad, first);
    EXPECT_EQ(Main->Recent.Count, 0) << "a window that never held the file is not remembered";
    EXPECT_FALSE(Boxes.Calls.empty());
    EXPECT_FALSE(fs::exists(Path("never.dta")));

    // A save that fails keeps its window open.
    Boxes.Clear();
    r = Run(Script({{8, Path("no/such/folder/out.dta")}, {7, Path("never.dta")}}));
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(Main->PadCount(), 1);
    EXPECT_FALSE(Boxes.Calls.empty());
    EXPECT_TRUE(D->ExecuteButton->isEnabled());
}
