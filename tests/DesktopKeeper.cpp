// Keeps Wine's desktop open while the Windows tests run.
//
// Wine's desktop process (explorer.exe /desktop) quits about a second after the
// last program with a window on the desktop has gone, and the next program that
// needs a desktop starts it again. A desktop started by a test program inherits
// that program's standard output, which is ctest's pipe: ctest then waits for the
// pipe to close, that is for the desktop to quit, which it does not while other
// tests keep windows open, and the test times out although it passed. The test
// scripts start this program first, with its output thrown away, so the desktop it
// starts lives as long as it does and no test program ever starts one.
//
// Its one argument names a file it creates once its window exists, so that the
// script knows when the desktop is held.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR readyFile, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"SplitJoinDesktopKeeper";
    if (!::RegisterClassW(&windowClass))
        return 1;
    // A top-level window that is never shown: it ties this process to the desktop
    // without ever taking the activation from a test's window.
    HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1,
                                    nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    if (readyFile && *readyFile) {
        HANDLE ready = ::CreateFileA(readyFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (ready != INVALID_HANDLE_VALUE)
            ::CloseHandle(ready);
    }
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&message);
    return 0;
}
