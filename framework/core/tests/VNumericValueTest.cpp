// The word, long, real and 64-bit integer values: their getters and setters
// with the truncation and sign rules, copies and conversions between values,
// comparison, the flat form and the text forms through strings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/tests/NumberTextString.h"
#include "testsupport/FakeHost.h"
#include "framework/core/values/VBoolean.h"
#include "framework/core/values/VEmptyValue.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VLongLong.h"
#include "framework/core/values/VReal.h"
#include "framework/core/values/VWord.h"

using value_tests::NumberTextString;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Counts the change reports that SetNull makes.
class CountedLong : public VLong {
 public:
  void Changed(uint8_t flag) override {
    ++changes;
    lastFlag = flag;
  }
  int changes = 0;
  uint8_t lastFlag = 0;
};

// Records which setter a value wrote itself through.
class SetterRecorder : public VValueSingle {
 public:
  VValue* Clone() const override { return new SetterRecorder; }
  int32_t GetKind() const override { return kValueLong; }
  int32_t Compare(const VValue&, int32_t, int32_t) const override { return 0; }
  void SetBoolean(uint8_t v, int32_t) override { Note("SetBoolean", v); }
  void SetWord(int16_t v, int32_t) override { Note("SetWord", v); }
  void SetLong(int32_t v, int32_t) override { Note("SetLong", v); }
  void SetLongLong(int64_t v, int32_t) override { Note("SetLongLong", double(v)); }
  void SetTime(int32_t v, int32_t) override { Note("SetTime", v); }
  void SetReal(double v, int32_t) override { Note("SetReal", v); }
  void Assign(const VValue&, int32_t) override { Note("Assign", 0); }
  void Note(const char* name, double v) {
    calls += name;
    calls += ";";
    last = v;
  }
  std::string calls;
  double last = 0;
};

// Host display routines that mark what they were given: the number format
// puts "N[" + format + "]" in front of the text, the text format "T[...]".
void Mark(uint8_t* text, const uint8_t* format, char kind) {
  std::string marked = std::string(1, kind) + "[" +
                       std::string(reinterpret_cast<const char*>(format + 1), format[0]) + "]" +
                       std::string(reinterpret_cast<const char*>(text + 1), text[0]);
  if (marked.size() > 255) marked.resize(255);
  text[0] = uint8_t(marked.size());
  std::memcpy(text + 1, marked.data(), marked.size());
}
void Filled() {}
void NumberRoutine(uint8_t* text, const uint8_t* format) { Mark(text, format, 'N'); }
void TextRoutine(uint8_t* text, const uint8_t* format) { Mark(text, format, 'T'); }

// A fake host with the two marking routines, and a fresh routine table.
class MarkingHost {
 public:
  MarkingHost() {
    ResetDisplayRoutines();
    VDisplayRoutines routines{};
    routines.filled = &Filled;
    routines.numberFormat = &NumberRoutine;
    routines.textFormat = &TextRoutine;
    fHost.SetDisplayRoutines(routines);
  }
  ~MarkingHost() { ResetDisplayRoutines(); }

 private:
  FakeHost fHost;
};

}  // namespace

// ---- kinds and the value interface

TEST(NumericValues, KindsAndClassAnswers) {
  VWord w;
  VLong l;
  VReal r;
  VLongLong ll;
  EXPECT_EQ(w.GetKind(), kValueWord);
  EXPECT_EQ(l.GetKind(), kValueLong);
  EXPECT_EQ(r.GetKind(), kValueReal);
  EXPECT_EQ(ll.GetKind(), kValueLongLong);
  for (VValue* v : std::initializer_list<VValue*>{&w, &l, &r, &ll}) {
    EXPECT_TRUE(v->IsSingle());
    EXPECT_FALSE(v->IsMultiple());
    EXPECT_TRUE(v->IsInteger());
    EXPECT_FALSE(v->IsNull(kWholeValue));
  }
  EXPECT_EQ(w.GetDataSize(), 2u);
  EXPECT_EQ(l.GetDataSize(), 4u);
  EXPECT_EQ(r.GetDataSize(), 8u);
  EXPECT_EQ(ll.GetDataSize(), 8u);
}

TEST(NumericValues, InMemValueWorksOnTheStorageItIsGiven) {
  int32_t cell = 41;
  VLongInMem value(&cell, false);
  EXPECT_EQ(value.GetLong(kWholeValue), 41);
  value.SetLong(7, kWholeValue);
  EXPECT_EQ(cell, 7);
  VLongInMem cleared(&cell, true);
  EXPECT_EQ(cell, 0);
  EXPECT_FALSE(cleared.IsNull(kWholeValue));
}

TEST(NumericValues, InMemCloneIsAnOwningValueWithItsOwnDatum) {
  double cell = 2.5;
  VRealInMem value(&cell, false);
  std::unique_ptr<VValue> copy(value.Clone());
  ASSERT_NE(dynamic_cast<VReal*>(copy.get()), nullptr);
  cell = 9.0;
  EXPECT_EQ(copy->GetReal(kWholeValue), 2.5);
}

TEST(NumericValues, ValueOverNoStorageReadsZeroAndTakesNothing) {
  VWordInMem w(nullptr, true);
  VLongLongInMem ll(nullptr, false);
  w.SetLong(5, kWholeValue);
  EXPECT_EQ(w.GetLong(kWholeValue), 0);
  EXPECT_FALSE(w.IsNull(kWholeValue));
  uint8_t buffer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(ll.ToData(buffer, kWholeValue), buffer + 8);
  EXPECT_EQ(buffer[0] | buffer[7], 0);
}

// ---- getters and setters

TEST(NumericValues, LongKeepsTheLowSixteenBitsAsAWord) {
  VLong value(70000);
  EXPECT_EQ(value.GetWord(kWholeValue), 4464);
  EXPECT_EQ(value.GetLongLong(kWholeValue), 70000);
  EXPECT_EQ(value.GetReal(kWholeValue), 70000.0);
  EXPECT_EQ(value.GetTime(kWholeValue), 70000);
  EXPECT_TRUE(value.GetBoolean(kWholeValue));
}

TEST(NumericValues, WordIsSignExtended) {
  VWord value(-1);
  EXPECT_EQ(value.GetLong(kWholeValue), -1);
  EXPECT_EQ(value.GetLongLong(kWholeValue), -1);
  EXPECT_EQ(value.GetReal(kWholeValue), -1.0);
}

TEST(NumericValues, WordKeepsTheLowBitsOfWiderIntegers) {
  VWord value;
  value.SetLong(65535, kWholeValue);
  EXPECT_EQ(value.GetWord(kWholeValue), -1);
  value.SetLongLong(0x100000005LL, kWholeValue);
  EXPECT_EQ(value.GetWord(kWholeValue), 5);
  value.SetBoolean(200, kWholeValue);
  EXPECT_EQ(value.GetWord(kWholeValue), 200);  // the byte, zero-extended
  value.SetTime(-3, kWholeValue);
  EXPECT_EQ(value.GetWord(kWholeValue), -3);
}

TEST(NumericValues, RealsAreTruncatedTowardZero) {
  VLong l;
  l.SetReal(-2.5, kWholeValue);
  EXPECT_EQ(l.GetLong(kWholeValue), -2);
  l.SetReal(2.9, kWholeValue);
  EXPECT_EQ(l.GetLong(kWholeValue), 2);
  VWord w;
  w.SetReal(70000.7, kWholeValue);
  EXPECT_EQ(w.GetWord(kWholeValue), 4464);
  VLongLong ll;
  ll.SetReal(-1e18 - 0.5, kWholeValue);
  EXPECT_EQ(ll.GetLongLong(kWholeValue), -1000000000000000000LL);
}

TEST(NumericValues, RealGettersTruncateAndTestForZero) {
  VReal value(3.99);
  EXPECT_EQ(value.GetLong(kWholeValue), 3);
  EXPECT_EQ(value.GetWord(kWholeValue), 3);
  value.SetReal(-0.5, kWholeValue);
  EXPECT_TRUE(value.GetBoolean(kWholeValue));
  EXPECT_EQ(value.GetLong(kWholeValue), 0);
  value.SetReal(-0.0, kWholeValue);
  EXPECT_FALSE(value.GetBoolean(kWholeValue));
  value.SetReal(kNaN, kWholeValue);
  EXPECT_FALSE(value.GetBoolean(kWholeValue));
  value.SetReal(5e9, kWholeValue);
  EXPECT_EQ(value.GetLongLong(kWholeValue), 5000000000LL);
  EXPECT_EQ(value.GetLong(kWholeValue), int32_t(uint32_t(5000000000ULL)));
}

TEST(NumericValues, NaNBecomesZeroInEveryInteger) {
  VReal value(kNaN);
  EXPECT_EQ(value.GetWord(kWholeValue), 0);
  EXPECT_EQ(value.GetLong(kWholeValue), 0);
  EXPECT_EQ(value.GetLongLong(kWholeValue), 0);
  VLong l(9);
  l.SetReal(kNaN, kWholeValue);
  EXPECT_EQ(l.GetLong(kWholeValue), 0);
  VWord w(9);
  w.SetReal(kNaN, kWholeValue);
  EXPECT_EQ(w.GetWord(kWholeValue), 0);
  VLongLong ll(9);
  ll.SetReal(kNaN, kWholeValue);
  EXPECT_EQ(ll.GetLongLong(kWholeValue), 0);
}

TEST(NumericValues, RealsBeyondSixtyFourBitsSaturate) {
  VReal value(kInf);
  EXPECT_EQ(value.GetLongLong(kWholeValue), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(value.GetLong(kWholeValue), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(value.GetWord(kWholeValue), std::numeric_limits<int16_t>::max());
  value.SetReal(-1e300, kWholeValue);
  EXPECT_EQ(value.GetLongLong(kWholeValue), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(value.GetLong(kWholeValue), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(value.GetWord(kWholeValue), std::numeric_limits<int16_t>::min());
  // 2 to the 63rd is the first real beyond the range; the one below it is in.
  VLongLong ll;
  ll.SetReal(9223372036854775808.0, kWholeValue);
  EXPECT_EQ(ll.GetLongLong(kWholeValue), std::numeric_limits<int64_t>::max());
  ll.SetReal(-9223372036854775808.0, kWholeValue);
  EXPECT_EQ(ll.GetLongLong(kWholeValue), std::numeric_limits<int64_t>::min());
  ll.SetReal(9223372036854774784.0, kWholeValue);
  EXPECT_EQ(ll.GetLongLong(kWholeValue), 9223372036854774784LL);
}

TEST(NumericValues, LongLongTwoToTheThirtySecond) {
  VLongLong value(4294967296LL);
  EXPECT_EQ(value.GetLong(kWholeValue), 0);
  EXPECT_EQ(value.GetWord(kWholeValue), 0);
  EXPECT_TRUE(value.GetBoolean(kWholeValue));
  EXPECT_EQ(value.GetReal(kWholeValue), 4294967296.0);
}

TEST(NumericValues, LongLongToRealIsTheNearestReal) {
  VLongLong value((1LL << 53) + 1);
  EXPECT_EQ(value.GetReal(kWholeValue), 9007199254740992.0);
  VReal real;
  real.SetLongLong((1LL << 53) + 3, kWholeValue);
  EXPECT_EQ(real.GetReal(kWholeValue), 9007199254740996.0);
}

TEST(NumericValues, NarrowerIntegersAreSignExtendedIntoWiderOnes) {
  VLong l;
  l.SetWord(-5, kWholeValue);
  EXPECT_EQ(l.GetLong(kWholeValue), -5);
  l.SetLongLong(-4294967297LL, kWholeValue);
  EXPECT_EQ(l.GetLong(kWholeValue), -1);
  VLongLong ll;
  ll.SetLong(-7, kWholeValue);
  EXPECT_EQ(ll.GetLongLong(kWholeValue), -7);
  ll.SetWord(-8, kWholeValue);
  EXPECT_EQ(ll.GetLongLong(kWholeValue), -8);
  ll.SetBoolean(255, kWholeValue);
  EXPECT_EQ(ll.GetLongLong(kWholeValue), 255);
  VReal r;
  r.SetBoolean(3, kWholeValue);
  EXPECT_EQ(r.GetReal(kWholeValue), 3.0);
  r.SetWord(-2, kWholeValue);
  EXPECT_EQ(r.GetReal(kWholeValue), -2.0);
}

TEST(NumericValues, EverySetterMakesTheValueNotNullAndReportsIt) {
  CountedLong value;
  value.SetNull(true, kWholeValue);
  value.changes = 0;
  value.SetReal(1.5, kWholeValue);
  EXPECT_FALSE(value.IsNull(kWholeValue));
  EXPECT_EQ(value.changes, 1);
  EXPECT_EQ(value.lastFlag, 1);
  value.SetNull(true, kWholeValue);
  value.Clear();
  EXPECT_FALSE(value.IsNull(kWholeValue));
  EXPECT_EQ(value.GetLong(kWholeValue), 0);
}

TEST(NumericValues, NullValueKeepsItsDatum) {
  VLong value(5);
  value.SetNull(true, kWholeValue);
  EXPECT_TRUE(value.IsNull(kWholeValue));
  EXPECT_EQ(value.GetLong(kWholeValue), 5);
}

TEST(NumericValues, CloneOfANullValueIsNotNullWithTheSameNumber) {
  VLong value(12);
  value.SetNull(true, kWholeValue);
  std::unique_ptr<VValue> copy(value.Clone());
  ASSERT_NE(dynamic_cast<VLong*>(copy.get()), nullptr);
  EXPECT_FALSE(copy->IsNull(kWholeValue));
  EXPECT_EQ(copy->GetLong(kWholeValue), 12);
  VLongLong big(-3);
  std::unique_ptr<VValue> bigCopy(big.Clone());
  EXPECT_EQ(bigCopy->GetKind(), kValueLongLong);
  EXPECT_EQ(bigCopy->GetLongLong(kWholeValue), -3);
}

TEST(NumericValues, CopyConstructionCopiesNumberAndNullFlagIntoItsOwnStorage) {
  VLong a(3);
  a.SetNull(true, kWholeValue);
  VLong b(a);
  a.SetLong(4, kWholeValue);
  EXPECT_EQ(b.GetLong(kWholeValue), 3);
  EXPECT_TRUE(b.IsNull(kWholeValue));
  VReal c(1.0), d(2.0);
  d = c;
  c.SetReal(5.0, kWholeValue);
  EXPECT_EQ(d.GetReal(kWholeValue), 1.0);
}

// ---- moving a datum between values

TEST(NumericValues, CopyToUsesTheDestinationsSetterOfOwnType) {
  SetterRecorder to;
  VWord(3).CopyTo(to, kWholeValue);
  VLong(4).CopyTo(to, kWholeValue);
  VReal(5.5).CopyTo(to, kWholeValue);
  VLongLong(6).CopyTo(to, kWholeValue);
  EXPECT_EQ(to.calls, "SetWord;SetLong;SetReal;SetLongLong;");
}

TEST(NumericValues, ConvertToUsesTheInterchangeSetter) {
  SetterRecorder to;
  VWord(3).ConvertTo(to, kWholeValue);
  VLong(4).ConvertTo(to, kWholeValue);
  VReal(5.5).ConvertTo(to, kWholeValue);
  VLongLong(6).ConvertTo(to, kWholeValue);
  EXPECT_EQ(to.calls, "SetWord;SetLong;SetReal;SetLongLong;");
}

TEST(NumericValues, AssignTakesTheNumberEvenFromANullSource) {
  VLong source(7);
  source.SetNull(true, kWholeValue);
  VWord word(1);
  word.Assign(source, kWholeValue);
  EXPECT_TRUE(word.IsNull(kWholeValue));
  EXPECT_EQ(word.GetWord(kWholeValue), 7);
}

TEST(NumericValues, CopyFromANullSourceKeepsTheOldNumber) {
  VLong source(7);
  source.SetNull(true, kWholeValue);
  VWord word(1);
  word.CopyFrom(source, kWholeValue);
  EXPECT_TRUE(word.IsNull(kWholeValue));
  EXPECT_EQ(word.GetWord(kWholeValue), 1);
}

TEST(NumericValues, CopyFromReadsTheSourcesOwnGetter) {
  VWord word;
  word.CopyFrom(VLong(70000), kWholeValue);
  EXPECT_EQ(word.GetWord(kWholeValue), 4464);
  VReal real;
  real.CopyFrom(VLongLong(1LL << 40), kWholeValue);
  EXPECT_EQ(real.GetReal(kWholeValue), 1099511627776.0);
  VLongLong ll;
  ll.CopyFrom(VReal(-2.75), kWholeValue);
  EXPECT_EQ(ll.GetLongLong(kWholeValue), -2);
  VLong l;
  l.CopyFrom(VReal(8.9), kWholeValue);
  EXPECT_EQ(l.GetLong(kWholeValue), 8);
  EXPECT_FALSE(l.IsNull(kWholeValue));
}

TEST(NumericValues, AssignFromAnEmptyValueMakesTheValueNull) {
  VLong value(5);
  value.Assign(VEmptyValue(), kWholeValue);
  EXPECT_TRUE(value.IsNull(kWholeValue));
  EXPECT_EQ(value.GetLong(kWholeValue), 0);  // the empty value's neutral answer
}

// ---- comparison

TEST(NumericValues, CompareAnswersOneMinusOneOrZero) {
  EXPECT_EQ(VLong(5).Compare(VLong(4), 0, 0), 1);
  EXPECT_EQ(VLong(-5).Compare(VLong(4), 0, 0), -1);
  EXPECT_EQ(VLong(5).Compare(VReal(5.9), 0, 0), 0);  // the real read as a long
  EXPECT_EQ(VWord(-1).Compare(VLong(65535), 0, 0), -1);
  EXPECT_EQ(VWord(-1).Compare(VLong(-1), 0, 0), 0);
  EXPECT_EQ(VReal(1.5).Compare(VReal(1.25), 0, 0), 1);
  EXPECT_EQ(VReal(1.5).Compare(VLong(2), 0, 0), -1);
}

TEST(NumericValues, LongLongComparesSigned) {
  EXPECT_EQ(VLongLong(-1).Compare(VLongLong(1), 0, 0), -1);
  EXPECT_EQ(VLongLong(1LL << 40).Compare(VLongLong(-(1LL << 40)), 0, 0), 1);
  EXPECT_EQ(VLongLong(0x100000000LL).Compare(VLongLong(0xFFFFFFFFLL), 0, 0), 1);
  EXPECT_EQ(VLongLong(7).Compare(VLong(7), 0, 0), 0);
}

TEST(NumericValues, RealNaNComparesEqualToAnything) {
  EXPECT_EQ(VReal(kNaN).Compare(VReal(1.0), 0, 0), 0);
  EXPECT_EQ(VReal(1.0).Compare(VReal(kNaN), 0, 0), 0);
  EXPECT_EQ(VReal(kNaN).Compare(VLong(-3), 0, 0), 0);
}

// ---- the flat form

TEST(NumericValues, FlatFormIsTheDatumInMemoryOrder) {
  uint8_t buffer[32] = {};
  uint8_t* p = buffer;
  p = VWord(-2).ToData(p, kWholeValue);
  p = VLong(0x01020304).ToData(p, kWholeValue);
  p = VReal(0.5).ToData(p, kWholeValue);
  p = VLongLong(-1).ToData(p, kWholeValue);
  EXPECT_EQ(p, buffer + 22);
  int16_t w;
  std::memcpy(&w, buffer, 2);
  EXPECT_EQ(w, -2);
  int32_t l;
  std::memcpy(&l, buffer + 2, 4);
  EXPECT_EQ(l, 0x01020304);

  VWord w2;
  VLong l2;
  VReal r2;
  VLongLong ll2;
  w2.SetNull(true, kWholeValue);
  const uint8_t* q = buffer;
  q = w2.FromData(q, kWholeValue);
  q = l2.FromData(q, kWholeValue);
  q = r2.FromData(q, kWholeValue);
  q = ll2.FromData(q, kWholeValue);
  EXPECT_EQ(q, buffer + 22);
  EXPECT_FALSE(w2.IsNull(kWholeValue));
  EXPECT_EQ(w2.GetWord(kWholeValue), -2);
  EXPECT_EQ(l2.GetLong(kWholeValue), 0x01020304);
  EXPECT_EQ(r2.GetReal(kWholeValue), 0.5);
  EXPECT_EQ(ll2.GetLongLong(kWholeValue), -1);
}

// ---- text

TEST(NumericValues, FormatToWritesTheNumberThroughTheStringsSetter) {
  NumberTextString text;
  VWord(-12).FormatTo(text, nullptr, kWholeValue);
  EXPECT_EQ(text.Text(), "-12");
  VLong(-2147483647 - 1).FormatTo(text, nullptr, kWholeValue);
  EXPECT_EQ(text.Text(), "-2147483648");
  VLongLong(-9223372036854775807LL - 1).FormatTo(text, nullptr, kWholeValue);
  EXPECT_EQ(text.Text(), "-9223372036854775808");
  VReal(0.5).FormatTo(text, nullptr, kWholeValue);
  EXPECT_EQ(text.Text(), "0.5");
  EXPECT_EQ(text.calls, "SetWord;SetLong;SetLongLong;SetReal;");
}

TEST(NumericValues, FormatToAppliesTheNumberFormatOnlyWhenGiven) {
  MarkingHost host;
  NumberTextString format("###0");
  NumberTextString text;
  VLong(42).FormatTo(text, &format, kWholeValue);
  EXPECT_EQ(text.Text(), "N[###0]42");
  VReal(2.5).FormatTo(text, &format, kWholeValue);
  EXPECT_EQ(text.Text(), "N[###0]2.5");
  VWord(-1).FormatTo(text, &format, kWholeValue);
  EXPECT_EQ(text.Text(), "N[###0]-1");
  VLongLong(1).FormatTo(text, &format, kWholeValue);
  EXPECT_EQ(text.Text(), "N[###0]1");
  VLong(42).FormatTo(text, nullptr, kWholeValue);
  EXPECT_EQ(text.Text(), "42");
  // An empty format changes nothing.
  NumberTextString empty;
  VLong(7).FormatTo(text, &empty, kWholeValue);
  EXPECT_EQ(text.Text(), "7");
}

TEST(NumericValues, FormatToMakesTheStringNotNull) {
  NumberTextString text;
  text.SetNull(true, kWholeValue);
  VLong(3).FormatTo(text, nullptr, kWholeValue);
  EXPECT_FALSE(text.IsNull(kWholeValue));
  EXPECT_EQ(text.Text(), "3");
}

TEST(NumericValues, RealFormatsWithTheDecimalSeparator) {
  NumberTextString text(',');
  VReal(-1.25).FormatTo(text, nullptr, kWholeValue);
  EXPECT_EQ(text.Text(), "-1,25");
}

TEST(NumericValues, SetStringReadsTheStringsOwnGetter) {
  VWord w;
  w.SetString(NumberTextString("70000"), kWholeValue);
  EXPECT_EQ(w.GetWord(kWholeValue), 4464);
  VLong l;
  l.SetString(NumberTextString("-2e3"), kWholeValue);
  EXPECT_EQ(l.GetLong(kWholeValue), -2000);
  VLongLong ll;
  ll.SetString(NumberTextString("-9000000000"), kWholeValue);
  EXPECT_EQ(ll.GetLongLong(kWholeValue), -9000000000LL);
  VReal r;
  r.SetString(NumberTextString("1,25e2", ','), kWholeValue);
  EXPECT_EQ(r.GetReal(kWholeValue), 125.0);
}

TEST(NumericValues, SetStringFromANullStringKeepsTheNumber) {
  NumberTextString text("99");
  text.SetNull(true, kWholeValue);
  VLong value(4);
  value.SetString(text, kWholeValue);
  EXPECT_TRUE(value.IsNull(kWholeValue));
  EXPECT_EQ(value.GetLong(kWholeValue), 4);
}

TEST(NumericValues, SetStringWrapsAHugeNumberWithoutFailing) {
  VLong value;
  value.SetString(NumberTextString("99999999999999999999"), kWholeValue);
  EXPECT_EQ(value.GetLong(kWholeValue), 1661992959);
  EXPECT_FALSE(value.IsNull(kWholeValue));
}

TEST(NumericValues, TextRoundTrip) {
  for (const int32_t n : {0, 1, -1, 32767, -32768, 2147483647, -2147483647 - 1}) {
    NumberTextString text;
    VLong(n).FormatTo(text, nullptr, kWholeValue);
    VLong back;
    back.SetString(text, kWholeValue);
    EXPECT_EQ(back.GetLong(kWholeValue), n) << text.Text();
  }
  for (const double x : {0.0, 0.1, -3.5, 1e-7, 123456.789}) {
    NumberTextString text;
    VReal(x).FormatTo(text, nullptr, kWholeValue);
    VReal back;
    back.SetString(text, kWholeValue);
    EXPECT_NEAR(back.GetReal(kWholeValue), x, std::fabs(x) * 1e-13) << text.Text();
  }
}

TEST(NumericValues, StringsAssignedFromNumbersCarryTheirText) {
  NumberTextString text;
  text.Assign(VLong(-45), kWholeValue);
  EXPECT_EQ(text.Text(), "-45");
  VLong back;
  back.Assign(text, kWholeValue);
  EXPECT_EQ(back.GetLong(kWholeValue), -45);
}
