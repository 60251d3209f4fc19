// The host's message boxes as dialogs: each runs one of the host's forms
// "xp_Ask", "xp_Alert" and "xp_Confirm" and adds nothing else. A run
// answers true when the user accepted the box.
#pragma once

#include "host/dialog/VDialQv.h"

class VAskDialog : public VDialQv {
 public:
  explicit VAskDialog(VDialQvOwner* owner);
  ~VAskDialog() override;
};

class VAlertDialog : public VDialQv {
 public:
  explicit VAlertDialog(VDialQvOwner* owner);
  ~VAlertDialog() override;
};

class VConfirmDialog : public VDialQv {
 public:
  explicit VConfirmDialog(VDialQvOwner* owner);
  ~VConfirmDialog() override;
};
