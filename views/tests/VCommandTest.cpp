// VCommand and VCommandTable: groups, listener notices, and tables read
// from 'XCOM' resources, sound and damaged.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/core/containers/VArrayListOf.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/tests/FailingMemoryMgr.h"
#include "framework/core/values/VLong.h"
#include "views/VCommand.h"
#include "views/VCommandListeners.h"
#include "views/VCommandTable.h"
#include "views/tests/StoredResourceFile.h"

namespace {

std::string Text(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += char(s.GetCharAt(i));
  return out;
}

VStr<255> Str(const char* text) {
  VStr<255> s;
  s.SetChars(text, 0, int32_t(std::strlen(text)), 0);
  return s;
}

struct Control : VCommandControl {
  void CommandValueChanged(int32_t mode) override { values.push_back(mode); }
  void CommandEnabledChanged(bool enabled, int32_t) override { enables.push_back(enabled); }
  void ClearCommand() override { ++cleared; }
  std::vector<int32_t> values;
  std::vector<bool> enables;
  int cleared = 0;
};

struct Menu : VCommandMenu {
  void CommandChanged(VCommand* command) override { changed.push_back(command); }
  void ClearCommand(VCommand*) override { ++cleared; }
  std::vector<VCommand*> changed;
  int cleared = 0;
};

struct MenuBar : VCommandMenuBar {
  void UpdateMenuItemTitle(VCommand* command) override { updated.push_back(command); }
  std::vector<VCommand*> updated;
};

// 'XCOM' stored bytes: big-endian count and ids.
std::vector<uint8_t> Xcom(std::initializer_list<std::pair<int32_t, const char*>> records,
                          int count = -1) {
  StoredBytes b;
  b.U16(uint16_t(count >= 0 ? count : int(records.size())));
  for (const auto& r : records) b.I32(r.first).Title(r.second);
  return b.bytes;
}

// The same in native order, as the reader on a byte buffer takes it.
std::vector<uint8_t> NativeXcom(uint16_t count, const std::vector<std::pair<int32_t, std::string>>& records,
                                int titleLength = -1) {
  std::vector<uint8_t> out(2 + records.size() * 36, 0);
  std::memcpy(out.data(), &count, 2);
  for (size_t i = 0; i < records.size(); ++i) {
    uint8_t* r = out.data() + 2 + i * 36;
    std::memcpy(r, &records[i].first, 4);
    const std::string& t = records[i].second;
    r[4] = uint8_t(titleLength >= 0 ? titleLength : int(t.size()));
    std::memcpy(r + 5, t.data(), std::min<size_t>(t.size(), 31));
  }
  return out;
}

constexpr uint32_t kXCOM = FourCC("XCOM");

TEST(CommandTable, RecordsFiveAndTwoGiveCountFiveWithEmptyEntries) {
  StoredResourceFile res;
  res.Add(kXCOM, 128, Xcom({{5, "Five"}, {2, "Two"}}));
  VResourceFile* file = res.Open();
  ASSERT_NE(file, nullptr);
  VCommandTable table(file, 128);
  EXPECT_EQ(table.GetCount(), 5);
  for (int32_t id : {0, 1, 3, 4, 6}) EXPECT_EQ(table.GetCommand(id), nullptr) << id;
  ASSERT_NE(table.GetCommand(5), nullptr);
  EXPECT_EQ(Text(table.GetCommand(5)->GetTitle()), "Five");
  EXPECT_EQ(Text(table.GetCommand(2)->GetTitle()), "Two");
  EXPECT_TRUE(table.IsCommandEnabled(2));
  EXPECT_FALSE(table.IsCommandEnabled(3));
}

class GroupTable : public testing::Test {
 protected:
  void SetUp() override {
    res.Add(kXCOM, 128, Xcom({{1, "Undo"}, {-20, "Align"}}));
    res.Add(kXCOM, 300, Xcom({{21, "Left"}, {22, "Centre"}, {-23, "Right"}}), "Align");
    file = res.Open();
    ASSERT_NE(file, nullptr);
    table.LoadCommands(file, 128);
  }
  int32_t Value(int32_t id) { return table.GetCommand(id)->GetLong(); }
  StoredResourceFile res;
  VResourceFile* file = nullptr;
  VCommandTable table;
};

TEST_F(GroupTable, MembersComeFromTheListTheGroupTitleNames) {
  EXPECT_EQ(table.GetCount(), 23);
  VCommand* group = table.GetCommand(20);
  ASSERT_NE(group, nullptr);
  EXPECT_TRUE(group->IsGroup());
  ASSERT_EQ(group->GetMembers().size(), 3u);
  for (int32_t id : {21, 22, 23}) {
    VCommand* member = table.GetCommand(id);
    ASSERT_NE(member, nullptr) << id;
    EXPECT_EQ(member->GetGroupCommand(), group);
    // A negative id in a member list makes no further group.
    EXPECT_FALSE(member->IsGroup()) << id;
  }
}

TEST_F(GroupTable, TurningAMemberOnTurnsTheOthersOffAndSetsTheGroup) {
  Control left;
  table.GetCommand(21)->AddListener(&left);
  table.GetCommand(22)->SetLong(nullptr, 1, 1);
  EXPECT_EQ(Value(21), 0);
  EXPECT_EQ(Value(22), 1);
  EXPECT_EQ(Value(23), 0);
  EXPECT_EQ(Value(20), 22);
  // The other members tell their listeners with mode 1.
  EXPECT_EQ(left.values, std::vector<int32_t>{1});
  table.GetCommand(21)->RemoveListener(&left);
  table.GetCommand(20)->SetLong(nullptr, kCommandGroupMixed, 0);
  EXPECT_EQ(Value(21), 2);
  EXPECT_EQ(Value(22), 2);
  EXPECT_EQ(Value(23), 2);
  table.GetCommand(20)->SetLong(nullptr, 23, 0);
  EXPECT_EQ(Value(21), 0);
  EXPECT_EQ(Value(23), 1);
}

TEST_F(GroupTable, EditCommandsTakeTheirStatesFromTheMask) {
  Control undo;
  table.GetCommand(1)->AddListener(&undo);
  // Only command 1 exists of 1..7, and it is enabled: mask 1 changes nothing.
  EXPECT_FALSE(table.UpdateEditCommands(0x01, Str("Undo typing"), Str("Redo"), false));
  EXPECT_EQ(Text(table.GetCommand(1)->GetTitle()), "Undo typing");
  EXPECT_TRUE(table.UpdateEditCommands(0x00, Str("Undo"), Str("Redo"), false));
  EXPECT_FALSE(table.IsCommandEnabled(1));
  EXPECT_EQ(undo.enables, std::vector<bool>{false});
  // The control of a state that changed is told to draw itself again
  // (mode 1), forced or not, so that a bar shows the new state at once.
  EXPECT_EQ(undo.values, std::vector<int32_t>{1});
  EXPECT_TRUE(table.UpdateEditCommands(0x01, Str("Undo"), Str("Redo"), false));
  EXPECT_EQ(undo.values, (std::vector<int32_t>{1, 1}));
  EXPECT_TRUE(table.UpdateEditCommands(0x01, Str("Undo"), Str("Redo"), true));
  EXPECT_EQ(undo.enables, (std::vector<bool>{false, true}));
  table.GetCommand(1)->RemoveListener(&undo);
}

struct BadXcomCase {
  const char* name;
  std::vector<uint8_t> bytes;
  std::vector<int32_t> present;
  std::vector<int32_t> absent;
  int32_t count;
};

TEST(CommandTable, DamagedResourcesGiveWhatTheyHoldAndNoMore) {
  const BadXcomCase cases[] = {
      {"count beyond the data", Xcom({{3, "A"}, {4, "B"}}, 10), {3, 4}, {1, 2}, 4},
      {"id 0 is an empty record", Xcom({{0, "Zero"}, {2, "B"}}), {2}, {1}, 2},
      {"group without member list", Xcom({{-6, "Nowhere"}}), {6}, {}, 6},
      {"largest id", Xcom({{INT32_MAX, "Max"}, {2, "B"}}), {2}, {}, 2},
      {"smallest id", Xcom({{INT32_MIN, "Min"}, {3, "C"}}), {3}, {}, 3},
      {"id beyond a table", Xcom({{32768, "Big"}, {-40000, "G"}, {32767, "Top"}}), {32767}, {1}, 32767},
      {"shorter than a count", {0x00}, {}, {1}, 0},
      {"no data", {}, {}, {1}, 0},
      {"half a record", {0x00, 0x01, 0x00, 0x00, 0x00, 0x05, 0x01}, {}, {5}, 0},
  };
  for (const BadXcomCase& c : cases) {
    StoredResourceFile res;
    res.Add(kXCOM, 1, c.bytes);
    VResourceFile* file = res.Open();
    ASSERT_NE(file, nullptr);
    VCommandTable table(file, 1);
    EXPECT_EQ(table.GetCount(), c.count) << c.name;
    for (int32_t id : c.present) EXPECT_NE(table.GetCommand(id), nullptr) << c.name << " " << id;
    for (int32_t id : c.absent) EXPECT_EQ(table.GetCommand(id), nullptr) << c.name << " " << id;
  }
}

TEST(CommandTable, ATitleLengthAbove31IsCut) {
  StoredBytes b;
  b.U16(1).I32(7).Title(std::string(31, 'x'), 32, 200);
  StoredResourceFile res;
  res.Add(kXCOM, 1, b.bytes);
  VCommandTable table(res.Open(), 1);
  ASSERT_NE(table.GetCommand(7), nullptr);
  EXPECT_EQ(table.GetCommand(7)->GetTitle().GetLength(), 31);
}

TEST(CommandTable, ALaterRecordOfATakenIdDeletesTheEarlierCommandCleanly) {
  StoredResourceFile res;
  res.Add(kXCOM, 1, Xcom({{-10, "Grp"}, {11, "Again"}}));
  res.Add(kXCOM, 2, Xcom({{11, "First"}, {12, "Other"}, {10, "Self"}}), "Grp");
  VResourceFile* file = res.Open();
  VCommandTable table(file, 1);
  VCommand* group = table.GetCommand(10);
  ASSERT_NE(group, nullptr);
  // The member of the group's own id was not made: the group stands.
  EXPECT_TRUE(group->IsGroup());
  ASSERT_EQ(group->GetMembers().size(), 1u);
  EXPECT_EQ(group->GetMembers()[0]->GetId(), 12);
  VCommand* again = table.GetCommand(11);
  EXPECT_EQ(Text(again->GetTitle()), "Again");
  EXPECT_EQ(again->GetGroupCommand(), nullptr);
  // The group's rules run over its remaining member only.
  table.GetCommand(12)->SetLong(nullptr, 1, 0);
  EXPECT_EQ(group->GetLong(), 12);
}

TEST(CommandTable, ReadingStopsWhenTheTableCannotGrowAndKeepsWhatItMade) {
  const std::vector<uint8_t> bytes = NativeXcom(3, {{2, "Two"}, {500, "Far"}, {3, "Three"}});
  VCommandTable table;
  {
    // The first record makes the table (102 entries); 500 needs a resize.
    ScopedFailingMemoryMgr memory;
    memory->failResize = true;
    table.LoadCommandBytes(bytes.data(), bytes.size(), nullptr);
  }
  EXPECT_EQ(table.GetCount(), 2);
  EXPECT_NE(table.GetCommand(2), nullptr);
  EXPECT_EQ(table.GetCommand(3), nullptr);
  {
    ScopedFailingMemoryMgr memory;
    memory->failNew = true;
    table.LoadCommandBytes(bytes.data(), bytes.size(), nullptr);
  }
  EXPECT_EQ(table.GetCount(), 0);
  EXPECT_EQ(table.GetCommand(2), nullptr);
}

TEST(CommandTable, TitlesMayReferToStringLists) {
  StoredResourceFile res;
  res.Add(kXCOM, 1, Xcom({{3, ":9100,2"}}));
  StoredBytes strs;
  strs.U16(2).U8(3).Fill(3, 'a').U8(4);
  for (char c : std::string("Bold")) strs.U8(uint8_t(c));
  res.Add(FourCC("STR#"), 9100, strs.bytes);
  VCommandTable table(res.Open(), 1);
  ASSERT_NE(table.GetCommand(3), nullptr);
  EXPECT_EQ(Text(table.GetCommand(3)->GetTitle()), "Bold");
}

TEST(CommandTable, AddAndDelete) {
  VCommandTable table;
  EXPECT_EQ(table.AddCommand(0, Str("No")), nullptr);
  VCommand* three = table.AddCommand(3, Str("Three"));
  ASSERT_NE(three, nullptr);
  EXPECT_EQ(table.GetCount(), 3);
  EXPECT_EQ(table.AddCommand(3, Str("Other")), nullptr);
  EXPECT_EQ(table.GetCommand(3), three);
  EXPECT_EQ(table.AddCommand(kCommandMaxId + 1, Str("Big")), nullptr);
  Menu menu;
  three->AddTitleListener(&menu);
  table.DeleteCommand(3);
  EXPECT_EQ(table.GetCommand(3), nullptr);
  EXPECT_EQ(menu.cleared, 1);
}

TEST(CommandTable, TheByteReaderClampsCountAndTitles) {
  const std::vector<uint8_t> bytes = NativeXcom(9, {{5, std::string(40, 'y')}, {-6, "G"}}, 250);
  std::vector<VCommandRecord> seen;
  EXPECT_EQ(ReadCommandRecords(bytes.data(), bytes.size(), [&](const VCommandRecord& r) {
              seen.push_back(r);
              return true;
            }),
            2);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].id, 5);
  EXPECT_EQ(seen[0].title[0], 31);
  EXPECT_EQ(seen[1].id, -6);
  EXPECT_EQ(ReadCommandRecords(nullptr, 100, [](const VCommandRecord&) { return true; }), 0);
  VCommandTable table;
  table.LoadCommandBytes(bytes.data(), bytes.size(), nullptr);
  EXPECT_EQ(table.GetCount(), 6);
  EXPECT_TRUE(table.GetCommand(6)->IsGroup());
}

TEST(CommandTable, OnlyWholeRecordsWithinTheCountAreRead) {
  const std::vector<uint8_t> two = NativeXcom(2, {{5, "A"}, {6, "B"}});
  std::vector<uint8_t> cut = two;
  cut.resize(cut.size() - 1);
  struct Case {
    std::vector<uint8_t> bytes;
    int32_t limit;  // the visitor stops after this many
    std::vector<int32_t> ids;
    const char* what;
  };
  const Case cases[] = {
      {{}, 9, {}, "no bytes"},
      {{0x02}, 9, {}, "half a count"},
      {{two.begin(), two.begin() + 2}, 9, {}, "a count and no records"},
      {NativeXcom(0, {{5, "A"}}), 9, {}, "a zero count over a record"},
      {two, 9, {5, 6}, "whole"},
      {cut, 9, {5}, "the last record a byte short"},
      {NativeXcom(1, {{5, "A"}, {6, "B"}}), 9, {5}, "a count below the records"},
      {two, 1, {5}, "the visitor stops"},
  };
  for (const Case& c : cases) {
    std::vector<int32_t> ids;
    const int32_t visited =
        ReadCommandRecords(c.bytes.data(), c.bytes.size(), [&](const VCommandRecord& r) {
          ids.push_back(r.id);
          return static_cast<int32_t>(ids.size()) < c.limit;
        });
    EXPECT_EQ(visited, static_cast<int32_t>(c.ids.size())) << c.what;
    EXPECT_EQ(ids, c.ids) << c.what;
  }
}

TEST(CommandList, KeepsEmptyRecordsAndPutsMembersAfterTheirGroup) {
  StoredResourceFile res;
  res.Add(kXCOM, 1, Xcom({{0, "Empty"}, {-4, "Grp"}, {2, "Two"}}));
  res.Add(kXCOM, 2, Xcom({{5, "A"}, {6, "B"}}), "Grp");
  VArrayListPtrOf<VCommand*> list;
  LoadCommandList(list, res.Open(), 1);
  std::vector<int32_t> ids;
  for (int32_t i = 1; i <= list.Count(); ++i) ids.push_back(list.GetAt(i)->GetId());
  EXPECT_EQ(ids, (std::vector<int32_t>{0, 4, 5, 6, 2}));
  EXPECT_EQ(list.GetAt(3)->GetGroupCommand(), list.GetAt(2));
  list.RemoveAll(false);
}

TEST(Command, TheSenderIsNotToldOfItsOwnChange) {
  Control sender;
  Control other;
  Menu menu;
  MenuBar bar;
  VCommand command(9, Str("Size"), false);
  command.AddListener(&sender);
  command.AddListener(&other);
  command.AddListener(&other);  // refused: told once
  command.AddTitleListener(&menu);
  command.AddMenuBarListener(&bar);
  command.SetLong(&sender, 12, 3);
  EXPECT_TRUE(sender.values.empty());
  EXPECT_EQ(other.values, std::vector<int32_t>{3});
  EXPECT_EQ(menu.changed.size(), 1u);
  EXPECT_EQ(bar.updated.size(), 1u);
  // The same number again tells nobody.
  command.SetLong(nullptr, 12, 3);
  EXPECT_EQ(other.values.size(), 1u);
  EXPECT_EQ(menu.changed.size(), 1u);
}

TEST(Command, EnabledAndTitleReachTheirListeners) {
  Control control;
  Menu menu;
  MenuBar bar;
  VCommand command(1, Str("Undo"), false);
  command.AddListener(&control);
  command.AddTitleListener(&menu);
  command.AddMenuBarListener(&bar);
  command.SetEnabled(true, 1);  // unchanged
  EXPECT_TRUE(control.enables.empty());
  command.SetEnabled(false, 1);
  EXPECT_EQ(control.enables, std::vector<bool>{false});
  EXPECT_EQ(control.values, std::vector<int32_t>{1});
  command.SetTitle(Str("Undo typing"));
  EXPECT_EQ(control.values.size(), 1u);  // controls are not told of titles
  EXPECT_EQ(menu.changed.size(), 2u);
  EXPECT_EQ(bar.updated.size(), 2u);
  command.SetTitle(Str("Undo typing"));
  EXPECT_EQ(menu.changed.size(), 2u);
}

TEST(Command, DeletionClearsControlAndMenuReferences) {
  Control control;
  Menu menu;
  {
    VCommand command(4);
    command.AddListener(&control);
    command.AddTitleListener(&menu);
    command.AddTitleListener(&menu);
  }
  EXPECT_EQ(control.cleared, 1);
  EXPECT_EQ(menu.cleared, 1);
}

TEST(Command, StringsChoicesAndNull) {
  Control control;
  VCommand command(2);
  command.AddListener(&control);
  command.SetString(nullptr, Str("Arial"), 0);
  command.SetString(nullptr, Str("Arial"), 0);
  EXPECT_EQ(control.values.size(), 1u);
  ASSERT_NE(command.GetValue(), nullptr);
  EXPECT_EQ(command.GetValue()->GetKind(), kValueString);

  auto* choices = new VLongArray(3);
  for (int32_t i = 1; i <= 3; ++i) choices->SetLong(i * 10, i);
  command.SetChoiceList(choices, false);
  command.SetFromChoice(nullptr, 2, 0);
  EXPECT_EQ(command.GetValue()->GetKind(), kValueLong);
  EXPECT_EQ(command.GetLong(), 20);
  EXPECT_EQ(command.FindChoice(), 2);
  VLong thirty(30);
  EXPECT_EQ(command.FindChoice(&thirty), 3);
  command.SetFromChoice(nullptr, 4, 0);  // outside the list: nothing
  EXPECT_EQ(command.GetLong(), 20);
  command.SetNull(nullptr, 0);
  EXPECT_TRUE(command.IsValueNull());
  const size_t told = control.values.size();
  command.SetNull(nullptr, 0);
  EXPECT_EQ(control.values.size(), told);
}

TEST(Command, SetValueTellsBeforeAndAfterUnlessModeIsZero) {
  Control control;
  VCommand command(2);
  command.AddListener(&control);
  VLong five(5);
  command.SetValue(&control, &five, false, 0);
  EXPECT_EQ(control.values, std::vector<int32_t>{0});
  command.SetValue(&control, &five, false, 2);
  EXPECT_EQ(control.values, (std::vector<int32_t>{0, 2, 2}));
  EXPECT_EQ(command.GetLong(), 5);
  command.SetValue(nullptr, nullptr, false, 0);
  EXPECT_TRUE(command.IsValueNull());
}

TEST(Command, ACopyJoinsTheGroupAndDeletingAGroupFreesItsMembers) {
  auto* group = new VCommand(30, Str("G"), true);
  VCommand member(31);
  member.SetGroupCommand(group);
  group->AddMember(&member);
  VCommand copy(0);
  copy.CopyFrom(member);
  EXPECT_EQ(copy.GetId(), 31);
  EXPECT_EQ(copy.GetGroupCommand(), group);
  EXPECT_EQ(group->GetMembers().size(), 2u);
  delete group;
  EXPECT_EQ(member.GetGroupCommand(), nullptr);
  EXPECT_EQ(copy.GetGroupCommand(), nullptr);
}

}  // namespace
