#include "skin/frame/sSkinProvider.h"

#include <algorithm>
#include <cstring>

#include "forms/FormReader.h"
#include "forms/FormResources.h"
#include "platform/Exception.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinManager.h"
#include "skin/frame/acGlow.h"
#include "skin/frame/sSkinMenus.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sControlText.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sMaskPaint.h"
#include "skin/paint/sSectionPaint.h"
#include "skin/paint/sSystemFunctions.h"

namespace sj {

namespace {

constexpr int kMinimize = 0, kMaximize = 1, kClose = 2, kHelp = 3;
constexpr const char* kSkinSelectItem = "SkinSelectItem";
constexpr const char* kInternalSuffix = "(internal)";

// Skin commands this unit answers beyond the shared table.
constexpr WORD scQueryProvider = 4;
constexpr WORD scParentUpdated = 6;
constexpr WORD scQueryClientOffset = 61;
constexpr WORD scRedrawOff = 51;
constexpr WORD scRedrawOn = 52;
constexpr WORD scRepaintNonClient = 62;

// What lies under `area` before it is painted over; seen as a backdrop through
// BitmapBackdrop(copy, -area.Left, -area.Top).
TacPixmap CopyOfArea(TacPixelsView pixels, TacRect area) {
    TacPixmap copy(std::max(0, area.Right - area.Left), std::max(0, area.Bottom - area.Top));
    CopyPixels(copy.View(), 0, 0, pixels, area);
    return copy;
}

void MakeOpaque(TacPixelsView pixels) {
    for (int y = 0; y < pixels.Height; ++y)
        for (int x = 0; x < pixels.Width; ++x)
            pixels.At(x, y) |= 0xFF000000u;
}

int ButtonSlot(int code) {
    switch (code) {
    case HTMINBUTTON:
        return kMinimize;
    case HTMAXBUTTON:
        return kMaximize;
    case HTCLOSE:
        return kClose;
    case HTHELP:
        return kHelp;
    default:
        return -1;
    }
}

bool IsButtonCode(int code) {
    return ButtonSlot(code) >= 0;
}

bool Inside(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The system's caption font, fresh for every paint (the user may change it).
HFONT CreateCaptionFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return nullptr;
    return ::CreateFontIndirectA(&metrics.lfCaptionFont);
}

std::int32_t GlobalImage(const TsSkinModel& model, const char* key) {
    return model.ImageIndexOf(model.SectionIndexOf("GLOBALINFO"), "GLOBALINFO", key);
}

TTitleButtonSize SizeOfItem(const TsSkinModel* model, std::int32_t index, bool visible) {
    TTitleButtonSize size;
    size.Visible = visible;
    if (model != nullptr && model->HasImage(index)) {
        const TsMaskData& item = model->Masks[static_cast<std::size_t>(index)];
        size.Width = std::max(1, FrameWidth(item));
        size.Height = std::max(1, FrameHeight(item));
    }
    return size;
}

} // namespace

// ---- portable geometry --------------------------------------------------------------

int LayoutTitleButtonRow(const TTitleButtonGeometry& g, const std::vector<TTitleButtonSize>& sizes,
                         std::vector<RECT>& rects) {
    rects.assign(sizes.size(), RECT{});
    int cursor = g.CacheWidth - g.BIRight - g.RightMargin - g.FrameBorder;
    int block = g.BIRight;
    bool first = true;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const TTitleButtonSize& size = sizes[i];
        if (!size.Visible) {
            rects[i] = RECT{cursor, 0, cursor, 0};
            continue;
        }
        RECT r{};
        r.right = cursor;
        r.left = cursor - size.Width;
        r.top = g.AlignedTop >= 0 ? g.AlignedTop : g.CenterLine - size.Height / 2;
        r.bottom = r.top + size.Height;
        rects[i] = r;
        const int gap = g.BigSet ? g.BISpace : 0;
        cursor = r.left - gap;
        block += first ? size.Width : size.Width + gap;
        first = false;
    }
    return first ? 0 : block;
}

POINT SnapToArea(POINT p, SIZE size, const RECT& area, int buffer, int m, int n) {
    if (std::abs(p.x + size.cx + m - area.right) < buffer)
        p.x = area.right - size.cx - m;
    if (std::abs(p.y + size.cy + m - area.bottom) < buffer)
        p.y = area.bottom - size.cy - m;
    if (std::abs(p.x - m - area.left) < buffer)
        p.x = area.left + m;
    if (std::abs(p.y - n - area.top) < buffer)
        p.y = area.top + n;
    return p;
}

void CollectKeyRuns(const TacPixmap& image, int firstColumn, int columns, int firstRow, int rows, int dx, int dy,
                    std::vector<RECT>& runs) {
    for (int row = 0; row < rows; ++row) {
        const int y = firstRow + row;
        if (y < 0 || y >= image.Height())
            continue;
        int x = 0;
        while (x < columns) {
            const int sx = firstColumn + x;
            if (sx < 0 || sx >= image.Width() || image.At(sx, y) != 0x00FF00FFu) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < columns && firstColumn + x < image.Width() && image.At(firstColumn + x, y) == 0x00FF00FFu)
                ++x;
            runs.push_back(RECT{start + dx, row + dy, x + dx, row + dy + 1});
        }
    }
}

std::string SkinNameFromMenuCaption(const std::string& caption) {
    // "&&" shows one "&" and is one in the name; a single "&" only marks the accelerator.
    std::string name;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&')
            name += caption[i];
        else if (i + 1 < caption.size() && caption[i + 1] == '&')
            name += caption[++i];
    }
    const std::size_t suffix = name.find(kInternalSuffix);
    if (suffix != std::string::npos)
        name.erase(suffix + std::strlen(kInternalSuffix));
    return name;
}

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

// ---- provider: construction ---------------------------------------------------------

namespace {

TCustomForm& FormOwner(TComponent* owner) {
    auto* form = dynamic_cast<TCustomForm*>(owner);
    if (form == nullptr)
        throw Exception("TsSkinProvider component may be used with forms only!");
    return *form;
}

} // namespace

TsSkinProvider::TsSkinProvider(TComponent* owner) : TComponent(owner), form_(FormOwner(owner)) {
    skinData_ = std::make_unique<TsCommonData>(this, true);
    skinData_->ProviderForm = &form_;
    skinData_->Control = &form_;
    skinData_->SetSkinSection("FORM");
    AddedTitleFont.SetName("Tahoma");
    AddedTitleFont.SetHeight(-11);
    AddedTitleFont.SetColor(clNone);
    for (int slot = 0; slot < 4; ++slot)
        buttons_[slot].HitCode = slot == kMinimize   ? HTMINBUTTON
                                 : slot == kMaximize ? HTMAXBUTTON
                                 : slot == kClose    ? HTCLOSE
                                                     : HTHELP;
    // A provider already on this form keeps the form; this one stays inert.
    if (form_.HandleAllocated() &&
        ::SendMessageA(form_.Handle(), SkinCommandMessage, SkinCommand(scQueryProvider), 0) != 0) {
        inert_ = true;
        return;
    }
    for (int i = 0; i < form_.ComponentCount(); ++i)
        if (auto* other = dynamic_cast<TsSkinProvider*>(form_.Components(i)); other != nullptr && other != this) {
            inert_ = true;
            return;
        }
    buttonStrip_ = CreateBitmap32(0, 0);
    hook_ = form_.HookWindowProc([this](TMessage& message, const TWndNext& next) { WindowProc(message, next); });
    RegisterHookedForm(&form_);
}

TsSkinProvider::~TsSkinProvider() {
    if (inert_)
        return;
    StopButtonAnimations();
    HideButtonGlows();
    UnregisterHookedForm(&form_);
    borderForm_.reset();
    if (form_.HandleAllocated() && !form_.HasState(csDestroying)) {
        if (hasSysButtons_) {
            const LONG style = ::GetWindowLongA(form_.Handle(), GWL_STYLE);
            ::SetWindowLongA(form_.Handle(), GWL_STYLE, style | WS_SYSMENU);
        }
        ::SetWindowRgn(form_.Handle(), nullptr, TRUE);
    }
    hook_.Unhook();
    adapter_.reset();
}

TsSkinManager* TsSkinProvider::SkinManager() const {
    return skinData_->SkinManager();
}

bool TsSkinProvider::Skinned() const {
    TsSkinManager* manager = SkinManager();
    return !inert_ && manager != nullptr && manager->Active() && manager->SkinGlobals().Ready && skinData_->IsSkinned();
}

const TsSkinModel* TsSkinProvider::Model() const {
    TsSkinManager* manager = SkinManager();
    return manager != nullptr && manager->Active() ? &manager->Model() : nullptr;
}

void TsSkinProvider::SetDrawNonClientArea(bool value) {
    if (drawNonClientArea_ == value)
        return;
    drawNonClientArea_ = value;
    regionStale_ = true;
    skinData_->CacheStale = true;
    if (form_.HandleAllocated()) {
        PrepareForm();
        if (!value)
            ::SetWindowRgn(form_.Handle(), nullptr, TRUE);
        ::RedrawWindow(form_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

void TsSkinProvider::Loaded() {
    TComponent::Loaded();
    if (inert_)
        return;
    PrepareForm();
}

void TsSkinProvider::PrepareForm() {
    TsSkinManager* manager = SkinManager();
    if (inert_ || !form_.HandleAllocated() || manager == nullptr || !manager->Active())
        return;
    skinData_->ResolveSection();
    if (systemMenu_ == nullptr)
        systemMenu_ = new TsSystemMenu(*this, form_);
    HWND window = form_.Handle();
    const LONG style = ::GetWindowLongA(window, GWL_STYLE);
    // The system menu is read before WS_SYSMENU goes: without the style the window
    // has no system menu to ask for its close entry.
    systemMenu_->UpdateItems(true);
    if (drawNonClientArea_ && ((style & WS_SYSMENU) != 0 || hasSysButtons_)) {
        if ((style & WS_SYSMENU) != 0)
            ::SetWindowLongA(window, GWL_STYLE, style & ~WS_SYSMENU);
        hasSysButtons_ = true;
    } else if (!drawNonClientArea_ && hasSysButtons_) {
        ::SetWindowLongA(window, GWL_STYLE, style | WS_SYSMENU);
    }
    titleSectionIndex_ = -1;
    captionSectionIndex_ = Model()->SectionIndexOf("CAPTION");
    SelectButtonImages();
    skinData_->CacheStale = true;
    regionStale_ = true;
    RecolorForm();
    prepared_ = true;
    if (!form_.HasState(csLoading) && ::IsWindowVisible(window))
        SetExtendedBorders(true);
    // Controls take the skin before the window first shows them.
    if (!adapter_)
        adapter_ = std::make_unique<TacCtrlAdapter>(manager);
    adapter_->AddAllItems(form_);
}

void TsSkinProvider::RecolorForm() {
    TsSkinManager* manager = SkinManager();
    if (!UseGlobalColor || skinData_->CustomColor() || manager == nullptr || form_.HasState(csLoading) ||
        form_.Parent() != nullptr)
        return;
    form_.SetColor(static_cast<TColor>(manager->SkinBackColor()));
}

// ---- metrics ----------------------------------------------------------------------------

POINT TsSkinProvider::WindowOrigin() const {
    RECT r{};
    if (form_.HandleAllocated())
        ::GetWindowRect(form_.Handle(), &r);
    return POINT{r.left, r.top};
}

// Frame-cache coordinates of a screen point (with a border window the cache starts at
// the border window's corner).
POINT TsSkinProvider::ToWindow(POINT screen) const {
    POINT origin = WindowOrigin();
    if (borderForm_) {
        const POINT offset = borderForm_->Offset();
        origin.x += offset.x;
        origin.y += offset.y;
    }
    return POINT{screen.x - origin.x, screen.y - origin.y};
}

SIZE TsSkinProvider::WindowSize() const {
    RECT r{};
    if (form_.HandleAllocated())
        ::GetWindowRect(form_.Handle(), &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

bool TsSkinProvider::IsMaximized() const {
    return form_.HandleAllocated() && ::IsZoomed(form_.Handle());
}

bool TsSkinProvider::IsMinimized() const {
    return form_.HandleAllocated() && ::IsIconic(form_.Handle());
}

bool TsSkinProvider::IsSizeable() const {
    return form_.HandleAllocated() && (::GetWindowLongA(form_.Handle(), GWL_STYLE) & WS_THICKFRAME) != 0;
}

bool TsSkinProvider::IsBordered() const {
    if (!form_.HandleAllocated())
        return false;
    const LONG style = ::GetWindowLongA(form_.Handle(), GWL_STYLE);
    const bool bordered = form_.BorderStyle() != TFormBorderStyle::bsNone || (style & WS_CHILD) != 0;
    return bordered && (style & WS_CAPTION) == WS_CAPTION;
}

bool TsSkinProvider::BigButtonSet() const {
    const TFormBorderStyle style = form_.BorderStyle();
    return style == TFormBorderStyle::bsSingle || style == TFormBorderStyle::bsSizeable;
}

int TsSkinProvider::FrameBorderWidth(bool useSkin) const {
    const TsSkinModel* model = Model();
    if (useSkin && borderForm_ && model != nullptr)
        return model->SkinGlobals.BorderWidth;
    if (!form_.HandleAllocated())
        return 0;
    const LONG style = ::GetWindowLongA(form_.Handle(), GWL_STYLE);
    if ((style & WS_THICKFRAME) != 0)
        return ::GetSystemMetrics(SM_CXFRAME);
    if ((style & WS_BORDER) != 0)
        return ::GetSystemMetrics(SM_CXDLGFRAME);
    return 0;
}

int TsSkinProvider::FrameTopBorder(bool useSkin) const {
    return borderForm_ ? 0 : FrameBorderWidth(useSkin);
}

int TsSkinProvider::SystemCaptionHeight() const {
    static const int caption = ::GetSystemMetrics(SM_CYCAPTION);
    static const int small = ::GetSystemMetrics(SM_CYSMCAPTION);
    const TFormBorderStyle style = form_.BorderStyle();
    const bool tool = style == TFormBorderStyle::bsToolWindow || style == TFormBorderStyle::bsSizeToolWin;
    return tool && !IsMinimized() ? small : caption;
}

int TsSkinProvider::CaptionHeight(bool useSkin) const {
    if (!IsMinimized() && !IsBordered())
        return 0;
    const int system = SystemCaptionHeight();
    const TsSkinModel* model = Model();
    if (model == nullptr)
        return system;
    const int title = model->SkinGlobals.TitleHeight > 0 ? model->SkinGlobals.TitleHeight : 30;
    if (useSkin && borderForm_)
        return title;
    if (titleTallerThanSystem_ && IsMaximized())
        return std::max(title, system + 4);
    return system;
}

int TsSkinProvider::MaximizedTitleHeight() const {
    const TsSkinModel* model = Model();
    if (model == nullptr)
        return 0;
    const int title = model->SkinGlobals.TitleHeight > 0 ? model->SkinGlobals.TitleHeight : 30;
    return model->SkinGlobals.MaxHeight > 0 ? model->SkinGlobals.MaxHeight : title;
}

int TsSkinProvider::TitleGrowth() const {
    return std::max(0, MaximizedTitleHeight() - (SystemCaptionHeight() + 4));
}

int TsSkinProvider::ClientOffsetX() const {
    if (!form_.HandleAllocated())
        return 0;
    if (borderForm_)
        return FrameBorderWidth(true) + Margins()[0];
    return (WindowSize().cx - form_.ClientWidth()) / 2;
}

int TsSkinProvider::ClientOffsetY() const {
    if (!form_.HandleAllocated())
        return 0;
    if (borderForm_)
        return CaptionHeight(true) + Margins()[1];
    const LONG style = ::GetWindowLongA(form_.Handle(), GWL_STYLE);
    const int bottom = (style & WS_BORDER) != 0 ? ClientOffsetX() : 0;
    return WindowSize().cy - form_.ClientHeight() - bottom;
}

const TitleButtonRecord& TsSkinProvider::Button(int hitCode) const {
    static const TitleButtonRecord none;
    const int slot = ButtonSlot(hitCode);
    return slot >= 0 ? buttons_[static_cast<std::size_t>(slot)] : none;
}

TitleButtonRecord* TsSkinProvider::ButtonOf(int code) {
    const int slot = ButtonSlot(code);
    return slot >= 0 ? &buttons_[static_cast<std::size_t>(slot)] : nullptr;
}

int TsSkinProvider::SectionState(std::int32_t sectionIndex) const {
    const TsSkinModel* model = Model();
    if (model == nullptr || !model->HasSection(sectionIndex))
        return 0;
    return std::min(formActive_, std::max(0, model->GeneralData[static_cast<std::size_t>(sectionIndex)].States - 1));
}

std::int32_t TsSkinProvider::TitleSectionIndex() {
    if (titleSectionIndex_ < 0 && Model() != nullptr)
        titleSectionIndex_ = Model()->SectionIndexOf(TitleSkin.empty() ? "FORMTITLE" : TitleSkin);
    return titleSectionIndex_;
}

TColor TsSkinProvider::FaceColor() const {
    if (skinData_->CustomColor())
        return form_.Color();
    const TsGeneralData* section = skinData_->Section();
    if (section == nullptr)
        return form_.Color();
    const int state = section->States > 1 ? formActive_ : 0;
    return static_cast<TColor>(section->PropsOfState(state).Color);
}

// ---- title buttons ----------------------------------------------------------------------

void TsSkinProvider::SelectButtonImages() {
    const TsSkinModel* model = Model();
    for (auto& button : buttons_)
        button.ImageIndex = -1;
    if (model == nullptr || systemMenu_ == nullptr)
        return;
    auto big = [&] {
        buttons_[kMinimize].ImageIndex = GlobalImage(*model, "BICONMIN");
        buttons_[kMaximize].ImageIndex = GlobalImage(*model, "BICONMAX");
        const bool alone = !systemMenu_->VisibleMin() && !systemMenu_->VisibleMax();
        const std::int32_t closeAlone = alone ? GlobalImage(*model, "BICLOSEALONE") : -1;
        buttons_[kClose].ImageIndex = model->HasImage(closeAlone) ? closeAlone : GlobalImage(*model, "BICONCLOSE");
        buttons_[kHelp].ImageIndex = GlobalImage(*model, "BICONHELP");
    };
    const bool bigSet = BigButtonSet();
    if (bigSet) {
        big();
    } else {
        buttons_[kClose].ImageIndex = GlobalImage(*model, "SICONCLOSE");
        buttons_[kMinimize].ImageIndex = GlobalImage(*model, "SICONMIN");
        buttons_[kMaximize].ImageIndex = GlobalImage(*model, "SICONMAX");
        const std::int32_t help = GlobalImage(*model, "SICONHELP");
        buttons_[kHelp].ImageIndex = model->HasImage(help) ? help : GlobalImage(*model, "BICONHELP");
    }
    for (int slot : {kMinimize, kMaximize, kClose})
        buttons_[static_cast<std::size_t>(slot)].BigAlignment = bigSet;
    buttons_[kHelp].BigAlignment = false;
    if (!model->HasImage(buttons_[kClose].ImageIndex)) {
        big();
        for (auto& button : buttons_)
            button.BigAlignment = true;
    }
}

void TsSkinProvider::LayoutTitleButtons() {
    const TsSkinModel* model = Model();
    TBitmap* cache = FrameCache();
    if (model == nullptr || cache == nullptr || systemMenu_ == nullptr)
        return;
    const TsSkinData& globals = model->SkinGlobals;
    if (IsMaximized()) {
        const std::int32_t normal = GlobalImage(*model, "BICONNORM");
        if (model->HasImage(normal))
            buttons_[kMaximize].ImageIndex = normal;
    } else if (BigButtonSet() || !model->HasImage(GlobalImage(*model, "SICONCLOSE"))) {
        buttons_[kMaximize].ImageIndex = GlobalImage(*model, BigButtonSet() ? "BICONMAX" : "SICONMAX");
    }
    TTitleButtonGeometry g;
    g.CacheWidth = cache->Width();
    g.RightMargin = Margins()[2];
    g.FrameBorder = FrameBorderWidth(true);
    g.BIRight = globals.BIRight;
    g.BISpace = globals.BISpace;
    g.BigSet = BigButtonSet();
    g.CenterLine = centerLine_;
    const bool hangs = buttons_[kClose].BigAlignment && globals.BIVAlign == 1;
    if (hangs && borderForm_) {
        const int top = Margins()[1];
        g.AlignedTop = IsMaximized() ? (globals.MaxHeight == 0 || globals.MaxHeight == globals.TitleHeight
                                            ? top + 4
                                            : top + std::max(0, globals.TitleHeight - globals.MaxHeight) + 4)
                                     : top + globals.BITop;
    } else {
        g.AlignedTop = hangs ? (IsMaximized() ? 7 : 0) : -1;
    }
    const TTitleButtonSize closeSize = SizeOfItem(model, buttons_[kClose].ImageIndex, true);
    auto sizeOf = [&](int slot, bool visible) {
        TTitleButtonSize size = SizeOfItem(model, buttons_[static_cast<std::size_t>(slot)].ImageIndex, visible);
        size.Height = closeSize.Height;
        return size;
    };
    std::vector<TTitleButtonSize> sizes{sizeOf(kClose, hasSysButtons_), sizeOf(kMaximize, systemMenu_->VisibleMax()),
                                        sizeOf(kMinimize, systemMenu_->VisibleMin())};
    std::vector<RECT> rects;
    buttonBlockWidth_ = LayoutTitleButtonRow(g, sizes, rects);
    buttons_[kClose].Rect = rects[0];
    buttons_[kMaximize].Rect = rects[1];
    buttons_[kMinimize].Rect = rects[2];
    buttons_[kHelp].Rect = RECT{};
    if ((form_.BorderIcons() & biHelp) != 0 && hasSysButtons_) {
        int left = rects[0].left;
        for (const RECT& r : rects)
            if (r.right > r.left)
                left = std::min<int>(left, r.left - (g.BigSet ? g.BISpace : 0));
        TTitleButtonGeometry helpGeometry = g;
        helpGeometry.CacheWidth = left - 6;
        helpGeometry.BIRight = 0;
        helpGeometry.FrameBorder = 0;
        helpGeometry.AlignedTop = -1;
        std::vector<RECT> help;
        LayoutTitleButtonRow(helpGeometry, {sizeOf(kHelp, true)}, help);
        buttons_[kHelp].Rect = help[0];
        buttonBlockWidth_ += help[0].right - help[0].left + (g.BigSet ? g.BISpace : 0) + 6;
    }
}

void TsSkinProvider::DrawButtonImage(TacPixelsView target, int x, int y, const TitleButtonRecord& button, int state) {
    const TsSkinModel* model = Model();
    if (model == nullptr || !model->HasImage(button.ImageIndex))
        return;
    const TsMaskData& item = model->Masks[static_cast<std::size_t>(button.ImageIndex)];
    bool enabled = true;
    if (button.HitCode == HTMAXBUTTON)
        enabled = systemMenu_ != nullptr && (systemMenu_->EnabledMax() || systemMenu_->EnabledRestore());
    else if (button.HitCode == HTMINBUTTON)
        enabled = systemMenu_ != nullptr && systemMenu_->EnabledMin();
    const bool faded = state == 0 && (formActive_ == 0 || !enabled);
    DrawStateImage(target, x, y, state, BitmapBackdrop(target, x, y), item, faded ? simFaded : simNormal);
}

void TsSkinProvider::PaintTitleButton(TBitmap& cache, const TitleButtonRecord& button) {
    if (button.Placed())
        DrawButtonImage(cache.Pixels(), button.Rect.left, button.Rect.top, button, button.State);
}

void TsSkinProvider::PaintButtonFrame(TBitmap& frame, const TitleButtonRecord& button, int state) {
    const RECT& r = button.Rect;
    TacPixelsView pixels = frame.Pixels();
    FillPixels(pixels, TacRect{0, 0, pixels.Width, pixels.Height}, ColorToPixelOrder(PaintColorToRGB(FaceColor())),
               0xFF);
    if (TBitmap* cache = FrameCache())
        CopyPixels(pixels, 0, 0, cache->Pixels(), TacRect{r.left, r.top, r.right, r.bottom});
    // The caption as it was before any button was drawn on it.
    const RECT& strip = buttonStripRect_;
    const RECT behind{std::max(r.left, strip.left), std::max(r.top, strip.top), std::min(r.right, strip.right),
                      std::min(r.bottom, strip.bottom)};
    if (behind.right > behind.left && behind.bottom > behind.top)
        CopyPixels(pixels, behind.left - r.left, behind.top - r.top, buttonStrip_->Pixels(),
                   TacRect{behind.left - strip.left, behind.top - strip.top, behind.right - strip.left,
                           behind.bottom - strip.top});
    MakeOpaque(pixels);
    DrawButtonImage(pixels, 0, 0, button, state);
    // The popup covers opaque caption: nothing of it may let the window below through.
    MakeOpaque(pixels);
}

void TsSkinProvider::SaveButtonStrip(TBitmap& cache) {
    RECT strip{cache.Width(), 0, cache.Width(), 0};
    for (const auto& button : buttons_)
        if (button.Placed()) {
            strip.left = std::min(strip.left, button.Rect.left);
            strip.right = std::max(strip.right, button.Rect.right);
        }
    strip.top = 0;
    strip.bottom = std::min(cache.Height(), titleBottom_);
    strip.left = std::max<LONG>(0, strip.left);
    strip.right = std::min<LONG>(cache.Width(), strip.right);
    buttonStripRect_ = strip;
    const int w = std::max<int>(0, strip.right - strip.left), h = std::max<int>(0, strip.bottom - strip.top);
    buttonStrip_->SetSize(w, h);
    if (w > 0 && h > 0)
        CopyPixels(buttonStrip_->Pixels(), 0, 0, cache.Pixels(),
                   TacRect{strip.left, strip.top, strip.right, strip.bottom});
}

void TsSkinProvider::RestoreButtonStrip(TBitmap& cache, const RECT& area) {
    const RECT& strip = buttonStripRect_;
    RECT r{std::max(area.left, strip.left), std::max(area.top, strip.top), std::min(area.right, strip.right),
           std::min(area.bottom, strip.bottom)};
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    CopyPixels(cache.Pixels(), r.left, r.top, buttonStrip_->Pixels(),
               TacRect{r.left - strip.left, r.top - strip.top, r.right - strip.left, r.bottom - strip.top});
}

void TsSkinProvider::PaintTitleButtons(TBitmap& cache) {
    if (!IsBordered())
        return;
    RestoreButtonStrip(cache, buttonStripRect_);
    for (const auto& button : buttons_)
        PaintTitleButton(cache, button);
}

// The cache always shows the button's new state, so that whatever reads or shows the
// cache later is right; an animation only decides when the window shows it.
void TsSkinProvider::RepaintTitleButton(int code) {
    TitleButtonRecord* button = ButtonOf(code);
    TBitmap* cache = FrameCache();
    if (button == nullptr || cache == nullptr || !button->Placed() || skinData_->CacheStale || !form_.HandleAllocated())
        return;
    RestoreButtonStrip(*cache, button->Rect);
    PaintTitleButton(*cache, *button);
    if (AnimatesTitleButtons())
        AnimationOf(*button).Start(button->State);
    else
        ShowButtonFromCache(*button);
    UpdateButtonGlow(*button);
}

void TsSkinProvider::ShowButtonFromCache(const TitleButtonRecord& button) {
    TBitmap* cache = FrameCache();
    if (cache == nullptr || !form_.HandleAllocated() || !button.Placed())
        return;
    if (borderForm_) {
        borderForm_->RefreshContent();
        return;
    }
    HDC dc = ::GetWindowDC(form_.Handle());
    if (dc == nullptr)
        return;
    const RECT& r = button.Rect;
    ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, cache->Canvas().Handle(), r.left, r.top, SRCCOPY);
    ::ReleaseDC(form_.Handle(), dc);
}

bool TsSkinProvider::AnimatesTitleButtons() const {
    TsSkinManager* manager = SkinManager();
    if (manager == nullptr || !form_.HandleAllocated() || form_.Parent() != nullptr || !LayeredWindowsAvailable())
        return false;
    if (!manager->Effects.AllowGlowing() && !borderForm_)
        return false;
    return ::IsWindowVisible(form_.Handle()) && !IsMinimized();
}

TacSBAnimation* TsSkinProvider::ButtonAnimation(int hitCode) const {
    const int slot = ButtonSlot(hitCode);
    return slot >= 0 ? animations_[static_cast<std::size_t>(slot)].get() : nullptr;
}

TacSBAnimation& TsSkinProvider::AnimationOf(const TitleButtonRecord& button) {
    auto& animation = animations_[static_cast<std::size_t>(ButtonSlot(button.HitCode))];
    if (!animation)
        animation = std::make_unique<TacSBAnimation>(*this, button.HitCode);
    return *animation;
}

RECT TsSkinProvider::ButtonScreenRect(const TitleButtonRecord& button) const {
    POINT origin = WindowOrigin();
    if (borderForm_) {
        const POINT offset = borderForm_->Offset();
        origin.x += offset.x;
        origin.y += offset.y;
    }
    RECT r = button.Rect;
    ::OffsetRect(&r, origin.x, origin.y);
    return r;
}

void TsSkinProvider::StopButtonAnimations() {
    for (auto& animation : animations_)
        if (animation)
            animation->Stop();
}

void TsSkinProvider::FreeButtonAnimations() {
    bool wasActive = false;
    for (auto& animation : animations_)
        wasActive = wasActive || (animation && animation->Active());
    StopButtonAnimations();
    if (!wasActive)
        return;
    // What the popups showed on top, the window below shows from now on.
    if (skinData_->CacheStale)
        return;
    if (borderForm_) {
        borderForm_->RefreshContent();
        return;
    }
    for (const auto& button : buttons_)
        ShowButtonFromCache(button);
}

void TsSkinProvider::UpdateButtonGlow(TitleButtonRecord& button) {
    const TsSkinModel* model = Model();
    TsSkinManager* manager = SkinManager();
    int glow = 0, margin = 0;
    if (model != nullptr) {
        const TsSkinData& globals = model->SkinGlobals;
        if (button.HitCode == HTMINBUTTON) {
            glow = globals.BIconMinGlow;
            margin = globals.BIconMinGlowMargin;
        } else if (button.HitCode == HTMAXBUTTON) {
            glow = globals.BIconMaxGlow;
            margin = globals.BIconMaxGlowMargin;
        } else if (button.HitCode == HTCLOSE) {
            glow = globals.BIconCloseGlow;
            margin = globals.BIconCloseGlowMargin;
        }
    }
    const bool wanted = button.State == 1 && glow > 0 && manager != nullptr && manager->Effects.AllowGlowing() &&
                        form_.Parent() == nullptr && model->HasImage(button.ImageIndex);
    if (!wanted) {
        if (button.GlowId >= 0)
            HideGlow(button.GlowId);
        return;
    }
    if (button.GlowId >= 0)
        return;
    const RECT rect = ButtonScreenRect(button);
    HWND parent = borderForm_ && borderForm_->BorderWindow() != nullptr ? borderForm_->BorderWindow() : form_.Handle();
    const std::string& name = model->Masks[static_cast<std::size_t>(button.ImageIndex)].Key;
    button.GlowId = ShowGlow(rect, rect, "GLOBALINFO", model, parent, 255, margin, name + "GLOW");
}

void TsSkinProvider::HideButtonGlows() {
    for (auto& button : buttons_)
        if (button.GlowId >= 0)
            HideGlow(button.GlowId);
}

// Every glow of the process goes; the ids this provider kept mean nothing afterwards.
void TsSkinProvider::ClearAllGlows() {
    ClearGlows();
    for (auto& button : buttons_)
        button.GlowId = -1;
}

void TsSkinProvider::SetHoverButton(int code, bool repaint) {
    if (code == hoverCode_)
        return;
    if (TitleButtonRecord* old = ButtonOf(hoverCode_)) {
        old->State = 0;
        if (repaint)
            RepaintTitleButton(hoverCode_);
    }
    hoverCode_ = code;
    if (buttonPressed_ || code == -1)
        return;
    if (TitleButtonRecord* now = ButtonOf(code)) {
        now->State = 1;
        if (repaint)
            RepaintTitleButton(code);
    }
}

void TsSkinProvider::PressButton(int code) {
    if (TitleButtonRecord* old = ButtonOf(hoverCode_); old != nullptr && hoverCode_ != code) {
        old->State = 0;
        RepaintTitleButton(hoverCode_);
    }
    TitleButtonRecord* button = ButtonOf(code);
    if (button == nullptr)
        return;
    if (code == HTMAXBUTTON && systemMenu_ != nullptr && !systemMenu_->EnabledMax() &&
        !(IsMaximized() && systemMenu_->EnabledRestore()))
        return;
    hoverCode_ = code;
    button->State = 2;
    buttonPressed_ = true;
    RepaintTitleButton(code);
}

void TsSkinProvider::ResetButtons() {
    for (auto& button : buttons_) {
        if (button.State != 0) {
            button.State = 0;
            RepaintTitleButton(button.HitCode);
        }
    }
    hoverCode_ = 0;
    buttonPressed_ = false;
}

// A release decides by where the mouse is now: only a release over the pressed button
// runs its command.
void TsSkinProvider::ReleaseButton(int code, POINT screen) {
    const bool pressed = buttonPressed_;
    const int pressedCode = hoverCode_;
    buttonPressed_ = false;
    if (capturing_) {
        capturing_ = false;
        ::ReleaseCapture();
    }
    TitleButtonRecord* button = ButtonOf(pressedCode);
    const bool over = button != nullptr && Inside(button->Rect, ToWindow(screen)) && code == pressedCode;
    ResetButtons();
    if (!pressed || !over || !form_.HandleAllocated())
        return;
    HWND window = form_.Handle();
    switch (pressedCode) {
    case HTMINBUTTON:
        ::SendMessageA(window, WM_SYSCOMMAND, IsMinimized() ? SC_RESTORE : SC_MINIMIZE, 0);
        break;
    case HTMAXBUTTON:
        ::SendMessageA(window, WM_SYSCOMMAND, IsMaximized() ? SC_RESTORE : SC_MAXIMIZE, 0);
        if (systemMenu_ != nullptr)
            systemMenu_->UpdateItems();
        break;
    case HTCLOSE:
        ::SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        // The form may have refused to close: its buttons are normal again.
        if (::IsWindow(window) && !form_.HasState(csDestroying)) {
            StopButtonAnimations();
            skinData_->CacheStale = true;
            ResetButtons();
            RepaintFrameNow();
        }
        break;
    case HTHELP:
        ::SendMessageA(window, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
        break;
    default:
        break;
    }
}

// ---- title-button animation ------------------------------------------------------------

namespace {

constexpr const char* kAnimationWindowClass = "acSBAnimation";
constexpr UINT_PTR kAnimationTimer = 1;

void RegisterAnimationWindowClass(WNDPROC procedure) {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kAnimationWindowClass;
    registered = ::RegisterClassA(&wc) != 0;
}

bool IsTopmostWindow(HWND window) {
    return window != nullptr && (::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

} // namespace

TacSBAnimation::TacSBAnimation(TsSkinProvider& owner, int hitCode) : owner_(owner), hitCode_(hitCode) {}

TacSBAnimation::~TacSBAnimation() {
    ReleaseWindow();
}

void TacSBAnimation::Start(int state) {
    if (state == target_)
        return;
    const TitleButtonRecord* button = owner_.ButtonOf(hitCode_);
    if (button == nullptr)
        return;
    if (state != 0) {
        // A press shows at once on a fresh popup; a hover fades in from the first step.
        if (state == 2)
            ReleaseWindow();
        target_ = state;
        steps_ = state == 2 ? 1 : FadeSteps;
        fadeIn_ = true;
        step_ = 1;
        if (!BuildFrame() || !EnsureWindow()) {
            Stop();
            owner_.ShowButtonFromCache(*button);
            return;
        }
        ShowFrame(FadeStepAlpha(steps_, step_));
        step_ = 2;
        if (steps_ > 1)
            SetTimerRunning(true);
        else
            FinishFadeIn();
        return;
    }
    // Back to normal: the window below shows the normal button now, and what the popup
    // shows fades out over it from where it stands.
    if (window_ == nullptr || !frame_) {
        Stop();
        owner_.ShowButtonFromCache(*button);
        return;
    }
    target_ = 0;
    fadeIn_ = false;
    step_ = std::min(step_, FadeSteps) - 1;
    steps_ = FadeSteps;
    SetTimerRunning(false);
    owner_.ShowButtonFromCache(*button);
    if (target_ != 0)
        return; // the window below was moved meanwhile, which ended this animation
    if (step_ <= 0) {
        Stop();
        return;
    }
    ShowFrame(FadeStepAlpha(steps_, step_));
    SetTimerRunning(true);
}

void TacSBAnimation::Stop() {
    ReleaseWindow();
    target_ = -1;
    step_ = 0;
    steps_ = 0;
    fadeIn_ = false;
}

void TacSBAnimation::FinishFadeIn() {
    SetTimerRunning(false);
    if (shownAlpha_ != 255)
        ShowFrame(255);
    steps_ = -1;
    if (const TitleButtonRecord* button = owner_.ButtonOf(hitCode_))
        owner_.ShowButtonFromCache(*button);
}

void TacSBAnimation::Tick() {
    if (!timerRunning_ || !Active())
        return;
    if (fadeIn_) {
        if (step_ < steps_) {
            ShowFrame(FadeStepAlpha(steps_, step_));
            ++step_;
            return;
        }
        FinishFadeIn();
        // A leave that came while the button faded in may have been missed.
        const TitleButtonRecord* button = owner_.ButtonOf(hitCode_);
        POINT cursor{};
        if (button != nullptr && ::GetCursorPos(&cursor) && owner_.Form().HandleAllocated()) {
            const RECT r = owner_.ButtonScreenRect(*button);
            if (!Inside(r, cursor))
                ::SendMessageA(owner_.Form().Handle(), WM_MOUSELEAVE, 0, 0);
        }
        return;
    }
    --step_;
    if (step_ <= 0) {
        Stop();
        return;
    }
    ShowFrame(FadeStepAlpha(steps_, step_));
}

bool TacSBAnimation::BuildFrame() {
    const TitleButtonRecord* button = owner_.ButtonOf(hitCode_);
    if (button == nullptr || !button->Placed())
        return false;
    const int width = button->Rect.right - button->Rect.left, height = button->Rect.bottom - button->Rect.top;
    if (width <= 0 || height <= 0)
        return false;
    // A bitmap the system refuses means no animation, not an error for the hover.
    try {
        if (!frame_)
            frame_ = CreateBitmap32(width, height);
        else
            frame_->SetSize(width, height);
        owner_.PaintButtonFrame(*frame_, *button, target_);
    } catch (...) {
        frame_.reset();
        return false;
    }
    frameRect_ = owner_.ButtonScreenRect(*button);
    shownAlpha_ = -1;
    return true;
}

bool TacSBAnimation::EnsureWindow() {
    if (window_ != nullptr)
        return true;
    TCustomForm& form = owner_.Form();
    if (!form.HandleAllocated())
        return false;
    RegisterAnimationWindowClass(&TacSBAnimation::WindowProcedure);
    HWND shown = owner_.BorderForm() != nullptr ? owner_.BorderForm()->BorderWindow() : form.Handle();
    DWORD exStyle = WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT;
    if (IsTopmostWindow(shown) || IsTopmostWindow(form.Handle()))
        exStyle |= WS_EX_TOPMOST;
    window_ = ::CreateWindowExA(exStyle, kAnimationWindowClass, "", WS_POPUP, frameRect_.left, frameRect_.top,
                                frameRect_.right - frameRect_.left, frameRect_.bottom - frameRect_.top, form.Handle(),
                                nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (window_ == nullptr)
        return false;
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

void TacSBAnimation::ReleaseWindow() {
    SetTimerRunning(false);
    if (window_ != nullptr) {
        HWND window = window_;
        window_ = nullptr;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        ::DestroyWindow(window);
    }
    frame_.reset();
    shownAlpha_ = -1;
}

// Just above the form, and above its border window too when that lies over the form.
void TacSBAnimation::PlaceAboveForm() {
    HWND form = owner_.Form().Handle();
    HWND border = owner_.BorderForm() != nullptr ? owner_.BorderForm()->BorderWindow() : nullptr;
    UINT flags = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;
    HWND after = HWND_TOP;
    if ((::GetWindowLongPtrA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
        after = HWND_TOPMOST;
    } else {
        HWND above = ::GetWindow(form, GW_HWNDPREV);
        if (above != nullptr && above == border)
            above = ::GetWindow(border, GW_HWNDPREV);
        if (above == window_)
            flags |= SWP_NOZORDER;
        else if (above != nullptr)
            after = above;
    }
    ::SetWindowPos(window_, after, 0, 0, 0, 0, flags);
}

void TacSBAnimation::ShowFrame(BYTE alpha) {
    if (window_ == nullptr || !frame_)
        return;
    POINT position{frameRect_.left, frameRect_.top};
    SIZE size{frame_->Width(), frame_->Height()};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    HDC screen = ::GetDC(nullptr);
    acUpdateLayeredWindow(window_, screen, &position, &size, frame_->Canvas().Handle(), &origin, 0, &blend, ULW_ALPHA);
    ::ReleaseDC(nullptr, screen);
    shownAlpha_ = alpha;
    if (!::IsWindowVisible(window_)) {
        PlaceAboveForm();
        ::ShowWindow(window_, SW_SHOWNOACTIVATE);
    }
}

void TacSBAnimation::SetTimerRunning(bool running) {
    if (running && !timerRunning_ && window_ != nullptr)
        timerRunning_ = ::SetTimer(window_, kAnimationTimer, Interval, nullptr) != 0;
    else if (!running && timerRunning_) {
        if (window_ != nullptr)
            ::KillTimer(window_, kAnimationTimer);
        timerRunning_ = false;
    }
}

LRESULT CALLBACK TacSBAnimation::WindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TacSBAnimation*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (msg) {
    case WM_TIMER:
        if (self != nullptr && wParam == kAnimationTimer) {
            try {
                self->Tick();
            } catch (...) {
                HandleBoundaryException(std::current_exception());
            }
            return 0;
        }
        break;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        ::BeginPaint(window, &paint);
        ::EndPaint(window, &paint);
        return 0;
    }
    default:
        break;
    }
    return ::DefWindowProcA(window, msg, wParam, lParam);
}

// ---- frame painting -------------------------------------------------------------------

void TsSkinProvider::LayoutTitle() {
    const int caption = CaptionHeight(true);
    const TsMargins margins = Margins();
    const TsSkinModel* model = Model();
    if (borderForm_ && model != nullptr) {
        const int maxTitle = MaximizedTitleHeight();
        const TsSkinData& globals = model->SkinGlobals;
        centerLine_ = margins[1] + maxTitle / 2 + caption - maxTitle;
        if (!IsMaximized() || globals.TitleHeight == globals.MaxHeight)
            centerLine_ += globals.CenterOffset;
    } else {
        centerLine_ = caption / 2 + FrameBorderWidth(true) / 2;
    }
    if (IsMaximized())
        centerLine_ += 2;
    titleBottom_ = FrameTopBorder(true) + caption + margins[1];
    iconRect_ = RECT{};
    const int left = FrameBorderWidth(true) + (model != nullptr ? model->SkinGlobals.BILeft : 0) + margins[0];
    const bool showIcon = ShowAppIcon && form_.HandleAllocated() && BigButtonSet() && hasSysButtons_;
    if (!showIcon) {
        iconRect_ = RECT{left, centerLine_, left, centerLine_};
        return;
    }
    const int size = caption <= 8 ? 1 : caption <= 16 ? 8 : 16;
    iconRect_ = RECT{left, centerLine_ - size / 2, left + size, centerLine_ - size / 2 + size};
}

void TsSkinProvider::PaintTitle(TBitmap& cache) {
    const TsSkinModel* model = Model();
    const std::int32_t title = TitleSectionIndex();
    const TsMargins margins = Margins();
    const TacRect strip{margins[0], margins[1], cache.Width() - margins[2], std::min(cache.Height(), titleBottom_)};
    if (model->HasSection(title)) {
        const std::string name = model->GeneralData[static_cast<std::size_t>(title)].SectionName;
        // Clear corners show what lay there before: a copy, since the fill goes first.
        TacPixmap behind = CopyOfArea(cache.Pixels(), strip);
        PaintSectionFace(cache.Pixels(), strip, model, title, name, SectionState(title), true,
                         BitmapBackdrop(behind.View(), -strip.Left, -strip.Top), strip.Left, strip.Top);
    }
    PaintTitleIcon(cache);
    if (!hasSysButtons_ || !skinData_->Section())
        return;
    const std::int32_t bar = model->ImageIndexOf(skinData_->SectionIndex, skinData_->SkinSection(), "TITLEBAR");
    if (!model->HasImage(bar))
        return;
    const TsMaskData& item = model->Masks[static_cast<std::size_t>(bar)];
    const int width = std::min(strip.Right - strip.Left, buttonBlockWidth_ + 2 * model->BorderRightOf(bar));
    // The strip ends inside the visible frame, not in the shadow.
    const TacRect area{strip.Right - width, strip.Top, strip.Right, strip.Bottom};
    DrawBordersMask(cache.Pixels(), area, true, SectionState(title), item, BitmapBackdrop(cache.Pixels(), 0, 0));
}

void TsSkinProvider::PaintTitleIcon(TBitmap& cache) {
    const int size = iconRect_.right - iconRect_.left;
    if (size <= 0)
        return;
    HICON icon = form_.Icon().Handle();
    if (icon == nullptr)
        icon = Application->Icon().Handle();
    if (icon == nullptr)
        icon = ::LoadIconA(nullptr, IDI_APPLICATION);
    // DrawIconEx leaves alpha 0 behind; the pixels it changed are made opaque.
    auto before = CreateBitmap32(size, size);
    CopyPixels(before->Pixels(), 0, 0, cache.Pixels(),
               TacRect{iconRect_.left, iconRect_.top, iconRect_.left + size, iconRect_.top + size});
    ::DrawIconEx(cache.Canvas().Handle(), iconRect_.left, iconRect_.top, icon, size, size, 0, nullptr, DI_NORMAL);
    TacPixelsView pixels = cache.Pixels();
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int cx = iconRect_.left + x, cy = iconRect_.top + y;
            if (cx < 0 || cy < 0 || cx >= pixels.Width || cy >= pixels.Height)
                continue;
            if (pixels.At(cx, cy) != before->Pixels().At(x, y))
                pixels.At(cx, cy) |= 0xFF000000u;
        }
}

void TsSkinProvider::PaintCaptionText(TBitmap& cache) {
    const TsSkinModel* model = Model();
    const std::string caption = form_.Caption();
    RECT r{};
    const int iconWidth = iconRect_.right - iconRect_.left;
    const TsMargins margins = Margins();
    r.left = FrameBorderWidth(true) + iconWidth + model->SkinGlobals.BILeft + margins[0] +
             (model->HasSection(captionSectionIndex_) ? 2 : 0) + 4;
    r.right = cache.Width() - buttonBlockWidth_ - margins[2] - 12;
    HFONT font = CreateCaptionFont();
    HDC dc = cache.Canvas().Handle();
    HGDIOBJ oldFont = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    r.top = centerLine_ - metrics.tmHeight / 2;
    r.bottom = r.top + metrics.tmHeight;
    int addedWidth = 0;
    if (!AddedTitleText.empty()) {
        HGDIOBJ previous = ::SelectObject(dc, AddedTitleFont.Handle());
        SIZE added{};
        ::GetTextExtentPoint32A(dc, AddedTitleText.c_str(), static_cast<int>(AddedTitleText.size()), &added);
        addedWidth = added.cx + 4;
        ::SelectObject(dc, previous);
    }
    const int needed = extent.cx + addedWidth + 4;
    if (CaptionAlignment == TAlignment::taRightJustify) {
        if (r.right - needed > r.left)
            r.left = r.right - needed;
    } else if (CaptionAlignment == TAlignment::taCenter) {
        r.left = std::max<LONG>(r.left, r.left + (r.right - r.left - needed) / 2);
        r.right = std::min<LONG>(r.left + extent.cx, r.right);
    }
    captionTextRect_ = r;
    if (model->HasSection(captionSectionIndex_) && r.right > r.left) {
        const TacRect area{std::max<int>(0, r.left - 4), std::max<int>(0, r.top - 2),
                           std::min<int>(cache.Width(), r.right + 4), std::min<int>(cache.Height(), r.bottom + 2)};
        if (area.Right > area.Left && area.Bottom > area.Top) {
            TacPixmap behind = CopyOfArea(cache.Pixels(), area);
            PaintSectionFace(cache.Pixels(), area, model, captionSectionIndex_, "CAPTION",
                             SectionState(captionSectionIndex_), true,
                             BitmapBackdrop(behind.View(), -area.Left, -area.Top), area.Left, area.Top);
        }
    }
    const std::int32_t title = TitleSectionIndex();
    TColor color = clCaptionText;
    if (model->HasSection(title))
        color = static_cast<TColor>(
            model->GeneralData[static_cast<std::size_t>(title)].PropsOfState(SectionState(title)).FontColor);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, PaintColorToRGB(color));
    RECT textRect = r;
    ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (!AddedTitleText.empty() && r.right + 4 < cache.Width()) {
        ::SelectObject(dc, AddedTitleFont.Handle());
        TColor addedColor = AddedTitleFont.Color();
        if (addedColor == clNone || addedColor == clWindowText)
            addedColor = color;
        if (formActive_ == 0)
            addedColor = static_cast<TColor>(MixColors(PaintColorToRGB(addedColor), PaintColorToRGB(color), 0.5));
        ::SetTextColor(dc, PaintColorToRGB(addedColor));
        RECT addedRect{r.left + extent.cx + 4, r.top, cache.Width() - buttonBlockWidth_ - margins[2] - 12, r.bottom};
        ::DrawTextA(dc, AddedTitleText.c_str(), static_cast<int>(AddedTitleText.size()), &addedRect,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (oldFont != nullptr)
        ::SelectObject(dc, oldFont);
    if (font != nullptr)
        ::DeleteObject(font);
    // Text leaves alpha 0; the frame is opaque.
    TacPixelsView pixels = cache.Pixels();
    for (int y = std::max<int>(0, r.top); y < std::min<int>(pixels.Height, r.bottom); ++y)
        for (int x = std::max<int>(0, r.left); x < std::min<int>(pixels.Width, cache.Width()); ++x)
            pixels.At(x, y) |= 0xFF000000u;
}

bool TsSkinProvider::PaintFrame() {
    if (!Skinned() || !form_.HandleAllocated() || form_.HasState(csLoading))
        return false;
    if (!skinData_->CacheStale && FrameCache() != nullptr && FrameCache()->Width() > 0)
        return true;
    SIZE size = WindowSize();
    if (size.cx <= 0 || size.cy <= 0)
        return false;
    const TsMargins margins = Margins();
    if (borderForm_) {
        // The skin's frame and title take the place of the system's, and the shadow
        // ring lies around them.
        const int b = FrameBorderWidth(true) - FrameBorderWidth(false);
        const int t = CaptionHeight(true) - CaptionHeight(false) - FrameBorderWidth(false);
        size.cx += 2 * b + margins[0] + margins[2];
        size.cy += b + t + margins[1] + margins[3];
    }
    if (!skinData_->CacheBitmap)
        skinData_->CacheBitmap = CreateBitmap32(0, 0);
    TBitmap& cache = *skinData_->CacheBitmap;
    if (cache.Width() != size.cx || cache.Height() != size.cy)
        cache.SetSize(size.cx, size.cy);
    LayoutTitle();
    LayoutTitleButtons();
    regionStale_ = true;
    const TsSkinModel* model = Model();
    const TacRect frame{margins[0], margins[1], size.cx - margins[2], size.cy - margins[3]};
    if (borderForm_)
        FillPixels(cache.Pixels(), TacRect{0, 0, size.cx, size.cy}, 0, 0);
    FillPixels(cache.Pixels(), frame, ColorToPixelOrder(PaintColorToRGB(FaceColor())), 0xFF);
    if (skinData_->Section() != nullptr)
        PaintSectionFace(cache.Pixels(), frame, model, skinData_->SectionIndex, skinData_->SkinSection(),
                         SectionState(skinData_->SectionIndex), true, ColorBackdrop(PaintColorToRGB(FaceColor())), 0,
                         0);
    if (IsBordered())
        PaintTitle(cache);
    if (borderForm_)
        PaintExtendedRing(cache);
    if (IsBordered()) {
        SaveButtonStrip(cache);
        PaintCaptionText(cache);
        PaintTitleButtons(cache);
    }
    skinData_->CacheStale = false;
    // Whoever asked for the frame (a child's backdrop, the client background), the
    // border window shows the new picture at its next update.
    if (borderForm_)
        borderForm_->MarkContentStale();
    return true;
}

// The window's frame strips around its client area, from the cache. With a border
// window the real window's thin remaining frame shows the same pixels as the border
// window around it, should its region not hide it.
void TsSkinProvider::CopyFrameToWindow(HDC dc) {
    TBitmap* cache = FrameCache();
    if (cache == nullptr || dc == nullptr)
        return;
    HDC source = cache->Canvas().Handle();
    const POINT offset = borderForm_ ? borderForm_->Offset() : POINT{0, 0}; // cache = window - offset
    const SIZE size = WindowSize();
    const int left = ClientOffsetX() + offset.x, top = ClientOffsetY() + offset.y;
    const int right = left + form_.ClientWidth(), bottom = top + form_.ClientHeight();
    auto copy = [&](int x, int y, int w, int h) {
        if (w > 0 && h > 0)
            ::BitBlt(dc, x, y, w, h, source, x - offset.x, y - offset.y, SRCCOPY);
    };
    copy(0, 0, size.cx, top);
    copy(0, top, left, bottom - top);
    copy(right, top, size.cx - right, bottom - top);
    copy(0, bottom, size.cx, size.cy - bottom);
}

void TsSkinProvider::PaintNonClient(HDC dc) {
    if (!form_.HandleAllocated())
        return;
    if (regionStale_ && !IsMinimized()) {
        CollectClearCorners();
        regionStale_ = false;
        UpdateWindowRegion(false);
    }
    skinData_->InUpdate = false;
    const bool repainted = skinData_->CacheStale;
    if (!PaintFrame())
        return;
    if (borderForm_) {
        // Everything but the client area is the border window's to show.
        borderForm_->UpdateBorderWindow(repainted);
    }
    HDC windowDC = dc != nullptr ? dc : ::GetWindowDC(form_.Handle());
    CopyFrameToWindow(windowDC);
    if (dc == nullptr)
        ::ReleaseDC(form_.Handle(), windowDC);
}

void TsSkinProvider::RepaintFrameNow() {
    if (form_.HandleAllocated())
        PaintNonClient(nullptr);
}

void TsSkinProvider::CollectClearCorners() {
    clearCorners_.clear();
    const TsSkinModel* model = Model();
    TBitmap* cache = FrameCache();
    if (model == nullptr || !form_.HandleAllocated())
        return;
    const int width = cache != nullptr && cache->Width() > 0 ? cache->Width() : WindowSize().cx;
    const int height = WindowSize().cy;
    auto scan = [&](std::int32_t index, bool top, bool bottom) {
        if (!model->HasImage(index))
            return;
        const TsMaskData& item = model->Masks[static_cast<std::size_t>(index)];
        const TacPixmap* image = item.SourceImage();
        if (image == nullptr)
            return;
        const TacPixmap& view = *image;
        const int frameWidth = FrameWidth(item);
        const int frameHeight = FrameHeight(item);
        const int x0 = item.SourceRect.Left, y0 = item.SourceRect.Top;
        const int l = SkinManager()->Core().Model().BorderLeftOf(index), t = model->BorderTopOf(index);
        const int r = model->BorderRightOf(index), b = model->BorderBottomOf(index);
        const int shift = width - frameWidth;
        if (top && t <= frameHeight) {
            CollectKeyRuns(view, x0, l, y0, t, 0, 0, clearCorners_);
            CollectKeyRuns(view, x0 + frameWidth - r, r, y0, t, shift + frameWidth - r, 0, clearCorners_);
        }
        if (bottom && b <= frameHeight) {
            const int rowsTop = y0 + frameHeight - b;
            CollectKeyRuns(view, x0, l, rowsTop, b, 0, height - b, clearCorners_);
            CollectKeyRuns(view, x0 + frameWidth - r, r, rowsTop, b, shift + frameWidth - r, height - b, clearCorners_);
        }
    };
    const std::int32_t form = skinData_->Section() != nullptr ? skinData_->BordersIndex : -1;
    scan(form, true, true);
    const std::int32_t title = TitleSectionIndex();
    if (model->HasSection(title))
        scan(model->GeneralData[static_cast<std::size_t>(title)].BordersMaskIndex, true, false);
}

void TsSkinProvider::UpdateWindowRegion(bool redraw) {
    if (!drawNonClientArea_ || inert_ || !form_.HandleAllocated())
        return;
    if (!IsBordered() && !IsMinimized() && !IsSizeable())
        return;
    const SIZE size = WindowSize();
    HRGN region = nullptr;
    if (borderForm_) {
        // Only the client area of the real window shows; the border window shows the rest.
        const int w = FrameBorderWidth(false), c = CaptionHeight(false);
        region = ::CreateRectRgn(w, w + c, size.cx - w, size.cy - w);
    } else if (IsMaximized()) {
        const int w = FrameBorderWidth(false);
        region = ::CreateRectRgn(w, w, size.cx - w, size.cy - w);
    } else {
        region = ::CreateRectRgn(0, 0, size.cx, size.cy);
        for (const RECT& r : clearCorners_) {
            HRGN cut = ::CreateRectRgn(r.left, r.top, r.right, r.bottom);
            ::CombineRgn(region, region, cut, RGN_DIFF);
            ::DeleteObject(cut);
        }
    }
    // The window owns the region from here on.
    if (::SetWindowRgn(form_.Handle(), region, redraw ? TRUE : FALSE) == 0)
        ::DeleteObject(region);
}

void TsSkinProvider::PaintClientBackground(HDC dc, bool notifyChildren) {
    if (dc == nullptr)
        return;
    const RECT client = form_.ClientRect();
    const bool plain = (skinData_->StateFlags & 1) != 0 && skinData_->StateFlags != sfUncomputed;
    if (plain || !PaintFrame()) {
        FillRectDC(dc, client, FaceColor());
    } else {
        TBitmap* cache = FrameCache();
        ::BitBlt(dc, 0, 0, client.right, client.bottom, cache->Canvas().Handle(), ClientOffsetX(), ClientOffsetY(),
                 SRCCOPY);
    }
    if (!notifyChildren)
        return;
    for (int i = 0; i < form_.ControlCount(); ++i) {
        auto* windowed = dynamic_cast<TWinControl*>(form_.Controls(i));
        if (windowed != nullptr && windowed->HandleAllocated()) {
            if (::SendMessageA(windowed->Handle(), SkinCommandMessage, SkinCommand(scIsSkinned), 0) == 1)
                ::SendMessageA(windowed->Handle(), SkinCommandMessage, SkinCommand(scParentUpdated), 0);
        }
    }
}

// ---- extended borders ---------------------------------------------------------------------

TsMargins TsSkinProvider::Margins() const {
    const TsSkinModel* model = Model();
    if (!borderForm_ || model == nullptr)
        return TsMargins{0, 0, 0, 0};
    return model->ExtBorderMargins;
}

bool TsSkinProvider::ExtendedBordersAllowed() const {
    TsSkinManager* manager = SkinManager();
    return manager != nullptr && manager->ExtendedBorders() && AllowExtBorders;
}

void TsSkinProvider::SetExtendedBorders(bool enable) {
    const bool wanted = enable && Skinned() && ExtendedBordersAllowed() && drawNonClientArea_ &&
                        form_.HandleAllocated() && IsBordered() && form_.Parent() == nullptr && !IsMinimized();
    if (wanted == (borderForm_ != nullptr)) {
        if (borderForm_)
            borderForm_->UpdateBorderWindow(false);
        return;
    }
    if (wanted)
        borderForm_ = std::make_unique<TacBorderForm>(*this);
    else
        borderForm_.reset();
    // Metrics, cache size and region all change with the border window.
    skinData_->CacheStale = true;
    regionStale_ = true;
    if (form_.HandleAllocated() && ::IsWindowVisible(form_.Handle()))
        RepaintFrameNow();
}

void TsSkinProvider::UpdateBorder(bool repaint) {
    if (borderForm_)
        borderForm_->UpdateBorderWindow(repaint);
}

namespace {

// The nine-slice of a ring image over a w x h area, asked pixel by pixel: corners
// unscaled, sides and centre stretched or tiled.
struct TRingImage {
    const TacPixmap& Image;
    int Left, Top, Right, Bottom; // source border widths
    int Width, Height;            // the area
    bool Stretch;
    bool Premultiply;

    static int SourceAt(int at, int size, int first, int last, int imageSize, bool stretch) {
        if (at < first)
            return at;
        if (at >= size - last)
            return imageSize - (size - at);
        const int middle = imageSize - first - last, span = size - first - last;
        if (middle <= 0 || span <= 0)
            return std::clamp(first, 0, imageSize - 1);
        const int offset = at - first;
        return first + (stretch ? static_cast<int>(static_cast<long long>(offset) * middle / span) : offset % middle);
    }
    TPixel32 At(int x, int y) const {
        const int sx = SourceAt(x, Width, Left, Right, Image.Width(), Stretch);
        const int sy = SourceAt(y, Height, Top, Bottom, Image.Height(), Stretch);
        if (sx < 0 || sy < 0 || sx >= Image.Width() || sy >= Image.Height())
            return 0;
        const TPixel32 p = Image.At(sx, sy);
        if (!Premultiply)
            return p;
        const unsigned a = p >> 24;
        auto channel = [&](int shift) { return (((p >> shift) & 0xFFu) * a + 127) / 255; };
        return (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
    }
};

} // namespace

// The shadow (or the skin's border image) as a nine-slice ring in the margins around
// the visible frame; the frame's clear corners show the ring image through.
void TsSkinProvider::PaintExtendedRing(TBitmap& cache) {
    const TsSkinModel* model = Model();
    if (model == nullptr)
        return;
    const TacPixmap& image = formActive_ != 0 ? model->ExtBorderActive : model->ExtBorderInactive;
    if (image.Empty())
        return;
    const bool builtIn = !model->HasImage(model->StdIndexes.ExBorderImage);
    const int w = cache.Width(), h = cache.Height();
    // Skin images newer than 7.45 come premultiplied; the built-in shadow does not.
    TRingImage ring{image,
                    (image.Width() - 1) / 2,
                    (image.Height() - 1) / 2,
                    (image.Width() - 1) / 2,
                    (image.Height() - 1) / 2,
                    w,
                    h,
                    true,
                    builtIn || model->SkinGlobals.Version <= 7.45};
    if (!builtIn) {
        const TsMaskData& item = model->Masks[static_cast<std::size_t>(model->StdIndexes.ExBorderImage)];
        ring.Left = item.BorderLeft;
        ring.Top = item.BorderTop;
        ring.Right = item.BorderRight;
        ring.Bottom = item.BorderBottom;
        ring.Stretch = item.PaintFlags == 1;
    }
    const TsMargins m = Margins();
    TacPixelsView pixels = cache.Pixels();
    const TacRect inside{m[0], m[1], w - m[2], h - m[3]};
    for (int y = 0; y < h; ++y) {
        const bool rowInside = y >= inside.Top && y < inside.Bottom;
        for (int x = 0; x < w; ++x) {
            if (rowInside && x == inside.Left) {
                x = inside.Right - 1; // the inside is the frame's
                continue;
            }
            pixels.At(x, y) = ring.At(x, y);
        }
    }
    // Rounded frame corners: the key pixels of the corner pieces show the ring image.
    auto mergeCorners = [&](std::int32_t index, bool top, bool bottom, int limit) {
        if (!model->HasImage(index))
            return;
        const TsMaskData& item = model->Masks[static_cast<std::size_t>(index)];
        const TacPixmap* source = item.SourceImage();
        if (source == nullptr)
            return;
        const int fw = FrameWidth(item), fh = FrameHeight(item);
        const int x0 = item.SourceRect.Left, y0 = item.SourceRect.Top;
        const int cl = std::min<int>(limit, item.BorderLeft), cr = std::min<int>(limit, item.BorderRight);
        const int ct = std::min<int>(limit, item.BorderTop), cb = std::min<int>(limit, item.BorderBottom);
        auto merge = [&](int sx0, int sy0, int tx0, int ty0, int cw, int ch) {
            for (int dy = 0; dy < ch; ++dy)
                for (int dx = 0; dx < cw; ++dx) {
                    const int sx = sx0 + dx, sy = sy0 + dy, tx = tx0 + dx, ty = ty0 + dy;
                    if (sx < 0 || sy < 0 || sx >= source->Width() || sy >= source->Height() || tx < 0 || ty < 0 ||
                        tx >= w || ty >= h)
                        continue;
                    if ((source->At(sx, sy) & 0x00FFFFFFu) == 0x00FF00FFu)
                        pixels.At(tx, ty) = ring.At(tx, ty);
                }
        };
        if (top) {
            merge(x0, y0, inside.Left, inside.Top, cl, ct);
            merge(x0 + fw - cr, y0, inside.Right - cr, inside.Top, cr, ct);
        }
        if (bottom) {
            merge(x0, y0 + fh - cb, inside.Left, inside.Bottom - cb, cl, cb);
            merge(x0 + fw - cr, y0 + fh - cb, inside.Right - cr, inside.Bottom - cb, cr, cb);
        }
    };
    const std::int32_t title = TitleSectionIndex();
    const std::int32_t titleMask =
        model->HasSection(title) ? model->GeneralData[static_cast<std::size_t>(title)].BordersMaskIndex : -1;
    const std::int32_t formMask = skinData_->Section() != nullptr ? skinData_->BordersIndex : -1;
    if (model->HasImage(titleMask))
        mergeCorners(titleMask, true, false, 1 << 16);
    else
        mergeCorners(formMask, true, false, 8);
    mergeCorners(formMask, false, true, 1 << 16);
}

// ---- border window ------------------------------------------------------------------------

namespace {

constexpr const char* kBorderWindowClass = "acBorderWindow";

void RegisterBorderWindowClass(WNDPROC procedure) {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kBorderWindowClass;
    registered = ::RegisterClassA(&wc) != 0;
}

} // namespace

TacBorderForm::TacBorderForm(TsSkinProvider& owner) : owner_(owner) {
    CreateBorderWindow();
}

TacBorderForm::~TacBorderForm() {
    // The popups of the title-button animations lie over this window's frame.
    owner_.StopButtonAnimations();
    if (window_ != nullptr) {
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }
}

void TacBorderForm::CreateBorderWindow() {
    RegisterBorderWindowClass(&TacBorderForm::WindowProcedure);
    HWND form = owner_.Form().Handle();
    window_ = ::CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW, kBorderWindowClass, "", WS_POPUP,
                                0, 0, 0, 0, form, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (window_ != nullptr)
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

POINT TacBorderForm::Offset() const {
    const int b = owner_.FrameBorderWidth(true), w = owner_.FrameBorderWidth(false);
    const int t = owner_.CaptionHeight(true), c = owner_.CaptionHeight(false);
    const TsMargins m = owner_.Margins();
    return POINT{-(b + m[0] - w), -(m[1] + t - w - c)};
}

HRGN TacBorderForm::BorderWindowRegion() const {
    TBitmap* cache = owner_.FrameCache();
    if (cache == nullptr)
        return nullptr;
    HRGN region = ::CreateRectRgn(0, 0, cache->Width(), cache->Height());
    const int x = owner_.ClientOffsetX(), y = owner_.ClientOffsetY();
    HRGN client = ::CreateRectRgn(x, y, x + owner_.Form().ClientWidth(), y + owner_.Form().ClientHeight());
    ::CombineRgn(region, region, client, RGN_XOR);
    ::DeleteObject(client);
    return region;
}

void TacBorderForm::ApplyRegion() {
    HRGN region = BorderWindowRegion();
    if (region != nullptr && ::SetWindowRgn(window_, region, FALSE) == 0)
        ::DeleteObject(region);
    punched_ = false;
}

void TacBorderForm::HideBorderWindow() {
    if (window_ != nullptr)
        ::ShowWindow(window_, SW_HIDE);
}

void TacBorderForm::UpdateBorderWindow(bool repaint, BYTE alpha) {
    TCustomForm& form = owner_.Form();
    if (busy_ || window_ == nullptr || !form.HandleAllocated())
        return;
    HWND formWindow = form.Handle();
    RECT bounds{};
    if (!::GetWindowRect(formWindow, &bounds))
        return;
    if (!::IsWindowVisible(formWindow) || ::IsIconic(formWindow)) {
        HideBorderWindow();
        return;
    }
    busy_ = true;
    if (owner_.SkinData().CacheStale)
        repaint = true;
    TBitmap* cache = owner_.PaintFrame() ? owner_.FrameCache() : nullptr;
    if (cache == nullptr) {
        busy_ = false;
        return;
    }
    const POINT offset = Offset();
    POINT position{bounds.left + offset.x, bounds.top + offset.y};
    SIZE size{cache->Width(), cache->Height()};
    if (repaint || size.cx != shownSize_.cx || size.cy != shownSize_.cy)
        PushContent(position, size, alpha);
    // Next to the form in z-order; nothing to do when it is there already (every
    // activation and skin change asks again).
    RECT shown{};
    ::GetWindowRect(window_, &shown);
    const bool placed =
        ::IsWindowVisible(window_) && shown.left == position.x && shown.top == position.y &&
        (::GetWindow(formWindow, GW_HWNDNEXT) == window_ || ::GetWindow(formWindow, GW_HWNDPREV) == window_);
    if (!placed) {
        UINT flags = SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOOWNERZORDER;
        if (!::IsWindowVisible(window_))
            flags |= SWP_SHOWWINDOW;
        ::SetWindowPos(window_, formWindow, position.x, position.y, 0, 0, flags);
    }
    // Asked for while the window moved: the cache is handed over once more.
    if (contentStale_ && window_ != nullptr)
        PushContent(position, size, shownAlpha_);
    busy_ = false;
}

void TacBorderForm::PushContent(POINT position, SIZE size, BYTE alpha) {
    TBitmap* cache = owner_.FrameCache();
    if (cache == nullptr || window_ == nullptr)
        return;
    contentStale_ = false;
    HDC screen = ::GetDC(nullptr);
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    acUpdateLayeredWindow(window_, screen, &position, &size, cache->Canvas().Handle(), &origin, 0, &blend, ULW_ALPHA);
    ::ReleaseDC(nullptr, screen);
    ApplyRegion();
    shownSize_ = size;
    shownAlpha_ = alpha;
}

void TacBorderForm::RefreshContent() {
    if (busy_) {
        contentStale_ = true;
        return;
    }
    UpdateBorderWindow(true, shownAlpha_);
}

// A title-button popup shows at a place on the screen: when the frame moves or goes,
// the popups go and the frame shows the buttons itself.
void TacBorderForm::FollowPlacement() {
    RECT now{};
    const bool shown = ::IsWindowVisible(window_) && ::GetWindowRect(window_, &now);
    const RECT before = placed_;
    placed_ = shown ? now : RECT{};
    if (!shown || !::EqualRect(&now, &before))
        owner_.FreeButtonAnimations();
}

POINT TacBorderForm::ToBorder(LPARAM screenPoint) const {
    POINT p{static_cast<short>(LOWORD(screenPoint)), static_cast<short>(HIWORD(screenPoint))};
    RECT r{};
    ::GetWindowRect(window_, &r);
    return POINT{p.x - r.left, p.y - r.top};
}

bool TacBorderForm::IsOverShadow(POINT p) const {
    const TsSkinModel* model = owner_.Model();
    TBitmap* cache = owner_.FrameCache();
    if (model == nullptr || cache == nullptr || owner_.IsMaximized())
        return false;
    const TsMargins m = owner_.Margins();
    const int align = model->SkinGlobals.AlignOffset;
    return p.x < m[0] - align || p.y < m[1] - align || p.x >= cache->Width() + align - m[2] ||
           p.y >= cache->Height() + align - m[3];
}

int TacBorderForm::BorderWindowHitTest(POINT p) const {
    if (!owner_.Form().Enabled())
        return -1;
    TsSystemMenu* menu = owner_.SystemMenu();
    for (int code : {HTCLOSE, HTMAXBUTTON, HTMINBUTTON, HTHELP}) {
        const TitleButtonRecord& button = owner_.Button(code);
        if (!button.Placed() || !Inside(button.Rect, p))
            continue;
        if (code == HTCLOSE)
            return menu != nullptr && menu->VisibleClose() ? HTCLOSE : 0;
        if (code == HTMAXBUTTON)
            return menu != nullptr && !menu->EnabledMax() && (!menu->EnabledRestore() || owner_.IsMinimized())
                       ? HTCAPTION
                       : HTMAXBUTTON;
        if (code == HTMINBUTTON)
            return menu != nullptr && menu->EnabledMin() ? HTMINBUTTON : HTCAPTION;
        return HTHELP;
    }
    TBitmap* cache = owner_.FrameCache();
    const TsMargins m = owner_.Margins();
    if (cache != nullptr && owner_.IsSizeable() && !owner_.IsMaximized()) {
        const int align = owner_.Model() != nullptr ? owner_.Model()->SkinGlobals.AlignOffset : 0;
        const RECT frame{m[0] - align, m[1] - align, cache->Width() + align - m[2], cache->Height() + align - m[3]};
        const int edge = owner_.FrameBorderWidth(false);
        const bool left = p.x < frame.left + owner_.FrameBorderWidth(true);
        const bool right = p.x >= frame.right - owner_.FrameBorderWidth(true);
        const bool top = p.y < frame.top + 4;
        const bool bottom = p.y >= frame.bottom - edge;
        if (top && left)
            return HTTOPLEFT;
        if (top && right)
            return HTTOPRIGHT;
        if (bottom && left)
            return HTBOTTOMLEFT;
        if (bottom && right)
            return HTBOTTOMRIGHT;
        if (top)
            return HTTOP;
        if (bottom)
            return HTBOTTOM;
        if (left)
            return HTLEFT;
        if (right)
            return HTRIGHT;
    }
    if (p.y >= 0 && p.y < owner_.FrameTopBorder(true) + owner_.CaptionHeight(true) + m[1])
        return Inside(owner_.IconRect(), p) ? HTSYSMENU : HTCAPTION;
    return -1;
}

LRESULT TacBorderForm::ForwardToForm(UINT msg, int code, LPARAM lParam) {
    return ::SendMessageA(owner_.Form().Handle(), msg, static_cast<WPARAM>(code), lParam);
}

LRESULT CALLBACK TacBorderForm::WindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TacBorderForm*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr)
        return ::DefWindowProcA(window, msg, wParam, lParam);
    try {
        return self->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        HandleBoundaryException(std::current_exception());
        return 0;
    }
}

LRESULT TacBorderForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // A hole punched for a click on the shadow lasts until the next mouse message only.
    const bool mouse =
        (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) || (msg >= WM_NCMOUSEMOVE && msg <= WM_NCXBUTTONDBLCLK);
    if (punched_ && mouse)
        ApplyRegion();
    HWND form = owner_.Form().Handle();
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_NCPAINT:
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        ::BeginPaint(window_, &paint);
        ::EndPaint(window_, &paint);
        return 0;
    }
    case WM_MOUSEACTIVATE:
        if (::IsWindowEnabled(form))
            ::SetForegroundWindow(form);
        return MA_NOACTIVATE;
    case WM_WINDOWPOSCHANGED:
        FollowPlacement();
        break;
    case WM_NCHITTEST:
        // Over the shadow the client area answers, so that the hole punching below takes
        // effect; elsewhere the non-client messages come with a code translated here.
        if (IsOverShadow(ToBorder(lParam)))
            return HTCLIENT;
        return HTOBJECT;
    case WM_SETCURSOR:
        ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
        return TRUE;
    case WM_NCMOUSEMOVE: {
        const int code = BorderWindowHitTest(ToBorder(lParam));
        if (IsButtonCode(code)) {
            owner_.SetHoverButton(code);
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, window_, 0};
            ::TrackMouseEvent(&track);
        } else {
            owner_.SetHoverButton(0);
        }
        return 0;
    }
    case WM_NCMOUSELEAVE:
        if (!owner_.buttonPressed_)
            owner_.SetHoverButton(0);
        return 0;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCLBUTTONDBLCLK: {
        const int code = BorderWindowHitTest(ToBorder(lParam));
        if (code < 0 && msg != WM_NCLBUTTONDOWN)
            return 0;
        return ForwardToForm(msg, code < 0 ? HTBORDER : code, lParam);
    }
    default:
        break;
    }
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL) {
        // A click on the shadow falls through to the window below: a one-pixel hole
        // under the cursor until the next mouse message.
        POINT cursor{};
        ::GetCursorPos(&cursor);
        RECT r{};
        ::GetWindowRect(window_, &r);
        HRGN region = BorderWindowRegion();
        if (region != nullptr) {
            HRGN hole =
                ::CreateRectRgn(cursor.x - r.left, cursor.y - r.top, cursor.x - r.left + 1, cursor.y - r.top + 1);
            ::CombineRgn(region, region, hole, RGN_XOR);
            ::DeleteObject(hole);
            if (::SetWindowRgn(window_, region, FALSE) == 0)
                ::DeleteObject(region);
            punched_ = true;
        }
        return 0;
    }
    return ::DefWindowProcA(window_, msg, wParam, lParam);
}

// ---- input ------------------------------------------------------------------------------

int TsSkinProvider::NonClientHitTest(POINT screen) {
    const POINT p = ToWindow(screen);
    if (skinData_->CacheStale)
        PaintFrame();
    for (int slot : {kClose, kMaximize, kMinimize, kHelp}) {
        const TitleButtonRecord& button = buttons_[static_cast<std::size_t>(slot)];
        if (!button.Placed() || !Inside(button.Rect, p))
            continue;
        switch (button.HitCode) {
        case HTCLOSE:
            return systemMenu_ != nullptr && systemMenu_->VisibleClose() ? HTCLOSE : HTCAPTION;
        case HTMAXBUTTON:
            if (systemMenu_ != nullptr && !systemMenu_->EnabledMax() &&
                (!systemMenu_->EnabledRestore() || IsMinimized()))
                return HTCAPTION;
            return HTMAXBUTTON;
        case HTMINBUTTON:
            return systemMenu_ != nullptr && systemMenu_->EnabledMin() ? HTMINBUTTON : HTCAPTION;
        default:
            return HTHELP;
        }
    }
    const int band = SystemCaptionHeight() + FrameTopBorder(true);
    if (p.y >= FrameTopBorder(true) && p.y <= band && Inside(iconRect_, p))
        return HTSYSMENU;
    return HTNOWHERE; // the system answers everything else from its own frame
}

void TsSkinProvider::ShowSystemMenuAt(int x, int y) {
    if (systemMenu_ == nullptr || !form_.HandleAllocated())
        return;
    systemMenu_->UpdateItems(systemMenu_->ExtraCount() > 0);
    if (MakeSkinMenu)
        systemMenu_->MakeSkinItems();
    if (TsSkinManager* manager = SkinManager()) {
        if (auto* menus = dynamic_cast<TsSkinableMenus*>(manager->SkinableMenus()))
            menus->HookPopupMenu(systemMenu_, Skinned() && manager->SkinnedPopups());
    }
    systemMenu_->SetPopupComponent(&form_);
    systemMenu_->Popup(x, y);
}

bool TsSkinProvider::HandleNonClientMouse(TMessage& message, const TWndNext& next) {
    const POINT screen{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
    const int code = static_cast<int>(message.WParam);
    switch (message.Msg) {
    case WM_NCMOUSEMOVE:
        if (IsButtonCode(code) && Button(code).Placed()) {
            SetHoverButton(code);
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, form_.Handle(), 0};
            ::TrackMouseEvent(&track);
        } else if (!buttonPressed_) {
            SetHoverButton(0);
        }
        return false;
    case WM_NCLBUTTONDOWN:
        if (IsButtonCode(code)) {
            PressButton(code);
            // The release may come anywhere: the capture brings it here.
            ::SetCapture(form_.Handle());
            capturing_ = true;
            message.Result = 0;
            return true;
        }
        if (code == HTSYSMENU) {
            hoverCode_ = 0;
            const POINT origin = WindowOrigin();
            ShowSystemMenuAt(origin.x, origin.y + FrameTopBorder(true) + CaptionHeight(true));
            message.Result = 0;
            return true;
        }
        return false;
    case WM_NCLBUTTONUP:
        if (buttonPressed_) {
            ReleaseButton(code, screen);
            message.Result = 0;
            return true;
        }
        if (IsButtonCode(code)) {
            ResetButtons();
            message.Result = 0;
            return true;
        }
        return false;
    case WM_NCLBUTTONDBLCLK:
        if (code == HTSYSMENU) {
            ::PostMessageA(form_.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
            message.Result = 0;
            return true;
        }
        if (code == HTCAPTION) {
            if (IsMinimized())
                ::SendMessageA(form_.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
            else if (hasSysButtons_ && systemMenu_ != nullptr &&
                     (systemMenu_->EnabledMax() || systemMenu_->EnabledRestore()))
                ::SendMessageA(form_.Handle(), WM_SYSCOMMAND, IsMaximized() ? SC_RESTORE : SC_MAXIMIZE, 0);
            message.Result = 0;
            return true;
        }
        if (IsButtonCode(code)) {
            message.Result = 0;
            return true;
        }
        return false;
    case WM_NCRBUTTONDOWN:
        if (code == HTCAPTION || code == HTSYSMENU) {
            message.Result = 0;
            return true;
        }
        return false;
    case WM_NCRBUTTONUP:
        if (code == HTCAPTION || code == HTSYSMENU) {
            ShowSystemMenuAt(screen.x, screen.y);
            message.Result = 0;
            return true;
        }
        return false;
    default:
        (void)next;
        return false;
    }
}

// ---- messages -------------------------------------------------------------------------

void TsSkinProvider::DefaultWithoutRedraw(TMessage& message, const TWndNext& next) {
    // The default processing paints a system caption; the window is not drawn meanwhile.
    HWND window = form_.Handle();
    const LONG style = ::GetWindowLongA(window, GWL_STYLE);
    const bool visible = (style & WS_VISIBLE) != 0;
    if (visible)
        ::SetWindowLongA(window, GWL_STYLE, style & ~WS_VISIBLE);
    next(message);
    if (visible)
        ::SetWindowLongA(window, GWL_STYLE, ::GetWindowLongA(window, GWL_STYLE) | WS_VISIBLE);
}

// The work area of the form's monitor; the whole monitor for a stay-on-top form.
RECT TsSkinProvider::ScreenArea() const {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = ::MonitorFromWindow(form_.Handle(), MONITOR_DEFAULTTONEAREST);
    if (!::GetMonitorInfoA(monitor, &info))
        return RECT{};
    return form_.FormStyle() == TFormStyle::fsStayOnTop ? info.rcMonitor : info.rcWork;
}

TMaximizedPlacement MaximizedPlacement(const RECT& area, int frameWidth, int growth) {
    TMaximizedPlacement placement;
    placement.Position = POINT{-frameWidth, growth - frameWidth};
    placement.Size = SIZE{area.right - area.left + 2 * frameWidth, area.bottom - area.top + 2 * frameWidth - growth};
    return placement;
}

void TsSkinProvider::ApplyMaximizedGeometry(MINMAXINFO& info) {
    const RECT area = ScreenArea();
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    // The taller maximised title only counts where the skin draws its own title.
    const int growth = ExtendedBordersAllowed() ? TitleGrowth() : 0;
    const TMaximizedPlacement placement = MaximizedPlacement(area, FrameBorderWidth(false), growth);
    info.ptMaxPosition = placement.Position;
    info.ptMaxSize = POINT{placement.Size.cx, placement.Size.cy};
}

void TsSkinProvider::Snap(WINDOWPOS& position) {
    if (!ScreenSnap || !::IsWindowVisible(form_.Handle()) || IsMaximized() || (position.flags & SWP_NOMOVE) != 0 ||
        (position.x == 0 && position.y == 0))
        return;
    const RECT area = ScreenArea();
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    SIZE size{position.cx, position.cy};
    if ((position.flags & SWP_NOSIZE) != 0)
        size = WindowSize();
    // With a border window the visible frame reaches beyond the window by the skin's
    // wider border and taller title; the shadow beyond ALIGNOFFSET may leave the screen.
    int m = 0, n = 0;
    if (borderForm_ && Model() != nullptr) {
        const int align = Model()->SkinGlobals.AlignOffset;
        m = FrameBorderWidth(true) - FrameBorderWidth(false) + align;
        n = CaptionHeight(true) - CaptionHeight(false) - FrameBorderWidth(false) + align;
    }
    const POINT snapped = SnapToArea(POINT{position.x, position.y}, size, area, SnapBuffer, m, n);
    position.x = snapped.x;
    position.y = snapped.y;
}

void TsSkinProvider::AdaptLaterChild(const TMessage& message) {
    if (!adapter_ || !Skinned() || LOWORD(message.WParam) != WM_CREATE)
        return;
    TWinControl* child = TWinControl::FindControl(reinterpret_cast<HWND>(message.LParam));
    if (child != nullptr && adapter_->IsControlSupported(*child) && child->ClassName() != TLabel::StaticClassName)
        adapter_->AddNewItem(*child);
}

void TsSkinProvider::HandleNewSkin() {
    ClearMenuBackgrounds();
    for (auto& animation : animations_)
        animation.reset();
    ClearAllGlows();
    titleSectionIndex_ = -1;
    hoverCode_ = 0;
    buttonPressed_ = false;
    for (auto& button : buttons_)
        button.State = 0;
    skinData_->ResolveSection();
    if (!prepared_)
        PrepareForm();
    else {
        captionSectionIndex_ = Model() != nullptr ? Model()->SectionIndexOf("CAPTION") : -1;
        SelectButtonImages();
        if (form_.HandleAllocated()) {
            const LONG style = ::GetWindowLongA(form_.Handle(), GWL_STYLE);
            if (drawNonClientArea_ && (style & WS_SYSMENU) != 0) {
                ::SetWindowLongA(form_.Handle(), GWL_STYLE, style & ~WS_SYSMENU);
                hasSysButtons_ = true;
            }
        }
        RecolorForm();
    }
    skinData_->CacheStale = true;
    regionStale_ = true;
    if (adapter_)
        adapter_->AddAllItems(form_);
}

void TsSkinProvider::HandleRefresh() {
    skinData_->CacheStale = true;
    regionStale_ = true;
    if (form_.HandleAllocated() && ::IsWindowVisible(form_.Handle()))
        SetExtendedBorders(true);
    RecolorForm();
    if (adapter_)
        adapter_->AddAllItems(form_);
    if (form_.HandleAllocated())
        ::RedrawWindow(form_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TsSkinProvider::HandleRemoveSkin() {
    titleSectionIndex_ = -1;
    captionSectionIndex_ = -1;
    if (adapter_)
        adapter_->RestoreLabels();
    if (form_.HandleAllocated()) {
        HWND window = form_.Handle();
        if (hasSysButtons_)
            ::SetWindowLongA(window, GWL_STYLE, ::GetWindowLongA(window, GWL_STYLE) | WS_SYSMENU);
        const LRESULT icon = ::SendMessageA(window, WM_GETICON, ICON_SMALL, 0);
        ::SendMessageA(window, WM_SETICON, ICON_SMALL, icon);
        ::SetWindowRgn(window, nullptr, TRUE);
    }
    hasSysButtons_ = false;
    prepared_ = false;
    borderForm_.reset();
    skinData_->EmptyCache();
    skinData_->CacheStale = true;
    if (UseGlobalColor)
        form_.SetColor(clBtnFace);
    if (form_.HandleAllocated())
        ::SetWindowPos(form_.Handle(), nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool TsSkinProvider::HandleSkinCommand(TMessage& message, const TWndNext& next) {
    const WORD code = SkinCommandCode(message.WParam);
    const bool mine = reinterpret_cast<TsSkinManager*>(message.LParam) == SkinManager();
    switch (code) {
    case scQueryProvider:
        message.Result = reinterpret_cast<LRESULT>(this);
        return true;
    case scIsSkinned:
        message.Result = Skinned() ? 1 : 0;
        return true;
    case scQueryBackdrop:
        if (Skinned() && message.LParam != 0) {
            auto& query = *reinterpret_cast<TBackdropQuery*>(message.LParam);
            if (PaintFrame()) {
                query.Kind = bqBitmap;
                query.Bitmap = FrameCache();
                query.OffsetX = ClientOffsetX();
                query.OffsetY = ClientOffsetY();
            } else {
                query.Kind = bqColor;
                query.Color = FaceColor();
            }
            return true;
        }
        return false;
    case scQueryColor:
        if (Skinned()) {
            message.Result = static_cast<LRESULT>(FaceColor());
            return true;
        }
        return false;
    case scQueryApplication:
        message.Result = reinterpret_cast<LRESULT>(Application);
        return true;
    case scQueryClientOffset:
        message.Result = MAKELONG(ClientOffsetX(), ClientOffsetY());
        return true;
    case scAdaptControl:
        if (adapter_ && Skinned()) {
            if (auto* control = reinterpret_cast<TWinControl*>(message.LParam))
                adapter_->AddNewItem(*control);
            else
                adapter_->AddAllItems(form_);
        }
        return true;
    case scInvalidateCache:
        skinData_->CacheStale = true;
        return true;
    case scHotLeave:
        ResetButtons();
        return true;
    case scRedrawOff:
        ::SendMessageA(form_.Handle(), WM_SETREDRAW, FALSE, 0);
        return true;
    case scRedrawOn:
        ::SendMessageA(form_.Handle(), WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(form_.Handle(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return true;
    case scRepaintNonClient:
        RepaintFrameNow();
        return true;
    case scNewSkin:
        if (!mine)
            return false;
        skinData_->HandleCommonMessage(message);
        HandleNewSkin(); // the manager announces to the controls itself
        return true;
    case scRefresh:
        if (!mine)
            return false;
        skinData_->HandleCommonMessage(message);
        HandleRefresh();
        return true;
    case scRemoveSkin:
        if (!mine)
            return false;
        skinData_->HandleCommonMessage(message);
        HandleRemoveSkin();
        return true;
    default:
        (void)next;
        return skinData_->HandleCommonMessage(message);
    }
}

void TsSkinProvider::WindowProc(TMessage& message, const TWndNext& next) {
    if (message.Msg == SkinCommandMessage) {
        if (!HandleSkinCommand(message, next))
            next(message);
        return;
    }
    if (!prepared_ && form_.HandleAllocated() &&
        (message.Msg == WM_NCPAINT || message.Msg == WM_NCACTIVATE || message.Msg == WM_SHOWWINDOW ||
         message.Msg == WM_CREATE))
        PrepareForm();
    else if (message.Msg == WM_SHOWWINDOW && message.WParam != 0 && adapter_ && Skinned())
        adapter_->AddAllItems(form_);
    if (!Skinned() || !drawNonClientArea_) {
        next(message);
        if (message.Msg == WM_PARENTNOTIFY)
            AdaptLaterChild(message);
        return;
    }
    switch (message.Msg) {
    case WM_NCPAINT:
        PaintNonClient(nullptr);
        message.Result = 0;
        return;
    case WM_NCACTIVATE: {
        const int active = message.WParam != 0 ? 1 : 0;
        if (active != formActive_) {
            formActive_ = active;
            skinData_->CacheStale = true;
        }
        DefaultWithoutRedraw(message, next);
        RepaintFrameNow();
        message.Result = TRUE;
        return;
    }
    case WM_SETTEXT:
    case WM_SETICON:
        DefaultWithoutRedraw(message, next);
        skinData_->CacheStale = true;
        RepaintFrameNow();
        return;
    case WM_NCHITTEST: {
        const POINT screen{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
        const int code = NonClientHitTest(screen);
        if (code != HTNOWHERE) {
            message.Result = code;
            return;
        }
        next(message);
        return;
    }
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
        if (!HandleNonClientMouse(message, next))
            next(message);
        return;
    case WM_MOUSEMOVE:
        if (capturing_ && buttonPressed_) {
            POINT screen{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
            ::ClientToScreen(form_.Handle(), &screen);
            TitleButtonRecord* button = ButtonOf(hoverCode_);
            if (button != nullptr) {
                const int state = Inside(button->Rect, ToWindow(screen)) ? 2 : 0;
                if (state != button->State) {
                    button->State = state;
                    RepaintTitleButton(hoverCode_);
                }
            }
            message.Result = 0;
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (capturing_) {
            POINT screen{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
            ::ClientToScreen(form_.Handle(), &screen);
            const int code =
                static_cast<int>(::SendMessageA(form_.Handle(), WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)));
            ReleaseButton(code, screen);
            message.Result = 0;
            return;
        }
        break;
    case WM_CAPTURECHANGED:
        if (capturing_ && reinterpret_cast<HWND>(message.LParam) != form_.Handle()) {
            capturing_ = false;
            ResetButtons();
        }
        break;
    case WM_NCMOUSELEAVE:
    case WM_MOUSELEAVE:
        if (!buttonPressed_)
            SetHoverButton(0);
        break;
    case WM_SYSCOMMAND:
        if ((message.WParam & 0xFFF0) == SC_MINIMIZE) {
            StopButtonAnimations();
            HideButtonGlows();
            SetExtendedBorders(false);
            break;
        }
        if ((message.WParam & 0xFFF0) == SC_RESTORE) {
            next(message);
            if (!IsMinimized())
                SetExtendedBorders(true);
            return;
        }
        if ((message.WParam & 0xFFF0) == SC_KEYMENU && message.LParam == ' ') {
            const POINT origin = WindowOrigin();
            ShowSystemMenuAt(origin.x + iconRect_.left,
                             origin.y + FrameTopBorder(true) + CaptionHeight(true) - (IsMinimized() ? 16 : 0));
            message.Result = 0;
            return;
        }
        break;
    case 0x0313: { // WM_POPUPSYSTEMMENU
        POINT cursor{};
        ::GetCursorPos(&cursor);
        ShowSystemMenuAt(cursor.x, cursor.y);
        message.Result = 0;
        return;
    }
    case WM_ERASEBKGND:
        if (message.WParam != 0) {
            skinData_->InUpdate = false;
            PaintClientBackground(reinterpret_cast<HDC>(message.WParam), true);
            message.Result = 1;
            return;
        }
        break;
    case WM_WINDOWPOSCHANGING:
        if (message.LParam != 0)
            Snap(*reinterpret_cast<WINDOWPOS*>(message.LParam));
        break;
    case WM_SIZE:
        skinData_->CacheStale = true;
        regionStale_ = true;
        next(message);
        if (message.WParam != SIZE_MINIMIZED)
            RepaintFrameNow();
        return;
    case WM_SHOWWINDOW:
        next(message);
        // The border window lives while the form shows.
        if (message.WParam != 0) {
            SetExtendedBorders(true);
        } else {
            StopButtonAnimations();
            HideButtonGlows();
            SetExtendedBorders(false);
        }
        return;
    case WM_WINDOWPOSCHANGED:
        next(message);
        if (message.LParam != 0) {
            const auto& position = *reinterpret_cast<const WINDOWPOS*>(message.LParam);
            if ((position.flags & SWP_HIDEWINDOW) != 0)
                SetExtendedBorders(false);
            else if ((position.flags & SWP_SHOWWINDOW) != 0)
                SetExtendedBorders(true);
            else if (borderForm_)
                borderForm_->UpdateBorderWindow(false);
        }
        return;
    case WM_GETMINMAXINFO:
        // Only a maximised form takes the taller maximised title; the normal frame keeps its height.
        titleTallerThanSystem_ = MaximizedTitleHeight() > SystemCaptionHeight() + 4;
        if (message.LParam != 0 && IsBordered() && form_.Parent() == nullptr)
            ApplyMaximizedGeometry(*reinterpret_cast<MINMAXINFO*>(message.LParam));
        break;
    case WM_MOVE:
        // Glows and button popups stay where they were shown.
        ClearAllGlows();
        FreeButtonAnimations();
        break;
    case WM_PARENTNOTIFY:
        next(message);
        AdaptLaterChild(message);
        return;
    default:
        break;
    }
    next(message);
}

// ---- stored form properties ----------------------------------------------------------

namespace {

TsCommonData& ProviderSkinData(TsSkinProvider& provider) {
    return provider.SkinData();
}

} // namespace

void RegisterSkinProviderClasses() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterFormClasses();
    // Skin managers read after this take a menu painter when they are made.
    InstallSkinableMenus();
    // Hovered controls glow through the glow windows of this layer.
    SetControlGlowHooks(&ShowControlGlow, &HideControlGlow);
    using P = TsSkinProvider;
    using Ctx = TReadContext;
    using Val = TPropValue;
    RegisterComponentClass<TsSkinProvider>();
    RegisterSkinDataProperties<P>(&ProviderSkinData);
    RegisterProperty<P>("CaptionAlignment", [](P& p, const Val& v, Ctx&) {
        p.CaptionAlignment = AsEnum<TAlignment>(v, {{"taLeftJustify", TAlignment::taLeftJustify},
                                                    {"taRightJustify", TAlignment::taRightJustify},
                                                    {"taCenter", TAlignment::taCenter}});
    });
    RegisterProperty<P>("MakeSkinMenu", [](P& p, const Val& v, Ctx&) { p.MakeSkinMenu = AsBoolean(v); });
    RegisterProperty<P>("ScreenSnap", [](P& p, const Val& v, Ctx&) { p.ScreenSnap = AsBoolean(v); });
    RegisterProperty<P>("SnapBuffer", [](P& p, const Val& v, Ctx&) { p.SnapBuffer = AsInt(v); });
    RegisterProperty<P>("ShowAppIcon", [](P& p, const Val& v, Ctx&) { p.ShowAppIcon = AsBoolean(v); });
    RegisterProperty<P>("UseGlobalColor", [](P& p, const Val& v, Ctx&) { p.UseGlobalColor = AsBoolean(v); });
    RegisterProperty<P>("AllowAnimation", [](P& p, const Val& v, Ctx&) { p.AllowAnimation = AsBoolean(v); });
    RegisterProperty<P>("AllowExtBorders", [](P& p, const Val& v, Ctx&) { p.AllowExtBorders = AsBoolean(v); });
    RegisterProperty<P>("AllowBlendOnMoving", [](P& p, const Val& v, Ctx&) { p.AllowBlendOnMoving = AsBoolean(v); });
    RegisterProperty<P>("DrawNonClientArea", [](P& p, const Val& v, Ctx&) { p.SetDrawNonClientArea(AsBoolean(v)); });
    RegisterProperty<P>("TitleSkin", [](P& p, const Val& v, Ctx&) { p.TitleSkin = AsString(v); });
    RegisterProperty<P>("MenuLineSkin", [](P& p, const Val& v, Ctx&) { p.MenuLineSkin = AsString(v); });
    RegisterProperty<P>("GripMode", [](P& p, const Val& v, Ctx&) {
        p.GripMode =
            AsEnum<TsGripMode>(v, {{"gmNone", TsGripMode::gmNone}, {"gmRightBottom", TsGripMode::gmRightBottom}});
    });
    RegisterProperty<P>("AddedTitle.Text", [](P& p, const Val& v, Ctx&) { p.AddedTitleText = AsString(v); });
    RegisterProperty<P>("AddedTitle.Font.Name",
                        [](P& p, const Val& v, Ctx&) { p.AddedTitleFont.SetName(AsString(v)); });
    RegisterProperty<P>("AddedTitle.Font.Height",
                        [](P& p, const Val& v, Ctx&) { p.AddedTitleFont.SetHeight(AsInt(v)); });
    RegisterProperty<P>("AddedTitle.Font.Color",
                        [](P& p, const Val& v, Ctx&) { p.AddedTitleFont.SetColor(static_cast<TColor>(AsColor(v))); });
    RegisterProperty<P>("AddedTitle.Font.Charset", [](P&, const Val&, Ctx&) {});
    RegisterProperty<P>("AddedTitle.Font.Style", [](P&, const Val&, Ctx&) {});
    RegisterProperty<P>("TitleButtons", [](P&, const Val&, Ctx&) {}); // the program's forms have none
}

} // namespace sj
