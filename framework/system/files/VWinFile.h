// VWinFile: the platform side of a file reference (the open file handle and
// the file calls behind each operation), and the free operations of the file
// layer: the Macintosh type record beside a file, shortcuts, and the mapping
// of system errors to the file layer's codes.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VFile;
class VFileSystemItem;
class VString;

namespace Tbx {
struct FileRef;
}

// The system's last error as a file layer code: 0 stays 0, the end of a file
// is 200, a full disk 203, anything else -1.
int32_t LastFileError();

// The record beside a file that carries its Macintosh type and creator: the
// 60 bytes of the stream named by the file's path and ":AFP_AfpInfo" (an
// extended attribute of the file on this platform):
//    0  4  the bytes 'A' 'F' 'P' 0
//    4  4  version 0x00010000, little-endian
//    8  4  0
//   12  4  backup time 0x80000000, little-endian
//   16  4  file type, big-endian
//   20  4  creator, big-endian
//   24 24  0
//   48  1  4
//   49 11  0
// A new record is written whole; an existing one keeps every byte but the
// type and the creator. A volume without named streams (or extended
// attributes) stores nothing and counts as success. Answers 0, or -1;
// `written` tells whether the record was stored.
int32_t WriteMacFileInfo(const char* path, uint32_t type, uint32_t creator, bool& written);
// Reads the type and the creator of that record: true when the file has a
// record that starts with 'A' 'F' 'P' 0 and holds both; both 0 otherwise.
bool ReadMacFileInfo(const char* path, uint32_t& type, uint32_t& creator);

// Follows a shortcut (a symbolic link on this platform): `path` becomes its
// target and `isFolder` says whether that is a folder. With `follow` a chain
// of shortcuts is followed to its end, for at most kMaxShortcutSteps steps so
// that a loop of links ends. Answers whether the first step succeeded; a path
// that is no shortcut, or whose target is missing, is left unchanged.
constexpr int32_t kMaxShortcutSteps = 40;
bool ResolveShortcut(VString& path, bool follow, bool showInterface, bool& isFolder);
// Makes `linkPath` a shortcut to `targetPath`; answers whether it was saved.
bool CreateShortcut(const VString& linkPath, const VString& targetPath);

// Positions and sizes are 64-bit, so files of 4 GiB and more are read,
// written and measured without wrapping.
class VWinFile : public VObject {
 public:
  explicit VWinFile(VFile* owner);
  // Closes a handle still held, without flushing.
  ~VWinFile() override;
  VWinFile(const VWinFile&) = delete;
  VWinFile& operator=(const VWinFile&) = delete;

  bool IsOpen() const;
  // Permission 1 read, 2 write, 3 read and write, 4 read and write shared
  // with other writers; any other: -2. A shared read lets a writer that
  // holds the file keep it (reading a document another area keeps open).
  int32_t Open(int32_t permission, bool shared = false);
  // A new file, open for reading and writing; the type record is written
  // when the owner has a type and a creator and the type has a second code.
  // A temporary file is readable by its owner alone.
  int32_t Create(bool temporary = false);
  // A new copy beside `place` (CreateCopyBesideA), open for reading and
  // writing; `copyPath` receives its full path.
  int32_t CreateCopyBeside(const VFile& place, const char* tag, VString& copyPath);
  // The handle is let go whether or not closing succeeds.
  int32_t Close();
  int32_t Flush();
  // count becomes the number read; fewer than asked gives 200.
  int32_t Read(void* buffer, uint32_t& count);
  // Fewer bytes written than asked gives 203 (the disk filled).
  int32_t Write(const void* buffer, uint32_t count);
  // -1 when the position cannot be had.
  int64_t GetPosition();
  int32_t SetPosition(int64_t offset, bool absolute);
  // The size on disk, also of a file that is not open; -1 when it cannot be had.
  int64_t GetSize();
  // Moves the end of the file, keeping the position.
  int32_t SetSize(int64_t size);
  int32_t Delete();
  // Moves the file to its folder and `newName`; `newPath` receives the new
  // full path.
  int32_t Rename(const VString& newName, VString& newPath);
  // Puts the file in the place of `target` in one step, on the disk before
  // it returns (PutFileInPlaceA); `newPath` receives the target's full path.
  int32_t TakePlaceOf(const VFile& target, VString& newPath);
  // Gives the open file the protection of `target` (TakeProtectionOfA).
  int32_t TakeProtectionOf(const VFile& target);
  int32_t GetFreeSpace(uint64_t& bytes);
  // The Toolbox library's reference of the file; its answer is the result.
  int32_t GetFileRef(Tbx::FileRef& ref);
  // Takes the handle of one of the Toolbox library's file numbers: 201 when a
  // handle is held already, -1 when the number names no open file.
  int32_t SetFileRef(int32_t number);
  // Whether the file is a shortcut (a symbolic link).
  bool IsShortcut();
  // A new reference of the shortcut's target (a folder or a file of no type)
  // when that target is present; null otherwise.
  VFileSystemItem* ResolveShortcut();
  int32_t MakeShortcut(const VFileSystemItem& target);
  // Creates the file (no type record) holding an empty resource map of 288
  // bytes; closed afterwards unless `keepOpen`, which leaves it open for
  // reading and writing.
  int32_t CreateResourceFile(bool keepOpen);
  // The type the file type map gives the extension of the full path; the
  // creator 0.
  void GuessTypeFromName(uint32_t& type, uint32_t& creator);
  // Whether this file and another are one file on disk (one device and inode).
  bool IsSameFile(const VFile& other);
  // The last-write time as a 64-bit file time; 0 when it cannot be read.
  uint64_t GetModificationStamp();

 private:
  VFile* fOwner;
  void* fHandle = nullptr;  // the open file, or null
};
