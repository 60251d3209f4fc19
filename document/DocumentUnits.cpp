// Lengths in the document model: the screen resolution and the conversions
// between pixels and the stored units.
#include "document/DocumentUnits.h"

#include <cmath>
#include <limits>

#include "graphics/GraphicsGlobals.h"

namespace {
char16_t sDecimalSeparator = u'.';
}

int32_t GetScreenResolution() { return gScreenLogPixelsX >= 1 ? gScreenLogPixelsX : 96; }

char16_t GetDecimalSeparator() { return sDecimalSeparator; }

void SetDecimalSeparator(char16_t separator) { sDecimalSeparator = separator; }

int32_t TruncateToLong(double value) {
  if (std::isnan(value)) return 0;
  if (value >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (value <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);  // truncates toward zero
}

// Every conversion between the stored units and pixels rounds to the
// nearest (halves away from zero): a length converted there and back comes
// back as it was, and one read from a finer unit settles after its first
// round trip. Truncating both ways lost a pixel at each save and load.
int32_t RoundToLong(double value) {
  if (std::isnan(value)) return 0;
  return TruncateToLong(value < 0 ? value - 0.5 : value + 0.5);
}

int32_t PixelsToTwips(int32_t pixels) {
  return RoundToLong(double(pixels) * 1440.0 / double(GetScreenResolution()));
}

int32_t TwipsToPixels(int32_t twips) {
  return RoundToLong(double(twips) * double(GetScreenResolution()) / 1440.0);
}

int32_t PixelsToPoints(int32_t pixels) {
  return RoundToLong(double(pixels) * 72.0 / double(GetScreenResolution()));
}

int32_t PointsToPixels(int32_t points) {
  return RoundToLong(double(points) * double(GetScreenResolution()) / 72.0);
}

int32_t CentimetresToPixels(double centimetres) {
  return TruncateToLong(double(GetScreenResolution()) * centimetres / 2.54);
}
