#include "skin/controls/acSBUtils.h"

#include <uxtheme.h>

#include <algorithm>

#include <commctrl.h>

#include "forms/Bitmap.h"
#include "forms/ComCtrls.h"
#include "forms/Forms.h"
#include "skin/data/sMaskData.h"
#include "skin/paint/acAlphaImageList.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sControlText.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sMaskPaint.h"
#include "skin/paint/sSectionPaint.h"

namespace sj {

namespace {

// Controls the skinning layer must never touch carry this tag.
constexpr std::intptr_t NeverSkinnedTag = -98;
// Labels that keep their own font colour.
constexpr std::intptr_t OwnColorLabelTag = 98;

const char* DefaultSectionOfList(int list) {
    switch (list) {
    case tpEdits:
        return "EDIT";
    case tpButtons:
        return "BUTTON";
    case tpCheckBoxes:
        return "CHECKBOX";
    case tpGroupBoxes:
        return "GROUPBOX";
    case tpPageControls:
        return "PAGECONTROL";
    default:
        return "";
    }
}

bool AnswersSkinned(TWinControl& control) {
    return control.HandleAllocated() && SendSkinCommand(&control, scIsSkinned) != 0;
}

const TsGenState* StateProps(const TsCommonData& data, int state) {
    const TsGeneralData* section = data.Section();
    if (section == nullptr)
        return nullptr;
    state = std::clamp(state, 0, std::max(0, section->States - 1));
    return &section->StateProps[static_cast<std::size_t>(std::min(state, 1))];
}

// A text colour a skin really defines: skins without one leave the key colour or a
// negative value behind, which must never reach a control.
bool IsUsableTextColor(std::int32_t color) {
    return color >= 0 && static_cast<TColor>(color) != clKeyPixel;
}

// The backdrop under area, whose top-left lies at (x, y) of the parent's client area.
void CopyBackdrop(TacPixelsView target, const TacRect& area, const TBackdropRef& backdrop, int x, int y) {
    if (backdrop.HasBitmap()) {
        const int left = x + backdrop.OffsetX;
        const int top = y + backdrop.OffsetY;
        CopyPixels(target, area.Left, area.Top, backdrop.Bitmap,
                   TacRect{left, top, left + area.Right - area.Left, top + area.Bottom - area.Top});
    } else if (backdrop.Color != clUnknownColor) {
        FillPixels(target, area, ColorToPixelOrder(backdrop.Color), 0xFF);
    }
}

// A disabled button keeps 40 % of its face and takes 60 % of what lies behind it.
void BlendTowardBackdrop(TBitmap& face, const TBackdropRef& backdrop, int x, int y) {
    if (backdrop.HasBitmap()) {
        const int left = x + backdrop.OffsetX;
        const int top = y + backdrop.OffsetY;
        BlendSkippingKey(face.Pixels(), 0, 0, backdrop.Bitmap,
                         TacRect{left, top, left + face.Width(), top + face.Height()}, 0.4);
    } else if (backdrop.Color != clUnknownColor) {
        BlendColorSkippingKey(face.Pixels(), backdrop.Color, 0.4);
    }
}

SIZE MeasureText(TCanvas& canvas, const std::string& text) {
    RECT r{0, 0, 0, 0};
    ::DrawTextA(canvas.Handle(), text.empty() ? " " : text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
    return SIZE{text.empty() ? 0 : r.right - r.left, r.bottom - r.top};
}

} // namespace

int FindAdapterList(const TsSkinManager& manager, const std::string& className) {
    for (int i = 0; i < ThirdPartyListCount; ++i) {
        const auto& list = manager.AdapterClassLists[static_cast<std::size_t>(i)];
        if (std::find(list.begin(), list.end(), className) != list.end())
            return i;
    }
    return -1;
}

RECT GroupBoxCaptionRect(int width, int textWidth, int textHeight, bool rightToLeft) {
    RECT r;
    r.left = rightToLeft ? width - textWidth - 14 : 6;
    r.top = 0;
    r.bottom = std::max(4, textHeight) + 2;
    r.right = std::min<LONG>(r.left + textWidth + 8, width - 1);
    return r;
}

// --- TacMainWnd ------------------------------------------------------------------------

TacMainWnd::TacMainWnd(TWinControl& control, TsSkinManager* manager, TsCommonData& skinData)
    : control_(control), manager_(manager), skinData_(skinData) {}

TacMainWnd::~TacMainWnd() {
    Unhook();
}

void TacMainWnd::Hook() {
    if (hooked_ || !control_.HandleAllocated())
        return;
    window_ = control_.HandleIfAllocated();
    if (skinData_.SkinManager() != manager_ && manager_ != nullptr)
        skinData_.SetSkinManager(manager_);
    ::SetWindowTheme(window_, L" ", L" ");
    InitHook();
    hook_ = control_.HookWindowProc([this](TMessage& message, const TWndNext& next) { WindowProc(message, next); });
    ::SetPropA(window_, AdaptedWindowProperty, reinterpret_cast<HANDLE>(this));
    savedStyle_ = control_.ControlStyle();
    control_.SetControlStyle(savedStyle_ | csOpaque);
    hooked_ = true;
    // A skin removed earlier left the data blocked; this window is painted again now.
    skinData_.InUpdate = false;
    skinData_.ResolveSection();
    ApplySkinHook();
    ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
}

void TacMainWnd::Unhook() {
    if (!hooked_)
        return;
    hooked_ = false;
    destroyed_ = true;
    // A control being freed is past its own destructor: only its component part is left.
    const bool controlAlive = !control_.HasState(csDestroying);
    if (controlAlive)
        control_.SetControlStyle(savedStyle_);
    hook_.Unhook();
    if (::IsWindow(window_)) {
        ::RemovePropA(window_, AdaptedWindowProperty);
        ::SetWindowTheme(window_, nullptr, nullptr);
    }
    if (controlAlive)
        RestoreHook();
    skinApplied_ = false;
    if (::IsWindow(window_))
        ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
}

bool TacMainWnd::Skinned() const {
    return hooked_ && skinData_.IsSkinned(true);
}

std::string TacMainWnd::WindowText() const {
    return control_.Text();
}

TBackdropRef TacMainWnd::ParentBackdrop() {
    TBackdropRef ref;
    skinData_.GetBackdrop(ref);
    return ref;
}

bool TacMainWnd::RenderSectionFace(int state) {
    skinData_.PrepareCacheBitmap();
    TBitmap& cache = *skinData_.CacheBitmap;
    if (cache.Width() <= 0 || cache.Height() <= 0)
        return false;
    TBackdropRef backdrop = ParentBackdrop();
    PaintControlFace(cache.Pixels(), TacRect{0, 0, cache.Width(), cache.Height()}, skinData_.Model(),
                     skinData_.FaceParams(), state, true, backdrop, control_.Left(), control_.Top());
    return true;
}

void TacMainWnd::DrawCaption(TBitmap& cache, const std::string& text, const RECT& rect, UINT flags, bool hot) {
    if (text.empty() || rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    cache.Canvas().Font().Assign(control_.Font());
    DrawControlText(cache.Canvas(), text, control_.Enabled(), hot, skinData_, flags, rect);
}

void TacMainWnd::CopyFace(HDC dc) {
    if (!skinData_.CacheBitmap)
        return;
    TBitmap& cache = *skinData_.CacheBitmap;
    const bool own = dc == nullptr;
    if (own)
        dc = ::GetDC(window_);
    if (dc == nullptr)
        return;
    ::BitBlt(dc, 0, 0, cache.Width(), cache.Height(), cache.Canvas().Handle(), 0, 0, SRCCOPY);
    if (own)
        ::ReleaseDC(window_, dc);
}

void TacMainWnd::PaintWindowFromFace(TMessage& message) {
    PAINTSTRUCT paint{};
    HDC dc = message.WParam != 0 ? reinterpret_cast<HDC>(message.WParam) : ::BeginPaint(window_, &paint);
    skinData_.CacheStale = true;
    if (PaintFace()) {
        skinData_.CacheStale = false;
        CopyFace(dc);
        control_.PaintControls(dc);
    }
    if (message.WParam == 0)
        ::EndPaint(window_, &paint);
    message.Result = 0;
}

void TacMainWnd::PassWithoutRedraw(TMessage& message, const TWndNext& next) {
    ::SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
    next(message);
    ::SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
    skinData_.CacheStale = true;
    ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void TacMainWnd::AnswerSkinCommand(TMessage& message, const TWndNext& next) {
    switch (SkinCommandCode(message.WParam)) {
    case scIsSkinned:
        message.Result = 1;
        return;
    case scQueryApplication:
        message.Result = reinterpret_cast<LRESULT>(Application);
        return;
    case scRemoveSkin:
        // The manager stops at a skinned window and leaves its children to it.
        PassSkinCommandToChildren(Control(), scRemoveSkin, message.LParam);
        skinData_.HandleCommonMessage(message);
        Unhook();
        next(message);
        return;
    case scNewSkin:
    case scRefresh:
        skinData_.HandleCommonMessage(message);
        skinData_.ResolveSection();
        skinData_.CacheStale = true;
        ApplySkinHook();
        ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
        PassSkinCommandToChildren(Control(), SkinCommandCode(message.WParam), message.LParam);
        return;
    case 6:
        skinData_.InUpdate = false;
        ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
        return;
    case scHotEnter:
    case scHotLeave:
        skinData_.Hovered = SkinCommandCode(message.WParam) == scHotEnter;
        skinData_.CacheStale = true;
        ::InvalidateRect(window_, nullptr, FALSE);
        return;
    default:
        if (!skinData_.HandleCommonMessage(message))
            next(message);
        return;
    }
}

void TacMainWnd::WindowProc(TMessage& message, const TWndNext& next) {
    if (message.Msg == SkinCommandMessage) {
        AnswerSkinCommand(message, next);
        return;
    }
    if (message.Msg == WM_DESTROY || message.Msg == WM_NCDESTROY) {
        skinData_.HideGlow();
        next(message);
        Unhook();
        return;
    }
    if (!Skinned()) {
        next(message);
        return;
    }
    switch (message.Msg) {
    case WM_UPDATEUISTATE:
        message.Result = 0;
        return;
    case WM_SIZE:
        skinData_.CacheStale = true;
        break;
    case WM_MOUSEMOVE:
        if (control_.Enabled())
            if (TsSkinManager* manager = skinData_.SkinManager())
                manager->TrackHotWindow(window_);
        break;
    case WM_PRINT:
    case WM_PRINTCLIENT:
        skinData_.CacheStale = true;
        if (PaintFace()) {
            skinData_.CacheStale = false;
            CopyFace(reinterpret_cast<HDC>(message.WParam));
            control_.PaintControls(reinterpret_cast<HDC>(message.WParam));
            message.Result = 0;
            return;
        }
        break;
    default:
        break;
    }
    next(message);
}

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
    RECT ownClient{};
    ::GetClientRect(Handle(), &ownClient);
    const int border = std::max<int>(0, (rect.right - ownClient.right) / 2);
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

void TacEditWnd::WindowProc(TMessage& message, const TWndNext& next) {
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
        TacMainWnd::WindowProc(message, next);
        if (message.Msg == WM_KILLFOCUS)
            SkinData().HasFocus = false;
        SkinData().CacheStale = true;
        ApplySkinHook();
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

void TacGroupBoxWnd::WindowProc(TMessage& message, const TWndNext& next) {
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

void TacCheckBoxWnd::WindowProc(TMessage& message, const TWndNext& next) {
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

void TacBtnWnd::WindowProc(TMessage& message, const TWndNext& next) {
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
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}

// --- TacPageWnd -----------------------------------------------------------------------------------

TacPageWnd::TacPageWnd(TWinControl& page, TsSkinManager* manager, std::unique_ptr<TsCommonData> skinData,
                       TacPageControlWnd& owner)
    : TacMainWnd(page, manager, *skinData), ownData_(std::move(skinData)), owner_(owner) {}

void TacPageWnd::PaintBackground(HDC dc) {
    TBitmap* face = owner_.Face();
    if (face == nullptr || dc == nullptr)
        return;
    RECT client{};
    ::GetClientRect(Handle(), &client);
    // The page lies inside the control's body: show the body exactly where it is.
    ::BitBlt(dc, 0, 0, client.right, client.bottom, face->Canvas().Handle(), Control().Left(), Control().Top(),
             SRCCOPY);
}

void TacPageWnd::AnswerBackdrop(TBackdropQuery& query) {
    TBitmap* face = owner_.Face();
    if (face == nullptr) {
        const LRESULT parentColor = SendSkinCommand(Control().Parent(), scQueryColor);
        query.Kind = bqColor;
        query.Color = parentColor != 0 ? static_cast<TColor>(parentColor) : Control().Color();
        return;
    }
    query.Kind = bqBitmap;
    if (query.PaintNow != 0 && query.TargetDC != nullptr) {
        const RECT& a = query.Area;
        ::BitBlt(query.TargetDC, a.left, a.top, a.right - a.left, a.bottom - a.top, face->Canvas().Handle(),
                 a.left + Control().Left(), a.top + Control().Top(), SRCCOPY);
        return;
    }
    query.Bitmap = face;
    query.OffsetX = Control().Left();
    query.OffsetY = Control().Top();
}

void TacPageWnd::WindowProc(TMessage& message, const TWndNext& next) {
    if (message.Msg == SkinCommandMessage && SkinCommandCode(message.WParam) == scQueryBackdrop && Skinned() &&
        message.LParam != 0) {
        AnswerBackdrop(*reinterpret_cast<TBackdropQuery*>(message.LParam));
        message.Result = 1;
        return;
    }
    if (message.Msg == SkinCommandMessage && SkinCommandCode(message.WParam) == scQueryColor && Skinned()) {
        message.Result = SendSkinCommand(Control().Parent(), scQueryColor);
        return;
    }
    if (message.Msg == WM_ERASEBKGND && Skinned()) {
        PaintBackground(reinterpret_cast<HDC>(message.WParam));
        message.Result = 1;
        return;
    }
    TacMainWnd::WindowProc(message, next);
}

// --- TacPageControlWnd --------------------------------------------------------------------------

TacPageControlWnd::~TacPageControlWnd() {
    Unhook();
    pages_.clear();
}

void TacPageControlWnd::RestoreHook() {
    pages_.clear();
}

std::string TacPageControlWnd::BodySection() const {
    const std::string& own = SkinData().SkinSection();
    if (!own.empty() && own != "PAGECONTROL")
        return own;
    if (TabCtrl_GetItemCount(Handle()) <= 0)
        return "CHECKBOX";
    const LONG style = ::GetWindowLongA(Handle(), GWL_STYLE);
    if ((style & TCS_VERTICAL) != 0)
        return (style & TCS_RIGHT) != 0 ? "PAGECONTROLRIGHT" : "PAGECONTROLLEFT";
    return (style & TCS_BOTTOM) != 0 ? "PAGECONTROLBOTTOM" : "PAGECONTROL";
}

std::string TacPageControlWnd::TabSection() const {
    const LONG style = ::GetWindowLongA(Handle(), GWL_STYLE);
    if ((style & TCS_BUTTONS) != 0)
        return (style & TCS_FLATBUTTONS) != 0 ? "TOOLBUTTON" : "BUTTON";
    if ((style & TCS_VERTICAL) != 0)
        return (style & TCS_RIGHT) != 0 ? "TABRIGHT" : "TABLEFT";
    return (style & TCS_BOTTOM) != 0 ? "TABBOTTOM" : "TABTOP";
}

void TacPageControlWnd::AttachPages() {
    pages_.erase(std::remove_if(pages_.begin(), pages_.end(), [](const auto& page) { return page->Destroyed(); }),
                 pages_.end());
    auto* control = dynamic_cast<TPageControl*>(&Control());
    if (control == nullptr)
        return;
    for (int i = 0; i < control->PageCount(); ++i) {
        TTabSheet* sheet = control->Pages(i);
        if (!sheet->HandleAllocated())
            continue;
        if (std::any_of(pages_.begin(), pages_.end(), [sheet](const auto& page) { return &page->Control() == sheet; }))
            continue;
        auto data = std::make_unique<TsCommonData>(sheet, true);
        data->ControlKind = ckStdAdapter;
        data->SetSkinManager(SkinData().SkinManager());
        data->SetSkinSection("CHECKBOX");
        pages_.push_back(std::make_unique<TacPageWnd>(*sheet, SkinData().SkinManager(), std::move(data), *this));
        pages_.back()->Hook();
    }
}

TBitmap* TacPageControlWnd::Face() {
    if (!Skinned())
        return nullptr;
    if (SkinData().CacheStale || !SkinData().CacheBitmap || SkinData().CacheBitmap->Width() != Control().Width() ||
        SkinData().CacheBitmap->Height() != Control().Height()) {
        if (!PaintFace())
            return nullptr;
        SkinData().CacheStale = false;
    }
    TBitmap* face = SkinData().CacheBitmap.get();
    return face != nullptr && face->Width() > 0 && face->Height() > 0 ? face : nullptr;
}

constexpr int TabImageTextGap = 8;

void TacPageControlWnd::PaintTab(TBitmap& cache, int index, const RECT& rect, bool selected) {
    const TsSkinModel* model = SkinData().Model();
    if (model == nullptr)
        return;
    const std::string name = TabSection();
    const std::int32_t section = model->SectionIndexOf(name);
    const TacRect area{std::max<int>(0, rect.left), std::max<int>(0, rect.top),
                       std::min<int>(cache.Width(), rect.right), std::min<int>(cache.Height(), rect.bottom)};
    if (area.Right <= area.Left || area.Bottom <= area.Top || !model->HasSection(section))
        return;
    const int states = model->GeneralData[static_cast<std::size_t>(section)].States;
    const int state = selected ? std::clamp(2, 0, std::max(0, states - 1)) : 0;
    // The body is already under the tab: the tab's clear corners show it.
    auto copy = CreateBitmap32(area.Right - area.Left, area.Bottom - area.Top);
    CopyPixels(copy->Pixels(), 0, 0, cache.Pixels(), area);
    PaintSectionFace(copy->Pixels(), TacRect{0, 0, copy->Width(), copy->Height()}, model, section, name, state, true,
                     BitmapBackdrop(copy->Pixels(), 0, 0), 0, 0);
    CopyPixels(cache.Pixels(), area.Left, area.Top, copy->Pixels(), TacRect{0, 0, copy->Width(), copy->Height()});
    char text[256] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    item.iImage = -1;
    TabCtrl_GetItem(Handle(), index, &item);
    const RECT inner{rect.left + 3, rect.top + 3, rect.right - 3, rect.bottom - 3};
    if (inner.right <= inner.left || inner.bottom <= inner.top)
        return;
    cache.Canvas().Font().Assign(Control().Font());
    // Image and text are centred as one group, the image left of the text, 8 pixels apart.
    auto* pages = dynamic_cast<TPageControl*>(&Control());
    auto* images = pages != nullptr ? dynamic_cast<TCustomImageList*>(pages->Images()) : nullptr;
    const bool hasImage = images != nullptr && item.iImage >= 0 && item.iImage < images->Count();
    const int imageWidth = hasImage ? images->Width() : 0;
    const int textWidth = text[0] != '\0' ? cache.Canvas().TextWidth(text) : 0;
    const int gap = hasImage && textWidth > 0 ? TabImageTextGap : 0;
    const int groupLeft = inner.left + ((inner.right - inner.left) - (imageWidth + gap + textWidth)) / 2;
    if (hasImage) {
        const int imageTop = inner.top + ((inner.bottom - inner.top) - images->Height()) / 2;
        DrawItemInto(cache.Pixels(), groupLeft, imageTop, *images, item.iImage);
    }
    if (textWidth > 0) {
        RECT textRect{std::max<LONG>(inner.left, groupLeft + imageWidth + gap), inner.top, inner.right, inner.bottom};
        const UINT align = hasImage ? DT_LEFT : DT_CENTER;
        DrawSectionTextOnCanvas(cache.Canvas(), text, Control().Enabled(), SkinData().SkinManager(), selected, section,
                                align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, textRect);
    }
}

bool TacPageControlWnd::PaintFace() {
    SkinData().PrepareCacheBitmap();
    TBitmap& cache = *SkinData().CacheBitmap;
    const int width = cache.Width();
    const int height = cache.Height();
    if (width <= 0 || height <= 0)
        return false;
    TBackdropRef backdrop = ParentBackdrop();
    CopyBackdrop(cache.Pixels(), TacRect{0, 0, width, height}, backdrop, Control().Left(), Control().Top());
    const int count = TabCtrl_GetItemCount(Handle());
    RECT body{0, 0, width, height};
    if (count > 0) {
        RECT display{0, 0, width, height};
        TabCtrl_AdjustRect(Handle(), FALSE, &display);
        const LONG style = ::GetWindowLongA(Handle(), GWL_STYLE);
        // The body's frame hugs the display area by the width of the system's border.
        if ((style & TCS_VERTICAL) == 0) {
            if ((style & TCS_BOTTOM) != 0)
                body.bottom = std::min<LONG>(height, display.bottom + 2);
            else
                body.top = std::max<LONG>(0, display.top - 2);
        } else if ((style & TCS_RIGHT) != 0) {
            body.right = std::min<LONG>(width, display.right + 2);
        } else {
            body.left = std::max<LONG>(0, display.left - 2);
        }
    }
    const TsSkinModel* model = SkinData().Model();
    const std::string bodyName = BodySection();
    const std::int32_t bodyIndex = model != nullptr ? model->SectionIndexOf(bodyName) : -1;
    if (model != nullptr && model->HasSection(bodyIndex) && body.right > body.left && body.bottom > body.top)
        PaintSectionFace(cache.Pixels(), TacRect{body.left, body.top, body.right, body.bottom}, model, bodyIndex,
                         bodyName, 0, true, backdrop, Control().Left() + body.left, Control().Top() + body.top);
    const int selected = TabCtrl_GetCurSel(Handle());
    for (int i = 0; i < count; ++i) {
        RECT r{};
        if (i != selected && TabCtrl_GetItemRect(Handle(), i, &r))
            PaintTab(cache, i, r, false);
    }
    RECT active{};
    if (selected >= 0 && TabCtrl_GetItemRect(Handle(), selected, &active)) {
        // The selected tab reaches into the body's edge so that no seam shows.
        if ((::GetWindowLongA(Handle(), GWL_STYLE) & (TCS_VERTICAL | TCS_BOTTOM)) == 0)
            active.bottom = std::max<LONG>(active.bottom, body.top + 1);
        PaintTab(cache, selected, active, true);
    }
    return true;
}

void TacPageControlWnd::PaintToDC(HDC dc) {
    TBitmap* face = Face();
    if (face == nullptr)
        return;
    RECT whole{0, 0, face->Width(), face->Height()};
    CopyCacheToWindowDC(Handle(), SkinData(), whole, 0, 0, false, dc, whole);
}

void TacPageControlWnd::WindowProc(TMessage& message, const TWndNext& next) {
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT: {
        AttachPages();
        PAINTSTRUCT paint{};
        HDC dc = message.WParam != 0 ? reinterpret_cast<HDC>(message.WParam) : ::BeginPaint(Handle(), &paint);
        PaintToDC(dc);
        if (message.WParam == 0)
            ::EndPaint(Handle(), &paint);
        message.Result = 0;
        return;
    }
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case CN_NOTIFY:
    case TCM_SETCURSEL:
    case WM_SIZE:
    case WM_SETFONT:
        TacMainWnd::WindowProc(message, next);
        SkinData().CacheStale = true;
        AttachPages();
        ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return;
    case WM_PARENTNOTIFY:
        TacMainWnd::WindowProc(message, next);
        AttachPages();
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}

// --- TacAdapterItem ----------------------------------------------------------------------------

TacAdapterItem::TacAdapterItem(TacCtrlAdapter& adapter, TWinControl& control)
    : adapter_(adapter), control_(&control), skinData_(&control, true) {
    skinData_.ControlKind = ckStdAdapter;
    skinData_.SetSkinManager(adapter.Manager());
    watcher_ = control.HookWindowProc([this](TMessage& message, const TWndNext& next) { Watch(message, next); });
}

TacAdapterItem::~TacAdapterItem() {
    windowAdapter_.reset();
    watcher_.Unhook();
}

void TacAdapterItem::Watch(TMessage& message, const TWndNext& next) {
    next(message);
    const bool created = message.Msg == WM_CREATE && message.Result != -1;
    const bool newSkin = message.Msg == SkinCommandMessage && SkinCommandCode(message.WParam) == scNewSkin;
    if ((created || newSkin) && !AdapterLive())
        DoHook();
}

void TacAdapterItem::DoHook() {
    TsSkinManager* manager = adapter_.Manager();
    TWinControl& control = *control_;
    if (manager == nullptr || !manager->Active() || !control.HandleAllocated() || control.Parent() == nullptr ||
        control.Tag() == NeverSkinnedTag || AdapterLive() || AnswersSkinned(control))
        return;
    const int list = FindAdapterList(*manager, std::string(control.ClassName()));
    std::unique_ptr<TacMainWnd> adapter;
    switch (list) {
    case tpEdits:
        adapter = std::make_unique<TacEditWnd>(control, manager, skinData_);
        break;
    case tpButtons:
        adapter = std::make_unique<TacBtnWnd>(control, manager, skinData_);
        break;
    case tpCheckBoxes:
        adapter = std::make_unique<TacCheckBoxWnd>(control, manager, skinData_);
        break;
    case tpGroupBoxes:
        adapter = std::make_unique<TacGroupBoxWnd>(control, manager, skinData_);
        break;
    case tpPageControls:
        adapter = std::make_unique<TacPageControlWnd>(control, manager, skinData_);
        break;
    default:
        return;
    }
    if (skinData_.SkinSection().empty())
        skinData_.SetSkinSection(DefaultSectionOfList(list));
    windowAdapter_ = std::move(adapter);
    windowAdapter_->Hook();
}

// --- TacCtrlAdapter ----------------------------------------------------------------------------

TacCtrlAdapter::TacCtrlAdapter(TsSkinManager* manager) : TComponent(nullptr), manager_(manager) {}

TacCtrlAdapter::~TacCtrlAdapter() {
    RemoveAllItems();
}

TsSkinManager* TacCtrlAdapter::Manager() const {
    return manager_ != nullptr ? manager_ : PrimaryManager();
}

bool TacCtrlAdapter::IsControlSupported(TComponent& component) const {
    TsSkinManager* manager = Manager();
    if (manager == nullptr || component.Tag() == NeverSkinnedTag)
        return false;
    if (auto* win = dynamic_cast<TWinControl*>(&component); win != nullptr && AnswersSkinned(*win))
        return false;
    if (component.ClassName() == TLabel::StaticClassName)
        return true;
    return FindAdapterList(*manager, std::string(component.ClassName())) >= 0;
}

TacAdapterItem* TacCtrlAdapter::ItemOf(const TControl* control) const {
    for (const auto& item : items_)
        if (item->Control() == control)
            return item.get();
    return nullptr;
}

TacAdapterItem* TacCtrlAdapter::AddNewItem(TWinControl& control, const std::string& section) {
    if (control.Tag() == NeverSkinnedTag || control.Parent() == nullptr)
        return nullptr;
    TacAdapterItem* item = ItemOf(&control);
    if (item == nullptr) {
        if (AnswersSkinned(control))
            return nullptr;
        items_.push_back(std::make_unique<TacAdapterItem>(*this, control));
        item = items_.back().get();
        control.FreeNotification(this);
    }
    if (!section.empty())
        item->SkinData().SetSkinSection(section);
    item->DoHook();
    return item;
}

void TacCtrlAdapter::AdaptLabel(TLabel& label) {
    if (label.Tag() == OwnColorLabelTag || label.Tag() == NeverSkinnedTag)
        return;
    TsSkinManager* manager = Manager();
    if (manager == nullptr || !manager->Active())
        return;
    const std::int32_t color = manager->SkinTextColor();
    if (!IsUsableTextColor(color))
        return;
    const bool known =
        std::any_of(labels_.begin(), labels_.end(), [&](const TSavedLabel& s) { return s.Label == &label; });
    if (!known) {
        labels_.push_back(TSavedLabel{&label, label.Transparent(), label.Font().Color()});
        label.FreeNotification(this);
    }
    label.SetTransparent(true);
    label.Font().SetColor(static_cast<TColor>(color));
}

void TacCtrlAdapter::RestoreLabels() {
    for (const TSavedLabel& saved : labels_) {
        saved.Label->SetTransparent(saved.Transparent);
        saved.Label->Font().SetColor(saved.FontColor);
        saved.Label->RemoveFreeNotification(this);
    }
    labels_.clear();
}

void TacCtrlAdapter::AddChildren(TWinControl& container) {
    for (int i = 0; i < container.ControlCount(); ++i) {
        TControl* child = container.Controls(i);
        if (!IsControlSupported(*child)) {
            if (auto* win = dynamic_cast<TWinControl*>(child))
                AddChildren(*win);
            continue;
        }
        if (auto* label = dynamic_cast<TLabel*>(child);
            label != nullptr && child->ClassName() == TLabel::StaticClassName)
            AdaptLabel(*label);
        else if (auto* win = dynamic_cast<TWinControl*>(child))
            AddNewItem(*win);
        if (auto* win = dynamic_cast<TWinControl*>(child))
            AddChildren(*win);
    }
}

void TacCtrlAdapter::AddAllItems(TWinControl& container) {
    TsSkinManager* manager = Manager();
    if (manager == nullptr || (manager->SkinningRules & srThirdParty) == 0 || walking_)
        return;
    walking_ = true;
    CleanItems();
    AddChildren(container);
    walking_ = false;
}

void TacCtrlAdapter::CleanItems() {
    // Items stay while their control lives: a recreated window is adapted again by the
    // item's watcher. Only items whose control went away are dropped.
    items_.erase(
        std::remove_if(items_.begin(), items_.end(), [](const auto& item) { return item->Control() == nullptr; }),
        items_.end());
}

void TacCtrlAdapter::RemoveAllItems() {
    if (walking_)
        return;
    walking_ = true;
    for (const auto& item : items_)
        if (item->Control() != nullptr)
            item->Control()->RemoveFreeNotification(this);
    items_.clear();
    RestoreLabels();
    walking_ = false;
}

void TacCtrlAdapter::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    items_.erase(std::remove_if(items_.begin(), items_.end(),
                                [component](const auto& item) { return item->Control() == component; }),
                 items_.end());
    labels_.erase(std::remove_if(labels_.begin(), labels_.end(),
                                 [component](const TSavedLabel& s) { return s.Label == component; }),
                  labels_.end());
}

// --- TacFormSkinOwner ----------------------------------------------------------------------------

TacFormSkinOwner::TacFormSkinOwner(TWinControl& form, TsSkinManager* manager)
    : form_(form), manager_(manager), adapter_(std::make_unique<TacCtrlAdapter>(manager)) {
    hook_ = form.HookWindowProc([this](TMessage& message, const TWndNext& next) { Watch(message, next); });
    if (Active())
        adapter_->AddAllItems(form_);
}

TacFormSkinOwner::~TacFormSkinOwner() {
    hook_.Unhook();
    adapter_.reset();
}

bool TacFormSkinOwner::Active() const {
    TsSkinManager* manager = adapter_->Manager();
    return manager != nullptr && manager->Active();
}

TColor TacFormSkinOwner::FormColor() const {
    TsSkinManager* manager = adapter_->Manager();
    const std::int32_t index = manager->Model().SectionIndexOf("FORM");
    if (manager->Model().HasSection(index))
        return static_cast<TColor>(manager->Model().GeneralData[static_cast<std::size_t>(index)].StateProps[0].Color);
    return static_cast<TColor>(manager->SkinBackColor());
}

void TacFormSkinOwner::RenderFace() {
    const RECT client = form_.ClientRect();
    if (!face_)
        face_ = CreateBitmap32(0, 0);
    if (face_->Width() != client.right || face_->Height() != client.bottom)
        face_->SetSize(std::max<int>(0, client.right), std::max<int>(0, client.bottom));
    if (face_->Width() <= 0 || face_->Height() <= 0)
        return;
    TsSkinManager* manager = adapter_->Manager();
    const TsSkinModel& model = manager->Model();
    const std::int32_t index = model.SectionIndexOf("FORM");
    const TacRect rect{0, 0, face_->Width(), face_->Height()};
    const TColor color = FormColor();
    FillPixels(face_->Pixels(), rect, ColorToPixelOrder(PaintColorToRGB(color)), 0xFF);
    if (model.HasSection(index))
        PaintSectionBackground(face_->Pixels(), rect, &model, index, "FORM", 0, ColorBackdrop(color), 0, 0);
}

void TacFormSkinOwner::Watch(TMessage& message, const TWndNext& next) {
    if (message.Msg == SkinCommandMessage) {
        const WORD code = SkinCommandCode(message.WParam);
        if (code == scQueryBackdrop && Active() && message.LParam != 0) {
            auto& query = *reinterpret_cast<TBackdropQuery*>(message.LParam);
            if (!face_ || face_->Width() != form_.ClientWidth() || face_->Height() != form_.ClientHeight())
                RenderFace();
            if (face_->Width() > 0 && face_->Height() > 0) {
                query.Kind = bqBitmap;
                query.Bitmap = face_.get();
                query.OffsetX = 0;
                query.OffsetY = 0;
            } else {
                query.Kind = bqColor;
                query.Color = FormColor();
            }
            return;
        }
        if (code == scQueryColor && Active()) {
            message.Result = static_cast<LRESULT>(FormColor());
            return;
        }
        if (code == scAdaptControl && Active()) {
            if (auto* control = reinterpret_cast<TWinControl*>(message.LParam))
                adapter_->AddNewItem(*control);
            return;
        }
        next(message);
        if (code == scNewSkin || code == scRefresh) {
            face_.reset();
            adapter_->AddAllItems(form_);
        } else if (code == scRemoveSkin) {
            face_.reset();
            adapter_->RestoreLabels();
        }
        if (form_.HandleAllocated())
            ::RedrawWindow(form_.HandleIfAllocated(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return;
    }
    if (message.Msg == WM_ERASEBKGND && Active() && message.WParam != 0) {
        RenderFace();
        if (face_->Width() > 0 && face_->Height() > 0)
            ::BitBlt(reinterpret_cast<HDC>(message.WParam), 0, 0, face_->Width(), face_->Height(),
                     face_->Canvas().Handle(), 0, 0, SRCCOPY);
        message.Result = 1;
        return;
    }
    if (message.Msg == WM_SIZE)
        face_.reset();
    next(message);
    // Windows created after start-up (pages shown for the first time) are announced to
    // every ancestor; their controls are adapted as soon as the window exists.
    if (message.Msg == WM_PARENTNOTIFY && LOWORD(message.WParam) == WM_CREATE && Active()) {
        if (TWinControl* child = TWinControl::FindControl(reinterpret_cast<HWND>(message.LParam));
            child != nullptr && IsAdaptable(*child))
            adapter_->AddNewItem(*child);
    }
}

bool TacFormSkinOwner::IsAdaptable(TWinControl& control) const {
    return adapter_->IsControlSupported(control) && control.ClassName() != TLabel::StaticClassName;
}

} // namespace sj
