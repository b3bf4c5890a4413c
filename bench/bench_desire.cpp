// User trip tables and their desire lines: a 2,000 x 2,000 table read from
// its text against tokenising the same numbers with std::from_chars (the
// limit of any reader), and its desire lines fitted to 1920 x 1080 against
// the same segments drawn with bare QPainter lines. Each pair runs in the
// same iteration and reports the ratio. A zoomed corner reports how many
// cells it evaluated: only those whose line can reach the view.
#include <benchmark/benchmark.h>

#include <charconv>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "core/expr/DesireLines.h"
#include "core/expr/ExpressionNetwork.h"
#include "core/file/TripTable.h"
#include "shell/NetworkDraw.h"

namespace {

constexpr int Zones = 2000;
constexpr int Columns = 50; // zones on a 50 x 40 grid
constexpr int Spacing = 100;
constexpr int Width = 1920, Height = 1080;

struct TBenchTable {
    TNetwork Net;
    TWindowSettings Settings;
    TViewRecord View;
    std::string Text;
    TDrawPad Pad;
    std::vector<TDesireSegment> Segments; // what the table draws, whole

    TBenchTable()
    {
        (*Net.LinkClasses)[0].Color = 2;
        for (int i = 0; i < Zones; ++i) {
            THashEntry* cell;
            TNode* n = AddNode(Net, (i % Columns) * Spacing, (i / Columns) * Spacing, cell, false, 0);
            n->Name = "Z" + std::to_string(i + 1);
            n->Serial = i + 1;
        }
        std::mt19937 random(7);
        std::uniform_int_distribution<int> trips(0, 999);
        std::string names;
        for (int i = 1; i <= Zones; ++i) names += "Z" + std::to_string(i) + "\r\n";
        Text = names + "END OF ROWS\r\n" + names + "END OF COLUMNS\r\n";
        for (int r = 0; r < Zones; ++r) {
            for (int c = 0; c < Zones; ++c) {
                Text += std::to_string(trips(random));
                Text += c % 4 == 3 ? ".5" : "";
                Text += c + 1 < Zones ? ' ' : '\r';
            }
            Text += '\n';
        }
        Text += "END OF TABLES\r\n";

        // About one cell in a hundred gets a line: 990..994 one pixel, 995..999.5 three.
        TWidthSettings& w = Settings.Widths;
        w.SystemExpression = "P1";
        w.LinkBottom[1] = 990, w.LinkTop[1] = 994.9;
        w.LinkBottom[2] = 995, w.LinkTop[2] = 1000;
        w.LinkWidths[1] = 1, w.LinkWidths[2] = 3;
        Settings.Display.GlobalShape = 0;
        View.Settings = &Settings;
        const TTripTableResult r = ReadTripTable(Text, Net);
        Settings.DesireTables = r.Tables;
        Pad = MakeDrawPad(Net, View, Settings, 1);
        TExprBinding binding(Net, &View, nullptr);
        ComputeDesireLines(Net, *Settings.DesireTables, w, binding.Env, {},
                           [this](const TDesireSegment& s) { Segments.push_back(s); });
    }
};

TBenchTable& Table()
{
    static TBenchTable* t = new TBenchTable;
    return *t;
}

// Every number of the text through std::from_chars, names and all skipped.
double FromChars(const std::string& text)
{
    double sum = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        if (*p >= '0' && *p <= '9') {
            double v;
            const auto r = std::from_chars(p, end, v);
            sum += v;
            p = r.ptr;
        } else {
            ++p;
        }
    }
    return sum;
}

size_t Load(const std::string& text, const TNetwork& net)
{
    const TTripTableResult r = ReadTripTable(text, net);
    return r.Ok ? r.Tables->Tables[0].Values.size() : 0;
}

void BM_LoadTripTable(benchmark::State& state)
{
    TBenchTable& t = Table();
    for (auto _ : state) benchmark::DoNotOptimize(Load(t.Text, t.Net));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t.Text.size()));
}
BENCHMARK(BM_LoadTripTable)->Unit(benchmark::kMillisecond);

void BM_FromChars(benchmark::State& state)
{
    TBenchTable& t = Table();
    for (auto _ : state) benchmark::DoNotOptimize(FromChars(t.Text));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t.Text.size()));
}
BENCHMARK(BM_FromChars)->Unit(benchmark::kMillisecond);

void BM_LoadOverFromChars(benchmark::State& state)
{
    TBenchTable& t = Table();
    double load = 0, bare = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(Load(t.Text, t.Net));
        const auto t1 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(FromChars(t.Text));
        const auto t2 = std::chrono::steady_clock::now();
        load += std::chrono::duration<double>(t1 - t0).count();
        bare += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["ratio"] = bare > 0 ? load / bare : 0;
}
BENCHMARK(BM_LoadOverFromChars)->Unit(benchmark::kMillisecond)->Iterations(3);

double FitScale()
{
    const double w = double(Columns) * Spacing + 20, h = double(Zones / Columns) * Spacing + 20;
    return pround(288.0 * std::min(Width / w, Height / h)) / 288.0;
}

void Render(QImage& img, double scale, int hpos, int vpos)
{
    img.fill(Qt::white);
    QPainter p(&img);
    TQPainterCanvas c(p);
    TDrawRun run;
    PaintNetwork(Table().Pad, c, scale, hpos, vpos, run);
}

// The segments the table draws, through QPainter alone with the same pens and mapping.
void Bare(QImage& img, double scale)
{
    img.fill(Qt::white);
    QPainter p(&img);
    const int vp = int(pround(288 * scale));
    auto dev = [vp](int64_t v) { return int(pround(double(v) * vp / 288)); };
    for (const TDesireSegment& s : Table().Segments) {
        p.setPen(QPen(QColor(0, 0, 255), std::max(1, dev(s.Width)), Qt::SolidLine, Qt::FlatCap));
        p.drawLine(dev(s.X1 + 10), dev(s.Y1 + 10), dev(s.X2 + 10), dev(s.Y2 + 10));
    }
}

void BM_DrawDesireLines(benchmark::State& state)
{
    QImage img(Width, Height, QImage::Format_RGB32);
    Table();
    for (auto _ : state) Render(img, FitScale(), 0, 0);
    state.counters["lines"] = double(Table().Segments.size());
}
BENCHMARK(BM_DrawDesireLines)->Unit(benchmark::kMillisecond);

void BM_DrawBareQPainter(benchmark::State& state)
{
    QImage img(Width, Height, QImage::Format_RGB32);
    Table();
    for (auto _ : state) Bare(img, FitScale());
}
BENCHMARK(BM_DrawBareQPainter)->Unit(benchmark::kMillisecond);

void BM_DrawOverBare(benchmark::State& state)
{
    QImage img(Width, Height, QImage::Format_RGB32);
    Table();
    double draw = 0, bare = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        Render(img, FitScale(), 0, 0);
        const auto t1 = std::chrono::steady_clock::now();
        Bare(img, FitScale());
        const auto t2 = std::chrono::steady_clock::now();
        draw += std::chrono::duration<double>(t1 - t0).count();
        bare += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["ratio"] = bare > 0 ? draw / bare : 0;
}
BENCHMARK(BM_DrawOverBare)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DrawZoomedCorner(benchmark::State& state)
{
    // 1:1 at the bottom-right corner of the zones.
    TBenchTable& t = Table();
    QImage img(Width, Height, QImage::Format_RGB32);
    const int hpos = Columns * Spacing + 20 - Width, vpos = (Zones / Columns) * Spacing + 20 - Height;
    for (auto _ : state) Render(img, 1.0, hpos, vpos);
    // The cells the corner evaluates, against all of them.
    const TBox clip{hpos - 10, vpos - 10, hpos - 10 + Width, vpos - 10 + Height};
    TDesireLineOptions options;
    options.Clip = &clip;
    TExprBinding binding(t.Net, &t.View, nullptr);
    const size_t evaluated = ComputeDesireLines(t.Net, *t.Settings.DesireTables, t.Settings.Widths, binding.Env,
                                                options, [](const TDesireSegment&) {});
    state.counters["evaluated"] = double(evaluated);
    state.counters["cells"] = double(Zones) * Zones;
}
BENCHMARK(BM_DrawZoomedCorner)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
