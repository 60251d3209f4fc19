// VObject: the root of every framework and word-processor class. It holds only
// its virtual table; its memory comes from the framework heap (VHeap).
#pragma once

#include <cstddef>
#include <cstdint>

#include "boundary/FourCC.h"

class VStream;

// Handles of the memory manager: 32-bit values, 0 for no handle.
using VMemHandle = uint32_t;

// The tag of a value streamed in its tagged form.
constexpr uint32_t kTagVVAL = FourCC("VVAL");

class VObject {
 public:
  VObject() = default;
  virtual ~VObject();

  // Objects are carved from the framework heap, never from the global
  // allocator: a global operator new in a shared library would take over
  // the host's whole process.
  static void* operator new(size_t size);
  static void operator delete(void* p);

  // Streaming of the object itself; refused (-2) unless a class overrides it.
  virtual int32_t ReadFromStream(VStream& stream, uint32_t tag);
  virtual int32_t WriteToStream(VStream& stream, uint32_t tag);

  // Loading and saving through a handle or a memory block, by way of a
  // stream over it: the first non-zero status of open, transfer and close.
  virtual int32_t LoadFromHandle(VMemHandle handle, uint32_t tag);
  // When `handle` is 0 a new handle is made and stored back into it.
  virtual int32_t SaveToHandle(VMemHandle& handle, uint32_t tag);
  virtual int32_t LoadFromBlock(const void* block, uint32_t length, uint32_t tag);

  // Stores 0 in `info` and answers 1.
  virtual int32_t GetPersistInfo(int32_t argument, uint32_t* info);

  // True when the object's address is the start of a heap block in use.
  bool IsHeapBlock() const;
};
