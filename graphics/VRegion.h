// VRegion: a region of port units on a Win32 region handle, with the set
// operations against regions, rectangles, boxes, ovals and round rectangles,
// handle transfer, and its stored handle form 'Wrgn'.
#pragma once

#include <cstdint>

#include "graphics/VShape.h"
#include "platform/gdi/WinGdiTypes.h"

// The box always holds the region's bounding box: every set operation and
// handle transfer ends with UpdateBounds. The region owns its handle unless
// it was made on a borrowed one; a borrowed handle stays borrowed through
// every set operation (they combine into it in place), and only
// DetachHandle(true) and ReplaceHandle(..., true) change the ownership.
// Chooses the oval constructor: VRegion(VOval{}, rect).
struct VOval {};
class VPolygon;

class VRegion : public VShape {
 public:
  VRegion();
  VRegion(HRGN handle, bool owned);
  VRegion(int32_t x, int32_t y, int32_t w, int32_t h);
  explicit VRegion(const VRect& r);
  explicit VRegion(const VRoundRectShape& r);
  // The oval inscribed in the rectangle's box.
  VRegion(VOval, const VRect& r);
  // The area of the polygon's outline by the winding rule, with the
  // polygon's box; empty for fewer than 3 points.
  explicit VRegion(const VPolygon& p);
  VRegion(const VRegion& other);
  VRegion& operator=(const VRegion&) = delete;
  ~VRegion() override;


  void SetPosition(int32_t x, int32_t y) override;
  void SetSize(int32_t w, int32_t h) override;  // a region cannot be resized
  bool Contains(const VPoint& p) const override;
  bool ContainsLocal(const VPoint& p) const override;
  void Inset(int32_t dx, int32_t dy) override;  // nothing
  bool Intersects(const VRect& r) const override;
  void SetEmpty() override;
  // Only when both sides of the box are 0.
  bool IsEmpty() const override;

  using VShape::Assign;

  // Union, intersection, difference, exclusive or and replacement.
  void Union(const VRegion& other);
  void Intersect(const VRegion& other);
  void Subtract(const VRegion& other);
  void Xor(const VRegion& other);
  void Assign(const VRegion& other);

  void UnionRect(const VRect& r);
  void IntersectRect(const VRect& r);
  void SubtractRect(const VRect& r);
  void XorRect(const VRect& r);
  void SetRect(const VRect& r);

  void UnionBox(int32_t x, int32_t y, int32_t w, int32_t h);
  void IntersectBox(int32_t x, int32_t y, int32_t w, int32_t h);
  void SubtractBox(int32_t x, int32_t y, int32_t w, int32_t h);
  void XorBox(int32_t x, int32_t y, int32_t w, int32_t h);
  void SetBox(int32_t x, int32_t y, int32_t w, int32_t h);

  void UnionOval(const VRect& r);
  void IntersectOval(const VRect& r);
  void SubtractOval(const VRect& r);
  void XorOval(const VRect& r);
  void SetOval(const VRect& r);

  void UnionPolygon(const VPolygon& p);
  void IntersectPolygon(const VPolygon& p);
  void SubtractPolygon(const VPolygon& p);
  void XorPolygon(const VPolygon& p);
  void SetPolygon(const VPolygon& p);

  void UnionRoundRect(const VRoundRectShape& r);
  void IntersectRoundRect(const VRoundRectShape& r);
  void SubtractRoundRect(const VRoundRectShape& r);
  void XorRoundRect(const VRoundRectShape& r);
  void SetRoundRect(const VRoundRectShape& r);

  // With replace the region takes a new empty handle of its own and the
  // caller owns the one returned; without, the caller only borrows it.
  HRGN DetachHandle(bool replace);
  // With adopt the given handle becomes the region's own (the old one is
  // deleted when owned); without, its shape is copied into the own handle
  // and it stays the caller's.
  void ReplaceHandle(HRGN handle, bool adopt);
  // The box from the handle's bounding box.
  void UpdateBounds();

  HRGN GetHandle() const { return fHandle; }
  bool IsOwned() const { return fOwned; }

  // The stored form: a new memory-manager handle of 4 + n bytes, the code
  // 'Wrgn' as a native 32-bit value and then the n bytes of the region's
  // RGNDATA (32-byte header, 16-byte rectangles). 0 for a region without a
  // handle or when memory runs out.
  VMemHandle ToHandle() const;
  // Adopts the region stored in such a handle. False, leaving the region as
  // it was, for a handle of another kind, or RGNDATA whose header is not 32
  // bytes of type 1 or whose rectangle count disagrees with its size.
  bool FromHandle(VMemHandle handle);

 private:
  void Combine(HRGN other, int mode);
  // Combines with a temporary region, which is then deleted.
  void CombineTemporary(HRGN temporary, int mode);

  HRGN fHandle = nullptr;
  bool fOwned = true;
};
