// The typed transfers of VStream: stored bytes, swapping, the status rule,
// the progress hook, reals in every order, arrays, handles and values.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/ByteSwap.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/streams/VStreamProgress.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A stream over a byte vector whose status a test can force, to reach the
// rules about negative warnings that only some storage kinds produce.
class VectorStream : public VStream {
 public:
  explicit VectorStream(Bytes initial = {}) : fBytes(std::move(initial)) {}

  int16_t OpenRead() override { return Open(); }
  int16_t OpenWrite() override { return Open(); }
  int16_t CloseRead() override { return Close(); }
  int16_t CloseWrite(uint8_t) override { return Close(); }
  int16_t WriteBytes(const void* data, uint32_t length) override {
    ++fWrites;
    if (fStatus > 0) return fStatus;
    if (fPosition + length > fBytes.size()) fBytes.resize(fPosition + length);
    if (length) std::memcpy(fBytes.data() + fPosition, data, length);
    fPosition += length;
    return fStatus;
  }
  int16_t ReadBytes(void* data, uint32_t& length) override {
    ++fReads;
    if (fStatus > 0) {
      length = 0;
      return fStatus;
    }
    int16_t result = fStatus;
    const uint32_t rest = fPosition <= fBytes.size() ? uint32_t(fBytes.size()) - fPosition : 0;
    if (length > rest) {
      length = rest;
      result = kStreamEndOfData;
    }
    if (length) std::memcpy(data, fBytes.data() + fPosition, length);
    fPosition += length;
    return result;
  }
  uint32_t GetSize() override { return uint32_t(fBytes.size()); }
  uint32_t GetPosition() override { return fStatus >= kStreamNotOpen ? kStreamNoPosition : fPosition; }
  int16_t SetSize(uint32_t size) override {
    fBytes.resize(size);
    return fStatus;
  }
  int16_t SetPosition(uint32_t position) override {
    if (fStatus > kStreamEndOfData) return fStatus;
    fPosition = position;
    fStatus = 0;
    return fStatus;
  }
  int16_t Skip(int32_t offset) override { return SetPosition(fPosition + offset); }
  uint32_t FindByte(uint8_t) override { return 0; }
  uint32_t FindWord(uint16_t) override { return 0; }
  uint32_t FindLong(uint32_t) override { return 0; }

  void ForceStatus(int16_t status) { fStatus = status; }
  const Bytes& Data() const { return fBytes; }

  int fWrites = 0;
  int fReads = 0;

 private:
  int16_t Open() {
    fPosition = 0;
    fStatus = 0;
    return fStatus;
  }
  int16_t Close() {
    const int16_t before = fStatus;
    fStatus = kStreamNotOpen;
    return before;
  }

  Bytes fBytes;
  uint32_t fPosition = 0;
};

// A hook that records what it is asked and cancels from a given call on.
class RecordingHook : public VStreamProgress {
 public:
  bool Progress(uint32_t bytes) override {
    asked.push_back(bytes);
    return cancelFrom >= 0 && int(asked.size()) > cancelFrom;
  }
  std::vector<uint32_t> asked;
  int cancelFrom = -1;  // index of the first call that cancels; -1 never
};

// An object that streams one 32-bit value and records the tags it was given.
class RecordingValue : public VObject {
 public:
  int32_t WriteToStream(VStream& stream, uint32_t tag) override {
    writeTags.push_back(tag);
    if (tag == kTagVVAL) stream.PutLong(3);
    return stream.PutLong(value);
  }
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override {
    readTags.push_back(tag);
    return stream.ReadLong(value);
  }
  int32_t value = 0;
  std::vector<uint32_t> writeTags;
  std::vector<uint32_t> readTags;
};

// Opened for writing with the stored formats' settings: data big-endian.
void OpenBigEndianWriter(VectorStream& s) {
  s.SetByteOrders(kByteOrderSetMacintosh, kByteOrderSetThisMachine);
  s.OpenWrite();
}

}  // namespace

// ---- settings

TEST(Stream, StartsClosedWithLittleEndianOrdersAndByteCharacters) {
  VectorStream s;
  int16_t data = 0, native = 0;
  s.GetByteOrders(data, native);
  EXPECT_EQ(data, 2);
  EXPECT_EQ(native, 2);
  s.GetCharForms(data, native);
  EXPECT_EQ(data, 1);
  EXPECT_EQ(native, 1);
  EXPECT_EQ(s.GetStatus(), kStreamNotOpen);
  EXPECT_EQ(s.GetHook(), nullptr);
}

TEST(Stream, SetByteOrdersResolvesNamedOrders) {
  VectorStream s;
  int16_t data = 0, native = 0;
  s.SetByteOrders(-2, -1);
  s.GetByteOrders(data, native);
  EXPECT_EQ(data, 1);
  EXPECT_EQ(native, 2);
  s.SetByteOrders(-1, -2);
  s.GetByteOrders(data, native);
  EXPECT_EQ(data, 2);
  EXPECT_EQ(native, 1);
}

TEST(Stream, SetByteOrdersStoresOtherValuesAndKeepsOnMinus3) {
  VectorStream s;
  s.SetByteOrders(-2, -1);
  s.SetByteOrders(7, -3);
  int16_t data = 0, native = 0;
  s.GetByteOrders(data, native);
  EXPECT_EQ(data, 7);
  EXPECT_EQ(native, 2);
  s.SetByteOrders(-3, 0);
  s.GetByteOrders(data, native);
  EXPECT_EQ(data, 7);
  EXPECT_EQ(native, 0);
}

TEST(Stream, SetCharFormsKeepsOnMinus2) {
  VectorStream s;
  s.SetCharForms(2, -2);
  int16_t data = 0, native = 0;
  s.GetCharForms(data, native);
  EXPECT_EQ(data, 2);
  EXPECT_EQ(native, 1);
  s.SetCharForms(-2, 2);
  s.GetCharForms(data, native);
  EXPECT_EQ(data, 2);
  EXPECT_EQ(native, 2);
}

TEST(Stream, NeedsSwapWhenExactlyOneOrderIsLittleEndian) {
  VectorStream s;
  const struct { int16_t data, native; bool swap; } cases[] = {
      {1, 2, true}, {2, 1, true}, {0, 2, true}, {2, 0, true}, {7, 2, true},
      {2, 2, false}, {1, 1, false}, {0, 1, false}, {7, 1, false}};
  for (const auto& c : cases) {
    s.SetByteOrders(c.data, c.native);
    EXPECT_EQ(s.NeedsSwap(), c.swap) << c.data << "/" << c.native;
  }
}

// ---- stored bytes

TEST(Stream, PutLongBigEndianWritesMostSignificantFirst) {
  VectorStream s;
  OpenBigEndianWriter(s);
  EXPECT_EQ(s.PutLong(0x01020304), 0);
  EXPECT_EQ(s.Data(), (Bytes{1, 2, 3, 4}));

  VectorStream little;
  little.OpenWrite();
  little.PutLong(0x01020304);
  EXPECT_EQ(little.Data(), (Bytes{4, 3, 2, 1}));
}

TEST(Stream, EveryWidthIsStoredBigEndian) {
  VectorStream s;
  OpenBigEndianWriter(s);
  s.PutByte(0xAB);
  s.PutWord(int16_t(0x1234));
  s.PutLong(-2);
  s.PutLongLong(0x0102030405060708LL);
  s << uint16_t(0xBEEF) << uint32_t(0xCAFEBABE) << uint64_t(1) << char('z') << int16_t(-1);
  EXPECT_EQ(s.GetStatus(), 0);
  const Bytes want{0xAB, 0x12, 0x34, 0xFF, 0xFF, 0xFF, 0xFE, 1, 2, 3, 4, 5, 6, 7, 8,
                   0xBE, 0xEF, 0xCA, 0xFE, 0xBA, 0xBE, 0, 0, 0, 0, 0, 0, 0, 1, 'z', 0xFF, 0xFF};
  EXPECT_EQ(s.Data(), want);
}

TEST(Stream, TypedValuesRoundTripWithAndWithoutSwap) {
  for (int16_t data : {int16_t(1), int16_t(2)}) {
    VectorStream w;
    w.SetByteOrders(data, 2);
    w.OpenWrite();
    w.PutByte(200);
    w.PutWord(-12345);
    w.PutLong(-123456789);
    w.PutLongLong(-1234567890123456789LL);
    w.PutReal(3.25);
    w << uint32_t(0xDEADBEEF) << 2.5;

    VectorStream r(w.Data());
    r.SetByteOrders(data, 2);
    r.OpenRead();
    EXPECT_EQ(r.GetByte(), 200);
    EXPECT_EQ(r.GetWord(), -12345);
    int32_t l = 0;
    EXPECT_EQ(r.ReadLong(l), 0);
    EXPECT_EQ(l, -123456789);
    EXPECT_EQ(r.GetLongLong(), -1234567890123456789LL);
    EXPECT_EQ(r.GetReal(), 3.25);
    uint32_t u = 0;
    double d = 0;
    r >> u >> d;
    EXPECT_EQ(u, 0xDEADBEEFu);
    EXPECT_EQ(d, 2.5);
    EXPECT_EQ(r.GetStatus(), 0);
  }
}

TEST(Stream, ReadFormsOfEachWidthDeliverTheStoredValue) {
  VectorStream r(Bytes{0x80, 0xFF, 0xFE, 0x80, 0x00, 0xFF, 0xFF, 0xFF, 0xFF,
                       0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 'q'});
  r.SetByteOrders(-2, -1);
  r.OpenRead();
  uint8_t b = 0;
  uint16_t w = 0;
  int16_t sh = 0;
  uint32_t ul = 0;
  int64_t ll = 0;
  char c = 0;
  EXPECT_EQ(r.ReadByte(b), 0);
  EXPECT_EQ(r.ReadWord(w), 0);
  EXPECT_EQ(r.ReadShort(sh), 0);
  EXPECT_EQ(r.ReadULong(ul), 0);
  EXPECT_EQ(r.ReadLongLong(ll), 0);
  EXPECT_EQ(r.ReadChar(c), 0);
  EXPECT_EQ(b, 0x80);
  EXPECT_EQ(w, 0xFFFE);
  EXPECT_EQ(sh, int16_t(0x8000));
  EXPECT_EQ(ul, 0xFFFFFFFFu);
  EXPECT_EQ(ll, -2);
  EXPECT_EQ(c, 'q');
}

// ---- the status rule

TEST(Stream, IncompleteValueIsNotDeliveredAndEndOfDataSticks) {
  VectorStream r(Bytes{0x12, 0x34, 0x56, 0x78, 0xAA, 0xBB});
  r.SetByteOrders(-2, -1);
  r.OpenRead();
  EXPECT_EQ(r.GetLong(), 0x12345678);
  EXPECT_EQ(r.GetLong(), 0);  // only 2 bytes left
  EXPECT_EQ(r.GetStatus(), kStreamEndOfData);
  EXPECT_EQ(r.GetLong(), 0);
  EXPECT_EQ(r.GetStatus(), kStreamEndOfData);
  EXPECT_EQ(r.SetPosition(0), 0);
  EXPECT_EQ(r.GetStatus(), 0);
  EXPECT_EQ(r.GetLong(), 0x12345678);
}

TEST(Stream, ReadFormStoresZeroOnShortReadAndLeavesValueWhenNotRun) {
  VectorStream r(Bytes{1, 2});
  r.OpenRead();
  int32_t value = 77;
  EXPECT_EQ(r.ReadLong(value), kStreamEndOfData);
  EXPECT_EQ(value, 0);
  value = 77;
  EXPECT_EQ(r.ReadLong(value), kStreamEndOfData);
  EXPECT_EQ(value, 77);
  int16_t word = 5;
  r >> word;  // a shift form does not run at a positive status either
  EXPECT_EQ(word, 5);
}

TEST(Stream, GetAndShiftFormsRunAtNegativeStatusButReadAndPutFormsDoNot) {
  VectorStream r(Bytes{0, 0, 0, 9, 0, 0, 0, 8, 0, 0, 0, 7});
  r.SetByteOrders(-2, -1);
  r.OpenRead();
  r.ForceStatus(-5);
  EXPECT_EQ(r.GetLong(), 9);
  int32_t v = 0;
  r >> v;
  EXPECT_EQ(v, 8);
  int32_t untouched = 123;
  EXPECT_EQ(r.ReadLong(untouched), -5);
  EXPECT_EQ(untouched, 123);

  VectorStream w;
  w.OpenWrite();
  w.ForceStatus(-5);
  EXPECT_EQ(w.PutLong(1), -5);
  w << uint8_t(1);  // the byte shift for writing needs status 0
  EXPECT_TRUE(w.Data().empty());
  w << int16_t(0x0102);
  EXPECT_EQ(w.Data().size(), 2u);
}

TEST(Stream, FailedTransferStopsLaterTransfers) {
  VectorStream w;
  w.OpenWrite();
  w.ForceStatus(kStreamCannotGrow);
  const int writesBefore = w.fWrites;
  EXPECT_EQ(w.PutLong(1), kStreamCannotGrow);
  EXPECT_EQ(w.PutWord(1), kStreamCannotGrow);
  const int32_t array[2] = {1, 2};
  EXPECT_EQ(w.PutLongArray(array, 2), kStreamCannotGrow);
  EXPECT_EQ(w.PutHex("ab", 2), kStreamCannotGrow);
  w << int32_t(5) << 1.0;
  EXPECT_EQ(w.fWrites, writesBefore);
  uint32_t count = 2;
  int32_t in[2];
  EXPECT_EQ(w.GetLongArray(in, count), kStreamCannotGrow);
  EXPECT_EQ(count, 0u);
  uint32_t length = 4;
  char raw[4];
  EXPECT_EQ(w.ReadData(raw, length), kStreamCannotGrow);
  EXPECT_EQ(length, 0u);
}

// ---- the hook

TEST(Stream, HookCancelSets218AndLaterPutsWriteNothing) {
  VectorStream w;
  RecordingHook hook;
  hook.cancelFrom = 0;
  w.SetHook(&hook);
  w.OpenWrite();
  EXPECT_EQ(w.PutWord(1), kStreamCancelled);
  EXPECT_EQ(w.PutLong(2), kStreamCancelled);
  EXPECT_TRUE(w.Data().empty());
  EXPECT_EQ(hook.asked, (std::vector<uint32_t>{2}));
}

TEST(Stream, HookIsAskedWithTheBytesOfEachTransfer) {
  VectorStream w;
  OpenBigEndianWriter(w);
  RecordingHook hook;
  w.SetHook(&hook);
  const int32_t array[3] = {1, 2, 3};
  w.PutByte(1);
  w.PutLongLong(1);
  w.PutLongArray(array, 3);
  w.PutHex("\x01\x02\x03", 3);
  w.PutData("abcde", 5);
  w.PutReal(1.0);
  w.PutCString("no hook");
  EXPECT_EQ(hook.asked, (std::vector<uint32_t>{1, 8, 12, 6, 5, 8}));
}

TEST(Stream, CancelledGetDataZeroesLengthButReadDataKeepsIt) {
  RecordingHook hook;
  hook.cancelFrom = 0;
  VectorStream a(Bytes{1, 2, 3});
  a.OpenRead();
  a.SetHook(&hook);
  uint32_t length = 3;
  uint8_t out[3] = {9, 9, 9};
  EXPECT_EQ(a.GetData(out, length), kStreamCancelled);
  EXPECT_EQ(length, 0u);
  VectorStream b(Bytes{1, 2, 3});
  b.OpenRead();
  b.SetHook(&hook);
  length = 3;
  EXPECT_EQ(b.ReadData(out, length), kStreamCancelled);
  EXPECT_EQ(length, 3u);
  EXPECT_EQ(out[0], 9);
}

TEST(Stream, CancelledReadLeavesTheValueAlone) {
  RecordingHook hook;
  hook.cancelFrom = 0;
  VectorStream r(Bytes{0, 0, 0, 1});
  r.OpenRead();
  r.SetHook(&hook);
  int32_t value = 42;
  EXPECT_EQ(r.ReadLong(value), kStreamCancelled);
  EXPECT_EQ(value, 42);
  EXPECT_EQ(r.fReads, 0);
}

// ---- reals

TEST(Stream, RealIsEightBigEndianBytesInMacintoshOrder) {
  VectorStream w;
  OpenBigEndianWriter(w);
  w.PutReal(1.0);
  EXPECT_EQ(w.Data(), (Bytes{0x3F, 0xF0, 0, 0, 0, 0, 0, 0}));
  VectorStream r(w.Data());
  r.SetByteOrders(2, 1);  // data little, memory big: reversed as well
  r.OpenRead();
  double d = r.GetReal();
  Bytes memory(8);
  std::memcpy(memory.data(), &d, 8);
  EXPECT_EQ(memory, (Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
}

TEST(Stream, ExtendedRealOfDataOrderZeroBecomesADouble) {
  const Bytes extendedOne{0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0};
  VectorStream r(extendedOne);
  r.SetByteOrders(0, 2);
  r.OpenRead();
  EXPECT_EQ(r.GetReal(), 1.0);
  EXPECT_EQ(r.GetPosition(), 10u);

  VectorStream big(extendedOne);
  big.SetByteOrders(0, 1);
  big.OpenRead();
  double d = big.GetReal();
  SwapDouble(&d);
  EXPECT_EQ(d, 1.0);
}

TEST(Stream, SameOrderRealsMoveEightBytesUnchanged) {
  VectorStream w;
  w.SetByteOrders(0, 0);
  w.OpenWrite();
  w.PutReal(-0.5);
  ASSERT_EQ(w.Data().size(), 8u);
  double d = 0;
  std::memcpy(&d, w.Data().data(), 8);
  EXPECT_EQ(d, -0.5);
}

TEST(Stream, ExtendedRealsRoundTripThroughDataOrderZero) {
  VectorStream w;
  w.SetByteOrders(0, 2);
  w.OpenWrite();
  w.PutReal(1.0);
  const double values[3] = {-2.5, 1e300, 0.1};
  w.PutRealArray(values, 3);
  ASSERT_EQ(w.Data().size(), 40u);
  EXPECT_EQ(Bytes(w.Data().begin(), w.Data().begin() + 10),
            (Bytes{0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}));

  VectorStream r(w.Data());
  r.SetByteOrders(0, 2);
  r.OpenRead();
  EXPECT_EQ(r.GetReal(), 1.0);
  double back[3] = {};
  uint32_t count = 3;
  EXPECT_EQ(r.GetRealArray(back, count), 0);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(back[0], -2.5);
  EXPECT_EQ(back[1], 1e300);
  EXPECT_EQ(back[2], 0.1);
}

TEST(Stream, ExtendedRealArrayShortReadDeliversWholeValues) {
  Bytes data{0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0,   // 1.0
             0x40, 0x00, 0x80, 0, 0, 0, 0, 0, 0, 0,   // 2.0
             0x40, 0x00, 0xC0};                       // a truncated third
  VectorStream r(data);
  r.SetByteOrders(0, 2);
  r.OpenRead();
  double back[3] = {7, 7, 7};
  uint32_t count = 3;
  EXPECT_EQ(r.GetRealArray(back, count), kStreamEndOfData);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(back[0], 1.0);
  EXPECT_EQ(back[1], 2.0);
  EXPECT_EQ(back[2], 7.0);
}

TEST(Stream, RealArrayInMacintoshOrderSwapsWholeValuesAfterShortRead) {
  VectorStream w;
  OpenBigEndianWriter(w);
  const double values[2] = {1.5, -3.0};
  w.PutRealArray(values, 2);
  Bytes data = w.Data();
  data.resize(12);  // the second value is cut
  VectorStream r(data);
  r.SetByteOrders(1, 2);
  r.OpenRead();
  double back[2] = {};
  uint32_t count = 2;
  EXPECT_EQ(r.GetRealArray(back, count), kStreamEndOfData);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(back[0], 1.5);
}

// ---- arrays

TEST(Stream, PutLongArraySwapsIntoTheStreamAndLeavesTheCallersArray) {
  VectorStream w;
  OpenBigEndianWriter(w);
  const int32_t values[2] = {0x01020304, -1};
  EXPECT_EQ(w.PutLongArray(values, 2), 0);
  EXPECT_EQ(w.Data(), (Bytes{1, 2, 3, 4, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(values[0], 0x01020304);
  EXPECT_EQ(w.fWrites, 1);  // one transfer for the whole array
}

TEST(Stream, WordArraysRoundTripInBothForms) {
  VectorStream w;
  OpenBigEndianWriter(w);
  const uint16_t words[3] = {0x0102, 0xFFFE, 7};
  const int16_t shorts[2] = {-2, 300};
  w.PutWordArray(words, 3);
  w.PutShortArray(shorts, 2);
  EXPECT_EQ(Bytes(w.Data().begin(), w.Data().begin() + 2), (Bytes{1, 2}));
  VectorStream r(w.Data());
  r.SetByteOrders(-2, -1);
  r.OpenRead();
  uint16_t wback[3] = {};
  int16_t sback[2] = {};
  uint32_t n = 3;
  EXPECT_EQ(r.GetWordArray(wback, n), 0);
  EXPECT_EQ(n, 3u);
  n = 2;
  EXPECT_EQ(r.GetShortArray(sback, n), 0);
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(wback[1], 0xFFFE);
  EXPECT_EQ(sback[0], -2);
  EXPECT_EQ(sback[1], 300);
}

TEST(Stream, ArrayShortReadCountsAndSwapsWholeElements) {
  VectorStream r(Bytes{0, 0, 0, 5, 0, 0, 1, 0, 0xAA, 0xBB});
  r.SetByteOrders(-2, -1);
  r.OpenRead();
  uint32_t values[4] = {};
  uint32_t count = 4;
  EXPECT_EQ(r.GetULongArray(values, count), kStreamEndOfData);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(values[0], 5u);
  EXPECT_EQ(values[1], 256u);
}

TEST(Stream, UnswappedArrayIsWrittenStraightFromTheCaller) {
  VectorStream w;
  w.OpenWrite();
  const uint32_t values[2] = {0x01020304, 5};
  EXPECT_EQ(w.PutULongArray(values, 2), 0);
  EXPECT_EQ(w.Data(), (Bytes{4, 3, 2, 1, 5, 0, 0, 0}));
}

// ---- raw bytes and text

TEST(Stream, PutHexWritesUpperCaseDigitPairs) {
  VectorStream w;
  w.OpenWrite();
  const uint8_t bytes[2] = {0x0A, 0xFF};
  EXPECT_EQ(w.PutHex(bytes, 2), 0);
  EXPECT_EQ(w.Data(), (Bytes{'0', 'A', 'F', 'F'}));
}

TEST(Stream, PutCStringWritesNoTerminator) {
  VectorStream w;
  w.OpenWrite();
  EXPECT_EQ(w.PutCString("abc"), 0);
  EXPECT_EQ(w.Data(), (Bytes{'a', 'b', 'c'}));
}

TEST(Stream, RawBytesAreNeverSwapped) {
  VectorStream w;
  OpenBigEndianWriter(w);
  w.PutData("\x01\x02\x03", 3);
  w.PutBytes("\x04", 1);
  EXPECT_EQ(w.Data(), (Bytes{1, 2, 3, 4}));
  VectorStream r(w.Data());
  r.SetByteOrders(-2, -1);
  r.OpenRead();
  uint8_t out[6] = {};
  uint32_t length = 6;
  EXPECT_EQ(r.GetData(out, length), kStreamEndOfData);
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(out[3], 4);
}

TEST(Stream, CharactersFollowTheCharacterForm) {
  VectorStream w;
  OpenBigEndianWriter(w);
  w.SetCharForms(2, 2);
  EXPECT_EQ(w.WriteCharInForm(u'\u20AC'), 0);
  w.SetCharForms(1, 1);
  EXPECT_EQ(w.WriteCharInForm(u'A'), 0);
  w.SetCharForms(1, 2);  // unequal forms move nothing
  EXPECT_EQ(w.WriteCharInForm(u'B'), 0);
  EXPECT_EQ(w.Data(), (Bytes{0x20, 0xAC, 'A'}));

  VectorStream r(w.Data());
  r.SetByteOrders(-2, -1);
  r.OpenRead();
  char16_t c = 0;
  r.SetCharForms(2, 2);
  EXPECT_EQ(r.ReadCharInForm(c), 0);
  EXPECT_EQ(c, u'\u20AC');
  r.SetCharForms(2, 1);
  c = u'x';
  EXPECT_EQ(r.ReadCharInForm(c), 0);
  EXPECT_EQ(c, u'x');
  r.SetCharForms(1, 1);
  EXPECT_EQ(r.ReadCharInForm(c), 0);
  EXPECT_EQ(c, u'A');
}

// ---- values

TEST(Stream, PutValuePassesTheTagAndGetValueDataReadsDataOnly) {
  VectorStream w;
  OpenBigEndianWriter(w);
  RecordingValue value;
  value.value = -2;
  EXPECT_EQ(w.PutValue(value, true), 0);
  EXPECT_EQ(w.PutValue(value, false), 0);
  w << value;
  EXPECT_EQ(value.writeTags, (std::vector<uint32_t>{kTagVVAL, 0, kTagVVAL}));
  EXPECT_EQ(w.Data(), (Bytes{0, 0, 0, 3, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFE,
                             0, 0, 0, 3, 0xFF, 0xFF, 0xFF, 0xFE}));

  VectorStream r(Bytes{0, 0, 0, 9});
  r.SetByteOrders(-2, -1);
  r.OpenRead();
  RecordingValue back;
  EXPECT_EQ(r.GetValueData(back), 0);
  EXPECT_EQ(back.value, 9);
  EXPECT_EQ(back.readTags, (std::vector<uint32_t>{0}));
}

TEST(Stream, ValuesAreNotTransferredAfterAnError) {
  VectorStream w;
  w.OpenWrite();
  w.ForceStatus(kStreamEndOfData);
  RecordingValue value;
  EXPECT_EQ(w.PutValue(value, true), kStreamEndOfData);
  EXPECT_EQ(w.GetValueData(value), kStreamEndOfData);
  EXPECT_TRUE(value.writeTags.empty());
  EXPECT_TRUE(value.readTags.empty());
  w.ForceStatus(-1);  // a warning stops the put form but not the data read
  EXPECT_EQ(w.PutValue(value, true), -1);
  w.GetValueData(value);
  EXPECT_EQ(value.readTags.size(), 1u);
}

// ---- handles (these need the memory manager)

TEST(Stream, HandleIsItsLengthThenItsBytes) {
  const VMemHandle h = gMemoryMgr->NewHandleFromData("xyz", 3);
  ASSERT_NE(h, 0u);
  VectorStream w;
  OpenBigEndianWriter(w);
  RecordingHook hook;
  w.SetHook(&hook);
  w.PutHandle(h).PutHandle(h);
  EXPECT_EQ(w.WriteHandle(h), 0);
  EXPECT_EQ(hook.asked, (std::vector<uint32_t>{7, 7, 7}));
  const Bytes one{0, 0, 0, 3, 'x', 'y', 'z'};
  EXPECT_EQ(Bytes(w.Data().begin(), w.Data().begin() + 7), one);
  EXPECT_EQ(w.Data().size(), 21u);
  gMemoryMgr->DisposeHandle(h);

  VectorStream r(w.Data());
  r.SetByteOrders(-2, -1);
  r.OpenRead();
  r.SetHook(&hook);
  hook.asked.clear();
  const VMemHandle back = r.GetHandle();
  ASSERT_NE(back, 0u);
  EXPECT_EQ(hook.asked, (std::vector<uint32_t>{7}));
  ASSERT_EQ(gMemoryMgr->GetHandleSize(back), 3u);
  EXPECT_EQ(std::memcmp(gMemoryMgr->LockHandle(back), "xyz", 3), 0);
  gMemoryMgr->UnlockHandle(back);
  gMemoryMgr->DisposeHandle(back);

  VMemHandle handles[4] = {};
  uint32_t count = 4;
  EXPECT_EQ(r.ReadHandleArray(handles, count), kStreamEndOfData);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(handles[1]), 3u);
  gMemoryMgr->DisposeHandle(handles[0]);
  gMemoryMgr->DisposeHandle(handles[1]);
}

TEST(Stream, EmptyHandleRoundTripsAsAnEmptyHandle) {
  const VMemHandle empty = gMemoryMgr->NewEmptyHandle();
  VectorStream w;
  OpenBigEndianWriter(w);
  w.PutHandle(empty);
  EXPECT_EQ(w.Data(), (Bytes{0, 0, 0, 0}));
  gMemoryMgr->DisposeHandle(empty);
  VectorStream r(w.Data());
  r.SetByteOrders(-2, -1);
  r.OpenRead();
  VMemHandle back = 0;
  EXPECT_EQ(r.ReadHandle(back), 0);
  EXPECT_NE(back, 0u);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(back), 0u);
  gMemoryMgr->DisposeHandle(back);
}

TEST(Stream, HandleLengthBeyondTheDataIsRefused) {
  VectorStream r(Bytes{0x7F, 0xFF, 0xFF, 0xF0, 'a', 'b'});
  r.SetByteOrders(-2, -1);
  r.OpenRead();
  EXPECT_EQ(r.GetHandle(), 0u);
  EXPECT_EQ(r.GetStatus(), kStreamEndOfData);

  VectorStream truncated(Bytes{0, 0, 0, 4, 'a', 'b'});
  truncated.SetByteOrders(-2, -1);
  truncated.OpenRead();
  VMemHandle h = 99;
  EXPECT_EQ(truncated.ReadHandle(h), kStreamEndOfData);
  EXPECT_EQ(h, 0u);
}

TEST(Stream, HandleArrayStopsAtTheFirstFailure) {
  VectorStream r(Bytes{0, 0, 0, 1, 'a', 0, 0, 0, 9});
  r.SetByteOrders(-2, -1);
  r.OpenRead();
  VMemHandle handles[3] = {};
  uint32_t count = 3;
  EXPECT_EQ(r.ReadHandleArray(handles, count), kStreamEndOfData);
  EXPECT_EQ(count, 1u);
  gMemoryMgr->DisposeHandle(handles[0]);
}

// ---- over a real handle stream

TEST(Stream, SwappedArraysRoundTripThroughAHandleStream) {
  VMemHandle h = 0;
  std::vector<int32_t> values(1000);
  for (int i = 0; i < 1000; ++i) values[i] = i * 7919 - 3000000;
  {
    VHandleStream w(h);
    w.SetByteOrders(-2, -1);
    ASSERT_EQ(w.OpenWrite(), 0);
    EXPECT_EQ(w.PutLongArray(values.data(), 1000), 0);
    EXPECT_EQ(w.CloseWrite(1), 0);
  }
  ASSERT_EQ(gMemoryMgr->GetHandleSize(h), 4000u);
  const auto* stored = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(h));
  for (int i = 0; i < 1000; ++i) {
    const uint32_t v = uint32_t(values[i]);
    const uint8_t bigEndian[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    ASSERT_EQ(std::memcmp(stored + 4 * i, bigEndian, 4), 0) << i;
  }
  gMemoryMgr->UnlockHandle(h);
  std::vector<int32_t> back(1000);
  uint32_t count = 1000;
  VHandleStream r(h);
  r.SetByteOrders(-2, -1);
  ASSERT_EQ(r.OpenRead(), 0);
  EXPECT_EQ(r.GetLongArray(back.data(), count), 0);
  EXPECT_EQ(count, 1000u);
  EXPECT_EQ(back, values);
  r.CloseRead();
  gMemoryMgr->DisposeHandle(h);
}

namespace {

// A stream whose only search is Find: it records the bytes it is asked for.
class FindRecorder : public VStream {
 public:
  int16_t OpenRead() override { return 0; }
  int16_t OpenWrite() override { return 0; }
  int16_t CloseRead() override { return 0; }
  int16_t CloseWrite(uint8_t) override { return 0; }
  int16_t WriteBytes(const void*, uint32_t) override { return 0; }
  int16_t ReadBytes(void*, uint32_t& length) override {
    length = 0;
    return 0;
  }
  uint32_t GetSize() override { return 0; }
  uint32_t GetPosition() override { return 0; }
  int16_t SetSize(uint32_t) override { return 0; }
  int16_t SetPosition(uint32_t) override { return 0; }
  int16_t Skip(int32_t) override { return 0; }

  Bytes asked;

 protected:
  uint32_t Find(const void* value, uint32_t width) override {
    const auto* bytes = static_cast<const uint8_t*>(value);
    asked.assign(bytes, bytes + width);
    return width;
  }
};

TEST(VStream, FindByWidthPassesTheValueAsItLiesInMemory) {
  FindRecorder stream;
  EXPECT_EQ(stream.FindByte(0xAB), 1u);
  EXPECT_EQ(stream.asked, Bytes{0xAB});
  const uint16_t word = 0x1234;
  EXPECT_EQ(stream.FindWord(word), 2u);
  EXPECT_EQ(std::memcmp(stream.asked.data(), &word, 2), 0);
  const uint32_t value = 0x89ABCDEFu;
  EXPECT_EQ(stream.FindLong(value), 4u);
  EXPECT_EQ(std::memcmp(stream.asked.data(), &value, 4), 0);
}

}  // namespace
