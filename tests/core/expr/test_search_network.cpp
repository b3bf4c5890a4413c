// Built-in properties and the search filter on a real network.
#include "core/expr/ExpressionNetwork.h"
#include "core/expr/SearchFilter.h"
#include "test_expr_support.h"

#include <gtest/gtest.h>

using namespace exprtest;

namespace {

TNode* Add(TNetwork& net, int x, int y, int nValues = 0)
{
    THashEntry* cell;
    return AddNode(net, x, y, cell, false, nValues);
}

TLink* Link(TNetwork& net, TNode* a, TNode* b, int nValues = 0)
{
    TLink *ha, *hb;
    AddLink(net, a, b, false, nValues, ha, hb);
    return ha;
}

double EvalOn(const TExprBinding& b, const TNetwork& net, const std::string& text, const TExprElement& el,
              int32_t* errOut = nullptr)
{
    ExpressionContext ctx;
    ExprStrings strings{};
    if (el.Node) FillNodeContext(net, *el.Node, ctx, strings);
    if (el.Link) FillLinkContext(net, *el.Link->LinkValues, ctx, strings);
    std::string t = text;
    int32_t err;
    double v = EvaluateExpression(t, err, ctx, strings, el, b.Env);
    if (errOut) *errOut = err;
    else EXPECT_EQ(err, 0) << text;
    return v;
}

} // namespace

TEST(NetworkExpressions, BuiltInPropertiesOfNodesLinksAndPolygons)
{
    TNetwork net;
    TNode* sq = Add(net, 0, 0);
    for (auto [x, y] : {std::pair{0, 0}, {10, 0}, {10, 10}, {0, 10}}) {
        TNode* v = (x == 0 && y == 0) ? sq : Add(net, x, y);
        sq->OwnPolygonRef().Insert(v);
        net.PolygonsRef(v).Insert(sq);
    }
    UpdateNodePolygonBox(net, sq);
    TNode* a = Add(net, 100, 0);
    TNode* b = Add(net, 100, 50);
    a->EntityType = 2;
    b->EntityType = 3;
    a->Longitude = -875000000;
    a->Elevation = 12345;
    a->SetNote("first&&second&&");
    a->Name = "Alpha";
    TLink* ab = Link(net, a, b);
    ab->LinkValues->Name = "Main";
    ab->LinkValues->EntityType = 4;
    TExprBinding bind(net, nullptr, nullptr);

    TExprElement node;
    node.Node = sq;
    EXPECT_EQ(EvalOn(bind, net, "AREA", node), 100);
    EXPECT_EQ(EvalOn(bind, net, "PERIMETER + CHAIN", node), 70);
    EXPECT_EQ(EvalOn(bind, net, "CENTROIDX * 10 + CENTROIDY", node), 55);
    EXPECT_EQ(EvalOn(bind, net, "VERTICES", node), 4);
    EXPECT_EQ(EvalOn(bind, net, "NE", node), 0);
    node.Node = sq->OwnPolygon().At(2)->AsNode();
    EXPECT_EQ(EvalOn(bind, net, "ORDER", node), 3);
    EXPECT_EQ(EvalOn(bind, net, "NodeX + NodeY", node), 20);
    node.Node = a;
    EXPECT_EQ(EvalOn(bind, net, "ENTITY + NLINKS", node), 3);
    EXPECT_EQ(EvalOn(bind, net, "LONG", node), -87.5);
    EXPECT_EQ(EvalOn(bind, net, "ELEV", node), 1.2345);
    EXPECT_EQ(EvalOn(bind, net, "N( = 'first'", node), 1);
    EXPECT_EQ(EvalOn(bind, net, "N) = 'second'", node), 1);
    EXPECT_EQ(EvalOn(bind, net, "NB = 'Alpha'", node), 1);
    EXPECT_EQ(EvalOn(bind, net, "ORDER", node), 0);
    bind.Properties.NoteNode = a;
    bind.Properties.NoteText = "edited&&";
    EXPECT_EQ(EvalOn(bind, net, "N( = 'edited'", node), 1);

    TExprElement link;
    link.Link = ab;
    EXPECT_EQ(EvalOn(bind, net, "LENGTH", link), 50);
    EXPECT_EQ(EvalOn(bind, net, "AZIMUTH", link), 180);
    EXPECT_EQ(EvalOn(bind, net, "NNAMEA * 10 + NNAMEB", link), 23);
    EXPECT_EQ(EvalOn(bind, net, "ENTITY + LE", link), 5);
    EXPECT_EQ(EvalOn(bind, net, "SERIALA", link), a->Serial);
    EXPECT_EQ(EvalOn(bind, net, "SERIALB", link), b->Serial);
    EXPECT_EQ(EvalOn(bind, net, "BNODEY - ANODEY + SHAPES", link), 50);
    EXPECT_EQ(EvalOn(bind, net, "LB = 'Main'", link), 1);
    EXPECT_EQ(EvalOn(bind, net, "NX", link), 0); // a node property of a link
}

TEST(NetworkSearch, AttributeAndPolygonCriteriaOnTheModel)
{
    TNetwork net;
    TClassRecord& nc = (*net.NodeClasses)[1];
    nc.Name = "Zone";
    TAttrib& pop = AddAttribute(nc, 'R', "Pop");
    pop.Active = 1;
    pop.Low = 100;
    pop.High = 1000;
    nc.SearchClass = 1;

    TNode* owner = Add(net, 0, 0);
    for (auto [x, y] : {std::pair{0, 0}, {10, 0}, {10, 10}, {0, 10}}) {
        TNode* v = (x == 0 && y == 0) ? owner : Add(net, x, y);
        owner->OwnPolygonRef().Insert(v);
        net.PolygonsRef(v).Insert(owner);
    }
    UpdateNodePolygonBox(net, owner);
    TNode* in = Add(net, 5, 5, 1);
    TNode* out = Add(net, 50, 5, 1);
    in->EntityType = out->EntityType = 1;
    in->Values[0].SetReal(500);
    out->Values[0].SetReal(500);
    TLink* link = Link(net, in, out);

    TPolygonCriterion crit;
    crit.Owner = owner;
    crit.ApplyToNodes = 1;
    crit.ApplyToLinks = 1;
    TSearchFilter f;
    f.Prepare(*net.NodeClasses, *net.LinkClasses, PreparePolygonCriterion(crit));
    EXPECT_FALSE(f.NodesUnfiltered);
    EXPECT_TRUE(f.NodePassesSearch(*in));
    EXPECT_FALSE(f.NodePassesSearch(*out));
    in->Values[0].SetReal(50);
    EXPECT_FALSE(f.NodePassesSearch(*in));
    EXPECT_TRUE(f.LinkPassesSearch(*link, *in)); // inside, one end is enough
    crit.BothEnds = 1;
    f.Prepare(*net.NodeClasses, *net.LinkClasses, PreparePolygonCriterion(crit));
    EXPECT_FALSE(f.LinkPassesSearch(*link, *in));
    crit.Outside = 1;
    crit.BothEnds = 0;
    f.Prepare(*net.NodeClasses, *net.LinkClasses, PreparePolygonCriterion(crit));
    EXPECT_TRUE(f.LinkPassesSearch(*link, *in));
    EXPECT_TRUE(f.NodePassesSearch(*out));
    // Each call owns its filter: one prepared inside another (an underlay
    // drawn inside a drawing) leaves the outer one whole.
    {
        TSearchSettings other;
        TSearchFilter inner = PrepareSearch(net, other);
    }
    EXPECT_TRUE(f.LinkPassesSearch(*link, *in));
    EXPECT_FALSE(f.NodePassesSearch(*in));

    // A window's criterion, with the shortcuts stored in its settings.
    TSearchSettings search;
    search.PolygonCriterion = crit;
    TSearchFilter g = PrepareSearch(net, search);
    EXPECT_EQ(search.NodesUnfiltered, 0);
    EXPECT_EQ(search.LinksUnfiltered, 0);
    EXPECT_TRUE(g.NodePassesSearch(*out));
    pop.Active = 0;
    search.PolygonCriterion.Reset();
    PrepareSearch(net, search);
    EXPECT_EQ(search.NodesUnfiltered, 1);
    pop.Active = 1;
    // A node whose class has no slot block reads 0 and fails the range.
    TNode* bare = Add(net, 60, 60);
    bare->EntityType = 1;
    EXPECT_FALSE(f.NodePassesSearch(*bare));
}

TEST(NetworkExpressions, PreparedMatchesReferenceOnTheModel)
{
    TNetwork net;
    TClassRecord& nc = (*net.NodeClasses)[1];
    nc.Name = "Zone";
    AddAttribute(nc, 'R', "Pop");
    AddAttribute(nc, 'S', "Owner").StringIndex = 0;
    TClassRecord& lc = (*net.LinkClasses)[1];
    lc.Name = "Road";
    AddAttribute(lc, 'R', "Speed");
    std::vector<TNode*> nodes;
    for (int i = 0; i < 20; ++i) {
        TNode* n = Add(net, (i % 5) * 10, (i / 5) * 10, 2);
        n->EntityType = i % 3 == 0 ? 0 : 1;
        n->Values[0].SetReal(i * 1.5 - 7);
        n->Strings = {i % 2 ? "North" : "South"};
        n->Name = "N" + std::to_string(i);
        n->SetNote("a" + std::to_string(i) + "&&");
        nodes.push_back(n);
    }
    for (int i = 1; i < 20; ++i) {
        TLink* h = Link(net, nodes[i - 1], nodes[i], 1);
        h->LinkValues->EntityType = 1;
        h->LinkValues->Values[0].SetReal(i % 4 == 0 ? 0 : 30 + i);
    }
    const char* texts[] = {"POP * 2 + SERIAL", "OWNER = 'North'", "'or' < OWNER", "NLINKS + NODEX / (NODEY + 1)",
                           "N( = 'a3'", "LAYER + NB", "SPEED / LENGTH", "AZIMUTH D 45 + SERIALA M 3",
                           "SQRT POP", "LN(SPEED)", "LB = '' + LK"};
    TExprBinding bind(net, nullptr, nullptr);
    for (const char* text : texts)
        for (int kind = 0; kind < 2; ++kind)
            for (int cls = 0; cls <= 1; ++cls) {
                const TClassRecord* rec = &(kind == 0 ? *net.NodeClasses : *net.LinkClasses)[cls];
                TPreparedExpression p;
                p.Prepare(text, cls, kind == 0 ? ExprMode::Node : ExprMode::Link, ClassKinds(rec), bind.Env);
                ExpressionContext ctx;
                ExprStrings strings{};
                int filled = MaxAttributes;
                auto check = [&](const TExprElement& el) {
                    std::string t = text;
                    int32_t e1, e2;
                    double v1 = EvaluateExpression(t, e1, ctx, strings, el, bind.Env);
                    double v2 = p.Evaluate(ctx, strings, el, bind.Env, e2);
                    EXPECT_EQ(e1, e2) << text;
                    EXPECT_EQ(std::memcmp(&v1, &v2, 8), 0) << text << " " << v1 << " " << v2;
                };
                if (kind == 0) {
                    for (TNode* n : nodes) {
                        if (n->EntityType != cls) continue;
                        ctx.Kinds = ClassKinds(rec);
                        FillNodeContext(net, *n, ctx, strings, &filled);
                        TExprElement el;
                        el.Node = n;
                        check(el);
                    }
                } else {
                    ForEachLink(net, [&](TLink* h) {
                        if (h->LinkValues->EntityType != cls) return;
                        ctx.Kinds = ClassKinds(rec);
                        FillLinkContext(net, *h->LinkValues, ctx, strings, &filled);
                        TExprElement el;
                        el.Link = h;
                        check(el);
                    });
                }
            }
}

#include "../net_window.h"
#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"

TEST(NetworkExpressions, OnANetworkFile)
{
    TNetWindow net;
    TMessageSinkRecorder rec;
    ASSERT_EQ(OpenNetworkFile(net, std::string(TARVEX_TEST_DATA) + "/netfile/rich-v9.dta", true, rec).Status,
              TOpenStatus::Ok);
    TExprBinding bind(net, nullptr, nullptr);
    int32_t err;
    ExpressionContext ctx;
    ExprStrings strings{};
    std::string text = "sca * 2"; // the system attribute Scale, alias Sca
    EXPECT_EQ(EvaluateExpression(text, err, ctx, strings, {}, bind.Env), 5);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(text, "S1  * 2");
    // Every link's length through the prepared path equals the model's.
    int links = 0;
    ForEachLink(net, [&](TLink* h) {
        const TLinkValues& v = *h->LinkValues;
        TPreparedExpression p;
        std::array<int32_t, ExprSlots> kinds = ClassKinds(&(*net.LinkClasses)[std::min<int>(v.EntityType, 10)]);
        p.Prepare("LENGTH", v.EntityType, ExprMode::Link, kinds, bind.Env);
        ctx.Kinds = kinds;
        FillLinkContext(net, v, ctx, strings);
        TExprElement el;
        el.Link = h;
        EXPECT_EQ(p.Evaluate(ctx, strings, el, bind.Env, err), LinkLength(h, 1.0));
        ++links;
    });
    EXPECT_GT(links, 0);
}
