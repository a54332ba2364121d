// The extended borders of a skinned dialog: the skin's shadow (or its border image) in a
// layered window lying directly behind the dialog and reaching out by the manager's
// margins on every side. The dialog paints its own frame; the border window shows the
// shadow ring around it (and through the frame's clear corners), is clear where the
// dialog is, and lets every click fall through to what lies below.
#include "skin/frame/acDials.h"

#include <algorithm>

#include "skin/data/sMaskData.h"
#include "skin/frame/acDialsInternal.h"
#include "skin/frame/sExtendedRing.h"
#include "skin/frame/sFade.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sSystemFunctions.h"

namespace sj {

using namespace dials_detail;

namespace {

constexpr const char* kDialogBorderClass = "acDialogBorderWindow";

LRESULT CALLBACK BorderWindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_NCHITTEST:
        return HTTRANSPARENT; // the shadow takes no clicks
    case WM_ERASEBKGND:
        return 1;
    case WM_NCPAINT:
        return 0;
    default:
        return ::DefWindowProcA(window, msg, wParam, lParam);
    }
}

void RegisterBorderClass() {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &BorderWindowProcedure;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kDialogBorderClass;
    registered = ::RegisterClassA(&wc) != 0;
}

} // namespace

void PaintDialogShadowRing(TacPixelsView target, const TsSkinModel& model, bool active) {
    const TacPixmap& image = active ? model.ExtBorderActive : model.ExtBorderInactive;
    if (image.Empty() || target.Empty())
        return;
    FillRing(target, ExtendedRingOf(model, active, target.Width, target.Height), TacRect{});
}

TacDialogBorderForm::TacDialogBorderForm(TacDialogWnd& owner) : owner_(owner) {
    RegisterBorderClass();
    HWND dialog = owner_.Handle();
    const DWORD topmost = ::GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST;
    // A window owned by the dialog would always lie above it; owned by the dialog's own
    // owner it can lie directly behind it, and goes with that owner as the dialog does.
    window_ = ::CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | topmost,
                                kDialogBorderClass, "", WS_POPUP, 0, 0, 0, 0, ::GetWindow(dialog, GW_OWNER),
                                nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

TacDialogBorderForm::~TacDialogBorderForm() {
    if (window_ != nullptr && ::IsWindow(window_))
        ::DestroyWindow(window_);
}

TsMargins TacDialogBorderForm::Margins() const {
    const TsSkinModel* model = owner_.SkinData().Model();
    return model != nullptr ? model->ExtBorderMargins : TsMargins{0, 0, 0, 0};
}

bool TacDialogBorderForm::BuildPicture(TBitmap& frame) {
    const TsSkinModel* model = owner_.SkinData().Model();
    if (model == nullptr)
        return false;
    const TsMargins m = Margins();
    const int width = frame.Width() + m[0] + m[2], height = frame.Height() + m[1] + m[3];
    if (picture_.Width() != width || picture_.Height() != height)
        picture_.SetSize(width, height);
    TacPixelsView pixels = picture_.Pixels();
    PaintDialogShadowRing(pixels, *model, owner_.Active());
    // The dialog shows its frame itself: the picture is clear there (some window systems
    // go by the alpha of a layered window rather than its region, and may stack it over
    // the dialog), except at the frame's clear corners, which show the ring.
    std::vector<bool> clear(static_cast<std::size_t>(frame.Width()) * static_cast<std::size_t>(frame.Height()), false);
    for (const RECT& corner : owner_.ClearCorners())
        for (int y = std::max<int>(0, corner.top); y < std::min<int>(frame.Height(), corner.bottom); ++y)
            for (int x = std::max<int>(0, corner.left); x < std::min<int>(frame.Width(), corner.right); ++x)
                clear[static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.Width()) + static_cast<std::size_t>(x)] = true;
    for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x)
            if (!clear[static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.Width()) + static_cast<std::size_t>(x)])
                pixels.At(x + m[0], y + m[1]) = 0;
    return true;
}

void TacDialogBorderForm::ApplyRegion() {
    const TsMargins m = Margins();
    HRGN region = ::CreateRectRgn(0, 0, picture_.Width(), picture_.Height());
    HRGN dialog = ::CreateRectRgn(0, 0, 0, 0);
    if (::GetWindowRgn(owner_.Handle(), dialog) == ERROR) {
        RECT r{};
        ::GetWindowRect(owner_.Handle(), &r);
        ::SetRectRgn(dialog, 0, 0, r.right - r.left, r.bottom - r.top);
    }
    ::OffsetRgn(dialog, m[0], m[1]);
    // Never over what the dialog shows itself.
    ::CombineRgn(region, region, dialog, RGN_DIFF);
    ::DeleteObject(dialog);
    if (::SetWindowRgn(window_, region, FALSE) == 0)
        ::DeleteObject(region);
}

void TacDialogBorderForm::Update(bool repaint) {
    if (busy_ || window_ == nullptr || AnimationRunning())
        return;
    struct TBusy {
        bool& Flag;
        explicit TBusy(bool& flag) : Flag(flag) { Flag = true; }
        ~TBusy() { Flag = false; }
    } busy{busy_};
    HWND dialog = owner_.Handle();
    RECT bounds{};
    if (!::GetWindowRect(dialog, &bounds))
        return;
    TBitmap* frame = owner_.Frame();
    if (frame == nullptr)
        return;
    const TsMargins m = Margins();
    POINT position{bounds.left - m[0], bounds.top - m[1]};
    SIZE size{frame->Width() + m[0] + m[2], frame->Height() + m[1] + m[3]};
    if (repaint || size.cx != shownSize_.cx || size.cy != shownSize_.cy || owner_.Active() != shownActive_) {
        if (!BuildPicture(*frame))
            return;
        HDC screen = ::GetDC(nullptr);
        POINT origin{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        acUpdateLayeredWindow(window_, screen, &position, &size, picture_.Canvas().Handle(), &origin, 0, &blend,
                              ULW_ALPHA);
        ::ReleaseDC(nullptr, screen);
        ApplyRegion();
        shownSize_ = size;
        shownActive_ = owner_.Active();
    }
    UINT flags = SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOOWNERZORDER;
    if (!::IsWindowVisible(window_))
        flags |= SWP_SHOWWINDOW;
    ::SetWindowPos(window_, dialog, position.x, position.y, 0, 0, flags);
    // Shown for the first time the window may have come up on top whatever it was told.
    if (::GetWindow(dialog, GW_HWNDNEXT) != window_)
        ::SetWindowPos(window_, dialog, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// ---- the dialog frame's side ------------------------------------------------------------------

bool TacDialogWnd::ExtendedBordersWanted() const {
    const TsSkinManager* manager = Manager();
    const TsSkinModel* model = SkinData().Model();
    if (manager == nullptr || model == nullptr || !Skinned() || !manager->ExtendedBorders())
        return false;
    const TsMargins& m = model->ExtBorderMargins;
    if (m[0] <= 0 && m[1] <= 0 && m[2] <= 0 && m[3] <= 0)
        return false;
    HWND dialog = Handle();
    return ::IsWindow(dialog) && ::IsWindowVisible(dialog) && !::IsIconic(dialog) && !::IsZoomed(dialog) &&
           !showPending_ && BorderWidth() > 0;
}

void TacDialogWnd::UpdateBorder(bool repaint) {
    if (AnimationRunning())
        return;
    if (!ExtendedBordersWanted()) {
        border_.reset();
        return;
    }
    if (!border_)
        border_ = std::make_unique<TacDialogBorderForm>(*this);
    border_->Update(repaint);
}

} // namespace sj
