#include "platform/FileSystem.h"

#include "platform/Exception.h"
#include "platform/PathUtils.h"
#include "platform/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace sj {
namespace {

using namespace test;
using ::testing::ElementsAre;
using ::testing::StartsWith;

std::vector<std::string> SortedNames(const std::vector<TDirEntry>& entries) {
    std::vector<std::string> names;
    for (const TDirEntry& entry : entries) {
        names.push_back(entry.Name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileSystem, ExistenceTellsFilesFromFolders) {
    TTempDir dir;
    WriteFile(dir / "a.bin", "x");
    EXPECT_TRUE(FileExists(dir / "a.bin"));
    EXPECT_FALSE(FileExists(dir / "b.bin"));
    EXPECT_FALSE(FileExists(dir.Folder()));
    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(DirectoryExists(dir.Folder()));
    EXPECT_FALSE(DirectoryExists(dir / "a.bin"));

    EXPECT_TRUE(RemoveFile(dir / "a.bin"));
    EXPECT_FALSE(FileExists(dir / "a.bin"));
    EXPECT_FALSE(RemoveFile(dir / "a.bin"));
}

TEST(FileSystem, RenameReplacesTheTarget) {
    TTempDir dir;
    WriteFile(dir / "new.tmp", "new");
    WriteFile(dir / "target.bin", "old");
    RenameFileReplacing(dir / "new.tmp", dir / "target.bin");
    EXPECT_EQ(ReadFile(dir / "target.bin"), "new");
    EXPECT_FALSE(FileExists(dir / "new.tmp"));

    std::string target = dir / "none" + std::string(1, PathDelimiter) + "x.bin";
    try {
        RenameFileReplacing(dir / "target.bin", target);
        FAIL() << "rename into a missing folder succeeded";
    } catch (const EFileError& error) {
        EXPECT_THAT(error.what(), StartsWith("Cannot create file \"" + target + "\". "));
    }
    EXPECT_EQ(ReadFile(dir / "target.bin"), "new");
}

TEST(FileSystem, ListsEntriesMatchingThePattern) {
    TTempDir dir;
    for (const char* name : {"rep_split001.doc", "rep_split002.doc", "rep_split.doc", "rep_split003.docx",
                             "other001.doc", "rep_split9.txt"}) {
        WriteFile(dir / name, "x");
    }
    std::filesystem::create_directory(dir / "rep_split004.doc");
    auto entries = ListDirectory(dir.Folder(), "rep_split*.doc");
    // ".docx" must not slip in, whatever short-name aliases the file system keeps.
    EXPECT_THAT(SortedNames(entries),
                ElementsAre("rep_split.doc", "rep_split001.doc", "rep_split002.doc", "rep_split004.doc"));
    auto folder = std::find_if(entries.begin(), entries.end(), [](auto& e) { return e.Name == "rep_split004.doc"; });
    ASSERT_NE(folder, entries.end());
    EXPECT_TRUE(folder->IsDirectory);
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(), [](auto& e) { return e.IsDirectory; }), 1);

    EXPECT_TRUE(ListDirectory(dir / "missing", "*").empty());
    EXPECT_EQ(ListDirectory(dir.Folder(), "*").size(), 7u) << "\".\" and \"..\" are not entries";
}

TEST(FileSystem, ListingCaseFollowsThePlatform) {
    TTempDir dir;
    WriteFile(dir / "Part001.BIN", "x");
#ifdef _WIN32
    EXPECT_EQ(ListDirectory(dir.Folder(), "part*.bin").size(), 1u);
#else
    EXPECT_TRUE(ListDirectory(dir.Folder(), "part*.bin").empty());
#endif
}

TEST(FileSystem, NameOrderIgnoresCase) {
    EXPECT_EQ(CompareFileNames("PART001.bin", "part001.BIN"), 0);
    EXPECT_LT(CompareFileNames("part001.bin", "PART002.bin"), 0);
    EXPECT_GT(CompareFileNames("part010.bin", "Part009.bin"), 0);
}

TEST(FileSystem, SameFileByIdentityNotBySpelling) {
    TTempDir dir;
    WriteFile(dir / "a.bin", "x");
    WriteFile(dir / "b.bin", "x");
    std::string respelled = dir.Folder() + "." + std::string(1, PathDelimiter) + "a.bin";
    EXPECT_TRUE(IsSameFile(dir / "a.bin", respelled));
#ifdef _WIN32
    EXPECT_TRUE(IsSameFile(dir / "a.bin", dir / "A.BIN"));
#endif
    EXPECT_FALSE(IsSameFile(dir / "a.bin", dir / "b.bin"));
    EXPECT_FALSE(IsSameFile(dir / "a.bin", dir / "missing.bin"));
}

TEST(FileSystem, SystemErrorTextIsOneLine) {
    std::string text = SystemErrorText(2); // "file not found" on both platforms
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

} // namespace
} // namespace sj
