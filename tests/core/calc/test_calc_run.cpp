// Calculate runs: stages and passes, stopping, the search filter, the busy
// flag, DO loops and the command words that change the network.
#include "test_calc_support.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace calctest;

namespace {

// a -> b -> c; a and b of node class 1, c of class 2.
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
    g.p.CalcLines[1] = "V1 = V1 * 10 + P0"; // each stage appends its number
    for (int s = 1; s <= 5; ++s) SystemRange(g.p, s, 1, 1);
    g.p.CalcLines[2] = "V2 = V2 + 1: IF = V2 < 3 THEN REDO";
    NodeRange(g.p, 1, 2, 2);
    g.p.CalcLines[3] = "V3 = V3 + 1";
    LinkRange(g.p, 1, 3, 3);
    RecordingHost host;
    TCalcSummary s = RunProgram(g.net, g.p, &host);
    EXPECT_EQ(g.p.Variables[1], 12342345.0);
    EXPECT_EQ(s.Passes, 2);
    EXPECT_EQ(Counts(s), "4 4 8 0");
    EXPECT_EQ(host.Status, (std::vector<std::string>{"Processing Nodes (1)", "Processing Links (1)",
                                                    "Processing Nodes (2)", "Processing Links (2)",
                                                    "Processed: 4 Links; 4 Nodes; 8 Systems; 0 Errors."}));
}

TEST(CalcRun, StopEndsTheRunAfterTheCurrentEntity)
{
    for (const char* first : {"A1 = 1: V1 = V1 + 1", "A9 = 1"}) {
        Grid g;
        g.p.CalcLines[1] = first;
        g.p.CalcLines[2] = "A1 = 2";
        NodeRange(g.p, 1, 1, 2);
        LinkRange(g.p, 1, 1, 1);
        SystemRange(g.p, 5, 1, 1);
        RecordingHost host;
        // Events: stages 1 and 2, the call after stage 2, the first node's
        // start, its line change: the stop comes at the line change.
        host.StopAfterEvents = 5;
        TCalcSummary s = RunProgram(g.net, g.p, &host);
        // An entity cut short counts an error only when it had one.
        EXPECT_EQ(Counts(s), first[1] == '1' ? "0 1 0 0" : "0 1 0 1");
        EXPECT_EQ(Val(g.a, 1), first[1] == '1' ? 1 : 0);
        EXPECT_EQ(Val(g.b, 1), 0);
        EXPECT_EQ(host.Status.back().substr(0, 11), "Processed: ");
    }
}

TEST(CalcRun, SearchSystemValuesAndTheBusyFlag)
{
    Grid g;
    g.p.CalcLines[1] = "A1 = 2.5: A2 = 2.5: A3 = 'network total'";
    SystemRange(g.p, 1, 1, 1);
    g.p.CalcLines[2] = "A1 = S1 + S2"; // the system's values as written back
    NodeRange(g.p, 1, 2, 2);
    NodeRange(g.p, 2, 2, 2);
    LinkRange(g.p, 1, 2, 2);
    TCalcSearch search; // only elements passing the search are calculated
    search.NodePasses = [&](const TNode* n) { return n != g.b; };
    search.LinkPasses = [&](const TLink* h) { return h->LinkValues != g.bc->LinkValues; };
    EXPECT_EQ(Counts(RunProgram(g.net, g.p, nullptr, false, search)), "1 2 1 0");
    EXPECT_EQ(g.net.SystemStrings, std::vector<std::string>{"network total"});
    EXPECT_EQ(Val(g.a, 1), 4.5);
    EXPECT_EQ(Val(g.b, 1), 0);
    EXPECT_EQ(Val(g.bc, 1), 0);

    struct Throwing : TCalcHost {
        TCalcFlags* Flags = nullptr;
        bool SawBusy = false;
        void ProcessMessages() override
        {
            SawBusy = Flags->CalcBusy == 1;
            throw std::runtime_error("window closed");
        }
    } host;
    TCalcFlags flags;
    host.Flags = &flags;
    EXPECT_THROW(RunCalculation(g.net, g.p, flags, host), std::runtime_error);
    EXPECT_TRUE(host.SawBusy);
    EXPECT_EQ(flags.CalcBusy, 0); // cleared on the way out
}

TEST(CalcRun, FlipReversesALinkOncePerPassAndTheSweepVisitsItOnce)
{
    Grid g;
    g.p.CalcLines[1] = "FLIP: FLIP: A2 = A2 + 1";
    LinkRange(g.p, 1, 1, 1);
    EXPECT_EQ(RunProgram(g.net, g.p).Links, 2);
    EXPECT_EQ(g.ab->LinkValues->ANode, g.b);
    EXPECT_EQ(g.ab->AEnd(), 0);
    EXPECT_EQ(Val(g.ab, 2), 1);
    EXPECT_EQ(Val(g.bc, 2), 1);
    RunProgram(g.net, g.p); // the marks were cleared: the next run flips back
    EXPECT_EQ(g.ab->LinkValues->ANode, g.a);
}

TEST(CalcRun, DoLoopsVisitRelatedElements)
{
    Grid g;
    TNode* v = Node(g.net, 10, 10, 2);
    Own(g.net, g.c, {g.a, v, g.b});
    g.p.CalcLines[1] = "V1 = 0: DOLS 5: A1 = V1: DOOS 6: DONS 6";
    g.p.CalcLines[5] = "A2 = A2 + 1: V1 = V1 + 1";
    NodeRange(g.p, 1, 1, 1);
    g.p.CalcLines[2] = "DONS 7";
    g.p.CalcLines[7] = "A3 = A3 + 1";
    LinkRange(g.p, 1, 2, 2);
    g.p.CalcLines[3] = "DOVS 8";
    g.p.CalcLines[8] = "A1 = A1 + 100";
    NodeRange(g.p, 2, 3, 3);
    g.p.CalcLines[6] = "A2 = A2 + 10";
    TCalcSummary s = RunProgram(g.net, g.p);
    EXPECT_EQ(s.Errors, 2); // DONS on the nodes a and b
    EXPECT_EQ(Val(g.a, 1), 101); // one link, then c's DOVS
    EXPECT_EQ(Val(g.b, 1), 102);
    EXPECT_EQ(Val(v, 1), 100);
    EXPECT_EQ(Val(g.ab, 2), 2); // from a and from b
    EXPECT_EQ(Val(g.c, 2), 20); // DOOS from a and from b
    EXPECT_EQ(Val(g.c, 3), 1);  // DONS from bc
}

TEST(CalcRun, DeleteMergeAndPolygonCommands)
{
    Grid g;
    g.p.CalcLines[1] = "IF = NX = 100 THEN DELE";
    NodeRange(g.p, 1, 1, 1);
    RecordingHost host;
    RunProgram(g.net, g.p, &host);
    EXPECT_EQ(g.b->Active + g.ab->LinkValues->Active + g.net.DeletedItems.GetCount() * 10 + host.Undeletes * 100, 110);

    // MRGE: a node 5 away is merged, its link moves over and the far end's
    // half-edge points at the merging node; a duplicate goes with it.
    TNetwork net;
    DefineSchema(net);
    TNode* t = Node(net, 0, 0);
    TNode* s = Node(net, 3, 4, 2);
    TNode* far1 = Node(net, 100, 0, 2);
    TNode* far2 = Node(net, 0, 100, 2);
    TNode* away = Node(net, 6, 8, 2);
    TLink* sf1 = Link(net, s, far1);
    TLink* f2s = Link(net, far2, s);
    Link(net, t, far2);
    TCalcProgram p;
    p.CalcLines[1] = "MRGE 5";
    NodeRange(p, 1, 1, 1);
    RunProgram(net, p);
    EXPECT_EQ(s->Active + 2 * away->Active, 2);
    EXPECT_EQ(sf1->LinkValues->ANode, t);
    for (TLink* h : far1->Links) EXPECT_EQ(h->FarNode, t);
    EXPECT_EQ(f2s->LinkValues->Active, 0);

    // SMRG takes the shape point 3 away, not 2; CCLK/CLKW; PDEL.
    TNode* lone = Node(net, 700, 500, 3);
    TNode* zone = Node(net, 600, 600, 2);
    TShapePoint* sp = AddShapePoint(net, 700, 503, 0, Link(net, Node(net, 500, 500), Node(net, 900, 500)));
    Own(net, zone, {lone, far1, far2});
    p.CalcLines[1] = "SMRG 2: SMRG 3";
    p.CalcLines[2] = PolygonIsClockwise(zone) ? "CCLK" : "CLKW";
    p.CalcLines[3] = "PDEL";
    NodeRange(p, 1, 0, 0);
    NodeRange(p, 3, 1, 1);
    NodeRange(p, 2, 2, 2);
    const bool clockwise = PolygonIsClockwise(zone);
    RunProgram(net, p);
    EXPECT_EQ(lone->Active, 0);
    EXPECT_GE(zone->OwnPolygon().IndexOf(sp), 0);
    EXPECT_LT(zone->OwnPolygon().IndexOf(lone), 0);
    EXPECT_NE(PolygonIsClockwise(zone), clockwise);
    NodeRange(p, 2, 3, 3);
    RunProgram(net, p);
    EXPECT_EQ(zone->OwnPolygon().GetCount() + net.PolygonsOf(sp).GetCount(), 0);
    EXPECT_EQ(ReplaceEntityNames(net, "", "X", false), 0); // an empty old text changes no name
}

TEST(CalcRun, HostCommandsAndEditingHooks)
{
    Grid g;
    int fused = 0, intersected = 0;
    TCalcEditOps ops = DefaultCalcEditOps();
    ops.SpliceLinksAtNode = [&](TNetwork&, TNode* n) { fused += n == g.b; };
    // The stand-in for the intersection adds a link: the sweep, which walks
    // the links as they stood, does not visit it.
    ops.IntersectLink = [&](TNetwork& net, TLink*, int64_t&) {
        Link(net, g.a, g.c);
        return ++intersected > 0;
    };
    g.p.CalcLines[1] = "IF = NL = 2 THEN FUSE";
    g.p.CalcLines[2] = "BEEP: DRAW: LNKX";
    NodeRange(g.p, 1, 1, 1);
    LinkRange(g.p, 1, 2, 2);
    RecordingHost host;
    EXPECT_EQ(RunProgram(g.net, g.p, &host, false, {}, ops).Links, 2);
    EXPECT_EQ(fused, 1);
    EXPECT_EQ(intersected, 2);
    EXPECT_EQ(host.Beeps, 2);
    EXPECT_EQ(host.Repaints, 2);
}

// FUSE where the two far nodes are linked already makes no second link
// between them (the file could not hold it): it leaves the node as it is.
TEST(CalcRun, FuseMakesNoSecondLinkBetweenLinkedNodes)
{
    TNetwork net;
    DefineSchema(net);
    TNode* a = Node(net, 0, 0);
    TNode* n = Node(net, 100, 50);
    TNode* b = Node(net, 200, 0);
    Link(net, a, n);
    Link(net, n, b);
    Link(net, a, b);
    TCalcProgram p;
    p.CalcLines[1] = "IF = NL = 2 THEN FUSE";
    NodeRange(p, 1, 1, 1);
    EXPECT_EQ(RunProgram(net, p).Errors, 0);
    EXPECT_TRUE(n->Active);
    int ab = 0, active = 0;
    ForEachLink(net, [&](TLink* h) {
        const TLinkValues* r = h->LinkValues;
        active += r->Active;
        ab += r->Active && ((r->ANode == a && r->BNode == b) || (r->ANode == b && r->BNode == a));
    });
    EXPECT_EQ(ab, 1);
    EXPECT_EQ(active, 3);
}

TEST(CalcRun, FuseAndIntersectThroughTheEditingOperations)
{
    Grid g;
    g.p.CalcLines[1] = "IF = NL = 2 THEN FUSE";
    NodeRange(g.p, 1, 1, 1);
    RunProgram(g.net, g.p);
    EXPECT_EQ(g.b->Active, 0);
    TLink* ac = g.a->Links.At(g.a->Links.GetCount() - 1);
    EXPECT_EQ(ac->FarNode, g.c);
    ASSERT_EQ(ac->LinkValues->ShapePoints.GetCount(), 1);
    EXPECT_EQ(ac->LinkValues->ShapePoints.At(0)->X, 100);

    // Two crossing links: LNKX splits both at a new node, unless the
    // crossing's cell is full (ascending keys keep filling it cheap, below
    // the crossing).
    for (bool full : {false, true}) {
        TNetwork net;
        DefineSchema(net);
        TLink* we = Link(net, Node(net, -100, 180), Node(net, 300, 180));
        Link(net, Node(net, 100, -100), Node(net, 100, 300));
        THashEntry* cell = nullptr;
        for (int32_t i = 0; full && i < HashCap; ++i) AddNode(net, (i / 5) % 200, i / 1000, cell, false, 0);
        TCalcProgram p;
        p.CalcLines[1] = "IF = LX < 0 THEN LNKX";
        LinkRange(p, 1, 1, 1);
        const int32_t nodes = net.NodeCount;
        EXPECT_EQ(RunProgram(net, p).Errors, 0);
        EXPECT_EQ(net.NodeCount, nodes + (full ? 0 : 1));
        EXPECT_EQ(we->LinkValues->Active, full ? 1 : 0);
    }
}
