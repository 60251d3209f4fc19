// xMorvaRecordStore: the document's resource store as its single-resource
// records ('wPRM', 'wINF') use it: one resource of a type and id, read whole
// and written whole. The document's store implements it.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class xMorvaRecordStore {
 public:
  virtual ~xMorvaRecordStore() = default;

  // A new memory-manager handle holding a copy of the resource's bytes,
  // owned by the caller; 0 when the store has no such resource.
  virtual VMemHandle CopyResource(uint32_t type, int16_t id) = 0;
  // Stores the bytes as the resource: resized and overwritten when it
  // exists, else added with an empty name. False when the store refuses;
  // the store is then unchanged.
  virtual bool PutResource(uint32_t type, int16_t id, const void* data, uint32_t size) = 0;
};
