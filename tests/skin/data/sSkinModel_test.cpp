#include "skin/data/sSkinModel.h"

#include <gtest/gtest.h>

#include <limits>

namespace sj {
namespace {

TsGeneralData Section(const std::string& name, const std::string& parent = "") {
    TsGeneralData s;
    s.SectionName = name;
    s.ParentClass = parent;
    return s;
}

TsMaskData Item(const std::string& section, const std::string& key, std::uint8_t kind = ikBorders) {
    TsMaskData item;
    item.Section = section;
    item.Key = key;
    item.ItemKind = kind;
    return item;
}

class SkinLookups : public ::testing::Test {
protected:
    void SetUp() override {
        M.GeneralData = {Section("SCROLLBTNBOTTOM"), Section("SCROLLBTNTOP", "SCROLLBTNBOTTOM"), Section("A", "B"),
                         Section("B", "A"), Section("SELF", "SELF")};
        M.Masks = {Item("SCROLLBTNBOTTOM", "BORDERSMASK"), Item("SCROLLBTNBOTTOM", "PATTERN", ikTexture),
                   Item("SCROLLBTNTOP", "PATTERN", ikGlyph)};
        M.Patterns = {TsPatternData{nullptr, "SCROLLBTNBOTTOM", "BACK"}};
    }
    std::int32_t Index(const std::string& name) const { return M.SectionIndexOf(name); }
    TsSkinModel M;
};

TEST_F(SkinLookups, SectionsByExactName) {
    EXPECT_EQ(Index("SCROLLBTNTOP"), 1);
    EXPECT_EQ(Index("scrollbtntop"), -1);
    EXPECT_EQ(Index(""), -1);
    EXPECT_TRUE(M.HasSection(4));
    EXPECT_FALSE(M.HasSection(5));
    EXPECT_FALSE(M.HasSection(-1));
}

TEST_F(SkinLookups, ImagesInheritButExactLookupsDoNot) {
    EXPECT_EQ(M.ImageIndexOf(Index("SCROLLBTNTOP"), "SCROLLBTNTOP", "BORDERSMASK"), 0);
    EXPECT_EQ(M.ExactImageIndexOf("SCROLLBTNTOP", "BORDERSMASK"), -1);
    EXPECT_EQ(M.ImageIndexOf(-1, "SCROLLBTNTOP", "BORDERSMASK"), -1);
    EXPECT_EQ(M.ImageIndexOf(0, "", "BORDERSMASK"), -1);
    // Own items first: the glyph named PATTERN of SCROLLBTNTOP hides the parent's.
    EXPECT_EQ(M.ImageIndexOf(Index("SCROLLBTNTOP"), "SCROLLBTNTOP", "PATTERN"), 2);
}

TEST_F(SkinLookups, TexturesMatchOnlyTextureItems) {
    EXPECT_EQ(M.TextureIndexOf(Index("SCROLLBTNTOP"), "SCROLLBTNTOP", "PATTERN"), 1);
    EXPECT_EQ(M.TextureIndexOf(Index("SCROLLBTNTOP"), "SCROLLBTNTOP", "BORDERSMASK"), -1);
    EXPECT_EQ(M.JpegPatternIndexOf(Index("SCROLLBTNTOP"), "SCROLLBTNTOP", "BACK"), 0);
    TsSkinModel empty;
    EXPECT_EQ(empty.TextureIndexOf(0, "X", "PATTERN"), -1);
    EXPECT_EQ(empty.JpegPatternIndexOf(0, "X", "BACK"), -1);
}

TEST_F(SkinLookups, ParentCyclesEndWithoutResult) {
    EXPECT_EQ(M.ImageIndexOf(Index("A"), "A", "BORDERSMASK"), -1);
    EXPECT_EQ(M.ImageIndexOf(Index("SELF"), "SELF", "BORDERSMASK"), -1);
    EXPECT_EQ(M.TextureIndexOf(Index("B"), "B", "PATTERN"), -1);
}

TEST(BorderFallbacks, OwnWidthThenCommonBorderThenFrameSize) {
    TsSkinModel m;
    TsMaskData item;
    item.SourceRect = {0, 0, 60, 40};
    item.FrameCount = 3;
    item.MaskKind = 1;
    item.BorderLeft = 5;
    m.Masks.push_back(item);
    item.BorderLeft = 0;
    item.CommonBorder = 2;
    m.Masks.push_back(item);
    item.CommonBorder = 0;
    item.FrameCount = 0;
    m.Masks.push_back(item);

    EXPECT_EQ(m.BorderLeftOf(0), 5);
    EXPECT_EQ(m.BorderTopOf(0), 20); // frame height
    EXPECT_EQ(m.BorderRightOf(0), 20);
    EXPECT_EQ(m.BorderLeftOf(1), 2);
    EXPECT_EQ(m.BorderBottomOf(1), 2);

    EXPECT_EQ(m.BorderRightOf(2), 0); // no frames: no width
    EXPECT_EQ(m.BorderLeftOf(2), 60); // makes it one frame first
    EXPECT_EQ(m.Masks[2].FrameCount, 1);
    EXPECT_EQ(m.BorderRightOf(2), 60);
    EXPECT_EQ(m.BorderLeftOf(7), 0);
}

TEST(SkinModel, MovedItemsPointAtTheirNewModel) {
    TsSkinModel a;
    a.Masks.push_back(TsMaskData{});
    a.AdoptItems();
    a.MasterBitmap = TacPixmap(3, 2);
    TsSkinModel b;
    b = std::move(a);
    ASSERT_EQ(b.Masks.size(), 1u);
    EXPECT_EQ(b.Masks[0].Owner, &b);
    EXPECT_EQ(b.Masks[0].SourceImage(), &b.MasterBitmap);
    b.Clear();
    EXPECT_TRUE(b.Masks.empty());
    EXPECT_EQ(b.StdIndexes.GlobalInfoSection, -1);
}

TEST(GeneralData, StateValuesForAnyStateCount) {
    TsGeneralData s;
    for (const int states : {std::numeric_limits<int>::min(), -1, 0, 1}) {
        s.States = states;
        EXPECT_EQ(&s.PropsOfState(std::numeric_limits<int>::max()), &s.StateProps[0]) << states << " states";
    }
    s.States = 2;
    EXPECT_EQ(&s.PropsOfState(-5), &s.StateProps[0]);
    EXPECT_EQ(&s.PropsOfState(0), &s.StateProps[0]);
    EXPECT_EQ(&s.PropsOfState(1), &s.StateProps[1]);
    s.States = std::numeric_limits<int>::max();
    EXPECT_EQ(&s.PropsOfState(std::numeric_limits<int>::min()), &s.StateProps[0]);
    EXPECT_EQ(&s.PropsOfState(5), &s.StateProps[1]);
}

} // namespace
} // namespace sj
