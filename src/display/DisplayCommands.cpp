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

// A long run holds the network: it must not change.
bool NetworkBusy(const TSketchPadWindow& Pad) { return !Pad.Main.Gate.Lets(GateChange, Pad.Network.get()); }

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

void RegisterDisplayPadItems(TZOKMainWindow& Main)
{
    TPadItemTable& t = Main.PadItems;
    // Transforms need nodes, class styles classes of their kind: the table's
    // rules for these items say so.
    t.SetCommand("ScaleM", GateChange, [](TSketchPadWindow& p) { ShowTransformDialog(p, TransformScale); });
    t.SetCommand("TranslateM", GateChange, [](TSketchPadWindow& p) { ShowTransformDialog(p, TransformTranslate); });
    t.SetCommand("RotateM", GateChange, [](TSketchPadWindow& p) { ShowTransformDialog(p, TransformRotate); });
    t.SetCommand("LayersM", GateDisplay, ShowLayersDialog);
    t.SetCommand("Shapes1", GateDisplay, ShowShapesDialog);
    t.SetCommand("PolygonStylesM", GateDisplay, ShowPolygonStylesDialog);
    t.SetCommand("UsePolygonColorsM", GateDisplay, ShowColorPalettesDialog);
    t.SetCommand("NodeStylesM", GateChange, [](TSketchPadWindow& p) { ShowClassStylesDialog(p, true); });
    t.SetCommand("LinkStylesM", GateChange, [](TSketchPadWindow& p) { ShowClassStylesDialog(p, false); });
}
