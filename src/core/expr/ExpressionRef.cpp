// The reference evaluator: reads the prepared text in one left-to-right pass
// and computes as it reads, one register set per expression level.
#include "core/expr/Expression.h"
#include "core/file/TextFormat.h"
#include "core/model/EntityClasses.h"

#include <cmath>
#include <cstring>

using namespace exprops;

namespace {

constexpr char EndMark = 0;

struct Register {
    double Value = 0;
    bool IsText = false;
    bool IsDate = false;
    std::string Text;
};

Register Number(double v)
{
    Register r;
    r.Value = v;
    return r;
}

class Reader {
public:
    Reader(const std::string& text, const ExpressionContext& ctx, const ExprStrings& strings,
           const TExprElement& element, const TExprEnvironment& env)
        : S(text), Ctx(ctx), Strings(strings), Element(element), Env(env), Mode(element.Mode())
    {
    }

    const std::string& S;
    const ExpressionContext& Ctx;
    const ExprStrings& Strings;
    const TExprElement& Element;
    const TExprEnvironment& Env;
    ExprMode Mode;

    int Pos = 0;          // 1-based position of the current token
    char Tok = EndMark;   // the current token
    int Recorded = 0;     // last recorded error position
    int Fault = 0;        // last fault position

    int Len() const { return static_cast<int>(S.size()); }

    void Next()
    {
        ++Pos;
        while (Pos <= Len() && S[Pos - 1] == ' ') ++Pos;
        Tok = Pos <= Len() ? S[Pos - 1] : EndMark;
    }
    // The token after the current one, without moving.
    char PeekToken() const
    {
        int p = Pos + 1;
        while (p <= Len() && S[p - 1] == ' ') ++p;
        return p <= Len() ? S[p - 1] : EndMark;
    }
    char RawNext() const { return Pos < Len() ? S[Pos] : EndMark; }
    // Moves to the 1-based position p, then to the next token after it.
    void SkipTo(int p)
    {
        Pos = p;
        Next();
    }

    void RecordFault() { Fault = Pos; }

    Register Expression();
    Register Term(bool& stopped);
    Register Power(bool& stopped);
    Register Negated();
    Register Operand();
    Register NumberOperand();
    Register AttributeOperand(char letter);
    Register SystemOperand();
    Register PropertyOperand(char letter);
    Register FunctionOperand();
    void Combine(char op, Register& left, const Register& right, bool& stopped);
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

Register Reader::Expression()
{
    bool stopped = false;
    Register left = Term(stopped);
    while (!stopped) {
        char op;
        if (Tok == '+' || Tok == '-' || Tok == '#' || Tok == '=') {
            op = Tok;
            Next();
        } else if (Tok == '<') {
            Next();
            if (Tok == '=') {
                op = 'L';
                Next();
            } else if (Tok == '>') {
                op = 'N';
                Next();
            } else {
                op = '<';
            }
        } else if (Tok == '>') {
            Next();
            if (Tok == '=') {
                op = 'G';
                Next();
            } else {
                op = '>';
            }
        } else {
            break;
        }
        Register right = Term(stopped);
        if (stopped) break;
        Combine(op, left, right, stopped);
    }
    if (stopped) return Number(0);
    return left;
}

Register Reader::Term(bool& stopped)
{
    Register left = Power(stopped);
    while (!stopped && (Tok == '*' || Tok == '/' || Tok == '%' || Tok == '&' || Tok == '|' ||
                        Tok == 'D' || Tok == 'M')) {
        char op = Tok;
        Next();
        Register right = Power(stopped);
        if (stopped) break;
        Combine(op, left, right, stopped);
    }
    return left;
}

Register Reader::Power(bool& stopped)
{
    Register left = Negated();
    while (!stopped && Tok == '^') {
        Next();
        Register right = Negated();
        Combine('^', left, right, stopped);
    }
    return left;
}

Register Reader::Negated()
{
    if (Tok == '-') {
        Next();
        Register r = Operand();
        r.Value = -r.Value;
        return r;
    }
    return Operand();
}

void Reader::Combine(char op, Register& left, const Register& right, bool& stopped)
{
    if (left.IsText != right.IsText || left.IsDate != right.IsDate) {
        Recorded = Pos;
        stopped = true;
        return;
    }
    double v = 0;
    if (left.IsText) {
        if (!TextOp(op, left.Text, right.Text, v)) RecordFault();
    } else if (left.IsDate) {
        if (!DateOp(op, left.Value, right.Value, v)) RecordFault();
    } else if (op == '^') {
        int r = PowerOp(left.Value, right.Value, v);
        if (r == 1) RecordFault();
        if (r == 2) Recorded = Pos;
    } else {
        if (!NumberOp(op, left.Value, right.Value, v)) RecordFault();
    }
    left = Number(v);
}

Register Reader::NumberOperand()
{
    int start = Pos;
    while (IsDigit(Tok)) Next();
    if (Tok == '.') {
        Next();
        while (IsDigit(Tok)) Next();
    }
    if (Tok == 'E') {
        Next();
        if (Tok != EndMark) Next();
        while (IsDigit(Tok)) Next();
    }
    int end = Pos - 1; // last character scanned
    while (end >= start && S[end - 1] == ' ') --end;
    std::string_view text(S.data() + start - 1, end - start + 1);
    double v;
    if (!ConvertNumber(text, v)) {
        RecordFault();
        return Number(0);
    }
    return Number(v);
}

Register Reader::AttributeOperand(char letter)
{
    Next(); // the letter
    int sym = SymbolValue(Tok);
    int symPos = Pos;
    Next(); // the symbol
    int slot = -1;
    const double* array = nullptr;
    switch (letter) {
    case 'A':
        slot = sym;
        array = Ctx.Values.data();
        break;
    case 'B':
        if (sym >= 1) slot = 35 + sym;
        break;
    case 'C':
        if (sym >= 1 && sym <= 30) slot = 70 + sym;
        break;
    case 'P':
        slot = sym;
        array = Ctx.Parameters.data();
        break;
    case 'V':
        slot = sym;
        array = Ctx.Variables.data();
        break;
    }
    if (slot < 0) {
        Fault = symPos;
        return Number(0);
    }
    if (Tok == '_') {
        if (!array) {
            RecordFault();
            return Number(0);
        }
        Next(); // '_'
        Next(); // the letter of the range end
        int last = SymbolValue(Tok);
        if (last < 0) {
            RecordFault();
            return Number(0);
        }
        Next();
        double sum = 0;
        for (int i = slot; i <= last; ++i) sum += array[i];
        if (!std::isfinite(sum)) {
            RecordFault();
            return Number(0);
        }
        return Number(sum);
    }
    if (letter == 'P') return Number(Ctx.Parameters[slot]);
    if (letter == 'V') return Number(Ctx.Variables[slot]);
    int32_t kind = Ctx.Kinds[slot];
    Register r;
    r.Value = Ctx.Values[slot];
    if (kind >= 1 && kind <= 15) {
        char codes[8];
        int n = SlotCodes(r.Value, kind, codes);
        r.IsText = true;
        r.Text.assign(codes, n);
        r.Value = 0;
    } else if (kind >= 16 && kind <= 18) {
        r.IsDate = true;
    } else if (kind == 19) {
        r.IsText = true;
        std::string_view t = Strings[slot];
        r.Text.assign(t.substr(0, ExprMaxText));
        r.Value = 0;
    }
    return r;
}

Register Reader::SystemOperand()
{
    Next(); // 'S'
    int sym = SymbolValue(Tok);
    if (sym < 0) {
        RecordFault();
        return Number(0);
    }
    int symPos = Pos;
    Next();
    if (sym == 0) {
        Fault = symPos;
        return Number(0);
    }
    Register r;
    r.Value = Env.SystemValues ? Env.SystemValues[sym].Real() : 0;
    const TAttrib* a = nullptr;
    if (Env.SystemClass) {
        const TClassRecord& rec = (*Env.SystemClass)[1];
        if (sym <= rec.AttributeCount) a = rec.Attr(sym);
    }
    if (!a) return r;
    switch (a->Kind) {
    case 'C': {
        char codes[8];
        int n = SlotCodes(r.Value, a->TopRow, codes);
        r.IsText = true;
        r.Text.assign(codes, n);
        r.Value = 0;
        break;
    }
    case 'S':
        r.IsText = true;
        if (Env.SystemStrings && a->StringIndex < Env.SystemStrings->size())
            r.Text.assign((*Env.SystemStrings)[a->StringIndex].substr(0, ExprMaxText));
        r.Value = 0;
        break;
    case 'D':
    case 'T':
    case 'X': r.IsDate = true; break;
    default: break;
    }
    return r;
}

Register Reader::PropertyOperand(char letter)
{
    Next(); // 'N' or 'L'
    char code = Tok;
    if (code == EndMark) return Number(0);
    Next();
    bool mine = (letter == 'N' && Mode == ExprMode::Node) || (letter == 'L' && Mode == ExprMode::Link);
    if (!mine || !Env.Properties) return Number(0);
    TPropertyValue pv;
    bool ok = letter == 'N' ? Env.Properties->NodeProperty(*Element.Node, code, pv)
                            : Env.Properties->LinkProperty(*Element.Link, code, pv);
    Register r;
    if (code == '(' || code == ')' || code == 'B') {
        // Note lines and names are texts, empty when the element has none.
        r.IsText = true;
        if (ok) r.Text.assign(pv.Text.substr(0, ExprMaxText));
    } else if (ok) {
        r.Value = pv.Value;
    }
    return r;
}

Register Reader::FunctionOperand()
{
    int f = MatchFunction(S, Pos - 1);
    if (f < 0) {
        RecordFault();
        return Number(0);
    }
    SkipTo(Pos + static_cast<int>(std::strlen(FunctionNames[f])) - 1);
    Register arg = Operand();
    if (f == FnLoc || f == FnLeft || f == FnRight) return arg;
    double v;
    if (!ApplyFunction(f, arg.Value, Env, v)) {
        RecordFault();
        return Number(0);
    }
    return Number(v);
}

Register Reader::Operand()
{
    char c = Tok;
    if (IsDigit(c) || c == '.') return NumberOperand();
    if (c == '\'') {
        size_t close = S.find('\'', Pos);
        if (close == std::string::npos) {
            SkipTo(Len());
            RecordFault();
            return Number(0);
        }
        Register r;
        r.IsText = true;
        r.Text = S.substr(Pos, close - Pos).substr(0, ExprMaxText);
        SkipTo(static_cast<int>(close) + 1);
        return r;
    }
    if (c == '{') {
        size_t close = S.find('}', Pos);
        if (close == std::string::npos) {
            SkipTo(Len());
            RecordFault();
            return Number(0);
        }
        std::string_view lit(S.data() + Pos, close - Pos);
        SkipTo(static_cast<int>(close) + 1);
        if (lit.size() > 30) {
            RecordFault();
            return Number(0);
        }
        // A literal that is no date stays a date operand (the empty date),
        // so that the fault, not a comparison with it, names the place.
        Register r;
        r.IsDate = true;
        if (!ParseDateLiteral(lit, r.Value)) {
            RecordFault();
            r.Value = 0;
        }
        return r;
    }
    if (c == '(') {
        Next();
        Register inner = Expression();
        if (Tok == ')')
            Next();
        else
            RecordFault();
        return Number(inner.IsText || inner.IsDate ? 0 : inner.Value);
    }
    // S is a system attribute unless a function's name starts here.
    if (c == 'S') return MatchFunction(S, Pos - 1) >= 0 ? FunctionOperand() : SystemOperand();
    if (c == 'N' || c == 'L') {
        char n = RawNext();
        bool function = n == 'A' || n == 'N' || n == 'O' ||
                        (c == 'L' && std::string_view(S).substr(Pos - 1).starts_with("LEFT"));
        if (!function) return PropertyOperand(c);
        return FunctionOperand();
    }
    if ((c == 'A' || c == 'B' || c == 'C' || c == 'P' || c == 'V') && SymbolValue(PeekToken()) >= 0)
        return AttributeOperand(c);
    return FunctionOperand();
}

} // namespace

double EvaluateExpression(std::string& expr, int32_t& errorPos, const ExpressionContext& ctx,
                          const ExprStrings& strings, const TExprElement& element,
                          const TExprEnvironment& env)
{
    TPreparedText prep = PrepareExpressionText(expr, element, env);
    expr = prep.Rewritten;
    errorPos = 0;
    if (prep.TooLong) {
        errorPos = ExprMaxText + 1;
        return 0;
    }
    Reader r(prep.Body, ctx, strings, element, env);
    r.Next();
    if (r.Tok == EndMark) return 0;
    Register result = r.Expression();
    int leftover = r.Tok != EndMark ? r.Pos : 0;
    if (r.Recorded)
        errorPos = r.Recorded - 1 + prep.Offset;
    else if (leftover)
        errorPos = leftover + prep.Offset;
    else if (r.Fault)
        errorPos = r.Fault + prep.Offset;
    return result.Value;
}
