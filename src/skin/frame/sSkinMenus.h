// Skinned menus: every menu of the application becomes owner-drawn and its items are
// painted from the skin. Popup items get their faces, separators, divider captions,
// check marks, glyphs and shortcuts; the popup window gets a skinned border, the shape
// cut from the clear corners of that border and an optional vertical "extra line" band;
// main-menu bar items are painted over the form's menu line. One background is painted
// per popup and shared by its items through a process-wide cache; each item paints only
// its own rectangle into a small bitmap and copies it once.
// Windows only; user-interface thread only (owner-draw runs inside the modal menu loop).
// Painting never throws: missing sections or images skip their layer.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/Bitmap.h"
#include "forms/Menus.h"
#include "forms/StdCtrls.h"
#include "platform/Pixmap.h"
#include "skin/data/sSkinManager.h"

namespace sj {

class TsSkinModel;

enum class TsMenuItemType { smCaption, smDivider, smNormal, smTopLine };

// Runs after an item is painted, on the item's own bitmap (the rectangle is the whole
// bitmap), with the item as sender.
using TsMenuManagerDrawItemEvent = std::function<void(TMenuItem* sender, TCanvas& canvas, const RECT& rect,
                                                      TOwnerDrawState state, TsMenuItemType itemType)>;
// May change the extra line of the popup that starts with firstItem.
using TacGetExtraLineData = std::function<void(TMenuItem* firstItem, std::string& skinSection, std::string& caption,
                                               TBitmap& glyph, bool& lineVisible)>;
// May change the font of one popup item; a changed colour replaces the skin's.
using TacGetPopupItemData = std::function<void(TMenuItem* item, TOwnerDrawState state, TFont& font)>;
// Hands the menu-line strip behind a bar item: strip receives the pixels, itemOrigin
// where the item's top-left lies in them. False: no strip (the MENULINE face is used).
using TacMenuLineSource = std::function<bool(TMenuItem* item, TacPixelsView& strip, POINT& itemOrigin)>;

// The three kinds of popup items, told apart by their captions.
bool IsSeparatorItem(const TMenuItem& item);      // exactly "-"
bool IsDividerCaptionItem(const TMenuItem& item); // begins and ends with "-", longer than "-"
// The text a divider caption shows: its first dash-delimited word ("-Tools-" gives "Tools").
std::string DividerCaptionText(const std::string& caption);

// An item's line: round(textHeight * 1.25), halves to even.
int MenuLineHeight(int textHeight);

// The first and last visible sub-items of parent (null when none is visible).
TMenuItem* FirstVisibleItem(const TMenuItem* parent);
TMenuItem* LastVisibleItem(const TMenuItem* parent);

// ---- The popup background cache -------------------------------------------------

// One popup's background: the whole popup window painted once, read by every item.
struct TacMenuBackground {
    const TMenuItem* FirstItem = nullptr; // identifies the popup; compared, never followed
    std::unique_ptr<TBitmap> Bitmap;      // the popup window's size
    HWND PopupWindow = nullptr;           // null while the window is not known
    bool ExtraLineVisible = false;
    // Where the popup's client area (the item rectangles' origin) lies in Bitmap: the
    // width of the frame the system gives the window, (3, 3) for a popup of an NT system.
    POINT ClientOffset{3, 3};
    // Clear pixels of the border image's corners, as runs one pixel high; the window's
    // shape leaves them out.
    std::vector<TacRect> ClearCorners;
    bool ShapePosted = false; // the deferred shaping message went out for this popup
};

TacMenuBackground* FindMenuBackground(const TMenuItem* firstItem);
TacMenuBackground* FindMenuBackgroundByWindow(HWND popupWindow);
int MenuBackgroundCount();
// Frees every entry: a new skin, or a popup window that went away.
void ClearMenuBackgrounds();

// Set once the painter has drawn a skinned item; the popup-window adapter waits for it
// before painting the popup's frame itself, and clears it when the window goes.
bool MenuItemDrawn();
void SetMenuItemDrawn(bool value);

// ---- The painter ------------------------------------------------------------------

class TsSkinableMenus : public TacSkinMenusLink {
public:
    explicit TsSkinableMenus(TsSkinManager& owner);
    ~TsSkinableMenus() override;
    TsSkinableMenus(const TsSkinableMenus&) = delete;
    TsSkinableMenus& operator=(const TsSkinableMenus&) = delete;

    // --- Published ------------------------------------------------------------
    TAlignment Alignment = TAlignment::taLeftJustify; // captions of popup items
    int BevelWidth = 0;                               // stored only
    int BorderWidth = 3;                              // the popup border the items paint
    int Margin = 2;                                   // inner margin of an item
    int Spacing = 8;                                  // between the glyph column and the text
    TFont& CaptionFont() { return FCaptionFont; }     // divider captions
    // The MAINMENU border image's left width (3 when it has none, 0 without the image),
    // read from the skin when not set and cached until the next skin.
    int SkinBorderWidth();
    void SetSkinBorderWidth(int value) { FSkinBorderWidth = value; }
    TsMenuManagerDrawItemEvent OnDrawItem;
    TacGetExtraLineData OnGetExtraLineData;
    TacGetPopupItemData OnGetPopupItemData;
    TacMenuLineSource OnGetMenuLineStrip;

    TsSkinManager& Manager() const { return FManager; }

    // --- Hooking --------------------------------------------------------------
    // Hooks or unhooks every main menu, popup menu and stray menu item owned (at any
    // depth) by the application.
    void HookMenus(bool active) override;
    // OwnerDraw = active and the manager's SkinnedPopups; the measure and draw handlers
    // go to items that have none, and only this painter's handlers are taken away.
    void HookPopupMenu(TMenu* menu, bool active) override;
    // The same for a menu bar: its top-level items take the bar handlers.
    void HookMainMenu(TMenu* menu, bool active);
    // A new skin: the border width is read again and every cached background goes.
    void ForgetSkinValues() override;
    void ShapeDeferredPopup(UINT message, LPARAM lParam) override;

    // --- Owner-draw handlers (the framework's advanced owner-draw signatures) --
    void MeasurePopupItem(TMenuItem* item, TCanvas& canvas, int& width, int& height);
    void DrawPopupItem(TMenuItem* item, TCanvas& canvas, const RECT& rect, TOwnerDrawState state);
    void MeasureBarItem(TMenuItem* item, TCanvas& canvas, int& width, int& height);
    void DrawBarItem(TMenuItem* item, TCanvas& canvas, const RECT& rect, TOwnerDrawState state);

    // --- Popup geometry and background ----------------------------------------
    // The glyph column's size of an item: its bitmap, the parent's sub-menu images, the
    // menu's images, else 16 x 16.
    SIZE GlyphSize(TMenuItem& item) const;
    // Whether the popup that starts with firstItem shows the extra line (its data is
    // brought up to date first).
    bool ExtraLineShown(TMenuItem& firstItem);
    // The popup's size worked out from its items, for when its window is not known.
    SIZE PopupSize(TMenuItem& firstItem);
    // Paints the background of the popup that starts with firstItem in a bitmap of
    // size, shapes the popup window when it is known, and puts the entry in the cache
    // (replacing an older one of the same popup).
    TacMenuBackground* PrepareMenuBackground(TMenuItem& firstItem, HWND popupWindow, SIZE size);
    // The window's region without the clear corners and the border ring from the
    // background, unless the window's own adapter skins it.
    void ApplyPopupShape(HWND popupWindow, TacMenuBackground& background);

private:
    const TsSkinModel* ActiveModel() const;
    bool HooksPopups(bool active) const;
    void HookItems(TMenuItem& parent, bool hook, bool barLevel);
    void HookComponent(TComponent& component, bool active);
    void HookItem(TMenuItem& item, bool hook, bool bar);

    void UseMenuFont(TFont& font, const TMenuItem& item, bool bold) const;
    SIZE ItemSize(TMenuItem& item, TCanvas& canvas);
    int ExtraWidthOf(TMenuItem& item);
    // Asks for the extra line data of the popup that starts with firstItem.
    void RefreshExtraLine(TMenuItem& firstItem);

    TacMenuBackground* BackgroundFor(TMenuItem& firstItem, HWND window);
    void PaintIcoLine(TacPixelsView target, const TsSkinModel& model, int extraWidth, int textIndent);
    void PaintExtraLine(TBitmap& target, const TsSkinModel& model, const TMenuItem& firstItem);
    std::vector<TacRect> ClearCornerRuns(const TsSkinModel& model, int width, int height) const;

    void CopyPopupBorders(HWND window, const TacMenuBackground& background, TMenuItem& item, const RECT& itemRect);
    void DrawSeparator(TCanvas& canvas, const RECT& rect, TMenuItem& item, const TacMenuBackground& background,
                       TOwnerDrawState state);
    void DrawDividerCaption(TCanvas& canvas, const RECT& rect, TMenuItem& item, const TacMenuBackground& background,
                            TOwnerDrawState state);
    void DrawNormalItem(TCanvas& canvas, const RECT& rect, TMenuItem& item, const TacMenuBackground& background,
                        TOwnerDrawState state);
    void FillEmptyColumnSpace(TCanvas& canvas, const RECT& rect, TMenuItem& item, const TacMenuBackground& background);
    void DrawCheckMark(TBitmap& face, TMenuItem& item, const TsSkinModel& model, bool hot, bool rightToLeft);
    void DrawItemGlyph(TBitmap& face, TMenuItem& item, const TsSkinModel& model, TColor textColor, bool rightToLeft);
    void DrawGlyphFrame(TBitmap& face, const TsSkinModel& model, const TacRect& glyph);
    void DrawItemTexts(TBitmap& face, TMenuItem& item, TOwnerDrawState state, TColor color, bool rightToLeft);
    void FireDrawItem(TMenuItem& item, TBitmap& face, TOwnerDrawState state, TsMenuItemType type);

    TsSkinManager& FManager;
    TFont FCaptionFont;
    int FSkinBorderWidth = -1;
    bool FShaping = false;
    // Cleared when this painter goes, so that handlers left on menus it never saw do
    // nothing instead of calling into freed memory.
    std::shared_ptr<bool> FAlive;
    // The extra line data and the popup it was made for.
    const TMenuItem* FExtraLineOwner = nullptr;
    std::string FExtraLineSection;
    std::string FExtraLineCaption;
    TBitmap FExtraLineGlyph;
    bool FExtraLineVisible = true;
};

// Makes every skin manager created from now on own a TsSkinableMenus. The program's
// start-up calls it before the main window (and its manager) is made; idempotent.
void InstallSkinableMenus();

} // namespace sj
