// The network window's item table, display toggles, bulk commands, keys,
// hover hints, Select Object's pictures and legends, drags, and the busy gate.
#include <gtest/gtest.h>

#include <set>

#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include "../core/edit/test_edit_support.h"
#include "program_fixture.h"
#include "shell/BackgroundImages.h"
#include "shell/EditingMouse.h"
#include "shell/PadCommands.h"
#include "shell/PadHandles.h"
#include "toolbars/DockButton.h"

using namespace edittest;

namespace {

class PadCommands : public programtest::TProgramTest {
protected:
    void SetUp() override
    {
        Start();
        Pad->View.MaxX = Pad->View.MaxY = 1000;
        Pad->SetScrollRanges();
        // The docks take their places around the windows before any pointer event.
        QCoreApplication::processEvents();
    }
    // The items in one set and not the other, for failure messages.
    static std::string Diff(const std::set<std::string>& a, const std::set<std::string>& b)
    {
        std::string r;
        for (const std::string& x : a)
            if (!b.count(x)) r += " +" + x;
        for (const std::string& x : b)
            if (!a.count(x)) r += " -" + x;
        return r;
    }
    std::set<std::string> EnabledItems(TSketchPadWindow& p)
    {
        std::set<std::string> on;
        std::vector<QAction*> all = p.ItemActions;
        for (QAction* a : p.WindowMenu->actions()) all.push_back(a);
        for (QAction* a : all)
            if (!a->objectName().isEmpty() && a->isEnabled()) on.insert(a->objectName().toStdString());
        return on;
    }
    void Click(int32_t x, int32_t y, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mouseClick(Pad->viewport(), b, {}, QPoint(Pad->PixelX(x), Pad->PixelY(y)));
    }
    void Drag(QWidget* w, QPoint from, QPoint to)
    {
        QTest::mousePress(w, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), w->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(w, &move);
        QTest::mouseRelease(w, Qt::LeftButton, {}, to);
    }
    QWidget* Control(const char* name) { return Pad->viewport()->findChild<QWidget*>(name); }
};

// The items enabled on an untitled window without classes or nodes: what
// this build runs. Items of dialogs built elsewhere stay disabled, and so
// do the Reopen items while no file has been closed (they are hidden).
const std::set<std::string> FreshItems = {
    "NewSchemaM", "NewViewM", "OpenM", "SaveM", "SaveAsM",
    "AppendM", "Close1", "Preferences1", "PageSetupM", "PlotM", "ClipboardPlot1", "FileWMFPlot1", "PlotterSetupM",
    "AutoSave1", "ExitM", "PaleLinksM", "Clear1", "AfterNodesM", "OpaqueM", "JPEGonTop1", "SuppressAllM",
    "SketchModesM", "SketchOperationsM", "MoveCursor1", "LabelsBarM", "WidthsBarM", "N1721", "N1481", "N1361",
    "N1241", "N1181", "N1121", "N191", "N161", "N141", "N131", "N121", "N341", "N111", "N321", "N211", "N311",
    "N411", "N611", "DarkCursorM", "ShowPlotMarginsM", "RefreshM", "NodePlotM", "NodeOpenM", "NodeDeleteM",
    "NodePlotOpenM", "NodeMoveM", "NodeMergeM", "LinkPlotM", "LinkOpenM", "LinkDeleteM", "LinkPlotOpenM",
    "LinkSplitM", "LinkSpliceM", "LinkDirectionM", "LinkIntersectM", "PolygonInsertM", "PolygonDeleteM",
    "PolygonMoveM", "InsertShapePointM", "RemoveShapePointM", "NodetoShapeM", "ShapetoNodeM", "ShapeOpenM",
    "NodeReinitializeM", "LinkReinitializeM", "NoActionM", "Options1", "LinkSpliceRules1", "Clear", "Nodes4",
    "Links4", "DeleteLayers1", "DeletebySearch1", "TrimM", "Extents1", "NetworkStatus1", "Tile1", "Tile2",
    "Arrange1", "Cascade1", "HelpContentsM", "About1",
    // the dialogs of the schema, display and tools subsystems that need nothing
    "Nodes1", "Links1", "Nodes2", "Links2", "System1", "Nodes3", "Links3", "Nodes5", "Links5", "MovetoLayer1",
    "LayersM", "Shapes1", "PolygonStylesM", "UsePolygonColorsM", "Loop1", "OverlayArea1", "ExtractUpdate1",
    "Calculate1", "PolygonSearchM", "Description1", "BackgroundGraphics1", "WMF1", "Underlay1", "ArcViewShape1",
    "Export1", "CalculateLongLat1", "CalculateElevations1", "TIGER20001"};

} // namespace

TEST_F(PadCommands, EveryItemFollowsTheTableAndItsRules)
{
    EXPECT_EQ(EnabledItems(*Pad), FreshItems) << Diff(EnabledItems(*Pad), FreshItems);
    // Classes and nodes: the quick scales and transforms come on, and the
    // node class's styles, polygons and search.
    (*Net->NodeClasses)[1].Name = "Stop";
    Node(*Net, 10, 10);
    Net->NodeCount = 1;
    TDockButton* nodeLabels = Main->Toolbars.ToolbarButtons[2];
    EXPECT_TRUE(nodeLabels->isHidden());
    Main->DefinitionsChanged(*Pad);
    std::set<std::string> expected = FreshItems;
    expected.insert({"ScalebyTwoM", "ScalebyHalfM", "ScaleM", "TranslateM", "RotateM", "NodeStylesM", "PolygonNodesM",
                     "NodeSearchM", "MarkShortestPath1", "PolygonCoverage1"});
    EXPECT_EQ(EnabledItems(*Pad), expected) << Diff(EnabledItems(*Pad), expected);
    EXPECT_FALSE(nodeLabels->isHidden());
    EXPECT_TRUE(Main->Toolbars.ToolbarButtons[3]->isHidden()); // no link class
    // Another part of the program enters its command: the rule decides.
    int runs = 0;
    Main->PadItems.SetCommand("NodeSearchM", GateView, [&runs](TSketchPadWindow&) { ++runs; });
    Main->UpdatePadItems(*Pad);
    EXPECT_TRUE(Pad->Action("NodeSearchM")->isEnabled());
    Pad->Action("NodeSearchM")->trigger();
    EXPECT_EQ(runs, 1);
    (*Net->NodeClasses)[1].Name.clear();
    Main->DefinitionsChanged(*Pad);
    EXPECT_FALSE(Pad->Action("NodeSearchM")->isEnabled());
    Main->RunPadItem(*Pad, "NodeSearchM"); // refused by its rule even when asked directly
    EXPECT_EQ(runs, 1);
}

TEST_F(PadCommands, DisplayTogglesMarkOnlyTheirWindow)
{
    TSketchPadWindow* view = Main->NewView();
    ASSERT_NE(view, nullptr);
    Main->PadActivated(Pad);
    struct TToggle {
        const char* Item;
        bool Modifies;
        std::function<bool()> On;
    };
    const TToggle toggles[] = {
        {"AfterNodesM", true, [&] { return Pad->Settings.Display.PolygonsFirst == 0; }},
        {"OpaqueM", true, [&] { return Pad->Settings.Display.OpaquePolygons == 1; }},
        {"JPEGonTop1", true, [&] { return Pad->Settings.Backgrounds.MetafilesOnTop == 0; }},
        {"SuppressAllM", true, [&] { return Pad->Settings.Backgrounds.SuppressAll == 1; }},
        {"DarkCursorM", true, [&] { return Pad->View.DarkCursor == 1; }},
        {"PaleLinksM", false, [&] { return Pad->Settings.Display.ShowFilteredLinksThin == 1; }},
    };
    for (const TToggle& t : toggles) {
        Main->SetAllowClose(*Pad, 1);
        QAction* a = Pad->Action(t.Item);
        EXPECT_FALSE(a->isChecked()) << t.Item;
        a->trigger();
        EXPECT_TRUE(t.On()) << t.Item;
        EXPECT_TRUE(a->isChecked()) << t.Item; // JPEG on Top: checked when its byte is 0
        EXPECT_EQ(Pad->View.Saved, t.Modifies ? 0 : 1) << t.Item;
        EXPECT_EQ(view->View.Saved, 1) << t.Item;
        EXPECT_FALSE(Net->Modified) << t.Item;
        a->trigger();
        EXPECT_FALSE(t.On()) << t.Item;
    }
    // Initialize Attributes > Clear changes the network: every view is modified.
    Pad->Action("Clear")->trigger();
    EXPECT_EQ(view->View.Saved, 0);
}

TEST_F(PadCommands, BulkDeletesAskFirstAndLeaveNoSelection)
{
    TNode* a = Node(*Net, 100, 100);
    TNode* b = Node(*Net, 300, 100);
    TLinkValues* ab = Link(*Net, a, b);
    b->Layer = 3;
    Pad->Settings.Layers.LayerStates[3] = 0; // never shown
    Main->SetButtons(0, *Pad, true);
    TSketchPadWindow* view = Main->NewView();
    view->View.PickedNode = b; // selected in the other window
    Main->PadActivated(Pad);

    Boxes.Answers = {IDCANCEL};
    Pad->Action("DeleteLayers1")->trigger();
    EXPECT_EQ(Boxes.Last().Text, "All nodes on unseen layers will be deleted.");
    EXPECT_EQ(Boxes.Last().Caption, "Delete Layers");
    EXPECT_TRUE(b->Active);
    EXPECT_FALSE(Main->Toolbars.UndeleteButton->isEnabled());
    Boxes.Answers = {IDOK};
    Pad->Action("DeleteLayers1")->trigger();
    EXPECT_FALSE(b->Active);
    EXPECT_FALSE(ab->Active);
    EXPECT_TRUE(Main->Toolbars.UndeleteButton->isEnabled());
    EXPECT_EQ(view->View.PickedNode, nullptr);
    EXPECT_EQ(view->View.Saved, 0);

    Boxes.Answers = {IDOK};
    Pad->Action("DeletebySearch1")->trigger();
    EXPECT_EQ(Boxes.Last().Text, "All elements NOT shown by search will be deleted.");
    EXPECT_EQ(Boxes.Last().Caption, "Delete by Search");
    EXPECT_TRUE(a->Active); // no criteria: everything is shown
}

TEST_F(PadCommands, KeysZoomSnapScrollSpaceAndDelete)
{
    Main->SetZoomLevel(*Pad, 18);
    QTest::keyClick(Pad, '+'); // at the top: nothing
    EXPECT_EQ(Pad->View.ZoomIndex, 18);
    QTest::keyClick(Pad, '-');
    EXPECT_EQ(Pad->View.ZoomIndex, 17);
    Main->SetZoomLevel(*Pad, 1);
    QTest::keyClick(Pad, '-');
    EXPECT_EQ(Pad->View.ZoomIndex, 1);
    Main->SetZoomLevel(*Pad, 13);
    QTest::keyClick(Pad, '7');
    EXPECT_EQ(Main->SnapStep, 7);
    QTest::keyClick(Pad, 'a');
    EXPECT_EQ(Main->SnapStep, 10);
    EXPECT_EQ(Main->PanelText(1), "10");
    QTest::keyClick(Pad, 'z');
    EXPECT_EQ(Pad->View.ZoomInState, 1);
    EXPECT_TRUE(Main->Toolbars.ZoomInButton->Down());
    QTest::keyClick(Pad, 'y'); // the zoom-in state stays
    EXPECT_EQ(Pad->View.ZoomOutState, 1);
    EXPECT_EQ(Pad->View.ZoomInState, 1);
    QTest::keyClick(Pad, 'Y');
    QTest::keyClick(Pad, 'Z');
    EXPECT_EQ(Pad->View.ZoomInState + Pad->View.ZoomOutState, 0);

    Pad->View.MaxX = Pad->View.MaxY = 5000;
    Pad->SetScrollRanges();
    QTest::keyClick(Pad, Qt::Key_PageDown);
    EXPECT_EQ(Pad->VertPos(), Pad->viewport()->height());
    QTest::keyClick(Pad, Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(Pad->HorzPos(), Pad->viewport()->width());
    QTest::keyClick(Pad, Qt::Key_End);
    EXPECT_EQ(Pad->HorzPos(), Pad->horizontalScrollBar()->maximum());
    QTest::keyClick(Pad, Qt::Key_Home);
    EXPECT_EQ(Pad->HorzPos() + Pad->VertPos(), 0);
    // Ctrl+Left is "East Space": room on the right, this window modified.
    Main->SetAllowClose(*Pad, 1);
    QTest::keyClick(Pad, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(Pad->View.MaxX, 5080);
    EXPECT_EQ(Pad->View.Saved, 0);
    QTest::keyClick(Pad, Qt::Key_Down, Qt::ControlModifier); // "North Space"
    EXPECT_EQ(Pad->View.MinY, -80);

    // Delete in Select Object: nothing selected still marks the network.
    Main->SetButtons(0, *Pad, true);
    Main->SetAllowClose(*Pad, 1);
    QTest::keyClick(Pad, Qt::Key_Delete);
    EXPECT_TRUE(Net->Modified);
    TNode* n = Node(*Net, 200, 200);
    TNode* m = Node(*Net, 400, 200);
    TLinkValues* nm = Link(*Net, n, m);
    TShapePoint* sp = Shape(*Net, nm, 300, 260);
    Click(300, 260);
    ASSERT_EQ(Pad->View.PickedShapePoint, sp);
    QTest::keyClick(Pad, Qt::Key_Delete); // removed as Remove Shape Point does: undoable
    EXPECT_EQ(nm->ShapePoints.GetCount(), 0);
    EXPECT_EQ(Pad->View.PickedShapePoint, nullptr);
    EXPECT_TRUE(Pad->Action("UndoShapeRemoveM")->isEnabled());
    Click(200, 200);
    ASSERT_EQ(Pad->View.PickedNode, n);
    QTest::keyClick(Pad, Qt::Key_Delete);
    EXPECT_FALSE(n->Active);
    EXPECT_FALSE(nm->Active);
    EXPECT_EQ(Pad->View.PickedNode, nullptr);
    EXPECT_TRUE(Pad->ShapeNode->isHidden());
    Main->SetAllowClose(*Pad, 1);
    QTest::keyClick(Pad, Qt::Key_Insert); // back where it was
    EXPECT_TRUE(n->Active);
    EXPECT_EQ(Pad->View.Saved, 0);
    // Mode 0 arrows: the marker drags its point by the snap step (in pixels).
    Main->setsnap(6);
    Click(200, 200);
    QTest::keyClick(Pad, Qt::Key_Right);
    QTest::keyClick(Pad, Qt::Key_Down);
    EXPECT_EQ(n->X, 206);
    EXPECT_EQ(n->Y, 206);
    // A node dragged beyond the window's extents widens them.
    Pad->View.MaxX = 210;
    QTest::keyClick(Pad, Qt::Key_Right);
    EXPECT_EQ(Pad->View.MaxX, 212);

    // Enter clicks at the pointer: in Node Delete the node under it goes;
    // outside the window nothing happens.
    TNode* e = Node(*Net, 150, 120);
    Main->SetButtons(5, *Pad, true);
    QCursor::setPos(Pad->viewport()->mapToGlobal(QPoint(Pad->PixelX(150), Pad->PixelY(120))));
    QTest::keyClick(Pad, Qt::Key_Return);
    EXPECT_FALSE(e->Active);
    QTest::keyClick(Pad, Qt::Key_Insert);
    QCursor::setPos(Pad->viewport()->mapToGlobal(QPoint(-5, 10)));
    QTest::keyClick(Pad, Qt::Key_Return);
    EXPECT_TRUE(e->Active);
}

TEST_F(PadCommands, HoverHintNamesThePointUnderTheMouse)
{
    TNode* n = Node(*Net, 120, 80);
    n->Name = "Depot";
    n->Longitude = -879000000;
    n->Latitude = 430000000;
    n->Elevation = 1234567;
    QTest::mouseMove(Pad->viewport(), QPoint(Pad->PixelX(121), Pad->PixelY(80)));
    EXPECT_EQ(Pad->View.MouseX, 121);
    Pad->ShowHoverHint();
    EXPECT_EQ(Pad->HoverHint, "Depot [-87.9, 43, 123.4567]");
    EXPECT_EQ(Pad->viewport()->toolTip().toStdString(), Pad->HoverHint);
    QTest::mouseMove(Pad->viewport(), QPoint(Pad->PixelX(300), Pad->PixelY(150)));
    Pad->ShowHoverHint();
    EXPECT_TRUE(Pad->viewport()->toolTip().isEmpty());
}

TEST_F(PadCommands, PicturesAndLegendsAreSelectedFramedAndDragged)
{
    // A 100 x 50 picture at 200, 100 in raster slot 2.
    Pad->Settings.Backgrounds.Raster[2] = {"pic.jpg", 200, 100, 1, 1};
    auto img = std::make_unique<QImage>(100, 50, QImage::Format_RGB32);
    img->fill(Qt::red);
    Pad->BackgroundImages->SetRaster(2, std::move(img));
    Pad->Settings.Backgrounds.Raster[3] = {"missing.jpg", 600, 600, 1, 1}; // nothing loaded
    Main->SetButtons(0, *Pad, true);
    Click(610, 610);
    EXPECT_FALSE(Pad->Handles->FrameShown); // only a loaded picture can be selected
    Click(250, 120);
    ASSERT_TRUE(Pad->Handles->FrameShown);
    EXPECT_EQ(Pad->Handles->SelectedRaster, 2);
    for (const char* c : {"ShapeFrame", "ShapeTop", "ShapeBottom", "ShapeLeft", "ShapeRight", "ShapeTopLeft",
                          "ShapeTopRight", "ShapeBottomLeft", "ShapeBottomRight"})
        EXPECT_TRUE(Control(c)->isVisible()) << c;
    // The right handle 50 pixels to the right: the picture is 1.5 times as wide.
    Main->SetAllowClose(*Pad, 1);
    Drag(Control("ShapeRight"), QPoint(3, 3), QPoint(53, 3));
    EXPECT_DOUBLE_EQ(Pad->Settings.Backgrounds.Raster[2].XScale, 1.5);
    EXPECT_DOUBLE_EQ(Pad->Settings.Backgrounds.Raster[2].X, 200);
    EXPECT_EQ(Pad->View.Saved, 0);
    // Arrow keys move the frame, and the picture with it.
    Main->setsnap(4);
    QTest::keyClick(Pad, Qt::Key_Up);
    EXPECT_DOUBLE_EQ(Pad->Settings.Backgrounds.Raster[2].Y, 96);
    // The Delete key empties the slot.
    QTest::keyClick(Pad, Qt::Key_Delete);
    EXPECT_TRUE(Pad->Settings.Backgrounds.Raster[2].FileName.empty());
    EXPECT_EQ(Pad->BackgroundImages->Raster(2), nullptr);
    EXPECT_FALSE(Pad->Handles->FrameShown);

    // A title block that the paint placed: its marker, dragged, moves it.
    TDescription& d = Pad->Settings.Description;
    d.Project = "Ring Road";
    d.ShowProject = 1;
    d.X = 500;
    d.Y = 300;
    Pad->viewport()->grab();
    ASSERT_FALSE(Pad->View.ObjectBoxes.Title.IsEmpty());
    Click(502, 305);
    QWidget* marker = Control("AnObject");
    ASSERT_TRUE(marker->isVisible());
    EXPECT_EQ(marker->toolTip().toStdString(), "Description");
    Main->SetAllowClose(*Pad, 1);
    Drag(marker, QPoint(5, 5), QPoint(25, 15));
    EXPECT_EQ(d.X, 520);
    EXPECT_EQ(d.Y, 310);
    EXPECT_TRUE(Net->Modified);
    Click(900, 900); // a miss hides the marker
    EXPECT_FALSE(marker->isVisible());
    Main->SetButtons(1, *Pad, true);
    EXPECT_FALSE(Pad->Handles->FrameShown);
}

TEST_F(PadCommands, TheBusyGateHoldsAPrintedNetwork)
{
    Node(*Net, 5, 5); // not untouched: a new window does not take its place
    TSketchPadWindow* other = Main->NewSchema();
    Node(*other->Network, 10, 10); // not untouched: it stays
    Main->PadActivated(Pad);
    TBusyGate::TRun run = Main->Gate.Begin(TBusyKind::Print, Net, Pad, GateView);
    EXPECT_EQ(Main->PlottingPad(), Pad);
    for (const char* item : {"SaveM", "Close1", "DeletebySearch1", "AfterNodesM", "PlotM"})
        EXPECT_FALSE(Pad->Action(item)->isEnabled()) << item;
    EXPECT_TRUE(Pad->Action("RefreshM")->isEnabled());
    EXPECT_TRUE(other->Action("SaveAsM")->isEnabled()); // another network goes on
    EXPECT_FALSE(Main->SaveM(*Pad));
    EXPECT_FALSE(Main->FormCloseQuery(*Pad));
    const int32_t maxX = Pad->View.MaxX;
    QTest::mouseClick(Main->Toolbars.WestButton, Qt::LeftButton);
    EXPECT_EQ(Pad->View.MaxX, maxX);
    Main->close(); // refused: the print holds its network
    EXPECT_EQ(Main->PadCount(), 2);
    // A double click on the "Plotting" panel stops it.
    Main->StatusBarDblClick(300);
    EXPECT_TRUE(run.StopRequested());
    run.End();
    EXPECT_TRUE(Pad->Action("SaveM")->isEnabled());
    EXPECT_EQ(Main->PlottingPad(), nullptr);
}

TEST_F(PadCommands, TileAndArrange)
{
    Node(*Net, 1, 1);
    TSketchPadWindow* b = Main->NewSchema();
    Node(*b->Network, 1, 1);
    TSketchPadWindow* c = Main->NewSchema();
    Node(*c->Network, 1, 1);
    ASSERT_EQ(Main->PadCount(), 3);
    Pad->Main.RunPadItem(*Pad, "Tile1"); // stacked
    const QSize area = Main->Mdi->viewport()->size();
    EXPECT_EQ(Pad->SubWindow->geometry(), QRect(0, 0, area.width(), area.height() / 3));
    EXPECT_EQ(b->SubWindow->geometry().top(), area.height() / 3);
    Pad->Main.RunPadItem(*Pad, "Tile2"); // side by side
    EXPECT_EQ(c->SubWindow->geometry().left(), area.width() * 2 / 3);
    EXPECT_EQ(c->SubWindow->geometry().height(), area.height());
    b->SubWindow->showMinimized();
    c->SubWindow->showMinimized();
    Pad->Main.RunPadItem(*Pad, "Arrange1");
    EXPECT_EQ(b->SubWindow->geometry().bottom(), area.height() - 1);
    EXPECT_EQ(c->SubWindow->geometry().left(), b->SubWindow->width());
}
