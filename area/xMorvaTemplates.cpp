// The area's template: one document per area, named after the area with
// "_" behind, kept as the host's named data or as a file, loaded when the
// host gives the area no document and saved by command 110.
#include <memory>

#include "area/files/xMorvaDocumentFile.h"
#include "area/files/xMorvaOpenSave.h"
#include "area/xMorvaAreaDialogs.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocument.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileStream.h"
#include "framework/system/files/VFolder.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/context/HostProcesses.h"
#include "host/context/VHostContext.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

// Document settings 10 and 11: the template is saved to, and loaded from,
// the host's named data rather than a file.
constexpr int16_t kSettingTemplateSavedByHost = 10;
constexpr int16_t kSettingTemplateLoadedByHost = 11;
// The item of the document texts (resource base + 10) naming the templates
// folder in the host's folder.
constexpr int16_t kItemTemplatesFolder = 35;
// Alert items (resource base + 6).
constexpr int16_t kTemplateAlertReplace = 13;
constexpr int16_t kTemplateAlertHostRefused = 11;
constexpr int16_t kTemplateAlertDamaged = 8;
constexpr int16_t kTemplateAlertUnknown = 9;
// The item of the error texts (resource base + 22) of a write that failed.
constexpr int16_t kTemplateWriteFailed = 13;

// The host keeps the templates: the fourth flag of its start-up answer,
// the one that also opens the package's data selectors to the module.
bool HostKeepsTemplates() { return gHostContext != nullptr && gHostContext->GetStartupFlag(4); }

bool TemplateDocumentSetting(xMorvaDocument& document, int16_t n) {
  uint16_t value = 0;
  document.GetAreaSetting(n, value, nullptr);
  return value != 0;
}

// The text up to and including its last separator ("/" or the host's
// "\"); empty when it has none.
void TemplateFolderOf(VString& text) {
  int32_t last = 0;
  for (int32_t i = 1; i <= text.GetLength(); ++i) {
    const char16_t c = text.GetCharAt(i);
    if (c == u'/' || c == u'\\') last = i;
  }
  if (last == 0)
    text.SetEmpty(false);
  else
    text.KeepRange(1, last);
}

// The folder of templates the host keeps: its folder, the templates
// folder's name, the host's name.
void HostTemplatesFolder(xMorvaMain* package, VString& folder) {
  HostGetText427(folder);
  TemplateFolderOf(folder);
  if (folder.GetLength() == 0) return;
  VStr<255> name;
  if (package != nullptr)
    package->GetListString(name, xMorvaPlugIn::kDocumentTextList, kItemTemplatesFolder);
  folder.Insert(name, folder.GetLength() + 1);
  folder.AppendUniChar(u'/');
  if (gHostContext != nullptr) folder.Insert(gHostContext->GetHostName(), folder.GetLength() + 1);
  folder.AppendUniChar(u'/');
}

// Makes the folder and each one above it that is missing.
bool MakeTemplateFolders(const VString& path) {
  for (int32_t i = 2; i <= path.GetLength(); ++i) {
    if (path.GetCharAt(i) != u'/' && i != path.GetLength()) continue;
    VStrInHandle part(path);
    part.KeepRange(1, i);
    VFolder folder(part);
    if (!folder.Resolve() && folder.Create(false) != 0) return false;
  }
  return true;
}

std::unique_ptr<VFile> TemplateFileIn(const VString& folder, const VString& name, uint32_t type) {
  VStrInHandle path(folder);
  path.Insert(name, path.GetLength() + 1);
  return std::make_unique<VFile>(path, type, kOwnCreator);
}

// What a template that is nowhere to be found gives, before it becomes
// 1015 without an alert.
constexpr int32_t kTemplateNotFound = -1;

int32_t ReadTemplateFileIn(xMorvaDocument& document, const VString& folder, VFile& file) {
  if (folder.GetLength() == 0 || !file.Resolve()) return kTemplateNotFound;
  VFileStream stream(&file, false);
  if (stream.OpenRead() != 0) return kTemplateNotFound;
  const int32_t code = ReadOwnOrOlderDocument(document, stream, true);
  stream.CloseRead();
  return code;
}

}  // namespace

int32_t xMorvaPlugIn::LoadTemplate() {
  // An area that takes no template, and one without one, start empty.
  if (!fDocument || IsUnplaced()) return kErrorDamagedData;
  xMorvaDocument& document = *fDocument;
  VStrInHandle name(GetObjectName());
  name.AppendUniChar(u'_');
  int32_t code = kTemplateNotFound;
  if (HostKeepsTemplates() && TemplateDocumentSetting(document, kSettingTemplateLoadedByHost)) {
    uint32_t handle = 0;
    if (HostReadNamedData(handle, name, kTypeOwnTemplate) ||
        HostReadNamedData(handle, name, kTypeOlderDocument)) {
      const int32_t size = Tbx::GetHandleSize(handle);
      const void* bytes = size > 0 ? Tbx::HLock(handle) : nullptr;
      VMemoryStream stream(bytes, bytes != nullptr ? uint32_t(size) : 0);
      if (stream.OpenRead() == 0) {
        code = ReadOwnOrOlderDocument(document, stream, true);
        stream.CloseRead();
      }
      if (bytes != nullptr) Tbx::HUnlock(handle);
      Tbx::DisposeHandle(handle);
    }
  } else if (HostKeepsTemplates()) {
    VStrInHandle folder;
    HostTemplatesFolder(GetMorvaPackage(), folder);
    std::unique_ptr<VFile> file = TemplateFileIn(folder, name, kTypeOwnTemplate);
    if (folder.GetLength() != 0 && file->Resolve()) {
      code = ReadTemplateFileIn(document, folder, *file);
    } else {
      HostGetText335(folder);
      TemplateFolderOf(folder);
      file = TemplateFileIn(folder, name, kTypeOlderDocument);
      code = ReadTemplateFileIn(document, folder, *file);
    }
  } else {
    VStrInHandle folder;
    HostGetText411(folder);
    TemplateFolderOf(folder);
    std::unique_ptr<VFile> file = TemplateFileIn(folder, name, kTypeOwnTemplate);
    if (!file->Resolve()) file = TemplateFileIn(folder, name, kTypeOlderDocument);
    code = ReadTemplateFileIn(document, folder, *file);
  }
  if (code == kTemplateNotFound) return kErrorDamagedData;
  if (code == kErrorNotThisFormat) ShowDocumentAlert(kAlertListOffset, kTemplateAlertUnknown);
  if (code == kErrorDamagedData) ShowDocumentAlert(kAlertListOffset, kTemplateAlertDamaged);
  if (code == kErrorRepairedData) {
    AskRepair();
    code = 0;
  }
  return code;
}

bool xMorvaPlugIn::SaveTemplate() {
  if (!fDocument) return false;
  xMorvaDocument& document = *fDocument;
  xMorvaMain* package = GetMorvaPackage();
  VMacResourceFile* resources = package != nullptr ? package->GetResourceFile() : nullptr;
  const int16_t alerts = int16_t(ResourceBase() + kAlertListOffset);
  VStrInHandle name(GetObjectName());
  name.AppendUniChar(u'_');
  // A template that cannot be written says so, as a document's save does:
  // the user must not believe it kept.
  auto failed = [] {
    ShowDocumentAlert(xMorvaMain::kErrorTextListOffset, kTemplateWriteFailed);
    return false;
  };

  if (HostKeepsTemplates() && TemplateDocumentSetting(document, kSettingTemplateSavedByHost)) {
    if (HostNameExists(name) && !ConfirmStringListItem(resources, alerts, kTemplateAlertReplace))
      return false;
    VMemHandle handle = 0;
    VHandleStream stream(handle);
    bool written = stream.OpenWrite() == 0 && WriteDocument(document, stream, false, false);
    written = stream.CloseWrite(1) == 0 && written;
    const uint32_t blob = written ? gMemoryMgr->ToMacHandle(handle, true) : 0;
    if (blob == 0) {
      if (handle != 0) gMemoryMgr->DisposeHandle(handle);
      return failed();
    }
    const bool taken = HostWriteNamedData(blob, name, kTypeOwnTemplate, 0);
    Tbx::DisposeHandle(blob);
    if (!taken) ShowDocumentAlert(kAlertListOffset, kTemplateAlertHostRefused);
    return taken;
  }
  // No folder from the host, or one that cannot be made: nowhere to write.
  VStrInHandle folder;
  if (HostKeepsTemplates()) {
    HostTemplatesFolder(package, folder);
    if (folder.GetLength() == 0 || !MakeTemplateFolders(folder)) return failed();
  } else {
    HostGetText411(folder);
    TemplateFolderOf(folder);
    if (folder.GetLength() == 0) return failed();
  }
  std::unique_ptr<VFile> file = TemplateFileIn(folder, name, kTypeOwnTemplate);
  if (file->Resolve() && !ConfirmStringListItem(resources, alerts, kTemplateAlertReplace))
    return false;
  return WriteDocumentFile(document, *file, kTypeOwnTemplate) || failed();
}
