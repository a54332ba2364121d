// The portable halves of skinned text: the grey image and Gaussian blur behind the text
// glow, the compositing of a rendered glow or text layer into a 32-bit bitmap without
// losing its alpha, and the shortening of a caption to a width. Rendering the text
// itself is the platform's: it comes in through callbacks and scratch images.
//
// Colours are 0x00BBGGRR (TColor); pixels 0xAARRGGBB. Nothing here throws, reads or
// writes outside a bitmap.
#pragma once

#include "platform/Pixmap.h"
#include "skin/paint/sGraphUtils.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sj {

// An 8-bit single-channel image, rows top-down: the glow's ink, 0 = full ink, 255 = none.
class TacGrayImage {
public:
    TacGrayImage() = default;
    TacGrayImage(int width, int height, std::uint8_t fill = 255) { SetSize(width, height, fill); }

    void SetSize(int width, int height, std::uint8_t fill = 255) {
        FWidth = width > 0 && height > 0 ? width : 0;
        FHeight = FWidth > 0 ? height : 0;
        FPixels.assign(static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight), fill);
    }

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FPixels.empty(); }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < FWidth && y < FHeight; }

    std::uint8_t* Row(int y) { return FPixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth); }
    const std::uint8_t* Row(int y) const {
        return FPixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth);
    }
    std::uint8_t& At(int x, int y) { return Row(y)[x]; }
    std::uint8_t At(int x, int y) const { return Row(y)[x]; }

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<std::uint8_t> FPixels;
};

// Contour bits of the glow, drawn in this order: one pixel left, up, right, down.
inline constexpr unsigned tcLeft = 1;
inline constexpr unsigned tcTop = 2;
inline constexpr unsigned tcRight = 4;
inline constexpr unsigned tcBottom = 8;
inline constexpr unsigned tcAll = 15;

// Blurs the image in place with a Gaussian of `sigma`: a 201-tap kernel cut where its
// two tails reach 1/510 of the weight (never below radius 1), rows then columns, edge
// pixels repeated, results truncated. A sigma that is not positive leaves the image.
void GaussianBlur(TacGrayImage& image, double sigma);

// The normalised taps -j..+j of that kernel (2j + 1 values), exposed for tests.
std::vector<float> GaussianKernel(double sigma);

// Draws the text in black into the white image at each of the rectangles, in order
// (the font and the format flags are the renderer's).
using TacGlowTextRenderer = std::function<void(TacGrayImage& image, const std::vector<TacRect>& places)>;

// The size of the glow image DrawBlurredText needs for rect and radius.
void BlurImageSize(TacRect rect, int radius, int& width, int& height);

// The text glow: renders the text (and the contours selected by tc... bits) into
// blurImage and blurs it by radius, unless blurImage already has the size this call
// needs: then it is used as it is and render is not called. The caller keeps blurImage
// between paints and empties it when the text, font, rectangle or radius changes.
void DrawBlurredText(TacPixelsView target, TacRect rect, TacGrayImage& blurImage, TColor color, std::uint8_t radius,
                     unsigned contours, const TacGlowTextRenderer& render);

// Lays a finished glow image over the target: image pixel (x, y) lands at rect's top-left
// + (1, 1) + (x, y) - (radius + 4, radius + 4). Each ink value v other than 255 moves the
// colour channels toward the colour by (255 - v) / 255 and grows alpha likewise.
void CompositeBlurredText(TacPixelsView target, TacRect rect, const TacGrayImage& blurImage, TColor color,
                          std::uint8_t radius);

// Lays one text layer, rendered black on white into scratch (rect's size), over the
// target at rect's top-left: a black pixel gives the colour, grey edges keep part of the
// target, every touched pixel becomes opaque; white pixels leave the target alone.
void CompositeTextLayer(TacPixelsView target, TacRect rect, TacPixelsView scratch, TColor color);

// The width of a text in the caption font.
using TacTextMeasure = std::function<int(const std::string& text)>;

// text when it fits maxWidth; otherwise its longest start that fits with "..." after
// it, or empty (no dots) when not even one character fits. maxWidth <= 0 gives empty.
std::string TruncateText(const std::string& text, int maxWidth, const TacTextMeasure& measure);

} // namespace sj
