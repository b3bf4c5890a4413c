#include "core/calc/AttributeValues.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/calc/CalcOperands.h"
#include "core/expr/ExpressionNetwork.h"
#include "core/file/TextFormat.h"
#include "core/model/Rounding.h"

// ---------------------------------------------------------------- the record

const TClassRecord* TElementEdit::Class(const TNetwork& net) const
{
    const TEntityClass* t = ClassTable(net, Kind);
    if (!t || ClassNo < 0 || ClassNo > MaxClasses) return nullptr;
    return &(*t)[ClassNo];
}

int TElementEdit::AttributeCount(const TNetwork& net) const
{
    const TClassRecord* c = Class(net);
    return c ? std::clamp(c->AttributeCount, 0, MaxAttributes) : 0;
}

namespace {

template <class E>
void LoadBlock(const E& e, TElementEdit& edit)
{
    CopyValuesIn(e.Values.get(), edit.Values, std::clamp(e.ByteCount / 8, 0, MaxAttributes));
    edit.Strings = e.Strings;
}

template <class E>
void StoreBlock(E& e, const TElementEdit& edit, int count, int strings)
{
    ResizeValues(e, count);
    if (count > 0) CopyValuesOut(e.Values.get(), edit.Values, count);
    e.Strings = edit.Strings;
    e.Strings.resize(size_t(strings));
}

} // namespace

TElementEdit NodeEdit(const TNetwork& net, TNode* node)
{
    TElementEdit e;
    e.Kind = TClassKind::Node;
    e.Node = node;
    if (!node) return e;
    e.ClassNo = node->EntityType <= MaxClasses ? node->EntityType : 0;
    LoadBlock(*node, e);
    return e;
}

TElementEdit LinkEdit(const TNetwork& net, TLink* halfEdge)
{
    TElementEdit e;
    e.Kind = TClassKind::Link;
    e.Link = halfEdge;
    if (!halfEdge || !halfEdge->LinkValues) return e;
    e.ClassNo = halfEdge->LinkValues->EntityType <= MaxClasses ? halfEdge->LinkValues->EntityType : 0;
    LoadBlock(*halfEdge->LinkValues, e);
    return e;
}

TElementEdit SystemEdit(const TNetwork& net)
{
    TElementEdit e;
    e.Kind = TClassKind::System;
    e.ClassNo = 1;
    for (int i = 1; i <= MaxAttributes; ++i) e.Values[size_t(i)] = net.SystemValues[size_t(i)];
    e.Strings = net.SystemStrings;
    return e;
}

void StoreEditValues(TNetwork& net, const TElementEdit& edit)
{
    const TClassRecord* cls = edit.Class(net);
    const int count = cls ? std::clamp(cls->AttributeCount, 0, MaxAttributes) : 0;
    const int strings = cls ? cls->StringCount : 0;
    switch (edit.Kind) {
    case TClassKind::Node:
        if (edit.Node) StoreBlock(*edit.Node, edit, edit.Node == &net.TemplateNode ? MaxAttributes : count, strings);
        break;
    case TClassKind::Link:
        if (edit.Link && edit.Link->LinkValues)
            StoreBlock(*edit.Link->LinkValues, edit,
                       edit.Link->LinkValues == &net.TemplateLinkValues ? MaxAttributes : count, strings);
        break;
    case TClassKind::System:
        for (int i = 1; i <= MaxAttributes; ++i) net.SystemValues[size_t(i)] = edit.Values[size_t(i)];
        net.SystemStrings = edit.Strings;
        net.SystemStrings.resize(size_t(strings));
        break;
    }
}

// ---------------------------------------------------------------- evaluation

double EvaluateForEdit(const TNetwork& net, const TViewRecord* view, const TElementEdit& edit, std::string text,
                       int32_t& errorPos, const double* parameters, int parameterCount, const double* variables,
                       int variableCount)
{
    auto random = MakeRunRandom();
    TExprBinding binding(net, view, &random);
    const TClassRecord* cls = edit.Class(net);
    ExpressionContext ctx;
    ctx.Kinds = ClassKinds(cls);
    const int n = cls ? std::clamp(cls->AttributeCount, 0, MaxAttributes) : 0;
    for (int k = 1; k <= n; ++k) ctx.Values[size_t(k)] = edit.Values[size_t(k)].Real();
    ExprStrings strings{};
    if (cls)
        for (int k = 1; k <= n; ++k)
            if (const TAttrib* a = cls->Attr(k); a && a->Kind == 'S' && a->StringIndex < edit.Strings.size())
                strings[size_t(k)] = edit.Strings[a->StringIndex];
    for (int i = 0; i < parameterCount && i < ExprSlots; ++i) ctx.Parameters[size_t(i)] = parameters[i];
    for (int i = 0; i < variableCount && i + 1 < ExprSlots; ++i) ctx.Variables[size_t(i + 1)] = variables[i];
    TExprElement element;
    if (edit.Kind == TClassKind::Node && edit.Node) {
        element.Node = edit.Node;
        ctx.Values[0] = edit.Node->Layer;
        if (edit.HasNote) {
            binding.Properties.NoteNode = edit.Node;
            binding.Properties.NoteText = edit.Note;
        }
    } else if (edit.Kind == TClassKind::Link && edit.Link && edit.Link->LinkValues) {
        element.Link = edit.Link;
        if (edit.HasNote) {
            binding.Properties.NoteLink = edit.Link->LinkValues;
            binding.Properties.NoteText = edit.Note;
        }
    }
    return EvaluateExpression(text, errorPos, ctx, strings, element, binding.Env);
}

std::string ExpressionErrorText(std::string_view text, int32_t errorPos)
{
    std::string s(text);
    const size_t at = size_t(std::clamp<int32_t>(errorPos - 1, 0, int32_t(s.size())));
    s.insert(at, " \xBB\xBB");
    return s;
}

// ---------------------------------------------------------------- texts

std::string AttributeValueText(const TAttrib* a, const TValueSlot& slot, const TStringList& strings)
{
    const char kind = a ? a->Kind : 'R';
    switch (kind) {
    case 'C': return CategoryCodesForEdit(slot, *a);
    case 'D':
    case 'T':
    case 'X': return DateTimeText(slot, false, DateTimeModeOfKind(kind));
    case 'S': return a->StringIndex < strings.size() ? strings[a->StringIndex] : std::string();
    default: return RealText(false, 15, slot.Real());
    }
}

namespace {
// The codes text allowed at position p (1-based) of a categorical attribute;
// empty when it has no worksheet.
std::string_view PositionCodes(const TAttrib& a, int p)
{
    if (!a.WorkSheet || p < 1 || p > MaxWorkSheetRow) return {};
    return a.WorkSheet->Rows[size_t(p)].Codes;
}
} // namespace

int ParseAttributeValue(const TNetwork& net, const TViewRecord* view, const TElementEdit& edit, int index,
                        std::string_view text, TValueSlot& slot, std::string& stringValue)
{
    const TClassRecord* cls = edit.Class(net);
    const TAttrib* a = cls ? cls->Attr(index) : nullptr;
    const char kind = a ? a->Kind : 'R';
    switch (kind) {
    case 'C': {
        const int k = CategoryCodePositions(*a);
        std::string codes(8, ' ');
        for (int p = 1; p <= k && p <= int(text.size()); ++p) {
            const char c = text[size_t(p - 1)];
            if (c == ' ') continue; // a position not given
            if (PositionCodes(*a, p).find(c) == std::string_view::npos) return MsgCategoryError;
            codes[size_t(p - 1)] = c;
        }
        slot = PackShortText(codes);
        return 0;
    }
    case 'D':
    case 'T':
    case 'X': {
        int err = 0;
        TValueSlot v = TypedDateTime(text, err, DateTimeModeOfKind(kind), UnknownDateTime());
        if (err) return MsgDateAttributeError;
        slot = v;
        return 0;
    }
    case 'S':
        stringValue = FieldText(text, 255);
        slot = TValueSlot{};
        return 0;
    default: {
        int32_t pos = 0;
        double v = EvaluateForEdit(net, view, edit, std::string(text), pos);
        if (pos != 0 || !std::isfinite(v)) return MsgRealAttributeError;
        if (kind == 'I') v = pround(v);
        slot.SetReal(v);
        return 0;
    }
    }
}

std::vector<TSheetError> ParseAttributeSheet(const TNetwork& net, const TViewRecord* view, TElementEdit& edit,
                                             const std::vector<std::string>& texts)
{
    std::vector<TSheetError> errors;
    const TClassRecord* cls = edit.Class(net);
    const int n = std::min(edit.AttributeCount(net), int(texts.size()) - 1);
    TValueArray values = edit.Values;
    TStringList strings = edit.Strings;
    if (cls) strings.resize(std::max<size_t>(strings.size(), cls->StringCount));
    for (int i = 1; i <= n; ++i) {
        TValueSlot slot = values[size_t(i)];
        std::string s;
        if (int id = ParseAttributeValue(net, view, edit, i, texts[size_t(i)], slot, s)) {
            errors.push_back({i, id});
            continue;
        }
        values[size_t(i)] = slot;
        const TAttrib* a = cls->Attr(i);
        if (a && a->Kind == 'S' && a->StringIndex < strings.size()) strings.Set(a->StringIndex, s);
    }
    if (errors.empty()) {
        edit.Values = values;
        edit.Strings = std::move(strings);
    }
    return errors;
}

std::vector<std::string> AttributeMemoLines(const TClassRecord* cls, const std::vector<std::string>& texts)
{
    std::vector<std::string> lines;
    const int n = cls ? std::min(std::clamp(cls->AttributeCount, 0, MaxAttributes), int(texts.size()) - 1) : 0;
    for (int i = 1; i <= n; ++i) {
        const TAttrib* a = cls->Attr(i);
        lines.push_back((a ? a->Name : std::string()) + "\t" + texts[size_t(i)]);
    }
    return lines;
}

// ---------------------------------------------------------------- tabs, hints

std::string AttributeTabCaption(int tab, int count)
{
    count = std::clamp(count, 0, MaxAttributes);
    const int first = (tab - 1) * 10 + 1;
    if (tab < 1 || tab > 10 || first > count) return {};
    const int last = std::min(count, tab * 10);
    const std::string a = PositionalAttributeName(first), b = PositionalAttributeName(last);
    if (a[0] == b[0]) return a + "-" + b;
    return a + "-" + a[0] + "z," + b[0] + "1-" + b;
}

std::string HintPiece(std::string_view hint, int k)
{
    size_t start = 0;
    for (int i = 0;; ++i) {
        const size_t end = hint.find("&&", start);
        if (i == k) return std::string(hint.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return {};
        start = end + 2;
    }
}

std::string JoinHints(const std::vector<std::string>& pieces)
{
    std::string s;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i) s += "&&";
        s += pieces[i];
    }
    return s;
}

std::string CodeHint(const TAttrib& a, int position, char c)
{
    const int k = CategoryCodeIndex(a, position, c);
    if (k < 0) return {};
    return HintPiece(a.WorkSheet->Rows[size_t(position)].Hint, k);
}

std::string CodeHints(const TAttrib& a, std::string_view text)
{
    std::string s;
    const int k = std::min<int>(CategoryCodePositions(a), int(text.size()));
    for (int p = 1; p <= k; ++p) {
        std::string h = CodeHint(a, p, text[size_t(p - 1)]);
        if (h.empty()) continue;
        if (!s.empty()) s += ", ";
        s += h;
    }
    return s;
}

std::vector<std::string> CategoryEntries(const TAttrib& a, int position)
{
    std::vector<std::string> out;
    const std::string_view codes = PositionCodes(a, position);
    for (size_t i = 0; i < codes.size(); ++i)
        out.push_back(std::string(1, codes[i]) + " = " +
                      HintPiece(a.WorkSheet->Rows[size_t(position)].Hint, int(i)));
    return out;
}

int CategoryCodeIndex(const TAttrib& a, int position, char c)
{
    const size_t k = PositionCodes(a, position).find(c);
    return k == std::string_view::npos ? -1 : int(k);
}

// ---------------------------------------------------------------- forms

bool FunctionalForm(int form, const double* b, const double* x, int n, double& y)
{
    constexpr double Limit = 80;
    double r = 0;
    switch (form) {
    case 1: // Linear
        r = b[0];
        for (int i = 1; i <= n; ++i) r += b[i] * x[i];
        break;
    case 2: { // Multiplic
        double s = b[0] > 0 ? std::log(b[0]) : 0;
        for (int i = 1; i <= n; ++i) {
            if (!(x[i] > 0)) return false;
            s += b[i] * std::log(x[i]);
        }
        if (!(std::fabs(s) < Limit)) return false;
        r = std::exp(s);
        break;
    }
    case 3: { // C+Multiplic
        if (n < 1) return false;
        double s = 0;
        for (int i = 2; i <= n; ++i) {
            if (!(x[i] > 0)) return false;
            s += b[i] * std::log(x[i]);
        }
        if (!(std::fabs(s) < Limit)) return false;
        r = b[0] * x[1] * std::exp(s) + b[1] * x[1];
        break;
    }
    case 4: { // Harmonic
        double sum = 0;
        for (int i = 1; i <= n; ++i) {
            if (x[i] > 0) {
                const double e = b[i] * std::log(x[i]);
                if (!(std::fabs(e) < Limit)) return false;
                sum += std::exp(e);
            } else {
                sum += 1;
            }
        }
        if (!(sum > 0)) return false;
        const double e = b[0] * std::log(sum);
        if (!(e < Limit)) return false; // would overflow: a failure, not 0
        r = e <= -Limit ? 0 : std::exp(e);
        break;
    }
    case 5: { // Logit
        if (n < 1) return false;
        double s = b[0];
        for (int i = 2; i <= n; ++i) s += b[i] * x[i];
        if (s <= -Limit)
            r = b[1] * x[1];
        else if (!(s < Limit))
            return false;
        else
            r = b[1] * x[1] / (std::exp(s) + 1);
        break;
    }
    case 6: { // Reciprocal
        double s = 0;
        for (int i = 1; i <= n; ++i) {
            if (b[i] == 0) return false;
            s += x[i] / b[i];
        }
        if (s == 0) return false;
        r = b[0] / s;
        break;
    }
    case 7: // Constant
        return true;
    default:
        return false;
    }
    if (!std::isfinite(r)) return false;
    y = r;
    return true;
}

bool WorksheetResult(const TNetwork& net, const TViewRecord* view, const TElementEdit& edit, const TAttrib& a,
                     const std::vector<double>& x, double& y)
{
    const int n = a.WorkSheet ? std::clamp(a.TopRow, 0, MaxWorkSheetRow) : 0;
    double b[MaxWorkSheetRow + 1] = {};
    double xs[MaxWorkSheetRow + 1] = {};
    for (int i = 0; i <= n; ++i) b[i] = a.WorkSheet->Rows[size_t(i)].Low;
    for (int i = 1; i <= n && i <= int(x.size()); ++i) xs[i] = x[size_t(i - 1)];
    if (a.Form != 0) return FunctionalForm(a.Form, b, xs, n, y);
    int32_t pos = 0;
    const double v = EvaluateForEdit(net, view, edit, a.Description, pos, b, n + 1, xs + 1, n);
    if (pos != 0 || !std::isfinite(v)) return false;
    y = v;
    return true;
}

double BuiltinCodeValue(const TNetwork& net, double unitsFactor, const TElementEdit& edit, char code)
{
    int kind = CalcKindSystem;
    if (edit.Kind == TClassKind::Node) {
        if (!edit.Node) return 0;
        kind = CalcKindNode;
    } else if (edit.Kind == TClassKind::Link) {
        if (!edit.Link || !edit.Link->LinkValues) return 0;
        kind = CalcKindLink;
    }
    const double v = ParameterCharValue(net, kind, edit.Node, edit.Link, code, unitsFactor);
    return std::isfinite(v) ? v : 0;
}

std::vector<double> WorksheetStartValues(const TNetwork& net, double unitsFactor, const TElementEdit& edit,
                                         const TAttrib& a)
{
    std::vector<double> x;
    const int n = a.WorkSheet ? std::clamp(a.TopRow, 0, MaxWorkSheetRow) : 0;
    for (int i = 1; i <= n; ++i) {
        const TWorkSheetRow& row = a.WorkSheet->Rows[size_t(i)];
        if (row.Label.size() == 3 && row.Label[0] == '<' && row.Label[2] == '>')
            x.push_back(BuiltinCodeValue(net, unitsFactor, edit, row.Label[1]));
        else
            x.push_back(row.High);
    }
    return x;
}

// ---------------------------------------------------------------- dates

bool ParseIntegerText(std::string_view text, int64_t& value)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty() || text.size() > 18) return false;
    size_t i = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size()) return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    value = negative ? -v : v;
    return true;
}

std::array<bool, 6> DateFieldsUsed(char kind)
{
    switch (kind) {
    case 'T': return {false, false, false, true, true, true};
    case 'X': return {true, true, true, false, false, false};
    default: return {true, true, true, true, true, true};
    }
}

TDateFields DateFieldTexts(const TValueSlot& stored)
{
    const TDateTimeParts p = UnpackDateTime(stored);
    return {std::to_string(p.Year + 1900), std::to_string(p.Month),  std::to_string(p.Day),
            std::to_string(p.Hour),        std::to_string(p.Minute), std::to_string(p.Second)};
}

bool CheckDateFields(char kind, const TDateFields& fields, const TValueSlot& stored, TValueSlot& value,
                     std::array<bool, 6>& bad)
{
    const std::array<bool, 6> used = DateFieldsUsed(kind);
    const TDateTimeParts old = UnpackDateTime(stored);
    int64_t v[6] = {old.Year + 1900, old.Month, old.Day, old.Hour, old.Minute, old.Second};
    bad.fill(false);
    for (int i = 0; i < 6; ++i) {
        if (!used[size_t(i)]) continue;
        int64_t n;
        if (ParseIntegerText(fields[size_t(i)], n))
            v[i] = n;
        else
            bad[size_t(i)] = true;
    }
    auto check = [&](int i, int64_t lo, int64_t hi) {
        if (used[size_t(i)] && !bad[size_t(i)] && (v[i] < lo || v[i] > hi)) bad[size_t(i)] = true;
    };
    check(0, 1900, 2155);
    check(1, 1, 12);
    check(3, 0, 23);
    check(4, 0, 59);
    check(5, 0, 59);
    if (used[2] && !bad[2]) {
        const int64_t m = v[1];
        const int64_t days = (m >= 1 && m <= 12) ? DaysInMonth(int(m), int(v[0] - 1900)) : 31;
        if (v[2] < 1 || v[2] > days) {
            bad[2] = true;
            if (m == 2 && used[0]) bad[0] = true;
        }
    }
    for (bool b : bad)
        if (b) return false;
    TDateTimeParts p = old;
    if (used[0]) p.Year = int(v[0] - 1900);
    if (used[1]) p.Month = int(v[1]);
    if (used[2]) p.Day = int(v[2]);
    if (used[3]) p.Hour = int(v[3]);
    if (used[4]) p.Minute = int(v[4]);
    if (used[5]) p.Second = int(v[5]);
    value = PackDateTime(p);
    return true;
}
