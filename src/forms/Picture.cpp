#include "forms/Picture.h"

#include "forms/Bitmap.h"
#include "forms/Icon.h"
#include "platform/Exception.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

namespace sj {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

bool LooksLikeBmp(const std::uint8_t* data, std::size_t size) {
    return size >= 2 && data[0] == 'B' && data[1] == 'M';
}

std::vector<TGraphicFormat>& Formats() {
    static std::vector<TGraphicFormat> formats{
        {"bmp", "Bitmaps", LooksLikeBmp, [] { return std::unique_ptr<TGraphic>(std::make_unique<TBitmap>()); }},
        {"ico", "Icons", LooksLikeIcon, [] { return std::unique_ptr<TGraphic>(std::make_unique<TIcon>()); }},
    };
    return formats;
}

std::string LowerExtension(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path.find_first_of(".\\/") == std::string::npos ? Lower(path) : std::string();
    }
    return Lower(path.substr(dot + 1));
}

} // namespace

void TPicture::RegisterFileFormat(TGraphicFormat format) {
    std::vector<TGraphicFormat>& formats = Formats();
    format.Extension = Lower(format.Extension);
    formats.erase(std::remove_if(formats.begin(), formats.end(),
                                 [&](const TGraphicFormat& f) { return f.Extension == format.Extension; }),
                  formats.end());
    formats.push_back(std::move(format));
}

std::string TPicture::GraphicFilter() {
    std::string all;
    std::string each;
    for (const TGraphicFormat& format : Formats()) {
        const std::string mask = "*." + format.Extension;
        all += (all.empty() ? "" : ";") + mask;
        each += "|" + format.Description + " (" + mask + ")|" + mask;
    }
    return "All (" + all + ")|" + all + each;
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
    if (OnChange) {
        OnChange();
    }
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    FGraphic = std::move(graphic);
    if (FGraphic) {
        FGraphic->OnChange = [this] { Changed(); };
    }
    Changed();
}

void TPicture::Assign(const TGraphic* graphic) {
    if (graphic == FGraphic.get()) {
        return;
    }
    SetGraphic(graphic != nullptr ? graphic->Clone() : nullptr);
}

TBitmap& TPicture::Bitmap() {
    if (auto* bitmap = dynamic_cast<TBitmap*>(FGraphic.get())) {
        return *bitmap;
    }
    SetGraphic(std::make_unique<TBitmap>());
    return static_cast<TBitmap&>(*FGraphic);
}

TIcon& TPicture::Icon() {
    if (auto* icon = dynamic_cast<TIcon*>(FGraphic.get())) {
        return *icon;
    }
    SetGraphic(std::make_unique<TIcon>());
    return static_cast<TIcon&>(*FGraphic);
}

int TPicture::Width() const {
    return FGraphic ? FGraphic->Width() : 0;
}
int TPicture::Height() const {
    return FGraphic ? FGraphic->Height() : 0;
}

void TPicture::LoadFromStream(std::istream& stream, const std::string& extensionHint) {
    const std::vector<std::uint8_t> data = ReadStreamToEnd(stream);
    const std::uint8_t* bytes = data.data();
    const TGraphicFormat* chosen = nullptr;
    // Newest registrations first, so a later unit may take over a signature.
    const std::vector<TGraphicFormat>& formats = Formats();
    for (auto it = formats.rbegin(); it != formats.rend() && chosen == nullptr; ++it) {
        if (it->Recognises && it->Recognises(bytes, data.size())) {
            chosen = &*it;
        }
    }
    const std::string extension = LowerExtension(extensionHint);
    for (auto it = formats.rbegin(); it != formats.rend() && chosen == nullptr; ++it) {
        if (!extension.empty() && it->Extension == extension) {
            chosen = &*it;
        }
    }
    if (chosen == nullptr) {
        throw Exception("Unknown picture file extension (." + extension + ")");
    }
    std::unique_ptr<TGraphic> graphic = chosen->Create();
    std::istringstream in(std::string(data.begin(), data.end()));
    graphic->LoadFromStream(in);
    SetGraphic(std::move(graphic));
}

void TPicture::LoadFromFile(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        throw EFileError("Cannot open file \"" + path + "\"");
    }
    LoadFromStream(stream, path);
}

void TPicture::SaveToStream(std::ostream& stream) const {
    if (FGraphic) {
        FGraphic->SaveToStream(stream);
    }
}

void TPicture::SaveToFile(const std::string& path) const {
    if (FGraphic) {
        FGraphic->SaveToFile(path);
    }
}

} // namespace sj
