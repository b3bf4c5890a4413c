// The expression language: one evaluator for every formula the user types
// (Calculate relation lines, values typed into dialogs, search bounds, the
// width and size expressions).
//
// Two entry points give the same answer:
//  - EvaluateExpression reads the text left to right in one pass, exactly as
//    the language is defined (it is the reference);
//  - TPreparedExpression prepares a text once for a class and mode and then
//    evaluates it per element without scanning the text again and without
//    allocating. Drawing, the search filter, widths and Calculate use it.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/Compact.h"
#include "core/model/EntityClasses.h"

class TNode;
struct TLink;

constexpr int ExprSlots = 101;  // [0..100]
constexpr int ExprMaxText = 255; // longest formula and longest text operand

// Kinds of the value slots in an expression context.
enum : int32_t {
    KindReal = 0,
    KindInteger = -1,
    // 1..15: categorical, the number of code characters compared
    KindDateTime = 16, // type letter D
    KindDate = 17,     // type letter X
    KindTime = 18,     // type letter T
    KindString = 19,
};

// Per element values, owned by the caller. Values holds the 8 bytes of each
// attribute slot (codes and packed dates keep their bytes).
struct ExpressionContext {
    std::array<double, ExprSlots> Parameters{};
    std::array<double, ExprSlots> Values{};
    std::array<double, ExprSlots> Variables{};
    std::array<int32_t, ExprSlots> Kinds{};
};

// The string values of the element, by attribute number 1..100 (entry 0 unused).
using ExprStrings = std::array<std::string_view, ExprSlots>;

enum class ExprMode { Node, Link, System };

// The element evaluated: a node, a link (one half-edge) or neither.
struct TExprElement {
    const TNode* Node = nullptr;
    const TLink* Link = nullptr;
    ExprMode Mode() const
    {
        if (Node && !Link) return ExprMode::Node;
        if (Link && !Node) return ExprMode::Link;
        return ExprMode::System;
    }
};

// Built-in property of an element (operands N? and L?): a number, or a text.
struct TPropertyValue {
    double Value = 0;
    bool IsText = false;
    std::string_view Text; // must stay valid while the element lives
};

// Reads built-in properties from the network model. The codes are the
// upper-cased code characters of the property table.
class IElementProperties {
public:
    virtual ~IElementProperties() = default;
    // False when the code is not a property of nodes.
    virtual bool NodeProperty(const TNode& node, char code, TPropertyValue& out) const = 0;
    virtual bool LinkProperty(const TLink& link, char code, TPropertyValue& out) const = 0;
};

// What the evaluator reads besides the element: the classes whose aliases are
// expanded, the system attributes, the window's layers and the random
// generator. One per network (or per run); never process-wide.
struct TExprEnvironment {
    const TEntityClass* NodeClasses = nullptr;
    const TEntityClass* LinkClasses = nullptr;
    const TEntityClass* SystemClass = nullptr; // record 1 holds the system attributes
    const TValueSlot* SystemValues = nullptr;    // [0..100]
    const TStringList* SystemStrings = nullptr; // by StringIndex
    const int32_t* LayerStates = nullptr;        // [1..10]; nullptr: LAYER() gives 0
    int32_t ZoomIndex = 0;
    const IElementProperties* Properties = nullptr;
    std::mt19937_64* Random = nullptr; // seeded once per run; nullptr: RAND gives 0
};

// A generator seeded once from the clock, for one run or one network.
std::mt19937_64 MakeRunRandom();

// Rewrites Expr in place (upper case outside quotes, aliases expanded) and
// returns the value; ErrorPos is 0 on success, else the 1-based position of
// the error in the rewritten text.
double EvaluateExpression(std::string& expr, int32_t& errorPos, const ExpressionContext& ctx,
                          const ExprStrings& strings, const TExprElement& element,
                          const TExprEnvironment& env);

// Alias expansion: words equal to an attribute alias of the class (node and
// link mode), then to a system attribute alias, become positional names;
// without Flag, built-in short names become N?/L? (and LAYER A0 in node
// mode); with Flag, ENTITY becomes P0. Quoted texts and {dates} are kept.
// The result may be longer than 255 characters.
std::string ExpandAliases(const std::string& text, int classNo, ExprMode mode, bool flag,
                          const TExprEnvironment& env);

// Tracks whether a character stands inside a '...' text or a {...} date.
struct TQuoteState {
    bool Quote = false, Brace = false;
    // Takes the next character; true when it is outside both and is not
    // itself a quote or brace that opens one.
    bool Outside(char c)
    {
        if (Quote) {
            if (c == '\'') Quote = false;
            return false;
        }
        if (Brace) {
            if (c == '}') Brace = false;
            return false;
        }
        if (c == '\'') return !(Quote = true);
        if (c == '{') return !(Brace = true);
        return true;
    }
};

// 1-based position of the first ':' outside quotes and braces within the
// first 50 characters; 0 when none.
int ColonPos(std::string_view text);

// The two halves of a "forward:backward" pair; Which 1 or 2.
std::string ExpressionPart(std::string_view text, int which);

// Steps 1 to 3 of the preparation shared by both evaluators: upper case,
// aliases, the leading '+'. Body is the text that is read; Offset is 1 when a
// '+' was removed. TooLong is set when the expanded text exceeds 255
// characters (the error is then at position 256).
struct TPreparedText {
    std::string Rewritten; // what the caller gets back
    std::string Body;
    int Offset = 0;
    bool TooLong = false;
};
TPreparedText PrepareExpressionText(const std::string& expr, const TExprElement& element,
                                    const TExprEnvironment& env);
TPreparedText PrepareExpressionText(const std::string& expr, int classNo, ExprMode mode,
                                    const TExprEnvironment& env);

// The class whose aliases apply: the node's or link's class, 1 for the system.
int ExpressionClassOf(const TExprElement& element, const TExprEnvironment& env);

// ---- fast path ----

struct TExprInstr;

class TPreparedExpression {
public:
    TPreparedExpression();
    ~TPreparedExpression();
    TPreparedExpression(TPreparedExpression&&) noexcept;
    TPreparedExpression& operator=(TPreparedExpression&&) noexcept;
    TPreparedExpression(const TPreparedExpression&) = delete;
    TPreparedExpression& operator=(const TPreparedExpression&) = delete;

    // Prepares Text for one class and mode. Kinds are the slot kinds the
    // elements will have (the class's attributes); an element whose kinds
    // differ is evaluated by the reference path instead.
    void Prepare(const std::string& text, int classNo, ExprMode mode,
                 const std::array<int32_t, ExprSlots>& kinds, const TExprEnvironment& env);

    double Evaluate(const ExpressionContext& ctx, const ExprStrings& strings,
                    const TExprElement& element, const TExprEnvironment& env,
                    int32_t& errorPos) const;

    bool Empty() const { return Empty_; }
    const std::string& Rewritten() const { return Rewritten_; }

private:
    bool KindsMatch(const ExpressionContext& ctx, const TExprEnvironment& env) const;
    double RunNumeric(const ExpressionContext& ctx, const TExprElement& element, const TExprEnvironment& env,
                      int32_t& errorPos) const;
    double RunOther(const ExpressionContext& ctx, const ExprStrings& strings, const TExprElement& element,
                    const TExprEnvironment& env, int32_t& errorPos) const;
    double RunGeneral(const ExpressionContext& ctx, const ExprStrings& strings, const TExprElement& element,
                      const TExprEnvironment& env, int32_t& errorPos) const;

    std::vector<TExprInstr> Code_;
    std::vector<std::string> Texts_; // text literals
    std::vector<std::pair<int, int32_t>> KindGuards_; // slot, kind the code assumes
    std::vector<std::pair<int, char>> SystemGuards_; // system attribute, type letter assumed
    std::string Source_;    // the text as given, for the fallback
    std::string Rewritten_;
    int ClassNo_ = 1;
    ExprMode Mode_ = ExprMode::System;
    int32_t StaticError_ = 0;  // error known without evaluating (too long)
    int32_t Leftover_ = 0;     // position of the first token not read, 0 when all read
    int32_t Offset_ = 0;
    int MaxStack_ = 0;
    bool Empty_ = true;
    bool Numeric_ = false; // no texts or dates anywhere: the lean loop runs it
    bool HasProperties_ = false;
};

// ---- shared operator definitions (used by both evaluators) ----
namespace exprops {

// The 33 function names; the index is the function code.
extern const char* const FunctionNames[33];
enum FunctionCode : int {
    FnFabs, FnSqrt, FnSqr, FnSin, FnFcos, FnFatan, FnLn, FnLog, FnExp, FnInt, FnFact, FnFrac,
    FnBang, FnRad, FnRound, FnTrunc, FnNot, FnSign, FnDeg, FnYear, FnMonth, FnDay, FnHour,
    FnMin, FnSec, FnLayer, FnFacos, FnFasin, FnTan, FnLoc, FnLeft, FnRight, FnRand
};
// Function whose name begins text at pos (0-based), or -1.
int MatchFunction(std::string_view text, size_t pos);

// Symbol characters '0'..'9' -> 0..9, 'A'..'Z' -> 10..35; -1 otherwise.
int SymbolValue(char c);

// Strict decimal conversion of a scanned number text.
bool ConvertNumber(std::string_view text, double& value);

// Number operators; op is one of + - # = < > L(<=) G(>=) N(<>) * / % & | D M.
// Returns false on a fault (the value is then 0).
bool NumberOp(char op, double a, double b, double& result);
// Text and date comparisons; false when op is not a comparison.
bool TextOp(char op, std::string_view a, std::string_view b, double& result);
bool DateOp(char op, double a, double b, double& result);
// '^' on numbers: 0 ok, 1 fault, 2 negative base (recorded error).
int PowerOp(double a, double b, double& result);
// Functions other than LOC, LEFT and RIGHT on a number (or the 8 bytes of a
// date). Returns false on a fault.
bool ApplyFunction(int code, double x, const TExprEnvironment& env, double& result);

// Categorical code text of a slot cut to n characters (n <= 8); bytes outside
// 32..126 read as blanks.
int SlotCodes(double slot, int n, char* out);
// A {date} literal as a packed date and time; parts not given stay so.
// False for a text that is no date (a part that is not a number, a day past
// its month, a year above 6000...), as a date typed anywhere else is refused.
bool ParseDateLiteral(std::string_view text, double& value);

} // namespace exprops
