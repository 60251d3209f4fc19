// The standard file dialogs over the platform's choosers.
#include "controls/files/StandardFileDialogs.h"

#include <cstring>

#include "framework/core/intl/Utf.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileDialog.h"
#include "framework/system/files/VFileFilter.h"
#include "framework/system/files/VFileTypeMap.h"
#include "framework/system/files/VFolder.h"
#include "platform/win32/WinFileDialogs.h"
#include "platform/win32/WinLocale.h"
#include "platform/win32/WinShell.h"

namespace {

// The record's buffers: the chosen path and the dialog's title.
constexpr DWORD kNameBufferSize = 2048;
constexpr int32_t kTitleBufferSize = 256;
// The buffer of a folder's display name and path, as the shell fills it.
constexpr int32_t kShellPathSize = 260;
// A filter name is at most 63 characters and an extra text 80, each at
// most one ANSI byte, and a terminator.
constexpr int32_t kFilterNameSize = 64;
constexpr int32_t kExtraTextSize = 81;

// The flags of the two dialogs, without and with the extra button's
// template (which adds the hook and the template).
constexpr DWORD kSaveFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                             OFN_SHAREAWARE | OFN_EXPLORER | OFN_LONGNAMES | OFN_ENABLESIZING;
constexpr DWORD kOpenFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_LONGNAMES;
constexpr DWORD kTemplateFlags = OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
static_assert(kSaveFlags == 0xA84806 && (kSaveFlags | kTemplateFlags) == 0xA84866);
static_assert(kOpenFlags == 0x201804 && (kOpenFlags | OFN_EXPLORER | kTemplateFlags) == 0x281864);

// An extension longer than this is no extension the map could give a type.
constexpr size_t kLongestExtension = 4;

// What the hooks share with the dialog that runs them: the texts of the
// template's controls, and whether the extra button ended the dialog.
std::string sExtraTitle;
std::string sExtraSecond;
bool sExtraPressed = false;

// A string's text as ANSI bytes.
std::string AnsiOf(const VString& text, int32_t size) {
  std::string out(static_cast<size_t>(size), '\0');
  text.GetCText(out.data(), size, kCharSetAnsi);
  out.resize(std::strlen(out.c_str()));
  return out;
}

// A string's text as UTF-8, the form of paths on this platform. A lone
// surrogate, which UTF-8 cannot hold, becomes U+FFFD: the dialog still
// starts, with a name the user can correct.
std::string Utf8Of(const VString& text) {
  std::u16string units;
  const int32_t length = text.GetLength();
  for (int32_t i = 1; i <= length; ++i) units.push_back(text.GetCharAt(i));
  std::string out;
  Utf16ToUtf8(units, &out, VLoneSurrogate::kReplace);
  return out;
}

// The characters of a four-character extension code, up to its first NUL.
std::string ExtensionText(uint32_t extension) {
  std::string out;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = char((extension >> shift) & 0xFF);
    if (c == '\0') break;
    out.push_back(c);
  }
  return out;
}

uint32_t MappedExtension(uint32_t type) {
  if (type == kAnyFileType || gFileTypeMap == nullptr) return 0;
  return gFileTypeMap->ExtensionForFileType(type);
}

HWND MainWindow() { return gSystemServices != nullptr ? gSystemServices->GetMainWindow() : nullptr; }

HINSTANCE MainInstance() {
  return gSystemServices != nullptr ? static_cast<HINSTANCE>(gSystemServices->GetMainInstance())
                                    : nullptr;
}

// The record as the system knows it: the older systems take it without its
// last three fields.
DWORD RecordSize() {
  const int32_t os = VSystemServices::GetSystemVersion();
  return os == 6 || os == 7 ? DWORD(sizeof(OPENFILENAMEA)) : OPENFILENAME_SIZE_VERSION_400A;
}

// The languages whose systems give the extra button the system font.
bool WantsSystemFont(LANGID language) {
  for (LANGID l : {1028, 1037, 1041, 1042, 2052, 2066, 3076, 4100, 5124}) {
    if (language == l) return true;
  }
  return false;
}

// The hooks' common part: the template's controls get their texts (and the
// button the system font where the system's language asks for it) when the
// dialog starts; the extra button ends the dialog as a cancel (the chooser
// closes it) with the flag raised; when the dialog has started, the extra
// button goes under the Cancel button, 10 pixels below it, at its size.
UINT_PTR CommonHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  if (message == WM_INITDIALOG) {
    SetDlgItemTextA(dialog, kExtraButtonControl, sExtraTitle.c_str());
    if (!sExtraSecond.empty()) SetDlgItemTextA(dialog, kExtraTextControl, sExtraSecond.c_str());
    if (WantsSystemFont(GetSystemDefaultLangID())) SendDlgItemMessageA(dialog, kExtraButtonControl, WM_SETFONT, 0, 0);
    return 0;
  }
  if (message == WM_COMMAND && (wParam & 0xFFFF) == WPARAM(kExtraButtonControl)) {
    sExtraPressed = true;
    return 1;
  }
  const auto* notice = message == WM_NOTIFY ? reinterpret_cast<const OFNOTIFYA*>(lParam) : nullptr;
  if (notice != nullptr && notice->hdr.code == CDN_INITDONE) {
    RECT cancel{};
    if (GetDlgItemPlace(dialog, IDCANCEL, &cancel)) {
      const RECT place{cancel.left, cancel.bottom + 10, cancel.right, cancel.bottom + 10 + (cancel.bottom - cancel.top)};
      SetDlgItemPlace(dialog, kExtraButtonControl, &place);
    }
    return 1;
  }
  handled = false;
  return 0;
}

// The path a file chosen in the save dialog is written under. A name whose
// extension the map gives the chosen type (in any letter case) stays as the
// user typed it; so does one whose extension belongs to a type of the same
// kind (".htm" for a web page), which then becomes the file's type. Any other
// name keeps what the user typed and gets the type's extension added.
std::string SavedPath(const std::string& typed, size_t nameStart, size_t extensionAt,
                      uint32_t& type) {
  if (gFileTypeMap == nullptr || type == 0 || type == kAnyFileType) return typed;
  if (extensionAt > nameStart && extensionAt < typed.size() && typed[extensionAt - 1] == '.' &&
      typed.size() - extensionAt <= kLongestExtension) {
    uint32_t extension = 0;
    for (size_t k = 0; k < kLongestExtension; ++k) {
      const size_t at = extensionAt + k;
      extension = (extension << 8) | (at < typed.size() ? uint8_t(typed[at]) : 0);
    }
    VFileTypeMap::NormalizeExtension(extension);
    if (const uint32_t kept = gFileTypeMap->TypeKeepingExtension(extension, type); kept != 0) {
      type = kept;
      return typed;
    }
  }
  const uint32_t extension = MappedExtension(type);
  // A name without a dot gets the type's extension from the file reference.
  if (extension == 0 || extensionAt >= typed.size()) return typed;
  return typed + "." + ExtensionText(extension);
}

// The description of the save dialog that is running, for its hook.
VPutFileDialog* sSaveDialog = nullptr;

// The save dialog keeps the typed name's extension in step with the type:
// a type change puts the new type's extension after the name's last '.'.
UINT_PTR SaveHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled = false;
  const UINT_PTR result = CommonHook(dialog, message, wParam, lParam, handled);
  if (handled) return message == WM_NOTIFY ? 0 : result;
  if (message != WM_NOTIFY || lParam == 0) return 0;
  const auto* notice = reinterpret_cast<const OFNOTIFYA*>(lParam);
  if (notice->hdr.code == CDN_INCLUDEITEM) return 1;
  if (notice->hdr.code != CDN_TYPECHANGE || sSaveDialog == nullptr) return 0;
  const auto index = int16_t(SendDlgItemMessageA(dialog, kFileTypeItem, CB_GETCURSEL, 0, 0) + 1);
  sSaveDialog->SetTypeIndex(index);
  const VFileFilter* filter = sSaveDialog->GetFilter(index);
  if (filter == nullptr) return 0;
  char text[kNameBufferSize] = {};
  GetDlgItemTextA(dialog, kFileNameItem, text, int(sizeof text));
  std::string name = text;
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  if (name.empty()) name.assign(1, '*');
  const std::string pattern = filter->CountTypes() > 0 ? PatternOfType(filter->GetType(1)) : std::string();
  name += pattern.empty() ? ".*" : pattern.substr(1);
  SetDlgItemTextA(dialog, kFileNameItem, name.c_str());
  return 0;
}

// The open dialog's hook: the extra button alone.
UINT_PTR OpenHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled = false;
  return CommonHook(dialog, message, wParam, lParam, handled);
}

// Prepares the hook's texts from the description; false without an extra
// text.
bool TakeExtraTexts(const VFileDialog& dialog) {
  sExtraPressed = false;
  sExtraTitle.clear();
  sExtraSecond.clear();
  VStrInHandle text;
  if (!dialog.GetExtraText(1, text)) return false;
  sExtraTitle = AnsiOf(text, kExtraTextSize);
  if (dialog.GetExtraText(2, text)) sExtraSecond = AnsiOf(text, kExtraTextSize);
  return true;
}

// After the dialog: the hook's answer goes to the description.
void StoreExtraChoice(VFileDialog& dialog) {
  dialog.SetExtraChoice(sExtraPressed ? 1 : 0);
  sExtraPressed = false;
}

// A zeroed record from the memory manager, or null.
OPENFILENAMEA* NewRecord() {
  return static_cast<OPENFILENAMEA*>(gMemoryMgr->NewBlockClear(sizeof(OPENFILENAMEA)));
}

}  // namespace

std::string PatternOfType(uint32_t type) {
  const uint32_t extension = MappedExtension(type);
  if (extension == 0) return std::string();
  std::string pattern = "*." + ExtensionText(extension);
  for (char& c : pattern) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return pattern;
}

std::string BuildFilterText(const VFileDialog& dialog, bool forSave) {
  std::string text;
  for (int32_t n = 1; n <= dialog.CountFilters(); ++n) {
    const VFileFilter* filter = dialog.GetFilter(n);
    std::string patterns;
    if (forSave) {
      patterns = filter->CountTypes() > 0 ? PatternOfType(filter->GetType(1)) : std::string();
      if (patterns.empty()) patterns = "*.*";
    } else if (filter->CountTypes() == 0) {
      patterns = "*.*";
    } else {
      for (int32_t t = 1; t <= filter->CountTypes(); ++t) {
        const uint32_t type = filter->GetType(t);
        std::string pattern;
        if (type == kAnyFileType) {
          if (filter->CountTypes() == 1) pattern = "*.*";
        } else {
          pattern = PatternOfType(type);
        }
        if (pattern.empty()) continue;
        if (!patterns.empty()) patterns += ';';
        patterns += pattern;
      }
    }
    text += AnsiOf(filter->GetName(), kFilterNameSize);
    text += " (" + patterns + ")";
    text.push_back('\0');
    text += patterns;
    text.push_back('\0');
  }
  text.push_back('\0');
  return text;
}

VFile* ShowOpenFileDialog(VGetFileDialog& dialog) {
  OPENFILENAMEA* record = NewRecord();
  if (record == nullptr) return nullptr;
  const std::string filter = BuildFilterText(dialog, false);
  char name[kNameBufferSize] = {};
  const std::string title = AnsiOf(dialog.GetTitle(), kTitleBufferSize);

  record->lStructSize = RecordSize();
  record->hwndOwner = MainWindow();
  record->lpstrFilter = filter.c_str();
  record->nFilterIndex = DWORD(dialog.GetTypeIndex() > 0 ? dialog.GetTypeIndex() : 0);
  record->lpstrFile = name;
  record->nMaxFile = kNameBufferSize;
  if (!title.empty()) record->lpstrTitle = title.c_str();
  record->Flags = kOpenFlags;
  const bool extra = TakeExtraTexts(dialog);
  if (extra) {
    record->hInstance = MainInstance();
    record->lpTemplateName = MAKEINTRESOURCEA(kExtraButtonTemplate);
    record->lpfnHook = &OpenHook;
    record->Flags |= OFN_EXPLORER | kTemplateFlags;
  }

  const BOOL accepted = GetOpenFileNameA(record);
  if (extra) StoreExtraChoice(dialog);
  VFile* file = nullptr;
  if (accepted) {
    dialog.SetTypeIndex(int16_t(record->nFilterIndex));
    const std::string path = name;
    // An extension of at most four characters after the name's last dot
    // names the file's type: the map's, or a made-up one the map then keeps.
    // The reference is made from the whole path, so that it names the chosen
    // file as it is on disk whatever letter case the map gives the
    // extension; its type is then the map's type of that extension.
    if (gFileTypeMap != nullptr) {
      VStr<255> fileName;
      const size_t slash = path.rfind('/');
      fileName.SetAnsiCText(path.c_str() + (slash == std::string::npos ? 0 : slash + 1));
      const uint32_t extension = VFileTypeMap::LastExtensionOfFileName(fileName);
      if (extension != 0 && gFileTypeMap->FileTypeForExtension(extension) == 0)
        gFileTypeMap->AddMadeUpTypeForExtension(extension);
    }
    file = new VFile(path.c_str(), 0, 0);
  }
  gMemoryMgr->DisposeBlock(record);
  return file;
}

VFile* ShowSaveFileDialog(const VFile* suggested, VPutFileDialog& dialog) {
  OPENFILENAMEA* record = NewRecord();
  if (record == nullptr) return nullptr;
  const std::string filter = BuildFilterText(dialog, true);
  char name[kNameBufferSize] = {};
  const std::string title = AnsiOf(dialog.GetTitle(), kTitleBufferSize);

  // The starting name: the suggested file's name and the extension of its
  // type, in its folder.
  std::string initialName = "*.*";
  char folderPath[kNameBufferSize] = {};
  if (suggested != nullptr) {
    VStrInHandle fileName;
    suggested->GetName(fileName);
    initialName = fileName.GetLength() > 0 ? Utf8Of(fileName) : "*";
    const uint32_t extension = MappedExtension(suggested->GetFileType());
    initialName += extension != 0 ? '.' + ExtensionText(extension) : ".*";
    VFolder* folder = suggested->GetParent();
    if (folder != nullptr && !folder->GetAnsiPath(folderPath, kNameBufferSize)) folderPath[0] = '\0';
    delete folder;
  }
  if (initialName.size() < kNameBufferSize) std::memcpy(name, initialName.c_str(), initialName.size() + 1);

  record->lStructSize = RecordSize();
  record->hwndOwner = MainWindow();
  record->lpstrFilter = filter.c_str();
  record->nFilterIndex = DWORD(dialog.GetTypeIndex() > 0 ? dialog.GetTypeIndex() : 0);
  record->lpstrFile = name;
  record->nMaxFile = kNameBufferSize;
  if (folderPath[0] != '\0') record->lpstrInitialDir = folderPath;
  if (!title.empty()) record->lpstrTitle = title.c_str();
  record->Flags = kSaveFlags;
  if (dialog.CountFilters() > 1) {
    record->Flags |= OFN_ENABLEHOOK;
    record->lpfnHook = &SaveHook;
  }
  const bool extra = TakeExtraTexts(dialog);
  if (extra) {
    record->hInstance = MainInstance();
    record->lpTemplateName = MAKEINTRESOURCEA(kExtraButtonTemplate);
    record->lpfnHook = &SaveHook;
    record->Flags |= kTemplateFlags;
  }

  sSaveDialog = &dialog;
  const BOOL accepted = GetSaveFileNameA(record);
  sSaveDialog = nullptr;
  if (extra) StoreExtraChoice(dialog);
  VFile* file = nullptr;
  if (accepted) {
    dialog.SetTypeIndex(int16_t(record->nFilterIndex));
    if (const VFileFilter* chosen = dialog.GetFilter(dialog.GetTypeIndex()); chosen != nullptr) {
      uint32_t type = chosen->GetType(1);
      const std::string path = SavedPath(name, record->nFileOffset, record->nFileExtension, type);
      file = new VFile(path.c_str(), type, 0);
    }
  }
  gMemoryMgr->DisposeBlock(record);
  return file;
}

VFolder* ShowFolderDialog(const VString& title) {
  char display[kShellPathSize] = {};
  const std::string prompt = AnsiOf(title, kTitleBufferSize);
  BROWSEINFOA browse{};
  browse.hwndOwner = MainWindow();
  browse.pszDisplayName = display;
  browse.lpszTitle = prompt.c_str();
  ITEMIDLIST* list = SHBrowseForFolderA(&browse);
  if (list == nullptr) return nullptr;
  char path[kShellPathSize];
  const bool found = SHGetPathFromIDListA(list, path) != FALSE_;
  // The environment keeps the list as the last folder chosen; without it
  // the list goes back to the shell.
  if (gSystemServices != nullptr) {
    gSystemServices->SetLastFolderItem(list);
  } else {
    IMalloc* allocator = nullptr;
    if (SHGetMalloc(&allocator) == S_OK && allocator != nullptr) {
      allocator->Free(list);
      allocator->Release();
    }
  }
  return found ? new VFolder(path) : nullptr;
}
