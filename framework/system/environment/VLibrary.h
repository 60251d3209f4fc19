// VLibrary: a dynamic library loaded from a file reference, handing out its
// entry points by name.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/VObject.h"

class VFile;
class VString;

// An entry point as the loader gives it; callers cast it to its own type.
using VLibraryProc = void (*)();

class VLibrary : public VObject {
 public:
  // Nothing loaded.
  VLibrary();
  // Loads the library of the file (see Load).
  explicit VLibrary(const VFile& file);
  // Frees the library when one is loaded.
  ~VLibrary() override;
  VLibrary(const VLibrary&) = delete;
  VLibrary& operator=(const VLibrary&) = delete;

  // Frees a library already loaded, keeps a copy of the file reference and,
  // when the file is present on disk, loads the library from its full path.
  // A file that is missing or not a library leaves nothing loaded.
  void Load(const VFile& file);
  // The entry point of the name, or null; null without asking the system
  // when nothing is loaded.
  VLibraryProc GetProcAddress(const char* name) const;
  // The same with the name as ANSI text of at most 255 characters.
  VLibraryProc GetProc(const VString& name) const;
  // Frees the library and forgets the file reference.
  void Free();
  // Whether a library is loaded from the file: the file names are equal,
  // letter case counting as file systems here count it, and the folders are
  // one folder on disk.
  bool IsLoadedFrom(const VFile& file) const;

  bool IsLoaded() const { return fModule != nullptr; }
  // The file reference kept by the last Load, or null.
  const VFile* GetFile() const { return fFile.get(); }

 private:
  std::unique_ptr<VFile> fFile;
  uint32_t fUnused = 0;
  void* fModule = nullptr;
};
