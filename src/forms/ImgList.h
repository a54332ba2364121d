// TCustomImageList: a list of equally sized images drawn by index, backed by a
// system image list (for the system controls that take one, such as tab controls).
//
// Every image is also kept as 32-bit pixels with straight alpha, so drawing blends
// soft edges whatever the common-controls version: images added without alpha get
// it from their mask or mask colour (clear where masked, opaque elsewhere).
// Changes are announced through OnChange and to every registered TChangeLink.
#pragma once

#include "forms/Classes.h"
#include "forms/Graphics.h"
#include "platform/Pixmap.h"

#include <windows.h>

#include <commctrl.h>

#include <vector>

namespace sj {

class TBitmap;
class TIcon;
class TCustomImageList;

enum class TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum class TImageType { itImage, itMask };

// A listener of one image list (a button or page control that shows its images).
class TChangeLink {
public:
    TChangeLink() = default;
    ~TChangeLink();
    TChangeLink(const TChangeLink&) = delete;
    TChangeLink& operator=(const TChangeLink&) = delete;

    // The list this link listens to; null once the list is gone.
    TCustomImageList* Sender() const { return FSender; }
    TNotifyEvent OnChange;

private:
    friend class TCustomImageList;
    TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
    SJ_CLASS(TCustomImageList, TComponent)

public:
    explicit TCustomImageList(TComponent* owner);
    ~TCustomImageList() override;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Changing the size empties the list (the images no longer fit).
    void SetWidth(int width) { SetSize(width, FHeight); }
    void SetHeight(int height) { SetSize(FWidth, height); }
    void SetSize(int width, int height);

    bool Masked() const { return FMasked; }
    void SetMasked(bool masked);
    TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
    void SetDrawingStyle(TDrawingStyle style);
    TImageType ImageType() const { return FImageType; }
    void SetImageType(TImageType type);
    // Filled behind each image unless clNone.
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor color);
    // Blended over images drawn with dsFocus (25 %) or dsSelected (50 %); clNone
    // takes the highlight colour.
    TColor BlendColor() const { return FBlendColor; }
    void SetBlendColor(TColor color);
    int AllocBy() const { return FAllocBy; }
    void SetAllocBy(int count) { FAllocBy = count > 0 ? count : 1; }

    virtual int Count() const { return static_cast<int>(FImages.size()); }

    // Adds one image, or several when the bitmap is a strip of images side by side.
    // `mask`: white marks clear pixels. Returns the index of the first image added.
    int Add(TBitmap& image, TBitmap* mask = nullptr);
    // Pixels of `maskColor` are clear; the source bitmap is not changed.
    int AddMasked(TBitmap& image, TColor maskColor);
    int AddIcon(TIcon& icon);
    // Straight-alpha pixels of the list's size.
    int AddPixels(const TacPixmap& pixels);
    void Replace(int index, TBitmap& image, TBitmap* mask = nullptr);
    void Delete(int index);
    void Clear();

    // Draws image `index` with its alpha at (x, y); a disabled image is drawn grey
    // and half transparent. Out-of-range indexes draw nothing.
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true);
    // The image as a bitmap of the list's size with straight alpha.
    bool GetBitmap(int index, TBitmap& target) const;
    // The stored pixels of one image; empty for a bad index.
    TacPixmap ImagePixels(int index) const;

    // The system image list (made now if needed), holding the same images.
    HIMAGELIST Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }

    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);

    TNotifyEvent OnChange;

protected:
    void Loaded() override;
    // Paints one image; descendants with their own image sources override it.
    virtual void DoDraw(int index, TCanvas& canvas, int x, int y, bool enabled);
    // Announces a change to OnChange and the change links.
    virtual void Change();
    // Blends `pixels` (straight alpha, list size) at (x, y) with the list's style.
    void DrawPixels(const TacPixmap& pixels, TCanvas& canvas, int x, int y, bool enabled);

private:
    void RebuildHandle();
    void AddToHandle(const TacPixmap& pixels);
    void FreeHandle();
    std::vector<TacPixmap> SplitStrip(TBitmap& image, TBitmap* mask, bool hasMaskColor, TColor maskColor);
    // Appends a strip's images with one change notice; the first one's index, -1 for none.
    int AppendImages(std::vector<TacPixmap> images);

    int FWidth = 16;
    int FHeight = 16;
    bool FMasked = true;
    TDrawingStyle FDrawingStyle = TDrawingStyle::dsNormal;
    TImageType FImageType = TImageType::itImage;
    TColor FBkColor = clNone;
    TColor FBlendColor = clNone;
    int FAllocBy = 4;
    std::vector<TacPixmap> FImages;
    HIMAGELIST FHandle = nullptr;
    std::vector<TChangeLink*> FLinks;
};

class TImageList : public TCustomImageList {
    SJ_CLASS(TImageList, TCustomImageList)

public:
    using TCustomImageList::TCustomImageList;
};

} // namespace sj
