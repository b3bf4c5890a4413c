// TClock: an analogue clock control. It shows the system time shifted by an
// offset of hours and minutes, so that it can be set to any time of day and
// then runs on by itself; its one-second timer moves the hands and raises the
// second, minute and hour events. The time source can be replaced (tests
// drive the clock through it and call TimerTick).
#pragma once

#include <functional>

#include <QColor>
#include <QImage>
#include <QTime>
#include <QTimer>
#include <QWidget>

#include "core/analysis/LoopClock.h"

class TClock : public QWidget {
    Q_OBJECT
public:
    explicit TClock(QWidget* Parent = nullptr);

    // The face's colour (default the button face) and the hands' (black).
    QColor ClkFaceColor() const { return FFaceColor; }
    void SetClkFaceColor(const QColor& C);
    QColor ClkArrowColor() const { return FArrowColor; }
    void SetClkArrowColor(const QColor& C);
    // Whether the second hand is shown (and the face redrawn every second).
    bool SecArrow() const { return FSecArrow; }
    void SetSecArrow(bool On);
    // The offset from the system time: hours modulo 12, minutes modulo 60.
    int DifHour() const { return FOffset.DifHour; }
    int DifMinute() const { return FOffset.DifMinute; }
    void SetDifHour(int H) { FOffset.Set(H, FOffset.DifMinute); }
    void SetDifMinute(int M) { FOffset.Set(FOffset.DifHour, M); }

    // Makes the clock show Hour:Minute now (it runs on from there).
    void SetTime(int Hour, int Minute);
    // The time the clock shows now, and the time its hands were last drawn at.
    TClockTime ShownTime() const;
    TClockTime DrawnTime() const { return FDrawn; }

    // The system time; tests set their own.
    std::function<QTime()> Now = [] { return QTime::currentTime(); };
    QTimer Timer; // 1000 ms, running from creation
    // One tick of the timer: events, and a redraw when the hands moved.
    void TimerTick();

    // The face without its hands, as drawn on the last resize.
    const QImage& Face() const { return FFace; }

signals:
    void OnSecond();
    void OnMinute();
    void OnHour();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    void DrawFace();
    TClockTime SystemTime() const;

    QColor FFaceColor, FArrowColor = Qt::black;
    bool FSecArrow = true;
    TClockOffset FOffset;
    TClockGeometry FGeometry;
    TClockTicker FTicker;
    TClockTime FDrawn;
    QImage FFace;
};
