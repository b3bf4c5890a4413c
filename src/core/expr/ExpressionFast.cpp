// The prepared evaluator: the text is read once, for one class and mode, into
// a postfix program over a small operand stack. Which operands are texts or
// dates depends only on the slot kinds and the system attribute types, so it
// is settled at preparation; an element whose kinds differ goes to the
// reference evaluator.
#include "core/expr/Expression.h"
#include "core/file/TextFormat.h"
#include "core/model/EntityClasses.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

using namespace exprops;

enum class XOp : uint8_t {
    PushNum,      // D
    PushDate,     // D (packed bytes)
    PushText,     // A = literal index
    Fault,        // B = position
    Record,       // B = position
    AttrNum,      // A = slot
    AttrCodes,    // A = slot, C = code count
    AttrDate,     // A = slot
    AttrString,   // A = slot
    Param,        // A = index
    Var,          // A = index
    RangeA,       // A = first, C = last, B = position
    RangeP,
    RangeV,
    SysNum,       // A = attribute
    SysCodes,     // A = attribute
    SysDate,      // A = attribute
    SysString,    // A = attribute
    PropNum,      // C = code
    PropText,     // C = code
    Neg,
    NumOp,        // C = operator, B = position
    Add,          // B = position (the common operators, inline)
    Sub,
    Mul,
    Div,
    TextOp,       // C = operator
    DateOp,       // C = operator
    BadOp,        // B = position: texts or dates with an operator they lack
    Pow,          // B = position
    Func,         // A = function code, B = position
    ToZero,       // a parenthesised text or date is the number 0 outside
    Truncate,     // A = stack base: the level stopped
    // The numbers-only loop: the four common operators with the source of
    // their right operand settled at preparation (S the stack, K a number,
    // A an attribute, P a parameter, V a variable), so that each instruction
    // is one dispatch.
    AddS, AddK, AddA, AddP, AddV,
    SubS, SubK, SubA, SubP, SubV,
    MulS, MulK, MulA, MulP, MulV,
    DivS, DivK, DivA, DivP, DivV,
    // An attribute pushed and at once combined with a number (K) or another
    // attribute (A, slot in Right): A = the left slot.
    LeafAddK, LeafAddA, LeafSubK, LeafSubA, LeafMulK, LeafMulA, LeafDivK, LeafDivA,
    LeafOpK, LeafOpA, // the other number operators (C)
};

struct TExprInstr {
    XOp Op;
    char C = 0;
    // For the binary number operators: where the right operand comes from
    // when it was a plain load folded into the operator (0: the stack).
    uint8_t Src = 0;
    int16_t A = 0;
    int16_t Right = 0; // the right slot of the Leaf forms
    int32_t B = 0;
    double D = 0;
};

namespace {

constexpr char EndMark = 0;
enum class T : uint8_t { Num, Text, Date };

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class Compiler {
public:
    Compiler(const std::string& s, ExprMode mode, const std::array<int32_t, ExprSlots>& kinds,
             const TExprEnvironment& env, std::vector<TExprInstr>& code, std::vector<std::string>& texts,
             std::vector<std::pair<int, int32_t>>& kindGuards, std::vector<std::pair<int, char>>& sysGuards)
        : S(s), Mode(mode), Kinds(kinds), Env(env), Code(code), Texts(texts), KindGuards(kindGuards),
          SysGuards(sysGuards)
    {
    }

    const std::string& S;
    ExprMode Mode;
    const std::array<int32_t, ExprSlots>& Kinds;
    const TExprEnvironment& Env;
    std::vector<TExprInstr>& Code;
    std::vector<std::string>& Texts;
    std::vector<std::pair<int, int32_t>>& KindGuards;
    std::vector<std::pair<int, char>>& SysGuards;

    int Pos = 0;
    char Tok = EndMark;
    int Depth = 0;
    int MaxDepth = 0;

    int Len() const { return static_cast<int>(S.size()); }
    void Next()
    {
        ++Pos;
        while (Pos <= Len() && S[Pos - 1] == ' ') ++Pos;
        Tok = Pos <= Len() ? S[Pos - 1] : EndMark;
    }
    char PeekToken() const
    {
        int p = Pos + 1;
        while (p <= Len() && S[p - 1] == ' ') ++p;
        return p <= Len() ? S[p - 1] : EndMark;
    }
    void SkipTo(int p)
    {
        Pos = p;
        Next();
    }

    void Emit(XOp op, char c = 0, int a = 0, int32_t b = 0, double d = 0)
    {
        TExprInstr in;
        in.Op = op;
        in.C = c;
        in.A = static_cast<int16_t>(a);
        in.B = b;
        in.D = d;
        Code.push_back(in);
    }
    void Push()
    {
        if (++Depth > MaxDepth) MaxDepth = Depth;
    }
    T PushNumber(double v)
    {
        Emit(XOp::PushNum, 0, 0, 0, v);
        Push();
        return T::Num;
    }
    T FaultZero(int pos)
    {
        Emit(XOp::Fault, 0, 0, pos);
        return PushNumber(0);
    }

    T Expression();
    T Term(bool& stopped, int base);
    T Power(bool& stopped, int base);
    T Negated();
    T Operand();
    T NumberOperand();
    T AttributeOperand(char letter);
    T SystemOperand();
    T PropertyOperand(char letter);
    T FunctionOperand();
    T Combine(char op, T left, T right, bool& stopped);
};

T Compiler::Combine(char op, T left, T right, bool& stopped)
{
    if (left != right) {
        Emit(XOp::Record, 0, 0, Pos);
        stopped = true;
        return left;
    }
    --Depth;
    if (left == T::Text || left == T::Date) {
        double dummy;
        bool comparison = TextOp(op, "", "", dummy);
        if (comparison)
            Emit(left == T::Text ? XOp::TextOp : XOp::DateOp, op);
        else
            Emit(XOp::BadOp, 0, 0, Pos);
    } else if (op == '^') {
        Emit(XOp::Pow, 0, 0, Pos);
    } else {
        XOp x = op == '+' ? XOp::Add : op == '-' ? XOp::Sub : op == '*' ? XOp::Mul : op == '/' ? XOp::Div : XOp::NumOp;
        Emit(x, op, 0, Pos);
    }
    return T::Num;
}

T Compiler::Expression()
{
    bool stopped = false;
    int base = Depth;
    T left = Term(stopped, base);
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
        T right = Term(stopped, base);
        if (stopped) break;
        left = Combine(op, left, right, stopped);
    }
    if (stopped) {
        Emit(XOp::Truncate, 0, base);
        Depth = base;
        Push();
        return T::Num;
    }
    return left;
}

T Compiler::Term(bool& stopped, int base)
{
    T left = Power(stopped, base);
    while (!stopped && (Tok == '*' || Tok == '/' || Tok == '%' || Tok == '&' || Tok == '|' ||
                        Tok == 'D' || Tok == 'M')) {
        char op = Tok;
        Next();
        T right = Power(stopped, base);
        if (stopped) break;
        left = Combine(op, left, right, stopped);
    }
    return left;
}

T Compiler::Power(bool& stopped, int base)
{
    T left = Negated();
    while (!stopped && Tok == '^') {
        Next();
        T right = Negated();
        left = Combine('^', left, right, stopped);
    }
    return left;
}

T Compiler::Negated()
{
    if (Tok == '-') {
        Next();
        T t = Operand();
        Emit(XOp::Neg);
        return t;
    }
    return Operand();
}

T Compiler::NumberOperand()
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
    int end = Pos - 1;
    while (end >= start && S[end - 1] == ' ') --end;
    double v;
    if (!ConvertNumber(std::string_view(S.data() + start - 1, end - start + 1), v)) return FaultZero(Pos);
    return PushNumber(v);
}

T Compiler::AttributeOperand(char letter)
{
    Next();
    int sym = SymbolValue(Tok);
    int symPos = Pos;
    Next();
    int slot = -1;
    bool rangeable = false;
    switch (letter) {
    case 'A': slot = sym; rangeable = true; break;
    case 'B': if (sym >= 1) slot = 35 + sym; break;
    case 'C': if (sym >= 1 && sym <= 30) slot = 70 + sym; break;
    case 'P': slot = sym; rangeable = true; break;
    case 'V': slot = sym; rangeable = true; break;
    }
    if (slot < 0) return FaultZero(symPos);
    if (Tok == '_') {
        if (!rangeable) return FaultZero(Pos);
        Next();
        Next();
        int last = SymbolValue(Tok);
        if (last < 0) return FaultZero(Pos);
        Next();
        XOp op = letter == 'A' ? XOp::RangeA : (letter == 'P' ? XOp::RangeP : XOp::RangeV);
        Emit(op, static_cast<char>(last), slot, Pos);
        Push();
        return T::Num;
    }
    if (letter == 'P' || letter == 'V') {
        Emit(letter == 'P' ? XOp::Param : XOp::Var, 0, slot);
        Push();
        return T::Num;
    }
    int32_t kind = Kinds[slot];
    KindGuards.emplace_back(slot, kind);
    Push();
    if (kind >= 1 && kind <= 15) {
        Emit(XOp::AttrCodes, static_cast<char>(kind > 8 ? 8 : kind), slot);
        return T::Text;
    }
    if (kind >= 16 && kind <= 18) {
        Emit(XOp::AttrDate, 0, slot);
        return T::Date;
    }
    if (kind == 19) {
        Emit(XOp::AttrString, 0, slot);
        return T::Text;
    }
    Emit(XOp::AttrNum, 0, slot);
    return T::Num;
}

T Compiler::SystemOperand()
{
    Next();
    int sym = SymbolValue(Tok);
    if (sym < 0) return FaultZero(Pos);
    int symPos = Pos;
    Next();
    if (sym == 0) return FaultZero(symPos);
    const TAttrib* a = nullptr;
    if (Env.SystemClass) {
        const TClassRecord& rec = (*Env.SystemClass)[1];
        if (sym <= rec.AttributeCount) a = rec.Attr(sym);
    }
    char kind = a ? a->Kind : 0;
    SysGuards.emplace_back(sym, kind);
    Push();
    switch (kind) {
    case 'C': Emit(XOp::SysCodes, 0, sym); return T::Text;
    case 'S': Emit(XOp::SysString, 0, sym); return T::Text;
    case 'D':
    case 'T':
    case 'X': Emit(XOp::SysDate, 0, sym); return T::Date;
    default: Emit(XOp::SysNum, 0, sym); return T::Num;
    }
}

T Compiler::PropertyOperand(char letter)
{
    Next();
    char code = Tok;
    if (code == EndMark) return PushNumber(0);
    Next();
    bool mine = (letter == 'N' && Mode == ExprMode::Node) || (letter == 'L' && Mode == ExprMode::Link);
    if (!mine || !Env.Properties) return PushNumber(0);
    Push();
    if (code == '(' || code == ')' || code == 'B') {
        Emit(XOp::PropText, code);
        return T::Text;
    }
    Emit(XOp::PropNum, code);
    return T::Num;
}

T Compiler::FunctionOperand()
{
    int f = MatchFunction(S, Pos - 1);
    if (f < 0) return FaultZero(Pos);
    SkipTo(Pos + static_cast<int>(std::strlen(FunctionNames[f])) - 1);
    T arg = Operand();
    if (f == FnLoc || f == FnLeft || f == FnRight) return arg;
    Emit(XOp::Func, 0, f, Pos);
    return T::Num;
}

T Compiler::Operand()
{
    char c = Tok;
    if (IsDigit(c) || c == '.') return NumberOperand();
    if (c == '\'') {
        size_t close = S.find('\'', Pos);
        if (close == std::string::npos) {
            SkipTo(Len());
            return FaultZero(Pos);
        }
        Texts.push_back(S.substr(Pos, close - Pos).substr(0, ExprMaxText));
        Emit(XOp::PushText, 0, static_cast<int>(Texts.size()) - 1);
        Push();
        SkipTo(static_cast<int>(close) + 1);
        return T::Text;
    }
    if (c == '{') {
        size_t close = S.find('}', Pos);
        if (close == std::string::npos) {
            SkipTo(Len());
            return FaultZero(Pos);
        }
        std::string_view lit(S.data() + Pos, close - Pos);
        SkipTo(static_cast<int>(close) + 1);
        if (lit.size() > 30) return FaultZero(Pos);
        double date = 0;
        if (!ParseDateLiteral(lit, date)) {
            Emit(XOp::Fault, 0, 0, Pos);
            date = 0;
        }
        Emit(XOp::PushDate, 0, 0, 0, date);
        Push();
        return T::Date;
    }
    if (c == '(') {
        Next();
        T inner = Expression();
        if (Tok == ')')
            Next();
        else
            Emit(XOp::Fault, 0, 0, Pos);
        if (inner != T::Num) Emit(XOp::ToZero);
        return T::Num;
    }
    if (c == 'S') return MatchFunction(S, Pos - 1) >= 0 ? FunctionOperand() : SystemOperand();
    if (c == 'N' || c == 'L') {
        char n = Pos < Len() ? S[Pos] : EndMark;
        bool function = n == 'A' || n == 'N' || n == 'O' ||
                        (c == 'L' && std::string_view(S).substr(Pos - 1).starts_with("LEFT"));
        return function ? FunctionOperand() : PropertyOperand(c);
    }
    if ((c == 'A' || c == 'B' || c == 'C' || c == 'P' || c == 'V') && SymbolValue(PeekToken()) >= 0)
        return AttributeOperand(c);
    return FunctionOperand();
}

// One operand on the stack. Text points into the program, the element, the
// context, or the entry's own Codes.
struct Entry {
    double V;
    const char* P;
    int32_t L;
    char Codes[8];
    std::string_view Text() const { return std::string_view(P, static_cast<size_t>(L)); }
};

// Sum of a range of parameters, values or variables; a sum that is not
// finite is a fault.
double RangeSum(const TExprInstr& in, const ExpressionContext& ctx, int32_t& fault)
{
    const double* a = in.Op == XOp::RangeA ? ctx.Values.data()
                      : in.Op == XOp::RangeP ? ctx.Parameters.data() : ctx.Variables.data();
    double sum = 0;
    for (int i = in.A; i <= in.C; ++i) sum += a[i];
    if (std::isfinite(sum)) return sum;
    fault = in.B;
    return 0;
}

// The four common operators of the general program; a result that is not
// finite is a fault at pos and the value 0.
inline double InlineArith(XOp op, double a, double b, int32_t pos, int32_t& fault)
{
    double r;
    if (op == XOp::Add)
        r = a + b;
    else if (op == XOp::Sub)
        r = a - b;
    else if (op == XOp::Mul)
        r = (a == 0 || b == 0) ? 0 : a * b;
    else
        r = a == 0 ? 0 : (b == 0 ? std::numeric_limits<double>::infinity() : a / b);
    if (!std::isfinite(r)) {
        fault = pos;
        r = 0;
    }
    return r;
}

// NumberOp with the comparisons, which never fault, worked out in place.
inline bool CompareOrNumberOp(char op, double a, double b, double& r)
{
    switch (op) {
    case '=': r = a == b; return true;
    case '#':
    case 'N': r = a != b; return true;
    case '<': r = a < b; return true;
    case 'L': r = a <= b; return true;
    case '>': r = a > b; return true;
    case 'G': r = a >= b; return true;
    default: return NumberOp(op, a, b, r);
    }
}

// The position a run reports: a recorded error first, then text left over
// after the expression, then the last fault; 0 when there is none.
int32_t RunErrorPosition(int32_t recorded, int32_t leftover, int32_t fault, int32_t offset)
{
    if (recorded) return recorded - 1 + offset;
    if (leftover) return leftover + offset;
    if (fault) return fault + offset;
    return 0;
}

bool ReadProperty(ExprMode mode, const TExprElement& element, const TExprEnvironment& env, char code,
                  TPropertyValue& pv)
{
    return mode == ExprMode::Node ? env.Properties->NodeProperty(*element.Node, code, pv)
                                  : env.Properties->LinkProperty(*element.Link, code, pv);
}

} // namespace

TPreparedExpression::TPreparedExpression() = default;
TPreparedExpression::~TPreparedExpression() = default;
TPreparedExpression::TPreparedExpression(TPreparedExpression&&) noexcept = default;
TPreparedExpression& TPreparedExpression::operator=(TPreparedExpression&&) noexcept = default;

void TPreparedExpression::Prepare(const std::string& text, int classNo, ExprMode mode,
                                  const std::array<int32_t, ExprSlots>& kinds, const TExprEnvironment& env)
{
    Code_.clear();
    Texts_.clear();
    KindGuards_.clear();
    SystemGuards_.clear();
    Source_ = text;
    ClassNo_ = classNo;
    Mode_ = mode;
    StaticError_ = 0;
    Leftover_ = 0;
    MaxStack_ = 0;
    HasProperties_ = env.Properties != nullptr;
    Numeric_ = false;
    TPreparedText prep = PrepareExpressionText(text, classNo, mode, env);
    Rewritten_ = prep.Rewritten;
    Offset_ = prep.Offset;
    Empty_ = false;
    if (prep.TooLong) {
        StaticError_ = ExprMaxText + 1;
        return;
    }
    Compiler c(prep.Body, mode, kinds, env, Code_, Texts_, KindGuards_, SystemGuards_);
    c.Next();
    if (c.Tok == EndMark) {
        Empty_ = true;
        return;
    }
    c.Expression();
    Leftover_ = c.Tok != EndMark ? c.Pos : 0;
    MaxStack_ = c.MaxDepth;

    // Fold a plain number load into the operator that follows it.
    std::vector<TExprInstr> folded;
    folded.reserve(Code_.size());
    for (const TExprInstr& in : Code_) {
        bool binary = in.Op == XOp::Add || in.Op == XOp::Sub || in.Op == XOp::Mul || in.Op == XOp::Div ||
                      in.Op == XOp::NumOp;
        if (binary && !folded.empty()) {
            const TExprInstr& prev = folded.back();
            uint8_t src = prev.Op == XOp::PushNum ? 1 : prev.Op == XOp::AttrNum ? 2 : prev.Op == XOp::Param ? 3
                          : prev.Op == XOp::Var ? 4 : 0;
            if (src) {
                TExprInstr f = in;
                f.Src = src;
                f.A = prev.A;
                f.D = prev.D;
                folded.back() = f;
                continue;
            }
        }
        folded.push_back(in);
    }
    Code_.swap(folded);
    Numeric_ = MaxStack_ <= ExprMaxText + 2;
    for (const TExprInstr& in : Code_)
        switch (in.Op) {
        case XOp::PushNum: case XOp::Fault: case XOp::AttrNum: case XOp::Param: case XOp::Var:
        case XOp::RangeA: case XOp::RangeP: case XOp::RangeV: case XOp::SysNum: case XOp::PropNum:
        case XOp::Neg: case XOp::NumOp: case XOp::Add: case XOp::Sub: case XOp::Mul: case XOp::Div:
        case XOp::Pow: case XOp::Func: break;
        default: Numeric_ = false; break;
        }
    if (Numeric_)
        for (TExprInstr& in : Code_) {
            const int base = in.Op == XOp::Add ? int(XOp::AddS) : in.Op == XOp::Sub ? int(XOp::SubS)
                             : in.Op == XOp::Mul ? int(XOp::MulS) : in.Op == XOp::Div ? int(XOp::DivS) : -1;
            if (base >= 0) in.Op = static_cast<XOp>(base + in.Src);
        }
    // An attribute load followed by an operator whose right operand is a
    // number or an attribute becomes one instruction.
    if (Numeric_) {
        std::vector<TExprInstr> leaves;
        leaves.reserve(Code_.size());
        for (std::size_t i = 0; i < Code_.size(); ++i) {
            const TExprInstr& in = Code_[i];
            if (in.Op == XOp::AttrNum && i + 1 < Code_.size()) {
                const TExprInstr& op = Code_[i + 1];
                XOp leaf = XOp::PushNum;
                switch (op.Op) {
                case XOp::AddK: leaf = XOp::LeafAddK; break;
                case XOp::AddA: leaf = XOp::LeafAddA; break;
                case XOp::SubK: leaf = XOp::LeafSubK; break;
                case XOp::SubA: leaf = XOp::LeafSubA; break;
                case XOp::MulK: leaf = XOp::LeafMulK; break;
                case XOp::MulA: leaf = XOp::LeafMulA; break;
                case XOp::DivK: leaf = XOp::LeafDivK; break;
                case XOp::DivA: leaf = XOp::LeafDivA; break;
                case XOp::NumOp:
                    leaf = op.Src == 1 ? XOp::LeafOpK : op.Src == 2 ? XOp::LeafOpA : XOp::PushNum;
                    break;
                default: break;
                }
                if (leaf != XOp::PushNum) {
                    TExprInstr f = op;
                    f.Op = leaf;
                    f.Right = op.A;
                    f.A = in.A;
                    leaves.push_back(f);
                    ++i;
                    continue;
                }
            }
            leaves.push_back(in);
        }
        Code_.swap(leaves);
    }
    std::sort(KindGuards_.begin(), KindGuards_.end());
    KindGuards_.erase(std::unique(KindGuards_.begin(), KindGuards_.end()), KindGuards_.end());
}

inline bool TPreparedExpression::KindsMatch(const ExpressionContext& ctx, const TExprEnvironment& env) const
{
    if (HasProperties_ != (env.Properties != nullptr)) return false;
    for (const auto& g : KindGuards_)
        if (ctx.Kinds[g.first] != g.second) return false;
    if (!SystemGuards_.empty()) {
        const TClassRecord* rec = env.SystemClass ? &(*env.SystemClass)[1] : nullptr;
        for (const auto& g : SystemGuards_) {
            const TAttrib* a = (rec && g.first <= rec->AttributeCount) ? rec->Attr(g.first) : nullptr;
            if ((a ? a->Kind : 0) != g.second) return false;
        }
    }
    return true;
}

double TPreparedExpression::Evaluate(const ExpressionContext& ctx, const ExprStrings& strings,
                                     const TExprElement& element, const TExprEnvironment& env,
                                     int32_t& errorPos) const
{
    // The common case first: a numbers-only program on an element of the
    // kinds it was prepared for.
    if (Numeric_ && element.Mode() == Mode_ && KindsMatch(ctx, env)) return RunNumeric(ctx, element, env, errorPos);
    return RunOther(ctx, strings, element, env, errorPos);
}

// Kept out of line so that the check above stays a few instructions.
[[gnu::noinline]] double TPreparedExpression::RunOther(const ExpressionContext& ctx, const ExprStrings& strings,
                                                       const TExprElement& element, const TExprEnvironment& env,
                                                       int32_t& errorPos) const
{
    errorPos = 0;
    if (StaticError_) {
        errorPos = StaticError_;
        return 0;
    }
    if (Empty_) return 0;
    if (element.Mode() != Mode_ || MaxStack_ > ExprMaxText + 2 || !KindsMatch(ctx, env)) {
        std::string text = Source_;
        return EvaluateExpression(text, errorPos, ctx, strings, element, env);
    }
    return RunGeneral(ctx, strings, element, env, errorPos);
}

double TPreparedExpression::RunGeneral(const ExpressionContext& ctx, const ExprStrings& strings,
                                       const TExprElement& element, const TExprEnvironment& env,
                                       int32_t& errorPos) const
{
    Entry stack[ExprMaxText + 2];
    int top = -1;
    int32_t recorded = 0, fault = 0;
    auto pushNum = [&](double v) {
        Entry& e = stack[++top];
        e.V = v;
        e.L = 0;
        e.P = nullptr;
    };
    auto pushText = [&](std::string_view t) {
        Entry& e = stack[++top];
        e.V = 0;
        e.P = t.data();
        e.L = static_cast<int32_t>(t.size());
    };
    auto pushCodes = [&](double slot, int n) {
        Entry& e = stack[++top];
        e.L = SlotCodes(slot, n, e.Codes);
        e.P = e.Codes;
        e.V = 0;
    };

    // A binary operator's two operands give way to its number result.
    auto popWith = [&](double r) {
        --top;
        stack[top].V = r;
        stack[top].L = 0;
    };

    // The right operand of a binary number operator; a folded load is pushed
    // here so that the stack looks as if it had been pushed before.
    auto right = [&](const TExprInstr& in) -> double {
        switch (in.Src) {
        case 1: ++top; return in.D;
        case 2: ++top; return ctx.Values[in.A];
        case 3: ++top; return ctx.Parameters[in.A];
        case 4: ++top; return ctx.Variables[in.A];
        default: return stack[top].V;
        }
    };

    for (const TExprInstr& in : Code_) {
        switch (in.Op) {
        case XOp::PushNum:
        case XOp::PushDate: pushNum(in.D); break;
        case XOp::PushText: pushText(Texts_[in.A]); break;
        case XOp::Fault: fault = in.B; break;
        case XOp::Record: recorded = in.B; break;
        case XOp::AttrNum:
        case XOp::AttrDate: pushNum(ctx.Values[in.A]); break;
        case XOp::AttrCodes: pushCodes(ctx.Values[in.A], in.C); break;
        case XOp::AttrString: pushText(strings[in.A].substr(0, ExprMaxText)); break;
        case XOp::Param: pushNum(ctx.Parameters[in.A]); break;
        case XOp::Var: pushNum(ctx.Variables[in.A]); break;
        case XOp::RangeA:
        case XOp::RangeP:
        case XOp::RangeV: pushNum(RangeSum(in, ctx, fault)); break;
        case XOp::SysNum:
        case XOp::SysDate: pushNum(env.SystemValues ? env.SystemValues[in.A].Real() : 0); break;
        case XOp::SysCodes:
            pushCodes(env.SystemValues ? env.SystemValues[in.A].Real() : 0, (*env.SystemClass)[1].Attr(in.A)->TopRow);
            break;
        case XOp::SysString: {
            size_t index = (*env.SystemClass)[1].Attr(in.A)->StringIndex;
            std::string_view t;
            if (env.SystemStrings && index < env.SystemStrings->size()) t = (*env.SystemStrings)[index];
            pushText(t.substr(0, ExprMaxText));
            break;
        }
        case XOp::PropNum:
        case XOp::PropText: {
            TPropertyValue pv;
            bool ok = ReadProperty(Mode_, element, env, in.C, pv);
            if (in.Op == XOp::PropText)
                pushText(ok ? pv.Text.substr(0, ExprMaxText) : std::string_view());
            else
                pushNum(ok ? pv.Value : 0);
            break;
        }
        case XOp::Neg: stack[top].V = -stack[top].V; break;
        case XOp::NumOp: {
            double r;
            double b = right(in);
            if (!NumberOp(in.C, stack[top - 1].V, b, r)) fault = in.B;
            popWith(r);
            break;
        }
        case XOp::Add:
        case XOp::Sub:
        case XOp::Mul:
        case XOp::Div: {
            double b = right(in);
            popWith(InlineArith(in.Op, stack[top - 1].V, b, in.B, fault));
            break;
        }
        case XOp::TextOp: {
            double r;
            TextOp(in.C, stack[top - 1].Text(), stack[top].Text(), r);
            popWith(r);
            break;
        }
        case XOp::DateOp: {
            double r;
            DateOp(in.C, stack[top - 1].V, stack[top].V, r);
            popWith(r);
            break;
        }
        case XOp::BadOp:
            fault = in.B;
            popWith(0);
            break;
        case XOp::Pow: {
            double r;
            int k = PowerOp(stack[top - 1].V, stack[top].V, r);
            if (k == 1) fault = in.B;
            if (k == 2) recorded = in.B;
            popWith(r);
            break;
        }
        case XOp::Func: {
            double r;
            if (!ApplyFunction(in.A, stack[top].V, env, r)) fault = in.B;
            stack[top].V = r;
            stack[top].L = 0;
            break;
        }
        case XOp::ToZero:
            stack[top].V = 0;
            stack[top].L = 0;
            break;
        case XOp::Truncate:
            top = in.A - 1;
            pushNum(0);
            break;
        default: break; // the numbers-only forms never reach this loop
        }
    }
    errorPos = RunErrorPosition(recorded, Leftover_, fault, Offset_);
    return top >= 0 ? stack[0].V : 0;
}

// Programs on numbers only: the top of the stack stays in a register, and
// each instruction is one dispatch.
double TPreparedExpression::RunNumeric(const ExpressionContext& ctx, const TExprElement& element,
                                       const TExprEnvironment& env, int32_t& errorPos) const
{
    double st[ExprMaxText + 3];
    int sp = 0;
    double tos = 0;
    int32_t recorded = 0, fault = 0;
    const double* values = ctx.Values.data();
    const double* params = ctx.Parameters.data();
    const double* vars = ctx.Variables.data();
    auto push = [&](double v) {
        st[sp++] = tos;
        tos = v;
    };
    // A result that is not finite is a fault at the operator and the value 0.
    auto result = [&](double r, const TExprInstr& in) {
        if (!std::isfinite(r)) [[unlikely]] {
            fault = in.B;
            r = 0;
        }
        tos = r;
    };
    auto mul = [](double a, double b) { return (a == 0 || b == 0) ? 0 : a * b; };
    auto div = [](double a, double b) {
        return a == 0 ? 0 : (b == 0 ? std::numeric_limits<double>::infinity() : a / b);
    };
    const TExprInstr* in = Code_.data();
    const TExprInstr* const end = in + Code_.size();
    for (; in != end; ++in) {
        switch (in->Op) {
        case XOp::PushNum: push(in->D); break;
        case XOp::Fault: fault = in->B; break;
        case XOp::AttrNum: push(values[in->A]); break;
        case XOp::Param: push(params[in->A]); break;
        case XOp::Var: push(vars[in->A]); break;
        case XOp::RangeA:
        case XOp::RangeP:
        case XOp::RangeV: push(RangeSum(*in, ctx, fault)); break;
        case XOp::SysNum: push(env.SystemValues ? env.SystemValues[in->A].Real() : 0); break;
        case XOp::PropNum: {
            TPropertyValue pv;
            push(ReadProperty(Mode_, element, env, in->C, pv) ? pv.Value : 0);
            break;
        }
        case XOp::Neg: tos = -tos; break;
        case XOp::AddS: { double a = st[--sp]; result(a + tos, *in); break; }
        case XOp::AddK: result(tos + in->D, *in); break;
        case XOp::AddA: result(tos + values[in->A], *in); break;
        case XOp::AddP: result(tos + params[in->A], *in); break;
        case XOp::AddV: result(tos + vars[in->A], *in); break;
        case XOp::SubS: { double a = st[--sp]; result(a - tos, *in); break; }
        case XOp::SubK: result(tos - in->D, *in); break;
        case XOp::SubA: result(tos - values[in->A], *in); break;
        case XOp::SubP: result(tos - params[in->A], *in); break;
        case XOp::SubV: result(tos - vars[in->A], *in); break;
        case XOp::MulS: { double a = st[--sp]; result(mul(a, tos), *in); break; }
        case XOp::MulK: result(mul(tos, in->D), *in); break;
        case XOp::MulA: result(mul(tos, values[in->A]), *in); break;
        case XOp::MulP: result(mul(tos, params[in->A]), *in); break;
        case XOp::MulV: result(mul(tos, vars[in->A]), *in); break;
        case XOp::DivS: { double a = st[--sp]; result(div(a, tos), *in); break; }
        case XOp::DivK: result(div(tos, in->D), *in); break;
        case XOp::DivA: result(div(tos, values[in->A]), *in); break;
        case XOp::DivP: result(div(tos, params[in->A]), *in); break;
        case XOp::DivV: result(div(tos, vars[in->A]), *in); break;
        case XOp::LeafAddK: push(0), result(values[in->A] + in->D, *in); break;
        case XOp::LeafAddA: push(0), result(values[in->A] + values[in->Right], *in); break;
        case XOp::LeafSubK: push(0), result(values[in->A] - in->D, *in); break;
        case XOp::LeafSubA: push(0), result(values[in->A] - values[in->Right], *in); break;
        case XOp::LeafMulK: push(0), result(mul(values[in->A], in->D), *in); break;
        case XOp::LeafMulA: push(0), result(mul(values[in->A], values[in->Right]), *in); break;
        case XOp::LeafDivK: push(0), result(div(values[in->A], in->D), *in); break;
        case XOp::LeafDivA: push(0), result(div(values[in->A], values[in->Right]), *in); break;
        case XOp::LeafOpK:
        case XOp::LeafOpA: {
            double r;
            const double b = in->Op == XOp::LeafOpK ? in->D : values[in->Right];
            if (!CompareOrNumberOp(in->C, values[in->A], b, r)) fault = in->B;
            push(r);
            break;
        }
        case XOp::NumOp:
        case XOp::Pow: {
            double a, b;
            switch (in->Src) {
            case 1: a = tos, b = in->D; break;
            case 2: a = tos, b = values[in->A]; break;
            case 3: a = tos, b = params[in->A]; break;
            case 4: a = tos, b = vars[in->A]; break;
            default: a = st[--sp], b = tos; break;
            }
            double r;
            if (in->Op == XOp::Pow) {
                int k = PowerOp(a, b, r);
                if (k == 1) fault = in->B;
                if (k == 2) recorded = in->B;
            } else if (!CompareOrNumberOp(in->C, a, b, r)) {
                fault = in->B;
            }
            tos = r;
            break;
        }
        case XOp::Func: {
            double r;
            if (!ApplyFunction(in->A, tos, env, r)) fault = in->B;
            tos = r;
            break;
        }
        default: break;
        }
    }
    errorPos = RunErrorPosition(recorded, Leftover_, fault, Offset_);
    return tos;
}
