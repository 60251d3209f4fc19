// VPoint: storing, reading and moving a point.
#include "graphics/VPoint.h"

#include "graphics/GraphicsMath_p.h"

void VPoint::Get(int32_t& x, int32_t& y) const {
  x = fX;
  y = fY;
}

void VPoint::Set(int32_t x, int32_t y) {
  fX = x;
  fY = y;
}

void VPoint::Offset(int32_t dx, int32_t dy) {
  fX = graphics_math::Add(fX, dx);
  fY = graphics_math::Add(fY, dy);
}
