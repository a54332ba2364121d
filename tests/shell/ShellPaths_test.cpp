#include "shell/ShellPaths.h"

#include <gtest/gtest.h>

namespace sj {
namespace {

TEST(AddBackslash, AppendsOnlyWhenMissing) {
    EXPECT_EQ(AddBackslash("C:\\Data"), "C:\\Data\\");
    EXPECT_EQ(AddBackslash("C:\\Data\\"), "C:\\Data\\");
    EXPECT_EQ(AddBackslash("C:"), "C:\\");
    EXPECT_EQ(AddBackslash("\\"), "\\");
}

TEST(AddBackslash, EmptyPathStaysEmptyInsteadOfNamingTheRoot) {
    EXPECT_EQ(AddBackslash(""), "");
    EXPECT_EQ(AddBackslash("") + "report_split.doc", "report_split.doc");
}

TEST(FileNameWithoutExt, TakesTheNameAfterTheLastFolderOrDrive) {
    EXPECT_EQ(FileNameWithoutExt("C:\\Data\\report.doc"), "report");
    EXPECT_EQ(FileNameWithoutExt("archive.tar.gz"), "archive.tar");
    EXPECT_EQ(FileNameWithoutExt("C:report.doc"), "report");
    EXPECT_EQ(FileNameWithoutExt("C:\\Data\\README"), "README");
}

TEST(FileNameWithoutExt, DotsOutsideTheNameAreNoExtension) {
    EXPECT_EQ(FileNameWithoutExt("C:\\a.b\\c"), "c");
    EXPECT_EQ(FileNameWithoutExt(".bashrc"), "");
    EXPECT_EQ(FileNameWithoutExt("C:\\Data\\"), "");
    EXPECT_EQ(FileNameWithoutExt("name."), "name");
}

TEST(WindowsFolderOf, KeepsTheTrailingDelimiter) {
    EXPECT_EQ(WindowsFolderOf("C:\\Program Files\\SplitJoin\\SplitJoin.exe"), "C:\\Program Files\\SplitJoin\\");
    EXPECT_EQ(WindowsFolderOf("C:SplitJoin.exe"), "C:");
    EXPECT_EQ(WindowsFolderOf("SplitJoin.exe"), "");
}

TEST(ConfigFileNameIn, SitsBesideTheExecutable) {
    EXPECT_EQ(ConfigFileNameIn("C:\\Tools\\SplitJoin.exe"), "C:\\Tools\\lamecore.dll");
}

TEST(DataFolderFor, NamesTheFolderAfterTheTitle) {
    EXPECT_EQ(DataFolderFor("C:\\Users\\me\\AppData", "A/B Tool"), "C:\\Users\\me\\AppData\\A B Tool\\");
    EXPECT_EQ(DataFolderFor("C:\\Users\\me\\AppData\\", "SplitJoin"), "C:\\Users\\me\\AppData\\SplitJoin\\");
    EXPECT_EQ(DataFolderFor("C:\\Users\\me\\AppData", "//"), "C:\\Users\\me\\AppData\\  \\");
}

TEST(DataFolderFor, EmptyTitleGivesTheApplicationDataFolder) {
    EXPECT_EQ(DataFolderFor("C:\\Users\\me\\AppData", ""), "C:\\Users\\me\\AppData\\");
}

} // namespace
} // namespace sj
