#include "engine/FileSplitter.h"

#include "EngineTestHelpers.h"
#include "platform/FileSystem.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace sj {
namespace {

using namespace sj::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string JoinFrom(const std::string& part, const std::string& destFolder) {
    TFileJointer jointer;
    jointer.SetPartFile(part);
    jointer.DestFolder = destFolder;
    return jointer.Join();
}

size_t CountFiles(const std::string& folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(FileJointer, AnyPartRebuildsTheFile) {
    TTempDir dir;
    std::string content = SplitNew(dir, "report.doc", 5000, 1024);
    std::filesystem::create_directory(dir / "out");
    for (const char* picked : {"report_split001.doc", "report_split003.doc", "report_split006.doc"}) {
        SCOPED_TRACE(picked);
        std::string output = JoinFrom(dir / picked, dir / "out");
        EXPECT_EQ(output, IncludeTrailingPathDelimiter(dir / "out") + "report.doc");
        EXPECT_EQ(ReadFile(output), content);
    }
    EXPECT_EQ(CountFiles(dir / "out"), 1u) << "no temporary file is left behind";
}

TEST(FileJointer, DestinationFolderSpellings) {
    TTempDir dir;
    std::string content = SplitNew(dir, "a.bin", 2000, 1024);
    std::filesystem::create_directory(dir / "out");
    std::string expected = IncludeTrailingPathDelimiter(dir / "out") + "a.bin";
    EXPECT_EQ(JoinFrom(dir / "a_split001.bin", dir / "out"), expected);
    EXPECT_EQ(JoinFrom(dir / "a_split001.bin", IncludeTrailingPathDelimiter(dir / "out")), expected);
    RemoveFile(dir / "a.bin");
    EXPECT_EQ(JoinFrom(dir / "a_split002.bin", ""), dir / "a.bin") << "empty means the part's folder";
    EXPECT_EQ(ReadFile(dir / "a.bin"), content);
}

TEST(FileJointer, NameComesFromTheFirstPartTrimmed) {
    TTempDir dir;
    WriteRawPart(dir / "x_split001.dat", PartKindFirst, 149, 3, "abc", "  stored name.txt \t", 5);
    WriteRawPart(dir / "x_split002.dat", PartKindLast, 17, 2, "de");
    EXPECT_EQ(JoinFrom(dir / "x_split002.dat", ""), dir / "stored name.txt");
    EXPECT_EQ(ReadFile(dir / "stored name.txt"), "abcde");
}

TEST(FileJointer, FirstPartAloneJoinsToItsPayload) {
    TTempDir dir;
    std::string content = SplitNew(dir, "one.bin", 875, 1024);
    RemoveFile(dir / "one.bin");
    JoinFrom(dir / "one_split001.bin", "");
    EXPECT_EQ(ReadFile(dir / "one.bin"), content);
}

TEST(FileJointer, EntriesThatAreNotPartsAreLeftOut) {
    TTempDir dir;
    std::string content = SplitNew(dir, "r.doc", 2500, 1024);
    WriteFile(dir / "r_split_old.doc", "SPLITTED and more than seventeen bytes");
    WriteFile(dir / "r_split004.doc", "not a part at all, but long enough");
    std::filesystem::create_directory(dir / "r_split005.doc");
    TFileJointer jointer;
    jointer.SetPartFile(dir / "r_split002.doc");
    EXPECT_THAT(jointer.Parts, ElementsAre("r_split001.doc", "r_split002.doc", "r_split003.doc"));
    std::filesystem::create_directory(dir / "out");
    jointer.DestFolder = dir / "out";
    EXPECT_EQ(ReadFile(jointer.Join()), content);
}

TEST(FileJointer, PickedFileMustCarryTheMagic) {
    TTempDir dir;
    WriteFile(dir / "short001.bin", "SPLITTED12345678");         // 16 bytes
    WriteFile(dir / "lower001.bin", "splitted and a long tail"); // case matters
    WriteFile(dir / "odd001.bin", "SPLITTED\x07garbage-header"); // only the magic is tested here
    TFileJointer jointer;
    EXPECT_EQ(ErrorOf([&] { jointer.SetPartFile(dir / "short001.bin"); }), "This file is not our split file");
    EXPECT_EQ(ErrorOf([&] { jointer.SetPartFile(dir / "lower001.bin"); }), "This file is not our split file");
    EXPECT_EQ(ErrorOf([&] { jointer.SetPartFile(dir / "odd001.bin"); }), "(no error)");
    EXPECT_EQ(ErrorOf([&] { jointer.SetPartFile(dir / "none001.bin"); }),
              "File \"" + (dir / "none001.bin") + "\" does not exist");

    WriteFile(dir / "123.bin", "SPLITTED and more than seventeen bytes");
    EXPECT_EQ(ErrorOf([&] { jointer.SetPartFile(dir / "123.bin"); }), "Sorry, can not extract info from file names");
}

TEST(FileJointer, OrdersThousandsOfPartsByNumber) {
    TTempDir dir;
    const size_t size = 875 + 1002 * 1007 + 10; // parts 1 to 1004
    std::string content = SplitNew(dir, "many.bin", size, 1024);
    ASSERT_TRUE(FileExists(dir / "many_split1004.bin"));
    TFileJointer jointer;
    jointer.SetPartFile(dir / "many_split1000.bin");
    ASSERT_EQ(jointer.Parts.size(), 1004u);
    EXPECT_EQ(jointer.Parts[998], "many_split999.bin");
    EXPECT_EQ(jointer.Parts[999], "many_split1000.bin");
    RemoveFile(dir / "many.bin");
    jointer.Join();
    EXPECT_EQ(ReadFile(dir / "many.bin"), content);
}

// Each broken series is refused before anything is written, naming the file.
class BrokenSeries : public ::testing::Test {
protected:
    void SetUp() override {
        content_ = SplitNew(dir_, "s.bin", 3000, 1024);
        RemoveFile(dir_ / "s.bin");
    }
    void ExpectRefused(const std::string& picked, const std::string& messagePart) {
        EXPECT_THAT(ErrorOf([&] { JoinFrom(dir_ / picked, ""); }), HasSubstr(messagePart));
        EXPECT_FALSE(FileExists(dir_ / "s.bin"));
        for (const auto& entry : std::filesystem::directory_iterator(dir_.Folder())) {
            EXPECT_THAT(entry.path().filename().string(), StartsWith("s_split")) << "stray file";
        }
    }
    TTempDir dir_;
    std::string content_;
};

TEST_F(BrokenSeries, TruncatedPart) {
    std::filesystem::resize_file(dir_ / "s_split002.bin", 500);
    ExpectRefused("s_split001.bin", "\"s_split002.bin\" is damaged");
}

TEST_F(BrokenSeries, MissingMiddlePart) {
    RemoveFile(dir_ / "s_split003.bin");
    ExpectRefused("s_split001.bin", "missing between \"s_split002.bin\" and \"s_split004.bin\"");
}

TEST_F(BrokenSeries, MissingFirstPart) {
    RemoveFile(dir_ / "s_split001.bin");
    ExpectRefused("s_split002.bin", "\"s_split002.bin\" is not the first part");
}

TEST_F(BrokenSeries, MissingLastPart) {
    RemoveFile(dir_ / "s_split004.bin");
    ExpectRefused("s_split001.bin", "incomplete");
}

TEST_F(BrokenSeries, OnlyFirstPartOfALongerFile) {
    RemoveFile(dir_ / "s_split002.bin");
    RemoveFile(dir_ / "s_split003.bin");
    RemoveFile(dir_ / "s_split004.bin");
    ExpectRefused("s_split001.bin", "incomplete");
}

TEST_F(BrokenSeries, BadHeaderSize) {
    WriteRawPart(dir_ / "s_split003.bin", PartKindMiddle, 99, 1007 - 82, std::string(1007 - 82, 'x'));
    ExpectRefused("s_split001.bin", "\"s_split003.bin\" has a damaged header");
}

TEST_F(BrokenSeries, SameNumberTwice) {
    std::filesystem::copy_file(dir_ / "s_split002.bin", dir_ / "s_split02.bin");
    ExpectRefused("s_split001.bin", "same number");
}

TEST_F(BrokenSeries, UnsafeStoredName) {
    std::string part1 = ReadFile(dir_ / "s_split001.bin");
    part1.replace(17, 8, std::string("\x07../s.bi", 8));
    WriteFile(dir_ / "s_split001.bin", part1);
    ExpectRefused("s_split001.bin", "\"../s.bi\"");
}

TEST(FileJointer, FailedJoinLeavesAnExistingFileUntouched) {
    TTempDir dir;
    SplitNew(dir, "keep.bin", 3000, 1024);
    WriteFile(dir / "keep.bin", "the previous file");
    TFileJointer jointer;
    jointer.SetPartFile(dir / "keep_split001.bin");
    bool truncated = false;
    jointer.CancelRequested = [&] {
        if (!truncated) { // a later part shrinks after the series was checked
            std::filesystem::resize_file(dir / "keep_split003.bin", 100);
            truncated = true;
        }
        return false;
    };
    EXPECT_EQ(ErrorOf([&] { jointer.Join(); }), "Stream read error");
    EXPECT_EQ(ReadFile(dir / "keep.bin"), "the previous file");
    EXPECT_EQ(CountFiles(dir.Folder()), 5u) << "the temporary output was removed";
}

TEST(FileJointer, RefusesToReplaceItsOwnPart) {
    TTempDir dir;
    std::string part2 = RandomBytes(500, 3);
    WriteRawPart(dir / "p_split001.bin", PartKindFirst, 149, 10, "0123456789", "p_split002.bin", 510);
    WriteRawPart(dir / "p_split002.bin", PartKindLast, 17, 500, part2);
    std::string before = ReadFile(dir / "p_split002.bin");
    EXPECT_THAT(ErrorOf([&] { JoinFrom(dir / "p_split001.bin", ""); }), HasSubstr("would replace its own part"));
    EXPECT_EQ(ReadFile(dir / "p_split002.bin"), before);
}

TEST(FileJointer, UncreatableOutputNamesTheFile) {
    TTempDir dir;
    SplitNew(dir, "a.bin", 2000, 1024);
    std::string folder = dir / "missing";
    std::string message = ErrorOf([&] { JoinFrom(dir / "a_split001.bin", folder); });
    EXPECT_THAT(message, StartsWith("Cannot create file \"" + IncludeTrailingPathDelimiter(folder) + "a.bin\". "));
}

} // namespace
} // namespace sj
