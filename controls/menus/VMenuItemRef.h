// The menu item registry: every item of a realised menu holds a record here
// whose index is the item's command id in the Win32 menu, so a WM_COMMAND
// leads back to (menu, position). Indexes are distinct while held and a
// freed one is the next to be given out again.
#pragma once

#include <cstddef>
#include <cstdint>

class VMenuBase;

// Indexes stay below the system commands (0xF000 and up), which the main
// window's procedure passes on: a menu with more items than this leaves the
// rest unregistered (index 0), shown disabled and choosing nothing.
constexpr uint16_t kMaxMenuItemRef = 0xEFFF;

class VMenuItemRef {
 public:
  // Takes the lowest free index, 0 when every index is held.
  VMenuItemRef(VMenuBase* menu, int16_t position);
  // Gives the index back.
  ~VMenuItemRef();
  VMenuItemRef(const VMenuItemRef&) = delete;
  VMenuItemRef& operator=(const VMenuItemRef&) = delete;

  VMenuBase* GetMenu() const { return fMenu; }
  int16_t GetPosition() const { return fPosition; }
  uint16_t GetIndex() const { return fIndex; }

 private:
  VMenuBase* fMenu;
  int16_t fPosition;
  uint16_t fIndex = 0;
};

// The record of a command id; null for 0 and for an index nobody holds.
VMenuItemRef* LookUpMenuItemRef(uint16_t id);
// Deletes every record of the menu.
void RemoveMenuItemRefs(const VMenuBase* menu);
// Deletes every record still held (at shut-down).
void RemoveAllMenuItemRefs();
// How many records are held.
size_t CountMenuItemRefs();
