// Win32 named mutexes over a robust, process-shared POSIX mutex in shared
// memory: two processes that name the same mutex exclude each other, and a
// mutex whose owner died is handed to the next waiter as abandoned.
#pragma once

#include "platform/win32/WinFileMapping.h"

constexpr DWORD SYNCHRONIZE = 0x00100000;
constexpr DWORD MUTEX_ALL_ACCESS = 0x001F0001;

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
constexpr DWORD WAIT_ABANDONED = 0x00000080;
constexpr DWORD WAIT_TIMEOUT = 0x00000102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

constexpr DWORD ERROR_NOT_OWNER = 288;

// A mutex is owned by a thread and counts that thread's nested waits; it is
// free again after as many releases. Names follow the rules of the named
// objects (WinFileMapping.h); handles are closed with CloseKernelHandle.

// When the name is in use by a mutex, that mutex is answered (the last error
// ERROR_ALREADY_EXISTS) and `initialOwner` is ignored.
QV_PLATFORM_API HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner,
                                    const char* name);
// Null with ERROR_FILE_NOT_FOUND when no mutex has the name.
QV_PLATFORM_API HANDLE OpenMutexA(DWORD access, BOOL inherit, const char* name);
// WAIT_OBJECT_0 when the mutex is had; WAIT_ABANDONED when it is had from an
// owner that ended without releasing it (the caller owns it now, and what it
// guards may be half-written); WAIT_TIMEOUT after `milliseconds` (INFINITE
// waits for ever); WAIT_FAILED for a handle that is not a mutex.
QV_PLATFORM_API DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
// FALSE with ERROR_NOT_OWNER when the calling thread does not own it.
QV_PLATFORM_API BOOL ReleaseMutex(HANDLE mutex);
