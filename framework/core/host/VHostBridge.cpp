// The installed host bridge.
#include "framework/core/host/VHostBridge.h"

namespace {
VHostBridge* sHostBridge = nullptr;
}

VHostBridge* GetHostBridge() { return sHostBridge; }

VHostBridge* SetHostBridge(VHostBridge* bridge) {
  VHostBridge* previous = sHostBridge;
  sHostBridge = bridge;
  return previous;
}
