// What one window keeps of the network it shows: every setting a new view
// copies from its source, and that the network file reads into the window
// that opens it and writes from the window that saves it. The network itself
// (hash, classes, system values, counts, undo lists, file name) is shared by
// the views in TNetwork; this record is not.
//
// Plain data, no Qt: engines take the record (or the part of it they need)
// of the window they act for.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/model/DesireTable.h"
#include "core/model/DisplaySettings.h"
#include "core/model/EntityClasses.h"
#include "core/model/ExtractFormats.h"
#include "core/model/LabelSettings.h"
#include "core/model/SearchSettings.h"
#include "core/model/TitleBlock.h"
#include "core/model/WidthSettings.h"

// How a splice fills the link it makes: Link Splice, Node to Shape Point and
// Calculate's FUSE all read the window's record (the Link Splice Rules dialog
// writes it).
struct TSpliceSettings {
    std::string AddList;        // as typed, up to 30 characters
    uint8_t Rule = 1;           // 0 Normal Initialize, 1 Upstream Link, 2 Downstream Link
    uint8_t TypesMustMatch = 0; // add only when both old links and the new one share one class
    std::array<uint8_t, MaxAttributes + 1> AddFlags{}; // [1..100]: add the two old values

    // Sets AddList and the flags it names: "1".."9" flags 1..9, "A"/"a" 10,
    // "b".."z" 11..35; other characters are ignored.
    void SetAddList(const std::string& text)
    {
        AddList = text.substr(0, 30);
        AddFlags.fill(0);
        for (char c : AddList) {
            if (c >= '1' && c <= '9')
                AddFlags[size_t(c - '0')] = 1;
            else if (c == 'A' || c == 'a')
                AddFlags[10] = 1;
            else if (c >= 'b' && c <= 'z')
                AddFlags[size_t(11 + (c - 'b'))] = 1;
        }
    }
};

// What Reinitialize leaves alone (the Reinitialize Options dialog).
struct TReinitializeExemptions {
    uint8_t ExemptNames = 0;
    uint8_t ExemptAttributes = 0;
};

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
    // The editing choices of the small dialogs (not kept in files).
    TSpliceSettings SpliceRules;
    TReinitializeExemptions Reinitialize;
    // The user trip tables loaded into the window (not kept in files); a new
    // view shares its source's.
    TSharedDesireTables DesireTables;

    // Every setting to the default of a new network.
    void Reset() { *this = TWindowSettings{}; }
};
