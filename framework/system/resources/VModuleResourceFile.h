// VModuleResourceFile: the resource file interface over the resources linked
// into a library module, read only and looked up by name.
#pragma once

#include <cstdint>
#include <map>

#include "framework/system/resources/VResourceFile.h"

class VFile;
struct HINSTANCE__;
struct HRSRC__;
struct QvGlobalBlock_;

// A module's resources have texts or numbers for names, never the 16-bit ids
// of the other files: every lookup by id finds nothing, and names are the way
// in. Types map to the module's type names: the four characters, with '_' in
// front when the first one is a digit ('4SAM' is "_4SAM"); a type that is a
// 16-bit number (as GetResourceTypes answers for the module's numeric types)
// stays that number. Texts are Windows ANSI.
//
// References are numbers of records that this file keeps (what the module
// found, its loaded and locked data, its size); every lookup makes a new
// record that the caller gives back with ReleaseResource, and the file frees
// those still held when it is deleted.
class VModuleResourceFile : public VResourceFile {
 public:
  // Wraps a loaded module (0 for none), which stays the caller's.
  explicit VModuleResourceFile(HINSTANCE__* module);
  // Loads the library at the path; the file owns the module, also when the
  // load failed (the module is then 0 and the file not open).
  explicit VModuleResourceFile(const VString* path);
  // The same with the file's path as it is on disk, extension included.
  explicit VModuleResourceFile(const VFile& file);
  ~VModuleResourceFile() override;

  HINSTANCE__* GetModule() const { return fModule; }

  // -1: nothing is ever added.
  int16_t AddResource(uint32_t type, int16_t id, const VString* name, const void* data,
                      uint32_t size) override;
  // false: nothing is ever removed. The removal by name and HasResource
  // that the file inherits answer false as well, since no name has an id
  // and no lookup by id finds anything.
  bool RemoveResourceHandle(VResourceRef ref) override;
  bool RemoveResource(uint32_t type, int16_t id) override;
  // Every lookup sets the owned flag: the record is the caller's.
  VResourceRef GetCNamedResource(uint32_t type, const char* name, uint8_t* owned) override;
  // The name as Macintosh text, at most 30 characters after conversion.
  VResourceRef GetPNamedResource(uint32_t type, const uint8_t* name, uint8_t* owned) override;
  // At most 30 characters of the name.
  VResourceRef GetNamedResource(uint32_t type, const VString* name, uint8_t* owned) override;
  // 0: there are no 16-bit ids.
  VResourceRef GetResource(uint32_t type, int16_t id, uint8_t* owned) override;
  // -1: no resource has an id (the inherited id of a C name is -1 too).
  int16_t GetResourceId(VResourceRef ref) override;
  int16_t GetIndResourceId(uint32_t type, int32_t index) override;
  int16_t GetPNamedResourceId(uint32_t type, const uint8_t* name) override;
  int16_t GetNamedResourceId(uint32_t type, const VString* name) override;
  // Named types as four-character codes, numeric ones as their number
  // read as signed 16 bits; null when the module has no resources.
  VLongArray* GetResourceTypes() override;
  int16_t UniqueResourceId(uint32_t type) override;
  // The names of the type's resources, "#" and the signed decimal number for
  // a numbered one; null when the type has none.
  VStringArray* GetResourceNames(uint32_t type) override;
  VWordArray* GetResourceIds(uint32_t type) override;
  void ReleaseResourceById(uint32_t type, int16_t id) override;
  void ReleaseResource(VResourceRef ref) override;
  // -2: there is nothing to write.
  int32_t UpdateFile() override;
  // The index-th resource of the type (1-based) in the module's order.
  VResourceRef GetIndResource(uint32_t type, int16_t index, uint8_t* owned) override;
  void GetResourceName(VString* out, uint32_t type, int16_t id) override;
  void GetResourceNameOfHandle(VString* out, VResourceRef ref) override;
  bool IsOpen() override;
  int32_t CountResources(uint32_t type) override;
  // The bytes lie in the module's read-only data: they must not be written.
  void* LockResource(VResourceRef ref) override;
  void UnlockResource(VResourceRef ref) override;
  uint32_t GetResourceSize(VResourceRef ref) override;
  bool SetResourceSize(VResourceRef ref, uint32_t size) override;
  // A copy of the bytes in a new memory-manager handle; the reference stays
  // the caller's to give back.
  VMemHandle DetachResource(VResourceRef ref) override;
  void WriteResource(VResourceRef ref) override;
  uint32_t GetResourceSizeById(uint32_t type, int16_t id) override;
  bool RemoveResources(uint32_t type) override;
  void SetResourceName(uint32_t type, int16_t id, const VString* name) override;
  int32_t GetCharSet() override;

  // The module's name of a type, in a buffer of at least 6 bytes; a numeric
  // type gives its number in MAKEINTRESOURCE form instead (the answer).
  static const char* TypeNameOf(uint32_t type, char (&buffer)[6]);
  // The way back for a type met while enumerating.
  static uint32_t TypeOfName(const char* name);

 private:
  struct Record {
    HRSRC__* resource;
    QvGlobalBlock_* loaded;  // null until the data is first needed
    void* data;              // null until the data is first locked
    uint32_t size;
  };

  void LoadModule(const char* path);
  VResourceRef NewRecord(HRSRC__* resource);
  Record* RecordOf(VResourceRef ref);

  HINSTANCE__* fModule = nullptr;
  uint8_t fOwnsModule = 0;
  std::map<VResourceRef, Record> fRecords;
  VResourceRef fLastRef = 0;
};
