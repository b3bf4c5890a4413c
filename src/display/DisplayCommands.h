// The window's menu items of the display settings: the transforms, layers,
// shapes, polygon styles, colour palettes, the node and link styles, the
// title block, backgrounds and underlay; and the main window's "Labels" and
// "Widths and Sizes" toolbar buttons, which act on the current window.
#pragma once

class TSketchPadWindow;
class TZOKMainWindow;

// Enters what the display settings add to the frame: the menu items, the
// "Labels" and "Widths and Sizes" toolbar buttons (1..14) and the width
// expressions hook.
void RegisterDisplayItems(TZOKMainWindow& Main);
// Puts the items' commands into the main window's item table (whose rules
// enable the transforms with nodes and the node and link styles with classes
// of their kind; the others are always available).
void RegisterDisplayPadItems(TZOKMainWindow& Main);

// The commands themselves.
void ShowTransformDialog(TSketchPadWindow& Pad, int Kind);
void ShowLayersDialog(TSketchPadWindow& Pad);
void ShowShapesDialog(TSketchPadWindow& Pad);
void ShowPolygonStylesDialog(TSketchPadWindow& Pad);
void ShowColorPalettesDialog(TSketchPadWindow& Pad);
void ShowClassStylesDialog(TSketchPadWindow& Pad, bool Nodes);
void ShowDescriptionDialog(TSketchPadWindow& Pad);
// Raster: "Background Graphics -- JPEG"; else the metafiles.
void ShowBackgroundsDialog(TSketchPadWindow& Pad, bool Raster);
void ShowUnderlayDialog(TSketchPadWindow& Pad);
void ShowEntityLabelsDialog(TSketchPadWindow& Pad, bool Nodes);
void ShowLabelsFormatDialog(TSketchPadWindow& Pad);
void ResetAllEntityLabelsCommand(TSketchPadWindow& Pad);
void ClearLabelsCommand(TSketchPadWindow& Pad);
void ShowWidthStatusDialog(TSketchPadWindow& Pad);
// Kind 0 node size, 1 link width, 2 desire-line expressions.
void ShowWidthExpressionsDialog(TSketchPadWindow& Pad, int Kind);
void ShowWidthIntervalsDialog(TSketchPadWindow& Pad, bool Nodes);
void PutWidthsCommand(TSketchPadWindow& Pad);
void ClearWidthsCommand(TSketchPadWindow& Pad);
// Reads a widths file into a copy of the window's widths, which take it only
// when the whole read succeeds.
void GetWidthsCommand(TSketchPadWindow& Pad);
