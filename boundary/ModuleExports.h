// The module's two exports, with C linkage: the host's one entry point and the
// resource byte-order procedure. Shared by the module and the stand-in host.
#pragma once

#include <cstdint>

#define QV_MODULE_EXPORT __attribute__((visibility("default")))

extern "C" {
// selector: what the host asks; params: its meaning depends on the selector;
// instanceSlot: the host's pointer-sized slot that holds the package object;
// result: where the package returns values for some selectors.
QV_MODULE_EXPORT void DaVuze(int32_t selector, void* params, void** instanceSlot, void* result);

// Converts one resource's data in place between stored (big-endian) and
// native order; direction 1 stored to native, 0 native to stored. Answers 1
// when it knew the type and converted it.
QV_MODULE_EXPORT uint8_t SwapRsrcProc(uint8_t direction, uint32_t type, uint32_t size, void* data);
}
