// Adapters of edits, group boxes, check and radio buttons and push buttons.
#include "skin/controls/acSBUtils.h"

#include "skin/controls/acSBUtilsInternal.h"

namespace sj {

using namespace adapter_detail;

// --- TacBaseWnd ---------------------------------------------------------------------------

namespace {

// Messages after which a scrolling window may have moved its contents or changed its
// range: typing, clicks, text and list changes.
bool MayScroll(UINT msg) {
    return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP ||
           msg == WM_LBUTTONDBLCLK || msg == WM_SETTEXT || (msg >= WM_CUT && msg <= WM_UNDO) ||
           (msg >= EM_GETSEL && msg <= EM_GETIMESTATUS) || (msg >= LVM_FIRST && msg < LVM_FIRST + 0x100) ||
           (msg >= TV_FIRST && msg < TV_FIRST + 0x100);
}

} // namespace

void TacBaseWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (!Skinned()) {
        TacScrollWnd::WindowProc(message, next);
        return;
    }
    if (message.Msg == SkinCommandMessage) {
        const WORD code = SkinCommandCode(message.WParam);
        TacScrollWnd::WindowProc(message, next);
        if (code == scRefresh && ::IsWindowVisible(Handle()))
            ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        return;
    }
    switch (message.Msg) {
    case WM_SETCURSOR:
        next(message);
        return;
    case 0x2100:
        message.Result = 0;
        return;
    case WM_SIZE:
    case WM_EXITSIZEMOVE:
        SkinData().CacheStale = true;
        break;
    default:
        break;
    }
    const TacScrollRange horz = HorzBar().Info;
    const TacScrollRange vert = VertBar().Info;
    TacScrollWnd::WindowProc(message, next);
    if (!IsHooked())
        return;
    switch (message.Msg) {
    case WM_SIZE:
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (!SendingScroll())
            RefreshScrollBars(true);
        return;
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
        if (::IsWindowVisible(Handle()))
            ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        return;
    default:
        break;
    }
    if (MayScroll(message.Msg) && !SendingScroll() && !DraggingThumb()) {
        // The window's own bar is drawn whenever its scroll information changes; ours
        // goes back on top.
        RefreshScrollBars(false);
        const auto same = [](const TacScrollRange& a, const TacScrollRange& b) {
            return a.Min == b.Min && a.Max == b.Max && a.Page == b.Page && a.Pos == b.Pos;
        };
        if (!same(horz, HorzBar().Info) || !same(vert, VertBar().Info))
            InvalidateBars();
    }
}

// --- TacEditWnd ---------------------------------------------------------------------------

void TacEditWnd::InitHook() {
    if (!HasControl())
        return;
    savedColor_ = Control().Color();
    savedFontColor_ = Control().Font().Color();
}

void TacEditWnd::RestoreHook() {
    if (HasControl()) {
        Control().SetColor(savedColor_);
        Control().Font().SetColor(savedFontColor_);
    }
    TacBaseWnd::RestoreHook();
}

int TacEditWnd::State() const {
    const TsGeneralData* section = SkinData().Section();
    const bool hot = SkinData().HasFocus || SkinData().Hovered || ::GetFocus() == Handle();
    return hot && section != nullptr && section->States > 1 ? 1 : 0;
}

TColor TacEditWnd::SectionColor(bool hotAllowed) const {
    if (DialogMode)
        return static_cast<TColor>(::GetSysColor(COLOR_WINDOW));
    if (const TsGenState* props = StateProps(SkinData(), hotAllowed ? State() : 0))
        return static_cast<TColor>(PaintColorToRGB(static_cast<std::uint32_t>(props->Color)));
    return static_cast<TColor>(::GetSysColor(COLOR_WINDOW));
}

void TacEditWnd::ApplySkinHook() {
    TacMainWnd::ApplySkinHook();
    if (!HasControl() || DialogMode)
        return;
    const TsGenState* props = StateProps(SkinData(), State());
    if (props == nullptr)
        return;
    if (!SkinData().CustomColor())
        Control().SetColor(static_cast<TColor>(props->Color));
    if (!SkinData().CustomFont())
        Control().Font().SetColor(static_cast<TColor>(props->FontColor));
}

TBackdropRef TacEditWnd::BarBackdrop() {
    if (!SkinData().CacheBitmap || SkinData().CacheStale)
        RenderFrameFace();
    return TacScrollWnd::BarBackdrop();
}

bool TacEditWnd::RenderFrameFace() {
    RECT window{};
    ::GetWindowRect(Handle(), &window);
    const RECT rect{0, 0, window.right - window.left, window.bottom - window.top};
    if (rect.right <= 0 || rect.bottom <= 0)
        return false;
    const std::int32_t borderColor =
        Manager() != nullptr ? static_cast<std::int32_t>(Manager()->Model().SkinGlobals.BorderColor) : -1;
    if (DialogMode && borderColor >= 0 && static_cast<TColor>(borderColor) != clKeyPixel) {
        // Dialog edits: a one-pixel frame of the skin's border colour around window colour.
        PrepareCache();
        TBitmap& cache = *SkinData().CacheBitmap;
        const TacRect whole{0, 0, cache.Width(), cache.Height()};
        const TColor frame = ColorToPixelOrder(static_cast<TColor>(PaintColorToRGB(static_cast<std::uint32_t>(borderColor))));
        FillPixels(cache.Pixels(), whole, frame, 0xFF);
        FillPixels(cache.Pixels(), TacRect{1, 1, whole.Right - 1, whole.Bottom - 1},
                   ColorToPixelOrder(static_cast<TColor>(::GetSysColor(COLOR_WINDOW))), 0xFF);
    } else if (HasControl()) {
        RECT client{};
        PaintControlBorder(nullptr, rect, Edges().Left, client, Enabled() ? State() : 0, SkinData());
        if (!Enabled() && SkinData().CacheBitmap)
            PaintDisabledLook(*SkinData().CacheBitmap, dkBlended, &Control(), POINT{Control().Left(), Control().Top()},
                              ParentBackdrop());
    } else if (!RenderSectionFace(Enabled() ? State() : 0)) {
        return false;
    }
    SkinData().CacheStale = false;
    return SkinData().CacheBitmap != nullptr;
}

void TacEditWnd::PaintBorder(HDC dc) {
    if (!RenderFrameFace())
        return;
    const bool own = dc == nullptr;
    if (own)
        dc = ::GetWindowDC(Handle());
    if (dc == nullptr)
        return;
    RECT window{};
    ::GetWindowRect(Handle(), &window);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    ::MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    ::OffsetRect(&client, -window.left, -window.top);
    const TacBarRects bars = BarRects();
    // Only the frame ring: the client area keeps the system's painting and the bars
    // paint themselves.
    const int saved = ::SaveDC(dc);
    ::ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    for (const TacRect& bar : {bars.Horz, bars.Vert, bars.Corner})
        if (!bar.Empty())
            ::ExcludeClipRect(dc, bar.Left - window.left, bar.Top - window.top, bar.Right - window.left,
                              bar.Bottom - window.top);
    TBitmap& cache = *SkinData().CacheBitmap;
    ::BitBlt(dc, 0, 0, cache.Width(), cache.Height(), cache.Canvas().Handle(), 0, 0, SRCCOPY);
    ::RestoreDC(dc, saved);
    PaintScrollBars(dc);
    if (own)
        ::ReleaseDC(Handle(), dc);
}

void TacEditWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage && Skinned()) {
        const WORD code = SkinCommandCode(message.WParam);
        if (code == scRenderFace) {
            RenderFrameFace();
            message.Result = 0;
            return;
        }
        if (code == scHotEnter || code == scHotLeave) {
            // Only the border shows the hover: the client keeps the colours it was given.
            const int before = State();
            SkinData().Hovered = code == scHotEnter;
            SkinData().CacheStale = true;
            if (State() != before)
                PaintBorder();
            return;
        }
    }
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacBaseWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_NCPAINT:
        if (!skinApplied_)
            ApplySkinHook();
        if (::IsWindowVisible(Handle()) && !SendingScroll())
            PaintBorder();
        message.Result = 0;
        return;
    case WM_PRINT:
        // The system prints the window its way; the skinned frame and bars go on top.
        TacBaseWnd::WindowProc(message, next);
        if ((message.LParam & PRF_NONCLIENT) != 0)
            PaintBorder(reinterpret_cast<HDC>(message.WParam));
        return;
    case WM_PAINT:
        if (!skinApplied_)
            ApplySkinHook();
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
    case CM_ENABLEDCHANGED:
        // The colours stay as the skin applied them; only the face follows the state.
        TacBaseWnd::WindowProc(message, next);
        if (message.Msg == WM_KILLFOCUS)
            SkinData().HasFocus = false;
        if (message.Msg == CM_MOUSELEAVE) {
            ReportPointerLeft();
            SkinData().Hovered = false;
        }
        SkinData().CacheStale = true;
        ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
        return;
    default:
        break;
    }
    TacBaseWnd::WindowProc(message, next);
}

// --- TacGroupBoxWnd --------------------------------------------------------------------------

RECT TacGroupBoxWnd::CaptionRect() {
    PrepareCache();
    TCanvas& canvas = SkinData().CacheBitmap->Canvas();
    AssignFont(canvas);
    const SIZE size = MeasureText(canvas, WindowText());
    const bool rtl = (::GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    return GroupBoxCaptionRect(SkinData().CacheBitmap->Width(), size.cx, size.cy, rtl);
}

void TacGroupBoxWnd::RestoreHook() {
    // The opaque flag was ours; the saved control style comes back with the unhooking.
    SkinData().CacheStale = true;
}

bool TacGroupBoxWnd::PaintFace() {
    PrepareCache();
    TBitmap& cache = *SkinData().CacheBitmap;
    const int width = cache.Width();
    const int height = cache.Height();
    if (width <= 0 || height <= 0)
        return false;
    const RECT caption = CaptionRect();
    const int top = std::min<int>(height, (caption.bottom - caption.top) / 2);
    TBackdropRef backdrop = ParentBackdrop();
    const TacRect whole{0, 0, width, height};
    CopyBackdrop(cache.Pixels(), whole, backdrop, PositionInParent().x, PositionInParent().y);
    if (top < height)
        PaintControlFace(cache.Pixels(), TacRect{0, top, width, height}, SkinData().Model(), SkinData().FaceParams(), 0,
                         true, backdrop, PositionInParent().x, PositionInParent().y + top);
    const TacRect captionArea{caption.left, caption.top, caption.right, std::min<int>(caption.bottom, height)};
    CopyBackdrop(cache.Pixels(), captionArea, backdrop, PositionInParent().x + caption.left, PositionInParent().y);
    DrawCaption(cache, WindowText(), caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, false);
    return true;
}

void TacGroupBoxWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage && SkinCommandCode(message.WParam) == scQueryCaptionHeight && Skinned()) {
        const RECT caption = CaptionRect();
        message.Result = caption.bottom - caption.top;
        return;
    }
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT:
        PaintWindowFromFace(message);
        return;
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_SETTEXT:
    case CM_TEXTCHANGED:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TacMainWnd::WindowProc(message, next);
        SkinData().CacheStale = true;
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}

// --- TacCheckBoxWnd ---------------------------------------------------------------------------

bool TacCheckBoxWnd::IsRadio() const {
    const LONG type = ::GetWindowLongA(Handle(), GWL_STYLE) & BS_TYPEMASK;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

bool TacCheckBoxWnd::Pushed() const {
    return (::SendMessageA(Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
}

bool TacCheckBoxWnd::Hot() const {
    TsSkinManager* manager = SkinData().SkinManager();
    return ::GetFocus() == Handle() || SkinData().Hovered || (manager != nullptr && manager->HotWindow() == Handle());
}

SIZE TacCheckBoxWnd::GlyphSize(int itemIndex) const {
    const TsSkinModel* model = SkinData().Model();
    if (model == nullptr || !model->HasImage(itemIndex))
        return SIZE{16, 16};
    const TsMaskData& item = model->Masks[static_cast<std::size_t>(itemIndex)];
    return SIZE{std::max(0, FrameWidth(item)), std::max(0, FrameHeight(item))};
}

void TacCheckBoxWnd::PaintGlyph(TBitmap& cache, int itemIndex, const RECT& rect) {
    const TsSkinModel* model = SkinData().Model();
    if (model == nullptr || !model->HasImage(itemIndex))
        return;
    const int frame = Pushed() ? 2 : (Hot() ? 1 : 0);
    DrawStateImage(cache.Pixels(), rect.left, rect.top, frame,
                   ParentBackdrop().Shifted(PositionInParent().x, PositionInParent().y),
                   model->Masks[static_cast<std::size_t>(itemIndex)], simNormal);
}

bool TacCheckBoxWnd::PaintFace() {
    const LONG style = ::GetWindowLongA(Handle(), GWL_STYLE);
    const bool hot = Enabled() && Hot();
    if (!RenderSectionFace(hot ? 1 : 0))
        return false;
    if ((style & BS_TYPEMASK) == BS_OWNERDRAW)
        return true;
    TBitmap& cache = *SkinData().CacheBitmap;
    const LRESULT check = ::SendMessageA(Handle(), BM_GETCHECK, 0, 0);
    const char* names[3] = {IsRadio() ? "RADIOUNCHECKED" : "BOXUNCHECKED", IsRadio() ? "RADIOCHECKED" : "BOXCHECKED",
                            "BOXGRAYED"};
    const TsSkinModel* model = SkinData().Model();
    const std::string name = names[std::clamp<int>(static_cast<int>(check), 0, 2)];
    const int item = model != nullptr ? model->ExactImageIndexOf("GLOBALINFO", name) : -1;
    const SIZE glyph = GlyphSize(item);
    const bool leftText = (style & BS_LEFTTEXT) != 0;
    const int width = cache.Width();
    const int height = cache.Height();
    const int glyphLeft = leftText ? width - glyph.cx : 0;
    const RECT glyphRect{glyphLeft, (height - glyph.cy) / 2, glyphLeft + glyph.cx, (height - glyph.cy) / 2 + glyph.cy};

    const std::string text = WindowText();
    AssignFont(cache.Canvas());
    RECT measured{0, 0, std::max<LONG>(0, width - glyph.cx - 2), 0};
    const UINT wrap = (style & BS_MULTILINE) != 0 ? DT_WORDBREAK : DT_SINGLELINE;
    ::DrawTextA(cache.Canvas().Handle(), text.empty() ? " " : text.c_str(), -1, &measured, DT_CALCRECT | wrap);
    const int textHeight = measured.bottom - measured.top;
    const int textWidth = std::min<int>(measured.right - measured.left, std::max<LONG>(0, width - glyph.cx - 2));
    RECT textRect;
    textRect.top = std::max<LONG>(0, (height - textHeight) / 2);
    textRect.bottom = textRect.top + textHeight;
    textRect.left = leftText ? std::max<LONG>(0, glyphLeft - 4 - textWidth) : glyph.cx + 4;
    textRect.right = textRect.left + textWidth;
    // "&" marks the accelerator, as the system's own check boxes show it and as measured above.
    DrawCaption(cache, text, textRect, wrap, hot);
    if (::GetFocus() == Handle() && !text.empty()) {
        const RECT focus{textRect.left - 1, textRect.top - 1, textRect.right + 1, textRect.bottom + 1};
        DrawFocusRectangle(cache.Canvas().Handle(), focus, clBtnFace, 0);
    }
    PaintGlyph(cache, item, glyphRect);
    if (!Enabled())
        BlendTowardBackdrop(cache, ParentBackdrop(), PositionInParent().x, PositionInParent().y);
    return true;
}

void TacCheckBoxWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage && Skinned() &&
        (SkinCommandCode(message.WParam) == scHotEnter || SkinCommandCode(message.WParam) == scHotLeave)) {
        // The glyph and text change with the hot state: shown at once, not at the next
        // paint the system gets round to.
        TacMainWnd::WindowProc(message, next);
        RedrawNow();
        return;
    }
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT:
        PaintWindowFromFace(message);
        return;
    case WM_ERASEBKGND:
    case WM_NCPAINT:
        message.Result = 1;
        return;
    case BM_SETCHECK:
    case BM_SETSTATE:
    case WM_SETTEXT:
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
        PassWithoutRedraw(message, next);
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_KEYUP:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        TacMainWnd::WindowProc(message, next);
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return;
    case WM_NCHITTEST:
        TacMainWnd::WindowProc(message, next);
        if (Enabled())
            if (TsSkinManager* manager = SkinData().SkinManager())
                manager->TrackHotWindow(Handle());
        return;
    case CM_MOUSELEAVE:
        TacMainWnd::WindowProc(message, next);
        ReportPointerLeft();
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}

// --- TacBtnWnd ----------------------------------------------------------------------------------

bool TacBtnWnd::Pushed() const {
    return (::SendMessageA(Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
}

int TacBtnWnd::State() const {
    if (Pushed())
        return 2;
    if (!Enabled())
        return 0;
    TsSkinManager* manager = SkinData().SkinManager();
    if (::GetFocus() == Handle() || SkinData().Hovered || (manager != nullptr && manager->HotWindow() == Handle()))
        return 1;
    return (::GetWindowLongA(Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON ? 1 : 0;
}

bool TacBtnWnd::PaintFace() {
    const int state = State();
    if (!RenderSectionFace(state))
        return false;
    TBitmap& cache = *SkinData().CacheBitmap;
    const std::string text = WindowText();
    if (!text.empty()) {
        AssignFont(cache.Canvas());
        const SIZE size = MeasureText(cache.Canvas(), text);
        const int shift = state == 2 ? 1 : 0;
        RECT r;
        r.left = (cache.Width() - size.cx) / 2 + shift;
        r.top = (cache.Height() - size.cy) / 2 + shift;
        r.right = r.left + size.cx;
        r.bottom = r.top + size.cy;
        DrawCaption(cache, text, r, DT_SINGLELINE | DT_CENTER | DT_VCENTER, state != 0);
        const TsGeneralData* section = SkinData().Section();
        if (Enabled() && ::GetFocus() == Handle() && section != nullptr && section->ShowFocus)
            DrawFocusRectangle(cache.Canvas().Handle(), RECT{r.left - 1, r.top - 1, r.right + 1, r.bottom + 1},
                               clBtnFace, 0);
    }
    if (!Enabled())
        BlendTowardBackdrop(cache, ParentBackdrop(), PositionInParent().x, PositionInParent().y);
    return true;
}

void TacBtnWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT:
        PaintWindowFromFace(message);
        return;
    case WM_ERASEBKGND:
    case WM_NCPAINT:
        message.Result = 1;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
    case WM_SETTEXT:
    case BM_SETSTATE:
    case BM_SETSTYLE:
        PassWithoutRedraw(message, next);
        return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        TacMainWnd::WindowProc(message, next);
        if (message.Msg == CM_MOUSELEAVE)
            ReportPointerLeft();
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}

} // namespace sj
