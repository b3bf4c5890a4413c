// Calculate runs: stages and passes, stopping, the search filter, the busy
// flag, DO loops and the command words that change the network.
#include "test_calc_support.h"

#include "core/Undo.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace calctest;

namespace {

struct Grid {
    TNetwork net;
    TCalcProgram p;
    TNode *a, *b, *c;
    TLink *ab, *bc;
    Grid()
    {
        DefineSchema(net);
        a = Node(net, 0, 0);
        b = Node(net, 100, 0);
        c = Node(net, 100, 100, 2);
        ab = Link(net, a, b);
        bc = Link(net, b, c);
    }
};

} // namespace

TEST(CalcRun, StagesRunInOrderAndRedoRepeatsPasses)
{
    Grid g;
    // Each stage appends its number to V1 as a decimal digit.
    g.p.CalcLines[1] = "V1 = V1 * 10 + P0";
    for (int s = 1; s <= 5; ++s) SystemRange(g.p, s, 1, 1);
    g.p.CalcLines[2] = "V2 = V2 + 1: IF = V2 < 3 THEN REDO";
    NodeRange(g.p, 1, 2, 2);
    g.p.CalcLines[3] = "V3 = V3 + 1";
    LinkRange(g.p, 1, 3, 3);
    RecordingHost host;
    TCalcSummary s = RunProgram(g.net, g.p, &host);
    // Stage 1, then passes 2-3-4 while REDO was asked (V2 reaches 3 in the
    // second pass's second node), then stage 5.
    EXPECT_EQ(g.p.Variables[1], 12342345.0);
    EXPECT_EQ(s.Passes, 2);
    EXPECT_EQ(s.Nodes, 4);
    EXPECT_EQ(s.Links, 4);
    EXPECT_EQ(s.Systems, 8);
    EXPECT_EQ(s.Errors, 0);
    EXPECT_EQ(g.p.Variables[3], 4);
    ASSERT_GE(host.Status.size(), 5u);
    EXPECT_EQ(host.Status[0], "Processing Nodes (1)");
    EXPECT_EQ(host.Status[3], "Processing Links (2)");
    EXPECT_EQ(host.Status.back(), "Processed: 4 Links; 4 Nodes; 8 Systems; 0 Errors.");
}

TEST(CalcRun, StopEndsTheRunAfterTheCurrentEntity)
{
    Grid g;
    g.p.CalcLines[1] = "A1 = 1: V1 = V1 + 1";
    g.p.CalcLines[2] = "A1 = 2";
    NodeRange(g.p, 1, 1, 2);
    LinkRange(g.p, 1, 1, 1);
    SystemRange(g.p, 5, 1, 1);
    RecordingHost host;
    // Events: stage 1's and stage 2's entities, the call after stage 2, the
    // first node's start, its line change: the stop comes at the line change.
    host.StopAfterEvents = 5;
    TCalcSummary s = RunProgram(g.net, g.p, &host);
    EXPECT_EQ(s.Nodes, 1);
    EXPECT_EQ(s.Links, 0);
    EXPECT_EQ(s.Errors, 0);
    EXPECT_EQ(Val(g.a, 1), 1); // written back before the stop
    EXPECT_EQ(Val(g.b, 1), 0);
    EXPECT_EQ(g.p.Variables[1], 1);
    EXPECT_EQ(host.Status.back(), "Processed: 0 Links; 1 Nodes; 0 Systems; 0 Errors.");

    // An entity stopped after an error counts one error.
    Grid h;
    h.p.CalcLines[1] = "A9 = 1";
    h.p.CalcLines[2] = "A1 = 2";
    NodeRange(h.p, 1, 1, 2);
    RecordingHost host2;
    host2.StopAfterEvents = 5;
    s = RunProgram(h.net, h.p, &host2);
    EXPECT_EQ(s.Nodes, 1);
    EXPECT_EQ(s.Errors, 1);
}

TEST(CalcRun, OnlyElementsPassingTheSearchAreCalculated)
{
    Grid g;
    g.p.CalcLines[1] = "A1 = 5";
    NodeRange(g.p, 1, 1, 1);
    NodeRange(g.p, 2, 1, 1);
    LinkRange(g.p, 1, 1, 1);
    TCalcSearch search;
    search.NodePasses = [&](const TNode* n) { return n != g.b; };
    search.LinkPasses = [&](const TLink* h) { return h->LinkValues != g.bc->LinkValues; };
    TCalcSummary s = RunProgram(g.net, g.p, nullptr, false, search);
    EXPECT_EQ(s.Nodes, 2);
    EXPECT_EQ(s.Links, 1);
    EXPECT_EQ(Val(g.a, 1), 5);
    EXPECT_EQ(Val(g.b, 1), 0);
    EXPECT_EQ(Val(g.c, 1), 5);
    EXPECT_EQ(Val(g.ab, 1), 5);
    EXPECT_EQ(Val(g.bc, 1), 0);
}

TEST(CalcRun, BusyFlagIsClearedWhenTheHostThrows)
{
    struct Throwing : TCalcHost {
        TCalcFlags* Flags = nullptr;
        bool SawBusy = false;
        void ProcessMessages() override
        {
            SawBusy = Flags->CalcBusy == 1;
            throw std::runtime_error("window closed");
        }
    } host;
    Grid g;
    TCalcFlags flags;
    host.Flags = &flags;
    g.p.CalcLines[1] = "A1 = 1";
    NodeRange(g.p, 1, 1, 1);
    EXPECT_THROW(RunCalculation(g.net, g.p, flags, host), std::runtime_error);
    EXPECT_TRUE(host.SawBusy);
    EXPECT_EQ(flags.CalcBusy, 0);
}

TEST(CalcRun, SystemStagesWriteNumbersAndStringsBack)
{
    Grid g;
    g.p.CalcLines[1] = "A1 = 2.5: A2 = 2.5: A3 = 'network total'";
    SystemRange(g.p, 1, 1, 1);
    g.p.CalcLines[2] = "A1 = S1 + S2";
    NodeRange(g.p, 1, 2, 2);
    EXPECT_EQ(RunProgram(g.net, g.p).Errors, 0);
    EXPECT_EQ(g.net.SystemValues[1].Real(), 2.5);
    EXPECT_EQ(g.net.SystemValues[2].Real(), 2);
    ASSERT_EQ(g.net.SystemStrings.size(), 1u);
    EXPECT_EQ(g.net.SystemStrings[0], "network total");
    EXPECT_EQ(Val(g.a, 1), 4.5);
}

TEST(CalcRun, FlipReversesALinkOncePerPassAndTheSweepVisitsItOnce)
{
    Grid g;
    g.p.CalcLines[1] = "FLIP: FLIP: A2 = A2 + 1";
    LinkRange(g.p, 1, 1, 1);
    TCalcSummary s = RunProgram(g.net, g.p);
    EXPECT_EQ(s.Links, 2);
    EXPECT_EQ(g.ab->LinkValues->ANode, g.b);
    EXPECT_EQ(g.ab->LinkValues->BNode, g.a);
    EXPECT_EQ(g.ab->AEnd, 0);
    EXPECT_EQ(Val(g.ab, 2), 1);
    EXPECT_EQ(Val(g.bc, 2), 1);
    EXPECT_EQ(g.ab->LinkValues->FlipMark, 0);
    // The next run flips back.
    RunProgram(g.net, g.p);
    EXPECT_EQ(g.ab->LinkValues->ANode, g.a);
    EXPECT_EQ(g.ab->AEnd, 1);
}

TEST(CalcRun, DoLoopsVisitRelatedElements)
{
    Grid g;
    // DOLS: every link at the node; DONS: both ends of the link.
    g.p.CalcLines[1] = "V1 = 0: DOLS 5: A1 = V1";
    g.p.CalcLines[5] = "A2 = A2 + 1: V1 = V1 + 1";
    NodeRange(g.p, 1, 1, 1);
    g.p.CalcLines[2] = "DONS 6";
    g.p.CalcLines[6] = "A3 = A3 + 1";
    LinkRange(g.p, 1, 2, 2);
    Set(g.a, 2, 0);
    EXPECT_EQ(RunProgram(g.net, g.p).Errors, 0);
    EXPECT_EQ(Val(g.a, 1), 1); // a has one link, b two
    EXPECT_EQ(Val(g.b, 1), 2);
    EXPECT_EQ(Val(g.ab, 2), 2); // visited from a and from b
    EXPECT_EQ(Val(g.bc, 2), 1);
    EXPECT_EQ(Val(g.c, 3), 1); // class 2 node c: A3 is real
    EXPECT_EQ(Val(g.b, 1), 2);

    // DOVS / DOOS over a polygon; DO without the right element is an error.
    Grid h;
    TNode* v = Node(h.net, 10, 10, 2);
    Own(h.c, {h.a, v, h.b});
    h.p.CalcLines[1] = "DOVS 3";
    h.p.CalcLines[3] = "A1 = A1 + 1";
    NodeRange(h.p, 2, 1, 1);
    h.p.CalcLines[2] = "DOOS 4: DONS 4";
    h.p.CalcLines[4] = "A2 = A2 + 10";
    NodeRange(h.p, 1, 2, 2);
    TCalcSummary s = RunProgram(h.net, h.p);
    EXPECT_EQ(Val(h.a, 1), 1);
    EXPECT_EQ(Val(v, 1), 1);
    EXPECT_EQ(Val(h.c, 2), 20); // owner of the polygon with a and b
    EXPECT_EQ(s.Errors, 2);     // DONS on a node, once for a and once for b
}

TEST(CalcRun, DeleteNodesAndLinks)
{
    Grid g;
    g.p.CalcLines[1] = "IF = NX = 100 THEN DELE";
    NodeRange(g.p, 1, 1, 1);
    NodeRange(g.p, 2, 1, 1);
    RecordingHost host;
    RunProgram(g.net, g.p, &host);
    EXPECT_EQ(g.b->Active, 0);
    EXPECT_EQ(g.c->Active, 0);
    EXPECT_EQ(g.a->Active, 1);
    EXPECT_EQ(g.ab->LinkValues->Active, 0);
    EXPECT_EQ(g.ab->LinkValues->DeletedWithNode, 1);
    EXPECT_EQ(g.net.DeletedItems.GetCount(), 2);
    EXPECT_EQ(host.Undeletes, 2);

    Grid h;
    TShapePoint* sp = AddShapePoint(h.net, 50, 20, 0, h.ab);
    Own(h.c, {h.a, sp, h.b});
    UpdateNodePolygonBox(h.net, h.c);
    EXPECT_EQ(h.c->PolygonBox.MinY, 0);
    h.p.CalcLines[1] = "IF = LS > 0 THEN DELE";
    LinkRange(h.p, 1, 1, 1);
    TCalcSummary s = RunProgram(h.net, h.p);
    EXPECT_EQ(s.Links, 2);
    EXPECT_EQ(h.ab->LinkValues->Active, 0);
    EXPECT_EQ(h.ab->LinkValues->DeletedWithNode, 0);
    EXPECT_EQ(sp->Active, 0);
    EXPECT_EQ(h.bc->LinkValues->Active, 1);
    ASSERT_EQ(h.net.DeletedItems.GetCount(), 1);
    EXPECT_EQ(h.net.DeletedItems.At(0)->ItemKind, 0);
    EXPECT_EQ(h.c->PolygonBox.MaxY, 0); // the inactive shape point no longer counts
}

TEST(CalcRun, MergeMovesLinksAndRepointsTheFarEnd)
{
    TNetwork net;
    DefineSchema(net);
    TNode* t = Node(net, 0, 0);
    TNode* s = Node(net, 3, 4, 2); // distance 5
    TNode* far1 = Node(net, 100, 0, 2);
    TNode* far2 = Node(net, 0, 100, 2);
    TNode* away = Node(net, 6, 8, 2); // distance 10
    TLink* sf1 = Link(net, s, far1);
    TLink* f2s = Link(net, far2, s);
    TLink* tf2 = Link(net, t, far2); // s's link to far2 would duplicate it
    TLink* st = Link(net, s, t);     // would become a loop
    Own(s, {far1, far2, s});
    TCalcProgram p;
    p.CalcLines[1] = "MRGE 5";
    NodeRange(p, 1, 1, 1);
    RunProgram(net, p);

    EXPECT_EQ(s->Active, 0);
    EXPECT_EQ(away->Active, 1);
    // s -> far1 now runs t -> far1, and far1's half-edge points at t.
    EXPECT_EQ(sf1->LinkValues->ANode, t);
    EXPECT_EQ(sf1->LinkValues->Active, 1);
    EXPECT_GE(t->Links.IndexOf(sf1), 0);
    for (TLink* h : far1->Links) EXPECT_EQ(h->FarNode, t);
    // The duplicate and the loop stayed with s and went with it.
    EXPECT_EQ(f2s->LinkValues->Active, 0);
    EXPECT_EQ(st->LinkValues->Active, 0);
    EXPECT_EQ(tf2->LinkValues->Active, 1);
    // s's ring, where t took s's place, went over to t.
    ASSERT_EQ(t->OwnPolygon.GetCount(), 3);
    EXPECT_EQ(t->OwnPolygon.At(0), far1);
    EXPECT_EQ(t->OwnPolygon.At(2), t);
    EXPECT_GE(far1->Polygons.IndexOf(t), 0);
}

TEST(CalcRun, PolygonCommands)
{
    TNetwork net;
    DefineSchema(net);
    TNode* owner = Node(net, 0, 0);
    TNode* v1 = Node(net, 0, 0, 2);
    TNode* v2 = Node(net, 0, 100, 2);
    TNode* v3 = Node(net, 100, 100, 2);
    Own(owner, {v1, v2, v3});
    const bool clockwise = PolygonIsClockwise(owner);
    TCalcProgram p;
    p.CalcLines[1] = clockwise ? "CCLK" : "CLKW";
    NodeRange(p, 1, 1, 1);
    RunProgram(net, p);
    EXPECT_NE(PolygonIsClockwise(owner), clockwise);
    EXPECT_EQ(owner->OwnPolygon.At(0), v3);

    // SMRG: a lone vertex node replaced by a shape point nearby.
    TNode* x = Node(net, 500, 500);
    TNode* y = Node(net, 900, 500);
    TLink* xy = Link(net, x, y, 1);
    TShapePoint* sp = AddShapePoint(net, 700, 503, 0, xy);
    TNode* lone = Node(net, 700, 500, 3);
    TNode* zone = Node(net, 600, 600, 2);
    Own(zone, {lone, x, y});
    p.CalcLines[1] = "SMRG 2";
    NodeRange(p, 1, 0, 0);
    NodeRange(p, 3, 1, 1);
    RunProgram(net, p);
    EXPECT_EQ(lone->Active, 1); // 3 away: too far
    p.CalcLines[1] = "SMRG 3";
    RunProgram(net, p);
    EXPECT_EQ(lone->Active, 0);
    EXPECT_EQ(zone->OwnPolygon.At(0), sp);
    EXPECT_GE(sp->Polygons.IndexOf(zone), 0);
    EXPECT_EQ(lone->Polygons.GetCount(), 0);

    // PDEL empties the node's own polygon and its vertices forget it.
    p.CalcLines[1] = "PDEL";
    NodeRange(p, 2, 1, 1);
    NodeRange(p, 3, 0, 0);
    RunProgram(net, p);
    EXPECT_EQ(zone->OwnPolygon.GetCount(), 0);
    EXPECT_EQ(sp->Polygons.GetCount(), 0);
    EXPECT_EQ(x->Polygons.GetCount(), 0);
}

TEST(CalcRun, HostCommandsAndEditingHooks)
{
    Grid g;
    int fused = 0, intersected = 0;
    TCalcEditOps ops = DefaultCalcEditOps();
    ops.SpliceLinksAtNode = [&](TNetwork&, TNode* n) {
        EXPECT_EQ(n, g.b);
        ++fused;
    };
    // The stand-in for the intersection adds a link at a: the sweep, which
    // walks the links as they stood, does not visit it.
    ops.IntersectLink = [&](TNetwork& net, TLink*, int64_t&) {
        Link(net, g.a, g.c);
        return ++intersected > 0;
    };
    g.p.CalcLines[1] = "IF = NL = 2 THEN FUSE";
    g.p.CalcLines[2] = "BEEP: DRAW: LNKX";
    NodeRange(g.p, 1, 1, 1);
    LinkRange(g.p, 1, 2, 2);
    RecordingHost host;
    TCalcSummary s = RunProgram(g.net, g.p, &host, false, {}, ops);
    EXPECT_EQ(s.Links, 2);
    EXPECT_EQ(fused, 1);
    EXPECT_EQ(intersected, 2);
    EXPECT_EQ(host.Beeps, 2);
    EXPECT_EQ(host.Repaints, 2);
}

TEST(CalcRun, EmptyOldTextReplacesNoName)
{
    Grid g;
    g.a->Name = "Main";
    EXPECT_EQ(ReplaceEntityNames(g.net, "", "X", false), 0);
    EXPECT_EQ(g.a->Name, "Main");
}

TEST(CalcRun, FuseAndIntersectThroughTheEditingOperations)
{
    Grid g; // a -> b -> c
    g.p.CalcLines[1] = "IF = NL = 2 THEN FUSE";
    NodeRange(g.p, 1, 1, 1);
    RunProgram(g.net, g.p);
    EXPECT_EQ(g.b->Active, 0);
    EXPECT_EQ(g.ab->LinkValues->Active, 0);
    TLink* ac = nullptr;
    for (TLink* h : g.a->Links)
        if (h->LinkValues->Active) ac = h;
    ASSERT_NE(ac, nullptr);
    EXPECT_EQ(ac->FarNode, g.c);
    ASSERT_EQ(ac->LinkValues->ShapePoints.GetCount(), 1);
    EXPECT_EQ(ac->LinkValues->ShapePoints.At(0)->X, 100);

    // Two crossing links: LNKX splits both at a new node.
    TNetwork net;
    DefineSchema(net);
    TLink* we = Link(net, Node(net, -100, 50), Node(net, 300, 50));
    TLink* ns = Link(net, Node(net, 100, -100), Node(net, 100, 300));
    TCalcProgram p;
    p.CalcLines[1] = "IF = LX < 0 THEN LNKX";
    LinkRange(p, 1, 1, 1);
    const int32_t nodes = net.NodeCount;
    RunProgram(net, p);
    EXPECT_EQ(net.NodeCount, nodes + 1);
    EXPECT_EQ(we->LinkValues->Active, 0);
    EXPECT_EQ(ns->LinkValues->Active, 0);
}

TEST(CalcRun, IntersectionInAFullCellMakesNoNode)
{
    TNetwork net;
    DefineSchema(net);
    TLink* we = Link(net, Node(net, -100, 50), Node(net, 300, 50));
    TLink* ns = Link(net, Node(net, 100, -100), Node(net, 100, 300));
    // Fill the crossing's cell to the cap (ascending keys keep the inserts
    // cheap).
    THashEntry* cell = nullptr;
    int32_t added = 0;
    for (int32_t y = 0; y < 200 && added < HashCap; ++y)
        for (int32_t x = 0; x < 200 && added < HashCap; ++x)
            for (int k = 0; k < 5 && added < HashCap; ++k)
                if (AddNode(net, x, y, cell, false, 0)) ++added;
    ASSERT_EQ(net.NodeHash.FindCell(100, 50)->Points.GetCount(), HashCap);
    TCalcProgram p;
    p.CalcLines[1] = "IF = LX < 0 THEN LNKX";
    LinkRange(p, 1, 1, 1);
    const int32_t nodes = net.NodeCount;
    TCalcSummary s = RunProgram(net, p);
    EXPECT_EQ(s.Errors, 0);
    EXPECT_EQ(net.NodeCount, nodes);
    EXPECT_EQ(we->LinkValues->Active, 1);
    EXPECT_EQ(ns->LinkValues->Active, 1);
}
