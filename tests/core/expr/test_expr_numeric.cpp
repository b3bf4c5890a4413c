// The numbers-only loop of the prepared evaluator folds operands into their
// operators and an attribute with its operator into one step. Expressions
// built only from numbers, attributes, parameters and variables reach every
// such form; with zeros, huge values and all kinds real, the prepared path
// must give the reference's value bit for bit and its error position.
#include "core/expr/Expression.h"
#include "test_expr_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace exprtest;

namespace {

class NumberGenerator {
public:
    explicit NumberGenerator(uint64_t seed) : R(seed) {}
    std::mt19937_64 R;
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(R); }

    std::string Operand(int depth)
    {
        switch (Int(0, depth > 2 ? 5 : 7)) {
        case 0: return std::to_string(Int(0, 3));
        case 1: return "P" + std::to_string(Int(0, 4));
        case 2: return "V" + std::to_string(Int(0, 4));
        case 3: return "-A" + std::to_string(Int(1, 5));
        case 4:
        case 5: return "A" + std::to_string(Int(0, 5));
        case 6: return "(" + Expression(depth + 1) + ")";
        default: return std::string(Int(0, 1) ? "SQRT " : "FABS ") + Operand(depth + 1);
        }
    }
    std::string Expression(int depth)
    {
        static const char* const ops[] = {"+", "-", "*", "/", "=", "<", ">", "<=", ">=", "<>", "#",
                                          "%", "&", "|", "^", " D ", " M "};
        std::string s = Operand(depth);
        const int n = Int(0, depth > 1 ? 2 : 5);
        for (int i = 0; i < n; ++i) {
            // Mostly the four common operators, whose forms are the most.
            const int k = Int(0, 9) < 7 ? Int(0, 3) : Int(4, 16);
            s += ops[k] + Operand(depth);
        }
        return s;
    }
    double Value()
    {
        switch (Int(0, 9)) {
        case 0: return 0;
        case 1: return Int(0, 1) ? 1e300 : -1e300;
        case 2: return 1e-300;
        default: return Int(-40, 40) * 0.25;
        }
    }
    void Fill(ExpressionContext& ctx)
    {
        for (int i = 0; i < ExprSlots; ++i) {
            ctx.Values[i] = Value();
            ctx.Parameters[i] = Value();
            ctx.Variables[i] = Value();
        }
    }
};

bool SameBits(double a, double b) { return std::memcmp(&a, &b, 8) == 0; }

TEST(ExpressionNumeric, FoldedFormsMatchReference)
{
    World w;
    NumberGenerator g(7001);
    FakeElement link;
    link.Class = 1;
    const TExprElement el = LinkOf(link);
    int faults = 0, total = 0;
    for (int n = 0; n < 3000; ++n) {
        const std::string text = g.Expression(0);
        ExpressionContext ctx; // every kind real
        TPreparedExpression p;
        p.Prepare(text, 1, ExprMode::Link, ctx.Kinds, w.Env);
        for (int c = 0; c < 4; ++c) {
            g.Fill(ctx);
            std::string t = text;
            int32_t err1 = -1, err2 = -1;
            const double v1 = EvaluateExpression(t, err1, ctx, ExprStrings{}, el, w.Env);
            const double v2 = p.Evaluate(ctx, ExprStrings{}, el, w.Env, err2);
            ASSERT_EQ(err1, err2) << text;
            ASSERT_TRUE(SameBits(v1, v2)) << text << ": " << v1 << " vs " << v2;
            faults += err1 != 0;
            ++total;
        }
    }
    // Overflows, divisions by zero and square roots of negatives happen in
    // earnest, and so do clean results.
    EXPECT_GT(faults, total / 20);
    EXPECT_LT(faults, total - total / 5);
}

TEST(ExpressionNumeric, OneElementAfterAnother)
{
    // One prepared program over many contexts, as drawing and Calculate use
    // it: a fault in one element leaves nothing behind for the next.
    World w;
    FakeElement link;
    link.Class = 1;
    const TExprElement el = LinkOf(link);
    TPreparedExpression p;
    ExpressionContext ctx;
    p.Prepare("A1 * 2 + A2 / A3 - A4 * P1 > V2", 1, ExprMode::Link, ctx.Kinds, w.Env);
    const double rows[][5] = {{1, 2, 4, 3, 1}, {1e308, 1, 1, 1, 0}, {3, 0, 0, 0, 0}, {0, 5, 0, 2, 2}, {9, 1, 1, 1, 1}};
    const bool faulty[] = {false, true, false, true, false};
    for (int i = 0; i < 5; ++i) {
        for (int k = 0; k < 4; ++k) ctx.Values[k + 1] = rows[i][k];
        ctx.Parameters[1] = rows[i][4];
        ctx.Variables[2] = 2;
        int32_t err = -1, ref = -1;
        std::string t = "A1 * 2 + A2 / A3 - A4 * P1 > V2";
        const double expected = EvaluateExpression(t, ref, ctx, ExprStrings{}, el, w.Env);
        EXPECT_TRUE(SameBits(p.Evaluate(ctx, ExprStrings{}, el, w.Env, err), expected)) << i;
        EXPECT_EQ(err, ref) << i;
        EXPECT_EQ(err != 0, faulty[i]) << i;
    }
    int32_t err = -1;
    ctx.Values[1] = 9;
    EXPECT_EQ(p.Evaluate(ctx, ExprStrings{}, el, w.Env, err), 1);
    EXPECT_EQ(err, 0);
}

} // namespace
