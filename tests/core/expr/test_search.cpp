#include "core/expr/SearchFilter.h"
#include "test_expr_support.h"

#include <gtest/gtest.h>

using namespace exprtest;

namespace {

TValueSlot CodesSlot(const char* s)
{
    TValueSlot v;
    std::memset(v.Bytes, ' ', 8);
    for (int i = 0; i < 8 && s[i]; ++i) v.Bytes[i] = static_cast<uint8_t>(s[i]);
    return v;
}
TValueSlot RealSlot(double d)
{
    TValueSlot v;
    v.SetReal(d);
    return v;
}
double CodesBound(const char* s) { return CodesSlot(s).Real(); }

} // namespace

TEST(SearchFilter, CombinationOfCriteria)
{
    TEntityClass nodes, links;
    nodes[1].SearchClass = 1; // AND without attributes: NOT, nothing passes
    nodes[2].SearchClass = 0; // OR without active criteria: everything passes
    AddAttribute(nodes[2], 'R', "");
    TAttrib& r = AddAttribute(nodes[3], 'R', "");
    TAttrib& s = AddAttribute(nodes[3], 'S', "");
    s.StringIndex = 0;
    r.Active = 1;
    r.Low = 10;
    r.High = 20;
    s.Active = 1;
    s.LowText = "MAIN";
    s.HighText = "";

    TSearchFilter f;
    f.Prepare(nodes, links, TPreparedPolygon{});
    EXPECT_FALSE(f.NodesUnfiltered);
    EXPECT_TRUE(f.LinksUnfiltered);

    TValueSlot slots[2] = {RealSlot(15), {}};
    TStringList strings{"MAIN ST"};
    TElementValues v{slots, 2, &strings, 1};
    EXPECT_FALSE(f.AttributesPass(0, 1, v));
    EXPECT_TRUE(f.AttributesPass(0, 2, v));
    // AND: the empty second search text is never contained.
    nodes[3].SearchClass = 1;
    f.Prepare(nodes, links, {});
    EXPECT_FALSE(f.AttributesPass(0, 3, v));
    // OR: one criterion is enough.
    nodes[3].SearchClass = 0;
    f.Prepare(nodes, links, {});
    EXPECT_TRUE(f.AttributesPass(0, 3, v));
    slots[0] = RealSlot(25);
    EXPECT_TRUE(f.AttributesPass(0, 3, v));
    strings.Set(0, "ELM");
    EXPECT_FALSE(f.AttributesPass(0, 3, v));
    nodes[3].SearchClass = 1;
    s.Active = 0;
    f.Prepare(nodes, links, {});
    slots[0] = RealSlot(20);
    EXPECT_TRUE(f.AttributesPass(0, 3, v));
    slots[0] = RealSlot(9.5);
    EXPECT_FALSE(f.AttributesPass(0, 3, v));
}

TEST(SearchFilter, CategoricalAndDateCriteria)
{
    TEntityClass nodes, links;
    TAttrib& c = AddAttribute(links[1], 'C', "", 2);
    c.WorkSheet = std::make_unique<TWorkSheet>();
    c.WorkSheet->Rows[1].Codes = "ABCDE";
    c.WorkSheet->Rows[2].Codes = "XYZ";
    c.Active = 1;
    c.Low = CodesBound("B?");
    c.High = CodesBound("D?");
    TAttrib& d = AddAttribute(links[2], 'X', "");
    d.Active = 1;
    d.Low = PackedDate(2000, 1, 1);
    d.High = PackedDate(2000, 12, 31);
    links[1].SearchClass = 1;
    links[2].SearchClass = 1;

    TSearchFilter f;
    f.Prepare(nodes, links, {});
    EXPECT_TRUE(f.NodesUnfiltered);
    EXPECT_FALSE(f.LinksUnfiltered);
    auto passes = [&](int cls, TValueSlot slot) {
        TElementValues v{&slot, 1, nullptr, 0};
        return f.AttributesPass(1, cls, v);
    };
    EXPECT_TRUE(passes(1, CodesSlot("CZ")));
    EXPECT_TRUE(passes(1, CodesSlot("BX")));
    EXPECT_FALSE(passes(1, CodesSlot("EX")));
    EXPECT_FALSE(passes(1, CodesSlot("QX"))); // a code absent from the row
    // No constrained position: holds in AND, fails in OR.
    c.Low = CodesBound("??");
    c.High = CodesBound("??");
    f.Prepare(nodes, links, {});
    EXPECT_TRUE(passes(1, CodesSlot("QQ")));
    links[1].SearchClass = 0;
    f.Prepare(nodes, links, {});
    EXPECT_FALSE(passes(1, CodesSlot("QQ")));

    TValueSlot date;
    date.SetReal(PackedDate(2000, 6, 1));
    EXPECT_TRUE(passes(2, date));
    date.SetReal(PackedDate(2001, 1, 1));
    EXPECT_FALSE(passes(2, date));
    date.SetReal(PackedDate(0, 6, 1)); // year not given: compared on the rest
    EXPECT_TRUE(passes(2, date));
}
