// The file dialogs of the tools: what their "All files" entries list, and the
// extension that a batch step's file name takes when it has none of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include <QComboBox>
#include <QFileDialog>
#include <QRegularExpression>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/WindowSettings.h"
#include "core/shapes/BatchScript.h"
#include "core/shapes/ShapeExport.h"
#include "tools/ExtractDialog.h"
#include "tools/ShapeFileComplexDialog.h"
#include "tools/ShapeFileDialogs.h"
#include "tools/Tiger2000Dialog.h"
#include "../core/tables/tables_fixture.h"
#include "../shell/file_dialog_listing.h"

using filedialogtest::ListedUnder;

namespace {

struct ToolFileDialogs : ::testing::Test {
    QTemporaryDir Dir;
    TNetwork Net;
    TWindowSettings Settings;
    TViewRecord View;

    void SetUp() override
    {
        // A table that Extract wrote without an extension, and one with.
        for (const char* name : {"links", "links.txt"}) std::ofstream(Dir.filePath(name).toStdString()) << "1\r\n";
    }
    // Whether the dialog's "All files" entry, shown as such, lists "links".
    void ExpectAllFilesListsLinks(QFileDialog& d)
    {
        SCOPED_TRACE(d.objectName().toStdString());
        const QStringList filters = d.nameFilters();
        EXPECT_TRUE(filters.contains("All files (*)", Qt::CaseInsensitive)) << filters.join(";;").toStdString();
        const QStringList listed = ListedUnder(d, Dir.path(), "All files", "links.txt");
        EXPECT_TRUE(listed.contains("links")) << listed.join(' ').toStdString();
    }
};

} // namespace

TEST_F(ToolFileDialogs, AllFilesListsNamesWithoutAnExtension)
{
    TExtractDB extract(Net, Settings, View);
    for (QFileDialog* d : {extract.UpdateDB, extract.ExtractDB, extract.OpenFormatsDialog, extract.SaveFormatsDialog})
        ExpectAllFilesListsLinks(*d);
    TShapeFileDB import(ProgramShapeSettings());
    ExpectAllFilesListsLinks(*import.ShapeDB);
    TShapeExportDB exportDialog(Net, Settings, View);
    ExpectAllFilesListsLinks(*exportDialog.ExportDB);
    TTiger2000DB tiger(Net, Settings);
    ExpectAllFilesListsLinks(*tiger.TigerDB);

    TComplexShapeFileDB batch;
    for (QFileDialog* d : {batch.SaveSpecDB, batch.OpenSpecDB}) ExpectAllFilesListsLinks(*d);
    // A "No Action" row's file dialog opens on "All files".
    bool asked = false;
    batch.RunFileDialog = [&](QFileDialog& d) {
        asked = true;
        EXPECT_TRUE(d.selectedNameFilter().startsWith("All files"));
        ExpectAllFilesListsLinks(d);
        return false;
    };
    batch.ChooseFileName(1);
    EXPECT_TRUE(asked);
}

TEST_F(ToolFileDialogs, BatchFileNameTypedWithoutExtensionTakesTheRowsOne)
{
    TComplexShapeFileDB batch;
    // What the user types into the row's dialog, and the filter picked there ("" keeps the row's).
    QString typed, picked;
    batch.RunFileDialog = [&](QFileDialog& d) {
        d.setDirectory(Dir.path());
        if (!picked.isEmpty()) {
            // Picked with the arrow keys on the dialog's list of filters.
            auto* types = d.findChild<QComboBox*>("fileTypeCombo");
            EXPECT_NE(types, nullptr);
            const int to = int(d.nameFilters().indexOf(QRegularExpression("^" + picked + " \\(.*")));
            while (types && to >= 0 && types->currentIndex() != to)
                QTest::keyClick(types, types->currentIndex() < to ? Qt::Key_Down : Qt::Key_Up);
        }
        auto* name = d.findChild<QLineEdit*>("fileNameEdit");
        EXPECT_NE(name, nullptr);
        if (!name) return false;
        // Typed over the name the row had.
        QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(name, typed);
        return true;
    };
    auto chosen = [&](int operation, const char* name, const char* filter = "") {
        batch.ComboBoxes[1]->setCurrentIndex(operation);
        typed = name;
        picked = filter;
        batch.ChooseFileName(1);
        return QFileInfo(batch.Edits[1]->text()).fileName().toStdString();
    };
    EXPECT_EQ(chosen(BatchShapefileImport, "roads"), "roads.shp");
    EXPECT_EQ(chosen(BatchCalculate, "fares"), "fares.pgm");
    EXPECT_EQ(chosen(BatchGetUpdateFormats, "layout"), "layout.xup");
    EXPECT_EQ(chosen(BatchDoUpdate, "counts"), "counts.txt") << "the first of the update file's extensions";
    EXPECT_EQ(chosen(BatchSaveAs, "city"), "city.dta");
    EXPECT_EQ(chosen(BatchShapefileImport, "roads.dbf"), "roads.dbf") << "a name with an extension keeps it";
    // A dot inside a name is no extension.
    EXPECT_EQ(chosen(BatchSaveAs, "AM peak 7.30"), "AM peak 7.30.dta");
    EXPECT_EQ(chosen(BatchDoUpdate, "counts v2.1"), "counts v2.1.txt");
    // Every file's entry adds none; a filter the user picks gives its own.
    EXPECT_EQ(chosen(BatchNoAction, "lanes"), "lanes");
    EXPECT_EQ(chosen(BatchShapefileImport, "roads", "All files"), "roads");
    EXPECT_EQ(chosen(BatchOpenNetwork, "roads", "ArcGIS shapefile"), "roads.shp");
    // A table that is there without an extension keeps its name (which its
    // filter does not list).
    EXPECT_EQ(chosen(BatchDoUpdate, "links"), "links");
}

// A name with letters beyond ASCII typed into a tool's file dialog names that
// file as the disk spells it (UTF-8): the dialogs that write make it, and
// those that read find it.
TEST_F(ToolFileDialogs, NamesBeyondAsciiNameTheseFilesOnDisk)
{
    tabletest::MakeNetwork(Net, Settings);
    ForEachNode(Net, [](TNode* n) { n->Longitude = -1224200000, n->Latitude = 377700000; });
    TMessageSinkRecorder boxes;
    TExtractDB extract(Net, Settings, View);
    TShapeExportDB exporter(Net, Settings, View);
    TShapeFileDB importer(ProgramShapeSettings());
    TComplexShapeFileDB batch;
    extract.Boxes = exporter.Boxes = importer.Boxes = &boxes;
    batch.MessageBoxes = [&boxes]() -> TMessageSink& { return boxes; };
    exporter.Choice->button(ShapeExportNodes)->click();
    const char* typed = nullptr;
    auto typing = [this, &typed](QFileDialog& d) {
        d.setDirectory(Dir.path());
        auto* name = d.findChild<QLineEdit*>("fileNameEdit");
        EXPECT_NE(name, nullptr);
        if (!name) return false;
        QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
        for (QChar c : QString::fromUtf8(typed))
            QTest::sendKeyEvent(QTest::Click, name, Qt::Key_unknown, QString(c), Qt::NoModifier);
        return true;
    };
    for (auto* run : {&extract.RunFileDialog, &exporter.RunFileDialog, &importer.RunFileDialog, &batch.RunFileDialog})
        *run = typing;
    struct TUse {
        const char* Typed;
        std::function<void()> Write, Read;
    };
    const TUse uses[] = {
        {"Zürich Ωmega.txt", [&] { extract.Button1Click(); }, [&] { extract.Button2Click(); }},
        {"Zürich Ωmega.xup", [&] { extract.Button4Click(); }, [&] { extract.Button3Click(); }},
        {"Zürich Ωmega.shp", [&] { exporter.Button3Click(); }, [&] { importer.Button4Click(); }},
        {"Zürich Ωmega.sfs", [&] { batch.SaveClick(); }, [&] { batch.OpenClick(); }},
    };
    for (const TUse& u : uses) {
        typed = u.Typed;
        u.Write();
    }
    const std::string folder = Dir.path().toStdString();
    std::set<std::string> written;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().starts_with("Z")) written.insert(e.path().filename().string());
    EXPECT_EQ(written, (std::set<std::string>{"Zürich Ωmega.txt", "Zürich Ωmega.xup", "Zürich Ωmega.shp",
                                              "Zürich Ωmega.shx", "Zürich Ωmega.sfs"}));
    // Read: each finds its file and says nothing more.
    boxes.Clear();
    for (const TUse& u : uses) {
        typed = u.Typed;
        u.Read();
    }
    std::vector<std::string> said;
    for (const auto& c : boxes.Calls) said.push_back(c.Text);
    EXPECT_EQ(said, std::vector<std::string>{"Network in memory will be modified."});
}
