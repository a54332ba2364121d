// Windows the application does not skin itself still take the skin: the default skin
// manager's window-creation hook (WH_CBT, the manager's thread only) looks at every
// top-level window as it is created or activated. Forms without a skin provider get one
// on the fly, system dialogs ("#32770": message boxes, the file dialogs, the folder
// browser) get a skinned frame and adapters on their controls, and the system's popup
// menu windows ("#32768") get a skinned frame, each as the manager's skinning rules and
// SkinnedPopups allow. Every skinned window is recorded with a TacProvider that lives
// exactly as long as its window. Windows only; user-interface thread only.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/Bitmap.h"
#include "forms/Menus.h"
#include "skin/controls/acSBUtils.h"
#include "skin/data/sSkinManager.h"
#include "skin/data/sSkinModel.h"

namespace sj {

class TsSkinProvider;
class TCustomForm;

// At most this many skinned system dialogs are visible at once; a further plain dialog
// stays in the system's look (a file dialog is skinned all the same).
inline constexpr int MaxVisibleSkinnedDialogs = 2;

// Asked before a system dialog is skinned; clearing allowSkinning leaves it alone.
using TacSysDlgInit = std::function<void(HWND dialog, bool& allowSkinning)>;
// The manager's OnSysDlgInit: one per process, since one manager owns the hook.
TacSysDlgInit& SysDlgInitEvent();

// Form classes the hook never gives a provider (filled by the application).
std::vector<std::string>& FormClassesNotSkinned();

// The adapter of a system popup-menu window: the skinned menu painter draws the items,
// this adapter the window's frame ring and background, and shows the window only once
// its skinned frame is there (layered at alpha 0 until its first frame paint).
class TacMnuWnd : public TacScrollWnd {
public:
    TacMnuWnd(HWND window, TsSkinManager* manager);
    ~TacMnuWnd() override;

    // The window has had its skinned frame painted (and its alpha set).
    bool Shown() const { return shown_; }
    // The window was made layered at alpha 0 and waits for its frame paint.
    bool WaitingForFrame() const { return hiddenAtAlphaZero_; }

protected:
    void AfterHook() override {}
    void WindowProc(TMessage& message, const TacWndNext& next) override;

private:
    bool RenderMenuFace();
    void PaintBackground(HDC dc);
    void PaintFrameRing();
    void FinishShowing();
    void WindowGone(TMessage& message, const TacWndNext& next);

    bool shown_ = false;
    bool hiddenAtAlphaZero_ = false;
    bool redrawnOnce_ = false;
};

// The live popup-menu adapters (those whose window still exists).
int LiveMenuAdapterCount();
// The popup-menu adapter of a window, or null.
TacMnuWnd* MenuAdapterOf(HWND window);

// ---- raw common controls of skinned dialogs ----------------------------------------------

// A raw combo box (section "COMBOBOX"): the section face, a drop-down button from
// "COMBOBTN" with an arrow, and the selection of a drop-down list; an editable combo's
// edit paints itself.
class TacDialogComboWnd : public TacMainWnd {
public:
    using TacMainWnd::TacMainWnd;
    // 1 while dropped down, focused or hovered, else 0.
    int State() const;
    RECT ButtonRect() const;

protected:
    void WindowProc(TMessage& message, const TacWndNext& next) override;
    bool PaintFace() override;
};

// The section of a raw tool bar: "BAR" for a wrapping one, else "CHECKBOX".
std::string DialogToolBarSection(HWND toolbar);

// A raw tool bar: the section face behind the buttons the system draws.
class TacDialogToolBarWnd : public TacMainWnd {
public:
    using TacMainWnd::TacMainWnd;

protected:
    void WindowProc(TMessage& message, const TacWndNext& next) override;

private:
    void PaintToDC(HDC dc, const TacWndNext& next);
};

// A raw tab control (section "PAGECONTROL"): the body face by the tabs' side, the tabs
// from "TABTOP" (and the other sides), the selected one in its pressed state.
class TacDialogTabWnd : public TacMainWnd {
public:
    using TacMainWnd::TacMainWnd;
    std::string BodySection() const;
    std::string TabSection() const;
    RECT BodyRect() const;

protected:
    void WindowProc(TMessage& message, const TacWndNext& next) override;
    bool PaintFace() override;

private:
    void PaintTab(TBitmap& cache, int index, const RECT& rect, bool selected);
};

// A raw track bar (section "TRACKBAR"): the section face, the channel in the "EDIT"
// face, the tick marks in the section's text colour and the thumb in the "BUTTON" face
// of its state.
class TacDialogTrackWnd : public TacMainWnd {
public:
    using TacMainWnd::TacMainWnd;

protected:
    void WindowProc(TMessage& message, const TacWndNext& next) override;
    bool PaintFace() override;

private:
    void PaintTicks(TBitmap& cache, const RECT& channel, const RECT& thumb);
};

// A run of a link window's text: plain, or inside <a>...</a>.
struct TacLinkRun {
    std::string Text;
    bool Link = false;
    friend bool operator==(const TacLinkRun&, const TacLinkRun&) = default;
};
std::vector<TacLinkRun> LinkRuns(const std::string& markup);

// A raw link window ("SysLink", section "CHECKBOX"): the section face with the text in
// the section's colour, links underlined in the system's link colour.
class TacDialogLinkWnd : public TacStaticWnd {
public:
    using TacStaticWnd::TacStaticWnd;

protected:
    void WindowProc(TMessage& message, const TacWndNext& next) override;
    bool DrawContent() override;
};

// The size grip of a dialog (a scroll bar with SBS_SIZEGRIP, section "CHECKBOX"): the
// skin's grip image in the corner over the dialog's background.
class TacDialogGripWnd : public TacMainWnd {
public:
    using TacMainWnd::TacMainWnd;

protected:
    void WindowProc(TMessage& message, const TacWndNext& next) override;
    bool PaintFace() override;
};

class TacDialogWnd;

// The skin's shadow ring (or border image) as a nine-slice over the whole target.
void PaintDialogShadowRing(TacPixelsView target, const TsSkinModel& model, bool active);

// The layered window of a skinned dialog's extended borders: a sibling of the dialog
// (owned by the dialog's owner), directly behind it and larger by the manager's margins, it shows the shadow ring
// around the dialog's frame. It never covers the dialog (its region leaves the dialog's
// out) and takes no clicks. Owned by the dialog frame.
class TacDialogBorderForm {
public:
    explicit TacDialogBorderForm(TacDialogWnd& owner);
    ~TacDialogBorderForm();
    TacDialogBorderForm(const TacDialogBorderForm&) = delete;
    TacDialogBorderForm& operator=(const TacDialogBorderForm&) = delete;

    HWND BorderWindow() const { return window_; }
    TsMargins Margins() const;
    // Position and z-order always; the picture (UpdateLayeredWindow) when repaint is set,
    // the size changed or the dialog's activation did.
    void Update(bool repaint);

private:
    bool BuildPicture(TBitmap& frame);
    void ApplyRegion();

    TacDialogWnd& owner_;
    HWND window_ = nullptr;
    TBitmap picture_;
    SIZE shownSize_{};
    bool shownActive_ = false;
    bool busy_ = false;
};

// The window menu of a skinned dialog: restore, move, size, minimise, maximise, a line
// and close (Alt+F4), shown and enabled by the dialog's styles and state.
class TacSystemMenu : public TPopupMenu {
    SJ_CLASS(TacSystemMenu, TPopupMenu)

public:
    TacSystemMenu(TComponent* owner, HWND dialog);

    // Visible and enabled items by the dialog's styles and state.
    void UpdateItems();
    TMenuItem* Item(UINT command) const;

private:
    TMenuItem* AddItem(const char* name, UINT command, const char* caption, const char* shortcut);

    HWND dialog_;
    std::vector<std::pair<UINT, TMenuItem*>> items_;
};

// Title-button slots of a dialog frame.
inline constexpr int dbClose = 0, dbMaximize = 1, dbMinimize = 2, dbHelp = 3;

// The skinned frame of a system dialog: frame, caption strip, caption text and title
// buttons painted as a form's provider paints them, from section "DIALOG" with the
// title from "DIALOGTITLE" (else "FORMTITLE"); the client background is the section's
// face, which the dialog's adapted controls show behind themselves.
class TacDialogWnd : public TacScrollWnd {
public:
    TacDialogWnd(HWND dialog, TsSkinManager* manager);
    ~TacDialogWnd() override;

    struct TButton {
        int HitCode = 0;
        int State = 0;
        std::int32_t ImageIndex = -1;
        RECT Rect{}; // window coordinates
        bool Placed() const { return Rect.right > Rect.left; }
    };

    const TButton& Button(int slot) const { return buttons_[static_cast<std::size_t>(slot)]; }
    std::int32_t TitleSectionIndex() const { return titleIndex_; }
    std::int32_t CaptionSectionIndex() const { return captionIndex_; }
    TacSystemMenu* SystemMenu() const { return systemMenu_.get(); }
    bool Active() const { return active_; }
    // The frame picture (window size), painted when stale; null when nothing can be painted.
    TBitmap* Frame();
    // Where the client area lies in the window.
    POINT ClientOffset() const;
    RECT CaptionTextRect() const { return captionTextRect_; }
    // Hit code of a screen point as the skinned frame answers it.
    int HitTestAt(POINT screen);
    void ShowSystemMenuAt(int x, int y);
    // A control was made inside: it is adapted once its creation is over.
    void RequestChildAdaption();

    // On Windows 6 and later the dialog's own WM_PAINT runs (the background comes with
    // the erase); a dialog holding a list box has the frame paint its client area in
    // WM_PAINT instead.
    bool PaintSuppressed() const { return suppressPaint_; }
    void SetPaintSuppressed(bool value) { suppressPaint_ = value; }

    // The dialog as it looks finished, frame and controls (window size, opaque).
    std::unique_ptr<TBitmap> Snapshot();
    // The manager's DialogShow animation over the dialog, which is not drawn meanwhile;
    // false (and nothing done) when it is not wanted.
    bool AnimateShow();
    // The manager's DialogHide animation of the visible dialog, on a window of its own
    // that outlives the dialog; false when it is not wanted.
    bool AnimateHide();
    bool ShowAnimationWanted() const;
    bool HideAnimationWanted() const;
    // Called when the dialog is about to be shown, or was shown before it was skinned:
    // the show animation is arranged when it is wanted.
    void PrepareShowAnimation();
    bool ShowAnimationPending() const { return showPending_; }

    // The extended borders (shadow) when the manager has them on and the dialog is
    // shown normally; null otherwise.
    TacDialogBorderForm* BorderForm() const { return border_.get(); }
    // Brings the border window in step with the dialog (made or freed as wanted).
    void UpdateBorder(bool repaint);
    // The frame's clear corners (window coordinates), as its window region leaves them out.
    const std::vector<RECT>& ClearCorners() const { return corners_; }

protected:
    void AfterHook() override;
    void RestoreHook() override;
    void WindowProc(TMessage& message, const TacWndNext& next) override;

private:
    void ResolveSections();
    void SelectButtonImages();
    void Layout();
    bool PaintFrame();
    void PaintTitle(TBitmap& cache);
    void PaintCaption(TBitmap& cache);
    void PaintButtons(TBitmap& cache);
    void PaintNonClient(HDC dc);
    void PaintClient(HDC dc);
    void UpdateRegion();
    int SectionState(std::int32_t index) const;
    bool Sizeable() const;
    bool SmallButtons() const;
    int BorderWidth() const;
    int CaptionHeight() const;
    void SetButtonState(int slot, int state);
    bool HandleNonClientMouse(TMessage& message, const TacWndNext& next);
    void AnswerBackdrop(TBackdropQuery& query);
    // Showing and hiding with the manager's dialog animations.
    void HandleShowing(TMessage& message, const TacWndNext& next);
    bool ExtendedBordersWanted() const;
    // The dialog is kept from being drawn (layered at alpha 0) until its show animation,
    // which is posted to run before its first paint.
    void HideUntilAnimated();
    // Drawn again after the show animation (or instead of it).
    void DrawAgain();

    std::int32_t titleIndex_ = -1;
    std::int32_t captionIndex_ = -1;
    std::array<TButton, 4> buttons_{};
    std::unique_ptr<TacSystemMenu> systemMenu_;
    RECT captionTextRect_{};
    int centerLine_ = 0;
    int buttonBlockWidth_ = 0;
    int pressed_ = -1;
    bool active_ = true;
    bool regionStale_ = true;
    bool regionSet_ = false;
    bool adaptionPosted_ = false;
    bool suppressPaint_ = false;
    bool showPending_ = false;
    bool madeLayered_ = false;
    bool framePainted_ = false;
    std::unique_ptr<TacDialogBorderForm> border_;
    std::vector<RECT> corners_;
    bool hiding_ = false;
    SIZE size_{};
};

// One window the hook skinned: a dialog with its frame and control adapters, or a form
// with the provider made for it. Freed when the window is destroyed.
class TacProvider {
public:
    explicit TacProvider(HWND window);
    ~TacProvider();
    TacProvider(const TacProvider&) = delete;
    TacProvider& operator=(const TacProvider&) = delete;

    HWND Window() const { return window_; }
    bool RightToLeft() const { return rightToLeft_; }
    TacDialogWnd* DialogFrame() const { return dialog_.get(); }
    TsSkinProvider* FormProvider() const { return formProvider_; }
    const std::vector<std::unique_ptr<TacMainWnd>>& Adapters() const { return adapters_; }

    // Takes a system dialog over: frame and the adapters of its controls.
    void AttachDialog(TsSkinManager& manager);
    // Gives a form without a provider its own.
    void AttachForm(TCustomForm& form);
    // Adapters for the children of parent not skinned yet (recursively).
    void AdaptChildren(HWND parent, TsSkinManager& manager);
    // The window (or the dialog frame) went; the adapters are given up.
    bool WindowGone() const;
    // A child window is going: its adapter gives it back and goes with it.
    void DropAdapterOf(HWND child);
    // A skin command for the window and its adapters.
    void Broadcast(WORD command, LPARAM lParam);

private:
    void AdaptChild(HWND child, TsSkinManager& manager);

    HWND window_;
    bool rightToLeft_ = false;
    std::unique_ptr<TacDialogWnd> dialog_;
    std::vector<std::unique_ptr<TacMainWnd>> adapters_;
    TsSkinProvider* formProvider_ = nullptr; // owned by the form
};

// Installs the hook's handlers with the skin manager (the default manager then sets the
// hook when it becomes active). Idempotent.
void InstallDialogHook();

// What the hook did, for the curious (tests, the harness).
bool DialogHookSet();
int HookedProviderCount();
TacProvider* HookedProviderOf(HWND window);
// Skinned system dialogs that are visible now.
int VisibleSkinnedDialogs();

// The decision for a window that is not a form of the application, given what the
// hook knows of it.
struct TacDialogCandidate {
    bool IsDialogClass = false; // "#32770"
    bool HasParent = false;     // a child window
    bool HasToolBar = false;    // holds a "ToolbarWindow32" (file dialogs)
    int VisibleSkinned = 0;
};
bool ShouldSkinDialog(const TacDialogCandidate& candidate, TacSkinningRules rules);

// Messages the dialog frame's showing and hiding handle.
bool IsDialogShowingMessage(UINT msg);

} // namespace sj
