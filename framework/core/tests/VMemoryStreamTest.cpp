// VMemoryStream: a read-only stream over a caller's block.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/core/streams/VMemoryStream.h"

namespace {
const uint8_t kBlock[6] = {0x00, 0x01, 0x02, 0x03, 0xFE, 0xFF};
}

TEST(MemoryStream, ReadsTheBlockInTheStreamsOrder) {
  VMemoryStream s(kBlock, sizeof kBlock);
  s.SetByteOrders(-2, -1);
  ASSERT_EQ(s.OpenRead(), 0);
  EXPECT_EQ(s.GetSize(), 6u);
  EXPECT_EQ(s.GetLong(), 0x00010203);
  EXPECT_EQ(s.GetWord(), int16_t(0xFEFF));
  EXPECT_EQ(s.GetPosition(), 6u);
  EXPECT_EQ(s.GetStatus(), 0);
  EXPECT_EQ(s.CloseRead(), 0);
}

TEST(MemoryStream, EveryWriteOperationIs205AndChangesNothing) {
  VMemoryStream s(kBlock, sizeof kBlock);
  EXPECT_EQ(s.OpenWrite(), kStreamReadOnly);
  EXPECT_EQ(s.GetStatus(), kStreamNotOpen);
  ASSERT_EQ(s.OpenRead(), 0);
  EXPECT_EQ(s.WriteBytes("x", 1), kStreamReadOnly);
  EXPECT_EQ(s.SetSize(1), kStreamReadOnly);
  EXPECT_EQ(s.CloseWrite(1), kStreamReadOnly);
  EXPECT_EQ(s.GetStatus(), 0);
  EXPECT_EQ(s.GetSize(), 6u);
  EXPECT_EQ(s.GetByte(), 0);  // still open for reading
  EXPECT_EQ(s.GetByte(), 1);
  // A typed write records the refusal like any failed transfer.
  EXPECT_EQ(s.PutLong(1), kStreamReadOnly);
  EXPECT_EQ(s.GetByte(), 0);
  EXPECT_EQ(kBlock[2], 0x02);
}

TEST(MemoryStream, ShortReadDeliversTheRestWith200) {
  VMemoryStream s(kBlock, sizeof kBlock);
  ASSERT_EQ(s.OpenRead(), 0);
  s.SetPosition(4);
  uint8_t out[4] = {};
  uint32_t length = 4;
  EXPECT_EQ(s.GetData(out, length), kStreamEndOfData);
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(out[0], 0xFE);
  EXPECT_EQ(out[1], 0xFF);
  length = 1;
  EXPECT_EQ(s.ReadBytes(out, length), kStreamEndOfData);  // stays until cleared
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(s.CloseRead(), 0);  // end of data is no error at the close
}

TEST(MemoryStream, SetPositionPastTheLengthIs200) {
  VMemoryStream s(kBlock, sizeof kBlock);
  ASSERT_EQ(s.OpenRead(), 0);
  EXPECT_EQ(s.SetPosition(6), 0);
  EXPECT_EQ(s.SetPosition(7), kStreamEndOfData);
  EXPECT_EQ(s.GetByte(), 0);
  EXPECT_EQ(s.SetPosition(5), 0);
  EXPECT_EQ(s.GetByte(), 0xFF);
  EXPECT_EQ(s.Skip(-5), 0);
  EXPECT_EQ(s.GetByte(), 0x01);
  EXPECT_EQ(s.Skip(-3), kStreamEndOfData);
  s.CloseRead();
}

TEST(MemoryStream, PositionIsNoneWhenClosed) {
  VMemoryStream s(kBlock, sizeof kBlock);
  EXPECT_EQ(s.GetPosition(), kStreamNoPosition);
  EXPECT_EQ(s.SetPosition(1), kStreamNotOpen);
  EXPECT_EQ(s.GetPosition(), kStreamNoPosition);
  uint32_t length = 2;
  uint8_t out[2];
  EXPECT_EQ(s.ReadBytes(out, length), kStreamNotOpen);
  EXPECT_EQ(length, 0u);
  ASSERT_EQ(s.OpenRead(), 0);
  EXPECT_EQ(s.OpenRead(), kStreamAlreadyOpen);
  EXPECT_EQ(s.GetPosition(), 0u);
  EXPECT_EQ(s.CloseRead(), 0);
  EXPECT_EQ(s.GetPosition(), kStreamNoPosition);
  EXPECT_EQ(s.CloseRead(), kStreamNotOpen);
}

TEST(MemoryStream, CloseAfterAnErrorClosesAndAnswersIt) {
  VMemoryStream s(kBlock, sizeof kBlock);
  ASSERT_EQ(s.OpenRead(), 0);
  s.PutByte(1);
  EXPECT_EQ(s.CloseRead(), kStreamReadOnly);
  EXPECT_EQ(s.OpenRead(), 0);  // it can be opened again
  EXPECT_EQ(s.GetByte(), 0);
  EXPECT_EQ(s.CloseRead(), 0);
}

TEST(MemoryStream, FindsValuesInMemoryOrderFromThePosition) {
  VMemoryStream s(kBlock, sizeof kBlock);
  ASSERT_EQ(s.OpenRead(), 0);
  uint32_t value = 0;
  std::memcpy(&value, kBlock + 1, 4);
  EXPECT_EQ(s.FindLong(value), 2u);
  uint16_t last = 0;
  std::memcpy(&last, kBlock + 4, 2);
  EXPECT_EQ(s.FindWord(last), 5u);
  EXPECT_EQ(s.FindByte(0x00), 1u);
  s.Skip(1);
  EXPECT_EQ(s.FindByte(0x00), 0u);
  EXPECT_EQ(s.GetPosition(), 1u);
  s.CloseRead();
}

TEST(MemoryStream, NullBlockReadsNothing) {
  VMemoryStream s(nullptr, 100);
  EXPECT_EQ(s.GetSize(), 0u);
  ASSERT_EQ(s.OpenRead(), 0);
  uint8_t out[4];
  uint32_t length = 4;
  EXPECT_EQ(s.ReadData(out, length), kStreamEndOfData);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(s.FindByte(0), 0u);
  EXPECT_EQ(s.CloseRead(), 0);
}
