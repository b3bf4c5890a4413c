// Running a window's Calculate program with the status box shown: the one
// entry that the Calculate dialog's Start and the batch import both call.
//
// While the run is under way it holds the window's network, the program and
// the window list against every other command: menus, toolbars, keys,
// editing presses, the Calculate dialog's controls and every other dialog
// take no input (TCalcRunGate). The status box's Stop works, the zoom clicks
// of a sketch pad still zoom, painting goes on, and a close request is
// refused with "Stop Calculate before closing.".
#pragma once

#include <memory>

#include <QDialog>
#include <QObject>

#include "core/calc/CalcRun.h"
#include "shell/BusyGate.h"

class QLabel;
class QPushButton;
class TSketchPadWindow;
class TZOKMainWindow;

// "Calculate Status": the run's progress and summary in Label1; Button1
// reads "Stop" while the run is under way. The first press asks the run to
// stop and turns the button into "OK"; a press on "OK" closes the box.
class TCalculateStatusDB : public QDialog {
    Q_OBJECT
public:
    TCalculateStatusDB(TZOKMainWindow& Main, QWidget* Parent);
    QLabel* Label1;
    QPushButton* Button1;
    void Button1Click();
    // The run ended: the button reads "OK".
    void RunEnded();

protected:
    void closeEvent(QCloseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    TZOKMainWindow& Main;
};

// Holds a run against everything but the status box, the zoom clicks and
// painting, for as long as it lives; lifts on every way out of the run. The
// run holds every network in the program's busy gate (letting through only
// what views), so that commands, closes and editing presses of every window
// are refused; input that would reach any other widget is dropped meanwhile.
class TCalcRunGate : public QObject {
    Q_OBJECT
public:
    // Returns an empty gate when a run is already under way.
    static std::unique_ptr<TCalcRunGate> Begin(TSketchPadWindow& Pad, QWidget* StatusBox);
    ~TCalcRunGate() override;
    // The status box's Stop was pressed (the gate's stop request).
    bool StopRequested() const;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TCalcRunGate(TSketchPadWindow& Pad, QWidget* StatusBox);
    TBusyGate::TRun Run;
    QWidget* StatusBox;
};

// Whether a Calculate run is under way (it holds every network, the programs
// and the window list).
bool CalculateRunning(const TSketchPadWindow& Pad);

struct TWindowRunResult {
    bool Ran = false; // false: another run was under way, nothing was done
    TCalcSummary Summary;
};

// Runs Program (the window's own, View.CalcProgram, in every caller) over
// the window's network with the window's search criteria, units and layers,
// showing a new "Calculate Status" box (beside the modal dialog that started
// it, if any). The box stays open afterwards with the summary and "OK".
// Options may shorten the interval of the event pump (benchmarks, tests).
TWindowRunResult RunWindowCalculation(TSketchPadWindow& Pad, TCalcProgram& Program,
                                      const TCalcRunOptions* Options = nullptr);

// The status box of the last run, while it exists.
TCalculateStatusDB* CalculateStatusBox(TZOKMainWindow& Main);
