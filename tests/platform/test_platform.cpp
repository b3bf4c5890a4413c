#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHeaderView>
#include <QTreeView>
#include <QImage>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include "platform/HelpViewer.h"
#include "platform/Latin1.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"
#include "platform/WindowPlacement.h"

static std::string Path(const QTemporaryDir& d, const char* name) { return d.filePath(name).toStdString(); }

TEST(Registry, ValuesRoundTripThroughTheIniFile)
{
    QTemporaryDir dir;
    const std::string ini = Path(dir, "t.ini");
    {
        TRegistry r(ini);
        r.OpenKey("\\Software\\ZOK7\\ClosedFiles");
        r.WriteString("file1", "/data/net one.dta");
        r.WriteString("filepref1", "13,0,0,0,0,10,0,0,0,1,0,-1,-1,1,");
        ASSERT_TRUE(r.Flush());
    }
    TRegistry r(ini);
    r.OpenKey("\\Software\\ZOK7\\ClosedFiles");
    auto names = r.GetValueNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"file1", "filepref1"}));
    EXPECT_EQ(r.ReadString("file1"), "/data/net one.dta");
    EXPECT_EQ(r.ReadString("filepref1"), "13,0,0,0,0,10,0,0,0,1,0,-1,-1,1,");
    r.OpenKey("\\Software\\Other");
    EXPECT_TRUE(r.GetValueNames().empty());
}

TEST(Registry, HandEditedListValueReadsAsOneText)
{
    QTemporaryDir dir;
    QFile f(dir.filePath("t.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Software]\nZOK7\\ClosedFiles\\filepref1=13,0,0,\n");
    f.close();
    TRegistry r(Path(dir, "t.ini"));
    r.OpenKey("\\Software\\ZOK7\\ClosedFiles");
    EXPECT_EQ(r.ReadString("filepref1"), "13,0,0,");
}

// The program folder may be named in any letters.
static QString ProgramFolderTemplate() { return QDir::tempPath() + "/Ωtarvex-XXXXXX"; }

TEST(SymbolBitmaps, IndexesFollowTheFilesPresentAndLinkStylesNeed24Bits)
{
    QTemporaryDir dir(ProgramFolderTemplate());
    QImage rgb(8, 8, QImage::Format_RGB888);
    rgb.fill(Qt::red);
    ASSERT_TRUE(rgb.save(dir.filePath("ZOKNode1.bmp"), "BMP"));
    ASSERT_TRUE(rgb.save(dir.filePath("ZOKNode3.bmp"), "BMP"));
    ASSERT_TRUE(rgb.save(dir.filePath("ZOKLink1.bmp"), "BMP"));
    QImage indexed = rgb.convertToFormat(QImage::Format_Indexed8);
    ASSERT_TRUE(indexed.save(dir.filePath("ZOKLink2.bmp"), "BMP"));
    QFile junk(dir.filePath("ZOKFill1.bmp"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("BM");
    junk.close();

    EXPECT_EQ(BmpBitsPerPixel(Path(dir, "ZOKLink1.bmp")), 24);
    EXPECT_LT(BmpBitsPerPixel(Path(dir, "ZOKLink2.bmp")), 24); // indexed
    EXPECT_EQ(BmpBitsPerPixel(Path(dir, "ZOKFill1.bmp")), 0);

    TSymbolBitmaps s;
    s.Load(dir.path().toStdString());
    EXPECT_EQ(s.NodeBitmapIndex[1], 0);
    EXPECT_EQ(s.NodeBitmapIndex[2], -1);
    EXPECT_EQ(s.NodeBitmapIndex[3], 1);
    EXPECT_EQ(s.LinkBitmapIndex[1], 0);
    EXPECT_EQ(s.LinkBitmapIndex[2], -1);
    EXPECT_EQ(s.FillBitmapIndex[1], -1);
    EXPECT_EQ(s.NodeBitmaps.size(), 2u);
}

TEST(HelpViewer, ContentsAndIndexShowTheDefaultTopic)
{
    QTemporaryDir dir(ProgramFolderTemplate());
    QFile f(dir.filePath("index.html"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html><body><h1>Tarvex</h1></body></html>");
    f.close();
    THelpViewer help(dir.path().toStdString());
    help.ShowKeyword("Contents");
    EXPECT_EQ(help.CurrentPage(), "index.html");
    help.ShowTopic(1234);
    EXPECT_EQ(help.CurrentPage(), "index.html");
    EXPECT_TRUE(help.toPlainText().contains("Tarvex"));

    THelpViewer missing(dir.filePath("nowhere").toStdString());
    missing.ShowKeyword("Index");
    EXPECT_EQ(missing.CurrentPage(), "");
}

TEST(Fonts, DejaVuSansIsInstalled)
{
    // Without it labels and dialogs draw empty boxes and nothing warns.
    EXPECT_TRUE(QFontDatabase::families().contains("DejaVu Sans"));
}

TEST(DialogFit, TheFileListShowsEveryColumnWhole)
{
    QObject owner;
    InstallDialogFitter(&owner);
    QWidget frame;
    QFileDialog d(&frame, "Open");
    d.setOption(QFileDialog::DontUseNativeDialog, true);
    d.setDirectory(QDir::tempPath());
    d.show();
    QApplication::processEvents();
    EXPECT_GE(d.width(), 760);
    QTreeView* list = d.findChild<QTreeView*>("treeView");
    ASSERT_NE(list, nullptr);
    const QHeaderView* h = list->header();
    ASSERT_GE(h->count(), 4);
    for (int c = 1; c < h->count(); ++c) {
        const QString title = h->model()->headerData(c, Qt::Horizontal).toString();
        EXPECT_GE(h->sectionSize(c), h->fontMetrics().horizontalAdvance(title)) << title.toStdString();
        EXPECT_EQ(h->sectionResizeMode(c), QHeaderView::ResizeToContents) << title.toStdString();
    }
    d.hide();
}

// Every byte crosses into Qt and back, the last one (0xFF, U+00FF) too.
TEST(Latin1, EveryByteCrossesBothWays)
{
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(char(b));
    const QString shown = Latin1(all);
    ASSERT_EQ(shown.size(), 256);
    for (int b = 0; b < 256; ++b) EXPECT_EQ(shown[b].unicode(), b);
    EXPECT_EQ(Bytes(shown), all);
    EXPECT_EQ(Bytes(QString(QChar(0x00FF))), "\xFF");
    EXPECT_EQ(Bytes(Latin1("y\xFFy")), "y\xFFy");
}

// A message that names a file as the disk spells it shows the name whole.
TEST(MessageBoxes, AMessageNamingAFileShowsItWhole)
{
    TQtMessageBoxes boxes;
    QString shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&shown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    poll.start(10);
    ShowMessageNamingFiles(boxes, "Close: Σmega.dta", "Do you want to save?", MB_OK);
    EXPECT_EQ(shown, "Close: Σmega.dta");
}
