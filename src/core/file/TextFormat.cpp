#include "core/file/TextFormat.h"

#include "core/file/LegacyText.h"
#include "core/model/Rounding.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>

namespace {

constexpr int MaxNumberText = 50;
constexpr int MaxPrecision = 17; // a double has no more significant digits

// |v| as significant digits d1 d2 ... (value d1.d2d3... x 10^Exp), rounded to
// precision digits, trailing zeros dropped.
struct TDecimal {
    bool Negative = false;
    std::string Digits;
    int Exp = 0;
};

TDecimal Decompose(double v, int precision)
{
    TDecimal d;
    d.Negative = std::signbit(v);
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, precision - 1);
    const char* p = buf;
    for (; p < r.ptr && *p != 'e'; ++p)
        if (*p != '.')
            d.Digits.push_back(*p);
    if (p < r.ptr) {
        int exp = 0;
        std::from_chars(*(p + 1) == '+' ? p + 2 : p + 1, r.ptr, exp);
        d.Exp = exp;
    }
    while (d.Digits.size() > 1 && d.Digits.back() == '0')
        d.Digits.pop_back();
    return d;
}

std::string ExponentText(int exp)
{
    std::string s = "E";
    if (exp < 0)
        s.push_back('-');
    std::string digits = std::to_string(std::abs(exp));
    if (digits.size() < 2)
        digits.insert(0, 1, '0');
    return s + digits;
}

// The general format: the shorter of fixed and scientific notation.
std::string GeneralText(double v, int precision)
{
    if (std::isnan(v))
        return "NAN";
    if (std::isinf(v))
        return v > 0 ? "INF" : "-INF";
    precision = std::clamp(precision, 1, MaxPrecision);
    if (v == 0)
        return "0";
    const TDecimal d = Decompose(v, precision);
    std::string s = d.Negative ? "-" : "";
    if (d.Exp < precision && d.Exp >= -5) {
        if (d.Exp >= 0) {
            const std::size_t intLen = static_cast<std::size_t>(d.Exp) + 1;
            if (d.Digits.size() <= intLen) {
                s += d.Digits;
                s.append(intLen - d.Digits.size(), '0');
            } else {
                s += d.Digits.substr(0, intLen);
                s += '.';
                s += d.Digits.substr(intLen);
            }
        } else {
            s += "0.";
            s.append(static_cast<std::size_t>(-d.Exp - 1), '0');
            s += d.Digits;
        }
    } else {
        s += d.Digits[0];
        if (d.Digits.size() > 1) {
            s += '.';
            s += d.Digits.substr(1);
        }
        s += ExponentText(d.Exp);
    }
    return s;
}

// Rounds a digit string to its first keep digits, ties to even. Returns true
// when the rounding carried into a new leading digit.
bool RoundDigits(std::string& digits, std::size_t keep)
{
    if (keep >= digits.size())
        return false;
    const std::string dropped = digits.substr(keep);
    digits.resize(keep);
    bool up = false;
    if (dropped[0] > '5') {
        up = true;
    } else if (dropped[0] == '5') {
        const bool beyondHalf = dropped.find_first_not_of('0', 1) != std::string::npos;
        const bool lastOdd = keep > 0 && (digits[keep - 1] - '0') % 2 == 1;
        up = beyondHalf || lastOdd;
    }
    if (!up)
        return false;
    for (std::size_t i = keep; i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    digits.insert(0, 1, '1');
    return true;
}

std::string Xs(int width) { return std::string(static_cast<std::size_t>(width), 'X'); }

std::string Padded(std::string s, int width)
{
    if (static_cast<int>(s.size()) < width)
        s.append(static_cast<std::size_t>(width) - s.size(), ' ');
    return s;
}

// Sign, the digits with a '.' after the first intLen of them (none when no
// digit follows).
std::string DigitsText(bool negative, const std::string& digits, std::size_t intLen)
{
    std::string out = negative ? "-" : "";
    out += digits.substr(0, intLen);
    if (digits.size() > intLen) {
        out += '.';
        out += digits.substr(intLen);
    }
    return out;
}

// A scientific text shortened by k mantissa digits.
std::string DropMantissaDigits(const std::string& s, std::size_t k)
{
    const std::size_t ePos = s.find('E');
    const std::size_t dot = s.find('.');
    if (ePos == std::string::npos || dot == std::string::npos || dot > ePos)
        return {};
    const bool negative = s[0] == '-';
    const std::string mantissa = s.substr(negative ? 1 : 0, ePos - (negative ? 1 : 0));
    const std::size_t dotPos = mantissa.find('.');
    std::string digits;
    for (char c : mantissa)
        if (c != '.')
            digits.push_back(c);
    if (k >= digits.size())
        return {};
    int exp = 0;
    {
        std::size_t q = ePos + 1;
        const bool expNegative = q < s.size() && s[q] == '-';
        if (expNegative || (q < s.size() && s[q] == '+'))
            ++q;
        std::from_chars(s.data() + q, s.data() + s.size(), exp);
        if (expNegative)
            exp = -exp;
    }
    if (RoundDigits(digits, digits.size() - k)) {
        digits.pop_back(); // 9.9 -> 10 -> 1.0E+1
        ++exp;
    }
    return DigitsText(negative, digits, dotPos) + ExponentText(exp);
}

// A fixed-notation text cut to width bytes, its last kept decimal rounded.
std::string CutFixedText(const std::string& s, int width)
{
    const std::size_t dot = s.find('.');
    const bool negative = s[0] == '-';
    const std::size_t signLen = negative ? 1 : 0;
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t intLen = dot - signLen;
    const std::size_t decimalsKept = dot + 1 < w ? w - dot - 1 : 0;
    if (w < signLen + intLen)
        return {};
    std::string digits = s.substr(signLen, intLen) + s.substr(dot + 1);
    std::size_t newIntLen = intLen;
    if (RoundDigits(digits, intLen + decimalsKept))
        ++newIntLen;
    const std::string text = DigitsText(negative, digits, newIntLen);
    double value = 0;
    if (!ParseReal(text, value))
        return {};
    return GeneralText(value, width);
}

} // namespace

std::string RealText(bool fixedWidth, int width, double v)
{
    width = std::clamp(width, 1, MaxNumberText);
    std::string s = GeneralText(v, width);
    if (!fixedWidth)
        return s.substr(0, MaxNumberText);
    if (static_cast<int>(s.size()) <= width)
        return Padded(std::move(s), width);

    int k = static_cast<int>(s.size()) - width;
    s = GeneralText(v, std::max(width - k, 1));
    if (static_cast<int>(s.size()) <= width)
        return Padded(std::move(s), width);

    k = static_cast<int>(s.size()) - width;
    std::string cut;
    if (s.find('E') != std::string::npos)
        cut = DropMantissaDigits(s, static_cast<std::size_t>(k));
    else if (s.find('.') != std::string::npos)
        cut = CutFixedText(s, width);
    if (cut.empty() || static_cast<int>(cut.size()) > width)
        return Xs(width);
    return Padded(std::move(cut), width);
}

std::string RoundedNumberText(double v)
{
    if (v > -1e10 && v < 1e10) {
        const int64_t n = pround64(v);
        return std::to_string(n);
    }
    std::string s = RealText(false, 15, v);
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s;
}

// ---------------------------------------------------------------------------

TValueSlot PackShortText(std::string_view s)
{
    TValueSlot slot;
    for (std::size_t i = 0; i < 8; ++i)
        slot.Bytes[i] = i < s.size() ? static_cast<uint8_t>(s[i]) : uint8_t(' ');
    return slot;
}

std::string UnpackShortText(const TValueSlot& slot)
{
    std::string s(8, ' ');
    for (std::size_t i = 0; i < 8; ++i) {
        const uint8_t b = slot.Bytes[i];
        if (b >= 32 && b <= 126)
            s[i] = static_cast<char>(b);
    }
    return s;
}

std::string CategoryCodesForEdit(const TValueSlot& slot, const TAttrib& attribute)
{
    return UnpackShortText(slot).substr(0, static_cast<std::size_t>(CategoryCodePositions(attribute)));
}

std::string AcceptCategoryCodes(std::string_view text, const TAttrib& attribute, TValueSlot& slot)
{
    const std::size_t k = static_cast<std::size_t>(CategoryCodePositions(attribute));
    text = text.substr(0, std::min<std::size_t>(text.size(), 8));
    std::string codes(8, ' ');
    for (std::size_t i = 1; i <= k; ++i) {
        const char c = i <= text.size() ? text[i - 1] : ' ';
        const bool allowed = attribute.WorkSheet && attribute.WorkSheet->Rows[i].Codes.find(c) != std::string::npos;
        codes[i - 1] = allowed ? c : '?';
    }
    slot = PackShortText(codes);
    return codes.substr(0, k);
}

// ---------------------------------------------------------------------------

int DateTimeModeOfKind(char kind)
{
    switch (kind) {
    case 'T':
        return DateTimeModeTime;
    case 'X':
        return DateTimeModeDate;
    default:
        return DateTimeModeBoth;
    }
}

TValueSlot PackDateTime(const TDateTimeParts& p)
{
    TValueSlot slot;
    const uint16_t year = static_cast<uint16_t>(static_cast<int16_t>(p.Year));
    slot.Bytes[0] = static_cast<uint8_t>(year & 0xFF);
    slot.Bytes[1] = static_cast<uint8_t>(year >> 8);
    slot.Bytes[2] = static_cast<uint8_t>(p.Month);
    slot.Bytes[3] = static_cast<uint8_t>(p.Day);
    slot.Bytes[4] = static_cast<uint8_t>(p.Hour);
    slot.Bytes[5] = static_cast<uint8_t>(p.Minute);
    slot.Bytes[6] = static_cast<uint8_t>(p.Second);
    slot.Bytes[7] = 0;
    return slot;
}

TDateTimeParts UnpackDateTime(const TValueSlot& slot)
{
    TDateTimeParts p;
    p.Year = static_cast<int16_t>(static_cast<uint16_t>(slot.Bytes[0] | (slot.Bytes[1] << 8)));
    p.Month = slot.Bytes[2];
    p.Day = slot.Bytes[3];
    p.Hour = slot.Bytes[4];
    p.Minute = slot.Bytes[5];
    p.Second = slot.Bytes[6];
    return p;
}

TValueSlot UnknownDateTime()
{
    return PackDateTime(TDateTimeParts{});
}

int CurrentYear()
{
    static const int year = [] {
        const std::time_t now = std::time(nullptr);
        std::tm tmv{};
        localtime_r(&now, &tmv);
        return tmv.tm_year + 1900;
    }();
    return year;
}

namespace {

// One token of a date/time text: digits, blanks and '?' up to a separator.
// Returns the value, or -1 for "?" (not given).
int NextDateToken(std::string_view text, std::size_t& pos, int& err)
{
    std::string token;
    while (pos < text.size()) {
        const char c = text[pos];
        if (!((c >= '0' && c <= '9') || c == ' ' || c == '?'))
            break;
        if (c != ' ')
            token.push_back(c);
        ++pos;
    }
    if (pos < text.size())
        ++pos; // the separator
    if (token.empty())
        return 0;
    if (token == "?")
        return -1;
    int64_t value = 0;
    for (char c : token) {
        if (c < '0' || c > '9') {
            err = 1;
            return 0;
        }
        value = std::min<int64_t>(value * 10 + (c - '0'), 1000000000);
    }
    return static_cast<int>(value);
}

// The parse of both forms; noSuchDate tells whether a part was put to 0, or
// a month or day of 0 was given in a date other than the empty one
// (0/0/1900, the date of a slot of zeros).
TValueSlot ParseDateTime(std::string_view text, int& err, int mode, const TValueSlot& deflt, int currentYear,
                         bool& noSuchDate)
{
    err = 0;
    bool outOfRange = false;
    noSuchDate = false;
    text = text.substr(0, std::min<std::size_t>(text.size(), 30));
    if (text.empty()) {
        err = DateTextNotANumber;
        return TValueSlot{};
    }
    std::size_t pos = 0;
    TDateTimeParts p;
    // A typed part: -1 (not given) becomes 255; a typed 255 or more is out of range.
    auto part = [&](int maxValid) {
        const int v = NextDateToken(text, pos, err);
        if (v < 0)
            return DatePartNotGiven;
        if (v > maxValid) {
            outOfRange = true;
            return 0;
        }
        return v;
    };
    if (mode != DateTimeModeTime) {
        p.Month = part(12);
        p.Day = part(31);
        const int y = NextDateToken(text, pos, err);
        if (y < 0) {
            p.Year = DateYearNotGiven;
        } else {
            int year = y;
            if (year == 0) {
                year = currentYear;
            } else if (year < 100) {
                for (int century = 1900; century <= 4000; century += 100)
                    if (currentYear >= century && currentYear < century + 100) {
                        year += century;
                        break;
                    }
            }
            const int64_t stored = static_cast<int64_t>(year) - 1900;
            if (stored > 4100)
                outOfRange = true;
            p.Year = stored > 4100 ? 0 : static_cast<int>(stored);
        }
    } else {
        p.Year = DateYearNotGiven;
        p.Month = DatePartNotGiven;
        p.Day = DatePartNotGiven;
    }
    if (mode != DateTimeModeDate) {
        p.Hour = part(23);
        p.Minute = part(59);
        p.Second = part(59);
    }
    if (p.Month != DatePartNotGiven && p.Day != DatePartNotGiven && p.Day > DaysInMonth(p.Month, p.Year)) {
        outOfRange = true;
        p.Day = 0;
    }
    const bool emptyDate = p.Month == 0 && p.Day == 0 && p.Year == 0;
    noSuchDate = outOfRange || (!emptyDate && (p.Month == 0 || p.Day == 0));

    const TDateTimeParts d = UnpackDateTime(deflt);
    if (p.Year == DateYearNotGiven)
        p.Year = d.Year;
    if (p.Month == DatePartNotGiven)
        p.Month = d.Month;
    if (p.Day == DatePartNotGiven)
        p.Day = d.Day;
    if (p.Hour == DatePartNotGiven)
        p.Hour = d.Hour;
    if (p.Minute == DatePartNotGiven)
        p.Minute = d.Minute;
    if (p.Second == DatePartNotGiven)
        p.Second = d.Second;
    return PackDateTime(p);
}

} // namespace

int DaysInMonth(int month, int yearWord)
{
    switch (month) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12:
        return 31;
    case 4: case 6: case 9: case 11:
        return 30;
    case 2:
        return (yearWord + 1900) % 4 == 0 ? 29 : 28;
    default:
        return 255;
    }
}

TValueSlot TextToDateTime(std::string_view text, int& err, int mode, const TValueSlot& deflt, int currentYear)
{
    bool noSuchDate = false;
    return ParseDateTime(text, err, mode, deflt, currentYear, noSuchDate);
}

TValueSlot TypedDateTime(std::string_view text, int& err, int mode, const TValueSlot& deflt, int currentYear)
{
    bool noSuchDate = false;
    const TValueSlot v = ParseDateTime(text, err, mode, deflt, currentYear, noSuchDate);
    if (err == 0 && noSuchDate)
        err = DateTextOutOfRange;
    return v;
}

TValueSlot TypedDateTime(std::string_view text, int& err, int mode, const TValueSlot& deflt)
{
    return TypedDateTime(text, err, mode, deflt, CurrentYear());
}

TValueSlot TextToDateTime(std::string_view text, int& err, int mode, const TValueSlot& deflt)
{
    return TextToDateTime(text, err, mode, deflt, CurrentYear());
}

std::string DateTimeText(const TValueSlot& value, bool forceTime, int mode)
{
    const TDateTimeParts p = UnpackDateTime(value);
    auto partText = [](int v) { return v == DatePartNotGiven ? std::string("?") : std::to_string(v); };
    const std::string yearText = p.Year == DateYearNotGiven ? std::string("?") : std::to_string(p.Year + 1900);
    const std::string date = partText(p.Month) + "/" + partText(p.Day) + "/" + yearText;
    const std::string time = partText(p.Hour) + ":" + partText(p.Minute) + ":" + partText(p.Second);
    switch (mode) {
    case DateTimeModeDate:
        return date;
    case DateTimeModeTime:
        return time;
    default:
        if (p.Hour > 0 || p.Minute > 0 || p.Second > 0 || forceTime)
            return date + "," + time;
        return date;
    }
}

namespace {

struct TCompareParts {
    int Part[6];
    bool Given[6];
};

TCompareParts SplitForCompare(const TValueSlot& v)
{
    const TDateTimeParts p = UnpackDateTime(v);
    TCompareParts c{{p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second}, {}};
    c.Given[0] = p.Year != DateYearNotGiven;
    for (int i = 1; i < 6; ++i)
        c.Given[i] = c.Part[i] != DatePartNotGiven;
    return c;
}

} // namespace

bool DateTimeEqual(const TValueSlot& a, const TValueSlot& b)
{
    const TCompareParts x = SplitForCompare(a), y = SplitForCompare(b);
    for (int i = 0; i < 6; ++i)
        if (x.Given[i] && y.Given[i] && x.Part[i] != y.Part[i])
            return false;
    return true;
}

bool DateTimeLess(const TValueSlot& a, const TValueSlot& b)
{
    const TCompareParts x = SplitForCompare(a), y = SplitForCompare(b);
    for (int i = 0; i < 6; ++i)
        if (x.Given[i] && y.Given[i] && x.Part[i] != y.Part[i])
            return x.Part[i] < y.Part[i];
    return false;
}

bool DateTimeGreater(const TValueSlot& a, const TValueSlot& b)
{
    return DateTimeLess(b, a);
}

bool DateTimeGreaterOrEqual(const TValueSlot& a, const TValueSlot& b)
{
    return DateTimeLess(b, a) || DateTimeEqual(b, a);
}

// ---------------------------------------------------------------------------

int CountEntityTypes(const TEntityClass& classes)
{
    int n = 0;
    while (n < MaxClasses && !classes[n + 1].Name.empty())
        ++n;
    return n;
}

int HighestEntityType(const TEntityClass& classes)
{
    for (int n = MaxClasses; n >= 1; --n)
        if (!classes[n].Name.empty()) return n;
    return 0;
}

int CountAttributes(const TEntityClass& systemClass)
{
    const TClassRecord& record = systemClass[1];
    int n = 0;
    while (n < MaxAttributes) {
        const TAttrib* a = record.Attr(n + 1);
        if (!a || a->Name.empty())
            break;
        ++n;
    }
    return n;
}
