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

  int16_t AddResource(uint32_t type, int16_t id, const VString* name, const void* data,
                      uint32_t size) override;
  bool RemoveResourceHandle(VResourceRef ref) override;
  bool RemoveResource(uint32_t type, int16_t id) override;
  bool RemoveNamedResource(uint32_t type, const VString* name) override;
  VResourceRef GetCNamedResource(uint32_t type, const char* name, uint8_t* owned) override;
  VResourceRef GetPNamedResource(uint32_t type, const uint8_t* name, uint8_t* owned) override;
  VResourceRef GetNamedResource(uint32_t type, const VString* name, uint8_t* owned) override;
  VResourceRef GetResource(uint32_t type, int16_t id, uint8_t* owned) override;
  int16_t GetResourceId(VResourceRef ref) override;
  int16_t GetIndResourceId(uint32_t type, int32_t index) override;
  int16_t GetPNamedResourceId(uint32_t type, const uint8_t* name) override;
  int16_t GetCNamedResourceId(uint32_t type, const char* name) override;
  int16_t GetNamedResourceId(uint32_t type, const VString* name) override;
  VLongArray* GetResourceTypes() override;
  int16_t UniqueResourceId(uint32_t type) override;
  VStringArray* GetResourceNames(uint32_t type) override;
  VWordArray* GetResourceIds(uint32_t type) override;
  void ReleaseResourceById(uint32_t type, int16_t id) override;
  void ReleaseResource(VResourceRef ref) override;
  int32_t UpdateFile() override;
  VResourceRef GetIndResource(uint32_t type, int16_t index, uint8_t* owned) override;
  void GetResourceName(VString* out, uint32_t type, int16_t id) override;
  void GetResourceNameOfHandle(VString* out, VResourceRef ref) override;
  // True when both the host's reference and the Toolbox reference name a file.
  bool IsOpen() override { return fHostRef != -1 && fToolboxRef != -1; }
  int32_t CountResources(uint32_t type) override;
  void* LockResource(VResourceRef ref) override;
  void UnlockResource(VResourceRef ref) override;
  uint32_t GetResourceSize(VResourceRef ref) override;
  bool SetResourceSize(VResourceRef ref, uint32_t size) override;
  VMemHandle DetachResource(VResourceRef ref) override;
  void WriteResource(VResourceRef ref) override;
  uint32_t GetResourceSizeById(uint32_t type, int16_t id) override;
  // Removes the resources of the type one by one, stopping at the first
  // removal that fails (false).
  bool RemoveResources(uint32_t type) override;
  void SetResourceName(uint32_t type, int16_t id, const VString* name) override;
  bool HasResource(uint32_t type, int16_t id) override;
  // The host makes this file current and the previous one is kept; the
  // restore makes it current again (nothing when none is kept).
  void UseFile() override;
  void RestoreFile() override;
  int32_t GetCharSet() override { return kResCharSetMac; }

  int16_t GetHostReference() const { return fHostRef; }
  int16_t GetSecondReference() const { return fToolboxRef; }
  // The answer of an update: 401 without a host reference.
  int32_t Update() { return UpdateFile(); }
  // Handles obtained and not yet released.
  size_t CountObtained() const { return fObtained.size(); }

 private:
  bool NoFile() const { return fHostRef == -1; }
  void Open(int32_t selector, struct HostParamBlock& block);
  // The get selectors; the handle is recorded when it is found.
  VResourceRef Get(int32_t selector, uint32_t type, int16_t idOrIndex, const uint8_t* pascalName,
                   uint8_t* owned);
  VResourceRef GetByPascalName(uint32_t type, const uint8_t* pascalName, uint8_t* owned);
  int16_t IdByPascalName(uint32_t type, const uint8_t* pascalName);
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
