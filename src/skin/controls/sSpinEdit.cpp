#include "skin/controls/sSpinEdit.h"

#include <algorithm>

#include "forms/FormReader.h"
#include "forms/Forms.h"

namespace sj {

namespace {

constexpr int SpinButtonDefaultWidth = 18;
constexpr int SpinButtonMinWidth = 15;

char ReadSystemDecSeparator() {
    char buffer[8] = {};
    if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) > 0 && buffer[0] != 0)
        return buffer[0];
    return '.';
}

bool IsSkinChange(WORD code) {
    return code == scNewSkin || code == scRemoveSkin || code == scRefresh;
}

} // namespace

// --- TsSpinButton --------------------------------------------------------------------

TsSpinButton::TsSpinButton(TComponent* owner) : TCustomControl(owner) {
    upButton_ = CreateArrow(TsArrowKind::akUp);
    downButton_ = CreateArrow(TsArrowKind::akDown);
    focusedButton_ = upButton_;
    SetBounds(0, 0, SpinButtonDefaultWidth, 25);
}

TsTimerSpeedButton* TsSpinButton::CreateArrow(TsArrowKind kind) {
    auto* arrow = new TsTimerSpeedButton(this);
    arrow->SkinData().SetSkinSection("SPEEDBUTTON_SMALL");
    arrow->SetArrow(kind);
    arrow->SetNumGlyphs(1);
    arrow->SetFlat(false);
    arrow->SetAllowTimer(true);
    arrow->SetParent(this);
    arrow->OnClick = [this, kind](TObject*) {
        const TNotifyEvent& handler = kind == TsArrowKind::akUp ? OnUpClick : OnDownClick;
        if (handler)
            handler(this);
    };
    arrow->OnMouseDown = [this, arrow](TObject*, TMouseButton button, TShiftState, int, int) {
        if (button == TMouseButton::mbLeft)
            ArrowPressed(arrow);
    };
    return arrow;
}

void TsSpinButton::ClearGlyphs() {
    upButton_->Glyph().SetSize(0, 0);
    downButton_->Glyph().SetSize(0, 0);
}

void TsSpinButton::RefreshArrows(bool clearHover) {
    for (TsTimerSpeedButton* arrow : {upButton_, downButton_}) {
        if (clearHover && arrow->SkinData().Hovered)
            arrow->Perform(CM_MOUSELEAVE);
        arrow->SkinData().Hovered = arrow->SkinData().Hovered && !clearHover;
        arrow->SkinData().CacheStale = true;
    }
    // The window clips nothing of its arrows: one invalidation repaints the edit's face
    // behind them and both arrows over it.
    if (HandleAllocated())
        ::InvalidateRect(HandleIfAllocated(), nullptr, FALSE);
}

void TsSpinButton::SetFocusedButton(TsTimerSpeedButton* button) {
    if (button == focusedButton_ || button == nullptr)
        return;
    focusedButton_ = button;
    if (Focused()) {
        upButton_->SetShowFocusRect(button == upButton_);
        downButton_->SetShowFocusRect(button == downButton_);
    }
}

void TsSpinButton::ArrowPressed(TsTimerSpeedButton* arrow) {
    SetFocusedButton(arrow);
    if (focusControl_ != nullptr && focusControl_->TabStop() && focusControl_->CanFocus() &&
        !focusControl_->Focused()) {
        focusControl_->SetFocus();
    } else if (TabStop() && CanFocus() && !Focused()) {
        SetFocus();
    }
}

void TsSpinButton::SetBounds(int left, int top, int width, int height) {
    TCustomControl::SetBounds(left, top, std::max(width, SpinButtonMinWidth), height);
    LayoutArrows();
}

void TsSpinButton::LayoutArrows() {
    if (upButton_ == nullptr || downButton_ == nullptr)
        return;
    const int half = Height() / 2;
    upButton_->SetBounds(0, 0, Width(), half);
    downButton_->SetBounds(0, half, Width(), Height() - half);
}

void TsSpinButton::Paint() {
    // What shows between and behind the arrows is the edit's own face.
    HDC dc = Canvas().Handle();
    const RECT client = ClientRect();
    if (focusControl_ != nullptr && focusControl_->SkinData().IsSkinned()) {
        if (focusControl_->SkinData().CacheStale)
            focusControl_->PaintFace();
        const int border = focusControl_->BorderWidth();
        ::BitBlt(dc, 0, 0, client.right, client.bottom, focusControl_->SkinData().CacheBitmap->Canvas().Handle(),
                 Left() + border, Top() + border, SRCCOPY);
        return;
    }
    HBRUSH brush = ::CreateSolidBrush(ColorToRGB(focusControl_ != nullptr ? focusControl_->Color() : Color()));
    ::FillRect(dc, &client, brush);
    ::DeleteObject(brush);
}

bool TsSpinButton::AnswerBackdrop(TBackdropQuery& query) {
    if (focusControl_ == nullptr || !focusControl_->SkinData().IsSkinned())
        return false;
    TsCommonData& data = focusControl_->SkinData();
    if (data.CacheStale)
        focusControl_->PaintFace();
    const int border = focusControl_->BorderWidth();
    query.Bitmap = data.CacheBitmap.get();
    query.Color = focusControl_->Color();
    query.OffsetX = Left() + border;
    query.OffsetY = Top() + border;
    query.Kind = bqBitmap;
    return true;
}

void TsSpinButton::ForwardSkinCommand(TMessage& message) {
    const WORD code = SkinCommandCode(message.WParam);
    for (TsTimerSpeedButton* arrow : {upButton_, downButton_}) {
        arrow->Perform(message.Msg, message.WParam, message.LParam);
        if (code == scNewSkin)
            arrow->SetEnabled(focusControl_ == nullptr || focusControl_->Enabled());
        arrow->Invalidate();
    }
    ClearGlyphs();
}

void TsSpinButton::WndProc(TMessage& message) {
    if (message.Msg == SkinCommandMessage) {
        const WORD code = SkinCommandCode(message.WParam);
        if (code == scQueryBackdrop) {
            if (auto* query = reinterpret_cast<TBackdropQuery*>(message.LParam);
                query != nullptr && AnswerBackdrop(*query)) {
                message.Result = 1;
                return;
            }
        }
        if (IsSkinChange(code)) {
            ForwardSkinCommand(message);
            return;
        }
    }
    TCustomControl::WndProc(message);
    if (message.Msg == WM_SIZE)
        LayoutArrows();
}

// --- TsBaseSpinEdit ------------------------------------------------------------------

TsBaseSpinEdit::TsBaseSpinEdit(TComponent* owner) : TsEdit(owner) {
    button_ = new TsSpinButton(this);
    button_->SetVisible(false);
    button_->SetParent(this);
    button_->SetFocusControl(this);
    button_->OnUpClick = [this](TObject*) { UpClick(); };
    button_->OnDownClick = [this](TObject*) { DownClick(); };
    button_->ClearGlyphs();
    button_->SetVisible(true);
}

void TsBaseSpinEdit::SetAlignment(TAlignment value) {
    if (value == alignment_)
        return;
    alignment_ = value;
    if (HandleAllocated())
        RecreateWnd();
}

void TsBaseSpinEdit::SetShowSpinButtons(bool value) {
    showSpinButtons_ = value;
    button_->SetVisible(value);
    SetEditRect();
    RefreshFace();
}

void TsBaseSpinEdit::RefreshFace() {
    TsEdit::RefreshFace();
    if (SkinData().IsSkinned() && !HasState(csLoading) && !HasState(csDestroying))
        button_->RefreshArrows(false);
}

int TsBaseSpinEdit::SpinButtonWidth() const {
    return showSpinButtons_ ? button_->Width() : 0;
}

void TsBaseSpinEdit::CreateParams(TCreateParams& params) {
    TsEdit::CreateParams(params);
    params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
    params.Style &= ~static_cast<DWORD>(ES_LEFT | ES_RIGHT | ES_CENTER);
    if (alignment_ == TAlignment::taRightJustify)
        params.Style |= ES_RIGHT;
    else if (alignment_ == TAlignment::taCenter)
        params.Style |= ES_CENTER;
}

void TsBaseSpinEdit::CreateHandleDone() {
    TsEdit::CreateHandleDone();
    SetEditRect();
}

void TsBaseSpinEdit::Loaded() {
    TsEdit::Loaded();
    button_->SetVisible(showSpinButtons_);
    SetEditRect();
}

void TsBaseSpinEdit::SetEditRect() {
    if (!HandleAllocated())
        return;
    RECT rect{0, 0, std::max(0, ClientWidth() - SpinButtonWidth() - 3), ClientHeight() + 1};
    ::SendMessageA(HandleIfAllocated(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&rect));
}

int TsBaseSpinEdit::TextRight() const {
    return Width() - BorderWidth() - SpinButtonWidth();
}

UINT TsBaseSpinEdit::TextAlignment() const {
    switch (alignment_) {
    case TAlignment::taRightJustify:
        return DT_RIGHT;
    case TAlignment::taCenter:
        return DT_CENTER;
    default:
        return DT_LEFT;
    }
}

TCharVerdict TsBaseSpinEdit::IsValidChar(char key) {
    if (!editorEnabled_)
        return TCharVerdict::Refuse;
    if (key == '\t' || key == '\r')
        return TCharVerdict::Swallow;
    return TCharVerdict::Accept;
}

void TsBaseSpinEdit::UpClick() {
    if (OnUpClick)
        OnUpClick(this);
}

void TsBaseSpinEdit::DownClick() {
    if (OnDownClick)
        OnDownClick(this);
}

bool TsBaseSpinEdit::MouseWheel(int) {
    return false;
}

bool TsBaseSpinEdit::MoveFocusByKey(bool backwards) {
    TWinControl* target = backwards ? prevTabControl_ : nextTabControl_;
    if (target == nullptr)
        return false;
    if (target->CanFocus())
        target->SetFocus();
    return true;
}

bool TsBaseSpinEdit::HandleKeyDown(WORD key) {
    const bool shift = (KeyboardShiftState() & ssShift) != 0;
    switch (key) {
    case VK_UP:
        UpClick();
        return true;
    case VK_DOWN:
        DownClick();
        return true;
    case VK_TAB:
        if (MoveFocusByKey(shift))
            return true;
        if (TWinControl* form = TopParent(this))
            form->SelectNext(this, !shift, true);
        return true;
    case VK_RETURN:
        return MoveFocusByKey(shift);
    default:
        return false;
    }
}

void TsBaseSpinEdit::HandleChar(TMessage& message) {
    switch (IsValidChar(static_cast<char>(message.WParam))) {
    case TCharVerdict::Accept:
        TsEdit::WndProc(message);
        return;
    case TCharVerdict::Refuse:
        ::MessageBeep(0);
        [[fallthrough]];
    case TCharVerdict::Swallow:
        message.Result = 0;
        return;
    }
}

void TsBaseSpinEdit::FollowEnabled() {
    button_->SetEnabled(Enabled());
    button_->UpButton()->SetEnabled(Enabled());
    button_->DownButton()->SetEnabled(Enabled());
    if (SkinData().IsSkinned())
        button_->SetVisible(showSpinButtons_ && Enabled());
}

void TsBaseSpinEdit::WndProc(TMessage& message) {
    switch (message.Msg) {
    case WM_KEYDOWN:
        if (!DoKeyDown(message) && HandleKeyDown(static_cast<WORD>(message.WParam))) {
            message.Result = 0;
            return;
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
        HandleChar(message);
        return;
    case WM_GETDLGCODE:
        TsEdit::WndProc(message);
        message.Result = (message.Result & ~static_cast<LRESULT>(DLGC_HASSETSEL)) | DLGC_WANTARROWS | DLGC_WANTTAB;
        return;
    case WM_PASTE:
    case WM_CUT:
        if (!editorEnabled_ || ReadOnly())
            return;
        TsEdit::WndProc(message);
        if (message.Msg == WM_PASTE)
            TextPasted();
        return;
    case WM_MOUSEWHEEL:
        if (!ReadOnly() && MouseWheel(GET_WHEEL_DELTA_WPARAM(message.WParam))) {
            message.Result = 1;
            return;
        }
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        button_->RefreshArrows(true);
        break;
    default:
        break;
    }
    TsEdit::WndProc(message);
    switch (message.Msg) {
    case WM_SIZE:
        button_->SetBounds(Width() - button_->Width() - 4, 0, button_->Width(), Height() - 4);
        SetEditRect();
        break;
    case CM_FONTCHANGED:
        SetEditRect();
        break;
    case CM_TEXTCHANGED:
        // A multi-line edit tells no change for text set by program.
        Change();
        break;
    case CM_ENABLEDCHANGED:
        FollowEnabled();
        break;
    case SkinCommandMessage:
        if (IsSkinChange(SkinCommandCode(message.WParam))) {
            button_->Perform(message.Msg, message.WParam, message.LParam);
            FollowEnabled();
            SetEditRect();
        }
        break;
    default:
        break;
    }
}

// --- TsDecimalSpinEdit ---------------------------------------------------------------

TsDecimalSpinEdit::TsDecimalSpinEdit(TComponent* owner)
    : TsBaseSpinEdit(owner), systemDecSeparator_(ReadSystemDecSeparator()) {}

TsDecimalRules TsDecimalSpinEdit::Rules() {
    TsDecimalRules rules;
    rules.MinValue = minValue_;
    rules.MaxValue = maxValue_;
    rules.DecimalPlaces = decimalPlaces_;
    rules.AllowNegative = AllowNegative();
    rules.EditorEnabled = EditorEnabled();
    rules.UseSystemDecSeparator = useSystemDecSeparator_;
    rules.SystemDecSeparator = systemDecSeparator_;
    return rules;
}

double TsDecimalSpinEdit::Value() {
    return textChanging_ ? TypedValue(Text(), Rules()) : value_;
}

void TsDecimalSpinEdit::WriteText(bool raiseChange) {
    const TsDecimalRules rules = Rules();
    valueChanging_ = true;
    SetText(FormatFixed(CheckValue(value_, rules), decimalPlaces_, systemDecSeparator_));
    valueChanging_ = false;
    if (raiseChange && !HasState(csLoading) && OnChange)
        OnChange(this);
}

void TsDecimalSpinEdit::SetValue(double value) {
    value_ = ValueToStore(value, Rules());
    if (!textChanging_)
        WriteText(true);
}

void TsDecimalSpinEdit::SetDecimalPlaces(int value) {
    decimalPlaces_ = value;
    SetValue(CheckValue(Value(), Rules()));
}

void TsDecimalSpinEdit::Change() {
    // A text written by SetValue raises OnChange there, once.
    if (valueChanging_ || HasState(csLoading))
        return;
    textChanging_ = true;
    SetValue(TypedValue(Text(), Rules()));
    textChanging_ = false;
    TsBaseSpinEdit::Change();
}

TCharVerdict TsDecimalSpinEdit::IsValidChar(char key) {
    TsTypingState typing;
    const std::string text = Text();
    typing.Text = text;
    if (HandleAllocated()) {
        typing.SelStart = SelStart();
        typing.SelLength = SelLength();
    }
    return DecimalCharVerdict(key, typing, Rules());
}

void TsDecimalSpinEdit::UpClick() {
    if (ReadOnly()) {
        ::MessageBeep(0);
    } else if (OnUpClick) {
        OnUpClick(this);
    } else {
        SetValue(Value() + increment_);
    }
}

void TsDecimalSpinEdit::DownClick() {
    if (ReadOnly()) {
        ::MessageBeep(0);
    } else if (OnDownClick) {
        OnDownClick(this);
    } else {
        SetValue(Value() - increment_);
    }
}

bool TsDecimalSpinEdit::MouseWheel(int delta) {
    SetValue(Value() + WheelStep(delta, increment_));
    return true;
}

void TsDecimalSpinEdit::TextPasted() {
    const std::string text = Text();
    const std::string kept = TextAfterPaste(text, valueBeforePaste_, Rules());
    if (kept != text)
        SetText(kept);
}

void TsDecimalSpinEdit::LeaveField() {
    const TsDecimalRules rules = Rules();
    const double value = Value();
    if (CheckValue(value, rules) != value)
        SetValue(value);
    WriteText(false);
}

void TsDecimalSpinEdit::WndProc(TMessage& message) {
    if (message.Msg == WM_PASTE)
        valueBeforePaste_ = Value();
    TsBaseSpinEdit::WndProc(message);
    if (message.Msg == WM_KILLFOCUS)
        LeaveField();
}

// --- Registration --------------------------------------------------------------------

void RegisterSpinEditClasses() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterSkinEditClasses();
    RegisterSpeedButtonClasses();
    RegisterComponentClass<TsDecimalSpinEdit>();
    using Val = TPropValue;
    using Ctx = TReadContext;
    RegisterProperty<TsBaseSpinEdit>("Alignment", [](TsBaseSpinEdit& e, const Val& v, Ctx&) {
        e.SetAlignment(AsEnum<TAlignment>(v, {{"taLeftJustify", TAlignment::taLeftJustify},
                                              {"taRightJustify", TAlignment::taRightJustify},
                                              {"taCenter", TAlignment::taCenter}}));
    });
    RegisterProperty<TsBaseSpinEdit>("EditorEnabled",
                                     [](TsBaseSpinEdit& e, const Val& v, Ctx&) { e.SetEditorEnabled(AsBoolean(v)); });
    RegisterProperty<TsBaseSpinEdit>("AllowNegative",
                                     [](TsBaseSpinEdit& e, const Val& v, Ctx&) { e.SetAllowNegative(AsBoolean(v)); });
    RegisterProperty<TsBaseSpinEdit>("ShowSpinButtons",
                                     [](TsBaseSpinEdit& e, const Val& v, Ctx&) { e.SetShowSpinButtons(AsBoolean(v)); });
    RegisterReferenceProperty<TsBaseSpinEdit, TWinControl>("NextTabControl", &TsBaseSpinEdit::SetNextTabControl);
    RegisterReferenceProperty<TsBaseSpinEdit, TWinControl>("PrevTabControl", &TsBaseSpinEdit::SetPrevTabControl);
    RegisterProperty<TsBaseSpinEdit>(
        "OnUpClick", [](TsBaseSpinEdit& e, const Val& v, Ctx& x) { e.OnUpClick = x.Event<TNotifyEvent>(v); });
    RegisterProperty<TsBaseSpinEdit>(
        "OnDownClick", [](TsBaseSpinEdit& e, const Val& v, Ctx& x) { e.OnDownClick = x.Event<TNotifyEvent>(v); });
    RegisterProperty<TsDecimalSpinEdit>("Increment",
                                        [](TsDecimalSpinEdit& e, const Val& v, Ctx&) { e.SetIncrement(AsReal(v)); });
    RegisterProperty<TsDecimalSpinEdit>("MinValue",
                                        [](TsDecimalSpinEdit& e, const Val& v, Ctx&) { e.SetMinValue(AsReal(v)); });
    RegisterProperty<TsDecimalSpinEdit>("MaxValue",
                                        [](TsDecimalSpinEdit& e, const Val& v, Ctx&) { e.SetMaxValue(AsReal(v)); });
    RegisterProperty<TsDecimalSpinEdit>("Value",
                                        [](TsDecimalSpinEdit& e, const Val& v, Ctx&) { e.SetValue(AsReal(v)); });
    RegisterProperty<TsDecimalSpinEdit>("DecimalPlaces",
                                        [](TsDecimalSpinEdit& e, const Val& v, Ctx&) { e.SetDecimalPlaces(AsInt(v)); });
    RegisterProperty<TsDecimalSpinEdit>("UseSystemDecSeparator", [](TsDecimalSpinEdit& e, const Val& v, Ctx&) {
        e.SetUseSystemDecSeparator(AsBoolean(v));
    });
}

} // namespace sj
