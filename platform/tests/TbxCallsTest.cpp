// The Toolbox calls the host bridge relies on: cleared handles, lock states,
// duplicates, bit strings in the Macintosh numbering, PackBits rows, and the
// current port and device.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/toolbox/TbxBits.h"
#include "platform/toolbox/TbxHandleState.h"
#include "platform/toolbox/TbxPorts.h"

namespace {

using namespace Tbx;

TEST(TbxHandleState, NewHandleClearIsZeroed) {
  Handle h = NewHandleClear(64);
  ASSERT_NE(h, 0u);
  const uint8_t* p = static_cast<const uint8_t*>(HLock(h));
  for (int i = 0; i < 64; ++i) EXPECT_EQ(p[i], 0);
  HUnlock(h);
  DisposeHandle(h);
  EXPECT_EQ(NewHandleClear(-1), 0u);
  EXPECT_EQ(MemError(), memFullErr);
}

TEST(TbxHandleState, StateSavesAndRestoresTheLock) {
  Handle h = NewHandle(8);
  EXPECT_EQ(HGetState(h), 0);
  const int8_t unlocked = HGetState(h);
  HLock(h);
  HLock(h);
  EXPECT_EQ(HGetState(h), kHandleLocked);
  const int8_t locked = HGetState(h);
  HSetState(h, unlocked);
  EXPECT_EQ(HGetState(h), 0);
  HSetState(h, locked);
  EXPECT_EQ(HGetState(h), kHandleLocked);
  HSetState(h, unlocked);
  DisposeHandle(h);
  EXPECT_EQ(HGetState(0), 0);
}

TEST(TbxHandleState, HandToHandMakesAnIndependentCopy) {
  Handle original = NewHandle(3);
  std::memcpy(HLock(original), "abc", 3);
  HUnlock(original);
  Handle copy = original;
  ASSERT_EQ(HandToHand(&copy), noErr);
  EXPECT_NE(copy, original);
  EXPECT_EQ(GetHandleSize(copy), 3);
  static_cast<char*>(HLock(copy))[0] = 'z';
  HUnlock(copy);
  EXPECT_EQ(static_cast<char*>(HLock(original))[0], 'a');
  HUnlock(original);
  DisposeHandle(copy);
  DisposeHandle(original);
  Handle none = 0;
  EXPECT_EQ(HandToHand(&none), nilHandleErr);
  EXPECT_EQ(HandToHand(nullptr), nilHandleErr);
}

TEST(TbxBits, Bit0IsTheFirstBytesHighBit) {
  uint8_t bits[2] = {0, 0};
  BitSet(bits, 0);
  EXPECT_EQ(bits[0], 0x80);
  BitSet(bits, 8);
  EXPECT_EQ(bits[1], 0x80);
  BitSet(bits, 15);
  EXPECT_EQ(bits[1], 0x81);
  EXPECT_TRUE(BitTst(bits, 15));
  EXPECT_FALSE(BitTst(bits, 14));
  BitClr(bits, 8);
  EXPECT_EQ(bits[1], 0x01);
  EXPECT_FALSE(BitTst(bits, -1));
}

// The published example of the coding.
const std::vector<uint8_t> kUnpacked = {0xAA, 0xAA, 0xAA, 0x80, 0x00, 0x2A, 0xAA, 0xAA, 0xAA, 0xAA, 0x80, 0x00,
                                        0x2A, 0x22, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
const std::vector<uint8_t> kPacked = {0xFE, 0xAA, 0x02, 0x80, 0x00, 0x2A, 0xFD, 0xAA,
                                      0x03, 0x80, 0x00, 0x2A, 0x22, 0xF7, 0xAA};

TEST(TbxPackBits, PacksThePublishedExample) {
  std::vector<uint8_t> src = kUnpacked;
  std::vector<uint8_t> out(64, 0);
  uint8_t* s = src.data();
  uint8_t* d = out.data();
  PackBits(&s, &d, static_cast<int16_t>(src.size()));
  EXPECT_EQ(s, src.data() + src.size());
  out.resize(static_cast<size_t>(d - out.data()));
  EXPECT_EQ(out, kPacked);
}

TEST(TbxPackBits, UnpacksThePublishedExample) {
  std::vector<uint8_t> src = kPacked;
  std::vector<uint8_t> out(kUnpacked.size());
  uint8_t* s = src.data();
  uint8_t* d = out.data();
  UnpackBits(&s, &d, static_cast<int16_t>(out.size()));
  EXPECT_EQ(out, kUnpacked);
  EXPECT_EQ(s, src.data() + src.size());
  EXPECT_EQ(d, out.data() + out.size());
}

TEST(TbxPackBits, LongRowsRoundTripInPacketsOf128) {
  std::vector<uint8_t> row(1000);
  for (size_t i = 0; i < row.size(); ++i) row[i] = i < 300 ? 7 : static_cast<uint8_t>(i * 37);
  std::vector<uint8_t> packed(row.size() + (row.size() + 127) / 128);
  uint8_t* s = row.data();
  uint8_t* d = packed.data();
  PackBits(&s, &d, static_cast<int16_t>(row.size()));
  ASSERT_LE(static_cast<size_t>(d - packed.data()), packed.size());
  std::vector<uint8_t> back(row.size());
  uint8_t* ps = packed.data();
  uint8_t* pd = back.data();
  UnpackBits(&ps, &pd, static_cast<int16_t>(back.size()));
  EXPECT_EQ(back, row);
  EXPECT_EQ(ps, d);
}

TEST(TbxPackBits, APacketRunningPastTheRowIsCut) {
  std::vector<uint8_t> src = {0x81, 0x55, 0x05, 1, 2, 3, 4, 5, 6};  // 128 repeats
  std::vector<uint8_t> out(12, 0xEE);
  uint8_t* s = src.data();
  uint8_t* d = out.data();
  UnpackBits(&s, &d, 10);
  EXPECT_EQ(d, out.data() + 10);
  EXPECT_EQ(out[9], 0x55);
  EXPECT_EQ(out[10], 0xEE);
  std::vector<uint8_t> literal = {0x7F, 1, 2, 3};
  std::vector<uint8_t> small(3, 0);
  s = literal.data();
  d = small.data();
  UnpackBits(&s, &d, 3);
  EXPECT_EQ(small, (std::vector<uint8_t>{1, 2, 3}));
}

TEST(TbxPackBits, NoOpHeadersAreSkipped) {
  std::vector<uint8_t> src = {0x80, 0x00, 0x09};
  uint8_t out = 0;
  uint8_t* s = src.data();
  uint8_t* d = &out;
  UnpackBits(&s, &d, 1);
  EXPECT_EQ(out, 9);
}

TEST(TbxPorts, TheWorldAndThePortAreSavedAndRestored) {
  auto* port = reinterpret_cast<GrafPtr>(0x100);
  SetGWorld(port, 7);
  CGrafPtr p = nullptr;
  GDHandle device = 0;
  GetGWorld(&p, &device);
  EXPECT_EQ(p, port);
  EXPECT_EQ(device, 7u);
  SetPort(nullptr);
  GrafPtr current = port;
  GetPort(&current);
  EXPECT_EQ(current, nullptr);
  GetGWorld(&p, nullptr);
  EXPECT_EQ(p, nullptr);
  SetGWorld(nullptr, 0);
}

}  // namespace
