// The worker thread of the window's jobs: the job runs away from the calling thread,
// its progress and end arrive through the notifications, its failure comes back to
// the owner, and a cancel stops a real split with nothing left behind.
#include "shell/JobWorker.h"

#include "engine/FileSplitter.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>

namespace sj {
namespace {

using namespace std::chrono_literals;

// What the notifications told, waited for as the window's message loop would.
struct TInbox {
    std::mutex Lock;
    std::condition_variable Changed;
    int Progressed = 0;
    bool Finished = false;
    std::thread::id NotifiedFrom;

    TJobWorker::TNotify OnProgress() {
        return [this] {
            std::lock_guard<std::mutex> lock(Lock);
            ++Progressed;
            NotifiedFrom = std::this_thread::get_id();
            Changed.notify_all();
        };
    }
    TJobWorker::TNotify OnFinished() {
        return [this] {
            std::lock_guard<std::mutex> lock(Lock);
            Finished = true;
            Changed.notify_all();
        };
    }
    bool WaitFor(const std::function<bool()>& condition) {
        std::unique_lock<std::mutex> lock(Lock);
        return Changed.wait_for(lock, 10s, condition);
    }
};

TEST(JobWorker, RunsTheJobElsewhereAndHandsBackItsProgressAndEnd) {
    TInbox inbox;
    std::thread::id jobThread;
    TJobWorker worker(
        [&](const TProgressEvent& progress, const TCancelQuery&) {
            jobThread = std::this_thread::get_id();
            progress(10, 100, 1);
            progress(60, 100, 2); // before the owner took the first: no second notification
        },
        inbox.OnProgress(), inbox.OnFinished());
    ASSERT_TRUE(inbox.WaitFor([&] { return inbox.Finished; }));
    EXPECT_EQ(worker.Wait(), nullptr);
    EXPECT_TRUE(worker.Finished());
    EXPECT_NE(jobThread, std::this_thread::get_id());
    EXPECT_EQ(inbox.NotifiedFrom, jobThread);
    EXPECT_EQ(inbox.Progressed, 1);
    TJobWorker::TProgress latest = worker.TakeProgress();
    EXPECT_EQ(latest.Done, 60);
    EXPECT_EQ(latest.Total, 100);
    EXPECT_EQ(latest.Part, 2);
}

TEST(JobWorker, TakingTheProgressArmsTheNextNotification) {
    TInbox inbox;
    std::atomic<int> step{0};
    TJobWorker worker(
        [&](const TProgressEvent& progress, const TCancelQuery& cancel) {
            for (int i = 1; i <= 3; ++i) {
                progress(i, 3, 1);
                while (step < i && !cancel())
                    std::this_thread::sleep_for(1ms);
            }
        },
        inbox.OnProgress(), inbox.OnFinished());
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(inbox.WaitFor([&] { return inbox.Progressed == i; }));
        EXPECT_EQ(worker.TakeProgress().Done, i);
        step = i;
    }
    ASSERT_TRUE(inbox.WaitFor([&] { return inbox.Finished; }));
    EXPECT_EQ(worker.Wait(), nullptr);
}

TEST(JobWorker, FailureComesBackToTheOwner) {
    TInbox inbox;
    TJobWorker worker([](const TProgressEvent&, const TCancelQuery&) { throw Exception("Stream write error"); },
                      inbox.OnProgress(), inbox.OnFinished());
    std::exception_ptr error = worker.Wait();
    ASSERT_NE(error, nullptr);
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
    }
    EXPECT_TRUE(inbox.Finished) << "finished is told before the thread ends";
}

TEST(JobWorker, CancelStopsARealSplitWithNothingLeft) {
    test::TTempDir dir;
    test::WriteFile(dir / "a.bin", test::RandomBytes(300'000));
    TInbox inbox;
    TJobWorker worker(
        [&](const TProgressEvent& progress, const TCancelQuery& cancel) {
            TFileSplitter splitter;
            splitter.SetSourceFile(dir / "a.bin");
            splitter.DestFile = MakeSplitDestFile(dir / "a.bin", "");
            splitter.PartSize = 1024;
            splitter.BufferSize = 64;
            splitter.OnProgress = progress;
            splitter.CancelRequested = [&] {
                std::this_thread::sleep_for(100us); // a slow disk
                return cancel();
            };
            splitter.Split();
        },
        inbox.OnProgress(), inbox.OnFinished());
    while (!std::filesystem::exists(dir / "a_split005.bin") && !worker.Finished())
        std::this_thread::sleep_for(1ms);
    worker.Cancel();
    std::exception_ptr error = worker.Wait();
    ASSERT_NE(error, nullptr) << "the split ended before it could be cancelled";
    EXPECT_THROW(std::rethrow_exception(error), EJobCancelled);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Folder()), {}), 1);
}

TEST(JobWorker, DestroyingTheWorkerCancelsAndWaits) {
    std::atomic<bool> sawCancel{false};
    {
        TJobWorker worker(
            [&](const TProgressEvent&, const TCancelQuery& cancel) {
                while (!cancel())
                    std::this_thread::sleep_for(1ms);
                sawCancel = true;
            },
            nullptr, nullptr);
    }
    EXPECT_TRUE(sawCancel);
}

} // namespace
} // namespace sj

namespace sj {
namespace {

TEST(JobStatusText, PercentRateAndTimeLeft) {
    EXPECT_EQ(JobStatusText(0, 1000, 0.0), "0 %");
    EXPECT_EQ(JobStatusText(420, 1000, 0.1), "42 %") << "too early for a rate";
    EXPECT_EQ(JobStatusText(0, 1000, 5.0), "0 %") << "nothing done: no rate, no estimate";
    const std::int64_t mib = 1 << 20;
    EXPECT_EQ(JobStatusText(100 * mib, 400 * mib, 2.0), "25 % - 50.0 MB/s - 0:06 left");
    EXPECT_EQ(JobStatusText(999, 1000, 1.0), "99 % - 999 bytes/s - 0:01 left") << "rounded down, time up";
    EXPECT_EQ(JobStatusText(3 * (std::int64_t{1} << 30), 4 * (std::int64_t{1} << 30), 2.0),
              "75 % - 1.5 GB/s - 0:01 left");
    EXPECT_EQ(JobStatusText(mib, 7200 * mib + mib, 1.0), "0 % - 1.0 MB/s - 2:00:00 left");
    EXPECT_EQ(JobStatusText(1000, 1000, 1.0), "100 % - 1000 bytes/s");
    EXPECT_EQ(JobStatusText(1500, 1000, 1.0), "100 % - 1.5 KB/s") << "a source that grew";
    EXPECT_EQ(JobStatusText(0, 0, 1.0), "100 %") << "nothing to do is done";
    EXPECT_EQ(JobStatusText(std::int64_t{1} << 62, (std::int64_t{1} << 62) + (std::int64_t{1} << 61), 10.0).substr(0, 4),
              "66 %") << "no overflow";
}

} // namespace
} // namespace sj
