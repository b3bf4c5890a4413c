// The network window's items of the table tools: "&Extract/Update...".
#pragma once

class TSketchPadWindow;
class TZOKMainWindow;

// Puts the items' commands into the main window's item table.
void RegisterToolPadItems(TZOKMainWindow& Main);

// "Extract and Update" over the window's network and formats; the shapefile
// export forces dBase (and only-polygons) on it without storing either, and
// hands over its filter box (ShownFilter 0 or 1; -1 shows the window's).
void ShowExtractDialog(TSketchPadWindow& Pad, bool ForceDBase = false, bool ForceOnlyPolygons = false,
                       int ShownFilter = -1);
