// The three kinds of object that show a command's state and are told when it
// changes: controls, menus and window menu bars. The interface controls
// implement them; a command holds them by these interfaces only.
#pragma once

#include <cstdint>

class VCommand;

// A control bound to a command (a toolbar button, a drop-down list...).
class VCommandControl {
 public:
  virtual ~VCommandControl() = default;
  // The command's value changed; what the mode asks for is the control's.
  virtual void CommandValueChanged(int32_t mode) = 0;
  // The command's enabled state changed (mode 0).
  virtual void CommandEnabledChanged(bool enabled, int32_t mode) = 0;
  // The command is being deleted: the control forgets it.
  virtual void ClearCommand() = 0;
};

// A menu that shows commands in its items.
class VCommandMenu {
 public:
  virtual ~VCommandMenu() = default;
  // The command's value, enabled state or title changed.
  virtual void CommandChanged(VCommand* command) = 0;
  // The command is being deleted: the menu forgets it wherever it holds it
  // (its own command or any item's).
  virtual void ClearCommand(VCommand* command) = 0;
};

// A window's menu bar.
class VCommandMenuBar {
 public:
  virtual ~VCommandMenuBar() = default;
  // Updates the item bound to the command: title, check mark and enabled state.
  virtual void UpdateMenuItemTitle(VCommand* command) = 0;
};
