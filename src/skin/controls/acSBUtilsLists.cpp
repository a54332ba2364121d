// List view and tree view adapters: section colours, the skinned column header of the
// report view and scrolling by items while a thumb is dragged.
#include "skin/controls/acSBUtils.h"

#include "skin/controls/acSBUtilsInternal.h"

#include <windowsx.h>

namespace sj {

using namespace adapter_detail;

namespace {

// The property that leads a subclassed header window to its list view adapter.
constexpr const char* HeaderProperty = "ACSBHDR";

bool IsHeaderWindow(HWND window) {
    char name[32] = {};
    return window != nullptr && ::GetClassNameA(window, name, sizeof name) != 0 &&
           ::lstrcmpiA(name, WC_HEADERA) == 0;
}

COLORREF SystemColor(int index) {
    return ::GetSysColor(index);
}

// A colour of the skin model as RGB (system colour codes resolved).
COLORREF SkinRGB(std::int32_t color) {
    return static_cast<COLORREF>(PaintColorToRGB(static_cast<std::uint32_t>(color)) & 0x00FFFFFF);
}

} // namespace

// --- TacListViewWnd --------------------------------------------------------------------------

TacListViewWnd::TacListViewWnd(TWinControl& control, TsSkinManager* manager, TsCommonData& skinData)
    : TacEditWnd(control, manager, skinData) {}

TacListViewWnd::TacListViewWnd(HWND window, const std::string& section, TsSkinManager* manager,
                               TsCommonData* skinData)
    : TacEditWnd(window, section, manager, skinData) {
    if (skinData == nullptr)
        SkinData().ControlKind = 10;
}

TacListViewWnd::~TacListViewWnd() {
    Unhook();
}

int TacListViewWnd::ViewKind() const {
    switch (::SendMessageA(Handle(), LVM_GETVIEW, 0, 0)) {
    case LV_VIEW_ICON:
        return 0;
    case LV_VIEW_DETAILS:
        return 3;
    case LV_VIEW_SMALLICON:
        return 1;
    default:
        return 2;
    }
}

void TacListViewWnd::InitHook() {
    savedBack_ = static_cast<COLORREF>(::SendMessageA(Handle(), LVM_GETBKCOLOR, 0, 0));
    savedTextBack_ = static_cast<COLORREF>(::SendMessageA(Handle(), LVM_GETTEXTBKCOLOR, 0, 0));
    savedText_ = static_cast<COLORREF>(::SendMessageA(Handle(), LVM_GETTEXTCOLOR, 0, 0));
    colorsSaved_ = true;
    TacEditWnd::InitHook();
}

void TacListViewWnd::AfterHook() {
    TacEditWnd::AfterHook();
    HookHeader(reinterpret_cast<HWND>(::SendMessageA(Handle(), LVM_GETHEADER, 0, 0)));
}

void TacListViewWnd::RestoreHook() {
    UnhookHeader();
    // The colours the list had before it was skinned, all three.
    if (colorsSaved_ && ::IsWindow(Handle())) {
        ::SendMessageA(Handle(), LVM_SETBKCOLOR, 0, static_cast<LPARAM>(savedBack_));
        ::SendMessageA(Handle(), LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(savedTextBack_));
        ::SendMessageA(Handle(), LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(savedText_));
        colorsSaved_ = false;
    }
    TacEditWnd::RestoreHook();
}

TColor TacListViewWnd::ListColor() const {
    return static_cast<TColor>(static_cast<COLORREF>(::SendMessageA(Handle(), LVM_GETBKCOLOR, 0, 0)));
}

void TacListViewWnd::ApplySkinHook() {
    TacEditWnd::ApplySkinHook();
    COLORREF back = SystemColor(COLOR_WINDOW);
    COLORREF text = SystemColor(COLOR_WINDOWTEXT);
    if (!DialogMode) {
        const TsGenState* props = StateProps(SkinData(), 0);
        if (props == nullptr)
            return;
        back = SkinRGB(props->Color);
        text = SkinRGB(props->FontColor);
    }
    // Only real changes: the hook runs at every paint, and each change repaints.
    if (static_cast<COLORREF>(::SendMessageA(Handle(), LVM_GETBKCOLOR, 0, 0)) != back)
        ::SendMessageA(Handle(), LVM_SETBKCOLOR, 0, static_cast<LPARAM>(back));
    if (static_cast<COLORREF>(::SendMessageA(Handle(), LVM_GETTEXTBKCOLOR, 0, 0)) != back)
        ::SendMessageA(Handle(), LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(back));
    if (static_cast<COLORREF>(::SendMessageA(Handle(), LVM_GETTEXTCOLOR, 0, 0)) != text)
        ::SendMessageA(Handle(), LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(text));
}

void TacListViewWnd::HookHeader(HWND header) {
    if (!IsHeaderWindow(header) || header_ == header)
        return;
    UnhookHeader();
    header_ = header;
    ::SetPropA(header_, HeaderProperty, reinterpret_cast<HANDLE>(this));
    headerPrevious_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(header_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TacListViewWnd::HeaderProc)));
    ::InvalidateRect(header_, nullptr, TRUE);
}

void TacListViewWnd::UnhookHeader() {
    if (header_ == nullptr)
        return;
    if (::IsWindow(header_)) {
        if (::GetWindowLongPtrA(header_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&TacListViewWnd::HeaderProc))
            ::SetWindowLongPtrA(header_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(headerPrevious_));
        ::RemovePropA(header_, HeaderProperty);
        ::InvalidateRect(header_, nullptr, TRUE);
    }
    header_ = nullptr;
    headerPrevious_ = nullptr;
    headerHot_ = headerDown_ = -1;
}

LRESULT CALLBACK TacListViewWnd::HeaderProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<TacListViewWnd*>(::GetPropA(window, HeaderProperty));
    if (self == nullptr || self->header_ != window)
        return ::DefWindowProcA(window, msg, wParam, lParam);
    try {
        return self->HeaderMessage(msg, wParam, lParam);
    } catch (...) {
        HandleBoundaryException(std::current_exception());
        return 0;
    }
}

int TacListViewWnd::HeaderItemAt(POINT client) const {
    HDHITTESTINFO hit{};
    hit.pt = client;
    const auto index = static_cast<int>(::SendMessageA(header_, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if ((hit.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN)) != 0)
        return -1;
    return (hit.flags & HHT_ONHEADER) != 0 ? index : -1;
}

LRESULT TacListViewWnd::HeaderMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND header = header_;
    const WNDPROC previous = headerPrevious_;
    if (msg == WM_NCDESTROY) {
        UnhookHeader();
        return ::CallWindowProcA(previous, header, msg, wParam, lParam);
    }
    if (!Skinned() || ViewKind() != 3)
        return ::CallWindowProcA(previous, header, msg, wParam, lParam);
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT cycle{};
        HDC dc = wParam != 0 ? reinterpret_cast<HDC>(wParam) : ::BeginPaint(header, &cycle);
        PaintHeader(dc);
        if (wParam == 0)
            ::EndPaint(header, &cycle);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintHeader(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_WINDOWPOSCHANGING:
        if (::IsWindowVisible(Handle()))
            ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
        break;
    case WM_NCHITTEST: {
        const LRESULT result = ::CallWindowProcA(previous, header, msg, wParam, lParam);
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ScreenToClient(header, &p);
        const int item = HeaderItemAt(p);
        if (item != headerHot_) {
            headerHot_ = item;
            ::InvalidateRect(header, nullptr, FALSE);
        }
        return result;
    }
    case WM_LBUTTONUP:
        headerDown_ = -1;
        ::InvalidateRect(header, nullptr, FALSE);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const LRESULT result = ::CallWindowProcA(previous, header, msg, wParam, lParam);
        if (header_ == header) {
            // A press on a divider resizes a column; no column looks pressed.
            headerDown_ = HeaderItemAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            ::InvalidateRect(header, nullptr, FALSE);
        }
        return result;
    }
    case WM_CAPTURECHANGED:
        if (headerDown_ >= 0) {
            headerDown_ = -1;
            ::InvalidateRect(header, nullptr, FALSE);
        }
        break;
    default:
        break;
    }
    return ::CallWindowProcA(previous, header, msg, wParam, lParam);
}

void TacListViewWnd::PaintHeader(HDC dc) {
    if (header_ == nullptr || !::IsWindow(header_) || ViewKind() != 3 || !Skinned())
        return;
    const bool own = dc == nullptr;
    if (own)
        dc = ::GetDC(header_);
    if (dc == nullptr)
        return;
    const int count = static_cast<int>(::SendMessageA(header_, HDM_GETITEMCOUNT, 0, 0));
    std::vector<int> order(static_cast<std::size_t>(std::max(0, count)));
    for (int i = 0; i < count; ++i)
        order[static_cast<std::size_t>(i)] = i;
    if (count > 0 && (::GetWindowLongA(header_, GWL_STYLE) & HDS_FULLDRAG) != 0)
        ::SendMessageA(header_, HDM_GETORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order.data()));
    int right = 0;
    for (int index : order) {
        RECT r{};
        if (!::SendMessageA(header_, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) ||
            ::IsRectEmpty(&r))
            continue;
        headerLineHeight_ = r.bottom - r.top;
        PaintHeaderItem(dc, index, r);
        right = std::max<int>(right, r.right);
    }
    RECT client{};
    ::GetClientRect(header_, &client);
    if (right < client.right)
        PaintHeaderItem(dc, -2, RECT{right, 0, client.right, client.bottom});
    if (own)
        ::ReleaseDC(header_, dc);
}

void TacListViewWnd::PaintHeaderItem(HDC dc, int index, const RECT& rect) {
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    TsSkinManager* manager = Manager();
    if (w <= 0 || h <= 0 || manager == nullptr)
        return;
    const TsSkinModel& model = manager->Model();
    const int state = headerDown_ >= 0 ? (index == headerDown_ ? 2 : 0) : (index >= 0 && index == headerHot_ ? 1 : 0);
    auto bitmap = CreateBitmap32(w, h);
    const std::int32_t section = PaintSectionFaceByName(bitmap->Pixels(), &model, "COLHEADER", "BUTTON",
                                                        static_cast<std::uint32_t>(ListColor()), state);
    if (index >= 0) {
        char text[129] = {};
        HDITEMA item{};
        item.mask = HDI_TEXT | HDI_FORMAT;
        item.pszText = text;
        item.cchTextMax = static_cast<int>(sizeof text);
        ::SendMessageA(header_, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        TCanvas& canvas = bitmap->Canvas();
        HDC bitmapDC = canvas.Handle();
        LOGFONTA logFont{};
        auto font = reinterpret_cast<HFONT>(::SendMessageA(Handle(), WM_GETFONT, 0, 0));
        if (font == nullptr)
            font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
        if (::GetObjectA(font, sizeof logFont, &logFont) != 0)
            canvas.Font().AssignLogFont(logFont);
        SIZE extent{};
        const int length = static_cast<int>(std::strlen(text));
        ::GetTextExtentPoint32A(bitmapDC, text, length, &extent);
        std::int32_t glyph = -1;
        if ((item.fmt & HDF_SORTDOWN) != 0)
            glyph = model.StdIndexes.ScrollBtnBottomGlyph;
        else if ((item.fmt & HDF_SORTUP) != 0)
            glyph = model.StdIndexes.ScrollBtnTopGlyph;
        const TsMaskData* mark = model.HasImage(glyph) ? &model.Masks[static_cast<std::size_t>(glyph)] : nullptr;
        const int alignment = (item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT    ? hfRight
                              : (item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER ? hfCenter
                                                                           : hfLeft;
        const TacHeaderItemLayout layout =
            LayoutHeaderItem(TacRect{0, 0, w, h}, extent.cx, mark != nullptr ? FrameWidth(*mark) : 0,
                             mark != nullptr ? FrameHeight(*mark) : 0, alignment, state == 2);
        if (mark != nullptr)
            DrawStateImage(bitmap->Pixels(), layout.Mark.Left, layout.Mark.Top, state,
                           BitmapBackdrop(bitmap->Pixels(), 0, 0), *mark, simNormal);
        if (length > 0)
            DrawSectionTextOnCanvas(canvas, text, true, manager, state != 0, section,
                                    DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | DT_END_ELLIPSIS | DT_NOPREFIX,
                                    RECT{layout.Text.Left, layout.Text.Top, layout.Text.Right, layout.Text.Bottom});
    }
    ::BitBlt(dc, rect.left, rect.top, w, h, bitmap->Canvas().Handle(), 0, 0, SRCCOPY);
}

void TacListViewWnd::ThumbTrack(TMessage& message, bool vertical) {
    const TacScrollInteraction& state = ScrollInteraction();
    const int position = message.LParam != 0 ? static_cast<int>(message.LParam) : HIWORD(message.WParam);
    message.Result = 0;
    if (position == state.LastTrackPos)
        return;
    int delta = position - state.LastTrackPos;
    RECT item{};
    item.left = LVIR_BOUNDS;
    const bool measured =
        ::SendMessageA(Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
    // The list counts its scroll positions in items where it scrolls by items; the
    // scrolling message wants pixels.
    if (vertical && ViewKind() == 3 && measured)
        delta *= item.bottom - item.top;
    else if (!vertical && ViewKind() == 2 && measured)
        delta *= item.right - item.left;
    ::SendMessageA(Handle(), LVM_SCROLL, vertical ? 0 : static_cast<WPARAM>(delta),
                   vertical ? static_cast<LPARAM>(delta) : 0);
}

void TacListViewWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == WM_PARENTNOTIFY && LOWORD(message.WParam) == WM_CREATE) {
        TacEditWnd::WindowProc(message, next);
        auto child = reinterpret_cast<HWND>(message.LParam);
        if (IsHooked() && IsHeaderWindow(child)) {
            if (header_ == nullptr)
                HookHeader(child);
            else
                UnhookHeader();
        }
        return;
    }
    if (!Skinned()) {
        TacEditWnd::WindowProc(message, next);
        return;
    }
    const TacScrollInteraction& state = ScrollInteraction();
    const bool ownDrag = DraggingThumb() && state.TrackedWindow == Handle();
    switch (message.Msg) {
    case SkinCommandMessage:
        switch (SkinCommandCode(message.WParam)) {
        case scBeforeScroll:
            message.Result = 1;
            return;
        case scQuerySectionIndex:
            if (message.LParam != 0)
                *reinterpret_cast<std::int32_t*>(message.LParam) = SkinData().SectionIndex;
            message.Result = 0;
            return;
        case scRefresh:
            TacEditWnd::WindowProc(message, next);
            PaintHeader();
            return;
        default:
            break;
        }
        break;
    case WM_PAINT:
        ApplySkinHook();
        break;
    case WM_HSCROLL:
        if (LOWORD(message.WParam) == SB_THUMBTRACK && ownDrag) {
            ThumbTrack(message, false);
            return;
        }
        break;
    case WM_VSCROLL:
        if (LOWORD(message.WParam) == SB_THUMBTRACK && ownDrag) {
            ThumbTrack(message, true);
            return;
        }
        // The list reads a non-zero lParam as the scroll bar control that sent it.
        message.LParam = 0;
        break;
    case WM_NCHITTEST:
        if (headerHot_ >= 0 || headerDown_ >= 0) {
            headerHot_ = headerDown_ = -1;
            if (header_ != nullptr)
                ::InvalidateRect(header_, nullptr, FALSE);
        }
        break;
    case WM_NCPAINT:
        message.Result = 0;
        break;
    case WM_PRINT:
        TacEditWnd::WindowProc(message, next);
        if (header_ != nullptr && ViewKind() == 3 && ::IsWindowVisible(header_)) {
            HDC dc = reinterpret_cast<HDC>(message.WParam);
            RECT window{};
            ::GetWindowRect(Handle(), &window);
            POINT origin{0, 0};
            ::ClientToScreen(Handle(), &origin);
            RECT client{};
            ::GetClientRect(Handle(), &client);
            const int saved = ::SaveDC(dc);
            ::OffsetViewportOrgEx(dc, origin.x - window.left, origin.y - window.top, nullptr);
            ::IntersectClipRect(dc, 0, 0, client.right, client.bottom);
            PaintHeader(dc);
            ::RestoreDC(dc, saved);
        }
        return;
    default:
        break;
    }
    TacEditWnd::WindowProc(message, next);
    if (!IsHooked())
        return;
    switch (message.Msg) {
    case WM_LBUTTONUP:
        if (::GetCapture() == Handle())
            ::ReleaseCapture();
        break;
    case WM_STYLECHANGED:
    case LVM_ARRANGE:
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW:
        if (!SkinData().RepaintBlocked()) {
            RefreshScrollBars(false);
            InvalidateBars();
        }
        break;
    default:
        break;
    }
}

// --- TacTreeViewWnd ----------------------------------------------------------------------------

void TacTreeViewWnd::InitHook() {
    savedBack_ = static_cast<COLORREF>(::SendMessageA(Handle(), TVM_GETBKCOLOR, 0, 0));
    savedText_ = static_cast<COLORREF>(::SendMessageA(Handle(), TVM_GETTEXTCOLOR, 0, 0));
    TacEditWnd::InitHook();
}

void TacTreeViewWnd::RestoreHook() {
    if (::IsWindow(Handle())) {
        // -1 is the tree's own "system colour" setting: given back exactly as it was.
        ::SendMessageA(Handle(), TVM_SETBKCOLOR, 0, static_cast<LPARAM>(savedBack_));
        ::SendMessageA(Handle(), TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(savedText_));
    }
    TacEditWnd::RestoreHook();
}

void TacTreeViewWnd::ApplySkinHook() {
    TacEditWnd::ApplySkinHook();
    COLORREF back = SystemColor(COLOR_WINDOW);
    COLORREF text = SystemColor(COLOR_WINDOWTEXT);
    if (!DialogMode) {
        const TsGeneralData* section = SkinData().Section();
        if (section == nullptr)
            return;
        const bool hot = section->States > 1 && (::GetFocus() == Handle() || SkinData().Hovered);
        back = SkinRGB(hot ? section->HotColor : section->StateProps[0].Color);
        text = SkinRGB(hot ? section->HotFontColor : section->StateProps[0].FontColor);
        if (SkinData().CustomFont())
            text = static_cast<COLORREF>(::SendMessageA(Handle(), TVM_GETTEXTCOLOR, 0, 0));
    }
    if (static_cast<COLORREF>(::SendMessageA(Handle(), TVM_GETBKCOLOR, 0, 0)) != back)
        ::SendMessageA(Handle(), TVM_SETBKCOLOR, 0, static_cast<LPARAM>(back));
    if (static_cast<COLORREF>(::SendMessageA(Handle(), TVM_GETTEXTCOLOR, 0, 0)) != text)
        ::SendMessageA(Handle(), TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(text));
}

void TacTreeViewWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (!Skinned() || message.Msg == SkinCommandMessage) {
        TacEditWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_ERASEBKGND:
        if (!SkinData().RepaintBlocked()) {
            if (SkinData().CacheStale)
                RenderFrameFace();
            HDC dc = message.WParam != 0 ? reinterpret_cast<HDC>(message.WParam) : ::GetDC(Handle());
            RECT window{};
            ::GetWindowRect(Handle(), &window);
            HBRUSH brush = ::CreateSolidBrush(SectionColor(false));
            const RECT all{0, 0, window.right - window.left, window.bottom - window.top};
            ::FillRect(dc, &all, brush);
            ::DeleteObject(brush);
            if (message.WParam == 0)
                ::ReleaseDC(Handle(), dc);
            message.Result = 1;
            return;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TacEditWnd::WindowProc(message, next);
        ApplySkinHook();
        return;
    default:
        break;
    }
    TacEditWnd::WindowProc(message, next);
    if (message.Msg == WM_LBUTTONUP && IsHooked() && ::GetCapture() == Handle())
        ::ReleaseCapture();
}

} // namespace sj
