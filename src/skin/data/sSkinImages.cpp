#include "skin/data/sSkinImages.h"

#include "platform/Exception.h"
#include "skin/data/sSkinSections.h"
#include "skin/paint/acBmpImage.h"
#include "skin/paint/acJpegImage.h"
#include "skin/paint/acPNG.h"
#include "skin/paint/sGraphUtils.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace sj {

namespace {

const std::string sGlobalInfo = "GLOBALINFO";

// JPEG images of at least this many pixels stay patterns; smaller ones become textures.
constexpr std::int64_t JpegPatternMinPixels = 900000;

std::int16_t Int16(std::int32_t v) {
    return static_cast<std::int16_t>(v);
}

// Every image of a skin is decoded here, so that no image is allocated past the budget.
TacPixmap DecodeWith(const TsImageLoadContext& c, const TsImageDecoders::TDecoder& decoder, const TacBytes& bytes,
                     const char* kind) {
    if (!decoder) {
        throw Exception(std::string("No decoder for ") + kind + " images");
    }
    const std::int64_t left = std::max<std::int64_t>(c.ImagePixelBudget - c.ImagePixelsUsed, 0);
    TacPixmap image;
    try {
        image = decoder(bytes, left);
    } catch (const EImageTooLarge&) {
        throw Exception(SkinImagesTooLargeText(c.ImagePixelBudget));
    }
    c.ImagePixelsUsed += std::int64_t{image.Width()} * image.Height();
    if (c.ImagePixelsUsed > c.ImagePixelBudget) {
        throw Exception(SkinImagesTooLargeText(c.ImagePixelBudget));
    }
    return image;
}

TacPixmap DecodeSkinBmp(const TsImageLoadContext& c, const TacBytes& bytes) {
    TacPixmap image = DecodeWith(c, c.Decoders.Bmp, bytes, "BMP");
    if (BmpBitsPerPixel(bytes) < 32) {
        SetOpaqueExceptKey(image);
    }
    return image;
}

std::shared_ptr<TacPixmap> Shared(TacPixmap image) {
    return std::make_shared<TacPixmap>(std::move(image));
}

TsMaskData WholeImageItem(std::shared_ptr<TacPixmap> image) {
    TsMaskData item;
    item.SourceRect = TsMaskRect{0, 0, image->Width(), image->Height()};
    item.OwnBitmap = std::move(image);
    return item;
}

// The description's plain ".BMP" value: the whole bitmap as a three-state borders mask.
TsMaskData PlainBitmapItem(std::shared_ptr<TacPixmap> image) {
    TsMaskData item = WholeImageItem(std::move(image));
    item.ItemKind = ikBorders;
    item.FrameCount = 3;
    item.MaskKind = 1;
    item.BorderLeft = item.BorderRight = Int16(item.SourceRect.Width() / 9);
    item.BorderTop = item.BorderBottom = Int16(item.SourceRect.Height() / 6);
    return item;
}

void FinishBordersItem(TsMaskData& item) {
    if (item.BorderLeft + item.BorderTop + item.BorderRight + item.BorderBottom == 0) {
        if (item.CommonBorder != 0) {
            item.BorderLeft = item.BorderTop = item.BorderRight = item.BorderBottom = item.CommonBorder;
        } else {
            SetDefaultBorders(item);
        }
    }
}

class TsItemBuilder {
public:
    TsItemBuilder(const TsImageLoadContext& context, TsSkinModel& model) : C(context), M(model) {}

    void AddValue(const std::string& section, const std::string& key, const std::string& value) {
        switch (ImageFormOf(value)) {
        case TsImageForm::OwnFile:
            AddOwnFile(section, key, value);
            break;
        case TsImageForm::Glyph:
            Append(ParseGlyphValue(value), section, key);
            break;
        case TsImageForm::BordersFixed:
            AddBordersFixed(section, key, value);
            break;
        case TsImageForm::TextureFixed:
            Append(ParseTextureFixedValue(value), section, key);
            break;
        case TsImageForm::BordersFree:
            AddBordersFree(section, key, value);
            break;
        case TsImageForm::PlainBmp:
            AddPlainBmp(section, key, value);
            break;
        case TsImageForm::Jpeg:
        case TsImageForm::None:
            break;
        }
    }

    void AddBordersFree(const std::string& section, const std::string& key, const std::string& value) {
        TsMaskData item = ParseBordersFreeValue(value);
        FinishBordersItem(item);
        Append(std::move(item), UpperCase(section), UpperCase(key), true);
    }

    void AddLooseBmp(const std::string& section, const std::string& key, const std::string& value) {
        AddPlainBitmap(C.Files.FindLoose(value), section, key);
    }

private:
    void Append(TsMaskData item, const std::string& section, const std::string& key, bool cornerKind = false) {
        item.Section = section;
        item.Key = key;
        item.Owner = &M;
        if (cornerKind) {
            item.CornerKind = ComputeCornerKind(item, item.OwnBitmap ? item.OwnBitmap.get() : &M.MasterBitmap);
        }
        M.Masks.push_back(std::move(item));
    }

    void AddOwnFile(const std::string& section, const std::string& key, const std::string& value) {
        const TsOwnFileValue v = ParseOwnFileValue(value);
        const bool isBmp = Contains(v.FileName, ".BMP");
        if (!isBmp && !Contains(v.FileName, ".PNG")) {
            return;
        }
        const auto bytes = C.Files.Find(v.FileName, UpperCase(v.FileName));
        if (!bytes) {
            return;
        }
        TacPixmap decoded;
        if (isBmp) {
            decoded = DecodeSkinBmp(C, *bytes);
        } else {
            decoded = DecodeWith(C, C.Decoders.Png, *bytes, "PNG");
            PrepareSkinPng(decoded, M.SkinGlobals.Version);
        }
        if (decoded.Width() <= 0) {
            return;
        }
        TsMaskData item = WholeImageItem(Shared(std::move(decoded)));
        item.ItemKind = v.ItemKind;
        item.FrameCount = v.FrameCount;
        item.MaskKind = v.MaskKind;
        if (v.FieldCount < 5) {
            SetDefaultBorders(item);
        } else {
            item.BorderLeft = v.BorderLeft;
            item.BorderTop = v.BorderTop;
            item.BorderRight = v.BorderRight;
            item.BorderBottom = v.BorderBottom;
        }
        item.PaintFlags = v.FieldCount >= 9 ? v.PaintFlags : std::int16_t{1};
        const bool borders = item.ItemKind == ikBorders;
        Append(std::move(item), section, key, borders);
    }

    void AddBordersFixed(const std::string& section, const std::string& key, const std::string& value) {
        TsMaskData item = ParseBordersFixedValue(value);
        if (M.SkinGlobals.Version < 7.4 && item.MaskKind > 0) {
            // Old skins did not say whether the one-pixel middle of a border is stretched.
            const bool onePixelMiddle =
                item.SourceRect.Width() / NonZero(item.FrameCount) - item.BorderLeft - item.BorderRight == 1 &&
                item.SourceRect.Height() / (item.MaskKind + 1) - item.BorderTop - item.BorderBottom == 1;
            item.PaintFlags = Int16(onePixelMiddle ? (item.PaintFlags | 1) : (item.PaintFlags & ~1));
        }
        FinishBordersItem(item);
        Append(std::move(item), section, key, true);
    }

    void AddPlainBmp(const std::string& section, const std::string& key, const std::string& value) {
        AddPlainBitmap(C.Files.Find(value, UpperCase(value)), section, key);
    }

    void AddPlainBitmap(const std::optional<TacBytes>& bytes, const std::string& section, const std::string& key) {
        if (!bytes) {
            return;
        }
        auto image = Shared(DecodeSkinBmp(C, *bytes));
        if (image->Width() > 0) {
            Append(PlainBitmapItem(std::move(image)), UpperCase(section), UpperCase(key), true);
        }
    }

    static std::int32_t NonZero(std::int32_t v) {
        if (v == 0) {
            throw Exception("Division by zero");
        }
        return v;
    }

    const TsImageLoadContext& C;
    TsSkinModel& M;
};

bool IsJpegValue(const std::string& value) {
    const std::string upper = UpperCase(value);
    return Contains(upper, ".JPG") || Contains(upper, ".JPEG");
}

void AddJpeg(TsSkinModel& model, TacPixmap image, const std::string& section, const std::string& key,
             bool alwaysPattern) {
    if (image.Width() <= 0) {
        return;
    }
    const std::int64_t pixels = std::int64_t{image.Width()} * image.Height();
    if (alwaysPattern || pixels >= JpegPatternMinPixels) {
        model.Patterns.push_back(TsPatternData{Shared(std::move(image)), UpperCase(section), UpperCase(key)});
        return;
    }
    SetOpaqueExceptKey(image);
    TsMaskData item = WholeImageItem(Shared(std::move(image)));
    item.Section = UpperCase(section);
    item.Key = UpperCase(key);
    item.ItemKind = ikTexture;
    item.FrameCount = 1;
    item.Owner = &model;
    model.Masks.push_back(std::move(item));
}

template <class Visit> void ForEachEntry(const TacMemIni& ini, const Visit& visit) {
    for (const TacIniSection& section : ini.Sections()) {
        for (const TacIniEntry& entry : section.Entries) {
            visit(section, entry);
        }
    }
}

// The manager's extra lines as a description; empty when it has none.
TacMemIni ExtraLinesOf(const TsImageLoadContext& c) {
    TacMemIni lines;
    if (c.CommonSections != nullptr && !c.CommonSections->Empty()) {
        lines.SetLines(c.CommonSectionLines);
    }
    return lines;
}

// The part of the area that lies in the source. A frame reaching past its image (a
// damaged description) must not size the copy: the source bounds what is allocated.
TacPixmap CopyArea(const TacPixmap& source, int left, int top, int width, int height) {
    const int x0 = std::clamp(left, 0, source.Width());
    const int y0 = std::clamp(top, 0, source.Height());
    const auto x1 = std::clamp<std::int64_t>(std::int64_t{left} + std::max(width, 0), x0, source.Width());
    const auto y1 = std::clamp<std::int64_t>(std::int64_t{top} + std::max(height, 0), y0, source.Height());
    TacPixmap result(static_cast<int>(x1 - x0), static_cast<int>(y1 - y0));
    for (int y = 0; y < result.Height(); ++y) {
        for (int x = 0; x < result.Width(); ++x) {
            result.At(x, y) = source.At(x0 + x, y0 + y);
        }
    }
    return result;
}

} // namespace

TsImageDecoders StandardImageDecoders() {
    TsImageDecoders decoders;
    decoders.Bmp = [](std::span<const std::uint8_t> data, std::int64_t maxPixels) {
        return DecodeBmp(data, TacNoAlpha::KeyClear, maxPixels);
    };
    decoders.Png = [](std::span<const std::uint8_t> data, std::int64_t maxPixels) {
        return DecodePng(data, maxPixels);
    };
    decoders.Jpeg = [](std::span<const std::uint8_t> data, std::int64_t maxPixels) {
        return DecodeJpeg(data, TacNoAlpha::KeyClear, maxPixels);
    };
    return decoders;
}

std::string SkinImagesTooLargeText(std::int64_t budgetPixels) {
    const std::int64_t megabytes = budgetPixels * static_cast<std::int64_t>(sizeof(TPixel32)) / (1024 * 1024);
    return "The skin's images need more than " + std::to_string(megabytes) + " MB of memory";
}

int BmpBitsPerPixel(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 30 || bytes[0] != 'B' || bytes[1] != 'M') {
        return 0;
    }
    const std::uint32_t headerSize = std::uint32_t{bytes[14]} | (std::uint32_t{bytes[15]} << 8) |
                                     (std::uint32_t{bytes[16]} << 16) | (std::uint32_t{bytes[17]} << 24);
    const std::size_t at = headerSize == 12 ? 24 : 28; // OS/2 core header or BITMAPINFOHEADER and later
    return bytes[at] | (bytes[at + 1] << 8);
}

void SetOpaqueExceptKey(TacPixmap& image) {
    for (int y = 0; y < image.Height(); ++y) {
        TPixel32* row = image.Row(y);
        for (int x = 0; x < image.Width(); ++x) {
            row[x] = (row[x] & 0x00FFFFFF) == clKeyPixel ? clKeyPixel : (row[x] | 0xFF000000u);
        }
    }
}

void PrepareSkinPng(TacPixmap& image, double skinVersion) {
    ClearTransparentWhite(image);
    if (skinVersion > 7.45) {
        PremultiplyAlpha(image.View());
    }
}

void ClearTransparentWhite(TacPixmap& image) {
    for (int y = 0; y < image.Height(); ++y) {
        TPixel32* row = image.Row(y);
        for (int x = 0; x < image.Width(); ++x) {
            if (row[x] == 0x00FFFFFF) {
                row[x] = 0;
            }
        }
    }
}

void LoadImageItems(const TsImageLoadContext& c, TsSkinModel& model) {
    while (!model.Masks.empty()) {
        model.Masks.pop_back();
    }
    model.MasterBitmap = TacPixmap();
    const std::string master = c.Description.ReadString(sGlobalInfo, "MASTERBITMAP", "");
    model.SkinGlobals.Version = ReadSkinVersion(c.Description);
    if (!master.empty()) {
        if (const auto bytes = c.Files.Find(master, UpperCase(master))) {
            model.MasterBitmap = DecodeSkinBmp(c, *bytes);
        }
    }

    TsItemBuilder builder(c, model);
    ForEachEntry(c.Description, [&](const TacIniSection& section, const TacIniEntry& entry) {
        if (!entry.Value.empty() && !(section.Name == sGlobalInfo && entry.Key == "MASTERBITMAP")) {
            builder.AddValue(section.Name, entry.Key, entry.Value);
        }
    });
    ForEachEntry(ExtraLinesOf(c), [&](const TacIniSection& section, const TacIniEntry& entry) {
        const std::string& v = entry.Value;
        if (UpperCase(section.Name) == sGlobalInfo) {
            return;
        }
        if (!model.MasterBitmap.Empty() && Contains(v, "#") && v != "#") {
            builder.AddBordersFree(section.Name, entry.Key, v);
        } else if (Contains(UpperCase(v), ".BMP")) {
            builder.AddLooseBmp(section.Name, entry.Key, v);
        }
    });
}

void LoadJpegPatterns(const TsImageLoadContext& c, TsSkinModel& model) {
    model.Patterns.clear();
    // The extra lines name loose files only, and their pictures always stay patterns.
    const auto addJpegs = [&](const TacMemIni& ini, bool extraLines) {
        ForEachEntry(ini, [&](const TacIniSection& section, const TacIniEntry& entry) {
            if (!IsJpegValue(entry.Value)) {
                return;
            }
            const auto bytes =
                extraLines ? c.Files.FindLoose(entry.Value) : c.Files.Find(entry.Value, UpperCase(entry.Value));
            if (bytes) {
                AddJpeg(model, DecodeWith(c, c.Decoders.Jpeg, *bytes, "JPEG"), section.Name, entry.Key, extraLines);
            }
        });
    };
    addJpegs(c.Description, false);
    addJpegs(ExtraLinesOf(c), true);
}

void CacheStandardIndexes(TsSkinModel& m, bool extBordersUsable, const TsBuiltinBorders& builtins) {
    TsStdIndexes& x = m.StdIndexes;
    const auto section = [&](const char* name) { return m.SectionIndexOf(name); };
    const auto image = [&](const char* sectionName, const char* key) {
        return m.ImageIndexOf(m.SectionIndexOf(sectionName), sectionName, key);
    };
    const auto s16 = [&](const char* name) { return Int16(section(name)); };
    const auto i16 = [&](const char* sectionName, const char* key) { return Int16(image(sectionName, key)); };
    const bool hasGlobal = section("GLOBALINFO") >= 0;
    const auto global = [&](const char* key) { return hasGlobal ? i16("GLOBALINFO", key) : std::int16_t{-1}; };

    // Bordered sections: the section and its borders image.
    const auto bordered = [&](const char* name, std::int16_t& sectionIndex, std::int16_t& borders) {
        sectionIndex = s16(name);
        borders = i16(name, "BORDERSMASK");
    };
    // Scroll parts: bordered sections with a texture for the normal and the hot state.
    const auto textured = [&](const char* name, std::int16_t& sectionIndex, std::int16_t& borders,
                              std::int16_t& pattern, std::int16_t& hotPattern) {
        bordered(name, sectionIndex, borders);
        pattern = i16(name, "PATTERN");
        hotPattern = i16(name, "HOTPATTERN");
    };

    x.GlobalInfoSection = s16("GLOBALINFO");
    x.ExBorderImage = global("EXBORDER");
    bordered("TABTOP", x.TabTopSection, x.TabTopBorders);
    bordered("TABBOTTOM", x.TabBottomSection, x.TabBottomBorders);
    bordered("TABLEFT", x.TabLeftSection, x.TabLeftBorders);
    bordered("TABRIGHT", x.TabRightSection, x.TabRightBorders);
    textured("SCROLLBTNTOP", x.ScrollBtnTopSection, x.ScrollBtnTopBorders, x.ScrollBtnTopPattern,
             x.ScrollBtnTopHotPattern);
    textured("SCROLLBTNBOTTOM", x.ScrollBtnBottomSection, x.ScrollBtnBottomBorders, x.ScrollBtnBottomPattern,
             x.ScrollBtnBottomHotPattern);
    textured("SCROLLBTNLEFT", x.ScrollBtnLeftSection, x.ScrollBtnLeftBorders, x.ScrollBtnLeftPattern,
             x.ScrollBtnLeftHotPattern);
    textured("SCROLLBTNRIGHT", x.ScrollBtnRightSection, x.ScrollBtnRightBorders, x.ScrollBtnRightPattern,
             x.ScrollBtnRightHotPattern);
    x.TitleCloseImage = global("BICONCLOSE");
    x.TitleCloseAloneImage = global("BICLOSEALONE");
    x.TitleMaxImage = global("BICONMAX");
    x.TitleNormImage = global("BICONNORM");
    x.TitleMinImage = global("BICONMIN");
    x.TitleHelpImage = global("BICONHELP");
    x.SmallCloseImage = global("SICONCLOSE");
    x.SmallMaxImage = global("SICONMAX");
    x.SmallNormImage = global("SICONNORM");
    x.SmallMinImage = global("SICONMIN");
    x.SmallHelpImage = global("SICONHELP");
    x.ScrollBtnTopGlyph = i16("SCROLLBTNTOP", "GLYPHMASK");
    x.ScrollBtnBottomGlyph = i16("SCROLLBTNBOTTOM", "GLYPHMASK");
    x.ScrollBtnLeftGlyph = i16("SCROLLBTNLEFT", "GLYPHMASK");
    x.ScrollBtnRightGlyph = i16("SCROLLBTNRIGHT", "GLYPHMASK");
    textured("SCROLLSLIDERV", x.SliderVertSection, x.SliderVertBorders, x.SliderVertPattern, x.SliderVertHotPattern);
    textured("SCROLLSLIDERH", x.SliderHorzSection, x.SliderHorzBorders, x.SliderHorzPattern, x.SliderHorzHotPattern);
    x.SliderVertGlyph = i16("SCROLLSLIDERV", "GLYPHMASK");
    x.SliderHorzGlyph = i16("SCROLLSLIDERH", "GLYPHMASK");
    textured("SCROLLBAR1H", x.ScrollBar1HSection, x.ScrollBar1HBorders, x.ScrollBar1HPattern, x.ScrollBar1HHotPattern);
    textured("SCROLLBAR1V", x.ScrollBar1VSection, x.ScrollBar1VBorders, x.ScrollBar1VPattern, x.ScrollBar1VHotPattern);
    textured("SCROLLBAR2H", x.ScrollBar2HSection, x.ScrollBar2HBorders, x.ScrollBar2HPattern, x.ScrollBar2HHotPattern);
    textured("SCROLLBAR2V", x.ScrollBar2VSection, x.ScrollBar2VBorders, x.ScrollBar2VPattern, x.ScrollBar2VHotPattern);
    x.CheckBoxChecked = global("BOXCHECKED");
    x.CheckBoxUnchecked = global("BOXUNCHECKED");
    x.CheckBoxGrayed = global("BOXGRAYED");
    x.RadioChecked = global("RADIOCHECKED");
    x.RadioUnchecked = global("RADIOUNCHECKED");
    x.RadioGrayed = global("RADIOGRAYED");
    x.SmallCheckBoxChecked = global("SMALLCHECKED");
    x.SmallCheckBoxUnchecked = global("SMALLUNCHECKED");
    x.SmallCheckBoxGrayed = global("SMALLGRAYED");
    x.ComboBtnSection = section("COMBOBTN");
    x.ComboBtnBorders = m.ExactImageIndexOf("COMBOBTN", "BORDERSMASK");
    x.ComboBtnPattern = m.TextureIndexOf(x.ComboBtnSection, "COMBOBTN", "PATTERN");
    x.ComboBtnHotPattern = m.TextureIndexOf(x.ComboBtnSection, "COMBOBTN", "HOTPATTERN");
    x.ComboBoxGlyph = m.ExactImageIndexOf("COMBOBOX", "GLYPHMASK");
    x.GripImage = hasGlobal ? image("GLOBALINFO", "GRIPIMAGE") : -1;
    x.GripHorz = hasGlobal ? image("GLOBALINFO", "GRIPHORZ") : -1;
    x.GripVert = hasGlobal ? image("GLOBALINFO", "GRIPVERT") : -1;
    x.WebButtonSection = section("WEBBUTTON");

    ResolveSectionImages(m);
    PrepareExtBorderImages(m, extBordersUsable, builtins);
}

void PrepareExtBorderImages(TsSkinModel& m, bool extBordersUsable, const TsBuiltinBorders& builtins) {
    if (!extBordersUsable) {
        m.ExtBorderMargins = {0, 0, 0, 0};
        return;
    }
    m.ExtBorderActive = TacPixmap();
    m.ExtBorderInactive = TacPixmap();
    if (!m.HasImage(m.StdIndexes.ExBorderImage)) {
        m.ExtBorderActive = builtins.Active;
        m.ExtBorderInactive = builtins.Inactive;
        m.ExtBorderMargins = {9, 9, 9, 9};
    } else {
        const TsMaskData& e = m.Masks[static_cast<std::size_t>(m.StdIndexes.ExBorderImage)];
        const std::int32_t f = m.SkinGlobals.FormOffset;
        if (m.SkinGlobals.BorderMode != 0) {
            m.ExtBorderMargins = {f, f, f, f};
        } else {
            m.ExtBorderMargins = {e.BorderLeft - f, e.BorderTop - f, e.BorderRight - f, e.BorderBottom - f};
        }
        const TacPixmap* source = e.SourceImage();
        if (source != nullptr) {
            const int fw = FrameWidth(e);
            const int fh = FrameHeight(e);
            const int left = e.SourceRect.Left;
            const int top = e.SourceRect.Top;
            m.ExtBorderInactive = CopyArea(*source, left, top, fw, fh);
            m.ExtBorderActive = CopyArea(*source, e.FrameCount > 1 ? left + fw : left, top, fw, fh);
        }
    }
    if (m.SkinGlobals.Version < 7.6) {
        ClearTransparentWhite(m.ExtBorderActive);
        ClearTransparentWhite(m.ExtBorderInactive);
    }
}

} // namespace sj
