// The grid points a coverage run found covered, marked over a network
// window in palette colour 20 until the coverage dialog's Refresh (or its
// closing) takes them away. The marks lie over the window's drawing and
// follow its zoom and scrolling.
#pragma once

#include <cstdint>
#include <vector>

#include <QPointer>
#include <QWidget>

class TSketchPadWindow;

class TCoverageMarks : public QWidget {
    Q_OBJECT
public:
    // A row of covered points: y, and x from X0 to X1 inclusive (world units).
    struct TSpan {
        int32_t Y, X0, X1;
    };

    // The marks of a window, made on first use.
    static TCoverageMarks& Of(TSketchPadWindow& Pad);
    // The marks of a window, nullptr when it has none.
    static TCoverageMarks* Find(TSketchPadWindow& Pad);

    void Add(int32_t Y, int32_t X0, int32_t X1);
    void Clear();
    const std::vector<TSpan>& Spans() const { return FSpans; }

protected:
    void paintEvent(QPaintEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    explicit TCoverageMarks(TSketchPadWindow& Pad);
    QPointer<TSketchPadWindow> FPad;
    std::vector<TSpan> FSpans;
};
