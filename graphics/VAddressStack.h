// VAddressStack: a stack of pointer-sized values (GDI handles, object
// addresses) on a growing memory-manager handle, like the framework's other
// stacks; an empty stack pops 0.
#pragma once

#include <cstdint>

#include "framework/core/memory/VHandleArray.h"

class VAddressStack : public VHandleArray {
 public:
  VAddressStack() : VHandleArray(sizeof(uintptr_t)) {}
  bool Push(uintptr_t value) { return PushValue(value); }
  uintptr_t Pop() { return PopValue<uintptr_t>(); }
};
