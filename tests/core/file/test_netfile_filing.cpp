// An open files its nodes once, at the cell size that filing them one at a
// time (re-gridding before each) would end at: the hash, its order and the
// saved file must be exactly those of the one-at-a-time load.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "netfile_fixture.h"

using namespace netfiletest;

namespace {

struct TBody {
    std::string Nodes, Links, LinkExtras;
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
    // The extras of the link from the node of serial as at (ax, ay) to the one of serial bs: its note.
    void LinkNote(int32_t ax, int32_t ay, int32_t as, int32_t bs, const std::string& note)
    {
        LinkExtras += std::to_string(as) + " " + std::to_string(bs) + " " + std::to_string(ax) + " " +
                      std::to_string(ay) + " 0 0 0 0 0 1 0 0 0 0\r\n" + note + "\r\n";
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
           "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\r\n" + body.LinkExtras + "0 0 0 0 0 0 0 0 0 0 0 0 0 0\r\n";
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

namespace {

// Node records with the serials and names given, and links by their ends.
struct TRecord {
    int32_t X, Y, Serial;
    std::string Name;
};
struct TEnd {
    int32_t X, Y, Serial;
};
using TLinkEnds = std::vector<std::pair<TEnd, TEnd>>;

TBody BodyOf(const std::vector<TRecord>& nodes, const TLinkEnds& links)
{
    TBody body;
    for (const TRecord& n : nodes)
        body.Nodes += "1 " + std::to_string(n.X) + " " + std::to_string(n.Y) + " 1 " + std::to_string(n.Serial) +
                      " 0 0 0 0 0\r\n" + n.Name + "\r\n";
    for (const auto& [a, b] : links) body.Link(a.X, a.Y, a.Serial, b.X, b.Y, b.Serial);
    return body;
}

std::string FileOf(const std::vector<TRecord>& nodes, const TLinkEnds& links) { return FileOf(BodyOf(nodes, links)); }

// The links as their end nodes' names ("A-B"), in the order of the saved
// file; those with a note also as "A-B note".
struct TLoad {
    std::vector<std::string> Joined, Notes;
    TOpenResult Result;
    std::string Saved;
};

// Opens the file, then appends it Appends times.
TLoad Load(const std::string& bytes, int appends = 0)
{
    TLoad out;
    TMessageSinkRecorder rec;
    TNetWindow net;
    const std::string path = TempPath("serials.dta"), saved = TempPath("serials-saved.dta");
    WriteAll(path, bytes);
    out.Result = OpenNetworkFile(net, path, true, rec);
    for (int i = 0; i < appends; ++i) EXPECT_EQ(OpenNetworkFile(net, path, false, rec).Status, TOpenStatus::Ok);
    for (const THashEntry* cell : net.NodeHash)
        for (const TNetworkPoint* p : cell->Points)
            if (const TNode* n = p->AsNode())
                for (const TLink* h : n->Links)
                    if (h->AEnd()) {
                        const std::string joined = std::string(n->Name) + "-" + std::string(h->FarNode->Name);
                        out.Joined.push_back(joined);
                        if (!h->LinkValues->Note.empty()) out.Notes.push_back(joined + " " + h->LinkValues->Note);
                    }
    EXPECT_TRUE(SaveNetworkFile(net, saved, 9, rec).Ok);
    out.Saved = ReadAll(saved);
    return out;
}

std::vector<std::string> Sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

} // namespace

// Links find their end nodes by serial and position whatever the order of the
// node records: a file whose node records come reversed or shuffled joins
// every link as the file in order does. Where a serial repeats in a cell, the
// node at the link's position is taken when it has that serial, else the
// first of that serial in the cell's order.
TEST(NetworkFileFiling, NodeRecordsInAnyOrderJoinTheSameNodes)
{
    auto expectSame = [&](const std::vector<TRecord>& ordered, std::vector<TRecord> other, const TLinkEnds& links) {
        const TLoad a = Load(FileOf(ordered, links)), b = Load(FileOf(other, links));
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
        TLinkEnds links;
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
        TLinkEnds withRepeats = links;
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

// Each kind of disorder on its own, every link checked by the names of its
// ends (comparing with an ordered file would go through the same look-up
// whenever the ordered file has a gap or a repeat too).
TEST(NetworkFileFiling, OutOfOrderSerialsWithAGapOrARepeatJoinEveryLink)
{
    auto record = [](int32_t serial, const std::string& name) {
        return TRecord{(serial % 20) * 5000 - 50000, (serial / 20) * 5000 - 25000, serial, name + std::to_string(serial)};
    };
    auto end = [](const TRecord& r) { return TEnd{r.X, r.Y, r.Serial}; };
    auto expectJoined = [&](const std::vector<TRecord>& nodes, const std::vector<std::pair<size_t, size_t>>& pairs) {
        TLinkEnds links;
        std::vector<std::string> expected;
        for (auto [a, b] : pairs) {
            links.push_back({end(nodes[a]), end(nodes[b])});
            expected.push_back(nodes[a].Name + "-" + nodes[b].Name);
        }
        const TLoad l = Load(FileOf(nodes, links));
        EXPECT_EQ(l.Result.Status, TOpenStatus::Ok);
        EXPECT_EQ(l.Result.WithoutEnds, 0);
        EXPECT_EQ(Sorted(l.Joined), Sorted(expected));
    };
    // Serials 200 down to 1 with 50 left out (every fourth), no repeat; a
    // link from each node to the next in the file.
    std::vector<TRecord> gaps;
    for (int32_t s = 200; s >= 1; --s)
        if (s % 4 != 0) gaps.push_back(record(s, "N"));
    std::vector<std::pair<size_t, size_t>> pairs;
    for (size_t i = 0; i + 1 < gaps.size(); ++i) pairs.push_back({i, i + 1});
    {
        SCOPED_TRACE("gaps");
        expectJoined(gaps, pairs);
    }
    // Serials 200 down to 1 without a gap, 77 again in a cell of its own.
    std::vector<TRecord> repeat;
    for (int32_t s = 200; s >= 1; --s) repeat.push_back(record(s, "N"));
    repeat.insert(repeat.begin() + 60, TRecord{400000, 400000, 77, "M77"});
    pairs.clear();
    for (size_t i = 0; i + 1 < repeat.size(); ++i) pairs.push_back({i, i + 1});
    pairs.push_back({60, 150}); // from the second 77 to serial 51
    pairs.push_back({190, 60}); // to it from serial 11
    {
        SCOPED_TRACE("a repeat");
        expectJoined(repeat, pairs);
    }
}

// A note on a node's second or third link comes back on that link, not on
// the node's first: the link's extras name it by its A node and the far
// node's serial, whatever the order of the node records, also in an append
// (where the file's serials follow those of the network's nodes).
TEST(NetworkFileFiling, LinkNotesComeBackOnTheirLinks)
{
    const std::vector<TRecord> ordered = {{0, 0, 1, "A"}, {1000, 0, 2, "B"}, {0, 1000, 3, "C"}, {-900, -900, 4, "D"}};
    auto end = [&](size_t i) { return TEnd{ordered[i].X, ordered[i].Y, ordered[i].Serial}; };
    const TLinkEnds links = {{end(0), end(1)}, {end(0), end(2)}, {end(0), end(3)}};
    for (const bool reversed : {false, true})
        for (const int appends : {0, 1}) {
            SCOPED_TRACE(std::string(reversed ? "reversed" : "in order") + (appends ? ", appended" : ""));
            TBody body = BodyOf(reversed ? std::vector<TRecord>(ordered.rbegin(), ordered.rend()) : ordered, links);
            body.LinkNote(0, 0, 1, 3, "second");
            body.LinkNote(0, 0, 1, 4, "third");
            const TLoad l = Load(FileOf(body), appends);
            EXPECT_EQ(l.Result.Status, TOpenStatus::Ok);
            std::vector<std::string> expected;
            for (int i = 0; i <= appends; ++i) expected.insert(expected.end(), {"A-C second", "A-D third"});
            EXPECT_EQ(Sorted(l.Notes), Sorted(expected));
        }
}
