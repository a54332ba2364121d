#include "skin/paint/sSectionPaint.h"

#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sGradient.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sTexture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

namespace sj {
namespace {

constexpr TPixel32 kUntouched = 0x12345678;

TPixel32 Opaque(TColor c) {
    return ColorToPixelOrder(c & 0x00FFFFFF) | 0xFF000000u;
}

int FloorDiv(int a, int b) {
    return static_cast<int>(std::floor(static_cast<double>(a) / b));
}

// s + floor(w * (d - s) / 256) per channel; the alpha byte given.
TPixel32 Toward(TPixel32 s, TPixel32 d, int w, std::uint8_t alpha) {
    auto ch = [w](int sc, int dc) { return static_cast<std::uint8_t>(sc + FloorDiv(w * (dc - sc), 256)); };
    return MakePixel(ch(PixelR(s), PixelR(d)), ch(PixelG(s), PixelG(d)), ch(PixelB(s), PixelB(d)), alpha);
}

TacPixmap RandomPixmap(int w, int h, unsigned seed, bool opaque = false) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::uint32_t> any;
    TacPixmap p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.At(x, y) = any(rng) | (opaque ? 0xFF000000u : 0u);
    return p;
}

TsGenState Plain(TColor color, int transparency = 0) {
    TsGenState s;
    s.Color = static_cast<std::int32_t>(color);
    s.Transparency = transparency;
    return s;
}

// A skin model made by hand: sections, a master image and items cut from it.
struct TTestSkin {
    TsSkinModel Model;

    TTestSkin() { Model.MasterBitmap = RandomPixmap(64, 64, 99, true); }

    std::int32_t AddSection(const std::string& name, int states, TsGenState normal, TsGenState hot = {}) {
        TsGeneralData s;
        s.SectionName = name;
        s.States = states;
        s.StateProps = {normal, hot};
        Model.GeneralData.push_back(s);
        return static_cast<std::int32_t>(Model.GeneralData.size() - 1);
    }
    TsGeneralData& Section(std::int32_t i) { return Model.GeneralData[static_cast<std::size_t>(i)]; }

    std::int32_t AddItem(TsMaskData item) {
        Model.Masks.push_back(std::move(item));
        Model.AdoptItems();
        return static_cast<std::int32_t>(Model.Masks.size() - 1);
    }
    // An unmasked texture of the master image.
    std::int32_t AddTexture(TacRect source, int mode) {
        TsMaskData item;
        item.SourceRect = source;
        item.FrameCount = 1;
        item.PaintFlags = static_cast<std::int16_t>(mode);
        item.ItemKind = ikTexture;
        return AddItem(item);
    }
    TPixel32 Master(int x, int y) const { return Model.MasterBitmap.At(x, y); }
};

TEST(SectionBackground, StateIsClampedToTheSectionsStatesFirst) {
    TTestSkin skin;
    const auto one = skin.AddSection("ONE", 1, Plain(0x0000FF), Plain(0x00FF00));
    const auto none = skin.AddSection("NONE", 0, Plain(0x0000FF), Plain(0x00FF00));
    const auto three = skin.AddSection("THREE", 3, Plain(0x0000FF), Plain(0x00FF00));
    struct TCase {
        std::int32_t Section;
        int State;
        TColor Expected;
    };
    for (TCase c : {TCase{one, 0, 0x0000FF}, TCase{one, 2, 0x0000FF}, TCase{none, 1, 0x0000FF},
                    TCase{three, 1, 0x00FF00}, TCase{three, 5, 0x00FF00}, TCase{three, -1, 0x0000FF}}) {
        TacPixmap bmp(4, 4, kUntouched);
        PaintSectionBackground(bmp.View(), {0, 0, 4, 4}, &skin.Model, c.Section, "", c.State, ColorBackdrop(0), 0, 0);
        EXPECT_EQ(bmp.At(2, 2), Opaque(c.Expected)) << c.Section << " state " << c.State;
    }
}

TEST(SectionBackground, FullTransparencyShowsExactlyTheBackdrop) {
    TTestSkin skin;
    const auto glass = skin.AddSection("GLASS", 1, Plain(0x0000FF, 100));
    const TacPixmap back = RandomPixmap(40, 40, 5);
    TacPixmap bmp(16, 12, kUntouched);
    const TacRect rect{2, 1, 12, 9};
    // rect lies at (5, 6) in the parent, whose pixels start at (3, 4) of the backdrop bitmap.
    PaintSectionBackground(bmp.View(), rect, &skin.Model, glass, "GLASS", 0, BitmapBackdrop(ViewOf(back), 3, 4), 5, 6);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool inside = x >= rect.Left && x < rect.Right && y >= rect.Top && y < rect.Bottom;
            ASSERT_EQ(bmp.At(x, y), inside ? back.At(x - 2 + 5 + 3, y - 1 + 6 + 4) : kUntouched) << x << "," << y;
        }

    TacPixmap over(4, 4, kUntouched);
    PaintSectionBackground(over.View(), {0, 0, 4, 4}, &skin.Model, glass, "", 0, ColorBackdrop(0x00445566), 0, 0);
    EXPECT_EQ(over.At(3, 3), 0xFF665544u);
}

TEST(SectionBackground, HalfTransparentPlainFillMixesWithTheBackdropColour) {
    TTestSkin skin;
    const auto half = skin.AddSection("HALF", 1, Plain(0x00F0E0D0, 50));
    TacPixmap bmp(3, 3);
    PaintSectionBackground(bmp.View(), {0, 0, 3, 3}, &skin.Model, half, "", 0, ColorBackdrop(0x00102031), 0, 0);
    EXPECT_EQ(bmp.At(1, 1), Opaque(MixColors(0x00102031, 0x00F0E0D0, 0.5)));

    // System colour codes are resolved before they are mixed (button face: 0xF0F0F0).
    PaintSectionBackground(bmp.View(), {0, 0, 3, 3}, &skin.Model, half, "", 0, ColorBackdrop(0xFF00000F), 0, 0);
    EXPECT_EQ(bmp.At(1, 1), Opaque(MixColors(0x00F0F0F0, 0x00F0E0D0, 0.5)));
    // A custom colour is opaque and resolved too (window colour: white).
    PaintSectionBackground(bmp.View(), {0, 0, 3, 3}, &skin.Model, half, "", 0, ColorBackdrop(0), 0, 0, 0xFF000005);
    EXPECT_EQ(bmp.At(1, 1), 0xFFFFFFFFu);
}

TEST(SectionBackground, AnUnknownBackdropGetsTheSectionColourOpaque) {
    TTestSkin skin;
    const auto half = skin.AddSection("HALF", 1, Plain(0x00F0E0D0, 50));
    const auto glass = skin.AddSection("GLASS", 1, Plain(0x00F0E0D0, 100));
    for (auto section : {half, glass}) {
        TacPixmap bmp(3, 3, kUntouched);
        PaintSectionBackground(bmp.View(), {0, 0, 3, 3}, &skin.Model, section, "", 0, ColorBackdrop(clUnknownColor), 0,
                               0);
        EXPECT_EQ(bmp.At(2, 2), Opaque(0x00F0E0D0));
    }
}

TEST(SectionBackground, TransparencyWeightsOfTheTwoRuleSets) {
    // Background: round(T * 2.55) with halves to even (30 -> 76, 10 -> 26).
    // With items: T * 255 div 100 (30 -> 76, 10 -> 25).
    struct TCase {
        int T;
        bool WithItems;
        int Weight;
    };
    const TacPixmap back = RandomPixmap(8, 8, 77);
    for (TCase c : {TCase{30, false, 76}, TCase{10, false, 26}, TCase{50, false, 128}, TCase{30, true, 76},
                    TCase{10, true, 25}, TCase{50, true, 127}}) {
        SCOPED_TRACE(testing::Message() << "T " << c.T << (c.WithItems ? " with items" : ""));
        TTestSkin skin;
        const auto s = skin.AddSection("S", 1, Plain(0x00305070, c.T));
        TacPixmap bmp(8, 8, kUntouched);
        const TBackdropRef backdrop = BitmapBackdrop(ViewOf(back), 0, 0);
        if (c.WithItems)
            PaintSectionFaceWithItems(bmp.View(), {0, 0, 8, 8}, &skin.Model, s, "", -1, 0, false, backdrop, 0, 0);
        else
            PaintSectionBackground(bmp.View(), {0, 0, 8, 8}, &skin.Model, s, "", 0, backdrop, 0, 0);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(bmp.At(x, y), Toward(Opaque(0x00305070), back.At(x, y), c.Weight, PixelA(back.At(x, y))))
                    << x << "," << y;
    }
}

TEST(SectionFill, GradientShareOfOneHundredPaintsTheSkinExample) {
    TTestSkin skin;
    TsGenState st = Plain(0x000000FF);
    st.GradientPercent = 100;
    st.GradientSteps = ParseGradientData("16777215;14477287;97;0;0;14477287;14477287;0;0;0");
    const auto s = skin.AddSection("S", 1, st);
    TacPixmap bmp(5, 100, kUntouched), expected(5, 100);
    PaintSectionBackground(bmp.View(), {0, 0, 5, 100}, &skin.Model, s, "", 0, ColorBackdrop(0), 0, 0);
    DrawGradient(expected.View(), {0, 0, 5, 100}, st.GradientSteps);
    EXPECT_EQ(bmp.Data(), expected.Data());
    EXPECT_EQ(bmp.At(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(bmp.At(0, 99), Opaque(14477287));
}

TEST(SectionFill, GradientSixtyOverTextureForty) {
    TTestSkin skin;
    const TacRect tile{10, 20, 15, 23};
    TsGenState st = Plain(0x000000FF);
    st.GradientPercent = 60;
    st.ImagePercent = 40;
    st.GradientSteps = {{0x00204080, 0x00F0C0A0, 100, 0}};
    st.PatternIndex = skin.AddTexture(tile, tmTile);
    const auto s = skin.AddSection("S", 1, st);
    TacPixmap bmp(12, 9), gradient(12, 9);
    PaintSectionBackground(bmp.View(), {0, 0, 12, 9}, &skin.Model, s, "", 0, ColorBackdrop(0), 0, 0);
    DrawGradient(gradient.View(), {0, 0, 12, 9}, st.GradientSteps);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) {
            const TPixel32 t = skin.Master(tile.Left + x % 5, tile.Top + y % 3);
            ASSERT_EQ(bmp.At(x, y), Toward(gradient.At(x, y), t, 102, 255)) << x << "," << y;
        }
}

TEST(SectionFill, GradientThirtyLeavesSeventyPercentOfTheColour) {
    TTestSkin skin;
    TsGenState st = Plain(0x00336699);
    st.GradientPercent = 30;
    st.GradientSteps = {{0x00FFFFFF, 0x00000000, 100, 1}};
    const auto s = skin.AddSection("S", 1, st);
    TacPixmap bmp(20, 2), gradient(20, 2);
    PaintSectionBackground(bmp.View(), {0, 0, 20, 2}, &skin.Model, s, "", 0, ColorBackdrop(0), 0, 0);
    DrawGradient(gradient.View(), {0, 0, 20, 2}, st.GradientSteps);
    const TPixel32 c = Opaque(0x00336699);
    // round(v * p / 100 + c * (1 - p / 100)) with p = 30, in the rule's real arithmetic.
    auto keep = [](int g, int k) {
        return static_cast<std::uint8_t>(std::nearbyint(g * (30 / 100.0) + k * (1 - 30 / 100.0)));
    };
    for (int x = 0; x < 20; ++x) {
        const TPixel32 g = gradient.At(x, 1);
        ASSERT_EQ(bmp.At(x, 1),
                  MakePixel(keep(PixelR(g), PixelR(c)), keep(PixelG(g), PixelG(c)), keep(PixelB(g), PixelB(c))));
    }
}

TEST(SectionFill, TopRowTextureOverATallerRectLeavesTheColourBelow) {
    TTestSkin skin;
    const TacRect tile{0, 0, 4, 3};
    TsGenState st = Plain(0x00112233);
    st.ImagePercent = 100;
    st.PatternIndex = skin.AddTexture(tile, tmTopRow);
    const auto s = skin.AddSection("S", 1, st);
    TacPixmap bmp(10, 8, kUntouched);
    PaintSectionBackground(bmp.View(), {0, 0, 10, 8}, &skin.Model, s, "", 0, ColorBackdrop(0), 0, 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(bmp.At(x, y), y < 3 ? skin.Master(x % 4, y) : Opaque(0x00112233)) << x << "," << y;
}

TEST(SectionFill, TriangleGradientWithoutTheSystemFunctionFallsBackToTheColour) {
    TTestSkin skin;
    TsGenState st = Plain(0x00445566);
    st.GradientPercent = 100;
    st.GradientSteps = {{0x00FFFFFF, 0, 0, 2}};
    const auto s = skin.AddSection("S", 1, st);
    const TacTriangleFill saved = TriangleGradientFill();
    SetTriangleGradientFill(nullptr);
    TacPixmap bmp(6, 6, kUntouched);
    PaintSectionBackground(bmp.View(), {0, 0, 6, 6}, &skin.Model, s, "", 0, ColorBackdrop(0), 0, 0);
    SetTriangleGradientFill(saved);
    EXPECT_EQ(bmp.At(3, 3), Opaque(0x00445566));
}

TEST(SectionTexture, LookupOrderOfTextureIndexesAndPatternImages) {
    TTestSkin skin;
    const auto own = skin.AddTexture({0, 0, 2, 2}, tmTile);
    const auto given = skin.AddTexture({8, 8, 10, 10}, tmTile);
    TsMaskData masked;
    masked.SourceRect = {20, 20, 22, 24};
    masked.FrameCount = 1;
    masked.MaskKind = 1;
    const auto maskedIndex = skin.AddItem(masked);
    TsGenState st = Plain(0x0);
    st.ImagePercent = 100;
    st.PatternIndex = own;
    const auto s = skin.AddSection("S", 1, st);
    TacPixmap bmp(2, 2);
    // A given unmasked item wins; a given masked one is passed over for the section's own.
    PaintSectionBackground(bmp.View(), {0, 0, 2, 2}, &skin.Model, s, "S", 0, ColorBackdrop(0), 0, 0, clUnknownColor,
                           given);
    EXPECT_EQ(bmp.At(1, 1), skin.Master(9, 9));
    PaintSectionBackground(bmp.View(), {0, 0, 2, 2}, &skin.Model, s, "S", 0, ColorBackdrop(0), 0, 0, clUnknownColor,
                           maskedIndex);
    EXPECT_EQ(bmp.At(1, 1), skin.Master(1, 1));

    // Without items the skin's pattern images of the section's name are tiled.
    skin.Section(s).StateProps[0].PatternIndex = -1;
    TsPatternData pattern;
    pattern.Jpeg = std::make_shared<TacPixmap>(1, 1, 0xFFABCDEF);
    pattern.Section = "S";
    pattern.Key = "PATTERN";
    skin.Model.Patterns.push_back(pattern);
    PaintSectionBackground(bmp.View(), {0, 0, 2, 2}, &skin.Model, s, "S", 0, ColorBackdrop(0), 0, 0);
    EXPECT_EQ(bmp.At(1, 1), 0xFFABCDEFu);
}

// A masked texture: a frame whose first pixel is clear and whose mask lets half of the
// backdrop through everywhere else.
std::int32_t AddMaskedTexture(TTestSkin& skin, int mode) {
    TacPixmap& m = skin.Model.MasterBitmap;
    for (int y = 40; y < 43; ++y)
        for (int x = 40; x < 44; ++x)
            m.At(x, y + 3) = 0xFF808080;
    m.At(40, 40) = clKeyPixel;
    TsMaskData item;
    item.SourceRect = {40, 40, 44, 46};
    item.FrameCount = 1;
    item.MaskKind = 1;
    item.PaintFlags = static_cast<std::int16_t>(mode);
    item.ItemKind = ikTexture;
    return skin.AddItem(item);
}

TEST(SectionTexture, MaskedTexturesBlendWithTheBackdropNotWithStalePixels) {
    TTestSkin skin;
    TsGenState st = Plain(0x0);
    st.ImagePercent = 100;
    st.PatternIndex = AddMaskedTexture(skin, tmTile);
    const auto s = skin.AddSection("S", 1, st);
    TacPixmap bmp(9, 7, kUntouched);
    PaintSectionBackground(bmp.View(), {0, 0, 9, 7}, &skin.Model, s, "", 0, ColorBackdrop(0x00204060), 0, 0);
    const TPixel32 back = Opaque(0x00204060);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
            const int fx = x % 4, fy = y % 3;
            const TPixel32 want = fx == 0 && fy == 0 ? back : Toward(skin.Master(40 + fx, 40 + fy), back, 128, 255);
            ASSERT_EQ(bmp.At(x, y), want) << x << "," << y;
        }
}

TEST(SectionTexture, WholeTileMaskedTextureShowsTheRealBackdropInTheNormalState) {
    TTestSkin skin;
    const auto texture = AddMaskedTexture(skin, tmWholeTiles);
    TsGenState st = Plain(0x00FFFFFF, 50);
    st.ImagePercent = 100;
    const auto s = skin.AddSection("S", 2, st, st);
    const TacPixmap back = RandomPixmap(20, 20, 3, true);
    const TBackdropRef backdrop = BitmapBackdrop(ViewOf(back), 1, 2);
    TacPixmap bmp(10, 8, kUntouched);
    // 10 x 8 with 4 x 3 tiles: two columns, two rows; bands from x = 8 and y = 6.
    PaintSectionBackground(bmp.View(), {0, 0, 10, 8}, &skin.Model, s, "", 0, backdrop, 0, 0, clUnknownColor, texture);
    EXPECT_EQ(bmp.At(9, 0), back.At(10, 2));
    EXPECT_EQ(bmp.At(3, 7), back.At(4, 9));
    EXPECT_EQ(bmp.At(4, 3), back.At(5, 5)) << "clear tile pixel";
    TacPixmap hot(10, 8, kUntouched);
    PaintSectionBackground(hot.View(), {0, 0, 10, 8}, &skin.Model, s, "", 1, backdrop, 0, 0, clUnknownColor, -1,
                           texture);
    EXPECT_NE(hot.At(9, 0), back.At(10, 2)) << "the hot state keeps the half-transparent fill";
}

TEST(SectionFace, NothingOutsideTheTargetOrWithoutModel) {
    TTestSkin skin;
    const auto s = skin.AddSection("S", 1, Plain(0x00FF0000));
    TsFaceParams params;
    params.SkinIndex = s;
    TacPixmap bmp(10, 10, kUntouched);
    PaintSectionBackground(bmp.View(), {20, 20, 30, 30}, &skin.Model, s, "", 0, ColorBackdrop(0), 0, 0);
    PaintSectionBackground(bmp.View(), {-30, 2, -20, 5}, &skin.Model, s, "", 0, ColorBackdrop(0), 0, 0);
    PaintSectionBackground(bmp.View(), {0, 0, 10, 10}, nullptr, s, "", 0, ColorBackdrop(0), 0, 0);
    PaintSectionBackground(bmp.View(), {0, 0, 10, 10}, &skin.Model, 7, "", 0, ColorBackdrop(0), 0, 0);
    PaintControlFace(bmp.View(), {-1, 0, 5, 5}, &skin.Model, params, 0, false, ColorBackdrop(0), 0, 0);
    PaintControlFace(bmp.View(), {5, 5, 11, 10}, &skin.Model, params, 0, false, ColorBackdrop(0), 0, 0);
    PaintSectionFace(bmp.View(), {0, 0, 10, 11}, &skin.Model, s, "", 0, false, ColorBackdrop(0), 0, 0);
    PaintSectionFaceAlpha(bmp.View(), {0, 0, 11, 10}, &skin.Model, s, 0, false);
    for (TPixel32 p : bmp.Data())
        ASSERT_EQ(p, kUntouched);
    // A rect partly outside the target is painted where it lies inside.
    PaintSectionBackground(bmp.View(), {-3, -3, 2, 2}, &skin.Model, s, "", 0, ColorBackdrop(0), 0, 0);
    EXPECT_EQ(bmp.At(1, 1), Opaque(0x00FF0000));
    EXPECT_EQ(bmp.At(2, 2), kUntouched);
}

TEST(SectionFace, CornerImagesBordersAndColourAdjustments) {
    TTestSkin skin;
    TacPixmap& m = skin.Model.MasterBitmap;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            m.At(50 + x, y) = 0xFF00FF00;
    TsMaskData corner;
    corner.SourceRect = {50, 0, 52, 2};
    corner.FrameCount = 1;
    const auto cornerIndex = skin.AddItem(corner);
    // Borders of one pixel around a 3 x 3 frame, centre not painted: a blue ring.
    for (int y = 10; y < 13; ++y)
        for (int x = 10; x < 13; ++x)
            m.At(x, y) = 0xFF0000FF;
    TsMaskData borders;
    borders.SourceRect = {10, 10, 13, 13};
    borders.FrameCount = 1;
    borders.BorderLeft = borders.BorderTop = borders.BorderRight = borders.BorderBottom = 1;
    const auto bordersIndex = skin.AddItem(borders);

    const auto s = skin.AddSection("S", 1, Plain(0x000000FF)); // red fill
    skin.Section(s).ImgTopLeftIndex = cornerIndex;
    skin.Section(s).ImgBtmRightIndex = cornerIndex;
    TsFaceParams params;
    params.SkinIndex = s;
    params.HUEOffset = 120;

    TacPixmap bmp(10, 8, kUntouched);
    PaintControlFace(bmp.View(), {0, 0, 10, 8}, &skin.Model, params, 0, false, ColorBackdrop(0), 0, 0);
    EXPECT_EQ(bmp.At(1, 1), 0xFF0000FFu) << "green corner turned blue";
    EXPECT_EQ(bmp.At(8, 6), 0xFF0000FFu);
    EXPECT_EQ(bmp.At(5, 4), 0xFF00FF00u) << "opaque red fill turned green";

    params.BordersIndex = bordersIndex;
    params.HUEOffset = 0;
    PaintControlFace(bmp.View(), {0, 0, 10, 8}, &skin.Model, params, 0, false, ColorBackdrop(0), 0, 0);
    EXPECT_EQ(bmp.At(5, 0), 0xFF0000FFu) << "top side of the ring";
    EXPECT_EQ(bmp.At(5, 4), 0xFFFF0000u) << "centre left to the fill";

    // A see-through face without borders keeps its backdrop's colours.
    skin.Section(s).StateProps[0].Transparency = 100;
    params.BordersIndex = -1;
    params.HUEOffset = 120;
    PaintControlFace(bmp.View(), {0, 0, 10, 8}, &skin.Model, params, 0, false, ColorBackdrop(0x000000FF), 0, 0);
    EXPECT_EQ(bmp.At(5, 4), 0xFFFF0000u);
}

TEST(SectionFace, ByNameFallsBackAndReportsTheSectionUsed) {
    TTestSkin skin;
    skin.AddSection("BUTTON", 1, Plain(0x00010203));
    const auto header = skin.AddSection("COLHEADER", 1, Plain(0x00040506));
    TacPixmap bmp(4, 4, kUntouched);
    EXPECT_EQ(PaintSectionFaceByName(bmp.View(), &skin.Model, "NOPE", "COLHEADER", 0, 0), header);
    EXPECT_EQ(bmp.At(3, 3), Opaque(0x00040506));
    TacPixmap none(4, 4, kUntouched);
    EXPECT_EQ(PaintSectionFaceByName(none.View(), &skin.Model, "NOPE", "NEITHER", 0, 0), -1);
    EXPECT_EQ(PaintSectionFaceByName(none.View(), nullptr, "BUTTON", "", 0, 0), -1);
    EXPECT_EQ(none.At(0, 0), kUntouched);
}

TEST(SectionFaceWithItems, PlainFillAtFullTransparencyIsTheBackdropColour) {
    TTestSkin skin;
    TsGenState st = Plain(0x00102030, 100);
    const auto s = skin.AddSection("S", 1, st);
    TacPixmap bmp(4, 4, kUntouched);
    PaintSectionFaceWithItems(bmp.View(), {0, 0, 4, 4}, &skin.Model, s, "", -1, 0, false, ColorBackdrop(0x00AABBCC), 0,
                              0);
    EXPECT_EQ(bmp.At(1, 1), Opaque(0x00AABBCC));
}

// ---- Alpha-keeping variants ---------------------------------------------------------------

TEST(SectionAlpha, FullTransparencyClearsOnlyAWholeTarget) {
    TTestSkin skin;
    const auto s = skin.AddSection("S", 1, Plain(0x00123456, 100));
    TacPixmap bmp(6, 4, kUntouched);
    PaintSectionBackgroundAlpha(bmp.View(), {1, 1, 5, 3}, &skin.Model, s, 0);
    EXPECT_EQ(bmp.At(2, 2), kUntouched);
    PaintSectionBackgroundAlpha(bmp.View(), {0, 0, 6, 4}, &skin.Model, s, 0);
    for (TPixel32 p : bmp.Data())
        ASSERT_EQ(p, 0u);
}

TEST(SectionAlpha, PlainColourDependsOnWhatTheTargetHolds) {
    TTestSkin skin;
    const TColor c = 0x00C08040;
    const auto part = skin.AddSection("PART", 1, Plain(c, 40));
    const auto solid = skin.AddSection("SOLID", 1, Plain(c, 0));
    // A clear target takes the colour at the fill's opacity, (100 - 40) * 255 div 100.
    TacPixmap clear(4, 4, 0);
    PaintSectionBackgroundAlpha(clear.View(), {0, 0, 4, 4}, &skin.Model, part, 0);
    EXPECT_EQ(clear.At(3, 3), (Opaque(c) & 0x00FFFFFF) | (153u << 24));
    // An opaque fill replaces whatever is there.
    TacPixmap painted(4, 4, 0x80102030);
    PaintSectionBackgroundAlpha(painted.View(), {0, 0, 4, 4}, &skin.Model, solid, 0);
    EXPECT_EQ(painted.At(0, 0), Opaque(c));
    // Otherwise the pixels are shaded toward the colour by 60 %, alpha at least the opacity.
    TacPixmap shaded(4, 4, 0x80102030);
    PaintSectionBackgroundAlpha(shaded.View(), {0, 0, 4, 4}, &skin.Model, part, 0);
    auto shade = [](int v, int k) { return static_cast<std::uint8_t>(std::nearbyint(v - 60 * (v - k) / 100.0)); };
    EXPECT_EQ(shaded.At(2, 2), MakePixel(shade(0x10, 0x40), shade(0x20, 0x80), shade(0x30, 0xC0), 153));
    // A given colour replaces the section's fill and its transparency.
    TacPixmap custom(4, 4, 0);
    PaintSectionBackgroundAlpha(custom.View(), {0, 0, 4, 4}, &skin.Model, part, 0, 0x000000FF);
    EXPECT_EQ(custom.At(1, 1), 0xFFFF0000u);
}

TEST(SectionAlpha, FaceOverTheWholeTargetIsPremultiplied) {
    TTestSkin skin;
    const auto s = skin.AddSection("S", 1, Plain(0x00C08040, 40));
    TacPixmap bmp(5, 5, 0);
    PaintSectionFaceAlpha(bmp.View(), {0, 0, 5, 5}, &skin.Model, s, 0, true);
    EXPECT_EQ(bmp.At(2, 2), MakePixel(0x40 * 153 >> 8, 0x80 * 153 >> 8, 0xC0 * 153 >> 8, 153));
    TacPixmap part(5, 5, 0);
    PaintSectionFaceAlpha(part.View(), {1, 1, 4, 4}, &skin.Model, s, 0, true);
    EXPECT_EQ(part.At(2, 2), MakePixel(0x40, 0x80, 0xC0, 153)) << "a part of the target stays straight";
}

// ---- A real skin ---------------------------------------------------------------------------

#ifdef SJ_SKINS_DIR
TEST(RealSkin, EverySectionOfEveryStatePaintsWithinItsBitmaps) {
    const std::string name = "Zest (internal)";
    const std::string path = std::string(SJ_SKINS_DIR) + "/" + name + ".asz";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "the internal skins are not built: " << path;
    std::ifstream file(path, std::ios::binary);
    TsStoredSkin stored;
    stored.Name = name;
    stored.DataStream.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    TsSkinCore core;
    core.InternalSkins.Add(std::move(stored));
    core.SetSkinDirectory("/nonexistent-skin-folder");
    ASSERT_NO_THROW(core.LoadSkin(name));
    const TsSkinModel& model = core.Model();
    ASSERT_FALSE(model.GeneralData.empty());
    const TacPixmap back = RandomPixmap(80, 60, 8, true);
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(model.GeneralData.size()); ++i) {
        const TsGeneralData& section = model.GeneralData[static_cast<std::size_t>(i)];
        SCOPED_TRACE(section.SectionName);
        TsFaceParams params;
        params.SkinIndex = i;
        params.SkinSection = section.SectionName;
        params.BordersIndex = section.BordersMaskIndex;
        params.HUEOffset = 30;
        params.Saturation = -20;
        for (int state = 0; state < 4; ++state)
            for (TacRect rect :
                 {TacRect{0, 0, 1, 1}, TacRect{0, 0, 3, 2}, TacRect{2, 3, 47, 31}, TacRect{0, 0, 64, 40}}) {
                TacPixmap bmp(64, 40, kUntouched);
                const TBackdropRef bitmap = BitmapBackdrop(ViewOf(back), 3, 2);
                PaintControlFace(bmp.View(), rect, &model, params, state, true, bitmap, 5, 7);
                PaintSectionFace(bmp.View(), rect, &model, i, section.SectionName, state, true,
                                 ColorBackdrop(0x00808080), 0, 0);
                PaintSectionFaceWithItems(bmp.View(), rect, &model, i, section.SectionName, section.BordersMaskIndex,
                                          state, false, bitmap, 1, 1);
                PaintSectionFaceAlpha(bmp.View(), rect, &model, i, state, true);
                // The face of an opaque section covers its rect.
                TacPixmap face(64, 40, kUntouched);
                PaintSectionFace(face.View(), rect, &model, i, "", state, false, ColorBackdrop(0), 0, 0);
                if (rect.Width() > 2 && rect.Height() > 2) {
                    EXPECT_NE(face.At(rect.Left + rect.Width() / 2, rect.Top + rect.Height() / 2), kUntouched);
                }
            }
    }
}
#endif

} // namespace
} // namespace sj
