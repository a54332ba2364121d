// One-shot thread timers for tests under Wine: an action runs once, after a while,
// inside whatever modal loop (message box, menu, dialog) is running then, so that a
// test can close what it opened without waiting on a person.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <utility>

namespace sj::test {

inline std::map<UINT_PTR, std::function<void()>>& PendingTimerActions() {
    static std::map<UINT_PTR, std::function<void()>> pending;
    return pending;
}

inline void CALLBACK FireTimerAction(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    auto found = PendingTimerActions().find(id);
    if (found == PendingTimerActions().end())
        return;
    std::function<void()> action = std::move(found->second);
    PendingTimerActions().erase(found);
    action();
}

inline void After(UINT milliseconds, std::function<void()> action) {
    PendingTimerActions()[::SetTimer(nullptr, 0, milliseconds, &FireTimerAction)] = std::move(action);
}

} // namespace sj::test
