// What a skinned form does with its messages: non-client input, skin commands and the window procedure.
#include "skin/frame/sSkinProvider.h"

#include "skin/frame/sSkinProviderInternal.h"
#include "skin/frame/sFade.h"

namespace sj {

using namespace provider_detail;

// ---- input ------------------------------------------------------------------------------

int TsSkinProvider::NonClientHitTest(POINT screen) {
    const POINT p = ToWindow(screen);
    if (skinData_->CacheStale)
        PaintFrame();
    for (int slot : {kClose, kMaximize, kMinimize, kHelp}) {
        const TitleButtonRecord& button = buttons_[static_cast<std::size_t>(slot)];
        if (!button.Placed() || !Inside(button.Rect, p))
            continue;
        switch (button.HitCode) {
        case HTCLOSE:
            return systemMenu_ != nullptr && systemMenu_->VisibleClose() ? HTCLOSE : HTCAPTION;
        case HTMAXBUTTON:
            if (systemMenu_ != nullptr && !systemMenu_->EnabledMax() &&
                (!systemMenu_->EnabledRestore() || IsMinimized()))
                return HTCAPTION;
            return HTMAXBUTTON;
        case HTMINBUTTON:
            return systemMenu_ != nullptr && systemMenu_->EnabledMin() ? HTMINBUTTON : HTCAPTION;
        default:
            return HTHELP;
        }
    }
    if (const int user = UserButtonHit(p); user != 0)
        return user;
    const int band = SystemCaptionHeight() + FrameTopBorder(true);
    if (p.y >= FrameTopBorder(true) && p.y <= band && Inside(iconRect_, p))
        return HTSYSMENU;
    return HTNOWHERE; // the system answers everything else from its own frame
}

void TsSkinProvider::ShowSystemMenuAt(int x, int y) {
    if (systemMenu_ == nullptr || !form_.HandleAllocated())
        return;
    systemMenu_->UpdateItems(systemMenu_->ExtraCount() > 0);
    if (MakeSkinMenu)
        systemMenu_->MakeSkinItems();
    if (TsSkinManager* manager = SkinManager()) {
        if (auto* menus = dynamic_cast<TsSkinableMenus*>(manager->SkinableMenus()))
            menus->HookPopupMenu(systemMenu_, Skinned() && manager->SkinnedPopups());
    }
    systemMenu_->SetPopupComponent(&form_);
    systemMenu_->Popup(x, y);
}

bool TsSkinProvider::HandleNonClientMouse(TMessage& message, const TWndNext& next) {
    const POINT screen{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
    const int code = static_cast<int>(message.WParam);
    switch (message.Msg) {
    case WM_NCMOUSEMOVE:
        DropStalePress();
        if (IsButtonCode(code) && Button(code).Placed()) {
            SetHoverButton(code);
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, form_.Handle(), 0};
            ::TrackMouseEvent(&track);
        } else {
            SetHoverButton(0);
        }
        return false;
    case WM_NCLBUTTONDOWN:
        if (IsButtonCode(code)) {
            PressButton(code);
            // The release may come anywhere: the capture brings it here.
            ::SetCapture(form_.Handle());
            capturing_ = true;
            if (TsTitleButton* user = UserButton(code); user != nullptr && buttonPressed_ && user->OnMouseDown)
                user->OnMouseDown(this, TMouseButton::mbLeft, 0, screen.x, screen.y);
            message.Result = 0;
            return true;
        }
        if (StartOutlineDrag(code, screen)) {
            message.Result = 0;
            return true;
        }
        if (code == HTCAPTION && BlendOnMovingWanted()) {
            // The system's move loop runs inside; the drag is over when it returns.
            moveTimer_ = std::make_unique<TacMoveTimer>(*this);
            moveTimer_->RunDrag(message.LParam);
            moveTimer_.reset();
            message.Result = 0;
            return true;
        }
        if (code == HTSYSMENU) {
            hoverCode_ = 0;
            // Below the caption by the icon's height, at the visible frame's left edge.
            const POINT at = CacheToScreen(POINT{Margins()[0], titleBottom_ + (iconRect_.bottom - iconRect_.top)});
            ShowSystemMenuAt(at.x, at.y);
            message.Result = 0;
            return true;
        }
        return false;
    case WM_NCLBUTTONUP:
        if (buttonPressed_) {
            ReleaseButton(code, screen);
            message.Result = 0;
            return true;
        }
        if (IsButtonCode(code)) {
            ResetButtons();
            message.Result = 0;
            return true;
        }
        return false;
    case WM_NCLBUTTONDBLCLK:
        if (code == HTSYSMENU) {
            ::PostMessageA(form_.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
            message.Result = 0;
            return true;
        }
        if (code == HTCAPTION) {
            if (IsMinimized())
                ::SendMessageA(form_.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
            else if (hasSysButtons_ && systemMenu_ != nullptr &&
                     (systemMenu_->EnabledMax() || systemMenu_->EnabledRestore()))
                ::SendMessageA(form_.Handle(), WM_SYSCOMMAND, IsMaximized() ? SC_RESTORE : SC_MAXIMIZE, 0);
            message.Result = 0;
            return true;
        }
        if (IsButtonCode(code)) {
            message.Result = 0;
            return true;
        }
        return false;
    case WM_NCRBUTTONDOWN:
        if (code == HTCAPTION || code == HTSYSMENU) {
            message.Result = 0;
            return true;
        }
        return false;
    case WM_NCRBUTTONUP:
        if (code == HTCAPTION || code == HTSYSMENU) {
            ShowSystemMenuAt(screen.x, screen.y);
            message.Result = 0;
            return true;
        }
        return false;
    default:
        (void)next;
        return false;
    }
}

// ---- messages -------------------------------------------------------------------------

void TsSkinProvider::DefaultWithoutRedraw(TMessage& message, const TWndNext& next) {
    // The default processing paints a system caption; the window is not drawn meanwhile.
    HWND window = form_.Handle();
    const LONG style = ::GetWindowLongA(window, GWL_STYLE);
    if ((style & WS_VISIBLE) == 0) {
        next(message);
        return;
    }
    if (CompositionEnabled()) {
        // Under composition the window keeps its style; drawing is only switched off.
        struct TRedrawAgain {
            HWND Window;
            ~TRedrawAgain() { ::SendMessageA(Window, WM_SETREDRAW, TRUE, 0); }
        } redrawAgain{window};
        ::SendMessageA(window, WM_SETREDRAW, FALSE, 0);
        next(message);
        return;
    }
    // Whatever the default processing does, even throwing, the window shows again.
    struct TVisibleAgain {
        HWND Window;
        ~TVisibleAgain() { ::SetWindowLongA(Window, GWL_STYLE, ::GetWindowLongA(Window, GWL_STYLE) | WS_VISIBLE); }
    } visibleAgain{window};
    ::SetWindowLongA(window, GWL_STYLE, style & ~WS_VISIBLE);
    next(message);
}

// The work area of the form's monitor; the whole monitor for a stay-on-top form.
RECT TsSkinProvider::ScreenArea() const {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = ::MonitorFromWindow(form_.Handle(), MONITOR_DEFAULTTONEAREST);
    if (!::GetMonitorInfoA(monitor, &info))
        return RECT{};
    return form_.FormStyle() == TFormStyle::fsStayOnTop ? info.rcMonitor : info.rcWork;
}

TMaximizedPlacement MaximizedPlacement(const RECT& area, int frameWidth, int growth) {
    TMaximizedPlacement placement;
    placement.Position = POINT{-frameWidth, growth - frameWidth};
    placement.Size = SIZE{area.right - area.left + 2 * frameWidth, area.bottom - area.top + 2 * frameWidth - growth};
    return placement;
}

void TsSkinProvider::ApplyMaximizedGeometry(MINMAXINFO& info) {
    const RECT area = ScreenArea();
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    // The taller maximised title only counts where the skin draws its own title.
    const int growth = ExtendedBordersAllowed() ? TitleGrowth() : 0;
    const TMaximizedPlacement placement = MaximizedPlacement(area, FrameBorderWidth(false), growth);
    info.ptMaxPosition = placement.Position;
    info.ptMaxSize = POINT{placement.Size.cx, placement.Size.cy};
}

void TsSkinProvider::Snap(WINDOWPOS& position) {
    if (!ScreenSnap || !::IsWindowVisible(form_.Handle()) || IsMaximized() || (position.flags & SWP_NOMOVE) != 0 ||
        (position.x == 0 && position.y == 0))
        return;
    const RECT area = ScreenArea();
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    SIZE size{position.cx, position.cy};
    if ((position.flags & SWP_NOSIZE) != 0)
        size = WindowSize();
    // With a border window the visible frame reaches beyond the window by the skin's
    // wider border and taller title; the shadow beyond ALIGNOFFSET may leave the screen.
    int m = 0, n = 0;
    if (borderForm_ && Model() != nullptr) {
        const int align = Model()->SkinGlobals.AlignOffset;
        m = FrameBorderWidth(true) - FrameBorderWidth(false) + align;
        n = CaptionHeight(true) - CaptionHeight(false) - FrameBorderWidth(false) + align;
    }
    const POINT snapped = SnapToArea(POINT{position.x, position.y}, size, area, SnapBuffer, m, n);
    position.x = snapped.x;
    position.y = snapped.y;
}

void TsSkinProvider::AdaptLaterChild(const TMessage& message) {
    if (!adapter_ || !Skinned() || LOWORD(message.WParam) != WM_CREATE)
        return;
    TWinControl* child = TWinControl::FindControl(reinterpret_cast<HWND>(message.LParam));
    if (child != nullptr && adapter_->IsControlSupported(*child) && child->ClassName() != TLabel::StaticClassName)
        adapter_->AddNewItem(*child);
}

void TsSkinProvider::HandleNewSkin() {
    ClearMenuBackgrounds();
    for (auto& animation : animations_)
        animation.reset();
    ClearAllGlows();
    titleSectionIndex_ = -1;
    hoverCode_ = 0;
    buttonPressed_ = false;
    for (auto& button : buttons_)
        button.State = 0;
    skinData_->ResolveSection();
    if (!prepared_)
        PrepareForm();
    else {
        captionSectionIndex_ = Model() != nullptr ? Model()->SectionIndexOf("CAPTION") : -1;
        SelectButtonImages();
        if (form_.HandleAllocated()) {
            const LONG style = ::GetWindowLongA(form_.Handle(), GWL_STYLE);
            if (drawNonClientArea_ && (style & WS_SYSMENU) != 0) {
                ::SetWindowLongA(form_.Handle(), GWL_STYLE, style & ~WS_SYSMENU);
                hasSysButtons_ = true;
            }
        }
        RecolorForm();
    }
    ForgetMenuLines();
    HookFormMenu();
    skinData_->CacheStale = true;
    regionStale_ = true;
    if (adapter_)
        adapter_->AddAllItems(form_);
}

void TsSkinProvider::HandleRefresh() {
    skinData_->CacheStale = true;
    regionStale_ = true;
    if (form_.HandleAllocated() && ::IsWindowVisible(form_.Handle()))
        SetExtendedBorders(true);
    RecolorForm();
    if (adapter_)
        adapter_->AddAllItems(form_);
    if (form_.HandleAllocated())
        ::RedrawWindow(form_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TsSkinProvider::HandleRemoveSkin() {
    titleSectionIndex_ = -1;
    captionSectionIndex_ = -1;
    if (adapter_)
        adapter_->RestoreLabels();
    if (form_.HandleAllocated()) {
        HWND window = form_.Handle();
        if (hasSysButtons_)
            ::SetWindowLongA(window, GWL_STYLE, ::GetWindowLongA(window, GWL_STYLE) | WS_SYSMENU);
        const LRESULT icon = ::SendMessageA(window, WM_GETICON, ICON_SMALL, 0);
        ::SendMessageA(window, WM_SETICON, ICON_SMALL, icon);
        ::SetWindowRgn(window, nullptr, TRUE);
    }
    hasSysButtons_ = false;
    prepared_ = false;
    borderForm_.reset();
    skinData_->EmptyCache();
    skinData_->CacheStale = true;
    if (UseGlobalColor)
        form_.SetColor(clBtnFace);
    if (form_.HandleAllocated())
        ::SetWindowPos(form_.Handle(), nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool TsSkinProvider::FormBusy() const {
    return !AnimationRunning() && Skinned() && skinData_->InUpdate;
}

bool TsSkinProvider::HandleSkinCommand(TMessage& message, const TWndNext& next) {
    const WORD code = SkinCommandCode(message.WParam);
    const bool mine = reinterpret_cast<TsSkinManager*>(message.LParam) == SkinManager();
    switch (code) {
    case scQueryProvider:
        message.Result = reinterpret_cast<LRESULT>(this);
        return true;
    case scIsSkinned:
        message.Result = Skinned() ? 1 : 0;
        return true;
    case scQueryBackdrop:
        if (Skinned() && message.LParam != 0) {
            auto& query = *reinterpret_cast<TBackdropQuery*>(message.LParam);
            if (PaintFrame()) {
                query.Kind = bqBitmap;
                query.Bitmap = FrameCache();
                query.OffsetX = ClientOffsetX();
                query.OffsetY = ClientOffsetY();
            } else {
                query.Kind = bqColor;
                query.Color = FaceColor();
            }
            return true;
        }
        return false;
    case scQueryColor:
        if (Skinned()) {
            message.Result = static_cast<LRESULT>(FaceColor());
            return true;
        }
        return false;
    case scQueryApplication:
        message.Result = reinterpret_cast<LRESULT>(Application);
        return true;
    case scQueryClientOffset:
        message.Result = MAKELONG(ClientOffsetX(), ClientOffsetY());
        return true;
    case scAdaptControl:
        if (adapter_ && Skinned()) {
            if (auto* control = reinterpret_cast<TWinControl*>(message.LParam))
                adapter_->AddNewItem(*control);
            else
                adapter_->AddAllItems(form_);
        }
        return true;
    case scInvalidateCache:
        skinData_->CacheStale = true;
        return true;
    case scParentUpdated:
        // A parent's update ended: whatever waited for it is drawn now.
        skinData_->InUpdate = false;
        if (Skinned() && form_.HandleAllocated() && ::IsWindowVisible(form_.Handle()))
            RepaintFrameNow();
        return true;
    case scSetInUpdate:
        skinData_->InUpdate = LOWORD(message.WParam) == 1;
        if (FormBusy())
            skinData_->CacheStale = true;
        return true;
    case scSetPaintImmediately:
        skinData_->PaintImmediately = LOWORD(message.WParam) == 1;
        if (skinData_->PaintImmediately && Skinned()) {
            skinData_->CacheStale = true;
            PaintFrame();
        }
        return true;
    case scQueryBusy:
        // Busy only while in an update: a stale cache is simply painted anew.
        message.Result = FormBusy() ? 1 : 0;
        return true;
    case scHotLeave:
        ResetButtons();
        return true;
    case scRedrawOff:
        ::SendMessageA(form_.Handle(), WM_SETREDRAW, FALSE, 0);
        return true;
    case scRedrawOn:
        ::SendMessageA(form_.Handle(), WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(form_.Handle(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return true;
    case scRepaintNonClient:
        RepaintFrameNow();
        return true;
    case scNewSkin:
        if (!mine)
            return false;
        skinData_->HandleCommonMessage(message);
        HandleNewSkin(); // the manager announces to the controls itself
        return true;
    case scRefresh:
        if (!mine)
            return false;
        skinData_->HandleCommonMessage(message);
        HandleRefresh();
        return true;
    case scRemoveSkin:
        if (!mine)
            return false;
        skinData_->HandleCommonMessage(message);
        HandleRemoveSkin();
        return true;
    default:
        (void)next;
        return skinData_->HandleCommonMessage(message);
    }
}

void TsSkinProvider::WindowProc(TMessage& message, const TWndNext& next) {
    if (message.Msg == SkinCommandMessage) {
        if (!HandleSkinCommand(message, next))
            next(message);
        return;
    }
    if (!prepared_ && form_.HandleAllocated() &&
        (message.Msg == WM_NCPAINT || message.Msg == WM_NCACTIVATE || message.Msg == WM_SHOWWINDOW ||
         message.Msg == WM_CREATE))
        PrepareForm();
    else if (message.Msg == WM_SHOWWINDOW && message.WParam != 0 && adapter_ && Skinned())
        adapter_->AddAllItems(form_);
    if (HandleLiveSkin(message))
        return;
    if (!Skinned() || !drawNonClientArea_) {
        next(message);
        if (message.Msg == WM_PARENTNOTIFY)
            AdaptLaterChild(message);
        return;
    }
    if (message.Msg == WM_SHOWWINDOW && message.WParam != 0)
        EnableIconicPreviews();
    // Before the show animation is decided on: the editor's form shows without one.
    if ((message.Msg == CM_VISIBLECHANGED && form_.Visible()) || (message.Msg == WM_SHOWWINDOW && message.WParam != 0))
        AnnounceIfPreview();
    if (AnswerIconicRequest(message, form_.Handle()))
        return;
    if (HandleAnimationMessage(message, next))
        return;
    if (HandleOutlineDrag(message))
        return;
    switch (message.Msg) {
    case WM_NCPAINT:
        PaintNonClient(nullptr);
        PaintSystemMenuBar(next);
        message.Result = 0;
        return;
    case CM_MENUCHANGED:
        MenuChanged(message, next);
        return;
    case WM_CONTEXTMENU:
        skinData_->PreparePopupMenu(form_.PopupMenu());
        break;
    case WM_NCACTIVATE: {
        const int active = message.WParam != 0 ? 1 : 0;
        if (active != formActive_) {
            formActive_ = active;
            skinData_->CacheStale = true;
        }
        DefaultWithoutRedraw(message, next);
        RepaintFrameNow();
        message.Result = TRUE;
        return;
    }
    case WM_SETTEXT:
    case WM_SETICON:
        DefaultWithoutRedraw(message, next);
        skinData_->CacheStale = true;
        RepaintFrameNow();
        return;
    case WM_NCHITTEST: {
        const POINT screen{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
        const int code = NonClientHitTest(screen);
        if (code != HTNOWHERE) {
            message.Result = code;
            return;
        }
        next(message);
        const LRESULT system = message.Result;
        const bool plain = system == HTNOWHERE || system == HTCLIENT || system == HTCAPTION || system == HTMENU ||
                           (system >= HTLEFT && system <= HTBOTTOMRIGHT);
        if (plain && Inside(GripRect(), ToWindow(screen)))
            message.Result = HTBOTTOMRIGHT;
        return;
    }
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
        if (!HandleNonClientMouse(message, next))
            next(message);
        return;
    case WM_MOUSEMOVE:
        if (capturing_ && buttonPressed_) {
            POINT screen{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
            ::ClientToScreen(form_.Handle(), &screen);
            FollowPressedPointer(screen);
            message.Result = 0;
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (capturing_) {
            POINT screen{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
            ::ClientToScreen(form_.Handle(), &screen);
            const int code =
                static_cast<int>(::SendMessageA(form_.Handle(), WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)));
            ReleaseButton(code, screen);
            message.Result = 0;
            return;
        }
        break;
    case WM_CAPTURECHANGED:
        // While the left button is still down its release may yet come over the button
        // (through the border window); otherwise the press is over.
        if (capturing_ && reinterpret_cast<HWND>(message.LParam) != form_.Handle()) {
            capturing_ = false;
            DropStalePress();
        }
        break;
    case WM_NCMOUSELEAVE:
    case WM_MOUSELEAVE:
        if (!buttonPressed_)
            SetHoverButton(0);
        break;
    case WM_SYSCOMMAND:
        if ((message.WParam & 0xFFF0) == SC_MINIMIZE) {
            StopButtonAnimations();
            HideButtonGlows();
            SetExtendedBorders(false);
            break;
        }
        if ((message.WParam & 0xFFF0) == SC_RESTORE) {
            next(message);
            if (!IsMinimized())
                SetExtendedBorders(true);
            return;
        }
        if ((message.WParam & 0xFFF0) == SC_KEYMENU && message.LParam == ' ') {
            // Below the icon as the user sees it: with a border window the visible title
            // lies where the border window shows it.
            if (skinData_->CacheStale)
                PaintFrame();
            const POINT at = CacheToScreen(POINT{iconRect_.left, titleBottom_});
            ShowSystemMenuAt(at.x, at.y - (IsMinimized() ? 16 : 0));
            message.Result = 0;
            return;
        }
        break;
    case 0x0313: { // WM_POPUPSYSTEMMENU
        POINT cursor{};
        ::GetCursorPos(&cursor);
        ShowSystemMenuAt(cursor.x, cursor.y);
        message.Result = 0;
        return;
    }
    case WM_ERASEBKGND:
        if (message.WParam != 0) {
            skinData_->InUpdate = false;
            PaintClientBackground(reinterpret_cast<HDC>(message.WParam), true);
            PaintGripTo(reinterpret_cast<HDC>(message.WParam));
            message.Result = 1;
            return;
        }
        break;
    case WM_WINDOWPOSCHANGING:
        if (message.LParam != 0)
            Snap(*reinterpret_cast<WINDOWPOS*>(message.LParam));
        break;
    case WM_SIZE:
        // A narrower bar may wrap into more lines.
        ForgetMenuLines();
        regionStale_ = true;
        // Children whose backdrop is a gradient across the form paint anew.
        skinData_->HandleCommonMessage(message);
        skinData_->CacheStale = true;
        next(message);
        if (message.WParam != SIZE_MINIMIZED) {
            InvalidateLeftBehind(SIZE{static_cast<short>(LOWORD(message.LParam)),
                                      static_cast<short>(HIWORD(message.LParam))});
            RepaintFrameNow();
        }
        return;
    case WM_STYLECHANGED:
        next(message);
        // The border window shows the form's alpha: a form made layered or not again
        // is shown anew.
        if (message.WParam == static_cast<WPARAM>(GWL_EXSTYLE) && message.LParam != 0 && borderForm_) {
            const auto& change = *reinterpret_cast<const STYLESTRUCT*>(message.LParam);
            if (((change.styleOld ^ change.styleNew) & WS_EX_LAYERED) != 0)
                borderForm_->UpdateBorderWindow(true);
        }
        return;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        // System colours and metrics feed the menus and the frame.
        ClearMenuBackgrounds();
        ForgetMenuLines();
        skinData_->CacheStale = true;
        break;
    case WM_ACTIVATE:
        if (LOWORD(message.WParam) == WA_ACTIVE) {
            HookFormMenu();
            if (systemMenu_ != nullptr)
                systemMenu_->UpdateItems();
        }
        break;
    case WM_SHOWWINDOW:
        next(message);
        // The border window lives while the form shows.
        if (message.WParam != 0) {
            SetExtendedBorders(true);
        } else {
            StopButtonAnimations();
            HideButtonGlows();
            SetExtendedBorders(false);
        }
        return;
    case WM_WINDOWPOSCHANGED:
        next(message);
        if (message.LParam != 0) {
            const auto& position = *reinterpret_cast<const WINDOWPOS*>(message.LParam);
            if ((position.flags & SWP_HIDEWINDOW) != 0)
                SetExtendedBorders(false);
            else if ((position.flags & SWP_SHOWWINDOW) != 0)
                SetExtendedBorders(true);
            else if (borderForm_)
                borderForm_->UpdateBorderWindow(false);
        }
        return;
    case WM_GETMINMAXINFO:
        // Only a maximised form takes the taller maximised title; the normal frame keeps its height.
        titleTallerThanSystem_ = MaximizedTitleHeight() > SystemCaptionHeight() + 4;
        if (message.LParam != 0 && IsBordered() && form_.Parent() == nullptr)
            ApplyMaximizedGeometry(*reinterpret_cast<MINMAXINFO*>(message.LParam));
        break;
    case WM_MOVE:
        // Glows and button popups stay where they were shown.
        ClearAllGlows();
        FreeButtonAnimations();
        break;
    case WM_PARENTNOTIFY:
        next(message);
        AdaptLaterChild(message);
        return;
    default:
        break;
    }
    next(message);
}

} // namespace sj
