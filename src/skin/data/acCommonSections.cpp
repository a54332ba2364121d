#include "skin/data/acCommonSections.h"

#include "skin/data/acMemIni.h"

namespace sj {

TacCommonSections::TacCommonSections(const std::vector<std::string>& lines) {
    TSection* current = nullptr;
    for (const std::string& line : lines) {
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            FSections.push_back(TSection{line.substr(1, line.size() - 2), {}});
            current = &FSections.back();
        } else if (current != nullptr && !line.empty() && line[0] != ';') {
            current->Lines.push_back(line);
        }
    }
}

std::optional<std::string> TacCommonSections::ValueOf(const TSection& section, const std::string& key) const {
    const std::string upperKey = UpperCase(key);
    for (const std::string& line : section.Lines) {
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos && UpperCase(line.substr(0, eq)) == upperKey) {
            return line.substr(eq + 1);
        }
    }
    return std::nullopt;
}

std::int32_t TacCommonSections::ReadInteger(const TSection& section, const std::string& key, std::int32_t def) const {
    const auto value = ValueOf(section, key);
    return value ? ParseInteger(*value).value_or(def) : def;
}

std::vector<std::string> NormalizeCommonSectionLines(const std::vector<std::string>& lines) {
    std::vector<std::string> result;
    result.reserve(lines.size());
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] == ';') {
            result.push_back(line);
            continue;
        }
        std::string stripped;
        for (char c : line) {
            if (c != ' ' && c != '\t') {
                stripped += c;
            }
        }
        result.push_back(stripped);
    }
    return result;
}

} // namespace sj
