// What the harness tests share: the harness form in a skin, the adapters of its
// windows, and pointer positions on the bars.
#pragma once

#include "tests/skin/harness/ScrollHarness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "forms/MessageRecorder.h"
#include "skin/controls/acSBUtils.h"

namespace sj::harness::test {

inline constexpr const char* kZest = "Zest (internal)";

inline TacMainWnd* AdapterOf(HWND window) {
    return static_cast<TacMainWnd*>(::GetPropA(window, AdaptedWindowProperty));
}

inline TacScrollWnd* ScrollAdapterOf(HWND window) {
    return dynamic_cast<TacScrollWnd*>(AdapterOf(window));
}

inline LPARAM ScreenPoint(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

// A monkey's pointer: a random point over one of the windows, in screen coordinates,
// and what the window says lies there.
struct TMonkeyPoint {
    HWND Target;
    int X, Y;
    WPARAM Hit;
};
template <std::size_t N> TMonkeyPoint RandomPointOver(std::mt19937& random, const HWND (&windows)[N]) {
    HWND target = windows[random() % N];
    RECT r{};
    ::GetWindowRect(target, &r);
    const int x = r.left + static_cast<int>(random() % static_cast<unsigned>(r.right - r.left));
    const int y = r.top + static_cast<int>(random() % static_cast<unsigned>(r.bottom - r.top));
    const auto hit = static_cast<WPARAM>(::SendMessageA(target, WM_NCHITTEST, 0, ScreenPoint(x, y)));
    return TMonkeyPoint{target, x, y, hit};
}

// The middle of [from, to) along a bar at `along` pixels from its first pixel.
inline POINT OnBar(const RECT& bar, bool vertical, int along) {
    return vertical ? POINT{(bar.left + bar.right) / 2, bar.top + along}
                    : POINT{bar.left + along, (bar.top + bar.bottom) / 2};
}

// Scroll messages (code, position) the window received, in order.
struct TScrollCall {
    int Code;
    int Position;
    friend bool operator==(const TScrollCall&, const TScrollCall&) = default;
};
inline std::vector<TScrollCall> ScrollCalls(const TMessageRecorder& recorder, UINT msg) {
    std::vector<TScrollCall> calls;
    for (const TRecordedMessage& m : recorder.Messages())
        if (m.Msg == msg)
            calls.push_back(TScrollCall{LOWORD(m.WParam), m.LParam != 0 ? static_cast<int>(m.LParam)
                                                                         : static_cast<int>(HIWORD(m.WParam))});
    return calls;
}

// The GDI objects this process holds. Wine's GetGuiResources answers 0, so the count
// is taken from the process's shared GDI handle table (24-byte entries of 64-bit
// systems: the object pointer first, the owner's process id at 8, the type at 14).
inline DWORD LiveGdiObjects() {
    const DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0)
        return counted;
    using TGetPeb = const unsigned char*(WINAPI*)();
    const auto getPeb = reinterpret_cast<TGetPeb>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "RtlGetCurrentPeb")));
    if (getPeb == nullptr)
        return 0;
    const unsigned char* peb = getPeb();
    const auto* table = *reinterpret_cast<const unsigned char* const*>(peb + 0xF8);
    if (table == nullptr)
        return 0;
    const auto pid = static_cast<WORD>(::GetCurrentProcessId());
    DWORD live = 0;
    for (std::size_t i = 0; i < 0x10000; ++i) {
        const unsigned char* entry = table + i * 24;
        std::uint64_t object = 0;
        WORD owner = 0;
        std::memcpy(&object, entry, sizeof object);
        std::memcpy(&owner, entry + 8, sizeof owner);
        if (object != 0 && entry[14] != 0 && (owner == 0 || owner == pid))
            ++live;
    }
    return live;
}

class HarnessTest : public ::testing::Test {
protected:
    void SetUp() override { Open(kZest, srStdForms | srStdDialogs | srThirdParty); }
    void TearDown() override {
        form.reset();
        Pump();
    }
    void Open(const std::string& skin, unsigned rules) {
        form.reset();
        form = std::make_unique<TScrollHarnessForm>(Application, skin, rules);
        form->Show();
        form->Fill();
        Pump(50);
    }
    HWND Memo() { return form->Memo->Handle(); }
    HWND List() { return form->List->Handle(); }
    HWND Tree() { return form->Tree->Handle(); }

    std::unique_ptr<TScrollHarnessForm> form;
};

} // namespace sj::harness::test
