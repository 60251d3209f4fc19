// The area that opens a dialog, told before (-998) and after (-997) its run.
#pragma once

#include "host/dialog/VDialQv.h"
#include "views/VFrame.h"

class xMorvaAreaDialogOwner final : public VDialQvOwner {
 public:
  explicit xMorvaAreaDialogOwner(VFrame& area) : fArea(area) {}
  void NotifyParent(VObject*, int32_t message, int16_t value) override { fArea.NotifyParent(nullptr, message, value); }

 private:
  VFrame& fArea;
};
