// The plug-in object interface's defaults: nothing is done and nothing is
// closed.
#include "host/package/VPlugInObject.h"

VPlugInObject::~VPlugInObject() = default;
void VPlugInObject::HandleEvent(void**) {}
void VPlugInObject::DrawPicture(void**) {}
void VPlugInObject::DrawOutput(void**) {}
void VPlugInObject::PrintPage(void**) {}
void VPlugInObject::Close() {}
bool VPlugInObject::IsClosed() const { return false; }
