#include "forms/NonVisualClasses.h"

#include "forms/Dialogs.h"
#include "forms/FormReader.h"
#include "forms/ImgList.h"
#include "forms/Menus.h"
#include "forms/Timer.h"

namespace sj {

namespace {

template <class C> using TSetter = std::function<void(C& target, const TPropValue& value, TReadContext& context)>;

template <class C> void Bool(const std::string& name, void (C::*setter)(bool)) {
    RegisterProperty<C>(name, TSetter<C>([setter](C& target, const TPropValue& value, TReadContext&) {
                            (target.*setter)(AsBoolean(value));
                        }));
}

template <class C> void Int(const std::string& name, void (C::*setter)(int)) {
    RegisterProperty<C>(name, TSetter<C>([setter](C& target, const TPropValue& value, TReadContext&) {
                            (target.*setter)(AsInt(value));
                        }));
}

template <class C> void Str(const std::string& name, std::string C::*field) {
    RegisterProperty<C>(name, TSetter<C>([field](C& target, const TPropValue& value, TReadContext&) {
                            target.*field = AsString(value);
                        }));
}

template <class C, class E> void Event(const std::string& name, E C::*field) {
    RegisterProperty<C>(name, TSetter<C>([field](C& target, const TPropValue& value, TReadContext& context) {
                            target.*field = context.Event<E>(value);
                        }));
}

void RegisterMenuItem() {
    RegisterComponentClass<TMenuItem>();
    RegisterProperty<TMenuItem>("Caption", TSetter<TMenuItem>([](TMenuItem& item, const TPropValue& value,
                                                                 TReadContext&) { item.SetCaption(AsString(value)); }));
    RegisterProperty<TMenuItem>("Hint", TSetter<TMenuItem>([](TMenuItem& item, const TPropValue& value, TReadContext&) {
                                    item.SetHint(AsString(value));
                                }));
    Bool<TMenuItem>("Checked", &TMenuItem::SetChecked);
    Bool<TMenuItem>("Enabled", &TMenuItem::SetEnabled);
    Bool<TMenuItem>("Visible", &TMenuItem::SetVisible);
    Bool<TMenuItem>("Default", &TMenuItem::SetDefault);
    Bool<TMenuItem>("RadioItem", &TMenuItem::SetRadioItem);
    Bool<TMenuItem>("AutoCheck", &TMenuItem::SetAutoCheck);
    Int<TMenuItem>("GroupIndex", &TMenuItem::SetGroupIndex);
    Int<TMenuItem>("ImageIndex", &TMenuItem::SetImageIndex);
    RegisterProperty<TMenuItem>("Break",
                                TSetter<TMenuItem>([](TMenuItem& item, const TPropValue& value, TReadContext&) {
                                    item.SetBreak(AsEnum<TMenuBreak>(value, {{"mbNone", TMenuBreak::mbNone},
                                                                             {"mbBreak", TMenuBreak::mbBreak},
                                                                             {"mbBarBreak", TMenuBreak::mbBarBreak}}));
                                }));
    // Stored as the number (112 for F1) or as its text ("F1").
    RegisterProperty<TMenuItem>("ShortCut",
                                TSetter<TMenuItem>([](TMenuItem& item, const TPropValue& value, TReadContext&) {
                                    if (value.kind == TValueKind::vaString) {
                                        item.SetShortCut(TextToShortCut(value.text));
                                    } else {
                                        item.SetShortCut(static_cast<TShortCut>(AsInt(value)));
                                    }
                                }));
    Event<TMenuItem>("OnClick", &TMenuItem::OnClick);
    Event<TMenuItem>("OnMeasureItem", &TMenuItem::OnMeasureItem);
    Event<TMenuItem>("OnDrawItem", &TMenuItem::OnDrawItem);
    Event<TMenuItem>("OnAdvancedDrawItem", &TMenuItem::OnAdvancedDrawItem);
}

void RegisterPopupMenu() {
    RegisterComponentClass<TPopupMenu>();
    RegisterReferenceProperty<TMenu, TCustomImageList>("Images", &TMenu::SetImages);
    Bool<TMenu>("OwnerDraw", &TMenu::SetOwnerDraw);
    RegisterProperty<TPopupMenu>(
        "Alignment", TSetter<TPopupMenu>([](TPopupMenu& menu, const TPropValue& value, TReadContext&) {
            menu.SetAlignment(AsEnum<TPopupAlignment>(value, {{"paLeft", TPopupAlignment::paLeft},
                                                              {"paRight", TPopupAlignment::paRight},
                                                              {"paCenter", TPopupAlignment::paCenter}}));
        }));
    Bool<TPopupMenu>("AutoPopup", &TPopupMenu::SetAutoPopup);
    Event<TPopupMenu>("OnPopup", &TPopupMenu::OnPopup);
    RegisterComponentClass<TMainMenu>();
}

void RegisterOpenDialog() {
    RegisterComponentClass<TOpenDialog>();
    Str<TOpenDialog>("Filter", &TOpenDialog::Filter);
    Str<TOpenDialog>("Title", &TOpenDialog::Title);
    Str<TOpenDialog>("InitialDir", &TOpenDialog::InitialDir);
    Str<TOpenDialog>("FileName", &TOpenDialog::FileName);
    Str<TOpenDialog>("DefaultExt", &TOpenDialog::DefaultExt);
    RegisterProperty<TOpenDialog>("FilterIndex",
                                  TSetter<TOpenDialog>([](TOpenDialog& dialog, const TPropValue& value, TReadContext&) {
                                      dialog.FilterIndex = AsInt(value);
                                  }));
    RegisterProperty<TOpenDialog>(
        "Options", TSetter<TOpenDialog>([](TOpenDialog& dialog, const TPropValue& value, TReadContext&) {
            dialog.Options = AsSetOf<TOpenOption>(value, {{"ofReadOnly", ofReadOnly},
                                                          {"ofOverwritePrompt", ofOverwritePrompt},
                                                          {"ofHideReadOnly", ofHideReadOnly},
                                                          {"ofNoChangeDir", ofNoChangeDir},
                                                          {"ofShowHelp", ofShowHelp},
                                                          {"ofNoValidate", ofNoValidate},
                                                          {"ofAllowMultiSelect", ofAllowMultiSelect},
                                                          {"ofExtensionDifferent", ofExtensionDifferent},
                                                          {"ofPathMustExist", ofPathMustExist},
                                                          {"ofFileMustExist", ofFileMustExist},
                                                          {"ofCreatePrompt", ofCreatePrompt},
                                                          {"ofShareAware", ofShareAware},
                                                          {"ofNoReadOnlyReturn", ofNoReadOnlyReturn},
                                                          {"ofNoTestFileCreate", ofNoTestFileCreate},
                                                          {"ofNoNetworkButton", ofNoNetworkButton},
                                                          {"ofNoLongNames", ofNoLongNames},
                                                          {"ofOldStyleDialog", ofOldStyleDialog},
                                                          {"ofNoDereferenceLinks", ofNoDereferenceLinks},
                                                          {"ofEnableIncludeNotify", ofEnableIncludeNotify},
                                                          {"ofEnableSizing", ofEnableSizing},
                                                          {"ofDontAddToRecent", ofDontAddToRecent},
                                                          {"ofForceShowHidden", ofForceShowHidden}});
        }));
}

void RegisterTimer() {
    RegisterComponentClass<TTimer>();
    Bool<TTimer>("Enabled", &TTimer::SetEnabled);
    RegisterProperty<TTimer>("Interval", TSetter<TTimer>([](TTimer& timer, const TPropValue& value, TReadContext&) {
                                 timer.SetInterval(static_cast<unsigned>(std::max(AsInt(value), 0)));
                             }));
    RegisterProperty<TTimer>("OnTimer",
                             TSetter<TTimer>([](TTimer& timer, const TPropValue& value, TReadContext& context) {
                                 timer.SetOnTimer(context.Event<TNotifyEvent>(value));
                             }));
}

void RegisterImageList() {
    RegisterComponentClass<TImageList>();
    // Width and height together, since a new size empties the list.
    RegisterProperty<TCustomImageList>(
        "Width", TSetter<TCustomImageList>([](TCustomImageList& list, const TPropValue& value, TReadContext&) {
            list.SetSize(AsInt(value), list.Height());
        }));
    RegisterProperty<TCustomImageList>(
        "Height", TSetter<TCustomImageList>([](TCustomImageList& list, const TPropValue& value, TReadContext&) {
            list.SetSize(list.Width(), AsInt(value));
        }));
    Bool<TCustomImageList>("Masked", &TCustomImageList::SetMasked);
    RegisterProperty<TCustomImageList>("AllocBy",
                                       TSetter<TCustomImageList>([](TCustomImageList& list, const TPropValue& value,
                                                                    TReadContext&) { list.SetAllocBy(AsInt(value)); }));
    RegisterProperty<TCustomImageList>(
        "BkColor", TSetter<TCustomImageList>([](TCustomImageList& list, const TPropValue& value, TReadContext&) {
            list.SetBkColor(AsColor(value));
        }));
    RegisterProperty<TCustomImageList>(
        "BlendColor", TSetter<TCustomImageList>([](TCustomImageList& list, const TPropValue& value, TReadContext&) {
            list.SetBlendColor(AsColor(value));
        }));
    RegisterProperty<TCustomImageList>(
        "DrawingStyle", TSetter<TCustomImageList>([](TCustomImageList& list, const TPropValue& value, TReadContext&) {
            list.SetDrawingStyle(AsEnum<TDrawingStyle>(value, {{"dsFocus", TDrawingStyle::dsFocus},
                                                               {"dsSelected", TDrawingStyle::dsSelected},
                                                               {"dsNormal", TDrawingStyle::dsNormal},
                                                               {"dsTransparent", TDrawingStyle::dsTransparent}}));
        }));
    RegisterProperty<TCustomImageList>(
        "ImageType", TSetter<TCustomImageList>([](TCustomImageList& list, const TPropValue& value, TReadContext&) {
            list.SetImageType(
                AsEnum<TImageType>(value, {{"itImage", TImageType::itImage}, {"itMask", TImageType::itMask}}));
        }));
}

} // namespace

void RegisterNonVisualClasses() {
    static bool registered = false;
    if (registered) {
        return;
    }
    registered = true;
    RegisterMenuItem();
    RegisterPopupMenu();
    RegisterOpenDialog();
    RegisterTimer();
    RegisterImageList();
}

} // namespace sj
