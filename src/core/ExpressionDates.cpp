#include "core/ExpressionDates.h"

#include <chrono>
#include <cstring>
#include <string>

namespace {

struct Parts {
    int v[6]; // year (full), month, day, hour, minute, second; -1 = not given
};

Parts Split(const uint8_t* p)
{
    Parts r;
    int16_t y;
    std::memcpy(&y, p, 2);
    r.v[0] = (y == 30000) ? -1 : y;
    for (int i = 1; i < 6; ++i) r.v[i] = (p[i + 1] == 255) ? -1 : p[i + 1];
    return r;
}

int CurrentYear()
{
    static const int year = [] {
        auto now = std::chrono::system_clock::now();
        auto days = std::chrono::floor<std::chrono::days>(now);
        return static_cast<int>(std::chrono::year_month_day(days).year());
    }();
    return year;
}

} // namespace

bool PackedDateEqual(const uint8_t* a, const uint8_t* b)
{
    Parts x = Split(a), y = Split(b);
    for (int i = 0; i < 6; ++i)
        if (x.v[i] >= 0 && y.v[i] >= 0 && x.v[i] != y.v[i]) return false;
    return true;
}

bool PackedDateLess(const uint8_t* a, const uint8_t* b)
{
    Parts x = Split(a), y = Split(b);
    for (int i = 0; i < 6; ++i)
        if (x.v[i] >= 0 && y.v[i] >= 0 && x.v[i] != y.v[i]) return x.v[i] < y.v[i];
    return false;
}

double ParseDateLiteral(std::string_view text)
{
    if (text.size() > 30) text = text.substr(0, 30);
    uint8_t out[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    double result = 0;
    if (text.empty()) return result;
    size_t pos = 0;
    // -2: not given ('?'); otherwise the number (an empty token is 0).
    auto token = [&]() -> int {
        std::string t;
        while (pos < text.size()) {
            char c = text[pos];
            if ((c >= '0' && c <= '9') || c == '?') {
                t += c;
            } else if (c != ' ') {
                ++pos;
                break;
            }
            ++pos;
        }
        if (t == "?") return -2;
        if (t.empty()) return 0;
        if (t.size() > 9 || t.find('?') != std::string::npos) return 0;
        return std::stoi(t);
    };
    int month = token(), day = token(), year = token();
    int hour = token(), minute = token(), second = token();
    int storedYear = 30000;
    if (year != -2) {
        if (year == 0) year = CurrentYear();
        else if (year < 100) {
            for (int c = 1900; c <= 4000; c += 100)
                if (CurrentYear() >= c && CurrentYear() < c + 100) {
                    year += c;
                    break;
                }
        }
        storedYear = year - 1900;
        if (storedYear > 4100) storedYear = 0;
    }
    auto byte = [](int v) { return v == -2 ? 255 : v; };
    month = byte(month);
    day = byte(day);
    hour = byte(hour);
    minute = byte(minute);
    second = byte(second);
    if (month != 255 && (month == 0 || month > 12)) month = 0;
    if (minute != 255 && minute > 59) minute = 0;
    if (second != 255 && second > 59) second = 0;
    if (hour != 255 && hour > 23) hour = 0;
    if (day != 255) {
        int maxDay = 31;
        if (month == 4 || month == 6 || month == 9 || month == 11) maxDay = 30;
        if (month == 2) {
            int y = storedYear == 30000 ? 0 : storedYear + 1900;
            maxDay = (y % 4 == 0) ? 29 : 28;
        }
        if (day > maxDay) day = 0;
    }
    int16_t y16 = static_cast<int16_t>(storedYear);
    std::memcpy(out, &y16, 2);
    out[2] = static_cast<uint8_t>(month);
    out[3] = static_cast<uint8_t>(day);
    out[4] = static_cast<uint8_t>(hour);
    out[5] = static_cast<uint8_t>(minute);
    out[6] = static_cast<uint8_t>(second);
    std::memcpy(&result, out, 8);
    return result;
}
