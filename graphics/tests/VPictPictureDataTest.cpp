// The PICT picture value: its value answers, its handle and errors, and its
// stored form with the header big-endian in the stream and native in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "framework/core/tests/FailingMemoryMgr.h"
#include "framework/core/tests/ValueStreamSupport.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VPictureMaker.h"
#include "graphics/pictures/VPictPictureData.h"

using value_tests::ByteReader;
using value_tests::BytesWritten;
using value_tests::kLittleEndian;
using Bytes = std::vector<uint8_t>;

namespace {

// A 14-byte PICT as it lies in memory: the header (size 14, frame top 10,
// left 20, bottom 110, right 320) in this machine's order, then four bytes
// of picture opcodes in big-endian order.
Bytes NativePict() {
  const int16_t header[5] = {14, 10, 20, 110, 320};
  Bytes bytes(10);
  std::memcpy(bytes.data(), header, 10);
  bytes.insert(bytes.end(), {0x00, 0x11, 0x02, 0xFF});
  return bytes;
}

// The same PICT as stored: every header field big-endian.
Bytes StoredPict() { return Bytes{0, 14, 0, 10, 0, 20, 0, 110, 0x01, 0x40, 0x00, 0x11, 0x02, 0xFF}; }

Bytes HandleBytes(uint32_t handle) {
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  Bytes bytes(data, data + size);
  gMemoryMgr->UnlockHandle(handle);
  return bytes;
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Installs the graphics picture maker for one test.
class PictureValuesInstalled {
 public:
  PictureValuesInstalled() : fInstalled(&kPictureValueMaker) {}

 private:
  VInstalledService<const VPictureMaker> fInstalled;
};

// Counts what is asked of the memory manager, and can refuse it.
class CountingMemoryMgr : public FailingMemoryMgr {
 public:
  using FailingMemoryMgr::FailingMemoryMgr;
  VMemHandle NewHandle(uint32_t size, uint16_t granule) override {
    ++handlesAsked;
    return FailingMemoryMgr::NewHandle(size, granule);
  }
  void* NewBlock(uint32_t size) override {
    ++blocksAsked;
    return FailingMemoryMgr::NewBlock(size);
  }
  int handlesAsked = 0;
  int blocksAsked = 0;
};

class ScopedCountingMemoryMgr {
 public:
  ScopedCountingMemoryMgr() : fSaved(gMemoryMgr), fFake(gMemoryMgr) { gMemoryMgr = &fFake; }
  ~ScopedCountingMemoryMgr() { gMemoryMgr = fSaved; }
  CountingMemoryMgr* operator->() { return &fFake; }

 private:
  VMemoryMgr* fSaved;
  CountingMemoryMgr fFake;
};

}  // namespace

TEST(PictPictureData, IsAPictureValueOfPictureKindOne) {
  VPictPictureData picture;
  EXPECT_EQ(picture.GetKind(), kValuePicture);
  EXPECT_EQ(picture.GetPictureKind(), kPictureKindPICT);
  EXPECT_TRUE(picture.IsSingle());
  EXPECT_FALSE(picture.HasData());
  VLong other(1);
  EXPECT_EQ(picture.Compare(other, 0, 0), -1000);
  EXPECT_EQ(picture.Compare(picture, 0, 0), -1000);
}

TEST(PictPictureData, EmptyPictureHasSizeZero) {
  VPictPictureData picture;
  int32_t width = -1, height = -1;
  picture.GetSize(width, height);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(height, 0);
}

TEST(PictPictureData, SizeComesFromTheNativeFrame) {
  const Bytes pict = NativePict();
  VPictPictureData picture(pict.data(), uint32_t(pict.size()));
  ASSERT_TRUE(picture.HasData());
  EXPECT_TRUE(picture.OwnsHandle());
  EXPECT_EQ(picture.GetWidth(), 300);
  EXPECT_EQ(picture.GetHeight(), 100);
  EXPECT_EQ(HandleBytes(picture.GetHandle()), pict);
}

TEST(PictPictureData, FrameDifferencesAreSixteenBit) {
  const int16_t header[5] = {10, -30000, -30000, 30000, 30000};
  VPictPictureData picture(header, 10);
  // 60000 does not fit 16 bits: the difference wraps as the frame's width.
  EXPECT_EQ(picture.GetWidth(), int16_t(60000));
}

TEST(PictPictureData, EmptyPictureStoresKindsAndSizeZero) {
  VPictPictureData picture;
  const Bytes bytes = BytesWritten([&](VStream& s) { EXPECT_EQ(s.PutValue(picture, true), 0); });
  EXPECT_EQ(bytes, (Bytes{0, 0, 0, 10, 0, 0, 0, 1, 0, 0, 0, 0}));

  PictureValuesInstalled installed;
  ByteReader reader(bytes);
  std::unique_ptr<VValue> back(ReadValue(reader.stream()));
  ASSERT_NE(back, nullptr);
  auto* pict = dynamic_cast<VPictPictureData*>(back.get());
  ASSERT_NE(pict, nullptr);
  EXPECT_FALSE(pict->HasData());
  EXPECT_EQ(reader.stream().GetStatus(), kStreamNoError);
}

TEST(PictPictureData, StoredHeaderIsBigEndianAndTheRestAsHeld) {
  const Bytes pict = NativePict();
  VPictPictureData picture(pict.data(), uint32_t(pict.size()));
  const Bytes bytes = BytesWritten([&](VStream& s) { s.PutValue(picture, true); });
  EXPECT_EQ(bytes, Concat(Bytes{0, 0, 0, 10, 0, 0, 0, 1, 0, 0, 0, 14}, StoredPict()));
  // Writing leaves the header native in memory.
  EXPECT_EQ(HandleBytes(picture.GetHandle()), pict);
}

TEST(PictPictureData, PictureRoundTripsWithTheHeaderNativeAgain) {
  const Bytes pict = NativePict();
  VPictPictureData picture(pict.data(), uint32_t(pict.size()));
  PictureValuesInstalled installed;
  for (const int16_t order : {value_tests::kBigEndian, kLittleEndian}) {
    const Bytes bytes = BytesWritten([&](VStream& s) { s.PutValue(picture, true); }, order);
    ByteReader reader(bytes, order);
    std::unique_ptr<VValue> back(ReadValue(reader.stream()));
    auto* pictBack = dynamic_cast<VPictPictureData*>(back.get());
    ASSERT_NE(pictBack, nullptr);
    EXPECT_EQ(HandleBytes(pictBack->GetHandle()), pict);
    EXPECT_EQ(pictBack->GetWidth(), 300);
    EXPECT_TRUE(pictBack->OwnsHandle());
    EXPECT_EQ(reader.stream().GetPosition(), uint32_t(bytes.size()));
  }
}

TEST(PictPictureData, LittleEndianStreamSwapsOnlyTheCount) {
  const Bytes pict = NativePict();
  VPictPictureData picture(pict.data(), uint32_t(pict.size()));
  const Bytes bytes = BytesWritten([&](VStream& s) { picture.WriteToStream(s, 0); }, kLittleEndian);
  // The PICT keeps its own big-endian header whatever the stream's order.
  EXPECT_EQ(bytes, Concat(Bytes{14, 0, 0, 0}, StoredPict()));
}

TEST(PictPictureData, PictureShorterThanAHeaderIsKeptAsItIs) {
  const Bytes tiny{1, 2, 3};
  VPictPictureData picture(tiny.data(), 3);
  EXPECT_EQ(picture.GetWidth(), 0);
  const Bytes bytes = BytesWritten([&](VStream& s) { picture.WriteToStream(s, 0); });
  EXPECT_EQ(bytes, (Bytes{0, 0, 0, 3, 1, 2, 3}));
  ByteReader reader(bytes);
  VPictPictureData back;
  EXPECT_EQ(back.ReadFromStream(reader.stream(), 0), kStreamNoError);
  EXPECT_EQ(HandleBytes(back.GetHandle()), tiny);
}

TEST(PictPictureData, CountBeyondTheStreamStopsWithoutAllocating) {
  const Bytes bytes = Concat(Bytes{0x7F, 0xFF, 0xFF, 0xF0}, StoredPict());
  ScopedCountingMemoryMgr memory;
  ByteReader reader(bytes);
  VPictPictureData picture;
  EXPECT_EQ(picture.ReadFromStream(reader.stream(), 0), kStreamEndOfData);
  EXPECT_EQ(memory->handlesAsked, 0);
  EXPECT_EQ(memory->blocksAsked, 0);
  EXPECT_FALSE(picture.HasData());
}

TEST(PictPictureData, TruncatedPictureKeepsThePictureHeld) {
  const Bytes pict = NativePict();
  VPictPictureData picture(pict.data(), uint32_t(pict.size()));
  const uint32_t before = picture.GetHandle();
  ByteReader reader(Bytes{0, 0, 0, 20, 1, 2, 3});
  EXPECT_EQ(picture.ReadFromStream(reader.stream(), 0), kStreamEndOfData);
  EXPECT_EQ(picture.GetHandle(), before);
  EXPECT_EQ(HandleBytes(picture.GetHandle()), pict);
}

TEST(PictPictureData, StreamEndingInsideTheCountLeavesTheValue) {
  ByteReader reader(Bytes{0, 0});
  VPictPictureData picture;
  EXPECT_EQ(picture.ReadFromStream(reader.stream(), 0), kStreamEndOfData);
  EXPECT_FALSE(picture.HasData());
}

TEST(PictPictureData, NoMemorySkipsThePictureAndKeepsTheStreamInStep) {
  const Bytes stored =
      Concat(Concat(Bytes{0, 0, 0, 14}, StoredPict()), Bytes{0, 0, 0, 3, 0, 0, 0, 9});
  ScopedCountingMemoryMgr memory;
  memory->failNew = true;
  ByteReader reader(stored);
  VPictPictureData picture;
  EXPECT_EQ(picture.ReadFromStream(reader.stream(), 0), kStreamNoError);
  EXPECT_FALSE(picture.HasData());
  EXPECT_EQ(picture.GetFirstError(), 100);
  std::unique_ptr<VValue> next(ReadValue(reader.stream()));
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->GetLong(kWholeValue), 9);
}

TEST(PictPictureData, StoredEmptyPictureEmptiesTheValue) {
  const Bytes pict = NativePict();
  VPictPictureData picture(pict.data(), uint32_t(pict.size()));
  ByteReader reader(Bytes{0, 0, 0, 0});
  EXPECT_EQ(picture.ReadFromStream(reader.stream(), 0), kStreamNoError);
  EXPECT_FALSE(picture.HasData());
}

TEST(PictPictureData, CloneHoldsItsOwnCopy) {
  const Bytes pict = NativePict();
  VPictPictureData picture(pict.data(), uint32_t(pict.size()));
  picture.SetNull(true, kWholeValue);
  std::unique_ptr<VValue> copy(picture.Clone());
  auto* pictCopy = dynamic_cast<VPictPictureData*>(copy.get());
  ASSERT_NE(pictCopy, nullptr);
  EXPECT_EQ(pictCopy->GetKind(), kValuePicture);
  EXPECT_FALSE(pictCopy->IsNull(kWholeValue));
  EXPECT_NE(pictCopy->GetHandle(), picture.GetHandle());
  EXPECT_TRUE(pictCopy->OwnsHandle());
  EXPECT_EQ(HandleBytes(pictCopy->GetHandle()), pict);

  VPictPictureData empty;
  std::unique_ptr<VValue> emptyCopy(empty.Clone());
  EXPECT_FALSE(dynamic_cast<VPictPictureData&>(*emptyCopy).HasData());
}

TEST(PictPictureData, DetachedHandleIsTheCallersAndSurvivesTheValue) {
  const Bytes pict = NativePict();
  uint32_t handle = 0;
  {
    VPictPictureData picture(pict.data(), uint32_t(pict.size()));
    handle = picture.DetachHandle();
    EXPECT_FALSE(picture.HasData());
    EXPECT_FALSE(picture.OwnsHandle());
  }
  EXPECT_EQ(HandleBytes(handle), pict);
  gMemoryMgr->DisposeHandle(handle);
}

TEST(PictPictureData, HandleNotOwnedIsNotDisposed) {
  const Bytes pict = NativePict();
  const VMemHandle handle = gMemoryMgr->NewHandleFromData(pict.data(), uint32_t(pict.size()));
  {
    VPictPictureData picture;
    picture.SetHandle(handle, false);
    EXPECT_EQ(picture.GetHandle(), handle);
    EXPECT_EQ(picture.GetWidth(), 300);
  }
  EXPECT_EQ(HandleBytes(handle), pict);
  gMemoryMgr->DisposeHandle(handle);
}

TEST(PictPictureData, OwnedHandleIsDisposedWhenReplaced) {
  ScopedCountingMemoryMgr memory;
  const Bytes pict = NativePict();
  VPictPictureData picture(pict.data(), uint32_t(pict.size()));
  picture.SetFromData(pict.data(), uint32_t(pict.size()));
  EXPECT_EQ(memory->disposes, 1);
  // Adopting the handle already held keeps it.
  picture.SetHandle(picture.GetHandle(), true);
  EXPECT_EQ(memory->disposes, 1);
  EXPECT_TRUE(picture.HasData());
}

TEST(PictPictureData, ErrorsKeepTheFirstAndTheLast) {
  VPictPictureData picture;
  picture.SetError(600);
  picture.SetError(100);
  picture.SetError(0);
  EXPECT_EQ(picture.GetFirstError(), 600);
  EXPECT_EQ(picture.GetLastError(), 100);
}

TEST(PictPictureData, MakerKnowsOnlyTheKindsWithAClass) {
  std::unique_ptr<VPictureData> pict(NewPictureData(kPictureKindPICT));
  ASSERT_NE(pict, nullptr);
  EXPECT_EQ(pict->GetPictureKind(), kPictureKindPICT);
  for (const int32_t kind : {0, 4, 5, 100, 104, 107, 108, -1})
    EXPECT_EQ(NewPictureData(kind), nullptr) << kind;
}

TEST(PictPictureData, TheInstalledMakerMakesPictureValues) {
  PictureValuesInstalled installed;
  std::unique_ptr<VValue> value(NewPictureValue(kPictureKindPICT));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->GetKind(), kValuePicture);
  EXPECT_EQ(NewPictureValue(kPictureKindDXF), nullptr);
}
