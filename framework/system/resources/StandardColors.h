// The colours and fonts of the current look for the controls, the scrolled
// views, the drawing code and the text-edit frame: the look painter of the
// current look decides when there is one, else a fixed table of colours.
#pragma once

#include <cstdint>

#include "framework/core/VService.h"
#include "platform/gdi/WinGdiTypes.h"

class VLookPainter;
class VString;

// What the routines ask of a look painter. Painters belong to the graphics
// layer and their looks to the interface controls, which install these
// queries at start; without them no painter is asked.
struct VLookQueries {
  // The painter's colour of a standard colour index (0xFFFFFFFF when it
  // lists none).
  uint32_t (*color)(VLookPainter& painter, int32_t index);
  // The painter's standard font of a kind; false when it has none.
  bool (*font)(VLookPainter& painter, HDC dc, int32_t kind, VString& name, int16_t& size,
               uint8_t& bold, uint8_t& italic);
};

using VLookQueryService = VService<const VLookQueries>;

// The answer for a standard colour index that no table lists.
constexpr uint32_t kNoStandardColor = 0xFFFFFFFF;

// A Win32 colour (red in the low byte, then green, then blue) into its bytes;
// a null output is skipped.
void SplitColor(uint32_t colour, uint8_t* red, uint8_t* green, uint8_t* blue);

// The colour of a standard colour index: the current look painter's, or
// without one the fixed table of indexes 0 to 16 (greys from white to
// black, then red, green, blue, yellow, magenta with green 15, cyan);
// kNoStandardColor for any other index.
uint32_t StandardColor(int32_t index);

// The standard font of a kind (the text-edit frame asks for 5) on a device
// context that may be null: the current look painter's answer; false without
// a painter. A null name is filled into a scratch string.
bool StandardFont(HDC dc, int32_t kind, VString* name, int16_t& size, uint8_t& bold,
                  uint8_t& italic);
