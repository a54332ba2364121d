// A split or join running on a thread of its own, so the window keeps answering.
// The thread runs the job and nothing else: it never touches a window or a skin
// object. It tells its owner through two notifications, which must be safe to call
// from any thread (the window posts itself a message), and keeps the latest progress
// for the owner to read. Progress notifications are not repeated while the owner has
// not taken the last one, so a slow owner is never flooded.
#pragma once

#include "engine/JobControl.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace sj {

// The line a running job shows: "42 % - 85.3 MB/s - 0:12 left" after `seconds` of
// work; the percentage alone while the rate is not yet known.
std::string JobStatusText(std::int64_t done, std::int64_t total, double seconds);

class TJobWorker {
public:
    using TJob = std::function<void(const TProgressEvent& progress, const TCancelQuery& cancel)>;
    using TNotify = std::function<void()>;

    struct TProgress {
        std::int64_t Done = 0;
        std::int64_t Total = 0;
        int Part = 0;
    };

    // Starts the job at once. progressed and finished are called on the worker's thread.
    TJobWorker(TJob job, TNotify progressed, TNotify finished);
    // A job still running is cancelled and waited for.
    ~TJobWorker();
    TJobWorker(const TJobWorker&) = delete;
    TJobWorker& operator=(const TJobWorker&) = delete;

    // Asks the job to stop at its next copy; it then cleans up and ends.
    void Cancel() { cancel_ = true; }
    bool CancelRequested() const { return cancel_; }
    // True once the job has returned or failed (finished has been or is being called).
    bool Finished() const { return finished_; }
    // The latest progress; the next report notifies again.
    TProgress TakeProgress();
    // Waits for the thread to end; returns the job's failure, or null when it succeeded.
    std::exception_ptr Wait();

private:
    void Run(const TJob& job);
    void Report(std::int64_t done, std::int64_t total, int part);

    TNotify progressed_;
    TNotify finishedNotify_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> progressPending_{false};
    std::mutex progressLock_;
    TProgress progress_;
    std::exception_ptr error_;
    std::thread thread_;
};

} // namespace sj
