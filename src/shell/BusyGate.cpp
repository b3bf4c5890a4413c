#include "shell/BusyGate.h"

#include <algorithm>

TBusyGate::TRun& TBusyGate::TRun::operator=(TRun&& o) noexcept
{
    if (this != &o) {
        End();
        Gate = o.Gate;
        State = std::move(o.State);
        o.Gate = nullptr;
    }
    return *this;
}

void TBusyGate::TRun::End()
{
    if (!Gate) return;
    TBusyGate* g = Gate;
    Gate = nullptr;
    g->Remove(State);
    State.reset();
}

TBusyGate::TRun TBusyGate::Begin(TBusyKind kind, const TNetwork* network, TSketchPadWindow* pad, unsigned allows)
{
    TRun run;
    run.Gate = this;
    run.State = std::make_shared<TRunState>(TRunState{kind, network, pad, allows});
    Runs.push_back(run.State);
    if (Changed) Changed();
    return run;
}

void TBusyGate::Remove(const std::shared_ptr<TRunState>& s)
{
    auto it = std::find(Runs.begin(), Runs.end(), s);
    if (it == Runs.end()) return;
    Runs.erase(it);
    if (Changed) Changed();
}

bool TBusyGate::Lets(TGateAccess access, const TNetwork* network) const
{
    for (const auto& r : Runs) {
        const bool holds = r->Network == nullptr || (network && r->Network == network);
        if (holds && !(r->Allows & access)) return false;
    }
    return true;
}

bool TBusyGate::LetsAll(TGateAccess access) const
{
    return std::all_of(Runs.begin(), Runs.end(), [access](const auto& r) { return (r->Allows & access) != 0; });
}

bool TBusyGate::Running(TBusyKind kind) const
{
    return std::any_of(Runs.begin(), Runs.end(), [kind](const auto& r) { return r->Kind == kind; });
}

TSketchPadWindow* TBusyGate::PadOf(TBusyKind kind) const
{
    for (auto it = Runs.rbegin(); it != Runs.rend(); ++it)
        if ((*it)->Kind == kind) return (*it)->Pad;
    return nullptr;
}

bool TBusyGate::RequestStop(TBusyKind kind)
{
    for (auto it = Runs.rbegin(); it != Runs.rend(); ++it)
        if ((*it)->Kind == kind) {
            (*it)->Stop = true;
            return true;
        }
    return false;
}

void TBusyGate::Forget(const TSketchPadWindow* pad)
{
    for (auto& r : Runs)
        if (r->Pad == pad) r->Pad = nullptr;
}
