// VDragger: the base of every mouse drag. A view that receives a mouse-down
// makes a subclass with the frame and the event, sets its options and calls
// Track, which polls the mouse until every button is up. Feedback is drawn
// straight onto the screen through a port of the dragger's own, clipped by
// the mode; the frame under the mouse is searched in every framework window;
// a scrolled view is scrolled while the mouse stays outside it. The subclass
// supplies the feedback and the effect.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "views/VEvent.h"
#include "graphics/VShape.h"
#include "platform/gdi/WinGdiTypes.h"

class VDragTypeList;
class VFrame;
class VPort;
class VScrolledView;

// Finds the frame under a point of a native window through the window list.
class VDragTargetFinder : public VObject {
 public:
  // The frame of the window view of `window` at `p` (window-local); null
  // when no window view has that native window.
  virtual VFrame* FindFrameAt(HWND window, const VPoint& p);
  // The frame there that accepts the drag types under the mask; null as
  // above.
  virtual VFrame* AcceptsDragAt(HWND window, const VPoint& p, const VDragTypeList* types,
                                uint32_t mask);
};

// The message an auto-scroll view sends up to its container: scroll by
// (parameter >> 16, (int16_t)parameter).
constexpr int32_t kMsgDragAutoScroll = -987;

// Clip modes of the feedback port.
constexpr int32_t kDragClipFrame = 0;
constexpr int32_t kDragClipWindow = 1;
constexpr int32_t kDragClipMainWindow = 2;
constexpr int32_t kDragClipScreen = 3;

// Coordinates of the not-yet-known points.
constexpr int32_t kDragUnknown = -32000;

class VDragger : public VObject {
 public:
  VDragger(VFrame* frame, const VEvent& event);
  ~VDragger() override;
  VDragger(const VDragger&) = delete;
  VDragger& operator=(const VDragger&) = delete;

  // Prepares the port once, before the first feedback.
  virtual void BeginTrack(VPort& port) = 0;
  // The mouse moved by (dx, dy) screen pixels, or a watched key changed
  // (dx = dy = 0); either target may be null.
  virtual void TrackMove(VPort& port, VFrame* previous, VFrame* target, int32_t dx, int32_t dy) = 0;
  // The buttons came up over `target` (or null): apply the drag.
  virtual void EndTrack(VPort& port, VFrame* target) = 0;
  // Draws (erase = false) or removes the feedback; removing restores exactly
  // the pixels the drawing changed.
  virtual void DrawFeedback(VPort& port, bool erase) = 0;
  // Erases the feedback, asks the auto-scroll view's container to scroll by
  // (dx, dy) and draws the feedback again; nothing without an auto-scroll
  // view.
  virtual void AutoScroll(VPort& port, int32_t dx, int32_t dy);
  // The frame under `p`, local to the native window `window`.
  virtual VFrame* FindTarget(HWND window, const VPoint& p);

  // The modal loop: returns when no mouse button is down any more.
  void Track();
  // The target under the current point on screen.
  void UpdateTarget();

  void SetMode(int32_t mode) { fMode = mode; }
  int32_t GetMode() const { return fMode; }
  void SetOptions(VScrolledView* view, bool noHorizontal, bool noVertical);
  void SetModifierWatch(bool watchCtrl, bool watchAlt, bool watchShift);
  // The cursor shown while tracking; shown at once while tracking.
  void SetCursorId(int32_t id);
  int32_t GetCursorId() const { return fTrackingCursor; }
  // Takes ownership; the old finder is deleted.
  void SetTargetFinder(VDragTargetFinder* finder);
  VDragTargetFinder* GetTargetFinder() const { return fFinder; }

  // The target and the point in its coordinates.
  VFrame* GetTarget(VPoint& point) const;
  // The frame and the start point on screen.
  VFrame* GetFrame(VPoint& point) const;
  // Current point on screen minus start point on screen.
  void GetOffset(int32_t& dx, int32_t& dy) const;
  // Space 0 the frame's (or target's) own, 1 window, 2 top-level window,
  // 3 screen; any other counts as 0.
  void GetStartPoint(VPoint& point, int32_t space);
  void GetCurrentPoint(VPoint& point, int32_t space);
  bool IsTracking() const { return fTracking != 0; }
  const VEvent& GetStartEvent() const { return fEvent; }

 protected:
  VDragTargetFinder* fFinder = nullptr;
  VEvent fEvent;
  VFrame* fFrame;
  VFrame* fTarget = nullptr;
  VScrolledView* fScrollView = nullptr;
  uint8_t fNoHorizontal = 0;
  uint8_t fNoVertical = 0;
  int32_t fStartX;
  int32_t fStartY;
  int32_t fTargetX = kDragUnknown;
  int32_t fTargetY = kDragUnknown;
  int32_t fStartScreenX = kDragUnknown;
  int32_t fStartScreenY = kDragUnknown;
  int32_t fCurrentX = kDragUnknown;
  int32_t fCurrentY = kDragUnknown;
  int32_t fTrackingCursor;
  int32_t fRestoreCursor;
  int32_t fMode = 0;
  uint8_t fTracking = 0;
  uint8_t fWatchCtrl = 0;
  uint8_t fWatchAlt = 0;
  uint8_t fWatchShift = 0;

 private:
  // What the tracking loop carries from poll to poll: the point of the last
  // move, the watched keys as last seen and the tick of the last scroll.
  struct TrackState {
    int32_t lastX;
    int32_t lastY;
    bool ctrl;
    bool alt;
    bool shift;
    bool scrolled = false;
    uint32_t scrollTick = 0;
  };

  // The feedback port on the desktop, clipped by the mode and with its
  // origin at the frame; the start point and the first target are taken
  // on the way.
  VPort* OpenFeedbackPort();
  // The auto-scroll view's rectangle on screen; empty without one.
  VRect ScrollArea() const;
  // The current point in the target's coordinates, when there is a target.
  void TakeTargetPoint();
  // Polls the mouse until every button is up.
  void PollUntilReleased(VPort& port, const VRect& scrollArea, TrackState& state);
  // One auto-scroll step while the mouse is outside the scroll view.
  void ScrollOutside(VPort& port, const VRect& scrollArea, TrackState& state);
  // Whether a watched key went down or up since the last poll.
  bool WatchedKeysChanged(TrackState& state);
  // A move to the current point: finds the target under it and tells the
  // subclass how far the mouse went since the last move.
  void MoveToCurrent(VPort& port, TrackState& state);
  // The auto-scroll step for the current point: line step within 32 pixels
  // of the scroll rectangle, page step beyond, none past either end.
  void ComputeAutoScroll(const VRect& area, int32_t& dx, int32_t& dy);
  // Screen point less the outermost window's client corner plus a caption.
  void ScreenToTopWindow(int32_t& x, int32_t& y);
};
