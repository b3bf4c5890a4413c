// What one window keeps of the network it shows: every setting a new view
// copies from its source, and that the network file reads into the window
// that opens it and writes from the window that saves it. The network itself
// (hash, classes, system values, counts, undo lists, file name) is shared by
// the views in TNetwork; this record is not.
//
// Plain data, no Qt: engines take the record (or the part of it they need)
// of the window they act for.
#pragma once

#include <cstdint>
#include <string>

#include "core/model/DesireTable.h"
#include "core/model/DisplaySettings.h"
#include "core/model/ExtractFormats.h"
#include "core/model/LabelSettings.h"
#include "core/model/SearchSettings.h"
#include "core/model/TitleBlock.h"
#include "core/model/WidthSettings.h"

struct TWindowSettings {
    TLayerSettings Layers;         // layer states and names
    TLabelSettings Labels;         // label codes, places and fonts
    TWidthSettings Widths;         // width and size expressions, intervals, legends
    TDisplaySettings Display;      // display modes, polygons, plot page, colours, styles, pies
    TSearchSettings Search;        // the polygon criterion
    TBackgrounds Backgrounds;      // raster and metafile slots, their flags, the underlay
    TLongLatSettings LongLat;      // long/lat method and its parameters
    TDescription Description;      // the title block
    TExtractFormats ExtractFormats; // extract/update templates and options
    std::string Title;             // up to 255 characters
    // Units of the world coordinates.
    double UnitsFactor = 1.0;
    int32_t UnitsCode = 0;
    std::string UnitsName = "Pixels";
    // The shapefile export's choice (0 everything .. 3 polygons) and its
    // filter of nodes without links (not kept in files).
    int32_t ShapeExportChoice = 0;
    uint8_t ShapeExportFilter = 0;
    // The user trip tables loaded into the window (not kept in files); a new
    // view shares its source's.
    TSharedDesireTables DesireTables;

    // Every setting to the default of a new network.
    void Reset() { *this = TWindowSettings{}; }
};
