// Faces of skin sections: the fill of a state (colour, gradient, texture and their
// shares) laid over the backdrop by the state's transparency, then corner images and the
// borders mask, and the per-control colour adjustments; plus the alpha-keeping variants
// for bitmaps shown through layered windows.
//
// Coordinates: rect is painted in target; offset (offsetX, offsetY) is where rect's
// top-left lies in the backdrop's coordinates, so a bitmap backdrop is read at
// (x - rect.Left + offsetX + OffsetX, y - rect.Top + offsetY + OffsetY) for target pixel
// (x, y). A null manager, an invalid section or an empty rect paint nothing; nothing here
// throws, and rectangles are clipped to the target.
#pragma once

#include "platform/Pixmap.h"
#include "skin/data/sSkinHost.h"
#include "skin/paint/sBackdrop.h"

#include <cstdint>
#include <string>

namespace sj {

class TsSkinModel;

// What a control's skin data tells the face painters. The form framework fills it from
// the control's TsCommonData.
struct TsFaceParams {
    std::int32_t SkinIndex = -1; // section index
    std::string SkinSection;     // section name, for texture lookups by name
    std::int32_t BordersIndex = -1;
    std::int32_t TextureIndex = -1;
    std::int32_t HotTextureIndex = -1;
    // The owner control's colour when its skin data asks for a custom colour, else
    // clUnknownColor. System colour codes are accepted.
    std::uint32_t CustomColor = clUnknownColor;
    std::int32_t HUEOffset = 0;
    std::int32_t Saturation = 0;
};

// System colour codes (bit 31 set) met while painting are resolved through this host:
// natively the standard colour scheme, on Windows the system's colours once installed.
void SetPaintSkinHost(TsSkinHost host);
std::uint32_t PaintColorToRGB(std::uint32_t color);

// The fill of rect for `state` of a section over the backdrop. customColor (other than
// clUnknownColor) replaces the section's fill by an opaque plain colour. texture and
// hotTexture are item indexes or -1: -1 looks up the section's "PATTERN" and
// "HOTPATTERN" items, then the skin's pattern images of those names.
void PaintSectionBackground(TacPixelsView target, TacRect rect, const TsSkinModel* manager, std::int32_t sectionIndex,
                            const std::string& sectionName, int state, const TBackdropRef& backdrop, int offsetX,
                            int offsetY, std::uint32_t customColor = clUnknownColor, std::int32_t texture = -1,
                            std::int32_t hotTexture = -1);

// The same for a control: its section, its texture indexes and its custom colour.
void PaintControlBackground(TacPixelsView target, TacRect rect, const TsSkinModel* manager, const TsFaceParams& skin,
                            int state, const TBackdropRef& backdrop, int offsetX, int offsetY);

// A control's face: background, corner images, borders mask, then the hue and
// saturation adjustments over the whole target. rect must lie inside the target.
void PaintControlFace(TacPixelsView target, TacRect rect, const TsSkinModel* manager, const TsFaceParams& skin,
                      int state, bool transparentCorners, const TBackdropRef& backdrop, int offsetX, int offsetY);

// A section's face without colour adjustments: background, the section's corner images
// and borders mask. rect must lie inside the target.
void PaintSectionFace(TacPixelsView target, TacRect rect, const TsSkinModel* manager, std::int32_t sectionIndex,
                      const std::string& sectionName, int state, bool transparentCorners, const TBackdropRef& backdrop,
                      int offsetX, int offsetY, std::int32_t texture = -1, std::int32_t hotTexture = -1);

// A section's background and a given borders item, without corner images. The backdrop
// shows through by T * 255 div 100, and a fill without gradient and texture shares is
// the backdrop colour at full transparency, else the section colour.
void PaintSectionFaceWithItems(TacPixelsView target, TacRect rect, const TsSkinModel* manager,
                               std::int32_t sectionIndex, const std::string& sectionName, std::int32_t bordersIndex,
                               int state, bool transparentCorners, const TBackdropRef& backdrop, int offsetX,
                               int offsetY, std::int32_t texture = -1, std::int32_t hotTexture = -1);

// The face of the section named sectionName, or else of fallbackName, over the whole
// target with a colour backdrop (clear corners show it). Returns the section index used,
// -1 when neither name is found (nothing is painted then).
std::int32_t PaintSectionFaceByName(TacPixelsView target, const TsSkinModel* manager, const std::string& sectionName,
                                    const std::string& fallbackName, std::uint32_t backdropColor, int state);

// The alpha-keeping background: the alpha channel says how much of rect the fill covers.
// stateIndex is 0 (normal values) or 1 (hot). color other than clUnknownColor replaces
// the section's fill by an opaque plain colour. A fully transparent state clears the
// target when rect covers all of it, and paints nothing otherwise. Clear pixels of masked
// textures keep what the target held.
void PaintSectionBackgroundAlpha(TacPixelsView target, TacRect rect, const TsSkinModel* manager,
                                 std::int32_t sectionIndex, int stateIndex, std::uint32_t color = clUnknownColor);

// The alpha-keeping face: background and borders mask; clear border pixels show what
// the target held under rect before. When rect covers the whole target the result is
// premultiplied for a layered window. rect must lie inside the target.
void PaintSectionFaceAlpha(TacPixelsView target, TacRect rect, const TsSkinModel* manager, std::int32_t sectionIndex,
                           int state, bool transparentCorners);

} // namespace sj
