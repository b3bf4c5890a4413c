// Background pictures: names from Windows found beside the network file,
// entries that cannot be loaded here kept and saved as they were, the
// pictures shared by a network's windows and read again after an append, and
// drawn beneath the network.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include "../core/net_window.h"
#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "display/BackgroundSet.h"
#include "shell/BackgroundImages.h"
#include "shell/BackgroundImagesSvg.h"
#include "program_fixture.h"
#include "test_draw_support.h"

namespace {

std::string S(const QString& s) { return s.toStdString(); }

QByteArray ReadFile(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A JPEG of w x h: red on the left half, near-white on the right.
bool WritePhoto(const QString& path, int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(240, 240, 240));
    QPainter(&img).fillRect(0, 0, w / 2, h, QColor(220, 30, 30));
    return img.save(path, "JPG", 95);
}

const QByteArray BlueSvg = "<svg xmlns='http://www.w3.org/2000/svg' width='30' height='20'>"
                           "<rect width='30' height='20' fill='#0000ff'/></svg>";

bool Near(QColor c, int r, int g, int b)
{
    return std::abs(c.red() - r) <= 16 && std::abs(c.green() - g) <= 16 && std::abs(c.blue() - b) <= 16;
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
    EXPECT_EQ(ResolveBackgroundPath("x\\y.jpg", net), in("net/x\\y.jpg")); // as stored first
    EXPECT_EQ(ResolveBackgroundPath("sub\\a.jpg", net), in("net/sub/a.jpg"));
    EXPECT_EQ(ResolveBackgroundPath(S(dir.path()) + "/other\\b.jpg", net), in("other/b.jpg"));
    EXPECT_EQ(ResolveBackgroundPath("C:\\Survey 2001\\map.jpg", net), in("net/map.jpg"));
    EXPECT_EQ(ResolveBackgroundPath("\\\\server\\share\\gone.jpg", net), "");
    EXPECT_EQ(ResolveBackgroundPath("sub", net), ""); // a folder
    EXPECT_EQ(ResolveBackgroundPath("C:\\Survey\\", net), "");
}

TEST(Backgrounds, EntriesThatCannotBeLoadedStayNamedAndAreSavedUnchanged)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WritePhoto(dir.filePath("photo.jpg"), 20, 10));
    ASSERT_TRUE(WriteFile(dir.filePath("garbage.jpg"), "not a picture"));
    ASSERT_TRUE(WriteFile(dir.filePath("plan.emf"), QByteArray("\x01\x00\x00\x00\x6c\x00\x00\x00", 8)));
    ASSERT_TRUE(WriteFile(dir.filePath("plan.svg"), BlueSvg));
    TNetWindow a;
    TBackgrounds& b = a.Backgrounds;
    b.Raster[1] = {"C:\\Survey\\photo.jpg", 5, -7.5, 2, 0.5};
    b.Raster[2] = {"missing.jpg", 3, 4, 1, 1};
    b.Raster[3] = {"garbage.jpg", 1, 2, 3, 4};
    b.Metafile[1] = {"plan.emf", 4, 4, -1, 1};
    b.Metafile[2] = {"D:\\plans\\plan.svg", 0, 0, 1, 1};
    TMessageSinkRecorder sink;
    const std::string first = S(dir.filePath("net.dta")), second = S(dir.filePath("again.dta"));
    ASSERT_TRUE(SaveNetworkFile(a, first, 9, sink).Ok);

    TNetWindow opened;
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
    ASSERT_TRUE(SaveNetworkFile(opened, second, 9, sink).Ok);
    EXPECT_EQ(ReadFile(second), ReadFile(first));

    // Reading again: a drawing from the clipboard has no file and stays; an unnamed slot is emptied.
    images.SetMetafile(3, std::make_unique<QSvgRenderer>(BlueSvg));
    opened.Backgrounds.Metafile[3].FileName = "Clipboard";
    opened.Backgrounds.Raster[1].FileName.clear();
    images.Reload(opened.Backgrounds);
    EXPECT_NE(images.Metafile(3), nullptr);
    EXPECT_EQ(images.Raster(1), nullptr);
}

TEST(Backgrounds, AViewStartsWithItsSourcesPicturesAndAnAppendReadsItsOwnAgain)
{
    programtest::TProgram program;
    QTemporaryDir& dir = program.Dir;
    TMessageSinkRecorder& boxes = program.Boxes;
    ASSERT_TRUE(WritePhoto(dir.filePath("photo.jpg"), 20, 10));
    const std::string netA = S(dir.filePath("a.dta")), netB = S(dir.filePath("b.dta"));
    for (const std::string& path : {netA, netB}) {
        TNetWindow n;
        THashEntry* cell = nullptr;
        AddNode(n, 0, 0, cell, false, 0);
        if (path == netA) n.Backgrounds.Raster[1].FileName = "C:\\Survey\\photo.jpg";
        ASSERT_TRUE(SaveNetworkFile(n, path, 9, boxes).Ok);
    }
    TNetworkFileIO& io = program.FileIO;
    program.Start({.CommandLineFile = netA, .Show = false});
    TZOKMainWindow* main = program.Main.get();
    ASSERT_EQ(main->PadCount(), 1);
    TSketchPadWindow* pad = main->SketchPads[0];
    ASSERT_NE(pad->BackgroundImages->Raster(1), nullptr);
    main->PadActivated(pad);
    TSketchPadWindow* view = main->NewView();
    ASSERT_NE(view, nullptr);
    // The view has a set of its own that holds the same picture.
    EXPECT_NE(view->BackgroundImages, pad->BackgroundImages);
    EXPECT_EQ(view->BackgroundImages->Raster(1), pad->BackgroundImages->Raster(1));
    EXPECT_EQ(view->Settings.Backgrounds.Raster[1].FileName, "C:\\Survey\\photo.jpg");

    // The picture changes on disk; an append to the view reads the view's
    // pictures again, and the master keeps showing the one it had.
    ASSERT_TRUE(WritePhoto(dir.filePath("photo.jpg"), 8, 6));
    ASSERT_TRUE(io.Open(*view, netB, true, false, boxes));
    ASSERT_NE(view->BackgroundImages->Raster(1), nullptr);
    EXPECT_EQ(view->BackgroundImages->Raster(1)->size(), QSize(8, 6));
    ASSERT_NE(pad->BackgroundImages->Raster(1), nullptr);
    EXPECT_EQ(pad->BackgroundImages->Raster(1)->size(), QSize(20, 10));
}

// A transform made in one window moves the pictures of every window of the
// network with the network: each window keeps slots of its own.
TEST(Backgrounds, PicturesOfEveryWindowOfTheNetworkFollowATransform)
{
    programtest::TProgram program;
    ASSERT_TRUE(WritePhoto(program.Dir.filePath("photo.jpg"), 40, 20));
    const std::string path = S(program.Dir.filePath("net.dta"));
    {
        TNetWindow n;
        THashEntry* cell = nullptr;
        AddNode(n, 0, 0, cell, false, 0);
        AddNode(n, 200, 100, cell, false, 0);
        RecomputeExtents(n);
        n.Backgrounds.Raster[1].FileName = "photo.jpg";
        ASSERT_TRUE(SaveNetworkFile(n, path, 9, program.Boxes).Ok);
    }
    TSketchPadWindow* view = program.StartWithView(path);
    ASSERT_NE(view, nullptr);
    TSketchPadWindow* pad = program.Pad;
    ASSERT_TRUE(program.Trigger(pad, "ScalebyTwoM"));
    for (TSketchPadWindow* w : {pad, view}) {
        const QImage drawn = programtest::PaintWindow(*w, {600, 300});
        // World (30, 30) lies in the red half of the doubled picture, below
        // the picture as it was.
        EXPECT_TRUE(Near(drawn.pixelColor(w->PixelX(30), w->PixelY(30)), 220, 30, 30)) << w->Caption();
        EXPECT_EQ(drawn.pixelColor(w->PixelX(100), w->PixelY(30)), QColor(Qt::white)) << w->Caption();
    }
}

TEST(Backgrounds, PicturesAreDrawnBeneathTheNetwork)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WritePhoto(dir.filePath("photo.jpg"), 120, 60));
    ASSERT_TRUE(WriteFile(dir.filePath("plan.svg"), BlueSvg));
    TDrawFixture f;
    f.Link(f.Node(20, 20), f.Node(100, 20));
    const QColor linkColour = f.Paint(200, 100).pixelColor(60, 30); // world (50, 20) + origin 10
    ASSERT_NE(linkColour, QColor(Qt::white));

    TBackgrounds b;
    b.Raster[1].FileName = "photo.jpg";
    b.Metafile[1] = {"plan.svg", 150, 0, 1, 1};
    TBackgroundImageSet images;
    images.Load(b, S(dir.filePath("net.dta")));
    f.Pad.Backgrounds = &b;
    f.Pad.BackgroundImages = &images;
    QImage drawn = f.Paint(200, 100);
    // The picture at pixels 10..129 x 10..69 under the link, the drawing at 160..190 x 10..30.
    EXPECT_TRUE(Near(drawn.pixelColor(15, 65), 220, 30, 30));
    EXPECT_TRUE(Near(drawn.pixelColor(125, 65), 240, 240, 240));
    EXPECT_EQ(drawn.pixelColor(60, 30), linkColour);
    EXPECT_EQ(drawn.pixelColor(140, 80), QColor(Qt::white));
    EXPECT_TRUE(Near(drawn.pixelColor(175, 20), 0, 0, 255));

    b.Raster[1].XScale = b.Raster[1].YScale = 0.5; // ends at pixel 70 x 40
    drawn = f.Paint(200, 100);
    EXPECT_TRUE(Near(drawn.pixelColor(65, 35), 240, 240, 240));
    EXPECT_EQ(drawn.pixelColor(100, 50), QColor(Qt::white));
    EXPECT_EQ(drawn.pixelColor(60, 30), linkColour);
}

namespace {

// A drawing of 40 x 20: blue, and over it an <image> with the address given.
QByteArray DrawingWithImage(const QString& href)
{
    return "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' width='40' "
           "height='20'><rect width='40' height='20' fill='#0000ff'/><image x='0' y='0' width='40' height='20' "
           "xlink:href='" +
           href.toUtf8() + "'/></svg>";
}

QByteArray RedPng(int w, int h)
{
    QImage red(w, h, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    red.save(&buffer, "PNG");
    return png;
}

// The drawing on white, as W x H pixels.
QImage Rendered(QSvgRenderer& drawing, int w, int h)
{
    QImage out(w, h, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    drawing.render(&p);
    p.end();
    return out;
}

QColor Centre(QSvgRenderer& drawing) { return Rendered(drawing, 40, 20).pixelColor(20, 10); }

QByteArray Gzip(const QByteArray& text)
{
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    QByteArray out(qsizetype(deflateBound(&z, uLong(text.size()))), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.constData()));
    z.avail_in = uInt(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.truncate(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

} // namespace

// A drawing is read on its own: a picture it names by path is neither read
// nor waited on (a FIFO would hold the window forever); an embedded raster
// picture is drawn, an embedded SVG (which could name files) is not.
TEST(Backgrounds, DrawingsDoNotReadTheFilesTheyName)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.png"), png = dir.filePath("red.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(WriteFile(png, RedPng(40, 20)));
    ASSERT_TRUE(WriteFile(dir.filePath("fifo.svg"), DrawingWithImage("pipe.png")));
    ASSERT_TRUE(WriteFile(dir.filePath("local.svg"), DrawingWithImage(png)));
    ASSERT_TRUE(WriteFile(dir.filePath("embedded.svg"), DrawingWithImage("data:image/png;base64," +
                                                                          RedPng(40, 20).toBase64())));
    const QByteArray inner = DrawingWithImage(png); // an SVG in a data: address naming the file
    ASSERT_TRUE(WriteFile(dir.filePath("nested.svg"), DrawingWithImage("data:image/svg+xml;base64," +
                                                                       inner.toBase64())));
    const std::string net = S(dir.filePath("net.dta"));

    // Should the reader wait on the FIFO, a writer comes after a while to let
    // it go, and the wait is reported.
    std::atomic<bool> done = false, released = false;
    std::thread watchdog([&] {
        for (int i = 0; i < 300 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        while (!done) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                released = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    std::unique_ptr<QSvgRenderer> viaFifo = LoadMetafileBackground("fifo.svg", net);
    done = true;
    watchdog.join();
    EXPECT_FALSE(released) << "the drawing's <image> was opened";
    ASSERT_NE(viaFifo, nullptr);
    EXPECT_TRUE(Near(Centre(*viaFifo), 0, 0, 255));

    for (const char* name : {"local.svg", "nested.svg"}) {
        std::unique_ptr<QSvgRenderer> d = LoadMetafileBackground(name, net);
        ASSERT_NE(d, nullptr) << name;
        EXPECT_TRUE(Near(Centre(*d), 0, 0, 255)) << name; // the red file is not drawn
    }
    std::unique_ptr<QSvgRenderer> embedded = LoadMetafileBackground("embedded.svg", net);
    ASSERT_NE(embedded, nullptr);
    EXPECT_TRUE(Near(Centre(*embedded), 255, 0, 0));
    // Embedded pictures count against a pixel bound, as a JPEG's pixels do.
    QByteArray file;
    QFile f(dir.filePath("embedded.svg"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    file = f.readAll();
    EXPECT_NE(ReadSvgDrawing(file, {.MaxImagePixels = 800}), nullptr);
    EXPECT_EQ(ReadSvgDrawing(file, {.MaxImagePixels = 799}), nullptr);
    // A picture taken out that was all of the drawing leaves no text to draw.
    QByteArray text;
    EXPECT_FALSE(SelfContainedSvg("<image href='pipe.png'/>", text));
    EXPECT_TRUE(text.isEmpty());
}

// A compressed drawing is bounded by what it inflates to, not by its size on disk.
TEST(Backgrounds, CompressedDrawingsAreBoundedAfterInflation)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFile(dir.filePath("small.svgz"), Gzip(BlueSvg)));
    // 80 MB of comment inside an otherwise valid drawing: well under 1 MB compressed.
    QByteArray big = BlueSvg;
    big.insert(big.indexOf("<rect"), "<!--" + QByteArray(80 << 20, ' ') + "-->");
    const QByteArray packed = Gzip(big);
    ASSERT_LT(packed.size(), 1 << 20);
    ASSERT_TRUE(WriteFile(dir.filePath("bomb.svgz"), packed));
    ASSERT_TRUE(WriteFile(dir.filePath("cut.svgz"), Gzip(BlueSvg).left(20)));
    const std::string net = S(dir.filePath("net.dta"));

    std::unique_ptr<QSvgRenderer> small = LoadMetafileBackground("small.svgz", net);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->defaultSize(), QSize(30, 20));
    EXPECT_EQ(LoadMetafileBackground("bomb.svgz", net), nullptr);
    EXPECT_EQ(LoadMetafileBackground("cut.svgz", net), nullptr);
    // Within a larger bound the same drawing reads.
    EXPECT_NE(ReadSvgDrawing(packed, {.MaxTextBytes = int64_t(100) << 20}), nullptr);
}

namespace {

// A blue drawing whose document type has the given internal subset, with the
// given content before its rectangle.
QByteArray DrawingWithEntities(const QByteArray& subset, const QByteArray& content)
{
    return "<?xml version='1.0'?><!DOCTYPE svg [" + subset + "]><svg xmlns='http://www.w3.org/2000/svg' "
           "width='30' height='20'>" + content + "<rect width='30' height='20' fill='#0000ff'/></svg>";
}

} // namespace

// A few kilobytes that the XML reader would grow to megabytes: every single
// entity stays within the reader's own allowance, their references do not.
// Drawings need no entities, so a drawing that declares any is refused, by
// whichever way it reaches the reader.
TEST(Backgrounds, DrawingsThatDeclareEntitiesAreRefused)
{
    const QByteArray value = QByteArray(4000, 'x');
    QByteArray references;
    for (int i = 0; i < 2000; ++i) references += "&a;";
    const QByteArray inText = DrawingWithEntities("<!ENTITY a '" + value + "'>", "<g>" + references + "</g>");
    QByteArray parameters = "<!ENTITY % p \"<!ENTITY a '" + value + "'>\">";
    for (int i = 0; i < 500; ++i) parameters += " %p;";
    const QString utf16 = QString::fromLatin1(inText);
    const QList<std::pair<const char*, QByteArray>> drawings = {
        {"text", inText},
        {"attribute", DrawingWithEntities("<!ENTITY a '" + value + "'>", "<g id='" + references + "'/>")},
        {"parameter entities", DrawingWithEntities(parameters, "<g>&a;</g>")},
        {"UTF-16", QByteArray("\xff\xfe") + QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2)},
        {"external", DrawingWithEntities("<!ENTITY a SYSTEM 'plan.svg'>", "<g>&a;</g>")},
    };
    for (const auto& [what, bytes] : drawings) EXPECT_EQ(ReadSvgDrawing(bytes), nullptr) << what;

    // A drawing named by a network, compressed, and one from the clipboard.
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFile(dir.filePath("laughs.svgz"), Gzip(inText)));
    EXPECT_EQ(LoadMetafileBackground("laughs.svgz", S(dir.filePath("net.dta"))), nullptr);
    auto* clip = new QMimeData;
    clip->setData("image/svg+xml", inText);
    QGuiApplication::clipboard()->setMimeData(clip);
    EXPECT_EQ(ClipboardDrawing(), nullptr);
    QGuiApplication::clipboard()->clear();

    // A document type that only names the SVG DTD, as many editors write, is
    // no reason to refuse the drawing.
    const QByteArray named = "<?xml version='1.0'?><!DOCTYPE svg PUBLIC '-//W3C//DTD SVG 1.1//EN' "
                             "'http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd'>" + BlueSvg;
    std::unique_ptr<QSvgRenderer> drawing = ReadSvgDrawing(named);
    ASSERT_NE(drawing, nullptr);
    EXPECT_TRUE(Near(Centre(*drawing), 0, 0, 255));
}

namespace {

// A blue drawing whose rectangle has Count attributes, the ones past its own
// three named by Name and a number, each holding Value.
QString CrowdedDrawing(int64_t count, const QString& name, const QString& value)
{
    QString attributes;
    for (int64_t i = 3; i < count; ++i) attributes += QString(" %1%2='%3'").arg(name).arg(i).arg(value);
    return "<svg xmlns='http://www.w3.org/2000/svg' width='30' height='20'>"
           "<rect width='30' height='20' fill='#0000ff'" + attributes + "/></svg>";
}

} // namespace

// The XML reader spends time growing with the square of one element's
// attributes before the drawing's bounds could count them: a start tag of
// more than a bound is refused before the reader sees it, in whatever
// encoding and by whichever way it comes, and so are attribute defaults
// that every element of a name would take.
TEST(Backgrounds, DrawingsWithCrowdedElementsAreRefused)
{
    const int64_t bound = TDrawingLimits{}.MaxAttributes;
    // At the bound the drawing is read, '=' and the other quote in its values;
    // past it, it is not, though a '>' in every value seems to end the tag.
    std::unique_ptr<QSvgRenderer> full = ReadSvgDrawing(CrowdedDrawing(bound, "a", "1=2\"3\"").toUtf8());
    ASSERT_NE(full, nullptr);
    EXPECT_TRUE(Near(Centre(*full), 0, 0, 255));
    const QByteArray over = CrowdedDrawing(bound + 1, "a", "1>2").toUtf8();
    EXPECT_EQ(ReadSvgDrawing(over), nullptr);
    // In UTF-16, names whose bytes hold a quote ('"' then 'N' in U+4E22) count as well.
    const QString wide = CrowdedDrawing(bound + 1, QString(QChar(0x4E22)), "x");
    EXPECT_EQ(ReadSvgDrawing(QByteArray("\xff\xfe") + QByteArray(reinterpret_cast<const char*>(wide.utf16()),
                                                                 wide.size() * 2)),
              nullptr);
    EXPECT_EQ(ReadSvgDrawing("<!DOCTYPE svg [<!-- it's ]> -->]>" + over), nullptr);
    EXPECT_EQ(ReadSvgDrawing("<!DOCTYPE svg [<!ATTLIST rect a CDATA 'x'>]>" + BlueSvg), nullptr);
    // A '>' in the document type's literal ends nothing: the defaults after it count.
    EXPECT_EQ(ReadSvgDrawing("<!DOCTYPE svg SYSTEM 'a>b' [<!ATTLIST rect a CDATA 'x'>]>" + BlueSvg), nullptr);

    // A drawing named by a network, compressed, and one from the clipboard.
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFile(dir.filePath("crowded.svgz"), Gzip(over)));
    EXPECT_EQ(LoadMetafileBackground("crowded.svgz", S(dir.filePath("net.dta"))), nullptr);
    auto* clip = new QMimeData;
    clip->setData("image/svg+xml", over);
    QGuiApplication::clipboard()->setMimeData(clip);
    EXPECT_EQ(ClipboardDrawing(), nullptr);
    QGuiApplication::clipboard()->clear();

    // Crowded tags in comments, CDATA, processing instructions and the
    // document type's literals are no tags; an attribute list without defaults adds none.
    QByteArray many = "<g";
    for (int64_t i = 0; i <= bound; ++i) many += " a" + QByteArray::number(i) + "=''";
    QByteArray quiet = "<!DOCTYPE svg SYSTEM 'a]>b.dtd' [<!ATTLIST svg id ID #IMPLIED><!-->" + many + ">-->]>"
                       "<?note > " + many + "?>" + BlueSvg;
    quiet.insert(quiet.indexOf("<rect"), "<!-- > " + many + "/>--><![CDATA[ ] > " + many + "/>]]>");
    std::unique_ptr<QSvgRenderer> plain = ReadSvgDrawing(quiet);
    ASSERT_NE(plain, nullptr);
    EXPECT_TRUE(Near(Centre(*plain), 0, 0, 255));
}

namespace {

// A blue drawing of Count groups before its rectangle, each group with
// Attributes attributes.
QByteArray CrowdedGroups(int64_t count, int64_t attributes)
{
    QByteArray group = "<g";
    for (int64_t i = 0; i < attributes; ++i) group += " a" + QByteArray::number(i) + "='1'";
    group += "/>";
    QByteArray text = BlueSvg;
    text.insert(text.indexOf("<rect"), group.repeated(qsizetype(count)));
    return text;
}

} // namespace

// Elements within the bound one by one still cost the XML reader the square
// of each one's attributes, element after element: the pairs of attributes of
// all start tags together are bounded too, and a drawing past that bound is
// refused by whichever way it comes.
TEST(Backgrounds, DrawingsCrowdedAsAWholeAreRefused)
{
    // Ten attributes make 45 pairs: 100 such groups are 4,500, and the
    // drawing's own two tags of three attributes 6 more.
    TDrawingLimits limits;
    limits.MaxAttributePairs = 4'506;
    std::unique_ptr<QSvgRenderer> within = ReadSvgDrawing(CrowdedGroups(100, 10), limits);
    ASSERT_NE(within, nullptr);
    EXPECT_TRUE(Near(Centre(*within), 0, 0, 255));
    EXPECT_EQ(ReadSvgDrawing(CrowdedGroups(101, 10), limits), nullptr);
    // A tag of one attribute has no pair: a million of them are no crowd.
    limits.MaxAttributePairs = 6;
    EXPECT_NE(ReadSvgDrawing(CrowdedGroups(1000, 1), limits), nullptr);

    // Forty elements at the bound of one element are past the bound of the drawing.
    const QByteArray crowded = CrowdedGroups(40, TDrawingLimits{}.MaxAttributes);
    EXPECT_EQ(ReadSvgDrawing(crowded), nullptr);
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFile(dir.filePath("crowded.svg"), crowded));
    ASSERT_TRUE(WriteFile(dir.filePath("crowded.svgz"), Gzip(crowded)));
    const std::string net = S(dir.filePath("net.dta"));
    EXPECT_EQ(LoadMetafileBackground("crowded.svg", net), nullptr);
    EXPECT_EQ(LoadMetafileBackground("crowded.svgz", net), nullptr);
    auto* clip = new QMimeData;
    clip->setData("image/svg+xml", crowded);
    QGuiApplication::clipboard()->setMimeData(clip);
    EXPECT_EQ(ClipboardDrawing(), nullptr);
    QGuiApplication::clipboard()->clear();
}

namespace {

// A drawing of a large text in black, as 120 x 40 pixels.
QImage TextPicture(QSvgRenderer& drawing) { return Rendered(drawing, 120, 40); }

QByteArray TextDrawing(const QByteArray& declaration, const QByteArray& text)
{
    return declaration + "<svg xmlns='http://www.w3.org/2000/svg' width='120' height='40'>"
                         "<text x='2' y='32' font-size='30' fill='#000000'>" + text + "</text></svg>";
}

// A text as UTF-16LE with its byte-order mark.
QByteArray Utf16(const QString& text)
{
    return QByteArray("\xff\xfe") + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

} // namespace

// The drawing's bytes are read in the encoding it declares (UTF-8 unless it
// declares another): a byte that encoding does not allow refuses the
// drawing, wherever it stands, rather than being drawn as a replacement
// character; a drawing that declares ISO-8859-1 keeps its accented letters.
TEST(Backgrounds, DrawingsAreReadInTheirEncoding)
{
    const QByteArray utf8Declared = "<?xml version='1.0' encoding='UTF-8'?>";
    std::unique_ptr<QSvgRenderer> utf8 = ReadSvgDrawing(TextDrawing(utf8Declared, "Z\xc3\xbcrich"));
    ASSERT_NE(utf8, nullptr);
    std::unique_ptr<QSvgRenderer> latin1 =
        ReadSvgDrawing(TextDrawing("<?xml version='1.0' encoding='ISO-8859-1'?>", "Z\xfcrich"));
    ASSERT_NE(latin1, nullptr);
    EXPECT_EQ(TextPicture(*latin1), TextPicture(*utf8));
    // (A replacement character would look otherwise.)
    std::unique_ptr<QSvgRenderer> replaced = ReadSvgDrawing(TextDrawing(utf8Declared, "Z\xef\xbf\xbdrich"));
    ASSERT_NE(replaced, nullptr);
    EXPECT_NE(TextPicture(*replaced), TextPicture(*utf8));
    // US-ASCII and UTF-16 (a pair of surrogates) are read where valid.
    const QByteArray asciiDeclared = "<?xml version='1.0' encoding='US-ASCII'?>";
    EXPECT_NE(ReadSvgDrawing(TextDrawing(asciiDeclared, "Zurich")), nullptr);
    QString paired = QString::fromLatin1(TextDrawing("", "Z#rich")), lone = paired;
    EXPECT_NE(ReadSvgDrawing(Utf16(paired.replace(u'#', QString(QChar(0xD83D)) + QChar(0xDE00)))), nullptr);

    const QList<std::pair<const char*, QByteArray>> faults = {
        {"Latin-1 byte, nothing declared", TextDrawing("", "Z\xfcrich")},
        {"Latin-1 byte, UTF-8 declared", TextDrawing(utf8Declared, "Z\xfcrich")},
        {"in a comment", TextDrawing("", "Zurich<!-- Z\xfcrich -->")},
        {"overlong '/'", TextDrawing("", "Z\xc0\xafrich")},
        {"surrogate", TextDrawing("", "Z\xed\xa0\x80rich")},
        {"cut at the end", TextDrawing("", "Zurich") + "\xc3"},
        {"0xE9, US-ASCII declared", TextDrawing(asciiDeclared, "Z\xe9rich")},
        {"UTF-16, lone high surrogate", Utf16(lone.replace(u'#', QChar(0xD800)))},
    };
    for (const auto& [what, bytes] : faults) EXPECT_EQ(ReadSvgDrawing(bytes), nullptr) << what;
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFile(dir.filePath("latin.svgz"), Gzip(faults[0].second)));
    EXPECT_EQ(LoadMetafileBackground("latin.svgz", S(dir.filePath("net.dta"))), nullptr);
}

// A .svgz of two gzip members, as gzip makes of a file appended to another,
// is read whole.
TEST(Backgrounds, CompressedDrawingsOfSeveralMembersAreReadWhole)
{
    const qsizetype cut = BlueSvg.indexOf("<rect");
    const QByteArray twoMembers = Gzip(BlueSvg.left(cut)) + Gzip(BlueSvg.mid(cut));
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFile(dir.filePath("two.svgz"), twoMembers));
    std::unique_ptr<QSvgRenderer> drawing = LoadMetafileBackground("two.svgz", S(dir.filePath("net.dta")));
    ASSERT_NE(drawing, nullptr);
    EXPECT_TRUE(Near(Centre(*drawing), 0, 0, 255));
    // Together they are held to the text bound; a second member cut short refuses the drawing.
    EXPECT_EQ(ReadSvgDrawing(twoMembers, {.MaxTextBytes = BlueSvg.size() - 1}), nullptr);
    EXPECT_NE(ReadSvgDrawing(twoMembers, {.MaxTextBytes = BlueSvg.size()}), nullptr);
    EXPECT_EQ(ReadSvgDrawing(twoMembers.left(twoMembers.size() - 4)), nullptr);
}

namespace {
// A network, first.dta, with a red photo of 40 x 40 (raster slot 1) and a
// blue drawing of 30 x 20 (metafile slot 1) over each other at the origin.
void WritePicturesOverEachOther(programtest::TProgram& program)
{
    QImage photo(40, 40, QImage::Format_RGB32);
    photo.fill(QColor(220, 30, 30));
    ASSERT_TRUE(photo.save(program.Dir.filePath("photo.jpg"), "JPG", 95));
    ASSERT_TRUE(WriteFile(program.Dir.filePath("plan.svg"), BlueSvg));
    TNetWindow n;
    THashEntry* cell = nullptr;
    AddNode(n, 0, 0, cell, false, 0);
    AddNode(n, 100, 100, cell, false, 0);
    n.Backgrounds.Raster[1] = {"photo.jpg", 0, 0, 1, 1};
    n.Backgrounds.Metafile[1] = {"plan.svg", 0, 0, 1, 1};
    ASSERT_TRUE(SaveNetworkFile(n, program.Path("first.dta"), 9, program.Boxes).Ok);
}
} // namespace

// "JPEG on Top" is one flag: the menu toggles it, the drawing follows it, and
// the file keeps it, so that Reopen shows the order that was saved.
TEST(Backgrounds, JpegOnTopIsDrawnSavedAndReadBack)
{
    programtest::TProgram program;
    WritePicturesOverEachOther(program);
    program.Start({.CommandLineFile = program.Path("first.dta")});
    TZOKMainWindow& main = *program.Main;
    // Where the picture and the drawing overlap, and the colour shown there.
    auto shown = [](TSketchPadWindow& w) {
        return programtest::PaintWindow(w, QSize(200, 200)).pixelColor(w.PixelX(5), w.PixelY(5));
    };
    auto checked = [](TSketchPadWindow& w) {
        for (QMenu* m : w.Menus) emit m->aboutToShow();
        return w.Action("JPEGonTop1")->isChecked();
    };
    TSketchPadWindow* pad = program.Pad;
    ASSERT_NE(pad->BackgroundImages->Raster(1), nullptr);
    EXPECT_TRUE(Near(shown(*pad), 0, 0, 255)); // the metafile over the raster
    EXPECT_FALSE(checked(*pad));
    ASSERT_TRUE(program.SaveAs(*pad, "plain.dta"));

    ASSERT_TRUE(program.Trigger(pad, "JPEGonTop1"));
    EXPECT_TRUE(checked(*pad));
    EXPECT_EQ(pad->View.Saved, 0);
    EXPECT_TRUE(Near(shown(*pad), 220, 30, 30));
    ASSERT_TRUE(program.SaveAs(*pad, "second.dta"));
    EXPECT_NE(ReadFile(program.Path("second.dta")), ReadFile(program.Path("plain.dta")));

    std::vector<TSketchPadWindow*> opened = main.OpenFiles({program.Path("second.dta")});
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(checked(*opened[0]));
    EXPECT_TRUE(Near(shown(*opened[0]), 220, 30, 30));
    // And back: the default order is saved as it was.
    ASSERT_TRUE(program.Trigger(opened[0], "JPEGonTop1"));
    EXPECT_TRUE(Near(shown(*opened[0]), 0, 0, 255));
    ASSERT_TRUE(program.SaveAs(*opened[0], "third.dta"));
    EXPECT_EQ(ReadFile(program.Path("third.dta")), ReadFile(program.Path("plain.dta")));
}

// Select Object takes the picture drawn on top where two lie over each
// other, in either order, and a drag of its frame moves that one.
TEST(Backgrounds, SelectObjectTakesThePictureOnTop)
{
    programtest::TProgram program;
    WritePicturesOverEachOther(program);
    program.Start({.CommandLineFile = program.Path("first.dta")});
    TSketchPadWindow* pad = program.Pad;
    program.Main->SetButtons(0, *pad, true);
    QWidget* frame = pad->findChild<QWidget*>("ShapeFrame");
    ASSERT_NE(frame, nullptr);
    // A click at world (15, 12), within both pictures, then the frame dragged 10 pixels right.
    auto clickAndDrag = [&] {
        QTest::mouseClick(pad->viewport(), Qt::LeftButton, {}, QPoint(pad->PixelX(15), pad->PixelY(12)));
        ASSERT_TRUE(frame->isVisible());
        QTest::mousePress(frame, Qt::LeftButton, {}, QPoint(2, 2));
        QMouseEvent move(QEvent::MouseMove, QPointF(12, 2), frame->mapToGlobal(QPointF(12, 2)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(frame, &move);
        QTest::mouseRelease(frame, Qt::LeftButton, {}, QPoint(12, 2));
    };
    clickAndDrag(); // the drawing lies on top
    EXPECT_EQ(pad->Settings.Backgrounds.Raster[1].X, 0);
    ASSERT_TRUE(program.Trigger(pad, "JPEGonTop1"));
    clickAndDrag(); // now the photo
    std::unique_ptr<TNetWindow> saved = program.SaveAndReopen(*pad, "moved.dta");
    EXPECT_EQ(saved->Backgrounds.Metafile[1].X, 10);
    EXPECT_EQ(saved->Backgrounds.Raster[1].X, 10);
}
