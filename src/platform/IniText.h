// The line grammar every in-memory INI reader of the program shares, without its
// storage or its rules for comparing names.
//
// Text splits into lines at CR LF, a lone CR or a lone LF. Each line is trimmed of
// blanks (every byte up to and including the space); an empty line or one starting
// with ";" holds nothing; "[name]" opens the section name (trimmed); any other line
// with "=" is an entry split at the first "=", key and value trimmed. Entries before
// the first section and lines without "=" hold nothing. Pure string work.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sj {

bool IsIniBlank(char c);
std::string_view TrimIniBlanks(std::string_view text);

// The lines of text; the breaks belong to no line, and a break at the very end does
// not start another line.
std::vector<std::string_view> SplitIniLines(std::string_view text);

// What a single line holds, seen on its own.
struct TIniLine {
    enum class TKind { Nothing, Section, Entry };
    TKind Kind = TKind::Nothing;
    std::string_view Name; // the section's name, or the entry's key
    std::string_view Value;
};

// The views point into line.
TIniLine ParseIniLine(std::string_view line);

// Receives the sections and entries of a text in file order. A section may be opened
// more than once; whether that continues the earlier one is the receiver's rule.
// The views are valid only during the call.
class TIniTextHandler {
public:
    virtual ~TIniTextHandler() = default;
    virtual void OnSection(std::string_view name) = 0;
    virtual void OnEntry(std::string_view key, std::string_view value) = 0;
};

void ReadIniText(std::string_view text, TIniTextHandler& handler);
void ReadIniLines(const std::vector<std::string>& lines, TIniTextHandler& handler);

} // namespace sj
