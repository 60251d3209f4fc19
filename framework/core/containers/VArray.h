// VArray: the base of the typed arrays, values that keep any number of
// elements of one kind side by side in one memory-manager handle, 1-based.
#pragma once

#include <cstdint>

#include "framework/core/containers/VValueMultiple.h"
#include "framework/core/memory/VHandleLocker.h"

class VStream;
template <typename T>
class VChainListPtrOf;

// Everything that does not depend on the element kind: the store and its
// growth, insertion and deletion, the current element, sorting and the sorted
// state, reordering, linking, the search rules and the stream frame.
//
// Invariants: 0 <= current <= count <= capacity; the store holds at least
// capacity elements (capacity / 8 bytes for booleans). Element i lies at byte
// offset (i - 1) x element size. Elements between the count and the capacity
// are kept zero, so that every element an array gains starts as zero (null
// for the kinds that own objects). When the sorted flag is set the elements
// are in ascending order of CompareElements after every operation that
// changes them, except where a kind says otherwise.
//
// The range argument of the value interface names the element (1-based);
// -1 names the current element. A bad range makes getters answer the kind's
// zero and setters do nothing.
//
// Arrays may be linked into a group: appends with propagation and sorting are
// carried over to every member. The group list is shared by its members; the
// member whose departure leaves one member behind unlinks that member too and
// deletes the list. Members are expected to keep equal counts; sorting a
// group whose counts differ does nothing.
//
// Stream frame, the same for every kind that has one (numbers in the stream's
// byte order):
//   kind   u32  only with the tag 'VVAL': the array kind, 100 to 107
//   count  u32  always
//   elements    count elements in the kind's element form, when count > 0
// A reader checks the count against the bytes that remain before it sizes
// the array: a count the stream cannot hold answers 200 and changes nothing.
class VArray : public VValueMultiple {
 public:
  ~VArray() override;
  VArray(const VArray&) = delete;
  VArray& operator=(const VArray&) = delete;

  bool IsMultiple() const override;
  int32_t Count() const override;

  int32_t ReadFromStream(VStream& stream, uint32_t tag) override;
  int32_t WriteToStream(VStream& stream, uint32_t tag) override;

  // Changes the number of elements. A negative n counts as 0. The store grows
  // to exactly n elements when n passes the capacity, and shrinks only when
  // `exact` is set. When the store cannot be resized nothing changes.
  virtual void SetCount(int32_t n, bool exact);
  // Reads the value with the element kind's getter and searches for it.
  virtual int32_t FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const = 0;
  // Makes this array a copy of another of the same kind; the sorted flag and
  // the group stay as they were. A source of another kind is refused.
  virtual void AssignArray(const VArray& source);
  // Sorts the elements, carrying linked arrays along; does not change the
  // sorted flag. Equal elements end in no guaranteed order.
  virtual void Sort(bool descending);
  // Reverses the order of the elements; the current index is not adjusted.
  virtual void Reverse();
  virtual int32_t GetElementKind() const = 0;
  // Element i becomes the former element permutation[i - 1] + 1. The
  // permutation must name every element exactly once; otherwise nothing
  // changes.
  virtual void Reorder(const int32_t* permutation);
  // Moves n elements from index `from` to index `to` in one overlap-safe
  // block move and zeroes the elements left behind (from .. to - 1 moving
  // up, to + n .. from + n - 1 moving down). Nothing happens unless both
  // indexes lie in 1 .. count, they differ, n > 0 and both ranges end inside
  // the store.
  virtual void MoveElements(int32_t from, int32_t to, int32_t n);
  // After a raw copy of the store: replaces shared owned elements by copies.
  // Nothing for the plain kinds.
  virtual void DuplicateElements();
  // Before elements are dropped: releases what they own. Nothing for the
  // plain kinds.
  virtual void DisposeElements(int32_t first, int32_t n);
  // -1, 0 or 1 as the element at `a` is below, equal to or above the one at `b`.
  virtual int32_t CompareElements(const void* a, const void* b) const = 0;

  // Replaces -1 by the current index; an index outside 1 .. count becomes -1.
  // Answers whether the index is valid.
  bool CheckIndex(int32_t& index) const;
  // Opens n zero elements at the position (1 .. count + 1), then sorts when
  // the sorted flag is set and `noSort` is false. Linked arrays are not touched.
  void InsertElements(int32_t position, int32_t n, bool noSort);
  // Deletes n elements from the position; a range reaching outside 1 .. count
  // is cut to the part inside it. The store shrinks to the new count.
  void DeleteElements(int32_t position, int32_t n);
  // Setting the flag sorts the array ascending.
  void SetSorted(bool flag);
  bool IsSorted() const;
  // Clamped to 0 .. count.
  void SetCurrent(int32_t index);
  int32_t GetCurrent() const { return fCurrent; }
  int32_t GetCapacity() const { return fCapacity; }
  // Leaves the current group, then joins the group of `other` (making one
  // when it has none). Null only leaves; an array cannot join itself.
  void LinkTo(VArray* other);
  bool IsLinked() const { return fGroup != nullptr; }

  // Append one element, stored through the kind's setter of the named type
  // (SetBoolean, SetWord, SetLong, SetReal, SetTime, SetDate, SetString and,
  // for AppendValue, CopyFrom). With `propagate` every other member of the
  // group grows by one zero element at the same index. Answers the index of
  // the new element (after sorting, when the array is sorted); when the store
  // cannot grow nothing is stored and the answer is count + 1. The current
  // index is restored afterwards.
  int32_t AppendBoolean(uint8_t value, bool propagate);
  int32_t AppendWord(int16_t value, bool propagate);
  int32_t AppendLong(int32_t value, bool propagate);
  int32_t AppendReal(double value, bool propagate);
  int32_t AppendTime(int32_t seconds, bool propagate);
  int32_t AppendDate(const VDateRec& date, bool propagate);
  int32_t AppendString(const VString& value, bool propagate);
  int32_t AppendValue(const VValue& value, bool propagate);

  // The copy behind copy construction and assignment: element size,
  // capacity, count and the sorted flag are copied, current becomes the
  // source's count, the store becomes a duplicate of the source's, and the
  // target leaves its group. Kinds that own objects get their own copies.
  // When the store cannot be duplicated the target is left empty.
  void CopyFields(const VArray& source);

 protected:
  // An empty array with a store that grows by 64-byte granules, so that
  // growing a few elements at a time mostly stays inside the block.
  VArray();

  // The store locked for the life of the guard, seen as bytes; Data() is
  // null when the store is empty or cannot be locked.
  class LockedStore : public VHandleLocker {
   public:
    explicit LockedStore(const VArray& array) : VHandleLocker(array.fStore) {}
    uint8_t* Data() const { return As<uint8_t>(); }
  };

  // Copies the element at a valid index out of or into the store.
  void ReadElement(int32_t index, void* element) const;
  void WriteElement(int32_t index, const void* element);
  template <typename T>
  T ElementAt(int32_t index) const {
    T value{};
    ReadElement(index, &value);
    return value;
  }

  // The search of the numeric, time and date kinds: `key` is an element in
  // the store's form. Binary search for the one case of a sorted array
  // searched forward from 1 for an equal element; otherwise a walk from
  // start, answering the first element that satisfies the mode (-2 greater
  // or equal, -1 greater, 0 equal, 1 less, 2 less or equal; any other mode
  // answers start). -1 when none.
  int32_t FindElement(const void* key, int32_t start, bool forward, int32_t mode) const;

  // Shared body of the Append operations: `store` stores the value at the
  // index it is given.
  template <typename Store>
  int32_t AppendWith(bool propagate, Store store) {
    const int32_t saved = fCurrent;
    fCurrent = fCount + 1;
    InsertElements(fCurrent, 1, true);
    PropagateAppend(propagate, fCurrent);
    store(fCurrent);
    const int32_t answer = fCurrent;
    fCurrent = saved;
    return answer;
  }
  void PropagateAppend(bool propagate, int32_t index);

  // The capacity the store is sized for when it must hold n elements, and
  // the bytes of such a store; the boolean array rounds to whole bytes.
  virtual int64_t CapacityFor(int64_t n) const;
  virtual uint64_t StoreBytesFor(int64_t capacity) const;
  // Sets elements first .. last to zero; the store must hold them.
  virtual void ZeroElements(int32_t first, int32_t last);
  // Swaps two elements of the locked store (0-based).
  virtual void SwapElements(uint8_t* data, int32_t a, int32_t b);
  // Copies element `from` of `source`, a store of the same form, over
  // element `to` of the locked store (0-based).
  virtual void CopyElement(uint8_t* data, int32_t to, const uint8_t* source, int32_t from);
  // Whether the count entries name every element (0-based) exactly once.
  bool IsPermutation(const int32_t* permutation) const;
  // Whether MoveElements would move anything with these arguments.
  bool CanMove(int32_t from, int32_t to, int32_t n) const;

  // The elements field of the stream frame. The reader is given a count
  // already checked against the bytes that remain.
  virtual int32_t WriteElements(VStream& stream) const;
  virtual int32_t ReadElements(VStream& stream, int32_t count);
  // The fewest bytes in which the stream can hold `count` elements.
  virtual uint64_t StoredBytesFor(VStream& stream, uint64_t count) const;
  // Sizes the array for `count` elements and hands the locked store to
  // `read`; 100 (the memory manager's error) when the store cannot grow.
  template <typename Read>
  int32_t ReadIntoStore(int32_t count, Read read) {
    SetCount(count, false);
    if (fCount != count) return NoMemoryError();
    if (count == 0) return 0;
    LockedStore store(*this);
    if (!store) return NoMemoryError();
    return read(store.Data());
  }
  static int32_t NoMemoryError();

  int32_t fElementSize = 0;  // bytes per element; 0 for bits
  int32_t fCapacity = 0;     // elements the store was last sized for
  int32_t fCount = 0;
  int32_t fCurrent = 0;      // 0 (none) to count
  VMemHandle fStore = 0;     // owned
  VChainListPtrOf<VObject*>* fGroup = nullptr;  // shared with the other members
  uint8_t fSorted = 0;

 private:
  void SortStore(uint8_t* data, int32_t direction, int32_t* permutation);
  void SwapForSort(uint8_t* data, int32_t a, int32_t b, int32_t* permutation);
  // Replaces the store by a duplicate of the source's and copies the counts.
  bool TakeStoreOf(const VArray& source);
};
