#include "PngWriter.h"

#include "platform/Exception.h"

#include <zlib.h>

#include <cstdio>
#include <memory>

namespace sj::tools {
namespace {

void PutBE32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[4], const std::vector<std::uint8_t>& data) {
    PutBE32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    // The CRC covers the chunk type and data, not the length.
    uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(4 + data.size()));
    PutBE32(out, static_cast<std::uint32_t>(crc));
}

std::vector<std::uint8_t> FilteredRows(const TacPixmap& image) {
    // Filter type 0 on every row: the images are small, and zlib does well enough on them.
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(image.Height()) * (1 + 4 * static_cast<std::size_t>(image.Width())));
    for (int y = 0; y < image.Height(); ++y) {
        raw.push_back(0);
        const TPixel32* row = image.Row(y);
        for (int x = 0; x < image.Width(); ++x) {
            raw.push_back(PixelR(row[x]));
            raw.push_back(PixelG(row[x]));
            raw.push_back(PixelB(row[x]));
            raw.push_back(PixelA(row[x]));
        }
    }
    return raw;
}

} // namespace

std::vector<std::uint8_t> EncodePng(const TacPixmap& image) {
    if (image.Empty())
        throw Exception("Cannot encode an empty image as PNG");
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> out(signature, signature + 8);

    std::vector<std::uint8_t> header;
    PutBE32(header, static_cast<std::uint32_t>(image.Width()));
    PutBE32(header, static_cast<std::uint32_t>(image.Height()));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, filter 0, no interlace
    PutChunk(out, "IHDR", header);

    const std::vector<std::uint8_t> raw = FilteredRows(image);
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK)
        throw Exception("Cannot compress PNG image data");
    packed.resize(packedSize);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", {});
    return out;
}

void WritePngFile(const std::string& path, const TacPixmap& image) {
    const std::vector<std::uint8_t> bytes = EncodePng(image);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        throw Exception("Cannot write file \"" + path + "\"");
}

} // namespace sj::tools
