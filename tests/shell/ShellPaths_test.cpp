#include "shell/ShellPaths.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace sj {
namespace {

// Pairs of a path given and the result expected for it.
using TExamples = std::initializer_list<std::pair<std::string_view, std::string_view>>;

void ExpectEach(std::string (*function)(std::string_view), TExamples examples) {
    for (const auto& [path, expected] : examples) {
        EXPECT_EQ(function(path), expected) << "for \"" << path << '"';
    }
}

TEST(AddBackslash, AppendsOnlyWhenMissing) {
    ExpectEach(AddBackslash, {{"C:\\Data", "C:\\Data\\"}, {"C:\\Data\\", "C:\\Data\\"}, {"C:", "C:\\"}, {"\\", "\\"}});
}

TEST(AddBackslash, EmptyPathStaysEmptyInsteadOfNamingTheRoot) {
    EXPECT_EQ(AddBackslash(""), "");
    EXPECT_EQ(AddBackslash("") + "report_split.doc", "report_split.doc");
}

TEST(FileNameWithoutExt, TakesTheNameAfterTheLastFolderOrDrive) {
    ExpectEach(FileNameWithoutExt, {{"C:\\Data\\report.doc", "report"},
                                    {"archive.tar.gz", "archive.tar"},
                                    {"C:report.doc", "report"},
                                    {"C:\\Data\\README", "README"}});
}

TEST(FileNameWithoutExt, DotsOutsideTheNameAreNoExtension) {
    ExpectEach(FileNameWithoutExt, {{"C:\\a.b\\c", "c"}, {".bashrc", ""}, {"C:\\Data\\", ""}, {"name.", "name"}});
}

TEST(WindowsFolderOf, KeepsTheTrailingDelimiter) {
    ExpectEach(WindowsFolderOf, {{"C:\\Program Files\\SplitJoin\\SplitJoin.exe", "C:\\Program Files\\SplitJoin\\"},
                                 {"C:SplitJoin.exe", "C:"},
                                 {"SplitJoin.exe", ""}});
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
