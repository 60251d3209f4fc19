// Win32 global memory: moveable blocks live in a table and are named by
// 32-bit ids, fixed blocks carry a small header in front of their address.
#include "platform/win32/WinMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define QV_POISON_MAPPED_TAILS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QV_POISON_MAPPED_TAILS 1
#endif
#endif
#if defined(QV_POISON_MAPPED_TAILS)
#include <sanitizer/asan_interface.h>
#endif

#include <algorithm>
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
  bool mapped = false;    // data is a mapping of its own (a big block), not a heap block
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

// A moveable block of this size or more lives in a mapping of its own, so
// that it can grow and shrink by remapping its pages: the bytes are never
// copied, the pages it had are not touched again, and the old and the new
// block are never resident side by side. A document's stream grows this way
// to many megabytes while a file is read.
constexpr SIZE_T kMappedBlockSize = 256 * 1024;

SIZE_T PageSize() {
  static const SIZE_T size = [] {
    long page = sysconf(_SC_PAGESIZE);
    return page > 0 ? SIZE_T(page) : SIZE_T(4096);
  }();
  return size;
}

SIZE_T PageRounded(SIZE_T bytes) { return (bytes + PageSize() - 1) & ~(PageSize() - 1); }

// A mapping is not the checked heap: in a checked build, the room past a
// mapped block's size is marked unusable, so that a write past the block is
// caught as one past a heap block is. Open() marks the whole room usable
// before the block is resized, moved or unmapped; Close() marks its tail.
void OpenMapped(const Moveable& m) {
#if defined(QV_POISON_MAPPED_TAILS)
  if (m.data != nullptr && m.mapped) ASAN_UNPOISON_MEMORY_REGION(m.data, m.capacity);
#else
  (void)m;
#endif
}

void CloseMapped(const Moveable& m) {
#if defined(QV_POISON_MAPPED_TAILS)
  if (m.data != nullptr && m.mapped) ASAN_POISON_MEMORY_REGION(static_cast<char*>(m.data) + m.size, m.capacity - m.size);
#else
  (void)m;
#endif
}

// Storage for a moveable block: what it holds and how it was obtained.
struct Storage {
  void* data = nullptr;
  SIZE_T capacity = 0;
  bool mapped = false;
  bool clean = false;  // every byte is zero (a fresh mapping)
};

// Mappings of freed big blocks, kept for the next big block. A fresh
// mapping costs a fault and a zeroed page from the system at every first
// touch of each page, and its unmapping costs as much again; a document
// loaded or saved makes and frees blocks of its stream's size each time,
// so reusing the freed ones keeps their pages in memory and those costs
// away. The pool is bounded in count and in bytes, so that what it holds
// stays small beside the blocks in use; a mapping that does not fit is
// given back to the system.
constexpr size_t kPoolMappings = 8;
constexpr SIZE_T kPoolBytes = 32 * 1024 * 1024;

struct PooledMapping {
  void* data;
  SIZE_T size;  // page-rounded length of the mapping
};

std::vector<PooledMapping>& Pool() {
  static auto* pool = new std::vector<PooledMapping>;  // never destroyed, as the block table
  return *pool;
}

SIZE_T PooledBytes() {
  SIZE_T total = 0;
  for (const PooledMapping& mapping : Pool()) total += mapping.size;
  return total;
}

void PoisonPooled(void* data, SIZE_T size) {
#if defined(QV_POISON_MAPPED_TAILS)
  ASAN_POISON_MEMORY_REGION(data, size);
#else
  (void)data;
  (void)size;
#endif
}

void UnpoisonPooled(void* data, SIZE_T size) {
#if defined(QV_POISON_MAPPED_TAILS)
  ASAN_UNPOISON_MEMORY_REGION(data, size);
#else
  (void)data;
  (void)size;
#endif
}

// Gives a pooled mapping back to the system. Its memory is made usable
// again first: the system may hand the same addresses to the next mapping,
// which a checked build must not find poisoned.
void UnmapPooled(const PooledMapping& mapping) {
  UnpoisonPooled(mapping.data, mapping.size);
  munmap(mapping.data, mapping.size);
}

// Keeps a freed mapping for reuse, or unmaps it when the pool has no room:
// the oldest mappings make way for a newer one as long as it fits at all.
void ReleaseMapping(void* data, SIZE_T size) {
  std::vector<PooledMapping>& pool = Pool();
  if (size > kPoolBytes) {
    munmap(data, size);
    return;
  }
  SIZE_T total = PooledBytes();
  while (!pool.empty() && (pool.size() >= kPoolMappings || total + size > kPoolBytes)) {
    total -= pool.front().size;
    UnmapPooled(pool.front());
    pool.erase(pool.begin());
  }
  PoisonPooled(data, size);
  pool.push_back({data, size});
}

// Fresh pages taken from the system while the pool holds mappings make it
// give back at least as many bytes, its oldest mappings first: a kept
// mapping waits for the next block only in the room that the blocks in use
// left when they shrank, so keeping it never raises the process's peak.
// Without this a document's copy, whose flavours grow while the freed
// stream of an earlier step waits in the pool, held both.
void GiveBackForFresh(SIZE_T fresh) {
  std::vector<PooledMapping>& pool = Pool();
  SIZE_T given = 0;
  while (!pool.empty() && given < fresh) {
    given += pool.front().size;
    UnmapPooled(pool.front());
    pool.erase(pool.begin());
  }
}

// A pooled mapping for `rounded` bytes: the smallest that holds them, cut
// down to twice their size when it is bigger (a block's room stays within
// what a shrink would give back, and a growing block has room ahead);
// else the biggest, grown (its own pages kept, the rest fresh). Its bytes
// are stale. Null data when the pool is empty or the remapping fails.
Storage TakePooledMapping(SIZE_T rounded) {
  std::vector<PooledMapping>& pool = Pool();
  if (pool.empty()) return {};
  size_t pick = 0;
  for (size_t i = 1; i < pool.size(); ++i) {
    const bool fits = pool[i].size >= rounded;
    const bool pickFits = pool[pick].size >= rounded;
    if (fits ? (!pickFits || pool[i].size < pool[pick].size) : (!pickFits && pool[i].size > pool[pick].size))
      pick = i;
  }
  PooledMapping mapping = pool[pick];
  pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(pick));
  UnpoisonPooled(mapping.data, mapping.size);
  const SIZE_T size = mapping.size < rounded ? rounded : std::min(mapping.size, 2 * rounded);
  if (size > mapping.size) GiveBackForFresh(size - mapping.size);
  if (size != mapping.size) {
    void* p = mremap(mapping.data, mapping.size, size, MREMAP_MAYMOVE);
    if (p == MAP_FAILED) {
      munmap(mapping.data, mapping.size);
      return {};
    }
    mapping = {p, size};
  }
  return {mapping.data, mapping.size, true, false};
}

// New storage for `capacity` bytes (not 0), zeroed on request; null data
// when out of memory. A big block asked to be zero gets a fresh mapping,
// whose untouched pages take no memory until they are written; any other
// big block reuses a freed mapping when there is one.
Storage NewStorage(SIZE_T capacity, bool zero) {
  if (capacity >= kMappedBlockSize) {
    const SIZE_T rounded = PageRounded(capacity);
    if (!zero) {
      Storage pooled = TakePooledMapping(rounded);
      if (pooled.data != nullptr) return pooled;
    }
    GiveBackForFresh(rounded);
    void* p = mmap(nullptr, rounded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return {};
    return {p, rounded, true, true};
  }
  void* p = RawAlloc(capacity, zero);
  return {p, p != nullptr ? capacity : 0, false, zero};
}

void ReleaseStorage(const Moveable& m) {
  if (m.data == nullptr) return;
  if (m.mapped)
    ReleaseMapping(m.data, m.capacity);
  else
    std::free(m.data);
}

// Gives block `m` storage for `capacity` bytes (not 0), keeping its first
// `keep` bytes; `zero` says whether the caller will want the bytes past
// `keep` zeroed. Bytes from `keep` up to `cleanFrom` may be stale, bytes
// from `cleanFrom` on are zero: a mapping that stays a mapping grows by
// fresh pages, and a fresh mapping is zero past what was copied into it.
// On failure the block is left as it was and false is returned.
bool ResizeStorage(Moveable& m, SIZE_T capacity, SIZE_T keep, bool zero, SIZE_T& cleanFrom) {
  const bool mapped = capacity >= kMappedBlockSize;
  if (m.data != nullptr && m.mapped && mapped) {
    const SIZE_T rounded = PageRounded(capacity);
    if (rounded > m.capacity) GiveBackForFresh(rounded - m.capacity);
    void* p = mremap(m.data, m.capacity, rounded, MREMAP_MAYMOVE);
    if (p == MAP_FAILED) return false;
    cleanFrom = m.capacity;
    m.data = p;
    m.capacity = rounded;
    return true;
  }
  cleanFrom = SIZE_MAX;
  if ((m.data == nullptr || !m.mapped) && !mapped) {
    void* p = std::realloc(m.data, capacity);
    if (p == nullptr) return false;
    m.data = p;
    m.capacity = capacity;
    return true;
  }
  // Between the heap and a mapping: the one copy, when the block crosses the size.
  Storage fresh = NewStorage(capacity, zero);
  if (fresh.data == nullptr) return false;
  if (keep) std::memcpy(fresh.data, m.data, keep);
  if (fresh.clean) cleanFrom = keep;
  ReleaseStorage(m);
  m.data = fresh.data;
  m.capacity = fresh.capacity;
  m.mapped = fresh.mapped;
  return true;
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
    Storage storage;
    if (bytes != 0 && (storage = NewStorage(bytes, zero)).data == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    uint32_t slot;
    if (!g.freeSlots.empty()) {
      slot = g.freeSlots.back();
      g.freeSlots.pop_back();
    } else {
      if (g.slots.size() > kMaxSlots) {
        ReleaseStorage(Moveable{storage.data, 0, storage.capacity, 0, false, storage.mapped});
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
      }
      slot = static_cast<uint32_t>(g.slots.size());
      g.slots.emplace_back();
    }
    g.slots[slot] = Moveable{storage.data, bytes, storage.capacity, 0, true, storage.mapped};
    CloseMapped(g.slots[slot]);
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
    OpenMapped(*m);
    struct Closer {
      const Moveable& m;
      ~Closer() { CloseMapped(m); }
    } closer{*m};
    if (bytes <= m->capacity && !(bytes == 0 && m->locks == 0) && !ShouldRelease(bytes, m->capacity)) {
      // Within the reserve the block stays where it is, locked or not.
      if (bytes > old && zero) std::memset(static_cast<char*>(m->data) + old, 0, bytes - old);
      m->size = bytes;
      return block;
    }
    if (m->locks != 0) return Fail(ERROR_NOT_ENOUGH_MEMORY);  // a locked block may not move
    if (bytes == 0) {
      ReleaseStorage(*m);
      m->data = nullptr;
      m->size = m->capacity = 0;
      m->mapped = false;
      return block;
    }
    // Growth gets a geometric reserve, so that a block grown in small
    // steps is moved a logarithmic number of times, not at every step.
    const SIZE_T keep = bytes < old ? bytes : old;
    const SIZE_T capacity = bytes > old ? GrownCapacity(m->capacity, bytes) : bytes;
    SIZE_T cleanFrom = SIZE_MAX;
    if (!ResizeStorage(*m, capacity, keep, zero, cleanFrom) &&
        (capacity == bytes || !ResizeStorage(*m, bytes, keep, zero, cleanFrom)))
      return Fail(ERROR_NOT_ENOUGH_MEMORY);
    if (zero && bytes > keep) {
      // Fresh pages of a mapping are zero already: only bytes before them
      // can be stale. Not touching the rest keeps it out of memory until
      // it is written.
      const SIZE_T stale = std::min(cleanFrom, bytes);
      if (stale > keep) std::memset(static_cast<char*>(m->data) + keep, 0, stale - keep);
    }
    m->size = bytes;
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
    OpenMapped(*m);
    ReleaseStorage(*m);
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
