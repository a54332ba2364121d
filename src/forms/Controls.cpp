#include "forms/Controls.h"

#include <algorithm>
#include <map>

#include <windowsx.h>

namespace sj {

// --- WindowProc chain --------------------------------------------------------

struct TWindowProcHook::TEntry {
    TWndHook hook;
    bool active = true;
};

struct TWindowProcHook::TChain {
    std::vector<std::shared_ptr<TEntry>> entries; // oldest first
};

struct TWndNext::TChainCall {
    std::vector<std::shared_ptr<TWindowProcHook::TEntry>> entries; // snapshot for this message, oldest first
    TControl* control;
};

void TWndNext::operator()(TMessage& message) const {
    // index_ counts hooks still to run; the newest runs first. Hooks removed while
    // the message is on its way are skipped.
    size_t remaining = index_;
    while (remaining > 0 && !call_->entries[remaining - 1]->active)
        --remaining;
    if (remaining > 0) {
        TWndNext next(call_, remaining - 1);
        call_->entries[remaining - 1]->hook(message, next);
    } else {
        call_->control->WndProc(message);
    }
}

TWindowProcHook::TWindowProcHook(TWindowProcHook&& other) noexcept
    : entry_(std::move(other.entry_)), chain_(std::move(other.chain_)) {
    other.entry_.reset();
    other.chain_.reset();
}

TWindowProcHook& TWindowProcHook::operator=(TWindowProcHook&& other) noexcept {
    if (this != &other) {
        Unhook();
        entry_ = std::move(other.entry_);
        chain_ = std::move(other.chain_);
        other.entry_.reset();
        other.chain_.reset();
    }
    return *this;
}

void TWindowProcHook::Unhook() {
    if (auto entry = entry_.lock()) {
        entry->active = false;
        if (auto chain = chain_.lock()) {
            auto& entries = chain->entries;
            entries.erase(std::remove(entries.begin(), entries.end(), entry), entries.end());
        }
    }
    entry_.reset();
    chain_.reset();
}

bool TWindowProcHook::Hooked() const {
    auto entry = entry_.lock();
    return entry && entry->active && !chain_.expired();
}

// --- Boundary exception handler -------------------------------------------

namespace {

std::function<void(std::exception_ptr)>& BoundaryHandler() {
    // Never destroyed: windows and objects torn down at exit (after the C++ runtime has
    // begun destroying statics) still look it up.
    static auto& handler = *new std::function<void(std::exception_ptr)>();
    return handler;
}

TControl* gMouseControl = nullptr;
TControl* gCaptureControl = nullptr;
TWinControl* gCreatingControl = nullptr;
const char* const kControlProperty = "SjControl";

struct TClassInfo {
    WNDPROC defaultProc;
};

std::map<std::string, TClassInfo>& RegisteredClasses() {
    // Never destroyed: windows and objects torn down at exit (after the C++ runtime has
    // begun destroying statics) still look it up.
    static auto& classes = *new std::map<std::string, TClassInfo>();
    return classes;
}

int NextChildId() {
    static int id = 100;
    return ++id;
}

POINT PointOf(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

bool IsMouseMessage(UINT msg) {
    return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL && msg != WM_MOUSEHWHEEL;
}

} // namespace

void SetBoundaryExceptionHandler(std::function<void(std::exception_ptr)> handler) {
    BoundaryHandler() = std::move(handler);
}

void HandleBoundaryException(std::exception_ptr error) noexcept {
    try {
        if (BoundaryHandler())
            BoundaryHandler()(error);
    } catch (...) {
        // The handler itself failed; nothing sensible is left to do with it.
    }
}

TControl* MouseControl() {
    return gMouseControl;
}

TShiftState KeyboardShiftState() {
    TShiftState shift = 0;
    if (::GetKeyState(VK_SHIFT) < 0)
        shift |= ssShift;
    if (::GetKeyState(VK_CONTROL) < 0)
        shift |= ssCtrl;
    if (::GetKeyState(VK_MENU) < 0)
        shift |= ssAlt;
    return shift;
}

TWinControl* TopParent(TControl* control) {
    if (control == nullptr)
        return nullptr;
    TWinControl* top = control->Parent();
    if (top == nullptr)
        return dynamic_cast<TWinControl*>(control);
    while (top->Parent() != nullptr)
        top = top->Parent();
    return top;
}

// --- TControl ----------------------------------------------------------------

TControl::TControl(TComponent* owner)
    : TComponent(owner), font_(std::make_unique<TFont>()), hooks_(std::make_shared<TWindowProcHook::TChain>()) {
    font_->OnChange = [this] { FontChanged(); };
}

TControl::~TControl() {
    Destroying();
    if (gMouseControl == this)
        gMouseControl = nullptr;
    if (gCaptureControl == this)
        gCaptureControl = nullptr;
    if (parent_ != nullptr) {
        TWinControl* top = parent_;
        while (top->Parent() != nullptr)
            top = top->Parent();
        top->ControlDestroying(this);
        parent_->RemoveControl(this);
    }
    // Hooks still held by others become inert.
    for (auto& entry : hooks_->entries)
        entry->active = false;
    hooks_.reset();
}

TWindowProcHook TControl::HookWindowProc(TWndHook hook) {
    auto entry = std::make_shared<TWindowProcHook::TEntry>();
    entry->hook = std::move(hook);
    TWindowProcHook handle;
    handle.entry_ = entry;
    handle.chain_ = hooks_;
    hooks_->entries.push_back(std::move(entry));
    return handle;
}

void TControl::WindowProc(TMessage& message) {
    if (!hooks_ || hooks_->entries.empty()) {
        WndProc(message);
        return;
    }
    TWndNext::TChainCall call{hooks_->entries, this};
    TWndNext(&call, call.entries.size())(message);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage message{msg, wParam, lParam, 0};
    WindowProc(message);
    return message.Result;
}

void TControl::DefaultHandler(TMessage& message) {
    switch (message.Msg) {
    case WM_GETTEXTLENGTH:
        message.Result = static_cast<LRESULT>(text_.size());
        break;
    case WM_SETTEXT:
        text_ = message.LParam != 0 ? reinterpret_cast<const char*>(message.LParam) : "";
        message.Result = TRUE;
        break;
    default:
        break;
    }
}

TShiftState TControl::KeysToShift(WPARAM keys) {
    TShiftState shift = 0;
    if (keys & MK_SHIFT)
        shift |= ssShift;
    if (keys & MK_CONTROL)
        shift |= ssCtrl;
    if (keys & MK_LBUTTON)
        shift |= ssLeft;
    if (keys & MK_RBUTTON)
        shift |= ssRight;
    if (keys & MK_MBUTTON)
        shift |= ssMiddle;
    if (::GetKeyState(VK_MENU) < 0)
        shift |= ssAlt;
    return shift;
}

void TControl::DoMouseDown(TMouseButton button, const TMessage& message) {
    if (OnMouseDown) {
        POINT point = PointOf(message.LParam);
        OnMouseDown(this, button, KeysToShift(message.WParam), point.x, point.y);
    }
}

void TControl::DoMouseUp(TMouseButton button, const TMessage& message) {
    if (OnMouseUp) {
        POINT point = PointOf(message.LParam);
        OnMouseUp(this, button, KeysToShift(message.WParam), point.x, point.y);
    }
}

void TControl::DoMouseMove(const TMessage& message) {
    if (OnMouseMove) {
        POINT point = PointOf(message.LParam);
        OnMouseMove(this, KeysToShift(message.WParam), point.x, point.y);
    }
}

void TControl::HandleMouse(TMessage& message) {
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (controlStyle_ & csCaptureMouse)
            controlState_ |= csLButtonDown;
        if (controlStyle_ & csClickEvents)
            controlState_ |= csClicked;
        if (message.Msg == WM_LBUTTONDBLCLK && (controlStyle_ & csDoubleClicks) && OnDblClick)
            OnDblClick(this);
        DoMouseDown(TMouseButton::mbLeft, message);
        break;
    case WM_LBUTTONUP: {
        bool clicked = (controlState_ & csClicked) != 0;
        controlState_ &= ~(csLButtonDown | csClicked);
        DoMouseUp(TMouseButton::mbLeft, message);
        POINT point = PointOf(message.LParam);
        RECT client = ClientRect();
        if (clicked && ::PtInRect(&client, point))
            Click();
        break;
    }
    case WM_RBUTTONDOWN:
        DoMouseDown(TMouseButton::mbRight, message);
        break;
    case WM_RBUTTONUP:
        DoMouseUp(TMouseButton::mbRight, message);
        break;
    case WM_MBUTTONDOWN:
        DoMouseDown(TMouseButton::mbMiddle, message);
        break;
    case WM_MBUTTONUP:
        DoMouseUp(TMouseButton::mbMiddle, message);
        break;
    case WM_MOUSEMOVE:
        DoMouseMove(message);
        break;
    default:
        break;
    }
}

void TControl::WndProc(TMessage& message) {
    if (IsMouseMessage(message.Msg)) {
        HandleMouse(message);
    } else {
        switch (message.Msg) {
        case CM_MOUSEENTER:
            if (OnMouseEnter)
                OnMouseEnter(this);
            break;
        case CM_MOUSELEAVE:
            if (OnMouseLeave)
                OnMouseLeave(this);
            break;
        case CM_PARENTFONTCHANGED:
            if (parentFont_)
                TakeParentFont();
            break;
        case CM_PARENTCOLORCHANGED:
            if (parentColor_)
                TakeParentColor();
            break;
        case CM_VISIBLECHANGED:
        case CM_ENABLEDCHANGED:
        case CM_COLORCHANGED:
        case CM_FONTCHANGED:
        case CM_TEXTCHANGED:
            if (dynamic_cast<TWinControl*>(this) == nullptr)
                Invalidate();
            break;
        default:
            break;
        }
    }
    DefaultHandler(message);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_)
        return;
    if (parent == this)
        throw Exception("A control cannot have itself as its parent");
    if (parent_ != nullptr)
        parent_->RemoveControl(this);
    if (parent != nullptr)
        parent->InsertControl(this);
}

void TControl::SetParentComponent(TComponent* parent) {
    if (auto* winParent = dynamic_cast<TWinControl*>(parent))
        SetParent(winParent);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    InvalidateInParent(true);
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    InvalidateInParent(true);
}

RECT TControl::ClientRect() const {
    return RECT{0, 0, width_, height_};
}

void TControl::SetClientSize(int width, int height) {
    RECT client = ClientRect();
    SetBounds(left_, top_, width_ + width - client.right, height_ + height - client.bottom);
}

POINT TControl::ClientOrigin() const {
    POINT origin{left_, top_};
    if (parent_ != nullptr) {
        POINT parentOrigin = parent_->ClientOrigin();
        origin.x += parentOrigin.x;
        origin.y += parentOrigin.y;
    }
    return origin;
}

POINT TControl::ClientToScreen(POINT point) const {
    POINT origin = ClientOrigin();
    return POINT{point.x + origin.x, point.y + origin.y};
}

POINT TControl::ScreenToClient(POINT point) const {
    POINT origin = ClientOrigin();
    return POINT{point.x - origin.x, point.y - origin.y};
}

void TControl::SetVisible(bool value) {
    if (value == visible_)
        return;
    if (!value)
        InvalidateInParent(true);
    visible_ = value;
    Perform(CM_VISIBLECHANGED, value ? 1 : 0);
}

bool TControl::Showing() const {
    return visible_ && parent_ != nullptr && parent_->Showing();
}

void TControl::SetEnabled(bool value) {
    if (value == enabled_)
        return;
    enabled_ = value;
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetText(const std::string& text) {
    if (text == GetText())
        return;
    TextChanged(text);
    Perform(CM_TEXTCHANGED);
}

void TControl::TextChanged(const std::string& text) {
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TControl::FontChanged() {
    if (!takingParentFont_)
        parentFont_ = false;
    Perform(CM_FONTCHANGED);
}

void TControl::TakeParentFont() {
    if (parent_ == nullptr)
        return;
    takingParentFont_ = true;
    try {
        font_->Assign(parent_->Font());
    } catch (...) {
        takingParentFont_ = false;
        throw;
    }
    takingParentFont_ = false;
}

void TControl::TakeParentColor() {
    if (parent_ == nullptr || color_ == parent_->Color())
        return;
    color_ = parent_->Color();
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentFont(bool value) {
    parentFont_ = value;
    if (value)
        TakeParentFont();
}

void TControl::SetColor(TColor value) {
    parentColor_ = false;
    if (value == color_)
        return;
    color_ = value;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
    parentColor_ = value;
    if (value)
        TakeParentColor();
}

void TControl::SetCursor(TCursor value) {
    if (value == cursor_)
        return;
    cursor_ = value;
    Perform(CM_CURSORCHANGED);
}

void TControl::InvalidateInParent(bool erase) {
    if (parent_ == nullptr || !parent_->HandleAllocated() || dynamic_cast<TWinControl*>(this) != nullptr)
        return;
    RECT rect = BoundsRect();
    ::InvalidateRect(parent_->HandleIfAllocated(), &rect, erase ? TRUE : FALSE);
}

void TControl::Invalidate() {
    InvalidateInParent(!(controlStyle_ & csOpaque));
}

void TControl::Update() {
    if (parent_ != nullptr && parent_->HandleAllocated())
        ::UpdateWindow(parent_->HandleIfAllocated());
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::BringToFront() {
    if (parent_ == nullptr)
        return;
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.push_back(this);
    if (auto* windowed = dynamic_cast<TWinControl*>(this); windowed != nullptr && windowed->HandleAllocated())
        ::SetWindowPos(windowed->HandleIfAllocated(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Invalidate();
}

void TControl::Click() {
    if (OnClick)
        OnClick(this);
}

void TControl::Loaded() {
    TComponent::Loaded();
    if (parent_ != nullptr) {
        if (parentFont_)
            TakeParentFont();
        if (parentColor_)
            TakeParentColor();
    }
}

// --- TWinControl -------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
    SetControlStyle(ControlStyle() & ~static_cast<unsigned>(csClickEvents | csCaptureMouse));
}

TWinControl::~TWinControl() {
    Destroying();
    // Children go with their parent, whoever owns them.
    while (!controls_.empty()) {
        TControl* child = controls_.back();
        RemoveControl(child);
        delete child;
    }
    DestroyHandle();
}

TWinControl* TWinControl::FindControl(HWND window) {
    if (window == nullptr)
        return nullptr;
    return static_cast<TWinControl*>(::GetPropA(window, kControlProperty));
}

HWND TWinControl::Handle() {
    if (handle_ == nullptr) {
        if (HasState(csDestroying))
            throw Exception("Cannot create a window for a control that is being destroyed");
        if (Parent() != nullptr)
            Parent()->HandleNeeded();
        if (handle_ == nullptr) // the parent may have created ours with its own
            CreateWnd();
    }
    return handle_;
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.Caption = text_;
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (Parent() == nullptr)
        params.Style = WS_POPUP;
    if (Visible())
        params.Style |= WS_VISIBLE;
    if (!Enabled())
        params.Style |= WS_DISABLED;
    if (tabStop_)
        params.Style |= WS_TABSTOP;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    if (Parent() != nullptr) {
        params.WndParent = Parent()->HandleIfAllocated();
        params.Menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextChildId()));
    }
    params.ClassCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    params.WinClassName = std::string(ClassName());
}

void TWinControl::CreateSubClass(TCreateParams& params, const char* systemClass) {
    params.BaseClassName = systemClass;
}

WNDPROC TWinControl::RegisterWindowClass(const TCreateParams& params) {
    auto& classes = RegisteredClasses();
    auto found = classes.find(params.WinClassName);
    if (found != classes.end())
        return found->second.defaultProc;

    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    WNDPROC defaultProc = ::DefWindowProcA;
    if (!params.BaseClassName.empty()) {
        // Superclassing keeps the system class's extra bytes and styles and puts
        // our procedure in front of its own.
        if (!::GetClassInfoExA(nullptr, params.BaseClassName.c_str(), &windowClass))
            throw Exception("Window class " + params.BaseClassName + " is not available");
        defaultProc = windowClass.lpfnWndProc;
    } else {
        windowClass.style = params.ClassStyle;
        windowClass.hCursor = params.ClassCursor;
        windowClass.hbrBackground = params.ClassBackground;
    }
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = StdWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = params.WinClassName.c_str();
    windowClass.lpszMenuName = nullptr;
    windowClass.hIconSm = nullptr;
    if (!::RegisterClassExA(&windowClass))
        throw Exception("Cannot register window class " + params.WinClassName);
    classes[params.WinClassName] = TClassInfo{defaultProc};
    return defaultProc;
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) && params.WndParent == nullptr)
        throw Exception("Control '" + Name() + "' has no parent window");
    defWndProc_ = RegisterWindowClass(params);
    baseClassName_ = params.BaseClassName;
    SetControlState(ControlState() | csCreating);
    try {
        CreateWindowHandle(params);
    } catch (...) {
        SetControlState(ControlState() & ~static_cast<unsigned>(csCreating));
        throw;
    }
    SetControlState(ControlState() & ~static_cast<unsigned>(csCreating));
    if (handle_ == nullptr)
        throw Exception("Error creating window of '" + Name() + "'");
    CreateHandleDone();
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
    TWinControl* previous = gCreatingControl;
    gCreatingControl = this;
    HWND window = ::CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                                    params.X, params.Y, params.Width, params.Height, params.WndParent, params.Menu,
                                    ::GetModuleHandleA(nullptr), nullptr);
    gCreatingControl = previous;
    if (window != nullptr && handle_ == nullptr)
        AttachHandle(window);
}

void TWinControl::CreateHandleDone() {
    ApplyFont();
    UpdateBoundsFromWindow();
    for (TControl* child : std::vector<TControl*>(controls_)) {
        if (auto* windowed = dynamic_cast<TWinControl*>(child); windowed != nullptr && !windowed->HandleAllocated())
            windowed->CreateWnd();
    }
    // Windows stack in tab order so the system's own navigation agrees with ours.
    HWND after = HWND_TOP;
    for (TWinControl* child : tabList_) {
        if (child->HandleAllocated()) {
            ::SetWindowPos(child->handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            after = child->handle_;
        }
    }
}

void TWinControl::AttachHandle(HWND window) {
    handle_ = window;
    ::SetPropA(window, kControlProperty, this);
}

void TWinControl::DetachHandle() {
    if (handle_ != nullptr)
        ::RemovePropA(handle_, kControlProperty);
    handle_ = nullptr;
    trackingLeave_ = false;
}

void TWinControl::DestroyHandle() {
    if (handle_ == nullptr)
        return;
    // Keep the text: the window held it while it existed.
    text_ = GetText();
    for (TControl* child : controls_) {
        if (auto* windowed = dynamic_cast<TWinControl*>(child))
            windowed->DestroyHandle();
    }
    DestroyWnd();
}

void TWinControl::DestroyWnd() {
    SetControlState(ControlState() | csDestroyingHandle);
    HWND window = handle_;
    ::DestroyWindow(window);
    if (handle_ == window) // WM_NCDESTROY normally detaches
        DetachHandle();
    SetControlState(ControlState() & ~static_cast<unsigned>(csDestroyingHandle));
}

void TWinControl::RecreateWnd() {
    if (!HandleAllocated())
        return;
    DestroyHandle();
    Handle();
}

void TWinControl::SetStyleBit(DWORD bit, bool on, bool extended) {
    if (!HandleAllocated())
        return;
    int index = extended ? GWL_EXSTYLE : GWL_STYLE;
    auto style = static_cast<DWORD>(::GetWindowLongPtrA(handle_, index));
    DWORD next = on ? (style | bit) : (style & ~bit);
    if (next != style)
        ::SetWindowLongPtrA(handle_, index, static_cast<LONG_PTR>(next));
}

namespace {

bool IsPaintMessage(UINT msg) {
    return msg == WM_PAINT || msg == WM_NCPAINT || msg == WM_ERASEBKGND || msg == WM_PRINT || msg == WM_PRINTCLIENT;
}

// The windows whose paint message is being handled, innermost last. One user-interface
// thread: a plain list.
std::vector<HWND>& WindowsInPaint() {
    static auto& windows = *new std::vector<HWND>();
    return windows;
}

class TPaintScope {
public:
    TPaintScope(HWND window, UINT msg) : active_(IsPaintMessage(msg)) {
        if (active_)
            WindowsInPaint().push_back(window);
    }
    ~TPaintScope() {
        if (active_)
            WindowsInPaint().pop_back();
    }
    TPaintScope(const TPaintScope&) = delete;
    TPaintScope& operator=(const TPaintScope&) = delete;

private:
    bool active_;
};

} // namespace

bool WindowInPaint(HWND window) {
    const std::vector<HWND>& painting = WindowsInPaint();
    if (painting.empty() || window == nullptr)
        return false;
    for (HWND current = window; current != nullptr; current = ::GetAncestor(current, GA_PARENT)) {
        if (std::find(painting.begin(), painting.end(), current) != painting.end())
            return true;
        if (current == ::GetDesktopWindow())
            break;
    }
    return false;
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWinControl* control = FindControl(window);
    if (control == nullptr) {
        control = gCreatingControl;
        if (control == nullptr)
            return ::DefWindowProcA(window, msg, wParam, lParam);
        gCreatingControl = nullptr;
        control->AttachHandle(window);
    }
    TMessage message{msg, wParam, lParam, 0};
    try {
        TPaintScope painting(window, msg);
        control->WindowProc(message);
    } catch (...) {
        HandleBoundaryException(std::current_exception());
    }
    if (msg == WM_NCDESTROY && control->handle_ == window)
        control->DetachHandle();
    return message.Result;
}

namespace {

TSystemPaintObserver& SystemPaintObserver() {
    static auto& observer = *new TSystemPaintObserver;
    return observer;
}

void ObserveSystemPaint(TWinControl& control, UINT msg) {
    if ((msg == WM_PAINT || msg == WM_ERASEBKGND || msg == WM_NCPAINT) && SystemPaintObserver())
        SystemPaintObserver()(control, msg);
}

} // namespace

void SetSystemPaintObserver(TSystemPaintObserver observer) { SystemPaintObserver() = std::move(observer); }

void TWinControl::DefaultHandler(TMessage& message) {
    if (IsFrameworkMessage(message.Msg)) {
        switch (message.Msg) {
        case CN_CTLCOLORMSGBOX:
        case CN_CTLCOLOREDIT:
        case CN_CTLCOLORLISTBOX:
        case CN_CTLCOLORBTN:
        case CN_CTLCOLORDLG:
        case CN_CTLCOLORSCROLLBAR:
        case CN_CTLCOLORSTATIC: {
            auto dc = reinterpret_cast<HDC>(message.WParam);
            ::SetTextColor(dc, ColorToRGB(Font().Color()));
            ::SetBkColor(dc, ColorToRGB(Color()));
            message.Result = reinterpret_cast<LRESULT>(BackgroundBrush());
            break;
        }
        default:
            break;
        }
        return;
    }
    if (handle_ == nullptr) {
        TControl::DefaultHandler(message);
        return;
    }
    ObserveSystemPaint(*this, message.Msg);
    message.Result = ::CallWindowProcA(defWndProc_, handle_, message.Msg, message.WParam, message.LParam);
}

std::string TWinControl::GetText() const {
    if (handle_ == nullptr)
        return text_;
    int length = ::GetWindowTextLengthA(handle_);
    std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    int copied = ::GetWindowTextA(handle_, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

void TWinControl::TextChanged(const std::string& text) {
    text_ = text;
    if (handle_ != nullptr)
        Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

HBRUSH TWinControl::BackgroundBrush() {
    brush_.SetColor(Color());
    return brush_.Handle();
}

void TWinControl::ApplyFont() {
    if (handle_ != nullptr)
        ::SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
}

void TWinControl::InsertControl(TControl* control) {
    if (control == nullptr || control->parent_ == this)
        return;
    control->parent_ = this;
    controls_.push_back(control);
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (windowed != nullptr) {
        tabList_.push_back(windowed);
        if (windowed->pendingTabOrder_ >= 0) {
            int order = windowed->pendingTabOrder_;
            windowed->pendingTabOrder_ = -1;
            windowed->SetTabOrder(order);
        }
    }
    if (control->ParentFont())
        control->TakeParentFont();
    if (control->ParentColor())
        control->TakeParentColor();
    if (windowed != nullptr && HandleAllocated() && !windowed->HandleAllocated())
        windowed->CreateWnd();
    else if (windowed != nullptr && windowed->HandleAllocated())
        ::SetParent(windowed->handle_, handle_);
    control->Invalidate();
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 1);
}

void TWinControl::RemoveControl(TControl* control) {
    auto found = std::find(controls_.begin(), controls_.end(), control);
    if (found == controls_.end())
        return;
    if (!HasState(csDestroying))
        Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 0);
    control->Invalidate();
    controls_.erase(std::find(controls_.begin(), controls_.end(), control));
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), windowed), tabList_.end());
        // A window cannot live without its parent window.
        if (!HasState(csDestroying) && windowed->HandleAllocated())
            windowed->DestroyHandle();
    }
    if (gCaptureControl == control)
        gCaptureControl = nullptr;
    control->parent_ = nullptr;
}

bool TWinControl::ContainsControl(const TControl* control) const {
    while (control != nullptr && control->Parent() != this)
        control = control->Parent();
    return control != nullptr;
}

TControl* TWinControl::ControlAtPos(POINT point, bool allowDisabled, bool allowWinControls) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* control = *it;
        bool windowed = dynamic_cast<TWinControl*>(control) != nullptr;
        if (windowed && !allowWinControls)
            continue;
        if (!control->Visible() || (!allowDisabled && !control->Enabled()))
            continue;
        RECT bounds = control->BoundsRect();
        if (::PtInRect(&bounds, point))
            return control;
    }
    return nullptr;
}

void TWinControl::Broadcast(TMessage& message) {
    for (TControl* control : std::vector<TControl*>(controls_)) {
        control->WindowProc(message);
        if (message.Result != 0)
            return;
    }
}

int TWinControl::TabOrder() const {
    if (Parent() == nullptr)
        return -1;
    const auto& list = Parent()->tabList_;
    auto found = std::find(list.begin(), list.end(), this);
    return found == list.end() ? -1 : static_cast<int>(found - list.begin());
}

void TWinControl::SetTabOrder(int value) {
    if (Parent() == nullptr) {
        // Read before the parent is known (stored forms): applied on insertion.
        pendingTabOrder_ = value;
        return;
    }
    auto& list = Parent()->tabList_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    size_t position = value < 0 ? list.size() : std::min(static_cast<size_t>(value), list.size());
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(position), this);
}

void TWinControl::SetTabStop(bool value) {
    tabStop_ = value;
    SetStyleBit(WS_TABSTOP, value);
}

bool TWinControl::Focused() const {
    return handle_ != nullptr && ::GetFocus() == handle_;
}

bool TWinControl::CanFocus() const {
    // The top-level window may still be hidden: a form picks its focused control
    // before it is shown.
    const TWinControl* control = this;
    while (control != nullptr) {
        if (!control->Enabled())
            return false;
        if (control->Parent() != nullptr && !control->Visible())
            return false;
        control = control->Parent();
    }
    return true;
}

void TWinControl::SetFocus() {
    if (!CanFocus())
        throw Exception("Cannot focus a disabled or invisible window");
    ::SetFocus(Handle());
}

bool TWinControl::SetFocusedControl(TWinControl* control) {
    (void)control;
    return false;
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
    for (TWinControl* child : tabList_) {
        list.push_back(child);
        child->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty())
        return nullptr;
    auto found = std::find(list.begin(), list.end(), current);
    ptrdiff_t start = found == list.end() ? (goForward ? -1 : 0) : found - list.begin();
    const auto count = static_cast<ptrdiff_t>(list.size());
    for (ptrdiff_t step = 1; step <= count; ++step) {
        ptrdiff_t index = goForward ? (start + step) % count : ((start - step) % count + count) % count;
        TWinControl* candidate = list[static_cast<size_t>(index)];
        if (candidate == current)
            break;
        if (checkTabStop && !candidate->TabStop())
            continue;
        if (checkParent && candidate->Parent() != this)
            continue;
        if (candidate->CanFocus())
            return candidate;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
    if (TWinControl* next = FindNextControl(current, goForward, checkTabStop, false))
        next->SetFocus();
}

bool TWinControl::Showing() const {
    if (handle_ != nullptr)
        return ::IsWindowVisible(handle_) != FALSE;
    return false;
}

RECT TWinControl::ClientRect() const {
    RECT rect{0, 0, Width(), Height()};
    if (handle_ != nullptr)
        ::GetClientRect(handle_, &rect);
    return rect;
}

POINT TWinControl::ClientOrigin() const {
    if (handle_ != nullptr) {
        POINT origin{0, 0};
        ::ClientToScreen(handle_, &origin);
        return origin;
    }
    return TControl::ClientOrigin();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
    if (handle_ != nullptr) {
        ::SetWindowPos(handle_, nullptr, Left(), Top(), Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TWinControl::UpdateBoundsFromWindow() {
    if (handle_ == nullptr || ::IsIconic(handle_))
        return;
    RECT rect{};
    ::GetWindowRect(handle_, &rect);
    if (HWND parentWindow = ::GetParent(handle_); parentWindow != nullptr && (::GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD))
        ::MapWindowPoints(HWND_DESKTOP, parentWindow, reinterpret_cast<POINT*>(&rect), 2);
    TControl::SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void TWinControl::Invalidate() {
    if (handle_ != nullptr)
        ::InvalidateRect(handle_, nullptr, !(ControlStyle() & csOpaque));
}

void TWinControl::PaintWindow(HDC dc) {
    if (IsSystemClass()) {
        TMessage paint{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
        DefaultHandler(paint);
    }
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
    auto start = controls_.begin();
    if (first != nullptr) {
        start = std::find(controls_.begin(), controls_.end(), first);
        if (start == controls_.end())
            start = controls_.begin();
    }
    RECT clip{};
    ::GetClipBox(dc, &clip);
    for (auto it = start; it != controls_.end(); ++it) {
        TControl* control = *it;
        if (dynamic_cast<TWinControl*>(control) != nullptr || !control->Visible())
            continue;
        RECT bounds = control->BoundsRect();
        RECT overlap{};
        if (!::IntersectRect(&overlap, &bounds, &clip))
            continue;
        int saved = ::SaveDC(dc);
        POINT origin{};
        ::GetViewportOrgEx(dc, &origin);
        ::SetViewportOrgEx(dc, origin.x + bounds.left, origin.y + bounds.top, nullptr);
        ::IntersectClipRect(dc, 0, 0, control->Width(), control->Height());
        control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        ::RestoreDC(dc, saved);
    }
}

void TWinControl::WMPaint(TMessage& message) {
    if (message.WParam != 0) {
        auto dc = reinterpret_cast<HDC>(message.WParam);
        PaintWindow(dc);
        PaintControls(dc);
        return;
    }
    bool hasGraphicChildren = std::any_of(controls_.begin(), controls_.end(),
                                          [](TControl* c) { return dynamic_cast<TWinControl*>(c) == nullptr; });
    if (IsSystemClass() && !hasGraphicChildren && !(ControlState() & csCustomPaint)) {
        DefaultHandler(message);
        return;
    }
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(handle_, &paint);
    if (IsSystemClass()) {
        // The system control and our graphic children meet in a memory bitmap, so
        // the children do not flicker over the control's own painting.
        RECT client = ClientRect();
        HDC memory = ::CreateCompatibleDC(dc);
        HBITMAP bitmap = ::CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        // A fresh bitmap holds black, and system classes without a class brush
        // (the group box) do not erase it: start from our own background.
        ::FillRect(memory, &client, BackgroundBrush());
        Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
        PaintWindow(memory);
        PaintControls(memory);
        ::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        ::SelectObject(memory, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(memory);
    } else {
        PaintWindow(dc);
        PaintControls(dc);
    }
    ::EndPaint(handle_, &paint);
}

void TWinControl::WMPrintClient(TMessage& message) {
    auto dc = reinterpret_cast<HDC>(message.WParam);
    if (IsSystemClass()) {
        DefaultHandler(message);
    } else {
        if (message.LParam & PRF_ERASEBKGND)
            Perform(WM_ERASEBKGND, message.WParam, 0);
        PaintWindow(dc);
    }
    PaintControls(dc);
}

bool TWinControl::ReflectToChild(TMessage& message) {
    HWND child = nullptr;
    switch (message.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
        child = reinterpret_cast<HWND>(message.LParam);
        break;
    case WM_NOTIFY:
        if (message.LParam != 0)
            child = reinterpret_cast<NMHDR*>(message.LParam)->hwndFrom;
        break;
    case WM_DRAWITEM:
        if (auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam); item != nullptr && item->CtlType != ODT_MENU)
            child = item->hwndItem;
        break;
    case WM_MEASUREITEM:
        if (auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
            item != nullptr && item->CtlType != ODT_MENU)
            child = ::GetDlgItem(handle_, static_cast<int>(item->CtlID));
        break;
    case WM_COMPAREITEM:
        if (auto* item = reinterpret_cast<COMPAREITEMSTRUCT*>(message.LParam); item != nullptr)
            child = item->hwndItem;
        break;
    case WM_DELETEITEM:
        if (auto* item = reinterpret_cast<DELETEITEMSTRUCT*>(message.LParam); item != nullptr)
            child = item->hwndItem;
        break;
    default:
        return false;
    }
    TWinControl* control = FindControl(child);
    if (control == nullptr || control == this)
        return false;
    message.Result = control->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
    return true;
}

bool TWinControl::RouteMouseToGraphicChild(TMessage& message) {
    POINT point = PointOf(message.LParam);
    TControl* target = nullptr;
    if (gCaptureControl != nullptr && gCaptureControl->Parent() == this)
        target = gCaptureControl;
    else
        target = ControlAtPos(point, false);
    if (target == nullptr)
        return false;
    if (message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK) {
        if (target->ControlStyle() & csCaptureMouse) {
            gCaptureControl = target;
            ::SetCapture(handle_);
        }
    }
    TMessage forwarded = message;
    forwarded.LParam = MAKELPARAM(point.x - target->Left(), point.y - target->Top());
    target->WindowProc(forwarded);
    message.Result = forwarded.Result;
    if (message.Msg == WM_LBUTTONUP && gCaptureControl == target) {
        gCaptureControl = nullptr;
        if (::GetCapture() == handle_)
            ::ReleaseCapture();
    }
    return true;
}

void TWinControl::TrackMouse(TMessage& message) {
    if (message.Msg == WM_MOUSELEAVE) {
        trackingLeave_ = false;
        if (gMouseControl == this || (gMouseControl != nullptr && gMouseControl->Parent() == this &&
                                      dynamic_cast<TWinControl*>(gMouseControl) == nullptr)) {
            TControl* leaving = gMouseControl;
            gMouseControl = nullptr;
            leaving->Perform(CM_MOUSELEAVE);
        }
        return;
    }
    TControl* target = ControlAtPos(PointOf(message.LParam), false);
    if (target == nullptr)
        target = this;
    if (target != gMouseControl) {
        TControl* leaving = gMouseControl;
        gMouseControl = target;
        if (leaving != nullptr)
            leaving->Perform(CM_MOUSELEAVE);
        target->Perform(CM_MOUSEENTER);
    }
    if (!trackingLeave_ && handle_ != nullptr) {
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, handle_, 0};
        trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
    }
}

bool TWinControl::IsDialogKeyFor(WORD key) {
    LRESULT mask = 0;
    switch (key) {
    case VK_TAB:
        mask = DLGC_WANTTAB;
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        mask = DLGC_WANTARROWS;
        break;
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_EXECUTE:
    case VK_CANCEL:
        mask = DLGC_WANTALLKEYS;
        break;
    default:
        return false;
    }
    return (Perform(WM_GETDLGCODE, key, 0) & mask) == 0;
}

bool TWinControl::DoKeyDown(TMessage& message) {
    if (!OnKeyDown)
        return false;
    WORD key = static_cast<WORD>(message.WParam);
    OnKeyDown(this, key, KeyboardShiftState());
    message.WParam = key;
    return key == 0;
}

void TWinControl::CNKeyDown(TMessage& message) {
    message.Result = 1;
    if (DoKeyDown(message))
        return;
    auto key = static_cast<WORD>(message.WParam);
    if (IsDialogKeyFor(key)) {
        TWinControl* top = TopParent(this);
        if (top != nullptr && top->Perform(CM_DIALOGKEY, key, static_cast<LPARAM>(KeyboardShiftState())) != 0)
            return;
    }
    message.Result = 0;
}

void TWinControl::UpdateShowing() {
    Perform(CM_SHOWINGCHANGED, Showing() ? 1 : 0);
}

void TWinControl::WndProc(TMessage& message) {
    if (ReflectToChild(message))
        return;
    if (IsMouseMessage(message.Msg) && handle_ != nullptr) {
        if (message.Msg == WM_MOUSEMOVE)
            TrackMouse(message);
        if (RouteMouseToGraphicChild(message))
            return;
    }
    switch (message.Msg) {
    case WM_CONTEXTMENU:
        if (ShowContextMenu(message))
            return;
        break;
    case WM_MOUSELEAVE:
        TrackMouse(message);
        break;
    case WM_PAINT:
        WMPaint(message);
        return;
    case WM_PRINTCLIENT:
        WMPrintClient(message);
        return;
    case WM_ERASEBKGND:
        if (!IsSystemClass()) {
            RECT client = ClientRect();
            ::FillRect(reinterpret_cast<HDC>(message.WParam), &client, BackgroundBrush());
            message.Result = 1;
            return;
        }
        break;
    case WM_SETFOCUS:
        if (TWinControl* top = TopParent(this); top != nullptr && top != this)
            top->SetFocusedControl(this);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (DoKeyDown(message))
            return;
        break;
    case WM_KEYUP:
        if (OnKeyUp) {
            WORD key = static_cast<WORD>(message.WParam);
            OnKeyUp(this, key, KeyboardShiftState());
            if (key == 0)
                return;
            message.WParam = key;
        }
        break;
    case WM_CHAR:
        if (OnKeyPress) {
            char key = static_cast<char>(message.WParam);
            OnKeyPress(this, key);
            if (key == 0)
                return;
            message.WParam = static_cast<unsigned char>(key);
        }
        break;
    case CN_KEYDOWN:
        CNKeyDown(message);
        return;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(message.WParam) == handle_ && LOWORD(message.LParam) == HTCLIENT) {
            TCursor cursor = Cursor();
            POINT point{};
            ::GetCursorPos(&point);
            ::ScreenToClient(handle_, &point);
            if (TControl* child = ControlAtPos(point, false); child != nullptr && child->Cursor() != crDefault)
                cursor = child->Cursor();
            bool screenOverride = false;
            HCURSOR handle = CursorHandleFor(cursor, screenOverride);
            if (handle != nullptr && (screenOverride || cursor != crDefault)) {
                ::SetCursor(handle);
                message.Result = TRUE;
                return;
            }
        }
        break;
    case WM_WINDOWPOSCHANGED:
        TControl::WndProc(message);
        UpdateBoundsFromWindow();
        if (auto* position = reinterpret_cast<WINDOWPOS*>(message.LParam);
            position != nullptr && (position->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)))
            UpdateShowing();
        return;
    case WM_ENABLE:
        break;
    case CM_VISIBLECHANGED:
        if (handle_ != nullptr) {
            ::ShowWindow(handle_, Visible() ? SW_SHOWNA : SW_HIDE);
            UpdateShowing();
        }
        break;
    case CM_ENABLEDCHANGED:
        if (handle_ != nullptr)
            ::EnableWindow(handle_, Enabled());
        break;
    case CM_FONTCHANGED: {
        ApplyFont();
        Invalidate();
        TMessage parentFont{CM_PARENTFONTCHANGED, 0, 0, 0};
        for (TControl* child : std::vector<TControl*>(controls_))
            child->WindowProc(parentFont);
        break;
    }
    case CM_COLORCHANGED: {
        Invalidate();
        TMessage parentColor{CM_PARENTCOLORCHANGED, 0, 0, 0};
        for (TControl* child : std::vector<TControl*>(controls_))
            child->WindowProc(parentColor);
        break;
    }
    case CM_SHOWINGCHANGED: {
        // Children of a window that appeared or vanished change showing too.
        for (TControl* child : std::vector<TControl*>(controls_)) {
            if (auto* windowed = dynamic_cast<TWinControl*>(child); windowed != nullptr && windowed->HandleAllocated())
                windowed->Perform(CM_SHOWINGCHANGED, message.WParam);
        }
        break;
    }
    case CM_FOCUSCHANGED:
        Broadcast(message);
        message.Result = 0;
        return;
    default:
        break;
    }
    TControl::WndProc(message);
}

// --- TGraphicControl ---------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

void TGraphicControl::WndProc(TMessage& message) {
    if (message.Msg == WM_PAINT && message.WParam != 0) {
        canvas_.SetHandle(reinterpret_cast<HDC>(message.WParam));
        canvas_.Font().Assign(Font());
        try {
            Paint();
        } catch (...) {
            canvas_.SetHandle(nullptr);
            HandleBoundaryException(std::current_exception());
            return;
        }
        canvas_.SetHandle(nullptr);
        return;
    }
    TControl::WndProc(message);
}

// --- TCustomControl ----------------------------------------------------------

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::PaintWindow(HDC dc) {
    canvas_.SetHandle(dc);
    canvas_.Font().Assign(Font());
    try {
        Paint();
    } catch (...) {
        canvas_.SetHandle(nullptr);
        throw;
    }
    canvas_.SetHandle(nullptr);
}

} // namespace sj
