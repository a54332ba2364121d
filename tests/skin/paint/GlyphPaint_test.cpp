#include "skin/paint/sGlyphPaint.h"

#include "skin/data/sSkinModel.h"
#include "skin/paint/acBlit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>

namespace sj {
namespace {

constexpr TPixel32 cBack = 0x11223344;

// round(S - f * (S - D)) per channel, halves to even; D's alpha.
TPixel32 FactorBlend(TPixel32 s, TPixel32 d, double f) {
    auto ch = [f](int sc, int dc) { return static_cast<std::uint8_t>(std::nearbyint(sc - f * (sc - dc))); };
    return MakePixel(ch(PixelR(s), PixelR(d)), ch(PixelG(s), PixelG(d)), ch(PixelB(s), PixelB(d)), PixelA(d));
}

using TPixelMap = std::map<std::pair<int, int>, TPixel32>;

// Every pixel of the canvas is either listed with its value or still cBack.
void ExpectCanvas(const TacPixmap& canvas, const TPixelMap& expected) {
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            const auto it = expected.find({x, y});
            EXPECT_EQ(canvas.At(x, y), it != expected.end() ? it->second : cBack) << x << "," << y;
        }
}

TEST(SmallArrow, DownAndRightArrowsInATenPixelSquare) {
    const TPixel32 red = 0xFFFF0000;
    TPixelMap down, right;
    for (int i = 0; i < 4; ++i) {
        for (int x = 1 + i; x <= 8 - i; ++x)
            down[{x, 2 + i}] = red;
        for (int y = 2 + i; y <= 8 - i; ++y)
            right[{3 + i, y}] = red;
    }
    TacPixmap canvas(10, 10, cBack);
    DrawSmallArrow(canvas.View(), 0x000000FF, {0, 0, 10, 10}, saDown);
    ExpectCanvas(canvas, down);

    canvas = TacPixmap(10, 10, cBack);
    DrawSmallArrow(canvas.View(), 0x000000FF, {0, 0, 10, 10}, saRight);
    ExpectCanvas(canvas, right);

    canvas = TacPixmap(10, 10, cBack);
    DrawSmallArrow(canvas.View(), 0x000000FF, {0, 0, 10, 10}, 5);
    DrawSmallArrow(canvas.View(), 0x000000FF, {-12, -12, -2, -2}, saDown); // wholly outside
    ExpectCanvas(canvas, {});
}

TEST(FocusRectangle, DotsEveryThirdPixelWithGapsBefore) {
    const TPixel32 dot = 0xFF000000, gap = 0xFFFFFFFF;
    TacPixmap canvas(10, 8, cBack);
    DrawFocusRectangle(canvas.View(), {1, 1, 8, 6}, 0x00FFFFFF, 0x00000000);
    TPixelMap expected;
    for (int x : {1, 4, 7}) {
        expected[{x, 1}] = expected[{x, 5}] = dot;
        expected[{x - 1, 1}] = expected[{x - 1, 5}] = gap;
    }
    for (int y : {1, 4}) {
        expected[{1, y}] = expected[{7, y}] = dot;
        expected[{1, y - 1}] = expected[{7, y - 1}] = gap;
    }
    ExpectCanvas(canvas, expected);

    // Pixels off the canvas are lost; the side edges are drawn after the top and bottom
    // ones, so where both land the sides win.
    TacPixmap edge(3, 3, cBack);
    DrawFocusRectangle(edge.View(), {0, 0, 3, 3}, 0x00FFFFFF, 0x00000000);
    ExpectCanvas(edge, {{{0, 0}, dot}, {{2, 0}, dot}, {{0, 2}, gap}, {{2, 2}, gap}});
}

TEST(KeyedCopies, OverKeyMakesOpaqueKeyedRectCopiesWholePixels) {
    TacPixmap source(2, 2, 0x00102030);
    source.At(1, 0) = 0x00FF00FF;
    source.At(0, 1) = 0x7FFF00FF; // magenta, other alpha
    TacPixmap whole(3, 3, cBack), colourOnly(3, 3, cBack), keyed(4, 3, cBack);
    CopyOverKey(whole.View(), 1, 1, ViewOf(source), 0x00FF00FF);
    CopyOverKey(colourOnly.View(), -1, 1, ViewOf(source), 0x00FF00FF, true);
    ExpectCanvas(whole, {{{1, 1}, 0xFF102030u}, {{1, 2}, 0xFFFF00FFu}, {{2, 2}, 0xFF102030u}});
    ExpectCanvas(colourOnly, {{{0, 2}, 0xFF102030u}});
    // The clipped-off column moves the piece right; only the whole key pixel is clear.
    CopyKeyedRect(keyed.View(), 1, 1, ViewOf(source), {-1, 0, 9, 9}, 0x00FF00FF);
    ExpectCanvas(keyed, {{{2, 1}, 0x00102030u}, {{2, 2}, 0x7FFF00FFu}, {{3, 2}, 0x00102030u}});
}

TEST(KeyedCopies, SourceShowsThroughClearCornerPixels) {
    TsSkinModel model;
    model.MasterBitmap = TacPixmap(8, 4, 0xFF000000);
    TsMaskData item;
    item.SourceRect = {0, 0, 8, 4};
    item.FrameCount = 2;
    item.BorderRight = 1;
    item.BorderBottom = 2;
    model.Masks.push_back(item);
    model.AdoptItems();
    // Bottom-right corner of frame 0 starts at (4 - 1, 4 - 2).
    model.MasterBitmap.At(3, 2) = 0x80FF00FF;
    model.MasterBitmap.At(4, 3) = 0x00FF00FF;

    TacPixmap source(5, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            source.At(x, y) = static_cast<TPixel32>(100 + 10 * y + x);
    TacPixmap target(3, 3, cBack);
    CopyThroughKeyPixels(target.View(), {1, 1, 3, 3}, ViewOf(source), {2, 2, 4, 4}, ckBottomRight, &model, 0);
    ExpectCanvas(target, {{{1, 1}, 122u}, {{2, 2}, 133u}});

    TacPixmap untouched(3, 3, cBack);
    CopyThroughKeyPixels(untouched.View(), {1, 1, 3, 3}, ViewOf(source), {2, 2, 4, 4}, ckBottomRight, &model, 1);
    CopyThroughKeyPixels(untouched.View(), {1, 1, 3, 3}, ViewOf(source), {2, 2, 4, 4}, ckBottomRight, nullptr, 0);
    ExpectCanvas(untouched, {});

    // Without an item the target's own magenta pixels are replaced; the area is cut to
    // what the source holds from (4, 4).
    TacPixmap own(3, 3, 0x12FF00FF);
    CopyThroughKeyPixels(own.View(), {0, 0, 3, 3}, ViewOf(source), {4, 4, 7, 7}, ckTopLeft, &model, -1);
    EXPECT_EQ(own.At(0, 0), 144u);
    EXPECT_EQ(own.At(1, 0), 0x12FF00FFu);
}

// A glyph of `frames` frames, 2 x 2 each: frame e is filled with a colour of its own
// and its bottom-left pixel is the transparent colour.
TacPixmap FramedGlyph(int frames, TPixel32 key) {
    TacPixmap glyph(2 * frames, 2);
    for (int e = 0; e < frames; ++e) {
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                glyph.At(2 * e + x, y) = MakePixel(static_cast<std::uint8_t>(10 * (e + 1)), 0, 0, 0);
        glyph.At(2 * e, 1) = key;
    }
    return glyph;
}

// Which frame landed at (1, 1): its red value / 10 - 1.
int FrameShown(const TacPixmap& target) {
    return PixelR(target.At(1, 1)) / 10 - 1;
}

TEST(GlyphBitmap, FrameByStateAndColourDepth) {
    const TacPixmap glyph = FramedGlyph(4, clKeyPixel);
    auto shown = [&](int state, bool down, int bits, int count) {
        TacPixmap target(4, 4, cBack);
        TacGlyphDraw how;
        how.GlyphCount = count;
        how.BitsPerPixel = bits;
        how.State = state;
        how.Down = down;
        DrawGlyphBitmap(target.View(), {1, 1, 3, 3}, ViewOf(glyph), how);
        EXPECT_EQ(target.At(1, 2), cBack) << "the frame's bottom-left pixel is clear";
        return FrameShown(target);
    };
    EXPECT_EQ(shown(1, false, 4, 4), 0) << "16-colour glyphs have no hot frame";
    EXPECT_EQ(shown(1, false, 24, 4), 1);
    EXPECT_EQ(shown(2, false, 24, 4), 2);
    EXPECT_EQ(shown(2, true, 24, 4), 3);
    EXPECT_EQ(shown(2, true, 24, 3), 1) << "no down frame: the hot one";
    EXPECT_EQ(shown(2, true, 4, 3), 0);
    EXPECT_EQ(shown(0, false, 24, 4), 0);

    TacPixmap target(4, 4, cBack);
    TacGlyphDraw none;
    none.GlyphCount = 0;
    DrawGlyphBitmap(target.View(), {1, 1, 3, 3}, ViewOf(glyph), none);
    EXPECT_EQ(target.At(1, 1), cBack);
}

TEST(GlyphBitmap, BlendedGlyphsSkipTheirOwnTransparentColour) {
    const TPixel32 green = 0x0000FF00; // a transparent colour other than magenta
    const TacPixmap single = FramedGlyph(1, green);
    TacGlyphDraw how;
    how.BlendPercent = 40;
    TacPixmap target(2, 2, cBack);
    DrawGlyphBitmap(target.View(), {0, 0, 2, 2}, ViewOf(single), how);
    EXPECT_EQ(target.At(0, 1), cBack);
    EXPECT_EQ(target.At(1, 1), FactorBlend(single.At(1, 1), cBack, 0.4));

    const TacPixmap frames = FramedGlyph(3, green);
    how.GlyphCount = 3;
    how.Enabled = false;
    TacPixmap disabled(2, 2, cBack);
    DrawGlyphBitmap(disabled.View(), {0, 0, 2, 2}, ViewOf(frames), how);
    EXPECT_EQ(disabled.At(0, 1), cBack);
    EXPECT_EQ(disabled.At(0, 0), FactorBlend(frames.At(0, 0), cBack, 0.4));
}

TEST(GlyphBitmap, DisabledSingleGlyphReadsItsKeyAfterGreying) {
    TacPixmap glyph(2, 2, MakePixel(30, 60, 90, 0));
    glyph.At(0, 1) = clKeyPixel;
    glyph.At(1, 0) = MakePixel(170, 170, 170, 0); // the grey of the key: clear once greyed
    TacGlyphDraw how;
    how.Enabled = false;
    how.DisabledKinds = dkGrayed | dkBlended;
    TacPixmap blended(2, 2, cBack);
    DrawGlyphBitmap(blended.View(), {0, 0, 2, 2}, ViewOf(glyph), how);
    ExpectCanvas(blended, {{{0, 0}, FactorBlend(MakePixel(60, 60, 60, 0), cBack, 0.5)},
                           {{1, 1}, FactorBlend(MakePixel(60, 60, 60, 0), cBack, 0.5)}});
    EXPECT_EQ(glyph.At(0, 0), MakePixel(30, 60, 90, 0)) << "the caller's glyph stays as it was";
}

TEST(DisabledLook, GreyThenMixedWithBitmapOrColourBackdrop) {
    const TPixel32 facePixel = MakePixel(100, 50, 0, 0x77);
    TacPixmap back(5, 5, MakePixel(200, 0, 250));
    back.At(3, 2) = clKeyPixel;
    TacPixmap face(2, 2, facePixel);
    // Face (0, 0) lies over backdrop (1 + 1, 2 + 0).
    PaintDisabledLook(face.View(), dkBlended, 0, 1, 2, BitmapBackdrop(back.View(), 1, 0));
    EXPECT_EQ(face.At(0, 0), FactorBlend(back.At(2, 2), facePixel, 0.4));
    EXPECT_EQ(face.At(1, 0), facePixel) << "clear backdrop pixel";

    TacPixmap unknown(1, 1, facePixel);
    PaintDisabledLook(unknown.View(), dkBlended, 0x000000C8, 0, 0, ColorBackdrop(clUnknownColor));
    EXPECT_EQ(unknown.At(0, 0), MakePixel(150, 25, 0, 0x77)) << "half of the control's own colour";

    TacPixmap grey(1, 1, facePixel);
    PaintDisabledLook(grey.View(), dkGrayed | dkBlended, 0, 0, 0, ColorBackdrop(0x00FFFFFF));
    EXPECT_EQ(grey.At(0, 0), MakePixel(152, 152, 152, 0x77)) << "grey 50, then 25 + 127.5 rounds to even";
}

} // namespace
} // namespace sj
