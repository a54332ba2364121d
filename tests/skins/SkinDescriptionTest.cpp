#include "tools/skingen/SkinDescription.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>

namespace sj::skingen {
namespace {

TEST(ImageValues, FixedWidthFormsPutEveryFieldAtItsPosition) {
    EXPECT_EQ(GlyphValue({163, 15, 208, 30}, 3, 0), "@0163@0015@0208@0030@3@0");
    const std::string edit = BordersValue({0, 3, 5, 8}, 2, 2, 2, 2, 1, 0, 1, 1);
    EXPECT_EQ(edit, "^0000^0003^0005^0008^0002^0002^0002^0002^1^0^1^1");
    EXPECT_EQ(edit.size(), 48u); // readers require all 48 characters
    EXPECT_EQ(TextureValue({28, 28, 30, 30}, 10, 0), "~0028~0028~0030~0030~10~0");
}

TEST(ImageValues, NumbersThatDoNotFitTheirDigitsAreRefused) {
    // A fifth digit would shift every later field and make the loader misread the value.
    EXPECT_THROW(GlyphValue({0, 0, 10000, 5}, 1, 0), Exception);
    EXPECT_THROW(BordersValue({0, 0, 10, 10}, 2, 2, 2, 2, 10, 1, 1, 0), Exception);
    EXPECT_THROW(BordersValue({0, 0, 10, 10}, 2, 2, 2, 2, 0, 1, 1, 0), Exception); // no frames
    EXPECT_THROW(GlyphValue({5, 5, 5, 9}, 1, 0), Exception);                       // empty
}

TEST(ImageValues, FileAndFreeForms) {
    EXPECT_EQ(FileValue("GLOWCLOSE.PNG", 1, 0, 4), "!GLOWCLOSE.PNG!1!0!4");
    EXPECT_EQ(FileValue("GLOWEDIT.PNG", 1, 0, 3, 7, 7, 7, 7, 1), "!GLOWEDIT.PNG!1!0!3!0007!0007!0007!0007!1");
    EXPECT_EQ(FreeBordersValue({10, 20, 40, 50}, 3, 1, 4, 1), "#MASK (10,20,40,50) (3,1,4,1)");
    EXPECT_EQ(ColorText(0x00DCE7E7), "14477287");
}

TEST(SkinDescription, KeepsOrderAndReplacesInPlace) {
    TSkinDescription d;
    d.Set("GLOBALINFO", "VERSION", "8.00");
    d.Set("BUTTON", "STATES", 4);
    d.Set("GLOBALINFO", "COLOR", 1);
    d.Set("GLOBALINFO", "VERSION", "8.05");
    EXPECT_EQ(d.Text(), "[GLOBALINFO]\r\nVERSION=8.05\r\nCOLOR=1\r\n\r\n[BUTTON]\r\nSTATES=4\r\n");
    EXPECT_THROW(d.Set("A", "K", "two\nlines"), Exception);
    EXPECT_THROW(d.Set("A", "K=V", "x"), Exception);
}

TEST(SkinDescription, InheritedLookupFollowsParentsAndStopsAtLoops) {
    TSkinDescription d;
    d.Set("SCROLLBTNBOTTOM", "COLOR", 255);
    d.Set("SCROLLBTNTOP", "PARENTCLASS", "SCROLLBTNBOTTOM");
    d.Set("SCROLLBTNLEFT", "PARENTCLASS", "SCROLLBTNBOTTOM");
    d.Set("SCROLLBTNLEFT", "COLOR", -1); // lets the parent's value through
    d.Set("A", "PARENTCLASS", "B");
    d.Set("B", "PARENTCLASS", "A");
    ASSERT_NE(d.FindInherited("SCROLLBTNTOP", "COLOR"), nullptr);
    EXPECT_EQ(*d.FindInherited("SCROLLBTNTOP", "COLOR"), "255");
    EXPECT_EQ(*d.FindInherited("SCROLLBTNLEFT", "COLOR"), "255");
    EXPECT_EQ(d.Find("SCROLLBTNTOP", "COLOR"), nullptr);
    EXPECT_EQ(d.FindInherited("A", "COLOR"), nullptr);
}

} // namespace
} // namespace sj::skingen
