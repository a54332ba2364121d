// TImage: a windowless control that shows one picture (bitmap, icon, or any kind
// registered with TPicture) at its top left corner, centred, or stretched to its
// bounds. Graphics with alpha blend over whatever the parent painted beneath.
// RegisterImageControlClass makes it and its stored properties known to the form
// reader ("Picture.Data" holds the picture's file bytes).
#pragma once

#include "forms/Controls.h"
#include "forms/Picture.h"

namespace sj {

class TImage : public TGraphicControl {
    SJ_CLASS(TImage, TGraphicControl)

public:
    explicit TImage(TComponent* owner);

    TPicture& Picture() { return picture_; }
    bool Center() const { return center_; }
    void SetCenter(bool value);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    // Where the picture is drawn, in the control's own coordinates.
    RECT DestRect() const;

protected:
    void Paint() override;

private:
    void PictureChanged();

    TPicture picture_;
    bool center_ = false;
    bool stretch_ = false;
    bool transparent_ = false;
};

// Idempotent.
void RegisterImageControlClass();

} // namespace sj
