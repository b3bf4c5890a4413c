// How the stored display settings map onto the controls of the style, shape,
// layer and palette dialogs, and back. A stored value that no control can
// show (one read from a file, say) is shown as a default and kept unless the
// user changes that choice: StoredChoice decides.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// The value to store from a group of controls: the chosen value when the
// controls could show the stored one, or when the user changed the choice;
// otherwise the stored value as it was.
template <class T>
T StoredChoice(T stored, bool shown, bool changed, T chosen)
{
    return shown || changed ? chosen : stored;
}

// ---- "Shapes" ----
// "Standard Size": &Tiny, &Small, &Medium, &Large, E&xtra, &Jumbo.
inline constexpr std::array<int32_t, 6> StandardSizes = {2, 3, 4, 5, 7, 10};
// The button (0..5) of a stored size: 2..5 the first four, 6 and 7 E&xtra,
// 8..10 &Jumbo; -1 for any other size.
int StandardSizeButton(int32_t size);
// "Global Shape": &Entity/Bitmap, &Box, &Circle, &Dot, &Pie, &None.
inline constexpr std::array<uint8_t, 6> GlobalShapes = {1, 2, 3, 4, 5, 0};
int GlobalShapeButton(int32_t shape); // -1 when no button shows it
// "Link Style": N&ormal, Sm&all Dot, Arrow &1..&3, &Bitmap store 0..5.
int LinkStyleButton(int32_t style); // -1 when no button shows it

// ---- "Link Shapes" / "Node Shapes" ----
// Buttons 1..10 store 1..10; button 11 "Custom" stores its spin value + 10.
constexpr int ShapeCustomButton = 11;
constexpr int ShapeSpinMin = 11, ShapeSpinMax = 240;
struct TShapeChoice {
    int Button = 1;
    int Spin = ShapeSpinMin;
    bool Exact = true; // the controls show the value itself
};
// Above 10: Custom with the spin at value - 10; below 1: button 1.
TShapeChoice ShapeChoiceOf(int32_t value);
int32_t ShapeValueOf(int button, int spin);

// ---- "LinkColorsDB" / "Node Colors" ----
// Button k (1..17) is colour k - 1.
constexpr int ColorButtonCount = 17;
int ColorButtonOf(int32_t colour); // 0 when no button shows it
inline int32_t ColorOfButton(int button) { return button - 1; }

// ---- "Fill Pattern" ----
// The program's brush table: radio k fills with the style of entry k - 1.
inline constexpr std::array<uint8_t, 9> FillBrushStyles = {1, 0, 5, 6, 7, 4, 2, 3, 8};
struct TFillChoice {
    int Button = 0; // 1..9, 0 when no radio button shows the style
    int Bitmap = 0; // 1..bitmapCount for a hatch bitmap, else 0
};
TFillChoice FillChoiceOf(int32_t fillStyle, int bitmapCount);
// Bitmap b (> 0) gives b + 10; else the radio button's brush style.
uint8_t FillStyleOf(int button, int bitmap);

// ---- "Border Line" ----
// The program's pen table: radio k draws with entry k - 1.
struct TPenEntry {
    uint8_t Style;
    int32_t Width;
};
inline constexpr std::array<TPenEntry, 11> BorderPens = {{{5, 1},
                                                          {0, 1},
                                                          {0, 2},
                                                          {0, 3},
                                                          {0, 4},
                                                          {0, 5},
                                                          {0, 6},
                                                          {1, 1},
                                                          {2, 1},
                                                          {3, 1},
                                                          {4, 1}}};
int BorderButtonOf(int32_t penStyle, int32_t penWidth); // 1..11, 0 when none

// ---- "Pie" ----
constexpr int PieSizeMin = 1, PieSizeMax = 240;
// The "Size:" of a class size (less 10 from 11 on), and the size it stores
// (plus 10 above 10).
int32_t PieSizeShown(int32_t size);
int32_t PieSizeStored(int32_t spin);
// The spin edit shows the size itself: sizes 11..20 (images 1..10) and
// sizes outside the spin's range come back different, so they are kept.
bool PieSizeExact(int32_t size);
// A pie colour is one of the sixteen basic colours.
inline bool IsPieColor(int32_t colour) { return colour >= 0 && colour <= 15; }
// The slice colour a box shows when the stored one is out of range.
inline int32_t DefaultPieColor(int slice) { return slice - 1; }

// ---- "Node Styles" / "Link Styles" rows ----
// A symbol image size (above 10) shows its image number; others show nothing.
std::string StyleRowText(int32_t size);

// ---- "Layers" ----
// The list item (0 "Never", 1..18 the zoom ratios) is the layer state; -1
// for a state no item shows.
constexpr int LayerStateItems = 19;
constexpr int DefaultLayerState = 1;
int LayerStateItem(int32_t state);
constexpr size_t LayerNameLength = 30;
