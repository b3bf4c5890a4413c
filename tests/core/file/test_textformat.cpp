#include "core/file/ByteBuffer.h"
#include "core/file/TextFormat.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(TextFormat, RealTextTable)
{
    struct Case {
        bool fixed;
        int width;
        double v;
        const char* text;
    } cases[] = {
        {true, 10, 1234567.891, "1234567.89"},
        {true, 10, 1e300, "1E300     "},
        {true, 12, 5, "5           "},
        {true, 10, 0.1 + 0.2, "0.3       "},
        {true, 10, -0.000123456789, "-0.0001235"},   // cut in fixed notation, last decimal rounded
        {true, 8, 1.2345e-100, "1.2E-100"},          // mantissa digits dropped
        {true, 8, 9.9996e-100, "1.0E-99 "},          // ... with a carry into the exponent
        {true, 4, 123456.0, "1E05"},
        {true, 2, 123456.0, "XX"},                   // nothing fits: exactly width X
        {true, 3, -12.5, "XXX"},
        {true, 15, -2.5, "-2.5           "},
        {false, 15, 0, "0"},
        {false, 15, -0.0, "0"},
        {false, 15, 2.5, "2.5"},
        {false, 15, 0.00001, "0.00001"},
        {false, 15, -0.000012, "-0.000012"},
        {false, 15, -0.0000012, "-1.2E-06"},
        {false, 15, 1e14, "100000000000000"},
        {false, 15, 1e15, "1E15"},
        {false, 15, 123456789012345678.0, "1.23456789012346E17"},
        {false, 8, 2.0 / 3.0, "0.66666667"},
        {false, 15, 1.0 / 3.0, "0.333333333333333"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RealText(c.fixed, c.width, c.v), c.text) << c.v << " width " << c.width;
    for (double v : {1.0 / 7, -1e-300, 987654321.0, -123.456e200, 0.5, 1e-5})
        for (int w = 1; w <= 16; ++w)
            EXPECT_EQ(RealText(true, w, v).size(), static_cast<std::size_t>(w)) << v;

    EXPECT_EQ(RoundedNumberText(2.5), "2");
    EXPECT_EQ(RoundedNumberText(3.5), "4");
    EXPECT_EQ(RoundedNumberText(-2.5), "-2");
    EXPECT_EQ(RoundedNumberText(-0.4), "0");
    EXPECT_EQ(RoundedNumberText(9999999999.4), "9999999999");
    EXPECT_EQ(RoundedNumberText(2e10), "20000000000");
    EXPECT_EQ(RoundedNumberText(-1e20), "-1E20");
    EXPECT_EQ(RoundedNumberText(std::nan("")), "NAN");
}

TEST(TextFormat, ShortTextsAndCategoryCodes)
{
    TValueSlot slot = PackShortText("AB");
    EXPECT_EQ(UnpackShortText(slot), "AB      ");
    EXPECT_EQ(UnpackShortText(PackShortText("123456789")), "12345678");
    slot.Bytes[0] = 0;
    slot.Bytes[1] = 200;
    EXPECT_EQ(UnpackShortText(slot), "        ");

    TAttrib a;
    a.Kind = 'C';
    a.TopRow = 10; // a file may say 10; only 8 positions fit a slot
    EXPECT_EQ(CategoryCodePositions(a), 8);
    a.TopRow = 3;
    EXPECT_EQ(AcceptCategoryCodes("AB", a, slot), "???"); // no worksheet: nothing is allowed
    a.WorkSheet = std::make_unique<TWorkSheet>();
    a.WorkSheet->Rows[1].Codes = "AB";
    a.WorkSheet->Rows[2].Codes = "XY";
    a.WorkSheet->Rows[3].Codes = "01";
    EXPECT_EQ(AcceptCategoryCodes("BZ1QQQQQQQ", a, slot), "B?1");
    EXPECT_EQ(UnpackShortText(slot), "B?1     ");
    EXPECT_EQ(CategoryCodesForEdit(slot, a), "B?1");
}

namespace {
TValueSlot Date(int month, int day, int year, int hour = 255, int minute = 255, int second = 255)
{
    TDateTimeParts p;
    p.Year = year == 255 ? DateYearNotGiven : year - 1900;
    p.Month = month;
    p.Day = day;
    p.Hour = hour;
    p.Minute = minute;
    p.Second = second;
    return PackDateTime(p);
}
} // namespace

TEST(TextFormat, DateTimeParsingTable)
{
    const TValueSlot unknown = UnknownDateTime();
    struct Case {
        const char* text;
        int mode;
        const char* shown; // DateTimeText of the result in the same mode
        int err;
    } cases[] = {
        {"1/2/2003,10:30:0", 0, "1/2/2003,10:30:0", 0},
        {"?/?/1999", 2, "?/?/1999", 0},
        {"2/30/2004", 2, "2/0/2004", 0},   // February 2004 has 29 days
        {"2/29/2004", 2, "2/29/2004", 0},
        {"2/29/2003", 2, "2/0/2003", 0},
        {"4/31/2003", 2, "4/0/2003", 0},
        {"13/1/2000", 2, "0/1/2000", 0},
        {"255/1/2000", 2, "0/1/2000", 0},  // a typed 255 is out of range, not "not given"
        {"1/1/5", 2, "1/1/2005", 0},
        {"1/1/99", 2, "1/1/2099", 0},
        {"1/1/0", 2, "1/1/2026", 0},
        {"1/1/", 2, "1/1/2026", 0},
        {"1/1/99999", 2, "1/1/1900", 0},   // stored year above 4100
        {"1 2 / 3 / 1 999", 2, "12/3/1999", 0},
        {"1-2-2003,23.59.59", 0, "1/2/2003,23:59:59", 0},
        {"1/2/2003 10:5:0", 0, "1/2/1900,5:0:0", 0}, // blanks join "2003 10" into one year token
        {"1/2/2003,24:60:61", 0, "1/2/2003", 0},
        {"10:30:15", 1, "10:30:15", 0},
        {"1?/2/2000", 2, "0/2/2000", 1},
        {"", 0, "0/0/1900", 1},
    };
    for (const auto& c : cases) {
        int err = -1;
        const TValueSlot v = TextToDateTime(c.text, err, c.mode, unknown, 2026);
        EXPECT_EQ(err, c.err) << c.text;
        EXPECT_EQ(DateTimeText(v, false, c.mode), c.shown) << c.text;
    }

    int err;
    // Parts not given come from the default.
    TValueSlot v = TextToDateTime("?/5/?", err, 2, Date(3, 1, 2010), 2026);
    EXPECT_EQ(DateTimeText(v, false, 2), "3/5/2010");
    v = TextToDateTime("8:15:0", err, 1, Date(3, 1, 2010), 2026);
    EXPECT_EQ(DateTimeText(v, false, 0), "3/1/2010,8:15:0");
    v = TextToDateTime("3/1/2010", err, 2, unknown, 2026);
    EXPECT_EQ(UnpackDateTime(v).Hour, 255);

    // The time shows in mode 0 only when a part is above 0 or forced.
    EXPECT_EQ(DateTimeText(Date(1, 2, 2003, 0, 0, 0), false, 0), "1/2/2003");
    EXPECT_EQ(DateTimeText(Date(1, 2, 2003, 0, 0, 0), true, 0), "1/2/2003,0:0:0");
    EXPECT_EQ(DateTimeText(Date(1, 2, 2003), false, 0), "1/2/2003,?:?:?");
    EXPECT_EQ(DateTimeText(unknown, false, 2), "?/?/?");
    EXPECT_EQ(DateTimeModeOfKind('D'), 0);
    EXPECT_EQ(DateTimeModeOfKind('T'), 1);
    EXPECT_EQ(DateTimeModeOfKind('X'), 2);
}

// A typed date is refused where the file reading would put a part to 0;
// the calendar is the same everywhere (every fourth year a leap year).
TEST(TextFormat, TypedDatesRefuseImpossibleParts)
{
    const TValueSlot unknown = UnknownDateTime();
    struct Case {
        const char* text;
        int mode;
        int err;
    } cases[] = {
        {"2/30/2004", 2, DateTextOutOfRange},
        {"13/45/2000", 2, DateTextOutOfRange},
        {"4/31/2003", 2, DateTextOutOfRange},
        {"2/29/2101", 2, DateTextOutOfRange},
        {"1/1/99999", 2, DateTextOutOfRange},
        {"1/2/2003,24:0:0", 0, DateTextOutOfRange},
        {"10:60:0", 1, DateTextOutOfRange},
        {"10:0:60", 1, DateTextOutOfRange},
        {"1?/2/2000", 2, DateTextNotANumber},
        {"", 2, DateTextNotANumber},
        {"2/29/2100", 2, 0},
        {"2/29/1900", 2, 0},
        {"2/29/2004", 2, 0},
        {"12/31/6000", 2, 0},
        {"1/1/6001", 2, DateTextOutOfRange},
        {"12/31/6000,10:0:0", 0, 0},
        {"1/1/6001,10:0:0", 0, DateTextOutOfRange},
        {"0/0/1900", 2, 0}, // an empty value as the sheet shows it
        {"0/0/1900,10:0:0", 0, 0},
        {"0/12/2000", 2, DateTextOutOfRange},
        {"3/0/2000", 2, DateTextOutOfRange},
        {"0/0/2000", 2, DateTextOutOfRange},
        {"abc", 2, DateTextOutOfRange}, // no digits: 0/0 of this year
        {"?/0/?", 2, DateTextOutOfRange},
        {"1/2/2003,23:59:59", 0, 0},
        {"?/?/1999", 2, 0},
    };
    for (const auto& c : cases) {
        int err = -1;
        const TValueSlot typed = TypedDateTime(c.text, err, c.mode, unknown, 2026);
        EXPECT_EQ(err, c.err) << c.text;
        int fileErr = -1;
        const TValueSlot read = TextToDateTime(c.text, fileErr, c.mode, unknown, 2026);
        EXPECT_EQ(fileErr, c.err == DateTextOutOfRange ? 0 : c.err) << c.text; // files keep the 0
        if (c.err == 0) {
            EXPECT_EQ(typed, read) << c.text;
        }
    }
    EXPECT_EQ(DaysInMonth(2, 200), 29); // 2100
    EXPECT_EQ(DaysInMonth(2, 201), 28);
    EXPECT_EQ(DaysInMonth(2, 0), 29);   // 1900
    EXPECT_EQ(DaysInMonth(11, 0), 30);
}

TEST(TextFormat, DateComparisonsLookOnlyAtGivenParts)
{
    const TValueSlot a = Date(5, 1, 2000), b = Date(5, 255, 2000), c = Date(6, 1, 1999);
    EXPECT_TRUE(DateTimeEqual(a, b));
    EXPECT_FALSE(DateTimeLess(a, b));
    EXPECT_FALSE(DateTimeLess(b, a));
    EXPECT_TRUE(DateTimeLess(c, a)); // the year decides first
    EXPECT_TRUE(DateTimeGreater(a, c));
    EXPECT_TRUE(DateTimeGreaterOrEqual(a, b));
    EXPECT_FALSE(DateTimeGreaterOrEqual(c, a));
    EXPECT_TRUE(DateTimeLess(Date(1, 1, 1850), Date(1, 1, 1900))); // negative year words
    EXPECT_TRUE(DateTimeLess(Date(1, 1, 2000, 10, 5, 0), Date(1, 1, 2000, 10, 6, 0)));
}

TEST(TextFormat, SchemaCounters)
{
    TEntityClass ec;
    EXPECT_EQ(CountEntityTypes(ec), 0);
    ec[1].Name = "A";
    ec[2].Name = "B";
    ec[4].Name = "D";
    EXPECT_EQ(CountEntityTypes(ec), 2);
    for (int i = 1; i <= 10; ++i)
        ec[i].Name = "x";
    EXPECT_EQ(CountEntityTypes(ec), 10);

    TEntityClass system;
    EXPECT_EQ(CountAttributes(system), 0);
    for (int i = 1; i <= 5; ++i) {
        system[1].Attributes[i] = std::make_unique<TAttrib>();
        system[1].Attributes[i]->Name = i == 4 ? "" : "v";
    }
    EXPECT_EQ(CountAttributes(system), 3);
}

TEST(ByteBuffer, CodecsAndBounds)
{
    TByteBuffer b;
    b.PutLongBig(0, 9994);
    b.PutLongLittle(4, -2);
    b.PutDoubleLittle(8, -123.25);
    ASSERT_EQ(b.Size(), 16u);
    EXPECT_EQ(b.Data()[3], 0x0A);
    EXPECT_EQ(b.Data()[2], 0x27);
    EXPECT_EQ(b.Data()[4], 0xFE);
    EXPECT_EQ(b.GetLongBig(0), 9994);
    EXPECT_EQ(b.GetLongLittle(4), -2);
    EXPECT_EQ(b.GetDoubleLittle(8), -123.25);
    EXPECT_EQ(b.Data()[15], 0xC0); // sign and exponent in the last byte
    EXPECT_THROW(b.GetLongLittle(13), TByteBufferError);
    EXPECT_THROW(b.GetDoubleLittle(9), TByteBufferError);
    EXPECT_THROW(b.GetLongBig(SIZE_MAX - 1), TByteBufferError);
    EXPECT_THROW(b.PutLongBig(SIZE_MAX - 1, 1), TByteBufferError);
    EXPECT_FALSE(InBounds(16, 17, 0));
    EXPECT_TRUE(InBounds(16, 16, 0));
}
