// VLongLongInMem and VLongLong: the 64-bit signed integer value (kind 12).
#pragma once

#include "framework/core/values/VScalarValue.h"

struct VLongLongTraits;
class VLongLongInMem;
extern template class VScalarInMem<int64_t, VLongLongTraits>;

// A 64-bit integer over storage that another structure owns; the null
// storage reads as 0, takes nothing and streams as zeros.
//
// GetWord and GetLong keep the low 16 and 32 bits (2 to the 32nd reads 0
// through GetLong but true through GetBoolean); GetReal is the nearest real.
// Narrower integers set are sign-extended, a boolean byte zero-extended; a
// real is truncated toward zero (see RealToLongLong). CopyTo and ConvertTo
// go through the destination's SetLongLong; FormatTo gives the
// destination's text of the number, then applies the number display format
// when one is given. CopyFrom, SetString and Assign read the source's
// GetLongLong; Compare sets the other value's GetLongLong against this
// number, signed. Eight bytes in memory order; in a stream one 8-byte unit
// in the stream's order.
class VLongLongInMem : public VScalarInMem<int64_t, VLongLongTraits> {
 public:
  VLongLongInMem(int64_t* data, bool clear) : VScalarInMem(data, clear) {}

  // A new VLongLong holding the same number, not null.
  VValue* Clone() const override;
};

// A 64-bit integer that holds its number itself.
class VLongLong : public VScalarOwned<VLongLongInMem> {
 public:
  explicit VLongLong(int64_t value = 0) : VScalarOwned(value) {}
};
