// VSharedMemory: a named block of memory shared between processes, guarded
// by a named mutex and announced under a registry key so that other
// programs can list the blocks that exist.
#pragma once

#include <cstdint>

#include "framework/core/strings/VByteString.h"

// The block, in this machine's byte order:
//   offset 0  u32  data size in bytes, as given at creation
//   offset 4  u32  flag: non-zero = only the creator may write; 1 also
//                  makes the other processes map the block read-only
//   offset 8       the data
// The mapping is (data size + 15) rounded down to a multiple of 8 bytes:
// the header and the data rounded up to 8.
//
// The header is written once by its creator, but any process that maps the
// block could change it, so every access checks the data size against the
// mapping before it trusts it: a size that does not fit (size + 8 beyond
// the mapping, counted in 64 bits) leaves nothing to read or write.
//
// The mapping is named by the block's name (at most 251 characters of ANSI
// text), the mutex by the name followed by "_mx". Every access to the data
// takes the mutex first, waiting at most 5000 ms; an access that cannot
// have it does nothing and answers 0. A mutex left by an owner that died is
// taken over.
//
// The object's own text is the block's name.
class VSharedMemory : public VAnsiStrInHandle {
 public:
  static constexpr uint32_t kMaxNameLength = 251;
  static constexpr uint32_t kMutexWaitMs = 5000;

  // Nothing mapped until Create or Open.
  VSharedMemory();
  // Create (name, dataSize, flag, ok).
  VSharedMemory(const char* name, uint32_t dataSize, uint32_t flag, bool& ok);
  VSharedMemory(const VSharedMemory&) = delete;
  VSharedMemory& operator=(const VSharedMemory&) = delete;
  // Close.
  ~VSharedMemory() override;

  // Makes a new block; fails (ok false) when the name is in use or too
  // long. The creator announces the block in the registry.
  void Create(const char* name, uint32_t dataSize, uint32_t flag, bool& ok);
  // A new block of the handle's size holding the handle's bytes. (A
  // handle is a 32-bit number like a size, so this cannot be a second
  // constructor beside the one above.)
  void CreateFromHandle(const char* name, VMemHandle handle, uint32_t flag, bool& ok);
  // Opens an existing block; when no block of the name exists any more, its
  // registry entry (left by a creator that died) is removed. Fails too for a
  // block whose header does not fit its mapping.
  void Open(const char* name, bool& ok);
  // Unmaps and closes; the creator removes the registry entry.
  void Close();

  // Both cut the length so that offset + length stays inside the data and
  // answer the bytes moved. Writing answers 0 in a process that may not
  // write the block.
  uint32_t WriteBytes(const void* source, uint32_t length, uint32_t offset);
  uint32_t ReadBytes(void* destination, uint32_t length, uint32_t offset);
  // On the 32-bit number at the offset rounded up to a multiple of 4, when
  // it lies inside the data: mode 0 reads, 1 sets it to `value`, 2 adds
  // `value` (not in a process that may not write). Answers the number as it
  // was before; 0 outside the data.
  uint32_t AccessLong(uint32_t value, uint32_t offset, int32_t mode);
  uint32_t GetLong(uint32_t offset) { return AccessLong(0, offset, 0); }
  uint32_t SetLong(uint32_t value, uint32_t offset) { return AccessLong(value, offset, 1); }
  uint32_t AddLong(uint32_t value, uint32_t offset) { return AccessLong(value, offset, 2); }

  // The data size (0 when not mapped, or when the header does not fit the
  // mapping) and the flag (0 when not mapped).
  uint32_t GetHeader(uint32_t* flag = nullptr) const;
  // The address of the data; null when not mapped.
  void* GetData() const;
  void Flush();

  bool IsCreator() const { return fCreated != 0; }
  // The size of the mapping made for a block of `dataSize` bytes.
  static uint64_t MappingSizeFor(uint32_t dataSize);

 private:
  // The data size when the header fits the mapping, else 0.
  uint32_t CheckedDataSize(uint32_t* flag) const;
  bool MayWrite(uint32_t flag) const;

  uint32_t fCreated = 0;
  void* fMapping = nullptr;  // Win32 handle
  void* fMutex = nullptr;    // Win32 handle
  uint8_t* fView = nullptr;
  // What this process may touch through the view, and whether the view was
  // mapped read-only: such a view is never written, whatever the header
  // says by then.
  uint64_t fViewBytes = 0;
  bool fReadOnlyView = false;
};

// The registry key under HKEY_LOCAL_MACHINE that lists the blocks.
extern const char kSharedMemoryKey[];

// Adds or removes the block's value under the key; false when the registry
// refused.
bool RegisterSharedMemoryName(const char* name);
bool UnregisterSharedMemoryName(const char* name);
// The names under the key in the registry's order, as a new array of new
// ANSI strings (free both with DisposeSharedMemoryNames); null and a count
// of 0 when the key has no values.
VString** ListSharedMemoryNames(int32_t& count);
void DisposeSharedMemoryNames(VString** names, int32_t count);

// Lets the memory manager's NewHandleFromShared read blocks
// (VSharedBlockReaderService); installed at start, removed at stop.
struct VSharedBlockReader;
extern const VSharedBlockReader kSharedBlockReader;
