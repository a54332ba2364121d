// The start-up skin must hold exactly the values that the frame, the title buttons
// and the stored settings of the program are laid out for.
#include "PackageContents.h"

#include "skin/paint/acBmpImage.h"

#include <gtest/gtest.h>

namespace sj::skintest {
namespace {

class ZestSkin : public ::testing::Test {
protected:
    void SetUp() override {
        Package = ReadPackageBytes(ReadFileBytes(SkinsDir() + "/Zest (internal).asz"));
        ASSERT_FALSE(Package.Members.empty());
        Ini = ParseIni(Package.Members[0].Content);
        const std::string* master = Ini.Get("GLOBALINFO", "MASTERBITMAP");
        ASSERT_NE(master, nullptr);
        const TMember* m = Package.Find(*master);
        ASSERT_NE(m, nullptr);
        Master = ReadBmp(m->Content);
    }

    std::string Value(const std::string& section, const std::string& key) const {
        const std::string* v = Ini.Get(section, key);
        return v ? *v : "<absent>";
    }

    TPackage Package;
    TIni Ini;
    TacBmpImage Master;
};

TEST_F(ZestSkin, GlobalValuesMatchTheFrameLayout) {
    EXPECT_EQ(Package.Members[0].Name, "Options.dat");
    EXPECT_EQ(Value("GLOBALINFO", "COLOR"), "14477287");
    EXPECT_EQ(Value("GLOBALINFO", "VERSION"), "8.00");
    EXPECT_EQ(Value("GLOBALINFO", "TITLEHEIGHT"), "31");
    EXPECT_EQ(Value("GLOBALINFO", "MAXHEIGHT"), "28");
    EXPECT_EQ(Value("GLOBALINFO", "BORDERWIDTH"), "5");
    EXPECT_EQ(Value("GLOBALINFO", "BIRIGHT"), "1");
    EXPECT_EQ(Value("GLOBALINFO", "BISPACE"), "2");
    // No own extended border: the built-in shadow with 9-pixel margins is used.
    EXPECT_EQ(Ini.Get("GLOBALINFO", "EXBORDER"), nullptr);
}

TEST_F(ZestSkin, CloseAndMinimiseButtonsHaveFramesOf23By19) {
    for (const char* key : {"BICONCLOSE", "BICONMIN"}) {
        const std::string v = Value("GLOBALINFO", key);
        ASSERT_EQ(v[0], '@') << key;
        const std::vector<int> f = FixedFields(v);
        ASSERT_EQ(f.size(), 6u);
        const int frames = f[4], maskKind = f[5];
        ASSERT_GT(frames, 0);
        EXPECT_EQ((f[2] - f[0]) / frames, 23) << key;
        EXPECT_EQ((f[3] - f[1]) / (maskKind + 1), 19) << key;
        EXPECT_EQ(frames, 3) << key; // normal, hot, pressed
    }
}

TEST_F(ZestSkin, CheckBoxAndEditImagesSitWhereTheDescriptionSays) {
    EXPECT_EQ(Value("GLOBALINFO", "BOXCHECKED"), "@0163@0015@0208@0030@3@0");
    EXPECT_EQ(Value("EDIT", "BORDERSMASK"), "^0000^0003^0005^0008^0002^0002^0002^0002^1^0^1^1");
    const TacPixmap& m = Master.Pixels;
    EXPECT_EQ(Master.BitsPerPixel, 24);
    ASSERT_GE(m.Width(), 208);
    ASSERT_GE(m.Height(), 30);
    // The edit frame's corners are clear, its sides are not.
    EXPECT_EQ(m.At(0, 3), clKeyPixel);
    EXPECT_EQ(m.At(4, 7), clKeyPixel);
    EXPECT_NE(m.At(2, 3), clKeyPixel);
    EXPECT_NE(m.At(0, 5), clKeyPixel);
    // Each of the three check box frames has a drawn box in its middle and clear-free edges
    // around a square outline.
    for (int frame = 0; frame < 3; ++frame) {
        const int x = 163 + frame * 15;
        EXPECT_NE(m.At(x + 7, 15 + 7), clKeyPixel) << frame;
        EXPECT_NE(m.At(x + 7, 15), clKeyPixel) << frame;
    }
}

TEST_F(ZestSkin, ButtonSectionHasTheStatedValues) {
    EXPECT_EQ(Value("BUTTON", "STATES"), "4");
    EXPECT_EQ(Value("BUTTON", "COLOR"), "15266803");
    EXPECT_EQ(Value("BUTTON", "TRANSPARENCY"), "100");
    EXPECT_EQ(Value("BUTTON", "HOTTRANSPARENCY"), "100");
    EXPECT_EQ(Value("BUTTON", "GRADIENTDATA"), "N/A");
    EXPECT_EQ(Ini.Get("BUTTON", "HOTCOLOR"), nullptr);
    EXPECT_EQ(Ini.Get("BUTTON", "PARENTCLASS"), nullptr);
    EXPECT_EQ(Value("BUTTON", "FADINGENABLED"), "1");
    EXPECT_EQ(Value("BUTTON", "FADINGITERATIONS"), "10");
    // With the whole face drawn by its image, the button's frames must paint their centre.
    const std::vector<int> f = FixedFields(Value("BUTTON", "BORDERSMASK"));
    ASSERT_EQ(f.size(), 12u);
    EXPECT_EQ(f[8], 4);      // one frame per state
    EXPECT_EQ(f[10] & 4, 4); // centre painted
}

TEST_F(ZestSkin, RibbonPageGradient) {
    EXPECT_EQ(Value("RIBBONPAGE", "GRADIENTDATA"), "16777215;14477287;97;0;0;14477287;14477287;0;0;0");
}

} // namespace
} // namespace sj::skintest
