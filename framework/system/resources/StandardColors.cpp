// The standard colours and fonts of the current look.
#include "framework/system/resources/StandardColors.h"

#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"

namespace {

const VLookQueries* Queries() { return VLookQueryService::Get(); }

constexpr uint32_t Rgb(uint32_t red, uint32_t green, uint32_t blue) {
  return red | (green << 8) | (blue << 16);
}

// The colours every look shares, by index.
constexpr uint32_t kFixedColors[] = {
    Rgb(255, 255, 255), Rgb(230, 230, 230), Rgb(204, 204, 204), Rgb(179, 179, 179),
    Rgb(153, 153, 153), Rgb(128, 128, 128), Rgb(104, 104, 104), Rgb(77, 77, 77),
    Rgb(52, 52, 52),    Rgb(26, 26, 26),    Rgb(0, 0, 0),       Rgb(255, 0, 0),
    Rgb(0, 255, 0),     Rgb(0, 0, 255),     Rgb(255, 255, 0),   Rgb(255, 15, 255),
    Rgb(0, 255, 255),
};
constexpr int32_t kFixedColorCount = sizeof kFixedColors / sizeof kFixedColors[0];

}  // namespace

void SplitColor(uint32_t colour, uint8_t* red, uint8_t* green, uint8_t* blue) {
  if (red != nullptr) *red = static_cast<uint8_t>(colour & 0xFF);
  if (green != nullptr) *green = static_cast<uint8_t>((colour >> 8) & 0xFF);
  if (blue != nullptr) *blue = static_cast<uint8_t>((colour >> 16) & 0xFF);
}

uint32_t StandardColor(int32_t index) {
  if (Queries() != nullptr) {
    if (VLookPainter* painter = VSystemServices::GetCurrentLookPainter(); painter != nullptr)
      return Queries()->color(*painter, index);
  }
  if (index < 0 || index >= kFixedColorCount) return kNoStandardColor;
  return kFixedColors[index];
}

bool StandardFont(HDC dc, int32_t kind, VString* name, int16_t& size, uint8_t& bold,
                  uint8_t& italic) {
  if (Queries() == nullptr) return false;
  VLookPainter* painter = VSystemServices::GetCurrentLookPainter();
  if (painter == nullptr) return false;
  if (name != nullptr) return Queries()->font(*painter, dc, kind, *name, size, bold, italic);
  VStr<63> scratch;
  return Queries()->font(*painter, dc, kind, scratch, size, bold, italic);
}
