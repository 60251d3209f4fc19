// VShortcut and VCommandKey: shortcuts from key events (double-byte ones
// over two records), matching, 'XKEY' lists, key tables and key texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "framework/core/containers/VArrayListOf.h"
#include "framework/core/strings/VUniString.h"
#include "views/VShortcut.h"
#include "views/tests/StoredResourceFile.h"
#include "platform/toolbox/TbxScript.h"
#include "platform/win32/WinInput.h"

namespace {

std::u16string Text(const VString& s) {
  std::u16string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += s.GetCharAt(i);
  return out;
}

VHostEventRecord Key(uintptr_t message, uint16_t modifiers = 0) {
  VHostEventRecord r{};
  r.what = 3;
  r.message = message;
  r.modifiers = modifiers;
  return r;
}

class Shortcut : public testing::Test {
 protected:
  void SetUp() override { ResetHeadlessInput(); }
  void TearDown() override { ResetHeadlessInput(); }
};

struct KeyEventCase {
  uintptr_t message;
  uint16_t modifiers;
  char16_t character;
  int16_t keyCode;
  uint8_t flags;
};

TEST_F(Shortcut, KeyEventsGiveCharacterKeyCodeAndModifiers) {
  const KeyEventCase cases[] = {
      // Ctrl+Backspace: the character is below 32 and so stored as 0; the
      // key code and the command bit are what shortcuts match.
      {0x337F, 0, 0, 149, kShortcutCommand},
      {0x3308, 0, 0, 149, 0},
      {0x240D, kHostModifierShift, 0, 13, kShortcutShift},
      {0x3009, 0, 0, 9, 0},
      {0x0061, kHostModifierCommand | kHostModifierOption, u'a', 65, kShortcutCommand | kShortcutOption},
      {0x0D57, 0, u'W', 87, 0},
      {0x5331, 0, u'1', 129, 0},
      {0x7A10, 0, 0, 158, 0},
      {0x0000, 0, 0, 65, 0},  // message 0: the key that types A
      {0x0A00, 0, 0, 0, 0},   // a key of no character in the layout
  };
  for (const KeyEventCase& c : cases) {
    VShortcut s;
    EXPECT_TRUE(s.SetFromKeyEvent(Key(c.message, c.modifiers))) << std::hex << c.message;
    EXPECT_EQ(s.GetCharacter(), c.character) << std::hex << c.message;
    EXPECT_EQ(s.GetKeyCode(), c.keyCode) << std::hex << c.message;
    EXPECT_EQ(s.GetModifierFlags(), c.flags) << std::hex << c.message;
    EXPECT_TRUE(s.HasEventRecord());
  }
}

TEST_F(Shortcut, ADoubleByteCharacterTakesTwoRecords) {
  ASSERT_NE(LoadKeyboardLayoutA("00000411", KLF_ACTIVATE), nullptr);
  VShortcut s;
  EXPECT_FALSE(s.SetFromKeyEvent(Key(0x0082, kHostModifierShift)));
  EXPECT_FALSE(s.HasEventRecord());
  EXPECT_EQ(s.GetCharacter(), 0);
  EXPECT_EQ(s.GetModifierFlags(), 0);
  EXPECT_TRUE(s.SetFromKeyEvent(Key(0x00A0)));
  EXPECT_EQ(s.GetCharacter(), u'\u3042');
  VHostEventRecord out{};
  s.GetEventRecord(out);
  EXPECT_EQ(out.message, 0x00A0u);
  // Lead bytes in a row pair up; none is written past the pending bytes.
  std::vector<bool> completed;
  for (int i = 0; i < 5; ++i) completed.push_back(s.SetFromKeyEvent(Key(0x0081)));
  EXPECT_EQ(completed, (std::vector<bool>{false, true, false, true, false}));
  EXPECT_EQ(s.GetCharacter(), 0);
  // A one-byte character after a pending lead byte ends the pair.
  EXPECT_TRUE(s.SetFromKeyEvent(Key(0x0041)));
}

TEST_F(Shortcut, RomanKeyboardsHaveNoLeadBytes) {
  VShortcut s;
  for (uintptr_t byte : {0x81, 0x82, 0xE0}) {
    EXPECT_TRUE(s.SetFromKeyEvent(Key(byte))) << byte;
    EXPECT_TRUE(s.HasEventRecord());
  }
}

TEST(ShortcutMatch, SignificanceDecidesWhichModifiersCount) {
  struct {
    VShortcut pattern;
    VShortcut typed;
    bool matches;
  } cases[] = {
      {VShortcut(0, 65, true, false, false), VShortcut(u'a', 65, true, false, false), true},
      {VShortcut(0, 65, true, false, false), VShortcut(u'a', 65, false, false, false), true},
      {VShortcut(u'x', 65, false, false, false), VShortcut(u'y', 65, true, true, true), true},
      {VShortcut(0, 65, false, false, false), VShortcut(0, 66, false, false, false), false},
  };
  for (auto& c : cases) {
    EXPECT_EQ(c.pattern.Matches(c.typed), c.matches);
    EXPECT_EQ(c.typed.Matches(c.pattern), c.matches);
    EXPECT_EQ(c.pattern.Differs(c.typed), !c.matches);
  }
  VShortcut significant(0, 65, true, false, true);
  significant.SetSignificance(kShortcutCommandSignificant | kShortcutShiftSignificant);
  EXPECT_TRUE(significant.Matches(VShortcut(0, 65, kHostModifierCommand | kHostModifierShift)));
  EXPECT_FALSE(significant.Matches(VShortcut(0, 65, kHostModifierCommand)));
  EXPECT_TRUE(significant.Matches(VShortcut(0, 65, uint16_t(kHostModifierCommand | kHostModifierShift |
                                                           kHostModifierOption))));
}

std::vector<uint8_t> Xkey(std::initializer_list<std::tuple<int32_t, uint8_t, uint8_t>> records,
                          int count = -1) {
  StoredBytes b;
  b.U16(uint16_t(count >= 0 ? count : int(records.size())));
  for (const auto& r : records) b.I32(std::get<0>(r)).U8(std::get<1>(r)).U8(std::get<2>(r));
  return b.bytes;
}

constexpr uint32_t kXKEY = FourCC("XKEY");

TEST(KeyShortcuts, XkeyRecordsBecomeCommandKeys) {
  StoredResourceFile res;
  res.Add(kXKEY, 1, Xkey({{100, 'B', 0x88}, {70000, 158, 0x80}, {-3, 9, 0xFE}}));
  VResourceFile* file = res.Open();
  ASSERT_NE(file, nullptr);
  VArrayListPtrOf<VCommandKey*> list;
  LoadKeyShortcuts(list, file, 1);
  ASSERT_EQ(list.Count(), 3);
  VCommandKey* bold = list.GetAt(1);
  EXPECT_EQ(bold->GetCommandId(), 100);
  EXPECT_EQ(bold->GetKeyCode(), 'B');
  EXPECT_EQ(bold->GetModifierFlags(), kShortcutCommand | kShortcutCommandSignificant);
  EXPECT_TRUE(bold->Matches(VShortcut(u'b', 'B', kHostModifierCommand)));
  EXPECT_FALSE(bold->Matches(VShortcut(u'b', 'B', uint16_t(0))));
  VCommandKey* f1 = list.GetAt(2);
  EXPECT_EQ(f1->GetCommandId(), 70000);
  EXPECT_TRUE(f1->Matches(VShortcut(0, 158, uint16_t(0))));
  EXPECT_TRUE(f1->Matches(VShortcut(0, 158, kHostModifierCommand)));
  VCommandKey* all = list.GetAt(3);
  EXPECT_EQ(all->GetCommandId(), -3);
  EXPECT_EQ(all->GetModifierFlags(), 0x3F);
  EXPECT_TRUE(all->GetExtraFlag());
  EXPECT_FALSE(bold->GetExtraFlag());
  EXPECT_TRUE(bold->SameCommand(VCommandKey(100, 1, false, false, false, false)));
  list.RemoveAll(false);
}

TEST(KeyShortcuts, CountsAreClampedAndEmptyResourcesEmptyTheList) {
  StoredResourceFile res;
  res.Add(kXKEY, 1, Xkey({{1, 'A', 0}, {2, 'B', 0}}, 40));
  res.Add(kXKEY, 2, Xkey({}));
  std::vector<uint8_t> partial = Xkey({{1, 'A', 0}, {2, 'B', 0}});
  partial.resize(partial.size() - 1);
  res.Add(kXKEY, 3, partial);
  VResourceFile* file = res.Open();
  VArrayListPtrOf<VCommandKey*> list;
  LoadKeyShortcuts(list, file, 1);
  EXPECT_EQ(list.Count(), 2);
  list.RemoveAll(false);
  LoadKeyShortcuts(list, file, 3);
  EXPECT_EQ(list.Count(), 1);
  VCommandKey* kept = list.GetAt(1);
  LoadKeyShortcuts(list, file, 99);  // missing: the list stays
  EXPECT_EQ(list.Count(), 1);
  LoadKeyShortcuts(list, file, 2);
  EXPECT_EQ(list.Count(), 0);
  delete kept;
  std::vector<uint8_t> one{0x00};
  EXPECT_EQ(ReadKeyRecords(one.data(), one.size(), [](const VKeyRecord&) { return true; }), 0);
}

TEST(KeyShortcuts, OnlyWholeRecordsWithinTheCountAreRead) {
  using Record = std::tuple<int32_t, uint8_t, uint8_t>;
  // The records as the reader takes them: in this machine's order.
  auto native = [](const std::vector<Record>& records, int count = -1) {
    const uint16_t n = static_cast<uint16_t>(count >= 0 ? count : int(records.size()));
    std::vector<uint8_t> out(2 + records.size() * 6);
    std::memcpy(out.data(), &n, 2);
    for (size_t i = 0; i < records.size(); ++i) {
      uint8_t* r = out.data() + 2 + i * 6;
      const int32_t id = std::get<0>(records[i]);
      std::memcpy(r, &id, 4);
      r[4] = std::get<1>(records[i]);
      r[5] = std::get<2>(records[i]);
    }
    return out;
  };
  const std::vector<uint8_t> two = native({{1, 'A', 2}, {-3, 'B', 0}});
  std::vector<uint8_t> cut = two;
  cut.resize(cut.size() - 1);
  struct Case {
    std::vector<uint8_t> bytes;
    std::vector<Record> records;
    const char* what;
  };
  const Case cases[] = {
      {{}, {}, "no bytes"},
      {{two.begin(), two.begin() + 2}, {}, "a count and no records"},
      {native({{1, 'A', 2}}, 0), {}, "a zero count over a record"},
      {two, {{1, 'A', 2}, {-3, 'B', 0}}, "whole"},
      {cut, {{1, 'A', 2}}, "the last record a byte short"},
      {native({{1, 'A', 2}, {-3, 'B', 0}}, 1), {{1, 'A', 2}}, "a count below the records"},
      {native({{1, 'A', 2}}, 0xFFFF), {{1, 'A', 2}}, "the largest count"},
  };
  for (const Case& c : cases) {
    std::vector<Record> seen;
    const int32_t visited =
        ReadKeyRecords(c.bytes.data(), c.bytes.size(), [&](const VKeyRecord& r) {
          seen.emplace_back(r.commandId, r.keyCode, r.flags);
          return true;
        });
    EXPECT_EQ(visited, static_cast<int32_t>(c.records.size())) << c.what;
    EXPECT_EQ(seen, c.records) << c.what;
  }
}

TEST(KeyTables, VirtualKeys) {
  const std::pair<int32_t, int16_t> cases[] = {
      {18, 0},    {91, 0},    {110, 46},  {106, 42},  {96, 128}, {105, 137}, {112, 158},
      {123, 169}, {124, 0},   {8, 149},   {12, 150},  {46, 150}, {65, 65},   {90, 90},
      {48, 48},   {163, 146}, {161, 148}, {43, 152},  {3, 156},  {0, 0},     {-1, 0},
  };
  for (const auto& [vk, code] : cases) EXPECT_EQ(VirtualKeyToKeyCode(vk), code) << vk;
}

TEST(KeyTables, MacintoshKeysAndNameIndexes) {
  const std::pair<uint8_t, int16_t> codes[] = {
      {0x52, 128}, {0x59, 135}, {0x5B, 136}, {0xFA, 158}, {0x7E, 144}, {0x0B, 'B'}, {0x1D, 0},
  };
  for (const auto& [mac, code] : codes) EXPECT_EQ(MacKeyToKeyCode(mac), code) << int(mac);
  const std::pair<int16_t, int16_t> names[] = {
      {9, 30}, {13, 37}, {149, 33}, {158, 5}, {169, 16}, {170, 0}, {8, 0}, {65, 0}, {151, 0},
  };
  for (const auto& [code, index] : names) EXPECT_EQ(KeyCodeToNameIndex(code), index) << code;
  EXPECT_EQ(MacKeyToNameIndex(0x7A), 5);
  EXPECT_EQ(MacKeyToNameIndex(0x4C), 34);
  EXPECT_EQ(MacKeyToNameIndex(0x00), 0);
}

class KeyTexts : public testing::Test {
 protected:
  void SetUp() override {
    StoredBytes names;
    const std::vector<std::string> items = {"", "Ctrl", "Alt", "Shift", "F1", "F2", "F3", "F4", "F5"};
    names.U16(uint16_t(items.size()));
    for (const std::string& item : items) {
      names.U8(uint8_t(item.size()));
      for (char c : item) names.U8(uint8_t(c));
    }
    res.Add(FourCC("STR#"), kKeyNameList, names.bytes);
    file = res.Open();
    ASSERT_NE(file, nullptr);
  }
  std::u16string KeyText(int16_t code) {
    VStr<255> out;
    VShortcut(0, code, false, false, false).GetKeyText(out, file);
    return Text(out);
  }
  StoredResourceFile res;
  VResourceFile* file = nullptr;
};

TEST_F(KeyTexts, NamedKeysDigitsAndCharacters) {
  EXPECT_EQ(KeyText(130), u"2");
  EXPECT_EQ(KeyText(65), u"A");
  EXPECT_EQ(KeyText(158), u"F1");
  EXPECT_EQ(KeyText(162), u"F5");
  EXPECT_EQ(KeyText(0), u"");
}

TEST_F(KeyTexts, ShortcutTextsJoinModifiersWithPlus) {
  struct {
    VCommandKey key;
    std::u16string text;
  } cases[] = {
      {VCommandKey(1, 162, true, false, true, false), u"Ctrl+Shift+F5"},
      {VCommandKey(1, 'S', false, true, false, false), u"Alt+S"},
      {VCommandKey(1, 'S', true, true, true, false), u"Ctrl+Alt+Shift+S"},
      {VCommandKey(1, 129, false, false, false, false), u"1"},
  };
  for (auto& c : cases) {
    VStr<255> out;
    c.key.GetShortcutText(out, file);
    EXPECT_EQ(Text(out), c.text);
  }
}

TEST(ToolboxScript, TranslationAndByteTypes) {
  uint32_t state = 7;
  EXPECT_EQ(Tbx::KeyTranslate(nullptr, 0x0200, &state), 0u);
  EXPECT_EQ(state, 0u);
  const auto* layout = reinterpret_cast<const void*>(Tbx::GetScriptManagerVariable(Tbx::smKCHRCache));
  EXPECT_EQ(Tbx::KeyTranslate(layout, 0x0000, &state), uint32_t('a'));
  EXPECT_EQ(Tbx::KeyTranslate(layout, 0x0200, &state), uint32_t('A'));
  EXPECT_EQ(Tbx::KeyTranslate(layout, 0x0212, &state), uint32_t('!'));
  const uint8_t text[] = {0x41, 0x82, 0xA0, 0x81};
  EXPECT_EQ(Tbx::CharacterByteType(text, 1, Tbx::smJapanese), Tbx::smFirstByte);
  EXPECT_EQ(Tbx::CharacterByteType(text, 2, Tbx::smJapanese), Tbx::smLastByte);
  EXPECT_EQ(Tbx::CharacterByteType(text, 3, Tbx::smJapanese), Tbx::smFirstByte);
  EXPECT_EQ(Tbx::CharacterByteType(text, 1, Tbx::smRoman), Tbx::smSingleByte);
  EXPECT_EQ(Tbx::GetScriptManagerVariable(999), 0);
}

}  // namespace
