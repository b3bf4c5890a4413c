// A batch host over networks in memory, each window a network with its own
// settings and Calculate program. It serves the batch-run driver and tests,
// which run scripts without the program's windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/calc/CalcProgram.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "core/shapes/BatchRun.h"
#include "core/shapes/ShapeImport.h"

class TMemoryBatchHost : public TBatchHost {
public:
    struct TWindow {
        TNetwork Net;
        TWindowSettings Settings;
        TCalcProgram Program;
        std::string Caption = "noname.DTA";
        int64_t CreatedTime = 0; // seconds since the epoch
    };

    std::vector<std::unique_ptr<TWindow>> Windows;
    int Current = -1; // index into Windows; -1 when none is open
    // The shapefile import's values, as its dialog holds them for the run.
    TShapeImportSettings ShapeSettings;

    TWindow* CurrentWindow() const { return Current >= 0 ? Windows[size_t(Current)].get() : nullptr; }
    // A new empty window, made current.
    TWindow& AddWindow();

    int WindowCount() const override { return int(Windows.size()); }
    bool HasCurrentWindow() const override { return CurrentWindow() != nullptr; }
    bool NewWindow(TMessageSink& sink) override;
    bool OpenNetwork(const std::string& path, TMessageSink& sink) override;
    bool ApplyShapefileSettings(TMessageSink& sink) override;
    bool AppendNetwork(const std::string& path, TMessageSink& sink) override;
    bool ImportShapefile(const std::string& path, TMessageSink& sink) override;
    bool LoadProgram(const std::string& path, TMessageSink& sink) override;
    bool RunProgram(TMessageSink& sink) override;
    bool GetUpdateFormats(const std::string& path, TMessageSink& sink) override;
    bool DoUpdate(const std::string& path, TMessageSink& sink) override;
    bool SaveAs(const std::string& path, TMessageSink& sink) override;
    void CloseCurrentWindow() override;
};
