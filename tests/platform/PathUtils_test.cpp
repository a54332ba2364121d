#include "platform/PathUtils.h"

#include <gtest/gtest.h>

namespace sj {
namespace {

const std::string D(1, PathDelimiter);

TEST(PathUtils, SplitsFolderNameAndExtension) {
    std::string path = "out" + D + "archive.tar.gz";
    EXPECT_EQ(ExtractFilePath(path), "out" + D);
    EXPECT_EQ(ExtractFileName(path), "archive.tar.gz");
    EXPECT_EQ(ExtractFileExt(path), ".gz");
    EXPECT_EQ(RemoveFileExt(path), "out" + D + "archive.tar");

    // A dot in a folder name is not an extension.
    std::string dotted = "dir.d" + D + "notes";
    EXPECT_EQ(ExtractFileExt(dotted), "");
    EXPECT_EQ(RemoveFileExt(dotted), dotted);

    EXPECT_EQ(ExtractFileExt(".profile"), ".profile");
    EXPECT_EQ(RemoveFileExt(".profile"), "");
    EXPECT_EQ(ExtractFilePath("bare.txt"), "");
    EXPECT_EQ(ExtractFileName("bare.txt"), "bare.txt");
}

#ifdef _WIN32
TEST(PathUtils, WindowsAcceptsBothSlashesAndDriveColon) {
    EXPECT_EQ(ExtractFileName("C:/data\\x.bin"), "x.bin");
    EXPECT_EQ(ExtractFileName("C:x.bin"), "x.bin");
    EXPECT_EQ(ExtractFilePath("C:\\data/x.bin"), "C:\\data/");
}
#endif

TEST(PathUtils, TrailingDelimiterIsAddedOnce) {
    EXPECT_EQ(IncludeTrailingPathDelimiter("out"), "out" + D);
    EXPECT_EQ(IncludeTrailingPathDelimiter("out" + D), "out" + D);
    // Empty is the current folder; turning it into the root would write elsewhere.
    EXPECT_EQ(IncludeTrailingPathDelimiter(""), "");
}

TEST(PathUtils, WildcardMatching) {
    EXPECT_TRUE(MatchesWildcard("report_split001.doc", "report_split*.doc", false));
    EXPECT_TRUE(MatchesWildcard("report_split.doc", "report_split*.doc", false));
    EXPECT_FALSE(MatchesWildcard("report_split001.docx", "report_split*.doc", false));
    EXPECT_FALSE(MatchesWildcard("xreport_split001.doc", "report_split*.doc", false));
    // The star must be able to swallow a later occurrence of what follows it.
    EXPECT_TRUE(MatchesWildcard("a.doc.doc", "a*.doc", false));
    EXPECT_TRUE(MatchesWildcard("abc", "a?c", false));
    EXPECT_FALSE(MatchesWildcard("ac", "a?c", false));
    EXPECT_TRUE(MatchesWildcard("anything", "*", false));
    EXPECT_TRUE(MatchesWildcard("", "*", false));
    EXPECT_FALSE(MatchesWildcard("", "?", false));
    EXPECT_FALSE(MatchesWildcard("REPORT001.DOC", "report*.doc", false));
    EXPECT_TRUE(MatchesWildcard("REPORT001.DOC", "report*.doc", true));
}

TEST(PathUtils, CaseInsensitiveCompareOrders) {
    EXPECT_EQ(CompareTextIgnoreCase("Part001", "part001"), 0);
    EXPECT_LT(CompareTextIgnoreCase("PART001", "part002"), 0);
    EXPECT_GT(CompareTextIgnoreCase("b", "A"), 0);
    EXPECT_LT(CompareTextIgnoreCase("ab", "abc"), 0);
}

} // namespace
} // namespace sj
