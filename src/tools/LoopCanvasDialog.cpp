#include "tools/LoopCanvasDialog.h"

#include <algorithm>
#include <exception>
#include <utility>

#include <QAbstractScrollArea>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>

#include "core/model/WindowSettings.h"
#include "platform/FileNames.h"
#include "shell/MainWindow.h"
#include "shell/NetworkDrawPad.h"
#include "shell/SketchPad.h"
#include "shell/Viewport.h"
#include "tools/CClock.h"

void DrawWithStyleWidths(TWindowSettings& Frame, TWidthSettings& Style, const std::function<void()>& Draw)
{
    struct TSwap {
        TWidthSettings &A, &B;
        TSwap(TWidthSettings& a, TWidthSettings& b) : A(a), B(b) { std::swap(A, B); }
        ~TSwap() { std::swap(A, B); }
    } swap(Frame.Widths, Style);
    Draw();
}

// The picture of the viewer: paints the frame window's network, and a click
// on it starts or stops the loop.
class TLoopCanvas : public QAbstractScrollArea {
public:
    explicit TLoopCanvas(TLoopCanvasDB& Viewer) : QAbstractScrollArea(&Viewer), FViewer(Viewer)
    {
        setObjectName("Canvas");
        setFrameShape(QFrame::NoFrame);
    }

protected:
    void paintEvent(QPaintEvent* Event) override
    {
        QPainter p(viewport());
        FViewer.PaintFrame(p, Event->rect());
    }
    void mouseReleaseEvent(QMouseEvent* Event) override
    {
        if (Event->button() == Qt::LeftButton && viewport()->rect().contains(Event->position().toPoint()))
            FViewer.Click();
    }
    void resizeEvent(QResizeEvent* Event) override
    {
        QAbstractScrollArea::resizeEvent(Event);
        FViewer.SetScrollRanges();
    }
    void scrollContentsBy(int, int) override { viewport()->update(); }

private:
    TLoopCanvasDB& FViewer;
};

namespace {

constexpr int ClockPanelSize = 74;

// A window of the list that is still open (a closed one may wait for its
// deletion without its network).
bool IsOpen(const TSketchPadWindow* w) { return w && !w->Destroying && w->Network; }

constexpr int ClockMargin = 4; // the clock is 8 pixels smaller than its panel

// The clock's panel: dragged with the mouse anywhere over the picture.
class TClockPanel : public QFrame {
public:
    explicit TClockPanel(QWidget* Parent) : QFrame(Parent)
    {
        setObjectName("Panel1");
        setFrameShape(QFrame::Panel);
        setFrameShadow(QFrame::Raised);
        setCursor(Qt::SizeAllCursor);
        setToolTip("Drag the clock to move it");
    }
    TClock* Clock = nullptr;

protected:
    void mousePressEvent(QMouseEvent* Event) override
    {
        if (Event->button() == Qt::LeftButton) FGrab = Event->position().toPoint();
    }
    void mouseMoveEvent(QMouseEvent* Event) override
    {
        if (!(Event->buttons() & Qt::LeftButton)) return;
        move(mapToParent(Event->position().toPoint() - FGrab));
    }
    void mouseReleaseEvent(QMouseEvent*) override {}
    void resizeEvent(QResizeEvent* Event) override
    {
        QFrame::resizeEvent(Event);
        if (Clock)
            Clock->setGeometry(ClockMargin, ClockMargin, std::max(1, width() - 2 * ClockMargin),
                               std::max(1, height() - 2 * ClockMargin));
    }

private:
    QPoint FGrab;
};

} // namespace

TLoopCanvasDB::TLoopCanvasDB(TZOKMainWindow& Main, TLoopSettings& Settings, std::vector<TLoopEntry> Entries,
                             int Style, const std::function<QTime()>& ClockNow, QWidget* Parent)
    : QDialog(Parent), FMain(Main), FSettings(Settings), FEntries(std::move(Entries))
{
    setObjectName("LoopCanvasDB");
    setWindowTitle(LoopViewerIdleCaption);
    setSizeGripEnabled(true);
    Canvas = new TLoopCanvas(*this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Canvas);

    auto* panel = new TClockPanel(Canvas->viewport());
    Panel1 = panel;
    Clock1 = new TClock(panel);
    Clock1->setObjectName("Clock1");
    if (ClockNow) Clock1->Now = ClockNow;
    panel->Clock = Clock1;
    panel->setGeometry(FSettings.ClockLeft, FSettings.ClockTop, ClockPanelSize, ClockPanelSize);
    Clock1->setGeometry(ClockMargin, ClockMargin, ClockPanelSize - 2 * ClockMargin, ClockPanelSize - 2 * ClockMargin);
    Panel1->setVisible(FSettings.ShowClock != 0);
    Clock1->SetTime(12, 0);

    Timer1.setInterval(LoopTimerInterval(FSettings.Speed));
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    // The frame window starts as the current window; the style window is the
    // chosen entry's (the first when none is chosen, or when its window closed).
    FFrame = Main.CurrentPad;
    if (Style < 0 || size_t(Style) >= FEntries.size()) Style = 0;
    if (size_t(Style) < FEntries.size() && IsOpen(FEntries[size_t(Style)].Window))
        FStyle = FEntries[size_t(Style)].Window;
    for (size_t i = 0; !FStyle && i < FEntries.size(); ++i)
        if (IsOpen(FEntries[i].Window)) FStyle = FEntries[i].Window;
    if (FStyle) {
        FStyleWidths = FStyle->Settings.Widths;
        FMinX = FStyle->View.MinX;
        FMinY = FStyle->View.MinY;
        FMaxX = FStyle->View.MaxX;
        FMaxY = FStyle->View.MaxY;
    }
    const int zoom = ValidZoomLevel(FSettings.ZoomState) ? FSettings.ZoomState : DefaultZoomLevel;
    FScale = double(ZoomLevels[zoom].Numerator) / ZoomLevels[zoom].Denominator;
    Canvas->horizontalScrollBar()->setSingleStep(ZoomLevels[zoom].Increment);
    Canvas->verticalScrollBar()->setSingleStep(ZoomLevels[zoom].Increment);

    resize(FSettings.ViewerWidth > 0 ? FSettings.ViewerWidth : 640,
           FSettings.ViewerHeight > 0 ? FSettings.ViewerHeight : 480);
    SetScrollRanges();
}

TLoopCanvasDB::~TLoopCanvasDB() = default;

void TLoopCanvasDB::SetScrollRanges()
{
    FHorzRange = ScrollRange(FMinX, FMaxX, FScale);
    FVertRange = ScrollRange(FMinY, FMaxY, FScale);
    const QSize client = Canvas->viewport()->size();
    Canvas->horizontalScrollBar()->setRange(0, std::max(0, FHorzRange - client.width()));
    Canvas->verticalScrollBar()->setRange(0, std::max(0, FVertRange - client.height()));
    Canvas->horizontalScrollBar()->setPageStep(std::max(1, client.width()));
    Canvas->verticalScrollBar()->setPageStep(std::max(1, client.height()));
}

void TLoopCanvasDB::resizeEvent(QResizeEvent* Event)
{
    QDialog::resizeEvent(Event);
    SetScrollRanges();
}

void TLoopCanvasDB::Click()
{
    if (Running()) {
        Timer1.stop();
        setWindowTitle(LoopViewerIdleCaption);
        return;
    }
    Timer1.start(LoopTimerInterval(FSettings.Speed));
}

void TLoopCanvasDB::Timer1Timer()
{
    const int32_t count = int32_t(FEntries.size());
    // A closed window is passed over; a pass ends in idle ticks, so this ends.
    for (int32_t step = 0; step <= count + 2; ++step) {
        const TLoopTicker::TTick tick = FTicker.Tick(count);
        if (!tick.Draw) return;
        const TLoopEntry& entry = FEntries[size_t(tick.Entry)];
        if (!IsOpen(entry.Window)) continue;
        FFrame = entry.Window;
        const TClockTime time = LoopModelTime(FSettings, tick.Entry);
        Clock1->SetTime(time.Hour, time.Minute);
        setWindowTitle(ShownName(LoopFrameCaption(entry.Caption, time)));
        Canvas->viewport()->update();
        return;
    }
}

void TLoopCanvasDB::PaintFrame(QPainter& Painter, const QRect& Exposed)
{
    Painter.fillRect(Exposed, Qt::white);
    if (!IsOpen(FFrame)) return;
    TSketchPadWindow& frame = *FFrame;
    const int h = Canvas->horizontalScrollBar()->value(), v = Canvas->verticalScrollBar()->value();
    try {
        DrawWithStyleWidths(frame.Settings, FStyleWidths,
                            [&] { PaintPadNetwork(frame, Painter, Exposed, FScale, h, v); });
    } catch (const std::exception&) {
        // A frame that cannot be drawn (out of memory) stops the loop.
        Timer1.stop();
        setWindowTitle(LoopViewerIdleCaption);
    }
}

void TLoopCanvasDB::done(int Result)
{
    Timer1.stop();
    FSettings.ViewerWidth = width();
    FSettings.ViewerHeight = height();
    FSettings.ClockLeft = Panel1->x();
    FSettings.ClockTop = Panel1->y();
    QDialog::done(Result);
}
