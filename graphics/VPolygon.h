// VPolygon: a list of points of 32-bit port units in a memory-manager block,
// with the bounds of every point added, and its stored form 'POLY'.
#pragma once

#include <cstdint>

#include "framework/core/memory/VMemoryMgr.h"
#include "graphics/VShape.h"

class VStream;

// Answers of the 'POLY' reader and writer besides the stream's status.
// Another first code, or a negative count: the polygon is left as it was.
constexpr int32_t kPolygonBadForm = -1;
// A polygon of more points than the form's signed 16-bit count holds is not
// written: the stream is left as it was.
constexpr int32_t kPolygonTooManyPoints = -3;
constexpr int32_t kPolygonMaxStoredPoints = 32767;

// The point block holds count pairs of native 32-bit (x, y), 8 bytes a
// point. The box is (min x, min y, max x - min x, max y - min y) after every
// addition; moving and scaling keep the points, the bounds and the box
// together. The last point (the base of relative adding) is neither moved
// nor scaled.
//
// Stored form, in the stream's byte order: the code 'POLY' (32 bits), the
// count (16 bits signed), then x and y (32 bits signed each) of every point
// in block order.
class VPolygon : public VShape {
 public:
  VPolygon();
  ~VPolygon() override;
  VPolygon(const VPolygon&) = delete;
  VPolygon& operator=(const VPolygon&) = delete;

  // Nothing changes when the block cannot grow.
  void AddPoint(int32_t x, int32_t y);
  // From the last point; the first point is taken as given.
  void AddPointRelative(int32_t dx, int32_t dy);
  // With 3 points or more, adds the first point again to close the outline.
  void Finish();

  void SetPosition(int32_t x, int32_t y) override;
  // Scales every point's distance from (min x, min y); nothing when the
  // width or height is 0 or the size is already (w, h).
  void SetSize(int32_t w, int32_t h) override;
  void SetEmpty() override;

  int32_t ReadFromStream(VStream& stream, uint32_t tag) override;
  int32_t WriteToStream(VStream& stream, uint32_t tag) override;

  int32_t GetCount() const { return fCount; }
  // False for an index outside 0 .. count - 1.
  bool GetPoint(int32_t index, int32_t& x, int32_t& y) const;
  int32_t GetMinX() const { return fMinX; }
  int32_t GetMinY() const { return fMinY; }
  int32_t GetMaxX() const { return fMaxX; }
  int32_t GetMaxY() const { return fMaxY; }
  int32_t GetLastX() const { return fLastX; }
  int32_t GetLastY() const { return fLastY; }
  VMemHandle GetPointBlock() const { return fPoints; }

 private:
  void UpdateBox();
  void Extend(int32_t x, int32_t y, bool first);

  VMemHandle fPoints = 0;
  int32_t fMinX = 0;
  int32_t fMinY = 0;
  int32_t fMaxX = 0;
  int32_t fMaxY = 0;
  int32_t fCount = 0;
  int32_t fLastX = 0;
  int32_t fLastY = 0;
};
