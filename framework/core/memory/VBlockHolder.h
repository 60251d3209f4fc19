// VBlockHolder: an object that owns one fixed block of a memory manager and
// frees it when released or destroyed, unless the block was detached first.
#pragma once

#include "framework/core/VObject.h"

class VMemoryMgr;

class VBlockHolder : public VObject {
 public:
  // Takes `block` (from `manager`'s NewBlock family; a null manager means the
  // global one at the time the block is freed).
  explicit VBlockHolder(void* block = nullptr, VMemoryMgr* manager = nullptr);
  VBlockHolder(const VBlockHolder&) = delete;
  VBlockHolder& operator=(const VBlockHolder&) = delete;
  ~VBlockHolder() override;

  void* GetBlock() const { return fBlock; }
  VMemoryMgr* GetManager() const { return fManager; }

  // Frees the held block, if any, and holds nothing.
  void Release();
  // Hands the block (and, when asked, its manager) out and forgets both.
  void* Detach(VMemoryMgr** manager = nullptr);

 private:
  void* fBlock = nullptr;
  VMemoryMgr* fManager = nullptr;
};
