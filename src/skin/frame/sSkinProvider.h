// The skinned window frame of a form. A provider placed on a form takes over the
// form's non-client area: it paints frame, caption strip, caption text and title
// buttons from the active skin into one frame cache and copies pieces of it to the
// window, answers the non-client hit test, cuts the frame's clear corners away with a
// window region, paints the client background and answers its controls' backdrop
// questions from the cache, owns the control adapter of the form, snaps the form to
// the work area's edges and shows the skinned window menu with the skin choice. Title
// buttons cross-fade between their states in a popup over the frame and, where the
// skin and the manager allow it, glow while hot; hovered controls glow through the
// same glow windows.
// The system keeps its own frame metrics; the skin is painted into that area.
// Windows only; user-interface thread only.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/Forms.h"
#include "forms/Menus.h"
#include "forms/StdCtrls.h"
#include "skin/controls/acSBUtils.h"
#include "skin/data/sSkinModel.h"
#include "skin/frame/sFade.h"
#include "skin/paint/sCommonData.h"
#include "skin/paint/sTextPaint.h"

namespace sj {

class TsSkinProvider;

// One title button: its state (0 normal, 1 hot, 2 pressed), its skin image item and
// its place in frame-cache coordinates.
struct TitleButtonRecord {
    int State = 0;
    std::int32_t ImageIndex = -1;
    RECT Rect{};
    std::int32_t GlowId = -1;
    int HitCode = 0;
    bool BigAlignment = false;

    bool Placed() const { return Rect.right > Rect.left; }
};

// Where the title buttons go, computed without a window. All positions are in
// frame-cache coordinates.
struct TTitleButtonGeometry {
    int CacheWidth = 0;
    int RightMargin = 0; // extended-border margin on the right
    int FrameBorder = 0; // FrameBorderWidth (with the skin's value when extended)
    int BIRight = 0;     // skin: right margin of the button block
    int BISpace = 0;     // skin: gap between big buttons
    bool BigSet = true;  // single or sizeable border
    int CenterLine = 0;  // caption centre line
    int AlignedTop = -1; // top of big buttons hanging from the top (BIVALIGN 1), else -1
};
// Places visible buttons right to left in the order given (close first); invisible
// ones get an empty rectangle. Answers the width of the block.
struct TTitleButtonSize {
    bool Visible = false;
    int Width = 21;
    int Height = 21;
};
int LayoutTitleButtonRow(const TTitleButtonGeometry& geometry, const std::vector<TTitleButtonSize>& sizes,
                         std::vector<RECT>& rects);

// Screen snapping: the new position (x, y) of a window of the given size moved inside
// `area`, snapped to the edges closer than `buffer` (strictly), with the margins m
// (sides and bottom) and n (top) that lie outside the visible frame.
POINT SnapToArea(POINT position, SIZE size, const RECT& area, int buffer, int m, int n);

// The runs of key-coloured (0x00FF00FF) pixels in the rows [firstRow, firstRow + rows)
// and columns [firstColumn, firstColumn + columns) of an item frame, as one-pixel high
// rectangles moved by (dx, dy).
void CollectKeyRuns(const TacPixmap& image, int firstColumn, int columns, int firstRow, int rows, int dx, int dy,
                    std::vector<RECT>& runs);

// The clear pixels of a frame border image's corners on a frame of width x height, as
// one-pixel high runs: the top corners always, the bottom ones when asked (a title's
// image has none). The window region leaves them out.
void CollectFrameCornerRuns(TsSkinModel& model, std::int32_t bordersIndex, int width, int height, bool bottom,
                            std::vector<RECT>& runs);

// The skinned window menu: restore, move, size, minimise, maximise, the system menu's
// own extra items, close; with the provider's MakeSkinMenu the "Available skins"
// sub-menu at the top.
class TsSystemMenu : public TPopupMenu {
    SJ_CLASS(TsSystemMenu, TPopupMenu)

public:
    TsSystemMenu(TsSkinProvider& provider, TCustomForm& form);

    bool VisibleClose() const;
    bool VisibleMax() const;
    bool VisibleMin() const;
    bool EnabledMax() const;
    bool EnabledMin() const;
    bool EnabledRestore() const;

    // Rebuilds the items from the window's system menu.
    void Rebuild();
    // Visible and enabled items by the form's border and state.
    void UpdateItems(bool rebuild = false);
    // Replaces the skin sub-menu by one listing the manager's skins.
    void MakeSkinItems();
    // The skin sub-menu, or null.
    TMenuItem* SkinItem() const;
    // Items copied from the window's own system menu.
    int ExtraCount() const { return extraCount_; }

private:
    TMenuItem* AddStandardItem(const char* name, UINT command, const char* fallback);
    void SendCommand(UINT command);
    std::string SystemCaption(UINT command, const char* fallback, std::string* shortcut = nullptr) const;
    bool Bordered(TFormBorderStyle style) const;

    TsSkinProvider& provider_;
    TCustomForm& form_;
    TMenuItem* restore_ = nullptr;
    TMenuItem* move_ = nullptr;
    TMenuItem* size_ = nullptr;
    TMenuItem* minimize_ = nullptr;
    TMenuItem* maximize_ = nullptr;
    TMenuItem* close_ = nullptr;
    int extraCount_ = 0;
    bool built_ = false;
};

// Skin choice from the window menu: the caption of an "Available skins" item with its
// accelerator marks taken out ("&&" stands for "&"), cut after the internal-skin suffix.
std::string SkinNameFromMenuCaption(const std::string& caption);

// The title's TITLEBAR strip behind the title buttons: as wide as the button block
// plus twice the image item's frame width, ending at the frame cache's right edge.
TacRect TitleBarStripRect(int cacheWidth, int top, int bottom, int buttonBlockWidth, int itemFrameWidth);

enum class TsGripMode { gmNone, gmRightBottom };
enum class TsResizeMode { rmStandard, rmBorder };

// A user title button: a glyph left of the system buttons, over the skin's TITLEBUTTON
// face when UseSkinData is set. Its hit code is 1000 + its index in the collection.
// Changing how it looks repaints the frame at once.
class TsTitleButtons;
class TsTitleButton {
public:
    explicit TsTitleButton(TsTitleButtons& owner);
    ~TsTitleButton();
    TsTitleButton(const TsTitleButton&) = delete;
    TsTitleButton& operator=(const TsTitleButton&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool UseSkinData() const { return useSkinData_; }
    void SetUseSkinData(bool value);
    // A 32-bit glyph with alpha is blended; any other is drawn with its bottom-left
    // pixel's colour left out.
    TBitmap& Glyph() { return *glyph_; }
    void SetGlyph(const TBitmap& glyph);
    std::string Hint;
    std::string Name = "TsTitleButton";
    // x and y are the screen point of the mouse message.
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

    int Index() const;
    int HitCode() const { return 1000 + Index(); }
    TitleButtonRecord& Record() { return record_; }
    const TitleButtonRecord& Record() const { return record_; }
    // Width in the title: the glyph's + 2, at least the TITLEBUTTON frame's.
    int ButtonWidth(int faceWidth) const;
    // The hint shown while the button is hot, or null.
    HWND HintWindow() const { return hint_; }
    void ShowHint(POINT cursor, const RECT& area);
    void HideHint();

private:
    void Changed();

    TsTitleButtons& owner_;
    std::unique_ptr<TBitmap> glyph_;
    TitleButtonRecord record_;
    HWND hint_ = nullptr;
    bool enabled_ = true;
    bool visible_ = true;
    bool useSkinData_ = true;
};

class TsTitleButtons {
public:
    explicit TsTitleButtons(TsSkinProvider& provider) : provider_(provider) {}
    TsTitleButton& Add();
    int Count() const { return static_cast<int>(items_.size()); }
    TsTitleButton& Items(int index) const { return *items_.at(static_cast<std::size_t>(index)); }
    int IndexOf(const TsTitleButton& button) const;
    void Delete(int index);
    void Clear();
    TsSkinProvider& Provider() const { return provider_; }

private:
    TsSkinProvider& provider_;
    std::vector<std::unique_ptr<TsTitleButton>> items_;
};

// The caption's own icon instead of the form's. Width and Height 0 take the size from
// the caption height.
struct TsTitleIcon {
    std::unique_ptr<TBitmap> Glyph = std::make_unique<TBitmap>();
    int Width = 0;
    int Height = 0;
    bool Visible = true;
};

// The icon size a caption strip of `captionHeight` pixels gets.
constexpr int TitleIconSize(int captionHeight) {
    return captionHeight <= 8 ? 1 : captionHeight <= 16 ? 8 : 16;
}

// Where a user button's hint goes: 8 right and 16 below the cursor, moved back inside
// the area when it would leave it on the right or at the bottom.
POINT TitleHintPosition(POINT cursor, SIZE size, const RECT& area);

// A user button's glyph at (x, y): blended by its alpha when it has any, else every
// pixel but those of its bottom-left pixel's colour is copied opaque.
void DrawTitleGlyph(TacPixelsView target, int x, int y, TacPixelsView glyph);

// Where an outline move (HTCAPTION) or resize (a border code) puts the window rectangle
// `from` when the mouse moved by (dx, dy); a resize keeps at least `minimum`.
RECT OutlineRect(const RECT& from, int hitCode, int dx, int dy, SIZE minimum);

// The cursor over a part of the extended frame (a hit code).
LPCSTR FrameCursor(int hitCode);

// The title icon's glyph over `place`, stretched to it: blended by its alpha when it
// has any, else magenta is left out and the rest made opaque.
void DrawTitleIconGlyph(TacPixelsView target, const RECT& place, TacPixelsView glyph);

// A stretch of a sizeable form by a double-click on an edge of its extended frame: to
// the whole area along that axis, and back on a second double-click.
struct TEdgeStretch {
    int Start = 0;  // left or top
    int Extent = 0; // width or height
};
// The stretched place along one axis: the area less the frame parts (before, after)
// that lie outside the window.
TEdgeStretch StretchedPlace(int areaStart, int areaExtent, int before, int after);

// Where a form goes when maximised inside `area` (the work area, or the whole monitor
// for a stay-on-top form): its frame of frameWidth pixels lies beyond the area's edges,
// and a title taller than the system's by `growth` pixels pushes the top down.
struct TMaximizedPlacement {
    POINT Position{};
    SIZE Size{};
};
TMaximizedPlacement MaximizedPlacement(const RECT& area, int frameWidth, int growth);

// The constant alpha of step `step` out of `steps` of a title-button fade:
// min(255 div steps * step, 255); fully opaque without steps.
constexpr BYTE FadeStepAlpha(int steps, int step) {
    if (steps <= 0)
        return 255;
    const long long alpha = static_cast<long long>(255 / steps) * (step < 0 ? 0 : step);
    return static_cast<BYTE>(alpha < 255 ? alpha : 255);
}

// The cross-fade of one title button to a new state. The frame for the new state (the
// caption behind the button with the state's image on it) is shown in a layered popup
// just above the form, whose constant alpha rises by one step every 12 ms: 10 steps to
// hot, 1 to pressed. Back to normal the same frame fades out again and the popup goes.
// The frame cache already shows the final state; the window under the popup is given
// it when the fade-in ends, and at once when fading back out. Owned by the provider.
class TacSBAnimation {
public:
    static constexpr UINT Interval = 12;
    static constexpr int FadeSteps = 10;

    TacSBAnimation(TsSkinProvider& owner, int hitCode);
    ~TacSBAnimation();
    TacSBAnimation(const TacSBAnimation&) = delete;
    TacSBAnimation& operator=(const TacSBAnimation&) = delete;

    // Starts the change to state (0 normal, 1 hot, 2 pressed); the same target again
    // changes nothing.
    void Start(int state);
    // Ends the animation at once: timer off, popup and frame freed, target -1.
    void Stop();

    // -1 when idle.
    int Target() const { return target_; }
    bool Active() const { return target_ >= 0; }
    // -1 after the last step of a fade-in.
    int Steps() const { return steps_; }
    bool TimerRunning() const { return timerRunning_; }
    // The popup, or null.
    HWND Window() const { return window_; }

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void Tick();
    bool BuildFrame();
    bool EnsureWindow();
    void ReleaseWindow();
    void PlaceAboveForm();
    void ShowFrame(BYTE alpha);
    void SetTimerRunning(bool running);
    void FinishFadeIn();

    TsSkinProvider& owner_;
    int hitCode_;
    int target_ = -1;
    int step_ = 0;
    int steps_ = 0;
    int shownAlpha_ = -1; // of the frame now shown, -1 none
    bool fadeIn_ = false;
    bool timerRunning_ = false;
    HWND window_ = nullptr;
    std::unique_ptr<TBitmap> frame_;
    RECT frameRect_{};
};

// The layered window around a skinned form with extended borders: owned by the form,
// directly behind it, it shows the whole frame cache (frame, caption, buttons and the
// shadow ring) with per-pixel alpha, while the form's own window region keeps only its
// client area. Frame input on it goes to the form's provider; clicks on the shadow fall
// through to the window below.
class TacBorderForm {
public:
    explicit TacBorderForm(TsSkinProvider& owner);
    ~TacBorderForm();
    TacBorderForm(const TacBorderForm&) = delete;
    TacBorderForm& operator=(const TacBorderForm&) = delete;

    HWND BorderWindow() const { return window_; }
    // Brings the border window up to date: position and z-order always, the content
    // (UpdateLayeredWindow) when repaint is set or the size changed.
    void UpdateBorderWindow(bool repaint, BYTE alpha = 255);
    void HideBorderWindow();
    // Hands the border window over (to an animation, which frees it): it no longer
    // belongs to the form or answers as a border window. The next update makes a new one.
    HWND TakeWindow();
    // Frees the window only; the next update makes a new one.
    void ReleaseWindow();
    // Hands the frame cache to the border window again: now, or at the end of the
    // update that is running.
    void RefreshContent();
    // Hit code of a point in border-window coordinates, -1 for nothing.
    int BorderWindowHitTest(POINT point) const;
    bool IsOverShadow(POINT point) const;
    // The region the border window takes: all but the form's client area and menu bar.
    HRGN BorderWindowRegion() const;
    // The form's client area and menu bar, which its own window shows.
    RECT FormShownRect() const;
    // Where the border window lies relative to the form's window.
    POINT Offset() const;
    // The frame cache was painted anew: the next update hands it over.
    void MarkContentStale() { contentStale_ = true; }

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void CreateBorderWindow();
    void ApplyRegion();
    POINT ToBorder(LPARAM screenPoint) const;
    LRESULT ForwardToForm(UINT msg, int code, LPARAM lParam);
    void PushContent(POINT position, SIZE size, BYTE alpha);
    void ApplyBlurBehind();
    TBitmap& PictureOf(TBitmap& cache);
    void FollowPlacement();
    // The window the border window goes after in z-order (an active dialog brought up
    // again first), or null where it keeps its place (a dialog-style form, behind
    // which KeepBehindDialogForm holds it).
    HWND PlaceAfter();
    // Directly behind the form, and topmost exactly when the form is.
    bool InZOrderPlace(POINT position) const;
    void KeepBehindDialogForm();
    void DropTopmost();
    void RestoreTopmostForm();

    TsSkinProvider& owner_;
    HWND window_ = nullptr;
    std::unique_ptr<TBitmap> picture_; // what the window was last given
    SIZE shownSize_{};
    RECT placed_{};
    BYTE shownAlpha_ = 255;
    bool busy_ = false;
    bool ordering_ = false; // re-placing itself behind a dialog-style form
    bool punched_ = false;
    bool contentStale_ = false;
    bool blurred_ = false;
};

class TsSkinProvider : public TComponent {
    SJ_CLASS(TsSkinProvider, TComponent)

public:
    explicit TsSkinProvider(TComponent* owner);
    ~TsSkinProvider() override;

    // --- Published ------------------------------------------------------------
    // The setters of what the frame shows repaint it when the form is up.
    TAlignment CaptionAlignment() const { return captionAlignment_; }
    void SetCaptionAlignment(TAlignment value);
    bool MakeSkinMenu = false;
    bool ScreenSnap = false;
    int SnapBuffer = 10;
    bool ShowAppIcon() const { return showAppIcon_; }
    void SetShowAppIcon(bool value);
    bool UseGlobalColor = true;
    bool AllowAnimation = true;
    bool AllowBlendOnMoving = true;
    bool AllowExtBorders() const { return allowExtBorders_; }
    void SetAllowExtBorders(bool value);
    TsGripMode GripMode() const { return gripMode_; }
    void SetGripMode(TsGripMode value);
    TsResizeMode ResizeMode = TsResizeMode::rmStandard;
    // empty: "FORMTITLE"
    const std::string& TitleSkin() const { return titleSkin_; }
    void SetTitleSkin(const std::string& value);
    // empty: "MENULINE"
    const std::string& MenuLineSkin() const { return menuLineSkin_; }
    void SetMenuLineSkin(const std::string& value);
    TFont AddedTitleFont;
    const std::string& AddedTitleText() const { return addedTitleText_; }
    void SetAddedTitleText(const std::string& value);
    // False: the added text alone, without the form's caption.
    bool AddedTitleShowMainCaption() const { return addedTitleShowMainCaption_; }
    void SetAddedTitleShowMainCaption(bool value);
    TsTitleButtons& TitleButtons() { return *titleButtons_; }
    TsTitleIcon& TitleIcon() { return titleIcon_; }
    // The title icon's glyph or size changed: the frame shows it now.
    void TitleIconChanged();
    // Asked first by the extended frame's hit test; a nonzero Result wins.
    std::function<void(TMessage& message)> OnExtHitTest;
    // Whether and with which section the control adapter skins a control.
    std::function<void(TComponent* item, bool& canBeAdded, std::string& skinSection)> OnSkinItem;
    bool DrawNonClientArea() const { return drawNonClientArea_; }
    void SetDrawNonClientArea(bool value);
    TsCommonData& SkinData() { return *skinData_; }
    // Called after a form animation has finished.
    std::function<void(TObject* sender, TacAnimEvent event)> OnAfterAnimation;

    TCustomForm& Form() const { return form_; }
    TsSkinManager* SkinManager() const;
    // A second provider on a form stays inert.
    bool Inert() const { return inert_; }
    bool Skinned() const;

    void Loaded() override;
    void PrepareForm();

protected:
    // A named skin manager that goes leaves the form to the primary one.
    void Notification(TComponent* component, TOperation operation) override;

public:

    // --- Metrics --------------------------------------------------------------
    int FrameBorderWidth(bool useSkin) const;
    int FrameTopBorder(bool useSkin) const;
    int SystemCaptionHeight() const;
    int CaptionHeight(bool useSkin) const;
    int MaximizedTitleHeight() const;
    int TitleGrowth() const;
    int ClientOffsetX() const;
    int ClientOffsetY() const;
    // The menu bar: the height of one of its lines (0 without a shown bar) and how
    // many lines the system wrapped it into, kept until the bar or the size changes.
    int MenuLineHeight() const;
    int MenuLineCount() const;
    // The bar's place in frame-cache coordinates, empty without a bar.
    RECT MenuLineRect() const;
    // The form's menu bar as its window shows it, or null.
    TMainMenu* ShownMainMenu() const;
    // The menu line behind a bar item, for the menu painter: the strip and where the
    // item's top-left lies in it. False when the bar is not skinned.
    bool MenuLineStripFor(const TMenuItem& item, TacPixelsView& strip, POINT& itemOrigin);
    int FormActive() const { return formActive_; }
    bool HasSysButtons() const { return hasSysButtons_; }
    RECT IconRect() const { return iconRect_; }
    int CaptionCenterLine() const { return centerLine_; }
    int ButtonBlockWidth() const { return buttonBlockWidth_; }
    // The title buttons in frame-cache coordinates: minimise, maximise, close, help.
    const TitleButtonRecord& Button(int hitCode) const;
    int HoverCode() const { return hoverCode_; }
    TsSystemMenu* SystemMenu() const { return systemMenu_; }
    TacCtrlAdapter* Adapter() const { return adapter_.get(); }

    // --- Painting ---------------------------------------------------------------
    // Repaints the frame cache when stale; answers whether the cache is usable.
    bool PaintFrame();
    void PaintNonClient(HDC dc);
    void CopyFrameToWindow(HDC dc);
    void CollectClearCorners();
    void UpdateWindowRegion(bool redraw);
    // Whether the form answered the region probe: another owner manages its region.
    bool RegionManagedElsewhere();
    const std::vector<RECT>& ClearCorners() const { return clearCorners_; }
    void PaintClientBackground(HDC dc, bool notifyChildren);
    TBitmap* FrameCache() const { return skinData_->CacheBitmap.get(); }
    // The caption text rectangle as last painted.
    RECT CaptionTextRect() const { return captionTextRect_; }

    // --- Extended borders -----------------------------------------------------
    // Margins of the shadow ring around the visible frame (0 without a border form).
    TsMargins Margins() const;
    TacBorderForm* BorderForm() const { return borderForm_.get(); }
    bool ExtendedBordersAllowed() const;
    void SetExtendedBorders(bool enable);

    // --- Input ------------------------------------------------------------------
    int NonClientHitTest(POINT screen);
    // The size grip's rectangle in frame-cache coordinates, empty when none is shown.
    RECT GripRect() const;
    // The user button of a hit code (1000 + index), or null.
    TsTitleButton* UserButton(int hitCode) const;
    // The last edge double-click's stretch, to go back to on the next one.
    bool Stretched(bool horizontal) const { return horizontal ? stretchedX_ : stretchedY_; }
    // A double-click on an edge of the extended frame: the form takes the whole area
    // along that axis, or gets its old place back.
    void StretchToArea(int hitCode);
    // With rmBorder: a move or resize that shows an outline and places the window once,
    // at the release. True while one runs.
    bool OutlineDragging() const { return outlining_; }
    RECT OutlineTarget() const { return outlineRect_; }
    void SetHoverButton(int code, bool repaint = true);
    void PressButton(int code);
    void ShowSystemMenuAt(int x, int y);

    // --- Title-button animation and glow --------------------------------------
    // Whether state changes of the title buttons cross-fade.
    bool AnimatesTitleButtons() const;
    // The running or finished animation of a button, or null before its first use.
    TacSBAnimation* ButtonAnimation(int hitCode) const;
    // A repaint of a title button (after a state change by a caller).
    void RepaintButton(int hitCode) { RepaintTitleButton(hitCode); }
    // A button's rectangle on the screen.
    RECT ButtonScreenRect(const TitleButtonRecord& button) const;
    // Ends every button animation; the window shows the buttons from the frame cache.
    void FreeButtonAnimations();

    // --- Minimise, restore and blend on moving --------------------------------------
    // Whether minimising this form flies it to the taskbar now.
    bool MinimizeAnimationWanted() const;
    // The flight to the taskbar; false when it cannot run (then nothing changed).
    bool StartMinimizeAnimation();
    // The flight back after a minimise animation; false when there is none to reverse.
    bool StartRestoreAnimation(bool maximize);
    // The minimise animation, made at the first animated minimise; or null.
    TacMinTimer* MinimizeAnimation() const { return minTimer_.get(); }
    // Whether a caption drag turns the form translucent.
    bool BlendOnMovingWanted() const;
    // The blend of the drag going on, or null.
    TacMoveTimer* MoveAnimation() const { return moveTimer_.get(); }

private:
    friend class TsSystemMenu;
    friend class TacSBAnimation;

    void WindowProc(TMessage& message, const TWndNext& next);
    // Showing, hiding and minimising with their animations; true when handled.
    bool HandleAnimationMessage(TMessage& message, const TWndNext& next);
    bool ShowAnimationWanted() const;
    bool HideAnimationWanted() const;
    void ShowAnimated(TMessage& message, const TWndNext& next);
    // The form goes: its border object without a repaint of the frame meanwhile.
    void DropBorderForm();
    // Desktop composition: the taskbar asks the program for the window's thumbnail and
    // live preview, which show the skinned frame; the main form answers for the
    // application window too, which owns the taskbar button.
    void EnableIconicPreviews();
    void StopIconicPreviews();
    bool AnswerIconicRequest(TMessage& message, HWND window);
    std::unique_ptr<TBitmap> VisibleSnapshot();
    bool HandleSkinCommand(TMessage& message, const TWndNext& next);
    // In an update of its own (and not merely animating): painting waits.
    bool FormBusy() const;
    void HandleNewSkin();
    void HandleRefresh();
    void HandleRemoveSkin();
    bool HandleNonClientMouse(TMessage& message, const TWndNext& next);
    void ReleaseButton(int code, POINT screen);
    // The pointer moved while a title button is held: the hover follows it.
    void FollowPressedPointer(POINT screen);
    // A press whose release went elsewhere (the left button is up again) is over.
    void DropStalePress();
    // Mouse input that a title-button popup was handed, at a screen point.
    void TakePopupMouse(UINT msg, POINT screen);
    void DefaultWithoutRedraw(TMessage& message, const TWndNext& next);
    void Snap(WINDOWPOS& position);
    void AdaptLaterChild(const TMessage& message);

    POINT WindowOrigin() const;
    POINT ToWindow(POINT screen) const;
    // The screen point of a frame-cache point.
    POINT CacheToScreen(POINT cache) const;
    SIZE WindowSize() const;
    bool IsBordered() const;
    bool IsSizeable() const;
    bool IsMaximized() const;
    // A dialog frame (bsDialog): its border window keeps itself behind it.
    bool IsDialogStyle() const;
    // Stay-on-top by its form style or its window's style.
    bool IsTopmost() const;
    // The minimise animation is flying the form to the taskbar.
    bool Minimizing() const;
    bool IsMinimized() const;
    bool BigButtonSet() const;
    int SectionState(std::int32_t sectionIndex) const;
    std::int32_t TitleSectionIndex();
    const TsSkinModel* Model() const;
    TColor FaceColor() const;

    void SelectButtonImages();
    void LayoutTitle();
    void LayoutTitleButtons();
    void PaintFrameFace(TBitmap& cache, const TacRect& frame);
    void PaintTitle(TBitmap& cache);
    void PaintTitleIcon(TBitmap& cache);
    void PaintCaptionText(TBitmap& cache);
    void PaintTitleButtons(TBitmap& cache);
    void PaintTitleButton(TBitmap& cache, const TitleButtonRecord& button);
    void DrawButtonImage(TacPixelsView target, int x, int y, const TitleButtonRecord& button, int state);
    // The animation frame of a button: the caption behind it with the state's image.
    void PaintButtonFrame(TBitmap& frame, const TitleButtonRecord& button, int state);
    void ShowButtonFromCache(const TitleButtonRecord& button);
    TacSBAnimation& AnimationOf(const TitleButtonRecord& button);
    void StopButtonAnimations();
    void UpdateButtonGlow(TitleButtonRecord& button);
    bool KeepsOwnGlow(TitleButtonRecord& button);
    void HideButtonGlows();
    void ClearAllGlows();
    RECT ScreenArea() const;
    void ApplyMaximizedGeometry(MINMAXINFO& info);
    void SaveButtonStrip(TBitmap& cache);
    void RestoreButtonStrip(TBitmap& cache, const RECT& area);
    void RepaintTitleButton(int code);
    void ResetButtons();
    TitleButtonRecord* ButtonOf(int code);
    void RepaintFrameNow();
    void RecolorForm();

    friend class TacBorderForm;
    friend class TsTitleButton;
    friend class TsTitleButtons;
    void TitleButtonsChanged();
    void FrameLooksChanged();
    void LayoutUserButtons(int& cursor, bool bigSet);
    void PaintUserButton(TacPixelsView target, int x, int y, const TsTitleButton& button, int state);
    void UserButtonHotChanged(TsTitleButton& button, bool hot);
    int UserButtonHit(POINT cachePoint) const;
    void PaintGrip(TBitmap& cache);
    void PaintGripTo(HDC dc);
    // The client areas a form that grew to `client` leaves stale are painted again.
    void InvalidateLeftBehind(SIZE client);
    // The menu bar lines and the line under them, 0 without a bar.
    int MenuBandHeight() const;
    bool PaintsMenuLine() const;
    void ForgetMenuLines();
    void HookFormMenu();
    bool BarItemCacheRect(const TMenuItem& item, RECT& rect) const;
    void PaintMenuLine(TBitmap& cache);
    void PaintSystemMenuBar(const TWndNext& next);
    void MenuChanged(TMessage& message, const TWndNext& next);
    bool StartOutlineDrag(int hitCode, POINT screen);
    // Mouse and key input while an outline drag runs; true when taken.
    bool HandleOutlineDrag(TMessage& message);
    void EndOutlineDrag(bool apply);
    void DrawOutline(const RECT& window);
    void PaintCaptionGlow(TBitmap& cache, const std::string& caption, const RECT& text, UINT flags);
    bool RightToLeft() const;
    void PaintExtendedRing(TBitmap& cache);
    // Preview mode.
    void NotePreviewRequest();
    bool IsPreviewForm() const;
    void ForgetPreviewForm() const;
    void AnnounceIfPreview();
    bool HandleLiveSkin(TMessage& message);
    // BORDERMODE 1: the skin's border image is the frame and caption strip too.
    bool RingFramesTheForm() const;
    void UpdateBorder(bool repaint);

    TCustomForm& form_;
    std::unique_ptr<TsCommonData> skinData_;
    std::unique_ptr<TacBorderForm> borderForm_;
    std::unique_ptr<TacCtrlAdapter> adapter_;
    TsSystemMenu* systemMenu_ = nullptr; // owned as a component of this provider
    TWindowProcHook hook_;
    bool inert_ = false;
    bool drawNonClientArea_ = true;
    bool hasSysButtons_ = false;
    bool prepared_ = false;
    int formActive_ = 1;
    bool regionStale_ = true;
    bool titleTallerThanSystem_ = false;
    std::int32_t titleSectionIndex_ = -1;
    std::int32_t captionSectionIndex_ = -1;
    RECT iconRect_{};
    RECT captionTextRect_{};
    int centerLine_ = 0;
    int titleBottom_ = 0;
    int buttonBlockWidth_ = 0;
    std::vector<RECT> clearCorners_;
    std::array<TitleButtonRecord, 4> buttons_{}; // minimise, maximise, close, help
    int hoverCode_ = 0;
    bool buttonPressed_ = false;
    int pressedCode_ = 0; // the button held down; hovering elsewhere does not change it
    bool capturing_ = false;
    std::unique_ptr<TBitmap> buttonStrip_;
    RECT buttonStripRect_{};
    SIZE lastClientSize_{};
    bool regionProbed_ = false;
    bool regionElsewhere_ = false;
    mutable int menuLineCount_ = -1;     // -1: not counted since the bar or the size changed
    std::unique_ptr<TBitmap> menuLineStrip_; // the bar's face without its items
    RECT menuLineRect_{};
    std::array<std::unique_ptr<TacSBAnimation>, 4> animations_{}; // by button slot
    std::array<HWND, 4> glowWindows_{};                           // the glow shown for each slot
    std::vector<std::unique_ptr<TacSBAnimation>> userAnimations_;   // by user button index
    std::unique_ptr<TsTitleButtons> titleButtons_;
    TsTitleIcon titleIcon_;
    TAlignment captionAlignment_ = TAlignment::taLeftJustify;
    bool showAppIcon_ = true;
    bool allowExtBorders_ = true;
    TsGripMode gripMode_ = TsGripMode::gmNone;
    std::string titleSkin_;
    std::string menuLineSkin_;
    std::string addedTitleText_;
    bool addedTitleShowMainCaption_ = true;
    bool stretchedX_ = false, stretchedY_ = false;
    bool outlining_ = false;
    bool outlineShown_ = false;
    int outlineCode_ = 0;
    POINT outlineStart_{};
    RECT outlineFrom_{}, outlineRect_{};
    struct TCaptionGlow {
        TacGrayImage Image;
        std::string Text;
        RECT Place{};
        int Size = 0;
        UINT Flags = 0;
    };
    std::array<TCaptionGlow, 2> captionGlows_{}; // inactive, active
    TEdgeStretch stretchX_, stretchY_;
    int iconicHookId_ = 0; // on the application window, for the main form
    std::unique_ptr<TacMinTimer> minTimer_;
    std::unique_ptr<TacMoveTimer> moveTimer_;
};

void RegisterSkinProviderClasses();

// Preview mode ("/acpreview" as the first parameter): the first form shown registers
// its window with the skin editor, which then sends it live skins (WM_COPYDATA).
inline constexpr UINT SkinEditorMessage = 0xA400;
inline constexpr WPARAM SkinEditorRegisterForm = 3;
bool PreviewMode();
// Sets the process-wide flag and forgets which form registered; the providers set it
// from the command line themselves.
void SetPreviewMode(bool on);

} // namespace sj
