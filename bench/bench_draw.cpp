// The drawing pass over a network of a million links: the whole network
// fitted to a 1920 x 1080 image, a zoomed view of one corner (cells out of
// view cost nothing), and the same segments drawn with bare QPainter calls,
// the rasteriser's own cost. The Overhead benchmark reports the ratio
// renderer / bare QPainter measured in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "shell/NetworkDraw.h"

namespace {

constexpr int Side = 1000;   // nodes per row and column
constexpr int Spacing = 10;  // world units between nodes
constexpr int Width = 1920, Height = 1080;

struct TBenchNetwork {
    TNetwork Net;
    TViewRecord View;
    TDisplaySettings Display;
    TWidthSettings Widths;
    TLabelSettings Labels;
    TDrawPad Pad;
    std::vector<std::pair<TNode*, TNode*>> Segments;

    TBenchNetwork()
    {
        (*Net.NodeClasses)[0].Name = "Undefined";
        (*Net.LinkClasses)[0].Name = "Undefined";
        (*Net.LinkClasses)[0].Color = 2;
        std::vector<TNode*> nodes(size_t(Side) * Side);
        BeginBulkLoad(Net);
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x < Side; ++x) {
                THashEntry* cell;
                RegridHashTable(Net);
                nodes[size_t(y) * Side + size_t(x)] = AddNode(Net, x * Spacing, y * Spacing, cell, false, 0);
            }
        TLink *ha, *hb;
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x + 1 < Side; ++x) {
                TNode* a = nodes[size_t(y) * Side + size_t(x)];
                TNode* b = nodes[size_t(y) * Side + size_t(x) + 1];
                AddLink(Net, a, b, false, 0, ha, hb);
                Segments.emplace_back(a, b);
            }
        for (int y = 0; y + 1 < Side; ++y) {
            TNode* a = nodes[size_t(y) * Side];
            TNode* b = nodes[size_t(y + 1) * Side];
            AddLink(Net, a, b, false, 0, ha, hb);
            Segments.emplace_back(a, b);
        }
        Display.GlobalShape = 0; // links only: the comparison with bare lines
        Pad.Net = &Net;
        Pad.View = &View;
        Pad.Display = &Display;
        Pad.Widths = &Widths;
        Pad.Labels = &Labels;
        Pad.OriginX = Pad.OriginY = 10;
    }
};

TBenchNetwork& Network()
{
    static TBenchNetwork* net = new TBenchNetwork;
    return *net;
}

double FitScale()
{
    const double extent = double(Side) * Spacing + 20;
    return pround(288.0 * std::min(Width / extent, Height / extent)) / 288.0;
}

void Render(QImage& img, double scale, int hpos, int vpos)
{
    img.fill(Qt::white);
    QPainter p(&img);
    TQPainterCanvas c(p);
    TDrawRun run;
    PaintNetwork(Network().Pad, c, scale, hpos, vpos, run);
}

// The segments through QPainter alone, with the same pen and mapping.
void Bare(QImage& img, double scale)
{
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QPen(QColor(0, 0, 255), 1, Qt::SolidLine, Qt::FlatCap));
    const int vp = int(pround(288 * scale));
    auto dev = [vp](int64_t v) { return int(pround(double(v) * vp / 288)); };
    const TBenchNetwork& n = Network();
    for (auto [a, b] : n.Segments)
        p.drawLine(dev(a->X + 10), dev(a->Y + 10), dev(b->X + 10), dev(b->Y + 10));
}

void BM_DrawWholeNetwork(benchmark::State& state)
{
    QImage img(Width, Height, QImage::Format_RGB32);
    Network();
    for (auto _ : state) Render(img, FitScale(), 0, 0);
    state.counters["links"] = double(Network().Segments.size());
}
BENCHMARK(BM_DrawWholeNetwork)->Unit(benchmark::kMillisecond);

void BM_DrawBareQPainter(benchmark::State& state)
{
    QImage img(Width, Height, QImage::Format_RGB32);
    Network();
    for (auto _ : state) Bare(img, FitScale());
}
BENCHMARK(BM_DrawBareQPainter)->Unit(benchmark::kMillisecond);

void BM_DrawZoomedCorner(benchmark::State& state)
{
    // 1:1 at the bottom-right corner: about 2% of the cells are in view.
    QImage img(Width, Height, QImage::Format_RGB32);
    Network();
    const int hpos = Side * Spacing + 20 - Width, vpos = Side * Spacing + 20 - Height;
    for (auto _ : state) Render(img, 1.0, hpos, vpos);
}
BENCHMARK(BM_DrawZoomedCorner)->Unit(benchmark::kMillisecond);

void BM_DrawOverhead(benchmark::State& state)
{
    QImage img(Width, Height, QImage::Format_RGB32);
    Network();
    double renderer = 0, bare = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        Render(img, FitScale(), 0, 0);
        auto t1 = std::chrono::steady_clock::now();
        Bare(img, FitScale());
        auto t2 = std::chrono::steady_clock::now();
        renderer += std::chrono::duration<double>(t1 - t0).count();
        bare += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["ratio"] = bare > 0 ? renderer / bare : 0;
}
BENCHMARK(BM_DrawOverhead)->Unit(benchmark::kMillisecond)->Iterations(5);

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
