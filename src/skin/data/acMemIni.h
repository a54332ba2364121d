// The in-memory INI text of a skin description, and the readers of its value forms.
//
// Section and key names compare case-sensitively. Sections and keys keep file order;
// a section named twice continues the first one, and the first entry of a key wins.
// Numbers use "." as the decimal separator whatever the locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sj {

struct TacIniEntry {
    std::string Key;
    std::string Value;
};

struct TacIniSection {
    std::string Name;
    std::vector<TacIniEntry> Entries;

    const TacIniEntry* Find(const std::string& key) const;
};

class TacMemIni {
public:
    TacMemIni() = default;
    // Parses description text (lines ending in CR LF, LF or a lone CR).
    explicit TacMemIni(std::string_view text) { SetText(text); }

    void SetText(std::string_view text);
    void SetLines(const std::vector<std::string>& lines);

    const std::vector<TacIniSection>& Sections() const { return FSections; }
    const TacIniSection* FindSection(const std::string& name) const;
    bool SectionExists(const std::string& name) const { return FindSection(name) != nullptr; }
    bool ValueExists(const std::string& section, const std::string& key) const;

    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // Decimal, or hexadecimal after "$" or "0x"; malformed or absent gives `def`.
    std::int32_t ReadInteger(const std::string& section, const std::string& key, std::int32_t def) const;
    // "1" or "TRUE" in any case is true.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    // "." as the decimal separator; malformed or absent gives `def`.
    double ReadFloat(const std::string& section, const std::string& key, double def) const;

private:
    class TBuilder;
    std::vector<TacIniSection> FSections;
};

std::string TrimBlanks(std::string_view s);
std::string UpperCase(std::string_view s);
bool StartsWith(std::string_view s, std::string_view prefix);
bool Contains(std::string_view s, std::string_view part);

// Integer text: optional sign, then decimal digits, or hex digits after "$", "0x" or "0X".
// Hexadecimal values of up to 8 digits wrap into the signed range (system colours).
std::optional<std::int32_t> ParseInteger(std::string_view text);
// Strict decimal integer: throws sj::Exception("'text' is not a valid integer value").
std::int32_t StrictDecimal(std::string_view text);
// A real number with "." as separator, independent of the C locale.
std::optional<double> ParseReal(std::string_view text);
// A flag: "1" or "TRUE" (any case).
bool ParseFlag(std::string_view text);

} // namespace sj
