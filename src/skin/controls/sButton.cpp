#include "skin/controls/sButton.h"

#include <uxtheme.h>
#include <vssym32.h>
#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "forms/FormReader.h"
#include "forms/FormResources.h"
#include "forms/Forms.h"
#include "skin/paint/acAlphaImageList.h"
#include "skin/paint/sControlText.h"
#include "skin/paint/sGlyphPaint.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sMaskPaint.h"
#include "skin/paint/sSectionPaint.h"

namespace sj {

namespace {

// Skin commands the button answers beyond the common ones (and those of the fades).
constexpr WORD scEndBlocked = 6;

// The region corner mode of a borders item: its clear corners are cut from the window.
constexpr std::int16_t CornerKindRegion = 2;

RECT ToRECT(const TacRect& r) {
    return RECT{r.Left, r.Top, r.Right, r.Bottom};
}

bool LeftButtonHeld() {
    const int key = GetSystemMetrics(SM_SWAPBUTTON) != 0 ? VK_RBUTTON : VK_LBUTTON;
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

} // namespace

TsButton::TsButton(TComponent* owner) : TButton(owner), FSkinData(std::make_unique<TsCtrlSkinData>(this, true)) {
    FSkinData->ControlKind = ckButton;
    SetControlStyle(ControlStyle() & ~static_cast<unsigned>(csOpaque | csDoubleClicks));
    // A button made at run time is never loaded: it takes its kind's section now, as a
    // stored button does once its state is read.
    FSkinData->AfterLoad();
}

TsButton::~TsButton() {
    StopStateFade();
    if (FDropDownMenu != nullptr)
        FDropDownMenu->RemoveFreeNotification(this);
    if (FWindowRegion != nullptr)
        DeleteObject(FWindowRegion);
}

void TsButton::CreateParams(TCreateParams& params) {
    TButton::CreateParams(params);
    params.Style = (params.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
    FActiveDefault = Default();
}

void TsButton::Loaded() {
    TButton::Loaded();
    FSkinData->AfterLoad();
}

bool TsButton::Skinned() const {
    return FSkinData->IsSkinned(true);
}

void TsButton::RepaintNow() {
    FSkinData->RequestRepaint();
}

// --- Properties ---------------------------------------------------------------------

void TsButton::SetShowFocus(bool value) {
    FShowFocus = value;
    RepaintNow();
}
void TsButton::SetDisabledKind(unsigned value) {
    FDisabledKind = value;
    RepaintNow();
}
void TsButton::SetDown(bool value) {
    FDown = value;
    RepaintNow();
}
void TsButton::SetCommandLinkHint(const std::string& value) {
    FCommandLinkHint = value;
    RepaintNow();
}
void TsButton::SetHotImageIndex(int value) {
    FImageIndexes.Hot = value;
    if (Images() != nullptr)
        RepaintNow();
}
void TsButton::SetPressedImageIndex(int value) {
    FImageIndexes.Pressed = value;
    if (Images() != nullptr)
        RepaintNow();
}
void TsButton::SetSelectedImageIndex(int value) {
    FImageIndexes.Selected = value;
    if (Images() != nullptr)
        RepaintNow();
}
void TsButton::SetDisabledImageIndex(int value) {
    FImageIndexes.Disabled = value;
    if (Images() != nullptr)
        RepaintNow();
}
void TsButton::SetImageAlignment(TImageAlignment value) {
    FImageAlignment = value;
    if (Images() != nullptr)
        RepaintNow();
}
void TsButton::SetImageMargins(const TsImageMargins& value) {
    FImageMargins = value;
    RepaintNow();
}
void TsButton::SetContentMargin(int value) {
    FContentMargin = value;
    RepaintNow();
}
void TsButton::SetStyle(TsButtonStyle value) {
    FStyle = value;
    RepaintNow();
}
void TsButton::SetReflected(bool value) {
    FReflected = value;
    RepaintNow();
}
void TsButton::SetWordWrap(bool value) {
    FWordWrap = value;
    RepaintNow();
}

void TsButton::SetDropDownMenu(TPopupMenu* value) {
    if (FDropDownMenu != nullptr)
        FDropDownMenu->RemoveFreeNotification(this);
    FDropDownMenu = value;
    if (FDropDownMenu != nullptr)
        FDropDownMenu->FreeNotification(this);
}

void TsButton::ImageChanged() {
    // The glyph is part of the face; the system's own image display is not used.
    RepaintNow();
}

void TsButton::Notification(TComponent* component, TOperation operation) {
    TButton::Notification(component, operation);
    if (operation == TOperation::opRemove)
        FSkinData->ManagerRemoved(component);
    if (operation == TOperation::opRemove && component == FDropDownMenu)
        FDropDownMenu = nullptr;
}

// --- State and layout -----------------------------------------------------------------

TCustomImageList* TsButton::ImageList() const {
    return dynamic_cast<TCustomImageList*>(Images());
}

bool TsButton::HasGlyph() const {
    TCustomImageList* list = ImageList();
    return list != nullptr && ImageIndex() >= 0 && ImageIndex() < list->Count();
}

bool TsButton::IsFocused() const {
    HWND handle = HandleIfAllocated();
    return handle != nullptr && GetFocus() == handle;
}

int TsButton::CurrentState() {
    TsButtonStateInput in;
    if (HWND handle = HandleIfAllocated()) {
        in.Pushed = (SendMessageA(handle, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
        POINT cursor{};
        RECT window{};
        GetCursorPos(&cursor);
        GetWindowRect(handle, &window);
        in.PointerOver = PtInRect(&window, cursor) != 0;
        in.LeftButtonHeld = LeftButtonHeld();
    }
    in.Down = FDown;
    in.MenuDropped = FMenuDropped;
    in.Designing = HasState(csDesigning);
    in.Hot = FSkinData->IsHot();
    in.ActiveDefault = FActiveDefault;
    return ButtonCurrentState(in);
}

int TsButton::FaceState() {
    const TsGeneralData* section = FSkinData->Section();
    return ButtonFaceState(CurrentState(), section != nullptr ? section->States : 1);
}

int TsButton::GlyphIndexForState() {
    TCustomImageList* list = ImageList();
    TsButtonImageIndexes indexes = FImageIndexes;
    indexes.Normal = ImageIndex();
    const int glyphState = ButtonGlyphState(Enabled(), CurrentState(), IsFocused());
    return ButtonGlyphIndex(glyphState, indexes, list != nullptr ? list->Count() : 0);
}

void TsButton::ApplyCaptionFont(TCanvas& canvas, bool commandLinkFont) {
    canvas.Font().Assign(Font());
    if (commandLinkFont) {
        canvas.Font().SetStyle(canvas.Font().Style() | fsBold);
        canvas.Font().SetSize(canvas.Font().Size() + 2);
    }
}

SIZE TsButton::MeasureText(const std::string& text, int width, bool commandLinkFont) {
    if (text.empty())
        return SIZE{0, 0};
    TBitmap scratch(1, 1);
    ApplyCaptionFont(scratch.Canvas(), commandLinkFont);
    RECT r{0, 0, std::max(1, width), 0};
    UINT flags = DT_CALCRECT | DT_EXPANDTABS | DT_CENTER | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE);
    scratch.Canvas().DrawText(text, r, flags);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

TsButtonLayoutInput TsButton::LayoutInput(int state) {
    TsButtonLayoutInput in;
    in.Width = Width();
    in.Height = Height();
    in.HasGlyph = HasGlyph();
    if (TCustomImageList* list = ImageList()) {
        in.ImageWidth = list->Width();
        in.ImageHeight = list->Height();
    }
    in.Alignment = FImageAlignment;
    in.Style = FStyle;
    in.Margins = FImageMargins;
    in.ContentMargin = FContentMargin;
    in.Pressed = state == bstPressed;
    SIZE text = MeasureText(Caption(), ButtonTextMeasureWidth(in), FStyle == TsButtonStyle::bsCommandLink);
    in.TextWidth = text.cx;
    in.TextHeight = text.cy;
    return in;
}

TacRect TsButton::CaptionRect() {
    return ButtonCaptionRect(LayoutInput(CurrentState()));
}

TacRect TsButton::GlyphRect() {
    return ButtonGlyphRect(LayoutInput(CurrentState()));
}

// --- Painting -------------------------------------------------------------------------

void TsButton::DrawGlyph() {
    TCustomImageList* list = ImageList();
    if (list == nullptr || !HasGlyph() || !FSkinData->CacheBitmap)
        return;
    TacRect rect = GlyphRect();
    TacItemDrawOptions options;
    options.Reflected = FReflected;
    DrawItemInto(FSkinData->CacheBitmap->Pixels(), rect.Left, rect.Top, *list, GlyphIndexForState(), options);
}

void TsButton::DrawFocusFrame(TBitmap& face, TacRect rect) {
    rect.Left -= FFocusMargin;
    rect.Top -= FFocusMargin;
    rect.Right += FFocusMargin;
    rect.Bottom += FFocusMargin;
    DrawFocusRectangle(face.Pixels(), rect, ColorToRGB(clBtnFace), 0x000000);
}

void TsButton::DrawCaption(TCanvas* canvas) {
    if (!FSkinData->CacheBitmap)
        return;
    TBitmap& face = *FSkinData->CacheBitmap;
    TCanvas& target = canvas != nullptr ? *canvas : face.Canvas();
    const bool commandLink = FStyle == TsButtonStyle::bsCommandLink;
    ApplyCaptionFont(target, commandLink);
    target.Brush().SetStyle(TBrushStyle::bsClear);
    const TacRect rect = CaptionRect();
    UINT flags = commandLink ? DT_WORDBREAK | DT_EXPANDTABS
                             : DT_CENTER | DT_VCENTER | DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0u);
    const bool skinned = Skinned();
    const bool hot = skinned ? FaceState() != 0 : false;
    DrawControlText(target, Caption(), skinned || Enabled(), hot, *FSkinData, flags, ToRECT(rect));
    if (commandLink && !FCommandLinkHint.empty()) {
        ApplyCaptionFont(target, false);
        RECT hint{rect.Left, rect.Bottom + 6, rect.Right, Height() - FContentMargin};
        DrawControlText(target, FCommandLinkHint, skinned || Enabled(), hot, *FSkinData, DT_WORDBREAK | DT_EXPANDTABS,
                        hint);
    }
    const TsGeneralData* section = FSkinData->Section();
    if (IsFocused() && Enabled() && !Caption().empty() && FShowFocus && skinned && section != nullptr &&
        section->ShowFocus)
        DrawFocusFrame(face, rect);
}

void TsButton::PaintBordersMask(TBitmap& face, int state, const TBackdropRef& backdrop) {
    const TsSkinModel* model = FSkinData->Model();
    if (model == nullptr || !model->HasImage(FSkinData->BordersIndex))
        return;
    const TsMaskData& item = model->Masks[static_cast<std::size_t>(FSkinData->BordersIndex)];
    const bool painted = state != 0 || (item.PaintFlags & 2) == 0;
    if (FRegionDirty && item.CornerKind == CornerKindRegion) {
        std::vector<TacRect> runs;
        if (painted)
            DrawBordersMaskCutRegion(face.Pixels(), state, item, &runs);
        HRGN region = CreateRectRgn(0, 0, Width(), Height());
        for (const TacRect& run : runs) {
            HRGN cut = CreateRectRgn(run.Left, run.Top, run.Right, run.Bottom);
            CombineRgn(region, region, cut, RGN_DIFF);
            DeleteObject(cut);
        }
        if (FWindowRegion != nullptr)
            DeleteObject(FWindowRegion);
        FWindowRegion = region;
        return;
    }
    if (painted)
        DrawBordersMask(face.Pixels(), TacRect{0, 0, face.Width(), face.Height()}, true, state, item,
                        backdrop.Shifted(Left(), Top()));
}

void TsButton::PaintSplitMark(TBitmap& face, int state) {
    const TsGeneralData* section = FSkinData->Section();
    if (section == nullptr)
        return;
    const TColor color = static_cast<TColor>(section->PropsOfState(state).FontColor);
    const int w = face.Width();
    const int h = face.Height();
    FillPixels(face.Pixels(), TacRect{w - 15, 4, w - 14, h - 4}, color, 255);
    DrawSmallArrow(face.Pixels(), color, TacRect{w - SplitStripWidth, 0, w, h}, saDown);
}

void TsButton::PaintFace() {
    FSkinData->PrepareCacheBitmap();
    TBitmap& face = *FSkinData->CacheBitmap;
    face.Canvas().Font().Assign(Font());
    if (face.Width() <= 0 || face.Height() <= 0)
        return;
    TBackdropRef backdrop;
    FSkinData->GetBackdrop(backdrop);
    const int state = FaceState();
    const TacRect all{0, 0, face.Width(), face.Height()};
    const TsSkinModel* model = FSkinData->Model();
    PaintControlBackground(face.Pixels(), all, model, FSkinData->FaceParams(), state, backdrop, Left(), Top());
    PaintBordersMask(face, state, backdrop);
    if (FSkinData->HUEOffset() != 0)
        ShiftHue(face.Pixels(), FSkinData->HUEOffset());
    if (FSkinData->Saturation() != 0)
        ChangeSaturation(face.Pixels(), FSkinData->Saturation());
    DrawGlyph();
    DrawCaption(nullptr);
    if (FStyle == TsButtonStyle::bsSplitButton)
        PaintSplitMark(face, state);
    if (!Enabled())
        PaintDisabledLook(face.Pixels(), FDisabledKind, ColorToRGB(FSkinData->FaceColor(0)), Left(), Top(), backdrop);
    FPaintedState = CurrentState();
    FPaintedFocus = IsFocused();
    FPaintedEnabled = Enabled();
    FSkinData->CacheStale = false;
}

void TsButton::ApplyWindowRegion() {
    HWND handle = HandleIfAllocated();
    if (handle == nullptr || FWindowRegion == nullptr)
        return;
    RECT bounds = BoundsRect();
    // The window owns the region from now on.
    SetWindowRgn(handle, FWindowRegion, TRUE);
    FWindowRegion = nullptr;
    const bool narrower = bounds.right - bounds.left < FLastBounds.right - FLastBounds.left;
    const bool lower = bounds.bottom - bounds.top < FLastBounds.bottom - FLastBounds.top;
    if ((narrower || lower) && Parent() != nullptr && Parent()->HandleAllocated()) {
        const int corner = FSkinData->BordersWidth();
        RECT right{FLastBounds.right - corner, FLastBounds.top, FLastBounds.right, FLastBounds.bottom};
        RECT bottom{FLastBounds.left, FLastBounds.bottom - corner, FLastBounds.right, FLastBounds.bottom};
        InvalidateRect(Parent()->HandleIfAllocated(), &right, TRUE);
        InvalidateRect(Parent()->HandleIfAllocated(), &bottom, TRUE);
    }
    FLastBounds = bounds;
}

void TsButton::PaintToDC(HDC dc) {
    // Only an explicit suspension holds the painting back: the parent's busy answer
    // may come before it has painted at all, and nothing here would end the wait.
    if (FSkinData->UpdateDepth > 0 || dc == nullptr)
        return;
    // A paint that the default processing of a mouse event asks for is the moment the
    // new state shows: the fade starts here, from the face painted before.
    if (FPendingEvent != 0)
        AnimateState(FPendingEvent);
    if (FadeRunning(FStateFade)) {
        const TBitmap& frame = FStateFade->ShownLevel() > 0 ? FStateFade->Frame() : FStateFade->OldLook();
        if (frame.Width() == Width() && frame.Height() == Height()) {
            BitBlt(dc, 0, 0, frame.Width(), frame.Height(), const_cast<TBitmap&>(frame).Canvas().Handle(), 0, 0,
                   SRCCOPY);
            return;
        }
    }
    const TsMaskData* borders = nullptr;
    if (const TsSkinModel* model = FSkinData->Model(); model != nullptr && model->HasImage(FSkinData->BordersIndex))
        borders = &model->Masks[static_cast<std::size_t>(FSkinData->BordersIndex)];
    const TBitmap* cache = FSkinData->CacheBitmap.get();
    const bool stale = FSkinData->CacheStale || cache == nullptr || cache->Width() != Width() ||
                       cache->Height() != Height() || FPaintedState != CurrentState() || FPaintedFocus != IsFocused() ||
                       FPaintedEnabled != Enabled();
    if (FRegionDirty && borders != nullptr && borders->CornerKind == CornerKindRegion && !HasState(csDesigning)) {
        PaintFace();
        ApplyWindowRegion();
    } else if (stale) {
        PaintFace();
    }
    FRegionDirty = false;
    TBitmap& face = *FSkinData->CacheBitmap;
    if (face.Width() <= 0 || face.Height() <= 0)
        return;
    const int saved = SaveDC(dc);
    BitBlt(dc, 0, 0, face.Width(), face.Height(), face.Canvas().Handle(), 0, 0, SRCCOPY);
    RestoreDC(dc, saved);
}

void TsButton::StopStateFade() {
    StopFade(FStateFade);
}

bool TsButton::AnimateState(unsigned event) {
    if (!Skinned() || HasState(csDestroying) || !HandleAllocated())
        return false;
    const int from = FPaintedState;
    const int to = CurrentState();
    if (from == to && FPaintedFocus == IsFocused() && !FadeRunning(FStateFade))
        return false;
    if (FadeRunning(FStateFade) && FStateFade->ToState == to && FPaintedFocus == IsFocused())
        return true; // already on its way there
    const bool fast = event == aeMouseDown || event == aeMouseUp;
    const int direction = event == aeMouseEnter || event == aeMouseDown ? fdIn : fdOut;
    const bool animate = ButtonEventAnimates(FAnimatEvents, event, FSkinData->SkinManager()) &&
                         FPaintedEnabled == Enabled() && from >= 0 && !HasState(csDesigning);
    return ChangeStateWithFade(*FSkinData, FStateFade, from, to, direction, animate, fast, true);
}

// A click quicker than the press fade still shows the pressed face for a moment.
void TsButton::ShowPressedNow() {
    HWND handle = HandleIfAllocated();
    TBitmap* cache = FSkinData->CacheBitmap.get();
    if (handle == nullptr || cache == nullptr || cache->Width() != Width() || cache->Height() != Height())
        return;
    HDC dc = GetDC(handle);
    if (dc == nullptr)
        return;
    BitBlt(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas().Handle(), 0, 0, SRCCOPY);
    ReleaseDC(handle, dc);
    GdiFlush();
    Sleep(30);
}

// The system's look: the themed push button of the state, or the classic frame, with
// glyph and caption on top. Painted off screen and copied, so nothing flickers.
void TsButton::DrawUnskinned(HDC dc) {
    const int w = Width();
    const int h = Height();
    if (w <= 0 || h <= 0 || dc == nullptr)
        return;
    if (!FSkinData->CacheBitmap)
        FSkinData->CacheBitmap = std::make_unique<TBitmap>();
    TBitmap& face = *FSkinData->CacheBitmap;
    face.SetSize(w, h);
    HDC faceDC = face.Canvas().Handle();
    RECT all{0, 0, w, h};
    const int state = CurrentState();
    const bool pressed = state == bstPressed;
    const bool focused = IsFocused();
    FillRect(faceDC, &all, GetSysColorBrush(COLOR_BTNFACE));
    HTHEME theme = HandleAllocated() ? OpenThemeData(HandleIfAllocated(), L"BUTTON") : nullptr;
    if (theme != nullptr) {
        int part = PBS_NORMAL;
        if (!Enabled())
            part = PBS_DISABLED;
        else if (pressed)
            part = PBS_PRESSED;
        else if (FSkinData->Hovered)
            part = PBS_HOT;
        else if (focused || FActiveDefault)
            part = PBS_DEFAULTED;
        DrawThemeParentBackground(HandleIfAllocated(), faceDC, &all);
        DrawThemeBackground(theme, faceDC, BP_PUSHBUTTON, part, &all, nullptr);
        CloseThemeData(theme);
    } else {
        RECT frame = all;
        if (focused || FActiveDefault) {
            FrameRect(faceDC, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            InflateRect(&frame, -1, -1);
        }
        UINT kind = DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u) | (Enabled() ? 0u : DFCS_INACTIVE);
        DrawFrameControl(faceDC, &frame, DFC_BUTTON, kind);
    }
    DrawGlyph();
    DrawCaption(nullptr);
    if (focused && FShowFocus && !Caption().empty()) {
        TacRect rect = CaptionRect();
        RECT focus{rect.Left - FFocusMargin, rect.Top - FFocusMargin, rect.Right + FFocusMargin,
                   rect.Bottom + FFocusMargin};
        DrawFocusRect(faceDC, &focus);
    }
    BitBlt(dc, 0, 0, w, h, faceDC, 0, 0, SRCCOPY);
    // The cache now holds the system look; a skin arriving later paints afresh.
    FSkinData->CacheStale = true;
}

// --- Messages ---------------------------------------------------------------------------

bool TsButton::HandleSkinCommand(TMessage& message) {
    switch (SkinCommandCode(message.WParam)) {
    case scNewSkin:
        StopStateFade();
        if (reinterpret_cast<TsSkinManager*>(message.LParam) == FSkinData->SkinManager())
            FRegionDirty = true;
        FSkinData->HandleCommonMessage(message);
        RepaintNow();
        return true;
    case scRemoveSkin:
        StopStateFade();
        FSkinData->HandleCommonMessage(message);
        FSkinData->InUpdate = false;
        if (HandleAllocated())
            SetWindowRgn(HandleIfAllocated(), nullptr, TRUE);
        FSkinData->CacheStale = true;
        Invalidate();
        return true;
    case scRefresh:
        StopStateFade();
        if (HandleAllocated())
            SetWindowRgn(HandleIfAllocated(), nullptr, FALSE);
        FSkinData->HandleCommonMessage(message);
        FRegionDirty = true;
        if ((FSkinData->StateFlags & sfPrinting) == 0)
            RepaintNow();
        return true;
    case scIsSkinned:
        message.Result = 1;
        return true;
    case scFadeFinished:
        StopStateFade();
        // The last frame was the face the fade aimed at; anything that changed meanwhile
        // (focus, a region to cut) shows now.
        if (FPaintedState != CurrentState() || FPaintedFocus != IsFocused())
            RepaintNow();
        else if (FRegionDirty && HandleAllocated())
            InvalidateRect(HandleIfAllocated(), nullptr, FALSE); // the face in the cache is right
        return true;
    case scFadeRenderFace:
        if (Skinned())
            PaintFace();
        return true;
    case scFadeFrame:
        if (HandleAllocated())
            SetWindowRgn(HandleIfAllocated(), nullptr, FALSE);
        return true;
    case scQueryApplication:
        message.Result = reinterpret_cast<LRESULT>(Application);
        return true;
    case scEndBlocked:
        if (Skinned())
            RepaintNow();
        return true;
    case scSetPaintImmediately:
        if (Skinned() && FSkinData->PaintImmediately)
            PaintFace();
        return FSkinData->HandleCommonMessage(message);
    default:
        return FSkinData->HandleCommonMessage(message);
    }
}

// A split button opens its menu from the strip at its right edge; no click follows.
bool TsButton::DropMenu(const TMessage& message) {
    if (FStyle != TsButtonStyle::bsSplitButton || FDropDownMenu == nullptr)
        return false;
    if (GET_X_LPARAM(message.LParam) < Width() - SplitStripWidth)
        return false;
    FMenuDropped = true;
    FSkinData->RequestRepaint(true);
    POINT corner = ClientToScreen(POINT{0, Height()});
    FDropDownMenu->Popup(corner.x, corner.y);
    FMenuDropped = false;
    RepaintNow();
    return true;
}

void TsButton::WndProc(TMessage& message) {
    // An owner-drawn system button answers a double click with a notification only; the
    // second click of a quick pair must press and click like the first.
    if (message.Msg == WM_LBUTTONDBLCLK)
        message.Msg = WM_LBUTTONDOWN;
    switch (message.Msg) {
    case SkinCommandMessage:
        if (HandleSkinCommand(message))
            return;
        break;
    case WM_PAINT:
        if (Skinned() && HandleAllocated()) {
            if (message.WParam != 0) {
                PaintToDC(reinterpret_cast<HDC>(message.WParam));
            } else {
                PAINTSTRUCT paint{};
                HDC dc = BeginPaint(HandleIfAllocated(), &paint);
                PaintToDC(dc);
                EndPaint(HandleIfAllocated(), &paint);
            }
            return;
        }
        break;
    case WM_PRINT:
    case WM_PRINTCLIENT:
        if (Skinned()) {
            PaintToDC(reinterpret_cast<HDC>(message.WParam));
            return;
        }
        break;
    case WM_ERASEBKGND:
        if (Skinned()) {
            message.Result = 1;
            return;
        }
        break;
    case CN_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
        if (item != nullptr) {
            if (Skinned())
                PaintToDC(item->hDC);
            else
                DrawUnskinned(item->hDC);
        }
        message.Result = TRUE;
        return;
    }
    case BM_SETSTYLE: {
        // The default-button notification: remember the role, keep the owner drawing.
        const bool activeDefault = (message.WParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        message.WParam = BS_OWNERDRAW;
        TButton::WndProc(message);
        if (activeDefault != FActiveDefault) {
            FActiveDefault = activeDefault;
            RepaintNow();
        }
        return;
    }
    case BCM_SETIMAGELIST:
        // The glyph comes from the image list itself; the system's copy is not shown.
        message.Result = TRUE;
        RepaintNow();
        return;
    case WM_ENABLE:
        message.Result = 0;
        return;
    case WM_LBUTTONDOWN:
        if (DropMenu(message))
            return;
        if (Skinned() && Enabled() && !HasState(csDesigning)) {
            FSkinData->SetInUpdate(false);
            FMouseClicked = true;
            if (!FDown)
                FRegionDirty = true;
            FPendingEvent = aeMouseDown;
            TButton::WndProc(message);
            FPendingEvent = 0;
            if (!AnimateState(aeMouseDown) && !FadeRunning(FStateFade))
                RepaintNow();
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (!FMouseClicked) {
            TButton::WndProc(message);
            return;
        }
        FMouseClicked = false;
        if (FadeRunning(FStateFade)) {
            // The press fade is cut short: its target, the pressed face, is in the cache.
            StopStateFade();
            ShowPressedNow();
        }
        FRegionDirty = true;
        FPendingEvent = aeMouseUp;
        TButton::WndProc(message);
        FPendingEvent = 0;
        if (!AnimateState(aeMouseUp) && !FadeRunning(FStateFade))
            RepaintNow();
        return;
    case WM_KEYUP:
    case WM_CHAR:
        if (message.WParam == VK_SPACE) {
            StopStateFade();
            TButton::WndProc(message);
            FRegionDirty = true;
            FSkinData->CacheStale = true;
            RepaintNow();
            return;
        }
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
        const bool entering = message.Msg == CM_MOUSEENTER;
        if (!Enabled() || HasState(csDesigning))
            break;
        FSkinData->HandleCommonMessage(message);
        // Unskinned the hovered flag is ours to keep: the themed look has a hot part too.
        FSkinData->Hovered = entering;
        TButton::WndProc(message);
        if (!AnimateState(entering ? aeMouseEnter : aeMouseLeave)) {
            FSkinData->CacheStale = true;
            RepaintNow();
        }
        return;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        const bool gained = message.Msg == WM_SETFOCUS;
        // The cache keeps the face it was painted with (the painted state says which),
        // so that a click's fade can start from it.
        const bool stale = FSkinData->CacheStale;
        FSkinData->HandleCommonMessage(message);
        TButton::WndProc(message);
        if (!gained) {
            StopStateFade();
            FSkinData->HasFocus = false;
            FRegionDirty = true;
        }
        // Focus that comes with a click shows with the click's fade; a running fade
        // carries on and the focus shows when it ends.
        if (gained && (FPendingEvent != 0 || FadeRunning(FStateFade))) {
            FSkinData->CacheStale = stale;
            return;
        }
        FSkinData->CacheStale = true;
        RepaintNow();
        return;
    }
    case WM_SIZE:
        FRegionDirty = true;
        FSkinData->HideGlow();
        break;
    case WM_MOVE:
        FRegionDirty = true;
        FSkinData->CacheStale = true;
        break;
    case CM_ENABLEDCHANGED:
        if (!Enabled())
            StopStateFade();
        FSkinData->HandleCommonMessage(message);
        TButton::WndProc(message);
        if (HandleAllocated())
            EnableWindow(HandleIfAllocated(), Enabled() ? TRUE : FALSE);
        RepaintNow();
        return;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        TButton::WndProc(message);
        RepaintNow();
        return;
    case CM_VISIBLECHANGED:
        FSkinData->HandleCommonMessage(message);
        TButton::WndProc(message);
        FSkinData->CacheStale = true;
        RepaintNow();
        return;
    default:
        break;
    }
    if (FSkinData->HandleCommonMessage(message))
        return;
    TButton::WndProc(message);
}

// --- Registration ------------------------------------------------------------------

namespace {

TsCommonData& ButtonSkinData(TsButton& button) {
    return button.SkinData();
}

void RegisterMargin(const char* name, int TsImageMargins::*field) {
    RegisterProperty<TsButton>(std::string("ImageMargins.") + name,
                               [field](TsButton& b, const TPropValue& v, TReadContext&) {
                                   TsImageMargins margins = b.ImageMargins();
                                   margins.*field = AsInt(v);
                                   b.SetImageMargins(margins);
                               });
}

} // namespace

void RegisterSkinButtonClasses() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterFormClasses();
    RegisterSpeedButtonClasses();
    using B = TsButton;
    using Ctx = TReadContext;
    using Val = TPropValue;
    RegisterComponentClass<TsButton>();
    RegisterSkinDataProperties<B>(&ButtonSkinData);
    RegisterProperty<B>("AnimatEvents", [](B& b, const Val& v, Ctx&) {
        b.SetAnimatEvents(AsSetOf<unsigned>(v, {{"aeMouseEnter", aeMouseEnter},
                                                {"aeMouseLeave", aeMouseLeave},
                                                {"aeMouseDown", aeMouseDown},
                                                {"aeMouseUp", aeMouseUp},
                                                {"aeGlobalDef", aeGlobalDef}}));
    });
    RegisterProperty<B>("ShowFocus", [](B& b, const Val& v, Ctx&) { b.SetShowFocus(AsBoolean(v)); });
    RegisterProperty<B>("FocusMargin", [](B& b, const Val& v, Ctx&) { b.SetFocusMargin(AsInt(v)); });
    RegisterProperty<B>("DisabledKind", [](B& b, const Val& v, Ctx&) {
        b.SetDisabledKind(AsSetOf<unsigned>(v, {{"dkBlended", dkBlended}, {"dkGrayed", dkGrayed}}));
    });
    RegisterProperty<B>("Down", [](B& b, const Val& v, Ctx&) { b.SetDown(AsBoolean(v)); });
    RegisterProperty<B>("CommandLinkHint", [](B& b, const Val& v, Ctx&) { b.SetCommandLinkHint(AsString(v)); });
    RegisterReferenceProperty<B, TPopupMenu>("DropDownMenu", &B::SetDropDownMenu);
    RegisterProperty<B>("HotImageIndex", [](B& b, const Val& v, Ctx&) { b.SetHotImageIndex(AsInt(v)); });
    RegisterProperty<B>("PressedImageIndex", [](B& b, const Val& v, Ctx&) { b.SetPressedImageIndex(AsInt(v)); });
    RegisterProperty<B>("SelectedImageIndex", [](B& b, const Val& v, Ctx&) { b.SetSelectedImageIndex(AsInt(v)); });
    RegisterProperty<B>("DisabledImageIndex", [](B& b, const Val& v, Ctx&) { b.SetDisabledImageIndex(AsInt(v)); });
    RegisterProperty<B>("ImageAlignment", [](B& b, const Val& v, Ctx&) {
        b.SetImageAlignment(AsEnum<TImageAlignment>(v, {{"iaLeft", TImageAlignment::iaLeft},
                                                        {"iaRight", TImageAlignment::iaRight},
                                                        {"iaTop", TImageAlignment::iaTop},
                                                        {"iaBottom", TImageAlignment::iaBottom},
                                                        {"iaCenter", TImageAlignment::iaCenter}}));
    });
    RegisterMargin("Left", &TsImageMargins::Left);
    RegisterMargin("Top", &TsImageMargins::Top);
    RegisterMargin("Right", &TsImageMargins::Right);
    RegisterMargin("Bottom", &TsImageMargins::Bottom);
    RegisterProperty<B>("ContentMargin", [](B& b, const Val& v, Ctx&) { b.SetContentMargin(AsInt(v)); });
    RegisterProperty<B>("Style", [](B& b, const Val& v, Ctx&) {
        b.SetStyle(AsEnum<TsButtonStyle>(v, {{"bsPushButton", TsButtonStyle::bsPushButton},
                                             {"bsCommandLink", TsButtonStyle::bsCommandLink},
                                             {"bsSplitButton", TsButtonStyle::bsSplitButton}}));
    });
    RegisterProperty<B>("Reflected", [](B& b, const Val& v, Ctx&) { b.SetReflected(AsBoolean(v)); });
    RegisterProperty<B>("WordWrap", [](B& b, const Val& v, Ctx&) { b.SetWordWrap(AsBoolean(v)); });
}

} // namespace sj
