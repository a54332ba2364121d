#include "skin/frame/acThdTimer.h"

#include "forms/Forms.h"

namespace sj {

namespace {
bool GAnimationRunning = false;
bool GApplicationClosing = false;
} // namespace

TacThreadedTimer::TacThreadedTimer(TComponent* owner) : TTimer(owner) {
    // A timer made while the application ends would tick into forms being destroyed.
    if (ApplicationClosing())
        SetEnabled(false);
}

TacThreadedTimer::TacThreadedTimer(TComponent* owner, bool useOwnHandler) : TTimer(owner) {
    SetEnabled(false);
    if (useOwnHandler)
        SetOnTimer([this](TObject*) { Timer(); });
}

void TacThreadedTimer::SetThreadPriority(TThreadPriority value) {
    FThreadPriority = value;
    // Re-arms like the other setters: the next tick comes a full interval later.
    if (Enabled()) {
        SetEnabled(false);
        SetEnabled(true);
    }
}

void TacThreadedTimer::DoTimer() {
    if (FInHandler)
        return;
    FInHandler = true;
    try {
        TTimer::DoTimer();
    } catch (...) {
        FInHandler = false;
        throw;
    }
    FInHandler = false;
}

bool AnimationRunning() {
    return GAnimationRunning;
}

void SetAnimationRunning(bool value) {
    GAnimationRunning = value;
}

bool ApplicationClosing() {
    return GApplicationClosing || (Application != nullptr && Application->Terminated());
}

void SetApplicationClosing(bool value) {
    GApplicationClosing = value;
}

} // namespace sj
