// Standard controls. The windowed ones superclass the system's EDIT and BUTTON
// classes so every message passes through WindowProc; TLabel is windowless.
// TRadioButton groups by parent: checking one unchecks its siblings. TButton
// carries the dialog roles (Default takes Enter, Cancel takes Esc) and a modal
// result that it hands to its form when clicked.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <type_traits>

#include "forms/Controls.h"
#include "forms/ImgList.h"

namespace sj {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout { tlTop, tlCenter, tlBottom };

class TEdit : public TWinControl {
    SJ_CLASS(TEdit, TWinControl)

public:
    explicit TEdit(TComponent* owner);

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value);
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char value);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool value) { autoSelect_ = value; }
    void SelectAll();
    int SelStart();
    int SelLength();

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleDone() override;
    void WndProc(TMessage& message) override;
    virtual void Change();

private:
    bool readOnly_ = false;
    int maxLength_ = 0;
    char passwordChar_ = 0;
    bool autoSelect_ = true;
};

class TGroupBox : public TWinControl {
    SJ_CLASS(TGroupBox, TWinControl)

public:
    explicit TGroupBox(TComponent* owner);

protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;
};

class TButtonControl : public TWinControl {
    SJ_CLASS(TButtonControl, TWinControl)

public:
    explicit TButtonControl(TComponent* owner);

protected:
    void CreateParams(TCreateParams& params) override;
};

class TButton : public TButtonControl {
    SJ_CLASS(TButton, TButtonControl)

public:
    explicit TButton(TComponent* owner);

    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int value) { modalResult_ = value; }
    // Optional image: a component that answers the image-list handle (see
    // ImageListHandleOf), and the index of the image shown left of the caption.
    TComponent* Images() const { return images_; }
    void SetImages(TComponent* value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    // Whether Enter goes to this button now: it has the focus, or it is the
    // default button and no other button has the focus.
    bool Active() const { return active_; }

    void Click() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleDone() override;
    void WndProc(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
    // The image list, the index or the list's images changed. The system button is
    // handed the chosen image again; a button that draws itself repaints instead.
    virtual void ImageChanged();

private:
    void SetButtonStyle(bool isDefault);
    void ApplyImage();
    HIMAGELIST SingleImageList(HIMAGELIST list, int index);

    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;
    int modalResult_ = 0;
    TComponent* images_ = nullptr;
    int imageIndex_ = -1;
    // Tells the button when the images of its list change (replaced, added, cleared).
    TChangeLink imageLink_;
    // The system button shows an image list's images by state, not by index, so the
    // button keeps a one-image list of its own holding the chosen image.
    struct TImageListDeleter {
        void operator()(HIMAGELIST list) const { ::ImageList_Destroy(list); }
    };
    std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, TImageListDeleter> ownImage_;
};

class TRadioButton : public TButtonControl {
    SJ_CLASS(TRadioButton, TButtonControl)

public:
    explicit TRadioButton(TComponent* owner);

    bool Checked() const { return checked_; }
    // Checking one button unchecks the other radio buttons of the same parent.
    void SetChecked(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleDone() override;
    void WndProc(TMessage& message) override;

private:
    void TurnSiblingsOff();

    bool checked_ = false;
    TAlignment alignment_ = TAlignment::taRightJustify;
};

class TLabel : public TGraphicControl {
    SJ_CLASS(TLabel, TGraphicControl)

public:
    explicit TLabel(TComponent* owner);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout value);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* value);
    // The flags the label paints and measures its caption with.
    UINT DrawTextFlags() const;
    // Sizes the label to its caption (width kept when word-wrapping).
    void AdjustBounds();

protected:
    void Paint() override;
    void WndProc(TMessage& message) override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    bool autoSize_ = true;
    bool wordWrap_ = false;
    bool transparent_ = false;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TTextLayout layout_ = TTextLayout::tlTop;
    bool showAccelChar_ = true;
    TWinControl* focusControl_ = nullptr;
};

// How a component used as an image list hands out its system image list; the
// image-list units register theirs. Returns null for anything else.
using TImageListHandleQuery = HIMAGELIST (*)(TComponent* component);
void RegisterImageListHandleQuery(TImageListHandleQuery query);
HIMAGELIST ImageListHandleOf(TComponent* component);

} // namespace sj
