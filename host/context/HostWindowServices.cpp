// The host calls around an area's own window.
#include "host/context/HostWindowServices.h"

#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "host/callback/HostCallback.h"

bool HostGetState178() {
  HostParamBlock block;
  block.param1 = 0;
  CallHost(kHostSelState, block);
  return HostWordOf(block.param1) != 0;
}

void HostSetMode179Zero() {
  HostParamBlock block;
  block.param1 = HostWord(0);
  CallHost(kHostSelSetMode, block);
}

void HostSetMode179One() {
  HostParamBlock block;
  block.param1 = HostWord(1);
  CallHost(kHostSelSetMode, block);
}

void HostObjectCall421(const void* windowView) {
  HostParamBlock block;
  block.param1 = HostAddress(windowView);
  CallHost(kHostSelWindowView, block);
}
