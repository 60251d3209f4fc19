// The editing area's answers to the document model: the package's string
// lists and alerts.
#include "area/xMorvaDocumentAreaServices.h"

#include "framework/core/strings/VString.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/context/HostServices.h"
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

VValue* xMorvaEngineHostServices::EvaluateReference(const uint8_t*, uint32_t) { return nullptr; }

bool xMorvaEngineHostServices::GetReferenceNames(const uint8_t*, uint32_t, VString&, VString&, VString&,
                                                 VString&) {
  return false;
}
