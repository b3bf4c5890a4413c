// State the run keeps from one element to the next: built-in operands loaded
// once while the class has no parameter string, tables or sets, and the flip
// marks cleared as the link list is made.
#include "core/calc/CalcRun.h"
#include "test_calc_support.h"

#include <gtest/gtest.h>

using namespace calctest;

TEST(CalcSweepState, PlainAndParameterClassesInterleaved)
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

TEST(CalcSweepState, SweepStartsWithTheTakingPartLinksUnflipped)
{
    // A mark left on a link before the run is cleared when the sweep's list
    // is made, so FLIP acts; a link of class 0 takes no part and keeps its.
    TNetwork net;
    DefineSchema(net);
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100, 0);
    TNode* c = Node(net, 200, 0);
    TLink* ab = Link(net, a, b);
    TLink* bc = Link(net, b, c);
    ab->LinkValues->FlipMark = 1;
    bc->LinkValues->FlipMark = 1;
    bc->LinkValues->EntityType = 0;
    TCalcProgram p;
    p.CalcLines[1] = "FLIP";
    LinkRange(p, 1, 1, 1);
    EXPECT_EQ(RunProgram(net, p).Links, 1);
    EXPECT_EQ(ab->LinkValues->ANode, b);
    EXPECT_EQ(ab->LinkValues->FlipMark, 0); // cleared again after the sweep
    EXPECT_EQ(bc->LinkValues->ANode, b);
    EXPECT_EQ(bc->LinkValues->FlipMark, 1);
}
