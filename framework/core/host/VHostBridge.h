// The services that the framework core and the system services need of the
// host bridge, which sits above them. The host bridge installs its
// implementation at start; tests install a fake host. With none installed
// every call answers its neutral value.
#pragma once

#include <cstdint>

class VHostBridge {
 public:
  virtual ~VHostBridge() = default;

  // The package object's conversion of the word processor's own resource
  // types, in place and bounded by `size`; answers 1 when it converted the
  // type, 0 when it does not know it or when no package object exists.
  virtual uint8_t SwapResource(uint8_t direction, uint32_t type, uint32_t size, void* data) = 0;
};

// The installed bridge, or null before start and after stop.
VHostBridge* GetHostBridge();
// Installs `bridge` (null to remove) and answers the one it replaces.
VHostBridge* SetHostBridge(VHostBridge* bridge);
