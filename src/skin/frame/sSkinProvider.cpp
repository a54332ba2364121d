// The form skin provider: construction, metrics and the properties stored with a form.
#include "skin/frame/sSkinProvider.h"

#include "skin/frame/sSkinProviderInternal.h"

#include <sstream>

namespace sj {

using namespace provider_detail;

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
    titleButtons_ = std::make_unique<TsTitleButtons>(*this);
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
    NotePreviewRequest();
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
    ForgetPreviewForm();
    // A flight or a drag on its way ends with the provider.
    minTimer_.reset();
    moveTimer_.reset();
    StopButtonAnimations();
    HideButtonGlows();
    userAnimations_.clear();
    for (int i = 0; i < titleButtons_->Count(); ++i)
        titleButtons_->Items(i).HideHint();
    UnregisterHookedForm(&form_);
    StopIconicPreviews();
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
    ForgetMenuLines();
    HookFormMenu();
    prepared_ = true;
    if (!form_.HasState(csLoading) && ::IsWindowVisible(window))
        SetExtendedBorders(true);
    // Controls take the skin before the window first shows them.
    if (!adapter_) {
        adapter_ = std::make_unique<TacCtrlAdapter>(manager);
        adapter_->OnSkinItem = [this](TComponent* item, bool& canBeAdded, std::string& section) {
            if (OnSkinItem)
                OnSkinItem(item, canBeAdded, section);
        };
    }
    adapter_->AddAllItems(form_);
}

void TsSkinProvider::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove || !skinData_->ManagerRemoved(component))
        return;
    // Everything made for that manager goes with it; the next paint prepares the form
    // for the manager now in charge, if any.
    FreeButtonAnimations();
    borderForm_.reset();
    adapter_.reset();
    prepared_ = false;
    ForgetMenuLines();
    if (form_.HandleAllocated() && !form_.HasState(csDestroying))
        ::RedrawWindow(form_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
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

POINT TsSkinProvider::CacheToScreen(POINT cache) const {
    const POINT origin = ToWindow(POINT{0, 0});
    return POINT{cache.x - origin.x, cache.y - origin.y};
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

bool TsSkinProvider::IsDialogStyle() const {
    return form_.BorderStyle() == TFormBorderStyle::bsDialog;
}

bool TsSkinProvider::IsTopmost() const {
    if (form_.FormStyle() == TFormStyle::fsStayOnTop)
        return true;
    return form_.HandleAllocated() && (::GetWindowLongA(form_.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

bool TsSkinProvider::Minimizing() const {
    return minTimer_ && minTimer_->Phase() == TacMinTimer::TPhase::Minimizing;
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
        return CaptionHeight(true) + MenuBandHeight() + Margins()[1];
    const LONG style = ::GetWindowLongA(form_.Handle(), GWL_STYLE);
    const int bottom = (style & WS_BORDER) != 0 ? ClientOffsetX() : 0;
    return WindowSize().cy - form_.ClientHeight() - bottom;
}

const TitleButtonRecord& TsSkinProvider::Button(int hitCode) const {
    static const TitleButtonRecord none;
    const int slot = ButtonSlot(hitCode);
    if (slot >= 0)
        return buttons_[static_cast<std::size_t>(slot)];
    const TsTitleButton* user = UserButton(hitCode);
    return user != nullptr ? user->Record() : none;
}

TitleButtonRecord* TsSkinProvider::ButtonOf(int code) {
    const int slot = ButtonSlot(code);
    if (slot >= 0)
        return &buttons_[static_cast<std::size_t>(slot)];
    TsTitleButton* user = UserButton(code);
    return user != nullptr ? &user->Record() : nullptr;
}

int TsSkinProvider::SectionState(std::int32_t sectionIndex) const {
    const TsSkinModel* model = Model();
    if (model == nullptr || !model->HasSection(sectionIndex))
        return 0;
    return std::min(formActive_, std::max(0, model->GeneralData[static_cast<std::size_t>(sectionIndex)].States - 1));
}

std::int32_t TsSkinProvider::TitleSectionIndex() {
    if (titleSectionIndex_ < 0 && Model() != nullptr)
        titleSectionIndex_ = Model()->SectionIndexOf(titleSkin_.empty() ? "FORMTITLE" : titleSkin_);
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
    // Skin changes cross-fade the forms.
    InstallSkinChangeAnimation();
    InstallMinimizeAnimation();
    using P = TsSkinProvider;
    using Ctx = TReadContext;
    using Val = TPropValue;
    RegisterComponentClass<TsSkinProvider>();
    RegisterSkinDataProperties<P>(&ProviderSkinData);
    RegisterProperty<P>("CaptionAlignment", [](P& p, const Val& v, Ctx&) {
        p.SetCaptionAlignment(AsEnum<TAlignment>(v, {{"taLeftJustify", TAlignment::taLeftJustify},
                                                     {"taRightJustify", TAlignment::taRightJustify},
                                                     {"taCenter", TAlignment::taCenter}}));
    });
    RegisterProperty<P>("MakeSkinMenu", [](P& p, const Val& v, Ctx&) { p.MakeSkinMenu = AsBoolean(v); });
    RegisterProperty<P>("ScreenSnap", [](P& p, const Val& v, Ctx&) { p.ScreenSnap = AsBoolean(v); });
    RegisterProperty<P>("SnapBuffer", [](P& p, const Val& v, Ctx&) { p.SnapBuffer = AsInt(v); });
    RegisterProperty<P>("ShowAppIcon", [](P& p, const Val& v, Ctx&) { p.SetShowAppIcon(AsBoolean(v)); });
    RegisterProperty<P>("UseGlobalColor", [](P& p, const Val& v, Ctx&) { p.UseGlobalColor = AsBoolean(v); });
    RegisterProperty<P>("AllowAnimation", [](P& p, const Val& v, Ctx&) { p.AllowAnimation = AsBoolean(v); });
    RegisterProperty<P>("AllowExtBorders", [](P& p, const Val& v, Ctx&) { p.SetAllowExtBorders(AsBoolean(v)); });
    RegisterProperty<P>("AllowBlendOnMoving", [](P& p, const Val& v, Ctx&) { p.AllowBlendOnMoving = AsBoolean(v); });
    RegisterProperty<P>("DrawNonClientArea", [](P& p, const Val& v, Ctx&) { p.SetDrawNonClientArea(AsBoolean(v)); });
    RegisterProperty<P>("TitleSkin", [](P& p, const Val& v, Ctx&) { p.SetTitleSkin(AsString(v)); });
    RegisterProperty<P>("MenuLineSkin", [](P& p, const Val& v, Ctx&) { p.SetMenuLineSkin(AsString(v)); });
    RegisterProperty<P>("GripMode", [](P& p, const Val& v, Ctx&) {
        p.SetGripMode(
            AsEnum<TsGripMode>(v, {{"gmNone", TsGripMode::gmNone}, {"gmRightBottom", TsGripMode::gmRightBottom}}));
    });
    RegisterProperty<P>("ResizeMode", [](P& p, const Val& v, Ctx&) {
        p.ResizeMode = AsEnum<TsResizeMode>(
            v, {{"rmStandard", TsResizeMode::rmStandard}, {"rmBorder", TsResizeMode::rmBorder}});
    });
    RegisterProperty<P>("AddedTitle.Text", [](P& p, const Val& v, Ctx&) { p.SetAddedTitleText(AsString(v)); });
    RegisterProperty<P>("AddedTitle.ShowMainCaption",
                        [](P& p, const Val& v, Ctx&) { p.SetAddedTitleShowMainCaption(AsBoolean(v)); });
    RegisterProperty<P>("AddedTitle.Font.Name",
                        [](P& p, const Val& v, Ctx&) { p.AddedTitleFont.SetName(AsString(v)); });
    RegisterProperty<P>("AddedTitle.Font.Height",
                        [](P& p, const Val& v, Ctx&) { p.AddedTitleFont.SetHeight(AsInt(v)); });
    RegisterProperty<P>("AddedTitle.Font.Color",
                        [](P& p, const Val& v, Ctx&) { p.AddedTitleFont.SetColor(static_cast<TColor>(AsColor(v))); });
    RegisterProperty<P>("AddedTitle.Font.Charset", [](P&, const Val&, Ctx&) {});
    RegisterProperty<P>("AddedTitle.Font.Style", [](P&, const Val&, Ctx&) {});
    RegisterProperty<P>("TitleIcon.Visible", [](P& p, const Val& v, Ctx&) { p.TitleIcon().Visible = AsBoolean(v); });
    RegisterProperty<P>("TitleIcon.Width", [](P& p, const Val& v, Ctx&) { p.TitleIcon().Width = AsInt(v); });
    RegisterProperty<P>("TitleIcon.Height", [](P& p, const Val& v, Ctx&) { p.TitleIcon().Height = AsInt(v); });
    RegisterProperty<P>("TitleIcon.Glyph.Data", [](P& p, const Val& v, Ctx&) {
        const auto& bytes = AsBinary(v);
        std::istringstream stream(std::string(bytes.begin(), bytes.end()));
        p.TitleIcon().Glyph->LoadFromStream(stream);
    });
    RegisterProperty<P>("TitleButtons", [](P& p, const Val& v, Ctx&) {
        if (v.kind != TValueKind::vaCollection)
            throw Exception("TitleButtons: a collection of title buttons is expected");
        for (const auto& item : v.items) {
            TsTitleButton& button = p.TitleButtons().Add();
            for (const TPropEntry& entry : item) {
                if (entry.name == "Name")
                    button.Name = AsString(entry.value);
                else if (entry.name == "Hint")
                    button.Hint = AsString(entry.value);
                else if (entry.name == "Enabled")
                    button.SetEnabled(AsBoolean(entry.value));
                else if (entry.name == "Visible")
                    button.SetVisible(AsBoolean(entry.value));
                else if (entry.name == "UseSkinData")
                    button.SetUseSkinData(AsBoolean(entry.value));
                else if (entry.name == "Glyph.Data") {
                    const auto& bytes = AsBinary(entry.value);
                    std::istringstream stream(std::string(bytes.begin(), bytes.end()));
                    TBitmap glyph;
                    glyph.LoadFromStream(stream);
                    button.SetGlyph(glyph);
                } else
                    throw Exception("TitleButtons: unknown title button property " + entry.name);
            }
        }
    });
}

} // namespace sj
