// Appending values to a byte vector: each lands behind what is there, in the
// order asked for, and reads back through the in-place loads.
#include "platform/bytes/ByteAppend.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(ByteAppend, EachOrderLandsBehindWhatIsThere) {
  Bytes out = {0xAA};
  AppendLE16(out, 0x1234);
  AppendBE16(out, 0x1234);
  AppendLE32(out, 0x89ABCDEFu);
  AppendBE32(out, 0x89ABCDEFu);
  EXPECT_EQ(out, (Bytes{0xAA, 0x34, 0x12, 0x12, 0x34, 0xEF, 0xCD, 0xAB, 0x89, 0x89, 0xAB, 0xCD,
                        0xEF}));
  EXPECT_EQ(LoadLE16(out.data() + 1), 0x1234);
  EXPECT_EQ(LoadBE16(out.data() + 3), 0x1234);
  EXPECT_EQ(LoadLE32(out.data() + 5), 0x89ABCDEFu);
  EXPECT_EQ(LoadBE32(out.data() + 9), 0x89ABCDEFu);
}

TEST(ByteAppend, SixteenBitsKeepTheLowHalf) {
  Bytes out;
  AppendLE16(out, uint16_t(0x12345678u));
  AppendBE16(out, uint16_t(0xFFFF0001u));
  EXPECT_EQ(out, (Bytes{0x78, 0x56, 0x00, 0x01}));
}

}  // namespace
