#include "display/DisplayCommands.h"

#include <memory>

#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include "core/edit/Transforms.h"
#include "core/expr/LabelText.h"
#include "core/expr/WidthSizes.h"
#include "core/file/SettingsSections.h"
#include "core/model/Messages.h"
#include "core/file/TextFormat.h"
#include "display/BackgroundDialogs.h"
#include "display/DisplaySupport.h"
#include "display/LabelDialogs.h"
#include "display/LayersDialog.h"
#include "display/PolygonDialogs.h"
#include "display/StyleDialogs.h"
#include "display/TitleBlockDialog.h"
#include "display/TransformDialogs.h"
#include "display/WidthDialogs.h"
#include "platform/FileNames.h"
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

void ShowDescriptionDialog(TSketchPadWindow& Pad)
{
    TDescriptionBox d(Pad, &Pad);
    if (RunDisplayDialog(Pad, d) != QDialog::Accepted) return;
    // The title block is saved with the network: the window and its views are modified.
    Pad.Network->SetAllowClose(false);
    d.Store(Pad.Settings.Description);
    RepaintWindow(Pad);
}

void ShowBackgroundsDialog(TSketchPadWindow& Pad, bool Raster)
{
    TBackgroundsDB d(Pad, Raster ? TBackgroundKind::Raster : TBackgroundKind::Metafile, &Pad);
    // OK has put the slots in place when it closes the dialog.
    if (RunDisplayDialog(Pad, d) != QDialog::Accepted) return;
    WindowSettingsChanged(Pad);
}

void ShowUnderlayDialog(TSketchPadWindow& Pad)
{
    TUnderlayDB d(Pad, &Pad);
    if (RunDisplayDialog(Pad, d) != QDialog::Accepted) return;
    const int32_t underlay = d.Underlay();
    if (underlay == Pad.Settings.Backgrounds.Underlay) return;
    // The underlay names another open window and is not kept in the file:
    // there is nothing to save, so the window stays as saved as it was.
    Pad.Settings.Backgrounds.Underlay = underlay;
    RepaintWindow(Pad);
}

void ShowEntityLabelsDialog(TSketchPadWindow& Pad, bool Nodes)
{
    const TEntityClass& classes = Nodes ? *Pad.Network->NodeClasses : *Pad.Network->LinkClasses;
    if (CountEntityTypes(classes) == 0) return;
    TEntityLabelsDB d(Pad, Nodes, &Pad);
    if (!d.Run()) return;
    d.Store(Pad.Settings.Labels);
    ComputeLabelExtents(*Pad.Network, Pad.Settings);
    WindowSettingsChanged(Pad);
}

void ShowLabelsFormatDialog(TSketchPadWindow& Pad)
{
    TLabelsFormatDB d(Pad, &Pad);
    if (RunDisplayDialog(Pad, d) != QDialog::Accepted) return;
    d.Store(Pad.Settings.Labels);
    ComputeLabelExtents(*Pad.Network, Pad.Settings);
    Pad.View.Saved = 0;
    RecreateLabelFonts(Pad);
}

void ResetAllEntityLabelsCommand(TSketchPadWindow& Pad)
{
    if (NetworkBusy(Pad)) return;
    // The labels of the elements belong to the network: every view changes.
    ResetAllEntityLabels(*Pad.Network);
    RepaintNetworkWindows(Pad);
}

void ClearLabelsCommand(TSketchPadWindow& Pad)
{
    ClearLabels(*Pad.Network, Pad.Settings);
    WindowSettingsChanged(Pad);
}

void ShowWidthStatusDialog(TSketchPadWindow& Pad)
{
    TWidthStatusDB d(Pad, &Pad);
    if (RunDisplayDialog(Pad, d) != QDialog::Accepted) return;
    d.Store(Pad.Settings.Widths, Pad.Settings.Display);
    Pad.Settings.DesireTables = d.DesireTables;
    WindowSettingsChanged(Pad);
}

void ShowWidthExpressionsDialog(TSketchPadWindow& Pad, int Kind)
{
    const TWidthKind kind = Kind == 0 ? TWidthKind::Nodes : Kind == 1 ? TWidthKind::Links : TWidthKind::Desire;
    if (kind != TWidthKind::Desire) {
        const TEntityClass& classes = kind == TWidthKind::Nodes ? *Pad.Network->NodeClasses : *Pad.Network->LinkClasses;
        if (CountEntityTypes(classes) == 0) return;
    }
    TWidthExpressionsDB d(Pad, kind, &Pad);
    if (!d.Run()) return;
    d.Store(Pad.Settings.Widths);
    ComputeMaxWidths(*Pad.Network, Pad.Settings);
    WindowSettingsChanged(Pad);
}

void ShowWidthIntervalsDialog(TSketchPadWindow& Pad, bool Nodes)
{
    TWidthIntervalsDB d(Pad, Nodes, &Pad);
    if (RunDisplayDialog(Pad, d) != QDialog::Accepted) return;
    d.Store(Pad.Settings.Widths);
    ComputeMaxWidths(*Pad.Network, Pad.Settings);
    WindowSettingsChanged(Pad);
}

void PutWidthsCommand(TSketchPadWindow& Pad)
{
    QString file;
    if (!ChooseFile(Pad, &Pad, "SaveDialog1", "Put Widths", {"Widths (*.wdt)", "All Files (*)"}, true, file,
                    ShownName(Pad.View.WidthsFile)))
        return;
    const std::string path = DiskName(file);
    if (WriteWidthsFile(path, Pad.Settings.Widths) != TWidthsFileResult::Ok) {
        ShowMessageBox(*Pad.Main.Boxes, 33, 34, MB_EXCLAMATION_OK);
        return;
    }
    Pad.View.WidthsFile = path;
}

void ClearWidthsCommand(TSketchPadWindow& Pad)
{
    ResetWidthSettings(*Pad.Network, Pad.Settings);
    WindowSettingsChanged(Pad);
}

void GetWidthsCommand(TSketchPadWindow& Pad)
{
    QString file;
    if (!ChooseFile(Pad, &Pad, "OpenDialog1", "Get Widths", {"Widths (*.wdt)", "All Files (*)"}, false, file)) return;
    TWidthSettings read = Pad.Settings.Widths;
    if (ReadWidthsFile(DiskName(file), read) != TWidthsFileResult::Ok) {
        ShowMessageBox(*Pad.Main.Boxes, 36, 34, MB_EXCLAMATION_OK);
        return;
    }
    Pad.Settings.Widths = read;
    ComputeMaxWidths(*Pad.Network, Pad.Settings);
    WindowSettingsChanged(Pad);
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
    t.SetCommand("Description1", GateChange, ShowDescriptionDialog);
    t.SetCommand("BackgroundGraphics1", GateDisplay, [](TSketchPadWindow& p) { ShowBackgroundsDialog(p, true); });
    t.SetCommand("WMF1", GateDisplay, [](TSketchPadWindow& p) { ShowBackgroundsDialog(p, false); });
    t.SetCommand("Underlay1", GateDisplay, ShowUnderlayDialog);
}

void RegisterDisplayItems(TZOKMainWindow& Main)
{
    RegisterDisplayPadItems(Main);
    // The "Labels" and "Widths and Sizes" toolbar buttons act on the current
    // window.
    TToolbarButtonTable& b = Main.ToolbarCommands;
    b.SetCommand(1, GateChange, [](TSketchPadWindow& p) { ResetAllEntityLabelsCommand(p); });
    b.SetCommand(2, GateChange, [](TSketchPadWindow& p) { ShowEntityLabelsDialog(p, true); });
    b.SetCommand(3, GateChange, [](TSketchPadWindow& p) { ShowEntityLabelsDialog(p, false); });
    b.SetCommand(4, GateChange, [](TSketchPadWindow& p) { ShowLabelsFormatDialog(p); });
    b.SetCommand(5, GateChange, [](TSketchPadWindow& p) { ClearLabelsCommand(p); });
    b.SetCommand(6, GateChange, [](TSketchPadWindow& p) { ShowWidthStatusDialog(p); });
    b.SetCommand(7, GateChange, [](TSketchPadWindow& p) { ShowWidthExpressionsDialog(p, 0); });
    b.SetCommand(8, GateChange, [](TSketchPadWindow& p) { ShowWidthExpressionsDialog(p, 1); });
    b.SetCommand(9, GateChange, [](TSketchPadWindow& p) { ShowWidthIntervalsDialog(p, true); });
    b.SetCommand(10, GateChange, [](TSketchPadWindow& p) { ShowWidthIntervalsDialog(p, false); });
    b.SetCommand(11, GateChange, [](TSketchPadWindow& p) { PutWidthsCommand(p); });
    b.SetCommand(12, GateChange, [](TSketchPadWindow& p) { ClearWidthsCommand(p); });
    b.SetCommand(13, GateChange, [](TSketchPadWindow& p) { GetWidthsCommand(p); });
    b.SetCommand(14, GateChange, [](TSketchPadWindow& p) { ShowWidthExpressionsDialog(p, 2); });
    // The path and coverage tools open the width expressions of their classes.
    Main.Hooks.OpenWidthExpressions = ShowWidthExpressionsDialog;
}
