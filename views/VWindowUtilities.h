// Small services shared by the view framework and its neighbours: the
// colour palette of the menus, a font lookup by face name, typed access to
// three window longs, the flag that says a pop-up menu is being tracked,
// and a progress gauge that shows only when an operation lasts.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "platform/gdi/WinGdiTypes.h"
#include "platform/toolbox/TbxTraps.h"
#include "platform/win32/WinWindows.h"

class VResourceFile;
struct LOGFONTA;

// The default palette's entries followed by the 216 colours of a 6 x 6 x
// 6 cube (levels 0, 51 ... 255, red slowest, blue fastest); the caller's.
HPALETTE CreateColorCubePalette();

// The system font list's record of that face name; null when the list does
// not exist or holds no such name. Nothing is added to the list.
LOGFONTA* FindFontEntry(const char* faceName);

// Window longs, pointer-sized so that an address is kept whole; each setter
// answers the value it replaced.
intptr_t GetWindowId(HWND window);
intptr_t SetWindowId(HWND window, intptr_t id);
intptr_t GetWindowUserData(HWND window);
intptr_t SetWindowUserData(HWND window, intptr_t data);
WNDPROC GetWindowProc(HWND window);
WNDPROC SetWindowProc(HWND window, WNDPROC procedure);

// True only while the pop-up menu selection runs through the patch.
bool IsPopUpMenuTracking();
// The replacement of the pop-up menu selection trap: sets the flag, calls
// the routine it replaced with the same arguments, clears the flag and
// answers the routine's answer.
int32_t PopUpMenuSelectPatch(void* menu, int16_t top, int16_t left, int16_t item);
// Installs the patch in the trap table and answers the routine it
// replaced, which the caller hands back to RemovePopUpMenuSelectPatch.
Tbx::TrapRoutine InstallPopUpMenuSelectPatch();
void RemovePopUpMenuSelectPatch(Tbx::TrapRoutine saved);

// What shows a progress gauge: a tool bar (made by the controls layer).
class VProgressTarget {
 public:
  virtual ~VProgressTarget() = default;
  virtual bool IsShown() const = 0;
  virtual void BeginProgress(VResourceFile* file, int16_t listId, int16_t messageIndex,
                             uint32_t total) = 0;
  virtual void SetProgress(uint32_t value) = 0;
  virtual void EndProgress() = 0;
};

class VProgress : public VObject {
 public:
  // Adds to the progress; the answer is the derived class's.
  virtual bool Advance(uint32_t amount) = 0;
};

// A gauge shown only when the operation still runs `delay` ticks after it
// began: until then the amounts are counted, then the gauge opens at their
// sum. On a target that is not shown, nothing ever appears.
class VDelayedProgress : public VProgress {
 public:
  VDelayedProgress(VProgressTarget* target, VResourceFile* file, int16_t listId,
                   int16_t messageIndex, uint32_t total, uint32_t delay);
  ~VDelayedProgress() override;
  // Always false.
  bool Advance(uint32_t amount) override;
  bool IsGaugeShown() const { return fShown != 0; }

 private:
  VProgressTarget* fTarget = nullptr;
  VResourceFile* fFile = nullptr;
  int16_t fListId = 0;
  int16_t fMessageIndex = 0;
  uint32_t fTotal = 0;
  uint32_t fDue = 0;
  uint32_t fCount = 0;
  uint8_t fShown = 0;
};
