// The shapefile and geography dialogs: the import dialog's values, checks,
// Suggest and Compute; import and export from the pad's menu; Extract/Update
// forced to dBase; the long/lat and elevation dialogs' computations and
// statuses; Preferences' "Compute Long/Lat Settings".
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "../core/shapes/shapes_fixture.h"
#include "core/model/Messages.h"
#include "core/model/NetworkQueries.h"
#include "core/shapes/ShapeExport.h"
#include "shell/MainWindow.h"
#include "shell/RealEdit.h"
#include "shell/SketchPad.h"
#include "tools/ExtractDialog.h"
#include "tools/LongLatDialogs.h"
#include "tools/ShapeCommands.h"
#include "tools/ShapeFileDialogs.h"

namespace {

bool Red(QLineEdit* e) { return e->palette().color(QPalette::Text) == Qt::red; }
std::string Text(QLineEdit* e) { return e->text().toStdString(); }

class ShapeDialogs : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    TMessageSinkRecorder Boxes;
    std::unique_ptr<TZOKMainWindow> Main;
    std::vector<std::string> DialogsRun;
    std::function<int(QDialog&)> OnDialog = [](QDialog&) { return int(QDialog::Rejected); };
    std::string NextFile; // what the next file dialog answers ("" cancels)

    void SetUp() override
    {
        ProgramShapeSettings() = TShapeImportSettings{};
        TMainOptions o;
        o.IniFile = Dir.filePath("tarvex.ini").toStdString();
        o.ProgramDir = Dir.path().toStdString();
        o.ShowSplash = false;
        Main = std::make_unique<TZOKMainWindow>(o);
        Main->SetMessageBoxes(&Boxes);
        Main->ExecDialog = [this](QDialog& d) {
            DialogsRun.push_back(d.objectName().toStdString());
            if (auto* f = qobject_cast<QFileDialog*>(&d)) {
                if (NextFile.empty()) return int(QDialog::Rejected);
                f->selectFile(QString::fromStdString(NextFile));
                return int(QDialog::Accepted);
            }
            return OnDialog(d);
        };
        Main->CreateFirstPad();
    }
    void TearDown() override
    {
        Boxes.Answers.assign(64, IDNO);
        Main->close();
        Main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    TSketchPadWindow& Pad() { return *Main->SketchPads.at(0); }
    TNetwork& Net() { return *Pad().Network; }
    // A node with long/lat 1e-4 degree per world unit around 122 W, 37 N.
    TNode* Node(int x, int y, const std::string& name, bool known = true)
    {
        THashEntry* cell = nullptr;
        TNode* n = AddNode(Net(), x, y, cell, false, 0);
        n->XF = x, n->YF = y;
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
    TShapeImportSettings& s = ProgramShapeSettings();
    s.XScale = 2, s.YScale = -5000, s.Method = ShapeLinear;
    TShapeFileDB d(s);
    d.Boxes = &Boxes;
    std::string chosen;
    d.RunFileDialog = [&](QFileDialog& f) {
        EXPECT_EQ(f.windowTitle(), "Shapefile Import");
        if (chosen.empty()) return false;
        f.selectFile(QString::fromStdString(chosen));
        return true;
    };
    EXPECT_EQ(d.windowTitle(), "ArcGIS Shapefile Import");
    EXPECT_EQ(Text(d.YScaleEB), "-5000.");
    EXPECT_FALSE(d.Button6->isEnabled());
    EXPECT_EQ(d.Button3->toolTip(), "Read and convert a shape file.");
    EXPECT_EQ(d.XTranslateEB->toolTip(), "Usually, negative of central longitude.");
    // Only the linear method takes its own X scale.
    EXPECT_FALSE(d.XScaleEB->isReadOnly());
    d.Projection->button(ShapeTransverseMercator)->click();
    EXPECT_TRUE(d.XScaleEB->isReadOnly());

    // A value that is no number: one message, the field red, nothing kept;
    // a scale of 0: red without a message.
    d.YScaleEB->setText("abc");
    d.XScaleEB->setText("0");
    d.Button1Click();
    EXPECT_NE(d.result(), QDialog::Accepted);
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Text, "Error in transform values.");
    EXPECT_EQ(Boxes.Last().Caption, "Shape File");
    EXPECT_TRUE(Red(d.YScaleEB));
    EXPECT_TRUE(Red(d.XScaleEB));
    EXPECT_EQ(s.YScale, -5000);
    d.YScaleEB->setText("-6000");
    d.Button1Click();
    EXPECT_EQ(Boxes.Count(), 1u);
    EXPECT_TRUE(Red(d.XScaleEB));
    EXPECT_FALSE(Red(d.YScaleEB));

    // Suggest from a file's box; a file that is no shapefile is refused.
    chosen = shapetest::SharedShp() + "/pyshp/blockgroups.shp";
    d.Button4Click();
    EXPECT_EQ(Text(d.YScaleEB), "-6905.");
    EXPECT_EQ(Text(d.XScaleEB), "5459.11");
    EXPECT_EQ(Text(d.XTranslateEB), "122.42");
    EXPECT_EQ(Text(d.YTranslateEB), "-37.76");
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
    EXPECT_NE(miles, 69.06);
    EXPECT_NEAR(miles, 69.06, 0.005);

    // The import gets the values read; OK keeps them for the run.
    std::string imported;
    d.Import = [&](const std::string& file, const TShapeImportSettings& with) {
        imported = file;
        EXPECT_EQ(with.Method, ShapeTransverseMercator);
        EXPECT_EQ(with.YTranslate, -45);
    };
    chosen = std::filesystem::canonical(shapetest::SharedShp() + "/pyshp/point.shp").string();
    d.Button3Click();
    EXPECT_EQ(imported, chosen);
    bool stored = false;
    d.Store = [&](const TShapeImportSettings&) { stored = true; };
    d.Button1Click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(stored);
    EXPECT_EQ(s.MilesPerDegree, miles);
    EXPECT_EQ(s.XScale, 5459.11);
}

TEST_F(ShapeDialogs, ImportAndExportFromThePadMenu)
{
    for (const char* item : {"ArcViewShape1", "Export1", "CalculateLongLat1", "CalculateElevations1"}) {
        ASSERT_NE(Pad().Action(item), nullptr) << item;
        EXPECT_TRUE(Pad().Action(item)->isEnabled()) << item;
    }

    // Import a file in long/lat; OK keeps the settings in the window.
    NextFile = shapetest::SharedShp() + "/pyshp/blockgroups.shp";
    OnDialog = [&](QDialog& dialog) {
        auto& d = dynamic_cast<TShapeFileDB&>(dialog);
        d.Projection->button(ShapeTransverseMercator)->click();
        d.YScaleEB->setText("-100000");
        d.XTranslateEB->setText("122.42");
        d.YTranslateEB->setText("-37.76");
        d.Button3Click();
        d.Button1Click();
        return d.result();
    };
    Pad().Action("ArcViewShape1")->trigger();
    EXPECT_EQ(DialogsRun, (std::vector<std::string>{"ShapeFileDB", "ShapeDB"}));
    EXPECT_TRUE(Boxes.Calls.empty());
    EXPECT_EQ(Net().NodeCount, 5600); // owners included
    EXPECT_EQ(Pad().View.Saved, 0);
    EXPECT_LT(Pad().View.MinX, 0);
    EXPECT_GT(Pad().View.MaxY, 0);
    EXPECT_EQ(Pad().Settings.LongLat.LongLatMethod, ShapeTransverseMercator);
    EXPECT_EQ(Pad().Settings.LongLat.PixelsPerDegreeLat, -100000);
    EXPECT_EQ(ProgramShapeSettings().XTranslate, 122.42); // for the next showing

    // Export: the imported nodes are of class 0, so nothing is written
    // until they have a class; the choice and filter stay in the window.
    (*Net().NodeClasses)[1].Name = "Block";
    ForEachNode(Net(), [](TNode* n) { n->EntityType = 1; });
    const std::string out = Dir.filePath("blocks.shp").toStdString();
    NextFile = out;
    std::string status;
    OnDialog = [&](QDialog& dialog) {
        auto& d = dynamic_cast<TShapeExportDB&>(dialog);
        EXPECT_EQ(d.windowTitle(), "ArcGIS Shapefile Export");
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
    EXPECT_EQ(Pad().Settings.ShapeExportChoice, ShapeExportPolygons);
    EXPECT_EQ(Pad().Settings.ShapeExportFilter, 1);

    // Extract/Update shows dBase and, for polygons, only nodes with
    // polygons, with the export's filter box; the window's formats stay.
    Pad().Settings.ExtractFormats.SeparationMode = 0;
    OnDialog = [&](QDialog& dialog) {
        if (auto* x = dynamic_cast<TExtractDB*>(&dialog)) {
            EXPECT_EQ(x->Separation->checkedId(), 3);
            EXPECT_TRUE(x->OnlyPolygonsCB->isChecked());
            EXPECT_TRUE(x->FilterCB->isChecked());
            return int(QDialog::Rejected);
        }
        auto& d = dynamic_cast<TShapeExportDB&>(dialog);
        EXPECT_TRUE(d.Choice->button(ShapeExportPolygons)->isChecked()); // loaded from the window
        d.Button4Click();
        return int(QDialog::Rejected);
    };
    Pad().Action("Export1")->trigger();
    EXPECT_EQ(DialogsRun.back(), "ExtractDB");
    EXPECT_EQ(Pad().Settings.ExtractFormats.SeparationMode, 0);
}

TEST_F(ShapeDialogs, LongLatDialogComputesAndReports)
{
    TNode* pivot = Node(0, 0, "Pivot");
    Node(0, 100, "South");
    Node(100, 0, "East");
    TNode* flat = Node(100, 100, "Flat");
    flat->Latitude = 370000000; // the pivot's latitude
    TNode* unknown = Node(50, 50, "Unknown", false);
    Pad().Settings.LongLat.PivotNodeName = "Piv*";
    Pad().Settings.LongLat.PixelsPerDegreeLat = -10000;
    Pad().Settings.LongLat.LongLatMethod = 1;
    Net().SetAllowClose(true);

    TCalcLongLatDB d(Net(), Pad().Settings);
    d.Hooks.Boxes = &Boxes;
    int moved = 0, help = 0;
    d.Hooks.NetworkChanged = [&](bool m) { moved += m; };
    d.Hooks.ShowHelp = [&](int topic) { help = topic; };
    EXPECT_EQ(d.windowTitle(), "Compute Longitude and Latitude");
    EXPECT_EQ(Text(d.PivotNodeEB), "Piv*");
    EXPECT_EQ(d.RangeSE->value(), 5);
    EXPECT_TRUE(d.StatusEB->isReadOnly());
    d.HelpButton->click();
    EXPECT_EQ(help, 2400);
    help = 0;
    d.show();
    QApplication::setActiveWindow(&d);
    QTest::keyClick(d.PivotNodeEB, Qt::Key_F1);
    d.hide();
    EXPECT_EQ(help, 2400);

    // A scale that is no number, or 0: red, the status says so, nothing runs.
    for (const char* bad : {"abc", "0"}) {
        d.PixelsPerDegreeEB->setText(bad);
        d.LongLatButtonClick();
        EXPECT_EQ(Text(d.StatusEB), "Pixels/Degree Lat not valid");
        EXPECT_TRUE(Red(d.PixelsPerDegreeEB));
        d.accept();
        EXPECT_NE(d.result(), QDialog::Accepted);
    }
    EXPECT_EQ(unknown->Longitude, 0);
    EXPECT_EQ(Pad().View.Saved, 1);

    d.PixelsPerDegreeEB->setText("-10000");
    d.OnlyZerosCB->setChecked(true);
    d.LongLatButtonClick();
    EXPECT_EQ(Text(d.StatusEB), "Finished");
    EXPECT_EQ(unknown->Latitude, 369950000); // linear/cosine about the pivot
    EXPECT_NEAR(unknown->Longitude, -1219937397, 2);
    EXPECT_EQ(Pad().View.Saved, 0); // the computation changed the network
    for (auto [name, status] : {std::pair{"", "Failed"}, {"Nobody", "Name not found"}, {"Flat", "Pivot node issues"}}) {
        flat->Longitude = 0;
        d.PivotNodeEB->setText(name);
        d.LongLatButtonClick();
        EXPECT_EQ(Text(d.StatusEB), status);
        flat->Longitude = -1219900000;
    }
    d.ProjectionMethod->button(0)->click();
    unknown->Longitude = unknown->Latitude = 0;
    d.LongLatButtonClick(); // the statistical method ignores the pivot
    EXPECT_EQ(Text(d.StatusEB), "0 missed");
    EXPECT_NEAR(unknown->Longitude, -1219950000, 100);

    // Estimates: equal latitudes give no scale and leave the edit alone.
    d.ProjectionMethod->button(2)->click();
    d.PivotNodeEB->setText("Pivot");
    d.SecondNodeEB->setText("East");
    d.PixelsPerDegreeEB->setText("-123");
    d.EstimateButtonClick();
    EXPECT_EQ(Text(d.StatusEB), "Scale not set");
    EXPECT_EQ(Text(d.PixelsPerDegreeEB), "-123");
    d.SecondNodeEB->setText("South");
    d.EstimateButtonClick();
    EXPECT_EQ(Text(d.StatusEB), "Scale computed");
    EXPECT_NEAR(d.PixelsPerDegreeEB->text().toDouble(), -10000, 30);
    d.SecondNodeEB->setText("Unknown");
    unknown->Latitude = 0;
    d.EstimateButtonClick();
    EXPECT_EQ(Text(d.StatusEB), "Second node issue");
    d.ProjectionMethod->button(0)->click();
    d.SecondNodeEB->setText("South");
    d.EstimateButtonClick();
    EXPECT_EQ(Text(d.StatusEB), "Not available");
    d.SecondNodeEB->setText("");
    d.EstimateButtonClick();
    EXPECT_EQ(Text(d.StatusEB), "Scale not set");

    // X, Y from long/lat about the pivot.
    d.ProjectionMethod->button(1)->click();
    d.PixelsPerDegreeEB->setText("-20000");
    d.XYButtonClick();
    EXPECT_EQ(Text(d.StatusEB), "X, Y computed");
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(FindNodeByName(Net(), "South", nullptr)->Y, 200);
    pivot->Latitude = 0, pivot->Longitude = 0;
    d.XYButtonClick();
    EXPECT_EQ(Text(d.StatusEB), "Pivot node issue");


    // OK keeps every field in the window.
    d.RangeSE->setValue(12);
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    const TLongLatSettings& l = Pad().Settings.LongLat;
    EXPECT_EQ(l.LongLatMethod, 1);
    EXPECT_EQ(l.PixelsPerDegreeLat, -20000);
    EXPECT_EQ(l.InterpolationRange, 12);
    EXPECT_EQ(l.SecondNodeName, "");
    EXPECT_EQ(l.OnlyZeros, 1);
}

TEST_F(ShapeDialogs, ElevationDialogComputesAndUnlocks)
{
    TNode* a = Node(0, 0, "A");
    TNode* b = Node(100, 0, "B");
    TNode* c = Node(0, 100, "C");
    TNode* inside = Node(30, 30, "Inside");
    a->Elevation = 10000, b->Elevation = 20000, c->Elevation = 30000;
    Net().SetAllowClose(true);
    TElevationDB d(Net(), Pad().Settings);
    d.Hooks.Boxes = &Boxes;
    // The constant's controls follow the method.
    EXPECT_FALSE(d.ConstantEB->isEnabled());
    d.Method->button(1)->click();
    EXPECT_TRUE(d.ConstantEB->isEnabled());
    EXPECT_TRUE(d.OnlyZerosCB->isEnabled());

    d.ConstantEB->setText("x");
    d.accept();
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_EQ(Text(d.StatusEB), "Error in Constant");
    EXPECT_TRUE(Red(d.ConstantEB));
    d.CalculateButtonClick();
    EXPECT_EQ(Text(d.StatusEB), "Error in Constant");
    d.ConstantEB->setText("100000"); // beyond what an elevation holds
    d.CalculateButtonClick();
    EXPECT_EQ(Text(d.StatusEB), "Error in Constant");
    EXPECT_EQ(Pad().View.Saved, 1);

    d.ConstantEB->setText("2.5");
    d.OnlyZerosCB->setChecked(true);
    d.CalculateButtonClick();
    EXPECT_EQ(Text(d.StatusEB), "Done");
    EXPECT_EQ(inside->Elevation, 25000);
    EXPECT_EQ(a->Elevation, 10000);
    EXPECT_EQ(Pad().View.Saved, 0);

    inside->Elevation = 0;
    d.Method->button(3)->click();
    EXPECT_FALSE(d.ConstantEB->isEnabled());
    d.LockCB->setChecked(true);
    d.CalculateButtonClick();
    EXPECT_EQ(Text(d.StatusEB), "0 omitted");
    EXPECT_EQ(inside->Elevation, 19000); // on the plane through A, B and C
    EXPECT_EQ(inside->ExcludeFromTriangulation, 1);
    d.Method->button(0)->click();
    d.CalculateButtonClick();
    EXPECT_EQ(Text(d.StatusEB), "Computing ... ");

    // Unlock All asks first.
    Net().SetAllowClose(true);
    Boxes.Answers = {IDCANCEL};
    d.UnlockButtonClick();
    EXPECT_EQ(Boxes.Last().Text, "Unlock all nodes and shape points?");
    EXPECT_EQ(Boxes.Last().Caption, "Elevations");
    EXPECT_EQ(inside->ExcludeFromTriangulation, 1);
    EXPECT_EQ(Pad().View.Saved, 1);
    Boxes.Answers = {IDOK};
    d.UnlockButtonClick();
    EXPECT_EQ(inside->ExcludeFromTriangulation, 0);
    EXPECT_EQ(Pad().View.Saved, 0);

    d.Method->button(1)->click();
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(Pad().Settings.LongLat.ElevationMethod, 1);
    EXPECT_EQ(Pad().Settings.LongLat.ConstantElevation, 2.5);
    EXPECT_EQ(Pad().Settings.LongLat.LockComputedElevations, 1);
}

TEST_F(ShapeDialogs, OpenedFromTheirMenuItemsAndPreferences)
{
    OnDialog = [](QDialog& d) {
        if (auto* p = d.findChild<QPushButton*>("Button3"); p && d.objectName() == "PreferencesDB") p->click();
        return int(QDialog::Rejected);
    };
    Pad().Action("CalculateLongLat1")->trigger();
    Pad().Action("CalculateElevations1")->trigger();
    Main->ShowPreferences(Pad());
    EXPECT_EQ(DialogsRun, (std::vector<std::string>{"CalcLongLatDB", "ElevationDB", "PreferencesDB", "CalcLongLatDB"}));
}
