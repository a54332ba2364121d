#include "forms/Forms.h"

#include <algorithm>

#include "forms/Dialogs.h"
#include "forms/FormResources.h"

namespace sj {

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

// The application and the screen exist from start-up to exit, like the program's
// other process-wide state.
struct TGlobalObjects {
    TGlobalObjects() {
        Screen = new TScreen(nullptr);
        Application = new TApplication(nullptr);
    }
    ~TGlobalObjects() { DoneApplication(); }
};
TGlobalObjects gGlobalObjects;

const UINT kReleaseMessage = CM_RELEASE;

} // namespace

void DoneApplication() {
    delete Application;
    Application = nullptr;
    delete Screen;
    Screen = nullptr;
}

namespace {

HWND ApplicationHandle() {
    return Application != nullptr ? Application->Handle() : nullptr;
}

struct TDisabledWindows {
    HWND keep;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableThreadWindow(HWND window, LPARAM data) {
    auto* state = reinterpret_cast<TDisabledWindows*>(data);
    if (window != state->keep && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
        state->windows.push_back(window);
        ::EnableWindow(window, FALSE);
    }
    return TRUE;
}

} // namespace

TCustomForm* GetParentForm(TControl* control) {
    while (control != nullptr) {
        if (auto* form = dynamic_cast<TCustomForm*>(control))
            return form;
        control = control->Parent();
    }
    return nullptr;
}

HCURSOR CursorHandleFor(TCursor cursor, bool& screenOverride) {
    screenOverride = false;
    if (Screen == nullptr)
        return nullptr;
    if (Screen->Cursor() != crDefault) {
        screenOverride = true;
        return Screen->Cursors(Screen->Cursor());
    }
    return cursor == crDefault ? nullptr : Screen->Cursors(cursor);
}

// --- TCustomForm -------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    SetVisibleFlag(false);
    SetColor(clBtnFace);
    SetControlStyle(ControlStyle() | csAcceptsControls);
    TControl::SetBounds(0, 0, 320, 240);
    if (Screen != nullptr)
        Screen->AddForm(this);
    icon_.OnChange = [this] {
        if (HandleAllocated())
            ::SendMessageA(HandleIfAllocated(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.Handle()));
    };
}

TCustomForm::~TCustomForm() {
    Destroying();
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            HandleBoundaryException(std::current_exception());
        }
    }
    if (Application != nullptr)
        Application->FormDestroyed(this);
    if (Screen != nullptr)
        Screen->RemoveForm(this);
    activeControl_ = nullptr;
    // Children go now, while this is still a form, so their notifications find it whole.
    while (ControlCount() > 0) {
        TControl* child = Controls(ControlCount() - 1);
        RemoveControl(child);
        delete child;
    }
    DestroyHandle();
}

void TCustomForm::CreateFromResource() {
    std::string name(ClassName());
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    CreateFromResource(name);
}

void TCustomForm::CreateFromResource(const std::string& resourceName) {
    RegisterFormClasses();
    ReadComponentResource(*this, resourceName);
    DoCreate();
}

void TCustomForm::CreateFromText(std::string_view description) {
    RegisterFormClasses();
    ReadComponentText(*this, description);
    DoCreate();
}

void TCustomForm::DoCreate() {
    if (OnCreate)
        OnCreate(this);
}

void TCustomForm::Loaded() {
    TWinControl::Loaded();
    if (storedClientWidth_ >= 0 || storedClientHeight_ >= 0) {
        int width = storedClientWidth_ >= 0 ? storedClientWidth_ : ClientWidth();
        int height = storedClientHeight_ >= 0 ? storedClientHeight_ : ClientHeight();
        storedClientWidth_ = storedClientHeight_ = -1;
        SetClientSize(width, height);
    }
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
    if (value == borderStyle_)
        return;
    // Keep the client area: the frame changes around it.
    RECT client = ClientRect();
    borderStyle_ = value;
    if (!HasState(csReading))
        SetClientSize(client.right, client.bottom);
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons value) {
    if (value == borderIcons_)
        return;
    borderIcons_ = value;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle value) {
    formStyle_ = value;
    if (HandleAllocated())
        ::SetWindowPos(HandleIfAllocated(), value == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0,
                       0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TWindowState TCustomForm::WindowState() const {
    if (HandleAllocated()) {
        if (::IsIconic(HandleIfAllocated()))
            return TWindowState::wsMinimized;
        if (::IsZoomed(HandleIfAllocated()))
            return TWindowState::wsMaximized;
    }
    return windowState_;
}

void TCustomForm::SetWindowState(TWindowState value) {
    windowState_ = value;
    if (HandleAllocated() && Visible()) {
        int command = value == TWindowState::wsMinimized   ? SW_SHOWMINIMIZED
                      : value == TWindowState::wsMaximized ? SW_SHOWMAXIMIZED
                                                           : SW_SHOWNORMAL;
        ::ShowWindow(HandleIfAllocated(), command);
    }
}

void TCustomForm::SetAlphaBlend(bool value) {
    alphaBlend_ = value;
    ApplyAlphaBlend();
}

void TCustomForm::SetAlphaBlendValue(BYTE value) {
    alphaBlendValue_ = value;
    ApplyAlphaBlend();
}

void TCustomForm::ApplyAlphaBlend() {
    if (!HandleAllocated())
        return;
    SetStyleBit(WS_EX_LAYERED, alphaBlend_, true);
    if (alphaBlend_)
        ::SetLayeredWindowAttributes(HandleIfAllocated(), 0, alphaBlendValue_, LWA_ALPHA);
}

RECT TCustomForm::ClientRect() const {
    if (HandleAllocated())
        return TWinControl::ClientRect();
    // Before the window exists the frame follows from the styles it will get.
    TCreateParams params;
    const_cast<TCustomForm*>(this)->CreateParams(params);
    RECT frame{0, 0, 0, 0};
    ::AdjustWindowRectEx(&frame, params.Style, FALSE, params.ExStyle);
    return RECT{0, 0, std::max<LONG>(0, Width() - (frame.right - frame.left)),
                std::max<LONG>(0, Height() - (frame.bottom - frame.top))};
}

void TCustomForm::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.ExStyle = 0;
    params.Menu = nullptr;
    params.WndParent = ApplicationHandle();
    bool icons = true;
    switch (borderStyle_) {
    case TFormBorderStyle::bsNone:
        params.Style |= WS_POPUP;
        icons = false;
        break;
    case TFormBorderStyle::bsSingle:
        params.Style |= WS_CAPTION | WS_BORDER;
        break;
    case TFormBorderStyle::bsSizeable:
        params.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case TFormBorderStyle::bsDialog:
        params.Style |= WS_POPUP | WS_CAPTION;
        params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    case TFormBorderStyle::bsToolWindow:
        params.Style |= WS_CAPTION;
        params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    case TFormBorderStyle::bsSizeToolWin:
        params.Style |= WS_CAPTION | WS_THICKFRAME;
        params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    }
    if (icons && (borderIcons_ & biSystemMenu)) {
        params.Style |= WS_SYSMENU;
        bool dialog = borderStyle_ == TFormBorderStyle::bsDialog || borderStyle_ == TFormBorderStyle::bsToolWindow ||
                      borderStyle_ == TFormBorderStyle::bsSizeToolWin;
        if (!dialog && (borderIcons_ & biMinimize))
            params.Style |= WS_MINIMIZEBOX;
        if (!dialog && (borderIcons_ & biMaximize))
            params.Style |= WS_MAXIMIZEBOX;
        if (borderStyle_ == TFormBorderStyle::bsDialog && (borderIcons_ & biHelp))
            params.ExStyle |= WS_EX_CONTEXTHELP;
    }
    if (formStyle_ == TFormStyle::fsStayOnTop)
        params.ExStyle |= WS_EX_TOPMOST;
    if (alphaBlend_)
        params.ExStyle |= WS_EX_LAYERED;
}

void TCustomForm::CreateHandleDone() {
    TWinControl::CreateHandleDone();
    ApplyAlphaBlend();
    if (!icon_.Empty())
        ::SendMessageA(HandleIfAllocated(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.Handle()));
    if (menu_ != nullptr)
        menu_->AttachTo(HandleIfAllocated());
}

void TCustomForm::DestroyWnd() {
    // The system destroys a window's menu with it; the bar is the menu's to destroy.
    if (menu_ != nullptr)
        menu_->AttachTo(nullptr);
    TWinControl::DestroyWnd();
}

void TCustomForm::SetMenu(TMainMenu* menu) {
    if (menu == menu_)
        return;
    if (menu_ != nullptr) {
        menu_->AttachTo(nullptr);
        menu_->RemoveFreeNotification(this);
    }
    menu_ = menu;
    if (menu_ != nullptr) {
        menu_->FreeNotification(this);
        if (HandleAllocated())
            menu_->AttachTo(HandleIfAllocated());
    }
    // Whoever paints the frame hears of the new bar through the window.
    if (HandleAllocated())
        ::SendMessageA(HandleIfAllocated(), CM_MENUCHANGED, 0, 0);
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == menu_)
        menu_ = nullptr;
}

// The bar's items reach their menu through the form's window: a command without a
// control, the owner-draw questions of menu items, and the opening of a sub-menu
// (which "clicks" its parent item so that it can fill the sub-menu).
bool TCustomForm::RouteMenuMessage(TMessage& message) {
    if (menu_ == nullptr)
        return false;
    switch (message.Msg) {
    case WM_COMMAND:
        if (message.LParam != 0 || HIWORD(message.WParam) != 0)
            return false;
        message.Result = 0;
        return menu_->DispatchCommand(LOWORD(message.WParam));
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
        message.Result = TRUE;
        return measure != nullptr && measure->CtlType == ODT_MENU && menu_->DispatchMeasureItem(*measure);
    }
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
        message.Result = TRUE;
        return draw != nullptr && draw->CtlType == ODT_MENU && menu_->DispatchDrawItem(*draw);
    }
    case WM_INITMENUPOPUP: {
        TMenuItem* item = menu_->FindItemBySubMenu(reinterpret_cast<HMENU>(message.WParam));
        if (item != nullptr && item->OnClick) {
            const TNotifyEvent handler = item->OnClick;
            handler(item);
        }
        return false;
    }
    case CM_MENUCHANGED:
        menu_->ApplyPendingChange();
        message.Result = 0;
        return true;
    default:
        return false;
    }
}

void TCustomForm::PaintWindow(HDC dc) {
    if (OnPaint) {
        canvas_.SetHandle(dc);
        try {
            OnPaint(this);
        } catch (...) {
            canvas_.SetHandle(nullptr);
            throw;
        }
        canvas_.SetHandle(nullptr);
    }
}

void TCustomForm::ApplyPosition() {
    if (positioned_)
        return;
    positioned_ = true;
    RECT area{0, 0, Screen != nullptr ? Screen->Width() : 0, Screen != nullptr ? Screen->Height() : 0};
    switch (position_) {
    case TPosition::poScreenCenter:
    case TPosition::poDesktopCenter:
        break;
    case TPosition::poMainFormCenter:
    case TPosition::poOwnerFormCenter: {
        TCustomForm* centre = Application != nullptr ? Application->MainForm() : nullptr;
        if (position_ == TPosition::poOwnerFormCenter)
            if (auto* ownerForm = dynamic_cast<TCustomForm*>(Owner()))
                centre = ownerForm;
        if (centre != nullptr && centre != this && centre->HandleAllocated())
            ::GetWindowRect(centre->HandleIfAllocated(), &area);
        break;
    }
    default:
        return;
    }
    int left = area.left + (area.right - area.left - Width()) / 2;
    int top = area.top + (area.bottom - area.top - Height()) / 2;
    SetBounds(std::max(left, 0), std::max(top, 0), Width(), Height());
}

void TCustomForm::VisibleChanged() {
    HWND window = Handle();
    if (Visible()) {
        ApplyPosition();
        int command = SW_SHOWNORMAL;
        if (windowState_ == TWindowState::wsMinimized)
            command = SW_SHOWMINIMIZED;
        else if (windowState_ == TWindowState::wsMaximized)
            command = SW_SHOWMAXIMIZED;
        ::ShowWindow(window, command);
        if (OnShow)
            OnShow(this);
    } else {
        if (OnHide)
            OnHide(this);
        ::ShowWindow(window, SW_HIDE);
    }
    Perform(CM_SHOWINGCHANGED, Visible() ? 1 : 0);
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    // While the stored state is read the control's page may still be hidden.
    if (control != nullptr && (!ContainsControl(control) || (!HasState(csLoading) && !control->CanFocus())))
        throw Exception("Cannot focus a disabled or invisible window");
    activeControl_ = control;
    if (control != nullptr && active_ && control->CanFocus())
        control->SetFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
    if (control == activeControl_)
        return true;
    TWinControl* previous = activeControl_;
    activeControl_ = control;
    if (previous != nullptr && previous->OnExit)
        previous->OnExit(previous);
    if (control != nullptr && control->OnEnter)
        control->OnEnter(control);
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
    return true;
}

void TCustomForm::BringToFront() {
    if (HandleAllocated())
        ::SetForegroundWindow(HandleIfAllocated());
}

void TCustomForm::Activated(bool active) {
    active_ = active;
    if (active) {
        // Give the focus back to the control that had it, or to the first one.
        TWinControl* target = activeControl_;
        if (target == nullptr || !target->CanFocus())
            target = FindNextControl(nullptr, true, true, false);
        if (target != nullptr && target->CanFocus() && target->HandleAllocated())
            ::SetFocus(target->HandleIfAllocated());
        if (OnActivate)
            OnActivate(this);
    } else if (OnDeactivate) {
        OnDeactivate(this);
    }
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) {
    if (OnClose)
        OnClose(this, action);
}

void TCustomForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    bool isMain = Application != nullptr && Application->MainForm() == this;
    TCloseAction action = isMain ? TCloseAction::caFree : TCloseAction::caHide;
    DoClose(action);
    if (action == TCloseAction::caNone)
        return;
    if (isMain) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case TCloseAction::caHide:
        Hide();
        break;
    case TCloseAction::caMinimize:
        SetWindowState(TWindowState::wsMinimized);
        break;
    default:
        Release();
        break;
    }
}

void TCustomForm::CloseModal() {
    TCloseAction action = TCloseAction::caHide;
    if (!CloseQuery()) {
        modalResult_ = mrNone;
        return;
    }
    DoClose(action);
    if (action == TCloseAction::caNone)
        modalResult_ = mrNone;
}

TModalResult TCustomForm::ShowModal() {
    if (Visible() || !Enabled() || modal_)
        throw Exception("Cannot make a visible window modal");
    if (Application == nullptr)
        throw Exception("No application object");
    if (::GetCapture() != nullptr)
        ::SendMessageA(::GetCapture(), WM_CANCELMODE, 0, 0);
    ::ReleaseCapture();
    modal_ = true;
    modalResult_ = mrNone;
    // The keyboard goes back to this window when the form closes; left to itself the
    // system would activate whatever it finds next, often the hidden application window.
    const HWND activeBefore = ::GetActiveWindow();
    TDisabledWindows disabled{Handle(), {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), DisableThreadWindow, reinterpret_cast<LPARAM>(&disabled));
    auto finish = [&] {
        for (HWND window : disabled.windows) {
            if (::IsWindow(window))
                ::EnableWindow(window, TRUE);
        }
        modal_ = false;
        const bool giveBack = activeBefore != nullptr && activeBefore != HandleIfAllocated() &&
                              ::IsWindow(activeBefore) && ::IsWindowVisible(activeBefore) &&
                              ::IsWindowEnabled(activeBefore);
        // Activated before this form hides, so that the hiding moves the activation nowhere else.
        if (giveBack)
            ::SetActiveWindow(activeBefore);
        if (HandleAllocated())
            SetVisible(false);
        if (giveBack && ::GetActiveWindow() != activeBefore)
            ::SetActiveWindow(activeBefore);
    };
    try {
        Show();
        while (true) {
            if (Application->Terminated())
                modalResult_ = mrCancel;
            else
                Application->HandleMessage();
            if (modalResult_ != mrNone) {
                CloseModal();
                if (modalResult_ != mrNone || Application->Terminated())
                    break;
            }
        }
    } catch (...) {
        finish();
        throw;
    }
    TModalResult result = modalResult_ != mrNone ? modalResult_ : mrCancel;
    finish();
    return result;
}

void TCustomForm::Release() {
    if (Application != nullptr)
        Application->QueueRelease(this);
}

void TCustomForm::DialogKey(TMessage& message) {
    auto key = static_cast<WORD>(message.WParam);
    auto shift = static_cast<TShiftState>(message.LParam);
    if (key == VK_TAB && !(shift & (ssCtrl | ssAlt))) {
        SelectNext(activeControl_, !(shift & ssShift), true);
        message.Result = 1;
        return;
    }
    bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
    if (arrow && activeControl_ != nullptr && activeControl_->Parent() != nullptr) {
        // Arrows move within the active control's group (its parent), like the
        // radio buttons of a dialog: the one reached is also checked.
        bool forward = key == VK_RIGHT || key == VK_DOWN;
        TWinControl* next = activeControl_->Parent()->FindNextControl(activeControl_, forward, false, true);
        if (next != nullptr) {
            next->SetFocus();
            if (next->Perform(WM_GETDLGCODE) & DLGC_RADIOBUTTON)
                next->Perform(BM_CLICK);
        }
        message.Result = 1;
        return;
    }
    // Enter and Esc: offered to every control, the default and cancel buttons take them.
    Broadcast(message);
}

void TCustomForm::WndProc(TMessage& message) {
    if (RouteMenuMessage(message))
        return;
    switch (message.Msg) {
    case WM_CLOSE:
        Close();
        message.Result = 0;
        return;
    case WM_ACTIVATE:
        TWinControl::WndProc(message);
        Activated(LOWORD(message.WParam) != WA_INACTIVE);
        return;
    case WM_SYSCOMMAND:
        if (Application != nullptr && Application->MainForm() == this) {
            // The main form's minimise and restore go through the application window.
            UINT command = message.WParam & 0xFFF0;
            if (command == SC_MINIMIZE) {
                Application->Minimize();
                message.Result = 0;
                return;
            }
            if (command == SC_RESTORE && Application->Minimized()) {
                Application->Restore();
                message.Result = 0;
                return;
            }
        }
        break;
    case CM_VISIBLECHANGED:
        VisibleChanged();
        return;
    case CM_DIALOGKEY:
        DialogKey(message);
        return;
    case WM_SETFOCUS:
        // The form itself got the focus (activation): pass it to its control.
        TWinControl::WndProc(message);
        if (activeControl_ != nullptr && activeControl_ != this && activeControl_->HandleAllocated() &&
            activeControl_->CanFocus())
            ::SetFocus(activeControl_->HandleIfAllocated());
        return;
    default:
        break;
    }
    TWinControl::WndProc(message);
}

// --- TApplication ------------------------------------------------------------

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    title_ = name;

    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = AppWndProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TApplication";
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    ::RegisterClassExA(&windowClass);
    // A zero-sized captioned window: invisible on the desktop, yet the one the
    // taskbar button and the forms belong to.
    handle_ = ::CreateWindowExA(0, "TApplication", title_.c_str(),
                                WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                                ::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                                nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (handle_ != nullptr)
        ::SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    icon_.OnChange = [this] {
        if (handle_ != nullptr)
            ::SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.Handle()));
    };
    SetBoundaryExceptionHandler([this](std::exception_ptr error) { HandleException(error); });
}

TApplication::~TApplication() {
    Destroying();
    SetBoundaryExceptionHandler({});
    DestroyComponents();
    releaseQueue_.clear();
    if (handle_ != nullptr) {
        ::SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
        ::DestroyWindow(handle_);
        handle_ = nullptr;
    }
}

void TApplication::SetTitle(const std::string& value) {
    title_ = value;
    // Plain message boxes (ShowMessage) carry the application's title, as its own boxes do.
    SetDefaultMessageCaption(value);
    if (handle_ != nullptr)
        ::SetWindowTextA(handle_, value.c_str());
}

LRESULT CALLBACK TApplication::AppWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* application = reinterpret_cast<TApplication*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (application == nullptr)
        return ::DefWindowProcA(window, msg, wParam, lParam);
    TMessage message{msg, wParam, lParam, 0};
    try {
        application->WndProc(message);
    } catch (...) {
        application->HandleException(std::current_exception());
    }
    return message.Result;
}

void TApplication::WndProc(TMessage& message) {
    // Hooks first, newest first; a copy, so hooks may unhook themselves.
    auto hooks = hooks_;
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
        bool stillHooked = std::any_of(hooks_.begin(), hooks_.end(), [&](const auto& h) { return h.first == it->first; });
        if (stillHooked && it->second(message))
            return;
    }
    switch (message.Msg) {
    case WM_SYSCOMMAND:
        switch (message.WParam & 0xFFF0) {
        case SC_MINIMIZE: {
            hiddenOnMinimize_.clear();
            for (int i = 0; Screen != nullptr && i < Screen->FormCount(); ++i) {
                TCustomForm* form = Screen->Forms(i);
                if (form->HandleAllocated() && ::IsWindowVisible(form->HandleIfAllocated())) {
                    hiddenOnMinimize_.push_back(form->HandleIfAllocated());
                    ::ShowWindow(form->HandleIfAllocated(), SW_HIDE);
                }
            }
            ::DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
            minimized_ = true;
            if (OnMinimize)
                OnMinimize(this);
            return;
        }
        case SC_RESTORE: {
            ::DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
            minimized_ = false;
            for (HWND window : hiddenOnMinimize_) {
                if (::IsWindow(window))
                    ::ShowWindow(window, SW_SHOW);
            }
            hiddenOnMinimize_.clear();
            if (mainForm_ != nullptr && mainForm_->HandleAllocated())
                ::SetActiveWindow(mainForm_->HandleIfAllocated());
            if (OnRestore)
                OnRestore(this);
            return;
        }
        default:
            break;
        }
        break;
    case WM_CLOSE:
        if (mainForm_ != nullptr)
            mainForm_->Close();
        return;
    case kReleaseMessage:
        FreeReleasedForms();
        return;
    default:
        break;
    }
    message.Result = ::DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
}

void TApplication::Minimize() {
    if (handle_ != nullptr && !minimized_)
        ::SendMessageA(handle_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void TApplication::Restore() {
    if (handle_ != nullptr && minimized_)
        ::SendMessageA(handle_, WM_SYSCOMMAND, SC_RESTORE, 0);
}

int TApplication::HookMainWindow(TWindowHook hook) {
    int id = nextHookId_++;
    hooks_.emplace_back(id, std::move(hook));
    return id;
}

void TApplication::UnhookMainWindow(int hookId) {
    hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [&](const auto& h) { return h.first == hookId; }),
                 hooks_.end());
}

bool TApplication::IsKeyMsg(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return false;
    // The key goes to the framework control that owns the focused window (or
    // its nearest framework parent), before the window itself sees it.
    HWND window = msg.hwnd;
    TWinControl* control = nullptr;
    while (window != nullptr && (control = TWinControl::FindControl(window)) == nullptr)
        window = ::GetParent(window);
    if (control == nullptr)
        return false;
    UINT reflected = msg.message == WM_KEYDOWN ? CN_KEYDOWN : CN_SYSKEYDOWN;
    return control->Perform(reflected, msg.wParam, msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    bool handled = false;
    try {
        handled = IsKeyMsg(msg);
    } catch (...) {
        HandleException(std::current_exception());
        handled = true;
    }
    if (!handled) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg{};
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleMessage() {
    MSG msg{};
    if (!ProcessMessage(msg) && !terminated_)
        ::WaitMessage();
}

void TApplication::Run() {
    if (mainForm_ != nullptr) {
        if (handle_ != nullptr)
            ::ShowWindow(handle_, SW_SHOWNORMAL);
        mainForm_->Show();
    }
    while (!terminated_)
        HandleMessage();
}

void TApplication::Terminate() {
    terminated_ = true;
    ::PostQuitMessage(0);
}

std::string TApplication::ExceptionMessage(const std::exception_ptr& error) {
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
    return std::string();
}

void TApplication::HandleException(std::exception_ptr error) {
    if (OnException) {
        OnException(this, error);
        return;
    }
    ShowException(ExceptionMessage(error));
}

void TApplication::ShowException(const std::string& message) {
    std::string text = message;
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        text += '.';
    MessageBox(text, title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
    HWND owner = ::GetActiveWindow();
    if (owner == nullptr)
        owner = handle_;
    return ShowMessageBox(owner, text, caption, flags);
}

void TApplication::QueueRelease(TCustomForm* form) {
    if (std::find(releaseQueue_.begin(), releaseQueue_.end(), form) == releaseQueue_.end())
        releaseQueue_.push_back(form);
    if (handle_ != nullptr)
        ::PostMessageA(handle_, kReleaseMessage, 0, 0);
}

void TApplication::CancelRelease(TCustomForm* form) {
    releaseQueue_.erase(std::remove(releaseQueue_.begin(), releaseQueue_.end(), form), releaseQueue_.end());
}

void TApplication::FreeReleasedForms() {
    while (!releaseQueue_.empty()) {
        TCustomForm* form = releaseQueue_.front();
        releaseQueue_.erase(releaseQueue_.begin());
        delete form;
    }
}

void TApplication::FormDestroyed(TCustomForm* form) {
    CancelRelease(form);
    if (mainForm_ == form)
        mainForm_ = nullptr;
}

// --- TScreen -----------------------------------------------------------------

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}

void TScreen::SetCursor(TCursor value) {
    if (value == cursor_)
        return;
    cursor_ = value;
    if (value == crDefault) {
        // Let the window under the mouse choose its own cursor again.
        POINT point{};
        ::GetCursorPos(&point);
        HWND window = ::WindowFromPoint(point);
        if (window != nullptr)
            ::SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                           MAKELPARAM(::SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y)),
                                      WM_MOUSEMOVE));
    } else {
        ::SetCursor(Cursors(value));
    }
}

HCURSOR TScreen::Cursors(TCursor cursor) const {
    if (auto found = custom_.find(cursor); found != custom_.end())
        return found->second;
    const char* id = nullptr;
    switch (cursor) {
    case crNone:
        return nullptr;
    case crCross:
        id = IDC_CROSS;
        break;
    case crIBeam:
        id = IDC_IBEAM;
        break;
    case crSizeNESW:
        id = IDC_SIZENESW;
        break;
    case crSizeNS:
        id = IDC_SIZENS;
        break;
    case crSizeNWSE:
        id = IDC_SIZENWSE;
        break;
    case crSizeWE:
        id = IDC_SIZEWE;
        break;
    case crUpArrow:
        id = IDC_UPARROW;
        break;
    case crHourGlass:
        id = IDC_WAIT;
        break;
    case crNo:
        id = IDC_NO;
        break;
    case crAppStart:
        id = IDC_APPSTARTING;
        break;
    case crHelp:
        id = IDC_HELP;
        break;
    case crHandPoint:
        id = IDC_HAND;
        break;
    case crSizeAll:
        id = IDC_SIZEALL;
        break;
    default:
        id = IDC_ARROW;
        break;
    }
    return ::LoadCursorA(nullptr, id);
}

void TScreen::SetCursors(TCursor cursor, HCURSOR handle) {
    custom_[cursor] = handle;
}

TCustomForm* TScreen::ActiveForm() const {
    HWND active = ::GetActiveWindow();
    for (TCustomForm* form : forms_) {
        if (form->HandleAllocated() && form->HandleIfAllocated() == active)
            return form;
    }
    return nullptr;
}

int TScreen::Width() const {
    return ::GetSystemMetrics(SM_CXSCREEN);
}

int TScreen::Height() const {
    return ::GetSystemMetrics(SM_CYSCREEN);
}

RECT TScreen::WorkAreaRect() const {
    RECT area{0, 0, Width(), Height()};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

int TScreen::WorkAreaWidth() const {
    RECT area = WorkAreaRect();
    return area.right - area.left;
}

int TScreen::WorkAreaHeight() const {
    RECT area = WorkAreaRect();
    return area.bottom - area.top;
}

void TScreen::RemoveForm(TCustomForm* form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

} // namespace sj
