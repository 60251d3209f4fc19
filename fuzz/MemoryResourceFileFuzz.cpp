// Fuzz target of the memory resource file: the input read as a whole file,
// once read only over the bytes and once from a handle, which is then changed,
// written back in canonical form and read again: what was added must be
// there.
#include <cstring>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  {
    VMemoryResourceFile file(data, uint32_t(size));
    WalkResourceFile(file);
  }
  VMemHandle handle = gMemoryMgr->NewHandle(uint32_t(size), 0);
  if (handle == 0) return 0;
  if (size != 0) {
    std::memcpy(gMemoryMgr->LockHandle(handle), data, size);
    gMemoryMgr->UnlockHandle(handle);
  }
  int16_t added = -1;
  {
    VMemoryResourceFile file(handle, 0);
    WalkResourceFile(file);
    added = ChangeResourceFile(file);
    if (file.UpdateFile() != 0) added = -1;
  }
  {
    VMemoryResourceFile file(handle, 0);
    WalkResourceFile(file);
    if (added != -1 && !HasAddedResource(file, added)) __builtin_trap();
  }
  gMemoryMgr->DisposeHandle(handle);
  return 0;
}
