// The window's menu items of the display settings: the transforms, layers,
// shapes, polygon styles, colour palettes and the node and link styles.
#pragma once

class TSketchPadWindow;

// Connects the items of the window's menu (found by name) to their
// dialogs, and keeps their enabled state up to date while the menus open.
void ConnectDisplayCommands(TSketchPadWindow& Pad);
// The items' enabling rules: the transforms need nodes; the node (link)
// styles need a node (link) class; the others are always available.
void UpdateDisplayCommands(TSketchPadWindow& Pad);

// The commands themselves.
void ShowTransformDialog(TSketchPadWindow& Pad, int Kind);
void ShowLayersDialog(TSketchPadWindow& Pad);
void ShowShapesDialog(TSketchPadWindow& Pad);
void ShowPolygonStylesDialog(TSketchPadWindow& Pad);
void ShowColorPalettesDialog(TSketchPadWindow& Pad);
void ShowClassStylesDialog(TSketchPadWindow& Pad, bool Nodes);
