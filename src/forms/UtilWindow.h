// TUtilWindow: a hidden top-level window whose messages go to a handler function.
// Timers and pop-up menus use one to receive WM_TIMER and the menu messages.
//
// The window never shows and is never activated by itself. Exceptions thrown by the
// handler stop at the window procedure and go to the framework's boundary handler
// (the application's exception handler).
#pragma once

#include <windows.h>

#include <functional>

namespace sj {

class TUtilWindow {
public:
    // Returns true when it handled the message and set `result`; otherwise the
    // default window procedure runs.
    using THandler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

    explicit TUtilWindow(THandler handler);
    ~TUtilWindow();
    TUtilWindow(const TUtilWindow&) = delete;
    TUtilWindow& operator=(const TUtilWindow&) = delete;

    HWND Handle() const { return FHandle; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    THandler FHandler;
    HWND FHandle = nullptr;
};

} // namespace sj
