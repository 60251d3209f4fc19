// VListOf: the abstract list of elements of one type addressed by 1-based
// positions, and VIteratorOf, the abstract walker over such a list.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "framework/core/containers/VValueMultiple.h"

template <typename T>
class VIteratorOf;
template <typename T>
class VItemRefOf;
template <typename T>
struct VChainNode;

// Elements are copied in and out byte for byte: operations take an element by
// address (read once) and answer elements by value. A list never looks inside
// an element, except the owning forms, which delete the objects they hold.
// Records that are compared byte for byte should be value-initialised by
// their makers, so that padding never takes part in a comparison.
//
// The zero item: whatever has no element to answer (an index out of range, an
// item not found) answers a T whose bytes are all zero; for object pointers
// that is the null pointer.
template <typename T>
class VListOf : public VValueMultiple {
  static_assert(std::is_trivially_copyable_v<T>,
                "list elements are moved byte for byte");

 public:
  explicit VListOf(int16_t tag) : VValueMultiple(tag) {}
  ~VListOf() override;

  // A new item reference standing on this list, owned by the caller.
  VItemRef* NewItemRef() override;

  virtual bool IsEmpty() const = 0;
  virtual void Add(const T* item) = 0;
  virtual void AddFirst(const T* item) = 0;
  virtual void AddLast(const T* item) = 0;
  virtual void Insert(const T* item, int32_t position) = 0;
  virtual T First() const = 0;
  virtual T Last() const = 0;
  virtual T GetAt(int32_t index) const = 0;
  virtual void SetAt(const T* item, int32_t index) = 0;
  // keep false hands the element to DisposeItem as it leaves; true only
  // takes it out.
  virtual void RemoveAt(int32_t index, bool keep) = 0;
  virtual void RemoveAll(bool keep) = 0;
  // A new iterator on this list, moved with SetIndex(start); -1 places it
  // before the first element. The caller owns it.
  virtual VIteratorOf<T>* NewIterator(int32_t start) = 0;
  virtual void InsertAfter(const T* item, const T* reference) = 0;
  virtual void InsertBefore(const T* item, const T* reference) = 0;
  // The 1-based position of the first equal element; 0 when absent.
  virtual int32_t IndexOf(const T* item) const = 0;
  virtual T Find(const T* item) const = 0;
  virtual T Next(const T* item) const = 0;
  virtual T Previous(const T* item) const = 0;
  virtual void Remove(const T* item, bool keep) = 0;
  virtual bool GetUnique() const = 0;
  virtual void SetUnique(bool unique) = 0;

  static T ZeroItem() {
    T zero;
    std::memset(static_cast<void*>(&zero), 0, sizeof(T));
    return zero;
  }
  static bool IsZeroItem(const T& item) {
    static const uint8_t kZeros[sizeof(T)] = {};
    return std::memcmp(&item, kZeros, sizeof(T)) == 0;
  }
  // Element value equality: the same bytes.
  static bool SameBytes(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }

 protected:
  // Every iterator attached to this list is on a chain of them, so that the
  // list can move an iterator off a node it removes and detach them all when
  // it is released: an iterator never reaches freed memory.
  template <typename F>
  void ForEachIterator(F&& f) {
    for (VIteratorOf<T>* it = fIterators; it != nullptr;) {
      VIteratorOf<T>* next = it->fNextAttached;
      f(it);
      it = next;
    }
  }

 private:
  friend class VIteratorOf<T>;
  VIteratorOf<T>* fIterators = nullptr;
};

// Walks one list forwards or backwards and remembers where it stands. The
// caller owns the iterator; the iterator neither owns nor copies the list.
// Every operation without an element to answer answers the zero item.
template <typename T>
class VIteratorOf : public VObject {
 public:
  VIteratorOf() = default;
  ~VIteratorOf() override { Attach(nullptr); }
  VIteratorOf(const VIteratorOf&) = delete;
  VIteratorOf& operator=(const VIteratorOf&) = delete;

  // Attach to the list, before its first element.
  virtual void Reset(VListOf<T>* list) = 0;
  virtual T Next() = 0;
  virtual T Current() = 0;
  virtual T Previous() = 0;
  virtual T First() = 0;
  virtual T Last() = 0;
  virtual void Locate(const T* item) = 0;
  // -1: before the first element; 1 to count: on element n; otherwise off
  // the list.
  virtual void SetIndex(int32_t n) = 0;
  virtual int32_t GetIndex() const = 0;

  VListOf<T>* GetList() const { return fList; }

 protected:
  // Joins the list's chain of iterators (leaving the previous list's).
  void Attach(VListOf<T>* list) {
    if (fList == list) return;
    if (fList != nullptr) {
      VIteratorOf<T>** link = &fList->fIterators;
      while (*link != this) link = &(*link)->fNextAttached;
      *link = fNextAttached;
      fNextAttached = nullptr;
    }
    fList = list;
    if (list != nullptr) {
      fNextAttached = list->fIterators;
      list->fIterators = this;
    }
  }

  // The list is being released: forget it and stand off any list.
  virtual void ListReleased() { fList = nullptr; fNextAttached = nullptr; }
  // A chain list is about to free this node; an iterator standing on it
  // must move (the chain iterator steps back onto the node before it).
  virtual void NodeRemoving(VChainNode<T>* node) {}

 private:
  friend class VListOf<T>;
  template <typename U>
  friend class VChainListOf;
  VListOf<T>* fList = nullptr;  // not owned; null when detached
  VIteratorOf<T>* fNextAttached = nullptr;
};

template <typename T>
VListOf<T>::~VListOf() {
  ForEachIterator([](VIteratorOf<T>* it) { it->ListReleased(); });
  fIterators = nullptr;
}

// A node of a chain list: previous node, next node, the element. Nodes come
// from the language runtime's allocator, one per element.
template <typename T>
struct VChainNode {
  VChainNode* previous;
  VChainNode* next;
  T item;
};

// Every list makes item references of its own element type.
#include "framework/core/containers/VItemRefOf.h"

template <typename T>
VItemRef* VListOf<T>::NewItemRef() {
  return new VItemRefOf<T>(this);
}
