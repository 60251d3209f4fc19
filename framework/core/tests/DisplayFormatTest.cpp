// Display formats through the host's display-routine table: when the host is
// asked for it, what its routines are given, and what a string keeps when
// the host has no routines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/StringTestSupport.h"
#include "testsupport/FakeHost.h"

using string_tests::Bytes;
using string_tests::Set;
using string_tests::Text;

namespace {

// What the routines saw last; plain functions cannot capture.
struct Seen {
  int calls = 0;
  std::string text;
  std::string format;
  VDateRec date;
  int32_t seconds = 0;
  uint16_t formatNumber = 0;
} gSeen;

std::string PText(const uint8_t* p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }

void PutPText(uint8_t* p, const std::string& text) {
  p[0] = static_cast<uint8_t>(text.size());
  std::memcpy(p + 1, text.data(), text.size());
}

void Filled() {}

void DateText(const VDateRec* date, uint8_t* result, uint16_t format) {
  ++gSeen.calls;
  gSeen.date = *date;
  gSeen.formatNumber = format;
  PutPText(result, std::to_string(date->day) + "." + std::to_string(date->month) + "." +
                       std::to_string(date->year) + "\x8E");
}

void TimeText(int32_t seconds, uint8_t* result, uint16_t format) {
  ++gSeen.calls;
  gSeen.seconds = seconds;
  gSeen.formatNumber = format;
  PutPText(result, std::to_string(seconds / 3600) + "h");
}

// Both wrap the text in the format's first character.
void Wrap(uint8_t* text, const uint8_t* format) {
  ++gSeen.calls;
  gSeen.text = PText(text);
  gSeen.format = PText(format);
  const std::string mark = gSeen.format.substr(0, 1);
  std::string wrapped = mark + gSeen.text + mark;
  if (wrapped.size() > 255) wrapped.resize(255);
  PutPText(text, wrapped);
}

void Fill255(uint8_t* text, const uint8_t*) {
  ++gSeen.calls;
  std::memset(text + 1, 'z', 255);
  text[0] = 255;
}

VDisplayRoutines HostRoutines() {
  VDisplayRoutines r{};
  r.filled = Filled;
  r.dateText = DateText;
  r.timeText = TimeText;
  r.numberFormat = Wrap;
  r.textFormat = Wrap;
  return r;
}

// A date and time value for the twins that take a value object.
class MomentValue : public VValueSingle {
 public:
  VValue* Clone() const override { return new MomentValue(*this); }
  int32_t GetKind() const override { return kValueDate; }
  int32_t Compare(const VValue&, int32_t, int32_t) const override { return 0; }
  int32_t GetTime(int32_t) const override { return 7200; }
  VDateRec& GetDate(VDateRec& date, int32_t) const override {
    date = VDateRec{3, 4, 2005};
    return date;
  }
};

class DisplayFormats : public string_tests::WithTextTables {
 protected:
  void SetUp() override {
    WithTextTables::SetUp();
    ResetDisplayRoutines();
    gSeen = Seen{};
  }
  void TearDown() override {
    ResetDisplayRoutines();
    WithTextTables::TearDown();
  }
  FakeHost fHost;
};

}  // namespace

TEST_F(DisplayFormats, HostIsAskedAgainWhileTheTableIsEmpty) {
  EXPECT_FALSE(HostFormatsAvailable());
  EXPECT_FALSE(HostFormatsAvailable());
  EXPECT_EQ(fHost.DisplayRoutineRequests(), 2);
  fHost.SetDisplayRoutines(HostRoutines());
  EXPECT_TRUE(HostFormatsAvailable());
  EXPECT_TRUE(HostFormatsAvailable());
  EXPECT_EQ(fHost.DisplayRoutineRequests(), 3);  // kept once filled
  ResetDisplayRoutines();
  EXPECT_TRUE(HostFormatsAvailable());
  EXPECT_EQ(fHost.DisplayRoutineRequests(), 4);
}

TEST(DisplayFormatsWithoutHost, NothingIsAvailable) {
  ResetDisplayRoutines();
  ASSERT_EQ(VHostBridgeService::Get(), nullptr);
  EXPECT_FALSE(HostFormatsAvailable());
  VStr<15> s, format;
  Set(s, "12");
  Set(format, "#");
  ApplyNumberFormat(s, format);
  EXPECT_EQ(Text(s), u"12");
}

TEST_F(DisplayFormats, NumberAndTextFormatsGoThroughTheHost) {
  fHost.SetDisplayRoutines(HostRoutines());
  VStr<31> s, format;
  Set(s, "3.5");
  Set(format, "#0.00");
  ApplyNumberFormat(s, format);
  EXPECT_EQ(Text(s), u"#3.5#");
  EXPECT_EQ(gSeen.text, "3.5");
  EXPECT_EQ(gSeen.format, "#0.00");
  Set(format, "|upper");
  ApplyTextFormat(s, format);
  EXPECT_EQ(Text(s), u"|#3.5#|");
  EXPECT_EQ(gSeen.calls, 2);
}

TEST_F(DisplayFormats, TextsTravelAsMacintoshBytes) {
  fHost.SetDisplayRoutines(HostRoutines());
  VAnsiStr<31> s;
  s.SetUniCText(u"caf\u00E9");
  VStr<15> format;
  format.SetUniCText(u"\u00E9");
  ApplyTextFormat(s, format);
  EXPECT_EQ(gSeen.text, "caf\x8E");
  EXPECT_EQ(gSeen.format, "\x8E");
  EXPECT_EQ(Text(s), u"\u00E9caf\u00E9\u00E9");
  EXPECT_EQ(Bytes(s), "\xE9" "caf\xE9\xE9");
}

TEST_F(DisplayFormats, EmptyFormatLeavesALongTextUntouched) {
  fHost.SetDisplayRoutines(HostRoutines());
  VStrInHandle s;
  const std::u16string text = std::u16string(299, u'a') + u"\u4E00";
  s.SetUniCText(text.c_str());
  VStr<15> empty;
  ApplyTextFormat(s, empty);
  ApplyNumberFormat(s, empty);
  EXPECT_EQ(Text(s), text);
  EXPECT_EQ(gSeen.calls, 0);
}

TEST_F(DisplayFormats, NonEmptyFormatCutsTheTextTo255Characters) {
  fHost.SetDisplayRoutines(HostRoutines());
  VMacStrInHandle s;
  Set(s, std::string(300, 'a').c_str());
  VStr<15> format;
  Set(format, "-");
  ApplyTextFormat(s, format);
  EXPECT_EQ(gSeen.text.size(), 255u);
  EXPECT_EQ(s.GetLength(), 255);  // wrapped, and cut by the routine's buffer
  // The routine may fill its whole buffer.
  VDisplayRoutines r = HostRoutines();
  r.textFormat = Fill255;
  ResetDisplayRoutines();
  fHost.SetDisplayRoutines(r);
  VStr<15> small;
  Set(small, "x");
  ApplyTextFormat(small, format);
  EXPECT_EQ(small.GetLength(), 15);  // cut at its capacity
}

TEST_F(DisplayFormats, CharacterWithoutAMacintoshFormIsLostEvenWithoutRoutines) {
  VStr<15> s, format;
  s.SetUniCText(u"1\u4E002");
  Set(format, "#");
  ApplyNumberFormat(s, format);
  EXPECT_FALSE(HostFormatsAvailable());
  EXPECT_EQ(Text(s), u"12");
  EXPECT_FALSE(s.IsNull(kWholeValue));
}

TEST_F(DisplayFormats, DatesAndTimesAreAppendedFromTheHost) {
  fHost.SetDisplayRoutines(HostRoutines());
  VStr<31> s;
  Set(s, "on ");
  s.AppendDateText(VDateRec{31, 12, 1999}, 3);
  EXPECT_EQ(Text(s), u"on 31.12.1999\u00E9");
  EXPECT_EQ(gSeen.formatNumber, 3);
  EXPECT_EQ(gSeen.date.year, 1999);
  Set(s, "at ");
  s.AppendTimeText(5400 * 2, 7);
  EXPECT_EQ(Text(s), u"at 3h");
  EXPECT_EQ(gSeen.seconds, 10800);
  EXPECT_EQ(gSeen.formatNumber, 7);

  MomentValue moment;
  s.SetEmpty(false);
  s.AppendDateText(moment, 0);
  s.AppendTimeText(moment, 0);
  EXPECT_EQ(Text(s), u"3.4.2005\u00E92h");
}

TEST_F(DisplayFormats, WithoutRoutinesADateClearsAndATimeAppendsNothing) {
  VStr<31> s;
  Set(s, "kept");
  s.AppendTimeText(3600, 0);
  EXPECT_EQ(Text(s), u"kept");
  s.SetNull(true, kWholeValue);
  s.SetMacCTextQuiet("old");
  s.AppendDateText(VDateRec{1, 1, 2000}, 0);
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_FALSE(s.IsNull(kWholeValue));  // cleared: empty and not null
}

TEST_F(DisplayFormats, StringFormatToAppliesTheTextFormat) {
  fHost.SetDisplayRoutines(HostRoutines());
  VStr<31> s, format, out;
  Set(s, "abc");
  Set(format, "*");
  s.FormatTo(out, &format, kWholeValue);
  EXPECT_EQ(Text(out), u"*abc*");
  s.FormatTo(out, nullptr, kWholeValue);
  EXPECT_EQ(Text(out), u"abc");
  EXPECT_EQ(gSeen.calls, 1);
}
