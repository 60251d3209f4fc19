// VSparseArray: object pointers addressed by a 32-bit position from 1, of
// which only the positions in use take memory; and VSparseArrayIterator,
// which walks the occupied positions.
#pragma once

#include <cstdint>

#include "framework/core/containers/VValueMultiple.h"

// A 256-way radix tree whose depth follows the highest position it must
// hold. Position p is stored under the key k = p - 1; a tree of shift s has
// s / 8 + 1 levels, the slot at a level of shift t is (k >> t) & 255, and
// the lowest level holds the items. Each node is a fixed zero-filled block
// from the memory manager: 256 slots (child nodes, or items at the lowest
// level) followed by the count of its non-empty slots. A node whose count
// falls to 0 is released at once, so every node in the tree holds something
// and an empty array has no root.
//
// Positions run from 1 to GetCapacity(): 256 << shift, or 0x7FFFFFFF at
// shift 24. Reads outside that range answer null; SetAt deepens the tree to
// take a higher position first, so no position ever shares a slot with
// another. Position 0 and negative positions hold nothing.
//
// The array hands its items out but does not clone them: a copy of the array
// shares them with the original. So neither the destructor nor a failed
// operation deletes an item; RemoveAt, Remove, DeleteRange and Clear delete
// the items they remove unless told to keep them.
class VSparseArray : public VValueMultiple {
 public:
  static constexpr int32_t kMaxPosition = 0x7FFFFFFF;

  // The tree is made deep enough for positions up to `highestPosition`.
  explicit VSparseArray(int32_t highestPosition);
  // Copies the tree (the items are shared, not cloned). When the memory for
  // the copy runs out, the copy is left empty: compare Count() to check.
  VSparseArray(const VSparseArray& other);
  VSparseArray& operator=(const VSparseArray&) = delete;
  // Releases the nodes; the items stay alive (they may be shared with a
  // copy): call Clear(true) first to delete them.
  ~VSparseArray() override;

  // The number of non-null items stored.
  int32_t Count() const override { return int32_t(fItemCount); }
  bool IsEmpty() const { return fItemCount == 0; }

  // Null for an empty position and for one outside 1 .. capacity.
  VObject* GetAt(int32_t position) const;
  // Stores the item (null empties the position; the item that was there is
  // not deleted). A position beyond the capacity first deepens the tree.
  // False, with the array as it was, for a position below 1 or when memory
  // for a node runs out.
  bool SetAt(VObject* item, int32_t position);
  // Empties the position; the item is deleted unless `keep`.
  void RemoveAt(int32_t position, bool keep);
  // RemoveAt at the item's first position; nothing when it is absent.
  void Remove(VObject* item, bool keep);

  // The first position, in position order, holding the item; 0 when absent.
  int32_t IndexOf(const VObject* item) const;
  // The item when it is stored, else null.
  VObject* Contains(const VObject* item) const;

  // The items at the lowest and the highest occupied position; null when
  // the array is empty.
  VObject* First() const;
  VObject* Last() const;
  // The item at the first occupied position after, or the last before,
  // `position`; null when there is none.
  VObject* Next(int32_t position) const;
  VObject* Previous(int32_t position) const;
  // The same occupied positions themselves; 0 when there is none.
  int32_t FirstPosition() const;
  int32_t LastPosition() const;
  int32_t NextPosition(int32_t position) const;
  int32_t PreviousPosition(int32_t position) const;

  // Items at or after `position` move up by `n`, the tree deepening as
  // needed. False, with the array as it was, when an item would move beyond
  // the highest position or memory runs out; a negative `n` is refused.
  bool InsertGap(int32_t position, int32_t n);
  // Items in [position, position + n) are removed (deleted unless `keep`)
  // and later ones move down by `n`. False, with the array as it was, when
  // memory for the new tree runs out; a negative `n` is refused.
  bool DeleteRange(int32_t position, int32_t n, bool keep);

  int32_t GetCapacity() const;
  uint32_t GetShift() const { return fShift; }
  // Rebuilds the tree for positions up to `n` when that needs another
  // depth. False, with the array as it was, when an item lies beyond the
  // new capacity or memory runs out.
  bool SetHighestPosition(int32_t n);

  // Empties the array, deleting the items when `deleteItems` is set.
  void Clear(bool deleteItems);

  // The depth (0, 8, 16 or 24) that positions up to `n` need.
  static uint32_t ShiftFor(uint32_t n);

 // One node of the tree; its layout is private to the array's source.
  struct Node;

 private:
  int32_t SeekPosition(int32_t position, bool forward) const;

  // Stores the items of this tree, moved by `moveKey`, in a new tree of
  // `shift`; on success the new tree replaces the old one, whose nodes are
  // released (its items go to `dropped` when `moveKey` leaves them out).
  template <typename MoveKey, typename Dropped>
  bool Rebuild(uint32_t shift, MoveKey moveKey, Dropped dropped);

  uint32_t fShift = 0;      // 0, 8, 16 or 24
  uint32_t fItemCount = 0;  // non-null items stored
  Node* fRoot = nullptr;    // null when empty
};

// Walks the occupied positions of one array forwards and backwards. It
// starts before the first position; stepping past either end puts it off
// the array (position 0), from where Next starts again at the first and
// Previous at the last. The iterator neither owns nor copies the array,
// which must outlive it.
class VSparseArrayIterator : public VObject {
 public:
  explicit VSparseArrayIterator(const VSparseArray* array = nullptr) : fArray(array) {}

  // Attach to the array, before its first position.
  void Reset(const VSparseArray* array) {
    fArray = array;
    fPosition = 0;
  }
  VObject* Next();
  VObject* Previous();
  VObject* First();
  VObject* Last();
  // The item at the current position (null off the array or when the
  // position has been emptied since).
  VObject* Current() const;
  int32_t GetPosition() const { return fPosition; }

 private:
  VObject* Arrive(int32_t position);

  const VSparseArray* fArray;
  int32_t fPosition = 0;  // 0: before the first / off the array
};
