// The dialect name list: names by id, the whole list, reading it once, a
// missing list looked for again, and lists whose count or texts run past
// their end.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/containers/DialectList.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/IntlTestTables.h"

namespace {

// A list in native order, as the resource reads once converted.
struct ListBytes {
  std::vector<uint8_t> bytes;
  ListBytes& count(int16_t n) {
    uint8_t b[2];
    std::memcpy(b, &n, 2);
    bytes.insert(bytes.end(), b, b + 2);
    return *this;
  }
  ListBytes& entry(int32_t id, const std::string& name) {
    uint8_t b[4];
    std::memcpy(b, &id, 4);
    bytes.insert(bytes.end(), b, b + 4);
    bytes.push_back(uint8_t(name.size()));
    bytes.insert(bytes.end(), name.begin(), name.end());
    return *this;
  }
};

std::u16string Text(const VString& s) {
  std::u16string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out.push_back(s.GetCharAt(i));
  return out;
}

class DialectList : public testing::Test {
 protected:
  void SetUp() override {
    AddTestTables(manager_, 0, false);
    ASSERT_EQ(manager_.LoadTables(kLanguageUSEnglish), 0);
    saved_ = gIntlMgr;
    gIntlMgr = &manager_;
    ReleaseDialectList();
  }
  void TearDown() override {
    ReleaseDialectList();
    gIntlMgr = saved_;
  }
  void SetList(const std::vector<uint8_t>& bytes) {
    manager_.tables[{kResTypeDialectList, kDialectListId}] = bytes;
  }
  int ListRequests() const {
    int n = 0;
    for (const auto& r : manager_.requests) n += r.first == kResTypeDialectList && r.second == 128;
    return n;
  }

  FakeIntlMgr manager_;
  VIntlMgr* saved_ = nullptr;
};

TEST_F(DialectList, FindsTheNameOfAnIdInMacintoshText) {
  // 0x8E is e-acute in the test tables' Macintosh set.
  SetList(ListBytes().count(3).entry(7, "Deutsch").entry(-2, "Fran\x8E").entry(7, "later").bytes);
  VStr<63> name;
  EXPECT_TRUE(GetDialectName(7, name));
  EXPECT_EQ(Text(name), u"Deutsch");
  EXPECT_TRUE(GetDialectName(-2, name));
  EXPECT_EQ(Text(name), u"Fran\u00E9");
}

TEST_F(DialectList, AnIdNotInTheListAnswersFalseWithAnEmptyName) {
  SetList(ListBytes().count(1).entry(7, "Deutsch").bytes);
  VStr<63> name;
  name.SetUniCText(u"before");
  EXPECT_FALSE(GetDialectName(8, name));
  EXPECT_EQ(name.GetLength(), 0);
}

TEST_F(DialectList, AnEmptyNameCountsAsNotFound) {
  SetList(ListBytes().count(1).entry(7, "").bytes);
  VStr<63> name;
  EXPECT_FALSE(GetDialectName(7, name));
}

TEST_F(DialectList, TheListIsReadOnceAndKept) {
  SetList(ListBytes().count(1).entry(1, "One").bytes);
  VStr<63> name;
  EXPECT_TRUE(GetDialectName(1, name));
  EXPECT_NE(gDialectList, 0u);
  // A changed resource is not seen: the kept list answers.
  SetList(ListBytes().count(1).entry(1, "Other").bytes);
  EXPECT_TRUE(GetDialectName(1, name));
  EXPECT_EQ(Text(name), u"One");
  GetDialectList(nullptr, nullptr);
  EXPECT_EQ(ListRequests(), 1);
}

TEST_F(DialectList, AMissingListIsLookedForAgainAtTheNextCall) {
  VStr<63> name;
  EXPECT_FALSE(GetDialectName(1, name));
  VLongArray ids;
  VStringArray names;
  GetDialectList(&ids, &names);
  EXPECT_EQ(ids.Count(), 0);
  EXPECT_EQ(names.Count(), 0);
  EXPECT_EQ(ListRequests(), 2);
  SetList(ListBytes().count(1).entry(1, "One").bytes);
  EXPECT_TRUE(GetDialectName(1, name));
  EXPECT_EQ(ListRequests(), 3);
}

TEST_F(DialectList, WithoutAManagerThereIsNoList) {
  gIntlMgr = nullptr;
  VLongArray ids;
  GetDialectList(&ids, nullptr);
  EXPECT_EQ(ids.Count(), 0);
  gIntlMgr = &manager_;
}

TEST_F(DialectList, TheWholeListComesInOrder) {
  SetList(ListBytes().count(3).entry(0x0409, "English").entry(0x0407, "Deutsch").entry(5, "").bytes);
  VLongArray ids;
  VStringArray names;
  GetDialectList(&ids, &names);
  ASSERT_EQ(ids.Count(), 3);
  EXPECT_EQ(ids.GetLong(1), 0x0409);
  EXPECT_EQ(ids.GetLong(2), 0x0407);
  EXPECT_EQ(ids.GetLong(3), 5);
  ASSERT_EQ(names.Count(), 3);
  EXPECT_EQ(Text(*names.GetAt(1)), u"English");
  EXPECT_EQ(Text(*names.GetAt(2)), u"Deutsch");
  EXPECT_EQ(names.GetAt(3)->GetLength(), 0);
  // Each name is a string of up to 255 characters, the array's own.
  names.GetAt(1)->SetUniCText(std::u16string(255, u'x').c_str());
  EXPECT_EQ(names.GetAt(1)->GetLength(), 255);
  // Either side may be left out.
  VLongArray onlyIds;
  GetDialectList(&onlyIds, nullptr);
  EXPECT_EQ(onlyIds.Count(), 3);
}

TEST_F(DialectList, ACountPastTheEndStopsAtTheLastWholeEntry) {
  SetList(ListBytes().count(5).entry(1, "One").entry(2, "Two").bytes);
  VLongArray ids;
  GetDialectList(&ids, nullptr);
  EXPECT_EQ(ids.Count(), 2);
  VStr<63> name;
  EXPECT_FALSE(GetDialectName(3, name));
}

TEST_F(DialectList, ANameThatRunsPastTheEndIsNotRead) {
  std::vector<uint8_t> bytes = ListBytes().count(2).entry(1, "One").entry(2, "Two").bytes;
  bytes.pop_back();  // the second name lacks its last byte
  SetList(bytes);
  VLongArray ids;
  VStringArray names;
  GetDialectList(&ids, &names);
  ASSERT_EQ(ids.Count(), 1);
  EXPECT_EQ(Text(*names.GetAt(1)), u"One");
  VStr<63> name;
  EXPECT_FALSE(GetDialectName(2, name));
}

TEST_F(DialectList, TruncatedHeadsAndNegativeCountsGiveNothing) {
  const std::vector<uint8_t> whole = ListBytes().count(1).entry(1, "A").bytes;
  const std::vector<uint8_t> idOnly(whole.begin(), whole.begin() + 6);  // no length byte
  for (const std::vector<uint8_t>& bytes :
       {std::vector<uint8_t>{}, std::vector<uint8_t>{1}, ListBytes().count(1).bytes, idOnly,
        ListBytes().count(-1).entry(1, "One").bytes}) {
    ReleaseDialectList();
    SetList(bytes);
    VLongArray ids;
    GetDialectList(&ids, nullptr);
    EXPECT_EQ(ids.Count(), 0) << bytes.size() << " bytes";
  }
}

}  // namespace
