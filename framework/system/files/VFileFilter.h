// VFileFilter: one filter of a file dialog: a name and the file types it
// shows, each with a paired code, and the type chosen by default.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/VObject.h"
#include "framework/core/strings/VUniString.h"

class VLongArray;

class VFileFilter : public VObject {
 public:
  // The name (as a string, a length-prefixed Macintosh text or a
  // zero-terminated Windows ANSI text; at most 63 characters kept); a type
  // other than 0 is added with its paired code, and becomes the default
  // type even when the file type map does not know it.
  VFileFilter(const VString& name, uint32_t type, uint32_t pairedCode);
  VFileFilter(const uint8_t* macName, uint32_t type, uint32_t pairedCode);
  VFileFilter(const char* ansiName, uint32_t type, uint32_t pairedCode);
  ~VFileFilter() override;
  VFileFilter(const VFileFilter&) = delete;
  VFileFilter& operator=(const VFileFilter&) = delete;

  // Appends the type and its paired code when the file type map knows the
  // type (else nothing); the type becomes the default while there is none.
  void AddType(uint32_t type, uint32_t pairedCode);

  const VString& GetName() const { return fName; }
  uint32_t GetDefaultType() const { return fDefaultType; }
  void SetDefaultType(uint32_t type) { fDefaultType = type; }
  // The types and their paired codes, one for one; never null.
  VLongArray* GetTypes() const { return fTypes.get(); }
  VLongArray* GetPairedCodes() const { return fPairedCodes.get(); }
  int32_t CountTypes() const;
  // The n-th (from 1) type and paired code; 0 outside.
  uint32_t GetType(int32_t n) const;
  uint32_t GetPairedCode(int32_t n) const;
  // Whether the type is among the filter's types.
  bool HoldsType(uint32_t type) const;

 private:
  void Init(uint32_t type, uint32_t pairedCode);

  VStr<63> fName;
  uint32_t fDefaultType = 0;
  std::unique_ptr<VLongArray> fTypes;
  std::unique_ptr<VLongArray> fPairedCodes;
};
