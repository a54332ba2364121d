#include "shell/PngPicture.h"

#include "forms/Picture.h"
#include "skin/paint/acPNG.h"

#include <algorithm>
#include <ostream>

namespace sj {

namespace {

constexpr std::uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

} // namespace

bool LooksLikePng(const std::uint8_t* data, std::size_t size) {
    return data != nullptr && size >= sizeof PngSignature && std::equal(PngSignature, PngSignature + 8, data);
}

void TPngImage::Draw(TCanvas& canvas, const RECT& rect) {
    bitmap_.Draw(canvas, rect);
}

void TPngImage::LoadFromStream(std::istream& stream) {
    LoadFromBytes(ReadStreamToEnd(stream));
}

void TPngImage::LoadFromBytes(std::span<const std::uint8_t> data) {
    // Decode first: a broken file leaves the image as it was.
    TacPixmap pixels = DecodePng(data);
    bitmap_.Assign(pixels);
    bitmap_.SetAlphaFormat(TAlphaFormat::afDefined);
    data_.assign(data.begin(), data.end());
    Changed();
}

void TPngImage::SaveToStream(std::ostream& stream) const {
    stream.write(reinterpret_cast<const char*>(data_.data()), static_cast<std::streamsize>(data_.size()));
}

std::unique_ptr<TGraphic> TPngImage::Clone() const {
    auto copy = std::make_unique<TPngImage>();
    if (!data_.empty())
        copy->LoadFromBytes(data_);
    copy->SetTransparent(Transparent());
    return copy;
}

TacPixmap TPngImage::Pixels() const {
    return data_.empty() ? TacPixmap() : DecodePng(data_);
}

void RegisterPngPictureFormat() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    TGraphicFormat format;
    format.Extension = "png";
    format.Description = "Portable Network Graphics";
    format.Recognises = LooksLikePng;
    format.Create = [] { return std::make_unique<TPngImage>(); };
    TPicture::RegisterFileFormat(std::move(format));
}

} // namespace sj
