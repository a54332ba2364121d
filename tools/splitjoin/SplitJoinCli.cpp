#include "SplitJoinCli.h"

#include "engine/FileSplitter.h"
#include "platform/Exception.h"
#include "platform/PathUtils.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <map>
#include <ostream>

namespace sj::cli {

namespace {

constexpr int64_t MaxValue = std::numeric_limits<int64_t>::max();

const char* const MainUsage = "Usage: splitjoin split SOURCE [--size SIZE] [--out DIR]\n"
                              "       splitjoin join PART [--out DIR]\n"
                              "       splitjoin info PART\n"
                              "       splitjoin [COMMAND] --help\n";

const char* const SplitHelp =
    "Usage: splitjoin split SOURCE [--size SIZE] [--out DIR]\n"
    "Cuts SOURCE into part files NAME_split001.EXT, NAME_split002.EXT, ...\n"
    "  --size SIZE  largest part file: a byte count, a number with KB, MB or GB\n"
    "               (1.44MB = 1509949 bytes) or floppy, 100mb, cd650, cd700.\n"
    "               Default: floppy.\n"
    "  --out DIR    folder for the parts (default: the folder of SOURCE)\n";

const char* const JoinHelp = "Usage: splitjoin join PART [--out DIR]\n"
                             "Joins the series PART belongs to into the file named in its first part.\n"
                             "  --out DIR    folder for the joined file (default: the folder of PART)\n";

const char* const InfoHelp = "Usage: splitjoin info PART\n"
                             "Lists the parts of the series PART belongs to and whether it is complete.\n";

struct TUsageError {
    std::string Message;
};

struct TCommandLine {
    std::string Command;
    std::string Operand;
    std::map<std::string, std::string> Options;
    bool Help = false;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int64_t SaturatingMulAdd(int64_t value, int64_t factor, int64_t add) {
    if (value > (MaxValue - add) / factor) {
        return MaxValue;
    }
    return value * factor + add;
}

std::string Lower(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    TCommandLine line;
    size_t i = 0;
    if (i < args.size() && (args[i] == "--help" || args[i] == "-h")) {
        line.Help = true;
        return line;
    }
    if (i >= args.size()) {
        throw TUsageError{"missing command"};
    }
    line.Command = args[i++];
    if (line.Command != "split" && line.Command != "join" && line.Command != "info") {
        throw TUsageError{"unknown command \"" + line.Command + "\""};
    }
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            line.Help = true;
        } else if (arg.starts_with("--")) {
            std::string name = arg.substr(2);
            std::string value;
            if (size_t eq = name.find('='); eq != std::string::npos) {
                value = name.substr(eq + 1);
                name.resize(eq);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                throw TUsageError{"option --" + name + " needs a value"};
            }
            bool known = (name == "size" && line.Command == "split") || (name == "out" && line.Command != "info");
            if (!known) {
                throw TUsageError{"unknown option --" + name + " for " + line.Command};
            }
            line.Options[name] = value;
        } else if (line.Operand.empty() && !arg.empty()) {
            line.Operand = arg;
        } else {
            throw TUsageError{"unexpected argument \"" + arg + "\""};
        }
    }
    if (!line.Help && line.Operand.empty()) {
        throw TUsageError{line.Command == "split" ? "missing SOURCE" : "missing PART"};
    }
    return line;
}

// Shows bytes done, total and rate on one rewritten line, a few times a second.
class TProgressLine {
public:
    TProgressLine(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;
    ~TProgressLine() {
        if (shown_) {
            err_ << '\n' << std::flush;
        }
    }

    TProgressEvent Event() {
        if (!enabled_) {
            return {};
        }
        return [this](int64_t done, int64_t total, int part) { Show(done, total, part); };
    }

private:
    void Show(int64_t done, int64_t total, int part) {
        auto now = Clock::now();
        if (shown_ && now - last_ < std::chrono::milliseconds(200) && done < total) {
            return;
        }
        last_ = now;
        shown_ = true;
        double seconds = std::chrono::duration<double>(now - start_).count();
        double rate = seconds > 0 ? static_cast<double>(done) / seconds / (1024.0 * 1024.0) : 0.0;
        char text[128];
        std::snprintf(text, sizeof text, "\rpart %d: %lld / %lld bytes  %.1f MiB/s   ", part,
                      static_cast<long long>(done), static_cast<long long>(total), rate);
        err_ << text << std::flush;
    }

    using Clock = std::chrono::steady_clock;
    std::ostream& err_;
    bool enabled_;
    bool shown_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point last_ = start_;
};

std::string Option(const TCommandLine& line, const std::string& name) {
    auto it = line.Options.find(name);
    return it == line.Options.end() ? std::string() : it->second;
}

int RunSplit(const TCommandLine& line, std::ostream& out, std::ostream& err, bool showProgress,
             const TCancelQuery& cancel) {
    int64_t size = PresetFloppy;
    if (line.Options.count("size")) {
        auto parsed = ParsePartSize(Option(line, "size"));
        if (!parsed) {
            throw TUsageError{"invalid size \"" + Option(line, "size") + "\""};
        }
        size = *parsed;
    }
    TFileSplitter splitter;
    splitter.SetSourceFile(line.Operand);
    splitter.DestFile = MakeSplitDestFile(line.Operand, Option(line, "out"));
    splitter.PartSize = size;
    splitter.CancelRequested = cancel;
    {
        TProgressLine progress(err, showProgress);
        splitter.OnProgress = progress.Event();
        splitter.Split();
    }
    TPartNameTemplate names(splitter.DestFile);
    out << "Split \"" << line.Operand << "\" (" << splitter.SourceSize << " bytes) into " << splitter.PartCount
        << (splitter.PartCount == 1 ? " part" : " parts") << " of at most " << size << " bytes: " << names.Format(1);
    if (splitter.PartCount > 1) {
        out << " .. " << names.Format(splitter.PartCount);
    }
    out << '\n';
    return ExitOk;
}

int RunJoin(const TCommandLine& line, std::ostream& out, std::ostream& err, bool showProgress,
            const TCancelQuery& cancel) {
    TFileJointer jointer;
    jointer.SetPartFile(line.Operand);
    jointer.DestFolder = Option(line, "out");
    jointer.CancelRequested = cancel;
    std::string output;
    {
        TProgressLine progress(err, showProgress);
        jointer.OnProgress = progress.Event();
        output = jointer.Join();
    }
    int64_t size = TotalPayload(jointer.ReadParts());
    out << "Joined " << jointer.Parts.size() << (jointer.Parts.size() == 1 ? " part" : " parts") << " into \""
        << output << "\" (" << size << " bytes)\n";
    return ExitOk;
}

const char* KindName(uint8_t kind) {
    switch (kind) {
    case PartKindFirst:
        return "first";
    case PartKindMiddle:
        return "middle";
    case PartKindLast:
        return "last";
    default:
        return "unknown";
    }
}

int RunInfo(const TCommandLine& line, std::ostream& out) {
    TFileJointer jointer;
    jointer.SetPartFile(line.Operand);
    std::vector<TPartInfo> parts = jointer.ReadParts();
    for (const TPartInfo& part : parts) {
        out << part.Name << ": ";
        if (!part.HasHeader) {
            out << "no part header\n";
            continue;
        }
        out << "kind " << int{part.Header.Kind} << " (" << KindName(part.Header.Kind) << "), header "
            << part.Header.HeaderSize << " bytes, payload " << part.Header.PayloadSize << " bytes\n";
    }
    if (!parts.empty() && parts.front().HasHeader && parts.front().Header.HeaderSize == FirstHeaderSize) {
        out << "Stored name: \"" << parts.front().Header.SourceName << "\", stored size: "
            << parts.front().Header.SourceSize << " bytes\n";
    }
    std::string problem = FindSeriesProblem(parts);
    out << "Series " << jointer.PartsFolder() << DeriveSiblingPattern(line.Operand).Wildcard() << ": "
        << parts.size() << (parts.size() == 1 ? " part, " : " parts, ") << TotalPayload(parts) << " bytes, "
        << (problem.empty() ? std::string("complete") : "incomplete: " + problem) << '\n';
    return ExitOk;
}

const char* HelpText(const std::string& command) {
    if (command == "split") {
        return SplitHelp;
    }
    if (command == "join") {
        return JoinHelp;
    }
    if (command == "info") {
        return InfoHelp;
    }
    return MainUsage;
}

} // namespace

std::optional<int64_t> ParsePartSize(std::string_view text) {
    static const std::map<std::string, int64_t> presets = {
        {"floppy", PresetFloppy}, {"100mb", Preset100MB}, {"cd650", PresetCD650}, {"cd700", PresetCD700}};
    std::string lower = Lower(text);
    if (auto it = presets.find(lower); it != presets.end()) {
        return it->second;
    }
    int64_t multiplier = 1;
    std::string_view number = lower;
    for (auto [suffix, factor] : {std::pair{"kb", int64_t{1} << 10}, {"mb", int64_t{1} << 20}, {"gb", int64_t{1} << 30}}) {
        if (number.ends_with(suffix)) {
            number.remove_suffix(2);
            multiplier = factor;
            break;
        }
    }
    size_t dot = number.find('.');
    std::string_view whole = number.substr(0, dot);
    std::string_view fraction = dot == std::string_view::npos ? std::string_view() : number.substr(dot + 1);
    bool digitsOnly = std::all_of(whole.begin(), whole.end(), IsDigit) &&
                      std::all_of(fraction.begin(), fraction.end(), IsDigit);
    if (!digitsOnly || (whole.empty() && fraction.empty()) || (dot != std::string_view::npos && fraction.empty())) {
        return std::nullopt;
    }
    // Exact decimal arithmetic: value = (whole.fraction) * multiplier, truncated.
    int64_t value = 0;
    for (char c : whole) {
        value = SaturatingMulAdd(value, 10, c - '0');
    }
    value = SaturatingMulAdd(value, multiplier, 0);
    int64_t fractionPart = 0;
    int64_t scale = 1;
    for (char c : fraction.substr(0, 9)) {
        fractionPart = fractionPart * 10 + (c - '0');
        scale *= 10;
    }
    // fractionPart < 10^9 and multiplier <= 2^30, so the product fits in 64 bits.
    int64_t fromFraction = fractionPart * multiplier / scale;
    return value > MaxValue - fromFraction ? MaxValue : value + fromFraction;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool showProgress,
        const TCancelQuery& cancel) {
    TCommandLine line;
    try {
        line = ParseCommandLine(args);
        if (line.Help) {
            out << HelpText(line.Command);
            return ExitOk;
        }
        if (line.Command == "split") {
            return RunSplit(line, out, err, showProgress, cancel);
        }
        if (line.Command == "join") {
            return RunJoin(line, out, err, showProgress, cancel);
        }
        return RunInfo(line, out);
    } catch (const TUsageError& error) {
        err << "splitjoin: " << error.Message << '\n' << HelpText(line.Command);
        return ExitUsage;
    } catch (const EJobCancelled& error) {
        err << error.what() << '\n';
        return ExitCancelled;
    } catch (const Exception& error) {
        err << error.what() << '\n';
        return ExitFailure;
    }
}

} // namespace sj::cli
