// Row sizes and rotation of pixel maps; the rotation reads every source
// pixel through a bounds-checked address.
#include "graphics/VPixelMap.h"

#include <cmath>
#include <cstring>

#include "framework/core/memory/VMemoryMgr.h"
#include "graphics/GraphicsMath_p.h"

namespace gm = graphics_math;

namespace {

constexpr double kPi = 3.14159265358979323846;
// No side of a turned map may pass this, so that row sizes and block sizes
// stay far inside 32 bits.
constexpr int32_t kMaxSide = 0x7FFF;

bool ValidDepth(int16_t depth) {
  return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16 || depth == 24 ||
         depth == 32;
}

// The pixel value at (x, y): up to 32 bits, in the map's own byte order.
uint32_t ReadPixel(const uint8_t* row, int32_t x, int16_t depth) {
  switch (depth) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 2: return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
    case 4: return (row[x >> 1] >> (4 - 4 * (x & 1))) & 15;
    case 8: return row[x];
    case 16: return uint32_t{row[2 * x]} | (uint32_t{row[2 * x + 1]} << 8);
    case 24:
      return uint32_t{row[3 * x]} | (uint32_t{row[3 * x + 1]} << 8) |
             (uint32_t{row[3 * x + 2]} << 16);
    default: {
      uint32_t v;
      std::memcpy(&v, row + 4 * x, 4);
      return v;
    }
  }
}

void WritePixel(uint8_t* row, int32_t x, int16_t depth, uint32_t value) {
  switch (depth) {
    case 1:
      // Only black (0) is carried over, onto the filled background.
      if (value == 0) row[x >> 3] = static_cast<uint8_t>(row[x >> 3] & ~(0x80 >> (x & 7)));
      break;
    case 2: {
      const int shift = 6 - 2 * (x & 3);
      row[x >> 2] = static_cast<uint8_t>((row[x >> 2] & ~(3 << shift)) | (value << shift));
      break;
    }
    case 4: {
      const int shift = 4 - 4 * (x & 1);
      row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(15 << shift)) | (value << shift));
      break;
    }
    case 8: row[x] = static_cast<uint8_t>(value); break;
    case 16:
      row[2 * x] = static_cast<uint8_t>(value);
      row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
      break;
    case 24:
      row[3 * x] = static_cast<uint8_t>(value);
      row[3 * x + 1] = static_cast<uint8_t>(value >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(value >> 16);
      break;
    default: std::memcpy(row + 4 * x, &value, 4); break;
  }
}

// Brings the angle into [0, 360).
double NormalizeAngle(double angle) {
  if (!std::isfinite(angle)) return 0.0;
  angle = std::fmod(angle, 360.0);
  if (angle < 0.0) angle += 360.0;
  if (angle >= 360.0) angle = 0.0;
  return angle;
}

// 1, 2 or 3 quarter turns for angles within 0.01 of one; 0 otherwise.
int QuarterTurns(double angle) {
  if (angle > 89.99 && angle < 90.01) return 1;
  if (angle > 179.99 && angle < 180.01) return 2;
  if (angle > 269.99 && angle < 270.01) return 3;
  return 0;
}

}  // namespace

void TurnFactors(double angle, double* cosine, double* sine) {
  angle = NormalizeAngle(angle);
  switch (QuarterTurns(angle)) {
    case 1: *cosine = 0.0; *sine = 1.0; return;
    case 2: *cosine = -1.0; *sine = 0.0; return;
    case 3: *cosine = 0.0; *sine = -1.0; return;
    default: break;
  }
  const double radians = angle * kPi / 180.0;
  *cosine = std::cos(radians);
  *sine = std::sin(radians);
}

int16_t PixelMapRowBytes(int32_t width, int16_t depth, int16_t alignment) {
  if (width < 0) return 0;
  int64_t bytes;
  switch (depth) {
    case 1: bytes = (int64_t{width} + 7) >> 3; break;
    case 2: bytes = (int64_t{width} + 3) >> 2; break;
    case 4: bytes = (int64_t{width} + 1) >> 1; break;
    case 8: bytes = width; break;
    case 16: bytes = int64_t{width} * 2; break;
    case 24: bytes = int64_t{width} * 3; break;
    case 32: bytes = int64_t{width} * 4; break;
    default: return 0;
  }
  if (alignment == 2 || alignment == 4 || alignment == 8 || alignment == 16) {
    bytes = (bytes + alignment - 1) / alignment * alignment;
  }
  return static_cast<int16_t>(bytes);
}

bool TransformPixelMap(double angle, const uint8_t* source, int32_t sourceRowBytes,
                       int32_t sourceWidth, int32_t sourceHeight, int16_t depth,
                       int16_t alignment, uint8_t fill, VTransformedPixelMap* result) {
  if (result == nullptr) return false;
  *result = VTransformedPixelMap{};
  if (source == nullptr || !ValidDepth(depth) || sourceWidth <= 0 || sourceHeight <= 0 ||
      sourceWidth > kMaxSide || sourceHeight > kMaxSide || gMemoryMgr == nullptr) {
    return false;
  }
  // Every source row must hold its pixels.
  if (int64_t{sourceRowBytes} * 8 < int64_t{sourceWidth} * depth) return false;

  angle = NormalizeAngle(angle);
  const int turns = QuarterTurns(angle);
  double c = 1.0;
  double s = 0.0;
  TurnFactors(angle, &c, &s);

  // The corners of (0, 0, width, height) turned: x' = x cos + y sin and, with
  // y' = x sin - y cos taken upward, the top is the negated largest y'.
  const double cornersX[4] = {0.0, static_cast<double>(sourceWidth), 0.0, static_cast<double>(sourceWidth)};
  const double cornersY[4] = {0.0, 0.0, static_cast<double>(sourceHeight), static_cast<double>(sourceHeight)};
  int32_t minX = INT32_MAX, maxX = INT32_MIN, minY = INT32_MAX, maxY = INT32_MIN;
  for (int i = 0; i < 4; ++i) {
    const int32_t x = gm::Trunc(cornersX[i] * c + cornersY[i] * s);
    const int32_t yUp = gm::Trunc(cornersX[i] * s - cornersY[i] * c);
    minX = x < minX ? x : minX;
    maxX = x > maxX ? x : maxX;
    minY = yUp < minY ? yUp : minY;
    maxY = yUp > maxY ? yUp : maxY;
  }
  const int32_t width = maxX - minX;
  const int32_t height = maxY - minY;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  const int32_t rowBytes = PixelMapRowBytes(width, depth, alignment);
  const uint32_t size = static_cast<uint32_t>(rowBytes) * static_cast<uint32_t>(height);
  auto* pixels = static_cast<uint8_t*>(gMemoryMgr->NewBlock(size));
  if (pixels == nullptr) return false;
  std::memset(pixels, fill, size);

  result->pixels = pixels;
  result->left = minX;
  result->top = -maxY;
  result->width = width;
  result->height = height;
  result->rowBytes = rowBytes;

  for (int32_t dy = 0; dy < height; ++dy) {
    uint8_t* row = pixels + size_t(dy) * rowBytes;
    for (int32_t dx = 0; dx < width; ++dx) {
      int32_t sx;
      int32_t sy;
      if (turns == 1) {
        sx = sourceWidth - 1 - dy;
        sy = dx;
      } else if (turns == 2) {
        sx = sourceWidth - 1 - dx;
        sy = sourceHeight - 1 - dy;
      } else if (turns == 3) {
        sx = dy;
        sy = sourceHeight - 1 - dx;
      } else {
        // Back from the device point by -angle, each coordinate rounded half
        // away from zero.
        const double px = static_cast<double>(result->left) + dx;
        const double py = static_cast<double>(result->top) + dy;
        sx = gm::Trunc(std::round(px * c - py * s));
        sy = gm::Trunc(std::round(px * s + py * c));
        if (sx < 0 || sy < 0 || sx >= sourceWidth || sy >= sourceHeight) continue;
      }
      const uint8_t* sourceRow = source + size_t(sy) * size_t(sourceRowBytes);
      WritePixel(row, dx, depth, ReadPixel(sourceRow, sx, depth));
    }
  }
  return true;
}
