// Adapters of static windows: texts, icons and bitmaps, etched edges.
#include "skin/controls/acSBUtils.h"

#include "skin/controls/acSBUtilsInternal.h"

namespace sj {

using namespace adapter_detail;

// --- Static adapters ------------------------------------------------------------------------

TacStaticKind StaticAdapterKind(LONG style, LONG exStyle) {
    switch (style & SS_TYPEMASK) {
    case SS_ICON:
    case SS_BITMAP:
        return (exStyle & WS_EX_STATICEDGE) != 0 ? TacStaticKind::Edge : TacStaticKind::Icon;
    case SS_OWNERDRAW:
    case SS_GRAYRECT:
    case SS_WHITERECT:
    case SS_SIMPLE:
        return TacStaticKind::None;
    default:
        return TacStaticKind::Text;
    }
}

namespace {

// The message font of the system's non-client metrics, or the GUI font when the
// system does not answer.
LOGFONTA SystemMessageFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return metrics.lfMessageFont;
    LOGFONTA font{};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    return font;
}

bool ApplicationReadsRightToLeft() {
    DWORD layout = 0;
    return ::GetProcessDefaultLayout(&layout) && (layout & LAYOUT_RTL) != 0;
}

UINT StaticTextFlags(LONG style, LONG exStyle) {
    UINT flags = DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP;
    if ((style & SS_NOPREFIX) != 0)
        flags |= DT_NOPREFIX;
    if ((exStyle & WS_EX_RIGHT) != 0)
        flags |= DT_RIGHT;
    if (ApplicationReadsRightToLeft())
        flags |= DT_RTLREADING;
    return flags;
}

// The pixels of any bitmap as 32-bit top-down rows; empty when they cannot be read.
TacPixmap ReadBitmapPixels(HBITMAP bitmap, const BITMAP& info) {
    TacPixmap pixels(info.bmWidth, std::abs(info.bmHeight));
    if (pixels.Empty())
        return pixels;
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = pixels.Width();
    header.bmiHeader.biHeight = -pixels.Height();
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    HDC screen = ::GetDC(nullptr);
    const int rows =
        ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(pixels.Height()), pixels.Row(0), &header, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != pixels.Height())
        pixels.SetSize(0, 0);
    return pixels;
}

} // namespace

TacStaticWnd::TacStaticWnd(HWND window, const std::string& section, TsSkinManager* manager, TsCommonData* skinData)
    : TacMainWnd(window, section, manager, skinData) {}

bool TacStaticWnd::PaintsItself() const {
    return (::GetWindowLongA(Handle(), GWL_STYLE) & WS_TABSTOP) == 0 &&
           (::GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_STATICEDGE) == 0;
}

bool TacStaticWnd::RenderFace() {
    SkinData().CacheStale = true;
    return RenderSectionFace(0);
}

void TacStaticWnd::Paint(HDC dc) {
    if (!RenderFace() || !DrawContent())
        return;
    SkinData().CacheStale = false;
    CopyFace(dc);
}

bool TacStaticWnd::DrawContent() {
    const std::string text = WindowText();
    if (text.empty())
        return true;
    TBitmap& cache = *SkinData().CacheBitmap;
    TCanvas& canvas = cache.Canvas();
    canvas.Font().AssignLogFont(SystemMessageFont());
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    const UINT flags = StaticTextFlags(::GetWindowLongA(Handle(), GWL_STYLE), ::GetWindowLongA(Handle(), GWL_EXSTYLE));
    DrawControlText(canvas, text, true, false, SkinData(), flags, RECT{0, 0, cache.Width(), cache.Height()});
    return true;
}

void TacStaticWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage || !Skinned() || !PaintsItself() || !::IsWindowVisible(Handle())) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(Handle(), &paint);
        Paint(message.WParam != 0 ? reinterpret_cast<HDC>(message.WParam) : dc);
        ::EndPaint(Handle(), &paint);
        message.Result = 0;
        return;
    }
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_NCPAINT:
        message.Result = 0;
        return;
    case WM_PRINT:
        Paint(reinterpret_cast<HDC>(message.WParam));
        message.Result = 0;
        return;
    case WM_MOVE:
    case WM_ENABLE:
        SkinData().CacheStale = true;
        next(message);
        RedrawNow();
        return;
    case WM_SETTEXT:
        // The static would paint the new text itself the standard way first.
        ::SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
        TacMainWnd::WindowProc(message, next);
        SkinData().CacheStale = true;
        ::SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
        RedrawNow();
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}

bool TacIconWnd::DrawContent() {
    return (::GetWindowLongA(Handle(), GWL_STYLE) & SS_ICON) == SS_ICON ? DrawIcon() : DrawBitmap();
}

bool TacIconWnd::DrawIcon() {
    auto icon = reinterpret_cast<HICON>(::SendMessageA(Handle(), STM_GETICON, 0, 0));
    if (icon == nullptr)
        return false;
    ::DrawIconEx(SkinData().CacheBitmap->Canvas().Handle(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    return true;
}

bool TacIconWnd::DrawBitmap() {
    if (!bitmapAsked_) {
        bitmap_ = reinterpret_cast<HBITMAP>(::SendMessageA(Handle(), STM_GETIMAGE, IMAGE_BITMAP, 0));
        bitmapAsked_ = true;
    }
    BITMAP info{};
    if (bitmap_ == nullptr || ::GetObjectA(bitmap_, sizeof info, &info) == 0 || info.bmWidth <= 0 || info.bmHeight == 0)
        return false;
    TacPixmap pixels = ReadBitmapPixels(bitmap_, info);
    if (pixels.Empty())
        return false;
    TBitmap& cache = *SkinData().CacheBitmap;
    const TacRect source{0, 0, pixels.Width(), pixels.Height()};
    if (info.bmBitsPixel == 32) {
        TacAlphaBlendOptions options;
        options.Reflected = true;
        options.Transparency = 1;
        BlendAlphaImage(cache.Pixels(), TacRect{0, 0, cache.Width(), cache.Height()}, pixels.View(), source, options);
    } else {
        CopyPixels(cache.Pixels(), 0, 0, pixels.View(), source);
    }
    return true;
}

void TacEdgeWnd::Paint(HDC dc) {
    if (!RenderFace())
        return;
    SkinData().CacheStale = false;
    const bool own = dc == nullptr;
    if (own)
        dc = ::GetWindowDC(Handle());
    if (dc == nullptr)
        return;
    TBitmap& cache = *SkinData().CacheBitmap;
    const int w = cache.Width();
    const int h = cache.Height();
    constexpr int Ring = 2;
    HDC source = cache.Canvas().Handle();
    ::BitBlt(dc, 0, 0, Ring, h, source, 0, 0, SRCCOPY);
    ::BitBlt(dc, 0, 0, w, Ring, source, 0, 0, SRCCOPY);
    ::BitBlt(dc, w - Ring, 0, Ring, h, source, w - Ring, 0, SRCCOPY);
    ::BitBlt(dc, 0, h - Ring, w, Ring, source, 0, h - Ring, SRCCOPY);
    if (own)
        ::ReleaseDC(Handle(), dc);
}

void TacEdgeWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage || !Skinned() || !::IsWindowVisible(Handle())) {
        TacStaticWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT:
        next(message);
        Paint(nullptr);
        return;
    case WM_PRINT:
        // The printed picture gets the same ring as the screen.
        next(message);
        Paint(reinterpret_cast<HDC>(message.WParam));
        return;
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_NCPAINT:
        message.Result = 0;
        return;
    default:
        TacStaticWnd::WindowProc(message, next);
        return;
    }
}

// --- TacTransPanelWnd ---------------------------------------------------------------------

TacTransPanelWnd::TacTransPanelWnd(HWND window, const std::string& section, TsSkinManager* manager)
    : TacMainWnd(window, section, manager) {}

void TacTransPanelWnd::Paint(HDC dc) {
    const bool own = dc == nullptr;
    if (own)
        dc = ::GetDC(Handle());
    if (dc == nullptr)
        return;
    SkinData().CacheStale = true;
    if (RenderSectionFace(0)) {
        SkinData().CacheStale = false;
        // The visible children paint themselves; only the space between them is ours.
        const int saved = ::SaveDC(dc);
        for (HWND child = ::GetWindow(Handle(), GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (!::IsWindowVisible(child))
                continue;
            RECT r{};
            ::GetWindowRect(child, &r);
            ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
            ::ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
        }
        CopyFace(dc);
        ::RestoreDC(dc, saved);
    }
    if (own)
        ::ReleaseDC(Handle(), dc);
}

void TacTransPanelWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_ERASEBKGND:
        Paint(reinterpret_cast<HDC>(message.WParam));
        message.Result = 1;
        return;
    case WM_NCPAINT:
        message.Result = 0;
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}

namespace {

bool IsStaticWindow(HWND window) {
    char className[16] = {};
    return window != nullptr && ::GetClassNameA(window, className, sizeof className) != 0 &&
           ::lstrcmpiA(className, "Static") == 0;
}

} // namespace

std::unique_ptr<TacStaticWnd> AttachStaticAdapter(HWND window, TsSkinManager* manager) {
    if (!IsStaticWindow(window) || ::GetPropA(window, AdaptedWindowProperty) != nullptr ||
        ::SendMessageA(window, SkinCommandMessage, SkinCommand(scIsSkinned), 0) != 0)
        return nullptr;
    std::unique_ptr<TacStaticWnd> adapter;
    switch (StaticAdapterKind(::GetWindowLongA(window, GWL_STYLE), ::GetWindowLongA(window, GWL_EXSTYLE))) {
    case TacStaticKind::Text:
        adapter = std::make_unique<TacStaticWnd>(window, "CHECKBOX", manager);
        break;
    case TacStaticKind::Icon:
        adapter = std::make_unique<TacIconWnd>(window, "CHECKBOX", manager);
        break;
    case TacStaticKind::Edge:
        adapter = std::make_unique<TacEdgeWnd>(window, "EDIT", manager);
        break;
    case TacStaticKind::None:
        return nullptr;
    }
    adapter->Hook();
    return adapter;
}

void DetachStaticAdapter(HWND window) {
    if (!IsStaticWindow(window))
        return;
    auto* adapter = static_cast<TacMainWnd*>(::GetPropA(window, AdaptedWindowProperty));
    if (auto* staticAdapter = dynamic_cast<TacStaticWnd*>(adapter); staticAdapter != nullptr)
        staticAdapter->Unhook();
}

} // namespace sj
