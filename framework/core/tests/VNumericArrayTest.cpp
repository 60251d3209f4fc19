// The typed arrays of 16-bit and 32-bit integers, reals, times and dates:
// conversions of the value interface, comparison, search, buffers,
// statistics and the stored element forms in both byte orders.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/containers/VBooleanArray.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/FailingMemoryMgr.h"
#include "framework/core/tests/VArrayTestSupport.h"
#include "framework/core/values/VBoolean.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VReal.h"
#include "framework/core/values/VWord.h"

using namespace array_tests;

using Ints = std::vector<int32_t>;

namespace {

std::vector<double> Reals(const VRealArray& a) {
  std::vector<double> out;
  for (int32_t i = 1; i <= a.Count(); ++i) out.push_back(a.GetReal(i));
  return out;
}

VDateRec Date(int16_t day, int16_t month, int16_t year) { return VDateRec{day, month, year}; }

bool SameDate(const VDateRec& a, const VDateRec& b) {
  return a.day == b.day && a.month == b.month && a.year == b.year;
}

VDateRec DateAt(const VDateArray& a, int32_t index) {
  VDateRec d;
  return a.GetDate(d, index);
}

}  // namespace

// ---- kinds

TEST(NumericArray, KindsAndElementKinds) {
  VWordArray w;
  VLongArray l;
  VRealArray r;
  VHourArray h;
  VDateArray d;
  EXPECT_EQ(w.GetKind(), 101);
  EXPECT_EQ(l.GetKind(), 102);
  EXPECT_EQ(r.GetKind(), 104);
  EXPECT_EQ(h.GetKind(), 105);
  EXPECT_EQ(d.GetKind(), 106);
  for (const VArray* a : std::initializer_list<const VArray*>{&w, &l, &r, &h, &d}) {
    EXPECT_EQ(a->GetElementKind(), a->GetKind() - 99);
    EXPECT_TRUE(a->IsSingle());
    EXPECT_TRUE(a->IsMultiple());
  }
  EXPECT_TRUE(w.IsInteger());
  EXPECT_TRUE(l.IsInteger());
  EXPECT_TRUE(r.IsInteger());
  EXPECT_TRUE(h.IsInteger());
  EXPECT_FALSE(d.IsInteger());
}

// ---- 16-bit elements

TEST(WordArray, SettersKeepTheLow16BitsAndTruncateReals) {
  VWordArray a(5);
  a.SetLong(70000, 1);
  a.SetTime(-65537, 2);
  a.SetReal(70000.9, 3);
  a.SetReal(-2.7, 4);
  a.SetBoolean(9, 5);
  EXPECT_EQ(Longs(a), (Ints{4464, -1, 4464, -2, 1}));
}

TEST(WordArray, GettersSignExtendAndTestForZero) {
  VWordArray a(2);
  a.SetWord(-5, 1);
  a.SetWord(256, 2);
  EXPECT_EQ(a.GetLong(1), -5);
  EXPECT_EQ(a.GetTime(1), -5);
  EXPECT_EQ(a.GetReal(1), -5.0);
  EXPECT_TRUE(a.GetBoolean(2));
  EXPECT_EQ(a.GetLongLong(1), 0);
  VDateRec d{1, 1, 1};
  EXPECT_TRUE(SameDate(a.GetDate(d, 1), VDateRec{}));
}

TEST(WordArray, CopyToUsesSetWordAndConvertToSetLong) {
  VWordArray a(1);
  a.SetWord(-3, 1);
  RecordingValue v;
  a.CopyTo(v, 1);
  EXPECT_EQ(v.last, "SetWord");
  EXPECT_EQ(v.number, -3);
  a.ConvertTo(v, 1);
  EXPECT_EQ(v.last, "SetLong");
  EXPECT_EQ(v.number, -3);
}

TEST(WordArray, ValueSettersReadTheValueThroughTheNamedGetter) {
  VWordArray a(2);
  RecordingValue v;
  a.CopyFrom(v, 1);  // GetLong
  a.Assign(v, 2);    // GetWord
  EXPECT_EQ(Longs(a), (Ints{3, 2}));
}

TEST(WordArray, CompareAndFindValueUseTheWordReading) {
  VWordArray a(3);
  a.SetWord(1, 1);
  a.SetWord(2, 2);
  a.SetWord(3, 3);
  RecordingValue v;  // reads 2 as a word
  EXPECT_EQ(a.Compare(v, 0, 1), -1);
  EXPECT_EQ(a.Compare(v, 0, 2), 0);
  EXPECT_EQ(a.Compare(v, 0, 3), 1);
  EXPECT_EQ(a.FindValue(v, 1, true, 0), 2);
}

TEST(WordArray, GetMaxOfAnEmptyArrayIsMinus32768) {
  VWordArray a;
  EXPECT_EQ(a.GetMax(), -32768);
  a.AppendWord(-40, false);
  a.AppendWord(-7, false);
  a.AppendWord(-9, false);
  EXPECT_EQ(a.GetMax(), -7);
}

TEST(WordArray, SetFromBufferReplacesTheElementsAndSortsWhenSorted) {
  VWordArray a(7);
  a.SetSorted(true);
  const int16_t buffer[] = {5, -1, 3};
  a.SetFromBuffer(buffer, 3);
  EXPECT_EQ(Longs(a), (Ints{-1, 3, 5}));
  EXPECT_EQ(a.GetCapacity(), 3);
}

TEST(WordArray, SetFromBufferWithANegativeCountEmptiesAndCopiesNothing) {
  VWordArray a(2);
  const int16_t buffer[] = {5};
  a.SetFromBuffer(buffer, -4);
  EXPECT_EQ(a.Count(), 0);
}

TEST(WordArray, StoredAsBigEndian16BitValues) {
  VWordArray a;
  a.AppendWord(1, false);
  a.AppendWord(-2, false);
  Bytes expected;
  Put32(expected, 101);
  Put32(expected, 2);
  Put16(expected, 1);
  Put16(expected, 0xFFFE);
  EXPECT_EQ(WriteOut(a, kTagVVAL), expected);
  VWordArray b;
  expected.erase(expected.begin(), expected.begin() + 4);
  EXPECT_EQ(ReadIn(b, expected), 0);
  EXPECT_EQ(Longs(b), (Ints{1, -2}));
}

TEST(WordArray, ACountOfMoreWordsThanRemainIsRefused) {
  VWordArray a;
  Bytes bytes;
  Put32(bytes, 3);
  Put16(bytes, 1);
  Put16(bytes, 2);
  Put16(bytes, 3);
  EXPECT_EQ(ReadIn(a, bytes), 0);
  bytes.pop_back();
  VWordArray b(1);
  EXPECT_EQ(ReadIn(b, bytes), kStreamEndOfData);
  EXPECT_EQ(Longs(b), (Ints{0}));
}

// ---- 32-bit elements

TEST(LongArray, SettersConvertAsTheValuesDo) {
  VLongArray a(4);
  a.SetReal(-2.7, 1);
  a.SetWord(-1, 2);
  a.SetReal(std::numeric_limits<double>::quiet_NaN(), 3);
  a.SetBoolean(1, 4);
  EXPECT_EQ(Longs(a), (Ints{-2, -1, 0, 1}));
  a.SetLong(70000, 1);
  EXPECT_EQ(a.GetWord(1), 4464);
}

TEST(LongArray, CopyToAndConvertToBothUseSetLong) {
  VLongArray a(1);
  a.SetLong(123456, 1);
  RecordingValue v;
  a.CopyTo(v, 1);
  EXPECT_EQ(v.last, "SetLong");
  v.last.clear();
  a.ConvertTo(v, 1);
  EXPECT_EQ(v.last, "SetLong");
  EXPECT_EQ(v.number, 123456);
}

TEST(LongArray, SetFromBufferCopiesAndANegativeCountEmpties) {
  VLongArray a;
  const int32_t buffer[] = {9, 8, 7, 6};
  a.SetFromBuffer(buffer, 4);
  EXPECT_EQ(Longs(a), (Ints{9, 8, 7, 6}));
  a.SetFromBuffer(buffer, -1);
  EXPECT_EQ(a.Count(), 0);
}

TEST(LongArray, SetFromBufferThatCannotGrowCopiesNothing) {
  VLongArray a(1);
  const int32_t buffer[] = {9, 8, 7, 6};
  ScopedFailingMemoryMgr mgr;
  mgr->failResize = true;
  a.SetFromBuffer(buffer, 4);
  EXPECT_EQ(Longs(a), (Ints{0}));
}

// ---- reals

TEST(RealArray, GettersTruncateTowardZero) {
  VRealArray a(2);
  a.SetReal(70000.9, 1);
  a.SetReal(-0.5, 2);
  EXPECT_EQ(a.GetWord(1), 4464);
  EXPECT_EQ(a.GetLong(1), 70000);
  EXPECT_EQ(a.GetTime(1), 70000);
  EXPECT_EQ(a.GetLong(2), 0);
  EXPECT_TRUE(a.GetBoolean(2));
}

TEST(RealArray, CopyToAndConvertToUseSetReal) {
  VRealArray a(1);
  a.SetReal(2.25, 1);
  RecordingValue v;
  a.CopyTo(v, 1);
  EXPECT_EQ(v.last, "SetReal");
  EXPECT_EQ(v.number, 2.25);
  v.last.clear();
  a.ConvertTo(v, 1);
  EXPECT_EQ(v.last, "SetReal");
}

TEST(RealArray, ValueSettersReadReals) {
  VRealArray a(3);
  RecordingValue v;
  a.CopyFrom(v, 1);
  a.Assign(v, 2);
  a.SetWord(-4, 3);
  EXPECT_EQ(Reals(a), (std::vector<double>{5.5, 5.5, -4.0}));
}

TEST(RealArray, MeanAndPopulationVariance) {
  VRealArray a;
  const double buffer[] = {1.0, 2.0, 3.0, 4.0};
  a.SetFromBuffer(buffer, 4);
  EXPECT_EQ(a.GetSum(), 10.0);
  EXPECT_EQ(a.GetMean(), 2.5);
  EXPECT_EQ(a.GetSumOfSquares(), 5.0);
  EXPECT_EQ(a.GetVariance(), 1.25);
}

TEST(RealArray, StatisticsOfAnEmptyArrayAreZero) {
  VRealArray a;
  EXPECT_EQ(a.GetSum(), 0.0);
  EXPECT_EQ(a.GetMean(), 0.0);
  EXPECT_EQ(a.GetSumOfSquares(), 0.0);
  EXPECT_EQ(a.GetVariance(), 0.0);
}

TEST(RealArray, AppendFromBufferAddsBehindAndSortsWhenSorted) {
  VRealArray a;
  const double first[] = {3.0, 1.0};
  const double more[] = {2.0, 0.5};
  a.SetFromBuffer(first, 2);
  a.AppendFromBuffer(more, 2);
  EXPECT_EQ(Reals(a), (std::vector<double>{3.0, 1.0, 2.0, 0.5}));
  a.SetSorted(true);
  a.AppendFromBuffer(more, 1);
  EXPECT_EQ(Reals(a), (std::vector<double>{0.5, 1.0, 2.0, 2.0, 3.0}));
}

TEST(RealArray, AppendFromBufferWithANegativeCountAddsNothing) {
  VRealArray a;
  const double first[] = {3.0};
  a.SetFromBuffer(first, 1);
  a.AppendFromBuffer(first, -5);
  a.AppendFromBuffer(first, 0);
  EXPECT_EQ(Reals(a), (std::vector<double>{3.0}));
  ScopedFailingMemoryMgr mgr;
  mgr->failResize = true;
  a.AppendFromBuffer(first, 1);
  EXPECT_EQ(Reals(a), (std::vector<double>{3.0}));
}

TEST(RealArray, NaNComparesAboveInTheElementOrder) {
  VRealArray a(2);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double one = 1.0;
  EXPECT_EQ(a.CompareElements(&nan, &one), 1);
  EXPECT_EQ(a.CompareElements(&one, &nan), 1);
  EXPECT_EQ(a.CompareElements(&one, &one), 0);
}

TEST(RealArray, SortedRealsAreFoundByBinarySearch) {
  VRealArray a;
  for (double v : {0.5, -3.25, 8.0, 2.0}) a.AppendReal(v, false);
  a.SetSorted(true);
  EXPECT_EQ(a.Find(2.0), 3);
  EXPECT_EQ(a.Find(2.5), -1);
  EXPECT_EQ(a.Find(2.5, 1, true, -1), 4);
}

TEST(RealArray, StoredAsBigEndianDoublesAndRoundTripInBothOrders) {
  VRealArray a;
  a.AppendReal(1.5, false);
  a.AppendReal(-0.1, false);
  Bytes expected;
  Put32(expected, 2);
  PutReal(expected, 1.5);
  PutReal(expected, -0.1);
  EXPECT_EQ(WriteOut(a, 0), expected);
  for (Order order : {Order::Big, Order::Native}) {
    VRealArray b;
    EXPECT_EQ(ReadIn(b, WriteOut(a, 0, order), order), 0);
    EXPECT_EQ(Reals(b), Reals(a));
  }
}

TEST(RealArray, TheExtendedOrderTakesTenBytesPerReal) {
  VRealArray a;
  a.AppendReal(3.0, false);
  a.AppendReal(-0.75, false);
  VMemHandle handle = 0;
  {
    VHandleStream out(handle);
    out.SetByteOrders(kByteOrderExtended, kByteOrderSetThisMachine);
    out.OpenWrite();
    EXPECT_EQ(a.WriteToStream(out, 0), 0);
    out.CloseWrite(1);
  }
  EXPECT_EQ(gMemoryMgr->GetHandleSize(handle), 4u + 20u);
  VRealArray b;
  {
    VHandleStream in(handle);
    in.SetByteOrders(kByteOrderExtended, kByteOrderSetThisMachine);
    in.OpenRead();
    EXPECT_EQ(b.ReadFromStream(in, 0), 0);
    in.CloseRead();
  }
  EXPECT_EQ(Reals(b), Reals(a));
  // Shortened by one real's worth of the 8-byte form, the stream no longer
  // holds two extended reals.
  gMemoryMgr->SetHandleSize(handle, 4u + 12u);
  VRealArray c(1);
  {
    VHandleStream in(handle);
    in.SetByteOrders(kByteOrderExtended, kByteOrderSetThisMachine);
    in.OpenRead();
    EXPECT_EQ(c.ReadFromStream(in, 0), kStreamEndOfData);
    in.CloseRead();
  }
  EXPECT_EQ(c.Count(), 1);
  gMemoryMgr->DisposeHandle(handle);
}

// ---- times

TEST(HourArray, TimesConvertAsLongsButCopyAsTimes) {
  VHourArray a(1);
  a.SetReal(3661.9, 1);
  EXPECT_EQ(a.GetTime(1), 3661);
  RecordingValue v;
  a.CopyTo(v, 1);
  EXPECT_EQ(v.last, "SetTime");
  EXPECT_EQ(v.number, 3661);
  a.ConvertTo(v, 1);
  EXPECT_EQ(v.last, "SetLong");
}

TEST(HourArray, ValueSettersReadTimes) {
  VHourArray a(2);
  RecordingValue v;
  a.CopyFrom(v, 1);
  a.Assign(v, 2);
  EXPECT_EQ(Longs(a), (Ints{6, 6}));
  EXPECT_EQ(a.Compare(v, 0, 1), 0);
  EXPECT_EQ(a.FindValue(v, 1, true, 0), 1);
}

TEST(HourArray, StoredAsBigEndian32BitValues) {
  VHourArray a;
  a.AppendTime(-1, false);
  a.AppendTime(86399, false);
  Bytes expected;
  Put32(expected, 105);
  Put32(expected, 2);
  Put32(expected, 0xFFFFFFFF);
  Put32(expected, 86399);
  EXPECT_EQ(WriteOut(a, kTagVVAL), expected);
  VHourArray b;
  EXPECT_EQ(ReadIn(b, WriteOut(a, 0, Order::Native), Order::Native), 0);
  EXPECT_EQ(Longs(b), (Ints{-1, 86399}));
}

// ---- dates

TEST(DateArray, OnlyDatesGoInAndOut) {
  VDateArray a(1);
  a.SetDate(Date(5, 4, 2002), 1);
  EXPECT_TRUE(SameDate(DateAt(a, 1), Date(5, 4, 2002)));
  a.SetLong(7, 1);
  a.SetReal(7.0, 1);
  a.SetBoolean(1, 1);
  a.CopyFrom(RecordingValue(), 1);
  EXPECT_TRUE(SameDate(DateAt(a, 1), Date(5, 4, 2002)));
  EXPECT_EQ(a.GetLong(1), 0);
  EXPECT_EQ(a.GetReal(1), 0.0);
  EXPECT_FALSE(a.GetBoolean(1));
  EXPECT_TRUE(SameDate(DateAt(a, 2), VDateRec{}));
}

TEST(DateArray, AssignAndCopyToGoThroughDates) {
  VDateArray a(1);
  RecordingValue v;
  a.Assign(v, 1);
  EXPECT_TRUE(SameDate(DateAt(a, 1), Date(4, 5, 2003)));
  RecordingValue out;
  a.CopyTo(out, 1);
  EXPECT_EQ(out.last, "SetDate");
  EXPECT_TRUE(SameDate(out.date, Date(4, 5, 2003)));
  a.ConvertTo(out, 1);
  EXPECT_EQ(out.last, "Assign");
}

TEST(DateArray, SortsByYearThenMonthThenDay) {
  VDateArray a;
  a.AppendDate(Date(5, 3, 2001), false);
  a.AppendDate(Date(1, 1, 2002), false);
  a.AppendDate(Date(2, 2, 2001), false);
  a.Sort(false);
  EXPECT_TRUE(SameDate(DateAt(a, 1), Date(2, 2, 2001)));
  EXPECT_TRUE(SameDate(DateAt(a, 2), Date(5, 3, 2001)));
  EXPECT_TRUE(SameDate(DateAt(a, 3), Date(1, 1, 2002)));
}

TEST(DateArray, SetDateDoesNotSortEvenWhenSorted) {
  VDateArray a;
  a.AppendDate(Date(1, 1, 2000), false);
  a.AppendDate(Date(1, 1, 2001), false);
  a.SetSorted(true);
  a.SetDate(Date(1, 1, 1999), 2);
  EXPECT_TRUE(SameDate(DateAt(a, 2), Date(1, 1, 1999)));
}

TEST(DateArray, CompareAndFindGoByTheWholeDate) {
  VDateArray a;
  a.AppendDate(Date(4, 5, 2003), false);
  a.AppendDate(Date(3, 5, 2003), false);
  a.AppendDate(Date(4, 5, 2002), false);
  RecordingValue v;  // 4 May 2003
  EXPECT_EQ(a.Compare(v, 0, 1), 0);
  EXPECT_EQ(a.Compare(v, 0, 2), -1);
  EXPECT_EQ(a.FindValue(v, 2, true, 0), -1);
  EXPECT_EQ(a.FindValue(v, 3, false, 0), 1);
  a.SetSorted(true);
  EXPECT_EQ(a.FindValue(v, 1, true, 0), 3);
  EXPECT_EQ(a.Find(Date(1, 1, 1990), 1, true, -1), 1);
}

TEST(DateArray, StoredAsDayMonthYearOfEachElement) {
  VDateArray a;
  a.AppendDate(Date(5, 4, 2002), false);
  a.AppendDate(Date(31, 12, -1), false);
  Bytes expected;
  Put32(expected, 106);
  Put32(expected, 2);
  for (uint16_t v : {5, 4, 2002, 31, 12, 0xFFFF}) Put16(expected, v);
  EXPECT_EQ(WriteOut(a, kTagVVAL), expected);
  for (Order order : {Order::Big, Order::Native}) {
    VDateArray b;
    EXPECT_EQ(ReadIn(b, WriteOut(a, 0, order), order), 0);
    ASSERT_EQ(b.Count(), 2);
    EXPECT_TRUE(SameDate(DateAt(b, 1), Date(5, 4, 2002)));
    EXPECT_TRUE(SameDate(DateAt(b, 2), Date(31, 12, -1)));
  }
}

TEST(DateArray, ACountOfMoreDatesThanRemainIsRefused) {
  VDateArray a;
  Bytes bytes;
  Put32(bytes, 2);
  for (uint16_t v : {5, 4, 2002, 31, 12}) Put16(bytes, v);
  EXPECT_EQ(ReadIn(a, bytes), kStreamEndOfData);
  EXPECT_EQ(a.Count(), 0);
}

// ---- copies of every kind

TEST(NumericArray, ClonesAreIndependentCopiesOfTheirOwnClass) {
  VWordArray w(2);
  w.SetWord(7, 2);
  VRealArray r(1);
  r.SetReal(1.25, 1);
  VHourArray h(1);
  h.SetTime(60, 1);
  VDateArray d(1);
  d.SetDate(Date(1, 2, 3), 1);
  std::unique_ptr<VValue> cw(w.Clone()), cr(r.Clone()), ch(h.Clone()), cd(d.Clone());
  EXPECT_EQ(cw->GetKind(), 101);
  EXPECT_EQ(cw->GetWord(2), 7);
  EXPECT_EQ(cr->GetReal(1), 1.25);
  EXPECT_EQ(ch->GetTime(1), 60);
  VDateRec got;
  EXPECT_TRUE(SameDate(cd->GetDate(got, 1), Date(1, 2, 3)));
  cw->SetWord(9, 2);
  EXPECT_EQ(w.GetWord(2), 7);
}

// ---- display formats

TEST_F(ArrayDisplayFormats, NumbersTakeTheNumberFormatOnlyWhenOneIsGiven) {
  VWordArray w(1);
  VLongArray l(1);
  VRealArray r(1);
  for (const VArray* a : std::initializer_list<const VArray*>{&w, &l, &r}) {
    VStr<63> text;
    a->FormatTo(text, &fFormat, 1);
    EXPECT_EQ(Marks(text), "##");
    a->FormatTo(text, nullptr, 1);
  }
  EXPECT_EQ(gNumberFormats, 3);
  EXPECT_EQ(gTextFormats, 0);
}

TEST_F(ArrayDisplayFormats, TimesAndDatesTakeTheTextFormat) {
  VHourArray h(1);
  VDateArray d(1);
  d.SetDate(Date(1, 2, 2003), 1);
  for (const VArray* a : std::initializer_list<const VArray*>{&h, &d}) {
    VStr<63> text;
    a->FormatTo(text, &fFormat, 1);
    EXPECT_EQ(Marks(text), "||");
    a->FormatTo(text, nullptr, 1);
  }
  EXPECT_EQ(gTextFormats, 2);
  EXPECT_EQ(gNumberFormats, 0);
}

TEST_F(ArrayDisplayFormats, BooleansHaveNoTextForm) {
  VBooleanArray b(1);
  b.SetBoolean(1, 1);
  VStr<63> text;
  text.AppendCText("old", kCharSetAnsi);
  b.FormatTo(text, &fFormat, 1);
  EXPECT_EQ(text.GetLength(), 0);
  EXPECT_EQ(gNumberFormats + gTextFormats, 0);
}

// ---- with the single values

TEST(NumericArray, ElementsMoveToAndFromTheSingleValues) {
  VWordArray w(1);
  w.SetWord(-1, 1);
  VLong l;
  w.CopyTo(l, 1);
  EXPECT_EQ(l.GetLong(kWholeValue), -1);
  VBoolean b;
  w.CopyTo(b, 1);
  EXPECT_TRUE(b.GetBoolean(kWholeValue));
  VRealArray r(1);
  r.CopyFrom(VReal(2.5), 1);
  EXPECT_EQ(r.GetReal(1), 2.5);
  VLongArray longs(1);
  longs.Assign(VReal(-7.9), 1);
  EXPECT_EQ(longs.GetLong(1), -7);
  EXPECT_EQ(longs.Compare(VWord(-7), 0, 1), 0);
  EXPECT_EQ(longs.FindValue(VLong(-7), 1, true, 0), 1);
  VWordArray appended;
  EXPECT_EQ(appended.AppendValue(VLong(70000), false), 1);
  EXPECT_EQ(appended.GetWord(1), 4464);
}

TEST(NumericArray, ABooleanElementComparesAsZeroOrOne) {
  VBooleanArray a(1);
  a.SetBoolean(1, 1);
  EXPECT_EQ(a.Compare(VBoolean(2), 0, 1), 0);
  EXPECT_EQ(a.Compare(VBoolean(0), 0, 1), 1);
  EXPECT_EQ(a.FindValue(VLong(5), 1, true, 0), 1);
}
