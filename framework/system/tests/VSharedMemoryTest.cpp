// Shared memory blocks: the header and the mapping's size, cut transfers,
// the 32-bit accesses, the read-only flag, the registry entries, a header
// made bogus by a peer, a mutex held elsewhere or abandoned, two processes
// at once, and the memory manager's copy of a block.
#include <gtest/gtest.h>

#include <sched.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/memory/VSharedBlockReader.h"
#include "framework/system/environment/VSharedMemory.h"
#include "platform/tests/WinFileMappingTestSupport.h"
#include "platform/win32/WinMutex.h"

namespace {

class SharedMemory : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qvshm-registry.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    setenv("QV_REGISTRY_ROOT", root_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("QV_REGISTRY_ROOT");
    std::filesystem::remove_all(root_);
  }

  static std::vector<std::string> Listed() {
    int32_t count = -1;
    VString** names = ListSharedMemoryNames(count);
    std::vector<std::string> out;
    for (int32_t i = 0; i < count; ++i) {
      char text[256];
      names[i]->GetCText(text, sizeof text, kCharSetAnsi);
      out.push_back(text);
    }
    if (count == 0) {
      EXPECT_EQ(names, nullptr);
    }
    DisposeSharedMemoryNames(names, count);
    return out;
  }

  static bool IsListed(const std::string& name) {
    const auto names = Listed();
    return std::find(names.begin(), names.end(), name) != names.end();
  }

  std::string root_;
};

}  // namespace

TEST_F(SharedMemory, ABlockOfTenBytesHasA24ByteMappingAndCutsTransfers) {
  EXPECT_EQ(VSharedMemory::MappingSizeFor(10), 24u);
  EXPECT_EQ(VSharedMemory::MappingSizeFor(16), 24u);
  EXPECT_EQ(VSharedMemory::MappingSizeFor(0), 8u);
  EXPECT_EQ(VSharedMemory::MappingSizeFor(0xFFFFFFFFu), 0x100000008ull);

  bool ok = false;
  VSharedMemory block(UniqueName("shm.ten").c_str(), 10, 0, ok);
  ASSERT_TRUE(ok);
  EXPECT_TRUE(block.IsCreator());
  uint32_t flag = 9;
  EXPECT_EQ(block.GetHeader(&flag), 10u);
  EXPECT_EQ(flag, 0u);
  // The header in this machine's order, in front of the data.
  const auto* header = static_cast<const uint8_t*>(block.GetData()) - 8;
  uint32_t stored[2];
  std::memcpy(stored, header, 8);
  EXPECT_EQ(stored[0], 10u);
  EXPECT_EQ(stored[1], 0u);

  const uint8_t bytes[20] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  EXPECT_EQ(block.WriteBytes(bytes, 20, 0), 10u);
  uint8_t out[20] = {};
  EXPECT_EQ(block.ReadBytes(out, 20, 4), 6u);
  EXPECT_EQ(std::memcmp(out, bytes + 4, 6), 0);
  EXPECT_EQ(out[6], 0);
  EXPECT_EQ(block.ReadBytes(out, 1, 10), 0u);
  EXPECT_EQ(block.ReadBytes(out, 1, 0xFFFFFFFFu), 0u);
  EXPECT_EQ(block.WriteBytes(bytes, 0xFFFFFFFFu, 9), 1u);
}

TEST_F(SharedMemory, AccessLongWorksOnTheAlignedNumberInsideTheData) {
  bool ok = false;
  VSharedMemory block(UniqueName("shm.long").c_str(), 16, 0, ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(block.SetLong(0x11223344, 5), 0u);  // data offset 8
  uint32_t at8;
  block.ReadBytes(&at8, 4, 8);
  EXPECT_EQ(at8, 0x11223344u);
  EXPECT_EQ(block.GetLong(8), 0x11223344u);
  EXPECT_EQ(block.AddLong(0x10, 6), 0x11223344u);
  EXPECT_EQ(block.GetLong(7), 0x11223354u);
  EXPECT_EQ(block.AccessLong(99, 8, 7), 0x11223354u);  // an unknown mode only reads
  EXPECT_EQ(block.GetLong(8), 0x11223354u);
  // Offset 13 rounds to 16: past the data, nothing is read or written.
  EXPECT_EQ(block.SetLong(1, 13), 0u);
  EXPECT_EQ(block.GetLong(12), 0u);
  EXPECT_EQ(block.GetLong(0xFFFFFFFFu), 0u);
}

TEST_F(SharedMemory, ASecondCreateOfALiveNameFails) {
  const std::string name = UniqueName("shm.twice");
  bool ok = false;
  auto* first = new VSharedMemory(name.c_str(), 8, 0, ok);
  ASSERT_TRUE(ok);
  VSharedMemory second(name.c_str(), 8, 0, ok);
  EXPECT_FALSE(ok);
  EXPECT_FALSE(second.IsCreator());
  EXPECT_EQ(second.GetData(), nullptr);
  EXPECT_EQ(second.GetHeader(), 0u);
  delete first;
  second.Create(name.c_str(), 8, 0, ok);
  EXPECT_TRUE(ok);
}

TEST_F(SharedMemory, NamesBeyond251CharactersAreRefused) {
  bool ok = true;
  VSharedMemory block(std::string(252, 'n').c_str(), 8, 0, ok);
  EXPECT_FALSE(ok);
  block.Create("", 8, 0, ok);
  EXPECT_FALSE(ok);
  block.Open(nullptr, ok);
  EXPECT_FALSE(ok);
}

TEST_F(SharedMemory, WithFlag1OnlyTheCreatorWrites) {
  const std::string name = UniqueName("shm.flag");
  bool ok = false;
  VSharedMemory creator(name.c_str(), 8, 1, ok);
  ASSERT_TRUE(ok);
  VSharedMemory reader;
  reader.Open(name.c_str(), ok);
  ASSERT_TRUE(ok);
  uint32_t flag = 0;
  EXPECT_EQ(reader.GetHeader(&flag), 8u);
  EXPECT_EQ(flag, 1u);
  EXPECT_EQ(reader.WriteBytes("abcd", 4, 0), 0u);
  EXPECT_EQ(reader.SetLong(5, 0), 0u);  // the number as it was; not set
  EXPECT_EQ(creator.GetLong(0), 0u);
  EXPECT_EQ(creator.WriteBytes("wxyz", 4, 0), 4u);
  char seen[4];
  EXPECT_EQ(reader.ReadBytes(seen, 4, 0), 4u);
  EXPECT_EQ(std::memcmp(seen, "wxyz", 4), 0);
  EXPECT_EQ(reader.AddLong(1, 0), creator.GetLong(0));  // read, not changed
  EXPECT_EQ(reader.GetLong(0), creator.GetLong(0));

  // Even when the flag is cleared later, a view mapped read-only is never written.
  uint8_t* header = static_cast<uint8_t*>(creator.GetData()) - 8;
  const uint32_t zero = 0;
  std::memcpy(header + 4, &zero, 4);
  EXPECT_EQ(reader.WriteBytes("abcd", 4, 0), 0u);
  EXPECT_EQ(reader.SetLong(5, 0), creator.GetLong(0));
  EXPECT_EQ(std::memcmp(creator.GetData(), "wxyz", 4), 0);
}

TEST_F(SharedMemory, AnotherProcessWithFlag2ReadsButCannotWrite) {
  const std::string name = UniqueName("shm.flag2");
  bool ok = false;
  VSharedMemory creator(name.c_str(), 8, 2, ok);
  ASSERT_TRUE(ok);
  creator.SetLong(77, 0);
  const int verdict = RunChild([&] {
    VSharedMemory mine;
    bool opened = false;
    mine.Open(name.c_str(), opened);
    if (!opened) return 1;
    if (mine.GetLong(0) != 77) return 2;
    if (mine.SetLong(1, 0) != 77 || mine.WriteBytes("x", 1, 4) != 0) return 3;
    if (mine.GetLong(0) != 77) return 4;
    return 0;
  });
  EXPECT_EQ(verdict, 0);
  EXPECT_EQ(creator.GetLong(0), 77u);
}

TEST_F(SharedMemory, TheCreatorAnnouncesTheBlockUntilItCloses) {
  const std::string name = UniqueName("shm.listed");
  EXPECT_FALSE(IsListed(name));
  {
    bool ok = false;
    VSharedMemory block(name.c_str(), 4, 0, ok);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(IsListed(name));
    VSharedMemory reader;
    reader.Open(name.c_str(), ok);
    ASSERT_TRUE(ok);
    reader.Close();  // a reader's close leaves the entry
    EXPECT_TRUE(IsListed(name));
  }
  EXPECT_FALSE(IsListed(name));
  EXPECT_TRUE(Listed().empty());
}

TEST_F(SharedMemory, NamesAreListedInTheRegistrysOrder) {
  ASSERT_TRUE(RegisterSharedMemoryName("second"));
  ASSERT_TRUE(RegisterSharedMemoryName("first"));
  ASSERT_TRUE(RegisterSharedMemoryName("third"));
  EXPECT_EQ(Listed(), (std::vector<std::string>{"second", "first", "third"}));
  EXPECT_TRUE(UnregisterSharedMemoryName("first"));
  EXPECT_FALSE(UnregisterSharedMemoryName("first"));
  EXPECT_EQ(Listed(), (std::vector<std::string>{"second", "third"}));
}

TEST_F(SharedMemory, OpenOfAGoneBlockRemovesItsStaleEntry) {
  const std::string name = UniqueName("shm.stale");
  ASSERT_TRUE(RegisterSharedMemoryName(name.c_str()));
  VSharedMemory block;
  bool ok = true;
  block.Open(name.c_str(), ok);
  EXPECT_FALSE(ok);
  EXPECT_FALSE(IsListed(name));
}

TEST_F(SharedMemory, ABlockWhoseCreatorDiedIsGoneAndItsEntryCleanedByTheNextOpen) {
  const std::string name = UniqueName("shm.died");
  const int verdict = RunChild([&] {
    bool ok = false;
    auto* block = new VSharedMemory(name.c_str(), 32, 0, ok);
    (void)block;  // never closed: the process ends with the block open
    return ok ? 0 : 1;
  });
  ASSERT_EQ(verdict, 0);
  EXPECT_TRUE(IsListed(name));
  VSharedMemory block;
  bool ok = true;
  block.Open(name.c_str(), ok);
  EXPECT_FALSE(ok);
  EXPECT_FALSE(IsListed(name));
  // The name is free again.
  block.Create(name.c_str(), 32, 0, ok);
  EXPECT_TRUE(ok);
}

TEST_F(SharedMemory, ABogusDataSizeFromAPeerIsNeverTrusted) {
  const std::string name = UniqueName("shm.bogus");
  bool ok = false;
  VSharedMemory creator(name.c_str(), 10, 0, ok);
  ASSERT_TRUE(ok);
  VSharedMemory peer;
  peer.Open(name.c_str(), ok);
  ASSERT_TRUE(ok);
  uint8_t* header = static_cast<uint8_t*>(peer.GetData()) - 8;
  // A size that wraps to 0 when 8 is added in 32 bits, then one past the page.
  for (const uint32_t bogus : {0xFFFFFFF8u, 0xFFFFFFFFu, 0x7FFFFFFFu, 17u}) {
    std::memcpy(header, &bogus, 4);
    uint8_t out[64];
    EXPECT_EQ(creator.GetHeader(), 0u) << bogus;
    EXPECT_EQ(creator.ReadBytes(out, sizeof out, 0), 0u) << bogus;
    EXPECT_EQ(creator.WriteBytes(out, sizeof out, 0), 0u) << bogus;
    EXPECT_EQ(creator.GetLong(12), 0u) << bogus;
  }
  // A size beyond what the opener can see of the mapping: the block is refused.
  const uint32_t pastView = 1u << 20;
  std::memcpy(header, &pastView, 4);
  VSharedMemory late;
  late.Open(name.c_str(), ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(peer.ReadBytes(header, 8, 0), 0u);
  // Put right, the block works again.
  const uint32_t ten = 10;
  std::memcpy(header, &ten, 4);
  EXPECT_EQ(creator.WriteBytes("0123456789", 10, 0), 10u);
  late.Open(name.c_str(), ok);
  EXPECT_TRUE(ok);
}

TEST_F(SharedMemory, AMutexHeldElsewhereMakesAccessesAnswer0WithoutTouchingTheBlock) {
  const std::string name = UniqueName("shm.held");
  bool ok = false;
  VSharedMemory block(name.c_str(), 8, 0, ok);
  ASSERT_TRUE(ok);
  block.SetLong(5, 0);
  int toParent[2], toChild[2];
  ASSERT_EQ(pipe(toParent), 0);
  ASSERT_EQ(pipe(toChild), 0);
  const pid_t child = StartChild([&] {
    HANDLE mutex = OpenMutexA(MUTEX_ALL_ACCESS, FALSE_, (name + "_mx").c_str());
    if (mutex == nullptr || WaitForSingleObject(mutex, 0) != WAIT_OBJECT_0) return 1;
    char c = 'h';
    if (write(toParent[1], &c, 1) != 1) return 2;
    if (read(toChild[0], &c, 1) != 1) return 3;  // hold it until told
    ReleaseMutex(mutex);
    return 0;
  });
  char c;
  ASSERT_EQ(read(toParent[0], &c, 1), 1);
  EXPECT_EQ(block.SetLong(9, 0), 0u);  // waits its 5000 ms, then gives up
  c = 'r';
  ASSERT_EQ(write(toChild[1], &c, 1), 1);
  EXPECT_EQ(WaitChild(child), 0);
  EXPECT_EQ(block.GetLong(0), 5u);
  for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) close(fd);
}

TEST_F(SharedMemory, AMutexAbandonedByADeadOwnerIsTakenOver) {
  const std::string name = UniqueName("shm.abandoned");
  bool ok = false;
  VSharedMemory block(name.c_str(), 8, 0, ok);
  ASSERT_TRUE(ok);
  const int verdict = RunChild([&] {
    HANDLE mutex = OpenMutexA(MUTEX_ALL_ACCESS, FALSE_, (name + "_mx").c_str());
    return mutex != nullptr && WaitForSingleObject(mutex, 0) == WAIT_OBJECT_0 ? 0 : 1;
  });
  ASSERT_EQ(verdict, 0);
  EXPECT_EQ(block.SetLong(3, 4), 0u);
  EXPECT_EQ(block.GetLong(4), 3u);
}

TEST_F(SharedMemory, TwoProcessesAddingToOneNumberLoseNothing) {
  const std::string name = UniqueName("shm.hammer");
  bool ok = false;
  VSharedMemory block(name.c_str(), 16, 0, ok);
  ASSERT_TRUE(ok);
  constexpr int kRounds = 5000;
  auto hammer = [&](VSharedMemory& mine) {
    // Both sides start together.
    mine.AddLong(1, 4);
    while (mine.GetLong(4) < 2) sched_yield();
    for (int i = 0; i < kRounds; ++i) mine.AddLong(1, 0);
    return 0;
  };
  const pid_t child = StartChild([&] {
    VSharedMemory mine;
    bool opened = false;
    mine.Open(name.c_str(), opened);
    if (!opened) return 9;
    const int result = hammer(mine);
    // Bytes written here are read by the parent.
    mine.WriteBytes("child", 5, 8);
    return result;
  });
  EXPECT_EQ(hammer(block), 0);
  EXPECT_EQ(WaitChild(child), 0);
  EXPECT_EQ(block.GetLong(0), uint32_t(2 * kRounds));
  char seen[5];
  EXPECT_EQ(block.ReadBytes(seen, 5, 8), 5u);
  EXPECT_EQ(std::memcmp(seen, "child", 5), 0);
}

TEST_F(SharedMemory, ABlockMadeFromAHandleHoldsItsBytes) {
  const std::string name = UniqueName("shm.handle");
  const char text[] = "handle bytes";
  const VMemHandle h = gMemoryMgr->NewHandleFromData(text, sizeof text);
  bool ok = false;
  VSharedMemory block;
  block.CreateFromHandle(name.c_str(), h, 0, ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(block.GetHeader(), sizeof text);
  EXPECT_EQ(std::memcmp(block.GetData(), text, sizeof text), 0);
  gMemoryMgr->DisposeHandle(h);
}

TEST_F(SharedMemory, TheMemoryManagerCopiesABlockByName) {
  VInstalledService<const VSharedBlockReader> installed(&kSharedBlockReader);
  const std::string name = UniqueName("shm.copy");
  bool ok = false;
  VSharedMemory block(name.c_str(), 6, 0, ok);
  ASSERT_TRUE(ok);
  block.WriteBytes("abcdef", 6, 0);
  const VMemHandle copy = gMemoryMgr->NewHandleFromShared(name.c_str());
  ASSERT_NE(copy, 0u);
  EXPECT_EQ(gMemoryMgr->GetError(), kMemNoError);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(copy), 6u);
  EXPECT_EQ(std::memcmp(gMemoryMgr->LockHandle(copy), "abcdef", 6), 0);
  gMemoryMgr->UnlockHandle(copy);
  gMemoryMgr->DisposeHandle(copy);
  // The copy closed what it opened: the block's entry and data stay.
  EXPECT_TRUE(IsListed(name));

  EXPECT_EQ(gMemoryMgr->NewHandleFromShared(UniqueName("shm.nothing").c_str()), 0u);
  EXPECT_EQ(gMemoryMgr->GetError(), kMemNoMemory);
  EXPECT_EQ(gMemoryMgr->NewHandleFromShared(nullptr), 0u);
  EXPECT_EQ(gMemoryMgr->GetError(), kMemNoMemory);
}

TEST_F(SharedMemory, WithoutAReaderNoBlockCanBeCopied) {
  VInstalledService<const VSharedBlockReader> installed(&kSharedBlockReader);
  EXPECT_TRUE(VSharedBlockReaderService::Remove(&kSharedBlockReader));
  EXPECT_EQ(VSharedBlockReaderService::Get(), nullptr);
  const std::string name = UniqueName("shm.noreader");
  bool ok = false;
  VSharedMemory block(name.c_str(), 6, 0, ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(gMemoryMgr->NewHandleFromShared(name.c_str()), 0u);
  EXPECT_EQ(gMemoryMgr->GetError(), kMemNoMemory);
}
