// The sketch pad's commands of the shapefile and geography dialogs: the
// menu items "&ArcGIS Shapefile", "Export Shapefile...", "Compute
// Long/Lat..." and "Compute Elevations...", and what each dialog does to
// the window it was opened from.
#pragma once

class TSketchPadWindow;
class TZOKMainWindow;

// Enters the four items into the main window's item table (always enabled).
void RegisterShapePadItems(TZOKMainWindow& Main);

// The dialogs, modal over the pad's main window.
void ShowShapeImport(TSketchPadWindow& Pad);
void ShowShapeExport(TSketchPadWindow& Pad);
void ShowCalcLongLat(TSketchPadWindow& Pad);
void ShowElevations(TSketchPadWindow& Pad);
