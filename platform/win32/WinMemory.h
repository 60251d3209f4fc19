// Win32 global memory over malloc. A moveable block's handle is a 32-bit id in
// a table (its data may move between locks); a fixed block's handle is its address.
#pragma once

#include "platform/win32/WinTypes.h"

struct QvGlobalBlock_;
using HGLOBAL = QvGlobalBlock_*;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_MODIFY = 0x0080;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GMEM_LOCKCOUNT = 0x00FF;

// The largest block the stand-in hands out. Sizes travel in 32-bit fields
// throughout the module, so a request at or near 2^32 must be refused rather
// than wrapped; 2 GiB is also all a 32-bit process could ever have had.
constexpr SIZE_T kGlobalMaxBlockSize = 0x7FFFFFFF;

QV_PLATFORM_API HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
QV_PLATFORM_API HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags);
QV_PLATFORM_API LPVOID GlobalLock(HGLOBAL block);
QV_PLATFORM_API BOOL GlobalUnlock(HGLOBAL block);
QV_PLATFORM_API SIZE_T GlobalSize(HGLOBAL block);
QV_PLATFORM_API UINT GlobalFlags(HGLOBAL block);
QV_PLATFORM_API HGLOBAL GlobalFree(HGLOBAL block);

struct MEMORYSTATUS {
  DWORD dwLength;
  DWORD dwMemoryLoad;
  SIZE_T dwTotalPhys;
  SIZE_T dwAvailPhys;
  SIZE_T dwTotalPageFile;
  SIZE_T dwAvailPageFile;
  SIZE_T dwTotalVirtual;
  SIZE_T dwAvailVirtual;
};
QV_PLATFORM_API void GlobalMemoryStatus(MEMORYSTATUS* status);

// A moveable block's handle as the 32-bit value that records store (the
// Toolbox handles are these same blocks); 0 for a fixed block or no block.
QV_PLATFORM_API uint32_t GlobalHandleValue(HGLOBAL block);
// The moveable block named by a stored 32-bit value (not checked here; every
// Global call checks the handles it is given).
inline HGLOBAL GlobalFromValue(uint32_t value) {
  return reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(value));
}
