// Adapters of page controls, their pages and their tab scroll arrows.
#include "skin/controls/acSBUtils.h"

#include "skin/controls/acSBUtilsInternal.h"

namespace sj {

using namespace adapter_detail;

// --- TacSpinWnd ---------------------------------------------------------------------------

namespace {

enum class TArrowDirection { Left, Up, Right, Down };

// The painting core's small arrows point right and down; left and up are their mirror
// images within the same rectangle.
void DrawSpinArrow(TacPixelsView target, TColor color, const TacRect& rect, TArrowDirection direction) {
    const bool horizontal = direction == TArrowDirection::Left || direction == TArrowDirection::Right;
    if (direction == TArrowDirection::Right || direction == TArrowDirection::Down) {
        DrawSmallArrow(target, color, rect, horizontal ? saRight : saDown);
        return;
    }
    TacPixmap arrow(rect.Width(), rect.Height(), 0);
    DrawSmallArrow(arrow.View(), color, TacRect{0, 0, arrow.Width(), arrow.Height()}, horizontal ? saRight : saDown);
    for (int y = 0; y < arrow.Height(); ++y)
        for (int x = 0; x < arrow.Width(); ++x) {
            if (arrow.At(x, y) == 0)
                continue;
            const int tx = rect.Left + (horizontal ? arrow.Width() - 1 - x : x);
            const int ty = rect.Top + (horizontal ? y : arrow.Height() - 1 - y);
            if (target.Contains(tx, ty))
                target.At(tx, ty) = arrow.At(x, y);
        }
}

} // namespace

TacSpinWnd::TacSpinWnd(HWND window, const std::string& section, TsSkinManager* manager)
    : TacMainWnd(window, section, manager) {}

TacSpinWnd::TacSpinWnd(TWinControl& control, TsSkinManager* manager, TsCommonData& skinData)
    : TacMainWnd(control, manager, skinData) {}

bool TacSpinWnd::Horizontal() const {
    return (::GetWindowLongA(Handle(), GWL_STYLE) & UDS_HORZ) != 0;
}

// The first part is the left (or upper) button, the second the right (or lower) one.
RECT TacSpinWnd::PartRect(int part) const {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    if (Horizontal()) {
        const LONG middle = client.right / 2;
        return part == spFirst ? RECT{0, 0, middle, client.bottom} : RECT{middle, 0, client.right, client.bottom};
    }
    const LONG middle = client.bottom / 2;
    return part == spFirst ? RECT{0, 0, client.right, middle} : RECT{0, middle, client.right, client.bottom};
}

int TacSpinWnd::PartAt(LPARAM point) const {
    const POINT p{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    for (int part : {spFirst, spSecond}) {
        const RECT r = PartRect(part);
        if (::PtInRect(&r, p))
            return part;
    }
    return spNone;
}

int TacSpinWnd::PartState(int part) const {
    if (!Enabled())
        return 0;
    if (part == pressedPart_)
        return 2;
    return part == hotPart_ ? 1 : 0;
}

void TacSpinWnd::PaintPart(TBitmap& cache, int part, const TBackdropRef& backdrop) {
    const RECT r = PartRect(part);
    const TacRect area = ClipRect(TacRect{r.left, r.top, r.right, r.bottom}, cache.Pixels());
    const TsGeneralData* section = SkinData().Section();
    if (area.Empty() || section == nullptr)
        return;
    const int state = PartState(part);
    const POINT position = PositionInParent();
    PaintControlFace(cache.Pixels(), area, SkinData().Model(), SkinData().FaceParams(), state, true, backdrop,
                     position.x + area.Left, position.y + area.Top);
    const TsGenState& props = section->PropsOfState(state);
    TColor color = static_cast<TColor>(props.FontColor);
    if (!Enabled())
        color = MixColors(color, static_cast<TColor>(props.Color), 0.4);
    const bool horizontal = Horizontal();
    const TArrowDirection direction = part == spFirst ? (horizontal ? TArrowDirection::Left : TArrowDirection::Up)
                                                      : (horizontal ? TArrowDirection::Right : TArrowDirection::Down);
    // A pressed button's arrow sinks by one pixel, as on the skinned spin buttons.
    const int shift = state == 2 ? 1 : 0;
    DrawSpinArrow(cache.Pixels(), color,
                  TacRect{area.Left + shift, area.Top + shift, area.Right + shift, area.Bottom + shift}, direction);
}

bool TacSpinWnd::PaintFace() {
    PrepareCache();
    TBitmap& cache = *SkinData().CacheBitmap;
    if (cache.Width() <= 0 || cache.Height() <= 0)
        return false;
    const TBackdropRef backdrop = ParentBackdrop();
    PaintPart(cache, spFirst, backdrop);
    PaintPart(cache, spSecond, backdrop);
    return true;
}

void TacSpinWnd::PaintToDC(HDC dc) {
    SkinData().CacheStale = true;
    if (PaintFace()) {
        SkinData().CacheStale = false;
        CopyFace(dc);
    }
}

void TacSpinWnd::SetParts(int hot, int pressed) {
    if (hot == hotPart_ && pressed == pressedPart_)
        return;
    hotPart_ = hot;
    pressedPart_ = pressed;
    PaintToDC(nullptr);
}

void TacSpinWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage && Skinned() && SkinCommandCode(message.WParam) == scHotLeave) {
        TacMainWnd::WindowProc(message, next);
        SetParts(spNone, pressedPart_);
        return;
    }
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT:
        AnswerPaintMessage(Handle(), message, [this](HDC dc) { PaintToDC(dc); });
        return;
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_PRINT:
    case WM_PRINTCLIENT:
        PaintToDC(reinterpret_cast<HDC>(message.WParam));
        message.Result = 0;
        return;
    case WM_MOUSEMOVE: {
        TacMainWnd::WindowProc(message, next);
        // The light goes out when the pointer leaves, even for an unskinned neighbour.
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        ::TrackMouseEvent(&track);
        SetParts(PartAt(message.LParam), pressedPart_);
        return;
    }
    case WM_MOUSELEAVE:
        TacMainWnd::WindowProc(message, next);
        ReportPointerLeft();
        SetParts(spNone, pressedPart_);
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        TacMainWnd::WindowProc(message, next);
        SetParts(PartAt(message.LParam), Enabled() ? PartAt(message.LParam) : spNone);
        return;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        TacMainWnd::WindowProc(message, next);
        SetParts(hotPart_, spNone);
        return;
    case WM_ENABLE:
        TacMainWnd::WindowProc(message, next);
        PaintToDC(nullptr);
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}


// --- TacPageWnd -----------------------------------------------------------------------------------

TacPageWnd::TacPageWnd(TWinControl& page, TsSkinManager* manager, std::unique_ptr<TsCommonData> skinData,
                       TacPageControlWnd& owner)
    : TacMainWnd(page, manager, *skinData), ownData_(std::move(skinData)), owner_(owner) {}

void TacPageWnd::PaintBackground(HDC dc) {
    if (dc == nullptr)
        return;
    RECT client{};
    ::GetClientRect(Handle(), &client);
    TBitmap* face = owner_.Face();
    if (face == nullptr) {
        // No body to show (yet): the colour a child would be told, never what lay there.
        TBackdropQuery query;
        AnswerBackdrop(query);
        FillRectDC(dc, client, query.Color);
        return;
    }
    // The page lies inside the control's body: show the body exactly where it is.
    ::BitBlt(dc, 0, 0, client.right, client.bottom, face->Canvas().Handle(), Control().Left(), Control().Top(),
             SRCCOPY);
}

void TacPageWnd::AnswerBackdrop(TBackdropQuery& query) {
    TBitmap* face = owner_.Face();
    if (face == nullptr) {
        const LRESULT parentColor = SendSkinCommand(Control().Parent(), scQueryColor);
        query.Kind = bqColor;
        query.Color = parentColor != 0 ? static_cast<TColor>(parentColor) : Control().Color();
        return;
    }
    query.Kind = bqBitmap;
    if (query.PaintNow != 0 && query.TargetDC != nullptr) {
        const RECT& a = query.Area;
        ::BitBlt(query.TargetDC, a.left, a.top, a.right - a.left, a.bottom - a.top, face->Canvas().Handle(),
                 a.left + Control().Left(), a.top + Control().Top(), SRCCOPY);
        return;
    }
    query.Bitmap = face;
    query.OffsetX = Control().Left();
    query.OffsetY = Control().Top();
}

void TacPageWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage && SkinCommandCode(message.WParam) == scQueryBackdrop && Skinned() &&
        message.LParam != 0) {
        AnswerBackdrop(*reinterpret_cast<TBackdropQuery*>(message.LParam));
        message.Result = 1;
        return;
    }
    if (message.Msg == SkinCommandMessage && SkinCommandCode(message.WParam) == scQueryColor && Skinned()) {
        message.Result = SendSkinCommand(Control().Parent(), scQueryColor);
        return;
    }
    if (message.Msg == WM_ERASEBKGND && Skinned()) {
        PaintBackground(reinterpret_cast<HDC>(message.WParam));
        message.Result = 1;
        return;
    }
    TacMainWnd::WindowProc(message, next);
}

// --- TacPageControlWnd --------------------------------------------------------------------------

TacPageControlWnd::~TacPageControlWnd() {
    Unhook();
    pages_.clear();
    spin_.reset();
}

void TacPageControlWnd::RestoreHook() {
    pages_.clear();
    spin_.reset();
}

// The tab control makes its scroll arrows when the tabs stop fitting and destroys them
// when they fit again.
void TacPageControlWnd::AttachSpin() {
    if (spin_ && spin_->Destroyed())
        spin_.reset();
    HWND arrows = ::FindWindowExA(Handle(), nullptr, UPDOWN_CLASSA, nullptr);
    if (spin_ && spin_->Handle() == arrows)
        return;
    spin_.reset();
    if (arrows == nullptr || ::GetPropA(arrows, AdaptedWindowProperty) != nullptr)
        return;
    spin_ = std::make_unique<TacSpinWnd>(arrows, "UPDOWNBTN", SkinData().SkinManager());
    spin_->Hook();
}

std::string TacPageControlWnd::BodySection() const {
    const std::string& own = SkinData().SkinSection();
    if (!own.empty() && own != "PAGECONTROL")
        return own;
    if (TabCtrl_GetItemCount(Handle()) <= 0)
        return "CHECKBOX";
    const LONG style = ::GetWindowLongA(Handle(), GWL_STYLE);
    if ((style & TCS_VERTICAL) != 0)
        return (style & TCS_RIGHT) != 0 ? "PAGECONTROLRIGHT" : "PAGECONTROLLEFT";
    return (style & TCS_BOTTOM) != 0 ? "PAGECONTROLBOTTOM" : "PAGECONTROL";
}

std::string TacPageControlWnd::TabSection() const {
    const LONG style = ::GetWindowLongA(Handle(), GWL_STYLE);
    if ((style & TCS_BUTTONS) != 0)
        return (style & TCS_FLATBUTTONS) != 0 ? "TOOLBUTTON" : "BUTTON";
    if ((style & TCS_VERTICAL) != 0)
        return (style & TCS_RIGHT) != 0 ? "TABRIGHT" : "TABLEFT";
    return (style & TCS_BOTTOM) != 0 ? "TABBOTTOM" : "TABTOP";
}

void TacPageControlWnd::AttachPages() {
    pages_.erase(std::remove_if(pages_.begin(), pages_.end(), [](const auto& page) { return page->Destroyed(); }),
                 pages_.end());
    auto* control = dynamic_cast<TPageControl*>(&Control());
    if (control == nullptr)
        return;
    for (int i = 0; i < control->PageCount(); ++i) {
        TTabSheet* sheet = control->Pages(i);
        if (!sheet->HandleAllocated())
            continue;
        if (std::any_of(pages_.begin(), pages_.end(), [sheet](const auto& page) { return &page->Control() == sheet; }))
            continue;
        auto data = std::make_unique<TsCommonData>(sheet, true);
        data->ControlKind = ckStdAdapter;
        data->SetSkinManager(SkinData().SkinManager());
        data->SetSkinSection("CHECKBOX");
        pages_.push_back(std::make_unique<TacPageWnd>(*sheet, SkinData().SkinManager(), std::move(data), *this));
        pages_.back()->Hook();
    }
}

TBitmap* TacPageControlWnd::Face() {
    if (!Skinned())
        return nullptr;
    if (SkinData().CacheStale || !SkinData().CacheBitmap || SkinData().CacheBitmap->Width() != Control().Width() ||
        SkinData().CacheBitmap->Height() != Control().Height()) {
        if (!PaintFace())
            return nullptr;
        SkinData().CacheStale = false;
    }
    TBitmap* face = SkinData().CacheBitmap.get();
    return face != nullptr && face->Width() > 0 && face->Height() > 0 ? face : nullptr;
}

constexpr int TabImageTextGap = 8;

void TacPageControlWnd::PaintTab(TBitmap& cache, int index, const RECT& rect, bool selected) {
    const TsSkinModel* model = SkinData().Model();
    if (model == nullptr)
        return;
    const std::string name = TabSection();
    const std::int32_t section = model->SectionIndexOf(name);
    const TacRect area{std::max<int>(0, rect.left), std::max<int>(0, rect.top),
                       std::min<int>(cache.Width(), rect.right), std::min<int>(cache.Height(), rect.bottom)};
    if (area.Right <= area.Left || area.Bottom <= area.Top || !model->HasSection(section))
        return;
    const int states = model->GeneralData[static_cast<std::size_t>(section)].States;
    const int state = selected ? std::clamp(2, 0, std::max(0, states - 1)) : 0;
    // The body is already under the tab: the tab's clear corners show it.
    auto copy = CreateBitmap32(area.Right - area.Left, area.Bottom - area.Top);
    CopyPixels(copy->Pixels(), 0, 0, cache.Pixels(), area);
    PaintSectionFace(copy->Pixels(), TacRect{0, 0, copy->Width(), copy->Height()}, model, section, name, state, true,
                     BitmapBackdrop(copy->Pixels(), 0, 0), 0, 0);
    CopyPixels(cache.Pixels(), area.Left, area.Top, copy->Pixels(), TacRect{0, 0, copy->Width(), copy->Height()});
    char text[256] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    item.iImage = -1;
    TabCtrl_GetItem(Handle(), index, &item);
    const RECT inner{rect.left + 3, rect.top + 3, rect.right - 3, rect.bottom - 3};
    if (inner.right <= inner.left || inner.bottom <= inner.top)
        return;
    cache.Canvas().Font().Assign(Control().Font());
    if ((::GetWindowLongA(Handle(), GWL_STYLE) & TCS_VERTICAL) != 0)
        PaintSideTabContent(cache, text, item.iImage, inner, section, selected);
    else
        PaintTabContent(cache, text, item.iImage, inner, section, selected);
}

TCustomImageList* TacPageControlWnd::TabImages(int imageIndex) const {
    auto* pages = dynamic_cast<TPageControl*>(&Control());
    auto* images = pages != nullptr ? dynamic_cast<TCustomImageList*>(pages->Images()) : nullptr;
    return images != nullptr && imageIndex >= 0 && imageIndex < images->Count() ? images : nullptr;
}

// Image and text are centred as one group, the image left of the text, 8 pixels apart.
void TacPageControlWnd::PaintTabContent(TBitmap& cache, const char* text, int imageIndex, const RECT& inner,
                                        std::int32_t section, bool selected) {
    TCustomImageList* images = TabImages(imageIndex);
    const int imageWidth = images != nullptr ? images->Width() : 0;
    const int textWidth = text[0] != '\0' ? cache.Canvas().TextWidth(text) : 0;
    const int gap = images != nullptr && textWidth > 0 ? TabImageTextGap : 0;
    const int groupLeft = inner.left + ((inner.right - inner.left) - (imageWidth + gap + textWidth)) / 2;
    if (images != nullptr) {
        const int imageTop = inner.top + ((inner.bottom - inner.top) - images->Height()) / 2;
        DrawItemInto(cache.Pixels(), groupLeft, imageTop, *images, imageIndex);
    }
    if (textWidth > 0) {
        RECT textRect{std::max<LONG>(inner.left, groupLeft + imageWidth + gap), inner.top, inner.right, inner.bottom};
        const UINT align = images != nullptr ? DT_LEFT : DT_CENTER;
        DrawSectionTextOnCanvas(cache.Canvas(), text, Control().Enabled(), SkinData().SkinManager(), selected, section,
                                align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, textRect);
    }
}

// Left tabs read upward and right tabs downward; the image stands where the reading
// starts (below the text on the left, above it on the right), 8 pixels from the text.
void TacPageControlWnd::PaintSideTabContent(TBitmap& cache, const char* text, int imageIndex, const RECT& inner,
                                            std::int32_t section, bool selected) {
    const bool right = (::GetWindowLongA(Handle(), GWL_STYLE) & TCS_RIGHT) != 0;
    TCanvas& canvas = cache.Canvas();
    canvas.Font().AssignLogFont(RotatedTabFont(Control().Font().LogFont(), right));
    TCustomImageList* images = TabImages(imageIndex);
    const int imageHeight = images != nullptr ? images->Height() : 0;
    // Extents of rotated text are measured along its baseline.
    const SIZE extent = text[0] != '\0' ? canvas.TextExtent(text) : SIZE{0, 0};
    const int gap = images != nullptr && extent.cx > 0 ? TabImageTextGap : 0;
    const int groupTop = inner.top + ((inner.bottom - inner.top) - (imageHeight + gap + extent.cx)) / 2;
    const int textTop = right ? groupTop + imageHeight + gap : groupTop;
    if (images != nullptr) {
        const int imageLeft = inner.left + ((inner.right - inner.left) - images->Width()) / 2;
        const int imageTop = right ? groupTop : groupTop + extent.cx + gap;
        DrawItemInto(cache.Pixels(), imageLeft, imageTop, *images, imageIndex);
    }
    if (extent.cx <= 0)
        return;
    // The text's reference corner: the start of the baseline's top edge, which turned
    // lies bottom-left (upward text) or top-right (downward text) of the glyphs.
    const int textLeft = inner.left + ((inner.right - inner.left) - extent.cy) / 2;
    const POINT origin = right ? POINT{textLeft + extent.cy, textTop} : POINT{textLeft, textTop + extent.cx};
    HDC dc = canvas.Handle();
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    DrawSectionTextOnCanvas(canvas, text, Control().Enabled(), SkinData().SkinManager(), selected, section,
                            DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP,
                            RECT{origin.x, origin.y, origin.x + 1, origin.y + 1});
    ::RestoreDC(dc, saved);
}

bool TacPageControlWnd::PaintFace() {
    SkinData().PrepareCacheBitmap();
    TBitmap& cache = *SkinData().CacheBitmap;
    const int width = cache.Width();
    const int height = cache.Height();
    if (width <= 0 || height <= 0)
        return false;
    TBackdropRef backdrop = ParentBackdrop();
    CopyBackdrop(cache.Pixels(), TacRect{0, 0, width, height}, backdrop, Control().Left(), Control().Top());
    const int count = TabCtrl_GetItemCount(Handle());
    RECT body{0, 0, width, height};
    if (count > 0) {
        RECT display{0, 0, width, height};
        TabCtrl_AdjustRect(Handle(), FALSE, &display);
        const LONG style = ::GetWindowLongA(Handle(), GWL_STYLE);
        // The body's frame hugs the display area by the width of the system's border.
        if ((style & TCS_VERTICAL) == 0) {
            if ((style & TCS_BOTTOM) != 0)
                body.bottom = std::min<LONG>(height, display.bottom + 2);
            else
                body.top = std::max<LONG>(0, display.top - 2);
        } else if ((style & TCS_RIGHT) != 0) {
            body.right = std::min<LONG>(width, display.right + 2);
        } else {
            body.left = std::max<LONG>(0, display.left - 2);
        }
    }
    const TsSkinModel* model = SkinData().Model();
    const std::string bodyName = BodySection();
    const std::int32_t bodyIndex = model != nullptr ? model->SectionIndexOf(bodyName) : -1;
    if (model != nullptr && model->HasSection(bodyIndex) && body.right > body.left && body.bottom > body.top)
        PaintSectionFace(cache.Pixels(), TacRect{body.left, body.top, body.right, body.bottom}, model, bodyIndex,
                         bodyName, 0, true, backdrop, Control().Left() + body.left, Control().Top() + body.top);
    const int selected = TabCtrl_GetCurSel(Handle());
    for (int i = 0; i < count; ++i) {
        RECT r{};
        if (i != selected && TabCtrl_GetItemRect(Handle(), i, &r))
            PaintTab(cache, i, r, false);
    }
    RECT active{};
    if (selected >= 0 && TabCtrl_GetItemRect(Handle(), selected, &active)) {
        // The selected tab reaches into the body's edge so that no seam shows.
        if ((::GetWindowLongA(Handle(), GWL_STYLE) & (TCS_VERTICAL | TCS_BOTTOM)) == 0)
            active.bottom = std::max<LONG>(active.bottom, body.top + 1);
        PaintTab(cache, selected, active, true);
    }
    return true;
}

void TacPageControlWnd::PaintToDC(HDC dc) {
    TBitmap* face = Face();
    if (face == nullptr)
        return;
    RECT whole{0, 0, face->Width(), face->Height()};
    CopyCacheToWindowDC(Handle(), SkinData(), whole, 0, 0, false, dc, whole);
}

void TacPageControlWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT:
        AttachPages();
        AttachSpin();
        AnswerPaintMessage(Handle(), message, [this](HDC dc) { PaintToDC(dc); });
        return;
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case CN_NOTIFY:
    case TCM_SETCURSEL:
    case WM_SIZE:
    case WM_SETFONT:
    // The scroll arrows shift the tabs; inserted or removed tabs may bring or take them.
    case WM_HSCROLL:
    case TCM_INSERTITEMA:
    case TCM_DELETEITEM:
    case TCM_DELETEALLITEMS:
        TacMainWnd::WindowProc(message, next);
        SkinData().CacheStale = true;
        AttachPages();
        AttachSpin();
        ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return;
    case WM_PARENTNOTIFY:
        TacMainWnd::WindowProc(message, next);
        AttachPages();
        AttachSpin();
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}

} // namespace sj
