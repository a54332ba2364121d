// The provider under desktop composition: the taskbar's thumbnail and live preview of a
// skinned window, drawn by the program from its frame.
#include "skin/frame/sFade.h"
#include "skin/frame/sFadeSteps.h"
#include "skin/frame/sSkinProvider.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"

namespace sj {

namespace {

constexpr UINT kSendIconicThumbnail = 0x0323;         // WM_DWMSENDICONICTHUMBNAIL
constexpr UINT kSendIconicLivePreviewBitmap = 0x0326; // WM_DWMSENDICONICLIVEPREVIEWBITMAP

// The system reads the bitmaps it is given; one still selected into a device context
// cannot be read.
TGdiBitmap DetachedHandle(std::unique_ptr<TBitmap> bitmap) {
    return bitmap ? TGdiBitmap(bitmap->ReleaseHandle()) : TGdiBitmap();
}

} // namespace

// The window as it shows: the frame cache without the shadow ring, the client area
// printed in, opaque.
std::unique_ptr<TBitmap> TsSkinProvider::VisibleSnapshot() {
    std::unique_ptr<TBitmap> snapshot = MakeFormSnapshot(*this);
    if (!snapshot)
        return nullptr;
    const TsMargins m = Margins();
    const int width = snapshot->Width() - m[0] - m[2], height = snapshot->Height() - m[1] - m[3];
    if (width <= 0 || height <= 0)
        return nullptr;
    auto visible = std::make_unique<TBitmap>(width, height);
    CopyPixels(visible->Pixels(), 0, 0, snapshot->Pixels(), TacRect{m[0], m[1], m[0] + width, m[1] + height});
    SetRectAlpha(visible->Pixels(), TacRect{0, 0, width, height}, 255, false);
    return visible;
}

void TsSkinProvider::EnableIconicPreviews() {
    if (!form_.HandleAllocated() || !CompositionEnabled())
        return;
    RequestIconicBitmaps(form_.Handle());
    if (Application == nullptr || Application->MainForm() != &form_ || iconicHookId_ != 0 ||
        Application->Handle() == nullptr)
        return;
    RequestIconicBitmaps(Application->Handle());
    iconicHookId_ = Application->HookMainWindow(
        [this](TMessage& message) { return AnswerIconicRequest(message, Application->Handle()); });
}

void TsSkinProvider::StopIconicPreviews() {
    if (iconicHookId_ != 0 && Application != nullptr)
        Application->UnhookMainWindow(iconicHookId_);
    iconicHookId_ = 0;
}

bool TsSkinProvider::AnswerIconicRequest(TMessage& message, HWND window) {
    if (message.Msg != kSendIconicThumbnail && message.Msg != kSendIconicLivePreviewBitmap)
        return false;
    message.Result = 0;
    TacDwmFunctions& dwm = DwmFunctions();
    if (!Skinned() || !form_.HandleAllocated())
        return false; // the system's own answer
    if (message.Msg == kSendIconicThumbnail) {
        if (dwm.SetIconicThumbnail == nullptr)
            return true;
        const int maxWidth = HIWORD(message.LParam), maxHeight = LOWORD(message.LParam);
        std::unique_ptr<TBitmap> visible = VisibleSnapshot();
        if (!visible)
            return true;
        const TacSizeI size = FitInside(visible->Width(), visible->Height(), maxWidth, maxHeight);
        if (size.Width <= 0)
            return true;
        auto thumbnail = std::make_unique<TBitmap>(size.Width, size.Height);
        HDC dc = thumbnail->Canvas().Handle();
        ::SetStretchBltMode(dc, HALFTONE);
        ::SetBrushOrgEx(dc, 0, 0, nullptr);
        ::StretchBlt(dc, 0, 0, size.Width, size.Height, visible->Canvas().Handle(), 0, 0, visible->Width(),
                     visible->Height(), SRCCOPY);
        ::GdiFlush();
        SetRectAlpha(thumbnail->Pixels(), TacRect{0, 0, size.Width, size.Height}, 255, false);
        TGdiBitmap handle = DetachedHandle(std::move(thumbnail));
        dwm.SetIconicThumbnail(window, handle.Get(), 0);
        return true;
    }
    if (dwm.SetIconicLivePreviewBitmap == nullptr)
        return true;
    TGdiBitmap handle = DetachedHandle(VisibleSnapshot());
    if (!handle)
        return true;
    if (window != form_.Handle()) {
        // The preview lies where the asking window lies: the application window (no
        // size, never seen) goes to where the form's frame shows.
        RECT bounds{};
        ::GetWindowRect(form_.Handle(), &bounds);
        POINT origin{bounds.left, bounds.top};
        if (borderForm_ != nullptr) {
            const POINT offset = borderForm_->Offset();
            const TsMargins m = Margins();
            origin = POINT{bounds.left + offset.x + m[0], bounds.top + offset.y + m[1]};
        }
        ::SetWindowPos(window, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    dwm.SetIconicLivePreviewBitmap(window, handle.Get(), nullptr, 0);
    return true;
}

} // namespace sj
