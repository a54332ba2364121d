#include "forms/Timer.h"

#include "forms/UtilWindow.h"

namespace sj {

namespace {
constexpr UINT_PTR TimerId = 1;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    FWindow = std::make_unique<TUtilWindow>([this](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (message != WM_TIMER || wParam != TimerId) {
            return false;
        }
        DoTimer();
        result = 0;
        return true;
    });
}

TTimer::~TTimer() {
    Destroying();
    StopTimer();
}

HWND TTimer::Handle() const {
    return FWindow->Handle();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled != FEnabled) {
        FEnabled = enabled;
        UpdateTimer();
    }
}

void TTimer::SetInterval(unsigned milliseconds) {
    if (milliseconds != FInterval) {
        FInterval = milliseconds;
        UpdateTimer();
    }
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    FOnTimer = std::move(handler);
    UpdateTimer();
}

void TTimer::StopTimer() {
    if (FRunning) {
        ::KillTimer(FWindow->Handle(), TimerId);
        FRunning = false;
    }
}

void TTimer::UpdateTimer() {
    StopTimer();
    if (FEnabled && FInterval > 0 && FOnTimer) {
        FRunning = ::SetTimer(FWindow->Handle(), TimerId, FInterval, nullptr) != 0;
    }
}

void TTimer::DoTimer() {
    // A handler that stops the timer must not get a late message already queued.
    if (FRunning && FOnTimer && !HasState(csDestroying)) {
        // The handler may replace itself; call a copy.
        const TNotifyEvent handler = FOnTimer;
        handler(this);
    }
}

} // namespace sj
