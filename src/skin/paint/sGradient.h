// Gradient fills of skin sections: vertical or horizontal bands of colour steps, four
// triangles meeting in the centre, and the one-pass mix of a gradient with a tiled
// texture. Pixels are written opaque unless an alpha is given; rectangles are clipped
// to the target and nothing here throws.
#pragma once

#include "platform/Pixmap.h"
#include "skin/data/acGradData.h"

#include <cstdint>
#include <span>

namespace sj {

// A corner of a triangle handed to the triangle fill: colour components are 16-bit
// (the 8-bit value times 256), as the system's triangle gradient fill takes them.
struct TacTriVertex {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::uint16_t Red = 0;
    std::uint16_t Green = 0;
    std::uint16_t Blue = 0;
    std::uint16_t Alpha = 0;
};

// Three indexes into the vertex list.
struct TacTriangle {
    std::uint32_t V1 = 0;
    std::uint32_t V2 = 0;
    std::uint32_t V3 = 0;
};

using TacTriangleFill = void (*)(TacPixelsView target, std::span<const TacTriVertex> vertices,
                                 std::span<const TacTriangle> triangles);

// The portable triangle fill, the default: every pixel whose centre lies in a triangle
// takes the colours of the corners interpolated by barycentric weights.
void FillGradientTriangles(TacPixelsView target, std::span<const TacTriVertex> vertices,
                           std::span<const TacTriangle> triangles);

// The Windows side installs a wrapper over the system's gradient fill here; with none
// installed the triangle mode draws nothing, as on systems without that function.
void SetTriangleGradientFill(TacTriangleFill fill);
TacTriangleFill TriangleGradientFill();

// Whether DrawGradient can paint these steps at all (something to paint, and for the
// triangle mode a triangle fill installed).
bool CanDrawGradient(const TsGradArray& steps);

// Paints rect with the steps; the first step's Mode chooses the layout. Modes other
// than 1 and 2 paint vertical bands.
void DrawGradient(TacPixelsView target, TacRect rect, const TsGradArray& steps);

// The gradient mixed with a texture in one pass: each gradient channel g becomes
// g + floor(weight * (t - g) / 256), t the texture pixel tiled from the target's origin,
// and the alpha byte becomes alpha. Without texture pixels the plain gradient is drawn.
void DrawGradientWithTexture(TacPixelsView target, TacRect rect, const TsGradArray& steps, std::uint8_t alpha,
                             int weight, TacRect textureRect, TacPixelsView texture);

} // namespace sj
