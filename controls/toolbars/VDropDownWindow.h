// VDropDownWindow: the small window (kind 7) in which a drop-down list shows
// its choices while its pop-up is open. Losing the focus closes the pop-up;
// closing gives the focus back to the list that opened it.
#pragma once

#include "views/VWindowView.h"

class VListControl;

class VDropDownWindow : public VWindowView {
 public:
  explicit VDropDownWindow(VListControl* list);

  // Deactivation ends the pop-up's loop.
  void LoseFocus(VFrame* next) override;
  void TakeFocus() override;
  void Close() override;

  VListControl* GetList() const { return fList; }

 private:
  VListControl* fList;
};
