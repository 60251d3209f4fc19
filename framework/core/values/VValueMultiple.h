// VValueMultiple: the abstract base of the values that hold several
// elements, the lists and the typed arrays.
#pragma once

#include "framework/core/values/VValue.h"

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

  // All the elements of this value and of the values below its items; with
  // no children this is Count.
  virtual int32_t CountAll() const;
  // The number of elements; never negative.
  virtual int32_t Count() const = 0;

  int16_t GetTag() const { return fTag; }

 private:
  int16_t fTag;
};
