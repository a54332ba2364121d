#include "SplitJoinCli.h"

#include "engine/PartFormat.h"
#include "platform/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

namespace sj::cli {
namespace {

using namespace test;
using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(PartSizeArgument, UnitsFractionsAndPresets) {
    EXPECT_EQ(ParsePartSize("4096"), 4096);
    EXPECT_EQ(ParsePartSize("1KB"), 1024);
    EXPECT_EQ(ParsePartSize("2kb"), 2048);
    EXPECT_EQ(ParsePartSize("100MB"), Preset100MB);
    EXPECT_EQ(ParsePartSize("1GB"), int64_t{1} << 30);
    // Truncated toward zero after an exact product: 1.44 x 1048576 = 1509949.44.
    EXPECT_EQ(ParsePartSize("1.44MB"), 1509949);
    EXPECT_EQ(ParsePartSize("1.555MB"), 1630535);
    EXPECT_EQ(ParsePartSize("0.5KB"), 512);
    EXPECT_EQ(ParsePartSize(".5KB"), 512);
    EXPECT_EQ(ParsePartSize("floppy"), PresetFloppy);
    EXPECT_EQ(ParsePartSize("FLOPPY"), PresetFloppy);
    EXPECT_EQ(ParsePartSize("100mb"), Preset100MB);
    EXPECT_EQ(ParsePartSize("cd650"), PresetCD650);
    EXPECT_EQ(ParsePartSize("cd700"), PresetCD700);
    EXPECT_EQ(ParsePartSize("0"), 0) << "zero is for the engine to refuse";
}

TEST(PartSizeArgument, HugeValuesSaturateInsteadOfWrapping) {
    EXPECT_EQ(ParsePartSize("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(ParsePartSize("9999999999GB"), INT64_MAX);
    EXPECT_EQ(ParsePartSize("2GB"), PartSizeLimit);
}

TEST(PartSizeArgument, RejectsWhatIsNoSize) {
    for (const char* bad : {"", "MB", "1.", "1.2.3", "-5", "+5", "1 MB", "1TB", "12x", "cd", "1e6", "0x10"}) {
        EXPECT_EQ(ParsePartSize(bad), std::nullopt) << bad;
    }
}

struct TResult {
    int Code;
    std::string Out;
    std::string Err;
};

TResult RunCli(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    int code = Run(args, out, err, false);
    return {code, out.str(), err.str()};
}

TEST(SplitJoinCommandLine, UsageErrorsExitWithTwo) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"cut", "x"}, {"split"}, {"join"}, {"split", "a", "b"}, {"split", "a", "--size"},
             {"split", "a", "--size", "lots"}, {"info", "a", "--out", "d"}, {"join", "a", "--size", "1KB"},
             {"split", "a", "--verbose", "1"}}) {
        TResult result = RunCli(args);
        EXPECT_EQ(result.Code, ExitUsage) << ::testing::PrintToString(args);
        EXPECT_THAT(result.Err, HasSubstr("Usage: splitjoin")) << ::testing::PrintToString(args);
        EXPECT_EQ(result.Out, "");
    }
}

TEST(SplitJoinCommandLine, HelpForTheToolAndEachCommand) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"split", "--help"}, {"join", "--help"}, {"info", "--help"}}) {
        TResult result = RunCli(args);
        EXPECT_EQ(result.Code, ExitOk);
        EXPECT_THAT(result.Out, StartsWith("Usage: splitjoin"));
        EXPECT_EQ(result.Err, "");
    }
    EXPECT_THAT(RunCli({"split", "--help"}).Out, HasSubstr("cd700"));
}

TEST(SplitJoinCommandLine, EngineFailuresPrintTheMessageAndExitWithOne) {
    TTempDir dir;
    WriteFile(dir / "plain001.txt", "just some text, not a part");
    TResult notPart = RunCli({"join", dir / "plain001.txt"});
    EXPECT_EQ(notPart.Code, ExitFailure);
    EXPECT_EQ(notPart.Err, "This file is not our split file\n");
    EXPECT_EQ(notPart.Out, "");

    WriteFile(dir / "a.bin", std::string(5000, 'a'));
    TResult tooBig = RunCli({"split", dir / "a.bin", "--size", "2GB"});
    EXPECT_EQ(tooBig.Code, ExitFailure);
    EXPECT_EQ(tooBig.Err, "The part size must be less than 2 GB (2147483648 bytes)\n");

    TResult missing = RunCli({"info", dir / "none001.bin"});
    EXPECT_EQ(missing.Err, "File \"" + (dir / "none001.bin") + "\" does not exist\n");
}

TEST(SplitJoinCommandLine, SplitInfoJoinRoundTrip) {
    TTempDir dir;
    std::string content = test::RandomBytes(3000);
    WriteFile(dir / "doc.txt", content);
    TResult split = RunCli({"split", dir / "doc.txt", "--size=1KB"});
    EXPECT_EQ(split.Code, ExitOk) << split.Err;
    EXPECT_EQ(split.Out, "Split \"" + (dir / "doc.txt") + "\" (3000 bytes) into 4 parts of at most 1024 bytes: " +
                             (dir / "doc_split001.txt") + " .. " + (dir / "doc_split004.txt") + "\n");
    EXPECT_EQ(split.Err, "") << "no progress line when stderr is no terminal";

    TResult info = RunCli({"info", dir / "doc_split003.txt"});
    EXPECT_EQ(info.Code, ExitOk);
    EXPECT_THAT(info.Out, HasSubstr("doc_split001.txt: kind 1 (first), header 149 bytes, payload 875 bytes\n"));
    EXPECT_THAT(info.Out, HasSubstr("doc_split004.txt: kind 2 (last), header 17 bytes, payload 111 bytes\n"));
    EXPECT_THAT(info.Out, HasSubstr("Stored name: \"doc.txt\", stored size: 3000 bytes\n"));
    EXPECT_THAT(info.Out, HasSubstr(": 4 parts, 3000 bytes, complete\n"));

    std::filesystem::create_directory(dir / "out");
    TResult join = RunCli({"join", dir / "doc_split002.txt", "--out", dir / "out"});
    EXPECT_EQ(join.Code, ExitOk) << join.Err;
    std::string output = IncludeTrailingPathDelimiter(dir / "out") + "doc.txt";
    EXPECT_EQ(join.Out, "Joined 4 parts into \"" + output + "\" (3000 bytes)\n");
    EXPECT_EQ(ReadFile(output), content);
}

TEST(SplitJoinCommandLine, InfoReportsAnIncompleteSeries) {
    TTempDir dir;
    WriteFile(dir / "a.bin", test::RandomBytes(3000));
    ASSERT_EQ(RunCli({"split", dir / "a.bin", "--size", "1024", "--out", dir.Folder()}).Code, ExitOk);
    std::filesystem::remove(dir / "a_split003.bin");
    TResult info = RunCli({"info", dir / "a_split001.bin"});
    EXPECT_EQ(info.Code, ExitOk);
    EXPECT_THAT(info.Out, HasSubstr(": 3 parts, 1993 bytes, incomplete: A part is missing between"));
    EXPECT_EQ(RunCli({"join", dir / "a_split001.bin"}).Code, ExitFailure);
}

} // namespace
} // namespace sj::cli
