// VDragTypeList: the type block byte for byte, its operations, matching,
// the drop area, and blocks from elsewhere that claim more than they hold.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "views/VDragTypeList.h"

namespace {

VStr<255> Str(const std::u16string& text) {
  VStr<255> s;
  s.SetUniChars(text.data(), 0, int32_t(text.size()));
  return s;
}

uint16_t U16At(const uint8_t* b, size_t at) { return uint16_t(b[at] | (b[at + 1] << 8)); }
uint32_t U32At(const uint8_t* b, size_t at) {
  return uint32_t(U16At(b, at)) | (uint32_t(U16At(b, at + 2)) << 16);
}

// A block as another module would hand it over.
std::vector<uint8_t> Block(int16_t capacity, int16_t count, uint32_t mask,
                           const std::vector<std::tuple<uint8_t, uint8_t, std::u16string, uint16_t>>& entries) {
  std::vector<uint8_t> b(26 + 70 * entries.size(), 0);
  b[0] = 1;
  std::memcpy(&b[18], &mask, 4);
  b[22] = uint8_t(capacity);
  b[23] = uint8_t(uint16_t(capacity) >> 8);
  b[24] = uint8_t(count);
  b[25] = uint8_t(uint16_t(count) >> 8);
  for (size_t i = 0; i < entries.size(); ++i) {
    uint8_t* e = &b[26 + 70 * i];
    e[0] = std::get<0>(entries[i]);
    e[1] = std::get<1>(entries[i]);
    const std::u16string& name = std::get<2>(entries[i]);
    e[2] = uint8_t(std::get<3>(entries[i]));
    e[3] = uint8_t(std::get<3>(entries[i]) >> 8);
    for (size_t k = 0; k < name.size() && k < 33; ++k) {
      if (4 + 2 * k + 1 < 70) {
        e[4 + 2 * k] = uint8_t(name[k]);
        e[5 + 2 * k] = uint8_t(name[k] >> 8);
      }
    }
  }
  return b;
}

TEST(DragTypeList, ANewBlockIs96BytesOfVersionOneAndCapacityOne) {
  VDragTypeList list;
  const uint8_t* b = list.GetBlock();
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(list.GetBlockSize(), 96u);
  std::vector<uint8_t> expected(96, 0);
  expected[0] = 1;
  expected[22] = 1;
  EXPECT_EQ(std::vector<uint8_t>(b, b + 96), expected);
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.GetMask(), 0u);
}

TEST(DragTypeList, FieldsAreWrittenLittleEndianAtTheirOffsets) {
  VDragTypeList list;
  list.SetInsets(-2, 0x01020304, 7, -0x10000);
  list.SetMask(0xA1B2C3D4);
  ASSERT_TRUE(list.AddType(true, false, Str(u"TEXT")));
  ASSERT_TRUE(list.AddType(false, true, Str(u"PICT\u00E9")));
  const uint8_t* b = list.GetBlock();
  EXPECT_EQ(U32At(b, 2), 0xFFFFFFFEu);
  EXPECT_EQ(U32At(b, 6), 0x01020304u);
  EXPECT_EQ(U32At(b, 10), 7u);
  EXPECT_EQ(U32At(b, 14), 0xFFFF0000u);
  EXPECT_EQ(U32At(b, 18), 0xA1B2C3D4u);
  EXPECT_EQ(U16At(b, 22), 2);
  EXPECT_EQ(U16At(b, 24), 2);
  EXPECT_EQ(b[26], 1);
  EXPECT_EQ(b[27], 0);
  EXPECT_EQ(U16At(b, 28), 4);
  EXPECT_EQ(U16At(b, 30), u'T');
  EXPECT_EQ(U16At(b, 36), u'T');
  EXPECT_EQ(b[96], 0);
  EXPECT_EQ(b[97], 1);
  EXPECT_EQ(U16At(b, 98), 5);
  EXPECT_EQ(U16At(b, 100 + 8), 0x00E9);
  EXPECT_EQ(list.GetBlockSize(), 26u + 140u);
}

TEST(DragTypeList, FlagsJoinAndLeaveOneEntry) {
  VDragTypeList list;
  list.AddType(true, false, Str(u"TEXT"));
  list.AddType(false, true, Str(u"TEXT"));
  EXPECT_EQ(list.Count(), 1);
  EXPECT_TRUE(list.IsOffered(Str(u"TEXT")));
  EXPECT_TRUE(list.IsAccepted(Str(u"TEXT")));
  list.RemoveType(true, false, Str(u"TEXT"));
  EXPECT_EQ(list.Count(), 1);
  EXPECT_FALSE(list.IsOffered(Str(u"TEXT")));
  EXPECT_TRUE(list.IsAccepted(Str(u"TEXT")));
  list.RemoveType(false, true, Str(u"TEXT"));
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_FALSE(list.IsAccepted(Str(u"TEXT")));
}

TEST(DragTypeList, NamesAreCutTo32Characters) {
  VDragTypeList list;
  const std::u16string longName(40, u'n');
  ASSERT_TRUE(list.AddType(true, true, Str(longName)));
  EXPECT_EQ(U16At(list.GetBlock(), 28), 32);
  EXPECT_EQ(list.Find(Str(longName.substr(0, 32))), 1);
}

TEST(DragTypeList, ACopyHasRoomForItsEntriesAndGrowsByOne) {
  VDragTypeList list;
  list.AddType(true, true, Str(u"A"));
  list.AddType(true, true, Str(u"B"));
  list.RemoveType(true, true, Str(u"B"));
  EXPECT_EQ(list.Capacity(), 2);
  VDragTypeList copy(list);
  EXPECT_EQ(copy.Capacity(), 1);
  EXPECT_EQ(copy.Count(), 1);
  copy.AddType(false, true, Str(u"C"));
  EXPECT_EQ(copy.Capacity(), 2);
  EXPECT_TRUE(copy.Reserve(5));
  EXPECT_EQ(copy.Capacity(), 5);
  EXPECT_EQ(copy.Find(Str(u"C")), 2);
}

TEST(DragTypeList, ClearingOneSideDeletesEntriesOfThatSideAlone) {
  VDragTypeList list;
  list.AddType(true, false, Str(u"out1"));
  list.AddType(true, true, Str(u"both"));
  list.AddType(true, false, Str(u"out2"));
  list.AddType(false, true, Str(u"in"));
  VDragTypeList other(list);
  list.ClearOffered();
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.CountTypes(true, false), 0);
  EXPECT_EQ(list.CountTypes(false, true), 2);
  other.ClearAccepted();
  EXPECT_EQ(other.Count(), 3);
  EXPECT_EQ(other.CountTypes(false, true), 0);
  VStringArray names;
  other.GetTypeNames(true, false, names);
  ASSERT_EQ(names.Count(), 3);
  EXPECT_EQ(names.GetAt(2)->Compare(Str(u"both"), 1, 0), 0);
}

TEST(DragTypeList, AddTypesAndDeleteEntry) {
  VStringArray names;
  for (const char16_t* n : {u"a", u"b", u"c"}) names.AppendObject(new VStr<255>(Str(n)), false);
  VDragTypeList list;
  EXPECT_TRUE(list.AddTypes(true, false, names));
  EXPECT_TRUE(list.AddTypes(true, false, VStringArray()));
  list.DeleteEntry(1);
  list.DeleteEntry(0);
  list.DeleteEntry(9);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Find(Str(u"b")), 1);
  EXPECT_EQ(list.Find(Str(u"c")), 2);
}

TEST(DragTypeList, MatchingTakesOurAcceptedAgainstTheirOffered) {
  VDragTypeList frame;
  frame.AddType(false, true, Str(u"TEXT"));
  frame.AddType(true, false, Str(u"PICT"));
  VDragTypeList drag;
  drag.AddType(true, false, Str(u"TEXT"));
  // A new list has mask 0: nothing matches whatever its entries.
  EXPECT_FALSE(frame.Matches(drag, 0xFFFFFFFF));
  frame.SetMask(0x4);
  EXPECT_TRUE(frame.Matches(drag, 0x6));
  EXPECT_FALSE(frame.Matches(drag, 0x1));
  // A type offered by both sides does not match.
  VDragTypeList picture;
  picture.AddType(true, false, Str(u"PICT"));
  EXPECT_FALSE(frame.Matches(picture, 0x4));
  frame.OrMaskComplement(0x4);
  EXPECT_EQ(frame.GetMask(), 0xFFFFFFFFu);
  frame.ClearMask();
  EXPECT_FALSE(frame.HasMask(0xFFFFFFFF));
}

TEST(DragTypeList, TheDropAreaGrowsByTheInsets) {
  VDragTypeList list;
  list.SetInsets(4, 4, 8, 8);
  struct {
    int32_t x, y;
    bool in;
  } cases[] = {{-4, -4, true}, {103, 53, true}, {104, 20, false}, {-5, 0, false}, {50, 54, false}};
  for (const auto& c : cases) EXPECT_EQ(list.IsInDropArea(100, 50, c.x, c.y), c.in) << c.x << "," << c.y;
  // Insets from elsewhere do not wrap the area around.
  list.SetInsets(-10, 0, INT32_MAX, 0);
  EXPECT_TRUE(list.IsInDropArea(100, 50, INT32_MAX, 10));
  EXPECT_FALSE(list.IsInDropArea(100, 50, 9, 10));
}

struct ForeignCase {
  const char* name;
  std::vector<uint8_t> block;
  size_t size;  // 0: the whole vector
  int32_t count;
  int32_t firstNameLength;
};

TEST(DragTypeList, BlocksFromElsewhereAreTakenWithinWhatTheyHold) {
  const std::u16string longName(40, u'x');
  const ForeignCase cases[] = {
      {"negative count", Block(2, -3, 1, {{1, 1, u"A", 1}, {1, 1, u"B", 1}}), 0, 0, -1},
      {"count above capacity", Block(1, 5, 1, {{1, 1, u"A", 1}}), 0, 1, 1},
      {"negative capacity", Block(-1, 1, 1, {{1, 1, u"A", 1}}), 0, 0, -1},
      {"name count above 32", Block(1, 1, 1, {{1, 1, longName, 40}}), 0, 1, 32},
      {"name count of 65535", Block(1, 1, 1, {{1, 1, u"A", 0xFFFF}}), 0, 1, 32},
      {"capacity beyond the bytes", Block(30, 30, 1, {{1, 1, u"A", 1}}), 0, 1, 1},
      {"shorter than a header", Block(1, 1, 1, {{1, 1, u"A", 1}}), 20, 0, -1},
  };
  for (const ForeignCase& c : cases) {
    const size_t size = c.size != 0 ? c.size : c.block.size();
    VDragTypeList list(c.block.data(), size);
    EXPECT_EQ(list.Count(), c.count) << c.name;
    EXPECT_EQ(list.Capacity(), c.count > 0 ? c.count : (c.size != 0 ? 1 : 0)) << c.name;
    if (c.firstNameLength >= 0) {
      VStr<64> name;
      list.GetTypeName(1, name);
      EXPECT_EQ(name.GetLength(), c.firstNameLength) << c.name;
      EXPECT_EQ(U16At(list.GetBlock(), 28), c.firstNameLength) << c.name;
    }
    // Whatever came in, the list works on.
    EXPECT_TRUE(list.AddType(true, true, Str(u"new"))) << c.name;
  }
}

TEST(DragTypeList, AnAdoptedBlockIsFreedWithTheList) {
  const std::vector<uint8_t> bytes = Block(1, 1, 2, {{1, 0, u"TEXT", 4}});
  auto* block = static_cast<uint8_t*>(gMemoryMgr->NewBlock(uint32_t(bytes.size())));
  std::memcpy(block, bytes.data(), bytes.size());
  VDragTypeList list(block, true);
  EXPECT_EQ(list.GetBlock(), block);
  EXPECT_TRUE(list.IsOffered(Str(u"TEXT")));
  VDragTypeList copy(block, false);
  EXPECT_NE(copy.GetBlock(), block);
  EXPECT_EQ(copy.GetMask(), 2u);
}

TEST(DragTypeList, TheCountStopsAt32767) {
  VDragTypeList list;
  std::vector<uint8_t> full = Block(0, 0, 0, {});
  full.resize(26 + 70 * size_t{32767}, 0);
  full[22] = 0xFF;
  full[23] = 0x7F;
  full[24] = 0xFF;
  full[25] = 0x7F;
  for (size_t i = 0; i < 32767; ++i) {
    uint8_t* e = &full[26 + 70 * i];
    e[2] = 2;
    e[4] = uint8_t(i);
    e[6] = uint8_t(i >> 8);
  }
  ASSERT_TRUE(list.Assign(full.data(), full.size()));
  EXPECT_EQ(list.Count(), 32767);
  EXPECT_FALSE(list.AddType(true, true, Str(u"one more")));
  EXPECT_EQ(list.Count(), 32767);
}

}  // namespace
