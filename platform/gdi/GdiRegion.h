// Regions as banded rectangle lists, the shape type behind HRGN, clipping and
// every fill of the rasteriser. Internal to the GDI stand-in and the font code.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/WinGdi.h"

// A set of pixels kept in its one canonical form: rectangles sorted by top
// then left; rectangles of a band share top and bottom and neither overlap nor
// touch; bands do not overlap, and two bands that touch vertically differ in
// their x spans (otherwise they are one band). So equal sets have equal lists,
// and the list is the RGNDATA rectangle order.
class GdiRegion {
 public:
  GdiRegion() = default;
  // The pixels of a rectangle; the edges are put in order first, and a
  // rectangle without area gives the empty region.
  explicit GdiRegion(const RECT& rect);

  const std::vector<RECT>& Rects() const { return rects_; }
  bool IsEmpty() const { return rects_.empty(); }
  // The bounding box; (0, 0, 0, 0) when empty.
  RECT Bounds() const;
  // NULLREGION, SIMPLEREGION (one rectangle) or COMPLEXREGION.
  int Complexity() const;

  bool Contains(int32_t x, int32_t y) const;
  bool Intersects(const RECT& rect) const;
  void Offset(int32_t dx, int32_t dy);

  // RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF; RGN_COPY gives a.
  static GdiRegion Combine(const GdiRegion& a, const GdiRegion& b, int mode);
  GdiRegion Intersected(const GdiRegion& other) const { return Combine(*this, other, RGN_AND); }

  // The pixels whose centres lie inside the ellipse inscribed in the box.
  // Drawing asks only for rows rowTop .. rowBottom - 1 (its surface).
  static GdiRegion Ellipse(const RECT& box, int32_t rowTop = INT32_MIN,
                           int32_t rowBottom = INT32_MAX);
  // The run of row y of that ellipse: false when the row has no pixel.
  static bool EllipseRow(const RECT& box, int32_t y, int32_t* x0, int32_t* x1);
  // A rectangle whose corners are quarters of an ellipse of the given size.
  static GdiRegion RoundRect(const RECT& box, int32_t ovalWidth, int32_t ovalHeight,
                             int32_t rowTop = INT32_MIN, int32_t rowBottom = INT32_MAX);

  // Adopts rectangles already in canonical order (a checked RGNDATA list is
  // rebuilt through FromRects instead).
  static GdiRegion FromRects(const RECT* rects, size_t count);

  bool operator==(const GdiRegion& other) const;

 private:
  friend class GdiSpanBuilder;
  std::vector<RECT> rects_;
};

// Collects horizontal runs of pixels (in any order, overlapping or not) and
// makes the region of their union.
class GdiSpanBuilder {
 public:
  void Add(int32_t y, int32_t x0, int32_t x1);  // pixels x0 .. x1 - 1 of row y
  void AddRect(const RECT& rect);
  GdiRegion Finish();

 private:
  struct Span {
    int32_t y, x0, x1;
  };
  std::vector<Span> spans_;
  std::vector<RECT> rects_;
};

// Scan conversion of polygons with vertices in fixed point (kGdiFixedOne units
// a pixel). A pixel (x, y) is inside when the point (x, y) is: the left and top
// edges of a shape belong to it, the right and bottom ones do not, so the
// polygon (0,0) (10,0) (10,10) (0,10) covers pixels 0 to 9 both ways.
constexpr int64_t kGdiFixedOne = 256;
struct GdiFixedPoint {
  int64_t x, y;
};
// Polygons given one after another (counts[i] points each), filled together
// with ALTERNATE or WINDING.
// Only rows rowTop .. rowBottom - 1 are scanned (drawing passes its clip).
// Rows where every edge is vertical are taken as one band; rows with slanted
// edges are scanned one by one, at most kGdiMaxScanRows of them: a polygon
// needing more sets *tooLarge and gives the empty region.
constexpr int64_t kGdiMaxScanRows = int64_t{1} << 22;
// The device space a polygon region is made within: 16-bit GDI's device
// coordinates, pixels -32768 .. 32767 both ways, which hold every device this
// system draws on. A polygon reaching beyond is cut to it before it is
// scanned, so coordinates from a file cannot ask for a region of millions of
// rows (each slanted row is a band of its own).
constexpr int32_t kGdiDeviceLimit = 32768;
GdiRegion GdiScanPolygons(const GdiFixedPoint* points, const int32_t* counts, int32_t polygons,
                          int fillMode, int32_t rowTop = INT32_MIN, int32_t rowBottom = INT32_MAX,
                          bool* tooLarge = nullptr);
