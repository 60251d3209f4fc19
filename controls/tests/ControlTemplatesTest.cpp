// The readers of the control templates on good and bad bytes: short
// templates count as missing, title lengths are clamped to their field.
#include "controls/controls/ControlTemplates.h"

#include <gtest/gtest.h>

#include <string>

#include "controls/tests/ControlTestSupport.h"

namespace {

std::string TitleOf(const VControlHeader& h) {
  return std::string(reinterpret_cast<const char*>(h.title + 1), h.title[0]);
}

NativeBytes Button(int length = -1) {
  NativeBytes b;
  b.Header(120, 3, 4, 50, 22, "Go", length).I16(9300).I16(0).U8(0xC8);
  return b;
}

}  // namespace

TEST(ControlTemplates, ReadsEveryFieldOfAButton) {
  VButtonTemplate t;
  const NativeBytes b = Button();
  ASSERT_TRUE(ReadButtonTemplate(b.bytes.data(), b.bytes.size(), t));
  EXPECT_EQ(t.header.commandId, 120);
  EXPECT_EQ(t.header.left, 3);
  EXPECT_EQ(t.header.top, 4);
  EXPECT_EQ(t.header.width, 50);
  EXPECT_EQ(t.header.height, 22);
  EXPECT_EQ(TitleOf(t.header), "Go");
  EXPECT_EQ(t.iconId, 9300);
  EXPECT_EQ(t.flags, 0xC8);
}

// One row a bad or borderline input: whether the reader takes it, and the
// title it keeps.
TEST(ControlTemplates, BadInputs) {
  struct Row {
    const char* what;
    std::vector<uint8_t> bytes;
    bool (*read)(const std::vector<uint8_t>&, std::string&);
    bool taken;
    std::string title;
  };
  auto button = [](const std::vector<uint8_t>& b, std::string& title) {
    VButtonTemplate t;
    const bool ok = ReadButtonTemplate(b.data(), b.size(), t);
    title = TitleOf(t.header);
    return ok;
  };
  auto check = [](const std::vector<uint8_t>& b, std::string& title) {
    VCheckTemplate t;
    const bool ok = ReadCheckTemplate(b.data(), b.size(), t);
    title = TitleOf(t.header);
    return ok;
  };
  auto edit = [](const std::vector<uint8_t>& b, std::string& title) {
    VEditTemplate t;
    const bool ok = ReadEditTemplate(b.data(), b.size(), t);
    title = TitleOf(t.header);
    return ok;
  };
  auto header = [](const std::vector<uint8_t>& b, std::string& title) {
    VControlHeader h;
    const bool ok = ReadControlHeader(b.data(), b.size(), h);
    title = TitleOf(h);
    return ok;
  };
  const std::string all31(31, '#');
  NativeBytes h52;
  h52.Header(1, 0, 0, 0, 0, "Ab");
  const std::vector<Row> rows = {
      {"header of 51 bytes", NativeBytes(h52).Cut(51).bytes, header, false, ""},
      {"header of 52 bytes", h52.bytes, header, true, "Ab"},
      {"button of 51 bytes", Button().Cut(51).bytes, button, false, ""},
      {"button of 56 bytes", Button().Cut(56).bytes, button, false, ""},
      {"button of 57 bytes", Button().bytes, button, true, "Go"},
      {"title length 40", Button(40).bytes, button, true, "Go" + all31.substr(2)},
      {"title length 255", Button(255).bytes, button, true, "Go" + all31.substr(2)},
      {"title length 31", Button(31).bytes, button, true, "Go" + all31.substr(2)},
      {"empty", {}, button, false, ""},
      {"check of 51 bytes", NativeBytes(h52).I16(0).U8(0x80).Cut(51).bytes, check, false, ""},
      {"check of 54 bytes", NativeBytes(h52).I16(0).U8(0x80).Cut(54).bytes, check, false, ""},
      {"check of 55 bytes", NativeBytes(h52).I16(0).U8(0x80).bytes, check, true, "Ab"},
      {"edit of 51 bytes", NativeBytes(h52).I16(0).I16(-1).I16(0).Cut(51).bytes, edit, false, ""},
      {"edit of 57 bytes", NativeBytes(h52).I16(0).I16(-1).I16(0).Cut(57).bytes, edit, false, ""},
      {"edit of 58 bytes", NativeBytes(h52).I16(0).I16(-1).I16(0).bytes, edit, true, "Ab"},
  };
  for (const Row& r : rows) {
    std::string title;
    EXPECT_EQ(r.read(r.bytes, title), r.taken) << r.what;
    EXPECT_EQ(title, r.title) << r.what;
  }
}

TEST(ControlTemplates, IconListsNeedFourIds) {
  struct Row {
    std::vector<int16_t> ids;
    bool taken;
  };
  const std::vector<Row> rows = {
      {{}, false}, {{1}, false}, {{1, 2, 3}, false}, {{1, 2, 3, 4}, true}, {{1, 0, 0, 4, 9}, true}};
  for (const Row& r : rows) {
    NativeBytes b;
    for (int16_t id : r.ids) b.I16(id);
    VIconIdList list;
    list.ids[0] = -7;
    EXPECT_EQ(ReadIconList(b.bytes.data(), b.bytes.size(), list), r.taken) << r.ids.size();
    if (r.taken) {
      for (size_t i = 0; i < 4; ++i) EXPECT_EQ(list.ids[i], r.ids[i]);
    } else {
      EXPECT_EQ(list.ids[0], -7) << "left as it was";
    }
  }
}

TEST(ControlTemplates, EditFilterKindAndCheckFlags) {
  VEditTemplate e;
  const NativeBytes eb = NativeBytes().Header(7, 0, 0, 80, 20, "").I16(0).I16(-5).I16(0);
  ASSERT_TRUE(ReadEditTemplate(eb.bytes.data(), eb.bytes.size(), e));
  EXPECT_EQ(e.filterKind, -5);
  VCheckTemplate c;
  const NativeBytes cb = NativeBytes().Header(7, 0, 0, 80, 20, "").I16(0).U8(0x80);
  ASSERT_TRUE(ReadCheckTemplate(cb.bytes.data(), cb.bytes.size(), c));
  EXPECT_EQ(c.flags & kCheckThreeState, kCheckThreeState);
}
