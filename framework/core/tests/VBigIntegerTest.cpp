// Big integers: the byte layout, arithmetic with its wrapping, division
// toward zero, signed comparison, mixed widths, the decimal text both ways,
// reals, and the value interface's conversions and copies.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/StringTestSupport.h"
#include "framework/core/values/VBigInteger.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VLongLong.h"
#include "testsupport/FakeHost.h"

using string_tests::Text;

namespace {

// A 32-bit integer value that records how a number is set into it.
class LongValue : public VValueSingle {
 public:
  explicit LongValue(int32_t v = 0) : value(v) {}
  VValue* Clone() const override { return new LongValue(*this); }
  int32_t GetKind() const override { return kValueLong; }
  int32_t Compare(const VValue&, int32_t, int32_t) const override { return 0; }
  int32_t GetLong(int32_t) const override { return value; }
  int64_t GetLongLong(int32_t) const override { return value; }
  void SetLong(int32_t v, int32_t) override { value = v; }
  void SetLongLong(int64_t v, int32_t) override {
    value = int32_t(v);
    ++longLongSets;
  }
  void ConvertTo(VValue& destination, int32_t range) const override { destination.SetLong(value, range); }

  int32_t value;
  int longLongSets = 0;
};

class BigInteger : public string_tests::WithTextTables {};

std::string Decimal(const VBigInteger& n) {
  VAnsiStr<80> text;
  n.FormatTo(text, nullptr, kWholeValue);
  char out[81];
  text.GetCText(out, sizeof out, kCharSetAnsi);
  return out;
}

VBigInteger FromText(const char* text, uint32_t width = kBigIntegerBytes) {
  VAnsiStr<80> s;
  s.SetAnsiCText(text);
  VBigInteger n(width);
  n.SetString(s, kWholeValue);
  return n;
}

VBigInteger PowerOfTwo(uint32_t exponent, uint32_t width = kBigIntegerBytes) {
  return VBigInteger(width, int32_t(1)).ShiftLeft(exponent);
}

}  // namespace

TEST_F(BigInteger, BytesAreLeastSignificantFirstWithTheSignOnTop) {
  VBigInteger n;
  EXPECT_EQ(n.GetByteCount(), 16u);
  EXPECT_EQ(n.GetDataSize(), 16u);
  n.SetLong(0x01020304, kWholeValue);
  uint8_t stored[20];
  std::memset(stored, 0xAA, sizeof stored);
  EXPECT_EQ(n.ToData(stored, kWholeValue), stored + 16);
  const uint8_t expected[16] = {4, 3, 2, 1};
  EXPECT_EQ(std::memcmp(stored, expected, 16), 0);
  EXPECT_EQ(stored[16], 0xAA);

  n.SetLong(-1, kWholeValue);
  for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(n.GetBytes()[i], 0xFF) << i;
  EXPECT_EQ(n.GetLongLong(kWholeValue), -1);
  EXPECT_EQ(Decimal(n), "-1");

  VBigInteger back;
  EXPECT_EQ(back.FromData(stored, kWholeValue), stored + 16);
  EXPECT_EQ(back.GetLong(kWholeValue), 0x01020304);
  EXPECT_EQ(back.FromData(nullptr, kWholeValue), nullptr);
}

TEST_F(BigInteger, NarrowSettersExtendAndLeaveTheNullFlag) {
  VBigInteger n(kFixedPointBytes);
  n.SetNull(true, kWholeValue);
  n.SetWord(-2, kWholeValue);
  EXPECT_EQ(Decimal(n), "-2");
  n.SetBoolean(200, kWholeValue);
  EXPECT_EQ(Decimal(n), "200");
  n.SetLongLong(std::numeric_limits<int64_t>::min(), kWholeValue);
  EXPECT_EQ(Decimal(n), "-9223372036854775808");
  EXPECT_TRUE(n.IsNull(kWholeValue));
  n.SetUnsignedLong(0xFFFFFFFFu);
  EXPECT_EQ(Decimal(n), "4294967295");
  n.SetUnsignedLongLong(0xFFFFFFFFFFFFFFFFull);
  EXPECT_EQ(Decimal(n), "18446744073709551615");
  EXPECT_TRUE(n.IsNull(kWholeValue));
}

TEST_F(BigInteger, GettersTakeTheLowBits) {
  const VBigInteger twoTo32 = PowerOfTwo(32);
  EXPECT_FALSE(twoTo32.GetBoolean(kWholeValue));
  EXPECT_EQ(twoTo32.GetLong(kWholeValue), 0);
  EXPECT_EQ(twoTo32.GetTime(kWholeValue), 0);
  EXPECT_EQ(twoTo32.GetLongLong(kWholeValue), int64_t(1) << 32);
  const VBigInteger n(16, int32_t(0x12348765));
  EXPECT_EQ(n.GetWord(kWholeValue), int16_t(0x8765));
  EXPECT_TRUE(n.GetBoolean(kWholeValue));
}

TEST_F(BigInteger, SetStringReadsDigitsAndAMinusAnywhere) {
  EXPECT_EQ(Decimal(FromText("12-3")), "-123");
  EXPECT_EQ(Decimal(FromText("1 000")), "1000");
  EXPECT_EQ(Decimal(FromText("")), "0");
  EXPECT_EQ(Decimal(FromText("abc")), "0");
  EXPECT_EQ(Decimal(FromText("--5")), "-5");
  // Wider than 64 bits, and wrapping past the width.
  EXPECT_EQ(Decimal(FromText("123456789012345678901234567890")), "123456789012345678901234567890");
  EXPECT_EQ(Decimal(FromText("340282366920938463463374607431768211457")), "1");  // 2^128 + 1

  VStr<15> null;
  null.SetNull(true, kWholeValue);
  VBigInteger n(16, int32_t(7));
  n.SetString(null, kWholeValue);
  EXPECT_TRUE(n.IsNull(kWholeValue));
  EXPECT_EQ(n.GetLong(kWholeValue), 7);  // a null string sets no number
  VStr<15> digits;
  digits.SetAnsiCText("42");
  n.SetString(digits, kWholeValue);
  EXPECT_FALSE(n.IsNull(kWholeValue));
  EXPECT_EQ(n.GetLong(kWholeValue), 42);
}

TEST_F(BigInteger, DecimalTextOfZeroTheExtremesAndTenToThe20th) {
  EXPECT_EQ(Decimal(VBigInteger()), "0");
  EXPECT_EQ(Decimal(FromText("100000000000000000000")), "100000000000000000000");
  const VBigInteger min = PowerOfTwo(127);
  EXPECT_TRUE(min.IsNegative());
  EXPECT_EQ(Decimal(min), "-170141183460469231731687303715884105728");
  EXPECT_EQ(Decimal(min.Subtract(VBigInteger(16, int32_t(1)))),
            "170141183460469231731687303715884105727");
  EXPECT_EQ(Decimal(PowerOfTwo(95, kFixedPointBytes)), "-39614081257132168796771975168");
}

TEST_F(BigInteger, FormatToAppliesTheHostsNumberFormat) {
  FakeHost host;
  ResetDisplayRoutines();
  VDisplayRoutines routines{};
  routines.filled = [] {};
  // The host's routine puts the format's first character around the text.
  routines.numberFormat = [](uint8_t* text, const uint8_t* format) {
    const uint8_t n = text[0];
    std::memmove(text + 2, text + 1, n);
    text[1] = format[1];
    text[n + 2] = format[1];
    text[0] = uint8_t(n + 2);
  };
  host.SetDisplayRoutines(routines);
  VStr<31> format, out;
  format.SetAnsiCText("*#");
  VBigInteger(16, int32_t(-45)).FormatTo(out, &format, kWholeValue);
  EXPECT_EQ(Text(out), u"*-45*");
  ResetDisplayRoutines();
}

TEST_F(BigInteger, AddAndSubtractCarryAcrossBytesAndWrapAtTheTop) {
  const VBigInteger a(16, int64_t(0xFFFFFFFFFFLL));
  EXPECT_EQ(Decimal(a.Add(VBigInteger(16, int32_t(1)))), "1099511627776");
  EXPECT_EQ(Decimal(VBigInteger(16, int32_t(0)).Subtract(VBigInteger(16, int32_t(1)))), "-1");
  const VBigInteger max = PowerOfTwo(127).Subtract(VBigInteger(16, int32_t(1)));
  EXPECT_TRUE(max.Add(VBigInteger(16, int32_t(1))).IsEqual(PowerOfTwo(127)));
  VBigInteger n(16, int32_t(10));
  n.AddInPlace(VBigInteger(16, int32_t(-15)));
  EXPECT_EQ(Decimal(n), "-5");
  n.SubtractInPlace(VBigInteger(16, int32_t(-5)));
  EXPECT_TRUE(n.IsZero());
}

TEST_F(BigInteger, MultiplyKeepsTheLowBytesOfTheProduct) {
  EXPECT_EQ(Decimal(FromText("123456789012345").Multiply(FromText("-1000000007"))),
            "-123456789876542523086415");
  EXPECT_TRUE(PowerOfTwo(100).Multiply(PowerOfTwo(30)).IsZero());
  EXPECT_EQ(Decimal(VBigInteger(16, int32_t(-3)).Multiply(VBigInteger(16, int32_t(-4)))), "12");
  VBigInteger n(16, int32_t(255));
  n.MultiplyInPlace(VBigInteger(16, int32_t(255)));
  EXPECT_EQ(n.GetLong(kWholeValue), 65025);
}

TEST_F(BigInteger, DivideTruncatesTowardZero) {
  auto quotient = [](int32_t a, int32_t b) {
    return VBigInteger(16, a).Divide(VBigInteger(16, b)).GetLongLong(kWholeValue);
  };
  EXPECT_EQ(quotient(-7, 2), -3);
  EXPECT_EQ(quotient(7, -2), -3);
  EXPECT_EQ(quotient(-7, -2), 3);
  EXPECT_EQ(quotient(7, 2), 3);
  EXPECT_EQ(quotient(1, 2), 0);
  EXPECT_EQ(Decimal(FromText("-340282366920938463463374607431768211")
                        .Divide(FromText("1000000000000000000000"))),
            "-340282366920938");
  // The most negative number: divided by -1 it wraps to itself, by itself it is 1.
  const VBigInteger min = PowerOfTwo(127);
  EXPECT_TRUE(min.Divide(VBigInteger(16, int32_t(-1))).IsEqual(min));
  EXPECT_EQ(min.Divide(min).GetLong(kWholeValue), 1);
  EXPECT_EQ(Decimal(min.Divide(VBigInteger(16, int32_t(2)))), "-85070591730234615865843651857942052864");
  // By zero every quotient bit is 1, then the dividend's sign applies.
  EXPECT_EQ(quotient(7, 0), -1);
  EXPECT_EQ(quotient(-7, 0), 1);
  VBigInteger n(16, int32_t(100));
  n.DivideInPlace(VBigInteger(16, int32_t(7)));
  EXPECT_EQ(n.GetLong(kWholeValue), 14);
}

TEST_F(BigInteger, NegateAndShifts) {
  EXPECT_EQ(Decimal(VBigInteger(16, int32_t(5)).Negate()), "-5");
  EXPECT_TRUE(VBigInteger().Negate().IsZero());
  EXPECT_TRUE(PowerOfTwo(127).Negate().IsEqual(PowerOfTwo(127)));
  VBigInteger n(16, int32_t(-9));
  n.NegateInPlace();
  EXPECT_EQ(n.GetLong(kWholeValue), 9);

  EXPECT_EQ(Decimal(PowerOfTwo(100)), "1267650600228229401496703205376");
  EXPECT_EQ(Decimal(VBigInteger(16, int32_t(0x1234)).ShiftLeft(12)), std::to_string(0x1234 << 12));
  EXPECT_TRUE(PowerOfTwo(128).IsZero());
  EXPECT_TRUE(PowerOfTwo(5000).IsZero());
  VBigInteger top = PowerOfTwo(127);
  top.ShiftLeftOneBit();
  EXPECT_TRUE(top.IsZero());
  VBigInteger three(16, int32_t(3));
  three.ShiftLeftOneBit();
  EXPECT_EQ(three.GetLong(kWholeValue), 6);
}

TEST_F(BigInteger, ComparisonsAreSigned) {
  const VBigInteger minusOne(16, int32_t(-1)), one(16, int32_t(1)), minusTwo(16, int32_t(-2));
  EXPECT_TRUE(one.IsGreater(minusOne));
  EXPECT_TRUE(minusOne.IsLess(one));
  EXPECT_TRUE(minusOne.IsGreater(minusTwo));
  EXPECT_FALSE(minusTwo.IsGreater(minusOne));
  EXPECT_TRUE(PowerOfTwo(127).IsLess(minusTwo));
  EXPECT_FALSE(one.IsGreater(one));
  EXPECT_TRUE(one.IsEqual(VBigInteger(16, int32_t(1))));
  EXPECT_TRUE(PowerOfTwo(64).IsGreater(VBigInteger(16, int64_t(std::numeric_limits<int64_t>::max()))));
}

TEST_F(BigInteger, MixedWidthsAreSignExtendedToTheWider) {
  const VBigInteger narrow(kFixedPointBytes, int32_t(-5));
  const VBigInteger wide(kBigIntegerBytes, int32_t(3));
  const VBigInteger sum = narrow.Add(wide);
  EXPECT_EQ(sum.GetByteCount(), 16u);
  EXPECT_EQ(Decimal(sum), "-2");
  EXPECT_EQ(narrow.Multiply(wide).GetByteCount(), 16u);
  EXPECT_EQ(Decimal(wide.Multiply(narrow)), "-15");
  EXPECT_EQ(Decimal(wide.Divide(narrow)), "0");
  EXPECT_TRUE(VBigInteger(12, int32_t(-1)).IsEqual(VBigInteger(16, int32_t(-1))));
  EXPECT_TRUE(narrow.IsLess(wide));
  EXPECT_TRUE(wide.IsGreater(narrow));
  // 2^100 does not fit 12 bytes: kept in place, it is cut to 2^100 mod 2^96 = 0.
  VBigInteger inPlace(kFixedPointBytes, int32_t(5));
  inPlace.AddInPlace(PowerOfTwo(100));
  EXPECT_EQ(inPlace.GetByteCount(), 12u);
  EXPECT_EQ(Decimal(inPlace), "5");
  // A negative narrow number copied into a wider one stays negative.
  VBigInteger wider(16);
  wider = narrow;
  EXPECT_EQ(Decimal(wider), "-5");
}

TEST_F(BigInteger, SetRealKeepsEveryDigitOfTheIntegerPart) {
  VBigInteger n;
  n.SetNull(true, kWholeValue);
  n.SetReal(1e20, kWholeValue);
  EXPECT_FALSE(n.IsNull(kWholeValue));
  EXPECT_EQ(Decimal(n), "100000000000000000000");
  n.SetReal(-2.9, kWholeValue);
  EXPECT_EQ(Decimal(n), "-2");
  n.SetReal(0.75, kWholeValue);
  EXPECT_EQ(Decimal(n), "0");
  n.SetReal(9007199254740993.0, kWholeValue);  // rounds to 2^53 as a real
  EXPECT_EQ(Decimal(n), "9007199254740992");
  n.SetReal(1e40, kWholeValue);  // wraps modulo 2^128
  EXPECT_EQ(Decimal(n), "131811359292784863348164811482388758528");
  for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()}) {
    n.SetLong(5, kWholeValue);
    n.SetReal(bad, kWholeValue);
    EXPECT_TRUE(n.IsZero());
  }
}

TEST_F(BigInteger, GetRealIsTheNearestReal) {
  EXPECT_EQ(FromText("100000000000000000000").GetReal(kWholeValue), 1e20);
  EXPECT_EQ(FromText("-123").GetReal(kWholeValue), -123.0);
  EXPECT_EQ(PowerOfTwo(127).GetReal(kWholeValue), -std::ldexp(1.0, 127));
  EXPECT_EQ(FromText("9007199254740993").GetReal(kWholeValue), 9007199254740992.0);
  EXPECT_EQ(VBigInteger().GetReal(kWholeValue), 0.0);
}

TEST_F(BigInteger, CompareTurnsTheOtherValueIntoABigInteger) {
  const VBigInteger five(16, int32_t(5));
  EXPECT_EQ(five.Compare(VLong(5), 0, 0), 0);
  EXPECT_EQ(five.Compare(VLong(6), 0, 0), -1);
  EXPECT_EQ(five.Compare(VLong(-6), 0, 0), 1);
  EXPECT_EQ(PowerOfTwo(64).Compare(VLongLong(std::numeric_limits<int64_t>::max()), 0, 0), 1);
  EXPECT_EQ(VBigInteger(12, int32_t(-1)).Compare(VBigInteger(16, int32_t(-1)), 0, 0), 0);
  EXPECT_EQ(PowerOfTwo(90).Compare(PowerOfTwo(89), 0, 0), 1);
  VStr<63> text;
  text.SetAnsiCText("123456789012345678901234567890");
  EXPECT_EQ(FromText("123456789012345678901234567890").Compare(text, 0, 0), 0);
}

TEST_F(BigInteger, ConvertToChecksTheDestinationsKind) {
  const VBigInteger big = FromText("-123456789012345678901234");
  VBigInteger narrow(kFixedPointBytes);
  narrow.SetNull(true, kWholeValue);
  big.ConvertTo(narrow, kWholeValue);
  EXPECT_EQ(Decimal(narrow), "-123456789012345678901234");
  EXPECT_TRUE(narrow.IsNull(kWholeValue));  // only the number moves
  VBigInteger wide(16);
  narrow.ConvertTo(wide, kWholeValue);
  EXPECT_EQ(Decimal(wide), "-123456789012345678901234");

  // Any other value gets the low 64 bits through its own setter, never raw bytes.
  LongValue small(77);
  VBigInteger(16, int64_t(-40)).ConvertTo(small, kWholeValue);
  EXPECT_EQ(small.value, -40);
  EXPECT_EQ(small.longLongSets, 1);
  LongValue copied;
  VBigInteger(16, int32_t(12)).CopyTo(copied, kWholeValue);
  EXPECT_EQ(copied.value, 12);

  VLongLong wide64(5);
  big.ConvertTo(wide64, kWholeValue);
  EXPECT_EQ(wide64.GetLongLong(kWholeValue), big.GetLongLong(kWholeValue));

  VStr<63> text;
  big.ConvertTo(text, kWholeValue);
  EXPECT_EQ(Text(text), u"-123456789012345678901234");
}

TEST_F(BigInteger, CopyFromAndAssignTakeTheNumberAndTheNullFlag) {
  VBigInteger n(12);
  VBigInteger source(16, int32_t(-8));
  n.CopyFrom(source, kWholeValue);
  EXPECT_EQ(Decimal(n), "-8");
  source.SetNull(true, kWholeValue);
  n.CopyFrom(source, kWholeValue);
  EXPECT_TRUE(n.IsNull(kWholeValue));
  EXPECT_EQ(Decimal(n), "-8");  // a null source brings no number

  n.CopyFrom(VLong(31), kWholeValue);
  EXPECT_FALSE(n.IsNull(kWholeValue));
  EXPECT_EQ(Decimal(n), "31");
  VStr<31> digits;
  digits.SetAnsiCText("-9876543210123");
  n.Assign(digits, kWholeValue);
  EXPECT_EQ(Decimal(n), "-9876543210123");
  n.Assign(source, kWholeValue);  // the datum, then the null flag
  EXPECT_EQ(Decimal(n), "-8");
  EXPECT_TRUE(n.IsNull(kWholeValue));
}

TEST_F(BigInteger, CloneKeepsWidthBytesAndNullFlag) {
  VBigInteger n(kFixedPointBytes, int32_t(-77));
  std::unique_ptr<VValue> copy(n.Clone());
  auto* clone = dynamic_cast<VBigInteger*>(copy.get());
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->GetByteCount(), 12u);
  EXPECT_EQ(Decimal(*clone), "-77");
  EXPECT_EQ(clone->GetKind(), kValueBigInteger);
  EXPECT_TRUE(clone->IsInteger());
  EXPECT_TRUE(clone->IsSingle());
  n.SetNull(true, kWholeValue);
  std::unique_ptr<VValue> nullCopy(n.Clone());
  EXPECT_TRUE(nullCopy->IsNull(kWholeValue));
  EXPECT_TRUE(static_cast<VBigInteger*>(nullCopy.get())->IsZero());
  n.Clear();
  EXPECT_TRUE(n.IsZero());
  EXPECT_FALSE(n.IsNull(kWholeValue));
}

TEST_F(BigInteger, ANumberCanLiveInStorageItDoesNotOwn) {
  uint8_t storage[12];
  std::memset(storage, 0xFF, sizeof storage);
  {
    VBigInteger kept(12, storage, false);
    EXPECT_EQ(Decimal(kept), "-1");
    kept.SetLong(300, kWholeValue);
  }
  EXPECT_EQ(storage[0], 44);
  EXPECT_EQ(storage[1], 1);
  EXPECT_EQ(storage[11], 0);
  std::memset(storage, 0x55, sizeof storage);
  VBigInteger cleared(12, storage, true);
  for (uint8_t b : storage) EXPECT_EQ(b, 0);
  const VBigInteger copy(cleared);  // a copy holds its own bytes
  cleared.SetLong(1, kWholeValue);
  EXPECT_TRUE(copy.IsZero());
}

TEST_F(BigInteger, WidthsAreKeptBetween1And16Bytes) {
  EXPECT_EQ(VBigInteger(0).GetByteCount(), 1u);
  EXPECT_EQ(VBigInteger(40).GetByteCount(), 16u);
  VBigInteger one(1, int32_t(127));
  one.AddInPlace(VBigInteger(1, int32_t(1)));
  EXPECT_EQ(Decimal(one), "-128");
}
