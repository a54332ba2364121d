#include "PreviewSheet.h"

#include <algorithm>

namespace sj::skingen {
namespace {

constexpr int kSheetWidth = 1400;
constexpr int kGap = 10;

TPixel32 Checker(int x, int y) { return ((x / 8 + y / 8) % 2) ? 0xFFCCCCCCu : 0xFFF4F4F4u; }

TPixel32 OverChecker(TPixel32 p, int x, int y) {
    const TPixel32 bg = Checker(x, y);
    const unsigned a = PixelA(p);
    auto mix = [&](unsigned s, unsigned d) { return static_cast<std::uint8_t>((s * a + d * (255 - a) + 127) / 255); };
    return MakePixel(mix(PixelR(p), PixelR(bg)), mix(PixelG(p), PixelG(bg)), mix(PixelB(p), PixelB(bg)));
}

// Draws image scaled by `scale` at (x, y); frame borders are marked by a thin red line.
void Blit(TacPixmap& sheet, const TacPixmap& image, int frames, int x, int y, int scale) {
    const int frameWidth = frames > 0 ? image.Width() / frames : image.Width();
    for (int sy = 0; sy < image.Height() * scale; ++sy)
        for (int sx = 0; sx < image.Width() * scale; ++sx) {
            const int tx = x + sx + (sx / scale / std::max(frameWidth, 1)) * 2, ty = y + sy;
            if (tx < 0 || ty < 0 || tx >= sheet.Width() || ty >= sheet.Height())
                continue;
            sheet.At(tx, ty) = OverChecker(image.At(sx / scale, sy / scale), tx, ty);
        }
}

} // namespace

TacPixmap MakePreviewSheet(const TacPixmap& master, const std::vector<TPreviewEntry>& items) {
    // The master shows its key colour as clear, like the skin layer does.
    TacPixmap shown(master.Width(), master.Height());
    for (int y = 0; y < master.Height(); ++y)
        for (int x = 0; x < master.Width(); ++x) {
            const TPixel32 p = master.At(x, y) & 0x00FFFFFF;
            shown.At(x, y) = p == (clKeyPixel & 0x00FFFFFF) ? 0 : (p | 0xFF000000u);
        }
    const int masterScale = 2;
    // Lay the items out in rows first, to know the sheet's height.
    struct TSpot {
        int X, Y, Scale;
    };
    std::vector<TSpot> spots;
    int x = kGap, y = kGap + master.Height() * masterScale + kGap, rowHeight = 0;
    for (const TPreviewEntry& item : items) {
        const int scale = item.Image.Width() * 3 > kSheetWidth / 2 ? 1 : 3;
        const int w = item.Image.Width() * scale + item.Frames * 2, h = item.Image.Height() * scale;
        if (x + w > kSheetWidth - kGap && x > kGap) {
            x = kGap;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        spots.push_back({x, y, scale});
        x += w + kGap;
        rowHeight = std::max(rowHeight, h);
    }
    TacPixmap sheet(kSheetWidth, y + rowHeight + kGap, 0xFFFFFFFFu);
    Blit(sheet, shown, 1, kGap, kGap, masterScale);
    for (std::size_t i = 0; i < items.size(); ++i)
        Blit(sheet, items[i].Image, items[i].Frames, spots[i].X, spots[i].Y, spots[i].Scale);
    return sheet;
}

} // namespace sj::skingen
