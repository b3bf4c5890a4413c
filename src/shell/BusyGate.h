// The program's one gate for long runs. A long run (reading or writing a
// network file, printing, a Calculate run, an import, a path or coverage
// search) lets window events through while it works; the gate says what
// runs, on which network, and which kinds of request it lets through
// meanwhile. Every command, the close path, the editing presses, the keys
// and the toolbars ask the gate before they act.
//
//     TBusyGate::TRun run = Main.Gate.Begin(TBusyKind::Print, Pad.Network.get(), Pad, GateView);
//     ... while (...) { pump events; if (run.StopRequested()) break; }
//     // the run ends when `run` goes out of scope
//
// Runs may nest (a batch import that starts a Calculate run); each holds its
// own stop request.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TNetwork;
class TSketchPadWindow;

enum class TBusyKind : uint8_t { FileStep, Print, Calculate, Import, Paths, Coverage, Overlay };

// Kinds of request, as bits of what a run lets through.
enum TGateAccess : unsigned {
    GateView = 1u << 0,    // paint, scroll, zoom (menu, keys, zoom clicks), hints, help, status
    GateDisplay = 1u << 1, // a window's own display settings (toggles, page setup, handles)
    GateChange = 1u << 2,  // a change of the network (editing, bulk commands, undo, dialogs that write)
    GateFile = 1u << 3,    // a file step on the network (save, save as, append, backup)
    GateClose = 1u << 4,   // closing a window of the network, or the program
    GateStart = 1u << 5,   // starting another long run on the network (print, plot, Calculate)
    GateCreate = 1u << 6,  // a new window (new, open, reopen)
};

class TBusyGate {
public:
    struct TRunState {
        TBusyKind Kind;
        const TNetwork* Network; // nullptr: every network
        TSketchPadWindow* Pad;   // the window it runs for, when one
        unsigned Allows;
        bool Stop = false;
    };

    // A run under way; it ends when this handle is destroyed (or End()).
    class TRun {
    public:
        TRun() = default;
        TRun(TRun&& o) noexcept : Gate(o.Gate), State(std::move(o.State)) { o.Gate = nullptr; }
        TRun& operator=(TRun&& o) noexcept;
        ~TRun() { End(); }
        void End();
        bool StopRequested() const { return State && State->Stop; }
        explicit operator bool() const { return Gate != nullptr; }

    private:
        friend class TBusyGate;
        TBusyGate* Gate = nullptr;
        std::shared_ptr<TRunState> State;
    };

    // Starts a run; network nullptr: it holds every network.
    [[nodiscard]] TRun Begin(TBusyKind kind, const TNetwork* network, TSketchPadWindow* pad, unsigned allows);

    // Whether a request of this kind on this network may act now. Network
    // nullptr (a request that names no network, as New or Open): only runs
    // that hold every network refuse it.
    bool Lets(TGateAccess access, const TNetwork* network) const;
    // The same for a request that reaches every network (exit, close all).
    bool LetsAll(TGateAccess access) const;

    bool Busy() const { return !Runs.empty(); }
    bool Running(TBusyKind kind) const;
    // The window of the newest run of this kind; nullptr when none runs.
    TSketchPadWindow* PadOf(TBusyKind kind) const;
    // Asks the newest run of this kind to stop; false when none runs.
    bool RequestStop(TBusyKind kind);
    // A window that goes away leaves the runs that name it.
    void Forget(const TSketchPadWindow* pad);

    // Told whenever a run begins or ends (the windows re-enable their commands).
    std::function<void()> Changed;

private:
    std::vector<std::shared_ptr<TRunState>> Runs;
    void Remove(const std::shared_ptr<TRunState>& s);
};
