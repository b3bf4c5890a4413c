#include "display/DisplayCommands.h"

#include <memory>

#include <QAction>
#include <QMenu>

#include "core/edit/Transforms.h"
#include "core/file/TextFormat.h"
#include "display/DisplaySupport.h"
#include "display/LayersDialog.h"
#include "display/PolygonDialogs.h"
#include "display/StyleDialogs.h"
#include "display/TransformDialogs.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"

namespace {

// A Calculate run, or a print of this network, is under way: the network
// must not change.
bool NetworkBusy(const TSketchPadWindow& Pad)
{
    const TSketchPadWindow* printing = Pad.Main.PlottingPad;
    return Pad.Main.CalcBusy || (printing && printing->Network == Pad.Network);
}

// The window's own display settings changed: only its own saved flag.
void WindowSettingsChanged(TSketchPadWindow& Pad)
{
    Pad.View.Saved = 0;
    RepaintWindow(Pad);
}

} // namespace

void ShowTransformDialog(TSketchPadWindow& Pad, int Kind)
{
    if (NetworkBusy(Pad) || Pad.Network->NodeCount <= 0) return;
    std::unique_ptr<TTransformDB> d;
    if (Kind == TransformScale)
        d = std::make_unique<TSetScaleDB>(Pad, &Pad);
    else if (Kind == TransformTranslate)
        d = std::make_unique<TSetTranslateDB>(Pad, &Pad);
    else
        d = std::make_unique<TSetRotateDB>(Pad, &Pad);
    // The dialog's OK transforms the network and every view follows.
    RunDisplayDialog(Pad, *d);
}

void ShowLayersDialog(TSketchPadWindow& Pad)
{
    TLayerDB d(Pad.Main, Pad.Settings.Layers, &Pad);
    if (RunDisplayDialog(Pad, d) != QDialog::Accepted) return;
    d.Store(Pad.Settings.Layers);
    WindowSettingsChanged(Pad);
}

void ShowShapesDialog(TSketchPadWindow& Pad)
{
    TShapesDB d(Pad.Main, Pad.Settings.Display, &Pad);
    if (RunDisplayDialog(Pad, d) != QDialog::Accepted) return;
    d.Store(Pad.Settings.Display);
    // Picks reach as far as the symbols.
    Pad.View.StandardSize = Pad.Settings.Display.StandardSize;
    WindowSettingsChanged(Pad);
}

void ShowPolygonStylesDialog(TSketchPadWindow& Pad)
{
    TPolygonStylesDB d(Pad, &Pad);
    if (!d.Run()) return;
    d.Store(Pad.Settings.Display);
    WindowSettingsChanged(Pad);
}

void ShowColorPalettesDialog(TSketchPadWindow& Pad)
{
    TPolygonColorsDB d(Pad, &Pad);
    if (RunDisplayDialog(Pad, d) != QDialog::Accepted) return;
    d.Store(Pad.Settings.Display);
    WindowSettingsChanged(Pad);
}

void ShowClassStylesDialog(TSketchPadWindow& Pad, bool Nodes)
{
    if (NetworkBusy(Pad)) return;
    TEntityClass& classes = Nodes ? *Pad.Network->NodeClasses : *Pad.Network->LinkClasses;
    if (CountEntityTypes(classes) == 0) return;
    std::unique_ptr<TClassStylesDB> d;
    if (Nodes)
        d = std::make_unique<TNodeStylesDB>(Pad, &Pad);
    else
        d = std::make_unique<TLinkStylesDB>(Pad, &Pad);
    if (!d->Run()) return;
    // The classes belong to the network that all its views share.
    Pad.Network->SetAllowClose(false);
    d->Store(classes, Pad.Settings.Widths, Pad.Settings.Display);
    RepaintNetworkWindows(Pad);
}

void UpdateDisplayCommands(TSketchPadWindow& Pad)
{
    const TNetwork& net = *Pad.Network;
    const bool nodes = net.NodeCount > 0;
    for (const char* name : {"ScaleM", "TranslateM", "RotateM"})
        if (QAction* a = Pad.Action(name)) a->setEnabled(nodes);
    if (QAction* a = Pad.Action("NodeStylesM")) a->setEnabled(CountEntityTypes(*net.NodeClasses) > 0);
    if (QAction* a = Pad.Action("LinkStylesM")) a->setEnabled(CountEntityTypes(*net.LinkClasses) > 0);
    for (const char* name : {"LayersM", "Shapes1", "PolygonStylesM", "UsePolygonColorsM"})
        if (QAction* a = Pad.Action(name)) a->setEnabled(true);
}

void ConnectDisplayCommands(TSketchPadWindow& Pad)
{
    TSketchPadWindow* pad = &Pad;
    auto on = [pad](const char* name, auto f) {
        if (QAction* a = pad->Action(name)) QObject::connect(a, &QAction::triggered, pad, f);
    };
    on("ScaleM", [pad] { ShowTransformDialog(*pad, TransformScale); });
    on("TranslateM", [pad] { ShowTransformDialog(*pad, TransformTranslate); });
    on("RotateM", [pad] { ShowTransformDialog(*pad, TransformRotate); });
    on("LayersM", [pad] { ShowLayersDialog(*pad); });
    on("Shapes1", [pad] { ShowShapesDialog(*pad); });
    on("PolygonStylesM", [pad] { ShowPolygonStylesDialog(*pad); });
    on("UsePolygonColorsM", [pad] { ShowColorPalettesDialog(*pad); });
    on("NodeStylesM", [pad] { ShowClassStylesDialog(*pad, true); });
    on("LinkStylesM", [pad] { ShowClassStylesDialog(*pad, false); });
    // The enabled states follow the network whenever a menu opens.
    for (QMenu* m : Pad.Menus) QObject::connect(m, &QMenu::aboutToShow, pad, [pad] { UpdateDisplayCommands(*pad); });
    UpdateDisplayCommands(Pad);
}
