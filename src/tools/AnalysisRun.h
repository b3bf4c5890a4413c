// What the shortest-path and coverage dialogs ask of the program around
// them: a hold on the window's network while a search or scan runs (nothing
// may close or change the network meanwhile), the stop request of a search,
// and the width dialogs they open.
#pragma once

#include <functional>
#include <memory>

#include <QIcon>

class TSketchPadWindow;
class TZOKMainWindow;

enum class TAnalysisKind { Paths, Coverage };

// A run's hold on a network; it ends when destroyed.
class TRunHold {
public:
    virtual ~TRunHold() = default;
    // The user asked the run to stop (the status box's Stop).
    virtual bool StopRequested() const { return false; }
};
using TBeginRun = std::function<std::unique_ptr<TRunHold>()>;

// Holds the pad's network for a run of this kind.
std::unique_ptr<TRunHold> HoldNetworkForRun(TSketchPadWindow& Pad, TAnalysisKind Kind);
// Asks the running search to stop (the shared stop request of long runs).
void RequestPathStop(TZOKMainWindow& Main);

// "Width Expressions" for the link classes (Nodes false) or the node
// classes of the pad's window, as the main toolbar's buttons open it.
void OpenWidthExpressions(TSketchPadWindow& Pad, bool Nodes);

// The first picture of a toolbar glyph (the same picture as the main
// toolbar's button), its corner colour transparent.
QIcon ToolbarGlyph(const char* Name);
