#include "skin/data/sSkinSections.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>

namespace sj {
namespace {

TsSkinHost TestHost() {
    TsSkinHost host = TsSkinHost::Defaults();
    host.SysColor = [](int index) { return 0x00010100u + static_cast<std::uint32_t>(index); };
    host.SystemMetric = [](int) { return 7; };
    return host;
}

TsSkinModel Load(const std::string& text) {
    const TacMemIni ini(text);
    TsSkinModel model;
    const TsSkinHost host = TestHost();
    ReadSkinGlobals(ini, model.SkinGlobals, host);
    LoadSectionTable(ini, model, host);
    return model;
}

const TsGeneralData& Section(const TsSkinModel& m, const std::string& name) {
    const std::int32_t index = m.SectionIndexOf(name);
    EXPECT_GE(index, 0) << name;
    return m.GeneralData.at(static_cast<std::size_t>(index));
}

TEST(SkinGlobals, DefaultsWithoutGlobalInfo) {
    const TsSkinModel m = Load("[FORM]\nCOLOR=1\n");
    const TsSkinData& g = m.SkinGlobals;
    EXPECT_EQ(g.Version, 0);
    EXPECT_EQ(g.BorderWidth, 4);
    EXPECT_EQ(g.TitleHeight, 30);
    EXPECT_EQ(g.MaxHeight, 30);
    EXPECT_EQ(g.FormOffset, 7); // the sizing frame metric
    EXPECT_EQ(g.Shadow1Blur, -1);
    EXPECT_FALSE(g.AeroBlur);
}

TEST(SkinGlobals, ValuesAndTheirReplacements) {
    const TsSkinModel m = Load("[GLOBALINFO]\nVERSION=8.00\nAUTHOR=Someone\nTITLEHEIGHT=0\nFORMOFFSET=2\n"
                               "SHADOW1BLUR=3\nBORDERCOLOR=$00FF00\nAEROBLUR=2\nBIKEEPHUE=1\n");
    const TsSkinData& g = m.SkinGlobals;
    EXPECT_EQ(g.Version, 8.0);
    EXPECT_EQ(g.Author, "Someone");
    EXPECT_EQ(g.TitleHeight, 30);
    EXPECT_EQ(g.MaxHeight, 30);
    EXPECT_EQ(g.FormOffset, 2);
    EXPECT_EQ(g.Shadow1Blur, 3);
    EXPECT_EQ(g.BorderColor, 0x00FF00u);
    EXPECT_TRUE(g.AeroBlur);
    EXPECT_EQ(g.BIKeepHue, 1);

    EXPECT_EQ(Load("[GLOBALINFO]\nTITLEHEIGHT=31\nMAXHEIGHT=28\n").SkinGlobals.MaxHeight, 28);
    EXPECT_EQ(Load("[GLOBALINFO]\nTITLEHEIGHT=31\n").SkinGlobals.MaxHeight, 31);
}

TEST(SkinGlobals, StrictKeysRejectOtherText) {
    try {
        Load("[GLOBALINFO]\nSHADOW1OFFSET=$10\n");
        FAIL() << "hex accepted by a strict key";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "'$10' is not a valid integer value");
    }
    EXPECT_THROW(Load("[GLOBALINFO]\nBICONMAXGLOW=big\n"), Exception);
    // The same text in an ordinary key only counts as missing.
    EXPECT_EQ(Load("[GLOBALINFO]\nBISPACE=big\n").SkinGlobals.BISpace, 0);
}

TEST(SkinSections, ZestButtonSection) {
    const TsSkinModel m = Load("[BUTTON]\nSTATES=4\nCOLOR=15266803\nTRANSPARENCY=100\nHOTTRANSPARENCY=100\n"
                               "GRADIENTDATA=N/A\nGRADIENTPERCENT=30\n");
    const TsGeneralData& b = Section(m, "BUTTON");
    EXPECT_EQ(b.States, 4);
    EXPECT_EQ(b.StateProps[0].Color, 0x00E8F3F3);
    EXPECT_EQ(b.StateProps[1].Color, 0xFFFFFF);
    EXPECT_EQ(b.StateProps[0].Transparency, 100);
    EXPECT_EQ(b.StateProps[1].Transparency, 100);
    EXPECT_TRUE(b.StateProps[0].GradientSteps.empty());
    EXPECT_TRUE(b.StateProps[1].GradientSteps.empty());
    EXPECT_EQ(b.GradientPercent, 30); // "N/A" is long enough to keep the percent
    EXPECT_EQ(&b.PropsOfState(3), &b.StateProps[1]);
    EXPECT_EQ(&b.PropsOfState(0), &b.StateProps[0]);
}

TEST(SkinSections, OneStateSectionsCopyTheNormalState) {
    const TsSkinModel m = Load("[PANEL]\nSTATES=1\nCOLOR=123\nHOTCOLOR=456\nGRADIENTDATA=\nGRADIENTPERCENT=50\n");
    const TsGeneralData& p = Section(m, "PANEL");
    EXPECT_EQ(p.StateProps[1].Color, 123);
    EXPECT_EQ(&p.PropsOfState(2), &p.StateProps[0]);
    EXPECT_EQ(p.GradientPercent, 0); // empty gradient text
    EXPECT_EQ(p.HotColor, 0);        // hot keys are not read for one state
}

TEST(SkinSections, GradientStepsOfRibbonPage) {
    const TsSkinModel m = Load("[RIBBONPAGE]\nGRADIENTPERCENT=100\n"
                               "GRADIENTDATA=16777215;14477287;97;0;0;14477287;14477287;0;0;0\n");
    const TsGeneralData& r = Section(m, "RIBBONPAGE");
    ASSERT_EQ(r.StateProps[0].GradientSteps.size(), 2u);
    EXPECT_EQ(r.StateProps[0].GradientSteps[0], (TsGradPie{16777215, 14477287, 97, 0}));
    EXPECT_EQ(r.StateProps[1].GradientPercent, 0); // no HOTGRADIENTDATA
    EXPECT_THROW(Load("[X]\nGRADIENTDATA=1;2;3;four;5\n"), Exception);
}

TEST(SkinSections, KeysInheritThroughParentClass) {
    const TsSkinModel m = Load("[SCROLLBTNBOTTOM]\nCOLOR=111\nFONTCOLOR=-16777201\nSHOWFOCUS=true\n"
                               "[SCROLLBTNTOP]\nPARENTCLASS=SCROLLBTNBOTTOM\nTRANSPARENCY=5\n"
                               "[MINUS]\nPARENTCLASS=SCROLLBTNBOTTOM\nCOLOR=-1\nSHOWFOCUS=?\n"
                               "[GRANDCHILD]\nPARENTCLASS=MINUS\n"
                               "[OWNSYS]\nFONTCOLOR=-16777201\n");
    const TsGeneralData& top = Section(m, "SCROLLBTNTOP");
    EXPECT_EQ(top.Color, 111);
    EXPECT_EQ(top.ParentClass, "SCROLLBTNBOTTOM");
    EXPECT_TRUE(top.ShowFocus);
    EXPECT_EQ(top.FontColor, 0x0001010F); // system colour from a parent is converted
    EXPECT_EQ(Section(m, "OWNSYS").FontColor, static_cast<std::int32_t>(0xFF00000F)); // own value is not
    EXPECT_EQ(Section(m, "MINUS").Color, 111); // -1 lets the parent's value through
    EXPECT_TRUE(Section(m, "MINUS").ShowFocus);
    EXPECT_EQ(Section(m, "GRANDCHILD").Color, 111);
    EXPECT_EQ(Section(m, "GRANDCHILD").StateProps[0].Transparency, 0);
}

TEST(SkinSections, ParentCyclesAndMissingParentsEndTheChain) {
    const TsSkinModel m = Load("[A]\nPARENTCLASS=B\n[B]\nPARENTCLASS=A\n[C]\nPARENTCLASS=NOWHERE\n"
                               "[D]\nPARENTCLASS=D\n");
    for (const char* name : {"A", "B", "C", "D"}) {
        EXPECT_EQ(Section(m, name).Color, 0xFFFFFF) << name;
        EXPECT_EQ(Section(m, name).FadingIterations, 5) << name;
        EXPECT_EQ(Section(m, name).TCLeft, -1) << name;
        EXPECT_EQ(Section(m, name).States, 3) << name;
    }
}

TEST(SkinSections, SystemColourCodesInConvertedKeys) {
    const TsSkinModel m = Load("[GLOBALINFO]\nCOLOR=-16777201\nGCOL=$FF000005\n");
    EXPECT_EQ(Section(m, "GLOBALINFO").Color, 0x0001010F);
    EXPECT_EQ(Section(m, "GLOBALINFO").GCol, 0x00010105);
}

TEST(CommonSections, SkinSectionsWinAndNewOnesInheritFromTheSkin) {
    TsSkinModel m = Load("[BUTTON]\nCOLOR=1\n[PANEL]\nCOLOR=4242\nHOTCOLOR=77\nGLOW=3\n");
    const TacCommonSections lines(
        NormalizeCommonSectionLines({"; extra sections", "[BUTTON]", "COLOR = 99", "[MYPANEL]", "parentclass=panel",
                                     "Transparency=$10", "GLOW=-1", "GRADIENTDATA=1;2;50;0;0"}));
    AppendCommonSections(lines, m);
    ASSERT_EQ(m.GeneralData.size(), 3u);
    EXPECT_EQ(Section(m, "BUTTON").Color, 1);
    const TsGeneralData& extra = Section(m, "MYPANEL");
    EXPECT_EQ(extra.ParentClass, "PANEL");
    EXPECT_EQ(extra.Color, 4242);
    EXPECT_EQ(extra.StateProps[1].Color, 77);
    EXPECT_EQ(extra.States, 3);
    EXPECT_EQ(extra.Transparency, 16);
    EXPECT_EQ(extra.Glow, 3);
    EXPECT_EQ(extra.FadingIterations, 5); // the parent's own default
    ASSERT_EQ(extra.StateProps[0].GradientSteps.size(), 1u);
    EXPECT_EQ(extra.StateProps[0].GradientSteps[0].Percent, 50);
}

TEST(CommonSections, WithoutParentTheDefaultsApply) {
    TsSkinModel m;
    const TacCommonSections lines({"ignored=1", "[NEW]", "GSIZE=", "FADINGENABLED=TRUE"});
    AppendCommonSections(lines, m);
    const TsGeneralData& s = Section(m, "NEW");
    EXPECT_EQ(s.ParentClass, "-1");
    EXPECT_EQ(s.Color, 0xFFFFFF);
    EXPECT_EQ(s.HGCol, 0xFFFFFF);
    EXPECT_EQ(s.HotTCBottom, -1);
    EXPECT_EQ(s.GSize, 0);
    EXPECT_TRUE(s.FadingEnabled);
    EXPECT_EQ(s.GradientData, " ");
    EXPECT_TRUE(s.GradientSteps.empty());
}

} // namespace
} // namespace sj
