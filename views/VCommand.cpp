// VCommand: values, choice lists, groups and the notices to listeners.
#include "views/VCommand.h"

#include <algorithm>

#include "framework/core/containers/VArray.h"
#include "framework/core/containers/ValueFactory.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VValue.h"
#include "views/VCommandListeners.h"

namespace {

template <typename T>
void AddUnique(std::vector<T*>& list, T* item) {
  if (item != nullptr && std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

template <typename T>
void RemoveItem(std::vector<T*>& list, T* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

VCommand::VCommand(int32_t id, const VString& title, bool isGroup)
    : fId(id), fIsGroup(isGroup ? 1 : 0) {
  fTitle.SetString(title, kWholeValue);
}

VCommand::VCommand(int32_t id) : fId(id) {}

VCommand::~VCommand() {
  // Copies: a listener may unregister itself while it is told.
  const std::vector<VCommandControl*> controls = fControls;
  for (VCommandControl* control : controls) control->ClearCommand();
  const std::vector<VCommandMenu*> menus = fMenus;
  for (VCommandMenu* menu : menus) menu->ClearCommand(this);
  LeaveGroup();
  for (VCommand* member : fMembers) {
    if (member->fGroup == this) member->fGroup = nullptr;
  }
  delete fValue;
  if (!fChoiceBorrowed) delete fChoiceList;
}

void VCommand::LeaveGroup() {
  if (fGroup != nullptr) fGroup->RemoveMember(this);
  fGroup = nullptr;
}

void VCommand::RemoveMember(VCommand* member) { RemoveItem(fMembers, member); }

void VCommand::CopyFrom(const VCommand& other) {
  if (this == &other) return;
  fId = other.fId;
  fTitle.SetString(other.fTitle, kWholeValue);
  fEnabled = other.fEnabled;
  fIsGroup = other.fIsGroup;
  delete fValue;
  fValue = other.fValue != nullptr ? other.fValue->Clone() : nullptr;
  if (other.fChoiceList == nullptr || other.fChoiceBorrowed) {
    SetChoiceList(other.fChoiceList, true);
  } else {
    SetChoiceList(static_cast<VArray*>(other.fChoiceList->Clone()), false);
  }
  LeaveGroup();
  fGroup = other.fGroup;
  if (fGroup != nullptr) fGroup->AddMember(this);
}

void VCommand::AddMember(VCommand* member) {
  if (fIsGroup && member != nullptr) fMembers.push_back(member);
}

int32_t VCommand::GetLong() const { return fValue != nullptr ? fValue->GetLong(kWholeValue) : 0; }

void VCommand::CopyValue(VValue& destination) const {
  if (fValue != nullptr) {
    fValue->CopyTo(destination, kWholeValue);
  } else {
    destination.Clear();
  }
}

bool VCommand::IsValueNull() const { return fValue == nullptr || fValue->IsNull(kWholeValue); }

void VCommand::SetChoiceList(VArray* list, bool borrowed) {
  if (list == fChoiceList) return;
  if (!fChoiceBorrowed) delete fChoiceList;
  fChoiceList = list;
  fChoiceBorrowed = borrowed ? 1 : 0;
}

int32_t VCommand::FindChoice(const VValue* value) const {
  if (value == nullptr) value = fValue;
  if (fChoiceList == nullptr || value == nullptr) return 0;
  return fChoiceList->FindValue(*value, 1, true, 0);
}

void VCommand::AddListener(VCommandControl* control) { AddUnique(fControls, control); }
void VCommand::RemoveListener(VCommandControl* control) { RemoveItem(fControls, control); }
void VCommand::AddTitleListener(VCommandMenu* menu) { AddUnique(fMenus, menu); }
void VCommand::RemoveTitleListener(VCommandMenu* menu) { RemoveItem(fMenus, menu); }
void VCommand::AddMenuBarListener(VCommandMenuBar* menuBar) { AddUnique(fMenuBars, menuBar); }
void VCommand::RemoveMenuBarListener(VCommandMenuBar* menuBar) { RemoveItem(fMenuBars, menuBar); }

void VCommand::NotifyValueChanged(VCommandControl* sender, int32_t mode) {
  const std::vector<VCommandControl*> controls = fControls;
  for (VCommandControl* control : controls) {
    if (control != sender) control->CommandValueChanged(mode);
  }
  const std::vector<VCommandMenu*> menus = fMenus;
  for (VCommandMenu* menu : menus) menu->CommandChanged(this);
  const std::vector<VCommandMenuBar*> bars = fMenuBars;
  for (VCommandMenuBar* bar : bars) bar->UpdateMenuItemTitle(this);
}

void VCommand::StoreLong(int32_t n) {
  if (fValue != nullptr && fValue->GetKind() != kValueLong) {
    delete fValue;
    fValue = nullptr;
  }
  if (fValue == nullptr) {
    fValue = new VLong(n);
  } else {
    fValue->SetLong(n, kWholeValue);
    if (fValue->IsNull(kWholeValue)) fValue->SetNull(false, kWholeValue);
  }
}

void VCommand::SetValue(VCommandControl* sender, VValue* value, bool adopt, int32_t mode) {
  // Listeners see the change coming (the sender included) and, unless the
  // mode is 0, again once it is made.
  NotifyValueChanged(nullptr, mode);
  const int32_t n = value != nullptr ? value->GetLong(kWholeValue) : 0;
  bool turnOn = false;
  if (fIsGroup) {
    for (VCommand* member : fMembers) {
      member->StoreLong(n == kCommandGroupMixed ? 2 : (n == member->fId ? 1 : 0));
    }
  } else if (fGroup != nullptr && n != 0) {
    turnOn = true;
    for (VCommand* other : std::vector<VCommand*>(fGroup->fMembers)) {
      if (other == this) continue;
      other->StoreLong(0);
      other->NotifyValueChanged(nullptr, 1);
    }
    fGroup->StoreLong(fId);
  }
  if (value != fValue) {
    delete fValue;
    fValue = nullptr;
    if (value != nullptr) fValue = adopt ? value : value->Clone();
    if (turnOn) StoreLong(1);
    if (mode != 0) NotifyValueChanged(nullptr, mode);
  } else if (turnOn) {
    StoreLong(1);
  }
}

void VCommand::SetLong(VCommandControl* sender, int32_t n, int32_t mode) {
  if (!fIsGroup && fGroup == nullptr) {
    bool changed = false;
    if (fValue != nullptr && fValue->GetKind() != kValueLong) {
      delete fValue;
      fValue = nullptr;
    }
    if (fValue == nullptr) {
      fValue = new VLong(n);
      changed = true;
    } else if (fValue->IsNull(kWholeValue) || fValue->GetLong(kWholeValue) != n) {
      fValue->SetLong(n, kWholeValue);
      fValue->SetNull(false, kWholeValue);
      changed = true;
    }
    if (changed) NotifyValueChanged(sender, mode);
    return;
  }
  if (GetLong() != n) {
    VLong temporary(n);
    SetValue(sender, &temporary, false, mode);
  }
}

void VCommand::SetString(VCommandControl* sender, const VString& text, int32_t mode) {
  bool changed = false;
  if (fValue != nullptr && (fValue->GetKind() != kValueString ||
                            static_cast<VString*>(fValue)->GetCapacity() < text.GetLength())) {
    delete fValue;
    fValue = nullptr;
  }
  if (fValue == nullptr) {
    fValue = text.Clone();
    changed = true;
  } else if (fValue->Compare(text, 1, 0) != 0) {
    fValue->SetString(text, kWholeValue);
    changed = true;
  }
  if (changed) NotifyValueChanged(sender, mode);
}

void VCommand::SetFromChoice(VCommandControl* sender, int32_t index, int32_t mode) {
  // An index outside the list would copy an element that is not there.
  if (fChoiceList == nullptr || index < 1 || index > fChoiceList->Count()) return;
  const int32_t kind = fChoiceList->GetElementKind();
  if (fValue != nullptr && fValue->GetKind() != kind) {
    delete fValue;
    fValue = nullptr;
  }
  if (fValue == nullptr) fValue = NewValueOfKind(kind);
  fChoiceList->CopyTo(*fValue, index);
  NotifyValueChanged(sender, mode);
}

void VCommand::SetNull(VCommandControl* sender, int32_t mode) {
  if (fValue == nullptr || fValue->IsNull(kWholeValue)) return;
  fValue->SetNull(true, kWholeValue);
  NotifyValueChanged(sender, mode);
}

void VCommand::SetEnabled(bool enabled, int32_t mode) {
  const uint8_t flag = enabled ? 1 : 0;
  if (flag == fEnabled) return;
  fEnabled = flag;
  const std::vector<VCommandControl*> controls = fControls;
  for (VCommandControl* control : controls) control->CommandEnabledChanged(enabled, 0);
  NotifyValueChanged(nullptr, mode);
}

void VCommand::SetTitle(const VString& title) {
  if (fTitle.Compare(title, 1, 0) == 0 && fTitle.GetLength() == title.GetLength()) return;
  fTitle.SetString(title, kWholeValue);
  const std::vector<VCommandMenu*> menus = fMenus;
  for (VCommandMenu* menu : menus) menu->CommandChanged(this);
  const std::vector<VCommandMenuBar*> bars = fMenuBars;
  for (VCommandMenuBar* bar : bars) bar->UpdateMenuItemTitle(this);
}
