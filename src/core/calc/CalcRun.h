// Running a Calculate program over a network: the system lines at five
// stages, a sweep over the nodes and one over the links, repeated in passes
// while a REDO statement asks for another pass.
//
// The run knows no window. Its caller hands it the network, the window's
// program, the run flags and a host that lets events through, shows the
// progress text, repaints and beeps.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/calc/CalcProgram.h"

class TNetwork;
class TNode;
class TShapePoint;
struct TLink;
struct TViewRecord;

// The flags that other parts of the program look at while a run is under
// way. Owned by the program's main window (the stop request is shared with
// the shortest-path search), never process-wide.
struct TCalcFlags {
    uint8_t CalcBusy = 0; // 1 while a run is in progress: the window refuses to close
    uint8_t CalcStop = 0; // stop request: the status box's Stop, or a STOP statement
};

// What a run asks of its surroundings. Every member has a harmless default,
// so a headless caller overrides only what it needs.
class TCalcHost {
public:
    virtual ~TCalcHost() = default;
    // Lets pending events run (the status box's Stop button may set
    // CalcStop). The run calls it through a throttle, about every 30 ms.
    virtual void ProcessMessages() {}
    // The status box's label: progress texts and the final summary.
    virtual void ShowStatus(const std::string& text) {}
    // DRAW: repaint every window that shows the network.
    virtual void Repaint() {}
    // BEEP.
    virtual void Beep() {}
    // A deletion was recorded: the main window's Undelete button is enabled.
    virtual void EnableUndelete() {}
    // The status bar's "Polygon not merged" (MRGE that could not join rings).
    virtual void PolygonNotMerged() {}
};

// Which elements take part. By default the run prepares the search criteria
// of the network's classes and the polygon criterion of the window it acts
// for; a caller may give tests of its own instead.
struct TCalcSearch {
    std::function<bool(const TNode*)> NodePasses;
    std::function<bool(const TLink*)> LinkPasses; // the A-end half-edge
};

// The editing operations the command words call. Those left empty do nothing.
struct TCalcEditOps {
    // DELE on a node: soft delete of the node and its links (undoable).
    std::function<void(TNetwork&, TNode*)> DeleteNode;
    // DELE on a link: soft delete of the link (undoable).
    std::function<void(TNetwork&, TLink*)> DeleteLink;
    // FLIP: reverses a link once per pass (its flip mark).
    std::function<void(TNetwork&, TLink*)> FlipLink;
    // FUSE: joins the two links through a node into one new link.
    std::function<void(TNetwork&, TNode*)> SpliceLinksAtNode;
    // LNKX: splits the link and the links it crosses at every crossing. Reach
    // is the longest reach of a link from its A node's cell, -1 when not yet
    // known (the operation then works it out and stores it).
    std::function<bool(TNetwork&, TLink*, int64_t& reach)> IntersectLink;
    // MRGE: merges Source into Target; false when their polygons could not
    // be joined ("Polygon not merged").
    std::function<bool(TNetwork&, TNode* source, TNode* target)> MergeNodes;
    // SMRG: a node without links or polygon gives its places in polygons to
    // the shape point and is deleted.
    std::function<bool(TNetwork&, TNode*, TShapePoint*)> MergeNodeIntoShapePoint;
};
// The editing operations of the network model, with no long/lat hooks and
// the default splice rules. CalcEditOpsFor (CalcEditing.h) takes a window's.
TCalcEditOps DefaultCalcEditOps();

struct TCalcSummary {
    int32_t Links = 0;
    int32_t Nodes = 0;
    int32_t Systems = 0;
    int32_t Errors = 0;
    int32_t Passes = 0;
};

// "Processed: L Links; N Nodes; S Systems; E Errors."
std::string CalcSummaryText(const TCalcSummary& s);

struct TCalcRunOptions {
    // Reads every statement step by step from the relation lines and
    // evaluates it with the reference evaluator, without any preparation.
    // The answer is the same; tests compare the two.
    bool StepByStep = false;
    // The interval at which ProcessMessages is called.
    int32_t EventIntervalMs = 30;
    // The window the run acts for: its settings give the polygon criterion,
    // the units of lengths and areas, and with its zoom level the layer
    // states LAYER() reads. None: no polygon criterion, units of 1, LAYER() 0.
    const TViewRecord* View = nullptr;
};

// Runs the program over the network. The variables (V0..Vz) of the program
// change; everything else in the program is read only. CalcBusy is set for
// the run and cleared on every way out, also when an exception leaves it.
TCalcSummary RunCalculation(TNetwork& net, TCalcProgram& program, TCalcFlags& flags, TCalcHost& host,
                            const TCalcSearch& search = {}, const TCalcEditOps& ops = DefaultCalcEditOps(),
                            const TCalcRunOptions& options = {});
