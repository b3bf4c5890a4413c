// Label texts of nodes and links by label code, and the label extents that
// widen repaint areas.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class TNetwork;
struct TWindowSettings;
class TNode;
struct TLink;
class TExprBinding;
struct TLabelSettings;
struct TWidthSettings;
class TEntityClass;

// The code of line 1 or 2: the element's own code, or its class's when 0.
int32_t NodeLabelCode(const TLabelSettings& l, const TNode& node, int line);
int32_t LinkLabelCode(const TLabelSettings& l, const TLink& link, int line);

// The text of one label line, cut to the kind's longest label.
std::string NodeLabelText(const TNetwork& net, const TExprBinding& binding, const TLabelSettings& l,
                          const TWidthSettings& w, const TNode& node, int line);
std::string LinkLabelText(const TNetwork& net, const TExprBinding& binding, const TLabelSettings& l,
                          const TWidthSettings& w, const TLink& link, int line);

// Margins by kind; the label record keeps the larger of the two kinds.
struct TLabelExtents {
    bool AnyNodeLabels = false, AnyLinkLabels = false;
    int32_t NodeHorizontal = 0, NodeVertical = 0;
    int32_t LinkHorizontal = 0, LinkVertical = 0;
};
// Recomputes the any-labels flags and the margins and stores them in the
// label record (AnyNodeLabels, AnyLinkLabels, HorizontalMargin, VerticalMargin).
TLabelExtents ComputeLabelExtents(TLabelSettings& l, const TEntityClass& nodeClasses,
                                  const TEntityClass& linkClasses, int32_t nodeCount);

// The same for a window's label record over its network.
TLabelExtents ComputeLabelExtents(const TNetwork& net, TWindowSettings& settings);

// "Clear Labels": the defaults of the window's label record (slot captions
// with string-table text 213), then its extents. Fonts are the display's.
void ClearLabels(const TNetwork& net, TWindowSettings& settings);
// Clears the label overrides of every active node and link (each link once).
void ResetAllEntityLabels(TNetwork& net);
