// The window's menu items of the display settings: the transforms, layers,
// shapes, polygon styles, colour palettes and the node and link styles.
#pragma once

class TSketchPadWindow;
class TZOKMainWindow;

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
