// The readers of the drop-down list, static text, lock-key, chooser and
// menu-button templates on good and bad bytes: item counts bounded by the
// bytes, texts clamped to their fields, short templates counted as missing.
#include <gtest/gtest.h>

#include <string>

#include "controls/controls/ControlTemplates.h"
#include "controls/tests/ControlTestSupport.h"

namespace {

std::string Pascal(const uint8_t* p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }

// A 64-byte item text field whose length byte may lie.
NativeBytes& Item(NativeBytes& b, const std::string& text, int length = -1) {
  b.I16(0).U8(uint8_t(length >= 0 ? length : int(text.size())));
  for (size_t i = 0; i < 63; ++i) b.U8(i < text.size() ? uint8_t(text[i]) : uint8_t('#'));
  return b;
}

NativeBytes Drop(int16_t count, const std::vector<std::string>& items, uint8_t flags = 0x90) {
  NativeBytes b;
  b.Header(300, 5, 6, 120, 20, "Size").I16(0).I16(0).I16(-2);
  b.U8('L').U8('O').U8('N').U8('G');  // native order: the source as the resource layer left it
  b.U8(7).U8(flags).I16(count);
  for (const std::string& s : items) Item(b, s);
  return b;
}

uint32_t NativeType(const char* s) {
  uint32_t v = 0;
  std::memcpy(&v, s, 4);
  return v;
}

}  // namespace

TEST(ToolbarTemplates, ReadsEveryFieldOfADropDownList) {
  const NativeBytes b = Drop(3, {"14", "10", "12"});
  VDropTemplate t;
  ASSERT_TRUE(ReadDropTemplate(b.bytes.data(), b.bytes.size(), t));
  EXPECT_EQ(t.header.commandId, 300);
  EXPECT_EQ(Pascal(t.header.title), "Size");
  EXPECT_EQ(t.filterKind, -2);
  EXPECT_EQ(t.source, NativeType("LONG"));
  EXPECT_EQ(t.lines, 7);
  EXPECT_EQ(t.flags & kDropEditable, kDropEditable);
  EXPECT_EQ(t.flags & kDropSorted, kDropSorted);
  ASSERT_EQ(t.items.size(), 3u);
  EXPECT_EQ(Pascal(t.items[0].text), "14");
  EXPECT_EQ(Pascal(t.items[2].text), "12");
  EXPECT_EQ(b.bytes.size(), kDropTemplateSize + 3 * kDropItemSize);
}

// One row a bad or borderline 'XDRP': whether it is taken, how many items
// and the first item's text.
TEST(ToolbarTemplates, DropDownBadInputs) {
  struct Row {
    const char* what;
    std::vector<uint8_t> bytes;
    bool taken;
    size_t items;
    std::string first;
  };
  NativeBytes longText;
  longText.Header(1, 0, 0, 0, 0, "").I16(0).I16(0).I16(0).I32(0).U8(0).U8(0).I16(1);
  Item(longText, "ab", 200);
  const std::string all63 = "ab" + std::string(61, '#');
  const std::vector<Row> rows = {
      {"empty", {}, false, 0, ""},
      {"fixed part cut at 65", Drop(0, {}).Cut(65).bytes, false, 0, ""},
      {"fixed part, no items", Drop(0, {}).bytes, true, 0, ""},
      {"count 2, one item", Drop(2, {"a"}).bytes, false, 0, ""},
      {"count 1, item cut", Drop(1, {"a"}).Cut(kDropTemplateSize + 65).bytes, false, 0, ""},
      {"count -1", Drop(-1, {"a"}).bytes, false, 0, ""},
      {"count 32767, two items", Drop(32767, {"a", "b"}).bytes, false, 0, ""},
      {"count 1 of 2 items", Drop(1, {"x", "y"}).bytes, true, 1, "x"},
      {"item length 200", longText.bytes, true, 1, all63},
  };
  for (const Row& r : rows) {
    VDropTemplate t;
    t.lines = 99;
    const bool taken = ReadDropTemplate(r.bytes.data(), r.bytes.size(), t);
    EXPECT_EQ(taken, r.taken) << r.what;
    if (!taken) {
      EXPECT_EQ(t.lines, 99) << r.what << ": left as it was";
      continue;
    }
    EXPECT_EQ(t.items.size(), r.items) << r.what;
    if (!t.items.empty()) {
      EXPECT_EQ(Pascal(t.items[0].text), r.first) << r.what;
    }
  }
}

// One row a bad or borderline template of the small kinds: whether it is
// taken and the title kept.
TEST(ToolbarTemplates, SmallKindsBadInputs) {
  using Reader = bool (*)(const std::vector<uint8_t>&, std::string&);
  Reader text = [](const std::vector<uint8_t>& b, std::string& title) {
    VStaticTextTemplate t;
    const bool ok = ReadStaticTextTemplate(b.data(), b.size(), t);
    title = std::to_string(t.columnStep);
    return ok;
  };
  Reader lock = [](const std::vector<uint8_t>& b, std::string& title) {
    VLockTemplate t;
    const bool ok = ReadLockTemplate(b.data(), b.size(), t);
    title = Pascal(t.header.title);
    return ok;
  };
  Reader chooser = [](const std::vector<uint8_t>& b, std::string& title) {
    VChooserTemplate t;
    const bool ok = ReadChooserTemplate(b.data(), b.size(), t);
    title = std::to_string(t.iconId) + "/" + std::to_string(t.menuId);
    return ok;
  };
  Reader menu = [](const std::vector<uint8_t>& b, std::string& title) {
    VMenuButtonTemplate t;
    const bool ok = ReadMenuButtonTemplate(b.data(), b.size(), t);
    title = Pascal(t.header.title) + "/" + std::to_string(t.menuId);
    return ok;
  };
  NativeBytes numbers;
  numbers.I32(-900).I32(0).I32(0).I32(40).I32(16).I16(0);
  const NativeBytes lockBase = NativeBytes(numbers);
  struct Row {
    const char* what;
    std::vector<uint8_t> bytes;
    Reader read;
    bool taken;
    std::string result;
  };
  const std::vector<Row> rows = {
      {"text of 23 bytes", NativeBytes(numbers).I16(50).Cut(23).bytes, text, false, "0"},
      {"text of 24 bytes", NativeBytes(numbers).I16(50).bytes, text, true, "50"},
      {"lock of 21 bytes", NativeBytes(numbers).Cut(21).bytes, lock, false, ""},
      {"lock without title", NativeBytes(numbers).bytes, lock, true, ""},
      {"lock title cut by the end", NativeBytes(numbers).U8(5).U8('C').U8('a').bytes, lock, true, "Ca"},
      {"lock title whole", NativeBytes(numbers).Text("Caps").bytes, lock, true, "Caps"},
      {"lock title length 90", NativeBytes(numbers).Text("Caps", 90).bytes, lock, true,
       "Caps" + std::string(27, '#')},
      {"chooser of 25 bytes", NativeBytes(numbers).I16(7).I16(9).Cut(25).bytes, chooser, false, "0/0"},
      {"chooser of 26 bytes", NativeBytes(numbers).I16(7).I16(9).bytes, chooser, true, "7/9"},
      {"menu button of 61 bytes",
       NativeBytes().Header(5, 0, 0, 0, 0, "Go").I16(0).I16(0).I32(0).I16(4).Cut(61).bytes, menu,
       false, "/0"},
      {"menu button of 62 bytes",
       NativeBytes().Header(5, 0, 0, 0, 0, "Go").I16(0).I16(0).I32(0).I16(4).bytes, menu, true,
       "Go/4"},
  };
  for (const Row& r : rows) {
    std::string result;
    EXPECT_EQ(r.read(r.bytes, result), r.taken) << r.what;
    EXPECT_EQ(result, r.result) << r.what;
  }
}

// One row a bad or borderline 'XICO': whether it is taken, the pairs and
// the title kept.
TEST(ToolbarTemplates, IconControlBadInputs) {
  auto icon = [](int16_t count, std::vector<int16_t> words, int titleLength = 4) {
    NativeBytes b;
    b.I32(401).I32(0).I32(0).I32(0).I32(0).I16(0);
    b.U8(uint8_t(titleLength)).U8('B').U8('o').U8('l').U8('d');
    for (int i = 0; i < 25; ++i) b.U8('#');
    b.I16(0).I16(count);
    for (int16_t w : words) b.I16(w);
    return b;
  };
  struct Row {
    const char* what;
    std::vector<uint8_t> bytes;
    bool taken;
    size_t pairs;
    std::string title;
  };
  const std::vector<Row> rows = {
      {"fixed part cut", icon(0, {}).Cut(55).bytes, false, 0, ""},
      {"no pairs", icon(0, {}).bytes, true, 0, "Bold"},
      {"two pairs", icon(2, {1, 3001, 2, 3002}).bytes, true, 2, "Bold"},
      {"odd tail", icon(1, {1, 3001}).U8(7).bytes, true, 1, "Bold"},
      {"count beyond", icon(3, {1, 3001, 2, 3002}).bytes, false, 0, ""},
      {"half a pair", icon(1, {1}).bytes, false, 0, ""},
      {"negative count", icon(-1, {1, 3001}).bytes, false, 0, ""},
      {"title length 200", icon(0, {}, 200).bytes, true, 0, "Bold" + std::string(25, '#')},
  };
  for (const Row& r : rows) {
    VIconControlTemplate t;
    t.values = {42};
    const bool taken = ReadIconControlTemplate(r.bytes.data(), r.bytes.size(), t);
    EXPECT_EQ(taken, r.taken) << r.what;
    EXPECT_EQ(Pascal(t.header.title), r.title) << r.what;
    EXPECT_EQ(t.values.size(), taken ? r.pairs : 1u) << r.what;
  }
}
