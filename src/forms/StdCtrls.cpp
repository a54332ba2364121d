#include "forms/StdCtrls.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "forms/Forms.h"
#include "forms/ImgList.h"

namespace sj {

namespace {

HIMAGELIST StandardImageList(TComponent* component) {
    auto* list = dynamic_cast<TCustomImageList*>(component);
    return list != nullptr ? list->Handle() : nullptr;
}

std::vector<TImageListHandleQuery>& ImageListQueries() {
    // Never destroyed: windows and objects torn down at exit (after the C++ runtime has
    // begun destroying statics) still look it up.
    static auto& queries = *new std::vector<TImageListHandleQuery>{StandardImageList};
    return queries;
}

UINT NotifyCode(const TMessage& message) {
    return HIWORD(message.WParam);
}

} // namespace

void RegisterImageListHandleQuery(TImageListHandleQuery query) {
    auto& queries = ImageListQueries();
    if (std::find(queries.begin(), queries.end(), query) == queries.end())
        queries.push_back(query);
}

HIMAGELIST ImageListHandleOf(TComponent* component) {
    if (component == nullptr)
        return nullptr;
    for (TImageListHandleQuery query : ImageListQueries()) {
        if (HIMAGELIST handle = query(component))
            return handle;
    }
    return nullptr;
}

// --- TEdit -------------------------------------------------------------------

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 121, 21);
    SetColor(clWindow);
    SetTabStop(true);
}

void TEdit::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    CreateSubClass(params, "EDIT");
    params.Style |= ES_AUTOHSCROLL | ES_LEFT;
    if (readOnly_)
        params.Style |= ES_READONLY;
    if (passwordChar_ != 0)
        params.Style |= ES_PASSWORD;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::CreateHandleDone() {
    TWinControl::CreateHandleDone();
    HWND window = HandleIfAllocated();
    ::SendMessageA(window, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
    if (passwordChar_ != 0)
        ::SendMessageA(window, EM_SETPASSWORDCHAR, static_cast<unsigned char>(passwordChar_), 0);
}

void TEdit::SetReadOnly(bool value) {
    readOnly_ = value;
    if (HandleAllocated())
        ::SendMessageA(HandleIfAllocated(), EM_SETREADONLY, value ? TRUE : FALSE, 0);
}

void TEdit::SetMaxLength(int value) {
    maxLength_ = std::max(value, 0);
    if (HandleAllocated())
        ::SendMessageA(HandleIfAllocated(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TEdit::SetPasswordChar(char value) {
    if (value == passwordChar_)
        return;
    passwordChar_ = value;
    if (HandleAllocated()) {
        ::SendMessageA(HandleIfAllocated(), EM_SETPASSWORDCHAR, static_cast<unsigned char>(value), 0);
        Invalidate();
    }
}

void TEdit::SelectAll() {
    if (HandleAllocated())
        ::SendMessageA(HandleIfAllocated(), EM_SETSEL, 0, -1);
}

int TEdit::SelStart() {
    DWORD start = 0;
    ::SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return static_cast<int>(start);
}

int TEdit::SelLength() {
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TEdit::Change() {
    if (OnChange)
        OnChange(this);
}

void TEdit::WndProc(TMessage& message) {
    switch (message.Msg) {
    case CN_COMMAND:
        if (NotifyCode(message) == EN_CHANGE && !(ControlState() & csCreating))
            Change();
        return;
    case WM_SETFOCUS:
        TWinControl::WndProc(message);
        if (autoSelect_ && !(::GetKeyState(VK_LBUTTON) < 0))
            SelectAll();
        return;
    default:
        break;
    }
    TWinControl::WndProc(message);
}

// --- TGroupBox ---------------------------------------------------------------

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
    SetControlStyle(ControlStyle() | csAcceptsControls | csSetCaption);
    SetBounds(0, 0, 185, 105);
    SetParentColor(true);
}

void TGroupBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    CreateSubClass(params, "BUTTON");
    params.Style |= BS_GROUPBOX | WS_CLIPCHILDREN;
}

void TGroupBox::WndProc(TMessage& message) {
    if (message.Msg == WM_NCHITTEST) {
        // The system's group box lets the mouse through to its parent; ours holds
        // controls (labels, pictures) that must get their clicks.
        message.Result = HTCLIENT;
        return;
    }
    if (message.Msg == WM_ERASEBKGND) {
        // The system's group box leaves its inside unpainted; it shows our colour.
        RECT client = ClientRect();
        ::FillRect(reinterpret_cast<HDC>(message.WParam), &client, BackgroundBrush());
        message.Result = 1;
        return;
    }
    TWinControl::WndProc(message);
}

// --- TButtonControl ----------------------------------------------------------

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
}

void TButtonControl::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    CreateSubClass(params, "BUTTON");
}

// --- TButton -----------------------------------------------------------------

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
    SetBounds(0, 0, 75, 25);
    SetColor(clBtnFace);
    imageLink_.OnChange = [this](TObject*) { ImageChanged(); };
}

void TButton::CreateParams(TCreateParams& params) {
    TButtonControl::CreateParams(params);
    params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CreateHandleDone() {
    TButtonControl::CreateHandleDone();
    ApplyImage();
}

void TButton::SetDefault(bool value) {
    default_ = value;
    if (!HandleAllocated())
        return;
    TCustomForm* form = GetParentForm(this);
    TWinControl* focused = form != nullptr ? form->ActiveControl() : nullptr;
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(focused));
}

void TButton::SetButtonStyle(bool isDefault) {
    if (!HandleAllocated())
        return;
    auto style = static_cast<UINT>(::GetWindowLongPtrA(HandleIfAllocated(), GWL_STYLE) & 0x0F);
    UINT wanted = isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if (style != wanted)
        ::SendMessageA(HandleIfAllocated(), BM_SETSTYLE, wanted, TRUE);
}

void TButton::SetImages(TComponent* value) {
    if (images_ == value)
        return;
    if (images_ != nullptr)
        images_->RemoveFreeNotification(this);
    if (TCustomImageList* list = imageLink_.Sender())
        list->UnRegisterChanges(&imageLink_);
    images_ = value;
    if (images_ != nullptr)
        images_->FreeNotification(this);
    if (auto* list = dynamic_cast<TCustomImageList*>(images_))
        list->RegisterChanges(&imageLink_);
    ImageChanged();
}

void TButton::SetImageIndex(int value) {
    if (imageIndex_ == value)
        return;
    imageIndex_ = value;
    ImageChanged();
}

void TButton::ImageChanged() { ApplyImage(); }

HIMAGELIST TButton::SingleImageList(HIMAGELIST list, int index) {
    ownImage_.reset();
    if (list == nullptr || index < 0 || index >= ::ImageList_GetImageCount(list))
        return nullptr;
    int width = 0;
    int height = 0;
    ::ImageList_GetIconSize(list, &width, &height);
    ownImage_.reset(::ImageList_Create(width, height, ILC_COLOR32, 1, 0));
    if (!ownImage_)
        return nullptr;
    if (HICON icon = ::ImageList_GetIcon(list, index, ILD_NORMAL)) {
        ::ImageList_AddIcon(ownImage_.get(), icon);
        ::DestroyIcon(icon);
    }
    return ownImage_.get();
}

void TButton::ApplyImage() {
    if (!HandleAllocated())
        return;
    HIMAGELIST list = ImageListHandleOf(images_);
    BUTTON_IMAGELIST image{};
    image.himl = SingleImageList(list, imageIndex_);
    image.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
    image.margin = RECT{4, 0, 0, 0};
    ::SendMessageA(HandleIfAllocated(), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&image));
}

void TButton::Notification(TComponent* component, TOperation operation) {
    TButtonControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_) {
        images_ = nullptr;
        ImageChanged();
    }
}

void TButton::Click() {
    if (TCustomForm* form = GetParentForm(this))
        form->SetModalResult(modalResult_);
    TButtonControl::Click();
}

void TButton::WndProc(TMessage& message) {
    switch (message.Msg) {
    case CN_COMMAND:
        if (NotifyCode(message) == BN_CLICKED)
            Click();
        return;
    case CM_DIALOGKEY: {
        auto key = static_cast<WORD>(message.WParam);
        TCustomForm* form = GetParentForm(this);
        TWinControl* focused = form != nullptr ? form->ActiveControl() : nullptr;
        active_ = dynamic_cast<TButton*>(focused) != nullptr ? focused == this : default_;
        bool mine = (key == VK_RETURN && active_) || (key == VK_ESCAPE && cancel_);
        if (mine && Enabled() && Showing()) {
            Click();
            message.Result = 1;
            return;
        }
        break;
    }
    case CM_FOCUSCHANGED: {
        auto* focused = reinterpret_cast<TWinControl*>(message.LParam);
        bool focusedIsButton = dynamic_cast<TButton*>(focused) != nullptr;
        active_ = focusedIsButton ? focused == this : default_;
        SetButtonStyle(active_);
        message.Result = 0;
        return;
    }
    default:
        break;
    }
    TButtonControl::WndProc(message);
}

// --- TRadioButton ------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
    SetBounds(0, 0, 113, 17);
    SetParentColor(true);
    // Only the checked button of a group is a tab stop; arrows move within the group.
    SetTabStop(false);
}

void TRadioButton::CreateParams(TCreateParams& params) {
    TButtonControl::CreateParams(params);
    params.Style |= BS_RADIOBUTTON;
    if (alignment_ == TAlignment::taLeftJustify)
        params.Style |= BS_LEFTTEXT;
}

void TRadioButton::CreateHandleDone() {
    TButtonControl::CreateHandleDone();
    ::SendMessageA(HandleIfAllocated(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetAlignment(TAlignment value) {
    if (value == alignment_)
        return;
    alignment_ = value;
    RecreateWnd();
}

void TRadioButton::TurnSiblingsOff() {
    if (Parent() == nullptr)
        return;
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        if (auto* sibling = dynamic_cast<TRadioButton*>(Parent()->Controls(i)); sibling != nullptr && sibling != this)
            sibling->SetChecked(false);
    }
}

void TRadioButton::SetChecked(bool value) {
    if (value == checked_)
        return;
    checked_ = value;
    SetTabStop(value);
    if (HandleAllocated())
        ::SendMessageA(HandleIfAllocated(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    if (value) {
        TurnSiblingsOff();
        if (!HasState(csLoading))
            Click();
    }
}

void TRadioButton::WndProc(TMessage& message) {
    switch (message.Msg) {
    case CN_COMMAND:
        if (NotifyCode(message) == BN_CLICKED || NotifyCode(message) == BN_DOUBLECLICKED)
            SetChecked(true);
        return;
    case WM_GETDLGCODE:
        TButtonControl::WndProc(message);
        message.Result |= DLGC_RADIOBUTTON;
        return;
    default:
        break;
    }
    TButtonControl::WndProc(message);
}

// --- TLabel ------------------------------------------------------------------

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    SetControlStyle(ControlStyle() | csOpaque | csSetCaption);
    SetBounds(0, 0, 65, 17);
    SetParentColor(true);
}

UINT TLabel::DrawTextFlags() const {
    UINT flags = DT_EXPANDTABS;
    flags |= wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE;
    if (!showAccelChar_)
        flags |= DT_NOPREFIX;
    switch (alignment_) {
    case TAlignment::taRightJustify:
        flags |= DT_RIGHT;
        break;
    case TAlignment::taCenter:
        flags |= DT_CENTER;
        break;
    default:
        flags |= DT_LEFT;
        break;
    }
    return flags;
}

void TLabel::AdjustBounds() {
    if (!autoSize_ || HasState(csLoading))
        return;
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, Font().Handle());
    // An empty caption still measures one line high.
    const std::string caption = Caption();
    const std::string text = caption.empty() ? std::string(1, ' ') : caption;
    RECT rect{0, 0, wordWrap_ ? Width() : 0, 0};
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, DrawTextFlags() | DT_CALCRECT);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    int width = wordWrap_ ? Width() : rect.right;
    int left = Left();
    if (!wordWrap_ && alignment_ == TAlignment::taRightJustify)
        left += Width() - width;
    else if (!wordWrap_ && alignment_ == TAlignment::taCenter)
        left += (Width() - width) / 2;
    SetBounds(left, Top(), width, rect.bottom);
}

void TLabel::Paint() {
    TCanvas& canvas = Canvas();
    RECT client = ClientRect();
    if (!transparent_) {
        canvas.Brush().SetStyle(TBrushStyle::bsSolid);
        canvas.Brush().SetColor(Color());
        canvas.FillRect(client);
    }
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    std::string text = Caption();
    UINT flags = DrawTextFlags();
    RECT textRect = client;
    if (layout_ != TTextLayout::tlTop) {
        RECT measure = client;
        canvas.DrawText(text, measure, flags | DT_CALCRECT);
        int height = measure.bottom - measure.top;
        int offset = layout_ == TTextLayout::tlCenter ? (client.bottom - height) / 2 : client.bottom - height;
        ::OffsetRect(&textRect, 0, std::max(offset, 0));
    }
    if (!Enabled()) {
        DrawEmbossedText(canvas, text, textRect, flags);
        return;
    }
    canvas.DrawText(text, textRect, flags);
}

void TLabel::SetAutoSize(bool value) {
    autoSize_ = value;
    AdjustBounds();
}

void TLabel::SetWordWrap(bool value) {
    wordWrap_ = value;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetTransparent(bool value) {
    if (value == transparent_)
        return;
    transparent_ = value;
    SetControlStyle(value ? ControlStyle() & ~static_cast<unsigned>(csOpaque) : ControlStyle() | csOpaque);
    Invalidate();
}

void TLabel::SetAlignment(TAlignment value) {
    alignment_ = value;
    Invalidate();
}

void TLabel::SetLayout(TTextLayout value) {
    layout_ = value;
    Invalidate();
}

void TLabel::SetShowAccelChar(bool value) {
    showAccelChar_ = value;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetFocusControl(TWinControl* value) {
    if (focusControl_ != nullptr)
        focusControl_->RemoveFreeNotification(this);
    focusControl_ = value;
    if (value != nullptr)
        value->FreeNotification(this);
}

void TLabel::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == focusControl_)
        focusControl_ = nullptr;
}

void TLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TLabel::WndProc(TMessage& message) {
    switch (message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        AdjustBounds();
        Invalidate();
        break;
    default:
        break;
    }
    TGraphicControl::WndProc(message);
}

} // namespace sj
