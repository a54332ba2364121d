// The built splitjoin binary, run as users run it: exit codes, streams and files.
// Natively the test starts the binary the build names; on Windows (under Wine) the
// splitjoin-cli.exe that lies next to the test program.
#include "platform/TempDir.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#if defined(SPLITJOIN_EXE) || defined(_WIN32)
#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <sys/wait.h>
#endif

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

#ifdef _WIN32
std::string Quote(const std::string& text) {
    return "\"" + text + "\"";
}

std::string ToolPath() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + "splitjoin-cli.exe";
}

HANDLE InheritableFile(const std::string& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    return ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The console runtime writes CR LF; the tests compare lines.
std::string WithoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

TToolRun RunTool(const TTempDir& dir, const std::string& args) {
    HANDLE in = InheritableFile("NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE out = InheritableFile(dir / "stdout.txt", GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err = InheritableFile(dir / "stderr.txt", GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    std::string command = Quote(ToolPath()) + " " + args;
    DWORD code = static_cast<DWORD>(-1);
    if (::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                         &startup, &process)) {
        if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(process.hProcess, &code);
        else
            ::TerminateProcess(process.hProcess, 99);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    for (HANDLE h : {in, out, err})
        ::CloseHandle(h);
    TToolRun run{static_cast<int>(code), WithoutCarriageReturns(ReadFile(dir / "stdout.txt")),
                 WithoutCarriageReturns(ReadFile(dir / "stderr.txt"))};
    ::DeleteFileA((dir / "stdout.txt").c_str());
    ::DeleteFileA((dir / "stderr.txt").c_str());
    return run;
}
#else
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
#endif

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

    TToolRun info = RunTool(dir, "info " + Quote(dir / "big_split002.iso"));
    EXPECT_EQ(info.Code, 0) << info.Err;
    EXPECT_THAT(info.Out, HasSubstr("Stored name: \"big.iso\", stored size: " + std::to_string(content.size())));
    EXPECT_THAT(info.Out, HasSubstr("4 parts, " + std::to_string(content.size()) + " bytes, complete\n"));
    EXPECT_EQ(info.Err, "");
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
