// VWordInMem and VWord: the 16-bit signed integer value (kind 2).
#pragma once

#include "framework/core/values/VScalarValue.h"

struct VWordTraits;
class VWordInMem;
extern template class VScalarInMem<int16_t, VWordTraits>;

// A word over storage that another structure owns; the null storage reads
// as 0, takes nothing and streams as zeros.
//
// Wider results are sign-extended. Wider integers set keep their low 16 bits
// (SetLong(65535) reads -1); a real is truncated toward zero first (see
// RealToWord); a boolean byte is zero-extended. CopyTo and ConvertTo go
// through the destination's SetWord; FormatTo gives the destination's text
// of the number, then applies the number display format when one is given.
// CopyFrom stores the low 16 bits of the source's GetLong; SetString and
// Assign its GetWord. Compare sets the other value's GetLong against this
// number sign-extended. Two bytes in memory order; in a stream a 16-bit word.
class VWordInMem : public VScalarInMem<int16_t, VWordTraits> {
 public:
  VWordInMem(int16_t* data, bool clear) : VScalarInMem(data, clear) {}

  // A new VWord holding the same number, not null.
  VValue* Clone() const override;
};

// A word that holds its number itself.
class VWord : public VScalarOwned<VWordInMem> {
 public:
  explicit VWord(int16_t value = 0) : VScalarOwned(value) {}
};
