// The prepared evaluator against the reference: thousands of generated
// expressions, valid and broken, over random contexts must give the same
// value bit for bit and the same error position.
#include "core/expr/Expression.h"
#include "test_expr_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace exprtest;

namespace {

class Generator {
public:
    explicit Generator(uint64_t seed) : R(seed) {}
    std::mt19937_64 R;

    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(R); }
    bool Chance(int percent) { return Int(0, 99) < percent; }
    template <class T>
    const T& Pick(const std::vector<T>& v) { return v[Int(0, static_cast<int>(v.size()) - 1)]; }

    std::string Blank() { return Chance(30) ? std::string(Int(1, 2), ' ') : ""; }
    char Symbol() { return "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[Int(0, 35)]; }

    std::string Number()
    {
        switch (Int(0, 9)) {
        case 0: return std::to_string(Int(0, 3));
        case 1: return std::to_string(Int(0, 1000)) + "." + std::to_string(Int(0, 99));
        case 2: return std::to_string(Int(1, 9)) + "E" + Pick<std::string>({"+", "-", ""}) + std::to_string(Int(0, 400));
        case 3: return Pick<std::string>({"1E", "1.2.3", "5 6", ".", ".5", "1.", "2E*3", "0.0"});
        default: return std::to_string(Int(0, 20));
        }
    }
    std::string Text()
    {
        std::string t = "'";
        int n = Int(0, 4);
        for (int i = 0; i < n; ++i) t += "AB?c :"[Int(0, 5)];
        if (!Chance(5)) t += "'";
        return t;
    }
    std::string Date()
    {
        auto part = [&](int hi) { return Chance(25) ? std::string("?") : std::to_string(Int(0, hi)); };
        std::string d = "{" + part(13) + "/" + part(32) + "/" + part(2030);
        if (Chance(30)) d += "," + part(24) + ":" + part(60) + ":" + part(60);
        if (Chance(3)) d += std::string(30, ' ');
        if (!Chance(5)) d += "}";
        return d;
    }
    std::string Attribute()
    {
        std::string s(1, "AAAABCPVS"[Int(0, 8)]);
        s += Symbol();
        if (Chance(10)) s += "_" + std::string(1, s[0]) + Symbol();
        return s;
    }
    std::string Property()
    {
        std::string s(1, Chance(50) ? 'N' : 'L');
        s += "EFGKLMSXYIJPQ@$^_[-|;~R()B?"[Int(0, 26)];
        return s;
    }
    std::string Word()
    {
        return Pick<std::string>({"speed", "FAST", "Q", "toll", "serial", "LAYER", "NodeX", "Length",
                                  "Azimuth", "Entity", "Perimeter", "Elev", "Long"});
    }
    std::string Operand(int depth)
    {
        int k = Int(0, depth > 3 ? 8 : 11);
        switch (k) {
        case 0:
        case 1: return Number();
        case 2: return Text();
        case 3: return Date();
        case 4: return Attribute();
        case 5: return Property();
        case 6: return Word();
        case 7: return Chance(5) ? std::string(1, "?$@;~{}[]"[Int(0, 8)]) : Number();
        case 8: return Chance(50) ? "-" + Operand(depth + 1) : Number();
        case 9: {
            std::string f = exprops::FunctionNames[Int(0, 32)];
            if (Chance(10)) f.pop_back();
            return f + Blank() + (Chance(50) ? Operand(depth + 1) : "(" + Expression(depth + 1) + ")");
        }
        default: {
            std::string s = "(" + Expression(depth + 1);
            if (!Chance(5)) s += ")";
            return s;
        }
        }
    }
    std::string Expression(int depth)
    {
        static const std::vector<std::string> ops = {"+", "-", "#", "=", "<", ">", "<=", ">=", "<>", "*",
                                                     "/", "%", "&", "|", " D ", " M ", "^", "^-"};
        std::string s = Blank() + Operand(depth);
        int n = Int(0, depth > 2 ? 1 : 4);
        for (int i = 0; i < n; ++i) s += Blank() + Pick(ops) + Blank() + Operand(depth);
        return s;
    }
    std::string Top()
    {
        std::string s = (Chance(10) ? "+" : "") + Expression(0);
        if (Chance(5)) s += Pick<std::string>({")", " 7", "'", "A"});
        if (Chance(30)) {
            for (char& c : s)
                if (Chance(30) && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        return s;
    }

    void RandomContext(ExpressionContext& ctx, std::array<std::string, ExprSlots>& store, ExprStrings& strings)
    {
        static const std::vector<int32_t> kinds = {0, 0, 0, -1, 1, 2, 3, 8, 15, 16, 17, 18, 19};
        for (int i = 0; i < ExprSlots; ++i) {
            ctx.Kinds[i] = Pick(kinds);
            ctx.Parameters[i] = Int(-5, 5) * 0.5;
            ctx.Variables[i] = Chance(10) ? 1e300 : Int(-3, 3);
            int32_t k = ctx.Kinds[i];
            if (k >= 1 && k <= 15) {
                char b[8];
                for (char& c : b) c = "AB? \x01"[Int(0, 4)];
                ctx.Values[i] = Packed(b);
            } else if (k >= 16 && k <= 18) {
                ctx.Values[i] = PackedDate(Chance(20) ? 0 : Int(1990, 2030), Chance(20) ? 255 : Int(1, 12),
                                           Chance(20) ? 255 : Int(1, 28));
            } else {
                ctx.Values[i] = Chance(20) ? 0 : (Chance(5) ? 1e300 : Int(-100, 100) * 0.25);
            }
            store[i] = std::string(Int(0, 3), 'A') + (Chance(50) ? "B?" : "");
            strings[i] = store[i];
        }
    }
};

struct DiffWorld : World {
    FakeElement Node, Link;
    DiffWorld()
    {
        TClassRecord& nc = NodeClasses[2];
        for (int i = 1; i <= 11; ++i) AddAttribute(nc, 'R', "");
        AddAttribute(nc, 'R', "Speed");
        AddAttribute(nc, 'C', "FAST", 3);
        AddAttribute(nc, 'R', "Q");
        AddAttribute(LinkClasses[2], 'R', "Speed");
        TClassRecord& sys = SystemClass[1];
        AddAttribute(sys, 'R', "Toll");
        AddAttribute(sys, 'C', "", 2);
        AddAttribute(sys, 'S', "");
        AddAttribute(sys, 'X', "");
        SystemValues[1].SetReal(1.5);
        SystemValues[2].SetReal(Packed("XY      "));
        SetSystemString(3, "SYSTEM");
        SystemValues[4].SetReal(PackedDate(2001, 5, 6));
        Layers = {0, 1, 20, 3, 0, 5, 6, 7, 8, 9, 10};
        Node.Class = 2;
        Node.Numbers = {{'F', 3}, {'K', 2}, {'L', 2}, {'M', 12.5}, {'X', 10}, {'Y', -4}, {'@', 7}, {'[', 2}};
        Node.Name = "N1";
        Node.Note1 = "NOTE";
        Link.Class = 2;
        Link.Numbers = {{'F', 3}, {'G', 4}, {'K', 2}, {'L', 5.5}, {'@', 90}, {'E', 1}};
        Link.Name = "MAIN";
    }
};

bool SameBits(double a, double b) { return std::memcmp(&a, &b, 8) == 0; }

} // namespace

TEST(ExpressionDifferential, PreparedMatchesReference)
{
    DiffWorld w;
    Generator g(20261207);
    int withError = 0, withoutError = 0, total = 0;
    std::array<std::string, ExprSlots> store;
    for (int n = 0; n < 4000; ++n) {
        std::string text = g.Top();
        int modeNo = g.Int(0, 2);
        TExprElement el = modeNo == 0 ? NodeOf(w.Node) : modeNo == 1 ? LinkOf(w.Link) : TExprElement{};
        ExprMode mode = el.Mode();
        int classNo = mode == ExprMode::System ? 1 : 2;
        ExpressionContext ctx;
        ExprStrings strings{};
        g.RandomContext(ctx, store, strings);
        TPreparedExpression prepared;
        prepared.Prepare(text, classNo, mode, ctx.Kinds, w.Env);
        for (int c = 0; c < 3; ++c) {
            if (c > 0) {
                // New values of the same kinds; now and then other kinds too,
                // which the prepared program hands to the reference.
                std::array<int32_t, ExprSlots> kinds = ctx.Kinds;
                g.RandomContext(ctx, store, strings);
                if (!g.Chance(20)) ctx.Kinds = kinds;
            }
            uint64_t seed = g.R();
            std::mt19937_64 r1(seed), r2(seed);
            TExprEnvironment e1 = w.Env, e2 = w.Env;
            e1.Random = &r1;
            e2.Random = &r2;
            std::string t = text;
            int32_t err1 = -1, err2 = -1;
            double v1 = EvaluateExpression(t, err1, ctx, strings, el, e1);
            double v2 = prepared.Evaluate(ctx, strings, el, e2, err2);
            ASSERT_EQ(err1, err2) << "text [" << text << "] rewritten [" << t << "] mode " << modeNo;
            ASSERT_TRUE(SameBits(v1, v2)) << "text [" << text << "] " << v1 << " vs " << v2;
            ASSERT_EQ(t, prepared.Rewritten());
            (err1 ? withError : withoutError)++;
            ++total;
        }
    }
    // The generator must exercise both outcomes in earnest.
    EXPECT_GT(withError, total / 10);
    EXPECT_GT(withoutError, total / 10);
}

TEST(ExpressionDifferential, EdgeCasesMatch)
{
    DiffWorld w;
    const char* texts[] = {"", "+", "++1", "1+", "-", "((((", "))", "'", "{", "{}", "A", "A_", "A1_", "A1_A",
                           "S", "SX", "N", "L", "LEFT", "LEFT'A'", "NOT", "!", "E", "1E", "1E+", ".",
                           "A1_AZ", "P0_PZ", "V0_VZ", "S1+S2", "S2='XY'", "S3>'YS'", "YEAR S4", "S4<{1/1/2002}",
                           "NB", "LB='MAIN'", "N(", "L(", "NK+LK", "SPEED+FAST", "Q", "- -1", "-'A'='A'",
                           "1=1=1", "'A'='A'='A'", "(1/0)", "RAND 5 + RAND 5", "LAYER 2 + LAYER 1",
                           "SQRT SQRT 16", "FACT FACT 3", "1 2", "2 ^ 3 ^ -1"};
    ExpressionContext ctx;
    ExprStrings strings{};
    for (int i = 0; i < ExprSlots; ++i) ctx.Values[i] = i;
    for (const char* text : texts)
        for (int modeNo = 0; modeNo < 3; ++modeNo) {
            TExprElement el = modeNo == 0 ? NodeOf(w.Node) : modeNo == 1 ? LinkOf(w.Link) : TExprElement{};
            int classNo = el.Mode() == ExprMode::System ? 1 : 2;
            TPreparedExpression p;
            p.Prepare(text, classNo, el.Mode(), ctx.Kinds, w.Env);
            std::mt19937_64 r1(1), r2(1);
            TExprEnvironment e1 = w.Env, e2 = w.Env;
            e1.Random = &r1;
            e2.Random = &r2;
            std::string t = text;
            int32_t err1, err2;
            double v1 = EvaluateExpression(t, err1, ctx, strings, el, e1);
            double v2 = p.Evaluate(ctx, strings, el, e2, err2);
            EXPECT_EQ(err1, err2) << text << " mode " << modeNo;
            EXPECT_TRUE(SameBits(v1, v2)) << text << " mode " << modeNo;
        }
}
