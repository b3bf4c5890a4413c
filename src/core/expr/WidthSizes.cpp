#include "core/expr/WidthSizes.h"

#include "core/model/EntityClasses.h"

#include <algorithm>

std::vector<std::string> SplitStyleExpression(std::string_view text, int maxParts)
{
    std::vector<std::string> parts;
    TQuoteState state;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || (state.Outside(text[i]) && text[i] == ':')) {
            if (static_cast<int>(parts.size()) == maxParts) break;
            parts.emplace_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

int IntervalOf(double value, const double* top, const double* bottom, int count)
{
    for (int k = 1; k <= count; ++k)
        if (bottom[k] <= value && value <= top[k]) return k;
    return -1;
}

void TStyleExpression::Prepare(const std::string& text, int classNo, ExprMode mode,
                               const std::array<int32_t, ExprSlots>& kinds, const TExprEnvironment& env)
{
    Parts_.clear();
    if (text.find_first_not_of(' ') == std::string::npos) return;
    for (const std::string& part : SplitStyleExpression(text)) {
        Parts_.emplace_back();
        Parts_.back().Prepare(part, classNo, mode, kinds, env);
    }
}

int TStyleExpression::Evaluate(const ExpressionContext& ctx, const ExprStrings& strings,
                               const TExprElement& element, const TExprEnvironment& env, double* values,
                               bool* ok) const
{
    int n = 0;
    for (const TPreparedExpression& p : Parts_) {
        int32_t err = 0;
        values[n] = p.Evaluate(ctx, strings, element, env, err);
        ok[n] = err == 0;
        ++n;
    }
    return n;
}

TStyleParts ClassifyStyleParts(const double* values, const bool* ok, int count, const double* top,
                               const double* bottom)
{
    TStyleParts p;
    p.Count = std::min(count, 10);
    for (int i = 0; i < p.Count; ++i) p.Values[i] = values[i];
    for (int i = 0; i < 3 && i < p.Count; ++i)
        if (ok[i]) p.Part[i] = IntervalOf(values[i], top, bottom);
    return p;
}

namespace {

int32_t At(const int32_t* table, int part, int32_t otherwise) { return part >= 1 && part <= 40 ? table[part] : otherwise; }
int32_t AtMost(int32_t v, int32_t limit) { return v > limit ? limit : v; }

// Unclassed elements and parts that found no interval.
void Normalise(TStyleParts& parts, int mode, bool showNotFound, int classNo, bool& colourOff)
{
    if (classNo == 0 && mode != 2) {
        parts.Part[0] = showNotFound ? 1 : -1;
        parts.Part[1] = -1;
    }
    colourOff = false;
    if (parts.Part[0] == -1) {
        parts.Part[0] = 1;
        colourOff = !showNotFound;
    }
}

} // namespace

TLinkStyle LinkStyleFromParts(TStyleParts parts, int mode, bool showNotFound, int classNo, int32_t classWidth,
                              int32_t classColour, const int32_t* table)
{
    bool colourOff;
    Normalise(parts, mode, showNotFound, classNo, colourOff);
    TLinkStyle s;
    switch (mode) {
    case 0:
        s.Width = table[parts.Part[0]];
        s.Extra = At(table, parts.Part[1], 0);
        s.Colour = At(table, parts.Part[2], classColour);
        break;
    case 1:
        s.Colour = AtMost(table[parts.Part[0]], 16);
        s.Width = At(table, parts.Part[1], classWidth);
        s.Extra = 0;
        break;
    case 4:
        s.Width = table[parts.Part[0]];
        s.Colour = AtMost(At(table, parts.Part[1], classColour), 16);
        s.Extra = classWidth;
        break;
    default:
        s.Width = classWidth;
        s.Colour = classColour;
        s.Extra = 0;
        break;
    }
    if (colourOff) s.Colour = 0;
    return s;
}

TNodeStyle NodeStyleFromParts(TStyleParts parts, int mode, bool showNotFound, int classNo, int32_t classSize,
                              int32_t classColour, int32_t classPolygonStyle, const int32_t* table)
{
    bool colourOff;
    Normalise(parts, mode, showNotFound, classNo, colourOff);
    TNodeStyle s;
    s.PolygonStyle = classPolygonStyle;
    switch (mode) {
    case 0:
        s.Size = table[parts.Part[0]];
        s.Colour = AtMost(At(table, parts.Part[1], classColour), 16);
        break;
    case 1:
        s.Colour = AtMost(table[parts.Part[0]], 16);
        s.Size = At(table, parts.Part[1], classSize);
        break;
    case 3:
        s.PolygonStyle = AtMost(table[parts.Part[0]], 40);
        s.Size = At(table, parts.Part[1], classSize);
        s.Colour = At(table, parts.Part[2], classColour);
        break;
    default:
        s.Size = classSize == 0 ? 1 : classSize;
        s.Colour = classColour;
        break;
    }
    if (colourOff) s.Colour = 0;
    if (s.Colour < 0) {
        s.Size = 0;
        s.Colour = 0;
    }
    return s;
}

TMaxWidths ComputeMaxWidths(const TMaxWidthInputs& in)
{
    auto linkImage = [&](int k) { return in.LinkImageSize ? in.LinkImageSize(k, in.ImageData) : 0; };
    auto nodeImage = [&](int k) { return in.NodeImageSize ? in.NodeImageSize(k, in.ImageData) : 0; };
    TMaxWidths m;
    if (in.GlobalLinkStyle != 5 && in.LinkStyleMode < 2 && in.LinkWidths)
        for (int k = 1; k <= 40; ++k) m.MaxLinkWidth = std::max(m.MaxLinkWidth, 2 * in.LinkWidths[k]);
    if (in.LinkStyleMode >= 2) {
        int32_t s = 0;
        for (int32_t w : in.LinkClassWidths) {
            if (w <= 10) continue;
            int32_t size = linkImage(w - 10);
            if (size > 0)
                s = std::max(s, size);
            else
                m.MaxLinkWidth = std::max(m.MaxLinkWidth, w);
        }
        m.MaxLinkWidth = std::max(m.MaxLinkWidth, 2 * s);
    }
    if (in.GlobalLinkStyle == 5 && in.LinkStyleMode < 2 && in.LinkWidths) {
        int32_t s = 0;
        for (int k = 1; k <= 40; ++k) s = std::max(s, linkImage(in.LinkWidths[k]));
        m.MaxLinkWidth = std::max(m.MaxLinkWidth, 2 * s);
    }
    m.MaxNodeCircle = in.StandardSize;
    if (in.GlobalShape >= 3 && in.GlobalShape <= 5) {
        for (int32_t w : in.NodeClassSizes) m.MaxNodeCircle = std::max(m.MaxNodeCircle, w);
        if (in.NodeStyleMode == 0 && in.NodeSizes)
            for (int k = 1; k <= 40; ++k) m.MaxNodeCircle = std::max(m.MaxNodeCircle, in.NodeSizes[k]);
    }
    if (in.GlobalShape == 1 && in.NodeStyleMode < 2 && in.NodeSizes) {
        int32_t s = 0;
        for (int k = 1; k <= 40; ++k) s = std::max(s, nodeImage(in.NodeSizes[k]));
        m.MaxNodeCircle = std::max(m.MaxNodeCircle, s / 2 + 1);
    }
    if (in.GlobalShape == 1 && in.NodeStyleMode >= 2) {
        int32_t s = 0;
        for (int32_t w : in.NodeClassSizes)
            if (w > 10) s = std::max(s, nodeImage(w - 10));
        m.MaxNodeCircle = std::max(m.MaxNodeCircle, s / 2 + 1);
    }
    m.LargeNodeSymbols = m.MaxNodeCircle > 20;
    m.WideLinks = m.MaxLinkWidth > 20;
    return m;
}

// ---- on the network model ----

#include "core/expr/ExpressionNetwork.h"
#include "core/file/TextFormat.h"
#include "core/model/WidthSettings.h"

namespace {

TExpressionText Evaluate(const TExprBinding& binding, const std::string& classText, int which,
                         const ExpressionContext& ctx, const ExprStrings& strings, const TExprElement& el)
{
    TExpressionText r;
    std::string text = ExpressionPart(classText, which);
    r.Value = EvaluateExpression(text, r.ErrorPos, ctx, strings, el, binding.Env);
    r.Text = RealText(false, 15, r.Value);
    if (r.Text.size() > 50) r.Text.resize(50);
    return r;
}

} // namespace

TExpressionText LinkWidthExpressionText(const TNetwork& net, const TExprBinding& binding, const TWidthSettings& w,
                                        const TLink& link, int which)
{
    const TLinkValues* v = link.LinkValues;
    if (!v || v->EntityType > MaxClasses) return {};
    ExpressionContext ctx;
    ctx.Kinds = ClassKinds(&(*net.LinkClasses)[v->EntityType]);
    ExprStrings strings{};
    FillLinkContext(net, *v, ctx, strings);
    TExprElement el;
    el.Link = &link;
    return Evaluate(binding, w.LinkWidthExpressions[v->EntityType], which, ctx, strings, el);
}

TExpressionText NodeSizeExpressionText(const TNetwork& net, const TExprBinding& binding, const TWidthSettings& w,
                                       const TNode& node, int which)
{
    if (node.EntityType > MaxClasses) return {};
    ExpressionContext ctx;
    ctx.Kinds = ClassKinds(&(*net.NodeClasses)[node.EntityType]);
    ExprStrings strings{};
    FillNodeContext(net, node, ctx, strings);
    TExprElement el;
    el.Node = &node;
    return Evaluate(binding, w.NodeSizeExpressions[node.EntityType], which, ctx, strings, el);
}

#include "core/model/DisplaySettings.h"
#include "core/model/WindowSettings.h"

TMaxWidths ComputeMaxWidths(TWidthSettings& w, const TDisplaySettings& d, const TEntityClass& nodeClasses,
                            const TEntityClass& linkClasses, int32_t (*linkImageSize)(int, const void*),
                            int32_t (*nodeImageSize)(int, const void*), const void* imageData)
{
    TMaxWidthInputs in;
    in.GlobalLinkStyle = d.GlobalLinkStyle;
    in.GlobalShape = d.GlobalShape;
    in.StandardSize = d.StandardSize;
    in.LinkStyleMode = w.LinkStyleMode;
    in.NodeStyleMode = w.NodeStyleMode;
    in.LinkWidths = w.LinkWidths.data();
    in.NodeSizes = w.NodeSizes.data();
    for (int c = 0; c <= CountEntityTypes(linkClasses); ++c) in.LinkClassWidths.push_back(linkClasses[c].Width);
    for (int c = 0; c <= CountEntityTypes(nodeClasses); ++c) in.NodeClassSizes.push_back(nodeClasses[c].Width);
    in.LinkImageSize = linkImageSize;
    in.NodeImageSize = nodeImageSize;
    in.ImageData = imageData;
    TMaxWidths m = ComputeMaxWidths(in);
    w.MaxLinkWidth = m.MaxLinkWidth;
    w.MaxNodeCircle = m.MaxNodeCircle;
    return m;
}

void TStyleEvaluator::Prepare(const TNetwork& net, const TExprBinding& binding, const TWidthSettings& w, int kind)
{
    Net_ = &net;
    Binding_ = &binding;
    Widths_ = &w;
    Kind_ = kind;
    Filled_ = MaxAttributes;
    const TEntityClass& classes = kind == 0 ? *net.NodeClasses : *net.LinkClasses;
    for (int c = 0; c <= MaxClasses; ++c) {
        Kinds_[c] = ClassKinds(&classes[c]);
        const std::string& text = kind == 0 ? w.NodeSizeExpressions[c] : w.LinkWidthExpressions[c];
        Classes_[c].Prepare(text, c, kind == 0 ? ExprMode::Node : ExprMode::Link, Kinds_[c], binding.Env);
    }
}

TStyleParts TStyleEvaluator::Parts(int cls, const TExprElement& el)
{
    double values[10];
    bool ok[10];
    Ctx_.Kinds = Kinds_[cls];
    int n = Classes_[cls].Evaluate(Ctx_, Strings_, el, Binding_->Env, values, ok);
    const bool node = Kind_ == 0;
    return ClassifyStyleParts(values, ok, n, node ? Widths_->NodeTop.data() : Widths_->LinkTop.data(),
                              node ? Widths_->NodeBottom.data() : Widths_->LinkBottom.data());
}

TStyleParts TStyleEvaluator::NodeParts(const TNode& node)
{
    if (!Net_ || node.EntityType > MaxClasses) return {};
    FillNodeContext(*Net_, node, Ctx_, Strings_, &Filled_);
    TExprElement el;
    el.Node = &node;
    return Parts(node.EntityType, el);
}

TStyleParts TStyleEvaluator::LinkParts(const TLink& link)
{
    if (!Net_ || !link.LinkValues || link.LinkValues->EntityType > MaxClasses) return {};
    FillLinkContext(*Net_, *link.LinkValues, Ctx_, Strings_, &Filled_);
    TExprElement el;
    el.Link = &link;
    return Parts(link.LinkValues->EntityType, el);
}

TMaxWidths ComputeMaxWidths(const TNetwork& net, TWindowSettings& settings, int32_t (*linkImageSize)(int, const void*),
                            int32_t (*nodeImageSize)(int, const void*), const void* imageData)
{
    return ComputeMaxWidths(settings.Widths, settings.Display, *net.NodeClasses, *net.LinkClasses, linkImageSize,
                            nodeImageSize, imageData);
}

void ResetWidthSettings(const TNetwork& net, TWindowSettings& settings)
{
    settings.Widths.Reset();
    ComputeMaxWidths(net, settings);
}
