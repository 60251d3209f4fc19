// Element ownership of the typed arrays of strings and pictures.
#include "framework/core/containers/VOwnedValueArray.h"

#include <cstring>

#include "framework/core/memory/VMemoryMgr.h"

VOwnedValueArray::VOwnedValueArray() { fElementSize = int32_t(sizeof(VValue*)); }

VOwnedValueArray::~VOwnedValueArray() {
  if (fCount > 0) DisposeElements(1, fCount);
}

VValue* VOwnedValueArray::Slot(const uint8_t* data, int32_t index) {
  VValue* object;
  std::memcpy(&object, data + size_t(index - 1) * sizeof(VValue*), sizeof object);
  return object;
}

void VOwnedValueArray::PutSlot(uint8_t* data, int32_t index, VValue* object) {
  std::memcpy(data + size_t(index - 1) * sizeof(VValue*), &object, sizeof object);
}

void VOwnedValueArray::SetCount(int32_t n, bool exact) {
  if (n == fCount) return;
  const int32_t kept = n < 0 ? 0 : n;
  if (kept < fCount) DisposeElements(kept + 1, fCount - kept);
  VArray::SetCount(n, exact);
}

void VOwnedValueArray::DuplicateElements() {
  LockedStore store(*this);
  if (!store) return;
  uint8_t* data = store.Data();
  for (int32_t i = 1; i <= fCount; ++i) {
    const VValue* shared = Slot(data, i);
    PutSlot(data, i, shared != nullptr ? shared->Clone() : nullptr);
  }
  // Slots past the count hold no element; whatever a raw copy brought into
  // them must never be taken for an object of this array.
  const uint64_t slots = gMemoryMgr->GetHandleSize(fStore) / sizeof(VValue*);
  for (uint64_t i = uint64_t(fCount) + 1; i <= slots; ++i) PutSlot(data, int32_t(i), nullptr);
}

void VOwnedValueArray::DisposeElements(int32_t first, int32_t n) {
  if (first < 1 || n <= 0) return;
  for (int64_t i = first; i < int64_t(first) + n && i <= fCount; ++i) {
    VValue* object;
    {
      LockedStore store(*this);
      if (!store) return;
      object = Slot(store.Data(), int32_t(i));
      PutSlot(store.Data(), int32_t(i), nullptr);
    }
    // Deleted after its slot is cleared and the store unlocked, so that the
    // object's own destructor finds the array consistent.
    delete object;
  }
}

void VOwnedValueArray::MoveElements(int32_t from, int32_t to, int32_t n) {
  if (!CanMove(from, to, n)) return;
  // Every slot between the lower and the upper end of the two ranges is
  // either a destination or left behind; those outside the moved block lose
  // their objects.
  const int64_t low = from < to ? from : to;
  const int64_t high = int64_t(from < to ? to : from) + n - 1;
  for (int64_t i = low; i <= high; ++i) {
    if (i < from || i >= int64_t(from) + n) DisposeElements(int32_t(i), 1);
  }
  VArray::MoveElements(from, to, n);
}

VValue* VOwnedValueArray::ObjectAt(int32_t range) const {
  if (!CheckIndex(range)) return nullptr;
  LockedStore store(*this);
  return store ? Slot(store.Data(), range) : nullptr;
}

void VOwnedValueArray::StoreObject(VValue* object, int32_t range) {
  if (!CheckIndex(range)) {
    delete object;
    return;
  }
  VValue* previous;
  {
    LockedStore store(*this);
    if (!store) {
      delete object;
      return;
    }
    previous = Slot(store.Data(), range);
    PutSlot(store.Data(), range, object);
  }
  if (previous != object) delete previous;
}

VValue* VOwnedValueArray::DetachObject(int32_t range) {
  if (!CheckIndex(range)) return nullptr;
  LockedStore store(*this);
  if (!store) return nullptr;
  VValue* object = Slot(store.Data(), range);
  PutSlot(store.Data(), range, nullptr);
  return object;
}

int32_t VOwnedValueArray::AppendObjectWith(VValue* object, bool propagate) {
  return AppendWith(propagate, [&](int32_t at) { StoreObject(object, at); });
}
