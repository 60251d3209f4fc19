// VHandleStream: opening and closing codes, growth and trimming, positions,
// searching, and what happens when the memory manager refuses.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"

namespace {

// Forwards to the real memory manager, counts the calls the streams make
// and refuses selected ones on request.
class FaultyMemoryMgr : public VMemoryMgr {
 public:
  explicit FaultyMemoryMgr(VMemoryMgr* inner) : fInner(inner) {}

  VMemHandle NewHandle(uint32_t size, uint16_t granule) override {
    ++newHandleCalls;
    return Pass(fInner->NewHandle(size, granule));
  }
  VMemHandle DuplicateHandle(VMemHandle h) override { return Pass(fInner->DuplicateHandle(h)); }
  VMemHandle NewHandleFromData(const void* data, uint32_t size) override {
    return Pass(fInner->NewHandleFromData(data, size));
  }
  VMemHandle NewEmptyHandle() override {
    if (failEmptyHandle) return Refuse(VMemHandle(0));
    return Pass(fInner->NewEmptyHandle());
  }
  VMemHandle NewHandleClear(uint32_t size, uint16_t granule) override {
    return Pass(fInner->NewHandleClear(size, granule));
  }
  void DisposeHandle(VMemHandle h) override {
    fInner->DisposeHandle(h);
    fError = fInner->GetError();
  }
  void* LockHandle(VMemHandle h) override { return Pass(fInner->LockHandle(h)); }
  void UnlockHandle(VMemHandle h) override {
    fInner->UnlockHandle(h);
    fError = fInner->GetError();
  }
  uint32_t GetHandleSize(VMemHandle h) override { return Pass(fInner->GetHandleSize(h)); }
  bool SetHandleSize(VMemHandle h, uint32_t size) override {
    ++resizeCalls;
    if (failResize) return Refuse(false);
    return Pass(fInner->SetHandleSize(h, size));
  }
  bool SetHandleSizeClear(VMemHandle h, uint32_t size) override {
    return Pass(fInner->SetHandleSizeClear(h, size));
  }
  bool IsLocked(VMemHandle h) override { return Pass(fInner->IsLocked(h)); }
  uint32_t ToMacHandle(VMemHandle h, bool copy) override { return Pass(fInner->ToMacHandle(h, copy)); }
  VMemHandle FromMacHandle(uint32_t h, bool copy) override { return Pass(fInner->FromMacHandle(h, copy)); }
  void* NewBlock(uint32_t size) override {
    ++newBlockCalls;
    if (failNewBlock) return Refuse(static_cast<void*>(nullptr));
    return Pass(fInner->NewBlock(size));
  }
  void* CopyToBlock(VMemHandle h) override { return Pass(fInner->CopyToBlock(h)); }
  void* NewBlockClear(uint32_t size) override { return Pass(fInner->NewBlockClear(size)); }
  void DisposeBlock(void* block) override { fInner->DisposeBlock(block); }
  uint32_t GetFreeMemory() override { return fInner->GetFreeMemory(); }

  bool failResize = false;
  bool failNewBlock = false;
  bool failEmptyHandle = false;
  int newHandleCalls = 0;
  int resizeCalls = 0;
  int newBlockCalls = 0;

 private:
  template <typename T>
  T Pass(T result) {
    fError = fInner->GetError();
    return result;
  }
  template <typename T>
  T Refuse(T result) {
    fError = kMemNoMemory;
    return result;
  }

  VMemoryMgr* fInner;
};

// Puts the faulty manager in place of the global one for one test.
class FaultyMemory : public testing::Test {
 protected:
  void SetUp() override {
    fSaved = gMemoryMgr;
    fFaulty = new FaultyMemoryMgr(fSaved);
    gMemoryMgr = fFaulty;
  }
  void TearDown() override {
    gMemoryMgr = fSaved;
    delete fFaulty;
  }
  FaultyMemoryMgr* fFaulty = nullptr;
  VMemoryMgr* fSaved = nullptr;
};

std::vector<uint8_t> HandleBytes(VMemHandle h) {
  const uint32_t size = gMemoryMgr->GetHandleSize(h);
  std::vector<uint8_t> bytes(size);
  if (size) {
    std::memcpy(bytes.data(), gMemoryMgr->LockHandle(h), size);
    gMemoryMgr->UnlockHandle(h);
  }
  return bytes;
}

VMemHandle HandleOf(const std::vector<uint8_t>& bytes) {
  return gMemoryMgr->NewHandleFromData(bytes.data(), uint32_t(bytes.size()));
}

}  // namespace

// ---- construction and opening

TEST(HandleStream, ZeroHandleGetsANewEmptyHandleStoredBack) {
  VMemHandle h = 0;
  VHandleStream s(h);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(h), 0u);
  EXPECT_EQ(s.GetSize(), 0u);
  EXPECT_EQ(s.GetStatus(), kStreamNotOpen);
  EXPECT_EQ(s.GetPosition(), kStreamNoPosition);
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, OpenReadOnEmptyHandleIs103AndStaysClosed) {
  VMemHandle h = gMemoryMgr->NewEmptyHandle();
  VHandleStream s(h);
  EXPECT_EQ(s.OpenRead(), kStreamCannotLock);
  EXPECT_EQ(s.GetPosition(), kStreamNoPosition);
  EXPECT_EQ(s.SetPosition(0), kStreamCannotLock);  // a closed stream gets no position
  EXPECT_EQ(s.GetPosition(), kStreamNoPosition);
  EXPECT_EQ(s.GetLong(), 0);
  EXPECT_FALSE(gMemoryMgr->IsLocked(h));
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, OpenWriteOnLockedHandleIs204) {
  VMemHandle h = HandleOf({1, 2, 3});
  gMemoryMgr->LockHandle(h);
  VHandleStream s(h);
  EXPECT_EQ(s.OpenWrite(), kStreamHandleLocked);
  EXPECT_EQ(s.GetPosition(), kStreamNoPosition);
  gMemoryMgr->UnlockHandle(h);
  EXPECT_EQ(s.OpenWrite(), 0);
  EXPECT_EQ(s.CloseWrite(1), 0);
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, OpenTwiceIs202AndChangesNothing) {
  VMemHandle h = HandleOf({1, 2, 3, 4});
  VHandleStream s(h);
  ASSERT_EQ(s.OpenRead(), 0);
  s.GetWord();
  EXPECT_EQ(s.OpenRead(), kStreamAlreadyOpen);
  EXPECT_EQ(s.OpenWrite(), kStreamAlreadyOpen);
  EXPECT_EQ(s.GetPosition(), 2u);
  EXPECT_EQ(s.GetStatus(), 0);
  s.CloseRead();
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, DisposedHandleIsNoHandle) {
  VMemHandle h = HandleOf({1});
  VMemHandle stale = h;
  gMemoryMgr->DisposeHandle(h);
  VHandleStream s(stale);
  EXPECT_EQ(s.OpenRead(), kStreamNoHandle);
  EXPECT_EQ(s.OpenWrite(), kStreamNoHandle);
}

TEST_F(FaultyMemory, NoHandleWhenNoneCanBeMadeIs208) {
  fFaulty->failEmptyHandle = true;
  VMemHandle h = 0;
  VHandleStream s(h);
  EXPECT_EQ(h, 0u);
  EXPECT_EQ(s.OpenWrite(), kStreamNoHandle);
  EXPECT_EQ(s.OpenRead(), kStreamNoHandle);
}

TEST(HandleStream, ReopeningStartsAtPositionZero) {
  VMemHandle h = HandleOf({0, 0, 0, 7});
  VHandleStream s(h);
  s.SetByteOrders(-2, -1);
  ASSERT_EQ(s.OpenRead(), 0);
  EXPECT_EQ(s.GetLong(), 7);
  EXPECT_EQ(s.CloseRead(), 0);
  EXPECT_EQ(s.GetStatus(), kStreamNotOpen);
  ASSERT_EQ(s.OpenRead(), 0);
  EXPECT_EQ(s.GetPosition(), 0u);
  EXPECT_EQ(s.GetLong(), 7);
  s.CloseRead();
  gMemoryMgr->DisposeHandle(h);
}

// ---- writing, growth and trimming

TEST(HandleStream, ThreeThousandSingleBytesTrimToThreeThousand) {
  VMemHandle h = 0;
  VHandleStream s(h);
  ASSERT_EQ(s.OpenWrite(), 0);
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(s.PutByte(uint8_t(i)), 0);
  EXPECT_EQ(s.GetSize(), 3000u);
  EXPECT_EQ(s.CloseWrite(1), 0);
  const auto bytes = HandleBytes(h);
  ASSERT_EQ(bytes.size(), 3000u);
  EXPECT_EQ(bytes[2999], uint8_t(2999));
  EXPECT_FALSE(gMemoryMgr->IsLocked(h));
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, GrowsByRequestPlus1024) {
  VMemHandle h = 0;
  VHandleStream s(h);
  ASSERT_EQ(s.OpenWrite(), 0);
  const std::vector<uint8_t> ten(10, 0x55);
  s.PutData(ten.data(), 10);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(h), 1034u);
  const std::vector<uint8_t> more(1024, 0x66);
  s.PutData(more.data(), 1024);  // fits the slack exactly
  EXPECT_EQ(gMemoryMgr->GetHandleSize(h), 1034u);
  s.PutByte(1);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(h), 1035u + 1024u);
  EXPECT_EQ(s.CloseWrite(0), 0);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(h), 2059u);  // no trim asked
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, WritingStartsOverTheOldContent) {
  VMemHandle h = HandleOf({1, 2, 3, 4, 5, 6});
  VHandleStream s(h);
  ASSERT_EQ(s.OpenWrite(), 0);
  EXPECT_EQ(s.GetSize(), 6u);
  s.PutByte(9);
  s.PutByte(8);
  EXPECT_EQ(s.GetSize(), 6u);
  EXPECT_EQ(s.CloseWrite(0), 0);
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{9, 8, 3, 4, 5, 6}));
  ASSERT_EQ(s.OpenWrite(), 0);
  s.PutByte(7);
  EXPECT_EQ(s.CloseWrite(1), 0);  // trim keeps the old content within the data size
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{7, 8, 3, 4, 5, 6}));
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, WriteAfterPositionPastTheEndFillsTheGapWithZeros) {
  VMemHandle h = HandleOf({0xAA});
  VHandleStream s(h);
  ASSERT_EQ(s.OpenWrite(), 0);
  EXPECT_EQ(s.SetPosition(5), 0);
  EXPECT_EQ(s.PutByte(0xBB), 0);
  EXPECT_EQ(s.GetSize(), 6u);
  EXPECT_EQ(s.CloseWrite(1), 0);
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{0xAA, 0, 0, 0, 0, 0xBB}));
  gMemoryMgr->DisposeHandle(h);
}

TEST_F(FaultyMemory, WriteEndingPast4GBIs203WithoutAResize) {
  VMemHandle h = 0;
  VHandleStream s(h);
  ASSERT_EQ(s.OpenWrite(), 0);
  s.PutLong(1);
  const int resizes = fFaulty->resizeCalls;
  EXPECT_EQ(s.SetPosition(0xFFFFFFFEu), 0);
  EXPECT_EQ(s.PutLong(2), kStreamCannotGrow);
  EXPECT_EQ(fFaulty->resizeCalls, resizes);
  EXPECT_EQ(s.GetSize(), 4u);
  EXPECT_EQ(s.GetPosition(), kStreamNoPosition);
  EXPECT_EQ(s.CloseWrite(1), kStreamCannotGrow);
  EXPECT_GE(gMemoryMgr->GetHandleSize(h), 4u);
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, WriteThatNoBlockCanHoldIs203AndKeepsTheBytes) {
  VMemHandle h = 0;
  VHandleStream s(h);
  ASSERT_EQ(s.OpenWrite(), 0);
  s.PutWord(0x0102);
  s.SetPosition(0xFFFFFF00u);  // the block would be near 4 GB: refused
  EXPECT_EQ(s.PutLong(3), kStreamCannotGrow);
  EXPECT_EQ(s.PutLong(4), kStreamCannotGrow);
  EXPECT_EQ(s.SetPosition(0), kStreamCannotGrow);  // an error above 200 stays
  EXPECT_EQ(s.GetSize(), 2u);
  EXPECT_EQ(s.CloseWrite(1), kStreamCannotGrow);
  const auto bytes = HandleBytes(h);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0x02);
  EXPECT_EQ(bytes[1], 0x01);
  gMemoryMgr->DisposeHandle(h);
}

TEST_F(FaultyMemory, CloseAfterAnErrorUnlocksSoTheOwnerCanResize) {
  VMemHandle h = HandleOf({1, 2, 3});
  VHandleStream s(h);
  ASSERT_EQ(s.OpenWrite(), 0);
  EXPECT_TRUE(gMemoryMgr->IsLocked(h));
  fFaulty->failResize = true;
  s.SetPosition(3);
  EXPECT_EQ(s.PutLong(1), kStreamCannotGrow);
  fFaulty->failResize = false;
  EXPECT_EQ(s.CloseWrite(1), kStreamCannotGrow);
  EXPECT_FALSE(gMemoryMgr->IsLocked(h));
  EXPECT_TRUE(gMemoryMgr->SetHandleSize(h, 100));
  EXPECT_EQ(gMemoryMgr->GetHandleSize(h), 100u);
  EXPECT_EQ(HandleBytes(h)[2], 3);  // the bytes written before stay
  gMemoryMgr->DisposeHandle(h);
}

TEST_F(FaultyMemory, ArrayWriteWithoutATemporaryBlockIs100) {
  VMemHandle h = 0;
  VHandleStream s(h);
  s.SetByteOrders(-2, -1);
  ASSERT_EQ(s.OpenWrite(), 0);
  s.PutWord(7);
  fFaulty->failNewBlock = true;
  const int32_t values[2] = {1, 2};
  EXPECT_EQ(s.PutLongArray(values, 2), kStreamNoMemory);
  EXPECT_EQ(s.GetSize(), 2u);
  EXPECT_EQ(s.PutWord(8), kStreamNoMemory);
  EXPECT_EQ(s.CloseWrite(1), kStreamNoMemory);
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{0, 7}));  // not above 200: trimmed
  gMemoryMgr->DisposeHandle(h);
}

TEST_F(FaultyMemory, UnswappedArrayWriteNeedsNoTemporaryBlock) {
  VMemHandle h = 0;
  VHandleStream s(h);
  ASSERT_EQ(s.OpenWrite(), 0);
  fFaulty->failNewBlock = true;
  const int32_t values[2] = {1, 2};
  EXPECT_EQ(s.PutLongArray(values, 2), 0);
  EXPECT_EQ(fFaulty->newBlockCalls, 0);
  s.CloseWrite(1);
  gMemoryMgr->DisposeHandle(h);
}

TEST_F(FaultyMemory, HandleLengthBeyondTheRestAllocatesNothing) {
  VMemHandle h = HandleOf({0x7F, 0xFF, 0xFF, 0xF0, 1, 2, 3});
  VHandleStream s(h);
  s.SetByteOrders(-2, -1);
  ASSERT_EQ(s.OpenRead(), 0);
  const int before = fFaulty->newHandleCalls;
  EXPECT_EQ(s.GetHandle(), 0u);
  EXPECT_EQ(s.GetStatus(), kStreamEndOfData);
  EXPECT_EQ(fFaulty->newHandleCalls, before);
  s.CloseRead();
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, HandlesRoundTripThroughAHandleStream) {
  VMemHandle inner = HandleOf({'a', 'b', 'c', 'd', 'e'});
  VMemHandle h = 0;
  VHandleStream w(h);
  w.SetByteOrders(-2, -1);
  ASSERT_EQ(w.OpenWrite(), 0);
  w.PutHandle(inner);
  EXPECT_EQ(w.CloseWrite(1), 0);
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{0, 0, 0, 5, 'a', 'b', 'c', 'd', 'e'}));
  VHandleStream r(h);
  r.SetByteOrders(-2, -1);
  ASSERT_EQ(r.OpenRead(), 0);
  const VMemHandle back = r.GetHandle();
  EXPECT_EQ(HandleBytes(back), HandleBytes(inner));
  EXPECT_EQ(r.CloseRead(), 0);
  gMemoryMgr->DisposeHandle(back);
  gMemoryMgr->DisposeHandle(inner);
  gMemoryMgr->DisposeHandle(h);
}

// ---- closing

TEST(HandleStream, CloseReadWhileWritingIs206AndStaysOpen) {
  VMemHandle h = 0;
  VHandleStream s(h);
  ASSERT_EQ(s.OpenWrite(), 0);
  s.PutByte(1);
  EXPECT_EQ(s.CloseRead(), kStreamOpenForWriting);
  EXPECT_EQ(s.GetPosition(), 1u);
  EXPECT_EQ(s.CloseWrite(1), 0);
  EXPECT_EQ(s.CloseWrite(1), kStreamNotOpen);  // closed: answers its status
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, CloseWriteWhileReadingIs207) {
  VMemHandle h = HandleOf({1});
  VHandleStream s(h);
  ASSERT_EQ(s.OpenRead(), 0);
  EXPECT_EQ(s.CloseWrite(1), kStreamNotOpenForWriting);
  EXPECT_EQ(s.GetStatus(), 0);
  EXPECT_EQ(s.CloseRead(), 0);
  EXPECT_FALSE(gMemoryMgr->IsLocked(h));
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, CloseAnswersTheStatusBeforeClosing) {
  VMemHandle h = HandleOf({1, 2});
  VHandleStream s(h);
  ASSERT_EQ(s.OpenRead(), 0);
  s.GetLong();
  EXPECT_EQ(s.CloseRead(), kStreamEndOfData);
  EXPECT_EQ(s.GetStatus(), kStreamNotOpen);
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, ReadingWhileWritingIs206AndWritingWhileReadingIs207) {
  VMemHandle h = HandleOf({1, 2, 3, 4});
  VHandleStream s(h);
  ASSERT_EQ(s.OpenWrite(), 0);
  EXPECT_EQ(s.GetByte(), 0);
  EXPECT_EQ(s.GetStatus(), kStreamOpenForWriting);
  s.CloseWrite(1);
  ASSERT_EQ(s.OpenRead(), 0);
  EXPECT_EQ(s.PutByte(1), kStreamNotOpenForWriting);
  s.CloseRead();
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{1, 2, 3, 4}));
  gMemoryMgr->DisposeHandle(h);
}

// ---- sizes and positions

TEST(HandleStream, SetSizeResizesTheHandleButNotTheData) {
  VMemHandle h = 0;
  VHandleStream s(h);
  ASSERT_EQ(s.OpenWrite(), 0);
  s.PutLong(1);
  EXPECT_EQ(s.SetSize(5000), 0);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(h), 5000u);
  EXPECT_EQ(s.GetSize(), 4u);
  const std::vector<uint8_t> block(4000, 1);
  s.PutData(block.data(), 4000);  // fits: no growth
  EXPECT_EQ(gMemoryMgr->GetHandleSize(h), 5000u);
  EXPECT_EQ(s.CloseWrite(1), 0);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(h), 4004u);
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, SetSizeBelowTheDataCutsTheData) {
  VMemHandle h = HandleOf({1, 2, 3, 4, 5, 6, 7, 8});
  VHandleStream s(h);
  ASSERT_EQ(s.OpenWrite(), 0);
  EXPECT_EQ(s.SetSize(3), 0);
  EXPECT_EQ(s.GetSize(), 3u);
  EXPECT_EQ(s.FindByte(7), 0u);  // nothing is searched past the handle's end
  EXPECT_EQ(s.CloseWrite(1), 0);
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{1, 2, 3}));
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, SetSizeWhileReadingIs207) {
  VMemHandle h = HandleOf({1, 2});
  VHandleStream s(h);
  ASSERT_EQ(s.OpenRead(), 0);
  EXPECT_EQ(s.SetSize(10), kStreamNotOpenForWriting);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(h), 2u);
  s.CloseRead();
  gMemoryMgr->DisposeHandle(h);
}

TEST_F(FaultyMemory, SetSizeRefusedIs203) {
  VMemHandle h = 0;
  VHandleStream s(h);
  ASSERT_EQ(s.OpenWrite(), 0);
  s.PutWord(1);
  fFaulty->failResize = true;
  EXPECT_EQ(s.SetSize(100000), kStreamCannotGrow);
  fFaulty->failResize = false;
  EXPECT_EQ(s.CloseWrite(1), kStreamCannotGrow);
  EXPECT_FALSE(gMemoryMgr->IsLocked(h));
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, ReadPastTheEndDeliversTheRestWith200) {
  VMemHandle h = HandleOf({1, 2, 3});
  VHandleStream s(h);
  ASSERT_EQ(s.OpenRead(), 0);
  uint8_t out[8] = {};
  uint32_t length = 8;
  EXPECT_EQ(s.ReadData(out, length), kStreamEndOfData);
  EXPECT_EQ(length, 3u);
  EXPECT_EQ(out[2], 3);
  EXPECT_EQ(s.SetPosition(10), 0);  // no test against the size here...
  length = 1;
  EXPECT_EQ(s.ReadBytes(out, length), kStreamEndOfData);  // ...the read reports it
  EXPECT_EQ(length, 0u);
  s.CloseRead();
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, SkipMovesRelativeAndRefusesBeforeTheStart) {
  VMemHandle h = HandleOf({1, 2, 3, 4, 5});
  VHandleStream s(h);
  ASSERT_EQ(s.OpenRead(), 0);
  EXPECT_EQ(s.Skip(3), 0);
  EXPECT_EQ(s.GetByte(), 4);
  EXPECT_EQ(s.Skip(-2), 0);
  EXPECT_EQ(s.GetByte(), 3);
  EXPECT_EQ(s.Skip(-10), kStreamEndOfData);
  EXPECT_EQ(s.SetPosition(0), 0);
  EXPECT_EQ(s.GetByte(), 1);
  s.CloseRead();
  gMemoryMgr->DisposeHandle(h);
}

// ---- searching

TEST(HandleStream, FindLongAtAnOddOffsetInMemoryOrder) {
  std::vector<uint8_t> bytes{9, 9, 9, 0, 0, 0, 0, 0};
  const uint32_t value = 0xA1B2C3D4;
  std::memcpy(bytes.data() + 3, &value, 4);
  VMemHandle h = HandleOf(bytes);
  VHandleStream s(h);
  s.SetByteOrders(-2, -1);  // no swap for searching
  ASSERT_EQ(s.OpenRead(), 0);
  EXPECT_EQ(s.FindLong(value), 4u);
  EXPECT_EQ(s.GetPosition(), 0u);
  const uint16_t word = 0xC3B2;  // lies across the value's middle bytes in memory
  EXPECT_EQ(s.FindWord(word), 0u);
  const uint16_t pair = uint16_t(bytes[4] | (bytes[5] << 8));
  EXPECT_EQ(s.FindWord(pair), 5u);
  EXPECT_EQ(s.FindByte(9), 1u);
  s.Skip(1);
  EXPECT_EQ(s.FindByte(9), 2u);  // from the current position on
  s.CloseRead();
  gMemoryMgr->DisposeHandle(h);
}

TEST(HandleStream, FindNeedsTheWholeValueInsideTheData) {
  VMemHandle h = HandleOf({0, 0, 0xAB, 0xCD});
  VHandleStream s(h);
  ASSERT_EQ(s.OpenRead(), 0);
  uint16_t tail = 0;
  std::memcpy(&tail, std::vector<uint8_t>{0xAB, 0xCD}.data(), 2);
  EXPECT_EQ(s.FindWord(tail), 3u);
  EXPECT_EQ(s.FindLong(0xCD), 0u);
  s.SetPosition(4);
  EXPECT_EQ(s.FindByte(0xCD), 0u);
  s.SetPosition(50);
  EXPECT_EQ(s.FindByte(0), 0u);
  s.SetPosition(0);
  s.GetLong();
  s.GetLong();  // now at status 200: no search
  EXPECT_EQ(s.GetStatus(), kStreamEndOfData);
  EXPECT_EQ(s.FindByte(0), 0u);
  s.CloseRead();
  gMemoryMgr->DisposeHandle(h);
}
