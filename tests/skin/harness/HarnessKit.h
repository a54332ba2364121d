// What the harness tests share: the harness form in a skin, the adapters of its
// windows, and pointer positions on the bars.
#pragma once

#include "tests/skin/harness/ScrollHarness.h"

#include <gtest/gtest.h>

#include <memory>
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
