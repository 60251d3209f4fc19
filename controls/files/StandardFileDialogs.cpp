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

// Both hooks: the template's controls get their texts when the dialog
// starts, and the extra button ends the dialog as a cancel (the chooser
// closes it) with the flag raised.
UINT_PTR ExtraButtonHook(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetDlgItemTextA(dialog, kExtraButtonControl, sExtraTitle.c_str());
    if (!sExtraSecond.empty()) SetDlgItemTextA(dialog, kExtraTextControl, sExtraSecond.c_str());
    return 0;
  }
  if (message == WM_COMMAND && (wParam & 0xFFFF) == WPARAM(kExtraButtonControl)) {
    sExtraPressed = true;
    return 1;
  }
  return 0;
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
    record->lpfnHook = &ExtraButtonHook;
    record->Flags |= OFN_EXPLORER | kTemplateFlags;
  }

  const BOOL accepted = GetOpenFileNameA(record);
  if (extra) StoreExtraChoice(dialog);
  VFile* file = nullptr;
  if (accepted) {
    dialog.SetTypeIndex(int16_t(record->nFilterIndex));
    const std::string path = name;
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.find('.', nameStart);
    // An extension of at most four characters names the file's type: the
    // map's, or a made-up one the map then keeps. The reference is made from
    // the whole path, so that it names the chosen file as it is on disk
    // whatever letter case the map gives the extension; its type is then
    // the map's type of that extension.
    if (dot != std::string::npos && path.size() - dot - 1 <= kLongestExtension &&
        gFileTypeMap != nullptr) {
      uint32_t extension = 0;
      for (size_t k = 0; k < kLongestExtension; ++k) {
        const size_t at = dot + 1 + k;
        extension = (extension << 8) | (at < path.size() ? uint8_t(path[at]) : 0);
      }
      VFileTypeMap::NormalizeExtension(extension);
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
    initialName += extension != 0 ? "." + ExtensionText(extension) : ".*";
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
    record->lpfnHook = &ExtraButtonHook;
  }
  const bool extra = TakeExtraTexts(dialog);
  if (extra) {
    record->hInstance = MainInstance();
    record->lpTemplateName = MAKEINTRESOURCEA(kExtraButtonTemplate);
    record->lpfnHook = &ExtraButtonHook;
    record->Flags |= kTemplateFlags;
  }

  const BOOL accepted = GetSaveFileNameA(record);
  if (extra) StoreExtraChoice(dialog);
  VFile* file = nullptr;
  if (accepted) {
    std::string path = name;
    // The extension goes: the file takes the one of its type.
    const size_t extensionAt = record->nFileExtension;
    if (extensionAt > record->nFileOffset && extensionAt < path.size() && path[extensionAt - 1] == '.')
      path.resize(extensionAt - 1);
    dialog.SetTypeIndex(int16_t(record->nFilterIndex));
    if (const VFileFilter* chosen = dialog.GetFilter(dialog.GetTypeIndex()); chosen != nullptr)
      file = new VFile(path.c_str(), chosen->GetType(1), 0);
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
