// VWinFile: the file calls behind each operation of a file reference, the
// Macintosh type record, shortcuts, and the mapping of system errors.
#include "framework/system/files/VWinFile.h"

#include <cstring>
#include <string>

#include "framework/core/strings/VUniString.h"
#include "framework/system/files/PathText_p.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileTypeMap.h"
#include "framework/system/files/VFolder.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/toolbox/TbxFiles.h"
#include "platform/win32/WinFiles.h"

namespace {

// Buffer sizes of the calls that take 8-bit paths.
constexpr int32_t kStampPath = 260;
constexpr int32_t kRefPath = 1024;
constexpr int32_t kLongPath = 2048;
constexpr int32_t kNewPath = 2047;

constexpr char kAfpSuffix[] = ":AFP_AfpInfo";
constexpr uint32_t kAfpRecordSize = 60;

// The stored form of an empty resource file: the header at 0 and its copy
// at the map (256), both data and map offset 256, no data, a map of 30 bytes
// whose type list (offset 28) counts -1 types. Numbers are big-endian.
constexpr uint32_t kEmptyResourceFileSize = 288;

// The code of a call that failed: the mapped error, never 0.
int32_t Failure() {
  const int32_t code = LastFileError();
  return code != 0 ? code : kFileOtherError;
}

HANDLE Handle(void* h) { return static_cast<HANDLE>(h); }

// Opens a file without access to its data, for its size, times and identity.
HANDLE OpenForQuery(const char* path) {
  return CreateFileA(path, 0, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool Identity(const VFileSystemItem& item, BY_HANDLE_FILE_INFORMATION& info) {
  char path[kLongPath];
  if (!item.GetAnsiPath(path, kLongPath)) return false;
  HANDLE h = OpenForQuery(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  return ok;
}

}  // namespace

int32_t LastFileError() {
  switch (GetLastError()) {
    case ERROR_SUCCESS:
      return 0;
    case ERROR_HANDLE_EOF:
      return kFileEnd;
    case ERROR_HANDLE_DISK_FULL:
      return kFileDiskFull;
    default:
      return kFileOtherError;
  }
}

// ---------------------------------------------------------------- free operations

int32_t WriteMacFileInfo(const char* path, uint32_t type, uint32_t creator, bool& written) {
  written = false;
  if (path == nullptr) return kFileOtherError;
  const std::string stream = std::string(path) + kAfpSuffix;
  HANDLE h = CreateFileA(stream.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    // A volume without named streams: the record is silently absent.
    return GetLastError() == ERROR_INVALID_NAME ? 0 : kFileOtherError;
  }
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  uint8_t record[kAfpRecordSize] = {};
  bool ok = true;
  if (!existed) {
    record[0] = 'A', record[1] = 'F', record[2] = 'P', record[3] = 0;
    StoreLE32(record + 4, 0x00010000);
    StoreLE32(record + 12, 0x80000000);
    record[48] = 4;
  } else {
    // The other fields stay as they were; bytes the stream lacks count as 0.
    DWORD got = 0;
    ok = ReadFile(h, record, kAfpRecordSize, &got, nullptr) != 0;
    if (ok) ok = SetFilePointer(h, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
    if (ok) ok = SetEndOfFile(h) != 0;
  }
  StoreBE32(record + 16, type);
  StoreBE32(record + 20, creator);
  if (ok) {
    DWORD put = 0;
    ok = WriteFile(h, record, kAfpRecordSize, &put, nullptr) != 0 && put == kAfpRecordSize;
  }
  CloseHandle(h);
  if (!ok) return kFileOtherError;
  written = true;
  return 0;
}

bool ReadMacFileInfo(const char* path, uint32_t& type, uint32_t& creator) {
  type = creator = 0;
  if (path == nullptr) return false;
  const std::string stream = std::string(path) + kAfpSuffix;
  HANDLE h = CreateFileA(stream.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  uint8_t record[kAfpRecordSize] = {};
  DWORD got = 0;
  const bool read = ReadFile(h, record, kAfpRecordSize, &got, nullptr) != 0;
  CloseHandle(h);
  // A record too short to hold the creator, or of another kind, says nothing.
  if (!read || got < 24 || std::memcmp(record, "AFP", 4) != 0) return false;
  type = LoadBE32(record + 16);
  creator = LoadBE32(record + 20);
  return true;
}

bool ResolveShortcut(VString& path, bool follow, bool showInterface, bool& isFolder) {
  isFolder = false;
  std::string current;
  if (!files_p::Utf8Of(files_p::UnitsOf(path), &current)) return false;
  // One step: the link's target replaces the path when it has one.
  auto step = [](std::string& link, bool& folder) {
    char target[MAX_PATH];
    WIN32_FIND_DATAA data;
    if (!ShellLinkGetPathA(link.c_str(), target, MAX_PATH, &data) || target[0] == '\0')
      return false;
    link = target;
    folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
  };
  bool folder = false;
  if (!step(current, folder)) return false;
  // A chain ends at the first target that is no shortcut, or after a bounded
  // number of steps when the links form a loop.
  for (int32_t steps = 1; follow && !folder && steps < kMaxShortcutSteps; ++steps) {
    std::string next = current;
    bool nextFolder = false;
    if (!step(next, nextFolder)) break;
    current = next;
    folder = nextFolder;
  }
  files_p::SetUnits(path, files_p::UnitsOfUtf8(current));
  isFolder = folder;
  return true;
}

bool CreateShortcut(const VString& linkPath, const VString& targetPath) {
  std::string link, target;
  if (!files_p::Utf8Of(files_p::UnitsOf(linkPath), &link) ||
      !files_p::Utf8Of(files_p::UnitsOf(targetPath), &target))
    return false;
  if (link.size() >= MAX_PATH) return false;
  return ShellLinkCreateA(link.c_str(), target.c_str()) != 0;
}

// ---------------------------------------------------------------- VWinFile

VWinFile::VWinFile(VFile* owner) : fOwner(owner) {}

VWinFile::~VWinFile() {
  if (fHandle != nullptr) CloseHandle(Handle(fHandle));
}

bool VWinFile::IsOpen() const { return fHandle != nullptr; }

int32_t VWinFile::Open(int32_t permission, bool shared) {
  DWORD access, share;
  switch (permission) {
    case 1:
      access = GENERIC_READ, share = shared ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ;
      break;
    case 2:
      access = GENERIC_WRITE, share = FILE_SHARE_READ;
      break;
    case 3:
      access = GENERIC_READ | GENERIC_WRITE, share = FILE_SHARE_READ;
      break;
    case 4:
      access = GENERIC_READ | GENERIC_WRITE, share = FILE_SHARE_READ | FILE_SHARE_WRITE;
      break;
    default:
      return kFileBadPermission;
  }
  if (fHandle != nullptr) return kFileAlreadyOpen;
  char path[kLongPath];
  if (!fOwner->GetAnsiPath(path, kLongPath)) return Failure();
  HANDLE h = CreateFileA(path, access, share, nullptr, OPEN_EXISTING,
                         FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Failure();
  fHandle = h;
  return 0;
}

int32_t VWinFile::Create(bool temporary) {
  if (fHandle != nullptr) return kFileAlreadyOpen;
  char path[kLongPath];
  if (!fOwner->GetAnsiPath(path, kLongPath)) return Failure();
  HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                         FILE_FLAG_RANDOM_ACCESS | (temporary ? FILE_ATTRIBUTE_TEMPORARY : FILE_ATTRIBUTE_NORMAL),
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return Failure();
  fHandle = h;
  const uint32_t type = fOwner->GetFileType(), creator = fOwner->GetCreator();
  if (type != 0 && creator != 0 && gFileTypeMap != nullptr &&
      gFileTypeMap->SecondCodeForFileType(type) != 0) {
    // Whether the record could be written does not change the creation's result.
    bool written = false;
    WriteMacFileInfo(path, type, creator, written);
  }
  return 0;
}

int32_t VWinFile::CreateCopyBeside(const VFile& place, const char* tag, VString& copyPath) {
  if (fHandle != nullptr) return kFileAlreadyOpen;
  char placePath[kLongPath];
  char path[kLongPath];
  if (!place.GetAnsiPath(placePath, kLongPath)) return Failure();
  HANDLE h = CreateCopyBesideA(placePath, tag, path, kLongPath);
  if (h == INVALID_HANDLE_VALUE) return Failure();
  fHandle = h;
  files_p::SetUnits(copyPath, files_p::UnitsOfUtf8(path));
  return 0;
}

int32_t VWinFile::Close() {
  if (fHandle == nullptr) return kFileNotOpen;
  const BOOL ok = CloseHandle(Handle(fHandle));
  fHandle = nullptr;
  return ok ? 0 : Failure();
}

int32_t VWinFile::Flush() {
  if (fHandle == nullptr) return kFileNotOpen;
  return FlushFileBuffers(Handle(fHandle)) ? 0 : Failure();
}

int32_t VWinFile::Read(void* buffer, uint32_t& count) {
  const uint32_t asked = count;
  count = 0;
  if (fHandle == nullptr) return kFileNotOpen;
  DWORD got = 0;
  if (!ReadFile(Handle(fHandle), buffer, asked, &got, nullptr)) {
    count = got;
    return Failure();
  }
  count = got;
  return got < asked ? kFileEnd : 0;
}

int32_t VWinFile::Write(const void* buffer, uint32_t count) {
  if (fHandle == nullptr) return kFileNotOpen;
  DWORD put = 0;
  if (!WriteFile(Handle(fHandle), buffer, count, &put, nullptr)) return Failure();
  // A write that stops short has met a full disk.
  return put < count ? kFileDiskFull : 0;
}

int64_t VWinFile::GetPosition() {
  if (fHandle == nullptr) return -1;
  LONG high = 0;
  const DWORD low = SetFilePointer(Handle(fHandle), 0, &high, FILE_CURRENT);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) return -1;
  return int64_t((uint64_t(uint32_t(high)) << 32) | low);
}

int32_t VWinFile::SetPosition(int64_t offset, bool absolute) {
  if (fHandle == nullptr) return kFileNotOpen;
  LONG high = LONG(uint64_t(offset) >> 32);
  const DWORD low = SetFilePointer(Handle(fHandle), LONG(uint32_t(uint64_t(offset))), &high,
                                   absolute ? FILE_BEGIN : FILE_CURRENT);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) return Failure();
  return 0;
}

int64_t VWinFile::GetSize() {
  HANDLE h = Handle(fHandle);
  bool own = false;
  if (h == nullptr) {
    char path[kLongPath];
    if (!fOwner->GetAnsiPath(path, kLongPath)) return -1;
    h = OpenForQuery(path);
    if (h == INVALID_HANDLE_VALUE) return -1;
    own = true;
  }
  DWORD high = 0;
  const DWORD low = GetFileSize(h, &high);
  const bool failed = low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS;
  if (own) CloseHandle(h);
  if (failed) return -1;
  return int64_t((uint64_t(high) << 32) | low);
}

int32_t VWinFile::SetSize(int64_t size) {
  if (fHandle == nullptr) return kFileNotOpen;
  if (size < 0) return kFileOtherError;
  const int64_t position = GetPosition();
  if (position < 0) return Failure();
  if (int32_t r = SetPosition(size, true)) return r;
  const BOOL ok = SetEndOfFile(Handle(fHandle));
  const int32_t result = ok ? 0 : Failure();
  // The position stays where it was, also beyond the new end.
  SetPosition(position, true);
  return result;
}

int32_t VWinFile::Delete() {
  char path[kLongPath];
  if (!fOwner->GetAnsiPath(path, kLongPath)) return Failure();
  return DeleteFileA(path) ? 0 : Failure();
}

int32_t VWinFile::Rename(const VString& newName, VString& newPath) {
  char oldPath[kLongPath];
  if (!fOwner->GetAnsiPath(oldPath, kLongPath)) return Failure();
  VStrInHandle full;
  fOwner->AppendExtension(full);
  std::u16string units = files_p::UnitsOf(full);
  const size_t slash = units.find_last_of(files_p::kSeparator);
  units.resize(slash == std::u16string::npos ? 0 : slash + 1);
  units += files_p::UnitsOf(newName);
  files_p::SetUnits(newPath, units);
  std::string target;
  if (!files_p::Utf8Of(units, &target)) {
    SetLastError(ERROR_INVALID_NAME);
    return Failure();
  }
  if (target.size() > size_t(kNewPath)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return Failure();
  }
  return MoveFileA(oldPath, target.c_str()) ? 0 : Failure();
}

int32_t VWinFile::TakePlaceOf(const VFile& target, VString& newPath) {
  char path[kLongPath];
  char place[kLongPath];
  if (!fOwner->GetAnsiPath(path, kLongPath) || !target.GetAnsiPath(place, kLongPath)) return Failure();
  if (!PutFileInPlaceA(path, place)) return Failure();
  target.GetFullPath(newPath);
  return 0;
}

int32_t VWinFile::TakeProtectionOf(const VFile& target) {
  if (fHandle == nullptr) return kFileNotOpen;
  char place[kLongPath];
  if (!target.GetAnsiPath(place, kLongPath)) return Failure();
  return TakeProtectionOfA(Handle(fHandle), place) ? 0 : Failure();
}

int32_t VWinFile::GetFreeSpace(uint64_t& bytes) {
  bytes = 0;
  char path[kLongPath];
  if (!fOwner->GetAnsiPath(path, kLongPath)) return Failure();
  DWORD perCluster = 0, perSector = 0, freeClusters = 0, total = 0;
  if (!GetDiskFreeSpaceA(path, &perCluster, &perSector, &freeClusters, &total)) return Failure();
  bytes = uint64_t(perCluster) * perSector * freeClusters;
  return 0;
}

int32_t VWinFile::GetFileRef(Tbx::FileRef& ref) {
  std::memset(&ref, 0, sizeof ref);
  char path[kRefPath];
  if (!fOwner->GetAnsiPath(path, kRefPath)) return Tbx::bdNamErr;
  return Tbx::NativePathToFileRef(path, &ref);
}

int32_t VWinFile::SetFileRef(int32_t number) {
  if (fHandle != nullptr) return kFileNotOpen;
  HANDLE h = Tbx::OpenDeviceByNumber(number);
  if (h == INVALID_HANDLE_VALUE) return kFileOtherError;
  fHandle = h;
  return 0;
}

bool VWinFile::IsShortcut() {
  char path[kLongPath];
  if (!fOwner->GetAnsiPath(path, kLongPath)) return false;
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

VFileSystemItem* VWinFile::ResolveShortcut() {
  VStrInHandle path;
  fOwner->GetFullPath(path);
  bool isFolder = false;
  ::ResolveShortcut(path, true, false, isFolder);
  if (isFolder) {
    auto* folder = new VFolder(path);
    if (folder->Resolve()) return folder;
    delete folder;
    return nullptr;
  }
  auto* file = new VFile(path, 0, 0);
  if (file->Resolve()) return file;
  delete file;
  return nullptr;
}

int32_t VWinFile::MakeShortcut(const VFileSystemItem& target) {
  VStrInHandle link, destination;
  fOwner->GetFullPath(link);
  target.GetFullPath(destination);
  return CreateShortcut(link, destination) ? 0 : kFileOtherError;
}

int32_t VWinFile::CreateResourceFile(bool keepOpen) {
  if (fHandle != nullptr) return kFileAlreadyOpen;
  char path[kLongPath];
  if (!fOwner->GetAnsiPath(path, kLongPath)) return Failure();
  HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                         FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Failure();
  uint8_t bytes[kEmptyResourceFileSize] = {};
  for (uint32_t at : {0u, 256u}) {
    StoreBE32(bytes + at, 256);      // offset of the resource data
    StoreBE32(bytes + at + 4, 256);  // offset of the resource map
    StoreBE32(bytes + at + 8, 0);    // length of the resource data
    StoreBE32(bytes + at + 12, 30);  // length of the resource map
  }
  StoreBE16(bytes + 280, 28);      // offset of the type list
  StoreBE16(bytes + 282, 30);      // offset of the name list
  StoreBE16(bytes + 284, 0xFFFF);  // number of types minus one: none
  DWORD put = 0;
  const bool ok = WriteFile(h, bytes, kEmptyResourceFileSize, &put, nullptr) &&
                  put == kEmptyResourceFileSize &&
                  SetFilePointer(h, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
  if (!ok) {
    const int32_t code = put < kEmptyResourceFileSize ? kFileDiskFull : Failure();
    // No half-written file is left behind.
    CloseHandle(h);
    DeleteFileA(path);
    return code;
  }
  if (keepOpen) {
    fHandle = h;
    return 0;
  }
  return CloseHandle(h) ? 0 : Failure();
}

void VWinFile::GuessTypeFromName(uint32_t& type, uint32_t& creator) {
  type = 0;
  creator = 0;
  if (gFileTypeMap == nullptr) return;
  VStrInHandle full;
  fOwner->AppendExtension(full);
  type = gFileTypeMap->FileTypeForExtension(VFileTypeMap::ExtensionOfFileName(full));
}

bool VWinFile::IsSameFile(const VFile& other) {
  BY_HANDLE_FILE_INFORMATION mine, theirs;
  if (!Identity(*fOwner, mine) || !Identity(other, theirs)) return false;
  return mine.dwVolumeSerialNumber == theirs.dwVolumeSerialNumber &&
         mine.nFileIndexHigh == theirs.nFileIndexHigh &&
         mine.nFileIndexLow == theirs.nFileIndexLow;
}

uint64_t VWinFile::GetModificationStamp() {
  char path[kStampPath];
  if (!fOwner->GetAnsiPath(path, kStampPath)) return 0;
  HANDLE h = OpenForQuery(path);
  if (h == INVALID_HANDLE_VALUE) return 0;
  FILETIME written{0, 0};
  const bool ok = GetFileTime(h, nullptr, nullptr, &written) != 0;
  CloseHandle(h);
  if (!ok) return 0;
  return (uint64_t(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}
