// VToolBarItemDragger: the drag that moves a bar of a dock. It is given the
// bar's three outlines (floating, horizontal, vertical), the dock's four
// docking zones and the bar's side; while the mouse moves it shows the
// outline of the zone under the mouse (the floating one outside every
// zone) and at the end answers that zone's side, 0 for floating.
#pragma once

#include <cstdint>

#include "views/VDockBar.h"
#include "views/VDragger.h"

class VDockView;

class VToolBarItemDragger : public VDragger {
 public:
  // `startX`, `startY` in dock coordinates.
  VToolBarItemDragger(VDockView* dock, int32_t startX, int32_t startY, VDockBar* bar);

  void SetDragSetup(const VBarDragSetup& setup);

  void BeginTrack(VPort& port) override;
  void TrackMove(VPort& port, VFrame* previous, VFrame* target, int32_t dx, int32_t dy) override;
  void EndTrack(VPort& port, VFrame* target) override;
  void DrawFeedback(VPort& port, bool erase) override;

  // The side under the mouse: 1 to 4, or 0 outside every zone.
  int16_t GetSide() const { return fSide; }
  // The outline shown, in dock coordinates.
  const VRect& GetOutline() const { return fOutline; }
  // The last point in dock and in top-level window coordinates.
  void GetResult(VBarDragResult& result);

 private:
  // The side whose zone holds the dock point; 0 when none does.
  int16_t SideAt(int32_t x, int32_t y) const;
  void PlaceOutline();

  VDockView* fDock;
  VDockBar* fBar;
  VBarDragSetup fSetup;
  int16_t fSide = 0;
  // The outline's corner at the start: the bar's corner 2 pixels left and
  // up; it follows the mouse from there.
  int32_t fCornerX = 0;
  int32_t fCornerY = 0;
  int32_t fMovedX = 0;
  int32_t fMovedY = 0;
  VRect fOutline;
  uint8_t fShown = 0;
};

// Runs the drag for a dock (the dock's installed bar dragger).
bool TrackDockBar(VDockView* dock, VDockBar* bar, int32_t startX, int32_t startY,
                  const VBarDragSetup& setup, VBarDragResult& result);
extern const VBarDraggerRunner kToolBarItemDraggerRunner;
