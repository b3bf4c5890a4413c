#include "test_edit_support.h"

#include <random>

#include "core/edit/SchemaEdit.h"
#include "core/file/TextFormat.h"

using namespace edittest;

namespace {

// Class c of the table of kind k gets attributes of the given type letters.
void Define(TNetwork& net, TClassKind k, int c, const std::string& kinds)
{
    TClassRecord& r = (*ClassTable(net, k))[c];
    r.Name = "Class" + std::to_string(c);
    SetAttributeCount(r, int(kinds.size()));
    for (size_t i = 0; i < kinds.size(); ++i) r.Attr(int(i) + 1)->Kind = kinds[i];
    NumberStringAttributes(*ClassTable(net, k));
}

TNode* ClassNode(TNetwork& net, int c, int32_t x)
{
    TNode* n = Node(net, x, 0);
    n->EntityType = uint8_t(c);
    ResizeValues(*n, NodeAttributeCount(net, c));
    n->Strings.resize((*net.NodeClasses)[c].StringCount);
    return n;
}

double Real(const TNode* n, int i) { return n->Values[size_t(i - 1)].Real(); }

// Applies one edit to a whole copy of the node classes.
template <class F>
void EditNodes(TNetwork& net, F&& f)
{
    auto copy = CopyEntityClassesWhole(*net.NodeClasses);
    f(*copy);
    ApplySchemaEdit(net, TClassKind::Node, std::move(copy));
}

} // namespace

TEST(SchemaApply, CountChangesResizeBlocksOfTheClassOnlyAndTheTemplateKeepsItsSlots)
{
    TNetwork net;
    Define(net, TClassKind::Node, 1, "RRRRR");
    Define(net, TClassKind::Node, 2, "RR");
    TNode* a = ClassNode(net, 1, 0);
    TNode* b = ClassNode(net, 2, 100);
    for (int i = 1; i <= 5; ++i) a->Values[size_t(i - 1)].SetReal(i);
    b->Values[1].SetReal(42);
    net.TemplateNode.EntityType = 1;
    net.TemplateNode.Values[4].SetReal(5);
    DeleteNode(net, a); // deleted elements follow their class too

    EditNodes(net, [](TEntityClass& t) { SetAttributeCount(t[1], 3); });
    ASSERT_EQ(SlotCount(*a), 3);
    EXPECT_EQ(Real(a, 3), 3);
    EXPECT_EQ(SlotCount(*b), 2);
    EXPECT_EQ(Real(b, 2), 42);
    EXPECT_EQ(SlotCount(net.TemplateNode), MaxAttributes);
    EXPECT_EQ(net.TemplateNode.Values[4].Real(), 0); // past the count: emptied

    EditNodes(net, [](TEntityClass& t) {
        SetAttributeCount(t[1], 6);
        t[1].Attr(6)->Kind = 'X';
    });
    ASSERT_EQ(SlotCount(*a), 6);
    EXPECT_EQ(Real(a, 4), 0); // the old value 4 is gone, not revived
    EXPECT_EQ(a->Values[5], UnknownDateTime());
}

TEST(SchemaApply, TypeChangesToAndFromStringsMoveEachStringToItsNewIndex)
{
    TNetwork net;
    Define(net, TClassKind::Node, 1, "SRS");
    Define(net, TClassKind::System, 1, "SRS");
    TNode* n = ClassNode(net, 1, 0);
    n->Strings = {"first", "third"};
    n->Values[1].SetReal(7);
    net.SystemStrings = {"sys1", "sys3"};
    net.TemplateNode.EntityType = 1;
    net.TemplateNode.Strings = {"t1", "t3"};

    EditNodes(net, [](TEntityClass& t) { t[1].Attr(2)->Kind = 'S'; }); // R -> S between two strings
    EXPECT_EQ(n->Strings, (TStringList{"first", "", "third"}));
    EXPECT_EQ(Real(n, 2), 0);
    EXPECT_EQ(net.TemplateNode.Strings, (TStringList{"t1", "", "t3"}));
    EXPECT_EQ((*net.NodeClasses)[1].StringCount, 3);
    EXPECT_EQ((*net.NodeClasses)[1].Attr(3)->StringIndex, 2);

    EditNodes(net, [](TEntityClass& t) { t[1].Attr(1)->Kind = 'R'; }); // S -> R at the front
    EXPECT_EQ(n->Strings, (TStringList{"", "third"}));

    auto sys = CopyEntityClassesWhole(*net.SystemClass);
    (*sys)[1].Attr(1)->Kind = 'I';
    ApplySchemaEdit(net, TClassKind::System, std::move(sys));
    EXPECT_EQ(net.SystemStrings, (TStringList{"sys3"}));
}

TEST(SchemaApply, KindChangesAcrossGroupsResetTheSlotAndWithinAGroupKeepIt)
{
    TNetwork net;
    Define(net, TClassKind::Link, 1, "RCDDC");
    TLinkValues* r = Link(net, Node(net, 0, 0), Node(net, 10, 0), 1);
    r->Values[0].SetReal(2.5);
    r->Values[1] = PackShortText("AB");
    int err;
    r->Values[2] = TextToDateTime("1/2/2003", err, 0, UnknownDateTime());
    r->Values[3] = r->Values[2];
    r->Values[4] = PackShortText("Q");
    const TValueSlot date = r->Values[2];

    auto copy = CopyEntityClassesWhole(*net.LinkClasses);
    TClassRecord& c = (*copy)[1];
    c.Attr(1)->Kind = 'I'; // number -> number: kept
    c.Attr(2)->Kind = 'D'; // category -> date: no date given
    c.Attr(3)->Kind = 'T'; // date -> time: kept
    c.Attr(4)->Kind = 'C'; // date -> category: blanks
    c.Attr(5)->Kind = 'R'; // category -> number: 0
    ApplySchemaEdit(net, TClassKind::Link, std::move(copy));
    EXPECT_EQ(r->Values[0].Real(), 2.5);
    EXPECT_EQ(r->Values[1], UnknownDateTime());
    EXPECT_EQ(r->Values[2], date);
    EXPECT_EQ(UnpackShortText(r->Values[3]), std::string(8, ' '));
    EXPECT_EQ(r->Values[4].Real(), 0);
}

TEST(SchemaApply, AWholeCopyLeavesTheOriginalUntouchedUntilItIsPutInPlace)
{
    TNetwork net;
    Define(net, TClassKind::Node, 1, "SC");
    TClassRecord& orig = (*net.NodeClasses)[1];
    orig.Attr(1)->LowText = "Main";
    orig.Attr(1)->HighText = "Oak";
    SetWorksheetRows(*orig.Attr(2), 2);
    orig.Attr(2)->WorkSheet->Rows[1].Codes = "AB";
    orig.Attr(2)->WorkSheet->Rows[1].Hint = "a&&b";

    auto copy = CopyEntityClassesWhole(*net.NodeClasses);
    TClassRecord& c = (*copy)[1];
    EXPECT_EQ(c.Attr(1)->LowText, "Main");
    EXPECT_EQ(c.Attr(1)->HighText, "Oak");
    ASSERT_TRUE(c.Attr(2)->WorkSheet);
    EXPECT_EQ(c.Attr(2)->WorkSheet->Rows[1].Hint, "a&&b");
    // Editing the copy (what a cancelled dialog did) changes nothing.
    c.Attr(2)->WorkSheet->Rows[1].Codes = "XY";
    SetAttributeCount(c, 0);
    c.Name = "Other";
    copy.reset();
    EXPECT_EQ(orig.Name, "Class1");
    ASSERT_EQ(orig.AttributeCount, 2);
    EXPECT_EQ(orig.Attr(2)->WorkSheet->Rows[1].Codes, "AB");

    // Putting an unchanged copy in place keeps the search texts.
    ApplySchemaEdit(net, TClassKind::Node, CopyEntityClassesWhole(*net.NodeClasses));
    EXPECT_EQ((*net.NodeClasses)[1].Attr(1)->HighText, "Oak");
}

TEST(SchemaEdits, SpinRulesRowsCountsAndAliases)
{
    TAttrib a;
    SetWorksheetRows(a, 10);
    ASSERT_TRUE(a.WorkSheet);
    a.WorkSheet->Rows[9].Label = "stale";
    SetAttributeKind(a, 'C'); // more than 8 code positions are cut to 8
    EXPECT_EQ(a.TopRow, 8);
    SetWorksheetRows(a, 12);
    EXPECT_EQ(a.TopRow, 8);
    SetAttributeKind(a, 'R');
    SetWorksheetRows(a, 10); // rows past the old count start empty
    EXPECT_EQ(a.WorkSheet->Rows[9].Label, "");
    SetAttributeKind(a, 'X'); // dates have no worksheet
    EXPECT_EQ(a.TopRow, 0);
    EXPECT_FALSE(a.WorkSheet);

    TAttrib b; // rows typed for an attribute without a worksheet
    b.TopRow = 3;
    SetWorksheetRows(b, 5);
    ASSERT_TRUE(b.WorkSheet);
    EXPECT_EQ(b.TopRow, 5);

    TClassRecord r;
    SetAttributeCount(r, 4);
    EXPECT_TRUE(r.Attr(4) && r.Attr(4)->Kind == 'R');
    SetAttributeCount(r, 2);
    EXPECT_EQ(r.Attr(3), nullptr);
    EXPECT_EQ(r.Attributes[3], nullptr);

    SetAttributeAlias(a, "sp ee d\r\nxyz");
    EXPECT_EQ(a.Alias, "speedx"); // cut to 10 before the blanks go
    EXPECT_EQ(a.AliasKey, "SPEEDX");
    EXPECT_EQ(ClassNameText("Zone\nA  " + std::string(40, 'x')), "Zone A  " + std::string(22, 'x'));
    EXPECT_EQ(KindListIndex('S'), 6);
    EXPECT_EQ(AttributeKindLetters[KindListIndex('X')], 'X');
}

// Random schema edits on random networks leave every block and string list
// fitting its class, and every slot of a changed kind empty for it.
TEST(SchemaApply, RandomEditsKeepEveryBlockFittingItsClass)
{
    std::mt19937 rng(7);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const char kinds[] = "RICDTXS";
    for (int round = 0; round < 20; ++round) {
        TNetwork net;
        for (int c = 1; c <= 3; ++c) {
            std::string k;
            for (int i = pick(6); i > 0; --i) k += kinds[pick(7)];
            Define(net, TClassKind::Node, c, k);
            Define(net, TClassKind::Link, c, k);
        }
        std::vector<TNode*> nodes;
        for (int i = 0; i < 30; ++i) {
            TNode* n = ClassNode(net, pick(4), i * 10);
            // Odd files: blocks and string lists of the wrong length.
            if (pick(4) == 0) ResizeValues(*n, pick(5));
            if (pick(4) == 0) n->Strings.resize(size_t(pick(4)), "s");
            nodes.push_back(n);
        }
        for (int i = 0; i + 1 < 30; i += 2) {
            TLinkValues* r = Link(net, nodes[size_t(i)], nodes[size_t(i) + 1], pick(4));
            const TClassRecord& c = (*net.LinkClasses)[r->EntityType];
            for (int a = 1; a <= c.AttributeCount; ++a) r->Values[size_t(a - 1)] = EmptySlot(c.Attr(a)->Kind);
            r->Strings.resize(c.StringCount);
        }
        for (int step = 0; step < 5; ++step) {
            const TClassKind k = pick(2) ? TClassKind::Node : TClassKind::Link;
            auto copy = CopyEntityClassesWhole(*ClassTable(net, k));
            for (int e = pick(4) + 1; e > 0; --e) {
                TClassRecord& r = (*copy)[pick(4)];
                if (pick(2) || r.AttributeCount == 0)
                    SetAttributeCount(r, pick(8));
                else
                    SetAttributeKind(*r.Attr(pick(r.AttributeCount) + 1), kinds[pick(7)]);
            }
            ApplySchemaEdit(net, k, std::move(copy));
            // The kind edited fits its classes, odd blocks of a file included.
            if (k == TClassKind::Node) ForEachNode(net, [&](TNode* n) {
                const TClassRecord& c = (*net.NodeClasses)[n->EntityType];
                ASSERT_EQ(SlotCount(*n), c.AttributeCount);
                ASSERT_EQ(n->Strings.size(), c.StringCount) << int(n->EntityType) << " round " << round << " step " << step;
            });
            if (k == TClassKind::Link) ForEachLink(net, [&](TLink* h) {
                const TClassRecord& c = (*net.LinkClasses)[h->LinkValues->EntityType];
                ASSERT_EQ(SlotCount(*h->LinkValues), c.AttributeCount);
                ASSERT_EQ(h->LinkValues->Strings.size(), c.StringCount);
                for (int i = 1; i <= c.AttributeCount; ++i) {
                    const TValueSlot& v = h->LinkValues->Values[size_t(i - 1)];
                    const char kind = c.Attr(i)->Kind;
                    if (KindGroup(kind) == 2) { EXPECT_EQ(v, UnknownDateTime()); } // links never held dates here
                    if (KindGroup(kind) == 1) { EXPECT_EQ(UnpackShortText(v), std::string(8, ' ')); }
                }
            });
            EXPECT_EQ(SlotCount(net.TemplateNode), MaxAttributes);
        }
    }
}
