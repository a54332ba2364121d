#include "skin/controls/sSpeedButton.h"

#include <windowsx.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>

#include "forms/FormReader.h"
#include "forms/FormResources.h"
#include "forms/Forms.h"
#include "forms/ImgList.h"
#include "skin/paint/acAlphaImageList.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"
#include "skin/paint/sControlText.h"
#include "skin/paint/sGlyphPaint.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sMaskPaint.h"
#include "skin/paint/sSectionPaint.h"

namespace sj {

namespace {

// Skin commands the button answers beyond the common ones.
constexpr WORD scEndBlocked = 6;
constexpr WORD scCopyFace = 13;
constexpr WORD scStopFade = 16;
constexpr WORD scRepaintFace = 18;

UINT TextAlignmentFlags(TAlignment alignment) {
    switch (alignment) {
    case TAlignment::taLeftJustify:
        return DT_LEFT;
    case TAlignment::taRightJustify:
        return DT_RIGHT;
    default:
        return DT_CENTER;
    }
}

RECT ToRECT(const TacRect& r) {
    return RECT{r.Left, r.Top, r.Right, r.Bottom};
}

TColor SectionFontColor(const TsCommonData& data, bool hot) {
    const TsGeneralData* section = data.Section();
    if (section == nullptr)
        return 0;
    return static_cast<TColor>(section->PropsOfState(hot ? 1 : 0).FontColor);
}

} // namespace

TsSpeedButton::TsSpeedButton(TComponent* owner)
    : TSpeedButton(owner), FSkinData(std::make_unique<TsCtrlSkinData>(this, true)) {
    FSkinData->ControlKind = ckSpeedButton;
    Glyph().OnChange = [this] { RepaintFace(); };
}

TsSpeedButton::~TsSpeedButton() {
    StopFade(FStateFade);
    Glyph().OnChange = nullptr;
    if (FDropdownMenu != nullptr)
        FDropdownMenu->RemoveFreeNotification(this);
}

bool TsSpeedButton::Skinned() const {
    return FSkinData->IsSkinned(true);
}

void TsSpeedButton::RepaintFace() {
    FSkinData->CacheStale = true;
    if (!HasState(csLoading) && !HasState(csDestroying))
        Invalidate();
}

void TsSpeedButton::SetAlignment(TsGroupAlignment value) {
    FAlignment = value;
    RepaintFace();
}
void TsSpeedButton::SetBlend(int value) {
    FBlend = value;
    RepaintFace();
}
void TsSpeedButton::SetButtonStyle(TsToolButtonStyle value) {
    FButtonStyle = value;
    RepaintFace();
}
void TsSpeedButton::SetDisabledGlyphKind(unsigned value) {
    FDisabledGlyphKind = value;
    RepaintFace();
}
void TsSpeedButton::SetDisabledKind(unsigned value) {
    FDisabledKind = value;
    RepaintFace();
}
void TsSpeedButton::SetDrawOverBorder(bool value) {
    FDrawOverBorder = value;
    RepaintFace();
}
void TsSpeedButton::SetGrayed(bool value) {
    FGrayed = value;
    RepaintFace();
}
void TsSpeedButton::SetReflected(bool value) {
    FReflected = value;
    RepaintFace();
}
void TsSpeedButton::SetShowCaption(bool value) {
    FShowCaption = value;
    RepaintFace();
}
void TsSpeedButton::SetTextAlignment(TAlignment value) {
    FTextAlignment = value;
    RepaintFace();
}
void TsSpeedButton::SetTextOffset(int value) {
    FTextOffset = value;
    RepaintFace();
}
void TsSpeedButton::SetMargin(int value) {
    FMargin = value;
    RepaintFace();
}

void TsSpeedButton::SetDropdownMenu(TPopupMenu* value) {
    if (FDropdownMenu != nullptr)
        FDropdownMenu->RemoveFreeNotification(this);
    FDropdownMenu = value;
    if (FDropdownMenu != nullptr)
        FDropdownMenu->FreeNotification(this);
}

void TsSpeedButton::Notification(TComponent* component, TOperation operation) {
    TSpeedButton::Notification(component, operation);
    if (operation == TOperation::opRemove && FSkinData->ManagerRemoved(component))
        RepaintFace();
    if (operation == TOperation::opRemove && component == FDropdownMenu)
        FDropdownMenu = nullptr;
}

void TsSpeedButton::Loaded() {
    TSpeedButton::Loaded();
    FSkinData->AfterLoad();
    // A valid list image replaces the glyph bitmap.
    if (HasListGlyph() && !Glyph().Empty())
        Glyph().SetSize(0, 0);
    if (Skinned())
        SetControlStyle(ControlStyle() | csOpaque);
}

TCustomImageList* TsSpeedButton::ImageList() const {
    return dynamic_cast<TCustomImageList*>(Images());
}

bool TsSpeedButton::HasListGlyph() const {
    TCustomImageList* list = ImageList();
    return list != nullptr && ImageIndex() >= 0 && ImageIndex() < list->Count();
}

int TsSpeedButton::GlyphWidth() {
    if (TCustomImageList* list = ImageList(); list != nullptr && HasListGlyph())
        return list->Width() / std::max(1, NumGlyphs());
    return Glyph().Empty() ? 0 : Glyph().Width() / std::max(1, NumGlyphs());
}

int TsSpeedButton::GlyphHeight() {
    if (TCustomImageList* list = ImageList(); list != nullptr && HasListGlyph())
        return list->Height();
    return Glyph().Empty() ? 0 : Glyph().Height();
}

SIZE TsSpeedButton::CaptionSize() {
    std::string text = Caption();
    if (!FShowCaption || text.empty())
        return SIZE{0, 0};
    TsSpeedLayoutInput in;
    in.Width = Width();
    in.Margin = FMargin;
    in.ArrowWidth = ArrowWidth();
    in.GlyphWidth = GlyphWidth();
    in.Spacing = Spacing();
    in.Layout = static_cast<TsSpeedLayout>(Layout());
    RECT r{0, 0, std::max(1, SpeedButtonCaptionWidth(in)), 0};
    TBitmap scratch(1, 1);
    scratch.Canvas().Font().Assign(Font());
    scratch.Canvas().DrawText(text, r, DT_WORDBREAK | DT_CALCRECT | DT_EXPANDTABS);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

int TsSpeedButton::ButtonState() {
    const bool down = State() == TButtonState::bsDown || State() == TButtonState::bsExclusive;
    return SpeedButtonState(down, FSkinData->IsHot());
}

TsSpeedLayoutResult TsSpeedButton::ContentLayout() {
    SIZE text = CaptionSize();
    TsSpeedLayoutInput in;
    in.Width = Width();
    in.Height = Height();
    in.GlyphWidth = GlyphWidth();
    in.GlyphHeight = GlyphHeight();
    in.TextWidth = text.cx;
    in.TextHeight = text.cy;
    in.Layout = static_cast<TsSpeedLayout>(Layout());
    in.Alignment = FAlignment;
    in.Margin = FMargin;
    in.Spacing = Spacing();
    in.TextOffset = FTextOffset;
    in.ArrowWidth = ArrowWidth();
    in.Pressed = ButtonState() == 2;
    in.Reflected = FReflected;
    return SpeedButtonLayout(in);
}

void TsSpeedButton::DrawCaption(TBitmap& face) {
    if (!FShowCaption || Caption().empty())
        return;
    TacRect rect = ContentLayout().Caption;
    face.Canvas().Font().Assign(Font());
    UINT flags = TextAlignmentFlags(FTextAlignment) | DT_WORDBREAK | DT_EXPANDTABS;
    DrawControlText(face.Canvas(), Caption(), true, ButtonState() != 0, *FSkinData, flags, ToRECT(rect));
}

void TsSpeedButton::DrawGlyph(TBitmap& face) {
    TacRect rect = ContentLayout().Glyph;
    if (rect.Empty())
        return;
    const int state = ButtonState();
    if (TCustomImageList* list = ImageList(); list != nullptr && HasListGlyph()) {
        TacItemDrawOptions options;
        options.Columns = NumGlyphs();
        options.Column = Enabled() ? std::min(state, NumGlyphs() - 1) : 0;
        options.Reflected = FReflected;
        options.Transparency = Enabled() ? FBlend : std::max(FBlend, 50);
        DrawItemInto(face.Pixels(), rect.Left, rect.Top, *list, ImageIndex(), options);
        return;
    }
    TacGlyphDraw how;
    how.GlyphCount = NumGlyphs();
    how.State = state;
    how.Down = Down();
    how.Enabled = Enabled();
    how.BlendPercent = FBlend;
    how.DisabledKinds =
        (FDisabledGlyphKind & dgGrayed ? dkGrayed : 0u) | (FDisabledGlyphKind & dgBlended ? dkBlended : 0u);
    DrawGlyphBitmap(face.Pixels(), rect, Glyph().Pixels(), how);
}

void TsSpeedButton::PaintSeparator(TBitmap& face, const TBackdropRef& backdrop) {
    const TacRect all{0, 0, face.Width(), face.Height()};
    if (backdrop.HasBitmap())
        CopyPixels(face.Pixels(), 0, 0, backdrop.Bitmap,
                   TacRect{Left() + backdrop.OffsetX, Top() + backdrop.OffsetY, Left() + backdrop.OffsetX + all.Right,
                           Top() + backdrop.OffsetY + all.Bottom});
    else
        FillPixels(face.Pixels(), all, backdrop.Color, 255);
    if (FButtonStyle != TsToolButtonStyle::tbsDivider)
        return;
    const TsSkinModel* model = FSkinData->Model();
    if (model == nullptr)
        return;
    std::int32_t divider = model->SectionIndexOf("DIVIDER");
    if (!model->HasSection(divider))
        return;
    std::int32_t item = model->GeneralData[static_cast<std::size_t>(divider)].BordersMaskIndex;
    if (!model->HasImage(item))
        return;
    const int x = face.Width() / 2;
    DrawBordersMask(face.Pixels(), TacRect{x, 0, x + 1, face.Height()}, true, 0,
                    model->Masks[static_cast<std::size_t>(item)], backdrop.Shifted(Left(), Top()));
}

// The arrow strip of the drop-down style; returns the state it was painted in, which
// the main area takes too.
int TsSpeedButton::PaintDropDownStrip(TBitmap& face, const TBackdropRef& backdrop) {
    const int w = face.Width();
    const int h = face.Height();
    const bool pressed = FMenuDropped || Down() || State() == TButtonState::bsDown;
    const int state = pressed ? 2 : (FSkinData->IsHot() ? 1 : 0);
    const TacRect strip{std::max(0, w - SplitStripWidth), 0, w, h};
    TsFaceParams params = FSkinData->FaceParams();
    params.HUEOffset = 0;
    params.Saturation = 0;
    PaintControlFace(face.Pixels(), strip, FSkinData->Model(), params, state, true, backdrop, Left() + strip.Left,
                     Top());
    TColor color = SectionFontColor(*FSkinData, state != 0);
    TacRect arrow = strip;
    if (pressed) {
        ++arrow.Left;
        ++arrow.Right;
        ++arrow.Top;
        ++arrow.Bottom;
    }
    DrawSmallArrow(face.Pixels(), color, arrow, saDown);
    return state;
}

void TsSpeedButton::PaintMainArea(TBitmap& face, const TBackdropRef& backdrop, int state, int width) {
    const TacRect rect{0, 0, width, face.Height()};
    const TsSkinModel* model = FSkinData->Model();
    const TsFaceParams params = FSkinData->FaceParams();
    if (FDrawOverBorder) {
        PaintControlFace(face.Pixels(), rect, model, params, state, true, backdrop, Left(), Top());
        DrawCaption(face);
        DrawGlyph(face);
        return;
    }
    PaintControlBackground(face.Pixels(), rect, model, params, state, backdrop, Left(), Top());
    DrawCaption(face);
    DrawGlyph(face);
    if (model != nullptr && model->HasImage(FSkinData->BordersIndex))
        DrawBordersMask(face.Pixels(), rect, true, state,
                        model->Masks[static_cast<std::size_t>(FSkinData->BordersIndex)],
                        backdrop.Shifted(Left(), Top()));
}

void TsSpeedButton::PaintFace() {
    FSkinData->PrepareCacheBitmap();
    TBitmap& face = *FSkinData->CacheBitmap;
    face.Canvas().Font().Assign(Font());
    TBackdropRef backdrop;
    FSkinData->GetBackdrop(backdrop);
    if (backdrop.IsBitmap && backdrop.Bitmap.Empty())
        return;
    if (face.Width() <= 0 || face.Height() <= 0)
        return;
    if (FButtonStyle == TsToolButtonStyle::tbsSeparator || FButtonStyle == TsToolButtonStyle::tbsDivider) {
        PaintSeparator(face, backdrop);
    } else {
        int state = ButtonState();
        int width = face.Width();
        if (FButtonStyle == TsToolButtonStyle::tbsDropDown) {
            state = PaintDropDownStrip(face, backdrop);
            width = std::max(0, width - SplitStripWidth);
        }
        PaintMainArea(face, backdrop, state, width);
        FPaintedState = state;
    }
    if (!Enabled())
        PaintDisabledLook(face.Pixels(), FDisabledKind, ColorToRGB(FSkinData->FaceColor(0)), Left(), Top(), backdrop);
    PaintOverlappedSiblings(face);
    FPaintedDown = Down();
    FPaintedEnabled = Enabled();
    FPaintedGlyphs = NumGlyphs();
    FPaintedSpacing = Spacing();
    if (OnPaint)
        OnPaint(this, face);
    FSkinData->CacheStale = false;
}

bool TsSpeedButton::FaceIsStale() {
    const TBitmap* face = FSkinData->CacheBitmap.get();
    return FSkinData->CacheStale || face == nullptr || face->Width() != Width() || face->Height() != Height() ||
           FPaintedDown != Down() || FPaintedEnabled != Enabled() || FPaintedGlyphs != NumGlyphs() ||
           FPaintedSpacing != Spacing() || FPaintedState != ButtonState() || !FSkinData->PartlyVisible;
}

void TsSpeedButton::PaintUnskinned() {
    if (FButtonStyle == TsToolButtonStyle::tbsSeparator || FButtonStyle == TsToolButtonStyle::tbsDivider) {
        PaintUnskinnedSeparator();
        return;
    }
    TSpeedButton::Paint();
}

namespace {

// The theme data of a class for a window, closed when done; null without themes.
struct TThemeData {
    HTHEME Theme = nullptr;
    TThemeData(HWND window, const wchar_t* classes) {
        if (::IsThemeActive() && ::IsAppThemed())
            Theme = ::OpenThemeData(window, classes);
    }
    ~TThemeData() {
        if (Theme != nullptr)
            ::CloseThemeData(Theme);
    }
    TThemeData(const TThemeData&) = delete;
    TThemeData& operator=(const TThemeData&) = delete;
};

HWND ParentWindow(const TControl& control) {
    return control.Parent() != nullptr ? control.Parent()->HandleIfAllocated() : nullptr;
}

} // namespace

void TsSpeedButton::DrawFrame(HDC dc, const RECT& client, bool pushed) {
    const bool toolButton = Flat();
    TThemeData theme(ParentWindow(*this), toolButton ? L"TOOLBAR" : L"BUTTON");
    if (theme.Theme == nullptr) {
        TSpeedButton::DrawFrame(dc, client, pushed);
        return;
    }
    const bool hot = MouseInControl() && Enabled();
    int part = 0, state = 0;
    if (toolButton) {
        part = TP_BUTTON;
        state = !Enabled() ? TS_DISABLED : pushed ? TS_PRESSED : hot ? TS_HOT : TS_NORMAL;
    } else {
        part = BP_PUSHBUTTON;
        state = !Enabled() ? PBS_DISABLED : pushed ? PBS_PRESSED : hot ? PBS_HOT : PBS_NORMAL;
    }
    // The part may leave its corners to the parent.
    Canvas().Brush().SetStyle(TBrushStyle::bsSolid);
    Canvas().Brush().SetColor(Color());
    RECT area = client;
    Canvas().FillRect(area);
    ::DrawThemeBackground(theme.Theme, dc, part, state, &area, nullptr);
}

void TsSpeedButton::PaintUnskinnedSeparator() {
    HDC dc = Canvas().Handle();
    RECT client = ClientRect();
    Canvas().Brush().SetStyle(TBrushStyle::bsSolid);
    Canvas().Brush().SetColor(Color());
    Canvas().FillRect(client);
    TThemeData theme(ParentWindow(*this), L"TOOLBAR");
    if (theme.Theme != nullptr) {
        ::DrawThemeBackground(theme.Theme, dc, TP_SEPARATOR, TS_NORMAL, &client, nullptr);
        return;
    }
    // A 2-pixel etched line down the middle.
    RECT line{client.right / 2 - 1, client.top, client.right / 2 + 1, client.bottom};
    ::DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
}

void TsSpeedButton::Paint() {
    if (!Skinned()) {
        PaintUnskinned();
        return;
    }
    // While painting is blocked the face is not rebuilt, but a face that is there shows.
    const bool stale = FaceIsStale();
    if (FSkinData->RepaintBlocked() && stale)
        return;
    if (stale)
        PaintFace();
    const TBitmap* frame = FadeFrameFor(FStateFade, Width());
    const TBitmap& face = frame != nullptr ? *frame : *FSkinData->CacheBitmap;
    HDC dc = Canvas().Handle();
    if (dc == nullptr || face.Width() <= 0)
        return;
    HDC source = const_cast<TBitmap&>(face).Canvas().Handle();
    BitBlt(dc, 0, 0, face.Width(), face.Height(), source, 0, 0, SRCCOPY);
}

void TsSpeedButton::PointerEntered() {
    if (!Enabled() || HasState(csDesigning))
        return;
    if (FButtonStyle == TsToolButtonStyle::tbsSeparator || FButtonStyle == TsToolButtonStyle::tbsDivider) {
        FSkinData->Hovered = false;
        return;
    }
    FSkinData->Hovered = true;
    if (TsSkinManager* manager = FSkinData->SkinManager(); manager != nullptr && Skinned())
        manager->TrackHotButton(this);
    AnimateState(aeMouseEnter);
}

void TsSpeedButton::PointerLeft() {
    if (!FSkinData->Hovered)
        return;
    FSkinData->Hovered = false;
    // Pressed but not held down by a group: the pointer leaving lets it go up.
    if (State() == TButtonState::bsDown && !Down())
        SetState(TButtonState::bsUp);
    AnimateState(aeMouseLeave);
}

void TsSpeedButton::PaintOverlappedSiblings(TBitmap& face) {
    TWinControl* parent = Parent();
    if (parent == nullptr)
        return;
    int index = 0;
    while (index < parent->ControlCount() && parent->Controls(index) != this)
        ++index;
    const RECT own = BoundsRect();
    for (int i = index + 1; i < parent->ControlCount(); ++i) {
        TControl* sibling = parent->Controls(i);
        RECT bounds = sibling->BoundsRect(), overlap{};
        if (!sibling->Visible() || dynamic_cast<TWinControl*>(sibling) != nullptr ||
            !::IntersectRect(&overlap, &own, &bounds))
            continue;
        // Drawn as the parent draws it, in the face's coordinates.
        HDC dc = face.Canvas().Handle();
        const int saved = ::SaveDC(dc);
        ::SetViewportOrgEx(dc, bounds.left - own.left, bounds.top - own.top, nullptr);
        ::IntersectClipRect(dc, 0, 0, sibling->Width(), sibling->Height());
        sibling->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        ::RestoreDC(dc, saved);
        ::GdiFlush();
        // What GDI drew has alpha 0; the face is opaque.
        SetRectAlpha(face.Pixels(),
                     TacRect{overlap.left - own.left, overlap.top - own.top, overlap.right - own.left,
                             overlap.bottom - own.top},
                     255, false);
    }
}

void TsSpeedButton::AnimateState(unsigned event) {
    if (!Skinned() || HasState(csDestroying) || HasState(csLoading)) {
        RepaintFace();
        return;
    }
    const int to = ButtonState();
    if (FadeRunning(FStateFade) && FStateFade->ToState == to)
        return;
    const bool fast = event == aeMouseDown || event == aeMouseUp;
    const int direction = event == aeMouseEnter || event == aeMouseDown ? fdIn : fdOut;
    const bool animate = ButtonEventAnimates(FAnimatEvents, event, FSkinData->SkinManager()) && FPaintedState >= 0 &&
                         FPaintedEnabled == Enabled() && FPaintedDown == Down() && !HasState(csDesigning) &&
                         FButtonStyle != TsToolButtonStyle::tbsDropDown;
    if (!ChangeStateWithFade(*FSkinData, FStateFade, FPaintedState, to, direction, animate, fast, false))
        RepaintFace();
}

// The drop-down style opens its menu from the arrow strip, or from anywhere when the
// button has no click handler of its own. True when the menu was shown.
bool TsSpeedButton::DropMenu(const TMessage& message) {
    if (FButtonStyle != TsToolButtonStyle::tbsDropDown || FDropdownMenu == nullptr || !Enabled())
        return false;
    const int x = GET_X_LPARAM(message.LParam);
    if (x < Width() - SplitStripWidth && OnClick)
        return false;
    FMenuDropped = true;
    RepaintFace();
    Update();
    POINT corner = ClientToScreen(POINT{0, Height() + 1});
    FDropdownMenu->Popup(corner.x, corner.y);
    FMenuDropped = false;
    POINT cursor{};
    GetCursorPos(&cursor);
    POINT local = ScreenToClient(cursor);
    if (local.x < 0 || local.y < 0 || local.x >= Width() || local.y >= Height())
        Perform(CM_MOUSELEAVE);
    RepaintFace();
    return true;
}

bool TsSpeedButton::HandleSkinCommand(TMessage& message) {
    const bool mine = reinterpret_cast<TsSkinManager*>(message.LParam) == FSkinData->SkinManager();
    switch (SkinCommandCode(message.WParam)) {
    case scNewSkin:
        StopFade(FStateFade);
        FSkinData->HandleCommonMessage(message);
        if (mine)
            SetControlStyle(ControlStyle() | csOpaque);
        RepaintFace();
        return true;
    case scRemoveSkin:
        StopFade(FStateFade);
        FSkinData->HandleCommonMessage(message);
        SetControlStyle(ControlStyle() & ~static_cast<unsigned>(csOpaque));
        Invalidate();
        return true;
    case scRefresh:
        StopFade(FStateFade);
        FSkinData->HandleCommonMessage(message);
        RepaintFace();
        return true;
    case scEndBlocked:
        FSkinData->InUpdate = false;
        Invalidate();
        return true;
    case scStopFade:
        StopFade(FStateFade);
        Invalidate();
        return true;
    case scCopyFace:
        Invalidate();
        return true;
    case scFadeRenderFace:
        if (Skinned())
            PaintFace();
        return true;
    case scRepaintFace:
        RepaintFace();
        return true;
    case scHotLeave:
        Perform(CM_MOUSELEAVE);
        return true;
    case scQueryApplication:
        message.Result = reinterpret_cast<LRESULT>(Application);
        return true;
    default:
        return FSkinData->HandleCommonMessage(message);
    }
}

void TsSpeedButton::WndProc(TMessage& message) {
    switch (message.Msg) {
    case SkinCommandMessage:
        if (HandleSkinCommand(message))
            return;
        break;
    case CM_MOUSEENTER: {
        // The common handling lets other hot speed buttons of the parent go and marks
        // this one hovered; the face changes only when it was not hovered before.
        const bool wasHovered = FSkinData->Hovered;
        FSkinData->HandleCommonMessage(message);
        TSpeedButton::WndProc(message);
        if (!wasHovered)
            PointerEntered();
        return;
    }
    case CM_MOUSELEAVE:
        if (!FSkinData->Hovered)
            return;
        TSpeedButton::WndProc(message);
        PointerLeft();
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (DropMenu(message))
            return;
        TSpeedButton::WndProc(message);
        AnimateState(aeMouseDown);
        return;
    case WM_LBUTTONUP:
        TSpeedButton::WndProc(message);
        AnimateState(aeMouseUp);
        return;
    case WM_SIZE:
    case WM_MOVE:
        FSkinData->CacheStale = true;
        break;
    case CM_VISIBLECHANGED:
        FSkinData->Hovered = false;
        FSkinData->CacheStale = true;
        break;
    case CM_TEXTCHANGED:
        if (FShowCaption)
            RepaintFace();
        break;
    case CM_ENABLEDCHANGED:
        if (!Enabled())
            StopFade(FStateFade);
        FSkinData->HandleCommonMessage(message);
        TSpeedButton::WndProc(message);
        RepaintFace();
        return;
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    default:
        break;
    }
    TSpeedButton::WndProc(message);
}

// --- TsTimerSpeedButton ------------------------------------------------------------

TsTimerSpeedButton::TsTimerSpeedButton(TComponent* owner) : TsSpeedButton(owner) {}

void TsTimerSpeedButton::SetShowFocusRect(bool value) {
    FShowFocusRect = value;
    RepaintFace();
}

void TsTimerSpeedButton::SetArrow(TsArrowKind value) {
    FArrow = value;
    RepaintFace();
}

bool TsTimerSpeedButton::HoldsMouse() const {
    TWinControl* parent = Parent();
    return FPressed && parent != nullptr && parent->HandleAllocated() && GetCapture() == parent->HandleIfAllocated();
}

void TsTimerSpeedButton::StartRepeat() {
    if (!FAllowTimer)
        return;
    if (FRepeatTimer == nullptr) {
        FRepeatTimer = new TTimer(this);
        FRepeatTimer->SetOnTimer([this](TObject*) { RepeatTick(); });
    }
    FRepeatTimer->SetEnabled(false);
    FRepeatTimer->SetInterval(RepeatFirstDelay);
    FRepeatTimer->SetEnabled(true);
}

void TsTimerSpeedButton::StopRepeat() {
    if (FRepeatTimer != nullptr)
        FRepeatTimer->SetEnabled(false);
}

void TsTimerSpeedButton::RepeatTick() {
    FRepeatTimer->SetInterval(RepeatInterval);
    if (!HoldsMouse())
        return;
    try {
        Click();
    } catch (...) {
        StopRepeat();
        throw;
    }
}

void TsTimerSpeedButton::WndProc(TMessage& message) {
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        TsSpeedButton::WndProc(message);
        if (Enabled() && !HasState(csDestroying)) {
            FPressed = true;
            StartRepeat();
        }
        return;
    case WM_LBUTTONUP:
        FPressed = false;
        StopRepeat();
        TsSpeedButton::WndProc(message);
        return;
    case CM_ENABLEDCHANGED:
        if (!Enabled()) {
            FPressed = false;
            StopRepeat();
        }
        break;
    default:
        break;
    }
    TsSpeedButton::WndProc(message);
}

TColor TsTimerSpeedButton::ArrowFillColor() {
    if (ArrowColor != clNone)
        return ColorToRGB(ArrowColor);
    if (Skinned())
        return SectionFontColor(SkinData(), ButtonState() != 0);
    return ColorToRGB(Enabled() ? Font().Color() : clGrayText);
}

void TsTimerSpeedButton::DrawArrowAndFocus(TCanvas& canvas, TColor color) {
    const int shift = ButtonState() == 2 ? 1 : 0;
    HDC dc = canvas.Handle();
    if (dc == nullptr)
        return;
    if (FArrow != TsArrowKind::akNone && Glyph().Empty() && !(Images() != nullptr && ImageIndex() >= 0)) {
        TsArrowTriangle t = SpinArrowTriangle(Width(), Height(), FArrow == TsArrowKind::akUp);
        POINT points[3];
        for (int i = 0; i < 3; ++i)
            points[i] = POINT{t.X[i] + shift, t.Y[i] + shift};
        HBRUSH brush = CreateSolidBrush(color);
        HPEN pen = CreatePen(PS_SOLID, 1, color);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        Polygon(dc, points, 3);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(brush);
        DeleteObject(pen);
    }
    if (FShowFocusRect) {
        RECT focus{3 + shift, 3 + shift, Width() - 3 + shift, Height() - 3 + shift};
        DrawFocusRect(dc, &focus);
    }
}

void TsTimerSpeedButton::DrawGlyph(TBitmap& face) {
    TsSpeedButton::DrawGlyph(face);
    DrawArrowAndFocus(face.Canvas(), ArrowFillColor());
}

void TsTimerSpeedButton::PaintUnskinned() {
    TsSpeedButton::PaintUnskinned();
    DrawArrowAndFocus(Canvas(), ArrowFillColor());
}

// --- Registration ----------------------------------------------------------------

namespace {

TsCommonData& SpeedSkinData(TsSpeedButton& button) {
    return button.SkinData();
}

unsigned AnimatEventsOf(const TPropValue& v) {
    return AsSetOf<unsigned>(v, {{"aeMouseEnter", aeMouseEnter},
                                 {"aeMouseLeave", aeMouseLeave},
                                 {"aeMouseDown", aeMouseDown},
                                 {"aeMouseUp", aeMouseUp},
                                 {"aeGlobalDef", aeGlobalDef}});
}

} // namespace

void RegisterSpeedButtonClasses() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterFormClasses();
    using B = TsSpeedButton;
    using Ctx = TReadContext;
    using Val = TPropValue;
    RegisterComponentClass<TsSpeedButton>();
    RegisterComponentClass<TsTimerSpeedButton>();
    RegisterSkinDataProperties<B>(&SpeedSkinData);
    RegisterProperty<B>("AnimatEvents", [](B& b, const Val& v, Ctx&) { b.SetAnimatEvents(AnimatEventsOf(v)); });
    RegisterProperty<B>("Alignment", [](B& b, const Val& v, Ctx&) {
        b.SetAlignment(AsEnum<TsGroupAlignment>(v, {{"taLeftJustify", TsGroupAlignment::taLeftJustify},
                                                    {"taRightJustify", TsGroupAlignment::taRightJustify},
                                                    {"taCenter", TsGroupAlignment::taCenter}}));
    });
    RegisterProperty<B>("Blend", [](B& b, const Val& v, Ctx&) { b.SetBlend(AsInt(v)); });
    RegisterProperty<B>("ButtonStyle", [](B& b, const Val& v, Ctx&) {
        b.SetButtonStyle(AsEnum<TsToolButtonStyle>(v, {{"tbsButton", TsToolButtonStyle::tbsButton},
                                                       {"tbsCheck", TsToolButtonStyle::tbsCheck},
                                                       {"tbsDropDown", TsToolButtonStyle::tbsDropDown},
                                                       {"tbsSeparator", TsToolButtonStyle::tbsSeparator},
                                                       {"tbsDivider", TsToolButtonStyle::tbsDivider}}));
    });
    RegisterProperty<B>("DisabledGlyphKind", [](B& b, const Val& v, Ctx&) {
        b.SetDisabledGlyphKind(AsSetOf<unsigned>(v, {{"dgBlended", dgBlended}, {"dgGrayed", dgGrayed}}));
    });
    RegisterProperty<B>("DisabledKind", [](B& b, const Val& v, Ctx&) {
        b.SetDisabledKind(AsSetOf<unsigned>(v, {{"dkBlended", dkBlended}, {"dkGrayed", dkGrayed}}));
    });
    RegisterProperty<B>("DrawOverBorder", [](B& b, const Val& v, Ctx&) { b.SetDrawOverBorder(AsBoolean(v)); });
    RegisterReferenceProperty<B, TPopupMenu>("DropdownMenu", &B::SetDropdownMenu);
    RegisterProperty<B>("Grayed", [](B& b, const Val& v, Ctx&) { b.SetGrayed(AsBoolean(v)); });
    RegisterProperty<B>("Reflected", [](B& b, const Val& v, Ctx&) { b.SetReflected(AsBoolean(v)); });
    RegisterProperty<B>("ShowCaption", [](B& b, const Val& v, Ctx&) { b.SetShowCaption(AsBoolean(v)); });
    RegisterProperty<B>("TextAlignment", [](B& b, const Val& v, Ctx&) {
        b.SetTextAlignment(AsEnum<TAlignment>(v, {{"taLeftJustify", TAlignment::taLeftJustify},
                                                  {"taRightJustify", TAlignment::taRightJustify},
                                                  {"taCenter", TAlignment::taCenter}}));
    });
    RegisterProperty<B>("TextOffset", [](B& b, const Val& v, Ctx&) { b.SetTextOffset(AsInt(v)); });
    RegisterProperty<B>("Margin", [](B& b, const Val& v, Ctx&) { b.SetMargin(AsInt(v)); });
}

} // namespace sj
