// VArrayListOf: the list form that keeps its elements side by side in one
// relocatable handle; VArrayListPtrOf, its object-owning variant; and
// VArrayIteratorOf, the iterator that walks any list by position.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "framework/core/containers/VListOf.h"
#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"

template <typename T>
class VArrayIteratorOf;

// Element 1 first, packed without gaps, at byte (i - 1) x sizeof(T) of the
// handle. The handle is locked only for the span of one operation, so no
// pointer into the list survives a call. When full, the handle grows to ten
// elements beyond the new count, so a run of additions resizes it once every
// eleven; removals never shrink it, RemoveAll empties it.
template <typename T>
class VArrayListOf : public VListOf<T> {
 public:
  using Base = VListOf<T>;

  static constexpr int32_t kGrowSlack = 10;

  explicit VArrayListOf(int16_t tag = -1) : Base(tag) {
    fStorage = gMemoryMgr->NewHandle(0, 0);
  }
  ~VArrayListOf() override {
    // Elements are never disposed of here: an owner that wants its objects
    // released calls RemoveAll(false) first.
    fCount = 0;
    if (fStorage != 0) gMemoryMgr->DisposeHandle(fStorage);
  }
  VArrayListOf(const VArrayListOf&) = delete;
  VArrayListOf& operator=(const VArrayListOf&) = delete;

  int32_t Count() const override { return fCount; }
  // Elements the handle has room for.
  int32_t GetCapacity() const { return fCapacity; }

  bool IsEmpty() const override { return fCount == 0; }
  void Add(const T* item) override { Insert(item, fCount + 1); }
  void AddFirst(const T* item) override { Insert(item, 1); }
  void AddLast(const T* item) override { Insert(item, fCount + 1); }

  // The item becomes element number `position`, clamped to 1 .. count + 1.
  // A unique list skips an item already present; a handle that cannot grow
  // leaves the list as it was (the memory manager's last error says 100).
  void Insert(const T* item, int32_t position) override {
    if (item == nullptr) return;
    if (fUnique && IndexOf(item) > 0) return;
    if (fCount == INT32_MAX) return;
    if (position < 1) position = 1;
    if (position > fCount + 1) position = fCount + 1;
    if (fCount + 1 > fCapacity) {
      const uint64_t capacity = uint64_t(fCount) + 1 + kGrowSlack;
      const uint64_t bytes = capacity * sizeof(T);
      // Handle sizes are 32-bit and counts signed 32-bit: refuse what would wrap.
      if (capacity > INT32_MAX || bytes > UINT32_MAX) return;
      if (fStorage == 0) {
        // The empty handle of the constructor could not be had; try again.
        fStorage = gMemoryMgr->NewHandleClear(uint32_t(bytes), 0);
        if (fStorage == 0) return;
      } else if (!gMemoryMgr->SetHandleSizeClear(fStorage, uint32_t(bytes))) {
        return;
      }
      fCapacity = int32_t(capacity);
    }
    {
      VHandleLocker lock(fStorage);
      uint8_t* data = lock.As<uint8_t>();
      if (data == nullptr) return;
      uint8_t* at = data + Offset(position);
      MoveBlock(at, at + sizeof(T), uint32_t(fCount - position + 1) * sizeof(T));
      std::memcpy(at, item, sizeof(T));
    }
    ++fCount;
  }

  T First() const override { return GetAt(1); }
  T Last() const override { return GetAt(fCount); }

  T GetAt(int32_t index) const override {
    T value = Base::ZeroItem();
    if (index < 1 || index > fCount) return value;
    VHandleLocker lock(fStorage);
    const uint8_t* data = lock.As<const uint8_t>();
    if (data == nullptr) return value;
    std::memcpy(static_cast<void*>(&value), data + Offset(index), sizeof(T));
    return value;
  }

  void SetAt(const T* item, int32_t index) override {
    if (item == nullptr || index < 1 || index > fCount) return;
    VHandleLocker lock(fStorage);
    uint8_t* data = lock.As<uint8_t>();
    if (data == nullptr) return;
    std::memcpy(data + Offset(index), item, sizeof(T));
  }

  // The element leaves the list before it is handed to DisposeItem, so an
  // object whose destruction reaches back into the list finds it consistent.
  void RemoveAt(int32_t index, bool keep) override {
    if (index < 1 || index > fCount) return;
    T value;
    if (!TakeOut(index, &value)) return;
    if (!keep) DisposeItem(&value);
  }

  // Disposes (unless keep) from the last element to the first, then empties
  // the handle.
  void RemoveAll(bool keep) override {
    if (keep) {
      fCount = 0;
    } else {
      T value;
      while (fCount > 0) {
        if (!TakeOut(fCount, &value)) {
          fCount = 0;
          break;
        }
        DisposeItem(&value);
      }
    }
    if (fCount == 0 && gMemoryMgr->SetHandleSize(fStorage, 0)) fCapacity = 0;
  }

  VIteratorOf<T>* NewIterator(int32_t start) override {
    auto* it = new VArrayIteratorOf<T>(this);
    it->SetIndex(start);
    return it;
  }

  // After the reference, or first when the reference is absent.
  void InsertAfter(const T* item, const T* reference) override {
    Insert(item, IndexOf(reference) + 1);
  }
  // Before the reference, or first when the reference is absent.
  void InsertBefore(const T* item, const T* reference) override {
    Insert(item, IndexOf(reference));
  }

  int32_t IndexOf(const T* item) const override {
    if (item == nullptr || fCount == 0) return 0;
    VHandleLocker lock(fStorage);
    const uint8_t* data = lock.As<const uint8_t>();
    if (data == nullptr) return 0;
    for (int32_t i = 1; i <= fCount; ++i) {
      // Elements sit at multiples of sizeof(T) from the block's start, so
      // each is aligned as a T.
      if (CompareItems(reinterpret_cast<const T*>(data + Offset(i)), item)) return i;
    }
    return 0;
  }

  // The item as passed when an equal one is present, else the zero item.
  T Find(const T* item) const override {
    return IndexOf(item) > 0 ? *item : Base::ZeroItem();
  }
  // The element after the item; the first element when the item is absent.
  T Next(const T* item) const override { return GetAt(IndexOf(item) + 1); }
  // The element before the item; the zero item for the first and for an
  // absent item.
  T Previous(const T* item) const override { return GetAt(IndexOf(item) - 1); }

  void Remove(const T* item, bool keep) override { RemoveAt(IndexOf(item), keep); }

  bool GetUnique() const override { return fUnique != 0; }
  // Affects later additions only; duplicates already present stay.
  void SetUnique(bool unique) override { fUnique = unique ? 1 : 0; }

  // Equal when the two elements have the same bytes.
  virtual bool CompareItems(const T* a, const T* b) const { return Base::SameBytes(*a, *b); }
  // The plain form owns nothing.
  virtual void DisposeItem(T* item) {}

 private:
  static size_t Offset(int32_t index) { return size_t(index - 1) * sizeof(T); }

  // Copies element `index` out, closes the gap and zeroes the freed slot.
  bool TakeOut(int32_t index, T* out) {
    {
      VHandleLocker lock(fStorage);
      uint8_t* data = lock.As<uint8_t>();
      if (data == nullptr) return false;
      uint8_t* at = data + Offset(index);
      std::memcpy(static_cast<void*>(out), at, sizeof(T));
      MoveBlock(at + sizeof(T), at, uint32_t(fCount - index) * sizeof(T));
      std::memset(data + Offset(fCount), 0, sizeof(T));
    }
    --fCount;
    return true;
  }

  VMemHandle fStorage = 0;
  int32_t fCount = 0;
  int32_t fCapacity = 0;
  uint8_t fUnique = 0;  // 1: adding skips an element already present
};

// Owns the objects it holds: an element removed with keep false is deleted.
// Elements are equal when they are the same pointer.
template <typename T>
class VArrayListPtrOf : public VArrayListOf<T> {
  static_assert(std::is_pointer_v<T>, "the owning list holds object pointers");

 public:
  explicit VArrayListPtrOf(int16_t tag = -1) : VArrayListOf<T>(tag) {}

  bool CompareItems(const T* a, const T* b) const override { return *a == *b; }
  void DisposeItem(T* item) override {
    if (*item != nullptr) delete *item;
  }
};

// Walks a list through its Count and GetAt, so every step sees the list's
// current contents. Index -1 stands before the first element, 0 off the list,
// 1 to count on an element. It serves any list form.
template <typename T>
class VArrayIteratorOf : public VIteratorOf<T> {
 public:
  using Base = VIteratorOf<T>;

  explicit VArrayIteratorOf(VListOf<T>* list = nullptr) { Reset(list); }

  void Reset(VListOf<T>* list) override {
    this->Attach(list);
    fIndex = -1;
  }

  // Past the end the index becomes 0; from there the next step starts again
  // at the first element.
  T Next() override {
    VListOf<T>* list = this->GetList();
    if (list == nullptr) return VListOf<T>::ZeroItem();
    if (fIndex == -1) return First();
    if (fIndex < list->Count()) {
      ++fIndex;
      return list->GetAt(fIndex);
    }
    fIndex = 0;
    return VListOf<T>::ZeroItem();
  }

  T Current() override {
    VListOf<T>* list = this->GetList();
    if (list == nullptr || fIndex == 0) return VListOf<T>::ZeroItem();
    if (fIndex == -1) return First();
    return list->GetAt(fIndex);
  }

  T Previous() override {
    VListOf<T>* list = this->GetList();
    if (list == nullptr) return VListOf<T>::ZeroItem();
    if (fIndex == -1) return Last();
    if (fIndex < 2) {
      fIndex = 0;
      return VListOf<T>::ZeroItem();
    }
    --fIndex;
    return list->GetAt(fIndex);
  }

  T First() override {
    VListOf<T>* list = this->GetList();
    if (list == nullptr) return VListOf<T>::ZeroItem();
    if (list->Count() == 0) {
      fIndex = 0;
      return VListOf<T>::ZeroItem();
    }
    fIndex = 1;
    return list->GetAt(1);
  }

  T Last() override {
    VListOf<T>* list = this->GetList();
    if (list == nullptr) return VListOf<T>::ZeroItem();
    fIndex = list->Count();
    return list->GetAt(fIndex);
  }

  void Locate(const T* item) override {
    VListOf<T>* list = this->GetList();
    if (list != nullptr) fIndex = list->IndexOf(item);
  }

  void SetIndex(int32_t n) override {
    VListOf<T>* list = this->GetList();
    const int32_t count = list != nullptr ? list->Count() : 0;
    if (n == -1) {
      fIndex = -1;
    } else if (n < 0 || n > count) {
      fIndex = 0;
    } else {
      fIndex = n;
    }
  }

  int32_t GetIndex() const override { return fIndex; }

 protected:
  void ListReleased() override {
    Base::ListReleased();
    fIndex = 0;
  }

 private:
  int32_t fIndex = -1;
};
