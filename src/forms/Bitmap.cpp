#include "forms/Bitmap.h"

#include "platform/Exception.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <istream>
#include <iterator>
#include <ostream>
#include <vector>

namespace sj {

namespace {

// Limits for loaded files: far above any picture the program shows, low enough that
// a corrupt header cannot ask for gigabytes.
constexpr std::int64_t MaxBitmapSide = 32768;
constexpr std::int64_t MaxBitmapPixels = std::int64_t{1} << 28;

constexpr std::size_t FileHeaderSize = 14;
constexpr std::size_t InfoHeaderSize = 40;

std::uint16_t ReadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t ReadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void PutU16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void PutU32(std::uint8_t* p, std::uint32_t v) {
    PutU16(p, v);
    PutU16(p + 2, v >> 16);
}

[[noreturn]] void ThrowBadBitmap() {
    throw Exception("Bitmap image is not valid");
}

BITMAPINFOHEADER Header32(int width, int height) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = -height; // negative: rows top-down
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    return header;
}

// A parsed and range-checked BMP file held in memory.
struct TBmpFile {
    std::vector<std::uint8_t> Data;
    std::size_t InfoOffset = FileHeaderSize;
    std::uint32_t HeaderSize = 0;
    int Width = 0;
    int Height = 0; // positive
    bool TopDown = false;
    int BitCount = 0;
    std::uint32_t Compression = BI_RGB;
    std::size_t BitsOffset = 0;
    std::size_t BitsSize = 0;
};

TBmpFile ParseBmp(std::vector<std::uint8_t> data) {
    TBmpFile bmp;
    bmp.Data = std::move(data);
    const std::vector<std::uint8_t>& d = bmp.Data;
    if (d.size() < FileHeaderSize + 12 || d[0] != 'B' || d[1] != 'M') {
        ThrowBadBitmap();
    }
    const std::uint8_t* info = d.data() + FileHeaderSize;
    bmp.HeaderSize = ReadU32(info);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint16_t planes = 0;
    if (bmp.HeaderSize == 12) {
        width = ReadU16(info + 4);
        height = ReadU16(info + 6);
        planes = ReadU16(info + 8);
        bmp.BitCount = ReadU16(info + 10);
    } else if (bmp.HeaderSize >= InfoHeaderSize && bmp.HeaderSize <= 256 &&
               FileHeaderSize + bmp.HeaderSize <= d.size()) {
        width = static_cast<std::int32_t>(ReadU32(info + 4));
        height = static_cast<std::int32_t>(ReadU32(info + 8));
        planes = ReadU16(info + 12);
        bmp.BitCount = ReadU16(info + 14);
        bmp.Compression = ReadU32(info + 16);
    } else {
        ThrowBadBitmap();
    }
    bmp.TopDown = height < 0;
    height = height < 0 ? -height : height;
    if (planes != 1 || width <= 0 || height <= 0 || width > MaxBitmapSide || height > MaxBitmapSide ||
        width * height > MaxBitmapPixels) {
        ThrowBadBitmap();
    }
    bmp.Width = static_cast<int>(width);
    bmp.Height = static_cast<int>(height);

    static constexpr int Depths[] = {1, 4, 8, 16, 24, 32};
    if (std::find(std::begin(Depths), std::end(Depths), bmp.BitCount) == std::end(Depths)) {
        ThrowBadBitmap();
    }
    const bool rle = bmp.Compression == BI_RLE8 || bmp.Compression == BI_RLE4;
    if (bmp.Compression != BI_RGB && bmp.Compression != BI_BITFIELDS && !rle) {
        ThrowBadBitmap();
    }
    if ((bmp.Compression == BI_RLE8 && bmp.BitCount != 8) || (bmp.Compression == BI_RLE4 && bmp.BitCount != 4) ||
        (bmp.Compression == BI_BITFIELDS && bmp.BitCount != 16 && bmp.BitCount != 32) || (rle && bmp.TopDown)) {
        ThrowBadBitmap();
    }

    bmp.BitsOffset = ReadU32(d.data() + 10);
    const std::size_t headerEnd = FileHeaderSize + bmp.HeaderSize;
    if (bmp.BitsOffset < headerEnd || bmp.BitsOffset > d.size()) {
        ThrowBadBitmap();
    }
    if (rle) {
        bmp.BitsSize = d.size() - bmp.BitsOffset;
    } else {
        const std::uint64_t stride = ((static_cast<std::uint64_t>(bmp.Width) * bmp.BitCount + 31) / 32) * 4;
        const std::uint64_t needed = stride * static_cast<std::uint64_t>(bmp.Height);
        if (needed > d.size() - bmp.BitsOffset) {
            ThrowBadBitmap();
        }
        bmp.BitsSize = static_cast<std::size_t>(needed);
    }
    return bmp;
}

} // namespace

HBITMAP CreateBitmap32(int width, int height, TPixel32** bits) {
    if (bits != nullptr) {
        *bits = nullptr;
    }
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader = Header32(width, height);
    void* pixels = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bitmap != nullptr && bits != nullptr) {
        *bits = static_cast<TPixel32*>(pixels);
    }
    return bitmap;
}

// The canvas of a bitmap: a memory DC holding the DIB section, made when first used
// and dropped whenever the DIB section is replaced.
class TBitmap::TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap& bitmap) : FBitmap(bitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }
    TBitmapCanvas(const TBitmapCanvas&) = delete;
    TBitmapCanvas& operator=(const TBitmapCanvas&) = delete;

    void FreeContext() {
        if (!FDC) {
            return;
        }
        DeselectHandles();
        if (FOldBitmap != nullptr) {
            ::SelectObject(FDC.Get(), FOldBitmap);
            FOldBitmap = nullptr;
        }
        FDC.Reset();
    }

protected:
    void CreateHandle() override {
        FDC.Reset(::CreateCompatibleDC(nullptr));
        if (!FDC) {
            return;
        }
        if (FBitmap.Handle() != nullptr) {
            FOldBitmap = ::SelectObject(FDC.Get(), FBitmap.Handle());
        }
        SetHandle(FDC.Get());
    }

private:
    TBitmap& FBitmap;
    TOwnedDC FDC;
    HGDIOBJ FOldBitmap = nullptr;
};

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) {
    Allocate(width, height);
}

TBitmap::~TBitmap() {
    FCanvas.reset();
}

void TBitmap::FreeCanvasContext() {
    if (FCanvas) {
        FCanvas->FreeContext();
    }
}

void TBitmap::Allocate(int width, int height) {
    FreeCanvasContext();
    TPixel32* bits = nullptr;
    TGdiBitmap handle(CreateBitmap32(width, height, &bits));
    if (width > 0 && height > 0 && !handle) {
        throw Exception("Out of system resources");
    }
    FHandle = std::move(handle);
    FBits = bits;
    FWidth = FHandle ? width : 0;
    FHeight = FHandle ? height : 0;
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == FWidth && height == FHeight) {
        return;
    }
    ::GdiFlush();
    const TPixel32* oldBits = FBits;
    const int oldWidth = FWidth;
    const int oldHeight = FHeight;
    TGdiBitmap oldHandle = std::move(FHandle);
    Allocate(width, height);
    if (oldBits != nullptr && FBits != nullptr) {
        const int rows = std::min(oldHeight, FHeight);
        const int columns = std::min(oldWidth, FWidth);
        for (int y = 0; y < rows; ++y) {
            std::memcpy(FBits + static_cast<std::ptrdiff_t>(y) * FWidth,
                        oldBits + static_cast<std::ptrdiff_t>(y) * oldWidth, sizeof(TPixel32) * columns);
        }
    }
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format != TPixelFormat::pf32bit) {
        throw Exception("Unsupported pixel format");
    }
}

void TBitmap::SetAlphaFormat(TAlphaFormat format) {
    if (format != FAlphaFormat) {
        FAlphaFormat = format;
        Changed();
    }
}

TPixel32* TBitmap::ScanLine(int y) {
    if (y < 0 || y >= FHeight || FBits == nullptr) {
        throw Exception("Scan line index out of range");
    }
    ::GdiFlush();
    return FBits + static_cast<std::ptrdiff_t>(y) * FWidth;
}

TacPixelsView TBitmap::Pixels() {
    if (FBits == nullptr) {
        return {};
    }
    ::GdiFlush();
    return {FBits, FWidth, FHeight, FWidth};
}

TCanvas& TBitmap::Canvas() {
    if (!FCanvas) {
        FCanvas = std::make_unique<TBitmapCanvas>(*this);
    }
    return *FCanvas;
}

HBITMAP TBitmap::ReleaseHandle() {
    FreeCanvasContext();
    ::GdiFlush();
    FBits = nullptr;
    FWidth = 0;
    FHeight = 0;
    HBITMAP handle = FHandle.Detach();
    Changed();
    return handle;
}

void TBitmap::SetHandle(HBITMAP bitmap) {
    TGdiBitmap source(bitmap);
    if (!source) {
        Clear();
        return;
    }
    BITMAP info{};
    if (::GetObjectA(bitmap, sizeof info, &info) == 0 || info.bmWidth <= 0 || info.bmHeight == 0) {
        throw Exception("Bitmap image is not valid");
    }
    const int width = info.bmWidth;
    const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    Allocate(width, height);
    BITMAPINFO header{};
    header.bmiHeader = Header32(width, height);
    TWindowDC screen;
    ::GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(height), FBits, &header, DIB_RGB_COLORS);
    if (info.bmBitsPixel != 32) {
        // GDI leaves the fourth byte undefined for sources without alpha.
        for (TPixel32* p = FBits; p != FBits + static_cast<std::ptrdiff_t>(width) * height; ++p) {
            *p &= 0x00FFFFFFu;
        }
    }
    Changed();
}

TColor TBitmap::TransparentColor() {
    if (FTransparentMode == TTransparentMode::tmFixed && FTransparentColor != clDefault) {
        return FTransparentColor;
    }
    if (FBits == nullptr) {
        return clDefault;
    }
    ::GdiFlush();
    const TPixel32 p = FBits[static_cast<std::ptrdiff_t>(FHeight - 1) * FWidth];
    return static_cast<TColor>(PixelR(p)) | (static_cast<TColor>(PixelG(p)) << 8) |
           (static_cast<TColor>(PixelB(p)) << 16);
}

void TBitmap::SetTransparentColor(TColor color) {
    FTransparentColor = color;
    FTransparentMode = color == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
    Changed();
}

void TBitmap::Assign(const TBitmap& source) {
    if (&source == this) {
        return;
    }
    ::GdiFlush();
    Allocate(source.FWidth, source.FHeight);
    if (FBits != nullptr && source.FBits != nullptr) {
        std::memcpy(FBits, source.FBits, sizeof(TPixel32) * static_cast<std::size_t>(FWidth) * FHeight);
    }
    FAlphaFormat = source.FAlphaFormat;
    FTransparentMode = source.FTransparentMode;
    FTransparentColor = source.FTransparentColor;
    SetTransparent(source.Transparent());
    Changed();
}

void TBitmap::Assign(const TacPixmap& source) {
    Allocate(source.Width(), source.Height());
    if (FBits != nullptr) {
        std::memcpy(FBits, source.Data().data(), sizeof(TPixel32) * source.Data().size());
    }
    Changed();
}

TacPixmap TBitmap::ToPixmap() {
    TacPixmap pixmap(FWidth, FHeight);
    if (FBits != nullptr) {
        ::GdiFlush();
        std::memcpy(pixmap.Row(0), FBits, sizeof(TPixel32) * static_cast<std::size_t>(FWidth) * FHeight);
    }
    return pixmap;
}

void TBitmap::Clear() {
    Allocate(0, 0);
    Changed();
}

void TBitmap::DrawAlpha(HDC target, const RECT& rect) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (FAlphaFormat == TAlphaFormat::afPremultiplied) {
        HDC source = Canvas().Handle();
        ::AlphaBlend(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source, 0, 0, FWidth,
                     FHeight, blend);
        return;
    }
    // Straight alpha: AlphaBlend wants the colour multiplied by alpha first.
    TBitmap premultiplied(FWidth, FHeight);
    const TacPixelsView from = Pixels();
    const TacPixelsView to = premultiplied.Pixels();
    for (int y = 0; y < FHeight; ++y) {
        for (int x = 0; x < FWidth; ++x) {
            const TPixel32 p = from.At(x, y);
            const unsigned a = PixelA(p);
            to.At(x, y) =
                MakePixel(static_cast<std::uint8_t>((PixelR(p) * a + 127) / 255),
                          static_cast<std::uint8_t>((PixelG(p) * a + 127) / 255),
                          static_cast<std::uint8_t>((PixelB(p) * a + 127) / 255), static_cast<std::uint8_t>(a));
        }
    }
    ::AlphaBlend(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 premultiplied.Canvas().Handle(), 0, 0, FWidth, FHeight, blend);
}

void TBitmap::Draw(TCanvas& canvas, const RECT& rect) {
    HDC target = canvas.Handle();
    if (target == nullptr || FBits == nullptr || rect.right <= rect.left || rect.bottom <= rect.top) {
        return;
    }
    if (Transparent()) {
        const TColor key = ColorToRGB(TransparentColor());
        ::TransparentBlt(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, Canvas().Handle(),
                         0, 0, FWidth, FHeight, key);
        return;
    }
    if (FAlphaFormat != TAlphaFormat::afIgnored) {
        DrawAlpha(target, rect);
        return;
    }
    const int oldMode = ::SetStretchBltMode(target, COLORONCOLOR);
    ::StretchBlt(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, Canvas().Handle(), 0, 0,
                 FWidth, FHeight, canvas.CopyMode());
    ::SetStretchBltMode(target, oldMode);
}

void TBitmap::LoadFromStream(std::istream& stream) {
    TBmpFile bmp = ParseBmp(ReadStreamToEnd(stream));
    const std::uint8_t* bits = bmp.Data.data() + bmp.BitsOffset;

    TPixel32* newBits = nullptr;
    TGdiBitmap handle(CreateBitmap32(bmp.Width, bmp.Height, &newBits));
    if (!handle) {
        throw Exception("Out of system resources");
    }
    if (bmp.BitCount == 32 && bmp.Compression == BI_RGB) {
        // Copied by hand: GDI's conversion is not trusted to keep the alpha byte.
        const std::size_t stride = static_cast<std::size_t>(bmp.Width) * 4;
        for (int y = 0; y < bmp.Height; ++y) {
            const int sourceRow = bmp.TopDown ? y : bmp.Height - 1 - y;
            std::memcpy(newBits + static_cast<std::ptrdiff_t>(y) * bmp.Width, bits + sourceRow * stride, stride);
        }
    } else {
        // Colour tables, bit fields and run-length data: GDI converts them. The
        // info block (header, masks, palette) is everything before the pixels.
        const std::size_t infoSize = bmp.BitsOffset - FileHeaderSize;
        std::vector<std::uint8_t> info(bmp.Data.begin() + FileHeaderSize,
                                       bmp.Data.begin() + static_cast<std::ptrdiff_t>(bmp.BitsOffset));
        // Room for a full 256-entry palette even when the file's is short.
        info.resize(std::max(infoSize, static_cast<std::size_t>(bmp.HeaderSize) + 12 + 256 * 4), 0);
        if (bmp.HeaderSize >= InfoHeaderSize) {
            // GDI trusts these fields: keep them within what the file holds.
            if (bmp.Compression == BI_RLE8 || bmp.Compression == BI_RLE4) {
                PutU32(info.data() + 20, static_cast<std::uint32_t>(bmp.BitsSize));
            }
            if (bmp.BitCount <= 8 && ReadU32(info.data() + 32) > (1u << bmp.BitCount)) {
                PutU32(info.data() + 32, 0);
            }
        }
        TWindowDC screen;
        const int rows = ::SetDIBits(screen.Get(), handle.Get(), 0, static_cast<UINT>(bmp.Height), bits,
                                     reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
        if (rows == 0) {
            ThrowBadBitmap();
        }
        ::GdiFlush();
        const bool hasAlpha = bmp.BitCount == 32;
        if (!hasAlpha) {
            for (TPixel32* p = newBits; p != newBits + static_cast<std::ptrdiff_t>(bmp.Width) * bmp.Height; ++p) {
                *p &= 0x00FFFFFFu;
            }
        }
    }
    FreeCanvasContext();
    FHandle = std::move(handle);
    FBits = newBits;
    FWidth = bmp.Width;
    FHeight = bmp.Height;
    Changed();
}

void TBitmap::SaveToStream(std::ostream& stream) const {
    const std::uint32_t imageSize = static_cast<std::uint32_t>(FWidth) * static_cast<std::uint32_t>(FHeight) * 4;
    std::uint8_t header[FileHeaderSize + InfoHeaderSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    PutU32(header + 2, static_cast<std::uint32_t>(sizeof header) + imageSize);
    PutU32(header + 10, sizeof header);
    std::uint8_t* info = header + FileHeaderSize;
    PutU32(info, InfoHeaderSize);
    PutU32(info + 4, static_cast<std::uint32_t>(FWidth));
    PutU32(info + 8, static_cast<std::uint32_t>(FHeight)); // bottom-up, as most readers expect
    PutU16(info + 12, 1);
    PutU16(info + 14, 32);
    PutU32(info + 16, BI_RGB);
    PutU32(info + 20, imageSize);
    PutU32(info + 24, 2835); // 72 dpi
    PutU32(info + 28, 2835);
    stream.write(reinterpret_cast<const char*>(header), sizeof header);
    if (FBits != nullptr) {
        ::GdiFlush();
        for (int y = FHeight - 1; y >= 0; --y) {
            stream.write(reinterpret_cast<const char*>(FBits + static_cast<std::ptrdiff_t>(y) * FWidth),
                         static_cast<std::streamsize>(FWidth) * 4);
        }
    }
    if (!stream) {
        throw EFileError("Stream write error");
    }
}

std::unique_ptr<TGraphic> TBitmap::Clone() const {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(*this);
    return copy;
}

} // namespace sj
