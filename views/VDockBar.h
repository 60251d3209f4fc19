// What a dock needs of the bars it holds, and of the layers above that make
// them: the bars themselves (menu bar, tool bars, single toolbar items) are
// built by the controls layer, which installs their makers at start; with
// none installed a dock description builds no bar. The user's toolbar
// dialog, the dragger that moves a bar and the window that holds floating
// bars come the same way.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/VService.h"
#include "framework/core/strings/VUniString.h"
#include "views/VView.h"
#include "graphics/VShape.h"

class VDockView;
class VEvent;
class VResourceFile;
namespace Tbx {
struct WindowRecord;
}

// Sides of a dock.
enum : int16_t {
  kDockFloating = 0,
  kDockLeft = 1,
  kDockTop = 2,
  kDockRight = 3,
  kDockBottom = 4,
};
// Both coordinates at this value: no position given.
constexpr int32_t kDockNoPosition = -10000;

// A bar held by a dock. The sizes are those it would take floating and
// docked along either edge.
class VDockBar : public VView {
 public:
  explicit VDockBar(VFrame* parent) : VView(parent) {}

  virtual void GetFloatingSize(int32_t& width, int32_t& height) = 0;
  // The length along the edge, docked horizontally (top, bottom) or
  // vertically (left, right).
  virtual int32_t GetDockedLength(bool horizontal) = 0;
  // The thickness across the edge in each direction.
  virtual int32_t GetDockedThickness(bool horizontal) = 0;
  // The bar is docked on `side` (1 to 4), or floats (0), and sizes itself
  // for it.
  virtual void SetDockSide(int16_t side) = 0;
  // The dock's no-background byte, handed to the bar's two drawing states.
  virtual void SetNoBackground(uint8_t) {}
  virtual void SetItemsNoBackground(uint8_t) {}
  // Writes the bar's own state into the dock's interface file.
  virtual void StoreState(VResourceFile*) {}
  // The window a floating bar is shown in, made by the bar (owned by the
  // dock's floating window); null lets the floating window make a plain one.
  virtual VView* MakeFloatingWindowView(VDockView*) { return nullptr; }
  // The dock's idle step for a bar that floats, run in the dock's process.
  virtual void FloatingIdle() {}
};

// The makers of bars from the resources a dock description names. The
// tool bar installs itself (VDockView::SetToolBar) and an item docks
// itself; the menu bar is answered and kept by the dock.
struct VDockBarMakers {
  VDockBar* (*makeMenuBar)(VDockView* dock, VObject* owner, VResourceFile* file, int16_t id);
  void (*makeToolBar)(VDockView* dock, VObject* owner, VResourceFile* file, int16_t id);
  void (*makeItem)(VDockView* dock, VObject* owner, VResourceFile* file, int16_t id);
};
using VDockBarService = VService<const VDockBarMakers>;

// One line of the user's toolbar dialog.
struct VToolBarChoice {
  int16_t id = 0;
  VStr<255> title;
  bool shown = false;
};
// The user's toolbar dialog: lists the bars with their shown states and
// answers true when the user confirms, with the chosen states in place.
struct VToolBarsUserDialogRunner {
  bool (*run)(std::vector<VToolBarChoice>& bars);
};
using VToolBarsUserDialogService = VService<const VToolBarsUserDialogRunner>;

// What the dragger of a bar is given: three outlines at (0, 0) (floating,
// horizontal, vertical), the four docking zones in dock coordinates (left,
// top, right, bottom) and the bar's current side.
struct VBarDragSetup {
  VRect outlines[3];
  VRect zones[4];
  int16_t side = 0;
};
// Where a bar drag ended: the side (0 outside every zone) and the last
// point in dock and in top-level window coordinates.
struct VBarDragResult {
  int16_t side = 0;
  int32_t dockX = 0;
  int32_t dockY = 0;
  int32_t windowX = 0;
  int32_t windowY = 0;
};
// Runs the dragger of a bar from `start` (dock coordinates); false when no
// drag took place.
struct VBarDraggerRunner {
  bool (*track)(VDockView* dock, VDockBar* bar, int32_t startX, int32_t startY,
                const VBarDragSetup& setup, VBarDragResult& result);
};
using VBarDraggerService = VService<const VBarDraggerRunner>;

// The window that holds a dock's floating bars, a window of its own host
// process.
class VDockFloatingWindow {
 public:
  virtual ~VDockFloatingWindow() = default;
  // Puts the bar in the window at (x, y) in top-level window coordinates.
  virtual void AddBar(VDockBar* bar, int32_t x, int32_t y) = 0;
  virtual void RemoveBar(VDockBar* bar) = 0;
  virtual void Show(bool shown) = 0;
  // Whether the window is still open; a closed one is deleted at the
  // dock's next idle.
  virtual bool IsOpen() = 0;
  virtual void Close() = 0;
  // Whether the emulation window is one of those holding the bars.
  virtual bool HoldsWindow(const Tbx::WindowRecord*) const { return false; }
};
struct VDockFloatingWindowMaker {
  VDockFloatingWindow* (*make)(VDockView* dock);
};
using VDockFloatingWindowService = VService<const VDockFloatingWindowMaker>;
