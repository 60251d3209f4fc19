// The modal loop in which a toolbar's drop-down list tracks its pop-up: the
// owner window's and the pop-up window's procedures are replaced for the
// loop's time, keys reach the list as keystrokes, the list sees clicks
// through the button-down flag and redraws when its window was painted.
#pragma once

#include "views/VPopUpWindowProcs.h"

// The pop-up list as the loop drives it.
class VDropDownPopUp : public VPopUpKeyTarget {
 public:
  // The loop runs while the list is open; Escape closes it.
  virtual bool IsOpen() const = 0;
  // Each turn: whether a button is down over the pop-up.
  virtual void ButtonState(bool down) = 0;
  // The pop-up window was painted: the list draws itself again.
  virtual void Redraw() = 0;
};

// Tracks until the list closes, or until nothing more can come (no
// message, no update, no scripted input); the procedures, the key target
// and the capture are as before afterwards.
void RunDropDownLoop(HWND owner, HWND popUp, VDropDownPopUp& list);
