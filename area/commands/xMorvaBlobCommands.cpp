// The host-language commands that hand a document over as a BLOB in the own
// format and read one back: 36 (a new offscreen area from a BLOB), 37 and
// 51 (the document with its preview), 49 (read into an area), 139 and 140
// (with or without preview), 141 and 142 (read).
#include <cstring>

#include "area/files/xMorvaDocumentFile.h"
#include "area/files/xMorvaOpenSave.h"
#include "area/xMorvaCommandParams.h"
#include "area/xMorvaHostObject.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

using xMorvaCommandParams::HandleAt;
using xMorvaCommandParams::WordAt;

constexpr int32_t kErrorNoBlob = 1017;
constexpr int32_t kErrorNoMemory = 1041;
// Document setting 1: the preview shows the first page (else a blank one).
constexpr int16_t kSettingPreviewPage = 1;
constexpr int16_t kSettingModified = 3;

void PutHandle(void* slot, uint32_t value) {
  if (slot != nullptr) std::memcpy(slot, &value, sizeof value);
}

}  // namespace

int32_t xMorvaMain::ReadBlobDocument(xMorvaDocument& document, uint32_t blob, bool reset, bool* olderFormat) {
  int32_t code = kErrorNotThisFormat;
  if (olderFormat != nullptr) *olderFormat = false;
  const int32_t size = Tbx::GetHandleSize(blob);
  const void* bytes = size > 0 ? Tbx::HLock(blob) : nullptr;
  VMemoryStream stream(bytes, bytes != nullptr ? uint32_t(size) : 0);
  if (stream.OpenRead() == 0) {
    code = ReadOwnOrOlderDocument(document, stream, reset, olderFormat);
    stream.CloseRead();
  }
  if (bytes != nullptr) Tbx::HUnlock(blob);
  return code;
}

void xMorvaMain::LoadDocumentFromBlob(xMorvaDocument& document, uint32_t blob, bool emptyIsMissing) {
  int32_t code = kErrorNoBlob;
  const int32_t size = blob != 0 ? Tbx::GetHandleSize(blob) : 0;
  if (blob != 0 && !(emptyIsMissing && size <= 0)) {
    // The BLOB is read into a document of its own: the area's document is
    // replaced only by one that was read, and a damaged BLOB leaves it as
    // it was.
    xMorvaDocument scratch(nullptr);
    scratch.Reset(false);
    bool olderFormat = false;
    code = ReadBlobDocument(scratch, blob, true, &olderFormat);
    if ((code == 0 || code == kErrorRepairedData) && !TakeDocumentFrom(document, scratch, olderFormat))
      code = kErrorNoMemory;
    if (code == 0 || code == kErrorRepairedData) {
      if (xMorvaUndo* undo = document.GetUndo()) undo->Clear(false);
      document.SetAreaSetting(kSettingModified, 0, nullptr);
      document.UpdateReferencePrinter();
    }
    if (code == 0 || code == kErrorRepairedData || code == kErrorDamagedData) {
      document.ApplyViewOptions(true);
      document.Refresh(true, true);
    }
  }
  // A repaired document is recorded like any other code, so that the error
  // method hears of it.
  ReportCommandError(code);
}

void xMorvaMain::CommandNewAreaFromBlob(void** p, void* result) {
  PutHandle(result, 0);
  if (!MayCallMethods()) return;
  auto* area = new xMorvaPlugIn(this);
  area->ReloadCommands();
  uint32_t reference = area->GetReference();
  PutHandle(result, reference);
  void* params[] = {&reference};
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!ResolveArea(params, document, object)) return;
  LoadDocumentFromBlob(*document, HandleAt(p, 0), false);
}

void xMorvaMain::CommandReadBlob(int32_t selector, void** p) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!ResolveArea(p, document, object)) return;
  LoadDocumentFromBlob(*document, HandleAt(p, 1), selector != 49);
}

void xMorvaMain::CommandWriteBlob(int32_t selector, void** p, void* result) {
  PutHandle(result, 0);
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!ResolveArea(p, document, object)) return;
  bool preview = selector != 140;
  bool blank = true;
  bool markSaved = selector == 51;
  if (selector == 37 || selector == 51) {
    uint16_t previewPage = 0;
    document->GetAreaSetting(kSettingPreviewPage, previewPage, nullptr);
    blank = previewPage == 0;
  } else {
    markSaved = WordAt(p, 1) != 0;
    if (selector == 139) blank = WordAt(p, 2) == 0;
  }
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  bool written = false;
  if (stream.OpenWrite() == 0) {
    written = WriteDocument(*document, stream, preview, blank);
    stream.CloseWrite(1);
  }
  // The handle goes to the host as a Toolbox handle; one that cannot be
  // handed over is disposed of here.
  const uint32_t blob = written ? gMemoryMgr->ToMacHandle(handle, true) : 0;
  if (blob == 0) {
    if (handle != 0) gMemoryMgr->DisposeHandle(handle);
    ReportCommandError(kErrorNoMemory);
    return;
  }
  if (markSaved) document->SetAreaSetting(kSettingModified, 0, nullptr);
  PutHandle(result, blob);
  ReportCommandError(0);
}
