#include "skin/data/sMaskData.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <ostream>
#include <utility>

namespace sj {
namespace {

// The numbers a value form gives an item, compared at once so that a failure shows them all.
struct TItemNumbers {
    TsMaskRect Rect;
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Frames = 0, Mask = 0, Common = 0, Flags = 0;
    friend bool operator==(const TItemNumbers&, const TItemNumbers&) = default;
};

void PrintTo(const TItemNumbers& n, std::ostream* os) {
    *os << "rect (" << n.Rect.Left << "," << n.Rect.Top << "," << n.Rect.Right << "," << n.Rect.Bottom << ") borders ("
        << n.Left << "," << n.Top << "," << n.Right << "," << n.Bottom << ") frames " << n.Frames << " mask " << n.Mask
        << " common " << n.Common << " flags " << n.Flags;
}

TItemNumbers NumbersOf(const TsMaskData& item) {
    return {item.SourceRect, item.BorderLeft, item.BorderTop,    item.BorderRight, item.BorderBottom,
            item.FrameCount, item.MaskKind,   item.CommonBorder, item.PaintFlags};
}

// A borders item of `frames` frames and `maskKind`, with one width for all four borders.
TsMaskData BordersItem(TsMaskRect rect, std::int16_t frames, std::int16_t maskKind, std::int16_t border) {
    TsMaskData item;
    item.SourceRect = rect;
    item.FrameCount = frames;
    item.MaskKind = maskKind;
    item.BorderLeft = item.BorderTop = item.BorderRight = item.BorderBottom = border;
    return item;
}

TEST(ImageValues, FormsAreRecognisedByTheirMarks) {
    EXPECT_EQ(ImageFormOf("@0163@0015@0208@0030@3@0"), TsImageForm::Glyph);
    EXPECT_EQ(ImageFormOf("^0000^0003^0005^0008^0002^0002^0002^0002^1^0^1^1"), TsImageForm::BordersFixed);
    EXPECT_EQ(ImageFormOf("~0028~0028~0030~0030~10~0"), TsImageForm::TextureFixed);
    EXPECT_EQ(ImageFormOf("!GLOWCLOSE.PNG!1!0!4"), TsImageForm::OwnFile);
    EXPECT_EQ(ImageFormOf("#(0,0,30,20)(3,1)"), TsImageForm::BordersFree);
    EXPECT_EQ(ImageFormOf("#"), TsImageForm::None);
    EXPECT_EQ(ImageFormOf("edit.bmp"), TsImageForm::PlainBmp);
    EXPECT_EQ(ImageFormOf("Body_BG.Jpeg"), TsImageForm::Jpeg);
    EXPECT_EQ(ImageFormOf("14477287"), TsImageForm::None);
    EXPECT_EQ(ImageFormOf("16777215;14477287;97;0;0"), TsImageForm::None);
    EXPECT_EQ(ImageFormOf(""), TsImageForm::None);
}

TEST(ImageValues, GlyphOfThreeFramesWithoutMask) {
    TsMaskData item = ParseGlyphValue("@0163@0015@0208@0030@3@0");
    EXPECT_EQ(item.ItemKind, ikGlyph);
    EXPECT_EQ(NumbersOf(item), (TItemNumbers{{163, 15, 208, 30}, 0, 0, 0, 0, 3, 0, 0, 0}));
    EXPECT_EQ(FrameWidth(item), 15);
    EXPECT_EQ(FrameHeight(item), 15);
    EXPECT_EQ(FrameLeft(item, 1), 178);
    EXPECT_EQ(FrameLeft(item, 5), 193); // clamped to the last frame
}

TEST(ImageValues, FixedBordersReadEveryField) {
    const TsMaskData item = ParseBordersFixedValue("^0000^0003^0005^0008^0002^0003^0004^0005^2^1^4^6");
    EXPECT_EQ(item.ItemKind, ikBorders);
    EXPECT_EQ(NumbersOf(item), (TItemNumbers{{0, 3, 5, 8}, 2, 3, 4, 5, 2, 1, 6, 4}));
}

TEST(ImageValues, MalformedFixedFieldsFailTheLoad) {
    try {
        ParseBordersFixedValue("^0000^0003^0005^0008^0002^0002^0002^0002^1^0^1"); // 46 characters
        FAIL() << "short value accepted";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "'' is not a valid integer value");
    }
    EXPECT_THROW(ParseGlyphValue("@01x3@0015@0208@0030@3@0"), Exception);
    EXPECT_THROW(ParseGlyphValue("@"), Exception);
}

TEST(ImageValues, TextureTakesItsMaskKindOnlyWhenWritten) {
    const TsMaskData withMask = ParseTextureFixedValue("~0028~0028~0030~0030~10~1");
    EXPECT_EQ(withMask.ItemKind, ikTexture);
    EXPECT_EQ(NumbersOf(withMask), (TItemNumbers{{28, 28, 30, 30}, 0, 0, 0, 0, 1, 1, 0, 10}));
    EXPECT_EQ(ParseTextureFixedValue("~0028~0028~0030~0030~02").MaskKind, 0);
}

TEST(ImageValues, OwnFileFieldsAndSeparatorRuns) {
    const TsOwnFileValue full = ParseOwnFileValue("!GLOWEDIT.PNG!1!0!3!0007!0007!0007!0007!1");
    EXPECT_EQ(full.FileName, "GLOWEDIT.PNG");
    EXPECT_EQ(full.FieldCount, 9);
    EXPECT_EQ(full.ItemKind, ikBorderedFile);
    EXPECT_EQ(full.BorderBottom, 7);
    EXPECT_EQ(full.PaintFlags, 1);

    const TsOwnFileValue runs = ParseOwnFileValue("!!A.BMP!!!2!x!9");
    EXPECT_EQ(runs.FileName, "A.BMP");
    EXPECT_EQ(runs.FrameCount, 2);
    EXPECT_EQ(runs.MaskKind, 0);           // not a number
    EXPECT_EQ(runs.ItemKind, ikPlainFile); // above 4 counts as 4
}

TEST(ImageValues, FreeFormBordersWithDefaults) {
    EXPECT_EQ(NumbersOf(ParseBordersFreeValue("BORDER#(10, 20, 70, 60) (3 1 2)")),
              (TItemNumbers{{10, 20, 70, 60}, 0, 0, 0, 0, 3, 1, 2, 1}));
    EXPECT_EQ(NumbersOf(ParseBordersFreeValue("#(1,2,3,4)(0,-2)")),
              (TItemNumbers{{1, 2, 3, 4}, 0, 0, 0, 0, 1, 0, 0, 1}))
        << "frames at least 1, mask kind at least 0";
}

TEST(ImageValues, FreeFormCornersBeyondAnyImageReadAsZero) {
    // Frame counts and mask kinds wrap to 16 bits: 65535 frames is -1, mask kind 65534 is -2.
    TsMaskData item = ParseBordersFreeValue("#(0,-32768,-2147483648,2147483647)(65535,65534,0,1)");
    EXPECT_EQ(NumbersOf(item), (TItemNumbers{{0, -32768, 0, 0}, 0, 0, 0, 0, -1, -2, 0, 1}));
    item = ParseBordersFreeValue("#(-2147483648,-32769,32768,1)(65535,65534)");
    EXPECT_EQ(item.SourceRect, (TsMaskRect{0, 0, 32768, 1}));

    // Corners at the limits keep the frame arithmetic in range for any frame count.
    item = ParseBordersFreeValue("#(32768,-32768,-32768,32768)(65535,65534,0,1)");
    EXPECT_EQ(FrameWidth(item), 65536);
    EXPECT_EQ(FrameHeight(item), -65536);
    EXPECT_EQ(FrameLeft(item, 3), 32768);
    SetDefaultBorders(item);
    EXPECT_EQ(item.BorderLeft, 21845);
    EXPECT_EQ(item.BorderTop, -21845);
    const TacPixmap image(4, 4, clKeyPixel);
    EXPECT_EQ(ComputeCornerKind(item, &image), 0); // no corner lies on the image
}

TEST(FrameArithmetic, SizesFollowFrameCountAndMaskKind) {
    TsMaskData item;
    item.SourceRect = {0, 0, 90, 60};
    for (const auto& [frames, width] : {std::pair{0, 0}, {1, 90}, {4, 22}}) {
        item.FrameCount = static_cast<std::int16_t>(frames);
        EXPECT_EQ(FrameWidth(item), width) << frames << " frames";
    }
    for (const auto& [maskKind, height] : {std::pair{-1, 0}, {0, 60}, {1, 30}, {2, 20}}) {
        item.MaskKind = static_cast<std::int16_t>(maskKind);
        EXPECT_EQ(FrameHeight(item), height) << "mask kind " << maskKind;
    }
}

TEST(CornerKind, FoundFromKeyPixelsOfTheFirstFrameCorners) {
    TacPixmap image(40, 20, 0xFF808080);
    TsMaskData item = BordersItem({0, 0, 40, 20}, 2, 1, 3); // frames 20 wide, 10 high
    EXPECT_EQ(ComputeCornerKind(item, &image), 0);

    image.At(25, 0) = clKeyPixel; // second frame: not examined
    EXPECT_EQ(ComputeCornerKind(item, &image), 0);
    image.At(18, 8) = 0xFFFF00FF; // magenta with alpha: an ordinary pixel
    EXPECT_EQ(ComputeCornerKind(item, &image), 0);
    image.At(18, 8) = clKeyPixel; // bottom-right corner of frame 1
    EXPECT_EQ(ComputeCornerKind(item, &image), 1);

    item.Section = "BUTTON_HUGE";
    item.Key = "BORDERSMASK";
    EXPECT_EQ(ComputeCornerKind(item, &image), 2);
}

TEST(CornerKind, CornerScanStopsBeforeTheLastColumnAndRow) {
    TacPixmap image(10, 10, 0xFF000000);
    image.At(9, 9) = clKeyPixel;
    const TsMaskData item = BordersItem({0, 0, 10, 10}, 1, 0, 2);
    EXPECT_EQ(ComputeCornerKind(item, &image), 0);
    image.At(8, 8) = clKeyPixel;
    EXPECT_EQ(ComputeCornerKind(item, &image), 1);
}

TEST(CornerKind, ItemsThatCannotBeMeasuredFail) {
    TacPixmap image(10, 10);
    TsMaskData item;
    item.SourceRect = {0, 0, 10, 10};
    item.FrameCount = 0;
    EXPECT_THROW(ComputeCornerKind(item, &image), Exception);
    EXPECT_THROW(SetDefaultBorders(item), Exception);
    item.FrameCount = 1;
    item.MaskKind = -1;
    EXPECT_THROW(SetDefaultBorders(item), Exception);
    item.SourceRect = {0, 0, 10, 0};
    EXPECT_EQ(ComputeCornerKind(item, &image), 0); // no height: nothing to measure
}

} // namespace
} // namespace sj
