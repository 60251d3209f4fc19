// VChainListOf: the list form that keeps its elements in a doubly linked chain
// of nodes; VChainListPtrOf, its object-owning variant; and VChainIteratorOf,
// the iterator that follows the nodes.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "framework/core/containers/VListOf.h"

template <typename T>
class VChainIteratorOf;

// One node per element from the language runtime's allocator, freed when the
// element leaves. Positional access walks from the first node, so loops by
// position over long chains are quadratic; iterators are the way to walk.
//
// The chain form answers the common interface with its own positions where an
// argument is out of the ordinary: Insert(item, n) puts the item after node n
// (so it becomes element n + 1, and n >= count appends); InsertAfter and
// InsertBefore append when the reference is absent; Next of an absent item is
// the zero item; Find answers the stored element.
template <typename T>
class VChainListOf : public VListOf<T> {
 public:
  using Base = VListOf<T>;
  using Node = VChainNode<T>;

  explicit VChainListOf(int16_t tag = -1) : Base(tag) {}
  // The nodes are freed; the elements are never disposed of here: an owner
  // that wants its objects released calls RemoveAll(false) first.
  ~VChainListOf() override { RemoveAll(true); }
  VChainListOf(const VChainListOf&) = delete;
  VChainListOf& operator=(const VChainListOf&) = delete;

  int32_t Count() const override { return fCount; }
  bool IsEmpty() const override { return fCount == 0; }

  void Add(const T* item) override { AddLast(item); }

  void AddFirst(const T* item) override {
    if (!Admits(item)) return;
    LinkAfter(nullptr, item);
  }
  void AddLast(const T* item) override {
    if (!Admits(item)) return;
    LinkAfter(fLast, item);
  }

  // Position 0 or below puts the item first, count or above appends it, and
  // otherwise it goes after node number `position`.
  void Insert(const T* item, int32_t position) override {
    if (!Admits(item)) return;
    if (position <= 0) {
      LinkAfter(nullptr, item);
    } else if (position >= fCount) {
      LinkAfter(fLast, item);
    } else {
      LinkAfter(NodeAt(position), item);
    }
  }

  T First() const override { return fFirst != nullptr ? fFirst->item : Base::ZeroItem(); }
  T Last() const override { return fLast != nullptr ? fLast->item : Base::ZeroItem(); }

  T GetAt(int32_t index) const override {
    const Node* node = NodeAt(index);
    return node != nullptr ? node->item : Base::ZeroItem();
  }

  void SetAt(const T* item, int32_t index) override {
    Node* node = NodeAt(index);
    if (item != nullptr && node != nullptr) std::memcpy(static_cast<void*>(&node->item), item, sizeof(T));
  }

  void RemoveAt(int32_t index, bool keep) override { RemoveNode(NodeAt(index), keep); }

  // Disposes (unless keep) from the first element to the last.
  void RemoveAll(bool keep) override {
    while (fFirst != nullptr) RemoveNode(fFirst, keep);
  }

  VIteratorOf<T>* NewIterator(int32_t start) override {
    auto* it = new VChainIteratorOf<T>(this);
    it->SetIndex(start);
    return it;
  }

  // After the first element equal to the reference; appended when the
  // reference is absent.
  // The unique test applies only when the item is appended.
  void InsertAfter(const T* item, const T* reference) override {
    if (item == nullptr) return;
    Node* found = reference != nullptr ? FindNode(*reference) : nullptr;
    if (found != nullptr) {
      LinkAfter(found, item);
    } else {
      AddLast(item);
    }
  }
  // Before the first element equal to the reference; appended when the
  // reference is absent.
  void InsertBefore(const T* item, const T* reference) override {
    if (item == nullptr) return;
    Node* found = reference != nullptr ? FindNode(*reference) : nullptr;
    if (found != nullptr) {
      LinkAfter(found->previous, item);
    } else {
      AddLast(item);
    }
  }

  int32_t IndexOf(const T* item) const override {
    if (item == nullptr) return 0;
    int32_t index = 1;
    for (const Node* n = fFirst; n != nullptr; n = n->next, ++index) {
      if (Base::SameBytes(n->item, *item)) return index;
    }
    return 0;
  }

  // The stored element equal to the item, else the zero item.
  T Find(const T* item) const override {
    const Node* node = item != nullptr ? FindNode(*item) : nullptr;
    return node != nullptr ? node->item : Base::ZeroItem();
  }
  // The element after the item; the zero item after the last and for an
  // absent item.
  T Next(const T* item) const override {
    const Node* node = item != nullptr ? FindNode(*item) : nullptr;
    return node != nullptr && node->next != nullptr ? node->next->item : Base::ZeroItem();
  }
  T Previous(const T* item) const override {
    const Node* node = item != nullptr ? FindNode(*item) : nullptr;
    return node != nullptr && node->previous != nullptr ? node->previous->item
                                                         : Base::ZeroItem();
  }

  // Removes the first element equal to the item; nothing when it is absent.
  void Remove(const T* item, bool keep) override {
    if (item != nullptr) RemoveNode(FindNode(*item), keep);
  }
  // Removes an element equal to the item, looked for from both ends at
  // once: in a list of distinct elements, the same as Remove, and quick for
  // those added or removed last or first (a registry of live objects that
  // go in the order they came, or the reverse).
  void RemoveFromEitherEnd(const T* item, bool keep) {
    if (item == nullptr) return;
    Node* front = fFirst;
    Node* back = fLast;
    while (front != nullptr && back != nullptr) {
      if (Base::SameBytes(front->item, *item)) return RemoveNode(front, keep);
      if (Base::SameBytes(back->item, *item)) return RemoveNode(back, keep);
      if (front == back || front->next == back) return;
      front = front->next;
      back = back->previous;
    }
  }

  bool GetUnique() const override { return fUnique != 0; }
  // Affects later additions only; duplicates already present stay.
  void SetUnique(bool unique) override { fUnique = unique ? 1 : 0; }

  // Equal when the two elements have the same bytes.
  virtual bool CompareItems(const T* a, const T* b) const { return Base::SameBytes(*a, *b); }
  // The plain form owns nothing.
  virtual void DisposeItem(T* item) {}

 private:
  friend class VChainIteratorOf<T>;

  // A unique chain list admits an item when no equal element is present.
  // Its test is whether a search finds a non-zero element, so the zero item
  // (a null object pointer) is always admitted, unlike in an array list:
  // callers rely on this documented difference between the two forms.
  bool Admits(const T* item) const {
    if (item == nullptr) return false;
    return !fUnique || Base::IsZeroItem(*item) || FindNode(*item) == nullptr;
  }

  Node* FindNode(const T& item) const {
    for (Node* n = fFirst; n != nullptr; n = n->next) {
      if (Base::SameBytes(n->item, item)) return n;
    }
    return nullptr;
  }

  Node* NodeAt(int32_t index) const {
    if (index < 1 || index > fCount) return nullptr;
    Node* n = fFirst;
    while (--index > 0) n = n->next;
    return n;
  }

  // A new node after `previous`, or first when `previous` is null.
  // The element is copied byte for byte, padding included, since elements
  // are compared that way.
  void LinkAfter(Node* previous, const T* item) {
    if (fCount == INT32_MAX) return;
    Node* node = new Node;
    node->previous = previous;
    node->next = previous != nullptr ? previous->next : fFirst;
    std::memcpy(static_cast<void*>(&node->item), item, sizeof(T));
    if (node->next != nullptr) {
      node->next->previous = node;
    } else {
      fLast = node;
    }
    if (previous != nullptr) {
      previous->next = node;
    } else {
      fFirst = node;
    }
    ++fCount;
  }

  // Unlinks and frees the node, then (unless keep) disposes of its element,
  // which has left the list by then. Iterators standing on the node are
  // moved off it first.
  void RemoveNode(Node* node, bool keep) {
    if (node == nullptr) return;
    this->ForEachIterator([node](VIteratorOf<T>* it) { it->NodeRemoving(node); });
    (node->previous != nullptr ? node->previous->next : fFirst) = node->next;
    (node->next != nullptr ? node->next->previous : fLast) = node->previous;
    T item = node->item;
    delete node;
    --fCount;
    if (!keep) DisposeItem(&item);
  }

  Node* fFirst = nullptr;  // null when empty
  Node* fLast = nullptr;   // null when empty
  int32_t fCount = 0;
  uint8_t fUnique = 0;     // 1: adding skips an element already present
};

// Owns the objects it holds: an element removed with keep false is deleted.
// Elements are equal when they are the same pointer.
template <typename T>
class VChainListPtrOf : public VChainListOf<T> {
  static_assert(std::is_pointer_v<T>, "the owning list holds object pointers");

 public:
  explicit VChainListPtrOf(int16_t tag = -1) : VChainListOf<T>(tag) {}

  bool CompareItems(const T* a, const T* b) const override { return *a == *b; }
  void DisposeItem(T* item) override {
    if (*item != nullptr) delete *item;
  }
};

// Follows the nodes of one chain list. Before the first element it holds a
// marker that is no node; off the list it holds null. Once off the list it
// stays off for Next, Previous and Current until First, Last, SetIndex or
// Locate places it again. When the list removes the node it stands on, it
// steps back onto the node before (or before the first element), so a walk
// that removes as it goes carries on with the element that followed.
template <typename T>
class VChainIteratorOf : public VIteratorOf<T> {
 public:
  using Base = VIteratorOf<T>;
  using Node = VChainNode<T>;

  explicit VChainIteratorOf(VChainListOf<T>* list = nullptr) { Reset(list); }

  // A list that is not a chain cannot be followed by node: the iterator is
  // then detached and answers the zero item.
  void Reset(VListOf<T>* list) override {
    VChainListOf<T>* chain = dynamic_cast<VChainListOf<T>*>(list);
    this->Attach(chain);
    fIndex = -1;
    fNode = chain != nullptr ? Marker() : nullptr;
  }

  T Next() override {
    if (fNode == nullptr) return VListOf<T>::ZeroItem();
    if (fNode == Marker()) {
      fNode = Chain()->fFirst;
      fIndex = 1;
    } else {
      fNode = fNode->next;
      ++fIndex;
    }
    return Arrived();
  }

  T Current() override {
    if (fNode == nullptr) return VListOf<T>::ZeroItem();
    if (fNode == Marker()) return First();
    return fNode->item;
  }

  T Previous() override {
    if (fNode == nullptr) return VListOf<T>::ZeroItem();
    if (fNode == Marker()) {
      fNode = Chain()->fLast;
      fIndex = Chain()->fCount;
    } else {
      fNode = fNode->previous;
      --fIndex;
    }
    return Arrived();
  }

  T First() override {
    if (Chain() == nullptr) return VListOf<T>::ZeroItem();
    fNode = Chain()->fFirst;
    fIndex = 1;
    return Arrived();
  }

  T Last() override {
    if (Chain() == nullptr) return VListOf<T>::ZeroItem();
    fNode = Chain()->fLast;
    fIndex = Chain()->fCount;
    return Arrived();
  }

  // Stands on the first element that the list's CompareItems finds equal to
  // the item; off the list when there is none.
  void Locate(const T* item) override {
    VChainListOf<T>* chain = Chain();
    if (chain == nullptr) return;
    fIndex = 1;
    for (Node* n = chain->fFirst; n != nullptr && item != nullptr; n = n->next, ++fIndex) {
      if (chain->CompareItems(item, &n->item)) {
        fNode = n;
        return;
      }
    }
    fNode = nullptr;
    fIndex = 0;
  }

  void SetIndex(int32_t n) override {
    VChainListOf<T>* chain = Chain();
    if (chain == nullptr) return;
    if (n == -1) {
      fNode = Marker();
      fIndex = -1;
    } else if (n >= 1 && n <= chain->fCount) {
      fNode = chain->NodeAt(n);
      fIndex = n;
    } else {
      fNode = nullptr;
      fIndex = 0;
    }
  }

  int32_t GetIndex() const override { return fIndex; }

 protected:
  void ListReleased() override {
    Base::ListReleased();
    fNode = nullptr;
    fIndex = 0;
  }

  void NodeRemoving(Node* node) override {
    if (fNode != node) return;
    if (node->previous != nullptr) {
      fNode = node->previous;
      --fIndex;
    } else {
      fNode = Marker();
      fIndex = -1;
    }
  }

 private:
  // All bits set: no node can live there.
  static Node* Marker() { return reinterpret_cast<Node*>(~uintptr_t(0)); }
  VChainListOf<T>* Chain() const { return static_cast<VChainListOf<T>*>(this->GetList()); }

  // After a step: off the list when there is no node, else its element.
  T Arrived() {
    if (fNode == nullptr) {
      fIndex = 0;
      return VListOf<T>::ZeroItem();
    }
    return fNode->item;
  }

  Node* fNode = nullptr;
  int32_t fIndex = -1;
};
