// TPicture: holds one graphic of any registered kind (bitmap, icon, and whatever
// other units register, such as the skin layer's PNG images) and loads files or
// streams by recognising the graphic's first bytes, else by the file extension.
#pragma once

#include "forms/Graphics.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

namespace sj {

class TBitmap;
class TIcon;

// A kind of graphic a picture can hold.
struct TGraphicFormat {
    std::string Extension;   // without the dot, e.g. "png"
    std::string Description; // e.g. "Portable Network Graphics"
    // True when the first bytes of a file belong to this kind (may be empty).
    std::function<bool(const std::uint8_t* data, std::size_t size)> Recognises;
    std::function<std::unique_ptr<TGraphic>()> Create;
};

class TPicture {
public:
    TPicture();
    ~TPicture();
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    // Formats registered later win over earlier ones with the same extension.
    static void RegisterFileFormat(TGraphicFormat format);
    // The filter text of the registered formats for an open dialog.
    static std::string GraphicFilter();

    // Null when the picture is empty.
    TGraphic* Graphic() const { return FGraphic.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    // A copy of `graphic` (null empties the picture).
    void Assign(const TGraphic* graphic);
    void Assign(const TPicture& other) { Assign(other.Graphic()); }

    // The held bitmap or icon; the picture switches to an empty one of that kind
    // when it holds something else.
    TBitmap& Bitmap();
    TIcon& Icon();

    int Width() const;
    int Height() const;
    bool Empty() const { return FGraphic == nullptr || FGraphic->Empty(); }

    // Throw for unknown kinds and bad contents; the picture is unchanged then.
    void LoadFromStream(std::istream& stream, const std::string& extensionHint = "");
    void LoadFromFile(const std::string& path);
    void SaveToStream(std::ostream& stream) const;
    void SaveToFile(const std::string& path) const;

    std::function<void()> OnChange;

private:
    void Changed();

    std::unique_ptr<TGraphic> FGraphic;
};

} // namespace sj
