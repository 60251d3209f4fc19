// The tool-tip flag holder.
#include "framework/system/environment/VFlagHolder.h"

#include "framework/core/host/VHostBridge.h"

VFlagHolder* gFlagHolder = nullptr;

int32_t VFlagHolder::ForwardToHost(const VString& text, VFrame* frame, const VPoint* place) {
  VHostBridge* host = VHostBridgeService::Get();
  return host != nullptr ? host->HostOpenWindowAt(text, frame, place) : 0;
}
