// Lets a long analysis run pump pending events about every 30 ms: the clock
// is read only every few hundred steps, so that a step stays cheap.
#pragma once

#include <chrono>
#include <cstdint>

class TEventThrottle {
public:
    explicit TEventThrottle(std::chrono::milliseconds period = std::chrono::milliseconds(30)) : Period(period) {}

    // True when the caller should let events through now.
    bool Due()
    {
        if ((++Steps & 255) != 0) return false;
        return DueNow();
    }
    // The same without counting steps (for coarse steps such as a column).
    bool DueNow()
    {
        const auto now = std::chrono::steady_clock::now();
        if (now - Last < Period) return false;
        Last = now;
        return true;
    }

private:
    std::chrono::milliseconds Period;
    std::chrono::steady_clock::time_point Last = std::chrono::steady_clock::now();
    uint32_t Steps = 0;
};
