#include "platform/FileStream.h"

#include "platform/Exception.h"
#include "platform/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace sj {
namespace {

using namespace test;
using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EFileError& error) {
        return error.what();
    }
    return "(no error)";
}

TEST(FileStream, WritesReadsAndSeeks) {
    TTempDir dir;
    std::string path = dir / "data.bin";
    {
        TFileStream file = TFileStream::Create(path);
        file.WriteBuffer("hello world", 11);
        EXPECT_EQ(file.Position(), 11);
        EXPECT_EQ(file.Size(), 11);
        file.Seek(6);
        file.WriteBuffer("WORLD", 5);
        file.Close();
        EXPECT_FALSE(file.IsOpen());
    }
    TFileStream file = TFileStream::OpenRead(path);
    char buffer[16] = {};
    file.Seek(6);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 5u);
    EXPECT_EQ(std::string(buffer, 5), "WORLD");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u) << "at the end a read returns nothing";
}

TEST(FileStream, ShortReadAndFailedWriteAreErrors) {
    TTempDir dir;
    std::string path = dir / "short.bin";
    WriteFile(path, "12345");
    TFileStream reader = TFileStream::OpenRead(path);
    char buffer[8];
    EXPECT_EQ(MessageOf([&] { reader.ReadBuffer(buffer, 6); }), "Stream read error");

    // A stream opened for reading cannot be written to: the failure must surface.
    EXPECT_EQ(MessageOf([&] { reader.WriteBuffer("x", 1); }), "Stream write error");
    EXPECT_EQ(ReadFile(path), "12345");
}

TEST(FileStream, OpenAndCreateErrorsNameTheFileAndTheReason) {
    TTempDir dir;
    std::string missing = dir / "missing.bin";
    std::string message = MessageOf([&] { TFileStream::OpenRead(missing); });
    EXPECT_THAT(message, StartsWith("Cannot open file \"" + missing + "\". "));
    EXPECT_GT(message.size(), ("Cannot open file \"" + missing + "\". ").size()) << "system reason missing";
    EXPECT_NE(message.back(), '\n');

    std::string inMissingFolder = dir / "no" + std::string(1, PathDelimiter) + "file.bin";
    EXPECT_THAT(MessageOf([&] { TFileStream::Create(inMissingFolder); }),
                StartsWith("Cannot create file \"" + inMissingFolder + "\". "));

    // A folder is not a file to read.
    EXPECT_THAT(MessageOf([&] { TFileStream::OpenRead(dir.Folder()); }), StartsWith("Cannot open file"));
}

TEST(FileStream, CreateReplacesAndCreateNewRefusesExisting) {
    TTempDir dir;
    std::string path = dir / "old.bin";
    WriteFile(path, "old content that is long");
    TFileStream::Create(path).WriteBuffer("new", 3);
    EXPECT_EQ(ReadFile(path), "new");
    EXPECT_THAT(MessageOf([&] { TFileStream::CreateNew(path); }), StartsWith("Cannot create file"));
    EXPECT_EQ(ReadFile(path), "new");
}

TEST(FileStream, SharesOpenFilesWithOtherReadersAndWriters) {
    TTempDir dir;
    std::string path = dir / "shared.bin";
    WriteFile(path, "abc");
    TFileStream reader = TFileStream::OpenRead(path);
    // Another program may open the same file for reading and for writing meanwhile.
    TFileStream secondReader = TFileStream::OpenRead(path);
    TFileStream writer = TFileStream::Create(dir / "other.bin");
    std::ofstream appender(path, std::ios::binary | std::ios::app);
    ASSERT_TRUE(appender.is_open());
    appender << "def";
    appender.close();
    EXPECT_EQ(reader.Size(), 6) << "the length is read again on every call";
    char buffer[6];
    reader.ReadBuffer(buffer, 6);
    EXPECT_EQ(std::string(buffer, 6), "abcdef");
}

TEST(FileStream, PositionsBeyondFourGiB) {
    TTempDir dir;
    std::string path = dir / "big.bin";
    const int64_t far = (int64_t{5} << 30) + 7;
    {
        TFileStream file = TFileStream::Create(path);
        file.Seek(far);
        file.WriteBuffer("Z", 1);
        EXPECT_EQ(file.Size(), far + 1);
    }
    TFileStream file = TFileStream::OpenRead(path);
    EXPECT_EQ(file.Size(), far + 1);
    file.Seek(far);
    EXPECT_EQ(file.Position(), far);
    char c = 0;
    file.ReadBuffer(&c, 1);
    EXPECT_EQ(c, 'Z');
}

TEST(FileStream, CopyFromStreamsInChunksAndStopsAtTheEnd) {
    TTempDir dir;
    std::string content = test::RandomBytes(10000);
    WriteFile(dir / "src.bin", content);
    TFileStream source = TFileStream::OpenRead(dir / "src.bin");
    TFileStream target = TFileStream::Create(dir / "dst.bin");
    std::vector<std::byte> buffer(1000);
    int chunks = 0;
    source.Seek(100);
    EXPECT_EQ(target.CopyFrom(source, 5000, buffer, [&](size_t) { ++chunks; }), 5000);
    EXPECT_EQ(chunks, 5);
    EXPECT_EQ(target.CopyFrom(source, 99999, buffer), 4900) << "the copy ends with the source";
    target.Close();
    EXPECT_EQ(ReadFile(dir / "dst.bin"), content.substr(100));
}

TEST(FileStream, MovedStreamOwnsTheHandle) {
    TTempDir dir;
    TFileStream first = TFileStream::Create(dir / "moved.bin");
    TFileStream second = std::move(first);
    EXPECT_FALSE(first.IsOpen()); // NOLINT(bugprone-use-after-move): the moved-from state is defined
    second.WriteBuffer("ok", 2);
    second = TFileStream::Create(dir / "next.bin");
    EXPECT_EQ(ReadFile(dir / "moved.bin"), "ok") << "assignment closed the earlier file";
}

} // namespace
} // namespace sj
