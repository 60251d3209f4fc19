// The memory resource file: the stored bytes of a written block, blocks of the
// other byte order converted in copies only, bad and truncated blocks, the
// index and its order, loading, releasing and detaching, fresh ids, names,
// and memory that runs out.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/FailingMemoryMgr.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "platform/toolbox/TbxEnvironment.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Builds a block field by field, in this machine's order or the other.
struct Block {
  explicit Block(bool swapped = false) : swapped(swapped) {}
  Block& U32(uint32_t v) {
    if (swapped) v = __builtin_bswap32(v);
    const auto* p = reinterpret_cast<const uint8_t*>(&v);
    bytes.insert(bytes.end(), p, p + 4);
    return *this;
  }
  Block& I16(int16_t v) {
    uint16_t u = static_cast<uint16_t>(v);
    if (swapped) u = __builtin_bswap16(u);
    const auto* p = reinterpret_cast<const uint8_t*>(&u);
    bytes.insert(bytes.end(), p, p + 2);
    return *this;
  }
  Block& Raw(const Bytes& b) {
    bytes.insert(bytes.end(), b.begin(), b.end());
    return *this;
  }
  Block& Header(uint32_t count, uint32_t magic = kMemResMagic) {
    return U32(magic).U32(kMemResVersion).U32(count);
  }
  // One entry with its padding (filled with `pad`).
  Block& Entry(uint32_t type, int16_t id, const std::string& name, const Bytes& data,
               uint8_t pad = 0) {
    U32(kMemResMarker).U32(type);
    Bytes field(32, 0);
    field[0] = static_cast<uint8_t>(name.size());
    std::memcpy(field.data() + 1, name.data(), std::min<size_t>(name.size(), 31));
    Raw(field).U32(static_cast<uint32_t>(data.size())).I16(id).Raw({0, 0}).Raw(data);
    while (bytes.size() % 4 != 0) bytes.push_back(pad);
    return *this;
  }
  VMemHandle Handle() const {
    return gMemoryMgr->NewHandleFromData(bytes.data(), static_cast<uint32_t>(bytes.size()));
  }
  bool swapped;
  Bytes bytes;
};

Bytes Contents(VMemHandle h) {
  const uint32_t size = gMemoryMgr->GetHandleSize(h);
  const auto* p = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(h));
  Bytes out(p, p + size);
  gMemoryMgr->UnlockHandle(h);
  return out;
}

Bytes Data(VResourceFile& file, VResourceRef ref) {
  const uint32_t size = file.GetResourceSize(ref);
  const auto* p = static_cast<const uint8_t*>(file.LockResource(ref));
  Bytes out(p, p + size);
  file.UnlockResource(ref);
  return out;
}

uint32_t U32At(const Bytes& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

int16_t I16At(const Bytes& b, size_t at) {
  int16_t v;
  std::memcpy(&v, b.data() + at, 2);
  return v;
}

std::string Ascii(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += static_cast<char>(s.GetCharAt(i));
  return out;
}

constexpr uint32_t kWENG = FourCC("wENG");
constexpr uint32_t kXBAR = FourCC("XBAR");
constexpr uint32_t kFMAP = FourCC("FMAP");

// A container on a handle that the test disposes of after the container.
class MemoryFile : public testing::Test {
 protected:
  void TearDown() override {
    delete file_;
    file_ = nullptr;
    if (handle_ != 0) gMemoryMgr->DisposeHandle(handle_);
    handle_ = 0;
  }
  VMemoryResourceFile& Open(const Block& block) {
    handle_ = block.Handle();
    file_ = new VMemoryResourceFile(handle_, 0);
    return *file_;
  }
  VMemoryResourceFile& Create() {
    handle_ = gMemoryMgr->NewHandle(0, 0);
    file_ = new VMemoryResourceFile(handle_, 1);
    return *file_;
  }
  // Deletes the container, which writes its block when it must.
  void Close() {
    delete file_;
    file_ = nullptr;
  }
  VMemHandle handle_ = 0;
  VMemoryResourceFile* file_ = nullptr;
};

TEST_F(MemoryFile, OneResourceIsStoredInItsLayout) {
  VMemoryResourceFile& file = Create();
  const Bytes data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(file.AddResource(kWENG, 0, nullptr, data.data(), 10), 0);
  EXPECT_EQ(file.UpdateFile(), 0);
  const Bytes b = Contents(handle_);
  ASSERT_EQ(b.size(), 12u + 48u + 12u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 8), "SERV0010");
  EXPECT_EQ(U32At(b, 8), 1u);
  EXPECT_EQ(b[12], 0xA1);
  EXPECT_EQ(b[13], 0xA1);
  EXPECT_EQ(b[14], 0x8E);
  EXPECT_EQ(b[15], 0x8E);
  EXPECT_EQ(U32At(b, 16), kWENG);
  for (size_t i = 20; i < 52; ++i) EXPECT_EQ(b[i], 0) << i;  // an empty name, zero tail
  EXPECT_EQ(U32At(b, 52), 10u);
  EXPECT_EQ(I16At(b, 56), 0);
  EXPECT_EQ(b[58], 0);
  EXPECT_EQ(b[59], 0);
  EXPECT_EQ(Bytes(b.begin() + 60, b.begin() + 70), data);
  EXPECT_EQ(b[70], 0);  // padding written as zeros
  EXPECT_EQ(b[71], 0);
  EXPECT_FALSE(file.IsModified());
}

TEST_F(MemoryFile, WrittenBlocksAreTheSameEveryTime) {
  // Names and padding carry no stale bytes: two writes of the same
  // resources give the same block.
  Bytes first;
  for (int round = 0; round < 2; ++round) {
    VMemoryResourceFile& file = Create();
    VStr<40> name;
    name.SetAnsiCText("ab");
    file.AddResource(kWENG, 4, &name, "xyz", 3);
    name.SetAnsiCText("a long name that is cut");
    file.SetResourceName(kWENG, 4, &name);
    name.SetAnsiCText("c");
    file.SetResourceName(kWENG, 4, &name);
    ASSERT_EQ(file.UpdateFile(), 0);
    if (round == 0) {
      first = Contents(handle_);
    } else {
      EXPECT_EQ(Contents(handle_), first);
    }
    TearDown();
  }
  ASSERT_EQ(first.size(), 12u + 48u + 4u);
  EXPECT_EQ(first[20], 1);
  EXPECT_EQ(first[21], 'c');
  for (size_t i = 22; i < 52; ++i) EXPECT_EQ(first[i], 0) << i;
  EXPECT_EQ(first[63], 0);
}

TEST_F(MemoryFile, AFiveByteResourceTakesFiftySixBytes) {
  VMemoryResourceFile& file = Create();
  file.AddResource(kWENG, 1, nullptr, "12345", 5);
  file.AddResource(kWENG, 2, nullptr, "", 0);
  ASSERT_EQ(file.UpdateFile(), 0);
  const Bytes b = Contents(handle_);
  ASSERT_EQ(b.size(), 12u + 56u + 48u);
  EXPECT_EQ(U32At(b, 12 + 56), kMemResMarker);
}

TEST_F(MemoryFile, EntriesAreWrittenByTypeThenId) {
  VMemoryResourceFile& file = Create();
  file.AddResource(kWENG, 128, nullptr, "a", 1);
  file.AddResource(kXBAR, 0, nullptr, "b", 1);
  file.AddResource(kWENG, -5, nullptr, "c", 1);
  file.AddResource(kWENG, 0, nullptr, "d", 1);
  ASSERT_EQ(file.UpdateFile(), 0);
  const Bytes b = Contents(handle_);
  ASSERT_EQ(U32At(b, 8), 4u);
  const std::vector<std::pair<uint32_t, int16_t>> expected = {
      {kXBAR, 0}, {kWENG, -5}, {kWENG, 0}, {kWENG, 128}};
  for (size_t i = 0; i < expected.size(); ++i) {
    const size_t at = 12 + i * 52;
    EXPECT_EQ(U32At(b, at + 4), expected[i].first) << i;
    EXPECT_EQ(I16At(b, at + 44), expected[i].second) << i;
  }
  VLongArray* types = file.GetResourceTypes();
  ASSERT_NE(types, nullptr);
  ASSERT_EQ(types->Count(), 2);
  EXPECT_EQ(static_cast<uint32_t>(types->GetLong(1)), kXBAR);
  delete types;
  VWordArray* ids = file.GetResourceIds(kWENG);
  ASSERT_NE(ids, nullptr);
  ASSERT_EQ(ids->Count(), 3);
  EXPECT_EQ(ids->GetWord(1), -5);
  EXPECT_EQ(ids->GetWord(3), 128);
  delete ids;
  EXPECT_EQ(file.GetIndResourceId(kWENG, 2), 0);
  EXPECT_EQ(file.GetIndResourceId(kWENG, 4), -1);
  EXPECT_EQ(file.GetIndResourceId(kWENG, 0), -1);
  EXPECT_EQ(file.GetIndResourceId(FourCC("none"), 1), -1);
}

TEST_F(MemoryFile, ABlockIsReadBackWithItsResources) {
  VMemoryResourceFile& file = Open(Block().Header(2).Entry(kWENG, 7, "seven", {9, 8, 7}).Entry(kXBAR, -1, "", {}));
  ASSERT_TRUE(file.IsOpen());
  EXPECT_FALSE(file.IsOtherOrder());
  EXPECT_EQ(file.CountResources(kWENG), 1);
  EXPECT_EQ(file.GetResourceSizeById(kWENG, 7), 3u);
  const VResourceRef ref = file.GetResource(kWENG, 7, nullptr);
  ASSERT_NE(ref, 0u);
  EXPECT_EQ(Data(file, ref), (Bytes{9, 8, 7}));
  EXPECT_EQ(file.GetResourceId(ref), 7);
  VStr<40> name;
  file.GetResourceNameOfHandle(&name, ref);
  EXPECT_EQ(Ascii(name), "seven");
  EXPECT_TRUE(file.HasResource(kXBAR, -1));
  EXPECT_EQ(file.GetResourceSizeById(kXBAR, -1), 0u);
}

TEST_F(MemoryFile, TheOtherByteOrderIsConvertedOnLoadInACopy) {
  // An 'FMAP' of one row, big-endian as a big-endian machine writes it.
  const Bytes map = {0x00, 0x01, 'T', 'E', 'X', 'T', 'T', 'E', 'X', 'T', 'T', 'X', 'T', ' ', 0x80, 0};
  Block block(true);
  block.Header(2, kMemResMagic).Entry(kFMAP, 128, "map", map).Entry(kWENG, 3, "", {1, 2, 3, 4});
  ASSERT_EQ(std::string(block.bytes.begin(), block.bytes.begin() + 4), "VRES");
  const Bytes before = block.bytes;
  VMemoryResourceFile file(block.bytes.data(), static_cast<uint32_t>(block.bytes.size()));
  ASSERT_TRUE(file.IsOpen());
  EXPECT_TRUE(file.IsOtherOrder());
  EXPECT_EQ(file.CountResources(kFMAP), 1);
  const VResourceRef ref = file.GetResource(kFMAP, 128, nullptr);
  ASSERT_NE(ref, 0u);
  const Bytes native = Data(file, ref);
  EXPECT_EQ(I16At(native, 0), 1);
  EXPECT_EQ(U32At(native, 2), FourCC("TEXT"));
  EXPECT_EQ(U32At(native, 10), FourCC("TXT "));
  EXPECT_EQ(native[14], 0x80);
  // A type the procedure does not know stays as stored.
  EXPECT_EQ(Data(file, file.GetResource(kWENG, 3, nullptr)), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(block.bytes, before);
  EXPECT_EQ(file.UpdateFile(), 0);  // read only: nothing
  EXPECT_EQ(block.bytes, before);
}

TEST_F(MemoryFile, RewritingABlockOfTheOtherOrderMakesItNative) {
  const Bytes map = {0x00, 0x01, 'T', 'E', 'X', 'T', 'T', 'E', 'X', 'T', 'T', 'X', 'T', ' ', 0x80, 0};
  Block block(true);
  block.Header(1).Entry(kFMAP, 128, "map", map);
  VMemoryResourceFile& file = Open(block);
  ASSERT_TRUE(file.IsOtherOrder());
  Close();
  const Bytes b = Contents(handle_);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 8), "SERV0010");
  EXPECT_EQ(U32At(b, 8), 1u);
  EXPECT_EQ(U32At(b, 16), kFMAP);
  EXPECT_EQ(I16At(b, 56), 128);
  EXPECT_EQ(I16At(b, 60), 1);
  EXPECT_EQ(U32At(b, 62), FourCC("TEXT"));
  VMemoryResourceFile again(handle_, 0);
  EXPECT_FALSE(again.IsOtherOrder());
  EXPECT_EQ(I16At(Data(again, again.GetResource(kFMAP, 128, nullptr)), 0), 1);
}

uint8_t ReverseAll(uint8_t direction, uint32_t type, uint32_t size, void* data) {
  if (type != kWENG) return 0;
  auto* b = static_cast<uint8_t*>(data);
  std::reverse(b, b + size);
  return direction;
}

TEST_F(MemoryFile, TheFilesOwnSwapProcedureComesFirst) {
  Block block(true);
  block.Header(1).Entry(kWENG, 1, "", {1, 2, 3});
  VMemoryResourceFile file(block.bytes.data(), static_cast<uint32_t>(block.bytes.size()));
  EXPECT_EQ(file.SetSwapProc(&ReverseAll), nullptr);
  EXPECT_EQ(Data(file, file.GetResource(kWENG, 1, nullptr)), (Bytes{3, 2, 1}));
}

TEST_F(MemoryFile, ABadMagicLeavesTheFileClosedAndTheBlockAlone) {
  Block block;
  block.bytes = {'A', 'B', 'C', 'D', 0, 0, 0, 0, 1, 0, 0, 0};
  block.Entry(kWENG, 1, "", {1});
  VMemoryResourceFile& file = Open(block);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.UpdateFile(), kMemResNotOpen);
  EXPECT_EQ(file.AddResource(kWENG, 2, nullptr, "x", 1), -1);
  EXPECT_EQ(file.GetResource(kWENG, 1, nullptr), 0u);
  EXPECT_EQ(file.GetResourceTypes(), nullptr);
  EXPECT_EQ(file.UniqueResourceId(kWENG), 0);
  EXPECT_EQ(file.GetResourceId(1234), 0);
  Close();
  EXPECT_EQ(Contents(handle_), block.bytes);
}

TEST_F(MemoryFile, ABlockShorterThanAHeaderIsNoFile) {
  Block block;
  block.bytes = {'S', 'E', 'R', 'V', '0', '0', '1', '0', 0, 0, 0};
  EXPECT_FALSE(Open(block).IsOpen());
  VMemoryResourceFile none(static_cast<VMemHandle>(0), 0);
  EXPECT_FALSE(none.IsOpen());
  VMemoryResourceFile nothing(nullptr, 100);
  EXPECT_FALSE(nothing.IsOpen());
}

TEST_F(MemoryFile, AnEntryRunningPastTheEndStopsTheReadingAndTheBlockStays) {
  Block block;
  block.Header(3).Entry(kWENG, 1, "", {1, 2, 3, 4}).Entry(kWENG, 2, "", Bytes(40, 7));
  block.bytes.erase(block.bytes.end() - 8, block.bytes.end());  // the second one's data is cut
  VMemoryResourceFile& file = Open(block);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_TRUE(file.HasResource(kWENG, 1));
  EXPECT_FALSE(file.HasResource(kWENG, 2));
  EXPECT_FALSE(file.IsModified());
  Close();
  EXPECT_EQ(Contents(handle_), block.bytes);
}

TEST_F(MemoryFile, AHeadRunningPastTheEndStopsTheReading) {
  Block block;
  block.Header(2).Entry(kWENG, 1, "", {1, 2, 3, 4});
  block.U32(kMemResMarker).U32(kWENG).Raw(Bytes(10, 0));
  VMemoryResourceFile& file = Open(block);
  EXPECT_EQ(file.CountResources(kWENG), 1);
  EXPECT_FALSE(file.IsModified());
}

// Cut anywhere, a block keeps, in either byte order, exactly the entries
// that lie whole before the cut; the last entry's padding may be missing.
TEST_F(MemoryFile, ABlockCutAnywhereKeepsTheWholeEntriesInEitherOrder) {
  for (bool swapped : {false, true}) {
    Block block(swapped);
    block.Header(2).Entry(kWENG, 1, "one", {1, 2, 3}).Entry(kWENG, -2, "two", {4, 5, 6, 7, 8});
    const size_t firstEnd = kMemResHeaderSize + kMemResEntryHeadSize + 3;
    const size_t secondEnd = firstEnd + 1 + kMemResEntryHeadSize + 5;
    ASSERT_EQ(block.bytes.size(), secondEnd + 3);
    for (size_t cut = kMemResHeaderSize; cut <= block.bytes.size(); ++cut) {
      VMemoryResourceFile file(block.bytes.data(), static_cast<uint32_t>(cut));
      ASSERT_TRUE(file.IsOpen());
      EXPECT_EQ(file.HasResource(kWENG, 1), cut >= firstEnd) << swapped << " " << cut;
      EXPECT_EQ(file.HasResource(kWENG, -2), cut >= secondEnd) << swapped << " " << cut;
      if (cut >= secondEnd) {
        EXPECT_EQ(file.GetResourceSizeById(kWENG, -2), 5u);
      }
    }
  }
}

TEST_F(MemoryFile, ALengthNearTwoToThe32DoesNotWrapPastTheCheck) {
  Block block;
  block.Header(1).U32(kMemResMarker).U32(kWENG).Raw(Bytes(32, 0)).U32(0xFFFFFFF8u).I16(1).Raw({0, 0});
  block.Raw(Bytes(16, 1));
  VMemoryResourceFile& file = Open(block);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.CountResources(kWENG), 0);
}

TEST_F(MemoryFile, JunkBetweenEntriesIsSkippedAndUsesUpTheCount) {
  Block block;
  block.Header(4).Entry(kWENG, 1, "", {1}).U32(0xDEADBEEF).Entry(kWENG, 2, "", {2}).U32(7).Entry(kWENG, 3, "", {3});
  VMemoryResourceFile& file = Open(block);
  // Four steps: entry 1, the junk word, entry 2, the second junk word.
  EXPECT_TRUE(file.HasResource(kWENG, 1));
  EXPECT_TRUE(file.HasResource(kWENG, 2));
  EXPECT_FALSE(file.HasResource(kWENG, 3));
  // The rewrite drops the junk.
  Close();
  const Bytes b = Contents(handle_);
  EXPECT_EQ(U32At(b, 8), 2u);
  EXPECT_EQ(b.size(), 12u + 2u * 52u);
}

TEST_F(MemoryFile, ACountBeyondTheEntriesStopsAtTheEnd) {
  VMemoryResourceFile& file = Open(Block().Header(0xFFFFFFFF).Entry(kWENG, 1, "", {1}));
  EXPECT_EQ(file.CountResources(kWENG), 1);
}

TEST_F(MemoryFile, TheFirstOfTwoEqualEntriesWins) {
  VMemoryResourceFile& file = Open(Block().Header(2).Entry(kWENG, 1, "first", {1}).Entry(kWENG, 1, "second", {2}));
  EXPECT_EQ(file.CountResources(kWENG), 1);
  EXPECT_EQ(Data(file, file.GetResource(kWENG, 1, nullptr)), (Bytes{1}));
  Close();
  EXPECT_EQ(U32At(Contents(handle_), 8), 1u);
}

TEST_F(MemoryFile, ANameLongerThanItsFieldIsCut) {
  Block block;
  block.Header(1).Entry(kWENG, 1, "", {1});
  block.bytes[12 + 8] = 200;  // the name's length byte
  std::memset(block.bytes.data() + 12 + 9, 'n', 31);
  VMemoryResourceFile& file = Open(block);
  VStr<255> name;
  file.GetResourceName(&name, kWENG, 1);
  EXPECT_EQ(Ascii(name), std::string(31, 'n'));
}

TEST_F(MemoryFile, AddingAnIdInUseGivesAFreshOneAndKeepsBoth) {
  VMemoryResourceFile& file = Create();
  EXPECT_EQ(file.UniqueResourceId(kWENG), 1);
  EXPECT_EQ(file.AddResource(kWENG, -1, nullptr, "a", 1), 1);
  Tbx::SetRandomSeed(1);
  const int16_t fresh = file.AddResource(kWENG, 1, nullptr, "b", 1);
  EXPECT_NE(fresh, 1);
  EXPECT_GE(fresh, 1);
  EXPECT_LE(fresh, 31999);
  EXPECT_EQ(file.CountResources(kWENG), 2);
  EXPECT_EQ(Data(file, file.GetResource(kWENG, 1, nullptr)), (Bytes{'a'}));
}

TEST_F(MemoryFile, WhenEveryFreshIdIsTakenNoneIsGiven) {
  VMemoryResourceFile& file = Create();
  for (int32_t id = 1; id <= 31999; ++id) {
    ASSERT_EQ(file.AddResource(kWENG, static_cast<int16_t>(id), nullptr, nullptr, 0), id);
  }
  EXPECT_EQ(file.UniqueResourceId(kWENG), -1);
  EXPECT_EQ(file.AddResource(kWENG, -1, nullptr, "x", 1), -1);
  EXPECT_EQ(file.AddResource(kWENG, 5, nullptr, "x", 1), -1);
  // Other types still have ids, and ids outside the range can be given.
  EXPECT_GE(file.UniqueResourceId(kXBAR), 1);
  EXPECT_EQ(file.AddResource(kWENG, 32000, nullptr, "x", 1), 32000);
  ASSERT_TRUE(file.RemoveResource(kWENG, 17));
  EXPECT_EQ(file.UniqueResourceId(kWENG), 17);
}

TEST_F(MemoryFile, ANameOfFortyCharactersKeepsItsFirst31) {
  VMemoryResourceFile& file = Create();
  VStr<60> name;
  name.SetAnsiCText("0123456789012345678901234567890123456789");
  file.AddResource(kWENG, 1, &name, "x", 1);
  VStr<60> back;
  file.GetResourceName(&back, kWENG, 1);
  EXPECT_EQ(Ascii(back), "0123456789012345678901234567890");
  VStringArray* names = file.GetResourceNames(kWENG);
  ASSERT_NE(names, nullptr);
  EXPECT_EQ(Ascii(*names->GetAt(1)), "0123456789012345678901234567890");
  delete names;
  file.GetResourceName(&back, kWENG, 2);
  EXPECT_EQ(back.GetLength(), 0);
}

TEST_F(MemoryFile, ResourcesAreFoundByName) {
  VMemoryResourceFile& file = Create();
  VStr<20> name;
  name.SetAnsiCText("Menu");
  file.AddResource(kWENG, 300, &name, "a", 1);
  file.AddResource(kWENG, 200, &name, "b", 1);
  name.SetAnsiCText("Other");
  file.AddResource(kWENG, 128, &name, "c", 1);
  VStr<20> query;
  query.SetAnsiCText("menu");
  // The lowest id of the name; names compare without regard to case.
  EXPECT_EQ(file.GetNamedResourceId(kWENG, &query), 200);
  EXPECT_EQ(file.GetCNamedResourceId(kWENG, "Other"), 128);
  const uint8_t pascal[] = {4, 'M', 'e', 'n', 'u'};
  EXPECT_EQ(file.GetPNamedResourceId(kWENG, pascal), 200);
  EXPECT_EQ(file.GetCNamedResourceId(kXBAR, "Menu"), -1);
  EXPECT_EQ(file.GetCNamedResourceId(kWENG, "None"), -1);
  uint8_t owned = 7;
  EXPECT_EQ(Data(file, file.GetCNamedResource(kWENG, "Menu", &owned)), (Bytes{'b'}));
  EXPECT_EQ(owned, 0);
  // A name that is a number stands for the id.
  query.SetAnsiCText("128");
  EXPECT_EQ(Data(file, file.GetNamedResource(kWENG, &query, &owned)), (Bytes{'c'}));
  query.SetAnsiCText("0128");
  EXPECT_EQ(file.GetNamedResource(kWENG, &query, &owned), 0u);
  query.SetAnsiCText("Menu");
  EXPECT_TRUE(file.RemoveNamedResource(kWENG, &query));
  EXPECT_FALSE(file.HasResource(kWENG, 200));
  EXPECT_TRUE(file.HasResource(kWENG, 300));
  query.SetAnsiCText("Nothing");
  EXPECT_FALSE(file.RemoveNamedResource(kWENG, &query));
}

// A name no resource has finds nothing, in each of its three forms, also
// when a resource with id -1 (the "none" id) stands beside the named ones.
TEST_F(MemoryFile, AnUnknownNameFindsNothingBesideAnIdOfMinusOne) {
  VMemoryResourceFile& file =
      Open(Block().Header(2).Entry(kWENG, -1, "Minus", {1}).Entry(kWENG, 5, "Five", {5}));
  struct Case {
    const char* name;
    Bytes data;  // empty: nothing is found
  };
  const Case cases[] = {{"Nothing", {}}, {"Five", {5}}, {"five", {5}}};
  for (const Case& c : cases) {
    VStr<20> text;
    text.SetAnsiCText(c.name);
    uint8_t pascal[21] = {static_cast<uint8_t>(std::strlen(c.name))};
    std::memcpy(pascal + 1, c.name, pascal[0]);
    uint8_t owned = 7;
    const VResourceRef refs[] = {file.GetCNamedResource(kWENG, c.name, &owned),
                                 file.GetPNamedResource(kWENG, pascal, &owned),
                                 file.GetNamedResource(kWENG, &text, &owned)};
    for (const VResourceRef ref : refs) {
      EXPECT_EQ(ref == 0 ? Bytes{} : Data(file, ref), c.data) << c.name;
      EXPECT_EQ(owned, 0) << c.name;
    }
  }
  // The number -1 written as a name still stands for that id.
  VStr<20> number;
  number.SetAnsiCText("-1");
  EXPECT_EQ(Data(file, file.GetNamedResource(kWENG, &number, nullptr)), (Bytes{1}));
}

// The index-th resource of a type, in ascending id order; an index outside
// the type finds nothing, not the resource with id -1.
TEST_F(MemoryFile, AnIndexOutsideTheTypeFindsNothingBesideAnIdOfMinusOne) {
  VMemoryResourceFile& file =
      Open(Block().Header(2).Entry(kWENG, 5, "Five", {5}).Entry(kWENG, -1, "Minus", {1}));
  const std::pair<int16_t, Bytes> cases[] = {{1, {1}}, {2, {5}}, {0, {}}, {3, {}}, {-1, {}}};
  for (const auto& [index, data] : cases) {
    uint8_t owned = 7;
    const VResourceRef ref = file.GetIndResource(kWENG, index, &owned);
    EXPECT_EQ(ref == 0 ? Bytes{} : Data(file, ref), data) << index;
    EXPECT_EQ(owned, 0) << index;
  }
  EXPECT_EQ(file.GetIndResource(kXBAR, 1, nullptr), 0u);
}

TEST_F(MemoryFile, ALoadedResourceStaysUntilItsLastRelease) {
  VMemoryResourceFile& file = Open(Block().Header(1).Entry(kWENG, 1, "", {5, 6}));
  const VResourceRef a = file.GetResource(kWENG, 1, nullptr);
  const VResourceRef b = file.GetResource(kWENG, 1, nullptr);
  EXPECT_EQ(a, b);
  file.ReleaseResource(a);
  EXPECT_EQ(file.GetResourceSize(a), 2u);
  file.ReleaseResource(a);
  // Disposed: the reference is no longer known.
  EXPECT_EQ(file.GetResourceSize(a), 0u);
  EXPECT_EQ(file.GetResourceId(a), -1);
  // Loaded again from the block.
  EXPECT_EQ(Data(file, file.GetResource(kWENG, 1, nullptr)), (Bytes{5, 6}));
  file.ReleaseResourceById(kWENG, 1);
}

TEST_F(MemoryFile, AChangedResourceKeepsItsHandleWhenReleased) {
  VMemoryResourceFile& file = Open(Block().Header(1).Entry(kWENG, 1, "", {5, 6}));
  const VResourceRef ref = file.GetResource(kWENG, 1, nullptr);
  auto* data = static_cast<uint8_t*>(file.LockResource(ref));
  data[0] = 50;
  file.UnlockResource(ref);
  file.WriteResource(ref);
  file.ReleaseResource(ref);
  EXPECT_EQ(Data(file, file.GetResource(kWENG, 1, nullptr)), (Bytes{50, 6}));
  Close();
  const Bytes b = Contents(handle_);
  EXPECT_EQ(b[60], 50);
}

TEST_F(MemoryFile, UnmarkedChangesToALoadedCopyAreNotStored) {
  VMemoryResourceFile& file = Open(Block().Header(1).Entry(kWENG, 1, "", {5, 6}));
  ASSERT_EQ(file.UpdateFile(), 0);
  const VResourceRef ref = file.GetResource(kWENG, 1, nullptr);
  static_cast<uint8_t*>(file.LockResource(ref))[0] = 99;
  file.UnlockResource(ref);
  file.ReleaseResource(ref);
  Close();
  EXPECT_EQ(Contents(handle_)[60], 5);
}

TEST_F(MemoryFile, ResizingAResourceIsStored) {
  VMemoryResourceFile& file = Open(Block().Header(1).Entry(kWENG, 1, "", {1, 2, 3, 4, 5, 6}));
  ASSERT_EQ(file.UpdateFile(), 0);
  const VResourceRef ref = file.GetResource(kWENG, 1, nullptr);
  ASSERT_TRUE(file.SetResourceSize(ref, 2));
  EXPECT_TRUE(file.IsModified());
  EXPECT_EQ(file.GetResourceSizeById(kWENG, 1), 2u);
  Close();
  const Bytes b = Contents(handle_);
  EXPECT_EQ(U32At(b, 52), 2u);
  EXPECT_EQ(b.size(), 12u + 52u);
}

TEST_F(MemoryFile, DetachingAnUnchangedResourceHandsItsHandleOver) {
  VMemoryResourceFile& file = Open(Block().Header(1).Entry(kWENG, 1, "", {1, 2}));
  const VResourceRef ref = file.GetResource(kWENG, 1, nullptr);
  const VMemHandle mine = file.DetachResource(ref);
  EXPECT_EQ(mine, ref);
  EXPECT_EQ(Contents(mine), (Bytes{1, 2}));
  const VResourceRef again = file.GetResource(kWENG, 1, nullptr);
  EXPECT_NE(again, 0u);
  EXPECT_NE(again, mine);
  EXPECT_EQ(Data(file, again), (Bytes{1, 2}));
  gMemoryMgr->DisposeHandle(mine);
  EXPECT_EQ(file.DetachResource(0), 0u);
}

TEST_F(MemoryFile, DetachingAChangedResourceHandsOverACopy) {
  VMemoryResourceFile& file = Create();
  file.AddResource(kWENG, 1, nullptr, "ab", 2);
  const VResourceRef ref = file.GetResource(kWENG, 1, nullptr);
  const VMemHandle copy = file.DetachResource(ref);
  ASSERT_NE(copy, 0u);
  EXPECT_NE(copy, ref);
  EXPECT_EQ(Contents(copy), (Bytes{'a', 'b'}));
  gMemoryMgr->DisposeHandle(copy);
  ASSERT_EQ(file.UpdateFile(), 0);
  EXPECT_EQ(Contents(handle_).size(), 12u + 52u);
}

TEST_F(MemoryFile, RemovingEveryResourceOfAType) {
  VMemoryResourceFile& file = Create();
  for (int16_t id : {3, 1, 2}) file.AddResource(kWENG, id, nullptr, "x", 1);
  file.AddResource(kXBAR, 1, nullptr, "y", 1);
  EXPECT_TRUE(file.RemoveResources(kWENG));
  EXPECT_EQ(file.CountResources(kWENG), 0);
  EXPECT_EQ(file.GetResourceIds(kWENG), nullptr);
  EXPECT_TRUE(file.RemoveResources(kWENG));
  const VResourceRef ref = file.GetResource(kXBAR, 1, nullptr);
  EXPECT_TRUE(file.RemoveResourceHandle(ref));
  EXPECT_FALSE(file.RemoveResourceHandle(ref));
  EXPECT_EQ(file.GetResourceTypes(), nullptr);
  ASSERT_EQ(file.UpdateFile(), 0);
  EXPECT_EQ(Contents(handle_).size(), 12u);
}

TEST_F(MemoryFile, StringListsAreReadThroughTheIndexedStrings) {
  VMemoryResourceFile& file = Create();
  const Bytes list = {2, 0, 3, 'o', 'n', 'e', 3, 't', 'w', 'o'};
  Bytes native = list;
  const int16_t count = 2;
  std::memcpy(native.data(), &count, 2);
  file.AddResource(FourCC("STR#"), 500, nullptr, native.data(), static_cast<uint32_t>(native.size()));
  VStr<20> out;
  file.GetIndString(&out, 500, 2);
  EXPECT_EQ(Ascii(out), "two");
  // Removing the cached list lets it go first.
  EXPECT_TRUE(file.RemoveResource(FourCC("STR#"), 500));
  file.GetIndString(&out, 500, 1);
  EXPECT_EQ(out.GetLength(), 0);
}

TEST_F(MemoryFile, ABlockGivenByAddressIsReadOnly) {
  Block block;
  block.Header(1).Entry(kWENG, 1, "", {1});
  VMemoryResourceFile file(block.bytes.data(), static_cast<uint32_t>(block.bytes.size()));
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.AddResource(kWENG, 2, nullptr, "x", 1), -1);
  EXPECT_EQ(file.UpdateFile(), 0);
  EXPECT_FALSE(file.RemoveResource(kWENG, 1));
  const VResourceRef ref = file.GetResource(kWENG, 1, nullptr);
  EXPECT_FALSE(file.SetResourceSize(ref, 10));
  EXPECT_EQ(file.GetCharSet(), 0);
}

TEST_F(MemoryFile, ManyResourcesSurviveARoundTrip) {
  VMemoryResourceFile& file = Create();
  std::vector<Bytes> datas;
  for (int i = 0; i < 50; ++i) {
    Bytes d(static_cast<size_t>(i * 3), static_cast<uint8_t>(i));
    datas.push_back(d);
    ASSERT_EQ(file.AddResource(FourCC("dat1") + static_cast<uint32_t>(i % 3), static_cast<int16_t>(i), nullptr,
                               d.data(), static_cast<uint32_t>(d.size())),
              i);
  }
  Close();
  const Bytes stored = Contents(handle_);
  VMemoryResourceFile back(stored.data(), static_cast<uint32_t>(stored.size()));
  for (int i = 0; i < 50; ++i) {
    const VResourceRef ref = back.GetResource(FourCC("dat1") + static_cast<uint32_t>(i % 3), static_cast<int16_t>(i), nullptr);
    ASSERT_NE(ref, 0u) << i;
    EXPECT_EQ(Data(back, ref), datas[i]) << i;
  }
}

TEST_F(MemoryFile, OutOfMemoryWhileWritingLeavesTheBlockAsItWas) {
  VMemoryResourceFile& file = Open(Block().Header(1).Entry(kWENG, 1, "", {1, 2, 3}));
  file.AddResource(kWENG, 2, nullptr, "new", 3);
  const Bytes before = Contents(handle_);
  {
    ScopedFailingMemoryMgr failing;
    failing->failResize = true;
    EXPECT_EQ(file.UpdateFile(), kMemNoMemory);
    failing->failResize = false;
    failing->failNew = true;
    EXPECT_EQ(file.UpdateFile(), kMemNoMemory);
  }
  EXPECT_EQ(Contents(handle_), before);
  EXPECT_TRUE(file.IsModified());
  EXPECT_EQ(file.UpdateFile(), 0);
  EXPECT_EQ(U32At(Contents(handle_), 8), 2u);
}

TEST_F(MemoryFile, AHandleThatCannotBeSizedGetsNothing) {
  VMemoryResourceFile& file = Open(Block().Header(1).Entry(kWENG, 1, "", {1, 2, 3}));
  {
    ScopedFailingMemoryMgr failing;
    failing->failResize = true;
    EXPECT_EQ(file.GetResource(kWENG, 1, nullptr), 0u);
    failing->failResize = false;
    failing->failNew = true;
    EXPECT_EQ(file.GetResource(kWENG, 1, nullptr), 0u);
    EXPECT_EQ(file.AddResource(kWENG, 9, nullptr, "x", 1), -1);
  }
  EXPECT_FALSE(file.HasResource(kWENG, 9));
  EXPECT_EQ(Data(file, file.GetResource(kWENG, 1, nullptr)), (Bytes{1, 2, 3}));
}

}  // namespace
