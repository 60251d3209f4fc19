// What every string does as a value: the null flag, copies between kinds,
// comparison and the flat form.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VEmptyValue.h"

namespace {

std::u16string Text(const VString& s) {
  std::u16string text;
  for (int32_t i = 1; i <= s.GetLength(); ++i) text.push_back(s.GetCharAt(i));
  return text;
}

void SetAscii(VString& s, const char* text) {
  s.SetEmpty(false);
  s.AppendCText(text, kCharSetAnsi);
  s.SetNull(false, kWholeValue);
}

// One of each storage and kind, so a behaviour is checked in all six.
std::vector<std::unique_ptr<VString>> EveryForm() {
  std::vector<std::unique_ptr<VString>> all;
  all.emplace_back(new VStr<255>);
  all.emplace_back(new VStrInHandle);
  all.emplace_back(new VMacStr<255>);
  all.emplace_back(new VMacStrInHandle);
  all.emplace_back(new VAnsiStr<255>);
  all.emplace_back(new VAnsiStrInHandle);
  return all;
}

}  // namespace

TEST(String, ClearOnANullStringMakesItEmptyAndNotNull) {
  for (auto& s : EveryForm()) {
    SetAscii(*s, "text");
    s->SetNull(true, kWholeValue);
    EXPECT_TRUE(s->IsNull(kWholeValue)) << s->GetForm();
    EXPECT_EQ(s->GetLength(), 0) << s->GetForm();  // a null string is empty as well
    SetAscii(*s, "text");
    s->SetNull(true, kWholeValue);
    s->Clear();
    EXPECT_FALSE(s->IsNull(kWholeValue)) << s->GetForm();
    EXPECT_EQ(s->GetLength(), 0) << s->GetForm();
  }
}

TEST(String, EmptyingDoesNotMakeItNull) {
  for (auto& s : EveryForm()) {
    SetAscii(*s, "text");
    s->SetEmpty(true);
    EXPECT_FALSE(s->IsNull(kWholeValue)) << s->GetForm();
  }
}

TEST(String, EveryFormIsOfKindEightAndSingle) {
  int32_t form = 1;
  for (auto& s : EveryForm()) {
    EXPECT_EQ(s->GetKind(), kValueString);
    EXPECT_TRUE(s->IsSingle());
    EXPECT_EQ(s->GetForm(), form++);
  }
}

TEST(String, AssignBetweenEveryPairOfForms) {
  for (auto& from : EveryForm()) {
    SetAscii(*from, "Mixed Case 123");
    for (auto& to : EveryForm()) {
      SetAscii(*to, "old");
      to->Assign(*from);
      EXPECT_EQ(Text(*to), u"Mixed Case 123") << from->GetForm() << "->" << to->GetForm();
      EXPECT_FALSE(to->IsNull(kWholeValue));
    }
  }
}

TEST(String, AssignFromANullStringMakesThisNullAndEmpty) {
  VStr<15> from;
  from.SetNull(true, kWholeValue);
  VAnsiStrInHandle to;
  SetAscii(to, "old");
  to.Assign(from);
  EXPECT_TRUE(to.IsNull(kWholeValue));
  EXPECT_EQ(to.GetLength(), 0);
}

TEST(String, SetStringCopyToAndConvertToCopyTextAndNullFlag) {
  VMacStr<31> a;
  SetAscii(a, "abc");
  VStrInHandle b;
  b.SetString(a, kWholeValue);
  EXPECT_EQ(Text(b), u"abc");
  VAnsiStr<31> c;
  a.CopyTo(c, kWholeValue);
  EXPECT_EQ(Text(c), u"abc");
  VStr<31> d;
  a.ConvertTo(d, kWholeValue);
  EXPECT_EQ(Text(d), u"abc");
  a.SetNull(true, kWholeValue);
  a.CopyTo(d, kWholeValue);
  EXPECT_TRUE(d.IsNull(kWholeValue));
}

TEST(String, CopyFromAndAssignOfAnEmptyValue) {
  VStr<31> s;
  SetAscii(s, "abc");
  VEmptyValue empty;
  s.CopyFrom(empty, kWholeValue);
  EXPECT_TRUE(s.IsNull(kWholeValue));
  SetAscii(s, "abc");
  s.Assign(empty, kWholeValue);
  EXPECT_TRUE(s.IsNull(kWholeValue));
  EXPECT_EQ(s.GetLength(), 0);
}

TEST(String, FormatToAssignsTheText) {
  VAnsiStr<31> s;
  SetAscii(s, "shown");
  VStrInHandle out;
  s.FormatTo(out, nullptr, kWholeValue);
  EXPECT_EQ(Text(out), u"shown");
}

TEST(String, SelfAssignmentKeepsTheText) {
  for (auto& s : EveryForm()) {
    SetAscii(*s, "same");
    s->Assign(*s);
    s->SetString(*s, kWholeValue);
    s->CopyFrom(*s, kWholeValue);
    EXPECT_EQ(Text(*s), u"same") << s->GetForm();
  }
}

TEST(String, CompareAcrossKindsAndCase) {
  VStr<15> apple;
  SetAscii(apple, "apple");
  VMacStr<15> upper;
  SetAscii(upper, "APPLE");
  EXPECT_EQ(apple.Compare(upper, 0, 0), 0);
  EXPECT_EQ(apple.Compare(upper, 1, 0), 1);
  VAnsiStrInHandle abcd;
  SetAscii(abcd, "abcd");
  VStr<15> abc;
  SetAscii(abc, "abc");
  EXPECT_EQ(abc.Compare(abcd, 1, 0), -1);
  EXPECT_EQ(abcd.Compare(abc, 1, 0), 1);
}

TEST(String, NullComparesBeforeEmpty) {
  VStr<15> a, b;
  a.SetNull(true, kWholeValue);
  EXPECT_EQ(a.Compare(b, 1, 0), -1);
  EXPECT_EQ(b.Compare(a, 1, 0), 1);
  b.SetNull(true, kWholeValue);
  EXPECT_EQ(a.Compare(b, 1, 0), 0);
}

TEST(String, DataSizeOfEmptyStrings) {
  VStr<15> uni;
  VMacStr<15> mac;
  VAnsiStrInHandle ansi;
  EXPECT_EQ(uni.GetDataSize(), 4u);
  EXPECT_EQ(mac.GetDataSize(), 2u);
  EXPECT_EQ(ansi.GetDataSize(), 2u);
}

TEST(String, FlatFormOfAUtf16String) {
  VStr<31> s;
  SetAscii(s, "hi");
  ASSERT_EQ(s.GetDataSize(), 8u);
  uint8_t buffer[16];
  std::memset(buffer, 0xEE, sizeof buffer);
  EXPECT_EQ(s.ToData(buffer, kWholeValue), buffer + 8);
  uint16_t units[4];
  std::memcpy(units, buffer, 8);
  EXPECT_EQ(units[0], 2);
  EXPECT_EQ(units[1], u'h');
  EXPECT_EQ(units[2], u'i');
  EXPECT_EQ(units[3], 0);
  EXPECT_EQ(buffer[8], 0xEE);  // nothing past the size it reported

  VStrInHandle back;
  back.SetNull(true, kWholeValue);
  EXPECT_EQ(back.FromData(buffer, kWholeValue), buffer + 8);
  EXPECT_EQ(Text(back), u"hi");
  EXPECT_FALSE(back.IsNull(kWholeValue));
}

TEST(String, FlatFormOfAMacStringIsAnsi) {
  VMacStr<31> s;
  s.AppendChar(0x8E, kCharSetMac);  // e-acute
  s.AppendChar('x', kCharSetMac);
  ASSERT_EQ(s.GetDataSize(), 4u);
  uint8_t buffer[8];
  std::memset(buffer, 0xEE, sizeof buffer);
  EXPECT_EQ(s.ToData(buffer, kWholeValue), buffer + 4);
  EXPECT_EQ(buffer[0], 2);
  EXPECT_EQ(buffer[1], 0xE9);
  EXPECT_EQ(buffer[2], 'x');
  EXPECT_EQ(buffer[3], 0);
  EXPECT_EQ(buffer[4], 0xEE);

  VMacStrInHandle back;
  EXPECT_EQ(back.FromData(buffer, kWholeValue), buffer + 4);
  EXPECT_EQ(back.GetLength(), 2);
  EXPECT_EQ(*static_cast<uint8_t*>(back.GetBuffer()), 0x8E);
  back.ReleaseBuffer();
}

TEST(String, FlatFormOfALongTextHoldsTheFirst255AndItsSizeSaysSo) {
  for (auto& s : EveryForm()) {
    if (!s->IsInHandle()) continue;
    std::string text(300, 'w');
    SetAscii(*s, text.c_str());
    const uint32_t size = s->GetDataSize();
    EXPECT_EQ(size, 257u * static_cast<uint32_t>(s->GetCharSize())) << s->GetForm();
    std::vector<uint8_t> buffer(size + 8, 0xEE);
    EXPECT_EQ(s->ToData(buffer.data(), kWholeValue), buffer.data() + size) << s->GetForm();
    EXPECT_EQ(buffer[size], 0xEE) << s->GetForm();
    std::unique_ptr<VValue> back(s->Clone());
    auto& copy = static_cast<VString&>(*back);
    EXPECT_EQ(copy.FromData(buffer.data(), kWholeValue), buffer.data() + size) << s->GetForm();
    EXPECT_EQ(copy.GetLength(), 255) << s->GetForm();
  }
}

TEST(String, FromDataSkipsTheWholeStoredTextEvenWhenTheCapacityCutsIt) {
  // Two texts one behind the other: a small string must still step over the
  // whole first one, or it would read the second from the wrong place.
  VStr<31> first, second;
  SetAscii(first, "a longer first text");
  SetAscii(second, "next");
  std::vector<uint8_t> buffer(first.GetDataSize() + second.GetDataSize());
  uint8_t* p = first.ToData(buffer.data(), kWholeValue);
  second.ToData(p, kWholeValue);

  VStr<4> small;
  const uint8_t* q = small.FromData(buffer.data(), kWholeValue);
  EXPECT_EQ(Text(small), u"a lo");
  EXPECT_EQ(q, p);
  VStr<15> after;
  after.FromData(q, kWholeValue);
  EXPECT_EQ(Text(after), u"next");
}
