// The time value: its parts, the conversions of the value interface, the
// host's text forms, the clock, and the flat and stored forms.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/FakeEnvironment.h"
#include "framework/core/tests/ValueStreamSupport.h"
#include "framework/core/values/VDate.h"
#include "framework/core/values/VHour.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VReal.h"
#include "framework/core/values/VWord.h"
#include "testsupport/FakeHost.h"

using value_tests::ByteReader;
using value_tests::BytesWritten;
using value_tests::kLittleEndian;
using Bytes = std::vector<uint8_t>;

namespace {

std::string Ascii(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out.push_back(static_cast<char>(s.GetCharAt(i)));
  return out;
}

// Records the setter a value wrote itself through.
class SetterProbe : public VLong {
 public:
  void SetLong(int32_t value, int32_t range) override {
    calls += "SetLong;";
    VLong::SetLong(value, range);
  }
  void SetTime(int32_t value, int32_t range) override {
    calls += "SetTime;";
    VLong::SetLong(value, range);
  }
  std::string calls;
};

// Counts the change reports.
class CountedHour : public VHour {
 public:
  using VHour::VHour;
  void Changed(uint8_t) override { ++changes; }
  int changes = 0;
};

void Filled() {}
void TimeText(int32_t seconds, uint8_t* result, uint16_t format) {
  const std::string text = std::to_string(seconds) + "s" + std::to_string(format);
  result[0] = static_cast<uint8_t>(text.size());
  std::memcpy(result + 1, text.data(), text.size());
}

}  // namespace

// ---- Parts

TEST(VHourParts, SplitIntoHoursMinutesAndSeconds) {
  VHour time(3725);
  EXPECT_EQ(time.GetHour(), 1);
  EXPECT_EQ(time.GetMinute(), 2);
  EXPECT_EQ(time.GetSecond(), 5);
  time.SetMinute(0);
  EXPECT_EQ(time.GetLong(kWholeValue), 3605);
  time.SetHour(10);
  EXPECT_EQ(time.GetLong(kWholeValue), 36005);
  time.SetSecond(59);
  EXPECT_EQ(time.GetLong(kWholeValue), 36059);
}

TEST(VHourParts, NegativeSecondsSplitTowardZero) {
  VHour time(-1);
  EXPECT_EQ(time.GetHour(), 0);
  EXPECT_EQ(time.GetMinute(), 0);
  EXPECT_EQ(time.GetSecond(), -1);
  VHour longer(-3725);
  EXPECT_EQ(longer.GetHour(), -1);
  EXPECT_EQ(longer.GetMinute(), -2);
  EXPECT_EQ(longer.GetSecond(), -5);
}

TEST(VHourParts, DurationsPastADayKeepTheirHours) {
  VHour time(30 * 3600 + 61);
  EXPECT_EQ(time.GetHour(), 30);
  EXPECT_EQ(time.GetMinute(), 1);
  EXPECT_EQ(time.GetSecond(), 1);
}

TEST(VHourParts, PartSettersLeaveTheNullFlagAndReportNothing) {
  CountedHour time(3725);
  time.SetNull(true, kWholeValue);
  const int before = time.changes;
  time.SetHour(2);
  time.SetMinute(3);
  time.SetSecond(4);
  EXPECT_EQ(time.changes, before);
  EXPECT_TRUE(time.IsNull(kWholeValue));
  EXPECT_EQ(time.GetLong(kWholeValue), 2 * 3600 + 3 * 60 + 4);
}

TEST(VHourParts, SetNowTakesTheTimeOfDayOfTheClock) {
  FakeEnvironment environment;
  environment.now.hour = 23;
  environment.now.minute = 59;
  environment.now.second = 58;
  VHour time(-1);
  time.SetNull(true, kWholeValue);
  time.SetNow();
  EXPECT_EQ(time.GetLong(kWholeValue), 23 * 3600 + 59 * 60 + 58);
  EXPECT_FALSE(time.IsNull(kWholeValue));
}

// ---- The value interface

TEST(VHourValue, KindAndGetters) {
  VHour time(70000);
  EXPECT_EQ(time.GetKind(), kValueHour);
  EXPECT_TRUE(time.IsSingle());
  EXPECT_FALSE(time.IsInteger());
  EXPECT_FALSE(time.GetBoolean(kWholeValue));
  EXPECT_EQ(time.GetWord(kWholeValue), 4464);
  EXPECT_EQ(time.GetLong(kWholeValue), 70000);
  EXPECT_EQ(time.GetTime(kWholeValue), 70000);
  EXPECT_EQ(VHour(-5).GetLongLong(kWholeValue), -5);
  EXPECT_EQ(time.GetReal(kWholeValue), 70000.0);
  VDateRec date{1, 2, 3};
  time.GetDate(date, kWholeValue);
  EXPECT_EQ(date.day, 0);
  EXPECT_EQ(time.GetDataSize(), 4u);
}

TEST(VHourValue, SettersStoreAndClearTheNullFlag) {
  VHour time;
  time.SetNull(true, kWholeValue);
  time.SetWord(-2, kWholeValue);
  EXPECT_EQ(time.GetLong(kWholeValue), -2);
  EXPECT_FALSE(time.IsNull(kWholeValue));
  time.SetLongLong(0x100000005LL, kWholeValue);
  EXPECT_EQ(time.GetLong(kWholeValue), 5);
  time.SetReal(59.9, kWholeValue);
  EXPECT_EQ(time.GetLong(kWholeValue), 59);
  time.SetReal(-59.9, kWholeValue);
  EXPECT_EQ(time.GetLong(kWholeValue), -59);
  time.SetReal(std::numeric_limits<double>::quiet_NaN(), kWholeValue);
  EXPECT_EQ(time.GetLong(kWholeValue), 0);
  time.SetTime(120, kWholeValue);
  EXPECT_EQ(time.GetLong(kWholeValue), 120);
  // A boolean and a date are not taken.
  time.SetBoolean(1, kWholeValue);
  time.SetDate(VDateRec{1, 1, 2000}, kWholeValue);
  EXPECT_EQ(time.GetLong(kWholeValue), 120);
}

TEST(VHourValue, ClearAndClone) {
  VHour time(42);
  time.SetNull(true, kWholeValue);
  std::unique_ptr<VValue> clone(time.Clone());
  EXPECT_FALSE(clone->IsNull(kWholeValue));
  EXPECT_EQ(clone->GetLong(kWholeValue), 42);
  EXPECT_NE(dynamic_cast<VHour*>(clone.get()), nullptr);
  time.Clear();
  EXPECT_EQ(time.GetLong(kWholeValue), 0);
  EXPECT_FALSE(time.IsNull(kWholeValue));
}

TEST(VHourValue, CopyToUsesSetTimeAndConvertToSetLong) {
  VHour time(90);
  SetterProbe probe;
  time.CopyTo(probe, kWholeValue);
  time.ConvertTo(probe, kWholeValue);
  EXPECT_EQ(probe.calls, "SetTime;SetLong;");
  EXPECT_EQ(probe.GetLong(kWholeValue), 90);
}

TEST(VHourValue, CopyFromTakesTheNullFlagFirst) {
  VLong source(600);
  source.SetNull(true, kWholeValue);
  VHour time(5);
  time.CopyFrom(source, kWholeValue);
  EXPECT_TRUE(time.IsNull(kWholeValue));
  EXPECT_EQ(time.GetLong(kWholeValue), 5);
  source.SetNull(false, kWholeValue);
  time.CopyFrom(source, kWholeValue);
  EXPECT_FALSE(time.IsNull(kWholeValue));
  EXPECT_EQ(time.GetLong(kWholeValue), 600);
}

TEST(VHourValue, AssignReadsTheTimeEvenFromANullSource) {
  VLong source(600);
  source.SetNull(true, kWholeValue);
  VHour time(5);
  time.Assign(source, kWholeValue);
  EXPECT_TRUE(time.IsNull(kWholeValue));
  EXPECT_EQ(time.GetLong(kWholeValue), 600);
}

TEST(VHourValue, CompareWithOtherValuesByTheirTime) {
  EXPECT_EQ(VHour(100).Compare(VLong(100), 0, 0), 0);
  EXPECT_EQ(VHour(100).Compare(VLong(99), 0, 0), 1);
  EXPECT_EQ(VHour(-100).Compare(VHour(99), 0, 0), -1);
  EXPECT_EQ(VHour(100).Compare(VReal(100.9), 0, 0), 0);
  EXPECT_EQ(VHour(1).Compare(VDate(5, 4, 2002), 0, 0), 1);
}

TEST(VHourValue, InMemWorksOnTheStorageGiven) {
  int32_t storage = 77;
  VHourInMem over(&storage, false);
  EXPECT_EQ(over.GetLong(kWholeValue), 77);
  over.SetLong(3600, kWholeValue);
  EXPECT_EQ(storage, 3600);
  VHourInMem none(nullptr, true);
  none.SetLong(5, kWholeValue);
  EXPECT_EQ(none.GetLong(kWholeValue), 0);
}

// ---- Text forms through the host

class VHourText : public testing::Test {
 protected:
  void SetUp() override { ResetDisplayRoutines(); }
  void TearDown() override { ResetDisplayRoutines(); }
  FakeHost fHost;
  FakeEnvironment fEnvironment;
};

TEST_F(VHourText, FormatToAsksTheHostWithTheFormatNumber) {
  uint32_t seenType = 0;
  int32_t seenFormat = -1;
  fHost.valueToText = [&](uint32_t type, int32_t format, int32_t value) {
    seenType = type;
    seenFormat = format;
    return u"t" + std::u16string(1, char16_t(u'0' + value / 3600));
  };
  VHour time(7200);
  VStr<255> text;
  text.SetCText("old", kCharSetAnsi);
  text.SetNull(true, kWholeValue);
  time.FormatTo(text, nullptr, kWholeValue);
  EXPECT_EQ(Ascii(text), "t2");
  EXPECT_FALSE(text.IsNull(kWholeValue));
  EXPECT_EQ(seenType, kHostTypeTime);
  EXPECT_EQ(seenFormat, 0);
  VStr<15> format;
  format.SetCText("3", kCharSetAnsi);
  time.FormatTo(text, &format, kWholeValue);
  EXPECT_EQ(seenFormat, 3);
}

TEST_F(VHourText, FormatToWithoutAHostTextLeavesTheDestinationEmpty) {
  VHour time(7200);
  VStr<255> text;
  text.SetCText("old", kCharSetAnsi);
  time.FormatTo(text, nullptr, kWholeValue);
  EXPECT_EQ(text.GetLength(), 0);
}

TEST_F(VHourText, SetStringAsksTheHostForTheSeconds) {
  std::u16string seen;
  fHost.textToValue = [&](uint32_t type, const std::u16string& text) {
    seen = text;
    return type == kHostTypeTime ? 45000 : -1;
  };
  VStr<255> text;
  text.SetCText("12:30", kCharSetAnsi);
  text.SetNull(true, kWholeValue);
  VHour time;
  time.SetNull(true, kWholeValue);
  time.SetString(text, kWholeValue);
  EXPECT_EQ(seen, u"");  // a null string is empty
  EXPECT_EQ(time.GetLong(kWholeValue), 45000);
  EXPECT_FALSE(time.IsNull(kWholeValue));
  text.SetCText("12:30", kCharSetAnsi);
  time.SetString(text, kWholeValue);
  EXPECT_EQ(seen, u"12:30");
}

TEST_F(VHourText, InMemFormsItsTextThroughTheStringAndReadsItsReal) {
  VDisplayRoutines routines{};
  routines.filled = Filled;
  routines.timeText = TimeText;
  fHost.SetDisplayRoutines(routines);
  int32_t storage = 3600;
  VHourInMem over(&storage, false);
  VStr<255> text;
  over.FormatTo(text, nullptr, kWholeValue);
  EXPECT_EQ(Ascii(text), "3600s0");

  VStr<255> source;
  source.SetCText("-59.9", kCharSetAnsi);
  over.SetString(source, kWholeValue);
  EXPECT_EQ(storage, -59);
  source.SetNull(true, kWholeValue);
  over.SetString(source, kWholeValue);
  EXPECT_TRUE(over.IsNull(kWholeValue));
  EXPECT_EQ(storage, -59);
}

// ---- Flat and stored forms

TEST(VHourForms, FlatFormIsTheSecondsInMemoryOrder) {
  VHour time(-2);
  uint8_t buffer[4];
  EXPECT_EQ(time.ToData(buffer, kWholeValue), buffer + 4);
  int32_t seconds;
  std::memcpy(&seconds, buffer, 4);
  EXPECT_EQ(seconds, -2);
  const int32_t stored = 86399;
  VHour back;
  back.SetNull(true, kWholeValue);
  EXPECT_EQ(back.FromData(reinterpret_cast<const uint8_t*>(&stored), kWholeValue),
            reinterpret_cast<const uint8_t*>(&stored) + 4);
  EXPECT_EQ(back.GetLong(kWholeValue), 86399);
  EXPECT_FALSE(back.IsNull(kWholeValue));
}

TEST(VHourForms, TaggedFormIsKindSixAndTheSeconds) {
  VHour time(-2);
  EXPECT_EQ(BytesWritten([&](VStream& s) { s.PutValue(time, true); }),
            (Bytes{0, 0, 0, 6, 0xFF, 0xFF, 0xFF, 0xFE}));
  EXPECT_EQ(BytesWritten([&](VStream& s) { s.PutValue(time, false); }), (Bytes{0xFF, 0xFF, 0xFF, 0xFE}));
  EXPECT_EQ(BytesWritten([&](VStream& s) { s.PutValue(time, true); }, kLittleEndian),
            (Bytes{6, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST(VHourForms, StreamReaderMakesATime) {
  ByteReader reader(Bytes{0, 0, 0, 6, 0, 0, 0x0E, 0x10});
  std::unique_ptr<VValue> value(ReadValue(reader.stream()));
  ASSERT_NE(value, nullptr);
  EXPECT_NE(dynamic_cast<VHour*>(value.get()), nullptr);
  EXPECT_EQ(value->GetLong(kWholeValue), 3600);
  EXPECT_FALSE(value->IsNull(kWholeValue));
}

TEST(VHourForms, ShortStreamLeavesMinusOneSecond) {
  ByteReader reader(Bytes{0, 0, 0, 6, 0, 0, 0x0E});
  std::unique_ptr<VValue> value(ReadValue(reader.stream()));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->GetLong(kWholeValue), -1);
  EXPECT_GT(reader.stream().GetStatus(), 0);
}

TEST(VHourForms, TimeOverNoStorageWritesZerosAndSkipsOnReading) {
  VHourInMem none(nullptr, false);
  EXPECT_EQ(BytesWritten([&](VStream& s) { s.PutValue(none, true); }), (Bytes{0, 0, 0, 6, 0, 0, 0, 0}));
  ByteReader reader(Bytes{1, 2, 3, 4, 9});
  EXPECT_EQ(none.ReadFromStream(reader.stream(), 0), kStreamNoError);
  EXPECT_EQ(reader.stream().GetPosition(), 4u);
}
