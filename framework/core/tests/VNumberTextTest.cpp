// The text forms of numbers: formatter modes, NaN and infinity texts, the
// readers with their separators, and their wrapping without overflow.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VNumberText.h"

namespace {

std::u16string Units(const VString& s) {
  std::u16string text;
  for (int32_t i = 1; i <= s.GetLength(); ++i) text += s.GetCharAt(i);
  return text;
}

std::u16string Integer(int32_t n, int32_t mode) {
  VStr<255> s;
  FormatInteger(s, n, mode, '.');
  return Units(s);
}

std::u16string Real(double x, int32_t mode, int32_t digits = kDefaultRealDigits, char sep = '.') {
  VStr<255> s;
  FormatReal(s, x, mode, digits, sep);
  return Units(s);
}

}  // namespace

TEST(NumberText, DecimalIntegersWithSignAndZero) {
  EXPECT_EQ(Integer(-2147483647 - 1, kNumberDecimal), u"-2147483648");
  EXPECT_EQ(Integer(0, kNumberDecimal), u"0");
  EXPECT_EQ(Integer(2147483647, kNumberDecimal), u"2147483647");
  EXPECT_EQ(Integer(-7, kNumberDecimal), u"-7");
}

TEST(NumberText, HexadecimalModesPadAndCut) {
  EXPECT_EQ(Integer(255, kNumberHex2), u"FF");
  EXPECT_EQ(Integer(0x1234, kNumberHex2), u"34");
  EXPECT_EQ(Integer(1, kNumberHex4), u"0001");
  EXPECT_EQ(Integer(0x12345, kNumberHex), u"12345");
  EXPECT_EQ(Integer(0, kNumberHex), u"0");
  EXPECT_EQ(Integer(-1, kNumberHex8), u"FFFFFFFF");
  EXPECT_EQ(Integer(0xABC, kNumberHex16), u"0000000000000ABC");
}

TEST(NumberText, FourCharacterCodeHighestByteFirst) {
  EXPECT_EQ(Integer(int32_t(0x41424344), kNumberFourCharCode), u"ABCD");
}

TEST(NumberText, IntegerInRealModesGoesThroughTheRealFormatter) {
  EXPECT_EQ(Integer(5, kNumberFixed), u"5.00000000000000");
  EXPECT_EQ(Integer(5, kNumberGeneral), u"5");
}

TEST(NumberText, ModeWithoutATextAppendsNothing) {
  EXPECT_EQ(Integer(5, 4), u"");
  EXPECT_EQ(Integer(5, 22), u"");
  EXPECT_EQ(Real(5.0, 9), u"");
  EXPECT_EQ(Real(5.0, -1), u"");
}

TEST(NumberText, FormattersAppendWithoutEmptying) {
  VStr<255> s;
  FormatInteger(s, 1, kNumberDecimal, '.');
  FormatLongLong(s, -2);
  EXPECT_EQ(Units(s), u"1-2");
}

TEST(NumberText, LongLongExtremes) {
  VStr<255> s;
  FormatLongLong(s, -9223372036854775807LL - 1);
  EXPECT_EQ(Units(s), u"-9223372036854775808");
}

TEST(NumberText, RealGeneralUsesTheDecimalSeparator) {
  EXPECT_EQ(Real(0.5, kNumberGeneral, kDefaultRealDigits, ','), u"0,5");
  EXPECT_EQ(Real(0.5, kNumberGeneral), u"0.5");
  EXPECT_EQ(Real(1e20, kNumberGeneral), u"1E+20");
  EXPECT_EQ(Real(1.5, kNumberFixed, 2), u"1.50");
  EXPECT_EQ(Real(1234.5, kNumberExponent), u"1.234500E+03");
}

TEST(NumberText, OnlyTheFirstPointBecomesTheSeparator) {
  EXPECT_EQ(Real(2.25, kNumberFixed, 2, ','), u"2,25");
}

TEST(NumberText, NaNAndInfinities) {
  EXPECT_EQ(Real(std::nan(""), kNumberGeneral), u"NaN");
  EXPECT_EQ(Real(-HUGE_VAL, kNumberGeneral), u"-\u221E");
  EXPECT_EQ(Real(HUGE_VAL, kNumberDecimal), u"+\u221E");
}

TEST(NumberText, WholeNumberModeTruncates) {
  EXPECT_EQ(Real(3e9, kNumberDecimal), u"3000000000");
  EXPECT_EQ(Real(-1.7, kNumberDecimal), u"-1");
  EXPECT_EQ(Real(-0.5, kNumberDecimal), u"0");
  EXPECT_EQ(Real(2147483647.0, kNumberDecimal), u"2147483647");
  EXPECT_EQ(Real(-2147483648.9, kNumberDecimal), u"-2147483648");
}

TEST(NumberText, WholeNumberBeyondSixtyFourBitsSaturates) {
  EXPECT_EQ(Real(1e30, kNumberDecimal), u"9223372036854775807");
  EXPECT_EQ(Real(-1e30, kNumberDecimal), u"-9223372036854775808");
}

TEST(NumberText, RealInIntegerModesIsTruncatedFirst) {
  EXPECT_EQ(Real(255.9, kNumberHex2), u"FF");
  EXPECT_EQ(Real(std::nan(""), kNumberHex), u"0");
}

TEST(NumberText, LargestRealInFixedModeFitsWhole) {
  VStrInHandle s;
  FormatReal(s, 1.7976931348623157e308, kNumberFixed, 2, '.');
  EXPECT_EQ(s.GetLength(), 309 + 3);
  EXPECT_EQ(s.GetCharAt(1), u'1');
}

TEST(NumberText, ParseLongEdgeCases) {
  EXPECT_EQ(ParseLong("--5", '.'), -5);
  EXPECT_EQ(ParseLong("1,5", ','), 1);
  EXPECT_EQ(ParseLong("abc", '.'), 0);
  EXPECT_EQ(ParseLong("2e3", '.'), 2000);
  EXPECT_EQ(ParseLong("7-", '.'), 7);
  EXPECT_EQ(ParseLong("12.9", '.'), 12);
  EXPECT_EQ(ParseLong("1.5e1", '.'), 10);
  EXPECT_EQ(ParseLong("1 000", '.'), 1000);
  EXPECT_EQ(ParseLong("15e-1", '.'), 1);
  EXPECT_EQ(ParseLong("-15e-1", '.'), -1);
  EXPECT_EQ(ParseLong("", '.'), 0);
}

TEST(NumberText, ParseLongWrapsAtThirtyTwoBitsWithoutOverflow) {
  EXPECT_EQ(ParseLong("2147483648", '.'), -2147483647 - 1);
  EXPECT_EQ(ParseLong("-2147483648", '.'), -2147483647 - 1);
  EXPECT_EQ(ParseLong("4294967297", '.'), 1);
  // 10 to the 20th minus 1, modulo 2 to the 32nd.
  EXPECT_EQ(ParseLong("99999999999999999999", '.'), 1661992959);
  // 2 x 10 to the 10th wraps as a 32-bit number.
  EXPECT_EQ(ParseLong("2e10", '.'), int32_t(uint32_t(20000000000ull & 0xFFFFFFFFull)));
}

TEST(NumberText, ParseLongHugeExponentsEndAtZeroQuickly) {
  EXPECT_EQ(ParseLong("1e4294967295", '.'), 0);
  EXPECT_EQ(ParseLong("5e-4294967295", '.'), 0);
  // The exponent wraps too (to 276447231 here), and a power of ten that
  // large leaves nothing of a 32-bit number.
  EXPECT_EQ(ParseLong("3e99999999999999", '.'), 0);
  // An exponent that wraps to a small number: 4294967298 is 2 modulo 2^32.
  EXPECT_EQ(ParseLong("3e4294967298", '.'), 300);
}

TEST(NumberText, ParseWordCutsToSixteenBits) {
  EXPECT_EQ(ParseWord("70000", '.'), 4464);
  EXPECT_EQ(ParseWord("65535", '.'), -1);
}

TEST(NumberText, ParseLongLongStopsAtTheSeparator) {
  EXPECT_EQ(ParseLongLong("-9223372036854775808", '.'), -9223372036854775807LL - 1);
  EXPECT_EQ(ParseLongLong("12.9", '.'), 12);
  EXPECT_EQ(ParseLongLong("2e3", '.'), 23);  // no exponent: the e is skipped
  EXPECT_EQ(ParseLongLong("18446744073709551617", '.'), 1);
}

TEST(NumberText, ParseRealWithSeparatorFractionAndExponent) {
  EXPECT_EQ(ParseReal("1,25e2", ','), 125.0);
  EXPECT_EQ(ParseReal("-0.5", '.'), -0.5);
  EXPECT_EQ(ParseReal("+3", '.'), 3.0);
  EXPECT_EQ(ParseReal("1.5.7", '.'), 1.5);
  EXPECT_EQ(ParseReal("2.5e-1", '.'), 0.25);
  EXPECT_EQ(ParseReal("0.1-", '.'), 0.1);  // a minus in the fraction does nothing
}

TEST(NumberText, ParseRealHugeExponents) {
  EXPECT_EQ(ParseReal("0e999", '.'), 0.0);
  EXPECT_TRUE(std::isinf(ParseReal("1e999", '.')));
  EXPECT_EQ(ParseReal("1e-999", '.'), 0.0);
}

TEST(NumberText, FormattedNumbersReadBack) {
  for (const int32_t n : {0, 1, -1, 123456789, -2147483647 - 1, 2147483647}) {
    VStr<255> s;
    FormatInteger(s, n, kNumberDecimal, '.');
    std::string text;
    for (int32_t i = 1; i <= s.GetLength(); ++i) text += char(s.GetCharAt(i));
    EXPECT_EQ(ParseLong(text, '.'), n);
  }
  for (const double x : {0.5, -1234.25, 1e-5, 6.02214076e23}) {
    VStr<255> s;
    FormatReal(s, x, kNumberGeneral, kDefaultRealDigits, ',');
    std::string text;
    for (int32_t i = 1; i <= s.GetLength(); ++i) text += char(s.GetCharAt(i));
    EXPECT_NEAR(ParseReal(text, ','), x, std::fabs(x) * 1e-13) << text;
  }
}
