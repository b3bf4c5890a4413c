#include "core/file/EntityClassSection.h"
#include "core/file/TextFormat.h"
#include "core/model/EntityClasses.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TAttrib& AddAttribute(TClassRecord& r, const std::string& name, char kind, int topRow = 0)
{
    const int i = ++r.AttributeCount;
    r.Attributes[i] = std::make_unique<TAttrib>();
    TAttrib& a = *r.Attributes[i];
    a.Name = name;
    a.Kind = kind;
    a.Form = i % 3;
    a.Description = "about " + name;
    if (topRow > 0) {
        a.TopRow = topRow;
        a.WorkSheet = std::make_unique<TWorkSheet>();
        for (int row = 0; row <= topRow; ++row) {
            a.WorkSheet->Rows[row].Label = "row" + std::to_string(row);
            a.WorkSheet->Rows[row].Low = row * 1.5;
            a.WorkSheet->Rows[row].High = -row * 1e-7;
            a.WorkSheet->Rows[row].Codes = "ABC";
            a.WorkSheet->Rows[row].Hint = "hint&&" + std::to_string(row);
        }
    }
    return a;
}

// A schema that touches every version gate.
void BuildSample(TEntityClass& ec)
{
    ec[0].Name = "Undefined";
    TClassRecord& roads = ec[1];
    roads.Name = "Roads";
    roads.Alias = "rd";
    roads.Width = 3;
    roads.Color = 12;
    roads.Arrow = 1;
    roads.PieSlices[1] = 2;
    roads.PieSlices[10] = 12;
    AddAttribute(roads, "Lanes", 'I');
    AddAttribute(roads, "Opened", 'D');
    AddAttribute(roads, "Kind", 'C', 8).Alias = "knd";
    AddAttribute(roads, "Street", 'S');
    AddAttribute(roads, "Capacity", 'R', 2);
    for (int i = 6; i <= 12; ++i)
        AddAttribute(roads, "Extra" + std::to_string(i), 'R');
    TClassRecord& rail = ec[2];
    rail.Name = "Rail";
    rail.Width = 14; // a symbol image
    rail.Color = 2;
    AddAttribute(rail, "Tracks", 'T');
    AddAttribute(rail, "Since", 'X');
    NumberStringAttributes(ec);
}

std::string Write(const TEntityClass& ec, int version)
{
    TTextWriter w;
    TFileContext ctx;
    ctx.OutFile = &w;
    ctx.WriteVersion = version;
    WriteEntityClasses(ctx, ec);
    EXPECT_EQ(ctx.ErrorCode, 0);
    return w.Text();
}

int Read(const std::string& text, int version, TEntityClass& ec)
{
    TTextReader r(text);
    TFileContext ctx;
    ctx.InFile = &r;
    ctx.ReadVersion = version;
    ReadEntityClasses(ctx, ec);
    return ctx.ErrorCode;
}

} // namespace

TEST(EntityClasses, HelpersCloneNumberCopyAndTrim)
{
    TEntityClass ec;
    BuildSample(ec);
    EXPECT_EQ(ec[1].StringCount, 1);
    EXPECT_EQ(ec[1].Attr(4)->StringIndex, 0);

    auto copy = CloneEntityClasses(ec);
    ec[1].Attr(3)->WorkSheet->Rows[2].Label = "changed";
    EXPECT_EQ((*copy)[1].Attr(3)->WorkSheet->Rows[2].Label, "row2"); // deep
    EXPECT_EQ((*copy)[1].AttributeCount, 12);
    EXPECT_EQ((*copy)[1].Attr(3)->Alias, "knd");
    EXPECT_EQ((*copy)[1].Attr(5)->TopRow, 2);
    EXPECT_EQ((*copy)[0].Name, "Undefined");

    TValueSlot block[3];
    block[0].SetReal(1);
    block[1].SetReal(2);
    block[2].SetReal(3);
    TValueArray values;
    values[50].SetReal(9);
    CopyValuesIn(block, values, 3);
    EXPECT_EQ(values[3].Real(), 3);
    EXPECT_EQ(values[50], TValueSlot{});
    values[2].SetReal(7);
    CopyValuesOut(block, values, 3);
    EXPECT_EQ(block[1].Real(), 7);

    std::string s = "Name   ";
    TrimName30(s);
    EXPECT_EQ(s, "Name");
    s = std::string(40, 'x');
    TrimName10(s);
    EXPECT_EQ(s, std::string(10, 'x'));
    s = "   ";
    TrimName30(s);
    EXPECT_EQ(s, "");
    s = "ab";
    PadName10(s);
    EXPECT_EQ(s, "ab        ");

    EXPECT_EQ(ExtractNoteLine("first&&second&&", 1), "first");
    EXPECT_EQ(ExtractNoteLine("first&&second&&", 2), "second");
    EXPECT_EQ(ExtractNoteLine("no separator", 1), "");
    EXPECT_EQ(ExtractNoteLine("first&&tail", 2), "");
    EXPECT_EQ(ExtractNoteLine(std::string(40, 'n') + "&&", 1), std::string(30, 'n'));

    EXPECT_EQ(PositionalAttributeName(1), "A1");
    EXPECT_EQ(PositionalAttributeName(10), "Aa");
    EXPECT_EQ(PositionalAttributeName(36), "B1");
    EXPECT_EQ(PositionalAttributeName(100), "Cu");
    EXPECT_EQ(PositionalVariableName(35), "Vz");
    for (int i = 1; i <= 100; ++i)
        EXPECT_EQ(PositionalIndex(PositionalAttributeName(i)), i);
    EXPECT_EQ(PositionalIndex("bZ"), 70);
    EXPECT_EQ(PositionalIndex("Cv"), 0);
    EXPECT_EQ(PositionalIndex("A0"), 0);
}

TEST(EntityClassSection, CurrentVersionRoundTripsExactly)
{
    TEntityClass ec;
    BuildSample(ec);
    const std::string text = Write(ec, 9);
    TEntityClass back;
    back[0].Name = "Undefined"; // record 0 keeps the window's own name
    ASSERT_EQ(Read(text, 9, back), 0);
    EXPECT_EQ(Write(back, 9), text);
    EXPECT_EQ(back[1].Arrow, 1);
    EXPECT_EQ(back[1].Width, 3);
    EXPECT_EQ(back[1].Alias, "rd");
    EXPECT_EQ(back[1].Attr(3)->AliasKey, "KND");
    EXPECT_EQ(back[1].Attr(3)->TopRow, 8);
    EXPECT_EQ(back[1].Attr(3)->WorkSheet->Rows[8].Hint, "hint&&8");
    EXPECT_DOUBLE_EQ(back[1].Attr(5)->WorkSheet->Rows[2].High, -2e-7);
    EXPECT_EQ(back[1].Attr(4)->Kind, 'S');
    EXPECT_EQ(back[1].StringCount, 1);
    EXPECT_EQ(back[1].PieSlices[10], 12);
    EXPECT_EQ(back[2].Width, 14);
    EXPECT_EQ(back[1].Attr(1)->Description, "about Lanes");

    // LF-only files read the same.
    std::string lf;
    for (char c : text)
        if (c != '\r')
            lf.push_back(c);
    TEntityClass fromLf;
    fromLf[0].Name = "Undefined";
    ASSERT_EQ(Read(lf, 9, fromLf), 0);
    EXPECT_EQ(Write(fromLf, 9), text);
}

TEST(EntityClassSection, OlderVersionsApplyTheirGates)
{
    TEntityClass ec;
    BuildSample(ec);
    for (int v : {1, 3, 4, 5, 6, 7, 8}) {
        SCOPED_TRACE(v);
        TEntityClass back;
        ASSERT_EQ(Read(Write(ec, v), v, back), 0);
        const TClassRecord& r = back[1];
        EXPECT_EQ(r.Name, "Roads");
        EXPECT_EQ(r.Alias, "");                              // aliases from v9
        EXPECT_EQ(r.Arrow, v >= 7 ? 1 : 0);                  // width + 1000 from v7
        EXPECT_EQ(r.Width, 3);
        EXPECT_EQ(back[2].Width, v >= 7 ? 14 : 10);          // symbol widths from v7
        EXPECT_EQ(r.Color, v >= 6 ? 12 : 10);
        EXPECT_EQ(r.AttributeCount, v >= 6 ? 12 : 10);
        EXPECT_EQ(r.PieSlices[1], v >= 8 ? 2 : 0);           // pie line from v8
        const char lanes = r.Attr(1)->Kind, opened = r.Attr(2)->Kind, street = r.Attr(4)->Kind;
        EXPECT_EQ(lanes, v >= 5 ? 'I' : 'R');
        EXPECT_EQ(opened, v >= 5 ? 'D' : 'R');
        EXPECT_EQ(street, v >= 8 ? 'S' : 'R');
        EXPECT_EQ(r.Attr(3)->Kind, v == 1 ? 'R' : 'C');
        EXPECT_EQ(r.Attr(3)->TopRow, v >= 6 || v == 1 ? 8 : 6); // code rows cut to 6 below v6
        EXPECT_EQ(r.Attr(3)->WorkSheet->Rows[1].Codes, v == 1 ? "" : "ABC");
        EXPECT_EQ(r.Attr(3)->WorkSheet->Rows[1].Hint, v >= 6 ? "hint&&1" : "");
        EXPECT_EQ(r.StringCount, v >= 8 ? 1 : 0);
        EXPECT_EQ(back[2].Attr(1)->Kind, v >= 5 ? 'T' : 'R');
    }
    // The class line below v6 ends with nine blanks.
    const std::string v5 = Write(ec, 5);
    EXPECT_NE(v5.find("Roads" + std::string(25, ' ') + " 3 10 10" + std::string(9, ' ') + "\r\n"), std::string::npos);
    EXPECT_NE(Write(ec, 7).find(" 1003 12 12\r\n"), std::string::npos);
}

TEST(EntityClassSection, RecordZeroNameIsKeptAndLineBreaksBecomeBlanks)
{
    TEntityClass ec;
    BuildSample(ec);
    ec[1].Attr(1)->Description = "two\r\nlines";
    ec[1].Attr(3)->WorkSheet->Rows[0].Hint = "hint\nbroken";
    ec[1].Attr(5)->Name = "Cap\nacity";
    std::string text = Write(ec, 9);
    text.replace(0, 9, "Ignored  ");
    TEntityClass back;
    back[0].Name = "Undefined";
    ASSERT_EQ(Read(text, 9, back), 0);
    EXPECT_EQ(back[0].Name, "Undefined");
    EXPECT_EQ(back[1].Attr(1)->Description, "two  lines");
    EXPECT_EQ(back[1].Attr(3)->WorkSheet->Rows[0].Hint, "hint broken");
    EXPECT_EQ(back[1].Attr(5)->Name, "Cap acity");
    EXPECT_EQ(back[1].AttributeCount, 12);
}

TEST(EntityClassSection, BadInputIsAReadErrorAndLeavesConsistentRecords)
{
    TEntityClass ec;
    BuildSample(ec);
    const std::string good = Write(ec, 9);

    auto expectError = [](const std::string& text, int version) {
        TEntityClass back;
        EXPECT_EQ(Read(text, version, back), FileErrorRead);
        for (int c = 0; c <= MaxClasses; ++c) {
            const TClassRecord& r = back[c];
            ASSERT_GE(r.AttributeCount, 0);
            ASSERT_LE(r.AttributeCount, MaxAttributes);
            for (int i = 1; i <= r.AttributeCount; ++i) {
                ASSERT_NE(r.Attr(i), nullptr);
                ASSERT_LE(r.Attr(i)->TopRow, MaxWorkSheetRow);
                ASSERT_TRUE(r.Attr(i)->TopRow == 0 || r.Attr(i)->WorkSheet);
            }
        }
    };
    // Truncated anywhere.
    for (std::size_t cut : {std::size_t(0), std::size_t(20), good.size() / 3, good.size() / 2, good.size() - 3})
        expectError(good.substr(0, cut), 9);
    // Counts out of range.
    auto classLine = [](const std::string& counts) {
        return std::string(40, ' ') + counts + "\r\n";
    };
    expectError(classLine(" 1 1 101"), 9);
    expectError(classLine(" 1 1 -1"), 9);
    // A malformed number.
    expectError(classLine(" 1 x 0"), 9);
    expectError(classLine(" 1 nan 0"), 9);
    // A worksheet row count of 11.
    std::string text = Write(ec, 5);
    const std::size_t pos = text.find("Capacity");
    text.replace(pos + 31, 1, "11");
    expectError(text, 5);
    // Nothing happens once an earlier step failed.
    TEntityClass untouched;
    untouched[1].Name = "Keep";
    TTextReader r(good);
    TFileContext ctx;
    ctx.InFile = &r;
    ctx.ReadVersion = 9;
    ctx.ErrorCode = 2;
    ReadEntityClasses(ctx, untouched);
    EXPECT_EQ(untouched[1].Name, "Keep");
    EXPECT_EQ(r.Position(), 0u);
}

TEST(EntityClassSection, UnwritableRealIsAWriteError)
{
    TEntityClass ec;
    BuildSample(ec);
    ec[1].Attr(5)->WorkSheet->Rows[1].Low = std::numeric_limits<double>::quiet_NaN();
    TTextWriter w;
    TFileContext ctx;
    ctx.OutFile = &w;
    WriteEntityClasses(ctx, ec);
    EXPECT_EQ(ctx.ErrorCode, FileErrorWrite);
}
