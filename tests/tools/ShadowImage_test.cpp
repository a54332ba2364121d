#include "tools/shadowgen/ShadowImage.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace sj::tools {
namespace {

bool UnderTheForm(int x, int y) {
    const int end = ShadowImageSize - ShadowMargin;
    return x >= ShadowMargin && x < end && y >= ShadowMargin && y < end;
}

TEST(ShadowImage, BlackShadowAroundTheFormAndDarkestUnderIt) {
    for (const bool active : {true, false}) {
        const TacPixmap image = DrawShadowImage(active);
        ASSERT_EQ(image.Width(), ShadowImageSize);
        ASSERT_EQ(image.Height(), ShadowImageSize);
        int darkestAround = 0;
        for (int y = 0; y < ShadowImageSize; ++y)
            for (int x = 0; x < ShadowImageSize; ++x)
                if (!UnderTheForm(x, y))
                    darkestAround = std::max<int>(darkestAround, PixelA(image.At(x, y)));
        for (int y = 0; y < ShadowImageSize; ++y)
            for (int x = 0; x < ShadowImageSize; ++x) {
                const TPixel32 p = image.At(x, y);
                EXPECT_EQ(p & 0x00FFFFFFu, 0u) << x << "," << y;
                // Rounded frame corners show what lies under the form.
                if (UnderTheForm(x, y) && x > ShadowMargin + 2 && y > ShadowMargin + 2 &&
                    x < ShadowImageSize - ShadowMargin - 3 && y < ShadowImageSize - ShadowMargin - 3) {
                    EXPECT_GE(PixelA(p), darkestAround) << x << "," << y;
                }
            }
        const int mid = ShadowImageSize / 2, last = ShadowImageSize - 1;
        const int below = PixelA(image.At(mid, last - ShadowMargin + 1));
        const int above = PixelA(image.At(mid, ShadowMargin - 1));
        EXPECT_GT(below, above) << "light falls from above";
        EXPECT_GT(above, PixelA(image.At(mid, 0))) << "the shadow fades outwards";
        EXPECT_EQ(image.At(0, 0), 0u);
    }
    const int nearActive = PixelA(DrawShadowImage(true).At(ShadowImageSize / 2, ShadowMargin - 1));
    const int nearInactive = PixelA(DrawShadowImage(false).At(ShadowImageSize / 2, ShadowMargin - 1));
    EXPECT_GT(nearActive, nearInactive);
}

} // namespace
} // namespace sj::tools
