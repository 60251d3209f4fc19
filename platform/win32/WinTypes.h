// The Win32 scalar types and error words used by the stand-ins, with the
// widths of 32-bit Windows (DWORD and LONG are 32 bits; SIZE_T is the address width).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Export.h"

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using BOOL = int32_t;
using SIZE_T = size_t;
using LPVOID = void*;
using LPCVOID = const void*;

constexpr BOOL TRUE_ = 1;
constexpr BOOL FALSE_ = 0;

// Error words reported through GetLastError.
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_NOT_LOCKED = 158;

QV_PLATFORM_API DWORD GetLastError();
QV_PLATFORM_API void SetLastError(DWORD error);
