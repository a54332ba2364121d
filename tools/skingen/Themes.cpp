#include "Theme.h"

namespace sj::skingen {
namespace {

using B = TTitleButtons;
using C = TCheckMark;
using X = TTexture;

TSkinTheme Make(const char* name, unsigned window, unsigned title, unsigned accent, int radius, int titleRadius,
                float gloss, float depth, B buttons, C check, X texture, unsigned features) {
    TSkinTheme t;
    t.Name = name;
    t.Window = window;
    t.Title = title;
    t.Accent = accent;
    t.Radius = radius;
    t.TitleRadius = titleRadius;
    t.Gloss = gloss;
    t.Depth = depth;
    t.Buttons = buttons;
    t.Check = check;
    t.Texture = texture;
    t.Features = features;
    return t;
}

TSkinTheme Zest() {
    // The start-up skin: warm light grey with a lime title.
    TSkinTheme t = Make("Zest", 0xE7E7DC, 0xA8C84A, 0x5E9A1C, 3, 6, 0.45f, 0.35f, B::Tile, C::Tick, X::None,
                        tfFlatTools | tfTextShadow);
    t.ButtonFace = 0xF3F3E8;
    t.BorderWidth = 5;
    t.TitleHeight = 31;
    t.MaxHeight = 28;
    t.TitleButtonWidth = 23;
    t.TitleButtonHeight = 19;
    t.Classic = true;
    t.Description = "Warm grey with a lime caption";
    return t;
}

std::vector<TSkinTheme> MakeThemes() {
    std::vector<TSkinTheme> all;
    all.push_back(Zest());
    auto add = [&](TSkinTheme t, int border, int title, const char* version, int buttonWidth = 25,
                   int buttonHeight = 19) {
        t.BorderWidth = border;
        t.TitleHeight = title;
        t.Version = version;
        t.TitleButtonWidth = buttonWidth;
        t.TitleButtonHeight = buttonHeight;
        all.push_back(std::move(t));
    };
    // Light and neutral.
    add(Make("Harbor Mist", 0xE4E9EE, 0x2F4F6F, 0x3D7EBF, 3, 6, 0.3f, 0.3f, B::Tile, C::Tick, X::None,
             tfFlatTools | tfDarkTitle),
        4, 28, "8.00");
    add(Make("Glacier Pane", 0xEEF4F8, 0x9CC8E8, 0x2A83C9, 4, 8, 0.8f, 0.5f, B::Square, C::Tick, X::None,
             tfControlGlow),
        4, 29, "8.00", 26, 19);
    add(Make("Orchid Veil", 0xF1E9F1, 0xB886B8, 0x8E3F8E, 5, 8, 0.4f, 0.3f, B::Orb, C::Tick, X::None,
             tfFlatTools | tfCaptionPill),
        4, 28, "7.80", 18, 18);
    add(Make("Citrine Flat", 0xF5F1DC, 0xE8C547, 0xB0780A, 2, 4, 0.0f, 0.0f, B::Flat, C::Block, X::None, tfFlatTools),
        3, 27, "8.00", 30, 22);
    add(Make("Cobalt Ledger", 0xF2F4F7, 0x1F4FA8, 0x1F4FA8, 3, 5, 0.5f, 0.4f, B::Tile, C::Tick, X::None,
             tfDarkTitle | tfTextShadow | tfBmpButton),
        4, 28, "8.00");
    add(Make("Paper Quill", 0xF7F5EF, 0xE9E4D6, 0x6B5B3E, 2, 3, 0.0f, 0.05f, B::Flat, C::Cross, X::None, tfFlatTools),
        3, 26, "8.00", 30, 22);
    add(Make("Coral Reef", 0xF6ECE8, 0xE9826B, 0xC8462C, 4, 7, 0.5f, 0.35f, B::Tile, C::Tick, X::None, tfFlatTools), 4,
        28, "8.00");
    add(Make("Sage Garden", 0xE6ECE2, 0x8DAA86, 0x4E7A45, 3, 5, 0.0f, 0.15f, B::Flat, C::Tick, X::None,
             tfFlatTools | tfFreeForm),
        4, 27, "8.00", 28, 21);
    add(Make("Porcelain Blue", 0xF8FAFC, 0xDCE6F2, 0x3368B5, 5, 9, 0.9f, 0.4f, B::Orb, C::Tick, X::None, tfFlatTools),
        4, 28, "8.05", 18, 18);
    add(Make("Meadow Dew", 0xEAF3E3, 0x7DBA5A, 0x3F8A24, 4, 7, 0.85f, 0.55f, B::Square, C::Tick, X::None, 0), 4, 29,
        "8.00", 24, 19);
    add(Make("Dune Drift", 0xEFE6D6, 0xC9AE84, 0x8C6A36, 2, 4, 0.0f, 0.1f, B::Flat, C::Block, X::None, tfFlatTools), 4,
        27, "8.00", 28, 21);
    add(Make("Lilac Haze", 0xEEEAF6, 0xA99BD6, 0x6A55B8, 6, 10, 0.35f, 0.3f, B::Orb, C::Tick, X::None, tfCaptionPill),
        4, 30, "8.00", 19, 19);
    add(Make("Frost Line", 0xF3F5F7, 0xF3F5F7, 0x4A90C2, 1, 0, 0.0f, 0.0f, B::Flat, C::Tick, X::None,
             tfFlatTools | tfPlainBmp),
        1, 30, "8.00", 34, 24);
    add(Make("Pistachio Cream", 0xF0F3E0, 0xB5C97A, 0x6D8A1E, 4, 6, 0.5f, 0.35f, B::Tile, C::Tick, X::None, tfPngTabs),
        4, 28, "7.62");
    add(Make("Quartz Rose", 0xF2E9EA, 0xC79EA3, 0x9C4F5A, 4, 7, 0.3f, 0.3f, B::Square, C::Cross, X::None, 0), 4, 28,
        "8.00", 24, 19);
    add(Make("Ash Grid", 0xE9E9E9, 0xCFCFCF, 0x5A5A5A, 0, 0, 0.0f, 0.0f, B::Square, C::Block, X::None,
             tfFlatTools | tfFreeForm),
        3, 26, "8.00", 24, 20);
    add(Make("Skyline Air", 0xF4F8FC, 0x5AA0E0, 0x2A78C8, 2, 4, 0.0f, 0.05f, B::Flat, C::Tick, X::None,
             tfFlatTools | tfDarkTitle),
        2, 30, "8.10", 32, 23);
    add(Make("Saffron Silk", 0xF7EFE2, 0xE39B3A, 0xB8620F, 4, 7, 0.6f, 0.45f, B::Tile, C::Tick, X::None, tfTextShadow),
        4, 28, "8.00");
    add(Make("Redwood Lodge", 0xEFE7E1, 0x8E2F25, 0xA03A2C, 3, 6, 0.35f, 0.4f, B::Tile, C::Tick, X::None,
             tfDarkTitle | tfTextShadow),
        5, 29, "8.00");
    add(Make("Marina Deck", 0xEDF1F5, 0x163E6B, 0x1F6FB8, 4, 6, 0.45f, 0.35f, B::Tile, C::Tick, X::None,
             tfExBorder | tfDarkTitle | tfPngTitleButtons),
        4, 28, "8.00");
    add(Make("Honeycomb Amber", 0xF3E7C9, 0xD9A23A, 0x9A6A0C, 3, 5, 0.5f, 0.4f, B::Square, C::Block, X::None,
             tfFlatTools),
        4, 28, "8.00", 24, 19);
    add(Make("Sandstone Court", 0xE8DCC6, 0xB08E5C, 0x7E5A2A, 3, 5, 0.2f, 0.3f, B::Tile, C::Tick, X::Jpeg,
             tfTextShadow),
        4, 28, "8.00");
    add(Make("Tidewater", 0xE3ECEF, 0x3F7F93, 0x1E7590, 3, 6, 0.4f, 0.35f, B::Tile, C::Tick, X::None,
             tfDarkTitle | tfBmpButton),
        4, 28, "8.00");
    // Dark.
    add(Make("Ember Forge", 0x2B2B2E, 0x3A3A3E, 0xE8772E, 3, 6, 0.3f, 0.3f, B::Tile, C::Tick, X::None,
             tfFlatTools | tfTitleGlow),
        4, 28, "8.00");
    add(Make("Nocturne Velvet", 0x1E2233, 0x2C3250, 0x8B7CF6, 5, 8, 0.5f, 0.35f, B::Orb, C::Tick, X::None,
             tfControlGlow | tfTitleGlow),
        4, 29, "8.00", 18, 18);
    add(Make("Slate Quarry", 0x3C4148, 0x2F343A, 0x6FA8DC, 2, 4, 0.0f, 0.05f, B::Flat, C::Block, X::None, tfFlatTools),
        3, 27, "8.00", 30, 22);
    add(Make("Midnight Inkwell", 0x14171F, 0x0E1118, 0x3D8BFF, 3, 5, 0.2f, 0.2f, B::Flat, C::Tick, X::None,
             tfFlatTools | tfTitleGlow),
        3, 28, "8.00", 30, 22);
    add(Make("Copperleaf", 0x2E2622, 0x4A3429, 0xC8783C, 4, 7, 0.45f, 0.4f, B::Tile, C::Tick, X::None, tfTextShadow), 4,
        28, "8.00");
    add(Make("Fjord Night", 0x1F2D33, 0x24434D, 0x3FB8B0, 3, 6, 0.35f, 0.3f, B::Square, C::Tick, X::None, tfFlatTools),
        4, 28, "8.00", 24, 19);
    add(Make("Graphite Gloss", 0x34363A, 0x45484E, 0x9AB8D8, 4, 7, 0.9f, 0.5f, B::Square, C::Tick, X::None,
             tfControlGlow),
        4, 29, "8.00", 24, 19);
    add(Make("Plum Cellar", 0x2A1F2D, 0x4A2E52, 0xC87AD6, 4, 7, 0.4f, 0.3f, B::Orb, C::Tick, X::None,
             tfCaptionPill | tfTitleGlow),
        4, 28, "8.00", 18, 18);
    add(Make("Ironbark", 0x3A352F, 0x2C2824, 0xB89A5E, 2, 4, 0.1f, 0.25f, B::Tile, C::Cross, X::Lines,
             tfFlatTools | tfTextShadow),
        5, 28, "7.80");
    add(Make("Aurora Veil", 0x1A2426, 0x203538, 0x49D6A8, 5, 8, 0.35f, 0.35f, B::Orb, C::Tick, X::None,
             tfExBorder | tfBorderMode | tfTitleGlow),
        4, 28, "8.00", 18, 18);
    add(Make("Basalt Core", 0x232323, 0x1A1A1A, 0xB0B0B0, 1, 2, 0.0f, 0.0f, B::Flat, C::Block, X::None, tfFlatTools), 2,
        27, "8.00", 32, 23);
    add(Make("Cinder Glow", 0x261E1E, 0x3A2424, 0xE0493A, 3, 6, 0.3f, 0.3f, B::Tile, C::Cross, X::None,
             tfTitleGlow | tfFreeForm),
        4, 28, "8.00");
    add(Make("Evergreen Lodge", 0x1F2A22, 0x2B4A33, 0x6CC27A, 3, 6, 0.4f, 0.35f, B::Tile, C::Tick, X::None,
             tfFlatTools | tfTextShadow),
        4, 28, "8.00");
    add(Make("Denim Stitch", 0x2A3447, 0x34466A, 0x7FA7E0, 3, 5, 0.25f, 0.3f, B::Square, C::Tick, X::None, tfFlatTools),
        4, 28, "8.00", 24, 19);
    add(Make("Velvet Wine", 0x2B1A20, 0x5A2234, 0xD65A7E, 5, 8, 0.55f, 0.4f, B::Tile, C::Tick, X::None,
             tfTextShadow | tfBmpButton),
        4, 29, "8.00");
    add(Make("Obsidian Pulse", 0x101214, 0x181B1F, 0x2FD3E0, 4, 7, 0.85f, 0.45f, B::Square, C::Tick, X::None,
             tfControlGlow | tfTitleGlow),
        4, 29, "8.00", 24, 19);
    // Mid-tone bodies with coloured captions.
    add(Make("Steelwork", 0xC9CED4, 0x5C6B7A, 0x2F6DA3, 2, 4, 0.6f, 0.45f, B::Square, C::Tick, X::None, tfDarkTitle), 4,
        28, "8.00", 24, 19);
    add(Make("Lagoon Glass", 0xD5EDEE, 0x2AA3AE, 0x0E7C87, 5, 8, 0.75f, 0.45f, B::Orb, C::Tick, X::None,
             tfControlGlow | tfFlatTools),
        4, 29, "8.00", 18, 18);
    add(Make("Moss Bank", 0xC9D2B8, 0x5D6E3C, 0x4D6B1E, 3, 5, 0.2f, 0.3f, B::Tile, C::Tick, X::None,
             tfDarkTitle | tfTextShadow),
        4, 28, "8.00");
    return all;
}

} // namespace

const std::vector<TSkinTheme>& AllThemes() {
    static const std::vector<TSkinTheme> themes = MakeThemes();
    return themes;
}

} // namespace sj::skingen
