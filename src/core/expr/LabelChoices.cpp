#include "core/expr/LabelChoices.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/model/EntityClasses.h"
#include "core/model/Messages.h"
#include "core/model/Rounding.h"

namespace {

constexpr int TextBlank = 137;
constexpr int TextName = 138;
constexpr int TextPoly = 233;

// The built-in items after "Name", in list order, codes 102 upward (links
// skip 104 and 105).
constexpr int NodeItemTexts[] = {139, 185, 232, 278, 294, 295, 427, 428, 447};
constexpr int LinkItemTexts[] = {140, 277, 294, 295};

int AttributeCount(const TClassRecord& cls) { return std::clamp(cls.AttributeCount, 0, MaxAttributes); }

} // namespace

std::vector<TLabelChoice> SelectLabelItems(const TClassRecord& cls, bool nodes)
{
    const int n = AttributeCount(cls);
    std::vector<TLabelChoice> items;
    items.push_back({0, MessageText(TextBlank)});
    for (int k = 1; k <= n; ++k) {
        const TAttrib* a = cls.Attr(k);
        std::string text;
        if (a) text = !a->Alias.empty() ? a->Alias : a->Name;
        if (text.empty()) text = PositionalAttributeName(k);
        items.push_back({k, text});
    }
    items.push_back({101, MessageText(TextName)});
    if (nodes)
        for (int id : NodeItemTexts) items.push_back({0, MessageText(id)});
    else
        for (int id : LinkItemTexts) items.push_back({0, MessageText(id)});
    for (size_t i = size_t(n) + 2; i < items.size(); ++i) items[i].Code = LabelCodeOfItem(int(i), n, nodes);
    return items;
}

int32_t LabelCodeOfItem(int index, int attributeCount, bool nodes)
{
    if (index <= attributeCount) return index;
    int32_t code = index + 100 - attributeCount;
    if (!nodes && code >= 104) code += 2;
    return code;
}

int LabelItemOfCode(int32_t code, int attributeCount, bool nodes)
{
    if (code >= 0 && code <= attributeCount) return int(code);
    if (code < 101) return -1;
    if (nodes) return code <= 110 ? int(code) - 100 + attributeCount : -1;
    if (code <= 103) return int(code) - 100 + attributeCount;
    if (code == 106 || code == 107) return int(code) - 102 + attributeCount;
    return -1;
}

std::string LabelCodeCaption(const TClassRecord& cls, int32_t code, bool nodes)
{
    if (code == 0) return MessageText(TextBlank);
    if (code >= 1 && code <= 100) {
        const TAttrib* a = code <= AttributeCount(cls) ? cls.Attr(code) : nullptr;
        if (!a) return {};
        return !a->Alias.empty() ? a->Alias : PositionalAttributeName(code);
    }
    if (code == 101) return MessageText(TextName);
    if (nodes) {
        switch (code) {
        case 102: return "Size1";
        case 103: return "Serial";
        case 104: return MessageText(TextPoly);
        case 105: return "Size2";
        case 106: return "Note1";
        case 107: return "Note2";
        case 108: return "Long";
        case 109: return "Lat";
        case 110: return "Elev";
        default: return {};
        }
    }
    switch (code) {
    case 102: return "Width1";
    case 103: return "Width2";
    case 106: return "Note1";
    case 107: return "Note2";
    default: return {};
    }
}

std::string LabelCodeHint(const TClassRecord& cls, int32_t code)
{
    if (code < 1 || code > AttributeCount(cls)) return {};
    const TAttrib* a = cls.Attr(code);
    return a ? a->Name : std::string();
}

std::string FontSlotSymbol(int32_t slot)
{
    if (slot >= 10 && slot < 36) return std::string(1, char('a' + (slot - 10)));
    return std::to_string(slot);
}

std::string FontSlotCaption(int32_t slot) { return "F" + FontSlotSymbol(slot); }

std::string LabelFontCaption(int32_t slot, std::string_view face, int pointSize, bool italic, bool bold)
{
    std::string s = FontSlotSymbol(slot) + ". " + std::string(face) + ", " + std::to_string(pointSize);
    if (italic) s += ", Italics";
    if (bold) s += ", Bold";
    return s;
}

int LabelFontPointSize(int32_t height)
{
    const double h = std::min<double>(std::llabs(int64_t(height)), 100000);
    const double pixels = height > 0 ? h * 0.8 : h;
    return int(pround(pixels * 72.0 / 96.0));
}

int32_t LabelFontHeight(double pointSize)
{
    if (!std::isfinite(pointSize)) return -17;
    return -int32_t(pround(std::clamp(pointSize, 1.0, 10000.0) * 96.0 / 72.0));
}
