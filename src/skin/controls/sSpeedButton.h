// TsSpeedButton: the windowless speed button painted from a skin section. Its face of
// the current state (normal, hot, down) is rendered into the skin data's cache with the
// caption and glyph on it and copied to the parent's canvas; without an active skin it
// draws like the standard speed button. Where the section fades, state changes blend
// from the face shown to the new one.
//
// TsTimerSpeedButton: the auto-repeating arrow of a spin button. Held down, it clicks
// after 400 ms and then every 100 ms while it keeps the mouse; without a glyph it draws
// a small triangle pointing up or down.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "forms/Buttons.h"
#include "forms/Menus.h"
#include "forms/StdCtrls.h"
#include "forms/Timer.h"
#include "skin/controls/sButtonLayout.h"
#include "skin/frame/sFade.h"
#include "skin/paint/sCommonData.h"
#include "skin/paint/sGlyphPaint.h"

namespace sj {

// Which state changes animate.
inline constexpr unsigned aeMouseEnter = 1;
inline constexpr unsigned aeMouseLeave = 2;
inline constexpr unsigned aeMouseDown = 4;
inline constexpr unsigned aeMouseUp = 8;
inline constexpr unsigned aeGlobalDef = 16;

// DisabledGlyphKind bits.
inline constexpr unsigned dgBlended = 1;
inline constexpr unsigned dgGrayed = 2;

enum class TsToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

using TsPaintEvent = std::function<void(TObject* sender, TBitmap& face)>;

class TsSpeedButton : public TSpeedButton {
    SJ_CLASS(TsSpeedButton, TSpeedButton)

public:
    explicit TsSpeedButton(TComponent* owner);
    ~TsSpeedButton() override;

    TsCtrlSkinData& SkinData() { return *FSkinData; }
    unsigned AnimatEvents() const { return FAnimatEvents; }
    void SetAnimatEvents(unsigned value) { FAnimatEvents = value; }
    TsGroupAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TsGroupAlignment value);
    int Blend() const { return FBlend; }
    void SetBlend(int value);
    TsToolButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TsToolButtonStyle value);
    unsigned DisabledGlyphKind() const { return FDisabledGlyphKind; }
    void SetDisabledGlyphKind(unsigned value);
    unsigned DisabledKind() const { return FDisabledKind; }
    void SetDisabledKind(unsigned value);
    bool DrawOverBorder() const { return FDrawOverBorder; }
    void SetDrawOverBorder(bool value);
    TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* value);
    bool Grayed() const { return FGrayed; }
    void SetGrayed(bool value);
    bool Reflected() const { return FReflected; }
    void SetReflected(bool value);
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool value);
    TAlignment TextAlignment() const { return FTextAlignment; }
    void SetTextAlignment(TAlignment value);
    int TextOffset() const { return FTextOffset; }
    void SetTextOffset(int value);
    int Margin() const { return FMargin; }
    void SetMargin(int value);

    TsPaintEvent OnPaint;

    // 2 down, 1 hot, 0 normal.
    virtual int ButtonState();
    // Renders the face of the current state into the skin data's cache.
    virtual void PaintFace();
    // Where glyph and caption go in the current state.
    TsSpeedLayoutResult ContentLayout();
    // Marks the face stale and repaints.
    void RepaintFace();
    // The state blend, or null before the first.
    TsFadeTimer* StateFade() const { return FStateFade.get(); }

protected:
    void Paint() override;
    void WndProc(TMessage& message) override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual void DrawCaption(TBitmap& face);
    virtual void DrawGlyph(TBitmap& face);
    virtual void PaintUnskinned();
    int GlyphWidth();
    int GlyphHeight();
    SIZE CaptionSize();
    bool Skinned() const;

private:
    TCustomImageList* ImageList() const;
    bool HasListGlyph() const;
    int ArrowWidth() const { return FButtonStyle == TsToolButtonStyle::tbsDropDown ? SplitStripWidth : 0; }
    bool FaceIsStale();
    void PaintSeparator(TBitmap& face, const TBackdropRef& backdrop);
    int PaintDropDownStrip(TBitmap& face, const TBackdropRef& backdrop);
    void PaintMainArea(TBitmap& face, const TBackdropRef& backdrop, int state, int width);
    bool HandleSkinCommand(TMessage& message);
    void PointerEntered();
    void PointerLeft();
    // Windowless siblings above the button that overlap it, drawn over the face: the
    // face is also copied outside the parent's paint (fades), which would hide them.
    void PaintOverlappedSiblings(TBitmap& face);
    // Without a skin: the system's themed tool-bar or push button when themes are on.
    void DrawFrame(HDC dc, const RECT& client, bool pushed) override;
    void PaintUnskinnedSeparator();
    bool DropMenu(const TMessage& message);
    // After a state change: a blend from the face shown when the event animates, else
    // a repaint.
    void AnimateState(unsigned event);

    std::unique_ptr<TsCtrlSkinData> FSkinData;
    std::unique_ptr<TsFadeTimer> FStateFade;
    unsigned FAnimatEvents = aeGlobalDef;
    TsGroupAlignment FAlignment = TsGroupAlignment::taCenter;
    int FBlend = 0;
    TsToolButtonStyle FButtonStyle = TsToolButtonStyle::tbsButton;
    unsigned FDisabledGlyphKind = dgBlended;
    unsigned FDisabledKind = dkBlended;
    bool FDrawOverBorder = true;
    TPopupMenu* FDropdownMenu = nullptr;
    bool FGrayed = false;
    bool FReflected = false;
    bool FShowCaption = true;
    TAlignment FTextAlignment = TAlignment::taCenter;
    int FTextOffset = 0;
    int FMargin = -1;
    bool FMenuDropped = false;
    // What the cached face was rendered for.
    int FPaintedState = -1;
    bool FPaintedDown = false;
    bool FPaintedEnabled = true;
    int FPaintedGlyphs = 0;
    int FPaintedSpacing = 0;
};

enum class TsArrowKind { akNone, akUp, akDown };

class TsTimerSpeedButton : public TsSpeedButton {
    SJ_CLASS(TsTimerSpeedButton, TsSpeedButton)

public:
    explicit TsTimerSpeedButton(TComponent* owner);

    // Created on the first press.
    TTimer* RepeatTimer() const { return FRepeatTimer; }
    bool AllowTimer() const { return FAllowTimer; }
    void SetAllowTimer(bool value) { FAllowTimer = value; }
    bool ShowFocusRect() const { return FShowFocusRect; }
    void SetShowFocusRect(bool value);
    TsArrowKind Arrow() const { return FArrow; }
    void SetArrow(TsArrowKind value);
    // The arrow's colour when the owner knows better (a spin edit's font colour);
    // clNone keeps the section's font colour.
    TColor ArrowColor = clNone;

protected:
    void WndProc(TMessage& message) override;
    void DrawGlyph(TBitmap& face) override;
    void PaintUnskinned() override;

private:
    void StartRepeat();
    void StopRepeat();
    void RepeatTick();
    bool HoldsMouse() const;
    TColor ArrowFillColor();
    void DrawArrowAndFocus(TCanvas& canvas, TColor color);

    TTimer* FRepeatTimer = nullptr;
    bool FAllowTimer = true;
    bool FShowFocusRect = false;
    bool FPressed = false;
    TsArrowKind FArrow = TsArrowKind::akNone;
};

// Registers TsSpeedButton and TsTimerSpeedButton with their stored properties.
// Idempotent.
void RegisterSpeedButtonClasses();

} // namespace sj
