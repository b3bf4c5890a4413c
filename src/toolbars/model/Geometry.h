// Rectangles and integer arithmetic of the docking toolbars. Rectangles here
// keep their right and bottom edges exclusive (a 10-pixel wide rectangle at
// x = 0 has Right = 10), which is how every measure of the toolbars is given.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;

    static TRect At(QPoint P, QSize S) { return {P.x(), P.y(), P.x() + S.width(), P.y() + S.height()}; }
    static TRect From(const QRect& R) { return {R.x(), R.y(), R.x() + R.width(), R.y() + R.height()}; }
    QRect ToQRect() const { return QRect(Left, Top, Width(), Height()); }

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    QSize Size() const { return QSize(Width(), Height()); }
    QPoint TopLeft() const { return QPoint(Left, Top); }
    bool Empty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(QPoint P) const { return P.x() >= Left && P.x() < Right && P.y() >= Top && P.y() < Bottom; }
    bool Intersects(const TRect& R) const
    {
        return !Empty() && !R.Empty() && Left < R.Right && R.Left < Right && Top < R.Bottom && R.Top < Bottom;
    }
    TRect Moved(int DX, int DY) const { return {Left + DX, Top + DY, Right + DX, Bottom + DY}; }
    TRect Grown(int DX, int DY) const { return {Left - DX, Top - DY, Right + DX, Bottom + DY}; }
    bool operator==(const TRect&) const = default;
};

// A * B / C with a 64-bit intermediate, rounded to the nearest integer (halves
// away from zero); -1 when C is 0 or the result does not fit in 32 bits.
int MulDiv(int A, int B, int C);

// Where a toolbar can sit.
enum TDockPosition : uint8_t { dpTop, dpBottom, dpLeft, dpRight };
inline bool IsVerticalDock(TDockPosition P) { return P == dpLeft || P == dpRight; }

// Layout orientation of a toolbar: 0 floating, 1 on a top or bottom dock, 2 on
// a left or right dock (the line runs top to bottom).
inline int OrientationOf(bool Floating, TDockPosition P) { return Floating ? 0 : IsVerticalDock(P) ? 2 : 1; }
