// Gradient steps of a skin section, parsed from text such as
// "16777215;14477287;97;0;0;14477287;14477287;0;0;0": numbers in groups of five
// (colour 1; colour 2; percent; mode; an unused fifth number).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace sj {

struct TsGradPie {
    std::int32_t Color1 = 0;  // 0x00BBGGRR, never negative
    std::int32_t Color2 = 0;  // 0x00BBGGRR, never negative
    std::int32_t Percent = 0; // the step's share of the painted length, 0..100
    std::int32_t Mode = 0;    // of the first step only: 0 vertical bands, 1 horizontal, 2 triangles

    bool operator==(const TsGradPie&) const = default;
};

using TsGradArray = std::vector<TsGradPie>;

// Text shorter than 2 characters gives no steps; a remainder of fewer than five fields
// is dropped unread ("N/A" gives none). A read number that is not a decimal integer throws
// sj::Exception("'x' is not a valid integer value").
TsGradArray ParseGradientData(std::string_view text);

} // namespace sj
