// VMemoryMgr: the operations every memory manager shares (empty handles, the
// copy-on-share protocol), the global manager, and the two block routines.
#include "framework/core/memory/VMemoryMgr.h"

#include <cstring>

#include "framework/core/memory/VSharedBlockReader.h"

VMemoryMgr* gMemoryMgr = nullptr;

VMemHandle VMemoryMgr::NewHandleFromShared(const char* name) {
  // A block that cannot be opened or read answers as no memory.
  const VSharedBlockReader* reader = VSharedBlockReaderService::Get();
  const VMemHandle handle = reader != nullptr && name != nullptr ? reader->copyBlock(*this, name) : 0;
  fError = handle != 0 ? kMemNoError : kMemNoMemory;
  return handle;
}

VMemHandle VMemoryMgr::NewEmptyHandle() { return NewHandle(0, 0); }

// This manager does not count references: sharing a handle copies it, and
// releasing one disposes of it, so every handle has exactly one owner.
VMemHandle VMemoryMgr::ShareHandle(VMemHandle handle) { return DuplicateHandle(handle); }

void VMemoryMgr::ReleaseHandle(VMemHandle handle) { DisposeHandle(handle); }

uint32_t VMemoryMgr::GetHandleRefCount(VMemHandle handle) { return handle != 0 ? 1 : 0; }

void MoveBlock(const void* source, void* destination, uint32_t length) {
  if (length == 0 || source == destination) return;
  // memmove keeps overlapping ranges right in either direction.
  std::memmove(destination, source, length);
}

void FillBlock(void* destination, uint32_t length, uint8_t value) {
  auto* p = static_cast<uint8_t*>(destination);
  // Single bytes up to the first 4-byte boundary...
  while (length != 0 && (reinterpret_cast<uintptr_t>(p) & 3) != 0) {
    *p++ = value;
    --length;
  }
  // ...then whole words holding the byte four times...
  const uint32_t word = uint32_t(value) * 0x01010101u;
  while (length >= 4) {
    std::memcpy(p, &word, 4);  // an aligned 32-bit store
    p += 4;
    length -= 4;
  }
  // ...then what is left, byte by byte; nothing past `length` is touched.
  while (length != 0) {
    *p++ = value;
    --length;
  }
}
