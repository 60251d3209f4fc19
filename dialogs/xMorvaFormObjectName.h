// Whether the object a form reported is the one named (form object names
// are compared without regard to case, as the host matches them).
#pragma once

#include "framework/core/strings/VUniString.h"

inline bool IsFormObject(const VString& reported, const char* name) {
  VStr<255> other;
  other.SetAnsiCText(name);
  return reported.Compare(other, false) == 0;
}
