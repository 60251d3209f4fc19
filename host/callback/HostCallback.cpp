// The module-wide host callback and the call through it.
#include "host/callback/HostCallback.h"

namespace {
HostCallback sCallback = nullptr;
}

void SetHostCallback(HostCallback callback) { sCallback = callback; }

HostCallback GetHostCallback() { return sCallback; }

void CallHost(int32_t selector, HostParamBlock& block) {
  if (sCallback != nullptr) sCallback(selector, &block);
}
