// The main window's docks and its five toolbars: which buttons exist, what
// they are called, their glyphs and groups, and the toolbars' home places on
// the top dock.
#pragma once

#include <array>

#include <QWidget>

#include "shell/PadView.h"
#include "shell/SketchModes.h"

class QLineEdit;
class QToolButton;
class TDockButton;
class TDockToolbar;
class TToolDock;

// Two small arrow buttons, like a spin control without its edit.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    TUpDown(const QString& Name, const QString& Hint, bool Horizontal, QWidget* Parent = nullptr);
    QToolButton *Up, *Down;
signals:
    void Clicked(bool UpPressed);
};

struct TMainToolbars {
    // Dock1 top, Dock2 right, Dock3 left, Dock4 bottom.
    std::array<TToolDock*, 4> Docks{};
    // Toolbar1..Toolbar5: "Sketch Modes", "Sketch Operations", "Labels",
    // "Widths and Sizes", "Snap Controls".
    std::array<TDockToolbar*, ToolbarCount> Bars{};
    std::array<TDockButton*, SketchModeCount> ModeButtons{}; // nullptr for 13, 15, 18
    TDockButton *WestButton = nullptr, *NorthButton = nullptr, *SouthButton = nullptr, *EastButton = nullptr;
    TDockButton *UndeleteButton = nullptr, *RefreshButton = nullptr, *ZoomOutButton = nullptr,
                *ZoomInButton = nullptr, *SpeedButton1 = nullptr, *RightClickButton = nullptr;
    std::array<TDockButton*, 15> ToolbarButtons{}; // ToolbarButton1..14
    TUpDown *NSSnapButton = nullptr, *EWSnapButton = nullptr, *SnapAdjustButton = nullptr;
    QLineEdit* SnapDistanceEdit = nullptr;

    // Puts the four docks around Centre in Host and the toolbars, hidden, at
    // their home places on the top dock. Form owns docks and toolbars.
    void Build(QWidget* Form, QWidget* Host, QWidget* Centre);
};
