// Export of a network window as ESRI shapefiles in longitude and latitude:
// nodes as PointZ, links as PolyLineZ, node-owned polygons as PolygonZ, each
// set as a .shp with its .shx index (and, for "Everything", a .dbf table per
// set whose row n describes shape n).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/shapes/ImportSupport.h"

class TMessageSink;
class TNetwork;
class TNode;
struct TLink;
struct TViewRecord;
struct TWindowSettings;

// The export choices, as the dialog lists them.
constexpr int ShapeExportEverything = 0; // a .shp, .shx and .dbf per class and kind
constexpr int ShapeExportNodes = 1;      // nodes as points
constexpr int ShapeExportLinks = 2;      // links as polylines
constexpr int ShapeExportPolygons = 3;   // polygons as polygons

// Error codes of an export.
constexpr int ShapeExportOk = 0;
constexpr int ShapeExportIllegalLongLat = 1; // nothing was written
constexpr int ShapeExportWriteFailed = 2;    // the export stopped at a file

struct TShapeExportResult {
    int ErrorCode = ShapeExportOk;
    // The status text: "N nodes written" and the like, "Illegal long/lat
    // values", "Cannot create FILE".
    std::string Status;
    std::vector<std::string> Files; // written, in order
    int32_t Nodes = 0, Links = 0, Polygons = 0; // records written
};

// Shows a progress text in the dialog's status while the export runs.
using TShapeExportStatus = std::function<void(const std::string&)>;

// Exports the elements the window shows (active, of a class 1..10, on a
// shown layer, passing its search; FilterNoLinks: nodes with an attached
// active link only). Choices 1..3 write fileName (".shp" added when missing)
// and its .shx; choice 0 writes one set per class and kind, named from
// fileName up to the first "." of its file name. Every element written must
// have a longitude and a latitude other than 0 and within the world, or
// nothing is written. Each file is written beside its target and put in place
// when whole.
TShapeExportResult ExportShapefiles(const TNetwork& net, const TWindowSettings& settings, const TViewRecord& view,
                                    int choice, bool filterNoLinks, const std::string& fileName,
                                    TMessageSink& sink, const TShapeExportStatus& status = {},
                                    const TImportProgress& progress = {});

// The names of the sets.
std::string ShapeFileNameFor(const std::string& fileName); // ".shp" added when missing
std::string IndexFileNameFor(const std::string& shpName);  // its last character made "x"
std::string ShapeBaseName(const std::string& fileName);    // up to the first "." of the file name
// The compiled template of a set's table: the name, attributes 1..n of the
// class (at most 35) and the two note lines.
std::string ShapeTableTemplate(int attributeCount);
