#include "platform/Edges.h"

#include <algorithm>

#include <QPainter>

namespace {
// One ring: the top and left lines in TopLeft, the bottom and right ones in
// BottomRight; returns the rectangle inside it.
QRect Ring(QPainter& P, QRect R, const QColor& TopLeft, const QColor& BottomRight, unsigned Sides)
{
    if (R.width() <= 0 || R.height() <= 0) return R;
    const int l = R.left(), t = R.top(), r = R.right(), b = R.bottom();
    if (Sides & BF_BOTTOM) P.fillRect(QRect(l, b, r - l + 1, 1), BottomRight);
    if (Sides & BF_RIGHT) P.fillRect(QRect(r, t, 1, b - t + 1), BottomRight);
    if (Sides & BF_TOP) P.fillRect(QRect(l, t, r - l + ((Sides & BF_RIGHT) ? 0 : 1), 1), TopLeft);
    if (Sides & BF_LEFT) P.fillRect(QRect(l, t, 1, b - t + ((Sides & BF_BOTTOM) ? 0 : 1)), TopLeft);
    return R.adjusted((Sides & BF_LEFT) ? 1 : 0, (Sides & BF_TOP) ? 1 : 0, (Sides & BF_RIGHT) ? -1 : 0,
                      (Sides & BF_BOTTOM) ? -1 : 0);
}
} // namespace

QRect DrawEdge(QPainter& P, const QRect& R, unsigned Edge, unsigned Sides, const TSystemColors& C)
{
    QRect r = R;
    if (Edge & BDR_RAISEDOUTER)
        r = Ring(P, r, C.Light, C.DarkShadow, Sides);
    else if (Edge & BDR_SUNKENOUTER)
        r = Ring(P, r, C.ButtonShadow, C.ButtonHighlight, Sides);
    if (Edge & BDR_RAISEDINNER)
        r = Ring(P, r, C.ButtonHighlight, C.ButtonShadow, Sides);
    else if (Edge & BDR_SUNKENINNER)
        r = Ring(P, r, C.DarkShadow, C.Light, Sides);
    if ((Sides & BF_MIDDLE) && r.width() > 0 && r.height() > 0) P.fillRect(r, C.ButtonFace);
    return r;
}

void DrawCaptionCloseButton(QPainter& P, const QRect& R, bool Pushed, const TSystemColors& C)
{
    if (R.width() <= 0 || R.height() <= 0) return;
    const QRect inside = DrawEdge(P, R, Pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE, C);
    // The cross: two diagonals two pixels thick, in the middle of the face.
    const int size = std::max(3, std::min(inside.width(), inside.height()) - 2);
    QPoint o(inside.left() + (inside.width() - size) / 2, inside.top() + (inside.height() - size) / 2);
    if (Pushed) o += QPoint(1, 1);
    for (int i = 0; i < size; ++i) {
        P.fillRect(QRect(o.x() + i, o.y() + i, 2, 1), C.ButtonText);
        P.fillRect(QRect(o.x() + size - 1 - i - 1, o.y() + i, 2, 1), C.ButtonText);
    }
}
