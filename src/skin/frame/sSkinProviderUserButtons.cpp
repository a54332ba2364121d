// What a form's provider offers beyond the system's frame: user title buttons with
// their hints, the caption's own icon, the size grip, the edge stretch of the extended
// frame and the setters that repaint the frame.
#include "skin/frame/sSkinProvider.h"

#include "skin/frame/sSkinProviderInternal.h"

namespace sj {

using namespace provider_detail;

// ---- user title buttons ---------------------------------------------------------------

TsTitleButton::TsTitleButton(TsTitleButtons& owner) : owner_(owner), glyph_(std::make_unique<TBitmap>()) {}

TsTitleButton::~TsTitleButton() {
    HideHint();
}

int TsTitleButton::Index() const {
    return owner_.IndexOf(*this);
}

void TsTitleButton::Changed() {
    owner_.Provider().TitleButtonsChanged();
}

void TsTitleButton::SetEnabled(bool value) {
    if (enabled_ == value)
        return;
    enabled_ = value;
    Changed();
}

void TsTitleButton::SetVisible(bool value) {
    if (visible_ == value)
        return;
    visible_ = value;
    Changed();
}

void TsTitleButton::SetUseSkinData(bool value) {
    if (useSkinData_ == value)
        return;
    useSkinData_ = value;
    Changed();
}

void TsTitleButton::SetGlyph(const TBitmap& glyph) {
    glyph_->Assign(glyph);
    Changed();
}

int TsTitleButton::ButtonWidth(int faceWidth) const {
    return std::max(glyph_->Width() + 2, faceWidth);
}

namespace {

constexpr const char* kHintWindowClass = "acTitleButtonHint";
constexpr int kHintWrapWidth = 800;

HFONT CreateHintFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return nullptr;
    return ::CreateFontIndirectA(&metrics.lfStatusFont);
}

// The rectangle the hint's text takes, wrapped at the wrap width.
RECT MeasureHint(const std::string& text) {
    RECT r{0, 0, kHintWrapWidth, 0};
    HDC dc = ::GetDC(nullptr);
    HFONT font = CreateHintFont();
    HGDIOBJ before = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    if (before != nullptr)
        ::SelectObject(dc, before);
    if (font != nullptr)
        ::DeleteObject(font);
    ::ReleaseDC(nullptr, dc);
    return r;
}

LRESULT CALLBACK HintWindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_ERASEBKGND:
        return 1;
    case WM_PRINTCLIENT:
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = msg == WM_PAINT ? ::BeginPaint(window, &paint) : reinterpret_cast<HDC>(wParam);
        RECT client{};
        ::GetClientRect(window, &client);
        FillRectDC(dc, client, clInfoBk);
        const int length = ::GetWindowTextLengthA(window);
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        ::GetWindowTextA(window, text.data(), length + 1);
        text.resize(static_cast<std::size_t>(length));
        HFONT font = CreateHintFont();
        HGDIOBJ before = font != nullptr ? ::SelectObject(dc, font) : nullptr;
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(COLOR_INFOTEXT));
        RECT r = client;
        ::InflateRect(&r, -3, -2);
        ::DrawTextA(dc, text.c_str(), length, &r, DT_WORDBREAK | DT_NOPREFIX);
        if (before != nullptr)
            ::SelectObject(dc, before);
        if (font != nullptr)
            ::DeleteObject(font);
        if (msg == WM_PAINT)
            ::EndPaint(window, &paint);
        return 0;
    }
    default:
        break;
    }
    return ::DefWindowProcA(window, msg, wParam, lParam);
}

void RegisterHintWindowClass() {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &HintWindowProcedure;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kHintWindowClass;
    registered = ::RegisterClassA(&wc) != 0;
}

bool SystemFadesTooltips() {
    BOOL animation = FALSE, fade = FALSE;
    return ::SystemParametersInfoA(SPI_GETTOOLTIPANIMATION, 0, &animation, 0) && animation &&
           ::SystemParametersInfoA(SPI_GETTOOLTIPFADE, 0, &fade, 0) && fade;
}

} // namespace

POINT TitleHintPosition(POINT cursor, SIZE size, const RECT& area) {
    POINT p{cursor.x + 8, cursor.y + 16};
    if (p.x + size.cx > area.right)
        p.x = area.right - size.cx;
    if (p.y + size.cy > area.bottom)
        p.y = area.bottom - size.cy;
    return p;
}

void TsTitleButton::ShowHint(POINT cursor, const RECT& area) {
    if (Hint.empty() || hint_ != nullptr)
        return;
    RegisterHintWindowClass();
    const RECT text = MeasureHint(Hint);
    const SIZE size{text.right - text.left + 8, text.bottom - text.top + 6};
    const POINT at = TitleHintPosition(cursor, size, area);
    hint_ = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kHintWindowClass, Hint.c_str(),
                              WS_POPUP | WS_BORDER, at.x, at.y, size.cx, size.cy, nullptr, nullptr,
                              ::GetModuleHandleA(nullptr), nullptr);
    if (hint_ == nullptr)
        return;
    ::SetWindowPos(hint_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (Hint.size() < 100 && SystemFadesTooltips() && ::AnimateWindow(hint_, 200, AW_BLEND))
        return;
    ::ShowWindow(hint_, SW_SHOWNOACTIVATE);
    ::UpdateWindow(hint_);
}

void TsTitleButton::HideHint() {
    if (hint_ == nullptr)
        return;
    HWND window = hint_;
    hint_ = nullptr;
    ::DestroyWindow(window);
}

TsTitleButton& TsTitleButtons::Add() {
    items_.push_back(std::make_unique<TsTitleButton>(*this));
    provider_.TitleButtonsChanged();
    return *items_.back();
}

int TsTitleButtons::IndexOf(const TsTitleButton& button) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == &button)
            return static_cast<int>(i);
    return -1;
}

void TsTitleButtons::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    // The hover, a press and the fades name buttons by index: they end first.
    provider_.ResetButtons();
    provider_.StopButtonAnimations();
    provider_.userAnimations_.clear();
    items_.erase(items_.begin() + index);
    provider_.TitleButtonsChanged();
}

void TsTitleButtons::Clear() {
    while (Count() > 0)
        Delete(Count() - 1);
}

TsTitleButton* TsSkinProvider::UserButton(int hitCode) const {
    if (!titleButtons_ || !IsUserButtonCode(hitCode))
        return nullptr;
    const int index = hitCode - kUserButtonBase;
    return index < titleButtons_->Count() ? &titleButtons_->Items(index) : nullptr;
}

void TsSkinProvider::TitleButtonsChanged() {
    // The TITLEBUTTON face comes from the skin; a button made later takes it too.
    if (const TsSkinModel* model = Model()) {
        const std::int32_t face = GlobalImage(*model, "TITLEBUTTON");
        for (int i = 0; titleButtons_ && i < titleButtons_->Count(); ++i)
            titleButtons_->Items(i).Record().ImageIndex = face;
    }
    if (titleButtons_)
        for (int i = 0; i < titleButtons_->Count(); ++i)
            titleButtons_->Items(i).Record().HitCode = kUserButtonBase + i;
    FrameLooksChanged();
}

void TsSkinProvider::FrameLooksChanged() {
    skinData_->CacheStale = true;
    regionStale_ = true;
    if (!form_.HandleAllocated() || !prepared_ || form_.HasState(csLoading))
        return;
    FreeButtonAnimations();
    RepaintFrameNow();
}

void TsSkinProvider::LayoutUserButtons(int& cursor, bool bigSet) {
    if (!titleButtons_ || titleButtons_->Count() == 0)
        return;
    const TsSkinModel* model = Model();
    const int gap = bigSet && model != nullptr ? model->SkinGlobals.BISpace : 0;
    const std::int32_t face = model != nullptr ? GlobalImage(*model, "TITLEBUTTON") : -1;
    const TTitleButtonSize faceSize = SizeOfItem(model, face, true);
    bool any = false;
    for (int i = 0; i < titleButtons_->Count(); ++i) {
        TsTitleButton& button = titleButtons_->Items(i);
        TitleButtonRecord& record = button.Record();
        record.HitCode = kUserButtonBase + i;
        record.ImageIndex = face;
        if (!button.Visible() || !hasSysButtons_) {
            record.Rect = RECT{cursor, 0, cursor, 0};
            continue;
        }
        if (!any)
            cursor -= 6;
        any = true;
        const int width = button.ButtonWidth(faceSize.Width);
        const int height = std::max(faceSize.Height, button.Glyph().Height());
        record.Rect = RECT{cursor - width, centerLine_ - height / 2, cursor, centerLine_ - height / 2 + height};
        cursor = record.Rect.left - gap;
        buttonBlockWidth_ += width + gap;
    }
    if (any)
        buttonBlockWidth_ += 6;
}

// The face (when the button uses the skin), then the glyph in the middle, one pixel
// lower right while pressed.
void TsSkinProvider::PaintUserButton(TacPixelsView target, int x, int y, const TsTitleButton& button, int state) {
    const TsSkinModel* model = Model();
    const TitleButtonRecord& record = button.Record();
    const int width = record.Rect.right - record.Rect.left, height = record.Rect.bottom - record.Rect.top;
    if (button.UseSkinData() && model != nullptr && model->HasImage(record.ImageIndex)) {
        const TsMaskData& item = model->Masks[static_cast<std::size_t>(record.ImageIndex)];
        const bool faded = state == 0 && (formActive_ == 0 || !button.Enabled());
        const int fx = x + (width - FrameWidth(item)) / 2, fy = y + (height - FrameHeight(item)) / 2;
        DrawStateImage(target, fx, fy, state, BitmapBackdrop(target, fx, fy), item, faded ? simFaded : simNormal);
    }
    TBitmap& glyph = const_cast<TsTitleButton&>(button).Glyph();
    if (glyph.Width() <= 0 || glyph.Height() <= 0)
        return;
    const int shift = state == 2 ? 1 : 0;
    const int gx = x + (width - glyph.Width()) / 2 + shift, gy = y + (height - glyph.Height()) / 2 + shift;
    DrawTitleGlyph(target, gx, gy, glyph.Pixels());
}

void DrawTitleGlyph(TacPixelsView target, int x, int y, TacPixelsView glyph) {
    bool hasAlpha = false;
    for (int gy = 0; gy < glyph.Height && !hasAlpha; ++gy)
        for (int gx = 0; gx < glyph.Width; ++gx)
            if ((glyph.At(gx, gy) >> 24) != 0) {
                hasAlpha = true;
                break;
            }
    if (hasAlpha) {
        BlendAlphaImage(target, TacRect{x, y, x + glyph.Width, y + glyph.Height}, glyph,
                        TacRect{0, 0, glyph.Width, glyph.Height});
        return;
    }
    const TPixel32 key = glyph.At(0, glyph.Height - 1) & 0x00FFFFFFu;
    for (int gy = 0; gy < glyph.Height; ++gy)
        for (int gx = 0; gx < glyph.Width; ++gx) {
            const int tx = x + gx, ty = y + gy;
            if (tx < 0 || ty < 0 || tx >= target.Width || ty >= target.Height)
                continue;
            const TPixel32 pixel = glyph.At(gx, gy) & 0x00FFFFFFu;
            if (pixel != key)
                target.At(tx, ty) = pixel | 0xFF000000u;
        }
}

int TsSkinProvider::UserButtonHit(POINT p) const {
    if (!titleButtons_)
        return 0;
    for (int i = 0; i < titleButtons_->Count(); ++i) {
        const TsTitleButton& button = titleButtons_->Items(i);
        if (button.Visible() && button.Record().Placed() && Inside(button.Record().Rect, p))
            return button.Enabled() ? kUserButtonBase + i : HTCLIENT;
    }
    return 0;
}

void TsSkinProvider::UserButtonHotChanged(TsTitleButton& button, bool hot) {
    if (!hot) {
        button.HideHint();
        return;
    }
    POINT cursor{};
    if (::GetCursorPos(&cursor))
        button.ShowHint(cursor, ScreenArea());
}

// ---- the caption's icon -----------------------------------------------------------------

void TsSkinProvider::TitleIconChanged() {
    FrameLooksChanged();
}

// ---- size grip --------------------------------------------------------------------------

RECT TsSkinProvider::GripRect() const {
    const TsSkinModel* model = Model();
    if (gripMode_ != TsGripMode::gmRightBottom || model == nullptr || !IsSizeable() || IsMaximized() ||
        IsMinimized() || !model->HasImage(model->StdIndexes.GripImage))
        return RECT{};
    const TsMaskData& grip = model->Masks[static_cast<std::size_t>(model->StdIndexes.GripImage)];
    const int right = ClientOffsetX() + form_.ClientWidth(), bottom = ClientOffsetY() + form_.ClientHeight();
    return RECT{right - FrameWidth(grip), bottom - FrameHeight(grip), right, bottom};
}

// A form that grew keeps what the size grip and the face's right-hand corner images
// painted at its old size inside its client area until they are painted over.
void TsSkinProvider::InvalidateLeftBehind(SIZE client) {
    const SIZE before = lastClientSize_;
    lastClientSize_ = client;
    if (!form_.HandleAllocated() || (client.cx <= before.cx && client.cy <= before.cy) || before.cx <= 0)
        return;
    HWND window = form_.Handle();
    const TsSkinModel* model = Model();
    if (gripMode_ == TsGripMode::gmRightBottom && model != nullptr && model->HasImage(model->StdIndexes.GripImage)) {
        const TsMaskData& grip = model->Masks[static_cast<std::size_t>(model->StdIndexes.GripImage)];
        const RECT old{before.cx - FrameWidth(grip), before.cy - FrameHeight(grip), before.cx, before.cy};
        ::InvalidateRect(window, &old, TRUE);
    }
    if (model == nullptr || skinData_->Section() == nullptr)
        return;
    // The frame's right and bottom edges in the cache at the old size.
    const SIZE windowSize = WindowSize();
    const TsMargins margins = Margins();
    int frameRight = windowSize.cx, frameBottom = windowSize.cy, frameTop = 0;
    if (borderForm_) {
        const int b = FrameBorderWidth(true) - FrameBorderWidth(false);
        const int t = CaptionHeight(true) - CaptionHeight(false) - FrameBorderWidth(false);
        frameRight += 2 * b + margins[0];
        frameBottom += b + t + margins[1];
        frameTop = margins[1];
    }
    frameRight -= client.cx - before.cx;
    frameBottom -= client.cy - before.cy;
    for (const char* corner : {"IMGTOPRIGHT", "IMGBTMRIGHT"}) {
        const std::int32_t index = model->ImageIndexOf(skinData_->SectionIndex, skinData_->SkinSection(), corner);
        if (!model->HasImage(index))
            continue;
        const TsMaskData& image = model->Masks[static_cast<std::size_t>(index)];
        const bool top = corner[3] == 'T';
        RECT old{frameRight - FrameWidth(image), top ? frameTop : frameBottom - FrameHeight(image), frameRight,
                 top ? frameTop + FrameHeight(image) : frameBottom};
        ::OffsetRect(&old, -ClientOffsetX(), -ClientOffsetY());
        ::InvalidateRect(window, &old, TRUE);
    }
}

void TsSkinProvider::PaintGrip(TBitmap& cache) {
    const RECT r = GripRect();
    if (r.right <= r.left)
        return;
    const TsSkinModel* model = Model();
    const TsMaskData& grip = model->Masks[static_cast<std::size_t>(model->StdIndexes.GripImage)];
    DrawStateImage(cache.Pixels(), r.left, r.top, 0, BitmapBackdrop(cache.Pixels(), 0, 0), grip, simNormal);
}

// The grip lies in the client area: a plain face fills the client without the cache,
// so the grip is copied over it from the cache.
void TsSkinProvider::PaintGripTo(HDC dc) {
    const RECT r = GripRect();
    if (dc == nullptr || r.right <= r.left || !PaintFrame())
        return;
    const int x = r.left - ClientOffsetX(), y = r.top - ClientOffsetY();
    ::BitBlt(dc, x, y, r.right - r.left, r.bottom - r.top, FrameCache()->Canvas().Handle(), r.left, r.top, SRCCOPY);
}

// ---- right-to-left captions -----------------------------------------------------------

// A form reads right to left when its window says so (the framework has no BiDiMode).
bool TsSkinProvider::RightToLeft() const {
    return form_.HandleAllocated() &&
           (::GetWindowLongA(form_.Handle(), GWL_EXSTYLE) & (WS_EX_RTLREADING | WS_EX_LAYOUTRTL)) != 0;
}

// ---- edge stretch ---------------------------------------------------------------------------

TEdgeStretch StretchedPlace(int areaStart, int areaExtent, int before, int after) {
    return TEdgeStretch{areaStart + before, areaExtent - before - after};
}

void TsSkinProvider::StretchToArea(int hitCode) {
    if (!form_.HandleAllocated() || !IsSizeable() || IsMaximized() || IsMinimized())
        return;
    const bool horizontal = hitCode == HTLEFT || hitCode == HTRIGHT;
    const bool vertical = hitCode == HTTOP || hitCode == HTBOTTOM;
    if (!horizontal && !vertical)
        return;
    RECT window{};
    ::GetWindowRect(form_.Handle(), &window);
    const RECT area = ScreenArea();
    const int w = FrameBorderWidth(false);
    const int d = FrameBorderWidth(true) - w; // the skin's frame beyond the system's
    if (horizontal) {
        TEdgeStretch to = stretchX_;
        if (!stretchedX_) {
            stretchX_ = TEdgeStretch{window.left, window.right - window.left};
            to = StretchedPlace(area.left, area.right - area.left, d, d);
        }
        stretchedX_ = !stretchedX_;
        ::SetWindowPos(form_.Handle(), nullptr, to.Start, window.top, to.Extent, window.bottom - window.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        TEdgeStretch to = stretchY_;
        if (!stretchedY_) {
            stretchY_ = TEdgeStretch{window.top, window.bottom - window.top};
            to = StretchedPlace(area.top, area.bottom - area.top, CaptionHeight(true) - SystemCaptionHeight() - w, d);
        }
        stretchedY_ = !stretchedY_;
        ::SetWindowPos(form_.Handle(), nullptr, window.left, to.Start, window.right - window.left, to.Extent,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// ---- outline move and resize ------------------------------------------------------------------

RECT OutlineRect(const RECT& from, int hitCode, int dx, int dy, SIZE minimum) {
    RECT r = from;
    if (hitCode == HTCAPTION) {
        ::OffsetRect(&r, dx, dy);
        return r;
    }
    const bool left = hitCode == HTLEFT || hitCode == HTTOPLEFT || hitCode == HTBOTTOMLEFT;
    const bool right = hitCode == HTRIGHT || hitCode == HTTOPRIGHT || hitCode == HTBOTTOMRIGHT;
    const bool top = hitCode == HTTOP || hitCode == HTTOPLEFT || hitCode == HTTOPRIGHT;
    const bool bottom = hitCode == HTBOTTOM || hitCode == HTBOTTOMLEFT || hitCode == HTBOTTOMRIGHT;
    if (left)
        r.left = std::min<LONG>(from.left + dx, from.right - minimum.cx);
    if (right)
        r.right = std::max<LONG>(from.right + dx, from.left + minimum.cx);
    if (top)
        r.top = std::min<LONG>(from.top + dy, from.bottom - minimum.cy);
    if (bottom)
        r.bottom = std::max<LONG>(from.bottom + dy, from.top + minimum.cy);
    return r;
}

// Only where the system would drag the full window: with outline dragging on, the
// system draws outlines itself.
bool TsSkinProvider::StartOutlineDrag(int hitCode, POINT screen) {
    if (ResizeMode != TsResizeMode::rmBorder || outlining_ || IsMaximized() || IsMinimized() ||
        !form_.HandleAllocated())
        return false;
    const bool resize = hitCode >= HTLEFT && hitCode <= HTBOTTOMRIGHT;
    if (hitCode != HTCAPTION && !(resize && IsSizeable()))
        return false;
    BOOL full = FALSE;
    if (!::SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0) || !full)
        return false;
    ::GetWindowRect(form_.Handle(), &outlineFrom_);
    outlineRect_ = outlineFrom_;
    outlineStart_ = screen;
    outlineCode_ = hitCode;
    outlining_ = true;
    ::SetCapture(form_.Handle());
    DrawOutline(outlineRect_);
    outlineShown_ = true;
    return true;
}

// An inverted frame on the screen where the visible frame would go; drawn twice it is
// gone again.
void TsSkinProvider::DrawOutline(const RECT& window) {
    RECT r = window;
    if (borderForm_) {
        const int w = FrameBorderWidth(false), d = FrameBorderWidth(true) - w;
        r.left -= d;
        r.right += d;
        r.bottom += d;
        r.top -= CaptionHeight(true) - SystemCaptionHeight() - w;
    }
    HDC dc = ::GetDCEx(nullptr, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (dc == nullptr)
        dc = ::GetDC(nullptr);
    if (dc == nullptr)
        return;
    HBRUSH brush = ::CreateSolidBrush(RGB(0x80, 0x80, 0x80));
    HGDIOBJ before = ::SelectObject(dc, brush);
    const int t = 3, width = r.right - r.left, height = r.bottom - r.top;
    ::PatBlt(dc, r.left, r.top, width, t, PATINVERT);
    ::PatBlt(dc, r.left, r.bottom - t, width, t, PATINVERT);
    ::PatBlt(dc, r.left, r.top + t, t, height - 2 * t, PATINVERT);
    ::PatBlt(dc, r.right - t, r.top + t, t, height - 2 * t, PATINVERT);
    ::SelectObject(dc, before);
    ::DeleteObject(brush);
    ::ReleaseDC(nullptr, dc);
}

bool TsSkinProvider::HandleOutlineDrag(TMessage& message) {
    if (!outlining_)
        return false;
    switch (message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
        POINT screen{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
        ::ClientToScreen(form_.Handle(), &screen);
        const SIZE minimum{::GetSystemMetrics(SM_CXMINTRACK), ::GetSystemMetrics(SM_CYMINTRACK)};
        const RECT to = OutlineRect(outlineFrom_, outlineCode_, screen.x - outlineStart_.x,
                                    screen.y - outlineStart_.y, minimum);
        if (!::EqualRect(&to, &outlineRect_)) {
            if (outlineShown_)
                DrawOutline(outlineRect_);
            outlineRect_ = to;
            DrawOutline(outlineRect_);
            outlineShown_ = true;
        }
        if (message.Msg == WM_LBUTTONUP)
            EndOutlineDrag(true);
        message.Result = 0;
        return true;
    }
    case WM_KEYDOWN:
        if (message.WParam == VK_ESCAPE) {
            EndOutlineDrag(false);
            message.Result = 0;
            return true;
        }
        return false;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(message.LParam) != form_.Handle())
            EndOutlineDrag(false);
        return false;
    default:
        return false;
    }
}

void TsSkinProvider::EndOutlineDrag(bool apply) {
    if (!outlining_)
        return;
    outlining_ = false;
    if (outlineShown_)
        DrawOutline(outlineRect_);
    outlineShown_ = false;
    if (::GetCapture() == form_.Handle())
        ::ReleaseCapture();
    if (!apply || ::EqualRect(&outlineRect_, &outlineFrom_))
        return;
    ::SetWindowPos(form_.Handle(), nullptr, outlineRect_.left, outlineRect_.top, outlineRect_.right - outlineRect_.left,
                   outlineRect_.bottom - outlineRect_.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- setters that repaint -------------------------------------------------------------------

void TsSkinProvider::SetCaptionAlignment(TAlignment value) {
    if (captionAlignment_ == value)
        return;
    captionAlignment_ = value;
    FrameLooksChanged();
}

void TsSkinProvider::SetShowAppIcon(bool value) {
    if (showAppIcon_ == value)
        return;
    showAppIcon_ = value;
    FrameLooksChanged();
}

void TsSkinProvider::SetGripMode(TsGripMode value) {
    if (gripMode_ == value)
        return;
    gripMode_ = value;
    FrameLooksChanged();
    if (form_.HandleAllocated())
        ::InvalidateRect(form_.Handle(), nullptr, TRUE);
}

void TsSkinProvider::SetTitleSkin(const std::string& value) {
    if (titleSkin_ == value)
        return;
    titleSkin_ = value;
    titleSectionIndex_ = -1;
    FrameLooksChanged();
}

void TsSkinProvider::SetMenuLineSkin(const std::string& value) {
    if (menuLineSkin_ == value)
        return;
    menuLineSkin_ = value;
    FrameLooksChanged();
}

void TsSkinProvider::SetAddedTitleText(const std::string& value) {
    if (addedTitleText_ == value)
        return;
    addedTitleText_ = value;
    FrameLooksChanged();
}

void TsSkinProvider::SetAddedTitleShowMainCaption(bool value) {
    if (addedTitleShowMainCaption_ == value)
        return;
    addedTitleShowMainCaption_ = value;
    FrameLooksChanged();
}

void TsSkinProvider::SetAllowExtBorders(bool value) {
    if (allowExtBorders_ == value)
        return;
    allowExtBorders_ = value;
    if (!form_.HandleAllocated() || !prepared_ || form_.HasState(csLoading))
        return;
    SetExtendedBorders(value && ::IsWindowVisible(form_.Handle()));
    skinData_->CacheStale = true;
    regionStale_ = true;
    ::RedrawWindow(form_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
}

} // namespace sj
