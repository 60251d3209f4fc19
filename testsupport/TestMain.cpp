// Test main for the subsystem test programs: starts the framework's core
// services before the tests and stops them after, as start-up and shut-down do.
#include <gtest/gtest.h>

#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VWinMemoryMgr.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);

  // Both come from the language runtime's allocator, the heap first.
  gHeap = new VHeap();
  gMemoryMgr = new VWinMemoryMgr();

  const int result = RUN_ALL_TESTS();

  // The reverse order; the heap gives its arenas back last.
  delete gMemoryMgr;
  gMemoryMgr = nullptr;
  gHeap->Destroy();
  delete gHeap;
  gHeap = nullptr;
  return result;
}
