#include "skin/controls/sSpinEditValue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace sj {
namespace {

TsDecimalRules DotRules() {
    TsDecimalRules rules;
    rules.SystemDecSeparator = '.';
    return rules;
}

TCharVerdict Type(char ch, std::string_view text, int selStart, int selLength = 0,
                  const TsDecimalRules& rules = DotRules()) {
    return DecimalCharVerdict(ch, TsTypingState{text, selStart, selLength}, rules);
}

TEST(SpinEditTyping, DigitsControlKeysAndSeparatorAreKeptLettersAreRefused) {
    EXPECT_EQ(Type('7', "12", 2), TCharVerdict::Accept);
    EXPECT_EQ(Type('\b', "12", 2), TCharVerdict::Accept);
    EXPECT_EQ(Type('\x1b', "12", 2), TCharVerdict::Accept);
    EXPECT_EQ(Type('\x16', "12", 2), TCharVerdict::Accept) << "Ctrl+V reaches the edit";
    EXPECT_EQ(Type('\t', "12", 2), TCharVerdict::Swallow);
    EXPECT_EQ(Type('\r', "12", 2), TCharVerdict::Swallow) << "Enter inserts nothing";
    EXPECT_EQ(Type('.', "12", 2), TCharVerdict::Accept);
    for (char ch : std::string("aZe ,/*"))
        EXPECT_EQ(Type(ch, "12", 2), TCharVerdict::Refuse) << ch;
}

TEST(SpinEditTyping, OneSeparatorOnlyAndNoneWithoutDecimals) {
    EXPECT_EQ(Type('.', "1.5", 3), TCharVerdict::Refuse);
    EXPECT_EQ(Type('.', "1.5", 0, 3), TCharVerdict::Accept) << "the selected separator is replaced";
    EXPECT_EQ(Type('.', "-5", 0), TCharVerdict::Refuse) << "not before the sign";
    EXPECT_EQ(Type('.', "-5", 0, 1), TCharVerdict::Accept) << "a selected sign is replaced";
    EXPECT_EQ(Type('.', "1-5", 0, 1), TCharVerdict::Refuse) << "the sign after the selection stays";
    TsDecimalRules noDecimals = DotRules();
    noDecimals.DecimalPlaces = 0;
    EXPECT_EQ(Type('.', "15", 1, 0, noDecimals), TCharVerdict::Refuse);
}

TEST(SpinEditTyping, SignsOnlyInFrontOrOverTheWholeText) {
    EXPECT_EQ(Type('-', "15", 0), TCharVerdict::Accept);
    EXPECT_EQ(Type('+', "15", 0), TCharVerdict::Accept);
    EXPECT_EQ(Type('-', "15", 1), TCharVerdict::Refuse) << "not in the middle";
    EXPECT_EQ(Type('-', "-15", 0), TCharVerdict::Refuse) << "no second sign";
    EXPECT_EQ(Type('-', "5-5", 1, 3), TCharVerdict::Refuse) << "a partial selection is no whole text";
    EXPECT_EQ(Type('-', "-15", 0, 3), TCharVerdict::Accept);
    EXPECT_EQ(Type('-', "", 0), TCharVerdict::Accept);

    TsDecimalRules positive = DotRules();
    positive.AllowNegative = false;
    EXPECT_EQ(Type('-', "15", 0, 0, positive), TCharVerdict::Refuse);
    EXPECT_EQ(Type('+', "15", 0, 0, positive), TCharVerdict::Accept);
}

TEST(SpinEditTyping, NothingIsTypedWhenTheEditorIsDisabled) {
    TsDecimalRules locked = DotRules();
    locked.EditorEnabled = false;
    for (char ch : std::string("5.-\b\r"))
        EXPECT_EQ(Type(ch, "1", 1, 0, locked), TCharVerdict::Refuse) << int(ch);
}

TEST(SpinEditTyping, SeparatorFollowsTheSystemOrTakesBothMarks) {
    TsDecimalRules system = DotRules();
    system.SystemDecSeparator = ',';
    EXPECT_EQ(Type(',', "1", 1, 0, system), TCharVerdict::Accept);
    EXPECT_EQ(Type('.', "1", 1, 0, system), TCharVerdict::Refuse);

    TsDecimalRules either = DotRules();
    either.UseSystemDecSeparator = false;
    EXPECT_EQ(Type(',', "1", 1, 0, either), TCharVerdict::Accept);
    EXPECT_EQ(Type('.', "1", 1, 0, either), TCharVerdict::Accept);
    EXPECT_EQ(Type('.', "1,5", 3, 0, either), TCharVerdict::Refuse) << "a comma already stands for the point";
}

TEST(SpinEditParsing, HalfTypedTextsCountAsZeroWithoutAnError) {
    for (const char* text : {"", "-", "+", ".", "5-5", "1..2", "1.5x", "e5", "1e"}) {
        EXPECT_FALSE(TryParseDecimal(text, DotRules())) << text;
        EXPECT_EQ(TypedValue(text, DotRules()), 0.0) << text;
    }
    EXPECT_EQ(TypedValue(" -1.25 ", DotRules()), -1.25);
    EXPECT_EQ(TypedValue("+3", DotRules()), 3.0);
    EXPECT_EQ(TypedValue(".5", DotRules()), 0.5);
    EXPECT_EQ(TypedValue("5.", DotRules()), 5.0);
    EXPECT_EQ(TypedValue("1.5E2", DotRules()), 150.0);
    EXPECT_FALSE(TryParseDecimal("1e999", DotRules())) << "an overflow is no number";
}

TEST(SpinEditParsing, TheAcceptedSeparatorIsTheOneParsed) {
    TsDecimalRules either = DotRules();
    either.UseSystemDecSeparator = false;
    EXPECT_EQ(TypedValue("1,5", either), 1.5);
    EXPECT_EQ(TypedValue("1.5", either), 1.5);
    EXPECT_FALSE(TryParseDecimal("1,5.2", either));

    TsDecimalRules comma = DotRules();
    comma.SystemDecSeparator = ',';
    EXPECT_EQ(TypedValue("2,25", comma), 2.25);
    EXPECT_FALSE(TryParseDecimal("2.25", comma));
}

TEST(SpinEditFormat, RoundsTheDecimalTextHalfAwayFromZero) {
    EXPECT_EQ(FormatFixed(1.555, 2, '.'), "1.56");
    EXPECT_EQ(FormatFixed(2.675, 2, '.'), "2.68");
    EXPECT_EQ(FormatFixed(1.005, 2, '.'), "1.01");
    EXPECT_EQ(FormatFixed(-1.555, 2, '.'), "-1.56");
    EXPECT_EQ(FormatFixed(1.554, 2, '.'), "1.55");
    EXPECT_EQ(FormatFixed(9.995, 2, '.'), "10.00") << "carry into a new digit";
    EXPECT_EQ(FormatFixed(0.004, 2, '.'), "0.00");
    EXPECT_EQ(FormatFixed(-0.004, 2, '.'), "0.00") << "no negative zero";
    EXPECT_EQ(FormatFixed(0.005, 2, '.'), "0.01");
    EXPECT_EQ(FormatFixed(0.0001, 2, '.'), "0.00");
    EXPECT_EQ(FormatFixed(1, 2, ','), "1,00");
    EXPECT_EQ(FormatFixed(1234567, 0, '.'), "1234567");
    EXPECT_EQ(FormatFixed(2.5, 0, '.'), "3");
    EXPECT_EQ(FormatFixed(0.5, -3, '.'), "1") << "negative decimals are none";
}

TEST(SpinEditFormat, KeepsAtMostEighteenSignificantDigits) {
    EXPECT_EQ(FormatFixed(123456789012345.0, 6, '.'), "123456789012345.000000");
    EXPECT_EQ(FormatFixed(0.1 + 0.2, 18, '.'), "0.300000000000000040") << "shortest digits, then padded";
    EXPECT_EQ(FormatFixed(1e20, 2, '.'), "1E+20") << "too long for fixed point";
    EXPECT_EQ(FormatFixed(-1e300, 2, '.').substr(0, 3), "-1E");
}

// Typed texts with three decimals, read back and shown with two, must round exactly as
// a person rounds the digits on screen.
TEST(SpinEditFormat, TypedThousandthsRoundLikeTheirDigits) {
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::int64_t> thousandths(-99999999, 99999999);
    for (int i = 0; i < 5000; ++i) {
        const std::int64_t m = thousandths(random);
        const std::int64_t a = m < 0 ? -m : m;
        const std::string typed = (m < 0 ? "-" : "") + std::to_string(a / 1000) + "." +
                                  std::string(3 - std::to_string(a % 1000).size(), '0') + std::to_string(a % 1000);
        const std::int64_t hundredths = (a + 5) / 10;
        const std::string cents = std::to_string(hundredths % 100);
        const std::string expected = (m < 0 && hundredths != 0 ? "-" : "") + std::to_string(hundredths / 100) + "." +
                                     std::string(2 - cents.size(), '0') + cents;
        EXPECT_EQ(FormatFixed(TypedValue(typed, DotRules()), 2, '.'), expected) << typed;
    }
}

TEST(SpinEditFormat, GeneralFormatDropsTrailingZeros) {
    EXPECT_EQ(FormatGeneral(1.0, '.'), "1");
    EXPECT_EQ(FormatGeneral(1.25, ','), "1,25");
    EXPECT_EQ(FormatGeneral(0.1 + 0.2, '.'), "0.3") << "fifteen digits";
}

TEST(SpinEditBounds, NoBoundsWhenBothAreZero) {
    const TsDecimalRules rules = DotRules();
    EXPECT_EQ(CheckValue(-5, rules), -5);
    EXPECT_EQ(ValueToStore(-5, rules), -5);
    EXPECT_EQ(ValueToStore(1e9, rules), 1e9);
}

TEST(SpinEditBounds, StoredValueIsClampedOnlyForARealRange) {
    TsDecimalRules rules = DotRules();
    rules.MinValue = 1;
    EXPECT_EQ(ValueToStore(-5, rules), -5) << "MaxValue 0 is not above MinValue";
    EXPECT_EQ(CheckValue(-5, rules), 1) << "the text is written from the checked value";
    EXPECT_EQ(FormatFixed(CheckValue(ValueToStore(-5, rules), rules), 2, '.'), "1.00");

    rules.MaxValue = 10;
    EXPECT_EQ(ValueToStore(-5, rules), 1);
    EXPECT_EQ(ValueToStore(12, rules), 10);
    EXPECT_EQ(ValueToStore(4.5, rules), 4.5);
    EXPECT_EQ(CheckValue(12, rules), 10);

    TsDecimalRules onlyMax = DotRules();
    onlyMax.MaxValue = 10;
    EXPECT_EQ(ValueToStore(-3, onlyMax), 0) << "a MaxValue above the zero MinValue makes a range";
    EXPECT_EQ(CheckValue(-3, onlyMax), -3) << "while the check reads MinValue 0 as no bound";
    EXPECT_EQ(CheckValue(11, onlyMax), 10);
}

TEST(SpinEditBounds, NegativesRefusedBecomeTheLowerBoundOrZero) {
    TsDecimalRules rules = DotRules();
    rules.AllowNegative = false;
    EXPECT_EQ(ValueToStore(-2, rules), 0);
    EXPECT_EQ(CheckValue(-2, rules), 0);
    rules.MinValue = -4; // a negative minimum cannot bring negatives back
    EXPECT_EQ(CheckValue(-2, rules), 0);
    rules.MinValue = 3;
    EXPECT_EQ(ValueToStore(-2, rules), 3);
}

TEST(SpinEditPaste, ANonNumberBringsBackThePreviousValue) {
    EXPECT_EQ(TextAfterPaste("12.5", 1, DotRules()), "12.5");
    EXPECT_EQ(TextAfterPaste("12abc", 1.5, DotRules()), "1.5");
    EXPECT_EQ(TextAfterPaste("", 2, DotRules()), "2");
}

TEST(SpinEditWheel, OnlyWholeNotchesStep) {
    EXPECT_EQ(WheelStep(120, 1.5), 1.5);
    EXPECT_EQ(WheelStep(60, 1.5), 0.0);
    EXPECT_EQ(WheelStep(-240, 1.0), -2.0);
    EXPECT_EQ(WheelStep(-119, 1.0), 0.0);
}

} // namespace
} // namespace sj
