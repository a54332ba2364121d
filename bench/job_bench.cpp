// The window's way of running a split and a join (worker thread, progress bar and
// taskbar progress on, the window's message loop running) against the engine alone,
// on the same file in the same run, where the program runs (Wine or Windows):
//   - throughput of both and their ratio (window / engine), best of the rounds;
//   - the longest time the window took to answer a message sent to it while a job ran.
// Usage: job_bench.exe [size-in-MiB] [rounds]   (run from the program's folder)
#include "engine/FileSplitter.h"
#include "forms/Dialogs.h"
#include "forms/Forms.h"
#include "shell/MainUnit.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Sends the window WM_NULL every few milliseconds from another thread and keeps the
// longest wait for the answer.
class TAnswerProbe {
public:
    explicit TAnswerProbe(HWND window)
        : FThread([this, window] {
              while (!FStop) {
                  const auto start = Clock::now();
                  DWORD_PTR result = 0;
                  ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
                  FWorstUs = std::max<long long>(
                      FWorstUs, std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count());
                  ::Sleep(2);
              }
              FDone = true;
          }) {}
    // Answers while the thread ends, so its last message is not left waiting.
    double StopAndWorstMs() {
        FStop = true;
        while (!FDone) {
            sj::Application->ProcessMessages();
            ::Sleep(1);
        }
        FThread.join();
        return static_cast<double>(FWorstUs) / 1000.0;
    }

private:
    std::atomic<bool> FStop{false};
    std::atomic<bool> FDone{false};
    std::atomic<long long> FWorstUs{0};
    std::thread FThread;
};

void RunMessagesUntilIdle(sj::TFormMain& form) {
    while (form.JobRunning()) {
        sj::Application->ProcessMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

struct TResult {
    double Seconds = 0;
    double WorstAnswerMs = 0;
};

TResult WindowJob(sj::TFormMain& form, sj::TButton& start) {
    TAnswerProbe probe(form.Handle());
    const auto begin = Clock::now();
    ::SendMessageA(start.Handle(), BM_CLICK, 0, 0);
    RunMessagesUntilIdle(form);
    TResult result;
    result.Seconds = SecondsSince(begin);
    result.WorstAnswerMs = probe.StopAndWorstMs();
    return result;
}

void WriteSample(const std::string& path, std::int64_t bytes) {
    std::ofstream file(path, std::ios::binary);
    std::mt19937_64 random(7);
    std::vector<std::uint64_t> block(1 << 17);
    for (std::int64_t written = 0; written < bytes; written += static_cast<std::int64_t>(block.size() * 8)) {
        for (auto& word : block)
            word = random();
        file.write(reinterpret_cast<const char*>(block.data()),
                   static_cast<std::streamsize>(std::min<std::int64_t>(bytes - written, block.size() * 8)));
    }
}

void Report(const char* step, double bytes, double engine, const TResult& window) {
    const double mib = bytes / 1048576.0;
    std::printf("%-6s %10.1f MiB/s %10.1f MiB/s %7.3f %12.1f ms\n", step, mib / engine, mib / window.Seconds,
                engine / window.Seconds, window.WorstAnswerMs);
}

} // namespace

int main(int argc, char** argv) {
    using namespace sj;
    const std::int64_t mib = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1024;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
    const std::filesystem::path work = std::filesystem::temp_directory_path() / "sj-job-bench";
    std::filesystem::remove_all(work);
    for (const char* folder : {"engine", "engine-out", "window", "window-out"})
        std::filesystem::create_directories(work / folder);
    const std::string sample = (work / "sample.bin").string();
    const std::int64_t bytes = mib << 20;
    std::printf("job bench: %lld MiB sample in %s, parts of 100 MB, %d rounds\n", static_cast<long long>(mib),
                work.string().c_str(), rounds);
    WriteSample(sample, bytes);

    TMessageBoxOverride answer([](HWND, const std::string&, const std::string&, UINT) { return IDOK; });
    auto form = std::make_unique<TFormMain>(Application);
    form->Show();
    Application->ProcessMessages();
    form->EditFile->SetText(sample);
    form->EditOutputFolder->SetText((work / "window").string());
    form->RadioButton100->SetChecked(true);
    form->EditFileJoin->SetText((work / "window" / "sample_split001.bin").string());
    form->EditFileJoinFolder->SetText((work / "window-out").string());

    double engineSplit = 1e30, engineJoin = 1e30;
    TResult windowSplit{1e30, 0}, windowJoin{1e30, 0};
    for (int round = 0; round < rounds; ++round) {
        // The engine alone, as the window would call it.
        auto begin = Clock::now();
        TFileSplitter splitter;
        splitter.SetSourceFile(sample);
        splitter.DestFile = MakeSplitDestFile(sample, (work / "engine").string());
        splitter.PartSize = Size100PartSize;
        splitter.Split();
        engineSplit = std::min(engineSplit, SecondsSince(begin));
        begin = Clock::now();
        TFileJointer jointer;
        jointer.SetPartFile((work / "engine" / "sample_split001.bin").string());
        jointer.DestFolder = (work / "engine-out").string();
        jointer.Join();
        engineJoin = std::min(engineJoin, SecondsSince(begin));

        // The window's way.
        form->PageControl1->SetActivePage(form->TabSheet1);
        TResult split = WindowJob(*form, *form->btnStart);
        form->PageControl1->SetActivePage(form->TabSheet2);
        TResult join = WindowJob(*form, *form->btnStartJoin);
        windowSplit.Seconds = std::min(windowSplit.Seconds, split.Seconds);
        windowSplit.WorstAnswerMs = std::max(windowSplit.WorstAnswerMs, split.WorstAnswerMs);
        windowJoin.Seconds = std::min(windowJoin.Seconds, join.Seconds);
        windowJoin.WorstAnswerMs = std::max(windowJoin.WorstAnswerMs, join.WorstAnswerMs);
    }
    std::printf("\n%-6s %16s %16s %7s %15s\n", "step", "engine", "window", "ratio", "worst answer");
    Report("split", static_cast<double>(bytes), engineSplit, windowSplit);
    Report("join", static_cast<double>(bytes), engineJoin, windowJoin);
    std::printf("(ratio: engine time / window time; worst answer: longest wait for WM_NULL while a job ran)\n");
    form.reset();
    DoneApplication();
    std::filesystem::remove_all(work);
    return 0;
}
