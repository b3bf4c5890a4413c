// The frame of a floating toolbar's window: its metrics, caption and close
// button rectangles, the hit test, keeping it on the work area, and the
// shortening of a caption that does not fit.
#pragma once

#include <functional>

#include <QPoint>
#include <QSize>
#include <QString>

#include "toolbars/model/Geometry.h"

struct TFloatMetrics {
    int F = 4;  // sizing frame width
    int C = 15; // small caption height
};

// A client of size Client needs a window Client.width + 2F wide and
// Client.height + 2F + C high; the client starts at (F, F + C).
QSize FloatWindowSize(QSize Client, const TFloatMetrics& M);
QPoint FloatClientOrigin(const TFloatMetrics& M);
QSize FrameExtra(const TFloatMetrics& M);

// In window coordinates.
TRect CaptionRect(QSize Client, bool CloseButton, const TFloatMetrics& M);
TRect CloseButtonRect(QSize Client, const TFloatMetrics& M);

enum THitCode : uint8_t { htNowhere, htClient, htCaption, htClose, htTop, htBottom, htLeft, htRight };
// What a point of the window (window coordinates) is over.
THitCode FloatHitTest(QPoint P, QSize Client, bool CloseButton, const TFloatMetrics& M);

// Moves R onto the work area A (left and top win when R is larger). With
// OnlyIfFullyOff nothing moves while R overlaps A.
TRect KeepOnWorkArea(const TRect& R, const TRect& A, bool OnlyIfFullyOff);

// A caption cut to Width: "..." appended and the character before it taken
// away, one at a time, until it fits or is shorter than 5 characters.
QString ElideCaption(const QString& Caption, int Width, const std::function<int(const QString&)>& TextWidth);
