// The word processor's own resource types in the other byte order: the
// fields each type converts, counts read in native order both ways, data
// cut anywhere, and the package's hook answering for them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "area/files/xMorvaResourceSwap.h"
#include "framework/core/VObject.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Stored data is big-endian; this machine's order is little-endian.
Bytes Swapped(bool toNative, uint32_t type, Bytes data, bool* handled = nullptr) {
  const bool answer = SwapPlugInResource(toNative, type, uint32_t(data.size()), data.data());
  if (handled != nullptr) *handled = answer;
  return data;
}

TEST(ResourceSwap, EachTypeConvertsItsFields) {
  const struct {
    const char type[5];
    Bytes stored;
    Bytes native;
  } cases[] = {
      {"NESS", {0x12, 0x34, 0x56, 0x78, 0x9A}, {0x34, 0x12, 0x78, 0x56, 0x9A}},
      {"LGCD", {0x00, 0x01}, {0x01, 0x00}},
      {"XPPR", {0, 0, 0x52, 0x08, 0, 0, 0, 1, 7}, {0x08, 0x52, 0, 0, 1, 0, 0, 0, 7}},
      // Only a table of more than its five words is converted, and then
      // only those.
      {"mtwd", Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"mtwd", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {2, 1, 4, 3, 6, 5, 8, 7, 10, 9, 11, 12}},
      // 'ARAY': words at 2 and 4, then groups of a count and 2 x count longs.
      {"ARAY",
       {0xAA, 0xBB, 0, 1, 0, 2, 0, 1, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0xFF, 0xFF},
       {0xAA, 0xBB, 1, 0, 2, 0, 1, 0, 4, 3, 2, 1, 8, 7, 6, 5, 0, 0, 0xFF, 0xFF}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    const uint32_t type = FourCC(c.type);
    bool handled = false;
    EXPECT_EQ(Swapped(true, type, c.stored, &handled), c.native);
    EXPECT_TRUE(handled);
    EXPECT_EQ(Swapped(false, type, c.native), c.stored);
  }
  // Any other type is left alone and not answered for.
  bool handled = true;
  EXPECT_EQ(Swapped(true, FourCC("XPRF"), {1, 2, 3, 4}, &handled), (Bytes{1, 2, 3, 4}));
  EXPECT_FALSE(handled);
}

TEST(ResourceSwap, ArrayToNativeAndBackIsUnchanged) {
  // Eight groups of 0 to 7 pairs; a negative count converts no values.
  Bytes stored = {0, 9, 0, 1, 0, 2};
  for (int group = 0; group < 8; ++group) {
    const int16_t count = group == 5 ? -3 : int16_t(group);
    stored.push_back(uint8_t(uint16_t(count) >> 8));
    stored.push_back(uint8_t(count));
    for (int i = 0; i < 8 * std::max<int>(count, 0); ++i) stored.push_back(uint8_t(group * 16 + i));
  }
  const Bytes native = Swapped(true, FourCC("ARAY"), stored);
  EXPECT_NE(native, stored);
  EXPECT_EQ(Swapped(false, FourCC("ARAY"), native), stored);
}

TEST(ResourceSwap, CutDataIsConvertedOnlyWithinItsBytes) {
  // A count that promises more than there is: every cut stays inside the
  // block (the address checker sees a byte beyond it) and converts back.
  const Bytes stored = {0, 1, 0, 2, 0, 3, 0x7F, 0xFF, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (size_t cut = 0; cut <= stored.size(); ++cut) {
    std::unique_ptr<uint8_t[]> block(new uint8_t[cut == 0 ? 1 : cut]);
    std::memcpy(block.get(), stored.data(), cut);
    for (const uint32_t type : {FourCC("ARAY"), FourCC("NESS"), FourCC("XPPR"), FourCC("mtwd")}) {
      ASSERT_TRUE(SwapPlugInResource(true, type, uint32_t(cut), block.get())) << type;
      ASSERT_TRUE(SwapPlugInResource(false, type, uint32_t(cut), block.get())) << type;
      EXPECT_EQ(Bytes(block.get(), block.get() + cut), Bytes(stored.begin(), stored.begin() + cut))
          << type << " " << cut;
    }
  }
  EXPECT_TRUE(SwapPlugInResource(true, FourCC("ARAY"), 40, nullptr));
}

}  // namespace
