#include "core/expr/LabelText.h"

#include "core/expr/ExpressionNetwork.h"
#include "core/expr/WidthSizes.h"
#include "core/file/TextFormat.h"
#include "core/model/EntityClasses.h"
#include "core/model/LabelSettings.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/WindowSettings.h"
#include "core/model/Rounding.h"
#include "core/model/WidthSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

int32_t ClassCode(const std::array<std::array<int32_t, 3>, 11>& codes, int cls, int line)
{
    if (cls < 0 || cls > MaxClasses || line < 1 || line > 2) return 0;
    return codes[cls][line];
}

// The shortest decimal text that reads back as v.
std::string ShortestText(double v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string AttributeText(const TLabelSettings& l, const TAttrib* a, const TValueSlot* slot,
                          const TStringList& strings)
{
    if (!a) return {};
    TValueSlot v = slot ? *slot : TValueSlot{};
    switch (a->Kind) {
    case 'C': return UnpackShortText(v).substr(0, CategoryCodePositions(*a));
    case 'D':
    case 'T':
    case 'X': return DateTimeText(v, false, DateTimeModeOfKind(a->Kind));
    case 'I': return RoundedNumberText(v.Real());
    case 'S': return a->StringIndex < strings.size() ? strings[a->StringIndex] : std::string();
    default:
        if (l.RoundedNumbers) return RoundedNumberText(v.Real());
        return RealText(false, std::clamp(l.Precision, 1, 15), v.Real());
    }
}

std::string Cut(std::string s, int32_t length)
{
    size_t n = static_cast<size_t>(std::clamp(length, 1, 30));
    if (s.size() > n) s.resize(n);
    return s;
}

} // namespace

int32_t NodeLabelCode(const TLabelSettings& l, const TNode& node, int line)
{
    int32_t own = line == 1 ? node.Label1 : node.Label2;
    return own != 0 ? own : ClassCode(l.NodeLabelCodes, node.EntityType, line);
}

int32_t LinkLabelCode(const TLabelSettings& l, const TLink& link, int line)
{
    const TLinkValues* v = link.LinkValues;
    if (!v) return 0;
    int32_t own = line == 1 ? v->Label1 : v->Label2;
    return own != 0 ? own : ClassCode(l.LinkLabelCodes, v->EntityType, line);
}

std::string NodeLabelText(const TNetwork& net, const TExprBinding& binding, const TLabelSettings& l,
                          const TWidthSettings& w, const TNode& node, int line)
{
    int32_t code = NodeLabelCode(l, node, line);
    std::string s;
    if (code >= 1 && code <= 100) {
        const TAttrib* a = node.EntityType <= MaxClasses ? (*net.NodeClasses)[node.EntityType].Attr(code) : nullptr;
        s = AttributeText(l, a, SlotOf(node, code), node.Strings);
    } else {
        switch (code) {
        case 101: s = node.Name; break;
        case 102:
        case 105: s = NodeSizeExpressionText(net, binding, w, node, code == 102 ? 1 : 2).Text; break;
        case 103: s = std::to_string(node.Serial).substr(0, 8); break;
        case 104: {
            int32_t n = CountPolygonVertices(node.OwnPolygon(), true);
            if (n > 0) s = std::to_string(n);
            break;
        }
        case 106:
        case 107: s = ExtractNoteLine(node.Note(), code - 105); break;
        case 108: s = ShortestText(node.Longitude / 1e7); break;
        case 109: s = ShortestText(node.Latitude / 1e7); break;
        case 110: s = ShortestText(node.Elevation / 10000.0); break;
        default: break;
        }
    }
    return Cut(std::move(s), l.NodeLength);
}

std::string LinkLabelText(const TNetwork& net, const TExprBinding& binding, const TLabelSettings& l,
                          const TWidthSettings& w, const TLink& link, int line)
{
    const TLinkValues* v = link.LinkValues;
    if (!v) return {};
    int32_t code = LinkLabelCode(l, link, line);
    std::string s;
    if (code >= 1 && code <= 100) {
        const TAttrib* a = v->EntityType <= MaxClasses ? (*net.LinkClasses)[v->EntityType].Attr(code) : nullptr;
        s = AttributeText(l, a, SlotOf(*v, code), v->Strings);
    } else {
        switch (code) {
        case 101: s = v->Name; break;
        case 102:
        case 103: s = LinkWidthExpressionText(net, binding, w, link, code == 102 ? 1 : 2).Text; break;
        case 106:
        case 107: s = ExtractNoteLine(v->Note, code - 105); break;
        default: break;
        }
    }
    return Cut(std::move(s), l.LinkLength);
}

namespace {

// Expected characters of one label code.
int32_t CodeCharacters(const TClassRecord& cls, int32_t code, bool node, int32_t nodeCount)
{
    if (code <= 0) return 0;
    if (code <= 100) {
        const TAttrib* a = cls.Attr(code);
        if (!a) return 0;
        switch (a->Kind) {
        case 'C': return CategoryCodePositions(*a);
        case 'D': return 19;
        case 'S': return 30;
        case 'T': return 8;
        default: return 10; // I, R, X
        }
    }
    if (code == 101) return 30;
    if (node) {
        if (code == 102 || code == 103) return 20;
        return 10;
    }
    if (code == 106 || code == 107) return 30;
    if (code == 103) return static_cast<int32_t>(std::to_string(std::max(nodeCount, 0)).size());
    return 10;
}

void KindExtents(const TLabelSettings& l, const TEntityClass& classes, bool node, int32_t nodeCount, bool& any,
                 int32_t& horizontal, int32_t& vertical)
{
    const auto& codes = node ? l.NodeLabelCodes : l.LinkLabelCodes;
    const auto& fonts = node ? l.NodeClassFont : l.LinkClassFont;
    int32_t limit = std::clamp(node ? l.NodeLength : l.LinkLength, 1, 30);
    any = false;
    int32_t width = 0, height = 0;
    for (int c = 1; c <= MaxClasses; ++c) {
        int32_t c1 = codes[c][1], c2 = codes[c][2];
        if (c1 <= 0 && c2 <= 0) continue;
        any = true;
        int slot = std::clamp(fonts[c], 0, LabelFontSlotCount - 1);
        int64_t h = std::llabs(static_cast<int64_t>(l.FontRecords[slot].Height));
        int32_t chars = std::min(limit, std::max(CodeCharacters(classes[c], c1, node, nodeCount),
                                                 CodeCharacters(classes[c], c2, node, nodeCount)));
        int64_t wdt = static_cast<int64_t>(pround(chars * static_cast<double>(h) / 2));
        int64_t hgt = c2 > 0 ? 2 * h : h;
        width = static_cast<int32_t>(std::max<int64_t>(width, std::min<int64_t>(wdt, 1 << 20)));
        height = static_cast<int32_t>(std::max<int64_t>(height, std::min<int64_t>(hgt, 1 << 20)));
    }
    horizontal = static_cast<int32_t>(pround(width * 1.25));
    vertical = l.RotateLabels ? std::max(height, horizontal) : height;
}

} // namespace

TLabelExtents ComputeLabelExtents(TLabelSettings& l, const TEntityClass& nodeClasses,
                                  const TEntityClass& linkClasses, int32_t nodeCount)
{
    TLabelExtents e;
    KindExtents(l, nodeClasses, true, nodeCount, e.AnyNodeLabels, e.NodeHorizontal, e.NodeVertical);
    KindExtents(l, linkClasses, false, nodeCount, e.AnyLinkLabels, e.LinkHorizontal, e.LinkVertical);
    l.AnyNodeLabels = e.AnyNodeLabels;
    l.AnyLinkLabels = e.AnyLinkLabels;
    l.HorizontalMargin = std::max(e.NodeHorizontal, e.LinkHorizontal);
    l.VerticalMargin = std::max(e.NodeVertical, e.LinkVertical);
    return e;
}

TLabelExtents ComputeLabelExtents(const TNetwork& net, TWindowSettings& settings)
{
    return ComputeLabelExtents(settings.Labels, *net.NodeClasses, *net.LinkClasses, net.NodeCount);
}

#include "core/model/Messages.h"
#include "core/model/NetworkQueries.h"

void ClearLabels(const TNetwork& net, TWindowSettings& settings)
{
    settings.Labels.Clear(MessageText(213));
    ComputeLabelExtents(net, settings);
}

void ResetAllEntityLabels(TNetwork& net)
{
    net.SetAllowClose(false);
    ForEachNode(net, [](TNode* n) {
        if (!n->Active) return;
        n->Font = n->Place = n->Label1 = n->Label2 = n->SuppressLabel = n->LabelPending = 0;
        n->SetLabelOffset(0, 0);
    });
    ForEachLink(net, [](TLink* h) {
        TLinkValues* v = h->LinkValues;
        if (!v->Active) return;
        v->Font = v->Place = v->Label1 = v->Label2 = v->SuppressLabel = v->LabelPending = 0;
        v->LabelXOffset = v->LabelYOffset = 0;
    });
}
