// The plain look painter and the painter table.
#include "graphics/VLookPainter.h"

VLookPainter* gLookPainters[kLookPainterCount] = {};

namespace {

// The fixed colours every look shares, by index.
constexpr COLORREF kFixedColors[17] = {
    RGB(255, 255, 255), RGB(230, 230, 230), RGB(204, 204, 204), RGB(179, 179, 179),
    RGB(153, 153, 153), RGB(128, 128, 128), RGB(104, 104, 104), RGB(77, 77, 77),
    RGB(52, 52, 52),    RGB(26, 26, 26),    RGB(0, 0, 0),       RGB(255, 0, 0),
    RGB(0, 255, 0),     RGB(0, 0, 255),     RGB(255, 255, 0),   RGB(255, 15, 255),
    RGB(0, 255, 255),
};

}  // namespace

bool VPlainLookPainter::DrawElement(VPort&, int32_t, int32_t, int32_t, int32_t, int32_t,
                                    int32_t, const VString*, int32_t) {
  return false;
}

COLORREF VPlainLookPainter::GetColor(int32_t index) {
  if (index < 0 || index >= 17) return 0xFFFFFFFFu;
  return kFixedColors[index];
}

bool VPlainLookPainter::GetFont(HDC, int32_t, VString&, int16_t&, uint8_t&, uint8_t&) {
  return false;
}

int32_t VPlainLookPainter::GetMetric(int32_t) { return 0; }

VLookPainter* LookPainterForKind(int32_t kind) {
  static VPlainLookPainter plain;
  // Every kind outside the table, the default -1 among them, is the
  // Windows look of entry 2.
  constexpr int32_t kDefaultLookKind = 2;
  if (kind < 0 || kind >= kLookPainterCount) kind = kDefaultLookKind;
  return gLookPainters[kind] != nullptr ? gLookPainters[kind] : &plain;
}
