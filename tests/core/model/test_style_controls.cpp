// The colour schemes of the palette dialog and the mappings between stored
// display settings and the controls of the style dialogs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/model/ColorSchemes.h"
#include "core/model/DisplaySettings.h"
#include "core/model/StyleControls.h"

namespace {

int R(int32_t c) { return c & 0xFF; }
int G(int32_t c) { return (c >> 8) & 0xFF; }
int B(int32_t c) { return (c >> 16) & 0xFF; }

} // namespace

TEST(ColorSchemes, EverySchemeRunsFromItsFirstThroughItsMiddleToItsLast)
{
    ASSERT_EQ(ColorSchemes.size(), 25u);
    EXPECT_STREQ(ColorSchemes[0].Name, "Default");
    EXPECT_STREQ(ColorSchemes[24].Name, "White/Fuchsia/Black");
    for (int s = 0; s < ColorSchemeCount; ++s) {
        const TColorScheme& scheme = ColorSchemes[size_t(s)];
        const auto c = SchemeColors(s);
        if (scheme.Count == 0) {
            for (int i = 1; i <= 16; ++i) {
                const uint32_t rgb = ProgramPaletteRgb[size_t(i)];
                EXPECT_EQ(R(c[size_t(i)]), int(rgb >> 16)) << i;
                EXPECT_EQ(B(c[size_t(i)]), int(rgb & 0xFF)) << i;
            }
            continue;
        }
        EXPECT_EQ(c[1], scheme.First) << scheme.Name;
        EXPECT_EQ(c[16], scheme.Last) << scheme.Name;
        if (scheme.Count == 3) EXPECT_EQ(c[8], scheme.Middle) << scheme.Name;
        // Every channel moves one way between the fixed colours.
        for (int i = 2; i <= 16; ++i) {
            const int32_t from = scheme.Count == 3 && i > 8 ? scheme.Middle : scheme.First;
            const int32_t to = scheme.Count == 3 && i <= 8 ? scheme.Middle : scheme.Last;
            for (auto ch : {R, G, B}) {
                const int lo = std::min(ch(from), ch(to)), hi = std::max(ch(from), ch(to));
                EXPECT_GE(ch(c[size_t(i)]), lo) << scheme.Name << ' ' << i;
                EXPECT_LE(ch(c[size_t(i)]), hi) << scheme.Name << ' ' << i;
            }
        }
    }
    // Grays: 255, 136 at 8, 119 at 9, 0.
    const auto grays = SchemeColors(1);
    EXPECT_EQ(grays[8], 0x888888);
    EXPECT_EQ(grays[9], 0x777777);
    // Traffic lights: green, yellow at 8, and 9 already an eighth towards red.
    const auto lights = SchemeColors(18);
    EXPECT_EQ(lights[1], 0x00FF00);
    EXPECT_EQ(lights[8], 0x00FFFF);
    EXPECT_EQ(lights[9], 0x00DFFF);
    // Halfway from red to black is 127.5 and rounds to the even 128 below
    // 255: 255 - 128 = 127.
    EXPECT_EQ(R(SchemeColors(20)[12]), 127);
    // Reds: only the green and blue channels fall.
    const auto reds = SchemeColors(2);
    for (int i = 1; i <= 16; ++i) EXPECT_EQ(R(reds[size_t(i)]), 255);
    EXPECT_EQ(G(reds[5]), 255 - 68);
}

TEST(ColorSchemes, Driver)
{
    const auto exe = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "palette-scheme";
    const auto log = std::filesystem::temp_directory_path() / ("palette-" + std::to_string(::getpid()));
    auto run = [&](const std::string& arg) {
        const int rc = std::system(("'" + exe.string() + "' " + arg + " > '" + log.string() + "' 2>/dev/null").c_str());
        std::ifstream f(log);
        std::stringstream s;
        s << f.rdbuf();
        return std::pair{WEXITSTATUS(rc), s.str()};
    };
    auto [rc, out] = run("18");
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(out.substr(0, 28), "1 0 255 0\n2 36 255 0\n3 73 25");
    EXPECT_NE(out.find("\n9 255 223 0\n"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 11), "16 255 0 0\n");
    EXPECT_EQ(run("25").first, 2);
    EXPECT_EQ(run("x").first, 2);
    std::filesystem::remove(log);
}

// The edges the dialog tests do not reach; values no control shows.
TEST(StyleControls, EdgesOfTheMappings)
{
    // Sizes 2..10 all have a button; 1 and 11 none.
    for (int32_t size = 2; size <= 10; ++size) EXPECT_GE(StandardSizeButton(size), 0) << size;
    EXPECT_EQ(StandardSizeButton(1), -1);
    EXPECT_EQ(StandardSizeButton(11), -1);
    EXPECT_EQ(GlobalShapes[size_t(GlobalShapeButton(0))], 0);
    EXPECT_EQ(GlobalShapeButton(6), -1);
    EXPECT_EQ(LinkStyleButton(6), -1);

    // Shape picker: below 1 and above Custom's range are shown but not exact.
    EXPECT_EQ(ShapeChoiceOf(0).Button, 1);
    EXPECT_FALSE(ShapeChoiceOf(0).Exact);
    EXPECT_TRUE(ShapeChoiceOf(250).Exact);
    EXPECT_FALSE(ShapeChoiceOf(251).Exact);
    EXPECT_EQ(ShapeChoiceOf(251).Spin, ShapeSpinMax);
    EXPECT_EQ(ColorButtonOf(17), 0);
    EXPECT_EQ(ColorButtonOf(-1), 0);

    // Every brush and every pen finds its own button; a bitmap beyond those
    // loaded, or style 9 or 10, finds none.
    for (int k = 1; k <= int(FillBrushStyles.size()); ++k) EXPECT_EQ(FillChoiceOf(FillStyleOf(k, 0), 8).Button, k);
    EXPECT_EQ(FillStyleOf(1, 0), 1); // the first radio button is the clear brush
    EXPECT_EQ(FillChoiceOf(FillStyleOf(0, 4), 8).Bitmap, 4);
    for (int32_t style : {9, 10, 19}) {
        EXPECT_EQ(FillChoiceOf(style, 8).Button, 0) << style;
        EXPECT_EQ(FillChoiceOf(style, 8).Bitmap, 0) << style;
    }
    for (int k = 1; k <= int(BorderPens.size()); ++k)
        EXPECT_EQ(BorderButtonOf(BorderPens[size_t(k - 1)].Style, BorderPens[size_t(k - 1)].Width), k);
    EXPECT_EQ(BorderButtonOf(0, 7), 0);
    EXPECT_EQ(BorderButtonOf(1, 2), 0);

    // Pie sizes 11..20 (images 1..10) have no spin value of their own.
    EXPECT_TRUE(PieSizeExact(25));
    EXPECT_TRUE(PieSizeExact(10));
    EXPECT_FALSE(PieSizeExact(15));
    EXPECT_FALSE(PieSizeExact(0));
    EXPECT_FALSE(PieSizeExact(251));
    EXPECT_EQ(LayerStateItem(18), 18);
    EXPECT_EQ(LayerStateItem(19), -1);
    EXPECT_EQ(LayerStateItem(-1), -1);
}
