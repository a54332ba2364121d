#include "ImageFiles.h"

#include "platform/Exception.h"

#include <cstdio>
#include <jpeglib.h>

namespace sj::skingen {
namespace {

void PutLE(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// libjpeg reports fatal errors through a callback that must not return.
[[noreturn]] void ThrowJpegError(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    throw Exception(std::string("JPEG encoding failed: ") + text);
}

} // namespace

std::vector<std::uint8_t> EncodeBmp24(const TacPixmap& image) {
    const int w = image.Width(), h = image.Height();
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(w) * 3 + 3) & ~3u; // rows pad to 4 bytes
    const std::uint32_t dataSize = rowBytes * static_cast<std::uint32_t>(h);
    std::vector<std::uint8_t> out;
    out.reserve(54 + dataSize);
    out.push_back('B');
    out.push_back('M');
    PutLE(out, 54 + dataSize, 4);
    PutLE(out, 0, 4);
    PutLE(out, 54, 4);
    PutLE(out, 40, 4); // BITMAPINFOHEADER
    PutLE(out, static_cast<std::uint32_t>(w), 4);
    PutLE(out, static_cast<std::uint32_t>(h), 4); // positive: bottom-up
    PutLE(out, 1, 2);
    PutLE(out, 24, 2);
    PutLE(out, 0, 4); // BI_RGB
    PutLE(out, dataSize, 4);
    PutLE(out, 2835, 4); // 72 dpi
    PutLE(out, 2835, 4);
    PutLE(out, 0, 4);
    PutLE(out, 0, 4);
    for (int y = h - 1; y >= 0; --y) {
        const TPixel32* row = image.Row(y);
        for (int x = 0; x < w; ++x) {
            out.push_back(PixelB(row[x]));
            out.push_back(PixelG(row[x]));
            out.push_back(PixelR(row[x]));
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(w) * 3; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    return out;
}

std::vector<std::uint8_t> EncodeJpeg(const TacPixmap& image, int quality) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jerr.error_exit = ThrowJpegError;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<std::uint8_t> out;
    try {
        jpeg_create_compress(&cinfo);
        jpeg_mem_dest(&cinfo, &buffer, &size);
        cinfo.image_width = static_cast<JDIMENSION>(image.Width());
        cinfo.image_height = static_cast<JDIMENSION>(image.Height());
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, quality, TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        std::vector<JSAMPLE> row(static_cast<std::size_t>(image.Width()) * 3);
        while (cinfo.next_scanline < cinfo.image_height) {
            const TPixel32* src = image.Row(static_cast<int>(cinfo.next_scanline));
            for (int x = 0; x < image.Width(); ++x) {
                row[static_cast<std::size_t>(x) * 3] = PixelR(src[x]);
                row[static_cast<std::size_t>(x) * 3 + 1] = PixelG(src[x]);
                row[static_cast<std::size_t>(x) * 3 + 2] = PixelB(src[x]);
            }
            JSAMPROW rows[1] = {row.data()};
            jpeg_write_scanlines(&cinfo, rows, 1);
        }
        jpeg_finish_compress(&cinfo);
        out.assign(buffer, buffer + size);
    } catch (...) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        throw;
    }
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

} // namespace sj::skingen
