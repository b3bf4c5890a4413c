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

TCalcStatement Parse(const std::string& text, int kind = CalcKindNode, int cls = 1, const TNetwork* net = nullptr)
{
    TExprEnvironment env;
    if (net) {
        env.NodeClasses = net->NodeClasses.get();
        env.LinkClasses = net->LinkClasses.get();
        env.SystemClass = net->SystemClass.get();
    }
    TCalcStatement st;
    ParseCalcStatement(text, kind, cls, env, st);
    return st;
}

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
    TCalcSummary RunLine(const std::string& line, RecordingHost* host = nullptr)
    {
        p.CalcLines[1] = line;
        return RunProgram(net, p, host);
    }
};

} // namespace

TEST(CalcStatements, LinesAreCutAtColonsOutsideQuotesAndAtConjunctionsAnywhere)
{
    EXPECT_EQ(Texts(""), std::vector<std::string>{});
    EXPECT_EQ(Texts("A1 = 1: A2 = 2"), (std::vector<std::string>{"A1 = 1", " A2 = 2"}));
    EXPECT_EQ(Texts("A4 = 'a:b': A1 = {1/2/3 4:5:6}"), (std::vector<std::string>{"A4 = 'a:b'", " A1 = {1/2/3 4:5:6}"}));
    EXPECT_EQ(Texts("IF = A1 > 5 THEN A2 = 1 ELSE A2 = 2"),
              (std::vector<std::string>{"IF = A1 > 5 ", " A2 = 1 ", " A2 = 2"}));
    EXPECT_EQ(Texts("A4 = 'ELSEWHERE'"), (std::vector<std::string>{"A4 = '", "WHERE'"}));
    EXPECT_EQ(Texts("a1 = 1 also a2 = 2:"), (std::vector<std::string>{"a1 = 1 ", " a2 = 2", ""}));
    auto parts = SplitRelationLine("X ELSE Y ALSO Z THEN W");
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0].After, ConjNone);
    EXPECT_EQ(parts[1].After, ConjElse);
    EXPECT_EQ(parts[2].After, ConjAlso);
    EXPECT_EQ(parts[3].After, ConjThen);
    // More than 16 quote characters: a colon no longer cuts.
    EXPECT_EQ(Texts("A4 = '''''''''''''''''' : A1 = 1").size(), 1u);
}

TEST(CalcStatements, TargetsAndCommandWordsAreRecognised)
{
    struct Case {
        const char* Text;
        int Code, Operand;
    } cases[] = {
        {"A1 = 2", CalcAttribute, 1}, {"a1=2", CalcAttribute, 1}, {" Ab = 2", CalcAttribute, 11},
        {"B1 = 2", CalcAttribute, 36}, {"cu = 2", CalcAttribute, 100}, {"V1 = 2", CalcVariable, 1},
        {"vz = 2", CalcVariable, 35}, {"IF = A1", CalcCondition, 0}, {"V0 = 1", CalcCondition, 0},
        {"P0 = 2", CalcClass, 0}, {"A0 = 3", CalcLayer, 0}, {"ENTITY = 2", CalcClass, 0},
        {"call 3", CalcCall, 0}, {"CALL3", CalcCall, 0}, {"BEEP", CalcBeep, 0}, {"cclk", CalcCclk, 0},
        {"CLKW", CalcClkw, 0}, {"END", CalcEnd, 0}, {"ENDE", CalcEnd, 0}, {"STOP", CalcStop, 0},
        {" DOLS 2", CalcDols, 0}, {"SKIP", CalcSkip, 0}, {"  ", CalcNone, 0},
    };
    for (const Case& c : cases) {
        TCalcStatement st = Parse(c.Text);
        EXPECT_EQ(st.Code, c.Code) << c.Text;
        EXPECT_EQ(st.Operand, c.Operand) << c.Text;
        EXPECT_FALSE(st.ParseError) << c.Text;
    }
    EXPECT_EQ(Parse("call 3").Expression, " 3");
    EXPECT_EQ(Parse("A1 = B2 + 1").Expression, " B2 + 1");
    EXPECT_TRUE(Parse("X = 5").ParseError);
    EXPECT_TRUE(Parse("A1 5").ParseError);
    EXPECT_TRUE(Parse("hello").ParseError);

    // Aliases name targets by the entity's class.
    TNetwork net;
    DefineSchema(net);
    TCalcStatement st = Parse("pop = 3", CalcKindNode, 1, &net);
    EXPECT_EQ(st.Code, CalcAttribute);
    EXPECT_EQ(st.Operand, 1);
    EXPECT_EQ(Parse("speed = 3", CalcKindLink, 1, &net).Operand, 1);
    EXPECT_TRUE(Parse("speed = 3", CalcKindNode, 1, &net).ParseError);
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
    Set(w.n, 1, 3);
    // ALSO turns execution back on and clears V0; V0 starts each line at 1.
    w.p.CalcLines[2] = "V6 = V0";
    w.RunLine("IF = A1 > 5 THEN A2 = 1 ALSO V2 = V0 + 10");
    NodeRange(w.p, 1, 1, 2);
    w.RunLine("IF = A1 > 5 THEN A2 = 1 ALSO V2 = V0 + 10");
    EXPECT_EQ(w.p.Variables[2], 10);
    EXPECT_EQ(w.p.Variables[6], 1);
    EXPECT_EQ(Val(w.n, 2), 0);
    // A condition is evaluated even while execution is off.
    w.RunLine("IF = 0 : IF = 1 : A2 = 42");
    EXPECT_EQ(Val(w.n, 2), 42);
    // After a CALL the ELSE still belongs to the condition before it.
    w.p.CalcLines[3] = "V3 = V3 + 1";
    w.RunLine("IF = 1 THEN CALL 3 ELSE V4 = 1");
    EXPECT_EQ(w.p.Variables[3], 1);
    EXPECT_EQ(w.p.Variables[4], 0);
}

TEST(CalcStatements, AssignmentsOfEveryAttributeType)
{
    World w;
    w.n->Values[2] = PackShortText("XYZ");
    TCalcSummary s = w.RunLine("A1 = 2.5 * 2: A2 = 2.5: A3 = 'A?C': A4 = 'hello world': A5 = {3/4/2021}");
    EXPECT_EQ(s.Errors, 0);
    EXPECT_EQ(Val(w.n, 1), 5);
    EXPECT_EQ(Val(w.n, 2), 2); // rounded, halves to even
    EXPECT_EQ(UnpackShortText(w.n->Values[2]).substr(0, 3), "AYC");
    EXPECT_EQ(w.n->Strings[0], "hello world");
    TDateTimeParts d = UnpackDateTime(w.n->Values[4]);
    EXPECT_EQ(d.Month, 3);
    EXPECT_EQ(d.Day, 4);
    EXPECT_EQ(d.Year, 121);
    EXPECT_TRUE(w.net.Modified);

    // Integer attributes read back rounded; variables and layers.
    Set(w.n, 2, 3.5);
    s = w.RunLine("V1 = A2: A0 = 4: V2 = A0: A0 = 11");
    EXPECT_EQ(w.p.Variables[1], 4);
    EXPECT_EQ(w.n->Layer, 4);
    EXPECT_EQ(w.p.Variables[2], 4);

    // A date that does not parse is an error and stores nothing.
    const TValueSlot before = w.n->Values[4];
    for (const char* bad : {"A5 = {1?/2/2020}", "A5 ="}) {
        s = w.RunLine(bad);
        EXPECT_EQ(s.Errors, 1) << bad;
        EXPECT_EQ(w.n->Values[4], before) << bad;
    }

    // Errors: attribute beyond the class, expression error, no target.
    for (const char* bad : {"A9 = 1", "A1 = 1 +", "A1 = 1/0", "Q = 1", "A1 1"}) {
        Set(w.n, 1, 7);
        s = w.RunLine(std::string(bad) + ": V5 = 12");
        EXPECT_EQ(s.Errors, 1) << bad;
        EXPECT_EQ(Val(w.n, 1), 7) << bad;
        EXPECT_EQ(w.p.Variables[5], 12) << bad; // the run goes on
    }
    // A skipped statement with a bad target is no error.
    EXPECT_EQ(w.RunLine("IF = 0 THEN A9 = 1").Errors, 0);
}

TEST(CalcStatements, ClassChangeResizesTheValueBlockFirst)
{
    World w;
    Set(w.n, 1, 11);
    Set(w.n, 2, 22);
    w.n->Strings[0] = "text";
    NodeRange(w.p, 3, 1, 1);
    // Class 3 has six attributes: the block grows before slots 4..6 are
    // written, and the statements after the change use class 3.
    w.RunLine("ENTITY = 3: A6 = 66: A1 = A1 + 1");
    ASSERT_EQ(w.n->EntityType, 3);
    ASSERT_EQ(SlotCount(*w.n), 6);
    EXPECT_EQ(Val(w.n, 1), 12);
    EXPECT_EQ(Val(w.n, 2), 22);
    EXPECT_EQ(Val(w.n, 6), 66);
    EXPECT_TRUE(w.n->Strings.empty());
    // Down to class 2 (three attributes); beyond the defined classes nothing.
    w.RunLine("P0 = 2: A3 = 3");
    ASSERT_EQ(w.n->EntityType, 2);
    ASSERT_EQ(SlotCount(*w.n), 3);
    w.p.CalcRanges[0].Begin[2] = 1;
    w.p.CalcRanges[0].End[2] = 1;
    TCalcSummary s = w.RunLine("P0 = 4: A3 = 5");
    EXPECT_EQ(w.n->EntityType, 2);
    EXPECT_EQ(Val(w.n, 3), 5);
    EXPECT_EQ(s.Errors, 0);
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
    EXPECT_EQ(w.p.Variables[2], 3);
    EXPECT_EQ(w.p.Variables[3], 0);
    EXPECT_EQ(w.p.Variables[4], 1);
    EXPECT_EQ(w.p.Variables[1], 1100); // SKIP 1 jumped over line 2

    w.p.Variables = {};
    EXPECT_EQ(w.RunLine("CALL 11").Errors, 1);
    EXPECT_EQ(w.p.Variables[1], 1110);

    w.p.Variables = {};
    w.RunLine("SKIP 0: V5 = 1"); // skips the rest of the line
    EXPECT_EQ(w.p.Variables[5], 0);
    EXPECT_EQ(w.p.Variables[1], 1110);

    w.p.Variables = {};
    EXPECT_EQ(w.RunLine("GOTO 4").Errors, 0);
    EXPECT_EQ(w.p.Variables[1], 1000);
    w.p.Variables = {};
    EXPECT_EQ(w.RunLine("GOTO 5").Errors, 0); // one past the range: the entity ends
    EXPECT_EQ(w.p.Variables[1], 0);
    w.p.Variables = {};
    EXPECT_EQ(w.RunLine("GOTO 5: V1 = 7").Errors, 1); // not the last statement
    EXPECT_EQ(w.p.Variables[1], 1117);
    w.p.Variables = {};
    EXPECT_EQ(w.RunLine("SKIP 3").Errors, 0); // past End from the last statement
    EXPECT_EQ(w.p.Variables[1], 0);
    EXPECT_EQ(w.RunLine("SKIP 4").Errors, 1);
    EXPECT_EQ(w.RunLine("GOTO 0").Errors, 1);

    // END ends the entity; STOP also ends the run.
    TNode* second = Node(w.net, 50, 50, 1);
    (void)second;
    w.p.Variables = {};
    TCalcSummary s = w.RunLine("V1 = V1 + 1: END: V2 = 1");
    EXPECT_EQ(s.Nodes, 2);
    EXPECT_EQ(w.p.Variables[1], 2);
    EXPECT_EQ(w.p.Variables[2], 0);
    w.p.Variables = {};
    s = w.RunLine("V1 = V1 + 1: STOP: V2 = 1");
    EXPECT_EQ(s.Nodes, 1);
    EXPECT_EQ(w.p.Variables[1], 1);
}

TEST(CalcStatements, EmptyLinesAreSkippedAndEmptyRangesRunNothing)
{
    World w;
    NodeRange(w.p, 1, 1, 3);
    w.p.CalcLines[3] = "V1 = 3";
    TCalcSummary s = w.RunLine("");
    EXPECT_EQ(w.p.Variables[1], 3);
    EXPECT_EQ(s.Nodes, 1);
    NodeRange(w.p, 1, 0, 3);
    s = w.RunLine("V2 = 1");
    EXPECT_EQ(s.Nodes, 0);
    EXPECT_EQ(s.Systems, 0);
    EXPECT_EQ(w.p.Variables[2], 0);
    TCalcProgram fresh;
    s = RunProgram(w.net, fresh);
    EXPECT_EQ(CalcSummaryText(s), "Processed: 0 Links; 0 Nodes; 0 Systems; 0 Errors.");
}
