// The boolean value: the stored byte, the tests against zero, its copies and
// conversions, comparison and text.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include <cstring>

#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/tests/NumberTextString.h"
#include "testsupport/FakeHost.h"
#include "framework/core/values/VBoolean.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VReal.h"
#include "framework/core/values/VWord.h"

using value_tests::NumberTextString;

TEST(Boolean, KindAndClassAnswers) {
  VBoolean value;
  EXPECT_EQ(value.GetKind(), kValueBoolean);
  EXPECT_TRUE(value.IsSingle());
  EXPECT_FALSE(value.IsInteger());
  EXPECT_FALSE(value.GetBoolean(kWholeValue));
  EXPECT_EQ(value.GetDataSize(), 1u);
  uint8_t cell = 1;
  VBoolInMem inMem(&cell, true);
  EXPECT_EQ(cell, 0);
  EXPECT_EQ(inMem.GetKind(), kValueBoolean);
}

TEST(Boolean, IntegerAndRealSettersTestAgainstZero) {
  VBoolean value;
  value.SetLong(256, kWholeValue);
  EXPECT_TRUE(value.GetBoolean(kWholeValue));
  EXPECT_EQ(value.GetLong(kWholeValue), 1);
  value.SetWord(0, kWholeValue);
  EXPECT_FALSE(value.GetBoolean(kWholeValue));
  value.SetLongLong(1LL << 40, kWholeValue);
  EXPECT_TRUE(value.GetBoolean(kWholeValue));
  value.SetReal(0.0, kWholeValue);
  EXPECT_FALSE(value.GetBoolean(kWholeValue));
  value.SetReal(-0.0, kWholeValue);
  EXPECT_FALSE(value.GetBoolean(kWholeValue));
  value.SetReal(-1e-300, kWholeValue);
  EXPECT_TRUE(value.GetBoolean(kWholeValue));
  value.SetReal(std::numeric_limits<double>::quiet_NaN(), kWholeValue);
  EXPECT_FALSE(value.GetBoolean(kWholeValue));
  value.SetTime(-1, kWholeValue);
  EXPECT_TRUE(value.GetBoolean(kWholeValue));
}

TEST(Boolean, SetBooleanKeepsTheByte) {
  VBoolean value;
  value.SetBoolean(2, kWholeValue);
  EXPECT_EQ(value.GetLong(kWholeValue), 2);
  EXPECT_EQ(value.GetWord(kWholeValue), 2);
  EXPECT_EQ(value.GetLongLong(kWholeValue), 2);
  EXPECT_EQ(value.GetReal(kWholeValue), 2.0);
  EXPECT_TRUE(value.GetBoolean(kWholeValue));
  EXPECT_EQ(value.Compare(VBoolean(1), 0, 0), 1);
}

TEST(Boolean, CompareAgainstTheOthersBoolean) {
  EXPECT_EQ(VBoolean(1).Compare(VBoolean(1), 0, 0), 0);
  EXPECT_EQ(VBoolean(0).Compare(VBoolean(0), 0, 0), 0);
  EXPECT_EQ(VBoolean(1).Compare(VBoolean(0), 0, 0), 1);
  EXPECT_EQ(VBoolean(0).Compare(VBoolean(1), 0, 0), -1);
  EXPECT_EQ(VBoolean(1).Compare(VLong(5), 0, 0), 0);
  EXPECT_EQ(VBoolean(0).Compare(VReal(0.5), 0, 0), -1);
}

TEST(Boolean, ConvertToGoesThroughSetLongAndCopyToThroughSetBoolean) {
  VBoolean value;
  value.SetBoolean(2, kWholeValue);
  VReal converted, copied;
  value.ConvertTo(converted, kWholeValue);
  value.CopyTo(copied, kWholeValue);
  EXPECT_EQ(converted.GetReal(kWholeValue), 2.0);
  EXPECT_EQ(copied.GetReal(kWholeValue), 2.0);
  VBoolean one(1);
  VReal r;
  one.ConvertTo(r, kWholeValue);
  EXPECT_EQ(r.GetReal(kWholeValue), 1.0);
  one.CopyTo(r, kWholeValue);
  EXPECT_EQ(r.GetReal(kWholeValue), 1.0);
  VLong l;
  VBoolean(1).CopyTo(l, kWholeValue);
  EXPECT_EQ(l.GetLong(kWholeValue), 1);
  VBoolean(0).ConvertTo(l, kWholeValue);
  EXPECT_EQ(l.GetLong(kWholeValue), 0);
}

TEST(Boolean, CopyFromTestsTheSourcesLong) {
  VBoolean value;
  value.CopyFrom(VLong(-3), kWholeValue);
  EXPECT_EQ(value.GetLong(kWholeValue), 1);
  // A real below 1 reads 0 through GetLong, so it copies as false.
  value.CopyFrom(VReal(0.5), kWholeValue);
  EXPECT_FALSE(value.GetBoolean(kWholeValue));
  VLong nullSource(9);
  nullSource.SetNull(true, kWholeValue);
  value.CopyFrom(nullSource, kWholeValue);
  EXPECT_TRUE(value.IsNull(kWholeValue));
  EXPECT_FALSE(value.GetBoolean(kWholeValue));
}

TEST(Boolean, AssignTakesTheSourcesBooleanThenItsNullFlag) {
  VReal source(0.5);
  source.SetNull(true, kWholeValue);
  VBoolean value;
  value.Assign(source, kWholeValue);
  EXPECT_TRUE(value.GetBoolean(kWholeValue));
  EXPECT_TRUE(value.IsNull(kWholeValue));
}

TEST(Boolean, CloneKeepsTheByteAndIsNotNull) {
  VBoolean value;
  value.SetBoolean(7, kWholeValue);
  value.SetNull(true, kWholeValue);
  std::unique_ptr<VValue> copy(value.Clone());
  ASSERT_NE(dynamic_cast<VBoolean*>(copy.get()), nullptr);
  EXPECT_EQ(copy->GetLong(kWholeValue), 7);
  EXPECT_FALSE(copy->IsNull(kWholeValue));
}

TEST(Boolean, FlatFormIsOneByte) {
  uint8_t buffer[2] = {0, 0xEE};
  VBoolean value;
  value.SetBoolean(5, kWholeValue);
  EXPECT_EQ(value.ToData(buffer, kWholeValue), buffer + 1);
  EXPECT_EQ(buffer[0], 5);
  EXPECT_EQ(buffer[1], 0xEE);
  VBoolean back;
  back.SetNull(true, kWholeValue);
  EXPECT_EQ(back.FromData(buffer, kWholeValue), buffer + 1);
  EXPECT_EQ(back.GetLong(kWholeValue), 5);  // unchanged, not tested against zero
  EXPECT_FALSE(back.IsNull(kWholeValue));
}

namespace {

void Filled() {}
// The host's text format: the format's text in place of the value's.
void TextRoutine(uint8_t* text, const uint8_t* format) { std::memcpy(text, format, format[0] + 1u); }
void NumberRoutine(uint8_t* text, const uint8_t*) { text[0] = 0; }

}  // namespace

TEST(Boolean, FormatToAppliesTheTextFormat) {
  ResetDisplayRoutines();
  FakeHost host;
  VDisplayRoutines routines{};
  routines.filled = &Filled;
  routines.textFormat = &TextRoutine;
  routines.numberFormat = &NumberRoutine;
  host.SetDisplayRoutines(routines);
  NumberTextString format("Yes;No");
  NumberTextString text;
  VBoolean(1).FormatTo(text, &format, kWholeValue);
  EXPECT_EQ(text.Text(), "Yes;No");
  ResetDisplayRoutines();
}

TEST(Boolean, FormatToUsesTheStringsBooleanText) {
  NumberTextString text;
  VBoolean(1).FormatTo(text, nullptr, kWholeValue);
  EXPECT_EQ(text.Text(), "true");
  VBoolean(0).FormatTo(text, nullptr, kWholeValue);
  EXPECT_EQ(text.Text(), "false");
  EXPECT_EQ(text.calls, "SetBoolean;SetBoolean;");
}

namespace {

// A null string empties its text, so this one answers true from GetBoolean
// whatever its text, to show that a null string is still asked.
class AlwaysTrueString : public NumberTextString {
 public:
  bool GetBoolean(int32_t) const override { return true; }
};

}  // namespace

TEST(Boolean, SetStringReadsTheBooleanEvenFromANullString) {
  AlwaysTrueString text;
  text.SetNull(true, kWholeValue);
  VBoolean value;
  value.SetString(text, kWholeValue);
  EXPECT_TRUE(value.IsNull(kWholeValue));
  EXPECT_TRUE(value.GetBoolean(kWholeValue));
  value.SetString(NumberTextString("false"), kWholeValue);
  EXPECT_FALSE(value.IsNull(kWholeValue));
  EXPECT_FALSE(value.GetBoolean(kWholeValue));
}
