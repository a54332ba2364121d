// Feeds arbitrary bytes to the BMP decoder, with both alpha rules. Decoding may only
// fail with EInvalidGraphic; anything else is a finding.
#include "skin/paint/acBmpImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto rule = size % 2 == 0 ? sj::TacNoAlpha::KeyClear : sj::TacNoAlpha::Opaque;
        const sj::TacBmpImage image = sj::ReadBmp({data, size}, rule);
        if (image.Pixels.Empty())
            __builtin_trap(); // a successful decode always has pixels
    } catch (const sj::EInvalidGraphic&) {
    }
    return 0;
}
