// TsButton: the push button of the skinning layer. It keeps the standard button's
// behaviour (caption, default and cancel roles, modal result, click, keyboard) and
// draws itself as an owner-drawn button: with an active skin from its section
// ("BUTTON" unless named) into the skin data's cached face, chosen by the face state
// (normal, hot, pressed, active default), with a glyph from an image list, the caption
// and a dotted focus frame; without a skin in the themed or classic system look. Every
// paint request the system makes (WM_DRAWITEM for state and focus changes) is answered
// with the face of the state the button is in then. Where the section fades, state
// changes cross-fade from the old face to the new one (hover in full steps, press and
// release in half as many).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "forms/ImgList.h"
#include "forms/Menus.h"
#include "forms/StdCtrls.h"
#include "skin/controls/sButtonLayout.h"
#include "skin/controls/sSpeedButton.h"
#include "skin/frame/sFade.h"
#include "skin/paint/sCommonData.h"

namespace sj {

class TsButton : public TButton {
    SJ_CLASS(TsButton, TButton)

public:
    explicit TsButton(TComponent* owner);
    ~TsButton() override;

    TsCtrlSkinData& SkinData() { return *FSkinData; }
    unsigned AnimatEvents() const { return FAnimatEvents; }
    void SetAnimatEvents(unsigned value) { FAnimatEvents = value; }
    bool ShowFocus() const { return FShowFocus; }
    void SetShowFocus(bool value);
    int FocusMargin() const { return FFocusMargin; }
    void SetFocusMargin(int value) { FFocusMargin = value; }
    unsigned DisabledKind() const { return FDisabledKind; }
    void SetDisabledKind(unsigned value);
    bool Down() const { return FDown; }
    void SetDown(bool value);
    const std::string& CommandLinkHint() const { return FCommandLinkHint; }
    void SetCommandLinkHint(const std::string& value);
    TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
    void SetDropDownMenu(TPopupMenu* value);
    int HotImageIndex() const { return FImageIndexes.Hot; }
    void SetHotImageIndex(int value);
    int PressedImageIndex() const { return FImageIndexes.Pressed; }
    void SetPressedImageIndex(int value);
    int SelectedImageIndex() const { return FImageIndexes.Selected; }
    void SetSelectedImageIndex(int value);
    int DisabledImageIndex() const { return FImageIndexes.Disabled; }
    void SetDisabledImageIndex(int value);
    TImageAlignment ImageAlignment() const { return FImageAlignment; }
    void SetImageAlignment(TImageAlignment value);
    const TsImageMargins& ImageMargins() const { return FImageMargins; }
    void SetImageMargins(const TsImageMargins& value);
    int ContentMargin() const { return FContentMargin; }
    void SetContentMargin(int value);
    TsButtonStyle Style() const { return FStyle; }
    void SetStyle(TsButtonStyle value);
    bool Reflected() const { return FReflected; }
    void SetReflected(bool value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    // Set by the standard default-button notification.
    bool ActiveDefault() const { return FActiveDefault; }

    // 0 normal, 1 hot, 2 pressed, 3 active default.
    int CurrentState();
    // The state the face is painted in.
    int FaceState();
    int GlyphIndexForState();
    TacRect CaptionRect();
    TacRect GlyphRect();
    // Renders the face of the current state into the skin data's cache.
    void PaintFace();
    // The state-change fade, or null before the first.
    TsFadeTimer* StateFade() const { return FStateFade.get(); }

protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void ImageChanged() override;
    virtual void DrawCaption(TCanvas* canvas);
    virtual void DrawGlyph();

private:
    TCustomImageList* ImageList() const;
    bool HasGlyph() const;
    bool IsFocused() const;
    bool Skinned() const;
    TsButtonLayoutInput LayoutInput(int state);
    SIZE MeasureText(const std::string& text, int width, bool commandLinkFont);
    void ApplyCaptionFont(TCanvas& canvas, bool commandLinkFont);
    void PaintBordersMask(TBitmap& face, int state, const TBackdropRef& backdrop);
    void PaintSplitMark(TBitmap& face, int state);
    void DrawFocusFrame(TBitmap& face, TacRect rect);
    void PaintToDC(HDC dc);
    void ApplyWindowRegion();
    void DrawUnskinned(HDC dc);
    void RepaintNow();
    bool HandleSkinCommand(TMessage& message);
    bool DropMenu(const TMessage& message);
    // The change to the current state after a button event: a fade when the event
    // animates, else a repaint. Answers whether a fade runs.
    bool AnimateState(unsigned event);
    void StopStateFade();
    void ShowPressedNow();

    std::unique_ptr<TsCtrlSkinData> FSkinData;
    std::unique_ptr<TsFadeTimer> FStateFade;
    // The event whose default processing runs now: a paint it causes starts the fade.
    unsigned FPendingEvent = 0;
    unsigned FAnimatEvents = aeGlobalDef;
    bool FShowFocus = true;
    int FFocusMargin = 1;
    unsigned FDisabledKind = dkBlended;
    bool FDown = false;
    std::string FCommandLinkHint;
    TPopupMenu* FDropDownMenu = nullptr;
    TsButtonImageIndexes FImageIndexes;
    TImageAlignment FImageAlignment = TImageAlignment::iaLeft;
    TsImageMargins FImageMargins;
    int FContentMargin = 6;
    TsButtonStyle FStyle = TsButtonStyle::bsPushButton;
    bool FReflected = false;
    bool FWordWrap = true;

    HRGN FWindowRegion = nullptr;
    bool FRegionDirty = true;
    RECT FLastBounds{};
    bool FMouseClicked = false;
    bool FMenuDropped = false;
    bool FActiveDefault = false;
    // What the cached face shows, so that a paint the system asks for after a state
    // change of its own gets the new face.
    int FPaintedState = -1;
    bool FPaintedFocus = false;
    bool FPaintedEnabled = true;
};

// Registers TsButton and its stored properties (and the speed buttons). Idempotent.
void RegisterSkinButtonClasses();

} // namespace sj
