// TDockButton: a flat, hot-tracking push or toggle button for toolbars, with
// a glyph strip, a caption and an optional drop-down menu. TDockSeparator: the
// etched line between groups of a toolbar's controls.
#pragma once

#include <functional>
#include <memory>

#include <QImage>
#include <QPointer>
#include <QWidget>

#include "toolbars/ButtonGlyph.h"
#include "toolbars/model/ButtonModel.h"

class QMenu;
class QTimer;

class TDockButton : public QWidget {
    Q_OBJECT
public:
    explicit TDockButton(QWidget* Parent = nullptr); // 23 x 22
    ~TDockButton() override;

    bool AllowAllUp() const { return FLogic.AllowAllUp; }
    void SetAllowAllUp(bool Value);
    int GroupIndex() const { return FLogic.GroupIndex; }
    void SetGroupIndex(int Value);
    bool Down() const { return FLogic.Down; }
    void SetDown(bool Value);
    int DisplayMode() const { return FDisplayMode; } // 0 glyph and text, 1 glyph, 2 text
    void SetDisplayMode(int Value);
    bool DropdownArrow() const { return FDropdownArrow; }
    void SetDropdownArrow(bool Value);
    QMenu* DropdownMenu() const;
    void SetDropdownMenu(QMenu* Menu);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    const QImage& Glyph() const { return FGlyph.Glyph(); }
    void SetGlyph(const QImage& Strip);
    int NumGlyphs() const { return FGlyph.NumGlyphs(); }
    void SetNumGlyphs(int Value);
    int Layout() const { return FLayout; } // 0 glyph left, 1 right, 2 top, 3 bottom
    void SetLayout(int Value);
    int Margin() const { return FMargin; } // -1 centred
    void SetMargin(int Value);
    int Spacing() const { return FSpacing; } // -1 shares the free room
    void SetSpacing(int Value);
    bool Opaque() const { return FOpaque; }
    void SetOpaque(bool Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);

    // OnClick, or the drop-down menu when one is set.
    void Click();
    void MouseEntered();
    void MouseLeft();
    // Follows whether the pointer is over the button now.
    void UpdateTracking();

    uint8_t State() const { return FLogic.State; }
    const TButtonLogic& Logic() const { return FLogic; }
    bool MenuIsDown() const { return FLogic.MenuIsDown != 0; }
    TButtonGlyph& GlyphImages() { return FGlyph; }
    // Where the glyph is drawn now (button coordinates).
    QPoint GlyphPosition() const;

    // The button that has the pointer, and the timer that watches it.
    static TDockButton* HotButton();
    static QTimer& TrackTimer();
    // The 8 x 8 pattern of a button held down in a group.
    static QImage DitherPattern();

signals:
    void OnClick();
    void OnDblClick();
    void OnMouseEnter();
    void OnMouseExit();
    void OnMouseDown(QMouseEvent* Event);
    void OnMouseMove(QMouseEvent* Event);
    void OnMouseUp(QMouseEvent* Event);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Effects(unsigned E);
    void Press(QMouseEvent* Event);
    void TellGroup();
    void Redraw() { update(); }
    TFaceLayout FaceLayout() const;
    QColor FaceColor() const;

    TButtonLogic FLogic;
    TButtonGlyph FGlyph;
    int FDisplayMode = 0;
    bool FDropdownArrow = true;
    QPointer<QMenu> FDropdownMenu;
    QString FCaption;
    int FLayout = 0;
    int FMargin = -1;
    int FSpacing = 4;
    bool FOpaque = true;
    bool FWordWrap = false;
    bool FDestroying = false;
};

class TDockSeparator : public QWidget {
    Q_OBJECT
public:
    // Parent must be a TDockToolbar.
    explicit TDockSeparator(QWidget* Parent);
    bool Blank() const { return FBlank; }
    void SetBlank(bool Value);

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    bool FBlank = false;
};
