// TTimer: a window-message timer that fires OnTimer every Interval milliseconds on
// the user-interface thread, on its own hidden utility window.
//
// It runs while Enabled is set, Interval is above 0 and OnTimer is assigned; any
// change of the three restarts the count. Destroying the timer stops it.
#pragma once

#include "forms/Classes.h"

#include <windows.h>

#include <memory>

namespace sj {

class TUtilWindow;

class TTimer : public TComponent {
    SJ_CLASS(TTimer, TComponent)

public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned milliseconds);
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent handler);

    // True while the system timer is set.
    bool Running() const { return FRunning; }
    // The utility window that receives WM_TIMER.
    HWND Handle() const;

protected:
    // Fires OnTimer; descendants may step in.
    virtual void DoTimer();

private:
    void UpdateTimer();
    void StopTimer();

    bool FEnabled = true;
    unsigned FInterval = 1000;
    TNotifyEvent FOnTimer;
    bool FRunning = false;
    std::unique_ptr<TUtilWindow> FWindow;
};

} // namespace sj
