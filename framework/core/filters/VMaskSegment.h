// VMaskSegment: a run of field positions of a mask entry filter, either
// literal text or input of a class of characters; and VCharRange, one range
// of such a class.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "framework/core/containers/VArrayListOf.h"

// Two UTF-16 units, both inclusive; a range whose low lies above its high
// holds nothing.
struct VCharRange {
  char16_t low;
  char16_t high;

  bool Holds(char16_t c) const { return low <= c && c <= high; }
};

// Positions count from 0; first and last are both inclusive.
class VMaskSegment : public VObject {
 public:
  VMaskSegment(int32_t first, int32_t last) : fFirst(first), fLast(last) {}

  virtual bool IsLiteral() const = 0;

  int32_t GetFirst() const { return fFirst; }
  int32_t GetLast() const { return fLast; }
  bool Contains(int32_t position) const { return fFirst <= position && position <= fLast; }

 private:
  int32_t fFirst;
  int32_t fLast;
};

// Positions that show the template's own characters and take no input.
class VMaskLiteralSegment : public VMaskSegment {
 public:
  using VMaskSegment::VMaskSegment;

  bool IsLiteral() const override { return true; }
};

// Positions that take input from a class of characters and show a
// placeholder while empty. The segment keeps its own copy of the ranges in
// force when the mask reader made it.
class VMaskInputSegment : public VMaskSegment {
 public:
  VMaskInputSegment(int32_t first, int32_t last, char16_t placeholder, const VCharRange* ranges,
                    int32_t rangeCount);

  bool IsLiteral() const override { return false; }
  char16_t GetPlaceholder() const { return fPlaceholder; }
  // False when the segment has no range at all.
  bool Accepts(char16_t c) const;
  const VArrayListOf<VCharRange>& GetRanges() const { return fRanges; }

 private:
  char16_t fPlaceholder;
  VArrayListOf<VCharRange> fRanges;
};
