// VShape and VRect: the box (left, top, width, height) of 32-bit signed port
// units that every drawing and layout call takes, with its edge rules, and
// VRoundRectShape, a rectangle with the size of its corner ovals.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VPoint;
class VRect;
struct RECT;

// A Macintosh Rect: four 16-bit edges in the order top, left, bottom, right.
struct VMacRect {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
};

// The box is stored as given: a width or height set to a negative value
// stays negative (only the (x, y, w, h) constructors take absolute values).
// Contains treats the right and bottom edges as outside; Intersects counts
// boxes that only touch as intersecting. Every comparison is signed.
class VShape : public VObject {
 public:
  VShape() = default;
  // A negative width or height is stored as its absolute value.
  VShape(int32_t x, int32_t y, int32_t w, int32_t h);
  VShape(const VShape& other) = default;
  VShape& operator=(const VShape& other) = default;

  virtual void SetPosition(int32_t x, int32_t y);
  virtual void SetSize(int32_t w, int32_t h);
  virtual bool Contains(const VPoint& p) const;
  // The point relative to the top-left corner.
  virtual bool ContainsLocal(const VPoint& p) const;
  // Moves each edge inward by dx, dy; nothing is clamped.
  virtual void Inset(int32_t dx, int32_t dy);
  virtual bool Intersects(const VRect& r) const;
  virtual void SetEmpty();
  virtual bool IsEmpty() const;

  // Copies position and size through the receiver's own SetPosition and
  // SetSize, so a shape with rules of its own keeps them.
  void Assign(const VRect& r);

  int32_t GetLeft() const { return fLeft; }
  int32_t GetTop() const { return fTop; }
  int32_t GetWidth() const { return fWidth; }
  int32_t GetHeight() const { return fHeight; }
  // Right and bottom edges; 64-bit so that no box overflows them.
  int64_t GetRight() const { return int64_t{fLeft} + fWidth; }
  int64_t GetBottom() const { return int64_t{fTop} + fHeight; }

 protected:
  int32_t fLeft = 0;
  int32_t fTop = 0;
  int32_t fWidth = 0;
  int32_t fHeight = 0;
};

// The plain rectangle: no virtual operations of its own and no heap data,
// so making one on the stack is a store of the box.
class VRect : public VShape {
 public:
  VRect() = default;
  VRect(int32_t x, int32_t y, int32_t w, int32_t h) : VShape(x, y, w, h) {}
  VRect(const VRect& other) = default;
  VRect& operator=(const VRect& other) = default;

  // From four edges: width = right - left, height = bottom - top, as given.
  static VRect FromEdges(int32_t left, int32_t top, int32_t right, int32_t bottom);
  // From two Macintosh points packed in 32-bit words (vertical coordinate in
  // the low 16 bits, horizontal in the high 16 bits, both signed): the
  // top-left corner and the bottom-right corner.
  static VRect FromMacPoints(uint32_t topLeft, uint32_t bottomRight);

  bool operator==(const VRect& other) const {
    return fLeft == other.fLeft && fTop == other.fTop && fWidth == other.fWidth &&
           fHeight == other.fHeight;
  }
  bool operator!=(const VRect& other) const { return !(*this == other); }

  // The overlap of the two boxes, or (0, 0, 0, 0) when they do not overlap.
  void Intersect(const VRect& other);

  // Each edge truncated to 16 bits.
  void ToMacRect(VMacRect& out) const;
  void ToWinRect(RECT& out) const;
};

// A rectangle and the width and height of its corner ovals.
class VRoundRectShape : public VRect {
 public:
  VRoundRectShape() = default;
  VRoundRectShape(int32_t x, int32_t y, int32_t w, int32_t h, int32_t ovalWidth,
                  int32_t ovalHeight)
      : VRect(x, y, w, h), fOvalWidth(ovalWidth), fOvalHeight(ovalHeight) {}

  int32_t GetOvalWidth() const { return fOvalWidth; }
  int32_t GetOvalHeight() const { return fOvalHeight; }
  void SetOvalSize(int32_t w, int32_t h) {
    fOvalWidth = w;
    fOvalHeight = h;
  }

 private:
  int32_t fOvalWidth = 0;
  int32_t fOvalHeight = 0;
};
