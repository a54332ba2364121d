// Image lists: adding bitmaps (with alpha, masks, mask colours, strips) and icons,
// drawing with alpha and the disabled look, the system list, change notification.
#include "forms/Bitmap.h"
#include "forms/Icon.h"
#include "forms/ImgList.h"

#include <gtest/gtest.h>

#include <memory>

namespace sj {
namespace {

std::unique_ptr<TBitmap> Filled(int width, int height, TPixel32 pixel) {
    auto bitmap = std::make_unique<TBitmap>(width, height);
    const TacPixelsView view = bitmap->Pixels();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            view.At(x, y) = pixel;
        }
    }
    return bitmap;
}

std::unique_ptr<TBitmap> White(int size) {
    return Filled(size, size, 0xFFFFFFFF);
}

TEST(ImageList, DrawsImagesWithTheirAlpha) {
    TImageList list(nullptr);
    list.SetSize(4, 4);
    auto image = Filled(4, 4, 0x80000000); // black, half transparent
    image->ScanLine(0)[0] = 0xFFFF0000;    // opaque red
    image->ScanLine(0)[1] = 0x00000000;    // clear
    EXPECT_EQ(list.Add(*image), 0);
    EXPECT_EQ(list.Count(), 1);

    auto target = White(4);
    list.Draw(target->Canvas(), 0, 0, 0);
    EXPECT_EQ(target->ScanLine(0)[0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(target->ScanLine(0)[1] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_NEAR(PixelG(target->ScanLine(2)[2]), 127, 2);

    list.Draw(target->Canvas(), 0, 0, 5); // out of range: nothing, no failure
    list.Draw(target->Canvas(), 0, 0, -1);
}

TEST(ImageList, OpaqueSourcesTakeTheirMaskOrMaskColour) {
    TImageList list(nullptr);
    list.SetSize(2, 2);
    auto image = Filled(4, 2, 0x00FF00FF); // no alpha anywhere: a strip of two images
    image->ScanLine(0)[0] = 0x000000FF;    // blue in the first image
    image->ScanLine(1)[3] = 0x0000FF00;    // green in the second
    EXPECT_EQ(list.AddMasked(*image, clFuchsia), 0);
    EXPECT_EQ(list.Count(), 2) << "a strip adds one image per width";
    EXPECT_EQ(image->ScanLine(0)[1], 0x00FF00FFu) << "the source is left as it was";

    EXPECT_EQ(list.ImagePixels(0).At(0, 0), 0xFF0000FFu);
    EXPECT_EQ(list.ImagePixels(0).At(1, 0), 0u);
    EXPECT_EQ(list.ImagePixels(1).At(1, 1), 0xFF00FF00u);

    auto plain = Filled(2, 2, 0x00123456);
    auto mask = Filled(2, 2, 0x00000000);
    mask->ScanLine(1)[1] = 0x00FFFFFF; // white: clear
    EXPECT_EQ(list.Add(*plain, mask.get()), 2);
    EXPECT_EQ(list.ImagePixels(2).At(0, 0), 0xFF123456u);
    EXPECT_EQ(list.ImagePixels(2).At(1, 1), 0u);
}

TEST(ImageList, DisabledImagesAreGreyAndLighter) {
    TImageList list(nullptr);
    list.SetSize(1, 1);
    auto red = Filled(1, 1, 0xFFFF0000);
    list.Add(*red);
    auto target = White(1);
    target->ScanLine(0)[0] = 0xFF000000; // black behind
    list.Draw(target->Canvas(), 0, 0, 0, false);
    const TPixel32 p = target->ScanLine(0)[0];
    EXPECT_EQ(PixelR(p), PixelG(p));
    EXPECT_EQ(PixelG(p), PixelB(p));
    EXPECT_GT(PixelR(p), 0);
    EXPECT_LT(PixelR(p), 255);
}

TEST(ImageList, BackgroundColourAndMaskImageType) {
    TImageList list(nullptr);
    list.SetSize(2, 1);
    auto image = Filled(2, 1, 0);
    image->ScanLine(0)[0] = 0xFF0000FF;
    list.Add(*image);
    auto target = White(2);
    list.SetBkColor(clRed);
    list.Draw(target->Canvas(), 0, 0, 0);
    EXPECT_EQ(target->ScanLine(0)[1] & 0xFFFFFF, 0xFF0000u) << "clear pixels show the background colour";
    list.SetBkColor(clNone);
    list.SetImageType(TImageType::itMask);
    list.Draw(target->Canvas(), 0, 0, 0);
    EXPECT_EQ(target->ScanLine(0)[0] & 0xFFFFFF, 0u);
    EXPECT_EQ(target->ScanLine(0)[1] & 0xFFFFFF, 0xFFFFFFu);
}

TEST(ImageList, IconsAndTheSystemList) {
    TImageList list(nullptr);
    auto color = Filled(16, 16, 0xFF00FF00);
    TGdiBitmap mask(::CreateBitmap(16, 16, 1, 1, nullptr));
    ICONINFO info{TRUE, 0, 0, mask.Get(), color->Handle()};
    TIcon icon;
    icon.SetHandle(::CreateIconIndirect(&info));
    ASSERT_FALSE(icon.Empty());
    EXPECT_EQ(list.AddIcon(icon), 0);
    EXPECT_EQ(list.ImagePixels(0).At(8, 8), 0xFF00FF00u);

    HIMAGELIST handle = list.Handle();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(::ImageList_GetImageCount(handle), 1);
    list.Add(*color);
    EXPECT_EQ(::ImageList_GetImageCount(handle), 2) << "the system list follows";
    int cx = 0;
    int cy = 0;
    ::ImageList_GetIconSize(handle, &cx, &cy);
    EXPECT_EQ(cx, 16);
    list.Delete(0);
    EXPECT_EQ(::ImageList_GetImageCount(handle), 1);

    list.SetSize(32, 32);
    EXPECT_EQ(list.Count(), 0) << "a new size empties the list";
}

TEST(ImageList, ChangeLinksHearChangesAndOutliveTheirList) {
    TChangeLink survivor;
    int heard = 0;
    int listChanges = 0;
    {
        TImageList list(nullptr);
        list.OnChange = [&](TObject*) { ++listChanges; };
        survivor.OnChange = [&](TObject* sender) {
            EXPECT_EQ(sender, &list);
            ++heard;
        };
        list.RegisterChanges(&survivor);
        EXPECT_EQ(survivor.Sender(), &list);
        {
            TChangeLink shortLived;
            list.RegisterChanges(&shortLived);
        } // unregisters itself
        auto image = Filled(16, 16, 0xFF000000);
        list.Add(*image);
        list.Clear();
        EXPECT_EQ(heard, 2);
        EXPECT_EQ(listChanges, 2);
    }
    EXPECT_EQ(survivor.Sender(), nullptr) << "a freed list lets its links go";
}

} // namespace
} // namespace sj
