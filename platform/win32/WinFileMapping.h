// Win32 named file mappings backed by the page file, over POSIX shared
// memory, so that two processes that open the same name share its bytes.
#pragma once

#include <cstdint>

#include "platform/win32/WinFiles.h"
#include "platform/win32/WinTypes.h"

// HANDLE, INVALID_HANDLE_VALUE (the page file's stand-in in
// CreateFileMappingA) and the error words shared with the file calls come
// from WinFiles.h.
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Protections of a mapping and access rights of its views.
constexpr DWORD PAGE_READONLY = 0x02;
constexpr DWORD PAGE_READWRITE = 0x04;
constexpr DWORD FILE_MAP_WRITE = 0x0002;
constexpr DWORD FILE_MAP_READ = 0x0004;
constexpr DWORD FILE_MAP_ALL_ACCESS = 0x000F001F;

// A named object lives while any process holds a handle to it or a view of
// it; the last one to let go removes it, and a process that died holding
// one no longer counts. Names are case-sensitive; mappings and mutexes
// share one name space, so a name in use by the other kind answers
// ERROR_INVALID_HANDLE. A null or empty name is refused
// (ERROR_INVALID_PARAMETER): every caller names its objects.
//
// Handles are process-local: a child made by fork starts with none.

// Only the page file is offered (`file` must be INVALID_HANDLE_VALUE); the
// size is the 64-bit number of both parts, at least 1. When the name is
// already in use by a mapping, that mapping is answered, with the last
// error ERROR_ALREADY_EXISTS; a new one is zero-filled.
QV_PLATFORM_API HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES attributes,
                                          DWORD protect, DWORD sizeHigh, DWORD sizeLow,
                                          const char* name);
// Null with ERROR_FILE_NOT_FOUND when no mapping has the name.
QV_PLATFORM_API HANDLE OpenFileMappingA(DWORD access, BOOL inherit, const char* name);
// `bytes` 0 maps from the offset to the end of the mapping. The offset is a
// multiple of 65536. A view with write access needs a mapping handle that
// allows writing (ERROR_ACCESS_DENIED otherwise); a read-only view faults
// on writing, as on Win32.
QV_PLATFORM_API void* MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh,
                                    DWORD offsetLow, SIZE_T bytes);
// `address` is what MapViewOfFile answered.
QV_PLATFORM_API BOOL UnmapViewOfFile(const void* address);
// `bytes` 0 flushes to the end of the view that holds `address`.
QV_PLATFORM_API BOOL FlushViewOfFile(const void* address, SIZE_T bytes);

// What VirtualQuery tells of an address inside a view: the region runs from
// the page that holds the address to the end of the view, in whole pages.
struct MEMORY_BASIC_INFORMATION {
  void* BaseAddress;
  void* AllocationBase;
  DWORD AllocationProtect;
  SIZE_T RegionSize;
  DWORD State;
  DWORD Protect;
  DWORD Type;
};
constexpr DWORD MEM_COMMIT = 0x1000;
constexpr DWORD MEM_FREE = 0x10000;
constexpr DWORD MEM_MAPPED = 0x40000;

// Answers the size of the record filled, or 0 (ERROR_INVALID_PARAMETER) for
// an address in no view; only views of mappings are described.
QV_PLATFORM_API SIZE_T VirtualQuery(const void* address, MEMORY_BASIC_INFORMATION* information,
                                    SIZE_T length);

// Closes a handle of a file mapping or a mutex; FALSE with
// ERROR_INVALID_HANDLE for any other value. File handles are closed by
// CloseHandle (WinFiles.h), which does not know these objects: a general
// CloseHandle would offer its handle here first.
QV_PLATFORM_API BOOL CloseKernelHandle(HANDLE object);
