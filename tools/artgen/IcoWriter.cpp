#include "IcoWriter.h"

#include "platform/Exception.h"
#include "tools/common/PngWriter.h"

#include <cstdio>
#include <memory>

namespace sj::art {
namespace {

constexpr std::size_t IconDirSize = 6;
constexpr std::size_t IconEntrySize = 16;
constexpr std::size_t BitmapInfoHeaderSize = 40;

void PutLE16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutLE32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::vector<std::uint8_t> EncodeDib(const TacPixmap& image) {
    const int size = image.Width();
    // The mask rows are padded to 32 bits; a set bit marks a transparent pixel for
    // readers that ignore the alpha channel.
    const std::size_t maskStride = ((static_cast<std::size_t>(size) + 31) / 32) * 4;
    std::vector<std::uint8_t> out;
    PutLE32(out, BitmapInfoHeaderSize);
    PutLE32(out, static_cast<std::uint32_t>(size));
    PutLE32(out, static_cast<std::uint32_t>(size * 2)); // colour rows plus mask rows
    PutLE16(out, 1);                                    // planes
    PutLE16(out, 32);                                   // bits per pixel
    for (int i = 0; i < 6; ++i)                         // no compression, sizes and palette unused
        PutLE32(out, 0);
    for (int y = size - 1; y >= 0; --y) // bottom-up rows
        for (int x = 0; x < size; ++x)
            PutLE32(out, image.At(x, y));
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskStride, 0);
        for (int x = 0; x < size; ++x)
            if (PixelA(image.At(x, y)) == 0)
                row[static_cast<std::size_t>(x) / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

} // namespace

std::vector<std::uint8_t> EncodeIco(const std::vector<TacPixmap>& images) {
    if (images.empty())
        throw Exception("An icon file needs at least one image");
    std::vector<std::vector<std::uint8_t>> payloads;
    for (const TacPixmap& image : images) {
        if (image.Width() != image.Height() || image.Width() < 1 || image.Width() > 256)
            throw Exception("Icon images must be square and 1 to 256 pixels wide");
        payloads.push_back(image.Width() == 256 ? tools::EncodePng(image) : EncodeDib(image));
    }

    std::vector<std::uint8_t> out;
    PutLE16(out, 0); // reserved
    PutLE16(out, 1); // icon, not cursor
    PutLE16(out, static_cast<unsigned>(images.size()));
    std::size_t offset = IconDirSize + IconEntrySize * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int size = images[i].Width();
        out.push_back(static_cast<std::uint8_t>(size == 256 ? 0 : size)); // 0 stands for 256
        out.push_back(static_cast<std::uint8_t>(size == 256 ? 0 : size));
        out.push_back(0); // no palette
        out.push_back(0); // reserved
        PutLE16(out, 1);  // planes
        PutLE16(out, 32); // bits per pixel
        PutLE32(out, static_cast<std::uint32_t>(payloads[i].size()));
        PutLE32(out, static_cast<std::uint32_t>(offset));
        offset += payloads[i].size();
    }
    for (const std::vector<std::uint8_t>& payload : payloads)
        out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

void WriteIcoFile(const std::string& path, const std::vector<TacPixmap>& images) {
    const std::vector<std::uint8_t> bytes = EncodeIco(images);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        throw EFileError("Cannot write file \"" + path + "\"");
}

} // namespace sj::art
