// Host array entries to framework arrays and back: elements from 1, element
// 0 left to the host, counts cut to what the handles hold, the current
// element, and string arrays read and written with one element distance.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/containers/VBooleanArray.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VLong.h"
#include "host/context/HostVariables.h"
#include "platform/toolbox/TbxBits.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

template <typename T>
Tbx::Handle HandleOf(const std::vector<T>& elements) {
  const size_t bytes = elements.size() * sizeof(T);
  Tbx::Handle h = Tbx::NewHandle(static_cast<int32_t>(bytes));
  if (bytes != 0) {
    std::memcpy(Tbx::HLock(h), elements.data(), bytes);
    Tbx::HUnlock(h);
  }
  return h;
}

std::vector<uint8_t> BytesOf(Tbx::Handle h) {
  std::vector<uint8_t> out(static_cast<size_t>(Tbx::GetHandleSize(h)));
  if (!out.empty()) {
    std::memcpy(out.data(), Tbx::HLock(h), out.size());
    Tbx::HUnlock(h);
  }
  return out;
}

HostVariableEntry ArrayEntry(uint8_t type, uint32_t count, Tbx::Handle handle, int16_t current = 0) {
  HostVariableEntry e;
  std::memset(&e, 0, sizeof e);
  e.type = type;
  e.value.array.count = count;
  e.value.array.handle = handle;
  e.value.array.current = current;
  return e;
}

std::string Text(const VString* s) {
  std::string out;
  if (s == nullptr) return "(null)";
  for (int32_t i = 1; i <= s->GetLength(); ++i) out += static_cast<char>(s->GetCharAt(i));
  return out;
}

// A string array's handle: the size word, then count + 1 elements.
Tbx::Handle StringArrayHandle(int16_t size, const std::vector<std::string>& elements) {
  std::vector<uint8_t> bytes(2 + elements.size() * static_cast<size_t>(size), 0);
  std::memcpy(bytes.data(), &size, 2);
  for (size_t i = 0; i < elements.size(); ++i) {
    bytes[2 + i * size] = static_cast<uint8_t>(elements[i].size());
    std::memcpy(bytes.data() + 2 + i * size + 1, elements[i].data(), elements[i].size());
  }
  return HandleOf(bytes);
}

// ---- Entries to arrays

TEST(HostArrayEntries, RealsFromElementOneWithTheCurrentElement) {
  const Tbx::Handle h = HandleOf<double>({99.0, 1.5, 2.5, 3.5});
  HostVariableEntry e = ArrayEntry(kHostRealArray, 3, h, 2);
  std::unique_ptr<VValue> v(HostVariableToValue(e, false));
  auto* array = dynamic_cast<VRealArray*>(v.get());
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->Count(), 3);
  EXPECT_EQ(array->GetReal(1), 1.5);
  EXPECT_EQ(array->GetReal(3), 3.5);
  EXPECT_EQ(array->GetCurrent(), 2);
  Tbx::DisposeHandle(h);
}

TEST(HostArrayEntries, ACountBeyondTheHandleIsCutToIt) {
  const Tbx::Handle h = HandleOf<int16_t>({0, 10, 20});
  HostVariableEntry e = ArrayEntry(kHostIntegerArray, 1000000, h, 500);
  std::unique_ptr<VValue> v(HostVariableToValue(e, false));
  auto* array = dynamic_cast<VWordArray*>(v.get());
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->Count(), 2);
  EXPECT_EQ(array->GetWord(2), 20);
  EXPECT_EQ(array->GetCurrent(), 2);
  Tbx::DisposeHandle(h);
}

TEST(HostArrayEntries, ANegativeCurrentElementIsNone) {
  const Tbx::Handle h = HandleOf<int32_t>({0, 7});
  HostVariableEntry e = ArrayEntry(kHostLongArray, 1, h, -3);
  std::unique_ptr<VValue> v(HostVariableToValue(e, false));
  auto* array = dynamic_cast<VLongArray*>(v.get());
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->GetLong(1), 7);
  EXPECT_EQ(array->GetCurrent(), 0);
  Tbx::DisposeHandle(h);
}

TEST(HostArrayEntries, AnArrayWithoutHandleIsEmpty) {
  HostVariableEntry e = ArrayEntry(kHostRealArray, 50, 0);
  std::unique_ptr<VValue> v(HostVariableToValue(e, false));
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(static_cast<VArray*>(v.get())->Count(), 0);
  const Tbx::Handle tooSmall = HandleOf<uint8_t>({1, 2, 3});
  e = ArrayEntry(kHostRealArray, 1, tooSmall);
  v.reset(HostVariableToValue(e, false));
  EXPECT_EQ(static_cast<VArray*>(v.get())->Count(), 0);
  Tbx::DisposeHandle(tooSmall);
}

TEST(HostArrayEntries, DatesAreThreeWordsEach) {
  const Tbx::Handle h = HandleOf<int16_t>({0, 0, 0, 24, 12, 2023});
  HostVariableEntry e = ArrayEntry(kHostDateArray, 1, h);
  std::unique_ptr<VValue> v(HostVariableToValue(e, false));
  ASSERT_NE(v, nullptr);
  VDateRec date;
  v->GetDate(date, 1);
  EXPECT_EQ(date.day, 24);
  EXPECT_EQ(date.month, 12);
  EXPECT_EQ(date.year, 2023);
  Tbx::DisposeHandle(h);
}

TEST(HostArrayEntries, NineBooleansTakeTwoBytesAndElement8IsInTheSecond) {
  std::vector<uint8_t> bits(2, 0);
  Tbx::BitSet(bits.data(), 8);
  Tbx::BitSet(bits.data(), 1);
  const Tbx::Handle h = HandleOf(bits);
  HostVariableEntry e = ArrayEntry(kHostBooleanArray, 9, h);
  std::unique_ptr<VValue> v(HostVariableToValue(e, false));
  auto* array = dynamic_cast<VBooleanArray*>(v.get());
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->Count(), 9);
  EXPECT_TRUE(array->GetBoolean(1));
  EXPECT_FALSE(array->GetBoolean(2));
  EXPECT_TRUE(array->GetBoolean(8));
  EXPECT_FALSE(array->GetBoolean(9));
  Tbx::DisposeHandle(h);
}

TEST(HostArrayEntries, BooleanCountsAreCutToTheBitsPresent) {
  const Tbx::Handle h = HandleOf<uint8_t>({0xFF});
  HostVariableEntry e = ArrayEntry(kHostBooleanArray, 4000, h);
  std::unique_ptr<VValue> v(HostVariableToValue(e, false));
  EXPECT_EQ(static_cast<VArray*>(v.get())->Count(), 7);
  Tbx::DisposeHandle(h);
}

TEST(HostArrayEntries, TakingATextArrayEmptiesItsRecords) {
  HostTextRecord records[3] = {{0, 0}, {0, 0}, {0, 0}};
  const Tbx::Handle a = HandleOf<char>({'o', 'n', 'e'});
  records[1] = HostTextRecord{3, a};
  const Tbx::Handle h = HandleOf(std::vector<HostTextRecord>(records, records + 3));
  HostVariableEntry e = ArrayEntry(kHostTextArray, 2, h);
  std::unique_ptr<VValue> v(HostVariableToValue(e, true));
  auto* array = dynamic_cast<VStringArray*>(v.get());
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->Count(), 2);
  EXPECT_EQ(Text(array->GetAt(1)), "one");
  EXPECT_EQ(array->GetAt(2), nullptr);
  HostTextRecord after;
  std::memcpy(&after, BytesOf(h).data() + sizeof(HostTextRecord), sizeof after);
  EXPECT_EQ(uint32_t{after.handle}, 0u);
  EXPECT_EQ(int16_t{after.length}, 0);
  Tbx::DisposeHandle(h);
}

TEST(HostArrayEntries, StringArraysUseTheSizeWordAsTheDistance) {
  const Tbx::Handle h = StringArrayHandle(5, {"zz", "ab", "wxyz"});
  HostVariableEntry e = ArrayEntry(kHostStringArray, 2, h);
  std::unique_ptr<VValue> v(HostVariableToValue(e, false));
  auto* array = dynamic_cast<VStringArray*>(v.get());
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->Count(), 2);
  EXPECT_EQ(Text(array->GetAt(1)), "ab");
  EXPECT_EQ(Text(array->GetAt(2)), "wxyz");
  Tbx::DisposeHandle(h);
}

TEST(HostArrayEntries, AStoredLengthBeyondItsElementIsCut) {
  const Tbx::Handle h = StringArrayHandle(4, {"", "abc"});
  std::vector<uint8_t> bytes = BytesOf(h);
  bytes[2 + 4] = 200;  // element 1 claims 200 characters in 4 bytes
  std::memcpy(Tbx::HLock(h), bytes.data(), bytes.size());
  Tbx::HUnlock(h);
  HostVariableEntry e = ArrayEntry(kHostStringArray, 1, h);
  std::unique_ptr<VValue> v(HostVariableToValue(e, false));
  EXPECT_EQ(Text(static_cast<VStringArray*>(v.get())->GetAt(1)), "abc");
  Tbx::DisposeHandle(h);
}

TEST(HostArrayEntries, AStringArrayWithoutASizeWordIsEmpty) {
  const Tbx::Handle h = HandleOf<int16_t>({-4, 0, 0, 0});
  HostVariableEntry e = ArrayEntry(kHostStringArray, 3, h);
  std::unique_ptr<VValue> v(HostVariableToValue(e, false));
  EXPECT_EQ(static_cast<VArray*>(v.get())->Count(), 0);
  Tbx::DisposeHandle(h);
}

TEST(HostArrayEntries, ARealArrayWithoutDataHasItsCountOfZeros) {
  HostVariableEntry e = ArrayEntry(kHostRealArrayNoData, 4, 0);
  std::unique_ptr<VValue> v(HostVariableToValue(e, false));
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(static_cast<VArray*>(v.get())->Count(), 4);
  EXPECT_EQ(v->GetReal(4), 0.0);
}

// ---- Arrays into entries

TEST(StoreArrays, ARealArrayFillsElementsOneToCount) {
  VRealArray array(0);
  const double values[] = {1.0, 2.0};
  array.SetFromBuffer(values, 2);
  array.SetCurrent(2);
  HostVariableEntry e = ArrayEntry(kHostRealArray, 0, 0);
  StoreValueInEntry(array, e);
  EXPECT_EQ(uint32_t{e.value.array.count}, 2u);
  EXPECT_EQ(int16_t{e.value.array.current}, 2);
  const std::vector<uint8_t> bytes = BytesOf(e.value.array.handle);
  ASSERT_EQ(bytes.size(), 24u);
  double second;
  std::memcpy(&second, bytes.data() + 16, 8);
  EXPECT_EQ(second, 2.0);
  Tbx::DisposeHandle(e.value.array.handle);
}

TEST(StoreArrays, ElementsAreConvertedToTheEntrysElementType) {
  VRealArray array(0);
  const double values[] = {7.9};
  array.SetFromBuffer(values, 1);
  HostVariableEntry e = ArrayEntry(kHostIntegerArray, 0, 0);
  StoreValueInEntry(array, e);
  const std::vector<uint8_t> bytes = BytesOf(e.value.array.handle);
  ASSERT_EQ(bytes.size(), 4u);
  int16_t element;
  std::memcpy(&element, bytes.data() + 2, 2);
  EXPECT_EQ(element, 7);
  Tbx::DisposeHandle(e.value.array.handle);
}

TEST(StoreArrays, ASingleValueLeavesAnArrayEntryAlone) {
  HostVariableEntry e = ArrayEntry(kHostLongArray, 0, 0);
  StoreValueInEntry(VLong(4), e);
  EXPECT_EQ(uint32_t{e.value.array.handle}, 0u);
  EXPECT_EQ(uint32_t{e.value.array.count}, 0u);
}

VStringArray Strings(const std::vector<std::u16string>& texts) {
  VStringArray array(0);
  for (const std::u16string& t : texts) {
    auto* s = new VStr<255>;
    s->SetUniChars(t.data(), 0, static_cast<int32_t>(t.size()));
    array.AppendObject(s, false);
  }
  return array;
}

TEST(StoreArrays, AStringArrayOfAnOddSizeWordIsWrittenAndReadWithThatDistance) {
  const Tbx::Handle h = StringArrayHandle(7, {"", ""});
  HostVariableEntry e = ArrayEntry(kHostStringArray, 1, h);
  VStringArray array = Strings({u"abc", u"defghijkl", u"x"});
  StoreValueInEntry(array, e);
  EXPECT_EQ(uint32_t{e.value.array.count}, 3u);
  const std::vector<uint8_t> bytes = BytesOf(e.value.array.handle);
  ASSERT_EQ(bytes.size(), 2u + 4 * 7);
  EXPECT_EQ(bytes[2 + 2 * 7], 6);  // cut at size - 1 characters
  EXPECT_EQ(bytes[2 + 3 * 7], 1);
  std::unique_ptr<VValue> back(HostVariableToValue(e, false));
  auto* read = static_cast<VStringArray*>(back.get());
  EXPECT_EQ(Text(read->GetAt(1)), "abc");
  EXPECT_EQ(Text(read->GetAt(2)), "defghi");
  EXPECT_EQ(Text(read->GetAt(3)), "x");
  Tbx::DisposeHandle(e.value.array.handle);
}

TEST(StoreArrays, ANewStringArrayHandleHas256ByteElementsItsReadersAgreeWith) {
  HostVariableEntry e = ArrayEntry(kHostStringArray, 0, 0);
  VStringArray array = Strings({std::u16string(255, u'q'), u"end"});
  StoreValueInEntry(array, e);
  const std::vector<uint8_t> bytes = BytesOf(e.value.array.handle);
  int16_t size = 0;
  std::memcpy(&size, bytes.data(), 2);
  EXPECT_EQ(size, 256);
  EXPECT_EQ(bytes.size(), 2u + 3 * 256);
  std::unique_ptr<VValue> back(HostVariableToValue(e, false));
  auto* read = static_cast<VStringArray*>(back.get());
  EXPECT_EQ(read->GetAt(1)->GetLength(), 255);
  EXPECT_EQ(Text(read->GetAt(2)), "end");
  Tbx::DisposeHandle(e.value.array.handle);
}

TEST(StoreArrays, AnUndefinedEntryTakesATextArrayForStrings) {
  HostVariableEntry e;
  std::memset(&e, 0, sizeof e);
  e.type = kHostUndefined;
  VStringArray array = Strings({u"a", u"bc"});
  StoreValueInEntry(array, e);
  EXPECT_EQ(e.type, kHostTextArray);
  EXPECT_EQ(uint32_t{e.value.array.count}, 2u);
  std::unique_ptr<VValue> back(HostVariableToValue(e, true));
  EXPECT_EQ(Text(static_cast<VStringArray*>(back.get())->GetAt(2)), "bc");
  Tbx::DisposeHandle(e.value.array.handle);
}

TEST(StoreArrays, OldTextsAreDisposedOnlyAsFarAsTheHandleHoldsThem) {
  const Tbx::Handle text = HandleOf<char>({'o', 'l', 'd'});
  std::vector<HostTextRecord> records = {{0, 0}, {3, text}};
  HostVariableEntry e = ArrayEntry(kHostTextArray, 5000, HandleOf(records));
  VStringArray array = Strings({u"new"});
  StoreValueInEntry(array, e);
  Tbx::GetHandleSize(text);
  EXPECT_NE(Tbx::MemError(), Tbx::noErr);  // the old text is gone
  EXPECT_EQ(uint32_t{e.value.array.count}, 1u);
  HostTextRecord first;
  std::memcpy(&first, BytesOf(e.value.array.handle).data() + sizeof first, sizeof first);
  EXPECT_EQ(int16_t{first.length}, 3);
  HostTextRecordClear(first);
  Tbx::DisposeHandle(e.value.array.handle);
}

}  // namespace
