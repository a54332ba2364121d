#include "skin/data/acMemIni.h"

#include "platform/Exception.h"
#include "skin/data/acGradData.h"

#include <gtest/gtest.h>

#include <clocale>

namespace sj {
namespace {

TEST(SkinDescription, GrammarTrimsCommentsAndSplitsAtTheFirstEquals) {
    const TacMemIni ini("; comment\r\n"
                        "orphan=1\r\n"
                        "  [EDIT]  \r\n"
                        "  COLOR = 14477287  \r\n"
                        "; COLOR=1\n"
                        "no entry here\n"
                        "FORMULA=a=b\n"
                        "COLOR=5\n"
                        "[edit]\n"
                        "COLOR=7\n"
                        "[EDIT]\n"
                        "EXTRA=yes");
    ASSERT_EQ(ini.Sections().size(), 2u);
    EXPECT_EQ(ini.Sections()[0].Name, "EDIT");
    EXPECT_EQ(ini.ReadString("EDIT", "COLOR", ""), "14477287"); // the first entry wins
    EXPECT_EQ(ini.ReadString("EDIT", "FORMULA", ""), "a=b");
    EXPECT_EQ(ini.ReadString("EDIT", "EXTRA", ""), "yes"); // a repeated header continues the section
    EXPECT_EQ(ini.ReadString("edit", "COLOR", ""), "7");   // names are case-sensitive
    EXPECT_EQ(ini.ReadString("EDIT", "color", "none"), "none");
    EXPECT_FALSE(ini.ValueExists("EDIT", "orphan"));
    EXPECT_EQ(ini.Sections()[0].Entries.size(), 3u);
}

TEST(SkinDescription, AnyLineBreakEndsAnEntry) {
    // Descriptions saved with old Mac line breaks, and a text padded with NULs by its container.
    std::string text = "[BUTTON]\rCOLOR=1\rSTATES=2\r\n[EDIT]\nCOLOR=3";
    text.append(2, '\0');
    const TacMemIni ini(text);
    EXPECT_EQ(ini.ReadString("BUTTON", "COLOR", ""), "1");
    EXPECT_EQ(ini.ReadInteger("BUTTON", "STATES", 0), 2);
    EXPECT_EQ(ini.ReadInteger("EDIT", "COLOR", 0), 3);

    TacMemIni lines;
    lines.SetLines({"entry=before", "[A]", " K = V ", "[B]"});
    ASSERT_EQ(lines.Sections().size(), 2u);
    EXPECT_EQ(lines.ReadString("A", "K", ""), "V");
    EXPECT_TRUE(lines.Sections()[1].Entries.empty());
}

TEST(SkinDescription, IntegerForms) {
    EXPECT_EQ(ParseInteger("14477287"), 14477287);
    EXPECT_EQ(ParseInteger("-1"), -1);
    EXPECT_EQ(ParseInteger("$FF"), 255);
    EXPECT_EQ(ParseInteger("0x1f"), 31);
    EXPECT_EQ(ParseInteger("$FF00000F"), static_cast<std::int32_t>(0xFF00000F)); // system colour code
    EXPECT_EQ(ParseInteger("-16777201"), static_cast<std::int32_t>(0xFF00000F));
    EXPECT_FALSE(ParseInteger(""));
    EXPECT_FALSE(ParseInteger("12a"));
    EXPECT_FALSE(ParseInteger("1.5"));
    EXPECT_FALSE(ParseInteger("99999999999"));
    EXPECT_FALSE(ParseInteger("$123456789"));

    const TacMemIni ini("[S]\nA=12\nB=oops\n");
    EXPECT_EQ(ini.ReadInteger("S", "A", -1), 12);
    EXPECT_EQ(ini.ReadInteger("S", "B", -1), -1);
    EXPECT_EQ(ini.ReadInteger("S", "C", 7), 7);
}

TEST(SkinDescription, StrictDecimalNamesTheBadText) {
    EXPECT_EQ(StrictDecimal("0042"), 42);
    EXPECT_EQ(StrictDecimal("-3"), -3);
    try {
        StrictDecimal("$10");
        FAIL() << "hex accepted by the strict reader";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "'$10' is not a valid integer value");
    }
    EXPECT_THROW(StrictDecimal(""), Exception);
    EXPECT_THROW(StrictDecimal("1 "), Exception);
}

TEST(SkinDescription, RealsUseTheDotWhateverTheLocale) {
    // Under a locale with a decimal comma, "8.00" must still read as 8.
    const bool commaLocale = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr ||
                             std::setlocale(LC_NUMERIC, "German_Germany.1252") != nullptr;
    const TacMemIni ini("[GLOBALINFO]\nVERSION=8.00\nOTHER=7,5\nBAD=inf\n");
    EXPECT_EQ(ini.ReadFloat("GLOBALINFO", "VERSION", 0), 8.0);
    EXPECT_EQ(ini.ReadFloat("GLOBALINFO", "OTHER", 0), 0.0);
    EXPECT_EQ(ini.ReadFloat("GLOBALINFO", "BAD", 0), 0.0);
    EXPECT_EQ(ParseReal("7.45"), 7.45);
    EXPECT_EQ(ParseReal("-.5"), -0.5);
    std::setlocale(LC_NUMERIC, "C");
    if (!commaLocale) {
        GTEST_LOG_(INFO) << "no decimal-comma locale installed; checked under the C locale only";
    }
}

TEST(SkinDescription, FlagsAreOneOrTrueInAnyCase) {
    EXPECT_TRUE(ParseFlag("1"));
    EXPECT_TRUE(ParseFlag("TRUE"));
    EXPECT_TRUE(ParseFlag("true"));
    EXPECT_FALSE(ParseFlag("yes"));
    EXPECT_FALSE(ParseFlag("2"));
    EXPECT_FALSE(ParseFlag(""));
}

TEST(GradientData, ParsesStepsOfFiveNumbers) {
    const TsGradArray steps = ParseGradientData("16777215;14477287;97;0;0;14477287;14477287;0;0;0");
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0], (TsGradPie{16777215, 14477287, 97, 0}));
    EXPECT_EQ(steps[1], (TsGradPie{14477287, 14477287, 0, 0}));

    const TsGradArray clamped = ParseGradientData("-5;7;150;1;x;1;2;3");
    ASSERT_EQ(clamped.size(), 1u); // the unread fifth field and the short remainder are ignored
    EXPECT_EQ(clamped[0], (TsGradPie{0, 7, 100, 1}));

    EXPECT_TRUE(ParseGradientData("N/A").empty());
    EXPECT_TRUE(ParseGradientData(" ").empty());
    EXPECT_TRUE(ParseGradientData("").empty());
}

TEST(GradientData, NonNumbersFailTheConversion) {
    try {
        ParseGradientData("1;2;abc;0;0");
        FAIL() << "malformed gradient accepted";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
}

} // namespace
} // namespace sj
