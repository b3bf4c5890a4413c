// Settings of a network window that the small dialogs edit. Plain data.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct TSpliceRules {
    std::string AddList;        // up to 30 characters
    uint8_t Rule = 1;           // 0 Normal Initialize, 1 Upstream Link, 2 Downstream Link
    uint8_t TypesMustMatch = 0;
    std::array<uint8_t, 36> AddFlags{}; // 1..35

    // Sets AddList and the flags it names: "1".."9" flags 1..9, "A"/"a" 10,
    // "b".."z" 11..35; other characters are ignored.
    void SetAddList(const std::string& Text);
};

struct TReinitializeOptions {
    uint8_t ExemptNames = 0;
    uint8_t ExemptAttributes = 0;
};

struct TUnitsSettings {
    double UnitsFactor = 1.0;
    int32_t UnitsCode = 0;
    std::string UnitsName = "Pixels";
    uint8_t UpdateLongLat = 0;
};

// "Pixels", "Miles", "Feet", "Kilometers", "Meters" for codes 0..4.
const char* UnitsNameOf(int Code);
