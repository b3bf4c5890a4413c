// Extract: the nodes and links of a network window as a flat table, one
// record per element, in columnar, comma-separated or tab-separated text or as
// a dBase table. The columns of a record are the items of its class's
// compiled template line.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "core/expr/SearchFilter.h"

class TNetwork;
class TNode;
struct TLink;
struct TViewRecord;
struct TWindowSettings;
struct TExtractFormats;
class TMessageSink;

// Separation codes of the formats record.
constexpr int SeparationColumnar = 0;
constexpr int SeparationCommas = 1;
constexpr int SeparationTabs = 2;
constexpr int SeparationDBase = 3;

// Compiled template lines of classes 1..10 (entry 0 serves the update of new
// elements, whose line belongs to the template element's class).
struct TCompiledLines {
    std::array<std::string, 11> Node;
    std::array<std::string, 11> Link;
    bool NoNodeLines() const;
    bool NoLinkLines() const;
};

// The 20 templates compiled against their classes, as the Extract button
// and an update of existing elements compile them.
TCompiledLines CompileTemplateLines(const TNetwork& net, const TExtractFormats& formats);

// Which elements a table of the window takes: active, on layers the window
// shows, of a class 1..10, passing the window's search criteria; nodes with
// the polygon and link options. The shapefile export shares it.
class TExtractSelection {
public:
    TExtractSelection(const TNetwork& net, const TWindowSettings& settings, int32_t zoomIndex, bool filterNoLinks,
                      bool onlyPolygons);
    bool NodeSelected(const TNode& node) const;
    // halfEdge: the A-end half-edge of the link.
    bool LinkSelected(const TLink& halfEdge) const;
    bool LayerShown(int layer) const;

private:
    TSearchFilter Search;
    std::array<int32_t, 11> LayerStates{};
    int32_t ZoomIndex = 13;
    bool FilterNoLinks = false;
    bool OnlyPolygons = false;
};

struct TExtractOptions {
    int Mode = SeparationColumnar;
    bool FilterNoLinks = false;
    bool OnlyPolygons = false;
    bool Quiet = false; // no "Records written" box
};

struct TExtractResult {
    int ErrorCode = 0; // non-zero: the file could not be written, nothing was
    int32_t Records = 0;
    std::string Detail; // why, for logs and tests
};

// Called every few thousand records; the caller throttles what it does.
using TExtractProgress = std::function<void()>;

// Writes the table to fileName (a dBase table to the name without its
// extension, plus ".dbf"), as every save is written: only onto a regular
// file the user may write or a new name (a link keeps its link and has its
// target replaced), beside its target and put in place only when complete
// and synced: a failure leaves an older file whole. In a dBase table a column
// name that an earlier column has gets a digit suffix. Unless quiet, shows
// the record count ("N Records written", caption "Extract").
TExtractResult ExtractNetwork(const TNetwork& net, const TWindowSettings& settings, const TViewRecord& view,
                              const TCompiledLines& lines, const std::string& fileName,
                              const TExtractOptions& options, TMessageSink& sink,
                              const TExtractProgress& progress = {});

// The Extract button once its file is chosen: compiles the formats' templates,
// extracts in their separation mode with their options, and shows "Cannot
// create extract file." (caption "Extract") after a failure.
TExtractResult RunExtract(const TNetwork& net, const TWindowSettings& settings, const TViewRecord& view,
                          const TExtractFormats& formats, const std::string& fileName, bool quiet,
                          TMessageSink& sink, const TExtractProgress& progress = {});

// The real-number text of a dBase column (at most 15 characters): small
// numbers in fixed decimals ("0" when they round to zero), numbers too big
// for 15 digits in exponent form.
std::string DBaseRealText(double v);
