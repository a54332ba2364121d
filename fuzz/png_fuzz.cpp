// Feeds arbitrary bytes to the PNG decoder and draws what it decodes. Decoding may
// only fail with EInvalidGraphic; anything else (a crash, a sanitizer report, another
// exception) is a finding.
#include "skin/paint/acPNG.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        sj::TPNGGraphic png;
        png.LoadFromBytes({data, size});
        sj::TacPixmap canvas(24, 24, 0xFF808080);
        png.SetReflected(size % 2 == 1);
        png.Draw(canvas.View(), {-3, 2, 17, 20});
    } catch (const sj::EInvalidGraphic&) {
    }
    return 0;
}
