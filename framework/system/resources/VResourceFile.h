// VResourceFile: the framework's abstract container of resources (blocks of
// bytes filed under a four-character type and a 16-bit id, optionally named),
// with the indexed strings of 'STR#' lists built on top of it.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VLongArray;
class VString;
class VStringArray;
class VWordArray;

// An opaque reference to a resource that a lookup hands out and that only
// the same file may be given back; 0 for none. What it is belongs to each
// kind of file.
using VResourceRef = uint32_t;

// The resource byte-order procedure: converts one resource's data in place,
// direction 1 from stored (big-endian) to native order, 0 back; answers 1
// when it knew the type.
using VResSwapProc = uint8_t (*)(uint8_t direction, uint32_t type, uint32_t size, void* data);

constexpr uint32_t kResTypeSTRList = FourCC("STR#");
constexpr uint32_t kResTypeSTR = FourCC("STR ");

// Character sets of a file's texts.
constexpr int32_t kResCharSetMac = 0;
constexpr int32_t kResCharSetAnsi = 1;

// A string list ('STR#'): a signed 16-bit count in native order, then that
// many length-prefixed texts (a length byte, then the bytes) one after the
// other without padding, all Macintosh-encoded. A single string ('STR ') is
// one length-prefixed text. Readers take only the texts that lie wholly
// inside the resource, whatever the count claims.
//
// Ids are signed 16-bit: -1 asks for a fresh id in arguments and means "not
// found" in answers. Each lookup takes an optional `owned` flag that the file
// sets when the reference is a private allocation the caller must give back
// with ReleaseResource.
class VResourceFile : public VObject {
 public:
  ~VResourceFile() override;
  VResourceFile(const VResourceFile&) = delete;
  VResourceFile& operator=(const VResourceFile&) = delete;

  // Adds the bytes as a resource (id -1: a fresh id; the name may be null);
  // answers the id used, -1 on failure.
  virtual int16_t AddResource(uint32_t type, int16_t id, const VString* name, const void* data,
                              uint32_t size) = 0;
  // Adds the contents of a memory-manager handle, which is consumed: it is
  // disposed of and *handle becomes 0 whatever AddResource answered.
  virtual int16_t AddResourceHandle(VMemHandle* handle, uint32_t type, int16_t id,
                                    const VString* name);
  virtual bool RemoveResourceHandle(VResourceRef ref) = 0;
  virtual bool RemoveResource(uint32_t type, int16_t id) = 0;
  // Here: nothing without an open file; otherwise the id by name, and an
  // unknown name (-1) removes nothing.
  virtual bool RemoveNamedResource(uint32_t type, const VString* name);
  // Here: the id by name, then GetResource; the owned flag is cleared first
  // and an unknown name (-1) finds nothing, never the resource with id -1.
  virtual VResourceRef GetCNamedResource(uint32_t type, const char* name, uint8_t* owned);
  virtual VResourceRef GetPNamedResource(uint32_t type, const uint8_t* name, uint8_t* owned);
  // A name that is a plain decimal number stands for that id (NameIsNumber);
  // any other name is looked up as the two above are.
  virtual VResourceRef GetNamedResource(uint32_t type, const VString* name, uint8_t* owned);
  virtual VResourceRef GetResource(uint32_t type, int16_t id, uint8_t* owned) = 0;
  virtual int16_t GetResourceId(VResourceRef ref) = 0;
  // index is 1-based.
  virtual int16_t GetIndResourceId(uint32_t type, int32_t index) = 0;
  virtual int16_t GetPNamedResourceId(uint32_t type, const uint8_t* name) = 0;
  // Here: the name taken as ANSI text, then GetNamedResourceId; -1 for none.
  virtual int16_t GetCNamedResourceId(uint32_t type, const char* name);
  virtual int16_t GetNamedResourceId(uint32_t type, const VString* name) = 0;
  // New arrays, owned by the caller; null when the file is not open.
  virtual VLongArray* GetResourceTypes() = 0;
  virtual int16_t UniqueResourceId(uint32_t type) = 0;
  virtual VStringArray* GetResourceNames(uint32_t type) = 0;
  virtual VWordArray* GetResourceIds(uint32_t type) = 0;
  virtual void ReleaseResourceById(uint32_t type, int16_t id) = 0;
  virtual void ReleaseResource(VResourceRef ref) = 0;
  // Writes pending changes: 0, or an error code.
  virtual int32_t UpdateFile() = 0;
  virtual VResourceRef GetIndResource(uint32_t type, int16_t index, uint8_t* owned) = 0;
  virtual void GetResourceName(VString* out, uint32_t type, int16_t id) = 0;
  virtual void GetResourceNameOfHandle(VString* out, VResourceRef ref) = 0;
  virtual bool IsOpen() = 0;
  virtual int32_t CountResources(uint32_t type) = 0;
  // The data, fixed in memory until UnlockResource.
  virtual void* LockResource(VResourceRef ref) = 0;
  virtual void UnlockResource(VResourceRef ref) = 0;
  virtual uint32_t GetResourceSize(VResourceRef ref) = 0;
  virtual bool SetResourceSize(VResourceRef ref, uint32_t size) = 0;
  // Hands the data over as a memory-manager handle of the caller's; 0 on failure.
  virtual VMemHandle DetachResource(VResourceRef ref) = 0;
  // Marks the resource's data changed so that it is stored.
  virtual void WriteResource(VResourceRef ref) = 0;
  // Gives resource (type, id) these bytes: an existing one keeps its name
  // and takes them (its old bytes stay when it cannot be resized), a missing
  // one is added without a name. False when nothing was stored.
  bool ReplaceResource(uint32_t type, int16_t id, const void* data, uint32_t size);
  virtual uint32_t GetResourceSizeById(uint32_t type, int16_t id) = 0;
  virtual bool RemoveResources(uint32_t type) = 0;
  virtual void SetResourceName(uint32_t type, int16_t id, const VString* name) = 0;
  // Here: a lookup by id whose reference, when found, is given straight back.
  virtual bool HasResource(uint32_t type, int16_t id);
  // Bracket calls that read resources from the current resource file
  // implicitly; they nest. Nothing here; the Macintosh file switches.
  virtual void UseFile();
  virtual void RestoreFile();
  // kResCharSetMac or kResCharSetAnsi; here Macintosh text.
  virtual int32_t GetCharSet();
  // Stores a swap procedure and answers the previous one.
  virtual VResSwapProc SetSwapProc(VResSwapProc proc);

  // The index-th string of 'STR#' id (1-based); index 0 or less: the 'STR '
  // resource id. Empty when missing. The last list used stays loaded.
  void GetIndString(VString* out, int16_t id, int16_t index);
  void GetNamedIndString(VString* out, const VString* listName, int16_t index);
  // Empties the array, then fills it from 'STR#' id.
  void LoadStringList(int16_t id, VStringArray* list);
  // An unknown name leaves the array empty.
  void LoadNamedStringList(const VString* name, VStringArray* list);
  // A new array of the strings of 'STR#' id; null when the list is missing or empty.
  VStringArray* NewStringList(int16_t id);
  VStringArray* NewNamedStringList(const VString* name);
  // Appends the strings of 'STR#' id behind the array's elements.
  void AppendStringList(int16_t id, VStringArray* list);
  // Stores the array's strings as a resource of `type` (normally 'STR#'),
  // replacing one of the same id; each string is converted to Macintosh text
  // first (at most 255 bytes) and stored as the bytes that conversion made.
  // Answers the id used, -1 on failure.
  int16_t WriteStringList(const VStringArray* list, int16_t id, const VString* name,
                          uint32_t type);
  // Plain text, or the string that a reference names: ":id" the 'STR '
  // resource id, ":id,index" an item of 'STR#' id.
  void ResolveStringRef(VString* out, const uint8_t* text);

  VResSwapProc GetSwapProc() const { return fSwapProc; }
  // A flag byte the owner may set (the host context marks the host's file).
  uint8_t GetFlag() const { return fFlag; }
  void SetFlag(uint8_t flag) { fFlag = flag; }

 protected:
  VResourceFile();

  // Whether a name is the decimal text of a 16-bit number (as "128", not
  // "0128" or "Menu"), and which.
  static bool NameIsNumber(const VString& name, int16_t* id);
  // Before a resource is removed or replaced: when it is the cached 'STR#'
  // list, the list is given back and forgotten, so that no later string is
  // read from data that no longer stands in the file.
  void ForgetCachedList(uint32_t type, int16_t id);
  void ForgetCachedListsOfType(uint32_t type);
  // Before the caller's reference is removed: when it is the cached list it
  // is forgotten without being given back (the removal takes it).
  void ForgetCachedRef(VResourceRef ref);
  // Forgets the cached list without giving it back (its file is gone).
  void DropCachedList();
  // Whether a reference this file handed out for the resource of `type` and
  // `id` still stands for it. Files whose references are shared with other
  // holders (the Resource Manager hands every holder the same handle, and
  // any holder's release disposes of it) answer false once it is gone, so
  // that a cached list is looked up again rather than read from a disposed
  // handle. Private allocations stay valid: true.
  virtual bool StillLoaded(VResourceRef ref, uint32_t type, int16_t id);

 private:
  // Gives the cached list back when it still stands for its resource, and
  // forgets it.
  void ReleaseCachedList();

  VResSwapProc fSwapProc = nullptr;
  uint8_t fFlag = 0;
  // No list is cached: a value no 16-bit id has, so that the list of id -1
  // is read like any other.
  static constexpr int32_t kNoCachedList = -0x10000;
  VResourceRef fCachedList = 0;
  int32_t fCachedListId = kNoCachedList;
};
