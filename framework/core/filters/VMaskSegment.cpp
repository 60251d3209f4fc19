// VMaskSegment: the character test of an input segment.
#include "framework/core/filters/VMaskSegment.h"

VMaskInputSegment::VMaskInputSegment(int32_t first, int32_t last, char16_t placeholder,
                                     const VCharRange* ranges, int32_t rangeCount)
    : VMaskSegment(first, last), fPlaceholder(placeholder), fRanges(-1) {
  for (int32_t i = 0; i < rangeCount; ++i) fRanges.Add(&ranges[i]);
}

bool VMaskInputSegment::Accepts(char16_t c) const {
  for (int32_t i = 1, n = fRanges.Count(); i <= n; ++i) {
    if (fRanges.GetAt(i).Holds(c)) return true;
  }
  return false;
}
