// The named colour schemes of the "Color Palettes" dialog: each fills the
// window's sixteen palette colours at once, from the program palette or by
// interpolating between two or three colours.
#pragma once

#include <array>
#include <cstdint>

struct TColorScheme {
    const char* Name;
    int Count;       // 0: the program palette; 2 or 3 colours
    int32_t First;   // colours as stored ($00BBGGRR)
    int32_t Middle;  // three-colour schemes only
    int32_t Last;
};

constexpr int ColorSchemeCount = 25;
extern const std::array<TColorScheme, ColorSchemeCount> ColorSchemes;

// Colours 1..16 of scheme (0..24) as stored ($00BBGGRR); entry 0 unused.
// Each channel is interpolated on its own and rounded (ties to even): two
// colours run from the first (1) to the last (16); three colours from the
// first (1) to the middle (8), then on to the last (16). A scheme outside
// 0..24 gives the program palette.
std::array<int32_t, 17> SchemeColors(int scheme);
