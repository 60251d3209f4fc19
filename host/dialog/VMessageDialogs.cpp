#include "host/dialog/VMessageDialogs.h"

VAskDialog::VAskDialog(VDialQvOwner* owner) : VDialQv(owner, "xp_Ask") {}
VAskDialog::~VAskDialog() = default;

VAlertDialog::VAlertDialog(VDialQvOwner* owner) : VDialQv(owner, "xp_Alert") {}
VAlertDialog::~VAlertDialog() = default;

VConfirmDialog::VConfirmDialog(VDialQvOwner* owner) : VDialQv(owner, "xp_Confirm") {}
VConfirmDialog::~VConfirmDialog() = default;
