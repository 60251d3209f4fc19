// The typed array of owned strings: ownership of its elements, copies, the
// setters that keep or replace an element, the mirrored search with null
// elements, sorting, and the stored form with its bad-input cases.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/containers/VStringArray.h"
#include "framework/core/tests/FailingMemoryMgr.h"
#include "framework/core/tests/VArrayTestSupport.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VLong.h"

using namespace array_tests;

namespace {

// A string that writes its text into a log when deleted.
class TrackedStr : public VStr<31> {
 public:
  TrackedStr(std::vector<std::string>* log, const char* text) : fLog(log) {
    AppendCText(text, kCharSetAnsi);
    SetNull(false, kWholeValue);
  }
  ~TrackedStr() override { fLog->push_back(Ascii()); }

  std::string Ascii() const {
    std::string out;
    for (int32_t i = 1; i <= GetLength(); ++i) out.push_back(char(GetCharAt(i)));
    return out;
  }

 private:
  std::vector<std::string>* fLog;
};

std::string Ascii(const VString* s) {
  if (s == nullptr) return "(null)";
  std::string out;
  for (int32_t i = 1; i <= s->GetLength(); ++i) out.push_back(char(s->GetCharAt(i)));
  return out;
}

template <typename S = VStr<31>>
S* NewText(const char* text) {
  auto* s = new S;
  s->AppendCText(text, kCharSetAnsi);
  s->SetNull(false, kWholeValue);
  return s;
}

// The elements as texts, "(null)" for a null element.
std::vector<std::string> Texts(const VStringArray& a) {
  std::vector<std::string> out;
  for (int32_t i = 1; i <= a.Count(); ++i) out.push_back(Ascii(a.GetAt(i)));
  return out;
}

// Appends the texts; a null pointer in the list appends a null element.
void AppendTexts(VStringArray& a, std::initializer_list<const char*> texts) {
  for (const char* t : texts) a.AppendObject(t != nullptr ? NewText(t) : nullptr, false);
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(StringArray, KindsAndFlags) {
  VStringArray a;
  EXPECT_EQ(a.GetKind(), 107);
  EXPECT_EQ(a.GetElementKind(), 8);
  EXPECT_TRUE(a.IsSingle());
  EXPECT_FALSE(a.IsInteger());
}

TEST(StringArray, NewElementsAreNull) {
  VStringArray a(3);
  EXPECT_EQ(Texts(a), (Strings{"(null)", "(null)", "(null)"}));
}

// ---- ownership

TEST(StringArray, SetAtOutsideTheArrayDeletesTheStringAndChangesNothing) {
  std::vector<std::string> log;
  VStringArray a(3);
  a.SetAt(new TrackedStr(&log, "s"), 9);
  EXPECT_EQ(log, (Strings{"s"}));
  EXPECT_EQ(a.Count(), 3);
}

TEST(StringArray, SetAtReplacesAndDeletesThePreviousString) {
  std::vector<std::string> log;
  VStringArray a(1);
  a.SetAt(new TrackedStr(&log, "old"), 1);
  auto* fresh = new TrackedStr(&log, "new");
  a.SetAt(fresh, 1);
  EXPECT_EQ(log, (Strings{"old"}));
  a.SetAt(fresh, 1);  // the same object again: kept
  EXPECT_EQ(log, (Strings{"old"}));
  EXPECT_EQ(a.GetAt(1), fresh);
}

TEST(StringArray, DetachAtHandsTheStringOutAndLeavesANullElement) {
  VStringArray a;
  AppendTexts(a, {"one", "two", "three"});
  std::unique_ptr<VString> taken(a.DetachAt(2));
  EXPECT_EQ(Ascii(taken.get()), "two");
  EXPECT_EQ(a.GetAt(2), nullptr);
  EXPECT_EQ(a.Count(), 3);
  VStr<31> two;
  two.AppendCText("two", kCharSetAnsi);
  EXPECT_EQ(a.Find(two), -1);
  EXPECT_EQ(a.DetachAt(4), nullptr);
}

TEST(StringArray, ShrinkingDeletesTheDroppedStrings) {
  std::vector<std::string> log;
  VStringArray a(3);
  for (int32_t i = 1; i <= 3; ++i) a.SetAt(new TrackedStr(&log, std::to_string(i).c_str()), i);
  a.SetCount(1, false);
  EXPECT_EQ(log, (Strings{"2", "3"}));
  a.SetCount(3, false);
  EXPECT_EQ(Texts(a), (Strings{"1", "(null)", "(null)"}));
}

TEST(StringArray, DeleteElementsDeletesTheirStringsAndKeepsTheOrder) {
  std::vector<std::string> log;
  VStringArray a;
  for (const char* t : {"a", "b", "c", "d"}) a.AppendObject(new TrackedStr(&log, t), false);
  a.DeleteElements(2, 2);
  EXPECT_EQ(log, (Strings{"b", "c"}));
  EXPECT_EQ(Texts(a), (Strings{"a", "d"}));
  a.DeleteElements(0, 100);
  EXPECT_EQ(log, (Strings{"b", "c", "a", "d"}));
}

TEST(StringArray, TheDestructorDeletesEveryString) {
  std::vector<std::string> log;
  {
    VStringArray a(2);
    a.SetAt(new TrackedStr(&log, "x"), 1);
    a.SetAt(new TrackedStr(&log, "y"), 2);
  }
  EXPECT_EQ(log, (Strings{"x", "y"}));
}

TEST(StringArray, InsertedElementsAreNullAndOwnedStringsMoveUp) {
  VStringArray a;
  AppendTexts(a, {"a", "b"});
  a.InsertElements(1, 2, false);
  EXPECT_EQ(Texts(a), (Strings{"(null)", "(null)", "a", "b"}));
}

TEST(StringArray, InsertAtPlacesTheStringOrDeletesItWhenItCannot) {
  std::vector<std::string> log;
  VStringArray a;
  AppendTexts(a, {"a", "c"});
  a.InsertAt(NewText("b"), 2);
  a.InsertAt(NewText("d"), 4);
  EXPECT_EQ(Texts(a), (Strings{"a", "b", "c", "d"}));
  a.InsertAt(new TrackedStr(&log, "far"), 9);
  EXPECT_EQ(log, (Strings{"far"}));
  ScopedFailingMemoryMgr mgr;
  mgr->failResize = true;
  a.InsertAt(new TrackedStr(&log, "no room"), 1);
  EXPECT_EQ(log, (Strings{"far", "no room"}));
  EXPECT_EQ(Texts(a), (Strings{"a", "b", "c", "d"}));
}

TEST(StringArray, AppendObjectThatCannotGrowDeletesTheString) {
  std::vector<std::string> log;
  VStringArray a;
  AppendTexts(a, {"a"});
  ScopedFailingMemoryMgr mgr;
  mgr->failResize = true;
  EXPECT_EQ(a.AppendObject(new TrackedStr(&log, "b"), false), 2);
  EXPECT_EQ(log, (Strings{"b"}));
  EXPECT_EQ(a.Count(), 1);
}

TEST(StringArray, AppendObjectNeverSortsAndGrowsLinkedArraysWithNulls) {
  VStringArray names;
  AppendTexts(names, {"b", "c"});
  names.SetSorted(true);
  VStringArray other(2);
  other.LinkTo(&names);
  EXPECT_EQ(names.AppendObject(NewText("a"), true), 3);
  EXPECT_EQ(Texts(names), (Strings{"b", "c", "a"}));
  EXPECT_EQ(other.Count(), 3);
  EXPECT_EQ(other.GetAt(3), nullptr);
}

// ---- copies

TEST(StringArray, CopiesOwnTheirOwnStrings) {
  VStringArray a;
  AppendTexts(a, {"first", nullptr, "third"});
  VStringArray b(a);
  EXPECT_EQ(Texts(b), Texts(a));
  EXPECT_NE(b.GetAt(1), a.GetAt(1));
  b.GetAt(1)->AppendCText("!", kCharSetAnsi);
  EXPECT_EQ(Ascii(a.GetAt(1)), "first");
  std::unique_ptr<VValue> clone(a.Clone());
  auto* c = static_cast<VStringArray*>(clone.get());
  EXPECT_EQ(Texts(*c), (Strings{"first", "(null)", "third"}));
  EXPECT_NE(c->GetAt(3), a.GetAt(3));
}

TEST(StringArray, AssignmentReleasesTheTargetsStrings) {
  std::vector<std::string> log;
  VStringArray target;
  target.AppendObject(new TrackedStr(&log, "gone"), false);
  VStringArray source;
  AppendTexts(source, {"kept"});
  target = source;
  EXPECT_EQ(log, (Strings{"gone"}));
  EXPECT_EQ(Texts(target), (Strings{"kept"}));
  target = target;
  EXPECT_EQ(Texts(target), (Strings{"kept"}));
}

TEST(StringArray, AssignArrayCopiesTheSourcesStrings) {
  std::vector<std::string> log;
  VStringArray target;
  target.AppendObject(new TrackedStr(&log, "gone"), false);
  VStringArray source;
  AppendTexts(source, {"x", "y"});
  target.AssignArray(source);
  EXPECT_EQ(log, (Strings{"gone"}));
  EXPECT_EQ(Texts(target), (Strings{"x", "y"}));
  EXPECT_NE(target.GetAt(1), source.GetAt(1));
}

TEST(StringArray, CopyingNeverTakesStaleSlotsPastTheCountForStrings) {
  VStringArray a;
  AppendTexts(a, {"a", "b", "c"});
  a.SetCount(1, false);  // capacity 3 stays
  VStringArray b(a);
  b.SetCount(3, false);
  EXPECT_EQ(Texts(b), (Strings{"a", "(null)", "(null)"}));
}

// ---- setters

TEST(StringArray, SetStringKeepsAnElementThatIsLargeEnough) {
  VStringArray a(1);
  a.SetAt(NewText<VMacStr<31>>("old"), 1);
  VString* element = a.GetAt(1);
  std::unique_ptr<VString> text(NewText<VStrInHandle>("new text"));
  a.SetString(*text, 1);
  EXPECT_EQ(a.GetAt(1), element);
  EXPECT_TRUE(a.GetAt(1)->IsMac());
  EXPECT_EQ(Ascii(a.GetAt(1)), "new text");
}

TEST(StringArray, SetStringReplacesAnElementTooSmallOrNull) {
  VStringArray a(2);
  a.SetAt(NewText<VStr<4>>("abc"), 1);
  std::unique_ptr<VString> text(NewText<VStrInHandle>("longer text"));
  a.SetString(*text, 1);
  a.SetString(*text, 2);
  EXPECT_TRUE(a.GetAt(1)->IsInHandle());
  EXPECT_EQ(Ascii(a.GetAt(1)), "longer text");
  EXPECT_EQ(Ascii(a.GetAt(2)), "longer text");
  EXPECT_NE(a.GetAt(1), text.get());
  a.SetString(*text, 3);
  EXPECT_EQ(a.Count(), 2);
}

TEST(StringArray, SetStringSortsASortedArray) {
  VStringArray a;
  AppendTexts(a, {"b", "d"});
  a.SetSorted(true);
  std::unique_ptr<VString> text(NewText("z"));
  a.SetString(*text, 1);
  EXPECT_EQ(Texts(a), (Strings{"d", "z"}));
}

TEST(StringArray, AppendStringCopiesTheStringAndSortsWhenSorted) {
  VStringArray a;
  AppendTexts(a, {"b", "d"});
  a.SetSorted(true);
  VStr<31> text;
  text.AppendCText("c", kCharSetAnsi);
  EXPECT_EQ(a.AppendString(text, false), 2);
  EXPECT_EQ(Texts(a), (Strings{"b", "c", "d"}));
  EXPECT_NE(a.GetAt(2), &text);
}

TEST(StringArray, AssignToANullElementMakesAHandleString) {
  VStringArray a(1);
  VStr<31> text;
  text.AppendCText("assigned", kCharSetAnsi);
  a.Assign(text, 1);
  ASSERT_NE(a.GetAt(1), nullptr);
  EXPECT_TRUE(a.GetAt(1)->IsInHandle());
  EXPECT_EQ(Ascii(a.GetAt(1)), "assigned");
  a.Assign(text, 5);
  EXPECT_EQ(a.Count(), 1);
}

TEST(StringArray, CopyFromGivesTheElementTheValuesTextForm) {
  VStringArray a(1);
  VStr<31> text;
  text.AppendCText("from text", kCharSetAnsi);
  a.CopyFrom(text, 1);
  ASSERT_NE(a.GetAt(1), nullptr);
  EXPECT_EQ(a.GetAt(1)->GetCapacity(), 80);
  EXPECT_EQ(Ascii(a.GetAt(1)), "from text");
}

TEST(StringArray, NullElementsReadAsZerosAndClearDestinations) {
  VStringArray a(1);
  EXPECT_FALSE(a.GetBoolean(1));
  EXPECT_EQ(a.GetWord(1), 0);
  EXPECT_EQ(a.GetLong(1), 0);
  EXPECT_EQ(a.GetTime(1), 0);
  EXPECT_EQ(a.GetReal(1), 0.0);
  VDateRec d{1, 2, 3};
  a.GetDate(d, 1);
  EXPECT_EQ(d.day, 0);
  EXPECT_EQ(d.year, 0);
  RecordingValue v;
  a.CopyTo(v, 1);
  EXPECT_EQ(v.last, "Clear");
  VStr<31> text;
  text.AppendCText("kept?", kCharSetAnsi);
  a.FormatTo(text, nullptr, 1);
  EXPECT_EQ(text.GetLength(), 0);
}

TEST(StringArray, CopyToAndConvertToHandTheElementToSetString) {
  VStringArray a;
  AppendTexts(a, {"t"});
  RecordingValue v;
  a.CopyTo(v, 1);
  EXPECT_EQ(v.last, "SetString");
  v.last.clear();
  a.ConvertTo(v, 1);
  EXPECT_EQ(v.last, "SetString");
}

TEST(StringArray, FormatToWithoutAFormatCopiesTheText) {
  VStringArray a;
  AppendTexts(a, {"shown"});
  VStrInHandle text;
  a.FormatTo(text, nullptr, 1);
  EXPECT_EQ(Ascii(&text), "shown");
}

// ---- comparison and search

TEST(StringArray, ElementComparisonIgnoresCaseAndPutsNullFirst) {
  VStringArray a;
  AppendTexts(a, {"beta", nullptr, "Alpha", "BETA", "alpha2"});
  a.Sort(false);
  EXPECT_EQ(Texts(a)[0], "(null)");
  EXPECT_EQ(Texts(a)[1], "Alpha");
  EXPECT_EQ(Texts(a)[2], "alpha2");
  a.Sort(true);
  EXPECT_EQ(Texts(a)[4], "(null)");
}

TEST(StringArray, CompareOfANullElementIsMinusOne) {
  VStringArray a(1);
  VStr<31> text;
  EXPECT_EQ(a.Compare(text, 0, 1), -1);
  EXPECT_EQ(a.Compare(text, 0, 2), -1);
}

TEST(StringArray, CompareWithAStringValueGoesByTheText) {
  VStringArray a;
  AppendTexts(a, {"Same"});
  VStr<31> same;
  same.AppendCText("same", kCharSetAnsi);
  EXPECT_EQ(a.Compare(same, 0, 1), 0);
  EXPECT_NE(a.Compare(same, 1, 1), 0);
}

TEST(StringArray, OrderModesAreMirroredAndNullsAreSoughtOnlyBelow) {
  VStringArray a;
  AppendTexts(a, {"c", nullptr, "a"});
  VStr<31> b;
  b.AppendCText("b", kCharSetAnsi);
  EXPECT_EQ(a.Find(b, 1, true, -1), 2);
  EXPECT_EQ(a.Find(b, 1, true, -2), 2);
  EXPECT_EQ(a.Find(b, 1, true, 1), 1);
  EXPECT_EQ(a.Find(b, 2, true, 1), -1);
  EXPECT_EQ(a.Find(b, 2, true, 2), -1);
  EXPECT_EQ(a.Find(b, 3, false, 2), 1);
  EXPECT_EQ(a.Find(b, 3, false, -1), 3);
  EXPECT_EQ(a.Find(b, 2, true, 0), -1);
  EXPECT_EQ(a.Find(b, 2, true, 9), 2);
  EXPECT_EQ(a.Find(b, 4, true, 9), -1);
  EXPECT_EQ(a.Find(b, 0, true, 0), -1);
}

TEST(StringArray, EqualSearchIgnoresCase) {
  VStringArray a;
  AppendTexts(a, {"Arial", "Times", "Courier"});
  VStr<31> key;
  key.AppendCText("TIMES", kCharSetAnsi);
  EXPECT_EQ(a.Find(key), 2);
  EXPECT_EQ(a.FindValue(key, 1, true, 0), 2);
}

TEST(StringArray, SortedSearchHalvesPastNullElements) {
  VStringArray a;
  AppendTexts(a, {"kiwi", nullptr, "apple", "fig", nullptr, "pear"});
  a.SetSorted(true);
  for (const char* t : {"apple", "fig", "kiwi", "pear"}) {
    VStr<31> key;
    key.AppendCText(t, kCharSetAnsi);
    const int32_t at = a.Find(key);
    ASSERT_GT(at, 0) << t;
    EXPECT_EQ(Ascii(a.GetAt(at)), t);
  }
  VStr<31> missing;
  missing.AppendCText("banana", kCharSetAnsi);
  EXPECT_EQ(a.Find(missing), -1);
}

// ---- stored form

TEST(StringArray, UnknownAndNullCodesGiveNullElements) {
  VStringArray a;
  AppendTexts(a, {"x", "y", "z"});
  Bytes bytes;
  Put32(bytes, 3);
  Put32(bytes, FourCC("NULL"));
  Put32(bytes, 0);
  Put32(bytes, 77);
  EXPECT_EQ(ReadIn(a, bytes), 0);
  EXPECT_EQ(Texts(a), (Strings{"(null)", "(null)", "(null)"}));
}

TEST(StringArray, ACountOfMoreCodesThanRemainIsRefused) {
  VStringArray a;
  AppendTexts(a, {"kept"});
  Bytes bytes;
  Put32(bytes, 200);
  Put32(bytes, FourCC("NULL"));
  ScopedFailingMemoryMgr mgr;
  EXPECT_EQ(ReadIn(a, bytes), kStreamEndOfData);
  EXPECT_EQ(mgr->resizes, 0);
  EXPECT_EQ(Texts(a), (Strings{"kept"}));
}

TEST(StringArray, AReadThatFailsPartWayKeepsTheOldElements) {
  VStringArray a;
  AppendTexts(a, {"one", "two"});
  Bytes bytes;
  Put32(bytes, 2);
  Put32(bytes, FourCC("NULL"));
  Put32(bytes, kStringFormMac);
  Put32(bytes, 5);  // five characters and the zero announced, two present
  Put32(bytes, kCharKindMac);
  bytes.push_back('a');
  bytes.push_back('b');
  int16_t status = 0;
  EXPECT_EQ(ReadIn(a, bytes, Order::Big, &status), kStreamEndOfData);
  EXPECT_EQ(status, kStreamEndOfData);
  EXPECT_EQ(Texts(a), (Strings{"one", "two"}));
}

TEST(StringArray, AnEmptyArrayIsStoredAsItsCount) {
  VStringArray a;
  Bytes expected;
  Put32(expected, 107);
  Put32(expected, 0);
  EXPECT_EQ(WriteOut(a, kTagVVAL), expected);
}

TEST(StringArray, NullElementsAreStoredAsTheirCode) {
  VStringArray a(2);
  Bytes expected;
  Put32(expected, 2);
  Put32(expected, FourCC("NULL"));
  Put32(expected, FourCC("NULL"));
  EXPECT_EQ(WriteOut(a, 0), expected);
  for (Order order : {Order::Big, Order::Native}) {
    VStringArray b;
    AppendTexts(b, {"x"});
    EXPECT_EQ(ReadIn(b, WriteOut(a, 0, order), order), 0);
    EXPECT_EQ(Texts(b), (Strings{"(null)", "(null)"}));
  }
}

TEST(StringArray, ATextAndANullElementAreStoredAsFormDataAndNull) {
  VStringArray a;
  AppendTexts(a, {"ab", nullptr});
  Bytes expected;
  Put32(expected, 107);
  Put32(expected, 2);
  Put32(expected, kStringFormUni);
  Put32(expected, 2);  // length
  Put32(expected, kCharKindUnicode);
  for (uint16_t unit : {uint16_t('a'), uint16_t('b'), uint16_t(0)}) Put16(expected, unit);
  Put32(expected, FourCC("NULL"));
  int32_t status = -1;
  EXPECT_EQ(WriteOut(a, kTagVVAL, Order::Big, &status), expected);
  EXPECT_EQ(status, 0);
}

TEST(StringArray, EveryStringFormRoundTripsInBothOrders) {
  VStringArray a;
  a.AppendObject(NewText<VStr<31>>("uni"), false);
  a.AppendObject(NewText<VStrInHandle>("uni handle"), false);
  a.AppendObject(NewText<VMacStr<31>>("mac"), false);
  a.AppendObject(nullptr, false);
  a.AppendObject(NewText<VMacStrInHandle>("mac handle"), false);
  a.AppendObject(NewText<VAnsiStr<31>>("ansi"), false);
  a.AppendObject(NewText<VAnsiStrInHandle>("ansi handle"), false);
  a.AppendObject(NewText<VStr<31>>(""), false);
  for (Order order : {Order::Big, Order::Native}) {
    VStringArray b;
    AppendTexts(b, {"old", "older", "oldest", "x", "y", "z", "w", "v", "u"});
    EXPECT_EQ(ReadIn(b, WriteOut(a, 0, order), order), 0);
    EXPECT_EQ(Texts(b), Texts(a));
    for (int32_t i = 1; i <= a.Count(); ++i) {
      if (a.GetAt(i) == nullptr) continue;
      ASSERT_NE(b.GetAt(i), nullptr) << i;
      EXPECT_EQ(b.GetAt(i)->GetForm(), a.GetAt(i)->GetForm()) << i;
    }
  }
}

TEST(StringArray, AStringLongerThanTheStreamLeavesTheArrayAsItWas) {
  VStringArray a;
  AppendTexts(a, {"keep", "these"});
  Bytes bytes;
  Put32(bytes, 1);
  Put32(bytes, kStringFormMac);
  Put32(bytes, 1000);  // far more characters than follow
  Put32(bytes, kCharKindMac);
  bytes.push_back('x');
  int16_t status = 0;
  EXPECT_EQ(ReadIn(a, bytes, Order::Big, &status), kStreamEndOfData);
  EXPECT_EQ(status, kStreamEndOfData);
  EXPECT_EQ(Texts(a), (Strings{"keep", "these"}));
}

TEST_F(ArrayDisplayFormats, AStringElementTakesTheTextFormat) {
  VStringArray a;
  AppendTexts(a, {"shown", nullptr});
  VStr<63> text;
  a.FormatTo(text, &fFormat, 1);
  EXPECT_EQ(Ascii(&text), "|shown|");
  a.FormatTo(text, nullptr, 1);
  EXPECT_EQ(Ascii(&text), "shown");
  a.FormatTo(text, &fFormat, 2);
  EXPECT_EQ(text.GetLength(), 0);
  EXPECT_EQ(gTextFormats, 1);
  EXPECT_EQ(gNumberFormats, 0);
}

TEST(StringArray, MovingOverOtherElementsDeletesTheirStrings) {
  std::vector<std::string> log;
  VStringArray a;
  for (const char* t : {"a", "b", "c", "d", "e"}) a.AppendObject(new TrackedStr(&log, t), false);
  a.MoveElements(1, 4, 1);  // "a" onto "d"; 1 to 3 are left behind
  EXPECT_EQ(log, (Strings{"b", "c", "d"}));
  EXPECT_EQ(Texts(a), (Strings{"(null)", "(null)", "(null)", "a", "e"}));
  a.MoveElements(4, 1, 2);
  EXPECT_EQ(Texts(a), (Strings{"a", "e", "(null)", "(null)", "(null)"}));
  a.MoveElements(4, 5, 2);  // would end past the store: refused
  EXPECT_EQ(log, (Strings{"b", "c", "d"}));
}

TEST(StringArray, NumberSettersOnANullElementMakeAStringOfTheRightSizeWithoutSorting) {
  VStringArray a;
  AppendTexts(a, {nullptr, nullptr, "m"});
  a.SetSorted(true);
  VString* m = a.GetAt(3);
  a.SetLong(42, 3);  // an existing element keeps its object
  EXPECT_EQ(a.GetAt(3), m);
  // "42" then "1.5": a sort would swap them.
  a.SetLong(42, 1);
  a.SetReal(1.5, 2);
  ASSERT_NE(a.GetAt(1), nullptr);
  ASSERT_NE(a.GetAt(2), nullptr);
  EXPECT_EQ(a.GetAt(1)->GetCapacity(), 31);
  EXPECT_EQ(a.GetAt(2)->GetCapacity(), 80);
  a.SetBoolean(1, 9);
  a.SetTime(5, 9);
  EXPECT_EQ(a.Count(), 3);
}

TEST(StringArray, NumbersSetOnElementsAreTheirTextAndCompareWithNumbers) {
  VStringArray a;
  AppendTexts(a, {nullptr, "10"});
  a.SetLong(42, 1);
  EXPECT_EQ(Texts(a)[0], "42");
  EXPECT_EQ(a.GetLong(1), 42);
  // A string element "10" compared with the long 10 goes by the number.
  VLong ten;
  ten.SetLong(10, -1);
  EXPECT_EQ(a.Compare(ten, 0, 2), 0);
  ten.SetLong(11, -1);
  EXPECT_NE(a.Compare(ten, 0, 2), 0);
}
