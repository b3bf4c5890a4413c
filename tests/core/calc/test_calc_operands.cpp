// Built-in operands P0..P35 and lookups, and a differential test: programs
// run with prepared statements and step by step give the same network.
#include "test_calc_support.h"

#include <gtest/gtest.h>

using namespace calctest;

TEST(CalcOperands, ParameterStringsSelectBuiltInValues)
{
    TNetwork net;
    DefineSchema(net);
    net.SystemValues[10].SetReal(7.25);
    net.SystemValues[2].SetReal(2.5); // integer: read rounded
    TNode* a = Node(net, 30, 40);
    TNode* b = Node(net, 60, 80, 2);
    TLink* ab = Link(net, a, b);
    AddShapePoint(net, 30, 80, 0, ab);
    TCalcProgram p;
    // Node: X Y, system attribute 10 ('a' and 'A'), 2, 3 (a string: 0), the
    // kind, the serial, the link count; then a link: A and B ends.
    p.CalcParameters[0][1] = "XYaA23EFL";
    p.CalcLines[1] = "A1 = P1 * 1000 + P2: V1 = P3: V2 = P4: V3 = P5: V4 = P6: V5 = P7: V6 = P8: V7 = P9: V8 = P0";
    NodeRange(p, 1, 1, 1);
    p.CalcParameters[1][1] = "XYIJGHPQSE0L";
    p.CalcLines[2] = "A1 = P1 * 1000 + P2: A2 = P3 * 1000 + P4: Va = P5 * 10 + P6: Vb = P7 * 10 + P8: "
                     "Vc = P9: Vd = Pa: Ve = Pb: Vf = Pc";
    LinkRange(p, 1, 2, 2);
    EXPECT_EQ(RunProgram(net, p).Errors, 0);
    EXPECT_EQ(Val(a, 1), 30040);
    EXPECT_EQ(Val(ab, 1), 30040);
    EXPECT_EQ(Val(ab, 2), 60080);
    const double s1 = a->Serial, s2 = b->Serial;
    // V1..V8 from the node, Va..Vf from the link (the path: 40 down, 30 across).
    const std::vector<double> expected{7.25, 7.25, 2, 0, 0, s1, 1, 1, 0, s1 * 10 + s2, 12, 1, 1, 0, 70};
    EXPECT_EQ(std::vector<double>(p.Variables.begin() + 1, p.Variables.begin() + 16), expected);
}

TEST(CalcOperands, LookupTablesMatchRowsByCodeOrder)
{
    TNetwork net;
    DefineSchema(net);
    (*net.NodeClasses)[1].Attributes[3]->WorkSheet->Rows[1].Codes = "ABCDE";
    TLookupTable t;
    t.Parameter = 2;
    t.ClassIndex = 1;
    t.Attribute = 3;
    t.CodePosition = 1;
    t.Bottom.fill(' ');
    t.Top.fill(' ');
    t.Bottom[1] = t.Top[2] = '?'; // row 1 up to C, row 2 from D
    t.Top[1] = 'C';
    t.Bottom[2] = 'D';
    t.Values[1] = 10;
    t.Values[2] = 20;
    t.Otherwise = -1;
    auto lookup = [&](const char* code, int apply = 0, int position = 1) {
        TValueSlot slots[3] = {{}, {}, PackShortText(code)};
        TCalcOperands p{};
        p[2] = 99;
        TLookupTable u = t;
        u.ApplyOtherwise = apply;
        u.CodePosition = position;
        LookupTableValue(net, u, 0, slots, 3, p);
        return p[2];
    };
    EXPECT_EQ(lookup("A"), 10);
    EXPECT_EQ(lookup("C"), 10);
    EXPECT_EQ(lookup("E"), 20);
    EXPECT_EQ(lookup("Z"), 99);       // not an allowed code
    EXPECT_EQ(lookup("Z", 1), -1);    // ... Otherwise
    EXPECT_EQ(lookup(" ", 1), -1);    // a blank matches no row
    EXPECT_EQ(lookup("A", 1, 9), 99); // beyond the code: nothing, not even Otherwise
    t.Top[2] = 'D';
    EXPECT_EQ(lookup("E", 1), -1);

    // Numbers from a damaged file address nothing outside the operands,
    // the slots or the worksheet.
    for (auto [param, attr, pos, kind] : {std::array<int, 4>{99, 3, 1, 0}, {2, 500, 1, 0}, {2, 3, 40, 0},
                                          {2, 3, -1, 0}, {2, 3, 1, 9}, {-5, 3, 1, 0}}) {
        TLookupTable u = t;
        u.Parameter = param;
        u.Attribute = attr;
        u.CodePosition = pos;
        u.ClassKind = kind;
        u.ApplyOtherwise = 1;
        TValueSlot slots[3] = {{}, {}, PackShortText("A")};
        TCalcOperands p{};
        LookupTableValue(net, u, 0, slots, 3, p);
        for (int i = 3; i < CalcOperandCount; ++i) EXPECT_EQ(p[size_t(i)], 0);
    }

    // Through a run: tables of the entity's class fill their operands.
    TNode* n = Node(net, 0, 0);
    n->Values[2] = PackShortText("B");
    TCalcProgram p;
    p.LookupTables[1] = t;
    p.CalcLines[1] = "A1 = P2";
    NodeRange(p, 1, 1, 1);
    RunProgram(net, p);
    EXPECT_EQ(Val(n, 1), 10);
}

TEST(CalcOperands, LinkEndsAndPolygonOwnersCopyRelatedValues)
{
    TNetwork net;
    DefineSchema(net);
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100, 0);
    TNode* owner = Node(net, 50, 50, 2);
    TLink* ab = Link(net, a, b);
    Set(a, 2, 3);
    Set(b, 1, 4);
    b->Values[2] = PackShortText("C");
    Set(owner, 2, 8.5);
    Own(net, owner, {a, b});
    TCalcProgram p;
    TLookupTable& t = p.LookupTables[1];
    t.Parameter = 9;
    t.ClassIndex = t.CodePosition = 1;
    t.Attribute = 3;
    t.Bottom[1] = t.Top[1] = 'C';
    t.Values[1] = 33;
    // Link class 1 with ends of class 1: A's attribute 2 into P1, B's
    // attribute 3 through the lookup into P2.
    p.LinkEndsSets[1] = {1, 2, 2, 3, 0, 1, 1, 1};
    p.CalcLines[1] = "A1 = P1: A2 = P2";
    LinkRange(p, 1, 1, 1);
    // Vertices of class 1 owned by class 2: the owner's attribute 2 into P5.
    p.PolygonOwnerSets[1] = {5, 0, 2, 0, 0, 0, 1, 2};
    p.CalcLines[2] = "A1 = P5";
    NodeRange(p, 1, 2, 2);
    EXPECT_EQ(RunProgram(net, p).Errors, 0);
    EXPECT_EQ(Val(ab, 1), 3);
    EXPECT_EQ(Val(ab, 2), 33);
    EXPECT_EQ(Val(a, 1), 8.5);
    EXPECT_EQ(Val(b, 1), 8.5);
}

TEST(CalcOperands, PreparedAndStepByStepRunsAgree)
{
    // A network of every kind of element and a program that exercises
    // conditions, calls, loops, jumps, texts, dates and class changes.
    auto build = [](TNetwork& net, TCalcProgram& p) {
        DefineSchema(net);
        std::vector<TNode*> nodes;
        for (int i = 0; i < 24; ++i) {
            TNode* n = Node(net, (i * 37) % 400, (i * 53) % 300, 1 + i % 3);
            for (int k = 1; k <= SlotCount(*n); ++k)
                if ((*net.NodeClasses)[n->EntityType].Attributes[size_t(k)]->Kind == 'R') Set(n, k, i * 1.5 - k);
            nodes.push_back(n);
        }
        for (int i = 0; i + 1 < 24; i += 2) Link(net, nodes[size_t(i)], nodes[size_t(i + 1)]);
        for (int i = 1; i + 3 < 24; i += 3) Link(net, nodes[size_t(i)], nodes[size_t(i + 3)]);
        Own(net, nodes[5], {nodes[0], nodes[1], nodes[2]});
        p.CalcLines[1] = "V1 = V1 + 1: IF = S1 = 0 THEN A1 = 10 ELSE A1 = S1 * 2";
        SystemRange(p, 1, 1, 1);
        p.CalcLines[2] = "IF = pop > 10 THEN A2 = pop / 3 : A3 = 'B?' ELSE A4 = 'small' ALSO CALL 7";
        p.CalcLines[3] = "IF = NX > 200 THEN SKIP 1: A5 = {5/6/2020}";
        p.CalcLines[4] = "V2 = V2 + A1 + NF: DOLS 8";
        NodeRange(p, 1, 2, 4);
        p.CalcLines[5] = "A1 = A1 + A2 * A3 - P1: IF = A1 > 20 THEN P0 = 3: A6 = A1 ELSE GOTO 6";
        p.CalcLines[6] = "A2 = LEFT(NB, 0) + P2: V3 = V3 + A2";
        p.CalcParameters[0][2] = "XYa";
        NodeRange(p, 2, 5, 6);
        p.CalcLines[7] = "V4 = V4 + A2";
        p.CalcLines[8] = "A2 = A2 + 1";
        p.CalcLines[9] = "speed = LL / 10 + V1: A2 = speed > 5: IF = V2 < 2000 THEN REDO";
        LinkRange(p, 1, 9, 9);
        p.CalcLines[10] = "V5 = V5 + V2 / 7";
        SystemRange(p, 4, 10, 10);
        SystemRange(p, 5, 10, 10);
    };
    TNetwork fastNet, slowNet;
    TCalcProgram fast, slow;
    build(fastNet, fast);
    build(slowNet, slow);
    TCalcSummary a = RunProgram(fastNet, fast, nullptr, false);
    TCalcSummary b = RunProgram(slowNet, slow, nullptr, true);
    EXPECT_GT(a.Passes, 1);
    EXPECT_EQ(Counts(a) + " " + std::to_string(a.Passes), Counts(b) + " " + std::to_string(b.Passes));
    EXPECT_EQ(Snapshot(fastNet, fast), Snapshot(slowNet, slow));
}
