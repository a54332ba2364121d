#include "skin/paint/sSectionPaint.h"

#include "skin/data/sSkinModel.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sAlphaPaint.h"
#include "skin/paint/sGradient.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sMaskPaint.h"
#include "skin/paint/sTexture.h"

#include <algorithm>

namespace sj {

namespace {

TsSkinHost& PaintHost() {
    static TsSkinHost host = TsSkinHost::Defaults();
    return host;
}

// The texture of a fill: an image item or one of the skin's separate pattern images.
struct TTexture {
    const TsMaskData* Item = nullptr;
    const TacPixmap* Pattern = nullptr;
};

// What a state paints: C, T, G, I of the section (or a custom colour), its gradient and
// its texture.
struct TFillValues {
    TColor Color = 0;
    int Transparency = 0;
    int GradientShare = 0;
    int ImageShare = 0;
    const TsGradArray* Gradient = nullptr;
    TTexture Texture;
};

// Which of the two section-background rule sets applies.
enum class TFillRules {
    Background, // transparency weight round(T * 2.55)
    WithItems,  // transparency weight T * 255 div 100; plain colour also above 100 percent
};

const TsGradArray NoGradient;

int ClampState(const TsGeneralData& section, int state) {
    return std::clamp(state, 0, std::max(section.States, 1) - 1);
}

const TsGeneralData* SectionOf(const TsSkinModel* manager, std::int32_t index) {
    return manager != nullptr && manager->HasSection(index) ? &manager->GeneralData[static_cast<std::size_t>(index)]
                                                            : nullptr;
}

const TsMaskData* ImageOf(const TsSkinModel& model, std::int32_t index) {
    return model.HasImage(index) ? &model.Masks[static_cast<std::size_t>(index)] : nullptr;
}

bool InsideTarget(const TacRect& rect, const TacPixelsView& target) {
    return !rect.Empty() && rect.Left >= 0 && rect.Top >= 0 && rect.Right <= target.Width &&
           rect.Bottom <= target.Height;
}

bool CoversTarget(const TacRect& rect, const TacPixelsView& target) {
    return rect.Left <= 0 && rect.Top <= 0 && rect.Right >= target.Width && rect.Bottom >= target.Height;
}

TBackdropRef Resolved(const TBackdropRef& backdrop) {
    TBackdropRef r = backdrop;
    if (!r.HasBitmap())
        r.Color = PaintColorToRGB(r.Color);
    return r;
}

bool UnknownBackdrop(const TBackdropRef& backdrop) {
    return !backdrop.HasBitmap() && backdrop.Color == clUnknownColor;
}

// The texture of a state: the control's index when it names an unmasked item, else the
// section's own item, else the item found by name, else a separate pattern image.
TTexture ResolveTexture(const TsSkinModel& model, std::int32_t sectionIndex, const std::string& name,
                        const TsGenState& props, bool hot, std::int32_t given) {
    const std::string key = hot ? "HOTPATTERN" : "PATTERN";
    std::int32_t index = -1;
    if (const TsMaskData* item = ImageOf(model, given); item != nullptr && item->MaskKind == 0)
        index = given;
    if (index < 0 && model.HasImage(props.PatternIndex))
        index = props.PatternIndex;
    if (index < 0)
        index = model.TextureIndexOf(sectionIndex, name, key);
    if (const TsMaskData* item = ImageOf(model, index))
        return {item, nullptr};
    const std::int32_t pattern = model.JpegPatternIndexOf(sectionIndex, name, key);
    if (pattern >= 0 && static_cast<std::size_t>(pattern) < model.Patterns.size()) {
        const auto& jpeg = model.Patterns[static_cast<std::size_t>(pattern)].Jpeg;
        if (jpeg && !jpeg->Empty())
            return {nullptr, jpeg.get()};
    }
    return {};
}

TFillValues FillValuesOf(const TsSkinModel& model, std::int32_t sectionIndex, const std::string& name, int state,
                         std::uint32_t customColor, std::int32_t texture, std::int32_t hotTexture) {
    const TsGeneralData& section = model.GeneralData[static_cast<std::size_t>(sectionIndex)];
    TFillValues v;
    if (customColor != clUnknownColor) {
        v.Color = PaintColorToRGB(customColor);
        v.Gradient = &NoGradient;
        return v;
    }
    const TsGenState& props = section.PropsOfState(state);
    const bool hot = ClampState(section, state) > 0;
    v.Color = PaintColorToRGB(static_cast<std::uint32_t>(props.Color));
    v.Transparency = std::clamp(props.Transparency, 0, 100);
    v.GradientShare = std::clamp(props.GradientPercent, 0, 100);
    v.ImageShare = std::clamp(props.ImagePercent, 0, 100);
    v.Gradient = &props.GradientSteps;
    const std::string& lookupName = name.empty() ? section.SectionName : name;
    if (v.ImageShare > 0)
        v.Texture = ResolveTexture(model, sectionIndex, lookupName, props, hot, hot ? hotTexture : texture);
    return v;
}

// The gradient of rect, or C where there is none to draw (no steps, or triangles without
// a triangle fill), so that rect never keeps what was there.
void PaintGradientOrColor(TacPixelsView target, TacRect rect, const TsGradArray& gradient, TColor color) {
    if (CanDrawGradient(gradient))
        DrawGradient(target, rect, gradient);
    else
        FillPixels(target, rect, color, 255);
}

bool OnePassGradientAndTexture(const TFillValues& v) {
    const TsMaskData* item = v.Texture.Item;
    return v.GradientShare + v.ImageShare == 100 && v.GradientShare >= 1 && v.GradientShare <= 99 && item != nullptr &&
           item->MaskKind == 0 && item->PaintFlags == 0 && item->SourceImage() != nullptr && !v.Gradient->empty() &&
           (*v.Gradient)[0].Mode < 2;
}

// Lays the texture over rect and fills what it left with C. Clear and partly masked
// pixels of a masked texture show the backdrop, which is laid first.
void PaintTexture(TacPixelsView target, TacRect rect, const TFillValues& v, const TBackdropRef& backdrop) {
    TacRect rest = rect;
    if (v.Texture.Pattern != nullptr) {
        DrawPatternTexture(target, rest, ViewOf(*v.Texture.Pattern));
    } else if (const TsMaskData* item = v.Texture.Item; item != nullptr && item->MaskKind != 0) {
        FillWithBackdrop(target, rect, backdrop, v.Color);
        DrawMaskedTexture(target, rest, backdrop, item->PaintFlags, *item);
    } else if (item != nullptr) {
        DrawTexture(target, rest, *item, item->PaintFlags);
    }
    if (HasRemainder(rest))
        FillPixels(target, rest, v.Color, 255);
}

// A scratch bitmap for the part of rect inside the target, and rect in its coordinates.
struct TScratch {
    TacRect Clip;  // the covered part of the target
    TacRect Local; // rect seen from the scratch bitmap's origin
    TacPixmap Pixels;

    TScratch(TacRect rect, const TacPixelsView& target)
        : Clip(ClipRect(rect, target)), Local{rect.Left - Clip.Left, rect.Top - Clip.Top, rect.Right - Clip.Left,
                                              rect.Bottom - Clip.Top},
          Pixels(Clip.Width(), Clip.Height()) {}

    // Blends the scratch over the target: the target keeps weight / 256 of itself.
    void BlendInto(TacPixelsView target, int weight) {
        BlendBitmaps(target, Pixels.View(), weight, Clip.Left, Clip.Top, {0, 0, Clip.Width(), Clip.Height()});
    }
};

// The section's own fill of rect, before any transparency. backdrop is in target
// coordinates and already resolved (no system colour codes).
void PaintSectionFill(TacPixelsView target, TacRect rect, const TFillValues& v, const TBackdropRef& backdrop,
                      TFillRules rules) {
    const int g = v.GradientShare, i = v.ImageShare, shares = g + i;
    if (OnePassGradientAndTexture(v)) {
        const TsMaskData& item = *v.Texture.Item;
        DrawGradientWithTexture(target, rect, *v.Gradient, 255, i * 255 / 100, item.SourceRect,
                                ViewOf(*item.SourceImage()));
        return;
    }
    if (i > 0)
        PaintTexture(target, rect, v, backdrop);
    if (g > 0) {
        if (i > 0) {
            // The gradient over the texture: the texture keeps about I percent.
            TScratch scratch(rect, target);
            PaintGradientOrColor(scratch.Pixels.View(), scratch.Local, *v.Gradient, v.Color);
            scratch.BlendInto(target, std::min(i * 255 / 100, 255));
        } else {
            PaintGradientOrColor(target, rect, *v.Gradient, v.Color);
        }
    }
    if (shares > 0 && shares < 100) {
        BlendColorIntoRect(target, rect, shares, v.Color);
    } else if (shares == 0 || (rules == TFillRules::WithItems && shares > 100)) {
        const bool backdropColor = rules == TFillRules::WithItems && v.Transparency == 100 && !backdrop.HasBitmap() &&
                                   !UnknownBackdrop(backdrop);
        FillPixels(target, rect, backdropColor ? backdrop.Color : v.Color, 255);
    }
}

int TransparencyWeight(int transparency, TFillRules rules) {
    return rules == TFillRules::Background ? RoundDivEven(transparency * 255, 100) : transparency * 255 / 100;
}

// The fill laid over the backdrop by the transparency. backdrop is in target coordinates.
void ComposeFill(TacPixelsView target, TacRect rect, const TFillValues& v, const TBackdropRef& backdrop,
                 TFillRules rules) {
    const int t = v.Transparency;
    // Over an unknown backdrop there is nothing to show through: the fill is laid opaque
    // in the section's own colours rather than mixed with the unknown colour's magenta.
    if (UnknownBackdrop(backdrop) || t == 0) {
        PaintSectionFill(target, rect, v, backdrop, rules);
    } else if (t == 100) {
        FillWithBackdrop(target, rect, backdrop, v.Color);
    } else if (backdrop.HasBitmap() || v.GradientShare > 0 || v.ImageShare > 0) {
        TScratch scratch(rect, target);
        if (scratch.Clip.Empty())
            return;
        PaintSectionFill(scratch.Pixels.View(), scratch.Local, v, backdrop.Shifted(scratch.Clip.Left, scratch.Clip.Top),
                         rules);
        FillWithBackdrop(target, scratch.Clip, backdrop, v.Color);
        scratch.BlendInto(target, TransparencyWeight(t, rules));
    } else {
        FillPixels(target, rect, MixColors(backdrop.Color, v.Color, t / 100.0), 255);
    }
}

// A masked texture in whole-tile mode shows the real backdrop in its clear pixels and
// bands even under a partly transparent fill: it is laid once more in the normal state.
void RelayWholeTileTexture(TacPixelsView target, TacRect rect, const TsSkinModel& model, int state,
                           std::int32_t texture, std::int32_t hotTexture, const TBackdropRef& backdrop) {
    if (state != 0)
        return;
    const TsMaskData* item = ImageOf(model, texture >= 0 ? texture : hotTexture);
    if (item == nullptr || item->MaskKind == 0 || item->PaintFlags != tmWholeTiles)
        return;
    TacRect r = rect;
    DrawMaskedTexture(target, r, backdrop, tmWholeTiles, *item);
}

void PaintBackground(TacPixelsView target, TacRect rect, const TsSkinModel* manager, std::int32_t sectionIndex,
                     const std::string& sectionName, int state, const TBackdropRef& backdrop, int offsetX, int offsetY,
                     std::uint32_t customColor, std::int32_t texture, std::int32_t hotTexture, TFillRules rules) {
    const TsGeneralData* section = SectionOf(manager, sectionIndex);
    if (section == nullptr || !HasPixels(target) || rect.Empty())
        return;
    const int s = ClampState(*section, state);
    const TFillValues v = FillValuesOf(*manager, sectionIndex, sectionName, s, customColor, texture, hotTexture);
    const TBackdropRef inTarget = Resolved(backdrop).Shifted(offsetX - rect.Left, offsetY - rect.Top);
    ComposeFill(target, rect, v, inTarget, rules);
    RelayWholeTileTexture(target, rect, *manager, s, texture, hotTexture, inTarget);
}

void DrawCornerImage(TacPixelsView target, const TsSkinModel& model, std::int32_t index, int state, bool right,
                     bool bottom, const TacRect& rect) {
    const TsMaskData* item = ImageOf(model, index);
    if (item == nullptr)
        return;
    const int x = right ? rect.Right - FrameWidth(*item) : rect.Left;
    const int y = bottom ? rect.Bottom - FrameHeight(*item) : rect.Top;
    DrawStateImage(target, x, y, state, BitmapBackdrop(target, 0, 0), *item, simNormal);
}

void DrawCornerImages(TacPixelsView target, const TsSkinModel& model, const TsGeneralData& section, int state,
                      const TacRect& rect) {
    DrawCornerImage(target, model, section.ImgTopLeftIndex, state, false, false, rect);
    DrawCornerImage(target, model, section.ImgTopRightIndex, state, true, false, rect);
    DrawCornerImage(target, model, section.ImgBtmLeftIndex, state, false, true, rect);
    DrawCornerImage(target, model, section.ImgBtmRightIndex, state, true, true, rect);
}

// Paints the borders item unless it hides in the normal state; true when it was painted.
bool DrawBorders(TacPixelsView target, TacRect rect, const TsSkinModel& model, std::int32_t bordersIndex, int state,
                 bool transparentCorners, const TBackdropRef& backdrop, int offsetX, int offsetY) {
    const TsMaskData* item = ImageOf(model, bordersIndex);
    if (item == nullptr || (state == 0 && (item->PaintFlags & 2) != 0))
        return false;
    DrawBordersMask(target, rect, transparentCorners, state, *item,
                    Resolved(backdrop).Shifted(offsetX - rect.Left, offsetY - rect.Top));
    return true;
}

void AdjustColors(TacPixelsView target, const TsFaceParams& skin) {
    if (skin.HUEOffset != 0)
        ShiftHue(target, skin.HUEOffset);
    if (skin.Saturation != 0)
        ChangeSaturation(target, skin.Saturation);
}

// ---- The alpha-keeping background ---------------------------------------------------

std::uint8_t OpacityOf(int transparency) {
    return static_cast<std::uint8_t>((100 - transparency) * 255 / 100);
}

void PaintAlphaTexture(TacPixelsView target, TacRect rect, const TFillValues& v) {
    TacRect rest = rect;
    if (const TsMaskData* item = v.Texture.Item; item != nullptr && item->MaskKind != 0)
        DrawMaskedTexture(target, rest, BitmapBackdrop(target, 0, 0), item->PaintFlags, *item);
    else if (item != nullptr)
        DrawTexture(target, rest, *item, item->PaintFlags);
    if (HasRemainder(rest))
        FillPixels(target, rest, v.Color, 255);
}

// The plain colour over what the target holds: a clear target takes C at the fill's
// opacity, an opaque fill replaces it, anything else is shaded toward C.
void PaintAlphaPlainColor(TacPixelsView target, TacRect rect, const TFillValues& v) {
    const TacRect clip = ClipRect(rect, target);
    if (clip.Empty())
        return;
    const TPixel32 first = target.At(clip.Left, clip.Top);
    const std::uint8_t opacity = OpacityOf(v.Transparency);
    if (first == 0)
        FillPixels(target, clip, v.Color, opacity);
    else if (v.Transparency == 0)
        FillPixels(target, clip, v.Color, 255);
    else
        ShadeRect(target, clip, v.Color, std::max(PixelA(first), opacity), 100 - v.Transparency);
}

} // namespace

void SetPaintSkinHost(TsSkinHost host) {
    PaintHost() = std::move(host);
}

std::uint32_t PaintColorToRGB(std::uint32_t color) {
    if ((color & 0x80000000u) == 0)
        return color;
    return static_cast<std::uint32_t>(ColorToRGB(static_cast<std::int32_t>(color), PaintHost()));
}

void PaintSectionBackground(TacPixelsView target, TacRect rect, const TsSkinModel* manager, std::int32_t sectionIndex,
                            const std::string& sectionName, int state, const TBackdropRef& backdrop, int offsetX,
                            int offsetY, std::uint32_t customColor, std::int32_t texture, std::int32_t hotTexture) {
    PaintBackground(target, rect, manager, sectionIndex, sectionName, state, backdrop, offsetX, offsetY, customColor,
                    texture, hotTexture, TFillRules::Background);
}

void PaintControlBackground(TacPixelsView target, TacRect rect, const TsSkinModel* manager, const TsFaceParams& skin,
                            int state, const TBackdropRef& backdrop, int offsetX, int offsetY) {
    PaintSectionBackground(target, rect, manager, skin.SkinIndex, skin.SkinSection, state, backdrop, offsetX, offsetY,
                           skin.CustomColor, skin.TextureIndex, skin.HotTextureIndex);
}

void PaintControlFace(TacPixelsView target, TacRect rect, const TsSkinModel* manager, const TsFaceParams& skin,
                      int state, bool transparentCorners, const TBackdropRef& backdrop, int offsetX, int offsetY) {
    const TsGeneralData* section = SectionOf(manager, skin.SkinIndex);
    if (section == nullptr || !HasPixels(target) || !InsideTarget(rect, target))
        return;
    const int s = ClampState(*section, state);
    PaintControlBackground(target, rect, manager, skin, s, backdrop, offsetX, offsetY);
    DrawCornerImages(target, *manager, *section, s, rect);
    const bool bordered =
        DrawBorders(target, rect, *manager, skin.BordersIndex, s, transparentCorners, backdrop, offsetX, offsetY);
    // A see-through face shows a backdrop that has had its own adjustments already.
    const bool opaque = skin.CustomColor != clUnknownColor || section->PropsOfState(s).Transparency == 0;
    if (bordered || opaque)
        AdjustColors(target, skin);
}

void PaintSectionFace(TacPixelsView target, TacRect rect, const TsSkinModel* manager, std::int32_t sectionIndex,
                      const std::string& sectionName, int state, bool transparentCorners, const TBackdropRef& backdrop,
                      int offsetX, int offsetY, std::int32_t texture, std::int32_t hotTexture) {
    const TsGeneralData* section = SectionOf(manager, sectionIndex);
    if (section == nullptr || !HasPixels(target) || !InsideTarget(rect, target))
        return;
    const int s = ClampState(*section, state);
    PaintSectionBackground(target, rect, manager, sectionIndex, sectionName, s, backdrop, offsetX, offsetY,
                           clUnknownColor, texture, hotTexture);
    DrawCornerImages(target, *manager, *section, s, rect);
    DrawBorders(target, rect, *manager, section->BordersMaskIndex, s, transparentCorners, backdrop, offsetX, offsetY);
}

void PaintSectionFaceWithItems(TacPixelsView target, TacRect rect, const TsSkinModel* manager,
                               std::int32_t sectionIndex, const std::string& sectionName, std::int32_t bordersIndex,
                               int state, bool transparentCorners, const TBackdropRef& backdrop, int offsetX,
                               int offsetY, std::int32_t texture, std::int32_t hotTexture) {
    const TsGeneralData* section = SectionOf(manager, sectionIndex);
    if (section == nullptr || !HasPixels(target) || rect.Empty())
        return;
    const int s = ClampState(*section, state);
    PaintBackground(target, rect, manager, sectionIndex, sectionName, s, backdrop, offsetX, offsetY, clUnknownColor,
                    texture, hotTexture, TFillRules::WithItems);
    DrawBorders(target, rect, *manager, bordersIndex, s, transparentCorners, backdrop, offsetX, offsetY);
}

std::int32_t PaintSectionFaceByName(TacPixelsView target, const TsSkinModel* manager, const std::string& sectionName,
                                    const std::string& fallbackName, std::uint32_t backdropColor, int state) {
    if (manager == nullptr)
        return -1;
    std::int32_t index = manager->SectionIndexOf(sectionName);
    if (index < 0)
        index = manager->SectionIndexOf(fallbackName);
    if (index < 0)
        return -1;
    const std::string& name = manager->GeneralData[static_cast<std::size_t>(index)].SectionName;
    PaintSectionFace(target, {0, 0, target.Width, target.Height}, manager, index, name, state, true,
                     ColorBackdrop(backdropColor), 0, 0);
    return index;
}

void PaintSectionBackgroundAlpha(TacPixelsView target, TacRect rect, const TsSkinModel* manager,
                                 std::int32_t sectionIndex, int stateIndex, std::uint32_t color) {
    const TsGeneralData* section = SectionOf(manager, sectionIndex);
    if (section == nullptr || !HasPixels(target) || rect.Empty())
        return;
    const int h = std::clamp(stateIndex, 0, 1);
    const TsGenState& props = section->PropsOfState(h);
    if (props.Transparency >= 100) {
        if (CoversTarget(rect, target))
            FillPixels(target, {0, 0, target.Width, target.Height}, 0, 0);
        return;
    }
    TFillValues v;
    v.Gradient = &NoGradient;
    if (color != clUnknownColor) {
        v.Color = PaintColorToRGB(color);
    } else {
        v.Color = PaintColorToRGB(static_cast<std::uint32_t>(props.Color));
        v.Transparency = std::clamp(props.Transparency, 0, 100);
        v.GradientShare = std::clamp(props.GradientPercent, 0, 100);
        v.ImageShare = std::clamp(props.ImagePercent, 0, 100);
        if (v.GradientShare > 0)
            v.Gradient = &props.GradientSteps;
        if (v.ImageShare > 0)
            v.Texture.Item = ImageOf(*manager, props.PatternIndex);
    }
    const int g = v.GradientShare, i = v.ImageShare, shares = g + i;
    if (OnePassGradientAndTexture(v)) {
        const TsMaskData& item = *v.Texture.Item;
        DrawGradientWithTexture(target, rect, *v.Gradient, OpacityOf(v.Transparency), i * 255 / 100, item.SourceRect,
                                ViewOf(*item.SourceImage()));
        return;
    }
    if (i > 0)
        PaintAlphaTexture(target, rect, v);
    if (g > 0) {
        if (i > 0) {
            TScratch scratch(rect, target);
            PaintGradientOrColor(scratch.Pixels.View(), scratch.Local, *v.Gradient, v.Color);
            scratch.BlendInto(target, std::min(i * 255 / 100, 255));
        } else if (v.Gradient->empty()) {
            FillPixels(target, rect, v.Color, 255);
            return;
        } else {
            PaintGradientOrColor(target, rect, *v.Gradient, v.Color);
        }
    }
    if (shares >= 1 && shares <= 99)
        BlendColorIntoRect(target, rect, shares, v.Color);
    else if (shares == 0)
        PaintAlphaPlainColor(target, rect, v);
}

void PaintSectionFaceAlpha(TacPixelsView target, TacRect rect, const TsSkinModel* manager, std::int32_t sectionIndex,
                           int state, bool transparentCorners) {
    const TsGeneralData* section = SectionOf(manager, sectionIndex);
    if (section == nullptr || !HasPixels(target) || !InsideTarget(rect, target))
        return;
    const int s = ClampState(*section, state);
    // What the target held under rect is what clear border pixels show afterwards.
    TacPixmap before(rect.Width() + 1, rect.Height() + 1);
    CopyPixels(before.View(), 0, 0, target, {rect.Left, rect.Top, rect.Right + 1, rect.Bottom + 1});
    PaintSectionBackgroundAlpha(target, rect, manager, sectionIndex, std::min(s, 1));
    if (const TsMaskData* item = ImageOf(*manager, section->BordersMaskIndex))
        DrawBordersMaskAlpha(target, rect, transparentCorners, manager, s, *item,
                             BitmapBackdrop(before.View(), -rect.Left, -rect.Top));
    if (CoversTarget(rect, target))
        PremultiplyAlpha(target);
}

} // namespace sj
