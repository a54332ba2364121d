// The windowless arithmetic of the skinned scroll bars.
#include "skin/controls/acScrollGeometry.h"

#include <algorithm>
#include <cstdlib>

namespace sj {

namespace {

// a * b / c rounded half away from zero, as the system's MulDiv; 0 for c = 0 (callers
// never divide by an empty track, so no -1 sentinel is needed).
int MulDivRound(int a, int b, int c) {
    if (c == 0)
        return 0;
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(static_cast<long long>(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude = (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
    return static_cast<int>(negative ? -magnitude : magnitude);
}

bool Inside(const TacRect& r, int x, int y) {
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

} // namespace

int MaxScrollPos(const TacScrollRange& range) {
    const long long last = range.Page > 0 ? static_cast<long long>(range.Max) - range.Page + 1 : range.Max;
    return static_cast<int>(std::max<long long>(range.Min, last));
}

int BarThickness(int setting, int systemMeasure) {
    return setting >= 0 ? setting : -setting * systemMeasure;
}

int ArrowLength(int setting, int systemArrow, const TacArrowSkin& skin) {
    if (setting >= 0)
        return setting;
    const int times = -setting;
    if (skin.OwnSize && skin.FrameLength >= 0)
        return std::max(0, (skin.FrameLength + systemArrow - 17) * times);
    return times * systemArrow;
}

int UsedArrowLength(int arrow, int length) {
    return 2 * arrow < length ? arrow : std::max(0, length) / 2;
}

TacThumb ThumbGeometry(const TacScrollRange& range, int arrow, int length, int minThumb) {
    TacThumb thumb;
    const int a = UsedArrowLength(arrow, length);
    thumb.Start = a;
    const int track = length - 2 * a;
    if (track <= 0)
        return thumb;
    const long long count = static_cast<long long>(range.Max) - range.Min + 1;
    if (range.Page == 0)
        thumb.Size = a;
    else if (count > 0)
        thumb.Size = std::max(MulDivRound(static_cast<int>(std::min<unsigned>(range.Page, 0x7FFFFFFF)), track,
                                          static_cast<int>(std::min<long long>(count, 0x7FFFFFFF))),
                              minThumb);
    thumb.Shown = thumb.Size > 0 && thumb.Size < track;
    if (!thumb.Shown)
        return thumb;
    const int span = track - thumb.Size;
    const int steps = MaxScrollPos(range) - range.Min;
    const int offset = steps > 0 ? MulDivRound(range.Pos - range.Min, span, steps) : 0;
    thumb.Start = a + std::clamp(offset, 0, span);
    return thumb;
}

int PartAt(const TacScrollRange& range, int arrow, int length, int minThumb, int along, bool inside) {
    if (!inside || along < 0 || along >= length)
        return spNoPart;
    const int d = UsedArrowLength(arrow, length);
    if (along < d)
        return spFirstArrow;
    if (along >= length - d)
        return spSecondArrow;
    const TacThumb thumb = ThumbGeometry(range, arrow, length, minThumb);
    if (!thumb.Shown)
        return spNoPart;
    if (along >= thumb.Start && along < thumb.Start + thumb.Size)
        return spThumb;
    return along < thumb.Start ? spTrackBefore : spTrackAfter;
}

int DragPosition(const TacScrollRange& range, int offset, int span) {
    const int steps = MaxScrollPos(range) - range.Min;
    if (span <= 0 || steps <= 0)
        return range.Min;
    return range.Min + MulDivRound(std::clamp(offset, 0, span), steps, span);
}

int DraggedThumbStart(int pointerAlong, int dragOffset, int arrow, int length, int thumbSize) {
    const int first = arrow;
    const int last = std::max(first, length - arrow - thumbSize);
    return std::clamp(pointerAlong - dragOffset, first, last);
}

TacScrollLayout LayoutScrollBars(const TacRect& window, const TacRect& systemClient, bool wantHorz, bool wantVert,
                                 int horzThickness, int vertThickness, bool vertAtLeft) {
    TacScrollLayout layout;
    layout.Client = systemClient;
    layout.Edges = TacEdges{systemClient.Left - window.Left, systemClient.Top - window.Top,
                            window.Right - systemClient.Right, window.Bottom - systemClient.Bottom};
    if (wantHorz && layout.Client.Height() >= horzThickness) {
        layout.Client.Bottom -= horzThickness;
        layout.HorzShown = true;
    }
    if (wantVert && layout.Client.Width() >= vertThickness) {
        if (vertAtLeft)
            layout.Client.Left += vertThickness;
        else
            layout.Client.Right -= vertThickness;
        layout.VertShown = true;
    }
    return layout;
}

TacBarRects ScrollBarRects(const TacRect& window, const TacEdges& edges, int horzThickness, bool horzShown,
                           int vertThickness, bool vertShown, bool vertAtLeft) {
    const int th = horzShown ? horzThickness : 0;
    const int tv = vertShown ? vertThickness : 0;
    TacBarRects bars;
    bars.Horz.Bottom = window.Bottom - edges.Bottom;
    bars.Horz.Top = bars.Horz.Bottom - th;
    bars.Vert.Top = window.Top + edges.Top;
    bars.Vert.Bottom = window.Bottom - edges.Bottom - th;
    if (vertAtLeft) {
        bars.Horz.Left = window.Left + edges.Left + tv;
        bars.Horz.Right = window.Right - edges.Right;
        bars.Vert.Left = window.Left + edges.Left;
        bars.Vert.Right = bars.Vert.Left + tv;
    } else {
        bars.Horz.Left = window.Left + edges.Left;
        bars.Horz.Right = window.Right - edges.Right - tv;
        bars.Vert.Right = window.Right - edges.Right;
        bars.Vert.Left = bars.Vert.Right - tv;
    }
    if (horzShown && vertShown)
        bars.Corner = TacRect{bars.Vert.Left, bars.Horz.Top, bars.Vert.Right, bars.Horz.Bottom};
    return bars;
}

bool SitsInParentCorner(const TacBarRects& bars, const TacEdges& edges, bool vertAtLeft, const TacRect& parentClient) {
    if (bars.Corner.Empty())
        return false;
    const int bottom = bars.Corner.Bottom + edges.Bottom;
    if (vertAtLeft)
        return bars.Corner.Left - edges.Left == parentClient.Left && bottom == parentClient.Bottom;
    return bars.Corner.Right + edges.Right == parentClient.Right && bottom == parentClient.Bottom;
}

int ScrollHitTest(const TacHitInput& input, int x, int y) {
    if (input.HorzShown && Inside(input.Bars.Horz, x, y))
        return input.HorzEnabled ? htHScroll : htNoWhere;
    if (input.VertShown && Inside(input.Bars.Vert, x, y))
        return input.VertEnabled ? htVScroll : htNoWhere;
    if (input.InParentCorner && Inside(input.Bars.Corner, x, y))
        return input.VertAtLeft ? htBottomLeft : htBottomRight;
    return htPassOn;
}

TacScrollRepeat::TStep TacScrollRepeat::Tick(unsigned id) {
    TStep step;
    if (id == FirstTimer) {
        // The first repeat is due when the delay ends, not one short interval later.
        step.Scrolls = true;
        step.Replace = NextTimer;
        step.Interval = NextDelay;
    } else if (id == NextTimer) {
        step.Scrolls = true;
    }
    return step;
}

int TacScrollRepeat::ScrollsAfter(unsigned elapsed) {
    if (elapsed < FirstDelay)
        return 1;
    return 2 + static_cast<int>((elapsed - FirstDelay) / NextDelay);
}

TacHeaderItemLayout LayoutHeaderItem(const TacRect& item, int textExtent, int markWidth, int markHeight,
                                     int alignment, bool pressed) {
    TacHeaderItemLayout layout;
    const TacRect inner{item.Left + 4, item.Top + 1, item.Right - 4, item.Bottom - 1};
    const bool marked = markWidth > 0 && markHeight > 0;
    const int reserved = marked ? markWidth + 6 : 0;
    const int textWidth = textExtent + 5;
    int left = inner.Left;
    if (alignment == hfRight)
        left = inner.Right - reserved - textWidth;
    else if (alignment == hfCenter)
        left = inner.Left + (inner.Width() - textWidth - reserved) / 2;
    left = std::max(left, inner.Left);
    // A narrow column keeps its mark: the text gives way (and ends in an ellipsis).
    const int right = std::max(left, std::min(left + textWidth, inner.Right - reserved));
    layout.Text = TacRect{left, inner.Top, right, inner.Bottom};
    if (marked) {
        const int top = item.Top + (item.Height() - markHeight) / 2;
        layout.Mark = TacRect{right + 6, top, right + 6 + markWidth, top + markHeight};
    }
    if (pressed) {
        layout.Text.Left += 1;
        layout.Text.Right += 1;
        layout.Text.Top += 1;
        layout.Text.Bottom += 1;
    }
    return layout;
}

} // namespace sj
