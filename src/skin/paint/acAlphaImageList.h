// TsAlphaImageList: an image list whose items keep their PNG (or ICO) file bytes, so
// icons with soft edges are drawn with their alpha over whatever lies behind them and
// can be asked for at any size (Mitchell-resampled, cached per item).
//
// The items are what stored forms carry ("Items" with each item's ImageFormat,
// PixelFormat and "ImgData"); the system image list of the framework list is rebuilt
// from them after loading and on every change that leaves it short of items.
#pragma once

#include "forms/Bitmap.h"
#include "forms/FormText.h"
#include "forms/ImgList.h"
#include "platform/Pixmap.h"

#include <cstdint>
#include <vector>

namespace sj {

enum class TsImageFormat { ifPNG, ifICO };

struct TsImgListItem {
    TsImageFormat ImageFormat = TsImageFormat::ifPNG;
    TPixelFormat PixelFormat = TPixelFormat::pf32bit;
    int SourceWidth = 0;
    int SourceHeight = 0;
    std::vector<std::uint8_t> ImgData;
    // The item decoded at the size last asked for.
    TacPixmap ScaledCache;
};

using TsImgListItems = std::vector<TsImgListItem>;

class TsAlphaImageList : public TCustomImageList {
    SJ_CLASS(TsAlphaImageList, TCustomImageList)

public:
    explicit TsAlphaImageList(TComponent* owner);

    TsImgListItems& Items() { return FItems; }
    const TsImgListItems& Items() const { return FItems; }
    // Appends an item holding a file's bytes and rebuilds the system list; throws the
    // decoder's error (and drops the item) when the bytes cannot be read.
    int AddImageData(std::vector<std::uint8_t> data, TsImageFormat format = TsImageFormat::ifPNG);

    // Items stay after the system list is built (always while designing).
    bool KeepItems = true;
    bool SystemListBuilt() const { return FSystemListBuilt; }
    // Rebuilds the system list from the items; throws when an item cannot be decoded.
    void GenerateStdList();

    // Item `index` as 32-bit pixels of width x height with straight alpha; empty for a
    // bad index or size. Items without their file bytes give the system list's image.
    TacPixmap GetItemBitmap(int index, int width, int height);

    // From another alpha list: its settings and items, then a rebuild. From any other
    // image list: its size and images, image by image.
    void Assign(const TCustomImageList& source);

    // The stored form of the list: size, the inherited bitmap data (always empty) and
    // the items.
    std::vector<TPropEntry> StoredProperties() const;

protected:
    void Loaded() override;
    void DoDraw(int index, TCanvas& canvas, int x, int y, bool enabled) override;
    void Change() override;

private:
    bool HasPngData(int index) const;
    void AppendItemImage(TsImgListItem& item);
    void MakeImagesOpaque();

    TsImgListItems FItems;
    bool FSystemListBuilt = false;
    bool FRebuilding = false;
};

// Registers TsAlphaImageList and its stored properties with the form reader.
// Idempotent.
void RegisterAlphaImageListClass();

// One state column of a list image blended into a face (skinned buttons keep their
// state images side by side in one list image).
struct TacItemDrawOptions {
    int Columns = 1;
    int Column = 0;
    bool Reflected = false;
    int Transparency = 0; // percent
    bool UseKey = false;
    TPixel32 Key = clKeyPixel;
};

// Draws column min(Column, Columns - 1) of image `index`, Width div Columns wide, with
// its top-left at (x, y) of the target; returns that rectangle (drawn or not). An
// alpha list blends its item bitmap; any other list draws over a copy of the face.
TacRect DrawItemInto(TacPixelsView target, int x, int y, TCustomImageList& list, int index,
                     const TacItemDrawOptions& options = {});

// When no pixel has any alpha, the bottom-left pixel's value is taken as clear and
// every pixel of another value becomes opaque.
void MakeOpaqueExceptBottomLeft(TacPixelsView pixels);

} // namespace sj
