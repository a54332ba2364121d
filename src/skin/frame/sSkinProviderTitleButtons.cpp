// Title buttons of a skinned form: layout, states, glow and the fade popups.
#include "skin/frame/sSkinProvider.h"

#include "skin/frame/sSkinProviderInternal.h"

namespace sj {

using namespace provider_detail;

// ---- title buttons ----------------------------------------------------------------------

void TsSkinProvider::SelectButtonImages() {
    const TsSkinModel* model = Model();
    for (auto& button : buttons_)
        button.ImageIndex = -1;
    if (model == nullptr || systemMenu_ == nullptr)
        return;
    auto big = [&] {
        buttons_[kMinimize].ImageIndex = GlobalImage(*model, "BICONMIN");
        buttons_[kMaximize].ImageIndex = GlobalImage(*model, "BICONMAX");
        const bool alone = !systemMenu_->VisibleMin() && !systemMenu_->VisibleMax();
        const std::int32_t closeAlone = alone ? GlobalImage(*model, "BICLOSEALONE") : -1;
        buttons_[kClose].ImageIndex = model->HasImage(closeAlone) ? closeAlone : GlobalImage(*model, "BICONCLOSE");
        buttons_[kHelp].ImageIndex = GlobalImage(*model, "BICONHELP");
    };
    const bool bigSet = BigButtonSet();
    if (bigSet) {
        big();
    } else {
        buttons_[kClose].ImageIndex = GlobalImage(*model, "SICONCLOSE");
        buttons_[kMinimize].ImageIndex = GlobalImage(*model, "SICONMIN");
        buttons_[kMaximize].ImageIndex = GlobalImage(*model, "SICONMAX");
        const std::int32_t help = GlobalImage(*model, "SICONHELP");
        buttons_[kHelp].ImageIndex = model->HasImage(help) ? help : GlobalImage(*model, "BICONHELP");
    }
    for (int slot : {kMinimize, kMaximize, kClose})
        buttons_[static_cast<std::size_t>(slot)].BigAlignment = bigSet;
    buttons_[kHelp].BigAlignment = false;
    if (!model->HasImage(buttons_[kClose].ImageIndex)) {
        big();
        for (auto& button : buttons_)
            button.BigAlignment = true;
    }
}

void TsSkinProvider::LayoutTitleButtons() {
    const TsSkinModel* model = Model();
    TBitmap* cache = FrameCache();
    if (model == nullptr || cache == nullptr || systemMenu_ == nullptr)
        return;
    const TsSkinData& globals = model->SkinGlobals;
    if (IsMaximized()) {
        const std::int32_t normal = GlobalImage(*model, "BICONNORM");
        if (model->HasImage(normal))
            buttons_[kMaximize].ImageIndex = normal;
    } else if (BigButtonSet() || !model->HasImage(GlobalImage(*model, "SICONCLOSE"))) {
        buttons_[kMaximize].ImageIndex = GlobalImage(*model, BigButtonSet() ? "BICONMAX" : "SICONMAX");
    }
    TTitleButtonGeometry g;
    g.CacheWidth = cache->Width();
    g.RightMargin = Margins()[2];
    g.FrameBorder = FrameBorderWidth(true);
    g.BIRight = globals.BIRight;
    g.BISpace = globals.BISpace;
    g.BigSet = BigButtonSet();
    g.CenterLine = centerLine_;
    const bool hangs = buttons_[kClose].BigAlignment && globals.BIVAlign == 1;
    if (hangs && borderForm_) {
        const int top = Margins()[1];
        g.AlignedTop = IsMaximized() ? (globals.MaxHeight == 0 || globals.MaxHeight == globals.TitleHeight
                                            ? top + 4
                                            : top + std::max(0, globals.TitleHeight - globals.MaxHeight) + 4)
                                     : top + globals.BITop;
    } else {
        g.AlignedTop = hangs ? (IsMaximized() ? 7 : 0) : -1;
    }
    const TTitleButtonSize closeSize = SizeOfItem(model, buttons_[kClose].ImageIndex, true);
    auto sizeOf = [&](int slot, bool visible) {
        TTitleButtonSize size = SizeOfItem(model, buttons_[static_cast<std::size_t>(slot)].ImageIndex, visible);
        size.Height = closeSize.Height;
        return size;
    };
    std::vector<TTitleButtonSize> sizes{sizeOf(kClose, hasSysButtons_), sizeOf(kMaximize, systemMenu_->VisibleMax()),
                                        sizeOf(kMinimize, systemMenu_->VisibleMin())};
    std::vector<RECT> rects;
    buttonBlockWidth_ = LayoutTitleButtonRow(g, sizes, rects);
    buttons_[kClose].Rect = rects[0];
    buttons_[kMaximize].Rect = rects[1];
    buttons_[kMinimize].Rect = rects[2];
    buttons_[kHelp].Rect = RECT{};
    int left = rects[0].left;
    for (const RECT& r : rects)
        if (r.right > r.left)
            left = std::min<int>(left, r.left - (g.BigSet ? g.BISpace : 0));
    if ((form_.BorderIcons() & biHelp) != 0 && hasSysButtons_) {
        TTitleButtonGeometry helpGeometry = g;
        helpGeometry.CacheWidth = left - 6;
        helpGeometry.BIRight = 0;
        helpGeometry.FrameBorder = 0;
        helpGeometry.AlignedTop = -1;
        std::vector<RECT> help;
        LayoutTitleButtonRow(helpGeometry, {sizeOf(kHelp, true)}, help);
        buttons_[kHelp].Rect = help[0];
        buttonBlockWidth_ += help[0].right - help[0].left + (g.BigSet ? g.BISpace : 0) + 6;
        left = help[0].left - (g.BigSet ? g.BISpace : 0);
    }
    LayoutUserButtons(left, g.BigSet);
}

void TsSkinProvider::DrawButtonImage(TacPixelsView target, int x, int y, const TitleButtonRecord& button, int state) {
    if (const TsTitleButton* user = UserButton(button.HitCode)) {
        PaintUserButton(target, x, y, *user, state);
        return;
    }
    const TsSkinModel* model = Model();
    if (model == nullptr || !model->HasImage(button.ImageIndex))
        return;
    const TsMaskData& item = model->Masks[static_cast<std::size_t>(button.ImageIndex)];
    bool enabled = true;
    if (button.HitCode == HTMAXBUTTON)
        enabled = systemMenu_ != nullptr && (systemMenu_->EnabledMax() || systemMenu_->EnabledRestore());
    else if (button.HitCode == HTMINBUTTON)
        enabled = systemMenu_ != nullptr && systemMenu_->EnabledMin();
    const bool faded = state == 0 && (formActive_ == 0 || !enabled);
    DrawStateImage(target, x, y, state, BitmapBackdrop(target, x, y), item, faded ? simFaded : simNormal);
}

void TsSkinProvider::PaintTitleButton(TBitmap& cache, const TitleButtonRecord& button) {
    if (button.Placed())
        DrawButtonImage(cache.Pixels(), button.Rect.left, button.Rect.top, button, button.State);
}

void TsSkinProvider::PaintButtonFrame(TBitmap& frame, const TitleButtonRecord& button, int state) {
    const RECT& r = button.Rect;
    TacPixelsView pixels = frame.Pixels();
    FillPixels(pixels, TacRect{0, 0, pixels.Width, pixels.Height}, ColorToPixelOrder(PaintColorToRGB(FaceColor())),
               0xFF);
    if (TBitmap* cache = FrameCache())
        CopyPixels(pixels, 0, 0, cache->Pixels(), TacRect{r.left, r.top, r.right, r.bottom});
    // The caption as it was before any button was drawn on it.
    const RECT& strip = buttonStripRect_;
    const RECT behind{std::max(r.left, strip.left), std::max(r.top, strip.top), std::min(r.right, strip.right),
                      std::min(r.bottom, strip.bottom)};
    if (behind.right > behind.left && behind.bottom > behind.top)
        CopyPixels(pixels, behind.left - r.left, behind.top - r.top, buttonStrip_->Pixels(),
                   TacRect{behind.left - strip.left, behind.top - strip.top, behind.right - strip.left,
                           behind.bottom - strip.top});
    MakeOpaque(pixels);
    DrawButtonImage(pixels, 0, 0, button, state);
    // The popup covers opaque caption: nothing of it may let the window below through.
    MakeOpaque(pixels);
}

void TsSkinProvider::SaveButtonStrip(TBitmap& cache) {
    RECT strip{cache.Width(), 0, cache.Width(), 0};
    auto take = [&](const TitleButtonRecord& button) {
        if (button.Placed()) {
            strip.left = std::min(strip.left, button.Rect.left);
            strip.right = std::max(strip.right, button.Rect.right);
        }
    };
    for (const auto& button : buttons_)
        take(button);
    for (int i = 0; i < titleButtons_->Count(); ++i)
        take(titleButtons_->Items(i).Record());
    strip.top = 0;
    strip.bottom = std::min(cache.Height(), titleBottom_);
    strip.left = std::max<LONG>(0, strip.left);
    strip.right = std::min<LONG>(cache.Width(), strip.right);
    buttonStripRect_ = strip;
    const int w = std::max<int>(0, strip.right - strip.left), h = std::max<int>(0, strip.bottom - strip.top);
    buttonStrip_->SetSize(w, h);
    if (w > 0 && h > 0)
        CopyPixels(buttonStrip_->Pixels(), 0, 0, cache.Pixels(),
                   TacRect{strip.left, strip.top, strip.right, strip.bottom});
}

void TsSkinProvider::RestoreButtonStrip(TBitmap& cache, const RECT& area) {
    const RECT& strip = buttonStripRect_;
    RECT r{std::max(area.left, strip.left), std::max(area.top, strip.top), std::min(area.right, strip.right),
           std::min(area.bottom, strip.bottom)};
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    CopyPixels(cache.Pixels(), r.left, r.top, buttonStrip_->Pixels(),
               TacRect{r.left - strip.left, r.top - strip.top, r.right - strip.left, r.bottom - strip.top});
}

void TsSkinProvider::PaintTitleButtons(TBitmap& cache) {
    if (!IsBordered())
        return;
    RestoreButtonStrip(cache, buttonStripRect_);
    for (const auto& button : buttons_)
        PaintTitleButton(cache, button);
    for (int i = 0; i < titleButtons_->Count(); ++i)
        if (titleButtons_->Items(i).Visible())
            PaintTitleButton(cache, titleButtons_->Items(i).Record());
}

// The cache always shows the button's new state, so that whatever reads or shows the
// cache later is right; an animation only decides when the window shows it.
void TsSkinProvider::RepaintTitleButton(int code) {
    TitleButtonRecord* button = ButtonOf(code);
    TBitmap* cache = FrameCache();
    if (button == nullptr || cache == nullptr || !button->Placed() || skinData_->CacheStale || !form_.HandleAllocated())
        return;
    RestoreButtonStrip(*cache, button->Rect);
    PaintTitleButton(*cache, *button);
    if (AnimatesTitleButtons())
        AnimationOf(*button).Start(button->State);
    else
        ShowButtonFromCache(*button);
    UpdateButtonGlow(*button);
}

void TsSkinProvider::ShowButtonFromCache(const TitleButtonRecord& button) {
    TBitmap* cache = FrameCache();
    if (cache == nullptr || !form_.HandleAllocated() || !button.Placed())
        return;
    if (borderForm_) {
        borderForm_->RefreshContent();
        return;
    }
    HDC dc = ::GetWindowDC(form_.Handle());
    if (dc == nullptr)
        return;
    const RECT& r = button.Rect;
    ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, cache->Canvas().Handle(), r.left, r.top, SRCCOPY);
    ::ReleaseDC(form_.Handle(), dc);
}

bool TsSkinProvider::AnimatesTitleButtons() const {
    TsSkinManager* manager = SkinManager();
    if (manager == nullptr || !form_.HandleAllocated() || form_.Parent() != nullptr || !LayeredWindowsAvailable())
        return false;
    if (!manager->Effects.AllowGlowing() && !borderForm_)
        return false;
    return ::IsWindowVisible(form_.Handle()) && !IsMinimized();
}

TacSBAnimation* TsSkinProvider::ButtonAnimation(int hitCode) const {
    const int slot = ButtonSlot(hitCode);
    if (slot >= 0)
        return animations_[static_cast<std::size_t>(slot)].get();
    const auto index = static_cast<std::size_t>(hitCode - kUserButtonBase);
    return IsUserButtonCode(hitCode) && index < userAnimations_.size() ? userAnimations_[index].get() : nullptr;
}

TacSBAnimation& TsSkinProvider::AnimationOf(const TitleButtonRecord& button) {
    const int slot = ButtonSlot(button.HitCode);
    if (slot < 0) {
        const auto index = static_cast<std::size_t>(button.HitCode - kUserButtonBase);
        if (userAnimations_.size() <= index)
            userAnimations_.resize(index + 1);
        auto& animation = userAnimations_[index];
        if (!animation)
            animation = std::make_unique<TacSBAnimation>(*this, button.HitCode);
        return *animation;
    }
    auto& animation = animations_[static_cast<std::size_t>(slot)];
    if (!animation)
        animation = std::make_unique<TacSBAnimation>(*this, button.HitCode);
    return *animation;
}

RECT TsSkinProvider::ButtonScreenRect(const TitleButtonRecord& button) const {
    POINT origin = WindowOrigin();
    if (borderForm_) {
        const POINT offset = borderForm_->Offset();
        origin.x += offset.x;
        origin.y += offset.y;
    }
    RECT r = button.Rect;
    ::OffsetRect(&r, origin.x, origin.y);
    return r;
}

void TsSkinProvider::StopButtonAnimations() {
    for (auto& animation : animations_)
        if (animation)
            animation->Stop();
    for (auto& animation : userAnimations_)
        if (animation)
            animation->Stop();
}

void TsSkinProvider::FreeButtonAnimations() {
    bool wasActive = false;
    for (auto& animation : animations_)
        wasActive = wasActive || (animation && animation->Active());
    for (auto& animation : userAnimations_)
        wasActive = wasActive || (animation && animation->Active());
    StopButtonAnimations();
    if (!wasActive)
        return;
    // What the popups showed on top, the window below shows from now on.
    if (skinData_->CacheStale)
        return;
    if (borderForm_) {
        borderForm_->RefreshContent();
        return;
    }
    for (const auto& button : buttons_)
        ShowButtonFromCache(button);
    for (int i = 0; i < titleButtons_->Count(); ++i)
        ShowButtonFromCache(titleButtons_->Items(i).Record());
}

void TsSkinProvider::UpdateButtonGlow(TitleButtonRecord& button) {
    const TsSkinModel* model = Model();
    TsSkinManager* manager = SkinManager();
    int glow = 0, margin = 0;
    if (model != nullptr) {
        const TsSkinData& globals = model->SkinGlobals;
        if (button.HitCode == HTMINBUTTON) {
            glow = globals.BIconMinGlow;
            margin = globals.BIconMinGlowMargin;
        } else if (button.HitCode == HTMAXBUTTON) {
            glow = globals.BIconMaxGlow;
            margin = globals.BIconMaxGlowMargin;
        } else if (button.HitCode == HTCLOSE) {
            glow = globals.BIconCloseGlow;
            margin = globals.BIconCloseGlowMargin;
        }
    }
    const bool wanted = button.State == 1 && glow > 0 && manager != nullptr && manager->Effects.AllowGlowing() &&
                        form_.Parent() == nullptr && model->HasImage(button.ImageIndex);
    if (!wanted) {
        if (KeepsOwnGlow(button))
            HideGlow(button.GlowId);
        return;
    }
    if (KeepsOwnGlow(button))
        return;
    const RECT rect = ButtonScreenRect(button);
    HWND parent = borderForm_ && borderForm_->BorderWindow() != nullptr ? borderForm_->BorderWindow() : form_.Handle();
    const std::string& name = model->Masks[static_cast<std::size_t>(button.ImageIndex)].Key;
    button.GlowId = ShowGlow(rect, rect, "GLOBALINFO", model, parent, 255, margin, name + "GLOW");
    const TacGlowEffect* shown = GlowEffectOf(button.GlowId);
    glowWindows_[static_cast<std::size_t>(ButtonSlot(button.HitCode))] = shown != nullptr ? shown->Handle() : nullptr;
}

// Another form's move clears every glow of the process, and the list's slots are given
// out again: an id is only this button's while it still names the window shown for it.
bool TsSkinProvider::KeepsOwnGlow(TitleButtonRecord& button) {
    if (button.GlowId < 0)
        return false;
    const int slot = ButtonSlot(button.HitCode);
    const TacGlowEffect* glow = GlowEffectOf(button.GlowId);
    if (slot >= 0 && glow != nullptr && glow->Handle() != nullptr &&
        glow->Handle() == glowWindows_[static_cast<std::size_t>(slot)])
        return true;
    button.GlowId = -1;
    return false;
}

void TsSkinProvider::HideButtonGlows() {
    for (auto& button : buttons_)
        if (KeepsOwnGlow(button))
            HideGlow(button.GlowId);
}

// Every glow of the process goes; the ids this provider kept mean nothing afterwards.
void TsSkinProvider::ClearAllGlows() {
    ClearGlows();
    for (auto& button : buttons_)
        button.GlowId = -1;
}

void TsSkinProvider::SetHoverButton(int code, bool repaint) {
    if (code == hoverCode_)
        return;
    if (TitleButtonRecord* old = ButtonOf(hoverCode_)) {
        old->State = 0;
        if (TsTitleButton* user = UserButton(hoverCode_))
            UserButtonHotChanged(*user, false);
        if (repaint)
            RepaintTitleButton(hoverCode_);
    }
    hoverCode_ = code;
    if (buttonPressed_ || code == -1)
        return;
    if (TitleButtonRecord* now = ButtonOf(code)) {
        now->State = 1;
        if (repaint)
            RepaintTitleButton(code);
        if (TsTitleButton* user = UserButton(code))
            UserButtonHotChanged(*user, true);
    }
}

void TsSkinProvider::PressButton(int code) {
    if (TitleButtonRecord* old = ButtonOf(hoverCode_); old != nullptr && hoverCode_ != code) {
        old->State = 0;
        RepaintTitleButton(hoverCode_);
    }
    TitleButtonRecord* button = ButtonOf(code);
    if (button == nullptr)
        return;
    if (TsTitleButton* user = UserButton(code))
        user->HideHint();
    if (code == HTMAXBUTTON && systemMenu_ != nullptr && !systemMenu_->EnabledMax() &&
        !(IsMaximized() && systemMenu_->EnabledRestore()))
        return;
    hoverCode_ = code;
    pressedCode_ = code;
    button->State = 2;
    buttonPressed_ = true;
    RepaintTitleButton(code);
}

void TsSkinProvider::ResetButtons() {
    for (auto& button : buttons_) {
        if (button.State != 0) {
            button.State = 0;
            RepaintTitleButton(button.HitCode);
        }
    }
    for (int i = 0; i < titleButtons_->Count(); ++i) {
        TsTitleButton& user = titleButtons_->Items(i);
        user.HideHint();
        if (user.Record().State != 0) {
            user.Record().State = 0;
            RepaintTitleButton(user.Record().HitCode);
        }
    }
    hoverCode_ = 0;
    buttonPressed_ = false;
    pressedCode_ = 0;
}

// Dragged off, the pressed button turns normal; coming back it stays normal (the hover
// moves, but nothing turns hot while a button is held). The release decides alone.
void TsSkinProvider::FollowPressedPointer(POINT screen) {
    const int code = NonClientHitTest(screen);
    SetHoverButton(IsButtonCode(code) && Button(code).Placed() ? code : 0);
}

void TsSkinProvider::TakePopupMouse(UINT msg, POINT screen) {
    if (!form_.HandleAllocated())
        return;
    UINT frameMessage = WM_NCMOUSEMOVE;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
        frameMessage = WM_NCLBUTTONDOWN;
        break;
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP:
        frameMessage = WM_NCLBUTTONUP;
        break;
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDBLCLK:
        frameMessage = WM_NCLBUTTONDBLCLK;
        break;
    default:
        break;
    }
    // With a border window the frame is that window's: it translates the point itself.
    if (borderForm_ && borderForm_->BorderWindow() != nullptr) {
        ::SendMessageA(borderForm_->BorderWindow(), frameMessage, HTOBJECT, MAKELPARAM(screen.x, screen.y));
        return;
    }
    const int code = NonClientHitTest(screen);
    ::SendMessageA(form_.Handle(), frameMessage, static_cast<WPARAM>(code), MAKELPARAM(screen.x, screen.y));
}

void TsSkinProvider::DropStalePress() {
    if (buttonPressed_ && !capturing_ && (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0)
        ResetButtons();
}

// A release decides by where the mouse is now: only a release over the pressed button
// runs its command, whatever the hover did in between.
void TsSkinProvider::ReleaseButton(int code, POINT screen) {
    const bool pressed = buttonPressed_;
    const int pressedCode = pressedCode_;
    buttonPressed_ = false;
    if (capturing_) {
        capturing_ = false;
        ::ReleaseCapture();
    }
    TitleButtonRecord* button = ButtonOf(pressedCode);
    const bool over = button != nullptr && Inside(button->Rect, ToWindow(screen)) && code == pressedCode;
    ResetButtons();
    if (!pressed || !over || !form_.HandleAllocated())
        return;
    HWND window = form_.Handle();
    switch (pressedCode) {
    case HTMINBUTTON:
        ::SendMessageA(window, WM_SYSCOMMAND, IsMinimized() ? SC_RESTORE : SC_MINIMIZE, 0);
        break;
    case HTMAXBUTTON:
        ::SendMessageA(window, WM_SYSCOMMAND, IsMaximized() ? SC_RESTORE : SC_MAXIMIZE, 0);
        if (systemMenu_ != nullptr)
            systemMenu_->UpdateItems();
        break;
    case HTCLOSE:
        ::SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        // The form may have refused to close: its buttons are normal again.
        if (::IsWindow(window) && !form_.HasState(csDestroying)) {
            StopButtonAnimations();
            skinData_->CacheStale = true;
            ResetButtons();
            RepaintFrameNow();
        }
        break;
    case HTHELP:
        ::SendMessageA(window, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
        break;
    default:
        if (TsTitleButton* user = UserButton(pressedCode); user != nullptr && user->OnMouseUp)
            user->OnMouseUp(this, TMouseButton::mbLeft, 0, screen.x, screen.y);
        break;
    }
}

// ---- title-button animation ------------------------------------------------------------

namespace {

constexpr const char* kAnimationWindowClass = "acSBAnimation";
constexpr UINT_PTR kAnimationTimer = 1;

void RegisterAnimationWindowClass(WNDPROC procedure) {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kAnimationWindowClass;
    registered = ::RegisterClassA(&wc) != 0;
}

bool IsTopmostWindow(HWND window) {
    return window != nullptr && (::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

} // namespace

TacSBAnimation::TacSBAnimation(TsSkinProvider& owner, int hitCode) : owner_(owner), hitCode_(hitCode) {}

TacSBAnimation::~TacSBAnimation() {
    ReleaseWindow();
}

void TacSBAnimation::Start(int state) {
    if (state == target_)
        return;
    const TitleButtonRecord* button = owner_.ButtonOf(hitCode_);
    if (button == nullptr)
        return;
    if (state != 0) {
        // A press shows at once on a fresh popup; a hover fades in from the first step.
        if (state == 2)
            ReleaseWindow();
        target_ = state;
        steps_ = state == 2 ? 1 : FadeSteps;
        fadeIn_ = true;
        step_ = 1;
        if (!BuildFrame() || !EnsureWindow()) {
            Stop();
            owner_.ShowButtonFromCache(*button);
            return;
        }
        ShowFrame(FadeStepAlpha(steps_, step_));
        step_ = 2;
        if (steps_ > 1)
            SetTimerRunning(true);
        else
            FinishFadeIn();
        return;
    }
    // Back to normal: the window below shows the normal button now, and what the popup
    // shows fades out over it from where it stands.
    if (window_ == nullptr || !frame_) {
        Stop();
        owner_.ShowButtonFromCache(*button);
        return;
    }
    target_ = 0;
    fadeIn_ = false;
    step_ = std::min(step_, FadeSteps) - 1;
    steps_ = FadeSteps;
    SetTimerRunning(false);
    owner_.ShowButtonFromCache(*button);
    if (target_ != 0)
        return; // the window below was moved meanwhile, which ended this animation
    if (step_ <= 0) {
        Stop();
        return;
    }
    ShowFrame(FadeStepAlpha(steps_, step_));
    SetTimerRunning(true);
}

void TacSBAnimation::Stop() {
    ReleaseWindow();
    target_ = -1;
    step_ = 0;
    steps_ = 0;
    fadeIn_ = false;
}

void TacSBAnimation::FinishFadeIn() {
    SetTimerRunning(false);
    if (shownAlpha_ != 255)
        ShowFrame(255);
    steps_ = -1;
    if (const TitleButtonRecord* button = owner_.ButtonOf(hitCode_))
        owner_.ShowButtonFromCache(*button);
}

void TacSBAnimation::Tick() {
    if (!timerRunning_ || !Active())
        return;
    if (fadeIn_) {
        if (step_ < steps_) {
            ShowFrame(FadeStepAlpha(steps_, step_));
            ++step_;
            return;
        }
        FinishFadeIn();
        // A leave that came while the button faded in may have been missed.
        const TitleButtonRecord* button = owner_.ButtonOf(hitCode_);
        POINT cursor{};
        if (button != nullptr && ::GetCursorPos(&cursor) && owner_.Form().HandleAllocated()) {
            const RECT r = owner_.ButtonScreenRect(*button);
            if (!Inside(r, cursor))
                ::SendMessageA(owner_.Form().Handle(), WM_MOUSELEAVE, 0, 0);
        }
        return;
    }
    --step_;
    if (step_ <= 0) {
        Stop();
        return;
    }
    ShowFrame(FadeStepAlpha(steps_, step_));
}

bool TacSBAnimation::BuildFrame() {
    const TitleButtonRecord* button = owner_.ButtonOf(hitCode_);
    if (button == nullptr || !button->Placed())
        return false;
    const int width = button->Rect.right - button->Rect.left, height = button->Rect.bottom - button->Rect.top;
    if (width <= 0 || height <= 0)
        return false;
    // A bitmap the system refuses means no animation, not an error for the hover.
    try {
        if (!frame_)
            frame_ = CreateBitmap32(width, height);
        else
            frame_->SetSize(width, height);
        owner_.PaintButtonFrame(*frame_, *button, target_);
    } catch (...) {
        frame_.reset();
        return false;
    }
    frameRect_ = owner_.ButtonScreenRect(*button);
    shownAlpha_ = -1;
    return true;
}

bool TacSBAnimation::EnsureWindow() {
    if (window_ != nullptr)
        return true;
    TCustomForm& form = owner_.Form();
    if (!form.HandleAllocated())
        return false;
    RegisterAnimationWindowClass(&TacSBAnimation::WindowProcedure);
    HWND shown = owner_.BorderForm() != nullptr ? owner_.BorderForm()->BorderWindow() : form.Handle();
    DWORD exStyle = WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT;
    if (IsTopmostWindow(shown) || IsTopmostWindow(form.Handle()))
        exStyle |= WS_EX_TOPMOST;
    window_ = ::CreateWindowExA(exStyle, kAnimationWindowClass, "", WS_POPUP, frameRect_.left, frameRect_.top,
                                frameRect_.right - frameRect_.left, frameRect_.bottom - frameRect_.top, form.Handle(),
                                nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (window_ == nullptr)
        return false;
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

void TacSBAnimation::ReleaseWindow() {
    SetTimerRunning(false);
    if (window_ != nullptr) {
        HWND window = window_;
        window_ = nullptr;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        ::DestroyWindow(window);
    }
    frame_.reset();
    shownAlpha_ = -1;
}

// Just above the form, and above its border window too when that lies over the form.
void TacSBAnimation::PlaceAboveForm() {
    HWND form = owner_.Form().Handle();
    HWND border = owner_.BorderForm() != nullptr ? owner_.BorderForm()->BorderWindow() : nullptr;
    UINT flags = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;
    HWND after = HWND_TOP;
    if ((::GetWindowLongPtrA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
        after = HWND_TOPMOST;
    } else {
        HWND above = ::GetWindow(form, GW_HWNDPREV);
        if (above != nullptr && above == border)
            above = ::GetWindow(border, GW_HWNDPREV);
        if (above == window_)
            flags |= SWP_NOZORDER;
        else if (above != nullptr)
            after = above;
    }
    ::SetWindowPos(window_, after, 0, 0, 0, 0, flags);
}

void TacSBAnimation::ShowFrame(BYTE alpha) {
    if (window_ == nullptr || !frame_)
        return;
    POINT position{frameRect_.left, frameRect_.top};
    SIZE size{frame_->Width(), frame_->Height()};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    HDC screen = ::GetDC(nullptr);
    acUpdateLayeredWindow(window_, screen, &position, &size, frame_->Canvas().Handle(), &origin, 0, &blend, ULW_ALPHA);
    ::ReleaseDC(nullptr, screen);
    shownAlpha_ = alpha;
    if (!::IsWindowVisible(window_)) {
        PlaceAboveForm();
        ::ShowWindow(window_, SW_SHOWNOACTIVATE);
    }
}

void TacSBAnimation::SetTimerRunning(bool running) {
    if (running && !timerRunning_ && window_ != nullptr)
        timerRunning_ = ::SetTimer(window_, kAnimationTimer, Interval, nullptr) != 0;
    else if (!running && timerRunning_) {
        if (window_ != nullptr)
            ::KillTimer(window_, kAnimationTimer);
        timerRunning_ = false;
    }
}

LRESULT CALLBACK TacSBAnimation::WindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TacSBAnimation*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (msg) {
    case WM_TIMER:
        if (self != nullptr && wParam == kAnimationTimer) {
            try {
                self->Tick();
            } catch (...) {
                HandleBoundaryException(std::current_exception());
            }
            return 0;
        }
        break;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
        // The popup lies over the button and should let the pointer through; where the
        // window system hands it the pointer all the same (a press that began on it, say),
        // the form takes the input as if it had come on its own frame.
        if (self != nullptr) {
            POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (msg < WM_NCMOUSEMOVE || msg > WM_NCLBUTTONDBLCLK)
                ::ClientToScreen(window, &screen);
            try {
                self->owner_.TakePopupMouse(msg, screen);
            } catch (...) {
                HandleBoundaryException(std::current_exception());
            }
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        ::BeginPaint(window, &paint);
        ::EndPaint(window, &paint);
        return 0;
    }
    default:
        break;
    }
    return ::DefWindowProcA(window, msg, wParam, lParam);
}

} // namespace sj
