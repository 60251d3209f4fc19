// The value forms of the host commands' parameters and results beyond the
// plain numbers of xMorvaCommandParams.h: reals, length-byte strings, host
// text records and handles, read from and written through the host's
// pointers. Every pointer may be null: a null one reads as 0 or the empty
// text and takes no output.
#pragma once

#include <cstdint>
#include <cstring>

#include "area/xMorvaCommandParams.h"

class VString;

namespace xMorvaCommandValues {

using xMorvaCommandParams::HandleAt;
using xMorvaCommandParams::LongAt;
using xMorvaCommandParams::WordAt;

using xMorvaCommandParams::RealAt;
inline void* At(void** p, int i) { return p != nullptr ? p[i] : nullptr; }

template <typename T>
void Put(void* slot, T value) {
  if (slot != nullptr) std::memcpy(slot, &value, sizeof value);
}
inline void PutLong(void* slot, int32_t value) { Put(slot, value); }
inline void PutWord(void* slot, int16_t value) { Put(slot, value); }
inline void PutReal(void* slot, double value) { Put(slot, value); }
inline void PutHandle(void* slot, uint32_t value) { Put(slot, value); }

// A length-byte string in the Macintosh character set.
void StringAt(void** p, int i, VString& out);
// Into the host's 256-byte buffer, at most 255 bytes.
void PutString(void* buffer, const VString& text);
void ClearString(void* buffer);

// A host text record (16-bit length, Toolbox handle of Macintosh text):
// at most `length` bytes of the handle, and no more than it holds.
void TextAt(void** p, int i, VString& out);
// Frees the record's handle and leaves it empty.
void ClearText(void* record);
// Frees the old handle and puts the text in a new one; empty (no handle)
// for an empty text or when no handle can be had.
void PutText(void* record, const VString& text);

// The bytes of a Toolbox handle, locked while the guard lives; null and 0
// for no handle or an empty one.
class LockedHandle {
 public:
  explicit LockedHandle(uint32_t handle);
  ~LockedHandle();
  LockedHandle(const LockedHandle&) = delete;
  LockedHandle& operator=(const LockedHandle&) = delete;
  const uint8_t* Data() const { return fData; }
  uint32_t Size() const { return fSize; }

 private:
  uint32_t fHandle = 0;
  const uint8_t* fData = nullptr;
  uint32_t fSize = 0;
};

}  // namespace xMorvaCommandValues
