// Win32 global memory: moveable blocks live in a table and are named by
// 32-bit ids, fixed blocks carry a small header in front of their address.
#include "platform/win32/WinMemory.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

thread_local DWORD tLastError = ERROR_SUCCESS;

// Moveable ids are (slot << 4) | 8: never 0, never 16-aligned, so they can
// not be mistaken for the address of a fixed block (always 16-aligned), and
// they fit the 32-bit fields that store handles.
constexpr uintptr_t kMoveableTag = 8;
constexpr uint32_t kMaxSlots = 0x0FFFFFFF;

struct Moveable {
  void* data = nullptr;   // null while the block has size 0
  SIZE_T size = 0;        // the exact size asked for: what GlobalSize reports
  SIZE_T capacity = 0;    // bytes behind data; at least size
  uint32_t locks = 0;
  bool live = false;
};

// The header in front of a fixed block's payload keeps the payload 16-aligned.
struct alignas(16) FixedHeader {
  SIZE_T size;
};

struct Globals {
  std::mutex lock;
  std::vector<Moveable> slots{1};       // slot 0 is never issued
  std::vector<uint32_t> freeSlots;
  std::unordered_set<void*> fixedBlocks;
};

Globals& G() {
  static Globals* g = new Globals;  // never destroyed: blocks may outlive statics
  return *g;
}

bool IsMoveableValue(uintptr_t v) { return (v & 15) == kMoveableTag && v <= 0xFFFFFFFFu; }

Moveable* FindMoveable(Globals& g, HGLOBAL h) {
  uintptr_t v = reinterpret_cast<uintptr_t>(h);
  if (!IsMoveableValue(v)) return nullptr;
  uintptr_t slot = v >> 4;
  if (slot == 0 || slot >= g.slots.size() || !g.slots[slot].live) return nullptr;
  return &g.slots[slot];
}

FixedHeader* FindFixed(Globals& g, HGLOBAL h) {
  if (h == nullptr || g.fixedBlocks.count(h) == 0) return nullptr;
  return reinterpret_cast<FixedHeader*>(h) - 1;
}

// Allocates a payload of `bytes`, zeroed on request; null only when out of memory.
void* RawAlloc(SIZE_T bytes, bool zero) {
  void* p = zero ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
  return p;
}

// The reserve a growing moveable block gets: half as much again as it had,
// never past the largest block.
SIZE_T GrownCapacity(SIZE_T capacity, SIZE_T bytes) {
  SIZE_T grown = capacity + capacity / 2;
  if (grown < bytes) grown = bytes;
  return grown > kGlobalMaxBlockSize ? bytes : grown;
}

// A block that shrank to a small part of what it holds gives the memory back.
bool ShouldRelease(SIZE_T bytes, SIZE_T capacity) { return capacity > 4096 && bytes < capacity / 4; }

HGLOBAL Fail(DWORD error) {
  tLastError = error;
  return nullptr;
}

}  // namespace

DWORD GetLastError() { return tLastError; }
void SetLastError(DWORD error) { tLastError = error; }

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  if (bytes > kGlobalMaxBlockSize) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  const bool zero = (flags & GMEM_ZEROINIT) != 0;
  Globals& g = G();
  std::lock_guard<std::mutex> guard(g.lock);
  if (flags & GMEM_MOVEABLE) {
    void* data = nullptr;
    if (bytes != 0 && (data = RawAlloc(bytes, zero)) == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    uint32_t slot;
    if (!g.freeSlots.empty()) {
      slot = g.freeSlots.back();
      g.freeSlots.pop_back();
    } else {
      if (g.slots.size() > kMaxSlots) {
        std::free(data);
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
      }
      slot = static_cast<uint32_t>(g.slots.size());
      g.slots.emplace_back();
    }
    g.slots[slot] = Moveable{data, bytes, bytes, 0, true};
    return reinterpret_cast<HGLOBAL>((static_cast<uintptr_t>(slot) << 4) | kMoveableTag);
  }
  auto* header = static_cast<FixedHeader*>(RawAlloc(sizeof(FixedHeader) + bytes, zero));
  if (header == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  header->size = bytes;
  void* payload = header + 1;
  g.fixedBlocks.insert(payload);
  return static_cast<HGLOBAL>(payload);
}

HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags) {
  if (bytes > kGlobalMaxBlockSize) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  const bool zero = (flags & GMEM_ZEROINIT) != 0;
  Globals& g = G();
  std::lock_guard<std::mutex> guard(g.lock);
  if (Moveable* m = FindMoveable(g, block)) {
    const SIZE_T old = m->size;
    if (bytes <= m->capacity && !(bytes == 0 && m->locks == 0) && !ShouldRelease(bytes, m->capacity)) {
      // Within the reserve the block stays where it is, locked or not.
      if (bytes > old && zero) std::memset(static_cast<char*>(m->data) + old, 0, bytes - old);
      m->size = bytes;
      return block;
    }
    if (m->locks != 0) return Fail(ERROR_NOT_ENOUGH_MEMORY);  // a locked block may not move
    void* data = nullptr;
    SIZE_T capacity = 0;
    if (bytes != 0) {
      // Growth gets a geometric reserve, so that a block grown in small
      // steps is copied a logarithmic number of times, not at every step.
      capacity = bytes > old ? GrownCapacity(m->capacity, bytes) : bytes;
      data = RawAlloc(capacity, false);
      if (data == nullptr && capacity != bytes) data = RawAlloc(capacity = bytes, false);
      if (data == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
      SIZE_T keep = bytes < old ? bytes : old;
      if (keep) std::memcpy(data, m->data, keep);
      if (zero && bytes > keep) std::memset(static_cast<char*>(data) + keep, 0, bytes - keep);
    }
    std::free(m->data);
    m->data = data;
    m->size = bytes;
    m->capacity = capacity;
    return block;
  }
  if (FixedHeader* header = FindFixed(g, block)) {
    SIZE_T old = header->size;
    if (bytes <= old) {
      header->size = bytes;
      return block;
    }
    if ((flags & GMEM_MOVEABLE) == 0) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    auto* moved = static_cast<FixedHeader*>(std::realloc(header, sizeof(FixedHeader) + bytes));
    if (moved == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    if (zero) std::memset(reinterpret_cast<char*>(moved + 1) + old, 0, bytes - old);
    moved->size = bytes;
    g.fixedBlocks.erase(block);
    g.fixedBlocks.insert(moved + 1);
    return reinterpret_cast<HGLOBAL>(moved + 1);
  }
  return Fail(ERROR_INVALID_HANDLE);
}

LPVOID GlobalLock(HGLOBAL block) {
  Globals& g = G();
  std::lock_guard<std::mutex> guard(g.lock);
  if (Moveable* m = FindMoveable(g, block)) {
    if (m->data == nullptr) return Fail(ERROR_INVALID_HANDLE);  // a block of size 0 has no data
    ++m->locks;
    return m->data;
  }
  if (FindFixed(g, block)) return block;
  return Fail(ERROR_INVALID_HANDLE);
}

BOOL GlobalUnlock(HGLOBAL block) {
  Globals& g = G();
  std::lock_guard<std::mutex> guard(g.lock);
  if (Moveable* m = FindMoveable(g, block)) {
    if (m->locks == 0) {
      tLastError = ERROR_NOT_LOCKED;
      return FALSE_;
    }
    --m->locks;
    tLastError = ERROR_SUCCESS;
    return m->locks != 0 ? TRUE_ : FALSE_;
  }
  tLastError = FindFixed(g, block) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
  return FALSE_;
}

SIZE_T GlobalSize(HGLOBAL block) {
  Globals& g = G();
  std::lock_guard<std::mutex> guard(g.lock);
  if (Moveable* m = FindMoveable(g, block)) return m->size;
  if (FixedHeader* header = FindFixed(g, block)) return header->size;
  tLastError = ERROR_INVALID_HANDLE;
  return 0;
}

UINT GlobalFlags(HGLOBAL block) {
  Globals& g = G();
  std::lock_guard<std::mutex> guard(g.lock);
  if (Moveable* m = FindMoveable(g, block)) return m->locks > 255 ? 255 : m->locks;
  if (FindFixed(g, block)) return 0;
  tLastError = ERROR_INVALID_HANDLE;
  return 0x8000;  // GMEM_INVALID_HANDLE
}

HGLOBAL GlobalFree(HGLOBAL block) {
  if (block == nullptr) return nullptr;
  Globals& g = G();
  std::lock_guard<std::mutex> guard(g.lock);
  if (Moveable* m = FindMoveable(g, block)) {
    std::free(m->data);
    *m = Moveable{};
    g.freeSlots.push_back(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block) >> 4));
    return nullptr;
  }
  if (FixedHeader* header = FindFixed(g, block)) {
    g.fixedBlocks.erase(block);
    std::free(header);
    return nullptr;
  }
  tLastError = ERROR_INVALID_HANDLE;
  return block;
}

uint32_t GlobalHandleValue(HGLOBAL block) {
  uintptr_t v = reinterpret_cast<uintptr_t>(block);
  return IsMoveableValue(v) ? static_cast<uint32_t>(v) : 0;
}

void GlobalMemoryStatus(MEMORYSTATUS* status) {
  if (status == nullptr) return;
  SIZE_T total = 0, avail = 0;
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  SIZE_T kb;
  std::string unit;
  while (meminfo >> key >> kb) {
    std::getline(meminfo, unit);
    if (key == "MemTotal:") total = kb * 1024;
    if (key == "MemAvailable:") avail = kb * 1024;
  }
  std::memset(status, 0, sizeof *status);
  status->dwLength = sizeof *status;
  status->dwTotalPhys = total;
  status->dwAvailPhys = avail;
  status->dwMemoryLoad = total ? static_cast<DWORD>(100 - avail * 100 / total) : 0;
  status->dwTotalPageFile = total;
  status->dwAvailPageFile = avail;
  status->dwTotalVirtual = kGlobalMaxBlockSize;
  status->dwAvailVirtual = kGlobalMaxBlockSize;
}
