// VHandle: an object that owns one memory-manager handle, with nested locks,
// bounded reads and growing writes, copy-on-share and re-homing to another manager.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VMemoryMgr;

class VHandle : public VObject {
 public:
  // A new handle of `size` bytes (contents undefined). A null manager means
  // the global one, here and in every constructor.
  explicit VHandle(uint32_t size = 0, VMemoryMgr* manager = nullptr);
  // A new handle holding a copy of `size` bytes at `data`.
  VHandle(const void* data, uint32_t size, VMemoryMgr* manager = nullptr);
  // A new handle of `size` bytes, each set to `fill`.
  VHandle(uint32_t size, uint8_t fill, VMemoryMgr* manager);
  // Shares the other's data through its manager (a copy unless the manager counts references).
  VHandle(const VHandle& other);
  // A copy of `foreign`, a handle of `foreignManager`, in a new handle of `manager`.
  VHandle(VMemHandle foreign, VMemoryMgr& foreignManager, VMemoryMgr* manager = nullptr);
  VHandle& operator=(const VHandle&) = delete;
  ~VHandle() override;

  VMemHandle GetHandle() const { return fHandle; }
  VMemoryMgr* GetManager() const { return fManager; }

  uint32_t GetSize() const;
  // Resizes the data; false while locked or when the memory cannot be had.
  bool SetSize(uint32_t size);

  // Copies `length` bytes from `offset` on; false (nothing copied) when the
  // range reaches past the data.
  bool Read(void* destination, uint32_t length, uint32_t offset);
  // Copies `length` bytes in at `offset`, growing the data to offset + length
  // first when it is shorter; false (nothing changed) when that cannot be done.
  bool Write(const void* source, uint32_t length, uint32_t offset);

  // Locks nest: only the first lock and the last unlock reach the manager.
  // The address (null for empty data) stays valid until the last unlock.
  void* Lock();
  void Unlock();
  bool IsLocked() const { return fLockDepth != 0; }

  // Gives this object a handle of its own when the data is shared; false
  // while locked (the address handed out belongs to the shared data) or when
  // the copy cannot be made.
  bool MakeUnique();
  // Takes `handle` (of this object's manager) in place of the owned one,
  // which is released.
  void Attach(VMemHandle handle);
  // Hands the owned handle out, unlocked, and keeps a new empty one instead.
  VMemHandle Detach();
  // Moves the data into a new handle of `manager` and releases the old one;
  // false (nothing changed) while locked or when the copy cannot be made.
  bool MoveTo(VMemoryMgr* manager);

 private:
  void UnlockAll();

  VMemHandle fHandle = 0;
  VMemoryMgr* fManager = nullptr;
  uint32_t fLockDepth = 0;
  void* fAddress = nullptr;
};
