// The host field stream: loading a field's content, storing a new one, the
// field kinds the host accepts, and who disposes of each handle.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "framework/core/streams/VHostFieldStream.h"
#include "framework/core/streams/VStreamProgress.h"
#include "platform/toolbox/TbxHandles.h"
#include "testsupport/FakeHost.h"

namespace {

constexpr uint16_t kTable = 3;
constexpr uint16_t kField = 7;

std::vector<uint8_t> Sequence(size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 1);
  return bytes;
}

// True when the Toolbox no longer knows the handle.
bool Disposed(uint32_t handle) {
  Tbx::GetHandleSize(handle);
  return Tbx::MemError() == Tbx::nilHandleErr;
}

class CancelAll : public VStreamProgress {
 public:
  bool Progress(uint32_t) override { return true; }
};

}  // namespace

TEST(HostFieldStream, StartsClosedWithoutAHandle) {
  FakeHost host;
  VHostFieldStream s(kTable, kField, 0);
  EXPECT_EQ(s.GetStatus(), kStreamNotOpen);
  EXPECT_EQ(s.GetPosition(), kStreamNoPosition);
  EXPECT_EQ(s.GetSize(), 0u);
  EXPECT_EQ(s.CloseRead(), kStreamNotOpen);
  EXPECT_EQ(s.CloseWrite(1), kStreamNotOpen);
  EXPECT_EQ(host.StoreCount(), 0);
}

TEST(HostFieldStream, ReadsTheContentOfEachKindThatCarriesBytes) {
  for (int16_t kind : {kHostFieldText, kHostFieldPicture, kHostFieldBlob}) {
    FakeHost host;
    host.SetField(kTable, kField, kind, Sequence(40));
    VHostFieldStream s(kTable, kField, 0);
    ASSERT_EQ(s.OpenRead(), kStreamNoError) << kind;
    EXPECT_EQ(s.GetSize(), 40u);
    EXPECT_EQ(s.GetPosition(), 0u);
    std::vector<uint8_t> back(40);
    uint32_t length = 40;
    EXPECT_EQ(s.ReadBytes(back.data(), length), kStreamNoError);
    EXPECT_EQ(length, 40u);
    EXPECT_EQ(back, Sequence(40));
    EXPECT_EQ(s.CloseRead(), kStreamNoError);
    EXPECT_EQ(s.GetStatus(), kStreamNotOpen);
  }
}

TEST(HostFieldStream, OtherFieldKindsAreRefusedAndNothingIsLoaded) {
  for (int16_t kind : {0, 1, 4, 9, 11, 24, 29, 31}) {
    FakeHost host;
    host.SetField(kTable, kField, kind, Sequence(8));
    VHostFieldStream s(kTable, kField, 0);
    EXPECT_EQ(s.OpenRead(), kStreamNoHandle) << kind;
    EXPECT_EQ(s.GetStatus(), kStreamNoHandle);
    EXPECT_EQ(host.LoadCount(), 0);
    EXPECT_EQ(s.GetSize(), 0u);
  }
}

TEST(HostFieldStream, UnknownFieldEmptyFieldAndNoHostAreRefused) {
  {
    FakeHost host;
    VHostFieldStream s(kTable, kField, 0);
    EXPECT_EQ(s.OpenRead(), kStreamNoHandle);
  }
  {
    FakeHost host;
    host.SetField(kTable, kField, kHostFieldBlob);
    VHostFieldStream s(kTable, kField, 0);
    EXPECT_EQ(s.OpenRead(), kStreamNoHandle);
  }
  VHostBridge* previous = VHostBridgeService::Install(nullptr);
  VHostFieldStream s(kTable, kField, 0);
  EXPECT_EQ(s.OpenRead(), kStreamNoHandle);
  VHostBridgeService::Install(previous);
}

TEST(HostFieldStream, HandleShorterThanTheHostClaimsIsRefusedAndDisposedOf) {
  FakeHost host;
  host.SetField(kTable, kField, kHostFieldBlob, Sequence(10));
  host.SetClaimedLength(100);
  VHostFieldStream s(kTable, kField, 0);
  EXPECT_EQ(s.OpenRead(), kStreamNoHandle);
  EXPECT_EQ(host.LoadCount(), 1);
  EXPECT_TRUE(Disposed(host.LastLoadedHandle()));
}

TEST(HostFieldStream, LargeContentWhoseClaimKeepsOnlyLow16BitsIsRead) {
  FakeHost host;
  host.SetField(kTable, kField, kHostFieldBlob, Sequence(70000));
  VHostFieldStream s(kTable, kField, 0);
  ASSERT_EQ(s.OpenRead(), kStreamNoError);
  EXPECT_EQ(s.GetSize(), 70000u);
  s.SetPosition(69999);
  EXPECT_EQ(s.GetByte(), Sequence(70000)[69999]);
}

TEST(HostFieldStream, CloseReadDisposesOfTheLoadedHandle) {
  FakeHost host;
  host.SetField(kTable, kField, kHostFieldText, Sequence(5));
  VHostFieldStream s(kTable, kField, 0);
  ASSERT_EQ(s.OpenRead(), kStreamNoError);
  const uint32_t h = host.LastLoadedHandle();
  EXPECT_FALSE(Disposed(h));
  EXPECT_EQ(s.CloseRead(), kStreamNoError);
  EXPECT_TRUE(Disposed(h));
  // The field keeps its content: each load is a copy of it.
  EXPECT_EQ(host.FieldContent(kTable, kField), Sequence(5));
  ASSERT_EQ(s.OpenRead(), kStreamNoError);
  EXPECT_EQ(host.LoadCount(), 2);
}

TEST(HostFieldStream, DestructorDisposesOfAHandleStillHeld) {
  FakeHost host;
  host.SetField(kTable, kField, kHostFieldText, Sequence(5));
  uint32_t h;
  {
    VHostFieldStream s(kTable, kField, 0);
    ASSERT_EQ(s.OpenRead(), kStreamNoError);
    h = host.LastLoadedHandle();
  }
  EXPECT_TRUE(Disposed(h));
}

TEST(HostFieldStream, ReadsPastTheEndGiveWhatRemainsAndEndOfData) {
  FakeHost host;
  host.SetField(kTable, kField, kHostFieldBlob, Sequence(6));
  VHostFieldStream s(kTable, kField, 0);
  ASSERT_EQ(s.OpenRead(), kStreamNoError);
  std::vector<uint8_t> back(10, 0xEE);
  uint32_t length = 10;
  EXPECT_EQ(s.ReadBytes(back.data(), length), kStreamEndOfData);
  EXPECT_EQ(length, 6u);
  EXPECT_EQ(back[5], Sequence(6)[5]);
  EXPECT_EQ(back[6], 0xEE);
  length = 4;
  EXPECT_EQ(s.ReadBytes(back.data(), length), kStreamEndOfData);
  EXPECT_EQ(length, 0u);
}

TEST(HostFieldStream, TypedValuesRoundTripInMacintoshOrder) {
  FakeHost host;
  host.SetField(kTable, kField, kHostFieldBlob);
  {
    VHostFieldStream s(kTable, kField, 0);
    s.SetByteOrders(kByteOrderSetMacintosh, kByteOrderSetThisMachine);
    ASSERT_EQ(s.OpenWrite(), kStreamNoError);
    s.PutLong(0x01020304);
    s.PutWord(-2);
    EXPECT_EQ(s.CloseWrite(1), kStreamNoError);
  }
  const std::vector<uint8_t> want = {1, 2, 3, 4, 0xFF, 0xFE};
  EXPECT_EQ(host.FieldContent(kTable, kField), want);
  VHostFieldStream s(kTable, kField, 0);
  s.SetByteOrders(kByteOrderSetMacintosh, kByteOrderSetThisMachine);
  ASSERT_EQ(s.OpenRead(), kStreamNoError);
  EXPECT_EQ(s.GetLong(), 0x01020304);
  EXPECT_EQ(s.GetWord(), -2);
  EXPECT_EQ(s.GetStatus(), kStreamNoError);
  s.GetByte();
  EXPECT_EQ(s.GetStatus(), kStreamEndOfData);
}

TEST(HostFieldStream, WritingTenBytesAndTrimmingStoresTenBytes) {
  FakeHost host;
  host.SetField(kTable, kField, kHostFieldPicture, Sequence(99));
  VHostFieldStream s(kTable, kField, 0);
  ASSERT_EQ(s.OpenWrite(), kStreamNoError);
  const std::vector<uint8_t> ten = Sequence(10);
  EXPECT_EQ(s.WriteBytes(ten.data(), 10), kStreamNoError);
  EXPECT_EQ(s.GetSize(), 10u);
  EXPECT_EQ(s.CloseWrite(1), kStreamNoError);
  EXPECT_EQ(host.StoreCount(), 1);
  EXPECT_EQ(host.FieldContent(kTable, kField), ten);
  EXPECT_EQ(s.GetStatus(), kStreamNotOpen);
  EXPECT_EQ(s.GetSize(), 0u);
}

TEST(HostFieldStream, WithoutTrimTheHostIsToldTheDataSize) {
  FakeHost host;
  host.SetField(kTable, kField, kHostFieldBlob);
  VHostFieldStream s(kTable, kField, 0);
  ASSERT_EQ(s.OpenWrite(), kStreamNoError);
  const std::vector<uint8_t> bytes = Sequence(3);
  s.WriteBytes(bytes.data(), 3);
  EXPECT_EQ(s.CloseWrite(0), kStreamNoError);
  EXPECT_EQ(host.FieldContent(kTable, kField), bytes);
}

TEST(HostFieldStream, ManySmallWritesGrowTheHandle) {
  FakeHost host;
  host.SetField(kTable, kField, kHostFieldBlob);
  VHostFieldStream s(kTable, kField, 0);
  ASSERT_EQ(s.OpenWrite(), kStreamNoError);
  const std::vector<uint8_t> bytes = Sequence(3000);
  for (uint8_t b : bytes) ASSERT_EQ(s.PutByte(b), kStreamNoError);
  EXPECT_EQ(s.GetPosition(), 3000u);
  EXPECT_EQ(s.CloseWrite(1), kStreamNoError);
  EXPECT_EQ(host.FieldContent(kTable, kField), bytes);
}

TEST(HostFieldStream, OverwritingInsideKeepsTheDataSize) {
  FakeHost host;
  host.SetField(kTable, kField, kHostFieldBlob);
  VHostFieldStream s(kTable, kField, 0);
  ASSERT_EQ(s.OpenWrite(), kStreamNoError);
  s.WriteBytes("abcdef", 6);
  s.SetPosition(2);
  s.WriteBytes("XY", 2);
  EXPECT_EQ(s.GetSize(), 6u);
  EXPECT_EQ(s.FindByte('Y'), 0u);  // searches from the position, behind the Y
  EXPECT_EQ(s.FindByte('e'), 5u);
  s.SetPosition(0);
  EXPECT_EQ(s.FindByte('Y'), 4u);
  EXPECT_EQ(s.CloseWrite(1), kStreamNoError);
  const std::vector<uint8_t> want = {'a', 'b', 'X', 'Y', 'e', 'f'};
  EXPECT_EQ(host.FieldContent(kTable, kField), want);
}

TEST(HostFieldStream, RefusedStoreGives212KeepsTheFieldAndDisposesOfTheHandle) {
  FakeHost host;
  host.SetField(kTable, kField, kHostFieldBlob, Sequence(4));
  host.SetRefuseStore(true);
  VHostFieldStream s(kTable, kField, 0);
  ASSERT_EQ(s.OpenWrite(), kStreamNoError);
  s.WriteBytes("new content", 11);
  EXPECT_EQ(s.CloseWrite(1), kStreamHostRefused);
  EXPECT_EQ(host.FieldContent(kTable, kField), Sequence(4));
  EXPECT_NE(host.LastRefusedHandle(), 0u);
  EXPECT_TRUE(Disposed(host.LastRefusedHandle()));
  EXPECT_EQ(s.GetStatus(), kStreamNotOpen);
}

TEST(HostFieldStream, StoringIntoAFieldOfAnotherKindIsRefused) {
  FakeHost host;
  host.SetField(kTable, kField, 0, Sequence(4));
  VHostFieldStream s(kTable, kField, 0);
  ASSERT_EQ(s.OpenWrite(), kStreamNoError);
  s.WriteBytes("xy", 2);
  EXPECT_EQ(s.CloseWrite(1), kStreamHostRefused);
  EXPECT_EQ(host.FieldContent(kTable, kField), Sequence(4));
}

TEST(HostFieldStream, CloseWriteAfterACancelReturns218AndStoresNothing) {
  FakeHost host;
  host.SetField(kTable, kField, kHostFieldBlob, Sequence(4));
  CancelAll cancel;
  VHostFieldStream s(kTable, kField, 0);
  ASSERT_EQ(s.OpenWrite(), kStreamNoError);
  s.SetHook(&cancel);
  s.PutLong(7);
  EXPECT_EQ(s.GetStatus(), kStreamCancelled);
  EXPECT_EQ(s.CloseWrite(1), kStreamCancelled);
  EXPECT_EQ(host.StoreCount(), 0);
  EXPECT_EQ(host.FieldContent(kTable, kField), Sequence(4));
  // The stream stays as it was, still holding its handle.
  EXPECT_EQ(s.OpenWrite(), kStreamAlreadyOpen);
  s.SetHook(nullptr);
}

TEST(HostFieldStream, OpeningTwiceAnswers202) {
  FakeHost host;
  host.SetField(kTable, kField, kHostFieldBlob, Sequence(4));
  VHostFieldStream s(kTable, kField, 0);
  ASSERT_EQ(s.OpenRead(), kStreamNoError);
  EXPECT_EQ(s.OpenRead(), kStreamAlreadyOpen);
  EXPECT_EQ(s.OpenWrite(), kStreamAlreadyOpen);
  EXPECT_EQ(s.GetStatus(), kStreamNoError);
  EXPECT_EQ(host.LoadCount(), 1);
}

TEST(HostFieldStream, WrongDirectionCodes) {
  FakeHost host;
  host.SetField(kTable, kField, kHostFieldBlob, Sequence(4));
  VHostFieldStream reader(kTable, kField, 0);
  ASSERT_EQ(reader.OpenRead(), kStreamNoError);
  EXPECT_EQ(reader.WriteBytes("x", 1), kStreamReadOnly);
  EXPECT_EQ(reader.CloseWrite(1), kStreamReadOnly);
  EXPECT_EQ(reader.SetSize(10), kStreamNotOpenForWriting);

  VHostFieldStream writer(kTable, kField, 0);
  ASSERT_EQ(writer.OpenWrite(), kStreamNoError);
  uint8_t b;
  uint32_t length = 1;
  EXPECT_EQ(writer.ReadBytes(&b, length), kStreamOpenForWriting);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(writer.CloseRead(), kStreamOpenForWriting);
  EXPECT_EQ(host.StoreCount(), 0);
}

TEST(HostFieldStream, SetSizeResizesTheHandleButNotTheDataSize) {
  FakeHost host;
  host.SetField(kTable, kField, kHostFieldBlob);
  VHostFieldStream s(kTable, kField, 0);
  ASSERT_EQ(s.OpenWrite(), kStreamNoError);
  s.WriteBytes("abcdef", 6);
  EXPECT_EQ(s.SetSize(100), kStreamNoError);
  EXPECT_EQ(s.GetSize(), 6u);
  // Cut below the data: the host is told only what the handle holds.
  EXPECT_EQ(s.SetSize(4), kStreamNoError);
  EXPECT_EQ(s.GetSize(), 6u);
  EXPECT_EQ(s.CloseWrite(0), kStreamNoError);
  const std::vector<uint8_t> want = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(host.FieldContent(kTable, kField), want);
}

TEST(HostFieldStream, PositionsAndSearch) {
  FakeHost host;
  const std::vector<uint8_t> bytes = {9, 1, 2, 3, 4, 1, 2, 3, 4};
  host.SetField(kTable, kField, kHostFieldBlob, bytes);
  VHostFieldStream s(kTable, kField, 0);
  ASSERT_EQ(s.OpenRead(), kStreamNoError);
  uint32_t value;
  std::memcpy(&value, bytes.data() + 1, 4);
  EXPECT_EQ(s.FindLong(value), 2u);  // at an odd offset
  EXPECT_EQ(s.Skip(3), kStreamNoError);
  EXPECT_EQ(s.GetPosition(), 3u);
  EXPECT_EQ(s.FindLong(value), 6u);
  uint16_t word;
  std::memcpy(&word, bytes.data() + 3, 2);
  EXPECT_EQ(s.FindWord(word), 4u);
  EXPECT_EQ(s.FindByte(0x77), 0u);
  s.SetPosition(20);
  s.GetByte();
  EXPECT_EQ(s.GetStatus(), kStreamEndOfData);
  EXPECT_EQ(s.SetPosition(0), kStreamNoError);
  EXPECT_EQ(s.GetByte(), 9);
  EXPECT_EQ(s.CloseRead(), kStreamNoError);
  EXPECT_EQ(s.SetPosition(0), kStreamNotOpen);
}
