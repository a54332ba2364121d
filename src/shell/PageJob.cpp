#include "shell/PageJob.h"

#include "engine/FileSplitter.h"
#include "forms/Forms.h"

#include <utility>

namespace sj {

namespace {

constexpr UINT JobProgressMessage = WM_APP + 1;
constexpr UINT JobFinishedMessage = WM_APP + 2;
constexpr UINT_PTR RevealTimer = 1;
// The bar is painted at once at most this often; between, it waits for its WM_PAINT.
constexpr std::chrono::milliseconds PaintInterval{50};

bool IsPlainCancellation(const std::string& message) {
    return message == SplitCancelledMessage || message == JoinCancelledMessage;
}

} // namespace

std::function<void()>& TPageJob::Pace() {
    static std::function<void()> pace;
    return pace;
}

TPageJob::TPageJob(TsButton& start, std::vector<TControl*> inputs, TJobProgressBar& bar)
    : FStart(start), FInputs(std::move(inputs)), FBar(bar),
      FWindow([this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
          return HandleMessage(message, wParam, lParam, result);
      }) {}

TPageJob::~TPageJob() {
    FWorker.reset(); // cancels and waits
}

void TPageJob::Start(TJobWorker::TJob job, std::string completedText) {
    FCompletedText = std::move(completedText);
    FStarted = std::chrono::steady_clock::now();
    FFinishPending = false;
    const WPARAM number = ++FJobNumber;
    const HWND window = FWindow.Handle();
    std::function<void()> pace = Pace();
    auto paced = [job = std::move(job), pace](const TProgressEvent& progress, const TCancelQuery& cancel) {
        if (!pace) {
            job(progress, cancel);
            return;
        }
        job(progress, [&] {
            pace();
            return cancel();
        });
    };
    // The worker only posts: the window and its controls stay on this thread.
    FWorker = std::make_unique<TJobWorker>(
        std::move(paced), [window, number] { ::PostMessageA(window, JobProgressMessage, number, 0); },
        [window, number] { ::PostMessageA(window, JobFinishedMessage, number, 0); });
    ::SetTimer(window, RevealTimer, static_cast<UINT>(RevealDelay.count()), nullptr);
}

void TPageJob::Cancel() {
    if (FWorker)
        FWorker->Cancel();
}

void TPageJob::CancelAndWait() {
    if (!FWorker)
        return;
    FWorker->Cancel();
    Finish(true);
}

void TPageJob::Hold(bool hold) {
    FHeld = hold;
    if (!hold && FFinishPending && FWorker)
        Finish(false);
}

bool TPageJob::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    result = 0;
    switch (message) {
    case WM_TIMER:
        if (wParam != RevealTimer)
            return false;
        ::KillTimer(FWindow.Handle(), RevealTimer);
        if (FWorker && !FWorker->Finished())
            Reveal();
        return true;
    case JobProgressMessage:
        if (FWorker && wParam == FJobNumber && FShown)
            ShowProgress(false);
        else if (FWorker && wParam == FJobNumber)
            FWorker->TakeProgress(); // read, so the next report is posted too
        return true;
    case JobFinishedMessage:
        if (!FWorker || wParam != FJobNumber)
            return true; // already told (the window closed meanwhile)
        if (FHeld)
            FFinishPending = true;
        else
            Finish(false);
        return true;
    default:
        return false;
    }
}

void TPageJob::Reveal() {
    FShown = true;
    FWereEnabled.clear();
    for (TControl* control : FInputs) {
        FWereEnabled.push_back(control->Enabled());
        control->SetEnabled(false);
    }
    FStartCaption = FStart.Caption();
    FStart.SetCaption("Cancel");
    // A focus left on a disabled field would swallow Escape.
    HWND focus = ::GetFocus();
    if (focus == nullptr || !::IsWindowEnabled(focus))
        FStart.SetFocus();
    FTaskbar = std::make_unique<TTaskbarProgress>(Application->Handle());
    FBar.SetProgress(0, 0, 0);
    FBar.Show();
    FBar.BringToFront();
    ShowProgress(true);
}

void TPageJob::Conceal() {
    ::KillTimer(FWindow.Handle(), RevealTimer);
    if (!FShown)
        return;
    FShown = false;
    FBar.Hide();
    FTaskbar.reset();
    FStart.SetCaption(FStartCaption);
    for (size_t i = 0; i < FInputs.size(); ++i)
        FInputs[i]->SetEnabled(FWereEnabled[i]);
}

void TPageJob::ShowProgress(bool paintNow) {
    const TJobWorker::TProgress progress = FWorker->TakeProgress();
    FBar.SetProgress(progress.Done, progress.Total, Seconds());
    if (FTaskbar)
        FTaskbar->SetValue(progress.Done, progress.Total);
    // Reports may follow each other faster than the queue lets WM_PAINT through.
    const auto now = std::chrono::steady_clock::now();
    if (paintNow || now - FLastPaint >= PaintInterval) {
        FLastPaint = now;
        FBar.Update();
    }
}

double TPageJob::Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - FStarted).count();
}

void TPageJob::Finish(bool closing) {
    std::exception_ptr error = FWorker->Wait();
    FWorker.reset();
    FFinishPending = false;
    Conceal();
    TellEnd(error, closing);
}

void TPageJob::TellEnd(const std::exception_ptr& error, bool closing) {
    if (!error) {
        Application->MessageBox(FCompletedText, Application->Title(), MB_OK | MB_ICONINFORMATION);
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const EJobCancelled& cancelled) {
        const std::string message = cancelled.what();
        const bool plain = IsPlainCancellation(message);
        if (!(closing && plain))
            Application->MessageBox(message, Application->Title(), MB_OK | (plain ? MB_ICONINFORMATION : MB_ICONWARNING));
    } catch (...) {
        Application->HandleException(std::current_exception());
    }
}

} // namespace sj
