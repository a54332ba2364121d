#include "skin/paint/sProgressPaint.h"

#include "skin/data/sSkinModel.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sSectionPaint.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace sj {
namespace {

TsGenState Plain(std::int32_t color, std::int32_t fontColor, int transparency = 0) {
    TsGenState s;
    s.Color = color;
    s.FontColor = fontColor;
    s.Transparency = transparency;
    return s;
}

struct TBarSkin {
    TsSkinModel Model;
    std::int32_t Add(const std::string& name, TsGenState state, const std::string& parent = "") {
        TsGeneralData s;
        s.SectionName = name;
        s.ParentClass = parent;
        s.States = 1;
        s.StateProps = {state, state};
        Model.GeneralData.push_back(s);
        return static_cast<std::int32_t>(Model.GeneralData.size() - 1);
    }
};

TEST(ProgressLook, ShareFromProgressTrackFromAGaugeOfItsOwnOrTheEdit) {
    TBarSkin borrowed;
    const auto edit = borrowed.Add("EDIT", Plain(0x00FFFFFF, 0x00000000));
    const auto progress = borrowed.Add("PROGRESSH", Plain(0x000000FF, 0x00FFFFFF));
    borrowed.Add("GAUGE", Plain(0x000000FF, 0x00FFFFFF), "PROGRESSH");
    TsProgressLook look = FindProgressLook(&borrowed.Model);
    EXPECT_EQ(look.Fill, progress);
    EXPECT_EQ(look.Track, edit) << "a gauge in the progress look would hide the share";
    EXPECT_EQ(look.FillText, 0x00FFFFFFu);
    EXPECT_EQ(look.TrackText, 0x00000000u);

    TBarSkin own;
    own.Add("EDIT", Plain(0x00FFFFFF, 0));
    const auto ownProgress = own.Add("PROGRESSH", Plain(0x000000FF, 0x00FFFFFF));
    const auto ownGauge = own.Add("GAUGE", Plain(0x00C0C0C0, 0x00202020));
    look = FindProgressLook(&own.Model);
    EXPECT_EQ(look.Fill, ownProgress);
    EXPECT_EQ(look.Track, ownGauge);
    EXPECT_EQ(look.TrackText, 0x00202020u);

    TBarSkin gaugeOnly;
    const auto onlyEdit = gaugeOnly.Add("EDIT", Plain(0x00FFFFFF, 0));
    const auto onlyGauge = gaugeOnly.Add("GAUGE", Plain(0x00C0C0C0, 0));
    look = FindProgressLook(&gaugeOnly.Model);
    EXPECT_EQ(look.Fill, onlyGauge);
    EXPECT_EQ(look.Track, onlyEdit);

    look = FindProgressLook(nullptr);
    EXPECT_EQ(look.Fill, -1);
    EXPECT_EQ(look.Track, -1);
}

TEST(ProgressLook, FillWidthIsTheShareRoundedDown) {
    EXPECT_EQ(ProgressFillWidth(300, 0, 100), 0);
    EXPECT_EQ(ProgressFillWidth(300, 1, 100), 3);
    EXPECT_EQ(ProgressFillWidth(300, 99, 100), 297);
    EXPECT_EQ(ProgressFillWidth(300, 100, 100), 300);
    EXPECT_EQ(ProgressFillWidth(300, 250, 100), 300) << "a source that grew";
    EXPECT_EQ(ProgressFillWidth(300, 5, 0), 0) << "nothing to do: no share";
    EXPECT_EQ(ProgressFillWidth(300, -5, 100), 0);
    EXPECT_EQ(ProgressFillWidth(300, std::int64_t{1} << 61, (std::int64_t{1} << 62) - 1), 150) << "no overflow";
}

TEST(ProgressBar, ShareLiesOverTheTrackAndTheTrackOverTheBackdrop) {
    TBarSkin skin;
    skin.Add("EDIT", Plain(0x00FFFFFF, 0, 50)); // half see-through: the backdrop shows in the track
    skin.Add("PROGRESSH", Plain(0x000000FF, 0x00FFFFFF, 50)); // and the track shows in the share
    const TsProgressLook look = FindProgressLook(&skin.Model);
    TacPixmap back(100, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x)
            back.At(x, y) = MakePixel(static_cast<std::uint8_t>(x * 2), static_cast<std::uint8_t>(y * 5), 40, 255);
    const TBackdropRef backdrop = BitmapBackdrop(back.View(), 0, 0);

    TacPixmap bar(60, 12);
    PaintProgressBar(bar.View(), &skin.Model, look, 25, backdrop, 20, 10);

    TacPixmap track(60, 12);
    PaintSectionFace(track.View(), {0, 0, 60, 12}, &skin.Model, look.Track, "EDIT", 0, true, backdrop, 20, 10);
    TacPixmap share(60, 12);
    PaintSectionFace(share.View(), {0, 0, 25, 12}, &skin.Model, look.Fill, "PROGRESSH", 0, true,
                     BitmapBackdrop(track.View(), 0, 0), 0, 0);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(bar.At(x, y), x < 25 ? share.At(x, y) : track.At(x, y)) << x << "," << y;
    EXPECT_NE(bar.At(10, 6), bar.At(40, 6)) << "the share stands out";
    EXPECT_NE(bar.At(40, 6), bar.At(50, 6)) << "the backdrop shows through the track";

    TacPixmap empty(60, 12);
    PaintProgressBar(empty.View(), &skin.Model, look, 0, backdrop, 20, 10);
    for (int x = 0; x < 60; ++x)
        ASSERT_EQ(empty.At(x, 6), track.At(x, 6));
    TacPixmap over(60, 12);
    PaintProgressBar(over.View(), &skin.Model, look, 500, backdrop, 20, 10); // clipped to the bar
    PaintProgressBar(TacPixelsView{}, &skin.Model, look, 5, backdrop, 0, 0);  // no pixels: nothing
}

} // namespace
} // namespace sj
