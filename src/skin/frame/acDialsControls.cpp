// The raw common controls of system dialogs that the framework adapters do not cover:
// combo boxes, tool bars, tab controls, track bars, links and size grips. Each is painted
// from its skin section over what the dialog shows behind it; the system keeps the
// control's behaviour (selection, hit testing, notifications).
#include "skin/frame/acDials.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "skin/controls/acSBUtilsInternal.h"
#include "skin/frame/acDialsInternal.h"

namespace sj {

using namespace adapter_detail;

namespace {

LONG Style(HWND window) {
    return ::GetWindowLongA(window, GWL_STYLE);
}

bool Focused(HWND window) {
    HWND focus = ::GetFocus();
    return focus != nullptr && (focus == window || ::IsChild(window, focus));
}

int ClampState(const TsSkinModel* model, std::int32_t section, int state) {
    if (model == nullptr || !model->HasSection(section))
        return 0;
    return std::clamp(state, 0, std::max(0, model->GeneralData[static_cast<std::size_t>(section)].States - 1));
}

// A named section's face over what the cache holds at area.
void PaintNamedFace(TBitmap& cache, const TsSkinModel* model, const std::string& name, const RECT& rect, int state) {
    if (model == nullptr)
        return;
    const std::int32_t section = model->SectionIndexOf(name);
    const TacRect area{std::max<int>(0, rect.left), std::max<int>(0, rect.top),
                       std::min<int>(cache.Width(), rect.right), std::min<int>(cache.Height(), rect.bottom)};
    if (!model->HasSection(section) || area.Right <= area.Left || area.Bottom <= area.Top)
        return;
    // The face's clear corners show what is under it: a copy is its backdrop.
    auto under = CreateBitmap32(area.Right - area.Left, area.Bottom - area.Top);
    CopyPixels(under->Pixels(), 0, 0, cache.Pixels(), area);
    PaintSectionFace(cache.Pixels(), area, model, section, name, ClampState(model, section, state), true,
                     BitmapBackdrop(under->Pixels(), -area.Left, -area.Top), 0, 0);
}

// A small filled triangle pointing down, centred in rect.
void DrawDownArrow(HDC dc, const RECT& rect, COLORREF color) {
    const int cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
    const POINT points[3] = {{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 2}};
    HBRUSH brush = ::CreateSolidBrush(color);
    HPEN pen = ::CreatePen(PS_SOLID, 1, color);
    HGDIOBJ oldBrush = ::SelectObject(dc, brush), oldPen = ::SelectObject(dc, pen);
    ::Polygon(dc, points, 3);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(brush);
    ::DeleteObject(pen);
}

COLORREF SectionFontColor(const TsCommonData& data, int state) {
    const TsGenState* props = StateProps(data, state);
    if (props != nullptr && IsUsableTextColor(props->FontColor))
        return PaintColorToRGB(static_cast<TColor>(props->FontColor));
    return ::GetSysColor(COLOR_WINDOWTEXT);
}

} // namespace

// ---- combo box ------------------------------------------------------------------------------

int TacDialogComboWnd::State() const {
    if (!Enabled())
        return 0;
    const bool dropped = ::SendMessageA(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
    return dropped || Focused(Handle()) || SkinData().Hovered ? 1 : 0;
}

RECT TacDialogComboWnd::ButtonRect() const {
    RECT r{};
    ::GetClientRect(Handle(), &r);
    const int width = std::min<int>(::GetSystemMetrics(SM_CXVSCROLL), r.right);
    return RECT{r.right - width - 1, 1, r.right - 1, r.bottom - 1};
}

bool TacDialogComboWnd::PaintFace() {
    const int state = State();
    if (!RenderSectionFace(state))
        return false;
    TBitmap& cache = *SkinData().CacheBitmap;
    const RECT button = ButtonRect();
    PaintNamedFace(cache, SkinData().Model(), "COMBOBTN", button, state);
    DrawDownArrow(cache.Canvas().Handle(), button, SectionFontColor(SkinData(), state));
    // A drop-down list shows its selection itself; an editable combo shows its edit.
    if ((Style(Handle()) & 3) == CBS_DROPDOWNLIST) {
        const auto index = static_cast<int>(::SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
        const auto length = index >= 0 ? static_cast<int>(::SendMessageA(Handle(), CB_GETLBTEXTLEN, index, 0)) : -1;
        if (length > 0) {
            std::string text(static_cast<std::size_t>(length) + 1, '\0');
            ::SendMessageA(Handle(), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
            text.resize(std::strlen(text.c_str()));
            DrawCaption(cache, text, RECT{4, 0, button.left - 2, cache.Height()},
                        DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX, state != 0);
        }
    }
    return true;
}

void TacDialogComboWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT:
        PaintWindowFromFace(message);
        return;
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case CB_SETCURSEL:
    case CB_SHOWDROPDOWN:
    case WM_COMMAND:
        TacMainWnd::WindowProc(message, next);
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}

// ---- tool bar -------------------------------------------------------------------------------

std::string DialogToolBarSection(HWND toolbar) {
    return (Style(toolbar) & TBSTYLE_WRAPABLE) != 0 ? "BAR" : "CHECKBOX";
}

void TacDialogToolBarWnd::PaintToDC(HDC dc, const TacWndNext& next) {
    SkinData().CacheStale = true;
    if (!RenderSectionFace(0))
        return;
    TBitmap& cache = *SkinData().CacheBitmap;
    // The buttons as the system draws them, over the skin's face.
    TMessage print{WM_PRINTCLIENT, reinterpret_cast<WPARAM>(cache.Canvas().Handle()), PRF_CLIENT, 0};
    next(print);
    ::GdiFlush();
    SkinData().CacheStale = false;
    CopyFace(dc);
}

void TacDialogToolBarWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT:
        AnswerPaintMessage(Handle(), message, [&](HDC dc) { PaintToDC(dc, next); });
        return;
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}

// ---- tab control ----------------------------------------------------------------------------

std::string TacDialogTabWnd::BodySection() const {
    const LONG style = Style(Handle());
    if ((style & TCS_VERTICAL) != 0)
        return (style & TCS_RIGHT) != 0 ? "PAGECONTROLRIGHT" : "PAGECONTROLLEFT";
    return (style & TCS_BOTTOM) != 0 ? "PAGECONTROLBOTTOM" : "PAGECONTROL";
}

std::string TacDialogTabWnd::TabSection() const {
    const LONG style = Style(Handle());
    if ((style & TCS_BUTTONS) != 0)
        return (style & TCS_FLATBUTTONS) != 0 ? "TOOLBUTTON" : "BUTTON";
    if ((style & TCS_VERTICAL) != 0)
        return (style & TCS_RIGHT) != 0 ? "TABRIGHT" : "TABLEFT";
    return (style & TCS_BOTTOM) != 0 ? "TABBOTTOM" : "TABTOP";
}

RECT TacDialogTabWnd::BodyRect() const {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    RECT body = client;
    if (TabCtrl_GetItemCount(Handle()) <= 0)
        return body;
    RECT display = client;
    TabCtrl_AdjustRect(Handle(), FALSE, &display);
    const LONG style = Style(Handle());
    // The body's frame hugs the display area by the width of the system's border.
    if ((style & TCS_VERTICAL) == 0) {
        if ((style & TCS_BOTTOM) != 0)
            body.bottom = std::min<LONG>(client.bottom, display.bottom + 2);
        else
            body.top = std::max<LONG>(0, display.top - 2);
    } else if ((style & TCS_RIGHT) != 0) {
        body.right = std::min<LONG>(client.right, display.right + 2);
    } else {
        body.left = std::max<LONG>(0, display.left - 2);
    }
    return body;
}

bool TacDialogTabWnd::PaintFace() {
    PrepareCache();
    TBitmap& cache = *SkinData().CacheBitmap;
    if (cache.Width() <= 0 || cache.Height() <= 0)
        return false;
    const POINT at = PositionInParent();
    const TBackdropRef backdrop = ParentBackdrop();
    CopyBackdrop(cache.Pixels(), TacRect{0, 0, cache.Width(), cache.Height()}, backdrop, at.x, at.y);
    const TsSkinModel* model = SkinData().Model();
    if (model == nullptr)
        return true;
    const RECT body = BodyRect();
    const std::string bodyName = BodySection();
    const std::int32_t bodyIndex = model->SectionIndexOf(bodyName);
    if (model->HasSection(bodyIndex) && body.right > body.left && body.bottom > body.top)
        PaintSectionFace(cache.Pixels(), TacRect{body.left, body.top, body.right, body.bottom}, model, bodyIndex,
                         bodyName, 0, true, backdrop, at.x + body.left, at.y + body.top);
    const int count = TabCtrl_GetItemCount(Handle());
    const int selected = TabCtrl_GetCurSel(Handle());
    for (int i = 0; i < count; ++i) {
        RECT r{};
        if (i != selected && TabCtrl_GetItemRect(Handle(), i, &r))
            PaintTab(cache, i, r, false);
    }
    RECT active{};
    if (selected >= 0 && TabCtrl_GetItemRect(Handle(), selected, &active)) {
        if ((Style(Handle()) & (TCS_VERTICAL | TCS_BOTTOM)) == 0)
            active.bottom = std::max<LONG>(active.bottom, body.top + 1);
        PaintTab(cache, selected, active, true);
    }
    return true;
}

void TacDialogTabWnd::PaintTab(TBitmap& cache, int index, const RECT& rect, bool selected) {
    const TsSkinModel* model = SkinData().Model();
    const std::string name = TabSection();
    const std::int32_t section = model->SectionIndexOf(name);
    if (!model->HasSection(section))
        return;
    const int states = model->GeneralData[static_cast<std::size_t>(section)].States;
    PaintNamedFace(cache, model, name, rect, selected ? std::clamp(2, 0, std::max(0, states - 1)) : 0);
    char text[256] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    TabCtrl_GetItem(Handle(), index, &item);
    const RECT inner{rect.left + 3, rect.top + 2, rect.right - 3, rect.bottom - 2};
    if (text[0] == '\0' || inner.right <= inner.left || inner.bottom <= inner.top)
        return;
    AssignFont(cache.Canvas());
    DrawSectionTextOnCanvas(cache.Canvas(), text, Enabled(), SkinData().SkinManager(), selected, section,
                            DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS, inner);
}

void TacDialogTabWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT:
        PaintWindowFromFace(message);
        return;
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case TCM_SETCURSEL:
    case TCM_INSERTITEMA:
    case TCM_INSERTITEMW:
    case TCM_DELETEITEM:
    case TCM_DELETEALLITEMS:
    case WM_SIZE:
    case WM_SETFONT:
        TacMainWnd::WindowProc(message, next);
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}

// ---- track bar ------------------------------------------------------------------------------

bool TacDialogTrackWnd::PaintFace() {
    if (!RenderSectionFace(0))
        return false;
    TBitmap& cache = *SkinData().CacheBitmap;
    const TsSkinModel* model = SkinData().Model();
    RECT channel{}, thumb{};
    ::SendMessageA(Handle(), TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    ::SendMessageA(Handle(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    // The system answers the channel of a vertical bar lying down.
    if ((Style(Handle()) & TBS_VERT) != 0)
        channel = RECT{channel.top, channel.left, channel.bottom, channel.right};
    PaintNamedFace(cache, model, "EDIT", channel, 0);
    PaintTicks(cache, channel, thumb);
    if ((Style(Handle()) & TBS_NOTHUMB) == 0) {
        const int state = !Enabled() ? 0 : ::GetCapture() == Handle() ? 2 : (Focused(Handle()) || SkinData().Hovered) ? 1 : 0;
        PaintNamedFace(cache, model, "BUTTON", thumb, state);
    }
    return true;
}

// The tick marks the system would draw, in the section's text colour: one at each end
// of the range and one at every tick position between.
void TacDialogTrackWnd::PaintTicks(TBitmap& cache, const RECT& channel, const RECT& thumb) {
    const LONG style = Style(Handle());
    if ((style & TBS_NOTICKS) != 0)
        return;
    const bool vertical = (style & TBS_VERT) != 0;
    // TBS_TOP and TBS_LEFT share a bit, as do TBS_BOTTOM and TBS_RIGHT (the default).
    const bool before = (style & (TBS_BOTH | TBS_TOP)) != 0, after = (style & TBS_BOTH) != 0 || (style & TBS_TOP) == 0;
    const int half = vertical ? (thumb.bottom - thumb.top) / 2 : (thumb.right - thumb.left) / 2;
    std::vector<int> at;
    if (vertical) {
        at.push_back(channel.top + half);
        at.push_back(channel.bottom - half - 1);
    } else {
        at.push_back(channel.left + half);
        at.push_back(channel.right - half - 1);
    }
    const auto count = static_cast<int>(::SendMessageA(Handle(), TBM_GETNUMTICS, 0, 0));
    for (int i = 0; i + 2 < count; ++i) {
        const auto position = static_cast<int>(::SendMessageA(Handle(), TBM_GETTICPOS, static_cast<WPARAM>(i), 0));
        if (position >= 0)
            at.push_back(position);
    }
    const std::uint32_t ink = ColorToPixelOrder(SectionFontColor(SkinData(), 0)) | 0xFF000000u;
    TacPixelsView pixels = cache.Pixels();
    auto mark = [&](int x0, int y0, int x1, int y1) {
        for (int y = std::max(0, y0); y < std::min(pixels.Height, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(pixels.Width, x1); ++x)
                pixels.At(x, y) = ink;
    };
    for (int p : at) {
        if (vertical) {
            if (after)
                mark(thumb.right + 1, p, thumb.right + 4, p + 1);
            if (before)
                mark(thumb.left - 4, p, thumb.left - 1, p + 1);
        } else {
            if (after)
                mark(p, thumb.bottom + 1, p + 1, thumb.bottom + 4);
            if (before)
                mark(p, thumb.top - 4, p + 1, thumb.top - 1);
        }
    }
}

void TacDialogTrackWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT:
        PaintWindowFromFace(message);
        return;
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case TBM_SETPOS:
    case TBM_SETRANGE:
    case WM_ENABLE:
        TacMainWnd::WindowProc(message, next);
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}

// ---- link -----------------------------------------------------------------------------------

std::vector<TacLinkRun> LinkRuns(const std::string& markup) {
    std::vector<TacLinkRun> runs;
    bool inLink = false;
    std::string text;
    auto flush = [&] {
        if (!text.empty())
            runs.push_back(TacLinkRun{text, inLink});
        text.clear();
    };
    auto lower = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    std::size_t i = 0;
    while (i < markup.size()) {
        if (markup[i] == '<') {
            const std::size_t close = markup.find('>', i);
            if (close != std::string::npos) {
                const std::string tag = lower(markup.substr(i + 1, close - i - 1));
                const bool opens = tag == "a" || tag.rfind("a ", 0) == 0;
                const bool closes = tag == "/a";
                if (opens || closes) {
                    flush();
                    inLink = opens;
                    i = close + 1;
                    continue;
                }
            }
        }
        text += markup[i++];
    }
    flush();
    return runs;
}

bool TacDialogLinkWnd::DrawContent() {
    TBitmap& cache = *SkinData().CacheBitmap;
    TCanvas& canvas = cache.Canvas();
    AssignFont(canvas);
    canvas.TextExtent(" "); // the font into the DC, which is drawn on directly below
    HDC dc = canvas.Handle();
    const COLORREF plain = Enabled() ? SectionFontColor(SkinData(), 0) : ::GetSysColor(COLOR_GRAYTEXT);
    // A skin's hot text colour is made for hot faces, not for the plain face behind a
    // link: links take the system's link colour, unless that hardly shows on the face
    // (then the text colour; the underline still marks them).
    COLORREF link = ::GetSysColor(COLOR_HOTLIGHT);
    if (const TsGenState* face = StateProps(SkinData(), 0)) {
        const COLORREF back = PaintColorToRGB(static_cast<TColor>(face->Color));
        auto brightness = [](COLORREF c) { return (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100; };
        if (std::abs(brightness(link) - brightness(back)) < 80)
            link = plain;
    }
    LOGFONTA font{};
    ::GetObjectA(::GetCurrentObject(dc, OBJ_FONT), sizeof font, &font);
    font.lfUnderline = TRUE;
    HFONT underlined = ::CreateFontIndirectA(&font);
    ::SetBkMode(dc, TRANSPARENT);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    const int width = cache.Width();
    int x = 0, y = 0;
    for (const TacLinkRun& run : LinkRuns(WindowText())) {
        HGDIOBJ previous = run.Link ? ::SelectObject(dc, underlined) : nullptr;
        ::SetTextColor(dc, Enabled() && run.Link ? link : plain);
        // Word by word, wrapped at the window's width.
        std::size_t start = 0;
        while (start < run.Text.size()) {
            std::size_t end = run.Text.find(' ', start);
            end = end == std::string::npos ? run.Text.size() : end + 1;
            const std::string word = run.Text.substr(start, end - start);
            SIZE extent{};
            ::GetTextExtentPoint32A(dc, word.c_str(), static_cast<int>(word.size()), &extent);
            if (x > 0 && x + extent.cx > width) {
                x = 0;
                y += metrics.tmHeight;
            }
            ::TextOutA(dc, x, y, word.c_str(), static_cast<int>(word.size()));
            x += extent.cx;
            start = end;
        }
        if (previous != nullptr)
            ::SelectObject(dc, previous);
    }
    ::DeleteObject(underlined);
    ::GdiFlush();
    // GDI leaves the alpha of what it drew at 0; the face is shown opaque.
    TacPixelsView pixels = cache.Pixels();
    for (int row = 0; row < pixels.Height; ++row)
        for (int column = 0; column < pixels.Width; ++column)
            pixels.At(column, row) |= 0xFF000000u;
    return true;
}

void TacDialogLinkWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    // Links take the focus (WS_TABSTOP) but are drawn by the skin all the same.
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT:
        AnswerPaintMessage(Handle(), message, [this](HDC dc) { Paint(dc); });
        return;
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_SETTEXT:
    case WM_ENABLE:
        TacMainWnd::WindowProc(message, next);
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}

// ---- size grip ------------------------------------------------------------------------------

bool TacDialogGripWnd::PaintFace() {
    if (!RenderSectionFace(0))
        return false;
    TBitmap& cache = *SkinData().CacheBitmap;
    const TsSkinModel* model = SkinData().Model();
    if (model != nullptr && model->HasImage(model->StdIndexes.GripImage)) {
        const TsMaskData& grip = model->Masks[static_cast<std::size_t>(model->StdIndexes.GripImage)];
        const int x = cache.Width() - FrameWidth(grip), y = cache.Height() - FrameHeight(grip);
        DrawStateImage(cache.Pixels(), std::max(0, x), std::max(0, y), 0, BitmapBackdrop(cache.Pixels(), 0, 0), grip,
                       simNormal);
        return true;
    }
    // Without a grip image: three diagonal rows of dots in the section's text colour.
    const std::uint32_t dot = ColorToPixelOrder(SectionFontColor(SkinData(), 0)) | 0xFF000000u;
    TacPixelsView pixels = cache.Pixels();
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column <= row; ++column) {
            const int x = pixels.Width - 3 - (row - column) * 4 - 1, y = pixels.Height - 3 - column * 4 - 1;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    if (x + dx >= 0 && y + dy >= 0 && x + dx < pixels.Width && y + dy < pixels.Height)
                        pixels.At(x + dx, y + dy) = dot;
        }
    return true;
}

void TacDialogGripWnd::WindowProc(TMessage& message, const TacWndNext& next) {
    if (message.Msg == SkinCommandMessage || !Skinned()) {
        TacMainWnd::WindowProc(message, next);
        return;
    }
    switch (message.Msg) {
    case WM_PAINT:
        PaintWindowFromFace(message);
        return;
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    default:
        TacMainWnd::WindowProc(message, next);
        return;
    }
}

} // namespace sj
