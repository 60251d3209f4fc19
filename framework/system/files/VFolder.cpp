// VFolder: folder creation, removal and listing, the current folder, and the
// folder's canonical path and Macintosh location.
#include "framework/system/files/VFolder.h"

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/system/files/PathText_p.h"
#include "framework/system/files/VFileTypeMap.h"
#include "platform/toolbox/TbxFiles.h"
#include "platform/win32/WinFiles.h"

namespace {

// Buffer sizes of the calls that take 8-bit paths.
constexpr int32_t kShortPath = 260;
constexpr int32_t kRefPath = 1024;
constexpr int32_t kLongPath = 2048;
// The longest name a listing hands out.
constexpr int32_t kMaxListedName = 255;

// The type the map gives the extension of a listed name (the characters
// after its last dot, at most four); 0 when it has none.
uint32_t TypeOfListedName(const std::u16string& name) {
  if (gFileTypeMap == nullptr) return 0;
  const size_t dot = name.find_last_of(u'.');
  if (dot == std::u16string::npos) return 0;
  uint32_t code = 0;
  for (size_t k = 0; k < 4; ++k) {
    const uint8_t c = dot + 1 + k < name.size() ? uint8_t(name[dot + 1 + k]) : 0;
    code |= uint32_t(c) << (24 - 8 * k);
  }
  VFileTypeMap::NormalizeExtension(code);
  return gFileTypeMap->FileTypeForExtension(code);
}

bool InTypes(const VLongArray& types, uint32_t type) {
  for (int32_t i = 1; i <= types.Count(); ++i)
    if (uint32_t(types.GetLong(i)) == type) return true;
  return false;
}

}  // namespace

VFolder::VFolder(const VString& path) {
  SetPathText(path);
  NormalizePath();
}

VFolder::VFolder(const char16_t* path) {
  SetPathUnits(path);
  NormalizePath();
}

VFolder::VFolder(const char* path) {
  SetPathUtf8(path);
  NormalizePath();
}

VFolder::VFolder(const uint8_t* path) {
  SetPathMac(path);
  NormalizePath();
}

VFolder::~VFolder() = default;

void VFolder::NormalizePath() {
  const int32_t length = fPath.GetLength();
  if (length > 0 && fPath.GetCharAt(length) != files_p::kSeparator)
    fPath.AppendUniChar(files_p::kSeparator);
}

void VFolder::SetPath(const VString& path) {
  SetPathText(path);
  ClearLiteralExtension();
  NormalizePath();
  fState = kItemUnknown;
}

void VFolder::TakeFoundPath(const char* path) {
  SetPathUtf8(path);
  NormalizePath();
}

void VFolder::GetName(VString& out) const { SplitPathName(fPath, out, true); }

// Canonical through the system's own resolution of the path, which leaves
// the process's current folder alone.
void VFolder::GetFullPath(VString& out) const {
  out.Clear();
  std::string path;
  if (!files_p::Utf8Of(files_p::UnitsOf(fPath), &path)) return;
  if (path.empty()) path.assign(1, '.');
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return;
  files_p::SetUnits(out, files_p::UnitsOfUtf8(resolved));
  std::free(resolved);
}

VFolder* VFolder::GetParent() const {
  std::u16string units = files_p::UnitsOf(fPath);
  if (units.size() > 1 && units.back() == files_p::kSeparator) units.pop_back();
  VStrInHandle path, parent;
  files_p::SetUnits(path, units);
  GetParentPathText(path, parent);
  return new VFolder(parent);
}

bool VFolder::IsFolder() const { return true; }

int32_t VFolder::Create(bool replace) {
  if (GetState() >= kItemOtherKind) {
    if (!replace) return kFileExists;
    if (int32_t r = Delete()) return r;
  }
  char path[kLongPath];
  if (!GetAnsiPath(path, kLongPath) || !CreateDirectoryA(path, nullptr)) {
    fState = kItemUnknown;
    return kFileFolderNotMade;
  }
  fState = kItemPresent;
  return 0;
}

int32_t VFolder::Delete() {
  if (GetState() != kItemPresent) return kFileNotFound;
  if (!IsEmpty()) return kFileFolderNotEmpty;
  char path[kLongPath];
  if (!GetAnsiPath(path, kLongPath) || !RemoveDirectoryA(path))
    return GetLastError() == ERROR_DIR_NOT_EMPTY ? kFileFolderNotEmpty : kFileNotDeleted;
  fState = kItemAbsent;
  return 0;
}

bool VFolder::IsEmpty() {
  if (GetState() != kItemPresent) return false;
  char path[kShortPath];
  if (!GetAnsiPath(path, kShortPath - 3)) return false;
  const std::string pattern = std::string(path) + "*.*";
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  int32_t entries = 0;
  bool onlyDots = true;
  bool more = true;
  while (more) {
    ++entries;
    const std::string name = data.cFileName;
    if (name != "." && name != "..") onlyDots = false;
    more = FindNextFileA(find, &data) != 0;
  }
  const bool ended = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(find);
  return entries == 2 && onlyDots && ended;
}

VFolder* VFolder::GetSubFolder(const VString& name) const {
  std::u16string units = files_p::UnitsOf(fPath);
  units += files_p::UnitsOf(name);
  VStrInHandle path;
  files_p::SetUnits(path, units);
  return new VFolder(path);
}

VStringArray* VFolder::ListEntries(const VLongArray* types, int32_t mode) {
  if (GetState() != kItemPresent) return nullptr;
  char path[kShortPath];
  if (!GetAnsiPath(path, kShortPath - 3)) return nullptr;
  const std::string pattern = std::string(path) + "*.*";
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return nullptr;
  auto* names = new VStringArray;
  do {
    if (data.cFileName[0] == '.') continue;
    const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::u16string name = files_p::UnitsOfUtf8(data.cFileName);
    if (isFolder) {
      if (mode == 1) continue;
    } else {
      if (mode == 2) continue;
      if (types != nullptr && !InTypes(*types, TypeOfListedName(name))) continue;
    }
    VStr<kMaxListedName> text;
    text.SetUniChars(name.data(), 0,
                     int32_t(name.size() < size_t(kMaxListedName) ? name.size() : kMaxListedName));
    names->AppendString(text, false);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

int32_t VFolder::SetCurrent() {
  char path[kLongPath];
  if (!GetAnsiPath(path, kLongPath)) return kFileOtherError;
  return SetCurrentDirectoryA(path) ? 0 : kFileOtherError;
}

int32_t VFolder::MakeCurrent() {
  if (GetState() != kItemPresent) return kFileOtherError;
  auto saved = std::make_unique<VFolder>("");
  if (saved->SetToCurrentDirectory() != 0) return kFileOtherError;
  fSavedFolder = std::move(saved);
  return SetCurrent();
}

int32_t VFolder::RestoreCurrent() {
  if (fSavedFolder == nullptr) return kFileOtherError;
  return fSavedFolder->SetCurrent();
}

int32_t VFolder::SetToCurrentDirectory() {
  std::vector<char> buffer(PATH_MAX);
  DWORD n = GetCurrentDirectoryA(DWORD(buffer.size()), buffer.data());
  if (n >= buffer.size()) {
    buffer.resize(n);
    n = GetCurrentDirectoryA(DWORD(buffer.size()), buffer.data());
  }
  if (n == 0 || n >= buffer.size()) return kFileOtherError;
  SetPathUtf8(buffer.data());
  ClearLiteralExtension();
  NormalizePath();
  fState = kItemUnknown;
  return 0;
}

int32_t VFolder::GetMacLocation(int32_t& directory, int16_t& volume) {
  directory = 0;
  volume = 0;
  char path[kRefPath];
  if (!GetAnsiPath(path, kRefPath - 1)) return kFileNoMacLocation;
  const std::string inside = std::string(path) + "a";
  Tbx::FileRef ref;
  Tbx::NativePathToFileRef(inside.c_str(), &ref);
  if (ref.directory == 0) return kFileNoMacLocation;
  directory = ref.directory;
  volume = ref.volume;
  return 0;
}
