// The Toolbox emulation library's TextEdit, its one-line use: a record that
// holds up to 32,767 Macintosh characters with a selection, drawn in one
// font, size and style into the GDI context of its port; the caret blinks
// on the tick clock. Also offscreen graphics worlds over memory contexts.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxPorts.h"

namespace Tbx {

// The most characters a record holds: its lengths are 16-bit.
constexpr int32_t teMaxLength = 32767;

// Alignments.
constexpr int16_t teFlushDefault = 0;
constexpr int16_t teCenter = 1;
constexpr int16_t teFlushRight = -1;
constexpr int16_t teFlushLeft = -2;

// TESetStyle modes: font, face, size (and colour, not kept); 15 all.
constexpr int16_t doFont = 1;
constexpr int16_t doFace = 2;
constexpr int16_t doSize = 4;
constexpr int16_t doAll = 15;

// Faces.
constexpr uint8_t bold = 1;
constexpr uint8_t italic = 2;

struct TextStyle {
  int16_t tsFont;  // a family number (GetFNum)
  uint8_t tsFace;
  int16_t tsSize;  // pixels
};

// The record. Offsets are local to the port; the view rectangle clips.
struct TERec {
  Rect destRect;
  Rect viewRect;
  Rect selRect;  // where the caret or the selection was last drawn
  int16_t lineHeight;
  int16_t fontAscent;
  int16_t selStart;
  int16_t selEnd;
  int16_t active;
  int16_t just;
  int16_t teLength;
  Handle hText;  // the characters, teLength of them
  int16_t txFont;
  uint8_t txFace;
  int16_t txSize;
  GrafPtr inPort;
  int16_t clickAnchor;  // where an extending click keeps its other end
  uint8_t caretState;   // the caret shows
  uint32_t caretTime;   // tick of the last blink
};
// A handle whose block holds a TERec; the block stays locked while the
// record lives, so TEGetRecord's address stays valid.
using TEHandle = Handle;

QV_PLATFORM_API TEHandle TENew(const Rect* destRect, const Rect* viewRect);
QV_PLATFORM_API void TEDispose(TEHandle te);
// The record of a handle TENew made; null for any other.
QV_PLATFORM_API TERec* TEGetRecord(TEHandle te);
// Start and end are clamped to 0 .. length and ordered.
QV_PLATFORM_API void TESetSelect(int32_t selStart, int32_t selEnd, TEHandle te);
// Deletes the selection.
QV_PLATFORM_API void TEDelete(TEHandle te);
// Inserts before the selection start (the selection is not deleted);
// characters beyond the record's capacity are not inserted.
QV_PLATFORM_API void TEInsert(const void* text, int32_t length, TEHandle te);
// 8 deletes the selection or the character before the caret; any other
// byte replaces the selection. Nothing when the record is full.
QV_PLATFORM_API void TEKey(int16_t key, TEHandle te);
// Recomputes the line measures from the style.
QV_PLATFORM_API void TECalText(TEHandle te);
QV_PLATFORM_API void TESetStyle(int16_t mode, const TextStyle* style, bool redraw, TEHandle te);
QV_PLATFORM_API void TESetAlignment(int16_t just, TEHandle te);
QV_PLATFORM_API void TEActivate(TEHandle te);
QV_PLATFORM_API void TEDeactivate(TEHandle te);
// Blinks the caret of an active record when its interval has passed.
QV_PLATFORM_API void TEIdle(TEHandle te);
// Draws the text, the selection and the caret inside `rect` (the view
// rectangle clips) into the port's context.
QV_PLATFORM_API void TEUpdate(const Rect* rect, TEHandle te);
// Places the caret at the character boundary nearest the point (port
// coordinates); with extend, moves the selection's end there.
QV_PLATFORM_API void TEClick(Point point, bool extend, TEHandle te);
// The selection through the scrap's 'TEXT'.
QV_PLATFORM_API void TECut(TEHandle te);
QV_PLATFORM_API void TECopy(TEHandle te);
QV_PLATFORM_API void TEPaste(TEHandle te);
// For reference images: false keeps the caret steadily shown instead of
// blinking. True at start.
QV_PLATFORM_API void TESetCaretBlinking(bool on);

// ---- Offscreen graphics worlds: a port over a 32-bit memory context of
// the bounds' size, white when made.
using GWorldPtr = CGrafPtr;
QV_PLATFORM_API OSErr NewGWorld(GWorldPtr* world, int16_t depth, const Rect* bounds);
QV_PLATFORM_API void DisposeGWorld(GWorldPtr world);
// The bounds NewGWorld was given; false for no world.
QV_PLATFORM_API bool GetGWorldBounds(GWorldPtr world, Rect* bounds);
// How many worlds exist (tests check that worlds are shared, not piled up).
QV_PLATFORM_API int32_t CountGWorlds();

}  // namespace Tbx
