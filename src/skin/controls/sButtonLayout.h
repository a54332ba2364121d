// Where skinned push buttons and speed buttons put their glyph and caption, which face
// state they show and which image of their list stands for a state, plus the repeat
// timing of auto-repeating arrow buttons. Portable: sizes and flags in, rectangles and
// indexes out; nothing here measures text or touches a window.
#pragma once

#include "platform/Pixmap.h"

namespace sj {

enum class TImageAlignment { iaLeft, iaRight, iaTop, iaBottom, iaCenter };
enum class TsButtonStyle { bsPushButton, bsCommandLink, bsSplitButton };

struct TsImageMargins {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// Push-button states (CurrentState).
inline constexpr int bstNormal = 0;
inline constexpr int bstHot = 1;
inline constexpr int bstPressed = 2;
inline constexpr int bstActiveDefault = 3;

// Glyph states: the four button states plus the disabled one.
inline constexpr int gstDisabled = 4;

// Width of the menu strip at the right of a split button and of a drop-down speed button.
inline constexpr int SplitStripWidth = 16;
// Size a command link reserves for a missing glyph.
inline constexpr int PlaceholderGlyphSize = 32;

struct TsButtonStateInput {
    bool Pushed = false;         // the system button reports the pushed state
    bool ShowPressed = false;    // a quick click asks for the pressed face once more
    bool PointerOver = false;    // the pointer lies over the button
    bool LeftButtonHeld = false; // the left mouse button is down
    bool Down = false;
    bool MenuDropped = false;
    bool Designing = false;
    bool Hot = false; // focused or hovered
    bool ActiveDefault = false;
};

// 0 normal, 1 hot, 2 pressed, 3 active default. A push by keyboard (no mouse button held)
// shows pressed wherever the pointer is; a mouse push only while the pointer is over it.
int ButtonCurrentState(const TsButtonStateInput& in);

// The state whose face is painted: the active default borrows the hot face from sections
// with fewer than four states; otherwise the state is limited to the section's last one.
int ButtonFaceState(int currentState, int sectionStates);

// 4 disabled, 2 pressed, 3 focused, else the current state.
int ButtonGlyphState(bool enabled, int currentState, bool focused);

struct TsButtonImageIndexes {
    int Normal = -1;
    int Hot = -1;
    int Pressed = -1;
    int Selected = -1;
    int Disabled = -1;
};

// The image shown for a glyph state: the state's own index when it names an image of the
// list, else the normal one.
int ButtonGlyphIndex(int glyphState, const TsButtonImageIndexes& indexes, int imageCount);

struct TsButtonLayoutInput {
    int Width = 0;
    int Height = 0;
    int TextWidth = 0; // the measured caption; 0 x 0 when empty
    int TextHeight = 0;
    bool HasGlyph = false; // an image list with a valid image index
    int ImageWidth = 0;    // the list's item size (used only with a glyph)
    int ImageHeight = 0;
    TImageAlignment Alignment = TImageAlignment::iaLeft;
    TsButtonStyle Style = TsButtonStyle::bsPushButton;
    TsImageMargins Margins;
    int ContentMargin = 6;
    bool Pressed = false; // current state 2: everything moves by (1, 1)
};

// The glyph size with its margins; a missing glyph counts as 32 x 32.
int ButtonGlyphWidthWithMargins(const TsButtonLayoutInput& in);
int ButtonGlyphHeightWithMargins(const TsButtonLayoutInput& in);
// The width the caption is measured (and wrapped) in: the width of the caption area;
// the hint of a command link takes the caption's width plus 6.
int ButtonTextMeasureWidth(const TsButtonLayoutInput& in);
int ButtonHintMeasureWidth(const TsButtonLayoutInput& in);

TacRect ButtonCaptionRect(const TsButtonLayoutInput& in);
// Empty (all zero) without a glyph.
TacRect ButtonGlyphRect(const TsButtonLayoutInput& in);

// --- Speed buttons -----------------------------------------------------------------

enum class TsSpeedLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum class TsGroupAlignment { taLeftJustify, taRightJustify, taCenter };

// 2 down, 1 hot, 0 normal.
int SpeedButtonState(bool downOrExclusive, bool hot);

struct TsSpeedLayoutInput {
    int Width = 0;
    int Height = 0;
    int GlyphWidth = 0; // 0 without glyph
    int GlyphHeight = 0;
    int TextWidth = 0; // 0 without caption (or with the caption hidden)
    int TextHeight = 0;
    TsSpeedLayout Layout = TsSpeedLayout::blGlyphLeft;
    TsGroupAlignment Alignment = TsGroupAlignment::taCenter;
    int Margin = -1;
    int Spacing = 4;
    int TextOffset = 0;
    int ArrowWidth = 0; // SplitStripWidth for the drop-down style
    bool Pressed = false;
    bool Reflected = false;
};

struct TsSpeedLayoutResult {
    TacRect Glyph;
    TacRect Caption;
};

// Margin + 3, or 0 for a negative margin.
int SpeedButtonEffectiveMargin(int margin);
// The width a caption is measured in.
int SpeedButtonCaptionWidth(const TsSpeedLayoutInput& in);
// Glyph and caption laid out as one group.
TsSpeedLayoutResult SpeedButtonLayout(const TsSpeedLayoutInput& in);

// The filled triangle of a spin arrow without glyph: base and apex points.
struct TsArrowTriangle {
    int X[3] = {};
    int Y[3] = {};
};
TsArrowTriangle SpinArrowTriangle(int width, int height, bool up);

// Auto-repeat of a held arrow button: the first repeat waits longer than the rest.
inline constexpr unsigned RepeatFirstDelay = 400;
inline constexpr unsigned RepeatInterval = 100;

} // namespace sj
