// The extra description lines a manager adds to every skin it loads. They have a
// small reader of their own: sections compare exactly, keys without regard to case,
// and a value is the rest of the line after the key's "=".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sj {

class TacCommonSections {
public:
    struct TSection {
        std::string Name;
        std::vector<std::string> Lines;
    };

    TacCommonSections() = default;
    explicit TacCommonSections(const std::vector<std::string>& lines);

    bool Empty() const { return FSections.empty(); }
    const std::vector<TSection>& Sections() const { return FSections; }

    std::optional<std::string> ValueOf(const TSection& section, const std::string& key) const;
    // Decimal, or hexadecimal after "$", "0x" or "0X"; anything else gives `def`.
    std::int32_t ReadInteger(const TSection& section, const std::string& key, std::int32_t def) const;

private:
    std::vector<TSection> FSections;
};

// The lines as the manager stores them: every blank removed from lines that are not
// comments.
std::vector<std::string> NormalizeCommonSectionLines(const std::vector<std::string>& lines);

} // namespace sj
