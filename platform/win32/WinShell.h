// COM start and stop on the host's thread, and the shell's allocator, which
// owns the item-identifier lists that the shell hands out (the folder
// chooser's answers).
#pragma once

#include "platform/win32/WinTypes.h"

using HRESULT = int32_t;
using ULONG = uint32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);

// S_OK for the first start on the thread, S_FALSE for a nested one; each
// start is ended by one CoUninitialize.
QV_PLATFORM_API HRESULT CoInitialize(void* reserved);
QV_PLATFORM_API void CoUninitialize();

// A shell item-identifier list; the shell's allocator owns its memory.
struct ITEMIDLIST;

class IMalloc {
 public:
  virtual void* Alloc(SIZE_T size) = 0;
  virtual void Free(void* block) = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IMalloc() = default;
};

// The shell's allocator; each successful call is ended by its Release.
QV_PLATFORM_API HRESULT SHGetMalloc(IMalloc** allocator);

// ---- For tests: the depth of COM starts on this thread, and the blocks of
// the shell's allocator not yet freed.
QV_PLATFORM_API int GetHeadlessComDepth();
QV_PLATFORM_API int CountHeadlessShellBlocks();
