// The typed-array base: store, growth, insertion, deletion, sorting, linking,
// searching and the stream frame, for every element kind.
#include "framework/core/containers/VArray.h"

#include <cstring>

#include "framework/core/containers/VChainListOf.h"
#include "framework/core/memory/VHandleArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VString.h"

namespace {

// The store grows in granules of this many bytes.
constexpr uint16_t kStoreGranule = 64;
// Every element kind is smaller than this; swaps go through a buffer of it.
constexpr int32_t kSwapBufferSize = 256;
// No memory-manager block is larger than this.
constexpr uint64_t kMaxStoreBytes = 0x7FFFFFFF;

}  // namespace

VArray::VArray() : VValueMultiple(-1) { fStore = gMemoryMgr->NewHandleClear(0, kStoreGranule); }

VArray::~VArray() {
  LinkTo(nullptr);
  if (fStore != 0) gMemoryMgr->DisposeHandle(fStore);
}

bool VArray::IsMultiple() const { return true; }
int32_t VArray::Count() const { return fCount; }

int32_t VArray::NoMemoryError() {
  const uint32_t error = gMemoryMgr->GetError();
  return error != 0 ? int32_t(error) : int32_t(kMemNoMemory);
}

// ---- store

int64_t VArray::CapacityFor(int64_t n) const { return n; }
uint64_t VArray::StoreBytesFor(int64_t capacity) const { return uint64_t(capacity) * uint64_t(fElementSize); }

void VArray::ZeroElements(int32_t first, int32_t last) {
  if (first > last || fElementSize == 0) return;
  LockedStore store(*this);
  if (!store) return;
  std::memset(store.Data() + size_t(first - 1) * fElementSize, 0, size_t(last - first + 1) * fElementSize);
}

void VArray::ReadElement(int32_t index, void* element) const {
  LockedStore store(*this);
  if (store) std::memcpy(element, store.Data() + size_t(index - 1) * fElementSize, size_t(fElementSize));
}

void VArray::WriteElement(int32_t index, const void* element) {
  LockedStore store(*this);
  if (store) std::memcpy(store.Data() + size_t(index - 1) * fElementSize, element, size_t(fElementSize));
}

void VArray::SwapElements(uint8_t* data, int32_t a, int32_t b) {
  if (a == b) return;
  uint8_t buffer[kSwapBufferSize];
  uint8_t* pa = data + size_t(a) * fElementSize;
  uint8_t* pb = data + size_t(b) * fElementSize;
  std::memcpy(buffer, pa, size_t(fElementSize));
  std::memcpy(pa, pb, size_t(fElementSize));
  std::memcpy(pb, buffer, size_t(fElementSize));
}

void VArray::CopyElement(uint8_t* data, int32_t to, const uint8_t* source, int32_t from) {
  const size_t size = size_t(fElementSize);
  std::memcpy(data + size_t(to) * size, source + size_t(from) * size, size);
}

void VArray::SetCount(int32_t n, bool exact) {
  if (n == fCount) return;
  if (n < 0) n = 0;
  const int32_t before = fCount;
  const int32_t oldCapacity = fCapacity;
  if (n > fCapacity || exact) {
    const int64_t capacity = CapacityFor(n);
    const uint64_t bytes = StoreBytesFor(capacity);
    if (fStore == 0 || bytes > kMaxStoreBytes) return;
    if (!gMemoryMgr->SetHandleSizeClear(fStore, uint32_t(bytes))) return;
    fCapacity = int32_t(capacity);
  }
  fCount = n;
  if (fCurrent > fCount) fCurrent = fCount;
  // Elements dropped earlier without a shrink of the store may still hold
  // their bytes, so every element gained starts as zero. Bytes beyond the
  // old capacity are new to the store, which zeroes them as it grows.
  const int32_t stale = n < oldCapacity ? n : oldCapacity;
  if (stale > before) ZeroElements(before + 1, stale);
}

bool VArray::CheckIndex(int32_t& index) const {
  if (index == -1) index = fCurrent;
  if (index >= 1 && index <= fCount) return true;
  index = -1;
  return false;
}

void VArray::InsertElements(int32_t position, int32_t n, bool noSort) {
  if (n <= 0 || position < 1 || position > fCount + 1) return;
  if (int64_t(fCount) + n > INT32_MAX) return;
  const int32_t following = fCount + 1 - position;
  const int32_t wanted = fCount + n;
  SetCount(wanted, false);
  if (fCount != wanted) return;
  if (following != 0) MoveElements(position, position + n, following);
  if (fSorted != 0 && !noSort) Sort(false);
}

void VArray::DeleteElements(int32_t position, int32_t n) {
  // The range is cut to the part that lies inside 1 .. count.
  int64_t first = position;
  int64_t last = int64_t(position) + n - 1;
  if (first < 1) first = 1;
  if (last > fCount) last = fCount;
  if (n <= 0 || first > last) return;
  const int32_t at = int32_t(first);
  const int32_t dropped = int32_t(last - first + 1);
  DisposeElements(at, dropped);
  const int32_t following = fCount + 1 - at - dropped;
  if (following > 0) MoveElements(at + dropped, at, following);
  SetCount(fCount - dropped, true);
}

bool VArray::CanMove(int32_t from, int32_t to, int32_t n) const {
  if (from < 1 || from > fCount || to < 1 || to > fCount || from == to || n <= 0) return false;
  // Both ranges must end inside the store (the capacity for bits).
  const uint64_t last = uint64_t(from > to ? from : to) - 1 + uint64_t(n);
  if (fElementSize == 0) return last <= uint64_t(fCapacity);
  const uint64_t logical = fStore != 0 ? gMemoryMgr->GetHandleSize(fStore) : 0;
  return last * uint64_t(fElementSize) <= logical;
}

void VArray::MoveElements(int32_t from, int32_t to, int32_t n) {
  if (!CanMove(from, to, n)) return;
  const uint64_t size = uint64_t(fElementSize);
  LockedStore store(*this);
  if (!store) return;
  uint8_t* data = store.Data();
  MoveBlock(data + (from - 1) * size, data + (to - 1) * size, uint32_t(n * size));
  if (to > from) {
    std::memset(data + (from - 1) * size, 0, size_t((to - from) * size));
  } else {
    std::memset(data + (uint64_t(to) + n - 1) * size, 0, size_t((from - to) * size));
  }
}

void VArray::DuplicateElements() {}
void VArray::DisposeElements(int32_t, int32_t) {}

// ---- sorted state, current element, groups

void VArray::SetSorted(bool flag) {
  if ((fSorted != 0) == flag) return;
  fSorted = flag ? 1 : 0;
  if (flag) Sort(false);
}

bool VArray::IsSorted() const { return fSorted != 0; }

void VArray::SetCurrent(int32_t index) {
  if (index < 0) index = 0;
  if (index > fCount) index = fCount;
  fCurrent = index;
}

void VArray::LinkTo(VArray* other) {
  if (fGroup != nullptr) {
    VObject* self = this;
    fGroup->Remove(&self, true);
    if (fGroup->Count() <= 1) {
      // A group of one is no group: its last member is unlinked as well.
      if (fGroup->Count() == 1) {
        VArray* last = static_cast<VArray*>(fGroup->First());
        fGroup->RemoveAll(true);
        last->fGroup = nullptr;
      }
      delete fGroup;
    }
    fGroup = nullptr;
  }
  if (other == nullptr || other == this) return;
  if (other->fGroup == nullptr) {
    other->fGroup = new VChainListPtrOf<VObject*>(-1);
    VObject* first = other;
    other->fGroup->Add(&first);
  }
  fGroup = other->fGroup;
  VObject* self = this;
  fGroup->Add(&self);
}

void VArray::PropagateAppend(bool propagate, int32_t index) {
  if (fGroup == nullptr || !propagate) return;
  for (int32_t i = 1, n = fGroup->Count(); i <= n; ++i) {
    auto* member = static_cast<VArray*>(fGroup->GetAt(i));
    if (member != this) member->InsertElements(index, 1, true);
  }
}

// ---- appends

int32_t VArray::AppendBoolean(uint8_t value, bool propagate) {
  return AppendWith(propagate, [&](int32_t at) { SetBoolean(value, at); });
}
int32_t VArray::AppendWord(int16_t value, bool propagate) {
  return AppendWith(propagate, [&](int32_t at) { SetWord(value, at); });
}
int32_t VArray::AppendLong(int32_t value, bool propagate) {
  return AppendWith(propagate, [&](int32_t at) { SetLong(value, at); });
}
int32_t VArray::AppendReal(double value, bool propagate) {
  return AppendWith(propagate, [&](int32_t at) { SetReal(value, at); });
}
int32_t VArray::AppendTime(int32_t seconds, bool propagate) {
  return AppendWith(propagate, [&](int32_t at) { SetTime(seconds, at); });
}
int32_t VArray::AppendDate(const VDateRec& date, bool propagate) {
  return AppendWith(propagate, [&](int32_t at) { SetDate(date, at); });
}
int32_t VArray::AppendString(const VString& value, bool propagate) {
  return AppendWith(propagate, [&](int32_t at) { SetString(value, at); });
}
int32_t VArray::AppendValue(const VValue& value, bool propagate) {
  return AppendWith(propagate, [&](int32_t at) { CopyFrom(value, at); });
}

// ---- copies

bool VArray::TakeStoreOf(const VArray& source) {
  const VMemHandle copy = source.fStore != 0 ? gMemoryMgr->DuplicateHandle(source.fStore) : 0;
  if (copy == 0) return false;
  if (fCount > 0) DisposeElements(1, fCount);
  if (fStore != 0) gMemoryMgr->DisposeHandle(fStore);
  fStore = copy;
  fElementSize = source.fElementSize;
  fCapacity = source.fCapacity;
  fCount = source.fCount;
  return true;
}

void VArray::CopyFields(const VArray& source) {
  if (&source == this) return;
  LinkTo(nullptr);
  if (!TakeStoreOf(source)) {
    // Without memory for the copy the target is left empty.
    SetCount(0, false);
    fCurrent = 0;
    return;
  }
  fCurrent = source.fCount;
  fSorted = source.fSorted;
  DuplicateElements();
}

void VArray::AssignArray(const VArray& source) {
  if (&source == this || source.GetKind() != GetKind()) return;
  if (!TakeStoreOf(source)) return;
  fCurrent = source.fCurrent;
  DuplicateElements();
}

// ---- ordering

void VArray::Sort(bool descending) {
  if (fCount < 2) return;
  int32_t* permutation = nullptr;
  if (fGroup != nullptr) {
    for (int32_t i = 1, n = fGroup->Count(); i <= n; ++i) {
      if (static_cast<VArray*>(fGroup->GetAt(i))->Count() != fCount) return;
    }
    permutation = static_cast<int32_t*>(gMemoryMgr->NewBlock(uint32_t(fCount) * 4u));
    if (permutation == nullptr) return;
    for (int32_t i = 0; i < fCount; ++i) permutation[i] = i;
  }
  {
    LockedStore store(*this);
    if (store) SortStore(store.Data(), descending ? -1 : 1, permutation);
  }
  if (permutation != nullptr) {
    for (int32_t i = 1, n = fGroup->Count(); i <= n; ++i) {
      auto* member = static_cast<VArray*>(fGroup->GetAt(i));
      if (member != this) member->Reorder(permutation);
    }
    gMemoryMgr->DisposeBlock(permutation);
  }
}

void VArray::SwapForSort(uint8_t* data, int32_t a, int32_t b, int32_t* permutation) {
  if (a == b) return;
  SwapElements(data, a, b);
  // The current index follows the element it named.
  if (fCurrent == a + 1) {
    fCurrent = b + 1;
  } else if (fCurrent == b + 1) {
    fCurrent = a + 1;
  }
  if (permutation != nullptr) {
    const int32_t kept = permutation[a];
    permutation[a] = permutation[b];
    permutation[b] = kept;
  }
}

// Quicksort on 0-based indexes with an explicit stack: the larger partition
// is pushed and the smaller one followed, so the stack stays small.
void VArray::SortStore(uint8_t* data, int32_t direction, int32_t* permutation) {
  const size_t size = size_t(fElementSize);
  auto compare = [&](int32_t a, int32_t b) {
    return direction * CompareElements(data + a * size, data + b * size);
  };
  VLongStack stack;
  int32_t lo = 0;
  int32_t hi = fCount - 1;
  bool fromStack = true;  // the middle element is taken only for a new partition
  for (;;) {
    if (fromStack && hi - lo > 4) SwapForSort(data, (lo + hi) / 2, hi, permutation);
    fromStack = false;
    if (hi <= lo) {
      if (stack.IsEmpty()) return;
      hi = int32_t(stack.Pop());
      lo = int32_t(stack.Pop());
      fromStack = true;
      continue;
    }
    int32_t i = lo;
    int32_t j = hi - 1;
    for (;;) {
      while (i <= j && compare(i, hi) <= 0) ++i;
      while (j >= i && compare(j, hi) >= 0) --j;
      if (i < j) {
        SwapForSort(data, i, j, permutation);
      } else {
        break;
      }
    }
    SwapForSort(data, i, hi, permutation);
    const int32_t k = i;
    bool pushed;
    if (k - lo > hi - k) {
      pushed = stack.Push(uint32_t(lo)) && stack.Push(uint32_t(k - 1));
      lo = k + 1;
    } else {
      pushed = stack.Push(uint32_t(k + 1)) && stack.Push(uint32_t(hi));
      hi = k - 1;
    }
    // Without room on the stack the sort cannot finish; it stops with the
    // elements all present, partly ordered.
    if (!pushed) return;
  }
}

// Every element must be named exactly once, or elements would be lost or
// doubled (and owned objects released twice).
bool VArray::IsPermutation(const int32_t* permutation) const {
  if (permutation == nullptr || fCount < 1) return false;
  auto* seen = static_cast<uint8_t*>(gMemoryMgr->NewBlockClear(uint32_t(fCount)));
  if (seen == nullptr) return false;
  bool valid = true;
  for (int32_t i = 0; i < fCount && valid; ++i) {
    const int32_t p = permutation[i];
    valid = p >= 0 && p < fCount && seen[p] == 0;
    if (valid) seen[p] = 1;
  }
  gMemoryMgr->DisposeBlock(seen);
  return valid;
}

void VArray::Reorder(const int32_t* permutation) {
  if (!IsPermutation(permutation)) return;
  const VMemHandle copy = gMemoryMgr->DuplicateHandle(fStore);
  if (copy == 0) return;
  {
    LockedStore store(*this);
    VHandleLocker oldStore(copy);
    const auto* old = oldStore.As<const uint8_t>();
    if (store && old != nullptr) {
      for (int32_t i = 0; i < fCount; ++i) CopyElement(store.Data(), i, old, permutation[i]);
    }
  }
  gMemoryMgr->DisposeHandle(copy);
}

void VArray::Reverse() {
  if (fCount < 2) return;
  LockedStore store(*this);
  if (!store) return;
  for (int32_t i = 0; i < fCount / 2; ++i) SwapElements(store.Data(), i, fCount - 1 - i);
}

// ---- search

int32_t VArray::FindElement(const void* key, int32_t start, bool forward, int32_t mode) const {
  if (fCount == 0 || start < 1 || start > fCount) return -1;
  LockedStore store(*this);
  if (!store) return -1;
  const size_t size = size_t(fElementSize);
  auto element = [&](int32_t index) { return store.Data() + (index - 1) * size; };
  if (fSorted != 0 && start == 1 && forward && mode == 0) {
    int32_t lo = 1;
    int32_t hi = fCount;
    while (lo <= hi) {
      const int32_t mid = lo + (hi - lo) / 2;
      const int32_t c = CompareElements(element(mid), key);
      if (c == 0) return mid;
      if (c > 0) {
        hi = mid - 1;
      } else {
        lo = mid + 1;
      }
    }
    return -1;
  }
  if (mode < -2 || mode > 2) return start;
  const int32_t step = forward ? 1 : -1;
  for (int32_t i = start; i >= 1 && i <= fCount; i += step) {
    const int32_t c = CompareElements(element(i), key);
    const bool hit = (mode == -2 && c >= 0) || (mode == -1 && c > 0) || (mode == 0 && c == 0) ||
                     (mode == 1 && c < 0) || (mode == 2 && c <= 0);
    if (hit) return i;
  }
  return -1;
}

// ---- stream frame

int32_t VArray::WriteToStream(VStream& stream, uint32_t tag) {
  if (tag == kTagVVAL) stream.PutLong(GetKind());
  stream.PutLong(fCount);
  if (fCount > 0 && stream.GetStatus() == kStreamNoError) return WriteElements(stream);
  return stream.GetStatus();
}

int32_t VArray::ReadFromStream(VStream& stream, uint32_t) {
  const uint32_t count = stream.GetULong();
  if (stream.GetStatus() > 0) return stream.GetStatus();
  // The count must fit the bytes that remain before the array is sized for it.
  if (!stream.HasRemaining(StoredBytesFor(stream, count))) return stream.GetStatus();
  if (count > uint32_t(INT32_MAX)) return kStreamEndOfData;
  return ReadElements(stream, int32_t(count));
}

int32_t VArray::WriteElements(VStream& stream) const { return stream.GetStatus(); }

int32_t VArray::ReadElements(VStream& stream, int32_t count) {
  return ReadIntoStore(count, [&](uint8_t*) { return int32_t(stream.GetStatus()); });
}

uint64_t VArray::StoredBytesFor(VStream&, uint64_t count) const { return count * uint64_t(fElementSize); }
