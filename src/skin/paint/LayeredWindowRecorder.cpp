#include "skin/paint/LayeredWindowRecorder.h"

#include <algorithm>
#include <cstdlib>

namespace sj {

TacPixmap ReadSourcePixels(HDC source, POINT at, SIZE size, SIZE* bitmapSize) {
    if (bitmapSize != nullptr) {
        BITMAP info{};
        *bitmapSize = ::GetObjectA(::GetCurrentObject(source, OBJ_BITMAP), sizeof info, &info) == sizeof info
                          ? SIZE{info.bmWidth, std::abs(info.bmHeight)}
                          : SIZE{};
    }
    if (size.cx <= 0 || size.cy <= 0)
        return {};
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = size.cx;
    header.bmiHeader.biHeight = -size.cy;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP copy = ::CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (copy == nullptr)
        return {};
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, copy);
    ::BitBlt(dc, 0, 0, size.cx, size.cy, source, at.x, at.y, SRCCOPY);
    ::GdiFlush();
    TacPixmap pixels(size.cx, size.cy);
    std::copy_n(static_cast<const TPixel32*>(bits), static_cast<std::size_t>(size.cx) * size.cy, pixels.Row(0));
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(copy);
    return pixels;
}

TLayeredWindowRecorder::TLayeredWindowRecorder(bool copyPixels) : copyPixels_(copyPixels) {
    instance_ = this;
    previous_ = LayeredWindowFunctions().UpdateLayeredWindow;
    LayeredWindowFunctions().UpdateLayeredWindow = &Record;
}

TLayeredWindowRecorder::~TLayeredWindowRecorder() {
    LayeredWindowFunctions().UpdateLayeredWindow = previous_;
    instance_ = nullptr;
}

std::vector<int> TLayeredWindowRecorder::AlphasOf(HWND window, std::size_t from) const {
    std::vector<int> alphas;
    for (std::size_t i = from; i < Calls.size(); ++i)
        if (Calls[i].Window == window)
            alphas.push_back(Calls[i].Blend.SourceConstantAlpha);
    return alphas;
}

int TLayeredWindowRecorder::CountOf(HWND window, std::size_t from) const {
    return static_cast<int>(AlphasOf(window, from).size());
}

const TLayeredCall* TLayeredWindowRecorder::LastOf(HWND window) const {
    for (auto it = Calls.rbegin(); it != Calls.rend(); ++it)
        if (it->Window == window)
            return &*it;
    return nullptr;
}

const TLayeredCall& TLayeredWindowRecorder::Last() const {
    static const TLayeredCall none;
    return Calls.empty() ? none : Calls.back();
}

BOOL WINAPI TLayeredWindowRecorder::Record(HWND window, HDC screen, POINT* position, SIZE* size, HDC source,
                                           POINT* sourcePosition, COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
    TLayeredWindowRecorder* self = instance_;
    if (self == nullptr)
        return FALSE;
    TLayeredCall call;
    call.Window = window;
    call.Position = position != nullptr ? *position : POINT{-1, -1};
    call.Size = size != nullptr ? *size : SIZE{};
    call.Source = sourcePosition != nullptr ? *sourcePosition : POINT{};
    call.Blend = blend != nullptr ? *blend : BLENDFUNCTION{};
    call.Flags = flags;
    if (self->copyPixels_ && source != nullptr)
        call.Pixels = ReadSourcePixels(source, call.Source, call.Size, &call.SourceBitmapSize);
    self->Calls.push_back(std::move(call));
    return self->previous_ != nullptr
               ? self->previous_(window, screen, position, size, source, sourcePosition, key, blend, flags)
               : FALSE;
}

} // namespace sj
