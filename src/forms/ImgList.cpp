#include "forms/ImgList.h"

#include "forms/Bitmap.h"
#include "forms/GdiHandles.h"
#include "forms/Icon.h"
#include "platform/Exception.h"

#include <algorithm>

namespace sj {

namespace {

void InitCommonControlsOnce() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
        return ::InitCommonControlsEx(&init) != FALSE;
    }();
    (void)done;
}

bool HasAlpha(const TacPixelsView& view) {
    for (int y = 0; y < view.Height; ++y) {
        for (int x = 0; x < view.Width; ++x) {
            if (PixelA(view.At(x, y)) != 0) {
                return true;
            }
        }
    }
    return false;
}

TPixel32 RgbOf(TColor color) {
    const TColor rgb = ColorToRGB(color);
    return MakePixel(static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8),
                     static_cast<std::uint8_t>(rgb >> 16), 0) &
           0x00FFFFFFu;
}

std::uint8_t Mix(unsigned a, unsigned b, unsigned weightOfB256) {
    return static_cast<std::uint8_t>((a * (256 - weightOfB256) + b * weightOfB256) >> 8);
}

// Nearest-neighbour copy of `source` scaled to width x height.
TacPixmap Scaled(const TacPixmap& source, int width, int height) {
    if (source.Width() == width && source.Height() == height) {
        return source;
    }
    TacPixmap result(width, height);
    if (source.Empty()) {
        return result;
    }
    for (int y = 0; y < height; ++y) {
        const int sy = y * source.Height() / height;
        for (int x = 0; x < width; ++x) {
            result.At(x, y) = source.At(x * source.Width() / width, sy);
        }
    }
    return result;
}

} // namespace

TChangeLink::~TChangeLink() {
    if (FSender != nullptr) {
        FSender->UnRegisterChanges(this);
    }
}

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList() {
    Destroying();
    for (TChangeLink* link : FLinks) {
        link->FSender = nullptr;
    }
    FLinks.clear();
    FreeHandle();
}

void TCustomImageList::SetSize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == FWidth && height == FHeight) {
        return;
    }
    FWidth = width;
    FHeight = height;
    FImages.clear();
    FreeHandle();
    Change();
}

void TCustomImageList::SetMasked(bool masked) {
    if (masked != FMasked) {
        FMasked = masked;
        RebuildHandle();
        Change();
    }
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle style) {
    if (style != FDrawingStyle) {
        FDrawingStyle = style;
        Change();
    }
}

void TCustomImageList::SetImageType(TImageType type) {
    if (type != FImageType) {
        FImageType = type;
        Change();
    }
}

void TCustomImageList::SetBkColor(TColor color) {
    if (color != FBkColor) {
        FBkColor = color;
        if (FHandle != nullptr) {
            ::ImageList_SetBkColor(FHandle, color == clNone ? CLR_NONE : ColorToRGB(color));
        }
        Change();
    }
}

void TCustomImageList::SetBlendColor(TColor color) {
    if (color != FBlendColor) {
        FBlendColor = color;
        Change();
    }
}

std::vector<TacPixmap> TCustomImageList::SplitStrip(TBitmap& image, TBitmap* mask, bool hasMaskColor,
                                                    TColor maskColor) {
    std::vector<TacPixmap> result;
    const TacPixelsView source = image.Pixels();
    if (source.Empty()) {
        return result;
    }
    const TacPixelsView maskView = mask != nullptr ? mask->Pixels() : TacPixelsView{};
    const bool alpha = HasAlpha(source);
    const TPixel32 key = RgbOf(maskColor);
    const int count = std::max(1, source.Width / FWidth);
    for (int i = 0; i < count; ++i) {
        TacPixmap pixels(FWidth, FHeight);
        const int left = i * FWidth;
        for (int y = 0; y < std::min(FHeight, source.Height); ++y) {
            for (int x = 0; x < std::min(FWidth, source.Width - left); ++x) {
                TPixel32 p = source.At(left + x, y);
                bool clear = false;
                if (maskView.Contains(left + x, y)) {
                    clear = (maskView.At(left + x, y) & 0xFFFFFFu) == 0xFFFFFFu;
                } else if (hasMaskColor) {
                    clear = (p & 0xFFFFFFu) == key;
                }
                if (clear) {
                    p = 0;
                } else if (!alpha) {
                    p |= 0xFF000000u;
                }
                pixels.At(x, y) = p;
            }
        }
        result.push_back(std::move(pixels));
    }
    return result;
}

int TCustomImageList::AddPixels(const TacPixmap& pixels) {
    FImages.push_back(Scaled(pixels, FWidth, FHeight));
    AddToHandle(FImages.back());
    Change();
    return Count() - 1;
}

int TCustomImageList::Add(TBitmap& image, TBitmap* mask) {
    return AppendImages(SplitStrip(image, mask, false, clNone));
}

int TCustomImageList::AddMasked(TBitmap& image, TColor maskColor) {
    return AppendImages(SplitStrip(image, nullptr, true, maskColor));
}

int TCustomImageList::AppendImages(std::vector<TacPixmap> images) {
    if (images.empty()) {
        return -1;
    }
    const int first = static_cast<int>(FImages.size());
    for (TacPixmap& pixels : images) {
        FImages.push_back(std::move(pixels));
        AddToHandle(FImages.back());
    }
    Change();
    return first;
}

int TCustomImageList::AddIcon(TIcon& icon) {
    if (icon.Empty()) {
        return -1;
    }
    return AddPixels(icon.ToPixmap());
}

void TCustomImageList::Replace(int index, TBitmap& image, TBitmap* mask) {
    if (index < 0 || index >= static_cast<int>(FImages.size())) {
        throw Exception("Invalid image list index");
    }
    std::vector<TacPixmap> images = SplitStrip(image, mask, false, clNone);
    if (images.empty()) {
        return;
    }
    FImages[static_cast<std::size_t>(index)] = std::move(images.front());
    RebuildHandle();
    Change();
}

void TCustomImageList::Delete(int index) {
    if (index < 0 || index >= static_cast<int>(FImages.size())) {
        return;
    }
    FImages.erase(FImages.begin() + index);
    if (FHandle != nullptr) {
        ::ImageList_Remove(FHandle, index);
    }
    Change();
}

void TCustomImageList::Clear() {
    if (FImages.empty()) {
        return;
    }
    FImages.clear();
    if (FHandle != nullptr) {
        ::ImageList_Remove(FHandle, -1);
    }
    Change();
}

TacPixmap TCustomImageList::ImagePixels(int index) const {
    if (index < 0 || index >= static_cast<int>(FImages.size())) {
        return {};
    }
    return FImages[static_cast<std::size_t>(index)];
}

bool TCustomImageList::GetBitmap(int index, TBitmap& target) const {
    if (index < 0 || index >= static_cast<int>(FImages.size())) {
        return false;
    }
    target.Assign(FImages[static_cast<std::size_t>(index)]);
    target.SetAlphaFormat(TAlphaFormat::afDefined);
    return true;
}

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) {
    if (index < 0 || index >= Count() || canvas.Handle() == nullptr) {
        return;
    }
    DoDraw(index, canvas, x, y, enabled);
}

void TCustomImageList::DoDraw(int index, TCanvas& canvas, int x, int y, bool enabled) {
    if (index < static_cast<int>(FImages.size())) {
        DrawPixels(FImages[static_cast<std::size_t>(index)], canvas, x, y, enabled);
    }
}

void TCustomImageList::DrawPixels(const TacPixmap& pixels, TCanvas& canvas, int x, int y, bool enabled) {
    if (pixels.Empty()) {
        return;
    }
    TBitmap face(pixels.Width(), pixels.Height());
    const TacPixelsView out = face.Pixels();
    const TPixel32 blend = RgbOf(FBlendColor == clNone ? clHighlight : FBlendColor);
    const unsigned blendWeight = FDrawingStyle == TDrawingStyle::dsSelected ? 128
                                 : FDrawingStyle == TDrawingStyle::dsFocus  ? 64
                                                                            : 0;
    const bool fillBack = FBkColor != clNone && FDrawingStyle != TDrawingStyle::dsTransparent;
    const TPixel32 back = RgbOf(FBkColor);
    for (int row = 0; row < pixels.Height(); ++row) {
        for (int column = 0; column < pixels.Width(); ++column) {
            const TPixel32 p = pixels.At(column, row);
            unsigned r = PixelR(p);
            unsigned g = PixelG(p);
            unsigned b = PixelB(p);
            unsigned a = PixelA(p);
            if (FImageType == TImageType::itMask) {
                // The mask shows black where the image is, white where it is clear.
                const std::uint8_t level = a >= 128 ? 0 : 255;
                out.At(column, row) = MakePixel(level, level, level, 255);
                continue;
            }
            if (!enabled) {
                // Disabled look: grey, lightened and half as opaque.
                const unsigned grey = (r * 77 + g * 151 + b * 28) >> 8;
                r = g = b = 128 + grey / 2;
                a /= 2;
            }
            if (blendWeight > 0 && a > 0) {
                r = Mix(r, PixelR(blend), blendWeight);
                g = Mix(g, PixelG(blend), blendWeight);
                b = Mix(b, PixelB(blend), blendWeight);
            }
            if (fillBack) {
                r = Mix(PixelR(back), r, a + (a >> 7));
                g = Mix(PixelG(back), g, a + (a >> 7));
                b = Mix(PixelB(back), b, a + (a >> 7));
                a = 255;
            }
            out.At(column, row) = MakePixel(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                            static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(a));
        }
    }
    face.SetAlphaFormat(TAlphaFormat::afDefined);
    canvas.Draw(x, y, face);
}

HIMAGELIST TCustomImageList::Handle() {
    if (FHandle == nullptr) {
        InitCommonControlsOnce();
        FHandle = ::ImageList_Create(FWidth, FHeight, ILC_COLOR32 | (FMasked ? ILC_MASK : 0),
                                     static_cast<int>(FImages.size()), FAllocBy);
        if (FHandle == nullptr) {
            return nullptr;
        }
        ::ImageList_SetBkColor(FHandle, FBkColor == clNone ? CLR_NONE : ColorToRGB(FBkColor));
        for (const TacPixmap& pixels : FImages) {
            AddToHandle(pixels);
        }
    }
    return FHandle;
}

void TCustomImageList::AddToHandle(const TacPixmap& pixels) {
    if (FHandle == nullptr) {
        return;
    }
    TBitmap image;
    image.Assign(pixels);
    // The mask for system lists without alpha support: clear where alpha is low.
    TBitmap mask(pixels.Width(), pixels.Height());
    const TacPixelsView view = mask.Pixels();
    for (int y = 0; y < view.Height; ++y) {
        for (int x = 0; x < view.Width; ++x) {
            view.At(x, y) = PixelA(pixels.At(x, y)) < 128 ? 0x00FFFFFFu : 0u;
        }
    }
    TGdiBitmap monoMask(::CreateBitmap(view.Width, view.Height, 1, 1, nullptr));
    {
        TMemoryDC dc;
        TSelectObjectGuard select(dc.Get(), monoMask.Get());
        ::BitBlt(dc.Get(), 0, 0, view.Width, view.Height, mask.Canvas().Handle(), 0, 0, SRCCOPY);
    }
    ::ImageList_Add(FHandle, image.Handle(), monoMask.Get());
}

void TCustomImageList::FreeHandle() {
    if (FHandle != nullptr) {
        ::ImageList_Destroy(FHandle);
        FHandle = nullptr;
    }
}

void TCustomImageList::RebuildHandle() {
    if (FHandle != nullptr) {
        FreeHandle();
        Handle();
    }
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
    if (link == nullptr) {
        return;
    }
    if (link->FSender != nullptr && link->FSender != this) {
        link->FSender->UnRegisterChanges(link);
    }
    if (std::find(FLinks.begin(), FLinks.end(), link) == FLinks.end()) {
        FLinks.push_back(link);
    }
    link->FSender = this;
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
    FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), link), FLinks.end());
    if (link != nullptr && link->FSender == this) {
        link->FSender = nullptr;
    }
}

void TCustomImageList::Loaded() {
    TComponent::Loaded();
    // Changes while loading were held back; tell the listeners once now.
    Change();
}

void TCustomImageList::Change() {
    if (HasState(csLoading) || HasState(csDestroying)) {
        return;
    }
    if (OnChange) {
        OnChange(this);
    }
    // A copy: a listener may unregister itself while being told.
    const std::vector<TChangeLink*> links = FLinks;
    for (TChangeLink* link : links) {
        if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end() && link->OnChange) {
            link->OnChange(this);
        }
    }
}

} // namespace sj
