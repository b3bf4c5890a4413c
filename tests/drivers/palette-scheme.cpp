// palette-scheme N: the sixteen colours that scheme N (0..24) of the "Color
// Palettes" dialog gives, one line "I R G B" per swatch I from 1 to 16.
#include <cstdlib>
#include <iostream>
#include <string>

#include "core/model/ColorSchemes.h"

int main(int argc, char** argv)
{
    char* end = nullptr;
    const long n = argc == 2 ? std::strtol(argv[1], &end, 10) : -1;
    if (argc != 2 || !end || *end != '\0' || end == argv[1] || n < 0 || n >= ColorSchemeCount) {
        std::cerr << "usage: palette-scheme N (0.." << ColorSchemeCount - 1 << ")\n";
        return 2;
    }
    const auto colours = SchemeColors(int(n));
    for (int i = 1; i <= 16; ++i) {
        const int32_t c = colours[size_t(i)];
        std::cout << i << ' ' << (c & 0xFF) << ' ' << ((c >> 8) & 0xFF) << ' ' << ((c >> 16) & 0xFF) << '\n';
    }
    return 0;
}
