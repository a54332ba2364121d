#include "platform/IniText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sj {
namespace {

using TLines = std::vector<std::string_view>;

// Writes what the reader reports as "[name]" and "key=value" lines.
class TRecorder final : public TIniTextHandler {
public:
    void OnSection(std::string_view name) override { Seen.push_back("[" + std::string(name) + "]"); }
    void OnEntry(std::string_view key, std::string_view value) override {
        Seen.push_back(std::string(key) + "=" + std::string(value));
    }
    std::vector<std::string> Seen;
};

std::vector<std::string> Recorded(std::string_view text) {
    TRecorder recorder;
    ReadIniText(text, recorder);
    return recorder.Seen;
}

TEST(IniText, SplitsAtEveryKindOfLineBreak) {
    EXPECT_EQ(SplitIniLines("a\r\nb\nc\rd"), (TLines{"a", "b", "c", "d"}));
    // CR CR LF is a lone CR followed by CR LF: one empty line between.
    EXPECT_EQ(SplitIniLines("a\r\r\nb"), (TLines{"a", "", "b"}));
    EXPECT_EQ(SplitIniLines("a\n\nb\r\n\r\n"), (TLines{"a", "", "b", ""}));
    EXPECT_EQ(SplitIniLines("last line\r\n"), (TLines{"last line"}));
    EXPECT_EQ(SplitIniLines("\n"), (TLines{""}));
    EXPECT_TRUE(SplitIniLines("").empty());
}

TEST(IniText, TrimsControlBytesAndSpacesButNotHighBytes) {
    EXPECT_EQ(TrimIniBlanks(" \t\v\f x y \r\n"), "x y");
    EXPECT_EQ(TrimIniBlanks(std::string_view("\0value\0\0", 8)), "value");
    // 0xA0 and 0xE9 are letters of the ANSI code page, not blanks, however char is signed.
    EXPECT_EQ(TrimIniBlanks("\xA0nbsp\xE9"), "\xA0nbsp\xE9");
    EXPECT_EQ(TrimIniBlanks("   "), "");
}

TEST(IniText, ClassifiesEachLineOnItsOwn) {
    using K = TIniLine::TKind;
    for (const char* nothing : {"", "   ", "; comment", "  ;[SECTION]", ";key=value", "no equals", "[broken", "x]"})
        EXPECT_EQ(ParseIniLine(nothing).Kind, K::Nothing) << nothing;

    const TIniLine section = ParseIniLine("\t[  Main Window ]  ");
    EXPECT_EQ(section.Kind, K::Section);
    EXPECT_EQ(section.Name, "Main Window");
    EXPECT_EQ(ParseIniLine("[]").Kind, K::Section);
    EXPECT_EQ(ParseIniLine("[]").Name, "");
    // The brackets decide before the "=": this is a section, and "[a]=b" is an entry.
    EXPECT_EQ(ParseIniLine("[a=b]").Name, "a=b");
    EXPECT_EQ(ParseIniLine("[a]=b").Kind, K::Entry);

    const TIniLine entry = ParseIniLine("  Link = https://x.org/?a=1&b=2  ");
    EXPECT_EQ(entry.Kind, K::Entry);
    EXPECT_EQ(entry.Name, "Link");
    EXPECT_EQ(entry.Value, "https://x.org/?a=1&b=2");
    const TIniLine empties = ParseIniLine(" = ");
    EXPECT_EQ(empties.Kind, K::Entry);
    EXPECT_EQ(empties.Name, "");
    EXPECT_EQ(empties.Value, "");
    EXPECT_EQ(ParseIniLine("key=;not a comment").Value, ";not a comment");
}

TEST(IniText, ReportsSectionsAndEntriesInFileOrder) {
    EXPECT_EQ(Recorded("orphan=1\r\n; c\r\n[A]\r\nx = 1\rjunk\n[B]\n\n[A]\ny=2"),
              (std::vector<std::string>{"[A]", "x=1", "[B]", "[A]", "y=2"}));
    EXPECT_TRUE(Recorded("k=v\nother=w\n").empty());
    EXPECT_TRUE(Recorded("").empty());
}

TEST(IniText, LinesAndTextReadAlike) {
    const std::string text = "before=1\n[S]\n  k = v \n; no\n[T]\nz=";
    TRecorder fromLines;
    ReadIniLines({"before=1", "[S]", "  k = v ", "; no", "[T]", "z="}, fromLines);
    EXPECT_EQ(fromLines.Seen, Recorded(text));
    EXPECT_EQ(fromLines.Seen, (std::vector<std::string>{"[S]", "k=v", "[T]", "z="}));
}

} // namespace
} // namespace sj
