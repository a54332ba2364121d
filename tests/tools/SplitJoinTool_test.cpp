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
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <cstdlib>
#include <map>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
extern char** environ;
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

#ifndef _WIN32
// The tool started with its copies slowed down, interrupted with `signal` as soon as
// `ready` holds, then awaited. Returns the exit status (-1 when it did not exit).
int InterruptedRun(const TTempDir& work, const std::vector<std::string>& args, int signal,
                   const std::function<bool()>& ready, std::string& err) {
    std::vector<std::string> environment{"SPLITJOIN_TEST_THROTTLE_MS=20"};
    for (char** entry = environ; *entry != nullptr; ++entry)
        environment.emplace_back(*entry);
    std::vector<char*> envp, argv{const_cast<char*>(SPLITJOIN_EXE)};
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> arguments = args;
    for (std::string& arg : arguments)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    const std::string errPath = work / "stderr.txt";
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, SPLITJOIN_EXE, &files, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0)
        return -1;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!ready() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ::kill(pid, signal);
    int status = 0;
    ::waitpid(pid, &status, 0);
    err = ReadFile(errPath);
    std::remove(errPath.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::map<std::string, std::string> Contents(const TTempDir& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Folder()))
        files[entry.path().filename().string()] = ReadFile(entry.path().string());
    return files;
}

TEST(SplitJoinTool, InterruptedJobsLeaveNothingBehindAndExitWith130) {
    TTempDir dir, work;
    WriteFile(dir / "slow.bin", test::RandomBytes(200 * 1024));
    auto before = Contents(dir);
    std::string err;
    for (int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        int code = InterruptedRun(work, {"split", dir / "slow.bin", "--size", "4KB"}, signal,
                                  [&] { return std::filesystem::exists(dir / "slow_split003.bin"); }, err);
        EXPECT_EQ(code, 130);
        EXPECT_EQ(err, "Split job was cancelled.\n");
        EXPECT_EQ(Contents(dir), before) << "every part this split wrote is gone";
    }

    TToolRun split = RunTool(dir, "split " + Quote(dir / "slow.bin") + " --size 4KB");
    ASSERT_EQ(split.Code, 0) << split.Err;
    WriteFile(dir / "slow.bin", "an older file of the joined name");
    before = Contents(dir);
    auto joining = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(dir.Folder()))
            if (entry.path().extension() == ".joining" && entry.file_size() > 8192)
                return true;
        return false;
    };
    int code = InterruptedRun(work, {"join", dir / "slow_split001.bin"}, SIGINT, joining, err);
    EXPECT_EQ(code, 130);
    EXPECT_EQ(err, "Join job was cancelled.\n");
    EXPECT_EQ(Contents(dir), before) << "no temporary file, the older file untouched";
}
#endif

} // namespace
} // namespace sj
#endif
