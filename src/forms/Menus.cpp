#include "forms/Menus.h"

#include "forms/Bitmap.h"
#include "forms/GdiHandles.h"
#include "forms/ImgList.h"
#include "forms/Messages.h"
#include "forms/UtilWindow.h"
#include "platform/Exception.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <utility>

namespace sj {

namespace {

// ---- Command numbers -----------------------------------------------------------

std::map<WORD, TMenuItem*>& Commands() {
    // Never destroyed: windows and objects torn down at exit (after the C++ runtime has
    // begun destroying statics) still look it up.
    static auto& commands = *new std::map<WORD, TMenuItem*>();
    return commands;
}

WORD AllocateCommand(TMenuItem* item) {
    static WORD next = 1;
    std::map<WORD, TMenuItem*>& commands = Commands();
    if (commands.size() >= 0xFFFE) {
        throw Exception("Too many menu items");
    }
    while (next == 0 || commands.count(next) != 0) {
        ++next;
    }
    const WORD command = next++;
    commands[command] = item;
    return command;
}

// ---- Shortcut names ------------------------------------------------------------

constexpr std::array<TIdentMapEntry<WORD>, 17> KeyNames{{
    {VK_BACK, "BkSp"},
    {VK_TAB, "Tab"},
    {VK_RETURN, "Enter"},
    {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"},
    {VK_NEXT, "PgDn"},
    {VK_END, "End"},
    {VK_HOME, "Home"},
    {VK_LEFT, "Left"},
    {VK_UP, "Up"},
    {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},
    {VK_INSERT, "Ins"},
    {VK_DELETE, "Del"},
    {VK_ADD, "Num +"},
    {VK_SUBTRACT, "Num -"},
}};

std::string KeyName(WORD key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        return std::string(1, static_cast<char>(key));
    }
    if (key >= VK_F1 && key <= VK_F24) {
        return "F" + std::to_string(key - VK_F1 + 1);
    }
    const char* name = IdentOf(KeyNames, key);
    return name != nullptr ? std::string(name) : std::string();
}

bool StartsWithNoCase(const std::string& text, std::size_t at, const char* prefix) {
    for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
        if (at + i >= text.size() || std::tolower(static_cast<unsigned char>(text[at + i])) !=
                                         std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

// ---- Menu painting helpers -----------------------------------------------------

void UseMenuFont(TCanvas& canvas, bool bold) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        canvas.Font().AssignLogFont(metrics.lfMenuFont);
    }
    canvas.Font().SetColor(clMenuText);
    if (bold) {
        canvas.Font().SetStyle(canvas.Font().Style() | fsBold);
    }
}

constexpr int MenuMargin = 2;
constexpr int GlyphGap = 6;

} // namespace

// ---- Free functions ------------------------------------------------------------

std::string ShortCutToText(TShortCut shortCut) {
    const std::string key = KeyName(static_cast<WORD>(shortCut & 0xFF));
    if (key.empty()) {
        return std::string();
    }
    std::string text;
    if ((shortCut & scShift) != 0) {
        text += "Shift+";
    }
    if ((shortCut & scCtrl) != 0) {
        text += "Ctrl+";
    }
    if ((shortCut & scAlt) != 0) {
        text += "Alt+";
    }
    return text + key;
}

TShortCut TextToShortCut(const std::string& text) {
    TShortCut modifiers = 0;
    std::size_t at = 0;
    for (bool found = true; found;) {
        found = false;
        static constexpr std::pair<const char*, TShortCut> Prefixes[] = {
            {"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}};
        for (const auto& [prefix, flag] : Prefixes) {
            if (StartsWithNoCase(text, at, prefix)) {
                modifiers |= flag;
                at += std::char_traits<char>::length(prefix);
                found = true;
            }
        }
    }
    const std::string rest = text.substr(at);
    for (WORD key = 1; key < 256; ++key) {
        const std::string name = KeyName(key);
        if (!name.empty() && name.size() == rest.size() && StartsWithNoCase(rest, 0, name.c_str())) {
            return static_cast<TShortCut>(modifiers | key);
        }
    }
    return scNone;
}

std::string StripHotkey(const std::string& caption) {
    std::string result;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                result += '&';
                ++i;
            }
            continue;
        }
        result += caption[i];
    }
    return result;
}

char GetHotkey(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (caption[i + 1] == '&') {
                ++i;
                continue;
            }
            return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
        }
    }
    return 0;
}

TOwnerDrawState OwnerDrawStateFromSystem(UINT itemState) {
    static constexpr std::pair<UINT, TOwnerDrawStateFlag> Map[] = {
        {ODS_SELECTED, odSelected},       {ODS_GRAYED, odGrayed},     {ODS_DISABLED, odDisabled},
        {ODS_CHECKED, odChecked},         {ODS_FOCUS, odFocused},     {ODS_DEFAULT, odDefault},
        {ODS_HOTLIGHT, odHotLight},       {ODS_INACTIVE, odInactive}, {ODS_NOACCEL, odNoAccel},
        {ODS_NOFOCUSRECT, odNoFocusRect},
    };
    TOwnerDrawState state = 0;
    for (const auto& [system, flag] : Map) {
        if ((itemState & system) != 0) {
            state |= flag;
        }
    }
    return state;
}

// ---- TMenuItem -----------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {
    FCommand = AllocateCommand(this);
}

TMenuItem::~TMenuItem() {
    Destroying();
    while (!FItems.empty()) {
        TMenuItem* child = FItems.back();
        FItems.pop_back();
        child->FParent = nullptr;
        delete child;
    }
    if (FParent != nullptr) {
        FParent->Remove(this);
    }
    Commands().erase(FCommand);
}

TMenuItem* TMenuItem::FromCommand(WORD command) {
    const auto found = Commands().find(command);
    return found != Commands().end() ? found->second : nullptr;
}

void TMenuItem::Changed() {
    if (TMenu* menu = GetParentMenu()) {
        menu->ItemsChanged();
    }
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* item = this;
    while (item->FParent != nullptr) {
        item = item->FParent;
    }
    return item->FMenu;
}

void TMenuItem::SetCaption(const std::string& caption) {
    if (caption != FCaption) {
        FCaption = caption;
        Changed();
    }
}

void TMenuItem::UncheckRadioSiblings() {
    if (FParent == nullptr) {
        return;
    }
    for (TMenuItem* sibling : FParent->FItems) {
        if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex && sibling->FChecked) {
            sibling->FChecked = false;
        }
    }
}

void TMenuItem::SetChecked(bool checked) {
    if (checked != FChecked) {
        FChecked = checked;
        if (checked && FRadioItem) {
            UncheckRadioSiblings();
        }
        Changed();
    }
}

void TMenuItem::SetEnabled(bool enabled) {
    if (enabled != FEnabled) {
        FEnabled = enabled;
        Changed();
    }
}

void TMenuItem::SetVisible(bool visible) {
    if (visible != FVisible) {
        FVisible = visible;
        Changed();
    }
}

void TMenuItem::SetDefault(bool isDefault) {
    if (isDefault != FDefault) {
        if (isDefault && FParent != nullptr) {
            for (TMenuItem* sibling : FParent->FItems) {
                sibling->FDefault = false;
            }
        }
        FDefault = isDefault;
        Changed();
    }
}

void TMenuItem::SetRadioItem(bool radio) {
    if (radio != FRadioItem) {
        FRadioItem = radio;
        if (radio && FChecked) {
            UncheckRadioSiblings();
        }
        Changed();
    }
}

void TMenuItem::SetGroupIndex(int index) {
    if (index != FGroupIndex) {
        FGroupIndex = index;
        if (FRadioItem && FChecked) {
            UncheckRadioSiblings();
        }
        Changed();
    }
}

void TMenuItem::SetBreak(TMenuBreak value) {
    if (value != FBreak) {
        FBreak = value;
        Changed();
    }
}

void TMenuItem::SetShortCut(TShortCut shortCut) {
    if (shortCut != FShortCut) {
        FShortCut = shortCut;
        Changed();
    }
}

void TMenuItem::SetImageIndex(int index) {
    if (index != FImageIndex) {
        FImageIndex = index;
        Changed();
    }
}

TBitmap& TMenuItem::Bitmap() {
    if (!FBitmap) {
        FBitmap = std::make_unique<TBitmap>();
        FBitmap->OnChange = [this] { Changed(); };
    }
    return *FBitmap;
}

void TMenuItem::SetSubMenuImages(TCustomImageList* images) {
    if (images == FSubMenuImages) {
        return;
    }
    if (FSubMenuImages != nullptr) {
        FSubMenuImages->RemoveFreeNotification(this);
    }
    FSubMenuImages = images;
    if (FSubMenuImages != nullptr) {
        FSubMenuImages->FreeNotification(this);
    }
    Changed();
}

void TMenuItem::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FSubMenuImages) {
        FSubMenuImages = nullptr;
        Changed();
    }
}

HMENU TMenuItem::ShownSubMenu() const {
    return FMenu != nullptr ? FMenu->BuiltHandle() : FBuiltSubMenu;
}

std::string TMenuItem::DisplayText() const {
    const std::string shortCut = ShortCutToText(FShortCut);
    return shortCut.empty() ? FCaption : FCaption + "\t" + shortCut;
}

TMenuItem* TMenuItem::Items(int index) const {
    if (index < 0 || index >= Count()) {
        throw Exception("Menu index out of range");
    }
    return FItems[static_cast<std::size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item) {
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (item == nullptr || item == this) {
        return;
    }
    for (const TMenuItem* up = this; up != nullptr; up = up->FParent) {
        if (up == item) {
            throw Exception("Menu inserted twice");
        }
    }
    if (item->FParent != nullptr) {
        item->FParent->Remove(item);
    }
    index = std::clamp(index, 0, Count());
    FItems.insert(FItems.begin() + index, item);
    item->FParent = this;
    Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
    const auto found = std::find(FItems.begin(), FItems.end(), item);
    if (found == FItems.end()) {
        return;
    }
    FItems.erase(found);
    item->FParent = nullptr;
    Changed();
}

void TMenuItem::Delete(int index) {
    delete Items(index);
}

void TMenuItem::Clear() {
    while (!FItems.empty()) {
        delete FItems.back();
    }
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    const auto found = std::find(FItems.begin(), FItems.end(), item);
    return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

bool TMenuItem::IsOwnerDrawn() const {
    const TMenu* menu = GetParentMenu();
    return (menu != nullptr && menu->OwnerDraw()) || static_cast<bool>(OnMeasureItem) ||
           static_cast<bool>(OnDrawItem) || static_cast<bool>(OnAdvancedDrawItem);
}

void TMenuItem::Click() {
    if (!FEnabled) {
        return;
    }
    if (FAutoCheck) {
        SetChecked(FRadioItem ? true : !FChecked);
    }
    if (OnClick) {
        // A copy: the handler may free the item or replace its own handler.
        const TNotifyEvent handler = OnClick;
        handler(this);
    }
}

void TMenuItem::SetParentComponent(TComponent* parent) {
    if (auto* menu = dynamic_cast<TMenu*>(parent)) {
        menu->Items().Add(this);
    } else if (auto* item = dynamic_cast<TMenuItem*>(parent)) {
        item->Add(this);
    }
}

void TMenuItem::MeasureItem(TCanvas& canvas, int& width, int& height) {
    if (IsLine()) {
        width = 0;
        height = ::GetSystemMetrics(SM_CYMENU) / 2;
    } else {
        int glyphWidth = 16;
        int glyphHeight = 16;
        const TMenu* menu = GetParentMenu();
        if (FBitmap && !FBitmap->Empty()) {
            glyphWidth = FBitmap->Width();
            glyphHeight = FBitmap->Height();
        } else if (menu != nullptr && menu->Images() != nullptr) {
            glyphWidth = menu->Images()->Width();
            glyphHeight = menu->Images()->Height();
        }
        RECT text{0, 0, 0, 0};
        canvas.DrawText(DisplayText(), text, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
        width = glyphWidth + GlyphGap + (text.right - text.left) + 3 * MenuMargin + GlyphGap;
        height = std::max({static_cast<int>(text.bottom - text.top) + 2 * MenuMargin, glyphHeight + 2 * MenuMargin,
                           ::GetSystemMetrics(SM_CYMENU)});
    }
    if (OnMeasureItem) {
        OnMeasureItem(this, canvas, width, height);
    }
}

void TMenuItem::AdvancedDrawItem(TCanvas& canvas, const RECT& rect, TOwnerDrawState state) {
    if (OnAdvancedDrawItem) {
        OnAdvancedDrawItem(this, canvas, rect, state);
    } else if (OnDrawItem) {
        OnDrawItem(this, canvas, rect, (state & odSelected) != 0);
    } else {
        DrawDefault(canvas, rect, state);
    }
}

void TMenuItem::DrawDefault(TCanvas& canvas, const RECT& rect, TOwnerDrawState state) {
    const bool selected = (state & odSelected) != 0 && !IsLine();
    const bool disabled = (state & (odDisabled | odGrayed)) != 0 || !FEnabled;
    canvas.Brush().SetColor(selected ? clHighlight : clMenu);
    canvas.FillRect(rect);
    if (IsLine()) {
        const int middle = (rect.top + rect.bottom) / 2;
        canvas.Pen().SetColor(clBtnShadow);
        canvas.MoveTo(rect.left + MenuMargin, middle);
        canvas.LineTo(rect.right - MenuMargin, middle);
        return;
    }

    TMenu* menu = GetParentMenu();
    TCustomImageList* images = menu != nullptr ? menu->Images() : nullptr;
    int glyphWidth = images != nullptr ? images->Width() : 16;
    const int glyphLeft = rect.left + MenuMargin;
    if (FBitmap && !FBitmap->Empty()) {
        glyphWidth = FBitmap->Width();
        canvas.Draw(glyphLeft, (rect.top + rect.bottom - FBitmap->Height()) / 2, *FBitmap);
    } else if (images != nullptr && FImageIndex >= 0 && FImageIndex < images->Count()) {
        images->Draw(canvas, glyphLeft, (rect.top + rect.bottom - images->Height()) / 2, FImageIndex, !disabled);
    } else if (FChecked) {
        RECT mark{glyphLeft, rect.top, glyphLeft + glyphWidth, rect.bottom};
        const int size = std::min<int>(glyphWidth, rect.bottom - rect.top);
        mark.top = (rect.top + rect.bottom - size) / 2;
        mark.bottom = mark.top + size;
        ::DrawFrameControl(canvas.Handle(), &mark, DFC_MENU, FRadioItem ? DFCS_MENUBULLET : DFCS_MENUCHECK);
    }

    RECT text{glyphLeft + glyphWidth + GlyphGap, rect.top, rect.right - GlyphGap, rect.bottom};
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
    if ((state & odNoAccel) != 0) {
        flags |= DT_HIDEPREFIX;
    }
    canvas.Font().SetColor(disabled ? clGrayText : selected ? clHighlightText : clMenuText);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.DrawText(FCaption, text, flags | DT_LEFT);
    const std::string shortCut = ShortCutToText(FShortCut);
    if (!shortCut.empty()) {
        canvas.DrawText(shortCut, text, flags | DT_RIGHT);
    }
}

// ---- TMenu ---------------------------------------------------------------------

TMenu::TMenu(TComponent* owner) : TComponent(owner), FItems(std::make_unique<TMenuItem>(nullptr)) {
    FItems->FMenu = this;
}

TMenu::~TMenu() {
    Destroying();
    FreeHandle();
    FItems.reset();
}

void TMenu::SetImages(TCustomImageList* images) {
    if (images == FImages) {
        return;
    }
    if (FImages != nullptr) {
        FImages->RemoveFreeNotification(this);
    }
    FImages = images;
    if (FImages != nullptr) {
        FImages->FreeNotification(this);
    }
    ItemsChanged();
}

void TMenu::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FImages) {
        FImages = nullptr;
        ItemsChanged();
    }
}

void TMenu::SetOwnerDraw(bool ownerDraw) {
    if (ownerDraw != FOwnerDraw) {
        FOwnerDraw = ownerDraw;
        ItemsChanged();
    }
}

void TMenu::ItemsChanged() {
    FDirty = true;
    Changed();
}

HMENU TMenu::Handle() {
    if (FDirty || FHandle == nullptr) {
        // Built before the old one goes, so that a window showing the menu is handed
        // the new one while the old one still exists.
        HMENU old = FHandle;
        FHandle = nullptr;
        ForgetBuiltSubMenus();
        FHandle = Build(*FItems, !BuildsBar());
        FDirty = false;
        if (old != nullptr) {
            HandleReplaced(old, FHandle);
            ::DestroyMenu(old);
        }
    }
    return FHandle;
}

HMENU TMenu::Build(TMenuItem& parent, bool popup) {
    HMENU menu = popup ? ::CreatePopupMenu() : ::CreateMenu();
    if (menu == nullptr) {
        return nullptr;
    }
    UINT position = 0;
    for (TMenuItem* item : parent.FItems) {
        if (!item->FVisible) {
            continue;
        }
        const bool hasChildren = std::any_of(item->FItems.begin(), item->FItems.end(),
                                             [](const TMenuItem* child) { return child->FVisible; });
        item->FBuiltSubMenu = hasChildren ? Build(*item, true) : nullptr;

        std::string text = item->DisplayText();
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU | MIIM_STRING;
        info.fType = item->IsLine() ? MFT_SEPARATOR : 0;
        if (item->IsOwnerDrawn()) {
            info.fType |= MFT_OWNERDRAW;
        }
        if (item->FRadioItem) {
            info.fType |= MFT_RADIOCHECK;
        }
        if (item->FBreak == TMenuBreak::mbBreak) {
            info.fType |= MFT_MENUBREAK;
        } else if (item->FBreak == TMenuBreak::mbBarBreak) {
            info.fType |= MFT_MENUBARBREAK;
        }
        info.fState = (item->FChecked ? MFS_CHECKED : 0u) | (item->FEnabled ? 0u : MFS_DISABLED) |
                      (item->FDefault ? MFS_DEFAULT : 0u);
        info.wID = item->FCommand;
        // The command number, not a pointer: a stale message then finds nothing.
        info.dwItemData = item->FCommand;
        info.hSubMenu = item->FBuiltSubMenu;
        info.dwTypeData = text.data();
        info.cch = static_cast<UINT>(text.size());
        ::InsertMenuItemA(menu, position++, TRUE, &info);
    }
    return menu;
}

void TMenu::FreeHandle() {
    if (FHandle == nullptr) {
        return;
    }
    // Destroys the sub-menus with it.
    ::DestroyMenu(FHandle);
    FHandle = nullptr;
    ForgetBuiltSubMenus();
}

void TMenu::ForgetBuiltSubMenus() {
    std::function<void(TMenuItem&)> forget = [&](TMenuItem& item) {
        item.FBuiltSubMenu = nullptr;
        for (TMenuItem* child : item.FItems) {
            forget(*child);
        }
    };
    forget(*FItems);
}

TMenuItem* TMenu::FindItemBySubMenu(HMENU subMenu) const {
    if (subMenu == nullptr) {
        return nullptr;
    }
    std::function<TMenuItem*(TMenuItem&)> find = [&](TMenuItem& item) -> TMenuItem* {
        for (TMenuItem* child : item.FItems) {
            if (child->FBuiltSubMenu == subMenu) {
                return child;
            }
            if (TMenuItem* found = find(*child)) {
                return found;
            }
        }
        return nullptr;
    };
    return find(*FItems);
}

bool TMenu::Holds(const TMenuItem* item) const {
    return item != nullptr && item->GetParentMenu() == this;
}

bool TMenu::DispatchCommand(WORD command) {
    TMenuItem* item = TMenuItem::FromCommand(command);
    if (!Holds(item)) {
        return false;
    }
    item->Click();
    return true;
}

bool TMenu::DispatchMeasureItem(MEASUREITEMSTRUCT& measure) {
    if (measure.CtlType != ODT_MENU) {
        return false;
    }
    TMenuItem* item = TMenuItem::FromCommand(static_cast<WORD>(measure.itemData));
    if (!Holds(item) || item->HasState(csDestroying)) {
        return false;
    }
    TWindowDC screen;
    TCanvas canvas;
    canvas.SetHandle(screen.Get());
    UseMenuFont(canvas, item->Default());
    int width = static_cast<int>(measure.itemWidth);
    int height = static_cast<int>(measure.itemHeight);
    item->MeasureItem(canvas, width, height);
    canvas.SetHandle(nullptr);
    measure.itemWidth = static_cast<UINT>(std::max(width, 0));
    measure.itemHeight = static_cast<UINT>(std::max(height, 0));
    return true;
}

bool TMenu::DispatchDrawItem(const DRAWITEMSTRUCT& draw) {
    if (draw.CtlType != ODT_MENU) {
        return false;
    }
    TMenuItem* item = TMenuItem::FromCommand(static_cast<WORD>(draw.itemData));
    if (!Holds(item) || item->HasState(csDestroying)) {
        return false;
    }
    TSaveDCGuard keep(draw.hDC);
    TCanvas canvas;
    canvas.SetHandle(draw.hDC);
    UseMenuFont(canvas, item->Default());
    item->AdvancedDrawItem(canvas, draw.rcItem, OwnerDrawStateFromSystem(draw.itemState));
    canvas.SetHandle(nullptr);
    return true;
}

// ---- TMainMenu -----------------------------------------------------------------

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

TMainMenu::~TMainMenu() {
    Destroying();
    // The window lets go of the bar before the bar is destroyed.
    AttachTo(nullptr);
}

void TMainMenu::AttachTo(HWND window) {
    if (FWindow != nullptr && FWindow != window && ::IsWindow(FWindow)) {
        ::SetMenu(FWindow, nullptr);
    }
    FWindow = window;
    FChangePosted = false;
    if (FWindow != nullptr) {
        ::SetMenu(FWindow, HasVisibleItems() ? Handle() : nullptr);
    }
}

bool TMainMenu::HasVisibleItems() const {
    const TMenuItem& root = Items();
    for (int i = 0; i < root.Count(); ++i) {
        if (root.Items(i)->Visible()) {
            return true;
        }
    }
    return false;
}

void TMainMenu::Changed() {
    // One notice per batch of changes: building a bar item by item rebuilds it once.
    if (FWindow != nullptr && !FChangePosted && !HasState(csDestroying)) {
        FChangePosted = ::PostMessageA(FWindow, CM_MENUCHANGED, 0, 0) != FALSE;
    }
}

void TMainMenu::ApplyPendingChange() {
    FChangePosted = false;
    if (FWindow == nullptr) {
        return;
    }
    if (!HasVisibleItems()) {
        ::SetMenu(FWindow, nullptr);
        return;
    }
    const HMENU shown = ::GetMenu(FWindow);
    const HMENU current = Handle();
    if (shown != current) {
        ::SetMenu(FWindow, current);
    } else {
        ::DrawMenuBar(FWindow);
    }
}

void TMainMenu::HandleReplaced(HMENU old, HMENU replacement) {
    if (FWindow != nullptr && ::GetMenu(FWindow) == old) {
        ::SetMenu(FWindow, replacement);
    }
}

// ---- TPopupMenu ----------------------------------------------------------------

namespace {

TPopupMenu*& ActivePopup() {
    static TPopupMenu* active = nullptr;
    return active;
}

TMenu* MenuOfCommand(WORD command) {
    TMenuItem* item = TMenuItem::FromCommand(command);
    return item != nullptr ? item->GetParentMenu() : nullptr;
}

bool RoutePopupMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND: {
        if (HIWORD(wParam) != 0) {
            return false;
        }
        const WORD command = LOWORD(wParam);
        TMenu* menu = MenuOfCommand(command);
        result = 0;
        return menu != nullptr && menu->DispatchCommand(command);
    }
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        TMenu* menu = measure != nullptr && measure->CtlType == ODT_MENU
                          ? MenuOfCommand(static_cast<WORD>(measure->itemData))
                          : nullptr;
        result = TRUE;
        return menu != nullptr && menu->DispatchMeasureItem(*measure);
    }
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        TMenu* menu =
            draw != nullptr && draw->CtlType == ODT_MENU ? MenuOfCommand(static_cast<WORD>(draw->itemData)) : nullptr;
        result = TRUE;
        return menu != nullptr && menu->DispatchDrawItem(*draw);
    }
    case WM_MENUSELECT: {
        TPopupMenu* active = ActivePopup();
        if (active == nullptr || !active->OnSelect) {
            return false;
        }
        TMenuItem* item = nullptr;
        const UINT flags = HIWORD(wParam);
        if (!(flags == 0xFFFF && lParam == 0)) {
            item = (flags & MF_POPUP) != 0
                       ? active->FindItemBySubMenu(::GetSubMenu(reinterpret_cast<HMENU>(lParam), LOWORD(wParam)))
                       : TMenuItem::FromCommand(LOWORD(wParam));
        }
        active->OnSelect(item);
        result = 0;
        return true;
    }
    case WM_INITMENUPOPUP: {
        // Opening a sub-menu "clicks" its parent item, so it can fill the sub-menu.
        TPopupMenu* active = ActivePopup();
        TMenuItem* item = active != nullptr ? active->FindItemBySubMenu(reinterpret_cast<HMENU>(wParam)) : nullptr;
        if (item != nullptr && item->OnClick) {
            const TNotifyEvent handler = item->OnClick;
            handler(item);
        }
        return false;
    }
    default:
        return false;
    }
}

} // namespace

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

TPopupMenu::~TPopupMenu() {
    Destroying();
    if (ActivePopup() == this) {
        ActivePopup() = nullptr;
    }
}

HWND TPopupMenu::PopupWindow() {
    static TUtilWindow window(RoutePopupMessage);
    return window.Handle();
}

TPopupMenu* TPopupMenu::ActiveMenu() {
    return ActivePopup();
}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) {
        OnPopup(this);
    }
    HMENU menu = Handle();
    if (menu == nullptr) {
        return;
    }
    TPopupMenu* previous = std::exchange(ActivePopup(), this);
    struct TRestoreActive {
        TPopupMenu* Previous;
        ~TRestoreActive() { ActivePopup() = Previous; }
    } restore{previous};
    TrackMenu(menu, x, y, PopupWindow());
}

void TPopupMenu::TrackMenu(HMENU menu, int x, int y, HWND window) {
    UINT flags = TPM_RIGHTBUTTON;
    switch (FAlignment) {
    case TPopupAlignment::paLeft:
        flags |= TPM_LEFTALIGN;
        break;
    case TPopupAlignment::paRight:
        flags |= TPM_RIGHTALIGN;
        break;
    case TPopupAlignment::paCenter:
        flags |= TPM_CENTERALIGN;
        break;
    }
    ::TrackPopupMenuEx(menu, flags, x, y, window, nullptr);
    // Lets the menu loop's last messages through before the next menu can open.
    ::PostMessageA(window, WM_NULL, 0, 0);
}

} // namespace sj
