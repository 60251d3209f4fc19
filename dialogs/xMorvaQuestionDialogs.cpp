// The question dialogs and the services through which the area asks them.
#include "dialogs/xMorvaQuestionDialogs.h"

#include "area/printing/xMorvaPrintCommands.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMacResourceFile.h"

xMorvaYesNoCancelDialog::xMorvaYesNoCancelDialog(xMorvaPlugIn* area, const char* formName, bool canCancel)
    : xMorvaDialog(area, formName), fCanCancel(canCancel ? 1 : 0), fAnswer(canCancel ? kCancel : kYes) {}

bool xMorvaYesNoCancelDialog::AfterOpen() {
  HostFormEnableObject("butCancel", fCanCancel != 0);
  return true;
}

bool xMorvaYesNoCancelDialog::Answer(const VString& objectName) {
  if (IsFormObject(objectName, "butYes")) {
    fAnswer = kYes;
  } else if (IsFormObject(objectName, "butNo")) {
    fAnswer = kNo;
  } else if (IsFormObject(objectName, "butCancel") && fCanCancel != 0) {
    fAnswer = kCancel;
  } else {
    return false;
  }
  return true;
}

void xMorvaYesNoCancelDialog::ItemHit(const VString& objectName, int16_t) {
  // Each of the three buttons ends the run.
  if (!Answer(objectName)) return;
  if (fAnswer == kCancel) {
    CancelDialog();
  } else {
    AcceptDialog();
  }
}

bool xMorvaYesNoCancelDialog::CanAccept(const VString& objectName, int16_t) {
  Answer(objectName);
  return true;
}

bool xMorvaYesNoCancelDialog::CanCancel(const VString& objectName, int16_t) {
  Answer(objectName);
  return true;
}

bool xMorvaTextLosesDialog::AfterOpen() {
  xMorvaYesNoCancelDialog::AfterOpen();
  const xMorvaMain* package = GetArea() != nullptr ? GetArea()->GetMorvaPackage() : nullptr;
  if (VMacResourceFile* file = package != nullptr ? package->GetResourceFile() : nullptr) {
    VStr<255> question;
    file->GetIndString(&question, ListId(xMorvaMain::kAlertListOffset), kAlertTextLoses);
    HostFormSetText("txtQuestion", question);
  }
  HostFormSetEnterable("txtQuestion", false);
  return true;
}

xMorvaAlwaysDialog::xMorvaAlwaysDialog(xMorvaPlugIn* area, const char* formName, const char* box)
    : xMorvaDialog(area, formName), fBox(box) {}

bool xMorvaAlwaysDialog::ReadValues() {
  fAlways = HostFormGetLong(fBox) != 0 ? 1 : 0;
  return true;
}

// ---- Services

// The buttons answer what the area's callers expect of them.
static_assert(xMorvaYesNoCancelDialog::kYes == kCanDeleteSave && xMorvaYesNoCancelDialog::kNo == kCanDeleteDiscard &&
                  xMorvaYesNoCancelDialog::kCancel == kCanDeleteCancel,
              "save, do not save, cancel");
static_assert(xMorvaYesNoCancelDialog::kYes == kTextLosesUnicode && xMorvaYesNoCancelDialog::kNo == kTextLosesAnyway &&
                  xMorvaYesNoCancelDialog::kCancel == kTextLosesCancel,
              "Unicode text, save anyway, cancel");
static_assert(xMorvaYesNoCancelDialog::kYes == kPaperFitDocument && xMorvaYesNoCancelDialog::kNo == kPaperPrintAsIs &&
                  xMorvaYesNoCancelDialog::kCancel == kPaperCancel,
              "fit the document, print as is, cancel");

int16_t xMorvaQuestionDialogService::RunCanDelete(xMorvaPlugIn& area, bool flag) {
  xMorvaCanDeleteDialog dialog(&area, flag);
  dialog.Run();
  return dialog.GetAnswer();
}

bool xMorvaQuestionDialogService::RunCanConvert(bool& dontAskAgain) {
  xMorvaCanConvertDialog dialog(nullptr);
  const bool accepted = dialog.Run();
  dontAskAgain = accepted && dialog.GetAlways();
  return accepted;
}

void xMorvaQuestionDialogService::RunRepair(bool& dontAskAgain) {
  xMorvaRepairDialog dialog(nullptr);
  const bool accepted = dialog.Run();
  dontAskAgain = accepted && dialog.GetAlways();
}

int16_t xMorvaQuestionDialogService::RunTextLoses(xMorvaPlugIn& area) {
  xMorvaTextLosesDialog dialog(&area);
  dialog.Run();
  return dialog.GetAnswer();
}

int16_t RunPaperQuestionDialog(xMorvaPlugIn& area) {
  xMorvaPaperChangeDialog dialog(&area, true);
  dialog.Run();
  return dialog.GetAnswer();
}
