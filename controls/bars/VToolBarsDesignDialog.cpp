// The toolbar design dialog: its tab control, the sub-pages that describe
// a new toolbar item and the icon picker, moved between by page.
#include "controls/bars/VToolBarsDesignDialog.h"

namespace {

constexpr const char* kTab = "vTabSubject";
constexpr const char* kRevert = "vRevert";
constexpr const char* kDefault = "vDefault";
// The host matches object names without regard to case, so "vOk" of the
// tab pages and "vOK" of the sub-pages are one name.
constexpr const char* kOk = "vOK";
constexpr const char* kCancel = "vCancel";
constexpr const char* kIconPick = "vIconPick";
// The page listing the toolbar's items, where new items are made and where
// their sub-pages come back to.
constexpr int16_t kItemsPage = 3;

struct NewItemPage {
  const char* object;
  int16_t page;
};
constexpr NewItemPage kNewItemPages[] = {
    {"vNewEdit", 8},  {"vNewCombo", 9},    {"vNewButton", 10},
    {"vNewMenu", 11}, {"vNewMessage", 12}, {"vNewWitness", 13},
};

bool Is(const VString& reported, const char* name) {
  VStr<255> other;
  other.SetAnsiCText(name);
  return reported.Compare(other, false) == 0;
}

}  // namespace

VToolBarsDesignDialog::VToolBarsDesignDialog(VDialQvOwner* parent,
                                             const std::vector<uint8_t>* configuration,
                                             const VString& title)
    : VDialQv(parent, "xp_ToolBarsDesign"), fConfiguration(configuration) {
  SetTitle(title);
}

bool VToolBarsDesignDialog::CanCancel(const VString&, int16_t page) { return page <= kLastTabPage; }

bool VToolBarsDesignDialog::CanAccept(const VString&, int16_t page) { return page <= kLastTabPage; }

bool VToolBarsDesignDialog::AfterOpen() {
  HostFormEnableObject("vNewCheck", false);
  HostFormEnableObject("vNewRadio", false);
  return true;
}

bool VToolBarsDesignDialog::HandleMessage(VObject*, int32_t message, int16_t value) {
  if (message == kMsgIconChosen) fPendingIcon = value;
  return true;
}

void VToolBarsDesignDialog::ShowTabObjects(bool show) {
  HostFormShowObjectPair(kTab, show);
  HostFormShowObjectPair(kRevert, show);
  HostFormShowObjectPair(kDefault, show);
}

void VToolBarsDesignDialog::OpenSubPage(int16_t page) {
  ShowTabObjects(false);
  HostFormSelectPage(page);
}

void VToolBarsDesignDialog::BackToPage(int16_t page) {
  // The tab control and its buttons belong to the tab pages only.
  if (page <= kLastTabPage) {
    ShowTabObjects(true);
    fTabPage = page;
  }
  HostFormSelectPage(page);
}

void VToolBarsDesignDialog::OpenIconPicker(int16_t page) {
  fReturnPage = page;
  fPendingIcon = 0;
  OpenSubPage(kIconPickerPage);
}

void VToolBarsDesignDialog::ItemHit(const VString& objectName, int16_t page) {
  if (page >= 1 && page <= kLastTabPage) fTabPage = page;
  if (Is(objectName, kTab)) {
    // Only a tab page can be chosen with the tabs: a sub-page reached that
    // way would have no tabs to leave it by, so any other value goes back
    // to the tab page shown before.
    const int32_t chosen = HostFormGetLong(kTab);
    if (chosen >= 1 && chosen <= kLastTabPage) fTabPage = static_cast<int16_t>(chosen);
    HostFormSelectPage(fTabPage);
    return;
  }
  if (page <= kLastTabPage) {
    // OK, Cancel, Revert and Default of the tab pages are the form's own.
    if (Is(objectName, kOk) || Is(objectName, kCancel) || Is(objectName, kRevert) ||
        Is(objectName, kDefault))
      return;
    if (page == kItemsPage) {
      for (const NewItemPage& item : kNewItemPages) {
        if (Is(objectName, item.object)) {
          OpenSubPage(item.page);
          return;
        }
      }
    } else if ((page == 6 || page == 7) && Is(objectName, kIconPick)) {
      OpenIconPicker(page);
    }
    return;
  }
  const bool ok = Is(objectName, kOk);
  const bool cancel = Is(objectName, kCancel);
  if (page == kIconPickerPage) {
    // The picker goes back to the page it was opened from, so that the
    // dialog can still be left; OK keeps the icon chosen for that page.
    if (!ok && !cancel) return;
    if (ok && fPendingIcon != 0) {
      fChosenIcon = fPendingIcon;
      fChosenIconPage = fReturnPage;
    }
    fPendingIcon = 0;
    BackToPage(fReturnPage >= 1 ? fReturnPage : kItemsPage);
    return;
  }
  if (ok || cancel) {
    BackToPage(kItemsPage);
  } else if ((page == 10 || page == 11) && Is(objectName, kIconPick)) {
    OpenIconPicker(page);
  }
}
