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

using TClassFit = TAppendFit::TClassFit;

// The network's class c: one it names (class 0 is always there).
bool Defines(const TEntityClass& classes, int c) { return c == 0 || !classes[c].Name.empty(); }

TClassFit FitClass(const TEntityClass& to, const TEntityClass& from, int c)
{
    TClassFit fit;
    const TClassRecord& src = from[c];
    const int n = std::clamp(src.AttributeCount, 0, MaxAttributes);
    fit.Target = Defines(to, c) ? c : 0;
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

bool DefinesNoClasses(const TEntityClass& classes)
{
    for (int c = 0; c <= MaxClasses; ++c)
        if ((c > 0 && !classes[c].Name.empty()) || classes[c].AttributeCount > 0) return false;
    return true;
}

TAppendFit::TKindFit FitKind(const TEntityClass& to, const TEntityClass& from)
{
    TAppendFit::TKindFit k;
    k.File = &from;
    k.TakesFileClasses = DefinesNoClasses(to);
    for (int c = 0; c <= MaxClasses; ++c) {
        if (k.TakesFileClasses) {
            k.Classes[size_t(c)].Target = c;
            k.Classes[size_t(c)].Slots = std::clamp(from[c].AttributeCount, 0, MaxAttributes);
        } else {
            k.Classes[size_t(c)] = FitClass(to, from, c);
        }
    }
    return k;
}

const TAttrib* Named(const TClassRecord& r, int i)
{
    const TAttrib* a = r.Attr(i);
    return a && !a->Name.empty() ? a : nullptr;
}

} // namespace

TAppendFit::TAppendFit(const TNetwork& net, const TEntityClass& fileNodes, const TEntityClass& fileLinks)
    : Nodes(FitKind(*net.NodeClasses, fileNodes)), Links(FitKind(*net.LinkClasses, fileLinks))
{
}

int TAppendFit::Slots(bool nodes, int cls) const
{
    return Kind(nodes).Classes[size_t(std::clamp(cls, 0, MaxClasses))].Slots;
}

int TAppendFit::Refit(bool nodes, bool isTemplate, int cls, TValueArray& values, int& filled,
                      std::vector<std::string>& texts)
{
    const int c = std::clamp(cls, 0, MaxClasses);
    const TKindFit& kind = Kind(nodes);
    const TClassFit& fit = kind.Classes[size_t(c)];
    if (fit.Same) return cls;
    if (fit.Target != c && !isTemplate) ++(nodes ? Losses.NodesOutOfClass : Losses.LinksOutOfClass);
    int32_t& lost = nodes ? Losses.NodeValues : Losses.LinkValues;
    // The values that find no place and say something.
    const TClassRecord& src = (*kind.File)[c];
    for (int s : fit.Lost) {
        const TAttrib* a = src.Attr(s);
        const char k = KindOf(a);
        std::string_view text;
        if (k == 'S' && a && a->StringIndex < texts.size()) text = texts[a->StringIndex];
        if (!IsEmptyValue(k, s <= filled ? values[size_t(s)] : TValueSlot{}, text)) ++lost;
    }
    // Slot i keeps its value or none: in place.
    for (int i = 1; i <= fit.Slots; ++i) {
        TValueSlot& v = values[size_t(i)];
        if (fit.From[size_t(i - 1)] == 0 || i > filled) v = TValueSlot{};
        const int room = fit.Room[size_t(i - 1)];
        if (room >= 0 && !CodeFits(v, room)) {
            v = TValueSlot{};
            ++lost;
        }
    }
    filled = fit.Slots;
    Kept.resize(fit.Strings.size());
    for (size_t k = 0; k < fit.Strings.size(); ++k) {
        const int s = fit.Strings[k];
        Kept[k].clear();
        if (s >= 0 && size_t(s) < texts.size()) Kept[k].swap(texts[size_t(s)]);
    }
    texts.swap(Kept);
    return fit.Target;
}

void TakeAppendedClasses(TNetwork& net, TNetwork& scratch, const TAppendFit& fit)
{
    for (bool nodes : {true, false}) {
        if (!fit.Kind(nodes).TakesFileClasses) continue;
        TEntityClass& to = nodes ? *net.NodeClasses : *net.LinkClasses;
        TEntityClass& from = nodes ? *scratch.NodeClasses : *scratch.LinkClasses;
        // The network takes the appended file's classes (its "no class"
        // record keeps its name, as an open keeps it).
        const std::string name0 = to[0].Name;
        for (int c = 0; c <= MaxClasses; ++c) to[c] = std::move(from[c]);
        to[0].Name = name0;
        ResizeAttributeArrays(net, &to);
    }
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
