// Import of one shapefile (.shp) into a network: points and multipoints
// become nodes, polylines links with shape points, polygon rings polygons
// with an owner node each. Longitude and latitude become world coordinates
// by a linear or equidistant mapping or a map projection.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/shapes/ImportSupport.h"

class TMessageSink;
class TNetwork;
struct TShpHeader;
struct TWindowSettings;

// Methods of turning long/lat into world coordinates.
constexpr int32_t ShapeLinear = 0;
constexpr int32_t ShapeEquidistant = 1;
constexpr int32_t ShapeTransverseMercator = 2;
constexpr int32_t ShapeLambertConformal = 3;

// The values of the import dialog.
struct TShapeImportSettings {
    double XScale = 1, YScale = 1;         // world units per unit of the file
    double XTranslate = 0, YTranslate = 0; // added to the file's X and Y first
    double PixelsPerMile = 100;            // ideal world units per mile (Suggest)
    double MilesPerDegree = 69.05;         // miles per degree of latitude (Suggest)
    int32_t Method = ShapeLinear;
};

// The check of the dialog's values: finite numbers, the miles per degree,
// pixels per mile and both scales other than 0.
bool ShapeSettingsValid(const TShapeImportSettings& settings);
// What OK keeps in the window: the method, the Y scale as its pixels per
// degree of latitude and the translations. True when something changed.
bool StoreShapeSettings(const TShapeImportSettings& settings, TWindowSettings& window);

// Suggest: scales and translations for a file's box, from the pixels per
// mile and miles per degree of settings. False (nothing changed) when the box
// or those values are no usable numbers.
bool SuggestShapeSettings(const TShpHeader& header, TShapeImportSettings& settings);
// Compute: the miles per degree of latitude at the latitude the Y translation
// gives (the meridian arc between it and one degree further north). False
// when the projection cannot be set up there.
bool ComputeMilesPerDegree(double xTranslate, double yTranslate, double& miles);
// What the dialog shows of it: rounded to hundredths.
double ShownMilesPerDegree(double miles);

// Error codes of an import.
constexpr int ShapeErrorNone = 0;
constexpr int ShapeErrorValues = 1; // values that fail the check, or a projection that cannot be set up
constexpr int ShapeErrorFile = 2;   // no file, or not a shapefile
constexpr int ShapeErrorType = 3;   // a shape type that is not imported
constexpr int ShapeErrorLimits = 4; // a node or link could not be added: the import stopped

struct TShapeImportResult {
    int ErrorCode = ShapeErrorNone;
    // Elements were added: the network is marked modified and its hash
    // rebuilt.
    bool Changed = false;
    int32_t ShapeType = 0;
    // Records met, of them null and bad (skipped); of the bad ones, those of
    // another shape type than the file's. A record with an X or Y that is no
    // number, or with points that belong to no part (its first part starts
    // after point 0), is bad (damaged). A record with a point that the
    // method cannot place (a projection's far side, a position that
    // overflows) is skipped whole as unplaced.
    int32_t Records = 0, NullRecords = 0, BadRecords = 0, OtherTypeRecords = 0, UnplacedRecords = 0;
    // The file's size and the length its header gives, in bytes. A file
    // shorter than its header says is read as far as it goes.
    int64_t FileBytes = 0, HeaderBytes = 0;
    // What was added.
    int32_t Nodes = 0, Links = 0, ShapePoints = 0, Polygons = 0;
};

// The import's status line: the records read and, when some were skipped,
// how many and why ("12 records read, 3 skipped: 1 null shape, 1 of another
// shape type, 1 damaged."), then, for a file shorter than its header says,
// where it ends (" The file ends after 172 bytes; its header gives 272.").
// Empty for an import that was refused.
std::string ShapeImportStatus(const TShapeImportResult& result);

// Imports the file into the network. Points, multipoints and polygon
// vertices join the node of the same layer at exactly their long/lat, or,
// when their long/lat is unknown (0, as with the linear method), at exactly
// their world position; polylines join their ends the same way.
// Polygon owners get their long/lat from the window's statistical
// interpolation (projected methods). Failures show a message under the
// caption "Shape File": "Error in transform values." for values that fail
// the check, "Valid update file not found." for a file that is missing or no
// shapefile, "Shape type N not imported." for other types; these change
// nothing. A node or link that cannot be added stops the import with a
// message; what came in before stays.
//
// A file of a type that is not imported is refused with its message, or
// with PassOver (a batch step) passed over: nothing changes, no message,
// and the result has no error.
enum class TOtherShapeTypes { Refuse, PassOver };
TShapeImportResult ImportShapefile(TNetwork& net, TWindowSettings& window, const TShapeImportSettings& settings,
                                   const std::string& path, const TImportProgress& progress, TMessageSink& sink,
                                   TOtherShapeTypes otherTypes = TOtherShapeTypes::Refuse);
// The same over bytes in memory.
TShapeImportResult ImportShapefileBytes(TNetwork& net, TWindowSettings& window, const TShapeImportSettings& settings,
                                        std::span<const uint8_t> bytes, const TImportProgress& progress,
                                        TMessageSink& sink, TOtherShapeTypes otherTypes = TOtherShapeTypes::Refuse);

// Our own texts.
extern const char* const ShapeFileCaption;   // "Shape File"
extern const char* const ShapeLimitsMessage; // the import stopped at the network's limits
