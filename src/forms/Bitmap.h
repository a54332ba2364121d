// TBitmap: a 32-bit top-down device-independent bitmap (DIB section) with direct row
// access and a canvas that draws into it.
//
// Pixels are 4 bytes blue, green, red, alpha (0xAARRGGBB words), rows top-down with
// no padding, so `Pixels()` is a TacPixelsView with Stride == Width. Row access
// flushes pending GDI drawing first, so pixels drawn through the canvas are visible.
// BMP files of every usual depth load; sources without an alpha channel get alpha 0
// (as GDI's own conversion to 32 bits does). Saving writes 32-bit BMPs.
#pragma once

#include "forms/GdiHandles.h"
#include "forms/Graphics.h"
#include "platform/Pixmap.h"

#include <windows.h>

#include <memory>

namespace sj {

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// How Draw treats the alpha byte: ignored (plain copy), straight alpha, or alpha
// already multiplied into the colour channels.
enum class TAlphaFormat { afIgnored, afDefined, afPremultiplied };

enum class TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap() override;

    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    void SetWidth(int width) { SetSize(width, FHeight); }
    void SetHeight(int height) { SetSize(FWidth, height); }
    // Keeps the overlapping part of the old picture; new pixels are 0.
    void SetSize(int width, int height);

    TPixelFormat PixelFormat() const { return TPixelFormat::pf32bit; }
    // Only pf32bit is kept in memory; other formats throw.
    void SetPixelFormat(TPixelFormat format);
    TAlphaFormat AlphaFormat() const { return FAlphaFormat; }
    void SetAlphaFormat(TAlphaFormat format);

    // Row y (0 = top). Throws for a row outside the bitmap.
    TPixel32* ScanLine(int y);
    // All pixels; empty for an empty bitmap.
    TacPixelsView Pixels();

    TCanvas& Canvas();
    // The DIB section (null for an empty bitmap); the bitmap keeps owning it.
    HBITMAP Handle() const { return FHandle.Get(); }
    // Hands the DIB section to the caller; the bitmap becomes empty.
    HBITMAP ReleaseHandle();
    // Takes ownership of any bitmap handle, converting it to a 32-bit DIB section.
    void SetHandle(HBITMAP bitmap);

    // For transparent drawing: the colour drawn clear. tmAuto takes the bottom-left
    // pixel, tmFixed the colour set here.
    TColor TransparentColor();
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode mode) { FTransparentMode = mode; }

    void Assign(const TBitmap& source);
    void Assign(const TacPixmap& source);
    TacPixmap ToPixmap();
    void Clear();

    void Draw(TCanvas& canvas, const RECT& rect) override;
    void LoadFromStream(std::istream& stream) override;
    void SaveToStream(std::ostream& stream) const override;
    std::unique_ptr<TGraphic> Clone() const override;
    std::string_view ClassName() const override { return "TBitmap"; }

private:
    class TBitmapCanvas;

    // New DIB section of the given size, zero-filled; drops the canvas's DC first.
    void Allocate(int width, int height);
    void FreeCanvasContext();
    void DrawAlpha(HDC target, const RECT& rect);

    int FWidth = 0;
    int FHeight = 0;
    TPixel32* FBits = nullptr;
    TGdiBitmap FHandle;
    std::unique_ptr<TBitmapCanvas> FCanvas;
    TAlphaFormat FAlphaFormat = TAlphaFormat::afIgnored;
    TTransparentMode FTransparentMode = TTransparentMode::tmAuto;
    TColor FTransparentColor = clDefault;
};

// A 32-bit top-down DIB section; `bits` receives its pixels (may be null).
HBITMAP CreateBitmap32(int width, int height, TPixel32** bits);

} // namespace sj
