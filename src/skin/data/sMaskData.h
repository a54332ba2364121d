// Image items of a skin: rectangles cut from the skin's master image or images of
// their own, with the frame arithmetic every painter shares, the value forms that
// describe them in the skin description, JPEG patterns and the cached indexes of
// standard elements.
#pragma once

#include "platform/Pixmap.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sj {

class TsSkinModel;

// Area of an item in its source image; right and bottom are exclusive.
using TsMaskRect = TacRect;

enum TacItemKind : std::uint8_t {
    ikBorders = 0,      // nine-part borders image
    ikTexture = 1,      // texture
    ikGlyph = 2,        // glyph in state frames
    ikBorderedFile = 3, // own-file image with four border widths
    ikPlainFile = 4,    // own-file image without border widths
};

struct TsMaskData {
    std::shared_ptr<TacPixmap> OwnBitmap; // none: cut from the owner's MasterBitmap
    std::string Section;
    std::string Key;
    TsMaskRect SourceRect;
    std::int16_t FrameCount = 0;
    std::int16_t MaskKind = 0; // 0 no mask, 1 mask below the image, n: n + 1 rows, -1 no height
    std::int16_t CommonBorder = 0;
    std::int16_t PaintFlags = 0; // borders: 1 stretch, 2 hidden in state 0, 4 paint centre; texture: mode
    std::uint8_t ItemKind = ikBorders;
    const TsSkinModel* Owner = nullptr;
    std::int16_t BorderLeft = 0;
    std::int16_t BorderTop = 0;
    std::int16_t BorderRight = 0;
    std::int16_t BorderBottom = 0;
    std::int16_t CornerKind = 0; // 0 opaque corners, 1 clear pixels in a corner, 2 BUTTON_HUGE borders

    // The image the item's pixels come from: its own bitmap or the owner's master image.
    const TacPixmap* SourceImage() const;
};

// Frame arithmetic; integer division truncates toward zero.
std::int32_t FrameWidth(const TsMaskData& item);
std::int32_t FrameHeight(const TsMaskData& item);
// Left of the frame for `state` (clamped to the last frame).
std::int32_t FrameLeft(const TsMaskData& item, int state);

// 2 for the borders of BUTTON_HUGE; 1 when a corner piece of the first frame holds a
// key-colour pixel; else 0. Throws sj::Exception("Division by zero") for an item with no
// frames or a mask kind of -1, as such an item cannot be measured.
std::int16_t ComputeCornerKind(const TsMaskData& item, const TacPixmap* image);

// A large JPEG image kept as a pattern instead of an image item.
struct TsPatternData {
    std::shared_ptr<TacPixmap> Jpeg;
    std::string Section; // upper case
    std::string Key;     // upper case
};

// The image value forms of a description. Parsing throws sj::Exception for malformed
// fixed-width numbers; the caller fills in names, bitmaps and computed widths.
enum class TsImageForm { None, Glyph, BordersFixed, TextureFixed, OwnFile, BordersFree, PlainBmp, Jpeg };

TsImageForm ImageFormOf(std::string_view value);

struct TsOwnFileValue {
    std::string FileName;
    int FieldCount = 0; // number of "!" fields including the file name
    std::int16_t FrameCount = 0;
    std::int16_t MaskKind = 0;
    std::uint8_t ItemKind = 0;
    std::int16_t BorderLeft = 0;
    std::int16_t BorderTop = 0;
    std::int16_t BorderRight = 0;
    std::int16_t BorderBottom = 0;
    std::int16_t PaintFlags = 0;
};

TsMaskData ParseGlyphValue(std::string_view value);        // "@0163@0015@0208@0030@3@0"
TsMaskData ParseBordersFixedValue(std::string_view value); // "^0000^0003^...^1^0^1^1" (48 characters)
TsMaskData ParseTextureFixedValue(std::string_view value); // "~0028~0028~0030~0030~10~0"
TsMaskData ParseBordersFreeValue(std::string_view value);  // "#(0,0,30,20)(3,1,2,1)"
TsOwnFileValue ParseOwnFileValue(std::string_view value);  // "!GLOWEDIT.PNG!1!0!3!7!7!7!7!1"

// Border widths a third of a frame when none are given: left and right from the width,
// top and bottom from the height. Throws on a frame count of 0 or a mask kind of -1.
void SetDefaultBorders(TsMaskData& item);

// The indexes of standard elements cached after each load, in their fixed order;
// -1 = none.
// clang-format off
#define SJ_STD_INDEXES_FIELDS(X) \
    X(std::int16_t, GlobalInfoSection) \
    X(std::int16_t, ExBorderImage) \
    X(std::int16_t, TabTopSection) \
    X(std::int16_t, TabBottomSection) \
    X(std::int16_t, TabLeftSection) \
    X(std::int16_t, TabRightSection) \
    X(std::int16_t, TabTopBorders) \
    X(std::int16_t, TabBottomBorders) \
    X(std::int16_t, TabLeftBorders) \
    X(std::int16_t, TabRightBorders) \
    X(std::int16_t, ScrollBtnTopSection) \
    X(std::int16_t, ScrollBtnBottomSection) \
    X(std::int16_t, ScrollBtnLeftSection) \
    X(std::int16_t, ScrollBtnRightSection) \
    X(std::int16_t, ScrollBtnTopBorders) \
    X(std::int16_t, ScrollBtnBottomBorders) \
    X(std::int16_t, ScrollBtnLeftBorders) \
    X(std::int16_t, ScrollBtnRightBorders) \
    X(std::int16_t, ScrollBtnTopPattern) \
    X(std::int16_t, ScrollBtnBottomPattern) \
    X(std::int16_t, ScrollBtnLeftPattern) \
    X(std::int16_t, ScrollBtnRightPattern) \
    X(std::int16_t, ScrollBtnTopHotPattern) \
    X(std::int16_t, ScrollBtnBottomHotPattern) \
    X(std::int16_t, ScrollBtnLeftHotPattern) \
    X(std::int16_t, ScrollBtnRightHotPattern) \
    X(std::int16_t, TitleCloseImage) \
    X(std::int16_t, TitleCloseAloneImage) \
    X(std::int16_t, TitleMaxImage) \
    X(std::int16_t, TitleNormImage) \
    X(std::int16_t, TitleMinImage) \
    X(std::int16_t, TitleHelpImage) \
    X(std::int16_t, SmallCloseImage) \
    X(std::int16_t, SmallMaxImage) \
    X(std::int16_t, SmallNormImage) \
    X(std::int16_t, SmallMinImage) \
    X(std::int16_t, SmallHelpImage) \
    X(std::int16_t, ScrollBtnTopGlyph) \
    X(std::int16_t, ScrollBtnBottomGlyph) \
    X(std::int16_t, ScrollBtnLeftGlyph) \
    X(std::int16_t, ScrollBtnRightGlyph) \
    X(std::int16_t, SliderVertSection) \
    X(std::int16_t, SliderHorzSection) \
    X(std::int16_t, SliderVertBorders) \
    X(std::int16_t, SliderHorzBorders) \
    X(std::int16_t, SliderVertGlyph) \
    X(std::int16_t, SliderHorzGlyph) \
    X(std::int16_t, SliderHorzPattern) \
    X(std::int16_t, SliderHorzHotPattern) \
    X(std::int16_t, SliderVertPattern) \
    X(std::int16_t, SliderVertHotPattern) \
    X(std::int16_t, ScrollBar1HSection) \
    X(std::int16_t, ScrollBar1VSection) \
    X(std::int16_t, ScrollBar2HSection) \
    X(std::int16_t, ScrollBar2VSection) \
    X(std::int16_t, ScrollBar1HBorders) \
    X(std::int16_t, ScrollBar1VBorders) \
    X(std::int16_t, ScrollBar2HBorders) \
    X(std::int16_t, ScrollBar2VBorders) \
    X(std::int16_t, ScrollBar1HPattern) \
    X(std::int16_t, ScrollBar1VPattern) \
    X(std::int16_t, ScrollBar2HPattern) \
    X(std::int16_t, ScrollBar2VPattern) \
    X(std::int16_t, ScrollBar1HHotPattern) \
    X(std::int16_t, ScrollBar1VHotPattern) \
    X(std::int16_t, ScrollBar2HHotPattern) \
    X(std::int16_t, ScrollBar2VHotPattern) \
    X(std::int16_t, CheckBoxChecked) \
    X(std::int16_t, CheckBoxUnchecked) \
    X(std::int16_t, CheckBoxGrayed) \
    X(std::int16_t, RadioChecked) \
    X(std::int16_t, RadioUnchecked) \
    X(std::int16_t, RadioGrayed) \
    X(std::int16_t, SmallCheckBoxChecked) \
    X(std::int16_t, SmallCheckBoxUnchecked) \
    X(std::int16_t, SmallCheckBoxGrayed) \
    X(std::int32_t, ComboBtnSection) \
    X(std::int32_t, ComboBtnBorders) \
    X(std::int32_t, ComboBtnPattern) \
    X(std::int32_t, ComboBtnHotPattern) \
    X(std::int32_t, ComboBoxGlyph) \
    X(std::int32_t, GripImage) \
    X(std::int32_t, GripHorz) \
    X(std::int32_t, GripVert) \
    X(std::int32_t, WebButtonSection)
// clang-format on

struct TsStdIndexes {
#define SJ_DECLARE_FIELD(type, name) type name = -1;
    SJ_STD_INDEXES_FIELDS(SJ_DECLARE_FIELD)
#undef SJ_DECLARE_FIELD

    // Calls visit(name, value) for every field in order (reports, tests).
    template <class F> void ForEachField(F&& visit) const {
#define SJ_VISIT_FIELD(type, name) visit(#name, static_cast<std::int32_t>(name));
        SJ_STD_INDEXES_FIELDS(SJ_VISIT_FIELD)
#undef SJ_VISIT_FIELD
    }
};

} // namespace sj
