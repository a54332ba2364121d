// How fast the program's windows take the skin, measured where they run (Wine or Windows):
//   - start: SplitJoin.exe and a floor program (a bare window of the same size, painted)
//     started alternately until they wait for input (WaitForInputIdle), the first run of
//     each cold, then warm runs; SplitJoin's start is reported as the floor plus our own
//     time;
//   - the same inside one process: the main window built from its stored form and shown,
//     to the first frame of its show animation and to the animation's final frame;
//   - skin switch over all internal skins: the work before the first frame of the
//     cross-fade (capture, load, new caches), the share of late fade frames (pushed more
//     than one 12 ms interval after they were due), the whole switch with its fade;
//   - GDI objects and windows of the process over 200 switches and over 50 show and hide
//     cycles of the About box with the show and hide animations on.
// Every layered-window call is timed through the system-function table.
// Usage: skin_bench.exe [warm-runs [parts]]   (run from the program's folder); parts is
// any of "start", "switch" and "about" joined by commas, all by default.
#include "forms/Forms.h"
#include "shell/About.h"
#include "shell/MainUnit.h"
#include "skin/data/sSkinManager.h"
#include "skin/frame/sFade.h"
#include "skin/frame/sFadeSteps.h"
#include "skin/paint/sSystemFunctions.h"

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
    const std::string floor = ProgramFolder() + "floor_window.exe";
    const double coldFloor = TimeProgramStart(floor);
    const double cold = TimeProgramStart(program);
    std::vector<double> warm, warmFloor;
    for (int run = 0; run < warmRuns; ++run) {
        // Alternately, so that both meet the same state of the machine.
        if (const double time = TimeProgramStart(floor); time >= 0)
            warmFloor.push_back(time);
        if (const double time = TimeProgramStart(program); time >= 0)
            warm.push_back(time);
    }
    const double ours = Median(warm), base = Median(warmFloor);
    std::printf("start to input idle, own process: SplitJoin cold %.1f ms, warm median %.1f ms; floor program cold "
                "%.1f ms, warm median %.1f ms (%zu runs each)\n",
                cold, ours, coldFloor, base, warm.size());
    std::printf("  SplitJoin's start = floor %.1f ms + our own %.1f ms (aim: own time before the first frame <= 60)\n",
                base, ours - base);
}

// ---- layered-window calls, timed -------------------------------------------------------

struct TFrame {
    Clock::time_point Time;
    HWND Window;
    int Alpha;
    bool AnimationWindow; // a window of the animations' own class (cross-fade, show)
    double Upload;        // milliseconds the call took
};

struct TFrameClock {
    static inline std::vector<TFrame> Frames;
    static inline sj::TacLayeredWindowFunctions::TUpdateLayeredWindow Next = nullptr;
    static BOOL WINAPI Call(HWND window, HDC screen, POINT* position, SIZE* size, HDC source, POINT* at, COLORREF key,
                            BLENDFUNCTION* blend, DWORD flags) {
        const auto start = Clock::now();
        const BOOL result = Next(window, screen, position, size, source, at, key, blend, flags);
        const double upload = MillisecondsSince(start);
        char name[32] = {};
        ::GetClassNameA(window, name, sizeof name);
        Frames.push_back(TFrame{Clock::now(), window, blend != nullptr ? blend->SourceConstantAlpha : 255,
                                std::string(name) == "acAnimationWindow", upload});
        return result;
    }
    static void Install() {
        Next = sj::LayeredWindowFunctions().UpdateLayeredWindow;
        sj::LayeredWindowFunctions().UpdateLayeredWindow = &Call;
    }
    static void Remove() { sj::LayeredWindowFunctions().UpdateLayeredWindow = Next; }
};

// The windows of this thread, hidden or shown.
unsigned ThreadWindowCount() {
    unsigned count = 0;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND, LPARAM data) {
            ++*reinterpret_cast<unsigned*>(data);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

void ReportInProcessStart(Clock::time_point start, int showTime) {
    // The show animation on the border window: a setup push at alpha 0, steps + 1 frames,
    // then the whole picture (its final frame).
    const int steps = sj::FormAnimationSteps(showTime);
    HWND animated = nullptr;
    int pushes = 0;
    double first = -1, last = -1;
    for (const TFrame& frame : TFrameClock::Frames) {
        if (animated == nullptr && frame.Alpha == 0)
            animated = frame.Window;
        if (frame.Window != animated)
            continue;
        const double at = std::chrono::duration<double, std::milli>(frame.Time - start).count();
        if (first < 0 && frame.Alpha > 0)
            first = at;
        if (pushes++ == steps + 2)
            last = at;
    }
    std::printf("in process: first show-animation frame at %.1f ms, final frame at %.1f ms (%d steps of 12 ms)\n",
                first, last, steps);
}

// Where a switch's time before its fade goes: the skin-change steps the manager calls,
// timed (capture of the old look, then the load until the forms are frozen, then the
// announcement until they thaw; the thaw takes the new look's picture and fades).
struct TStepClock {
    static inline Clock::time_point Start, Captured, Frozen, Thawing;
    static void Install() {
        sj::TacSkinChangeSteps steps;
        // The first of each step in a switch counts (a switch may thaw twice).
        steps.Capture = [](sj::TsSkinManager& manager) {
            sj::CaptureFormsForSkinChange(manager);
            if (Captured == Start)
                Captured = Clock::now();
        };
        steps.Freeze = [](sj::TsSkinManager& manager) {
            if (Frozen == Start)
                Frozen = Clock::now();
            sj::FreezeForms(manager);
        };
        steps.Unfreeze = [](sj::TsSkinManager& manager, bool animate) {
            if (Thawing == Start)
                Thawing = Clock::now();
            sj::UnfreezeForms(manager, animate);
        };
        sj::SetSkinChangeSteps(std::move(steps));
    }
    static double Between(Clock::time_point from, Clock::time_point to) {
        return std::chrono::duration<double, std::milli>(to - from).count();
    }
};

void ReportSkinSwitches(sj::TFormMain& form, sj::TsSkinManager& manager) {
    std::vector<std::string> skins;
    manager.ListSkins(skins, 0);
    if (skins.empty()) {
        std::printf("skin switch: no skins listed\n");
        return;
    }
    (void)form;
    const int steps = sj::FormAnimationSteps(manager.AnimEffects.SkinChanging.Time);
    std::vector<double> before, whole, capture, load, announce, newPicture, uploads;
    int frames = 0, late = 0;
    TStepClock::Install();
    auto switchTo = [&](const std::string& skin) {
        TFrameClock::Frames.clear();
        const auto start = Clock::now();
        TStepClock::Start = TStepClock::Captured = TStepClock::Frozen = TStepClock::Thawing = start;
        manager.SetSkinName(skin);
        sj::Application->ProcessMessages();
        const double total = MillisecondsSince(start);
        // The cross-fade window: its first push (alpha 0) ends the work before the fade;
        // then its rising frames, each due 12 ms after the one before.
        HWND fade = nullptr;
        std::vector<Clock::time_point> stepping;
        for (const TFrame& frame : TFrameClock::Frames)
            uploads.push_back(frame.Upload);
        for (const TFrame& frame : TFrameClock::Frames) {
            if (fade == nullptr && frame.AnimationWindow) {
                fade = frame.Window;
                before.push_back(std::chrono::duration<double, std::milli>(frame.Time - start).count());
                capture.push_back(TStepClock::Between(start, TStepClock::Captured));
                load.push_back(TStepClock::Between(TStepClock::Captured, TStepClock::Frozen));
                announce.push_back(TStepClock::Between(TStepClock::Frozen, TStepClock::Thawing));
                newPicture.push_back(TStepClock::Between(TStepClock::Thawing, frame.Time));
            } else if (frame.Window == fade && frame.Alpha > 0) {
                stepping.push_back(frame.Time);
            }
        }
        // The steps + 1 fade frames; the whole picture pushed after them is not one.
        if (stepping.size() > static_cast<size_t>(steps) + 1)
            stepping.resize(static_cast<size_t>(steps) + 1);
        for (size_t k = 1; k < stepping.size(); ++k) {
            const double behind = std::chrono::duration<double, std::milli>(stepping[k] - stepping[0]).count() -
                                  12.0 * static_cast<double>(k);
            ++frames;
            late += behind > 12.0 ? 1 : 0;
        }
        return total;
    };
    for (size_t i = 1; i <= skins.size(); ++i)
        whole.push_back(switchTo(skins[i % skins.size()]));
    const auto slowest = std::max_element(before.begin(), before.end());
    std::printf("skin switch over %zu skins: work before the first fade frame median %.1f ms, slowest %.1f ms "
                "(aim median <= 40); whole switch with its %d-step fade median %.1f ms\n",
                skins.size(), Median(before), slowest != before.end() ? *slowest : 0.0, steps, Median(whole));
    std::printf("  late fade frames (more than 12 ms after due): %d of %d (%.1f %%)\n", late, frames,
                frames > 0 ? 100.0 * late / frames : 0.0);
    std::printf("  before the fade, medians: old look captured %.1f ms, skin loaded %.1f ms, announced to the "
                "frozen window %.1f ms, new look pictured %.1f ms\n",
                Median(capture), Median(load), Median(announce), Median(newPicture));
    std::printf("  layered-window uploads during the switches: %zu, median %.1f ms each\n", uploads.size(),
                Median(uploads));

    const unsigned gdiBefore = GdiObjectCount(), windowsBefore = ThreadWindowCount();
    for (int i = 1; i <= 200; ++i)
        switchTo(skins[i % skins.size()]);
    switchTo(skins[0]);
    const unsigned gdiAfter = GdiObjectCount(), windowsAfter = ThreadWindowCount();
    std::printf("200 switches: GDI objects %u before, %u after (%+d); windows %u before, %u after (%+d)\n", gdiBefore,
                gdiAfter, static_cast<int>(gdiAfter) - static_cast<int>(gdiBefore), windowsBefore, windowsAfter,
                static_cast<int>(windowsAfter) - static_cast<int>(windowsBefore));
}

// 50 times the About box opened (zooming in) and closed (zooming out on the hide timer).
void ReportAboutCycles(sj::TFormMain& form, sj::TsSkinManager& manager) {
    const WORD hideTime = manager.AnimEffects.FormHide.Time;
    manager.AnimEffects.FormHide.Time = 60;
    std::vector<double> made, shown, hidden, freed, hideFrames;
    auto cycle = [&] {
        auto start = Clock::now();
        auto about = std::make_unique<sj::TFormAbout>(&form);
        made.push_back(MillisecondsSince(start));
        start = Clock::now();
        about->Show();
        sj::Application->ProcessMessages();
        shown.push_back(MillisecondsSince(start));
        start = Clock::now();
        TFrameClock::Frames.clear();
        about->Close();
        while (sj::HideAnimationRunning() && MillisecondsSince(start) < 2000) {
            sj::Application->ProcessMessages();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
        }
        hidden.push_back(MillisecondsSince(start));
        if (hideFrames.empty())
            for (const TFrame& frame : TFrameClock::Frames)
                hideFrames.push_back(std::chrono::duration<double, std::milli>(frame.Time - start).count());
        start = Clock::now();
        about.reset();
        sj::Application->ProcessMessages();
        freed.push_back(MillisecondsSince(start));
    };
    cycle(); // the shared hide timer is made once, at the first hide
    const unsigned gdiBefore = GdiObjectCount(), windowsBefore = ThreadWindowCount();
    const auto start = Clock::now();
    for (int i = 0; i < 50; ++i)
        cycle();
    const double elapsed = MillisecondsSince(start);
    const unsigned gdiAfter = GdiObjectCount(), windowsAfter = ThreadWindowCount();
    manager.AnimEffects.FormHide.Time = hideTime;
    std::printf("50 About box show/hide cycles (show 70 ms, hide 60 ms), %.0f ms: GDI objects %u before, %u after "
                "(%+d); windows %u before, %u after (%+d)\n",
                elapsed, gdiBefore, gdiAfter, static_cast<int>(gdiAfter) - static_cast<int>(gdiBefore), windowsBefore,
                windowsAfter, static_cast<int>(windowsAfter) - static_cast<int>(windowsBefore));
    std::printf("  a cycle, medians: made %.1f ms, shown with its zoom %.1f ms, hidden with its zoom %.1f ms, freed "
                "%.1f ms\n",
                Median(made), Median(shown), Median(hidden), Median(freed));
    std::printf("  the first hide's layered-window calls at (ms after the close):");
    for (double at : hideFrames)
        std::printf(" %.0f", at);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    const int warmRuns = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string parts = argc > 2 ? argv[2] : "start,switch,about";
    auto wanted = [&](const char* part) { return parts.find(part) != std::string::npos; };
    if (wanted("start"))
        ReportProgramStarts(warmRuns);

    using namespace sj;
    sj::InitSystemFunctions();
    TFrameClock::Install();
    const auto start = Clock::now();
    auto form = std::make_unique<TFormMain>(Application);
    const double built = MillisecondsSince(start);
    form->Show();
    const double shown = MillisecondsSince(start);
    PaintCompletely(form->Handle());
    std::printf("start in process: form built and skin loaded %.1f ms, shown with its animation %.1f ms, painted "
                "%.1f ms\n",
                built, shown, MillisecondsSince(start));

    auto* manager = form->FindComponentOf<TsSkinManager>("sSkinManager1");
    if (manager == nullptr) {
        std::printf("the main window has no skin manager\n");
        return 1;
    }
    ReportInProcessStart(start, manager->AnimEffects.FormShow.Time);
    if (wanted("switch"))
        ReportSkinSwitches(*form, *manager);
    if (wanted("about"))
        ReportAboutCycles(*form, *manager);
    TFrameClock::Remove();
    form.reset();
    DoneApplication();
    return 0;
}
