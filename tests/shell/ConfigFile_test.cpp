#include "shell/ConfigFile.h"

#include "platform/Exception.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace sj {
namespace {

class ConfigFileTest : public testing::Test {
protected:
    // A folder of the test's own: ctest runs tests in parallel processes, where a name
    // made from an address can repeat and one test would delete another's file.
    test::TTempDir FDir;
    std::string FPath = FDir / "lamecore.dll";

    void WriteRaw(const std::string& bytes) {
        std::ofstream out(FPath, std::ios::binary);
        out << bytes;
    }
    void WriteEncoded(const std::string& text) { WriteRaw(EncodeConfigText(text)); }

};

TEST(DecodeConfigLine, ComplementsEveryByteAndIsItsOwnInverse) {
    EXPECT_EQ(DecodeConfigLine(std::string{'\xA4', '\xAC', '\xAC', '\xAC', '\xAD', '\xA2'}), "[SSSR]");
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string decoded = DecodeConfigLine(all);
    ASSERT_EQ(decoded.size(), all.size());
    EXPECT_EQ(static_cast<unsigned char>(decoded[0]), 0xFF);
    EXPECT_EQ(DecodeConfigLine(decoded), all);
}

TEST(EncodeConfigText, KeepsLineBreaksAndComplementsTheRest) {
    const std::string stored = EncodeConfigText("[A]\r\nb=1\nc\r");
    EXPECT_EQ(stored, (std::string{'\xA4', '\xBE', '\xA2', '\r', '\n', '\x9D', '\xC2', '\xCE', '\n', '\x9C', '\r'}));
    EXPECT_EQ(DecodeConfigText(stored), "[A]\r\nb=1\nc\r");
}

TEST(EncodeConfigText, RefusesCharactersTheFileCannotHold) {
    for (const char c : {'\xF2', '\xF5', '\xFF'})
        EXPECT_THROW(EncodeConfigText(std::string("Name=x") + c), Exception);
}

TEST(SplitLines, BreaksAtEveryKindOfLineEnd) {
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\n\r"), (std::vector<std::string>{"", ""}));
    EXPECT_TRUE(SplitLines("").empty());
}

TEST_F(ConfigFileTest, TitleOnlyConfigurationLeavesTheOtherStringsEmpty) {
    WriteEncoded("[SYSTEM]\r\nName=Demo\r\n");
    EXPECT_EQ(ReadApplicationTitle(FPath), "Demo");
    TGlobalVars vars;
    vars.Version = "stale";
    vars.HomePageLink = "stale";
    LoadProductStrings(FPath, vars);
    EXPECT_EQ(vars.Version, "");
    EXPECT_EQ(vars.RightsHolder, "");
    EXPECT_EQ(vars.HomePageLink, "");
    EXPECT_EQ(vars.SupportLink, "");
}

TEST_F(ConfigFileTest, FillsEveryProductStringFromItsKey) {
    WriteEncoded("; comment\n[system]\nName=Demo\nVersion = 1.2\nCopyright=Someone\nHelpContectLink=c\n"
                 "HelpHowTosTutorialVideosLink=h\nHelpHomePageLink=home\nHelpMoreFreeToolsLink=m\n"
                 "HelpCheckForUpdatesLink=u\nHelpSupportLink=s\n");
    TGlobalVars vars;
    LoadProductStrings(FPath, vars);
    EXPECT_EQ(vars.Version, "1.2");
    EXPECT_EQ(vars.RightsHolder, "Someone");
    EXPECT_EQ(vars.HelpContentLink, "c");
    EXPECT_EQ(vars.HowToLink, "h");
    EXPECT_EQ(vars.HomePageLink, "home");
    EXPECT_EQ(vars.MoreFreeToolsLink, "m");
    EXPECT_EQ(vars.CheckForUpdatesLink, "u");
    EXPECT_EQ(vars.SupportLink, "s");
    EXPECT_EQ(vars.DataDir, "");
}

TEST_F(ConfigFileTest, PlainTextFileReadsAsEmptyWithoutError) {
    WriteRaw("[SYSTEM]\r\nName=Demo\r\n");
    EXPECT_EQ(ReadApplicationTitle(FPath), "");
    EXPECT_FALSE(ReadConfigFile(FPath).SectionExists("SYSTEM"));
}

TEST_F(ConfigFileTest, MissingFileIsAFileError) {
    try {
        ReadApplicationTitle(FPath + ".missing");
        FAIL() << "no error";
    } catch (const EFileError& error) {
        EXPECT_NE(std::string(error.what()).find(FPath + ".missing"), std::string::npos) << error.what();
    }
}

} // namespace
} // namespace sj
