// VWinMemoryMgr: the memory manager over global memory blocks. Handles are
// positions in a table of entries kept in one moveable global block.
#pragma once

#include <cstdint>
#include <set>

#include "framework/core/memory/VMemoryMgr.h"

// One entry of the handle table. The table is an array of these, 16 bytes
// each, packed with no padding:
//   0  global block     u32  the moveable block's 32-bit value; 0 marks a free entry
//   4  allocated size   u32  the block's exact size
//   8  logical size     u32  the size the owner asked for (never above the allocated size)
//  12  granule          u16  growth granule, 0 for none
//  14  lock count       u16  how often the handle is locked
struct VWinMemoryEntry {
  uint32_t block;
  uint32_t allocatedSize;
  uint32_t logicalSize;
  uint16_t granule;
  uint16_t lockCount;
};
static_assert(sizeof(VWinMemoryEntry) == 16, "handle table entries are 16 bytes");

class VWinMemoryMgr : public VMemoryMgr {
 public:
  // The table grows in steps of this many entries.
  static constexpr uint32_t kTableGrowth = 128;

  VWinMemoryMgr();
  ~VWinMemoryMgr() override;

  VMemHandle NewHandle(uint32_t size, uint16_t granule) override;
  VMemHandle DuplicateHandle(VMemHandle handle) override;
  VMemHandle NewHandleFromData(const void* data, uint32_t size) override;
  VMemHandle NewHandleClear(uint32_t size, uint16_t granule) override;
  void DisposeHandle(VMemHandle handle) override;
  void* LockHandle(VMemHandle handle) override;
  void UnlockHandle(VMemHandle handle) override;
  uint32_t GetHandleSize(VMemHandle handle) override;
  bool SetHandleSize(VMemHandle handle, uint32_t size) override;
  bool SetHandleSizeClear(VMemHandle handle, uint32_t size) override;
  bool IsLocked(VMemHandle handle) override;
  uint32_t ToMacHandle(VMemHandle handle, bool copy) override;
  VMemHandle FromMacHandle(uint32_t macHandle, bool copy) override;
  void* NewBlock(uint32_t size) override;
  void* CopyToBlock(VMemHandle handle) override;
  void* NewBlockClear(uint32_t size) override;
  void DisposeBlock(void* block) override;
  uint32_t GetFreeMemory() override;

  // Inspection of the table, for diagnostics: a copy of the entry behind a
  // valid handle (false, and nothing copied, for any other value), the
  // table's capacity and the number of entries ever issued. None of them
  // touches the last-error word.
  bool GetEntry(VMemHandle handle, VWinMemoryEntry& entry) const;
  uint32_t GetCapacity() const { return fCapacity; }
  uint32_t GetEntriesInUse() const { return fEntriesInUse; }

 private:
  // A new Toolbox handle of `size` bytes, 0 when none can be had. Kept apart
  // so that the hand-over's failure path can be exercised.
  virtual uint32_t NewMacHandle(uint32_t size);

  // The 1-based position named by `handle`, or 0 when it names no live entry.
  uint32_t Decode(VMemHandle handle) const;
  // Decodes and records the outcome in the last-error word: 0 when the
  // handle is valid, 101 (and position 0) when it is not.
  uint32_t Check(VMemHandle handle);
  // The position of a free entry, zeroed, growing the table when needed; 0
  // (error 100) when the table cannot grow.
  uint32_t NewEntry();
  // Zeroes an entry so that it is free for reuse.
  void FreeEntry(uint32_t position);
  bool GrowTable();
  VWinMemoryEntry& At(uint32_t position) { return fTable[position - 1]; }
  VMemHandle NewHandleWith(uint32_t size, uint16_t granule, bool clear);
  // Reallocates an entry's block to `bytes`; false (nothing changed) on failure.
  bool Reallocate(VWinMemoryEntry& entry, uint64_t bytes, bool zero);
  // Zeroes the block's bytes from `from` up to `to`.
  void ZeroRange(const VWinMemoryEntry& entry, uint32_t from, uint32_t to);

  uint32_t fTableBlock = 0;           // the table's moveable global block
  VWinMemoryEntry* fTable = nullptr;  // its locked address (null while empty)
  uint32_t fCapacity = 0;             // entries the table holds
  uint32_t fEntriesInUse = 0;         // entries ever issued; some may be free
  uint32_t fFreeEntries = 0;          // free entries among those issued
  // Their positions, so that the highest is had without walking a table
  // of a hundred thousand handles at every new one.
  std::set<uint32_t> fFreePositions;
};
