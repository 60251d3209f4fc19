// The caret: its place, its blinking and its drawing.
#include "document/xMorvaCaret.h"

#include "framework/system/environment/VSystemServices.h"
#include "graphics/VPort.h"

namespace {

// The caret's look: colour index 10 of the look painter, pen pattern 6,
// two pixels wide, not-xor.
constexpr int32_t kCaretColourIndex = 10;
constexpr int32_t kCaretPatternIndex = 6;
constexpr int16_t kCaretPenWidth = 2;
constexpr int16_t kPenModeNotXor = 2;

}  // namespace

xMorvaCaret::~xMorvaCaret() = default;

void xMorvaCaret::Set(int32_t x, int32_t top, int32_t height, bool slant) {
  fX = x;
  fTop = top;
  fHeight = height;
  fSlant = slant ? 1 : 0;
}

void xMorvaCaret::Get(int32_t& x, int32_t& top, int32_t& height, bool& slant) const {
  x = fX;
  top = fTop;
  height = fHeight;
  slant = fSlant != 0;
}

void xMorvaCaret::Show() {
  fVisible = 1;
  fOn = 0;
  fNextToggle = 0;
}

void xMorvaCaret::Hide() { fVisible = 0; }

bool xMorvaCaret::Blink(bool force) {
  return Blink(force, VSystemServices::TickCount60(), VSystemServices::GetCaretBlinkTime());
}

bool xMorvaCaret::Blink(bool force, uint32_t now, uint32_t interval) {
  if (!fVisible) return false;
  if (force) {
    fNextToggle = 0;
    if (!fOn) return false;
    fOn = 0;
    return true;
  }
  // A due time of 0 (just shown or forced) is always due. Otherwise the
  // signed difference: a plain comparison would freeze the caret for a
  // whole wrap of the tick count once the due time wraps past zero.
  if (fNextToggle != 0 && int32_t(now - fNextToggle) < 0) return false;
  fNextToggle = now + interval;
  if (fNextToggle == 0) fNextToggle = 1;
  fOn = fOn ? 0 : 1;
  return true;
}

void xMorvaCaret::Draw(VPort& port, int32_t dx) const {
  if (fHeight <= 0) return;
  port.SetPenColorIndex(kCaretColourIndex);
  port.SetPenPatternIndex(kCaretPatternIndex);
  port.SetPenWidth(kCaretPenWidth);
  const int16_t mode = port.SetPenMode(kPenModeNotXor);
  const int32_t bottom = fTop + fHeight - 1;
  if (fSlant) {
    const int32_t d = fHeight / 8;
    port.DrawLine(fX + dx + d, fTop, fX + dx - d, bottom);
  } else {
    port.DrawLine(fX + dx, fTop, fX + dx, bottom);
  }
  port.SetPenMode(mode);
}

void xMorvaCaret::DrawIfOn(VPort& port, int32_t dx) const {
  if (fVisible && fOn) Draw(port, dx);
}
