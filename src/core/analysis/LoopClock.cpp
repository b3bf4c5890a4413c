#include "core/analysis/LoopClock.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/model/Rounding.h"

std::string CaptionDigits(const std::string& caption)
{
    std::string digits;
    for (char c : caption)
        if (c >= '0' && c <= '9') digits += c;
    const size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return digits.empty() ? digits : std::string("0");
    return digits.substr(first);
}

int CompareCaptionNumbers(const std::string& a, const std::string& b)
{
    const std::string x = CaptionDigits(a), y = CaptionDigits(b);
    if (x.empty() || y.empty()) return int(!x.empty()) - int(!y.empty());
    if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
    return x.compare(y) < 0 ? -1 : (x == y ? 0 : 1);
}

std::vector<size_t> LoopOrder(const std::vector<std::string>& captions)
{
    std::vector<size_t> order(captions.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t i, size_t j) { return CompareCaptionNumbers(captions[i], captions[j]) < 0; });
    return order;
}

TClockTime LoopModelTime(const TLoopSettings& settings, int32_t frame)
{
    const int64_t total = int64_t(settings.IntervalMinutes) * frame + settings.StartMinute;
    int64_t hour = total / 60 + settings.StartHour;
    if (hour > 23) hour = 0;
    TClockTime t;
    t.Hour = int32_t(hour);
    t.Minute = int32_t(total % 60);
    return t;
}

std::string LoopFrameCaption(const std::string& caption, const TClockTime& time)
{
    return "Loop Viewer, " + caption + " " + std::to_string(time.Hour) + ":" + (time.Minute < 10 ? "0" : "") +
           std::to_string(time.Minute) + " (Click to End)";
}

TLoopTicker::TTick TLoopTicker::Tick(int32_t count)
{
    TTick t;
    if (count <= 0) return t;
    if (Frame >= count) Frame = 0; // the list became shorter
    if (Frame == 0) {
        const bool idle = Repeat != 3;
        if (++Repeat > 3) Repeat = 1;
        if (idle) return t;
    }
    t.Draw = true;
    t.Entry = Frame;
    if (++Frame >= count) Frame = 0;
    return t;
}

// ---- the clock

namespace {

constexpr double TwoPi = 6.283185307179586;

TClockHand Hand(const TClockGeometry& g, double angle, double factor, int32_t width)
{
    TClockHand h;
    h.X1 = g.CX;
    h.Y1 = g.CY;
    h.X2 = int32_t(pround(g.CX + std::sin(angle) * g.R * factor));
    h.Y2 = int32_t(pround(g.CY - std::cos(angle) * g.R * factor));
    h.Width = width;
    return h;
}

} // namespace

TClockGeometry ClockGeometry(int32_t width, int32_t height)
{
    TClockGeometry g;
    g.CX = width / 2;
    g.CY = height / 2;
    g.R = std::min(g.CX, g.CY);
    g.T = std::max(g.R / 8, 6);
    g.R = g.R - 2 - g.T;
    return g;
}

std::array<TClockMark, 12> ClockMarks(const TClockGeometry& g)
{
    std::array<TClockMark, 12> marks;
    const double d = g.R + g.T / 2;
    for (int i = 0; i < 12; ++i) {
        const int minute = i * 5;
        const double a = minute * TwoPi / 60;
        marks[size_t(i)].X = int32_t(pround(g.CX + std::sin(a) * d));
        marks[size_t(i)].Y = int32_t(pround(g.CY - std::cos(a) * d));
        marks[size_t(i)].Half = minute % 15 == 0 ? g.T / 2 : 2;
    }
    return marks;
}

std::vector<TClockHand> ClockHands(const TClockGeometry& g, const TClockTime& shown, bool secondHand)
{
    std::vector<TClockHand> hands;
    const double minuteAngle = shown.Minute * TwoPi / 60;
    if (secondHand) hands.push_back(Hand(g, shown.Second * TwoPi / 60, 1.0, 1));
    hands.push_back(Hand(g, minuteAngle, 0.95, 3));
    hands.push_back(Hand(g, minuteAngle / 12 + (shown.Hour % 12) * TwoPi / 12, 0.6, 6));
    return hands;
}

void TClockOffset::Set(int32_t hour, int32_t minute)
{
    DifHour = hour % 12;
    DifMinute = minute % 60;
}

TClockTime ShownTime(const TClockTime& system, const TClockOffset& offset)
{
    int64_t m = int64_t(offset.DifHour) * 60 + offset.DifMinute + int64_t(system.Hour) * 60 + system.Minute;
    if (m < 0) m += 1440;
    TClockTime t;
    t.Hour = int32_t((m / 60) % 24);
    t.Minute = int32_t(m % 60);
    t.Second = system.Second;
    return t;
}

TClockOffset OffsetToShow(const TClockTime& system, int32_t hour, int32_t minute)
{
    const int32_t diff = (hour * 60 + minute) - (system.Hour * 60 + system.Minute);
    TClockOffset o;
    o.Set(diff / 60, diff % 60);
    return o;
}

TClockTicker::TEvents TClockTicker::Tick(const TClockTime& shown, bool secondHand)
{
    TEvents e;
    e.Second = true;
    e.Minute = HasPrevious && shown.Second < Previous.Second;
    e.Hour = HasPrevious && shown.Minute < Previous.Minute;
    e.Redraw = secondHand || e.Minute || !HasPrevious;
    Previous = shown;
    HasPrevious = true;
    return e;
}
