// Skinning of ordinary controls without changing their classes. The control adapter
// recognises a framework control by its exact class name in the skin manager's class
// lists and attaches a window adapter that takes over the control's messages ahead of its
// own handling (the framework's WindowProc hook chain). Raw system windows (the statics
// of message boxes, the scroll arrows of tab controls) are adapted by subclassing their
// window procedure instead. Either way the window is marked with "ACSBSC", its system
// theme is switched off and it is painted from a skin section; removing the skin or
// destroying the window gives it back exactly as it was (procedure, colours, control
// style, theme). Controls whose windows appear later are adapted when their window is
// created. Windows only; user-interface thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/Controls.h"
#include "forms/StdCtrls.h"
#include "skin/controls/acScrollGeometry.h"
#include "skin/paint/sCommonData.h"

namespace sj {

class TBitmap;
class TCustomImageList;

// The window property that marks an adapted window.
inline constexpr const char* AdaptedWindowProperty = "ACSBSC";

// Class-list indexes of the manager's ThirdParty lists that this unit adapts.
inline constexpr int tpEdits = 0;
inline constexpr int tpButtons = 1;
inline constexpr int tpBitBtns = 2;
inline constexpr int tpCheckBoxes = 3;
inline constexpr int tpGroupBoxes = 6;
inline constexpr int tpListViews = 7;
inline constexpr int tpTreeViews = 9;
inline constexpr int tpPageControls = 13;
inline constexpr int tpScrollControls = 18;
inline constexpr int tpUpDowns = 19;

// The list index holding className, or -1 (exact, case-sensitive comparison).
int FindAdapterList(const TsSkinManager& manager, const std::string& className);

// Caption rectangle of a group box: measured caption of textWidth x textHeight.
RECT GroupBoxCaptionRect(int width, int textWidth, int textHeight, bool rightToLeft);

// The caption font of a left (reading upward) or right (reading downward) tab. The
// raster "MS Sans Serif" cannot be turned and gives way to "Arial".
LOGFONTA RotatedTabFont(const LOGFONTA& font, bool rightTabs);

// Which static adapter a raw "Static" window takes by its styles.
enum class TacStaticKind { None, Text, Icon, Edge };
TacStaticKind StaticAdapterKind(LONG style, LONG exStyle);

// The rest of a window's handling behind its adapter: the hook chain of a framework
// control, or the procedure a subclassed window had before.
class TacWndNext {
public:
    explicit TacWndNext(const TWndNext& chain) : chain_(&chain) {}
    TacWndNext(HWND window, WNDPROC previous) : window_(window), previous_(previous) {}
    void operator()(TMessage& message) const;

private:
    const TWndNext* chain_ = nullptr;
    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
};

// The common window adapter: owns the hook on the window's messages while it is adapted
// and answers the skin command protocol.
class TacMainWnd {
public:
    // A framework control: its messages are taken ahead of its own handling.
    TacMainWnd(TWinControl& control, TsSkinManager* manager, TsCommonData& skinData);
    // A raw window: its window procedure is replaced. Without skinData the adapter makes
    // and owns its own, set to section.
    TacMainWnd(HWND window, const std::string& section, TsSkinManager* manager, TsCommonData* skinData = nullptr);
    virtual ~TacMainWnd();
    TacMainWnd(const TacMainWnd&) = delete;
    TacMainWnd& operator=(const TacMainWnd&) = delete;

    // Takes the window over (theme off, property set, control style saved).
    void Hook();
    // Gives the window back; safe to call twice and from inside the adapter's own hook.
    void Unhook();
    bool Destroyed() const { return destroyed_; }
    bool IsHooked() const { return hooked_; }
    HWND Handle() const { return window_; }
    // Windows of system dialogs: system colours, plain one-pixel borders.
    bool DialogMode = false;
    // Only for adapters of framework controls.
    TWinControl& Control() const { return *control_; }
    TsCommonData& SkinData() const { return *skinData_; }

protected:
    virtual void InitHook() {}
    // After the window is taken over (its procedure is the adapter's).
    virtual void AfterHook() {}
    virtual void RestoreHook() {}
    virtual void ApplySkinHook() { skinApplied_ = true; }
    virtual void WindowProc(TMessage& message, const TacWndNext& next);
    // Renders the face into the skin data's cache; false when nothing was painted.
    virtual bool PaintFace() { return false; }

    bool Skinned() const;
    bool Enabled() const;
    bool HasControl() const { return control_ != nullptr; }
    TsSkinManager* Manager() const { return skinData_->SkinManager(); }
    // The window's top-left in its parent's client area.
    POINT PositionInParent() const;
    // The cache at the window's full size.
    void PrepareCache();
    // The whole cache copied to dc (the window's own DC when dc is null).
    void CopyFace(HDC dc);
    // Paint cycle of WM_PAINT: face rebuilt, copied, graphic children painted on top.
    void PaintWindowFromFace(TMessage& message);
    // Section face over the parent's backdrop into the whole (freshly sized) cache.
    bool RenderSectionFace(int state);
    // Redraw suspended around the standard handling of a state change, then repainted.
    void PassWithoutRedraw(TMessage& message, const TacWndNext& next);
    // Invalidated, erased and painted before returning.
    void RedrawNow();
    // The pointer left the window: it stops being the manager's hot window.
    void ReportPointerLeft();
    TBackdropRef ParentBackdrop();
    void DrawCaption(TBitmap& cache, const std::string& text, const RECT& rect, UINT flags, bool hot);
    // The window's font: the control's, or the one a raw window was given.
    void AssignFont(TCanvas& canvas) const;
    std::string WindowText() const;

    bool skinApplied_ = false;

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void HookControl();
    void SubclassRawWindow();
    void RestoreWindowProc();
    bool KeepsTheme() const;
    void PaintGraphicChildren(HDC dc);
    void AnswerSkinCommand(TMessage& message, const TacWndNext& next);

    TWinControl* control_ = nullptr;
    TsSkinManager* manager_;
    std::unique_ptr<TsCommonData> ownData_;
    TsCommonData* skinData_;
    HWND window_ = nullptr;
    TWindowProcHook hook_;
    WNDPROC previous_ = nullptr;
    std::string text_;
    TControlStyle savedStyle_ = 0;
    bool hooked_ = false;
    bool destroyed_ = false;
};

// One skinned scroll bar of an adapted window. The window keeps its scroll information;
// the bar reads it and drives the window with the standard scroll messages.
struct TacScrollBar {
    int Kind = sbKindHorz;
    TacScrollRange Info;
    int StyleFlags = 0; // 8 when the window's style asks for the bar
    bool Shown = false; // space reserved in the non-client area
    int ArrowLengthSetting = -1;
    int ThicknessSetting = -1;
    int MinThumbSize = DefaultMinThumbSize;
};

// The one scroll interaction of the process (a press or a hover over a bar).
struct TacScrollInteraction {
    HWND TrackedWindow = nullptr;
    int PressBarKind = -1;
    int PressedPart = spNoPart;
    int PressedLookPart = spNoPart;
    int LastMovePart = spNoPart;
    UINT ScrollMessage = 0;
    UINT_PTR RepeatTimer = 0;
    int LastTrackPos = 0;
    RECT TrackRect{};
    int TrackThumbSize = 0;
    int TrackThumbPos = 0;
    int DragOffset = 0;
    int HoverBarKind = -1;
    RECT HoverRect{};
    int HoverPart = spNoPart;
    int LastHoverPart = spNoPart;
    UINT_PTR HoverTimer = 0;
};
const TacScrollInteraction& ScrollInteraction();

// Skin commands around each scroll message the bars send (lParam: code in the low word,
// message in the high word). A window answering the first with 1 gets the full 32-bit
// position in lParam.
inline constexpr WORD scBeforeScroll = 51;
inline constexpr WORD scAfterScroll = 52;
// Renders the window's non-client face into its cache.
inline constexpr WORD scRenderFace = 23;

// A window whose scroll bars the skin paints: the system's bars leave the non-client
// layout and two skinned bars take their space, painted, hit-tested and operated here.
class TacScrollWnd : public TacMainWnd {
public:
    TacScrollWnd(TWinControl& control, TsSkinManager* manager, TsCommonData& skinData);
    TacScrollWnd(HWND window, const std::string& section, TsSkinManager* manager, TsCommonData* skinData = nullptr);
    ~TacScrollWnd() override;

    const TacScrollBar& HorzBar() const { return horz_; }
    const TacScrollBar& VertBar() const { return vert_; }
    bool VertBarAtLeft() const { return vertAtLeft_; }
    const TacEdges& Edges() const { return edges_; }
    bool DraggingThumb() const { return draggingThumb_; }

    int BarThicknessOf(const TacScrollBar& bar) const;
    // The painted arrow length; hit testing and dragging use the same.
    int ArrowLengthOf(const TacScrollBar& bar) const;
    // Screen rectangles of the bars and of the corner square.
    TacBarRects BarRects() const;
    RECT HorzBarRect() const;
    RECT VertBarRect() const;
    bool BarEnabled(const TacScrollBar& bar) const;
    TacThumb ThumbOf(const TacScrollBar& bar, const RECT& rect) const;
    int PartAt(const TacScrollBar& bar, const RECT& rect, POINT screen) const;
    bool SitsInParentCorner() const;

    void PaintScrollBars(HDC dc = nullptr);
    void RefreshScrollBars(bool repaint);
    // The bars repainted at the next paint cycle (many changes, one paint).
    void InvalidateBars();

protected:
    void AfterHook() override;
    void RestoreHook() override;
    void WindowProc(TMessage& message, const TacWndNext& next) override;
    // What lies behind the bars: the window's own face when it has one of its size.
    virtual TBackdropRef BarBackdrop();
    void SendScroll(UINT message, int code, int position);
    bool SendingScroll() const { return sendingScroll_; }

private:
    // The frame around the client area as the window has it now.
    TacEdges MeasuredEdges() const;
    void Layout(TMessage& message, const TacWndNext& next);
    void ReadInfo(TacScrollBar& bar) const;
    TacScrollBar& BarOfKind(int kind) { return kind == sbKindHorz ? horz_ : vert_; }
    RECT RectOfKind(int kind) const { return kind == sbKindHorz ? HorzBarRect() : VertBarRect(); }
    RECT ToWindow(const RECT& screen) const;
    void PaintBar(TacScrollBar& bar, const RECT& windowRect, int pressedLook, HDC dc = nullptr);
    void PaintArrow(TBitmap& barBitmap, const TacScrollBar& bar, const TacRect& area, bool first, int state,
                    const TBackdropRef& barBackdrop);
    void PaintThumb(TBitmap& barBitmap, const TacScrollBar& bar, const TacRect& area, int state);
    void PaintCorner(HDC dc);
    void HitTest(TMessage& message, const TacWndNext& next);
    void Hover(int hitCode);
    void HoverTick();
    void Press(TMessage& message, const TacWndNext& next);
    void MouseMove(POINT screen);
    void Drag(POINT screen);
    void Release();
    void RepeatTick(UINT_PTR id);
    void EndInteraction();
    void ResetFrame();

    TacScrollBar horz_;
    TacScrollBar vert_;
    bool vertAtLeft_ = false;
    TacEdges edges_;
    bool draggingThumb_ = false;
    bool styleChangeBlocked_ = false;
    bool sendingScroll_ = false;
    bool closing_ = false;
};

// Between the edit kind and the scroll bars: the frame face follows size changes and the
// bars follow scrolling.
class TacBaseWnd : public TacScrollWnd {
public:
    using TacScrollWnd::TacScrollWnd;

protected:
    void WindowProc(TMessage& message, const TacWndNext& next) override;
};

class TacEditWnd : public TacBaseWnd {
public:
    using TacBaseWnd::TacBaseWnd;
    // The colours come back while this object's restore hook still exists.
    ~TacEditWnd() override { Unhook(); }

protected:
    void InitHook() override;
    void RestoreHook() override;
    void ApplySkinHook() override;
    void WindowProc(TMessage& message, const TacWndNext& next) override;
    TBackdropRef BarBackdrop() override;
    // Renders the frame face into the cache (window size); false without a face.
    bool RenderFrameFace();
    int State() const;
    // The section colour the window shows (system window colour in dialog mode).
    TColor SectionColor(bool hotAllowed) const;
    void PaintBorder(HDC dc = nullptr);

private:
    TColor savedColor_ = clWindow;
    TColor savedFontColor_ = clWindowText;
};

class TacListViewWnd : public TacEditWnd {
public:
    TacListViewWnd(TWinControl& control, TsSkinManager* manager, TsCommonData& skinData);
    TacListViewWnd(HWND window, const std::string& section, TsSkinManager* manager, TsCommonData* skinData = nullptr);
    ~TacListViewWnd() override;

    HWND HeaderWindow() const { return header_; }
    int HeaderHotItem() const { return headerHot_; }
    int HeaderDownItem() const { return headerDown_; }
    int HeaderLineHeight() const { return headerLineHeight_; }
    // 0 icons, 1 small icons, 2 list, 3 report.
    int ViewKind() const;
    // Paints the header into dc (the header's own DC when null) in report view.
    void PaintHeader(HDC dc = nullptr);

protected:
    void InitHook() override;
    void AfterHook() override;
    void RestoreHook() override;
    void ApplySkinHook() override;
    void WindowProc(TMessage& message, const TacWndNext& next) override;

private:
    static LRESULT CALLBACK HeaderProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HeaderMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void HookHeader(HWND header);
    void UnhookHeader();
    void PaintHeaderItem(HDC dc, int index, const RECT& rect);
    int HeaderItemAt(POINT client) const;
    TColor ListColor() const;
    void ThumbTrack(TMessage& message, bool vertical);

    HWND header_ = nullptr;
    WNDPROC headerPrevious_ = nullptr;
    int headerHot_ = -1;
    int headerDown_ = -1;
    int headerLineHeight_ = 0;
    COLORREF savedBack_ = CLR_NONE;
    COLORREF savedTextBack_ = CLR_NONE;
    COLORREF savedText_ = CLR_NONE;
    bool colorsSaved_ = false;
};

class TacTreeViewWnd : public TacEditWnd {
public:
    using TacEditWnd::TacEditWnd;
    ~TacTreeViewWnd() override { Unhook(); }

protected:
    void InitHook() override;
    void RestoreHook() override;
    void ApplySkinHook() override;
    void WindowProc(TMessage& message, const TacWndNext& next) override;

private:
    COLORREF savedBack_ = static_cast<COLORREF>(-1);
    COLORREF savedText_ = static_cast<COLORREF>(-1);
};

class TacGroupBoxWnd : public TacMainWnd {
public:
    using TacMainWnd::TacMainWnd;
    // Caption rectangle in the control's font (valid after a paint or on demand).
    RECT CaptionRect();

protected:
    void RestoreHook() override;
    void WindowProc(TMessage& message, const TacWndNext& next) override;
    bool PaintFace() override;
};

class TacCheckBoxWnd : public TacMainWnd {
public:
    using TacMainWnd::TacMainWnd;

protected:
    void WindowProc(TMessage& message, const TacWndNext& next) override;
    bool PaintFace() override;

private:
    bool IsRadio() const;
    bool Pushed() const;
    bool Hot() const;
    SIZE GlyphSize(int itemIndex) const;
    void PaintGlyph(TBitmap& cache, int itemIndex, const RECT& rect);
};

class TacBtnWnd : public TacMainWnd {
public:
    using TacMainWnd::TacMainWnd;

protected:
    void WindowProc(TMessage& message, const TacWndNext& next) override;
    bool PaintFace() override;

private:
    int State() const;
    bool Pushed() const;
};

// The arrow buttons of an up-down window (the scroll arrows a tab control shows when its
// tabs do not fit), painted from the section's faces by hover and press.
class TacSpinWnd : public TacMainWnd {
public:
    TacSpinWnd(HWND window, const std::string& section, TsSkinManager* manager);
    // An up-down control of a form, listed with the up-downs.
    TacSpinWnd(TWinControl& control, TsSkinManager* manager, TsCommonData& skinData);

protected:
    void WindowProc(TMessage& message, const TacWndNext& next) override;
    bool PaintFace() override;

private:
    enum TPart { spNone = -1, spFirst = 0, spSecond = 1 };
    bool Horizontal() const;
    RECT PartRect(int part) const;
    int PartAt(LPARAM point) const;
    int PartState(int part) const;
    void PaintPart(TBitmap& cache, int part, const TBackdropRef& backdrop);
    void SetParts(int hot, int pressed);
    void PaintToDC(HDC dc);

    int hotPart_ = spNone;
    int pressedPart_ = spNone;
};

// A page of an adapted page control: shows the page control's face behind its children.
class TacPageWnd : public TacMainWnd {
public:
    TacPageWnd(TWinControl& page, TsSkinManager* manager, std::unique_ptr<TsCommonData> skinData,
               class TacPageControlWnd& owner);

protected:
    void WindowProc(TMessage& message, const TacWndNext& next) override;

private:
    void PaintBackground(HDC dc);
    void AnswerBackdrop(TBackdropQuery& query);

    std::unique_ptr<TsCommonData> ownData_;
    TacPageControlWnd& owner_;
};

class TacPageControlWnd : public TacMainWnd {
public:
    using TacMainWnd::TacMainWnd;
    ~TacPageControlWnd() override;

    // The face with the tabs, rendered when stale; null when there is none.
    TBitmap* Face();
    // Sections the body and the tabs use for the control's tab position.
    std::string BodySection() const;
    std::string TabSection() const;
    int PageCount() const { return static_cast<int>(pages_.size()); }

protected:
    void RestoreHook() override;
    void WindowProc(TMessage& message, const TacWndNext& next) override;
    bool PaintFace() override;

private:
    void AttachPages();
    void AttachSpin();
    void PaintTab(TBitmap& cache, int index, const RECT& rect, bool selected);
    TCustomImageList* TabImages(int imageIndex) const;
    void PaintTabContent(TBitmap& cache, const char* text, int imageIndex, const RECT& inner, std::int32_t section,
                         bool selected);
    void PaintSideTabContent(TBitmap& cache, const char* text, int imageIndex, const RECT& inner, std::int32_t section,
                             bool selected);
    void PaintToDC(HDC dc);

    std::vector<std::unique_ptr<TacPageWnd>> pages_;
    std::unique_ptr<TacSpinWnd> spin_;
};

// A raw static text window (message box texts): the section face with the window text
// in the system's message font. Statics with WS_TABSTOP or WS_EX_STATICEDGE keep the
// system's painting.
class TacStaticWnd : public TacMainWnd {
public:
    TacStaticWnd(HWND window, const std::string& section, TsSkinManager* manager, TsCommonData* skinData = nullptr);

protected:
    void WindowProc(TMessage& message, const TacWndNext& next) override;
    // Paints into dc, or into the window's own DC when dc is null.
    virtual void Paint(HDC dc);
    // Draws the content into the face cache; false: there is nothing to copy.
    virtual bool DrawContent();

    // The section face over the parent's backdrop at the window's size.
    bool RenderFace();
    bool PaintsItself() const;
};

// A raw icon or bitmap static: the image over the section face.
class TacIconWnd : public TacStaticWnd {
public:
    using TacStaticWnd::TacStaticWnd;

protected:
    bool DrawContent() override;

private:
    bool DrawIcon();
    bool DrawBitmap();

    // The control's own bitmap, asked once; never freed here.
    HBITMAP bitmap_ = nullptr;
    bool bitmapAsked_ = false;
};

// A raw icon or bitmap static with WS_EX_STATICEDGE: the system paints the image, the
// skin paints a 2-pixel ring around it.
class TacEdgeWnd : public TacStaticWnd {
public:
    using TacStaticWnd::TacStaticWnd;

protected:
    void WindowProc(TMessage& message, const TacWndNext& next) override;
    void Paint(HDC dc) override;
};

// A container window inside a skinned dialog (a nested dialog, the folder browser's
// pane): shows its parent's background behind its children.
class TacTransPanelWnd : public TacMainWnd {
public:
    TacTransPanelWnd(HWND window, const std::string& section, TsSkinManager* manager);

protected:
    void WindowProc(TMessage& message, const TacWndNext& next) override;

private:
    void Paint(HDC dc);
};

// The adapter a raw "Static" window takes by StaticAdapterKind: the edge kind with
// section "EDIT", the icon and text kinds with "CHECKBOX". None for the kinds left
// standard, a window that is not a static or is skinned already. The adapter is hooked;
// freeing it gives the window back.
std::unique_ptr<TacStaticWnd> AttachStaticAdapter(HWND window, TsSkinManager* manager);
// Gives back a raw static window taken over by AttachStaticAdapter; the adapter object
// stays with its owner. Nothing for other windows.
void DetachStaticAdapter(HWND window);

class TacCtrlAdapter;

// One adapted control: its own skin data and its window adapter while the window lives.
class TacAdapterItem {
public:
    TacAdapterItem(TacCtrlAdapter& adapter, TWinControl& control);
    ~TacAdapterItem();
    TacAdapterItem(const TacAdapterItem&) = delete;
    TacAdapterItem& operator=(const TacAdapterItem&) = delete;

    // Attaches the window adapter the manager's lists choose; nothing when the control
    // has no window or parent, carries tag -98, or is skinned already.
    void DoHook();
    TWinControl* Control() const { return control_; }
    TacMainWnd* WindowAdapter() const { return windowAdapter_.get(); }
    TsCommonData& SkinData() { return skinData_; }
    bool AdapterLive() const { return windowAdapter_ && !windowAdapter_->Destroyed(); }
    // The control has its window and still no window adapter: none will come (its class
    // has no adapter kind, or something else skins it).
    bool Unadaptable() const { return control_ != nullptr && control_->HandleAllocated() && !AdapterLive(); }

private:
    void Watch(TMessage& message, const TWndNext& next);

    TacCtrlAdapter& adapter_;
    TWinControl* control_;
    TsCommonData skinData_;
    std::unique_ptr<TacMainWnd> windowAdapter_;
    // Follows window creation and new skins, also while no window adapter is attached.
    TWindowProcHook watcher_;
};

class TacCtrlAdapter : public TComponent {
    SJ_CLASS(TacCtrlAdapter, TComponent)

public:
    explicit TacCtrlAdapter(TsSkinManager* manager);
    ~TacCtrlAdapter() override;

    TsSkinManager* Manager() const;
    // Adapts container and everything in it; runs only with srThirdParty.
    void AddAllItems(TWinControl& container);
    bool IsControlSupported(TComponent& component) const;
    // The item for control (existing or new), or none when the control is not adapted.
    TacAdapterItem* AddNewItem(TWinControl& control, const std::string& section = {});
    TacAdapterItem* ItemOf(const TControl* control) const;
    int ItemCount() const { return static_cast<int>(items_.size()); }
    void CleanItems();
    void RemoveAllItems();
    // Labels made transparent in the skin's text colour; given back on skin removal.
    void RestoreLabels();
    // Asked for every control the walk would adapt: whether it may be, and with which
    // section (empty: the one its class gets).
    std::function<void(TComponent* item, bool& canBeAdded, std::string& skinSection)> OnSkinItem;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void AdaptLabel(TLabel& label);
    void AddChildren(TWinControl& container);

    struct TSavedLabel {
        TLabel* Label;
        bool Transparent;
        TColor FontColor;
    };
    TsSkinManager* manager_;
    std::vector<std::unique_ptr<TacAdapterItem>> items_;
    std::vector<TSavedLabel> labels_;
    bool walking_ = false;
};

// Until forms get a full skin provider: paints the form's client area from the "FORM"
// section, answers its controls' backdrop and colour questions from that face and owns
// the form's control adapter.
class TacFormSkinOwner {
public:
    TacFormSkinOwner(TWinControl& form, TsSkinManager* manager);
    ~TacFormSkinOwner();
    TacFormSkinOwner(const TacFormSkinOwner&) = delete;
    TacFormSkinOwner& operator=(const TacFormSkinOwner&) = delete;

    TacCtrlAdapter& Adapter() { return *adapter_; }
    // The client face as last painted (may be empty before the first paint).
    TBitmap* Face() { return face_.get(); }

private:
    void Watch(TMessage& message, const TWndNext& next);
    bool Active() const;
    bool IsAdaptable(TWinControl& control) const;
    void RenderFace();
    TColor FormColor() const;

    TWinControl& form_;
    TsSkinManager* manager_;
    std::unique_ptr<TacCtrlAdapter> adapter_;
    std::unique_ptr<TBitmap> face_;
    TWindowProcHook hook_;
};

} // namespace sj
