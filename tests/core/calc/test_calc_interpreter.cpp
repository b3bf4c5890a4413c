// Calculate statements: cutting lines, parsing targets and command words,
// conditions, assignments of every attribute type, control flow.
#include "test_calc_support.h"

#include <gtest/gtest.h>

using namespace calctest;

namespace {

std::vector<std::string> Texts(const std::string& line)
{
    std::vector<std::string> out;
    for (const auto& s : SplitRelationLine(line)) out.push_back(s.Text);
    return out;
}

TCalcStatement Parse(const std::string& text, int kind = CalcKindNode, const TNetwork* net = nullptr)
{
    TExprEnvironment env;
    if (net) {
        env.NodeClasses = net->NodeClasses.get();
        env.LinkClasses = net->LinkClasses.get();
    }
    TCalcStatement st;
    ParseCalcStatement(text, kind, 1, env, st);
    return st;
}

// One node of class 1 running line 1 (and more lines when the range says).
struct World {
    TNetwork net;
    TCalcProgram p;
    TNode* n;
    World()
    {
        DefineSchema(net);
        n = Node(net, 0, 0, 1);
        NodeRange(p, 1, 1, 1);
    }
    TCalcSummary RunLine(const std::string& line)
    {
        p.CalcLines[1] = line;
        return RunProgram(net, p);
    }
    double V(int i) const { return p.Variables[size_t(i)]; }
};

} // namespace

TEST(CalcStatements, LinesAreCutAtColonsOutsideQuotesAndAtConjunctionsAnywhere)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(Texts(""), V{});
    EXPECT_EQ(Texts("A4 = 'a:b': A1 = {1/2/3 4:5:6}"), (V{"A4 = 'a:b'", " A1 = {1/2/3 4:5:6}"}));
    EXPECT_EQ(Texts("IF = A1 > 5 THEN A2 = 1 ELSE A2 = 2"), (V{"IF = A1 > 5 ", " A2 = 1 ", " A2 = 2"}));
    EXPECT_EQ(Texts("A4 = 'ELSEWHERE'"), (V{"A4 = '", "WHERE'"}));
    EXPECT_EQ(Texts("a1 = 1 also a2 = 2:"), (V{"a1 = 1 ", " a2 = 2", ""}));
    EXPECT_EQ(Texts("A4 = '''''''''''''''''' : A1 = 1").size(), 1u); // past 16 quotes
    auto parts = SplitRelationLine("X ELSE Y ALSO Z THEN W");
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[1].After, ConjElse);
    EXPECT_EQ(parts[2].After, ConjAlso);
    EXPECT_EQ(parts[3].After, ConjThen);
}

TEST(CalcStatements, TargetsAndCommandWordsAreRecognised)
{
    const struct {
        const char* Text;
        int Code, Operand;
    } cases[] = {
        {"a1=2", CalcAttribute, 1}, {" Ab = 2", CalcAttribute, 11}, {"B1 = 2", CalcAttribute, 36},
        {"cu = 2", CalcAttribute, 100}, {"vz = 2", CalcVariable, 35}, {"IF = A1", CalcCondition, 0},
        {"V0 = 1", CalcCondition, 0}, {"ENTITY = 2", CalcClass, 0}, {"A0 = 3", CalcLayer, 0},
        {"call 3", CalcCall, 0}, {"BEEP", CalcBeep, 0}, {"cclk", CalcCclk, 0}, {"ENDE", CalcEnd, 0},
        {" DOLS 2", CalcDols, 0}, {"  ", CalcNone, 0},
    };
    for (const auto& c : cases) {
        TCalcStatement st = Parse(c.Text);
        EXPECT_EQ(st.Code, c.Code) << c.Text;
        EXPECT_EQ(st.Operand, c.Operand) << c.Text;
        EXPECT_FALSE(st.ParseError) << c.Text;
    }
    EXPECT_EQ(Parse("call 3").Expression, " 3");
    for (const char* bad : {"X = 5", "A1 5", "hello"}) EXPECT_TRUE(Parse(bad).ParseError) << bad;
    // Aliases name targets by the entity's kind and class.
    TNetwork net;
    DefineSchema(net);
    EXPECT_EQ(Parse("pop = 3", CalcKindNode, &net).Operand, 1);
    EXPECT_EQ(Parse("speed = 3", CalcKindLink, &net).Operand, 1);
    EXPECT_TRUE(Parse("speed = 3", CalcKindNode, &net).ParseError);
}

TEST(CalcStatements, ConditionsElseAndAlso)
{
    for (double a1 : {7.0, 3.0}) {
        World w;
        Set(w.n, 1, a1);
        w.RunLine("IF = A1 > 5 THEN A2 = 1 : A3 = 'B' ELSE A2 = 2");
        EXPECT_EQ(Val(w.n, 2), a1 > 5 ? 1 : 2);
        EXPECT_EQ(UnpackShortText(w.n->Values[2])[0], a1 > 5 ? 'B' : ' ');
    }
    World w;
    // ALSO turns execution back on and clears V0; V0 starts each line at 1.
    NodeRange(w.p, 1, 1, 2);
    w.p.CalcLines[2] = "V6 = V0";
    w.RunLine("IF = 0 THEN A2 = 1 ALSO V2 = V0 + 10");
    EXPECT_EQ(w.V(2), 10);
    EXPECT_EQ(w.V(6), 1);
    EXPECT_EQ(Val(w.n, 2), 0);
    // A condition is evaluated even while execution is off.
    w.RunLine("IF = 0 : IF = 1 : A1 = 42");
    EXPECT_EQ(Val(w.n, 1), 42);
    // After a CALL the ELSE still belongs to the condition before it.
    w.p.CalcLines[3] = "V3 = V3 + 1";
    w.RunLine("IF = 1 THEN CALL 3 ELSE V4 = 1");
    EXPECT_EQ(w.V(3), 1);
    EXPECT_EQ(w.V(4), 0);
    // Any value but 0 holds, a negative one too; the condition is V0.
    w.RunLine("IF = -1 THEN A1 = 5 : V7 = V0");
    EXPECT_EQ(Val(w.n, 1), 5);
    EXPECT_EQ(w.V(7), -1);
    // ALSO clears V0 after a condition that held as well.
    w.RunLine("IF = 3 THEN A2 = 7 ALSO V5 = V0 + 10");
    EXPECT_EQ(Val(w.n, 2), 7);
    EXPECT_EQ(w.V(5), 10);
}

TEST(CalcStatements, AssignmentsOfEveryAttributeType)
{
    World w;
    w.n->Values[2] = PackShortText("XYZ");
    EXPECT_EQ(w.RunLine("A1 = 2.5 * 2: A2 = 2.5: A3 = 'A?C': A4 = 'hello world': A5 = {3/4/2021}").Errors, 0);
    EXPECT_EQ(Val(w.n, 1), 5);
    EXPECT_EQ(Val(w.n, 2), 2); // integers round halves to even
    EXPECT_EQ(UnpackShortText(w.n->Values[2]).substr(0, 3), "AYC");
    EXPECT_EQ(w.n->Strings[0], "hello world");
    EXPECT_EQ(DateTimeText(w.n->Values[4], false, DateTimeModeDate), "3/4/2021");
    EXPECT_TRUE(w.net.Modified);

    Set(w.n, 2, 3.5); // integers read rounded
    w.RunLine("V1 = A2: A0 = 4: V2 = A0: A0 = 11");
    EXPECT_EQ(w.V(1), 4);
    EXPECT_EQ(w.V(2), 4);
    EXPECT_EQ(w.n->Layer, 4);

    // Errors store nothing and the line goes on: a date that does not parse
    // or does not exist, an attribute beyond the class, expression errors, no target, no "=".
    const TValueSlot date = w.n->Values[4];
    for (const char* bad : {"A5 = {1?/2/2020}", "A5 = {2/30/2004}", "A5 = {13/45/2000}", "A5 =", "A9 = 1", "A1 = 1 +", "A1 = 1/0", "Q = 1", "A1 1"}) {
        Set(w.n, 1, 7);
        w.p.Variables[5] = 0;
        EXPECT_EQ(w.RunLine(std::string(bad) + ": V5 = 12").Errors, 1) << bad;
        EXPECT_EQ(Val(w.n, 1), 7) << bad;
        EXPECT_EQ(w.n->Values[4], date) << bad;
        EXPECT_EQ(w.V(5), 12) << bad;
    }
    EXPECT_EQ(w.RunLine("IF = 0 THEN A9 = 1").Errors, 0); // skipped: no error
}

// A string value read into the network's text storage: the assignment gives
// the node values of its own and leaves the stored ones as they were.
TEST(CalcStatements, StringAssignmentToStoredValues)
{
    World w;
    const std::vector<std::string> texts{"stored value"};
    w.n->Strings.AssignStored(texts.begin(), texts.end(), w.net.Store.Texts);
    const std::string_view stored = w.n->Strings[0];
    EXPECT_EQ(w.RunLine("A4 = 'assigned'").Errors, 0);
    EXPECT_EQ(w.n->Strings[0], "assigned");
    EXPECT_FALSE(w.n->Strings.IsStored());
    EXPECT_EQ(stored, "stored value");
}

// A text longer than a network file keeps is cut as it is assigned: the
// element, the system and the statements after it read what the file will.
TEST(CalcStatements, AStringAssignmentIsHeldToWhatTheFileKeeps)
{
    World w;
    const std::string longer = "Martin Luther King Jr Drive South Side";
    const std::string held = longer.substr(0, 30);
    SystemRange(w.p, 1, 2, 2);
    w.p.CalcLines[2] = "A3 = '" + longer + "'";
    EXPECT_EQ(w.RunLine("A4 = '" + longer + "': IF = A4 = '" + held + "' THEN V1 = 1").Errors, 0);
    EXPECT_EQ(w.n->Strings[0], held);
    EXPECT_EQ(w.V(1), 1);
    ASSERT_EQ(w.net.SystemStrings.size(), 1u);
    EXPECT_EQ(w.net.SystemStrings[0], held);
}

TEST(CalcStatements, ClassChangeResizesTheValueBlockFirst)
{
    World w;
    Set(w.n, 1, 11);
    w.n->Strings.Set(0, "text");
    NodeRange(w.p, 3, 1, 1);
    // Class 3 has six attributes: the block grows before slot 6 is written,
    // and the statements after the change use class 3.
    w.RunLine("ENTITY = 3: A6 = 66: A1 = A1 + 1");
    ASSERT_EQ(w.n->EntityType, 3);
    ASSERT_EQ(SlotCount(*w.n), 6);
    EXPECT_EQ(Val(w.n, 1), 12);
    EXPECT_EQ(Val(w.n, 6), 66);
    EXPECT_TRUE(w.n->Strings.empty());
    w.RunLine("P0 = 2: A3 = 3"); // down to three attributes
    ASSERT_EQ(SlotCount(*w.n), 3);
    NodeRange(w.p, 2, 1, 1);
    EXPECT_EQ(w.RunLine("P0 = 4: A3 = 5").Errors, 0); // no class 4: nothing
    EXPECT_EQ(w.n->EntityType, 2);
    EXPECT_EQ(Val(w.n, 3), 5);
}

TEST(CalcStatements, CallSkipGotoEndAndStop)
{
    World w;
    NodeRange(w.p, 1, 1, 4);
    w.p.CalcLines[2] = "V1 = V1 + 10";
    w.p.CalcLines[3] = "V1 = V1 + 100";
    w.p.CalcLines[4] = "V1 = V1 + 1000";
    w.p.CalcLines[6] = "V2 = V2 + 1: CALL 7: V2 = V2 + 2";
    w.p.CalcLines[7] = "V3 = 5";
    // CALL runs a line outside the range and comes back; a CALL inside a
    // called line does nothing.
    EXPECT_EQ(w.RunLine("CALL 6: V4 = 1: SKIP 1").Errors, 0);
    EXPECT_EQ(w.V(2), 3);
    EXPECT_EQ(w.V(3), 0);
    EXPECT_EQ(w.V(4), 1);
    EXPECT_EQ(w.V(1), 1100);

    // Line 1 as given; the errors, and V1 as lines 2..4 leave it.
    const struct {
        const char* Line;
        int Errors;
        double V1;
    } cases[] = {
        {"CALL 11", 1, 1110},    {"SKIP 0: V5 = 1", 0, 1110}, {"GOTO 4", 0, 1000},
        {"GOTO 5", 0, 0},        {"GOTO 5: V1 = 7", 1, 1117}, {"SKIP 3", 0, 0},
        {"SKIP 4", 1, 1110},     {"GOTO 0", 1, 1110},         {"", 0, 1110},
    };
    for (const auto& c : cases) {
        w.p.Variables = {};
        EXPECT_EQ(w.RunLine(c.Line).Errors, c.Errors) << c.Line;
        EXPECT_EQ(w.V(1), c.V1) << c.Line;
        EXPECT_EQ(w.V(5), 0) << c.Line;
    }

    // END ends the entity; STOP also ends the run.
    Node(w.net, 50, 50, 1);
    w.p.Variables = {};
    EXPECT_EQ(w.RunLine("V1 = V1 + 1: END: V2 = 1").Nodes, 2);
    EXPECT_EQ(w.V(1), 2);
    EXPECT_EQ(w.V(2), 0);
    w.p.Variables = {};
    EXPECT_EQ(w.RunLine("V1 = V1 + 1: STOP: V2 = 1").Nodes, 1);
    EXPECT_EQ(w.V(1), 1);
    // A range with a 0 runs nothing, counts nothing.
    NodeRange(w.p, 1, 0, 3);
    EXPECT_EQ(CalcSummaryText(w.RunLine("V2 = 1")), "Processed: 0 Links; 0 Nodes; 0 Systems; 0 Errors.");
}
