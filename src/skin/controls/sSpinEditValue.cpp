#include "skin/controls/sSpinEditValue.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace sj {

namespace {

constexpr int MaxSignificantDigits = 18;
constexpr int MaxDecimals = 18;

bool IsSign(char ch) {
    return ch == '+' || ch == '-';
}

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

bool IsControlChar(char ch) {
    return static_cast<unsigned char>(ch) < 32;
}

bool WholeTextSelected(const TsTypingState& typing) {
    return typing.SelStart == 0 && typing.SelLength >= static_cast<int>(typing.Text.size());
}

// A separator that a typed character would replace does not count as already present.
bool HasSeparatorOutsideSelection(const TsTypingState& typing, const TsDecimalRules& rules) {
    for (int i = 0; i < static_cast<int>(typing.Text.size()); ++i) {
        const bool selected = i >= typing.SelStart && i < typing.SelStart + typing.SelLength;
        if (!selected && IsDecimalSeparator(typing.Text[static_cast<std::size_t>(i)], rules))
            return true;
    }
    return false;
}

// A selected sign is replaced by the typed character, so only a sign right after the
// selection counts.
bool CaretBeforeSign(const TsTypingState& typing) {
    const auto pos = static_cast<std::size_t>(std::max(typing.SelStart, 0) + std::max(typing.SelLength, 0));
    return pos < typing.Text.size() && IsSign(typing.Text[pos]);
}

TCharVerdict SeparatorVerdict(const TsTypingState& typing, const TsDecimalRules& rules) {
    if (rules.DecimalPlaces <= 0 || HasSeparatorOutsideSelection(typing, rules) || CaretBeforeSign(typing))
        return TCharVerdict::Refuse;
    return TCharVerdict::Accept;
}

TCharVerdict SignVerdict(char ch, const TsTypingState& typing, const TsDecimalRules& rules) {
    if (ch == '-' && !rules.AllowNegative)
        return TCharVerdict::Refuse;
    if (WholeTextSelected(typing))
        return TCharVerdict::Accept;
    const bool hasSign = std::any_of(typing.Text.begin(), typing.Text.end(), IsSign);
    return typing.SelStart == 0 && !hasSign ? TCharVerdict::Accept : TCharVerdict::Refuse;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Rewrites a number text into the portable "C" form, or returns nothing when it is not
// sign, digits, at most one separator, and an optional exponent with at least one digit.
std::optional<std::string> PortableNumberText(std::string_view text, const TsDecimalRules& rules) {
    std::string out;
    std::size_t i = 0;
    if (i < text.size() && IsSign(text[i]))
        out += text[i++];
    bool digits = false;
    bool separator = false;
    for (; i < text.size(); ++i) {
        const char ch = text[i];
        if (IsDigit(ch)) {
            digits = true;
            out += ch;
        } else if (IsDecimalSeparator(ch, rules) && !separator) {
            separator = true;
            out += '.';
        } else {
            break;
        }
    }
    if (!digits)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        out += 'e';
        ++i;
        if (i < text.size() && IsSign(text[i]))
            out += text[i++];
        const std::size_t exponentStart = i;
        while (i < text.size() && IsDigit(text[i]))
            out += text[i++];
        if (i == exponentStart)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    return out;
}

// The shortest decimal digits that read back as |x|, with the count of digits before the
// decimal point (may be zero or negative for small numbers).
struct TDecimalDigits {
    std::string Digits;
    int PointPos = 0;
};

TDecimalDigits ShortestDigits(double x) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific);
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = text.find('e');
    TDecimalDigits out;
    for (char ch : text.substr(0, e))
        if (IsDigit(ch))
            out.Digits += ch;
    int exponent = 0;
    const std::string_view expText = text.substr(e + 1);
    std::from_chars(expText.data() + (expText.front() == '+' ? 1 : 0), expText.data() + expText.size(), exponent);
    out.PointPos = exponent + 1;
    return out;
}

// Keeps `keep` leading digits, rounding halves away from zero.
void RoundDigits(TDecimalDigits& d, int keep) {
    if (keep >= static_cast<int>(d.Digits.size()))
        return;
    if (keep < 0) {
        d.Digits.clear();
        return;
    }
    const bool up = d.Digits[static_cast<std::size_t>(keep)] >= '5';
    d.Digits.resize(static_cast<std::size_t>(keep));
    if (!up)
        return;
    int i = keep - 1;
    for (; i >= 0 && d.Digits[static_cast<std::size_t>(i)] == '9'; --i)
        d.Digits[static_cast<std::size_t>(i)] = '0';
    if (i >= 0) {
        ++d.Digits[static_cast<std::size_t>(i)];
    } else {
        d.Digits.insert(d.Digits.begin(), '1');
        ++d.PointPos;
    }
}

char DigitAt(const TDecimalDigits& d, int index) {
    return index >= 0 && index < static_cast<int>(d.Digits.size()) ? d.Digits[static_cast<std::size_t>(index)] : '0';
}

bool AllZero(const std::string& digits) {
    return std::all_of(digits.begin(), digits.end(), [](char ch) { return ch == '0'; });
}

std::string NonFiniteText(double x) {
    if (std::isnan(x))
        return "NAN";
    return x < 0 ? "-INF" : "INF";
}

} // namespace

bool IsDecimalSeparator(char ch, const TsDecimalRules& rules) {
    if (rules.UseSystemDecSeparator)
        return ch == rules.SystemDecSeparator;
    return ch == '.' || ch == ',';
}

TCharVerdict DecimalCharVerdict(char ch, const TsTypingState& typing, const TsDecimalRules& rules) {
    if (!rules.EditorEnabled)
        return TCharVerdict::Refuse;
    if (ch == '\t' || ch == '\r')
        return TCharVerdict::Swallow;
    if (IsDecimalSeparator(ch, rules))
        return SeparatorVerdict(typing, rules);
    if (IsSign(ch))
        return SignVerdict(ch, typing, rules);
    if (IsDigit(ch) || IsControlChar(ch))
        return TCharVerdict::Accept;
    return TCharVerdict::Refuse;
}

std::optional<double> TryParseDecimal(std::string_view text, const TsDecimalRules& rules) {
    const auto portable = PortableNumberText(Trimmed(text), rules);
    if (!portable)
        return std::nullopt;
    const char* first = portable->data();
    if (*first == '+')
        ++first; // from_chars takes no plus sign
    double value = 0;
    const auto res = std::from_chars(first, portable->data() + portable->size(), value);
    if (res.ec != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double TypedValue(std::string_view text, const TsDecimalRules& rules) {
    return TryParseDecimal(text, rules).value_or(0.0);
}

double CheckValue(double x, const TsDecimalRules& rules) {
    double result = x;
    if (x < 0 && !rules.AllowNegative)
        result = std::max(rules.MinValue, 0.0);
    if (rules.MinValue != 0 && x < rules.MinValue)
        result = rules.MinValue;
    if (rules.MaxValue != 0 && x > rules.MaxValue)
        result = rules.MaxValue;
    return result;
}

double ValueToStore(double x, const TsDecimalRules& rules) {
    if (x < 0 && !rules.AllowNegative)
        x = std::max(rules.MinValue, 0.0);
    if (rules.MaxValue <= rules.MinValue)
        return x;
    return std::max(rules.MinValue, std::min(rules.MaxValue, x));
}

std::string FormatFixed(double x, int decimals, char separator) {
    if (!std::isfinite(x))
        return NonFiniteText(x);
    decimals = std::clamp(decimals, 0, MaxDecimals);
    TDecimalDigits d = ShortestDigits(x);
    if (d.PointPos > MaxSignificantDigits)
        return FormatGeneral(x, separator);
    RoundDigits(d, std::min(d.PointPos + decimals, MaxSignificantDigits));
    std::string out;
    if (x < 0 && !d.Digits.empty() && !AllZero(d.Digits))
        out += '-';
    if (d.PointPos <= 0)
        out += '0';
    for (int i = 0; i < d.PointPos; ++i)
        out += DigitAt(d, i);
    if (decimals > 0) {
        out += separator;
        for (int i = 0; i < decimals; ++i)
            out += DigitAt(d, d.PointPos + i);
    }
    return out;
}

std::string FormatGeneral(double x, char separator) {
    if (!std::isfinite(x))
        return NonFiniteText(x);
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
    std::string out(buf, res.ptr);
    for (char& ch : out) {
        if (ch == '.')
            ch = separator;
        else if (ch == 'e')
            ch = 'E';
    }
    return out;
}

std::string TextAfterPaste(std::string_view pasted, double previousValue, const TsDecimalRules& rules) {
    if (TryParseDecimal(pasted, rules))
        return std::string(pasted);
    return FormatGeneral(previousValue, rules.SystemDecSeparator);
}

double WheelStep(int wheelDelta, double increment) {
    return (wheelDelta / 120) * increment;
}

} // namespace sj
