// The editing area's answers to the document model (xMorvaAreaServices):
// the items of the package's string lists, addressed from its resource
// base, and its alerts shown by the host. The module installs one at start
// (xMorvaAreaServiceSlot) and removes it at stop.
#pragma once

#include "document/xMorvaAreaServices.h"

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
