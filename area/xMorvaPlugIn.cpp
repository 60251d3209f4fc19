// The editing area's object in a host form.
#include "area/xMorvaPlugIn.h"

xMorvaPlugIn::xMorvaPlugIn(VPackage* package, void* params)
    : VPlugIn(package, kResourceOffset, static_cast<void**>(params)) {}
