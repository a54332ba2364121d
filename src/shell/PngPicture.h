// PNG images as a picture kind of the form framework: once registered, pictures,
// stored forms and image lists of the program load PNG files and draw them blended
// by their alpha channel.
#pragma once

#include "forms/Bitmap.h"
#include "forms/Graphics.h"
#include "platform/Pixmap.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace sj {

class TPngImage : public TGraphic {
public:
    TPngImage() = default;

    int Width() const override { return bitmap_.Width(); }
    int Height() const override { return bitmap_.Height(); }
    void Draw(TCanvas& canvas, const RECT& rect) override;
    void LoadFromStream(std::istream& stream) override;
    void LoadFromBytes(std::span<const std::uint8_t> data);
    // Writes the PNG file it was loaded from.
    void SaveToStream(std::ostream& stream) const override;
    std::unique_ptr<TGraphic> Clone() const override;
    std::string_view ClassName() const override { return "TPngImage"; }

    // The decoded pixels with straight alpha.
    TacPixmap Pixels() const;

private:
    TBitmap bitmap_;
    std::vector<std::uint8_t> data_;
};

// True when the bytes start with the PNG signature.
bool LooksLikePng(const std::uint8_t* data, std::size_t size);

// Makes PNG a picture kind of TPicture; idempotent.
void RegisterPngPictureFormat();

} // namespace sj
