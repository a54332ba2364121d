// The menu bar of a skinned form: its lines and their height, the MENULINE face painted
// into the frame cache with the bar's items over it, and the strip behind each item
// that the menu painter draws the item on while the system tracks the bar.
#include "skin/frame/sSkinProvider.h"

#include "skin/frame/sSkinProviderInternal.h"

namespace sj {

using namespace provider_detail;

namespace {

// The built bar's position of a top-level item: invisible items are left out of it.
int BarPosition(const TMenuItem& item) {
    const TMenuItem* parent = item.Parent();
    if (parent == nullptr)
        return -1;
    int position = 0;
    for (int i = 0; i < parent->Count(); ++i) {
        const TMenuItem* sibling = parent->Items(i);
        if (sibling == &item)
            return item.Visible() ? position : -1;
        if (sibling->Visible())
            ++position;
    }
    return -1;
}

// The menu painter's source of the strip behind a bar item: the provider of the form
// that shows the bar.
bool MenuLineStripOfItem(TMenuItem* item, TacPixelsView& strip, POINT& itemOrigin) {
    auto* bar = item != nullptr ? dynamic_cast<TMainMenu*>(item->GetParentMenu()) : nullptr;
    if (bar == nullptr || bar->Window() == nullptr)
        return false;
    auto* provider = reinterpret_cast<TsSkinProvider*>(
        ::SendMessageA(bar->Window(), SkinCommandMessage, SkinCommand(scQueryProvider), 0));
    return provider != nullptr && provider->MenuLineStripFor(*item, strip, itemOrigin);
}

} // namespace

TMainMenu* TsSkinProvider::ShownMainMenu() const {
    TMainMenu* menu = form_.Menu();
    if (menu == nullptr || !form_.HandleAllocated() || !menu->HasVisibleItems())
        return nullptr;
    HMENU shown = ::GetMenu(form_.Handle());
    return shown != nullptr && shown == menu->BuiltHandle() ? menu : nullptr;
}

int TsSkinProvider::MenuLineHeight() const {
    return ShownMainMenu() != nullptr ? ::GetSystemMetrics(SM_CYMENU) - 1 : 0;
}

int TsSkinProvider::MenuLineCount() const {
    if (menuLineCount_ >= 0)
        return menuLineCount_;
    TMainMenu* menu = ShownMainMenu();
    if (menu == nullptr || IsMinimized())
        return 0;
    RECT first{};
    if (!::GetMenuItemRect(form_.Handle(), menu->BuiltHandle(), 0, &first))
        return 1; // not laid out yet: not cached, asked again at the next paint
    POINT clientTop{0, 0};
    ::ClientToScreen(form_.Handle(), &clientTop);
    const int line = std::max(1, ::GetSystemMetrics(SM_CYMENU) - 2);
    menuLineCount_ = 1 + std::max<int>(0, clientTop.y - first.bottom) / line;
    return menuLineCount_;
}

int TsSkinProvider::MenuBandHeight() const {
    const int lines = MenuLineCount();
    return lines > 0 ? lines * MenuLineHeight() + 1 : 0;
}

RECT TsSkinProvider::MenuLineRect() const {
    const int band = MenuBandHeight();
    if (band <= 0)
        return RECT{};
    const int left = ClientOffsetX(), bottom = ClientOffsetY();
    return RECT{left, bottom - band, left + form_.ClientWidth(), bottom};
}

void TsSkinProvider::ForgetMenuLines() {
    menuLineCount_ = -1;
}

bool TsSkinProvider::PaintsMenuLine() const {
    const TsSkinManager* manager = SkinManager();
    return drawNonClientArea_ && manager != nullptr && manager->SkinnedPopups() && ShownMainMenu() != nullptr;
}

void TsSkinProvider::HookFormMenu() {
    TsSkinManager* manager = SkinManager();
    auto* menus = manager != nullptr ? dynamic_cast<TsSkinableMenus*>(manager->SkinableMenus()) : nullptr;
    if (menus == nullptr)
        return;
    if (!menus->OnGetMenuLineStrip)
        menus->OnGetMenuLineStrip = &MenuLineStripOfItem;
    if (form_.Menu() != nullptr)
        menus->HookMainMenu(form_.Menu(), Skinned());
}

// The cache position of a bar item as the system laid the bar out.
bool TsSkinProvider::BarItemCacheRect(const TMenuItem& item, RECT& rect) const {
    TMainMenu* menu = ShownMainMenu();
    const int position = BarPosition(item);
    if (menu == nullptr || position < 0 || !::GetMenuItemRect(form_.Handle(), menu->BuiltHandle(), position, &rect))
        return false;
    const POINT origin = WindowOrigin();
    const POINT offset = borderForm_ ? borderForm_->Offset() : POINT{0, 0};
    ::OffsetRect(&rect, -origin.x - offset.x, -origin.y - offset.y);
    return true;
}

void TsSkinProvider::PaintMenuLine(TBitmap& cache) {
    menuLineStrip_.reset();
    if (!PaintsMenuLine())
        return;
    const RECT line = MenuLineRect();
    const int width = line.right - line.left, height = line.bottom - line.top;
    if (width <= 0 || height <= 0)
        return;
    const TsSkinModel* model = Model();
    const TacRect area{line.left, line.top, line.right, line.bottom};
    const std::int32_t section = model->SectionIndexOf(menuLineSkin_.empty() ? "MENULINE" : menuLineSkin_);
    if (model->HasSection(section)) {
        const std::string& name = model->GeneralData[static_cast<std::size_t>(section)].SectionName;
        TacPixmap behind = CopyOfArea(cache.Pixels(), area);
        PaintSectionFace(cache.Pixels(), area, model, section, name, 0, true,
                         BitmapBackdrop(behind.View(), -area.Left, -area.Top), area.Left, area.Top);
    }
    // GDI text leaves alpha 0 behind; the bar is opaque wherever it shows.
    MakeTextOpaque(cache, line, line.right);
    // The items paint over a copy of the bar's face: the same strip is behind them
    // when the system has an item drawn while it tracks the bar.
    menuLineStrip_ = CreateBitmap32(width, height);
    CopyPixels(menuLineStrip_->Pixels(), 0, 0, cache.Pixels(), area);
    menuLineRect_ = line;
    TsSkinManager* manager = SkinManager();
    auto* menus = dynamic_cast<TsSkinableMenus*>(manager->SkinableMenus());
    if (menus == nullptr)
        return;
    TMenuItem& root = form_.Menu()->Items();
    for (int i = 0; i < root.Count(); ++i) {
        TMenuItem* item = root.Items(i);
        RECT place{};
        if (!item->Visible() || !BarItemCacheRect(*item, place))
            continue;
        const TOwnerDrawState state = item->Enabled() ? 0u : static_cast<unsigned>(odDisabled);
        menus->DrawBarItem(item, cache.Canvas(), place, state);
    }
    MakeTextOpaque(cache, line, line.right);
}

bool TsSkinProvider::MenuLineStripFor(const TMenuItem& item, TacPixelsView& strip, POINT& itemOrigin) {
    if (!menuLineStrip_ || !PaintsMenuLine())
        return false;
    RECT place{};
    if (!BarItemCacheRect(item, place))
        return false;
    strip = menuLineStrip_->Pixels();
    itemOrigin = POINT{place.left - menuLineRect_.left, place.top - menuLineRect_.top};
    return true;
}

// Without skinned popups the bar's items are the system's own: the system paints the
// bar, limited to the bar, over the skinned frame.
void TsSkinProvider::PaintSystemMenuBar(const TWndNext& next) {
    if (PaintsMenuLine() || ShownMainMenu() == nullptr || !form_.HandleAllocated())
        return;
    POINT clientTop{0, 0};
    ::ClientToScreen(form_.Handle(), &clientTop);
    const int band = MenuBandHeight();
    HRGN bar = ::CreateRectRgn(clientTop.x, clientTop.y - band, clientTop.x + form_.ClientWidth(), clientTop.y);
    TMessage paint{WM_NCPAINT, reinterpret_cast<WPARAM>(bar), 0, 0};
    next(paint);
    ::DeleteObject(bar);
}

void TsSkinProvider::MenuChanged(TMessage& message, const TWndNext& next) {
    ForgetMenuLines();
    HookFormMenu();
    next(message);
    skinData_->CacheStale = true;
    regionStale_ = true;
    if (borderForm_)
        borderForm_->MarkContentStale();
    RepaintFrameNow();
}

} // namespace sj
