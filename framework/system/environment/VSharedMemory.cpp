// Shared memory blocks: the mapping and its mutex, the checked header, the
// registry entries, and the reader behind NewHandleFromShared.
#include "framework/system/environment/VSharedMemory.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/memory/VSharedBlockReader.h"
#include "framework/core/streams/VByteReader.h"
#include "platform/win32/WinFileMapping.h"
#include "platform/win32/WinMutex.h"
#include "platform/win32/WinRegistry.h"

const char kSharedMemoryKey[] = "SOFTWARE\\Qv\\SharedMemory 6.7";

namespace {

constexpr uint32_t kHeaderBytes = 8;

// Holds the block's mutex for one access. An abandoned mutex counts as had:
// its owner died, and the block is still there to use.
class BlockLock {
 public:
  explicit BlockLock(void* mutex) : fMutex(mutex) {
    if (mutex == nullptr) return;
    const DWORD wait = WaitForSingleObject(mutex, VSharedMemory::kMutexWaitMs);
    fHeld = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  }
  ~BlockLock() {
    if (fHeld) ReleaseMutex(fMutex);
  }
  BlockLock(const BlockLock&) = delete;
  BlockLock& operator=(const BlockLock&) = delete;
  bool Held() const { return fHeld; }

 private:
  void* fMutex;
  bool fHeld = false;
};

void StoreU32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

std::string MutexNameOf(const char* name) { return std::string(name) + "_mx"; }

bool IsUsableName(const char* name) {
  return name != nullptr && *name != 0 && std::strlen(name) <= VSharedMemory::kMaxNameLength;
}

// What the view lets this process touch: from its start to its end.
uint64_t ViewBytesOf(const void* view) {
  MEMORY_BASIC_INFORMATION info;
  if (VirtualQuery(view, &info, sizeof info) != sizeof info) return 0;
  return uint64_t(info.RegionSize);
}

// The memory manager's reader: a new handle of the block's data size
// holding its data, read under the block's mutex. A block whose data could
// not be read whole gives no handle, rather than one holding garbage.
VMemHandle CopySharedBlock(VMemoryMgr& manager, const char* name) {
  VSharedMemory block;
  bool ok = false;
  block.Open(name, ok);
  if (!ok) return 0;
  const uint32_t size = block.GetHeader();
  const VMemHandle handle = manager.NewHandle(size, 0);
  if (handle == 0) return 0;
  if (size == 0) return handle;
  void* data = manager.LockHandle(handle);
  const uint32_t read = data != nullptr ? block.ReadBytes(data, size, 0) : 0;
  manager.UnlockHandle(handle);
  if (read != size) {
    manager.DisposeHandle(handle);
    return 0;
  }
  return handle;
}

}  // namespace

VSharedMemory::VSharedMemory() = default;

VSharedMemory::VSharedMemory(const char* name, uint32_t dataSize, uint32_t flag, bool& ok) {
  Create(name, dataSize, flag, ok);
}

void VSharedMemory::CreateFromHandle(const char* name, VMemHandle handle, uint32_t flag, bool& ok) {
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  Create(name, size, flag, ok);
  if (!ok || size == 0) return;
  if (const void* bytes = gMemoryMgr->LockHandle(handle)) {
    WriteBytes(bytes, size, 0);
    gMemoryMgr->UnlockHandle(handle);
  }
}

VSharedMemory::~VSharedMemory() { Close(); }

uint64_t VSharedMemory::MappingSizeFor(uint32_t dataSize) {
  // In 64 bits: a data size near 4 GB must not wrap to a small mapping.
  return (uint64_t(dataSize) + 15) & ~uint64_t(7);
}

void VSharedMemory::Create(const char* name, uint32_t dataSize, uint32_t flag, bool& ok) {
  ok = false;
  Close();
  fCreated = 0;
  SetAnsiCText(name != nullptr ? name : "");
  if (!IsUsableName(name)) return;

  const uint64_t bytes = MappingSizeFor(dataSize);
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                      DWORD(bytes >> 32), DWORD(bytes), name);
  if (mapping == nullptr) return;
  // A mapping answered for a name in use belongs to another block.
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseKernelHandle(mapping);
    return;
  }
  auto* view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (view == nullptr) {
    // Without a view there is no header and no data: no block.
    CloseKernelHandle(mapping);
    return;
  }
  StoreU32(view, dataSize);
  StoreU32(view + 4, flag);
  FlushViewOfFile(view, 0);

  // The mutex may exist already (a reader that came early made it); the
  // handle answered then is that mutex.
  HANDLE mutex = CreateMutexA(nullptr, FALSE_, MutexNameOf(name).c_str());
  if (mutex == nullptr) {
    UnmapViewOfFile(view);
    CloseKernelHandle(mapping);
    return;
  }
  fMapping = mapping;
  fMutex = mutex;
  fView = view;
  fViewBytes = bytes;
  fReadOnlyView = false;
  fCreated = 1;
  ok = true;
  RegisterSharedMemoryName(name);
}

void VSharedMemory::Open(const char* name, bool& ok) {
  ok = false;
  Close();
  fCreated = 0;
  SetAnsiCText(name != nullptr ? name : "");
  if (!IsUsableName(name)) return;

  HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE_, name);
  if (mapping == nullptr) {
    const DWORD error = GetLastError();
    // The system knows no such block: an entry for it was left by a
    // creator that died.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
      UnregisterSharedMemoryName(name);
    return;
  }
  HANDLE mutex = CreateMutexA(nullptr, FALSE_, MutexNameOf(name).c_str());
  if (mutex == nullptr) {
    CloseKernelHandle(mapping);
    return;
  }
  auto* view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  bool readOnly = false;
  // The header holds the data size, then the flag; a block of flag 1 is
  // mapped for reading only.
  VByteReader header(view, view != nullptr ? ViewBytesOf(view) : 0);
  header.Skip(4);
  if (header.U32() == 1) {
    UnmapViewOfFile(view);
    view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    readOnly = true;
  }
  const uint64_t viewBytes = view != nullptr ? ViewBytesOf(view) : 0;
  const uint32_t dataSize = VByteReader(view, viewBytes).U32();
  // A header whose size does not fit the mapping is not a block to use.
  if (view == nullptr || viewBytes < kHeaderBytes ||
      uint64_t(dataSize) + kHeaderBytes > viewBytes) {
    if (view != nullptr) UnmapViewOfFile(view);
    CloseKernelHandle(mutex);
    CloseKernelHandle(mapping);
    return;
  }
  fMapping = mapping;
  fMutex = mutex;
  fView = view;
  fViewBytes = viewBytes;
  fReadOnlyView = readOnly;
  ok = true;
}

void VSharedMemory::Close() {
  if (fView != nullptr) UnmapViewOfFile(fView);
  if (fMapping != nullptr) CloseKernelHandle(fMapping);
  if (fMutex != nullptr) CloseKernelHandle(fMutex);
  fView = nullptr;
  fMapping = nullptr;
  fMutex = nullptr;
  fViewBytes = 0;
  fReadOnlyView = false;
  if (fCreated != 0) {
    char name[kMaxNameLength + 1];
    GetCText(name, sizeof name, kCharSetAnsi);
    UnregisterSharedMemoryName(name);
    fCreated = 0;
  }
}

uint32_t VSharedMemory::CheckedDataSize(uint32_t* flag) const {
  if (fView == nullptr) {
    if (flag != nullptr) *flag = 0;
    return 0;
  }
  VByteReader header(fView, fViewBytes);
  const uint32_t size = header.U32();
  const uint32_t mode = header.U32();
  if (flag != nullptr) *flag = mode;
  return uint64_t(size) + kHeaderBytes <= fViewBytes ? size : 0;
}

bool VSharedMemory::MayWrite(uint32_t flag) const {
  return !fReadOnlyView && (flag == 0 || fCreated != 0);
}

uint32_t VSharedMemory::WriteBytes(const void* source, uint32_t length, uint32_t offset) {
  if (fMapping == nullptr || fView == nullptr || source == nullptr) return 0;
  BlockLock lock(fMutex);
  if (!lock.Held()) return 0;
  uint32_t flag;
  const uint64_t size = CheckedDataSize(&flag);
  if (offset >= size || !MayWrite(flag)) return 0;
  const uint64_t count = std::min<uint64_t>(length, size - offset);
  uint8_t* at = fView + kHeaderBytes + offset;
  std::memcpy(at, source, size_t(count));
  FlushViewOfFile(at, SIZE_T(count));
  return uint32_t(count);
}

uint32_t VSharedMemory::ReadBytes(void* destination, uint32_t length, uint32_t offset) {
  if (fMapping == nullptr || fView == nullptr || destination == nullptr) return 0;
  BlockLock lock(fMutex);
  if (!lock.Held()) return 0;
  const uint64_t size = CheckedDataSize(nullptr);
  if (offset >= size) return 0;
  const uint64_t count = std::min<uint64_t>(length, size - offset);
  std::memcpy(destination, fView + kHeaderBytes + offset, size_t(count));
  return uint32_t(count);
}

uint32_t VSharedMemory::AccessLong(uint32_t value, uint32_t offset, int32_t mode) {
  if (fMapping == nullptr || fView == nullptr) return 0;
  BlockLock lock(fMutex);
  if (!lock.Held()) return 0;
  uint32_t flag;
  const uint64_t size = CheckedDataSize(&flag);
  const uint64_t at = (uint64_t(offset) + 3) & ~uint64_t(3);
  if (at + 4 > size) return 0;
  uint8_t* p = fView + kHeaderBytes + at;
  const uint32_t previous = VByteReader(p, 4).U32();
  if (MayWrite(flag)) {
    if (mode == 1) StoreU32(p, value);
    if (mode == 2) StoreU32(p, previous + value);
    FlushViewOfFile(fView, 0);
  }
  return previous;
}

uint32_t VSharedMemory::GetHeader(uint32_t* flag) const { return CheckedDataSize(flag); }

void* VSharedMemory::GetData() const { return fView != nullptr ? fView + kHeaderBytes : nullptr; }

void VSharedMemory::Flush() {
  if (fView != nullptr) FlushViewOfFile(fView, 0);
}

bool RegisterSharedMemoryName(const char* name) {
  if (name == nullptr) return false;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSharedMemoryKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != LONG(ERROR_SUCCESS))
    return false;
  static const uint8_t kEmpty[1] = {0};
  const bool done = RegSetValueExA(key, name, 0, REG_SZ, kEmpty, 1) == LONG(ERROR_SUCCESS);
  RegCloseKey(key);
  return done;
}

bool UnregisterSharedMemoryName(const char* name) {
  if (name == nullptr) return false;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedMemoryKey, 0, KEY_ALL_ACCESS, &key) !=
      LONG(ERROR_SUCCESS))
    return false;
  const bool done = RegDeleteValueA(key, name) == LONG(ERROR_SUCCESS);
  RegCloseKey(key);
  return done;
}

VString** ListSharedMemoryNames(int32_t& count) {
  count = 0;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedMemoryKey, 0, KEY_READ, &key) != LONG(ERROR_SUCCESS))
    return nullptr;
  // Room for the longest value name the registry keeps.
  std::string name(16384, '\0');
  auto next = [&](DWORD index) {
    DWORD length = DWORD(name.size());
    return RegEnumValueA(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
  };
  int32_t values = 0;
  while (next(DWORD(values)) == LONG(ERROR_SUCCESS)) ++values;
  VString** names = nullptr;
  if (values > 0) {
    names = new VString*[size_t(values)];
    // Another process may remove values between the two passes: the list
    // ends where the key's values do.
    while (count < values && next(DWORD(count)) == LONG(ERROR_SUCCESS)) {
      auto* text = new VAnsiStrInHandle;
      text->SetAnsiCText(name.c_str());
      names[count++] = text;
    }
    if (count == 0) {
      delete[] names;
      names = nullptr;
    }
  }
  RegCloseKey(key);
  return names;
}

void DisposeSharedMemoryNames(VString** names, int32_t count) {
  if (names == nullptr) return;
  for (int32_t i = 0; i < count; ++i) delete names[i];
  delete[] names;
}

const VSharedBlockReader kSharedBlockReader = {&CopySharedBlock};
