// Any bytes as a metafile background (SVG text or gzip-compressed SVG): no
// drawing or a self-contained one within the bounds, rendered without a
// crash; the text handed to the renderer never names another file, no input
// makes the heap grow beyond a fixed multiple of the text bound (a drawing's
// entities expanding inside the XML reader would), and none takes longer
// than a few seconds (an element of very many attributes would: a drawing
// holds the window that opens it for as long).
#include "shell/BackgroundImagesSvg.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>

#include <sanitizer/allocator_interface.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>

// Fontconfig keeps a few blocks of its own set-up that it never frees; they
// are no fault of the reader's.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

TDrawingLimits Limits()
{
    TDrawingLimits limits;
    limits.MaxTextBytes = 4 << 20; // keep each run quick
    limits.MaxElements = 20'000;
    limits.MaxAttributePairs = int64_t(1) << 24; // two elements at the bound of one
    limits.MaxImagePixels = 4'000'000;
    return limits;
}

// Room for the inflated text, the reader's and the renderer's copies of it
// and the renderer's document, with a wide margin.
const int64_t MaxHeapGrowth = 64 * Limits().MaxTextBytes;

// The heap in use, counted by the allocator's hooks, and its level when the
// current input began: an input that takes more than the bound stops the run
// at the allocation that passes it.
std::atomic<int64_t> HeapInUse{0}, HeapAtStart{0};

void CountMalloc(const volatile void*, size_t size)
{
    const int64_t now = HeapInUse.fetch_add(int64_t(size), std::memory_order_relaxed) + int64_t(size);
    if (now - HeapAtStart.load(std::memory_order_relaxed) > MaxHeapGrowth) {
        static const char message[] = "the heap grew beyond the bound of one drawing\n";
        [[maybe_unused]] const ssize_t n = ::write(2, message, sizeof message - 1);
        std::abort();
    }
}

void CountFree(const volatile void* p)
{
    HeapInUse.fetch_sub(int64_t(__sanitizer_get_allocated_size(const_cast<const void*>(p))), std::memory_order_relaxed);
}

int64_t Now()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// When the current input began (Now()), 0 between inputs. An input that runs
// longer than the limit stops the run as a crash does, and is kept as one.
// libFuzzer's own -timeout was seen to let inputs of this target run on for
// seconds past it (its alarm did not come back to the input's thread), so
// the target keeps its own watch.
std::atomic<int64_t> InputStart{0};
constexpr int64_t MaxInputMilliseconds = 3'000;

[[noreturn]] void Watch()
{
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const int64_t start = InputStart.load();
        if (start != 0 && Now() - start > MaxInputMilliseconds) {
            static const char message[] = "one drawing took longer than the time limit\n";
            [[maybe_unused]] const ssize_t n = ::write(2, message, sizeof message - 1);
            std::abort();
        }
    }
}

struct TTimedInput {
    TTimedInput() { InputStart = Now(); }
    ~TTimedInput() { InputStart = 0; }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::thread(Watch).detach();
    __sanitizer_install_malloc_and_free_hooks(CountMalloc, CountFree);
    // The renderer's warnings about damaged drawings are expected here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    // The renderer's text and fonts need a GUI application; no screen is used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_svg_background";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TTimedInput timed;
    HeapAtStart = HeapInUse.load();
    const TDrawingLimits limits = Limits();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QByteArray text;
    if (SelfContainedSvg(bytes, text, limits)) {
        // What the renderer gets is XML again, and every picture in it is embedded.
        QXmlStreamReader check(text);
        check.setNamespaceProcessing(false);
        while (!check.atEnd()) {
            if (check.readNext() != QXmlStreamReader::StartElement) continue;
            const QStringView name = check.qualifiedName();
            if (name != u"image" && !name.endsWith(u":image")) continue;
            for (const QXmlStreamAttribute& a : check.attributes()) {
                const QStringView n = a.qualifiedName();
                if ((n == u"href" || n.endsWith(u":href")) && !a.value().trimmed().startsWith(u"data")) std::abort();
            }
        }
        if (check.hasError()) std::abort();
    }
    std::unique_ptr<QSvgRenderer> drawing = ReadSvgDrawing(bytes, limits);
    if (!drawing) return 0;
    if (!drawing->isValid()) std::abort();
    QImage out(48, 48, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    drawing->render(&painter);
    return 0;
}
