// Window adapters: the subclassing base that every adapter of a standard control builds on.
#include "skin/controls/acSBUtils.h"

#include "skin/controls/acSBUtilsInternal.h"

namespace sj {

using namespace adapter_detail;


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
    AfterHook();
    ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
}

// Dialog frames and popup menus keep the system's theme: the skin paints their frames
// over it, and their controls (or items) are themed or skinned on their own.
bool TacMainWnd::KeepsTheme() const {
    char className[16] = {};
    ::GetClassNameA(window_, className, sizeof className);
    return skinData_->SkinSection() == "DIALOG" || std::strcmp(className, "#32768") == 0;
}

void TacMainWnd::SubclassRawWindow() {
    if (window_ == nullptr || !::IsWindow(window_) || destroyed_)
        return;
    if (!KeepsTheme())
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
    AfterHook();
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
        if (control_ != nullptr || !KeepsTheme())
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
    AssignFont(cache.Canvas());
    DrawControlText(cache.Canvas(), text, Enabled(), hot, *skinData_, flags, rect);
}

void TacMainWnd::AssignFont(TCanvas& canvas) const {
    if (control_ != nullptr) {
        canvas.Font().Assign(control_->Font());
        return;
    }
    // A raw window's font is the one its dialog gave it, else the GUI font.
    auto font = reinterpret_cast<HFONT>(::SendMessageA(window_, WM_GETFONT, 0, 0));
    if (font == nullptr)
        font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA logFont{};
    if (::GetObjectA(font, sizeof logFont, &logFont) != 0)
        canvas.Font().AssignLogFont(logFont);
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

} // namespace sj
