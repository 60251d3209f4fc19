// VSparseArray: the radix tree behind the sparse array, and its iterator.
#include "framework/core/containers/VSparseArray.h"

#include <algorithm>
#include <cstring>

#include "framework/core/memory/VMemoryMgr.h"

namespace {

constexpr uint32_t kSlots = 256;
constexpr uint32_t kLevelBits = 8;

// The keys a tree of `shift` can address: all below 256 << shift.
uint64_t KeySpan(uint32_t shift) { return uint64_t(kSlots) << shift; }

// The key of a position, or false for a position that addresses nothing.
bool KeyOf(int32_t position, uint32_t& key) {
  if (position < 1) return false;
  key = uint32_t(position) - 1;
  return true;
}

}  // namespace

// 256 slots, child nodes or (at the lowest level) items, then the number of
// non-empty slots. Pointers are native here, so a node is 256 pointers wide.
struct VSparseArray::Node {
  void* slots[kSlots];
  uint32_t count;
};

namespace {

using Node = VSparseArray::Node;

Node* NewNode() { return static_cast<Node*>(gMemoryMgr->NewBlockClear(sizeof(Node))); }

// Stores `item` under `key` in the subtree at `*ref`, whose level has shift
// `shift`; a missing node is made on the way down (not for a null item) and
// a node left with no slot in use is released on the way up, clearing its
// slot in the parent. So a node made for a store that then fails for want of
// memory goes again. `items` follows the items stored.
bool StoreIn(Node** ref, uint32_t shift, uint32_t key, VObject* item, uint32_t& items) {
  Node* node = *ref;
  if (node == nullptr) {
    if (item == nullptr) return true;
    node = NewNode();
    if (node == nullptr) return false;
    *ref = node;
  }
  void*& slot = node->slots[(key >> shift) & (kSlots - 1)];
  const bool wasUsed = slot != nullptr;
  bool stored = true;
  if (shift == 0) {
    if (wasUsed) --items;
    if (item != nullptr) ++items;
    slot = item;
  } else {
    Node* child = static_cast<Node*>(slot);
    stored = StoreIn(&child, shift - kLevelBits, key, item, items);
    slot = child;
  }
  const bool isUsed = slot != nullptr;
  if (!wasUsed && isUsed) ++node->count;
  if (wasUsed && !isUsed) --node->count;
  if (node->count == 0) {
    gMemoryMgr->DisposeBlock(node);
    *ref = nullptr;
  }
  return stored;
}

VObject* Lookup(const Node* node, uint32_t shift, uint32_t key) {
  while (node != nullptr) {
    void* slot = node->slots[(key >> shift) & (kSlots - 1)];
    if (shift == 0) return static_cast<VObject*>(slot);
    node = static_cast<const Node*>(slot);
    shift -= kLevelBits;
  }
  return nullptr;
}

// The first occupied key at or after `key` (forward) or at or before it
// (backward) within the subtree of `node`, whose level has shift `shift`;
// the bits of `key` above this level are the subtree's own.
bool Seek(const Node* node, uint32_t shift, uint32_t key, bool forward, uint32_t& found) {
  const int32_t start = int32_t((key >> shift) & (kSlots - 1));
  const uint64_t below = (uint64_t(1) << shift) - 1;  // the bits under this level
  const uint64_t prefix = uint64_t(key) & ~((uint64_t(1) << (shift + kLevelBits)) - 1);
  for (int32_t i = start; i >= 0 && i < int32_t(kSlots); i += forward ? 1 : -1) {
    const void* slot = node->slots[i];
    if (slot == nullptr) continue;
    const uint64_t at = prefix | (uint64_t(i) << shift);
    if (shift == 0) {
      found = uint32_t(at);
      return true;
    }
    // In the slot of `key` itself the search starts at `key`; in the slots
    // beyond it, at their first (forward) or last (backward) key.
    const uint64_t from = i == start ? key : (forward ? at : at | below);
    if (Seek(static_cast<const Node*>(slot), shift - kLevelBits, uint32_t(from), forward, found))
      return true;
  }
  return false;
}

// Visits the items of the subtree in key order until `visit` answers false;
// false when it was stopped.
template <typename F>
bool Visit(const Node* node, uint32_t shift, uint64_t prefix, F& visit) {
  for (uint32_t i = 0; i < kSlots; ++i) {
    void* slot = node->slots[i];
    if (slot == nullptr) continue;
    const uint64_t at = prefix | (uint64_t(i) << shift);
    if (shift == 0) {
      if (!visit(uint32_t(at), static_cast<VObject*>(slot))) return false;
    } else if (!Visit(static_cast<const Node*>(slot), shift - kLevelBits, at, visit)) {
      return false;
    }
  }
  return true;
}

// Releases every node of the subtree, depth first, handing each item with
// its key to `drop`.
template <typename F>
void Release(Node* node, uint32_t shift, uint64_t prefix, F& drop) {
  if (node == nullptr) return;
  for (uint32_t i = 0; i < kSlots; ++i) {
    void* slot = node->slots[i];
    if (slot == nullptr) continue;
    const uint64_t at = prefix | (uint64_t(i) << shift);
    if (shift == 0) {
      drop(uint32_t(at), static_cast<VObject*>(slot));
    } else {
      Release(static_cast<Node*>(slot), shift - kLevelBits, at, drop);
    }
  }
  gMemoryMgr->DisposeBlock(node);
}

void ReleaseKeepingItems(Node* node, uint32_t shift) {
  auto keep = [](uint32_t, VObject*) {};
  Release(node, shift, 0, keep);
}

// A copy of the subtree: inner nodes made anew, the lowest level copied
// byte for byte (the items are shared). Null when memory runs out, with
// nothing of the partial copy left behind.
Node* CopyTree(const Node* node, uint32_t shift) {
  Node* copy = NewNode();
  if (copy == nullptr) return nullptr;
  if (shift == 0) {
    std::memcpy(copy, node, sizeof(Node));
    return copy;
  }
  for (uint32_t i = 0; i < kSlots; ++i) {
    const Node* child = static_cast<const Node*>(node->slots[i]);
    if (child == nullptr) continue;
    Node* childCopy = CopyTree(child, shift - kLevelBits);
    if (childCopy == nullptr) {
      ReleaseKeepingItems(copy, shift);
      return nullptr;
    }
    copy->slots[i] = childCopy;
    ++copy->count;
  }
  return copy;
}

}  // namespace

uint32_t VSparseArray::ShiftFor(uint32_t n) {
  if (n > 0xFFFFFF) return 24;
  if (n > 0xFFFF) return 16;
  if (n > 0xFF) return 8;
  return 0;
}

VSparseArray::VSparseArray(int32_t highestPosition)
    : VValueMultiple(-1), fShift(ShiftFor(highestPosition > 0 ? uint32_t(highestPosition) : 0)) {}

VSparseArray::VSparseArray(const VSparseArray& other)
    : VValueMultiple(other.GetTag()), fShift(other.fShift) {
  if (other.fRoot == nullptr) return;
  fRoot = CopyTree(other.fRoot, fShift);
  if (fRoot != nullptr) fItemCount = other.fItemCount;
}

VSparseArray::~VSparseArray() { ReleaseKeepingItems(fRoot, fShift); }

int32_t VSparseArray::GetCapacity() const {
  return fShift >= 24 ? kMaxPosition : int32_t(KeySpan(fShift));
}

VObject* VSparseArray::GetAt(int32_t position) const {
  uint32_t key;
  if (!KeyOf(position, key) || position > GetCapacity()) return nullptr;
  return Lookup(fRoot, fShift, key);
}

bool VSparseArray::SetAt(VObject* item, int32_t position) {
  uint32_t key;
  if (!KeyOf(position, key)) return false;
  if (position > GetCapacity()) {
    // Nothing is stored that high, so there is nothing to empty.
    if (item == nullptr) return true;
    if (!SetHighestPosition(position)) return false;
  }
  return StoreIn(&fRoot, fShift, key, item, fItemCount);
}

void VSparseArray::RemoveAt(int32_t position, bool keep) {
  VObject* item = GetAt(position);
  if (item == nullptr) return;
  // Emptying a slot never needs memory.
  StoreIn(&fRoot, fShift, uint32_t(position) - 1, nullptr, fItemCount);
  if (!keep) delete item;
}

void VSparseArray::Remove(VObject* item, bool keep) {
  const int32_t position = IndexOf(item);
  if (position > 0) RemoveAt(position, keep);
}

int32_t VSparseArray::IndexOf(const VObject* item) const {
  if (item == nullptr || fRoot == nullptr) return 0;
  int32_t position = 0;
  auto match = [&](uint32_t key, VObject* stored) {
    if (stored != item) return true;
    position = int32_t(key + 1);
    return false;
  };
  Visit(fRoot, fShift, 0, match);
  return position;
}

VObject* VSparseArray::Contains(const VObject* item) const {
  return IndexOf(item) > 0 ? const_cast<VObject*>(item) : nullptr;
}

// The occupied position nearest to the key of `position` in the direction
// asked, the key's own included; 0 when there is none.
int32_t VSparseArray::SeekPosition(int32_t position, bool forward) const {
  uint32_t found;
  if (fRoot == nullptr || !Seek(fRoot, fShift, uint32_t(position) - 1, forward, found)) return 0;
  return int32_t(found + 1);
}

int32_t VSparseArray::FirstPosition() const { return SeekPosition(1, true); }
int32_t VSparseArray::LastPosition() const { return SeekPosition(GetCapacity(), false); }

int32_t VSparseArray::NextPosition(int32_t position) const {
  if (position < 0) position = 0;
  if (position >= GetCapacity()) return 0;
  return SeekPosition(position + 1, true);
}

int32_t VSparseArray::PreviousPosition(int32_t position) const {
  if (position <= 1) return 0;
  // Above the capacity nothing is stored: start from the last position.
  if (position > GetCapacity()) return LastPosition();
  return SeekPosition(position - 1, false);
}

VObject* VSparseArray::First() const { return GetAt(FirstPosition()); }
VObject* VSparseArray::Last() const { return GetAt(LastPosition()); }
VObject* VSparseArray::Next(int32_t position) const { return GetAt(NextPosition(position)); }
VObject* VSparseArray::Previous(int32_t position) const { return GetAt(PreviousPosition(position)); }

template <typename MoveKey, typename Dropped>
bool VSparseArray::Rebuild(uint32_t shift, MoveKey moveKey, Dropped dropped) {
  // The new tree is built beside the old one, so running out of memory
  // half way loses nothing: the partial new tree goes and the old stays.
  Node* root = nullptr;
  uint32_t items = 0;
  bool stored = true;
  auto store = [&](uint32_t key, VObject* item) {
    uint32_t newKey;
    if (!moveKey(key, newKey)) return true;
    stored = StoreIn(&root, shift, newKey, item, items);
    return stored;
  };
  if (fRoot != nullptr) Visit(fRoot, fShift, 0, store);
  if (!stored) {
    ReleaseKeepingItems(root, shift);
    return false;
  }
  Node* oldRoot = fRoot;
  const uint32_t oldShift = fShift;
  fRoot = root;
  fShift = shift;
  fItemCount = items;
  // The array is whole again before any item left out is handed over.
  auto drop = [&](uint32_t key, VObject* item) {
    uint32_t unused;
    if (!moveKey(key, unused)) dropped(item);
  };
  Release(oldRoot, oldShift, 0, drop);
  return true;
}

bool VSparseArray::SetHighestPosition(int32_t n) {
  const uint32_t shift = ShiftFor(n > 0 ? uint32_t(n) : 0);
  if (shift == fShift) return true;
  // A shallower tree would fold the higher items onto lower positions.
  const int32_t capacity = shift >= 24 ? kMaxPosition : int32_t(KeySpan(shift));
  if (LastPosition() > capacity) return false;
  return Rebuild(
      shift, [](uint32_t key, uint32_t& to) { to = key; return true; }, [](VObject*) {});
}

bool VSparseArray::InsertGap(int32_t position, int32_t n) {
  if (n < 0) return false;
  if (position < 1) position = 1;
  const int32_t last = LastPosition();
  if (n == 0 || last < position) return true;
  if (int64_t(last) + n > kMaxPosition) return false;
  const uint32_t from = uint32_t(position) - 1;
  uint32_t shift = ShiftFor(uint32_t(last + n));
  if (shift < fShift) shift = fShift;
  return Rebuild(
      shift,
      [&](uint32_t key, uint32_t& to) {
        to = key >= from ? key + uint32_t(n) : key;
        return true;
      },
      [](VObject*) {});
}

bool VSparseArray::DeleteRange(int32_t position, int32_t n, bool keep) {
  if (n < 0) return false;
  if (position < 1) {
    // The part of the range below position 1 holds nothing.
    n = int32_t(std::max<int64_t>(0, int64_t(n) + position - 1));
    position = 1;
  }
  if (n == 0 || fRoot == nullptr) return true;
  const uint64_t from = uint64_t(position) - 1;
  const uint64_t to = from + uint64_t(n);  // first key after the range
  return Rebuild(
      fShift,
      [&](uint32_t key, uint32_t& moved) {
        if (key < from) {
          moved = key;
          return true;
        }
        if (key < to) return false;
        moved = uint32_t(key - uint64_t(n));
        return true;
      },
      [keep](VObject* item) {
        if (!keep) delete item;
      });
}

void VSparseArray::Clear(bool deleteItems) {
  // Detached first, so an item whose destruction reaches back into the
  // array finds it empty and consistent.
  Node* root = fRoot;
  fRoot = nullptr;
  fItemCount = 0;
  auto drop = [deleteItems](uint32_t, VObject* item) {
    if (deleteItems) delete item;
  };
  Release(root, fShift, 0, drop);
}

VObject* VSparseArrayIterator::Arrive(int32_t position) {
  fPosition = position;
  return fArray != nullptr ? fArray->GetAt(position) : nullptr;
}

VObject* VSparseArrayIterator::Next() {
  if (fArray == nullptr) return nullptr;
  return Arrive(fArray->NextPosition(fPosition));
}

VObject* VSparseArrayIterator::Previous() {
  if (fArray == nullptr) return nullptr;
  return Arrive(fPosition == 0 ? fArray->LastPosition() : fArray->PreviousPosition(fPosition));
}

VObject* VSparseArrayIterator::First() {
  if (fArray == nullptr) return nullptr;
  return Arrive(fArray->FirstPosition());
}

VObject* VSparseArrayIterator::Last() {
  if (fArray == nullptr) return nullptr;
  return Arrive(fArray->LastPosition());
}

VObject* VSparseArrayIterator::Current() const {
  return fArray != nullptr && fPosition > 0 ? fArray->GetAt(fPosition) : nullptr;
}
