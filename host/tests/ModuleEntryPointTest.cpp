// No exception crosses DaVuze. The module's code is built without exceptions;
// one thrown below the entry point while it runs a call (here the host's
// answer to the folder query fails to allocate while the running package
// handles a start selector and opens its preferences) ends the process with
// the framework heap's kind of message instead of reaching the host.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <new>
#include <stdexcept>

#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "host/tests/HostTestSupport.h"

namespace {

using DaVuzeProc = void (*)(int32_t selector, void* params, void** instanceSlot, void* result);
using SwapProc = uint8_t (*)(uint8_t direction, uint32_t type, uint32_t size, void* data);

// Loads and starts the module as a host does, then lets the host's folder
// answer throw and sends the start selector to the running package. Comes
// back (and says why) only when the call returned.
void ThrowInsideADispatchedCall(bool outOfMemory) {
  void* library = dlopen(QV_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "the module did not load\n");
    return;
  }
  auto entry = reinterpret_cast<DaVuzeProc>(dlsym(library, "DaVuze"));
  auto swap = reinterpret_cast<SwapProc>(dlsym(library, "SwapRsrcProc"));
  hosttest::OpenResourceFile resources(QV_RESOURCE_FILE, swap);
  hosttest::TempDir folder;
  hosttest::RecordingHost host;
  host.folder = folder.Folder();
  bool armed = false;
  host.answer = [&](int32_t selector, HostParamBlock&) {
    if (!armed || selector != kHostSelGetPath) return;
    if (outOfMemory) throw std::bad_alloc();
    throw std::runtime_error("the host refused");
  };
  HostStartupRecord record{};
  record.callback = &hosttest::RecordingHost::Entry;
  record.hostInterfaceVersion = 0x600;
  void* slot = nullptr;
  uint32_t result = 0;
  entry(kSelStartSilent, &record, &slot, &result);
  if (slot == nullptr) {
    std::fprintf(stderr, "the module did not start\n");
    return;
  }
  armed = true;
  entry(kSelStartSilent, &record, &slot, &result);
  std::fprintf(stderr, "the call returned\n");
}

TEST(ModuleEntryPointDeathTest, AnExceptionInsideACallEndsTheProcessAtTheEntryPoint) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(ThrowInsideADispatchedCall(true),
               "Qv Morva: out of memory: the language runtime's allocator failed");
  EXPECT_DEATH(ThrowInsideADispatchedCall(false), "Qv Morva: an exception reached the module's entry point");
}

}  // namespace
