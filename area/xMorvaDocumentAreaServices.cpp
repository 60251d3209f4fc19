// The editing area's answers to the document model: the package's string
// lists and alerts, and the progress gauge on an area's status bar.
#include "area/xMorvaDocumentAreaServices.h"

#include <algorithm>

#include "controls/bars/VToolBar.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VString.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/context/HostServices.h"
#include "host/context/HostStructure.h"
#include "host/context/VHostRef.h"
#include "host/package/VPackage.h"

VPackage* xMorvaDocumentAreaServices::Package() const {
  return fPackage != nullptr ? fPackage : gCurrentPackage;
}

void xMorvaDocumentAreaServices::ShowAlert(int16_t listOffset, int16_t item) {
  VPackage* package = Package();
  if (package == nullptr) return;
  ShowStringListItem(package->GetResourceFile(),
                     static_cast<int16_t>(package->GetResourceBase() + listOffset), item);
}

void xMorvaDocumentAreaServices::GetListString(VString& text, int16_t listOffset, int16_t item) {
  VPackage* package = Package();
  if (package == nullptr || package->GetResourceFile() == nullptr) return;
  package->GetResourceFile()->GetIndString(
      &text, static_cast<int16_t>(package->GetResourceBase() + listOffset), item);
}

VMemHandle xMorvaDocumentAreaServices::CopyPackageResource(uint32_t type) {
  VPackage* package = Package();
  VResourceFile* file = package != nullptr ? package->GetResourceFile() : nullptr;
  if (file == nullptr) return 0;
  uint8_t owned = 0;
  const VResourceRef ref = file->GetResource(type, static_cast<int16_t>(package->GetResourceBase()), &owned);
  if (ref == 0) return 0;
  VMemHandle copy = 0;
  if (const void* data = file->LockResource(ref)) {
    copy = gMemoryMgr->NewHandleFromData(data, file->GetResourceSize(ref));
    file->UnlockResource(ref);
  }
  if (owned) file->ReleaseResource(ref);
  return copy;
}

// ---- The text engine's host

namespace {
// The out-of-memory text is the first item of the package's alert list.
constexpr int16_t kAlertOutOfMemory = 1;
}  // namespace

void xMorvaEngineHostServices::GetPackageString(int16_t offset, int16_t item, VString& out) {
  out.SetEmpty(true);
  fLists.GetListString(out, offset, item);
}

void xMorvaEngineHostServices::ShowMemoryAlert() { fLists.ShowAlert(kAlertListOffset, kAlertOutOfMemory); }

// A reference's stored bytes are one '5OBJ' (or '4OBJ') record.
VValue* xMorvaEngineHostServices::EvaluateReference(const uint8_t* reference, uint32_t size) {
  if (reference == nullptr || size == 0) return nullptr;
  const VHostRef ref(reference, size);
  return ref.WasRead() ? ref.Evaluate() : nullptr;
}

bool xMorvaEngineHostServices::GetReferenceNames(const uint8_t* reference, uint32_t size,
                                                 VString& table, VString& field, VString& option,
                                                 VString& format) {
  table.SetEmpty(false);
  field.SetEmpty(false);
  option.SetEmpty(false);
  format.SetEmpty(false);
  if (reference == nullptr || size == 0) return false;
  const VHostRef ref(reference, size);
  if (!ref.WasRead()) return false;
  int16_t tableNumber = 0, fieldNumber = 0;
  ref.GetNumbers(tableNumber, fieldNumber);
  if (tableNumber > 0) HostGetTableName(table, static_cast<uint16_t>(tableNumber), false);
  if (tableNumber > 0 && fieldNumber > 0) {
    HostGetFieldName(field, static_cast<uint16_t>(tableNumber), static_cast<uint16_t>(fieldNumber),
                     false);
  }
  ref.GetOptionName(option);
  ref.GetFormatName(format);
  return true;
}

// ---- Progress status.

bool xMorvaProgressStatus::BarTarget::IsShown() const { return fBar != nullptr && fBar->IsShown(); }

void xMorvaProgressStatus::BarTarget::BeginProgress(VResourceFile* file, int16_t listId,
                                                    int16_t messageIndex, uint32_t total) {
  // The gauge counts in signed longs; a larger total is kept at their top.
  fBar->ShowProgress(file, listId, messageIndex,
                     static_cast<int32_t>(std::min<uint32_t>(total, INT32_MAX)));
}

void xMorvaProgressStatus::BarTarget::SetProgress(uint32_t value) {
  fBar->AdvanceProgress(static_cast<int32_t>(std::min<uint32_t>(value, INT32_MAX)));
}

void xMorvaProgressStatus::BarTarget::EndProgress() { fBar->HideProgress(); }
