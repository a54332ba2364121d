// Builders for the skin data tests: zlib streams, packages, BMP files and temporary
// skin folders, all made in memory by the tests themselves.
#pragma once

#include "platform/TempDir.h"
#include "skin/data/acSkinPack.h"
#include "platform/Pixmap.h"

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sj::test {

inline TacBytes Bytes(std::string_view text) {
    return TacBytes(text.begin(), text.end());
}

inline void PutInt32(TacBytes& out, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
    }
}

inline void PutInt16(TacBytes& out, std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    out.push_back(static_cast<std::uint8_t>(u));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
}

inline TacBytes Deflate(const TacBytes& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    TacBytes out(size);
    compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), Z_BEST_COMPRESSION);
    out.resize(size);
    return out;
}

struct TMember {
    std::string Name;
    TacBytes Content;
};

// An ASzf package of the members in order; `sizeDelta` falsifies the stored sizes.
inline TacBytes MakePackage(const std::vector<TMember>& members, std::int32_t sizeDelta = 0) {
    TacBytes out = Bytes("ASzf");
    PutInt32(out, static_cast<std::int32_t>(members.size()));
    for (const TMember& m : members) {
        PutInt32(out, static_cast<std::int32_t>(m.Name.size()));
        out.insert(out.end(), m.Name.begin(), m.Name.end());
        PutInt32(out, static_cast<std::int32_t>(m.Content.size()) + sizeDelta);
        const TacBytes packed = Deflate(m.Content);
        out.insert(out.end(), packed.begin(), packed.end());
    }
    return out;
}

// A bottom-up BMP file of 24 or 32 bits per pixel.
inline TacBytes MakeBmp(const TacPixmap& image, int bits) {
    const int bytesPerPixel = bits / 8;
    const int rowSize = (image.Width() * bytesPerPixel + 3) & ~3;
    const int dataSize = rowSize * image.Height();
    TacBytes out = Bytes("BM");
    PutInt32(out, 54 + dataSize);
    PutInt32(out, 0);
    PutInt32(out, 54);
    PutInt32(out, 40);
    PutInt32(out, image.Width());
    PutInt32(out, image.Height());
    PutInt16(out, 1);
    PutInt16(out, static_cast<std::int16_t>(bits));
    PutInt32(out, 0);
    PutInt32(out, dataSize);
    PutInt32(out, 2835);
    PutInt32(out, 2835);
    PutInt32(out, 0);
    PutInt32(out, 0);
    for (int y = image.Height() - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        for (int x = 0; x < image.Width(); ++x) {
            const TPixel32 p = image.At(x, y);
            out.push_back(PixelB(p));
            out.push_back(PixelG(p));
            out.push_back(PixelR(p));
            if (bytesPerPixel == 4) {
                out.push_back(PixelA(p));
            }
        }
        while (out.size() - start < static_cast<std::size_t>(rowSize)) {
            out.push_back(0);
        }
    }
    return out;
}

// A folder under the system's temporary folder, removed with everything in it.
class TTempFolder {
public:
    // The kit's own temporary folder, kept without its trailing separator.
    TTempFolder() : FPath(std::filesystem::path(FDir.Folder()).parent_path()) {}

    const std::filesystem::path& Path() const { return FPath; }
    // The folder as the skin layer writes folders: with a trailing separator.
    std::string Folder() const { return FPath.string() + "/"; }

    void Write(const std::string& relative, const TacBytes& content) const {
        const auto file = FPath / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
    }

private:
    TTempDir FDir;
    std::filesystem::path FPath;
};

} // namespace sj::test
