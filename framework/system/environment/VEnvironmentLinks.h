// What the system environment asks of the graphics and of the view
// framework, which sit above it: rectangles, the look painters and the
// picture library (graphics), events, keyboard shortcuts and window borders
// (views). Each layer installs its answers at start and removes them at
// stop; until then the environment gives its neutral answers.
#pragma once

#include <cstdint>

#include "framework/core/VService.h"

class VEvent;
class VLookPainter;
class VRect;
class VShortcut;
class VWindowView;
struct HostEventRecord;
using VHostEventRecord = HostEventRecord;
namespace Tbx {
struct Rect;
}

class VEnvironmentGraphics {
 public:
  virtual ~VEnvironmentGraphics() = default;
  // The rectangle's own position and size setters.
  virtual void SetRectPosition(VRect& rect, int32_t x, int32_t y) = 0;
  virtual void SetRectSize(VRect& rect, int32_t width, int32_t height) = 0;
  virtual void GetRectSize(const VRect& rect, int32_t& width, int32_t& height) = 0;
  // The rectangle as four 16-bit edges.
  virtual void RectToMacRect(const VRect& rect, Tbx::Rect& out) = 0;
  // The painter of look index 0 to 4 (null while the slot is empty).
  virtual VLookPainter* GetLookPainter(int32_t index) = 0;
  // Whether the picture import and export library started.
  virtual bool PictureLibraryStarted() = 0;
};

class VEnvironmentViews {
 public:
  virtual ~VEnvironmentViews() = default;
  // What click counting reads of an event: its button-up flag, its position
  // and its time in ticks.
  virtual void GetClickFacts(const VEvent& event, bool& buttonUp, int32_t& x, int32_t& y,
                             uint32_t& when) = 0;
  // A new keyboard shortcut made from a host key event record; the caller
  // owns it.
  virtual VShortcut* NewShortcut(const VHostEventRecord& record) = 0;
  // The widths of the window's frame around its client area.
  virtual void GetBorderWidths(const VWindowView& window, int16_t& left, int16_t& top,
                               int16_t& right, int16_t& bottom) = 0;
};

using VEnvironmentGraphicsService = VService<VEnvironmentGraphics>;
using VEnvironmentViewsService = VService<VEnvironmentViews>;
