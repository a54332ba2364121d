#include "forms/ImageControl.h"

#include "forms/FormReader.h"

#include <sstream>

namespace sj {

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
    SetControlStyle(ControlStyle() | csParentBackground);
    SetBounds(Left(), Top(), 105, 105);
    picture_.OnChange = [this] { PictureChanged(); };
}

void TImage::SetCenter(bool value) {
    if (center_ != value) {
        center_ = value;
        Invalidate();
    }
}

void TImage::SetStretch(bool value) {
    if (stretch_ != value) {
        stretch_ = value;
        Invalidate();
    }
}

void TImage::SetTransparent(bool value) {
    if (transparent_ != value) {
        transparent_ = value;
        if (TGraphic* graphic = picture_.Graphic())
            graphic->SetTransparent(value);
        Invalidate();
    }
}

RECT TImage::DestRect() const {
    if (stretch_ || picture_.Empty())
        return RECT{0, 0, Width(), Height()};
    const int width = picture_.Width();
    const int height = picture_.Height();
    int left = 0;
    int top = 0;
    if (center_) {
        left = (Width() - width) / 2;
        top = (Height() - height) / 2;
    }
    return RECT{left, top, left + width, top + height};
}

void TImage::Paint() {
    TGraphic* graphic = picture_.Graphic();
    if (graphic == nullptr || graphic->Empty())
        return;
    try {
        Canvas().StretchDraw(DestRect(), *graphic);
    } catch (...) {
        // A graphic that cannot draw leaves the area to the parent's background.
    }
}

void TImage::PictureChanged() {
    if (TGraphic* graphic = picture_.Graphic())
        graphic->SetTransparent(transparent_);
    Invalidate();
}

void RegisterImageControlClass() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterComponentClass<TImage>();
    RegisterProperty<TImage>("Center",
                             [](TImage& image, const TPropValue& value, TReadContext&) { image.SetCenter(AsBoolean(value)); });
    RegisterProperty<TImage>("Stretch", [](TImage& image, const TPropValue& value, TReadContext&) {
        image.SetStretch(AsBoolean(value));
    });
    RegisterProperty<TImage>("Transparent", [](TImage& image, const TPropValue& value, TReadContext&) {
        image.SetTransparent(AsBoolean(value));
    });
    RegisterProperty<TImage>("Picture.Data", [](TImage& image, const TPropValue& value, TReadContext&) {
        const std::vector<std::uint8_t>& bytes = AsBinary(value);
        std::istringstream stream(std::string(bytes.begin(), bytes.end()), std::ios::binary);
        image.Picture().LoadFromStream(stream);
    });
}

} // namespace sj
