// VDragTypeList: the kinds of dragged data a frame offers and accepts, the
// drag kinds it takes part in and how far around the frame a drop is still
// taken, all kept in one type block whose layout is fixed because blocks
// travel between modules through the host.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/core/VObject.h"

class VString;
class VStringArray;

// Type block, little-endian, written and read field by field:
//   0   u16  version, 1
//   2   s32  inset a: the drop area starts a pixels left of the frame
//   6   s32  inset b: the drop area starts b pixels above the frame
//   10  s32  inset c: added to the frame's width
//   14  s32  inset d: added to the frame's height
//   18  u32  mask: the kinds of drag the list takes part in (0 = none)
//   22  s16  capacity: the entries the block has room for
//   24  s16  count: the entries in use
//   26  70 x capacity entries:
//         0  u8   offered: the data can be dragged out as this type
//         1  u8   accepted: data of this type can be dropped in
//         2  u16  name length, at most 32
//         4  32 UTF-16 units of name; bytes behind the name are not read
// Blocks from the host or another module are trusted no further than this:
// a negative capacity counts as 0, the count is taken within 0..capacity
// and a name length within 0..32.
constexpr size_t kDragTypeHeaderSize = 26;
constexpr size_t kDragTypeEntrySize = 70;
constexpr int32_t kDragTypeNameMax = 32;
// The count is 16-bit and signed.
constexpr int32_t kDragTypeMaxEntries = 32767;

class VDragTypeList : public VObject {
 public:
  // A new block: version 1, room for one entry, everything else 0.
  VDragTypeList();
  VDragTypeList(const VDragTypeList& other);
  // With adopt the list takes the block over (a block of the memory
  // manager's fixed blocks, freed with the list); otherwise it copies it.
  VDragTypeList(uint8_t* block, bool adopt);
  explicit VDragTypeList(const uint8_t* block);
  // A copy of a block of `size` bytes whose capacity is also held to what
  // the bytes hold: for blocks whose size is known.
  VDragTypeList(const uint8_t* block, size_t size);
  ~VDragTypeList() override;
  VDragTypeList& operator=(const VDragTypeList& other);

  // Frees the current block and takes a copy of `block`, with room for
  // exactly its entries (capacity := count). False when no copy can be had;
  // the list then holds an empty new block.
  bool Assign(const uint8_t* block);
  bool Assign(const uint8_t* block, size_t size);

  uint32_t GetMask() const;
  void SetMask(uint32_t bits);
  void ClearMask() { SetMask(0); }
  void AddMask(uint32_t bits) { SetMask(GetMask() | bits); }
  bool HasMask(uint32_t bits) const { return (GetMask() & bits) != 0; }
  void OrMaskComplement(uint32_t bits) { SetMask(GetMask() | ~bits); }

  void GetInsets(int32_t& a, int32_t& b, int32_t& c, int32_t& d) const;
  void SetInsets(int32_t a, int32_t b, int32_t c, int32_t d);
  // Whether a point of a frame of the size lies in the drop area: the
  // rectangle from (-a, -b) of width w + c and height h + d.
  bool IsInDropArea(int32_t width, int32_t height, int32_t x, int32_t y) const;

  // The 1-based index of the first entry of the name; 0 when none.
  int32_t Find(const VString& name) const;
  // An existing entry gets the flags ORed in; else a new entry (name cut
  // to 32 characters). False, the list unchanged, when the block cannot
  // grow or already holds 32,767 entries.
  bool AddType(bool offered, bool accepted, const VString& name);
  // A true argument clears that flag; an entry left with neither is deleted.
  void RemoveType(bool offered, bool accepted, const VString& name);
  bool IsOffered(const VString& name) const;
  bool IsAccepted(const VString& name) const;
  // AddType for each string in order; stops at the first failure.
  bool AddTypes(bool offered, bool accepted, const VStringArray& names);
  // Empties the array, then appends the names of the entries that have the
  // offered flag (when `offered`) or the accepted flag (when `accepted`).
  void GetTypeNames(bool offered, bool accepted, VStringArray& names) const;
  int32_t CountTypes(bool offered, bool accepted) const;
  // Deletes the entries only offered; the others lose the offered flag.
  void ClearOffered();
  // Deletes the entries only accepted; the others lose the accepted flag.
  void ClearAccepted();
  void DeleteEntry(int32_t index);
  bool IsEmpty() const { return Count() == 0; }
  // Room for at least n entries; false, the block unchanged, when it
  // cannot grow.
  bool Reserve(int32_t n);

  const uint8_t* GetBlock() const { return fBlock; }
  // The block's size for its capacity.
  size_t GetBlockSize() const;
  int32_t Count() const;
  int32_t Capacity() const;
  // The name of entry `index` (1-based), at most 32 characters.
  void GetTypeName(int32_t index, VString& out) const;

  // Whether this (the frame's) list takes part in one of the drag kinds of
  // the mask and accepts a type the dragged list offers.
  bool Matches(const VDragTypeList& dragged, uint32_t mask) const;

 private:
  uint8_t* EntryAt(int32_t index) const;
  bool Flag(int32_t index, int which) const;
  void SetCount(int32_t n);
  bool NameEquals(int32_t index, const VString& name) const;
  // Clears the entries whose `drop` flag alone is set; the `drop` flag of
  // the rest.
  void ClearFlag(int which);
  void Free();
  bool CopyFrom(const uint8_t* block, int32_t capacityLimit);
  void MakeNew();

  uint8_t* fBlock = nullptr;
};
