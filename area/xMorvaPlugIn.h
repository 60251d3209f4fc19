// xMorvaPlugIn: the editing area in a host form. Its document, views and
// event handling arrive with the editing area; for now it is the form area
// that the package registers and routes events to.
#pragma once

#include "framework/views/VPlugIn.h"

class xMorvaPlugIn : public VPlugIn {
 public:
  xMorvaPlugIn(VPackage* package, void* params);
};
