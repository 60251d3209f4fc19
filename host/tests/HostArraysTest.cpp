// Host array variables edited in place: handle sizes by type, elements set
// and read back, deletion, Boolean bits, rows of two-dimensional arrays, and
// accesses outside what the handle holds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VValue.h"
#include "host/context/HostArrays.h"
#include "host/context/HostVariables.h"
#include "platform/toolbox/TbxHandles.h"
#include "host/tests/HostTestSupport.h"

namespace {

HostVariableEntry Empty(uint8_t type) {
  HostVariableEntry e;
  std::memset(&e, 0, sizeof e);
  e.type = type;
  return e;
}

using hosttest::Str;

VStr<255> Text(const char* t) {
  VStr<255> s;
  s.SetAnsiCText(t);
  return s;
}

void Free(HostVariableEntry& e) {
  ResizeHostArray(e, 0);
  Tbx::DisposeHandle(e.value.array.handle);
}

TEST(HostArrays, HandleSizesByType) {
  struct Case {
    uint8_t type;
    int32_t n;
    int32_t bytes;
  };
  const Case cases[] = {{kHostRealArray, 3, 32},  {kHostIntegerArray, 3, 8}, {kHostLongArray, 3, 16},
                        {kHostDateArray, 3, 24},  {kHostTextArray, 3, 24},   {kHostPictureArray, 3, 16},
                        {kHostStringArray, 3, 2 + 4 * 80}, {kHostBooleanArray, 16, 3}, {kHostBooleanArray, 7, 1},
                        {kHostBooleanArray, 0, 1}};
  for (const Case& c : cases) {
    HostVariableEntry e = Empty(c.type);
    ASSERT_TRUE(ResizeHostArray(e, c.n)) << int(c.type);
    EXPECT_EQ(Tbx::GetHandleSize(e.value.array.handle), c.bytes) << int(c.type);
    EXPECT_EQ(GetHostArrayCount(e), c.n);
    Free(e);
  }
  HostVariableEntry record = Empty(kHostRecord);
  EXPECT_FALSE(ResizeHostArray(record, 2));
}

TEST(HostArrays, NumericElementsConvertToTheirType) {
  HostVariableEntry longs = Empty(kHostLongArray);
  AppendHostArrayLong(longs, 7);
  AppendHostArrayReal(longs, -2.9);   // truncated
  AppendHostArrayReal(longs, 1e12);   // kept within the type
  EXPECT_EQ(GetHostArrayCount(longs), 3);
  EXPECT_EQ(GetHostArrayLong(longs, 1), 7);
  EXPECT_EQ(GetHostArrayLong(longs, 2), -2);
  EXPECT_EQ(GetHostArrayLong(longs, 3), INT32_MAX);
  EXPECT_EQ(GetHostArrayLong(longs, 4), 0);   // beyond the count
  EXPECT_EQ(GetHostArrayLong(longs, -1), 0);
  SetHostArrayLong(longs, 9, 5);              // nothing written
  EXPECT_EQ(Tbx::GetHandleSize(longs.value.array.handle), 16);
  Free(longs);

  HostVariableEntry reals = Empty(kHostRealArray);
  AppendHostArrayReal(reals, 2.5);
  AppendHostArrayInteger(reals, -3);
  EXPECT_EQ(GetHostArrayReal(reals, 1), 2.5);
  EXPECT_EQ(GetHostArrayReal(reals, 2), -3.0);
  EXPECT_EQ(GetHostArrayInteger(reals, 1), 2);
  Free(reals);
}

TEST(HostArrays, TextsAndStringsAndShrinkingDisposesTexts) {
  HostVariableEntry texts = Empty(kHostTextArray);
  AppendHostArrayString(texts, Text("one"));
  AppendHostArrayString(texts, Text("two"));
  AppendHostArrayString(texts, Text("three"));
  VStr<255> out;
  GetHostArrayString(texts, 2, out);
  EXPECT_EQ(Str(out), "two");
  HostTextRecord third;
  {
    const auto* p = static_cast<const uint8_t*>(Tbx::HLock(texts.value.array.handle));
    std::memcpy(&third, p + 3 * sizeof(HostTextRecord), sizeof third);
    Tbx::HUnlock(texts.value.array.handle);
  }
  const uint32_t thirdHandle = third.handle;
  ASSERT_NE(thirdHandle, 0u);
  ASSERT_TRUE(ResizeHostArray(texts, 2));
  Tbx::GetHandleSize(thirdHandle);
  EXPECT_NE(Tbx::MemError(), Tbx::noErr);  // the removed element's text is gone
  Free(texts);

  HostVariableEntry strings = Empty(kHostStringArray);
  AppendHostArrayString(strings, Text(std::string(100, 'x').c_str()));
  GetHostArrayString(strings, 1, out);
  EXPECT_EQ(Str(out), std::string(79, 'x'));  // size word 80: 79 characters
  Free(strings);
}

TEST(HostArrays, DeletingMovesTheRestDown) {
  HostVariableEntry longs = Empty(kHostLongArray);
  for (int32_t v : {10, 20, 30, 40, 50}) AppendHostArrayLong(longs, v);
  DeleteHostArrayElements(longs, 2, 2);
  EXPECT_EQ(GetHostArrayCount(longs), 3);
  EXPECT_EQ(GetHostArrayLong(longs, 1), 10);
  EXPECT_EQ(GetHostArrayLong(longs, 2), 40);
  EXPECT_EQ(GetHostArrayLong(longs, 3), 50);
  DeleteHostArrayElements(longs, 3, 99);  // cut at the end
  EXPECT_EQ(GetHostArrayCount(longs), 2);
  DeleteHostArrayElements(longs, 5, 1);   // outside: nothing
  EXPECT_EQ(GetHostArrayCount(longs), 2);
  Free(longs);

  HostVariableEntry bits = Empty(kHostBooleanArray);
  ASSERT_TRUE(ResizeHostArray(bits, 10));
  for (int32_t i : {1, 3, 9}) SetHostBooleanElement(bits, i, true);
  DeleteHostArrayElements(bits, 2, 2);  // 1 stays, 3 goes, 9 moves to 7
  EXPECT_EQ(GetHostArrayCount(bits), 8);
  EXPECT_TRUE(GetHostBooleanElement(bits, 1));
  EXPECT_FALSE(GetHostBooleanElement(bits, 2));
  EXPECT_TRUE(GetHostBooleanElement(bits, 7));
  EXPECT_FALSE(GetHostBooleanElement(bits, 9));  // beyond the count
  Free(bits);
}

TEST(HostArrays, AnElementTheHandleDoesNotHoldIsNeitherReadNorWritten) {
  // A count larger than the handle: only what the handle holds is touched.
  HostVariableEntry longs = Empty(kHostLongArray);
  longs.value.array.handle = Tbx::NewHandle(8);  // elements 0 and 1
  longs.value.array.count = 1000;
  std::memset(Tbx::HLock(longs.value.array.handle), 0, 8);
  Tbx::HUnlock(longs.value.array.handle);
  SetHostArrayLong(longs, 1, 5);
  SetHostArrayLong(longs, 2, 6);
  EXPECT_EQ(GetHostArrayLong(longs, 1), 5);
  EXPECT_EQ(GetHostArrayLong(longs, 2), 0);
  VDateRec date{};
  HostVariableEntry dates = Empty(kHostDateArray);
  dates.value.array.count = 3;  // no handle
  SetHostDateElement(dates, 1, VDateRec{1, 2, 3});
  GetHostDateElement(dates, 1, date);
  EXPECT_EQ(date.day, 0);
  Tbx::DisposeHandle(longs.value.array.handle);
}

TEST(HostArrays, RowsOfATwoDimensionalArray) {
  HostVariableEntry table = Empty(kHostArray2D);
  table.value.array.count = 2;
  table.value.array.handle = Tbx::NewHandle(3 * sizeof(HostArrayRow));
  std::memset(Tbx::HLock(table.value.array.handle), 0, 3 * sizeof(HostArrayRow));
  Tbx::HUnlock(table.value.array.handle);
  auto setType = [](HostVariableEntry& row, void*) {
    row.type = kHostLongArray;
    AppendHostArrayLong(row, 42);
  };
  EXPECT_TRUE(WithHostArrayRow(table, 2, setType, nullptr));
  EXPECT_FALSE(WithHostArrayRow(table, 3, setType, nullptr));
  EXPECT_FALSE(WithHostArrayRow(table, 0, setType, nullptr));
  int32_t read = 0;
  EXPECT_TRUE(WithHostArrayRow(
      table, 2, [](HostVariableEntry& row, void* out) { *static_cast<int32_t*>(out) = GetHostArrayLong(row, 1); },
      &read));
  EXPECT_EQ(read, 42);
  WithHostArrayRow(table, 2, [](HostVariableEntry& row, void*) { Free(row); }, nullptr);
  Tbx::DisposeHandle(table.value.array.handle);
}

}  // namespace
