// 32-bit pixel buffers shared by the portable image decoders, the skin painters and
// the Windows bitmaps of the form framework.
//
// Layout: one pixel is 4 bytes in memory order blue, green, red, alpha, so read as a
// little-endian 32-bit word it is 0xAARRGGBB. Rows run top-down; `Stride` is the
// distance between rows in pixels (not bytes) and is at least `Width`.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sj {

using TPixel32 = std::uint32_t;

// The clear key colour of skin images: magenta with alpha 0, compared as a whole word.
inline constexpr TPixel32 clKeyPixel = 0x00FF00FF;

inline constexpr std::uint8_t PixelB(TPixel32 p) { return static_cast<std::uint8_t>(p); }
inline constexpr std::uint8_t PixelG(TPixel32 p) { return static_cast<std::uint8_t>(p >> 8); }
inline constexpr std::uint8_t PixelR(TPixel32 p) { return static_cast<std::uint8_t>(p >> 16); }
inline constexpr std::uint8_t PixelA(TPixel32 p) { return static_cast<std::uint8_t>(p >> 24); }
inline constexpr TPixel32 MakePixel(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
    return (TPixel32{a} << 24) | (TPixel32{r} << 16) | (TPixel32{g} << 8) | TPixel32{b};
}

// A rectangle in pixels; right and bottom are exclusive.
struct TacRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool Empty() const { return Right <= Left || Bottom <= Top; }
    friend constexpr bool operator==(const TacRect&, const TacRect&) = default;
};

// A borrowed view of pixels owned elsewhere (a TacPixmap, a DIB section...).
struct TacPixelsView {
    TPixel32* Bits = nullptr;
    int Width = 0;
    int Height = 0;
    int Stride = 0;

    TPixel32* Row(int y) const { return Bits + static_cast<std::ptrdiff_t>(y) * Stride; }
    TPixel32& At(int x, int y) const { return Row(y)[x]; }
    bool Empty() const { return Width <= 0 || Height <= 0; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < Width && y < Height; }
};

// A view with pixels behind it.
inline bool HasPixels(const TacPixelsView& v) {
    return v.Bits != nullptr && !v.Empty();
}

// The part of r that lies inside v (empty when none does).
inline TacRect ClipRect(TacRect r, const TacPixelsView& v) {
    return {std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, v.Width), std::min(r.Bottom, v.Height)};
}

// An owning 32-bit pixel buffer (Stride == Width).
class TacPixmap {
public:
    TacPixmap() = default;
    TacPixmap(int width, int height, TPixel32 fill = 0) { SetSize(width, height, fill); }

    void SetSize(int width, int height, TPixel32 fill = 0) {
        FWidth = width > 0 ? width : 0;
        FHeight = height > 0 ? height : 0;
        FPixels.assign(static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight), fill);
    }

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FPixels.empty(); }

    TPixel32* Row(int y) { return FPixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth); }
    const TPixel32* Row(int y) const {
        return FPixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth);
    }
    TPixel32& At(int x, int y) { return Row(y)[x]; }
    TPixel32 At(int x, int y) const { return Row(y)[x]; }

    TacPixelsView View() { return {FPixels.data(), FWidth, FHeight, FWidth}; }
    const std::vector<TPixel32>& Data() const { return FPixels; }

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<TPixel32> FPixels;
};

// Width x Height pixels read at (SourceX, SourceY) and written at (TargetX, TargetY).
// ClipTo shifts both ends together so that each stays inside its bitmap; the area is
// empty when nothing is left.
struct TacCopyArea {
    int TargetX = 0, TargetY = 0, SourceX = 0, SourceY = 0, Width = 0, Height = 0;

    bool Empty() const { return Width <= 0 || Height <= 0; }

    void ClipTo(const TacPixelsView& target, const TacPixelsView& source) {
        ClipStart(TargetX, SourceX, Width);
        ClipStart(SourceX, TargetX, Width);
        ClipStart(TargetY, SourceY, Height);
        ClipStart(SourceY, TargetY, Height);
        Width = std::min({Width, target.Width - TargetX, source.Width - SourceX});
        Height = std::min({Height, target.Height - TargetY, source.Height - SourceY});
    }

    // fn(target pixel, source pixel, target x, target y) over the area; clip it first.
    template <typename Fn> void ForEachPair(const TacPixelsView& target, const TacPixelsView& source, Fn fn) const {
        for (int row = 0; row < Height; ++row) {
            TPixel32* t = target.Row(TargetY + row) + TargetX;
            const TPixel32* s = source.Row(SourceY + row) + SourceX;
            for (int col = 0; col < Width; ++col)
                fn(t[col], s[col], TargetX + col, TargetY + row);
        }
    }

private:
    // A start below 0 moves both starts on and shortens the run.
    static void ClipStart(int& start, int& other, int& size) {
        if (start < 0) {
            other -= start;
            size += start;
            start = 0;
        }
    }
};

} // namespace sj
