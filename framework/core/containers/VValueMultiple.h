// VValueMultiple: the abstract base of the values that hold several
// elements, the lists and the typed arrays.
#pragma once

#include <memory>

#include "framework/core/values/VValue.h"

class VItemRef;
struct VChildAssociation;
template <typename T>
class VArrayListOf;

class VValueMultiple : public VValue {
 public:
  // Every list and array of the system passes -1; item references report it.
  explicit VValueMultiple(int16_t tag);
  ~VValueMultiple() override;

  // Null: a list cannot be cloned through the value interface. The typed
  // arrays answer their own copies.
  VValue* Clone() const override;
  bool IsSingle() const override;
  int32_t GetKind() const override;
  // -1000 whatever the other value and the two further arguments.
  int32_t Compare(const VValue& other, int32_t arg1, int32_t arg2) const override;

  // A new item reference placed at (position, mode), owned by the caller;
  // null when this value makes no item references.
  virtual VItemRef* NewItemRefAt(int32_t position, int32_t mode);
  // All the elements of this value and of the values below its items; with
  // no children this is Count.
  virtual int32_t CountAll() const;
  // The number of elements; never negative.
  virtual int32_t Count() const = 0;
  // A new item reference standing on this value; null by default.
  virtual VItemRef* NewItemRef();

  int16_t GetTag() const { return fTag; }

  // The child lists attached to this value's items, in the order attached;
  // null until the first attachment. The association list is owned by this
  // value and released with it; the child lists are not.
  VArrayListOf<VChildAssociation>* GetChildAssociations() const { return fChildren.get(); }
  // Records `child` as the child list of item `itemIndex`. Refused (false)
  // for a null child and for a child that is this value or has it below its
  // own items, which would make the outline a loop.
  bool AddChildAssociation(int32_t itemIndex, VValueMultiple* child);

 private:
  bool Reaches(const VValueMultiple* target) const;

  std::unique_ptr<VArrayListOf<VChildAssociation>> fChildren;
  int16_t fTag;
};
