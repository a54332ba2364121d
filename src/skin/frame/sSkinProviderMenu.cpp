// The window menu of a skinned form, with its choice of skins.
#include "skin/frame/sSkinProvider.h"

#include "skin/frame/sSkinProviderInternal.h"

namespace sj {

using namespace provider_detail;

// ---- window menu ----------------------------------------------------------------------

TsSystemMenu::TsSystemMenu(TsSkinProvider& provider, TCustomForm& form)
    : TPopupMenu(&provider), provider_(provider), form_(form) {
    SetName("acSysMenu" + std::to_string(::GetTickCount()));
}

bool TsSystemMenu::Bordered(TFormBorderStyle style) const {
    return style == TFormBorderStyle::bsSingle || style == TFormBorderStyle::bsSizeable;
}

bool TsSystemMenu::VisibleClose() const {
    if (!provider_.HasSysButtons() || !form_.HandleAllocated())
        return false;
    HMENU menu = ::GetSystemMenu(form_.Handle(), FALSE);
    return menu != nullptr && ::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

bool TsSystemMenu::VisibleMax() const {
    if (!provider_.HasSysButtons())
        return false;
    if (provider_.IsMinimized())
        return true;
    return Bordered(form_.BorderStyle()) && (form_.BorderIcons() & biMaximize) != 0;
}

bool TsSystemMenu::VisibleMin() const {
    if (!provider_.HasSysButtons())
        return false;
    if (provider_.IsMinimized())
        return true;
    return Bordered(form_.BorderStyle()) && (form_.BorderIcons() & biMinimize) != 0;
}

bool TsSystemMenu::EnabledMax() const {
    return Bordered(form_.BorderStyle()) && (form_.BorderIcons() & biMaximize) != 0;
}

bool TsSystemMenu::EnabledMin() const {
    if ((form_.BorderIcons() & biMinimize) == 0)
        return false;
    return !provider_.IsMinimized() || Application->MainForm() == &form_;
}

bool TsSystemMenu::EnabledRestore() const {
    return ((form_.BorderIcons() & biMaximize) != 0 && provider_.IsMaximized()) || provider_.IsMinimized();
}

std::string TsSystemMenu::SystemCaption(UINT command, const char* fallback, std::string* shortcut) const {
    HMENU menu = form_.HandleAllocated() ? ::GetSystemMenu(form_.Handle(), FALSE) : nullptr;
    char text[256] = {};
    if (menu == nullptr || ::GetMenuStringA(menu, command, text, sizeof text, MF_BYCOMMAND) <= 0)
        return fallback;
    std::string caption(text);
    const std::size_t tab = caption.find('\t');
    if (tab != std::string::npos) {
        if (shortcut != nullptr)
            *shortcut = caption.substr(tab + 1);
        caption.erase(tab);
    }
    return caption;
}

void TsSystemMenu::SendCommand(UINT command) {
    if (form_.HandleAllocated())
        ::SendMessageA(form_.Handle(), WM_SYSCOMMAND, command, 0);
}

TMenuItem* TsSystemMenu::AddStandardItem(const char* name, UINT command, const char* fallback) {
    auto* item = new TMenuItem(this);
    item->SetName(name);
    item->SetTag(static_cast<std::intptr_t>(command));
    std::string shortcut;
    std::string caption = SystemCaption(command, fallback, &shortcut);
    if (!shortcut.empty())
        caption += "\t" + shortcut;
    item->SetCaption(caption);
    item->OnClick = [this, command](TObject*) {
        TsSkinProvider& provider = provider_;
        SendCommand(command);
        if (command != SC_CLOSE && command != SC_MOVE && command != SC_SIZE)
            provider.SystemMenu()->UpdateItems();
    };
    Items().Add(item);
    return item;
}

void TsSystemMenu::Rebuild() {
    Items().Clear();
    restore_ = AddStandardItem("acIR", SC_RESTORE, "Restore");
    move_ = AddStandardItem("acIM", SC_MOVE, "Move");
    size_ = AddStandardItem("acIS", SC_SIZE, "Size");
    minimize_ = AddStandardItem("acIN", SC_MINIMIZE, "Minimize");
    maximize_ = AddStandardItem("acIX", SC_MAXIMIZE, "Maximize");
    auto* line = new TMenuItem(this);
    line->SetCaption("-");
    Items().Add(line);
    extraCount_ = 0;
    HMENU menu = form_.HandleAllocated() ? ::GetSystemMenu(form_.Handle(), FALSE) : nullptr;
    const int count = menu != nullptr ? ::GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        const UINT id = ::GetMenuItemID(menu, i);
        char text[256] = {};
        if (id >= SC_SIZE || id == 0 || id == static_cast<UINT>(-1) ||
            ::GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION) <= 0)
            continue;
        auto* extra = new TMenuItem(this);
        extra->SetCaption(text); // a tab keeps the shortcut text on the right
        extra->SetTag(static_cast<std::intptr_t>(id));
        extra->OnClick = [this, id](TObject*) {
            if (form_.HandleAllocated())
                ::PostMessageA(form_.Handle(), WM_SYSCOMMAND, id, 0);
        };
        Items().Add(extra);
        ++extraCount_;
    }
    if (extraCount_ > 0) {
        auto* after = new TMenuItem(this);
        after->SetCaption("-");
        Items().Add(after);
    }
    close_ = AddStandardItem("acIC", SC_CLOSE, "Close");
    built_ = true;
}

void TsSystemMenu::UpdateItems(bool rebuild) {
    if (rebuild || !built_)
        Rebuild();
    const TFormBorderStyle style = form_.BorderStyle();
    restore_->SetVisible(provider_.HasSysButtons() && Bordered(style));
    restore_->SetEnabled(EnabledRestore());
    move_->SetVisible(true);
    move_->SetEnabled(!provider_.IsMaximized());
    size_->SetVisible(style != TFormBorderStyle::bsNone && style != TFormBorderStyle::bsDialog &&
                      style != TFormBorderStyle::bsToolWindow);
    size_->SetEnabled(style != TFormBorderStyle::bsSingle && !provider_.IsMinimized());
    minimize_->SetVisible(VisibleMin());
    minimize_->SetEnabled(EnabledMin());
    maximize_->SetVisible(VisibleMax());
    maximize_->SetEnabled(EnabledMax());
    close_->SetVisible(VisibleClose());
    close_->SetEnabled(true);
}

TMenuItem* TsSystemMenu::SkinItem() const {
    for (int i = 0; i < Items().Count(); ++i)
        if (Items().Items(i)->Name() == kSkinSelectItem)
            return Items().Items(i);
    return nullptr;
}

void TsSystemMenu::MakeSkinItems() {
    if (TMenuItem* old = SkinItem()) {
        const int index = Items().IndexOf(old);
        Items().Delete(index);
        if (index < Items().Count() && Items().Items(index)->IsLine())
            Items().Delete(index);
    }
    TsSkinManager* manager = provider_.SkinManager();
    if (manager == nullptr)
        return;
    std::vector<std::string> skins;
    manager->ListSkins(skins);
    if (skins.empty())
        return;
    auto* root = new TMenuItem(this);
    root->SetName(kSkinSelectItem);
    root->SetCaption("Available skins");
    for (std::size_t i = 0; i < skins.size(); ++i) {
        auto* item = new TMenuItem(this);
        item->SetName(kSkinSelectItem + std::to_string(i));
        // An "&" of a skin name is shown as itself, not as an accelerator.
        std::string caption;
        for (char c : skins[i])
            caption += c == '&' ? std::string("&&") : std::string(1, c);
        item->SetCaption(caption);
        item->SetRadioItem(true);
        item->SetChecked(skins[i] == manager->SkinName());
        if (i > 0 && i % 20 == 0)
            item->SetBreak(TMenuBreak::mbBreak);
        item->OnClick = [manager, item](TObject*) { manager->SetSkinName(SkinNameFromMenuCaption(item->Caption())); };
        root->Add(item);
    }
    Items().Insert(0, root);
    auto* line = new TMenuItem(this);
    line->SetCaption("-");
    Items().Insert(1, line);
}

} // namespace sj
