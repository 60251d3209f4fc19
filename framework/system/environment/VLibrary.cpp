// The library loader over the platform's LoadLibraryA family.
#include "framework/system/environment/VLibrary.h"

#include <climits>
#include <cstdint>

#include "framework/core/strings/VUniString.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFolder.h"
#include "platform/win32/WinLibrary.h"

namespace {

// The longest path handed to the loader, terminator included.
constexpr int32_t kLibraryPathSize = PATH_MAX;
// A name is passed as at most 255 characters and a terminator.
constexpr int32_t kProcNameSize = 256;
// Module values below 32 are the loader's error codes, never a library.
constexpr uintptr_t kFirstModuleValue = 32;

// The name of a file as it stands on disk, extension included.
void DiskName(const VFile& file, VString& out) {
  VStrInHandle full;
  file.GetFullPath(full);
  SplitPathName(full, out, false);
}

// The canonical path of the folder that holds a file; empty when it cannot
// be reached.
void FolderIdentity(const VFile& file, VString& out) {
  VFolder* folder = file.GetParent();
  if (folder == nullptr) {
    out.SetEmpty(false);
    return;
  }
  folder->GetFullPath(out);
  delete folder;
}

}  // namespace

VLibrary::VLibrary() = default;

VLibrary::VLibrary(const VFile& file) { Load(file); }

VLibrary::~VLibrary() { Free(); }

void VLibrary::Load(const VFile& file) {
  Free();
  // The copy names the same file on disk: made from the full path, with the
  // name's own extension kept literally.
  VStrInHandle full;
  file.GetFullPath(full);
  fFile = std::make_unique<VFile>(full, 0, 0);
  if (!fFile->Resolve()) return;
  char path[kLibraryPathSize];
  if (!fFile->GetAnsiPath(path, kLibraryPathSize)) return;
  HMODULE module = LoadLibraryA(path);
  if (reinterpret_cast<uintptr_t>(module) < kFirstModuleValue) module = nullptr;
  fModule = module;
}

VLibraryProc VLibrary::GetProcAddress(const char* name) const {
  if (fModule == nullptr) return nullptr;
  return ::GetProcAddress(static_cast<HMODULE>(fModule), name);
}

VLibraryProc VLibrary::GetProc(const VString& name) const {
  char text[kProcNameSize];
  name.GetCText(text, kProcNameSize, kCharSetAnsi);
  return GetProcAddress(text);
}

void VLibrary::Free() {
  if (fModule != nullptr) {
    FreeLibrary(static_cast<HMODULE>(fModule));
    fModule = nullptr;
  }
  fFile.reset();
}

bool VLibrary::IsLoadedFrom(const VFile& file) const {
  if (fModule == nullptr || fFile == nullptr) return false;
  VStrInHandle loadedName;
  VStrInHandle name;
  DiskName(*fFile, loadedName);
  DiskName(file, name);
  if (loadedName.Compare(name, true) != 0) return false;
  VStrInHandle loadedFolder;
  VStrInHandle folder;
  FolderIdentity(*fFile, loadedFolder);
  FolderIdentity(file, folder);
  return loadedFolder.GetLength() > 0 && loadedFolder.Compare(folder, true) == 0;
}
