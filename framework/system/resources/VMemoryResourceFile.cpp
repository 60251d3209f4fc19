// VMemoryResourceFile: reading the container's block into an index, loading
// resources into handles of their own, and writing the block back in
// canonical form.
#include "framework/system/resources/VMemoryResourceFile.h"

#include <cstring>
#include <iterator>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VByteReader.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "boundary/ModuleExports.h"

namespace {

constexpr uint32_t kNoOffset = 0xFFFFFFFF;
constexpr uint8_t kMaxNameLength = 31;
// The ids UniqueResourceId draws from.
constexpr int16_t kFirstFreshId = 1;
constexpr int16_t kLastFreshId = 31999;
// Random draws before the fresh id is searched for in order.
constexpr int32_t kMaxDraws = 100000;

uint64_t RecordSize(uint32_t length) { return kMemResEntryHeadSize + ((uint64_t{length} + 3) & ~uint64_t{3}); }

void WriteU32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

}  // namespace

// ---------------------------------------------------------------------------
// Life

VMemoryResourceFile::VMemoryResourceFile(VMemHandle handle, uint8_t create) : fHandle(handle) {
  SetSwapProc(nullptr);
  if (create) {
    fMagic = kMemResMagic;
    fVersion = kMemResVersion;
    fCount = 0;
    fOpen = 1;
    fModified = 1;
    return;
  }
  Read();
}

VMemoryResourceFile::VMemoryResourceFile(const void* block, uint32_t size)
    : fPointer(static_cast<const uint8_t*>(block)), fPointerSize(block != nullptr ? size : 0), fReadOnly(1) {
  SetSwapProc(nullptr);
  Read();
}

VMemoryResourceFile::~VMemoryResourceFile() {
  if (fOpen && fModified && !fReadOnly) UpdateFile();
  DropCachedList();
  for (auto& [type, ids] : fIndex) {
    for (auto& [id, entry] : ids) {
      if (entry->dataHandle != 0) gMemoryMgr->DisposeHandle(entry->dataHandle);
      delete entry;
    }
  }
  fIndex.clear();
  fInUse.clear();
  fLastUsed = nullptr;
}

// ---------------------------------------------------------------------------
// The block

const uint8_t* VMemoryResourceFile::AcquireBlock(uint32_t& size) {
  if (fPointer != nullptr) {
    size = fPointerSize;
    return fPointer;
  }
  size = 0;
  if (fHandle == 0) return nullptr;
  size = gMemoryMgr->GetHandleSize(fHandle);
  const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(fHandle));
  if (data == nullptr) size = 0;
  return data;
}

void VMemoryResourceFile::ReleaseBlock() {
  if (fPointer == nullptr && fHandle != 0) gMemoryMgr->UnlockHandle(fHandle);
}

void VMemoryResourceFile::Read() {
  fOpen = 0;
  fModified = 0;
  fOtherOrder = 0;
  if (fPointer == nullptr && fHandle == 0) return;
  uint32_t size = 0;
  const uint8_t* block = AcquireBlock(size);
  if (block == nullptr || size < kMemResHeaderSize) {
    ReleaseBlock();
    return;
  }
  VByteReader reader(block, size);
  fMagic = reader.U32();
  if (fMagic == kMemResMagicSwapped) {
    // Written on a machine of the other byte order: every field reads that way.
    fOtherOrder = 1;
    fMagic = kMemResMagic;
    reader.SwapOrder();
  }
  fVersion = reader.U32();
  fCount = reader.U32();
  if (fMagic != kMemResMagic) {
    ReleaseBlock();
    return;
  }
  fOpen = 1;

  uint32_t remaining = fCount;
  bool inserted = false;
  bool damaged = false;
  while (remaining > 0 && reader.Remaining() >= 4) {
    --remaining;
    // Anything but a marker is stepped over, a word at a time.
    if (reader.U32() != kMemResMarker) continue;
    Entry head;
    head.type = reader.U32();
    reader.Bytes(head.name, sizeof head.name);
    head.length = reader.U32();
    head.id = reader.I16();
    reader.Bytes(head.reserved, sizeof head.reserved);
    // The head, then the data, must lie inside the block.
    if (reader.Failed() || head.length > reader.Remaining()) {
      damaged = true;
      break;
    }
    // A name cannot be longer than its field.
    if (head.name[0] > kMaxNameLength) head.name[0] = kMaxNameLength;
    head.dataOffset = static_cast<uint32_t>(reader.Position());
    auto* entry = new Entry(head);
    if (Insert(entry)) {
      inserted = true;
    } else {
      delete entry;
    }
    // The data is padded to a multiple of four; a block may end before the
    // last entry's padding, which ends the reading.
    reader.Skip(static_cast<size_t>(RecordSize(head.length) - kMemResEntryHeadSize));
  }
  // What was read is rewritten in canonical form, unless the block is
  // damaged: its broken tail is then left as it is until the caller changes
  // something.
  fModified = inserted && !damaged ? 1 : 0;
  ReleaseBlock();
}

// ---------------------------------------------------------------------------
// The index

VMemoryResourceFile::Entry* VMemoryResourceFile::Find(uint32_t type, int16_t id) const {
  const IdMap* ids = IdsOf(type);
  if (ids == nullptr) return nullptr;
  auto it = ids->find(id);
  return it != ids->end() ? it->second : nullptr;
}

const VMemoryResourceFile::IdMap* VMemoryResourceFile::IdsOf(uint32_t type) const {
  auto it = fIndex.find(type);
  return it != fIndex.end() ? &it->second : nullptr;
}

VMemoryResourceFile::Entry* VMemoryResourceFile::FindByRef(VResourceRef ref) const {
  if (ref == 0) return nullptr;
  if (fLastUsed != nullptr && fLastUsed->inUseAt >= 0 && fLastUsed->dataHandle == ref) return fLastUsed;
  for (Entry* entry : fInUse) {
    if (entry->dataHandle == ref) return fLastUsed = entry;
  }
  return nullptr;
}

VMemoryResourceFile::Entry* VMemoryResourceFile::FindByIndex(uint32_t type, int32_t index) const {
  const IdMap* ids = IdsOf(type);
  if (ids == nullptr || index < 1 || index > static_cast<int32_t>(ids->size())) return nullptr;
  if (fFoundStamp == fStamp && fFoundType == type && fFoundIndex <= index) {
    fFound = std::next(fFound, index - fFoundIndex);
  } else {
    fFound = std::next(ids->begin(), index - 1);
  }
  fFoundStamp = fStamp;
  fFoundType = type;
  fFoundIndex = index;
  return fFound->second;
}

bool VMemoryResourceFile::Insert(Entry* entry) {
  IdMap& ids = fIndex[entry->type];
  return ids.emplace(entry->id, entry).second;
}

void VMemoryResourceFile::EnterInUse(Entry* entry) {
  if (entry->inUseAt >= 0) return;
  entry->inUseAt = static_cast<int32_t>(fInUse.size());
  fInUse.push_back(entry);
}

// The last entry takes the place of the one that leaves.
void VMemoryResourceFile::LeaveInUse(Entry* entry) {
  if (entry->inUseAt < 0) return;
  Entry* last = fInUse.back();
  fInUse[static_cast<size_t>(entry->inUseAt)] = last;
  last->inUseAt = entry->inUseAt;
  fInUse.pop_back();
  entry->inUseAt = -1;
}

uint64_t VMemoryResourceFile::NextStamp() {
  static uint64_t last = 0;
  return ++last;
}

void VMemoryResourceFile::Changed() {
  fModified = 1;
  fStamp = NextStamp();
}

void VMemoryResourceFile::Remove(Entry* entry) {
  Changed();
  if (entry->dataHandle != 0) gMemoryMgr->DisposeHandle(entry->dataHandle);
  LeaveInUse(entry);
  if (fLastUsed == entry) fLastUsed = nullptr;
  auto it = fIndex.find(entry->type);
  if (it != fIndex.end()) {
    it->second.erase(entry->id);
    if (it->second.empty()) fIndex.erase(it);
  }
  delete entry;
}

void VMemoryResourceFile::SetNameField(uint8_t field[32], const VString* name) {
  std::memset(field, 0, 32);
  if (name == nullptr) return;
  uint8_t text[256];
  name->GetPText(text, 255, kResCharSetMac);
  const uint8_t length = text[0] > kMaxNameLength ? kMaxNameLength : text[0];
  field[0] = length;
  std::memcpy(field + 1, text + 1, length);
}

// ---------------------------------------------------------------------------
// Loading and releasing

void VMemoryResourceFile::ConvertToNative(uint32_t type, uint32_t length, void* data) {
  VResSwapProc proc = GetSwapProc();
  if (proc == nullptr || proc(1, type, length, data) == 0) SwapRsrcProc(1, type, length, data);
}

VResourceRef VMemoryResourceFile::Load(Entry* entry) {
  const bool entered = entry->useCount == 0;
  if (entered) EnterInUse(entry);
  ++entry->useCount;
  auto undo = [&]() {
    --entry->useCount;
    if (entered && entry->useCount == 0 && !entry->changed) LeaveInUse(entry);
  };
  if (entry->dataHandle == 0) {
    if (entry->dataOffset == kNoOffset) {
      undo();
      return 0;
    }
    entry->dataHandle = gMemoryMgr->NewEmptyHandle();
    if (entry->dataHandle == 0) {
      undo();
      return 0;
    }
    entry->converted = 0;
    entry->changed = 0;
    entry->loading = 1;
  }
  if (entry->loading) {
    // A handle that cannot take the data gets none of it: it is given up.
    if (!gMemoryMgr->SetHandleSize(entry->dataHandle, entry->length) ||
        gMemoryMgr->GetHandleSize(entry->dataHandle) != entry->length) {
      gMemoryMgr->DisposeHandle(entry->dataHandle);
      entry->dataHandle = 0;
      entry->loading = 0;
      undo();
      return 0;
    }
    uint32_t size = 0;
    const uint8_t* block = AcquireBlock(size);
    auto* data = static_cast<uint8_t*>(gMemoryMgr->LockHandle(entry->dataHandle));
    if (block != nullptr && data != nullptr && uint64_t{entry->dataOffset} + entry->length <= size) {
      std::memcpy(data, block + entry->dataOffset, entry->length);
      if (fOtherOrder) {
        ConvertToNative(entry->type, entry->length, data);
        entry->converted = 1;
      }
    }
    if (data != nullptr) gMemoryMgr->UnlockHandle(entry->dataHandle);
    ReleaseBlock();
    entry->loading = 0;
    entry->changed = 0;
  }
  fLastUsed = entry;
  return entry->dataHandle;
}

void VMemoryResourceFile::Release(Entry* entry) {
  if (entry->useCount > 0) --entry->useCount;
  if (entry->useCount > 0) return;
  LeaveInUse(entry);
  if (!entry->changed && entry->dataHandle != 0) {
    // The data can be loaded again from the block.
    ForgetCachedRef(entry->dataHandle);
    gMemoryMgr->DisposeHandle(entry->dataHandle);
    entry->dataHandle = 0;
    entry->converted = 0;
  }
}

// ---------------------------------------------------------------------------
// The interface

int16_t VMemoryResourceFile::AddResource(uint32_t type, int16_t id, const VString* name,
                                         const void* data, uint32_t size) {
  if (!Writable()) return -1;
  // An existing resource is never replaced.
  if (id == -1 || Find(type, id) != nullptr) id = UniqueResourceId(type);
  if (id == -1) return -1;
  auto* entry = new Entry;
  entry->type = type;
  entry->id = id;
  SetNameField(entry->name, name);
  entry->length = size;
  entry->dataOffset = kNoOffset;
  entry->dataHandle = data != nullptr ? gMemoryMgr->NewHandleFromData(data, size)
                                      : gMemoryMgr->NewHandleClear(size, 0);
  if (entry->dataHandle == 0) {
    delete entry;
    return -1;
  }
  entry->changed = 1;
  EnterInUse(entry);
  Insert(entry);
  Changed();
  return id;
}

bool VMemoryResourceFile::RemoveResourceHandle(VResourceRef ref) {
  if (!Writable()) return false;
  Entry* entry = FindByRef(ref);
  if (entry == nullptr) return false;
  ForgetCachedRef(ref);
  Remove(entry);
  return true;
}

bool VMemoryResourceFile::RemoveResource(uint32_t type, int16_t id) {
  if (!Writable()) return false;
  if (Find(type, id) == nullptr) return false;
  ForgetCachedList(type, id);
  // Giving back the cached list may have released it, but the entry stays.
  Remove(Find(type, id));
  return true;
}

VResourceRef VMemoryResourceFile::GetResource(uint32_t type, int16_t id, uint8_t* owned) {
  if (owned != nullptr) *owned = 0;
  if (!fOpen) return 0;
  Entry* entry = Find(type, id);
  return entry != nullptr ? Load(entry) : 0;
}

int16_t VMemoryResourceFile::GetResourceId(VResourceRef ref) {
  if (!fOpen) return 0;
  Entry* entry = FindByRef(ref);
  return entry != nullptr ? entry->id : int16_t(-1);
}

int16_t VMemoryResourceFile::GetIndResourceId(uint32_t type, int32_t index) {
  const Entry* entry = fOpen ? FindByIndex(type, index) : nullptr;
  return entry != nullptr ? entry->id : int16_t(-1);
}

int16_t VMemoryResourceFile::GetPNamedResourceId(uint32_t type, const uint8_t* name) {
  if (!fOpen || name == nullptr) return -1;
  VStr<255> text;
  text.SetPText(name, kResCharSetAnsi);
  return GetNamedResourceId(type, &text);
}

int16_t VMemoryResourceFile::GetNamedResourceId(uint32_t type, const VString* name) {
  if (!fOpen || name == nullptr) return -1;
  const IdMap* ids = IdsOf(type);
  if (ids == nullptr) return -1;
  for (const auto& [id, entry] : *ids) {
    if (name->ComparePText(entry->name, kResCharSetAnsi, false) == 0) return id;
  }
  return -1;
}

VLongArray* VMemoryResourceFile::GetResourceTypes() {
  if (!fOpen || fIndex.empty()) return nullptr;
  auto* types = new VLongArray();
  for (const auto& [type, ids] : fIndex) types->AppendLong(static_cast<int32_t>(type), false);
  return types;
}

int16_t VMemoryResourceFile::UniqueResourceId(uint32_t type) {
  if (!fOpen) return 0;
  if (fIndex.empty()) return 1;
  const IdMap* ids = IdsOf(type);
  if (ids == nullptr) return static_cast<int16_t>(VSystemServices::RandomInRange(1, 32000));
  // Every id the draws can give is taken: there is none to give.
  auto from = ids->lower_bound(kFirstFreshId);
  auto to = ids->upper_bound(kLastFreshId);
  if (std::distance(from, to) >= kLastFreshId - kFirstFreshId + 1) return -1;
  for (int32_t draw = 0; draw < kMaxDraws; ++draw) {
    const auto id = static_cast<int16_t>(VSystemServices::RandomInRange(1, 32000));
    if (ids->find(id) == ids->end()) return id;
  }
  // Few ids are left: the first free one.
  for (int32_t id = kFirstFreshId; id <= kLastFreshId; ++id) {
    if (ids->find(static_cast<int16_t>(id)) == ids->end()) return static_cast<int16_t>(id);
  }
  return -1;
}

VStringArray* VMemoryResourceFile::GetResourceNames(uint32_t type) {
  const IdMap* ids = fOpen ? IdsOf(type) : nullptr;
  if (ids == nullptr) return nullptr;
  auto* names = new VStringArray();
  for (const auto& [id, entry] : *ids) {
    auto* name = new VStr<63>;
    name->SetMacPText(entry->name);
    names->AppendObject(name, false);
  }
  return names;
}

VWordArray* VMemoryResourceFile::GetResourceIds(uint32_t type) {
  const IdMap* ids = fOpen ? IdsOf(type) : nullptr;
  if (ids == nullptr) return nullptr;
  auto* list = new VWordArray();
  for (const auto& [id, entry] : *ids) list->AppendWord(id, false);
  return list;
}

void VMemoryResourceFile::ReleaseResourceById(uint32_t type, int16_t id) {
  if (!fOpen) return;
  if (Entry* entry = Find(type, id)) Release(entry);
}

void VMemoryResourceFile::ReleaseResource(VResourceRef ref) {
  if (!fOpen) return;
  if (Entry* entry = FindByRef(ref)) Release(entry);
}

int32_t VMemoryResourceFile::UpdateFile() {
  if (!fOpen) return kMemResNotOpen;
  if (fReadOnly || !fModified) return 0;

  VMemHandle image = gMemoryMgr->NewHandle(kMemResHeaderSize, 0);
  if (image == 0) return kMemNoMemory;
  uint32_t size = 0;
  const uint8_t* block = AcquireBlock(size);
  int32_t error = 0;
  uint64_t imageSize = kMemResHeaderSize;
  uint32_t written = 0;
  std::vector<std::pair<Entry*, uint32_t>> places;

  for (auto& [type, ids] : fIndex) {
    for (auto& [id, entry] : ids) {
      const uint64_t record = RecordSize(entry->length);
      // The image's size, like every offset in it, fits in 32 bits.
      if (imageSize + record > UINT32_MAX ||
          !gMemoryMgr->SetHandleSize(image, static_cast<uint32_t>(imageSize + record))) {
        error = kMemNoMemory;
        break;
      }
      auto* out = static_cast<uint8_t*>(gMemoryMgr->LockHandle(image));
      if (out == nullptr) {
        error = kMemNoMemory;
        break;
      }
      uint8_t* at = out + imageSize;
      // Head: marker, type, name with a zeroed tail, length, id, reserved.
      std::memset(at, 0, static_cast<size_t>(record));
      WriteU32(at, kMemResMarker);
      WriteU32(at + 4, entry->type);
      at[8] = entry->name[0] > kMaxNameLength ? kMaxNameLength : entry->name[0];
      std::memcpy(at + 9, entry->name + 1, at[8]);
      WriteU32(at + 40, entry->length);
      std::memcpy(at + 44, &entry->id, 2);
      std::memcpy(at + 46, entry->reserved, 2);
      uint8_t* data = at + kMemResEntryHeadSize;
      if (entry->dataHandle != 0) {
        const void* source = gMemoryMgr->LockHandle(entry->dataHandle);
        const uint32_t have = gMemoryMgr->GetHandleSize(entry->dataHandle);
        if (source != nullptr) std::memcpy(data, source, have < entry->length ? have : entry->length);
        gMemoryMgr->UnlockHandle(entry->dataHandle);
      } else if (block != nullptr && uint64_t{entry->dataOffset} + entry->length <= size) {
        // Converted in the image, never in the block.
        std::memcpy(data, block + entry->dataOffset, entry->length);
        if (fOtherOrder) ConvertToNative(entry->type, entry->length, data);
      }
      gMemoryMgr->UnlockHandle(image);
      places.emplace_back(entry, static_cast<uint32_t>(imageSize + kMemResEntryHeadSize));
      imageSize += record;
      ++written;
    }
    if (error != 0) break;
  }
  ReleaseBlock();

  if (error == 0) {
    auto* out = static_cast<uint8_t*>(gMemoryMgr->LockHandle(image));
    if (out != nullptr) {
      WriteU32(out, fMagic);
      WriteU32(out + 4, fVersion);
      WriteU32(out + 8, written);
    }
    gMemoryMgr->UnlockHandle(image);
    if (out == nullptr || !gMemoryMgr->SetHandleSize(fHandle, static_cast<uint32_t>(imageSize))) {
      error = kMemNoMemory;
    } else {
      auto* target = static_cast<uint8_t*>(gMemoryMgr->LockHandle(fHandle));
      const auto* source = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(image));
      if (target != nullptr && source != nullptr) std::memcpy(target, source, static_cast<size_t>(imageSize));
      gMemoryMgr->UnlockHandle(image);
      gMemoryMgr->UnlockHandle(fHandle);
      fModified = 0;
      fOtherOrder = 0;
      fCount = written;
      for (auto& [entry, offset] : places) entry->dataOffset = offset;
    }
  }
  gMemoryMgr->DisposeHandle(image);
  return error;
}

VResourceRef VMemoryResourceFile::GetIndResource(uint32_t type, int16_t index, uint8_t* owned) {
  if (owned != nullptr) *owned = 0;
  // Found by its place, not through its id: an index outside the type must
  // not fall on a resource whose id is -1.
  Entry* entry = fOpen ? FindByIndex(type, index) : nullptr;
  return entry != nullptr ? Load(entry) : 0;
}

void VMemoryResourceFile::GetResourceName(VString* out, uint32_t type, int16_t id) {
  if (out == nullptr) return;
  Entry* entry = fOpen ? Find(type, id) : nullptr;
  if (entry == nullptr) {
    out->Clear();
    return;
  }
  out->SetMacPText(entry->name);
}

void VMemoryResourceFile::GetResourceNameOfHandle(VString* out, VResourceRef ref) {
  if (out == nullptr) return;
  Entry* entry = fOpen ? FindByRef(ref) : nullptr;
  if (entry == nullptr) {
    out->Clear();
    return;
  }
  out->SetMacPText(entry->name);
}

bool VMemoryResourceFile::IsOpen() { return fOpen != 0; }

int32_t VMemoryResourceFile::CountResources(uint32_t type) {
  const IdMap* ids = fOpen ? IdsOf(type) : nullptr;
  return ids != nullptr ? static_cast<int32_t>(ids->size()) : 0;
}

void* VMemoryResourceFile::LockResource(VResourceRef ref) {
  Entry* entry = fOpen ? FindByRef(ref) : nullptr;
  return entry != nullptr ? gMemoryMgr->LockHandle(entry->dataHandle) : nullptr;
}

void VMemoryResourceFile::UnlockResource(VResourceRef ref) {
  Entry* entry = fOpen ? FindByRef(ref) : nullptr;
  if (entry != nullptr) gMemoryMgr->UnlockHandle(entry->dataHandle);
}

uint32_t VMemoryResourceFile::GetResourceSize(VResourceRef ref) {
  Entry* entry = fOpen ? FindByRef(ref) : nullptr;
  return entry != nullptr ? gMemoryMgr->GetHandleSize(entry->dataHandle) : 0;
}

bool VMemoryResourceFile::SetResourceSize(VResourceRef ref, uint32_t size) {
  if (!Writable()) return false;
  Entry* entry = FindByRef(ref);
  if (entry == nullptr) return false;
  if (!gMemoryMgr->SetHandleSize(entry->dataHandle, size)) return false;
  entry->length = size;
  entry->changed = 1;
  // The new size is stored only when the file is written.
  Changed();
  return true;
}

VMemHandle VMemoryResourceFile::DetachResource(VResourceRef ref) {
  if (!fOpen) return 0;
  Entry* entry = FindByRef(ref);
  if (entry == nullptr) return 0;
  if (entry->useCount > 0) --entry->useCount;
  if (entry->useCount == 0) LeaveInUse(entry);
  if (entry->changed) return gMemoryMgr->DuplicateHandle(entry->dataHandle);
  // The caller owns the handle now; the data stays in the block.
  const VMemHandle handle = entry->dataHandle;
  ForgetCachedRef(handle);
  entry->dataHandle = 0;
  entry->converted = 0;
  if (entry->useCount > 0) LeaveInUse(entry);
  entry->useCount = 0;
  return handle;
}

void VMemoryResourceFile::WriteResource(VResourceRef ref) {
  if (!Writable()) return;
  Entry* entry = FindByRef(ref);
  if (entry == nullptr) return;
  entry->changed = 1;
  Changed();
}

uint32_t VMemoryResourceFile::GetResourceSizeById(uint32_t type, int16_t id) {
  Entry* entry = fOpen ? Find(type, id) : nullptr;
  return entry != nullptr ? entry->length : 0;
}

bool VMemoryResourceFile::RemoveResources(uint32_t type) {
  if (!Writable()) return false;
  VWordArray* ids = GetResourceIds(type);
  if (ids == nullptr) return true;
  bool all = true;
  for (int32_t i = ids->Count(); i >= 1 && all; --i) all = RemoveResource(type, ids->GetWord(i));
  delete ids;
  return all;
}

void VMemoryResourceFile::SetResourceName(uint32_t type, int16_t id, const VString* name) {
  if (!Writable()) return;
  Entry* entry = Find(type, id);
  if (entry == nullptr) return;
  SetNameField(entry->name, name);
  Changed();
}

bool VMemoryResourceFile::HasResource(uint32_t type, int16_t id) {
  return fOpen && Find(type, id) != nullptr;
}
