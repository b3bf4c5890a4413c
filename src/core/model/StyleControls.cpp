#include "core/model/StyleControls.h"

int StandardSizeButton(int32_t size)
{
    if (size >= 2 && size <= 5) return int(size) - 2;
    if (size == 6 || size == 7) return 4;
    if (size >= 8 && size <= 10) return 5;
    return -1;
}

int GlobalShapeButton(int32_t shape)
{
    for (size_t i = 0; i < GlobalShapes.size(); ++i)
        if (GlobalShapes[i] == shape) return int(i);
    return -1;
}

int LinkStyleButton(int32_t style) { return style >= 0 && style <= 5 ? int(style) : -1; }

TShapeChoice ShapeChoiceOf(int32_t value)
{
    TShapeChoice c;
    if (value >= 1 && value <= 10) {
        c.Button = int(value);
    } else if (value > 10) {
        c.Button = ShapeCustomButton;
        const int64_t spin = int64_t(value) - 10;
        c.Exact = spin >= ShapeSpinMin && spin <= ShapeSpinMax;
        c.Spin = int(spin < ShapeSpinMin ? ShapeSpinMin : spin > ShapeSpinMax ? ShapeSpinMax : spin);
    } else {
        c.Button = 1;
        c.Exact = false;
    }
    return c;
}

int32_t ShapeValueOf(int button, int spin) { return button == ShapeCustomButton ? spin + 10 : button; }

int ColorButtonOf(int32_t colour) { return colour >= 0 && colour < ColorButtonCount ? int(colour) + 1 : 0; }

TFillChoice FillChoiceOf(int32_t fillStyle, int bitmapCount)
{
    TFillChoice c;
    if (fillStyle >= 11 && fillStyle - 10 <= bitmapCount) {
        c.Bitmap = int(fillStyle) - 10;
        return c;
    }
    for (size_t i = 0; i < FillBrushStyles.size(); ++i)
        if (FillBrushStyles[i] == fillStyle) c.Button = int(i) + 1;
    return c;
}

uint8_t FillStyleOf(int button, int bitmap)
{
    if (bitmap > 0) return uint8_t(bitmap + 10 > 255 ? 255 : bitmap + 10);
    if (button >= 1 && button <= int(FillBrushStyles.size())) return FillBrushStyles[size_t(button - 1)];
    return FillBrushStyles[0];
}

int BorderButtonOf(int32_t penStyle, int32_t penWidth)
{
    for (size_t i = 0; i < BorderPens.size(); ++i)
        if (BorderPens[i].Style == penStyle && BorderPens[i].Width == penWidth) return int(i) + 1;
    return 0;
}

int32_t PieSizeShown(int32_t size) { return size >= 11 ? size - 10 : size; }

int32_t PieSizeStored(int32_t spin) { return spin > 10 ? spin + 10 : spin; }

bool PieSizeExact(int32_t size)
{
    const int32_t shown = PieSizeShown(size);
    return shown >= PieSizeMin && shown <= PieSizeMax && PieSizeStored(shown) == size;
}

std::string StyleRowText(int32_t size) { return size > 10 ? std::to_string(int64_t(size) - 10) : std::string(); }

int LayerStateItem(int32_t state) { return state >= 0 && state < LayerStateItems ? int(state) : -1; }
