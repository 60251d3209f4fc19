// VMenuBase: what every framework menu is: an owner (a frame, or the menu
// it is a sub-menu of), its own command, a title, and the Win32 menu it is
// shown as once realised. Choosing an item sends a command up the owner's
// chain. VMenu (the menu with items) and the grid menus derive from it.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "framework/core/strings/VUniString.h"
#include "platform/win32/WinMenus.h"
#include "views/VCommandListeners.h"

class VCommand;
class VCommandKey;
class VFrame;
class VMenuItem;
class VPort;
class VWinMenuBar;

class VMenuBase : public VObject, public VCommandMenu {
 public:
  // Exactly one owner is set, by the constructor used.
  explicit VMenuBase(VFrame* owner);
  explicit VMenuBase(VMenuBase* parentMenu);
  explicit VMenuBase(VWinMenuBar* menuBar);
  // Destroys the Win32 menu with its registry records and leaves the own
  // command.
  ~VMenuBase() override;
  VMenuBase(const VMenuBase&) = delete;
  VMenuBase& operator=(const VMenuBase&) = delete;

  // Creates the Win32 menu on the first call and refreshes it on later ones.
  virtual void Realize(VPort* port, bool asPopUp, bool measureAfter) = 0;
  virtual void Unrealize(bool recursive);
  virtual VCommand* GetCommand() const { return fCommand; }
  // A command this menu shows changed its title, value or state.
  virtual void Refresh(VCommand* command);
  // Through the owner chain; null without owner.
  virtual VCommand* FindCommand(int32_t id);
  // Sets the own command's value to the index and sends it.
  virtual void ChooseItem(int32_t index);
  virtual void SetSmallFont(bool small) { fSmallFont = small ? 1 : 0; }
  // The self-drawn menu: measuring (height in: the room; out: what is
  // used), drawing its rows and its frame, hit-testing with highlighting
  // (answers the row or cell under the point, 0 for none), a row's bounds.
  virtual void Measure(VPort* port, int32_t& width, int32_t& height);
  virtual void Draw(VPort*, int32_t, int32_t) {}
  virtual void DrawFrame(VPort* port, int32_t width, int32_t height);
  virtual int32_t TrackHilite(VPort*, int32_t, int32_t, int32_t, int32_t, int32_t,
                              int32_t& chosen) {
    chosen = 0;
    return 0;
  }
  virtual void GetItemBounds(int32_t, int32_t& left, int32_t& top, int32_t& width,
                             int32_t& height) const {
    left = top = width = height = 0;
  }
  virtual void DrawItem(VPort*, VMenuItem*, int32_t, bool) {}
  virtual void SetLook(int16_t kind) { fLook = static_cast<int8_t>(kind); }
  virtual bool HasItemList() const { return false; }
  virtual int32_t CountItems() const { return 0; }
  virtual VMenuItem* GetItem(int32_t) const { return nullptr; }
  virtual int32_t GetWidth() const { return 0; }
  virtual bool IsGrid() const { return false; }

  // Shows the menu as a pop-up at the screen point (its right edge there
  // when right-aligned) and acts on the item chosen.
  void TrackPopUp(int32_t x, int32_t y, bool rightAligned);

  // The owner chain.
  VCommandKey* FindShortcut(int32_t commandId);
  void SendCommand(int32_t commandId, intptr_t parameter);

  HMENU GetHandle() const { return fHandle; }
  // Removes the registry records, then the Win32 menu.
  void DestroyHandle();
  const VString& GetTitle() const { return fTitle; }
  int16_t GetLook() const { return fLook; }
  bool IsSmallFont() const { return fSmallFont != 0; }
  VFrame* GetOwnerFrame() const;
  // The bar the menu (or the menu it is a sub-menu of) belongs to; null.
  VWinMenuBar* GetOwnerMenuBar() const;

  // VCommandMenu.
  void CommandChanged(VCommand* command) override { Refresh(command); }
  void ClearCommand(VCommand* command) override;

 protected:
  // Sets the own command, found by id (none for a null command).
  void TakeCommand(int32_t commandId);

  VFrame* fOwnerFrame = nullptr;
  VMenuBase* fParentMenu = nullptr;
  VWinMenuBar* fMenuBar = nullptr;
  VCommand* fCommand = nullptr;
  VStr<255> fTitle;
  HMENU fHandle = nullptr;
  int8_t fLook = -1;
  uint8_t fSmallFont = 0;
  // Whether this menu listens to its own command's title.
  uint8_t fListensToOwn = 0;
};
