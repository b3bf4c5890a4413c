// The loop's order, model time and frame ticks, and the clock on an
// injected system time.
#include "core/analysis/LoopClock.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Loop, CaptionsSortByTheirDigitsAsNumbers)
{
    const std::vector<std::string> captions = {
        "net10.dta", "net9.dta", "noname.DTA", "day 2 slice 1", "b01", "a1",
        "z123456789012345678901234567891", "z123456789012345678901234567890"};
    const std::vector<size_t> order = LoopOrder(captions);
    std::vector<std::string> sorted;
    for (size_t i : order) sorted.push_back(captions[i]);
    EXPECT_EQ(sorted, (std::vector<std::string>{"noname.DTA", "b01", "a1", "net9.dta", "net10.dta", "day 2 slice 1",
                                                "z123456789012345678901234567890",
                                                "z123456789012345678901234567891"}));
    EXPECT_EQ(CaptionDigits("x007y0"), "70");
    EXPECT_EQ(CaptionDigits("00"), "0");
    EXPECT_LT(CompareCaptionNumbers("none", "0"), 0);
    EXPECT_EQ(CompareCaptionNumbers("none", "other"), 0);
}

TEST(Loop, ModelTimeCaptionAndTicks)
{
    TLoopSettings s;
    s.StartHour = 23;
    s.StartMinute = 50;
    s.IntervalMinutes = 5;
    const TClockTime t = LoopModelTime(s, 3); // 00:05 the next day: hours past 23 restart at 0
    EXPECT_EQ(t.Hour, 0);
    EXPECT_EQ(t.Minute, 5);
    EXPECT_EQ(LoopFrameCaption("net2.dta", t), "Loop Viewer, net2.dta 0:05 (Click to End)");
    s.StartHour = 22;
    s.StartMinute = 0;
    s.IntervalMinutes = 60;
    EXPECT_EQ(LoopModelTime(s, 3).Hour, 0); // 25 o'clock shows 0, not 1
    s.IntervalMinutes = 5;
    s.StartHour = 7;
    s.StartMinute = 3;
    EXPECT_EQ(LoopFrameCaption("a", LoopModelTime(s, 10)), "Loop Viewer, a 7:53 (Click to End)");
    EXPECT_EQ(LoopTimerInterval(1), 500);
    EXPECT_EQ(LoopTimerInterval(5), 2500);

    // Every pass over the list begins after two idle ticks.
    TLoopTicker ticker;
    std::vector<int> drawn;
    for (int i = 0; i < 10; ++i) {
        const TLoopTicker::TTick k = ticker.Tick(3);
        drawn.push_back(k.Draw ? k.Entry : -1);
    }
    EXPECT_EQ(drawn, (std::vector<int>{-1, -1, 0, 1, 2, -1, -1, 0, 1, 2}));
    // An empty list does nothing, and leaves the count where it was.
    EXPECT_FALSE(ticker.Tick(0).Draw);
    EXPECT_FALSE(ticker.Tick(3).Draw);
    EXPECT_FALSE(ticker.Tick(3).Draw);
    EXPECT_EQ(ticker.Tick(3).Entry, 0);
    // A list that became shorter starts over.
    ticker.Tick(3);
    ticker.Tick(3);
    EXPECT_FALSE(ticker.Tick(2).Draw);
}

TEST(Clock, FaceAndHands)
{
    const TClockGeometry g = ClockGeometry(66, 66);
    EXPECT_EQ(g.CX, 33);
    EXPECT_EQ(g.CY, 33);
    EXPECT_EQ(g.T, 6);
    EXPECT_EQ(g.R, 25);
    const auto marks = ClockMarks(g);
    EXPECT_EQ(marks[0].X, 33);
    EXPECT_EQ(marks[0].Y, 5);
    EXPECT_EQ(marks[0].Half, 3);
    EXPECT_EQ(marks[1].X, 47);
    EXPECT_EQ(marks[1].Y, 9);
    EXPECT_EQ(marks[1].Half, 2);
    EXPECT_EQ(marks[3].X, 61);
    EXPECT_EQ(marks[3].Half, 3);
    EXPECT_EQ(ClockGeometry(200, 40).R, std::min(100, 20) - 2 - 6);

    const auto hands = ClockHands(g, {3, 0, 15}, true);
    ASSERT_EQ(hands.size(), 3u);
    EXPECT_EQ(hands[0].Width, 1); // second hand at 15 s: right
    EXPECT_EQ(hands[0].X2, 58);
    EXPECT_EQ(hands[0].Y2, 33);
    EXPECT_EQ(hands[1].Width, 3); // minute hand up, 0.95 of R
    EXPECT_EQ(hands[1].X2, 33);
    EXPECT_EQ(hands[1].Y2, 9);
    EXPECT_EQ(hands[2].Width, 6); // hour hand at 3, 0.6 of R
    EXPECT_EQ(hands[2].X2, 48);
    EXPECT_EQ(hands[2].Y2, 33);
    // Half past: the hour hand is half way on to the next hour.
    const auto half = ClockHands(g, {15, 30, 0}, false);
    ASSERT_EQ(half.size(), 2u);
    EXPECT_EQ(half[1].X2, 33 + int(std::nearbyint(std::sin(3.5 * M_PI / 6) * 15)));
}

TEST(Clock, ShownTimeAndEventsOnAnInjectedClock)
{
    const TClockTime now{13, 0, 10};
    TClockOffset o = OffsetToShow(now, 0, 0);
    EXPECT_EQ(o.DifHour, -1); // -13 hours kept modulo 12
    const TClockTime shown = ShownTime(now, o);
    EXPECT_EQ(shown.Hour % 12, 0);
    EXPECT_EQ(shown.Minute, 0);
    EXPECT_EQ(shown.Second, 10);
    EXPECT_EQ(ShownTime({0, 10, 0}, o).Hour, 23); // below midnight: one day on
    o = OffsetToShow({1, 30, 0}, 23, 10);
    const TClockTime late = ShownTime({1, 30, 0}, o);
    EXPECT_EQ(late.Hour % 12, 11);
    EXPECT_EQ(late.Minute, 10);

    // Minute and hour events come when the shown second or minute wraps;
    // without the second hand the face is redrawn once a minute.
    TClockTicker ticker;
    std::vector<TClockTicker::TEvents> events;
    for (TClockTime t : {TClockTime{10, 59, 58}, {10, 59, 59}, {11, 0, 0}, {11, 0, 1}})
        events.push_back(ticker.Tick(t, false));
    EXPECT_TRUE(events[0].Redraw);
    EXPECT_FALSE(events[1].Redraw);
    EXPECT_TRUE(events[2].Minute && events[2].Hour && events[2].Redraw);
    EXPECT_FALSE(events[3].Minute || events[3].Hour || events[3].Redraw);
    for (const auto& e : events) EXPECT_TRUE(e.Second);
    EXPECT_TRUE(ticker.Tick({11, 0, 2}, true).Redraw);
}
