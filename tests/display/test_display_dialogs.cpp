// The display-settings dialogs opened from their menu items and driven
// offscreen: transforms, layers, shapes, node and link styles with their
// pickers, polygon styles, colour palettes and the colour chooser.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <filesystem>
#include <functional>

#include "../core/file/netfile_fixture.h"
#include "../shell/program_fixture.h"
#include "core/edit/Transforms.h"
#include "core/model/NetworkQueries.h"
#include "core/model/Undo.h"
#include "display/DisplayCommands.h"
#include "display/DisplaySupport.h"
#include "platform/HelpViewer.h"
#include "schema/SchemaCommon.h"

namespace {

// Counts the paints of a widget.
class TPaintCounter : public QObject {
public:
    int Paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) ++Paints;
        return false;
    }
};

class DisplayDialogs : public programtest::TProgramTest {
protected:
    std::string WriteNetwork()
    {
        TNetWindow net;
        netfiletest::MakeRichNetwork(net);
        // Beta (1000, -250) is on layer 3; every layer shown, every node drawn.
        net.Layers.Reset();
        for (int a : {1, 5}) (*net.NodeClasses)[1].Attributes[size_t(a)]->Active = 0;
        net.Search.PolygonCriterion = {};
        const std::string path = Path("rich.dta");
        TMessageSinkRecorder sink;
        EXPECT_TRUE(SaveNetworkFile(net, path, 9, sink).Ok);
        return path;
    }
    TSketchPadWindow* Pad(int n = 1) { return Main->SketchPads.at(size_t(n - 1)); }
    static void Click(QWidget& d, const char* name) { Child<QAbstractButton>(d, name)->click(); }
    static QImage Draw(TSketchPadWindow& w) { return programtest::PaintWindow(w, {1600, 1200}); }
    static int InkNear(TSketchPadWindow& w, const QImage& image, int32_t x, int32_t y)
    {
        return programtest::InkNear(w, image, x, y, 4);
    }
};

TNode* NodeNamed(TNetwork& net, const char* name) { return FindNodeByName(net, name, nullptr); }

} // namespace

TEST_F(DisplayDialogs, TransformsFromTheMenuMoveEveryWindowAndUndo)
{
    Start({.CommandLineFile = WriteNetwork()});
    TSketchPadWindow* pad = Pad();
    TSketchPadWindow* view = Main->NewView();
    // A second network that draws the first as its underlay.
    TSketchPadWindow* other = Main->NewSchema();
    other->Settings.Backgrounds.Underlay = pad->WindowNumber;
    Main->Mdi->tileSubWindows();
    QCoreApplication::processEvents();
    Main->PadActivated(pad);
    TNetwork& net = *pad->Network;
    TNode* beta = NodeNamed(net, "Beta");
    EXPECT_FALSE(Trigger(other, "ScaleM")); // no nodes there
    EXPECT_FALSE(Trigger(other, "NodeStylesM"));

    // Cancel changes nothing.
    Handlers["SetScaleDB"] = [](QDialog& d) {
        EXPECT_EQ(Child<QLabel>(d, "XStatic")->text(), "1");
        Child<QLineEdit>(d, "XScaleEB")->setText("5");
        return int(QDialog::Rejected);
    };
    ASSERT_TRUE(Trigger(pad, "ScaleM"));
    EXPECT_EQ(beta->X, 1000);
    EXPECT_FALSE(pad->Action("UndoTransformM")->isEnabled());

    // A failed text turns red, the box names the dialog, the dialog stays;
    // then OK with good texts.
    TPaintCounter paints;
    other->viewport()->installEventFilter(&paints);
    Handlers["SetScaleDB"] = [](QDialog& d) {
        auto* x = Child<QLineEdit>(d, "XScaleEB");
        auto* y = Child<QLineEdit>(d, "YScaleEB");
        x->setText("2*(1");
        y->setText("1/2");
        Click(d, "OKBN");
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_EQ(x->styleSheet(), "color: red");
        EXPECT_EQ(y->styleSheet(), "");
        x->setText("2");
        Click(d, "ExemptLayersCB");
        Click(d, "OKBN");
        EXPECT_EQ(x->styleSheet(), "");
        return d.result();
    };
    ASSERT_TRUE(Trigger(pad, "ScaleM"));
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Text, "Scale");
    EXPECT_EQ(Boxes.Last().Caption, "Expression Error");
    EXPECT_EQ(beta->X, 2000);
    EXPECT_EQ(beta->Y, -125);
    EXPECT_EQ(net.TransformUndo.At(0)->ExemptUnseenLayers, 1);
    EXPECT_TRUE(pad->Action("UndoTransformM")->isEnabled());
    EXPECT_EQ(view->View.MaxX, net.MaxX);
    EXPECT_EQ(view->View.Saved, 0);
    // The window drawing this network as its underlay repaints.
    QCoreApplication::processEvents();
    EXPECT_GT(paints.Paints, 0);

    // The totals shown at the next opening.
    Handlers["SetRotateDB"] = [](QDialog& d) {
        Child<QLineEdit>(d, "RotateEB")->setText("90");
        return Accept(d);
    };
    ASSERT_TRUE(Trigger(pad, "RotateM"));
    EXPECT_EQ(beta->X, 125);
    EXPECT_EQ(beta->Y, 2000);
    Handlers["SetTranslateDB"] = [](QDialog& d) {
        Child<QLineEdit>(d, "YTranslateEB")->setText("-1E6"); // limited to the world
        return Accept(d);
    };
    ASSERT_TRUE(Trigger(pad, "TranslateM"));
    EXPECT_EQ(beta->Y, 2000 - 512000);
    Handlers["SetScaleDB"] = [](QDialog& d) {
        EXPECT_EQ(Child<QLabel>(d, "XStatic")->text(), "2");
        EXPECT_EQ(Child<QLabel>(d, "YStatic")->text(), "0.5");
        return int(QDialog::Rejected);
    };
    ASSERT_TRUE(Trigger(pad, "ScaleM"));

    // "&Undo Transform" puts everything back and disables itself.
    ASSERT_TRUE(Trigger(pad, "UndoTransformM"));
    ASSERT_TRUE(Trigger(pad, "UndoTransformM"));
    ASSERT_TRUE(Trigger(pad, "UndoTransformM"));
    EXPECT_EQ(beta->X, 1000);
    EXPECT_EQ(beta->Y, -250);
    EXPECT_FALSE(pad->Action("UndoTransformM")->isEnabled());
    EXPECT_EQ(Shown, (std::vector<std::string>{"SetScaleDB", "SetScaleDB", "SetRotateDB", "SetTranslateDB", "SetScaleDB"}));
}

TEST_F(DisplayDialogs, LayersAreTheWindowsOwnAndANeverLayerIsNotDrawn)
{
    Start({.CommandLineFile = WriteNetwork()});
    TSketchPadWindow* pad = Pad();
    TSketchPadWindow* view = Main->NewView();
    Main->PadActivated(pad);
    pad->Settings.Layers.LayerStates[5] = 25; // from a file: no item shows it
    pad->View.Saved = view->View.Saved = 1;
    // Beta's symbol; its link passes through the spot too.
    const int beta = InkNear(*pad, Draw(*pad), 1000, -250);
    ASSERT_GT(beta, 30);

    // Cancel changes nothing.
    Handlers["LayerDB"] = [](QDialog& d) {
        Child<QComboBox>(d, "ComboBox3")->setCurrentIndex(0);
        return int(QDialog::Rejected);
    };
    ASSERT_TRUE(Trigger(pad, "LayersM"));
    EXPECT_EQ(pad->Settings.Layers.LayerStates[3], 1);
    EXPECT_EQ(pad->View.Saved, 1);

    Main->Mdi->tileSubWindows();
    QCoreApplication::processEvents();
    TPaintCounter paints;
    pad->viewport()->installEventFilter(&paints);
    Handlers["LayerDB"] = [](QDialog& d) {
        EXPECT_EQ(Child<QComboBox>(d, "ComboBox1")->count(), 19);
        EXPECT_EQ(Child<QComboBox>(d, "ComboBox1")->itemText(4), "1:24");
        EXPECT_EQ(Child<QComboBox>(d, "ComboBox5")->currentIndex(), 1); // the default shown
        Child<QComboBox>(d, "ComboBox3")->setCurrentIndex(0);             // "Never"
        Child<QComboBox>(d, "ComboBox7")->setCurrentIndex(13);            // 1:1
        Child<QLineEdit>(d, "Edit4")->setText(QString(40, 'x'));
        // A letter the network file cannot keep is marked, not changed to '?'.
        auto* ramps = Child<QLineEdit>(d, "Edit3");
        ramps->setText(QString::fromUtf8("Ramps \u20AC \u4E2D"));
        Click(d, "Button1");
        EXPECT_TRUE(IsMarkedBad(ramps));
        EXPECT_NE(d.result(), int(QDialog::Accepted));
        ramps->setText(QString::fromUtf8("Ramps \u20AC"));
        Click(d, "Button1");
        return d.result();
    };
    ASSERT_TRUE(Trigger(pad, "LayersM"));
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Text, MessageText(1001) + " U+4E2D.");
    QCoreApplication::processEvents();
    EXPECT_GT(paints.Paints, 0); // shown at once
    const TLayerSettings& l = pad->Settings.Layers;
    EXPECT_EQ(l.LayerStates[3], 0);
    EXPECT_EQ(l.LayerStates[7], 13);
    EXPECT_EQ(l.LayerStates[5], 25); // kept
    EXPECT_EQ(l.LayerNames[3], "Ramps \x80");
    EXPECT_EQ(l.LayerNames[4], std::string(30, 'x'));
    // Only this window is modified, and only it leaves the node out.
    EXPECT_EQ(pad->View.Saved, 0);
    EXPECT_EQ(view->View.Saved, 1);
    EXPECT_EQ(view->Settings.Layers.LayerStates[3], 1);
    EXPECT_LT(InkNear(*pad, Draw(*pad), 1000, -250), beta - 30);
    EXPECT_EQ(InkNear(*view, Draw(*view), 1000, -250), beta);

    // Saved and reopened: still not drawn, the names and the kept state too.
    auto file = SaveAndReopen(*pad, "layers.dta");
    EXPECT_EQ(file->Layers.LayerStates[3], 0);
    EXPECT_EQ(file->Layers.LayerStates[5], 25);
    EXPECT_EQ(file->Layers.LayerNames[3], "Ramps \x80");
    Main->OpenFiles({Path("layers.dta")});
    TSketchPadWindow* reopened = Main->CurrentPad;
    ASSERT_NE(reopened, pad);
    EXPECT_LT(InkNear(*reopened, Draw(*reopened), 1000, -250), beta - 30);
    Handlers["LayerDB"] = [](QDialog& d) {
        EXPECT_EQ(Child<QLineEdit>(d, "Edit3")->text(), QString::fromUtf8("Ramps \u20AC"));
        EXPECT_EQ(Child<QComboBox>(d, "ComboBox3")->currentIndex(), 0);
        return int(QDialog::Rejected);
    };
    ASSERT_TRUE(Trigger(reopened, "LayersM"));
}

TEST_F(DisplayDialogs, ShapesShowStoredSizesAndKeepWhatNoButtonShows)
{
    // The help page of the dialog, from the program's help folder.
    const std::filesystem::path help = std::filesystem::path(TARVEX_TEST_DATA) / "../../resources/help";
    std::filesystem::create_directories(Dir.filePath("help").toStdString());
    for (const char* page : {"index.html", "topic500.html", "topic600.html"})
        std::filesystem::copy_file(help / page, std::filesystem::path(Path("help")) / page);
    Start({.CommandLineFile = WriteNetwork()});
    TSketchPadWindow* pad = Pad();
    TSketchPadWindow* view = Main->NewView();
    Main->PadActivated(pad);
    TDisplaySettings& d = pad->Settings.Display;
    d.StandardSize = 6;
    d.GlobalShape = 9;
    pad->View.Saved = view->View.Saved = 1;
    Handlers["ShapesDB"] = [](QDialog& dlg) {
        EXPECT_TRUE(Child<QAbstractButton>(dlg, "RadioGroup1Button4")->isChecked()); // E&xtra
        EXPECT_TRUE(Child<QAbstractButton>(dlg, "RadioGroup2Button0")->isChecked()); // the default shape
        Click(dlg, "HelpButton");
        Click(dlg, "RadioGroup3Button2"); // Arrow &1
        Click(dlg, "CheckBox1");
        return Accept(dlg);
    };
    ASSERT_TRUE(Trigger(pad, "Shapes1"));
    EXPECT_EQ(d.StandardSize, 7);
    EXPECT_EQ(d.GlobalShape, 9);
    EXPECT_EQ(d.GlobalLinkStyle, 2);
    EXPECT_EQ(d.HideShapePointMarks, 1);
    EXPECT_EQ(pad->View.Saved, 0);
    EXPECT_EQ(view->View.Saved, 1);
    EXPECT_EQ(view->Settings.Display.StandardSize, 3); // the view's own
    auto* viewer = Main->findChild<THelpViewer*>();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->CurrentPage(), "topic500.html");

    d.StandardSize = 9;
    Handlers["ShapesDB"] = [](QDialog& dlg) {
        EXPECT_TRUE(Child<QAbstractButton>(dlg, "RadioGroup1Button5")->isChecked()); // &Jumbo
        Click(dlg, "RadioGroup2Button5");                                            // &None
        return int(QDialog::Rejected);
    };
    ASSERT_TRUE(Trigger(pad, "Shapes1"));
    EXPECT_EQ(d.GlobalShape, 9);
    Handlers["ShapesDB"] = [](QDialog& dlg) {
        Click(dlg, "RadioGroup2Button5");
        return Accept(dlg);
    };
    ASSERT_TRUE(Trigger(pad, "Shapes1"));
    EXPECT_EQ(d.StandardSize, 10);
    EXPECT_EQ(d.GlobalShape, 0);
    auto file = SaveAndReopen(*pad, "shapes.dta");
    EXPECT_EQ(file->Display.StandardSize, 10);
    EXPECT_EQ(file->Display.GlobalShape, 0);
    EXPECT_EQ(file->Display.GlobalLinkStyle, 2);
}

TEST_F(DisplayDialogs, NodeStylesWithTheirPickersPieAndBitmap)
{
    Start({.CommandLineFile = WriteNetwork()});
    TSketchPadWindow* pad = Pad();
    TSketchPadWindow* view = Main->NewView();
    Main->PadActivated(pad);
    TEntityClass& nc = *pad->Network->NodeClasses;
    TDisplaySettings& disp = pad->Settings.Display;
    disp.PieColors[3] = 40; // no colour box shows it
    nc[1].PieSlices[4] = 77; // above the class's attribute count
    nc[2].Width = 15;       // image 5: no spin value shows it
    pad->View.Saved = view->View.Saved = 1;

    // Cancel after edits changes nothing.
    Handlers["NodeStylesDB"] = [](QDialog& d) {
        Click(d, "RadioButton2");
        Child<QCheckBox>(d, "LegendCB2")->setChecked(true);
        return int(QDialog::Rejected);
    };
    ASSERT_TRUE(Trigger(pad, "NodeStylesM"));
    EXPECT_EQ(pad->Settings.Widths.NodeClassLegend[1], 0);
    EXPECT_EQ(pad->View.Saved, 1);

    Handlers["NodeStylesDB"] = [](QDialog& d) {
        // Class 0 has no pie.
        EXPECT_FALSE(Child<QPushButton>(d, "PieButton")->isEnabled());
        EXPECT_TRUE(Child<QWidget>(d, "RadioButton3")->isVisibleTo(&d));
        EXPECT_FALSE(Child<QWidget>(d, "RadioButton4")->isVisibleTo(&d));
        // Zone: shape 3 by a double click, colour entry 1, a pie, the legend.
        Click(d, "RadioButton2");
        EXPECT_TRUE(Child<QPushButton>(d, "PieButton")->isEnabled());
        Click(d, "ShapeButton");
        Click(d, "ColorButton");
        Click(d, "PieButton");
        Child<QCheckBox>(d, "LegendCB2")->setChecked(true);
        // Stop: left alone by a picker it is shown in, then Custom 11.
        Click(d, "RadioButton3");
        Click(d, "ShapeButton");
        EXPECT_EQ(Child<QLabel>(d, "RowText3")->text(), "5");
        Click(d, "ShapeButton");
        EXPECT_EQ(Child<QLabel>(d, "RowText3")->text(), "11");
        // Class 0 takes image 4 from the image viewer.
        Click(d, "RadioButton1");
        Click(d, "BitmapButton");
        EXPECT_EQ(Child<QLabel>(d, "RowText1")->text(), "4");
        return Accept(d);
    };
    int shapes = 0;
    Handlers["LinkShapesDB"] = [&shapes](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Node Shapes");
        ++shapes;
        if (shapes == 1) {
            EXPECT_TRUE(Child<QAbstractButton>(d, "RadioButton1")->isChecked());
            QTest::mouseDClick(Child<QWidget>(d, "Sample3"), Qt::LeftButton);
            return d.result();
        }
        // Image 5 is shown as Custom 11.
        EXPECT_TRUE(Child<QAbstractButton>(d, "RadioButton11")->isChecked());
        EXPECT_EQ(Child<QSpinBox>(d, "SpinEdit1")->value(), 11);
        if (shapes == 2) return Accept(d);
        Child<QSpinBox>(d, "SpinEdit1")->setValue(12);
        Child<QSpinBox>(d, "SpinEdit1")->setValue(11);
        return Accept(d);
    };
    Handlers["LinkColorsDB"] = [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Node Colors");
        EXPECT_TRUE(Child<QAbstractButton>(d, "RadioButton2")->isChecked()); // colour 1
        Click(d, "RadioButton1");
        return Accept(d);
    };
    Handlers["PIeDB"] = [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Pie Chart: Zone");
        auto* first = Child<QComboBox>(d, "ComboBox1");
        EXPECT_EQ(first->count(), 6); // "None" and five attributes
        EXPECT_EQ(first->itemText(1), "Population");
        EXPECT_EQ(Child<QComboBox>(d, "ComboBox4")->currentIndex(), 0);
        EXPECT_EQ(Child<QComboBox>(d, "ColorBox3")->currentIndex(), 2); // the default shown
        // The sample: an empty circle, then the slices in their colours.
        auto* sample = Child<QWidget>(d, "PieSample");
        const QPoint top(sample->width() / 2, sample->height() / 2 - 30);
        EXPECT_EQ(sample->grab().toImage().pixel(top), qRgb(255, 255, 255));
        first->setCurrentIndex(1);
        Child<QComboBox>(d, "ComboBox2")->setCurrentIndex(2);
        Child<QComboBox>(d, "ColorBox1")->setCurrentIndex(9); // red
        const QImage pie = sample->grab().toImage();
        EXPECT_EQ(pie.pixel(sample->width() / 2 + 10, sample->height() / 2 - 25), qRgb(255, 0, 0));
        Child<QSpinBox>(d, "SpinEdit1")->setValue(15);
        return Accept(d);
    };
    Handlers["ViewBitmapsDB"] = [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "View Node Bitmaps");
        Child<QSpinBox>(d, "BitmapSE")->setValue(4);
        return Accept(d);
    };
    Main->Mdi->tileSubWindows();
    QCoreApplication::processEvents();
    TPaintCounter paints;
    view->viewport()->installEventFilter(&paints);
    ASSERT_TRUE(Trigger(pad, "NodeStylesM"));
    QCoreApplication::processEvents();
    EXPECT_GT(paints.Paints, 0); // every view shows the classes' new styles
    EXPECT_EQ(shapes, 3);
    EXPECT_EQ(nc[1].Width, 25); // the pie's size 15, plus 10
    EXPECT_EQ(nc[1].Color, 0);
    EXPECT_EQ(nc[1].PieSlices[1], 1);
    EXPECT_EQ(nc[1].PieSlices[2], 2);
    EXPECT_EQ(nc[1].PieSlices[4], 77);
    EXPECT_EQ(nc[2].Width, 21);
    EXPECT_EQ(nc[0].Width, 14);
    EXPECT_EQ(disp.PieColors[1], 9);
    EXPECT_EQ(disp.PieColors[3], 40);
    EXPECT_EQ(pad->Settings.Widths.NodeClassLegend[1], 1);
    // The classes are the network's: every view is modified; the pie colours
    // and legend flags stay the window's.
    EXPECT_EQ(view->View.Saved, 0);
    EXPECT_EQ(view->Settings.Display.PieColors[1], 0);
    EXPECT_EQ(view->Settings.Widths.NodeClassLegend[1], 0);

    auto file = SaveAndReopen(*pad, "styles.dta");
    EXPECT_EQ((*file->NodeClasses)[1].Width, 25);
    EXPECT_EQ((*file->NodeClasses)[1].Color, 0);
    EXPECT_EQ((*file->NodeClasses)[1].PieSlices[2], 2);
    EXPECT_EQ(file->Display.PieColors[1], 9);
    EXPECT_EQ(file->Widths.NodeClassLegend[1], 1);
}

TEST_F(DisplayDialogs, LinkStylesArrowsWidthsAndColours)
{
    Start({.CommandLineFile = WriteNetwork()});
    TSketchPadWindow* pad = Pad();
    TEntityClass& lc = *pad->Network->LinkClasses;
    lc[1].Color = 23; // no entry shows it
    Handlers["LinkStylesDB"] = [](QDialog& d) {
        Click(d, "RadioButton2");
        EXPECT_TRUE(Child<QCheckBox>(d, "ArrowCB2")->isChecked());
        Child<QCheckBox>(d, "ArrowCB2")->setChecked(false);
        Child<QCheckBox>(d, "ArrowCB1")->setChecked(true);
        Child<QCheckBox>(d, "LegendCB2")->setChecked(true);
        Click(d, "ShapeButton");
        Click(d, "ColorButton");
        return Accept(d);
    };
    Handlers["LinkShapesDB"] = [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Link Shapes");
        QTest::mouseDClick(Child<QWidget>(d, "RadioButton6"), Qt::LeftButton);
        return d.result();
    };
    Handlers["LinkColorsDB"] = [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "LinkColorsDB");
        return Accept(d); // the shown default, untouched
    };
    ASSERT_TRUE(Trigger(pad, "LinkStylesM"));
    EXPECT_EQ(lc[1].Arrow, 0);
    EXPECT_EQ(lc[0].Arrow, 1);
    EXPECT_EQ(lc[1].Width, 6);
    EXPECT_EQ(lc[1].Color, 23);
    EXPECT_EQ(pad->Settings.Widths.LinkClassLegend[1], 1);
    EXPECT_EQ(pad->View.Saved, 0);
    auto file = SaveAndReopen(*pad, "links.dta");
    EXPECT_EQ((*file->LinkClasses)[1].Width, 6);
    EXPECT_EQ((*file->LinkClasses)[1].Arrow, 0);
}

TEST_F(DisplayDialogs, PolygonStylesAndTheColourChooser)
{
    Start({.CommandLineFile = WriteNetwork()});
    TSketchPadWindow* pad = Pad();
    TSketchPadWindow* view = Main->NewView();
    Main->PadActivated(pad);
    TDisplaySettings& disp = pad->Settings.Display;
    disp.PolygonStyles[5].FillStyle = 9; // no button shows it
    pad->View.Saved = view->View.Saved = 1;
    const auto before = disp.PolygonStyles;

    int chooser = 0;
    Handlers["ColorDialog"] = [&chooser](QDialog& d) {
        auto& c = static_cast<QColorDialog&>(d);
        EXPECT_TRUE(c.testOption(QColorDialog::DontUseNativeDialog));
        ++chooser;
        if (chooser == 1) {
            // The working colours are the custom colours.
            EXPECT_EQ(QColorDialog::customColor(1), QColor(0, 0, 255));
            c.setCurrentColor(QColor(0x12, 0x34, 0x56));
            return Accept(d);
        }
        // A custom colour added, then the chooser cancelled: the colour stays.
        c.setCurrentColor(QColor(0xAB, 0xCD, 0xEF));
        for (QPushButton* b : c.findChildren<QPushButton*>())
            if (b->text() == "&Add to Custom Colors") b->click();
        c.reject();
        return c.result();
    };
    int patterns = 0;
    Handlers["FillPatternDB"] = [&patterns](QDialog& d) {
        if (++patterns == 2) return Accept(d); // style 5: nothing picked
        EXPECT_TRUE(Child<QAbstractButton>(d, "RadioButton4")->isChecked()); // cross, the default
        QTest::mouseDClick(Child<QWidget>(d, "Sample3"), Qt::LeftButton);
        return d.result();
    };
    Handlers["BorderStyleDB"] = [](QDialog& d) {
        Click(d, "RadioButton7"); // solid, width 6
        return Accept(d);
    };
    Handlers["PolygonStylesDB"] = [](QDialog& d) {
        Click(d, "RadioButton3");
        Click(d, "FillColorButton");
        Click(d, "FillPatternButton");
        Click(d, "BorderLineButton");
        Click(d, "BorderColorButton");
        Click(d, "RadioButton6");
        Click(d, "FillPatternButton"); // style 5 keeps a fill no button shows
        return Accept(d);
    };
    ASSERT_TRUE(Trigger(pad, "PolygonStylesM"));
    const TPolygonStyle& s = disp.PolygonStyles[2];
    EXPECT_EQ(s.FillColor, 0x563412);
    EXPECT_EQ(s.FillStyle, 5);
    EXPECT_EQ(s.PenStyle, 0);
    EXPECT_EQ(s.PenWidth, 6);
    EXPECT_EQ(s.Color, before[2].Color); // the chooser was cancelled
    EXPECT_EQ(disp.PolygonStyles[5].FillStyle, 9);
    // The colour added in the cancelled chooser reached a working colour.
    EXPECT_NE(std::find(disp.Colors.begin() + 1, disp.Colors.begin() + 17, 0xEFCDAB), disp.Colors.begin() + 17);
    EXPECT_EQ(pad->View.Saved, 0);
    EXPECT_EQ(view->View.Saved, 1);
    EXPECT_EQ(view->Settings.Display.PolygonStyles[2], before[2]);

    // Cancel keeps everything.
    const auto colours = disp.Colors;
    Handlers["PolygonStylesDB"] = [](QDialog& d) {
        Click(d, "RadioButton1");
        Click(d, "BorderLineButton");
        return int(QDialog::Rejected);
    };
    ASSERT_TRUE(Trigger(pad, "PolygonStylesM"));
    EXPECT_EQ(disp.PolygonStyles[0], before[0]);
    EXPECT_EQ(disp.Colors, colours);
    auto file = SaveAndReopen(*pad, "polygons.dta");
    EXPECT_EQ(file->Display.PolygonStyles[2], s);
}

TEST_F(DisplayDialogs, ColourPalettesSchemesAndSwatches)
{
    Start({.CommandLineFile = WriteNetwork()});
    TSketchPadWindow* pad = Pad();
    TDisplaySettings& disp = pad->Settings.Display;
    const auto colours = disp.Colors;
    // A scheme chosen and cancelled changes nothing.
    Handlers["PolygonColorsDB"] = [](QDialog& d) {
        Child<QComboBox>(d, "SchemeBox")->setCurrentIndex(1);
        Click(d, "CheckBox1");
        return int(QDialog::Rejected);
    };
    ASSERT_TRUE(Trigger(pad, "UsePolygonColorsM"));
    EXPECT_EQ(disp.Colors, colours);
    EXPECT_EQ(disp.UsePolygonColors, 0);

    // Grays, then swatch 5 through a cancelled chooser's custom colours.
    Handlers["PolygonColorsDB"] = [](QDialog& d) {
        auto* schemes = Child<QComboBox>(d, "SchemeBox");
        EXPECT_EQ(schemes->count(), 25);
        EXPECT_EQ(schemes->currentIndex(), 0);
        schemes->setCurrentIndex(1);
        EXPECT_EQ(Child<QCheckBox>(d, "CheckBox1")->text(), "Use for Links && Nodes");
        Click(d, "CheckBox1");
        QTest::mouseClick(Child<QWidget>(d, "Shape5"), Qt::LeftButton);
        return Accept(d);
    };
    Handlers["ColorDialog"] = [](QDialog& d) {
        auto& c = static_cast<QColorDialog&>(d);
        EXPECT_EQ(c.currentColor(), QColor(0xBB, 0xBB, 0xBB)); // swatch 5 of Grays
        EXPECT_EQ(QColorDialog::customColor(7), QColor(0x88, 0x88, 0x88));
        QColorDialog::setCustomColor(4, QColor(1, 2, 3)); // as the user's edit of custom colour 5
        c.reject();
        return c.result();
    };
    ASSERT_TRUE(Trigger(pad, "UsePolygonColorsM"));
    EXPECT_EQ(disp.UsePolygonColors, 1);
    EXPECT_EQ(disp.Colors[1], 0xFFFFFF);
    EXPECT_EQ(disp.Colors[8], 0x888888);
    EXPECT_EQ(disp.Colors[16], 0);
    EXPECT_EQ(disp.Colors[5], 0x030201);
    EXPECT_EQ(disp.Colors[0], colours[0]);
    auto file = SaveAndReopen(*pad, "palette.dta");
    EXPECT_EQ(file->Display.Colors[8], 0x888888);
    EXPECT_EQ(file->Display.UsePolygonColors, 1);
}

TEST(DisplayText, WindowsCodePage)
{
    EXPECT_EQ(WindowsBytes(QString::fromUtf8("a\u00E9\u20AC\u2122\u4E2D\U0001F600")), "a\xE9\x80\x99??");
    EXPECT_EQ(WindowsText("\x80\x81\xE9"), QString::fromUtf8("\u20AC\u0081\u00E9"));
    EXPECT_EQ(WindowsBytes(WindowsText("\x81\x8D\x9F")), "\x81\x8D\x9F");
}
