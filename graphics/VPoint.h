// VPoint: a point of two 32-bit signed port coordinates, the base of the
// framework's event object.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VPoint : public VObject {
 public:
  VPoint() = default;
  VPoint(int32_t x, int32_t y) : fX(x), fY(y) {}
  VPoint(const VPoint& other) : VObject(), fX(other.fX), fY(other.fY) {}
  VPoint& operator=(const VPoint& other) {
    fX = other.fX;
    fY = other.fY;
    return *this;
  }

  virtual void Get(int32_t& x, int32_t& y) const;
  virtual void Set(int32_t x, int32_t y);
  virtual void Offset(int32_t dx, int32_t dy);

  // Each keeps the other coordinate, through Set.
  void SetX(int32_t x) { Set(x, fY); }
  void SetY(int32_t y) { Set(fX, y); }

  int32_t GetX() const { return fX; }
  int32_t GetY() const { return fY; }

  bool operator==(const VPoint& other) const { return fX == other.fX && fY == other.fY; }
  bool operator!=(const VPoint& other) const { return !(*this == other); }

 protected:
  int32_t fX = 0;
  int32_t fY = 0;
};
