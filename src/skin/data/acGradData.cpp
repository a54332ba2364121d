#include "skin/data/acGradData.h"

#include "skin/data/acMemIni.h"

#include <algorithm>
#include <string>

namespace sj {

namespace {

std::vector<std::string_view> SplitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t sep = text.find(';', start);
        fields.push_back(text.substr(start, sep == std::string_view::npos ? std::string_view::npos : sep - start));
        if (sep == std::string_view::npos) {
            break;
        }
        start = sep + 1;
    }
    // "a;b;" ends in a separator, not in an empty number.
    if (!fields.empty() && TrimBlanks(fields.back()).empty()) {
        fields.pop_back();
    }
    return fields;
}

std::int32_t Field(std::string_view f) {
    return StrictDecimal(TrimBlanks(f));
}

} // namespace

TsGradArray ParseGradientData(std::string_view text) {
    const std::string trimmed = TrimBlanks(text);
    // "N/A", which skins write for "no gradient", holds fewer than five fields and so
    // gives no steps without any number being read.
    if (trimmed.size() < 2) {
        return {};
    }
    const std::vector<std::string_view> fields = SplitFields(trimmed);
    const std::size_t count = fields.size() / 5;
    TsGradArray steps(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view* f = &fields[i * 5];
        steps[i].Color1 = std::max(Field(f[0]), 0);
        steps[i].Color2 = std::max(Field(f[1]), 0);
        steps[i].Percent = std::clamp(Field(f[2]), 0, 100);
        steps[i].Mode = Field(f[3]);
    }
    return steps;
}

} // namespace sj
