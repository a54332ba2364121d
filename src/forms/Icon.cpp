#include "forms/Icon.h"

#include "platform/Exception.h"

#include <algorithm>
#include <cstdlib>
#include <istream>
#include <ostream>

namespace sj {

namespace {

constexpr std::size_t DirHeaderSize = 6;
constexpr std::size_t DirEntrySize = 16;

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void Append16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Append32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Append16(out, v & 0xFFFF);
    Append16(out, v >> 16);
}

[[noreturn]] void ThrowBadIcon() {
    throw Exception("Icon image is not valid");
}

struct TIconEntry {
    TIcon::TIconImageInfo Info;
    std::uint32_t Offset = 0;
    std::uint32_t Size = 0;
};

std::vector<TIconEntry> ParseDirectory(const std::vector<std::uint8_t>& data) {
    if (!LooksLikeIcon(data.data(), data.size())) {
        ThrowBadIcon();
    }
    const std::size_t count = U16(data.data() + 4);
    if (count == 0 || DirHeaderSize + count * DirEntrySize > data.size()) {
        ThrowBadIcon();
    }
    std::vector<TIconEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = data.data() + DirHeaderSize + i * DirEntrySize;
        TIconEntry entry;
        entry.Info.Width = e[0] == 0 ? 256 : e[0];
        entry.Info.Height = e[1] == 0 ? 256 : e[1];
        entry.Info.BitCount = U16(e + 6);
        if (entry.Info.BitCount == 0) {
            // Old files leave the depth out and give the palette size instead.
            entry.Info.BitCount = e[2] == 0 ? 8 : (e[2] <= 2 ? 1 : 4);
        }
        entry.Size = U32(e + 8);
        entry.Offset = U32(e + 12);
        // An image has at least a header; it must lie wholly inside the file.
        if (entry.Size < 40 || entry.Offset > data.size() || entry.Size > data.size() - entry.Offset) {
            ThrowBadIcon();
        }
        entries.push_back(entry);
    }
    return entries;
}

// The image closest in size to the wanted one; on a tie the deeper colour wins.
std::size_t ChooseEntry(const std::vector<TIconEntry>& entries, int width, int height) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < entries.size(); ++i) {
        const auto distance = [&](const TIconEntry& e) {
            return std::abs(e.Info.Width - width) + std::abs(e.Info.Height - height);
        };
        const int d = distance(entries[i]);
        const int bestD = distance(entries[best]);
        if (d < bestD || (d == bestD && entries[i].Info.BitCount > entries[best].Info.BitCount)) {
            best = i;
        }
    }
    return best;
}

SIZE IconSize(HICON icon) {
    SIZE size{0, 0};
    ICONINFO info{};
    if (icon == nullptr || !::GetIconInfo(icon, &info)) {
        return size;
    }
    TGdiBitmap color(info.hbmColor);
    TGdiBitmap mask(info.hbmMask);
    BITMAP bitmap{};
    if (color && ::GetObjectA(color.Get(), sizeof bitmap, &bitmap) != 0) {
        size = {bitmap.bmWidth, bitmap.bmHeight};
    } else if (mask && ::GetObjectA(mask.Get(), sizeof bitmap, &bitmap) != 0) {
        // A monochrome icon's mask holds the AND and XOR halves one above the other.
        size = {bitmap.bmWidth, bitmap.bmHeight / 2};
    }
    return size;
}

// The pixels of an icon handle, bottom-up rows, straight alpha.
std::vector<std::uint32_t> IconPixelsBottomUp(HICON icon, int& w, int& h) {
    ICONINFO info{};
    if (icon == nullptr || !::GetIconInfo(icon, &info)) {
        throw Exception("Icon image is not valid");
    }
    TGdiBitmap color(info.hbmColor);
    TGdiBitmap mask(info.hbmMask);
    const SIZE size = IconSize(icon);
    if (!color || size.cx <= 0 || size.cy <= 0 || size.cx > 256 || size.cy > 256) {
        throw Exception("Icon image is not valid");
    }
    w = size.cx;
    h = size.cy;

    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = w;
    header.bmiHeader.biHeight = h;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
    TWindowDC screen;
    ::GetDIBits(screen.Get(), color.Get(), 0, static_cast<UINT>(h), pixels.data(), &header, DIB_RGB_COLORS);

    // The AND mask as 32-bit pixels too (white = clear), simpler than 1-bit rows.
    std::vector<std::uint32_t> maskPixels(static_cast<std::size_t>(w) * h, 0);
    if (mask) {
        ::GetDIBits(screen.Get(), mask.Get(), 0, static_cast<UINT>(h), maskPixels.data(), &header, DIB_RGB_COLORS);
    }
    const bool hasAlpha = std::any_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p >> 24) != 0; });
    if (!hasAlpha) {
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = (maskPixels[i] & 0xFFFFFF) != 0 ? 0 : (pixels[i] | 0xFF000000u);
        }
    }
    return pixels;
}

// One 32-bit image in .ico layout, from an icon handle.
std::vector<std::uint8_t> EncodeIcon(HICON icon) {
    int w = 0;
    int h = 0;
    const std::vector<std::uint32_t> pixels = IconPixelsBottomUp(icon, w, h);

    const std::size_t maskStride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
    std::vector<std::uint8_t> image;
    Append32(image, 40);
    Append32(image, static_cast<std::uint32_t>(w));
    Append32(image, static_cast<std::uint32_t>(h * 2));
    Append16(image, 1);
    Append16(image, 32);
    for (int i = 0; i < 6; ++i) {
        Append32(image, 0);
    }
    for (std::uint32_t p : pixels) {
        Append32(image, p);
    }
    for (int y = 0; y < h; ++y) {
        std::vector<std::uint8_t> row(maskStride, 0);
        for (int x = 0; x < w; ++x) {
            if ((pixels[static_cast<std::size_t>(y) * w + x] >> 24) == 0) {
                row[static_cast<std::size_t>(x) / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        image.insert(image.end(), row.begin(), row.end());
    }

    std::vector<std::uint8_t> file;
    Append16(file, 0);
    Append16(file, 1);
    Append16(file, 1);
    file.push_back(static_cast<std::uint8_t>(w >= 256 ? 0 : w));
    file.push_back(static_cast<std::uint8_t>(h >= 256 ? 0 : h));
    file.push_back(0);
    file.push_back(0);
    Append16(file, 1);
    Append16(file, 32);
    Append32(file, static_cast<std::uint32_t>(image.size()));
    Append32(file, static_cast<std::uint32_t>(DirHeaderSize + DirEntrySize));
    file.insert(file.end(), image.begin(), image.end());
    return file;
}

} // namespace

bool LooksLikeIcon(const std::uint8_t* data, std::size_t size) {
    return data != nullptr && size >= DirHeaderSize && U16(data) == 0 && U16(data + 2) == 1 && U16(data + 4) > 0;
}

void TIcon::SetSize(int width, int height) {
    FRequestedWidth = std::max(width, 0);
    FRequestedHeight = std::max(height, 0);
    if (!FData.empty()) {
        LoadFromData(FData);
    }
}

void TIcon::ResetToHandle(HICON icon) {
    FHandle.Reset(icon);
    const SIZE size = IconSize(icon);
    FWidth = size.cx;
    FHeight = size.cy;
    FData.clear();
    FImages.clear();
}

void TIcon::SetHandle(HICON icon) {
    ResetToHandle(icon);
    Changed();
}

HICON TIcon::ReleaseHandle() {
    HICON icon = FHandle.Detach();
    ResetToHandle(nullptr);
    Changed();
    return icon;
}

void TIcon::Assign(const TIcon& source) {
    if (&source == this) {
        return;
    }
    if (!source.FData.empty()) {
        FRequestedWidth = source.FRequestedWidth;
        FRequestedHeight = source.FRequestedHeight;
        LoadFromData(source.FData);
        return;
    }
    SetHandle(source.FHandle ? ::CopyIcon(source.FHandle.Get()) : nullptr);
}

void TIcon::LoadFromData(std::vector<std::uint8_t> data) {
    const std::vector<TIconEntry> entries = ParseDirectory(data);
    const int wantWidth = FRequestedWidth > 0 ? FRequestedWidth : ::GetSystemMetrics(SM_CXICON);
    const int wantHeight = FRequestedHeight > 0 ? FRequestedHeight : ::GetSystemMetrics(SM_CYICON);
    const TIconEntry& entry = entries[ChooseEntry(entries, wantWidth, wantHeight)];
    HICON icon = ::CreateIconFromResourceEx(data.data() + entry.Offset, entry.Size, TRUE, 0x00030000, entry.Info.Width,
                                            entry.Info.Height, LR_DEFAULTCOLOR);
    if (icon == nullptr) {
        ThrowBadIcon();
    }
    FHandle.Reset(icon);
    FWidth = entry.Info.Width;
    FHeight = entry.Info.Height;
    FImages.clear();
    for (const TIconEntry& e : entries) {
        FImages.push_back(e.Info);
    }
    FData = std::move(data);
    Changed();
}

void TIcon::LoadFromStream(std::istream& stream) {
    LoadFromData(ReadStreamToEnd(stream));
}

void TIcon::SaveToStream(std::ostream& stream) const {
    if (!FHandle) {
        return;
    }
    const std::vector<std::uint8_t> data = FData.empty() ? EncodeIcon(FHandle.Get()) : FData;
    stream.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!stream) {
        throw EFileError("Stream write error");
    }
}

void TIcon::Draw(TCanvas& canvas, const RECT& rect) {
    HDC dc = canvas.Handle();
    if (dc == nullptr || !FHandle) {
        return;
    }
    ::DrawIconEx(dc, rect.left, rect.top, FHandle.Get(), rect.right - rect.left, rect.bottom - rect.top, 0, nullptr,
                 DI_NORMAL);
}

TacPixmap TIcon::ToPixmap() const {
    if (!FHandle) {
        return {};
    }
    int w = 0;
    int h = 0;
    const std::vector<std::uint32_t> pixels = IconPixelsBottomUp(FHandle.Get(), w, h);
    TacPixmap pixmap(w, h);
    for (int y = 0; y < h; ++y) {
        std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(h - 1 - y) * w, w, pixmap.Row(y));
    }
    return pixmap;
}

std::unique_ptr<TGraphic> TIcon::Clone() const {
    auto copy = std::make_unique<TIcon>();
    copy->Assign(*this);
    return copy;
}

} // namespace sj
