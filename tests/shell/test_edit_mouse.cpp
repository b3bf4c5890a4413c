// Clicks on a sketch pad: the press reaches the sketch mode's operation, and
// the window, its menu and the main window follow. What the editing choices
// choose (the Link Splice Rules and Reinitialize Options dialogs, a mode
// chosen again) reaches the edit, and so does the deletion of the polygon
// criterion's owner.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "../core/calc/test_calc_support.h"
#include "../core/edit/test_edit_support.h"
#include "core/tables/Extract.h"
#include "program_fixture.h"
#include "schema/CalculateRun.h"
#include "shell/EditingMouse.h"
#include "toolbars/DockButton.h"

using namespace edittest;

namespace {

class Mouse : public programtest::TProgramTest {
protected:
    void SetUp() override
    {
        Start();
        Pad->View.MaxX = Pad->View.MaxY = 1000;
        Pad->SetScrollRanges();
    }
    void Mode(int m) { Main->SetButtons(m, *Pad, true); }
    void Click(int32_t x, int32_t y, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mouseClick(Pad->viewport(), b, {}, QPoint(Pad->PixelX(x), Pad->PixelY(y)));
    }
    void Click(const TNetworkPoint* p, Qt::MouseButton b = Qt::LeftButton) { Click(p->X, p->Y, b); }
    std::string Panel0() const { return Main->Panels[0]->text().toStdString(); }
    // A node of a class that Calculate programs can name.
    TNode* ClassNode(int32_t x, int32_t y, int cls = 0) { return calctest::Node(*Net, x, y, cls); }
    // A program of one line run over the nodes (or links) of class 1, as
    // the Calculate dialog starts it.
    void Calculate(const char* line, bool links = false)
    {
        TCalcProgram program;
        program.CalcLines[1] = line;
        calctest::Range(program, links ? CalcKindLink : CalcKindNode, 1, 1, 1);
        ASSERT_TRUE(RunWindowCalculation(*Pad, program).Ran);
    }
};

} // namespace

TEST_F(Mouse, LinkPlotTwoEndPicksAndTheUndeleteButton)
{
    (*Net->LinkClasses)[1].AttributeCount = 1;
    Net->TemplateLinkValues.EntityType = 1;
    Net->TemplateLinkValues.Values[0].SetReal(4.5);
    TNode* a = Node(*Net, 100, 100);
    TNode* b = Node(*Net, 300, 100);
    TNode* c = Node(*Net, 300, 300);
    Mode(2);
    Click(a);
    Click(b, Qt::RightButton); // acts as a left click
    ASSERT_EQ(LinksBetween(a, b).size(), 1u);
    EXPECT_EQ(Pad->View.Saved, 0);
    Click(c->X + 2, c->Y - 1); // near enough; chained from b
    EXPECT_EQ(LinksBetween(b, c).size(), 1u);
    Mode(2);
    Click(a);
    Click(b); // joined already: nothing
    EXPECT_EQ(ActiveLinkCount(*Net), 2);

    Mode(8);
    Click(a);
    Click(c); // no link between them: both picks dropped
    EXPECT_EQ(Pad->View.CurrentNode, nullptr);
    Click(b);
    Click(b); // the same node twice: the first pick stays
    EXPECT_EQ(Pad->View.CurrentNode, b);
    Click(a, Qt::RightButton);
    TLinkValues* ab = FindHalfEdge(a, b)->LinkValues;
    EXPECT_FALSE(ab->Active);
    ASSERT_TRUE(Main->Toolbars.UndeleteButton->isEnabled());
    QTest::mouseClick(Main->Toolbars.UndeleteButton, Qt::LeftButton);
    EXPECT_TRUE(ab->Active);
    EXPECT_EQ(ab->Values[0].Real(), 4.5);
    EXPECT_FALSE(Main->Toolbars.UndeleteButton->isEnabled());
    QTest::mouseClick(Main->Toolbars.UndeleteButton, Qt::LeftButton); // nothing left: nothing happens

    Mode(14); // Link Split: the two ends, the place, the right click
    Click(a);
    Click(b);
    EXPECT_EQ(Pad->View.SketchMode, 15);
    Click(200, 150);
    Click(0, 0, Qt::RightButton);
    EXPECT_EQ(Pad->View.SketchMode, 14);
    EXPECT_FALSE(ab->Active);
    EXPECT_EQ(ActiveLinkCount(*Net), 3);

    TNode* s = Node(*Net, 600, 100); // Node Merge of rings without a shared run
    for (int i = 0; i < 3; ++i) {
        AddVertex(*Net, s, Node(*Net, 600 + 10 * i, 200));
        AddVertex(*Net, c, Node(*Net, 400 + 10 * i, 200));
    }
    Mode(24);
    Click(s);
    Click(c);
    EXPECT_FALSE(s->Active);
    EXPECT_EQ(Panel0(), "Polygon not merged");
}

TEST_F(Mouse, CrosshairModesAndZoomClicks)
{
    Mode(1);
    Click(200, 250);
    EXPECT_EQ(Net->NodeCount, 0); // a left click only moves the crosshair
    EXPECT_EQ(Panel0(), "200,250");
    Click(600, 600, Qt::RightButton);
    ASSERT_EQ(Net->NodeCount, 1);
    TNode* n;
    TShapePoint* sp;
    EXPECT_TRUE(PickPoint(*Net, Pad->View, false, 200, 250, n, sp));

    TSketchPadWindow* view = Main->NewView();
    Main->PadActivated(Pad);
    Mode(11); // Node Move: pick, place, commit
    Click(200, 250);
    EXPECT_EQ(Pad->View.SketchMode, 13);
    Click(1400, 420); // beyond the window's extents
    Click(0, 0, Qt::RightButton);
    EXPECT_EQ(Pad->View.SketchMode, 11);
    EXPECT_EQ(n->X, 1400);
    EXPECT_GE(Pad->View.MaxX, 1400); // still inside the scrollable area
    EXPECT_GE(view->View.MaxX, 1400); // of every window of the network
    {
        // no edits while the network prints
        TBusyGate::TRun print = Main->Gate.Begin(TBusyKind::Print, Net, Pad, GateView);
        Click(n);
        EXPECT_EQ(Pad->View.SketchMode, 11);
    }
    Mode(11);
    Click(n);
    Click(400, 420);
    Click(0, 0, Qt::RightButton);
    EXPECT_EQ(n->Y, 420);

    Pad->View.ZoomInState = 1;
    const int zoom = Pad->View.ZoomIndex;
    Click(400, 420, Qt::RightButton); // the right button zooms out
    EXPECT_EQ(Pad->View.ZoomIndex, zoom - 1);
    TBusyGate::TRun calc = Main->Gate.Begin(TBusyKind::Calculate, nullptr, Pad, GateView | GateDisplay);
    // while Calculate runs only left zoom clicks count
    Click(400, 420, Qt::RightButton);
    EXPECT_EQ(Pad->View.ZoomIndex, zoom - 1);
    Click(400, 420);
    EXPECT_EQ(Pad->View.ZoomIndex, zoom);
    calc.End();
    Pad->View.ZoomInState = 0;

    calc = Main->Gate.Begin(TBusyKind::Calculate, nullptr, Pad, GateView | GateDisplay);
    Mode(5); // no edits while Calculate runs
    Click(n);
    EXPECT_TRUE(n->Active);
    calc.End();

    Mode(1); // "Finish Node Plot" commits at the crosshair
    Click(700, 650);
    const int32_t count = Net->NodeCount;
    QTest::mouseClick(Main->Toolbars.RightClickButton, Qt::LeftButton);
    EXPECT_EQ(Net->NodeCount, count + 1);
    EXPECT_TRUE(PickPoint(*Net, Pad->View, false, 700, 650, n, sp));
}

TEST_F(Mouse, MenuUndoCommandsAndATransformOfTheNetwork)
{
    TNode* a = Node(*Net, 100, 100);
    TNode* b = Node(*Net, 500, 100);
    TLinkValues* ab = Link(*Net, a, b);
    Shape(*Net, ab, 300, 140);
    QAction* undoShape = Pad->Action("UndoShapeRemoveM");
    ASSERT_NE(undoShape, nullptr);
    EXPECT_FALSE(undoShape->isEnabled());
    Mode(19);
    Click(301, 141);
    EXPECT_EQ(ab->ShapePoints.GetCount(), 0);
    ASSERT_TRUE(undoShape->isEnabled());
    Main->SetAllowClose(*Pad, 1);
    undoShape->trigger();
    EXPECT_EQ(ShapeXY(ab), (XY{{300, 140}}));
    EXPECT_EQ(Pad->View.Saved, 0);
    EXPECT_FALSE(undoShape->isEnabled());

    // A network replaced in the window leaves no stale record behind.
    Click(300, 140);
    Pad->NewNetwork();
    EXPECT_FALSE(TPadEditor::Of(*Pad).UndoShapeRemove());

    Net = Pad->Network.get();
    TNode* c = Node(*Net, 10, 20);
    Main->UpdatePadItems(*Pad); // a network with nodes can be scaled
    Pad->Action("ScalebyTwoM")->trigger();
    EXPECT_EQ(c->X, 20);
    EXPECT_EQ(c->Y, 40);
    QAction* undo = Pad->Action("UndoTransformM");
    ASSERT_TRUE(undo->isEnabled());
    undo->trigger();
    EXPECT_EQ(c->X, 10);
    EXPECT_FALSE(undo->isEnabled());
}

// One short gesture in each of the other modes, each on a fresh network.
TEST_F(Mouse, EveryOtherModeReachesItsOperation)
{
    auto fresh = [this](int mode) {
        Pad->NewNetwork();
        Net = Pad->Network.get();
        Main->SetAllowClose(*Pad, 1);
        Mode(mode);
    };
    auto line = [this](int32_t x0, int32_t x1) {
        TNode* a = Node(*Net, x0, 100);
        return Link(*Net, a, Node(*Net, x1, 100));
    };
    fresh(0);
    TNode* n = Node(*Net, 100, 100);
    Main->SetAllowClose(*Pad, 1);
    Click(n);
    EXPECT_EQ(Pad->View.PickedNode, n);
    EXPECT_EQ(Pad->View.Saved, 1); // selecting changes nothing

    fresh(9);
    Click(150, 150);
    Click(0, 0, Qt::RightButton);
    EXPECT_EQ(Net->NodeCount, 1);

    for (int mode : {10, 12, 21}) {
        fresh(mode);
        Net->TemplateLinkValues.EntityType = 3;
        TLinkValues* r = line(100, 300);
        Click(r->BNode);
        Click(r->ANode);
        EXPECT_EQ(ActiveLinkCount(*Net), 1) << "joined already";
        EXPECT_EQ(r->ANode->X, mode == 12 ? 300 : 100) << "direction from the first pick";
        EXPECT_EQ(r->EntityType, mode == 21 ? 3 : 0) << "reinitialized";
    }

    for (int mode : {16, 22}) {
        fresh(mode);
        TNode* a = Node(*Net, 100, 100);
        TNode* m = Node(*Net, 200, 100);
        TNode* b = Node(*Net, 300, 100);
        Link(*Net, a, m);
        Link(*Net, m, b);
        Click(m);
        ASSERT_EQ(LinksBetween(a, b).size(), 1u) << mode;
        EXPECT_EQ(LinksBetween(a, b)[0]->ShapePoints.GetCount(), mode == 22 ? 1 : 0);
        EXPECT_FALSE(m->Active);
    }

    fresh(17);
    TLinkValues* r = line(100, 300);
    Click(r->ANode);
    Click(r->BNode);
    EXPECT_EQ(Pad->View.SketchMode, 18);
    Click(200, 160);
    Click(0, 0, Qt::RightButton);
    EXPECT_EQ(ShapeXY(r), (XY{{200, 160}}));
    EXPECT_EQ(Pad->View.SketchMode, 17);

    Mode(23);
    Click(200, 160);
    EXPECT_EQ(Net->NodeCount, 3);
    EXPECT_FALSE(r->Active);

    fresh(25);
    TLinkValues* l1 = Link(*Net, Node(*Net, 100, 100), Node(*Net, 300, 300));
    Link(*Net, Node(*Net, 100, 300), Node(*Net, 300, 100));
    Click(l1->ANode);
    Click(l1->BNode);
    EXPECT_EQ(Net->NodeCount, 5);

    fresh(20);
    (*Net->NodeClasses)[2].Name = "Stops";
    Net->TemplateNode.EntityType = 2;
    n = Node(*Net, 100, 100);
    n->EntityType = 0;
    Click(n);
    EXPECT_EQ(n->EntityType, 2);

    for (int mode : {6, 7, 26}) {
        fresh(mode);
        TNode* owner = Node(*Net, 100, 100);
        TNode* v = Node(*Net, 200, 100);
        TNode* w = Node(*Net, 200, 200);
        if (mode != 6) {
            AddVertex(*Net, owner, v);
            AddVertex(*Net, owner, w);
        }
        Click(owner);
        Click(v, mode == 7 ? Qt::RightButton : Qt::LeftButton);
        if (mode == 6) Click(w);
        EXPECT_EQ(owner->OwnPolygon().GetCount(), mode == 6 ? 2 : 0) << mode;
        EXPECT_EQ(v->OwnPolygon().GetCount(), mode == 26 ? 2 : 0);
    }

    // Node Open: left the node dialog, right the attribute sheet (none
    // without attributes); Link Open right: the sheet; Shape Open right: the
    // link dialog.
    const std::map<int, std::vector<std::string>> dialogs = {
        {3, {"NodeEntityDB"}}, {4, {}}, {27, {"LinkEntityDB"}}};
    for (int mode : {3, 4, 27}) {
        fresh(mode);
        r = line(100, 300);
        Shape(*Net, r, 200, 150);
        Shown.clear();
        Click(r->ANode);
        Click(mode == 27 ? 200 : r->BNode->X, mode == 27 ? 150 : 100, Qt::RightButton);
        EXPECT_EQ(Pad->View.Saved, 0) << "a click in an editing mode marks the network modified";
        EXPECT_EQ(Shown, dialogs.at(mode)) << mode;
    }
}

TEST_F(Mouse, SelectObjectMarksThePointHit)
{
    TNode* n = Node(*Net, 100, 100);
    n->Name = "Depot";
    TLinkValues* r = Link(*Net, n, Node(*Net, 500, 100));
    Shape(*Net, r, 300, 200);
    QWidget* marker = Pad->findChild<QWidget*>("ShapeNode");
    ASSERT_NE(marker, nullptr);
    Mode(0);
    Click(101, 99);
    ASSERT_TRUE(marker->isVisible());
    EXPECT_EQ(marker->geometry().center(), QPoint(Pad->PixelX(100), Pad->PixelY(100)));
    EXPECT_EQ(marker->toolTip(), "Depot");
    EXPECT_EQ(Panel0(), "101,99");
    Pad->SetScrollPositions(30, 20);
    Pad->Action("ScalebyTwoM")->trigger(); // the marker follows its node
    EXPECT_EQ(marker->geometry().center(), QPoint(Pad->PixelX(n->X), Pad->PixelY(n->Y)));
    Pad->Action("UndoTransformM")->trigger();

    Click(300, 200); // a shape point: marked, without a hint
    EXPECT_TRUE(marker->isVisible());
    EXPECT_EQ(marker->toolTip(), "");
    Click(800, 800); // a miss
    EXPECT_FALSE(marker->isVisible());
    EXPECT_EQ(Panel0(), "Select Object");

    Main->SetAllowClose(*Pad, 1);
    Click(n);
    EXPECT_EQ(Pad->View.Saved, 1); // selecting changes nothing
    QTest::mouseClick(Main->Toolbars.ModeButtons[0], Qt::LeftButton); // the Select Object button drops the selection
    EXPECT_FALSE(marker->isVisible());
    EXPECT_EQ(Pad->View.PickedNode, nullptr);
    Click(n);
    TSketchPadWindow* view = Main->NewView(); // a node deleted in another view loses its marker
    Main->SetButtons(5, *view, true);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(view->PixelX(100), view->PixelY(100)));
    ASSERT_FALSE(n->Active);
    EXPECT_FALSE(marker->isVisible());

    Main->PadActivated(Pad); // a network replaced under a marked point takes the marker away
    Mode(0);
    n = Node(*Net, 700, 700);
    Click(n);
    ASSERT_TRUE(marker->isVisible());
    Pad->NewNetwork();
    Net = Pad->Network.get();
    Pad->InvalidatePad();
    EXPECT_FALSE(marker->isVisible());
}

// The click that makes a window the active one only activates it.
TEST_F(Mouse, APressOnAnInactiveWindowOnlyActivatesIt)
{
    TSketchPadWindow* second = Main->NewView(); // a second window
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main.get()));
    second->setFocus();
    ASSERT_EQ(Main->CurrentPad, second);
    Main->SetButtons(1, *Pad, true);
    Click(200, 200, Qt::RightButton);
    EXPECT_EQ(Main->CurrentPad, Pad);
    EXPECT_EQ(Net->NodeCount, 0);
    Click(200, 200, Qt::RightButton); // now the active window: plots
    EXPECT_EQ(Net->NodeCount, 1);

    Main->CurrentPad = second; // not the active window at all
    Click(300, 300, Qt::RightButton);
    EXPECT_EQ(Net->NodeCount, 1);
}

// The Undelete button follows the network of the window that becomes active.
TEST_F(Mouse, UndeleteButtonFollowsTheActiveWindow)
{
    TNode* n = Node(*Net, 100, 100);
    Mode(5);
    Click(n);
    ASSERT_FALSE(n->Active);
    TDockButton* undelete = Main->Toolbars.UndeleteButton;
    EXPECT_TRUE(undelete->isEnabled());
    TSketchPadWindow* other = Main->NewSchema(); // a network with nothing deleted
    ASSERT_EQ(Main->CurrentPad, other);
    EXPECT_FALSE(undelete->isEnabled());
    Main->PadActivated(Pad);
    EXPECT_TRUE(undelete->isEnabled());

    // The Insert key undeletes too, and does nothing on an empty list.
    QTest::keyClick(Pad, Qt::Key_Insert);
    EXPECT_TRUE(n->Active);
    Main->SetAllowClose(*Pad, 1);
    QTest::keyClick(Pad, Qt::Key_Insert);
    EXPECT_EQ(Pad->View.Saved, 1);
    EXPECT_TRUE(n->Active);
}

// What an edit leaves undone because two nodes are linked already, the
// status bar says: Link Splice and Node to Shape Point at a node whose far
// nodes are linked, an undelete of a link whose ends a merge linked again.
TEST_F(Mouse, EditsThatWouldLinkLinkedNodesTwiceSaySo)
{
    TNode* a = Node(*Net, 100, 100);
    TNode* n = Node(*Net, 200, 200);
    TNode* b = Node(*Net, 300, 100);
    Link(*Net, a, n);
    Link(*Net, n, b);
    Link(*Net, a, b);
    for (int mode : {16, 22}) {
        Mode(mode);
        Click(n);
        EXPECT_TRUE(n->Active) << mode;
        EXPECT_EQ(ActiveLinkCount(*Net), 3) << mode;
        EXPECT_EQ(Panel0(), "Ends already linked") << mode;
        EXPECT_EQ(Main->Panels[0]->styleSheet().toStdString(), "color: red");
    }

    TNode* t = Node(*Net, 500, 100);
    TNode* s = Node(*Net, 700, 100);
    TNode* x = Node(*Net, 600, 300);
    TLinkValues* tx = Link(*Net, t, x);
    Link(*Net, s, x);
    Mode(8);
    Click(t);
    Click(x);
    ASSERT_FALSE(tx->Active);
    Mode(24); // S into T: S-X moves to T
    Click(s);
    Click(t);
    ASSERT_EQ(LinksBetween(t, x).size() + LinksBetween(x, t).size(), 1u);
    QTest::mouseClick(Main->Toolbars.UndeleteButton, Qt::LeftButton); // S
    EXPECT_TRUE(s->Active);
    EXPECT_NE(Panel0(), "Duplicate link not restored");
    QTest::mouseClick(Main->Toolbars.UndeleteButton, Qt::LeftButton); // T-X
    EXPECT_FALSE(tx->Active);
    EXPECT_EQ(LinksBetween(t, x).size() + LinksBetween(x, t).size(), 1u);
    EXPECT_EQ(Panel0(), "Duplicate link not restored");
    EXPECT_FALSE(Main->Toolbars.UndeleteButton->isEnabled());
    ExpectNoIllegalLinks(*Net);
}

TEST_F(Mouse, ANewNetworkLeavesNoPickIntoTheOldOne)
{
    Mode(6); // Polygon Insert: the owner stays current between clicks
    TNode* owner = Node(*Net, 100, 100);
    TNode* v = Node(*Net, 200, 100);
    Click(owner);
    Click(v);
    TPadEditor& editor = TPadEditor::Of(*Pad);
    ASSERT_EQ(editor.Edit.CurrentLink, owner);
    ASSERT_NE(Pad->View.PickedNode, nullptr);
    Pad->NewNetwork(); // frees the old network: nothing may point into it
    EXPECT_EQ(editor.Edit.CurrentLink, nullptr);
    EXPECT_EQ(editor.Edit.PolygonPoint, nullptr);
    EXPECT_EQ(Pad->View.PickedNode, nullptr);
    EXPECT_EQ(Pad->View.CurrentNode, nullptr);
    Net = Pad->Network.get();
    Mode(0); // the next press takes the mode, clearing marks through the editing state
    Click(300, 300);
    EXPECT_EQ(editor.Edit.SketchMode, 0);
}

// One record of splice rules, the window's: Link Splice, Node to Shape Point
// and Calculate's FUSE all fill the new link by what the dialog chose.
TEST_F(Mouse, LinkSpliceRulesReachEverySplice)
{
    calctest::Define((*Net->NodeClasses)[1], "Stop", "R");
    calctest::Define((*Net->LinkClasses)[1], "Road", "RI");
    calctest::Define((*Net->LinkClasses)[2], "Rail", "RI");
    Net->TemplateLinkValues.EntityType = 1;
    Net->TemplateLinkValues.Values[0].SetReal(7);
    Net->TemplateLinkValues.Values[1].SetReal(8);
    struct TChoice {
        const char* Rule;
        const char* Add;
        bool Match;
        int Class;
        double V1, V2;
    };
    // A -> N a Road of (1.5, 2), N -> B a Rail of (2.25, 3).
    const TChoice choices[] = {
        {"Normal Initialize", "1", false, 1, 3.75, 8}, // the template's, attribute 1 added
        {"Upstream Link", "", false, 1, 1.5, 2},
        {"Downstream Link", "12", false, 2, 2.25 + 1.5, 5},
        {"Downstream Link", "12", true, 2, 2.25, 3}, // two classes: nothing added
    };
    const char* const ways[] = {"Link Splice", "Node to Shape Point", "FUSE"};
    int32_t y = 100;
    for (const TChoice& c : choices) {
        Handlers["LinkSpliceRulesDB"] = [&](QDialog& d) {
            Child<QLineEdit>(d, "Edit1")->setText(c.Add);
            Child<QCheckBox>(d, "CheckBox1")->setChecked(c.Match);
            for (QRadioButton* r : d.findChildren<QRadioButton*>())
                if (r->text() == c.Rule) r->click();
            return Accept(d);
        };
        ASSERT_TRUE(Trigger(Pad, "LinkSpliceRules1"));
        for (const char* way : ways) {
            y += 40;
            TNode* a = ClassNode(100, y);
            TNode* n = ClassNode(200, y, 1);
            TNode* b = ClassNode(300, y);
            TLink* an = calctest::Link(*Net, a, n, 1);
            TLink* nb = calctest::Link(*Net, n, b, 2);
            an->LinkValues->Values[0].SetReal(1.5);
            an->LinkValues->Values[1].SetReal(2);
            nb->LinkValues->Values[0].SetReal(2.25);
            nb->LinkValues->Values[1].SetReal(3);
            if (std::string(way) == "FUSE") {
                Calculate("FUSE");
            } else {
                Mode(std::string(way) == "Link Splice" ? 16 : 22);
                Click(n);
            }
            ASSERT_FALSE(n->Active) << way;
            std::vector<TLinkValues*> joined = LinksBetween(a, b);
            ASSERT_EQ(joined.size(), 1u) << way;
            const TLinkValues* r = joined[0];
            EXPECT_EQ(r->EntityType, c.Class) << c.Rule << " by " << way;
            EXPECT_EQ(r->Values[0].Real(), c.V1) << c.Rule << " by " << way;
            EXPECT_EQ(r->Values[1].Real(), c.V2) << c.Rule << " by " << way;
        }
    }
}

// "Exempt Names" and "Exempt Attributes" reach Reinitialize of a node, of a
// link and of every undefined node; its undo puts back what was there.
TEST_F(Mouse, ReinitializeOptionsReachReinitialize)
{
    calctest::Define((*Net->NodeClasses)[1], "Stop", "RR");
    calctest::Define((*Net->NodeClasses)[2], "Yard", "R");
    calctest::Define((*Net->LinkClasses)[1], "Road", "R");
    Net->TemplateNode.EntityType = 1;
    Net->TemplateNode.Values[0].SetReal(1);
    Net->TemplateNode.Values[1].SetReal(2);
    Net->TemplateLinkValues.EntityType = 1;
    Net->TemplateLinkValues.Values[0].SetReal(4);
    auto choose = [this](bool names, bool attributes) {
        Handlers["ReinitializeOptionsDB"] = [=](QDialog& d) {
            Child<QCheckBox>(d, "CheckBox1")->setChecked(names);
            Child<QCheckBox>(d, "CheckBox2")->setChecked(attributes);
            return Accept(d);
        };
        ASSERT_TRUE(Trigger(Pad, "Options1"));
    };
    int32_t x = 100;
    for (bool names : {false, true})
        for (bool attributes : {false, true}) {
            choose(names, attributes);
            x += 100;
            TNode* n = ClassNode(x, 100, 2); // a Yard of 5 becomes a Stop
            n->Name = "Depot";
            n->Values[0].SetReal(5);
            TNode* a = ClassNode(x, 200);
            TNode* b = ClassNode(x + 50, 200);
            TLinkValues* r = calctest::Link(*Net, a, b, 1)->LinkValues;
            r->Name = "Main St";
            r->Values[0].SetReal(6);
            Mode(20);
            Click(n);
            Mode(21);
            Click(a);
            Click(b);
            const std::string what = std::string(names ? "names" : "") + (attributes ? " attributes" : "");
            EXPECT_EQ(n->EntityType, 1) << what;
            EXPECT_EQ(n->Name, std::string(names ? "Depot" : "")) << what;
            ASSERT_EQ(SlotCount(*n), 2);
            EXPECT_EQ(n->Values[0].Real(), attributes ? 5 : 1) << what;
            EXPECT_EQ(n->Values[1].Real(), attributes ? 0 : 2) << what;
            EXPECT_EQ(r->Name, std::string(names ? "Main St" : "")) << what;
            EXPECT_EQ(r->Values[0].Real(), attributes ? 6 : 4) << what;

            ASSERT_TRUE(Trigger(Pad, "ReinitializeUndoM"));
            ASSERT_TRUE(Trigger(Pad, "ReinitializeUndoM"));
            EXPECT_EQ(r->Name, "Main St");
            EXPECT_EQ(r->Values[0].Real(), 6);
            EXPECT_EQ(n->EntityType, 2);
            EXPECT_EQ(n->Name, "Depot");
            ASSERT_EQ(SlotCount(*n), 1);
            EXPECT_EQ(n->Values[0].Real(), 5);
        }
    TNode* yard = ClassNode(700, 700); // undefined
    yard->Name = "Yard";
    ASSERT_TRUE(Trigger(Pad, "Nodes4"));
    EXPECT_EQ(yard->EntityType, 1);
    EXPECT_EQ(yard->Name, "Yard");
}

// A mode chosen, by any way and also the one the window is in, drops the
// picks: the next click of Polygon Insert takes a new owner, Polygon Delete
// and Insert Shape Point start their picks anew.
TEST_F(Mouse, ChoosingAModeStartsAfresh)
{
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"button", [&] { QTest::mouseClick(Main->Toolbars.ModeButtons[6], Qt::LeftButton); }},
        {"menu", [&] { EXPECT_TRUE(Trigger(Pad, "PolygonInsertM")); }},
        {"key",
         [&] {
             Main->activateWindow();
             Pad->setFocus();
             QApplication::processEvents();
             QTest::keyClick(Pad, Qt::Key_U);
         }},
        {"another mode",
         [&] {
             QTest::mouseClick(Main->Toolbars.ModeButtons[5], Qt::LeftButton);
             QTest::mouseClick(Main->Toolbars.ModeButtons[6], Qt::LeftButton);
         }},
    };
    int32_t y = 0;
    for (const auto& [way, choose] : ways) {
        y += 150;
        TNode* first = ClassNode(100, y);
        TNode* second = ClassNode(400, y);
        std::vector<TNetworkPoint*> ring1, ring2;
        for (int32_t dx : {-40, 40, 0}) {
            ring1.push_back(ClassNode(100 + dx, y + (dx ? -40 : 40)));
            ring2.push_back(ClassNode(400 + dx, y + (dx ? -40 : 40)));
        }
        Mode(6);
        Click(first);
        for (TNetworkPoint* v : ring1) Click(v);
        choose();
        ASSERT_EQ(Pad->View.SketchMode, 6) << way;
        Click(second);
        for (TNetworkPoint* v : ring2) Click(v);
        EXPECT_EQ(edittest::Ring(first), ring1) << way;
        EXPECT_EQ(edittest::Ring(second), ring2) << way;
        Mode(24); // merged, the rings share no run: the target keeps its own
        Click(first);
        Click(second);
        EXPECT_LT(second->OwnPolygon().IndexOf(second), 0) << way;
        EXPECT_EQ(edittest::Ring(second), ring2) << way;
    }

    TNode* o1 = ClassNode(100, 800);
    TNode* o2 = ClassNode(400, 800);
    std::vector<TNetworkPoint*> p = {ClassNode(60, 760), ClassNode(140, 760)};
    std::vector<TNetworkPoint*> q = {ClassNode(360, 760), ClassNode(440, 760)};
    for (TNetworkPoint* v : p) edittest::AddVertex(*Net, o1, v);
    for (TNetworkPoint* v : q) edittest::AddVertex(*Net, o2, v);
    Mode(7);
    Click(o1);
    Click(p[0]);
    Mode(7);
    Click(o2);
    Click(q[0]);
    EXPECT_EQ(edittest::Ring(o1), std::vector<TNetworkPoint*>{p[1]});
    EXPECT_EQ(edittest::Ring(o2), std::vector<TNetworkPoint*>{q[1]});

    TLinkValues* r1 = edittest::Link(*Net, ClassNode(600, 100), ClassNode(800, 100));
    TShapePoint* s1 = edittest::Shape(*Net, r1, 700, 120);
    TLinkValues* r2 = edittest::Link(*Net, ClassNode(600, 300), ClassNode(800, 300));
    Mode(17);
    Click(s1);
    Mode(17);
    Click(r2->ANode);
    Click(r2->BNode);
    ASSERT_EQ(Pad->View.SketchMode, 18);
    Click(700, 330);
    Click(0, 0, Qt::RightButton);
    EXPECT_EQ(edittest::ShapeXY(r2), (edittest::XY{{700, 330}}));
    EXPECT_EQ(edittest::ShapeXY(r1), (edittest::XY{{700, 120}}));
}

// However the owner of the window's polygon criterion is deleted, the
// criterion goes, in this window and in the other views of the network:
// drawing, Calculate and Extract take every link again, and the saved file
// opens the same way. Node Move only lifts the owner: put down again, or put
// back by Undelete, it keeps the criterion.
TEST_F(Mouse, TheCriterionGoesWhenItsOwnerIsDeletedNotMoved)
{
    struct TWay {
        const char* Name;
        std::function<void(TNode* owner, TNode* other)> Erase;
        bool Kept = false;
    };
    const std::vector<TWay> ways = {
        {"Delete key",
         [&](TNode* o, TNode*) {
             Mode(0);
             Click(o);
             QTest::keyClick(Pad, Qt::Key_Delete);
         }},
        {"Node Delete",
         [&](TNode* o, TNode*) {
             Mode(5);
             Click(o);
         }},
        {"Node Move, put down",
         [&](TNode* o, TNode*) {
             Mode(11);
             Click(o);
             Click(220, 180);
             Click(0, 0, Qt::RightButton);
         },
         true},
        {"Node Move, put back",
         [&](TNode* o, TNode*) {
             Mode(11);
             Click(o);
             QTest::mouseClick(Main->Toolbars.UndeleteButton, Qt::LeftButton);
         },
         true},
        {"Node Move given up",
         [&](TNode* o, TNode*) {
             Mode(11);
             Click(o);
             Mode(0);
         }},
        {"Node Move in a window closed meanwhile",
         [&](TNode* o, TNode*) {
             TSketchPadWindow* w = Main->NewView();
             Main->SetButtons(11, *w, true);
             QTest::mouseClick(w->viewport(), Qt::LeftButton, {}, QPoint(w->PixelX(o->X), w->PixelY(o->Y)));
             Main->DestroyPad(*w);
             Main->PadActivated(Pad);
         }},
        {"Node Merge",
         [&](TNode* o, TNode* t) {
             Mode(24);
             Click(o);
             Click(t);
         }},
        {"Link Splice",
         [&](TNode* o, TNode*) {
             Mode(16);
             Click(o);
         }},
        {"Node to Shape Point",
         [&](TNode* o, TNode*) {
             Mode(22);
             Click(o);
         }},
        {"DELE", [&](TNode*, TNode*) { Calculate("IF = NX = 200 THEN DELE"); }},
        {"FUSE", [&](TNode*, TNode*) { Calculate("IF = NX = 200 THEN FUSE"); }},
        {"MRGE", [&](TNode*, TNode*) { Calculate("IF = NX = 203 THEN MRGE 5"); }},
    };
    int file = 0;
    for (const auto& [way, erase, kept] : ways) {
        Pad->NewNetwork();
        Net = Pad->Network.get();
        calctest::Define((*Net->NodeClasses)[1], "Zone", "R");
        calctest::Define((*Net->LinkClasses)[1], "Road", "R");
        // The owner's square takes the links through it; the link at x 400
        // lies outside.
        TNode* owner = ClassNode(200, 200, 1);
        TNode* other = ClassNode(203, 204, 1);
        for (auto [x, y] : edittest::XY{{100, 100}, {300, 100}, {300, 300}, {100, 300}})
            edittest::AddVertex(*Net, owner, ClassNode(x, y));
        UpdateNodePolygonBox(*Net, owner);
        calctest::Link(*Net, ClassNode(150, 200), owner);
        calctest::Link(*Net, owner, ClassNode(250, 200));
        TLink* outside = calctest::Link(*Net, ClassNode(400, 120), ClassNode(400, 380));
        TPolygonCriterion& criterion = Pad->Settings.Search.PolygonCriterion;
        criterion.Owner = owner;
        criterion.ApplyToLinks = 1;
        TSketchPadWindow* view = Main->NewView();
        Main->PadActivated(Pad);
        ASSERT_EQ(view->Settings.Search.PolygonCriterion.Owner, owner);
        ASSERT_EQ(programtest::InkNear(*Pad, programtest::PaintWindow(*Pad, {600, 600}), 400, 250, 2), 0) << way;

        erase(owner, other);
        ASSERT_EQ(owner->Active != 0, kept) << way;
        EXPECT_EQ(criterion.Owner, kept ? owner : nullptr) << way;
        EXPECT_EQ(view->Settings.Search.PolygonCriterion.Owner, kept ? owner : nullptr) << way;
        EXPECT_NE(programtest::InkNear(*Pad, programtest::PaintWindow(*Pad, {600, 600}), 400, 250, 2) > 0, kept) << way;
        EXPECT_NE(TExtractSelection(*Net, Pad->Settings, Pad->View.ZoomIndex, false, false).LinkSelected(*outside),
                  kept)
            << way;
        Calculate("A1 = 9", true);
        EXPECT_EQ(outside->LinkValues->Values[0].Real(), kept ? 0 : 9) << way;

        const std::string name = "criterion" + std::to_string(++file) + ".dta";
        ASSERT_TRUE(SaveAs(*Pad, name.c_str()));
        std::vector<TSketchPadWindow*> opened = Main->OpenFiles({Path(QString::fromStdString(name))});
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0]->Settings.Search.PolygonCriterion.Owner != nullptr, kept) << way;
        EXPECT_NE(programtest::InkNear(*opened[0], programtest::PaintWindow(*opened[0], {600, 600}), 400, 250, 2) > 0,
                  kept)
            << way;
        Main->DestroyPad(*opened[0]);
        Main->DestroyPad(*view);
        Main->PadActivated(Pad);
    }
}

// A pick reaches as far as the window's node symbols, in a window that opened
// the network and in a view of it, for clicks and for the hover hint.
TEST_F(Mouse, PicksReachAsFarAsTheSymbolsOfAnOpenedNetwork)
{
    Node(*Net, 0, 0);
    Node(*Net, 200, 200)->Name = "Depot";
    Pad->Settings.Display.StandardSize = 10;
    ASSERT_TRUE(SaveAs(*Pad, "size10.dta"));
    std::vector<TSketchPadWindow*> opened = Main->OpenFiles({Path("size10.dta")});
    ASSERT_EQ(opened.size(), 1u);
    auto picks = [this](TSketchPadWindow* w) {
        QCoreApplication::processEvents(); // the window laid out
        Main->SetButtons(0, *w, true);
        auto at = [w](int32_t x, int32_t y) { return QPoint(w->PixelX(x), w->PixelY(y)); };
        QWidget* marker = w->findChild<QWidget*>("ShapeNode");
        ASSERT_NE(marker, nullptr);
        QTest::mouseClick(w->viewport(), Qt::LeftButton, {}, at(206, 200));
        EXPECT_TRUE(marker->isVisible()) << w->Caption();
        EXPECT_EQ(marker->toolTip(), "Depot") << w->Caption();
        QTest::mouseMove(w->viewport(), at(200, 194));
        w->ShowHoverHint();
        EXPECT_EQ(w->viewport()->toolTip(), "Depot") << w->Caption();
        QTest::mouseMove(w->viewport(), at(200, 189)); // beyond the symbol
        w->ShowHoverHint();
        EXPECT_TRUE(w->viewport()->toolTip().isEmpty()) << w->Caption();
    };
    picks(opened[0]);
    picks(Main->NewView());
}
