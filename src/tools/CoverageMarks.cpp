#include "tools/CoverageMarks.h"

#include <algorithm>

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

#include "core/model/Rounding.h"
#include "platform/Canvas.h"
#include "shell/NetworkDraw.h"
#include "shell/SketchPad.h"

namespace {
constexpr int32_t MarkColor = 20;
} // namespace

TCoverageMarks::TCoverageMarks(TSketchPadWindow& Pad) : QWidget(Pad.viewport()), FPad(&Pad)
{
    setObjectName("CoverageMarks");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(Pad.viewport()->rect());
    Pad.viewport()->installEventFilter(this);
    show();
}

TCoverageMarks& TCoverageMarks::Of(TSketchPadWindow& Pad)
{
    if (TCoverageMarks* m = Find(Pad)) return *m;
    return *new TCoverageMarks(Pad);
}

TCoverageMarks* TCoverageMarks::Find(TSketchPadWindow& Pad)
{
    return Pad.viewport()->findChild<TCoverageMarks*>("CoverageMarks", Qt::FindDirectChildrenOnly);
}

void TCoverageMarks::Add(int32_t Y, int32_t X0, int32_t X1)
{
    if (X1 < X0) return;
    FSpans.push_back({Y, X0, X1});
}

void TCoverageMarks::Clear()
{
    FSpans.clear();
    FSpans.shrink_to_fit();
    update();
}

bool TCoverageMarks::eventFilter(QObject* Watched, QEvent* Event)
{
    if (FPad && Watched == FPad->viewport() && Event->type() == QEvent::Resize) {
        setGeometry(FPad->viewport()->rect());
        raise();
    }
    return QWidget::eventFilter(Watched, Event);
}

void TCoverageMarks::paintEvent(QPaintEvent* Event)
{
    if (!FPad || !FPad->Network || FSpans.empty()) return;
    TSketchPadWindow& pad = *FPad;
    QPainter painter(this);
    painter.setClipRect(Event->rect());
    TQPainterCanvas canvas(painter);
    const double scale = pad.View.Scale;
    canvas.SetZoomMapping(scale);
    const TDrawPad draw = MakeDrawPad(*pad.Network, pad.View, pad.Settings, pad.WindowNumber);
    // World to logical units: the origin, less the scroll position.
    const int64_t dx = int64_t(draw.OriginX) - int64_t(pround(pad.HorzPos() / scale));
    const int64_t dy = int64_t(draw.OriginY) - int64_t(pround(pad.VertPos() / scale));
    const TCanvasRect clip = canvas.ClipBox();
    canvas.SetPenMode(TPenMode::Copy);
    canvas.SetPen(draw.ColorOf(MarkColor), psSolid, 1);
    for (const TSpan& s : FSpans) {
        const int64_t y = s.Y + dy;
        if (y < clip.Top - 1 || y > clip.Bottom + 1) continue;
        const int64_t x0 = std::max<int64_t>(s.X0 + dx, clip.Left - 1);
        const int64_t x1 = std::min<int64_t>(s.X1 + dx, clip.Right + 1);
        if (x0 > x1) continue;
        // Each point one unit long, as a one-point mark is drawn.
        canvas.Line(int32_t(x0), int32_t(y), int32_t(x1) + 1, int32_t(y));
    }
}
