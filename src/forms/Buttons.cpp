#include "forms/Buttons.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <sstream>

#include "forms/FormReader.h"
#include "forms/StdCtrls.h"

namespace sj {

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), glyph_(std::make_unique<TBitmap>()) {
    SetBounds(0, 0, 23, 22);
    SetColor(clBtnFace);
    SetParentColor(true);
    SetControlStyle((ControlStyle() | csCaptureMouse) & ~static_cast<unsigned>(csClickEvents));
    glyph_->OnChange = [this] { Invalidate(); };
}

void TSpeedButton::SetNumGlyphs(int value) {
    numGlyphs_ = std::clamp(value, 1, 4);
    Invalidate();
}

void TSpeedButton::SetImages(TComponent* value) {
    if (images_ != nullptr)
        images_->RemoveFreeNotification(this);
    images_ = value;
    if (images_ != nullptr)
        images_->FreeNotification(this);
    Invalidate();
}

void TSpeedButton::SetImageIndex(int value) {
    imageIndex_ = value;
    Invalidate();
}

void TSpeedButton::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_)
        images_ = nullptr;
}

void TSpeedButton::SetGroupIndex(int value) {
    groupIndex_ = value;
    if (value == 0 && down_)
        SetDown(false);
}

void TSpeedButton::SetDown(bool value) {
    if (groupIndex_ == 0)
        value = false;
    if (value == down_)
        return;
    if (down_ && !allowAllUp_)
        return;
    down_ = value;
    state_ = value ? TButtonState::bsExclusive : TButtonState::bsUp;
    Invalidate();
    if (value)
        UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
    if (Parent() == nullptr || groupIndex_ == 0)
        return;
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        auto* other = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
        if (other == nullptr || other == this || other->groupIndex_ != groupIndex_ || !other->down_)
            continue;
        other->down_ = false;
        other->state_ = TButtonState::bsUp;
        other->Invalidate();
    }
}

void TSpeedButton::SetFlat(bool value) {
    flat_ = value;
    Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout value) {
    layout_ = value;
    Invalidate();
}

void TSpeedButton::SetSpacing(int value) {
    spacing_ = value;
    Invalidate();
}

void TSpeedButton::Click() {
    TGraphicControl::Click();
}

bool TSpeedButton::Inside(LPARAM point) const {
    int x = GET_X_LPARAM(point);
    int y = GET_Y_LPARAM(point);
    return x >= 0 && y >= 0 && x < Width() && y < Height();
}

void TSpeedButton::WndProc(TMessage& message) {
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (Enabled()) {
            dragging_ = true;
            if (!down_) {
                state_ = TButtonState::bsDown;
                Invalidate();
            }
        }
        break;
    case WM_MOUSEMOVE:
        if (dragging_) {
            TButtonState next = down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
            if (Inside(message.LParam) && !down_)
                next = TButtonState::bsDown;
            if (next != state_) {
                state_ = next;
                Invalidate();
            }
        }
        break;
    case WM_LBUTTONUP:
        if (dragging_) {
            dragging_ = false;
            bool inside = Inside(message.LParam);
            if (groupIndex_ == 0) {
                state_ = TButtonState::bsUp;
                Invalidate();
            } else if (inside) {
                SetDown(!down_);
                state_ = down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
                Invalidate();
            } else {
                state_ = down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
                Invalidate();
            }
            TGraphicControl::WndProc(message);
            if (inside)
                Click();
            return;
        }
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        mouseInControl_ = message.Msg == CM_MOUSEENTER;
        if (flat_)
            Invalidate();
        break;
    case CM_ENABLEDCHANGED:
        state_ = !Enabled() ? TButtonState::bsDisabled : down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
        break;
    default:
        break;
    }
    TGraphicControl::WndProc(message);
}

void TSpeedButton::DrawGlyph(const RECT& area, int& glyphWidth, int& glyphHeight, bool measureOnly) {
    HIMAGELIST list = ImageListHandleOf(images_);
    HDC dc = Canvas().Handle();
    if (list != nullptr && imageIndex_ >= 0) {
        ::ImageList_GetIconSize(list, &glyphWidth, &glyphHeight);
        if (!measureOnly)
            ::ImageList_DrawEx(list, imageIndex_, dc, area.left, area.top, 0, 0, CLR_NONE, CLR_NONE,
                               Enabled() ? ILD_TRANSPARENT : ILD_TRANSPARENT | ILD_BLEND50);
        return;
    }
    if (glyph_->Empty()) {
        glyphWidth = glyphHeight = 0;
        return;
    }
    glyphWidth = glyph_->Width() / numGlyphs_;
    glyphHeight = glyph_->Height();
    if (measureOnly)
        return;
    int index = 0;
    switch (state_) {
    case TButtonState::bsDisabled:
        index = 1;
        break;
    case TButtonState::bsDown:
        index = 2;
        break;
    case TButtonState::bsExclusive:
        index = 3;
        break;
    default:
        break;
    }
    if (index >= numGlyphs_)
        index = 0;
    // The bottom-left pixel of a glyph is its transparent colour, as in the usual glyph bitmaps.
    TColor clear = glyph_->TransparentColor();
    ::TransparentBlt(dc, area.left, area.top, glyphWidth, glyphHeight, glyph_->Canvas().Handle(), index * glyphWidth, 0,
                     glyphWidth, glyphHeight, ColorToRGB(clear));
}

void TSpeedButton::DrawFrame(HDC dc, const RECT& client, bool pushed) {
    RECT area = client;
    if (!flat_) {
        ::DrawFrameControl(dc, &area, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
        return;
    }
    Canvas().Brush().SetStyle(TBrushStyle::bsSolid);
    Canvas().Brush().SetColor(Color());
    Canvas().FillRect(area);
    if (pushed || (mouseInControl_ && Enabled()))
        ::DrawEdge(dc, &area, pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
}

void TSpeedButton::Paint() {
    TCanvas& canvas = Canvas();
    RECT client = ClientRect();
    bool pushed = state_ == TButtonState::bsDown || state_ == TButtonState::bsExclusive;
    DrawFrame(canvas.Handle(), client, pushed);
    int glyphWidth = 0;
    int glyphHeight = 0;
    DrawGlyph(client, glyphWidth, glyphHeight, true);
    std::string text = Caption();
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    RECT textSize{0, 0, client.right, 0};
    if (!text.empty())
        canvas.DrawText(text, textSize, DT_CALCRECT | DT_SINGLELINE);
    int textWidth = textSize.right;
    int textHeight = textSize.bottom;
    bool horizontal = layout_ == TButtonLayout::blGlyphLeft || layout_ == TButtonLayout::blGlyphRight;
    int gap = glyphWidth > 0 && !text.empty() ? spacing_ : 0;
    int totalWidth = horizontal ? glyphWidth + gap + textWidth : std::max(glyphWidth, textWidth);
    int totalHeight = horizontal ? std::max(glyphHeight, textHeight) : glyphHeight + gap + textHeight;
    int left = (client.right - totalWidth) / 2 + (pushed ? 1 : 0);
    int top = (client.bottom - totalHeight) / 2 + (pushed ? 1 : 0);
    RECT glyphArea{};
    RECT textArea{};
    switch (layout_) {
    case TButtonLayout::blGlyphLeft:
        glyphArea = RECT{left, top + (totalHeight - glyphHeight) / 2, 0, 0};
        textArea = RECT{left + glyphWidth + gap, top + (totalHeight - textHeight) / 2, 0, 0};
        break;
    case TButtonLayout::blGlyphRight:
        textArea = RECT{left, top + (totalHeight - textHeight) / 2, 0, 0};
        glyphArea = RECT{left + textWidth + gap, top + (totalHeight - glyphHeight) / 2, 0, 0};
        break;
    case TButtonLayout::blGlyphTop:
        glyphArea = RECT{left + (totalWidth - glyphWidth) / 2, top, 0, 0};
        textArea = RECT{left + (totalWidth - textWidth) / 2, top + glyphHeight + gap, 0, 0};
        break;
    case TButtonLayout::blGlyphBottom:
        textArea = RECT{left + (totalWidth - textWidth) / 2, top, 0, 0};
        glyphArea = RECT{left + (totalWidth - glyphWidth) / 2, top + textHeight + gap, 0, 0};
        break;
    }
    if (glyphWidth > 0)
        DrawGlyph(glyphArea, glyphWidth, glyphHeight, false);
    if (!text.empty()) {
        textArea.right = textArea.left + textWidth;
        textArea.bottom = textArea.top + textHeight;
        if (Enabled()) {
            canvas.Font().SetColor(Font().Color());
            canvas.DrawText(text, textArea, DT_SINGLELINE);
        } else {
            DrawEmbossedText(canvas, text, textArea, DT_SINGLELINE);
        }
    }
}

void RegisterSpeedButtonClass() {
    using Ctx = TReadContext;
    using Val = TPropValue;
    RegisterComponentClass<TSpeedButton>();
    RegisterProperty<TSpeedButton>("GroupIndex", [](TSpeedButton& b, const Val& v, Ctx&) { b.SetGroupIndex(AsInt(v)); });
    RegisterProperty<TSpeedButton>("Down", [](TSpeedButton& b, const Val& v, Ctx&) { b.SetDown(AsBoolean(v)); });
    RegisterProperty<TSpeedButton>("AllowAllUp", [](TSpeedButton& b, const Val& v, Ctx&) { b.SetAllowAllUp(AsBoolean(v)); });
    RegisterProperty<TSpeedButton>("Flat", [](TSpeedButton& b, const Val& v, Ctx&) { b.SetFlat(AsBoolean(v)); });
    RegisterProperty<TSpeedButton>("NumGlyphs", [](TSpeedButton& b, const Val& v, Ctx&) { b.SetNumGlyphs(AsInt(v)); });
    RegisterProperty<TSpeedButton>("Spacing", [](TSpeedButton& b, const Val& v, Ctx&) { b.SetSpacing(AsInt(v)); });
    RegisterProperty<TSpeedButton>("ImageIndex", [](TSpeedButton& b, const Val& v, Ctx&) { b.SetImageIndex(AsInt(v)); });
    RegisterReferenceProperty<TSpeedButton, TComponent>("Images", &TSpeedButton::SetImages);
    RegisterProperty<TSpeedButton>("Layout", [](TSpeedButton& b, const Val& v, Ctx&) {
        b.SetLayout(AsEnum<TButtonLayout>(v, {{"blGlyphLeft", TButtonLayout::blGlyphLeft},
                                              {"blGlyphRight", TButtonLayout::blGlyphRight},
                                              {"blGlyphTop", TButtonLayout::blGlyphTop},
                                              {"blGlyphBottom", TButtonLayout::blGlyphBottom}}));
    });
    RegisterProperty<TSpeedButton>("Glyph.Data", [](TSpeedButton& b, const Val& v, Ctx&) {
        const auto& bytes = AsBinary(v);
        std::istringstream stream(std::string(bytes.begin(), bytes.end()));
        b.Glyph().LoadFromStream(stream);
    });
}

} // namespace sj
