// VItemRef: a cursor into an outline of lists, standing on one item of a list
// and, once it has gone down into that item's child list, on a chain of
// references of the levels below.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/VObject.h"

class VValueMultiple;

// The moves of VItemRef::Move. "Deepest" means: passed down the chain to the
// deepest reference, which then acts.
enum : int32_t {
  kItemRefOutlinePosition = 0,    // to outline position `argument` at this level
  kItemRefSetIndex = 1,           // to item `argument` at this level, clamped
  kItemRefDeepOutlinePosition = 2,
  kItemRefDeepSetIndex = 3,
  kItemRefNextInOutline = 4,      // each item followed by its subtree
  kItemRefPreviousInOutline = 5,
  kItemRefNextItem = 6,           // deepest: index + 1, clamped
  kItemRefPreviousItem = 7,       // deepest: index - 1, clamped
  kItemRefNextThenUp = 8,         // next at the deepest level, up past its end
  kItemRefPreviousThenUp = 9,
  kItemRefDescend = 10,           // into the deepest item's child list
  kItemRefDescendToLast = 11,     // down to the last item of the last subtree
  kItemRefUp = 12,                // up one level
  kItemRefRootFirst = 13,         // the root's first item, the chain dropped
  kItemRefFirstItem = 14,         // deepest: index 1
  kItemRefLastItem = 15,          // deepest: index = Count
};

// One level of the cursor. Invariants: the depth is 1 at the root reference
// and one more at each level below; the child reference, when there is one,
// is owned and stands in the child list of this level's item; the index is
// 1-based in this level's list (0 before the first positioning or in an
// empty list). References keep indexes, not elements: when the lists change
// a reference keeps its index. Moves never fail: they clamp at the ends of a
// list and say so through the boundary flag of the level that moved.
//
// References are made only by the lists (NewItemRef, NewItemRefAt), and a
// reference must not outlive the lists it stands on.
class VItemRef : public VObject {
 public:
  // Deletes the child reference, and so the whole chain below.
  ~VItemRef() override;
  VItemRef(const VItemRef&) = delete;
  VItemRef& operator=(const VItemRef&) = delete;

  // The depth of the deepest level.
  virtual int16_t GetDepth() const;
  // Whether the deepest level's item owns a child list.
  virtual bool HasChildren() const;
  // This level's list.
  virtual VValueMultiple* GetList() const = 0;
  // The tag of the deepest level's list.
  virtual int16_t GetListTag() const = 0;
  // An independent copy of the whole chain, owned by the caller.
  virtual VItemRef* Clone() const = 0;
  // This level's index is its list's Count.
  virtual bool IsLast() const = 0;
  // This level's index is 1.
  virtual bool IsFirst() const = 0;

  // Moves the cursor (the kItemRef... modes); an unknown mode only clears
  // the boundary flag. Answers this reference.
  VItemRef* Move(int32_t argument, int32_t mode);
  void MoveBy(int32_t mode) { Move(0, mode); }
  // The boundary flag of the deepest level: its last move was clamped at an
  // end of its list or found nothing to descend into.
  bool IsAtBoundary() const { return Deepest()->fBoundary != 0; }
  // The child list of this level's item (the first one recorded for its
  // index), or null.
  VValueMultiple* GetChildList() const;
  // Records `child` as the child list of the deepest level's item. Refused
  // (false) for a null child, when that level stands on no item, and when
  // the child is the deepest level's list or has it somewhere below its own
  // items, which would make the outline a loop.
  bool AttachChildList(VValueMultiple* child);

  // This level's state.
  int32_t GetIndex() const { return fIndex; }
  int16_t GetLevelDepth() const { return fDepth; }
  // The reference of the next level down; null at the deepest level.
  VItemRef* GetChild() const { return fChild.get(); }
  const VItemRef* Deepest() const;

 protected:
  VItemRef() = default;

  // The shared bodies of the operations that each element type gives.
  int16_t DeepestListTag() const;
  VItemRef* CloneOn(VValueMultiple* list) const;

 private:
  friend class VValueMultiple;

  // The state in which a list places a new reference before its first move:
  // no child, index 0, depth 1, boundary flag set.
  void ResetToRoot();
  void SetDepth(int16_t depth);
  void DropChild();
  int32_t ListCount() const;
  // Index = n, the child dropped, clamped to 1 .. Count with the flag set
  // when clamped (an empty list ends at 0).
  void SetIndexClamped(int64_t n);
  void Step(int32_t delta);
  // Into the child list of this level's item; the flag when there is none.
  void Descend();
  void MoveToOutlinePosition(int32_t position);

  int16_t fDepth = 1;          // 1 at the root, one more at each level below
  std::unique_ptr<VItemRef> fChild;  // null at the deepest level
  int32_t fIndex = 0;          // 1-based; 0 before the first positioning
  uint8_t fBoundary = 1;       // the last move here was clamped
};
