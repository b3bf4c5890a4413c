#include "tools/BatchWindowHost.h"

#include <chrono>

#include <QApplication>
#include <QCoreApplication>

#include "core/model/Messages.h"
#include "core/shapes/ShapeImport.h"
#include "core/tables/Update.h"
#include "schema/CalculateRun.h"
#include "shell/DocumentIO.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"
#include "tools/ExtractDialog.h"
#include "tools/ShapeFileDialogs.h"

namespace {

// Hourglass for the length of a step.
struct TBusyCursor {
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
};

// Lets pending events other than user input through, about every 30 ms.
class TPump {
public:
    void operator()()
    {
        const auto now = std::chrono::steady_clock::now();
        if (now - Last < std::chrono::milliseconds(30)) return;
        Last = now;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

private:
    std::chrono::steady_clock::time_point Last = std::chrono::steady_clock::now();
};

} // namespace

void RefitNetworkWindows(TSketchPadWindow& Pad)
{
    const std::shared_ptr<TNetwork> net = Pad.Network;
    for (TSketchPadWindow* p : Pad.Main.SketchPads)
        if (p->Network == net) Pad.Main.TrimToExtents(*p);
}

int TWindowBatchHost::WindowCount() const { return Main.PadCount(); }

bool TWindowBatchHost::HasCurrentWindow() const { return Main.CurrentPad != nullptr; }

bool TWindowBatchHost::NewWindow(TMessageSink&)
{
    Main.CurrentFileName = Main.DefaultFileName;
    FNewPad = Main.CreatePad();
    return FNewPad != nullptr;
}

bool TWindowBatchHost::OpenNetwork(const std::string& Path, TMessageSink& Sink)
{
    TSketchPadWindow* pad = Main.CurrentPad;
    if (!pad || !Main.IO) return false;
    pad->FileName = Path;
    bool ok = false;
    {
        TBusyCursor busy;
        TBusyGate::TRun step = Main.Gate.Begin(TBusyKind::FileStep, nullptr, pad, GateView);
        ok = Main.IO->OpenUnasked(*pad, Path, Sink);
    }
    if (!ok) return false;
    FNewPad = nullptr;
    Main.AfterOpen(*pad);
    Main.FreeUntouchedPads(*pad);
    return true;
}

bool TWindowBatchHost::ApplyShapefileSettings(TMessageSink& Sink)
{
    // The shapefile dialog's OK: its values, checked, become the window's.
    TSketchPadWindow* pad = Main.CurrentPad;
    if (!pad) return false;
    const TShapeImportSettings& s = ProgramShapeSettings();
    if (!ShapeSettingsValid(s)) {
        ShowMessageText(Sink, MessageText(291), ShapeFileCaption, MB_EXCLAMATION_OK);
        return false;
    }
    if (StoreShapeSettings(s, pad->Settings)) pad->Network->SetAllowClose(false);
    return true;
}

bool TWindowBatchHost::AppendNetwork(const std::string& Path, TMessageSink&)
{
    TSketchPadWindow* pad = Main.CurrentPad;
    return pad && Main.AppendFile(*pad, Path, false);
}

bool TWindowBatchHost::ImportShapefile(const std::string& Path, TMessageSink& Sink)
{
    TSketchPadWindow* pad = Main.CurrentPad;
    if (!pad) return false;
    TShapeImportResult r;
    {
        TBusyCursor busy;
        TPump pump;
        // A file of a type that is not imported is passed over.
        r = ::ImportShapefile(*pad->Network, pad->Settings, ProgramShapeSettings(), Path, [&pump] { pump(); }, Sink,
                              TOtherShapeTypes::PassOver);
    }
    // What came in before a failure stays, and shows.
    if (r.Changed) RefitNetworkWindows(*pad);
    return r.ErrorCode == ShapeErrorNone;
}

bool TWindowBatchHost::LoadProgram(const std::string& Path, TMessageSink& Sink)
{
    TSketchPadWindow* pad = Main.CurrentPad;
    // The program is read whole or not at all: a failed read keeps the one there.
    return pad && OpenProgramFile(Path, pad->View.CalcProgram, &Sink);
}

bool TWindowBatchHost::RunProgram(TMessageSink&)
{
    // The run shows its status box, whose Stop ends it.
    TSketchPadWindow* pad = Main.CurrentPad;
    return pad && RunWindowCalculation(*pad, pad->View.CalcProgram).Ran;
}

bool TWindowBatchHost::GetUpdateFormats(const std::string& Path, TMessageSink& Sink)
{
    TSketchPadWindow* pad = Main.CurrentPad;
    if (!pad) return false;
    TExtractFormats formats = pad->Settings.ExtractFormats;
    if (!ReadBatchUpdateFormats(Path, formats, Sink)) return false;
    if (!SameFormats(formats, pad->Settings.ExtractFormats)) {
        pad->Settings.ExtractFormats = formats;
        pad->View.Saved = 0;
    }
    return true;
}

bool TWindowBatchHost::DoUpdate(const std::string& Path, TMessageSink& Sink)
{
    TSketchPadWindow* pad = Main.CurrentPad;
    if (!pad) return false;
    TUpdateResult r;
    {
        TBusyCursor busy;
        TPump pump;
        r = RunUpdate(*pad->Network, pad->Settings.ExtractFormats, Path, Sink, [&pump](int32_t) { pump(); });
    }
    if (r.CoordinatesChanged)
        RefitNetworkWindows(*pad);
    else if (r.Changed)
        Main.InvalidateNetworkViews(*pad);
    return !r.ScaleRefused && r.ErrorCode == 0;
}

bool TWindowBatchHost::SaveAs(const std::string& Path, TMessageSink&)
{
    // As the menu's Save As: every window of the network takes the new name.
    TSketchPadWindow* pad = Main.CurrentPad;
    return pad && Main.SaveAsTo(*pad, Path);
}

void TWindowBatchHost::CloseCurrentWindow()
{
    TSketchPadWindow* pad = Main.CurrentPad;
    if (!pad) return;
    if (pad == FNewPad) {
        // A window whose network could not be read goes as it came.
        FNewPad = nullptr;
        Main.DestroyPad(*pad);
        return;
    }
    // The ordinary close: the list of recent files remembers the window.
    if (pad->View.Saved || Main.FormCloseQuery(*pad)) Main.FormClose(*pad);
}
