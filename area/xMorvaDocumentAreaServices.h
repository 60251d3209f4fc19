// The editing area's answers to the document model (xMorvaAreaServices) and
// to the text engine (xMorvaEngineHost): the items of the package's string
// lists, addressed from its resource base, and its alerts shown by the host.
// The module installs them at start and removes them at stop.
#pragma once

#include "document/xMorvaAreaServices.h"
#include "engine/xMorvaEngineHost.h"

class VPackage;

class xMorvaDocumentAreaServices : public xMorvaAreaServices {
 public:
  // The package whose lists are read; null reads those of the current
  // package at each call.
  explicit xMorvaDocumentAreaServices(VPackage* package = nullptr) : fPackage(package) {}

  // Nothing is shown without a package or for an empty item.
  void ShowAlert(int16_t listOffset, int16_t item) override;
  void GetListString(VString& text, int16_t listOffset, int16_t item) override;

 private:
  VPackage* Package() const;

  VPackage* fPackage;
};

class xMorvaEngineHostServices : public xMorvaEngineHost {
 public:
  explicit xMorvaEngineHostServices(VPackage* package = nullptr) : fLists(package) {}

  void GetPackageString(int16_t offset, int16_t item, VString& out) override;
  // Item 1 of the package's alert list, the out-of-memory text.
  void ShowMemoryAlert() override;
  // A reference's stored bytes are read as the host's reference record:
  // its value, or its table, field, option and format names through the
  // host. Bytes that hold no reference give no value and no names.
  VValue* EvaluateReference(const uint8_t* reference, uint32_t size) override;
  bool GetReferenceNames(const uint8_t* reference, uint32_t size, VString& table, VString& field,
                         VString& option, VString& format) override;

 private:
  xMorvaDocumentAreaServices fLists;
};
