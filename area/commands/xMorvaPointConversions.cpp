// The conversions of the point-based commands' values.
#include "area/commands/xMorvaPointConversions.h"

#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"

namespace xMorvaPointConversions {

// The commands' values round to the nearest whole unit both ways, as the
// stored lengths do (DocumentUnits): cutting toward zero would hand a host
// 9 points for the 10 it set (13 pixels at 96 dots per inch).
int32_t PixelsToPoints(int32_t pixels) {
  return RoundToLong(double(pixels) * 72.0 / double(GetScreenResolution()));
}

int32_t PointsToPixels(int32_t points) {
  return RoundToLong(double(points) * double(GetScreenResolution()) / 72.0);
}

namespace {
int32_t SwapRedAndBlue(int32_t colour) {
  const auto c = uint32_t(colour);
  return int32_t((c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF));
}
}  // namespace

int32_t StoredToHostColour(int32_t stored) { return stored < 0 ? stored : SwapRedAndBlue(stored); }

int32_t HostToStoredColour(int32_t host) { return host < 0 ? host : SwapRedAndBlue(host); }

int16_t StyleBitsOf(const xMorvaProperties& properties) {
  int16_t bits = 0;
  if (properties.GetProperty(kPropBold) != 0) bits |= kStyleBold;
  if (properties.GetProperty(kPropItalic) != 0) bits |= kStyleItalic;
  // Every underline kind reads as the one bit.
  if (properties.GetProperty(kPropUnderline) != 0) bits |= kStyleUnderline;
  if (properties.GetProperty(kPropShadow) != 0) bits |= kStyleShadow;
  const int32_t vertical = properties.GetProperty(kPropVerticalPosition);
  if (vertical == 1) bits |= kStyleSuperscript;
  if (vertical == 2) bits |= kStyleSubscript;
  return bits;
}

int32_t VerticalPositionOfBits(int16_t bits, bool reversed) {
  const int16_t super = reversed ? kStyleSubscript : kStyleSuperscript;
  const int16_t sub = reversed ? kStyleSuperscript : kStyleSubscript;
  if ((bits & super) != 0) return 1;
  if ((bits & sub) != 0) return 2;
  return 0;
}

int32_t InterlineOfCode(int16_t code) { return 10 + 5 * int32_t(code); }

int16_t CodeOfInterline(int32_t interline) { return int16_t(uint32_t(interline - 10) / 5u); }

uint8_t StoredTabKind(int16_t hostKind) {
  static constexpr uint8_t kStored[4] = {1, 3, 4, 2};
  return hostKind >= 0 && hostKind < 4 ? kStored[hostKind] : 0;
}

int16_t HostTabKind(uint8_t storedKind) {
  switch (storedKind) {
    case 1: return 0;
    case 3: return 1;
    case 4: return 2;
    case 2: return 3;
    default: return -1;
  }
}

uint8_t StoredTabLeader(int16_t hostLeader) {
  switch (hostLeader) {
    case 0: return 0;
    case 1: return '.';
    case 2: return '-';
    case 3: return '_';
    default: return uint8_t(hostLeader & 0xFF);
  }
}

int16_t HostTabLeader(uint8_t storedLeader) {
  switch (storedLeader) {
    case 0: return 0;
    case '.': return 1;
    case '-': return 2;
    case '_': return 3;
    default: return storedLeader;
  }
}

int32_t RightEdgeOf(xMorvaDocument& document) {
  // The option answers in the display unit, which rounds; read in the
  // unit of plain pixels, the display unit put back at once.
  xMorvaDocParams& params = document.Params();
  const int32_t unit = params.GetDisplayUnit();
  params.SetDisplayUnit(kUnitPoints);
  double edge = 0;
  document.GetAreaOption(41, edge);
  params.SetDisplayUnit(unit);
  return TruncateToLong(edge);
}

}  // namespace xMorvaPointConversions
