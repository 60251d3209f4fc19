// Dragging an outline with the mouse, as the Toolbox does it, over the
// stand-in's input: each poll reads the left button and the cursor (which
// moves a scripted input's virtual clock on by one step), until the button
// goes up.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/toolbox/TbxRegions.h"

namespace Tbx {

// The axes a drag may follow.
constexpr int16_t noConstraint = 0;
constexpr int16_t hAxisOnly = 1;
constexpr int16_t vAxisOnly = 2;

// The answer of a drag released outside its slop rectangle (or refused).
constexpr int32_t kDragAborted = static_cast<int32_t>(0x80008000u);

// Called on every poll of a drag.
using DragActionProc = void (*)();

// Follows the pointer from `start` (global) while the left button stays down,
// with the region's outline inverted in the current port (through its clip)
// at the distance moved, hidden while the pointer is outside `slop`; the
// screen is as before when the drag ends. `region` is in the current port's
// coordinates (global for the desktop port).
// The pointer counts as pinned inside `limit` (its right and bottom edges
// outside), so the outline never goes past it; along one axis only when
// `axis` says so. Answers the distance moved: vertical in the high word,
// horizontal in the low word; kDragAborted when the button went up with the
// pointer outside `slop` (null: the limit) or for a missing or corrupt region
// or a missing limit.
// Without a script to move the input on, the drag ends at the first poll
// with the pointer where it is.
QV_PLATFORM_API int32_t DragGrayRgn(RgnHandle region, Point start, const Rect* limit,
                                    const Rect* slop, int16_t axis, DragActionProc action);

// The number of polls the last drag made, and the outline's last distance
// (vertical, horizontal), for tests.
QV_PLATFORM_API int32_t GetLastDragPolls();
QV_PLATFORM_API Point GetLastDragOffset();

}  // namespace Tbx
