// The arithmetic of the skinned scroll bars, without a window: bar thickness and arrow
// length, where the bars go in the non-client area, the thumb's size and place, which
// part lies under a point, the position a dragged thumb stands for and the repeat
// timing of a held arrow. One arrow length serves painting, hit testing and dragging,
// so the user always presses what is drawn. Portable.
#pragma once

#include "platform/Pixmap.h"

#include <cstdint>

namespace sj {

// Bar kinds.
inline constexpr int sbKindHorz = 0;
inline constexpr int sbKindVert = 1;

// Parts of a bar; each is also the scroll code a press sends.
inline constexpr int spNoPart = -1;
inline constexpr int spFirstArrow = 0;  // left or up: SB_LINEUP
inline constexpr int spSecondArrow = 1; // right or down: SB_LINEDOWN
inline constexpr int spTrackBefore = 2; // SB_PAGEUP
inline constexpr int spTrackAfter = 3;  // SB_PAGEDOWN
inline constexpr int spThumb = 5;       // SB_THUMBTRACK while dragging

// Non-client hit codes the bars answer (the system's values).
inline constexpr int htPassOn = -1; // not over a bar: the window's own answer stands
inline constexpr int htNoWhere = 0;
inline constexpr int htHScroll = 6;
inline constexpr int htVScroll = 7;
inline constexpr int htBottomLeft = 16;
inline constexpr int htBottomRight = 17;

inline constexpr int DefaultMinThumbSize = 10;

// A window's scroll information as the adapter reads it.
struct TacScrollRange {
    int Min = 0;
    int Max = 0;
    unsigned Page = 0;
    int Pos = 0;
    int TrackPos = 0;
};

// The last position a user can scroll to: Max - Page + 1 with a page, else Max (never
// below Min).
int MaxScrollPos(const TacScrollRange& range);

// setting >= 0 is used as it is; a negative setting -n means n times the system measure.
int BarThickness(int setting, int systemMeasure);

// What the skin says about arrow buttons: whether "SCROLLBTNLEFT" asks for its own arrow
// size (ReservedBoolean) and the frame length of its borders image along the bar (-1:
// no such image).
struct TacArrowSkin {
    bool OwnSize = false;
    int FrameLength = -1;
};
// Arrow length: setting >= 0 directly; else, with a skin that asks for its own size and
// has the image, (frame length + A - 17) times -setting; else -setting times A.
int ArrowLength(int setting, int systemArrow, const TacArrowSkin& skin);

// The arrow length a bar of `length` pixels really uses: the whole arrow while two fit,
// else half the bar each.
int UsedArrowLength(int arrow, int length);

// Thumb of a bar: size and start (in the bar's coordinates, from the bar's first pixel).
struct TacThumb {
    int Size = 0;
    int Start = 0;
    // A thumb exists when it fits strictly inside the track; a thumb as long as the
    // track leaves nothing to drag and nothing to page.
    bool Shown = false;
};
TacThumb ThumbGeometry(const TacScrollRange& range, int arrow, int length, int minThumb);

// The part at `along` pixels from the bar's first pixel (across: inside the bar's
// thickness or not).
int PartAt(const TacScrollRange& range, int arrow, int length, int minThumb, int along, bool inside);

// The position a thumb whose start lies `offset` pixels into the track stands for;
// `span` is the track's length less the thumb's. The inverse of ThumbGeometry's
// placement, offset by the range's minimum and clamped to the reachable positions.
int DragPosition(const TacScrollRange& range, int offset, int span);

// The thumb's start (from the bar's first pixel) while dragged: the pointer less the
// offset taken at the press, kept within the track.
int DraggedThumbStart(int pointerAlong, int dragOffset, int arrow, int length, int thumbSize);

// Window edges measured at the last layout (the window's own border on each side).
struct TacEdges {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// The non-client layout: client rectangle after the system's layout, with the bars'
// space taken from it. Thicknesses are the bars' BarThickness.
struct TacScrollLayout {
    TacRect Client;
    TacEdges Edges;
    bool HorzShown = false;
    bool VertShown = false;
};
TacScrollLayout LayoutScrollBars(const TacRect& window, const TacRect& systemClient, bool wantHorz, bool wantVert,
                                 int horzThickness, int vertThickness, bool vertAtLeft);

// Bar and corner rectangles in the coordinates of `window`.
struct TacBarRects {
    TacRect Horz;
    TacRect Vert;
    TacRect Corner; // empty unless both bars are shown
};
TacBarRects ScrollBarRects(const TacRect& window, const TacEdges& edges, int horzThickness, bool horzShown,
                           int vertThickness, bool vertShown, bool vertAtLeft);

// Whether the window's outer corner (the corner square's outer edge plus the window's
// own border) lies on the parent's client corner: bottom-right, or bottom-left with the
// vertical bar at the left. Both in the same coordinates.
bool SitsInParentCorner(const TacBarRects& bars, const TacEdges& edges, bool vertAtLeft, const TacRect& parentClient);

// The non-client hit answer of the bars: htHScroll/htVScroll (htNoWhere for a disabled
// bar), the sizing corner when the window sits in its parent's corner, else htPassOn.
struct TacHitInput {
    TacBarRects Bars;
    bool HorzShown = false;
    bool VertShown = false;
    bool HorzEnabled = true;
    bool VertEnabled = true;
    bool InParentCorner = false;
    bool VertAtLeft = false;
};
int ScrollHitTest(const TacHitInput& input, int x, int y);

// Held arrows and tracks: one scroll at the press, the first repeat after 300 ms, then
// one every 55 ms, all counted in timer ticks.
struct TacScrollRepeat {
    static constexpr unsigned FirstTimer = 0xFFFD;
    static constexpr unsigned NextTimer = 0xFFFE;
    static constexpr unsigned FirstDelay = 300;
    static constexpr unsigned NextDelay = 55;
    static constexpr unsigned HoverTimer = 0xFFF2;
    static constexpr unsigned HoverDelay = 20;

    // What a tick of timer `id` does: whether it scrolls, and the timer to run on with
    // (0 keeps the one that ticked).
    struct TStep {
        bool Scrolls = false;
        unsigned Replace = 0;
        unsigned Interval = 0;
    };
    static TStep Tick(unsigned id);
    // Scrolls sent after holding for `elapsed` milliseconds, the press included.
    static int ScrollsAfter(unsigned elapsed);
};

// Where text and sort mark go inside a column header item: the text rectangle is the
// item inset by 4 and 1; a mark reserves its width + 6 after the text, whose width is
// its extent + 5. Right-aligned items end at the right less the mark's share, centred
// ones centre text and mark together, others start at the left. The mark's left lies 6
// pixels after the text, centred vertically in the item; a pressed item's text (only)
// moves by (1, 1).
inline constexpr int hfLeft = 0;
inline constexpr int hfRight = 1;
inline constexpr int hfCenter = 2;
struct TacHeaderItemLayout {
    TacRect Text;
    TacRect Mark; // empty without a mark
};
TacHeaderItemLayout LayoutHeaderItem(const TacRect& item, int textExtent, int markWidth, int markHeight,
                                     int alignment, bool pressed);

} // namespace sj
