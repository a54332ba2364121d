// TIcon: an icon from an .ico file, a stream or an icon handle, drawn with its own
// transparency.
//
// An .ico holds several images; the one loaded is the closest to the requested size
// (`SetSize`, by default the system's large icon size), the deepest colour first
// among equals. The file's bytes are kept so that saving writes every image back.
#pragma once

#include "forms/GdiHandles.h"
#include "forms/Graphics.h"
#include "platform/Pixmap.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace sj {

class TIcon : public TGraphic {
public:
    struct TIconImageInfo {
        int Width = 0;
        int Height = 0;
        int BitCount = 0;
    };

    TIcon() = default;
    ~TIcon() override = default;

    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    bool Empty() const override { return !FHandle; }
    // The size wanted from multi-image files; 0 means the system's large icon size.
    // A loaded file is re-read at the new size.
    void SetSize(int width, int height);

    // The icon handle; the icon keeps owning it.
    HICON Handle() const { return FHandle.Get(); }
    // Takes ownership of the handle.
    void SetHandle(HICON icon);
    // Gives the handle to the caller; the icon becomes empty.
    HICON ReleaseHandle();

    // The images of the loaded file, in file order (empty for an icon made from a
    // handle).
    const std::vector<TIconImageInfo>& Images() const { return FImages; }

    void Assign(const TIcon& source);
    // The icon's pixels with straight alpha (taken from the mask when the icon has
    // no alpha channel); empty for an empty icon.
    TacPixmap ToPixmap() const;

    void Draw(TCanvas& canvas, const RECT& rect) override;
    void LoadFromStream(std::istream& stream) override;
    void SaveToStream(std::ostream& stream) const override;
    std::unique_ptr<TGraphic> Clone() const override;
    std::string_view ClassName() const override { return "TIcon"; }

private:
    void LoadFromData(std::vector<std::uint8_t> data);
    void ResetToHandle(HICON icon);

    TGdiIcon FHandle;
    int FWidth = 0;
    int FHeight = 0;
    int FRequestedWidth = 0;
    int FRequestedHeight = 0;
    std::vector<std::uint8_t> FData;
    std::vector<TIconImageInfo> FImages;
};

// True when the bytes start like an .ico file.
bool LooksLikeIcon(const std::uint8_t* data, std::size_t size);

} // namespace sj
