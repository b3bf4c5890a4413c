// The shortest-path search: the heap against a literal candidate-list scan
// on random graphs full of ties and on Chicago-Regional, networkx's
// distances, and the marking rules.
#include "core/analysis/ShortestPaths.h"
#include "core/expr/Expression.h"
#include "core/expr/ExpressionNetwork.h"
#include "analysis_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace analysistest;

namespace {

// ---- the reference: the candidate list scanned for the nearest node

struct TFields {
    double Distance;
    const TLink* Link;
    int32_t Mark;
    uint8_t Done;
    bool operator==(const TFields&) const = default;
};

double ReferenceCost(const TNetwork& net, const TExprBinding& b, const TWidthSettings& w, const TLink& h)
{
    const TLinkValues& v = *h.LinkValues;
    const std::string& text = w.LinkWidthExpressions[v.EntityType];
    const int p = ColonPos(text);
    std::string part = p == 0 ? text : (h.AEnd() ? text.substr(0, size_t(p - 1)) : text.substr(size_t(p), 50));
    if (part.find_first_not_of(' ') == std::string::npos) return 0;
    ExpressionContext ctx;
    ctx.Kinds = ClassKinds(&(*net.LinkClasses)[v.EntityType]);
    ExprStrings strings{};
    FillLinkContext(net, v, ctx, strings);
    TExprElement el;
    el.Link = &h;
    int32_t err;
    return EvaluateExpression(part, err, ctx, strings, el, b.Env);
}

// Steps 3 and 6 to 10 of Go, as written: the list keeps its order and is
// scanned from the front; the first of equal distances wins.
std::vector<TFields> ListScan(TNetwork& net, const TShortestPathSettings& s, const TWidthSettings& w)
{
    TExprBinding b(net, nullptr, nullptr);
    const double maxDist = s.MaximumDistance == 0 ? 1e99 : s.MaximumDistance;
    std::vector<std::vector<TNode*>> sets(6);
    for (int k = 1; k <= 5; ++k)
        for (const std::string& name : s.StartNames[k])
            if (!name.empty())
                if (TNode* n = FindNodeByName(net, PrepareNamePattern(name), nullptr)) sets[k].push_back(n);
    for (TNode* n : NodesInOrder(net)) {
        net.PathOf(n).Distance = 1e99;
        net.PathOf(n).Link = nullptr;
        net.PathOf(n).Done = 0;
    }
    std::vector<TNode*> list;
    auto relax = [&](TNode* n) {
        for (TLink* h : n->Links) {
            TNode* f = h->FarNode;
            if (net.PathOf(f).Done || !h->LinkValues->Active) continue;
            if (!net.PathOf(f).Link) list.push_back(f);
            const double cost = ReferenceCost(net, b, w, *h);
            double d = net.PathOf(n).Distance + cost;
            if (d > maxDist) d = 1e99;
            if (net.PathOf(f).Distance > d && cost >= 0) {
                net.PathOf(f).Distance = d;
                net.PathOf(f).Link = h;
                net.PathOf(f).Mark = net.PathOf(n).Mark;
            }
        }
    };
    auto nearest = [&]() -> TNode* {
        double best = 1e99;
        int at = -1;
        for (size_t i = 0; i < list.size(); ++i)
            if (net.PathOf(list[i]).Distance < best && net.PathOf(list[i]).Distance <= maxDist) {
                best = net.PathOf(list[i]).Distance;
                at = int(i);
            }
        if (at < 0) return nullptr;
        TNode* n = list[size_t(at)];
        net.PathOf(n).Done = 1;
        list.erase(list.begin() + at);
        return n;
    };
    for (int k = 1; k <= 5; ++k)
        for (TNode* n : sets[k]) {
            net.PathOf(n).Done = 1;
            net.PathOf(n).Distance = 0;
            net.PathOf(n).Mark = s.MarkValue[k];
        }
    for (int k = 1; k <= 5; ++k)
        for (TNode* n : sets[k]) relax(n);
    for (TNode* n = nearest(); n; n = nearest()) {
        const int c = n->EntityType;
        if (!(c >= 1 && c <= 10 && s.BlockingClass[c])) relax(n);
    }
    std::vector<TFields> out;
    for (TNode* n : NodesInOrder(net)) out.push_back({net.PathOf(n).Distance, net.PathOf(n).Link, net.PathOf(n).Mark, net.PathOf(n).Done});
    return out;
}

std::vector<TFields> Fields(const TNetwork& net)
{
    std::vector<TFields> out;
    for (TNode* n : NodesInOrder(net)) out.push_back({net.PathOf(n).Distance, net.PathOf(n).Link, net.PathOf(n).Mark, net.PathOf(n).Done});
    return out;
}

class RecordingHost : public TPathSearchHost {
public:
    TMessageSinkRecorder Recorder;
    uint8_t Stop = 0;
    std::vector<std::string> Status;
    std::string StopAt; // sets the stop flag when this status text is shown
    RecordingHost() : TPathSearchHost(Recorder, Stop) {}
    void ShowStatus(const std::string& text) override
    {
        Status.push_back(text);
        if (text == StopAt) CalcStop = 1;
    }
};

// Node classes 1 and 2 "R I C R"; link classes 1..3 "R R C R": A1 and A2
// the costs, A4 the link mark.
void Schema(TNetwork& net)
{
    Define((*net.NodeClasses)[1], "Stop", "RICR");
    Define((*net.NodeClasses)[2], "Hub", "RICR");
    for (int c = 1; c <= 3; ++c) Define((*net.LinkClasses)[c], ("Road" + std::to_string(c)).c_str(), "RRCR");
}

} // namespace

TEST(ShortestPaths, HeapMakesTheListScansChoiceOnRandomGraphsFullOfTies)
{
    std::mt19937 rng(20240611);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const double costs[] = {-1, 0, 0, 1, 1, 2, 3};
    for (int round = 0; round < 300; ++round) {
        TNetwork net;
        Schema(net);
        TWidthSettings w;
        w.LinkWidthExpressions = {"", "A1:A2", "A1*2", ""};
        const int n = 4 + pick(40);
        std::vector<TNode*> nodes;
        for (int i = 0; i < n; ++i) {
            nodes.push_back(Node(net, pick(1200), pick(1200), 1 + pick(2), "N" + std::to_string(i)));
            net.PathOf(nodes.back()).Mark = pick(7) - 3; // left from an earlier search
        }
        const int m = pick(3 * n);
        for (int i = 0; i < m; ++i) {
            TNode* a = nodes[size_t(pick(n))];
            TNode* z = nodes[size_t(pick(n))];
            if (a == z) continue;
            TLink* h = Link(net, a, z, 1 + pick(3));
            Set(h, 1, costs[pick(7)]);
            Set(h, 2, costs[pick(7)]);
            if (pick(10) == 0) h->LinkValues->Active = 0;
        }
        TShortestPathSettings s;
        s.BlockingClass[2] = uint8_t(pick(2));
        s.MaximumDistance = std::vector<double>{0, 0, 2, 4}[size_t(pick(4))];
        for (int k = 1; k <= 5; ++k) {
            s.MarkValue[k] = pick(9) - 4;
            for (int j = pick(3); j > 0; --j) s.StartNames[k].push_back(pick(8) ? "N" + std::to_string(pick(n)) : "ZZ");
        }
        if (s.StartNames[1].empty()) s.StartNames[1].push_back("N0");

        std::vector<int32_t> marks;
        for (TNode* x : nodes) marks.push_back(net.PathOf(x).Mark);
        const std::vector<TFields> expected = ListScan(net, s, w);
        for (size_t i = 0; i < nodes.size(); ++i) net.PathOf(nodes[i]).Mark = marks[i];

        RecordingHost host;
        const TPathSearchResult r = MarkShortestPaths(net, s, w, host);
        ASSERT_TRUE(r.Ran) << round;
        ASSERT_EQ(Fields(net), expected) << "round " << round;
    }
}

TEST(ShortestPaths, ChicagoRegionalAgreesWithTheListScanAndNetworkx)
{
    const std::string netFile = SharedData("tntp/chicago-regional/ChicagoRegional_net.tntp");
    const std::string nodeFile = SharedData("tntp/chicago-regional/ChicagoRegional_node.tntp");
    if (!Exists(netFile)) GTEST_SKIP() << "Chicago-Regional is not in " << netFile;
    TNetwork net;
    TTntpNetwork t = LoadTntp(net, netFile, nodeFile);
    ASSERT_EQ(t.Nodes.size(), 12982u);
    TWidthSettings w;
    w.LinkWidthExpressions[1] = "A1:A2";
    TShortestPathSettings s;
    s.StartNames[1] = {"1"};

    // Zones pass nothing through (the first through node of the file): blocking.
    std::vector<std::vector<double>> distances(2);
    for (int blocking = 0; blocking < 2; ++blocking) {
        s.BlockingClass[2] = uint8_t(blocking);
        const std::vector<TFields> expected = ListScan(net, s, w);
        RecordingHost host;
        MarkShortestPaths(net, s, w, host);
        ASSERT_EQ(Fields(net), expected) << "blocking " << blocking;
        for (auto& [id, n] : t.Nodes) distances[size_t(blocking)].push_back(net.PathOf(n).Distance);
    }
    // The free-flow costs in the data's README.
    EXPECT_NEAR(net.PathOf(t.Nodes[1790]).Distance, 31.906, 5e-4);
    EXPECT_NEAR(net.PathOf(t.Nodes[12982]).Distance, 31.343, 5e-4);

    std::string why;
    if (!PythonHas("networkx", why)) GTEST_SKIP() << "networkx check skipped: " << why;
    const std::string script = R"(
import sys, networkx as nx
G = nx.DiGraph()
first = 1
count = 0
body = False
for line in open(sys.argv[1]):
    if '<FIRST THRU NODE>' in line: first = int(line.split('>')[1])
    if '<NUMBER OF NODES>' in line: count = int(line.split('>')[1])
    if '<END OF METADATA>' in line: body = True; continue
    if not body or '~' in line: continue
    f = line.split()
    if len(f) < 5: continue
    a, b, t = int(f[0]), int(f[1]), float(f[4])
    if not G.has_edge(a, b) or t < G[a][b]['w']: G.add_edge(a, b, w=t)
free = nx.single_source_dijkstra_path_length(G, 1, weight='w')
H = G.copy()
H.remove_edges_from([(a, b) for a, b in G.edges() if a < first and a != 1])
blocked = nx.single_source_dijkstra_path_length(H, 1, weight='w')
for n in range(1, count + 1):
    print(n, repr(free.get(n, 1e99)), repr(blocked.get(n, 1e99)))
)";
    std::istringstream out(RunPython(script, netFile));
    int id, checked = 0;
    double free, blocked;
    std::vector<int> ids;
    for (auto& [k, n] : t.Nodes) ids.push_back(k);
    while (out >> id >> free >> blocked) {
        const size_t i = size_t(std::lower_bound(ids.begin(), ids.end(), id) - ids.begin());
        ASSERT_LT(i, ids.size());
        EXPECT_NEAR(distances[0][i], free, 1e-9 * std::max(1.0, free)) << "node " << id;
        EXPECT_NEAR(distances[1][i], blocked, 1e-9 * std::max(1.0, blocked)) << "node " << id;
        ++checked;
    }
    EXPECT_EQ(checked, 12982);
}

namespace {

// A small road: S -1- A -1- B -1- C and S -5- C; D hangs off B one way
// (back cost -1); H is a blocking hub between A and E.
struct TRoad {
    TNetwork Net;
    TWidthSettings Widths;
    TNode *S, *A, *B, *C, *D, *H, *E;
    TLink *SA, *AB, *BC, *SC, *BD, *AH, *HE;
    TRoad()
    {
        Schema(Net);
        Widths.LinkWidthExpressions[1] = "A1:A2";
        S = Node(Net, 0, 0, 1, "S");
        A = Node(Net, 100, 0, 1, "A");
        B = Node(Net, 200, 0, 1, "B");
        C = Node(Net, 300, 0, 1, "C");
        D = Node(Net, 200, 100, 1, "D");
        H = Node(Net, 100, 100, 2, "H");
        E = Node(Net, 100, 200, 1, "E");
        auto road = [&](TNode* a, TNode* b, double fw, double bw) {
            TLink* h = Link(Net, a, b);
            Set(h, 1, fw);
            Set(h, 2, bw);
            return h;
        };
        SA = road(S, A, 1, 1);
        AB = road(A, B, 1, 1);
        BC = road(B, C, 1, 1);
        SC = road(S, C, 5, 5);
        BD = road(B, D, 1, -1);
        AH = road(A, H, 1, 1);
        HE = road(H, E, 1, 1);
    }
};

} // namespace

TEST(ShortestPaths, SearchRulesOnASmallRoad)
{
    {
        // A negative cost closes its direction; a blocking node is reached
        // but passes nothing on.
        TRoad r;
        TShortestPathSettings s;
        s.StartNames[1] = {"S"};
        s.BlockingClass[2] = 1;
        RecordingHost host;
        MarkShortestPaths(r.Net, s, r.Widths, host);
        EXPECT_EQ(r.Net.PathOf(r.C).Distance, 3);
        EXPECT_EQ(r.Net.PathOf(r.C).Link, r.BC);
        EXPECT_EQ(r.Net.PathOf(r.D).Distance, 3);
        EXPECT_EQ(r.Net.PathOf(r.H).Distance, 2);
        EXPECT_EQ(r.Net.PathOf(r.E).Distance, PathUnreached);
        EXPECT_EQ(host.Status.back(), "Done.");
    }
    {
        // Starting at D nothing is reachable (D -> B costs -1); a blocking
        // start node still spreads.
        TRoad r;
        TShortestPathSettings s;
        s.StartNames[1] = {"D"};
        s.StartNames[2] = {"H"};
        s.MarkValue[2] = 7;
        s.BlockingClass[2] = 1;
        RecordingHost host;
        MarkShortestPaths(r.Net, s, r.Widths, host);
        EXPECT_EQ(r.Net.PathOf(r.B).Distance, 2);
        EXPECT_EQ(r.Net.PathOf(r.B).Mark, 7);
        EXPECT_EQ(r.Net.PathOf(r.E).Distance, 1);
    }
    {
        // A maximum distance leaves farther nodes unreached; two sets grow
        // one forest, each node marked by the set that reached it first.
        TRoad r;
        TShortestPathSettings s;
        s.StartNames[1] = {"S"};
        s.StartNames[3] = {"C"};
        s.MarkValue[1] = 10;
        s.MarkValue[3] = 30;
        s.MaximumDistance = 1;
        RecordingHost host;
        MarkShortestPaths(r.Net, s, r.Widths, host);
        EXPECT_EQ(r.Net.PathOf(r.A).Mark, 10);
        EXPECT_EQ(r.Net.PathOf(r.B).Mark, 30);
        EXPECT_EQ(r.Net.PathOf(r.H).Distance, PathUnreached);
        EXPECT_EQ(r.Net.PathOf(r.D).Distance, PathUnreached);
    }
}

TEST(ShortestPaths, MarksGoIntoNumberAttributesOnly)
{
    TRoad r;
    TShortestPathSettings s;
    s.StartNames[1] = {"S"};
    s.MarkValue[1] = 4;
    s.NodeMarkAttribute[1] = 1; // R
    s.LinkMarkAttribute[1] = 4;
    s.MarkNodesWith = 0;
    s.BlockingClass[2] = 1;
    const TValueSlot code = r.H->Values[2];
    Set(r.SC, 4, 99); // a mark from an earlier search is cleared
    RecordingHost host;
    r.Net.Modified = false;
    MarkShortestPaths(r.Net, s, r.Widths, host);
    EXPECT_TRUE(r.Net.Modified);
    EXPECT_EQ(Val(r.C, 1), 3);
    EXPECT_EQ(Val(r.E, 1), 1e99); // not reached
    // Every tree link carries the mark, also the one into the hub, whose
    // class marks no node.
    EXPECT_EQ(Val(r.AH, 4), 4);
    EXPECT_EQ(Val(r.BC, 4), 4);
    EXPECT_EQ(Val(r.SC, 4), 0);
    // A categorical attribute takes no mark.
    s.NodeMarkAttribute[2] = 3;
    MarkShortestPaths(r.Net, s, r.Widths, host);
    EXPECT_EQ(r.H->Values[2], code);

    // Mark values into an integer attribute; with an ending node only its
    // path is marked.
    s.NodeMarkAttribute[1] = 2;
    s.MarkNodesWith = 1;
    s.EndNodeName = "D";
    MarkShortestPaths(r.Net, s, r.Widths, host);
    EXPECT_EQ(Val(r.C, 2), 4);
    EXPECT_EQ(Val(r.SA, 4), 4);
    EXPECT_EQ(Val(r.AB, 4), 4);
    EXPECT_EQ(Val(r.BD, 4), 4);
    EXPECT_EQ(Val(r.BC, 4), 0);
    EXPECT_EQ(Val(r.AH, 4), 0);

    // An ending name that matches nothing marks whole trees.
    s.EndNodeName = "Nowhere";
    MarkShortestPaths(r.Net, s, r.Widths, host);
    EXPECT_EQ(Val(r.BC, 4), 4);
}

TEST(ShortestPaths, EditTextIsTheFirstStartName)
{
    // The working list still holds the name the edit showed before it was changed.
    const std::vector<std::string> names = NamesWithEditText("B", {"S", "", "D"});
    EXPECT_EQ(names, (std::vector<std::string>{"B", "D"}));
    TRoad r;
    TShortestPathSettings s;
    s.StartNames[1] = names;
    RecordingHost host;
    MarkShortestPaths(r.Net, s, r.Widths, host);
    EXPECT_EQ(r.Net.PathOf(r.B).Distance, 0);
    EXPECT_EQ(r.Net.PathOf(r.D).Distance, 0);
    EXPECT_EQ(r.Net.PathOf(r.S).Distance, 2);
}

TEST(ShortestPaths, RefusalsStopAndCostErrors)
{
    TRoad r;
    TShortestPathSettings s;
    s.StartNames[1] = {"Nobody", ""};
    RecordingHost host;
    r.Net.Modified = false;
    EXPECT_FALSE(MarkShortestPaths(r.Net, s, r.Widths, host).Ran);
    ASSERT_EQ(host.Recorder.Count(), 1u);
    EXPECT_EQ(host.Recorder.Last().Text, "Starting node not found.");
    EXPECT_EQ(host.Recorder.Last().Caption, "Mark Shortest Paths");
    EXPECT_FALSE(r.Net.Modified);

    s.StartNames[1] = {"S"};
    s.MaximumDistance = -1;
    EXPECT_FALSE(MarkShortestPaths(r.Net, s, r.Widths, host).Ran);
    EXPECT_EQ(host.Recorder.Last().Text, "Error in maximum distance.");
    EXPECT_EQ(host.Status.size(), 0u);

    // Stop while building: the start and the nearest candidate taken before
    // the loop are final, nothing is marked, the link marks stay cleared.
    s.MaximumDistance = 0;
    s.LinkMarkAttribute[1] = 4;
    s.NodeMarkAttribute[1] = 1;
    Set(r.SA, 4, 5);
    Set(r.C, 1, 8);
    host.StopAt = "Building...";
    const TPathSearchResult stopped = MarkShortestPaths(r.Net, s, r.Widths, host);
    EXPECT_TRUE(stopped.Stopped);
    EXPECT_EQ(stopped.Settled, 2);
    EXPECT_EQ(Val(r.SA, 4), 0);
    EXPECT_EQ(Val(r.C, 1), 8);
    EXPECT_EQ(host.Status.back(), "Done.");

    // Costs that fail to evaluate are counted; the status says how many.
    host.StopAt.clear();
    r.Widths.LinkWidthExpressions[1] = "A1/A3:A2";
    const TPathSearchResult counted = MarkShortestPaths(r.Net, s, r.Widths, host);
    EXPECT_GT(counted.CostErrors, 0);
    EXPECT_EQ(host.Status.back(), "Done. Cost errors = " + std::to_string(counted.CostErrors));
}

TEST(ShortestPaths, SetSearchForMarkPassesTheFirstSetsMarks)
{
    TRoad r;
    TShortestPathSettings s;
    s.MarkValue[1] = 6;
    s.LinkMarkAttribute[1] = 4;
    s.LinkMarkAttribute[2] = 3; // categorical: no criterion
    s.NodeMarkAttribute[1] = 2;
    (*r.Net.LinkClasses)[1].SearchClass = 1;
    (*r.Net.LinkClasses)[1].Attr(1)->Active = 1;
    s.MarkNodesWith = 0;
    SetSearchForMark(r.Net, s);
    const TClassRecord& road = (*r.Net.LinkClasses)[1];
    EXPECT_EQ(road.SearchClass, 0);
    EXPECT_EQ(road.Attr(1)->Active, 0);
    EXPECT_EQ(road.Attr(4)->Active, 1);
    EXPECT_EQ(road.Attr(4)->Low, 6);
    EXPECT_EQ(road.Attr(4)->High, 6);
    EXPECT_EQ((*r.Net.LinkClasses)[2].Attr(3)->Active, 0);
    EXPECT_EQ((*r.Net.NodeClasses)[1].Attr(2)->Active, 0); // nodes only with "Mark Value"
    s.MarkNodesWith = 1;
    SetSearchForMark(r.Net, s);
    EXPECT_EQ((*r.Net.NodeClasses)[1].Attr(2)->Active, 1);
}
