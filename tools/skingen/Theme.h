// The short definition from which one internal skin is drawn: a few base colours,
// shapes and effects. Every other colour of the skin is derived from these.
#pragma once

#include <string>
#include <vector>

namespace sj::skingen {

enum class TTitleButtons { Tile, Orb, Flat, Square };
enum class TCheckMark { Tick, Cross, Block };
enum class TTexture { None, Noise, Lines, Weave, Jpeg, Paper };

// Optional looks and the less common image forms; each skin picks a few.
enum TThemeFeature : unsigned {
    tfControlGlow = 1u << 0,      // hover glow images for buttons, edits and title buttons
    tfTextShadow = 1u << 1,       // caption text drawn with a one-pixel contour
    tfTitleGlow = 1u << 2,        // caption text with a glow
    tfExBorder = 1u << 3,         // own extended border image
    tfBorderMode = 1u << 4,       // ... that replaces the whole frame
    tfBmpButton = 1u << 5,        // push button frames in their own bitmap file
    tfPngTabs = 1u << 6,          // tab frames in their own PNG file
    tfFreeForm = 1u << 7,         // panel and group frames written in the free "#" form
    tfPlainBmp = 1u << 8,         // panel frame given as a whole bitmap file
    tfCaptionPill = 1u << 9,      // a plate behind the caption text
    tfFlatTools = 1u << 10,       // tool buttons show no frame until hovered
    tfDarkTitle = 1u << 11,       // dark title on a light body: title glyphs light
    tfPngTitleButtons = 1u << 12, // title buttons in their own PNG files
};

struct TSkinTheme {
    std::string Name;    // without the " (internal)" suffix
    unsigned Window = 0; // 0xRRGGBB
    unsigned Title = 0;  // 0xRRGGBB, active caption
    unsigned Accent = 0; // 0xRRGGBB, selection and highlights
    int Radius = 3;      // corner radius of controls
    int TitleRadius = 6; // corner radius of the window
    float Gloss = 0.0f;  // 0 flat .. 1 strong highlight on the upper half
    float Depth = 0.3f;  // 0 flat faces .. 1 strong top-to-bottom gradients
    TTitleButtons Buttons = TTitleButtons::Tile;
    TCheckMark Check = TCheckMark::Tick;
    TTexture Texture = TTexture::None;
    unsigned Features = 0;
    int BorderWidth = 4;
    int TitleHeight = 28;
    int MaxHeight = 0;         // caption height of a maximised window; 0: three pixels less
    int TitleButtonWidth = 25; // big title buttons, one state frame
    int TitleButtonHeight = 19;
    unsigned ButtonFace = 0; // 0xRRGGBB of push buttons; 0: derived from the window colour
    bool Classic = false;    // hard-edged (key colour) check boxes and a 5 x 5 edit frame at the
                             // top left of the master image
    std::string Version = "8.00";
    std::string Description;

    bool Has(TThemeFeature f) const { return (Features & f) != 0; }
    std::string FullName() const { return Name + " (internal)"; }
};

const std::vector<TSkinTheme>& AllThemes();

} // namespace sj::skingen
