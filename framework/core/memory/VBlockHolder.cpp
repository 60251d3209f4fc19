// VBlockHolder: ownership of one fixed block.
#include "framework/core/memory/VBlockHolder.h"

#include "framework/core/memory/VMemoryMgr.h"

VBlockHolder::VBlockHolder(void* block, VMemoryMgr* manager) : fBlock(block), fManager(manager) {}

VBlockHolder::~VBlockHolder() { Release(); }

void VBlockHolder::Release() {
  if (fBlock != nullptr) {
    VMemoryMgr* manager = fManager != nullptr ? fManager : gMemoryMgr;
    if (manager != nullptr) manager->DisposeBlock(fBlock);
  }
  fBlock = nullptr;
  fManager = nullptr;
}

void* VBlockHolder::Detach(VMemoryMgr** manager) {
  void* block = fBlock;
  if (manager != nullptr) *manager = fManager;
  fBlock = nullptr;
  fManager = nullptr;
  return block;
}
