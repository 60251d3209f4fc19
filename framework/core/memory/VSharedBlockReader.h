// The reader of named shared memory blocks behind the memory manager's
// NewHandleFromShared. Shared memory belongs to the system services, a
// layer above this one, which install the reader at start.
#pragma once

#include "framework/core/VObject.h"

class VMemoryMgr;

// Copies the data of the named block into a new handle of `manager`;
// answers 0 when no block of that name can be opened or read whole.
using VSharedBlockReader = VMemHandle (*)(VMemoryMgr& manager, const char* name);

// Null until the system services install theirs; while it is null no block
// can be read.
extern VSharedBlockReader gSharedBlockReader;
