// The host callback: the one function of the host through which every host
// service is reached, kept for the life of the module.
#pragma once

#include <cstdint>

#include "boundary/HostRecords.h"

// Keeps the callback that the host handed over at start. It stays set after
// the host context is gone, so that the stop can still tell the host; null
// makes every later call a no-op.
void SetHostCallback(HostCallback callback);
HostCallback GetHostCallback();

// Calls the host with the selector and the block. Answers come back in the
// block only; with no callback set nothing is called and the block is left
// as it was.
void CallHost(int32_t selector, HostParamBlock& block);
