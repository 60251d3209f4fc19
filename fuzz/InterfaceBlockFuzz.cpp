// Fuzz target of a stored interface block: the input is the block as an
// area finds it in a user's file. Its stamp is checked against a module
// with rules for area 1, then its commands and shortcuts are loaded from it
// as an area loads them, and a new block is built from it as from a module.
#include <cstring>

#include "framework/core/containers/VArrayListOf.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "views/VCommandTable.h"
#include "views/VPlugIn.h"
#include "views/VShortcut.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  VMemHandle block = gMemoryMgr->NewHandle(uint32_t(size), 0);
  if (block == 0) return 0;
  if (size != 0) {
    std::memcpy(gMemoryMgr->LockHandle(block), data, size);
    gMemoryMgr->UnlockHandle(block);
  }
  VMemHandle moduleHandle = gMemoryMgr->NewHandle(0, 0);
  {
    VMemoryResourceFile module(moduleHandle, 1);
    const uint8_t rules[6] = {1, 0, 0, 0, 0, 0};
    module.AddResource(kResTypeInterfaceRules, 1, nullptr, rules, sizeof rules);
    (void)IsInterfaceBlockValid(block, &module, 1);
  }
  {
    VMemoryResourceFile memory(block, 0);
    VCommandTable commands;
    commands.LoadCommands(&memory, 1);
    VArrayListPtrOf<VCommandKey*> keys;
    LoadKeyShortcuts(keys, &memory, 1);
    keys.RemoveAll(false);
    VStr<40> name;
    name.SetCText("Letter", 0);
    const VMemHandle built = BuildDockBlock(&memory, name, 1);
    if (built != 0) gMemoryMgr->DisposeHandle(built);
  }
  gMemoryMgr->DisposeHandle(moduleHandle);
  gMemoryMgr->DisposeHandle(block);
  return 0;
}
