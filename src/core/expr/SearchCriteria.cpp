#include "core/expr/SearchCriteria.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/expr/Expression.h"
#include "core/expr/ExpressionNetwork.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"

namespace {

TValueSlot SlotOfDouble(double d)
{
    TValueSlot s;
    std::memcpy(s.Bytes, &d, 8);
    return s;
}

double DoubleOfSlot(const TValueSlot& s)
{
    double d;
    std::memcpy(&d, s.Bytes, 8);
    return d;
}

bool IsDateKind(char k) { return k == 'D' || k == 'T' || k == 'X'; }

int CodePositions(const TAttrib& a) { return std::clamp(a.TopRow, 0, 8); }

std::string_view RowCodes(const TAttrib& a, int position)
{
    if (!a.WorkSheet || position < 1 || position > CodePositions(a)) return {};
    return a.WorkSheet->Rows[size_t(position)].Codes;
}

std::string TrimRight(std::string_view s)
{
    size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return std::string(s.substr(0, n));
}

// Whether a bound holds nothing of its kind.
bool Empty(const TAttrib& def, const TAttribCriterion& c, bool top)
{
    const TValueSlot& v = top ? c.High : c.Low;
    switch (def.Kind) {
    case 'S':
        return (top ? c.HighText : c.LowText).empty();
    case 'C':
        return TrimRight(UnpackShortText(v)).empty();
    case 'D':
    case 'T':
    case 'X': {
        if (v == TValueSlot{}) return true;
        const TDateTimeParts p = UnpackDateTime(v);
        return p.Year == DateYearNotGiven && p.Month == DatePartNotGiven && p.Day == DatePartNotGiven &&
               p.Hour == DatePartNotGiven && p.Minute == DatePartNotGiven && p.Second == DatePartNotGiven;
    }
    default:
        return DoubleOfSlot(v) == 0;
    }
}

} // namespace

TCriteriaCopy CopySearchCriteria(const TEntityClass& classes)
{
    TCriteriaCopy copy;
    for (int c = 0; c <= MaxClasses; ++c) {
        const TClassRecord& rec = classes[c];
        copy[size_t(c)].SearchClass = rec.SearchClass;
        for (int k = 1; k <= MaxAttributes; ++k)
            if (const TAttrib* a = rec.Attr(k)) {
                TAttribCriterion& out = copy[size_t(c)].Attributes[size_t(k)];
                out.Active = a->Active;
                out.Low = SlotOfDouble(a->Low);
                out.High = SlotOfDouble(a->High);
                out.LowText = a->LowText;
                out.HighText = a->HighText;
            }
    }
    return copy;
}

void CommitSearchCriteria(const TCriteriaCopy& copy, TEntityClass& classes)
{
    for (int c = 0; c <= MaxClasses; ++c) {
        TClassRecord& rec = classes[c];
        rec.SearchClass = copy[size_t(c)].SearchClass;
        for (int k = 1; k <= MaxAttributes; ++k)
            if (TAttrib* a = rec.Attr(k)) {
                const TAttribCriterion& in = copy[size_t(c)].Attributes[size_t(k)];
                a->Active = in.Active;
                a->Low = DoubleOfSlot(in.Low);
                a->High = DoubleOfSlot(in.High);
                a->LowText = in.LowText;
                a->HighText = in.HighText;
            }
    }
}

int SearchStateTextId(const TClassRecord& cls, uint8_t searchClass)
{
    if (searchClass == 0) return 150;
    return cls.AttributeCount > 0 ? 149 : 445;
}

// ---------------------------------------------------------------- bounds

std::string SearchBoundText(const TAttrib& def, const TAttribCriterion& c, bool top)
{
    if (!c.Active && Empty(def, c, top)) return {};
    const TValueSlot& v = top ? c.High : c.Low;
    switch (def.Kind) {
    case 'S':
        return top ? c.HighText : c.LowText;
    case 'C':
        return TrimRight(UnpackShortText(v).substr(0, size_t(std::max(CodePositions(def), 1))));
    case 'D':
    case 'T':
    case 'X':
        return DateTimeText(v, false, DateTimeModeOfKind(def.Kind));
    default:
        return RealText(false, 15, DoubleOfSlot(v));
    }
}

int ParseSearchBound(const TBoundContext& ctx, const TAttrib& def, std::string_view text, TAttribCriterion& c,
                     bool top)
{
    TValueSlot& bound = top ? c.High : c.Low;
    if (def.Kind == 'S') {
        std::string s(text);
        if (!top && s.size() > 50) s.resize(50); // the first search text is kept to 50 characters
        (top ? c.HighText : c.LowText) = s;
        return 0;
    }
    if (text.empty()) {
        bound = TValueSlot{};
        return 0;
    }
    if (def.Kind == 'C') {
        const int k = CodePositions(def);
        std::string codes;
        bool ok = true;
        for (int i = 1; i <= k; ++i) {
            if (size_t(i) > text.size()) {
                codes += '?'; // a position the text does not reach sets no limit
                continue;
            }
            const char ch = text[size_t(i - 1)];
            if (ch != '?' && (ch == ' ' || RowCodes(def, i).find(ch) == std::string_view::npos)) ok = false;
            codes += ch;
        }
        if (!ok) {
            bound = PackShortText("");
            return MsgBoundCategory;
        }
        bound = PackShortText(codes);
        return 0;
    }
    if (IsDateKind(def.Kind)) {
        int err = 0;
        const TValueSlot v = TypedDateTime(text, err, DateTimeModeOfKind(def.Kind), UnknownDateTime());
        if (err != 0) return MsgBoundDate;
        bound = v;
        return 0;
    }
    // R and I: an expression in system mode.
    if (!ctx.Net) {
        bound = SlotOfDouble(0);
        return MsgBoundReal;
    }
    ExpressionContext ec;
    for (int i = 0; i < ctx.VariableCount && i < ExprSlots; ++i) ec.Variables[size_t(i)] = ctx.Variables[i];
    std::mt19937_64 random = MakeRunRandom();
    TExprBinding binding(*ctx.Net, ctx.View, &random);
    ExprStrings strings{};
    std::string expr(text);
    int32_t errorPos = 0;
    const double v = EvaluateExpression(expr, errorPos, ec, strings, TExprElement{}, binding.Env);
    if (errorPos != 0 || !std::isfinite(v)) {
        bound = SlotOfDouble(0);
        return MsgBoundReal;
    }
    bound = SlotOfDouble(v);
    return 0;
}

// ---------------------------------------------------------------- attribute search

TAttributeSearchForm::TAttributeSearchForm(const TClassRecord& cls, const TClassCriteria& criteria)
    : Criteria(criteria), Class(cls)
{
    Count = std::clamp(cls.AttributeCount, 0, MaxAttributes);
    Rows.assign(size_t(Count) + 1, {});
    for (int k = 1; k <= Count; ++k)
        if (const TAttrib* a = cls.Attr(k)) {
            const TAttribCriterion& c = Criteria.Attributes[size_t(k)];
            Rows[size_t(k)].Bottom = SearchBoundText(*a, c, false);
            Rows[size_t(k)].Top = SearchBoundText(*a, c, true);
        }
}

const TAttrib* TAttributeSearchForm::Attribute(int row) const
{
    return (row >= 1 && row <= Count) ? Class.Attr(row) : nullptr;
}

void TAttributeSearchForm::Leave(int row)
{
    if (row < 1 || row > Count) return;
    const TSearchRow& r = Rows[size_t(row)];
    Criteria.Attributes[size_t(row)].Active = (!r.Bottom.empty() && !r.Top.empty()) ? 1 : 0;
}

void TAttributeSearchForm::Clear(int row)
{
    if (row < 1 || row > Count) return;
    Rows[size_t(row)] = {};
    Criteria.Attributes[size_t(row)] = {};
}

bool TAttributeSearchForm::CanSet(int row) const
{
    const TAttrib* a = Attribute(row);
    return a && (a->Kind == 'C' || a->Kind == 'I' || a->Kind == 'R');
}

bool TAttributeSearchForm::Ok(const TBoundContext& ctx, TClassCriteria& out, TMessageSink* sink,
                              std::vector<TFailure>& failures)
{
    failures.clear();
    for (int k = 1; k <= Count; ++k) {
        Rows[size_t(k)].Bottom = TrimRight(Rows[size_t(k)].Bottom);
        Rows[size_t(k)].Top = TrimRight(Rows[size_t(k)].Top);
    }
    TClassCriteria parsed = Criteria;
    for (bool top : {false, true})
        for (int k = 1; k <= Count; ++k) {
            const TAttrib* a = Attribute(k);
            if (!a) continue;
            const std::string& text = top ? Rows[size_t(k)].Top : Rows[size_t(k)].Bottom;
            if (const int id = ParseSearchBound(ctx, *a, text, parsed.Attributes[size_t(k)], top))
                failures.push_back({k, top, id});
        }
    // The bounds as the failures left them stay in the working copy, as the
    // dialog shows them; nothing goes on until every text is valid.
    Criteria = parsed;
    if (!failures.empty()) {
        if (sink) ShowMessageBox(*sink, failures.front().MessageId, 127, MB_EXCLAMATION_OK);
        return false;
    }
    out = Criteria;
    return true;
}

// ---------------------------------------------------------------- polygon search

TPolygonSearchFields PolygonSearchFields(const TPolygonCriterion& c)
{
    TPolygonSearchFields f;
    if (c.Owner) f.OwnerName = c.Owner->Name;
    f.Nodes = c.ApplyToNodes;
    f.Links = c.ApplyToLinks;
    f.Outside = c.Outside;
    f.BothEnds = c.BothEnds;
    return f;
}

bool ApplyPolygonSearch(const TNetwork& net, const TPolygonSearchFields& f, TPolygonCriterion& c, TMessageSink* sink)
{
    c.ApplyToNodes = f.Nodes ? 1 : 0;
    c.ApplyToLinks = f.Links ? 1 : 0;
    c.Outside = f.Outside ? 1 : 0;
    c.BothEnds = f.BothEnds ? 1 : 0;
    c.Owner = nullptr;
    if (TrimRight(f.OwnerName).empty()) return true;
    TNode* owner = FindNodeByName(net, PrepareNamePattern(f.OwnerName), nullptr);
    if (!owner) {
        if (sink) ShowMessageBox(*sink, 258, 257, MB_EXCLAMATION_OK);
        return false;
    }
    int vertices = 0;
    for (const TNetworkPoint* v : owner->OwnPolygon())
        if (v->Active) ++vertices;
    if (vertices < 3) {
        if (sink) ShowMessageBox(*sink, 259, 257, MB_EXCLAMATION_OK);
        return false;
    }
    c.Owner = owner;
    return true;
}
