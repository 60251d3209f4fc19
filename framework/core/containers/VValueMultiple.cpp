// The multiple-value base.
#include "framework/core/containers/VValueMultiple.h"

#include <memory>

#include "framework/core/containers/VArrayListOf.h"
#include "framework/core/containers/VChildAssociation.h"
#include "framework/core/containers/VItemRef.h"

VValueMultiple::VValueMultiple(int16_t tag) : fTag(tag) {}
VValueMultiple::~VValueMultiple() = default;

VValue* VValueMultiple::Clone() const { return nullptr; }
bool VValueMultiple::IsSingle() const { return false; }
int32_t VValueMultiple::GetKind() const { return kValueEmpty; }
int32_t VValueMultiple::Compare(const VValue&, int32_t, int32_t) const { return -1000; }
VItemRef* VValueMultiple::NewItemRef() { return nullptr; }

// A reference is made by NewItemRef, put in the root state and then moved.
VItemRef* VValueMultiple::NewItemRefAt(int32_t position, int32_t mode) {
  VItemRef* ref = NewItemRef();
  if (ref == nullptr) return nullptr;
  ref->ResetToRoot();
  ref->Move(position, mode);
  return ref;
}

int32_t VValueMultiple::CountAll() const {
  int32_t total = Count();
  if (fChildren == nullptr) return total;
  std::unique_ptr<VIteratorOf<VChildAssociation>> it(fChildren->NewIterator(-1));
  for (int32_t i = 0, n = fChildren->Count(); i < n; ++i) {
    const VChildAssociation record = it->Next();
    if (record.childList != nullptr) total += record.childList->CountAll();
  }
  return total;
}

bool VValueMultiple::AddChildAssociation(int32_t itemIndex, VValueMultiple* child) {
  if (child == nullptr || child->Reaches(this)) return false;
  if (fChildren == nullptr) fChildren = std::make_unique<VArrayListOf<VChildAssociation>>(-1);
  const VChildAssociation record(itemIndex, child);
  const int32_t before = fChildren->Count();
  fChildren->Add(&record);
  return fChildren->Count() > before;
}

// Whether `target` is this value or lies below one of its items.
bool VValueMultiple::Reaches(const VValueMultiple* target) const {
  if (this == target) return true;
  if (fChildren == nullptr) return false;
  for (int32_t i = 1, n = fChildren->Count(); i <= n; ++i) {
    const VValueMultiple* child = fChildren->GetAt(i).childList;
    if (child != nullptr && child->Reaches(target)) return true;
  }
  return false;
}
