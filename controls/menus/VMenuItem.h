// The items of a VMenu, one class per stored item kind: separators, text
// items (their own title, or their command's), and items that open a
// sub-menu. Each item is bound to a command of the menu's owner found by id;
// an item without command is shown disabled and sends nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/VObject.h"
#include "framework/core/strings/VUniString.h"

class VCommand;
class VIconShape;
class VMenu;
class VMenuBase;
class VPort;
class VResourceFile;

// Marks an item shows before its title.
constexpr int16_t kMenuMarkNone = 0;
constexpr int16_t kMenuMarkCheck = 48;
constexpr int16_t kMenuMarkMixed = 50;

// What an owner-drawn Win32 item carries as its data: the menu it belongs to.
class VMenuDrawData : public VObject {
 public:
  explicit VMenuDrawData(VMenuBase* menu) : fMenu(menu) {}
  virtual bool IsMenuItem() const { return false; }
  VMenuBase* GetMenu() const { return fMenu; }

 protected:
  VMenuBase* fMenu;
};

class VMenuItem : public VMenuDrawData {
 public:
  // Appends itself to the menu and takes the command the menu finds.
  VMenuItem(VMenu* menu, int32_t commandId);
  // Leaves its menu.
  ~VMenuItem() override;
  VMenuItem(const VMenuItem&) = delete;
  VMenuItem& operator=(const VMenuItem&) = delete;

  bool IsMenuItem() const override { return true; }
  virtual bool HasSubMenu() const { return false; }
  // Answers the item's height (and keeps it) with the widths of its mark,
  // title, shortcut modifiers and shortcut key, in the font the caller
  // selected on the port.
  virtual int16_t Measure(VPort* port, int16_t rowHeight, int16_t& markWidth, int16_t& titleWidth,
                          int16_t& modifierWidth, int16_t& keyWidth);
  // Draws the row at (0, 0), `width` wide, with the menu's column widths.
  virtual void Draw(VPort* port, bool selected, int16_t width, int16_t markWidth,
                    int16_t titleWidth, int16_t modifierWidth, int16_t keyWidth);
  virtual void GetTitle(VString& out) const;
  virtual bool IsSeparator() const { return false; }
  virtual void SetLook(int16_t kind) { fLook = kind; }
  virtual bool HasIcon() const { return false; }

  VCommand* GetCommand() const { return fCommand; }
  int32_t GetCommandId() const;
  // The command is being deleted.
  void ForgetCommand() { fCommand = nullptr; }
  bool IsEnabled() const { return fEnabled != 0; }
  void SetEnabled(bool enabled) { fEnabled = enabled ? 1 : 0; }
  bool IsCheckItem() const { return fCheck != 0; }
  bool IsSmallFont() const { return fSmallFont != 0; }
  void SetSmallFont(bool small) { fSmallFont = small ? 1 : 0; }
  int16_t GetHeight() const { return fHeight; }
  int16_t GetLook() const { return fLook; }
  int32_t GetParameter() const { return fParameter; }
  void SetParameter(int32_t parameter) { fParameter = parameter; }

 protected:
  VMenu* OwnerMenu() const;

  VCommand* fCommand = nullptr;
  int16_t fHeight = 0;
  uint8_t fEnabled = 1;
  uint8_t fCheck = 0;
  uint8_t fSmallFont = 0;
  int16_t fLook = -1;
  int32_t fParameter = 0;
};

class VSeparatorMenuItem : public VMenuItem {
 public:
  explicit VSeparatorMenuItem(VMenu* menu) : VMenuItem(menu, 0) {}
  bool IsSeparator() const override { return true; }
  // Half a row.
  int16_t Measure(VPort* port, int16_t rowHeight, int16_t& markWidth, int16_t& titleWidth,
                  int16_t& modifierWidth, int16_t& keyWidth) override;
  // The look's menu line across the middle.
  void Draw(VPort* port, bool selected, int16_t width, int16_t markWidth, int16_t titleWidth,
            int16_t modifierWidth, int16_t keyWidth) override;
};

class VTextMenuItem : public VMenuItem {
 public:
  // The title from a length-prefixed text (a string reference is resolved
  // through the file); the icon from the file's 'cicn' of that id (0: none).
  VTextMenuItem(VMenu* menu, int32_t commandId, VResourceFile* file, const uint8_t* text,
                int16_t iconId, bool check);
  // A ready title and icon (adopted; may be null).
  VTextMenuItem(VMenu* menu, int32_t commandId, const VString& title, VIconShape* icon);
  ~VTextMenuItem() override;

  void GetTitle(VString& out) const override;
  bool HasIcon() const override { return fIcon != nullptr; }
  int16_t Measure(VPort* port, int16_t rowHeight, int16_t& markWidth, int16_t& titleWidth,
                  int16_t& modifierWidth, int16_t& keyWidth) override;
  void Draw(VPort* port, bool selected, int16_t width, int16_t markWidth, int16_t titleWidth,
            int16_t modifierWidth, int16_t keyWidth) override;
  // What an item without title shows instead: its width, and its drawing.
  virtual int16_t MeasureContent(VPort*) { return 0; }
  virtual void DrawContent(VPort*, bool, int16_t, int16_t) {}
  // The mark for the command's value and its group's (numbers; the group
  // value only when the command has a group).
  virtual int16_t GetMark(int32_t value, const int32_t* groupValue, int32_t commandId) const;
  VIconShape* GetIcon() const { return fIcon.get(); }

 protected:
  VStr<255> fTitle;
  std::unique_ptr<VIconShape> fIcon;
};

// Shows its command's title.
class VNameMenuItem : public VTextMenuItem {
 public:
  using VTextMenuItem::VTextMenuItem;
  void GetTitle(VString& out) const override;
};

class VSubMenuItem : public VTextMenuItem {
 public:
  VSubMenuItem(VMenu* menu, int32_t commandId, VResourceFile* file, const uint8_t* text,
               int16_t iconId);
  // Deletes the sub-menu.
  ~VSubMenuItem() override;
  bool HasSubMenu() const override { return true; }
  void SetLook(int16_t kind) override;
  // Makes the sub-menu on first need and answers it (null: none).
  virtual VMenuBase* CreateSubMenu(VPort* port) = 0;
  void UnrealizeSubMenu(bool recursive);
  VMenuBase* GetSubMenu() const { return fSubMenu; }
  // Deletes the old sub-menu and takes this one.
  void SetSubMenu(VMenuBase* subMenu);

 protected:
  VMenuBase* fSubMenu = nullptr;
};

// A sub-menu loaded from another 'XMNU', named by the item's decimal text.
class VHierMenuItem : public VSubMenuItem {
 public:
  // The sub-menu is made now, when the item has a command and the id is not
  // one of the menus being loaded around it (which would nest for ever).
  VHierMenuItem(VMenu* menu, VPort* port, int32_t commandId, VResourceFile* file,
                int16_t subMenuId, int16_t iconId);
  void GetTitle(VString& out) const override;
  VMenuBase* CreateSubMenu(VPort*) override { return fSubMenu; }
};

// Opens the colour grid of the item's command.
class VColorMenuItem : public VSubMenuItem {
 public:
  using VSubMenuItem::VSubMenuItem;
  // Made on first need, only when the item has a command.
  VMenuBase* CreateSubMenu(VPort* port) override;
};

// Opens the pattern grid of the item's command.
class VPatternMenuItem : public VSubMenuItem {
 public:
  using VSubMenuItem::VSubMenuItem;
  VMenuBase* CreateSubMenu(VPort* port) override;
};

// Opens the menu of font names: the first list (every font) for fontList 1,
// the second for 0.
class VFontMenuItem : public VSubMenuItem {
 public:
  VFontMenuItem(VMenu* menu, int32_t commandId, VResourceFile* file, const uint8_t* text,
                int16_t iconId, uint8_t fontList)
      : VSubMenuItem(menu, commandId, file, text, iconId), fFontList(fontList) {}
  VMenuBase* CreateSubMenu(VPort* port) override;
  uint8_t GetFontList() const { return fFontList; }

 private:
  uint8_t fFontList;
};
