// The reader of named shared memory blocks behind the memory manager's
// NewHandleFromShared. Shared memory belongs to the system services, a
// layer above this one, which install the reader at start; while none is
// installed no block can be read.
#pragma once

#include "framework/core/VObject.h"
#include "framework/core/VService.h"

class VMemoryMgr;

struct VSharedBlockReader {
  // Copies the data of the named block into a new handle of `manager`;
  // answers 0 when no block of that name can be opened or read whole.
  VMemHandle (*copyBlock)(VMemoryMgr& manager, const char* name);
};

using VSharedBlockReaderService = VService<const VSharedBlockReader>;
