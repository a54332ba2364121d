// The number rules of the decimal spin edit, free of any window: which typed characters
// are kept, how a text becomes a number, how the stored number is bounded and how it is
// written back as text. The decimal separator is always passed in, never read from the
// process locale, so the rules behave the same on every machine.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sj {

// What becomes of one typed character.
enum class TCharVerdict {
    Accept,  // inserted (or handled) by the edit as usual
    Swallow, // allowed, but removed from the input: Tab and Enter insert nothing
    Refuse,  // dropped with a beep
};

// The settings of the decimal spin edit the rules depend on.
struct TsDecimalRules {
    double MinValue = 0; // 0: no lower bound
    double MaxValue = 0; // 0: no upper bound
    int DecimalPlaces = 2;
    bool AllowNegative = true;
    bool EditorEnabled = true;
    bool UseSystemDecSeparator = true;
    char SystemDecSeparator = '.';
};

// The edit's text and selection at the moment a character is typed.
struct TsTypingState {
    std::string_view Text;
    int SelStart = 0;
    int SelLength = 0;
};

// True for the separators the rules accept: the system's, or "." and "," when the
// system's separator is not used.
bool IsDecimalSeparator(char ch, const TsDecimalRules& rules);

TCharVerdict DecimalCharVerdict(char ch, const TsTypingState& typing, const TsDecimalRules& rules);

// A whole number text (spaces around it allowed, one sign, digits with one accepted
// separator, an optional exponent); nothing when it is no number.
std::optional<double> TryParseDecimal(std::string_view text, const TsDecimalRules& rules);

// The number a text the user is editing stands for: 0 for an empty text, a lone sign, a
// lone separator or anything else that is no number yet, without any message.
double TypedValue(std::string_view text, const TsDecimalRules& rules);

// The bound the text is written from: a negative number when negatives are refused
// becomes max(MinValue, 0); a set MinValue or MaxValue is enforced.
double CheckValue(double x, const TsDecimalRules& rules);

// The number kept when a value is written: negatives refused as in CheckValue; the range
// is applied only when MaxValue > MinValue.
double ValueToStore(double x, const TsDecimalRules& rules);

// Fixed-point text with `decimals` decimals and at most 18 significant digits. The
// rounding (halves away from zero) is done on the shortest decimal text that reads back
// as x, so 1.555 gives "1.56" as the user expects, although the binary double is a
// little below 1.555.
std::string FormatFixed(double x, int decimals, char separator);

// The general number format (up to 15 significant digits, no trailing zeros) used when a
// paste left no number behind.
std::string FormatGeneral(double x, char separator);

// The text left after a paste: the pasted result when it is a number, otherwise the previous value in the general
// format.
std::string TextAfterPaste(std::string_view pasted, double previousValue, const TsDecimalRules& rules);

// One wheel message: whole notches of 120 only.
double WheelStep(int wheelDelta, double increment);

} // namespace sj
