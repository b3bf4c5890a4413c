#include "core/tables/TableLayout.h"

#include "core/model/EntityClasses.h"

namespace {

struct TBuiltin {
    char Code;
    TFieldKind Node, Link; // what Extract writes
    const char* NodeColumn;
    const char* LinkColumn;
};

using K = TFieldKind;

constexpr TBuiltin Builtins[] = {
    {'B', K::Text, K::Text, "NAME", "NAME"},
    {'D', K::Text, K::Text, "NODEENTITY", "NODEENTITY"},
    {'E', K::ClassWord, K::ClassWord, "ENTITYCLASS", "ENTITYCLASS"},
    {'K', K::Integer, K::Integer, "ENTITYTYPE", "ENTITYTYPE"},
    {'F', K::Integer, K::None, "NODESERIAL", ""},
    {'G', K::None, K::Integer, "", "ANODESERIAL"},
    {'H', K::None, K::Integer, "", "BNODESERIAL"},
    {'X', K::Integer, K::Integer, "ANODEX", "ANODEX"},
    {'Y', K::Integer, K::Integer, "ANODEY", "ANODEY"},
    {'I', K::None, K::Integer, "", "BNODEX"},
    {'J', K::None, K::Integer, "", "BNODEY"},
    {'P', K::None, K::Text, "", "ANODENAME"},
    {'Q', K::None, K::Text, "", "BNODENAME"},
    {'L', K::Real, K::Real, "NLINKS", "LINKLENGTH"},
    {'S', K::Integer, K::Integer, "POLYCOUNT", "SHAPECOUNT"},
    {'@', K::Real, K::Real, "PERIMETER", "AZIMUTH"},
    {'$', K::Real, K::None, "CHAINLENGTH", ""},
    {'M', K::Real, K::None, "AREA", ""},
    {'^', K::Real, K::None, "CENTROIDX", ""},
    {'_', K::Real, K::None, "CENTROIDY", ""},
    {'~', K::Integer, K::None, "ORIENT", ""},
    {'O', K::Integer, K::None, "POLYSTYLE", ""},
    {'[', K::Integer, K::None, "LAYER", ""},
    {'T', K::Integer, K::Integer, "FONT", "FONT"},
    {'U', K::Integer, K::Integer, "LABELCODE1", "LABELCODE1"},
    {'V', K::Integer, K::Integer, "LABELCODE2", "LABELCODE2"},
    {'W', K::Integer, K::Integer, "LABELPLACE", "LABELPLACE"},
    {'Z', K::Integer, K::Integer, "SUPPRESS", "SUPPRESS"},
    {'(', K::Text, K::Text, "NOTE1", "NOTE1"},
    {')', K::Text, K::Text, "NOTE2", "NOTE2"},
    {'-', K::Real, K::None, "LONGITUDE", ""},
    {'|', K::Real, K::None, "LATITUDE", ""},
    {';', K::Real, K::None, "ELEVATION", ""},
    {'C', K::Real, K::Real, "NODE1", "NODE1"},
    {']', K::Real, K::Real, "NODE2", "NODE2"},
    {'0', K::Integer, K::Integer, "ZERO", "ZERO"},
    {'{', K::Blank, K::Blank, "BLANK", "BLANK"},
    {'}', K::Coordinates, K::Coordinates, "", ""},
};

const TBuiltin* FindBuiltin(char code)
{
    for (const TBuiltin& b : Builtins)
        if (b.Code == code) return &b;
    return nullptr;
}

TFieldKind AttributeFieldKind(const TAttrib* a)
{
    if (!a) return K::Blank;
    switch (a->Kind) {
    case 'R': case 'I': return K::Real;
    case 'C': return K::Code;
    case 'D': return K::DateTime;
    case 'T': return K::Time;
    case 'X': return K::Date;
    case 'S': return K::Text;
    default: return K::Blank;
    }
}

} // namespace

int ItemAttribute(char prefix, char code)
{
    int symbol;
    if (code >= '1' && code <= '9')
        symbol = code - '0';
    else if (code >= 'a' && code <= 'z')
        symbol = code - 'a' + 10;
    else
        return 0;
    if (prefix == 'B' || prefix == 'b') return symbol + 35;
    if (prefix == 'C' || prefix == 'c') return symbol + 70;
    return symbol;
}

std::vector<TLayoutItem> LayoutItems(std::string_view compiled)
{
    std::vector<TLayoutItem> items;
    items.reserve(compiled.size() / 2);
    for (size_t i = 0; i + 1 < compiled.size(); i += 2) {
        TLayoutItem it;
        it.Prefix = compiled[i];
        it.Code = compiled[i + 1];
        it.Attribute = ItemAttribute(it.Prefix, it.Code);
        items.push_back(it);
    }
    return items;
}

const TAttrib* ItemAttributeDefinition(const TLayoutItem& item, const TClassRecord& cls)
{
    if (item.Attribute < 1 || item.Attribute > cls.AttributeCount) return nullptr;
    return cls.Attr(item.Attribute);
}

TFieldKind ExtractFieldKind(const TLayoutItem& item, int kind, const TClassRecord& cls)
{
    if (item.Attribute > 0) return AttributeFieldKind(ItemAttributeDefinition(item, cls));
    const TBuiltin* b = FindBuiltin(item.Code);
    if (!b) return K::None;
    return kind == 0 ? b->Node : b->Link;
}

TFieldKind UpdateFieldKind(const TLayoutItem& item, int kind, const TClassRecord& cls)
{
    if (item.Attribute > 0) return AttributeFieldKind(ItemAttributeDefinition(item, cls));
    switch (item.Code) {
    case 'B': case 'P': case 'Q':
        return K::Text;
    case 'X': case 'Y': case '-': case '|': case ';': case 'K': case 'O': case 'T': case 'U': case 'V':
    case 'W': case 'Z': case '[': case 'S':
        return K::Real;
    case '}': return K::Coordinates;
    case '{': return K::Blank;
    case '+': return K::Skip3;
    case '=': return K::Skip10;
    default: return K::None;
    }
}

TColumnarWidth ColumnarWidth(TFieldKind kind)
{
    switch (kind) {
    case K::Integer: case K::Real: case K::Coordinates: return {10, 1};
    case K::Text: return ColumnarNameWidth;
    case K::Code: return {8, 3};
    case K::DateTime: case K::Time: case K::Date: case K::ClassWord: return {11, 0};
    case K::Blank: return {10, 1};
    case K::Skip3: return {30, 3};
    case K::Skip10: return {100, 10};
    case K::None: break;
    }
    return {0, 0};
}

std::string ItemColumnName(const TLayoutItem& item, int kind, const TClassRecord& cls)
{
    if (item.Attribute > 0) {
        const TAttrib* a = ItemAttributeDefinition(item, cls);
        if (a && !a->Alias.empty()) return a->Alias.substr(0, 11);
        std::string name(1, char('A' + (item.Attribute - 1) / 35));
        char c = item.Code;
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        return name + c;
    }
    const TBuiltin* b = FindBuiltin(item.Code);
    if (!b || (kind == 0 ? b->Node : b->Link) == K::None) return {};
    return kind == 0 ? b->NodeColumn : b->LinkColumn;
}
