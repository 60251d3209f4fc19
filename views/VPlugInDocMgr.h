// VPlugInDocMgr: what a plug-in object stores and where. It names the kind
// and version of the data the plug-in keeps with the host's form object,
// and binds the plug-in to the host field named after its area ("Letter"
// binds to "Letter_") in which its document can live. The framework's own
// manager keeps nothing and binds no field; the editing area derives its
// own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/core/VObject.h"

class VString;

// Form data begins with the manager's signature and version, two u32.
constexpr size_t kFormDataHeadSize = 8;

class VPlugInDocMgr : public VObject {
 public:
  VPlugInDocMgr() = default;

  // Whether the data the host hands over with the form object is used.
  virtual bool UsesFormData() { return true; }
  // The four-character kind of the stored data, and its version.
  virtual uint32_t GetSignature() { return 0; }
  virtual uint32_t GetVersion() { return 0; }
  virtual bool CanUseBlobField() { return false; }
  virtual bool CanUsePictureField() { return false; }
  // Loading from and saving to the bound field; `plugIn` is the object that
  // owns the manager.
  virtual void LoadFromField(VObject* plugIn) {}
  virtual void SaveToField(VObject* plugIn) {}

  // Binds the field "name_" of the table, the one with the highest number
  // when several have that name; nothing for a table of 0 or less, an
  // interprocess variable, or a manager that can use no field.
  void BindField(int16_t table, const VString& name, bool interprocess);

  // Whether form data is the manager's: at least 8 bytes beginning with
  // its signature and a version not above its own, both u32 in the
  // machine's order or else both swapped. Data that fails is none.
  bool AcceptsFormData(const void* data, size_t size);

  uint16_t GetTable() const { return fTable; }
  uint16_t GetField() const { return fField; }
  // Bound to a field whose type the manager can use.
  bool IsFieldUsable() const { return fFieldUsable != 0; }

 private:
  uint16_t fTable = 0;
  uint16_t fField = 0;
  uint8_t fFieldUsable = 0;
};
