// The questions of the editing area, through the dialogs when installed.
#include "area/xMorvaAreaDialogs.h"

#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/context/HostProcesses.h"

namespace {
constexpr int16_t kAlertSaveBeforeClosing = 20;
constexpr int16_t kAlertStoreConverted = 19;
// The repair question is asked until the user ticks its box, for as long as
// the module stays loaded.
bool sAskRepair = true;
}  // namespace

int16_t AskCanDelete(xMorvaPlugIn& area, bool flag) {
  if (xMorvaAreaDialogs* dialogs = xMorvaAreaDialogSlot::Get()) return dialogs->RunCanDelete(area, flag);
  xMorvaMain* package = area.GetMorvaPackage();
  if (package == nullptr) return kCanDeleteCancel;
  const bool save = ConfirmStringListItem(package->GetResourceFile(),
                                          static_cast<int16_t>(package->GetResourceBase() + xMorvaMain::kAlertListOffset),
                                          kAlertSaveBeforeClosing);
  return save ? kCanDeleteSave : kCanDeleteDiscard;
}

bool AskCanConvert(xMorvaMain& package, bool& dontAskAgain) {
  dontAskAgain = false;
  if (xMorvaAreaDialogs* dialogs = xMorvaAreaDialogSlot::Get()) return dialogs->RunCanConvert(dontAskAgain);
  return ConfirmStringListItem(package.GetResourceFile(),
                               static_cast<int16_t>(package.GetResourceBase() + xMorvaMain::kAlertListOffset),
                               kAlertStoreConverted);
}

void AskRepair() {
  xMorvaAreaDialogs* dialogs = xMorvaAreaDialogSlot::Get();
  if (!sAskRepair || dialogs == nullptr) return;
  bool dontAskAgain = false;
  dialogs->RunRepair(dontAskAgain);
  if (dontAskAgain) sAskRepair = false;
}

int16_t AskTextLoses(xMorvaPlugIn& area) {
  if (xMorvaAreaDialogs* dialogs = xMorvaAreaDialogSlot::Get()) return dialogs->RunTextLoses(area);
  xMorvaMain* package = area.GetMorvaPackage();
  if (package == nullptr) return kTextLosesCancel;
  const bool unicode = ConfirmStringListItem(package->GetResourceFile(),
                                             static_cast<int16_t>(package->GetResourceBase() + xMorvaMain::kAlertListOffset),
                                             kAlertTextLoses);
  return unicode ? kTextLosesUnicode : kTextLosesCancel;
}
