// Folder iteration over the platform's folder search.
#include "framework/system/files/VFolderIterator.h"

#include "framework/core/strings/VUniString.h"
#include "framework/system/files/PathText_p.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileFilter.h"
#include "framework/system/files/VFolder.h"
#include "platform/win32/WinFiles.h"

VFolderIterator::VFolderIterator(int32_t flags, uint32_t type)
    : fResolveShortcuts((flags & kIterateResolveShortcuts) != 0),
      fIncludeHidden((flags & kIterateHidden) != 0),
      fIncludeFolders((flags & kIterateFolders) != 0),
      fIncludeFiles((flags & kIterateFiles) != 0) {
  if (type != 0) fTypeFilter = std::make_unique<VFileFilter>("", type, 0);
}

VFolderIterator::~VFolderIterator() = default;

void VFolderIterator::SetFilter(VFileFilter* filter) {
  if (filter == fTypeFilter.get()) return;
  fTypeFilter.reset(filter);
}

VFileSystemItem* VFolderIterator::Last() {
  VFileSystemItem* last = IsDone() ? Restart() : Current();
  while (VFileSystemItem* next = Next()) {
    delete last;
    last = next;
  }
  return last;
}

VWinFolderIterator::VWinFolderIterator(const VFolder& folder, int32_t flags, uint32_t type)
    : VFolderIterator(flags, type), fFind(INVALID_HANDLE_VALUE) {
  VStrInHandle full;
  folder.GetFullPath(full);
  std::string utf8;
  // A folder that cannot be reached has no pattern, and so no entries: an
  // empty path must not become a search of the current folder.
  if (full.GetLength() > 0 && files_p::Utf8Of(files_p::UnitsOf(full), &utf8)) {
    if (utf8.back() != '/') utf8 += '/';
    fFolderPath = utf8;
    fPattern = utf8 + "*";
  }
}

VWinFolderIterator::~VWinFolderIterator() { CloseSearch(); }

void VWinFolderIterator::CloseSearch() {
  if (fFind != INVALID_HANDLE_VALUE) FindClose(fFind);
  fFind = INVALID_HANDLE_VALUE;
}

VFileSystemItem* VWinFolderIterator::Restart() {
  fIndex = 0;
  fCount = 0;
  return Next();
}

VFileSystemItem* VWinFolderIterator::Next() {
  if (fIndex < 0) return nullptr;
  WIN32_FIND_DATAA data;
  bool read;
  if (fFind != INVALID_HANDLE_VALUE && fIndex > 0) {
    read = FindNextFileA(fFind, &data) != FALSE_;
    ++fIndex;
  } else {
    CloseSearch();
    if (!fPattern.empty()) fFind = FindFirstFileA(fPattern.c_str(), &data);
    read = fFind != INVALID_HANDLE_VALUE;
    fIndex = 1;
  }
  VFileSystemItem* item = nullptr;
  while (read && item == nullptr) {
    item = MakeItem(&data);
    if (item == nullptr) {
      read = FindNextFileA(fFind, &data) != FALSE_;
      ++fIndex;
    }
  }
  if (item == nullptr) {
    fIndex = -1;
    CloseSearch();
    return nullptr;
  }
  ++fCount;
  return item;
}

VFileSystemItem* VWinFolderIterator::MakeItem(const void* findData) {
  const auto& data = *static_cast<const WIN32_FIND_DATAA*>(findData);
  if (data.cFileName[0] == '.') return nullptr;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0 && !fIncludeHidden) return nullptr;

  VFileSystemItem* item = nullptr;
  uint32_t type = 0;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    if (!fIncludeFolders) return nullptr;
    fEntryPath = fFolderPath + data.cFileName;
    fEntryIsFolder = 1;
    item = new VFolder(fEntryPath.c_str());
  } else {
    if (!fIncludeFiles) return nullptr;
    fEntryPath = fFolderPath + data.cFileName;
    fEntryIsFolder = 0;
    auto* file = new VFile(fEntryPath.c_str());
    item = file;
    type = file->GetFileType();
    // The search marks every link; one whose target cannot be reached (gone,
    // or links that lead round in a circle) is no shortcut to the file
    // layer, and gives no item rather than a reference to nothing.
    const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (fResolveShortcuts && (link || file->IsShortcut())) {
      item = file->IsShortcut() ? file->ResolveShortcut() : nullptr;
      delete file;
      // Resolution follows every link of a chain, so an answer that is still
      // a link is one whose target was never reached.
      if (item != nullptr && !item->IsFolder() && static_cast<VFile*>(item)->IsShortcut()) {
        delete item;
        item = nullptr;
      }
      if (item == nullptr) return nullptr;
      type = item->IsFolder() ? 0 : static_cast<VFile*>(item)->GetFileType();
    }
  }
  // A filter with types keeps items of one of them, or every item when one
  // of them is '????'; a filter without types keeps everything.
  if (fTypeFilter != nullptr && fTypeFilter->CountTypes() > 0 && !fTypeFilter->HoldsType(type) &&
      !fTypeFilter->HoldsType(FourCC("????"))) {
    delete item;
    return nullptr;
  }
  return item;
}

VFileSystemItem* VWinFolderIterator::Current() {
  if (fIndex < 1) return nullptr;
  if (fEntryIsFolder) return new VFolder(fEntryPath.c_str());
  return new VFile(fEntryPath.c_str(), 0, 0);
}

void VWinFolderIterator::Reset() {
  if (fIndex != 1) return;
  fIndex = 0;
  fCount = 0;
}

int32_t VWinFolderIterator::Count() { return fIndex < 1 ? 0 : fCount; }

bool VWinFolderIterator::IsDone() { return fIndex < 0; }
