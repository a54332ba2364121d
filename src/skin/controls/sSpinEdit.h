// The skinned spin edits: TsBaseSpinEdit adds the arrow pair at the right edge, the key,
// wheel, paste and typing filters and the layout of text and arrows to the skinned edit;
// TsDecimalSpinEdit keeps a decimal value that the user types, steps with the arrows,
// the Up and Down keys or the wheel, and that is shown again with DecimalPlaces decimals
// once the user leaves the field. TsSpinButton is the arrow pair: two auto-repeating
// arrows that blend over the edit's cached face. Windows only.
#pragma once

#include <windows.h>

#include "forms/Controls.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sSpeedButton.h"
#include "skin/controls/sSpinEditValue.h"

namespace sj {

class TsSpinButton : public TCustomControl {
    SJ_CLASS(TsSpinButton, TCustomControl)

public:
    explicit TsSpinButton(TComponent* owner);

    TsTimerSpeedButton* UpButton() const { return upButton_; }
    TsTimerSpeedButton* DownButton() const { return downButton_; }
    TsTimerSpeedButton* FocusedButton() const { return focusedButton_; }
    void SetFocusedButton(TsTimerSpeedButton* button);
    TsEdit* FocusControl() const { return focusControl_; }
    void SetFocusControl(TsEdit* value) { focusControl_ = value; }
    // The spin edit draws the arrows as triangles: no glyph bitmaps.
    void ClearGlyphs();
    // The arrows blend over the edit's face: when it changes they are painted again,
    // and with clearHover they also lose their hot look.
    void RefreshArrows(bool clearHover);

    void SetBounds(int left, int top, int width, int height) override;

    TNotifyEvent OnUpClick;
    TNotifyEvent OnDownClick;

protected:
    void Paint() override;
    void WndProc(TMessage& message) override;

private:
    TsTimerSpeedButton* CreateArrow(TsArrowKind kind);
    void ArrowPressed(TsTimerSpeedButton* arrow);
    void LayoutArrows();
    bool AnswerBackdrop(TBackdropQuery& query);
    void ForwardSkinCommand(TMessage& message);

    TsTimerSpeedButton* upButton_ = nullptr;
    TsTimerSpeedButton* downButton_ = nullptr;
    TsTimerSpeedButton* focusedButton_ = nullptr;
    TsEdit* focusControl_ = nullptr;
};

class TsBaseSpinEdit : public TsEdit {
    SJ_CLASS(TsBaseSpinEdit, TsEdit)

public:
    explicit TsBaseSpinEdit(TComponent* owner);

    TsSpinButton& Button() const { return *button_; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool value) { editorEnabled_ = value; }
    bool AllowNegative() const { return allowNegative_; }
    void SetAllowNegative(bool value) { allowNegative_ = value; }
    bool ShowSpinButtons() const { return showSpinButtons_; }
    void SetShowSpinButtons(bool value);
    TWinControl* NextTabControl() const { return nextTabControl_; }
    void SetNextTabControl(TWinControl* value) { nextTabControl_ = value; }
    TWinControl* PrevTabControl() const { return prevTabControl_; }
    void SetPrevTabControl(TWinControl* value) { prevTabControl_ = value; }

    virtual TCharVerdict IsValidChar(char key);
    virtual void UpClick();
    virtual void DownClick();

    TNotifyEvent OnUpClick;
    TNotifyEvent OnDownClick;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleDone() override;
    void Loaded() override;
    void WndProc(TMessage& message) override;
    int TextRight() const override;
    UINT TextAlignment() const override;
    // Wheel notches; true when handled.
    virtual bool MouseWheel(int delta);
    // After a paste left new text; the value held before the paste is passed on.
    virtual void TextPasted() {}
    void SetEditRect();
    int SpinButtonWidth() const;
    void RefreshFace() override;

private:
    bool HandleKeyDown(WORD key);
    bool MoveFocusByKey(bool backwards);
    void HandleChar(TMessage& message);
    void FollowEnabled();

    TsSpinButton* button_ = nullptr;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    bool editorEnabled_ = true;
    bool allowNegative_ = true;
    bool showSpinButtons_ = true;
    TWinControl* nextTabControl_ = nullptr;
    TWinControl* prevTabControl_ = nullptr;
};

class TsDecimalSpinEdit : public TsBaseSpinEdit {
    SJ_CLASS(TsDecimalSpinEdit, TsBaseSpinEdit)

public:
    explicit TsDecimalSpinEdit(TComponent* owner);

    double Increment() const { return increment_; }
    void SetIncrement(double value) { increment_ = value; }
    double MinValue() const { return minValue_; }
    void SetMinValue(double value) { minValue_ = value; }
    double MaxValue() const { return maxValue_; }
    void SetMaxValue(double value) { maxValue_ = value; }
    int DecimalPlaces() const { return decimalPlaces_; }
    virtual void SetDecimalPlaces(int value);
    bool UseSystemDecSeparator() const { return useSystemDecSeparator_; }
    void SetUseSystemDecSeparator(bool value) { useSystemDecSeparator_ = value; }
    // The separator of the user's locale, read when the control is made.
    char SystemDecSeparator() const { return systemDecSeparator_; }
    void SetSystemDecSeparator(char value) { systemDecSeparator_ = value; }

    // While the user's text is being converted, that text's number; else the stored value.
    double Value();
    void SetValue(double value);
    double StoredValue() const { return value_; }

    TCharVerdict IsValidChar(char key) override;
    void UpClick() override;
    void DownClick() override;

protected:
    void Change() override;
    void WndProc(TMessage& message) override;
    bool MouseWheel(int delta) override;
    void TextPasted() override;

private:
    TsDecimalRules Rules();
    void WriteText(bool raiseChange);
    void LeaveField();

    double increment_ = 1.0;
    double minValue_ = 0;
    double maxValue_ = 0;
    double value_ = 0;
    int decimalPlaces_ = 2;
    bool useSystemDecSeparator_ = true;
    char systemDecSeparator_ = '.';
    bool valueChanging_ = false;
    bool textChanging_ = false;
    double valueBeforePaste_ = 0;
};

// Registers the spin edits (and the skinned edit and arrows they are made of) with the
// stored-form reader. Idempotent.
void RegisterSpinEditClasses();

} // namespace sj
