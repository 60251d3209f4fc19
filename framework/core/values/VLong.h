// VLongInMem and VLong: the 32-bit signed integer value (kind 3).
#pragma once

#include "framework/core/values/VScalarValue.h"

struct VLongTraits;
class VLongInMem;
extern template class VScalarInMem<int32_t, VLongTraits>;

// A long over storage that another structure owns; the null storage reads
// as 0, takes nothing and streams as zeros.
//
// GetWord keeps the low 16 bits (70000 reads 4464); GetLongLong is
// sign-extended. A 64-bit integer set keeps its low 32 bits; a real is
// truncated toward zero first (see RealToLong); a word is sign-extended and
// a boolean byte zero-extended. CopyTo and ConvertTo go through the
// destination's SetLong; FormatTo gives the destination's text of the
// number, then applies the number display format when one is given.
// CopyFrom, SetString and Assign read the source's GetLong; Compare sets the
// other value's GetLong against this number. Four bytes in memory order; in
// a stream a 32-bit integer.
class VLongInMem : public VScalarInMem<int32_t, VLongTraits> {
 public:
  VLongInMem(int32_t* data, bool clear) : VScalarInMem(data, clear) {}

  // A new VLong holding the same number, not null.
  VValue* Clone() const override;
};

// A long that holds its number itself.
class VLong : public VScalarOwned<VLongInMem> {
 public:
  explicit VLong(int32_t value = 0) : VScalarOwned(value) {}
};
