// The metafile handle table: handles carry an index, a kind and a
// generation, as GDI object handles do, so stale handles are refused.
#include "platform/gdi/emf/GdiMetafileTable.h"

#include <mutex>

#include "platform/win32/WinTypes.h"

namespace {

// A handle value: generation (8 bits, never 0) << 24 | index << 4 | kind.
// The kinds are not those of GDI objects (which use the values up to 7).
constexpr uint32_t kEnhancedKind = 0xD;
constexpr uint32_t kWindowsKind = 0xC;
constexpr uint32_t kMaxIndex = (1u << 20) - 1;

struct Slot {
  GdiMetafileTable::Bytes bytes;
  bool enhanced = false;
  uint8_t generation = 1;
};

struct Table {
  std::mutex mutex;
  std::vector<Slot> slots = std::vector<Slot>(1);  // index 0 unused: no handle is 0
  std::vector<uint32_t> freeSlots;
};

// Lives for the whole process, as the GDI object table does.
Table& TheTable() {
  static Table* table = new Table;
  return *table;
}

Slot* LookupLocked(const void* handle, bool enhanced) {
  uintptr_t raw = reinterpret_cast<uintptr_t>(handle);
  if (raw == 0 || raw > 0xFFFFFFFFu) return nullptr;
  uint32_t v = static_cast<uint32_t>(raw);
  uint32_t index = (v >> 4) & kMaxIndex;
  Table& t = TheTable();
  if ((v & 0xF) != (enhanced ? kEnhancedKind : kWindowsKind) || index == 0 ||
      index >= t.slots.size()) {
    return nullptr;
  }
  Slot& slot = t.slots[index];
  if (!slot.bytes || slot.enhanced != enhanced || slot.generation != static_cast<uint8_t>(v >> 24)) {
    return nullptr;
  }
  return &slot;
}

}  // namespace

void* GdiMetafileTable::Insert(std::vector<uint8_t> bytes, bool enhanced) {
  return Insert(std::make_shared<const std::vector<uint8_t>>(std::move(bytes)), enhanced);
}

void* GdiMetafileTable::Insert(Bytes bytes, bool enhanced) {
  Table& t = TheTable();
  std::lock_guard<std::mutex> lock(t.mutex);
  uint32_t index;
  if (!t.freeSlots.empty()) {
    index = t.freeSlots.back();
    t.freeSlots.pop_back();
  } else {
    if (t.slots.size() > kMaxIndex) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    index = static_cast<uint32_t>(t.slots.size());
    t.slots.emplace_back();
  }
  Slot& slot = t.slots[index];
  slot.bytes = std::move(bytes);
  slot.enhanced = enhanced;
  uint32_t v = (uint32_t{slot.generation} << 24) | (index << 4) |
               (enhanced ? kEnhancedKind : kWindowsKind);
  return reinterpret_cast<void*>(static_cast<uintptr_t>(v));
}

GdiMetafileTable::Bytes GdiMetafileTable::Find(const void* handle, bool enhanced) {
  std::lock_guard<std::mutex> lock(TheTable().mutex);
  Slot* slot = LookupLocked(handle, enhanced);
  if (!slot) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return slot->bytes;
}

bool GdiMetafileTable::Remove(const void* handle, bool enhanced) {
  Bytes doomed;
  {
    Table& t = TheTable();
    std::lock_guard<std::mutex> lock(t.mutex);
    Slot* slot = LookupLocked(handle, enhanced);
    if (!slot) return false;
    doomed = std::move(slot->bytes);
    slot->bytes.reset();
    slot->generation = static_cast<uint8_t>(slot->generation == 255 ? 1 : slot->generation + 1);
    t.freeSlots.push_back(static_cast<uint32_t>(slot - t.slots.data()));
  }
  return true;  // the bytes go outside the lock (a player may still hold them)
}
