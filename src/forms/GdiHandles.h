// Owners for GDI handles and scoped guards for device-context state.
//
// Every owner is movable and not copyable and releases its handle with the call the
// handle needs (DeleteObject, DestroyIcon, DeleteDC, ReleaseDC). The guards undo
// exactly what they did (selected object, saved DC state, clip region) when they go
// out of scope, in reverse order of construction.
#pragma once

#include <windows.h>

#include <utility>

namespace sj {

// A handle released by `Release::Free(handle)` when the owner dies.
template <typename Handle, typename Release> class TUniqueGdiHandle {
public:
    TUniqueGdiHandle() = default;
    explicit TUniqueGdiHandle(Handle handle) : FHandle(handle) {}
    ~TUniqueGdiHandle() { Reset(); }

    TUniqueGdiHandle(const TUniqueGdiHandle&) = delete;
    TUniqueGdiHandle& operator=(const TUniqueGdiHandle&) = delete;
    TUniqueGdiHandle(TUniqueGdiHandle&& other) noexcept : FHandle(other.Detach()) {}
    TUniqueGdiHandle& operator=(TUniqueGdiHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Detach());
        }
        return *this;
    }

    Handle Get() const { return FHandle; }
    explicit operator bool() const { return FHandle != nullptr; }

    // Gives the handle away; the caller now owns it.
    Handle Detach() { return std::exchange(FHandle, nullptr); }

    void Reset(Handle handle = nullptr) {
        Handle old = std::exchange(FHandle, handle);
        if (old != nullptr && old != handle) {
            Release::Free(old);
        }
    }

private:
    Handle FHandle = nullptr;
};

struct TGdiObjectRelease {
    static void Free(HGDIOBJ handle) { ::DeleteObject(handle); }
};
struct TIconRelease {
    static void Free(HICON handle) { ::DestroyIcon(handle); }
};
struct TDCRelease {
    static void Free(HDC handle) { ::DeleteDC(handle); }
};

using TGdiBitmap = TUniqueGdiHandle<HBITMAP, TGdiObjectRelease>;
using TGdiBrush = TUniqueGdiHandle<HBRUSH, TGdiObjectRelease>;
using TGdiPen = TUniqueGdiHandle<HPEN, TGdiObjectRelease>;
using TGdiFont = TUniqueGdiHandle<HFONT, TGdiObjectRelease>;
using TGdiRegion = TUniqueGdiHandle<HRGN, TGdiObjectRelease>;
using TGdiIcon = TUniqueGdiHandle<HICON, TIconRelease>;
// A DC made by CreateCompatibleDC or CreateDC.
using TOwnedDC = TUniqueGdiHandle<HDC, TDCRelease>;

// A memory DC compatible with `reference` (the screen when null).
class TMemoryDC {
public:
    explicit TMemoryDC(HDC reference = nullptr) : FDC(::CreateCompatibleDC(reference)) {}
    HDC Get() const { return FDC.Get(); }
    explicit operator bool() const { return static_cast<bool>(FDC); }

private:
    TOwnedDC FDC;
};

// The DC of a window from GetDC (the screen's when the window is null), given back
// with ReleaseDC.
class TWindowDC {
public:
    explicit TWindowDC(HWND window = nullptr) : FWindow(window), FDC(::GetDC(window)) {}
    ~TWindowDC() { Reset(); }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    TWindowDC(TWindowDC&& other) noexcept
        : FWindow(std::exchange(other.FWindow, nullptr)), FDC(std::exchange(other.FDC, nullptr)) {}
    TWindowDC& operator=(TWindowDC&& other) noexcept {
        if (this != &other) {
            Reset();
            FWindow = std::exchange(other.FWindow, nullptr);
            FDC = std::exchange(other.FDC, nullptr);
        }
        return *this;
    }

    HDC Get() const { return FDC; }
    HWND Window() const { return FWindow; }
    explicit operator bool() const { return FDC != nullptr; }

private:
    void Reset() {
        if (FDC != nullptr) {
            ::ReleaseDC(FWindow, FDC);
        }
        FDC = nullptr;
        FWindow = nullptr;
    }

    HWND FWindow = nullptr;
    HDC FDC = nullptr;
};

// The DC of WM_PAINT: BeginPaint in the constructor, EndPaint in the destructor.
class TPaintDC {
public:
    explicit TPaintDC(HWND window) : FWindow(window) { FDC = ::BeginPaint(window, &FPaint); }
    ~TPaintDC() { ::EndPaint(FWindow, &FPaint); }
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;

    HDC Get() const { return FDC; }
    const PAINTSTRUCT& Paint() const { return FPaint; }

private:
    HWND FWindow;
    HDC FDC = nullptr;
    PAINTSTRUCT FPaint{};
};

// Selects an object into a DC and selects the previous one back at the end.
class TSelectObjectGuard {
public:
    TSelectObjectGuard(HDC dc, HGDIOBJ object) : FDC(dc) {
        if (dc != nullptr && object != nullptr) {
            FPrevious = ::SelectObject(dc, object);
        }
    }
    ~TSelectObjectGuard() {
        if (FPrevious != nullptr && FPrevious != HGDI_ERROR) {
            ::SelectObject(FDC, FPrevious);
        }
    }
    TSelectObjectGuard(const TSelectObjectGuard&) = delete;
    TSelectObjectGuard& operator=(const TSelectObjectGuard&) = delete;

private:
    HDC FDC;
    HGDIOBJ FPrevious = nullptr;
};

// SaveDC now, RestoreDC to exactly this level at the end.
class TSaveDCGuard {
public:
    explicit TSaveDCGuard(HDC dc) : FDC(dc), FLevel(dc != nullptr ? ::SaveDC(dc) : 0) {}
    ~TSaveDCGuard() {
        if (FLevel > 0) {
            ::RestoreDC(FDC, FLevel);
        }
    }
    TSaveDCGuard(const TSaveDCGuard&) = delete;
    TSaveDCGuard& operator=(const TSaveDCGuard&) = delete;

private:
    HDC FDC;
    int FLevel;
};

// Narrows the clip region to a rectangle (logical coordinates) for the guard's life.
class TClipRectGuard {
public:
    TClipRectGuard(HDC dc, const RECT& rect) : FSave(dc) {
        if (dc != nullptr) {
            ::IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
        }
    }

private:
    TSaveDCGuard FSave;
};

} // namespace sj
