// VToolBarsUserDialog: the user's toolbar dialog on the form "ToolbarsUser",
// whose user area "vCheckList" is a check list of the dock's toolbars: a
// check for each shown one. The dock fills the two arrays before the run
// and reads the checks after an OK.
#pragma once

#include <vector>

#include "host/dialog/VDialQv.h"
#include "views/VDockBar.h"

class VBooleanArray;
class VCheckListView;

class VToolBarsUserDialog : public VDialQv {
 public:
  // Neither array is owned; the check list edits `shown` in place.
  VToolBarsUserDialog(VStringArray& titles, VBooleanArray& shown);

  // The host draws "vCheckList" through the dialog's user-area routine.
  bool BeforeOpen() override;
  // "vCheckList" gets an area whose content is the check list in a
  // scrolled container; any other object gets nothing.
  VObject* CreateUserArea(const VString& objectName, void* areaCall) override;
  // The list goes with the user area, which the host closes after this.
  void Closing() override;

  VCheckListView* GetCheckList() const { return fCheckList; }

 private:
  VStringArray& fTitles;
  VBooleanArray& fShown;
  VCheckListView* fCheckList = nullptr;
};

// Runs the dialog on the dock's bars: each listed by its title, or by its
// resource id when it has none, checked when shown. True when the user
// confirmed, with the chosen states in place. A request made while the
// dialog is already up is refused, so one dock's answer cannot be taken
// over by another's.
bool RunToolBarsUserDialog(std::vector<VToolBarChoice>& bars);

// The dialog as the docks ask for it (VToolBarsUserDialogService).
extern const VToolBarsUserDialogRunner kToolBarsUserDialogRunner;
