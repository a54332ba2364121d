#include "platform/IniText.h"

namespace sj {
namespace {

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

bool IsSectionHeader(std::string_view line) {
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// Feeds lines to the handler, keeping back entries that no section has opened yet.
class TIniLineFeeder {
public:
    explicit TIniLineFeeder(TIniTextHandler& handler) : FHandler(handler) {}

    void Feed(std::string_view rawLine) {
        const TIniLine line = ParseIniLine(rawLine);
        switch (line.Kind) {
        case TIniLine::TKind::Section:
            FInSection = true;
            FHandler.OnSection(line.Name);
            break;
        case TIniLine::TKind::Entry:
            if (FInSection)
                FHandler.OnEntry(line.Name, line.Value);
            break;
        case TIniLine::TKind::Nothing:
            break;
        }
    }

private:
    TIniTextHandler& FHandler;
    bool FInSection = false;
};

} // namespace

bool IsIniBlank(char c) {
    // Control bytes count as blanks too: a stray NUL or tab at a line's end is no part of a name.
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view TrimIniBlanks(std::string_view text) {
    while (!text.empty() && IsIniBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsIniBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> SplitIniLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (!IsLineBreak(text[i])) {
            ++i;
            continue;
        }
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = ++i;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

TIniLine ParseIniLine(std::string_view line) {
    line = TrimIniBlanks(line);
    if (line.empty() || line.front() == ';')
        return {};
    if (IsSectionHeader(line))
        return {TIniLine::TKind::Section, TrimIniBlanks(line.substr(1, line.size() - 2)), {}};
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return {};
    return {TIniLine::TKind::Entry, TrimIniBlanks(line.substr(0, equals)), TrimIniBlanks(line.substr(equals + 1))};
}

void ReadIniText(std::string_view text, TIniTextHandler& handler) {
    TIniLineFeeder feeder(handler);
    for (const std::string_view line : SplitIniLines(text))
        feeder.Feed(line);
}

void ReadIniLines(const std::vector<std::string>& lines, TIniTextHandler& handler) {
    TIniLineFeeder feeder(handler);
    for (const std::string& line : lines)
        feeder.Feed(line);
}

} // namespace sj
