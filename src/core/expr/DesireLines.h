// Desire lines: one line per cell of a window's user trip tables, from the
// row node to the column node, its width and colour from the desire-line
// expression (the width record's SystemExpression) looked up in the link
// intervals.
//
// The expression is evaluated in system mode with P1 the cell's value, P2 the
// row node's serial number and P3 the column node's. Its first part gives the
// width (the link width of the interval it falls in), its second the colour
// index (likewise; the colour of link class 0 without a second part). A cell
// whose first part falls in no interval, whose width is below 1 or whose
// colour is negative, or whose row or column node is deleted, draws nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/expr/Expression.h"
#include "core/model/DesireTable.h"

class TNetwork;
struct TWidthSettings;
struct TBox;

// One line in world units, moved to its side by the placement.
struct TDesireSegment {
    int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    int32_t Width = 1;
    int32_t Colour = 1; // palette index
};

struct TDesireLineOptions {
    int Placement = 0; // 0 centre, 1 right side, 2 left side (the window's DesireLinePlacement)
    // Only cells whose line, widened by the widest interval width, meets this
    // world box are evaluated; nullptr: every cell.
    const TBox* Clip = nullptr;
};

// Calls out for each line to draw; returns how many cells were evaluated.
// Tables that do not belong to net (freed or replaced since) give nothing.
size_t ComputeDesireLines(const TNetwork& net, const TDesireTables& tables, const TWidthSettings& widths,
                          const TExprEnvironment& env, const TDesireLineOptions& options,
                          const std::function<void(const TDesireSegment&)>& out);
