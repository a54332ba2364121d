// Extended borders: the shadow ring and the layered border window around a skinned form.
#include "skin/frame/sSkinProvider.h"

#include "skin/frame/sSkinProviderInternal.h"
#include "skin/frame/sExtendedRing.h"
#include "skin/frame/sFade.h"

namespace sj {

using namespace provider_detail;

// ---- extended borders ---------------------------------------------------------------------

TsMargins TsSkinProvider::Margins() const {
    const TsSkinModel* model = Model();
    if (!borderForm_ || model == nullptr)
        return TsMargins{0, 0, 0, 0};
    return model->ExtBorderMargins;
}

bool TsSkinProvider::ExtendedBordersAllowed() const {
    TsSkinManager* manager = SkinManager();
    return manager != nullptr && manager->ExtendedBorders() && allowExtBorders_;
}

void TsSkinProvider::SetExtendedBorders(bool enable) {
    const bool wanted = enable && Skinned() && ExtendedBordersAllowed() && drawNonClientArea_ &&
                        form_.HandleAllocated() && IsBordered() && form_.Parent() == nullptr && !IsMinimized();
    if (wanted == (borderForm_ != nullptr)) {
        if (borderForm_)
            borderForm_->UpdateBorderWindow(false);
        return;
    }
    if (wanted)
        borderForm_ = std::make_unique<TacBorderForm>(*this);
    else
        borderForm_.reset();
    // Metrics, cache size and region all change with the border window.
    skinData_->CacheStale = true;
    regionStale_ = true;
    if (form_.HandleAllocated() && ::IsWindowVisible(form_.Handle()))
        RepaintFrameNow();
}

void TsSkinProvider::UpdateBorder(bool repaint) {
    if (borderForm_)
        borderForm_->UpdateBorderWindow(repaint);
}

bool TsSkinProvider::RingFramesTheForm() const {
    const TsSkinModel* model = Model();
    return borderForm_ && model != nullptr && model->SkinGlobals.BorderMode == 1 &&
           model->HasImage(model->StdIndexes.ExBorderImage);
}

// The shadow (or the skin's border image) as a nine-slice ring in the margins around
// the visible frame; the frame's clear corners show the ring image through. A skin
// whose image is the frame itself has the ring reach over frame and caption strip.
void TsSkinProvider::PaintExtendedRing(TBitmap& cache) {
    const TsSkinModel* model = Model();
    if (model == nullptr)
        return;
    const TacPixmap& image = formActive_ != 0 ? model->ExtBorderActive : model->ExtBorderInactive;
    if (image.Empty())
        return;
    const int w = cache.Width(), h = cache.Height();
    const TsMargins m = Margins();
    TacPixelsView pixels = cache.Pixels();
    if (RingFramesTheForm()) {
        const int b = FrameBorderWidth(true), t = CaptionHeight(true);
        FillRing(pixels, FramingRingOf(*model, formActive_ != 0, w, h, t),
                 TacRect{m[0] + b, m[1] + t, w - m[2] - b, h - m[3] - b});
        return;
    }
    const TRingImage ring = ExtendedRingOf(*model, formActive_ != 0, w, h);
    const TacRect inside{m[0], m[1], w - m[2], h - m[3]};
    FillRing(pixels, ring, inside);
    // Rounded frame corners: the key pixels of the corner pieces show the ring image.
    auto mergeCorners = [&](std::int32_t index, bool top, bool bottom, int limit) {
        if (!model->HasImage(index))
            return;
        const TsMaskData& item = model->Masks[static_cast<std::size_t>(index)];
        const TacPixmap* source = item.SourceImage();
        if (source == nullptr)
            return;
        const int fw = FrameWidth(item), fh = FrameHeight(item);
        const int x0 = item.SourceRect.Left, y0 = item.SourceRect.Top;
        const int cl = std::min<int>(limit, item.BorderLeft), cr = std::min<int>(limit, item.BorderRight);
        const int ct = std::min<int>(limit, item.BorderTop), cb = std::min<int>(limit, item.BorderBottom);
        auto merge = [&](int sx0, int sy0, int tx0, int ty0, int cw, int ch) {
            for (int dy = 0; dy < ch; ++dy)
                for (int dx = 0; dx < cw; ++dx) {
                    const int sx = sx0 + dx, sy = sy0 + dy, tx = tx0 + dx, ty = ty0 + dy;
                    if (sx < 0 || sy < 0 || sx >= source->Width() || sy >= source->Height() || tx < 0 || ty < 0 ||
                        tx >= w || ty >= h)
                        continue;
                    if ((source->At(sx, sy) & 0x00FFFFFFu) == 0x00FF00FFu)
                        pixels.At(tx, ty) = ring.At(tx, ty);
                }
        };
        if (top) {
            merge(x0, y0, inside.Left, inside.Top, cl, ct);
            merge(x0 + fw - cr, y0, inside.Right - cr, inside.Top, cr, ct);
        }
        if (bottom) {
            merge(x0, y0 + fh - cb, inside.Left, inside.Bottom - cb, cl, cb);
            merge(x0 + fw - cr, y0 + fh - cb, inside.Right - cr, inside.Bottom - cb, cr, cb);
        }
    };
    const std::int32_t title = TitleSectionIndex();
    const std::int32_t titleMask =
        model->HasSection(title) ? model->GeneralData[static_cast<std::size_t>(title)].BordersMaskIndex : -1;
    const std::int32_t formMask = skinData_->Section() != nullptr ? skinData_->BordersIndex : -1;
    if (model->HasImage(titleMask))
        mergeCorners(titleMask, true, false, 1 << 16);
    else
        mergeCorners(formMask, true, false, 8);
    mergeCorners(formMask, false, true, 1 << 16);
}

// ---- border window ------------------------------------------------------------------------

namespace {

constexpr const char* kBorderWindowClass = "acBorderWindow";

bool TopmostWindow(HWND window) {
    return (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// The system keeps an owned window above its owner, so "directly behind" the form ends
// up as the neighbour on either side of it.
bool NextTo(HWND form, HWND window) {
    return ::GetWindow(form, GW_HWNDNEXT) == window || ::GetWindow(form, GW_HWNDPREV) == window;
}

constexpr UINT kReorderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

// The border window without its owner while the topmost state of it or of its form
// changes: some systems re-place an owned window by its owner's rules first and then
// drop the change (Wine neither lets such an owned window leave the topmost band nor
// its owner come back into it).
class TUnownedScope {
public:
    explicit TUnownedScope(HWND window)
        : window_(window), owner_(::SetWindowLongPtrA(window, GWLP_HWNDPARENT, 0)) {}
    ~TUnownedScope() { ::SetWindowLongPtrA(window_, GWLP_HWNDPARENT, owner_); }
    TUnownedScope(const TUnownedScope&) = delete;
    TUnownedScope& operator=(const TUnownedScope&) = delete;

private:
    HWND window_;
    LONG_PTR owner_;
};

void RegisterBorderWindowClass(WNDPROC procedure) {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kBorderWindowClass;
    registered = ::RegisterClassA(&wc) != 0;
}

} // namespace

TacBorderForm::TacBorderForm(TsSkinProvider& owner) : owner_(owner) {
    CreateBorderWindow();
}

TacBorderForm::~TacBorderForm() {
    // The popups of the title-button animations lie over this window's frame.
    owner_.StopButtonAnimations();
    if (window_ != nullptr) {
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }
}

void TacBorderForm::CreateBorderWindow() {
    RegisterBorderWindowClass(&TacBorderForm::WindowProcedure);
    HWND form = owner_.Form().Handle();
    window_ = ::CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW, kBorderWindowClass, "", WS_POPUP,
                                0, 0, 0, 0, form, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (window_ != nullptr)
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

POINT TacBorderForm::Offset() const {
    const int b = owner_.FrameBorderWidth(true), w = owner_.FrameBorderWidth(false);
    const int t = owner_.CaptionHeight(true), c = owner_.CaptionHeight(false);
    const TsMargins m = owner_.Margins();
    return POINT{-(b + m[0] - w), -(m[1] + t - w - c)};
}

// What the form's own window shows, in border-window coordinates: its client area and
// the menu bar above it.
RECT TacBorderForm::FormShownRect() const {
    const int x = owner_.ClientOffsetX(), y = owner_.ClientOffsetY();
    const int bar = owner_.MenuLineCount() * owner_.MenuLineHeight();
    return RECT{x, y - bar, x + owner_.Form().ClientWidth(), y + owner_.Form().ClientHeight()};
}

HRGN TacBorderForm::BorderWindowRegion() const {
    TBitmap* cache = owner_.FrameCache();
    if (cache == nullptr)
        return nullptr;
    HRGN region = ::CreateRectRgn(0, 0, cache->Width(), cache->Height());
    const RECT shown = FormShownRect();
    HRGN client = ::CreateRectRgnIndirect(&shown);
    ::CombineRgn(region, region, client, RGN_XOR);
    ::DeleteObject(client);
    return region;
}

void TacBorderForm::ApplyRegion() {
    HRGN region = BorderWindowRegion();
    if (region != nullptr && ::SetWindowRgn(window_, region, FALSE) == 0)
        ::DeleteObject(region);
    punched_ = false;
}

// Under composition, a skin that asks for it has the desktop blurred behind its frame
// (not behind the shadow ring), when the manager allows it.
void TacBorderForm::ApplyBlurBehind() {
    if (window_ == nullptr || !CompositionEnabled())
        return;
    TsSkinManager* manager = owner_.SkinManager();
    TBitmap* cache = owner_.FrameCache();
    const bool wanted = manager != nullptr && manager->Effects.AllowAeroBluring &&
                        manager->Model().SkinGlobals.AeroBlur && cache != nullptr;
    if (!wanted) {
        if (blurred_)
            SetBlurBehind(window_, nullptr);
        blurred_ = false;
        return;
    }
    const TsMargins m = owner_.Margins();
    HRGN frame = ::CreateRectRgn(m[0], m[1], cache->Width() - m[2], cache->Height() - m[3]);
    const RECT shown = FormShownRect();
    HRGN client = ::CreateRectRgnIndirect(&shown);
    ::CombineRgn(frame, frame, client, RGN_DIFF);
    ::DeleteObject(client);
    SetBlurBehind(window_, frame);
    ::DeleteObject(frame);
    blurred_ = true;
}

void TacBorderForm::HideBorderWindow() {
    if (window_ != nullptr)
        ::ShowWindow(window_, SW_HIDE);
}

HWND TacBorderForm::TakeWindow() {
    HWND window = window_;
    if (window == nullptr)
        return nullptr;
    // From now on the window answers nothing of ours and no longer goes with the form.
    ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    ::SetWindowLongPtrA(window, GWLP_HWNDPARENT, 0);
    window_ = nullptr;
    shownSize_ = SIZE{};
    placed_ = RECT{};
    return window;
}

void TacBorderForm::ReleaseWindow() {
    if (HWND window = TakeWindow())
        ::DestroyWindow(window);
}

void TacBorderForm::UpdateBorderWindow(bool repaint, BYTE alpha) {
    TCustomForm& form = owner_.Form();
    // A form animation draws this window itself meanwhile.
    if (busy_ || AnimationRunning() || !form.HandleAllocated())
        return;
    HWND formWindow = form.Handle();
    RECT bounds{};
    if (!::GetWindowRect(formWindow, &bounds))
        return;
    if (!::IsWindowVisible(formWindow) || ::IsIconic(formWindow)) {
        HideBorderWindow();
        return;
    }
    // Given away to an animation or freed on a minimise: a new one takes its place.
    if (window_ == nullptr)
        CreateBorderWindow();
    if (window_ == nullptr)
        return;
    // A paint that throws must not leave the window never updated again.
    const TFlagScope busy(busy_);
    if (owner_.SkinData().CacheStale)
        repaint = true;
    TBitmap* cache = owner_.PaintFrame() ? owner_.FrameCache() : nullptr;
    if (cache == nullptr)
        return;
    const POINT offset = Offset();
    POINT position{bounds.left + offset.x, bounds.top + offset.y};
    SIZE size{cache->Width(), cache->Height()};
    if (repaint || size.cx != shownSize_.cx || size.cy != shownSize_.cy)
        PushContent(position, size, alpha);
    // Next to the form in z-order; nothing to do when it is there already (every
    // activation and skin change asks again).
    if (!owner_.IsDialogStyle())
        RestoreTopmostForm();
    if (!InZOrderPlace(position)) {
        HWND after = PlaceAfter();
        if (after != HWND_TOPMOST)
            DropTopmost();
        UINT flags = SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOOWNERZORDER;
        if (!::IsWindowVisible(window_))
            flags |= SWP_SHOWWINDOW;
        if (after == nullptr)
            flags |= SWP_NOZORDER;
        ::SetWindowPos(window_, after, position.x, position.y, 0, 0, flags);
    }
    if (owner_.IsDialogStyle())
        KeepBehindDialogForm();
    // Asked for while the window moved: the cache is handed over once more.
    if (contentStale_ && window_ != nullptr)
        PushContent(position, size, shownAlpha_);
}

bool TacBorderForm::InZOrderPlace(POINT position) const {
    HWND form = owner_.Form().Handle();
    RECT shown{};
    ::GetWindowRect(window_, &shown);
    return ::IsWindowVisible(window_) && shown.left == position.x && shown.top == position.y && NextTo(form, window_) &&
           TopmostWindow(window_) == TopmostWindow(form);
}

HWND TacBorderForm::PlaceAfter() {
    HWND form = owner_.Form().Handle();
    if (owner_.IsDialogStyle()) {
        // Showing the border window must not leave an active dialog under another
        // window; it comes to the top again where it stands.
        if (owner_.FormActive() != 0 && ::GetActiveWindow() == form)
            ::SetWindowPos(form, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOOWNERZORDER);
        return nullptr;
    }
    const bool topmost = owner_.IsTopmost();
    if (owner_.IsMinimized() || owner_.Minimizing()) {
        // On its way to the taskbar the form lies under the flying picture: the border
        // window goes in front of the form, not in front of that picture.
        HWND before = ::GetWindow(form, GW_HWNDPREV);
        if (before == window_)
            return nullptr;
        return before != nullptr ? before : topmost ? HWND_TOPMOST : HWND_TOP;
    }
    return topmost ? HWND_TOPMOST : form;
}

// A dialog-style form keeps its border window right behind it. Under composition the
// active main form's border window is topmost (the composed frame would otherwise lag
// behind the dialog when it comes up), and stops being so as soon as the form is not
// the active main form any more, so that it never floats over other windows.
void TacBorderForm::KeepBehindDialogForm() {
    if (ordering_ || window_ == nullptr || !::IsWindowVisible(window_))
        return;
    TCustomForm& owner = owner_.Form();
    HWND form = owner.Handle();
    const bool mainForm = Application != nullptr && Application->MainForm() == &owner;
    // The activation state the frame shows: while the form is told it loses the
    // activation, the system still reports it as the active window.
    const bool topmost = CompositionEnabled() && mainForm && owner_.FormActive() != 0;
    const bool wantTopmost = topmost || TopmostWindow(form);
    if (NextTo(form, window_) && TopmostWindow(window_) == wantTopmost)
        return;
    const TFlagScope ordering(ordering_);
    if (!wantTopmost)
        DropTopmost();
    ::SetWindowPos(window_, topmost ? HWND_TOPMOST : form, 0, 0, 0, 0, kReorderOnly);
}

// A border window left topmost by a form that is not topmost any more would float over
// every other window.
void TacBorderForm::DropTopmost() {
    HWND form = owner_.Form().Handle();
    if (!TopmostWindow(window_) || TopmostWindow(form))
        return;
    const TUnownedScope unowned(window_);
    ::SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, kReorderOnly);
}

// A form that should stay on top but lost the style (an owner or another program put it
// down) gets it back before its border window follows it up there.
void TacBorderForm::RestoreTopmostForm() {
    HWND form = owner_.Form().Handle();
    if (owner_.Form().FormStyle() != TFormStyle::fsStayOnTop || TopmostWindow(form))
        return;
    const TUnownedScope unowned(window_);
    ::SetWindowPos(form, HWND_TOPMOST, 0, 0, 0, 0, kReorderOnly);
}

void TacBorderForm::PushContent(POINT position, SIZE size, BYTE alpha) {
    TBitmap* cache = owner_.FrameCache();
    if (cache == nullptr || window_ == nullptr)
        return;
    contentStale_ = false;
    TBitmap& picture = PictureOf(*cache);
    HDC screen = ::GetDC(nullptr);
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    acUpdateLayeredWindow(window_, screen, &position, &size, picture.Canvas().Handle(), &origin, 0, &blend, ULW_ALPHA);
    ::ReleaseDC(nullptr, screen);
    ApplyRegion();
    ApplyBlurBehind();
    shownSize_ = size;
    shownAlpha_ = alpha;
}

// The frame cache with the form's client area clear. The region already leaves that
// area out, but some window systems ignore a layered window's region and go by its
// alpha alone: an opaque client area there would hide the form's controls.
TBitmap& TacBorderForm::PictureOf(TBitmap& cache) {
    if (!picture_)
        picture_ = std::make_unique<TBitmap>();
    if (picture_->Width() != cache.Width() || picture_->Height() != cache.Height())
        picture_->SetSize(cache.Width(), cache.Height());
    TacPixelsView target = picture_->Pixels();
    CopyPixels(target, 0, 0, cache.Pixels(), TacRect{0, 0, cache.Width(), cache.Height()});
    const RECT shown = FormShownRect();
    const TacRect client{shown.left, shown.top, shown.right, shown.bottom};
    for (int row = std::max(0, client.Top); row < std::min(target.Height, client.Bottom); ++row)
        for (int column = std::max(0, client.Left); column < std::min(target.Width, client.Right); ++column)
            target.At(column, row) = 0;
    return *picture_;
}

void TacBorderForm::RefreshContent() {
    if (busy_) {
        contentStale_ = true;
        return;
    }
    UpdateBorderWindow(true, shownAlpha_);
}

// A title-button popup shows at a place on the screen: when the frame moves or goes,
// the popups go and the frame shows the buttons itself.
void TacBorderForm::FollowPlacement() {
    RECT now{};
    const bool shown = ::IsWindowVisible(window_) && ::GetWindowRect(window_, &now);
    const RECT before = placed_;
    placed_ = shown ? now : RECT{};
    if (!shown || !::EqualRect(&now, &before))
        owner_.FreeButtonAnimations();
}

POINT TacBorderForm::ToBorder(LPARAM screenPoint) const {
    POINT p{static_cast<short>(LOWORD(screenPoint)), static_cast<short>(HIWORD(screenPoint))};
    RECT r{};
    ::GetWindowRect(window_, &r);
    return POINT{p.x - r.left, p.y - r.top};
}

bool TacBorderForm::IsOverShadow(POINT p) const {
    const TsSkinModel* model = owner_.Model();
    TBitmap* cache = owner_.FrameCache();
    if (model == nullptr || cache == nullptr || owner_.IsMaximized())
        return false;
    const TsMargins m = owner_.Margins();
    const int align = model->SkinGlobals.AlignOffset;
    return p.x < m[0] - align || p.y < m[1] - align || p.x >= cache->Width() + align - m[2] ||
           p.y >= cache->Height() + align - m[3];
}

LPCSTR FrameCursor(int hitCode) {
    switch (hitCode) {
    case HTLEFT:
    case HTRIGHT:
        return IDC_SIZEWE;
    case HTTOP:
    case HTBOTTOM:
        return IDC_SIZENS;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
        return IDC_SIZENWSE;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
        return IDC_SIZENESW;
    default:
        return IDC_ARROW;
    }
}

int TacBorderForm::BorderWindowHitTest(POINT p) const {
    if (owner_.OnExtHitTest) {
        RECT r{};
        if (window_ != nullptr)
            ::GetWindowRect(window_, &r);
        TMessage message{WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(p.x + r.left), static_cast<WORD>(p.y + r.top)),
                         0};
        owner_.OnExtHitTest(message);
        if (message.Result != 0)
            return static_cast<int>(message.Result);
    }
    if (!owner_.Form().Enabled())
        return -1;
    TsSystemMenu* menu = owner_.SystemMenu();
    for (int code : {HTCLOSE, HTMAXBUTTON, HTMINBUTTON, HTHELP}) {
        const TitleButtonRecord& button = owner_.Button(code);
        if (!button.Placed() || !Inside(button.Rect, p))
            continue;
        if (code == HTCLOSE)
            return menu != nullptr && menu->VisibleClose() ? HTCLOSE : 0;
        if (code == HTMAXBUTTON)
            return menu != nullptr && !menu->EnabledMax() && (!menu->EnabledRestore() || owner_.IsMinimized())
                       ? HTCAPTION
                       : HTMAXBUTTON;
        if (code == HTMINBUTTON)
            return menu != nullptr && menu->EnabledMin() ? HTMINBUTTON : HTCAPTION;
        return HTHELP;
    }
    if (const int user = owner_.UserButtonHit(p); user >= kUserButtonBase)
        return user;
    TBitmap* cache = owner_.FrameCache();
    const TsMargins m = owner_.Margins();
    if (cache != nullptr && owner_.IsSizeable() && !owner_.IsMaximized()) {
        const int align = owner_.Model() != nullptr ? owner_.Model()->SkinGlobals.AlignOffset : 0;
        const RECT frame{m[0] - align, m[1] - align, cache->Width() + align - m[2], cache->Height() + align - m[3]};
        const int edge = owner_.FrameBorderWidth(false);
        const bool left = p.x < frame.left + owner_.FrameBorderWidth(true);
        const bool right = p.x >= frame.right - owner_.FrameBorderWidth(true);
        const bool top = p.y < frame.top + 4;
        const bool bottom = p.y >= frame.bottom - edge;
        if (top && left)
            return HTTOPLEFT;
        if (top && right)
            return HTTOPRIGHT;
        if (bottom && left)
            return HTBOTTOMLEFT;
        if (bottom && right)
            return HTBOTTOMRIGHT;
        if (top)
            return HTTOP;
        if (bottom)
            return HTBOTTOM;
        if (left)
            return HTLEFT;
        if (right)
            return HTRIGHT;
    }
    if (p.y >= 0 && p.y < owner_.FrameTopBorder(true) + owner_.CaptionHeight(true) + m[1])
        return Inside(owner_.IconRect(), p) ? HTSYSMENU : HTCAPTION;
    return -1;
}

LRESULT TacBorderForm::ForwardToForm(UINT msg, int code, LPARAM lParam) {
    return ::SendMessageA(owner_.Form().Handle(), msg, static_cast<WPARAM>(code), lParam);
}

LRESULT CALLBACK TacBorderForm::WindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TacBorderForm*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr)
        return ::DefWindowProcA(window, msg, wParam, lParam);
    try {
        return self->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        HandleBoundaryException(std::current_exception());
        return 0;
    }
}

LRESULT TacBorderForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // A hole punched for a click on the shadow lasts until the next mouse message only.
    const bool mouse =
        (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) || (msg >= WM_NCMOUSEMOVE && msg <= WM_NCXBUTTONDBLCLK);
    if (punched_ && mouse)
        ApplyRegion();
    HWND form = owner_.Form().Handle();
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_NCPAINT:
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        ::BeginPaint(window_, &paint);
        ::EndPaint(window_, &paint);
        return 0;
    }
    case WM_MOUSEACTIVATE:
        if (::IsWindowEnabled(form))
            ::SetForegroundWindow(form);
        return MA_NOACTIVATE;
    case WM_WINDOWPOSCHANGED:
        FollowPlacement();
        if (owner_.IsDialogStyle())
            KeepBehindDialogForm();
        break;
    case WM_NCHITTEST:
        // Over the shadow the client area answers, so that the hole punching below takes
        // effect; elsewhere the non-client messages come with a code translated here.
        if (IsOverShadow(ToBorder(lParam)))
            return HTCLIENT;
        return HTOBJECT;
    case WM_SETCURSOR: {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        const POINT p = ToBorder(MAKELPARAM(static_cast<WORD>(cursor.x), static_cast<WORD>(cursor.y)));
        if (IsOverShadow(p))
            break;
        ::SetCursor(::LoadCursorA(nullptr, FrameCursor(BorderWindowHitTest(p))));
        return TRUE;
    }
    case WM_NCMOUSEMOVE: {
        owner_.DropStalePress();
        const int code = BorderWindowHitTest(ToBorder(lParam));
        if (IsButtonCode(code)) {
            owner_.SetHoverButton(code);
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, window_, 0};
            ::TrackMouseEvent(&track);
        } else {
            owner_.SetHoverButton(0);
        }
        return 0;
    }
    case WM_NCMOUSELEAVE:
        if (!owner_.buttonPressed_)
            owner_.SetHoverButton(0);
        return 0;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCLBUTTONDBLCLK: {
        const int code = BorderWindowHitTest(ToBorder(lParam));
        if (msg == WM_NCLBUTTONDBLCLK && (code == HTLEFT || code == HTRIGHT || code == HTTOP || code == HTBOTTOM)) {
            owner_.StretchToArea(code);
            return 0;
        }
        if (code < 0 && msg != WM_NCLBUTTONDOWN)
            return 0;
        return ForwardToForm(msg, code < 0 ? HTBORDER : code, lParam);
    }
    default:
        break;
    }
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL) {
        // A click on the shadow falls through to the window below: a one-pixel hole
        // under the cursor until the next mouse message.
        POINT cursor{};
        ::GetCursorPos(&cursor);
        RECT r{};
        ::GetWindowRect(window_, &r);
        HRGN region = BorderWindowRegion();
        if (region != nullptr) {
            HRGN hole =
                ::CreateRectRgn(cursor.x - r.left, cursor.y - r.top, cursor.x - r.left + 1, cursor.y - r.top + 1);
            ::CombineRgn(region, region, hole, RGN_XOR);
            ::DeleteObject(hole);
            if (::SetWindowRgn(window_, region, FALSE) == 0)
                ::DeleteObject(region);
            punched_ = true;
        }
        return 0;
    }
    return ::DefWindowProcA(window_, msg, wParam, lParam);
}

} // namespace sj
