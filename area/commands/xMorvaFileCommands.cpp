// The commands that move a whole document between an area and a file: the
// host language's 48 (open a file) and 50 (save or export to a file), and
// the area's open, save and save-as commands (102, 103, 104).
#include <cstring>

#include "area/commands/xMorvaCommandValues.h"
#include "area/files/xMorvaDocumentFile.h"
#include "area/files/xMorvaFileFormats.h"
#include "area/files/xMorvaOpenSave.h"
#include "area/xMorvaAreaDialogs.h"
#include "area/xMorvaHostObject.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocument.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileDialog.h"
#include "framework/system/files/VFileTypeMap.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/context/HostProcesses.h"
#include "host/context/HostServices.h"
#include "host/context/HostVariables.h"
#include "host/context/VHostContext.h"

namespace {

constexpr int32_t kCommandOpenFile = 102;
constexpr int32_t kCommandSaveFile = 103;
constexpr int32_t kCommandSaveFileAs = 104;
constexpr int32_t kCommandSaveTemplate = 110;
// Alert items of the alert list (resource base + 6) for the open's codes.
constexpr int16_t kOpenAlertNoMemory = 1;
constexpr int16_t kOpenAlertCannotOpen = 7;
constexpr int16_t kOpenAlertDamaged = 8;
constexpr int16_t kOpenAlertUnknownFormat = 9;
constexpr int16_t kOpenAlertCode1096 = 21;
// The item of the error texts (resource base + 22) for a failed write.
constexpr int16_t kSaveErrorTextWriteFailed = 13;
constexpr int32_t kSaveErrorTextFirstCode = 999;
constexpr int32_t kFileCommandNoMemory = 1041;
constexpr int32_t kFileCommandNotExecuted = 1092;

constexpr uint32_t kWordFileCreator = FourCC("MSWD");
constexpr uint32_t kHtmlFileCreator = FourCC("MOSS");

// A length-byte string of the host in the Macintosh set; empty for none.
void FileCommandStringAt(void** p, int i, VString& out) { xMorvaCommandValues::StringAt(p, i, out); }

// The four characters of a type into the host's string.
void PutFileTypeText(void** p, int i, uint32_t type) {
  if (p == nullptr || p[i] == nullptr) return;
  auto* text = static_cast<uint8_t*>(p[i]);
  text[0] = 4;
  for (int k = 0; k < 4; ++k) text[1 + k] = uint8_t(type >> (24 - 8 * k));
}

HostTextRecord* FileTextRecordAt(void** p, int i) {
  return p != nullptr ? static_cast<HostTextRecord*>(p[i]) : nullptr;
}

// A bare file name is looked for in the folder of the host's database: the
// host's document path up to its last separator.
void CompleteFilePath(VString& path) {
  if (path.FindChar(u'/', 1, false) != 0) return;
  VStrInHandle document;
  const bool fourth = gHostContext != nullptr && gHostContext->GetStartupFlag(4);
  if (fourth)
    HostGetText335(document);
  else
    HostGetText411(document);
  int32_t last = 0;
  for (int32_t i = 1; i <= document.GetLength(); ++i) {
    const char16_t c = document.GetCharAt(i);
    if (c == u'/' || c == u'\\') last = i;
  }
  if (last == 0) return;
  document.KeepRange(1, last);
  path.Insert(document, 1);
}

// The file a path the host gave names, for a file of `fileType`: the name
// stays as given when its extension is one of the type's, in any letter
// case, or one of a type of the same kind, which the file then takes; a
// name with another extension gets the type's after it, and one without
// any takes the type's from the file reference.
std::unique_ptr<VFile> FileNamedForType(VString& path, uint32_t fileType, uint32_t creator) {
  const int32_t length = path.GetLength();
  int32_t dot = 0;
  for (int32_t i = length; i >= 1; --i) {
    const char16_t c = path.GetCharAt(i);
    if (c == u'/') break;
    if (c == u'.') {
      dot = i;
      break;
    }
  }
  if (gFileTypeMap != nullptr && fileType != 0 && dot != 0 && dot < length) {
    // The extension the file reference then splits off: it keeps the name
    // as given only for this same extension.
    const uint32_t extension = VFileTypeMap::LastExtensionOfFileName(path);
    const uint32_t kept =
        extension != 0 ? gFileTypeMap->TypeKeepingExtension(extension, fileType) : 0;
    const uint32_t own = gFileTypeMap->ExtensionForFileType(fileType);
    if (kept != 0) {
      fileType = kept;
    } else if (own != 0) {
      path.AppendUniChar(u'.');
      for (int shift = 24; shift >= 0 && ((own >> shift) & 0xFF) != 0; shift -= 8)
        path.AppendUniChar(char16_t((own >> shift) & 0xFF));
    }
  }
  return std::make_unique<VFile>(path, fileType, creator);
}

// The full path of a chosen file, with the extension it has on disk, into
// the host's text record.
void PutChosenPath(HostTextRecord* record, const VFile& file) {
  if (record == nullptr) return;
  VStrInHandle path;
  file.AppendExtension(path);
  StringToHostText(path, *record);
}

// The export type of a file chosen in the save dialog: the file type the
// chosen filter (or the name's extension) gave the file, else the chosen
// filter's default type, 'TEXT' being Windows text; the own format when
// neither says.
uint32_t ChosenExportType(uint32_t dialogType, const VFile& file) {
  uint32_t type = file.GetFileType() != 0 ? file.GetFileType() : dialogType;
  if (type == kTypeMacText) type = kTypeTextWindows;
  return type != 0 ? type : kTypeOwnDocument;
}

// A plain text form chosen in the save dialog that cannot carry every
// character of the document is asked about first: Unicode text, which
// keeps them all, the chosen form anyway, or no save at all (false). A form
// that carries them, and every other type, is written as chosen.
bool SettleChosenTextType(xMorvaPlugIn& area, xMorvaDocument& document, uint32_t& type) {
  if (xMorvaFileFormats::CarriesEveryCharacter(document, type)) return true;
  switch (AskTextLoses(area)) {
    case kTextLosesUnicode: type = kTypeTextUnicode; return true;
    case kTextLosesAnyway: return true;
    default: return false;
  }
}

// The save chooser of both roads that ask for a file (the area's save-as
// and command 50 without a path): the file and its type, the plain-text
// question settled, and the host told whether a file was chosen. None when
// the user cancelled either: nothing is written then.
std::unique_ptr<VFile> ChooseSaveFile(xMorvaPlugIn& area, xMorvaDocument& document, int16_t resourceBase,
                                      uint32_t& type) {
  type = kTypeOwnDocument;
  std::unique_ptr<VFile> file(AskSaveFile(area.GetKeptFile().Get(), gModuleResFile, resourceBase, &type));
  if (file) type = ChosenExportType(type, *file);
  if (file && !SettleChosenTextType(area, document, type)) file.reset();
  document.SetHostOutcome(file != nullptr);
  return file;
}

}  // namespace

// ---- Commands 48 and 50.

void xMorvaMain::CommandOpenFile(void** p) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!ResolveArea(p, document, object)) return;
  xMorvaPlugIn* area = object->GetEditingArea();
  if (area == nullptr) {
    ReportCommandError(kErrorNoSuchFile);
    return;
  }
  VStrInHandle path;
  if (HostTextRecord* record = FileTextRecordAt(p, 1)) HostTextToString(path, *record);
  VStr<255> typeText;
  FileCommandStringAt(p, 2, typeText);

  std::unique_ptr<VFile> file;
  uint32_t type = 0;
  int32_t code = 0;
  if (path.GetLength() != 0) {
    CompleteFilePath(path);
    file = std::make_unique<VFile>(path);
    // The type asked for, else the one the file layer knows; a file of no
    // known type is told by its content (type 0).
    type = typeText.GetLength() != 0 ? typeText.GetOSType() : StoredFileType(*file);
    if (!file->Resolve()) {
      file.reset();
      code = kErrorNoSuchFile;
    }
  } else {
    file.reset(AskOpenFile(gModuleResFile, int16_t(GetResourceBase()), &type));
    if (file) PutChosenPath(FileTextRecordAt(p, 1), *file);
    document->SetHostOutcome(file != nullptr);
  }
  if (file) {
    code = OpenDocumentFile(*document, area->GetKeptFile(), std::move(file), type, nullptr);
    if (code == 0 || code == kErrorRepairedData || code == kErrorDamagedData ||
        code == kErrorReaderReport) {
      document->Refresh(true, true);
      area->UpdateBarState();
    }
    PutFileTypeText(p, 2, type);
  }
  ReportCommandError(code);
}

void xMorvaMain::CommandSaveFile(void** p) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!ResolveArea(p, document, object)) return;
  xMorvaPlugIn* area = object->GetEditingArea();
  if (area == nullptr) {
    ReportCommandError(kErrorExportFailed);
    return;
  }
  VStrInHandle path;
  if (HostTextRecord* record = FileTextRecordAt(p, 1)) HostTextToString(path, *record);
  VStr<255> typeText;
  FileCommandStringAt(p, 2, typeText);

  std::unique_ptr<VFile> file;
  uint32_t type = kTypeOwnDocument;
  // The path written, when it is not the one the host gave.
  VStrInHandle changedPath;
  if (path.GetLength() != 0) {
    if (typeText.GetLength() != 0) type = typeText.GetOSType();
    const uint32_t fileType =
        type == kTypeTextMac || type == kTypeTextWindows || type == kTypeTextUnicode ? kTypeMacText
                                                                                     : type;
    uint32_t creator = kOwnCreator;
    if (type == FourCC("DOC5") || type == FourCC("DOC6") || type == FourCC("DOC8"))
      creator = kWordFileCreator;
    if (type == kTypeHtmlFile) creator = kHtmlFileCreator;
    CompleteFilePath(path);
    const int32_t given = path.GetLength();
    file = FileNamedForType(path, fileType, creator);
    // Only an extension is ever added to the name.
    VStrInHandle written;
    file->AppendExtension(written);
    if (written.GetLength() != given) changedPath.Assign(written);
  } else {
    file = ChooseSaveFile(*area, *document, int16_t(GetResourceBase()), type);
    if (file) {
      PutChosenPath(FileTextRecordAt(p, 1), *file);
      PutFileTypeText(p, 2, type);
    }
  }
  // A save the user cancelled, at the chooser or at its question, writes
  // nothing, and the host hears so from the command's code as from the
  // menu's save.
  const int32_t code = file ? ExportDocumentFile(*document, area->GetKeptFile(), std::move(file), type)
                            : kFileCommandNotExecuted;
  // The host learns the name the file was written under.
  if (code == 0 && changedPath.GetLength() != 0) {
    if (HostTextRecord* record = FileTextRecordAt(p, 1)) StringToHostText(changedPath, *record);
  }
  ReportCommandError(code);
}

// ---- The area's file commands.

int16_t xMorvaPlugIn::ResourceBase() {
  xMorvaMain* package = GetMorvaPackage();
  return int16_t(package != nullptr ? package->GetResourceBase() : 0);
}

bool xMorvaPlugIn::RunFileCommand(int32_t command, int32_t& code) {
  code = 0;
  switch (command) {
    case kCommandOpenFile: {
      uint32_t type = 0;
      std::unique_ptr<VFile> file(AskOpenFile(gModuleResFile, ResourceBase(), &type));
      if (file) OpenFromFile(std::move(file), type);
      return true;
    }
    case kCommandSaveFile: code = SaveDocumentFile(); return true;
    case kCommandSaveFileAs: code = SaveDocumentFileAs(); return true;
    case kCommandSaveTemplate: SaveTemplate(); return true;
    default: return false;
  }
}

void xMorvaPlugIn::OpenFromFile(std::unique_ptr<VFile> file, uint32_t type) {
  if (!CanDeleteArea(false)) return;
  OpenAgreedFile(std::move(file), type);
}

int32_t xMorvaPlugIn::OpenLinkedDocument(xMorvaPlugIn& area, const VString& path, uint32_t type) {
  return area.OpenAgreedFile(std::make_unique<VFile>(path, type), type);
}

int32_t xMorvaPlugIn::OpenAgreedFile(std::unique_ptr<VFile> file, uint32_t type) {
  VStr<255> report;
  const int32_t code = OpenDocumentFile(*fDocument, fKeptFile, std::move(file), type, &report);
  fDocument->Refresh(true, true);
  UpdateBarState();
  switch (code) {
    case 0: break;
    case kErrorRepairedData: AskRepair(); break;
    case kErrorReaderReport: {
      uint8_t text[256];
      report.GetPText(text, 255, kCharSetMac);
      HostShowMessage(text);
      break;
    }
    case kErrorDamagedData: ShowDocumentAlert(kAlertListOffset, kOpenAlertDamaged); break;
    case kErrorNotThisFormat: ShowDocumentAlert(kAlertListOffset, kOpenAlertUnknownFormat); break;
    case kFileCommandNoMemory: ShowDocumentAlert(kAlertListOffset, kOpenAlertNoMemory); break;
    case 1096: ShowDocumentAlert(kAlertListOffset, kOpenAlertCode1096); break;
    default: ShowDocumentAlert(kAlertListOffset, kOpenAlertCannotOpen); break;
  }
  fDocument->SetHostOutcome(true);
  return code;
}

int32_t xMorvaPlugIn::SaveDocumentFile() {
  if (!fKeptFile.IsOwn()) return SaveDocumentFileAs();
  // The save is the user's own: it writes the document shown, also while
  // the bound field's save is held after a failed load (the field, not the
  // kept file, holds the bytes that load could not read).
  const int32_t code = SaveKeptFile(*fDocument, fKeptFile);
  if (code != 0) ShowDocumentAlert(xMorvaMain::kErrorTextListOffset, kSaveErrorTextWriteFailed);
  return code;
}

int32_t xMorvaPlugIn::SaveDocumentFileAs() {
  uint32_t type = kTypeOwnDocument;
  std::unique_ptr<VFile> file = ChooseSaveFile(*this, *fDocument, ResourceBase(), type);
  if (!file) return kFileCommandNotExecuted;
  const int32_t code = ExportDocumentFile(*fDocument, fKeptFile, std::move(file), type);
  if (code != 0) {
    ShowDocumentAlert(xMorvaMain::kErrorTextListOffset, int16_t(code - kSaveErrorTextFirstCode));
  }
  fDocument->Refresh(true, true);
  UpdateBarState();
  return code;
}
