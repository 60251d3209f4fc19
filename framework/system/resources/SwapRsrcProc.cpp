// The exported resource byte-order procedure. The recipes of the framework's
// own resource types arrive with the resource files; until then no type is known.
#include "host/module/ModuleExports.h"

extern "C" uint8_t SwapRsrcProc(uint8_t direction, uint32_t type, uint32_t size, void* data) {
  (void)direction;
  (void)type;
  (void)size;
  (void)data;
  return 0;
}
