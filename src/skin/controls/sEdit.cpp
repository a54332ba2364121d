#include "skin/controls/sEdit.h"

#include <algorithm>

#include "forms/FormReader.h"
#include "forms/Forms.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sControlText.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sSectionPaint.h"

namespace sj {

namespace {

// The client edge of the system edit is two pixels wide.
constexpr int ClientEdgeWidth = 2;

bool MarksFaceStale(UINT msg) {
    switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SETTEXT:
    case WM_SIZE:
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
    case CM_TEXTCHANGED:
    case CM_VISIBLECHANGED:
        return true;
    default:
        return false;
    }
}

} // namespace

TsEdit::TsEdit(TComponent* owner)
    : TEdit(owner), skinData_(std::make_unique<TsCtrlSkinData>(this, true)), disabledKind_(dkBlended) {
    skinData_->ControlKind = ckEdit;
    boundLabel_ = std::make_unique<TsBoundLabel>(*skinData_, *this);
}

TsEdit::~TsEdit() {
    boundLabel_.reset();
}

void TsEdit::SetDisabledKind(unsigned value) {
    if (value == disabledKind_)
        return;
    disabledKind_ = value;
    UpdateBoundLabel();
    RefreshFace();
}

void TsEdit::UpdateBoundLabel() {
    if (TLabel* label = boundLabel_->Label()) {
        label->SetVisible(Visible() || HasState(csDesigning));
        label->SetEnabled(Enabled() || (disabledKind_ & dkBlended) != 0);
    }
    boundLabel_->Place();
}

void TsEdit::SetBounds(int left, int top, int width, int height) {
    TEdit::SetBounds(left, top, width, height);
    if (boundLabel_)
        boundLabel_->Place();
}

int TsEdit::BorderWidth() const {
    return ClientEdgeWidth;
}

void TsEdit::Loaded() {
    TEdit::Loaded();
    skinData_->AfterLoad();
    boundLabel_->Place();
}

void TsEdit::RefreshFace() {
    skinData_->CacheStale = true;
    if (HandleAllocated() && !HasState(csLoading) && !HasState(csDestroying))
        ::RedrawWindow(HandleIfAllocated(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
}

void TsEdit::PaintFace() {
    TsCommonData& data = *skinData_;
    data.PrepareCacheBitmap();
    TBitmap& cache = *data.CacheBitmap;
    const int width = cache.Width();
    const int height = cache.Height();
    if (width > 0 && height > 0) {
        const int state = data.IsHot() ? 1 : 0;
        TBackdropRef backdrop;
        data.GetBackdrop(backdrop);
        PaintControlFace(cache.Pixels(), TacRect{0, 0, width, height}, data.Model(), data.FaceParams(), state, true,
                         backdrop, Left(), Top());
        if (data.CustomColor()) {
            const int a = BorderWidth();
            FillPixels(cache.Pixels(), TacRect{a, a, width - a, height - a},
                       ColorToPixelOrder(PaintColorToRGB(Color())), 0xFF);
        }
        PaintText();
        if (!Enabled())
            PaintDisabledLook(cache, disabledKind_, this, POINT{Left(), Top()}, backdrop);
    }
    data.CacheStale = false;
}

int TsEdit::TextRight() const {
    return Width() - BorderWidth() - 1;
}

UINT TsEdit::TextAlignment() const {
    return DT_LEFT;
}

void TsEdit::PaintText() {
    TBitmap& cache = *skinData_->CacheBitmap;
    const int a = BorderWidth();
    const RECT rect{a + 1, a + 1, TextRight(), Height() - a};
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    std::string text = Text();
    if (PasswordChar() != 0)
        text.assign(text.size(), PasswordChar());
    cache.Canvas().Font().Assign(Font());
    DrawControlText(cache.Canvas(), text, Enabled(), skinData_->IsHot(), *skinData_,
                    DT_SINGLELINE | DT_NOPREFIX | TextAlignment(), rect);
}

bool TsEdit::ShowsCachedClient() const {
    return !(Enabled() && skinData_->IsHot());
}

void TsEdit::PaintBorderRing(HDC windowDC) {
    if (skinData_->CacheStale)
        PaintFace();
    TBitmap& cache = *skinData_->CacheBitmap;
    const int w = std::min(Width(), cache.Width());
    const int h = std::min(Height(), cache.Height());
    const int b = std::min(BorderWidth(), std::min(w, h) / 2);
    if (b <= 0)
        return;
    HDC source = cache.Canvas().Handle();
    ::BitBlt(windowDC, 0, 0, w, b, source, 0, 0, SRCCOPY);
    ::BitBlt(windowDC, 0, h - b, w, b, source, 0, h - b, SRCCOPY);
    ::BitBlt(windowDC, 0, b, b, h - 2 * b, source, 0, b, SRCCOPY);
    ::BitBlt(windowDC, w - b, b, b, h - 2 * b, source, w - b, b, SRCCOPY);
}

void TsEdit::PaintClientFromCache(TMessage& message) {
    if (skinData_->CacheStale)
        PaintFace();
    PAINTSTRUCT paint{};
    HDC dc = message.WParam != 0 ? reinterpret_cast<HDC>(message.WParam) : ::BeginPaint(HandleIfAllocated(), &paint);
    // The window clips its children, so the arrows keep their own pixels.
    const RECT client = ClientRect();
    ::BitBlt(dc, 0, 0, client.right, client.bottom, skinData_->CacheBitmap->Canvas().Handle(), BorderWidth(),
             BorderWidth(), SRCCOPY);
    if (message.WParam == 0)
        ::EndPaint(HandleIfAllocated(), &paint);
    message.Result = 0;
}

void TsEdit::PrintSkinned(HDC dc, LPARAM flags) {
    if ((flags & PRF_NONCLIENT) != 0)
        PaintBorderRing(dc);
    if ((flags & PRF_CLIENT) == 0)
        return;
    // The client area lies inside the window's frame in the printed picture.
    RECT bounds{};
    ::GetWindowRect(HandleIfAllocated(), &bounds);
    POINT origin{0, 0};
    ::ClientToScreen(HandleIfAllocated(), &origin);
    const RECT client = ClientRect();
    const int saved = ::SaveDC(dc);
    if ((flags & PRF_NONCLIENT) != 0)
        ::OffsetViewportOrgEx(dc, origin.x - bounds.left, origin.y - bounds.top, nullptr);
    ::IntersectClipRect(dc, 0, 0, client.right, client.bottom);
    if (ShowsCachedClient()) {
        TMessage paint{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
        PaintClientFromCache(paint);
    } else {
        TMessage print{WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND, 0};
        TEdit::WndProc(print);
    }
    ::RestoreDC(dc, saved);
}

void TsEdit::FollowSkinCommand(TMessage& message) {
    const WORD code = SkinCommandCode(message.WParam);
    if (code == scQueryApplication) {
        message.Result = reinterpret_cast<LRESULT>(Application);
        return;
    }
    if (skinData_->HandleCommonMessage(message))
        return;
    if (code == scNewSkin || code == scRemoveSkin || code == scRefresh)
        RefreshFace();
}

void TsEdit::WndProc(TMessage& message) {
    const bool skinned = skinData_->IsSkinned();
    switch (message.Msg) {
    case SkinCommandMessage:
        FollowSkinCommand(message);
        return;
    case WM_NCPAINT:
        if (skinned && HandleAllocated()) {
            HDC dc = ::GetWindowDC(HandleIfAllocated());
            PaintBorderRing(dc);
            ::ReleaseDC(HandleIfAllocated(), dc);
            message.Result = 0;
            return;
        }
        break;
    case WM_PAINT:
        if (skinned && ShowsCachedClient()) {
            PaintClientFromCache(message);
            return;
        }
        break;
    case WM_PRINT:
        // The system's print would give the system's border.
        if (skinned && HandleAllocated() && message.WParam != 0) {
            PrintSkinned(reinterpret_cast<HDC>(message.WParam), message.LParam);
            message.Result = 0;
            return;
        }
        break;
    case WM_ERASEBKGND:
        if (skinned && ShowsCachedClient()) {
            message.Result = 1;
            return;
        }
        break;
    case CN_COMMAND:
        if (HIWORD(message.WParam) == EN_CHANGE)
            skinData_->CacheStale = true;
        break;
    default:
        break;
    }
    if (skinData_->HandleCommonMessage(message))
        return;
    TEdit::WndProc(message);
    if (message.Msg == WM_KILLFOCUS) {
        skinData_->HasFocus = false;
        skinData_->Hovered = false;
    }
    if (message.Msg == CM_VISIBLECHANGED || message.Msg == CM_ENABLEDCHANGED)
        UpdateBoundLabel();
    if (MarksFaceStale(message.Msg) && skinned)
        RefreshFace();
}

void RegisterSkinEditClasses() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterComponentClass<TsEdit>();
    RegisterSkinDataProperties<TsEdit>(+[](TsEdit& e) -> TsCommonData& { return e.SkinData(); });
    using Val = TPropValue;
    using Ctx = TReadContext;
    RegisterProperty<TsEdit>("DisabledKind", [](TsEdit& e, const Val& v, Ctx&) {
        e.SetDisabledKind(AsSetOf<unsigned>(v, {{"dkBlended", dkBlended}, {"dkGrayed", dkGrayed}}));
    });
    RegisterProperty<TsEdit>("BoundLabel.Active",
                             [](TsEdit& e, const Val& v, Ctx&) { e.BoundLabel().SetActive(AsBoolean(v)); });
    RegisterProperty<TsEdit>("BoundLabel.Caption",
                             [](TsEdit& e, const Val& v, Ctx&) { e.BoundLabel().SetCaption(AsString(v)); });
    RegisterProperty<TsEdit>("BoundLabel.Indent",
                             [](TsEdit& e, const Val& v, Ctx&) { e.BoundLabel().SetIndent(AsInt(v)); });
    RegisterProperty<TsEdit>("BoundLabel.MaxWidth",
                             [](TsEdit& e, const Val& v, Ctx&) { e.BoundLabel().SetMaxWidth(AsInt(v)); });
    RegisterProperty<TsEdit>("BoundLabel.UseSkinColor",
                             [](TsEdit& e, const Val& v, Ctx&) { e.BoundLabel().SetUseSkinColor(AsBoolean(v)); });
    RegisterProperty<TsEdit>("BoundLabel.Font.Name",
                             [](TsEdit& e, const Val& v, Ctx&) { e.BoundLabel().Font().SetName(AsString(v)); });
    RegisterProperty<TsEdit>("BoundLabel.Font.Height",
                             [](TsEdit& e, const Val& v, Ctx&) { e.BoundLabel().Font().SetHeight(AsInt(v)); });
    RegisterProperty<TsEdit>("BoundLabel.Font.Color",
                             [](TsEdit& e, const Val& v, Ctx&) { e.BoundLabel().Font().SetColor(AsColor(v)); });
    RegisterProperty<TsEdit>("BoundLabel.Layout", [](TsEdit& e, const Val& v, Ctx&) {
        e.BoundLabel().SetLayout(AsEnum<TsCaptionLayout>(v, {{"sclLeft", TsCaptionLayout::sclLeft},
                                                             {"sclTopLeft", TsCaptionLayout::sclTopLeft},
                                                             {"sclTopCenter", TsCaptionLayout::sclTopCenter},
                                                             {"sclTopRight", TsCaptionLayout::sclTopRight},
                                                             {"sclLeftTop", TsCaptionLayout::sclLeftTop},
                                                             {"sclBottomLeft", TsCaptionLayout::sclBottomLeft},
                                                             {"sclBottomCenter", TsCaptionLayout::sclBottomCenter},
                                                             {"sclBottomRight", TsCaptionLayout::sclBottomRight}}));
    });
}

} // namespace sj
