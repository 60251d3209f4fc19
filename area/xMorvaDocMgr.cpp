// Loading a plug-in object's document from its host field and storing it
// back.
#include "area/xMorvaDocMgr.h"

#include "area/xMorvaPlugIn.h"

#include "area/files/xMorvaDocumentFile.h"
#include "area/files/xMorvaOpenSave.h"
#include "area/xMorvaAreaDialogs.h"
#include "area/xMorvaMain.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "framework/core/streams/VHostFieldStream.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/context/HostServices.h"

namespace {

constexpr uint32_t kTypeConversionAsked = FourCC("CONV");
constexpr int16_t kAlertNotThisFormat = 9;
constexpr int16_t kAlertDamaged = 8;
// Item of the command error texts shown when the field cannot be written.
constexpr int16_t kErrorItemNotSaved = 13;
constexpr int16_t kFieldTypePicture = 3;
// The status of a field stream that could not be opened.
constexpr int32_t kFieldNotOpened = 208;

xMorvaMain* Package() { return static_cast<xMorvaMain*>(gCurrentPackage); }

}  // namespace

xMorvaDocMgr::xMorvaDocMgr(xMorvaDocument* document, bool printing)
    : fDocument(document), fPrinting(printing ? 1 : 0) {}

int32_t xMorvaDocMgr::ReadField() {
  VHostFieldStream stream(GetTable(), GetField(), 0);
  if (stream.OpenRead() != 0) return kFieldNotOpened;
  bool olderFormat = false;
  const int32_t code = ReadOwnOrOlderDocument(*fDocument, stream, false, &olderFormat);
  if (code == 0 && olderFormat) fFromOlderFormat = 1;
  stream.CloseRead();
  return code;
}

void xMorvaDocMgr::LoadFromField(VObject*) {
  if (fDocument == nullptr) return;
  int32_t code = 0;
  bool read = false;
  if (GetTable() > 0 && IsFieldUsable()) {
    fFromOlderFormat = 0;
    code = ReadField();
    read = code != kFieldNotOpened;
    xMorvaMain* package = Package();
    if (code == kErrorNotThisFormat && package != nullptr) package->ShowAlert(kAlertNotThisFormat);
    if (code == kErrorDamagedData && package != nullptr) package->ShowAlert(kAlertDamaged);
    if (code == kErrorRepairedData) {
      AskRepair();
      code = 0;
    }
  }
  // Without a field the area starts from its template.
  if (!read) {
    auto* area = dynamic_cast<xMorvaPlugIn*>(fDocument->GetArea());
    code = area != nullptr ? area->LoadTemplate() : 0;
  }
  fLastLoadCode = code;
  if (code != 0) {
    fDocument->Reset(false);
  } else {
    if (xMorvaUndo* undo = fDocument->GetUndo()) undo->Clear(false);
    fDocument->SetAreaSetting(3, 0, nullptr);
    fDocument->UpdateReferencePrinter();
    if (fPrinting != 0) fDocument->ApplyToAllParts(1);
  }
  fDocument->ApplyViewOptions(false);
  fDocument->Refresh(true, true);
  // A field whose bytes could not be read keeps them: the empty document
  // shown in their place is not stored over them until the user changes it.
  if (read && code != 0) fDocument->HoldWriteBack();
}

void xMorvaDocMgr::SaveToField(VObject*) {
  if (fDocument == nullptr || GetTable() < 1) return;
  // After a failed load the field keeps what it holds: nothing is written,
  // and that is no failure to tell the user of.
  if (fDocument->IsWriteBackHeld()) return;
  xMorvaMain* package = Package();
  if (fFromOlderFormat != 0 && (package == nullptr || !MayStoreConverted(*package))) return;
  VHostFieldStream stream(GetTable(), GetField(), 0);
  bool saved = false;
  if (stream.OpenWrite() == 0) {
    const bool preview = HostGetFieldType(GetTable(), GetField(), false) == kFieldTypePicture;
    uint16_t option1 = 0;
    fDocument->GetAreaSetting(1, option1, nullptr);
    // A document that was not written whole is not handed to the host: the
    // field keeps what it held, and the stream drops the partial bytes.
    saved = WriteDocument(*fDocument, stream, preview, option1 == 0) && stream.CloseWrite(1) == 0;
  }
  if (saved) {
    fDocument->SetAreaSetting(3, 0, nullptr);
    // The field now holds the own format: the next store has nothing to
    // convert and asks no question.
    fFromOlderFormat = 0;
  } else if (package != nullptr) {
    ShowStringListItem(package->GetResourceFile(),
                       static_cast<int16_t>(package->GetResourceBase() + xMorvaMain::kErrorTextListOffset),
                       kErrorItemNotSaved);
  }
}

bool xMorvaDocMgr::MayStoreConverted(xMorvaMain& package) {
  uint16_t option5 = 0;
  package.GetOption(5, option5, nullptr);
  if (option5 == 0) return true;
  const auto id = static_cast<int16_t>(package.GetResourceBase());
  VMacResourceFile* prefs = package.GetPrefsFile();
  if (prefs != nullptr && prefs->HasResource(kTypeConversionAsked, id)) return true;
  bool dontAskAgain = false;
  if (!AskCanConvert(package, dontAskAgain)) return false;
  if (dontAskAgain) {
    package.SetOption(5, 0, nullptr);
    if (prefs != nullptr) {
      prefs->AddResource(kTypeConversionAsked, id, nullptr, nullptr, 0);
      prefs->UpdateFile();
    }
  }
  return true;
}
