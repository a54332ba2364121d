// An INI view held in memory, built from text lines and never written back.
//
// Rules: lines are trimmed of surrounding blanks; empty lines and lines starting with
// ";" are ignored; "[name]" opens a section; other lines are key=value pairs split at
// the first "=", both sides trimmed. Lines before the first section and lines without
// "=" carry no value. Section and key names match without regard to case; when a key
// appears twice in a section, the first one counts.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sj {

class TMemIniFile {
public:
    TMemIniFile() = default;
    explicit TMemIniFile(const std::vector<std::string>& lines);

    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

private:
    class TBuilder;
    using TKeyValue = std::pair<std::string, std::string>;
    struct TSection {
        std::string Name;
        std::vector<TKeyValue> Values;
    };

    TSection& SectionNamed(std::string_view name);
    const TKeyValue* FindValue(std::string_view section, std::string_view key) const;

    std::vector<TSection> FSections;
};

// An INI integer: optional blanks, optional sign, then decimal digits or hexadecimal
// digits after "0x"; nothing may follow. Values outside the 32-bit range are invalid.
std::optional<int> ParseIniInteger(std::string_view text);

} // namespace sj
