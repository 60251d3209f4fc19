// Wrappers of the process loop's host calls: one fresh block per call.
#include "host/context/HostProcessEvents.h"

#include "boundary/HostRecords.h"
#include "host/callback/HostCallback.h"

bool HostProcessShouldStop() {
  HostParamBlock block{};
  block.flag = 0;
  CallHost(-414, block);
  return block.flag != 0;
}

bool HostNextProcessEvent(uint16_t eventMask, uint32_t sleepTicks, HostEventRecord& record) {
  HostParamBlock block{};
  block.handle = HostAddress(&record);
  block.param1 = eventMask;
  block.param2 = sleepTicks;
  block.param3 = 0;
  block.error = 0;
  CallHost(-361, block);
  return block.error == 0;
}

bool HostOfferProcessEvent(HostEventRecord& record) {
  HostParamBlock block{};
  block.handle = HostAddress(&record);
  block.param1 = 0;
  block.param2 = 0;
  CallHost(-360, block);
  return HostWordOf(block.param2) != 0;
}
