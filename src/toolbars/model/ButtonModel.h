// A toolbar button without its widget: the state machine of pressing, hot
// tracking, groups and the drop-down menu, and the layout of glyph, caption
// and arrow on its face.
#pragma once

#include <cstdint>
#include <functional>

#include <QPoint>
#include <QRect>
#include <QSize>

#include "toolbars/model/Geometry.h"

// Button states.
enum : uint8_t { bsUp = 0, bsDisabled = 1, bsDown = 2, bsExclusive = 3 };

// What the widget must do after a step of the state machine.
enum : unsigned {
    beRepaint = 1,
    beEnter = 2,      // OnMouseEnter
    beExit = 4,       // OnMouseExit; stops hot tracking when this button is hot
    beClick = 8,      // Click: OnClick, or open the drop-down menu
    beTracking = 16,  // UpdateTracking: look whether the pointer is over the button
    beGroupNotice = 32, // tell the other buttons of the parent
};

struct TButtonLogic {
    uint8_t State = bsUp;
    uint8_t MouseInControl = 0;
    uint8_t MouseHeld = 0;
    uint8_t MenuIsDown = 0;
    bool Enabled = true;
    bool Down = false;
    int GroupIndex = 0;
    bool AllowAllUp = false;
    bool HasMenu = false; // a drop-down menu is set

    unsigned MouseEntered();
    unsigned MouseLeft();
    // Over: the pointer is over the button now.
    unsigned UpdateTracking(bool Over);
    unsigned MouseDown(bool LeftButton);
    unsigned MouseMove(QPoint P, QSize Size);
    unsigned MouseUp(bool LeftButton, QPoint P, QSize Size);
    unsigned SetEnabled(bool Value);
    // Down can only be set with a group, and not cleared while all-up is not allowed.
    unsigned SetDown(bool Value);
    unsigned SetGroupIndex(int Value);
    unsigned SetAllowAllUp(bool Value);
    // The notice of another button of the same group.
    unsigned GroupNotice(bool SenderDown, bool SenderAllowAllUp);
    // Click with a drop-down menu: before the menu opens and after it closes.
    unsigned MenuOpening();
    unsigned MenuClosed();

    // Painting.
    bool DrawsEdge() const { return State == bsDown || State == bsExclusive || (MouseInControl && State != bsDisabled); }
    bool SunkenEdge() const { return State == bsDown || State == bsExclusive; }
    bool Dithered() const { return State == bsExclusive && !MouseInControl; }
    QPoint FaceOffset() const { return SunkenEdge() ? QPoint(1, 1) : QPoint(0, 0); }
};

// The number of cells of a glyph strip of the given size, Previous when the
// width is not a multiple of the height; a strip of zero width or height has
// one (it is no glyph).
int NumGlyphsFor(QSize Strip, int Previous);

struct TFaceRequest {
    QRect Client;         // the button less 1 pixel on every side
    QPoint Offset;        // (1, 1) when down
    QSize Strip;          // glyph strip size (empty: no glyph)
    int NumGlyphs = 1;
    bool DrawGlyph = true, DrawText = true;
    bool HasCaption = false;
    bool WordWrap = false;
    int Layout = 0;       // 0 glyph left, 1 right, 2 top, 3 bottom
    int Margin = -1, Spacing = 4;
    bool DropArrow = false;
    // Measures the caption within a width (word-broken when WordWrap).
    std::function<QSize(int Width)> MeasureText;
};

struct TFaceLayout {
    QPoint GlyphPos, TextPos, ArrowPos;
    QSize GlyphSize{0, 0}, TextSize{0, 0};
    QRect TextBounds;
};

TFaceLayout LayoutButtonFace(const TFaceRequest& R);

// The drop-down arrow's three rows at (X, Y): 5, 3 and 1 pixels wide.
inline constexpr QSize ArrowSize(9, 3);
