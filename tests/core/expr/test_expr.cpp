#include "core/expr/Expression.h"
#include "test_expr_support.h"

#include <gtest/gtest.h>

#include <set>

using namespace exprtest;

namespace {

struct Case {
    const char* Text;
    double Value;
    int Error;
};

void Check(const World& w, const std::vector<Case>& cases, const ExpressionContext& ctx = {},
           const TExprElement& el = {}, const ExprStrings& strings = {})
{
    for (const Case& c : cases) {
        int32_t err = -1;
        double v = Eval(w, c.Text, err, ctx, el, strings);
        EXPECT_EQ(err, c.Error) << c.Text;
        if (c.Error == 0) {
            EXPECT_DOUBLE_EQ(v, c.Value) << c.Text;
        }
    }
}

} // namespace

TEST(Expression, GrammarAndNumberOperators)
{
    World w;
    Check(w, {
                 {"", 0, 0},
                 {"   ", 0, 0},
                 {"+5", 5, 0},
                 {"2^-1", 0.5, 0},
                 {"0^-1", 0, 0},
                 {"1+2<4", 1, 0},
                 {"2<3+1", 2, 0},
                 {"7 D 2", 3, 0},
                 {"-7 D 2", -3, 0},
                 {"7 M 2", 1, 0},
                 {"-7 M 2", -1, 0},
                 {"2.5 D 1", 2, 0}, // ties to even
                 {"0 % 5", 5, 0},
                 {"4 % 5", 4, 0},
                 {"3 & 9", 3, 0},
                 {"3 | 9", 9, 0},
                 {"0/0", 0, 0},
                 {"2*3+4*5", 26, 0},
                 {"2*(3+4)", 14, 0},
                 {"10-2-3", 5, 0},
                 {"2^3^2", 64, 0},
                 {"3<=3", 1, 0},
                 {"3>=4", 0, 0},
                 {"3<>4", 1, 0},
                 {"3#3", 0, 0},
                 {"3=3", 1, 0},
                 {"1.5E2", 150, 0},
                 {"1E+2", 100, 0},
                 {".5", 0.5, 0},
                 {"sqrt 4 + 1", 3, 0},
                 // The term operators bind tighter than '+' and '-' on either side.
                 {"8-6/2", 5, 0},
                 {"2+7 D 2", 5, 0},
                 {"10-7 M 4", 7, 0},
                 {"1+0 % 5", 6, 0},
                 {"10-9 & 3", 7, 0},
                 {"1+3 | 9", 10, 0},
                 {"7 D 2+3 M 2", 4, 0},
                 {"2*3-8/4+1", 5, 0},
             });
}

TEST(Expression, FunctionsAndTheirFaults)
{
    World w;
    Check(w, {
                 {"FABS(-3)", 3, 0},
                 {"SQR 3", 9, 0},
                 {"SIN 0", 0, 0},
                 {"FCOS 0", 1, 0},
                 {"FATAN 0", 0, 0},
                 {"LN 1", 0, 0},
                 {"LOG 100", 2, 0},
                 {"EXP 0", 1, 0},
                 {"INT(-2.7)", -2, 0},
                 {"TRUNC 2.7", 2, 0},
                 {"FACT 5", 120, 0},
                 {"FACT 0", 1, 0},
                 {"FRAC 2.25", 0.25, 0},
                 {"!0", 1, 0},
                 {"NOT 3", 0, 0},
                 {"RAD 180", M_PI, 0},
                 {"DEG(RAD 90)", 90, 0},
                 {"ROUND 2.5", 3, 0},
                 {"ROUND(-1.2)", -1, 0}, // floor(x + 0.5), not trunc
                 {"ROUND(-2.7)", -3, 0},
                 {"SIGN(-2)", -1, 0},
                 {"SIGN 0", 0, 0},
                 {"FACOS 1", 0, 0},
                 {"FASIN 0", 0, 0},
                 {"TAN 0", 0, 0},
                 {"LOC 7", 7, 0},
                 {"YEAR {1/2/2003}", 2003, 0},
                 {"MONTH {1/2/2003}", 1, 0},
                 {"DAY {1/2/2003}", 2, 0},
                 {"HOUR {1/2/2003,10:30:5}", 10, 0},
                 {"MIN {1/2/2003,10:30:5}", 30, 0},
                 {"SEC {1/2/2003,10:30:5}", 5, 0},
                 {"YEAR {1/2/?}", 31900, 0},
                 {"MONTH {?/2/2003}", 255, 0},
             });
    // Faults: value 0 for the faulty part, error at the scanner position.
    Check(w, {
                 {"SQRT(-1)", 0, 9},
                 {"LN 0 + 1", 0, 6},
                 {"LOG(-1)", 0, 8},
                 {"FACT(-1)", 0, 9},
                 {"FACT 171", 0, 9}, // overflow at once
                 {"FACT 1E300", 0, 11},
                 {"FACOS 2", 0, 8},
                 {"EXP 1000", 0, 9},
                 {"1E400", 0, 6},
                 {"1E308*10", 0, 9},
                 {"1/0", 0, 4},
                 {"7 D 0", 0, 6},
                 {"7 M 0", 0, 6},
                 {"1E300 D 1", 0, 10}, // beyond the 64-bit range
             });
    int32_t err;
    EXPECT_EQ(Eval(w, "FACT 170", err), 7.257415615307994e306);
    EXPECT_EQ(err, 0);
}

TEST(Expression, ErrorPositions)
{
    World w;
    Check(w, {
                 {"(-8)^(1/3)", 0, 10}, // negative base: recorded kind
                 {"-2^2", 0, 4},        // the '-' belongs to the operand
                 {"5 6", 0, 4},
                 {"FOO", 0, 1},
                 {"1+", 0, 3},
                 {"'abc", 0, 5},
                 {"{1/2/2003", 0, 10},
                 {"{1/2/2003 10:30:00 and then some more}", 0, 39},
                 {"2*(3+4", 0, 7},
                 {"2)", 0, 2},
                 {"+1/0", 0, 5},   // the removed '+' still counts
                 {"+FOO", 0, 2},
                 {"+'A'=1", 0, 6},
                 {"1/0+FOO", 0, 5}, // text left over wins over a fault
                 {"'A'+'B'", 0, 8},
                 {"{1/1/1}-{1/1/1}", 0, 16},
                 {"B0", 0, 2},
                 {"CV", 0, 2},
                 {"S0", 0, 2},
                 {"B1_B3", 0, 3},
             });
    // The last recorded error wins over earlier ones and over faults.
    Check(w, {{"1/0 + (-1)^2 + ((-2)^2)", 0, 22}});
}

TEST(Expression, TextsAndDates)
{
    World w;
    Check(w, {
                 {"'ABC' = 'A?C'", 1, 0},
                 {"'AB' = 'ABC'", 0, 0},
                 {"'AB' # 'ABC'", 1, 0},
                 {"'B' < 'ABC'", 1, 0},
                 {"'D' < 'ABC'", 0, 0},
                 {"'ABC' > 'B'", 1, 0},
                 {"'abc' = 'ABC'", 0, 0}, // quoted texts keep their case
                 {"LEFT 'X' = 'X'", 1, 0},
                 {"{1/2/2003} < {1/3/2003}", 1, 0},
                 {"{1/2/2003} >= {1/3/2003}", 0, 0},
                 {"{1/2/?} = {1/2/1999}", 1, 0},
                 {"{1/2/?} < {1/3/1999}", 1, 0},
                 {"{?/2/2003} < {5/2/2003}", 0, 0},
                 {"{?/2/2003} <= {5/2/2003}", 1, 0},
             });
    Check(w, {
                 {"'A' = 1", 0, 7},
                 {"('X') = 'X'", 0, 11},
                 {"{1/1/2000} = 1", 0, 14},
                 {"'A' = {1/1/2000}", 0, 16},
             });
}

// A {date} literal is held to the dates a user may type anywhere: one that
// is no date is a fault at its place in both evaluators, never a date with
// a part put to 0.
TEST(Expression, DateLiteralsThatAreNoDatesAreFaults)
{
    World w;
    const std::vector<Case> cases = {
        {"{2/29/2004} = {2/29/2004}", 1, 0},
        {"{12/31/6000} > {1/1/2000}", 1, 0},
        {"YEAR {12/31/6000}", 6000, 0},
        {"{0/0/1900} = {0/0/1900}", 1, 0}, // the empty date
        {"{?/5/?} = {7/5/1999}", 1, 0},
        {"{1/2/2003,23:59:59} > {1/2/2003}", 1, 0},
        {"{2/30/2004} = {2/0/2004}", 0, 25},
        {"DAY {2/30/2004}", 0, 16},
        {"{1/1/6001} > {1/1/2000}", 0, 12},
        {"YEAR {1/1/6001}", 0, 16},
        {"{13/1/2000}", 0, 12},
        {"{0/12/2000}", 0, 12},
        {"{1/2/2003,24:0:0}", 0, 18},
        {"{1?/2/2000}", 0, 12},
        {"{}", 0, 3},
        {"+{abc}", 0, 7},
    };
    Check(w, cases);
    for (const Case& c : cases) {
        TPreparedExpression p;
        p.Prepare(c.Text, 1, ExprMode::System, ExpressionContext{}.Kinds, w.Env);
        int32_t err = -1;
        const double v = p.Evaluate(ExpressionContext{}, ExprStrings{}, TExprElement{}, w.Env, err);
        EXPECT_EQ(err, c.Error) << c.Text;
        if (c.Error == 0) {
            EXPECT_DOUBLE_EQ(v, c.Value) << c.Text;
        }
    }
}

TEST(Expression, OperandsFromTheContext)
{
    World w;
    ExpressionContext ctx;
    ExprStrings strings{};
    for (int i = 0; i <= 100; ++i) ctx.Values[i] = i * 10;
    ctx.Parameters[0] = 0.5;
    ctx.Parameters[35] = 7;
    ctx.Variables[3] = 3;
    ctx.Kinds[12] = 3;
    ctx.Values[12] = Packed("ABCDEFGH");
    ctx.Kinds[13] = 17;
    ctx.Values[13] = PackedDate(2003, 1, 2);
    ctx.Kinds[14] = 19;
    strings[14] = "HELLO world";
    ctx.Kinds[15] = 15; // more code positions than a slot holds: read 8
    ctx.Values[15] = Packed("ABCDEFGH");
    Check(w,
          {
              {"A1", 10, 0},
              {"A0", 0, 0},
              {"AZ", 350, 0},
              {"B1", 360, 0},
              {"CU", 1000, 0},
              {"a1 + b1", 370, 0},
              {"A1_A3", 60, 0},
              {"A3_A1", 0, 0},
              {"P0 + PZ", 7.5, 0},
              {"P0_P1", 0.5, 0},
              {"V3", 3, 0},
              {"V1_V9", 3, 0},
              {"AC = 'ABC'", 1, 0},
              {"AC = 'ABD'", 0, 0},
              {"AD = {1/2/2003}", 1, 0},
              {"YEAR AD", 2003, 0},
              {"AE = 'HELLO world'", 1, 0},
              {"'world' < AE", 1, 0},
              {"AF = 'ABCDEFGH'", 1, 0},
          },
          ctx, {}, strings);
}

TEST(Expression, AliasesAndBuiltInProperties)
{
    World w;
    TClassRecord& nodeClass = w.NodeClasses[2];
    for (int i = 1; i <= 11; ++i) AddAttribute(nodeClass, 'R', "");
    AddAttribute(nodeClass, 'R', "Speed"); // attribute 12
    AddAttribute(nodeClass, 'C', "FAST", 3);
    AddAttribute(nodeClass, 'R', "Q");     // one-character alias
    AddAttribute(w.SystemClass[1], 'R', "Toll");
    w.SystemValues[1].SetReal(2.5);

    FakeElement node;
    node.Class = 2;
    node.Numbers = {{'F', 17}, {'X', 100}, {'Y', 200}, {'[', 4}};
    node.Note1 = "first";
    node.Name = "Main St";
    ExpressionContext ctx;
    ctx.Values[12] = 60;
    ctx.Values[0] = 4;
    ctx.Kinds[13] = 3;
    ctx.Values[13] = Packed("FAS     ");
    ctx.Values[14] = 9;

    std::string text = "speed + 1 + toll";
    int32_t err;
    ExprStrings strings{};
    double v = EvaluateExpression(text, err, ctx, strings, NodeOf(node), w.Env);
    EXPECT_EQ(text, "AC    + 1 + S1  ");
    EXPECT_EQ(v, 63.5);
    EXPECT_EQ(err, 0);

    // Errors are reported at positions of the text as typed.
    text = "speed + 'a' + 1";
    EvaluateExpression(text, err, ctx, strings, NodeOf(node), w.Env);
    EXPECT_EQ(err, 12);

    // Quoted texts and dates are left alone.
    text = "A13 = 'FAST' + 0*{FAST}";
    EvaluateExpression(text, err, ctx, strings, NodeOf(node), w.Env);
    EXPECT_EQ(text.substr(0, 12), "A13 = 'FAST'");
    EXPECT_NE(text.find("{FAST}"), std::string::npos);

    Check(w,
          {
              {"SERIAL", 17, 0},
              {"NodeX + NodeY", 300, 0},
              {"NF + NE", 17, 0},
              {"LAYER", 4, 0},
              {"LAYER(2)", 0, 6}, // LAYER became A0
              {"NB = 'Main St'", 1, 0},
              {"N( = 'first'", 1, 0},
              {"N) = ''", 1, 0},
              {"LF", 0, 0}, // a link property of a node is 0
              {"NM", 0, 0}, // a property the node lacks
              {"FAST = 'FA?'", 1, 0},
              {"Q + 1", 10, 0},
          },
          ctx, NodeOf(node));

    text = "Q+1";
    EvaluateExpression(text, err, ctx, strings, NodeOf(node), w.Env);
    EXPECT_EQ(text, "AE +1"); // a one-character alias grows by two

    // In link and system mode LAYER is the layer test.
    w.Layers[2] = 5;
    Check(w, {{"LAYER(2)", 1, 0}, {"LAYER 3", 0, 0}, {"LAYER 11", 0, 0}});
    w.Env.ZoomIndex = 4;
    Check(w, {{"LAYER(2)", 0, 0}});

    // Expansion that passes 255 characters is an error there, not a cut.
    std::string longText;
    for (int i = 0; i < 90; ++i) longText += "Q+";
    longText += "1";
    text = longText;
    EvaluateExpression(text, err, ctx, strings, NodeOf(node), w.Env);
    EXPECT_EQ(err, 256);
    EXPECT_GT(text.size(), 255u);
}

TEST(Expression, RandIsSeededOncePerRun)
{
    World w;
    std::set<double> seen;
    for (int i = 0; i < 50; ++i) {
        int32_t err;
        double v = Eval(w, "RAND 1000000", err);
        EXPECT_EQ(err, 0);
        EXPECT_GE(v, 0);
        EXPECT_LT(v, 1000000);
        seen.insert(v);
    }
    EXPECT_GT(seen.size(), 40u); // not one number per clock tick
    int32_t err;
    EXPECT_EQ(Eval(w, "RAND 0", err), 0);
    EXPECT_EQ(Eval(w, "RAND 1", err), 0);
}

TEST(Expression, ColonPosAndParts)
{
    EXPECT_EQ(ColonPos("A1*2:A2"), 5);
    EXPECT_EQ(ColonPos("'a:b':A2"), 6);
    EXPECT_EQ(ColonPos("{1/1/2000,10:30:0}:1"), 19);
    EXPECT_EQ(ColonPos("A1"), 0);
    EXPECT_EQ(ColonPos(std::string(50, ' ') + ":"), 0);
    EXPECT_EQ(ExpressionPart("A1*2:A2", 1), "A1*2");
    EXPECT_EQ(ExpressionPart("A1*2:A2", 2), "A2");
    EXPECT_EQ(ExpressionPart("A1*2", 1), "A1*2");
    EXPECT_EQ(ExpressionPart("A1*2", 2), "");
    EXPECT_EQ(ExpressionPart("'x:y'", 2), "");
}

TEST(Expression, SystemOperandsAndCalculateExpansion)
{
    World w;
    TClassRecord& sys = w.SystemClass[1];
    AddAttribute(sys, 'R', "Rate");
    AddAttribute(sys, 'C', "", 2);
    AddAttribute(sys, 'S', "");
    AddAttribute(sys, 'D', "");
    w.SystemValues[1].SetReal(0.25);
    w.SystemValues[2].SetReal(Packed("XYZ\x01    "));
    w.SetSystemString(3, "Springfield");
    w.SystemValues[4].SetReal(PackedDate(1999, 12, 31, 23, 59, 0));
    Check(w, {
                 {"S1 * 4", 1, 0},
                 {"rate * 4", 1, 0},
                 {"S2 = 'XY'", 1, 0}, // cut to the two code positions
                 {"'field' < S3", 1, 0},
                 {"S4 > {1/1/1999}", 1, 0},
                 {"HOUR S4", 23, 0},
                 {"S9", 0, 0}, // not defined: the number in the slot
             });

    // Calculate expands with Flag set: ENTITY is P0, built-in names stay.
    TClassRecord& nodeClass = w.NodeClasses[1];
    AddAttribute(nodeClass, 'R', "Pop");
    EXPECT_EQ(ExpandAliases("POP+ENTITY+SERIAL+RATE", 1, ExprMode::Node, true, w.Env), "A1 +P0    +SERIAL+S1  ");
    EXPECT_EQ(ExpandAliases("POP+ENTITY+SERIAL+LAYER", 1, ExprMode::Node, false, w.Env), "A1 +NK    +NF    +A0   ");
    EXPECT_EQ(ExpandAliases("POP+SERIALA", 1, ExprMode::Link, false, w.Env), "POP+LG     ");
    EXPECT_EQ(ExpandAliases("POP", 1, ExprMode::System, false, w.Env), "POP");
}
