// The Calculate dialogs driven offscreen from the window's menu item: the
// editor's rows, moves, insertions and memo, the program file, the side
// tables over their working copies, and a run with its status box and the
// gate that holds everything else meanwhile.
#include <gtest/gtest.h>

#include <functional>

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <fstream>

#include "../core/edit/test_edit_support.h"
#include "../shell/program_fixture.h"
#include "core/edit/SchemaEdit.h"
#include "core/model/Messages.h"
#include "schema/CalcTableDialogs.h"
#include "schema/CalculateDialog.h"
#include "schema/CalculateRun.h"
#include "shell/EditingMouse.h"

using namespace edittest;

namespace {

class CalcDialogs : public programtest::TProgramTest {
protected:
    void SetUp() override
    {
        Start();
        Pad->View.MaxX = Pad->View.MaxY = 1000;
        Pad->SetScrollRanges();
        TClassRecord& zone = (*Net->NodeClasses)[1];
        zone.Name = "Zone";
        SetAttributeCount(zone, 100);
        SetAttributeKind(*zone.Attr(2), 'C');
        SetWorksheetRows(*zone.Attr(2), 1);
        zone.Attr(2)->WorkSheet->Rows[1].Label = "Area";
        zone.Attr(2)->WorkSheet->Rows[1].Codes = "URS";
        zone.Attr(2)->WorkSheet->Rows[1].Hint = "urban&&rural&&suburban";
    }
    TNode* Zone(int32_t x, int32_t y)
    {
        TNode* n = Node(*Net, x, y);
        n->EntityType = 1;
        ResizeValues(*n, 100);
        return n;
    }
    TCalcProgram& Program() { return Pad->View.CalcProgram; }
    // Opens the Calculate dialog from its menu item and runs f in it; returns
    // the dialog's result.
    int Calculate(std::function<void(TCalculateDB&)> f)
    {
        int result = -1;
        Handlers["CalculateDB"] = [&](QDialog& d) {
            f(static_cast<TCalculateDB&>(d));
            result = d.result();
            return result;
        };
        Pad->Action("Calculate1")->trigger();
        return result;
    }
    static void Click(QDialog& d, const char* button) { d.findChild<QPushButton*>(button)->click(); }
};

} // namespace

TEST_F(CalcDialogs, EditorRowsMovesInsertionsAndTheLineMemo)
{
    Program().CalcRanges[CalcKindNode].Begin[1] = 1;
    Program().CalcRanges[CalcKindLink].Begin[1] = 4; // no link class: kept as it is
    int pick = 36;
    Handlers["CalculateAttributesDB"] = [&pick](QDialog& d) {
        auto* tree = d.findChild<QTreeWidget*>("TreeView1");
        QTreeWidgetItem* zone = tree->topLevelItem(0);
        EXPECT_EQ(zone->childCount(), 100);
        tree->setCurrentItem(zone->child(pick - 1));
        Click(d, "OKBtn");
        return d.result();
    };
    Handlers["SelectPropertiesDB"] = [](QDialog& d) {
        d.findChild<QListWidget*>("ListBox1")->setCurrentRow(0);
        Click(d, "OKBtn");
        return d.result();
    };
    std::string memoCaption;
    QString memoText = "A5 = 1 +\r\n 2";
    Handlers["ExpressionMemoDB"] = [&](QDialog& d) {
        memoCaption = d.windowTitle().toStdString();
        d.findChild<QPlainTextEdit*>("Memo1")->setPlainText(memoText);
        Click(d, "OKBtn");
        if (d.result() != QDialog::Accepted) Click(d, "CancelBtn"); // refused: still open
        return d.result();
    };
    const int result = Calculate([&](TCalculateDB& c) {
        EXPECT_EQ(c.windowTitle().toStdString(), "Calculate");
        EXPECT_TRUE(c.PageControl1->isTabVisible(1));  // Node Lines
        EXPECT_FALSE(c.PageControl1->isTabVisible(2)); // no Link Lines without link classes
        EXPECT_FALSE(c.LinkEndsButton->isEnabled());
        EXPECT_TRUE(c.PolyOwnerButton->isEnabled());
        EXPECT_TRUE(c.LookupButton->isEnabled());
        EXPECT_FALSE(c.Rows[CalcKindNode][1].Label->isHidden());
        EXPECT_TRUE(c.Rows[CalcKindNode][2].Label->isHidden());
        EXPECT_EQ(c.Rows[CalcKindNode][1].Begin->value(), 1);
        EXPECT_EQ(c.Rows[CalcKindSystem][3].Label->text().toStdString(), "After Nodes, Before Links");

        c.Edits[1]->setText("A1 = 1");
        c.Edits[2]->setText("A2 = 2");
        c.FocusedLine = 1;
        c.UpButton->click(); // line 1 cannot go up
        EXPECT_EQ(c.Edits[1]->text(), "A1 = 1");
        c.FocusedLine = 2;
        c.UpButton->click();
        EXPECT_EQ(c.Edits[1]->text(), "A2 = 2");
        EXPECT_EQ(c.Edits[2]->text(), "A1 = 1");
        EXPECT_EQ(c.FocusedLine, 1); // the focus follows the line
        c.FocusedLine = 10;
        c.Edits[10]->setText("last");
        c.DownButton->click();
        EXPECT_EQ(c.Edits[10]->text(), "last");
        c.PageControl1->setCurrentWidget(c.SystemLinesTab);
        EXPECT_FALSE(c.UpButton->isEnabled());
        c.PageControl1->setCurrentWidget(c.RelationsTab);
        EXPECT_TRUE(c.DownButton->isEnabled());

        // Attributes 36 and 100 at the caret, then a node property.
        c.FocusedLine = 3;
        c.Edits[3]->setText("A3 =  * 2");
        c.Edits[3]->setCursorPosition(5);
        c.NodeAttributesItem->trigger();
        pick = 100;
        c.NodeAttributesItem->trigger();
        EXPECT_EQ(c.Edits[3]->text(), "A3 = b1cu * 2");
        EXPECT_EQ(c.Edits[3]->cursorPosition(), 9);
        c.NodePropertiesItem->trigger();
        EXPECT_TRUE(c.Edits[3]->text().startsWith("A3 = b1cun"));

        // The popup's edit items follow the edit's state.
        c.Edits[4]->setText("abc");
        c.FocusedLine = 4;
        c.Edits[4]->deselect();
        c.UpdatePopup();
        EXPECT_FALSE(c.CutItem->isEnabled());
        EXPECT_TRUE(c.SelectAllItem->isEnabled());
        c.Edits[4]->selectAll();
        c.UpdatePopup();
        EXPECT_TRUE(c.CutItem->isEnabled() && c.CopyItem->isEnabled() && c.DeleteItem->isEnabled());
        EXPECT_FALSE(c.SelectAllItem->isEnabled());
        EXPECT_FALSE(c.LinkAttributesItem->isEnabled()); // no link class

        // "Edit Line 4": line breaks removed; more than 255 refused, the line stays.
        c.EditLine(4);
        EXPECT_EQ(memoCaption, "Edit Line 4");
        EXPECT_EQ(c.Edits[4]->text(), "A5 = 1 + 2");
        memoText = QString(250, 'x') + "\r\n" + QString(6, 'y');
        c.EditLine(4);
        EXPECT_EQ(c.Edits[4]->text(), "A5 = 1 + 2");

        // A pasted line break never reaches the program.
        c.Edits[5]->setText("A6 = 1\nA7 = 2");
        c.Rows[CalcKindNode][1].Parameters->setText("XY\r\n");
        c.CloseButton->click();
    });
    EXPECT_EQ(result, QDialog::Accepted);
    const TCalcProgram& p = Program();
    EXPECT_EQ(p.CalcLines[1], "A2 = 2");
    EXPECT_EQ(p.CalcLines[4], "A5 = 1 + 2");
    EXPECT_EQ(p.CalcLines[5].find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(p.CalcParameters[CalcKindNode][1], "XY");
    EXPECT_EQ(p.CalcRanges[CalcKindLink].Begin[1], 4);
    EXPECT_EQ(p.CalcLines[10], "last");
}

TEST_F(CalcDialogs, OpenSaveAndClear)
{
    const QString good = Dir.filePath("trips.pgm");
    const QString bad = Dir.filePath("bad.pgm");
    std::ofstream(bad.toStdString()) << "NOT A PROGRAM\r\n";
    QString chosen;
    for (const char* name : {"OpenDialog1", "SaveDialog1"})
        Handlers[name] = [&chosen](QDialog& d) {
            static_cast<QFileDialog&>(d).selectFile(chosen);
            return int(QDialog::Accepted);
        };
    Program().CalcLines[1] = "A1 = 2";
    Calculate([&](TCalculateDB& c) {
        c.Edits[2]->setText("A1 = A1 * 3"); // Save stores the controls first
        chosen = good;
        c.SaveButton->click();
        EXPECT_EQ(c.FileNameEB->text(), "trips.pgm");
        EXPECT_EQ(Boxes.Count(), 0u);

        c.Edits[1]->setText("typed");
        chosen = bad;
        c.OpenButton->click();
        ASSERT_EQ(Boxes.Count(), 1u);
        EXPECT_EQ(Boxes.Last().Text, "Valid program file not found.");
        EXPECT_EQ(Boxes.Last().Caption, "Read Program");
        EXPECT_EQ(c.Edits[1]->text(), "typed"); // the controls as they were
        EXPECT_EQ(c.FileNameEB->text(), "trips.pgm");
        EXPECT_EQ(Program().ProgramFile, good.toStdString());

        c.ClearButton->click();
        EXPECT_EQ(c.Edits[2]->text(), "");
        EXPECT_EQ(c.FileNameEB->text(), "");
        chosen = good;
        c.OpenButton->click();
        EXPECT_EQ(c.Edits[1]->text(), "A1 = 2");
        EXPECT_EQ(c.Edits[2]->text(), "A1 = A1 * 3");
        EXPECT_EQ(c.FileNameEB->text(), "trips.pgm");
        c.CloseButton->click();
    });
}

TEST_F(CalcDialogs, SideTablesWorkOnCopies)
{
    TSchemaContext ctx;
    ctx.Net = Net;
    ctx.Boxes = &Boxes;
    ctx.Exec = Main->ExecDialog;
    TCalcProgram& p = Program();
    p.Variables[5] = 3;

    // Variables: a value that is no number stores nothing, not even the names.
    {
        TNetworkWideDB d(ctx, p);
        EXPECT_EQ(d.Edits[5]->text(), "3");
        d.ZeroClick();
        d.Select(2);
        d.NameEdit->setText("Trips & more");
        d.Select(5);
        EXPECT_EQ(d.Radios[2]->text(), "Trips && more");
        d.Edits[30]->setText("1e999");
        Click(d, "OKBtn");
        EXPECT_NE(d.result(), QDialog::Accepted);
        EXPECT_TRUE(IsMarkedBad(d.Edits[30]));
        EXPECT_EQ(d.PageControl1->currentIndex(), 2);
        EXPECT_EQ(p.Variables[5], 3);
        EXPECT_EQ(p.VariableNames[2], "");
        d.Edits[30]->setText("7.5");
        Click(d, "OKBtn");
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
    EXPECT_EQ(p.Variables[5], 0);
    EXPECT_EQ(p.Variables[30], 7.5);
    EXPECT_EQ(p.VariableNames[2], "Trips & more");

    // Lookup tables: another number stores the shown table first; a bad
    // value puts the number back; Cancel keeps every table as it was.
    const auto tables = p.LookupTables;
    {
        TLookupTableDB d(ctx, p);
        d.NameEB->setText("Area factor");
        d.EntityLB->setCurrentRow(0);
        d.AttributeLB->setCurrentRow(2);
        ASSERT_TRUE(d.VariableLB->isEnabled());
        d.VariableLB->setCurrentRow(1);
        ASSERT_EQ(d.BottomCBs[1]->count(), 5); // blank, U, R, S, ?
        EXPECT_EQ(d.BottomCBs[1]->currentText(), "?");
        EXPECT_EQ(d.TopCBs[1]->currentText(), " ");
        d.TopCBs[1]->setCurrentIndex(2);
        EXPECT_EQ(d.TopCBs[1]->toolTip(), "rural");
        d.ValueEBs[1]->setText("1.5");
        d.ValueEBs[2]->setText("abc");
        d.TableSE->setValue(2);
        EXPECT_EQ(d.TableSE->value(), 1);
        EXPECT_TRUE(IsMarkedBad(d.ValueEBs[2]));
        d.ValueEBs[2]->setText("2");
        d.TableSE->setValue(2);
        EXPECT_EQ(d.Shown, 2);
        EXPECT_EQ(d.Tables[1].Description, "Area factor");
        EXPECT_EQ(d.Tables[1].Top[1], 'R');
        EXPECT_FALSE(d.BottomCBs[1]->isEnabled()); // table 2 has no code position
        Click(d, "CancelBtn");
    }
    EXPECT_EQ(p.LookupTables, tables);
    {
        TLookupTableDB d(ctx, p);
        d.EntityLB->setCurrentRow(0);
        d.AttributeLB->setCurrentRow(2);
        d.VariableLB->setCurrentRow(1);
        d.ParameterLB->setCurrentRow(10);
        d.ValueEBs[3]->setText("4");
        d.ApplyRG->button(1)->click();
        d.TableSE->setValue(20);
        Click(d, "OKBtn");
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
    EXPECT_EQ(p.LookupTables[1].Parameter, 10);
    EXPECT_EQ(p.LookupTables[1].ClassIndex, 1);
    EXPECT_EQ(p.LookupTables[1].Attribute, 2);
    EXPECT_EQ(p.LookupTables[1].Values[3], 4);
    EXPECT_EQ(p.LookupTables[1].ApplyOtherwise, 1);

    // Parameter sets: the shown set is stored on a switch; Cancel drops all.
    {
        TParameterSetDB d(ctx, p, true);
        EXPECT_EQ(d.windowTitle(), "Polygon Owner Parameters");
        d.FirstTypeCB->setCurrentIndex(1);
        d.SecondTypeCB->setCurrentIndex(1);
        d.Ends[0].Attribute->setCurrentIndex(2);
        EXPECT_TRUE(d.Ends[0].CodePosition->isEnabled());
        d.Ends[0].CodePosition->setCurrentIndex(1);
        d.Ends[0].Parameter->setCurrentIndex(3);
        d.SetSE->setValue(4);
        EXPECT_EQ(d.Sets[1], (TParameterSet{3, 0, 2, 0, 1, 0, 1, 1}));
        Click(d, "CancelBtn");
    }
    EXPECT_EQ(p.PolygonOwnerSets[1], TParameterSet{});
    {
        TParameterSetDB d(ctx, p, true);
        d.FirstTypeCB->setCurrentIndex(1);
        d.SecondTypeCB->setCurrentIndex(1);
        d.Ends[0].Attribute->setCurrentIndex(1); // a real attribute: no code position
        EXPECT_FALSE(d.Ends[0].CodePosition->isEnabled());
        d.Ends[0].Parameter->setCurrentIndex(3);
        Click(d, "OKBtn");
    }
    EXPECT_EQ(p.PolygonOwnerSets[1], (TParameterSet{3, 0, 1, 0, 0, 0, 1, 1}));
}

TEST_F(CalcDialogs, RunWithStatusBoxAndGate)
{
    TNode* a = Zone(100, 100);
    TNode* b = Zone(300, 100);
    TNode* gone = Zone(500, 500);
    // Delete one node now, to see the Insert key refused during the run.
    Main->SetButtons(5, *Pad, true);
    QTest::mouseClick(Pad->viewport(), Qt::LeftButton, {}, QPoint(Pad->PixelX(500), Pad->PixelY(500)));
    ASSERT_FALSE(gone->Active);
    Main->SetButtons(0, *Pad, true);
    // The mode key of Node Plot works before the run.
    Main->activateWindow();
    Pad->setFocus();
    QApplication::processEvents();
    QTest::keyClick(Pad, Qt::Key_H);
    ASSERT_EQ(Pad->View.SketchMode, 1);
    Main->SetButtons(0, *Pad, true);
    // An endless program: every pass asks for another.
    TCalcProgram& p = Program();
    p.CalcLines[1] = "REDO";
    p.CalcLines[2] = "A1 = A1 + 1";
    p.CalcRanges[CalcKindSystem].Begin[2] = p.CalcRanges[CalcKindSystem].End[2] = 1;
    p.CalcRanges[CalcKindNode].Begin[1] = p.CalcRanges[CalcKindNode].End[1] = 2;

    struct {
        bool Busy = false, BodyDisabled = false, Nested = true, Undeleted = true, MenuOpened = true;
        bool Closed = true, DialogClosed = true, Cleared = true, Zoomed = false, Plotted = true, ModeKey = true, OtherTyped = true;
        bool EscapeKeptBox = false, EscapeStopped = false;
        size_t StatusBoxes = 0;
    } seen;
    int zoom = 0;
    QLineEdit other;
    other.show();
    Calculate([&](TCalculateDB& c) {
        // Once the run has made a few passes (the first events may arrive
        // before it has begun), everything else is tried while it goes on.
        std::function<void()> during;
        during = [&] {
            if (a->Values[0].Real() < 2) {
                QTimer::singleShot(10, &c, during);
                return;
            }
            seen.Busy = Main->Gate.Running(TBusyKind::Calculate) && !Main->Gate.Lets(GateChange, nullptr);
            seen.BodyDisabled = !c.Body->isEnabled();
            // A second Start does nothing.
            c.Button9Click();
            seen.StatusBoxes = Main->findChildren<TCalculateStatusDB*>().size();
            // Keys, menu items and editing presses do nothing.
            QTest::keyClick(Pad, Qt::Key_Insert);
            seen.Undeleted = gone->Active != 0;
            Main->activateWindow();
            Pad->setFocus();
            QApplication::processEvents();
            QTest::keyClick(Pad, Qt::Key_H);
            seen.ModeKey = Pad->View.SketchMode == 1;
            // Another window takes no typing either.
            QTest::keyClicks(&other, "abc");
            seen.OtherTyped = !other.text().isEmpty();
            const size_t dialogs = Shown.size();
            Pad->Action("Calculate1")->trigger();
            seen.MenuOpened = Shown.size() != dialogs;
            Main->SetButtons(1, *Pad, true);
            const int32_t nodes = Net->NodeCount;
            QTest::mouseClick(Pad->viewport(), Qt::RightButton, {}, QPoint(Pad->PixelX(700), Pad->PixelY(700)));
            seen.Plotted = Net->NodeCount != nodes;
            Main->SetButtons(0, *Pad, true);
            // The zoom clicks still zoom.
            zoom = Pad->View.ZoomIndex;
            Pad->View.ZoomInState = 1;
            QTest::mouseClick(Pad->viewport(), Qt::LeftButton, {}, QPoint(Pad->PixelX(100), Pad->PixelY(100)));
            seen.Zoomed = Pad->View.ZoomIndex == zoom + 1;
            Pad->View.ZoomInState = 0;
            // Closing the window or the dialog, Clear and Open are refused.
            Pad->close();
            seen.Closed = Main->PadCount() != 1;
            c.done(QDialog::Accepted);
            seen.DialogClosed = c.result() == QDialog::Accepted;
            c.ClearClick();
            seen.Cleared = Program().CalcLines[1].empty();
            // Escape in the status box is its Stop: the box stays, the button reads "OK".
            TCalculateStatusDB* box = CalculateStatusBox(*Main);
            QTest::keyClick(box, Qt::Key_Escape);
            seen.EscapeKeptBox = box->isVisible();
            seen.EscapeStopped = box->Button1->text() == "OK";
            if (!seen.EscapeStopped) Main->Gate.RequestStop(TBusyKind::Calculate);
        };
        QTimer::singleShot(100, &c, during);
        c.Button9->click();
        TCalculateStatusDB* box = CalculateStatusBox(*Main);
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->Label1->text().startsWith("Processed: 0 Links; ")) << box->Label1->text().toStdString();
        EXPECT_TRUE(box->Label1->text().endsWith(" Errors."));
        EXPECT_EQ(box->Button1->text(), "OK");
        EXPECT_TRUE(c.Body->isEnabled());
        box->Button1->click();
        EXPECT_FALSE(box->isVisible());
        c.CloseButton->click();
    });
    EXPECT_TRUE(seen.Busy);
    EXPECT_TRUE(seen.BodyDisabled);
    EXPECT_TRUE(seen.EscapeKeptBox);
    EXPECT_TRUE(seen.EscapeStopped);
    EXPECT_EQ(seen.StatusBoxes, 1u);
    EXPECT_FALSE(seen.Undeleted);
    EXPECT_FALSE(seen.ModeKey);
    EXPECT_FALSE(seen.OtherTyped);
    EXPECT_FALSE(seen.MenuOpened);
    EXPECT_FALSE(seen.Plotted);
    EXPECT_TRUE(seen.Zoomed);
    EXPECT_FALSE(seen.Closed);
    EXPECT_FALSE(seen.DialogClosed);
    EXPECT_FALSE(seen.Cleared);
    ASSERT_GE(Boxes.Count(), 3u);
    EXPECT_EQ(Boxes.Calls[0].Text, "Stop Calculate before closing.");
    EXPECT_EQ(Boxes.Calls[0].Caption, "Calculate");
    EXPECT_EQ(Boxes.Calls[0].Flags, MB_STOP_OK);
    // Many passes ran, each node once per pass.
    EXPECT_GT(a->Values[0].Real(), 1);
    EXPECT_EQ(a->Values[0].Real(), b->Values[0].Real());
    // Afterwards everything takes input again.
    EXPECT_FALSE(Main->Gate.Busy());
    QTest::keyClick(Pad, Qt::Key_Insert);
    EXPECT_TRUE(gone->Active);
    QTest::keyClicks(&other, "abc");
    EXPECT_EQ(other.text(), "abc");
}

TEST_F(CalcDialogs, GateLiftsOnEveryWayOut)
{
    TNode* n = Zone(100, 100);
    Main->SetButtons(5, *Pad, true);
    try {
        auto gate = TCalcRunGate::Begin(*Pad, nullptr);
        ASSERT_TRUE(gate);
        EXPECT_FALSE(TCalcRunGate::Begin(*Pad, nullptr)); // no nested run
        TCalcProgram program;
        EXPECT_FALSE(RunWindowCalculation(*Pad, program).Ran);
        QTest::mouseClick(Pad->viewport(), Qt::LeftButton, {}, QPoint(Pad->PixelX(100), Pad->PixelY(100)));
        EXPECT_TRUE(n->Active);
        throw std::runtime_error("out of the run");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(Main->Gate.Busy());
    QTest::mouseClick(Pad->viewport(), Qt::LeftButton, {}, QPoint(Pad->PixelX(100), Pad->PixelY(100)));
    EXPECT_FALSE(n->Active);
}
