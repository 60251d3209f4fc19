// xMorvaCaret: the text caret of a document: where it stands (frame
// coordinates before the frame's horizontal inset), whether it is slanted
// for italic text, and its blinking by tick counts at idle time. It is drawn
// in not-xor mode, so drawing it twice gives back every pixel.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VPort;

class xMorvaCaret : public VObject {
 public:
  xMorvaCaret() = default;
  ~xMorvaCaret() override;

  void Set(int32_t x, int32_t top, int32_t height, bool slant);
  void Get(int32_t& x, int32_t& top, int32_t& height, bool& slant) const;
  // Shown, in its dark phase: the next blink turns it on at once.
  void Show();
  void Hide();
  bool IsVisible() const { return fVisible != 0; }
  bool IsOn() const { return fOn != 0; }

  // True when the caller must draw the caret once (drawing toggles it).
  // `force` takes it off when it is on. Ticks are 1/60 s; the count wraps
  // after 2^32 ticks, so its due time is compared by signed difference.
  bool Blink(bool force);
  bool Blink(bool force, uint32_t now, uint32_t interval);

  // dx: the frame's horizontal inset.
  void Draw(VPort& port, int32_t dx) const;
  void DrawIfOn(VPort& port, int32_t dx) const;

 private:
  int32_t fX = 0;
  int32_t fTop = 0;
  int32_t fHeight = 0;
  uint8_t fSlant = 0;
  uint8_t fVisible = 0;
  uint8_t fOn = 0;
  uint32_t fNextToggle = 0;
};
