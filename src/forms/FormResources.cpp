#include "forms/FormResources.h"

#include <windows.h>

#include <sstream>

#include "forms/Buttons.h"
#include "forms/ComCtrls.h"
#include "forms/FormReader.h"
#include "forms/Forms.h"
#include "forms/Menus.h"
#include "forms/StdCtrls.h"

namespace sj {

bool HasDataResource(const std::string& name) {
    return ::FindResourceA(nullptr, name.c_str(), MAKEINTRESOURCEA(10)) != nullptr; // RT_RCDATA
}

std::vector<std::uint8_t> LoadDataResource(const std::string& name) {
    HRSRC info = ::FindResourceA(nullptr, name.c_str(), MAKEINTRESOURCEA(10));
    if (info == nullptr)
        throw EReadError("Resource " + name + " not found");
    HGLOBAL loaded = ::LoadResource(nullptr, info);
    DWORD size = ::SizeofResource(nullptr, info);
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr && size != 0)
        throw EReadError("Resource " + name + " cannot be read");
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

void ReadComponentText(TComponent& root, std::string_view description) {
    TFormReader reader(root, [](const std::string& name) { return LoadDataResource(name); });
    reader.ReadText(description);
}

void ReadComponentResource(TComponent& root, const std::string& resourceName) {
    std::vector<std::uint8_t> bytes = LoadDataResource(resourceName);
    ReadComponentText(root, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

namespace {

using Ctx = TReadContext;
using Val = TPropValue;


void RegisterControlProperties() {
    RegisterReferenceProperty<TControl, TPopupMenu>("PopupMenu", &TControl::SetPopupMenu);
    RegisterProperty<TControl>("Left", [](TControl& c, const Val& v, Ctx&) { c.SetLeft(AsInt(v)); });
    RegisterProperty<TControl>("Top", [](TControl& c, const Val& v, Ctx&) { c.SetTop(AsInt(v)); });
    RegisterProperty<TControl>("Width", [](TControl& c, const Val& v, Ctx&) { c.SetWidth(AsInt(v)); });
    RegisterProperty<TControl>("Height", [](TControl& c, const Val& v, Ctx&) { c.SetHeight(AsInt(v)); });
    RegisterProperty<TControl>("ClientWidth", [](TControl& c, const Val& v, Ctx&) { c.SetClientWidth(AsInt(v)); });
    RegisterProperty<TControl>("ClientHeight", [](TControl& c, const Val& v, Ctx&) { c.SetClientHeight(AsInt(v)); });
    RegisterProperty<TControl>("Caption", [](TControl& c, const Val& v, Ctx&) { c.SetCaption(AsString(v)); });
    RegisterProperty<TControl>("Text", [](TControl& c, const Val& v, Ctx&) { c.SetText(AsString(v)); });
    RegisterProperty<TControl>("Hint", [](TControl& c, const Val& v, Ctx&) { c.SetHint(AsString(v)); });
    RegisterProperty<TControl>("Visible", [](TControl& c, const Val& v, Ctx&) { c.SetVisible(AsBoolean(v)); });
    RegisterProperty<TControl>("Enabled", [](TControl& c, const Val& v, Ctx&) { c.SetEnabled(AsBoolean(v)); });
    RegisterProperty<TControl>("Color", [](TControl& c, const Val& v, Ctx&) { c.SetColor(AsColor(v)); });
    RegisterProperty<TControl>("ParentColor", [](TControl& c, const Val& v, Ctx&) { c.SetParentColor(AsBoolean(v)); });
    RegisterProperty<TControl>("ParentFont", [](TControl& c, const Val& v, Ctx&) { c.SetParentFont(AsBoolean(v)); });
    RegisterProperty<TControl>("Cursor", [](TControl& c, const Val& v, Ctx&) {
        c.SetCursor(AsEnum<TCursor>(v, {{"crDefault", crDefault}, {"crNone", crNone}, {"crArrow", crArrow},
                                        {"crCross", crCross}, {"crIBeam", crIBeam}, {"crSizeNS", crSizeNS},
                                        {"crSizeWE", crSizeWE}, {"crHourGlass", crHourGlass}, {"crDrag", crDrag},
                                        {"crNo", crNo}, {"crHelp", crHelp}, {"crHandPoint", crHandPoint},
                                        {"crSizeAll", crSizeAll}, {"crAppStart", crAppStart}}));
    });
    RegisterProperty<TControl>("Font.Name", [](TControl& c, const Val& v, Ctx&) { c.Font().SetName(AsString(v)); });
    RegisterProperty<TControl>("Font.Height", [](TControl& c, const Val& v, Ctx&) { c.Font().SetHeight(AsInt(v)); });
    RegisterProperty<TControl>("Font.Size", [](TControl& c, const Val& v, Ctx&) { c.Font().SetSize(AsInt(v)); });
    RegisterProperty<TControl>("Font.Color", [](TControl& c, const Val& v, Ctx&) { c.Font().SetColor(AsColor(v)); });
    RegisterProperty<TControl>("Font.Charset", [](TControl& c, const Val& v, Ctx&) {
        if (v.kind == TValueKind::vaInteger) {
            c.Font().SetCharset(static_cast<unsigned>(AsInt(v)));
            return;
        }
        c.Font().SetCharset(AsEnum<unsigned>(v, {{"ANSI_CHARSET", ANSI_CHARSET},
                                                 {"DEFAULT_CHARSET", DEFAULT_CHARSET},
                                                 {"SYMBOL_CHARSET", SYMBOL_CHARSET},
                                                 {"OEM_CHARSET", OEM_CHARSET},
                                                 {"RUSSIAN_CHARSET", RUSSIAN_CHARSET},
                                                 {"EASTEUROPE_CHARSET", EASTEUROPE_CHARSET}}));
    });
    RegisterProperty<TControl>("Font.Style", [](TControl& c, const Val& v, Ctx&) {
        c.Font().SetStyle(AsSetOf<TFontStyle>(
            v, {{"fsBold", fsBold}, {"fsItalic", fsItalic}, {"fsUnderline", fsUnderline}, {"fsStrikeOut", fsStrikeOut}}));
    });
    RegisterProperty<TControl>("OnClick", [](TControl& c, const Val& v, Ctx& x) { c.OnClick = x.Event<TNotifyEvent>(v); });
    RegisterProperty<TControl>("OnDblClick",
                               [](TControl& c, const Val& v, Ctx& x) { c.OnDblClick = x.Event<TNotifyEvent>(v); });
    RegisterProperty<TControl>("OnMouseDown",
                               [](TControl& c, const Val& v, Ctx& x) { c.OnMouseDown = x.Event<TMouseEvent>(v); });
    RegisterProperty<TControl>("OnMouseUp", [](TControl& c, const Val& v, Ctx& x) { c.OnMouseUp = x.Event<TMouseEvent>(v); });
    RegisterProperty<TControl>("OnMouseMove",
                               [](TControl& c, const Val& v, Ctx& x) { c.OnMouseMove = x.Event<TMouseMoveEvent>(v); });
    RegisterProperty<TControl>("OnMouseEnter",
                               [](TControl& c, const Val& v, Ctx& x) { c.OnMouseEnter = x.Event<TNotifyEvent>(v); });
    RegisterProperty<TControl>("OnMouseLeave",
                               [](TControl& c, const Val& v, Ctx& x) { c.OnMouseLeave = x.Event<TNotifyEvent>(v); });

    RegisterProperty<TWinControl>("TabOrder", [](TWinControl& c, const Val& v, Ctx&) { c.SetTabOrder(AsInt(v)); });
    RegisterProperty<TWinControl>("TabStop", [](TWinControl& c, const Val& v, Ctx&) { c.SetTabStop(AsBoolean(v)); });
    RegisterProperty<TWinControl>("OnEnter", [](TWinControl& c, const Val& v, Ctx& x) { c.OnEnter = x.Event<TNotifyEvent>(v); });
    RegisterProperty<TWinControl>("OnExit", [](TWinControl& c, const Val& v, Ctx& x) { c.OnExit = x.Event<TNotifyEvent>(v); });
    RegisterProperty<TWinControl>("OnKeyDown", [](TWinControl& c, const Val& v, Ctx& x) { c.OnKeyDown = x.Event<TKeyEvent>(v); });
    RegisterProperty<TWinControl>("OnKeyUp", [](TWinControl& c, const Val& v, Ctx& x) { c.OnKeyUp = x.Event<TKeyEvent>(v); });
    RegisterProperty<TWinControl>("OnKeyPress",
                                  [](TWinControl& c, const Val& v, Ctx& x) { c.OnKeyPress = x.Event<TKeyPressEvent>(v); });
}

void RegisterFormProperties() {
    RegisterProperty<TCustomForm>("BorderStyle", [](TCustomForm& f, const Val& v, Ctx&) {
        f.SetBorderStyle(AsEnum<TFormBorderStyle>(
            v, {{"bsNone", TFormBorderStyle::bsNone}, {"bsSingle", TFormBorderStyle::bsSingle},
                {"bsSizeable", TFormBorderStyle::bsSizeable}, {"bsDialog", TFormBorderStyle::bsDialog},
                {"bsToolWindow", TFormBorderStyle::bsToolWindow}, {"bsSizeToolWin", TFormBorderStyle::bsSizeToolWin}}));
    });
    RegisterProperty<TCustomForm>("BorderIcons", [](TCustomForm& f, const Val& v, Ctx&) {
        f.SetBorderIcons(AsSetOf<TBorderIcon>(
            v, {{"biSystemMenu", biSystemMenu}, {"biMinimize", biMinimize}, {"biMaximize", biMaximize}, {"biHelp", biHelp}}));
    });
    RegisterProperty<TCustomForm>("Position", [](TCustomForm& f, const Val& v, Ctx&) {
        f.SetPosition(AsEnum<TPosition>(
            v, {{"poDesigned", TPosition::poDesigned}, {"poDefault", TPosition::poDefault},
                {"poDefaultPosOnly", TPosition::poDefaultPosOnly}, {"poDefaultSizeOnly", TPosition::poDefaultSizeOnly},
                {"poScreenCenter", TPosition::poScreenCenter}, {"poDesktopCenter", TPosition::poDesktopCenter},
                {"poMainFormCenter", TPosition::poMainFormCenter}, {"poOwnerFormCenter", TPosition::poOwnerFormCenter}}));
    });
    RegisterProperty<TCustomForm>("WindowState", [](TCustomForm& f, const Val& v, Ctx&) {
        f.SetWindowState(AsEnum<TWindowState>(v, {{"wsNormal", TWindowState::wsNormal},
                                                  {"wsMinimized", TWindowState::wsMinimized},
                                                  {"wsMaximized", TWindowState::wsMaximized}}));
    });
    RegisterProperty<TCustomForm>("FormStyle", [](TCustomForm& f, const Val& v, Ctx&) {
        f.SetFormStyle(
            AsEnum<TFormStyle>(v, {{"fsNormal", TFormStyle::fsNormal}, {"fsStayOnTop", TFormStyle::fsStayOnTop}}));
    });
    RegisterReferenceProperty<TCustomForm, TMainMenu>("Menu", &TCustomForm::SetMenu);
    RegisterProperty<TCustomForm>("AlphaBlend", [](TCustomForm& f, const Val& v, Ctx&) { f.SetAlphaBlend(AsBoolean(v)); });
    RegisterProperty<TCustomForm>("AlphaBlendValue", [](TCustomForm& f, const Val& v, Ctx&) {
        int value = AsInt(v);
        if (value < 0 || value > 255)
            throw EReadError("Invalid property value");
        f.SetAlphaBlendValue(static_cast<BYTE>(value));
    });
    RegisterProperty<TCustomForm>("KeyPreview", [](TCustomForm& f, const Val& v, Ctx&) { f.SetKeyPreview(AsBoolean(v)); });
    RegisterReferenceProperty<TCustomForm, TWinControl>("ActiveControl", &TCustomForm::SetActiveControl);
    RegisterProperty<TCustomForm>("Icon.Data", [](TCustomForm& f, const Val& v, Ctx&) {
        const auto& bytes = AsBinary(v);
        std::istringstream stream(std::string(bytes.begin(), bytes.end()));
        f.Icon().LoadFromStream(stream);
    });
    // Written by form designers; the screen's own density is used instead.
    RegisterProperty<TCustomForm>("PixelsPerInch", [](TCustomForm&, const Val& v, Ctx&) { (void)AsInt(v); });
    RegisterProperty<TCustomForm>("TextHeight", [](TCustomForm&, const Val& v, Ctx&) { (void)AsInt(v); });
    RegisterProperty<TCustomForm>("OnCreate", [](TCustomForm& f, const Val& v, Ctx& x) { f.OnCreate = x.Event<TNotifyEvent>(v); });
    RegisterProperty<TCustomForm>("OnDestroy",
                                  [](TCustomForm& f, const Val& v, Ctx& x) { f.OnDestroy = x.Event<TNotifyEvent>(v); });
    RegisterProperty<TCustomForm>("OnShow", [](TCustomForm& f, const Val& v, Ctx& x) { f.OnShow = x.Event<TNotifyEvent>(v); });
    RegisterProperty<TCustomForm>("OnHide", [](TCustomForm& f, const Val& v, Ctx& x) { f.OnHide = x.Event<TNotifyEvent>(v); });
    RegisterProperty<TCustomForm>("OnActivate",
                                  [](TCustomForm& f, const Val& v, Ctx& x) { f.OnActivate = x.Event<TNotifyEvent>(v); });
    RegisterProperty<TCustomForm>("OnDeactivate",
                                  [](TCustomForm& f, const Val& v, Ctx& x) { f.OnDeactivate = x.Event<TNotifyEvent>(v); });
    RegisterProperty<TCustomForm>("OnPaint", [](TCustomForm& f, const Val& v, Ctx& x) { f.OnPaint = x.Event<TNotifyEvent>(v); });
    RegisterProperty<TCustomForm>("OnClose", [](TCustomForm& f, const Val& v, Ctx& x) { f.OnClose = x.Event<TCloseEvent>(v); });
    RegisterProperty<TCustomForm>("OnCloseQuery",
                                  [](TCustomForm& f, const Val& v, Ctx& x) { f.OnCloseQuery = x.Event<TCloseQueryEvent>(v); });
}

TAlignment AlignmentOf(const Val& v) {
    return AsEnum<TAlignment>(v, {{"taLeftJustify", TAlignment::taLeftJustify},
                                  {"taRightJustify", TAlignment::taRightJustify},
                                  {"taCenter", TAlignment::taCenter}});
}

void RegisterStdControlProperties() {
    RegisterComponentClass<TEdit>();
    RegisterComponentClass<TGroupBox>();
    RegisterComponentClass<TButton>();
    RegisterComponentClass<TRadioButton>();
    RegisterComponentClass<TLabel>();
    RegisterComponentClass<TPageControl>();
    RegisterComponentClass<TTabSheet>();

    RegisterProperty<TEdit>("ReadOnly", [](TEdit& e, const Val& v, Ctx&) { e.SetReadOnly(AsBoolean(v)); });
    RegisterProperty<TEdit>("MaxLength", [](TEdit& e, const Val& v, Ctx&) { e.SetMaxLength(AsInt(v)); });
    RegisterProperty<TEdit>("AutoSelect", [](TEdit& e, const Val& v, Ctx&) { e.SetAutoSelect(AsBoolean(v)); });
    RegisterProperty<TEdit>("PasswordChar", [](TEdit& e, const Val& v, Ctx&) {
        const std::string& text = AsString(v);
        if (text.size() > 1)
            throw EReadError("Invalid property value");
        e.SetPasswordChar(text.empty() ? '\0' : text[0]);
    });
    RegisterProperty<TEdit>("OnChange", [](TEdit& e, const Val& v, Ctx& x) { e.OnChange = x.Event<TNotifyEvent>(v); });

    RegisterProperty<TButton>("Default", [](TButton& b, const Val& v, Ctx&) { b.SetDefault(AsBoolean(v)); });
    RegisterProperty<TButton>("Cancel", [](TButton& b, const Val& v, Ctx&) { b.SetCancel(AsBoolean(v)); });
    RegisterProperty<TButton>("ModalResult", [](TButton& b, const Val& v, Ctx&) {
        if (v.kind == TValueKind::vaInteger) {
            b.SetModalResult(AsInt(v));
            return;
        }
        b.SetModalResult(AsEnum<int>(v, {{"mrNone", mrNone}, {"mrOk", mrOk}, {"mrCancel", mrCancel},
                                         {"mrAbort", mrAbort}, {"mrRetry", mrRetry}, {"mrIgnore", mrIgnore},
                                         {"mrYes", mrYes}, {"mrNo", mrNo}, {"mrClose", mrClose}}));
    });
    RegisterReferenceProperty<TButton, TComponent>("Images", &TButton::SetImages);
    RegisterProperty<TButton>("ImageIndex", [](TButton& b, const Val& v, Ctx&) { b.SetImageIndex(AsInt(v)); });

    RegisterProperty<TRadioButton>("Checked", [](TRadioButton& r, const Val& v, Ctx&) { r.SetChecked(AsBoolean(v)); });
    RegisterProperty<TRadioButton>("Alignment", [](TRadioButton& r, const Val& v, Ctx&) { r.SetAlignment(AlignmentOf(v)); });

    RegisterProperty<TLabel>("AutoSize", [](TLabel& l, const Val& v, Ctx&) { l.SetAutoSize(AsBoolean(v)); });
    RegisterProperty<TLabel>("WordWrap", [](TLabel& l, const Val& v, Ctx&) { l.SetWordWrap(AsBoolean(v)); });
    RegisterProperty<TLabel>("Transparent", [](TLabel& l, const Val& v, Ctx&) { l.SetTransparent(AsBoolean(v)); });
    RegisterProperty<TLabel>("ShowAccelChar", [](TLabel& l, const Val& v, Ctx&) { l.SetShowAccelChar(AsBoolean(v)); });
    RegisterProperty<TLabel>("Alignment", [](TLabel& l, const Val& v, Ctx&) { l.SetAlignment(AlignmentOf(v)); });
    RegisterProperty<TLabel>("Layout", [](TLabel& l, const Val& v, Ctx&) {
        l.SetLayout(AsEnum<TTextLayout>(
            v, {{"tlTop", TTextLayout::tlTop}, {"tlCenter", TTextLayout::tlCenter}, {"tlBottom", TTextLayout::tlBottom}}));
    });
    RegisterReferenceProperty<TLabel, TWinControl>("FocusControl", &TLabel::SetFocusControl);

    RegisterReferenceProperty<TPageControl, TTabSheet>("ActivePage", &TPageControl::SetActivePage);
    RegisterReferenceProperty<TPageControl, TComponent>("Images", &TPageControl::SetImages);
    RegisterProperty<TPageControl>("OnChange", [](TPageControl& p, const Val& v, Ctx& x) { p.OnChange = x.Event<TNotifyEvent>(v); });
    RegisterProperty<TTabSheet>("ImageIndex", [](TTabSheet& t, const Val& v, Ctx&) { t.SetImageIndex(AsInt(v)); });
    RegisterProperty<TTabSheet>("TabVisible", [](TTabSheet& t, const Val& v, Ctx&) { t.SetTabVisible(AsBoolean(v)); });
    RegisterProperty<TTabSheet>("PageIndex", [](TTabSheet& t, const Val& v, Ctx&) { t.SetPageIndex(AsInt(v)); });
}

} // namespace

void RegisterFormClasses() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterComponentClass<TForm>();
    RegisterControlProperties();
    RegisterFormProperties();
    RegisterStdControlProperties();
    RegisterSpeedButtonClass();
}

} // namespace sj
