#include "shell/JobWorker.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace sj {

namespace {

// Rates in the binary units Windows shows sizes in.
std::string RateText(double bytesPerSecond) {
    static const char* const units[] = {"bytes/s", "KB/s", "MB/s", "GB/s"};
    int unit = 0;
    while (unit < 3 && bytesPerSecond >= 1024.0) {
        bytesPerSecond /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytesPerSecond, units[unit]);
    return text;
}

std::string DurationText(double seconds) {
    auto whole = static_cast<long long>(std::ceil(seconds));
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

} // namespace

std::string JobStatusText(std::int64_t done, std::int64_t total, double seconds) {
    const int percent = total <= 0 || done >= total ? (done > 0 || total <= 0 ? 100 : 0)
                                                    : static_cast<int>(static_cast<long double>(done) * 100 / total);
    std::string text = std::to_string(percent < 0 ? 0 : percent) + " %";
    // Under a fifth of a second the rate says more about the start than the job.
    if (seconds < 0.2 || done <= 0)
        return text;
    const double rate = static_cast<double>(done) / seconds;
    text += " - " + RateText(rate);
    if (done < total)
        text += " - " + DurationText(static_cast<double>(total - done) / rate) + " left";
    return text;
}

TJobWorker::TJobWorker(TJob job, TNotify progressed, TNotify finished)
    : progressed_(std::move(progressed)), finishedNotify_(std::move(finished)) {
    // Started last, when every member it uses exists.
    thread_ = std::thread([this, job = std::move(job)] { Run(job); });
}

TJobWorker::~TJobWorker() {
    Cancel();
    Wait();
}

void TJobWorker::Run(const TJob& job) {
    try {
        job([this](std::int64_t done, std::int64_t total, int part) { Report(done, total, part); },
            [this] { return cancel_.load(); });
    } catch (...) {
        // Read by the owner only after joining the thread.
        error_ = std::current_exception();
    }
    finished_ = true;
    if (finishedNotify_)
        finishedNotify_();
}

void TJobWorker::Report(std::int64_t done, std::int64_t total, int part) {
    {
        std::lock_guard<std::mutex> lock(progressLock_);
        progress_ = {done, total, part};
    }
    if (!progressPending_.exchange(true) && progressed_)
        progressed_();
}

TJobWorker::TProgress TJobWorker::TakeProgress() {
    progressPending_ = false;
    std::lock_guard<std::mutex> lock(progressLock_);
    return progress_;
}

std::exception_ptr TJobWorker::Wait() {
    if (thread_.joinable())
        thread_.join();
    return error_;
}

} // namespace sj
