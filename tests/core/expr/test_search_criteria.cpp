// Editing search criteria: the whole copy of a table's criteria, bound texts
// and their parse by type, the rows of the attribute search, and the polygon
// owner found by name.
#include "../edit/test_edit_support.h"
#include "core/edit/SchemaEdit.h"
#include "core/expr/SearchCriteria.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"

#include <cmath>
#include <cstring>
#include <limits>

using namespace edittest;

namespace {

struct Zones {
    TNetwork Net;
    TClassRecord& Zone = (*Net.NodeClasses)[1];
    Zones()
    {
        Zone.Name = "Zone";
        SetAttributeCount(Zone, 5);
        Zone.Attr(1)->Kind = 'R';
        SetAttributeKind(*Zone.Attr(2), 'C');
        SetWorksheetRows(*Zone.Attr(2), 2);
        Zone.Attr(2)->WorkSheet->Rows[1].Codes = "ABC";
        Zone.Attr(2)->WorkSheet->Rows[2].Codes = "xy";
        SetAttributeKind(*Zone.Attr(3), 'D');
        SetAttributeKind(*Zone.Attr(4), 'S');
        SetAttributeKind(*Zone.Attr(5), 'I');
        NumberStringAttributes(*Net.NodeClasses);
    }
    TBoundContext Bounds(const double* vars = nullptr, int n = 0)
    {
        TBoundContext b;
        b.Net = &Net;
        b.Variables = vars;
        b.VariableCount = n;
        return b;
    }
};

} // namespace

TEST(SearchCriteria, WholeCopyKeepsPackedBoundsAndSearchTextsUntilCommitted)
{
    Zones z;
    TAttrib& c = *z.Zone.Attr(2);
    c.Active = 1;
    c.Low = PackShortText("A?").Real(); // packed bytes, no number
    c.High = PackShortText("Cy").Real();
    z.Zone.Attr(4)->LowText = "gate";
    z.Zone.Attr(4)->HighText = "north";
    // A bound whose bytes read as a NaN keeps every byte.
    TValueSlot nan;
    std::memset(nan.Bytes, 0xFF, 8);
    z.Zone.Attr(3)->Low = nan.Real();
    TCriteriaCopy copy = CopySearchCriteria(*z.Net.NodeClasses);
    copy[1].SearchClass = 1;
    copy[1].Attributes[4].HighText = "south";
    copy[1].Attributes[2].Active = 0;
    EXPECT_EQ(z.Zone.Attr(4)->HighText, "north");
    EXPECT_EQ(z.Zone.SearchClass, 0);
    EXPECT_EQ(c.Active, 1);
    CommitSearchCriteria(copy, *z.Net.NodeClasses);
    EXPECT_EQ(z.Zone.SearchClass, 1);
    EXPECT_EQ(z.Zone.Attr(4)->HighText, "south");
    EXPECT_EQ(z.Zone.Attr(4)->LowText, "gate");
    EXPECT_EQ(c.Active, 0);
    TValueSlot low;
    low.SetReal(c.Low);
    EXPECT_EQ(UnpackShortText(low), "A?      ");
    TValueSlot back;
    back.SetReal(z.Zone.Attr(3)->Low);
    EXPECT_EQ(back, nan);

    EXPECT_EQ(SearchStateTextId(z.Zone, 1), 149);
    EXPECT_EQ(SearchStateTextId(z.Zone, 0), 150);
    EXPECT_EQ(SearchStateTextId((*z.Net.NodeClasses)[2], 1), 445);
}

TEST(SearchCriteria, BoundsParseByTypeAndFailAsTheirRulesSay)
{
    Zones z;
    TAttribCriterion c;
    const TAttrib& codes = *z.Zone.Attr(2);
    EXPECT_EQ(ParseSearchBound(z.Bounds(), codes, "B", c, false), 0);
    EXPECT_EQ(UnpackShortText(c.Low), "B?      "); // a position the text leaves out is open
    EXPECT_EQ(ParseSearchBound(z.Bounds(), codes, "?yzz", c, true), 0);
    EXPECT_EQ(UnpackShortText(c.High), "?y      "); // beyond the positions: blanks
    for (const char* bad : {"D", "Bz", "A x", "b"}) {
        c.Low = PackShortText("AB");
        EXPECT_EQ(ParseSearchBound(z.Bounds(), codes, bad, c, false), MsgBoundCategory) << bad;
        EXPECT_EQ(UnpackShortText(c.Low), std::string(8, ' ')) << bad;
    }

    const TAttrib& date = *z.Zone.Attr(3);
    ASSERT_EQ(ParseSearchBound(z.Bounds(), date, "2/29/2000", c, false), 0);
    const TValueSlot good = c.Low;
    // One calendar with the attribute values: every fourth year is a leap year.
    ASSERT_EQ(ParseSearchBound(z.Bounds(), date, "2/29/2100", c, true), 0);
    EXPECT_EQ(DateTimeText(c.High, false, DateTimeModeDate), "2/29/2100");
    for (const char* bad : {"2/29/2001", "13/1/2000", "4/31/2000", "2/30/2004", "13/45/2000", "0/12/2000", "abc"}) {
        EXPECT_EQ(ParseSearchBound(z.Bounds(), date, bad, c, false), MsgBoundDate) << bad;
        EXPECT_EQ(c.Low, good) << bad; // the bound keeps its value
    }

    const TAttrib& real = *z.Zone.Attr(1);
    const double vars[2] = {0, 4};
    EXPECT_EQ(ParseSearchBound(z.Bounds(vars, 2), real, "V1 * 2.5", c, true), 0);
    EXPECT_EQ(c.High.Real(), 10);
    for (const char* bad : {"abc", "nan", "1e999", "'abc", "2 *", "1/0"}) {
        c.High.SetReal(5);
        EXPECT_EQ(ParseSearchBound(z.Bounds(), real, bad, c, true), MsgBoundReal) << bad;
        EXPECT_EQ(c.High.Real(), 0) << bad;
    }
    // An empty text clears the bound.
    c.High.SetReal(5);
    EXPECT_EQ(ParseSearchBound(z.Bounds(), real, "", c, true), 0);
    EXPECT_EQ(c.High, TValueSlot{});

    const TAttrib& text = *z.Zone.Attr(4);
    EXPECT_EQ(ParseSearchBound(z.Bounds(), text, std::string(60, 'f'), c, false), 0);
    EXPECT_EQ(ParseSearchBound(z.Bounds(), text, "second", c, true), 0);
    EXPECT_EQ(c.LowText, std::string(50, 'f'));
    EXPECT_EQ(c.HighText, "second");
}

TEST(SearchCriteria, AttributeRowsLeaveClearAndOk)
{
    Zones z;
    TAttrib& pop = *z.Zone.Attr(1);
    pop.Active = 1;
    pop.Low = 0;
    pop.High = 1000;
    TClassCriteria start = CopySearchCriteria(*z.Net.NodeClasses)[1];
    TAttributeSearchForm form(z.Zone, start);
    ASSERT_EQ(form.Count, 5);
    // An active criterion shows its bounds, 0 included; an empty one shows nothing.
    EXPECT_EQ(form.Rows[1].Bottom, "0");
    EXPECT_EQ(form.Rows[1].Top, "1000");
    EXPECT_EQ(form.Rows[2].Bottom, "");
    EXPECT_EQ(form.Rows[3].Top, "");
    EXPECT_TRUE(form.CanSet(1) && form.CanSet(2) && form.CanSet(5));
    EXPECT_FALSE(form.CanSet(3) || form.CanSet(4));

    // Only a Bottom: not active.
    form.Rows[5].Bottom = "3";
    form.Leave(5);
    EXPECT_EQ(form.Criteria.Attributes[5].Active, 0);
    form.Rows[5].Top = "9   ";
    form.Leave(5);
    EXPECT_EQ(form.Criteria.Attributes[5].Active, 1);

    // Bottoms are parsed before Tops: the first message is the Bottom's.
    form.Rows[2].Bottom = "Z";
    form.Rows[2].Top = "C";
    form.Rows[1].Top = "x";
    TMessageSinkRecorder boxes;
    TClassCriteria out = start;
    std::vector<TAttributeSearchForm::TFailure> failures;
    EXPECT_FALSE(form.Ok(z.Bounds(), out, &boxes, failures));
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].Row, 2);
    EXPECT_FALSE(failures[0].Top);
    EXPECT_EQ(failures[1].Row, 1);
    EXPECT_TRUE(failures[1].Top);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().Text, "Error in a categorical variable.");
    EXPECT_EQ(boxes.Last().Caption, " Attributes");
    EXPECT_EQ(boxes.Last().Flags, MB_EXCLAMATION_OK);
    EXPECT_EQ(out, start);

    form.Rows[2].Bottom = "A";
    form.Rows[1].Top = "500";
    form.Clear(4);
    ASSERT_TRUE(form.Ok(z.Bounds(), out, &boxes, failures));
    EXPECT_EQ(form.Rows[5].Top, "9"); // trailing blanks removed
    EXPECT_EQ(out.Attributes[1].High.Real(), 500);
    EXPECT_EQ(out.Attributes[5].Low.Real(), 3);
    EXPECT_EQ(UnpackShortText(out.Attributes[2].Low), "A?      ");
    EXPECT_EQ(out.Attributes[4], TAttribCriterion{});
}

TEST(SearchCriteria, PolygonOwnerByName)
{
    TNetwork net;
    TNode* owner = Node(net, 50, 50);
    owner->Name = "Park Lane";
    TNode* lone = Node(net, 400, 400);
    lone->Name = "Park";
    std::vector<TNode*> ring;
    for (auto [x, y] : XY{{0, 0}, {100, 0}, {100, 100}, {0, 100}}) ring.push_back(Node(net, x, y));
    for (TNode* v : ring) AddVertex(net, owner, v);
    UpdateNodePolygonBox(net, owner);

    TPolygonCriterion c;
    TMessageSinkRecorder boxes;
    TPolygonSearchFields f;
    f.OwnerName = "Park L*";
    f.Nodes = 1;
    f.BothEnds = 1;
    ASSERT_TRUE(ApplyPolygonSearch(net, f, c, &boxes));
    EXPECT_EQ(c.Owner, owner);
    EXPECT_EQ(c.ApplyToNodes, 1);
    EXPECT_EQ(c.BothEnds, 1);
    EXPECT_EQ(PolygonSearchFields(c).OwnerName, "Park Lane");

    f.OwnerName = "Park";
    EXPECT_FALSE(ApplyPolygonSearch(net, f, c, &boxes));
    EXPECT_EQ(c.Owner, nullptr);
    EXPECT_EQ(boxes.Last().Text, "Found node hasn't a polygon.");
    f.OwnerName = "Nowhere";
    EXPECT_FALSE(ApplyPolygonSearch(net, f, c, &boxes));
    EXPECT_EQ(boxes.Last().Text, "Polygon not found.");
    EXPECT_EQ(boxes.Last().Caption, "Polygon Search");
    // A ring with a vertex gone is no polygon any more.
    f.OwnerName = "Park Lane";
    ring[0]->Active = 0;
    ring[1]->Active = 0;
    EXPECT_FALSE(ApplyPolygonSearch(net, f, c, &boxes));
    f.OwnerName = "  ";
    EXPECT_TRUE(ApplyPolygonSearch(net, f, c, &boxes));
    EXPECT_EQ(c.Owner, nullptr);
}
