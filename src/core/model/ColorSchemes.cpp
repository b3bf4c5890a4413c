#include "core/model/ColorSchemes.h"

#include "core/model/DisplaySettings.h"
#include "core/model/Rounding.h"

const std::array<TColorScheme, ColorSchemeCount> ColorSchemes = {{
    {"Default", 0, 0, 0, 0},
    {"Grays", 2, 0xFFFFFF, 0, 0x000000},
    {"Reds", 2, 0xFFFFFF, 0, 0x0000FF},
    {"Greens", 2, 0xFFFFFF, 0, 0x00FF00},
    {"Blues", 2, 0xFFFFFF, 0, 0xFF0000},
    {"Maroons", 2, 0xFFFFFF, 0, 0x000080},
    {"Fuchsias", 2, 0xFFFFFF, 0, 0xFF00FF},
    {"Teals", 2, 0xFFFFFF, 0, 0x808000},
    {"Olives", 2, 0xFFFFFF, 0, 0x008080},
    {"Navys", 2, 0xFFFFFF, 0, 0x800000},
    {"Purples", 2, 0xFFFFFF, 0, 0x800080},
    {"Dark Greens", 2, 0xFFFFFF, 0, 0x008000},
    {"Green to Red", 2, 0x00FF00, 0, 0x0000FF},
    {"Green to Blue", 2, 0x00FF00, 0, 0xFF0000},
    {"Blue to Red", 2, 0xFF0000, 0, 0x0000FF},
    {"Red to Yellow", 2, 0x0000FF, 0, 0x00FFFF},
    {"Yellow to Green", 2, 0x00FFFF, 0, 0x00FF00},
    {"Yellow to Blue", 2, 0x00FFFF, 0, 0xFF0000},
    {"Traffic Lights", 3, 0x00FF00, 0x00FFFF, 0x0000FF},
    {"Yellow/Green/Blue", 3, 0x00FFFF, 0x00FF00, 0xFF0000},
    {"White/Red/Black", 3, 0xFFFFFF, 0x0000FF, 0x000000},
    {"White/Blue/Black", 3, 0xFFFFFF, 0xFF0000, 0x000000},
    {"White/Green/Black", 3, 0xFFFFFF, 0x00FF00, 0x000000},
    {"White/Yellow/Black", 3, 0xFFFFFF, 0x00FFFF, 0x000000},
    {"White/Fuchsia/Black", 3, 0xFFFFFF, 0xFF00FF, 0x000000},
}};

namespace {

// from + Round((to - from) x steps / of), channel by channel.
int32_t Between(int32_t from, int32_t to, int steps, int of)
{
    int32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
        const int c = a + int(pround(double(b - a) * steps / of));
        out |= int32_t(c & 0xFF) << shift;
    }
    return out;
}

} // namespace

std::array<int32_t, 17> SchemeColors(int scheme)
{
    std::array<int32_t, 17> out{};
    const TColorScheme* s = scheme >= 0 && scheme < ColorSchemeCount ? &ColorSchemes[size_t(scheme)] : nullptr;
    for (int i = 1; i <= 16; ++i) {
        if (!s || s->Count == 0) {
            const uint32_t rgb = ProgramPaletteRgb[size_t(i)];
            out[size_t(i)] = int32_t(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
        } else if (s->Count == 2) {
            out[size_t(i)] = Between(s->First, s->Last, i - 1, 15);
        } else if (i <= 8) {
            out[size_t(i)] = Between(s->First, s->Middle, i - 1, 7);
        } else {
            out[size_t(i)] = Between(s->Middle, s->Last, i - 8, 8);
        }
    }
    return out;
}
