// Skinned scroll bars of adapted windows: layout, painting, hit testing, hover, arrows
// with repeat, track clicks and thumb drags.
#include "skin/controls/acSBUtils.h"

#include "skin/controls/acSBUtilsInternal.h"

#include <windowsx.h>

namespace sj {

using namespace adapter_detail;

namespace {

TacScrollInteraction& Interaction() {
    static TacScrollInteraction state;
    return state;
}

// The system's scroll-arrow width, read once: the glyph strip of every arrow.
int SystemArrow() {
    static const int arrow = ::GetSystemMetrics(SM_CXHSCROLL);
    return arrow;
}

TacRect ToTacRect(const RECT& r) {
    return TacRect{r.left, r.top, r.right, r.bottom};
}
RECT ToRect(const TacRect& r) {
    return RECT{r.Left, r.Top, r.Right, r.Bottom};
}

int LengthOf(const TacScrollBar& bar, const RECT& r) {
    return bar.Kind == sbKindHorz ? r.right - r.left : r.bottom - r.top;
}
// Distance of a screen point from the bar's first pixel, and whether it lies across
// the bar's thickness.
int AlongOf(const TacScrollBar& bar, const RECT& r, POINT p) {
    return bar.Kind == sbKindHorz ? p.x - r.left : p.y - r.top;
}
bool AcrossInside(const TacScrollBar& bar, const RECT& r, POINT p) {
    return bar.Kind == sbKindHorz ? p.y >= r.top && p.y < r.bottom : p.x >= r.left && p.x < r.right;
}

// The area [from, to) along the bar inside a bitmap of the bar's size.
TacRect AlongArea(const TacScrollBar& bar, int width, int height, int from, int to) {
    return bar.Kind == sbKindHorz ? TacRect{from, 0, to, height} : TacRect{0, from, width, to};
}

struct TBarSections {
    std::int32_t Track1, Track2, Track1Borders, Track2Borders, Track1Pattern, Track2Pattern, Track1Hot, Track2Hot;
    std::int32_t Arrow1, Arrow2, Arrow1Borders, Arrow2Borders, Arrow1Pattern, Arrow2Pattern, Arrow1Hot, Arrow2Hot;
    std::int32_t Arrow1Glyph, Arrow2Glyph;
    std::int32_t Slider, SliderBorders, SliderPattern, SliderHot, SliderGlyph;
};

TBarSections SectionsOf(const TsStdIndexes& x, int kind) {
    if (kind == sbKindHorz)
        return TBarSections{x.ScrollBar1HSection,      x.ScrollBar2HSection,      x.ScrollBar1HBorders,
                            x.ScrollBar2HBorders,      x.ScrollBar1HPattern,      x.ScrollBar2HPattern,
                            x.ScrollBar1HHotPattern,   x.ScrollBar2HHotPattern,   x.ScrollBtnLeftSection,
                            x.ScrollBtnRightSection,   x.ScrollBtnLeftBorders,    x.ScrollBtnRightBorders,
                            x.ScrollBtnLeftPattern,    x.ScrollBtnRightPattern,   x.ScrollBtnLeftHotPattern,
                            x.ScrollBtnRightHotPattern, x.ScrollBtnLeftGlyph,     x.ScrollBtnRightGlyph,
                            x.SliderHorzSection,       x.SliderHorzBorders,       x.SliderHorzPattern,
                            x.SliderHorzHotPattern,    x.SliderHorzGlyph};
    return TBarSections{x.ScrollBar1VSection,      x.ScrollBar2VSection,     x.ScrollBar1VBorders,
                        x.ScrollBar2VBorders,      x.ScrollBar1VPattern,     x.ScrollBar2VPattern,
                        x.ScrollBar1VHotPattern,   x.ScrollBar2VHotPattern,  x.ScrollBtnTopSection,
                        x.ScrollBtnBottomSection,  x.ScrollBtnTopBorders,    x.ScrollBtnBottomBorders,
                        x.ScrollBtnTopPattern,     x.ScrollBtnBottomPattern, x.ScrollBtnTopHotPattern,
                        x.ScrollBtnBottomHotPattern, x.ScrollBtnTopGlyph,    x.ScrollBtnBottomGlyph,
                        x.SliderVertSection,       x.SliderVertBorders,      x.SliderVertPattern,
                        x.SliderVertHotPattern,    x.SliderVertGlyph};
}

std::string SectionName(const TsSkinModel& model, std::int32_t index) {
    return model.HasSection(index) ? model.GeneralData[static_cast<std::size_t>(index)].SectionName : std::string();
}

void PaintPiece(TacPixelsView target, const TacRect& rect, const TsSkinModel& model, std::int32_t section,
                std::int32_t borders, std::int32_t pattern, std::int32_t hotPattern, int state,
                const TBackdropRef& backdrop, int offsetX, int offsetY) {
    if (rect.Empty() || !model.HasSection(section))
        return;
    PaintSectionFaceWithItems(target, rect, &model, section, SectionName(model, section), borders, state, true,
                              backdrop, offsetX, offsetY, pattern, hotPattern);
}

// The glyph item's frame centred (integer division) in area.
void DrawCentredGlyph(TacPixelsView target, const TacRect& area, const TsSkinModel& model, std::int32_t glyph,
                      int state) {
    if (!model.HasImage(glyph))
        return;
    const TsMaskData& item = model.Masks[static_cast<std::size_t>(glyph)];
    const int x = area.Left + (area.Width() - FrameWidth(item)) / 2;
    const int y = area.Top + (area.Height() - FrameHeight(item)) / 2;
    DrawStateImage(target, x, y, state, BitmapBackdrop(target, 0, 0), item, simNormal);
}

// The pixels of a square mirrored left to right (the size grip of a left-side bar).
void MirrorRows(TacPixelsView pixels) {
    for (int y = 0; y < pixels.Height; ++y) {
        TPixel32* row = pixels.Bits + static_cast<std::ptrdiff_t>(y) * pixels.Stride;
        std::reverse(row, row + pixels.Width);
    }
}

} // namespace

const TacScrollInteraction& ScrollInteraction() {
    return Interaction();
}

// --- Construction -------------------------------------------------------------------

TacScrollWnd::TacScrollWnd(TWinControl& control, TsSkinManager* manager, TsCommonData& skinData)
    : TacMainWnd(control, manager, skinData) {
    vert_.Kind = sbKindVert;
}

TacScrollWnd::TacScrollWnd(HWND window, const std::string& section, TsSkinManager* manager, TsCommonData* skinData)
    : TacMainWnd(window, section, manager, skinData) {
    vert_.Kind = sbKindVert;
}

TacScrollWnd::~TacScrollWnd() {
    Unhook();
}

void TacScrollWnd::AfterHook() {
    const LONG style = ::GetWindowLongA(Handle(), GWL_STYLE);
    horz_.StyleFlags = (style & WS_HSCROLL) != 0 ? 8 : 0;
    vert_.StyleFlags = (style & WS_VSCROLL) != 0 ? 8 : 0;
    vertAtLeft_ = (::GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
    ReadInfo(horz_);
    ReadInfo(vert_);
    ResetFrame();
}

void TacScrollWnd::RestoreHook() {
    if (Interaction().TrackedWindow == Handle())
        EndInteraction();
    horz_.Shown = vert_.Shown = false;
    // The system's own bars come back with a fresh layout, unless the window is going.
    if (!closing_)
        ResetFrame();
}

void TacScrollWnd::ResetFrame() {
    if (!::IsWindow(Handle()))
        return;
    // Only a window with bars has a layout of its own to make or give back; the frame of
    // any other is what the system laid out already.
    if ((::GetWindowLongA(Handle(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) != 0)
        ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    else
        edges_ = MeasuredEdges();
}

TacEdges TacScrollWnd::MeasuredEdges() const {
    RECT window{}, client{};
    ::GetWindowRect(Handle(), &window);
    ::GetClientRect(Handle(), &client);
    ::MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    return TacEdges{std::max<int>(0, client.left - window.left), std::max<int>(0, client.top - window.top),
                    std::max<int>(0, window.right - client.right), std::max<int>(0, window.bottom - client.bottom)};
}

// --- Measures -------------------------------------------------------------------------

int TacScrollWnd::BarThicknessOf(const TacScrollBar& bar) const {
    if (bar.Kind == sbKindHorz)
        return BarThickness(bar.ThicknessSetting, ::GetSystemMetrics(SM_CYHSCROLL));
    if (bar.Kind == sbKindVert)
        return BarThickness(bar.ThicknessSetting, ::GetSystemMetrics(SM_CXVSCROLL));
    return 0;
}

int TacScrollWnd::ArrowLengthOf(const TacScrollBar& bar) const {
    TacArrowSkin skin;
    const TsSkinModel* model = SkinData().Model();
    if (model != nullptr) {
        const std::int32_t left = model->StdIndexes.ScrollBtnLeftSection;
        if (model->HasSection(left) && model->GeneralData[static_cast<std::size_t>(left)].ReservedBoolean) {
            skin.OwnSize = true;
            const std::int32_t borders =
                bar.Kind == sbKindHorz ? model->StdIndexes.ScrollBtnLeftBorders : model->StdIndexes.ScrollBtnTopBorders;
            if (model->HasImage(borders)) {
                const TsMaskData& item = model->Masks[static_cast<std::size_t>(borders)];
                skin.FrameLength = bar.Kind == sbKindHorz ? FrameWidth(item) : FrameHeight(item);
            }
        }
    }
    return ArrowLength(bar.ArrowLengthSetting, SystemArrow(), skin);
}

TacBarRects TacScrollWnd::BarRects() const {
    RECT w{};
    ::GetWindowRect(Handle(), &w);
    return ScrollBarRects(ToTacRect(w), edges_, BarThicknessOf(horz_), horz_.Shown, BarThicknessOf(vert_), vert_.Shown,
                          vertAtLeft_);
}

RECT TacScrollWnd::HorzBarRect() const {
    return ToRect(BarRects().Horz);
}

RECT TacScrollWnd::VertBarRect() const {
    return ToRect(BarRects().Vert);
}

bool TacScrollWnd::BarEnabled(const TacScrollBar& bar) const {
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    if (::GetScrollBarInfo(Handle(), bar.Kind == sbKindHorz ? OBJID_HSCROLL : OBJID_VSCROLL, &info)) {
        // Some systems mark only the two arrows of a disabled bar.
        const bool arrowsOff =
            (info.rgstate[1] & STATE_SYSTEM_UNAVAILABLE) != 0 && (info.rgstate[5] & STATE_SYSTEM_UNAVAILABLE) != 0;
        return (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) == 0 && !arrowsOff;
    }
    return (::GetWindowLongA(Handle(), GWL_STYLE) & (bar.Kind == sbKindHorz ? WS_HSCROLL : WS_VSCROLL)) != 0;
}

TacThumb TacScrollWnd::ThumbOf(const TacScrollBar& bar, const RECT& rect) const {
    return ThumbGeometry(bar.Info, ArrowLengthOf(bar), LengthOf(bar, rect), bar.MinThumbSize);
}

int TacScrollWnd::PartAt(const TacScrollBar& bar, const RECT& rect, POINT screen) const {
    return sj::PartAt(bar.Info, ArrowLengthOf(bar), LengthOf(bar, rect), bar.MinThumbSize, AlongOf(bar, rect, screen),
                      AcrossInside(bar, rect, screen));
}

bool TacScrollWnd::SitsInParentCorner() const {
    HWND parent = ::GetParent(Handle());
    if (parent == nullptr || (::GetWindowLongA(Handle(), GWL_STYLE) & WS_CHILD) == 0)
        return true;
    if ((::GetWindowLongA(parent, GWL_STYLE) & WS_CHILD) != 0)
        return false;
    RECT client{};
    ::GetClientRect(parent, &client);
    ::MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return sj::SitsInParentCorner(BarRects(), edges_, vertAtLeft_, ToTacRect(client));
}

void TacScrollWnd::ReadInfo(TacScrollBar& bar) const {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!::GetScrollInfo(Handle(), bar.Kind == sbKindHorz ? SB_HORZ : SB_VERT, &info))
        info = SCROLLINFO{};
    bar.Info = TacScrollRange{info.nMin, info.nMax, info.nPage, info.nPos, info.nTrackPos};
}

RECT TacScrollWnd::ToWindow(const RECT& screen) const {
    RECT w{};
    ::GetWindowRect(Handle(), &w);
    return RECT{screen.left - w.left, screen.top - w.top, screen.right - w.left, screen.bottom - w.top};
}

// --- Layout ---------------------------------------------------------------------------

void TacScrollWnd::Layout(TMessage& message, const TacWndNext& next) {
    auto* rects = reinterpret_cast<RECT*>(message.LParam);
    const RECT window = rects[0];
    const LONG style = ::GetWindowLongA(Handle(), GWL_STYLE);
    const LONG bars = style & (WS_HSCROLL | WS_VSCROLL);
    if (bars != 0) {
        // The system lays the window out as if it had no bars; their space is ours.
        styleChangeBlocked_ = true;
        ::SetWindowLongA(Handle(), GWL_STYLE, style & ~bars);
        next(message);
        ::SetWindowLongA(Handle(), GWL_STYLE, style);
        styleChangeBlocked_ = false;
    } else {
        next(message);
    }
    horz_.StyleFlags = (style & WS_HSCROLL) != 0 ? 8 : 0;
    vert_.StyleFlags = (style & WS_VSCROLL) != 0 ? 8 : 0;
    const TacScrollLayout layout = LayoutScrollBars(ToTacRect(window), ToTacRect(rects[0]), horz_.StyleFlags != 0,
                                                    vert_.StyleFlags != 0, BarThicknessOf(horz_),
                                                    BarThicknessOf(vert_), vertAtLeft_);
    edges_ = layout.Edges;
    horz_.Shown = layout.HorzShown;
    vert_.Shown = layout.VertShown;
    rects[0] = ToRect(layout.Client);
}

// --- Painting -------------------------------------------------------------------------

TBackdropRef TacScrollWnd::BarBackdrop() {
    TsCommonData& data = SkinData();
    RECT w{};
    ::GetWindowRect(Handle(), &w);
    if (data.CacheBitmap && !data.CacheStale && data.CacheBitmap->Width() == w.right - w.left &&
        data.CacheBitmap->Height() == w.bottom - w.top)
        return BitmapBackdrop(data.CacheBitmap->Pixels(), 0, 0);
    if (const TsGenState* props = StateProps(data, 0))
        return ColorBackdrop(PaintColorToRGB(static_cast<std::uint32_t>(props->Color)));
    return ColorBackdrop(static_cast<std::uint32_t>(::GetSysColor(COLOR_WINDOW)));
}

void TacScrollWnd::PaintScrollBars(HDC dc) {
    TsCommonData& data = SkinData();
    if (!Skinned() || data.RepaintBlocked() || !::IsWindow(Handle()))
        return;
    if (HasControl() && ((Control().ControlState() & csCreating) != 0 || (!::IsWindowVisible(Handle()) && !Control().Showing())))
        return;
    if (data.CacheStale)
        ::SendMessageA(Handle(), SkinCommandMessage, SkinCommand(scRenderFace), 0);
    const bool own = dc == nullptr;
    if (own)
        dc = ::GetWindowDC(Handle());
    if (dc == nullptr)
        return;
    const TacScrollInteraction& state = Interaction();
    if (horz_.Shown)
        PaintBar(horz_, ToWindow(HorzBarRect()), state.PressBarKind == sbKindHorz ? state.PressedLookPart : spNoPart,
                 dc);
    if (vert_.Shown)
        PaintBar(vert_, ToWindow(VertBarRect()), state.PressBarKind == sbKindVert ? state.PressedLookPart : spNoPart,
                 dc);
    if (horz_.Shown && vert_.Shown)
        PaintCorner(dc);
    if (own)
        ::ReleaseDC(Handle(), dc);
}

void TacScrollWnd::RefreshScrollBars(bool repaint) {
    ReadInfo(horz_);
    ReadInfo(vert_);
    if (repaint)
        PaintScrollBars();
}

void TacScrollWnd::InvalidateBars() {
    const TacBarRects bars = BarRects();
    POINT origin{0, 0};
    ::ClientToScreen(Handle(), &origin);
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    for (const TacRect& r : {bars.Horz, bars.Vert, bars.Corner}) {
        if (r.Empty())
            continue;
        HRGN piece = ::CreateRectRgn(r.Left - origin.x, r.Top - origin.y, r.Right - origin.x, r.Bottom - origin.y);
        ::CombineRgn(region, region, piece, RGN_OR);
        ::DeleteObject(piece);
    }
    // Only the bars' strip of the frame: one non-client paint at the next paint cycle,
    // however many changes come before it.
    ::RedrawWindow(Handle(), nullptr, region, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
    ::DeleteObject(region);
}

void TacScrollWnd::PaintCorner(HDC dc) {
    const RECT square = ToWindow(ToRect(BarRects().Corner));
    const int w = square.right - square.left;
    const int h = square.bottom - square.top;
    if (w <= 0 || h <= 0)
        return;
    auto bitmap = CreateBitmap32(w, h);
    // The frame face behind the square is only painted as a ring: the square takes the
    // section's colour.
    const TsGenState* props = StateProps(SkinData(), 0);
    const TColor color = props != nullptr ? static_cast<TColor>(PaintColorToRGB(static_cast<std::uint32_t>(props->Color)))
                                          : static_cast<TColor>(::GetSysColor(COLOR_WINDOW));
    FillPixels(bitmap->Pixels(), TacRect{0, 0, w, h}, ColorToPixelOrder(color), 0xFF);
    const TsSkinModel* model = SkinData().Model();
    if (model != nullptr && model->HasImage(model->StdIndexes.GripImage) && SitsInParentCorner()) {
        const TsMaskData& grip = model->Masks[static_cast<std::size_t>(model->StdIndexes.GripImage)];
        // The grip points to the corner it sizes: mirrored with the bar at the left.
        if (vertAtLeft_)
            MirrorRows(bitmap->Pixels());
        DrawStateImage(bitmap->Pixels(), w - FrameWidth(grip), h - FrameHeight(grip), 0,
                       BitmapBackdrop(bitmap->Pixels(), 0, 0), grip, simNormal);
        if (vertAtLeft_)
            MirrorRows(bitmap->Pixels());
    }
    ::BitBlt(dc, square.left, square.top, w, h, bitmap->Canvas().Handle(), 0, 0, SRCCOPY);
}

void TacScrollWnd::PaintArrow(TBitmap& barBitmap, const TacScrollBar& bar, const TacRect& area, bool first, int state,
                              const TBackdropRef& barBackdrop) {
    const TsSkinModel& model = *SkinData().Model();
    const TBarSections s = SectionsOf(model.StdIndexes, bar.Kind);
    if (area.Empty())
        return;
    auto button = CreateBitmap32(area.Width(), area.Height());
    const TacRect whole{0, 0, area.Width(), area.Height()};
    CopyPixels(button->Pixels(), 0, 0, barBackdrop.Bitmap, area);
    PaintPiece(button->Pixels(), whole, model, first ? s.Arrow1 : s.Arrow2, first ? s.Arrow1Borders : s.Arrow2Borders,
               first ? s.Arrow1Pattern : s.Arrow2Pattern, first ? s.Arrow1Hot : s.Arrow2Hot, state,
               BitmapBackdrop(barBackdrop.Bitmap, area.Left, area.Top), 0, 0);
    // The glyph sits in the outer strip of one system arrow's length.
    const int strip = std::min(SystemArrow(), bar.Kind == sbKindHorz ? whole.Width() : whole.Height());
    TacRect glyphArea = whole;
    if (bar.Kind == sbKindHorz) {
        if (first)
            glyphArea.Right = strip;
        else
            glyphArea.Left = whole.Right - strip;
    } else {
        if (first)
            glyphArea.Bottom = strip;
        else
            glyphArea.Top = whole.Bottom - strip;
    }
    DrawCentredGlyph(button->Pixels(), glyphArea, model, first ? s.Arrow1Glyph : s.Arrow2Glyph, state);
    CopyPixels(barBitmap.Pixels(), area.Left, area.Top, button->Pixels(), whole);
}

void TacScrollWnd::PaintThumb(TBitmap& barBitmap, const TacScrollBar& bar, const TacRect& area, int state) {
    const TsSkinModel& model = *SkinData().Model();
    const TBarSections s = SectionsOf(model.StdIndexes, bar.Kind);
    if (area.Empty())
        return;
    auto thumb = CreateBitmap32(area.Width(), area.Height());
    const TacRect whole{0, 0, area.Width(), area.Height()};
    CopyPixels(thumb->Pixels(), 0, 0, barBitmap.Pixels(), area);
    PaintPiece(thumb->Pixels(), whole, model, s.Slider, s.SliderBorders, s.SliderPattern, s.SliderHot, state,
               BitmapBackdrop(barBitmap.Pixels(), area.Left, area.Top), 0, 0);
    DrawCentredGlyph(thumb->Pixels(), whole, model, s.SliderGlyph, state);
    CopyPixels(barBitmap.Pixels(), area.Left, area.Top, thumb->Pixels(), whole);
}

void TacScrollWnd::PaintBar(TacScrollBar& bar, const RECT& r, int pressedLook, HDC dc) {
    const TsSkinModel* model = SkinData().Model();
    if (!bar.Shown || model == nullptr)
        return;
    const TBarSections s = SectionsOf(model->StdIndexes, bar.Kind);
    const int length = LengthOf(bar, r);
    if (!model->HasSection(s.Track1) || length < 2)
        return;
    const TacScrollInteraction& state = Interaction();
    ReadInfo(bar);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    const bool tracked = state.TrackedWindow == Handle();
    if (!tracked)
        pressedLook = spNoPart;
    const bool enabled = BarEnabled(bar) && (!HasControl() || Control().Enabled());
    const int hover = tracked && enabled && state.HoverBarKind == bar.Kind ? state.HoverPart : spNoPart;
    const int arrow = ArrowLengthOf(bar);
    const int a = UsedArrowLength(arrow, length);
    TacThumb thumb = ThumbGeometry(bar.Info, arrow, length, bar.MinThumbSize);
    // The drag shows where the pointer holds the thumb, not where the window's position puts it.
    const bool dragging = draggingThumb_ && state.PressBarKind == bar.Kind && tracked;
    if (dragging) {
        thumb.Size = state.TrackThumbSize;
        thumb.Start = state.TrackThumbPos;
        thumb.Shown = true;
    }
    auto bitmap = CreateBitmap32(w, h);
    TacPixelsView pixels = bitmap->Pixels();
    const TBackdropRef backdrop = BarBackdrop();
    CopyBackdrop(pixels, TacRect{0, 0, w, h}, backdrop, r.left, r.top);
    const int split = thumb.Shown ? thumb.Start + thumb.Size / 2 : length / 2;
    const int track1State = pressedLook == spTrackBefore ? 2 : 0;
    const int track2State = pressedLook == spTrackAfter ? 2 : 0;
    PaintPiece(pixels, AlongArea(bar, w, h, 0, split), *model, s.Track1, s.Track1Borders, s.Track1Pattern, s.Track1Hot,
               track1State, backdrop, r.left, r.top);
    const TacRect after = AlongArea(bar, w, h, split, length);
    PaintPiece(pixels, after, *model, s.Track2, s.Track2Borders, s.Track2Pattern, s.Track2Hot, track2State, backdrop,
               r.left + after.Left, r.top + after.Top);
    const auto arrowState = [&](int part) { return pressedLook == part ? 2 : (hover == part ? 1 : 0); };
    const TBackdropRef self = BitmapBackdrop(pixels, 0, 0);
    PaintArrow(*bitmap, bar, AlongArea(bar, w, h, 0, a), true, arrowState(spFirstArrow), self);
    PaintArrow(*bitmap, bar, AlongArea(bar, w, h, length - a, length), false, arrowState(spSecondArrow), self);
    if (enabled && thumb.Shown) {
        const int thumbState = dragging ? 2 : (hover == spThumb ? 1 : 0);
        PaintThumb(*bitmap, bar, AlongArea(bar, w, h, thumb.Start, thumb.Start + thumb.Size), thumbState);
    }
    if (!enabled) {
        if (backdrop.HasBitmap())
            BlendSkippingKey(pixels, 0, 0, backdrop.Bitmap,
                             TacRect{r.left + backdrop.OffsetX, r.top + backdrop.OffsetY, r.right + backdrop.OffsetX,
                                     r.bottom + backdrop.OffsetY},
                             0.4);
        else
            BlendColorSoft(pixels, TacRect{0, 0, w + 1, h + 1}, 60, 0, 0, static_cast<TColor>(backdrop.Color));
    }
    const bool own = dc == nullptr;
    if (own)
        dc = ::GetWindowDC(Handle());
    if (dc == nullptr)
        return;
    ::BitBlt(dc, r.left, r.top, w, h, bitmap->Canvas().Handle(), 0, 0, SRCCOPY);
    if (own)
        ::ReleaseDC(Handle(), dc);
}

// --- Input ------------------------------------------------------------------------------

void TacScrollWnd::HitTest(TMessage& message, const TacWndNext& next) {
    TacHitInput input;
    input.Bars = BarRects();
    input.HorzShown = horz_.Shown;
    input.VertShown = vert_.Shown;
    input.HorzEnabled = horz_.Shown && BarEnabled(horz_);
    input.VertEnabled = vert_.Shown && BarEnabled(vert_);
    input.VertAtLeft = vertAtLeft_;
    const POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    const TacRect& corner = input.Bars.Corner;
    input.InParentCorner = !corner.Empty() && p.x >= corner.Left && p.x < corner.Right && p.y >= corner.Top &&
                           p.y < corner.Bottom && SitsInParentCorner();
    const int code = ScrollHitTest(input, p.x, p.y);
    if (code == htPassOn) {
        next(message);
        return;
    }
    message.Result = code;
}

void TacScrollWnd::Hover(int hitCode) {
    TacScrollInteraction& state = Interaction();
    state.TrackedWindow = Handle();
    if (hitCode != htHScroll && hitCode != htVScroll)
        return;
    const int kind = hitCode == htHScroll ? sbKindHorz : sbKindVert;
    if (state.HoverBarKind == kind)
        return;
    state.HoverPart = state.LastHoverPart = spNoPart;
    state.HoverRect = RectOfKind(kind);
    state.HoverBarKind = kind;
    state.HoverTimer = ::SetTimer(Handle(), TacScrollRepeat::HoverTimer, TacScrollRepeat::HoverDelay, nullptr);
    PaintScrollBars();
}

void TacScrollWnd::HoverTick() {
    TacScrollInteraction& state = Interaction();
    if (draggingThumb_)
        return;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    if (state.HoverBarKind >= 0 && ::PtInRect(&state.HoverRect, cursor) && state.TrackedWindow == Handle()) {
        TacScrollBar& bar = BarOfKind(state.HoverBarKind);
        state.HoverPart = PartAt(bar, state.HoverRect, cursor);
        if (state.HoverPart != state.LastHoverPart)
            PaintBar(bar, ToWindow(state.HoverRect), state.PressBarKind == bar.Kind ? state.PressedLookPart : spNoPart);
        state.LastHoverPart = state.HoverPart;
        return;
    }
    ::KillTimer(Handle(), TacScrollRepeat::HoverTimer);
    state.HoverTimer = 0;
    state.HoverBarKind = state.LastHoverPart = state.HoverPart = spNoPart;
    PaintScrollBars();
}

void TacScrollWnd::Press(TMessage& message, const TacWndNext& next) {
    TacScrollInteraction& state = Interaction();
    const int kind = message.WParam == HTHSCROLL ? sbKindHorz : sbKindVert;
    TacScrollBar& bar = BarOfKind(kind);
    ReadInfo(bar);
    const RECT rect = RectOfKind(kind);
    const POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    const int part = PartAt(bar, rect, p);
    if (part == spNoPart || !BarEnabled(bar)) {
        next(message);
        return;
    }
    state.TrackedWindow = Handle();
    state.ScrollMessage = kind == sbKindHorz ? WM_HSCROLL : WM_VSCROLL;
    state.PressBarKind = kind;
    state.PressedPart = part;
    state.LastMovePart = part;
    if (part == spThumb) {
        const TacThumb thumb = ThumbOf(bar, rect);
        state.TrackThumbSize = thumb.Size;
        state.TrackThumbPos = thumb.Start;
        state.TrackRect = rect;
        draggingThumb_ = true;
        bar.Info.TrackPos = bar.Info.Pos;
        state.DragOffset = AlongOf(bar, rect, p) - thumb.Start;
        state.LastTrackPos = bar.Info.Pos;
        state.PressedLookPart = spThumb;
        // The drag paints the bar itself while it runs.
        draggingThumb_ = false;
        PaintBar(bar, ToWindow(rect), spThumb);
        draggingThumb_ = true;
    } else {
        state.PressedLookPart = part;
        PaintBar(bar, ToWindow(rect), part);
        SendScroll(state.ScrollMessage, part, 0);
        state.PressedLookPart = state.PressedPart;
        state.RepeatTimer = ::SetTimer(Handle(), TacScrollRepeat::FirstTimer, TacScrollRepeat::FirstDelay, nullptr);
        PaintBar(bar, ToWindow(RectOfKind(kind)), state.PressedLookPart);
    }
    ::SetCapture(Handle());
    message.Result = 0;
}

void TacScrollWnd::MouseMove(POINT screen) {
    TacScrollInteraction& state = Interaction();
    if (draggingThumb_) {
        Drag(screen);
        return;
    }
    TacScrollBar& bar = BarOfKind(state.PressBarKind);
    const RECT rect = RectOfKind(bar.Kind);
    const int p = PartAt(bar, rect, screen);
    state.PressedLookPart = p == state.PressedPart ? state.PressedPart : spNoPart;
    if (p != state.LastMovePart)
        PaintBar(bar, ToWindow(rect), state.PressedLookPart);
    state.LastMovePart = p;
}

void TacScrollWnd::Drag(POINT screen) {
    TacScrollInteraction& state = Interaction();
    TacScrollBar& bar = BarOfKind(state.PressBarKind);
    const RECT& track = state.TrackRect;
    const int length = LengthOf(bar, track);
    const int arrow = UsedArrowLength(ArrowLengthOf(bar), length);
    state.TrackThumbPos =
        DraggedThumbStart(AlongOf(bar, track, screen), state.DragOffset, arrow, length, state.TrackThumbSize);
    PaintBar(bar, ToWindow(RectOfKind(bar.Kind)), spThumb);
    const int position =
        DragPosition(bar.Info, state.TrackThumbPos - arrow, length - 2 * arrow - state.TrackThumbSize);
    if (position != state.LastTrackPos) {
        bar.Info.TrackPos = position;
        sendingScroll_ = true;
        SendScroll(state.ScrollMessage, SB_THUMBTRACK, position);
        sendingScroll_ = false;
    }
    state.LastTrackPos = position;
}

void TacScrollWnd::RepeatTick(UINT_PTR id) {
    TacScrollInteraction& state = Interaction();
    const TacScrollRepeat::TStep step = TacScrollRepeat::Tick(static_cast<unsigned>(id));
    if (step.Replace != 0) {
        ::KillTimer(Handle(), id);
        state.RepeatTimer = ::SetTimer(Handle(), step.Replace, step.Interval, nullptr);
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    MouseMove(cursor);
    if (step.Scrolls && state.PressedLookPart != spNoPart) {
        sendingScroll_ = true;
        SendScroll(state.ScrollMessage, state.PressedLookPart, 0);
        sendingScroll_ = false;
        // The window's own bar may have been drawn by the scroll; ours goes on top.
        if (state.PressBarKind >= 0)
            PaintBar(BarOfKind(state.PressBarKind), ToWindow(RectOfKind(state.PressBarKind)), state.PressedLookPart);
    }
}

void TacScrollWnd::Release() {
    TacScrollInteraction& state = Interaction();
    if (state.PressedPart == spNoPart || state.TrackedWindow != Handle())
        return;
    const int part = state.PressedPart;
    const int kind = state.PressBarKind;
    const UINT message = state.ScrollMessage;
    // Idle first: a capture change caused below finds nothing left to end.
    state.PressedPart = spNoPart;
    if (::GetCapture() == Handle())
        ::ReleaseCapture();
    if (part != spThumb && state.RepeatTimer != 0) {
        ::KillTimer(Handle(), state.RepeatTimer);
        state.RepeatTimer = 0;
    }
    sendingScroll_ = true;
    if (part == spThumb && draggingThumb_) {
        SendScroll(message, SB_THUMBPOSITION, state.LastTrackPos);
        draggingThumb_ = false;
    }
    SendScroll(message, SB_ENDSCROLL, part == spThumb ? state.LastTrackPos : 0);
    sendingScroll_ = false;
    state.PressedLookPart = spNoPart;
    state.PressBarKind = -1;
    state.ScrollMessage = 0;
    state.LastMovePart = spNoPart;
    TacScrollBar& bar = BarOfKind(kind);
    PaintBar(bar, ToWindow(RectOfKind(kind)), spNoPart);
}

void TacScrollWnd::EndInteraction() {
    TacScrollInteraction& state = Interaction();
    // Idle first: releasing the capture below reports back to this window.
    const TacScrollInteraction ended = state;
    state = TacScrollInteraction{};
    draggingThumb_ = false;
    sendingScroll_ = false;
    if (ended.RepeatTimer != 0)
        ::KillTimer(Handle(), ended.RepeatTimer);
    if (ended.HoverTimer != 0)
        ::KillTimer(Handle(), ended.HoverTimer);
    if (ended.PressedPart != spNoPart && ::GetCapture() == Handle())
        ::ReleaseCapture();
}

void TacScrollWnd::SendScroll(UINT message, int code, int position) {
    const LPARAM notice = MAKELPARAM(code, message);
    const bool wide = ::SendMessageA(Handle(), SkinCommandMessage, SkinCommand(scBeforeScroll), notice) == 1;
    const WPARAM wParam = static_cast<WPARAM>(code) | (static_cast<WPARAM>(std::min(std::max(position, 0), 0xFFFF)) << 16);
    if (wide) {
        ::SendMessageA(Handle(), message, wParam, static_cast<LPARAM>(position));
    } else {
        if (code == SB_THUMBTRACK) {
            SCROLLINFO info{};
            info.cbSize = sizeof info;
            info.fMask = SIF_POS;
            info.nPos = position;
            ::SetScrollInfo(Handle(), message == WM_HSCROLL ? SB_HORZ : SB_VERT, &info, FALSE);
        }
        ::SendMessageA(Handle(), message, wParam, 0);
    }
    ::SendMessageA(Handle(), SkinCommandMessage, SkinCommand(scAfterScroll), notice);
}

// --- Window procedure -------------------------------------------------------------------

void TacScrollWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == WM_DESTROY || message.Msg == WM_NCDESTROY) {
        closing_ = true;
        if (Interaction().TrackedWindow == Handle())
            EndInteraction();
        TacMainWnd::WindowProc(message, next);
        return;
    }
    if (message.Msg == WM_STYLECHANGED && styleChangeBlocked_) {
        message.Result = 0;
        return;
    }
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    TacScrollInteraction& state = Interaction();
    const bool pressHere = state.PressedPart != spNoPart && state.TrackedWindow == Handle();
    switch (message.Msg) {
    case WM_NCCALCSIZE:
        if (message.WParam != 0 || message.LParam != 0) {
            Layout(message, next);
            return;
        }
        break;
    case WM_NCPAINT:
        // The system paints its frame (and, for a window with the bar styles, its own
        // bars); ours go on top.
        TacMainWnd::WindowProc(message, next);
        if (::IsWindowVisible(Handle()) && !sendingScroll_)
            PaintScrollBars();
        return;
    case WM_NCHITTEST:
        HitTest(message, next);
        return;
    case WM_NCMOUSEMOVE:
        Hover(static_cast<int>(message.WParam));
        break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if (message.WParam == HTHSCROLL || message.WParam == HTVSCROLL) {
            Press(message, next);
            return;
        }
        break;
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONUP:
        if (message.WParam == HTHSCROLL || message.WParam == HTVSCROLL) {
            message.Result = 0;
            return;
        }
        break;
    case WM_MOUSEMOVE:
        if (pressHere) {
            // Captured moves come in client coordinates; the bars live in screen ones.
            POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
            ::ClientToScreen(Handle(), &p);
            MouseMove(p);
            message.Result = 0;
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (pressHere) {
            Release();
            message.Result = 0;
            return;
        }
        break;
    case WM_CAPTURECHANGED:
        // Another window took the pointer: the press ends as a release would end it.
        if (pressHere && reinterpret_cast<HWND>(message.LParam) != Handle())
            Release();
        break;
    case WM_TIMER:
        if (message.WParam == TacScrollRepeat::FirstTimer || message.WParam == TacScrollRepeat::NextTimer) {
            if (pressHere)
                RepeatTick(message.WParam);
            else
                ::KillTimer(Handle(), message.WParam);
            message.Result = 0;
            return;
        }
        if (message.WParam == TacScrollRepeat::HoverTimer) {
            HoverTick();
            message.Result = 0;
            return;
        }
        TacMainWnd::WindowProc(message, next);
        if (!sendingScroll_ && !draggingThumb_)
            RefreshScrollBars(true);
        return;
    case WM_STYLECHANGED:
        if (message.WParam == static_cast<WPARAM>(GWL_EXSTYLE))
            vertAtLeft_ =
                (reinterpret_cast<const STYLESTRUCT*>(message.LParam)->styleNew & WS_EX_LEFTSCROLLBAR) != 0;
        break;
    case WM_SYSCOMMAND:
        // The system's own tracking of the vertical bar would draw the system's bar.
        if ((message.WParam & 0xFFF0) == SC_VSCROLL || (message.WParam & 0xFFF0) == SC_HSCROLL) {
            message.Result = 0;
            return;
        }
        break;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        TacMainWnd::WindowProc(message, next);
        if (!sendingScroll_)
            RefreshScrollBars(true);
        return;
    default:
        break;
    }
    TacMainWnd::WindowProc(message, next);
}

} // namespace sj
