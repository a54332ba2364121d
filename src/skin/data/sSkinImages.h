// Builds the image part of a skin model: the master image, one image item per image
// value of the description, JPEG patterns, the cached standard indexes and the
// extended-border images.
#pragma once

#include "skin/data/acCommonSections.h"
#include "skin/data/acMemIni.h"
#include "skin/data/sSkinFiles.h"
#include "skin/data/sSkinModel.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace sj {

// Image decoders; each returns straight (not premultiplied) 32-bit pixels and throws
// sj::Exception on bad data, EImageTooLarge (acImageCommon.h) for an image of more
// than `maxPixels` pixels, before allocating it.
struct TsImageDecoders {
    using TDecoder = std::function<TacPixmap(std::span<const std::uint8_t>, std::int64_t maxPixels)>;
    TDecoder Bmp;
    TDecoder Png;
    TDecoder Jpeg;
};

// The program's decoders of BMP, PNG and JPEG files.
TsImageDecoders StandardImageDecoders();

// Bits per pixel recorded in a BMP file's header, 0 when the header is not readable.
int BmpBitsPerPixel(std::span<const std::uint8_t> bytes);

// Below 32 bits a decoded BMP has no alpha of its own: the key colour becomes clear
// (alpha 0) and every other pixel opaque.
void SetOpaqueExceptKey(TacPixmap& image);

// The treatment of PNG images of skins: pure white with alpha 0 becomes 0; in skins
// newer than 7.45 every other pixel is premultiplied by its alpha (>> 8).
void PrepareSkinPng(TacPixmap& image, double skinVersion);

// Pixels exactly 0x00FFFFFF become 0 (border images of older skins, built-in images).
void ClearTransparentWhite(TacPixmap& image);

// How many pixels the decoded images of one skin may hold together (128 MB). A package
// can name a small member that claims a big image many times over; a skin past this is
// damaged and does not load. The internal skins need below 1 MB; this leaves room for
// several screen-sized background pictures.
inline constexpr std::int64_t SkinImagePixelBudget = std::int64_t{1} << 25;

// "The skin's images need more than 128 MB of memory"
std::string SkinImagesTooLargeText(std::int64_t budgetPixels);

struct TsImageLoadContext {
    const TacMemIni& Description;
    const TsSkinFiles& Files;
    const TsImageDecoders& Decoders;
    const TacCommonSections* CommonSections = nullptr; // the manager's extra lines, or none
    std::vector<std::string> CommonSectionLines;       // the same lines as text
    std::int64_t ImagePixelBudget = SkinImagePixelBudget;
    // Pixels of the images decoded so far; the loading steps add to it in turn.
    mutable std::int64_t ImagePixelsUsed = 0;
};

// Master image and image items (clears the previous ones first). Decoding an image past
// the context's budget throws the message of SkinImagesTooLargeText.
void LoadImageItems(const TsImageLoadContext& context, TsSkinModel& model);
// JPEG patterns, and image items for JPEG images below 900000 pixels.
void LoadJpegPatterns(const TsImageLoadContext& context, TsSkinModel& model);

// The built-in extended-border images, used when a skin has no "EXBORDER".
struct TsBuiltinBorders {
    TacPixmap Active;
    TacPixmap Inactive;
};

// Standard indexes, section image indexes, then the extended-border images.
// `extBordersUsable` is the manager's setting (active and usable).
void CacheStandardIndexes(TsSkinModel& model, bool extBordersUsable, const TsBuiltinBorders& builtins);
// The copies of an item's frames hold only what lies inside the item's image.
void PrepareExtBorderImages(TsSkinModel& model, bool extBordersUsable, const TsBuiltinBorders& builtins);

} // namespace sj
