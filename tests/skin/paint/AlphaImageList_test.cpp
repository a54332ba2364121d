#include "skin/paint/acAlphaImageList.h"

#include "PngBuilder.h"
#include "forms/FormReader.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/acPNG.h"
#include "skin/paint/acResample.h"
#include "skin/paint/sGradient.h"
#include "skin/paint/sSystemFunctions.h"
#include "tools/common/PngWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>

namespace sj {
namespace {

TacPixmap RandomImage(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    TacPixmap image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.At(x, y) = static_cast<TPixel32>(random());
    }
    return image;
}

// T + floor(A * (S - T) / 256) per channel, the target alpha max(T, A).
TPixel32 BlendedByRule(TPixel32 target, TPixel32 source) {
    const int a = PixelA(source);
    auto channel = [a](int t, int s) {
        const int difference = a * (s - t);
        const int quotient = difference >= 0 ? difference / 256 : -((-difference + 255) / 256);
        return static_cast<std::uint8_t>(t + quotient);
    };
    return MakePixel(channel(PixelR(target), PixelR(source)), channel(PixelG(target), PixelG(source)),
                     channel(PixelB(target), PixelB(source)), std::max<std::uint8_t>(PixelA(target), PixelA(source)));
}

class AlphaImageListTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterAlphaImageListClass(); }

    TsAlphaImageList& NewList(int width, int height) {
        auto* list = new TsAlphaImageList(&owner);
        list->SetSize(width, height);
        return *list;
    }

    TComponent owner{nullptr};
};

TEST_F(AlphaImageListTest, StoredItemsReadBackWithTheSamePixelsAndAlpha) {
    TsAlphaImageList& list = NewList(16, 16);
    const TacPixmap first = RandomImage(16, 16, 1);
    const TacPixmap second = RandomImage(16, 16, 2);
    list.AddImageData(tools::EncodePng(first));
    list.AddImageData(tools::EncodePng(second));
    list.Items()[1].PixelFormat = TPixelFormat::pf24bit;

    TFormNode node{"Stored", "TsAlphaImageList", false, list.StoredProperties(), {}, 0};
    TFormNode root{"Root", "TComponent", false, {}, {node}, 0};
    const std::string text = FormatFormText(root);

    TComponent readRoot(nullptr);
    TFormReader(readRoot).ReadText(text);
    auto* read = readRoot.FindComponentOf<TsAlphaImageList>("Stored");
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Width(), 16);
    EXPECT_EQ(read->Height(), 16);
    ASSERT_EQ(read->Items().size(), 2u);
    EXPECT_EQ(read->Items()[0].ImgData, list.Items()[0].ImgData);
    EXPECT_EQ(read->Items()[1].PixelFormat, TPixelFormat::pf24bit);
    EXPECT_EQ(read->Items()[0].PixelFormat, TPixelFormat::pf32bit);
    ASSERT_EQ(read->Count(), 2);
    EXPECT_TRUE(read->SystemListBuilt());
    EXPECT_EQ(read->ImagePixels(0).Data(), first.Data());
    EXPECT_EQ(read->ImagePixels(1).Data(), second.Data());
    EXPECT_EQ(read->GetItemBitmap(1, 16, 16).Data(), second.Data());
}

TEST_F(AlphaImageListTest, StoredTextNamesOnlyWhatDiffersFromTheDefaults) {
    TsAlphaImageList& list = NewList(16, 16);
    list.AddImageData(tools::EncodePng(RandomImage(16, 16, 3)));
    TFormNode root{"Root", "TComponent", false, {}, {{"L", "TsAlphaImageList", false, list.StoredProperties(), {}, 0}},
                   0};
    const std::string text = FormatFormText(root);
    EXPECT_NE(text.find("ImageFormat = ifPNG"), std::string::npos);
    EXPECT_NE(text.find("ImgData = {"), std::string::npos);
    EXPECT_EQ(text.find("PixelFormat"), std::string::npos);
}

TEST_F(AlphaImageListTest, UnreadableItemsAndPropertiesFailTheRead) {
    TComponent root(nullptr);
    EXPECT_THROW(TFormReader(root).ReadText("object Root: TComponent\n  object L: TsAlphaImageList\n"
                                            "    Items = <\n      item\n        ImgData = {0102}\n      end>\n"
                                            "  end\nend\n"),
                 Exception);
    TComponent other(nullptr);
    EXPECT_THROW(TFormReader(other).ReadText("object Root: TComponent\n  object L: TsAlphaImageList\n"
                                             "    Items = <\n      item\n        Colour = 1\n      end>\n"
                                             "  end\nend\n"),
                 EReadError);
}

TEST_F(AlphaImageListTest, SystemListHoldsOneImageOfTheListSizePerItem) {
    TsAlphaImageList& list = NewList(16, 16);
    list.AddImageData(tools::EncodePng(RandomImage(16, 16, 4)));
    list.AddImageData(tools::EncodePng(RandomImage(32, 32, 5)));
    list.AddImageData(tools::EncodePng(RandomImage(16, 16, 6)));
    HIMAGELIST handle = list.Handle();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(::ImageList_GetImageCount(handle), 3);
    int width = 0, height = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(handle, &width, &height));
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 16);
    EXPECT_EQ(list.Items()[1].SourceWidth, 32);
    EXPECT_EQ(list.Items()[1].SourceHeight, 32);

    // A new size empties the framework list; the kept items fill it again.
    list.SetSize(32, 32);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(::ImageList_GetImageCount(list.Handle()), 3);
}

TEST_F(AlphaImageListTest, ItemsCanBeDroppedOnceTheSystemListIsBuilt) {
    TsAlphaImageList& list = NewList(16, 16);
    list.KeepItems = false;
    const TacPixmap image = RandomImage(16, 16, 7);
    list.AddImageData(tools::EncodePng(image));
    EXPECT_TRUE(list.Items().empty());
    ASSERT_EQ(list.Count(), 1);
    // Without its file bytes the item comes from the system list.
    EXPECT_EQ(list.GetItemBitmap(0, 16, 16).Data(), image.Data());
}

TEST_F(AlphaImageListTest, BadDataIsRefusedAndLeavesTheListAsItWas) {
    TsAlphaImageList& list = NewList(16, 16);
    list.AddImageData(tools::EncodePng(RandomImage(16, 16, 8)));
    EXPECT_THROW(list.AddImageData({1, 2, 3}), EInvalidGraphic);
    EXPECT_EQ(list.Items().size(), 1u);
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(AlphaImageListTest, OtherSizesAreResampledWithTheMitchellFilterAndCached) {
    TsAlphaImageList& list = NewList(16, 16);
    const TacPixmap source = RandomImage(32, 32, 9);
    list.AddImageData(tools::EncodePng(source));

    TacPixmap expected;
    ResampleBitmap(ViewOf(source), expected, 16, 16, TacResampleFilter::Mitchell);
    EXPECT_EQ(list.GetItemBitmap(0, 16, 16).Data(), expected.Data());
    EXPECT_EQ(list.Items()[0].ScaledCache.Data(), expected.Data());

    TacPixmap wide;
    ResampleBitmap(ViewOf(source), wide, 24, 10, TacResampleFilter::Mitchell);
    const TacPixmap got = list.GetItemBitmap(0, 24, 10);
    EXPECT_EQ(got.Width(), 24);
    EXPECT_EQ(got.Data(), wide.Data());
    // Asked at the source's own size it is the decoded image itself.
    EXPECT_EQ(list.GetItemBitmap(0, 32, 32).Data(), source.Data());
}

TEST_F(AlphaImageListTest, ItemBitmapsOfBadIndexesSizesOrTinySourcesAreSafe) {
    TsAlphaImageList& list = NewList(16, 16);
    list.AddImageData(tools::EncodePng(TacPixmap(1, 1, 0x80102030)));
    EXPECT_TRUE(list.GetItemBitmap(-1, 16, 16).Empty());
    EXPECT_TRUE(list.GetItemBitmap(1, 16, 16).Empty());
    EXPECT_TRUE(list.GetItemBitmap(0, 0, 16).Empty());
    // Too small for the filter: stretched instead of failing.
    const TacPixmap stretched = list.GetItemBitmap(0, 16, 16);
    ASSERT_EQ(stretched.Width(), 16);
    for (TPixel32 p : stretched.Data())
        EXPECT_EQ(p, 0x80102030u);
}

TEST_F(AlphaImageListTest, ImagesWithoutAlphaChannelClearTheirBottomLeftColour) {
    test::PngPlan plan;
    plan.Width = 2;
    plan.Height = 2;
    plan.ColorType = 2;
    plan.Pixels = {{10, 20, 30}, {40, 50, 60}, {10, 20, 30}, {70, 80, 90}};
    TsAlphaImageList& list = NewList(2, 2);
    list.AddImageData(test::BuildPng(plan));
    const TacPixmap image = list.GetItemBitmap(0, 2, 2);
    ASSERT_EQ(image.Width(), 2);
    EXPECT_EQ(image.At(0, 0), MakePixel(10, 20, 30, 0));
    EXPECT_EQ(image.At(1, 0), MakePixel(40, 50, 60, 255));
    EXPECT_EQ(image.At(0, 1), MakePixel(10, 20, 30, 0));
    EXPECT_EQ(image.At(1, 1), MakePixel(70, 80, 90, 255));
}

TEST(OpaqueAlphaFix, OnlyBitmapsWithoutAnyAlphaChange) {
    TacPixmap clear(3, 2, 0x00112233);
    clear.At(1, 0) = 0x00445566;
    MakeOpaqueExceptBottomLeft(clear.View());
    EXPECT_EQ(clear.At(1, 0), 0xFF445566u);
    EXPECT_EQ(clear.At(0, 0), 0x00112233u);
    TacPixmap withAlpha(2, 2, 0x00112233);
    withAlpha.At(1, 1) = 0x01445566;
    MakeOpaqueExceptBottomLeft(withAlpha.View());
    EXPECT_EQ(withAlpha.At(0, 0), 0x00112233u);
    TacPixmap empty;
    MakeOpaqueExceptBottomLeft(empty.View());
}

TEST_F(AlphaImageListTest, ItemsBlendIntoAFaceByTheirAlpha) {
    TsAlphaImageList& list = NewList(16, 16);
    TacPixmap image = RandomImage(16, 16, 10);
    image.At(0, 0) = MakePixel(200, 100, 50, 128);
    image.At(1, 0) = MakePixel(0, 0, 0, 0);
    image.At(2, 0) = MakePixel(9, 99, 199, 255);
    list.AddImageData(tools::EncodePng(image));

    TacPixmap face(20, 20, MakePixel(255, 255, 255, 255));
    const TacPixmap before = face;
    const TacRect drawn = DrawItemInto(face.View(), 2, 3, list, 0);
    EXPECT_EQ(drawn, (TacRect{2, 3, 18, 19}));
    EXPECT_EQ(face.At(2, 3), MakePixel(227, 177, 152, 255)); // half the image colour over white
    EXPECT_EQ(face.At(3, 3), before.At(3, 3));
    EXPECT_EQ(face.At(4, 3), MakePixel(9, 99, 199, 255));
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 2 && x < 18 && y >= 3 && y < 19;
            const TPixel32 expected = inside ? BlendedByRule(before.At(x, y), image.At(x - 2, y - 3)) : before.At(x, y);
            ASSERT_EQ(face.At(x, y), expected) << x << "," << y;
        }
    }
}

TEST_F(AlphaImageListTest, StateColumnsAreCutFromTheListImage) {
    TsAlphaImageList& list = NewList(8, 4);
    TacPixmap strip(8, 4);
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 4; ++y)
            strip.At(x, y) = MakePixel(static_cast<std::uint8_t>(x * 30), 0, 0, 255);
    }
    list.AddImageData(tools::EncodePng(strip));
    TacPixmap face(10, 10, 0);
    TacItemDrawOptions options;
    options.Columns = 2;
    options.Column = 7; // beyond the last column: the last one
    EXPECT_EQ(DrawItemInto(face.View(), 1, 1, list, 0, options), (TacRect{1, 1, 5, 5}));
    EXPECT_EQ(face.At(1, 1), BlendedByRule(0, strip.At(4, 0)));
    EXPECT_EQ(face.At(4, 4), BlendedByRule(0, strip.At(7, 3)));
    EXPECT_EQ(face.At(5, 1), 0u);

    options.Columns = 0; // no columns: the whole image
    TacPixmap whole(10, 10, 0);
    EXPECT_EQ(DrawItemInto(whole.View(), -2, 8, list, 0, options), (TacRect{-2, 8, 6, 12}));
    EXPECT_EQ(whole.At(0, 8), BlendedByRule(0, strip.At(2, 0)));
    EXPECT_EQ(DrawItemInto(whole.View(), 0, 0, list, 3, options), (TacRect{0, 0, 8, 4}));
}

TEST_F(AlphaImageListTest, TransparencyScalesTheAlphaFirst) {
    TsAlphaImageList& list = NewList(2, 2);
    list.AddImageData(tools::EncodePng(TacPixmap(2, 2, MakePixel(0, 0, 0, 200))));
    TacPixmap face(2, 2, MakePixel(255, 255, 255, 0));
    TacItemDrawOptions options;
    options.Transparency = 50;
    DrawItemInto(face.View(), 0, 0, list, 0, options);
    // A = 50 * 200 / 100 = 100: 255 + floor(100 * -255 / 256) = 155.
    EXPECT_EQ(face.At(0, 0), MakePixel(155, 155, 155, 100));
}

TEST_F(AlphaImageListTest, OrdinaryImageListsDrawOverACopyOfTheFace) {
    TImageList plain(&owner);
    plain.SetSize(4, 4);
    plain.AddPixels(TacPixmap(4, 4, MakePixel(10, 20, 30, 255)));
    TacPixmap face(6, 6, MakePixel(200, 200, 200, 255));
    DrawItemInto(face.View(), 1, 1, plain, 0);
    EXPECT_EQ(face.At(1, 1) & 0xFFFFFFu, MakePixel(10, 20, 30, 0));
    EXPECT_EQ(face.At(4, 4) & 0xFFFFFFu, MakePixel(10, 20, 30, 0));
    EXPECT_EQ(face.At(0, 0), MakePixel(200, 200, 200, 255));
    EXPECT_EQ(face.At(5, 5), MakePixel(200, 200, 200, 255));
}

TEST_F(AlphaImageListTest, DrawingOnACanvasBlendsWithWhatIsThere) {
    TsAlphaImageList& list = NewList(16, 16);
    const TacPixmap image = RandomImage(16, 16, 11);
    list.AddImageData(tools::EncodePng(image));
    TBitmap canvasBitmap(20, 20);
    const TacPixelsView pixels = canvasBitmap.Pixels();
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x)
            pixels.At(x, y) = MakePixel(static_cast<std::uint8_t>(x * 12), static_cast<std::uint8_t>(y * 12), 77, 255);
    }
    const TacPixmap before = canvasBitmap.ToPixmap();
    list.Draw(canvasBitmap.Canvas(), 3, 2, 0);
    const TacPixelsView after = canvasBitmap.Pixels();
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 3 && x < 19 && y >= 2 && y < 18;
            const TPixel32 expected = inside ? BlendedByRule(before.At(x, y), image.At(x - 3, y - 2)) : before.At(x, y);
            ASSERT_EQ(after.At(x, y) & 0xFFFFFFu, expected & 0xFFFFFFu) << x << "," << y;
        }
    }
}

TEST_F(AlphaImageListTest, AssignmentCopiesSettingsAndItems) {
    TsAlphaImageList& source = NewList(16, 16);
    source.SetBkColor(0x00123456);
    source.AddImageData(tools::EncodePng(RandomImage(16, 16, 12)));
    TsAlphaImageList& copy = NewList(32, 32);
    copy.Assign(source);
    EXPECT_EQ(copy.Width(), 16);
    EXPECT_EQ(copy.BkColor(), 0x00123456u);
    ASSERT_EQ(copy.Items().size(), 1u);
    EXPECT_EQ(copy.Items()[0].ImgData, source.Items()[0].ImgData);
    EXPECT_EQ(copy.ImagePixels(0).Data(), source.ImagePixels(0).Data());

    TImageList plain(&owner);
    plain.SetSize(8, 8);
    plain.AddPixels(TacPixmap(8, 8, 0xFF00FF00));
    copy.Assign(plain);
    EXPECT_TRUE(copy.Items().empty());
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_EQ(copy.GetItemBitmap(0, 8, 8).At(3, 3), 0xFF00FF00u);
}

TEST_F(AlphaImageListTest, ImagesAddedWithoutAnyAlphaBecomeOpaqueExceptTheKeyColour) {
    TsAlphaImageList& list = NewList(2, 1);
    TacPixmap plain(2, 1, 0x00102030);
    plain.At(1, 0) = clKeyPixel;
    list.AddPixels(plain);
    EXPECT_EQ(list.ImagePixels(0).At(0, 0), 0xFF102030u);
    EXPECT_EQ(list.ImagePixels(0).At(1, 0), clKeyPixel);
}

// The lookups of system functions.

BOOL WINAPI RecordUpdate(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION* blend, DWORD flags) {
    return blend != nullptr && blend->SourceConstantAlpha == 77 && flags == ULW_ALPHA;
}

BOOL WINAPI RecordAttributes(HWND, COLORREF key, BYTE alpha, DWORD) {
    return key == 0x00FF00FF && alpha == 33;
}

TEST(SystemFunctions, LayeredWindowFunctionsAreFoundAndReplaceable) {
    InitSystemFunctions();
    EXPECT_TRUE(LayeredWindowsAvailable());
    ASSERT_NE(LayeredWindowFunctions().SetLayeredWindowAttributes, nullptr);

    ReleaseSystemFunctions();
    EXPECT_FALSE(LayeredWindowsAvailable());
    EXPECT_EQ(acSetLayeredWindowAttributes(nullptr, 0, 0, 0), FALSE);

    // Entries set before start-up are kept.
    LayeredWindowFunctions().UpdateLayeredWindow = &RecordUpdate;
    LayeredWindowFunctions().SetLayeredWindowAttributes = &RecordAttributes;
    InitSystemFunctions();
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 77, AC_SRC_ALPHA};
    EXPECT_TRUE(acUpdateLayeredWindow(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, &blend, ULW_ALPHA));
    EXPECT_TRUE(acSetLayeredWindowAttributes(nullptr, 0x00FF00FF, 33, LWA_ALPHA));
    ReleaseSystemFunctions();
    EXPECT_EQ(LayeredWindowFunctions().UpdateLayeredWindow, &RecordUpdate);
    LayeredWindowFunctions() = {};
    InitSystemFunctions();
    EXPECT_TRUE(LayeredWindowsAvailable());
}

TEST(SystemFunctions, TriangleGradientsDrawTheCornerColoursThroughGradientFill) {
    InitSystemFunctions();
    ASSERT_TRUE(SystemGradientFillInstalled());
    const std::int32_t colours[5] = {0x000000FF, 0x00808080, 0x0000FF00, 0x00FF0000, 0x0000FFFF};
    TsGradArray steps;
    for (std::int32_t colour : colours)
        steps.push_back({colour, colour, 20, 2});
    constexpr int size = 64;
    TacPixmap target(size + 4, size + 4, 0);
    DrawGradient(target.View(), {2, 2, 2 + size, 2 + size}, steps);

    // A corner pixel lies at most a pixel away from its vertex: within the change of
    // one pixel's step towards the centre.
    auto closeTo = [](TPixel32 pixel, std::int32_t colour) {
        const TPixel32 expected = MakePixel(static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(colour >> 8),
                                            static_cast<std::uint8_t>(colour >> 16));
        for (int shift = 0; shift < 24; shift += 8) {
            if (std::abs(int((pixel >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > 12)
                return false;
        }
        return true;
    };
    EXPECT_TRUE(closeTo(target.At(2, 2), colours[0]));
    EXPECT_TRUE(closeTo(target.At(2 + size / 2, 2 + size / 2), colours[1]));
    EXPECT_TRUE(closeTo(target.At(size + 1, 2), colours[2]));
    EXPECT_TRUE(closeTo(target.At(size + 1, size + 1), colours[3]));
    EXPECT_TRUE(closeTo(target.At(2, size + 1), colours[4]));
    // The vertices' alpha 0xFF00 makes the fill opaque.
    EXPECT_EQ(PixelA(target.At(10, 20)), 255);
    EXPECT_EQ(PixelA(target.At(size, size / 2)), 255);
    // Outside the rectangle nothing changes.
    EXPECT_EQ(target.At(0, 0), 0u);
    EXPECT_EQ(target.At(size + 3, size + 3), 0u);

    ReleaseSystemFunctions();
    EXPECT_FALSE(SystemGradientFillInstalled());
    EXPECT_NE(TriangleGradientFill(), nullptr);
    InitSystemFunctions();
}

} // namespace
} // namespace sj
