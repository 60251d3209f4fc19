// VFile: a reference to a file: its path, its Macintosh type and creator,
// whether it exists and how it is open, and the reads, writes and file
// operations done through it.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/system/files/VFileSystemItem.h"
#include "framework/system/files/VWinFile.h"

class VFolder;
class VLongArray;

namespace Tbx {
struct FileRef;
}

// Asked, after a file that was open for writing has been closed, whether the
// close may count as a success.
class VFileCloseHook : public VObject {
 public:
  virtual bool ConfirmClose(VFile& file) = 0;
};

// What a file asks of the one stream that writes it: to pass its buffered
// bytes to the file, and its size (which counts bytes not yet written).
class VFileStreamLink {
 public:
  virtual int32_t FlushToFile() = 0;
  virtual int64_t GetStreamSize() = 0;

 protected:
  ~VFileStreamLink() = default;
};

// The stored path of a file holds no extension: a file made with a type
// lives on disk under the extension the file type map gives that type; a file
// made without one keeps its own extension literally (and gets the type the
// map gives that extension). So a file made with type 'TEXT' from
// /a/report.doc is /a/report.TXT on disk when the map says TXT.
//
// States: 3 present -> 4 to 7 open (permission 1 to 4) -> 3 closed; 6 after
// Create. Delete, Rename and Create set 0 before acting, so the next
// question looks again.
class VFile : public VFileSystemItem {
 public:
  // A type of 0 is guessed from the name's extension, and the creator is
  // then 0.
  explicit VFile(const VString& path, uint32_t type = 0, uint32_t creator = 0);
  explicit VFile(const char16_t* path, uint32_t type = 0, uint32_t creator = 0);
  // A UTF-8 path.
  explicit VFile(const char* path, uint32_t type = 0, uint32_t creator = 0);
  // A length-prefixed Macintosh text.
  explicit VFile(const uint8_t* path, uint32_t type = 0, uint32_t creator = 0);
  VFile(const VFolder& folder, const VString& name, uint32_t type = 0, uint32_t creator = 0);
  // Deletes an owned close hook; a handle still open is closed unflushed.
  ~VFile() override;

  // The name without extension (the stored path holds none).
  void GetName(VString& out) const override;
  // The path on disk: AppendExtension.
  void GetFullPath(VString& out) const override;
  bool IsFolder() const override;
  // Type 0 or '????'.
  bool HasNoType() const override;

  uint32_t GetFileType() const { return fFileType; }
  uint32_t GetCreator() const { return fCreator; }

  // Permission 1 read, 2 write, 3 read and write, 4 read and write shared
  // with other writers; 0 tries 4, 3, 2 and 1 and takes the first that
  // opens. 202 when open already, 208 when not present as a file, -2 for
  // another permission, 211 when it cannot be opened. A shared read also
  // opens a file that another reference holds open for writing.
  int32_t Open(int32_t permission, bool shared = false);
  // 201 (or 0 without mustBeOpen) when not open. A file open for writing is
  // flushed first; 212 when flushing or closing fails, 215 when the close
  // hook refuses. The state is 3 afterwards.
  int32_t Close(bool mustBeOpen = true);
  virtual int32_t ReadAt(int64_t position, void* buffer, uint32_t& count);
  // Up to count bytes at the position; count becomes the number read, and
  // fewer than asked gives 200. An attached stream's buffered writes go
  // to the file first.
  virtual int32_t Read(void* buffer, uint32_t& count);
  // 213 unless open for writing; 203 when the disk fills.
  virtual int32_t Write(const void* buffer, uint32_t count);
  virtual int32_t WriteAt(int64_t position, const void* buffer, uint32_t count);
  // -1 when not open.
  int64_t GetPosition();
  int32_t SetPosition(int64_t position);
  int32_t Move(int64_t offset);
  // -1 when neither open nor present as a file; the attached stream's size
  // when one writes the file.
  int64_t GetSize();
  int32_t SetSize(int64_t size);
  int32_t Flush();
  // 217 when open, or present and not to be replaced; a present file to be
  // replaced is deleted first (210 when it cannot be). Leaves the new file
  // open for reading and writing (state 6). A `temporary` file, written to
  // take another's place (TakePlaceOf), is its owner's alone until then.
  int32_t Create(bool replace, bool temporary = false);
  // A new hidden file beside `place` (the platform's copy of a place,
  // CreateCopyBesideA, named after it and `tag`), open for reading and
  // writing (state 6), to be written and then put in place (TakePlaceOf) or
  // deleted; held against every other process until then. Null when none
  // can be made.
  static std::unique_ptr<VFile> NewCopyBeside(const VFile& place, const char* tag);
  // 202 when open, 208 when not present, 210 when it cannot be deleted.
  int32_t Delete();
  // Moves the file to its folder under `newName`, which must be a plain name
  // (219 for one holding '/' or '\', for "." and ".."); the reference then
  // names the file at its new place.
  int32_t Rename(const VString& newName);
  // Puts this file, written whole and closed, in the place of `target` in
  // one step, on the disk before it returns: over the file there, whose
  // permission and group it takes (a read-only file, or one held open, is
  // refused and stays as it was), or under the free name with the ordinary
  // permission of a new file. This reference then names the file at its
  // new place; both are looked up again. 202 when either is open, 208 when
  // this one is not present, the mapped error when the place cannot be taken.
  int32_t TakePlaceOf(VFile& target);
  // Gives this open file, before its last flush, the permission and group
  // that TakePlaceOf would give it in the place of `target`, so that the
  // flush puts them on the disk with its bytes. 201 when it is not open.
  int32_t TakeProtectionOf(const VFile& target);
  // Copies the bytes to another file: created (replace as for Create), or,
  // with `intoExisting`, an existing file that is emptied first. 208 when a
  // file is missing, 217 when both are one file on disk (which is never
  // emptied or deleted), 100 without memory for the copy buffer.
  int32_t CopyTo(VFile& destination, bool replace, bool intoExisting);
  int32_t CopyToPath(const VString& path, bool replace, bool intoExisting);
  int32_t CopyFrom(VFile& source, bool replace);
  // 202 when a different stream is attached; null detaches.
  int32_t AttachStream(VFileStreamLink* stream);
  VFileStreamLink* GetAttachedStream() const { return fAttachedStream; }
  void SetCloseHook(VFileCloseHook* hook, bool owns);
  // The map's flag of the file type.
  bool GetTypeFlag() const;
  // Whether the file is a shortcut (a symbolic link, also one to a folder).
  bool IsShortcut();
  // The shortcut's target, a new VFile or VFolder owned by the caller; null
  // when this file or the target is not present.
  VFileSystemItem* ResolveShortcut();
  // Makes this (absent) file a shortcut to the target: 0, 217 when this
  // file is present, -1 when it cannot be made.
  int32_t MakeShortcut(const VFileSystemItem& target);
  // 217 when open, or present and not to be replaced; otherwise a new file
  // holding an empty resource map.
  int32_t CreateResourceFile(bool replace, bool keepOpen);
  // Takes the handle of one of the Toolbox library's file numbers; the file
  // then counts as open for reading and writing. 201 when open already.
  int32_t SetFileRef(int32_t number);
  int32_t GetFileRef(Tbx::FileRef& ref);
  int32_t GetFreeSpace(uint64_t& bytes);
  uint64_t GetModificationStamp();

 protected:
  uint32_t GetPathFileType() const override;
  void TakeFoundPath(const char* path) override;

 private:
  friend class VWinFile;
  void Init(uint32_t type, uint32_t creator);
  bool IsOpen() const { return fState >= 4; }
  // The path taken from a full path of the file's new place: the literal
  // extension always records the name's own extension.
  void TakeNewPath(const VString& fullPath);

  uint32_t fFileType = 0;
  uint32_t fCreator = 0;
  VFileCloseHook* fCloseHook = nullptr;
  VFileStreamLink* fAttachedStream = nullptr;
  uint8_t fOwnsCloseHook = 0;
  VWinFile fWin;
};
