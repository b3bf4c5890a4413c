// The loop through networks and its clock, apart from their windows: the
// order of the network captions, the model time of a frame and the viewer's
// caption, the frame timer's ticks, and the clock's geometry, hands, shown
// time and timer events. The system time is always a parameter, so that
// tests can drive the clock.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Settings kept for the whole run of the program (not in any file).
struct TLoopSettings {
    int32_t Speed = 1;      // 1..5: a frame every Speed x 500 ms
    int32_t ZoomState = 13; // zoom level 1..18
    int32_t StartHour = 0;  // 0..23
    int32_t StartMinute = 0; // 0..59
    int32_t IntervalMinutes = 5; // 1..60 minutes per frame
    uint8_t ShowClock = 0;
    int32_t ClockLeft = 20, ClockTop = 20; // the clock panel in the viewer
    int32_t ViewerWidth = 0, ViewerHeight = 0; // 0: not yet shown
};

// The viewer's frame timer interval in milliseconds.
inline int32_t LoopTimerInterval(int32_t speed) { return speed * 500; }

// The digits of a caption, all concatenated, without leading zeros ("0"
// for digits that are all zeros); empty when the caption has none.
std::string CaptionDigits(const std::string& caption);
// Orders captions by the number their digits form, compared as digit
// strings so that any length works; a caption without digits comes first.
// Returns negative, 0 or positive.
int CompareCaptionNumbers(const std::string& a, const std::string& b);
// The captions' indexes in loop order (equal numbers keep their order).
std::vector<size_t> LoopOrder(const std::vector<std::string>& captions);

struct TClockTime {
    int32_t Hour = 0, Minute = 0, Second = 0;
};

// The model time of frame F (0-based): IntervalMinutes x F after the start;
// hours past 23 restart at 0.
TClockTime LoopModelTime(const TLoopSettings& settings, int32_t frame);
// "Loop Viewer, <caption> h:mm (Click to End)".
std::string LoopFrameCaption(const std::string& caption, const TClockTime& time);
// The caption of a stopped viewer.
constexpr const char* LoopViewerIdleCaption = "Loop Viewer (Click to Start)";

// The frame timer: every pass through the list begins after two idle ticks.
class TLoopTicker {
public:
    struct TTick {
        bool Draw = false;
        int32_t Entry = -1; // the list entry to draw
    };
    // One tick over a list of `count` entries; nothing happens for an empty list.
    TTick Tick(int32_t count);
    void Reset()
    {
        Frame = 0;
        Repeat = 1;
    }
    int32_t CurrentFrame() const { return Frame; }

private:
    int32_t Frame = 0;  // F
    int32_t Repeat = 1; // K
};

// ---- the clock

struct TClockGeometry {
    int32_t CX = 0, CY = 0; // centre
    int32_t R = 0;          // hand radius
    int32_t T = 0;          // mark size
};
TClockGeometry ClockGeometry(int32_t width, int32_t height);

// A mark of the face: a square of half-size Half around (X, Y).
struct TClockMark {
    int32_t X = 0, Y = 0, Half = 0;
};
std::array<TClockMark, 12> ClockMarks(const TClockGeometry& g);

struct TClockHand {
    int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    int32_t Width = 1;
};
// Hands in drawing order: the second hand (when shown), minute, hour.
std::vector<TClockHand> ClockHands(const TClockGeometry& g, const TClockTime& shown, bool secondHand);

// The clock's offset from the system time. DifHour is kept modulo 12,
// DifMinute modulo 60 (both keep their sign).
struct TClockOffset {
    int32_t DifHour = 0, DifMinute = 0;
    void Set(int32_t hour, int32_t minute);
};
// The time the clock shows: the system time shifted by the offset.
TClockTime ShownTime(const TClockTime& system, const TClockOffset& offset);
// The offset that makes the clock show hour:minute at the given system time.
TClockOffset OffsetToShow(const TClockTime& system, int32_t hour, int32_t minute);

// The clock's one-second timer.
class TClockTicker {
public:
    struct TEvents {
        bool Second = false, Minute = false, Hour = false;
        bool Redraw = false;
    };
    TEvents Tick(const TClockTime& shown, bool secondHand);

private:
    bool HasPrevious = false;
    TClockTime Previous;
};
