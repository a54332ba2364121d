// The split or the join of one page of the main window, run on a worker thread so
// the window keeps answering. The page owns one TPageJob. It starts the job, shows
// nothing for the first half second (small jobs look exactly as they did when they ran
// on this thread), then disables the page's inputs, turns Start into "Cancel" and shows
// the progress bar and the taskbar progress until the job ends. The end is told the way
// it always was: the completion message, or the failure's message through the
// application's handler; a cancelled job says so in the program's message box.
// User-interface thread only, except for the worker it owns.
#pragma once

#include "forms/UtilWindow.h"
#include "shell/JobProgressBar.h"
#include "shell/JobWorker.h"
#include "shell/TaskbarProgress.h"
#include "skin/controls/sButton.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace sj {

class TPageJob {
public:
    // Jobs shorter than this show no progress at all.
    static constexpr std::chrono::milliseconds RevealDelay{500};

    // start: the page's Start button; inputs: what must not change while the job shows;
    // bar: the page's progress bar (hidden until needed).
    TPageJob(TsButton& start, std::vector<TControl*> inputs, TJobProgressBar& bar);
    // Cancels a job still running and waits for it; touches no control.
    ~TPageJob();
    TPageJob(const TPageJob&) = delete;
    TPageJob& operator=(const TPageJob&) = delete;

    // Runs job on the worker; completedText is shown when it succeeds.
    void Start(TJobWorker::TJob job, std::string completedText);
    bool Running() const { return FWorker != nullptr; }
    // Whether the job has been running long enough to show its progress.
    bool ProgressShown() const { return FShown; }
    void Cancel();
    // For a window that closes: cancels, waits for the job's clean-up and tells the
    // end, except a plain cancellation, which the user asked for.
    void CancelAndWait();
    // While held (a question is up), the end of the job is told only after release.
    void Hold(bool hold);

    // Called between two copies on the worker's thread; tests slow jobs down with it.
    static std::function<void()>& Pace();

private:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void Reveal();
    void Conceal();
    void ShowProgress(bool paintNow);
    void Finish(bool closing);
    void TellEnd(const std::exception_ptr& error, bool closing);
    double Seconds() const;

    TsButton& FStart;
    std::vector<TControl*> FInputs;
    std::vector<bool> FWereEnabled;
    TJobProgressBar& FBar;
    std::string FStartCaption;
    std::string FCompletedText;
    std::chrono::steady_clock::time_point FStarted;
    std::chrono::steady_clock::time_point FLastPaint;
    WPARAM FJobNumber = 0;
    bool FShown = false;
    bool FHeld = false;
    bool FFinishPending = false;
    std::unique_ptr<TTaskbarProgress> FTaskbar;
    // Declared before the worker, so the worker (which posts to it) ends first.
    TUtilWindow FWindow;
    std::unique_ptr<TJobWorker> FWorker;
};

} // namespace sj
