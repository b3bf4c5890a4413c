#include "tools/AnalysisRun.h"

#include <algorithm>

#include <QBitmap>
#include <QImage>
#include <QPixmap>

#include "shell/MainWindow.h"
#include "shell/SketchPad.h"

namespace {

// Until the program has one gate for every long run, a search or scan
// holds the gate of file steps: close requests wait and backups are put off.
class TFileStepHold : public TRunHold {
public:
    explicit TFileStepHold(TZOKMainWindow& Main) : FMain(Main) { ++FMain.FileBusy; }
    ~TFileStepHold() override { --FMain.FileBusy; }
    bool StopRequested() const override { return FMain.CalcStop != 0; }

private:
    TZOKMainWindow& FMain;
};

} // namespace

std::unique_ptr<TRunHold> HoldNetworkForRun(TSketchPadWindow& Pad, TAnalysisKind)
{
    return std::make_unique<TFileStepHold>(Pad.Main);
}

void RequestPathStop(TZOKMainWindow& Main) { Main.CalcStop = 1; }

bool OpenWidthExpressions(TSketchPadWindow&, bool) { return false; }

bool WidthExpressionsAvailable() { return false; }

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
