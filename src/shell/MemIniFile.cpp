#include "shell/MemIniFile.h"

#include "platform/IniText.h"

#include <algorithm>
#include <cstdint>

namespace sj {
namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    const char lower = LowerAscii(c);
    if (lower >= 'a' && lower <= 'f')
        return lower - 'a' + 10;
    return -1;
}

std::optional<std::int64_t> ParseDigits(std::string_view digits, int base) {
    if (digits.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : digits) {
        const int digit = DigitValue(c);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFFFLL) // far enough past the 32-bit range to stop early
            return std::nullopt;
    }
    return value;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

} // namespace

std::optional<int> ParseIniInteger(std::string_view text) {
    std::string_view rest = TrimIniBlanks(text);
    bool negative = false;
    if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    int base = 10;
    if (rest.size() > 2 && rest[0] == '0' && LowerAscii(rest[1]) == 'x') {
        base = 16;
        rest.remove_prefix(2);
    }
    const std::optional<std::int64_t> magnitude = ParseDigits(rest, base);
    if (!magnitude)
        return std::nullopt;
    const std::int64_t value = negative ? -*magnitude : *magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

class TMemIniFile::TBuilder final : public TIniTextHandler {
public:
    explicit TBuilder(TMemIniFile& ini) : FIni(ini) {}

    void OnSection(std::string_view name) override { FCurrent = &FIni.SectionNamed(name); }
    // Every entry is kept, also a repeated key; lookups take the first one.
    void OnEntry(std::string_view key, std::string_view value) override {
        FCurrent->Values.emplace_back(std::string(key), std::string(value));
    }

private:
    TMemIniFile& FIni;
    TSection* FCurrent = nullptr;
};

TMemIniFile::TMemIniFile(const std::vector<std::string>& lines) {
    TBuilder builder(*this);
    ReadIniLines(lines, builder);
}

TMemIniFile::TSection& TMemIniFile::SectionNamed(std::string_view name) {
    // A section written twice is one section: its keys are merged in file order.
    for (TSection& section : FSections)
        if (SameText(section.Name, name))
            return section;
    FSections.push_back(TSection{std::string(name), {}});
    return FSections.back();
}

const TMemIniFile::TKeyValue* TMemIniFile::FindValue(std::string_view section, std::string_view key) const {
    for (const TSection& candidate : FSections) {
        if (!SameText(candidate.Name, section))
            continue;
        for (const TKeyValue& value : candidate.Values)
            if (SameText(value.first, key))
                return &value;
        return nullptr;
    }
    return nullptr;
}

std::string TMemIniFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    const TKeyValue* value = FindValue(section, key);
    return value != nullptr ? value->second : std::string(defaultValue);
}

bool TMemIniFile::SectionExists(std::string_view section) const {
    return std::any_of(FSections.begin(), FSections.end(),
                       [&](const TSection& candidate) { return SameText(candidate.Name, section); });
}

bool TMemIniFile::ValueExists(std::string_view section, std::string_view key) const {
    return FindValue(section, key) != nullptr;
}

} // namespace sj
