// VItemRef: the moves of the outline cursor and the child lists of items.
#include "framework/core/containers/VItemRef.h"

#include <cstdint>

#include "framework/core/containers/VArrayListOf.h"
#include "framework/core/containers/VChildAssociation.h"
#include "framework/core/containers/VValueMultiple.h"

VItemRef::~VItemRef() { DropChild(); }

const VItemRef* VItemRef::Deepest() const {
  const VItemRef* level = this;
  while (level->fChild != nullptr) level = level->fChild.get();
  return level;
}

int16_t VItemRef::GetDepth() const { return Deepest()->fDepth; }

bool VItemRef::HasChildren() const { return Deepest()->GetChildList() != nullptr; }

int16_t VItemRef::DeepestListTag() const { return Deepest()->GetList()->GetTag(); }

VValueMultiple* VItemRef::GetChildList() const {
  const VArrayListOf<VChildAssociation>* records = GetList()->GetChildAssociations();
  if (records == nullptr) return nullptr;
  for (int32_t i = 1, n = records->Count(); i <= n; ++i) {
    const VChildAssociation record = records->GetAt(i);
    if (record.itemIndex == fIndex) return record.childList;
  }
  return nullptr;
}

bool VItemRef::AttachChildList(VValueMultiple* child) {
  const VItemRef* level = Deepest();
  // Only an item can own a child list: a record for an index outside the
  // list would count in the outline's size but could never be reached.
  if (level->fIndex < 1 || level->fIndex > level->ListCount()) return false;
  // The list refuses a child that would make the outline a loop, which
  // would send CountAll and every outline move round it for ever.
  return level->GetList()->AddChildAssociation(level->fIndex, child);
}

VItemRef* VItemRef::CloneOn(VValueMultiple* list) const {
  VItemRef* copy = list->NewItemRefAt(1, kItemRefOutlinePosition);
  if (copy == nullptr) return nullptr;
  copy->DropChild();
  if (fChild != nullptr) copy->fChild.reset(fChild->Clone());
  copy->fBoundary = fBoundary;
  copy->fIndex = fIndex;
  copy->fDepth = fDepth;
  return copy;
}

void VItemRef::ResetToRoot() {
  DropChild();
  fIndex = 0;
  fDepth = 1;
  fBoundary = 1;
}

void VItemRef::SetDepth(int16_t depth) {
  for (VItemRef* level = this; level != nullptr; level = level->fChild.get()) level->fDepth = depth++;
}

void VItemRef::DropChild() { fChild.reset(); }

int32_t VItemRef::ListCount() const { return GetList()->Count(); }

void VItemRef::SetIndexClamped(int64_t n) {
  DropChild();
  const int32_t count = ListCount();
  if (n < 1) {
    n = 1;
    fBoundary = 1;
  }
  if (n > count) {
    n = count;
    fBoundary = 1;
  }
  fIndex = int32_t(n);
}

void VItemRef::Step(int32_t delta) {
  const int64_t n = int64_t(fIndex) + delta;
  if (delta > 0) {
    const int32_t count = ListCount();
    fIndex = n > count ? count : int32_t(n);
    if (n > count) fBoundary = 1;
  } else {
    fIndex = n < 1 ? 1 : int32_t(n);
    if (n < 1) fBoundary = 1;
  }
}

void VItemRef::Descend() {
  VValueMultiple* child = GetChildList();
  VItemRef* ref = child != nullptr ? child->NewItemRefAt(1, kItemRefOutlinePosition) : nullptr;
  if (ref == nullptr) {
    fBoundary = 1;
    return;
  }
  DropChild();
  ref->SetDepth(int16_t(fDepth + 1));
  fChild.reset(ref);
}

// Outline position p counts this level's items, each followed by every item
// of its subtree as CountAll counts them. The association records are read
// in the order attached, expected in ascending item order.
void VItemRef::MoveToOutlinePosition(int32_t position) {
  DropChild();
  int64_t p = position;
  int64_t target = p;
  int64_t remainder = 0;
  bool placed = false;
  if (const VArrayListOf<VChildAssociation>* records = GetList()->GetChildAssociations()) {
    for (int32_t i = 1, n = records->Count(); i <= n && !placed; ++i) {
      const VChildAssociation record = records->GetAt(i);
      const int64_t k = record.itemIndex;
      const int64_t s = record.childList != nullptr ? record.childList->CountAll() : 0;
      if (p <= k) {
        target = p;
        placed = true;
      } else if (p <= k + s) {
        target = k;
        remainder = p - k;
        placed = true;
      } else {
        p -= s;
      }
    }
  }
  if (!placed) target = p;
  SetIndexClamped(target);
  if (fBoundary == 0 && remainder != 0) {
    Descend();
    if (fChild != nullptr) {
      fChild->Move(int32_t(remainder), kItemRefOutlinePosition);
    } else {
      fBoundary = 0;
    }
  }
}

VItemRef* VItemRef::Move(int32_t argument, int32_t mode) {
  fBoundary = 0;
  switch (mode) {
    case kItemRefOutlinePosition:
      MoveToOutlinePosition(argument);
      break;
    case kItemRefSetIndex:
      SetIndexClamped(argument);
      break;
    case kItemRefDeepOutlinePosition:
      if (fChild != nullptr) {
        fChild->Move(argument, mode);
      } else {
        MoveToOutlinePosition(argument);
      }
      break;
    case kItemRefDeepSetIndex:
      if (fChild != nullptr) {
        fChild->Move(argument, mode);
      } else {
        SetIndexClamped(argument);
      }
      break;
    case kItemRefNextInOutline:
      // Into this item's subtree first; past its end, on to the next item.
      if (fChild != nullptr) {
        fChild->Move(0, kItemRefNextInOutline);
        if (fChild->IsAtBoundary()) {
          DropChild();
          Move(0, kItemRefNextItem);
        }
      } else {
        Move(0, kItemRefDescend);
        if (fChild == nullptr || fChild->IsAtBoundary()) {
          DropChild();
          Move(0, kItemRefNextItem);
        }
      }
      break;
    case kItemRefPreviousInOutline:
      // Back to this level's item from the first of its subtree; from an
      // item, to the last item of the previous item's subtree.
      if (fChild != nullptr) {
        fChild->Move(0, kItemRefPreviousInOutline);
        if (fChild->IsAtBoundary()) DropChild();
      } else {
        Move(0, kItemRefPreviousItem);
        if (fBoundary != 0) {
          Move(0, kItemRefPreviousItem);
        } else {
          Move(0, kItemRefDescendToLast);
          fBoundary = 0;
        }
      }
      break;
    case kItemRefNextItem:
    case kItemRefPreviousItem:
      if (fChild != nullptr) {
        fChild->Move(argument, mode);
      } else {
        Step(mode == kItemRefNextItem ? 1 : -1);
      }
      break;
    case kItemRefNextThenUp:
    case kItemRefPreviousThenUp: {
      const int32_t step = mode == kItemRefNextThenUp ? kItemRefNextItem : kItemRefPreviousItem;
      if (fChild == nullptr) {
        Step(step == kItemRefNextItem ? 1 : -1);
      } else if (fChild->fChild == nullptr) {
        fChild->Move(0, step);
        if (fChild->fBoundary != 0) {
          DropChild();
          Step(step == kItemRefNextItem ? 1 : -1);
        }
      } else {
        fChild->Move(0, mode);
      }
      break;
    }
    case kItemRefDescend:
      if (fChild != nullptr) {
        fChild->Move(argument, mode);
      } else {
        Descend();
      }
      break;
    case kItemRefDescendToLast:
      if (fChild != nullptr) {
        fChild->Move(argument, mode);
      } else {
        Descend();
        if (fChild != nullptr) {
          fChild->Move(0, kItemRefLastItem);
          fChild->Move(0, kItemRefDescendToLast);
          fChild->fBoundary = 0;
        }
      }
      break;
    case kItemRefUp:
      if (fChild == nullptr) {
        fBoundary = 1;
      } else if (fChild->fChild == nullptr) {
        DropChild();
      } else {
        fChild->Move(0, mode);
      }
      break;
    case kItemRefRootFirst:
      DropChild();
      fIndex = 1;
      break;
    case kItemRefFirstItem:
    case kItemRefLastItem:
      if (fChild != nullptr) {
        fChild->Move(argument, mode);
      } else {
        fIndex = mode == kItemRefFirstItem ? 1 : ListCount();
      }
      break;
    default:
      break;
  }
  return this;
}
