// Every generated skin loads with the program's own skin loader as an internal skin,
// and the start-up skin gives the model the values the program is laid out for.
#include "PackageContents.h"

#include "skin/data/sSkinCore.h"
#include "skin/paint/sBackdrop.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sSectionPaint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace sj::skintest {
namespace {

// A core holding all generated skins as its internal skins, like the main window's manager.
TsSkinCore& Core() {
    static TsSkinCore core = [] {
        TsSkinCore c;
        for (const std::string& name : SkinNames()) {
            TsStoredSkin item;
            item.Name = name;
            item.DataStream = ReadFileBytes(SkinsDir() + "/" + name + ".asz");
            c.InternalSkins.Add(std::move(item));
        }
        c.SetSkinDirectory("/nonexistent-skin-folder");
        return c;
    }();
    return core;
}

const TsGeneralData& SectionOf(const TsSkinModel& m, const std::string& name) {
    const std::int32_t i = m.SectionIndexOf(name);
    EXPECT_GE(i, 0) << name;
    return m.GeneralData.at(static_cast<std::size_t>(i < 0 ? 0 : i));
}

const TsMaskData& ImageOf(const TsSkinModel& m, const std::string& section, const std::string& key) {
    const std::int32_t i = m.ExactImageIndexOf(section, key);
    EXPECT_GE(i, 0) << section << "." << key;
    return m.Masks.at(static_cast<std::size_t>(i < 0 ? 0 : i));
}

TEST(SkinLoad, EveryInternalSkinLoadsWithAllItsImages) {
    TsSkinCore& core = Core();
    ASSERT_EQ(core.InternalSkins.Count(), 43);
    for (const std::string& name : SkinNames()) {
        SCOPED_TRACE(name);
        ASSERT_NO_THROW(core.LoadSkin(name));
        EXPECT_EQ(core.SkinName(), name);
        EXPECT_EQ(core.LastSource(), TsSkinSource::Internal);
        const TsSkinModel& m = core.Model();
        EXPECT_FALSE(m.MasterBitmap.Empty());
        // Every image key of the description became an item the painters can find.
        const TPackage package = ReadPackageBytes(ReadFileBytes(SkinsDir() + "/" + name + ".asz"));
        const TIni ini = ParseIni(package.Members[0].Content);
        for (const std::string& section : ini.Order)
            for (const auto& [key, value] : ini.Sections.at(section)) {
                if (key == "MASTERBITMAP" || value.empty())
                    continue;
                const TsImageForm form = ImageFormOf(value);
                const bool written = std::string("@^~!").find(value[0]) != std::string::npos ||
                                     value.find('#') != std::string::npos || value.find(".BMP") != std::string::npos ||
                                     value.find(".JPG") != std::string::npos;
                EXPECT_EQ(form != TsImageForm::None, written) << section << "." << key << "=" << value;
                if (form == TsImageForm::None)
                    continue;
                const bool isJpeg = form == TsImageForm::Jpeg;
                const std::int32_t index = m.ExactImageIndexOf(section, key);
                if (isJpeg) {
                    // Small JPEG images become texture items with upper-cased names.
                    EXPECT_GE(m.TextureIndexOf(m.SectionIndexOf(section), section, key), 0) << key;
                    continue;
                }
                ASSERT_GE(index, 0) << section << "." << key << "=" << value;
                const TsMaskData& item = m.Masks[static_cast<std::size_t>(index)];
                EXPECT_GT(FrameWidth(item), 0) << section << "." << key;
                EXPECT_GT(FrameHeight(item), 0) << section << "." << key;
            }
        // Items cut from the master image never share pixels: one would paint the other's.
        for (std::size_t i = 0; i < m.Masks.size(); ++i)
            for (std::size_t j = i + 1; j < m.Masks.size(); ++j) {
                const TsMaskData& a = m.Masks[i];
                const TsMaskData& b = m.Masks[j];
                if (a.OwnBitmap || b.OwnBitmap || a.SourceRect.Empty() || b.SourceRect.Empty() ||
                    (a.SourceRect.Left == b.SourceRect.Left && a.SourceRect.Top == b.SourceRect.Top &&
                     a.SourceRect.Right == b.SourceRect.Right && a.SourceRect.Bottom == b.SourceRect.Bottom))
                    continue;
                const TacRect& ra = a.SourceRect;
                const TacRect& rb = b.SourceRect;
                EXPECT_FALSE(ra.Left < rb.Right && rb.Left < ra.Right && ra.Top < rb.Bottom && rb.Top < ra.Bottom)
                    << a.Section << "." << a.Key << " and " << b.Section << "." << b.Key
                    << " overlap in the master image";
            }
        // Standard elements that the controls and the frame look up.
        const TsStdIndexes& std = m.StdIndexes;
        EXPECT_GE(std.TitleCloseImage, 0);
        EXPECT_GE(std.TitleMinImage, 0);
        EXPECT_GE(std.CheckBoxChecked, 0);
        EXPECT_GE(std.RadioChecked, 0);
        EXPECT_GE(std.ScrollBtnTopBorders, 0); // inherited from SCROLLBTNBOTTOM
        EXPECT_GE(std.ScrollBtnTopGlyph, 0);
        EXPECT_GE(std.SliderHorzBorders, 0);
        EXPECT_GE(std.ComboBtnBorders, 0);
        EXPECT_GE(std.ComboBoxGlyph, 0);
        EXPECT_GE(std.GripImage, 0);
        EXPECT_GE(std.TabTopBorders, 0);
        EXPECT_GE(std.WebButtonSection, 0);
        EXPECT_EQ(core.SkinInfo().empty(), false);
    }
}

TEST(SkinLoad, ZestGivesTheModelItsStatedValues) {
    TsSkinCore& core = Core();
    ASSERT_NO_THROW(core.LoadSkin("Zest (internal)"));
    const TsSkinModel& m = core.Model();
    const TsSkinData& g = m.SkinGlobals;
    EXPECT_EQ(core.SkinInfo(), "8");
    EXPECT_EQ(g.TitleHeight, 31);
    EXPECT_EQ(g.MaxHeight, 28);
    EXPECT_EQ(g.BorderWidth, 5);
    EXPECT_EQ(g.BIRight, 1);
    EXPECT_EQ(g.BISpace, 2);
    EXPECT_EQ(m.StdIndexes.ExBorderImage, -1);
    EXPECT_EQ(SectionOf(m, "GLOBALINFO").Color, 0x00DCE7E7);

    for (std::int16_t index : {m.StdIndexes.TitleCloseImage, m.StdIndexes.TitleMinImage}) {
        ASSERT_GE(index, 0);
        const TsMaskData& item = m.Masks[static_cast<std::size_t>(index)];
        EXPECT_EQ(FrameWidth(item), 23);
        EXPECT_EQ(FrameHeight(item), 19);
    }
    // ButtonBlockWidth of the main window: BIRIGHT + close + (minimise + BISPACE).
    EXPECT_EQ(1 + 23 + (23 + 2), 49);

    const TsMaskData& box = m.Masks.at(static_cast<std::size_t>(m.StdIndexes.CheckBoxChecked));
    EXPECT_EQ(box.SourceRect, (TacRect{163, 15, 208, 30}));
    EXPECT_EQ(box.FrameCount, 3);
    EXPECT_EQ(box.MaskKind, 0);
    EXPECT_EQ(FrameWidth(box), 15);
    EXPECT_EQ(FrameHeight(box), 15);

    const TsMaskData& edit = ImageOf(m, "EDIT", "BORDERSMASK");
    EXPECT_EQ(edit.BorderLeft, 2);
    EXPECT_EQ(edit.BorderTop, 2);
    EXPECT_EQ(edit.BorderRight, 2);
    EXPECT_EQ(edit.BorderBottom, 2);
    EXPECT_EQ(edit.FrameCount, 1);
    EXPECT_EQ(edit.MaskKind, 0);
    EXPECT_EQ(edit.PaintFlags, 1);
    EXPECT_EQ(edit.CommonBorder, 1);
    EXPECT_EQ(edit.CornerKind, 1);
    // The rounded window: clear title corners, which the window region is cut from.
    EXPECT_EQ(ImageOf(m, "FORMTITLE", "BORDERSMASK").CornerKind, 1);

    const TsGeneralData& button = SectionOf(m, "BUTTON");
    EXPECT_EQ(button.States, 4);
    EXPECT_EQ(button.StateProps[0].Color, 0x00E8F3F3);
    EXPECT_EQ(button.StateProps[1].Color, 0xFFFFFF);
    EXPECT_EQ(button.StateProps[0].Transparency, 100);
    EXPECT_EQ(button.StateProps[1].Transparency, 100);
    EXPECT_TRUE(button.StateProps[0].GradientSteps.empty());
    EXPECT_TRUE(button.StateProps[1].GradientSteps.empty());
    EXPECT_TRUE(button.ParentClass.empty());
    EXPECT_TRUE(button.FadingEnabled);
    EXPECT_EQ(button.FadingIterations, 10);
    EXPECT_EQ(&button.PropsOfState(3), &button.StateProps[1]);

    const TsGeneralData& ribbon = SectionOf(m, "RIBBONPAGE");
    ASSERT_EQ(ribbon.GradientSteps.size(), 2u);
    EXPECT_EQ(ribbon.GradientSteps[0].Color1, 16777215);
    EXPECT_EQ(ribbon.GradientSteps[0].Color2, 14477287);
    EXPECT_EQ(ribbon.GradientSteps[0].Percent, 97);
    EXPECT_EQ(ribbon.GradientSteps[1].Color1, 14477287);
    EXPECT_EQ(ribbon.GradientSteps[1].Color2, 14477287);
    EXPECT_EQ(ribbon.GradientSteps[1].Percent, 0);
}

// WCAG 2 relative luminance of 8-bit red, green and blue.
double Luminance(int r, int g, int b) {
    auto channel = [](int v) {
        const double c = v / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(r) + 0.7152 * channel(g) + 0.0722 * channel(b);
}

// The lowest contrast between a 0x00BBGGRR text colour and the pixels of an area.
double WorstContrast(const TacPixmap& face, TacRect area, std::int32_t text) {
    const double lt = Luminance(text & 0xFF, (text >> 8) & 0xFF, (text >> 16) & 0xFF);
    double worst = 21;
    for (int y = std::max(0, area.Top); y < std::min(face.Height(), area.Bottom); ++y)
        for (int x = std::max(0, area.Left); x < std::min(face.Width(), area.Right); ++x) {
            const TPixel32 p = face.At(x, y);
            const double lp = Luminance(PixelR(p), PixelG(p), PixelB(p));
            worst = std::min(worst, (std::max(lt, lp) + 0.05) / (std::min(lt, lp) + 0.05));
        }
    return worst;
}

// The caption is drawn in the title section's font colour over the title's face with
// the caption plate on it, as the frame paints them: everywhere the text can lie, in the
// active and the inactive state, it keeps a contrast of 4.5:1.
TEST(SkinLoad, CaptionTextReadsOnThePaintedTitleOfEverySkin) {
    TsSkinCore& core = Core();
    for (const std::string& name : SkinNames()) {
        ASSERT_NO_THROW(core.LoadSkin(name));
        const TsSkinModel& m = core.Model();
        const TsSkinData& g = m.SkinGlobals;
        const std::int32_t title = m.SectionIndexOf("FORMTITLE");
        const std::int32_t caption = m.SectionIndexOf("CAPTION");
        const std::int32_t form = m.SectionIndexOf("FORM");
        ASSERT_GE(title, 0) << name;
        const TsGeneralData& section = m.GeneralData[static_cast<std::size_t>(title)];
        const int height = g.TitleHeight > 0 ? g.TitleHeight : 30;
        const int maxTitle = g.MaxHeight > 0 ? g.MaxHeight : height;
        const int width = 480;
        const int center = maxTitle / 2 + height - maxTitle + g.CenterOffset;
        // A caption some 120 pixels wide, centred, one caption font high.
        const TacRect text{width / 2 - 60, center - 7, width / 2 + 60, center + 7};
        for (int active = 0; active < 2; ++active) {
            SCOPED_TRACE(name + (active != 0 ? " active" : " inactive"));
            const int state = std::min(active, std::max(0, section.States - 1));
            TacPixmap face(width, height);
            const std::int32_t formColor =
                form >= 0 ? m.GeneralData[static_cast<std::size_t>(form)].PropsOfState(0).Color : 0xFFFFFF;
            FillPixels(face.View(), TacRect{0, 0, width, height}, ColorToPixelOrder(static_cast<TColor>(formColor)),
                       0xFF);
            TacPixmap behind = face;
            PaintSectionFace(face.View(), TacRect{0, 0, width, height}, &m, title, "FORMTITLE", state, true,
                             BitmapBackdrop(behind.View(), 0, 0), 0, 0);
            if (caption >= 0) {
                const TacRect plate{text.Left - 4, text.Top - 2, text.Right + 4, text.Bottom + 2};
                TacPixmap under = face;
                const auto& plateSection = m.GeneralData[static_cast<std::size_t>(caption)];
                PaintSectionFace(face.View(), plate, &m, caption, "CAPTION",
                                 std::min(active, std::max(0, plateSection.States - 1)), true,
                                 BitmapBackdrop(under.View(), 0, 0), plate.Left, plate.Top);
            }
            EXPECT_GE(WorstContrast(face, text, section.PropsOfState(state).FontColor), 4.5);
        }
    }
}

TEST(SkinLoad, ExtendedBorderSkinsGiveTheirMargins) {
    TsSkinCore& core = Core();
    core.ExtendedBordersUsable = true;
    int withOwnBorder = 0;
    for (const std::string& name : SkinNames()) {
        SCOPED_TRACE(name);
        ASSERT_NO_THROW(core.LoadSkin(name));
        const TsSkinModel& m = core.Model();
        if (m.StdIndexes.ExBorderImage < 0)
            continue;
        ++withOwnBorder;
        EXPECT_FALSE(m.ExtBorderActive.Empty());
        EXPECT_FALSE(m.ExtBorderInactive.Empty());
        for (std::int32_t margin : m.ExtBorderMargins)
            EXPECT_GT(margin, 0);
    }
    core.ExtendedBordersUsable = false;
    EXPECT_GE(withOwnBorder, 2);
}

} // namespace
} // namespace sj::skintest
