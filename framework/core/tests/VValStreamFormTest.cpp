// The tagged value form: each kind's bytes in both byte orders, the reader
// that makes the object for a stored kind, and bad or short input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/core/streams/VStreamProgress.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/ValueStreamSupport.h"
#include "framework/core/values/VBoolean.h"
#include "framework/core/values/VEmptyValue.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VLongLong.h"
#include "framework/core/values/VPictureMaker.h"
#include "framework/core/values/VReal.h"
#include "framework/core/values/VWord.h"

using value_tests::ByteReader;
using value_tests::BytesWritten;
using value_tests::kBigEndian;
using value_tests::kLittleEndian;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes Tagged(VValue& value, int16_t order = kBigEndian) {
  return BytesWritten([&](VStream& s) { EXPECT_EQ(s.PutValue(value, true), kStreamNoError); }, order);
}

Bytes Untagged(VValue& value, int16_t order = kBigEndian) {
  return BytesWritten([&](VStream& s) { EXPECT_EQ(s.PutValue(value, false), kStreamNoError); }, order);
}

// Reads one tagged value back from the bytes.
std::unique_ptr<VValue> ReadBack(const Bytes& bytes, int16_t order = kBigEndian) {
  ByteReader reader(bytes, order);
  return std::unique_ptr<VValue>(ReadValue(reader.stream()));
}

Bytes BigEndianDouble(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, 8);
  Bytes out;
  for (int shift = 56; shift >= 0; shift -= 8) out.push_back(uint8_t(bits >> shift));
  return out;
}

class CancellingHook : public VStreamProgress {
 public:
  bool Progress(uint32_t bytes) override {
    asked.push_back(bytes);
    return true;
  }
  std::vector<uint32_t> asked;
};

// A picture stand-in that records the picture kind it was made for and
// reads a 32-bit word as its data.
class FakePicture : public VValueSingle {
 public:
  explicit FakePicture(int32_t pictureKind) : pictureKind(pictureKind) {}
  VValue* Clone() const override { return new FakePicture(pictureKind); }
  int32_t GetKind() const override { return kValuePicture; }
  int32_t Compare(const VValue&, int32_t, int32_t) const override { return -1000; }
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override {
    readTag = tag;
    data = stream.GetLong();
    return stream.GetStatus();
  }
  int32_t pictureKind;
  uint32_t readTag = 99;
  int32_t data = 0;
};

VValue* MakeFakePicture(int32_t pictureKind) {
  return pictureKind == 1 ? new FakePicture(pictureKind) : nullptr;
}

// Installs the fake picture maker for one test and puts back the one before.
class FakePictureMaker {
 public:
  FakePictureMaker() : fInstalled(&kMaker) {}

 private:
  static constexpr VPictureMaker kMaker{&MakeFakePicture};
  VInstalledService<const VPictureMaker> fInstalled;
};

}  // namespace

TEST(VValForm, LongMinusTwoIsKindThreeThenItsFourBytes) {
  VLong value(-2);
  EXPECT_EQ(Tagged(value), (Bytes{0, 0, 0, 3, 0xFF, 0xFF, 0xFF, 0xFE}));
}

TEST(VValForm, UntaggedLongIsItsDataAlone) {
  VLong value(-2);
  EXPECT_EQ(Untagged(value), (Bytes{0xFF, 0xFF, 0xFF, 0xFE}));
}

TEST(VValForm, LittleEndianStreamSwapsKindAndData) {
  VLong value(-2);
  EXPECT_EQ(Tagged(value, kLittleEndian), (Bytes{3, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF}));
  VWord word(0x1234);
  EXPECT_EQ(Tagged(word, kLittleEndian), (Bytes{2, 0, 0, 0, 0x34, 0x12}));
}

TEST(VValForm, BooleanTrueIsKindOneThenTheWordOne) {
  VBoolean value(1);
  EXPECT_EQ(Tagged(value), (Bytes{0, 0, 0, 1, 0, 1}));
  VBoolean no(0);
  EXPECT_EQ(Tagged(no), (Bytes{0, 0, 0, 1, 0, 0}));
}

TEST(VValForm, WordIsKindTwoThenSixteenBits) {
  VWord value(-300);
  EXPECT_EQ(Tagged(value), (Bytes{0, 0, 0, 2, 0xFE, 0xD4}));
}

TEST(VValForm, RealIsKindFiveThenTheBigEndianDouble) {
  VReal value(-1234.5);
  Bytes expected{0, 0, 0, 5};
  const Bytes data = BigEndianDouble(-1234.5);
  expected.insert(expected.end(), data.begin(), data.end());
  EXPECT_EQ(Tagged(value), expected);
}

TEST(VValForm, LongLongIsKindTwelveThenOneEightByteUnit) {
  VLongLong value(0x0102030405060708LL);
  EXPECT_EQ(Tagged(value), (Bytes{0, 0, 0, 12, 1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(Tagged(value, kLittleEndian), (Bytes{12, 0, 0, 0, 8, 7, 6, 5, 4, 3, 2, 1}));
}

TEST(VValForm, EmptyValueIsTheKindAlone) {
  VEmptyValue value;
  EXPECT_EQ(Tagged(value), (Bytes{0, 0, 0, 0}));
  std::unique_ptr<VValue> back = ReadBack(Tagged(value));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetKind(), kValueEmpty);
  EXPECT_TRUE(back->IsNull(kWholeValue));
}

TEST(VValForm, EveryNumericKindRoundTripsInBothOrders) {
  for (const int16_t order : {kBigEndian, kLittleEndian}) {
    VBoolean b(1);
    VWord w(-32768);
    VLong l(-2147483647 - 1);
    VReal r(3.0e-300);
    VLongLong ll(-9223372036854775807LL - 1);
    std::vector<VValue*> values{&b, &w, &l, &r, &ll};
    for (VValue* v : values) {
      std::unique_ptr<VValue> back = ReadBack(Tagged(*v, order), order);
      ASSERT_NE(back, nullptr) << v->GetKind();
      EXPECT_EQ(back->GetKind(), v->GetKind());
      EXPECT_FALSE(back->IsNull(kWholeValue));
      EXPECT_EQ(back->Compare(*v, 0, 0), 0) << v->GetKind();
      EXPECT_EQ(back->GetLongLong(kWholeValue), v->GetLongLong(kWholeValue));
    }
  }
}

TEST(VValForm, RealSurvivesTheExtendedOrder) {
  // Data order 0 keeps reals as 10-byte extended values.
  VReal value(-0.1);
  const Bytes bytes = Tagged(value, kByteOrderExtended);
  EXPECT_EQ(bytes.size(), 4u + 10u);
  std::unique_ptr<VValue> back = ReadBack(bytes, kByteOrderExtended);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetReal(kWholeValue), -0.1);
}

TEST(VValForm, NaNAndInfinitiesRoundTrip) {
  for (const double x : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
    VReal value(x);
    std::unique_ptr<VValue> back = ReadBack(Tagged(value));
    ASSERT_NE(back, nullptr);
    const double y = back->GetReal(kWholeValue);
    if (std::isnan(x))
      EXPECT_TRUE(std::isnan(y));
    else
      EXPECT_EQ(y, x);
  }
}

TEST(VValForm, AnyNonZeroBooleanWordReadsTrue) {
  std::unique_ptr<VValue> back = ReadBack(Bytes{0, 0, 0, 1, 0x01, 0x00});
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(back->GetBoolean(kWholeValue));
  EXPECT_EQ(back->GetLong(kWholeValue), 1);
  std::unique_ptr<VValue> no = ReadBack(Bytes{0, 0, 0, 1, 0, 0});
  EXPECT_FALSE(no->GetBoolean(kWholeValue));
}

TEST(VValForm, BooleanKeepsAStoredByteOtherThanOneWhenWriting) {
  VBoolean value;
  value.SetBoolean(2, kWholeValue);
  EXPECT_EQ(Untagged(value), (Bytes{0, 2}));
}

TEST(VValForm, KindsWithoutAStreamFormReadAsNothing) {
  for (const uint8_t kind : {4, 9, 11, 13, 99, 103, 108, 109, 110}) {
    ByteReader reader(Bytes{0, 0, 0, kind, 1, 2, 3, 4});
    EXPECT_EQ(ReadValue(reader.stream()), nullptr) << int(kind);
    // Only the kind was taken: the rest is there for a reader that goes on.
    EXPECT_EQ(reader.stream().GetPosition(), 4u);
    EXPECT_EQ(reader.stream().GetStatus(), kStreamNoError);
  }
}

TEST(VValForm, KindIsComparedUnsigned) {
  ByteReader reader(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1});
  EXPECT_EQ(ReadValue(reader.stream()), nullptr);
  EXPECT_EQ(reader.stream().GetPosition(), 4u);
}

TEST(VValForm, StreamAlreadyInErrorReadsNothing) {
  ByteReader reader(Bytes{0, 0, 0, 3, 0, 0, 0, 7});
  reader.stream().SetPosition(100);  // past the end: 200
  ASSERT_EQ(reader.stream().GetStatus(), kStreamEndOfData);
  EXPECT_EQ(ReadValue(reader.stream()), nullptr);
}

TEST(VValForm, HookThatStopsGivesCancelledAndNoValue) {
  ByteReader reader(Bytes{0, 0, 0, 3, 0, 0, 0, 7});
  CancellingHook hook;
  reader.stream().SetHook(&hook);
  EXPECT_EQ(ReadValue(reader.stream()), nullptr);
  EXPECT_EQ(reader.stream().GetStatus(), kStreamCancelled);
  ASSERT_EQ(hook.asked.size(), 1u);
  EXPECT_EQ(hook.asked[0], 4u);
  reader.stream().SetHook(nullptr);
}

TEST(VValForm, StreamEndingInsideTheKindGivesNoValue) {
  ByteReader reader(Bytes{0, 0, 3});
  EXPECT_EQ(ReadValue(reader.stream()), nullptr);
  EXPECT_EQ(reader.stream().GetStatus(), kStreamEndOfData);
}

TEST(VValForm, StreamEndingInsideTheDataStillAnswersTheValue) {
  ByteReader reader(Bytes{0, 0, 0, 3, 0x12, 0x34});
  std::unique_ptr<VValue> value(ReadValue(reader.stream()));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->GetKind(), kValueLong);
  EXPECT_EQ(value->GetLong(kWholeValue), 0);  // what a failed read gives
  EXPECT_EQ(reader.stream().GetStatus(), kStreamEndOfData);
}

TEST(VValForm, ShortReadIntoAnExistingValueKeepsItsDatum) {
  ByteReader reader(Bytes{0x12, 0x34});
  VLong value(77);
  EXPECT_EQ(reader.stream().GetValueData(value), kStreamEndOfData);
  EXPECT_EQ(value.GetLong(kWholeValue), 77);
  ByteReader realReader(Bytes{1, 2, 3});
  VReal real(2.5);
  EXPECT_EQ(realReader.stream().GetValueData(real), kStreamEndOfData);
  EXPECT_EQ(real.GetReal(kWholeValue), 2.5);
}

TEST(VValForm, ReadingDataLeavesTheNullFlagAlone) {
  ByteReader reader(Bytes{0, 0, 0, 9});
  VLong value(1);
  value.SetNull(true, kWholeValue);
  EXPECT_EQ(reader.stream().GetValueData(value), kStreamNoError);
  EXPECT_EQ(value.GetLong(kWholeValue), 9);
  EXPECT_TRUE(value.IsNull(kWholeValue));
}

TEST(VValForm, ValueWrittenAsAMemberHasNoKindWhateverTheTag) {
  // Reading takes the data only, so a tagged read of an untagged value works.
  ByteReader reader(Bytes{0xFF, 0xFE});
  VWord value;
  EXPECT_EQ(value.ReadFromStream(reader.stream(), kTagVVAL), kStreamNoError);
  EXPECT_EQ(value.GetWord(kWholeValue), -2);
}

TEST(VValForm, StringFormOutsideOneToSixReadsAsNothing) {
  for (const uint8_t form : {0, 7, 200}) {
    ByteReader reader(Bytes{0, 0, 0, 8, 0, 0, 0, form, 0, 0, 0, 0});
    EXPECT_EQ(ReadValue(reader.stream()), nullptr) << int(form);
    EXPECT_EQ(reader.stream().GetPosition(), 8u);
  }
}

TEST(VValForm, StringFormCutShortReadsAsNothing) {
  ByteReader reader(Bytes{0, 0, 0, 8, 0, 0});
  EXPECT_EQ(ReadValue(reader.stream()), nullptr);
  EXPECT_EQ(reader.stream().GetStatus(), kStreamEndOfData);
}

TEST(VValForm, StringFormChoosesTheStringClass) {
  ByteReader reader(Bytes{0, 0, 0, 8, 0, 0, 0, 2, 0, 0, 0, 0});
  std::unique_ptr<VValue> value(ReadValue(reader.stream()));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->GetKind(), kValueString);
  auto* text = dynamic_cast<VString*>(value.get());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->GetForm(), kStringFormUniHandle);
}

TEST(VValForm, PictureWithoutAnInstalledMakerReadsAsNothing) {
  VInstalledService<const VPictureMaker> none(nullptr);
  ByteReader reader(Bytes{0, 0, 0, 10, 0, 0, 0, 1, 0, 0, 0, 0});
  EXPECT_EQ(ReadValue(reader.stream()), nullptr);
  EXPECT_EQ(reader.stream().GetPosition(), 8u);
}

TEST(VValForm, PictureIsMadeByTheInstalledMakerForItsPictureKind) {
  FakePictureMaker maker;
  ByteReader reader(Bytes{0, 0, 0, 10, 0, 0, 0, 1, 0, 0, 0, 42});
  std::unique_ptr<VValue> value(ReadValue(reader.stream()));
  ASSERT_NE(value, nullptr);
  auto* picture = dynamic_cast<FakePicture*>(value.get());
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->pictureKind, 1);
  EXPECT_EQ(picture->readTag, 0u);
  EXPECT_EQ(picture->data, 42);
}

TEST(VValForm, PictureKindWithoutAClassReadsAsNothing) {
  FakePictureMaker maker;
  ByteReader reader(Bytes{0, 0, 0, 10, 0, 0, 0, 3, 0, 0, 0, 0});
  EXPECT_EQ(ReadValue(reader.stream()), nullptr);
  EXPECT_EQ(reader.stream().GetPosition(), 8u);
}

TEST(VValForm, ValuesFollowOneAnotherInAStream) {
  VLong a(5);
  VBoolean b(1);
  VReal c(0.25);
  const Bytes bytes = BytesWritten([&](VStream& s) {
    s.PutValue(a, true);
    s.PutValue(b, true);
    s.PutValue(c, true);
  });
  ByteReader reader(bytes);
  std::unique_ptr<VValue> first(ReadValue(reader.stream()));
  std::unique_ptr<VValue> second(ReadValue(reader.stream()));
  std::unique_ptr<VValue> third(ReadValue(reader.stream()));
  ASSERT_TRUE(first && second && third);
  EXPECT_EQ(first->GetLong(kWholeValue), 5);
  EXPECT_TRUE(second->GetBoolean(kWholeValue));
  EXPECT_EQ(third->GetReal(kWholeValue), 0.25);
  EXPECT_EQ(ReadValue(reader.stream()), nullptr);
  EXPECT_EQ(reader.stream().GetStatus(), kStreamEndOfData);
}

TEST(VValForm, ValueOverNoStorageWritesZerosAndSkipsOnReading) {
  VLongInMem none(nullptr, false);
  EXPECT_EQ(Tagged(none), (Bytes{0, 0, 0, 3, 0, 0, 0, 0}));
  VLongLongInMem noneLL(nullptr, false);
  EXPECT_EQ(Untagged(noneLL), Bytes(8, 0));
  VBoolInMem noneB(nullptr, false);
  EXPECT_EQ(Untagged(noneB), Bytes(2, 0));

  ByteReader reader(Bytes{0, 0, 0, 5, 0, 7, 1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_EQ(none.ReadFromStream(reader.stream(), 0), kStreamNoError);
  EXPECT_EQ(reader.stream().GetPosition(), 4u);
  VWordInMem noneW(nullptr, false);
  EXPECT_EQ(noneW.ReadFromStream(reader.stream(), 0), kStreamNoError);
  EXPECT_EQ(reader.stream().GetPosition(), 6u);
  EXPECT_EQ(noneLL.ReadFromStream(reader.stream(), 0), kStreamNoError);
  EXPECT_EQ(reader.stream().GetPosition(), 14u);
  EXPECT_EQ(none.GetLong(kWholeValue), 0);
}

TEST(VValForm, InMemValueStreamsTheStorageItStandsOver) {
  int32_t cell = 0x01020304;
  VLongInMem value(&cell, false);
  EXPECT_EQ(Untagged(value), (Bytes{1, 2, 3, 4}));
  ByteReader reader(Bytes{0xA0, 0xB0, 0xC0, 0xD0});
  EXPECT_EQ(value.ReadFromStream(reader.stream(), 0), kStreamNoError);
  EXPECT_EQ(uint32_t(cell), 0xA0B0C0D0u);
}

TEST(VValForm, SingleValueWithoutAStoredFormRefusesBothWays) {
  // A class of its own datum that gives no stored form, as the big integer.
  class NoForm : public VValueSingle {
   public:
    VValue* Clone() const override { return new NoForm; }
    int32_t GetKind() const override { return kValueBigInteger; }
    int32_t Compare(const VValue&, int32_t, int32_t) const override { return 0; }
  } value;
  const Bytes bytes = BytesWritten([&](VStream& s) { EXPECT_EQ(value.WriteToStream(s, kTagVVAL), -2); });
  EXPECT_TRUE(bytes.empty());
  ByteReader reader(Bytes{1, 2, 3, 4});
  EXPECT_EQ(value.ReadFromStream(reader.stream(), 0), -2);
  EXPECT_EQ(reader.stream().GetPosition(), 0u);
}

TEST(StreamRemaining, CountBeyondWhatRemainsStopsTheStream) {
  ByteReader reader(Bytes{1, 2, 3, 4, 5});
  reader.stream().Skip(2);
  EXPECT_TRUE(reader.stream().HasRemaining(3));
  EXPECT_EQ(reader.stream().GetStatus(), kStreamNoError);
  EXPECT_FALSE(reader.stream().HasRemaining(4));
  EXPECT_EQ(reader.stream().GetStatus(), kStreamEndOfData);
}

TEST(StreamRemaining, HugeCountIsRefusedWithoutOverflow) {
  ByteReader reader(Bytes{1, 2});
  EXPECT_FALSE(reader.stream().HasRemaining(0xFFFFFFFFull + 10));
  EXPECT_EQ(reader.stream().GetStatus(), kStreamEndOfData);
}
