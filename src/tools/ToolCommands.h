// The network window's items of the table tools: "&Extract/Update...", and
// the one place that enters every tool into the frame.
#pragma once

class TSketchPadWindow;
class TZOKMainWindow;

// Enters what the tools add to the frame: the menu items of the table,
// shapefile, TIGER, path, coverage, overlay and loop tools, the batch import
// dialog (which lives as long as the frame) and the long/lat hook.
void RegisterToolItems(TZOKMainWindow& Main);

// Puts the items' commands into the main window's item table.
void RegisterToolPadItems(TZOKMainWindow& Main);

// "Extract and Update" over the window's network and formats; the shapefile
// export forces dBase (and only-polygons) on it without storing either, and
// hands over its filter box (ShownFilter 0 or 1; -1 shows the window's).
void ShowExtractDialog(TSketchPadWindow& Pad, bool ForceDBase = false, bool ForceOnlyPolygons = false,
                       int ShownFilter = -1);
