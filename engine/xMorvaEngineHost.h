// xMorvaEngineHost: what the text engine asks of the host bridge, which
// sits above it: the package's string lists, its memory alert and the
// evaluation of host references. The host bridge installs its
// implementation at start; with none installed the lists are empty, no
// alert is shown and a host reference has no value and no names.
#pragma once

#include <cstdint>

#include "framework/core/VService.h"

class VString;
class VValue;

// The offsets from the package's resource base of the string lists the
// engine reads: the computed elements' marks and labels, and the names of
// list-number styles 5 and 6, and the labels of page and column breaks.
constexpr int16_t kBreakLabels = 10;
constexpr int16_t kPageBreakLabel = 13;
constexpr int16_t kColumnBreakLabel = 14;
constexpr int16_t kListFieldLabels = 16;
constexpr int16_t kListNumberStyle5 = 118;
constexpr int16_t kListNumberStyle6 = 119;

class xMorvaEngineHost {
 public:
  virtual ~xMorvaEngineHost() = default;

  // Item `item` (1-based) of the 'STR#' list at the package's resource base
  // + `offset` into `out`; empty when the list or the item is missing.
  virtual void GetPackageString(int16_t offset, int16_t item, VString& out) = 0;
  // The package's out-of-memory alert.
  virtual void ShowMemoryAlert() = 0;
  // A new value of the host reference whose stored form is `size` bytes at
  // `reference`; null when the host gives none. The caller deletes it.
  virtual VValue* EvaluateReference(const uint8_t* reference, uint32_t size) = 0;
  // The reference's table, field, option-code and format-code names; each
  // empty when that part is absent. False for bytes that are no reference.
  virtual bool GetReferenceNames(const uint8_t* reference, uint32_t size, VString& table, VString& field,
                                 VString& option, VString& format) = 0;
};

using xMorvaEngineHostService = VService<xMorvaEngineHost>;
