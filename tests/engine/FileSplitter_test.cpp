#include "engine/FileSplitter.h"

#include "EngineTestHelpers.h"
#include "platform/FileSystem.h"

#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace sj {
namespace {

using namespace sj::test;
using ::testing::ElementsAre;
using ::testing::StartsWith;

std::vector<std::string> FilesIn(const TTempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Folder())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileSplitter, SplitsIntoPartsOfTheFormat) {
    TTempDir dir;
    std::string content = SplitNew(dir, "report.doc", 3000, 1024);
    EXPECT_THAT(FilesIn(dir), ElementsAre("report.doc", "report_split001.doc", "report_split002.doc",
                                          "report_split003.doc", "report_split004.doc"));
    struct Expected {
        const char* name;
        size_t fileSize;
        uint8_t kind;
        int32_t payload;
    };
    std::string joined;
    for (Expected e : {Expected{"report_split001.doc", 1024, PartKindFirst, 875},
                       Expected{"report_split002.doc", 1024, PartKindMiddle, 1007},
                       Expected{"report_split003.doc", 1024, PartKindMiddle, 1007},
                       Expected{"report_split004.doc", 128, PartKindLast, 111}}) {
        SCOPED_TRACE(e.name);
        TPartHeader header = HeaderOf(dir / e.name);
        EXPECT_EQ(ReadFile(dir / e.name).size(), e.fileSize);
        EXPECT_EQ(header.Kind, e.kind);
        EXPECT_EQ(header.PayloadSize, e.payload);
        joined += PayloadOf(dir / e.name);
    }
    EXPECT_EQ(joined, content);
    TPartHeader first = HeaderOf(dir / "report_split001.doc");
    EXPECT_EQ(first.HeaderSize, 149);
    EXPECT_EQ(first.SourceName, "report.doc");
    EXPECT_EQ(first.SourceSize, 3000u);
}

TEST(FileSplitter, BoundariesAroundTheFirstPart) {
    {
        TTempDir dir; // exactly one part's payload: one part, kind 1
        std::string content = SplitNew(dir, "a.bin", 875, 1024);
        EXPECT_THAT(FilesIn(dir), ElementsAre("a.bin", "a_split001.bin"));
        EXPECT_EQ(ReadFile(dir / "a_split001.bin").size(), 1024u);
        EXPECT_EQ(HeaderOf(dir / "a_split001.bin").Kind, PartKindFirst);
        EXPECT_EQ(PayloadOf(dir / "a_split001.bin"), content);
    }
    {
        TTempDir dir; // one byte more: an 18-byte last part
        std::string content = SplitNew(dir, "a.bin", 876, 1024);
        EXPECT_EQ(ReadFile(dir / "a_split002.bin").size(), 18u);
        EXPECT_EQ(HeaderOf(dir / "a_split002.bin").Kind, PartKindLast);
        EXPECT_EQ(PayloadOf(dir / "a_split002.bin"), content.substr(875));
    }
}

TEST(FileSplitter, TooLittleDataLeavesNoPart) {
    for (size_t size : {size_t{874}, size_t{0}}) {
        TTempDir dir;
        WriteFile(dir / "a.bin", RandomBytes(size));
        TFileSplitter splitter = MakeSplitter(dir / "a.bin", "", 1024);
        EXPECT_EQ(ErrorOf([&] { splitter.Split(); }),
                  "Source file does not have enough data. There is no point to split it. Abort splitting");
        EXPECT_THAT(FilesIn(dir), ElementsAre("a.bin")) << size;
    }
}

TEST(FileSplitter, PartSizeOutsideTheFormatIsRefusedBeforeWriting) {
    TTempDir dir;
    WriteFile(dir / "a.bin", RandomBytes(5000));
    TFileSplitter small = MakeSplitter(dir / "a.bin", "", 1023);
    EXPECT_EQ(ErrorOf([&] { small.Split(); }), "Destination minimum size must be 1kB (1024Bytes");
    TFileSplitter huge = MakeSplitter(dir / "a.bin", "", PartSizeLimit);
    EXPECT_EQ(ErrorOf([&] { huge.Split(); }), "The part size must be less than 2 GB (2147483648 bytes)");
    EXPECT_THAT(FilesIn(dir), ElementsAre("a.bin"));
}

TEST(FileSplitter, MissingSourceMessages) {
    TTempDir dir;
    TFileSplitter splitter;
    EXPECT_EQ(ErrorOf([&] { splitter.SetSourceFile(dir / "none.bin"); }),
              "File \"" + (dir / "none.bin") + "\" does not exist");
    EXPECT_EQ(ErrorOf([&] { splitter.SetSourceFile(dir.Folder()); }), "File \"" + dir.Folder() + "\" does not exist");

    WriteFile(dir / "gone.bin", RandomBytes(2000));
    TFileSplitter late = MakeSplitter(dir / "gone.bin", "", 1024);
    RemoveFile(dir / "gone.bin");
    EXPECT_EQ(ErrorOf([&] { late.Split(); }), "Source file (" + (dir / "gone.bin") + ") does not exist");
}

TEST(FileSplitter, ExistingPartsAreReplaced) {
    TTempDir dir;
    WriteFile(dir / "a_split001.bin", RandomBytes(5000, 7));
    WriteFile(dir / "a_split002.bin", RandomBytes(5000, 8));
    std::string content = SplitNew(dir, "a.bin", 900, 1024);
    EXPECT_EQ(ReadFile(dir / "a_split001.bin").size(), 1024u);
    EXPECT_EQ(ReadFile(dir / "a_split002.bin").size(), 17u + 25u);
    EXPECT_EQ(PayloadOf(dir / "a_split002.bin"), content.substr(875));
}

TEST(FileSplitter, UncreatablePartNamesThePart) {
    TTempDir dir;
    WriteFile(dir / "a.bin", RandomBytes(3000));
    std::string missingFolder = dir / "missing";
    TFileSplitter splitter = MakeSplitter(dir / "a.bin", missingFolder, 1024);
    std::string part = IncludeTrailingPathDelimiter(missingFolder) + "a_split001.bin";
    EXPECT_THAT(ErrorOf([&] { splitter.Split(); }), StartsWith("Cannot create file \"" + part + "\". "));
}

TEST(FileSplitter, NeverOverwritesTheSourceWithAPart) {
    TTempDir dir;
    std::string content = RandomBytes(3000);
    WriteFile(dir / "x001.bin", content);
    TFileSplitter splitter;
    splitter.SetSourceFile(dir / "x001.bin");
    splitter.DestFile = dir / "x.bin"; // part 1 would be the source itself
    splitter.PartSize = 1024;
    EXPECT_THAT(ErrorOf([&] { splitter.Split(); }), StartsWith("The part file \""));
    EXPECT_EQ(ReadFile(dir / "x001.bin"), content);
}

TEST(FileSplitter, LongSourceNameIsStoredCut) {
    TTempDir dir;
    std::string name = std::string(130, 'L') + ".b";
    SplitNew(dir, name, 2000, 1024);
    EXPECT_EQ(HeaderOf(dir / (std::string(130, 'L') + "_split001.b")).SourceName, name.substr(0, 127));
}

TEST(FileSplitter, FollowsASourceThatGrowsWhileOthersWriteIt) {
    TTempDir dir;
    std::string content = RandomBytes(2500);
    WriteFile(dir / "live.bin", content);
    TFileSplitter splitter = MakeSplitter(dir / "live.bin", "", 1024);
    std::string extra = RandomBytes(600, 9);
    bool appended = false;
    int64_t lastDone = 0;
    splitter.OnProgress = [&](int64_t done, int64_t, int) { lastDone = done; };
    splitter.CancelRequested = [&] { // asked between copies, so the split is under way
        if (!appended) {
            // The source must stay open for writing by others during the split.
            std::ofstream other(dir / "live.bin", std::ios::binary | std::ios::app);
            EXPECT_TRUE(other.is_open());
            other << extra;
            appended = true;
        }
        return false;
    };
    splitter.Split();
    EXPECT_EQ(lastDone, 3100);
    std::string joined;
    for (int i = 1; i <= splitter.PartCount; ++i) {
        joined += PayloadOf(dir / ("live_split00" + std::to_string(i) + ".bin"));
    }
    EXPECT_EQ(joined, content + extra);
    EXPECT_EQ(splitter.PartCount, 4);
    EXPECT_EQ(HeaderOf(dir / "live_split004.bin").Kind, PartKindLast);
    EXPECT_EQ(HeaderOf(dir / "live_split003.bin").Kind, PartKindMiddle);
}

} // namespace
} // namespace sj
