// What a long split or join tells its caller while it runs, and how the caller stops
// it. Progress is reported at most every ReportBytes or ReportInterval, so a caller on
// another thread is never flooded; a cancel request is honoured between two copies.
#pragma once

#include "platform/Exception.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace sj {

// Bytes done of the bytes expected in all, and the number (from 1) of the part being
// written or read.
using TProgressEvent = std::function<void(int64_t done, int64_t total, int part)>;
// Asked between two copies; true stops the job, which then removes what it wrote.
using TCancelQuery = std::function<bool()>;

// A job stopped at its caller's request; the message is meant for the user.
class EJobCancelled : public Exception {
public:
    using Exception::Exception;
};

// Lets through the reports of a job that are at least ReportBytes or ReportInterval
// apart, and the last one.
class TProgressThrottle {
public:
    static constexpr int64_t ReportBytes = int64_t{1} << 20;
    static constexpr std::chrono::milliseconds ReportInterval{50};

    explicit TProgressThrottle(const TProgressEvent& event) : event_(event) {}

    void Report(int64_t done, int64_t total, int part) {
        if (!event_) {
            return;
        }
        auto now = Clock::now();
        if (done < total && done - lastDone_ < ReportBytes && now - lastTime_ < ReportInterval) {
            return;
        }
        lastDone_ = done;
        lastTime_ = now;
        atTotal_ = done == total;
        event_(done, total, part);
    }

    // The report of a completed job, unless the last one already said so.
    void Finish(int64_t total, int part) {
        if (event_ && !atTotal_) {
            lastDone_ = total;
            atTotal_ = true;
            event_(total, total, part);
        }
    }

private:
    using Clock = std::chrono::steady_clock;
    const TProgressEvent& event_;
    int64_t lastDone_ = 0;
    bool atTotal_ = false;
    Clock::time_point lastTime_ = Clock::now();
};

} // namespace sj
