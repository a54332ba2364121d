// TSpeedButton: a windowless push button with a glyph (a bitmap holding up to
// four images side by side: up, disabled, down, held down, or an image of an
// image list) and a caption. Buttons of one parent with the same non-zero
// GroupIndex work like radio buttons; Flat buttons show their frame only while
// the mouse is over them or they are down.
#pragma once

#include <memory>

#include "forms/Bitmap.h"
#include "forms/Controls.h"

namespace sj {

enum class TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TSpeedButton : public TGraphicControl {
    SJ_CLASS(TSpeedButton, TGraphicControl)

public:
    explicit TSpeedButton(TComponent* owner);

    TBitmap& Glyph() { return *glyph_; }
    void GlyphChanged() { Invalidate(); }
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int value);
    TComponent* Images() const { return images_; }
    void SetImages(TComponent* value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    bool Down() const { return down_; }
    // In a group, going down raises the others; without AllowAllUp the last
    // one down of a group cannot be raised by itself.
    void SetDown(bool value);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value) { allowAllUp_ = value; }
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);
    TButtonState State() const { return state_; }
    bool MouseInControl() const { return mouseInControl_; }

    void Click() override;

protected:
    void Paint() override;
    void WndProc(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
    void SetState(TButtonState value) { state_ = value; }
    // The button's background and frame, under its glyph and caption.
    virtual void DrawFrame(HDC dc, const RECT& client, bool pushed);

private:
    void UpdateExclusive();
    void DrawGlyph(const RECT& area, int& glyphWidth, int& glyphHeight, bool measureOnly);
    bool Inside(LPARAM point) const;

    std::unique_ptr<TBitmap> glyph_;
    int numGlyphs_ = 1;
    TComponent* images_ = nullptr;
    int imageIndex_ = -1;
    int groupIndex_ = 0;
    bool down_ = false;
    bool allowAllUp_ = false;
    bool flat_ = false;
    bool dragging_ = false;
    bool mouseInControl_ = false;
    TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
    int spacing_ = 4;
    TButtonState state_ = TButtonState::bsUp;
};

void RegisterSpeedButtonClass();

} // namespace sj
