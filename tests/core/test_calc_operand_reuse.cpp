// The run loads an element's built-in operands once while the class has no
// parameter string, tables or sets; elements of such a class between those
// of a class with a parameter string must still see their own operands.
#include "core/CalcRun.h"
#include "test_calc_support.h"

#include <gtest/gtest.h>

using namespace calctest;

TEST(CalcOperandReuse, PlainAndParameterClassesInterleaved)
{
    TNetwork net;
    DefineSchema(net);
    std::vector<TNode*> nodes;
    for (int i = 0; i < 40; ++i) nodes.push_back(Node(net, (i * 7919) % 1000, (i * 104729) % 1000, 2 + i % 2));
    TLink* link = Link(net, nodes[0], nodes[1]);
    TCalcProgram p;
    p.CalcLines[1] = "A1 = P0 * 1000 + P1 + P2";
    NodeRange(p, 2, 1, 1);
    NodeRange(p, 3, 1, 1);
    p.CalcParameters[CalcKindNode][3] = "XY";
    p.CalcLines[2] = "A2 = P0 * 10 + P1";
    LinkRange(p, 1, 2, 2);
    EXPECT_EQ(RunProgram(net, p).Errors, 0);
    for (TNode* n : nodes) {
        if (n->EntityType == 2)
            EXPECT_EQ(Val(n, 1), 2000);
        else
            EXPECT_EQ(Val(n, 1), 3000 + n->X + n->Y);
    }
    EXPECT_EQ(Val(link, 2), 10);
}
