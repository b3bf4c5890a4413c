#include "core/file/AppendClasses.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"

namespace {

bool IsNumberKind(char k) { return k == 'R' || k == 'I'; }

// A value of kind from may be held by an attribute of kind to.
bool KindsAgree(char to, char from) { return to == from || (IsNumberKind(to) && IsNumberKind(from)); }

char KindOf(const TAttrib* a) { return a ? a->Kind : 'R'; }

// A value that says nothing: losing it loses nothing.
bool IsEmptyValue(char kind, const TValueSlot& v, std::string_view text)
{
    switch (kind) {
    case 'S':
        return text.empty();
    case 'C':
        return UnpackShortText(v).find_first_not_of(' ') == std::string::npos;
    case 'D':
    case 'T':
    case 'X':
        return v == UnknownDateTime() || v == TValueSlot{};
    default:
        return v.Real() == 0;
    }
}

// A code fits an attribute of room code positions when the characters after
// them are blanks (the file keeps no more).
bool CodeFits(const TValueSlot& v, int room)
{
    const std::string code = UnpackShortText(v);
    return code.find_first_not_of(' ', size_t(room)) == std::string::npos;
}

// Where the values of one appended class go.
struct TClassFit {
    int Target = 0;           // the network's class its elements join
    bool Same = true;         // blocks and string lists stay as they are
    int Slots = 0;            // attributes of the target class
    std::vector<int> From;    // target slot i + 1 takes source slot From[i] (0: none)
    std::vector<int> Room;    // codes for target slot i + 1 must fit Room[i] positions (-1: any)
    std::vector<int> Strings; // target string k takes source string Strings[k] (-1: none)
    std::vector<int> Lost;    // source attributes whose values find no place
};

TClassFit FitClass(const TEntityClass& to, const TEntityClass& from, int c, int highest)
{
    TClassFit fit;
    const TClassRecord& src = from[c];
    const int n = std::clamp(src.AttributeCount, 0, MaxAttributes);
    fit.Target = c <= highest ? c : 0;
    const TClassRecord& dst = to[fit.Target];
    fit.Slots = std::clamp(dst.AttributeCount, 0, MaxAttributes);
    fit.From.assign(size_t(fit.Slots), 0);
    fit.Room.assign(size_t(fit.Slots), -1);
    fit.Strings.assign(dst.StringCount, -1);
    if (fit.Target != c) {
        fit.Same = false;
        for (int i = 1; i <= n; ++i) fit.Lost.push_back(i);
        return fit;
    }
    fit.Same = fit.Slots == n && dst.StringCount == src.StringCount;
    for (int i = 1; i <= n; ++i) {
        const TAttrib* a = src.Attr(i);
        const TAttrib* b = i <= fit.Slots ? dst.Attr(i) : nullptr;
        if (i > fit.Slots || !KindsAgree(KindOf(b), KindOf(a))) {
            fit.Same = false;
            fit.Lost.push_back(i);
        } else if (KindOf(b) == 'S') {
            if (a && b && b->StringIndex < fit.Strings.size() && a->StringIndex < src.StringCount) {
                fit.Strings[b->StringIndex] = a->StringIndex;
                fit.Same = fit.Same && a->StringIndex == b->StringIndex;
            } else {
                fit.Same = false;
            }
        } else {
            fit.From[size_t(i - 1)] = i;
            // A code of more positions than the window's attribute keeps.
            if (KindOf(b) == 'C' && a && b && CategoryCodePositions(*a) > CategoryCodePositions(*b)) {
                fit.Room[size_t(i - 1)] = CategoryCodePositions(*b);
                fit.Same = false;
            }
        }
    }
    return fit;
}

// The element's values not placed that say something.
template <class E>
int32_t CountLost(const E& e, const TClassRecord& src, const TClassFit& fit)
{
    int32_t lost = 0;
    for (int s : fit.Lost) {
        const TAttrib* a = src.Attr(s);
        const char kind = KindOf(a);
        std::string_view text;
        if (kind == 'S' && a && a->StringIndex < e.Strings.size()) text = e.Strings[a->StringIndex].view();
        const TValueSlot v = s <= SlotCount(e) ? e.Values[size_t(s - 1)] : TValueSlot{};
        if (!IsEmptyValue(kind, v, text)) ++lost;
    }
    return lost;
}

// The element's values and strings in the target class's order; returns the
// codes left out for want of room.
template <class E>
int32_t Refill(const E& e, const TClassFit& fit, TValueSlot* block, std::vector<std::string_view>& texts)
{
    int32_t lost = 0;
    for (int i = 0; i < fit.Slots; ++i) {
        const int s = fit.From[size_t(i)];
        block[i] = s > 0 && s <= SlotCount(e) ? e.Values[size_t(s - 1)] : TValueSlot{};
        if (fit.Room[size_t(i)] >= 0 && !CodeFits(block[i], fit.Room[size_t(i)])) {
            block[i] = TValueSlot{};
            ++lost;
        }
    }
    texts.assign(fit.Strings.size(), std::string_view());
    for (size_t k = 0; k < fit.Strings.size(); ++k) {
        const int s = fit.Strings[k];
        if (s >= 0 && size_t(s) < e.Strings.size()) texts[k] = e.Strings[size_t(s)].view();
    }
    return lost;
}

// An element of the scratch network, its block and strings kept in its store.
template <class E>
int32_t FitElement(TNetwork& scratch, E& e, const TClassRecord& src, const TClassFit& fit,
                   std::vector<std::string_view>& texts)
{
    int32_t lost = CountLost(e, src, fit);
    e.EntityType = uint8_t(fit.Target);
    if (fit.Same) return lost;
    TValueBlock block = scratch.Store.MakeValues(fit.Slots);
    lost += Refill(e, fit, block.get(), texts);
    // The texts point into the element's old list: the new one is made first.
    e.Strings.AssignStored(texts.begin(), texts.end(), scratch.Store.Texts);
    e.Values = std::move(block);
    e.ByteCount = int16_t(8 * fit.Slots);
    return lost;
}

// A template record: 100 slots of its own.
template <class E>
void FitTemplate(E& t, const TClassFit& fit)
{
    t.EntityType = uint8_t(fit.Target);
    if (fit.Same) return;
    std::array<TValueSlot, MaxAttributes> block{};
    std::vector<std::string_view> texts;
    Refill(t, fit, block.data(), texts);
    std::vector<std::string> kept(texts.begin(), texts.end());
    ResizeValues(t, MaxAttributes);
    std::copy(block.begin(), block.end(), t.Values.get());
    t.Strings = kept;
}

bool DefinesNoClasses(const TEntityClass& classes)
{
    for (int c = 0; c <= MaxClasses; ++c)
        if ((c > 0 && !classes[c].Name.empty()) || classes[c].AttributeCount > 0) return false;
    return true;
}

void FitKind(TNetwork& net, TNetwork& scratch, bool nodes, bool templateRead, int32_t& lostValues,
             int32_t& outOfClass)
{
    TEntityClass& to = nodes ? *net.NodeClasses : *net.LinkClasses;
    TEntityClass& from = nodes ? *scratch.NodeClasses : *scratch.LinkClasses;
    if (DefinesNoClasses(to)) {
        // The network takes the appended file's classes (its "no class"
        // record keeps its name, as an open keeps it).
        const std::string name0 = to[0].Name;
        for (int c = 0; c <= MaxClasses; ++c) to[c] = std::move(from[c]);
        to[0].Name = name0;
        ResizeAttributeArrays(net, &to);
        return;
    }
    const int highest = HighestEntityType(to);
    // No element of the file is of a class above its highest named one.
    const int used = HighestEntityType(from);
    std::array<TClassFit, MaxClasses + 1> fits;
    for (int c = 0; c <= MaxClasses; ++c) fits[size_t(c)].Target = c;
    bool same = true;
    for (int c = 0; c <= used; ++c) {
        fits[size_t(c)] = FitClass(to, from, c, highest);
        same = same && fits[size_t(c)].Same;
    }
    if (same) return;
    std::vector<std::string_view> texts;
    auto fit = [&](auto& e) {
        const int c = std::min<int>(e.EntityType, MaxClasses);
        const TClassFit& f = fits[size_t(c)];
        if (f.Target != c) ++outOfClass;
        lostValues += FitElement(scratch, e, from[c], f, texts);
    };
    if (nodes) {
        ForEachNode(scratch, [&](TNode* n) { fit(*n); });
        if (templateRead) FitTemplate(scratch.TemplateNode, fits[std::min<size_t>(scratch.TemplateNode.EntityType, MaxClasses)]);
    } else {
        ForEachLink(scratch, [&](TLink* h) { fit(*h->LinkValues); });
        if (templateRead)
            FitTemplate(scratch.TemplateLinkValues,
                        fits[std::min<size_t>(scratch.TemplateLinkValues.EntityType, MaxClasses)]);
    }
}

const TAttrib* Named(const TClassRecord& r, int i)
{
    const TAttrib* a = r.Attr(i);
    return a && !a->Name.empty() ? a : nullptr;
}

} // namespace

void FitAppendedClasses(TNetwork& net, TNetwork& scratch, bool templateNodeRead, bool templateLinkRead,
                        TAppendLosses& losses)
{
    FitKind(net, scratch, true, templateNodeRead, losses.NodeValues, losses.NodesOutOfClass);
    FitKind(net, scratch, false, templateLinkRead, losses.LinkValues, losses.LinksOutOfClass);
}

void TakeAppendedSystemValues(TNetwork& net, TNetwork& scratch, TAppendLosses& losses)
{
    TClassRecord& to = (*net.SystemClass)[1];
    const TClassRecord& from = (*scratch.SystemClass)[1];
    bool definesNone = true;
    for (int i = 1; i <= MaxAttributes && definesNone; ++i) definesNone = !Named(to, i);
    if (definesNone) {
        TClassRecord& record = (*scratch.SystemClass)[1];
        to.Attributes = std::move(record.Attributes);
        to.AttributeCount = record.AttributeCount;
        to.StringCount = record.StringCount;
        net.SystemValues = scratch.SystemValues;
        net.SystemStrings = scratch.SystemStrings;
        return;
    }
    const TStringList& appended = scratch.SystemStrings;
    std::vector<std::string> strings(net.SystemStrings.begin(), net.SystemStrings.end());
    if (strings.size() < to.StringCount) strings.resize(to.StringCount);
    for (int i = 1; i <= MaxAttributes; ++i) {
        const TAttrib* a = Named(from, i);
        if (!a) continue;
        const TAttrib* b = Named(to, i);
        std::string_view text;
        if (a->Kind == 'S' && a->StringIndex < appended.size()) text = appended[a->StringIndex].view();
        const TValueSlot& v = scratch.SystemValues[size_t(i)];
        // (The system section keeps all eight characters of a code.)
        if (b && KindsAgree(b->Kind, a->Kind)) {
            if (b->Kind != 'S')
                net.SystemValues[size_t(i)] = v;
            else if (b->StringIndex < strings.size())
                strings[b->StringIndex] = std::string(text);
        } else if (!IsEmptyValue(a->Kind, v, text)) {
            ++losses.SystemValues;
        }
    }
    net.SystemStrings = strings;
}

std::string AppendLossesText(const TAppendLosses& losses)
{
    std::string text = "Appended Values Not Kept.";
    auto line = [&](const char* what, int32_t n) {
        if (n <= 0) return;
        text += MessageLineBreak;
        text += what;
        text += " = " + std::to_string(n);
    };
    line("Node Values", losses.NodeValues);
    line("Link Values", losses.LinkValues);
    line("System Values", losses.SystemValues);
    line("Nodes Moved to Class 0", losses.NodesOutOfClass);
    line("Links Moved to Class 0", losses.LinksOutOfClass);
    return text;
}
