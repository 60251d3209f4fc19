// The host's entry point. Start, stop and dispatch arrive with the host bridge;
// until then every selector is accepted and ignored.
#include "host/module/ModuleExports.h"

extern "C" void DaVuze(int32_t selector, void* params, void** instanceSlot, void* result) {
  (void)selector;
  (void)params;
  (void)instanceSlot;
  (void)result;
}
