// xMorvaPlugIn: the editing area in a host form, made by the package for
// its area routine. Its document, views and commands arrive with the
// editing area; for now it is the framework's area with the routine's
// resource offset.
#pragma once

#include "framework/views/VPlugIn.h"

class xMorvaPlugIn : public VPlugIn {
 public:
  // The area routine's number, which is also the area's resource offset.
  static constexpr int32_t kResourceOffset = 1;

  xMorvaPlugIn(VPackage* package, void* params);
};
