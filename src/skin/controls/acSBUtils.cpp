#include "skin/controls/acSBUtils.h"

#include <uxtheme.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include <commctrl.h>

#include "forms/Bitmap.h"
#include "forms/ComCtrls.h"
#include "forms/Forms.h"
#include "skin/data/sMaskData.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/acAlphaImageList.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sControlText.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sMaskPaint.h"
#include "skin/paint/sSectionPaint.h"

namespace sj {

namespace {

// A WM_PAINT answered by painting: into the DC the message carries (a print), or into
// the window between BeginPaint and EndPaint.
template <class Paint> void AnswerPaintMessage(HWND window, TMessage& message, const Paint& paint) {
    PAINTSTRUCT cycle{};
    HDC dc = message.WParam != 0 ? reinterpret_cast<HDC>(message.WParam) : ::BeginPaint(window, &cycle);
    paint(dc);
    if (message.WParam == 0)
        ::EndPaint(window, &cycle);
    message.Result = 0;
}

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

LOGFONTA RotatedTabFont(const LOGFONTA& font, bool rightTabs) {
    LOGFONTA rotated = font;
    rotated.lfEscapement = rightTabs ? 2700 : 900;
    rotated.lfOrientation = rotated.lfEscapement;
    if (std::strncmp(rotated.lfFaceName, "MS Sans Serif", LF_FACESIZE) == 0)
        std::snprintf(rotated.lfFaceName, LF_FACESIZE, "%s", "Arial");
    return rotated;
}

// --- TacWndNext ------------------------------------------------------------------------

void TacWndNext::operator()(TMessage& message) const {
    if (chain_ != nullptr) {
        (*chain_)(message);
        return;
    }
    message.Result = previous_ != nullptr
                         ? ::CallWindowProcA(previous_, window_, message.Msg, message.WParam, message.LParam)
                         : ::DefWindowProcA(window_, message.Msg, message.WParam, message.LParam);
}

namespace {

// Raw windows whose procedure could not be given back because another subclass was put
// on top of the adapter's: the adapter's procedure stays in their chain and forwards to
// the procedure it replaced. A later adapter of the same window takes that place over.
std::unordered_map<HWND, WNDPROC>& ProceduresLeftInChain() {
    static std::unordered_map<HWND, WNDPROC> procedures;
    return procedures;
}

LRESULT ForwardLeftInChain(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto& procedures = ProceduresLeftInChain();
    const auto found = procedures.find(window);
    if (found == procedures.end())
        return ::DefWindowProcA(window, msg, wParam, lParam);
    const WNDPROC previous = found->second;
    if (msg == WM_NCDESTROY)
        procedures.erase(found);
    return ::CallWindowProcA(previous, window, msg, wParam, lParam);
}

std::string ReadWindowText(HWND window) {
    const int length = ::GetWindowTextLengthA(window);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(0, copied)));
    return text;
}

SIZE WindowSize(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return SIZE{std::max<LONG>(0, r.right - r.left), std::max<LONG>(0, r.bottom - r.top)};
}

} // namespace

// --- TacMainWnd ------------------------------------------------------------------------

TacMainWnd::TacMainWnd(TWinControl& control, TsSkinManager* manager, TsCommonData& skinData)
    : control_(&control), manager_(manager), skinData_(&skinData) {}

TacMainWnd::TacMainWnd(HWND window, const std::string& section, TsSkinManager* manager, TsCommonData* skinData)
    : manager_(manager), skinData_(skinData), window_(window) {
    if (skinData_ == nullptr) {
        ownData_ = std::make_unique<TsCommonData>(nullptr, true);
        ownData_->ControlKind = ckStdAdapter;
        skinData_ = ownData_.get();
    }
    if (manager_ != nullptr)
        skinData_->SetSkinManager(manager_);
    if (skinData_->SkinSection().empty())
        skinData_->SetSkinSection(section);
}

TacMainWnd::~TacMainWnd() {
    Unhook();
}

void TacMainWnd::Hook() {
    if (hooked_)
        return;
    if (control_ != nullptr)
        HookControl();
    else
        SubclassRawWindow();
}

void TacMainWnd::HookControl() {
    if (!control_->HandleAllocated())
        return;
    window_ = control_->HandleIfAllocated();
    if (skinData_->SkinManager() != manager_ && manager_ != nullptr)
        skinData_->SetSkinManager(manager_);
    ::SetWindowTheme(window_, L" ", L" ");
    InitHook();
    hook_ = control_->HookWindowProc(
        [this](TMessage& message, const TWndNext& next) { WindowProc(message, TacWndNext(next)); });
    ::SetPropA(window_, AdaptedWindowProperty, reinterpret_cast<HANDLE>(this));
    savedStyle_ = control_->ControlStyle();
    control_->SetControlStyle(savedStyle_ | csOpaque);
    hooked_ = true;
    // A skin removed earlier left the data blocked; this window is painted again now.
    skinData_->InUpdate = false;
    skinData_->ResolveSection();
    ApplySkinHook();
    ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
}

void TacMainWnd::SubclassRawWindow() {
    if (window_ == nullptr || !::IsWindow(window_) || destroyed_)
        return;
    ::SetWindowTheme(window_, L" ", L" ");
    InitHook();
    text_ = ReadWindowText(window_);
    // The mark goes first: the adapter's procedure finds the adapter by it.
    ::SetPropA(window_, AdaptedWindowProperty, reinterpret_cast<HANDLE>(this));
    auto& leftInChain = ProceduresLeftInChain();
    if (const auto found = leftInChain.find(window_); found != leftInChain.end()) {
        previous_ = found->second;
        leftInChain.erase(found);
    } else {
        previous_ = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TacMainWnd::SubclassProc)));
    }
    hooked_ = true;
    skinData_->InUpdate = false;
    skinData_->ResolveSection();
    ApplySkinHook();
    ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT CALLBACK TacMainWnd::SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<TacMainWnd*>(::GetPropA(window, AdaptedWindowProperty));
    if (self == nullptr || self->window_ != window || !self->hooked_ || self->control_ != nullptr)
        return ForwardLeftInChain(window, msg, wParam, lParam);
    TMessage message{msg, wParam, lParam, 0};
    const TacWndNext next(window, self->previous_);
    try {
        self->WindowProc(message, next);
    } catch (...) {
        HandleBoundaryException(std::current_exception());
    }
    return message.Result;
}

void TacMainWnd::RestoreWindowProc() {
    if (!::IsWindow(window_))
        return;
    const auto own = reinterpret_cast<LONG_PTR>(&TacMainWnd::SubclassProc);
    if (::GetWindowLongPtrA(window_, GWLP_WNDPROC) == own)
        ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    else
        ProceduresLeftInChain()[window_] = previous_;
    previous_ = nullptr;
}

void TacMainWnd::Unhook() {
    if (!hooked_)
        return;
    hooked_ = false;
    destroyed_ = true;
    // A control being freed is past its own destructor: only its component part is left.
    const bool controlAlive = control_ == nullptr || !control_->HasState(csDestroying);
    if (control_ != nullptr) {
        if (controlAlive)
            control_->SetControlStyle(savedStyle_);
        hook_.Unhook();
    } else {
        RestoreWindowProc();
    }
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
    return hooked_ && skinData_->IsSkinned(true);
}

bool TacMainWnd::Enabled() const {
    return control_ != nullptr ? control_->Enabled() : ::IsWindowEnabled(window_) != FALSE;
}

POINT TacMainWnd::PositionInParent() const {
    if (control_ != nullptr)
        return POINT{control_->Left(), control_->Top()};
    RECT r{};
    ::GetWindowRect(window_, &r);
    POINT p{r.left, r.top};
    if (HWND parent = ::GetParent(window_))
        ::ScreenToClient(parent, &p);
    return p;
}

void TacMainWnd::PrepareCache() {
    if (control_ != nullptr) {
        skinData_->PrepareCacheBitmap();
        return;
    }
    if (!skinData_->CacheBitmap)
        skinData_->CacheBitmap = std::make_unique<TBitmap>();
    const SIZE size = WindowSize(window_);
    if (skinData_->CacheBitmap->Width() != size.cx || skinData_->CacheBitmap->Height() != size.cy)
        skinData_->CacheBitmap->SetSize(size.cx, size.cy);
}

std::string TacMainWnd::WindowText() const {
    return control_ != nullptr ? control_->Text() : text_;
}

TBackdropRef TacMainWnd::ParentBackdrop() {
    TBackdropRef ref;
    if (control_ != nullptr) {
        skinData_->GetBackdrop(ref);
        return ref;
    }
    TBackdropQuery query;
    QueryBackdrop(query, ::GetParent(window_), false);
    return MakeBackdropRef(query);
}

bool TacMainWnd::RenderSectionFace(int state) {
    PrepareCache();
    TBitmap& cache = *skinData_->CacheBitmap;
    if (cache.Width() <= 0 || cache.Height() <= 0)
        return false;
    TBackdropRef backdrop = ParentBackdrop();
    const POINT position = PositionInParent();
    PaintControlFace(cache.Pixels(), TacRect{0, 0, cache.Width(), cache.Height()}, skinData_->Model(),
                     skinData_->FaceParams(), state, true, backdrop, position.x, position.y);
    return true;
}

void TacMainWnd::DrawCaption(TBitmap& cache, const std::string& text, const RECT& rect, UINT flags, bool hot) {
    if (text.empty() || rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    if (control_ != nullptr)
        cache.Canvas().Font().Assign(control_->Font());
    DrawControlText(cache.Canvas(), text, Enabled(), hot, *skinData_, flags, rect);
}

void TacMainWnd::CopyFace(HDC dc) {
    if (!skinData_->CacheBitmap)
        return;
    TBitmap& cache = *skinData_->CacheBitmap;
    const bool own = dc == nullptr;
    if (own)
        dc = ::GetDC(window_);
    if (dc == nullptr)
        return;
    ::BitBlt(dc, 0, 0, cache.Width(), cache.Height(), cache.Canvas().Handle(), 0, 0, SRCCOPY);
    if (own)
        ::ReleaseDC(window_, dc);
}

void TacMainWnd::PaintGraphicChildren(HDC dc) {
    if (control_ != nullptr)
        control_->PaintControls(dc);
}

void TacMainWnd::PaintWindowFromFace(TMessage& message) {
    AnswerPaintMessage(window_, message, [this](HDC dc) {
        skinData_->CacheStale = true;
        if (PaintFace()) {
            skinData_->CacheStale = false;
            CopyFace(dc);
            PaintGraphicChildren(dc);
        }
    });
}

void TacMainWnd::RedrawNow() {
    ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void TacMainWnd::PassWithoutRedraw(TMessage& message, const TacWndNext& next) {
    ::SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
    next(message);
    ::SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
    skinData_->CacheStale = true;
    RedrawNow();
}

void TacMainWnd::ReportPointerLeft() {
    TsSkinManager* manager = skinData_->SkinManager();
    if (manager != nullptr && manager->HotWindow() == window_)
        manager->TrackHotWindow(nullptr);
}

void TacMainWnd::AnswerSkinCommand(TMessage& message, const TacWndNext& next) {
    switch (SkinCommandCode(message.WParam)) {
    case scIsSkinned:
        message.Result = 1;
        return;
    case scQueryApplication:
        message.Result = reinterpret_cast<LRESULT>(Application);
        return;
    case scRemoveSkin:
        // The manager stops at a skinned window and leaves its children to it.
        if (control_ != nullptr)
            PassSkinCommandToChildren(*control_, scRemoveSkin, message.LParam);
        skinData_->HandleCommonMessage(message);
        Unhook();
        next(message);
        return;
    case scNewSkin:
    case scRefresh:
        skinData_->HandleCommonMessage(message);
        skinData_->ResolveSection();
        skinData_->CacheStale = true;
        ApplySkinHook();
        // A window of a frozen (or hidden) form only marks itself: the form repaints
        // everything once when it thaws.
        ::RedrawWindow(window_, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | (::IsWindowVisible(window_) ? RDW_UPDATENOW : 0));
        if (control_ != nullptr)
            PassSkinCommandToChildren(*control_, SkinCommandCode(message.WParam), message.LParam);
        return;
    case 6:
        skinData_->InUpdate = false;
        ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
        return;
    case scHotEnter:
    case scHotLeave:
        skinData_->Hovered = SkinCommandCode(message.WParam) == scHotEnter;
        skinData_->CacheStale = true;
        ::InvalidateRect(window_, nullptr, FALSE);
        return;
    default:
        if (!skinData_->HandleCommonMessage(message))
            next(message);
        return;
    }
}

void TacMainWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage) {
        AnswerSkinCommand(message, next);
        return;
    }
    if (message.Msg == WM_DESTROY || message.Msg == WM_NCDESTROY) {
        skinData_->HideGlow();
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
        skinData_->CacheStale = true;
        break;
    case WM_SETTEXT:
        next(message);
        if (control_ == nullptr)
            text_ = ReadWindowText(window_);
        return;
    case WM_MOUSEMOVE:
        if (Enabled())
            if (TsSkinManager* manager = skinData_->SkinManager())
                manager->TrackHotWindow(window_);
        break;
    case WM_PRINT:
    case WM_PRINTCLIENT:
        skinData_->CacheStale = true;
        if (PaintFace()) {
            skinData_->CacheStale = false;
            CopyFace(reinterpret_cast<HDC>(message.WParam));
            PaintGraphicChildren(reinterpret_cast<HDC>(message.WParam));
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

void TacEditWnd::WindowProc(TMessage& message, const TacWndNext& next) {
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

// --- TacSpinWnd ---------------------------------------------------------------------------

namespace {

enum class TArrowDirection { Left, Up, Right, Down };

// The painting core's small arrows point right and down; left and up are their mirror
// images within the same rectangle.
void DrawSpinArrow(TacPixelsView target, TColor color, const TacRect& rect, TArrowDirection direction) {
    const bool horizontal = direction == TArrowDirection::Left || direction == TArrowDirection::Right;
    if (direction == TArrowDirection::Right || direction == TArrowDirection::Down) {
        DrawSmallArrow(target, color, rect, horizontal ? saRight : saDown);
        return;
    }
    TacPixmap arrow(rect.Width(), rect.Height(), 0);
    DrawSmallArrow(arrow.View(), color, TacRect{0, 0, arrow.Width(), arrow.Height()}, horizontal ? saRight : saDown);
    for (int y = 0; y < arrow.Height(); ++y)
        for (int x = 0; x < arrow.Width(); ++x) {
            if (arrow.At(x, y) == 0)
                continue;
            const int tx = rect.Left + (horizontal ? arrow.Width() - 1 - x : x);
            const int ty = rect.Top + (horizontal ? y : arrow.Height() - 1 - y);
            if (target.Contains(tx, ty))
                target.At(tx, ty) = arrow.At(x, y);
        }
}

} // namespace

TacSpinWnd::TacSpinWnd(HWND window, const std::string& section, TsSkinManager* manager)
    : TacMainWnd(window, section, manager) {}

bool TacSpinWnd::Horizontal() const {
    return (::GetWindowLongA(Handle(), GWL_STYLE) & UDS_HORZ) != 0;
}

// The first part is the left (or upper) button, the second the right (or lower) one.
RECT TacSpinWnd::PartRect(int part) const {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    if (Horizontal()) {
        const LONG middle = client.right / 2;
        return part == spFirst ? RECT{0, 0, middle, client.bottom} : RECT{middle, 0, client.right, client.bottom};
    }
    const LONG middle = client.bottom / 2;
    return part == spFirst ? RECT{0, 0, client.right, middle} : RECT{0, middle, client.right, client.bottom};
}

int TacSpinWnd::PartAt(LPARAM point) const {
    const POINT p{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    for (int part : {spFirst, spSecond}) {
        const RECT r = PartRect(part);
        if (::PtInRect(&r, p))
            return part;
    }
    return spNone;
}

int TacSpinWnd::PartState(int part) const {
    if (!Enabled())
        return 0;
    if (part == pressedPart_)
        return 2;
    return part == hotPart_ ? 1 : 0;
}

void TacSpinWnd::PaintPart(TBitmap& cache, int part, const TBackdropRef& backdrop) {
    const RECT r = PartRect(part);
    const TacRect area = ClipRect(TacRect{r.left, r.top, r.right, r.bottom}, cache.Pixels());
    const TsGeneralData* section = SkinData().Section();
    if (area.Empty() || section == nullptr)
        return;
    const int state = PartState(part);
    const POINT position = PositionInParent();
    PaintControlFace(cache.Pixels(), area, SkinData().Model(), SkinData().FaceParams(), state, true, backdrop,
                     position.x + area.Left, position.y + area.Top);
    const TsGenState& props = section->PropsOfState(state);
    TColor color = static_cast<TColor>(props.FontColor);
    if (!Enabled())
        color = MixColors(color, static_cast<TColor>(props.Color), 0.4);
    const bool horizontal = Horizontal();
    const TArrowDirection direction = part == spFirst ? (horizontal ? TArrowDirection::Left : TArrowDirection::Up)
                                                      : (horizontal ? TArrowDirection::Right : TArrowDirection::Down);
    // A pressed button's arrow sinks by one pixel, as on the skinned spin buttons.
    const int shift = state == 2 ? 1 : 0;
    DrawSpinArrow(cache.Pixels(), color,
                  TacRect{area.Left + shift, area.Top + shift, area.Right + shift, area.Bottom + shift}, direction);
}

bool TacSpinWnd::PaintFace() {
    PrepareCache();
    TBitmap& cache = *SkinData().CacheBitmap;
    if (cache.Width() <= 0 || cache.Height() <= 0)
        return false;
    const TBackdropRef backdrop = ParentBackdrop();
    PaintPart(cache, spFirst, backdrop);
    PaintPart(cache, spSecond, backdrop);
    return true;
}

void TacSpinWnd::PaintToDC(HDC dc) {
    SkinData().CacheStale = true;
    if (PaintFace()) {
        SkinData().CacheStale = false;
        CopyFace(dc);
    }
}

void TacSpinWnd::SetParts(int hot, int pressed) {
    if (hot == hotPart_ && pressed == pressedPart_)
        return;
    hotPart_ = hot;
    pressedPart_ = pressed;
    PaintToDC(nullptr);
}

void TacSpinWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage && Skinned() && SkinCommandCode(message.WParam) == scHotLeave) {
        TacMainWnd::WindowProc(message, next);
        SetParts(spNone, pressedPart_);
        return;
    }
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT:
        AnswerPaintMessage(Handle(), message, [this](HDC dc) { PaintToDC(dc); });
        return;
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_PRINT:
    case WM_PRINTCLIENT:
        PaintToDC(reinterpret_cast<HDC>(message.WParam));
        message.Result = 0;
        return;
    case WM_MOUSEMOVE: {
        TacMainWnd::WindowProc(message, next);
        // The light goes out when the pointer leaves, even for an unskinned neighbour.
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        ::TrackMouseEvent(&track);
        SetParts(PartAt(message.LParam), pressedPart_);
        return;
    }
    case WM_MOUSELEAVE:
        TacMainWnd::WindowProc(message, next);
        ReportPointerLeft();
        SetParts(spNone, pressedPart_);
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        TacMainWnd::WindowProc(message, next);
        SetParts(PartAt(message.LParam), Enabled() ? PartAt(message.LParam) : spNone);
        return;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        TacMainWnd::WindowProc(message, next);
        SetParts(hotPart_, spNone);
        return;
    case WM_ENABLE:
        TacMainWnd::WindowProc(message, next);
        PaintToDC(nullptr);
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}

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

void TacPageWnd::WindowProc(TMessage& message, const TacWndNext& next) {
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
    spin_.reset();
}

void TacPageControlWnd::RestoreHook() {
    pages_.clear();
    spin_.reset();
}

// The tab control makes its scroll arrows when the tabs stop fitting and destroys them
// when they fit again.
void TacPageControlWnd::AttachSpin() {
    if (spin_ && spin_->Destroyed())
        spin_.reset();
    HWND arrows = ::FindWindowExA(Handle(), nullptr, UPDOWN_CLASSA, nullptr);
    if (spin_ && spin_->Handle() == arrows)
        return;
    spin_.reset();
    if (arrows == nullptr || ::GetPropA(arrows, AdaptedWindowProperty) != nullptr)
        return;
    spin_ = std::make_unique<TacSpinWnd>(arrows, "UPDOWNBTN", SkinData().SkinManager());
    spin_->Hook();
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
    if ((::GetWindowLongA(Handle(), GWL_STYLE) & TCS_VERTICAL) != 0)
        PaintSideTabContent(cache, text, item.iImage, inner, section, selected);
    else
        PaintTabContent(cache, text, item.iImage, inner, section, selected);
}

TCustomImageList* TacPageControlWnd::TabImages(int imageIndex) const {
    auto* pages = dynamic_cast<TPageControl*>(&Control());
    auto* images = pages != nullptr ? dynamic_cast<TCustomImageList*>(pages->Images()) : nullptr;
    return images != nullptr && imageIndex >= 0 && imageIndex < images->Count() ? images : nullptr;
}

// Image and text are centred as one group, the image left of the text, 8 pixels apart.
void TacPageControlWnd::PaintTabContent(TBitmap& cache, const char* text, int imageIndex, const RECT& inner,
                                        std::int32_t section, bool selected) {
    TCustomImageList* images = TabImages(imageIndex);
    const int imageWidth = images != nullptr ? images->Width() : 0;
    const int textWidth = text[0] != '\0' ? cache.Canvas().TextWidth(text) : 0;
    const int gap = images != nullptr && textWidth > 0 ? TabImageTextGap : 0;
    const int groupLeft = inner.left + ((inner.right - inner.left) - (imageWidth + gap + textWidth)) / 2;
    if (images != nullptr) {
        const int imageTop = inner.top + ((inner.bottom - inner.top) - images->Height()) / 2;
        DrawItemInto(cache.Pixels(), groupLeft, imageTop, *images, imageIndex);
    }
    if (textWidth > 0) {
        RECT textRect{std::max<LONG>(inner.left, groupLeft + imageWidth + gap), inner.top, inner.right, inner.bottom};
        const UINT align = images != nullptr ? DT_LEFT : DT_CENTER;
        DrawSectionTextOnCanvas(cache.Canvas(), text, Control().Enabled(), SkinData().SkinManager(), selected, section,
                                align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, textRect);
    }
}

// Left tabs read upward and right tabs downward; the image stands where the reading
// starts (below the text on the left, above it on the right), 8 pixels from the text.
void TacPageControlWnd::PaintSideTabContent(TBitmap& cache, const char* text, int imageIndex, const RECT& inner,
                                            std::int32_t section, bool selected) {
    const bool right = (::GetWindowLongA(Handle(), GWL_STYLE) & TCS_RIGHT) != 0;
    TCanvas& canvas = cache.Canvas();
    canvas.Font().AssignLogFont(RotatedTabFont(Control().Font().LogFont(), right));
    TCustomImageList* images = TabImages(imageIndex);
    const int imageHeight = images != nullptr ? images->Height() : 0;
    // Extents of rotated text are measured along its baseline.
    const SIZE extent = text[0] != '\0' ? canvas.TextExtent(text) : SIZE{0, 0};
    const int gap = images != nullptr && extent.cx > 0 ? TabImageTextGap : 0;
    const int groupTop = inner.top + ((inner.bottom - inner.top) - (imageHeight + gap + extent.cx)) / 2;
    const int textTop = right ? groupTop + imageHeight + gap : groupTop;
    if (images != nullptr) {
        const int imageLeft = inner.left + ((inner.right - inner.left) - images->Width()) / 2;
        const int imageTop = right ? groupTop : groupTop + extent.cx + gap;
        DrawItemInto(cache.Pixels(), imageLeft, imageTop, *images, imageIndex);
    }
    if (extent.cx <= 0)
        return;
    // The text's reference corner: the start of the baseline's top edge, which turned
    // lies bottom-left (upward text) or top-right (downward text) of the glyphs.
    const int textLeft = inner.left + ((inner.right - inner.left) - extent.cy) / 2;
    const POINT origin = right ? POINT{textLeft + extent.cy, textTop} : POINT{textLeft, textTop + extent.cx};
    HDC dc = canvas.Handle();
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    DrawSectionTextOnCanvas(canvas, text, Control().Enabled(), SkinData().SkinManager(), selected, section,
                            DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP,
                            RECT{origin.x, origin.y, origin.x + 1, origin.y + 1});
    ::RestoreDC(dc, saved);
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

void TacPageControlWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT:
        AttachPages();
        AttachSpin();
        AnswerPaintMessage(Handle(), message, [this](HDC dc) { PaintToDC(dc); });
        return;
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case CN_NOTIFY:
    case TCM_SETCURSEL:
    case WM_SIZE:
    case WM_SETFONT:
    // The scroll arrows shift the tabs; inserted or removed tabs may bring or take them.
    case WM_HSCROLL:
    case TCM_INSERTITEMA:
    case TCM_DELETEITEM:
    case TCM_DELETEALLITEMS:
        TacMainWnd::WindowProc(message, next);
        SkinData().CacheStale = true;
        AttachPages();
        AttachSpin();
        ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return;
    case WM_PARENTNOTIFY:
        TacMainWnd::WindowProc(message, next);
        AttachPages();
        AttachSpin();
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
