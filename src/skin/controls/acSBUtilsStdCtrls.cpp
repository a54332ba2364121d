// Adapters of edits, group boxes, check and radio buttons and push buttons.
#include "skin/controls/acSBUtils.h"

#include "skin/controls/acSBUtilsInternal.h"

namespace sj {

using namespace adapter_detail;

// --- TacEditWnd ---------------------------------------------------------------------------

void TacEditWnd::InitHook() {
    savedColor_ = Control().Color();
    savedFontColor_ = Control().Font().Color();
}

void TacEditWnd::RestoreHook() {
    Control().SetColor(savedColor_);
    Control().Font().SetColor(savedFontColor_);
}

int TacEditWnd::State() const {
    const TsGeneralData* section = SkinData().Section();
    const bool hot = SkinData().HasFocus || SkinData().Hovered || ::GetFocus() == Handle();
    return hot && section != nullptr && section->States > 1 ? 1 : 0;
}

void TacEditWnd::ApplySkinHook() {
    TacMainWnd::ApplySkinHook();
    const TsGenState* props = StateProps(SkinData(), State());
    if (props == nullptr)
        return;
    if (!SkinData().CustomColor())
        Control().SetColor(static_cast<TColor>(props->Color));
    if (!SkinData().CustomFont())
        Control().Font().SetColor(static_cast<TColor>(props->FontColor));
}

void TacEditWnd::PaintBorder() {
    HDC dc = ::GetWindowDC(Handle());
    if (dc == nullptr)
        return;
    RECT window{};
    ::GetWindowRect(Handle(), &window);
    const RECT rect{0, 0, window.right - window.left, window.bottom - window.top};
    RECT client{};
    // The frame is where the client area starts: a scroll bar widens only one side.
    POINT clientOrigin{0, 0};
    ::ClientToScreen(Handle(), &clientOrigin);
    const int border = std::max<int>(0, std::min<int>(clientOrigin.x - window.left, clientOrigin.y - window.top));
    PaintControlBorder(dc, rect, border, client, Control().Enabled() ? State() : 0, SkinData());
    if (!Control().Enabled() && SkinData().CacheBitmap)
        PaintDisabledLook(*SkinData().CacheBitmap, dkBlended, &Control(), POINT{Control().Left(), Control().Top()},
                          ParentBackdrop());
    if (SkinData().CacheBitmap && border > 0) {
        // Only the ring: the client area keeps the system's own painting.
        ::ExcludeClipRect(dc, border, border, rect.right - border, rect.bottom - border);
        ::BitBlt(dc, 0, 0, rect.right, rect.bottom, SkinData().CacheBitmap->Canvas().Handle(), 0, 0, SRCCOPY);
    }
    ::ReleaseDC(Handle(), dc);
}

void TacEditWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage && Skinned()) {
        const WORD code = SkinCommandCode(message.WParam);
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
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_NCPAINT:
        if (!skinApplied_)
            ApplySkinHook();
        PaintBorder();
        message.Result = 0;
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
        TacMainWnd::WindowProc(message, next);
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
    TacMainWnd::WindowProc(message, next);
}

// --- TacGroupBoxWnd --------------------------------------------------------------------------

RECT TacGroupBoxWnd::CaptionRect() {
    SkinData().PrepareCacheBitmap();
    TCanvas& canvas = SkinData().CacheBitmap->Canvas();
    canvas.Font().Assign(Control().Font());
    const SIZE size = MeasureText(canvas, WindowText());
    const bool rtl = (::GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    return GroupBoxCaptionRect(Control().Width(), size.cx, size.cy, rtl);
}

void TacGroupBoxWnd::RestoreHook() {
    // The opaque flag was ours; the saved control style comes back with the unhooking.
    SkinData().CacheStale = true;
}

bool TacGroupBoxWnd::PaintFace() {
    SkinData().PrepareCacheBitmap();
    TBitmap& cache = *SkinData().CacheBitmap;
    const int width = cache.Width();
    const int height = cache.Height();
    if (width <= 0 || height <= 0)
        return false;
    const RECT caption = CaptionRect();
    const int top = std::min<int>(height, (caption.bottom - caption.top) / 2);
    TBackdropRef backdrop = ParentBackdrop();
    const TacRect whole{0, 0, width, height};
    CopyBackdrop(cache.Pixels(), whole, backdrop, Control().Left(), Control().Top());
    if (top < height)
        PaintControlFace(cache.Pixels(), TacRect{0, top, width, height}, SkinData().Model(), SkinData().FaceParams(), 0,
                         true, backdrop, Control().Left(), Control().Top() + top);
    const TacRect captionArea{caption.left, caption.top, caption.right, std::min<int>(caption.bottom, height)};
    CopyBackdrop(cache.Pixels(), captionArea, backdrop, Control().Left() + caption.left, Control().Top());
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
                   ParentBackdrop().Shifted(Control().Left(), Control().Top()),
                   model->Masks[static_cast<std::size_t>(itemIndex)], simNormal);
}

bool TacCheckBoxWnd::PaintFace() {
    const LONG style = ::GetWindowLongA(Handle(), GWL_STYLE);
    const bool hot = Control().Enabled() && Hot();
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
    cache.Canvas().Font().Assign(Control().Font());
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
    DrawCaption(cache, text, textRect, wrap | DT_NOPREFIX, hot);
    if (::GetFocus() == Handle() && !text.empty()) {
        const RECT focus{textRect.left - 1, textRect.top - 1, textRect.right + 1, textRect.bottom + 1};
        DrawFocusRectangle(cache.Canvas().Handle(), focus, clBtnFace, 0);
    }
    PaintGlyph(cache, item, glyphRect);
    if (!Control().Enabled())
        BlendTowardBackdrop(cache, ParentBackdrop(), Control().Left(), Control().Top());
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
    if (!Control().Enabled())
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
        cache.Canvas().Font().Assign(Control().Font());
        const SIZE size = MeasureText(cache.Canvas(), text);
        const int shift = state == 2 ? 1 : 0;
        RECT r;
        r.left = (cache.Width() - size.cx) / 2 + shift;
        r.top = (cache.Height() - size.cy) / 2 + shift;
        r.right = r.left + size.cx;
        r.bottom = r.top + size.cy;
        DrawCaption(cache, text, r, DT_SINGLELINE | DT_CENTER | DT_VCENTER, state != 0);
        const TsGeneralData* section = SkinData().Section();
        if (Control().Enabled() && ::GetFocus() == Handle() && section != nullptr && section->ShowFocus)
            DrawFocusRectangle(cache.Canvas().Handle(), RECT{r.left - 1, r.top - 1, r.right + 1, r.bottom + 1},
                               clBtnFace, 0);
    }
    if (!Control().Enabled())
        BlendTowardBackdrop(cache, ParentBackdrop(), Control().Left(), Control().Top());
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
