#include "forms/UtilWindow.h"

#include "forms/Controls.h"
#include "platform/Exception.h"

#include <exception>

namespace sj {

namespace {

constexpr char UtilWindowClass[] = "SjUtilWindow";

void RegisterUtilWindowClass() {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcA;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = UtilWindowClass;
        return ::RegisterClassA(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered) {
        throw Exception("Cannot register the utility window class");
    }
}

} // namespace

TUtilWindow::TUtilWindow(THandler handler) : FHandler(std::move(handler)) {
    RegisterUtilWindowClass();
    FHandle = ::CreateWindowExA(WS_EX_TOOLWINDOW, UtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                ::GetModuleHandleA(nullptr), nullptr);
    if (FHandle == nullptr) {
        throw Exception("Cannot create the utility window");
    }
    ::SetWindowLongPtrA(FHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrA(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TUtilWindow::WindowProc));
}

TUtilWindow::~TUtilWindow() {
    if (FHandle != nullptr) {
        ::SetWindowLongPtrA(FHandle, GWLP_USERDATA, 0);
        ::DestroyWindow(FHandle);
    }
}

LRESULT CALLBACK TUtilWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TUtilWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr || !self->FHandler) {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    // A copy: the handler may destroy the window's owner (a timer freeing itself
    // in its own event) while it runs.
    const THandler handler = self->FHandler;
    LRESULT result = 0;
    try {
        if (handler(message, wParam, lParam, result)) {
            return result;
        }
    } catch (...) {
        HandleBoundaryException(std::current_exception());
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace sj
