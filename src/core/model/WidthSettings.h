// Width and size settings of a network: per-class expressions mapped through
// up to 40 intervals to link widths and node sizes, with their legends.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct TFileContext;
class TNetwork;

constexpr int MaxWidthIntervals = 40;

struct TWidthSettings {
    // Interval k (1..40) holds Bottom <= value <= Top. Index 0 is unused.
    std::array<double, MaxWidthIntervals + 1> LinkTop{};
    std::array<double, MaxWidthIntervals + 1> LinkBottom{};
    std::array<double, MaxWidthIntervals + 1> NodeTop{};
    std::array<double, MaxWidthIntervals + 1> NodeBottom{};
    // Per class 0..10: one expression, or two joined by a colon (up to 255 characters).
    std::array<std::string, 11> LinkWidthExpressions;
    std::array<std::string, 11> NodeSizeExpressions;
    std::string SystemExpression; // the desire-line expression
    // [0..40] pixel size or width of each interval; above 10 selects a symbol image.
    std::array<int32_t, MaxWidthIntervals + 1> NodeSizes{};
    std::array<int32_t, MaxWidthIntervals + 1> LinkWidths{};

    // These travel with the display-settings section.
    uint8_t LinkStyleMode = 2; // 0 width and colour, 1 colour and width, 2 none, 4 arrow and colour
    uint8_t NodeStyleMode = 2; // 0 size and colour, 1 colour and size, 2 none, 3 polygon, size and colour
    uint8_t LinkShowNotFound = 1;
    uint8_t NodeShowNotFound = 1;
    int32_t NodeLegendX = 0, NodeLegendY = 0;
    int32_t LinkLegendX = 0, LinkLegendY = 0;
    int32_t NodeDrawBox = 0, LinkDrawBox = 0;
    int32_t NodeLegendFont = 0, LinkLegendFont = 0;

    // [1..40] the interval is shown in the legend.
    std::array<uint8_t, MaxWidthIntervals + 1> NodeLegend{};
    std::array<uint8_t, MaxWidthIntervals + 1> LinkLegend{};
    // [1..10] the class is shown in the node or link legend.
    std::array<uint8_t, 11> NodeClassLegend{};
    std::array<uint8_t, 11> LinkClassLegend{};

    // Derived (pixels); recomputed from the settings and the symbol images.
    int32_t MaxLinkWidth = 0;
    int32_t MaxNodeCircle = 0;

    TWidthSettings() { Reset(); }
    // Defaults of a new network. The derived maxima are left to their computation.
    void Reset();
};
