#include "skin/paint/acJpegImage.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>

namespace sj {

namespace {

constexpr const char* JpegFormat = "JPEG";

// Huffman-coded data needs at least one bit for every 8 x 8 block it codes, and some
// block of every 16 x 16 pixels is coded, so no real file holds more than about 2048
// pixels per byte. libjpeg fills whatever data is missing, so a header alone could
// claim any size; it is refused before the image (and libjpeg's own buffers) exist.
constexpr std::uint64_t JpegPixelsPerByte = 4096;

// libjpeg reports a fatal error by calling error_exit, which must not return. We jump
// back to the decoding frame with the message instead of letting it end the process.
struct TJpegErrorManager {
    jpeg_error_mgr Base; // first, so libjpeg's pointer is also ours
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<TJpegErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->Message);
    std::longjmp(manager->Jump, 1);
}

// Warnings (a file cut short, extra bytes) are not worth a console line.
extern "C" void JpegSilentOutput(j_common_ptr) {}

enum class TJpegOutcome { Done, Failed, TooLarge, DataTooShort };

void ConvertRow(const JSAMPLE* in, TPixel32* out, const jpeg_decompress_struct& info, TacNoAlpha alpha) {
    const JDIMENSION width = info.output_width;
    if (info.out_color_space == JCS_GRAYSCALE) {
        for (JDIMENSION x = 0; x < width; ++x)
            out[x] = MakePixel(in[x], in[x], in[x]);
    } else if (info.out_color_space == JCS_CMYK) {
        // Adobe writers store the inks inverted; that is what the Adobe marker says.
        const bool inverted = info.saw_Adobe_marker;
        for (JDIMENSION x = 0; x < width; ++x) {
            const JSAMPLE* p = in + 4 * x;
            auto ink = [inverted](JSAMPLE v) { return inverted ? v : static_cast<JSAMPLE>(255 - v); };
            const unsigned k = ink(p[3]);
            auto channel = [k](unsigned c) { return static_cast<std::uint8_t>((c * k + 127) / 255); };
            out[x] = PixelWithoutAlpha(channel(ink(p[0])), channel(ink(p[1])), channel(ink(p[2])), alpha);
        }
    } else {
        for (JDIMENSION x = 0; x < width; ++x)
            out[x] = PixelWithoutAlpha(in[3 * x], in[3 * x + 1], in[3 * x + 2], alpha);
    }
}

// Only trivially destructible objects live in this frame, so the long jump out of
// libjpeg skips no destructor. The decompressor is destroyed by the caller.
TJpegOutcome RunDecompress(jpeg_decompress_struct& info, TJpegErrorManager& errors, std::span<const std::uint8_t> data,
                           TacPixmap& out, TacNoAlpha alpha, std::int64_t maxPixels) {
    if (setjmp(errors.Jump) != 0)
        return TJpegOutcome::Failed;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    if (!ImageSizeAcceptable(info.image_width, info.image_height) ||
        std::int64_t{info.image_width} * info.image_height > maxPixels)
        return TJpegOutcome::TooLarge;
    if (std::uint64_t{info.image_width} * info.image_height > data.size() * JpegPixelsPerByte)
        return TJpegOutcome::DataTooShort;
    if (info.jpeg_color_space == JCS_GRAYSCALE)
        info.out_color_space = JCS_GRAYSCALE;
    else if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK)
        info.out_color_space = JCS_CMYK;
    else
        info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);

    out.SetSize(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    // The row buffer belongs to libjpeg's pool and goes with the decompressor.
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                               info.output_width * static_cast<JDIMENSION>(info.output_components), 1);
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        if (jpeg_read_scanlines(&info, row, 1) != 1)
            break;
        ConvertRow(row[0], out.Row(y), info, alpha);
    }
    jpeg_finish_decompress(&info);
    return TJpegOutcome::Done;
}

class TJpegDecompressor {
public:
    TJpegDecompressor() {
        std::memset(&FInfo, 0, sizeof FInfo);
        std::memset(&FErrors, 0, sizeof FErrors);
        FInfo.err = jpeg_std_error(&FErrors.Base);
        FErrors.Base.error_exit = JpegErrorExit;
        FErrors.Base.output_message = JpegSilentOutput;
    }
    // Safe also when creation never happened: the memory manager is still null then.
    ~TJpegDecompressor() { jpeg_destroy_decompress(&FInfo); }
    TJpegDecompressor(const TJpegDecompressor&) = delete;
    TJpegDecompressor& operator=(const TJpegDecompressor&) = delete;

    TacPixmap Decode(std::span<const std::uint8_t> data, TacNoAlpha alpha, std::int64_t maxPixels) {
        TacPixmap out;
        switch (RunDecompress(FInfo, FErrors, data, out, alpha, maxPixels)) {
        case TJpegOutcome::Done:
            return out;
        case TJpegOutcome::TooLarge:
            // Past every limit, or only past the caller's: the check throws the fitting error.
            CheckImageSize(FInfo.image_width, FInfo.image_height, JpegFormat, maxPixels);
            break;
        case TJpegOutcome::DataTooShort:
            throw EInvalidGraphic(InvalidImageFormatText(JpegFormat));
        case TJpegOutcome::Failed:
            break;
        }
        throw EInvalidGraphic(InvalidImageFormatText(JpegFormat) + " " + FErrors.Message);
    }

private:
    jpeg_decompress_struct FInfo;
    TJpegErrorManager FErrors;
};

} // namespace

TacPixmap DecodeJpeg(std::span<const std::uint8_t> data, TacNoAlpha alpha, std::int64_t maxPixels) {
    if (data.empty())
        throw EInvalidGraphic(InvalidImageFormatText(JpegFormat));
    TJpegDecompressor decompressor;
    return decompressor.Decode(data, alpha, maxPixels);
}

} // namespace sj
