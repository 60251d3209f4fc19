// VRealInMem and VReal: the real value (kind 5), an IEEE 754 double.
#pragma once

#include "framework/core/values/VScalarValue.h"

struct VRealTraits;
class VRealInMem;
extern template class VScalarInMem<double, VRealTraits>;

// A real over storage that another structure owns; the null storage reads
// as 0.0, takes nothing and streams as zeros.
//
// GetBoolean is true for anything but 0.0 and NaN. The integer getters
// truncate toward zero and keep the low bits of the 64-bit integer part;
// NaN reads 0 and reals beyond the 64-bit range saturate (RealToLong). A
// 64-bit integer set becomes the nearest real. CopyTo and ConvertTo go
// through the destination's SetReal; FormatTo gives the destination's text
// of the real, then applies the number display format when one is given.
// CopyFrom, SetString and Assign read the source's GetReal; Compare sets the
// other value's GetReal against this real, 0 also when either is NaN. Eight
// bytes in memory order; in a stream the stream's real (8 bytes, or 10 in
// the extended order).
class VRealInMem : public VScalarInMem<double, VRealTraits> {
 public:
  // With `clear` the real is set to 0.0 and the value made not null.
  VRealInMem(double* data, bool clear) : VScalarInMem(data, clear) {}

  // A new VReal holding the same real, not null.
  VValue* Clone() const override;
};

// A real that holds its number itself.
class VReal : public VScalarOwned<VRealInMem> {
 public:
  explicit VReal(double value = 0.0) : VScalarOwned(value) {}
};
