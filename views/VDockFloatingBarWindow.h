// VDockFloatingBarWindow: the window that holds a dock's floating bars. It
// is a process window of its own, made for the dock (the dock's title,
// 16000 bytes of stack, a local process, 2 sleep ticks), so the bars stay
// usable while the host's own process is busy. Each floating bar gets a
// floating window (kind 6) of the size it takes floating; the window's
// frames are those windows.
#pragma once

#include <cstdint>
#include <vector>

#include "views/VDockBar.h"
#include "views/VProcessWindow.h"

class VDockView;
class VWindowView;

class VDockFloatingBarWindow : public VProcessWindow, public VDockFloatingWindow {
 public:
  explicit VDockFloatingBarWindow(VDockView* dock);
  // Gives every bar back to the dock first.
  ~VDockFloatingBarWindow() override;

  // (x, y) is where the bar's window goes, in the coordinates of the
  // top-level window, which are the emulation's global ones.
  void AddBar(VDockBar* bar, int32_t x, int32_t y) override;
  void RemoveBar(VDockBar* bar) override;
  void Show(bool shown) override;
  bool IsOpen() override;
  // Ends the window's process and gives the bars back to the dock, hidden.
  void Close() override;
  bool HoldsWindow(const Tbx::WindowRecord* window) const override;

  // The window holding `bar`; null when the bar does not float here.
  VWindowView* WindowOf(const VDockBar* bar) const;
  size_t CountBars() const { return fHeld.size(); }

 private:
  struct Held {
    VDockBar* bar;
    VWindowView* window;
  };
  // Puts the bar back into the dock and retires its window.
  void GiveBack(const Held& held, bool hide);
  void DeleteRetired();

  VDockView* fDock;
  std::vector<Held> fHeld;
  // Windows whose bar left them, hidden until this window closes.
  std::vector<VWindowView*> fRetired;
  uint8_t fShown = 1;
};

// The maker the dock reaches through VDockFloatingWindowService.
extern const VDockFloatingWindowMaker kDockFloatingBarWindowMaker;
