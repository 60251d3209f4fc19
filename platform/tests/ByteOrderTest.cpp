// In-place loads and stores of either byte order: the bytes land where the
// order says, whatever the machine, and what is stored loads back.
#include "platform/bytes/ByteOrder.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(ByteOrder, LittleEndianPutsTheLowByteFirst) {
  uint8_t bytes[4] = {};
  StoreLE16(bytes, 0x1234);
  EXPECT_EQ(bytes[0], 0x34);
  EXPECT_EQ(bytes[1], 0x12);
  StoreLE32(bytes, 0x12345678u);
  EXPECT_EQ(bytes[0], 0x78);
  EXPECT_EQ(bytes[3], 0x12);
  EXPECT_EQ(LoadLE32(bytes), 0x12345678u);
  EXPECT_EQ(LoadLE16(bytes), 0x5678);
}

TEST(ByteOrder, BigEndianPutsTheHighByteFirst) {
  uint8_t bytes[4] = {};
  StoreBE16(bytes, 0x1234);
  EXPECT_EQ(bytes[0], 0x12);
  EXPECT_EQ(bytes[1], 0x34);
  StoreBE32(bytes, 0x12345678u);
  EXPECT_EQ(bytes[0], 0x12);
  EXPECT_EQ(bytes[3], 0x78);
  EXPECT_EQ(LoadBE32(bytes), 0x12345678u);
  EXPECT_EQ(LoadBE16(bytes), 0x1234);
}

TEST(ByteOrder, ExtremesRoundTripAndLeaveTheNeighboursAlone) {
  for (const uint32_t value : {0u, 1u, 0x80u, 0x8000u, 0x80000000u, 0xFFFFFFFFu}) {
    uint8_t bytes[6] = {0xAA, 0, 0, 0, 0, 0xAA};
    StoreLE32(bytes + 1, value);
    EXPECT_EQ(LoadLE32(bytes + 1), value);
    StoreBE32(bytes + 1, value);
    EXPECT_EQ(LoadBE32(bytes + 1), value);
    StoreLE16(bytes + 1, uint16_t(value));
    EXPECT_EQ(LoadLE16(bytes + 1), uint16_t(value));
    StoreBE16(bytes + 1, uint16_t(value));
    EXPECT_EQ(LoadBE16(bytes + 1), uint16_t(value));
    EXPECT_EQ(bytes[0], 0xAA);
    EXPECT_EQ(bytes[5], 0xAA);
  }
}

TEST(ByteOrder, ReversingTwiceGivesTheValueBack) {
  EXPECT_EQ(ReverseBytes32(0x12345678u), 0x78563412u);
  EXPECT_EQ(ReverseBytes32(ReverseBytes32(0x80000001u)), 0x80000001u);
  uint8_t bytes[4] = {};
  StoreLE32(bytes, 0xCAFEF00Du);
  EXPECT_EQ(LoadBE32(bytes), ReverseBytes32(0xCAFEF00Du));
}

}  // namespace
