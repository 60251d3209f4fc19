// VItemRefOf: the item reference that stands on a list of one element type.
#pragma once

#include "framework/core/containers/VItemRef.h"
#include "framework/core/containers/VListOf.h"

template <typename T>
class VItemRefOf : public VItemRef {
 public:
  // Made by the list itself (NewItemRef); the list is not owned.
  explicit VItemRefOf(VListOf<T>* list) : fList(list) {}

  VListOf<T>* GetList() const override { return fList; }
  int16_t GetListTag() const override { return DeepestListTag(); }
  VItemRef* Clone() const override { return CloneOn(fList); }
  bool IsLast() const override { return GetIndex() == fList->Count(); }
  bool IsFirst() const override { return GetIndex() == 1; }

 private:
  VListOf<T>* fList;  // this level's list; not owned
};
