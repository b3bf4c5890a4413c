// TLoopDB, "Loop through Networks": orders the open network windows for the
// loop viewer, chooses its frame rate and zoom, sets up its clock, and
// starts it. The list's entries keep their windows; reordering or deleting
// entries never touches the networks.
#pragma once

#include <functional>
#include <vector>

#include <QDialog>
#include <QTime>

#include "core/analysis/LoopClock.h"
#include "tools/LoopCanvasDialog.h"

class QAction;
class QCheckBox;
class QListWidget;
class QMenu;
class QPushButton;
class QSlider;
class QSpinBox;
class QToolButton;
class TSketchPadWindow;
class TZOKMainWindow;

// The loop's settings, kept by the main window for the whole run.
TLoopSettings& ProgramLoopSettings(TZOKMainWindow& Main);

// "Zoom state = " numerator ":" denominator of a zoom level.
std::string ZoomStateHint(int Level);

class TLoopDB : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 2600;

    TLoopDB(TZOKMainWindow& Main, TLoopSettings& Settings, QWidget* Parent = nullptr);

    QListWidget* ListBox1 = nullptr; // the networks in loop order
    QPushButton *UpButton = nullptr, *DownButton = nullptr;
    QToolButton* SpeedButton1 = nullptr; // "Delete network from loop"
    QToolButton* SpeedButton2 = nullptr; // "Erase all entity labels from all networks"
    QMenu* PopupMenu1 = nullptr;
    QAction *Delete1 = nullptr, *Promote1 = nullptr, *Demote1 = nullptr;
    QSlider* TrackBar1 = nullptr; // frame rate: Speed 1..5
    QSlider* TrackBar2 = nullptr; // zoom level 1..18
    QSpinBox *HourEdit = nullptr, *MinuteEdit = nullptr, *IntervalEdit = nullptr;
    QCheckBox* ShowClockBox = nullptr;
    QPushButton *RepositionButton = nullptr, *OKButton = nullptr, *CancelButton = nullptr, *LoopButton = nullptr,
                *HelpButton = nullptr;

    // Fills the list and the controls from the open windows and the settings.
    void FormShow();
    // Moves the selected entry by Delta places (Up, Down, Promote, Demote).
    void MoveEntry(int Delta);
    // Removes the selected entry from the loop.
    void DeleteEntry();
    // Clears the labels of every open window.
    void EraseLabels();
    void RepositionClick();
    void OKClick();
    void LoopClick();

    // The entries in list order.
    const std::vector<TLoopEntry>& Entries() const { return FEntries; }

    // Runs a modal dialog (the viewer); default exec.
    std::function<int(QDialog&)> ExecDialog = [](QDialog& d) { return d.exec(); };
    // Shows help topic 2600 (default: a help window of the dialog's own).
    std::function<void(int)> ShowHelp;
    // The system time of the viewer's clock (empty: the real one).
    std::function<QTime()> ClockNow;

private:
    void UpdateZoomHint();
    // The settings as the controls show them.
    TLoopSettings ControlSettings() const;

    TZOKMainWindow& FMain;
    TLoopSettings& FSettings;
    std::vector<TLoopEntry> FEntries;
};

// Puts the "Loop..." item's command into the main window's item table.
void RegisterLoopPadItems(TZOKMainWindow& Main);
