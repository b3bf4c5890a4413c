#include "core/expr/ExpressionNetwork.h"

#include "core/model/NetworkQueries.h"
#include "core/model/WindowSettings.h"

#include <algorithm>

std::string_view NoteLineView(std::string_view note, int lineNo)
{
    if (lineNo < 1) return {};
    size_t start = 0;
    for (int line = 1;; ++line) {
        size_t end = note.find("&&", start);
        if (end == std::string_view::npos) return {};
        if (line == lineNo) return note.substr(start, std::min<size_t>(end - start, 30));
        start = end + 2;
    }
}

bool TModelProperties::NodeProperty(const TNode& node, char code, TPropertyValue& out) const
{
    const TMyPolygonList& poly = node.OwnPolygon();
    switch (code) {
    case 'E': out.Value = 0; return true;
    case 'F': out.Value = node.Serial; return true;
    case 'K': out.Value = node.EntityType; return true;
    case 'L': out.Value = AttachedLinkCount(&node); return true;
    case 'M': out.Value = PolygonArea(poly, UnitsFactor); return true;
    case 'S': out.Value = CountPolygonVertices(poly, true); return true;
    case 'X': out.Value = node.X; return true;
    case 'Y': out.Value = node.Y; return true;
    case '@': out.Value = PolygonPerimeter(poly, UnitsFactor, false); return true;
    case '$': out.Value = PolygonPerimeter(poly, UnitsFactor, true); return true;
    case '^': out.Value = PolygonCentroid(poly, true); return true;
    case '_': out.Value = PolygonCentroid(poly, false); return true;
    case '[': out.Value = node.Layer; return true;
    case '-': out.Value = node.Longitude / 1e7; return true;
    case '|': out.Value = node.Latitude / 1e7; return true;
    case ';': out.Value = node.Elevation / 10000.0; return true;
    case '~': out.Value = PolygonIsClockwise(&node) ? 1 : 0; return true;
    case 'R':
        out.Value = Net.PolygonsOf(&node).GetCount() > 0 ? CountVerticesUpTo(Net.PolygonsOf(&node).At(0)->OwnPolygon(), &node) : 0;
        return true;
    case '(':
    case ')':
        out.IsText = true;
        out.Text = NoteLineView(&node == NoteNode ? std::string_view(NoteText) : std::string_view(node.Note()),
                                code == '(' ? 1 : 2);
        return true;
    case 'B':
        out.IsText = true;
        out.Text = node.Name;
        return true;
    }
    return false;
}

bool TModelProperties::LinkProperty(const TLink& link, char code, TPropertyValue& out) const
{
    const TLinkValues* v = link.LinkValues;
    if (!v || !v->ANode || !v->BNode) return false;
    const TNode& a = *v->ANode;
    const TNode& b = *v->BNode;
    switch (code) {
    case 'E': out.Value = 1; return true;
    // G and H are the A and B serials, as the short names SerialA and
    // SerialB (and Calculate and extraction) have them; F is the A serial too.
    case 'F':
    case 'G': out.Value = a.Serial; return true;
    case 'H': out.Value = b.Serial; return true;
    case 'K': out.Value = v->EntityType; return true;
    case 'L': out.Value = LinkLength(&link, UnitsFactor); return true;
    case 'S': out.Value = v->ShapePoints.GetCount(); return true;
    case 'X': out.Value = a.X; return true;
    case 'Y': out.Value = a.Y; return true;
    case 'I': out.Value = b.X; return true;
    case 'J': out.Value = b.Y; return true;
    case 'P': out.Value = a.EntityType; return true;
    case 'Q': out.Value = b.EntityType; return true;
    case '@': out.Value = LinkAzimuth(&link); return true;
    case '(':
    case ')':
        out.IsText = true;
        out.Text = NoteLineView(v == NoteLink ? std::string_view(NoteText) : std::string_view(v->Note),
                                code == '(' ? 1 : 2);
        return true;
    case 'B':
        out.IsText = true;
        out.Text = v->Name;
        return true;
    }
    return false;
}

TExprBinding::TExprBinding(const TNetwork& net, const TViewRecord* view, std::mt19937_64* random)
    : Properties(net, view && view->Settings ? view->Settings->UnitsFactor : 1.0)
{
    Env.NodeClasses = net.NodeClasses.get();
    Env.LinkClasses = net.LinkClasses.get();
    Env.SystemClass = net.SystemClass.get();
    Env.SystemValues = net.SystemValues.data();
    Env.SystemStrings = &net.SystemStrings;
    if (view) {
        if (view->Settings) Env.LayerStates = view->Settings->Layers.LayerStates.data();
        Env.ZoomIndex = view->ZoomIndex;
    }
    Env.Properties = &Properties;
    Env.Random = random;
}

std::array<int32_t, ExprSlots> ClassKinds(const TClassRecord* cls)
{
    std::array<int32_t, ExprSlots> kinds{};
    if (!cls) return kinds;
    for (int k = 1; k <= cls->AttributeCount && k <= MaxAttributes; ++k) {
        const TAttrib* a = cls->Attr(k);
        if (!a) continue;
        switch (a->Kind) {
        case 'C': kinds[k] = std::clamp(a->TopRow, 0, 15); break;
        case 'D':
        case 'T':
        case 'X': kinds[k] = 16; break;
        case 'S': kinds[k] = 19; break;
        default: kinds[k] = 0; break;
        }
    }
    return kinds;
}

namespace {

template <class E>
void FillValues(const TClassRecord* cls, const E& e, ExpressionContext& ctx, ExprStrings& strings, int* filled)
{
    int n = std::clamp(SlotCount(e), 0, MaxAttributes);
    int clear = filled ? std::clamp(*filled, 0, MaxAttributes) : MaxAttributes;
    for (int k = 1; k <= n; ++k) ctx.Values[k] = e.Values[size_t(k - 1)].Real();
    for (int k = n + 1; k <= clear; ++k) ctx.Values[k] = 0;
    if (filled) *filled = n;
    // Only the class's 'S' slots are read as strings, and all of them are set.
    if (!cls || e.Strings.empty()) return;
    for (int k = 1; k <= cls->AttributeCount && k <= MaxAttributes; ++k) {
        const TAttrib* a = cls->Attr(k);
        if (a && a->Kind == 'S' && a->StringIndex < e.Strings.size()) strings[k] = e.Strings[a->StringIndex];
    }
}

const TClassRecord* ClassOf(const TEntityClass* classes, int c)
{
    return (classes && c >= 0 && c <= MaxClasses) ? &(*classes)[c] : nullptr;
}

} // namespace

void FillNodeContext(const TNetwork& net, const TNode& node, ExpressionContext& ctx, ExprStrings& strings,
                     int* filled)
{
    FillValues(ClassOf(net.NodeClasses.get(), node.EntityType), node, ctx, strings, filled);
    ctx.Values[0] = node.Layer;
}

void FillLinkContext(const TNetwork& net, const TLinkValues& link, ExpressionContext& ctx, ExprStrings& strings,
                     int* filled)
{
    FillValues(ClassOf(net.LinkClasses.get(), link.EntityType), link, ctx, strings, filled);
    ctx.Values[0] = 0;
}
