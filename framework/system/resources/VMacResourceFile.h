// VMacResourceFile: the resource file interface on a Macintosh resource file
// of the Toolbox library's Resource Manager. Every operation makes its file
// current and puts the previous current file back, so callers never see the
// current file change.
#pragma once

#include <cstdint>

#include "framework/core/memory/VHandleArray.h"
#include "framework/system/resources/VResourceFile.h"

class VFile;

// References handed out are the Resource Manager's handles of the resources;
// the manager owns them (the owned flag is always false); a resource removed
// from the file has its handle disposed of. A reference that names no open
// file (never was one, or its owner closed it) is answered as no file:
// nothing is read from whatever file is current instead. Texts are
// Macintosh-encoded, except that the names GetResourceName and
// GetResourceNameOfHandle read back are taken as ANSI text.
class VMacResourceFile : public VResourceFile {
 public:
  // Wraps a file opened by someone else (-1: none); it is not closed by
  // this object.
  explicit VMacResourceFile(int16_t fileRef);
  // Opens the file of a path: a short extension (a dot among the last four
  // characters, after the last '/') is cut and ".RSR" appended; with
  // `create` a missing file is made. A path that is not UTF-8 text of at
  // most 251 bytes once cut cannot take the suffix and is refused (no file):
  // it is never shortened onto another file's name. The current resource
  // file is the same before and after.
  VMacResourceFile(const VString* path, uint8_t create);
  // The same with the file's stored path (which holds no extension).
  VMacResourceFile(const VFile& file, uint8_t create);
  // Opens the file at `path` exactly as given (a Linux path of at most 255
  // bytes; no extension is cut or added), creating it first when it is
  // missing and `create` is set: for files whose names are fixed, as the
  // package's preferences and shared files. A new object that closes the
  // file at deletion, or null when the file cannot be opened. The current
  // resource file is the same before and after.
  static VMacResourceFile* OpenExact(const char* path, uint8_t create);
  // Writes pending changes; closes the file when this object opened it.
  ~VMacResourceFile() override;

  // Moves the object to another open file (which it does not own), writing
  // and, when owned, closing the previous one.
  void SetFileRef(int16_t fileRef);
  int16_t GetFileRef() const { return fFileRef; }
  // 0: lookups see this file only; 1: also the files opened before it.
  void SetSearchAll(uint8_t searchAll) { fSearchAll = searchAll; }
  uint8_t GetSearchAll() const { return fSearchAll; }

  int16_t AddResource(uint32_t type, int16_t id, const VString* name, const void* data,
                      uint32_t size) override;
  bool RemoveResourceHandle(VResourceRef ref) override;
  bool RemoveResource(uint32_t type, int16_t id) override;
  // 'PICT' goes through the picture call, which searches every open file.
  VResourceRef GetResource(uint32_t type, int16_t id, uint8_t* owned) override;
  int16_t GetResourceId(VResourceRef ref) override;
  int16_t GetIndResourceId(uint32_t type, int32_t index) override;
  int16_t GetPNamedResourceId(uint32_t type, const uint8_t* name) override;
  int16_t GetNamedResourceId(uint32_t type, const VString* name) override;
  VLongArray* GetResourceTypes() override;
  // Unique among all open files, whatever the search flag.
  int16_t UniqueResourceId(uint32_t type) override;
  VStringArray* GetResourceNames(uint32_t type) override;
  VWordArray* GetResourceIds(uint32_t type) override;
  void ReleaseResourceById(uint32_t type, int16_t id) override;
  // A resource whose changed data is not yet written stays in memory.
  void ReleaseResource(VResourceRef ref) override;
  // 401 without a file; otherwise the Resource Manager's result.
  int32_t UpdateFile() override;
  VResourceRef GetIndResource(uint32_t type, int16_t index, uint8_t* owned) override;
  void GetResourceName(VString* out, uint32_t type, int16_t id) override;
  void GetResourceNameOfHandle(VString* out, VResourceRef ref) override;
  // The name of a resource of the file as it is stored, untranslated: a
  // length-prefixed text into 256 bytes; empty for no file or no resource.
  void GetResourcePName(VResourceRef ref, uint8_t* name);
  bool IsOpen() override;
  int32_t CountResources(uint32_t type) override;
  void* LockResource(VResourceRef ref) override;
  void UnlockResource(VResourceRef ref) override;
  uint32_t GetResourceSize(VResourceRef ref) override;
  bool SetResourceSize(VResourceRef ref, uint32_t size) override;
  VMemHandle DetachResource(VResourceRef ref) override;
  void WriteResource(VResourceRef ref) override;
  uint32_t GetResourceSizeById(uint32_t type, int16_t id) override;
  bool RemoveResources(uint32_t type) override;
  void SetResourceName(uint32_t type, int16_t id, const VString* name) override;
  bool HasResource(uint32_t type, int16_t id) override;
  void UseFile() override;
  void RestoreFile() override;

 protected:
  bool StillLoaded(VResourceRef ref, uint32_t type, int16_t id) override;

 private:
  void OpenByPath(const VString* path, uint8_t create);
  // Opens (and with `create` makes) the file of that name, `length` bytes
  // of at most 255, leaving the current file as it was.
  void OpenName(const char* name, size_t length, uint8_t create);
  // No reference, or one that is not an open file of the Resource Manager.
  bool NoFile() const;

  // Lookups by the search flag, in the current file.
  uint32_t Get(uint32_t type, int16_t id) const;
  uint32_t GetInd(uint32_t type, int16_t index) const;
  uint32_t GetNamed(uint32_t type, const uint8_t* name) const;
  int16_t Count(uint32_t type) const;

  uint8_t fSearchAll = 0;
  int16_t fFileRef = -1;
  VPairStack fSavedFiles;
  uint8_t fOwnsFile = 0;
};
