#include "skin/frame/sSkinMenus.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "forms/Forms.h"
#include "forms/ImgList.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/acAlphaImageList.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sMaskPaint.h"
#include "skin/paint/sSectionPaint.h"

namespace sj {

namespace {

// Skin commands the popup-menu window adapter answers: whether it shapes the window
// itself (0: no, the painter does), and the note that the painter is about to.
constexpr WORD scPopupIsSkinned = 8;
constexpr WORD scPopupShaping = 14;

constexpr char PopupMenuClass[] = "#32768";
constexpr char SysMenuNamePrefix[] = "acSysMenu";
constexpr char SkinSelectItemName[] = "SkinSelectItem";

// The frame an NT system gives a popup window around its items.
constexpr POINT DefaultClientOffset{3, 3};
constexpr int BorderRingWidth = 3;
// What the system adds to an owner-drawn popup column, and the gap between columns.
constexpr int ColumnExtraWidth = 12;
constexpr int ColumnGap = 4;
constexpr int EmptySpaceBottomGap = 6;
constexpr int ShortcutRightGap = 8;
constexpr int RtlShortcutLeftGap = 6;
constexpr int SysGlyphLeft = 4;
constexpr int SysGlyphPointSize = 10;
constexpr int ExtraLineBottomGap = 12;
constexpr int ExtraLineCaptionGlyphGap = 20;
constexpr int BarGlyphLeft = 3;
constexpr int BarGlyphGap = 6;
// A disabled item keeps 40 % of its own look over the background.
constexpr double DisabledItemBlend = 0.4;

// ---- Small Windows helpers ------------------------------------------------------------

bool IsNtPlatform() {
    return (::GetVersion() & 0x80000000u) == 0;
}

int WindowsMajorVersion() {
    return LOBYTE(LOWORD(::GetVersion()));
}

bool IsPopupMenuWindow(HWND window) {
    char name[16] = {};
    return window != nullptr && ::IsWindow(window) && ::GetClassNameA(window, name, sizeof name) > 0 &&
           std::string(name) == PopupMenuClass;
}

SIZE WindowSize(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

POINT ClientOffsetOf(HWND window) {
    POINT origin{0, 0};
    RECT r{};
    ::ClientToScreen(window, &origin);
    ::GetWindowRect(window, &r);
    return {origin.x - r.left, origin.y - r.top};
}

// The whole-window DC of GetWindowDC, given back at the end.
class TWholeWindowDC {
public:
    explicit TWholeWindowDC(HWND window) : FWindow(window), FDC(::GetWindowDC(window)) {}
    ~TWholeWindowDC() {
        if (FDC != nullptr)
            ::ReleaseDC(FWindow, FDC);
    }
    TWholeWindowDC(const TWholeWindowDC&) = delete;
    TWholeWindowDC& operator=(const TWholeWindowDC&) = delete;
    HDC Get() const { return FDC; }

private:
    HWND FWindow;
    HDC FDC;
};

class TCanvasLock {
public:
    explicit TCanvasLock(TCanvas& canvas) : FCanvas(canvas) { FCanvas.Lock(); }
    ~TCanvasLock() { FCanvas.Unlock(); }
    TCanvasLock(const TCanvasLock&) = delete;
    TCanvasLock& operator=(const TCanvasLock&) = delete;

private:
    TCanvas& FCanvas;
};

// Copies sourceRect of source (clipped to it) to dc, the rectangle's top-left landing at
// (x, y).
void BlitToDC(HDC dc, int x, int y, TBitmap& source, TacRect sourceRect) {
    const TacRect clipped = ClipRect(sourceRect, TacPixelsView{nullptr, source.Width(), source.Height(), 0});
    if (dc == nullptr || clipped.Empty())
        return;
    ::BitBlt(dc, x + clipped.Left - sourceRect.Left, y + clipped.Top - sourceRect.Top, clipped.Width(),
             clipped.Height(), source.Canvas().Handle(), clipped.Left, clipped.Top, SRCCOPY);
}

void BlitWhole(HDC dc, int x, int y, TBitmap& source) {
    BlitToDC(dc, x, y, source, TacRect{0, 0, source.Width(), source.Height()});
}

TacRect WholeOf(TBitmap& bitmap) {
    return {0, 0, bitmap.Width(), bitmap.Height()};
}

TacRect RectOf(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

RECT WinRectOf(const TacRect& r) {
    return {r.Left, r.Top, r.Right, r.Bottom};
}

TacRect Shifted(TacRect r, POINT by) {
    return {r.Left + by.x, r.Top + by.y, r.Right + by.x, r.Bottom + by.y};
}

// A copy of pixels that a painter reads as its backdrop while it writes the original.
TacPixmap Snapshot(TacPixelsView view) {
    TacPixmap copy(view.Width, view.Height);
    CopyPixels(copy.View(), 0, 0, view, TacRect{0, 0, view.Width, view.Height});
    return copy;
}

void MirrorHorizontally(TacPixelsView view) {
    for (int y = 0; y < view.Height; ++y)
        std::reverse(view.Row(y), view.Row(y) + view.Width);
}

bool HasAlphaChannel(TBitmap& bitmap) {
    const TacPixelsView pixels = bitmap.Pixels();
    for (int y = 0; y < pixels.Height; ++y)
        for (int x = 0; x < pixels.Width; ++x)
            if (PixelA(pixels.At(x, y)) != 0)
                return true;
    return false;
}

// 32-bit glyphs with an alpha channel are blended, others copied as they are.
void DrawBitmapGlyph(TacPixelsView target, int x, int y, TBitmap& glyph) {
    const TacRect source = WholeOf(glyph);
    if (HasAlphaChannel(glyph))
        BlendAlphaImage(target, TacRect{x, y, x + source.Width(), y + source.Height()}, glyph.Pixels(), source);
    else
        CopyPixels(target, x, y, glyph.Pixels(), source);
}

// The colour of a skin value, system colour codes resolved.
TColor SkinColor(std::int32_t value) {
    return ColorToRGB(static_cast<TColor>(value));
}

UINT AlignmentFlag(TAlignment alignment) {
    switch (alignment) {
    case TAlignment::taRightJustify:
        return DT_RIGHT;
    case TAlignment::taCenter:
        return DT_CENTER;
    case TAlignment::taLeftJustify:
        break;
    }
    return DT_LEFT;
}

// ---- Items --------------------------------------------------------------------------

std::vector<TMenuItem*> VisibleItems(const TMenuItem* parent) {
    std::vector<TMenuItem*> items;
    if (parent == nullptr)
        return items;
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (item->Visible())
            items.push_back(item);
    }
    return items;
}

bool StartsColumn(const TMenuItem& item) {
    return item.Break() != TMenuBreak::mbNone;
}

// No visible item up to this one (itself included) starts a new column.
bool InFirstColumn(const TMenuItem& item) {
    for (TMenuItem* sibling : VisibleItems(item.Parent())) {
        if (StartsColumn(*sibling))
            return false;
        if (sibling == &item)
            return true;
    }
    return !StartsColumn(item);
}

TCustomImageList* ImagesOf(const TMenuItem& item) {
    if (item.Parent() != nullptr && item.Parent()->SubMenuImages() != nullptr)
        return item.Parent()->SubMenuImages();
    const TMenu* menu = item.GetParentMenu();
    return menu != nullptr ? menu->Images() : nullptr;
}

bool HasListImage(const TMenuItem& item) {
    const TCustomImageList* images = ImagesOf(item);
    return images != nullptr && item.ImageIndex() >= 0 && item.ImageIndex() < images->Count();
}

bool HasBitmapGlyph(TMenuItem& item) {
    return item.HasBitmap() && !item.Bitmap().Empty();
}

bool HasGlyph(TMenuItem& item) {
    return HasListImage(item) || HasBitmapGlyph(item);
}

bool IsSysMenuItem(const TMenuItem& item) {
    const TMenu* menu = item.GetParentMenu();
    return menu != nullptr && menu->Name().rfind(SysMenuNamePrefix, 0) == 0;
}

// The Webdings character of a window-menu command (its tag), or 0.
char SysCommandGlyph(std::intptr_t command) {
    switch (command) {
    case SC_MINIMIZE:
        return '0';
    case SC_MAXIMIZE:
        return '1';
    case SC_RESTORE:
        return '2';
    case SC_CLOSE:
        return 'r';
    default:
        return 0;
    }
}

TCustomForm* OwnerFormOf(const TMenuItem& item) {
    const TMenu* menu = item.GetParentMenu();
    return menu != nullptr ? dynamic_cast<TCustomForm*>(menu->Owner()) : nullptr;
}

unsigned MenuCharset(const TMenuItem& item) {
    TCustomForm* form = OwnerFormOf(item);
    return form != nullptr ? form->Font().Charset() : DEFAULT_CHARSET;
}

// A menu reads right to left when the form it belongs to does.
bool IsRightToLeft(const TMenuItem& item) {
    TCustomForm* form = OwnerFormOf(item);
    return form != nullptr && form->HandleAllocated() &&
           (::GetWindowLongA(form->Handle(), GWL_EXSTYLE) & WS_EX_RTLREADING) != 0;
}

bool PopupIsRightAligned(HWND window, const TMenuItem& firstItem) {
    if (window != nullptr)
        return (::GetWindowLongA(window, GWL_EXSTYLE) & (WS_EX_RIGHT | WS_EX_LAYOUTRTL)) != 0;
    return IsRightToLeft(firstItem);
}

HWND PopupWindowOf(TCanvas& canvas) {
    if (!IsNtPlatform())
        return nullptr;
    HWND window = ::WindowFromDC(canvas.Handle());
    return IsPopupMenuWindow(window) ? window : nullptr;
}

// The shown popup window that holds firstItem: the one under the centre of the item.
HWND PopupWindowOfItem(const TMenuItem& firstItem) {
    HMENU menu = firstItem.Parent() != nullptr ? firstItem.Parent()->ShownSubMenu() : nullptr;
    RECT r{};
    if (menu == nullptr || !::GetMenuItemRect(nullptr, menu, 0, &r))
        return nullptr;
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    HWND window = ::WindowFromPoint(centre);
    return IsPopupMenuWindow(window) ? window : nullptr;
}

const TsGeneralData* SectionAt(const TsSkinModel& model, std::int32_t index) {
    return model.HasSection(index) ? &model.GeneralData[static_cast<std::size_t>(index)] : nullptr;
}

// The borders image of a section, or null.
const TsMaskData* BordersOf(const TsSkinModel& model, std::int32_t sectionIndex) {
    const TsGeneralData* section = SectionAt(model, sectionIndex);
    if (section == nullptr || !model.HasImage(section->BordersMaskIndex))
        return nullptr;
    return &model.Masks[static_cast<std::size_t>(section->BordersMaskIndex)];
}

// A section's face over rect of target, the target's own pixels showing through.
void PaintFaceOverItself(TacPixelsView target, TacRect rect, const TsSkinModel& model, std::int32_t section,
                         const std::string& name, int state) {
    rect = ClipRect(rect, target);
    if (rect.Empty() || !model.HasSection(section))
        return;
    const TacPixmap behind = Snapshot(target);
    PaintSectionFace(target, rect, &model, section, name, state, true, BitmapBackdrop(ViewOf(behind), 0, 0), rect.Left,
                     rect.Top);
}

// ---- The process-wide background cache -----------------------------------------------

std::vector<std::unique_ptr<TacMenuBackground>>& Backgrounds() {
    // Never destroyed: popup windows torn down at exit still clear it.
    static auto& list = *new std::vector<std::unique_ptr<TacMenuBackground>>();
    return list;
}

// The entries (and their bitmaps) go when the program ends.
struct TBackgroundsFinaliser {
    ~TBackgroundsFinaliser() { ClearMenuBackgrounds(); }
} GBackgroundsFinaliser;

bool GMenuItemDrawn = false;

void RemoveBackgroundsOf(const TMenuItem* firstItem) {
    auto& list = Backgrounds();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [firstItem](const auto& entry) { return entry->FirstItem == firstItem; }),
               list.end());
}

// ---- The handlers the painter puts on menu items ---------------------------------------

// One type for the measure and the draw handler, so that a handler can be told to be
// this painter's (std::function::target) and an application's own is never touched.
struct TacMenuHandler {
    TsSkinableMenus* Painter = nullptr;
    std::shared_ptr<bool> Alive;
    bool Bar = false;

    void operator()(TObject* sender, TCanvas& canvas, int& width, int& height) const {
        auto* item = dynamic_cast<TMenuItem*>(sender);
        if (item == nullptr || !*Alive)
            return;
        if (Bar)
            Painter->MeasureBarItem(item, canvas, width, height);
        else
            Painter->MeasurePopupItem(item, canvas, width, height);
    }
    void operator()(TObject* sender, TCanvas& canvas, const RECT& rect, TOwnerDrawState state) const {
        auto* item = dynamic_cast<TMenuItem*>(sender);
        if (item == nullptr || !*Alive)
            return;
        if (Bar)
            Painter->DrawBarItem(item, canvas, rect, state);
        else
            Painter->DrawPopupItem(item, canvas, rect, state);
    }
};

template <class Event> bool IsHandlerOf(const Event& event, const TsSkinableMenus* painter) {
    const TacMenuHandler* handler = event.template target<TacMenuHandler>();
    return handler != nullptr && handler->Painter == painter;
}

} // namespace

// ---- Free functions ---------------------------------------------------------------------

bool IsSeparatorItem(const TMenuItem& item) {
    return item.Caption() == "-";
}

bool IsDividerCaptionItem(const TMenuItem& item) {
    const std::string& caption = item.Caption();
    return caption.size() > 1 && caption.front() == '-' && caption.back() == '-';
}

std::string DividerCaptionText(const std::string& caption) {
    const std::size_t start = caption.find_first_not_of('-');
    if (start == std::string::npos)
        return std::string();
    const std::size_t end = caption.find('-', start);
    return caption.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

int MenuLineHeight(int textHeight) {
    // 1.25 is exact in binary, so the product's halves really are halves.
    return static_cast<int>(std::nearbyint(textHeight * 1.25));
}

TMenuItem* FirstVisibleItem(const TMenuItem* parent) {
    const std::vector<TMenuItem*> items = VisibleItems(parent);
    return items.empty() ? nullptr : items.front();
}

TMenuItem* LastVisibleItem(const TMenuItem* parent) {
    const std::vector<TMenuItem*> items = VisibleItems(parent);
    return items.empty() ? nullptr : items.back();
}

TacMenuBackground* FindMenuBackground(const TMenuItem* firstItem) {
    for (const auto& entry : Backgrounds())
        if (entry->FirstItem == firstItem)
            return entry.get();
    return nullptr;
}

TacMenuBackground* FindMenuBackgroundByWindow(HWND popupWindow) {
    if (popupWindow == nullptr)
        return nullptr;
    for (const auto& entry : Backgrounds())
        if (entry->PopupWindow == popupWindow)
            return entry.get();
    return nullptr;
}

int MenuBackgroundCount() {
    return static_cast<int>(Backgrounds().size());
}

void ClearMenuBackgrounds() {
    Backgrounds().clear();
}

bool MenuItemDrawn() {
    return GMenuItemDrawn;
}

void SetMenuItemDrawn(bool value) {
    GMenuItemDrawn = value;
}

void InstallSkinableMenus() {
    SetSkinMenusFactory([](TsSkinManager& manager) { return std::make_unique<TsSkinableMenus>(manager); });
}

// ---- TsSkinableMenus: life and settings ----------------------------------------------------

TsSkinableMenus::TsSkinableMenus(TsSkinManager& owner) : FManager(owner), FAlive(std::make_shared<bool>(true)) {
    FExtraLineSection = "EXTRALINE";
}

TsSkinableMenus::~TsSkinableMenus() {
    *FAlive = false;
    HookMenus(false);
}

const TsSkinModel* TsSkinableMenus::ActiveModel() const {
    if (!FManager.Active() || FManager.Model().GeneralData.empty())
        return nullptr;
    return &FManager.Model();
}

int TsSkinableMenus::SkinBorderWidth() {
    if (FSkinBorderWidth >= 0)
        return FSkinBorderWidth;
    const TsSkinModel* model = ActiveModel();
    if (model == nullptr)
        return 0;
    const TsMaskData* borders = BordersOf(*model, model->SectionIndexOf("MAINMENU"));
    FSkinBorderWidth = borders == nullptr ? 0 : borders->BorderLeft > 0 ? borders->BorderLeft : 3;
    return FSkinBorderWidth;
}

void TsSkinableMenus::ForgetSkinValues() {
    FSkinBorderWidth = -1;
    ClearMenuBackgrounds();
}

// ---- Hooking ---------------------------------------------------------------------------------

bool TsSkinableMenus::HooksPopups(bool active) const {
    // Items with handlers are owner-drawn whatever the menu says, so without skinned
    // popups the handlers stay off as well.
    return active && FManager.SkinnedPopups();
}

void TsSkinableMenus::HookMenus(bool active) {
    if (Application == nullptr)
        return;
    for (int i = 0; i < Application->ComponentCount(); ++i)
        HookComponent(*Application->Components(i), active);
}

void TsSkinableMenus::HookComponent(TComponent& component, bool active) {
    // A component on its way out (and what it still owns) is left alone.
    if (component.HasState(csDestroying))
        return;
    if (auto* popup = dynamic_cast<TPopupMenu*>(&component)) {
        HookPopupMenu(popup, active);
    } else if (auto* menu = dynamic_cast<TMenu*>(&component)) {
        HookMainMenu(menu, active);
    } else if (auto* item = dynamic_cast<TMenuItem*>(&component); item != nullptr && item->GetParentMenu() == nullptr) {
        // A stray item paints as a popup item, and so do its sub-items.
        const bool hook = HooksPopups(active);
        HookItem(*item, hook, false);
        HookItems(*item, hook, false);
    }
    for (int i = 0; i < component.ComponentCount(); ++i)
        HookComponent(*component.Components(i), active);
}

void TsSkinableMenus::HookPopupMenu(TMenu* menu, bool active) {
    if (menu == nullptr)
        return;
    const bool hook = HooksPopups(active);
    menu->SetOwnerDraw(hook);
    HookItems(menu->Items(), hook, false);
}

void TsSkinableMenus::HookMainMenu(TMenu* menu, bool active) {
    if (menu == nullptr)
        return;
    const bool hook = HooksPopups(active);
    menu->SetOwnerDraw(hook);
    HookItems(menu->Items(), hook, true);
}

void TsSkinableMenus::HookItems(TMenuItem& parent, bool hook, bool barLevel) {
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem& item = *parent.Items(i);
        HookItem(item, hook, barLevel);
        HookItems(item, hook, false);
    }
}

void TsSkinableMenus::HookItem(TMenuItem& item, bool hook, bool bar) {
    bool changed = false;
    if (hook) {
        if (!item.OnMeasureItem) {
            item.OnMeasureItem = TacMenuHandler{this, FAlive, bar};
            changed = true;
        }
        if (!item.OnAdvancedDrawItem) {
            item.OnAdvancedDrawItem = TacMenuHandler{this, FAlive, bar};
            changed = true;
        }
    } else {
        if (IsHandlerOf(item.OnMeasureItem, this)) {
            item.OnMeasureItem = nullptr;
            changed = true;
        }
        if (IsHandlerOf(item.OnAdvancedDrawItem, this)) {
            item.OnAdvancedDrawItem = nullptr;
            changed = true;
        }
    }
    // Only a real change rebuilds the menu: a menu bar rebuilt tells its form, which
    // hooks the bar again.
    if (changed)
        item.EventsChanged();
}

// ---- Measuring ---------------------------------------------------------------------------------

void TsSkinableMenus::UseMenuFont(TFont& font, const TMenuItem& item, bool bold) const {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font.AssignLogFont(metrics.lfMenuFont);
    font.SetCharset(MenuCharset(item));
    font.SetStyle(bold ? font.Style() | fsBold : font.Style() & ~static_cast<unsigned>(fsBold));
}

SIZE TsSkinableMenus::GlyphSize(TMenuItem& item) const {
    if (HasBitmapGlyph(item))
        return {item.Bitmap().Width(), item.Bitmap().Height()};
    if (item.Parent() != nullptr && item.Parent()->SubMenuImages() != nullptr)
        return {item.Parent()->SubMenuImages()->Width(), item.Parent()->SubMenuImages()->Height()};
    const TMenu* menu = item.GetParentMenu();
    if (menu != nullptr && menu->Images() != nullptr)
        return {menu->Images()->Width(), menu->Images()->Height()};
    return {16, 16};
}

void TsSkinableMenus::RefreshExtraLine(TMenuItem& firstItem) {
    FExtraLineOwner = &firstItem;
    // The skin-selection menu keeps the line of the menu it was opened from.
    if (firstItem.Name() == SkinSelectItemName)
        return;
    FExtraLineSection = "EXTRALINE";
    FExtraLineCaption = "Use OnGetExtraLineData event";
    FExtraLineVisible = true;
    FExtraLineGlyph.SetSize(0, 0);
    if (OnGetExtraLineData)
        OnGetExtraLineData(&firstItem, FExtraLineSection, FExtraLineCaption, FExtraLineGlyph, FExtraLineVisible);
    FExtraLineCaption.erase(std::remove(FExtraLineCaption.begin(), FExtraLineCaption.end(), '&'),
                            FExtraLineCaption.end());
    if (!FExtraLineVisible)
        FExtraLineGlyph.SetSize(0, 0);
}

bool TsSkinableMenus::ExtraLineShown(TMenuItem& firstItem) {
    if (FExtraLineOwner != &firstItem)
        RefreshExtraLine(firstItem);
    return FManager.MenuSupport.UseExtraLine && FExtraLineVisible;
}

int TsSkinableMenus::ExtraWidthOf(TMenuItem& item) {
    TMenuItem* first = FirstVisibleItem(item.Parent());
    if (first == nullptr || !InFirstColumn(item) || !ExtraLineShown(*first))
        return 0;
    return std::max(FManager.MenuSupport.ExtraLineWidth, 0);
}

SIZE TsSkinableMenus::ItemSize(TMenuItem& item, TCanvas& canvas) {
    UseMenuFont(canvas.Font(), item, item.Default());
    std::string text;
    if (IsDividerCaptionItem(item))
        text = "-" + item.Caption() + "-";
    else if (!IsSeparatorItem(item))
        text = item.Caption() + ShortCutToText(item.ShortCut());
    RECT textRect{0, 0, 0, 0};
    if (!text.empty())
        canvas.DrawText(text, textRect, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    const SIZE glyph = GlyphSize(item);
    const int width = 2 * glyph.cx + (textRect.right - textRect.left) + 3 * Margin + Spacing + ExtraWidthOf(item);
    const int lineHeight = MenuLineHeight(canvas.TextHeight("W"));
    int height = std::max(lineHeight, static_cast<int>(glyph.cy)) + 2 * Margin;
    if (IsSeparatorItem(item))
        height = 2;
    else if (IsDividerCaptionItem(item))
        height = lineHeight + 2 * Margin;
    return {width, height};
}

void TsSkinableMenus::MeasurePopupItem(TMenuItem* item, TCanvas& canvas, int& width, int& height) {
    if (item == nullptr || item->HasState(csDestroying))
        return;
    const TCustomForm* form = OwnerFormOf(*item);
    if (form != nullptr && form->HasState(csDestroying))
        return;
    if (item == FirstVisibleItem(item->Parent()))
        RefreshExtraLine(*item);
    const SIZE size = ItemSize(*item, canvas);
    width = size.cx;
    height = size.cy;
}

SIZE TsSkinableMenus::PopupSize(TMenuItem& firstItem) {
    TWindowDC screen;
    TCanvas canvas;
    canvas.SetHandle(screen.Get());
    int width = 0, height = 0, columnWidth = 0, columnHeight = 0, columns = 0;
    auto closeColumn = [&] {
        if (columns > 0)
            width += columnWidth + ColumnExtraWidth;
        height = std::max(height, columnHeight);
    };
    for (TMenuItem* item : VisibleItems(firstItem.Parent())) {
        if (columns == 0 || StartsColumn(*item)) {
            closeColumn();
            if (columns > 0)
                width += ColumnGap;
            ++columns;
            columnWidth = columnHeight = 0;
        }
        const SIZE size = ItemSize(*item, canvas);
        columnWidth = std::max(columnWidth, static_cast<int>(size.cx));
        columnHeight += size.cy;
    }
    closeColumn();
    canvas.SetHandle(nullptr);
    return {width + 2 * BorderWidth, height + 2 * BorderWidth};
}

void TsSkinableMenus::MeasureBarItem(TMenuItem* item, TCanvas& canvas, int& width, int& height) {
    if (item == nullptr || item->HasState(csDestroying))
        return;
    UseMenuFont(canvas.Font(), *item, item->Default());
    height = ::GetSystemMetrics(SM_CYMENU) - 1;
    width = canvas.TextWidth(StripHotkey(item->Caption()));
    if (HasGlyph(*item))
        width += GlyphSize(*item).cx + BarGlyphGap;
}

// ---- The popup background ---------------------------------------------------------------

TacMenuBackground* TsSkinableMenus::BackgroundFor(TMenuItem& firstItem, HWND window) {
    TacMenuBackground* cached = FindMenuBackground(&firstItem);
    if (cached != nullptr && cached->Bitmap) {
        if (window == nullptr && cached->PopupWindow == nullptr)
            return cached;
        if (window != nullptr && (cached->PopupWindow == window || cached->PopupWindow == nullptr)) {
            const SIZE size = WindowSize(window);
            if (cached->Bitmap->Width() == size.cx && cached->Bitmap->Height() == size.cy) {
                if (cached->PopupWindow == nullptr) {
                    // Painted before the window was known: it gets its shape now.
                    cached->PopupWindow = window;
                    cached->ClientOffset = ClientOffsetOf(window);
                    ApplyPopupShape(window, *cached);
                }
                return cached;
            }
        }
    }
    // A popup shown again has a new window (and maybe other items): paint it afresh.
    return PrepareMenuBackground(firstItem, window, window != nullptr ? WindowSize(window) : PopupSize(firstItem));
}

TacMenuBackground* TsSkinableMenus::PrepareMenuBackground(TMenuItem& firstItem, HWND popupWindow, SIZE size) {
    RefreshExtraLine(firstItem);
    auto entry = std::make_unique<TacMenuBackground>();
    entry->FirstItem = &firstItem;
    entry->PopupWindow = popupWindow;
    entry->ClientOffset = popupWindow != nullptr ? ClientOffsetOf(popupWindow) : DefaultClientOffset;
    entry->ExtraLineVisible = FManager.MenuSupport.UseExtraLine && FExtraLineVisible;
    entry->Bitmap = CreateBitmap32(size.cx, size.cy);
    const TsSkinModel* model = ActiveModel();
    TacPixelsView view = entry->Bitmap->Pixels();
    if (model != nullptr && HasPixels(view)) {
        const TacRect all{0, 0, view.Width, view.Height};
        const int extraWidth = entry->ExtraLineVisible ? std::max(FManager.MenuSupport.ExtraLineWidth, 0) : 0;
        const int textIndent = Margin + GlyphSize(firstItem).cx + Spacing;
        const TColor back = SkinColor(FManager.SkinBackColor());
        const std::int32_t mainMenu = model->SectionIndexOf("MAINMENU");
        // A skin without the section still gets a plain popup rather than a black one.
        FillPixels(view, all, back, 255);
        if (model->HasSection(mainMenu))
            PaintSectionBackground(view, all, model, mainMenu, "MAINMENU", 0, ColorBackdrop(back), 0, 0);
        const bool rightAligned = PopupIsRightAligned(popupWindow, firstItem);
        if (!rightAligned)
            PaintIcoLine(view, *model, extraWidth, textIndent);
        if (const TsMaskData* borders = BordersOf(*model, mainMenu))
            DrawBordersMask(view, all, false, 0, *borders, ColorBackdrop(back));
        if (entry->ExtraLineVisible)
            PaintExtraLine(*entry->Bitmap, *model, firstItem);
        entry->ClearCorners = ClearCornerRuns(*model, view.Width, view.Height);
        if (rightAligned) {
            MirrorHorizontally(entry->Bitmap->Pixels());
            for (TacRect& run : entry->ClearCorners)
                run = TacRect{view.Width - run.Right, run.Top, view.Width - run.Left, run.Bottom};
        }
    }
    TacMenuBackground* result = entry.get();
    RemoveBackgroundsOf(&firstItem);
    Backgrounds().push_back(std::move(entry));
    if (popupWindow != nullptr)
        ApplyPopupShape(popupWindow, *result);
    return result;
}

void TsSkinableMenus::PaintIcoLine(TacPixelsView target, const TsSkinModel& model, int extraWidth, int textIndent) {
    const std::string& name = FManager.MenuSupport.IcoLineSkin;
    if (name.empty())
        return;
    const int border = SkinBorderWidth();
    const int left = extraWidth + border;
    PaintFaceOverItself(target, TacRect{left, border, left + textIndent, target.Height - border}, model,
                        model.SectionIndexOf(name), name, 0);
}

void TsSkinableMenus::PaintExtraLine(TBitmap& target, const TsSkinModel& model, const TMenuItem& firstItem) {
    const int border = SkinBorderWidth();
    const int width = FManager.MenuSupport.ExtraLineWidth;
    const int height = target.Height() - 2 * border;
    if (width <= 0 || height <= 0)
        return;
    const TacPixmap behind = Snapshot(target.Pixels());
    auto band = CreateBitmap32(width, height);
    CopyPixels(band->Pixels(), 0, 0, ViewOf(behind), TacRect{border, border, border + width, border + height});
    const std::int32_t section = model.SectionIndexOf(FExtraLineSection);
    if (model.HasSection(section))
        PaintSectionFace(band->Pixels(), WholeOf(*band), &model, section, FExtraLineSection, 0, true,
                         BitmapBackdrop(ViewOf(behind), 0, 0), border, border);
    int captionBottom = height - ExtraLineBottomGap;
    if (!FExtraLineGlyph.Empty()) {
        const int glyphHeight = FExtraLineGlyph.Height();
        DrawBitmapGlyph(band->Pixels(), (width - FExtraLineGlyph.Width()) / 2,
                        height - ExtraLineBottomGap - glyphHeight, FExtraLineGlyph);
        captionBottom = height - ExtraLineCaptionGlyphGap - glyphHeight;
    }
    if (!FExtraLineCaption.empty()) {
        TCanvas& canvas = band->Canvas();
        if (!FManager.MenuSupport.ExtraLineFont.empty())
            canvas.Font().SetName(FManager.MenuSupport.ExtraLineFont);
        canvas.Font().SetCharset(MenuCharset(firstItem));
        // Turned by 90 degrees, the text reads upwards and its cell lies right of x.
        canvas.Font().SetOrientation(900);
        const TsGeneralData* data = SectionAt(model, section);
        canvas.Font().SetColor(data != nullptr ? SkinColor(data->StateProps[0].FontColor) : clCaptionText);
        canvas.Brush().SetStyle(TBrushStyle::bsClear);
        const int textHeight = canvas.TextHeight(FExtraLineCaption);
        canvas.TextOut((width - textHeight) / 2, captionBottom, FExtraLineCaption);
    }
    CopyPixels(target.Pixels(), border, border, band->Pixels(), WholeOf(*band));
}

std::vector<TacRect> TsSkinableMenus::ClearCornerRuns(const TsSkinModel& model, int width, int height) const {
    std::vector<TacRect> corners;
    const TsMaskData* borders = BordersOf(model, model.SectionIndexOf("MAINMENU"));
    if (borders == nullptr || width <= 0 || height <= 0)
        return corners;
    TacPixmap scratch(width, height);
    std::vector<TacRect> runs;
    DrawBordersMaskCutRegion(scratch.View(), 0, *borders, &runs);
    const int left = std::clamp<int>(borders->BorderLeft, 0, width);
    const int right = std::clamp<int>(borders->BorderRight, 0, width);
    const int top = std::clamp<int>(borders->BorderTop, 0, height);
    const int bottom = std::clamp<int>(borders->BorderBottom, 0, height);
    for (const TacRect& run : runs) {
        if (run.Top >= top && run.Top < height - bottom)
            continue;
        // Only the parts in the corner pieces: a clear side is not cut.
        const TacRect inLeft{run.Left, run.Top, std::min(run.Right, left), run.Bottom};
        const TacRect inRight{std::max(run.Left, width - right), run.Top, run.Right, run.Bottom};
        if (!inLeft.Empty())
            corners.push_back(inLeft);
        if (!inRight.Empty())
            corners.push_back(inRight);
    }
    return corners;
}

void TsSkinableMenus::ApplyPopupShape(HWND popupWindow, TacMenuBackground& background) {
    if (!IsNtPlatform() || FShaping || !IsPopupMenuWindow(popupWindow) || !background.Bitmap)
        return;
    FShaping = true;
    struct TReset {
        bool& Flag;
        ~TReset() { Flag = false; }
    } reset{FShaping};
    if (::SendMessageA(popupWindow, SkinCommandMessage, SkinCommand(scPopupIsSkinned), 0) != 0)
        return;
    ::SendMessageA(popupWindow, SkinCommandMessage, SkinCommand(scPopupShaping), 0);
    const SIZE size = WindowSize(popupWindow);
    HRGN region = ::CreateRectRgn(0, 0, size.cx, size.cy);
    auto cut = [region](const TacRect& r) {
        HRGN piece = ::CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
        ::CombineRgn(region, region, piece, RGN_DIFF);
        ::DeleteObject(piece);
    };
    if (background.ClearCorners.empty())
        cut(TacRect{0, 0, 1, 1});
    for (const TacRect& run : background.ClearCorners)
        cut(run);
    // The window owns the region once it is set. No redraw: the items would draw again
    // and shape the window again, for ever; the border ring is copied below instead.
    if (::SetWindowRgn(popupWindow, region, FALSE) == 0)
        ::DeleteObject(region);
    TBitmap& bitmap = *background.Bitmap;
    const int w = bitmap.Width(), h = bitmap.Height(), ring = BorderRingWidth;
    TWholeWindowDC dc(popupWindow);
    BlitToDC(dc.Get(), 0, 0, bitmap, TacRect{0, 0, w, ring});
    BlitToDC(dc.Get(), 0, h - ring, bitmap, TacRect{0, h - ring, w, h});
    BlitToDC(dc.Get(), 0, ring, bitmap, TacRect{0, ring, ring, h - ring});
    BlitToDC(dc.Get(), w - ring, ring, bitmap, TacRect{w - ring, ring, w, h - ring});
}

void TsSkinableMenus::ShapeDeferredPopup(UINT message, LPARAM lParam) {
    if (message == WM_AC_SHAPEMENUITEM) {
        // The item travels as its command number: a freed item is then simply not found.
        TMenuItem* item = TMenuItem::FromCommand(static_cast<WORD>(lParam));
        TMenuItem* first = item != nullptr ? FirstVisibleItem(item->Parent()) : nullptr;
        HWND window = first != nullptr ? PopupWindowOfItem(*first) : nullptr;
        if (window != nullptr)
            BackgroundFor(*first, window);
    } else if (message == WM_AC_SHAPEMENUWINDOW) {
        HWND window = reinterpret_cast<HWND>(lParam);
        TacMenuBackground* background = IsPopupMenuWindow(window) ? FindMenuBackgroundByWindow(window) : nullptr;
        if (background != nullptr)
            ApplyPopupShape(window, *background);
    }
}

// ---- Popup items ---------------------------------------------------------------------------

void TsSkinableMenus::DrawPopupItem(TMenuItem* item, TCanvas& canvas, const RECT& rect, TOwnerDrawState state) {
    if (item == nullptr || ActiveModel() == nullptr)
        return;
    TCanvasLock lock(canvas);
    TMenuItem* first = FirstVisibleItem(item->Parent());
    if (first == nullptr)
        return;
    HWND window = PopupWindowOf(canvas);
    TacMenuBackground* background = BackgroundFor(*first, window);
    if (background == nullptr || background->Bitmap->Empty())
        return;
    if (window == nullptr && IsNtPlatform() && !background->ShapePosted && Application != nullptr) {
        ::PostMessageA(Application->Handle(), WM_AC_SHAPEMENUITEM, 0, static_cast<LPARAM>(item->Command()));
        background->ShapePosted = true;
    }
    if (window != nullptr)
        CopyPopupBorders(window, *background, *item, rect);
    if (IsSeparatorItem(*item))
        DrawSeparator(canvas, rect, *item, *background, state);
    else if (IsDividerCaptionItem(*item))
        DrawDividerCaption(canvas, rect, *item, *background, state);
    else
        DrawNormalItem(canvas, rect, *item, *background, state);
    SetMenuItemDrawn(true);
    if (item->OnDrawItem) {
        const TMenuDrawItemEvent handler = item->OnDrawItem;
        handler(item, canvas, rect, (state & odSelected) != 0);
    }
}

void TsSkinableMenus::CopyPopupBorders(HWND window, const TacMenuBackground& background, TMenuItem& item,
                                       const RECT& itemRect) {
    TBitmap& bitmap = *background.Bitmap;
    const int w = bitmap.Width(), h = bitmap.Height();
    const int extraWidth = background.ExtraLineVisible ? std::max(FManager.MenuSupport.ExtraLineWidth, 0) : 0;
    const TacRect inWindow = Shifted(RectOf(itemRect), background.ClientOffset);
    TWholeWindowDC dc(window);
    if (&item == FirstVisibleItem(item.Parent())) {
        BlitToDC(dc.Get(), 0, 0, bitmap, TacRect{0, 0, w, BorderWidth});
        BlitToDC(dc.Get(), 0, 0, bitmap, TacRect{0, 0, extraWidth + std::max(SkinBorderWidth(), BorderWidth), h});
    }
    if (&item == LastVisibleItem(item.Parent()))
        BlitToDC(dc.Get(), 0, h - BorderWidth, bitmap, TacRect{0, h - BorderWidth, w, h});
    BlitToDC(dc.Get(), w - BorderWidth, inWindow.Top, bitmap,
             TacRect{w - BorderWidth, inWindow.Top, w, inWindow.Bottom});
}

void TsSkinableMenus::FireDrawItem(TMenuItem& item, TBitmap& face, TOwnerDrawState state, TsMenuItemType type) {
    if (OnDrawItem)
        OnDrawItem(&item, face.Canvas(), WinRectOf(WholeOf(face)), state, type);
}

void TsSkinableMenus::DrawSeparator(TCanvas& canvas, const RECT& rect, TMenuItem& item,
                                    const TacMenuBackground& background, TOwnerDrawState state) {
    const TacRect source = Shifted(RectOf(rect), background.ClientOffset);
    if (source.Empty())
        return;
    const TsSkinModel& model = *ActiveModel();
    const TacPixelsView back = background.Bitmap->Pixels();
    auto face = CreateBitmap32(source.Width(), source.Height());
    CopyPixels(face->Pixels(), 0, 0, back, source);
    const int extraWidth = background.ExtraLineVisible && InFirstColumn(item) ? FManager.MenuSupport.ExtraLineWidth : 0;
    const int textIndent = Margin + GlyphSize(item).cx + Spacing;
    const TacRect line{extraWidth + textIndent + 2, 0, source.Width() - (extraWidth + 2 * Margin + Spacing),
                       source.Height()};
    if (const TsMaskData* image = BordersOf(model, model.SectionIndexOf("DIVIDERV"))) {
        DrawBordersMask(face->Pixels(), line, true, 0, *image, BitmapBackdrop(back, source.Left, source.Top));
    } else {
        const std::uint32_t border = model.SkinGlobals.BorderColor;
        const TColor color =
            border == clKeyPixel ? ColorToRGB(clBtnShadow) : SkinColor(static_cast<std::int32_t>(border));
        FillPixels(face->Pixels(), TacRect{line.Left, 0, line.Right, 1}, color, 255);
    }
    FireDrawItem(item, *face, state, TsMenuItemType::smDivider);
    BlitWhole(canvas.Handle(), rect.left, rect.top, *face);
}

void TsSkinableMenus::DrawDividerCaption(TCanvas& canvas, const RECT& rect, TMenuItem& item,
                                         const TacMenuBackground& background, TOwnerDrawState state) {
    const TacRect source = Shifted(RectOf(rect), background.ClientOffset);
    if (source.Empty())
        return;
    const TsSkinModel& model = *ActiveModel();
    const TacPixelsView back = background.Bitmap->Pixels();
    auto face = CreateBitmap32(source.Width(), source.Height());
    CopyPixels(face->Pixels(), 0, 0, back, source);
    const int extraWidth = background.ExtraLineVisible && InFirstColumn(item) ? FManager.MenuSupport.ExtraLineWidth : 0;
    const TacRect band = ClipRect(TacRect{extraWidth + 1, 1, source.Width() - 1, source.Height() - 1}, face->Pixels());
    std::string name = "MENUCAPTION";
    std::int32_t section = model.SectionIndexOf(name);
    if (!model.HasSection(section)) {
        name = "TOOLBAR";
        section = model.SectionIndexOf(name);
    }
    TCanvas& text = face->Canvas();
    text.Font().Assign(FCaptionFont);
    if (const TsGeneralData* data = SectionAt(model, section)) {
        if (!band.Empty())
            PaintSectionFace(face->Pixels(), band, &model, section, name, 0, true, BitmapBackdrop(back, 0, 0),
                             source.Left + band.Left, source.Top + band.Top);
        text.Font().SetColor(SkinColor(data->StateProps[0].FontColor));
    }
    text.Brush().SetStyle(TBrushStyle::bsClear);
    RECT textRect = WinRectOf(band);
    text.DrawText(DividerCaptionText(item.Caption()), textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_HIDEPREFIX);
    FireDrawItem(item, *face, state, TsMenuItemType::smCaption);
    BlitWhole(canvas.Handle(), rect.left, rect.top, *face);
}

void TsSkinableMenus::FillEmptyColumnSpace(TCanvas& canvas, const RECT& rect, TMenuItem& item,
                                           const TacMenuBackground& background) {
    TBitmap& bitmap = *background.Bitmap;
    const TacRect inPopup = Shifted(RectOf(rect), background.ClientOffset);
    const int bottom = bitmap.Height() - EmptySpaceBottomGap;
    const std::vector<TMenuItem*> items = VisibleItems(item.Parent());
    const auto at = std::find(items.begin(), items.end(), &item);
    const bool last = at == items.end() || at + 1 == items.end();
    const bool columnEnds = last ? inPopup.Bottom < bottom : StartsColumn(**(at + 1));
    if (columnEnds)
        BlitToDC(canvas.Handle(), rect.left, rect.bottom, bitmap,
                 TacRect{inPopup.Left, inPopup.Bottom, inPopup.Right, bottom});
    if (StartsColumn(item))
        BlitToDC(canvas.Handle(), rect.left - ColumnGap, rect.top, bitmap,
                 TacRect{inPopup.Left - ColumnGap, inPopup.Top, inPopup.Left, bottom});
}

void TsSkinableMenus::DrawNormalItem(TCanvas& canvas, const RECT& rect, TMenuItem& item,
                                     const TacMenuBackground& background, TOwnerDrawState state) {
    const TsSkinModel& model = *ActiveModel();
    const bool enabled = item.Enabled() && (state & (odDisabled | odGrayed)) == 0;
    const bool hot = enabled && (state & odSelected) != 0;
    const bool textHot = hot || (state & odHotLight) != 0;
    const bool rightToLeft = IsRightToLeft(item);
    FillEmptyColumnSpace(canvas, rect, item, background);

    const int extraWidth = background.ExtraLineVisible && InFirstColumn(item) ? FManager.MenuSupport.ExtraLineWidth : 0;
    const TacRect inPopup = Shifted(RectOf(rect), background.ClientOffset);
    const TacRect source{inPopup.Left + extraWidth, inPopup.Top, inPopup.Right, inPopup.Bottom};
    if (source.Empty())
        return;
    const TacPixelsView back = background.Bitmap->Pixels();
    auto face = CreateBitmap32(source.Width(), source.Height());
    CopyPixels(face->Pixels(), 0, 0, back, source);
    const std::int32_t section = model.SectionIndexOf("MENUITEM");
    if (model.HasSection(section))
        PaintSectionFace(face->Pixels(), WholeOf(*face), &model, section, "MENUITEM", hot ? 1 : 0, true,
                         BitmapBackdrop(back, 0, 0), source.Left, source.Top);
    const TsGeneralData* data = SectionAt(model, section);
    const TColor textColor = data != nullptr ? SkinColor(data->PropsOfState(textHot ? 1 : 0).FontColor)
                                             : ColorToRGB(textHot ? clHighlightText : clMenuText);

    if (item.Checked() && !HasGlyph(item))
        DrawCheckMark(*face, item, model, hot, rightToLeft);
    DrawItemGlyph(*face, item, model, textColor, rightToLeft);
    DrawItemTexts(*face, item, state, textColor, rightToLeft);
    FireDrawItem(item, *face, state, TsMenuItemType::smNormal);
    if (!enabled)
        BlendSkippingKey(face->Pixels(), 0, 0, back, source, DisabledItemBlend);
    BlitWhole(canvas.Handle(), rect.left + extraWidth, rect.top, *face);

    // The band needs no redraw on every highlight change; older systems keep it from
    // the window's own painting.
    const bool bandCopied = !IsNtPlatform() || WindowsMajorVersion() >= 6;
    if (extraWidth > 0 && bandCopied && &item == FirstVisibleItem(item.Parent())) {
        const int bottom = background.Bitmap->Height() - background.ClientOffset.y;
        BlitToDC(canvas.Handle(), rect.left, 0, *background.Bitmap,
                 TacRect{inPopup.Left, background.ClientOffset.y, inPopup.Left + extraWidth, bottom});
    }
}

void TsSkinableMenus::DrawCheckMark(TBitmap& face, TMenuItem& item, const TsSkinModel& model, bool hot,
                                    bool rightToLeft) {
    const std::int32_t global = model.SectionIndexOf("GLOBALINFO");
    std::int32_t image = model.ImageIndexOf(global, "GLOBALINFO", item.RadioItem() ? "RADIOCHECKED" : "CHECK");
    if (!item.RadioItem() && !model.HasImage(image))
        image = model.ImageIndexOf(global, "GLOBALINFO", "BOXCHECKED");
    if (!model.HasImage(image))
        return;
    const TsMaskData& mark = model.Masks[static_cast<std::size_t>(image)];
    const int width = FrameWidth(mark), height = FrameHeight(mark);
    const int x = rightToLeft ? face.Width() - Margin - width : Margin;
    const TacPixmap behind = Snapshot(face.Pixels());
    DrawStateImage(face.Pixels(), x, (face.Height() - height) / 2, hot ? 1 : 0, BitmapBackdrop(ViewOf(behind), 0, 0),
                   mark, simNormal);
}

void TsSkinableMenus::DrawGlyphFrame(TBitmap& face, const TsSkinModel& model, const TacRect& glyph) {
    const TacRect frame{glyph.Left - 1, glyph.Top - 1, glyph.Right + 1, glyph.Bottom + 1};
    PaintFaceOverItself(face.Pixels(), frame, model, model.SectionIndexOf("SPEEDBUTTON_SMALL"), "SPEEDBUTTON_SMALL", 2);
}

void TsSkinableMenus::DrawItemGlyph(TBitmap& face, TMenuItem& item, const TsSkinModel& model, TColor textColor,
                                    bool rightToLeft) {
    const int w = face.Width(), h = face.Height();
    auto place = [&](int glyphWidth, int glyphHeight) {
        const int top = (h - glyphHeight) / 2;
        const int left = rightToLeft ? w - top - glyphWidth : top;
        return TacRect{left, top, left + glyphWidth, top + glyphHeight};
    };
    if (TCustomImageList* images = ImagesOf(item); images != nullptr && HasListImage(item)) {
        const TacRect at = place(images->Width(), images->Height());
        if (item.Checked())
            DrawGlyphFrame(face, model, at);
        DrawItemInto(face.Pixels(), at.Left, at.Top, *images, item.ImageIndex());
        return;
    }
    if (IsSysMenuItem(item)) {
        const char glyph = SysCommandGlyph(item.Tag());
        if (glyph == 0)
            return;
        TCanvas& canvas = face.Canvas();
        canvas.Font().SetName("Webdings");
        canvas.Font().SetCharset(SYMBOL_CHARSET);
        canvas.Font().SetSize(SysGlyphPointSize);
        canvas.Font().SetStyle(0);
        canvas.Font().SetColor(textColor);
        canvas.Brush().SetStyle(TBrushStyle::bsClear);
        RECT square = rightToLeft ? RECT{w - SysGlyphLeft - h, 0, w - SysGlyphLeft, h}
                                  : RECT{SysGlyphLeft, 0, SysGlyphLeft + h, h};
        canvas.DrawText(std::string(1, glyph), square, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        return;
    }
    if (HasBitmapGlyph(item)) {
        TBitmap& bitmap = item.Bitmap();
        const TacRect at = place(bitmap.Width(), bitmap.Height());
        if (item.Checked())
            DrawGlyphFrame(face, model, at);
        DrawBitmapGlyph(face.Pixels(), at.Left, at.Top, bitmap);
    }
}

void TsSkinableMenus::DrawItemTexts(TBitmap& face, TMenuItem& item, TOwnerDrawState state, TColor color,
                                    bool rightToLeft) {
    const int w = face.Width(), h = face.Height();
    TCanvas& canvas = face.Canvas();
    UseMenuFont(canvas.Font(), item, item.Default());
    canvas.Font().SetColor(color);
    if (OnGetPopupItemData)
        OnGetPopupItemData(&item, state, canvas.Font());
    canvas.Brush().SetStyle(TBrushStyle::bsClear);

    const int glyphColumn = GlyphSize(item).cx + 2 * Margin + Spacing;
    RECT textRect = rightToLeft ? RECT{0, 0, w - glyphColumn, h} : RECT{glyphColumn, 0, w, h};
    std::string caption = item.Caption();
    std::string afterTab;
    if (const std::size_t tab = caption.find('\t'); tab != std::string::npos) {
        afterTab = caption.substr(tab + 1);
        caption.erase(tab);
    }
    UINT flags = DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP;
    if (rightToLeft)
        flags |= DT_RIGHT | DT_RTLREADING;
    if ((state & odNoAccel) != 0)
        flags |= DT_HIDEPREFIX;
    UINT alignment = rightToLeft ? DT_RIGHT : AlignmentFlag(Alignment);
    if (!caption.empty() && caption.front() == '\b') {
        caption = caption.substr(1) + "      ";
        alignment = DT_RIGHT;
    }
    canvas.DrawText(caption, textRect, flags | alignment);

    const std::string shortCut = ShortCutToText(item.ShortCut());
    if (!shortCut.empty()) {
        const int width = canvas.TextWidth(shortCut);
        RECT at = rightToLeft ? RECT{RtlShortcutLeftGap, 0, RtlShortcutLeftGap + width, h}
                              : RECT{w - ShortcutRightGap - width, 0, w - ShortcutRightGap, h};
        canvas.DrawText(shortCut, at, DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
    }
    if (!afterTab.empty()) {
        RECT at = rightToLeft ? RECT{ShortcutRightGap, 0, textRect.right, h}
                              : RECT{textRect.left, 0, w - ShortcutRightGap, h};
        canvas.DrawText(afterTab, at, (flags & ~static_cast<UINT>(DT_RIGHT)) | (rightToLeft ? DT_LEFT : DT_RIGHT));
    }
}

// ---- Main-menu bar items ---------------------------------------------------------------------

void TsSkinableMenus::DrawBarItem(TMenuItem* item, TCanvas& canvas, const RECT& rect, TOwnerDrawState state) {
    const TsSkinModel* model = ActiveModel();
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (item == nullptr || model == nullptr || w <= 0 || h <= 0)
        return;
    TCanvasLock lock(canvas);
    const bool enabled = item->Enabled() && (state & (odDisabled | odGrayed)) == 0;
    const bool hot = enabled && (state & (odSelected | odHotLight)) != 0;
    const bool rightToLeft = IsRightToLeft(*item);

    // The menu line behind the item: the provider's saved strip, else the bar's face.
    TacPixmap line(w, h);
    TacPixelsView strip;
    POINT origin{0, 0};
    const std::int32_t lineSection = model->SectionIndexOf("MENULINE");
    const TColor back = SkinColor(FManager.SkinBackColor());
    if (OnGetMenuLineStrip && OnGetMenuLineStrip(item, strip, origin) && HasPixels(strip)) {
        CopyPixels(line.View(), 0, 0, strip, TacRect{origin.x, origin.y, origin.x + w, origin.y + h});
    } else {
        FillPixels(line.View(), TacRect{0, 0, w, h}, back, 255);
        if (model->HasSection(lineSection))
            PaintSectionFace(line.View(), TacRect{0, 0, w, h}, model, lineSection, "MENULINE", 0, false,
                             ColorBackdrop(back), 0, 0);
    }

    auto face = CreateBitmap32(w, h);
    CopyPixels(face->Pixels(), 0, 0, line.View(), TacRect{0, 0, w, h});
    const std::int32_t itemSection = model->SectionIndexOf("MENUITEM");
    if (model->HasSection(itemSection))
        PaintSectionFace(face->Pixels(), WholeOf(*face), model, itemSection, "MENUITEM", hot ? 1 : 0, true,
                         BitmapBackdrop(line.View(), 0, 0), 0, 0);

    int textLeft = Margin;
    if (HasGlyph(*item)) {
        const SIZE glyph = GlyphSize(*item);
        const int x = rightToLeft ? w - BarGlyphLeft - glyph.cx : BarGlyphLeft;
        const int y = (h - glyph.cy) / 2;
        if (TCustomImageList* images = ImagesOf(*item); images != nullptr && HasListImage(*item))
            DrawItemInto(face->Pixels(), x, y, *images, item->ImageIndex());
        else
            DrawBitmapGlyph(face->Pixels(), x, y, item->Bitmap());
        // The caption starts after the glyph: the measured width has room for both.
        if (!rightToLeft)
            textLeft = BarGlyphLeft + glyph.cx + (BarGlyphGap - BarGlyphLeft);
    }
    TCanvas& text = face->Canvas();
    UseMenuFont(text.Font(), *item, (state & odDefault) != 0);
    const TsGeneralData* data = SectionAt(*model, lineSection);
    text.Font().SetColor(data != nullptr ? SkinColor(data->PropsOfState(hot ? 1 : 0).FontColor)
                                         : ColorToRGB(clMenuText));
    text.Brush().SetStyle(TBrushStyle::bsClear);
    UINT flags = AlignmentFlag(Alignment) | DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | DT_NOCLIP;
    if (rightToLeft)
        flags |= DT_RTLREADING;
    if ((state & odNoAccel) != 0)
        flags |= DT_HIDEPREFIX;
    RECT textRect{textLeft, 0, w - Margin, h};
    text.DrawText(item->Caption(), textRect, flags);

    FireDrawItem(*item, *face, state, TsMenuItemType::smTopLine);
    if (!enabled)
        BlendSkippingKey(face->Pixels(), 0, 0, line.View(), TacRect{0, 0, w, h}, DisabledItemBlend);
    BlitWhole(canvas.Handle(), rect.left, rect.top, *face);
    if (item->OnDrawItem) {
        const TMenuDrawItemEvent handler = item->OnDrawItem;
        handler(item, canvas, rect, (state & odSelected) != 0);
    }
}

} // namespace sj
