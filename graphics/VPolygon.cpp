// VPolygon: points added one by one (absolute or relative), closing, moving,
// scaling and emptying, and the 'POLY' form, read whole before the polygon
// takes any of it.
#include "graphics/VPolygon.h"

#include <cstring>
#include <vector>

#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/streams/VStream.h"
#include "graphics/GraphicsMath_p.h"

namespace gm = graphics_math;

namespace {

constexpr uint32_t kTagPOLY = FourCC("POLY");
constexpr uint32_t kPointSize = 8;

}  // namespace

VPolygon::VPolygon() {
  if (gMemoryMgr != nullptr) fPoints = gMemoryMgr->NewHandle(0, 0);
}

VPolygon::~VPolygon() {
  if (fPoints != 0 && gMemoryMgr != nullptr) gMemoryMgr->DisposeHandle(fPoints);
}

void VPolygon::UpdateBox() {
  fLeft = fMinX;
  fTop = fMinY;
  fWidth = gm::Sub(fMaxX, fMinX);
  fHeight = gm::Sub(fMaxY, fMinY);
}

void VPolygon::Extend(int32_t x, int32_t y, bool first) {
  if (first) {
    fMinX = fMaxX = x;
    fMinY = fMaxY = y;
    return;
  }
  if (x < fMinX) fMinX = x;
  if (x > fMaxX) fMaxX = x;
  if (y < fMinY) fMinY = y;
  if (y > fMaxY) fMaxY = y;
}

void VPolygon::AddPoint(int32_t x, int32_t y) {
  if (fPoints == 0 || gMemoryMgr == nullptr) return;
  // The block's size is a 32-bit byte count.
  if (uint64_t(fCount) + 1 > UINT32_MAX / kPointSize) return;
  if (!gMemoryMgr->SetHandleSize(fPoints, (uint32_t(fCount) + 1) * kPointSize)) return;
  {
    const VHandleLocker lock(*gMemoryMgr, fPoints);
    auto* points = lock.As<int32_t>();
    if (points == nullptr) return;
    points[2 * fCount] = x;
    points[2 * fCount + 1] = y;
  }
  fLastX = x;
  fLastY = y;
  Extend(x, y, fCount == 0);
  UpdateBox();
  ++fCount;
}

void VPolygon::AddPointRelative(int32_t dx, int32_t dy) {
  if (fCount == 0) {
    AddPoint(dx, dy);
  } else {
    AddPoint(gm::Add(fLastX, dx), gm::Add(fLastY, dy));
  }
}

void VPolygon::Finish() {
  int32_t x;
  int32_t y;
  if (fCount > 2 && GetPoint(0, x, y)) AddPoint(x, y);
}

bool VPolygon::GetPoint(int32_t index, int32_t& x, int32_t& y) const {
  if (index < 0 || index >= fCount || fPoints == 0) return false;
  const VHandleLocker lock(*gMemoryMgr, fPoints);
  const auto* points = lock.As<const int32_t>();
  if (points == nullptr) return false;
  x = points[2 * index];
  y = points[2 * index + 1];
  return true;
}

void VPolygon::SetPosition(int32_t x, int32_t y) {
  if (fCount == 0 || (x == fLeft && y == fTop)) return;
  const int32_t dx = gm::Sub(x, fLeft);
  const int32_t dy = gm::Sub(y, fTop);
  {
    const VHandleLocker lock(*gMemoryMgr, fPoints);
    auto* points = lock.As<int32_t>();
    if (points == nullptr) return;
    for (int32_t i = 0; i < fCount; ++i) {
      points[2 * i] = gm::Add(points[2 * i], dx);
      points[2 * i + 1] = gm::Add(points[2 * i + 1], dy);
    }
  }
  fMinX = gm::Add(fMinX, dx);
  fMaxX = gm::Add(fMaxX, dx);
  fMinY = gm::Add(fMinY, dy);
  fMaxY = gm::Add(fMaxY, dy);
  fLeft = x;
  fTop = y;
}

void VPolygon::SetSize(int32_t w, int32_t h) {
  if (fWidth == 0 || fHeight == 0 || (w == fWidth && h == fHeight)) return;
  const double fx = double(w) / fWidth;
  const double fy = double(h) / fHeight;
  auto scaleX = [&](int32_t v) { return gm::Trunc(fMinX + (double(v) - fMinX) * fx); };
  auto scaleY = [&](int32_t v) { return gm::Trunc(fMinY + (double(v) - fMinY) * fy); };
  if (fCount > 0) {
    const VHandleLocker lock(*gMemoryMgr, fPoints);
    auto* points = lock.As<int32_t>();
    if (points == nullptr) return;
    for (int32_t i = 0; i < fCount; ++i) {
      points[2 * i] = scaleX(points[2 * i]);
      points[2 * i + 1] = scaleY(points[2 * i + 1]);
    }
  }
  fMaxX = scaleX(fMaxX);
  fMaxY = scaleY(fMaxY);
  fWidth = w;
  fHeight = h;
}

void VPolygon::SetEmpty() {
  fCount = 0;
  if (fPoints != 0) gMemoryMgr->SetHandleSize(fPoints, 0);
  fMinX = fMinY = fMaxX = fMaxY = 0;
  fLastX = fLastY = 0;
  VShape::SetEmpty();
}

int32_t VPolygon::WriteToStream(VStream& stream, uint32_t) {
  // The count is stored in 16 signed bits: a larger polygon would write a
  // count that disagrees with the points that follow it.
  if (fCount > kPolygonMaxStoredPoints) return kPolygonTooManyPoints;
  if (stream.GetStatus() != kStreamNoError) return stream.GetStatus();
  stream.PutLong(int32_t(kTagPOLY));
  stream.PutWord(int16_t(fCount));
  if (fCount > 0) {
    const VHandleLocker lock(*gMemoryMgr, fPoints);
    const auto* points = lock.As<const int32_t>();
    if (points == nullptr) return kStreamNoMemory;
    stream.PutLongArray(points, uint32_t(fCount) * 2);
  }
  return stream.GetStatus();
}

int32_t VPolygon::ReadFromStream(VStream& stream, uint32_t) {
  const uint32_t code = stream.GetULong();
  if (stream.GetStatus() > 0) return stream.GetStatus();
  if (code != kTagPOLY) return kPolygonBadForm;
  const int16_t count = stream.GetWord();
  if (stream.GetStatus() > 0) return stream.GetStatus();
  if (count < 0) return kPolygonBadForm;
  // Every point is read before the polygon gives up its own: a short stream
  // leaves it as it was.
  if (!stream.HasRemaining(uint64_t(count) * kPointSize)) return stream.GetStatus();
  std::vector<int32_t> read(size_t(count) * 2);
  uint32_t values = uint32_t(read.size());
  if (values > 0) stream.GetLongArray(read.data(), values);
  if (stream.GetStatus() > 0) return stream.GetStatus();
  if (values != read.size()) return kStreamEndOfData;
  if (fPoints == 0 || !gMemoryMgr->SetHandleSize(fPoints, uint32_t(count) * kPointSize))
    return kStreamNoMemory;
  fCount = 0;
  fMinX = fMinY = fMaxX = fMaxY = 0;
  fLastX = fLastY = 0;
  VShape::SetEmpty();
  if (count > 0) {
    {
      // Without a lock the polygon stays empty rather than writing nowhere.
      const VHandleLocker lock(*gMemoryMgr, fPoints);
      if (!lock) return kStreamNoMemory;
      std::memcpy(lock.Data(), read.data(), read.size() * sizeof(int32_t));
    }
    for (int32_t i = 0; i < count; ++i) Extend(read[2 * i], read[2 * i + 1], i == 0);
    fLastX = read[2 * (count - 1)];
    fLastY = read[2 * (count - 1) + 1];
    fCount = count;
    UpdateBox();
  }
  return stream.GetStatus();
}
