// The scroll bars' arithmetic: arrow and bar sizes, thumb size and place, parts under
// the pointer, the dragged thumb's position, the non-client layout and the repeat.
#include "skin/controls/acScrollGeometry.h"

#include <gtest/gtest.h>

namespace sj {
namespace {

TacScrollRange Range(int min, int max, unsigned page, int pos) {
    TacScrollRange r;
    r.Min = min;
    r.Max = max;
    r.Page = page;
    r.Pos = pos;
    return r;
}

TEST(ScrollGeometryTest, ArrowLengthAndThicknessFollowSettingsAndSkin) {
    EXPECT_EQ(ArrowLength(12, 17, TacArrowSkin{}), 12);
    EXPECT_EQ(ArrowLength(-1, 17, TacArrowSkin{}), 17);
    EXPECT_EQ(ArrowLength(-2, 17, TacArrowSkin{}), 34);
    // A skin asking for its own size: frame length + A - 17, times the setting.
    EXPECT_EQ(ArrowLength(-1, 17, TacArrowSkin{true, 23}), 23);
    EXPECT_EQ(ArrowLength(-1, 20, TacArrowSkin{true, 23}), 26);
    EXPECT_EQ(ArrowLength(-2, 17, TacArrowSkin{true, 23}), 46);
    // Without its image the flag alone changes nothing.
    EXPECT_EQ(ArrowLength(-1, 17, TacArrowSkin{true, -1}), 17);
    EXPECT_EQ(ArrowLength(-1, 17, TacArrowSkin{false, 23}), 17);
    EXPECT_EQ(BarThickness(-1, 17), 17);
    EXPECT_EQ(BarThickness(-2, 17), 34);
    EXPECT_EQ(BarThickness(9, 17), 9);
}

TEST(ScrollGeometryTest, ThumbSizeAndPlaceAcrossTheRange) {
    // 200 pixels, arrows of 17: a track of 166.
    TacThumb t = ThumbGeometry(Range(0, 99, 20, 0), 17, 200, 10);
    EXPECT_TRUE(t.Shown);
    EXPECT_EQ(t.Size, 33); // 20 * 166 / 100 = 33.2
    EXPECT_EQ(t.Start, 17);
    // The last reachable position (99 - 20 + 1 = 80) puts the thumb against the arrow.
    t = ThumbGeometry(Range(0, 99, 20, 80), 17, 200, 10);
    EXPECT_EQ(t.Start + t.Size, 200 - 17);
    t = ThumbGeometry(Range(0, 99, 20, 40), 17, 200, 10);
    EXPECT_EQ(t.Start, 17 + 67); // 40 * 133 / 80 = 66.5, rounded up
    // A range that does not start at 0 places the thumb the same way.
    EXPECT_EQ(ThumbGeometry(Range(50, 149, 20, 90), 17, 200, 10).Start, 17 + 67);
    // Positions beyond the range stay inside the track.
    EXPECT_EQ(ThumbGeometry(Range(0, 99, 20, 500), 17, 200, 10).Start, 150);
    EXPECT_EQ(ThumbGeometry(Range(0, 99, 20, -5), 17, 200, 10).Start, 17);
    // The minimum thumb.
    EXPECT_EQ(ThumbGeometry(Range(0, 999, 1, 0), 17, 200, 10).Size, 10);
    // No page: the thumb is as long as an arrow.
    EXPECT_EQ(ThumbGeometry(Range(0, 99, 0, 0), 17, 200, 10).Size, 17);
}

TEST(ScrollGeometryTest, NoThumbWhenItWouldFillTheTrackOrTheBarIsShort) {
    EXPECT_FALSE(ThumbGeometry(Range(0, 9, 10, 0), 17, 200, 10).Shown);
    EXPECT_FALSE(ThumbGeometry(Range(0, 9, 20, 0), 17, 200, 10).Shown);
    // Minimum thumb larger than the track.
    EXPECT_FALSE(ThumbGeometry(Range(0, 999, 1, 0), 17, 40, 10).Shown);
    // Shorter than two arrows: two halves, no thumb.
    EXPECT_EQ(UsedArrowLength(17, 30), 15);
    EXPECT_FALSE(ThumbGeometry(Range(0, 99, 20, 0), 17, 30, 10).Shown);
    EXPECT_EQ(PartAt(Range(0, 99, 20, 0), 17, 30, 10, 14, true), spFirstArrow);
    EXPECT_EQ(PartAt(Range(0, 99, 20, 0), 17, 30, 10, 15, true), spSecondArrow);
    EXPECT_EQ(PartAt(Range(0, 99, 20, 0), 17, 31, 10, 15, true), spNoPart);
    // A thumb filling the track leaves no track parts either.
    EXPECT_EQ(PartAt(Range(0, 9, 10, 0), 17, 200, 10, 100, true), spNoPart);
}

TEST(ScrollGeometryTest, PartsUnderThePointer) {
    const TacScrollRange r = Range(0, 99, 20, 40); // thumb at [84, 117)
    EXPECT_EQ(PartAt(r, 17, 200, 10, 0, true), spFirstArrow);
    EXPECT_EQ(PartAt(r, 17, 200, 10, 16, true), spFirstArrow);
    EXPECT_EQ(PartAt(r, 17, 200, 10, 17, true), spTrackBefore);
    EXPECT_EQ(PartAt(r, 17, 200, 10, 83, true), spTrackBefore);
    EXPECT_EQ(PartAt(r, 17, 200, 10, 84, true), spThumb);
    EXPECT_EQ(PartAt(r, 17, 200, 10, 116, true), spThumb);
    EXPECT_EQ(PartAt(r, 17, 200, 10, 117, true), spTrackAfter);
    EXPECT_EQ(PartAt(r, 17, 200, 10, 182, true), spTrackAfter);
    EXPECT_EQ(PartAt(r, 17, 200, 10, 183, true), spSecondArrow);
    EXPECT_EQ(PartAt(r, 17, 200, 10, 199, true), spSecondArrow);
    EXPECT_EQ(PartAt(r, 17, 200, 10, 200, true), spNoPart);
    EXPECT_EQ(PartAt(r, 17, 200, 10, -1, true), spNoPart);
    EXPECT_EQ(PartAt(r, 17, 200, 10, 100, false), spNoPart);
}

TEST(ScrollGeometryTest, DraggingTheThumbToWherePositionsDrawItGivesThemBack) {
    // Every position drawn and dragged back is the same position, for ranges with and
    // without a minimum, small and large pages, both smaller and larger than the track.
    const TacScrollRange ranges[] = {Range(0, 99, 20, 0), Range(-30, 69, 20, 0), Range(1000, 1499, 7, 0),
                                     Range(0, 4000, 300, 0), Range(5, 9, 2, 0), Range(0, 99, 0, 0)};
    for (TacScrollRange r : ranges) {
        for (int length : {60, 200, 517}) {
            for (int pos = r.Min; pos <= MaxScrollPos(r); ++pos) {
                r.Pos = pos;
                const TacThumb t = ThumbGeometry(r, 17, length, 10);
                if (!t.Shown)
                    continue;
                const int span = length - 34 - t.Size;
                const int back = DragPosition(r, t.Start - 17, span);
                // Where a range has more positions than pixels only the drawn order holds.
                if (MaxScrollPos(r) - r.Min <= span) {
                    EXPECT_EQ(back, pos) << r.Min << ".." << r.Max << " page " << r.Page << " length " << length;
                }
                EXPECT_GE(back, r.Min);
                EXPECT_LE(back, MaxScrollPos(r));
            }
        }
    }
    // The ends of the track are the ends of the range, minimum included.
    EXPECT_EQ(DragPosition(Range(-30, 69, 20, 0), 0, 133), -30);
    EXPECT_EQ(DragPosition(Range(-30, 69, 20, 0), 133, 133), 50);
    EXPECT_EQ(DragPosition(Range(-30, 69, 20, 0), 500, 133), 50);
    EXPECT_EQ(DragPosition(Range(0, 0, 1, 0), 10, 133), 0);
}

TEST(ScrollGeometryTest, DraggedThumbStaysInTheTrack) {
    EXPECT_EQ(DraggedThumbStart(100, 10, 17, 200, 33), 90);
    EXPECT_EQ(DraggedThumbStart(5, 10, 17, 200, 33), 17);
    EXPECT_EQ(DraggedThumbStart(400, 10, 17, 200, 33), 150);
}

TEST(ScrollGeometryTest, LayoutTakesBarsOnlyWhereTheyFit) {
    const TacRect window{100, 100, 300, 250};
    const TacRect system{102, 102, 298, 248}; // a 2-pixel border
    TacScrollLayout l = LayoutScrollBars(window, system, true, true, 17, 17, false);
    EXPECT_TRUE(l.HorzShown);
    EXPECT_TRUE(l.VertShown);
    EXPECT_EQ(l.Client, (TacRect{102, 102, 281, 231}));
    EXPECT_EQ(l.Edges.Left, 2);
    EXPECT_EQ(l.Edges.Bottom, 2);
    l = LayoutScrollBars(window, system, true, true, 17, 17, true);
    EXPECT_EQ(l.Client, (TacRect{119, 102, 298, 231}));
    // Too low for a horizontal bar, too narrow for a vertical one.
    l = LayoutScrollBars(TacRect{0, 0, 200, 14}, TacRect{2, 2, 198, 12}, true, false, 17, 17, false);
    EXPECT_FALSE(l.HorzShown);
    EXPECT_EQ(l.Client.Bottom, 12);
    l = LayoutScrollBars(TacRect{0, 0, 14, 200}, TacRect{2, 2, 12, 198}, false, true, 17, 17, false);
    EXPECT_FALSE(l.VertShown);
    l = LayoutScrollBars(window, system, false, false, 17, 17, false);
    EXPECT_EQ(l.Client, system);
}

TEST(ScrollGeometryTest, BarRectanglesCornerAndHitCodes) {
    const TacRect window{100, 100, 300, 250};
    const TacEdges edges{2, 2, 2, 2};
    TacBarRects bars = ScrollBarRects(window, edges, 17, true, 17, true, false);
    EXPECT_EQ(bars.Horz, (TacRect{102, 231, 281, 248}));
    EXPECT_EQ(bars.Vert, (TacRect{281, 102, 298, 231}));
    EXPECT_EQ(bars.Corner, (TacRect{281, 231, 298, 248}));
    // The window fills its parent's client corner exactly.
    EXPECT_TRUE(SitsInParentCorner(bars, edges, false, TacRect{0, 0, 300, 250}));
    EXPECT_FALSE(SitsInParentCorner(bars, edges, false, TacRect{0, 0, 301, 250}));

    TacHitInput in;
    in.Bars = bars;
    in.HorzShown = in.VertShown = true;
    in.InParentCorner = true;
    EXPECT_EQ(ScrollHitTest(in, 150, 240), htHScroll);
    EXPECT_EQ(ScrollHitTest(in, 290, 150), htVScroll);
    EXPECT_EQ(ScrollHitTest(in, 290, 240), htBottomRight);
    EXPECT_EQ(ScrollHitTest(in, 150, 150), htPassOn);
    in.VertEnabled = false;
    EXPECT_EQ(ScrollHitTest(in, 290, 150), htNoWhere);
    in.InParentCorner = false;
    EXPECT_EQ(ScrollHitTest(in, 290, 240), htPassOn);

    // The vertical bar at the left: the horizontal bar starts right of it, and the size
    // box sits in the bottom-left corner.
    bars = ScrollBarRects(window, edges, 17, true, 17, true, true);
    EXPECT_EQ(bars.Vert, (TacRect{102, 102, 119, 231}));
    EXPECT_EQ(bars.Horz, (TacRect{119, 231, 298, 248}));
    EXPECT_EQ(bars.Corner, (TacRect{102, 231, 119, 248}));
    EXPECT_TRUE(SitsInParentCorner(bars, edges, true, TacRect{100, 0, 400, 250}));
    EXPECT_FALSE(SitsInParentCorner(bars, edges, true, TacRect{0, 0, 300, 250}));
    in.Bars = bars;
    in.VertAtLeft = true;
    in.InParentCorner = true;
    EXPECT_EQ(ScrollHitTest(in, 110, 240), htBottomLeft);
    EXPECT_EQ(ScrollHitTest(in, 290, 240), htHScroll);

    // One bar only: no corner.
    bars = ScrollBarRects(window, edges, 17, false, 17, true, false);
    EXPECT_TRUE(bars.Corner.Empty());
    EXPECT_EQ(bars.Vert.Bottom, 248);
}

TEST(ScrollGeometryTest, RepeatScrollsAtPressAfter300MsThenEvery55) {
    using R = TacScrollRepeat;
    // In ticks: the first timer's tick scrolls and hands over to the short timer.
    const R::TStep first = R::Tick(R::FirstTimer);
    EXPECT_TRUE(first.Scrolls);
    EXPECT_EQ(first.Replace, R::NextTimer);
    EXPECT_EQ(first.Interval, 55u);
    const R::TStep next = R::Tick(R::NextTimer);
    EXPECT_TRUE(next.Scrolls);
    EXPECT_EQ(next.Replace, 0u);
    EXPECT_FALSE(R::Tick(R::HoverTimer).Scrolls);
    EXPECT_FALSE(R::Tick(1).Scrolls);
    EXPECT_EQ(R::ScrollsAfter(0), 1);
    EXPECT_EQ(R::ScrollsAfter(299), 1);
    EXPECT_EQ(R::ScrollsAfter(300), 2);
    EXPECT_EQ(R::ScrollsAfter(354), 2);
    EXPECT_EQ(R::ScrollsAfter(355), 3);
    EXPECT_EQ(R::ScrollsAfter(1000), 2 + 700 / 55);
}

TEST(ScrollGeometryTest, HeaderItemTextAndSortMark) {
    const TacRect item{0, 0, 140, 20};
    // Left: text from the inset, mark 6 pixels after the text (extent + 5).
    TacHeaderItemLayout l = LayoutHeaderItem(item, 30, 9, 5, hfLeft, false);
    EXPECT_EQ(l.Text, (TacRect{4, 1, 39, 19}));
    EXPECT_EQ(l.Mark, (TacRect{45, 7, 54, 12}));
    // Right: text and mark end at the inset's right edge.
    l = LayoutHeaderItem(item, 30, 9, 5, hfRight, false);
    EXPECT_EQ(l.Text.Right, 136 - 15);
    EXPECT_EQ(l.Mark.Right, 136);
    // Right without a mark: the text alone ends there.
    l = LayoutHeaderItem(item, 30, 0, 0, hfRight, false);
    EXPECT_EQ(l.Text.Right, 136);
    EXPECT_TRUE(l.Mark.Empty());
    // Centred: text and mark as one block.
    l = LayoutHeaderItem(item, 30, 9, 5, hfCenter, false);
    EXPECT_EQ(l.Text.Left, 4 + (132 - 35 - 15) / 2);
    // A narrow column keeps the mark inside and shortens the text.
    l = LayoutHeaderItem(TacRect{0, 0, 40, 20}, 30, 9, 5, hfLeft, false);
    EXPECT_EQ(l.Mark.Right, 36);
    EXPECT_EQ(l.Text.Right, 36 - 15);
    // Pressed: the text moves by one pixel each way, the mark stays.
    const TacHeaderItemLayout pressed = LayoutHeaderItem(item, 30, 9, 5, hfLeft, true);
    EXPECT_EQ(pressed.Text, (TacRect{5, 2, 40, 20}));
    EXPECT_EQ(pressed.Mark, (TacRect{45, 7, 54, 12}));
}

} // namespace
} // namespace sj
