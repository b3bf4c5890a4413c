#include "core/calc/CalcDialogModel.h"

#include <algorithm>

#include "core/file/LegacyText.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"

std::string ProgramFieldText(std::string_view typed, size_t width)
{
    std::string s;
    s.reserve(std::min(typed.size(), width));
    for (char c : typed) {
        if (c == '\r' || c == '\n') continue;
        if (s.size() >= width) break;
        s += c;
    }
    return s;
}

// ---------------------------------------------------------------- editor

TCalcDialogFields ProgramFields(const TCalcProgram& p, int nodeClasses, int linkClasses)
{
    TCalcDialogFields f;
    f.NodeRows = std::clamp(nodeClasses, 0, CalcLineCount);
    f.LinkRows = std::clamp(linkClasses, 0, CalcLineCount);
    for (int i = 1; i <= CalcLineCount; ++i) f.Lines[size_t(i)] = p.CalcLines[size_t(i)];
    for (int kind = CalcKindNode; kind <= CalcKindSystem; ++kind)
        for (int i = 1; i <= CalcLineCount; ++i) {
            TCalcLineRow& r = f.Rows[size_t(kind)][size_t(i)];
            r.Begin = p.CalcRanges[size_t(kind)].Begin[size_t(i)];
            r.End = p.CalcRanges[size_t(kind)].End[size_t(i)];
            r.Parameters = p.CalcParameters[size_t(kind)][size_t(i)];
        }
    return f;
}

void StoreProgramFields(const TCalcDialogFields& f, TCalcProgram& p)
{
    for (int i = 1; i <= CalcLineCount; ++i) p.CalcLines[size_t(i)] = ProgramFieldText(f.Lines[size_t(i)], CalcLineLength);
    auto lineNumber = [](int32_t v) { return (v >= 0 && v <= CalcLineCount) ? v : 0; };
    const int shown[3] = {f.NodeRows, f.LinkRows, CalcStageCount};
    for (int kind = CalcKindNode; kind <= CalcKindSystem; ++kind)
        for (int i = 1; i <= std::clamp(shown[kind], 0, CalcLineCount); ++i) {
            const TCalcLineRow& r = f.Rows[size_t(kind)][size_t(i)];
            p.CalcRanges[size_t(kind)].Begin[size_t(i)] = lineNumber(r.Begin);
            p.CalcRanges[size_t(kind)].End[size_t(i)] = lineNumber(r.End);
            p.CalcParameters[size_t(kind)][size_t(i)] = ProgramFieldText(r.Parameters, CalcParameterLength);
        }
}

int MoveRelationLine(std::array<std::string, CalcLineCount + 1>& lines, int line, bool up)
{
    if (line < 1 || line > CalcLineCount) return line;
    const int other = up ? line - 1 : line + 1;
    if (other < 1 || other > CalcLineCount) return line;
    std::swap(lines[size_t(line)], lines[size_t(other)]);
    return other;
}

std::string CalcOperandName(int n)
{
    if (n < 1 || n > MaxAttributes) return {};
    const int letter = (n - 1) / 35;
    const int k = (n - 1) % 35 + 1;
    std::string s(1, char('a' + letter));
    s += k <= 9 ? char('0' + k) : char('a' + k - 10);
    return s;
}

bool InsertAtCaret(std::string& text, int& caret, std::string_view insert, size_t width)
{
    if (text.size() + insert.size() > width) return false;
    const size_t at = size_t(std::clamp(caret, 0, int(text.size())));
    text.insert(at, insert);
    caret = int(at + insert.size());
    return true;
}

bool RelationLineFromMemo(std::string_view memo, std::string& line)
{
    std::string s = ProgramFieldText(memo, memo.size());
    if (s.size() > size_t(CalcLineLength)) return false;
    line = std::move(s);
    return true;
}

// ---------------------------------------------------------------- variables

std::string VariableValueText(double value) { return RealText(false, 15, value); }

bool StoreVariables(const std::array<std::string, CalcVariableCount + 1>& values,
                    const std::array<std::string, CalcVariableCount + 1>& names, TCalcProgram& p,
                    std::vector<int>& bad)
{
    bad.clear();
    std::array<double, CalcVariableCount + 1> read{};
    for (int i = 1; i <= CalcVariableCount; ++i)
        if (!ParseReal(values[size_t(i)], read[size_t(i)])) bad.push_back(i);
    if (!bad.empty()) return false;
    for (int i = 1; i <= CalcVariableCount; ++i) {
        p.Variables[size_t(i)] = read[size_t(i)];
        p.VariableNames[size_t(i)] = ProgramFieldText(names[size_t(i)], CalcDescriptionLength);
    }
    return true;
}

std::vector<std::string> VariableMemoLines(const std::array<std::string, CalcVariableCount + 1>& values,
                                           const std::array<std::string, CalcVariableCount + 1>& names)
{
    std::vector<std::string> lines;
    for (int i = 1; i <= CalcVariableCount; ++i)
        if (!names[size_t(i)].empty()) lines.push_back(names[size_t(i)] + '\t' + values[size_t(i)]);
    return lines;
}

// ---------------------------------------------------------------- lists

std::string ParameterItem(int index)
{
    if (index <= 0 || index >= ParameterItemCount) return "---";
    return std::string(1, 'P') + (index <= 9 ? char('0' + index) : char('a' + index - 10));
}

std::vector<std::string> ClassItems(const TNetwork& net, int kind)
{
    if (kind == CalcKindSystem) return {"System"};
    const TEntityClass& classes = kind == CalcKindLink ? *net.LinkClasses : *net.NodeClasses;
    std::vector<std::string> items;
    for (int c = 1; c <= CountEntityTypes(classes); ++c) items.push_back(classes[c].Name);
    return items;
}

const TClassRecord* ClassOf(const TNetwork& net, int kind, int classIndex)
{
    if (kind == CalcKindSystem) return classIndex == 1 ? &(*net.SystemClass)[1] : nullptr;
    const TEntityClass& classes = kind == CalcKindLink ? *net.LinkClasses : *net.NodeClasses;
    if (classIndex < 1 || classIndex > CountEntityTypes(classes)) return nullptr;
    return &classes[classIndex];
}

std::vector<std::string> AttributeItems(const TClassRecord* cls)
{
    std::vector<std::string> items{MessageText(72)};
    if (!cls) return items;
    const int n = std::clamp(cls->AttributeCount, 0, MaxAttributes);
    for (int k = 1; k <= n; ++k) items.push_back(cls->Attr(k) ? cls->Attr(k)->Name : std::string());
    return items;
}

std::vector<std::string> CodePositionItems(const TAttrib* a)
{
    std::vector<std::string> items{MessageText(72)};
    if (!a || a->Kind != 'C' || !a->WorkSheet) return items;
    for (int r = 1; r <= std::clamp(a->TopRow, 0, 8); ++r) items.push_back(a->WorkSheet->Rows[size_t(r)].Label);
    return items;
}

std::string LookupRowCodes(const TAttrib* a, int position)
{
    std::string s = " ";
    if (a && a->Kind == 'C' && a->WorkSheet && position >= 1 && position <= std::min(a->TopRow, 8))
        for (char c : a->WorkSheet->Rows[size_t(position)].Codes)
            if (c != ' ' && c != '?' && s.find(c) == std::string::npos) s += c;
    return s + '?';
}

// ---------------------------------------------------------------- lookup tables

TLookupFields LookupFields(const TLookupTable& t)
{
    TLookupFields f;
    f.Description = t.Description;
    f.Parameter = (t.Parameter >= 0 && t.Parameter < ParameterItemCount) ? t.Parameter : 0;
    f.ClassKind = std::clamp(t.ClassKind, 0, 2);
    f.ClassIndex = std::max(t.ClassIndex, 0);
    f.Attribute = std::max(t.Attribute, 0);
    f.CodePosition = std::max(t.CodePosition, 0);
    f.ApplyOtherwise = t.ApplyOtherwise == 1 ? 1 : 0;
    f.Otherwise = VariableValueText(t.Otherwise);
    for (int r = 1; r <= CalcLookupRowCount; ++r) {
        f.Values[size_t(r)] = VariableValueText(t.Values[size_t(r)]);
        f.Bottom[size_t(r)] = t.Bottom[size_t(r)];
        f.Top[size_t(r)] = t.Top[size_t(r)];
    }
    return f;
}

bool StoreLookupFields(const TLookupFields& f, TLookupTable& t, std::vector<int>& bad)
{
    bad.clear();
    double otherwise = 0;
    if (!ParseReal(f.Otherwise, otherwise)) bad.push_back(0);
    std::array<double, CalcLookupRowCount + 1> values{};
    const bool rows = f.CodePosition > 0;
    if (rows)
        for (int r = 1; r <= CalcLookupRowCount; ++r)
            if (!ParseReal(f.Values[size_t(r)], values[size_t(r)])) bad.push_back(r);
    if (!bad.empty()) return false;
    t.Description = ProgramFieldText(f.Description, CalcDescriptionLength);
    t.Parameter = (f.Parameter >= 0 && f.Parameter < ParameterItemCount) ? f.Parameter : 0;
    t.ClassKind = std::clamp(f.ClassKind, 0, 2);
    t.ClassIndex = f.ClassIndex;
    t.Attribute = f.Attribute;
    t.CodePosition = f.CodePosition;
    t.ApplyOtherwise = f.ApplyOtherwise == 1 ? 1 : 0;
    t.Otherwise = otherwise;
    for (int r = 1; r <= CalcLookupRowCount; ++r) {
        const size_t k = size_t(r);
        // A character that is no code (a line break, a control byte) stays out of the file.
        auto code = [](char c) { return (static_cast<unsigned char>(c) < ' ') ? ' ' : c; };
        t.Values[k] = rows ? values[k] : 0;
        t.Bottom[k] = rows ? code(f.Bottom[k]) : ' ';
        t.Top[k] = rows ? code(f.Top[k]) : ' ';
    }
    return true;
}
