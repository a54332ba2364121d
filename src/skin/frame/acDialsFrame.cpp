// The skinned frame of a system dialog and its window menu. The frame is laid out and
// painted by the rules of the form provider, from the same pieces: the title-button row,
// the title strip, the caption font and colours, the clear corners of the border images.
#include "skin/frame/acDials.h"

#include <windowsx.h>

#include "forms/Forms.h"
#include "skin/frame/acDialsInternal.h"
#include "skin/frame/sFade.h"
#include "skin/frame/sSkinMenus.h"
#include "skin/frame/sSkinProvider.h"
#include "skin/frame/sSkinProviderInternal.h"

namespace sj {

using namespace dials_detail;
using provider_detail::CopyOfArea;
using provider_detail::TCaptionFontScope;
using provider_detail::GlobalImage;
using provider_detail::Inside;
using provider_detail::MakeTextOpaque;
using provider_detail::PaintCaptionBacking;
using provider_detail::SizeOfItem;

namespace {

LONG Style(HWND window) {
    return ::GetWindowLongA(window, GWL_STYLE);
}

SIZE SizeOf(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

int HitCodeOfSlot(int slot) {
    switch (slot) {
    case dbClose:
        return HTCLOSE;
    case dbMaximize:
        return HTMAXBUTTON;
    case dbMinimize:
        return HTMINBUTTON;
    default:
        return HTHELP;
    }
}

// The default handling paints the system's caption; the window is not drawn meanwhile.
void PassWithoutCaption(HWND window, TMessage& message, const TacWndNext& next) {
    const LONG style = Style(window);
    if ((style & WS_VISIBLE) == 0) {
        next(message);
        return;
    }
    struct TVisibleAgain {
        HWND Window;
        ~TVisibleAgain() { ::SetWindowLongA(Window, GWL_STYLE, Style(Window) | WS_VISIBLE); }
    } visibleAgain{window};
    ::SetWindowLongA(window, GWL_STYLE, style & ~WS_VISIBLE);
    next(message);
}

} // namespace

// ---- TacSystemMenu ----------------------------------------------------------------------

TacSystemMenu::TacSystemMenu(TComponent* owner, HWND dialog) : TPopupMenu(owner), dialog_(dialog) {
    AddItem("miRestore", SC_RESTORE, "Restore", "");
    AddItem("miMove", SC_MOVE, "Move", "");
    AddItem("miSize", SC_SIZE, "Size", "");
    AddItem("miMinimize", SC_MINIMIZE, "Minimize", "");
    AddItem("miMaximize", SC_MAXIMIZE, "Maximize", "");
    auto* line = new TMenuItem(this);
    line->SetCaption("-");
    Items().Add(line);
    AddItem("miClose", SC_CLOSE, "Close", "Alt+F4");
}

TMenuItem* TacSystemMenu::AddItem(const char* name, UINT command, const char* caption, const char* shortcut) {
    auto* item = new TMenuItem(this);
    item->SetName(name);
    item->SetCaption(*shortcut != '\0' ? std::string(caption) + "\t" + shortcut : std::string(caption));
    // Posted: the command may close the dialog, which must not go inside the menu loop.
    item->OnClick = [this, command](TObject*) {
        if (::IsWindow(dialog_))
            ::PostMessageA(dialog_, WM_SYSCOMMAND, command, 0);
    };
    Items().Add(item);
    items_.emplace_back(command, item);
    return item;
}

TMenuItem* TacSystemMenu::Item(UINT command) const {
    for (const auto& [id, item] : items_)
        if (id == command)
            return item;
    return nullptr;
}

void TacSystemMenu::UpdateItems() {
    const LONG style = Style(dialog_);
    const bool zoomed = ::IsZoomed(dialog_) != FALSE, iconic = ::IsIconic(dialog_) != FALSE;
    const bool minBox = (style & WS_MINIMIZEBOX) != 0, maxBox = (style & WS_MAXIMIZEBOX) != 0;
    const bool sizeable = (style & WS_THICKFRAME) != 0;
    auto set = [this](UINT command, bool visible, bool enabled) {
        if (TMenuItem* item = Item(command)) {
            item->SetVisible(visible);
            item->SetEnabled(enabled);
        }
    };
    set(SC_RESTORE, minBox || maxBox, zoomed || iconic);
    set(SC_MOVE, true, !zoomed);
    set(SC_SIZE, sizeable, sizeable && !zoomed && !iconic);
    set(SC_MINIMIZE, minBox, !iconic);
    set(SC_MAXIMIZE, maxBox, !zoomed);
    set(SC_CLOSE, true, true);
}

// ---- TacDialogWnd -----------------------------------------------------------------------

TacDialogWnd::TacDialogWnd(HWND dialog, TsSkinManager* manager)
    : TacScrollWnd(dialog, "DIALOG", manager), suppressPaint_(LOBYTE(LOWORD(::GetVersion())) >= 6) {
    for (int slot = 0; slot < 4; ++slot)
        buttons_[static_cast<std::size_t>(slot)].HitCode = HitCodeOfSlot(slot);
}

TacDialogWnd::~TacDialogWnd() {
    Unhook();
}

void TacDialogWnd::AfterHook() {
    TacScrollWnd::AfterHook();
    if (!systemMenu_)
        systemMenu_ = std::make_unique<TacSystemMenu>(nullptr, Handle());
    DisableDwmTransitions(Handle());
    ResolveSections();
    regionStale_ = true;
    SkinData().CacheStale = true;
}

void TacDialogWnd::RestoreHook() {
    border_.reset();
    TacScrollWnd::RestoreHook();
    if (regionSet_ && ::IsWindow(Handle()))
        ::SetWindowRgn(Handle(), nullptr, TRUE);
    regionSet_ = false;
}

void TacDialogWnd::ResolveSections() {
    const TsSkinModel* model = SkinData().Model();
    titleIndex_ = captionIndex_ = -1;
    if (model == nullptr)
        return;
    titleIndex_ = model->SectionIndexOf("DIALOGTITLE");
    if (!model->HasSection(titleIndex_))
        titleIndex_ = model->SectionIndexOf("FORMTITLE");
    captionIndex_ = model->SectionIndexOf("CAPTION");
    SelectButtonImages();
}

bool TacDialogWnd::SmallButtons() const {
    // The big set goes with a single border, the small set with every other.
    return (Style(Handle()) & WS_THICKFRAME) != 0 || (::GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
}

bool TacDialogWnd::Sizeable() const {
    return (Style(Handle()) & WS_THICKFRAME) != 0;
}

int TacDialogWnd::BorderWidth() const {
    const LONG style = Style(Handle());
    if ((style & WS_THICKFRAME) != 0)
        return ::GetSystemMetrics(SM_CXFRAME);
    if ((style & (WS_BORDER | WS_DLGFRAME)) != 0)
        return ::GetSystemMetrics(SM_CXDLGFRAME);
    return 0;
}

int TacDialogWnd::CaptionHeight() const {
    if ((Style(Handle()) & WS_CAPTION) != WS_CAPTION)
        return 0;
    const bool tool = (::GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
    return ::GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
}

POINT TacDialogWnd::ClientOffset() const {
    RECT window{};
    ::GetWindowRect(Handle(), &window);
    POINT client{0, 0};
    ::ClientToScreen(Handle(), &client);
    return POINT{client.x - window.left, client.y - window.top};
}

int TacDialogWnd::SectionState(std::int32_t index) const {
    const TsSkinModel* model = SkinData().Model();
    if (model == nullptr || !model->HasSection(index))
        return 0;
    return std::min(active_ ? 1 : 0, std::max(0, model->GeneralData[static_cast<std::size_t>(index)].States - 1));
}

void TacDialogWnd::SelectButtonImages() {
    const TsSkinModel* model = SkinData().Model();
    for (auto& button : buttons_)
        button.ImageIndex = -1;
    if (model == nullptr)
        return;
    const LONG style = Style(Handle());
    const bool alone = (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0;
    auto big = [&] {
        const std::int32_t closeAlone = alone ? GlobalImage(*model, "BICLOSEALONE") : -1;
        buttons_[dbClose].ImageIndex = model->HasImage(closeAlone) ? closeAlone : GlobalImage(*model, "BICONCLOSE");
        buttons_[dbMaximize].ImageIndex = GlobalImage(*model, ::IsZoomed(Handle()) ? "BICONNORM" : "BICONMAX");
        buttons_[dbMinimize].ImageIndex = GlobalImage(*model, "BICONMIN");
        buttons_[dbHelp].ImageIndex = GlobalImage(*model, "BICONHELP");
    };
    if (!SmallButtons()) {
        big();
    } else {
        buttons_[dbClose].ImageIndex = GlobalImage(*model, "SICONCLOSE");
        buttons_[dbMaximize].ImageIndex = GlobalImage(*model, "SICONMAX");
        buttons_[dbMinimize].ImageIndex = GlobalImage(*model, "SICONMIN");
        const std::int32_t help = GlobalImage(*model, "SICONHELP");
        buttons_[dbHelp].ImageIndex = model->HasImage(help) ? help : GlobalImage(*model, "BICONHELP");
        if (!model->HasImage(buttons_[dbClose].ImageIndex))
            big();
    }
}

void TacDialogWnd::Layout() {
    const TsSkinModel* model = SkinData().Model();
    const int border = BorderWidth(), caption = CaptionHeight();
    centerLine_ = caption / 2 + border / 2;
    for (auto& button : buttons_)
        button.Rect = RECT{};
    buttonBlockWidth_ = 0;
    const LONG style = Style(Handle());
    if (model == nullptr || caption == 0 || (style & WS_SYSMENU) == 0)
        return;
    const TsSkinData& globals = model->SkinGlobals;
    TTitleButtonGeometry g;
    g.CacheWidth = size_.cx;
    g.FrameBorder = border;
    g.BIRight = globals.BIRight;
    g.BISpace = globals.BISpace;
    g.BigSet = !SmallButtons();
    g.CenterLine = centerLine_;
    g.AlignedTop = g.BigSet && globals.BIVAlign == 1 ? 0 : -1;
    const TTitleButtonSize closeSize = SizeOfItem(model, buttons_[dbClose].ImageIndex, true);
    auto sizeOf = [&](int slot, bool visible) {
        TTitleButtonSize size = SizeOfItem(model, buttons_[static_cast<std::size_t>(slot)].ImageIndex, visible);
        size.Height = closeSize.Height;
        return size;
    };
    const bool help = (::GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_CONTEXTHELP) != 0;
    std::vector<RECT> rects;
    buttonBlockWidth_ = LayoutTitleButtonRow(
        g,
        {sizeOf(dbClose, true), sizeOf(dbMaximize, (style & WS_MAXIMIZEBOX) != 0),
         sizeOf(dbMinimize, (style & WS_MINIMIZEBOX) != 0), sizeOf(dbHelp, help)},
        rects);
    for (int slot = 0; slot < 4; ++slot)
        buttons_[static_cast<std::size_t>(slot)].Rect = rects[static_cast<std::size_t>(slot)];
}

TBitmap* TacDialogWnd::Frame() {
    return PaintFrame() ? SkinData().CacheBitmap.get() : nullptr;
}

bool TacDialogWnd::PaintFrame() {
    const TsSkinModel* model = SkinData().Model();
    if (!Skinned() || model == nullptr)
        return false;
    const SIZE size = SizeOf(Handle());
    if (size.cx <= 0 || size.cy <= 0)
        return false;
    if (!SkinData().CacheStale && SkinData().CacheBitmap && size.cx == size_.cx && size.cy == size_.cy)
        return true;
    size_ = size;
    PrepareCache();
    TBitmap& cache = *SkinData().CacheBitmap;
    Layout();
    const TacRect all{0, 0, size.cx, size.cy};
    const TsGeneralData* section = SkinData().Section();
    const std::uint32_t face =
        section != nullptr ? PaintColorToRGB(static_cast<std::uint32_t>(section->PropsOfState(SectionState(SkinData().SectionIndex)).Color))
                           : PaintColorToRGB(clBtnFace);
    FillPixels(cache.Pixels(), all, ColorToPixelOrder(face), 0xFF);
    if (section != nullptr)
        PaintSectionFace(cache.Pixels(), all, model, SkinData().SectionIndex, SkinData().SkinSection(),
                         SectionState(SkinData().SectionIndex), true, ColorBackdrop(face), 0, 0);
    if (CaptionHeight() > 0) {
        PaintTitle(cache);
        PaintCaption(cache);
        PaintButtons(cache);
    }
    SkinData().CacheStale = false;
    regionStale_ = true;
    framePainted_ = true;
    return true;
}

void TacDialogWnd::PaintTitle(TBitmap& cache) {
    const TsSkinModel* model = SkinData().Model();
    if (!model->HasSection(titleIndex_))
        return;
    const TacRect strip{0, 0, cache.Width(), std::min(cache.Height(), BorderWidth() + CaptionHeight())};
    const std::string name = model->GeneralData[static_cast<std::size_t>(titleIndex_)].SectionName;
    TacPixmap behind = CopyOfArea(cache.Pixels(), strip);
    PaintSectionFace(cache.Pixels(), strip, model, titleIndex_, name, SectionState(titleIndex_), true,
                     BitmapBackdrop(behind.View(), 0, 0), 0, 0);
    const std::int32_t bar = model->ImageIndexOf(SkinData().SectionIndex, SkinData().SkinSection(), "TITLEBAR");
    if (!model->HasImage(bar) || buttonBlockWidth_ == 0)
        return;
    const TsMaskData& item = model->Masks[static_cast<std::size_t>(bar)];
    DrawBordersMask(cache.Pixels(), TitleBarStripRect(cache.Width(), strip.Top, strip.Bottom, buttonBlockWidth_, FrameWidth(item)),
                    true, SectionState(titleIndex_), item, BitmapBackdrop(cache.Pixels(), 0, 0));
}

void TacDialogWnd::PaintCaption(TBitmap& cache) {
    const TsSkinModel* model = SkinData().Model();
    char text[512] = {};
    ::GetWindowTextA(Handle(), text, sizeof text);
    const std::string caption = text;
    HDC dc = cache.Canvas().Handle();
    const TCaptionFontScope captionFont(dc);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    RECT r{};
    r.left = BorderWidth() + model->SkinGlobals.BILeft + (model->HasSection(captionIndex_) ? 2 : 0) + 4;
    r.right = cache.Width() - buttonBlockWidth_ - 12;
    r.top = centerLine_ - metrics.tmHeight / 2;
    r.bottom = r.top + metrics.tmHeight;
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    // A right-to-left dialog reads its caption from the right.
    if ((::GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0 && r.right - extent.cx - 4 > r.left)
        r.left = r.right - extent.cx - 4;
    captionTextRect_ = r;
    if (r.right <= r.left)
        return;
    PaintCaptionBacking(cache, model, captionIndex_, SectionState(captionIndex_), r);
    TColor color = clCaptionText;
    if (model->HasSection(titleIndex_))
        color = static_cast<TColor>(
            model->GeneralData[static_cast<std::size_t>(titleIndex_)].PropsOfState(SectionState(titleIndex_)).FontColor);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, PaintColorToRGB(color));
    RECT textRect = r;
    ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    MakeTextOpaque(cache, r, r.right);
}

void TacDialogWnd::PaintButtons(TBitmap& cache) {
    const TsSkinModel* model = SkinData().Model();
    const LONG style = Style(Handle());
    for (const TButton& button : buttons_) {
        if (!button.Placed() || !model->HasImage(button.ImageIndex))
            continue;
        bool enabled = true;
        if (button.HitCode == HTMAXBUTTON)
            enabled = (style & WS_MAXIMIZEBOX) != 0;
        else if (button.HitCode == HTMINBUTTON)
            enabled = (style & WS_MINIMIZEBOX) != 0;
        const bool faded = button.State == 0 && (!active_ || !enabled);
        const TsMaskData& item = model->Masks[static_cast<std::size_t>(button.ImageIndex)];
        DrawStateImage(cache.Pixels(), button.Rect.left, button.Rect.top, button.State,
                       BitmapBackdrop(cache.Pixels(), button.Rect.left, button.Rect.top), item,
                       faded ? simFaded : simNormal);
    }
}

void TacDialogWnd::UpdateRegion() {
    const TsSkinModel* model = SkinData().Model();
    if (model == nullptr || ::IsZoomed(Handle()) || ::IsIconic(Handle()))
        return;
    std::vector<RECT> corners;
    TsSkinModel& skin = Manager()->Core().Model();
    if (SkinData().Section() != nullptr)
        CollectFrameCornerRuns(skin, SkinData().BordersIndex, size_.cx, size_.cy, true, corners);
    if (model->HasSection(titleIndex_) && CaptionHeight() > 0)
        CollectFrameCornerRuns(skin, model->GeneralData[static_cast<std::size_t>(titleIndex_)].BordersMaskIndex,
                               size_.cx, size_.cy, false, corners);
    HRGN region = ::CreateRectRgn(0, 0, size_.cx, size_.cy);
    for (const RECT& r : corners) {
        HRGN cut = ::CreateRectRgn(r.left, r.top, r.right, r.bottom);
        ::CombineRgn(region, region, cut, RGN_DIFF);
        ::DeleteObject(cut);
    }
    corners_ = std::move(corners);
    // The window owns the region once it is set.
    if (::SetWindowRgn(Handle(), region, FALSE) == 0)
        ::DeleteObject(region);
    else
        regionSet_ = true;
}

void TacDialogWnd::PaintNonClient(HDC dc) {
    if (!PaintFrame())
        return;
    if (regionStale_) {
        regionStale_ = false;
        UpdateRegion();
    }
    const bool own = dc == nullptr;
    if (own)
        dc = ::GetWindowDC(Handle());
    if (dc == nullptr)
        return;
    TBitmap& cache = *SkinData().CacheBitmap;
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const POINT offset = ClientOffset();
    const int saved = ::SaveDC(dc);
    ::ExcludeClipRect(dc, offset.x, offset.y, offset.x + client.right, offset.y + client.bottom);
    ::BitBlt(dc, 0, 0, cache.Width(), cache.Height(), cache.Canvas().Handle(), 0, 0, SRCCOPY);
    ::RestoreDC(dc, saved);
    if (own)
        ::ReleaseDC(Handle(), dc);
    UpdateBorder(std::exchange(framePainted_, false));
}

void TacDialogWnd::PaintClient(HDC dc) {
    if (dc == nullptr || !PaintFrame())
        return;
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const POINT offset = ClientOffset();
    ::BitBlt(dc, 0, 0, client.right, client.bottom, SkinData().CacheBitmap->Canvas().Handle(), offset.x, offset.y,
             SRCCOPY);
}

void TacDialogWnd::AnswerBackdrop(TBackdropQuery& query) {
    if (!PaintFrame())
        return;
    const POINT offset = ClientOffset();
    query.Kind = bqBitmap;
    query.Bitmap = SkinData().CacheBitmap.get();
    query.OffsetX = offset.x;
    query.OffsetY = offset.y;
}

int TacDialogWnd::HitTestAt(POINT screen) {
    PaintFrame();
    RECT window{};
    ::GetWindowRect(Handle(), &window);
    const POINT p{screen.x - window.left, screen.y - window.top};
    for (const TButton& button : buttons_)
        if (button.Placed() && Inside(button.Rect, p))
            return button.HitCode;
    return 0;
}

void TacDialogWnd::SetButtonState(int slot, int state) {
    TButton& button = buttons_[static_cast<std::size_t>(slot)];
    if (button.State == state)
        return;
    button.State = state;
    SkinData().CacheStale = true;
    PaintNonClient(nullptr);
}

void TacDialogWnd::RequestChildAdaption() {
    if (adaptionPosted_)
        return;
    adaptionPosted_ = ::PostMessageA(Handle(), AdaptLateChildrenMessage(), 0, 0) != FALSE;
}

void TacDialogWnd::ShowSystemMenuAt(int x, int y) {
    if (!systemMenu_)
        return;
    systemMenu_->UpdateItems();
    if (TsSkinManager* manager = Manager())
        if (auto* menus = dynamic_cast<TsSkinableMenus*>(manager->SkinableMenus()))
            menus->HookPopupMenu(systemMenu_.get(), Skinned() && manager->SkinnedPopups());
    systemMenu_->Popup(x, y);
}

bool TacDialogWnd::HandleNonClientMouse(TMessage& message, const TacWndNext& next) {
    const int code = static_cast<int>(message.WParam);
    const POINT screen{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    auto slotOf = [this](int hit) {
        for (int slot = 0; slot < 4; ++slot)
            if (buttons_[static_cast<std::size_t>(slot)].HitCode == hit && buttons_[static_cast<std::size_t>(slot)].Placed())
                return slot;
        return -1;
    };
    switch (message.Msg) {
    case WM_NCHITTEST: {
        const int hit = HitTestAt(screen);
        if (hit != 0) {
            message.Result = hit;
            return true;
        }
        next(message);
        // The system's buttons lie elsewhere: their places are caption here.
        if (message.Result == HTCLOSE || message.Result == HTMAXBUTTON || message.Result == HTMINBUTTON ||
            message.Result == HTHELP || message.Result == HTSYSMENU)
            message.Result = HTCAPTION;
        return true;
    }
    case WM_NCMOUSEMOVE: {
        const int hot = slotOf(code);
        for (int slot = 0; slot < 4; ++slot)
            if (slot != pressed_)
                SetButtonState(slot, slot == hot ? 1 : 0);
        if (hot >= 0) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, Handle(), 0};
            ::TrackMouseEvent(&track);
        }
        return false;
    }
    case WM_NCMOUSELEAVE:
        for (int slot = 0; slot < 4; ++slot)
            if (slot != pressed_)
                SetButtonState(slot, 0);
        return false;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
        const int slot = slotOf(code);
        if (slot < 0)
            return false;
        pressed_ = slot;
        SetButtonState(slot, 2);
        ::SetCapture(Handle());
        message.Result = 0;
        return true;
    }
    case WM_NCRBUTTONUP:
        if (code == HTCAPTION) {
            ShowSystemMenuAt(screen.x, screen.y);
            message.Result = 0;
            return true;
        }
        return false;
    default:
        return false;
    }
}

void TacDialogWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage) {
        switch (SkinCommandCode(message.WParam)) {
        case scQueryBackdrop:
            if (message.LParam != 0)
                AnswerBackdrop(*reinterpret_cast<TBackdropQuery*>(message.LParam));
            return;
        case scNewSkin:
        case scRefresh:
            TacScrollWnd::WindowProc(message, next);
            ResolveSections();
            SkinData().CacheStale = true;
            regionStale_ = true;
            ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
            // The margins come and go with the manager's extended borders.
            UpdateBorder(true);
            return;
        default:
            TacScrollWnd::WindowProc(message, next);
            return;
        }
    }
    if (message.Msg == AdaptLateChildrenMessage()) {
        adaptionPosted_ = false;
        AdaptLateChildren(Handle());
        message.Result = 0;
        return;
    }
    if (!Skinned() || message.Msg == WM_DESTROY || message.Msg == WM_NCDESTROY) {
        // Nothing of the dialog stays on the screen after it.
        if (message.Msg == WM_DESTROY)
            border_.reset();
        TacScrollWnd::WindowProc(message, next);
        return;
    }
    if (HandleNonClientMouse(message, next))
        return;
    if (IsDialogShowingMessage(message.Msg)) {
        HandleShowing(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT:
        if (suppressPaint_)
            break;
        {
            PAINTSTRUCT paint{};
            HDC dc = message.WParam != 0 ? reinterpret_cast<HDC>(message.WParam) : ::BeginPaint(Handle(), &paint);
            PaintClient(dc);
            if (message.WParam == 0)
                ::EndPaint(Handle(), &paint);
        }
        message.Result = 0;
        return;
    case WM_NCPAINT:
        PaintNonClient(nullptr);
        message.Result = 0;
        return;
    case WM_NCACTIVATE:
        active_ = message.WParam != 0;
        SkinData().CacheStale = true;
        PaintNonClient(nullptr);
        message.Result = TRUE;
        return;
    case WM_ERASEBKGND:
        PaintClient(reinterpret_cast<HDC>(message.WParam));
        message.Result = 1;
        return;
    case WM_SETTEXT:
    case WM_SETICON:
        PassWithoutCaption(Handle(), message, next);
        SkinData().CacheStale = true;
        PaintNonClient(nullptr);
        return;
    case WM_SIZE:
        SkinData().CacheStale = true;
        regionStale_ = true;
        next(message);
        for (HWND child = ::GetWindow(Handle(), GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
            ::SendMessageA(child, SkinCommandMessage, SkinCommand(scParentChanged), 0);
        ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
        return;
    case WM_WINDOWPOSCHANGED: {
        TacScrollWnd::WindowProc(message, next);
        const auto* position = reinterpret_cast<const WINDOWPOS*>(message.LParam);
        if (position != nullptr && (position->flags & SWP_HIDEWINDOW) != 0)
            border_.reset();
        else
            UpdateBorder(false);
        return;
    }
    case WM_SYSCOMMAND:
        if ((message.WParam & 0xFFF0) == SC_KEYMENU && message.LParam == ' ') {
            RECT window{};
            ::GetWindowRect(Handle(), &window);
            ShowSystemMenuAt(window.left + BorderWidth(), window.top + BorderWidth() + CaptionHeight());
            message.Result = 0;
            return;
        }
        break;
    case WM_MOUSEMOVE:
        if (pressed_ >= 0) {
            POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
            ::ClientToScreen(Handle(), &p);
            const int over = HitTestAt(p);
            SetButtonState(pressed_, over == buttons_[static_cast<std::size_t>(pressed_)].HitCode ? 2 : 0);
            message.Result = 0;
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (pressed_ >= 0) {
            const int slot = std::exchange(pressed_, -1);
            ::ReleaseCapture();
            POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
            ::ClientToScreen(Handle(), &p);
            const bool over = HitTestAt(p) == buttons_[static_cast<std::size_t>(slot)].HitCode;
            SetButtonState(slot, 0);
            message.Result = 0;
            if (!over)
                return;
            const UINT command = slot == dbClose      ? SC_CLOSE
                                 : slot == dbMinimize ? SC_MINIMIZE
                                 : slot == dbHelp     ? SC_CONTEXTHELP
                                 : ::IsZoomed(Handle()) ? SC_RESTORE
                                                        : SC_MAXIMIZE;
            ::PostMessageA(Handle(), WM_SYSCOMMAND, command, 0);
            return;
        }
        break;
    case WM_CAPTURECHANGED:
        if (pressed_ >= 0 && reinterpret_cast<HWND>(message.LParam) != Handle())
            SetButtonState(std::exchange(pressed_, -1), 0);
        break;
    default:
        break;
    }
    TacScrollWnd::WindowProc(message, next);
}

} // namespace sj
