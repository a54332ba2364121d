#include "skin/paint/sCommonData.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <utility>

#include "forms/Forms.h"
#include "forms/StdCtrls.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sMaskPaint.h"

namespace sj {

namespace {

struct TKindRange {
    int First;
    int Last;
};

bool InRanges(int kind, std::initializer_list<TKindRange> ranges) {
    for (const TKindRange& r : ranges) {
        if (kind >= r.First && kind <= r.Last)
            return true;
    }
    return false;
}

std::string UpperCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

TColor AsRGB(TColor color) {
    return ColorToRGB(color);
}

const TsGenState& NormalProps(const TsGeneralData& section) {
    return section.StateProps[0];
}

// The hot values only when asked for and the section has them.
const TsGenState& PropsForState(const TsGeneralData& section, int state) {
    return state > 0 && section.States > 1 ? section.StateProps[1] : section.StateProps[0];
}

POINT PositionInParent(const TControl& control) {
    return POINT{control.Left(), control.Top()};
}

// Position of a window in its parent's client area.
POINT WindowPositionInParent(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    POINT p{r.left, r.top};
    if (HWND parent = GetParent(window))
        ScreenToClient(parent, &p);
    return p;
}

void FillDCRect(HDC dc, const RECT& rect, TColor color) {
    if (dc == nullptr || rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    HBRUSH brush = CreateSolidBrush(AsRGB(color) & 0x00FFFFFF);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

} // namespace

bool IsEditLikeKind(int kind) {
    return InRanges(kind, {{2, 18}, {41, 41}, {76, 84}, {96, 96}, {131, 140}});
}

bool IsContainerKind(int kind) {
    return InRanges(kind, {{19, 19}, {51, 74}, {110, 110}, {141, 161}});
}

bool IsNoGlowKind(int kind) {
    return InRanges(kind, {{51, 52},
                           {54, 54},
                           {56, 60},
                           {68, 68},
                           {73, 74},
                           {92, 94},
                           {110, 110},
                           {141, 141},
                           {143, 143},
                           {151, 151},
                           {161, 161},
                           {226, 226}});
}

std::string DefaultSectionOfKind(int kind) {
    struct TEntry {
        std::initializer_list<TKindRange> Kinds;
        const char* Section;
    };
    static const TEntry table[] = {
        {{{2, 8}, {10, 10}, {41, 41}, {76, 76}, {78, 78}, {83, 85}, {96, 96}, {131, 131}, {140, 140}, {227, 227}},
         "EDIT"},
        {{{11, 18}, {81, 82}}, "COMBOBOX"},
        {{{19, 19}}, "BAR"},
        {{{20, 20}}, "BARTITLE"},
        {{{32, 33}, {152, 152}}, "CHECKBOX"},
        {{{51, 51}, {59, 59}, {68, 68}, {73, 73}}, "PANEL"},
        {{{52, 52}, {58, 58}}, "PANEL_LOW"},
        {{{53, 54}, {60, 60}}, "TOOLBAR"},
        {{{56, 56}}, "DRAGBAR"},
        {{{57, 57}}, "TABSHEET"},
        {{{74, 74}, {226, 226}}, "GROUPBOX"},
        {{{75, 75}}, "SPLITTER"},
        {{{92, 92}, {95, 95}}, "SPEEDBUTTON"},
        {{{93, 94}}, "BUTTON"},
        {{{98, 98}}, "TOOLBUTTON"},
        {{{141, 141}, {143, 143}}, "PAGECONTROL"},
        {{{151, 151}}, "STATUSBAR"},
        {{{161, 161}}, "GAUGE"},
        {{{165, 165}}, "TRACKBAR"},
    };
    for (const TEntry& e : table) {
        if (InRanges(kind, e.Kinds))
            return e.Section;
    }
    return {};
}

// --- Hover glow ----------------------------------------------------------------------

namespace {

struct TControlGlowHooks {
    TControlGlowShow Show = nullptr;
    TControlGlowHide Hide = nullptr;
};

TControlGlowHooks& GlowHooks() {
    static TControlGlowHooks hooks;
    return hooks;
}

// Containers never glow; speed buttons and buttons (in the set too) see to their own.
bool GlowsOnHover(int kind) {
    return !IsNoGlowKind(kind);
}

} // namespace

void SetControlGlowHooks(TControlGlowShow show, TControlGlowHide hide) {
    GlowHooks() = TControlGlowHooks{show, hide};
}

void TsCommonData::ShowGlow(bool force, HWND window) {
    if (const TControlGlowShow show = GlowHooks().Show)
        show(*this, force, window);
}

void TsCommonData::HideGlow() {
    // Without a shown glow there is nothing to ask the frame layer for.
    if (GlowHandle >= 0) {
        if (const TControlGlowHide hide = GlowHooks().Hide)
            hide(*this);
    }
    GlowHandle = -1;
}

// --- Sending and asking ------------------------------------------------------------

LRESULT SendSkinCommand(TControl* control, WORD code, WORD low, LPARAM lParam) {
    if (control == nullptr)
        return 0;
    if (auto* win = dynamic_cast<TWinControl*>(control); win != nullptr && win->HandleAllocated())
        return SendMessageA(win->HandleIfAllocated(), SkinCommandMessage, SkinCommand(code, low), lParam);
    return control->Perform(SkinCommandMessage, SkinCommand(code, low), lParam);
}

namespace {

// An unskinned parent paints its own background and face into the asker's DC.
void LetParentPaintItself(TBackdropQuery& query, HWND parentWindow) {
    if (parentWindow == nullptr || query.TargetDC == nullptr)
        return;
    HDC dc = query.TargetDC;
    int saved = SaveDC(dc);
    POINT old{};
    OffsetViewportOrgEx(dc, -query.OffsetX, -query.OffsetY, &old);
    RECT area = query.Area;
    OffsetRect(&area, query.OffsetX, query.OffsetY);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    SendMessageA(parentWindow, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageA(parentWindow, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
}

void FillAreaWhenAsked(const TBackdropQuery& query) {
    if (query.PaintNow != 0 && query.Bitmap != nullptr)
        FillDCRect(query.TargetDC, query.Area, query.Color);
}

} // namespace

// Whether an unskinned parent paints itself into the target is decided by the paint the
// query was last used for (its PaintNow before this call), not by the argument: a query
// that is handed up a level keeps the wish of the control that started it.
bool QueryBackdrop(TBackdropQuery& query, TControl* parent, bool paintNow) {
    const bool previousPaintNow = query.PaintNow != 0;
    query.Kind = bqNone;
    query.PaintNow = paintNow ? 1 : 0;
    if (parent == nullptr) {
        query.Kind = bqColor;
        TsSkinManager* manager = PrimaryManager();
        query.Color =
            manager != nullptr && manager->Active() ? static_cast<TColor>(manager->SkinBackColor()) : clBtnFace;
        return false;
    }
    SendSkinCommand(parent, scQueryBackdrop, 0, reinterpret_cast<LPARAM>(&query));
    if (query.Kind != bqNone)
        return true;
    auto* win = dynamic_cast<TWinControl*>(parent);
    if (previousPaintNow && win != nullptr && win->HandleAllocated()) {
        LetParentPaintItself(query, win->HandleIfAllocated());
        return false;
    }
    query.Kind = bqColor;
    LRESULT answer = SendSkinCommand(parent, scQueryColor);
    query.Color = answer != 0 ? static_cast<TColor>(answer) : parent->Color();
    FillAreaWhenAsked(query);
    return false;
}

bool QueryBackdrop(TBackdropQuery& query, HWND parent, bool paintNow) {
    if (TWinControl* control = TWinControl::FindControl(parent))
        return QueryBackdrop(query, control, paintNow);
    const bool previousPaintNow = query.PaintNow != 0;
    query.Kind = bqNone;
    query.PaintNow = paintNow ? 1 : 0;
    if (parent != nullptr)
        SendMessageA(parent, SkinCommandMessage, SkinCommand(scQueryBackdrop), reinterpret_cast<LPARAM>(&query));
    if (query.Kind != bqNone)
        return true;
    if (previousPaintNow) {
        LetParentPaintItself(query, parent);
        return false;
    }
    query.Kind = bqColor;
    TsSkinManager* manager = PrimaryManager();
    query.Color = manager != nullptr && manager->Active() ? static_cast<TColor>(manager->SkinBackColor()) : clBtnFace;
    FillAreaWhenAsked(query);
    return false;
}

TBackdropRef MakeBackdropRef(const TBackdropQuery& query) {
    if (query.Kind == bqBitmap && query.Bitmap != nullptr)
        return BitmapBackdrop(query.Bitmap->Pixels(), query.OffsetX, query.OffsetY);
    TBackdropRef ref = ColorBackdrop(AsRGB(query.Color) & 0x00FFFFFF);
    ref.OffsetX = query.OffsetX;
    ref.OffsetY = query.OffsetY;
    return ref;
}

// --- TsCommonData ----------------------------------------------------------------

TsCommonData::TsCommonData(TComponent* owner, bool createCache)
    : Control(dynamic_cast<TControl*>(owner)), Owner(owner) {
    if (createCache)
        CacheBitmap = std::make_unique<TBitmap>();
}

TsCommonData::~TsCommonData() {
    BordersIndex = SectionIndex = TextureIndex = HotTextureIndex = -1;
    HideGlow();
    CacheBitmap.reset();
    if (Region != nullptr)
        DeleteObject(Region);
    Control = nullptr;
    Owner = nullptr;
    FSkinManager = nullptr;
}

bool TsCommonData::OwnerIs(TComponentStateFlag flag) const {
    return Owner != nullptr && Owner->HasState(flag);
}

TWinControl* TsCommonData::WinControl() const {
    return dynamic_cast<TWinControl*>(Control);
}

HWND TsCommonData::ControlHandle() const {
    TWinControl* win = WinControl();
    return win != nullptr ? win->HandleIfAllocated() : nullptr;
}

TsSkinManager* TsCommonData::SkinManager() const {
    return FSkinManager != nullptr ? FSkinManager : PrimaryManager();
}

const TsSkinModel* TsCommonData::Model() const {
    TsSkinManager* manager = SkinManager();
    return manager != nullptr ? &manager->Model() : nullptr;
}

const TsGeneralData* TsCommonData::Section() const {
    const TsSkinModel* model = Model();
    return model != nullptr && model->HasSection(SectionIndex)
               ? &model->GeneralData[static_cast<std::size_t>(SectionIndex)]
               : nullptr;
}

void TsCommonData::AnnounceSectionChange() {
    if (Control == nullptr || IsProvider())
        return;
    TsSkinManager* manager = SkinManager();
    bool present = manager != nullptr && manager->Active() && SectionIndex >= 0;
    SendSkinCommand(Control, present ? scRefresh : scRemoveSkin, 0, reinterpret_cast<LPARAM>(manager));
}

void TsCommonData::SetSkinManager(TsSkinManager* value) {
    TsSkinManager* named = value == PrimaryManager() ? nullptr : value;
    // The owner hears when a named manager goes, and hands it to ManagerRemoved.
    if (Owner != nullptr && FSkinManager != nullptr && FSkinManager != named)
        Owner->RemoveFreeNotification(FSkinManager);
    FSkinManager = named;
    if (Owner != nullptr && FSkinManager != nullptr)
        Owner->FreeNotification(FSkinManager);
    if (OwnerIs(csLoading))
        return;
    TsSkinManager* manager = SkinManager();
    if (manager != nullptr && manager->Active())
        ResolveSection();
    else
        SectionIndex = -1;
    if (Control != nullptr && Control->Parent() != nullptr && !Control->Parent()->HasState(csDestroying))
        AnnounceSectionChange();
}

bool TsCommonData::ManagerRemoved(const TComponent* component) {
    if (component == nullptr || component != FSkinManager)
        return false;
    // The primary manager, if any, serves from now on.
    FSkinManager = nullptr;
    SectionIndex = -1;
    CacheStale = true;
    return true;
}

// A name set empty stands for "no section wanted" and becomes "UNKNOWN", which no skin
// has; a name never set stays empty so that AfterLoad gives the kind's default.
void TsCommonData::SetSkinSection(const std::string& value) {
    std::string name = value.empty() ? std::string("UNKNOWN") : UpperCase(value);
    if (name == FSkinSection)
        return;
    FSkinSection = std::move(name);
    TsSkinManager* manager = SkinManager();
    if (manager != nullptr && manager->Active())
        ResolveSection();
    else
        SectionIndex = -1;
    if (IsProvider()) {
        CacheStale = true;
        return;
    }
    if (Control != nullptr && !OwnerIs(csLoading) && !OwnerIs(csReading) && !OwnerIs(csDestroying) &&
        Control->Parent() != nullptr) {
        if (!InUpdate)
            AnnounceSectionChange();
        HideGlow();
    }
}

void TsCommonData::SetCustomColor(bool value) {
    FCustomColor = value;
    if (!OwnerIs(csLoading))
        ApplySkinColors(true);
}

void TsCommonData::SetCustomFont(bool value) {
    FCustomFont = value;
    if (!OwnerIs(csLoading))
        ApplySkinColors(true);
}

bool TsCommonData::IsSkinned(bool checkActive) const {
    TsSkinManager* manager = SkinManager();
    if (FSkinSection.empty() || manager == nullptr || manager->HasState(csDestroying) || OwnerIs(csDestroying))
        return false;
    if (!manager->Model().HasSection(SectionIndex))
        return false;
    return !checkActive || manager->Active();
}

bool TsCommonData::IsHot() const {
    if (Control == nullptr || Control->HasState(csDestroying) || !Control->Enabled() || Control->HasState(csDesigning))
        return false;
    if (HasFocus)
        return true;
    HWND handle = ControlHandle();
    if (handle != nullptr && GetFocus() == handle && ControlKind != ckPanel)
        return true;
    return Hovered && !IsContainerKind(ControlKind);
}

bool TsCommonData::FaceIsComplex() const {
    return (StateFlags & sfPlainFace) == 0 || IsHot();
}

bool TsCommonData::RepaintBlocked() const {
    if (SkinManager() == nullptr || OwnerIs(csDesigning))
        return false;
    if ((StateFlags & sfPlainFace) != 0 && !IsHot())
        return InUpdate;
    if (InUpdate)
        return true;
    TControl* parent = nullptr;
    if (IsProvider())
        parent = ProviderForm->Parent();
    else if (Control != nullptr)
        parent = Control->Parent();
    return parent != nullptr && SendSkinCommand(parent, scQueryBusy) != 0;
}

bool TsCommonData::RepaintsWithParent() const {
    if (Control == nullptr || PaintImmediately || !IsSkinned() || !Control->Enabled())
        return true;
    const TsGeneralData* section = Section();
    TWinControl* parent = Control->Parent();
    if (section != nullptr && NormalProps(*section).Transparency > 0 && parent != nullptr && parent->HandleAllocated())
        return SendSkinCommand(parent, scQueryParentDependent) != 0;
    return false;
}

int TsCommonData::BordersWidth() const {
    const TsSkinModel* model = Model();
    if (model == nullptr || !model->HasImage(BordersIndex))
        return 0;
    const TsMaskData& item = model->Masks[static_cast<std::size_t>(BordersIndex)];
    if ((item.PaintFlags & 2) != 0)
        return 0;
    return std::max({int(item.BorderLeft), int(item.BorderTop), int(item.BorderRight), int(item.BorderBottom)});
}

TColor TsCommonData::OwnColor() const {
    if (IsProvider())
        return ProviderForm->Color();
    if (Control != nullptr)
        return Control->Color();
    return clBtnFace;
}

TColor TsCommonData::FaceColor(int state, HWND window) const {
    const TsGeneralData* section = Control != nullptr || IsProvider() ? Section() : nullptr;
    if (section == nullptr || !IsSkinned())
        return OwnColor();
    const TsGenState& props = PropsForState(*section, state);
    TColor c = static_cast<TColor>(props.Color);
    int t = props.Transparency;
    if (t == 0)
        return FCustomColor ? OwnColor() : c;
    TColor parentColor = clBtnFace;
    TControl* ownerControl = IsProvider() ? ProviderForm : Control;
    if (ownerControl != nullptr && ownerControl->Parent() != nullptr)
        parentColor = static_cast<TColor>(SendSkinCommand(ownerControl->Parent(), scQueryColor));
    else if (window != nullptr && GetParent(window) != nullptr)
        parentColor =
            static_cast<TColor>(SendMessageA(GetParent(window), SkinCommandMessage, SkinCommand(scQueryColor), 0));
    if (t >= 100)
        return parentColor;
    return MixColors(AsRGB(parentColor), c, t / 100.0);
}

TsFaceParams TsCommonData::FaceParams() const {
    TsFaceParams p;
    p.SkinIndex = SectionIndex;
    p.SkinSection = FSkinSection;
    p.BordersIndex = BordersIndex;
    p.TextureIndex = TextureIndex;
    p.HotTextureIndex = HotTextureIndex;
    p.CustomColor = FCustomColor ? OwnColor() : clUnknownColor;
    p.HUEOffset = HUEOffset();
    p.Saturation = Saturation();
    return p;
}

// --- Section and face ------------------------------------------------------------

void TsCommonData::ResolveSection() {
    CacheStale = true;
    TsSkinManager* manager = SkinManager();
    SectionIndex = manager != nullptr && manager->Active() ? manager->Model().SectionIndexOf(FSkinSection) : -1;
    ComputeFillKind();
    StateFlags = sfUncomputed;
    const TsGeneralData* section = Section();
    if (section == nullptr) {
        TextureIndex = HotTextureIndex = -1;
        return;
    }
    const TsSkinModel& model = manager->Model();
    BordersIndex = section->BordersMaskIndex;
    TextureIndex = model.TextureIndexOf(SectionIndex, FSkinSection, "PATTERN");
    HotTextureIndex = model.TextureIndexOf(SectionIndex, FSkinSection, "HOTPATTERN");
    UpdatePlainFace(false);
}

void TsCommonData::AssignDefaultSection() {
    if (!FSkinSection.empty()) {
        ResolveSection();
        return;
    }
    std::string section = DefaultSectionOfKind(ControlKind);
    if (section.empty() && Owner != nullptr)
        section = std::string(Owner->ClassName());
    SetSkinSection(section);
}

void TsCommonData::AfterLoad() {
    AssignDefaultSection();
    if (!IsSkinned() || Control == nullptr || Control->Parent() == nullptr || OwnerIs(csLoading))
        return;
    if (auto* win = WinControl()) {
        if (TWinControl* form = TopParent(win); form != nullptr && form != win)
            SendSkinCommand(form, scAdaptControl, 0, reinterpret_cast<LPARAM>(win));
    }
    ApplySkinColors(false);
}

void TsCommonData::ApplySkinColors(bool repaint) {
    if (Control == nullptr || !IsSkinned() || !IsEditLikeKind(ControlKind))
        return;
    if (WinControl() != nullptr && ControlHandle() == nullptr)
        return;
    const TsGeneralData& section = *Section();
    auto adjust = [this](TColor c) { return ChangeColorSaturation(Saturation(), ShiftHue(c, HUEOffset())); };
    if (!FCustomColor) {
        TColor c = adjust(static_cast<TColor>(NormalProps(section).Color));
        if (Control->Color() != c)
            Control->SetColor(c);
    }
    if (!FCustomFont) {
        TColor c = adjust(static_cast<TColor>(NormalProps(section).FontColor));
        if (Control->Font().Color() != c)
            Control->Font().SetColor(c);
    }
    if (repaint)
        RequestRepaint(false);
}

void TsCommonData::ComputeFillKind() {
    FillKind = 0;
    const TsGeneralData* section = Section();
    if (section == nullptr)
        return;
    const TsGenState& props = NormalProps(*section);
    if (props.ImagePercent != 0)
        FillKind |= fkImage;
    if (props.GradientPercent != 0 && !props.GradientSteps.empty()) {
        switch (props.GradientSteps.front().Mode) {
        case 0:
            FillKind |= fkVertGradient;
            break;
        case 1:
            FillKind |= fkHorzGradient;
            break;
        case 2:
            FillKind |= fkTriangleGradient;
            break;
        default:
            break;
        }
    }
}

int TsCommonData::PlainFaceAnswer() const {
    const TsSkinModel* model = Model();
    const TsGeneralData* section = Section();
    if (model == nullptr || section == nullptr)
        return 1;
    if (model->HasImage(BordersIndex)) {
        const TsMaskData& item = model->Masks[static_cast<std::size_t>(BordersIndex)];
        if ((item.PaintFlags & 4) != 0 || item.BorderLeft + item.BorderRight > 30 ||
            item.BorderTop + item.BorderBottom > 30)
            return 0;
    }
    const TsGenState& props = NormalProps(*section);
    if (props.Transparency >= 100) {
        if (model->HasImage(TextureIndex) && model->Masks[static_cast<std::size_t>(TextureIndex)].PaintFlags == 10)
            return 0;
        TControl* ownerControl = IsProvider() ? ProviderForm : Control;
        TWinControl* parent = ownerControl != nullptr ? ownerControl->Parent() : nullptr;
        if (parent == nullptr)
            return 0;
        if (!parent->HandleAllocated())
            return 2;
        return static_cast<int>(SendSkinCommand(parent, scQueryPlainFace) & sfPlainFace);
    }
    if (props.Transparency != 0 || props.ImagePercent != 0 || props.GradientPercent != 0)
        return 0;
    if (IsProvider()) {
        auto* form = dynamic_cast<TCustomForm*>(ProviderForm);
        if (form != nullptr && form->OnPaint)
            return 0;
    }
    return 1;
}

void TsCommonData::UpdatePlainFace(bool children) {
    StateFlags &= static_cast<std::uint16_t>(~sfPlainFace);
    int answer = PlainFaceAnswer();
    if (answer == 2)
        return;
    // The provider's form is the plain parent of an MDI client; our forms have none.
    if (answer & 1)
        StateFlags |= sfPlainFace;
    StateFlags &= static_cast<std::uint16_t>(~sfUncomputed);
    if (!children)
        return;
    if (auto* win = IsProvider() ? ProviderForm : WinControl()) {
        for (int i = 0; i < win->ControlCount(); ++i)
            SendSkinCommand(win->Controls(i), scQueryPlainFace, 0, 1);
    }
}

void TsCommonData::PrepareCacheBitmap() {
    if (!CacheBitmap)
        CacheBitmap = std::make_unique<TBitmap>();
    TControl* c = IsProvider() ? ProviderForm : Control;
    if (c == nullptr)
        return;
    int w = std::max(0, c->Width());
    int h = std::max(0, c->Height());
    if (CacheBitmap->Width() != w || CacheBitmap->Height() != h)
        CacheBitmap->SetSize(w, h);
}

void TsCommonData::EmptyCache() {
    if (CacheBitmap)
        CacheBitmap->SetSize(0, 0);
}

void TsCommonData::GetBackdrop(TBackdropRef& ref) {
    if (Control != nullptr && IsSkinned()) {
        TBackdropQuery query;
        if (Control->Parent() != nullptr)
            QueryBackdrop(query, Control->Parent(), false);
        else if (HWND handle = ControlHandle(); handle != nullptr && GetParent(handle) != nullptr)
            QueryBackdrop(query, GetParent(handle), false);
        else
            QueryBackdrop(query, static_cast<TControl*>(nullptr), false);
        ref = MakeBackdropRef(query);
        return;
    }
    ref = ColorBackdrop(AsRGB(FaceColor(0)) & 0x00FFFFFF);
}

// --- Answers to children -----------------------------------------------------------

void TsCommonData::PassBackdropQueryUp(TBackdropQuery& query, HWND window) {
    bool paintNow = query.PaintNow != 0;
    POINT position{};
    if (IsProvider()) {
        QueryBackdrop(query, ProviderForm->Parent(), paintNow);
        position = PositionInParent(*ProviderForm);
    } else if (Control != nullptr) {
        QueryBackdrop(query, Control->Parent(), paintNow);
        position = PositionInParent(*Control);
    } else if (window != nullptr) {
        QueryBackdrop(query, GetParent(window), paintNow);
        position = WindowPositionInParent(window);
    } else {
        TsSkinManager* manager = SkinManager();
        query.Kind = bqColor;
        query.Color = manager != nullptr ? static_cast<TColor>(manager->SkinBackColor()) : clBtnFace;
        return;
    }
    if (query.Kind == bqBitmap) {
        query.OffsetX += position.x;
        query.OffsetY += position.y;
    }
}

// A 0 x 0 cache has nothing to show: the child takes the colour instead of reading
// pixels that are not there.
void TsCommonData::AnswerWithCache(TBackdropQuery& query, TColor fallbackColor) {
    if (!CacheBitmap || CacheBitmap->Width() <= 0 || CacheBitmap->Height() <= 0) {
        query.Kind = bqColor;
        query.Color = CacheBitmap ? fallbackColor : clUnknownColor;
        return;
    }
    query.Kind = bqBitmap;
    if (query.PaintNow != 0) {
        const RECT& a = query.Area;
        if (query.TargetDC != nullptr) {
            HDC cacheDC = CacheBitmap->Canvas().Handle();
            BitBlt(query.TargetDC, a.left, a.top, a.right - a.left, a.bottom - a.top, cacheDC, query.OffsetX,
                   query.OffsetY, SRCCOPY);
        }
        return;
    }
    query.Bitmap = CacheBitmap.get();
    query.OffsetX = 0;
    query.OffsetY = 0;
}

void TsCommonData::AnswerBackdropQuery(TBackdropQuery& query, int state, HWND window) {
    const TsGeneralData* section = Section();
    if (section == nullptr || !IsSkinned() || FCustomColor) {
        query.Kind = bqColor;
        query.Color = OwnColor();
        return;
    }
    const TsGenState& props = PropsForState(*section, state);
    int t = props.Transparency;
    bool hasCache = CacheBitmap != nullptr;
    if (t >= 100 && ((StateFlags & sfPlainFace) != 0 || !hasCache || CacheStale)) {
        PassBackdropQueryUp(query, window);
        return;
    }
    if (t > 0) {
        AnswerWithCache(query, FaceColor(state, window));
        return;
    }
    if (props.GradientPercent <= 0 && props.ImagePercent < 1) {
        query.Kind = bqColor;
        query.Bitmap = CacheBitmap.get();
        query.Color = FaceColor(state, window);
        if (query.PaintNow != 0)
            FillDCRect(query.TargetDC, query.Area, query.Color);
        return;
    }
    TsSkinManager* manager = SkinManager();
    query.Color = manager != nullptr ? static_cast<TColor>(manager->SkinBackColor()) : clBtnFace;
    AnswerWithCache(query, query.Color);
}

LRESULT TsCommonData::AnswerQueryColor() const {
    TColor own = AsRGB(OwnColor());
    const TsGeneralData* section = Section();
    if (section == nullptr || !IsSkinned())
        return static_cast<LRESULT>(own);
    const TsGenState& props = NormalProps(*section);
    TColor c = static_cast<TColor>(props.Color);
    if (props.Transparency == 0)
        return static_cast<LRESULT>(c);
    TColor parentColor = own;
    if (TWinControl* parent = Control->Parent()) {
        auto answer = static_cast<TColor>(SendSkinCommand(parent, scQueryColor));
        parentColor = answer == clUnknownColor ? AsRGB(parent->Color()) : answer;
    }
    if (props.Transparency >= 100)
        return static_cast<LRESULT>(parentColor);
    return static_cast<LRESULT>(MixColors(AsRGB(parentColor), c, props.Transparency / 100.0));
}

LRESULT TsCommonData::AnswerParentDependent() const {
    const TsGeneralData* section = Section();
    const TsGenState& props = NormalProps(*section);
    TControl* ownerControl = IsProvider() ? ProviderForm : Control;
    if (props.Transparency >= 100 && ownerControl != nullptr && ownerControl->Parent() != nullptr)
        return SendSkinCommand(ownerControl->Parent(), scQueryParentDependent) & 0x7F;
    return props.GradientPercent > 0 || props.ImagePercent > 0 || RepaintsWithParent() ? 1 : 0;
}

// --- Repainting and updates ----------------------------------------------------------

bool TsCommonData::CanPaintNow() const {
    if (Control == nullptr || Control->Parent() == nullptr || OwnerIs(csLoading) || OwnerIs(csDestroying) ||
        OwnerIs(csReading) || !Control->Visible())
        return false;
    return WinControl() == nullptr || ControlHandle() != nullptr;
}

void TsCommonData::RequestRepaint(bool updateNow) {
    if (OwnerIs(csDestroying) || OwnerIs(csLoading))
        return;
    CacheStale = true;
    UINT flags = RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | (updateNow ? RDW_UPDATENOW : 0);
    if (IsProvider()) {
        if (ProviderForm->HandleAllocated())
            RedrawWindow(ProviderForm->HandleIfAllocated(), nullptr, nullptr, flags);
        return;
    }
    if (!CanPaintNow())
        return;
    if (HWND handle = ControlHandle())
        RedrawWindow(handle, nullptr, nullptr, flags);
    else
        Control->Repaint();
}

void TsCommonData::SuspendPainting() {
    ++UpdateDepth;
    InUpdate = true;
    StateFlags |= sfSuspended;
    TControl* target = IsProvider() ? ProviderForm : Control;
    SendSkinCommand(target, scBeginUpdate);
}

// An unbalanced resume must not drive the depth below zero: the next suspend would
// then never reach the end of its update.
void TsCommonData::ResumePainting(bool repaint) {
    const bool wasSuspended = UpdateDepth > 0;
    if (wasSuspended)
        --UpdateDepth;
    InUpdate = false;
    StateFlags &= static_cast<std::uint16_t>(~sfSuspended);
    if (UpdateDepth != 0 || !wasSuspended)
        return;
    TControl* target = IsProvider() ? ProviderForm : Control;
    SendSkinCommand(target, scEndUpdate);
    if (repaint)
        RequestRepaint(false);
}

TsCommonData& TsCommonData::SetInUpdate(bool value) {
    InUpdate = value;
    return *this;
}

// --- Messages ------------------------------------------------------------------------

bool TsCommonData::IsMyManager(LPARAM lParam) const {
    return reinterpret_cast<TsSkinManager*>(lParam) == SkinManager();
}

void TsCommonData::HandleRemoveSkin(LPARAM lParam) {
    auto* manager = reinterpret_cast<TsSkinManager*>(lParam);
    if (manager != nullptr && manager == FSkinManager && manager->HasState(csDestroying))
        FSkinManager = nullptr;
    BordersIndex = SectionIndex = TextureIndex = HotTextureIndex = -1;
    InUpdate = true;
    EmptyCache();
    if (Control == nullptr)
        return;
    if (IsEditLikeKind(ControlKind)) {
        if (!FCustomColor)
            Control->SetColor(clWindow);
        if (!FCustomFont)
            Control->Font().SetColor(clWindowText);
        if (HWND handle = ControlHandle())
            RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
    } else if (auto* win = WinControl(); win != nullptr && IsContainerKind(ControlKind)) {
        for (int i = 0; i < win->ControlCount(); ++i) {
            if (auto* label = dynamic_cast<TLabel*>(win->Controls(i)))
                label->Font().SetColor(clWindowText);
        }
    }
}

void TsCommonData::HandleParentChanged(WORD low) {
    bool dependent = RepaintsWithParent();
    CacheStale = CacheStale || dependent;
    TWinControl* win = WinControl();
    if (win == nullptr)
        return;
    if (low == 1 && win->HandleAllocated())
        RedrawWindow(win->HandleIfAllocated(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_NOERASE);
    if (dependent) {
        for (int i = 0; i < win->ControlCount(); ++i)
            SendSkinCommand(win->Controls(i), scParentChanged, 0);
    }
}

void TsCommonData::HandleResetCache() {
    if (!CacheBitmap)
        return;
    if (TWinControl* win = WinControl()) {
        for (int i = 0; i < win->ControlCount(); ++i) {
            auto* child = dynamic_cast<TWinControl*>(win->Controls(i));
            if (child != nullptr && child->HandleAllocated())
                SendSkinCommand(child, scResetCache);
        }
    }
    EmptyCache();
    CacheStale = true;
    InUpdate = true;
}

bool TsCommonData::HandleSkinCommand(TMessage& m) {
    WORD low = LOWORD(m.WParam);
    switch (SkinCommandCode(m.WParam)) {
    case scNewSkin:
        if (IsMyManager(m.LParam)) {
            ResolveSection();
            UpdatePlainFace(false);
        }
        return false;
    case scRemoveSkin:
        if (IsMyManager(m.LParam) || reinterpret_cast<TsSkinManager*>(m.LParam) == FSkinManager)
            HandleRemoveSkin(m.LParam);
        return false;
    case scRefresh:
        if (IsMyManager(m.LParam)) {
            CacheStale = true;
            InUpdate = false;
            ApplySkinColors(true);
            UpdatePlainFace(false);
        }
        return false;
    case scIsSkinned:
        m.Result = 1;
        return true;
    case scSetInUpdate:
        InUpdate = low == 1;
        return false;
    case scSetPaintImmediately:
        PaintImmediately = low == 1;
        return false;
    case scQueryBusy:
        m.Result = CacheStale || InUpdate ? 1 : 0;
        return true;
    case scQueryPartlyVisible:
        m.Result = PartlyVisible ? 1 : 0;
        return true;
    case scSetSection: {
        const auto* info = reinterpret_cast<const TacSectionInfo*>(m.LParam);
        if (info != nullptr && info->SectionName != nullptr)
            SetSkinSection(info->SectionName);
        return false;
    }
    case scInvalidateCache:
        CacheStale = true;
        return false;
    case scQueryParentDependent:
        if (Section() == nullptr)
            return false;
        m.Result = AnswerParentDependent();
        return true;
    case scParentChanged:
        HandleParentChanged(low);
        return false;
    case scQueryColor:
        if (Control == nullptr)
            return false;
        m.Result = AnswerQueryColor();
        return true;
    case scSetPartlyVisible:
        PartlyVisible = true;
        return false;
    case scQuerySectionIndex:
        if (auto* info = reinterpret_cast<TacSectionInfo*>(m.LParam))
            info->SectionIndex = SectionIndex;
        return true;
    case scResetCache:
        HandleResetCache();
        return false;
    case scQueryBackdrop:
        if (auto* query = reinterpret_cast<TBackdropQuery*>(m.LParam))
            AnswerBackdropQuery(*query, 0, nullptr);
        return true;
    case scQueryPlainFace:
        if (m.LParam == 1)
            UpdatePlainFace(true);
        else if ((StateFlags & sfUncomputed) != 0)
            UpdatePlainFace(false);
        m.Result = StateFlags;
        return true;
    case scQuerySkinData:
        m.Result = reinterpret_cast<LRESULT>(this);
        return true;
    case scSetPrintTarget:
        PrintTarget = reinterpret_cast<HDC>(m.LParam);
        if (PrintTarget != nullptr)
            StateFlags |= sfPrinting;
        else
            StateFlags &= static_cast<std::uint16_t>(~sfPrinting);
        return true;
    case scQueryApplication:
        m.Result = reinterpret_cast<LRESULT>(Application);
        return false;
    default:
        return false;
    }
}

void TsCommonData::HandleMove() {
    if (RepaintsWithParent()) {
        CacheStale = true;
        SendSkinCommand(Control, scParentChanged, 1);
    }
    HideGlow();
}

void TsCommonData::HandleSize() {
    if (!IsSkinned())
        return;
    CacheStale = true;
    TWinControl* win = WinControl();
    const TsGeneralData* section = Section();
    if (win != nullptr && section != nullptr && NormalProps(*section).GradientPercent > 0) {
        for (int i = 0; i < win->ControlCount(); ++i) {
            TControl* child = win->Controls(i);
            if (!child->HasState(csDestroying))
                SendSkinCommand(child, scParentChanged, 1);
        }
    }
    HideGlow();
}

void TsCommonData::HandleFocus(bool gained) {
    TWinControl* win = WinControl();
    if (win == nullptr)
        return;
    if (gained && !win->CanFocus())
        return;
    CacheStale = true;
    HasFocus = gained;
    const TsGeneralData* section = Section();
    if (IsSkinned() && IsEditLikeKind(ControlKind) && section != nullptr && section->States > 1 &&
        win->HandleAllocated())
        RedrawWindow(win->HandleIfAllocated(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void TsCommonData::HandleMouseEnter(const TMessage& message) {
    if (OwnerIs(csDesigning) || !IsSkinned())
        return;
    if (TWinControl* win = Control != nullptr ? Control->Parent() : nullptr) {
        auto* except = reinterpret_cast<TControl*>(message.LParam);
        for (int i = 0; i < win->ControlCount(); ++i) {
            TControl* child = win->Controls(i);
            if (child == Control || child == except || !child->InheritsFrom("TsSpeedButton"))
                continue;
            auto* data = reinterpret_cast<TsCommonData*>(SendSkinCommand(child, scQuerySkinData));
            if (data != nullptr && data->IsHot())
                child->Perform(CM_MOUSELEAVE);
        }
    }
    Hovered = true;
    if (TsSkinManager* manager = SkinManager(); manager != nullptr && ControlHandle() != nullptr)
        manager->TrackHotWindow(ControlHandle());
    if (GlowsOnHover(ControlKind))
        ShowGlow(false);
    const TsGeneralData* section = Section();
    if (IsEditLikeKind(ControlKind) && section != nullptr && section->States > 1) {
        CacheStale = true;
        if (HWND handle = ControlHandle())
            RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
    }
}

void TsCommonData::HandleMouseLeave() {
    Hovered = false;
    if (GlowsOnHover(ControlKind))
        HideGlow();
    if (IsEditLikeKind(ControlKind) && Control != nullptr && Control->Visible()) {
        CacheStale = true;
        if (HWND handle = ControlHandle())
            RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
    }
}

void TsCommonData::HandleVisibilityChanged(bool visible) {
    if (!CacheBitmap)
        return;
    if (visible) {
        InUpdate = false;
    } else {
        EmptyCache();
        if (TWinControl* win = WinControl()) {
            for (int i = 0; i < win->ControlCount(); ++i)
                SendSkinCommand(win->Controls(i), scResetCache);
        }
    }
    CacheStale = true;
}

// A menu a control opens after the skin was hooked into the application's menus is
// hooked now, so that it shows in the skin too.
void TsCommonData::PreparePopupMenu(TMenu* menu) const {
    TsSkinManager* manager = SkinManager();
    if (menu == nullptr || manager == nullptr || manager->SkinableMenus() == nullptr)
        return;
    manager->SkinableMenus()->HookPopupMenu(menu, manager->Active());
}

bool TsCommonData::HandleCommonMessage(TMessage& message) {
    switch (message.Msg) {
    case SkinCommandMessage:
        return HandleSkinCommand(message);
    case WM_MOVE:
        HandleMove();
        return false;
    case WM_SIZE:
        HandleSize();
        return false;
    case WM_SETFOCUS:
        HandleFocus(true);
        return false;
    case WM_KILLFOCUS:
        HandleFocus(false);
        return false;
    case 0x001D:
    case CM_ENABLEDCHANGED:
        Hovered = false;
        HasFocus = false;
        if (Control != nullptr && !Control->Enabled())
            HideGlow();
        return false;
    case WM_CONTEXTMENU:
        PreparePopupMenu(Control != nullptr ? Control->PopupMenu() : nullptr);
        return false;
    case WM_UPDATEUISTATE:
        return IsSkinned();
    case WM_PARENTNOTIFY:
        if (LOWORD(message.WParam) == WM_CREATE && Control != nullptr) {
            if (TWinControl* form = TopParent(Control))
                SendSkinCommand(
                    form, scAdaptControl, 0,
                    reinterpret_cast<LPARAM>(TWinControl::FindControl(reinterpret_cast<HWND>(message.LParam))));
        }
        return false;
    case CM_VISIBLECHANGED:
        HandleVisibilityChanged(message.WParam != 0);
        return false;
    case CM_MOUSEENTER:
        HandleMouseEnter(message);
        return false;
    case CM_MOUSELEAVE:
        HandleMouseLeave();
        return false;
    case CM_SHOWINGCHANGED:
        if (Control != nullptr && Control->Visible())
            AfterLoad();
        return false;
    default:
        return false;
    }
}

// --- TsCtrlSkinData ------------------------------------------------------------------

void TsCtrlSkinData::SetHUEOffset(int value) {
    if (value == FHUEOffset)
        return;
    FHUEOffset = value;
    AfterLoad();
    RequestRepaint(false);
}

void TsCtrlSkinData::SetSaturation(int value) {
    if (value == FSaturation)
        return;
    FSaturation = value;
    AfterLoad();
    RequestRepaint(false);
}

// --- Cache to screen -------------------------------------------------------------------

namespace {

bool Overlaps(const RECT& a, const RECT& b) {
    RECT r{};
    return IntersectRect(&r, &a, &b) != 0;
}

// The shared walk of both cache copies: corners first, then the DC clipped to clipRect,
// the children cut out of it by excludeChildren, and the cache copied through what is left.
template <class ExcludeChildren>
void CopyCacheAroundChildren(TsCommonData& skinData, const RECT& cacheRect, bool fillCorners, HDC dc,
                             const RECT& clipRect, ExcludeChildren excludeChildren) {
    if (!skinData.CacheBitmap || dc == nullptr)
        return;
    if (fillCorners)
        FillBackdropCorners(skinData, 0, bcAllCorners);
    TClipRectGuard clip(dc, clipRect);
    excludeChildren();
    TBitmap& cache = *skinData.CacheBitmap;
    BitBlt(dc, clipRect.left, clipRect.top, clipRect.right - clipRect.left, clipRect.bottom - clipRect.top,
           cache.Canvas().Handle(), cacheRect.left, cacheRect.top, SRCCOPY);
}

} // namespace

void CopyCacheToDC(TWinControl* parent, TsCommonData& skinData, const RECT& cacheRect, int dy, int dx, bool fillCorners,
                   HDC dc, const RECT& clipRect) {
    CopyCacheAroundChildren(skinData, cacheRect, fillCorners, dc, clipRect, [&] {
        if (parent == nullptr)
            return;
        for (int i = 0; i < parent->ControlCount(); ++i) {
            TControl* child = parent->Controls(i);
            if (!child->Visible() || dynamic_cast<TWinControl*>(child) == nullptr)
                continue;
            RECT r = child->BoundsRect();
            OffsetRect(&r, dx, dy);
            if (Overlaps(r, clipRect))
                ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
        }
    });
}

namespace {

struct TChildExclusion {
    HWND Parent;
    HDC DC;
    int Dx;
    int Dy;
    RECT GroupBorders; // left, top (unused), right, bottom widths of the skin's group box
};

void ExcludeGroupBoxFrame(const TChildExclusion& e, HWND child, RECT r) {
    int caption = static_cast<int>(SendMessageA(child, SkinCommandMessage, SkinCommand(scQueryCaptionHeight), 0));
    ExcludeClipRect(e.DC, r.left, r.top, r.right, r.top + caption);
    ExcludeClipRect(e.DC, r.left, r.top, r.left + e.GroupBorders.left, r.bottom);
    ExcludeClipRect(e.DC, r.right - e.GroupBorders.right, r.top, r.right, r.bottom);
    ExcludeClipRect(e.DC, r.left, r.bottom - e.GroupBorders.bottom, r.right, r.bottom);
}

// The border widths of the skin's group box frame; zero without one.
RECT GroupBoxBorders(const TsSkinModel* model) {
    if (model == nullptr)
        return RECT{};
    std::int32_t group = model->SectionIndexOf("GROUPBOX");
    if (!model->HasSection(group))
        return RECT{};
    std::int32_t item = model->GeneralData[static_cast<std::size_t>(group)].BordersMaskIndex;
    if (!model->HasImage(item))
        return RECT{};
    const TsMaskData& m = model->Masks[static_cast<std::size_t>(item)];
    return RECT{m.BorderLeft, m.BorderTop, m.BorderRight, m.BorderBottom};
}

BOOL CALLBACK ExcludeChildWindow(HWND child, LPARAM lParam) {
    const auto& e = *reinterpret_cast<const TChildExclusion*>(lParam);
    if (GetParent(child) != e.Parent || !IsWindowVisible(child))
        return TRUE;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, e.Parent, reinterpret_cast<POINT*>(&r), 2);
    OffsetRect(&r, e.Dx, e.Dy);
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    LONG exStyle = GetWindowLongA(child, GWL_EXSTYLE);
    bool groupBox =
        lstrcmpiA(className, "BUTTON") == 0 && (style & 0xF) == BS_GROUPBOX && (exStyle & WS_EX_TRANSPARENT) == 0;
    if (groupBox)
        ExcludeGroupBoxFrame(e, child, r);
    else
        ExcludeClipRect(e.DC, r.left, r.top, r.right, r.bottom);
    return TRUE;
}

} // namespace

void CopyCacheToWindowDC(HWND window, TsCommonData& skinData, const RECT& cacheRect, int dy, int dx, bool fillCorners,
                         HDC dc, const RECT& clipRect) {
    CopyCacheAroundChildren(skinData, cacheRect, fillCorners, dc, clipRect, [&] {
        if (window == nullptr)
            return;
        TChildExclusion e{window, dc, dx, dy, GroupBoxBorders(skinData.Model())};
        EnumChildWindows(window, ExcludeChildWindow, reinterpret_cast<LPARAM>(&e));
    });
}

// --- Backdrop corners and the border ring -------------------------------------------------

namespace {

TBackdropRef ParentBackdrop(TsCommonData& skinData) {
    TBackdropQuery query;
    TControl* control = skinData.Control;
    if (control != nullptr && control->Parent() != nullptr)
        QueryBackdrop(query, control->Parent(), false);
    else if (auto* win = dynamic_cast<TWinControl*>(control); win != nullptr && win->HandleAllocated())
        QueryBackdrop(query, GetParent(win->HandleIfAllocated()), false);
    else
        QueryBackdrop(query, static_cast<TControl*>(nullptr), false);
    return MakeBackdropRef(query);
}

// A ring of the given widths inside rect; negative widths paint nothing on that side.
void FillBorder(TacPixelsView target, TacRect r, int left, int top, int right, int bottom, TColor color) {
    left = std::max(0, left);
    top = std::max(0, top);
    right = std::max(0, right);
    bottom = std::max(0, bottom);
    FillPixels(target, TacRect{r.Left, r.Top, r.Right, r.Top + top}, color, 255);
    FillPixels(target, TacRect{r.Left, r.Top + top, r.Left + left, r.Bottom}, color, 255);
    FillPixels(target, TacRect{r.Left + left, r.Bottom - bottom, r.Right, r.Bottom}, color, 255);
    FillPixels(target, TacRect{r.Right - right, r.Top + top, r.Right, r.Bottom - bottom}, color, 255);
}

const TsMaskData* BordersItem(const TsCommonData& skinData) {
    const TsSkinModel* model = skinData.Model();
    if (model == nullptr || !model->HasImage(skinData.BordersIndex))
        return nullptr;
    return &model->Masks[static_cast<std::size_t>(skinData.BordersIndex)];
}

} // namespace

void FillBackdropCorners(TsCommonData& skinData, int state, unsigned corners) {
    const TsMaskData* item = BordersItem(skinData);
    if (item == nullptr || !skinData.CacheBitmap || skinData.CacheBitmap->Width() <= 0 ||
        skinData.CacheBitmap->Height() <= 0)
        return;
    TBackdropRef backdrop = ParentBackdrop(skinData);
    POINT position = skinData.Control != nullptr ? PositionInParent(*skinData.Control) : POINT{0, 0};
    FillBackdropCorners(skinData.CacheBitmap->Pixels(), position.x, position.y, *item, state, corners, backdrop);
}

void PaintControlBorder(HDC dc, const RECT& rect, int borderWidth, RECT& clientRect, int state,
                        TsCommonData& skinData) {
    clientRect = rect;
    TBackdropRef backdrop = ParentBackdrop(skinData);
    TColor face = AsRGB(skinData.FaceColor(state)) & 0x00FFFFFF;
    const TacRect area{rect.left, rect.top, rect.right, rect.bottom};
    const TsMaskData* item = BordersItem(skinData);
    skinData.PrepareCacheBitmap();
    TBitmap& cache = *skinData.CacheBitmap;
    TacPixelsView pixels = cache.Pixels();
    POINT position = skinData.Control != nullptr ? PositionInParent(*skinData.Control) : POINT{0, 0};
    if (item != nullptr) {
        if (const TsGeneralData* section = skinData.Section())
            state = std::clamp(state, 0, std::max(0, section->States - 1));
        if (item->MaskKind == 1) {
            if (backdrop.HasBitmap()) {
                CopyPixels(pixels, area.Left, area.Top, backdrop.Bitmap,
                           TacRect{position.x + backdrop.OffsetX + area.Left, position.y + backdrop.OffsetY + area.Top,
                                   position.x + backdrop.OffsetX + area.Right,
                                   position.y + backdrop.OffsetY + area.Bottom});
            } else {
                FillBorder(pixels, area, item->BorderLeft, item->BorderTop, item->BorderRight, item->BorderBottom,
                           face);
            }
        }
        DrawBordersMask(pixels, area, true, state, *item, backdrop.Shifted(position.x, position.y));
        clientRect = RECT{rect.left + item->BorderLeft, rect.top + item->BorderTop, rect.right - item->BorderRight,
                          rect.bottom - item->BorderBottom};
        if (borderWidth != 0) {
            FillBorder(pixels, TacRect{clientRect.left, clientRect.top, clientRect.right, clientRect.bottom},
                       borderWidth - item->BorderLeft, borderWidth - item->BorderTop, borderWidth - item->BorderRight,
                       borderWidth - item->BorderBottom, face);
            clientRect = RECT{rect.left + borderWidth, rect.top + borderWidth, rect.right - borderWidth,
                              rect.bottom - borderWidth};
        }
    } else {
        FillBorder(pixels, area, borderWidth, borderWidth, borderWidth, borderWidth, face);
        clientRect =
            RECT{rect.left + borderWidth, rect.top + borderWidth, rect.right - borderWidth, rect.bottom - borderWidth};
    }
    if (clientRect.right < clientRect.left)
        clientRect.right = clientRect.left;
    if (clientRect.bottom < clientRect.top)
        clientRect.bottom = clientRect.top;
    HDC cacheDC = cache.Canvas().Handle();
    if (dc == nullptr || dc == cacheDC || borderWidth <= 0)
        return;
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    const int b = borderWidth;
    BitBlt(dc, rect.left, rect.top, w, b, cacheDC, rect.left, rect.top, SRCCOPY);
    BitBlt(dc, rect.left, rect.bottom - b, w, b, cacheDC, rect.left, rect.bottom - b, SRCCOPY);
    BitBlt(dc, rect.left, rect.top + b, b, h - 2 * b, cacheDC, rect.left, rect.top + b, SRCCOPY);
    BitBlt(dc, rect.right - b, rect.top + b, b, h - 2 * b, cacheDC, rect.right - b, rect.top + b, SRCCOPY);
}

// --- TsBoundLabel ----------------------------------------------------------------------

POINT BoundLabelPosition(TsCaptionLayout layout, const RECT& c, int lw, int lh, int i) {
    const int cw = c.right - c.left;
    const int ch = c.bottom - c.top;
    switch (layout) {
    case TsCaptionLayout::sclLeft:
        return POINT{c.left - lw - i - 4, c.top + (ch - lh) / 2 - 1};
    case TsCaptionLayout::sclTopLeft:
        return POINT{c.left, c.top - lh - i};
    case TsCaptionLayout::sclTopCenter:
        return POINT{c.left + (cw - lw) / 2, c.top - lh - i};
    case TsCaptionLayout::sclTopRight:
        return POINT{c.left + cw - lw, c.top - lh - i};
    case TsCaptionLayout::sclLeftTop:
        return POINT{c.left - lw - i - 4, c.top + 3};
    case TsCaptionLayout::sclBottomLeft:
        return POINT{c.left, c.top + ch + i};
    case TsCaptionLayout::sclBottomCenter:
        return POINT{c.left + (cw - lw) / 2, c.top + ch + i};
    case TsCaptionLayout::sclBottomRight:
        return POINT{c.left + cw - lw, c.top + ch + i};
    }
    return POINT{c.left, c.top};
}

class TsBoundLabel::TLabelWatch : public TComponent {
public:
    explicit TLabelWatch(TsBoundLabel& bound) : TComponent(nullptr), FBound(bound) {}

    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == TOperation::opRemove && component != nullptr && component == FBound.FLabel)
            FBound.FLabel = nullptr;
    }

private:
    TsBoundLabel& FBound;
};

TsBoundLabel::TsBoundLabel(TsCommonData& skinData, TControl& control)
    : FSkinData(skinData), FControl(control), FWatch(std::make_unique<TLabelWatch>(*this)) {}

TsBoundLabel::~TsBoundLabel() {
    SetActive(false);
}

TFont& TsBoundLabel::Font() {
    return FLabel != nullptr ? FLabel->Font() : FPrivateFont;
}

void TsBoundLabel::SetActive(bool value) {
    if (value == Active())
        return;
    if (!value) {
        TLabel* label = std::exchange(FLabel, nullptr);
        if (label != nullptr && !label->HasState(csDestroying)) {
            label->RemoveFreeNotification(FWatch.get());
            delete label;
        }
        return;
    }
    FLabel = new TLabel(FControl.Owner());
    FLabel->FreeNotification(FWatch.get());
    if (!FControl.Name().empty())
        FLabel->SetName(FControl.Name() + "Label");
    FLabel->Font().Assign(FPrivateFont);
    FLabel->SetParent(FControl.Parent());
    FLabel->SetFocusControl(dynamic_cast<TWinControl*>(&FControl));
    FLabel->SetCaption(FCaption.empty() ? FControl.Name() : FCaption);
    FLabel->SetVisible(FControl.Visible() || FControl.HasState(csDesigning));
    FLabel->SetEnabled(FControl.Enabled());
    FLabel->SetAutoSize(true);
    Place();
}

void TsBoundLabel::SetCaption(const std::string& value) {
    FCaption = value;
    if (FLabel != nullptr)
        FLabel->SetCaption(value.empty() ? FControl.Name() : value);
    Place();
}

void TsBoundLabel::SetIndent(int value) {
    FIndent = value;
    Place();
}

void TsBoundLabel::SetLayout(TsCaptionLayout value) {
    FLayout = value;
    Place();
}

void TsBoundLabel::SetMaxWidth(int value) {
    FMaxWidth = value;
    Place();
}

void TsBoundLabel::Place() {
    if (FLabel == nullptr)
        return;
    switch (FLayout) {
    case TsCaptionLayout::sclLeft:
    case TsCaptionLayout::sclTopRight:
    case TsCaptionLayout::sclBottomRight:
        FLabel->SetAlignment(TAlignment::taRightJustify);
        break;
    case TsCaptionLayout::sclTopCenter:
    case TsCaptionLayout::sclBottomCenter:
        FLabel->SetAlignment(TAlignment::taCenter);
        break;
    default:
        FLabel->SetAlignment(TAlignment::taLeftJustify);
        break;
    }
    if (FMaxWidth > 0) {
        if (FLabel->Width() > FMaxWidth)
            FLabel->SetWidth(FMaxWidth);
        FLabel->SetWordWrap(FLabel->Width() >= FMaxWidth - 4);
    }
    POINT p = BoundLabelPosition(FLayout, FControl.BoundsRect(), FLabel->Width(), FLabel->Height(), FIndent);
    FLabel->SetBounds(p.x, p.y, FLabel->Width(), FLabel->Height());
}

} // namespace sj
