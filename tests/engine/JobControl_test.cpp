// Progress reports and cancel requests of the split and the join, and the clean-up
// after a cancel or a failure half-way through a job.
#include "engine/FileSplitter.h"

#include "EngineTestHelpers.h"
#include "platform/FileSystem.h"

#include <chrono>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>

namespace sj {
namespace {

using namespace sj::test;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// Every entry of the folder with its content, folders marked as such.
std::map<std::string, std::string> Snapshot(const TTempDir& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Folder())) {
        std::string name = entry.path().filename().string();
        files[name] = entry.is_directory() ? std::string("<folder>") : ReadFile(dir / name);
    }
    return files;
}

// A cancel query that answers true at its n-th question (never for n = 0) and counts.
struct TCancelAt {
    int At = 0;
    int Asked = 0;
    TCancelQuery Query() {
        return [this] { return ++Asked == At; };
    }
};

struct TReport {
    int64_t Done;
    int64_t Total;
    int Part;
};

void ExpectOrderedReports(const std::vector<TReport>& reports, int64_t total, int lastPart) {
    ASSERT_FALSE(reports.empty());
    for (size_t i = 1; i < reports.size(); ++i) {
        EXPECT_GE(reports[i].Done, reports[i - 1].Done) << i;
        EXPECT_GE(reports[i].Part, reports[i - 1].Part) << i;
        EXPECT_GE(reports[i].Part, 1) << i;
    }
    EXPECT_EQ(reports.back().Done, total);
    EXPECT_EQ(reports.back().Total, total);
    EXPECT_EQ(reports.back().Part, lastPart);
    EXPECT_EQ(std::count_if(reports.begin(), reports.end(), [&](const TReport& r) { return r.Done == total; }), 1)
        << "the end is reported once";
}

// A split of 3000 bytes into 1024-byte parts through a 100-byte buffer.
class CancelledSplit : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(dir_ / "a.bin", RandomBytes(3000));
        WriteFile(dir_ / "other.txt", "not ours");
    }
    TFileSplitter Splitter() {
        TFileSplitter splitter = MakeSplitter(dir_ / "a.bin", "", 1024);
        splitter.BufferSize = 100;
        return splitter;
    }
    TTempDir dir_;
};

TEST_F(CancelledSplit, AtEveryBoundaryLeavesTheFolderAsItWas) {
    const auto before = Snapshot(dir_);
    TCancelAt counter;
    {
        TFileSplitter whole = Splitter();
        whole.CancelRequested = counter.Query();
        whole.Split();
        ASSERT_EQ(whole.PartCount, 4);
    }
    const int boundaries = counter.Asked;
    ASSERT_GT(boundaries, 30) << "one question per part and per chunk";
    for (const auto& [name, content] : Snapshot(dir_)) {
        if (name.starts_with("a_split"))
            RemoveFile(dir_ / name);
    }
    for (int at = 1; at <= boundaries; ++at) {
        SCOPED_TRACE(at);
        TFileSplitter splitter = Splitter();
        TCancelAt cancel{at};
        splitter.CancelRequested = cancel.Query();
        try {
            splitter.Split();
            ADD_FAILURE() << "not cancelled";
        } catch (const EJobCancelled& error) {
            EXPECT_STREQ(error.what(), "Split job was cancelled.");
        }
        EXPECT_EQ(cancel.Asked, at) << "nothing is asked after the answer";
        EXPECT_EQ(Snapshot(dir_), before);
        EXPECT_TRUE(splitter.OverwrittenParts.empty());
    }
}

TEST_F(CancelledSplit, KeepsAndNamesPartsThatWereThereBefore) {
    WriteFile(dir_ / "a_split002.bin", "an older part two");
    WriteFile(dir_ / "a_split004.bin", "an older part four");
    TFileSplitter splitter = Splitter();
    splitter.CancelRequested = [&] { return FileExists(dir_ / "a_split003.bin"); };
    std::string message = ErrorOf([&] { splitter.Split(); });
    EXPECT_EQ(message, "Split job was cancelled. This part file existed before and was overwritten: \"" +
                           (dir_ / "a_split002.bin") + "\"");
    EXPECT_FALSE(FileExists(dir_ / "a_split001.bin"));
    EXPECT_FALSE(FileExists(dir_ / "a_split003.bin"));
    EXPECT_TRUE(FileExists(dir_ / "a_split002.bin")) << "not ours to delete";
    EXPECT_EQ(ReadFile(dir_ / "a_split004.bin"), "an older part four") << "never reached";

    WriteFile(dir_ / "a_split001.bin", "an older part one");
    message = ErrorOf([&] { splitter.Split(); });
    EXPECT_THAT(message, HasSubstr("These part files existed before and were overwritten: \"" +
                                   (dir_ / "a_split001.bin") + "\", \"" + (dir_ / "a_split002.bin") + "\""));
}

TEST_F(CancelledSplit, FailureHalfWayRemovesThePartsWrittenSoFar) {
    std::filesystem::create_directory(dir_ / "a_split003.bin"); // part 3 cannot be created
    const auto before = Snapshot(dir_);
    TFileSplitter splitter = Splitter();
    EXPECT_THAT(ErrorOf([&] { splitter.Split(); }),
                StartsWith("Cannot create file \"" + (dir_ / "a_split003.bin") + "\". "));
    EXPECT_EQ(Snapshot(dir_), before);

    std::filesystem::remove(dir_ / "a_split003.bin");
    TFileSplitter shrinking = Splitter();
    shrinking.CancelRequested = [&] { // the source loses its tail while part 2 is written
        if (FileExists(dir_ / "a_split002.bin"))
            std::filesystem::resize_file(dir_ / "a.bin", 1500);
        return false;
    };
    EXPECT_EQ(ErrorOf([&] { shrinking.Split(); }), "Stream read error");
    EXPECT_FALSE(FileExists(dir_ / "a_split001.bin"));
    EXPECT_FALSE(FileExists(dir_ / "a_split002.bin"));
}

// A series of four parts beside an older file of the joined name.
class CancelledJoin : public ::testing::Test {
protected:
    void SetUp() override {
        content_ = SplitNew(dir_, "keep.bin", 3000, 1024);
        WriteFile(dir_ / "keep.bin", "the previous file");
    }
    TFileJointer Jointer() {
        TFileJointer jointer;
        jointer.SetPartFile(dir_ / "keep_split002.bin");
        jointer.BufferSize = 100;
        return jointer;
    }
    TTempDir dir_;
    std::string content_;
};

TEST_F(CancelledJoin, AtEveryBoundaryLeavesTheTargetUntouched) {
    const auto before = Snapshot(dir_);
    TCancelAt counter;
    std::filesystem::create_directory(dir_ / "out");
    {
        TFileJointer whole = Jointer();
        whole.DestFolder = dir_ / "out";
        whole.CancelRequested = counter.Query();
        EXPECT_EQ(ReadFile(whole.Join()), content_);
    }
    std::filesystem::remove_all(dir_ / "out");
    const int boundaries = counter.Asked;
    ASSERT_GT(boundaries, 30);
    for (int at = 1; at <= boundaries; ++at) {
        SCOPED_TRACE(at);
        TFileJointer jointer = Jointer();
        TCancelAt cancel{at};
        jointer.CancelRequested = cancel.Query();
        try {
            jointer.Join();
            ADD_FAILURE() << "not cancelled";
        } catch (const EJobCancelled& error) {
            EXPECT_STREQ(error.what(), "Join job was cancelled.");
        }
        EXPECT_EQ(Snapshot(dir_), before);
    }
}

TEST(JobProgress, SplitAndJoinReportInOrderAndEndAtTheTotal) {
    TTempDir dir;
    const size_t size = 5 * 1024 * 1024 + 123;
    WriteFile(dir / "big.bin", RandomBytes(size));
    TFileSplitter splitter = MakeSplitter(dir / "big.bin", "", 1509949);
    splitter.BufferSize = 4096;
    std::vector<TReport> reports;
    splitter.OnProgress = [&](int64_t done, int64_t total, int part) { reports.push_back({done, total, part}); };
    auto start = std::chrono::steady_clock::now();
    splitter.Split();
    auto elapsed = std::chrono::steady_clock::now() - start;
    ExpectOrderedReports(reports, static_cast<int64_t>(size), 4);
    // 1280 chunks, but only every MiB or every 50 ms is reported.
    const auto intervals = elapsed / TProgressThrottle::ReportInterval;
    EXPECT_LE(reports.size(), 5u + 1u + static_cast<size_t>(intervals));
    EXPECT_GE(reports.size(), 5u) << "at least every MiB";

    RemoveFile(dir / "big.bin");
    TFileJointer jointer;
    jointer.SetPartFile(dir / "big_split001.bin");
    jointer.BufferSize = 4096;
    reports.clear();
    jointer.OnProgress = [&](int64_t done, int64_t total, int part) { reports.push_back({done, total, part}); };
    jointer.Join();
    ExpectOrderedReports(reports, static_cast<int64_t>(size), 4);
}

TEST(JobProgress, SmallJobsReportTheirEndOnly) {
    TTempDir dir;
    WriteFile(dir / "s.bin", RandomBytes(900));
    TFileSplitter splitter = MakeSplitter(dir / "s.bin", "", 1024);
    std::vector<TReport> reports;
    splitter.OnProgress = [&](int64_t done, int64_t total, int part) { reports.push_back({done, total, part}); };
    splitter.Split();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].Done, 900);
    EXPECT_EQ(reports[0].Part, 2);
}

} // namespace
} // namespace sj
