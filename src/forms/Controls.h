// Controls of the form framework. TControl has a parent, bounds, visibility,
// enabled state, text, font, colour and cursor, and receives every message
// through WindowProc: a chain of replaceable hooks (the newest runs first and
// decides whether to pass the message on) ending in the control's own WndProc,
// then DefaultHandler. TGraphicControl has no window and is painted by its parent
// on the parent's DC. TWinControl creates its window on demand from CreateParams;
// its windows share one window procedure that finds the control and dispatches
// through WindowProc; what the system tells a parent about a child (WM_COMMAND,
// WM_NOTIFY, WM_DRAWITEM, WM_CTLCOLOR*...) is reflected to the child as CN_*.
// No exception leaves a window procedure: it goes to the boundary handler that
// the application object installs.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/Classes.h"
#include "forms/Graphics.h"
#include "forms/Messages.h"

namespace sj {

class TWinControl;
class TPopupMenu;

enum TControlStyleFlag : unsigned {
    csAcceptsControls = 1u << 0,
    csCaptureMouse = 1u << 1,
    csClickEvents = 1u << 2,
    csFramed = 1u << 3,
    csSetCaption = 1u << 4,
    csOpaque = 1u << 5,
    csDoubleClicks = 1u << 6,
    csNoStdEvents = 1u << 7,
    csParentBackground = 1u << 8,
};
using TControlStyle = unsigned;

enum TControlStateFlag : unsigned {
    csLButtonDown = 1u << 0,
    csClicked = 1u << 1,
    csCreating = 1u << 2,
    csFocusing = 1u << 3,
    csCustomPaint = 1u << 4,
    csDestroyingHandle = 1u << 5,
};
using TControlState = unsigned;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};
using TShiftState = unsigned;

using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;

// Passed to a WindowProc hook: calling it hands the message to the rest of the
// chain (older hooks, then the control's own handling).
class TWndNext {
public:
    void operator()(TMessage& message) const;

private:
    friend class TControl;
    struct TChainCall;
    TWndNext(const TChainCall* call, size_t index) : call_(call), index_(index) {}
    const TChainCall* call_;
    size_t index_;
};

using TWndHook = std::function<void(TMessage& message, const TWndNext& next)>;

// Keeps one hook in a control's WindowProc chain; unhooks when reset or
// destroyed, in any order with other hooks, and also after the control is gone.
class TWindowProcHook {
public:
    TWindowProcHook() = default;
    ~TWindowProcHook() { Unhook(); }
    TWindowProcHook(TWindowProcHook&& other) noexcept;
    TWindowProcHook& operator=(TWindowProcHook&& other) noexcept;
    TWindowProcHook(const TWindowProcHook&) = delete;
    TWindowProcHook& operator=(const TWindowProcHook&) = delete;

    void Unhook();
    bool Hooked() const;

private:
    friend class TControl;
    friend class TWndNext;
    struct TEntry;
    struct TChain;
    std::weak_ptr<TEntry> entry_;
    std::weak_ptr<TChain> chain_;
};

// Where exceptions caught at a window procedure go; the application object
// installs its HandleException here. Without a handler they are dropped.
void SetBoundaryExceptionHandler(std::function<void(std::exception_ptr)> handler);
void HandleBoundaryException(std::exception_ptr error) noexcept;

// Sees every paint message (WM_PAINT, WM_ERASEBKGND, WM_NCPAINT) that a windowed control
// hands on to its system window procedure: how tests tell the system's own look from
// the skin's. Empty (the default): nothing is observed.
using TSystemPaintObserver = std::function<void(TWinControl& control, UINT msg)>;
void SetSystemPaintObserver(TSystemPaintObserver observer);

// Whether a paint message (WM_PAINT, WM_NCPAINT, WM_ERASEBKGND, WM_PRINT,
// WM_PRINTCLIENT) of this window or of one of its parents is being handled now, further
// up this thread's stack. A modal loop run from inside a paint (a message box, a menu)
// dispatches timers meanwhile; animation steps ask this and wait for the next tick
// rather than draw into a window half-way through its paint.
bool WindowInPaint(HWND window);

class TControl : public TComponent {
    SJ_CLASS(TControl, TComponent)

public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    // --- Messages -------------------------------------------------------------
    // Runs the message through the hooks (newest first), then WndProc.
    void WindowProc(TMessage& message);
    [[nodiscard]] TWindowProcHook HookWindowProc(TWndHook hook);
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual void DefaultHandler(TMessage& message);

    // --- Placement ------------------------------------------------------------
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    void SetParentComponent(TComponent* parent) override;
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
    void SetTop(int value) { SetBounds(left_, value, width_, height_); }
    void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
    void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    void SetBoundsRect(const RECT& rect) { SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top); }
    virtual RECT ClientRect() const;
    int ClientWidth() const { return ClientRect().right; }
    int ClientHeight() const { return ClientRect().bottom; }
    void SetClientSize(int width, int height);
    void SetClientWidth(int value) { SetClientSize(value, ClientHeight()); }
    void SetClientHeight(int value) { SetClientSize(ClientWidth(), value); }
    POINT ClientToScreen(POINT point) const;
    POINT ScreenToClient(POINT point) const;
    // Offset of this control's client area inside its parent's client area.
    virtual POINT ClientOrigin() const;

    // --- State ----------------------------------------------------------------
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible and every parent up to a shown window is visible too.
    virtual bool Showing() const;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    std::string Text() const { return GetText(); }
    void SetText(const std::string& text);
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& text) { SetText(text); }
    TFont& Font() { return *font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);
    std::string Hint() const { return hint_; }
    void SetHint(const std::string& value) { hint_ = value; }
    // The menu a right click or the menu key opens over the control, or null.
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);
    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle value) { controlStyle_ = value; }
    TControlState ControlState() const { return controlState_; }
    void SetControlState(TControlState value) { controlState_ = value; }

    virtual void Invalidate();
    void Update();
    void Repaint();
    void BringToFront();
    virtual void Click();

    // --- Events ---------------------------------------------------------------
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    // The control's own message handling; overrides handle what they need and
    // call the inherited one, which ends in DefaultHandler.
    virtual void WndProc(TMessage& message);
    virtual std::string GetText() const { return text_; }
    virtual void TextChanged(const std::string& text);
    void DoMouseDown(TMouseButton button, const TMessage& message);
    void DoMouseUp(TMouseButton button, const TMessage& message);
    virtual void DoMouseMove(const TMessage& message);
    void FontChanged();
    // The font now follows the parent's without clearing ParentFont.
    void TakeParentFont();
    void TakeParentColor();
    void Loaded() override;
    // Invalidates the control's area of the parent window (graphic controls).
    void InvalidateInParent(bool erase);
    // Sets the flag without showing or hiding anything (forms start hidden).
    void SetVisibleFlag(bool value) { visible_ = value; }
    void Notification(TComponent* component, TOperation operation) override;

    std::string text_;

private:
    friend class TWinControl;
    friend class TWndNext;

    void HandleMouse(TMessage& message);
    static TShiftState KeysToShift(WPARAM keys);

    TWinControl* parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    bool takingParentFont_ = false;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    TCursor cursor_ = crDefault;
    std::string hint_;
    TPopupMenu* popupMenu_ = nullptr;
    TControlStyle controlStyle_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    TControlState controlState_ = 0;
    std::shared_ptr<TWindowProcHook::TChain> hooks_;
};

// Window creation parameters; CreateParams fills them, CreateWnd uses them.
struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    HMENU Menu = nullptr; // child window id for child windows
    UINT ClassStyle = CS_DBLCLKS;
    HCURSOR ClassCursor = nullptr;
    HBRUSH ClassBackground = nullptr;
    // Our class name for the window (the control's class name by default) and the
    // system class it superclasses (empty: an own class over DefWindowProc).
    std::string WinClassName;
    std::string BaseClassName;
};

class TWinControl : public TControl {
    SJ_CLASS(TWinControl, TControl)

public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // The window, created now (with its parent's) when it does not exist yet.
    HWND Handle();
    HWND HandleIfAllocated() const { return handle_; }
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    void DestroyHandle();
    // The control a framework window belongs to, or none.
    static TWinControl* FindControl(HWND window);

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    bool ContainsControl(const TControl* control) const;
    // The visible graphic or windowed child at a client point (graphic ones first
    // when they overlap, as they are painted on top of the parent only).
    TControl* ControlAtPos(POINT point, bool allowDisabled, bool allowWinControls = false) const;
    void Broadcast(TMessage& message);

    // --- Focus and tab order --------------------------------------------------
    int TabOrder() const;
    void SetTabOrder(int value);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool value);
    bool Focused() const;
    virtual bool CanFocus() const;
    virtual void SetFocus();
    // Windowed descendants in tab order, depth first.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) const;
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
    // Asked of the top-level parent when one of its controls gets the focus.
    virtual bool SetFocusedControl(TWinControl* control);
    // Told to the top-level parent when a control inside it is being destroyed.
    virtual void ControlDestroying(TControl* control) { (void)control; }

    bool Showing() const override;
    RECT ClientRect() const override;
    POINT ClientOrigin() const override;
    void SetBounds(int left, int top, int width, int height) override;
    void Invalidate() override;
    void DefaultHandler(TMessage& message) override;

    // Paints the graphic children onto a DC of this control's client area.
    void PaintControls(HDC dc, TControl* first = nullptr);
    // Whether the window runs a system class's procedure (EDIT, BUTTON...).
    bool IsSystemClass() const { return !baseClassName_.empty(); }

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

protected:
    void WndProc(TMessage& message) override;
    std::string GetText() const override;
    void TextChanged(const std::string& text) override;
    virtual void CreateParams(TCreateParams& params);
    void CreateSubClass(TCreateParams& params, const char* systemClass);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& params);
    // After the window exists: font, children, anything held while it did not.
    virtual void CreateHandleDone();
    virtual void DestroyWnd();
    // Paints the window itself on a DC (the system class's painting, or our own).
    virtual void PaintWindow(HDC dc);
    // Brush used for WM_ERASEBKGND and the CN_CTLCOLOR* answers.
    HBRUSH BackgroundBrush();
    virtual bool DoKeyDown(TMessage& message);
    bool IsDialogKeyFor(WORD key);
    // Re-applies a window style bit on an existing window.
    void SetStyleBit(DWORD bit, bool on, bool extended = false);
    // Recreates the window, keeping text and children (style changes).
    void RecreateWnd();

private:
    friend class TControl;
    static LRESULT CALLBACK StdWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    static WNDPROC RegisterWindowClass(const TCreateParams& params);
    void AttachHandle(HWND window);
    void DetachHandle();
    void WMPaint(TMessage& message);
    void WMPrintClient(TMessage& message);
    bool ReflectToChild(TMessage& message);
    bool RouteMouseToGraphicChild(TMessage& message);
    bool ShowContextMenu(TMessage& message);
    void TrackMouse(TMessage& message);
    void UpdateBoundsFromWindow();
    void UpdateShowing();
    void ApplyFont();
    void CNKeyDown(TMessage& message);

    HWND handle_ = nullptr;
    WNDPROC defWndProc_ = nullptr;
    std::string baseClassName_;
    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    bool tabStop_ = false;
    bool trackingLeave_ = false;
    TBrush brush_;
    int pendingTabOrder_ = -1;
};

class TGraphicControl : public TControl {
    SJ_CLASS(TGraphicControl, TControl)

public:
    explicit TGraphicControl(TComponent* owner);

    TCanvas& Canvas() { return canvas_; }

protected:
    void WndProc(TMessage& message) override;
    // Draws on Canvas, which holds the parent's DC with the origin at this
    // control's top left corner. Must not throw.
    virtual void Paint() {}

private:
    TCanvas canvas_;
};

// A windowed control that paints itself on a canvas (own class, no system one).
class TCustomControl : public TWinControl {
    SJ_CLASS(TCustomControl, TWinControl)

public:
    explicit TCustomControl(TComponent* owner);
    TCanvas& Canvas() { return canvas_; }

protected:
    void PaintWindow(HDC dc) override;
    virtual void Paint() {}

private:
    TCanvas canvas_;
};

// The top-level parent of a control (its form, once it is on one), or none.
TWinControl* TopParent(TControl* control);
// The control under the mouse for enter/leave notifications (windowed or not).
TControl* MouseControl();
TShiftState KeyboardShiftState();
// The cursor shown for a control's cursor value; screenOverride tells that the
// screen's own cursor (a wait cursor) stands in for every control's.
HCURSOR CursorHandleFor(TCursor cursor, bool& screenOverride);

} // namespace sj
