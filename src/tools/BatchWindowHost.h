// The batch import over the program's windows: each step acts on the current
// network window as the menu commands do, opening, appending, saving and
// closing windows through the main window.
#pragma once

#include <string>

#include "core/shapes/BatchRun.h"

class TSketchPadWindow;
class TZOKMainWindow;

class TWindowBatchHost : public TBatchHost {
public:
    explicit TWindowBatchHost(TZOKMainWindow& Main) : Main(Main) {}

    int WindowCount() const override;
    bool HasCurrentWindow() const override;
    bool NewWindow(TMessageSink& Sink) override;
    bool OpenNetwork(const std::string& Path, TMessageSink& Sink) override;
    bool ApplyShapefileSettings(TMessageSink& Sink) override;
    bool AppendNetwork(const std::string& Path, TMessageSink& Sink) override;
    bool ImportShapefile(const std::string& Path, TMessageSink& Sink) override;
    bool LoadProgram(const std::string& Path, TMessageSink& Sink) override;
    bool RunProgram(TMessageSink& Sink) override;
    bool GetUpdateFormats(const std::string& Path, TMessageSink& Sink) override;
    bool DoUpdate(const std::string& Path, TMessageSink& Sink) override;
    bool SaveAs(const std::string& Path, TMessageSink& Sink) override;
    void CloseCurrentWindow() override;

private:
    TZOKMainWindow& Main;
    // The window NewWindow made, until its network is read.
    TSketchPadWindow* FNewPad = nullptr;
};

// Every window of the pad's network takes in the network's extents, scrolls
// to its top left and repaints (after an import or an update that moved
// points).
void RefitNetworkWindows(TSketchPadWindow& Pad);
