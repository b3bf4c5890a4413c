// The sketch pad's cursors: the two zoom cursors (a magnifier with a plus or a
// minus) and the cross cursor of the sketch modes.
#pragma once

#include <QCursor>

QCursor ZoomInCursor();
QCursor ZoomOutCursor();
QCursor PadCrossCursor();
