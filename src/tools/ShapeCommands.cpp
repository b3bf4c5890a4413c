#include "tools/ShapeCommands.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>

#include "core/shapes/ShapeImport.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"
#include "tools/ExtractDialog.h"
#include "tools/LongLatDialogs.h"
#include "tools/ShapeFileDialogs.h"

namespace {

const char* const Items[] = {"ArcViewShape1", "Export1", "CalculateLongLat1", "CalculateElevations1"};

// Every window of the pad's network takes the network's extents (after
// points were added or moved) and repaints.
void NetworkMoved(TSketchPadWindow& Pad)
{
    const TNetwork& net = *Pad.Network;
    for (TSketchPadWindow* p : Pad.Main.SketchPads) {
        if (p->Network != Pad.Network) continue;
        if (net.MinX <= net.MaxX && net.MinY <= net.MaxY) p->View.SetExtents(net.MinX, net.MinY, net.MaxX, net.MaxY);
        p->SetScrollRanges();
        p->SetScrollPositions(0, 0);
        p->InvalidatePad();
    }
}

void Repaint(TSketchPadWindow& Pad) { Pad.Main.InvalidateNetworkViews(Pad); }

// File dialogs run as the main window runs dialogs.
std::function<bool(QFileDialog&)> FileDialogs(TZOKMainWindow& M)
{
    return [&M](QFileDialog& f) { return M.ExecDialog(f) == QDialog::Accepted; };
}

void ProcessEvents() { QCoreApplication::processEvents(); }

// While a long step runs, the network's windows are not closed and backups wait.
struct TLongStep {
    explicit TLongStep(TZOKMainWindow& M) : Main(M)
    {
        ++Main.FileBusy;
        Main.ImportBusy = 1;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TLongStep()
    {
        QApplication::restoreOverrideCursor();
        Main.ImportBusy = 0;
        --Main.FileBusy;
    }
    TZOKMainWindow& Main;
};

TGeographyHooks GeographyHooks(TSketchPadWindow& Pad)
{
    TGeographyHooks h;
    h.NetworkChanged = [&Pad](bool moved) {
        if (moved)
            NetworkMoved(Pad);
        else
            Repaint(Pad);
    };
    h.ProcessEvents = ProcessEvents;
    h.Boxes = Pad.Main.Boxes;
    return h;
}

} // namespace

void ShowShapeImport(TSketchPadWindow& Pad)
{
    TZOKMainWindow& M = Pad.Main;
    TShapeFileDB d(ProgramShapeSettings(), &M);
    d.Boxes = M.Boxes;
    d.RunFileDialog = FileDialogs(M);
    d.Store = [&Pad](const TShapeImportSettings& s) {
        if (StoreShapeSettings(s, Pad.Settings)) Pad.Network->SetAllowClose(false);
    };
    d.Import = [&Pad](const std::string& file, const TShapeImportSettings& s) {
        TZOKMainWindow& M = Pad.Main;
        if (M.ImportBusy) return;
        TShapeImportResult r;
        {
            TLongStep step(M);
            r = ImportShapefile(*Pad.Network, Pad.Settings, s, file, ProcessEvents, *M.Boxes);
        }
        if (r.Changed) NetworkMoved(Pad);
    };
    M.ExecDialog(d);
}

void ShowShapeExport(TSketchPadWindow& Pad)
{
    TZOKMainWindow& M = Pad.Main;
    TShapeExportDB d(*Pad.Network, Pad.Settings, Pad.View, &M);
    d.Boxes = M.Boxes;
    d.RunFileDialog = FileDialogs(M);
    d.ProcessEvents = ProcessEvents;
    d.ShowExtract = [&Pad](TExtractDB& x) {
        x.RunFileDialog = FileDialogs(Pad.Main);
        x.ClearSaved = [&Pad] { Pad.View.Saved = 0; };
        x.NetworkUpdated = [&Pad](const TUpdateResult&) { NetworkMoved(Pad); };
        Pad.Main.ExecDialog(x);
    };
    M.ExecDialog(d);
}

void ShowCalcLongLat(TSketchPadWindow& Pad)
{
    TCalcLongLatDB d(*Pad.Network, Pad.Settings, &Pad.Main);
    d.Hooks = GeographyHooks(Pad);
    Pad.Main.ExecDialog(d);
}

void ShowElevations(TSketchPadWindow& Pad)
{
    TElevationDB d(*Pad.Network, Pad.Settings, &Pad.Main);
    d.Hooks = GeographyHooks(Pad);
    Pad.Main.ExecDialog(d);
}

bool ShapeCommandEnabled(const TSketchPadWindow&, const std::string& ItemName)
{
    for (const char* item : Items)
        if (ItemName == item) return true;
    return false;
}

void ConnectShapeCommands(TSketchPadWindow& Pad)
{
    void (*const shows[])(TSketchPadWindow&) = {ShowShapeImport, ShowShapeExport, ShowCalcLongLat, ShowElevations};
    for (int i = 0; i < 4; ++i) {
        QAction* a = Pad.Action(Items[i]);
        if (!a) continue;
        QObject::connect(a, &QAction::triggered, &Pad, [&Pad, show = shows[i]] { show(Pad); });
        a->setEnabled(ShapeCommandEnabled(Pad, Items[i]));
    }
}
