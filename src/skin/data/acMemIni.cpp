#include "skin/data/acMemIni.h"

#include "platform/Exception.h"
#include "platform/IniText.h"

#include <charconv>
#include <limits>

namespace sj {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::int32_t> ParseHex(std::string_view digits, bool negative) {
    if (digits.empty() || digits.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t v = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0) {
            return std::nullopt;
        }
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    if (negative) {
        v = 0u - v;
    }
    return static_cast<std::int32_t>(v);
}

std::optional<std::int32_t> ParseDecimal(std::string_view digits, bool negative) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::int64_t v = 0;
    for (char c : digits) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        v = v * 10 + (c - '0');
        if (v > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) {
            return std::nullopt;
        }
    }
    if (negative) {
        v = -v;
    }
    if (v > std::numeric_limits<std::int32_t>::max() || v < std::numeric_limits<std::int32_t>::min()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(v);
}

} // namespace

std::string TrimBlanks(std::string_view s) {
    return std::string(TrimIniBlanks(s));
}

std::string UpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return r;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool Contains(std::string_view s, std::string_view part) {
    return s.find(part) != std::string_view::npos;
}

std::optional<std::int32_t> ParseInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (StartsWith(text, "$")) {
        return ParseHex(text.substr(1), negative);
    }
    if (StartsWith(text, "0x") || StartsWith(text, "0X")) {
        return ParseHex(text.substr(2), negative);
    }
    return ParseDecimal(text, negative);
}

std::int32_t StrictDecimal(std::string_view text) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    const auto value = ParseDecimal(digits, negative);
    if (!value) {
        throw Exception("'" + std::string(text) + "' is not a valid integer value");
    }
    return *value;
}

std::optional<double> ParseReal(std::string_view text) {
    // from_chars never consults the locale, which is exactly what skins need.
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
    }
    const std::string_view unsigned_ = StartsWith(text, "-") ? text.substr(1) : text;
    if (unsigned_.empty() || !(IsDigit(unsigned_[0]) || unsigned_[0] == '.')) {
        return std::nullopt; // also keeps out "inf" and "nan"
    }
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::general);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return v;
}

bool ParseFlag(std::string_view text) {
    const std::string upper = UpperCase(text);
    return upper == "1" || upper == "TRUE";
}

const TacIniEntry* TacIniSection::Find(const std::string& key) const {
    for (const TacIniEntry& e : Entries) {
        if (e.Key == key) {
            return &e;
        }
    }
    return nullptr;
}

// Builds the sections of a description: a repeated header continues the earlier
// section, and a repeated key keeps its first value.
class TacMemIni::TBuilder final : public TIniTextHandler {
public:
    explicit TBuilder(std::vector<TacIniSection>& sections) : FSections(sections) {}

    void OnSection(std::string_view name) override { FCurrent = &SectionNamed(name); }

    void OnEntry(std::string_view key, std::string_view value) override {
        if (FCurrent->Find(std::string(key)) == nullptr) {
            FCurrent->Entries.push_back(TacIniEntry{std::string(key), std::string(value)});
        }
    }

private:
    TacIniSection& SectionNamed(std::string_view name) {
        for (TacIniSection& s : FSections) {
            if (s.Name == name) {
                return s;
            }
        }
        FSections.push_back(TacIniSection{std::string(name), {}});
        return FSections.back();
    }

    std::vector<TacIniSection>& FSections;
    TacIniSection* FCurrent = nullptr;
};

void TacMemIni::SetText(std::string_view text) {
    FSections.clear();
    TBuilder builder(FSections);
    ReadIniText(text, builder);
}

void TacMemIni::SetLines(const std::vector<std::string>& lines) {
    FSections.clear();
    TBuilder builder(FSections);
    ReadIniLines(lines, builder);
}

const TacIniSection* TacMemIni::FindSection(const std::string& name) const {
    for (const TacIniSection& s : FSections) {
        if (s.Name == name) {
            return &s;
        }
    }
    return nullptr;
}

bool TacMemIni::ValueExists(const std::string& section, const std::string& key) const {
    const TacIniSection* s = FindSection(section);
    return s != nullptr && s->Find(key) != nullptr;
}

std::string TacMemIni::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
    const TacIniSection* s = FindSection(section);
    const TacIniEntry* e = s ? s->Find(key) : nullptr;
    return e ? e->Value : def;
}

std::int32_t TacMemIni::ReadInteger(const std::string& section, const std::string& key, std::int32_t def) const {
    const TacIniSection* s = FindSection(section);
    const TacIniEntry* e = s ? s->Find(key) : nullptr;
    if (e == nullptr) {
        return def;
    }
    return ParseInteger(e->Value).value_or(def);
}

bool TacMemIni::ReadBool(const std::string& section, const std::string& key, bool def) const {
    const TacIniSection* s = FindSection(section);
    const TacIniEntry* e = s ? s->Find(key) : nullptr;
    return e ? ParseFlag(e->Value) : def;
}

double TacMemIni::ReadFloat(const std::string& section, const std::string& key, double def) const {
    const TacIniSection* s = FindSection(section);
    const TacIniEntry* e = s ? s->Find(key) : nullptr;
    return e ? ParseReal(e->Value).value_or(def) : def;
}

} // namespace sj
