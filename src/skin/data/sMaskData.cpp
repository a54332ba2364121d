#include "skin/data/sMaskData.h"

#include "platform/Exception.h"
#include "skin/data/acMemIni.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/acImageCommon.h"

#include <algorithm>

namespace sj {

namespace {

constexpr const char* sDivisionByZero = "Division by zero";

std::int32_t Divide(std::int32_t a, std::int32_t b) {
    if (b == 0) {
        throw Exception(sDivisionByZero);
    }
    return a / b;
}

std::int16_t ToInt16(std::int32_t v) {
    return static_cast<std::int16_t>(v);
}

// A fixed-width number: `length` characters from the 1-based `position`. Text too
// short for the field gives what is there, which fails the conversion like any other
// non-digit text.
std::int32_t FixedField(std::string_view value, std::size_t position, std::size_t length) {
    const std::size_t start = position - 1;
    const std::string_view field = start < value.size() ? value.substr(start, length) : std::string_view();
    return StrictDecimal(field);
}

TsMaskRect FixedRect(std::string_view value) {
    return TsMaskRect{FixedField(value, 2, 4), FixedField(value, 7, 4), FixedField(value, 12, 4),
                      FixedField(value, 17, 4)};
}

// The fixed-width forms all open with the item's rectangle.
TsMaskData FixedFormItem(TacItemKind kind, std::string_view value) {
    TsMaskData item;
    item.ItemKind = kind;
    item.SourceRect = FixedRect(value);
    return item;
}

std::vector<std::string> SplitOn(std::string_view text, std::string_view separators) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (separators.find(c) != std::string_view::npos) {
            if (!word.empty()) {
                words.push_back(word);
            }
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    return words;
}

std::int32_t FreeNumber(const std::vector<std::string>& numbers, std::size_t index, std::int32_t def) {
    if (index >= numbers.size()) {
        return def;
    }
    return ParseInteger(numbers[index]).value_or(0);
}

// A corner of an item's rectangle. One further out than any image reaches is as unusable
// as a word that is no number, and reads as 0 like it: unbounded corners would overflow
// the frame arithmetic (Right - Left, a width divided by a frame count of -1).
std::int32_t FreeCoordinate(const std::vector<std::string>& numbers, std::size_t index) {
    const std::int32_t v = FreeNumber(numbers, index, 0);
    return v >= -MaxImageSide && v <= MaxImageSide ? v : 0;
}

// Scans [x0, min(x0 + w, width - 1)) x [y0, min(y0 + h, height - 1)) for the key colour.
bool PieceHasKeyPixel(const TacPixmap& image, std::int32_t x0, std::int32_t w, std::int32_t y0, std::int32_t h) {
    const std::int64_t x1 = std::min<std::int64_t>(std::int64_t{x0} + w, image.Width() - 1);
    const std::int64_t y1 = std::min<std::int64_t>(std::int64_t{y0} + h, image.Height() - 1);
    for (std::int64_t y = std::max(y0, 0); y < y1; ++y) {
        const TPixel32* row = image.Row(static_cast<int>(y));
        for (std::int64_t x = std::max(x0, 0); x < x1; ++x) {
            if (row[x] == clKeyPixel) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

const TacPixmap* TsMaskData::SourceImage() const {
    if (OwnBitmap) {
        return OwnBitmap.get();
    }
    return Owner != nullptr ? &Owner->MasterBitmap : nullptr;
}

std::int32_t FrameWidth(const TsMaskData& item) {
    switch (item.FrameCount) {
    case 0:
        return 0;
    case 1:
        return item.SourceRect.Width();
    default:
        return item.SourceRect.Width() / item.FrameCount;
    }
}

std::int32_t FrameHeight(const TsMaskData& item) {
    switch (item.MaskKind) {
    case -1:
        return 0;
    case 0:
        return item.SourceRect.Height();
    case 1:
        return item.SourceRect.Height() / 2;
    default:
        return item.SourceRect.Height() / (item.MaskKind + 1);
    }
}

std::int32_t FrameLeft(const TsMaskData& item, int state) {
    const int frame = std::max(0, std::min(state, item.FrameCount - 1));
    return item.SourceRect.Left + frame * FrameWidth(item);
}

std::int16_t ComputeCornerKind(const TsMaskData& item, const TacPixmap* image) {
    if (item.Section == "BUTTON_HUGE" && item.Key == "BORDERSMASK") {
        return 2;
    }
    if (item.SourceRect.Height() <= 0) {
        return 0;
    }
    const std::int32_t fw = Divide(item.SourceRect.Width(), item.FrameCount);
    const std::int32_t fh = Divide(item.SourceRect.Height(), item.MaskKind + 1);
    if (image == nullptr || image->Empty()) {
        return 0;
    }
    const std::int32_t l = item.SourceRect.Left;
    const std::int32_t t = item.SourceRect.Top;
    const std::int32_t right = l + fw - item.BorderRight;
    const std::int32_t bottom = t + fh - item.BorderBottom;
    const bool clear = PieceHasKeyPixel(*image, l, item.BorderLeft, t, item.BorderTop) ||
                       PieceHasKeyPixel(*image, right, item.BorderRight, t, item.BorderTop) ||
                       PieceHasKeyPixel(*image, l, item.BorderLeft, bottom, item.BorderBottom) ||
                       PieceHasKeyPixel(*image, right, item.BorderRight, bottom, item.BorderBottom);
    return clear ? 1 : 0;
}

TsImageForm ImageFormOf(std::string_view value) {
    if (value.empty()) {
        return TsImageForm::None;
    }
    switch (value[0]) {
    case '@':
        return TsImageForm::Glyph;
    case '^':
        return TsImageForm::BordersFixed;
    case '~':
        return TsImageForm::TextureFixed;
    case '!':
        return TsImageForm::OwnFile;
    default:
        break;
    }
    if (Contains(value, "#") && value != "#") {
        return TsImageForm::BordersFree;
    }
    const std::string upper = UpperCase(value);
    if (Contains(upper, ".BMP")) {
        return TsImageForm::PlainBmp;
    }
    if (Contains(upper, ".JPG") || Contains(upper, ".JPEG")) {
        return TsImageForm::Jpeg;
    }
    return TsImageForm::None;
}

TsMaskData ParseGlyphValue(std::string_view value) {
    TsMaskData item = FixedFormItem(ikGlyph, value);
    item.FrameCount = ToInt16(FixedField(value, 22, 1));
    item.MaskKind = ToInt16(FixedField(value, 24, 1));
    return item;
}

TsMaskData ParseBordersFixedValue(std::string_view value) {
    TsMaskData item = FixedFormItem(ikBorders, value);
    item.BorderLeft = ToInt16(FixedField(value, 22, 4));
    item.BorderTop = ToInt16(FixedField(value, 27, 4));
    item.BorderRight = ToInt16(FixedField(value, 32, 4));
    item.BorderBottom = ToInt16(FixedField(value, 37, 4));
    item.FrameCount = ToInt16(FixedField(value, 42, 1));
    item.MaskKind = ToInt16(FixedField(value, 44, 1));
    item.PaintFlags = ToInt16(FixedField(value, 46, 1));
    item.CommonBorder = ToInt16(FixedField(value, 48, 1));
    return item;
}

TsMaskData ParseTextureFixedValue(std::string_view value) {
    TsMaskData item = FixedFormItem(ikTexture, value);
    item.FrameCount = 1;
    item.PaintFlags = ToInt16(FixedField(value, 22, 2));
    item.MaskKind = value.size() >= 25 ? ToInt16(FixedField(value, 25, 1)) : std::int16_t{0};
    return item;
}

TsMaskData ParseBordersFreeValue(std::string_view value) {
    // "#(x1,y1,x2,y2)(frames,mask,border,flags)": groups between parentheses; without
    // parentheses the words are separated by blanks.
    std::vector<std::string> groups = SplitOn(value, "()");
    for (std::string& g : groups) {
        g = TrimBlanks(g);
    }
    std::erase_if(groups, [](const std::string& g) { return g.empty(); });
    if (value.find('(') == std::string_view::npos) {
        groups = SplitOn(value, " \t");
    }
    const auto numbers = [&](std::size_t i) {
        return i < groups.size() ? SplitOn(groups[i], " \t,") : std::vector<std::string>();
    };
    const std::vector<std::string> rect = numbers(1);
    const std::vector<std::string> frames = numbers(2);

    TsMaskData item;
    item.ItemKind = ikBorders;
    item.SourceRect =
        TsMaskRect{FreeCoordinate(rect, 0), FreeCoordinate(rect, 1), FreeCoordinate(rect, 2), FreeCoordinate(rect, 3)};
    item.FrameCount = ToInt16(std::max(FreeNumber(frames, 0, 1), 1));
    item.MaskKind = ToInt16(std::max(FreeNumber(frames, 1, 0), 0));
    item.CommonBorder = ToInt16(std::max(FreeNumber(frames, 2, 0), 0));
    item.PaintFlags = ToInt16(FreeNumber(frames, 3, 1));
    return item;
}

TsOwnFileValue ParseOwnFileValue(std::string_view value) {
    const std::vector<std::string> words = SplitOn(value, "!");
    const auto number = [&](std::size_t i) { return FreeNumber(words, i, 0); };
    TsOwnFileValue v;
    v.FieldCount = static_cast<int>(words.size());
    v.FileName = words.empty() ? std::string() : words[0];
    v.FrameCount = ToInt16(number(1));
    v.MaskKind = ToInt16(number(2));
    v.ItemKind = static_cast<std::uint8_t>(std::clamp(number(3), 0, static_cast<std::int32_t>(ikPlainFile)));
    v.BorderLeft = ToInt16(number(4));
    v.BorderTop = ToInt16(number(5));
    v.BorderRight = ToInt16(number(6));
    v.BorderBottom = ToInt16(number(7));
    v.PaintFlags = ToInt16(number(8));
    return v;
}

void SetDefaultBorders(TsMaskData& item) {
    const std::int32_t w = item.SourceRect.Width();
    const std::int32_t h = item.SourceRect.Height();
    item.BorderLeft = item.BorderRight = ToInt16(Divide(w, item.FrameCount * 3));
    item.BorderTop = item.BorderBottom = ToInt16(Divide(h, (item.MaskKind + 1) * 3));
}

} // namespace sj
