// VFile: the states and result codes of a file reference over its platform
// side, the path of a typed file, and copying.
#include "framework/system/files/VFile.h"

#include <string>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/system/files/PathText_p.h"
#include "framework/system/files/VFileTypeMap.h"
#include "framework/system/files/VFolder.h"

namespace {

// The largest chunk of a copy held in memory at once.
constexpr uint32_t kCopyBlock = 32768;

bool IsPlainName(const std::u16string& name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  for (char16_t c : name)
    if (c == u'/' || c == u'\\' || c == 0) return false;
  return true;
}

}  // namespace

VFile::VFile(const VString& path, uint32_t type, uint32_t creator) : fWin(this) {
  SetPathText(path);
  Init(type, creator);
}

VFile::VFile(const char16_t* path, uint32_t type, uint32_t creator) : fWin(this) {
  SetPathUnits(path);
  Init(type, creator);
}

VFile::VFile(const char* path, uint32_t type, uint32_t creator) : fWin(this) {
  SetPathUtf8(path);
  Init(type, creator);
}

VFile::VFile(const uint8_t* path, uint32_t type, uint32_t creator) : fWin(this) {
  SetPathMac(path);
  Init(type, creator);
}

VFile::VFile(const VFolder& folder, const VString& name, uint32_t type, uint32_t creator)
    : fWin(this) {
  std::u16string units = files_p::UnitsOf(folder.GetPath());
  units += files_p::UnitsOf(name);
  files_p::SetUnits(fPath, units);
  Init(type, creator);
}

VFile::~VFile() {
  if (fOwnsCloseHook) delete fCloseHook;
}

void VFile::Init(uint32_t type, uint32_t creator) {
  fFileType = type;
  fCreator = creator;
  // The extension is split off while the type is still the given one: a file
  // made without a type keeps its own extension literally. So does a typed
  // file whose extension the map gives that same type: on a file system that
  // tells case apart, "letter.rtf" made as an RTF file stays "letter.rtf"
  // rather than becoming "letter.RTF", and "Report v1.2.rtf" keeps its
  // name too: the extension is the one after the last dot, which is the one
  // split off.
  bool keep = HasNoType();
  if (!keep && gFileTypeMap != nullptr) {
    const uint32_t extension = VFileTypeMap::LastExtensionOfFileName(fPath);
    keep = extension != 0 && gFileTypeMap->FileTypeForExtension(extension) == type;
  }
  SplitExtension(keep);
  if (type == 0) {
    fCreator = 0;
    if (gFileTypeMap != nullptr) {
      VStrInHandle full;
      AppendExtension(full);
      fFileType = gFileTypeMap->FileTypeForExtension(VFileTypeMap::ExtensionOfFileName(full));
    }
  }
}

void VFile::TakeNewPath(const VString& fullPath) {
  std::u16string units = files_p::UnitsOf(fullPath);
  const size_t slash = units.find_last_of(files_p::kSeparator);
  const size_t nameStart = slash == std::u16string::npos ? 0 : slash + 1;
  const size_t dot = units.find_last_of(u'.');
  if (dot != std::u16string::npos && dot >= nameStart && dot + 1 < units.size()) {
    SetLiteralExtension(units.data() + dot + 1, int32_t(units.size() - dot - 1));
    units.resize(dot);
  } else {
    // No extension, and none from the type either: the path is the name on disk.
    SetLiteralExtension(nullptr, 0);
  }
  files_p::SetUnits(fPath, units);
}

void VFile::TakeFoundPath(const char* path) {
  VStrInHandle found;
  files_p::SetUnits(found, files_p::UnitsOfUtf8(path));
  TakeNewPath(found);
}

void VFile::GetName(VString& out) const { SplitPathName(fPath, out, false); }

void VFile::GetFullPath(VString& out) const { AppendExtension(out); }

bool VFile::IsFolder() const { return false; }

bool VFile::HasNoType() const { return fFileType == 0 || fFileType == kAnyFileType; }

uint32_t VFile::GetPathFileType() const { return fFileType; }

// ---------------------------------------------------------------- open and close

int32_t VFile::Open(int32_t permission, bool shared) {
  if (IsOpen()) return kFileAlreadyOpen;
  if (GetState() != kItemPresent) return kFileNotFound;
  if (permission == 0) {
    for (int32_t p : {4, 3, 2, 1}) {
      if (fWin.Open(p) == 0) {
        fState = p + 3;
        return 0;
      }
    }
    return kFileNotOpened;
  }
  if (permission < 1 || permission > 4) return kFileBadPermission;
  if (fWin.Open(permission, shared) != 0) return kFileNotOpened;
  fState = permission + 3;
  return 0;
}

int32_t VFile::Close(bool mustBeOpen) {
  if (!IsOpen()) return mustBeOpen ? kFileNotOpen : 0;
  const bool writable = fState >= 5;
  // A close after a failed flush is no success: the bytes may not be on disk.
  const int32_t flushed = writable ? fWin.Flush() : 0;
  const int32_t closed = fWin.Close();
  fState = kItemPresent;
  if (flushed != 0 || closed != 0) return kFileNotClosed;
  if (writable && fCloseHook != nullptr && !fCloseHook->ConfirmClose(*this))
    return kFileCloseRefused;
  return 0;
}

// ---------------------------------------------------------------- transfer

int32_t VFile::ReadAt(int64_t position, void* buffer, uint32_t& count) {
  if (int32_t r = SetPosition(position)) {
    count = 0;
    return r;
  }
  return Read(buffer, count);
}

int32_t VFile::Read(void* buffer, uint32_t& count) {
  if (!IsOpen()) {
    count = 0;
    return kFileNotOpen;
  }
  if (fAttachedStream != nullptr) fAttachedStream->FlushToFile();
  return fWin.Read(buffer, count);
}

int32_t VFile::Write(const void* buffer, uint32_t count) {
  if (fState < 5) return kFileNotWritable;
  return fWin.Write(buffer, count);
}

int32_t VFile::WriteAt(int64_t position, const void* buffer, uint32_t count) {
  if (int32_t r = SetPosition(position)) return r;
  return Write(buffer, count);
}

int64_t VFile::GetPosition() { return IsOpen() ? fWin.GetPosition() : -1; }

int32_t VFile::SetPosition(int64_t position) {
  if (!IsOpen()) return kFileNotOpen;
  return fWin.SetPosition(position, true);
}

int32_t VFile::Move(int64_t offset) {
  if (!IsOpen()) return kFileNotOpen;
  return fWin.SetPosition(offset, false);
}

int64_t VFile::GetSize() {
  if (!IsOpen() && GetState() != kItemPresent) return -1;
  if (fAttachedStream != nullptr) return fAttachedStream->GetStreamSize();
  return fWin.GetSize();
}

int32_t VFile::SetSize(int64_t size) {
  if (fState < 5) return kFileNotWritable;
  return fWin.SetSize(size);
}

int32_t VFile::Flush() {
  if (!IsOpen()) return kFileNotOpen;
  return fWin.Flush();
}

// ---------------------------------------------------------------- file operations

int32_t VFile::Create(bool replace, bool temporary) {
  if (IsOpen()) return kFileExists;
  if (GetState() >= kItemOtherKind) {
    if (!replace) return kFileExists;
    fState = kItemUnknown;
    if (fWin.Delete() != 0) return kFileNotDeleted;
  }
  fState = kItemUnknown;
  if (int32_t r = fWin.Create(temporary)) return r;
  fState = 6;
  return 0;
}

std::unique_ptr<VFile> VFile::NewCopyBeside(const VFile& place, const char* tag) {
  VStrInHandle placePath;
  place.GetFullPath(placePath);
  auto copy = std::make_unique<VFile>(placePath);
  VStrInHandle copyPath;
  if (copy->fWin.CreateCopyBeside(place, tag, copyPath) != 0) return nullptr;
  copy->TakeNewPath(copyPath);
  copy->fState = 6;
  return copy;
}

int32_t VFile::Delete() {
  if (IsOpen()) return kFileAlreadyOpen;
  if (GetState() != kItemPresent) return kFileNotFound;
  fState = kItemUnknown;
  return fWin.Delete() == 0 ? 0 : kFileNotDeleted;
}

int32_t VFile::Rename(const VString& newName) {
  if (IsOpen()) return kFileAlreadyOpen;
  if (GetState() != kItemPresent) return kFileNotFound;
  fState = kItemUnknown;
  // A name that would reach into another folder, or name a folder itself.
  if (!IsPlainName(files_p::UnitsOf(newName))) return kFileBadName;
  VStrInHandle newPath;
  if (int32_t r = fWin.Rename(newName, newPath)) return r;
  TakeNewPath(newPath);
  return 0;
}

int32_t VFile::TakePlaceOf(VFile& target) {
  if (IsOpen() || target.IsOpen()) return kFileAlreadyOpen;
  if (GetState() != kItemPresent) return kFileNotFound;
  fState = kItemUnknown;
  target.fState = kItemUnknown;
  VStrInHandle newPath;
  if (int32_t r = fWin.TakePlaceOf(target, newPath)) return r;
  TakeNewPath(newPath);
  return 0;
}

int32_t VFile::TakeProtectionOf(const VFile& target) {
  if (!IsOpen()) return kFileNotOpen;
  return fWin.TakeProtectionOf(target);
}

int32_t VFile::CopyTo(VFile& destination, bool replace, bool intoExisting) {
  if (GetState() != kItemPresent) return kFileNotFound;
  // Copying a file onto itself would empty or delete the source before a
  // byte of it is read.
  if (destination.GetState() == kItemPresent && fWin.IsSameFile(destination)) return kFileExists;
  if (intoExisting) {
    if (destination.GetState() != kItemPresent) return kFileNotFound;
    if (int32_t r = destination.Open(2)) return r;
    if (int32_t r = destination.SetSize(0)) {
      destination.Close(false);
      return r;
    }
  } else if (int32_t r = destination.Create(replace)) {
    return r;
  }
  const bool openedSource = !IsOpen();
  int32_t error = openedSource ? Open(1) : 0;
  const int64_t size = error == 0 ? GetSize() : 0;
  if (error == 0 && size < 0) error = kFileOtherError;
  int64_t copied = 0;
  if (error == 0 && size > 0) {
    const uint32_t blockSize = size < int64_t(kCopyBlock) ? uint32_t(size) : kCopyBlock;
    void* block = gMemoryMgr->NewBlock(blockSize);
    if (block == nullptr) error = kFileNoMemory;
    while (error == 0 && copied < size) {
      uint32_t n = uint32_t(size - copied < int64_t(blockSize) ? size - copied : blockSize);
      int32_t r = ReadAt(copied, block, n);
      // A source that shrank under the copy ends it at what could be read.
      if (n > 0 && (r == 0 || r == kFileEnd)) {
        const int32_t w = destination.WriteAt(copied, block, n);
        if (w != 0) r = w;
        else copied += n;
      }
      if (r != 0) error = r;
      if (n == 0) break;
    }
    if (block != nullptr) gMemoryMgr->DisposeBlock(block);
  }
  // The destination ends where the copy ended.
  const int32_t truncated = destination.SetSize(copied);
  const int32_t sourceClosed = openedSource && IsOpen() ? Close(false) : 0;
  const int32_t destinationClosed = destination.Close(false);
  if (error != 0) return error;
  if (truncated != 0) return truncated;
  return sourceClosed != 0 ? sourceClosed : destinationClosed;
}

int32_t VFile::CopyToPath(const VString& path, bool replace, bool intoExisting) {
  VFile destination(path, fFileType, fCreator);
  return CopyTo(destination, replace, intoExisting);
}

int32_t VFile::CopyFrom(VFile& source, bool replace) {
  return source.CopyTo(*this, replace, false);
}

int32_t VFile::AttachStream(VFileStreamLink* stream) {
  if (fAttachedStream != nullptr && stream != nullptr && stream != fAttachedStream)
    return kFileAlreadyOpen;
  fAttachedStream = stream;
  return 0;
}

void VFile::SetCloseHook(VFileCloseHook* hook, bool owns) {
  if (fOwnsCloseHook && fCloseHook != hook) delete fCloseHook;
  fCloseHook = hook;
  fOwnsCloseHook = owns ? 1 : 0;
}

bool VFile::GetTypeFlag() const {
  return gFileTypeMap != nullptr && gFileTypeMap->FileTypeFlag(fFileType);
}

// A shortcut is a symbolic link, which looks like its target: one to a folder
// is found as a folder, and is a shortcut all the same.
bool VFile::IsShortcut() {
  if (GetState() < kItemOtherKind) return false;
  return fWin.IsShortcut();
}

VFileSystemItem* VFile::ResolveShortcut() {
  const int32_t state = GetState();
  if (state < kItemOtherKind || (state == kItemOtherKind && !fWin.IsShortcut())) return nullptr;
  return fWin.ResolveShortcut();
}

int32_t VFile::MakeShortcut(const VFileSystemItem& target) {
  if (GetState() >= kItemOtherKind) return kFileExists;
  fState = kItemUnknown;
  return fWin.MakeShortcut(target);
}

int32_t VFile::CreateResourceFile(bool replace, bool keepOpen) {
  if (IsOpen()) return kFileExists;
  if (GetState() >= kItemOtherKind) {
    if (!replace) return kFileExists;
    fState = kItemUnknown;
    if (fWin.Delete() != 0) return kFileNotDeleted;
  }
  fState = kItemUnknown;
  if (int32_t r = fWin.CreateResourceFile(keepOpen)) return r;
  fState = keepOpen ? 6 : kItemPresent;
  return 0;
}

int32_t VFile::SetFileRef(int32_t number) {
  if (IsOpen()) return kFileNotOpen;
  if (int32_t r = fWin.SetFileRef(number)) return r;
  fState = 6;
  return 0;
}

int32_t VFile::GetFileRef(Tbx::FileRef& ref) { return fWin.GetFileRef(ref); }

int32_t VFile::GetFreeSpace(uint64_t& bytes) { return fWin.GetFreeSpace(bytes); }

uint64_t VFile::GetModificationStamp() { return fWin.GetModificationStamp(); }
