// Commands of the network window at scale. Each benchmark reports the
// ratio to its bound, measured in the same run:
// - DeleteBySearch over a million nodes and a million links, half of each
//   failing the search, against a hand loop that makes the same search tests
//   over the same walk and only clears the Active bytes (no undelete
//   records, no polygon boxes);
// - the SVG plot of 200,000 links (the metafile plot of a window) against
//   the same segments drawn with bare QPainter lines into a QSvgGenerator.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <random>
#include <vector>

#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>
#include <QTemporaryDir>

#include "app/Features.h"
#include "core/edit/BulkDelete.h"
#include "core/expr/SearchFilter.h"
#include "core/model/Undo.h"
#include "shell/MainWindow.h"
#include "shell/PlotOutput.h"
#include "shell/SketchPad.h"

namespace {

using Clock = std::chrono::steady_clock;

// A grid of nodes, each linked to its right neighbour; class 1 of both kinds
// has one real attribute, searched for 0..10 while the values run 0..20.
struct TSearchNetwork {
    TNetwork Net;
    TWindowSettings Settings;
    std::vector<TNode*> Nodes;
    std::vector<TLinkValues*> Links;

    explicit TSearchNetwork(int side)
    {
        for (TEntityClass* c : {Net.NodeClasses.get(), Net.LinkClasses.get()}) {
            TClassRecord& rec = (*c)[1];
            rec.Name = "One";
            rec.AttributeCount = 1;
            rec.Attributes[1] = std::make_unique<TAttrib>();
            rec.Attributes[1]->Kind = 'R';
            rec.Attributes[1]->Active = 1;
            rec.Attributes[1]->Low = 0;
            rec.Attributes[1]->High = 10;
        }
        std::mt19937 random(7);
        std::uniform_real_distribution<double> value(0, 20);
        BeginBulkLoad(Net);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                THashEntry* cell;
                RegridHashTable(Net);
                TNode* n = AddNode(Net, x * 10, y * 10, cell, false, 1);
                n->EntityType = 1;
                SlotOf(*n, 1)->SetReal(value(random));
                Nodes.push_back(n);
            }
        TLink *ha, *hb;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                TNode* a = Nodes[size_t(y) * side + x];
                TNode* b = Nodes[size_t(y) * side + (x + 1) % side];
                TLinkValues* l = AddLink(Net, a, b, false, 1, ha, hb);
                l->EntityType = 1;
                SlotOf(*l, 1)->SetReal(value(random));
                Links.push_back(l);
            }
        Net.NodeCount = int32_t(Nodes.size());
        Net.LinkCount = int32_t(Links.size());
    }
    // Everything back, the undo list emptied.
    void Restore()
    {
        for (TNode* n : Nodes) n->Active = 1;
        for (TLinkValues* l : Links) {
            l->Active = 1;
            l->DeletedWithNode = 0;
        }
        FreeUndoLists(Net);
    }
    // The same walk and tests, nothing else.
    int64_t HandLoop()
    {
        const TSearchFilter f = PrepareSearch(Net, Settings.Search);
        int64_t gone = 0;
        for (const THashEntry* cell : Net.NodeHash)
            for (TNetworkPoint* p : cell->Points) {
                TNode* n = p->AsNode();
                if (!n) continue;
                if (n->Active && !f.NodePassesSearch(*n)) {
                    n->Active = 0;
                    for (TLink* h : n->Links) h->LinkValues->Active = 0;
                    ++gone;
                }
                for (TLink* h : n->Links)
                    if (h->LinkValues->Active && !f.LinkPassesSearch(*h, *n)) {
                        h->LinkValues->Active = 0;
                        ++gone;
                    }
            }
        return gone;
    }
};

void BM_DeleteBySearch(benchmark::State& state)
{
    static TSearchNetwork net(1000); // a million nodes and a million links
    double command = 0, hand = 0;
    for (auto _ : state) {
        state.PauseTiming();
        net.Restore();
        const auto h0 = Clock::now();
        benchmark::DoNotOptimize(net.HandLoop());
        hand += std::chrono::duration<double>(Clock::now() - h0).count();
        net.Restore();
        state.ResumeTiming();
        const auto c0 = Clock::now();
        const TBulkDeleteResult r = DeleteBySearch(net.Net, net.Settings);
        command += std::chrono::duration<double>(Clock::now() - c0).count();
        benchmark::DoNotOptimize(r);
    }
    state.counters["ratio"] = hand > 0 ? command / hand : 0;
    state.SetItemsProcessed(int64_t(state.iterations()) * 2000000);
}
BENCHMARK(BM_DeleteBySearch)->Unit(benchmark::kMillisecond)->Iterations(5);

// A window over 200,000 links: 400 rows of 500 links each.
struct TPlotWindow {
    QTemporaryDir Dir;
    std::unique_ptr<TZOKMainWindow> Main;
    TSketchPadWindow* Pad = nullptr;
    std::vector<std::pair<QPoint, QPoint>> Segments;

    TPlotWindow()
    {
        TMainOptions o;
        o.ShowSplash = false;
        o.IniFile = Dir.filePath("tarvex.ini").toStdString();
        o.ProgramDir = Dir.path().toStdString();
        Main = std::make_unique<TZOKMainWindow>(o);
        RegisterFeatures(*Main);
        Main->ScreenPpi = [] { return 96.0; };
        Main->CreateFirstPad();
        Pad = Main->SketchPads.at(0);
        TNetwork& net = *Pad->Network;
        Pad->Settings.Display.GlobalShape = 0; // links only: the comparison with bare lines
        const int cols = 501, rows = 400;
        std::vector<TNode*> nodes;
        BeginBulkLoad(net);
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < cols; ++x) {
                THashEntry* cell;
                RegridHashTable(net);
                nodes.push_back(AddNode(net, x * 4, y * 5, cell, false, 0));
            }
        TLink *ha, *hb;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x + 1 < cols; ++x) {
                TNode* a = nodes[size_t(y) * cols + x];
                TNode* b = nodes[size_t(y) * cols + x + 1];
                AddLink(net, a, b, false, 0, ha, hb);
                Segments.emplace_back(QPoint(a->X + 10, a->Y + 10), QPoint(b->X + 10, b->Y + 10));
            }
        RecomputeExtents(net);
        net.NodeCount = int32_t(nodes.size());
        Pad->View.SetExtents(net.MinX, net.MinY, net.MaxX, net.MaxY);
    }
    QByteArray Bare() const
    {
        QByteArray svg;
        QBuffer buffer(&svg);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator gen;
        gen.setOutputDevice(&buffer);
        gen.setSize(QSize(2020, 2015));
        QPainter p(&gen);
        p.setPen(QPen(Qt::blue, 1));
        for (const auto& [a, b] : Segments) p.drawLine(a, b);
        p.end();
        return svg;
    }
};

// The window goes before the application does.
std::unique_ptr<TPlotWindow> PlotWindow;

void BM_SvgPlot(benchmark::State& state)
{
    if (!PlotWindow) PlotWindow = std::make_unique<TPlotWindow>();
    TPlotWindow& w = *PlotWindow;
    double plot = 0, bare = 0;
    for (auto _ : state) {
        QByteArray svg;
        QSize size;
        const auto t0 = Clock::now();
        PlotPicture(*w.Pad, svg, size);
        const auto t1 = Clock::now();
        const QByteArray b = w.Bare();
        const auto t2 = Clock::now();
        plot += std::chrono::duration<double>(t1 - t0).count();
        bare += std::chrono::duration<double>(t2 - t1).count();
        benchmark::DoNotOptimize(svg.size() + b.size());
    }
    state.counters["ratio"] = bare > 0 ? plot / bare : 0;
}
BENCHMARK(BM_SvgPlot)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PlotWindow.reset();
    return 0;
}
