// The file dialogs of the tools: what their "All files" entries list.
#include <gtest/gtest.h>

#include <fstream>

#include <QFileDialog>
#include <QTemporaryDir>

#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "tools/ExtractDialog.h"
#include "tools/ShapeFileComplexDialog.h"
#include "tools/ShapeFileDialogs.h"
#include "tools/Tiger2000Dialog.h"
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
