// Number, code and date/time texts of the program, and two small counters of
// the schema.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/model/EntityClasses.h"

// ---------------------------------------------------------------------------
// Numbers

// V in the general format with width significant digits (fixed notation
// when the integer part has at most that many digits and |V| >= 0.00001,
// else d.dddE[-]xx with at least two exponent digits), at most 50 bytes.
// With fixedWidth the text is exactly width bytes: padded with blanks, or
// shortened by fewer digits, or width 'X' bytes when nothing fits.
std::string RealText(bool fixedWidth, int width, double v);

// V rounded to the nearest integer (ties to even) as integer text when
// -1e10 < V < 1e10, else RealText(false, 15, V) without a trailing '.'.
std::string RoundedNumberText(double v);

// ---------------------------------------------------------------------------
// Categorical codes in a value slot

// The first (up to) 8 bytes of s; the rest of the slot blank.
TValueSlot PackShortText(std::string_view s);
// The 8 bytes of the slot; bytes below 32 or above 126 read as blanks.
std::string UnpackShortText(const TValueSlot& slot);

// The slot's codes cut to the attribute's code positions, for editing.
std::string CategoryCodesForEdit(const TValueSlot& slot, const TAttrib& attribute);
// Accepts edited codes: position i (1..K) keeps its character when the
// codes text of worksheet row i allows it, else it becomes '?' (every
// position when the attribute has no worksheet); positions K+1..8 become
// blanks. Stores the result in slot and returns its first K characters.
std::string AcceptCategoryCodes(std::string_view text, const TAttrib& attribute, TValueSlot& slot);

// ---------------------------------------------------------------------------
// Dates and times in a value slot: int16 year - 1900 (30000 = not given),
// then month, day, hour, minute, second bytes (255 = not given), one spare.

constexpr int DateYearNotGiven = 30000;
constexpr int DatePartNotGiven = 255;

// Modes of the date/time texts: 0 date and time, 1 time only, 2 date only.
constexpr int DateTimeModeBoth = 0;
constexpr int DateTimeModeTime = 1;
constexpr int DateTimeModeDate = 2;
// The mode of an attribute kind: 'D' date and time, 'T' time, 'X' date.
int DateTimeModeOfKind(char kind);

struct TDateTimeParts {
    int Year = DateYearNotGiven; // year - 1900
    int Month = DatePartNotGiven;
    int Day = DatePartNotGiven;
    int Hour = DatePartNotGiven;
    int Minute = DatePartNotGiven;
    int Second = DatePartNotGiven;
};
TValueSlot PackDateTime(const TDateTimeParts& parts);
TDateTimeParts UnpackDateTime(const TValueSlot& slot);
// A value with no part given.
TValueSlot UnknownDateTime();

// The year of the date at program start; completes two-digit and missing years.
int CurrentYear();

// The calendar of every date check: 31 days in months 1, 3, 5, 7, 8, 10 and
// 12, 30 in 4, 6, 9 and 11, and in February 29 when the year (yearWord + 1900)
// is divisible by 4, else 28 (so 1900 and 2100 are leap years). A month
// outside 1..12 has no limit (255).
int DaysInMonth(int month, int yearWord);

// Parses month/day/year and hour:minute:second texts (any non-digit byte
// separates; "?" = not given). err is set to 1 for an empty text or a part
// that is not a number, else 0. A part outside its range (month above 12,
// a day past its month, hour above 23, minute or second above 59, a year
// above 6000) is stored as 0. Parts not given are taken from deflt. This is
// the reading of texts in files and tables.
TValueSlot TextToDateTime(std::string_view text, int& err, int mode, const TValueSlot& deflt, int currentYear);
TValueSlot TextToDateTime(std::string_view text, int& err, int mode, const TValueSlot& deflt);

// A date or time the user typed: as TextToDateTime, but a date that does not
// exist is refused too (err 2): a part outside its range, which the reading
// of files stores as 0, and a month or day of 0 (a text without digits reads
// as one). The empty date 0/0/1900, which a slot of zeros shows, stands.
constexpr int DateTextNotANumber = 1;
constexpr int DateTextOutOfRange = 2;
TValueSlot TypedDateTime(std::string_view text, int& err, int mode, const TValueSlot& deflt, int currentYear);
TValueSlot TypedDateTime(std::string_view text, int& err, int mode, const TValueSlot& deflt);

// "m/d/y", "h:m:s" or "m/d/y,h:m:s" ("?" for a part not given); mode 0 shows
// the time only when a time part is above 0 or forceTime is set.
std::string DateTimeText(const TValueSlot& value, bool forceTime, int mode);

// Comparisons that look only at the parts given on both sides.
bool DateTimeEqual(const TValueSlot& a, const TValueSlot& b);
bool DateTimeLess(const TValueSlot& a, const TValueSlot& b);
bool DateTimeGreater(const TValueSlot& a, const TValueSlot& b);
bool DateTimeGreaterOrEqual(const TValueSlot& a, const TValueSlot& b);

// ---------------------------------------------------------------------------
// Schema counters

// The number of consecutive named classes from class 1 (at most 10).
int CountEntityTypes(const TEntityClass& classes);
// The highest named class (at most 10; 0 when none is named). Classes below
// it may be unnamed: the schema dialogs leave such gaps.
int HighestEntityType(const TEntityClass& classes);
// The number of consecutive named system attributes from attribute 1 of the
// system class's record 1 (at most 100).
int CountAttributes(const TEntityClass& systemClass);
