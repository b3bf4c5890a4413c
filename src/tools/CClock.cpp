#include "tools/CClock.h"

#include <QPainter>
#include <QResizeEvent>

TClock::TClock(QWidget* Parent) : QWidget(Parent)
{
    setObjectName("Clock");
    FFaceColor = palette().color(QPalette::Button);
    resize(66, 66);
    DrawFace();
    Timer.setInterval(1000);
    connect(&Timer, &QTimer::timeout, this, [this] { TimerTick(); });
    Timer.start();
    FDrawn = ShownTime();
}

void TClock::SetClkFaceColor(const QColor& C)
{
    FFaceColor = C;
    DrawFace();
    update();
}

void TClock::SetClkArrowColor(const QColor& C)
{
    FArrowColor = C;
    update();
}

void TClock::SetSecArrow(bool On)
{
    FSecArrow = On;
    update();
}

TClockTime TClock::SystemTime() const
{
    const QTime t = Now();
    return {t.hour(), t.minute(), t.second()};
}

TClockTime TClock::ShownTime() const { return ::ShownTime(SystemTime(), FOffset); }

void TClock::SetTime(int Hour, int Minute)
{
    FOffset = OffsetToShow(SystemTime(), Hour, Minute);
    FDrawn = ShownTime();
    update();
}

void TClock::TimerTick()
{
    const TClockTime shown = ShownTime();
    const TClockTicker::TEvents e = FTicker.Tick(shown, FSecArrow);
    if (e.Redraw) {
        FDrawn = shown;
        update();
    }
    if (e.Second) emit OnSecond();
    if (e.Minute) emit OnMinute();
    if (e.Hour) emit OnHour();
}

void TClock::resizeEvent(QResizeEvent* Event)
{
    QWidget::resizeEvent(Event);
    DrawFace();
}

void TClock::DrawFace()
{
    FGeometry = ClockGeometry(width(), height());
    FFace = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    FFace.fill(FFaceColor);
    QPainter p(&FFace);
    const QColor shadow = palette().color(QPalette::Dark), light = palette().color(QPalette::Light);
    // Each mark a small raised square: lit along its top and left edges.
    for (const TClockMark& m : ClockMarks(FGeometry)) {
        const int l = m.X - m.Half, t = m.Y - m.Half, r = m.X + m.Half, b = m.Y + m.Half;
        p.setPen(light);
        p.drawLine(l, b, l, t);
        p.drawLine(l, t, r, t);
        p.setPen(shadow);
        p.drawLine(r, t, r, b);
        p.drawLine(r, b, l, b);
    }
}

void TClock::paintEvent(QPaintEvent*)
{
    if (FFace.size() != size()) DrawFace();
    QPainter p(this);
    p.drawImage(0, 0, FFace);
    p.setRenderHint(QPainter::Antialiasing);
    for (const TClockHand& h : ClockHands(FGeometry, FDrawn, FSecArrow)) {
        p.setPen(QPen(FArrowColor, h.Width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(h.X1, h.Y1, h.X2, h.Y2);
    }
}
