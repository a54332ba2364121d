// Menus: menu items (captions with "&" accelerators, shortcut text, check and radio
// marks, column breaks, images, per-item owner-draw events) and pop-up menus.
//
// A menu's system handle is built from its items on demand and rebuilt after any
// change. An item is owner-drawn when its menu has OwnerDraw set or the item has a
// measure or draw handler of its own; the skinning layer hooks menus that way. Every
// pop-up menu shows through one hidden window that routes WM_COMMAND,
// WM_MEASUREITEM, WM_DRAWITEM, WM_MENUSELECT and WM_INITMENUPOPUP back to the items.
#pragma once

#include "forms/Classes.h"
#include "forms/Graphics.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sj {

class TBitmap;
class TCustomImageList;
class TMenu;

// Virtual key in the low byte, modifiers in the high bits.
using TShortCut = std::uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
inline constexpr TShortCut scNone = 0;

// "Ctrl+Shift+F1"-style text; empty for no shortcut.
std::string ShortCutToText(TShortCut shortCut);
// The reverse; scNone for text it does not understand.
TShortCut TextToShortCut(const std::string& text);

// The caption without accelerator marks: "&&" becomes "&", a single "&" goes.
std::string StripHotkey(const std::string& caption);
// The accelerator character of a caption (upper case), or 0.
char GetHotkey(const std::string& caption);

enum TOwnerDrawStateFlag : unsigned {
    odSelected = 1u << 0,
    odGrayed = 1u << 1,
    odDisabled = 1u << 2,
    odChecked = 1u << 3,
    odFocused = 1u << 4,
    odDefault = 1u << 5,
    odHotLight = 1u << 6,
    odInactive = 1u << 7,
    odNoAccel = 1u << 8,
    odNoFocusRect = 1u << 9,
};
using TOwnerDrawState = unsigned;
// The framework's state flags for the system's ODS_ flags.
TOwnerDrawState OwnerDrawStateFromSystem(UINT itemState);

enum class TMenuBreak { mbNone, mbBreak, mbBarBreak };

using TMenuMeasureItemEvent = std::function<void(TObject* sender, TCanvas& canvas, int& width, int& height)>;
using TMenuDrawItemEvent = std::function<void(TObject* sender, TCanvas& canvas, const RECT& rect, bool selected)>;
using TAdvancedMenuDrawItemEvent =
    std::function<void(TObject* sender, TCanvas& canvas, const RECT& rect, TOwnerDrawState state)>;

class TMenuItem : public TComponent {
    SJ_CLASS(TMenuItem, TComponent)

public:
    explicit TMenuItem(TComponent* owner);
    // Frees the sub-items too and leaves the parent item.
    ~TMenuItem() override;

    // "-" makes a separator.
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& caption);
    bool Checked() const { return FChecked; }
    // Checking a radio item unchecks the radio items of its group in the same parent.
    void SetChecked(bool checked);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    bool Default() const { return FDefault; }
    void SetDefault(bool isDefault);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool radio);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int index);
    TMenuBreak Break() const { return FBreak; }
    void SetBreak(TMenuBreak value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut shortCut);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool value) { FAutoCheck = value; }
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& hint) { FHint = hint; }
    // A picture shown instead of an image-list image; made when first asked for.
    TBitmap& Bitmap();
    bool HasBitmap() const { return FBitmap != nullptr; }
    // The images of this item's sub-items, when they differ from the menu's list.
    TCustomImageList* SubMenuImages() const { return FSubMenuImages; }
    void SetSubMenuImages(TCustomImageList* images);

    bool IsLine() const { return FCaption == "-"; }
    // Caption plus a tab and the shortcut text, as the system menu shows it.
    std::string DisplayText() const;

    TNotifyEvent OnClick;
    TMenuMeasureItemEvent OnMeasureItem;
    TMenuDrawItemEvent OnDrawItem;
    TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;
    // Events changed after the menu was built take effect when it is rebuilt.
    void EventsChanged() { Changed(); }

    // Sub-items.
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int index) const;
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    // Takes the item out without freeing it.
    void Remove(TMenuItem* item);
    // Frees the sub-item at `index`.
    void Delete(int index);
    void Clear();
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* Parent() const { return FParent; }
    int MenuIndex() const { return FParent != nullptr ? FParent->IndexOf(this) : -1; }
    // The menu whose item tree holds this item, or null.
    TMenu* GetParentMenu() const;

    // The command number carried by WM_COMMAND for this item.
    WORD Command() const { return FCommand; }
    // The item of a command number, or null.
    static TMenuItem* FromCommand(WORD command);

    // True when this item paints itself (its menu is owner-drawn or it has handlers).
    bool IsOwnerDrawn() const;
    // The system menu that shows this item's sub-items as last built, without
    // rebuilding anything (an open menu must keep its handle); null when none is built.
    HMENU ShownSubMenu() const;

    // What choosing the item does: AutoCheck toggles, then OnClick.
    virtual void Click();
    void SetParentComponent(TComponent* parent) override;

    // The owner-draw steps, called with the menu's font already on the canvas.
    virtual void MeasureItem(TCanvas& canvas, int& width, int& height);
    virtual void AdvancedDrawItem(TCanvas& canvas, const RECT& rect, TOwnerDrawState state);

protected:
    void Changed();
    void Notification(TComponent* component, TOperation operation) override;
    void DrawDefault(TCanvas& canvas, const RECT& rect, TOwnerDrawState state);

private:
    friend class TMenu;
    void UncheckRadioSiblings();

    std::string FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FDefault = false;
    bool FRadioItem = false;
    bool FAutoCheck = false;
    int FGroupIndex = 0;
    TMenuBreak FBreak = TMenuBreak::mbNone;
    TShortCut FShortCut = scNone;
    int FImageIndex = -1;
    std::string FHint;
    std::unique_ptr<TBitmap> FBitmap;
    TCustomImageList* FSubMenuImages = nullptr;
    std::vector<TMenuItem*> FItems;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr; // set on the root item of a menu
    WORD FCommand = 0;
    HMENU FBuiltSubMenu = nullptr;
};

class TMenu : public TComponent {
    SJ_CLASS(TMenu, TComponent)

public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;

    // The invisible root whose sub-items are the menu's items.
    TMenuItem& Items() { return *FItems; }
    const TMenuItem& Items() const { return *FItems; }

    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* images);
    bool OwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool ownerDraw);

    // The system menu, rebuilt when items changed since it was built.
    HMENU Handle();
    // The system menu as last built; null when none is.
    HMENU BuiltHandle() const { return FHandle; }
    // The item that opens `subMenu` in the built menu, or null.
    TMenuItem* FindItemBySubMenu(HMENU subMenu) const;

    // Message routing from the window that owns the shown menu; each returns true
    // when the message was about one of this menu's items.
    bool DispatchCommand(WORD command);
    bool DispatchMeasureItem(MEASUREITEMSTRUCT& measure);
    bool DispatchDrawItem(const DRAWITEMSTRUCT& draw);

    // Called with the highlighted item while the menu is open and with null when
    // the highlight leaves the items.
    std::function<void(TMenuItem* item)> OnSelect;

    // Items call this on every change that needs a rebuild.
    void ItemsChanged();

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // A bar lays its top-level items side by side instead of in a pop-up.
    virtual bool BuildsBar() const { return false; }
    // After a change that needs a rebuild (the handle is rebuilt at its next use).
    virtual void Changed() {}
    // A rebuilt handle replaces `old`, which is destroyed right after this returns.
    virtual void HandleReplaced(HMENU old, HMENU replacement) {
        (void)old;
        (void)replacement;
    }

private:
    HMENU Build(TMenuItem& parent, bool popup);
    void FreeHandle();
    void ForgetBuiltSubMenus();
    bool Holds(const TMenuItem* item) const;

    std::unique_ptr<TMenuItem> FItems;
    TCustomImageList* FImages = nullptr;
    bool FOwnerDraw = false;
    bool FDirty = true;
    HMENU FHandle = nullptr;
};

// The menu bar of a form. The form that shows it is told of changes by a posted
// CM_MENUCHANGED and puts the rebuilt bar on its window; a rebuilt bar replaces the
// old one on the window before the old one is destroyed.
class TMainMenu : public TMenu {
    SJ_CLASS(TMainMenu, TMenu)

public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;

    // The window showing the bar, or null. Attaching puts the bar on it at once.
    HWND Window() const { return FWindow; }
    void AttachTo(HWND window);
    // Whether any top-level item is visible: a bar without one takes no line.
    bool HasVisibleItems() const;
    // The rebuilt bar goes onto the window when a change is pending.
    void ApplyPendingChange();

protected:
    bool BuildsBar() const override { return true; }
    void Changed() override;
    void HandleReplaced(HMENU old, HMENU replacement) override;

private:
    HWND FWindow = nullptr;
    bool FChangePosted = false;
};

enum class TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
    SJ_CLASS(TPopupMenu, TMenu)

public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    TPopupAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment alignment) { FAlignment = alignment; }
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool value) { FAutoPopup = value; }
    // The control that asked for the menu (set by the caller of Popup).
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* component) { FPopupComponent = component; }

    TNotifyEvent OnPopup;

    // Shows the menu at screen point (x, y) and returns when it closes; the chosen
    // item's OnClick runs when its WM_COMMAND arrives (right after, in the loop).
    virtual void Popup(int x, int y);

    // The hidden window that receives the messages of every shown pop-up menu.
    static HWND PopupWindow();
    // The menu being shown, or null.
    static TPopupMenu* ActiveMenu();

protected:
    // Runs the system's menu loop; tests and the skinning layer may replace it.
    virtual void TrackMenu(HMENU menu, int x, int y, HWND window);

private:
    TPopupAlignment FAlignment = TPopupAlignment::paLeft;
    bool FAutoPopup = true;
    TComponent* FPopupComponent = nullptr;
};

} // namespace sj
