// xMorvaLineMeasure: the font context of the text engine as the document
// uses it to lay out the page numbers of a header or footer line: property
// records applied as the line is walked, and units measured. The engine
// hands one over with each line it draws, measures or hit-tests.
#pragma once

#include <cstdint>

class xMorvaLineMeasure {
 public:
  virtual ~xMorvaLineMeasure() = default;

  // Forgets the run being measured before a line is walked again.
  virtual void ResetRunState() = 0;
  // One property record of the line, applied at once.
  virtual void ApplyProperty(uint16_t id, int32_t value) = 0;
  // The width of one unit as the line lays it out.
  virtual double MeasureCharWidth(char16_t unit) = 0;
};
