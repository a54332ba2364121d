// TacThreadedTimer: the timer of the form animations. Despite its name it runs no
// thread of its own: it is a window-message timer on the user-interface thread, like
// every timer of the program, and ThreadPriority is only kept for the stored forms.
// Its handler is never re-entered: a tick that arrives while the previous one still
// runs (a handler that pumps messages) is dropped.
//
// Also the process-wide animation-running flag: set while a form animation draws a
// window itself, so that the provider, the border window and the controls hold their
// own painting back meanwhile. Every animation clears it before it returns.
// Windows only; user-interface thread only.
#pragma once

#include <windows.h>

#include "forms/Timer.h"

namespace sj {

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TacThreadedTimer : public TTimer {
    SJ_CLASS(TacThreadedTimer, TTimer)

public:
    explicit TacThreadedTimer(TComponent* owner);
    // Disabled; with useOwnHandler the ticks go to the virtual Timer below.
    TacThreadedTimer(TComponent* owner, bool useOwnHandler);

    TThreadPriority ThreadPriority() const { return FThreadPriority; }
    // Kept for the stored forms; re-arms the timer as every setter does.
    void SetThreadPriority(TThreadPriority value);
    // True while the handler runs.
    bool InHandler() const { return FInHandler; }

protected:
    // The tick of a timer made with useOwnHandler.
    virtual void Timer() {}
    void DoTimer() override;

private:
    TThreadPriority FThreadPriority = TThreadPriority::tpNormal;
    bool FInHandler = false;
};

// The process-wide animation-running flag.
bool AnimationRunning();
void SetAnimationRunning(bool value);

// Sets the flag for its lifetime and gives back what it was, so that an animation
// that ends by an exception leaves no window waiting for its repaint.
class TAnimationRunningScope {
public:
    TAnimationRunningScope() : previous_(AnimationRunning()) { SetAnimationRunning(true); }
    ~TAnimationRunningScope() { SetAnimationRunning(previous_); }
    TAnimationRunningScope(const TAnimationRunningScope&) = delete;
    TAnimationRunningScope& operator=(const TAnimationRunningScope&) = delete;

private:
    bool previous_;
};

// The application is closing: fades stop and animations run synchronously. Set by the
// program's exit, and implied once the application object has been told to terminate.
bool ApplicationClosing();
void SetApplicationClosing(bool value);

} // namespace sj
