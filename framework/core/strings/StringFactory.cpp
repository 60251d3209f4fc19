// The string factory.
#include "framework/core/strings/StringFactory.h"

#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"

VString* NewString(int32_t form) {
  switch (form) {
    case kStringFormUni: return new VStr<255>;
    case kStringFormUniHandle: return new VStrInHandle;
    case kStringFormMac: return new VMacStr<255>;
    case kStringFormMacHandle: return new VMacStrInHandle;
    case kStringFormAnsi: return new VAnsiStr<255>;
    case kStringFormAnsiHandle: return new VAnsiStrInHandle;
    default: return nullptr;
  }
}
