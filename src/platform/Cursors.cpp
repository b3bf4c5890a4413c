#include "platform/Cursors.h"

#include <QPainter>
#include <QPixmap>

static QCursor Magnifier(bool plus)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    // White halo so the cursor shows on dark backgrounds.
    p.setPen(QPen(Qt::white, 4));
    p.drawEllipse(QPoint(12, 12), 8, 8);
    p.drawLine(18, 18, 28, 28);
    p.setPen(QPen(Qt::black, 2));
    p.drawEllipse(QPoint(12, 12), 8, 8);
    p.drawLine(18, 18, 28, 28);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(8, 12, 16, 12);
    if (plus) p.drawLine(12, 8, 12, 16);
    p.end();
    return QCursor(pm, 12, 12);
}

QCursor ZoomInCursor() { return Magnifier(true); }
QCursor ZoomOutCursor() { return Magnifier(false); }
QCursor PadCrossCursor() { return QCursor(Qt::CrossCursor); }
