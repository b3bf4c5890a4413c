// Polygon coverage: how much of each zone polygon an area element covers
// (polygons of named nodes, circles around named nodes, buffers around
// named links and chains), counted on the integer world grid, and a share
// of a zone quantity written into an attribute of each zone's owner node.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TNetwork;
class TNode;
struct TViewRecord;
struct TWindowSettings;

enum TCoverageElementType : int32_t {
    CoveragePolygon = 0,
    CoverageNodeCircle = 1,
    CoverageLinkPearls = 2,
    CoverageLinkSausage = 3,
    CoverageLinkBlunt = 4,
};

// Kept in the window while the program runs; not in the network file.
struct TPolygonCoverageSettings {
    std::array<int32_t, 11> InputChoice{};     // [1..10] index in the class's input list, 0 "None"
    std::array<int32_t, 11> OutputAttribute{}; // [1..10] attribute receiving the result, 0 "None"
    std::vector<std::string> ElementNames;     // entry 0 the element edit's text
    int32_t BufferRadius = 1;                  // 1..32000 world units
    int32_t ElementType = CoveragePolygon;
    uint8_t IntersectOnly = 0;
};

// Input codes beyond a class's attributes: the node size expressions, the
// area and the three counts.
constexpr int CoverageSizeExpression1 = 101;
constexpr int CoverageSizeExpression2 = 102;
constexpr int CoverageArea = 103;
constexpr int CoverageTouched = 104;
constexpr int CoverageMajority = 105;
constexpr int CoverageWhole = 106;

// The input code of list index `index` for a class of K attributes: 0
// "None", 1..K the attributes, then 101..106.
int CoverageInputCode(int index, int attributeCount);
// The list index of an input code (0 when the code is not in the list).
int CoverageInputIndex(int code, int attributeCount);

struct TCoverageSink {
    // Covered points of a zone (fully or on a boundary), one span of a row at a time.
    std::function<void(int32_t y, int32_t x0, int32_t x1)> Mark;
    // Lets pending events run; called about every 30 ms.
    std::function<void()> ProcessMessages;
};

struct TZoneCoverage {
    TNode* Zone = nullptr;
    double Covered = 0; // grid points, boundary points one half, less one (never below 0)
    double Value = 0;   // the output value before an integer attribute rounds it
};

struct TCoverageResult {
    bool Ran = false;   // elements were found and the zones scanned
    bool Wrote = false; // some output attribute was written (the network is modified)
    double Total = 0;
    int64_t Marked = 0; // grid points handed to the sink
    std::vector<TZoneCoverage> Zones; // in hash order
    std::string Status;               // the dialog's status text after the run
};

// Runs "Go". names are the element names to look up, entry 0 the element
// edit's text (nothing runs when it is empty). The window gives the units
// factor, the node size expressions, the layers and the polygon criterion;
// the view the zoom index.
TCoverageResult RunPolygonCoverage(TNetwork& net, const TWindowSettings& window, const TViewRecord& view,
                                   const TPolygonCoverageSettings& settings, const std::vector<std::string>& names,
                                   const TCoverageSink& sink = {});
