// The sketch pad's commands of the shapefile and geography dialogs: the
// menu items "&ArcGIS Shapefile", "Export Shapefile...", "Compute
// Long/Lat..." and "Compute Elevations...", and what each dialog does to
// the window it was opened from.
#pragma once

#include <string>

class TSketchPadWindow;

// Finds the four menu items of the pad by name, connects and enables them.
void ConnectShapeCommands(TSketchPadWindow& Pad);
// The rule of the pad's item table: the items work on any network window.
bool ShapeCommandEnabled(const TSketchPadWindow& Pad, const std::string& ItemName);

// The dialogs, modal over the pad's main window.
void ShowShapeImport(TSketchPadWindow& Pad);
void ShowShapeExport(TSketchPadWindow& Pad);
void ShowCalcLongLat(TSketchPadWindow& Pad);
void ShowElevations(TSketchPadWindow& Pad);
