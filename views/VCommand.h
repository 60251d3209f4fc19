// VCommand: one numbered action of a plug-in area with its user-visible
// state (title, enabled flag, value), the controls, menus and menu bars that
// show it, and the radio group it may belong to or be.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/VObject.h"
#include "framework/core/strings/VUniString.h"

class VArray;
class VCommandControl;
class VCommandMenu;
class VCommandMenuBar;
class VString;
class VValue;

// The value a group takes to say that its members are mixed; its members
// then hold 2.
constexpr int32_t kCommandGroupMixed = -97;

// Groups: a group command's value is the id of the member that is on; each
// member holds 1 (on), 0 (off) or 2 (mixed) in a long value. A member knows
// its group and the group lists its members; deleting either side takes it
// out of the other, so neither is left pointing at a deleted command.
class VCommand : public VObject {
 public:
  VCommand(int32_t id, const VString& title, bool isGroup);
  explicit VCommand(int32_t id);
  // Clears the command reference of every control and menu listener and
  // leaves the group (or frees the members of a group).
  ~VCommand() override;
  VCommand(const VCommand&) = delete;
  VCommand& operator=(const VCommand&) = delete;

  // Copies id, title, enabled state, group flag, a clone of the value, the
  // choice list (shared when borrowed, else cloned) and the group, and joins
  // that group. Listeners and members are not copied.
  void CopyFrom(const VCommand& other);

  int32_t GetId() const { return fId; }
  const VString& GetTitle() const { return fTitle; }
  bool IsEnabled() const { return fEnabled != 0; }
  bool IsGroup() const { return fIsGroup != 0; }
  VCommand* GetGroupCommand() const { return fGroup; }
  void SetGroupCommand(VCommand* group) { fGroup = group; }
  // Only a group takes members; the list keeps duplicates.
  void AddMember(VCommand* member);
  const std::vector<VCommand*>& GetMembers() const { return fMembers; }

  VValue* GetValue() const { return fValue; }
  // 0 without value.
  int32_t GetLong() const;
  // Clears the destination without value.
  void CopyValue(VValue& destination) const;
  // True without value.
  bool IsValueNull() const;
  VArray* GetChoiceList() const { return fChoiceList; }
  // A borrowed list stays its owner's; an owned one is deleted with the
  // command or when another replaces it.
  void SetChoiceList(VArray* list, bool borrowed);
  // The 1-based index of the value (null: the command's own) in the choice
  // list; 0 when absent or without list.
  int32_t FindChoice(const VValue* value = nullptr) const;

  // Listener lists refuse duplicates.
  void AddListener(VCommandControl* control);
  void RemoveListener(VCommandControl* control);
  void AddTitleListener(VCommandMenu* menu);
  void RemoveTitleListener(VCommandMenu* menu);
  void AddMenuBarListener(VCommandMenuBar* menuBar);
  void RemoveMenuBarListener(VCommandMenuBar* menuBar);

  // State changes. The sender (the control that caused the change, or null)
  // is not told; the mode is passed on to control listeners.
  // With adopt the command takes `value` over; else it keeps a clone. Null
  // leaves the command without value.
  void SetValue(VCommandControl* sender, VValue* value, bool adopt, int32_t mode);
  void SetLong(VCommandControl* sender, int32_t n, int32_t mode);
  void SetString(VCommandControl* sender, const VString& text, int32_t mode);
  void SetFromChoice(VCommandControl* sender, int32_t index, int32_t mode);
  void SetNull(VCommandControl* sender, int32_t mode);
  void SetEnabled(bool enabled, int32_t mode);
  void SetTitle(const VString& title);

  // Tells every control but the sender (with the mode), every menu and
  // every menu bar.
  void NotifyValueChanged(VCommandControl* sender, int32_t mode);

 private:
  // Gives the command a long value of n (replacing a value of another kind)
  // without telling anyone.
  void StoreLong(int32_t n);
  void RemoveMember(VCommand* member);
  void LeaveGroup();

  int32_t fId;
  VStr<255> fTitle;
  uint8_t fEnabled = 1;
  uint8_t fIsGroup = 0;
  uint8_t fChoiceBorrowed = 0;
  VValue* fValue = nullptr;
  VArray* fChoiceList = nullptr;
  std::vector<VCommandControl*> fControls;
  std::vector<VCommandMenu*> fMenus;
  std::vector<VCommandMenuBar*> fMenuBars;
  VCommand* fGroup = nullptr;
  std::vector<VCommand*> fMembers;
};
