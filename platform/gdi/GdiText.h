// The text layer of the GDI stand-in as its own calls share it: a measured run
// in the DC's font, and the drawing of a run at a reference point. Internal to
// platform/gdi.
//
// A recording DC draws nothing; a text call on it reaches its recorder as
// GdiOp::TextOut with args[0], args[1] the call's x and y, args[2] the options,
// args[3..6] the rectangle (left, top, right, bottom) and args[7] 1 when one
// was given, args[8] 1 for UTF-16 text and 0 for ANSI bytes; data and size the
// characters as given, count their number, and points one step per character,
// (advance, 0), the advance array of the call or the font's widths.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/WinGdi.h"

namespace GdiFonts {
class FontInstance;
}

struct GdiTextRun {
  std::shared_ptr<GdiFonts::FontInstance> font;
  std::u16string units;       // the characters as UTF-16 in the font's terms
  std::vector<int32_t> advances;  // whole pixels, one per unit
  int32_t width = 0;          // the sum of the advances

  // The run of `count` characters (ANSI bytes, or UTF-16 units when wide) in
  // the DC's font. `ok` is false (and the last error set) for a bad DC, a
  // negative or oversized count, or characters missing.
  static GdiTextRun Measure(HDC dc, const void* text, bool wide, int64_t count, bool* ok);
};

// Draws a run with the alignment `align` (TA_ flags) at the logical reference
// point (x, y), or at the current position with TA_UPDATECP, which it then
// moves; ETO_OPAQUE and ETO_CLIPPED with `rect` as ExtTextOut takes them;
// `advances`, when given, replaces the font's widths.
bool GdiDrawTextRun(HDC dc, int32_t x, int32_t y, UINT align, UINT options, const RECT* rect,
                    const void* text, bool wide, int64_t count, const INT* advances);
