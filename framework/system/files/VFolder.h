// VFolder: a reference to a folder: creation and removal, listing, the
// process's current folder, and the folder's Macintosh location.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/system/files/VFileSystemItem.h"

class VLongArray;
class VStringArray;

// The stored path of a folder always ends with '/' (an empty path, the
// current folder, stays empty).
class VFolder : public VFileSystemItem {
 public:
  explicit VFolder(const VString& path);
  explicit VFolder(const char16_t* path);
  // A UTF-8 path.
  explicit VFolder(const char* path);
  // A length-prefixed Macintosh text.
  explicit VFolder(const uint8_t* path);
  ~VFolder() override;

  // The name part, the trailing separator ignored.
  void GetName(VString& out) const override;
  // The canonical absolute path (links resolved, no trailing separator);
  // empty when the folder cannot be reached.
  void GetFullPath(VString& out) const override;
  VFolder* GetParent() const override;
  bool IsFolder() const override;

  // 217 when present and not to be replaced; a present folder to be replaced
  // is deleted first (its result returned when that fails). 0 with the state
  // 3, or 209.
  int32_t Create(bool replace);
  // 208 when not present, 216 when not empty, 210 when it cannot be removed;
  // 0 with the state 1.
  int32_t Delete();
  // True when the folder is present and holds nothing but "." and "..".
  bool IsEmpty();
  // A new folder reference of the path plus the name.
  VFolder* GetSubFolder(const VString& name) const;
  // The names of the entries (mode 0 files and folders, 1 files only, 2
  // folders only), those beginning with '.' left out; with `types`, only the
  // files whose extension the map gives one of those types. A new array
  // (possibly empty), or null when the folder is not present or lists nothing.
  VStringArray* ListEntries(const VLongArray* types, int32_t mode);
  // Makes this folder the process's current folder: 0, or -1.
  int32_t SetCurrent();
  // Remembers the current folder, then SetCurrent: 0, or -1 when not present.
  int32_t MakeCurrent();
  // Makes the remembered folder current again: 0, or -1 when none.
  int32_t RestoreCurrent();
  // The path becomes the process's current folder: 0, or -1.
  int32_t SetToCurrentDirectory();
  // The Toolbox library's volume and folder numbers of a file inside this
  // folder: 0, or 401 when the library knows no such folder.
  int32_t GetMacLocation(int32_t& directory, int16_t& volume);
  // Replaces the path (with a trailing separator added); the state is looked
  // up again.
  void SetPath(const VString& path);

 protected:
  void TakeFoundPath(const char* path) override;

 private:
  void NormalizePath();

  std::unique_ptr<VFolder> fSavedFolder;
};
