// The system colours the toolbars draw with (button face, highlight, shadow,
// caption), taken from the application's palette. Tests and a palette change
// may put other colours in place.
#pragma once

#include <QColor>

class QPalette;

struct TSystemColors {
    QColor ButtonFace;      // face of buttons and toolbars
    QColor ButtonHighlight; // lit edges
    QColor ButtonShadow;    // shaded edges, the grey of disabled glyphs
    QColor DarkShadow;      // outer shaded edge of raised frames
    QColor Light;           // outer lit edge of raised frames
    QColor ButtonText;
    QColor ActiveCaption;
    QColor CaptionText;

    static TSystemColors FromPalette(const QPalette& Palette);
    // The classic colours: face (192, 192, 192), highlight white, shadow grey 128.
    static TSystemColors Classic();
};

// The colours in use: set ones, else the application palette's.
TSystemColors SystemColors();
void SetSystemColors(const TSystemColors& Colors);
void ResetSystemColors();
