// Test seam: records what windows hand to the system's UpdateLayeredWindow (through the
// replaceable layered-window table), with a copy of the source pixels, and passes every
// call on so that the windows still show what they were given.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/Pixmap.h"
#include "skin/paint/sSystemFunctions.h"

namespace sj {

struct TLayeredCall {
    HWND Window = nullptr;
    POINT Position{-1, -1};
    SIZE Size{};
    POINT Source{};
    SIZE SourceBitmapSize{}; // the whole bitmap selected into the source DC
    BLENDFUNCTION Blend{};
    DWORD Flags = 0;
    TacPixmap Pixels; // the part of the source handed over, when copied
};

// The size x size pixels of `source` at `at`, read through a top-down DIB of our own
// whatever the source's row order; bitmapSize (optional) gets the source bitmap's size.
TacPixmap ReadSourcePixels(HDC source, POINT at, SIZE size, SIZE* bitmapSize = nullptr);

// In the table for its lifetime; one recorder at a time.
class TLayeredWindowRecorder {
public:
    explicit TLayeredWindowRecorder(bool copyPixels = true);
    ~TLayeredWindowRecorder();
    TLayeredWindowRecorder(const TLayeredWindowRecorder&) = delete;
    TLayeredWindowRecorder& operator=(const TLayeredWindowRecorder&) = delete;

    std::vector<TLayeredCall> Calls;

    // The constant alphas handed over for one window, from call `from` on.
    std::vector<int> AlphasOf(HWND window, std::size_t from = 0) const;
    int CountOf(HWND window, std::size_t from = 0) const;
    // The last call for one window, or null.
    const TLayeredCall* LastOf(HWND window) const;
    // The last call of all (an empty record before the first).
    const TLayeredCall& Last() const;
    // What the table held before: the system's function, when it has one.
    TacLayeredWindowFunctions::TUpdateLayeredWindow Previous() const { return previous_; }
    // The recording function itself, to put back into the table.
    static TacLayeredWindowFunctions::TUpdateLayeredWindow Function() { return &Record; }

private:
    static BOOL WINAPI Record(HWND window, HDC screen, POINT* position, SIZE* size, HDC source, POINT* sourcePosition,
                              COLORREF key, BLENDFUNCTION* blend, DWORD flags);

    static inline TLayeredWindowRecorder* instance_ = nullptr;
    TacLayeredWindowFunctions::TUpdateLayeredWindow previous_ = nullptr;
    bool copyPixels_;
};

} // namespace sj
