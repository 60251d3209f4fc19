// Loading and saving a VObject through a handle or a memory block, by way of
// a stream over it. Each answers the first non-zero status of open, transfer
// and close.
#include "framework/core/VObject.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"

int32_t VObject::LoadFromHandle(VMemHandle handle, uint32_t tag) {
  // A stream on no handle would make an empty one that nobody owns.
  if (handle == 0) return kStreamNoHandle;
  VHandleStream stream(handle);
  int32_t result = stream.OpenRead();
  if (result != kStreamNoError) return result;
  result = ReadFromStream(stream, tag);
  const int16_t closed = stream.CloseRead();
  if (result == kStreamNoError) result = closed;
  return result;
}

// The handle ends at exactly the bytes written.
int32_t VObject::SaveToHandle(VMemHandle& handle, uint32_t tag) {
  VHandleStream stream(handle);
  // A 0 handle is replaced by a new one; 0 still means none could be had.
  if (handle == 0) return kStreamNoMemory;
  int32_t result = stream.OpenWrite();
  if (result != kStreamNoError) return result;
  // A handle stream writes over the old content and keeps what lies beyond
  // the bytes written; emptied first, the handle holds only the new record.
  result = stream.SetSize(0);
  if (result == kStreamNoError) result = WriteToStream(stream, tag);
  const int16_t closed = stream.CloseWrite(1);
  if (result == kStreamNoError) result = closed;
  return result;
}

int32_t VObject::LoadFromBlock(const void* block, uint32_t length, uint32_t tag) {
  VMemoryStream stream(block, length);
  int32_t result = stream.OpenRead();
  if (result != kStreamNoError) return result;
  result = ReadFromStream(stream, tag);
  const int16_t closed = stream.CloseRead();
  if (result == kStreamNoError) result = closed;
  return result;
}
