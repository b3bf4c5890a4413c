// Background pictures of a network: names from Windows found beside the
// network file, entries that cannot be loaded here kept and saved as they
// were, the pictures shared by a network's windows, read again after an
// append, and drawn beneath the network.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include "../platform/jpeg_support.h"
#include "core/Messages.h"
#include "core/NetworkFile.h"
#include "shell/BackgroundImages.h"
#include "shell/MainWindow.h"
#include "shell/NetworkFileIO.h"
#include "shell/SketchPad.h"
#include "test_draw_support.h"

namespace {

std::string S(const QString& s) { return s.toStdString(); }

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray ReadFile(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QByteArray Svg30x20 = "<svg xmlns='http://www.w3.org/2000/svg' width='30' height='20'>"
                            "<rect width='30' height='20' fill='#0000ff'/></svg>";

bool Near(QColor c, int r, int g, int b, int tolerance = 16)
{
    return std::abs(c.red() - r) <= tolerance && std::abs(c.green() - g) <= tolerance &&
           std::abs(c.blue() - b) <= tolerance;
}

} // namespace

TEST(Backgrounds, WindowsNamesAreFoundBesideTheNetwork)
{
    QTemporaryDir dir;
    QDir root(dir.path());
    ASSERT_TRUE(root.mkpath("net/sub") && root.mkpath("other"));
    for (const char* f : {"net/map.jpg", "net/sub/a.jpg", "other/b.jpg", "net/x\\y.jpg"})
        ASSERT_TRUE(WriteFile(root.filePath(f), "x"));
    const std::string net = S(root.filePath("net/net.dta"));
    auto in = [&](const char* f) { return S(root.filePath(f)); };

    EXPECT_EQ(ResolveBackgroundPath(in("other/b.jpg"), net), in("other/b.jpg"));
    // A name that exists as stored wins, backslash and all.
    EXPECT_EQ(ResolveBackgroundPath("x\\y.jpg", net), in("net/x\\y.jpg"));
    // Backslashes as slashes: a relative name from the network's folder, an absolute one as it is.
    EXPECT_EQ(ResolveBackgroundPath("sub\\a.jpg", net), in("net/sub/a.jpg"));
    EXPECT_EQ(ResolveBackgroundPath(S(dir.path()) + "/other\\b.jpg", net), in("other/b.jpg"));
    // Then the last component beside the network file.
    EXPECT_EQ(ResolveBackgroundPath("C:\\Survey 2001\\map.jpg", net), in("net/map.jpg"));
    EXPECT_EQ(ResolveBackgroundPath("/elsewhere/map.jpg", net), in("net/map.jpg"));
    // Nothing there, a folder, an empty last component, no name.
    EXPECT_EQ(ResolveBackgroundPath("\\\\server\\share\\gone.jpg", net), "");
    EXPECT_EQ(ResolveBackgroundPath("sub", net), "");
    EXPECT_EQ(ResolveBackgroundPath("C:\\Survey\\", net), "");
    EXPECT_EQ(ResolveBackgroundPath("", net), "");
}

TEST(Backgrounds, EntriesThatCannotBeLoadedStayNamedAndAreSavedUnchanged)
{
    QTemporaryDir dir;
    ASSERT_TRUE(testjpeg::WriteJpeg(dir.filePath("photo.jpg"), 20, 10));
    ASSERT_TRUE(WriteFile(dir.filePath("garbage.jpg"), "not a picture"));
    ASSERT_TRUE(WriteFile(dir.filePath("plan.emf"), QByteArray("\x01\x00\x00\x00\x6c\x00\x00\x00 EMF", 12)));
    ASSERT_TRUE(WriteFile(dir.filePath("plan.svg"), Svg30x20));

    TNetwork a;
    TBackgrounds& b = a.Backgrounds;
    b.Raster[1] = {"C:\\Survey\\photo.jpg", 5, -7.5, 2, 0.5};
    b.Raster[2] = {"missing.jpg", 3, 4, 1, 1};
    b.Raster[3] = {"garbage.jpg", 1, 2, 3, 4};
    b.Metafile[1] = {"plan.emf", 4, 4, -1, 1};
    b.Metafile[2] = {"D:\\plans\\plan.svg", 0, 0, 1, 1};
    b.JpegOnTop = 1;
    TMessageSinkRecorder sink;
    const std::string first = S(dir.filePath("net.dta")), second = S(dir.filePath("again.dta"));
    ASSERT_TRUE(SaveNetworkFile(a, first, 9, sink).Ok);

    TNetwork opened;
    ASSERT_EQ(OpenNetworkFile(opened, first, true, sink).Status, TOpenStatus::Ok);
    TBackgroundImageSet images;
    images.Load(opened.Backgrounds, first);
    ASSERT_NE(images.Raster(1), nullptr);
    EXPECT_EQ(images.Raster(1)->size(), QSize(20, 10));
    EXPECT_EQ(images.Raster(2), nullptr);
    EXPECT_EQ(images.Raster(3), nullptr);
    EXPECT_EQ(images.Metafile(1), nullptr); // no metafile reader here: kept, undrawn
    ASSERT_NE(images.Metafile(2), nullptr);
    EXPECT_EQ(images.Metafile(2)->defaultSize(), QSize(30, 20));
    EXPECT_EQ(images.Raster(0), nullptr);
    EXPECT_EQ(images.Raster(11), nullptr);

    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(opened.Backgrounds.Raster[size_t(i)].FileName, b.Raster[size_t(i)].FileName);
        EXPECT_EQ(opened.Backgrounds.Raster[size_t(i)].X, b.Raster[size_t(i)].X);
        EXPECT_EQ(opened.Backgrounds.Raster[size_t(i)].YScale, b.Raster[size_t(i)].YScale);
    }
    EXPECT_EQ(opened.Backgrounds.Metafile[1].FileName, "plan.emf");
    EXPECT_EQ(opened.Backgrounds.Metafile[1].XScale, -1);
    ASSERT_TRUE(SaveNetworkFile(opened, second, 9, sink).Ok);
    EXPECT_EQ(ReadFile(second), ReadFile(first));
    EXPECT_TRUE(sink.Calls.empty());
}

TEST(Backgrounds, WindowsOfANetworkShareItsPicturesAndAnAppendReadsThemAgain)
{
    QTemporaryDir dir;
    ASSERT_TRUE(testjpeg::WriteJpeg(dir.filePath("photo.jpg"), 20, 10));
    const std::string netA = S(dir.filePath("a.dta")), netB = S(dir.filePath("b.dta"));
    TMessageSinkRecorder boxes;
    {
        TNetwork a;
        THashEntry* cell = nullptr;
        AddNode(a, 0, 0, cell, false, 0);
        a.Backgrounds.Raster[1].FileName = "C:\\Survey\\photo.jpg";
        RecomputeExtents(a);
        ASSERT_TRUE(SaveNetworkFile(a, netA, 9, boxes).Ok);
        TNetwork b;
        AddNode(b, 500, 500, cell, false, 0);
        RecomputeExtents(b);
        ASSERT_TRUE(SaveNetworkFile(b, netB, 9, boxes).Ok);
    }
    TNetworkFileIO io;
    TMainOptions o;
    o.IniFile = S(dir.filePath("t.ini"));
    o.ProgramDir = S(dir.path());
    o.ShowSplash = false;
    o.CommandLineFile = netA;
    auto main = std::make_unique<TZOKMainWindow>(o);
    main->SetMessageBoxes(&boxes);
    main->SetNetworkIO(&io);
    main->CreateFirstPad();
    ASSERT_EQ(main->PadCount(), 1);
    TSketchPadWindow* pad = main->SketchPads[0];
    ASSERT_NE(pad->BackgroundImages->Raster(1), nullptr);
    EXPECT_EQ(pad->BackgroundImages->Raster(1)->size(), QSize(20, 10));
    main->PadActivated(pad);
    TSketchPadWindow* view = main->NewView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->BackgroundImages, pad->BackgroundImages);

    // The picture changes on disk; appending to the view reads it again for both windows.
    ASSERT_TRUE(QFile::remove(dir.filePath("photo.jpg")));
    ASSERT_TRUE(testjpeg::WriteJpeg(dir.filePath("photo.jpg"), 8, 6));
    ASSERT_TRUE(io.Open(*view, netB, true, false, boxes));
    ASSERT_NE(pad->BackgroundImages->Raster(1), nullptr);
    EXPECT_EQ(pad->BackgroundImages->Raster(1)->size(), QSize(8, 6));
    EXPECT_EQ(pad->Network->Backgrounds.Raster[1].FileName, "C:\\Survey\\photo.jpg");

    main.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(Backgrounds, APictureIsDrawnBeneathTheNetwork)
{
    QTemporaryDir dir;
    ASSERT_TRUE(testjpeg::WriteJpeg(dir.filePath("photo.jpg"), 120, 60));
    ASSERT_TRUE(WriteFile(dir.filePath("plan.svg"), Svg30x20));
    const std::string net = S(dir.filePath("net.dta"));

    TDrawFixture f;
    f.Link(f.Node(20, 20), f.Node(100, 20));
    const QImage bare = f.Paint(200, 100);
    const QColor linkColour = bare.pixelColor(60, 30); // world (50, 20) plus the origin 10
    ASSERT_NE(linkColour, QColor(Qt::white));

    TBackgrounds b;
    b.Raster[1].FileName = "photo.jpg";
    b.Metafile[1] = {"plan.svg", 150, 0, 1, 1};
    TBackgroundImageSet images;
    images.Load(b, net);
    f.Pad.Backgrounds = &b;
    f.Pad.BackgroundImages = &images;
    QImage drawn = f.Paint(200, 100);
    // The picture's quarters at pixels 10..129 x 10..69, the link over it.
    EXPECT_TRUE(Near(drawn.pixelColor(15, 15), 220, 30, 30));
    EXPECT_TRUE(Near(drawn.pixelColor(125, 65), 240, 240, 240));
    EXPECT_TRUE(Near(drawn.pixelColor(15, 65), 40, 40, 210));
    EXPECT_EQ(drawn.pixelColor(60, 30), linkColour);
    EXPECT_EQ(drawn.pixelColor(140, 80), QColor(Qt::white));
    // The drawing at 160..190 x 10..30.
    EXPECT_TRUE(Near(drawn.pixelColor(175, 20), 0, 0, 255));

    // Half size: the picture ends at pixel 70 x 40.
    b.Raster[1].XScale = b.Raster[1].YScale = 0.5;
    drawn = f.Paint(200, 100);
    EXPECT_TRUE(Near(drawn.pixelColor(15, 15), 220, 30, 30));
    EXPECT_TRUE(Near(drawn.pixelColor(65, 35), 240, 240, 240));
    EXPECT_EQ(drawn.pixelColor(100, 50), QColor(Qt::white));
    EXPECT_EQ(drawn.pixelColor(60, 30), linkColour);
}
