// VWinMemoryMgr: handles as positions in a table of 16-byte entries over
// moveable global blocks, fixed blocks, and the hand-over to Toolbox handles.
#include "framework/core/memory/VWinMemoryMgr.h"

#include <cstring>
#include <iterator>

#include "platform/toolbox/TbxHandles.h"
#include "platform/win32/WinMemory.h"

namespace {

// Entry i (from 1) answers to 0x7FFFFFFF - i: bit 31 clear, never 0.
constexpr uint32_t kHandleBase = 0x7FFFFFFF;

VMemHandle Encode(uint32_t position) { return kHandleBase - position; }

// The block a handle gets: the exact size without a granule; with one, whole
// granules with always at least one to spare (512 in granules of 512 -> 1024,
// 0 -> 512). Worked in 64 bits so that a size near 2^32 cannot wrap into a
// small block; the caller refuses anything above the platform's largest block.
uint64_t RoundedSize(uint32_t size, uint16_t granule) {
  if (granule == 0) return size;
  return uint64_t(granule) * (uint64_t(size) / granule + 1);
}

bool Fits(uint64_t bytes) { return bytes <= kGlobalMaxBlockSize; }

HGLOBAL Block(uint32_t value) { return GlobalFromValue(value); }

void CopyBlockBytes(HGLOBAL from, HGLOBAL to, uint32_t length) {
  if (length == 0) return;
  const void* source = GlobalLock(from);
  void* destination = GlobalLock(to);
  MoveBlock(source, destination, length);
  GlobalUnlock(to);
  GlobalUnlock(from);
}

}  // namespace

VWinMemoryMgr::VWinMemoryMgr() {
  // An empty table, locked for the manager's lifetime (an empty block has no
  // address yet); the first handle grows it.
  HGLOBAL table = GlobalAlloc(GMEM_MOVEABLE, 0);
  fTableBlock = GlobalHandleValue(table);
  if (table != nullptr) fTable = static_cast<VWinMemoryEntry*>(GlobalLock(table));
}

VWinMemoryMgr::~VWinMemoryMgr() {
  for (uint32_t position = 1; position <= fEntriesInUse; ++position) {
    VWinMemoryEntry& entry = At(position);
    if (entry.block == 0) continue;
    for (uint16_t i = 0; i < entry.lockCount; ++i) GlobalUnlock(Block(entry.block));
    GlobalFree(Block(entry.block));
  }
  if (fTableBlock != 0) {
    if (fTable != nullptr) GlobalUnlock(Block(fTableBlock));
    GlobalFree(Block(fTableBlock));
  }
}

uint32_t VWinMemoryMgr::Decode(VMemHandle handle) const {
  // Issued values never have bit 31 set; such a value is no alias of an entry.
  if ((handle & 0x80000000u) != 0) return 0;
  const uint32_t position = ~(handle | 0x80000000u);
  if (position < 1 || position > fEntriesInUse) return 0;
  if (fTable[position - 1].block == 0) return 0;
  return position;
}

uint32_t VWinMemoryMgr::Check(VMemHandle handle) {
  const uint32_t position = Decode(handle);
  fError = position != 0 ? kMemNoError : kMemBadHandle;
  return position;
}

bool VWinMemoryMgr::GetEntry(VMemHandle handle, VWinMemoryEntry& entry) const {
  const uint32_t position = Decode(handle);
  if (position == 0) return false;
  entry = fTable[position - 1];
  return true;
}

bool VWinMemoryMgr::GrowTable() {
  const uint64_t capacity = uint64_t(fCapacity) + kTableGrowth;
  const uint64_t bytes = capacity * sizeof(VWinMemoryEntry);
  // The table is one global block, so it is bounded like every block; that
  // also keeps every position's handle value above 0.
  if (!Fits(bytes)) return false;
  HGLOBAL table = Block(fTableBlock);
  if (fTableBlock == 0) {
    table = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (table == nullptr) return false;
  } else {
    // A locked block cannot move; unlock it for the reallocation.
    if (fTable != nullptr) GlobalUnlock(table);
    HGLOBAL grown = GlobalReAlloc(table, bytes, GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (grown == nullptr) {
      if (fTable != nullptr) fTable = static_cast<VWinMemoryEntry*>(GlobalLock(table));
      return false;
    }
    table = grown;
  }
  fTableBlock = GlobalHandleValue(table);
  fTable = static_cast<VWinMemoryEntry*>(GlobalLock(table));
  fCapacity = static_cast<uint32_t>(capacity);
  return true;
}

uint32_t VWinMemoryMgr::NewEntry() {
  // The highest-numbered free entry is reused first.
  if (fFreeEntries != 0 && !fFreePositions.empty()) {
    const auto highest = std::prev(fFreePositions.end());
    const uint32_t position = *highest;
    fFreePositions.erase(highest);
    --fFreeEntries;
    return position;
  }
  if (fEntriesInUse == fCapacity && !GrowTable()) {
    fError = kMemNoMemory;
    return 0;
  }
  ++fEntriesInUse;
  At(fEntriesInUse) = VWinMemoryEntry{};
  return fEntriesInUse;
}

void VWinMemoryMgr::FreeEntry(uint32_t position) {
  At(position) = VWinMemoryEntry{};
  if (fFreePositions.insert(position).second) ++fFreeEntries;
}

VMemHandle VWinMemoryMgr::NewHandleWith(uint32_t size, uint16_t granule, bool clear) {
  const uint64_t bytes = RoundedSize(size, granule);
  if (!Fits(bytes)) {
    fError = kMemNoMemory;
    return 0;
  }
  const uint32_t position = NewEntry();
  if (position == 0) return 0;
  HGLOBAL block = GlobalAlloc(clear ? GHND : GMEM_MOVEABLE, bytes);
  if (block == nullptr) {
    FreeEntry(position);
    fError = kMemNoMemory;
    return 0;
  }
  VWinMemoryEntry& entry = At(position);
  entry.block = GlobalHandleValue(block);
  entry.allocatedSize = static_cast<uint32_t>(GlobalSize(block));
  entry.logicalSize = size;
  entry.granule = granule;
  entry.lockCount = 0;
  return Encode(position);
}

VMemHandle VWinMemoryMgr::NewHandle(uint32_t size, uint16_t granule) {
  return NewHandleWith(size, granule, false);
}

VMemHandle VWinMemoryMgr::NewHandleClear(uint32_t size, uint16_t granule) {
  return NewHandleWith(size, granule, true);
}

VMemHandle VWinMemoryMgr::NewHandleFromData(const void* data, uint32_t size) {
  // There is nothing to copy from a null address; refuse rather than read it.
  if (data == nullptr && size != 0) {
    fError = kMemNoMemory;
    return 0;
  }
  const VMemHandle handle = NewHandleWith(size, 0, false);
  if (handle != 0 && size != 0) {
    const VWinMemoryEntry& entry = At(Decode(handle));
    void* bytes = GlobalLock(Block(entry.block));
    MoveBlock(data, bytes, size);
    GlobalUnlock(Block(entry.block));
  }
  return handle;
}

VMemHandle VWinMemoryMgr::DuplicateHandle(VMemHandle handle) {
  const uint32_t source = Check(handle);
  if (source == 0) return 0;
  const uint32_t position = NewEntry();
  if (position == 0) return 0;
  // Looked up again: issuing an entry may have moved the table.
  const VWinMemoryEntry from = At(source);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, from.allocatedSize);
  if (block == nullptr) {
    FreeEntry(position);
    fError = kMemNoMemory;
    return 0;
  }
  CopyBlockBytes(Block(from.block), block, from.allocatedSize);
  VWinMemoryEntry& entry = At(position);
  entry.block = GlobalHandleValue(block);
  entry.allocatedSize = static_cast<uint32_t>(GlobalSize(block));
  entry.logicalSize = from.logicalSize;
  entry.granule = from.granule;
  entry.lockCount = 0;
  return Encode(position);
}

void VWinMemoryMgr::DisposeHandle(VMemHandle handle) {
  const uint32_t position = Check(handle);
  if (position == 0) return;
  VWinMemoryEntry& entry = At(position);
  for (uint16_t i = 0; i < entry.lockCount; ++i) GlobalUnlock(Block(entry.block));
  GlobalFree(Block(entry.block));
  FreeEntry(position);
}

void* VWinMemoryMgr::LockHandle(VMemHandle handle) {
  const uint32_t position = Check(handle);
  if (position == 0) return nullptr;
  VWinMemoryEntry& entry = At(position);
  // An empty handle has no data to point at.
  if (entry.logicalSize == 0) return nullptr;
  // The count is 16 bits; one more lock would wrap it to "unlocked" while
  // pointers are out, and a resize would then move the block under them.
  if (entry.lockCount == UINT16_MAX) {
    fError = kMemLocked;
    return nullptr;
  }
  void* address = GlobalLock(Block(entry.block));
  if (address != nullptr) ++entry.lockCount;
  return address;
}

void VWinMemoryMgr::UnlockHandle(VMemHandle handle) {
  const uint32_t position = Check(handle);
  if (position == 0) return;
  VWinMemoryEntry& entry = At(position);
  if (entry.lockCount == 0) return;
  --entry.lockCount;
  GlobalUnlock(Block(entry.block));
}

uint32_t VWinMemoryMgr::GetHandleSize(VMemHandle handle) {
  const uint32_t position = Check(handle);
  return position != 0 ? At(position).logicalSize : 0;
}

bool VWinMemoryMgr::IsLocked(VMemHandle handle) {
  const uint32_t position = Check(handle);
  return position != 0 && At(position).lockCount > 0;
}

bool VWinMemoryMgr::Reallocate(VWinMemoryEntry& entry, uint64_t bytes, bool zero) {
  if (!Fits(bytes)) return false;
  HGLOBAL block =
      GlobalReAlloc(Block(entry.block), bytes, zero ? (GMEM_MOVEABLE | GMEM_ZEROINIT) : GMEM_MOVEABLE);
  if (block == nullptr) return false;
  entry.block = GlobalHandleValue(block);
  entry.allocatedSize = static_cast<uint32_t>(GlobalSize(block));
  return true;
}

void VWinMemoryMgr::ZeroRange(const VWinMemoryEntry& entry, uint32_t from, uint32_t to) {
  if (to <= from) return;
  auto* bytes = static_cast<uint8_t*>(GlobalLock(Block(entry.block)));
  if (bytes == nullptr) return;
  FillBlock(bytes + from, to - from, 0);
  GlobalUnlock(Block(entry.block));
}

bool VWinMemoryMgr::SetHandleSize(VMemHandle handle, uint32_t size) {
  const uint32_t position = Check(handle);
  if (position == 0) return false;
  VWinMemoryEntry& entry = At(position);
  if (entry.lockCount != 0) {
    fError = kMemLocked;
    return false;
  }
  const int64_t allocated = entry.allocatedSize;
  const int64_t logical = entry.logicalSize;
  const int64_t wanted = size;
  // A shrink keeps the block until more than one granule would be spare; a
  // growth stays in place while the block is big enough.
  const bool reallocate = (wanted < logical && wanted < allocated - entry.granule) ||
                          (wanted >= logical && wanted > allocated);
  if (reallocate && !Reallocate(entry, RoundedSize(size, entry.granule), false)) {
    fError = kMemNoMemory;
    return false;
  }
  entry.logicalSize = size;
  return true;
}

bool VWinMemoryMgr::SetHandleSizeClear(VMemHandle handle, uint32_t size) {
  const uint32_t position = Check(handle);
  if (position == 0) return false;
  VWinMemoryEntry& entry = At(position);
  if (entry.lockCount != 0) {
    fError = kMemLocked;
    return false;
  }
  const uint32_t oldLogical = entry.logicalSize;
  const uint64_t rounded = RoundedSize(size, entry.granule);
  const bool inPlace = rounded >= oldLogical && rounded <= entry.allocatedSize;
  if (!inPlace && !Reallocate(entry, rounded, rounded > entry.allocatedSize)) {
    fError = kMemNoMemory;
    return false;
  }
  entry.logicalSize = size;
  // Bytes beyond the logical size may still hold data from before an earlier
  // shrink, and a reallocation zeroes only what lies beyond the old block:
  // every byte the handle gains is zeroed here.
  ZeroRange(entry, oldLogical, size);
  return true;
}

uint32_t VWinMemoryMgr::NewMacHandle(uint32_t size) {
  return Tbx::NewHandle(static_cast<int32_t>(size));
}

uint32_t VWinMemoryMgr::ToMacHandle(VMemHandle handle, bool copy) {
  const uint32_t position = Check(handle);
  if (position == 0) return 0;
  VWinMemoryEntry& entry = At(position);
  uint32_t macHandle;
  if (copy) {
    // The copy is made before anything of the handle is undone, so that a
    // failed copy leaves the handle, its data and its locks as they were.
    macHandle = NewMacHandle(entry.logicalSize);
    if (macHandle == 0) {
      fError = kMemNoMemory;
      return 0;
    }
    if (entry.logicalSize != 0) {
      void* destination = Tbx::HLock(macHandle);
      const void* source = GlobalLock(Block(entry.block));
      MoveBlock(source, destination, entry.logicalSize);
      GlobalUnlock(Block(entry.block));
      Tbx::HUnlock(macHandle);
    }
    for (uint16_t i = 0; i < entry.lockCount; ++i) GlobalUnlock(Block(entry.block));
    GlobalFree(Block(entry.block));
  } else {
    for (uint16_t i = 0; i < entry.lockCount; ++i) GlobalUnlock(Block(entry.block));
    entry.lockCount = 0;
    // The receiver sizes the data by the block, so the spare bytes of a
    // granule or of an earlier shrink are cut off first. Should that fail the
    // handle stays valid (unlocked) with its data.
    if (entry.allocatedSize != entry.logicalSize && !Reallocate(entry, entry.logicalSize, false)) {
      fError = kMemNoMemory;
      return 0;
    }
    macHandle = entry.block;
  }
  FreeEntry(position);
  return macHandle;
}

VMemHandle VWinMemoryMgr::FromMacHandle(uint32_t macHandle, bool copy) {
  if (macHandle == 0) return 0;
  const int32_t size = Tbx::GetHandleSize(macHandle);
  if (Tbx::MemError() != Tbx::noErr || size < 0) {
    fError = kMemBadHandle;
    return 0;
  }
  const uint32_t position = NewEntry();
  if (position == 0) return 0;
  HGLOBAL block;
  if (copy) {
    block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size));
    if (block == nullptr) {
      // The Toolbox handle stays with the caller, data and all.
      FreeEntry(position);
      fError = kMemNoMemory;
      return 0;
    }
    if (size != 0) {
      const void* source = Tbx::HLock(macHandle);
      void* destination = GlobalLock(block);
      MoveBlock(source, destination, static_cast<uint32_t>(size));
      GlobalUnlock(block);
      Tbx::HUnlock(macHandle);
    }
    Tbx::DisposeHandle(macHandle);
  } else {
    // Toolbox handles are moveable global blocks: the block itself is taken over.
    block = Block(macHandle);
  }
  VWinMemoryEntry& entry = At(position);
  entry.block = GlobalHandleValue(block);
  entry.allocatedSize = static_cast<uint32_t>(GlobalSize(block));
  entry.logicalSize = entry.allocatedSize;
  entry.granule = 0;
  entry.lockCount = 0;
  return Encode(position);
}

void* VWinMemoryMgr::CopyToBlock(VMemHandle handle) {
  const uint32_t position = Check(handle);
  if (position == 0) return nullptr;
  const VWinMemoryEntry& entry = At(position);
  HGLOBAL block = GlobalAlloc(GMEM_FIXED, entry.logicalSize);
  if (block == nullptr) {
    fError = kMemNoMemory;
    return nullptr;
  }
  CopyBlockBytes(Block(entry.block), block, entry.logicalSize);
  return block;
}

void* VWinMemoryMgr::NewBlock(uint32_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_FIXED, size);
  if (block == nullptr) fError = kMemNoMemory;
  return block;
}

void* VWinMemoryMgr::NewBlockClear(uint32_t size) {
  HGLOBAL block = GlobalAlloc(GPTR, size);
  if (block == nullptr) fError = kMemNoMemory;
  return block;
}

void VWinMemoryMgr::DisposeBlock(void* block) {
  if (block != nullptr) GlobalFree(static_cast<HGLOBAL>(block));
}

uint32_t VWinMemoryMgr::GetFreeMemory() {
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  // The figure travels in 32 bits; more than 4 GiB free reads as the most it can say.
  return status.dwAvailPhys > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(status.dwAvailPhys);
}
