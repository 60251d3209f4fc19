// VLineShape's direction and ends, and VArcShape's angles brought into the
// shape's unit.
#include "graphics/VLineShape.h"

#include <cmath>
#include <numbers>

#include "graphics/GraphicsMath_p.h"

namespace gm = graphics_math;

void VLineShape::SetSize(int32_t w, int32_t h) {
  fDescending = h >= 0;
  fWidth = w;
  // The absolute value of the most negative height does not fit: it stays
  // the largest height there is.
  fHeight = h >= 0 ? h : (h == INT32_MIN ? INT32_MAX : -h);
}

void VLineShape::GetEnds(int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2) const {
  x1 = fLeft;
  x2 = gm::Add(fLeft, fWidth);
  const int32_t bottom = gm::Add(fTop, fHeight);
  y1 = fDescending ? fTop : bottom;
  y2 = fDescending ? bottom : fTop;
}

VArcShape::VArcShape(int32_t x, int32_t y, int32_t w, int32_t h, int16_t startDegrees,
                     int16_t arcDegrees)
    : VShape(x, y, w, h) {
  int32_t start = startDegrees % 360;
  if (start < 0) start += 360;
  fStartAngle = start * std::numbers::pi / 360.0;
  fArcAngle = (arcDegrees % 360) * std::numbers::pi / 360.0;
}

VArcShape::VArcShape(int32_t x, int32_t y, int32_t w, int32_t h, double start, double arc)
    : VShape(x, y, w, h) {
  fStartAngle = std::fmod(start, std::numbers::pi);
  if (fStartAngle < 0.0) fStartAngle += std::numbers::pi;
  fArcAngle = std::fmod(arc, std::numbers::pi);
}
