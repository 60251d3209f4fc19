// VLineShape, a line across a box in one of its two diagonal directions,
// and VArcShape, a box with a start angle and an arc angle.
#pragma once

#include <cstdint>

#include "graphics/VShape.h"

// The line runs across its box: descending from the top-left corner to the
// bottom-right corner, otherwise rising from the bottom-left corner to the
// top-right corner. The height is kept as its absolute value; its sign given
// to SetSize chooses the direction (a negative height rises).
class VLineShape : public VShape {
 public:
  VLineShape() = default;

  void SetSize(int32_t w, int32_t h) override;
  bool IsDescending() const { return fDescending; }
  // The two ends in port units, in drawing order.
  void GetEnds(int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2) const;

 private:
  bool fDescending = false;
};

// Angles are kept in a unit where a full turn is pi: the start brought into
// [0, pi), the arc keeping its sign. No drawing operation takes an arc.
class VArcShape : public VShape {
 public:
  // Angles in degrees.
  VArcShape(int32_t x, int32_t y, int32_t w, int32_t h, int16_t startDegrees, int16_t arcDegrees);
  // Angles already in the shape's unit.
  VArcShape(int32_t x, int32_t y, int32_t w, int32_t h, double start, double arc);

  double GetStartAngle() const { return fStartAngle; }
  double GetArcAngle() const { return fArcAngle; }

 private:
  double fStartAngle = 0.0;
  double fArcAngle = 0.0;
};
