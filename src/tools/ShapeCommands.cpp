#include "tools/ShapeCommands.h"

#include <memory>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QPointer>

#include "core/shapes/ShapeImport.h"
#include "shell/BusyGate.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"
#include "tools/ToolCommands.h"
#include "tools/LongLatDialogs.h"
#include "tools/ShapeFileComplexDialog.h"
#include "tools/ShapeFileDialogs.h"

namespace {

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

// While a long step lets events through, the gate lets only views of the
// network act: no close, no backup, no other change or file step.
struct TLongStep {
    TLongStep(TSketchPadWindow& Pad, TBusyKind Kind)
        : Run(Pad.Main.Gate.Begin(Kind, Pad.Network.get(), &Pad, GateView))
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TLongStep() { QApplication::restoreOverrideCursor(); }
    TBusyGate::TRun Run;
};

TGeographyHooks GeographyHooks(TSketchPadWindow& Pad)
{
    TGeographyHooks h;
    h.LongStep = [&Pad] { return std::make_shared<TLongStep>(Pad, TBusyKind::Import); };
    h.NetworkChanged = [&Pad](bool moved) {
        if (moved)
            NetworkMoved(Pad);
        else
            Repaint(Pad);
    };
    h.ShowTriangles = [&Pad](std::vector<TDEdge> edges) { Pad.ShowTriangles(std::move(edges)); };
    h.ProcessEvents = ProcessEvents;
    h.ShowHelp = [&Pad](int topic) { Pad.Main.ShowHelpTopic(topic); };
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
    // A batch run from the dialog may close the window it was opened from.
    QPointer<TSketchPadWindow> guard(&Pad);
    auto alive = [guard] { return guard && !guard->Destroying && guard->Network; };
    d.Store = [&Pad, alive](const TShapeImportSettings& s) {
        if (alive() && StoreShapeSettings(s, Pad.Settings)) Pad.Network->SetAllowClose(false);
    };
    d.Import = [&Pad, alive](const std::string& file, const TShapeImportSettings& s) {
        TZOKMainWindow& M = Pad.Main;
        if (!alive() || !M.Gate.Lets(GateChange, Pad.Network.get())) return std::string();
        TShapeImportResult r;
        {
            TLongStep step(Pad, TBusyKind::Import);
            r = ImportShapefile(*Pad.Network, Pad.Settings, s, file, ProcessEvents, *M.Boxes);
        }
        if (r.Changed) NetworkMoved(Pad);
        return ShapeImportStatus(r);
    };
    d.MultipleImport = [&M, &d, alive] {
        ShowComplexShapeFileDB(M);
        if (!alive()) d.reject();
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
    d.LongStep = [&Pad] { return std::make_shared<TLongStep>(Pad, TBusyKind::FileStep); };
    d.ShowExtract = [&Pad](bool polygons, bool filter) { ShowExtractDialog(Pad, true, polygons, filter ? 1 : 0); };
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

void RegisterShapePadItems(TZOKMainWindow& Main)
{
    Main.PadItems.SetCommand("ArcViewShape1", GateChange, ShowShapeImport);
    Main.PadItems.SetCommand("Export1", GateFile, ShowShapeExport);
    Main.PadItems.SetCommand("CalculateLongLat1", GateChange, ShowCalcLongLat);
    Main.PadItems.SetCommand("CalculateElevations1", GateChange, ShowElevations);
}
