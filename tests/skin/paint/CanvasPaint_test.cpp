// The framework-side painter glue under Wine: bitmaps of the framework, the face colour
// a control answers, disabled looks and glyphs in framework bitmaps, arrows and focus
// frames set pixel by pixel on device contexts, and window regions cut from the clear
// pixels of a border. Expected pixels follow the drawing rules.
#include "skin/paint/sCanvasPaint.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>

#include "BordersSkinKit.h"
#include "forms/Forms.h"
#include "skin/paint/sCommonData.h"
#include "skin/paint/sGraphUtils.h"

namespace sj {
namespace {

using namespace testkit;

constexpr TPixel32 kWhite = 0xFFFFFFFFu;

std::unique_ptr<TBitmap> WhiteBitmap(int w, int h) {
    auto b = CreateBitmap32(w, h);
    FillPixels(b->Pixels(), TacRect{0, 0, w, h}, 0x00FFFFFF, 255);
    return b;
}

// The pixels a painter changed on a white bitmap, with their colours as RGB.
std::map<std::pair<int, int>, TColor> Painted(TBitmap& b) {
    std::map<std::pair<int, int>, TColor> painted;
    TacPixelsView px = b.Pixels();
    for (int y = 0; y < px.Height; ++y)
        for (int x = 0; x < px.Width; ++x)
            if ((px.At(x, y) & 0x00FFFFFF) != 0x00FFFFFF)
                painted[{x, y}] = PixelToColorOrder(px.At(x, y)) & 0x00FFFFFF;
    return painted;
}

TEST(CanvasPaintTest, Bitmap32IsTopDownWithDirectRowsAndNeverNegative) {
    auto b = CreateBitmap32(5, 3);
    ASSERT_EQ(b->Width(), 5);
    ASSERT_EQ(b->Height(), 3);
    EXPECT_EQ(b->Pixels().At(4, 2), 0u);
    SetPixelV(b->Canvas().Handle(), 1, 0, RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(b->ScanLine(0)[1] & 0x00FFFFFF, 0x112233u); // row 0 is the top row
    auto empty = CreateBitmap32(-4, 7);
    EXPECT_EQ(empty->Width(), 0);
    EXPECT_TRUE(empty->Pixels().Empty());
}

TEST(CanvasPaintTest, SmallArrowsAreSetOnTheDCInTheArrowShape) {
    auto b = WhiteBitmap(12, 12);
    DrawSmallArrow(b->Canvas().Handle(), 0x000000FF, RECT{0, 0, 10, 10}, saDown);
    std::map<std::pair<int, int>, TColor> down;
    const int rows[][3] = {{2, 1, 8}, {3, 2, 7}, {4, 3, 6}, {5, 4, 5}};
    for (const auto& r : rows)
        for (int x = r[1]; x <= r[2]; ++x)
            down[{x, r[0]}] = 0x000000FF;
    EXPECT_EQ(Painted(*b), down);

    // The same arrow under a moved viewport lands moved, in a system colour.
    auto moved = WhiteBitmap(12, 12);
    HDC dc = moved->Canvas().Handle();
    SetViewportOrgEx(dc, 2, 1, nullptr);
    DrawSmallArrow(dc, clBtnShadow, RECT{0, 0, 10, 10}, saDown);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    std::map<std::pair<int, int>, TColor> shifted;
    for (const auto& [p, c] : down)
        shifted[{p.first + 2, p.second + 1}] = GetSysColor(COLOR_BTNSHADOW) & 0x00FFFFFF;
    EXPECT_EQ(Painted(*moved), shifted);

    auto right = WhiteBitmap(12, 12);
    DrawSmallArrow(right->Canvas().Handle(), 0x00000000, RECT{0, 0, 10, 10}, saRight);
    std::map<std::pair<int, int>, TColor> expected;
    const int cols[][3] = {{3, 2, 8}, {4, 3, 7}, {5, 4, 6}, {6, 5, 5}};
    for (const auto& c : cols)
        for (int y = c[1]; y <= c[2]; ++y)
            expected[{c[0], y}] = 0;
    EXPECT_EQ(Painted(*right), expected);

    auto none = WhiteBitmap(12, 12);
    DrawSmallArrow(none->Canvas().Handle(), 0, RECT{0, 0, 10, 10}, 5);
    DrawSmallArrow(nullptr, 0, RECT{0, 0, 10, 10}, saDown);
    EXPECT_TRUE(Painted(*none).empty());
}

TEST(CanvasPaintTest, FocusFrameDotsEveryThirdPixelWithGapsBefore) {
    const RECT r{2, 2, 10, 8}; // 8 x 6
    const TColor gap = 0x00C0C0C0, dot = 0x00000000;
    // Straight from the rule: edges first along x, then along y, later pixels winning.
    std::map<std::pair<int, int>, TColor> expected;
    for (int i = 0; i <= 8 / 3; ++i) {
        const int x = r.left + 3 * i;
        expected[{x, r.top}] = dot;
        expected[{x, r.bottom - 1}] = dot;
        expected[{x - 1, r.top}] = gap;
        expected[{x - 1, r.bottom - 1}] = gap;
    }
    for (int j = 0; j <= 6 / 3; ++j) {
        const int y = r.top + 3 * j;
        expected[{r.left, y}] = dot;
        expected[{r.right - 1, y}] = dot;
        expected[{r.left, y - 1}] = gap;
        expected[{r.right - 1, y - 1}] = gap;
    }
    auto b = WhiteBitmap(14, 12);
    DrawFocusRectangle(b->Canvas().Handle(), r, gap, dot);
    EXPECT_EQ(Painted(*b), expected);

    // At the bitmap's edge the pixels before the frame are lost, nothing else breaks.
    auto edge = WhiteBitmap(4, 4);
    DrawFocusRectangle(edge->Canvas().Handle(), RECT{0, 0, 4, 4}, gap, dot);
    EXPECT_EQ(PixelToColorOrder(edge->Pixels().At(0, 0)) & 0x00FFFFFF, dot);
    EXPECT_EQ(PixelToColorOrder(edge->Pixels().At(2, 0)) & 0x00FFFFFF, gap);
}

TEST(CanvasPaintTest, GlyphsAreDrawnFromTheirFramesSkippingTheBottomLeftColour) {
    // Two frames of 2 x 2; the bottom-left pixel of each frame is its clear colour.
    auto glyph = CreateBitmap32(4, 2);
    TacPixelsView g = glyph->Pixels();
    g.At(0, 0) = 0xFF112233u, g.At(1, 0) = 0xFF445566u, g.At(0, 1) = 0xFF00FF00u, g.At(1, 1) = 0xFF778899u;
    g.At(2, 0) = 0xFFAA0000u, g.At(3, 0) = 0xFF0000AAu, g.At(2, 1) = 0xFF0000FFu, g.At(3, 1) = 0xFF00AA00u;
    auto target = WhiteBitmap(5, 5);
    DrawGlyphBitmap(*glyph, *target, RECT{1, 2, 3, 4}, false, 0, 1, dkBlended, true, 2);
    TacPixelsView t = target->Pixels();
    EXPECT_EQ(t.At(1, 2), 0xFFAA0000u); // the hot frame
    EXPECT_EQ(t.At(2, 2), 0xFF0000AAu);
    EXPECT_EQ(t.At(1, 3), kWhite); // its clear colour
    EXPECT_EQ(t.At(2, 3), 0xFF00AA00u);

    // A 16-colour glyph has no hot frame.
    auto old = WhiteBitmap(5, 5);
    DrawGlyphBitmap(*glyph, *old, RECT{1, 2, 3, 4}, false, 0, 1, dkBlended, true, 2, 4);
    EXPECT_EQ(old->Pixels().At(1, 2), 0xFF112233u);
    EXPECT_EQ(old->Pixels().At(1, 3), kWhite);

    // One frame, disabled and blended: half glyph, half target, clear colour skipped.
    auto single = CreateBitmap32(2, 2);
    TacPixelsView s = single->Pixels();
    s.At(0, 0) = 0xFF204060u, s.At(1, 0) = 0xFF204060u, s.At(0, 1) = 0xFF010101u, s.At(1, 1) = 0xFF204060u;
    auto faded = CreateBitmap32(2, 2);
    FillPixels(faded->Pixels(), TacRect{0, 0, 2, 2}, 0x00A080E0, 255); // pixel 0xE080A0
    DrawGlyphBitmap(*single, *faded, RECT{0, 0, 2, 2}, false, 0, 0, dkBlended, false, 1);
    EXPECT_EQ(faded->Pixels().At(0, 0) & 0x00FFFFFF, 0x806080u); // (0x20+0xE0)/2, (0x40+0x80)/2, (0x60+0xA0)/2
    EXPECT_EQ(faded->Pixels().At(0, 1) & 0x00FFFFFF, 0xE080A0u);
    EXPECT_EQ(single->Pixels().At(0, 0), 0xFF204060u); // the caller's glyph is not touched
}

class CanvasPaintControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager = new TsSkinManager(nullptr);
        TsSkinModel& model = manager->Core().Model();
        model.GeneralData.push_back(Section("GLOBALINFO", 0x00FFFFFF));
        model.GeneralData.push_back(Section("PANEL", 0x00604020));
        manager->Core().SetActive(true);
        form = new TForm(nullptr);
        form->SetBounds(-3000, -3000, 200, 100);
    }
    void TearDown() override {
        delete form;
        delete manager;
    }
    TsSkinManager* manager = nullptr;
    TForm* form = nullptr;
};

class TSkinnedPanel : public TCustomControl {
public:
    explicit TSkinnedPanel(TComponent* owner) : TCustomControl(owner), SkinData(this, false) {
        SkinData.ControlKind = ckPanel;
    }
    TsCtrlSkinData SkinData;

protected:
    void WndProc(TMessage& m) override {
        if (!SkinData.HandleCommonMessage(m))
            TCustomControl::WndProc(m);
    }
};

TEST_F(CanvasPaintControlTest, FaceColourIsTheSkinAnswerOrTheControlsOwnColour) {
    EXPECT_EQ(ControlFaceColor(nullptr), clUnknownColor);
    form->SetColor(clBtnFace);
    EXPECT_EQ(ControlFaceColor(form), GetSysColor(COLOR_BTNFACE) & 0x00FFFFFF);
    auto* panel = new TSkinnedPanel(form);
    panel->SetParent(form);
    panel->SetColor(0x00010203);
    panel->SkinData.SetSkinSection("PANEL");
    panel->HandleNeeded();
    EXPECT_EQ(ControlFaceColor(panel), 0x00604020u);
}

TEST_F(CanvasPaintControlTest, DisabledLookOverAnUnknownColourTakesHalfOfTheControlsFace) {
    auto* panel = new TSkinnedPanel(form);
    panel->SetParent(form);
    panel->SkinData.SetSkinSection("PANEL");
    auto face = CreateBitmap32(3, 2);
    FillPixels(face->Pixels(), TacRect{0, 0, 3, 2}, 0x00E0A080, 255);
    PaintDisabledLook(*face, dkBlended, panel, POINT{4, 5}, ColorBackdrop(clUnknownColor));
    // Per channel (face + colour) / 2 with even sums: red (0x80+0x20), green (0xA0+0x40), blue (0xE0+0x60).
    EXPECT_EQ(face->Pixels().At(2, 1), 0xFF5070A0u);

    // A known colour is used as it is, the control is not asked.
    auto other = CreateBitmap32(1, 1);
    FillPixels(other->Pixels(), TacRect{0, 0, 1, 1}, 0x00E0A080, 255);
    PaintDisabledLook(*other, dkBlended, nullptr, POINT{0, 0}, ColorBackdrop(0x00000000));
    EXPECT_EQ(other->Pixels().At(0, 0) & 0x00FFFFFF, 0x405070u);
}

TEST(CanvasPaintRegionTest, RegionLosesExactlyTheClearCornerPixels) {
    TsSkinManager manager(nullptr);
    TsMaskData& item = AddBordersItem(manager, 0);
    item.Section = "BUTTON_HUGE";
    item.CornerKind = 2;
    const std::set<std::pair<int, int>> clearInFrame{{0, 0}, {1, 0}, {0, 1}, {5, 5}, {4, 5}, {5, 0}};
    for (auto [x, y] : clearInFrame)
        ClearFramePixel(manager, x, y);
    const int w = 20, h = 12;
    auto target = WhiteBitmap(w, h);
    TGdiRegion region = BordersCutRegion(*target, 0, manager.Model().Masks[0]);
    ASSERT_TRUE(region);
    std::set<std::pair<int, int>> expectedOut;
    for (auto [x, y] : clearInFrame) // corners land in the target's corners
        expectedOut.insert({x < 3 ? x : w - (kFrame - x), y < 3 ? y : h - (kFrame - y)});
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!PtInRegion(region.Get(), x, y))
                out.insert({x, y});
    EXPECT_EQ(out, expectedOut);
    EXPECT_FALSE(PtInRegion(region.Get(), w, 0)); // the region is the control's rectangle
    // The border ring was painted, the centre was not.
    EXPECT_EQ(target->Pixels().At(1, 1) & 0x00FFFFFF, RingSource(1, 1, w, h) & 0x00FFFFFF);
    EXPECT_EQ(target->Pixels().At(w / 2, h / 2), kWhite);

    // Without a region the border is painted all the same.
    auto paintOnly = WhiteBitmap(w, h);
    DrawBordersMaskCutRegion(*paintOnly, nullptr, 0, manager.Model().Masks[0]);
    EXPECT_EQ(paintOnly->Pixels().At(w - 2, h - 3) & 0x00FFFFFF, RingSource(w - 2, h - 3, w, h) & 0x00FFFFFF);
}

} // namespace
} // namespace sj
