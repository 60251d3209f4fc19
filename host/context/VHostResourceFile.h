// VHostResourceFile: the resource file that the host keeps for the module.
// Every operation goes to the host through the callback with the host's
// reference of the file; without one (-1) each answers its neutral value
// and the update 401, and the host is not asked.
//
// The handles the get operations hand out are the host's Toolbox handles.
// The file remembers those it obtained until they are released, so that a
// release first tells the host (-439) that the module lets go of the handle.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/system/resources/VResourceFile.h"

class VHostResourceFile : public VResourceFile {
 public:
  // The file the host keeps for the module (-347); not closed here.
  VHostResourceFile();
  // A file the host opens from the handle of its file record, with or without two more
  // values of the host's (-342, -346); closed by the destructor.
  explicit VHostResourceFile(uint32_t fileRecord);
  VHostResourceFile(uint32_t fileRecord, int32_t a, int32_t b);
  ~VHostResourceFile() override;

  // The framework's resource-file operations, each done by the host
  // operation of the same job below.
  int16_t AddResource(uint32_t type, int16_t id, const VString* name, const void* data,
                      uint32_t size) override {
    return HostResAdd(type, id, name, data, size);
  }
  bool RemoveResourceHandle(VResourceRef ref) override { return HostResRemoveByHandle(ref); }
  bool RemoveResource(uint32_t type, int16_t id) override { return HostResRemoveById(type, id); }
  bool RemoveNamedResource(uint32_t type, const VString* name) override {
    return HostResRemoveByName(type, name);
  }
  VResourceRef GetCNamedResource(uint32_t type, const char* name, uint8_t* owned) override {
    return HostResGetByCName(type, name, owned);
  }
  VResourceRef GetPNamedResource(uint32_t type, const uint8_t* name, uint8_t* owned) override {
    return HostResGetByPascalName(type, name, owned);
  }
  VResourceRef GetNamedResource(uint32_t type, const VString* name, uint8_t* owned) override {
    return HostResGetByName(type, name, owned);
  }
  VResourceRef GetResource(uint32_t type, int16_t id, uint8_t* owned) override {
    return HostResGetById(type, id, owned);
  }
  int16_t GetResourceId(VResourceRef ref) override { return HostResGetIdOfHandle(ref); }
  int16_t GetIndResourceId(uint32_t type, int32_t index) override {
    return HostResGetIndexedInfo(type, index);
  }
  int16_t GetPNamedResourceId(uint32_t type, const uint8_t* name) override {
    return HostResGetIdByPascalName(type, name);
  }
  int16_t GetCNamedResourceId(uint32_t type, const char* name) override {
    return HostResGetIdByCName(type, name);
  }
  int16_t GetNamedResourceId(uint32_t type, const VString* name) override {
    return HostResGetIdByName(type, name);
  }
  VLongArray* GetResourceTypes() override { return HostResListTypes(); }
  int16_t UniqueResourceId(uint32_t type) override { return HostResUniqueID(type); }
  VStringArray* GetResourceNames(uint32_t type) override { return HostResListNamesOfType(type); }
  VWordArray* GetResourceIds(uint32_t type) override { return HostResListIdsOfType(type); }
  void ReleaseResourceById(uint32_t type, int16_t id) override { HostResReleaseById(type, id); }
  void ReleaseResource(VResourceRef ref) override { HostResReleaseHandle(ref); }
  int32_t UpdateFile() override { return HostResUpdateFile(); }
  VResourceRef GetIndResource(uint32_t type, int16_t index, uint8_t* owned) override {
    return HostResGetIndexed(type, index, owned);
  }
  void GetResourceName(VString* out, uint32_t type, int16_t id) override {
    HostResGetNameById(out, type, id);
  }
  void GetResourceNameOfHandle(VString* out, VResourceRef ref) override {
    HostResGetNameOfHandle(out, ref);
  }
  bool IsOpen() override { return HostResIsOpen(); }
  int32_t CountResources(uint32_t type) override { return HostResCount(type); }
  void* LockResource(VResourceRef ref) override { return HostResLock(ref); }
  void UnlockResource(VResourceRef ref) override { HostResUnlock(ref); }
  uint32_t GetResourceSize(VResourceRef ref) override { return HostResGetHandleSize(ref); }
  bool SetResourceSize(VResourceRef ref, uint32_t size) override {
    return HostResSetHandleSize(ref, size);
  }
  VMemHandle DetachResource(VResourceRef ref) override { return HostResDetach(ref); }
  void WriteResource(VResourceRef ref) override { HostResWrite(ref); }
  uint32_t GetResourceSizeById(uint32_t type, int16_t id) override {
    return HostResGetSize(type, id);
  }
  bool RemoveResources(uint32_t type) override { return HostResRemoveAllOfType(type); }
  void SetResourceName(uint32_t type, int16_t id, const VString* name) override {
    HostResSetInfo(type, id, name);
  }
  bool HasResource(uint32_t type, int16_t id) override { return HostResHasResource(type, id); }
  void UseFile() override { HostResMakeCurrent(); }
  void RestoreFile() override { HostResRestoreCurrent(); }

  // ---- The host's operations on the file
  int16_t HostResAdd(uint32_t type, int16_t id, const VString* name, const void* data,
                     uint32_t size);
  bool HostResRemoveByHandle(VResourceRef ref);
  bool HostResRemoveById(uint32_t type, int16_t id);
  bool HostResRemoveByName(uint32_t type, const VString* name);
  VResourceRef HostResGetByCName(uint32_t type, const char* name, uint8_t* owned);
  VResourceRef HostResGetByPascalName(uint32_t type, const uint8_t* name, uint8_t* owned);
  VResourceRef HostResGetByName(uint32_t type, const VString* name, uint8_t* owned);
  VResourceRef HostResGetById(uint32_t type, int16_t id, uint8_t* owned);
  int16_t HostResGetIdOfHandle(VResourceRef ref);
  int16_t HostResGetIndexedInfo(uint32_t type, int32_t index);
  int16_t HostResGetIdByPascalName(uint32_t type, const uint8_t* name);
  int16_t HostResGetIdByCName(uint32_t type, const char* name);
  int16_t HostResGetIdByName(uint32_t type, const VString* name);
  VLongArray* HostResListTypes();
  int16_t HostResUniqueID(uint32_t type);
  VStringArray* HostResListNamesOfType(uint32_t type);
  VWordArray* HostResListIdsOfType(uint32_t type);
  void HostResReleaseById(uint32_t type, int16_t id);
  void HostResReleaseHandle(VResourceRef ref);
  int32_t HostResUpdateFile();
  VResourceRef HostResGetIndexed(uint32_t type, int16_t index, uint8_t* owned);
  void HostResGetNameById(VString* out, uint32_t type, int16_t id);
  void HostResGetNameOfHandle(VString* out, VResourceRef ref);
  // True when both the host's reference and the Toolbox reference name a file.
  bool HostResIsOpen() const { return fHostRef != -1 && fToolboxRef != -1; }
  int32_t HostResCount(uint32_t type);
  void* HostResLock(VResourceRef ref);
  void HostResUnlock(VResourceRef ref);
  uint32_t HostResGetHandleSize(VResourceRef ref);
  bool HostResSetHandleSize(VResourceRef ref, uint32_t size);
  VMemHandle HostResDetach(VResourceRef ref);
  void HostResWrite(VResourceRef ref);
  uint32_t HostResGetSize(uint32_t type, int16_t id);
  // Removes the resources of the type one by one, stopping at the first
  // removal that fails (false).
  bool HostResRemoveAllOfType(uint32_t type);
  void HostResSetInfo(uint32_t type, int16_t id, const VString* name);
  bool HostResHasResource(uint32_t type, int16_t id);
  // The host makes this file current and the previous one is kept; the
  // restore makes it current again (nothing when none is kept).
  void HostResMakeCurrent();
  void HostResRestoreCurrent();

  // Four more host operations on the file, outside the framework's
  // interface; the module itself uses none of them. Each sends the host's
  // reference at 0. Without a host reference nothing is asked: the first
  // two answer -1, the third true (an error), the last does nothing.
  // -349: b, c at the two flag bytes, the text (at most 255), d and e at
  // the first two parameters; `a` takes what the host answers at 0. The
  // error word.
  int16_t HostResCall349(int16_t* a, uint8_t b, uint8_t c, const VString* text, int32_t d,
                         int32_t e);
  // -350: `second` goes in the second reference field and takes the host's
  // answer there; the name (at most 80) and four parameters. The error word.
  int16_t HostResCall350(int16_t* second, const VString* name, int32_t p1, int32_t p2, int32_t p3,
                         int32_t p4);
  // -351: four parameters and a 16-bit value in the short value field; true
  // when the host answers an error.
  bool HostResCall351(int32_t p1, int32_t p2, int32_t p3, int32_t p4, uint16_t value);
  // -352: the reference alone.
  void HostResCall352();

  int16_t GetHostReference() const { return fHostRef; }
  int16_t HostResSecondReference() const { return fToolboxRef; }
  // The answer of an update: 401 without a host reference.
  int32_t Update() { return HostResUpdateFile(); }
  // Handles obtained and not yet released.
  size_t CountObtained() const { return fObtained.size(); }

 private:
  bool NoFile() const { return fHostRef == -1; }
  void Open(int32_t selector, struct HostParamBlock& block);
  // The get selectors; the handle is recorded when it is found.
  VResourceRef Get(int32_t selector, uint32_t type, int16_t idOrIndex, const uint8_t* pascalName,
                   uint8_t* owned);
  bool Remove(uint32_t type, int16_t id, VResourceRef ref, const uint8_t* pascalName);
  // Removes the handle from the obtained ones; true when it was there.
  bool Forget(VResourceRef ref);
  uint32_t AnswerHandle(int32_t selector, uint32_t type);

  std::vector<int16_t> fPrevious;
  int16_t fHostRef = -1;
  int16_t fToolboxRef = -1;
  bool fOwns = false;
  std::vector<VResourceRef> fObtained;
};
