// VFileSystemItem: paths and their forms, the look-up that caches whether an
// item exists, file times and file security.
#include "framework/system/files/VFileSystemItem.h"

#include <cstring>
#include <string>

#include "framework/core/values/VValue.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/files/PathText_p.h"
#include "framework/system/files/VFileTypeMap.h"
#include "framework/system/files/VFolder.h"
#include "platform/win32/WinFiles.h"

using files_p::kSeparator;

namespace {

// Buffer sizes of the calls that take 8-bit paths.
constexpr int32_t kShortPath = 260;
constexpr int32_t kSecurityPath = 1000;
constexpr int32_t kSearchPath = 4095;

bool IsNTFamily(int32_t os) { return os == 2 || os == 4 || os == 6 || os == 7; }

}  // namespace

VFileSystemItem::VFileSystemItem() = default;

VFileSystemItem::~VFileSystemItem() = default;

// ---------------------------------------------------------------- paths

void VFileSystemItem::SetPathText(const VString& path) {
  files_p::SetUnits(fPath, files_p::UnitsOf(path));
}

void VFileSystemItem::SetPathUnits(const char16_t* path) {
  std::u16string units;
  if (path != nullptr) units = path;
  files_p::SetUnits(fPath, units);
}

void VFileSystemItem::SetPathUtf8(const char* path) {
  files_p::SetUnits(fPath, files_p::UnitsOfUtf8(path != nullptr ? path : ""));
}

void VFileSystemItem::SetPathMac(const uint8_t* path) {
  if (path == nullptr) {
    fPath.Clear();
    return;
  }
  fPath.SetMacPText(path);
}

void VFileSystemItem::SetLiteralExtension(const char16_t* units, int32_t count) {
  if (fLiteralExtension == nullptr) fLiteralExtension = std::make_unique<VStrInHandle>();
  fLiteralExtension->SetUniChars(units, 0, count);
}

void VFileSystemItem::ClearLiteralExtension() { fLiteralExtension.reset(); }

void VFileSystemItem::SplitExtension(bool keep) {
  if (gFileTypeMap == nullptr) return;
  std::u16string units = files_p::UnitsOf(fPath);
  size_t dot = std::u16string::npos;
  for (size_t i = units.size(); i > 0; --i) {
    const char16_t c = units[i - 1];
    if (c == kSeparator) break;
    if (c == u'.') {
      dot = i - 1;
      break;
    }
  }
  // A dot that ends the name leaves nothing to split off.
  if (dot != std::u16string::npos && dot + 1 < units.size()) {
    if (keep) SetLiteralExtension(units.data() + dot + 1, int32_t(units.size() - dot - 1));
    units.resize(dot);
    files_p::SetUnits(fPath, units);
  } else if (keep) {
    SetLiteralExtension(nullptr, 0);
  }
}

uint32_t VFileSystemItem::GetPathFileType() const { return 0; }

void VFileSystemItem::AppendExtension(VString& out) const {
  std::u16string units = files_p::UnitsOf(fPath);
  if (fLiteralExtension != nullptr) {
    if (fLiteralExtension->GetLength() > 0) {
      units.push_back(u'.');
      units += files_p::UnitsOf(*fLiteralExtension);
    }
  } else if (const uint32_t type = GetPathFileType(); type != 0 && gFileTypeMap != nullptr) {
    const uint32_t extension = gFileTypeMap->ExtensionForFileType(type);
    if (extension != 0) {
      units.push_back(u'.');
      for (int k = 0; k < 4; ++k) {
        const uint8_t c = uint8_t(extension >> (24 - 8 * k));
        if (c == 0) break;
        units.push_back(char16_t(c));
      }
    }
  }
  files_p::SetUnits(out, units);
}

bool VFileSystemItem::GetAnsiPath(char* buffer, int32_t size) const {
  if (buffer == nullptr || size <= 0) return false;
  buffer[0] = '\0';
  VStrInHandle full;
  AppendExtension(full);
  std::string text;
  if (!files_p::Utf8Of(files_p::UnitsOf(full), &text) || text.find('\0') != std::string::npos) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  if (text.size() + 1 > size_t(size)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

bool VFileSystemItem::GetUniPath(char16_t* buffer, int32_t size) const {
  if (buffer == nullptr || size <= 0) return false;
  buffer[0] = 0;
  VStrInHandle full;
  AppendExtension(full);
  const std::u16string units = files_p::UnitsOf(full);
  if (units.size() + 1 > size_t(size)) return false;
  std::memcpy(buffer, units.c_str(), (units.size() + 1) * sizeof(char16_t));
  return true;
}

void VFileSystemItem::GetName(VString& out) const { SplitPathName(fPath, out, false); }

VFolder* VFileSystemItem::GetParent() const {
  VStrInHandle parent;
  GetParentPathText(fPath, parent);
  return new VFolder(parent);
}

bool VFileSystemItem::HasNoType() const { return false; }

// ---------------------------------------------------------------- state

bool VFileSystemItem::Resolve() {
  if (fState != kItemUnknown) return fState >= kItemPresent;
  VStrInHandle full;
  AppendExtension(full);
  const std::u16string units = files_p::UnitsOf(full);
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  if (IsNTFamily(VSystemServices::GetSystemVersion())) {
    // The long-path form takes absolute paths only; a relative name is
    // found by the search below.
    if (!units.empty() && units[0] == kSeparator) attributes = GetFileAttributesW(units.c_str());
  } else {
    char path[kShortPath];
    if (GetAnsiPath(path, kShortPath)) attributes = GetFileAttributesA(path);
  }
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    char folder[kSearchPath];
    char name[kSearchPath];
    char found[kSearchPath];
    const DWORD n = GetCurrentDirectoryA(kSearchPath, folder);
    if (n > 0 && n < DWORD(kSearchPath) && GetAnsiPath(name, kSearchPath)) {
      const DWORD m = SearchPathA(folder, name, nullptr, kSearchPath, found, nullptr);
      if (m > 0 && m < DWORD(kSearchPath)) {
        TakeFoundPath(found);
        attributes = GetFileAttributesA(found);
      }
    }
  }
  if (attributes == INVALID_FILE_ATTRIBUTES)
    fState = kItemAbsent;
  else
    fState = ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == IsFolder() ? kItemPresent
                                                                          : kItemOtherKind;
  return fState >= kItemPresent;
}

int32_t VFileSystemItem::GetState() {
  if (fState == kItemUnknown) Resolve();
  return fState;
}

// ---------------------------------------------------------------- times and security

void VFileSystemItem::GetFileTime(int32_t which, VDateRec& date, int32_t& time) const {
  date = VDateRec{};
  time = 0;
  VStrInHandle full;
  AppendExtension(full);
  const std::u16string units = files_p::UnitsOf(full);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(units.c_str(), GetFileExInfoStandard, &data)) return;
  const FILETIME& chosen = which == 2   ? data.ftCreationTime
                           : which == 3 ? data.ftLastAccessTime
                                        : data.ftLastWriteTime;
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&chosen, &st)) return;
  date.day = int16_t(st.wDay);
  date.month = int16_t(st.wMonth);
  date.year = int16_t(st.wYear);
  time = int32_t(st.wHour) * 3600 + int32_t(st.wMinute) * 60 + int32_t(st.wSecond);
}

void VFileSystemItem::GetModificationDate(VDateRec& date, int32_t& time) const {
  GetFileTime(1, date, time);
}

void VFileSystemItem::GetCreationDate(VDateRec& date, int32_t& time) const {
  GetFileTime(2, date, time);
}

void VFileSystemItem::GetAccessDate(VDateRec& date, int32_t& time) const {
  GetFileTime(3, date, time);
}

int32_t VFileSystemItem::SetSecurity() {
  char path[kSecurityPath];
  if (!GetAnsiPath(path, kSecurityPath)) return kFileOtherError;
  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)) return -1;
  // The open access list; the platform grants no more than owner read and
  // write and group read for it.
  if (!SetSecurityDescriptorDacl(&descriptor, TRUE_, nullptr, FALSE_)) return -1;
  return SetFileSecurityA(path, DACL_SECURITY_INFORMATION, &descriptor) ? 0 : kFileOtherError;
}

// ---------------------------------------------------------------- path texts

void SplitPathName(const VString& path, VString& out, bool ignoreTrailingSeparator) {
  std::u16string units = files_p::UnitsOf(path);
  if (ignoreTrailingSeparator && !units.empty() && units.back() == kSeparator) units.pop_back();
  const size_t slash = units.find_last_of(kSeparator);
  files_p::SetUnits(out, slash == std::u16string::npos ? units : units.substr(slash + 1));
}

void GetParentPathText(const VString& path, VString& out) {
  const std::u16string units = files_p::UnitsOf(path);
  const size_t slash = units.find_last_of(kSeparator);
  if (slash == std::u16string::npos)
    files_p::SetUnits(out, std::u16string());
  else if (slash == 0)
    files_p::SetUnits(out, std::u16string(1, kSeparator));  // the root is its own text
  else
    files_p::SetUnits(out, units.substr(0, slash));
}
