#include "core/shapes/BatchMemoryHost.h"

#include <ctime>

#include "core/calc/CalcEditing.h"
#include "core/calc/CalcRun.h"
#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "core/tables/Update.h"

namespace {

TOpenResult OpenWithSettings(TNetwork& net, TWindowSettings& settings, const std::string& path, bool open,
                             TMessageSink& sink)
{
    TOpenOptions options;
    options.AskKeepName = false;
    return OpenNetworkFile(net, settings, path, open, sink, options);
}

TSaveResult SaveWithSettings(TNetwork& net, const TWindowSettings& settings, const std::string& path, int version,
                             TMessageSink& sink)
{
    return SaveNetworkFile(net, settings, path, version, sink);
}

// A host that notices nothing of a Calculate run but its end.
class TQuietCalcHost : public TCalcHost {};

} // namespace

TMemoryBatchHost::TWindow& TMemoryBatchHost::AddWindow()
{
    Windows.push_back(std::make_unique<TWindow>());
    Current = int(Windows.size()) - 1;
    Windows.back()->CreatedTime = int64_t(std::time(nullptr));
    return *Windows.back();
}

bool TMemoryBatchHost::NewWindow(TMessageSink&)
{
    AddWindow();
    return true;
}

bool TMemoryBatchHost::OpenNetwork(const std::string& path, TMessageSink& sink)
{
    TWindow* w = CurrentWindow();
    if (!w) return false;
    const TOpenResult r = OpenWithSettings(w->Net, w->Settings, path, true, sink);
    if (r.Status != TOpenStatus::Ok) return false;
    w->Net.FileName = path;
    w->Caption = CaptionOfPath(path);
    return true;
}

bool TMemoryBatchHost::ApplyShapefileSettings(TMessageSink& sink)
{
    TWindow* w = CurrentWindow();
    if (!w) return false;
    if (!ShapeSettingsValid(ShapeSettings)) {
        ShowMessageText(sink, MessageText(291), ShapeFileCaption, MB_EXCLAMATION_OK);
        return false;
    }
    if (StoreShapeSettings(ShapeSettings, w->Settings)) w->Net.SetAllowClose(false);
    return true;
}

bool TMemoryBatchHost::AppendNetwork(const std::string& path, TMessageSink& sink)
{
    TWindow* w = CurrentWindow();
    if (!w) return false;
    const TOpenResult r = OpenWithSettings(w->Net, w->Settings, path, false, sink);
    if (r.Status != TOpenStatus::Ok) return false;
    w->Net.SetAllowClose(false);
    return true;
}

bool TMemoryBatchHost::ImportShapefile(const std::string& path, TMessageSink& sink)
{
    // The import files its points again (the rebuild after an import).
    TWindow* w = CurrentWindow();
    if (!w) return false;
    // A file of a type that is not imported is passed over: the run goes on.
    return ::ImportShapefile(w->Net, w->Settings, ShapeSettings, path, {}, sink, TOtherShapeTypes::PassOver)
               .ErrorCode == ShapeErrorNone;
}

bool TMemoryBatchHost::LoadProgram(const std::string& path, TMessageSink& sink)
{
    TWindow* w = CurrentWindow();
    return w && OpenProgramFile(path, w->Program, &sink);
}

bool TMemoryBatchHost::RunProgram(TMessageSink&)
{
    TWindow* w = CurrentWindow();
    if (!w) return false;
    // The run acts for the window: its polygon criterion, units and splice
    // rules, as a run from the Calculate dialog.
    TViewRecord view;
    view.Settings = &w->Settings;
    TCalcRunOptions options;
    options.View = &view;
    TEditHooks hooks;
    hooks.Settings = &w->Settings;
    TCalcFlags flags;
    TQuietCalcHost calcHost;
    RunCalculation(w->Net, w->Program, flags, calcHost, {}, CalcEditOpsFor(hooks, w->Settings.SpliceRules), options);
    return true;
}

bool TMemoryBatchHost::GetUpdateFormats(const std::string& path, TMessageSink& sink)
{
    TWindow* w = CurrentWindow();
    return w && ReadBatchUpdateFormats(path, w->Settings.ExtractFormats, sink);
}

bool TMemoryBatchHost::DoUpdate(const std::string& path, TMessageSink& sink)
{
    TWindow* w = CurrentWindow();
    if (!w) return false;
    const TUpdateResult r = RunUpdate(w->Net, w->Settings.ExtractFormats, path, sink);
    return !r.ScaleRefused && r.ErrorCode == 0;
}

bool TMemoryBatchHost::SaveAs(const std::string& path, TMessageSink& sink)
{
    TWindow* w = CurrentWindow();
    if (!w) return false;
    if (!SaveWithSettings(w->Net, w->Settings, path, 9, sink).Ok) return false;
    w->Net.FileName = path;
    w->Caption = CaptionOfPath(path);
    w->CreatedTime = int64_t(std::time(nullptr));
    return true;
}

void TMemoryBatchHost::CloseCurrentWindow()
{
    if (Current < 0) return;
    Windows.erase(Windows.begin() + Current);
    Current = Windows.empty() ? -1 : int(Windows.size()) - 1;
}
