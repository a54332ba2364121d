// Skinned text under Wine: the disabled colour, contours in their order over the
// text, the underline of hot web buttons, opaque text layers in 32-bit bitmaps and
// solid fills on device contexts. Expected pixels come from the colour rules and from
// a plain rendering of the same text, never from stored pictures.
#include "skin/paint/sControlText.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/sCommonData.h"
#include "skin/paint/sGraphUtils.h"

namespace sj {
namespace {

constexpr TColor White = 0x00FFFFFF;

TsGeneralData TextSection(const std::string& name, std::int32_t font) {
    TsGeneralData s;
    s.SectionName = name;
    s.States = 2;
    s.Color = 0x00FFFFFF; // the skin background colour, read from GLOBALINFO
    for (TsGenState& st : s.StateProps) {
        st.Color = 0x00FFFFFF;
        st.FontColor = font;
    }
    return s;
}

void UseLargeBoldFont(TCanvas& canvas) {
    LOGFONTA lf{};
    lf.lfHeight = -28;
    lf.lfWeight = FW_BOLD;
    std::strcpy(lf.lfFaceName, "Arial");
    canvas.Font().AssignLogFont(lf);
}

class ControlTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager = new TsSkinManager(nullptr);
        TsSkinModel& model = manager->Core().Model();
        model.GeneralData.push_back(TextSection("GLOBALINFO", 0));         // 0
        model.GeneralData.push_back(TextSection("BUTTON", 0));             // 1
        model.GeneralData.push_back(TextSection("WEBBUTTON", 0x00FF0000)); // 2
        model.GeneralData.push_back(TextSection("CONTOURED", 0x00000000)); // 3
        TsGenState& c = model.GeneralData[3].StateProps[0];
        c.TCLeft = 0x000000FF;
        c.TCTop = 0x0000FF00;
        c.TCRight = 0x00FF0000;
        c.TCBottom = 0x0000FFFF;
        model.StdIndexes.WebButtonSection = 2;
        manager->Core().SetActive(true);
        owner = new TComponent(nullptr);
    }
    void TearDown() override {
        delete owner;
        delete manager;
    }

    static void MakeWhite(TBitmap& b) {
        FillPixels(b.Pixels(), TacRect{0, 0, b.Width(), b.Height()}, White, 255);
        UseLargeBoldFont(b.Canvas());
    }

    TsSkinManager* manager = nullptr;
    TComponent* owner = nullptr;
};

TEST_F(ControlTextTest, DisabledSkinnedTextIsFortyPercentFontOverSkinBackground) {
    TsCtrlSkinData data(owner, false);
    data.SetSkinSection("BUTTON");
    ASSERT_TRUE(data.IsSkinned());
    TBitmap b(80, 40);
    MakeWhite(b);
    DrawControlText(b.Canvas(), "HIM", false, false, data, DT_SINGLELINE | DT_LEFT | DT_TOP, RECT{2, 2, 78, 38});
    // Each channel round(0.4 * 0 + 0.6 * 255) = 153.
    const TColor expected = MixColors(0, White, 0.4);
    ASSERT_EQ(expected, 0x00999999u);
    int exact = 0;
    TacPixelsView px = b.Pixels();
    for (int y = 0; y < px.Height; ++y) {
        for (int x = 0; x < px.Width; ++x) {
            TPixel32 p = px.At(x, y) & 0xFFFFFF;
            exact += p == 0x999999u;
            EXPECT_GE(p & 0xFF, 0x99u) << x << "," << y; // nothing darker than the disabled colour
        }
    }
    EXPECT_GT(exact, 20);
}

TEST_F(ControlTextTest, EnabledTextUsesTheStateFontColourAndHotTheHotOne) {
    manager->Core().Model().GeneralData[1].StateProps[1].FontColor = 0x000000FF;
    TsCtrlSkinData data(owner, false);
    data.SetSkinSection("BUTTON");
    for (bool hot : {false, true}) {
        TBitmap b(80, 40);
        MakeWhite(b);
        DrawControlText(b.Canvas(), "HIM", true, hot, data, DT_SINGLELINE, RECT{2, 2, 78, 38});
        const TPixel32 ink = ColorToPixelOrder(hot ? 0x000000FFu : 0u);
        int inked = 0;
        TacPixelsView px = b.Pixels();
        for (int y = 0; y < px.Height; ++y)
            for (int x = 0; x < px.Width; ++x)
                inked += (px.At(x, y) & 0xFFFFFF) == ink;
        EXPECT_GT(inked, 20) << hot;
    }
}

// Which of the layers left, top, right, bottom, text (in drawing order) wins a pixel
// follows from a plain rendering of the text: the last layer whose shifted copy
// covers the pixel. Only pixels that layer covers fully are compared, so anti-aliased
// edges cannot blur the answer.
TEST_F(ControlTextTest, ContoursAreDrawnLeftTopRightBottomUnderTheText) {
    const RECT rect{6, 6, 114, 50};
    const UINT format = DT_SINGLELINE | DT_LEFT | DT_TOP;
    TBitmap plain(120, 56);
    MakeWhite(plain);
    DrawSectionTextOnCanvas(plain.Canvas(), "XWK/A", true, manager, false, 1, format, rect);
    TBitmap drawn(120, 56);
    MakeWhite(drawn);
    DrawSectionTextOnCanvas(drawn.Canvas(), "XWK/A", true, manager, false, 3, format, rect);

    struct TLayer {
        int Dx, Dy;
        TColor Color;
    };
    const std::array<TLayer, 5> layers = {
        {{-1, 0, 0x000000FF}, {0, -1, 0x0000FF00}, {1, 0, 0x00FF0000}, {0, 1, 0x0000FFFF}, {0, 0, 0}}};
    TacPixelsView mask = plain.Pixels();
    auto coverage = [&](int x, int y) -> int { // 0 none, 1 partial, 2 full
        if (x < 0 || y < 0 || x >= mask.Width || y >= mask.Height)
            return 0;
        TPixel32 p = mask.At(x, y) & 0xFFFFFF;
        return p == 0xFFFFFFu ? 0 : p == 0 ? 2 : 1;
    };
    int compared = 0;
    int contested = 0; // pixels that two contours cover fully outside the text
    for (int y = 0; y < mask.Height; ++y) {
        for (int x = 0; x < mask.Width; ++x) {
            int winner = -1;
            int fullCount = 0;
            for (int i = 0; i < 5; ++i) {
                int c =
                    coverage(x - layers[static_cast<std::size_t>(i)].Dx, y - layers[static_cast<std::size_t>(i)].Dy);
                if (c > 0)
                    winner = i;
                if (c == 2 && i < 4)
                    ++fullCount;
            }
            if (winner < 0) {
                EXPECT_EQ(drawn.Pixels().At(x, y) & 0xFFFFFF, 0xFFFFFFu);
                continue;
            }
            const TLayer& l = layers[static_cast<std::size_t>(winner)];
            if (coverage(x - l.Dx, y - l.Dy) != 2)
                continue;
            ++compared;
            contested += winner < 4 && fullCount >= 2;
            EXPECT_EQ(drawn.Pixels().At(x, y) & 0xFFFFFF, ColorToPixelOrder(l.Color)) << x << "," << y;
        }
    }
    EXPECT_GT(compared, 100);
    EXPECT_GT(contested, 0);
}

TEST_F(ControlTextTest, HotWebButtonTextIsUnderlined) {
    TsCtrlSkinData data(owner, false);
    data.SetSkinSection("WEBBUTTON");
    TBitmap b(80, 40);
    MakeWhite(b);
    DrawControlText(b.Canvas(), "Go", true, false, data, DT_SINGLELINE, RECT{0, 0, 80, 40});
    EXPECT_EQ(b.Canvas().Font().Style() & fsUnderline, 0u);
    DrawControlText(b.Canvas(), "Go", true, true, data, DT_SINGLELINE, RECT{0, 0, 80, 40});
    EXPECT_NE(b.Canvas().Font().Style() & fsUnderline, 0u);

    TsCtrlSkinData button(owner, false);
    button.SetSkinSection("BUTTON");
    TBitmap c(80, 40);
    MakeWhite(c);
    DrawControlText(c.Canvas(), "Go", true, true, button, DT_SINGLELINE, RECT{0, 0, 80, 40});
    EXPECT_EQ(c.Canvas().Font().Style() & fsUnderline, 0u);
}

TEST_F(ControlTextTest, TextLayerGivesThePureColourOpaqueAndLeavesTheRestAlone) {
    TBitmap target(60, 40);
    FillPixels(target.Pixels(), TacRect{0, 0, 60, 40}, 0x00123456, 7);
    UseLargeBoldFont(target.Canvas());
    TBitmap plain(50, 30);
    MakeWhite(plain);
    RECT r{0, 0, 50, 30};
    DrawSectionTextOnCanvas(plain.Canvas(), "W", true, manager, false, 1, DT_SINGLELINE, r);

    DrawTextLayer(target, "W", 0x000080FF, DT_SINGLELINE, RECT{5, 4, 55, 34});
    const TPixel32 untouched = target.Pixels().At(0, 0);
    EXPECT_EQ(untouched, 0x07563412u);
    int inked = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 50; ++x) {
            TPixel32 m = plain.Pixels().At(x, y) & 0xFFFFFF;
            TPixel32 t = target.Pixels().At(x + 5, y + 4);
            if (m == 0xFFFFFFu) {
                EXPECT_EQ(t, untouched);
            } else if (m == 0) {
                EXPECT_EQ(t, 0xFFFF8000u);
                ++inked;
            } else {
                EXPECT_EQ(t >> 24, 0xFFu);
            }
        }
    }
    EXPECT_GT(inked, 20);
}

TEST_F(ControlTextTest, NoTextOrEmptyRectDrawsNothing) {
    TBitmap b(20, 20);
    MakeWhite(b);
    TsCtrlSkinData data(owner, false);
    data.SetSkinSection("BUTTON");
    DrawControlText(b.Canvas(), "", true, false, data, 0, RECT{0, 0, 20, 20});
    DrawSectionText(b, "A", true, manager, false, 1, 0, RECT{5, 5, 5, 20});
    DrawTextLayer(b, "A", 0, 0, RECT{-40, -40, -20, -20});
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(b.Pixels().At(x, y), 0xFFFFFFFFu);
}

TEST_F(ControlTextTest, FillBorderDCFillsOnlyTheRing) {
    TBitmap b(20, 16);
    MakeWhite(b);
    FillBorderDC(b.Canvas().Handle(), RECT{2, 1, 18, 15}, 3, 0x000000FF, 2, 4, 1);
    GdiFlush();
    TacPixelsView px = b.Pixels();
    auto red = [&](int x, int y) { return (px.At(x, y) & 0xFFFFFF) == 0xFF0000u; };
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 20; ++x) {
            bool inside = x >= 2 && x < 18 && y >= 1 && y < 15;
            bool hole = x >= 5 && x < 14 && y >= 2 && y < 13;
            EXPECT_EQ(red(x, y), inside && !hole) << x << "," << y;
        }
    }
}

} // namespace
} // namespace sj
