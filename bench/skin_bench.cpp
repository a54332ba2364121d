// How fast the program's windows take the skin, measured where they run (Wine or Windows):
//   - start to first complete paint: SplitJoin.exe started, until it waits for input
//     with its window painted (WaitForInputIdle), the first run cold, then warm runs;
//   - the same inside one process: the main window built from its stored form, shown
//     and painted completely;
//   - skin switch: the median over all internal skins of announcing a skin, rebuilding
//     the controls' caches and repainting the whole window;
//   - GDI objects of the process before and after 200 switches.
// Usage: skin_bench.exe [warm-runs]   (run from the program's folder)
#include "forms/Forms.h"
#include "shell/MainUnit.h"
#include "skin/data/sSkinManager.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// GetGuiResources answers 0 under Wine, whose GDI also accepts a handle's low word
// alone: count the live objects by asking every low word for its type there.
unsigned GdiObjectCount() {
    const DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0)
        return reported;
    unsigned count = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0)
            ++count;
    return count;
}

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

struct TFindWindow {
    DWORD ProcessId;
    HWND Found;
};

BOOL CALLBACK FindVisibleWindowOf(HWND window, LPARAM data) {
    auto& find = *reinterpret_cast<TFindWindow*>(data);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == find.ProcessId && ::IsWindowVisible(window) && ::GetWindow(window, GW_OWNER) == nullptr) {
        find.Found = window;
        return FALSE;
    }
    return TRUE;
}

// One start of the program: milliseconds until it is idle with its window shown, or a
// negative number when it did not get there.
double TimeProgramStart(const std::string& program) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + program + "\"";
    const auto start = Clock::now();
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return -1;
    const bool idle = ::WaitForInputIdle(process.hProcess, 30000) == 0;
    const double elapsed = MillisecondsSince(start);
    TFindWindow find{process.dwProcessId, nullptr};
    for (int attempt = 0; attempt < 100 && find.Found == nullptr; ++attempt) {
        ::EnumWindows(FindVisibleWindowOf, reinterpret_cast<LPARAM>(&find));
        if (find.Found == nullptr)
            ::Sleep(50);
    }
    if (find.Found != nullptr)
        ::PostMessageA(find.Found, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return idle && find.Found != nullptr ? elapsed : -1;
}

void PaintCompletely(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    sj::Application->ProcessMessages();
}

void ReportProgramStarts(int warmRuns) {
    const std::string program = ProgramFolder() + "SplitJoin.exe";
    const double cold = TimeProgramStart(program);
    std::vector<double> warm;
    for (int run = 0; run < warmRuns; ++run) {
        const double time = TimeProgramStart(program);
        if (time >= 0)
            warm.push_back(time);
    }
    std::printf("start to first paint, own process: cold %.1f ms, warm median %.1f ms over %zu runs (target < 250)\n",
                cold, Median(warm), warm.size());
}

void ReportSkinSwitches(sj::TFormMain& form, sj::TsSkinManager& manager) {
    std::vector<std::string> skins;
    manager.ListSkins(skins, 0);
    if (skins.empty()) {
        std::printf("skin switch: no skins listed\n");
        return;
    }
    // A switch loads the skin, announces it to the frozen windows and, when they thaw,
    // repaints each of them completely (frame, border window, all controls).
    (void)form;
    auto switchTo = [&](const std::string& skin) {
        const auto start = Clock::now();
        manager.SetSkinName(skin);
        sj::Application->ProcessMessages();
        return MillisecondsSince(start);
    };
    std::vector<double> times;
    for (size_t i = 1; i <= skins.size(); ++i)
        times.push_back(switchTo(skins[i % skins.size()]));
    const auto slowest = std::max_element(times.begin(), times.end());
    std::printf("skin switch: median %.1f ms, slowest %.1f ms (%s) over %zu skins (target median < 40)\n",
                Median(times), *slowest, skins[(slowest - times.begin() + 1) % skins.size()].c_str(), times.size());

    const unsigned before = GdiObjectCount();
    for (int i = 1; i <= 200; ++i)
        switchTo(skins[i % skins.size()]);
    switchTo(skins[0]);
    const unsigned after = GdiObjectCount();
    std::printf("GDI objects: %u before, %u after 200 switches (%+d)\n", before, after,
                static_cast<int>(after) - static_cast<int>(before));
}

} // namespace

int main(int argc, char** argv) {
    const int warmRuns = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    ReportProgramStarts(warmRuns);

    using namespace sj;
    const auto start = Clock::now();
    auto form = std::make_unique<TFormMain>(Application);
    form->Show();
    PaintCompletely(form->Handle());
    std::printf("start to first paint, in process: %.1f ms (form built, skin loaded, shown, painted)\n",
                MillisecondsSince(start));

    auto* manager = form->FindComponentOf<TsSkinManager>("sSkinManager1");
    if (manager == nullptr) {
        std::printf("the main window has no skin manager\n");
        return 1;
    }
    ReportSkinSwitches(*form, *manager);
    form.reset();
    DoneApplication();
    return 0;
}
