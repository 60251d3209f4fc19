// The window procedures that feed a toolbar drop-down's pop-up tracking
// loop: one replaces the procedure of the window owning the pop-up and
// watches for the application losing activation, the other replaces the
// pop-up's own and turns its clicks into the button-down flag and its keys
// into framework keystrokes for the loop's current target. Both pass every
// other message to the procedure they replaced.
#pragma once

#include <cstdint>

#include "platform/win32/WinWindows.h"

class VShortcut;

// What receives the keystrokes while the pop-up tracks.
class VPopUpKeyTarget {
 public:
  virtual ~VPopUpKeyTarget() = default;
  virtual void HandleKey(VShortcut& key) = 0;
};

// Shared with the tracking loop, which sets them before it installs the
// procedures and reads the flags while it loops.
extern VPopUpKeyTarget* gPopUpKeyTarget;
extern WNDPROC gReplacedOwnerProc;
extern WNDPROC gReplacedPopUpProc;
extern uint8_t gPopUpButtonDown;
extern uint8_t gPopUpPainted;

LRESULT AppActivateWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ChildControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The framework key code of a virtual key the pop-up understands; 0 for
// any other.
int16_t PopUpKeyCode(WPARAM virtualKey);
