#include "shell/MemIniFile.h"

#include <gtest/gtest.h>

namespace sj {
namespace {

TEST(MemIniFile, AcceptsCommentsBlankLinesSpacesAndAnyCase) {
    const TMemIniFile ini(
        {"; product", "", "  [system]  ", "   ", "Name = Demo Tool ", "\tVersion=\t1.2", "; Name=Other"});
    EXPECT_EQ(ini.ReadString("SYSTEM", "Name", "?"), "Demo Tool");
    EXPECT_EQ(ini.ReadString("System", "NAME", "?"), "Demo Tool");
    EXPECT_EQ(ini.ReadString("SYSTEM", "Version", "?"), "1.2");
    EXPECT_TRUE(ini.SectionExists("SYSTEM"));
}

TEST(MemIniFile, AbsentSectionsAndKeysGiveTheDefault) {
    const TMemIniFile ini({"[SYSTEM]", "Name=Demo"});
    EXPECT_EQ(ini.ReadString("SYSTEM", "Copyright", ""), "");
    EXPECT_EQ(ini.ReadString("OTHER", "Name", "fallback"), "fallback");
    EXPECT_FALSE(ini.ValueExists("SYSTEM", "Copyright"));
    EXPECT_FALSE(ini.SectionExists("OTHER"));
}

TEST(MemIniFile, SplitsAtTheFirstEqualsSign) {
    const TMemIniFile ini({"[SYSTEM]", "HelpHomePageLink=https://example.org/?a=1&b=2", "Empty=", "=orphan"});
    EXPECT_EQ(ini.ReadString("SYSTEM", "HelpHomePageLink", ""), "https://example.org/?a=1&b=2");
    EXPECT_TRUE(ini.ValueExists("SYSTEM", "Empty"));
    EXPECT_EQ(ini.ReadString("SYSTEM", "Empty", "?"), "");
}

TEST(MemIniFile, IgnoresLinesOutsideSectionsAndWithoutValue) {
    const TMemIniFile ini({"Name=Outside", "[SYSTEM]", "just text", "[broken", "Version=2"});
    EXPECT_EQ(ini.ReadString("SYSTEM", "Name", "none"), "none");
    EXPECT_EQ(ini.ReadString("SYSTEM", "Version", ""), "2");
    EXPECT_FALSE(ini.ValueExists("SYSTEM", "just text"));
}

TEST(MemIniFile, FirstKeyWinsAndRepeatedSectionsMerge) {
    const TMemIniFile ini({"[SYSTEM]", "Name=First", "Name=Second", "[OTHER]", "x=1", "[system]", "Version=3"});
    EXPECT_EQ(ini.ReadString("SYSTEM", "Name", ""), "First");
    EXPECT_EQ(ini.ReadString("SYSTEM", "Version", ""), "3");
    EXPECT_EQ(ini.ReadString("OTHER", "x", ""), "1");
}

TEST(ParseIniInteger, ReadsDecimalAndHexadecimal) {
    EXPECT_EQ(ParseIniInteger("640"), 640);
    EXPECT_EQ(ParseIniInteger(" -50 "), -50);
    EXPECT_EQ(ParseIniInteger("+7"), 7);
    EXPECT_EQ(ParseIniInteger("0x1F"), 31);
    EXPECT_EQ(ParseIniInteger("0XfF"), 255);
    EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseIniInteger("2147483647"), INT32_MAX);
}

TEST(ParseIniInteger, RejectsWhatIsNoWholeInteger) {
    for (const char* text : {"", "  ", "abc", "12px", "1 2", "0x", "0xG1", "-", "1.5", "2147483648", "-2147483649",
                             "99999999999999999999", "0x100000000"})
        EXPECT_FALSE(ParseIniInteger(text).has_value()) << text;
}

} // namespace
} // namespace sj
