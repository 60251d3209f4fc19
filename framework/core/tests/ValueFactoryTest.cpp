// The value factory: the class, kind, null flag and datum of the empty value
// made for each kind code, the kinds that have none, and each made value's
// way through the tagged stream form and back.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <typeinfo>
#include <vector>

#include "framework/core/containers/VBooleanArray.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/ValueStreamSupport.h"
#include "framework/core/values/VBigInteger.h"
#include "framework/core/values/VBoolean.h"
#include "framework/core/values/VDate.h"
#include "framework/core/values/VEmptyValue.h"
#include "framework/core/values/VHour.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VReal.h"
#include "framework/core/values/VWord.h"
#include "framework/core/containers/ValueFactory.h"

using value_tests::ByteReader;
using value_tests::BytesWritten;
using value_tests::kBigEndian;
using value_tests::kLittleEndian;
using Bytes = std::vector<uint8_t>;

namespace {

std::unique_ptr<VValue> Make(int32_t kind) { return std::unique_ptr<VValue>(NewValueOfKind(kind)); }

Bytes Tagged(VValue& value, int16_t order = kBigEndian) {
  return BytesWritten([&](VStream& s) { EXPECT_EQ(s.PutValue(value, true), kStreamNoError); }, order);
}

std::unique_ptr<VValue> ReadBack(const Bytes& bytes, int16_t order = kBigEndian) {
  ByteReader reader(bytes, order);
  std::unique_ptr<VValue> value(ReadValue(reader.stream()));
  EXPECT_EQ(reader.stream().GetStatus(), kStreamNoError);
  // The whole value was read, nothing more.
  EXPECT_EQ(reader.stream().GetPosition(), uint32_t(bytes.size()));
  return value;
}

VArray& AsArray(VValue& value) { return dynamic_cast<VArray&>(value); }

void AppendUni(VString& s, const char16_t* text) {
  for (; *text != 0; ++text) s.AppendUniChar(*text);
  s.SetNull(false, kWholeValue);
}

std::u16string Text(const VString& s) {
  std::u16string text;
  for (int32_t i = 1; i <= s.GetLength(); ++i) text.push_back(s.GetCharAt(i));
  return text;
}

struct KindAndClass {
  int32_t kind;
  const std::type_info& type;
};

// Every kind that has an empty value of its own, with the class made for it.
const KindAndClass kMadeKinds[] = {
    {1, typeid(VBoolean)},        {2, typeid(VWord)},         {3, typeid(VLong)},
    {4, typeid(VBigInteger)},     {5, typeid(VReal)},         {6, typeid(VHour)},
    {7, typeid(VDate)},           {8, typeid(VStr<255>)},     {100, typeid(VBooleanArray)},
    {101, typeid(VWordArray)},    {102, typeid(VLongArray)},  {104, typeid(VRealArray)},
    {105, typeid(VHourArray)},    {106, typeid(VDateArray)},  {107, typeid(VStringArray)},
};

// The typed arrays the factory makes, with their element kinds.
const int32_t kArrayKinds[] = {100, 101, 102, 104, 105, 106, 107};

}  // namespace

TEST(ValueFactory, MakesTheClassOfEachKindNotNull) {
  for (const KindAndClass& k : kMadeKinds) {
    std::unique_ptr<VValue> value = Make(k.kind);
    ASSERT_NE(value, nullptr) << k.kind;
    EXPECT_EQ(typeid(*value), k.type) << k.kind;
    EXPECT_EQ(value->GetKind(), k.kind);
    EXPECT_FALSE(value->IsNull(kWholeValue)) << k.kind;
  }
}

TEST(ValueFactory, KindZeroIsANullEmptyValue) {
  std::unique_ptr<VValue> value = Make(0);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(typeid(*value), typeid(VEmptyValue));
  EXPECT_EQ(value->GetKind(), 0);
  EXPECT_TRUE(value->IsNull(kWholeValue));
}

TEST(ValueFactory, KindsWithoutAnEmptyValueGiveANullEmptyValue) {
  // The array kinds that do not exist (103, 108), the picture array (109),
  // the values of other subsystems (9, 10, 13), the fixed point (11), the
  // 64-bit integer (12), and codes outside every range.
  for (const int32_t kind : {-1, 9, 10, 11, 12, 13, 14, 99, 103, 108, 109, 110, 207, INT32_MIN, INT32_MAX}) {
    std::unique_ptr<VValue> value = Make(kind);
    ASSERT_NE(value, nullptr) << kind;
    EXPECT_EQ(typeid(*value), typeid(VEmptyValue)) << kind;
    EXPECT_EQ(value->GetKind(), 0) << kind;
    EXPECT_TRUE(value->IsNull(kWholeValue)) << kind;
  }
}

TEST(ValueFactory, EachCallMakesAFreshObject) {
  std::unique_ptr<VValue> first = Make(3);
  std::unique_ptr<VValue> second = Make(3);
  ASSERT_NE(first.get(), second.get());
  first->SetLong(42, kWholeValue);
  EXPECT_EQ(second->GetLong(kWholeValue), 0);
}

TEST(ValueFactory, ScalarsHoldTheirZero) {
  EXPECT_FALSE(Make(1)->GetBoolean(kWholeValue));
  EXPECT_EQ(Make(1)->GetLong(kWholeValue), 0);
  EXPECT_EQ(Make(2)->GetWord(kWholeValue), 0);
  EXPECT_EQ(Make(3)->GetLong(kWholeValue), 0);
  EXPECT_EQ(Make(5)->GetReal(kWholeValue), 0.0);
}

TEST(ValueFactory, TimeMadeByKindReadsMinusOneSecond) {
  std::unique_ptr<VValue> value = Make(6);
  EXPECT_EQ(value->GetTime(kWholeValue), -1);
  EXPECT_EQ(value->GetLong(kWholeValue), -1);
}

TEST(ValueFactory, DateMadeByKindIsTheEmptyDate) {
  VDateRec date{1, 2, 3};
  Make(7)->GetDate(date, kWholeValue);
  EXPECT_EQ(date.day, 0);
  EXPECT_EQ(date.month, 0);
  EXPECT_EQ(date.year, 0);
}

TEST(ValueFactory, BigIntegerHasSixteenZeroBytes) {
  std::unique_ptr<VValue> value = Make(4);
  auto& number = dynamic_cast<VBigInteger&>(*value);
  ASSERT_EQ(number.GetByteCount(), 16u);
  EXPECT_EQ(number.GetDataSize(), 16u);
  for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(number.GetBytes()[i], 0) << i;
  // All 16 bytes are its own: a negative number fills them all.
  number.SetLong(-1, kWholeValue);
  for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(number.GetBytes()[i], 0xFF) << i;
}

TEST(ValueFactory, StringIsEmptyWithRoomForTwoHundredFiftyFiveCharacters) {
  std::unique_ptr<VValue> value = Make(8);
  auto& text = dynamic_cast<VString&>(*value);
  EXPECT_EQ(text.GetLength(), 0);
  EXPECT_EQ(text.GetCapacity(), 255);
  EXPECT_EQ(text.GetForm(), kStringFormUni);
  EXPECT_TRUE(text.SetLength(255));
  EXPECT_FALSE(text.SetLength(256));
  EXPECT_EQ(text.GetLength(), 255);
}

TEST(ValueFactory, ArraysAreEmptyAndKnowTheirElementKind) {
  for (const int32_t kind : kArrayKinds) {
    std::unique_ptr<VValue> value = Make(kind);
    VArray& array = AsArray(*value);
    EXPECT_TRUE(array.IsMultiple()) << kind;
    EXPECT_EQ(array.Count(), 0) << kind;
    EXPECT_EQ(array.GetElementKind(), VValue::ElementKindOf(kind)) << kind;
  }
}

TEST(ValueFactory, MadeValuesTakeADatumThroughTheValueInterface) {
  // The command layer's use: a typed copy of another value.
  const VLong source(70000);
  std::unique_ptr<VValue> word = Make(kValueWord);
  word->Assign(source, kWholeValue);
  EXPECT_EQ(word->GetWord(kWholeValue), 4464);

  std::unique_ptr<VValue> copy = Make(source.GetKind());
  copy->Assign(source, kWholeValue);
  EXPECT_EQ(copy->GetLong(kWholeValue), 70000);
  EXPECT_EQ(copy->Compare(source, 0, 0), 0);
}

// ---- the tagged form

TEST(ValueFactoryStreamForm, EmptyValueWritesOnlyItsKindAndReadsBackNull) {
  std::unique_ptr<VValue> value = Make(0);
  const Bytes bytes = Tagged(*value);
  EXPECT_EQ(bytes, (Bytes{0, 0, 0, 0}));
  std::unique_ptr<VValue> back = ReadBack(bytes);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(typeid(*back), typeid(VEmptyValue));
  EXPECT_TRUE(back->IsNull(kWholeValue));
}

TEST(ValueFactoryStreamForm, ZeroValuesHaveTheirStoredBytes) {
  EXPECT_EQ(Tagged(*Make(1)), (Bytes{0, 0, 0, 1, 0, 0}));
  EXPECT_EQ(Tagged(*Make(2)), (Bytes{0, 0, 0, 2, 0, 0}));
  EXPECT_EQ(Tagged(*Make(3)), (Bytes{0, 0, 0, 3, 0, 0, 0, 0}));
  EXPECT_EQ(Tagged(*Make(5)), (Bytes{0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Tagged(*Make(6)), (Bytes{0, 0, 0, 6, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Tagged(*Make(7)), (Bytes{0, 0, 0, 7, 0, 0, 0, 0, 0, 0}));
  // Kind 8, form 1 (UTF-16 inline), length 0 and nothing more.
  EXPECT_EQ(Tagged(*Make(8)), (Bytes{0, 0, 0, 8, 0, 0, 0, 1, 0, 0, 0, 0}));
  // An empty array writes its kind and the count 0.
  EXPECT_EQ(Tagged(*Make(102)), (Bytes{0, 0, 0, 102, 0, 0, 0, 0}));
}

TEST(ValueFactoryStreamForm, ScalarsRoundTripInBothByteOrders) {
  for (const int16_t order : {kBigEndian, kLittleEndian}) {
    for (const int32_t kind : {1, 2, 3, 5, 6}) {
      std::unique_ptr<VValue> value = Make(kind);
      value->SetLong(-2 + 3 * kind, kWholeValue);  // 1 (true), 4, 7, 13, 16
      std::unique_ptr<VValue> back = ReadBack(Tagged(*value, order), order);
      ASSERT_NE(back, nullptr) << kind;
      EXPECT_EQ(typeid(*back), typeid(*value)) << kind;
      EXPECT_FALSE(back->IsNull(kWholeValue));
      EXPECT_EQ(back->Compare(*value, 0, 0), 0) << kind;
      EXPECT_EQ(back->GetLong(kWholeValue), value->GetLong(kWholeValue)) << kind;
    }
  }
}

TEST(ValueFactoryStreamForm, RealKeepsItsFraction) {
  std::unique_ptr<VValue> value = Make(5);
  value->SetReal(-1234.0625, kWholeValue);
  std::unique_ptr<VValue> back = ReadBack(Tagged(*value));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetReal(kWholeValue), -1234.0625);
}

TEST(ValueFactoryStreamForm, TimeMadeByKindRoundTripsItsMinusOne) {
  std::unique_ptr<VValue> back = ReadBack(Tagged(*Make(6)));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(typeid(*back), typeid(VHour));
  EXPECT_EQ(back->GetTime(kWholeValue), -1);
}

TEST(ValueFactoryStreamForm, DateRoundTripsYearFirst) {
  std::unique_ptr<VValue> value = Make(7);
  value->SetDate(VDateRec{5, 4, 2002}, kWholeValue);
  const Bytes bytes = Tagged(*value);
  EXPECT_EQ(bytes, (Bytes{0, 0, 0, 7, 0x07, 0xD2, 0, 4, 0, 5}));
  std::unique_ptr<VValue> back = ReadBack(bytes);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(typeid(*back), typeid(VDate));
  VDateRec date;
  back->GetDate(date, kWholeValue);
  EXPECT_EQ(date.day, 5);
  EXPECT_EQ(date.month, 4);
  EXPECT_EQ(date.year, 2002);
}

TEST(ValueFactoryStreamForm, StringRoundTripsIntoTheSameClass) {
  std::unique_ptr<VValue> value = Make(8);
  AppendUni(dynamic_cast<VString&>(*value), u"Qv\u00e9");
  const Bytes bytes = Tagged(*value);
  // Kind 8, form 1, length 3, character kind 2, the units and a zero unit.
  EXPECT_EQ(bytes, (Bytes{0, 0, 0, 8, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 2, 0, 'Q', 0, 'v', 0, 0xE9, 0, 0}));
  std::unique_ptr<VValue> back = ReadBack(bytes);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(typeid(*back), typeid(VStr<255>));
  EXPECT_EQ(Text(dynamic_cast<VString&>(*back)), u"Qv\u00e9");
}

TEST(ValueFactoryStreamForm, BigIntegerHasNoStreamForm) {
  std::unique_ptr<VValue> value = Make(4);
  value->SetLong(5, kWholeValue);
  const Bytes bytes = BytesWritten([&](VStream& s) { EXPECT_EQ(value->WriteToStream(s, kTagVVAL), -2); });
  EXPECT_TRUE(bytes.empty());
  // And a stored kind 4 is not read.
  ByteReader reader(Bytes{0, 0, 0, 4, 0, 0, 0, 5});
  EXPECT_EQ(ReadValue(reader.stream()), nullptr);
  EXPECT_EQ(reader.stream().GetPosition(), 4u);
}

TEST(ValueFactoryStreamForm, LongArrayHasItsFrameAndRoundTrips) {
  std::unique_ptr<VValue> value = Make(102);
  AsArray(*value).AppendLong(5, false);
  AsArray(*value).AppendLong(-1, false);
  const Bytes bytes = Tagged(*value);
  EXPECT_EQ(bytes, (Bytes{0, 0, 0, 102, 0, 0, 0, 2, 0, 0, 0, 5, 0xFF, 0xFF, 0xFF, 0xFF}));
  std::unique_ptr<VValue> back = ReadBack(bytes);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(typeid(*back), typeid(VLongArray));
  ASSERT_EQ(AsArray(*back).Count(), 2);
  EXPECT_EQ(back->GetLong(1), 5);
  EXPECT_EQ(back->GetLong(2), -1);
}

TEST(ValueFactoryStreamForm, EveryArrayKindRoundTripsInBothByteOrders) {
  for (const int16_t order : {kBigEndian, kLittleEndian}) {
    for (const int32_t kind : kArrayKinds) {
      std::unique_ptr<VValue> value = Make(kind);
      VArray& array = AsArray(*value);
      switch (kind) {
        case 100:
          for (int i = 0; i < 10; ++i) array.AppendBoolean(uint8_t(i % 3 == 0), false);
          break;
        case 101: array.AppendWord(-300, false), array.AppendWord(7, false); break;
        case 102: array.AppendLong(INT32_MIN, false), array.AppendLong(9, false); break;
        case 104: array.AppendReal(2.5, false), array.AppendReal(-0.125, false); break;
        case 105: array.AppendTime(3725, false), array.AppendTime(-1, false); break;
        case 106: array.AppendDate(VDateRec{29, 2, 2004}, false), array.AppendDate(VDateRec{}, false); break;
        case 107: {
          VStr<31> text;
          AppendUni(text, u"abc");
          array.AppendString(text, false);
          array.AppendString(text, false);
          break;
        }
      }
      std::unique_ptr<VValue> back = ReadBack(Tagged(*value, order), order);
      ASSERT_NE(back, nullptr) << kind;
      EXPECT_EQ(typeid(*back), typeid(*value)) << kind;
      ASSERT_EQ(AsArray(*back).Count(), array.Count()) << kind;
      for (int32_t i = 1; i <= array.Count(); ++i) {
        if (kind == 107) {
          VStr<31> a, b;
          value->CopyTo(a, i);
          back->CopyTo(b, i);
          EXPECT_EQ(Text(b), Text(a)) << i;
          EXPECT_EQ(Text(b), u"abc") << i;
        } else if (kind == 106) {
          VDateRec a, b;
          value->GetDate(a, i);
          back->GetDate(b, i);
          EXPECT_EQ(b.day, a.day);
          EXPECT_EQ(b.month, a.month);
          EXPECT_EQ(b.year, a.year);
        } else {
          EXPECT_EQ(back->GetReal(i), value->GetReal(i)) << kind << " " << i;
        }
      }
    }
  }
}

TEST(ValueFactoryStreamForm, ArrayCutShortIsAnsweredWithTheEndStatus) {
  // Three longs announced, one present.
  ByteReader reader(Bytes{0, 0, 0, 102, 0, 0, 0, 3, 0, 0, 0, 5});
  std::unique_ptr<VValue> value(ReadValue(reader.stream()));
  EXPECT_EQ(reader.stream().GetStatus(), kStreamEndOfData);
  // The object made is still answered; it took no element that did not arrive.
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(AsArray(*value).Count(), 0);
}

TEST(ValueFactoryStreamForm, ArrayWithAHugeCountAllocatesNothing) {
  ByteReader reader(Bytes{0, 0, 0, 101, 0x7F, 0xFF, 0xFF, 0xFF, 0, 1});
  std::unique_ptr<VValue> value(ReadValue(reader.stream()));
  EXPECT_EQ(reader.stream().GetStatus(), kStreamEndOfData);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(AsArray(*value).Count(), 0);
}

TEST(ValueFactoryStreamForm, ArrayKindsWithoutAStreamFormAreNotRead) {
  for (const uint8_t kind : {103, 108, 109}) {
    ByteReader reader(Bytes{0, 0, 0, kind, 0, 0, 0, 0});
    EXPECT_EQ(ReadValue(reader.stream()), nullptr) << int(kind);
    EXPECT_EQ(reader.stream().GetPosition(), 4u);
  }
}

TEST(ValueFactoryStreamForm, ValuesFollowEachOtherInOneStream) {
  std::unique_ptr<VValue> numbers = Make(101);
  AsArray(*numbers).AppendWord(12, false);
  std::unique_ptr<VValue> flag = Make(1);
  flag->SetBoolean(1, kWholeValue);
  const Bytes bytes = BytesWritten([&](VStream& s) {
    s.PutValue(*numbers, true);
    s.PutValue(*flag, true);
  });
  ByteReader reader(bytes);
  std::unique_ptr<VValue> first(ReadValue(reader.stream()));
  std::unique_ptr<VValue> second(ReadValue(reader.stream()));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(first->GetKind(), 101);
  EXPECT_EQ(first->GetWord(1), 12);
  EXPECT_EQ(second->GetKind(), 1);
  EXPECT_TRUE(second->GetBoolean(kWholeValue));
  EXPECT_EQ(reader.stream().GetStatus(), kStreamNoError);
}
