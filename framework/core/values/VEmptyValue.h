// VEmptyValue: the value of kind 0, which holds nothing and is always null.
#pragma once

#include "framework/core/values/VValue.h"

class VEmptyValue : public VValueSingle {
 public:
  VEmptyValue();

  VValue* Clone() const override;
  bool IsSingle() const override;
  // The flag stays set: an empty value cannot be made not null.
  void SetNull(bool isNull, int32_t range) override;
  int32_t GetKind() const override;
  // -1000 whatever the other value: nothing orders against an empty value.
  int32_t Compare(const VValue& other, int32_t arg1, int32_t arg2) const override;

  // The value has no data: reading takes nothing, writing with the tag
  // 'VVAL' puts only the kind 0. Both answer the stream's status.
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override;
  int32_t WriteToStream(VStream& stream, uint32_t tag) override;
};
