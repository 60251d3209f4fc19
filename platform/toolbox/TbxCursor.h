// The Toolbox emulation library's cursor calls: the arrow, four built-in
// cursors and cursor records of the caller's, with a hide and show level.
// No pointer is drawn; the stand-in records what would be shown.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/toolbox/TbxHandles.h"

namespace Tbx {

// A cursor record, laid out as a 'CURS' resource stores it: 16 rows of
// image bits, 16 rows of mask bits, then the hot spot (vertical, then
// horizontal). Every field stays in big-endian order; the record is read as
// it lies in the resource, which is not converted on reading.
struct Cursor {
  uint8_t data[32];
  uint8_t mask[32];
  uint8_t hotSpot[4];
};
static_assert(sizeof(Cursor) == 68);
constexpr int32_t kCursorRecordSize = 68;

// The built-in cursors that GetCursor gives by number.
constexpr int16_t iBeamCursor = 1;
constexpr int16_t crossCursor = 2;
constexpr int16_t plusCursor = 3;
constexpr int16_t watchCursor = 4;

// Shows the arrow and makes the cursor visible (level 0, not obscured).
QV_PLATFORM_API void InitCursor();
// A handle to the record of a built-in cursor (1 to 4), which the library
// keeps for the life of the process; for any other number the 'CURS'
// resource of that id from the open resource files (the caller's to
// release), or 0 when there is none.
QV_PLATFORM_API Handle GetCursor(int16_t id);
// Shows a copy of the record; a null record is ignored.
QV_PLATFORM_API void SetCursor(const Cursor* cursor);
// One level deeper into hiding; ShowCursor comes one level back, never
// above visible. The cursor is visible at level 0 only.
QV_PLATFORM_API void HideCursor();
QV_PLATFORM_API void ShowCursor();
// Hides the cursor until the mouse moves (HeadlessCursorMouseMoved).
QV_PLATFORM_API void ToolboxCall697();

// ---- For tests and the stand-in host.

// What the cursor shows now.
struct HeadlessCursorState {
  // 0 the arrow, 1 to 4 a built-in cursor, -1 a record of the caller's.
  int32_t shown = 0;
  // The record shown (the arrow's and the built-ins' included).
  Cursor record{};
  // 0 visible, below 0 the depth of hiding.
  int32_t level = 0;
  bool obscured = false;
  // Calls that changed the cursor shown: InitCursor and SetCursor.
  uint32_t changes = 0;
};
QV_PLATFORM_API HeadlessCursorState GetHeadlessCursorState();
// Whether a pointer would be seen: level 0 and not obscured.
QV_PLATFORM_API bool IsHeadlessCursorVisible();
// The mouse moved: an obscured cursor shows again.
QV_PLATFORM_API void HeadlessCursorMouseMoved();

}  // namespace Tbx
