// What the tests of the path and coverage dialogs share: a window's records
// with a context whose nested dialogs a test answers, a hold that records
// when a run begins and ends, and the program with one network window.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "core/model/Messages.h"
#include "core/model/WindowSettings.h"
#include "schema/SchemaCommon.h"
#include "tools/AnalysisRun.h"
#include "../core/analysis/analysis_networks.h"
#include "../shell/program_fixture.h"

namespace analysistest {

struct TDialogWindow {
    TNetwork Net;
    TWindowSettings Settings;
    TViewRecord View;
    TMessageSinkRecorder Boxes;
    TSchemaContext Ctx;
    std::function<int(QDialog&)> Nested; // answers the nested dialogs (memo)
    TDialogWindow()
    {
        View.Settings = &Settings;
        Ctx.Net = &Net;
        Ctx.Settings = &Settings;
        Ctx.View = &View;
        Ctx.Boxes = &Boxes;
        Ctx.Exec = [this](QDialog& d) { return Nested ? Nested(d) : int(QDialog::Rejected); };
    }
};

// A run's hold that records its beginning (true) and end (false), and
// passes on the stop request *stop.
inline TBeginRun RecordHolds(std::vector<bool>& events, const bool* stop = nullptr)
{
    return [&events, stop]() -> std::unique_ptr<TRunHold> {
        struct THold : TRunHold {
            std::vector<bool>& E;
            const bool* Stop;
            THold(std::vector<bool>& e, const bool* s) : E(e), Stop(s) { E.push_back(true); }
            ~THold() override { E.push_back(false); }
            bool StopRequested() const override { return Stop && *Stop; }
        };
        return std::make_unique<THold>(events, stop);
    };
}

struct TProgram : programtest::TProgram {
    TProgram() { Start(); }
    // The item's state after the window's items are brought up to date.
    bool Enabled(const char* item)
    {
        Main->UpdatePadItems(*Pad);
        return Pad->Action(item)->isEnabled();
    }
};

} // namespace analysistest
