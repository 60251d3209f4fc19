// VMemoryMgr: relocatable memory addressed by 32-bit handles (locked for
// access, unlocked after), fixed blocks, and the exchange of handles with the
// Toolbox library's handles. One global instance, made right after the heap.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

// Result codes of the memory manager's last-error word.
constexpr uint32_t kMemNoError = 0;
constexpr uint32_t kMemNoMemory = 100;
constexpr uint32_t kMemBadHandle = 101;
constexpr uint32_t kMemLocked = 102;

// Not a VObject: the memory manager is made and released with the language
// runtime's allocator, before and after every framework object.
class VMemoryMgr {
 public:
  VMemoryMgr() = default;
  virtual ~VMemoryMgr() = default;
  VMemoryMgr(const VMemoryMgr&) = delete;
  VMemoryMgr& operator=(const VMemoryMgr&) = delete;

  // A copy of the named shared memory block; 0 (error 100) when there is none.
  virtual VMemHandle NewHandleFromShared(const char* name);
  virtual VMemHandle NewHandle(uint32_t size, uint16_t granule) = 0;
  virtual VMemHandle DuplicateHandle(VMemHandle handle) = 0;
  virtual VMemHandle NewHandleFromData(const void* data, uint32_t size) = 0;
  virtual VMemHandle NewEmptyHandle();
  virtual VMemHandle NewHandleClear(uint32_t size, uint16_t granule) = 0;
  virtual void DisposeHandle(VMemHandle handle) = 0;
  virtual void* LockHandle(VMemHandle handle) = 0;
  virtual void UnlockHandle(VMemHandle handle) = 0;
  virtual uint32_t GetHandleSize(VMemHandle handle) = 0;
  virtual bool SetHandleSize(VMemHandle handle, uint32_t size) = 0;
  virtual bool SetHandleSizeClear(VMemHandle handle, uint32_t size) = 0;
  virtual bool IsLocked(VMemHandle handle) = 0;
  // Hands the data over as a Toolbox handle; the framework handle ends.
  virtual uint32_t ToMacHandle(VMemHandle handle, bool copy) = 0;
  // Takes a Toolbox handle over as a framework handle.
  virtual VMemHandle FromMacHandle(uint32_t macHandle, bool copy) = 0;
  virtual void* NewBlock(uint32_t size) = 0;
  virtual void* CopyToBlock(VMemHandle handle) = 0;
  virtual void* NewBlockClear(uint32_t size) = 0;
  virtual void DisposeBlock(void* block) = 0;
  virtual uint32_t GetFreeMemory() = 0;
  // The sharing protocol of VHandle; the base copies on share.
  virtual VMemHandle ShareHandle(VMemHandle handle);
  virtual void ReleaseHandle(VMemHandle handle);
  virtual uint32_t GetHandleRefCount(VMemHandle handle);

  uint32_t GetError() const { return fError; }

 protected:
  uint32_t fError = kMemNoError;
};

// The module's memory manager; set at start-up, cleared at shut-down.
extern VMemoryMgr* gMemoryMgr;

// Copies `length` bytes, source first; overlapping ranges are copied correctly.
void MoveBlock(const void* source, void* destination, uint32_t length);
// Stores `value` `length` times.
void FillBlock(void* destination, uint32_t length, uint8_t value);
