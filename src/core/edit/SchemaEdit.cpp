#include "core/edit/SchemaEdit.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/file/TextFormat.h"
#include "core/model/NetworkQueries.h"

TEntityClass* ClassTable(TNetwork& net, TClassKind kind)
{
    switch (kind) {
    case TClassKind::Node: return net.NodeClasses.get();
    case TClassKind::Link: return net.LinkClasses.get();
    default: return net.SystemClass.get();
    }
}

const TEntityClass* ClassTable(const TNetwork& net, TClassKind kind)
{
    return ClassTable(const_cast<TNetwork&>(net), kind);
}

std::unique_ptr<TEntityClass> CopyEntityClassesWhole(const TEntityClass& source)
{
    auto copy = std::make_unique<TEntityClass>();
    for (int c = 0; c <= MaxClasses; ++c) {
        const TClassRecord& from = source[c];
        TClassRecord& to = (*copy)[c];
        to.Width = from.Width;
        to.Color = from.Color;
        to.AttributeCount = from.AttributeCount;
        to.Name = from.Name;
        to.SearchClass = from.SearchClass;
        to.HasCriteria = from.HasCriteria;
        to.Arrow = from.Arrow;
        to.PieSlices = from.PieSlices;
        to.StringCount = from.StringCount;
        to.Alias = from.Alias;
        for (int i = 1; i <= MaxAttributes; ++i) {
            const TAttrib* a = from.Attributes[size_t(i)].get();
            if (!a) continue;
            auto b = std::make_unique<TAttrib>();
            b->TopRow = a->TopRow;
            b->Form = a->Form;
            b->High = a->High;
            b->Low = a->Low;
            b->LowText = a->LowText;
            b->HighText = a->HighText;
            b->Name = a->Name;
            b->Description = a->Description;
            b->Kind = a->Kind;
            b->Active = a->Active;
            b->StringIndex = a->StringIndex;
            b->Alias = a->Alias;
            b->AliasKey = a->AliasKey;
            if (a->WorkSheet)
                b->WorkSheet = std::make_unique<TWorkSheet>(*a->WorkSheet);
            else if (a->TopRow > 0)
                b->WorkSheet = std::make_unique<TWorkSheet>();
            to.Attributes[size_t(i)] = std::move(b);
        }
    }
    return copy;
}

// ---------------------------------------------------------------- texts

std::string FieldText(std::string_view text, size_t width)
{
    std::string s(text.substr(0, std::min(text.size(), width)));
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

std::string ClassNameText(std::string_view text)
{
    std::string s = FieldText(text, 30);
    TrimName30(s);
    return s;
}

std::string AliasText(std::string_view text)
{
    std::string s = FieldText(text, 10);
    s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
    return s;
}

// ---------------------------------------------------------------- edits

int KindListIndex(char kind)
{
    for (int i = 0; i < 7; ++i)
        if (AttributeKindLetters[i] == kind) return i;
    return -1;
}

int MaxRowsOfKind(char kind)
{
    switch (kind) {
    case 'R':
    case 'I': return MaxWorkSheetRow;
    case 'C': return 8;
    default: return 0;
    }
}

std::unique_ptr<TAttrib> DefaultAttribute()
{
    auto a = std::make_unique<TAttrib>();
    a->Kind = 'R';
    return a;
}

void SetAttributeCount(TClassRecord& record, int count)
{
    count = std::clamp(count, 0, MaxAttributes);
    record.AttributeCount = count;
    for (int i = 1; i <= MaxAttributes; ++i) {
        auto& slot = record.Attributes[size_t(i)];
        if (i <= count && !slot) slot = DefaultAttribute();
        if (i > count) slot.reset();
    }
}

void SetWorksheetRows(TAttrib& attribute, int rows)
{
    rows = std::clamp(rows, 0, MaxRowsOfKind(attribute.Kind));
    if (rows == 0) {
        attribute.TopRow = 0;
        attribute.WorkSheet.reset();
        return;
    }
    const int old = attribute.WorkSheet ? std::clamp(attribute.TopRow, 0, MaxWorkSheetRow) : -1;
    if (!attribute.WorkSheet) attribute.WorkSheet = std::make_unique<TWorkSheet>();
    for (int r = old + 1; r <= MaxWorkSheetRow; ++r) attribute.WorkSheet->Rows[size_t(r)] = TWorkSheetRow{};
    attribute.TopRow = rows;
}

void SetAttributeKind(TAttrib& attribute, char kind)
{
    if (!IsAttributeKind(kind)) return;
    attribute.Kind = kind;
    SetWorksheetRows(attribute, attribute.TopRow);
}

void SetAttributeAlias(TAttrib& attribute, std::string_view text)
{
    attribute.Alias = AliasText(text);
    attribute.AliasKey = attribute.Alias;
    for (char& c : attribute.AliasKey)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
}

// ---------------------------------------------------------------- slots

int KindGroup(char kind)
{
    switch (kind) {
    case 'C': return 1;
    case 'D':
    case 'T':
    case 'X': return 2;
    case 'S': return 3;
    default: return 0;
    }
}

TValueSlot EmptySlot(char kind)
{
    switch (KindGroup(kind)) {
    case 1: return PackShortText("");
    case 2: return UnknownDateTime();
    default: return TValueSlot{};
    }
}

namespace {

// How the blocks of one class change.
struct TClassMap {
    int OldCount = 0, NewCount = 0;
    std::array<char, MaxAttributes + 1> NewKind{};
    // Per new slot: keep the old slot's value (its kind group is unchanged).
    std::array<bool, MaxAttributes + 1> Keep{};
    std::array<TValueSlot, MaxAttributes + 1> Empty{};
    std::vector<int> StringFrom; // new string index -> old string index, -1 for an empty string
    bool Identity = false;       // slots and strings keep their places
};

char KindOf(const TClassRecord& r, int i)
{
    const TAttrib* a = r.Attr(i);
    return a ? a->Kind : 'R';
}

// Strings: whether the class keeps string values (every class does; the map
// of no class keeps none).
TClassMap MakeMap(const TClassRecord& oldRec, const TClassRecord& newRec, bool strings, bool newStrings)
{
    TClassMap m;
    m.OldCount = std::clamp(oldRec.AttributeCount, 0, MaxAttributes);
    m.NewCount = std::clamp(newRec.AttributeCount, 0, MaxAttributes);
    std::array<int, MaxAttributes + 1> oldString;
    oldString.fill(-1);
    int s = 0;
    for (int i = 1; i <= m.OldCount; ++i)
        if (strings && KindOf(oldRec, i) == 'S') oldString[size_t(i)] = s++;
    m.Identity = m.OldCount == m.NewCount;
    for (int i = 1; i <= m.NewCount; ++i) {
        const char k = KindOf(newRec, i);
        m.NewKind[size_t(i)] = k;
        m.Empty[size_t(i)] = EmptySlot(k);
        m.Keep[size_t(i)] = i <= m.OldCount && KindGroup(KindOf(oldRec, i)) == KindGroup(k);
        if (!m.Keep[size_t(i)]) m.Identity = false;
        if (newStrings && k == 'S') {
            const int from = i <= m.OldCount ? oldString[size_t(i)] : -1;
            if (from != int(m.StringFrom.size())) m.Identity = false;
            m.StringFrom.push_back(from);
        }
    }
    if (m.Identity && int(m.StringFrom.size()) != s) m.Identity = false;
    return m;
}

// One block: slots to `slots` (NewCount, or 100 for the templates), strings
// to the new string count.
void ApplyToBlock(const TClassMap& m, TValueBlock& values, int16_t& byteCount,
                  TStringList& strings, int slots)
{
    const int have = std::clamp(byteCount / 8, 0, MaxAttributes);
    const bool sameSize = have == slots;
    if (!(m.Identity && sameSize)) {
        TValueBlock fresh(slots > 0 ? new TValueSlot[size_t(slots)] : nullptr);
        for (int i = 1; i <= slots; ++i) {
            TValueSlot& to = fresh[size_t(i - 1)];
            if (i > m.NewCount)
                to = TValueSlot{};
            else if (m.Keep[size_t(i)] && i <= have)
                to = values[size_t(i - 1)];
            else
                to = m.Empty[size_t(i)];
        }
        values = std::move(fresh);
        byteCount = int16_t(slots * 8);
    }
    const size_t n = m.StringFrom.size();
    if (m.Identity) {
        if (strings.size() != n) strings.resize(n);
        return;
    }
    TStringList out(n);
    for (size_t j = 0; j < n; ++j) {
        const int from = m.StringFrom[j];
        if (from >= 0 && size_t(from) < strings.size()) out.Set(j, strings[size_t(from)]);
    }
    strings = std::move(out);
}

} // namespace

void ApplySchemaEdit(TNetwork& net, TClassKind kind, std::unique_ptr<TEntityClass> edited)
{
    if (!edited) return;
    TEntityClass* old = ClassTable(net, kind);
    std::array<TClassMap, MaxClasses + 1> maps;
    for (int c = 0; c <= MaxClasses; ++c) {
        static const TClassRecord nothing;
        maps[size_t(c)] = MakeMap(old ? (*old)[c] : nothing, (*edited)[c], true, true);
    }
    static const TClassMap none = MakeMap(TClassRecord{}, TClassRecord{}, false, false);
    auto mapOf = [&](int cls) -> const TClassMap& {
        return (cls >= 0 && cls <= MaxClasses) ? maps[size_t(cls)] : none;
    };
    NumberStringAttributes(*edited);

    switch (kind) {
    case TClassKind::Node:
        ForEachNode(net, [&](TNode* n) {
            const TClassMap& m = mapOf(n->EntityType);
            ApplyToBlock(m, n->Values, n->ByteCount, n->Strings, m.NewCount);
        });
        {
            TNode& t = net.TemplateNode;
            ApplyToBlock(mapOf(t.EntityType), t.Values, t.ByteCount, t.Strings, MaxAttributes);
        }
        net.NodeClasses = std::move(edited);
        break;
    case TClassKind::Link:
        ForEachLink(net, [&](TLink* h) {
            TLinkValues* r = h->LinkValues;
            const TClassMap& m = mapOf(r->EntityType);
            ApplyToBlock(m, r->Values, r->ByteCount, r->Strings, m.NewCount);
        });
        {
            TLinkValues& t = net.TemplateLinkValues;
            ApplyToBlock(mapOf(t.EntityType), t.Values, t.ByteCount, t.Strings, MaxAttributes);
        }
        net.LinkClasses = std::move(edited);
        break;
    case TClassKind::System: {
        const TClassMap& m = maps[1];
        // The system values live in a fixed array [1..100]: run them through
        // a block of 100 slots.
        TValueBlock block(new TValueSlot[MaxAttributes]);
        for (int i = 1; i <= MaxAttributes; ++i) block[size_t(i - 1)] = net.SystemValues[size_t(i)];
        int16_t bytes = MaxAttributes * 8;
        ApplyToBlock(m, block, bytes, net.SystemStrings, MaxAttributes);
        for (int i = 1; i <= MaxAttributes; ++i) net.SystemValues[size_t(i)] = block[size_t(i - 1)];
        net.SystemClass = std::move(edited);
        break;
    }
    }
}

void RemapClassValues(const TClassRecord& from, bool fromStrings, const TClassRecord& to, bool toStrings,
                      TValueArray& values, TStringList& strings)
{
    const TClassMap m = MakeMap(from, to, fromStrings, toStrings);
    TValueBlock block(new TValueSlot[MaxAttributes]);
    for (int i = 1; i <= MaxAttributes; ++i) block[size_t(i - 1)] = values[size_t(i)];
    int16_t bytes = int16_t(std::clamp(from.AttributeCount, 0, MaxAttributes) * 8);
    if (bytes == 0) block.reset();
    ApplyToBlock(m, block, bytes, strings, MaxAttributes);
    for (int i = 1; i <= MaxAttributes; ++i) values[size_t(i)] = block[size_t(i - 1)];
}
