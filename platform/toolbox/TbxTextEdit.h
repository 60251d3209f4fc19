// The Toolbox emulation library's TextEdit: a record that holds up to 32,767
// Macintosh characters with a selection and style runs (font, face, size,
// colour), broken into lines by the destination's width (or at returns
// only), drawn run by run into the GDI context of its port; the caret
// blinks on the tick clock. The style scrap ('styl') carries runs. Also
// offscreen graphics worlds over memory contexts.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxEmulatorColor.h"
#include "platform/toolbox/TbxPorts.h"

namespace Tbx {

// The most characters a record holds: its lengths are 16-bit.
constexpr int32_t teMaxLength = 32767;

// Alignments.
constexpr int16_t teFlushDefault = 0;
constexpr int16_t teCenter = 1;
constexpr int16_t teFlushRight = -1;
constexpr int16_t teFlushLeft = -2;

// TESetStyle and TEContinuousStyle modes: font, face, size, colour; 15 all;
// addSize adds the size; doToggle with doFace removes a face bit where the
// whole selection has it and adds it otherwise.
constexpr int16_t doFont = 1;
constexpr int16_t doFace = 2;
constexpr int16_t doSize = 4;
constexpr int16_t doColor = 8;
constexpr int16_t doAll = 15;
constexpr int16_t addSize = 16;
constexpr int16_t doToggle = 32;

// Faces.
constexpr uint8_t bold = 1;
constexpr uint8_t italic = 2;
constexpr uint8_t underline = 4;

struct TextStyle {
  int16_t tsFont;  // a family number (GetFNum)
  uint8_t tsFace;
  int16_t tsSize;  // pixels
  RGBColor tsColor;
};

struct TERec;
// Called while TEClick tracks the mouse; false ends the tracking.
using TEClickLoopProc = bool (*)(TERec* record);

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
  // 0: lines break at the destination's width; -1: at returns only.
  int16_t crOnly;
  int16_t nLines;
  uint8_t autoView;  // TESelView scrolls the destination
  TEClickLoopProc clickLoop;
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
// 8 deletes the selection or the character before the caret; 28 to 31 move
// the caret left, right, up and down; any other byte replaces the
// selection. Nothing when the record is full.
QV_PLATFORM_API void TEKey(int16_t key, TEHandle te);
// Recomputes the line measures from the style.
QV_PLATFORM_API void TECalText(TEHandle te);
// Sets the attributes of `mode` over the selection; at a caret, the style
// of the next character typed there.
QV_PLATFORM_API void TESetStyle(int16_t mode, const TextStyle* style, bool redraw, TEHandle te);
// The selection's common style: each attribute of *mode that varies is
// cleared from it; true when none varied.
QV_PLATFORM_API bool TEContinuousStyle(int16_t* mode, TextStyle* style, TEHandle te);
// Replaces the whole text (one style, the first character's); the caret
// goes to its end.
QV_PLATFORM_API void TESetText(const void* text, int32_t length, TEHandle te);
// A new handle holding the style scrap of the selection.
QV_PLATFORM_API Handle TEGetStyleScrapHandle(TEHandle te);
// Applies a style scrap to [start, end).
QV_PLATFORM_API void TEUseStyleScrap(int32_t start, int32_t end, Handle scrap, bool redraw, TEHandle te);
// Pastes the scrap's 'TEXT' with its 'styl' when it has one.
QV_PLATFORM_API void TEStylePaste(TEHandle te);
// The height of lines startLine to endLine (0-based, both included).
QV_PLATFORM_API int32_t TEGetHeight(int32_t endLine, int32_t startLine, TEHandle te);
// The character offset nearest a point, and the point (left, baseline
// bottom of the line) of an offset, in port coordinates.
QV_PLATFORM_API int16_t TEGetOffset(Point point, TEHandle te);
QV_PLATFORM_API Point TEGetPoint(int16_t offset, TEHandle te);
// The line holding an offset, and a line's first offset.
QV_PLATFORM_API int32_t TEGetLineOf(int32_t offset, TEHandle te);
QV_PLATFORM_API int32_t TEGetLineStart(int32_t line, TEHandle te);
QV_PLATFORM_API void TEAutoView(bool on, TEHandle te);
// With auto-view on, scrolls the destination so the selection's start
// shows in the view rectangle.
QV_PLATFORM_API void TESelView(TEHandle te);
QV_PLATFORM_API void TESetClickLoop(TEClickLoopProc proc, TEHandle te);
QV_PLATFORM_API void TESetAlignment(int16_t just, TEHandle te);
QV_PLATFORM_API void TEActivate(TEHandle te);
QV_PLATFORM_API void TEDeactivate(TEHandle te);
// Blinks the caret of an active record when its interval has passed.
QV_PLATFORM_API void TEIdle(TEHandle te);
// Draws the text, the selection and the caret inside `rect` (the view
// rectangle clips) into the port's context.
QV_PLATFORM_API void TEUpdate(const Rect* rect, TEHandle te);
// Places the caret at the character boundary nearest the point (port
// coordinates); with extend, moves the selection's end there. While the
// button stays down the selection follows the mouse, and the record's
// click loop runs at each poll.
QV_PLATFORM_API void TEClick(Point point, bool extend, TEHandle te);
// The selection through the scrap's 'TEXT' (and 'styl').
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
