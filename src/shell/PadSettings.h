// Settings of a network window that the small dialogs edit. Plain data.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct TUnitsSettings {
    double UnitsFactor = 1.0;
    int32_t UnitsCode = 0;
    std::string UnitsName = "Pixels";
    uint8_t UpdateLongLat = 0;
};

// "Pixels", "Miles", "Feet", "Kilometers", "Meters" for codes 0..4.
const char* UnitsNameOf(int Code);
