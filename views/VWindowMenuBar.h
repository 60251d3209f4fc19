// What an area's own window needs of its dock's menu bar: showing it, and
// the Toolbox menu bar it builds for the window from its menu items, through
// which the user's menu choices arrive. The dock answers it; the interface
// controls implement it.
#pragma once

#include <cstdint>

#include "framework/core/VService.h"

// A menu that executes its items.
class VMenuItemExecutor {
 public:
  virtual ~VMenuItemExecutor() = default;
  virtual void ExecuteItem(int16_t item) = 0;
};

// Where a chosen menu and item wait until the own window's loop takes them.
struct VMenuChoice {
  VMenuItemExecutor* menu = nullptr;
  int16_t item = 0;
};

class VWindowMenuBar {
 public:
  virtual ~VWindowMenuBar() = default;
  virtual bool IsMenuBarShown() const = 0;
  virtual void ShowMenuBar(bool show) = 0;
  // Builds the window's Toolbox menu bar from the menu items; the answer
  // holds the choices until the loop takes them (null: none will come).
  virtual VMenuChoice* BuildToolboxMenuBar() = 0;
  // Removes the Toolbox menu bar built above.
  virtual void RemoveToolboxMenuBar() = 0;
  // The Toolbox menu bar's selection (menu id in the high word, item in the
  // low word) becomes the waiting choice; false when it names no item the
  // bar shows.
  virtual bool TakeToolboxChoice(int32_t) { return false; }
};


// Carries out the choices waiting in the window menu bars of the interface
// controls (each bar's pending menu and position), clearing them; the area's
// event handling calls it after each event.
struct VMenuBarChoiceTaker {
  void (*takePendingChoices)();
};
using VMenuBarChoiceService = VService<const VMenuBarChoiceTaker>;
