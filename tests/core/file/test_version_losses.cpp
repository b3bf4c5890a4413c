// What Save As in an older version asks about: what a file of that version
// cannot keep of the network and the window's settings, counted.
#include <gtest/gtest.h>

#include <map>

#include "netfile_fixture.h"
#include "core/file/VersionLosses.h"

using namespace netfiletest;

namespace {

// What the question counts of a network, counted here as the network holds it.
std::map<std::string, long long> Held(const TNetWindow& net)
{
    std::map<std::string, long long> held;
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points) {
            const TNode* n = p->AsNode();
            if (!n) continue;
            held["notes"] += n->Note().size() > 0;
            held["polygons"] += n->OwnPolygon().GetCount() > 0;
            for (const TNetworkPoint* q : n->OwnPolygon()) held["polygon shape vertices"] += q->IsShapePoint();
            for (const TLink* h : n->Links)
                if (h->AEnd() == 1) {
                    held["shape points"] += h->LinkValues->ShapePoints.GetCount();
                    held["notes"] += h->LinkValues->Note.size() > 0;
                }
        }
    for (const TEntityClass* classes : {net.NodeClasses.get(), net.LinkClasses.get(), net.SystemClass.get()})
        for (const TClassRecord& rec : classes->Classes) {
            if (classes != net.SystemClass.get()) held["aliases"] += !rec.Alias.empty();
            for (int i = 1; i <= rec.AttributeCount || (classes == net.SystemClass.get() && i <= 35); ++i)
                if (const TAttrib* a = rec.Attr(i); a && !a->Name.empty()) {
                    held["'S' attributes"] += a->Kind == 'S';
                    held["aliases"] += !a->Alias.empty();
                }
        }
    return held;
}

// The file tests' network, with the alias of a class besides those of its attributes.
void MakeNetwork(TNetWindow& net)
{
    MakeRichNetwork(net);
    (*net.LinkClasses)[1].Alias = "Rd";
}

std::string Question(const TNetWindow& net, int v)
{
    return VersionLossQuestion(NetworkFileVersionName(v), WhatVersionDrops(net, net, v));
}

} // namespace

// A new network, and what a file of each version read back holds, lose
// nothing: no question.
TEST(VersionLosses, ANetworkHoldingNothingTheVersionDropsAsksNothing)
{
    for (int v : {1, 3, 4, 5, 6, 7, 8, 9}) {
        SCOPED_TRACE("version " + std::to_string(v));
        TNetWindow fresh;
        EXPECT_TRUE(WhatVersionDrops(fresh, fresh, v).empty()) << Question(fresh, v);
        TNetWindow net, back;
        MakeNetwork(net);
        ASSERT_EQ(RoundTrip(net, v, "kept" + std::to_string(v), back).Opened.Status, TOpenStatus::Ok);
        EXPECT_TRUE(WhatVersionDrops(back, back, v).empty()) << Question(back, v);
    }
}

// The counts are what the file really drops: the network read back from it
// holds that many fewer.
TEST(VersionLosses, CountsWhatTheFileDrops)
{
    const std::map<int, std::string> expected = {
        {1, "Version 1 does not keep: 3 shape points, 1 polygon, 2 notes, the values of 3 'S' attributes, the values "
            "of 2 date and time attributes, the values of 2 categorical attributes, the integer type of 2 attributes, "
            "the label and symbol styles of 4 nodes and links, the triangulation exclusion of 1 node or link, the "
            "style of 1 class, the aliases of 13 classes and attributes, the hints of 2 worksheets, the codes of 2 "
            "worksheets, 2 search criteria, the initial node and link attributes, the title, the polygon criterion, "
            "the label settings, the width and size settings, the display settings, the layers, 2 backgrounds, the "
            "long/lat and units settings, the title block, the extract/update formats."},
        {4, "Version 5 does not keep: 3 shape points, 2 notes, the values of 3 'S' attributes, the values of 2 date "
            "and time attributes, the integer type of 2 attributes, 1 polygon vertex at a shape point, the label or "
            "symbol style of 1 node or link, the triangulation exclusion of 1 node or link, the style of 1 class, the "
            "aliases of 13 classes and attributes, the hints of 2 worksheets, 1 search criterion, the initial node "
            "and link attributes, the title, the polygon criterion, the label settings, the width and size settings, "
            "the display settings, the layers, 2 backgrounds, the long/lat and units settings, the title block, the "
            "extract/update formats."},
        {7, "Version 7 does not keep: the values of 3 'S' attributes, the triangulation exclusion of 1 node or link, "
            "the aliases of 13 classes and attributes, 1 search criterion, the display settings, the long/lat and "
            "units settings, the extract/update formats."},
        {8, "Version 8 does not keep: the aliases of 13 classes and attributes, the extract/update formats."},
    };
    for (int v : {1, 3, 4, 5, 6, 7, 8}) {
        SCOPED_TRACE("version " + std::to_string(v));
        TNetWindow net, back;
        MakeNetwork(net);
        const std::vector<TVersionLoss> losses = WhatVersionDrops(net, net, v);
        if (expected.count(v)) {
            EXPECT_EQ(VersionLossQuestion(NetworkFileVersionName(v), losses), expected.at(v));
        }
        RoundTrip(net, v, "drops" + std::to_string(v), back);
        std::map<std::string, long long> dropped = Held(net);
        for (const auto& [what, n] : Held(back)) dropped[what] -= n;
        auto reported = [&](const std::string& many) {
            for (const TVersionLoss& l : losses)
                if (l.Many == many) return l.Count;
            return 0LL;
        };
        EXPECT_EQ(reported("# shape points"), dropped["shape points"]);
        EXPECT_EQ(reported("# notes"), dropped["notes"]);
        EXPECT_EQ(reported("# polygons"), dropped["polygons"]);
        EXPECT_EQ(reported("the values of # 'S' attributes"), dropped["'S' attributes"]);
        EXPECT_EQ(reported("the aliases of # classes and attributes"), dropped["aliases"]);
        // Vertices at shape points drop with the shape points or alone.
        if (!reported("# polygons"))
            EXPECT_EQ(reported("# polygon vertices at shape points"), dropped["polygon shape vertices"]);
    }
    TNetWindow net;
    MakeNetwork(net);
    EXPECT_TRUE(WhatVersionDrops(net, net, 9).empty());
}
