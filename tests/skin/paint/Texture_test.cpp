#include "skin/paint/sTexture.h"

#include "skin/data/sSkinModel.h"
#include "skin/paint/acBlit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>

namespace sj {
namespace {

constexpr TPixel32 kUntouched = 0x12345678;

TacPixmap Numbered(int w, int h) {
    TacPixmap p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.At(x, y) = 0xFF000000u | static_cast<TPixel32>(y * 256 + x);
    return p;
}

int PositiveMod(int a, int m) {
    return ((a % m) + m) % m;
}

// What one target pixel of a texture mode shows: the source pixel it takes, or nothing.
using TExpected = std::optional<TPixel32>;

// A tile grid with its origin at (ox, oy) over the area [l, r) x [t, b).
TExpected Tiled(const TacPixmap& src, TacRect tile, int x, int y, int ox, int oy, TacRect area) {
    if (x < area.Left || x >= area.Right || y < area.Top || y >= area.Bottom)
        return std::nullopt;
    return src.At(tile.Left + PositiveMod(x - ox, tile.Width()), tile.Top + PositiveMod(y - oy, tile.Height()));
}

// Nearest-pixel stretch of tile over the area (the block transfer's sampling rule).
TExpected Stretched(const TacPixmap& src, TacRect tile, int x, int y, TacRect area, TacRect clip) {
    if (x < clip.Left || x >= clip.Right || y < clip.Top || y >= clip.Bottom)
        return std::nullopt;
    const int sx = tile.Left + static_cast<int>(std::floor((x - area.Left + 0.5) * tile.Width() / area.Width()));
    const int sy = tile.Top + static_cast<int>(std::floor((y - area.Top + 0.5) * tile.Height() / area.Height()));
    return src.At(sx, sy);
}

TEST(TextureModes, EachModeCoversItsAreaAndReportsTheRest) {
    const TacPixmap src = Numbered(8, 6);
    const TacRect tile{1, 1, 5, 4}; // 4 x 3
    const TacRect r{3, 2, 17, 13};  // 14 x 11, partly outside a 16 x 12 target
    struct TCase {
        int Mode;
        TacRect Remainder;
    };
    const TCase cases[] = {
        {tmTile, txAllCovered},
        {tmStretch, txAllCovered},
        {tmTopRow, {3, 5, 17, 13}},
        {tmLeftColumn, {7, 2, 17, 13}},
        {tmTopStrip, {3, 5, 17, 13}},
        {tmLeftStrip, {7, 2, 17, 13}},
        {tmBottomRow, {3, 2, 17, 10}},
        {tmRightColumn, {3, 2, 13, 13}},
        // Rows of whole tiles only while a row starts above bottom - 3: rows at 2, 5, 8.
        {tmWholeTiles, {3, 11, 17, 13}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Mode);
        TacPixmap target(16, 12, kUntouched);
        TacRect rect = r;
        DrawTexture(target.View(), rect, ViewOf(src), tile, c.Mode);
        EXPECT_EQ(rect, c.Remainder);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) {
                TExpected want;
                switch (c.Mode) {
                case tmTile:
                    want = Tiled(src, tile, x, y, r.Left, r.Top, r);
                    break;
                case tmStretch:
                    want = Stretched(src, tile, x, y, r, r);
                    break;
                case tmTopRow:
                    want = Tiled(src, tile, x, y, r.Left, r.Top, {r.Left, r.Top, r.Right, r.Top + 3});
                    break;
                case tmLeftColumn:
                    want = Tiled(src, tile, x, y, r.Left, r.Top, {r.Left, r.Top, r.Left + 4, r.Bottom});
                    break;
                case tmTopStrip:
                    want = Stretched(src, tile, x, y, {r.Left, r.Top, r.Right, r.Top + 3},
                                     {r.Left, r.Top, r.Right, r.Top + 3});
                    break;
                case tmLeftStrip:
                    want = Stretched(src, tile, x, y, {r.Left, r.Top, r.Left + 4, r.Bottom},
                                     {r.Left, r.Top, r.Left + 4, r.Bottom});
                    break;
                case tmBottomRow:
                    want = Tiled(src, tile, x, y, r.Left, r.Bottom - 3, {r.Left, r.Bottom - 3, r.Right, r.Bottom});
                    break;
                case tmRightColumn:
                    want = Tiled(src, tile, x, y, r.Right - 4, r.Top, {r.Right - 4, r.Top, r.Right, r.Bottom});
                    break;
                case tmWholeTiles:
                    want = Tiled(src, tile, x, y, r.Left, r.Top, {r.Left, r.Top, r.Right, r.Top + 9});
                    break;
                }
                ASSERT_EQ(target.At(x, y), want.value_or(kUntouched)) << x << "," << y;
            }
    }
}

TEST(TextureModes, StripsLargerThanRectStayInsideIt) {
    const TacPixmap src = Numbered(10, 10);
    for (int mode : {tmTopRow, tmLeftColumn, tmTopStrip, tmLeftStrip, tmBottomRow, tmRightColumn, tmWholeTiles}) {
        SCOPED_TRACE(mode);
        TacPixmap target(12, 12, kUntouched);
        const TacRect r{2, 2, 7, 6};
        TacRect rect = r;
        DrawTexture(target.View(), rect, ViewOf(src), {0, 0, 10, 10}, mode);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) {
                if (x < r.Left || x >= r.Right || y < r.Top || y >= r.Bottom) {
                    ASSERT_EQ(target.At(x, y), kUntouched) << x << "," << y;
                }
            }
        if (mode == tmWholeTiles)
            EXPECT_EQ(rect, r) << "no whole row fits: all of rect is left";
        else
            EXPECT_FALSE(HasRemainder(rect));
    }
    // A bottom row taller than rect shows the tile's lower rows.
    TacPixmap target(12, 12, kUntouched);
    TacRect rect{2, 2, 7, 6};
    DrawTexture(target.View(), rect, ViewOf(src), {0, 0, 10, 10}, tmBottomRow);
    EXPECT_EQ(target.At(2, 2), src.At(0, 6));
}

TEST(TextureModes, ZeroTilesUnknownModesAndMissingImagesLeaveAllOfRect) {
    const TacPixmap src = Numbered(4, 4);
    TacPixmap target(6, 6, kUntouched);
    for (int mode : {tmTile, tmStretch, tmTopRow, tmWholeTiles}) {
        TacRect rect{0, 0, 6, 6};
        DrawTexture(target.View(), rect, ViewOf(src), {2, 2, 2, 4}, mode); // no width
        EXPECT_EQ(rect, (TacRect{0, 0, 6, 6}));
        DrawTexture(target.View(), rect, ViewOf(src), {5, 5, 9, 9}, mode); // outside the image
        EXPECT_EQ(rect, (TacRect{0, 0, 6, 6}));
    }
    TacRect rect{0, 0, 6, 6};
    DrawTexture(target.View(), rect, ViewOf(src), {0, 0, 4, 4}, 8);
    EXPECT_EQ(rect, (TacRect{0, 0, 6, 6}));
    TsMaskData orphan; // neither own image nor owner
    orphan.SourceRect = {0, 0, 2, 2};
    DrawTexture(target.View(), rect, orphan, tmTile);
    EXPECT_EQ(rect, (TacRect{0, 0, 6, 6}));
    for (TPixel32 p : target.Data())
        ASSERT_EQ(p, kUntouched);
}

TEST(TextureModes, PatternImagesAreTiledFromRectsCorner) {
    const TacPixmap image = Numbered(3, 2);
    TacPixmap target(9, 7, kUntouched);
    TacRect rect{1, 1, 8, 6};
    DrawPatternTexture(target.View(), rect, ViewOf(image));
    EXPECT_FALSE(HasRemainder(rect));
    for (int y = 1; y < 6; ++y)
        for (int x = 1; x < 8; ++x)
            ASSERT_EQ(target.At(x, y), image.At((x - 1) % 3, (y - 1) % 2));
    EXPECT_EQ(target.At(8, 6), kUntouched);
}

// ---- Masked textures ------------------------------------------------------------------

int FloorDiv(int a, int b) {
    return static_cast<int>(std::floor(static_cast<double>(a) / b));
}

// The mask blend rule per channel: S + floor(M * (D - S) / 256), alpha 255.
TPixel32 MaskBlend(TPixel32 s, TPixel32 d, TPixel32 m) {
    auto ch = [](int sc, int dc, int mc) { return static_cast<std::uint8_t>(sc + FloorDiv(mc * (dc - sc), 256)); };
    return MakePixel(ch(PixelR(s), PixelR(d), PixelR(m)), ch(PixelG(s), PixelG(d), PixelG(m)),
                     ch(PixelB(s), PixelB(d), PixelB(m)));
}

// A masked texture item with its own image: a w x h frame at (1, 1) over its mask.
struct TMaskedItem {
    TsMaskData Item;
    int W, H;

    TMaskedItem(int w, int h, unsigned seed) : W(w), H(h) {
        std::mt19937 rng(seed);
        std::uniform_int_distribution<std::uint32_t> any;
        auto image = std::make_shared<TacPixmap>(w + 2, 2 * h + 2);
        for (int y = 0; y < image->Height(); ++y)
            for (int x = 0; x < image->Width(); ++x)
                image->At(x, y) = any(rng);
        image->At(1, 1) = clKeyPixel; // clear pixels in the frame
        image->At(w, h) = clKeyPixel;
        image->At(3, 1) = 0xFFFF00FF; // opaque magenta is an ordinary colour
        Item.OwnBitmap = image;
        Item.SourceRect = {1, 1, 1 + w, 1 + 2 * h};
        Item.FrameCount = 1;
        Item.MaskKind = 1;
    }
    TPixel32 Skin(int fx, int fy) const { return Item.OwnBitmap->At(1 + fx, 1 + fy); }
    TPixel32 Mask(int fx, int fy) const { return Item.OwnBitmap->At(1 + fx, 1 + H + fy); }
};

TacPixmap RandomPixmap(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::uint32_t> any;
    TacPixmap p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.At(x, y) = any(rng);
    return p;
}

TEST(MaskedTexture, TileModeCoversEveryRowAndColumnWithTheMaskRule) {
    const TMaskedItem tex(4, 3, 11);
    const TacPixmap before = RandomPixmap(16, 12, 12);
    const TacPixmap back = RandomPixmap(30, 30, 13);
    const TBackdropRef backdrop = BitmapBackdrop(ViewOf(back), 5, 7);
    const TacRect r{1, 2, 15, 12}; // 14 x 10: a partial last column and row
    TacPixmap target = before;
    TacRect rect = r;
    DrawMaskedTexture(target.View(), rect, backdrop, tmTile, tex.Item);
    EXPECT_FALSE(HasRemainder(rect));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            if (x < r.Left || x >= r.Right || y < r.Top || y >= r.Bottom) {
                ASSERT_EQ(target.At(x, y), before.At(x, y));
                continue;
            }
            const int fx = (x - r.Left) % 4, fy = (y - r.Top) % 3;
            const TPixel32 s = tex.Skin(fx, fy);
            const TPixel32 want = s == clKeyPixel ? (back.At(x + 5, y + 7) | 0xFF000000u)
                                                  : MaskBlend(s, before.At(x, y), tex.Mask(fx, fy));
            ASSERT_EQ(target.At(x, y), want) << x << "," << y;
        }
}

TEST(MaskedTexture, WholeTileModeGivesTheBandsToTheBackdrop) {
    const TMaskedItem tex(4, 3, 21);
    const TacPixmap before = RandomPixmap(16, 12, 22);
    // An exact multiple (8 x 6) still leaves one tile's width and height to the backdrop.
    for (TacRect r : {TacRect{2, 3, 10, 9}, TacRect{1, 1, 15, 12}}) {
        SCOPED_TRACE(r.Right);
        TacPixmap target = before;
        TacRect rect = r;
        DrawMaskedTexture(target.View(), rect, ColorBackdrop(0x00332211), tmWholeTiles, tex.Item);
        EXPECT_FALSE(HasRemainder(rect));
        const int cols = (r.Width() - 1) / 4, rows = (r.Height() - 1) / 3;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) {
                const bool tiled = x < r.Left + cols * 4 && y < r.Top + rows * 3;
                if (!tiled) {
                    ASSERT_EQ(target.At(x, y), 0xFF112233u) << x << "," << y;
                    continue;
                }
                const int fx = (x - r.Left) % 4, fy = (y - r.Top) % 3;
                const TPixel32 s = tex.Skin(fx, fy);
                ASSERT_EQ(target.At(x, y),
                          s == clKeyPixel ? 0xFF112233u : MaskBlend(s, before.At(x, y), tex.Mask(fx, fy)));
            }
    }
}

TEST(MaskedTexture, OtherModesAndUnusableItemsLeaveRect) {
    const TMaskedItem tex(4, 3, 31);
    TacPixmap target(10, 10, kUntouched);
    TacRect rect{0, 0, 10, 10};
    DrawMaskedTexture(target.View(), rect, ColorBackdrop(0), tmStretch, tex.Item);
    EXPECT_EQ(rect, (TacRect{0, 0, 10, 10}));
    TsMaskData tooTall = tex.Item;
    tooTall.SourceRect.Bottom += 4; // the mask would reach below the image
    DrawMaskedTexture(target.View(), rect, ColorBackdrop(0), tmTile, tooTall);
    EXPECT_EQ(rect, (TacRect{0, 0, 10, 10}));
    TsMaskData noFrames = tex.Item;
    noFrames.FrameCount = 0;
    DrawMaskedTexture(target.View(), rect, ColorBackdrop(0), tmTile, noFrames);
    EXPECT_EQ(rect, (TacRect{0, 0, 10, 10}));
    for (TPixel32 p : target.Data())
        ASSERT_EQ(p, kUntouched);
}

TEST(MaskedTexture, AnUnknownBackdropColourLeavesClearPixelsAndBands) {
    const TMaskedItem tex(4, 3, 41);
    TacPixmap target(9, 7, kUntouched);
    TacRect rect{0, 0, 9, 7};
    DrawMaskedTexture(target.View(), rect, ColorBackdrop(clUnknownColor), tmWholeTiles, tex.Item);
    EXPECT_EQ(target.At(0, 0), kUntouched) << "clear skin pixel";
    EXPECT_EQ(target.At(8, 6), kUntouched) << "band";
    EXPECT_NE(target.At(1, 1), kUntouched);
}

TEST(BackdropFill, BitmapPartsOutOfReachTakeTheFallback) {
    const TacPixmap back = Numbered(6, 6);
    TacPixmap target(8, 8, kUntouched);
    FillWithBackdrop(target.View(), {1, 1, 7, 7}, BitmapBackdrop(ViewOf(back), 2, 0), 0x000000FF);
    EXPECT_EQ(target.At(1, 1), back.At(3, 1));
    EXPECT_EQ(target.At(3, 6), 0xFFFF0000u) << "row 6 lies below the backdrop";
    EXPECT_EQ(target.At(4, 1), 0xFFFF0000u) << "column 6 lies right of the backdrop";
    EXPECT_EQ(target.At(0, 0), kUntouched);
    FillWithBackdrop(target.View(), {0, 0, 2, 2}, ColorBackdrop(0x00FF0000), 0);
    EXPECT_EQ(target.At(0, 0), 0xFF0000FFu);
}

} // namespace
} // namespace sj
