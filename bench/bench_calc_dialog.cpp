// The five-line Calculate program over a million nodes and a million links,
// started through the Calculate dialog's Start (status box, run gate, the
// event pump every 30 ms) against RunCalculation with a host that does
// nothing, on the same window's network in the same process. Counter
// "ratio": the dialog's time per run divided by the bare run's.
#include "calc_world.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <memory>

#include "app/Features.h"
#include "schema/CalculateDialog.h"
#include "schema/CalculateRun.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"

namespace {

struct Window {
    QTemporaryDir Dir;
    std::unique_ptr<TZOKMainWindow> Main;
    TSketchPadWindow* Pad = nullptr;
    std::unique_ptr<calcbench::World> Built;
    Window()
    {
        TMainOptions o;
        o.IniFile = Dir.filePath("tarvex.ini").toStdString();
        o.ProgramDir = Dir.path().toStdString();
        o.ShowSplash = false;
        Main = std::make_unique<TZOKMainWindow>(o);
        RegisterFeatures(*Main);
        Main->CreateFirstPad();
        Pad = Main->SketchPads.at(0);
        Built = std::make_unique<calcbench::World>(*Pad->Network, Pad->View.CalcProgram);
    }
};

// Made on first use, freed before the application goes.
std::unique_ptr<Window>& WindowSlot()
{
    static std::unique_ptr<Window> w;
    return w;
}

Window& TheWindow()
{
    if (!WindowSlot()) WindowSlot() = std::make_unique<Window>();
    return *WindowSlot();
}

double Seconds(const std::chrono::steady_clock::time_point& t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_CalculateThroughDialog(benchmark::State& state)
{
    Window& w = TheWindow();
    TSketchPadWindow& pad = *w.Pad;
    double bare = 1e30, dialog = 1e30;
    int32_t nodes = 0, links = 0;
    w.Main->ExecDialog = [&](QDialog& d) {
        auto& calc = static_cast<TCalculateDB&>(d);
        const auto t0 = std::chrono::steady_clock::now();
        calc.Button9->click();
        dialog = std::min(dialog, Seconds(t0));
        calc.CloseButton->click();
        return d.result();
    };
    for (auto _ : state) {
        // The bare run: the same options, a host that does nothing.
        TCalcHost host;
        TCalcFlags flags;
        TCalcRunOptions options;
        options.View = &pad.View;
        auto t0 = std::chrono::steady_clock::now();
        const TCalcSummary s = RunCalculation(*pad.Network, pad.View.CalcProgram, flags, host, {},
                                              DefaultCalcEditOps(), options);
        bare = std::min(bare, Seconds(t0));
        nodes = s.Nodes;
        links = s.Links;
        CalculateCommand(pad);
    }
    if (nodes != calcbench::Side * calcbench::Side || links != int32_t(w.Built->Links.size()))
        state.SkipWithError("the run did not calculate every element");
    if (TCalculateStatusDB* box = CalculateStatusBox(*w.Main))
        if (!box->Label1->text().startsWith("Processed: " + QString::number(links) + " Links"))
            state.SkipWithError("the status box does not show the summary");
    state.counters["bare_ms"] = bare * 1000;
    state.counters["dialog_ms"] = dialog * 1000;
    state.counters["ratio"] = dialog / bare;
}
BENCHMARK(BM_CalculateThroughDialog)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    WindowSlot().reset();
    return 0;
}
