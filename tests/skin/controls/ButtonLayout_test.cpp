// Glyph and caption placement of the skinned buttons, their face states and the image
// chosen for each state.
#include "skin/controls/sButtonLayout.h"

#include <gtest/gtest.h>

namespace sj {
namespace {

TsButtonLayoutInput MainWindowButton() {
    TsButtonLayoutInput in;
    in.Width = 110;
    in.Height = 26;
    in.TextWidth = 60;
    in.TextHeight = 13;
    in.HasGlyph = true;
    in.ImageWidth = 16;
    in.ImageHeight = 16;
    return in;
}

TEST(ButtonLayout, MainWindowButtonHasGlyphAtSixFiveAndCaptionInTheRest) {
    TsButtonLayoutInput in = MainWindowButton();
    EXPECT_EQ(ButtonGlyphRect(in), (TacRect{6, 5, 22, 21}));
    EXPECT_EQ(ButtonCaptionRect(in), (TacRect{22, 6, 104, 20}));
    in.Pressed = true;
    EXPECT_EQ(ButtonGlyphRect(in), (TacRect{7, 6, 23, 22}));
    EXPECT_EQ(ButtonCaptionRect(in), (TacRect{23, 7, 105, 21}));
}

TEST(ButtonLayout, GlyphAlignmentsFollowMarginsAndContentMargin) {
    TsButtonLayoutInput in = MainWindowButton();
    in.Height = 60;
    in.Margins = {2, 3, 4, 5};
    in.Alignment = TImageAlignment::iaRight;
    // right edge = 110 - 4 - 6
    EXPECT_EQ(ButtonGlyphRect(in), (TacRect{84, 22, 100, 38}));
    EXPECT_EQ(ButtonCaptionRect(in), (TacRect{6, 23, 110 - (4 + 6 + 16 + 2), 37}));
    in.Alignment = TImageAlignment::iaTop;
    EXPECT_EQ(ButtonGlyphRect(in), (TacRect{47, 9, 63, 25}));
    // a = 3 + 12 + 16 = 31; top = 31 + (60 - 6 - 31 - 13) div 2 = 36
    EXPECT_EQ(ButtonCaptionRect(in), (TacRect{6, 36, 104, 49}));
    in.Alignment = TImageAlignment::iaBottom;
    // bottom = 60 - 5 - 6
    EXPECT_EQ(ButtonGlyphRect(in), (TacRect{47, 33, 63, 49}));
    // b = 60 - (5 + 6 + 16 + 3) = 30; top = (30 - 3 - 13) div 2 + 3 = 10
    EXPECT_EQ(ButtonCaptionRect(in), (TacRect{6, 10, 104, 23}));
    in.Alignment = TImageAlignment::iaCenter;
    EXPECT_EQ(ButtonGlyphRect(in), (TacRect{47, 22, 63, 38}));
    EXPECT_EQ(ButtonCaptionRect(in), (TacRect{24, 23, 86, 37}));
}

TEST(ButtonLayout, WithoutGlyphTheCaptionIsCentredAndOddDifferencesTruncateTowardZero) {
    TsButtonLayoutInput in = MainWindowButton();
    in.HasGlyph = false;
    in.TextWidth = 61;
    EXPECT_TRUE(ButtonGlyphRect(in).Empty());
    // (110 - 61) div 2 - 1 = 23; top (26 - 13) div 2 = 6, bottom 26 - 6
    EXPECT_EQ(ButtonCaptionRect(in), (TacRect{23, 6, 86, 20}));
    // A caption wider than the button: (110 - 131) div 2 truncates to -10, not -11.
    in.TextWidth = 131;
    EXPECT_EQ(ButtonCaptionRect(in).Left, -11);
}

TEST(ButtonLayout, SplitButtonKeepsItsMenuStripAndCommandLinkUsesThePlaceholderGlyph) {
    TsButtonLayoutInput in = MainWindowButton();
    in.Style = TsButtonStyle::bsSplitButton;
    EXPECT_EQ(ButtonCaptionRect(in).Right, 110 - 16 - 6);
    in.Alignment = TImageAlignment::iaCenter;
    EXPECT_EQ(ButtonGlyphRect(in).Left, (94 - 16) / 2);

    TsButtonLayoutInput link = MainWindowButton();
    link.Style = TsButtonStyle::bsCommandLink;
    link.HasGlyph = false;
    link.Width = 200;
    link.Height = 60;
    link.Margins = {1, 0, 2, 0};
    EXPECT_EQ(ButtonGlyphWidthWithMargins(link), 35);
    EXPECT_EQ(ButtonHintMeasureWidth(link), 200 - 12 - 35);
    EXPECT_EQ(ButtonTextMeasureWidth(link), 200 - 12 - 35 - 6);
    EXPECT_EQ(ButtonCaptionRect(link), (TacRect{35 + 6 + 6, 6, 194, 19}));
    link.HasGlyph = true;
    EXPECT_EQ(ButtonGlyphRect(link), (TacRect{7, 6, 23, 22}));
}

TEST(ButtonLayout, CaptionIsMeasuredInTheWidthItIsDrawnIn) {
    TsButtonLayoutInput in = MainWindowButton();
    EXPECT_EQ(ButtonTextMeasureWidth(in), 104 - 22);
    in.Alignment = TImageAlignment::iaTop;
    EXPECT_EQ(ButtonTextMeasureWidth(in), 110 - 12);
    in.Alignment = TImageAlignment::iaCenter;
    EXPECT_EQ(ButtonTextMeasureWidth(in), 110);
    in.Style = TsButtonStyle::bsSplitButton;
    EXPECT_EQ(ButtonTextMeasureWidth(in), 94);
    // A caption wrapped to two lines in a 26-pixel button fills it from top to bottom.
    in = MainWindowButton();
    in.TextHeight = 26;
    EXPECT_EQ(ButtonCaptionRect(in), (TacRect{22, 0, 104, 26}));
}

TEST(ButtonState, PressedHotDefaultAndNormalInPriorityOrder) {
    TsButtonStateInput in;
    EXPECT_EQ(ButtonCurrentState(in), bstNormal);
    in.ActiveDefault = true;
    EXPECT_EQ(ButtonCurrentState(in), bstActiveDefault);
    in.Hot = true;
    EXPECT_EQ(ButtonCurrentState(in), bstHot);
    in.Designing = true;
    EXPECT_EQ(ButtonCurrentState(in), bstActiveDefault);
    in.Down = true;
    EXPECT_EQ(ButtonCurrentState(in), bstPressed);

    // A mouse push shows pressed only while the pointer is over the button; a key push always.
    TsButtonStateInput push;
    push.Pushed = true;
    push.LeftButtonHeld = true;
    EXPECT_EQ(ButtonCurrentState(push), bstNormal);
    push.PointerOver = true;
    EXPECT_EQ(ButtonCurrentState(push), bstPressed);
    push.PointerOver = false;
    push.LeftButtonHeld = false;
    EXPECT_EQ(ButtonCurrentState(push), bstPressed);
    TsButtonStateInput quick;
    quick.ShowPressed = true;
    quick.PointerOver = true;
    quick.LeftButtonHeld = true;
    EXPECT_EQ(ButtonCurrentState(quick), bstPressed);
}

TEST(ButtonState, FaceStateBorrowsHotForDefaultAndClampsToTheSection) {
    EXPECT_EQ(ButtonFaceState(bstActiveDefault, 3), bstHot);
    EXPECT_EQ(ButtonFaceState(bstActiveDefault, 4), bstActiveDefault);
    EXPECT_EQ(ButtonFaceState(bstPressed, 2), 1);
    EXPECT_EQ(ButtonFaceState(bstHot, 1), 0);
    EXPECT_EQ(ButtonFaceState(bstPressed, 0), 0); // a section without states must not give -1
}

TEST(ButtonGlyph, StateImagesFallBackToTheNormalImage) {
    EXPECT_EQ(ButtonGlyphState(false, bstPressed, true), gstDisabled);
    EXPECT_EQ(ButtonGlyphState(true, bstPressed, true), bstPressed);
    EXPECT_EQ(ButtonGlyphState(true, bstHot, true), 3);
    EXPECT_EQ(ButtonGlyphState(true, bstHot, false), bstHot);
    EXPECT_EQ(ButtonGlyphState(true, bstActiveDefault, false), bstActiveDefault);

    TsButtonImageIndexes indexes{0, 5, 2, 3, -1};
    EXPECT_EQ(ButtonGlyphIndex(1, indexes, 4), 0); // hot index 5 of 4 images
    EXPECT_EQ(ButtonGlyphIndex(1, indexes, 6), 5);
    EXPECT_EQ(ButtonGlyphIndex(2, indexes, 4), 2);
    EXPECT_EQ(ButtonGlyphIndex(3, indexes, 4), 3);
    EXPECT_EQ(ButtonGlyphIndex(3, indexes, 3), 0);
    EXPECT_EQ(ButtonGlyphIndex(4, indexes, 4), 0);
    EXPECT_EQ(ButtonGlyphIndex(0, indexes, 4), 0);
}

TEST(SpeedButtonLayout, GroupIsPlacedByAlignmentWithSpacingOnlyBetweenTwoParts) {
    TsSpeedLayoutInput in;
    in.Width = 100;
    in.Height = 30;
    in.GlyphWidth = 16;
    in.GlyphHeight = 16;
    in.TextWidth = 40;
    in.TextHeight = 13;
    in.Spacing = 4;
    // group 60 wide centred in 100: x = 20
    TsSpeedLayoutResult r = SpeedButtonLayout(in);
    EXPECT_EQ(r.Glyph, (TacRect{20, 7, 36, 23}));
    EXPECT_EQ(r.Caption, (TacRect{39, 8, 82, 21}));
    in.Alignment = TsGroupAlignment::taLeftJustify;
    in.Margin = 2;
    EXPECT_EQ(SpeedButtonLayout(in).Glyph.Left, 5);
    in.Alignment = TsGroupAlignment::taRightJustify;
    in.ArrowWidth = SplitStripWidth;
    EXPECT_EQ(SpeedButtonLayout(in).Caption.Right, 84 - 5 + 2);
    in.Margin = -1;
    EXPECT_EQ(SpeedButtonEffectiveMargin(in.Margin), 0);

    TsSpeedLayoutInput glyphOnly = in;
    glyphOnly.TextWidth = 0;
    glyphOnly.Alignment = TsGroupAlignment::taCenter;
    glyphOnly.ArrowWidth = 0;
    glyphOnly.Pressed = true;
    EXPECT_EQ(SpeedButtonLayout(glyphOnly).Glyph, (TacRect{43, 8, 59, 24}));
    EXPECT_TRUE(SpeedButtonLayout(glyphOnly).Caption.Empty());
}

TEST(SpeedButtonLayout, VerticalLayoutsStackCentredAndReflectionLiftsTheGlyph) {
    TsSpeedLayoutInput in;
    in.Width = 60;
    in.Height = 50;
    in.GlyphWidth = 12;
    in.GlyphHeight = 12;
    in.TextWidth = 30;
    in.TextHeight = 13;
    in.Spacing = 3;
    in.Layout = TsSpeedLayout::blGlyphTop;
    in.TextOffset = 2;
    // group 30 x 28 at (15, 11)
    TsSpeedLayoutResult r = SpeedButtonLayout(in);
    EXPECT_EQ(r.Glyph, (TacRect{24, 11, 36, 23}));
    EXPECT_EQ(r.Caption, (TacRect{16, 26, 49, 39}));
    in.Layout = TsSpeedLayout::blGlyphBottom;
    in.Reflected = true;
    r = SpeedButtonLayout(in);
    EXPECT_EQ(r.Glyph, (TacRect{24, 25, 36, 37}));
    EXPECT_EQ(r.Caption.Top, 11);
}

TEST(SpeedButtonLayout, CaptionWidthAndStates) {
    TsSpeedLayoutInput in;
    in.Width = 100;
    in.Margin = 2;
    in.GlyphWidth = 16;
    in.ArrowWidth = 16;
    EXPECT_EQ(SpeedButtonCaptionWidth(in), 100 - 4 - 16 - 20);
    in.Layout = TsSpeedLayout::blGlyphTop;
    EXPECT_EQ(SpeedButtonCaptionWidth(in), 100 - 4 - 16);
    EXPECT_EQ(SpeedButtonState(true, false), 2);
    EXPECT_EQ(SpeedButtonState(false, true), 1);
    EXPECT_EQ(SpeedButtonState(false, false), 0);
}

TEST(SpinArrow, TrianglePointsFromTheButtonSize) {
    // 18 x 10: x0 = 4, y0 = 2
    TsArrowTriangle up = SpinArrowTriangle(18, 10, true);
    EXPECT_EQ(up.X[0], 5);
    EXPECT_EQ(up.X[1], 11);
    EXPECT_EQ(up.X[2], 8);
    EXPECT_EQ(up.Y[0], 6);
    EXPECT_EQ(up.Y[2], 3);
    TsArrowTriangle down = SpinArrowTriangle(18, 10, false);
    EXPECT_EQ(down.Y[0], 3);
    EXPECT_EQ(down.Y[1], 3);
    EXPECT_EQ(down.Y[2], 6);
}

} // namespace
} // namespace sj
