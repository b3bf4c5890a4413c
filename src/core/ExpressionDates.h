// Packed dates as the expression language reads them: the date literal parser
// and the comparisons that skip parts not given.
#pragma once

#include <cstdint>
#include <string_view>

// Packed layout: int16 year - 1900 (30000 = not given), then month, day,
// hour, minute, second (255 = not given), one unused byte.
bool PackedDateEqual(const uint8_t* a, const uint8_t* b);
bool PackedDateLess(const uint8_t* a, const uint8_t* b);

// Date and time text (month/day/year,hour:minute:second) into a packed value;
// parts not given stay not given. Returns the 8 bytes as a double.
double ParseDateLiteral(std::string_view text);
