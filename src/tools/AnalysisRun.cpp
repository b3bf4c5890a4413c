#include "tools/AnalysisRun.h"

#include <algorithm>

#include <QBitmap>
#include <QImage>
#include <QPixmap>

#include "shell/MainWindow.h"
#include "shell/SketchPad.h"

namespace {

// The run's entry in the program's busy gate: only views of the network go
// on meanwhile; the status box's Stop reaches the search through it.
class TGateHold : public TRunHold {
public:
    TGateHold(TSketchPadWindow& Pad, TBusyKind Kind)
        : FRun(Pad.Main.Gate.Begin(Kind, Pad.Network.get(), &Pad, GateView))
    {
    }
    bool StopRequested() const override { return FRun.StopRequested(); }

private:
    TBusyGate::TRun FRun;
};

} // namespace

std::unique_ptr<TRunHold> HoldNetworkForRun(TSketchPadWindow& Pad, TAnalysisKind Kind)
{
    return std::make_unique<TGateHold>(Pad, Kind == TAnalysisKind::Paths ? TBusyKind::Paths : TBusyKind::Coverage);
}

void RequestPathStop(TZOKMainWindow& Main) { Main.Gate.RequestStop(TBusyKind::Paths); }

void OpenWidthExpressions(TSketchPadWindow& Pad, bool Nodes)
{
    if (Pad.Main.Hooks.OpenWidthExpressions) Pad.Main.Hooks.OpenWidthExpressions(Pad, Nodes ? 0 : 1);
}

QIcon ToolbarGlyph(const char* Name)
{
    QImage strip(QString(":/glyphs/%1.bmp").arg(QString::fromLatin1(Name)));
    if (strip.isNull()) return {};
    const int side = std::min(strip.width(), strip.height());
    QImage first = strip.copy(0, strip.height() - side, side, side).convertToFormat(QImage::Format_ARGB32);
    const QRgb corner = first.pixel(0, side - 1);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if (first.pixel(x, y) == corner) first.setPixel(x, y, qRgba(0, 0, 0, 0));
    return QIcon(QPixmap::fromImage(first));
}
