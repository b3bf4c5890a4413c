#include "core/model/EntityClasses.h"

#include <algorithm>

std::unique_ptr<TEntityClass> CloneEntityClasses(const TEntityClass& source)
{
    auto copy = std::make_unique<TEntityClass>();
    for (int c = 0; c <= MaxClasses; ++c) {
        const TClassRecord& from = source[c];
        TClassRecord& to = (*copy)[c];
        to.Name = from.Name;
        to.Alias = from.Alias;
        to.Width = from.Width;
        to.Color = from.Color;
        to.AttributeCount = from.AttributeCount;
        to.SearchClass = from.SearchClass;
        to.HasCriteria = from.HasCriteria;
        to.Arrow = from.Arrow;
        to.PieSlices = from.PieSlices;
        to.StringCount = from.StringCount;
        for (int i = 1; i <= MaxAttributes; ++i) {
            const TAttrib* a = from.Attributes[i].get();
            if (!a)
                continue;
            auto b = std::make_unique<TAttrib>();
            b->Name = a->Name;
            b->Alias = a->Alias;
            b->AliasKey = a->AliasKey;
            b->TopRow = a->TopRow;
            b->Kind = a->Kind;
            b->Form = a->Form;
            b->Description = a->Description;
            b->Low = a->Low;
            b->High = a->High;
            b->Active = a->Active;
            b->StringIndex = a->StringIndex;
            if (a->TopRow > 0) {
                b->WorkSheet = std::make_unique<TWorkSheet>();
                if (a->WorkSheet) {
                    const int top = std::min(a->TopRow, MaxWorkSheetRow);
                    for (int r = 0; r <= top; ++r)
                        b->WorkSheet->Rows[r] = a->WorkSheet->Rows[r];
                }
            }
            to.Attributes[i] = std::move(b);
        }
    }
    return copy;
}

void NumberStringAttributes(TEntityClass& classes)
{
    // Class 0 too: a file may give it attributes, strings among them.
    for (int c = 0; c <= MaxClasses; ++c) {
        TClassRecord& record = classes[c];
        int count = 0;
        const int n = std::clamp(record.AttributeCount, 0, MaxAttributes);
        for (int i = 1; i <= n; ++i) {
            TAttrib* a = record.Attributes[i].get();
            if (a && a->Kind == 'S')
                a->StringIndex = static_cast<uint8_t>(count++);
        }
        record.StringCount = static_cast<uint8_t>(count);
    }
}

void CopyValuesIn(const TValueSlot* block, TValueArray& values, int n)
{
    n = std::clamp(n, 0, MaxAttributes);
    for (int i = 1; i <= n; ++i)
        values[i] = block[i - 1];
    for (int i = n + 1; i <= MaxAttributes; ++i)
        values[i] = TValueSlot{};
}

void CopyValuesOut(TValueSlot* block, const TValueArray& values, int n)
{
    n = std::clamp(n, 0, MaxAttributes);
    for (int i = 1; i <= n; ++i)
        block[i - 1] = values[i];
}

namespace {

void TrimName(std::string& s, std::size_t width)
{
    if (s.size() > width)
        s.resize(width);
    const std::size_t last = s.find_last_not_of(' ');
    s.resize(last == std::string::npos ? 0 : last + 1);
}

void PadName(std::string& s, std::size_t width)
{
    s.resize(width, ' ');
}

} // namespace

void TrimName30(std::string& s) { TrimName(s, 30); }
void TrimName10(std::string& s) { TrimName(s, 10); }
void PadName30(std::string& s) { PadName(s, 30); }
void PadName10(std::string& s) { PadName(s, 10); }

std::string ExtractNoteLine(const std::string& note, int lineNo)
{
    if (lineNo < 1)
        return {};
    std::size_t start = 0;
    for (int line = 1;; ++line) {
        const std::size_t end = note.find("&&", start);
        if (end == std::string::npos)
            return {}; // a line not followed by "&&" is empty
        if (line == lineNo)
            return note.substr(start, std::min<std::size_t>(end - start, 30));
        start = end + 2;
    }
}

int ClassAttributeCount(const TEntityClass* classes, int entityType)
{
    if (!classes || entityType < 0 || entityType > MaxClasses) return 0;
    return std::clamp((*classes)[entityType].AttributeCount, 0, MaxAttributes);
}

int ClassStringCount(const TEntityClass* classes, int entityType)
{
    if (!classes || entityType < 0 || entityType > MaxClasses) return 0;
    return (*classes)[entityType].StringCount;
}

int CategoryCodePositions(const TAttrib& attribute)
{
    return std::clamp(attribute.TopRow, 0, 8);
}

bool IsAttributeKind(char c)
{
    switch (c) {
    case 'R': case 'I': case 'C': case 'D': case 'T': case 'X': case 'S':
        return true;
    default:
        return false;
    }
}

namespace {
constexpr std::string_view PositionSymbols = "123456789abcdefghijklmnopqrstuvwxyz"; // 35
}

std::string PositionalAttributeName(int index)
{
    if (index < 1 || index > MaxAttributes)
        return {};
    const int k = index - 1;
    return std::string{static_cast<char>('A' + k / 35), PositionSymbols[static_cast<std::size_t>(k % 35)]};
}

std::string PositionalVariableName(int index)
{
    if (index < 1 || index > 35)
        return {};
    return std::string{'V', PositionSymbols[static_cast<std::size_t>(index - 1)]};
}

int PositionalIndex(std::string_view name)
{
    if (name.size() != 2)
        return 0;
    char l = name[0];
    if (l >= 'a' && l <= 'z')
        l = static_cast<char>(l - 'a' + 'A');
    char c = name[1];
    if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
    const std::size_t symbol = PositionSymbols.find(c);
    if (symbol == std::string_view::npos || l < 'A' || l > 'C')
        return 0;
    const int index = (l - 'A') * 35 + static_cast<int>(symbol) + 1;
    if (index > MaxAttributes)
        return 0;
    return index;
}
