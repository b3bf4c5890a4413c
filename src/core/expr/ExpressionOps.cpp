// Operator and function definitions shared by both evaluators, and the text
// preparation (upper case, aliases, ColonPos).
#include "core/expr/BuiltinProperties.h"
#include "core/expr/Expression.h"
#include "core/file/TextFormat.h"
#include "core/model/EntityClasses.h"
#include "core/model/Rounding.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>

namespace exprops {

const char* const FunctionNames[33] = {
    "FABS", "SQRT", "SQR", "SIN", "FCOS", "FATAN", "LN", "LOG", "EXP", "INT", "FACT",
    "FRAC", "!", "RAD", "ROUND", "TRUNC", "NOT", "SIGN", "DEG", "YEAR", "MONTH", "DAY",
    "HOUR", "MIN", "SEC", "LAYER", "FACOS", "FASIN", "TAN", "LOC", "LEFT", "RIGHT", "RAND"};

int MatchFunction(std::string_view text, size_t pos)
{
    if (pos >= text.size()) return -1;
    std::string_view rest = text.substr(pos);
    for (int i = 0; i < 33; ++i)
        if (rest.starts_with(FunctionNames[i])) return i;
    return -1;
}

int SymbolValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return -1;
}

bool ConvertNumber(std::string_view t, double& value)
{
    value = 0;
    size_t i = 0, n = t.size();
    size_t digits = 0;
    while (i < n && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    if (i < n && t[i] == '.') {
        ++i;
        while (i < n && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (t[i] == 'E' || t[i] == 'e')) {
        ++i;
        if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
        size_t e = 0;
        while (i < n && t[i] >= '0' && t[i] <= '9') ++i, ++e;
        if (e == 0) return false;
    }
    if (i != n) return false;
    double v = 0;
    auto r = std::from_chars(t.data(), t.data() + n, v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != t.data() + n || !std::isfinite(v)) return false;
    value = v;
    return true;
}

static bool Finite(double v, double& result)
{
    if (!std::isfinite(v)) {
        result = 0;
        return false;
    }
    result = v;
    return true;
}

static bool ToInt64(double x, int64_t& out)
{
    double r = pround(x);
    // 2^63 is exactly representable; anything at or above it is out of range.
    if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) return false;
    out = static_cast<int64_t>(r);
    return true;
}

bool NumberOp(char op, double a, double b, double& result)
{
    result = 0;
    switch (op) {
    case '+': return Finite(a + b, result);
    case '-': return Finite(a - b, result);
    case '=': result = (a == b); return true;
    case '#':
    case 'N': result = (a != b); return true;
    case '<': result = (a < b); return true;
    case 'L': result = (a <= b); return true;
    case '>': result = (a > b); return true;
    case 'G': result = (a >= b); return true;
    case '*':
        if (a == 0 || b == 0) return true;
        return Finite(a * b, result);
    case '/':
        if (a == 0) return true;
        if (b == 0) return false;
        return Finite(a / b, result);
    case '%': result = (a != 0) ? a : b; return true;
    case '&': result = (a < b) ? a : b; return true;
    case '|': result = (a > b) ? a : b; return true;
    case 'D':
    case 'M': {
        int64_t x, y;
        if (!ToInt64(a, x) || !ToInt64(b, y)) return false;
        if (y == 0) return false;
        if (x == std::numeric_limits<int64_t>::min() && y == -1) {
            if (op == 'D') return false;
            result = 0;
            return true;
        }
        result = static_cast<double>(op == 'D' ? x / y : x % y);
        return true;
    }
    }
    return false;
}

// '?' in either text matches any character.
static bool TextEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && a[i] != '?' && b[i] != '?') return false;
    return true;
}

bool TextOp(char op, std::string_view a, std::string_view b, double& result)
{
    switch (op) {
    case '=': result = TextEqual(a, b); return true;
    case '#':
    case 'N': result = !TextEqual(a, b); return true;
    case '<':
    case 'L': result = (b.find(a) != std::string_view::npos); return true;
    case '>':
    case 'G': result = (a.find(b) != std::string_view::npos); return true;
    }
    result = 0;
    return false;
}

bool DateOp(char op, double a, double b, double& result)
{
    TValueSlot x, y;
    x.SetReal(a);
    y.SetReal(b);
    switch (op) {
    case '=': result = DateTimeEqual(x, y); return true;
    case '#':
    case 'N': result = !DateTimeEqual(x, y); return true;
    case '<': result = DateTimeLess(x, y); return true;
    case 'L': result = DateTimeLess(x, y) || DateTimeEqual(x, y); return true;
    case '>': result = DateTimeGreater(x, y); return true;
    case 'G': result = DateTimeGreaterOrEqual(x, y); return true;
    }
    result = 0;
    return false;
}

bool ParseDateLiteral(std::string_view text, double& value)
{
    int err = 0;
    value = TypedDateTime(text, err, DateTimeModeBoth, UnknownDateTime()).Real();
    return err == 0;
}

int PowerOp(double a, double b, double& result)
{
    result = 0;
    if (a == 0) return 0;
    if (a < 0) return 2;
    return Finite(std::pow(a, b), result) ? 0 : 1;
}

static int DatePart(double x, int part)
{
    uint8_t b[8];
    std::memcpy(b, &x, 8);
    if (part == 0) {
        int16_t y;
        std::memcpy(&y, b, 2);
        return y + 1900;
    }
    return b[1 + part];
}

bool ApplyFunction(int code, double x, const TExprEnvironment& env, double& result)
{
    result = 0;
    switch (code) {
    case FnFabs: return Finite(std::fabs(x), result);
    case FnSqrt:
        if (x < 0) return false;
        return Finite(std::sqrt(x), result);
    case FnSqr: return Finite(x * x, result);
    case FnSin: return Finite(std::sin(x), result);
    case FnFcos: return Finite(std::cos(x), result);
    case FnFatan: return Finite(std::atan(x), result);
    case FnLn:
        if (x <= 0) return false;
        return Finite(std::log(x), result);
    case FnLog:
        if (x <= 0) return false;
        return Finite(std::log10(x), result);
    case FnExp: return Finite(std::exp(x), result);
    case FnInt:
    case FnTrunc: return Finite(std::trunc(x), result);
    case FnFact: {
        double n = pround(x);
        if (n < 0) return false;
        if (n > 170) return false; // 171! is beyond the double range
        double f = 1;
        for (int i = 2; i <= static_cast<int>(n); ++i) f *= i;
        return Finite(f, result);
    }
    case FnFrac: return Finite(x - std::trunc(x), result);
    case FnBang:
    case FnNot: result = (x == 0) ? 1 : 0; return true;
    case FnRad: return Finite(x * M_PI / 180, result);
    case FnRound: return Finite(std::floor(x + 0.5), result);
    case FnSign: result = x > 0 ? 1 : (x < 0 ? -1 : 0); return true;
    case FnDeg: return Finite(x * 180 / M_PI, result);
    case FnYear:
    case FnMonth:
    case FnDay:
    case FnHour:
    case FnMin:
    case FnSec: result = DatePart(x, code - FnYear); return true;
    case FnLayer: {
        double n = pround(x);
        if (!(n >= 1 && n <= 10) || !env.LayerStates) return true;
        int32_t state = env.LayerStates[static_cast<int>(n)];
        result = (state != 0 && state <= env.ZoomIndex) ? 1 : 0;
        return true;
    }
    case FnFacos:
        if (x < -1 || x > 1) return false;
        return Finite(std::acos(x), result);
    case FnFasin:
        if (x < -1 || x > 1) return false;
        return Finite(std::asin(x), result);
    case FnTan: return Finite(std::tan(x), result);
    case FnLoc:
    case FnLeft:
    case FnRight: result = x; return true;
    case FnRand: {
        int64_t n;
        if (!ToInt64(x, n)) return false;
        if (n <= 0 || !env.Random) return true;
        std::uniform_int_distribution<int64_t> dist(0, n - 1);
        result = static_cast<double>(dist(*env.Random));
        return true;
    }
    }
    return false;
}

int SlotCodes(double slot, int n, char* out)
{
    uint8_t b[8];
    std::memcpy(b, &slot, 8);
    if (n > 8) n = 8;
    if (n < 0) n = 0;
    for (int i = 0; i < n; ++i) out[i] = (b[i] < 32 || b[i] > 126) ? ' ' : static_cast<char>(b[i]);
    return n;
}

} // namespace exprops

std::mt19937_64 MakeRunRandom()
{
    auto t = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seq{static_cast<uint64_t>(t), static_cast<uint64_t>(t >> 32)};
    return std::mt19937_64(seq);
}

// ---- text preparation ----

int ColonPos(std::string_view text)
{
    TQuoteState state;
    size_t n = std::min<size_t>(text.size(), 50);
    for (size_t i = 0; i < n; ++i)
        if (state.Outside(text[i]) && text[i] == ':') return static_cast<int>(i) + 1;
    return 0;
}

std::string ExpressionPart(std::string_view text, int which)
{
    int p = ColonPos(text);
    if (which == 1) return std::string(p == 0 ? text : text.substr(0, p - 1));
    if (p == 0) return std::string();
    return std::string(text.substr(p));
}

static char PositionalSymbol(int k)
{
    int s = ((k - 1) % 35) + 1;
    return s <= 9 ? static_cast<char>('0' + s) : static_cast<char>('A' + s - 10);
}

static void AppendReplacement(std::string& out, char letter, char symbol, size_t wordLen)
{
    out += letter;
    out += symbol;
    if (wordLen == 1)
        out += ' ';
    else
        out.append(wordLen - 2, ' ');
}

static bool MatchAlias(const TClassRecord& rec, std::string_view word, int& k)
{
    for (int i = 1; i <= rec.AttributeCount && i <= MaxAttributes; ++i) {
        const TAttrib* a = rec.Attr(i);
        if (a && !a->AliasKey.empty() && a->AliasKey == word) {
            k = i;
            return true;
        }
    }
    return false;
}

static bool IsWordChar(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }

std::string ExpandAliases(const std::string& text, int classNo, ExprMode mode, bool flag,
                          const TExprEnvironment& env)
{
    const TClassRecord* cls = nullptr;
    if (classNo >= 0 && classNo <= MaxClasses) {
        if (mode == ExprMode::Node && env.NodeClasses) cls = &(*env.NodeClasses)[classNo];
        if (mode == ExprMode::Link && env.LinkClasses) cls = &(*env.LinkClasses)[classNo];
    }
    const TClassRecord* sys = env.SystemClass ? &(*env.SystemClass)[1] : nullptr;
    const BuiltinPropertyTable& props = BuiltinProperties();

    std::string out;
    out.reserve(text.size() + 8);
    TQuoteState state;
    size_t i = 0, n = text.size();
    // Words are replaced one by one from the left; each replacement is
    // appended to a new text, which is the same as replacing from the last
    // word to the first in place.
    while (i < n) {
        char c = text[i];
        if (!state.Outside(c) || !IsWordChar(c)) {
            out += c;
            ++i;
            continue;
        }
        size_t j = i;
        while (j < n && IsWordChar(text[j])) ++j;
        std::string_view word(text.data() + i, j - i);
        int k = 0;
        bool done = false;
        if (cls && MatchAlias(*cls, word, k)) {
            AppendReplacement(out, k <= 35 ? 'A' : (k <= 70 ? 'B' : 'C'), PositionalSymbol(k), word.size());
            done = true;
        } else if (sys && MatchAlias(*sys, word, k)) {
            AppendReplacement(out, 'S', PositionalSymbol(k), word.size());
            done = true;
        } else if (!flag && mode == ExprMode::Node && word == "LAYER") {
            AppendReplacement(out, 'A', '0', word.size());
            done = true;
        } else if (!flag && mode != ExprMode::System) {
            const BuiltinProperty* p = props.FindShortName(mode == ExprMode::Node ? 0 : 1, word);
            if (p) {
                char code = p->Code;
                if (code >= 'a' && code <= 'z') code = static_cast<char>(code - 'a' + 'A');
                AppendReplacement(out, mode == ExprMode::Node ? 'N' : 'L', code, word.size());
                done = true;
            }
        } else if (flag && word == "ENTITY") {
            AppendReplacement(out, 'P', '0', word.size());
            done = true;
        }
        if (!done) out.append(word);
        i = j;
    }
    return out;
}

int ExpressionClassOf(const TExprElement& element, const TExprEnvironment& env)
{
    if (env.Properties) {
        TPropertyValue v;
        switch (element.Mode()) {
        case ExprMode::Node:
            if (env.Properties->NodeProperty(*element.Node, 'K', v)) return static_cast<int>(v.Value);
            break;
        case ExprMode::Link:
            if (env.Properties->LinkProperty(*element.Link, 'K', v)) return static_cast<int>(v.Value);
            break;
        case ExprMode::System: break;
        }
    }
    return 1;
}

TPreparedText PrepareExpressionText(const std::string& expr, int classNo, ExprMode mode,
                                    const TExprEnvironment& env)
{
    TPreparedText p;
    std::string up = expr;
    bool quote = false;
    for (char& c : up) {
        if (c == '\'')
            quote = !quote;
        else if (!quote && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    p.Rewritten = ExpandAliases(up, classNo, mode, false, env);
    p.TooLong = p.Rewritten.size() > static_cast<size_t>(ExprMaxText);
    if (!p.Rewritten.empty() && p.Rewritten[0] == '+') {
        p.Body = p.Rewritten.substr(1);
        p.Offset = 1;
    } else {
        p.Body = p.Rewritten;
    }
    return p;
}

TPreparedText PrepareExpressionText(const std::string& expr, const TExprElement& element,
                                    const TExprEnvironment& env)
{
    return PrepareExpressionText(expr, ExpressionClassOf(element, env), element.Mode(), env);
}
