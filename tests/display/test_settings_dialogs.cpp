// The window's labels, widths, title block, backgrounds and underlay through
// their toolbar buttons and menu items, driven offscreen: OK changes only the
// window the dialog came from, Cancel nothing; stored values no control shows
// are kept; trip tables load, draw and stay when a load fails; widths files
// read into a copy; background pictures load into new objects and reach the
// window only when every slot succeeds; everything survives a save.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QTest>

#include <fstream>
#include <functional>

#include "../core/file/netfile_fixture.h"
#include "../shell/program_fixture.h"
#include "core/file/SettingsSections.h"
#include "core/model/NetworkQueries.h"
#include "display/BackgroundDialogs.h"
#include "display/DisplayCommands.h"
#include "display/WidthDialogs.h"
#include "shell/PadHandles.h"
#include "toolbars/DockButton.h"

namespace {

const QByteArray BlueSvg = "<svg xmlns='http://www.w3.org/2000/svg' width='30' height='20'>"
                           "<rect width='30' height='20' fill='#0000ff'/></svg>";

class SettingsDialogs : public programtest::TProgramTest {
protected:
    TSketchPadWindow* View = nullptr;
    bool OpenedWithButtons = false; // the node labels button once the file was open

    void SetUp() override
    {
        TNetWindow net;
        netfiletest::MakeRichNetwork(net);
        net.Layers.Reset();
        net.Search.PolygonCriterion = {};
        TMessageSinkRecorder sink;
        ASSERT_TRUE(SaveNetworkFile(net, Path("rich.dta"), 9, sink).Ok);
        Start({.CommandLineFile = Path("rich.dta")});
        TDockButton* nodeLabels = Main->Toolbars.ToolbarButtons[2];
        OpenedWithButtons = nodeLabels->isVisibleTo(nodeLabels->parentWidget());
        View = Main->NewView();
        Main->PadActivated(Pad);
        Pad->View.Saved = View->View.Saved = 1;
    }
    void Click(int button) { Main->Toolbars.ToolbarButtons[size_t(button)]->OnClick(); }
    static void Press(QWidget& d, const char* name) { Child<QAbstractButton>(d, name)->click(); }
    // A file dialog answers with this file.
    std::function<int(QDialog&)> Choose(const std::string& file)
    {
        return [file](QDialog& d) {
            static_cast<QFileDialog&>(d).selectFile(QString::fromStdString(file));
            return Accept(d);
        };
    }
    static QImage Draw(TSketchPadWindow& w) { return programtest::PaintWindow(w, {1600, 1200}); }
    static int InkNear(TSketchPadWindow& w, const QImage& image, int32_t x, int32_t y)
    {
        return programtest::InkNear(w, image, x, y, 3);
    }
    static bool Red(QWidget* w) { return w->styleSheet() == "color: red"; }
};

} // namespace

TEST_F(SettingsDialogs, LabelsFromTheirToolbarButtons)
{
    TLabelSettings& l = Pad->Settings.Labels;
    l.NodeLabelCodes[2][2] = 77; // Stop has no attribute 77: no item shows it
    const auto& b = Main->Toolbars.ToolbarButtons;
    EXPECT_TRUE(OpenedWithButtons);
    for (int k : {2, 3, 7, 8}) EXPECT_TRUE(b[size_t(k)]->isVisibleTo(b[size_t(k)]->parentWidget())) << k;
    TSketchPadWindow* empty = Main->NewSchema();
    Main->PadActivated(empty);
    for (int k : {2, 3, 7, 8}) EXPECT_FALSE(b[size_t(k)]->isVisibleTo(b[size_t(k)]->parentWidget())) << k;
    Main->PadActivated(Pad);

    Handlers["EntityLabelsDB"] = [](QDialog& d) {
        Press(d, "Button1");
        return int(QDialog::Rejected);
    };
    Handlers["SelectLabelDB"] = [](QDialog& d) { return Accept(d); };
    Click(2);
    EXPECT_EQ(l.NodeLabelCodes[1][1], 101);
    EXPECT_EQ(Pad->View.Saved, 1);

    Handlers["EntityLabelsDB"] = [](QDialog& d) {
        EXPECT_EQ(Child<QAbstractButton>(d, "RadioButton1")->text(), "Zone");
        EXPECT_FALSE(Child<QWidget>(d, "RadioButton3")->isVisibleTo(&d));
        EXPECT_EQ(Child<QLabel>(d, "FirstLabel1")->text(), "Name");
        EXPECT_EQ(Child<QLabel>(d, "SecondLabel1")->text(), "Size2");
        EXPECT_EQ(Child<QLabel>(d, "SecondLabel2")->text(), "");
        Press(d, "Button1");
        EXPECT_EQ(Child<QLabel>(d, "FirstLabel1")->text(), "Note1");
        QTest::mouseDClick(Child<QLabel>(d, "FontLabel1"), Qt::LeftButton);
        EXPECT_EQ(Child<QLabel>(d, "FontLabel1")->text(), "Fa");
        Press(d, "RadioButton2");
        Press(d, "Button3");
        return Accept(d);
    };
    Handlers["SelectLabelDB"] = [](QDialog& d) {
        auto* list = Child<QListWidget>(d, "ListBox1");
        if (list->currentRow() < 0) return Accept(d); // the stored 77: kept
        EXPECT_EQ(list->count(), 16);
        EXPECT_EQ(list->item(11)->text(), "Note 1");
        list->setCurrentRow(11);
        return Accept(d);
    };
    Handlers["LabelFontDB"] = [](QDialog& d) {
        auto* list = Child<QListWidget>(d, "ListBox1");
        EXPECT_EQ(list->count(), 11);
        EXPECT_EQ(list->item(0)->text(), "0. Arial");
        list->setCurrentRow(10);
        return Accept(d);
    };
    Click(2);
    EXPECT_EQ(l.NodeLabelCodes[1][1], 106);
    EXPECT_EQ(l.NodeClassFont[1], 10);
    EXPECT_EQ(l.NodeClassLabelled[1], 1);
    EXPECT_EQ(l.NodeLabelCodes[2][2], 77);
    EXPECT_EQ(Pad->View.Saved, 0);
    EXPECT_EQ(View->View.Saved, 1);
    EXPECT_EQ(View->Settings.Labels.NodeLabelCodes[1][1], 101);

    QString family;
    Handlers["LabelsFormatDB"] = [&family](QDialog& d) {
        EXPECT_EQ(Child<QListWidget>(d, "ListBox1")->count(), 12);
        Child<QListWidget>(d, "ListBox1")->setCurrentRow(10);
        Press(d, "SetFontButton");
        EXPECT_EQ(Child<QListWidget>(d, "ListBox1")->item(10)->text(), QString("a. %1, 12, Bold").arg(family));
        Press(d, "ColorButton");
        Child<QComboBox>(d, "ComboBox1")->setCurrentIndex(6);
        Child<QSpinBox>(d, "SpinEdit3")->setValue(4);
        return Accept(d);
    };
    Handlers["FontDialog"] = [&family](QDialog& d) {
        auto& f = static_cast<QFontDialog&>(d);
        QFont font("DejaVu Sans", 12);
        font.setBold(true);
        f.setCurrentFont(font);
        family = f.currentFont().family();
        return Accept(d);
    };
    Handlers["ColorDialog"] = [](QDialog& d) {
        static_cast<QColorDialog&>(d).setCurrentColor(QColor(255, 0, 0));
        return Accept(d);
    };
    Click(4);
    EXPECT_EQ(l.FontRecords[10].Height, -16);
    EXPECT_EQ(l.FontRecords[10].Weight, 700);
    EXPECT_EQ(l.FontRecords[10].FaceName, family.toStdString());
    EXPECT_EQ(l.FontColors[10], 0x0000FF);
    EXPECT_EQ(l.NodePosition, 7);
    EXPECT_EQ(l.Precision, 4);

    auto file = SaveAndReopen(*Pad, "labels.dta");
    EXPECT_EQ(file->Labels.NodeLabelCodes[1][1], 106);
    EXPECT_EQ(file->Labels.NodeClassFont[1], 10);
    EXPECT_EQ(file->Labels.FontNames[10], l.FontNames[10]);
    EXPECT_EQ(file->Labels.FontRecords[10].Height, -16);
    EXPECT_EQ(file->Labels.FontColors[10], 0x0000FF);

    // Reset All Entity Labels changes the network; Clear Labels the window.
    TNode* alpha = FindNodeByName(*Pad->Network, "Alpha", nullptr);
    ASSERT_EQ(alpha->Label1, 101);
    Pad->View.Saved = View->View.Saved = 1;
    Click(1);
    EXPECT_EQ(alpha->Label1, 0);
    EXPECT_EQ(View->View.Saved, 0);
    Click(5);
    EXPECT_EQ(l.NodeLabelCodes[1][1], 0);
    EXPECT_EQ(l.FontNames[10], "a. Not Used");
}

TEST_F(SettingsDialogs, WidthsAndTripTablesFromTheirToolbarButtons)
{
    TWidthSettings& w = Pad->Settings.Widths;
    w.NodeStyleMode = 9; // from a file: no button shows it
    // Width Status: modes by button, the unknown one kept; Cancel changes nothing.
    Handlers["WidthStatusDB"] = [](QDialog& d) {
        Press(d, "RadioGroup2Button2");
        return int(QDialog::Rejected);
    };
    Click(6);
    EXPECT_EQ(w.LinkStyleMode, 4);
    Handlers["WidthStatusDB"] = [](QDialog& d) {
        for (int i = 0; i < 4; ++i)
            EXPECT_FALSE(Child<QAbstractButton>(d, QString("RadioGroup1Button%1").arg(i).toLatin1())->isChecked());
        Press(d, "RadioGroup2Button2");
        return Accept(d);
    };
    Click(6);
    EXPECT_EQ(w.NodeStyleMode, 9);
    EXPECT_EQ(w.LinkStyleMode, 1);
    EXPECT_EQ(Pad->View.Saved, 0);
    EXPECT_EQ(View->View.Saved, 1);

    // A trip table Alpha, Beta to Gamma (its name in any letters), drawn by the
    // desire-line expression.
    { std::ofstream(Path("Ωtrips.txt"), std::ios::binary) << "Alpha\r\nBeta\r\nEND OF ROWS\r\nGamma\r\nEND OF COLUMNS\r\n5\r\n6\r\n"; }
    { std::ofstream(Path("cut.txt"), std::ios::binary) << "Alpha\r\nEND OF ROWS\r\n"; }
    w.SystemExpression = "P1";
    w.LinkBottom[1] = 0, w.LinkTop[1] = 10, w.LinkWidths[1] = 3;
    const int before = InkNear(*Pad, Draw(*Pad), -200, 300); // halfway from Alpha to Gamma
    std::string status;
    Handlers["OpenTableDialog"] = Choose(Path("Ωtrips.txt"));
    Handlers["WidthStatusDB"] = [this, &status](QDialog& d) {
        Press(d, "LoadTableButton");
        status = Child<QLineEdit>(d, "StatusEdit")->text().toStdString();
        EXPECT_NE(Pad->Settings.DesireTables, nullptr); // at once, not on OK
        Press(d, "RadioGroup3Button1");
        return Accept(d);
    };
    Click(6);
    EXPECT_EQ(status, "Table loaded.");
    ASSERT_NE(Pad->Settings.DesireTables, nullptr);
    EXPECT_EQ(Pad->Settings.DesireTables->Tables.at(0).Values, (std::vector<double>{5, 6}));
    EXPECT_EQ(View->Settings.DesireTables, nullptr);
    EXPECT_EQ(Pad->Settings.Display.DesireLinePlacement, 1);
    EXPECT_GT(InkNear(*Pad, Draw(*Pad), -200, 300), before + 10);
    EXPECT_EQ(InkNear(*View, Draw(*View), -200, 300), before);
    // A table that fails shows why and leaves the loaded one, OK or not.
    const TDesireTables* loaded = Pad->Settings.DesireTables.get();
    Handlers["OpenTableDialog"] = Choose(Path("cut.txt"));
    for (int answer : {int(QDialog::Rejected), int(QDialog::Accepted)}) {
        Handlers["WidthStatusDB"] = [&status, answer](QDialog& d) {
            Press(d, "LoadTableButton");
            status = Child<QLineEdit>(d, "StatusEdit")->text().toStdString();
            d.done(answer);
            return answer;
        };
        Click(6);
        EXPECT_EQ(status, "Unexpected end of user trip table! Table is 1; Column is 1");
        EXPECT_EQ(Pad->Settings.DesireTables.get(), loaded);
    }
    // "Clear Table" takes effect at once too: Cancel after it keeps the window cleared.
    Pad->View.Saved = 1;
    Handlers["WidthStatusDB"] = [this](QDialog& d) {
        Press(d, "ClearTableButton");
        EXPECT_EQ(Pad->Settings.DesireTables, nullptr);
        return int(QDialog::Rejected);
    };
    Click(6);
    EXPECT_EQ(Pad->Settings.DesireTables, nullptr);
    EXPECT_EQ(Pad->View.Saved, 0);
    EXPECT_EQ(InkNear(*Pad, Draw(*Pad), -200, 300), before);

    // Expressions: the pickers insert at the caret; the memo edits.
    Handlers["WidthExpressionsDB"] = [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Node Size Expressions");
        EXPECT_EQ(Child<QLabel>(d, "Label2")->text(), "Stop");
        EXPECT_FALSE(Child<QWidget>(d, "Edit3")->isVisibleTo(&d));
        auto& e = static_cast<TWidthExpressionsDB&>(d);
        e.Edits[1]->setText("A1*");
        e.LastEdit = e.Edits[1];
        e.InsertAttribute();
        QTest::mouseDClick(e.Edits[2], Qt::LeftButton);
        e.InsertProperty();
        return Accept(d);
    };
    Handlers["SelectAttributeDB"] = [](QDialog& d) {
        Child<QListWidget>(d, "ListBox1")->setCurrentRow(1);
        return Accept(d);
    };
    Handlers["ExpressionMemoDB"] = [](QDialog& d) {
        Child<QPlainTextEdit>(d, "Memo1")->setPlainText("2\n+");
        return Accept(d);
    };
    Handlers["SelectPropertiesDB"] = [](QDialog& d) { return Accept(d); };
    Click(7);
    EXPECT_EQ(w.NodeSizeExpressions[1], "A1*A2");
    EXPECT_EQ(w.NodeSizeExpressions[2], "2+ne"); // the memo drops its line breaks
    Handlers["WidthExpressionsDB"] = [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Desire Line Expressions");
        EXPECT_EQ(Child<QLineEdit>(d, "Edit1")->text(), "P1");
        Child<QLineEdit>(d, "Edit1")->setText("P1*2");
        return Accept(d);
    };
    Click(14);
    EXPECT_EQ(w.SystemExpression, "P1*2");

    // Intervals: "&Nominal", and a bound that is no number keeps the dialog open.
    Handlers["WidthIntervalsDB"] = [](QDialog& d) {
        Press(d, "NominalButton");
        auto* top = Child<QLineEdit>(d, "TopEdit12");
        top->setText("abc");
        Press(d, "OKButton");
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_TRUE(Red(top));
        EXPECT_EQ(Child<QTabWidget>(d, "PageControl1")->currentIndex(), 1);
        top->setText("250.5");
        Press(d, "OKButton");
        return d.result();
    };
    Click(10);
    for (int k = 1; k <= 40; ++k) EXPECT_EQ(w.LinkWidths[size_t(k)], k);
    EXPECT_EQ(w.LinkTop[12], 250.5);

    // Put, change, Get (names in any letters): the file gives them back; a file
    // cut short changes nothing.
    Handlers["SaveDialog1"] = Choose(Path("Ωwidths"));
    Click(11);
    EXPECT_EQ(Pad->View.WidthsFile, Path("Ωwidths.wdt"));
    const TWidthSettings put = w;
    w.LinkWidths[5] = 99;
    w.LinkTop[1] = -7;
    std::ifstream in(Path("Ωwidths.wdt"), std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    { std::ofstream(Path("cut.wdt"), std::ios::binary) << whole.substr(0, whole.size() / 3); }
    Handlers["OpenDialog1"] = Choose(Path("cut.wdt"));
    Click(13);
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Text, "Valid widths file not found.");
    EXPECT_EQ(Boxes.Last().Caption, "Get Widths");
    EXPECT_EQ(w.LinkTop[1], -7);
    EXPECT_EQ(w.LinkWidths[5], 99);
    Handlers["OpenDialog1"] = Choose(Path("Ωwidths.wdt"));
    Click(13);
    EXPECT_EQ(w.LinkWidths, put.LinkWidths);
    EXPECT_EQ(w.LinkTop, put.LinkTop);

    auto file = SaveAndReopen(*Pad, "widths.dta");
    EXPECT_EQ(file->Widths.NodeStyleMode, 9);
    EXPECT_EQ(file->Widths.LinkStyleMode, 1);
    EXPECT_EQ(file->Widths.NodeSizeExpressions[1], "A1*A2");
    EXPECT_EQ(file->Widths.LinkWidths[7], 7);
    EXPECT_EQ(file->Display.DesireLinePlacement, 1);
    Click(12); // Clear Widths
    EXPECT_EQ(w.LinkWidths[5], 5);
    EXPECT_TRUE(w.NodeSizeExpressions[1].empty());
}

namespace {

// A JPEG of w x h: red on the left half, near-white on the right.
bool WritePhoto(const QString& path, int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(240, 240, 240));
    QPainter(&img).fillRect(0, 0, w / 2, h, QColor(220, 30, 30));
    return img.save(path, "JPG", 95);
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

TEST_F(SettingsDialogs, JpegBackgroundsLoadWholeOrNotAtAll)
{
    const QString photo = Dir.filePath("Zürich.jpg"), damaged = Dir.filePath("damaged.jpg");
    const QString foreign = Dir.filePath(QString::fromUtf8("\u5730\u56fe.jpg"));
    ASSERT_TRUE(WritePhoto(photo, 80, 60));
    ASSERT_TRUE(WritePhoto(foreign, 80, 60));
    QFile whole(photo);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    ASSERT_TRUE(WriteBytes(damaged, whole.readAll().left(300)));
    TBackgrounds& b = Pad->Settings.Backgrounds;
    ASSERT_EQ(b.Raster[1].FileName, "C:\\maps\\city.jpg"); // from the file: not found here, kept

    // Slot 1 the photo, slot 2 a damaged file: red, the box, nothing changed.
    std::vector<QString> chosen = {photo, damaged};
    Handlers["OpenPictureDialog"] = [&chosen](QDialog& d) {
        auto& f = static_cast<QFileDialog&>(d);
        EXPECT_EQ(d.windowTitle(), "Open JPEG Image");
        EXPECT_EQ(f.nameFilters(), QStringList({"JPEG Image (*.jpg)", "All Files (*)"}));
        f.selectFile(chosen.front());
        chosen.erase(chosen.begin());
        return Accept(d);
    };
    Handlers["BackgroundsDB"] = [this, foreign, &chosen](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Background Graphics -- JPEG");
        EXPECT_FALSE(Child<QWidget>(d, "PromoteButton")->isEnabled());
        Press(d, "ReferenceButton");
        EXPECT_EQ(Child<QLineEdit>(d, "XScaleEdit1")->text(), "1");
        Child<QTabWidget>(d, "PageControl1")->setCurrentIndex(1);
        EXPECT_TRUE(Child<QWidget>(d, "PromoteButton")->isEnabled());
        QTest::mouseDClick(Child<QLineEdit>(d, "NameEdit2"), Qt::LeftButton); // Reference too
        Press(d, "OKButton");
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_TRUE(Red(Child<QLineEdit>(d, "NameEdit2")));
        EXPECT_FALSE(Red(Child<QLineEdit>(d, "NameEdit1")));
        EXPECT_EQ(Boxes.Last().Text, "Error in file or setting.");
        EXPECT_EQ(Boxes.Last().Caption, "Backgrounds");
        EXPECT_EQ(Pad->Settings.Backgrounds.Raster[1].FileName, "C:\\maps\\city.jpg");
        EXPECT_EQ(Pad->BackgroundImages->Raster(1), nullptr);
        // A name the network file cannot store (Latin-1 lacks its letters) is
        // refused by name; a number that is no number turns its edit red.
        chosen.push_back(foreign);
        Press(d, "ReferenceButton");
        Child<QLineEdit>(d, "YEdit1")->setText("abc");
        Press(d, "OKButton");
        EXPECT_TRUE(Red(Child<QLineEdit>(d, "NameEdit2")));
        EXPECT_TRUE(Red(Child<QLineEdit>(d, "YEdit1")));
        EXPECT_NE(Boxes.Last().Text.find(foreign.toStdString()), std::string::npos) << Boxes.Last().Text;
        Press(d, "RemoveButton");
        Child<QLineEdit>(d, "YEdit1")->setText("-30");
        Press(d, "OKButton");
        return d.result();
    };
    ASSERT_TRUE(Trigger(Pad, "BackgroundGraphics1"));
    EXPECT_EQ(Boxes.Count(), 2u);
    EXPECT_EQ(b.Raster[1].FileName, photo.toLatin1().toStdString()); // as the network file keeps names
    EXPECT_EQ(b.Raster[1].Y, -30);
    EXPECT_TRUE(b.Raster[2].FileName.empty());
    const QImage* picture = Pad->BackgroundImages->Raster(1);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->size(), QSize(80, 60));
    EXPECT_EQ(Pad->View.Saved, 0);
    EXPECT_EQ(View->View.Saved, 1);
    EXPECT_EQ(View->BackgroundImages->Raster(1), nullptr);
    EXPECT_GT(InkNear(*Pad, Draw(*Pad), 10, -20), 30); // the red half, beneath the network
    // Saved into a folder named in any letters, with the picture moved there
    // too, the network opened from there finds it beside itself and draws it.
    ASSERT_TRUE(QDir(Dir.path()).mkdir("Ωmaps"));
    ASSERT_TRUE(SaveAs(*Pad, "Ωmaps/plan.dta"));
    ASSERT_TRUE(QFile::rename(photo, Dir.filePath("Ωmaps/Zürich.jpg")));
    const std::vector<TSketchPadWindow*> reopened = Main->OpenFiles({Path("Ωmaps/plan.dta")});
    ASSERT_EQ(reopened.size(), 1u);
    EXPECT_GT(InkNear(*reopened[0], Draw(*reopened[0]), 10, -20), 30);
    ASSERT_TRUE(QFile::rename(Dir.filePath("Ωmaps/Zürich.jpg"), photo));
    Main->PadActivated(Pad);

    // A view made now shares the picture. Cancel after edits keeps it all.
    TSketchPadWindow* second = Main->NewView();
    Main->PadActivated(Pad);
    EXPECT_EQ(second->BackgroundImages->Raster(1), picture);
    Handlers["BackgroundsDB"] = [](QDialog& d) {
        Press(d, "DemoteButton");
        Press(d, "RemoveButton");
        return int(QDialog::Rejected);
    };
    ASSERT_TRUE(Trigger(Pad, "BackgroundGraphics1"));
    EXPECT_EQ(Pad->BackgroundImages->Raster(1), picture);
    EXPECT_EQ(b.Raster[1].FileName, photo.toLatin1().toStdString());

    // Demote moves the slot with its picture (not read again); the view keeps its own.
    // The frame of the selected picture is gone before the dialog opens.
    ASSERT_TRUE(Pad->Handles->SelectBackground({1, 0}));
    ASSERT_TRUE(Pad->Handles->FrameShown);
    Handlers["BackgroundsDB"] = [this](QDialog& d) {
        EXPECT_FALSE(Pad->Handles->FrameShown);
        EXPECT_EQ(Pad->Handles->SelectedRaster, 0);
        Press(d, "DemoteButton");
        EXPECT_EQ(Child<QLineEdit>(d, "YEdit2")->text(), "-30");
        EXPECT_TRUE(Child<QLineEdit>(d, "NameEdit1")->text().isEmpty());
        return Accept(d);
    };
    ASSERT_TRUE(Trigger(Pad, "BackgroundGraphics1"));
    EXPECT_FALSE(Pad->Handles->FrameShown);
    EXPECT_TRUE(Pad->Handles->Controls[0]->isHidden());
    EXPECT_EQ(Pad->BackgroundImages->Raster(2), picture);
    EXPECT_EQ(Pad->BackgroundImages->Raster(1), nullptr);
    EXPECT_EQ(b.Raster[2].Y, -30);
    Handlers["BackgroundsDB"] = [](QDialog& d) {
        Child<QTabWidget>(d, "PageControl1")->setCurrentIndex(1);
        Press(d, "RemoveButton");
        return Accept(d);
    };
    ASSERT_TRUE(Trigger(Pad, "BackgroundGraphics1"));
    EXPECT_EQ(Pad->BackgroundImages->Raster(2), nullptr);
    ASSERT_EQ(second->BackgroundImages->Raster(1), picture); // still held, still whole
    EXPECT_EQ(picture->size(), QSize(80, 60));
    EXPECT_TRUE(b.Raster[2].FileName.empty());
}

TEST_F(SettingsDialogs, MetafilesUnderlayAndTitleBlock)
{
    const QString svg = Dir.filePath("drawing.svg"), emf = Dir.filePath("plan.emf");
    ASSERT_TRUE(WriteBytes(svg, BlueSvg));
    ASSERT_TRUE(WriteBytes(emf, QByteArray("\x01\x00\x00\x00 not an svg", 16)));
    QString chosen = emf;
    Handlers["OpenPictureDialog"] = [&chosen](QDialog& d) {
        auto& f = static_cast<QFileDialog&>(d);
        EXPECT_EQ(d.windowTitle(), "Open Windows Metafile");
        // Only what loads here is offered.
        EXPECT_EQ(f.nameFilters(), QStringList({"SVG Image (*.svg)", "All Files (*)"}));
        f.selectFile(chosen);
        return Accept(d);
    };
    auto* clip = new QMimeData;
    clip->setData("image/svg+xml", BlueSvg);
    QApplication::clipboard()->setMimeData(clip);
    Handlers["WMFDB"] = [&chosen](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Background Graphics -- Metafiles");
        Press(d, "ReferenceButton");
        Press(d, "OKButton");
        EXPECT_TRUE(Red(Child<QLineEdit>(d, "NameEdit1")));
        chosen = QString::fromStdString(chosen.toStdString()).replace("plan.emf", "drawing.svg");
        Press(d, "ReferenceButton");
        Child<QTabWidget>(d, "PageControl1")->setCurrentIndex(1);
        Press(d, "ClipboardButton");
        EXPECT_EQ(Child<QLineEdit>(d, "NameEdit2")->text(), "Clipboard");
        Child<QTabWidget>(d, "PageControl1")->setCurrentIndex(2);
        Press(d, "ClipboardButton");
        Press(d, "OKButton");
        return d.result();
    };
    ASSERT_TRUE(Trigger(Pad, "WMF1"));
    const TBackgrounds& b = Pad->Settings.Backgrounds;
    EXPECT_EQ(b.Metafile[1].FileName, svg.toStdString());
    EXPECT_EQ(b.Metafile[2].FileName, "Clipboard");
    ASSERT_NE(Pad->BackgroundImages->Metafile(1), nullptr);
    ASSERT_NE(Pad->BackgroundImages->Metafile(2), nullptr);
    EXPECT_EQ(Pad->BackgroundImages->Metafile(2)->defaultSize(), QSize(30, 20));
    // With no drawing on the clipboard the slot stays empty, and OK succeeds.
    QApplication::clipboard()->clear();
    Handlers["WMFDB"] = [](QDialog& d) {
        Child<QTabWidget>(d, "PageControl1")->setCurrentIndex(3);
        Press(d, "ClipboardButton");
        Press(d, "OKButton");
        return d.result();
    };
    ASSERT_TRUE(Trigger(Pad, "WMF1"));
    EXPECT_EQ(b.Metafile[4].FileName, "Clipboard");
    EXPECT_EQ(Pad->BackgroundImages->Metafile(4), nullptr);
    EXPECT_NE(Pad->BackgroundImages->Metafile(2), nullptr); // kept: not chosen anew

    // Underlay: a stored number no window has is kept; the window itself leaves it.
    Main->NewSchema();
    Main->PadActivated(Pad);
    Pad->Settings.Backgrounds.Underlay = 9;
    int pick = -1;
    Handlers["UnderlayDB"] = [&pick](QDialog& d) {
        auto* c = Child<QComboBox>(d, "ComboBox1");
        EXPECT_EQ(c->count(), 4);
        EXPECT_EQ(c->itemText(0), "None");
        if (pick < 0) {
            EXPECT_EQ(c->currentIndex(), -1);
        }
        c->setCurrentIndex(pick);
        return Accept(d);
    };
    // The underlay is not kept in the file: choosing one leaves every window
    // saved, and closing asks nothing.
    for (TSketchPadWindow* w : Main->SketchPads) w->View.Saved = 1;
    const size_t boxes = Boxes.Count();
    for (int choice : {-1, 1, 3}) {
        pick = choice;
        ASSERT_TRUE(Trigger(Pad, "Underlay1"));
        EXPECT_EQ(b.Underlay, choice == 3 ? 3 : 9) << choice;
    }
    for (TSketchPadWindow* w : Main->SketchPads) EXPECT_EQ(int(w->View.Saved), 1) << w->WindowNumber;
    EXPECT_TRUE(Main->FormCloseQuery(*Pad));
    EXPECT_EQ(Boxes.Count(), boxes);

    // The title block: texts, flags, the font labels choose their slots.
    Pad->View.Saved = View->View.Saved = 1;
    Handlers["DescriptionBox"] = [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Description");
        Child<QLineEdit>(d, "projecteb")->setText(QString::fromUtf8("Ring road \u20ac\u00ff"));
        Child<QLineEdit>(d, "customereb")->setText("County");
        Child<QPlainTextEdit>(d, "descriptioneb")->setPlainText("one\ntwo");
        Press(d, "docustomercb");
        Press(d, "drawboxcb");
        Child<QSpinBox>(d, "xeb")->setValue(1234);
        auto* font = Child<QLabel>(d, "customerfontlb");
        EXPECT_EQ(font->toolTip(), "Double-click to change");
        QTest::mouseDClick(font, Qt::LeftButton);
        EXPECT_EQ(font->text(), "F3");
        return Accept(d);
    };
    Handlers["LabelFontDB"] = [](QDialog& d) {
        Child<QListWidget>(d, "ListBox1")->setCurrentRow(3);
        return Accept(d);
    };
    ASSERT_TRUE(Trigger(Pad, "Description1"));
    const TDescription& t = Pad->Settings.Description;
    EXPECT_EQ(t.Project, "Ring road \x80\xFF");
    EXPECT_EQ(t.DescriptionText, "one\r\ntwo");
    EXPECT_EQ(t.ShowAuthor, 1);
    EXPECT_EQ(t.ShowClient, 1);
    EXPECT_EQ(t.DrawBox, 1);
    EXPECT_EQ(t.X, 1234);
    EXPECT_EQ(t.ClientFont, 3);
    EXPECT_EQ(t.Client, "County");
    EXPECT_EQ(View->View.Saved, 0); // saved with the network
    EXPECT_TRUE(View->Settings.Description.Project.empty());

    auto file = SaveAndReopen(*Pad, "settings.dta");
    EXPECT_EQ(file->Description.Project, "Ring road \x80\xFF");
    EXPECT_EQ(file->Description.Client, "County");
    EXPECT_EQ(file->Description.ClientFont, 3);
    EXPECT_EQ(file->Description.ShowClient, 1);
    EXPECT_EQ(file->Backgrounds.Metafile[1].FileName, svg.toStdString());
    EXPECT_TRUE(file->Backgrounds.Metafile[2].FileName.empty()); // a clipboard drawing is not kept in files
}
