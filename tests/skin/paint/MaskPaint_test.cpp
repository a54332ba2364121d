#include "skin/paint/sMaskPaint.h"

#include "skin/data/sSkinModel.h"
#include "skin/paint/acBlit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <utility>

namespace sj {
namespace {

constexpr TPixel32 kRgb = 0x00FFFFFFu;

// Pixels that name their own place: red x, green y.
TPixel32 Named(int x, int y, std::uint8_t blue = 0x77, std::uint8_t alpha = 0xFF) {
    return MakePixel(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), blue, alpha);
}
TacPixmap NamedPixmap(int w, int h, std::uint8_t blue, std::uint8_t alpha) {
    TacPixmap p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.At(x, y) = Named(x, y, blue, alpha);
    return p;
}
TPixel32 Grey(std::uint8_t v) {
    return MakePixel(v, v, v, 255);
}
TsMaskData MaskedItem(TacRect sourceRect) {
    TsMaskData item;
    item.SourceRect = sourceRect;
    item.FrameCount = 1;
    item.MaskKind = 1;
    return item;
}
// The floor rule, by division in real numbers.
int FloorBlend(int s, int d, int m) {
    return s + static_cast<int>(std::floor(m * (d - s) / 256.0));
}

// A skin with one item cut from the master image at (1, 2), so that forgetting the item's
// origin shows. Frames are frameW x frameH; a masked item has its mask, all 0, below.
struct TestSkin {
    TsSkinModel Model;

    TestSkin(int frameW, int frameH, int frames, int maskKind = 1) {
        const int w = frameW * frames, h = maskKind == 1 ? 2 * frameH : frameH;
        Model.MasterBitmap.SetSize(w + 2, h + 3, clKeyPixel);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                Model.MasterBitmap.At(1 + x, 2 + y) = y < frameH ? Named(1 + x, 2 + y) : Grey(0);
        TsMaskData item;
        item.SourceRect = {1, 2, 1 + w, 2 + h};
        item.FrameCount = static_cast<std::int16_t>(frames);
        item.MaskKind = static_cast<std::int16_t>(maskKind);
        Model.Masks.push_back(item);
        Model.AdoptItems();
    }
    TsMaskData& Item() { return Model.Masks[0]; }
    TacPixelsView Image() { return Model.MasterBitmap.View(); }
    void SetBorders(int l, int t, int r, int b) {
        Item().BorderLeft = static_cast<std::int16_t>(l), Item().BorderTop = static_cast<std::int16_t>(t);
        Item().BorderRight = static_cast<std::int16_t>(r), Item().BorderBottom = static_cast<std::int16_t>(b);
    }
    void Clear(int fx, int fy) { Model.MasterBitmap.At(1 + fx, 2 + fy) = clKeyPixel; } // in frame 0
};

// The frame column (or row) that nine-slice tiling shows at offset t of a span of `length`:
// near border, tiles of the centre size repeating, far border.
int TiledSource(int t, int length, int nearBorder, int farBorder, int frameSize) {
    if (t < nearBorder)
        return t;
    if (t >= length - farBorder)
        return frameSize - (length - t);
    return nearBorder + (t - nearBorder) % (frameSize - nearBorder - farBorder);
}

// -------------------------------------------------------------------------------------
// Piece copiers

TEST(MaskPaintTest, MaskedBlendFloorsOnRandomPixels) {
    std::mt19937 rng(20240611);
    TacPixmap source(32, 16), target(32, 8);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            source.At(x, y) = static_cast<TPixel32>(rng()) | 0xFF000000u;
            if (y < 8)
                target.At(x, y) = static_cast<TPixel32>(rng());
        }
    const TacPixmap before = target;
    BlendMaskedPiece(target.View(), {0, 0, 32, 8}, source.View(), {0, 0, 32, 8}, MaskedItem({0, 0, 32, 16}), false, {});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x) {
            const TPixel32 s = source.At(x, y), m = source.At(x, y + 8), d = before.At(x, y), t = target.At(x, y);
            for (int sh : {0, 8, 16})
                ASSERT_EQ(int(t >> sh & 0xFF), FloorBlend(s >> sh & 0xFF, d >> sh & 0xFF, m >> sh & 0xFF)) << x;
            ASSERT_EQ(PixelA(t), PixelA(d));
        }
}

TEST(MaskPaintTest, MaskExtremesAndTheKeyPixel) {
    // S = 200 over 10 and 10 over 200 at masks 0 and 255; magenta with alpha; the key pixel.
    const TPixel32 skins[] = {Grey(200), Grey(10), Grey(200), Grey(10), 0xFFFF00FFu, clKeyPixel};
    const std::uint8_t masks[] = {0, 0, 255, 255, 0, 0}, under[] = {10, 200, 10, 200, 1, 1};
    TacPixmap source(6, 2), target(6, 1);
    for (int x = 0; x < 6; ++x) {
        source.At(x, 0) = skins[x], source.At(x, 1) = Grey(masks[x]);
        target.At(x, 0) = 0x40000000u | (Grey(under[x]) & kRgb);
    }
    BlendMaskedPiece(target.View(), {0, 0, 6, 1}, source.View(), {0, 0, 6, 1}, MaskedItem({0, 0, 6, 2}), false, {});
    EXPECT_EQ(target.At(0, 0), 0x40C8C8C8u); // mask 0 copies the skin pixel, alpha kept
    EXPECT_EQ(target.At(1, 0), 0x400A0A0Au);
    EXPECT_EQ(PixelR(target.At(2, 0)), 10);  // 200 + floor(255 * -190 / 256) = 200 - 190
    EXPECT_EQ(PixelR(target.At(3, 0)), 199); // 10 + floor(255 * 190 / 256)
    EXPECT_EQ(target.At(4, 0), 0x40FF00FFu);
    EXPECT_EQ(target.At(5, 0), 0x40010101u);
}

TEST(MaskPaintTest, MaskedPieceShowsTheBackdropThroughClearPixels) {
    TestSkin skin(4, 1, 1);
    skin.Clear(0, 0);
    skin.Clear(2, 0);
    const TacPixmap behind = NamedPixmap(3, 3, 9, 0x10);
    TacPixmap target(4, 2, 0x20505050u);
    // Target (0, 1) reads the backdrop at (1, 0); target (2, 1) would read (3, 0), beyond it.
    BlendMaskedPiece(target.View(), {0, 1, 4, 2}, skin.Image(), {1, 2, 5, 3}, skin.Item(), true,
                     BitmapBackdrop(ViewOf(behind), 1, -1));
    EXPECT_EQ(target.At(0, 1), Named(1, 0, 9));
    EXPECT_EQ(target.At(1, 1), Named(2, 2)); // made opaque
    EXPECT_EQ(target.At(2, 1), 0x20505050u);
    EXPECT_EQ(target.At(3, 1), Named(4, 2)); // the rest of the row is still painted
    // A colour backdrop comes in pixel order with the colour's own high byte.
    BlendMaskedPiece(target.View(), {0, 0, 4, 1}, skin.Image(), {1, 2, 5, 3}, skin.Item(), true,
                     ColorBackdrop(0x80332211u));
    EXPECT_EQ(target.At(0, 0), 0x80112233u);
    EXPECT_EQ(target.At(1, 0), (Named(2, 2) & kRgb) | 0x20000000u);
}

TEST(MaskPaintTest, MaskedPieceClipsToBitmapsAndMaskRows) {
    TacPixmap source(3, 4, Grey(0)); // image rows 0..1, mask rows 2..3, nothing below
    for (int x = 0; x < 3; ++x)
        source.At(x, 0) = Named(x, 0), source.At(x, 1) = Named(x, 1);
    // Rows 1..3 asked for: the mask rows of rows 2 and 3 would lie below the bitmap.
    TacPixmap target(3, 3, 0x11111111u);
    BlendMaskedPiece(target.View(), {0, 0, 3, 3}, source.View(), {0, 1, 3, 4}, MaskedItem({0, 0, 3, 4}), false, {});
    EXPECT_EQ(target.At(2, 0) & kRgb, Named(2, 1) & kRgb);
    EXPECT_EQ(target.At(0, 1), 0x11111111u);
    // Landing at (-1, -1) drops the piece's first row and column.
    TacPixmap shifted(2, 2, 0x11111111u);
    BlendMaskedPiece(shifted.View(), {-1, -1, 2, 1}, source.View(), {0, 0, 3, 2}, MaskedItem({0, 0, 3, 4}), false, {});
    EXPECT_EQ(shifted.At(0, 0) & kRgb, Named(1, 1) & kRgb);
    EXPECT_EQ(shifted.At(0, 1), 0x11111111u);
}

// The layered-window rule differs from the opaque one on purpose: it never quite copies.
TEST(MaskPaintTest, KeepAlphaRuleOverClearAndRandomTargets) {
    std::mt19937 rng(7);
    TacPixmap source(64, 2), target(64, 1);
    for (int x = 0; x < 64; ++x) {
        source.At(x, 0) = x < 2 ? Grey(255) : static_cast<TPixel32>(rng()) | 0xFF000000u;
        source.At(x, 1) = x < 2 ? Grey(x == 0 ? 0 : 255) : static_cast<TPixel32>(rng());
        const std::uint32_t alpha = x < 2 ? 0 : (x % 3 == 0 ? 0 : x % 3 == 1 ? 255 : rng() & 0xFF);
        target.At(x, 0) = (static_cast<TPixel32>(rng()) & kRgb) | alpha << 24;
    }
    const TacPixmap before = target;
    TacPixmap opaque = target;
    BlendMaskedPieceKeepAlpha(target.View(), {0, 0, 64, 1}, source.View(), {0, 0, 64, 1}, MaskedItem({0, 0, 64, 2}),
                              false, {});
    EXPECT_EQ(target.At(0, 0), 0xFFFEFEFEu); // floor(255 * 255 / 256) = 254, alpha 255
    EXPECT_EQ(PixelA(target.At(1, 0)), 0);   // mask 255 leaves a clear pixel clear
    BlendMaskedPiece(opaque.View(), {0, 0, 1, 1}, source.View(), {0, 0, 1, 1}, MaskedItem({0, 0, 64, 2}), false, {});
    EXPECT_EQ(opaque.At(0, 0), 0x00FFFFFFu);
    for (int x = 2; x < 64; ++x) {
        const TPixel32 s = source.At(x, 0), d = before.At(x, 0);
        const int m = PixelR(source.At(x, 1)), a = PixelA(d);
        for (int sh : {0, 8, 16})
            ASSERT_EQ(int(target.At(x, 0) >> sh & 0xFF),
                      int((d >> sh & 0xFF) * m + (s >> sh & 0xFF) * (255 - m)) / 256);
        ASSERT_EQ(PixelA(target.At(x, 0)), a == 0 ? 255 - m : (a < 255 ? std::max(a, 255 - m) : 255)) << x;
    }
}

TEST(MaskPaintTest, KeepAlphaClearPixelsShowTheBackdropOrClearTheTarget) {
    TestSkin skin(2, 1, 1);
    skin.Clear(0, 0);
    TacPixmap target(2, 1, 0xC0405060u), behind(4, 4, 0x11223344u);
    BlendMaskedPieceKeepAlpha(target.View(), {0, 0, 2, 1}, skin.Image(), {1, 2, 3, 3}, skin.Item(), false,
                              BitmapBackdrop(behind.View(), 0, 0));
    EXPECT_EQ(target.At(0, 0), 0x00405060u);
    BlendMaskedPieceKeepAlpha(target.View(), {0, 0, 2, 1}, skin.Image(), {1, 2, 3, 3}, skin.Item(), true,
                              BitmapBackdrop(behind.View(), 2, 3));
    EXPECT_EQ(target.At(0, 0), 0x11223344u); // alpha included

    // Stretched: h = min(m, A) lets a half-clear target show more of the skin.
    TacPixmap single(1, 2), stretched(3, 3, 0x3C0A0A0Au); // alpha 60
    single.At(0, 0) = Grey(200), single.At(0, 1) = Grey(100);
    StretchMaskedPieceKeepAlpha(stretched.View(), {0, 0, 2, 2}, single.View(), {0, 0, 1, 1}, 1, true);
    EXPECT_EQ(stretched.At(1, 1), 0x9B000000u | 0x010101u * ((60 * 10 + 195 * 200) / 256));
}

TEST(MaskPaintTest, KeyedCopyFollowsTheBackdropKind) {
    TacPixmap source(2, 1, 0x01020304u), behind(8, 8, 0x55667788u);
    source.At(0, 0) = clKeyPixel;
    auto keyAndNext = [&](TacPixmap& target, bool useBackdrop, const TBackdropRef& backdrop) {
        CopyKeyedPiece(target.View(), 1, 1, source.View(), {0, 0, 2, 1}, useBackdrop, backdrop);
        return std::pair(target.At(1, 1), target.At(2, 1));
    };
    TacPixmap a(3, 2, 0xAAAAAAAAu), b = a, c = a, same = a;
    EXPECT_EQ(keyAndNext(a, true, BitmapBackdrop(behind.View(), 2, 3)), std::pair(0x55667788u, 0x01020304u));
    EXPECT_EQ(keyAndNext(b, false, BitmapBackdrop(behind.View(), 2, 3)), std::pair(0xAAAAAAAAu, 0x01020304u));
    EXPECT_EQ(keyAndNext(c, false, ColorBackdrop(0x00332211u)), std::pair(0x00112233u, 0x01020304u));
    // The target is its own backdrop: clear pixels already show it; copies become opaque.
    EXPECT_EQ(keyAndNext(same, true, BitmapBackdrop(same.View(), 0, 0)), std::pair(0xAAAAAAAAu, 0xFF020304u));
}

TEST(MaskPaintTest, StretchedSinglePixelFillsOrBlends) {
    TacPixmap source(1, 2);
    source.At(0, 0) = MakePixel(10, 20, 30, 0);
    for (std::uint8_t m : {0, 128, 255}) {
        source.At(0, 1) = Grey(m);
        TacPixmap target(5, 5, 0x00646464u);
        StretchMaskedPiece(target.View(), {1, 1, 4, 3}, source.View(), {0, 0, 1, 1}, 1, true);
        const TPixel32 blended = MakePixel(FloorBlend(10, 100, m), FloorBlend(20, 100, m), FloorBlend(30, 100, m));
        const TPixel32 expected = m == 255 ? 0x00646464u : blended; // mask 0: the colour itself
        EXPECT_EQ(target.At(1, 1), expected) << int(m);
        EXPECT_EQ(target.At(3, 2), expected) << int(m);
        EXPECT_EQ(target.At(4, 3), 0x00646464u);
    }
}

TEST(MaskPaintTest, StretchedPieceSamplesNearestAndClipsBothWays) {
    TacPixmap source(2, 4, Grey(0));
    source.At(0, 0) = Grey(10), source.At(1, 0) = Grey(20), source.At(0, 1) = Grey(30), source.At(1, 1) = Grey(40);
    source.At(1, 2) = Grey(255);
    // 2 x 2 to 4 x 4, running past the right and bottom edges of a 3 x 3 target.
    TacPixmap target(3, 3, 0x00C8C8C8u);
    StretchMaskedPiece(target.View(), {0, 0, 4, 4}, source.View(), {0, 0, 2, 2}, 2, false);
    EXPECT_EQ(target.At(1, 1), Grey(10));
    EXPECT_EQ(target.At(2, 0), Grey(FloorBlend(20, 200, 255)));
    EXPECT_EQ(target.At(2, 2), Grey(40));
    // Refused: a negative origin, a mask beyond the image, a target one pixel high.
    TacPixmap untouched(3, 3, 7), line(3, 1, 7);
    StretchMaskedPiece(untouched.View(), {-1, 0, 2, 2}, source.View(), {0, 0, 2, 2}, 2, false);
    StretchMaskedPiece(untouched.View(), {0, 0, 2, 2}, source.View(), {0, 0, 2, 2}, 3, false);
    StretchMaskedPiece(line.View(), {0, 0, 2, 1}, source.View(), {0, 0, 2, 2}, 2, false);
    EXPECT_EQ(untouched.Data(), std::vector<TPixel32>(9, 7));
    // A runaway rectangle is sampled only where it is visible.
    StretchMaskedPiece(untouched.View(), {0, 0, 1 << 20, 1 << 20}, source.View(), {0, 0, 2, 2}, 2, true);
    EXPECT_EQ(untouched.At(2, 2), Grey(10));
    EXPECT_EQ(line.Data(), std::vector<TPixel32>(3, 7));
    // Smooth enlargement of a flat piece under mask 0 stays flat and opaque.
    TacPixmap flat(3, 6, Grey(0)), smooth(8, 8, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            flat.At(x, y) = MakePixel(90, 60, 30, 0);
    StretchMaskedPiece(smooth.View(), {0, 0, 8, 8}, flat.View(), {0, 0, 3, 3}, 3, true);
    for (TPixel32 p : smooth.Data()) {
        EXPECT_NEAR(PixelR(p), 90, 1);
        EXPECT_EQ(PixelA(p), 255);
    }
}

// -------------------------------------------------------------------------------------
// The nine-slice borders painter

TEST(MaskPaintTest, BordersWiderThanTheRectangleShareTheOverflow) {
    TestSkin skin(40, 4, 1);
    skin.SetBorders(20, 1, 15, 1);
    TacPixmap target(30, 4, 0);
    DrawBordersMask(target.View(), {0, 0, 30, 4}, false, 0, skin.Item(), {});
    // 18 columns of the left border, then the last 12 of the frame for the right one.
    for (int x = 0; x < 30; ++x)
        ASSERT_EQ(target.At(x, 0) & kRgb, Named(1 + (x < 18 ? x : x + 10), 2) & kRgb) << x;
}

TEST(MaskPaintTest, BordersTileWholeTilesThenOnePartialOne) {
    TestSkin skin(7, 6, 3);
    skin.SetBorders(2, 1, 1, 2);
    skin.Item().PaintFlags = 4;
    TacPixmap target(24, 17, 0xEEEEEEEEu);
    const TacRect rect{2, 1, 22, 16};                                // centre 17 x 12 from tiles of 4 x 3
    DrawBordersMask(target.View(), rect, false, 5, skin.Item(), {}); // state 5 of 3: the last frame
    for (int y = 0; y < target.Height(); ++y)
        for (int x = 0; x < target.Width(); ++x) {
            if (x < rect.Left || x >= rect.Right || y < rect.Top || y >= rect.Bottom) {
                ASSERT_EQ(target.At(x, y), 0xEEEEEEEEu) << x << "," << y;
                continue;
            }
            const int sx = 1 + 14 + TiledSource(x - rect.Left, rect.Width(), 2, 1, 7);
            const int sy = 2 + TiledSource(y - rect.Top, rect.Height(), 1, 2, 6);
            ASSERT_EQ(target.At(x, y) & kRgb, Named(sx, sy) & kRgb) << x << "," << y;
        }
    // A centre narrower than one tile gets a single partial tile; without bit 2 no centre.
    TacPixmap small(6, 5, 0), bare(6, 5, 0);
    DrawBordersMask(small.View(), {0, 0, 6, 5}, false, 0, skin.Item(), {});
    EXPECT_EQ(small.At(4, 2) & kRgb, Named(1 + 4, 2 + 2) & kRgb);
    skin.Item().PaintFlags = 0;
    DrawBordersMask(bare.View(), {0, 0, 6, 5}, false, 0, skin.Item(), {});
    EXPECT_EQ(bare.At(3, 2), 0u);
}

TEST(MaskPaintTest, ZeroTileSizeMakesOnlyThePartialCopy) {
    TestSkin skin(4, 4, 1);
    skin.SetBorders(2, 2, 2, 2); // the frame has no centre
    TacPixmap target(9, 4, 0);
    DrawBordersMask(target.View(), {0, 0, 9, 4}, false, 0, skin.Item(), {});
    // One copy from the frame's inner edge on, over the right border and the image's
    // clear margin column.
    EXPECT_EQ(target.At(3, 0) & kRgb, Named(4, 2) & kRgb);
    EXPECT_EQ(target.At(4, 0), 0u);
    EXPECT_EQ(target.At(7, 0) & kRgb, Named(3, 2) & kRgb);
}

TEST(MaskPaintTest, BordersClipToTheTargetTiledOrStretched) {
    TestSkin skin(6, 6, 1);
    skin.SetBorders(2, 2, 2, 2);
    skin.Item().PaintFlags = 4;
    TacPixmap target(5, 5, 0), stretched(5, 5, 0);
    DrawBordersMask(target.View(), {-7, -9, 4, 30}, false, 0, skin.Item(), {});
    EXPECT_EQ(target.At(3, 0) & kRgb, Named(1 + 5, 2 + TiledSource(9, 39, 2, 2, 6)) & kRgb);
    skin.Item().PaintFlags = 1 | 4; // stretched sides sample the nearest pixel
    DrawBordersMask(stretched.View(), {0, 0, 1000, 1000}, false, 0, skin.Item(), {});
    EXPECT_EQ(stretched.At(4, 1) & kRgb, Named(1 + 2, 2 + 1) & kRgb);
    EXPECT_EQ(PixelA(stretched.At(2, 2)), 255);
}

TEST(MaskPaintTest, ClearCornersShowTheBackdropOnlyWhenAsked) {
    TestSkin skin(6, 6, 1);
    skin.SetBorders(2, 2, 2, 2);
    skin.Clear(0, 0);
    const TacPixmap behind = NamedPixmap(40, 40, 0xBD, 0x10);
    auto cornerPixel = [&](bool transparentCorners, std::int16_t cornerKind) {
        skin.Item().CornerKind = cornerKind;
        TacPixmap target(20, 20, 0x00ABCDEFu);
        DrawBordersMask(target.View(), {5, 6, 15, 16}, transparentCorners, 0, skin.Item(),
                        BitmapBackdrop(ViewOf(behind), 3, 4));
        return target.At(5, 6);
    };
    EXPECT_EQ(cornerPixel(true, 1), Named(8, 10, 0xBD));
    EXPECT_EQ(cornerPixel(false, 1), 0x00ABCDEFu);
    EXPECT_EQ(cornerPixel(true, 0), 0x00ABCDEFu);
}

TEST(MaskPaintTest, UnmaskedBordersKeyOnlyTheCorners) {
    TestSkin skin(6, 6, 1, 0);
    skin.SetBorders(2, 2, 2, 2);
    skin.Clear(0, 0);
    skin.Clear(2, 0); // a side pixel
    TacPixmap target(10, 10, 0x11111111u);
    DrawBordersMask(target.View(), {0, 0, 10, 10}, false, 0, skin.Item(), BitmapBackdrop(target.View(), 0, 0));
    EXPECT_EQ(target.At(0, 0), 0x11111111u);
    EXPECT_EQ(target.At(2, 0), clKeyPixel); // sides are block copies
    EXPECT_EQ(target.At(9, 9), Named(6, 7));
}

TEST(MaskPaintTest, BordersPaintNothingForHiddenStatesOrUncheckedSkinValues) {
    auto painted = [](auto change, int state = 0) {
        TestSkin skin(6, 6, 2);
        skin.SetBorders(2, 2, 2, 2);
        change(skin.Item());
        TacPixmap target(10, 10, 0);
        DrawBordersMask(target.View(), {0, 0, 10, 10}, false, state, skin.Item(), {});
        return target.At(0, 0) != 0;
    };
    EXPECT_FALSE(painted([](TsMaskData& i) { i.PaintFlags = 2; }));
    EXPECT_TRUE(painted([](TsMaskData& i) { i.PaintFlags = 2; }, 1));
    EXPECT_FALSE(painted([](TsMaskData& i) { i.FrameCount = 0; }));
    EXPECT_FALSE(painted([](TsMaskData& i) { i.FrameCount = -2; }));
    EXPECT_FALSE(painted([](TsMaskData& i) { i.MaskKind = -1; }));
    EXPECT_FALSE(painted([](TsMaskData& i) { i.MaskKind = -3; }));
    EXPECT_FALSE(painted([](TsMaskData& i) { i.Owner = nullptr; }));
    EXPECT_FALSE(painted([](TsMaskData& i) { i.BorderLeft = 5; })); // frame narrower than its borders
    EXPECT_TRUE(painted([](TsMaskData& i) { i.BorderLeft = -4; })); // counts as 0
}

TEST(MaskPaintTest, AlphaBordersWalkAlikeButKeepAlpha) {
    TestSkin skin(6, 6, 1);
    skin.SetBorders(2, 2, 2, 2);
    skin.Clear(0, 0);
    TacPixmap target(8, 8, 0x80000000u);
    DrawBordersMaskAlpha(target.View(), {0, 0, 8, 8}, false, nullptr, 0, skin.Item(), {});
    EXPECT_EQ(target.At(1, 1), 0x80000000u);
    DrawBordersMaskAlpha(target.View(), {0, 0, 8, 8}, false, &skin.Model, 0, skin.Item(), {});
    EXPECT_EQ(target.At(0, 0), 0u);
    EXPECT_EQ(target.At(7, 7), MakePixel(6 * 255 / 256, 7 * 255 / 256, 0x77 * 255 / 256, 255));
}

TEST(MaskPaintTest, CutRegionReportsClearRunsOfTheBorderPieces) {
    TestSkin skin(6, 6, 1);
    skin.Item().FrameCount = 0; // counts as one frame of the whole image
    skin.SetBorders(2, 2, 2, 2);
    // A corner run, a top side pixel (tiled every 2 pixels) and a centre pixel.
    const std::pair<int, int> clear[] = {{0, 0}, {1, 0}, {0, 1}, {2, 0}, {3, 3}};
    for (auto [x, y] : clear)
        skin.Clear(x, y);
    TacPixmap target(10, 10, 0x0F0F0F0Fu);
    std::vector<TacRect> runs;
    DrawBordersMaskCutRegion(target.View(), 0, skin.Item(), &runs);
    std::set<std::pair<int, int>> cut;
    for (const TacRect& r : runs) {
        ASSERT_EQ(r.Height(), 1);
        for (int x = r.Left; x < r.Right; ++x)
            cut.insert({x, r.Top});
    }
    EXPECT_EQ(cut, (std::set<std::pair<int, int>>{{0, 0}, {1, 0}, {0, 1}, {2, 0}, {4, 0}, {6, 0}}));
    EXPECT_NE(std::find(runs.begin(), runs.end(), TacRect{0, 0, 2, 1}), runs.end()); // one run, not two pixels
    EXPECT_EQ(target.At(0, 0), 0x0F0F0F0Fu);
    EXPECT_EQ(target.At(5, 5), 0x0F0F0F0Fu); // no centre
    EXPECT_EQ(target.At(9, 9) & kRgb, Named(6, 7) & kRgb);
    // Stretched, the top side's 2 source columns cover 3 target columns each.
    skin.Item().PaintFlags = 1;
    runs.clear();
    DrawBordersMaskCutRegion(target.View(), 0, skin.Item(), &runs);
    EXPECT_NE(std::find(runs.begin(), runs.end(), TacRect{2, 0, 5, 1}), runs.end());
    EXPECT_EQ(runs.size(), 3u);
}

// -------------------------------------------------------------------------------------
// State images, key-skipping blends and backdrop corners

TEST(MaskPaintTest, StateImageCutsWhatLandsLeftOrAbove) {
    TestSkin skin(5, 4, 2);
    TacPixmap target(6, 6, 0);
    DrawStateImage(target.View(), -3, -2, 7, {}, skin.Item(), simNormal);
    EXPECT_EQ(target.At(0, 0) & kRgb, Named(1 + 5 + 3, 2 + 2) & kRgb);
    EXPECT_EQ(target.At(1, 1) & kRgb, Named(1 + 5 + 4, 2 + 3) & kRgb);
    EXPECT_EQ(target.At(2, 0), 0u);
    EXPECT_EQ(target.At(0, 2), 0u);
}

TEST(MaskPaintTest, StateImageBlendFadesAndGrowsAlpha) {
    TestSkin skin(4, 1, 1);
    skin.Image().At(1, 3) = MakePixel(100, 0, 255, 255); // mask of pixel 0
    skin.Image().At(2, 3) = Grey(255);                   // pixel 1 fully masked
    skin.Clear(2, 0);
    const TPixel32 under = MakePixel(40, 40, 40, 0x40);
    for (int mode : {simNormal, simFaded}) {
        TacPixmap target(4, 1, under);
        DrawStateImage(target.View(), 0, 0, 0, {}, skin.Item(), mode);
        const int fade = mode == simNormal ? 0 : 100; // added to every mask channel
        auto over = [fade](int s, int m) { return FloorBlend(s, 40, std::min(m + fade, 255)); };
        EXPECT_EQ(target.At(0, 0), MakePixel(over(1, 100), over(2, 0), over(0x77, 255), 0x40 + (191 * 155) / 256));
        EXPECT_EQ(target.At(1, 0), under);
        EXPECT_EQ(target.At(2, 0), under);
        EXPECT_EQ(target.At(3, 0), MakePixel(over(4, 0), over(2, 0), over(0x77, 0), 0x40 + (191 * 255) / 256));
    }
}

TEST(MaskPaintTest, UnmaskedStateImageCopiesOrHalvesSkippingKey) {
    TestSkin skin(3, 1, 1, 0);
    skin.Image().At(1, 2) = skin.Image().At(2, 2) = Grey(10);
    skin.Clear(2, 0);
    TacPixmap target(3, 1, 0x00ABCDEFu);
    target.At(0, 0) = MakePixel(21, 21, 21, 0x33), target.At(1, 0) = MakePixel(23, 23, 23, 0x33);
    TacPixmap halved = target;
    DrawStateImage(halved.View(), 0, 0, 0, {}, skin.Item(), simFaded);
    EXPECT_EQ(halved.At(0, 0), MakePixel(16, 16, 16, 0x33)); // 15.5 and 16.5 round to even
    EXPECT_EQ(halved.At(1, 0), MakePixel(16, 16, 16, 0x33));
    EXPECT_EQ(halved.At(2, 0), 0x00ABCDEFu);
    TacPixmap behind(8, 8, 0x44556677u);
    DrawStateImage(target.View(), 0, 0, 0, BitmapBackdrop(behind.View(), 1, 1), skin.Item(), simNormal);
    EXPECT_EQ(target.At(0, 0), Grey(10));
    EXPECT_EQ(target.At(2, 0), 0x44556677u);
    // An own bitmap smaller than the item's rectangle is not drawn.
    skin.Item().OwnBitmap = std::make_shared<TacPixmap>(3, 3, Grey(1));
    DrawStateImage(target.View(), 0, 0, 0, {}, skin.Item(), simNormal);
    EXPECT_EQ(target.At(0, 0), Grey(10));
}

TEST(MaskPaintTest, SkippingKeyBlendClipsToTheTarget) {
    TacPixmap source(4, 4, Grey(100)), target(2, 2, Grey(0));
    BlendSkippingKey(target.View(), 1, -2, source.View(), {0, 0, 4, 4}, 0.25, clKeyPixel);
    EXPECT_EQ(target.At(0, 0), Grey(0));
    EXPECT_EQ(target.At(1, 1), Grey(75));
}

TEST(MaskPaintTest, BackdropCornersReplaceClearPixelsOfSelectedCorners) {
    TestSkin skin(6, 6, 1);
    skin.SetBorders(2, 2, 2, 2);
    skin.Clear(0, 0);
    skin.Clear(5, 5);
    const TacPixmap behind = NamedPixmap(40, 40, 7, 0xFF);
    const TPixel32 face = 0xFF123456u;
    TacPixmap cache(10, 10, face), far(10, 10, face);
    FillBackdropCorners(cache.View(), 20, 30, skin.Item(), 0, bcTopLeft, BitmapBackdrop(ViewOf(behind), 1, 2));
    EXPECT_EQ(cache.At(0, 0), Named(21, 32, 7, 0)); // the backdrop's colour, alpha 0
    EXPECT_EQ(cache.At(1, 0), face);
    EXPECT_EQ(cache.At(9, 9), face);
    FillBackdropCorners(cache.View(), 20, 30, skin.Item(), 0, bcAllCorners, ColorBackdrop(0x00332211u));
    EXPECT_EQ(cache.At(9, 9), 0x00112233u);
    FillBackdropCorners(far.View(), 35, 35, skin.Item(), 0, bcBottomRight, BitmapBackdrop(ViewOf(behind), 0, 0));
    EXPECT_EQ(far.At(9, 9), face); // beyond the backdrop bitmap
    // Unmasked items: the cache's own clear corner pixels are replaced.
    TestSkin flat(6, 6, 1, 0);
    flat.SetBorders(2, 2, 2, 2);
    TacPixmap keyed(10, 10, face);
    keyed.At(8, 1) = keyed.At(5, 5) = clKeyPixel;
    FillBackdropCorners(keyed.View(), 0, 0, flat.Item(), 0, bcAllCorners, ColorBackdrop(0x00000080u));
    EXPECT_EQ(keyed.At(8, 1), 0x00800000u);
    EXPECT_EQ(keyed.At(5, 5), clKeyPixel); // the centre is no corner
}

} // namespace
} // namespace sj
