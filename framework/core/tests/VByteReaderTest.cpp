// The bounded byte reader: values in both orders, and reads past the end.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/core/streams/VByteReader.h"

namespace {

using Order = VByteReader::Order;
const uint8_t kBytes[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};

}  // namespace

TEST(ByteReader, ReadsEachWidthInEitherOrder) {
  struct Case {
    Order order;
    uint16_t u16;
    uint32_t u32;
    int16_t i16;  // the two bytes after the first six
    int32_t i32;  // the last four bytes
  };
  const Case cases[] = {
      {Order::kBig, 0x1234, 0x56789ABC, int16_t(0xDEF0), int32_t(0x9ABCDEF0)},
      {Order::kLittle, 0x3412, 0xBC9A7856, int16_t(0xF0DE), int32_t(0xF0DEBC9A)},
  };
  for (const Case& c : cases) {
    VByteReader reader(kBytes, sizeof kBytes, c.order);
    EXPECT_EQ(reader.U16(), c.u16);
    EXPECT_EQ(reader.U32(), c.u32);
    EXPECT_EQ(reader.I16(), c.i16);
    EXPECT_EQ(reader.Remaining(), 0u);
    ASSERT_TRUE(reader.Seek(4));
    EXPECT_EQ(reader.I32(), c.i32);
    EXPECT_FALSE(reader.Failed());
  }
}

TEST(ByteReader, NativeOrderReadsAsMemoryHoldsIt) {
  VByteReader reader(kBytes, sizeof kBytes);
  uint32_t stored;
  std::memcpy(&stored, kBytes + 1, 4);
  EXPECT_EQ(reader.U8(), 0x12);
  EXPECT_EQ(reader.U32(), stored);
}

TEST(ByteReader, SwappingTheOrderReadsTheOtherWay) {
  VByteReader reader(kBytes, sizeof kBytes, Order::kLittle);
  reader.SwapOrder();
  EXPECT_EQ(reader.GetOrder(), Order::kBig);
  EXPECT_EQ(reader.U32(), 0x12345678u);
  reader.SwapOrder();
  EXPECT_EQ(reader.U32(), 0xF0DEBC9Au);
}

// A field that does not fit answers zero, moves nothing, and every later read
// fails too, even one that would fit.
TEST(ByteReader, ReadPastTheEndFailsAndStaysFailed) {
  struct Case {
    size_t size;
    int width;
  };
  const Case cases[] = {{0, 1}, {1, 2}, {3, 4}, {1, 4}};
  for (const Case& c : cases) {
    VByteReader reader(kBytes, c.size);
    const uint32_t value = c.width == 1 ? reader.U8() : c.width == 2 ? reader.U16() : reader.U32();
    EXPECT_EQ(value, 0u) << c.size << "/" << c.width;
    EXPECT_TRUE(reader.Failed());
    EXPECT_EQ(reader.Position(), 0u);
    EXPECT_EQ(reader.Remaining(), 0u);
    EXPECT_EQ(reader.U8(), 0);
    EXPECT_FALSE(reader.Seek(0));
  }
}

TEST(ByteReader, SeekSkipAndSpanStayInsideTheBytes) {
  VByteReader reader(kBytes, sizeof kBytes);
  EXPECT_TRUE(reader.Seek(sizeof kBytes));  // the end itself is a place
  EXPECT_EQ(reader.Remaining(), 0u);
  EXPECT_TRUE(reader.Seek(2));
  const uint8_t* span = reader.Span(3);
  ASSERT_NE(span, nullptr);
  EXPECT_EQ(span, kBytes + 2);
  EXPECT_TRUE(reader.Skip(3));
  EXPECT_EQ(reader.Span(1), nullptr);
  EXPECT_TRUE(reader.Failed());

  VByteReader far(kBytes, sizeof kBytes);
  EXPECT_FALSE(far.Seek(sizeof kBytes + 1));
  EXPECT_TRUE(far.Failed());
  VByteReader skipping(kBytes, sizeof kBytes);
  EXPECT_FALSE(skipping.Skip(SIZE_MAX));
  EXPECT_TRUE(skipping.Failed());
}

TEST(ByteReader, BytesCopiesWholeOrNothing) {
  VByteReader reader(kBytes, 5);
  uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_TRUE(reader.Bytes(out, 4));
  EXPECT_EQ(std::memcmp(out, kBytes, 4), 0);
  uint8_t rest[2] = {0xEE, 0xEE};
  EXPECT_FALSE(reader.Bytes(rest, 2));
  EXPECT_EQ(rest[0], 0xEE);
  EXPECT_EQ(rest[1], 0xEE);
}

TEST(ByteReader, NullBytesHoldNothing) {
  VByteReader reader(nullptr, 100);
  EXPECT_EQ(reader.Size(), 0u);
  EXPECT_EQ(reader.U16(), 0);
  EXPECT_TRUE(reader.Failed());
}
