#include "skin/data/sMaskData.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>

namespace sj {
namespace {

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
    EXPECT_EQ(item.SourceRect, (TsMaskRect{163, 15, 208, 30}));
    EXPECT_EQ(item.FrameCount, 3);
    EXPECT_EQ(item.MaskKind, 0);
    EXPECT_EQ(FrameWidth(item), 15);
    EXPECT_EQ(FrameHeight(item), 15);
    EXPECT_EQ(FrameLeft(item, 1), 178);
    EXPECT_EQ(FrameLeft(item, 5), 193); // clamped to the last frame
}

TEST(ImageValues, FixedBordersReadEveryField) {
    const TsMaskData item = ParseBordersFixedValue("^0000^0003^0005^0008^0002^0002^0002^0002^1^0^1^1");
    EXPECT_EQ(item.SourceRect, (TsMaskRect{0, 3, 5, 8}));
    EXPECT_EQ(item.BorderLeft, 2);
    EXPECT_EQ(item.BorderTop, 2);
    EXPECT_EQ(item.BorderRight, 2);
    EXPECT_EQ(item.BorderBottom, 2);
    EXPECT_EQ(item.FrameCount, 1);
    EXPECT_EQ(item.MaskKind, 0);
    EXPECT_EQ(item.PaintFlags, 1);
    EXPECT_EQ(item.CommonBorder, 1);
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
    EXPECT_EQ(withMask.FrameCount, 1);
    EXPECT_EQ(withMask.PaintFlags, 10);
    EXPECT_EQ(withMask.MaskKind, 1);
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
    const TsMaskData item = ParseBordersFreeValue("BORDER#(10, 20, 70, 60) (3 1 2)");
    EXPECT_EQ(item.SourceRect, (TsMaskRect{10, 20, 70, 60}));
    EXPECT_EQ(item.FrameCount, 3);
    EXPECT_EQ(item.MaskKind, 1);
    EXPECT_EQ(item.CommonBorder, 2);
    EXPECT_EQ(item.PaintFlags, 1);

    const TsMaskData bare = ParseBordersFreeValue("#(1,2,3,4)(0,-2)");
    EXPECT_EQ(bare.FrameCount, 1);
    EXPECT_EQ(bare.MaskKind, 0);
    EXPECT_EQ(bare.CommonBorder, 0);
}

TEST(FrameArithmetic, SizesFollowFrameCountAndMaskKind) {
    TsMaskData item;
    item.SourceRect = {0, 0, 90, 60};
    item.FrameCount = 0;
    EXPECT_EQ(FrameWidth(item), 0);
    item.FrameCount = 1;
    EXPECT_EQ(FrameWidth(item), 90);
    item.FrameCount = 4;
    EXPECT_EQ(FrameWidth(item), 22);
    item.MaskKind = -1;
    EXPECT_EQ(FrameHeight(item), 0);
    item.MaskKind = 0;
    EXPECT_EQ(FrameHeight(item), 60);
    item.MaskKind = 1;
    EXPECT_EQ(FrameHeight(item), 30);
    item.MaskKind = 2;
    EXPECT_EQ(FrameHeight(item), 20);
}

TEST(CornerKind, FoundFromKeyPixelsOfTheFirstFrameCorners) {
    TacPixmap image(40, 20, 0xFF808080);
    TsMaskData item;
    item.SourceRect = {0, 0, 40, 20};
    item.FrameCount = 2; // frames 20 wide
    item.MaskKind = 1;   // frames 10 high
    item.BorderLeft = item.BorderTop = item.BorderRight = item.BorderBottom = 3;
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
    TsMaskData item;
    item.SourceRect = {0, 0, 10, 10};
    item.FrameCount = 1;
    item.BorderLeft = item.BorderTop = item.BorderRight = item.BorderBottom = 2;
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
