// The host calls of a process window's loop: whether the host wants the
// process to stop, the next event for the process, and offering an event
// to the host first.
#pragma once

#include <cstdint>

struct HostEventRecord;

// True when the host answers that the current process should stop (-414).
bool HostProcessShouldStop();
// Asks the host for the next event of the mask (-361), letting it sleep up
// to `sleepTicks`; the record is filled. False when the host refused.
bool HostNextProcessEvent(uint16_t eventMask, uint32_t sleepTicks, HostEventRecord& record);
// Offers the event to the host (-360): true when the host consumed it.
bool HostOfferProcessEvent(HostEventRecord& record);
