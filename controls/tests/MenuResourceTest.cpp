// The 'XMNU' reader on good and bad bytes.
#include "controls/menus/MenuResource.h"

#include <gtest/gtest.h>

#include <string>

#include "boundary/FourCC.h"
#include "controls/tests/ControlTestSupport.h"

namespace {

std::string TextOf(const uint8_t* text) { return std::string(reinterpret_cast<const char*>(text + 1), text[0]); }

NativeBytes& Item(NativeBytes& b, const std::string& text, uint32_t kind, int32_t command,
                  uint8_t flags = 0, int16_t parameter = 0, int length = -1) {
  b.Text(text, length).I16(9400).I16(-1).I32(command).I32(int32_t(kind)).U8(flags).U8(0xEE);
  return b.I16(parameter);
}

NativeBytes Menu(int16_t count, int items) {
  NativeBytes b;
  b.Text(":200,3").I32(77).I16(count);
  for (int i = 0; i < items; ++i) Item(b, "Item" + std::to_string(i), FourCC("TEXT"), 100 + i);
  return b;
}

}  // namespace

TEST(MenuResource, ReadsTheTitleAndEveryItemField) {
  NativeBytes b;
  b.Text("Format").I32(-5).I16(2);
  Item(b, "Bold", FourCC("NAME"), 310, kMenuItemCheck, -12);
  Item(b, "4012", FourCC("HIER"), 311);
  VMenuRecord menu;
  ASSERT_EQ(ReadMenuRecord(b.bytes.data(), b.bytes.size(), menu), kMenuLoaded);
  EXPECT_EQ(TextOf(menu.title), "Format");
  EXPECT_EQ(menu.commandId, -5);
  ASSERT_EQ(menu.items.size(), 2u);
  const VMenuItemRecord& bold = menu.items[0];
  EXPECT_EQ(TextOf(bold.text), "Bold");
  EXPECT_EQ(bold.iconId, 9400);
  EXPECT_EQ(bold.commandId, 310);
  EXPECT_EQ(bold.kind, FourCC("NAME"));
  EXPECT_EQ(bold.flags, kMenuItemCheck);
  EXPECT_EQ(bold.parameter, -12);
  EXPECT_EQ(TextOf(menu.items[1].text), "4012");
  EXPECT_TRUE(IsMenuItemKind(menu.items[1].kind));
  EXPECT_FALSE(IsMenuItemKind(FourCC("PICT")));
}

// One row a bad or borderline input: the answer, the items kept and the
// first item's text.
TEST(MenuResource, BadInputs) {
  NativeBytes longTitle;
  longTitle.Text("Menu", 200).I32(1).I16(1);
  Item(longTitle, "abc", FourCC("TEXT"), 5, 0, 0, 255);
  struct Row {
    const char* what;
    std::vector<uint8_t> bytes;
    int32_t answer;
    size_t items;
    std::string first;
  };
  const Row rows[] = {
      {"empty", {}, kMenuResourceCorrupt, 0, ""},
      {"header cut", Menu(0, 0).Cut(37).bytes, kMenuResourceCorrupt, 0, ""},
      {"no items", Menu(0, 0).bytes, kMenuLoaded, 0, ""},
      {"count past the items", Menu(3, 2).bytes, kMenuResourceCorrupt, 0, ""},
      {"last item cut", Menu(2, 2).Cut(38 + 48 + 47).bytes, kMenuResourceCorrupt, 0, ""},
      {"negative count", Menu(-1, 1).bytes, kMenuResourceCorrupt, 0, ""},
      {"bytes after the items", Menu(1, 2).bytes, kMenuLoaded, 1, "Item0"},
      {"length bytes past the field", longTitle.bytes, kMenuLoaded, 1,
       "abc" + std::string(28, '#')},
  };
  for (const Row& row : rows) {
    VMenuRecord menu;
    menu.commandId = 0x5A5A;
    EXPECT_EQ(ReadMenuRecord(row.bytes.data(), row.bytes.size(), menu), row.answer) << row.what;
    EXPECT_EQ(menu.items.size(), row.items) << row.what;
    if (row.answer != kMenuLoaded) {
      EXPECT_EQ(menu.commandId, 0x5A5A) << row.what;
    }
    if (!menu.items.empty()) {
      EXPECT_EQ(TextOf(menu.items[0].text), row.first) << row.what;
    }
  }
}

TEST(MenuResource, MenuBarBadInputs) {
  auto bar = [](int16_t count, int ids) {
    NativeBytes b;
    for (int i = 0; i < 64; ++i) b.U8(0xAA);
    b.I16(count);
    for (int i = 0; i < ids; ++i) b.I16(int16_t(500 + i));
    return b.bytes;
  };
  struct Row {
    const char* what;
    std::vector<uint8_t> bytes;
    int32_t answer;
    std::vector<int16_t> ids;
  };
  const Row rows[] = {
      {"two menus", bar(2, 2), kMenuLoaded, {500, 501}},
      {"none", bar(0, 0), kMenuLoaded, {}},
      {"count past the ids", bar(3, 2), kMenuResourceCorrupt, {-1}},
      {"negative count", bar(-2, 2), kMenuResourceCorrupt, {-1}},
      {"header cut", std::vector<uint8_t>(65, 0), kMenuResourceCorrupt, {-1}},
  };
  for (const Row& row : rows) {
    std::vector<int16_t> ids{-1};
    EXPECT_EQ(ReadMenuBarRecord(row.bytes.data(), row.bytes.size(), ids), row.answer) << row.what;
    EXPECT_EQ(ids, row.ids) << row.what;
  }
}
