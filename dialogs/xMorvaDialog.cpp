// The shared frame of the word processor's dialogs: the owner that hears of
// the runs, sub-dialogs, the package's lists and lengths in the document's
// unit.
#include "dialogs/xMorvaDialog.h"

#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "boundary/FourCC.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMacResourceFile.h"

void xMorvaDialogOwner::NotifyParent(VObject*, int32_t message, int16_t value) {
  if (fArea != nullptr) fArea->NotifyParent(nullptr, message, value);
}

xMorvaDialog::xMorvaDialog(xMorvaPlugIn* area, const char* formName)
    : xMorvaDialogOwnerSlot(area), VDialQv(area != nullptr ? &fDialogOwner : nullptr, formName) {}

bool xMorvaDialog::RunSubDialog(VDialQv& sub) {
  SetVisible(false);
  const bool accepted = sub.RunDialog(0);
  SetVisible(true);
  return accepted;
}

xMorvaDocument* xMorvaDialog::GetDocument() const {
  return GetArea() != nullptr ? GetArea()->GetDocument() : nullptr;
}

int16_t xMorvaDialog::ListId(int16_t offset) const {
  const xMorvaMain* package = GetArea() != nullptr ? GetArea()->GetMorvaPackage() : nullptr;
  return package != nullptr ? static_cast<int16_t>(package->GetResourceBase() + offset) : 0;
}

void xMorvaDialog::FillFromList(const char* object, int16_t offset) {
  const int16_t id = ListId(offset);
  if (id != 0) HostFormFillListFromResource(object, FourCC("STR#"), id);
}

VStringArray* xMorvaDialog::NewList(int16_t offset) const {
  const xMorvaMain* package = GetArea() != nullptr ? GetArea()->GetMorvaPackage() : nullptr;
  VMacResourceFile* file = package != nullptr ? package->GetResourceFile() : nullptr;
  return file != nullptr ? file->NewStringList(ListId(offset)) : nullptr;
}

void xMorvaDialog::ShowLength(const char* object, const xMorvaDocParams& params, int32_t pixels) {
  VStr<255> format;
  params.MakeNumberFormat(format);
  HostFormSetFormat(object, format);
  HostFormSetReal(object, params.ToDisplayUnit(pixels));
}

int32_t xMorvaDialog::ReadLength(const char* object, const xMorvaDocParams& params) {
  return params.FromDisplayUnit(HostFormGetReal(object));
}

void SetObjectActive(VDialQv& dialog, const char* name, bool active) {
  dialog.HostFormEnableObject(name, active);
  dialog.HostFormSetEnterable(name, active);
}

int32_t DropDownChoice(int32_t item, int32_t count, int32_t current) {
  if (item < 1 || item > count) return current;
  return item - 1;
}

bool ChooseColour(int32_t& colour) {
  if (gSystemServices == nullptr) return false;
  // A property colour is the platform's own colour value (red in the low
  // byte): the chooser starts from it and its answer is stored as it is.
  uint32_t chosen = static_cast<uint32_t>(colour) & 0xFFFFFFu;
  if (!gSystemServices->ChooseColor(chosen)) return false;
  colour = static_cast<int32_t>(chosen & 0xFFFFFFu);
  return true;
}
