// The shapefile and geography dialogs: the import dialog's values, checks,
// Suggest and Compute; import and export from the pad's menu; Extract/Update
// forced to dBase; the long/lat and elevation dialogs' computations and
// statuses; Preferences' "Compute Long/Lat Settings".
#include <gtest/gtest.h>

#include <cmath>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "../core/shapes/shapes_fixture.h"
#include "../shell/program_fixture.h"
#include "core/model/Messages.h"
#include "core/model/NetworkQueries.h"
#include "core/shapes/ShapeExport.h"
#include "platform/CodePage.h"
#include "shell/RealEdit.h"
#include "tools/ExtractDialog.h"
#include "tools/LongLatDialogs.h"
#include "tools/ShapeCommands.h"
#include "tools/ShapeFileDialogs.h"

namespace {

bool Red(QLineEdit* e) { return e->palette().color(QPalette::Text) == Qt::red; }
std::string Text(QLineEdit* e) { return e->text().toStdString(); }
std::string Text(QLabel* e) { return e->text().toStdString(); }

class ShapeDialogs : public programtest::TProgramTest {
protected:
    void SetUp() override
    {
        ProgramShapeSettings() = TShapeImportSettings{};
        Start({.Show = false});
    }
    TSketchPadWindow& Pad() { return *Main->SketchPads.at(0); }
    TLongLatSettings& l() { return Pad().Settings.LongLat; }
    TNetwork& Net() { return *Pad().Network; }
    // A node with long/lat 1e-4 degree per world unit around 122 W, 37 N.
    TNode* Node(int x, int y, const std::string& name, bool known = true)
    {
        THashEntry* cell = nullptr;
        TNode* n = AddNode(Net(), x, y, cell, false, 0);
        n->SetFraction(Net(), x, y);
        n->Name = name;
        if (known) {
            n->Longitude = -1220000000 + x * 1000;
            n->Latitude = 370000000 - y * 1000;
            cell->IncludePoint(n);
        }
        return n;
    }
};

} // namespace

TEST_F(ShapeDialogs, ImportDialogChecksSuggestsAndComputes)
{
    SKIP_WITHOUT_SHARED_SHAPEFILES();
    TShapeImportSettings& s = ProgramShapeSettings();
    s.XScale = 2, s.YScale = -5000;
    TShapeFileDB d(s);
    d.Boxes = &Boxes;
    std::string chosen;
    d.RunFileDialog = [&](QFileDialog& f) {
        f.selectFile(QString::fromStdString(chosen));
        return !chosen.empty();
    };
    // Only the linear method takes its own X scale.
    EXPECT_FALSE(d.XScaleEB->isReadOnly());
    d.Projection->button(ShapeTransverseMercator)->click();
    EXPECT_TRUE(d.XScaleEB->isReadOnly());

    // A value that is no number: one message, red, nothing kept; a scale of
    // 0: red without a message; the dialog stays open.
    d.YScaleEB->setText("abc");
    d.XScaleEB->setText("0");
    d.Button1Click();
    EXPECT_NE(d.result(), QDialog::Accepted);
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(std::tie(Boxes.Last().Text, Boxes.Last().Caption), std::make_tuple("Error in transform values.", "Shape File"));
    EXPECT_TRUE(Red(d.YScaleEB) && Red(d.XScaleEB));
    EXPECT_EQ(s.YScale, -5000);
    d.YScaleEB->setText("-6000");
    d.Button1Click();
    EXPECT_EQ(Boxes.Count(), 1u);
    EXPECT_TRUE(Red(d.XScaleEB) && !Red(d.YScaleEB));

    // Suggest from a file's box; a file that is no shapefile is refused.
    chosen = shapetest::SharedShp() + "/pyshp/blockgroups.shp";
    d.Button4Click();
    EXPECT_EQ(std::make_tuple(Text(d.XScaleEB), Text(d.YScaleEB), Text(d.XTranslateEB), Text(d.YTranslateEB)),
              std::make_tuple("5459.11", "-6905.", "122.42", "-37.76"));
    EXPECT_FALSE(Red(d.XScaleEB));
    chosen = shapetest::SharedShp() + "/pyshp/blockgroups.dbf";
    d.Button4Click();
    EXPECT_EQ(Boxes.Last().Text, "Valid update file not found.");

    // Compute shows hundredths and keeps the value itself.
    d.XTranslateEB->setText("100");
    d.YTranslateEB->setText("-45");
    d.Button5Click();
    EXPECT_EQ(Text(d.MilesPerDegreeEB), "69.06");
    const double miles = s.MilesPerDegree;
    EXPECT_TRUE(miles != 69.06 && std::fabs(miles - 69.06) < 0.005);

    // The import gets the values read; OK keeps them for the run.
    std::string imported;
    d.Import = [&](const std::string& file, const TShapeImportSettings& with) {
        imported = file;
        EXPECT_EQ(std::tie(with.Method, with.YTranslate), std::make_tuple(ShapeTransverseMercator, -45.0));
        return std::string("3 records read.");
    };
    chosen = std::filesystem::canonical(shapetest::SharedShp() + "/pyshp/point.shp").string();
    d.Button3Click();
    EXPECT_EQ(imported, chosen);
    EXPECT_EQ(Text(d.StatusEB), "3 records read.");
    bool stored = false;
    d.Store = [&](const TShapeImportSettings&) { stored = true; };
    d.Button1Click();
    EXPECT_TRUE(d.result() == QDialog::Accepted && stored);
    EXPECT_EQ(std::tie(s.MilesPerDegree, s.XScale), std::make_tuple(miles, 5459.11));
}

TEST_F(ShapeDialogs, MenuItemsImportExportAndOpenTheDialogs)
{
    SKIP_WITHOUT_SHARED_SHAPEFILES();
    // Import a file in long/lat; OK keeps the settings in the window.
    NextFile = shapetest::SharedShp() + "/pyshp/blockgroups.shp";
    std::string importStatus;
    OnDialog = [&](QDialog& dialog) {
        auto& d = dynamic_cast<TShapeFileDB&>(dialog);
        d.Projection->button(ShapeTransverseMercator)->click();
        d.YScaleEB->setText("-100000");
        d.XTranslateEB->setText("122.42");
        d.YTranslateEB->setText("-37.76");
        d.Button3Click();
        importStatus = Text(d.StatusEB);
        d.Button1Click();
        return d.result();
    };
    Pad().Action("ArcViewShape1")->trigger();
    EXPECT_EQ(Shown, (std::vector<std::string>{"ShapeFileDB", "ShapeDB"}));
    EXPECT_EQ(importStatus, "663 records read."); // the import's status line
    EXPECT_TRUE(Boxes.Calls.empty());
    EXPECT_EQ(Net().NodeCount, 5600); // owners included
    EXPECT_TRUE(Pad().View.Saved == 0 && Pad().View.MinX < 0 && Pad().View.MaxY > 0);
    const TLongLatSettings& l = Pad().Settings.LongLat;
    EXPECT_EQ(std::tie(l.LongLatMethod, l.PixelsPerDegreeLat), std::make_tuple(ShapeTransverseMercator, -100000.0));
    EXPECT_EQ(ProgramShapeSettings().XTranslate, 122.42); // for the next showing

    // Export (class 1 given to the imported nodes); the choice and filter
    // stay in the window.
    (*Net().NodeClasses)[1].Name = "Block";
    ForEachNode(Net(), [](TNode* n) { n->EntityType = 1; });
    NextFile = Dir.filePath("blocks.shp").toStdString();
    std::string status;
    OnDialog = [&](QDialog& dialog) {
        auto& d = dynamic_cast<TShapeExportDB&>(dialog);
        d.Choice->button(ShapeExportPolygons)->click();
        d.FilterCB->setChecked(true);
        d.Button3Click();
        status = Text(d.StatusEB);
        d.Button1Click();
        return d.result();
    };
    Pad().Action("Export1")->trigger();
    EXPECT_EQ(status, "679 polygons written");
    EXPECT_TRUE(std::filesystem::exists(Dir.filePath("blocks.shx").toStdString()));
    EXPECT_EQ(std::tie(Pad().Settings.ShapeExportChoice, Pad().Settings.ShapeExportFilter), std::make_tuple(3, uint8_t(1)));

    // Extract/Update shows dBase and, for polygons, only their owners, with
    // the export's filter box; the window's formats stay as they were.
    OnDialog = [&](QDialog& dialog) {
        if (auto* x = dynamic_cast<TExtractDB*>(&dialog)) {
            EXPECT_EQ(x->Separation->checkedId(), 3);
            EXPECT_TRUE(x->OnlyPolygonsCB->isChecked() && x->FilterCB->isChecked());
            return int(QDialog::Rejected);
        }
        if (auto* d = dynamic_cast<TShapeExportDB*>(&dialog)) d->Button4Click();
        // Preferences' "Compute Long/Lat Settings".
        if (auto* p = dialog.findChild<QPushButton*>("Button3"); p && dialog.objectName() == "PreferencesDB") p->click();
        return int(QDialog::Rejected);
    };
    Shown.clear();
    Pad().Action("Export1")->trigger();
    EXPECT_EQ(Pad().Settings.ExtractFormats.SeparationMode, 0);
    Pad().Action("CalculateLongLat1")->trigger();
    Pad().Action("CalculateElevations1")->trigger();
    Main->ShowPreferences(Pad());
    EXPECT_EQ(Shown, (std::vector<std::string>{"ShapeExportDB", "ExtractDB", "CalcLongLatDB", "ElevationDB",
                                               "PreferencesDB", "CalcLongLatDB"}));
}

TEST_F(ShapeDialogs, LongLatDialogComputesAndReports)
{
    TNode* pivot = Node(0, 0, "Pivot");
    Node(0, 100, "South");
    Node(100, 0, "East");
    TNode* flat = Node(100, 100, "Flat");
    flat->Latitude = 370000000; // the pivot's latitude
    TNode* unknown = Node(50, 50, "Unknown", false);
    TLongLatSettings& l = Pad().Settings.LongLat;
    l.PivotNodeName = "Piv*", l.PixelsPerDegreeLat = -10000, l.LongLatMethod = 1;
    Net().SetAllowClose(true);

    TCalcLongLatDB d(Net(), Pad().Settings);
    d.Hooks.Boxes = &Boxes;
    int moved = 0, help = 0;
    d.Hooks.NetworkChanged = [&](bool m) { moved += m; };
    d.Hooks.ShowHelp = [&](int topic) { help += topic; };
    EXPECT_EQ(std::make_tuple(Text(d.PivotNodeEB), d.RangeSE->value()), std::make_tuple("Piv*", 5));
    d.HelpButton->click();
    d.show();
    QApplication::setActiveWindow(&d);
    QTest::keyClick(d.PivotNodeEB, Qt::Key_F1);
    d.hide();
    EXPECT_EQ(help, 2 * 2400);
    auto status = [&](auto click) {
        (d.*click)();
        return Text(d.StatusEB);
    };

    // A scale that is no number, or 0: red, the status says so, nothing
    // runs. OK refuses only what is no number.
    for (const char* bad : {"abc", "0"}) {
        d.PixelsPerDegreeEB->setText(bad);
        EXPECT_EQ(status(&TCalcLongLatDB::LongLatButtonClick), "Pixels/Degree Lat not valid");
        EXPECT_TRUE(Red(d.PixelsPerDegreeEB));
        EXPECT_EQ(status(&TCalcLongLatDB::XYButtonClick), "Pixels/Degree Lat not valid");
    }
    d.PixelsPerDegreeEB->setText("abc");
    d.accept();
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_EQ(std::tie(unknown->Longitude, Pad().View.Saved), std::make_tuple(0, uint8_t(1)));

    d.PixelsPerDegreeEB->setText("-10000");
    d.OnlyZerosCB->setChecked(true);
    EXPECT_EQ(status(&TCalcLongLatDB::LongLatButtonClick), "Finished");
    EXPECT_EQ(unknown->Latitude, 369950000); // linear/cosine about the pivot
    EXPECT_NEAR(unknown->Longitude, -1219937397, 2);
    EXPECT_EQ(Pad().View.Saved, 0); // the computation changed the network
    flat->Longitude = 0;
    d.PivotNodeEB->setText(QString::fromUtf8("\u03A9"));
    EXPECT_EQ(status(&TCalcLongLatDB::LongLatButtonClick), "Finished") << "a letter the network file cannot keep";
    EXPECT_TRUE(IsMarkedBad(d.PivotNodeEB));
    EXPECT_EQ(Boxes.Last().Text, MessageText(1001) + " U+03A9.");
    for (auto [name, text] : {std::pair{"", "Failed"}, {"Nobody", "Name not found"}, {"Flat", "Pivot node issues"}}) {
        d.PivotNodeEB->setText(name);
        EXPECT_EQ(status(&TCalcLongLatDB::LongLatButtonClick), text);
    }
    flat->Longitude = -1219900000;
    d.ProjectionMethod->button(0)->click();
    unknown->Longitude = unknown->Latitude = 0;
    EXPECT_EQ(status(&TCalcLongLatDB::LongLatButtonClick), "0 missed"); // the statistical method needs no pivot
    EXPECT_NEAR(unknown->Longitude, -1219950000, 100);

    // Estimates: equal latitudes give no scale and leave the edit alone.
    d.ProjectionMethod->button(2)->click();
    d.PivotNodeEB->setText("Pivot");
    d.PixelsPerDegreeEB->setText("-123");
    unknown->Latitude = 0;
    for (auto [second, text] : {std::pair{"East", "Scale not set"}, {"Unknown", "Second node issue"}, {"", "Scale not set"}}) {
        d.SecondNodeEB->setText(second);
        EXPECT_EQ(status(&TCalcLongLatDB::EstimateButtonClick), text);
    }
    EXPECT_EQ(Text(d.PixelsPerDegreeEB), "-123");
    d.SecondNodeEB->setText("South");
    EXPECT_EQ(status(&TCalcLongLatDB::EstimateButtonClick), "Scale computed");
    EXPECT_NEAR(d.PixelsPerDegreeEB->text().toDouble(), -10000, 30);
    d.ProjectionMethod->button(0)->click();
    EXPECT_EQ(status(&TCalcLongLatDB::EstimateButtonClick), "Not available");

    // X, Y from long/lat about the pivot.
    d.ProjectionMethod->button(1)->click();
    d.PixelsPerDegreeEB->setText("-20000");
    EXPECT_EQ(status(&TCalcLongLatDB::XYButtonClick), "X, Y computed");
    EXPECT_EQ(std::make_tuple(moved, FindNodeByName(Net(), "South", nullptr)->Y), std::make_tuple(1, 200));
    pivot->Latitude = 0, pivot->Longitude = 0;
    EXPECT_EQ(status(&TCalcLongLatDB::XYButtonClick), "Pivot node issue");

    // OK keeps every field in the window.
    d.RangeSE->setValue(12);
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(std::tie(l.LongLatMethod, l.PixelsPerDegreeLat, l.InterpolationRange, l.SecondNodeName, l.OnlyZeros),
              std::make_tuple(1, -20000.0, 12, std::string("South"), uint8_t(1)));
}

// On a new network (scale 0) OK of "Compute Long/Lat" keeps the method and
// the pivot; a negative scale, as the estimate gives where Y grows to the
// south, is kept and computed with; both reach the file.
TEST_F(ShapeDialogs, LongLatOkKeepsEveryFieldOfANewNetwork)
{
    Node(0, 0, "Pivot");
    TNode* south = Node(0, 100, "South", false);
    struct TShown {
        int Method;
        std::string Pivot;
        double Scale;
    } shown{};
    std::function<void(TCalcLongLatDB&)> act;
    Handlers["CalcLongLatDB"] = [&](QDialog& dialog) {
        auto& d = dynamic_cast<TCalcLongLatDB&>(dialog);
        shown = {d.ProjectionMethod->checkedId(), Text(d.PivotNodeEB), d.PixelsPerDegreeEB->text().toDouble()};
        act(d);
        return d.result();
    };
    act = [](TCalcLongLatDB& d) {
        d.ProjectionMethod->button(1)->click();
        d.PivotNodeEB->setText("Pivot");
        d.OKButton->click();
    };
    Pad().Action("CalculateLongLat1")->trigger();
    EXPECT_EQ(shown.Scale, 0);
    act = [](TCalcLongLatDB& d) {
        d.LongLatButton->click(); // no computation with a scale of 0
        EXPECT_EQ(Text(d.StatusEB), "Pixels/Degree Lat not valid");
        d.PixelsPerDegreeEB->setText("-10000");
        d.LongLatButton->click();
        EXPECT_EQ(Text(d.StatusEB), "Finished");
        d.OKButton->click();
    };
    Pad().Action("CalculateLongLat1")->trigger();
    EXPECT_EQ(std::tie(shown.Method, shown.Pivot), std::make_tuple(1, std::string("Pivot")));
    EXPECT_EQ(south->Latitude, 369900000); // 100 units south of the pivot: 0.01 degree
    act = [](TCalcLongLatDB& d) { d.CancelButton->click(); };
    Pad().Action("CalculateLongLat1")->trigger();
    EXPECT_EQ(std::tie(shown.Method, shown.Pivot, shown.Scale), std::make_tuple(1, std::string("Pivot"), -10000.0));
    std::unique_ptr<TNetWindow> file = SaveAndReopen(Pad(), "longlat.dta");
    EXPECT_EQ(std::tie(file->LongLat.LongLatMethod, file->LongLat.PivotNodeName, file->LongLat.PixelsPerDegreeLat),
              std::make_tuple(1, std::string("Pivot"), -10000.0));
}

TEST_F(ShapeDialogs, ElevationDialogComputesAndUnlocks)
{
    TNode* a = Node(0, 0, "A");
    Node(100, 0, "B")->Elevation = 20000;
    Node(0, 100, "C")->Elevation = 30000;
    TNode* inside = Node(30, 30, "Inside");
    a->Elevation = 10000;
    Net().SetAllowClose(true);
    TElevationDB d(Net(), Pad().Settings);
    d.Hooks.Boxes = &Boxes;
    auto status = [&] {
        d.CalculateButtonClick();
        return Text(d.StatusEB);
    };
    // The constant's controls follow the method.
    EXPECT_FALSE(d.ConstantEB->isEnabled());
    d.Method->button(1)->click();
    EXPECT_TRUE(d.ConstantEB->isEnabled() && d.OnlyZerosCB->isEnabled());

    d.ConstantEB->setText("x");
    d.accept();
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_EQ(Text(d.StatusEB), "Error in Constant");
    EXPECT_TRUE(Red(d.ConstantEB));
    EXPECT_EQ(status(), "Error in Constant");
    d.ConstantEB->setText("100000"); // beyond what an elevation holds
    EXPECT_EQ(status(), "Error in Constant");
    EXPECT_EQ(Pad().View.Saved, 1);

    d.ConstantEB->setText("2.5");
    d.OnlyZerosCB->setChecked(true);
    EXPECT_EQ(status(), "Done");
    EXPECT_EQ(std::tie(inside->Elevation, a->Elevation, Pad().View.Saved), std::make_tuple(25000, 10000, uint8_t(0)));

    inside->Elevation = 0;
    d.Method->button(3)->click();
    EXPECT_FALSE(d.ConstantEB->isEnabled());
    d.LockCB->setChecked(true);
    EXPECT_EQ(status(), "0 omitted");
    EXPECT_EQ(std::tie(inside->Elevation, inside->ExcludeFromTriangulation), std::make_tuple(19000, uint8_t(1)));
    d.Method->button(0)->click();
    EXPECT_EQ(status(), "Computing ... ");

    // Unlock All asks first.
    Net().SetAllowClose(true);
    Boxes.Answers = {IDCANCEL, IDOK};
    d.UnlockButtonClick();
    EXPECT_EQ(std::tie(Boxes.Last().Text, Boxes.Last().Caption), std::make_tuple("Unlock all nodes and shape points?", "Elevations"));
    EXPECT_EQ(std::tie(inside->ExcludeFromTriangulation, Pad().View.Saved), std::make_tuple(uint8_t(1), uint8_t(1)));
    d.UnlockButtonClick();
    EXPECT_EQ(std::tie(inside->ExcludeFromTriangulation, Pad().View.Saved), std::make_tuple(uint8_t(0), uint8_t(0)));

    d.Method->button(1)->click();
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(std::tie(l().ElevationMethod, l().ConstantElevation, l().LockComputedElevations),
              std::make_tuple(1, 2.5, uint8_t(1)));
}

// The triangles of a triangulation are drawn over the window in palette
// colour 20, after Compute Elevations and after the node dialog's
// interpolation, and stay until the window's next repaint.
TEST(Triangulation, TrianglesAreDrawnOverTheWindowUntilItsNextRepaint)
{
    programtest::TProgram program;
    program.Start();
    TSketchPadWindow& pad = *program.Pad;
    THashEntry* cell = nullptr;
    auto node = [&](int32_t x, int32_t y, int32_t elevation) {
        TNode* n = AddNode(*program.Net, x, y, cell, false, 0);
        n->Elevation = elevation;
        return n;
    };
    node(0, 0, 10000);
    node(200, 0, 20000);
    node(0, 200, 30000);
    TNode* inside = node(40, 40, 0);
    pad.View.SetExtents(0, 0, 300, 300);
    pad.SetScrollRanges();
    // A point of the triangle's long side, away from nodes and links.
    auto shown = [&] {
        return programtest::PaintWindow(pad, QSize(400, 400)).pixelColor(pad.PixelX(100), pad.PixelY(100));
    };
    const QColor mesh(0, 255, 255), white(Qt::white);
    EXPECT_EQ(shown(), white);

    program.Handlers["ElevationDB"] = [](QDialog& d) {
        auto& e = dynamic_cast<TElevationDB&>(d);
        e.Method->button(3)->click();
        e.CalculateButton->click();
        e.OKButton->click();
        return d.result();
    };
    ASSERT_TRUE(program.Trigger(&pad, "CalculateElevations1"));
    EXPECT_EQ(inside->Elevation, 16000);
    EXPECT_EQ(shown(), mesh);
    EXPECT_EQ(shown(), mesh); // until the window repaints
    ASSERT_TRUE(program.Trigger(&pad, "RefreshM"));
    EXPECT_EQ(shown(), white);

    // The node dialog's "Compute Elevation", from a Node Open click.
    QColor seen;
    program.Handlers["NodeEntityDB"] = [](QDialog& d) {
        d.findChild<QPushButton*>("LongLatBtn")->click();
        return int(QDialog::Rejected);
    };
    program.Handlers["LongLatDB"] = [&](QDialog& d) {
        d.findChild<QPushButton*>("ComputeElevationBtn")->click();
        seen = shown();
        return int(QDialog::Rejected);
    };
    program.Main->SetButtons(3, pad, true);
    inside->Elevation = 0;
    QTest::mouseClick(pad.viewport(), Qt::LeftButton, {}, QPoint(pad.PixelX(40), pad.PixelY(40)));
    EXPECT_EQ(seen, mesh);
}
