// VFileSystemItem: the common base of the references to files and folders:
// a path, the cached answer to whether the item exists, and the path forms.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/VObject.h"
#include "framework/core/strings/VUniString.h"

struct VDateRec;
class VFolder;

// Result codes of the file layer (0 is success).
constexpr int32_t kFileOtherError = -1;     // any other system error; no position or size
constexpr int32_t kFileBadPermission = -2;  // open with a permission other than 1 to 4
constexpr int32_t kFileNoMemory = 100;
constexpr int32_t kFileEnd = 200;            // fewer bytes read than asked
constexpr int32_t kFileNotOpen = 201;
constexpr int32_t kFileAlreadyOpen = 202;    // or another stream attached
constexpr int32_t kFileDiskFull = 203;
constexpr int32_t kFileNotFound = 208;
constexpr int32_t kFileFolderNotMade = 209;
constexpr int32_t kFileNotDeleted = 210;
constexpr int32_t kFileNotOpened = 211;
constexpr int32_t kFileNotClosed = 212;
constexpr int32_t kFileNotWritable = 213;
constexpr int32_t kFileCloseRefused = 215;
constexpr int32_t kFileFolderNotEmpty = 216;
constexpr int32_t kFileExists = 217;         // or open while creating, or the same file
constexpr int32_t kFileBadName = 219;        // a new name holding a separator, "." or ".."
constexpr int32_t kFileNoMacLocation = 401;

// States of an item; files add 4 to 7 while open (permission + 3).
constexpr int32_t kItemUnknown = 0;     // not yet looked up
constexpr int32_t kItemAbsent = 1;
constexpr int32_t kItemOtherKind = 2;   // a folder where a file is meant, or the reverse
constexpr int32_t kItemPresent = 3;

// Paths are Linux paths: '/' alone separates their parts, and they are
// neither compared, folded to one case nor made absolute here. The 8-bit
// form of a path that the platform's file calls take is UTF-8.
//
// The state is a cache: an item created or deleted behind the reference keeps
// its old state until an operation that resets it runs.
class VFileSystemItem : public VObject {
 public:
  ~VFileSystemItem() override;
  VFileSystemItem(const VFileSystemItem&) = delete;
  VFileSystemItem& operator=(const VFileSystemItem&) = delete;

  // The name part of the path.
  virtual void GetName(VString& out) const;
  virtual void GetFullPath(VString& out) const = 0;
  // A new folder reference of the path up to its last separator.
  virtual VFolder* GetParent() const;
  virtual bool IsFolder() const = 0;
  virtual bool HasNoType() const;
  // Lets the owner read and write the item and the group read it (never
  // more, and narrowed by the process's umask): 0, or -1.
  virtual int32_t SetSecurity();

  const VString& GetPath() const { return fPath; }
  // Looks the item up once and caches the state; true when it is present.
  bool Resolve();
  // The state, looked up first while it is unknown.
  int32_t GetState();

  // The stored path with the extension the item has on disk.
  void AppendExtension(VString& out) const;
  // The full path as UTF-8 in a buffer of `size` bytes with its terminator;
  // false, and nothing usable in the buffer, when it does not fit whole: a
  // path is never cut short onto another item's name.
  bool GetAnsiPath(char* buffer, int32_t size) const;
  // The full path as zero-terminated UTF-16, on the same terms.
  bool GetUniPath(char16_t* buffer, int32_t size) const;

  // The file's times as universal date and time of day (seconds since
  // midnight); both are cleared first and stay cleared when the time cannot
  // be read.
  void GetModificationDate(VDateRec& date, int32_t& time) const;
  void GetCreationDate(VDateRec& date, int32_t& time) const;
  void GetAccessDate(VDateRec& date, int32_t& time) const;

 protected:
  VFileSystemItem();
  // The path of a string, a zero-terminated UTF-16 text, a zero-terminated
  // UTF-8 text or a length-prefixed Macintosh text.
  void SetPathText(const VString& path);
  void SetPathUnits(const char16_t* path);
  void SetPathUtf8(const char* path);
  void SetPathMac(const uint8_t* path);

  // Cuts the extension off the stored path: the last '.' that comes after
  // the last separator; `keep` keeps what followed it as the literal
  // extension (empty when there was no dot). Only while the file type map exists.
  void SplitExtension(bool keep);
  // The literal extension, or null for none.
  const VString* GetLiteralExtension() const { return fLiteralExtension.get(); }
  void SetLiteralExtension(const char16_t* units, int32_t count);
  void ClearLiteralExtension();

  void GetFileTime(int32_t which, VDateRec& date, int32_t& time) const;
  // The file type whose mapped extension a path without a literal one takes;
  // 0 for folders.
  virtual uint32_t GetPathFileType() const;
  // Takes the path under which a look-up found the item (UTF-8).
  virtual void TakeFoundPath(const char* path) = 0;

  int32_t fState = kItemUnknown;
  VStrInHandle fPath;
  // Null: the extension follows the file type; otherwise exactly this one
  // (none when empty).
  std::unique_ptr<VStrInHandle> fLiteralExtension;
};

// The name part of a path (the text after its last separator; with
// `ignoreTrailingSeparator` a final separator is dropped first).
void SplitPathName(const VString& path, VString& out, bool ignoreTrailingSeparator);
// Everything before the last separator, or empty.
void GetParentPathText(const VString& path, VString& out);
