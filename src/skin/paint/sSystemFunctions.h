// System functions that older or stripped-down systems may lack, looked up once at
// start-up: the layered-window calls of user32 and the triangle gradient fill of
// msimg32. Each may be absent; callers test before use. The libraries stay loaded
// until ReleaseSystemFunctions (or the end of the process).
//
// The layered-window entries live in a replaceable table so that tests can record
// what a window asks of the system.
#pragma once

#include <windows.h>

namespace sj {

struct TacLayeredWindowFunctions {
    using TUpdateLayeredWindow = BOOL(WINAPI*)(HWND window, HDC screen, POINT* position, SIZE* size, HDC source,
                                               POINT* sourcePosition, COLORREF key, BLENDFUNCTION* blend, DWORD flags);
    using TSetLayeredWindowAttributes = BOOL(WINAPI*)(HWND window, COLORREF key, BYTE alpha, DWORD flags);

    TUpdateLayeredWindow UpdateLayeredWindow = nullptr;
    TSetLayeredWindowAttributes SetLayeredWindowAttributes = nullptr;
};

// The process-wide table; tests may put their own functions in it.
TacLayeredWindowFunctions& LayeredWindowFunctions();

// Loads the libraries and fills whatever is still empty: the layered-window table and
// the triangle-gradient hook of the gradient painter (left alone when GradientFill is
// missing). Calling it again does nothing new.
void InitSystemFunctions();
// Empties the entries taken from the libraries and releases them; the gradient hook
// goes back to the portable fill.
void ReleaseSystemFunctions();

bool LayeredWindowsAvailable();

// Calls through the table; FALSE when the function is absent.
BOOL acUpdateLayeredWindow(HWND window, HDC screen, POINT* position, SIZE* size, HDC source, POINT* sourcePosition,
                           COLORREF key, BLENDFUNCTION* blend, DWORD flags);
BOOL acSetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags);

// Whether the triangle-gradient hook currently draws through the system's GradientFill.
bool SystemGradientFillInstalled();

} // namespace sj
