// TLoopCanvasDB, the "Loop Viewer": shows the networks of a list of windows
// one after another at one zoom, every frame with the width and size settings
// of one chosen window (the style window), while a clock shows the model time
// of the frame. A click starts and stops it; the clock panel can be dragged.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QDialog>
#include <QPointer>
#include <QTime>
#include <QTimer>

#include "core/analysis/LoopClock.h"
#include "core/model/WidthSettings.h"

class QAbstractScrollArea;
class QFrame;
class TClock;
class TSketchPadWindow;
class TZOKMainWindow;
struct TWindowSettings;

// One entry of the loop: the caption it was listed under and its window. A
// window closed since is passed over.
struct TLoopEntry {
    std::string Caption;
    QPointer<TSketchPadWindow> Window;
};

// Runs draw with Style swapped into the frame window's width and size
// settings; the frame's own settings are back afterwards, also when draw
// throws.
void DrawWithStyleWidths(TWindowSettings& Frame, TWidthSettings& Style, const std::function<void()>& Draw);

class TLoopCanvasDB : public QDialog {
    Q_OBJECT
public:
    // Settings: the run's settings; the viewer keeps its size and the clock
    // panel's place in them when it closes. Style: the entry whose window
    // gives the widths (-1: the first). ClockNow: the system time of the
    // clock (empty: the real one).
    TLoopCanvasDB(TZOKMainWindow& Main, TLoopSettings& Settings, std::vector<TLoopEntry> Entries, int Style,
                  const std::function<QTime()>& ClockNow = {}, QWidget* Parent = nullptr);
    ~TLoopCanvasDB() override;

    QAbstractScrollArea* Canvas = nullptr;
    QFrame* Panel1 = nullptr; // the clock panel
    TClock* Clock1 = nullptr;
    QTimer Timer1; // the frame timer, running while the loop runs

    // A click on the picture: starts or stops the loop.
    void Click();
    bool Running() const { return Timer1.isActive(); }
    // One frame tick.
    void Timer1Timer();

    TSketchPadWindow* FrameWindow() const { return FFrame; }
    TSketchPadWindow* StyleWindow() const { return FStyle; }
    double Scale() const { return FScale; }
    int32_t HorzRange() const { return FHorzRange; }
    int32_t VertRange() const { return FVertRange; }

    void done(int Result) override;

protected:
    void resizeEvent(QResizeEvent* Event) override;

private:
    friend class TLoopCanvas;
    void PaintFrame(class QPainter& Painter, const class QRect& Exposed);
    void SetScrollRanges();

    TZOKMainWindow& FMain;
    TLoopSettings& FSettings;
    std::vector<TLoopEntry> FEntries;
    QPointer<TSketchPadWindow> FFrame, FStyle;
    TWidthSettings FStyleWidths;
    TLoopTicker FTicker;
    double FScale = 1.0;
    int32_t FMinX = 0, FMinY = 0, FMaxX = 0, FMaxY = 0; // the style window's extents
    int32_t FHorzRange = 0, FVertRange = 0;
};
