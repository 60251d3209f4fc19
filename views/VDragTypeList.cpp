// VDragTypeList: the type block and its operations.
#include "views/VDragTypeList.h"

#include <cstring>

#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "platform/bytes/ByteOrder.h"

namespace {

constexpr size_t kVersionAt = 0;
constexpr size_t kInsetAAt = 2;
constexpr size_t kMaskAt = 18;
constexpr size_t kCapacityAt = 22;
constexpr size_t kCountAt = 24;
constexpr size_t kOfferedAt = 0;
constexpr size_t kAcceptedAt = 1;
constexpr size_t kNameLengthAt = 2;
constexpr size_t kNameAt = 4;
constexpr int kOffered = 0;
constexpr int kAccepted = 1;

size_t BlockSizeFor(int32_t capacity) {
  return kDragTypeHeaderSize + kDragTypeEntrySize * static_cast<size_t>(capacity < 0 ? 0 : capacity);
}

int32_t RawCapacity(const uint8_t* block) {
  const auto c = static_cast<int16_t>(LoadLE16(block + kCapacityAt));
  return c < 0 ? 0 : c;
}

int32_t ClampedCount(const uint8_t* block, int32_t capacity) {
  const auto n = static_cast<int16_t>(LoadLE16(block + kCountAt));
  return n < 0 ? 0 : (n > capacity ? capacity : n);
}

uint16_t NameLength(const uint8_t* entry) {
  const uint16_t n = LoadLE16(entry + kNameLengthAt);
  return n > kDragTypeNameMax ? kDragTypeNameMax : n;
}

}  // namespace

VDragTypeList::VDragTypeList() { MakeNew(); }

VDragTypeList::VDragTypeList(const VDragTypeList& other) {
  if (!CopyFrom(other.fBlock, kDragTypeMaxEntries)) MakeNew();
}

VDragTypeList::VDragTypeList(uint8_t* block, bool adopt) {
  if (adopt && block != nullptr) {
    fBlock = block;
  } else if (!CopyFrom(block, kDragTypeMaxEntries)) {
    MakeNew();
  }
}

VDragTypeList::VDragTypeList(const uint8_t* block) {
  if (!CopyFrom(block, kDragTypeMaxEntries)) MakeNew();
}

VDragTypeList::VDragTypeList(const uint8_t* block, size_t size) {
  if (!Assign(block, size)) MakeNew();
}

VDragTypeList::~VDragTypeList() { Free(); }

VDragTypeList& VDragTypeList::operator=(const VDragTypeList& other) {
  if (this != &other) Assign(other.fBlock);
  return *this;
}

void VDragTypeList::Free() {
  if (fBlock != nullptr) gMemoryMgr->DisposeBlock(fBlock);
  fBlock = nullptr;
}

void VDragTypeList::MakeNew() {
  Free();
  fBlock = static_cast<uint8_t*>(gMemoryMgr->NewBlockClear(BlockSizeFor(1)));
  if (fBlock == nullptr) return;
  StoreLE16(fBlock + kVersionAt, 1);
  StoreLE16(fBlock + kCapacityAt, 1);
}

bool VDragTypeList::CopyFrom(const uint8_t* block, int32_t capacityLimit) {
  if (block == nullptr) return false;
  int32_t capacity = RawCapacity(block);
  if (capacity > capacityLimit) capacity = capacityLimit;
  const int32_t count = ClampedCount(block, capacity);
  auto* copy = static_cast<uint8_t*>(gMemoryMgr->NewBlock(BlockSizeFor(count)));
  if (copy == nullptr) return false;
  std::memcpy(copy, block, BlockSizeFor(count));
  StoreLE16(copy + kCapacityAt, static_cast<uint16_t>(count));
  StoreLE16(copy + kCountAt, static_cast<uint16_t>(count));
  // Name lengths are written back within 32, so the copy needs no trust.
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* entry = copy + kDragTypeHeaderSize + kDragTypeEntrySize * static_cast<size_t>(i);
    StoreLE16(entry + kNameLengthAt, NameLength(entry));
  }
  Free();
  fBlock = copy;
  return true;
}

bool VDragTypeList::Assign(const uint8_t* block) {
  if (block == fBlock && block != nullptr) return true;
  if (CopyFrom(block, kDragTypeMaxEntries)) return true;
  MakeNew();
  return false;
}

bool VDragTypeList::Assign(const uint8_t* block, size_t size) {
  if (block == nullptr || size < kDragTypeHeaderSize) {
    MakeNew();
    return false;
  }
  const size_t held = (size - kDragTypeHeaderSize) / kDragTypeEntrySize;
  const auto limit = static_cast<int32_t>(held < size_t{kDragTypeMaxEntries} ? held : kDragTypeMaxEntries);
  if (CopyFrom(block, limit)) return true;
  MakeNew();
  return false;
}

int32_t VDragTypeList::Capacity() const { return fBlock != nullptr ? RawCapacity(fBlock) : 0; }

int32_t VDragTypeList::Count() const { return fBlock != nullptr ? ClampedCount(fBlock, Capacity()) : 0; }

size_t VDragTypeList::GetBlockSize() const { return fBlock != nullptr ? BlockSizeFor(Capacity()) : 0; }

void VDragTypeList::SetCount(int32_t n) { StoreLE16(fBlock + kCountAt, static_cast<uint16_t>(n)); }

uint8_t* VDragTypeList::EntryAt(int32_t index) const {
  return fBlock + kDragTypeHeaderSize + kDragTypeEntrySize * static_cast<size_t>(index - 1);
}

bool VDragTypeList::Flag(int32_t index, int which) const {
  return EntryAt(index)[which == kOffered ? kOfferedAt : kAcceptedAt] != 0;
}

uint32_t VDragTypeList::GetMask() const {
  return fBlock != nullptr ? LoadLE32(fBlock + kMaskAt) : 0;
}

void VDragTypeList::SetMask(uint32_t bits) {
  if (fBlock != nullptr) StoreLE32(fBlock + kMaskAt, bits);
}

void VDragTypeList::GetInsets(int32_t& a, int32_t& b, int32_t& c, int32_t& d) const {
  int32_t* out[4] = {&a, &b, &c, &d};
  for (int i = 0; i < 4; ++i) {
    *out[i] = fBlock != nullptr ? static_cast<int32_t>(LoadLE32(fBlock + kInsetAAt + 4 * i)) : 0;
  }
}

void VDragTypeList::SetInsets(int32_t a, int32_t b, int32_t c, int32_t d) {
  if (fBlock == nullptr) return;
  const int32_t in[4] = {a, b, c, d};
  for (int i = 0; i < 4; ++i) StoreLE32(fBlock + kInsetAAt + 4 * i, static_cast<uint32_t>(in[i]));
}

bool VDragTypeList::IsInDropArea(int32_t width, int32_t height, int32_t x, int32_t y) const {
  int32_t a = 0, b = 0, c = 0, d = 0;
  GetInsets(a, b, c, d);
  // Worked out in 64 bits: insets from another module may be anything.
  const int64_t left = -int64_t{a};
  const int64_t top = -int64_t{b};
  const int64_t right = left + width + c;
  const int64_t bottom = top + height + d;
  return x >= left && x < right && y >= top && y < bottom;
}

void VDragTypeList::GetTypeName(int32_t index, VString& out) const {
  out.SetEmpty(false);
  if (index < 1 || index > Count()) return;
  const uint8_t* entry = EntryAt(index);
  const uint16_t n = NameLength(entry);
  char16_t units[kDragTypeNameMax];
  for (uint16_t i = 0; i < n; ++i)
    units[i] = static_cast<char16_t>(LoadLE16(entry + kNameAt + 2 * i));
  out.SetUniChars(units, 0, n);
}

bool VDragTypeList::NameEquals(int32_t index, const VString& name) const {
  VStr<kDragTypeNameMax> entryName;
  GetTypeName(index, entryName);
  return entryName.Compare(name, 0, 0) == 0;
}

int32_t VDragTypeList::Find(const VString& name) const {
  const int32_t count = Count();
  for (int32_t i = 1; i <= count; ++i) {
    if (NameEquals(i, name)) return i;
  }
  return 0;
}

bool VDragTypeList::Reserve(int32_t n) {
  if (fBlock == nullptr) return false;
  if (Capacity() >= n) return true;
  if (n > kDragTypeMaxEntries) return false;
  auto* grown = static_cast<uint8_t*>(gMemoryMgr->NewBlock(BlockSizeFor(n)));
  if (grown == nullptr) return false;
  // The header and the entries the old block has room for, which may be
  // fewer than n - 1 when a caller reserves ahead; the rest is zeroed.
  const size_t kept = BlockSizeFor(Capacity());
  std::memcpy(grown, fBlock, kept);
  std::memset(grown + kept, 0, BlockSizeFor(n) - kept);
  StoreLE16(grown + kCapacityAt, static_cast<uint16_t>(n));
  Free();
  fBlock = grown;
  return true;
}

bool VDragTypeList::AddType(bool offered, bool accepted, const VString& name) {
  if (fBlock == nullptr) return false;
  if (const int32_t index = Find(name); index != 0) {
    uint8_t* entry = EntryAt(index);
    if (offered) entry[kOfferedAt] = 1;
    if (accepted) entry[kAcceptedAt] = 1;
    return true;
  }
  const int32_t count = Count();
  if (count >= kDragTypeMaxEntries || !Reserve(count + 1)) return false;
  SetCount(count + 1);
  uint8_t* entry = EntryAt(count + 1);
  std::memset(entry, 0, kDragTypeEntrySize);
  const int32_t length = name.GetLength() < kDragTypeNameMax ? name.GetLength() : kDragTypeNameMax;
  StoreLE16(entry + kNameLengthAt, static_cast<uint16_t>(length));
  for (int32_t i = 0; i < length; ++i) StoreLE16(entry + kNameAt + 2 * i, name.GetCharAt(i + 1));
  entry[kOfferedAt] = offered ? 1 : 0;
  entry[kAcceptedAt] = accepted ? 1 : 0;
  return true;
}

void VDragTypeList::RemoveType(bool offered, bool accepted, const VString& name) {
  const int32_t index = Find(name);
  if (index == 0) return;
  uint8_t* entry = EntryAt(index);
  if (offered) entry[kOfferedAt] = 0;
  if (accepted) entry[kAcceptedAt] = 0;
  if (entry[kOfferedAt] == 0 && entry[kAcceptedAt] == 0) DeleteEntry(index);
}

bool VDragTypeList::IsOffered(const VString& name) const {
  const int32_t index = Find(name);
  return index != 0 && Flag(index, kOffered);
}

bool VDragTypeList::IsAccepted(const VString& name) const {
  const int32_t index = Find(name);
  return index != 0 && Flag(index, kAccepted);
}

bool VDragTypeList::AddTypes(bool offered, bool accepted, const VStringArray& names) {
  const int32_t n = names.Count();
  for (int32_t i = 1; i <= n; ++i) {
    const VString* name = names.GetAt(i);
    if (name == nullptr) continue;
    if (!AddType(offered, accepted, *name)) return false;
  }
  return true;
}

void VDragTypeList::GetTypeNames(bool offered, bool accepted, VStringArray& names) const {
  names.SetCount(0, false);
  const int32_t count = Count();
  for (int32_t i = 1; i <= count; ++i) {
    if ((offered && Flag(i, kOffered)) || (accepted && Flag(i, kAccepted))) {
      auto* name = new VStr<kDragTypeNameMax>();
      GetTypeName(i, *name);
      names.AppendObject(name, false);
    }
  }
}

int32_t VDragTypeList::CountTypes(bool offered, bool accepted) const {
  int32_t n = 0;
  const int32_t count = Count();
  for (int32_t i = 1; i <= count; ++i) {
    if ((offered && Flag(i, kOffered)) || (accepted && Flag(i, kAccepted))) ++n;
  }
  return n;
}

void VDragTypeList::ClearFlag(int which) {
  const size_t drop = which == kOffered ? kOfferedAt : kAcceptedAt;
  const size_t keep = which == kOffered ? kAcceptedAt : kOfferedAt;
  int32_t i = 1;
  while (i <= Count()) {
    uint8_t* entry = EntryAt(i);
    if (entry[drop] != 0 && entry[keep] == 0) {
      DeleteEntry(i);
      continue;
    }
    entry[drop] = 0;
    ++i;
  }
}

void VDragTypeList::ClearOffered() { ClearFlag(kOffered); }
void VDragTypeList::ClearAccepted() { ClearFlag(kAccepted); }

void VDragTypeList::DeleteEntry(int32_t index) {
  const int32_t count = Count();
  if (index < 1 || index > count) return;
  if (index < count) {
    std::memmove(EntryAt(index), EntryAt(index + 1),
                 kDragTypeEntrySize * static_cast<size_t>(count - index));
  }
  SetCount(count - 1);
}

bool VDragTypeList::Matches(const VDragTypeList& dragged, uint32_t mask) const {
  if ((GetMask() & mask) == 0) return false;
  const int32_t count = Count();
  VStr<kDragTypeNameMax> name;
  for (int32_t i = 1; i <= count; ++i) {
    if (!Flag(i, kAccepted)) continue;
    GetTypeName(i, name);
    if (dragged.IsOffered(name)) return true;
  }
  return false;
}
