// Named file mappings: creation and reuse of a name, views and their rights,
// the lifetime of an object across handles, views and processes, names that
// POSIX cannot take as they stand.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>

#include <cstring>
#include <string>

#include "platform/tests/WinFileMappingTestSupport.h"
#include "platform/win32/WinFiles.h"
#include "platform/win32/WinFileMapping.h"
#include "platform/win32/WinFileMapping_p.h"
#include "platform/win32/WinMutex.h"

namespace {

HANDLE CreateMapping(const std::string& name, DWORD size, DWORD protect = PAGE_READWRITE) {
  return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, protect, 0, size, name.c_str());
}

}  // namespace

TEST(FileMapping, NewMappingIsZeroFilledAndSharedByASecondCreate) {
  const std::string name = UniqueName("map.create");
  HANDLE first = CreateMapping(name, 100);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  auto* a = static_cast<uint8_t*>(MapViewOfFile(first, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(a, nullptr);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(a[i], 0) << i;
  std::memcpy(a, "shared", 6);

  HANDLE second = CreateMapping(name, 100);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_NE(second, first);
  auto* b = static_cast<uint8_t*>(MapViewOfFile(second, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(std::memcmp(b, "shared", 6), 0);

  EXPECT_TRUE(UnmapViewOfFile(a));
  EXPECT_TRUE(UnmapViewOfFile(b));
  EXPECT_TRUE(CloseKernelHandle(first));
  EXPECT_TRUE(CloseKernelHandle(second));
}

TEST(FileMapping, OpenOfAnUnknownNameFailsWithFileNotFound) {
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE_, UniqueName("map.none").c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(FileMapping, TheLastHandleClosedRemovesTheObject) {
  const std::string name = UniqueName("map.last");
  HANDLE created = CreateMapping(name, 16);
  HANDLE opened = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE_, name.c_str());
  ASSERT_NE(opened, nullptr);
  EXPECT_TRUE(CloseKernelHandle(created));
  HANDLE again = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE_, name.c_str());
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(CloseKernelHandle(again));
  EXPECT_TRUE(CloseKernelHandle(opened));
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE_, name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  // The name is free for a new object, which starts from zeros.
  HANDLE fresh = CreateMapping(name, 16);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_TRUE(CloseKernelHandle(fresh));
}

TEST(FileMapping, CloseHandleClosesMappingsAndMutexesToo) {
  const std::string name = UniqueName("map.closehandle");
  HANDLE mapping = CreateMapping(name, 16);
  HANDLE mutex = CreateMutexA(nullptr, FALSE_, UniqueName("mx.closehandle").c_str());
  ASSERT_NE(mapping, nullptr);
  ASSERT_NE(mutex, nullptr);
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_TRUE(CloseHandle(mutex));
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE_, name.c_str()), nullptr);
  // A second close of the same value is refused.
  EXPECT_FALSE(CloseHandle(mapping));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(FileMapping, AViewKeepsTheObjectAfterItsHandleCloses) {
  const std::string name = UniqueName("map.view");
  HANDLE h = CreateMapping(name, 32);
  auto* view = static_cast<uint8_t*>(MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  view[31] = 0x5A;
  EXPECT_TRUE(CloseKernelHandle(h));
  HANDLE opened = OpenFileMappingA(FILE_MAP_READ, FALSE_, name.c_str());
  ASSERT_NE(opened, nullptr);
  auto* other = static_cast<uint8_t*>(MapViewOfFile(opened, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other[31], 0x5A);
  EXPECT_TRUE(UnmapViewOfFile(other));
  EXPECT_TRUE(CloseKernelHandle(opened));
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE_, name.c_str()), nullptr);
}

TEST(FileMapping, WriteViewsNeedAHandleThatAllowsWriting) {
  const std::string name = UniqueName("map.rights");
  HANDLE readOnly = CreateMapping(name, 8, PAGE_READONLY);
  ASSERT_NE(readOnly, nullptr);
  EXPECT_EQ(MapViewOfFile(readOnly, FILE_MAP_WRITE, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  HANDLE reader = OpenFileMappingA(FILE_MAP_READ, FALSE_, name.c_str());
  EXPECT_EQ(MapViewOfFile(reader, FILE_MAP_ALL_ACCESS, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  void* view = MapViewOfFile(reader, FILE_MAP_READ, 0, 0, 0);
  ASSERT_NE(view, nullptr);
  MEMORY_BASIC_INFORMATION info;
  ASSERT_EQ(VirtualQuery(view, &info, sizeof info), sizeof info);
  EXPECT_EQ(info.Protect, PAGE_READONLY);
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(CloseKernelHandle(reader));
  EXPECT_TRUE(CloseKernelHandle(readOnly));
}

TEST(FileMapping, ViewsAreBoundedByTheMappingAndAlignedTo64K) {
  const std::string name = UniqueName("map.bounds");
  HANDLE h = CreateMapping(name, 24);
  EXPECT_EQ(MapViewOfFile(h, FILE_MAP_READ, 0, 0, 25), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MapViewOfFile(h, FILE_MAP_READ, 0, 4096, 0), nullptr);
  EXPECT_NE(GetLastError(), ERROR_SUCCESS);
  EXPECT_TRUE(CloseKernelHandle(h));

  HANDLE big = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 0x30000,
                                  UniqueName("map.big").c_str());
  auto* tail = static_cast<uint8_t*>(MapViewOfFile(big, FILE_MAP_ALL_ACCESS, 0, 0x20000, 0));
  auto* whole = static_cast<uint8_t*>(MapViewOfFile(big, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(tail, nullptr);
  ASSERT_NE(whole, nullptr);
  tail[0] = 7;
  EXPECT_EQ(whole[0x20000], 7);
  EXPECT_TRUE(UnmapViewOfFile(tail));
  EXPECT_TRUE(UnmapViewOfFile(whole));
  EXPECT_TRUE(CloseKernelHandle(big));
}

TEST(FileMapping, VirtualQueryTellsTheViewInWholePages) {
  HANDLE h = CreateMapping(UniqueName("map.query"), 24);
  auto* view = static_cast<uint8_t*>(MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  MEMORY_BASIC_INFORMATION info;
  ASSERT_EQ(VirtualQuery(view + 10, &info, sizeof info), sizeof info);
  const SIZE_T page = SIZE_T(sysconf(_SC_PAGESIZE));
  EXPECT_EQ(info.BaseAddress, view);
  EXPECT_EQ(info.AllocationBase, view);
  EXPECT_EQ(info.RegionSize, page);
  EXPECT_EQ(info.Type, MEM_MAPPED);
  EXPECT_EQ(VirtualQuery(view + page, &info, sizeof info), 0u);
  int local = 0;
  EXPECT_EQ(VirtualQuery(&local, &info, sizeof info), 0u);
  EXPECT_TRUE(FlushViewOfFile(view, 0));
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_FALSE(UnmapViewOfFile(view));
  EXPECT_FALSE(FlushViewOfFile(view, 0));
  EXPECT_TRUE(CloseKernelHandle(h));
}

TEST(FileMapping, RefusesWhatItDoesNotOffer) {
  const std::string name = UniqueName("map.refused");
  EXPECT_EQ(CreateMapping(name, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(CreateFileMappingA(nullptr, nullptr, PAGE_READWRITE, 0, 8, name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(CreateMapping("", 8), nullptr);
  EXPECT_EQ(CreateMapping(std::string(300, 'n'), 8), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
  EXPECT_FALSE(CloseKernelHandle(nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(MapViewOfFile(reinterpret_cast<HANDLE>(0x1234), FILE_MAP_READ, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(FileMapping, ANameInUseByAMutexIsNoMapping) {
  const std::string name = UniqueName("map.kind");
  HANDLE mutex = CreateMutexA(nullptr, FALSE_, name.c_str());
  ASSERT_NE(mutex, nullptr);
  EXPECT_EQ(CreateMapping(name, 8), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE_, name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_TRUE(CloseKernelHandle(mutex));
}

TEST(FileMapping, NamesWithSlashesAndLongNamesStayDistinct) {
  const std::string slash = UniqueName("a/b%c");
  const std::string escaped = UniqueName("a%2Fb%25c");
  HANDLE h1 = CreateMapping(slash, 8);
  ASSERT_NE(h1, nullptr);
  HANDLE h2 = CreateMapping(escaped, 8);
  ASSERT_NE(h2, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);  // not the same object

  // Names of 251 and more characters do not fit a POSIX name as they stand.
  const std::string longA = UniqueName(std::string(240, 'x') + "A");
  const std::string longB = UniqueName(std::string(240, 'x') + "B");
  ASSERT_GT(longA.size(), 251u);
  HANDLE l1 = CreateMapping(longA, 8);
  ASSERT_NE(l1, nullptr);
  HANDLE l2 = CreateMapping(longB, 8);
  ASSERT_NE(l2, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  auto* v1 = static_cast<uint8_t*>(MapViewOfFile(l1, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  v1[0] = 1;
  HANDLE l1again = OpenFileMappingA(FILE_MAP_READ, FALSE_, longA.c_str());
  auto* v1again = static_cast<uint8_t*>(MapViewOfFile(l1again, FILE_MAP_READ, 0, 0, 0));
  EXPECT_EQ(v1again[0], 1);
  UnmapViewOfFile(v1);
  UnmapViewOfFile(v1again);
  for (HANDLE h : {h1, h2, l1, l2, l1again}) EXPECT_TRUE(CloseKernelHandle(h));
}

TEST(FileMapping, TwoProcessesSeeEachOthersWrites) {
  const std::string name = UniqueName("map.twoproc");
  HANDLE h = CreateMapping(name, 64);
  auto* view = static_cast<volatile uint8_t*>(MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  view[0] = 42;
  const int verdict = RunChild([&] {
    HANDLE opened = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE_, name.c_str());
    if (opened == nullptr) return 1;
    auto* mine = static_cast<uint8_t*>(MapViewOfFile(opened, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (mine == nullptr) return 2;
    if (mine[0] != 42) return 3;
    mine[1] = 43;
    UnmapViewOfFile(mine);
    CloseKernelHandle(opened);
    return 0;
  });
  EXPECT_EQ(verdict, 0);
  EXPECT_EQ(view[1], 43);
  UnmapViewOfFile(const_cast<uint8_t*>(view));
  EXPECT_TRUE(CloseKernelHandle(h));
}

TEST(FileMapping, AProcessThatDiedNoLongerHoldsItsObjects) {
  const std::string name = UniqueName("map.dead");
  const int verdict = RunChild([&] {
    HANDLE h = CreateMapping(name, 16);
    return h != nullptr && MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, 0) != nullptr ? 0 : 1;
    // ends without closing anything
  });
  ASSERT_EQ(verdict, 0);
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE_, name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  HANDLE fresh = CreateMapping(name, 16);
  EXPECT_NE(fresh, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_TRUE(CloseKernelHandle(fresh));
}

TEST(FileMapping, AChildOfForkStartsWithoutItsParentsHandles) {
  const std::string name = UniqueName("map.fork");
  HANDLE h = CreateMapping(name, 16);
  const int verdict = RunChild([&] {
    if (CloseKernelHandle(h)) return 1;
    // Its own open counts it among the users, apart from the parent.
    HANDLE mine = OpenFileMappingA(FILE_MAP_READ, FALSE_, name.c_str());
    return mine != nullptr && CloseKernelHandle(mine) ? 0 : 2;
  });
  EXPECT_EQ(verdict, 0);
  HANDLE still = OpenFileMappingA(FILE_MAP_READ, FALSE_, name.c_str());
  EXPECT_NE(still, nullptr);
  EXPECT_TRUE(CloseKernelHandle(still));
  EXPECT_TRUE(CloseKernelHandle(h));
}

TEST(FileMapping, ASizeChangedInTheSharedPageIsNotBelieved) {
  const std::string name = UniqueName("map.corrupt");
  HANDLE h = CreateMapping(name, 16);
  ASSERT_NE(h, nullptr);
  // Another user of the object writes a size far beyond its memory.
  const int fd = shm_open(("/qv." + name).c_str(), O_RDWR, 0);
  ASSERT_GE(fd, 0);
  const size_t pageBytes = size_t(sysconf(_SC_PAGESIZE));
  const size_t controlBytes = (sizeof(qvkernel::Control) + pageBytes - 1) / pageBytes * pageBytes;
  void* page = mmap(nullptr, controlBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  ASSERT_NE(page, MAP_FAILED);
  auto* control = static_cast<qvkernel::Control*>(page);
  EXPECT_EQ(control->size, 16u);
  control->size = uint64_t(1) << 40;
  // Views of this handle keep the size checked when it was opened.
  void* view = MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  ASSERT_NE(view, nullptr);
  MEMORY_BASIC_INFORMATION info;
  ASSERT_EQ(VirtualQuery(view, &info, sizeof info), sizeof info);
  EXPECT_EQ(info.RegionSize, SIZE_T(sysconf(_SC_PAGESIZE)));
  EXPECT_TRUE(UnmapViewOfFile(view));
  // A process that opens it now finds a page that does not fit its memory.
  const int verdict = RunChild([&] {
    HANDLE opened = OpenFileMappingA(FILE_MAP_READ, FALSE_, name.c_str());
    return opened == nullptr && GetLastError() == ERROR_INVALID_HANDLE ? 0 : 1;
  });
  EXPECT_EQ(verdict, 0);
  control->size = 16;
  munmap(page, controlBytes);
  close(fd);
  EXPECT_TRUE(CloseKernelHandle(h));
}
