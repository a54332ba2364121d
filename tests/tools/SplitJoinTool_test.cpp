// The built splitjoin binary, run as users run it: exit codes, streams and files.
#include "platform/TempDir.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#ifdef SPLITJOIN_EXE
#include <cstdlib>
#include <sys/wait.h>

namespace sj {
namespace {

using namespace test;
using ::testing::HasSubstr;
using ::testing::StartsWith;

struct TToolRun {
    int Code;
    std::string Out;
    std::string Err;
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

TToolRun RunTool(const TTempDir& dir, const std::string& args) {
    std::string command = Quote(SPLITJOIN_EXE) + " " + args + " >" + Quote(dir / "stdout.txt") + " 2>" +
                          Quote(dir / "stderr.txt") + " </dev/null";
    int status = std::system(command.c_str());
    TToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(dir / "stdout.txt"),
                 ReadFile(dir / "stderr.txt")};
    std::remove((dir / "stdout.txt").c_str());
    std::remove((dir / "stderr.txt").c_str());
    return run;
}

TEST(SplitJoinTool, SplitsAndJoinsBesideTheSourceByDefault) {
    TTempDir dir;
    std::string content = test::RandomBytes(3 * 1509949 + 77);
    WriteFile(dir / "big.iso", content);
    TToolRun split = RunTool(dir, "split " + Quote(dir / "big.iso"));
    EXPECT_EQ(split.Code, 0) << split.Err;
    EXPECT_THAT(split.Out, HasSubstr("into 4 parts of at most 1509949 bytes"));
    EXPECT_EQ(std::count(split.Out.begin(), split.Out.end(), '\n'), 1) << "one summary line";
    EXPECT_EQ(split.Err, "");
    EXPECT_EQ(ReadFile(dir / "big_split001.iso").size(), 1509949u);

    std::filesystem::remove(dir / "big.iso");
    TToolRun join = RunTool(dir, "join " + Quote(dir / "big_split004.iso"));
    EXPECT_EQ(join.Code, 0) << join.Err;
    EXPECT_EQ(join.Out, "Joined 4 parts into \"" + (dir / "big.iso") + "\" (" + std::to_string(content.size()) +
                            " bytes)\n");
    EXPECT_TRUE(ReadFile(dir / "big.iso") == content);
}

TEST(SplitJoinTool, ExitCodesAndStreams) {
    TTempDir dir;
    TToolRun usage = RunTool(dir, "");
    EXPECT_EQ(usage.Code, 2);
    EXPECT_THAT(usage.Err, HasSubstr("Usage: splitjoin"));

    TToolRun help = RunTool(dir, "join --help");
    EXPECT_EQ(help.Code, 0);
    EXPECT_THAT(help.Out, StartsWith("Usage: splitjoin join PART"));

    WriteFile(dir / "small.bin", "tiny");
    TToolRun failed = RunTool(dir, "split " + Quote(dir / "small.bin") + " --size 1KB");
    EXPECT_EQ(failed.Code, 1);
    EXPECT_EQ(failed.Err, "Source file does not have enough data. There is no point to split it. Abort splitting\n");
    EXPECT_EQ(failed.Out, "");
}

} // namespace
} // namespace sj
#endif
