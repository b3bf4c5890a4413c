// The main window's five toolbars as plain rows of buttons. Which buttons
// exist and what they are called lives here; where a toolbar sits (its dock
// row and position) is kept apart in TToolbarPlace and applied by the host.
#pragma once

#include <array>
#include <string>

#include <QFrame>

#include "shell/PadView.h"
#include "shell/SketchModes.h"

class QLineEdit;
class QToolButton;
class QVBoxLayout;

// Two small arrow buttons, like a spin control without its edit.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    TUpDown(const QString& Name, const QString& Hint, bool Horizontal, QWidget* Parent = nullptr);
    QToolButton *Up, *Down;
signals:
    void Clicked(bool UpPressed);
};

struct TToolbarPlace {
    int Row = 0;
    int Position = 0;
};

class TButtonBar : public QFrame {
    Q_OBJECT
public:
    TButtonBar(const QString& Name, const QString& Caption, QWidget* Parent = nullptr);
    QToolButton* AddButton(const QString& Name, const QString& Hint, const QString& Glyph, bool Checkable = false);
    void AddSeparator();
    void AddWidget(QWidget* W);
    TToolbarPlace Place;
};

struct TMainToolbars {
    // Toolbar1..Toolbar5: "Sketch Modes", "Sketch Operations", "Labels",
    // "Widths and Sizes", "Snap Controls".
    std::array<TButtonBar*, ToolbarCount> Bars{};
    std::array<QToolButton*, SketchModeCount> ModeButtons{}; // nullptr for 13, 15, 18
    QToolButton *WestButton = nullptr, *NorthButton = nullptr, *SouthButton = nullptr, *EastButton = nullptr;
    QToolButton *UndeleteButton = nullptr, *RefreshButton = nullptr, *ZoomOutButton = nullptr,
                *ZoomInButton = nullptr, *SpeedButton1 = nullptr, *RightClickButton = nullptr;
    std::array<QToolButton*, 15> ToolbarButtons{}; // ToolbarButton1..14
    TUpDown *NSSnapButton = nullptr, *EWSnapButton = nullptr, *SnapAdjustButton = nullptr;
    QLineEdit* SnapDistanceEdit = nullptr;

    void Build(QWidget* Parent);
};

// Lays the toolbars out in rows by their places; hidden toolbars take no room.
class TToolbarHost : public QWidget {
    Q_OBJECT
public:
    explicit TToolbarHost(QWidget* Parent = nullptr);
    void Arrange(const std::array<TButtonBar*, ToolbarCount>& Bars);

private:
    QVBoxLayout* FRows;
};
