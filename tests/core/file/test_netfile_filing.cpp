// An open files its nodes once, at the cell size that filing them one at a
// time (re-gridding before each) would end at: the hash, its order and the
// saved file must be exactly those of the one-at-a-time load.
#include <gtest/gtest.h>

#include <random>

#include "netfile_fixture.h"

using namespace netfiletest;

namespace {

struct TBody {
    std::string Nodes, Links;
    int32_t Serial = 0;

    int32_t Node(int32_t x, int32_t y)
    {
        ++Serial;
        Nodes += "1 " + std::to_string(x) + " " + std::to_string(y) + " 1 " + std::to_string(Serial) +
                 " 0 0 0 0 0\r\nN" + std::to_string(Serial) + "\r\n";
        return Serial;
    }
    void Link(int32_t ax, int32_t ay, int32_t as, int32_t bx, int32_t by, int32_t bs,
              const std::vector<std::pair<int32_t, int32_t>>& shapes = {})
    {
        Links += "1 " + std::to_string(ax) + " " + std::to_string(ay) + " " + std::to_string(bx) + " " +
                 std::to_string(by) + " 0 " + std::to_string(as) + " " + std::to_string(bs) + " 0 " +
                 std::to_string(shapes.size()) + "\r\n\r\n";
        for (auto [x, y] : shapes) Links += std::to_string(x) + " " + std::to_string(y) + " 0 0 0\r\n";
    }
};

// A version 9 file of the body's nodes and links.
std::string FileOf(const TBody& body)
{
    static const std::string head = [] {
        TNetWindow empty;
        TMessageSinkRecorder rec;
        const std::string path = TempPath("head.dta");
        SaveNetworkFile(empty, path, 9, rec);
        std::string all = ReadAll(path);
        return all.substr(0, all.find("END OF APPLICATION"));
    }();
    return head + "END OF APPLICATION\r\n1 0 0 1 -1 0 0 0 0 0\r\n\r\n" + body.Nodes + "0 0 0 0 0 0 0 0 0 0\r\n" +
           "1 0 0 0 0 0 -1 -1 0 0\r\n\r\n" + body.Links + "0 0 0 0 0 0 0 0 0 0\r\n0 0 0 0\r\n\r\n0 0 0 0 0 0 0\r\n" +
           "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\r\n0 0 0 0 0 0 0 0 0 0 0 0 0 0\r\n";
}

// Opens the file both ways and compares everything the hash holds, then the
// files the two save.
void ExpectSameLoads(const std::string& bytes, int32_t cellWidth)
{
    const std::string path = TempPath("filing.dta");
    WriteAll(path, bytes);
    TMessageSinkRecorder rec;
    TNetWindow ref, one;
    TOpenOptions slow;
    slow.FileNodesOneByOne = true;
    ASSERT_EQ(OpenNetworkFile(ref, path, true, rec, slow).Status, TOpenStatus::Ok);
    ASSERT_EQ(OpenNetworkFile(one, path, true, rec).Status, TOpenStatus::Ok);
    EXPECT_EQ(ref.NodeHash.CellWidth, cellWidth);
    EXPECT_EQ(one.NodeHash.CellWidth, ref.NodeHash.CellWidth);
    EXPECT_EQ(one.NodeHash.CellHeight, ref.NodeHash.CellHeight);
    EXPECT_EQ(one.RegridShrunk, ref.RegridShrunk);
    EXPECT_EQ(one.RegridGrown, ref.RegridGrown);
    EXPECT_EQ(one.RegridFutileMax, ref.RegridFutileMax);
    EXPECT_EQ(one.NodeHash.MaxCellPointCount(), ref.NodeHash.MaxCellPointCount());
    EXPECT_EQ(TBox({one.MinX, one.MinY, one.MaxX, one.MaxY}), TBox({ref.MinX, ref.MinY, ref.MaxX, ref.MaxY}));
    EXPECT_EQ(one.LinkCount, ref.LinkCount);
    ASSERT_EQ(one.NodeHash.GetCount(), ref.NodeHash.GetCount());
    int32_t differing = 0;
    for (int32_t c = 0; c < ref.NodeHash.GetCount(); ++c) {
        const THashEntry* a = ref.NodeHash.At(c);
        const THashEntry* b = one.NodeHash.At(c);
        bool same = a->Key == b->Key && a->X0 == b->X0 && a->Y0 == b->Y0 &&
                    a->Points.GetCount() == b->Points.GetCount() && a->MaxDX == b->MaxDX &&
                    a->MaxDY == b->MaxDY && a->LinkBox == b->LinkBox;
        for (int32_t i = 0; same && i < a->Points.GetCount(); ++i) {
            const TNetworkPoint* p = a->Points.At(i);
            const TNetworkPoint* q = b->Points.At(i);
            same = p->X == q->X && p->Y == q->Y && p->IsNode() == q->IsNode() &&
                   (!p->IsNode() || p->AsNode()->Serial == q->AsNode()->Serial);
        }
        differing += same ? 0 : 1;
    }
    EXPECT_EQ(differing, 0);
    const std::string a = TempPath("filing-ref.dta"), b = TempPath("filing-one.dta");
    ASSERT_TRUE(SaveNetworkFile(ref, a, 9, rec).Ok);
    ASSERT_TRUE(SaveNetworkFile(one, b, 9, rec).Ok);
    EXPECT_TRUE(ReadAll(a) == ReadAll(b)) << DiffLine(ReadAll(a), ReadAll(b));
}

} // namespace

TEST(NetworkFileFiling, OnePassGivesTheOrderOfFilingOneAtATime)
{
    std::mt19937 random(7);
    {
        // Nothing re-grids; coincident nodes and a shuffled file order.
        TBody body;
        std::vector<std::pair<int32_t, int32_t>> at;
        for (int i = 0; i < 3000; ++i) at.push_back({int32_t(random() % 2000) - 1000, int32_t(random() % 50)});
        for (int i = 0; i < 500; ++i) at.push_back(at[random() % at.size()]);
        for (auto [x, y] : at) body.Node(x, y);
        body.Nodes += "1 400000 400000 1 0 0 0 0 0 0\r\nzero\r\n";
        body.Link(at[0].first, at[0].second, 1, at[1].first, at[1].second, 2, {{5, 5}, {-7, 3}, {5, 5}});
        body.Link(at[2].first, at[2].second, 3, at[1].first, at[1].second, 2);
        ExpectSameLoads(FileOf(body), 200);
    }
    {
        // One doubling: a node in each 200-cell of a block, the cells then
        // counted again at 400; coincident nodes before and after it.
        TBody body;
        std::vector<std::pair<int32_t, int32_t>> at;
        for (int i = 0; i < HashCap + 2000; ++i) at.push_back({(i % 600) * 200 - 60000, (i / 600) * 200 - 30000});
        std::shuffle(at.begin(), at.end(), random);
        for (int i = 0; i < 4000; ++i) at.insert(at.begin() + random() % at.size(), at[random() % at.size()]);
        for (auto [x, y] : at) body.Node(x, y);
        body.Link(at[10].first, at[10].second, 11, at[20].first, at[20].second, 21, {{0, 0}, {1, 1}});
        ExpectSameLoads(FileOf(body), 400);
    }
    {
        // Two doublings at different times: a dense block, then nodes each
        // in their own 400-cell.
        TBody body;
        for (int i = 0; i < HashCap; ++i) body.Node((i % 400) * 200 - 40000, (i / 400) * 200 - 40000);
        for (int i = 0; i < 130000; ++i) body.Node((i % 500) * 400 + 100000, (i / 500) * 400 - 50000);
        body.Node(100000, -50000); // coincident with the first of the second run
        ExpectSameLoads(FileOf(body), 800);
    }
    {
        // Three doublings at once: every node in its own 800-cell. A node of
        // serial 0 widens the extents only through the re-grid's recount.
        TBody body;
        body.Nodes += "1 400000 400000 1 0 0 0 0 0 0\r\nzero\r\n";
        for (int i = 0; i < HashCap + 10; ++i) body.Node((i % 405) * 800 - 162000, (i / 405) * 800 - 162000);
        ExpectSameLoads(FileOf(body), 1600);
    }
    {
        // Two halvings at different times: a crowded 200-cell, then a
        // crowded 100-cell; every position holds several nodes, so each
        // re-grid reverses their runs.
        TBody body;
        for (int i = 0; i < HashCap + 5; ++i) body.Node(int32_t(random() % 200), int32_t(random() % 200));
        for (int i = 0; i < HashCap; ++i) body.Node(int32_t(random() % 100) + 300, int32_t(random() % 100));
        body.Node(0, 0);
        ExpectSameLoads(FileOf(body), 50);
    }
}

// A file as this program saves it comes in hash order: the nodes of one
// position then stand together, in the order the inserts and re-grids of a
// one-at-a-time load give them.
TEST(NetworkFileFiling, AFileInHashOrderKeepsTheOrderOfCoincidentNodes)
{
    std::mt19937 random(13);
    // The positions in hash order at cells of the given size.
    auto hashOrder = [](std::vector<std::pair<int32_t, int32_t>> at, int32_t size) {
        auto floorDiv = [](int32_t a, int32_t b) { return a / b - ((a % b != 0) && (a < 0)); };
        std::stable_sort(at.begin(), at.end(), [&](auto a, auto b) {
            const int64_t ca = MakeCellKey(floorDiv(a.first, size), floorDiv(a.second, size));
            const int64_t cb = MakeCellKey(floorDiv(b.first, size), floorDiv(b.second, size));
            if (ca != cb) return ca < cb;
            return TNetworkPoint::PointKeyOf(a.first, a.second) < TNetworkPoint::PointKeyOf(b.first, b.second);
        });
        return at;
    };
    auto load = [&](const std::vector<std::pair<int32_t, int32_t>>& at, int32_t size) {
        TBody body;
        for (auto [x, y] : at) body.Node(x, y);
        body.Link(at[0].first, at[0].second, 1, at[5].first, at[5].second, 6, {{3, 4}});
        ExpectSameLoads(FileOf(body), size);
    };
    {
        // Nothing re-grids.
        std::vector<std::pair<int32_t, int32_t>> at;
        for (int i = 0; i < 3000; ++i) at.push_back({int32_t(random() % 2000) - 1000, int32_t(random() % 300) - 100});
        for (int i = 0; i < 800; ++i) at.push_back(at[random() % at.size()]);
        load(hashOrder(at, 200), 200);
    }
    {
        // One doubling, with coincident nodes before and after it.
        std::vector<std::pair<int32_t, int32_t>> at;
        for (int i = 0; i < HashCap + 2000; ++i) at.push_back({(i % 600) * 200 - 60000, (i / 600) * 200 - 30000});
        for (int i = 0; i < 4000; ++i) at.push_back(at[random() % at.size()]);
        load(hashOrder(at, 400), 400);
    }
    {
        // One halving: a crowded cell whose positions hold several nodes.
        std::vector<std::pair<int32_t, int32_t>> at;
        for (int i = 0; i < HashCap + 5; ++i) at.push_back({int32_t(random() % 150), int32_t(random() % 150)});
        load(hashOrder(at, 100), 100);
    }
}

// Links find their end nodes by serial and position whatever the order of the
// node records: a file whose node records come reversed or shuffled joins
// every link as the file in order does. Where a serial repeats in a cell, the
// node at the link's position is taken when it has that serial, else the
// first of that serial in the cell's order.
TEST(NetworkFileFiling, NodeRecordsInAnyOrderJoinTheSameNodes)
{
    struct TRecord {
        int32_t X, Y, Serial;
        std::string Name;
    };
    struct TEnd {
        int32_t X, Y, Serial;
    };
    auto fileOf = [](const std::vector<TRecord>& nodes, const std::vector<std::pair<TEnd, TEnd>>& links) {
        TBody body;
        for (const TRecord& n : nodes)
            body.Nodes += "1 " + std::to_string(n.X) + " " + std::to_string(n.Y) + " 1 " + std::to_string(n.Serial) +
                          " 0 0 0 0 0\r\n" + n.Name + "\r\n";
        for (const auto& [a, b] : links) body.Link(a.X, a.Y, a.Serial, b.X, b.Y, b.Serial);
        return FileOf(body);
    };
    // The links as their end nodes' names, in the order of the saved file.
    struct TLoad {
        std::vector<std::string> Joined;
        TOpenResult Result;
        std::string Saved;
    };
    auto load = [](const std::string& bytes) {
        TLoad out;
        TMessageSinkRecorder rec;
        TNetWindow net;
        const std::string path = TempPath("serials.dta"), saved = TempPath("serials-saved.dta");
        WriteAll(path, bytes);
        out.Result = OpenNetworkFile(net, path, true, rec);
        for (const THashEntry* cell : net.NodeHash)
            for (const TNetworkPoint* p : cell->Points)
                if (const TNode* n = p->AsNode())
                    for (const TLink* h : n->Links)
                        if (h->AEnd()) out.Joined.push_back(std::string(n->Name) + "-" + std::string(h->FarNode->Name));
        EXPECT_TRUE(SaveNetworkFile(net, saved, 9, rec).Ok);
        out.Saved = ReadAll(saved);
        return out;
    };
    auto expectSame = [&](const std::vector<TRecord>& ordered, std::vector<TRecord> other,
                          const std::vector<std::pair<TEnd, TEnd>>& links) {
        const TLoad a = load(fileOf(ordered, links)), b = load(fileOf(other, links));
        EXPECT_EQ(a.Result.Status, TOpenStatus::Ok);
        EXPECT_EQ(b.Result.Status, TOpenStatus::Ok);
        EXPECT_EQ(b.Result.Redundant, a.Result.Redundant);
        EXPECT_EQ(b.Result.Looped, a.Result.Looped);
        EXPECT_EQ(b.Result.WithoutEnds, a.Result.WithoutEnds);
        EXPECT_EQ(b.Joined, a.Joined);
        EXPECT_TRUE(b.Saved == a.Saved) << DiffLine(a.Saved, b.Saved);
        return b;
    };

    std::mt19937 random(29);
    for (const bool crowded : {true, false}) {
        SCOPED_TRACE(crowded ? "crowded" : "spread");
        // Distinct positions: a 100 x 50 box (one cell) or over the world.
        std::vector<std::pair<int32_t, int32_t>> at;
        for (int32_t i = 0; i < 5000; ++i)
            at.push_back(crowded ? std::pair{i % 100, i / 100} : std::pair{(i % 100) * 3001 - 150000, (i / 100) * 2999 - 70000});
        std::shuffle(at.begin(), at.end(), random);
        std::vector<TRecord> nodes;
        for (int32_t i = 0; i < 3000; ++i) nodes.push_back({at[i].first, at[i].second, i + 1, "N" + std::to_string(i + 1)});
        std::vector<std::pair<TEnd, TEnd>> links;
        auto end = [&](int32_t i) { return TEnd{nodes[i].X, nodes[i].Y, nodes[i].Serial}; };
        // (None to the records 500..509, which a file below leaves out.)
        auto any = [&] {
            const int32_t i = int32_t(random() % 3000);
            return end(i >= 500 && i < 510 ? i - 20 : i);
        };
        for (int i = 0; i < 4000; ++i) links.push_back({any(), any()});
        // Ends not found: a serial at another node's position, or nowhere.
        links.push_back({end(1), {nodes[2].X, nodes[2].Y, nodes[7].Serial}});
        links.push_back({end(1), {nodes[2].X, nodes[2].Y, 999999}});
        links.push_back({{nodes[3].X, nodes[3].Y, 0}, end(4)});

        // Serials 1..n: reversed, then shuffled.
        std::vector<TRecord> reversed(nodes.rbegin(), nodes.rend());
        expectSame(nodes, reversed, links);
        std::vector<TRecord> shuffled = nodes;
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        expectSame(nodes, shuffled, links);

        // Serials with gaps, a serial 0 and one that repeats: twice in one
        // cell (both later in the cell's order than the first of that serial)
        // and once far away.
        auto inCell = [](int32_t v) { return ((v % 200) + 200) % 200; };
        size_t k = 100;
        while (inCell(nodes[k].X) > 150 || inCell(nodes[k].Y) > 150) ++k;
        const TRecord first = nodes[k];
        std::vector<TRecord> repeated = nodes;
        repeated.erase(repeated.begin() + 500, repeated.begin() + 510);
        const int32_t cx = crowded ? 150 : first.X + 1, cy = crowded ? 70 : first.Y + 1;
        repeated.push_back({cx, cy, first.Serial, "second"});
        repeated.push_back({cx + 1, cy, first.Serial, "third"});
        repeated.push_back({400000, 400000, first.Serial, "far"});
        repeated.push_back({cx + 2, cy, 0, "zero"});
        std::vector<std::pair<TEnd, TEnd>> withRepeats = links;
        const TEnd other = end(2);
        withRepeats.push_back({{cx, cy, first.Serial}, other});         // the node at the position
        withRepeats.push_back({{cx + 1, cy, first.Serial}, end(3)});    // likewise
        withRepeats.push_back({{cx + 2, cy, first.Serial}, end(4)});    // "zero" is there: the first in the cell
        withRepeats.push_back({{400000, 400000, first.Serial}, end(5)}); // the one in that cell
        withRepeats.push_back({{cx + 2, cy, 0}, end(6)});                // serial 0 at its place
        withRepeats.push_back({end(505), end(6)});                       // a serial no record has
        std::vector<TRecord> mixed = repeated;
        std::shuffle(mixed.begin(), mixed.end(), random);
        const TLoad b = expectSame(repeated, mixed, withRepeats);
        for (const std::string& joined : {std::string("second-N3"), std::string("third-N4"), first.Name + "-N5",
                                          std::string("far-N6"), std::string("zero-N7")})
            EXPECT_NE(std::find(b.Joined.begin(), b.Joined.end(), joined), b.Joined.end()) << joined;
        // In one cell a serial is found wherever it stands in it: there only
        // the serial no record has and 999999 are not found.
        EXPECT_EQ(b.Result.WithoutEnds, crowded ? 2 : 4);
    }
}
