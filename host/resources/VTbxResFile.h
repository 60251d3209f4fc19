// VTbxResFile: a resource file of the Toolbox emulation's Resource Manager,
// by its reference number: the module's own resource file, the host
// application's, the preferences file and the shared files of the plug-in
// areas. Every lookup reads this one file only, whatever file is current.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VString;

class VTbxResFile : public VObject {
 public:
  // On a file that is already open (or on nothing when `refNum` is no open
  // file): the object never closes it.
  explicit VTbxResFile(int16_t refNum);
  // Opens the file at `path` (a Linux path, at most 255 bytes), creating it
  // first when it is missing and `create` is set. The object closes it at
  // deletion. IsOpen tells whether it opened.
  VTbxResFile(const char* path, bool create);
  ~VTbxResFile() override;
  VTbxResFile(const VTbxResFile&) = delete;
  VTbxResFile& operator=(const VTbxResFile&) = delete;

  // True while the reference names an open resource file.
  bool IsOpen() const;
  int16_t GetRefNum() const { return fRefNum; }
  // A flag byte the owner may set (the host context marks the host's file).
  uint8_t GetFlag() const { return fFlag; }
  void SetFlag(uint8_t flag) { fFlag = flag; }

  // Resource handles (Toolbox handles) of this file; 0 when absent.
  uint32_t Get(uint32_t type, int16_t id) const;
  uint32_t GetNamed(uint32_t type, const uint8_t* pascalName) const;
  // The index-th (1-based) resource of the type.
  uint32_t GetIndexed(uint32_t type, int16_t index) const;
  int16_t Count(uint32_t type) const;
  // Id and name (256 bytes, length-prefixed) of a resource; either may be null.
  void GetInfo(uint32_t resource, int16_t* id, uint8_t* pascalName) const;
  void Release(uint32_t resource) const;

  // Adds a copy of `size` bytes as a resource; id -1 asks for an id that the
  // type does not use yet. Answers the id used, or -1 on failure.
  int16_t Add(uint32_t type, int16_t id, const uint8_t* pascalName, const void* data, uint32_t size);
  // Removes the resource and disposes of its handle; false when absent.
  bool Remove(uint32_t type, int16_t id);
  void RemoveAllOfType(uint32_t type);
  // Writes pending changes to the file.
  void Update();

  // Item `index` of the 'STR#' list `list` as a length-byte text (256
  // bytes); an index of 0 or less reads the 'STR ' resource `list`. An
  // absent list or item, or one that runs past the list's data, gives the
  // empty text and false.
  bool GetIndString(uint8_t* pascalText, int16_t list, int16_t index) const;
  // The same into a string (Macintosh character set); cleared when absent.
  bool GetIndString(VString& text, int16_t list, int16_t index) const;

 private:
  int16_t fRefNum = -1;
  uint8_t fOwned = 0;
  uint8_t fFlag = 0;
};
