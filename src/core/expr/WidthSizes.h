// Link widths and node sizes: the per-class style expressions evaluated per
// element, their values looked up in the 40 intervals, and the largest width
// and size the settings can produce.
#pragma once

#include "core/expr/Expression.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Splits a style expression at each ':' outside quotes and braces, into at
// most MaxParts parts.
std::vector<std::string> SplitStyleExpression(std::string_view text, int maxParts = 10);

// The first interval k (1..40) with Bottom[k] <= value <= Top[k]; -1 when none.
int IntervalOf(double value, const double* top, const double* bottom, int count = 40);

// One class's style expression, prepared for its elements.
class TStyleExpression {
public:
    void Prepare(const std::string& text, int classNo, ExprMode mode,
                 const std::array<int32_t, ExprSlots>& kinds, const TExprEnvironment& env);
    // Evaluates every part; Ok[i] is false for a part that failed.
    int Evaluate(const ExpressionContext& ctx, const ExprStrings& strings, const TExprElement& element,
                 const TExprEnvironment& env, double* values, bool* ok) const;
    int PartCount() const { return static_cast<int>(Parts_.size()); }

private:
    std::vector<TPreparedExpression> Parts_;
};

// Interval numbers of the first three parts (-1 for a failed, unmatched or
// missing part).
struct TStyleParts {
    int Part[3] = {-1, -1, -1};
    double Values[10] = {};
    int Count = 0;
};
TStyleParts ClassifyStyleParts(const double* values, const bool* ok, int count, const double* top,
                               const double* bottom);

struct TLinkStyle {
    int32_t Width = 1;
    int32_t Extra = 0;
    int32_t Colour = 1;
};
struct TNodeStyle {
    int32_t Size = 1;
    int32_t Colour = 1;
    int32_t PolygonStyle = 0;
};

// The style of one element from its classified parts. Table is the kind's
// 41-entry width or size table [0..40]; ClassNo 0 is the unclassed class.
TLinkStyle LinkStyleFromParts(TStyleParts parts, int linkStyleMode, bool showNotFound, int classNo,
                              int32_t classWidth, int32_t classColour, const int32_t* table);
TNodeStyle NodeStyleFromParts(TStyleParts parts, int nodeStyleMode, bool showNotFound, int classNo,
                              int32_t classSize, int32_t classColour, int32_t classPolygonStyle,
                              const int32_t* table);

// Inputs of ComputeMaxWidths, gathered from the window and the symbol images.
struct TMaxWidthInputs {
    int GlobalLinkStyle = 0; // 5 = bitmap
    int GlobalShape = 1;     // 1 entity/bitmap, 3 circle, 4 dot, 5 pie
    int32_t StandardSize = 3;
    int LinkStyleMode = 2;
    int NodeStyleMode = 2;
    const int32_t* LinkWidths = nullptr; // [0..40]
    const int32_t* NodeSizes = nullptr;  // [0..40]
    std::vector<int32_t> LinkClassWidths; // default widths of link classes 0..n
    std::vector<int32_t> NodeClassSizes;  // default sizes of node classes 0..n
    // Largest of width and height of symbol image k, 0 when it does not exist.
    int32_t (*LinkImageSize)(int k, const void* data) = nullptr;
    int32_t (*NodeImageSize)(int k, const void* data) = nullptr;
    const void* ImageData = nullptr;
};
struct TMaxWidths {
    int32_t MaxLinkWidth = 0;
    int32_t MaxNodeCircle = 0;
    bool LargeNodeSymbols = false;
    bool WideLinks = false;
};
TMaxWidths ComputeMaxWidths(const TMaxWidthInputs& in);

// ---- on the network model ----

class TNetwork;
struct TWindowSettings;
class TNode;
struct TLink;
class TExprBinding;
struct TWidthSettings;

// Expression 1 or 2 of the element's class evaluated for one element; the
// text is the value in the general form with 15 digits (at most 50
// characters). ErrorPos is the evaluator's (0 on success).
struct TExpressionText {
    double Value = 0;
    int32_t ErrorPos = 0;
    std::string Text;
};
TExpressionText LinkWidthExpressionText(const TNetwork& net, const TExprBinding& binding, const TWidthSettings& w,
                                        const TLink& link, int which);
TExpressionText NodeSizeExpressionText(const TNetwork& net, const TExprBinding& binding, const TWidthSettings& w,
                                       const TNode& node, int which);

struct TDisplaySettings;

// Recomputes MaxLinkWidth and MaxNodeCircle of the width record from the
// display modes and the class defaults (classes 0..CountEntityTypes); image
// sizes as in TMaxWidthInputs (nullptr: no images).
TMaxWidths ComputeMaxWidths(TWidthSettings& w, const TDisplaySettings& d, const TEntityClass& nodeClasses,
                            const TEntityClass& linkClasses,
                            int32_t (*linkImageSize)(int, const void*) = nullptr,
                            int32_t (*nodeImageSize)(int, const void*) = nullptr, const void* imageData = nullptr);

// The style expressions of every class of one kind, prepared once for a
// drawing pass (or any walk over many elements), with the context reused.
class TStyleEvaluator {
public:
    // Kind 0 nodes (NodeSizeExpressions, node classes), 1 links.
    void Prepare(const TNetwork& net, const TExprBinding& binding, const TWidthSettings& w, int kind);
    // The classified parts of one element; Values keeps up to 10 part values
    // for pie slices.
    TStyleParts NodeParts(const TNode& node);
    TStyleParts LinkParts(const TLink& link);

private:
    TStyleParts Parts(int cls, const TExprElement& el);

    const TNetwork* Net_ = nullptr;
    const TExprBinding* Binding_ = nullptr;
    const TWidthSettings* Widths_ = nullptr;
    int Kind_ = 0;
    std::array<TStyleExpression, 11> Classes_;
    std::array<std::array<int32_t, ExprSlots>, 11> Kinds_{};
    ExpressionContext Ctx_;
    ExprStrings Strings_{};
    int Filled_ = 100;
};

// The same for a window's width and display records over its network.
TMaxWidths ComputeMaxWidths(const TNetwork& net, TWindowSettings& settings,
                            int32_t (*linkImageSize)(int, const void*) = nullptr,
                            int32_t (*nodeImageSize)(int, const void*) = nullptr, const void* imageData = nullptr);

// The defaults of the window's width record, then its largest width and size.
void ResetWidthSettings(const TNetwork& net, TWindowSettings& settings);
