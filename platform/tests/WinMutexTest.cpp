// Named mutexes: nested ownership, exclusion between processes, time-outs,
// an owner that dies holding the mutex, and a counter hammered by two
// processes at once.
#include <gtest/gtest.h>

#include <sched.h>

#include <string>

#include "platform/tests/WinFileMappingTestSupport.h"
#include "platform/win32/WinFileMapping.h"
#include "platform/win32/WinMutex.h"

TEST(NamedMutex, WaitsNestAndNeedAsManyReleases) {
  HANDLE m = CreateMutexA(nullptr, FALSE_, UniqueName("mx.nest").c_str());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(WaitForSingleObject(m, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(m));
  EXPECT_TRUE(ReleaseMutex(m));
  EXPECT_FALSE(ReleaseMutex(m));
  EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
  EXPECT_TRUE(CloseKernelHandle(m));
}

TEST(NamedMutex, CreateOfAnExistingNameAnswersItAndOpenNeedsOne) {
  const std::string name = UniqueName("mx.names");
  EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE_, name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  HANDLE first = CreateMutexA(nullptr, FALSE_, name.c_str());
  HANDLE second = CreateMutexA(nullptr, TRUE_, name.c_str());
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  // The second create's request to own it is ignored: another process can have it.
  const int verdict = RunChild([&] {
    HANDLE mine = OpenMutexA(MUTEX_ALL_ACCESS, FALSE_, name.c_str());
    if (mine == nullptr) return 1;
    return WaitForSingleObject(mine, 0) == WAIT_OBJECT_0 && ReleaseMutex(mine) ? 0 : 2;
  });
  EXPECT_EQ(verdict, 0);
  EXPECT_TRUE(CloseKernelHandle(first));
  EXPECT_TRUE(CloseKernelHandle(second));
}

TEST(NamedMutex, AnotherProcessTimesOutWhileItIsHeld) {
  const std::string name = UniqueName("mx.held");
  HANDLE m = CreateMutexA(nullptr, TRUE_, name.c_str());  // owned from the start
  ASSERT_NE(m, nullptr);
  const int verdict = RunChild([&] {
    HANDLE mine = OpenMutexA(SYNCHRONIZE, FALSE_, name.c_str());
    if (mine == nullptr) return 1;
    if (WaitForSingleObject(mine, 0) != WAIT_TIMEOUT) return 2;
    if (WaitForSingleObject(mine, 60) != WAIT_TIMEOUT) return 3;
    // Not the owner: releasing fails.
    return ReleaseMutex(mine) ? 4 : 0;
  });
  EXPECT_EQ(verdict, 0);
  EXPECT_TRUE(ReleaseMutex(m));
  EXPECT_TRUE(CloseKernelHandle(m));
}

TEST(NamedMutex, AnOwnerThatDiesLeavesItAbandonedToTheNextWaiter) {
  const std::string name = UniqueName("mx.abandoned");
  HANDLE m = CreateMutexA(nullptr, FALSE_, name.c_str());
  ASSERT_NE(m, nullptr);
  const int verdict = RunChild([&] {
    HANDLE mine = OpenMutexA(MUTEX_ALL_ACCESS, FALSE_, name.c_str());
    if (mine == nullptr) return 1;
    return WaitForSingleObject(mine, INFINITE) == WAIT_OBJECT_0 ? 0 : 2;
    // ends holding it
  });
  ASSERT_EQ(verdict, 0);
  EXPECT_EQ(WaitForSingleObject(m, 1000), WAIT_ABANDONED);
  EXPECT_TRUE(ReleaseMutex(m));
  // Taken over, it works as before.
  EXPECT_EQ(WaitForSingleObject(m, 1000), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(m));
  EXPECT_TRUE(CloseKernelHandle(m));
}

TEST(NamedMutex, WaitOnAHandleThatIsNoMutexFails) {
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8,
                                      UniqueName("mx.notmutex").c_str());
  EXPECT_EQ(WaitForSingleObject(mapping, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(ReleaseMutex(mapping));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_TRUE(CloseKernelHandle(mapping));
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
}

TEST(NamedMutex, TwoProcessesHammeringACounterLoseNoIncrement) {
  const std::string name = UniqueName("mx.hammer");
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8,
                                      name.c_str());
  HANDLE m = CreateMutexA(nullptr, FALSE_, (name + "_mx").c_str());
  ASSERT_NE(mapping, nullptr);
  ASSERT_NE(m, nullptr);
  constexpr int kRounds = 20000;
  // A plain read, a pause and a write: without the mutex, increments are lost.
  auto hammer = [&](HANDLE map, HANDLE mutex) {
    auto* counter = static_cast<volatile uint32_t*>(MapViewOfFile(map, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (counter == nullptr) return 1;
    // Both sides start together.
    uint32_t* ready = const_cast<uint32_t*>(counter + 1);
    __atomic_add_fetch(ready, 1, __ATOMIC_SEQ_CST);
    while (__atomic_load_n(ready, __ATOMIC_SEQ_CST) < 2) sched_yield();
    for (int i = 0; i < kRounds; ++i) {
      const DWORD wait = WaitForSingleObject(mutex, 5000);
      if (wait != WAIT_OBJECT_0) return 2;
      const uint32_t seen = *counter;
      if (i % 16 == 0) sched_yield();
      *counter = seen + 1;
      if (!ReleaseMutex(mutex)) return 3;
    }
    UnmapViewOfFile(const_cast<uint32_t*>(counter));
    return 0;
  };
  const pid_t child = StartChild([&] {
    HANDLE map = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE_, name.c_str());
    HANDLE mutex = OpenMutexA(MUTEX_ALL_ACCESS, FALSE_, (name + "_mx").c_str());
    if (map == nullptr || mutex == nullptr) return 9;
    return hammer(map, mutex);
  });
  EXPECT_EQ(hammer(mapping, m), 0);
  EXPECT_EQ(WaitChild(child), 0);
  auto* counter = static_cast<uint32_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  EXPECT_EQ(*counter, uint32_t(2 * kRounds));
  UnmapViewOfFile(counter);
  EXPECT_TRUE(CloseKernelHandle(m));
  EXPECT_TRUE(CloseKernelHandle(mapping));
}
