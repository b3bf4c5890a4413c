#include <gtest/gtest.h>

#include <cmath>

#include "core/calc/AttributeValues.h"
#include "core/file/TextFormat.h"
#include "core/model/NetworkQueries.h"

namespace {

// Node class 1: R, I, C (3 positions), X, S, C without a worksheet.
struct TSheetNet {
    TNetwork Net;
    TNode* N = nullptr;
    TSheetNet()
    {
        TClassRecord& r = (*Net.NodeClasses)[1];
        r.Name = "Zone";
        SetAttributeCount(r, 6);
        const char kinds[] = "RICXSC";
        for (int i = 1; i <= 6; ++i) r.Attr(i)->Kind = kinds[i - 1];
        r.Attr(1)->Name = "Pop";
        r.Attr(1)->Description = "A2*10";
        TAttrib& c = *r.Attr(3);
        SetWorksheetRows(c, 3);
        c.WorkSheet->Rows[1].Codes = "AB";
        c.WorkSheet->Rows[1].Hint = "apple&&banana";
        c.WorkSheet->Rows[2].Codes = "BC";
        c.WorkSheet->Rows[2].Hint = "bee&&sea";
        c.WorkSheet->Rows[3].Codes = "X";
        r.Attr(6)->TopRow = 2; // counts rows, has no worksheet
        NumberStringAttributes(*Net.NodeClasses);
        THashEntry* cell;
        N = AddNode(Net, 10, 20, cell, false, 6);
        N->EntityType = 1;
        N->Strings = {"old"};
        N->Values[1].SetReal(4);
    }
    std::vector<std::string> Texts(const TElementEdit& e) const
    {
        std::vector<std::string> t(7);
        const TClassRecord& r = (*Net.NodeClasses)[1];
        for (int i = 1; i <= 6; ++i) t[size_t(i)] = AttributeValueText(r.Attr(i), e.Values[size_t(i)], e.Strings);
        return t;
    }
};

} // namespace

TEST(AttributeSheet, TabCaptionsFollowThePositionalNames)
{
    EXPECT_EQ(AttributeTabCaption(1, 15), "A1-Aa");
    EXPECT_EQ(AttributeTabCaption(2, 15), "Ab-Af");
    EXPECT_EQ(AttributeTabCaption(3, 15), "");
    EXPECT_EQ(AttributeTabCaption(4, 100), "Av-Az,B1-B5");
    EXPECT_EQ(AttributeTabCaption(4, 33), "Av-Ax");
    EXPECT_EQ(AttributeTabCaption(4, 37), "Av-Az,B1-B2");
    EXPECT_EQ(AttributeTabCaption(7, 100), "Bq-Bz");
    EXPECT_EQ(AttributeTabCaption(8, 100), "C1-Ca");
    EXPECT_EQ(AttributeTabCaption(10, 100), "Cl-Cu");
    EXPECT_EQ(AttributeTabCaption(10, 91), "Cl-Cl");
}

TEST(AttributeSheet, ParsesEveryKindAndStoresOnlyWhenAllPass)
{
    TSheetNet s;
    TElementEdit e = NodeEdit(s.Net, s.N);
    std::vector<std::string> t = s.Texts(e);
    EXPECT_EQ(t[1], "0");
    EXPECT_EQ(t[5], "old");
    t[1] = "A2 * 3 + 0.5"; // values of the element before this OK
    t[2] = "2.5";          // integers round ties to even
    t[3] = "AB";           // position 3 not typed: blank
    t[4] = "2/29/2004";
    t[5] = "new\nline";
    t[6] = "";             // no worksheet: only an empty code passes
    ASSERT_TRUE(ParseAttributeSheet(s.Net, nullptr, e, t).empty());
    EXPECT_EQ(e.Values[1].Real(), 12.5);
    EXPECT_EQ(e.Values[2].Real(), 2);
    EXPECT_EQ(UnpackShortText(e.Values[3]), "AB      ");
    EXPECT_EQ(DateTimeText(e.Values[4], false, DateTimeModeDate), "2/29/2004");
    EXPECT_EQ(e.Strings[0], "new line");

    TElementEdit before = e;
    t = s.Texts(e);
    t[1] = "1/0";  // 186
    t[3] = "BA";   // A is no code of position 2: 187
    t[4] = "";     // 264
    t[5] = "kept?";
    t[6] = "Z";    // no codes at all: 187
    const std::vector<TSheetError> errors = ParseAttributeSheet(s.Net, nullptr, e, t);
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_EQ(errors[0].Attribute, 1);
    EXPECT_EQ(errors[0].MessageId, MsgRealAttributeError);
    EXPECT_EQ(errors[1].MessageId, MsgCategoryError);
    EXPECT_EQ(errors[2].MessageId, MsgDateAttributeError);
    EXPECT_EQ(errors[3].Attribute, 6);
    EXPECT_EQ(e.Values, before.Values);
    EXPECT_EQ(e.Strings, before.Strings);

    // Nothing reached the node; storing writes block and strings.
    EXPECT_EQ(s.N->Values[0].Real(), 0);
    StoreEditValues(s.Net, e);
    EXPECT_EQ(s.N->Values[0].Real(), 12.5);
    EXPECT_EQ(s.N->Strings, (TStringList{"new line"}));
    EXPECT_EQ(AttributeMemoLines(&(*s.Net.NodeClasses)[1], t)[0], "Pop\t1/0");
}

TEST(AttributeSheet, RefusesDatesThatDoNotExist)
{
    TSheetNet s;
    TElementEdit e = NodeEdit(s.Net, s.N);
    const TElementEdit before = e;
    std::vector<std::string> t;

    // A date that does not exist is refused, not stored with a part put to 0.
    for (const char* bad : {"2/30/2004", "13/45/2000", "2/29/2101", "0/12/2000", "today", "1/1/6001"}) {
        t = s.Texts(e);
        t[4] = bad;
        const std::vector<TSheetError> dateErrors = ParseAttributeSheet(s.Net, nullptr, e, t);
        ASSERT_EQ(dateErrors.size(), 1u) << bad;
        EXPECT_EQ(dateErrors[0].Attribute, 4);
        EXPECT_EQ(dateErrors[0].MessageId, MsgDateAttributeError);
        EXPECT_EQ(e.Values, before.Values) << bad;
    }
    for (const char* good : {"2/29/2100", "12/31/6000"}) {
        t = s.Texts(e);
        t[4] = good;
        ASSERT_TRUE(ParseAttributeSheet(s.Net, nullptr, e, t).empty()) << good;
        EXPECT_EQ(DateTimeText(e.Values[4], false, DateTimeModeDate), good);
    }
}

TEST(AttributeSheet, CodeHintsAndCategoryEntries)
{
    TSheetNet s;
    const TAttrib& c = *(*s.Net.NodeClasses)[1].Attr(3);
    EXPECT_EQ(CodeHint(c, 1, 'B'), "banana");
    EXPECT_EQ(CodeHint(c, 2, 'C'), "sea");
    EXPECT_EQ(CodeHint(c, 3, 'X'), ""); // a code without a hint
    EXPECT_EQ(CodeHint(c, 1, 'Q'), "");
    EXPECT_EQ(CodeHints(c, "BC"), "banana, sea");
    EXPECT_EQ(CategoryEntries(c, 2), (std::vector<std::string>{"B = bee", "C = sea"}));
    EXPECT_EQ(CategoryCodeIndex(c, 2, 'A'), -1); // shown as "Invalid"
    EXPECT_EQ(CategoryEntries(*(*s.Net.NodeClasses)[1].Attr(6), 1).size(), 0u);
    EXPECT_EQ(HintPiece("a&&b&&", 2), "");
    EXPECT_EQ(JoinHints({"x", "", "z"}), "x&&&&z");
    EXPECT_EQ(ExpressionErrorText("1+*2", 3), "1+ \xBB\xBB*2");
}

TEST(RealWorksheet, FunctionalFormsAndTheirLimits)
{
    auto run = [](int form, std::vector<double> b, std::vector<double> x, double prev = -1) {
        x.insert(x.begin(), 0);
        double y = prev;
        return FunctionalForm(form, b.data(), x.data(), int(b.size()) - 1, y) ? y : NAN;
    };
    EXPECT_EQ(run(1, {1, 2}, {3}), 7);
    EXPECT_NEAR(run(2, {2, 1, 2}, {3, 2}), 2 * 3 * 4, 1e-9);
    EXPECT_TRUE(std::isnan(run(2, {2, 1}, {0}))); // Multiplic needs x above 0
    EXPECT_NEAR(run(3, {2, 1, 1}, {3, 5}), 2 * 3 * 5 + 3, 1e-9);
    EXPECT_NEAR(run(4, {2, 1, 1}, {3, -1}), 16, 1e-9); // x <= 0 counts 1
    EXPECT_TRUE(std::isnan(run(4, {100, 1}, {3}))); // b0 ln S >= 80: failure, not 0
    EXPECT_EQ(run(4, {-100, 1}, {3}), 0);
    EXPECT_EQ(run(5, {-90, 2, 1}, {3, 0}), 6); // s <= -80
    EXPECT_NEAR(run(5, {0, 2, 1}, {3, 0}), 3, 1e-12);
    EXPECT_TRUE(std::isnan(run(5, {90, 2}, {3})));
    EXPECT_NEAR(run(6, {6, 1, 2}, {1, 4}), 2, 1e-12);
    EXPECT_TRUE(std::isnan(run(6, {6, 0}, {1})));
    EXPECT_TRUE(std::isnan(run(6, {6, 1, 1}, {1, -1}))); // s = 0
    EXPECT_EQ(run(7, {6, 1}, {1}, 42), 42);
}

TEST(RealWorksheet, ExpressionFormAndBuiltinVariables)
{
    TSheetNet s;
    TAttrib& a = *(*s.Net.NodeClasses)[1].Attr(1);
    SetWorksheetRows(a, 2);
    a.Form = 0;
    a.Description = "P0 + P1*V1 + P2*V2 + A2";
    a.WorkSheet->Rows[0].Low = 1;
    a.WorkSheet->Rows[1] = {2, 5, "<X>", "", "", 0, 0};
    a.WorkSheet->Rows[2] = {3, 7, "Trips", "", "", 0, 0};
    TElementEdit e = NodeEdit(s.Net, s.N);
    const std::vector<double> x = WorksheetStartValues(s.Net, 1, e, a);
    ASSERT_EQ(x.size(), 2u);
    EXPECT_EQ(x[0], 10); // the node's X
    EXPECT_EQ(x[1], 7);
    double y = 0;
    ASSERT_TRUE(WorksheetResult(s.Net, nullptr, e, a, x, y));
    EXPECT_EQ(y, 1 + 2 * 10 + 3 * 7 + 4);

    // Without an element a "<c>" variable reads 0.
    TElementEdit none;
    EXPECT_EQ(WorksheetStartValues(s.Net, 1, none, a)[0], 0);
    EXPECT_EQ(BuiltinCodeValue(s.Net, 1, SystemEdit(s.Net), 'E'), 2);

    a.Form = 1;
    ASSERT_TRUE(WorksheetResult(s.Net, nullptr, e, a, {1, 1}, y));
    EXPECT_EQ(y, 6);
}

TEST(DateWorksheet, FieldsChecksAndLeapYears)
{
    auto check = [](char kind, TDateFields f, TValueSlot stored = UnknownDateTime()) {
        TValueSlot v;
        std::array<bool, 6> bad;
        return CheckDateFields(kind, f, stored, v, bad) ? DateTimeText(v, false, DateTimeModeOfKind(kind))
                                                         : std::string("refused");
    };
    EXPECT_EQ(check('X', {"2100", "2", "29", "", "", ""}), "2/29/2100"); // mod 4: a leap year here
    EXPECT_EQ(check('X', {"2101", "2", "29", "", "", ""}), "refused");
    EXPECT_EQ(check('X', {"2156", "1", "1", "", "", ""}), "refused");
    EXPECT_EQ(check('X', {"2000", "4", "31", "", "", ""}), "refused");
    EXPECT_EQ(check('X', {"2000", "4", "3.5", "", "", ""}), "refused"); // not an integer
    EXPECT_EQ(check('D', {"2000", "4", "30", "24", "0", "0"}), "refused");
    EXPECT_EQ(check('T', {"junk", "", "", "23", "59", "59"}), "23:59:59"); // unused fields not read
    TValueSlot v;
    std::array<bool, 6> bad;
    ASSERT_TRUE(CheckDateFields('T', {"", "", "", "1", "2", "3"}, UnknownDateTime(), v, bad));
    EXPECT_EQ(UnpackDateTime(v).Year, DateYearNotGiven); // the date part stays not given
    EXPECT_FALSE(CheckDateFields('X', {"2001", "2", "29", "", "", ""}, UnknownDateTime(), v, bad));
    EXPECT_TRUE(bad[0] && bad[2] && !bad[1]); // February turns the year red too
    EXPECT_EQ(DateFieldTexts(UnknownDateTime())[0], "31900");
}
