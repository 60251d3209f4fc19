// VFolderIterator: walks the entries of one folder and hands out a new file
// or folder reference for each entry that passes its filters.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/core/VObject.h"

class VFileFilter;
class VFileSystemItem;
class VFolder;

// Flags of the construction.
constexpr int32_t kIterateFolders = 2;
constexpr int32_t kIterateFiles = 4;
constexpr int32_t kIterateHidden = 8;
constexpr int32_t kIterateResolveShortcuts = 16;

// Names that begin with '.' are never handed out. An iterator starts done:
// Restart begins the walk, Next goes on until it answers null, after which
// the iterator is done again. Every item handed out is the caller's.
class VFolderIterator : public VObject {
 public:
  // A type other than 0 makes a filter of that one type.
  VFolderIterator(int32_t flags, uint32_t type);
  ~VFolderIterator() override;
  VFolderIterator(const VFolderIterator&) = delete;
  VFolderIterator& operator=(const VFolderIterator&) = delete;

  virtual VFileSystemItem* Next() = 0;
  virtual VFileSystemItem* Current() = 0;
  virtual void Reset() = 0;
  virtual VFileSystemItem* Restart() = 0;
  // The last item of the walk: from the start when done, else from the
  // current entry on; every item passed on the way is deleted.
  virtual VFileSystemItem* Last();
  virtual int32_t Count() = 0;
  virtual bool IsDone() = 0;

  // Replaces (and deletes) the type filter; null for none.
  void SetFilter(VFileFilter* filter);

 protected:
  std::unique_ptr<VFileFilter> fTypeFilter;
  uint8_t fResolveShortcuts;
  uint8_t fIncludeHidden;
  uint8_t fIncludeFolders;
  uint8_t fIncludeFiles;
};

// The walk over the platform's folder search. Entries come in the order the
// search gives them.
class VWinFolderIterator : public VFolderIterator {
 public:
  VWinFolderIterator(const VFolder& folder, int32_t flags, uint32_t type);
  ~VWinFolderIterator() override;

  // The next item, or null when the walk is over (the iterator is then done).
  VFileSystemItem* Next() override;
  // A new item for the current entry; null before the first.
  VFileSystemItem* Current() override;
  // Only right after the first entry: the next Next starts again.
  void Reset() override;
  VFileSystemItem* Restart() override;
  // Items handed out since the walk began; 0 before the first entry.
  int32_t Count() override;
  bool IsDone() override;

 private:
  VFileSystemItem* MakeItem(const void* findData);
  void CloseSearch();

  std::string fPattern;     // the folder's path and "*"; empty when it cannot be reached
  std::string fFolderPath;  // UTF-8, ending with '/'
  std::string fEntryPath;
  uint8_t fEntryIsFolder = 0;
  void* fFind;
  // -1 done, 0 restarted, n the number of entries read.
  int32_t fIndex = -1;
  int32_t fCount = 0;
};
