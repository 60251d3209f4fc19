// VBoolInMem and VBoolean: the boolean value (kind 1), one byte where 0 is
// false and any other byte true.
#pragma once

#include "framework/core/values/VScalarValue.h"

struct VBooleanTraits;
class VBoolInMem;
extern template class VScalarInMem<uint8_t, VBooleanTraits>;

// A boolean over a byte that another structure owns; the null storage (no
// byte) reads as false, takes nothing and streams as zeros.
//
// The byte is kept as it was set: SetBoolean(2) reads back 2 through the
// integer getters and true through GetBoolean. The integer and real setters
// store 1 for anything not zero; a NaN is false. CopyTo goes through the
// destination's SetBoolean, ConvertTo through its SetLong; FormatTo gives
// the destination's text for the byte, then applies the text display format
// when one is given. CopyFrom stores whether the source's GetLong is not 0;
// Assign stores the source's GetBoolean. Compare answers 0 when the other
// value's GetBoolean equals the byte; otherwise 1 when the byte is not 0 and
// -1 when it is. One byte in memory order; in a stream a 16-bit word holding
// the byte, and read back, any word not 0 is true.
class VBoolInMem : public VScalarInMem<uint8_t, VBooleanTraits> {
 public:
  // With `clear` the byte is set to false and the value made not null.
  VBoolInMem(uint8_t* data, bool clear) : VScalarInMem(data, clear) {}

  // A new VBoolean holding the same byte, not null.
  VValue* Clone() const override;
  // The string's null flag, then its GetBoolean even when it is null.
  void SetString(const VString& source, int32_t range) override;
};

// A boolean that holds its byte itself.
class VBoolean : public VScalarOwned<VBoolInMem> {
 public:
  explicit VBoolean(uint8_t value = 0) : VScalarOwned(value) {}
};
