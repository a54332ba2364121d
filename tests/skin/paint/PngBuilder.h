// Builds PNG files of any colour type, bit depth and interlacing for the decoder
// tests, with every row filter in turn.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace sj::test {

using Bytes = std::vector<std::uint8_t>;

struct PngPlan {
    int Width = 1;
    int Height = 1;
    int ColorType = 6;
    int Depth = 8;
    bool Interlaced = false;
    std::vector<std::vector<unsigned>> Pixels; // row-major, one sample list per pixel
    int FirstFilter = 0;                       // filter of row k is (FirstFilter + k) % 5
};

inline void PutBE32(Bytes& b, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        b.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline Bytes Chunk(const std::string& type, const Bytes& data) {
    Bytes b;
    PutBE32(b, static_cast<std::uint32_t>(data.size()));
    b.insert(b.end(), type.begin(), type.end());
    b.insert(b.end(), data.begin(), data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
    if (!data.empty())
        crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    PutBE32(b, static_cast<std::uint32_t>(crc));
    return b;
}

inline Bytes HeaderData(const PngPlan& s, int compression = 0) {
    Bytes d;
    PutBE32(d, static_cast<std::uint32_t>(s.Width));
    PutBE32(d, static_cast<std::uint32_t>(s.Height));
    d.push_back(static_cast<std::uint8_t>(s.Depth));
    d.push_back(static_cast<std::uint8_t>(s.ColorType));
    d.push_back(static_cast<std::uint8_t>(compression));
    d.push_back(0);
    d.push_back(s.Interlaced ? 1 : 0);
    return d;
}

inline int ChannelsOf(int colorType) {
    return colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
}

inline Bytes PackRow(const PngPlan& s, const std::vector<const std::vector<unsigned>*>& pixels) {
    Bytes row;
    int bitPos = 0;
    for (const auto* px : pixels)
        for (unsigned v : *px) {
            if (s.Depth == 16) {
                row.push_back(static_cast<std::uint8_t>(v >> 8));
                row.push_back(static_cast<std::uint8_t>(v));
            } else if (s.Depth == 8) {
                row.push_back(static_cast<std::uint8_t>(v));
            } else {
                if (bitPos % 8 == 0)
                    row.push_back(0);
                row.back() |= static_cast<std::uint8_t>(v << (8 - s.Depth - bitPos % 8));
                bitPos += s.Depth;
            }
        }
    return row;
}

inline int Paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

inline Bytes FilterRow(int filter, const Bytes& row, const Bytes& prior, std::size_t step) {
    Bytes out{static_cast<std::uint8_t>(filter)};
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int a = i >= step ? row[i - step] : 0, b = prior.empty() ? 0 : prior[i];
        const int c = i >= step && !prior.empty() ? prior[i - step] : 0;
        const int predictor = filter == 1   ? a
                              : filter == 2 ? b
                              : filter == 3 ? (a + b) / 2
                              : filter == 4 ? Paeth(a, b, c)
                                            : 0;
        out.push_back(static_cast<std::uint8_t>(row[i] - predictor));
    }
    return out;
}

// The filtered, uncompressed image data.
inline Bytes RawImageData(const PngPlan& s) {
    struct Pass {
        int X0, Y0, DX, DY;
    };
    const std::vector<Pass> passes = s.Interlaced
                                         ? std::vector<Pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                                             {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                                         : std::vector<Pass>{{0, 0, 1, 1}};
    const std::size_t step = std::max(1, ChannelsOf(s.ColorType) * s.Depth / 8);
    Bytes raw;
    int rowCount = 0;
    for (const Pass& p : passes) {
        Bytes prior;
        if (p.X0 >= s.Width)
            continue;
        for (int y = p.Y0; y < s.Height; y += p.DY) {
            std::vector<const std::vector<unsigned>*> pixels;
            for (int x = p.X0; x < s.Width; x += p.DX)
                pixels.push_back(&s.Pixels[static_cast<std::size_t>(y * s.Width + x)]);
            const Bytes row = PackRow(s, pixels);
            const Bytes filtered = FilterRow((s.FirstFilter + rowCount++) % 5, row, prior, step);
            raw.insert(raw.end(), filtered.begin(), filtered.end());
            prior = row;
        }
    }
    return raw;
}

inline Bytes Compress(const Bytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    out.resize(size);
    return out;
}

inline const Bytes& Signature() {
    static const Bytes sig{137, 80, 78, 71, 13, 10, 26, 10};
    return sig;
}

// A complete file: signature, IHDR, the given chunks, the image data split into
// idatChunks IDAT chunks, IEND.
inline Bytes BuildPng(const PngPlan& s, const std::vector<Bytes>& before = {}, int idatChunks = 1) {
    Bytes file = Signature();
    auto append = [&file](const Bytes& b) { file.insert(file.end(), b.begin(), b.end()); };
    append(Chunk("IHDR", HeaderData(s)));
    for (const Bytes& c : before)
        append(c);
    const Bytes z = Compress(RawImageData(s));
    const std::size_t part = z.size() / static_cast<std::size_t>(idatChunks) + 1;
    for (std::size_t at = 0; at < z.size(); at += part)
        append(Chunk("IDAT", Bytes(z.begin() + static_cast<std::ptrdiff_t>(at),
                                   z.begin() + static_cast<std::ptrdiff_t>(std::min(z.size(), at + part)))));
    append(Chunk("IEND", {}));
    return file;
}

} // namespace sj::test
