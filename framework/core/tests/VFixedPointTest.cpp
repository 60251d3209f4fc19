// Fixed-point values: the scale applied by SetLong and SetReal, the
// operations passed to the inner integer unscaled, the flat form, copies.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/StringTestSupport.h"
#include "framework/core/values/VFixedPoint.h"

using string_tests::Text;

namespace {

class FixedPoint : public string_tests::WithTextTables {};

std::u16string Formatted(const VValue& value) {
  VStr<63> text;
  value.FormatTo(text, nullptr, kWholeValue);
  return Text(text);
}

}  // namespace

TEST_F(FixedPoint, SetLongHoldsTheNumberTimes10000) {
  VFixedPoint f;
  EXPECT_EQ(f.GetKind(), kValueFixedPoint);
  EXPECT_TRUE(f.IsInteger());
  EXPECT_TRUE(f.IsSingle());
  EXPECT_EQ(f.GetInteger().GetByteCount(), 12u);
  f.SetLong(3, kWholeValue);
  EXPECT_EQ(f.GetInteger().GetLong(kWholeValue), 30000);
  f.SetLong(-2147483647 - 1, kWholeValue);
  EXPECT_EQ(Formatted(f), u"-21474836480000");
}

TEST_F(FixedPoint, SetRealTruncatesBeforeScaling) {
  VFixedPoint f;
  f.SetReal(-2.75, kWholeValue);
  EXPECT_EQ(f.GetInteger().GetLong(kWholeValue), -20000);
  f.SetReal(1e20, kWholeValue);
  EXPECT_EQ(Formatted(f), u"1000000000000000000000000");
}

TEST_F(FixedPoint, OtherSettersAndTheTextAreUnscaled) {
  VFixedPoint f;
  f.SetLongLong(12345, kWholeValue);
  EXPECT_EQ(Formatted(f), u"12345");
  VStr<15> digits;
  digits.SetAnsiCText("-77");
  f.SetString(digits, kWholeValue);
  EXPECT_EQ(f.GetInteger().GetLong(kWholeValue), -77);
  EXPECT_EQ(f.Compare(VBigInteger(16, int32_t(-77)), 0, 0), 0);
  EXPECT_EQ(f.Compare(VBigInteger(16, int32_t(0)), 0, 0), -1);
}

TEST_F(FixedPoint, TheFlatFormIsTheInnerIntegersTwelveBytes) {
  VFixedPoint f;
  f.SetLong(1, kWholeValue);
  EXPECT_EQ(f.GetDataSize(), 12u);
  uint8_t buffer[16];
  std::memset(buffer, 0xAA, sizeof buffer);
  EXPECT_EQ(f.ToData(buffer, kWholeValue), buffer + 12);
  const uint8_t expected[12] = {0x10, 0x27};  // 10000
  EXPECT_EQ(std::memcmp(buffer, expected, 12), 0);
  EXPECT_EQ(buffer[12], 0xAA);
  VFixedPoint back;
  EXPECT_EQ(back.FromData(buffer, kWholeValue), buffer + 12);
  EXPECT_EQ(back.GetInteger().GetLong(kWholeValue), 10000);
}

TEST_F(FixedPoint, CloneAndClear) {
  VFixedPoint f;
  f.SetLong(-4, kWholeValue);
  f.SetNull(true, kWholeValue);
  std::unique_ptr<VValue> copy(f.Clone());
  auto* clone = dynamic_cast<VFixedPoint*>(copy.get());
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->GetInteger().GetLong(kWholeValue), -40000);
  EXPECT_TRUE(clone->IsNull(kWholeValue));
  f.Clear();
  EXPECT_TRUE(f.GetInteger().IsZero());
  EXPECT_FALSE(f.IsNull(kWholeValue));
}
