#include "skin/paint/acAlphaImageList.h"

#include "forms/FormReader.h"
#include "forms/Icon.h"
#include "forms/NonVisualClasses.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/acPNG.h"
#include "skin/paint/acResample.h"
#include "skin/paint/sGraphUtils.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <utility>

namespace sj {

namespace {

constexpr std::pair<std::string_view, TsImageFormat> ImageFormatNames[] = {{"ifPNG", TsImageFormat::ifPNG},
                                                                           {"ifICO", TsImageFormat::ifICO}};

constexpr std::pair<std::string_view, TPixelFormat> PixelFormatNames[] = {
    {"pfDevice", TPixelFormat::pfDevice}, {"pf1bit", TPixelFormat::pf1bit},   {"pf4bit", TPixelFormat::pf4bit},
    {"pf8bit", TPixelFormat::pf8bit},     {"pf15bit", TPixelFormat::pf15bit}, {"pf16bit", TPixelFormat::pf16bit},
    {"pf24bit", TPixelFormat::pf24bit},   {"pf32bit", TPixelFormat::pf32bit}, {"pfCustom", TPixelFormat::pfCustom}};

template <class E, std::size_t N>
E EnumByName(const TPropValue& value, const std::pair<std::string_view, E> (&names)[N]) {
    const std::string& ident = AsIdent(value);
    for (const auto& [name, member] : names) {
        if (SameText(name, ident))
            return member;
    }
    throw EReadError("Invalid property value");
}

template <class E, std::size_t N> std::string NameOf(E member, const std::pair<std::string_view, E> (&names)[N]) {
    for (const auto& [name, candidate] : names) {
        if (candidate == member)
            return std::string(name);
    }
    return std::string(names[0].first);
}

TPropValue IdentValue(std::string text) {
    TPropValue value;
    value.kind = TValueKind::vaIdent;
    value.text = std::move(text);
    return value;
}

TPropValue IntegerValue(int number) {
    TPropValue value;
    value.kind = TValueKind::vaInteger;
    value.integer = number;
    return value;
}

TPropValue BinaryValue(std::vector<std::uint8_t> bytes) {
    TPropValue value;
    value.kind = TValueKind::vaBinary;
    value.bytes = std::move(bytes);
    return value;
}

TsImgListItem ReadItem(const std::vector<TPropEntry>& entries) {
    TsImgListItem item;
    for (const TPropEntry& entry : entries) {
        if (entry.name == "ImageFormat")
            item.ImageFormat = EnumByName(entry.value, ImageFormatNames);
        else if (entry.name == "PixelFormat")
            item.PixelFormat = EnumByName(entry.value, PixelFormatNames);
        else if (entry.name == "ImgData")
            item.ImgData = AsBinary(entry.value);
        else
            throw EReadError("Property " + entry.name + " does not exist");
    }
    return item;
}

std::vector<TPropEntry> StoredItem(const TsImgListItem& item) {
    std::vector<TPropEntry> entries;
    entries.push_back({"ImageFormat", IdentValue(NameOf(item.ImageFormat, ImageFormatNames))});
    if (item.PixelFormat != TPixelFormat::pf32bit)
        entries.push_back({"PixelFormat", IdentValue(NameOf(item.PixelFormat, PixelFormatNames))});
    entries.push_back({"ImgData", BinaryValue(item.ImgData)});
    return entries;
}

bool HasAnyAlpha(const TacPixmap& pixels) {
    return std::any_of(pixels.Data().begin(), pixels.Data().end(), [](TPixel32 p) { return PixelA(p) != 0; });
}

// Width x height from the decoded image: the filter needs two pixels each way, so a
// smaller image is stretched by nearest neighbour instead.
TacPixmap Resampled(const TacPixmap& source, int width, int height) {
    TacPixmap result;
    if (source.Width() >= 2 && source.Height() >= 2) {
        ResampleBitmap(ViewOf(source), result, width, height, TacResampleFilter::Mitchell);
    } else {
        result.SetSize(width, height);
        StretchPixels(result.View(), {0, 0, width, height}, ViewOf(source), {0, 0, source.Width(), source.Height()});
    }
    return result;
}

void LoadIcon(TIcon& icon, const std::vector<std::uint8_t>& data, int width, int height) {
    icon.SetSize(width, height);
    std::istringstream stream(std::string(data.begin(), data.end()));
    icon.LoadFromStream(stream);
}

// Copies the canvas pixels under (x, y, width, height) into a 32-bit scratch, lets
// `paint` work on it, and puts it back.
template <typename Paint> void PaintThroughScratch(TCanvas& canvas, int x, int y, int width, int height, Paint paint) {
    HDC dc = canvas.Handle();
    if (dc == nullptr || width <= 0 || height <= 0)
        return;
    TBitmap scratch(width, height);
    ::BitBlt(scratch.Canvas().Handle(), 0, 0, width, height, dc, x, y, SRCCOPY);
    paint(scratch.Pixels());
    ::BitBlt(dc, x, y, width, height, scratch.Canvas().Handle(), 0, 0, SRCCOPY);
}

} // namespace

void MakeOpaqueExceptBottomLeft(TacPixelsView pixels) {
    if (pixels.Empty())
        return;
    for (int y = 0; y < pixels.Height; ++y) {
        for (int x = 0; x < pixels.Width; ++x) {
            if (PixelA(pixels.At(x, y)) != 0)
                return;
        }
    }
    const TPixel32 clear = pixels.At(0, pixels.Height - 1);
    for (int y = 0; y < pixels.Height; ++y) {
        for (int x = 0; x < pixels.Width; ++x) {
            TPixel32& p = pixels.At(x, y);
            if (p != clear)
                p |= 0xFF000000u;
        }
    }
}

TsAlphaImageList::TsAlphaImageList(TComponent* owner) : TCustomImageList(owner) {
    if (!HasState(csLoading))
        GenerateStdList();
}

int TsAlphaImageList::AddImageData(std::vector<std::uint8_t> data, TsImageFormat format) {
    TsImgListItem item;
    item.ImageFormat = format;
    item.ImgData = std::move(data);
    FItems.push_back(std::move(item));
    try {
        GenerateStdList();
    } catch (...) {
        FItems.pop_back();
        GenerateStdList();
        throw;
    }
    return static_cast<int>(FItems.size()) - 1;
}

void TsAlphaImageList::AppendItemImage(TsImgListItem& item) {
    if (item.ImageFormat == TsImageFormat::ifICO) {
        TIcon icon;
        LoadIcon(icon, item.ImgData, Width(), Height());
        item.SourceWidth = icon.Width();
        item.SourceHeight = icon.Height();
        AddIcon(icon);
        return;
    }
    TPNGGraphic png;
    png.LoadFromBytes(item.ImgData);
    item.SourceWidth = png.Width();
    item.SourceHeight = png.Height();
    // The decoder already gives images without an alpha channel opaque pixels and clear
    // key-colour pixels, which is what the system list's mask wants.
    AddPixels(png.Pixels());
}

void TsAlphaImageList::GenerateStdList() {
    const bool wasRebuilding = FRebuilding;
    FRebuilding = true;
    try {
        Clear();
        for (TsImgListItem& item : FItems) {
            item.ScaledCache = {};
            AppendItemImage(item);
        }
    } catch (...) {
        FRebuilding = wasRebuilding;
        throw;
    }
    FRebuilding = wasRebuilding;
    FSystemListBuilt = true;
    if (!KeepItems && !HasState(csDesigning))
        FItems.clear();
    if (!FRebuilding)
        TCustomImageList::Change();
}

void TsAlphaImageList::Loaded() {
    TCustomImageList::Loaded();
    GenerateStdList();
}

void TsAlphaImageList::Change() {
    if (FRebuilding)
        return;
    if (!FSystemListBuilt) {
        TCustomImageList::Change();
        return;
    }
    const int items = static_cast<int>(FItems.size());
    const int images = Count();
    const bool designing = HasState(csDesigning);
    // A size change empties the system list: the kept items fill it again.
    if (!designing && KeepItems && items > images) {
        GenerateStdList();
        return;
    }
    if (!KeepItems || items < images)
        MakeImagesOpaque();
    TCustomImageList::Change();
}

// Images added without any alpha (plain pixels from elsewhere) would draw invisible:
// they become opaque except for the key colour.
void TsAlphaImageList::MakeImagesOpaque() {
    const bool wasRebuilding = FRebuilding;
    FRebuilding = true;
    for (int i = 0; i < Count(); ++i) {
        TacPixmap pixels = ImagePixels(i);
        if (pixels.Empty() || HasAnyAlpha(pixels))
            continue;
        for (int y = 0; y < pixels.Height(); ++y) {
            for (int x = 0; x < pixels.Width(); ++x) {
                TPixel32& p = pixels.At(x, y);
                if (p != clKeyPixel)
                    p |= 0xFF000000u;
            }
        }
        TBitmap image;
        image.Assign(pixels);
        Replace(i, image);
    }
    FRebuilding = wasRebuilding;
}

bool TsAlphaImageList::HasPngData(int index) const {
    if (index < 0 || index >= static_cast<int>(FItems.size()))
        return false;
    const TsImgListItem& item = FItems[static_cast<std::size_t>(index)];
    return item.ImageFormat == TsImageFormat::ifPNG && !item.ImgData.empty();
}

TacPixmap TsAlphaImageList::GetItemBitmap(int index, int width, int height) {
    if (width <= 0 || height <= 0)
        return {};
    if (!HasPngData(index))
        return ImagePixels(index);
    TsImgListItem& item = FItems[static_cast<std::size_t>(index)];
    if (item.ScaledCache.Width() == width && item.ScaledCache.Height() == height)
        return item.ScaledCache;
    item.ScaledCache = {};

    TPNGGraphic png;
    png.LoadFromBytes(item.ImgData);
    item.SourceWidth = png.Width();
    item.SourceHeight = png.Height();
    TacPixmap result;
    if (png.Width() == width && png.Height() == height) {
        result = std::move(png.Pixels());
        if (!png.HasAlpha()) {
            // As a bitmap without an alpha channel: the bottom-left colour is the clear one.
            const TacPixelsView view = result.View();
            for (int row = 0; row < view.Height; ++row) {
                for (int column = 0; column < view.Width; ++column)
                    view.At(column, row) &= 0x00FFFFFFu;
            }
            MakeOpaqueExceptBottomLeft(view);
        }
    } else {
        result = Resampled(png.Pixels(), width, height);
    }
    item.ScaledCache = result;
    return result;
}

void TsAlphaImageList::DoDraw(int index, TCanvas& canvas, int x, int y, bool enabled) {
    if (index < 0 || !HasPngData(index)) {
        TCustomImageList::DoDraw(index, canvas, x, y, enabled);
        return;
    }
    const TacPixmap image = GetItemBitmap(index, Width(), Height());
    if (!enabled) {
        // The framework's disabled look (grey, half transparent) over the alpha image.
        DrawPixels(image, canvas, x, y, false);
        return;
    }
    PaintThroughScratch(canvas, x, y, image.Width(), image.Height(), [&](TacPixelsView face) {
        BlendAlphaImage(face, {0, 0, face.Width, face.Height}, ViewOf(image), {0, 0, image.Width(), image.Height()});
    });
}

void TsAlphaImageList::Assign(const TCustomImageList& source) {
    if (&source == this)
        return;
    const bool wasRebuilding = FRebuilding;
    FRebuilding = true;
    try {
        SetMasked(source.Masked());
        SetImageType(source.ImageType());
        SetDrawingStyle(source.DrawingStyle());
        SetSize(source.Width(), source.Height());
        SetBkColor(source.BkColor());
        SetBlendColor(source.BlendColor());
        Clear();
        FItems.clear();
        if (const auto* alphaList = dynamic_cast<const TsAlphaImageList*>(&source)) {
            for (const TsImgListItem& other : alphaList->FItems) {
                TsImgListItem item;
                item.ImageFormat = other.ImageFormat;
                item.PixelFormat = other.PixelFormat;
                item.ImgData = other.ImgData;
                FItems.push_back(std::move(item));
            }
            FRebuilding = wasRebuilding;
            GenerateStdList();
            return;
        }
        for (int i = 0; i < source.Count(); ++i)
            AddPixels(source.ImagePixels(i));
    } catch (...) {
        FRebuilding = wasRebuilding;
        throw;
    }
    FRebuilding = wasRebuilding;
    FSystemListBuilt = true;
    if (!FRebuilding)
        TCustomImageList::Change();
}

std::vector<TPropEntry> TsAlphaImageList::StoredProperties() const {
    std::vector<TPropEntry> entries;
    entries.push_back({"Height", IntegerValue(Height())});
    entries.push_back({"Width", IntegerValue(Width())});
    entries.push_back({"Bitmap", BinaryValue({})});
    TPropValue items;
    items.kind = TValueKind::vaCollection;
    for (const TsImgListItem& item : FItems)
        items.items.push_back(StoredItem(item));
    entries.push_back({"Items", std::move(items)});
    return entries;
}

void RegisterAlphaImageListClass() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterNonVisualClasses();
    RegisterComponentClass<TsAlphaImageList>();
    using TSetter = std::function<void(TsAlphaImageList&, const TPropValue&, TReadContext&)>;
    RegisterProperty<TsAlphaImageList>("Items",
                                       TSetter([](TsAlphaImageList& list, const TPropValue& value, TReadContext&) {
                                           if (value.kind != TValueKind::vaCollection)
                                               throw EReadError("Invalid property value");
                                           TsImgListItems items;
                                           for (const auto& entries : value.items)
                                               items.push_back(ReadItem(entries));
                                           list.Items() = std::move(items);
                                       }));
    // The framework list's own bitmap data is written empty: the items are the images.
    RegisterProperty<TsAlphaImageList>(
        "Bitmap", TSetter([](TsAlphaImageList&, const TPropValue& value, TReadContext&) { (void)AsBinary(value); }));
}

TacRect DrawItemInto(TacPixelsView target, int x, int y, TCustomImageList& list, int index,
                     const TacItemDrawOptions& options) {
    const int columns = std::max(options.Columns, 1);
    const int column = std::clamp(options.Column, 0, columns - 1);
    const int width = list.Width() / columns;
    const int height = list.Height();
    const TacRect rect{x, y, x + width, y + height};
    if (index < 0 || index >= list.Count() || width <= 0 || target.Empty())
        return rect;
    const TacRect source{column * width, 0, column * width + width, height};

    if (auto* alphaList = dynamic_cast<TsAlphaImageList*>(&list)) {
        const TacPixmap image = alphaList->GetItemBitmap(index, list.Width(), height);
        TacAlphaBlendOptions blend;
        blend.Reflected = options.Reflected;
        blend.Transparency = options.Transparency;
        blend.UseKey = options.UseKey;
        blend.Key = options.Key;
        BlendAlphaImage(target, rect, ViewOf(image), source, blend);
        return rect;
    }
    TBitmap scratch(width, height);
    CopyPixels(scratch.Pixels(), 0, 0, target, rect);
    list.Draw(scratch.Canvas(), -source.Left, 0, index);
    CopyPixels(target, x, y, scratch.Pixels(), {0, 0, width, height});
    return rect;
}

} // namespace sj
