#include "shell/JobProgressBar.h"

#include "forms/GdiHandles.h"
#include "shell/JobWorker.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinManager.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sCommonData.h"
#include "skin/paint/sProgressPaint.h"

namespace sj {

namespace {

COLORREF AsColorRef(std::uint32_t bgr) { return static_cast<COLORREF>(bgr & 0x00FFFFFF); }

// The text centred on the bar, in one colour over the share and another over the rest.
void DrawSplitText(HDC dc, const std::string& text, const RECT& bar, int fillWidth, COLORREF onFill,
                   COLORREF onTrack) {
    ::SetBkMode(dc, TRANSPARENT);
    const struct {
        RECT Clip;
        COLORREF Color;
    } halves[] = {{{bar.left, bar.top, bar.left + fillWidth, bar.bottom}, onFill},
                  {{bar.left + fillWidth, bar.top, bar.right, bar.bottom}, onTrack}};
    for (const auto& half : halves) {
        if (half.Clip.right <= half.Clip.left)
            continue;
        const int saved = ::SaveDC(dc);
        ::IntersectClipRect(dc, half.Clip.left, half.Clip.top, half.Clip.right, half.Clip.bottom);
        ::SetTextColor(dc, half.Color);
        RECT area = bar;
        ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        ::RestoreDC(dc, saved);
    }
}

const TsSkinModel* ActiveModel() {
    TsSkinManager* manager = PrimaryManager();
    return manager != nullptr && manager->Active() ? &manager->Core().Model() : nullptr;
}

} // namespace

TJobProgressBar::TJobProgressBar(TComponent* owner) : TCustomControl(owner) {
    SetVisible(false);
}

int TJobProgressBar::FillWidth() const { return ProgressFillWidth(Width(), FDone, FTotal); }

void TJobProgressBar::SetProgress(std::int64_t done, std::int64_t total, double seconds) {
    const int oldFill = FillWidth();
    std::string text = JobStatusText(done, total, seconds);
    FDone = done;
    FTotal = total;
    if (text == FText && FillWidth() == oldFill)
        return;
    FText = std::move(text);
    Invalidate();
}

void TJobProgressBar::WndProc(TMessage& message) {
    switch (message.Msg) {
    case WM_ERASEBKGND:
        message.Result = 1; // the paint covers everything
        return;
    case SkinCommandMessage:
        Invalidate(); // a new skin or colours: paint again from the model
        break;
    default:
        break;
    }
    TCustomControl::WndProc(message);
}

void TJobProgressBar::Paint() {
    const int width = Width(), height = Height();
    if (width <= 0 || height <= 0)
        return;
    auto face = CreateBitmap32(width, height);
    HDC dc = face->Canvas().Handle();
    const int fillWidth = FillWidth();
    const TsSkinModel* model = ActiveModel();
    const TsProgressLook look = FindProgressLook(model);
    const RECT bar{0, 0, width, height};
    COLORREF onFill = ::GetSysColor(COLOR_HIGHLIGHTTEXT), onTrack = ::GetSysColor(COLOR_WINDOWTEXT);
    if (look.Fill >= 0) {
        TBackdropQuery query;
        QueryBackdrop(query, Parent(), false);
        PaintProgressBar(face->Pixels(), model, look, fillWidth, MakeBackdropRef(query), Left(), Top());
        onFill = AsColorRef(look.FillText);
        if (look.Track >= 0)
            onTrack = AsColorRef(look.TrackText);
    } else {
        PaintUnskinned(dc, fillWidth);
    }
    TSelectObjectGuard font(dc, Font().Handle());
    DrawSplitText(dc, FText, bar, fillWidth, onFill, onTrack);
    ::GdiFlush();
    ::BitBlt(Canvas().Handle(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
}

void TJobProgressBar::PaintUnskinned(HDC dc, int fillWidth) {
    RECT whole{0, 0, Width(), Height()};
    ::FillRect(dc, &whole, ::GetSysColorBrush(COLOR_WINDOW));
    RECT share{0, 0, fillWidth, Height()};
    ::FillRect(dc, &share, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    ::FrameRect(dc, &whole, ::GetSysColorBrush(COLOR_BTNSHADOW));
}

} // namespace sj
