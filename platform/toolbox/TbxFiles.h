// The Toolbox emulation library's file calls that the framework makes: the
// Macintosh location of a path, and a Win32 file handle for one of the
// library's file numbers.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxResources.h"  // the result codes fnfErr, ioErr, paramErr
#include "platform/win32/WinFiles.h"

namespace Tbx {

constexpr OSErr bdNamErr = -37;   // an empty name, or one longer than 255 bytes
constexpr OSErr dirNFErr = -120;  // the folder of the path does not exist

// Where a file lies in the Macintosh model: a volume number (negative, one
// per device, in the order the library first met them), a folder number
// (2 and up, one per folder, kept for the library's life) and the file's
// name as a length-prefixed text.
struct FileRef {
  int16_t volume;
  int32_t directory;
  uint8_t name[256];
};

// Fills `ref` for a Linux path (UTF-8, made absolute against the current
// folder). noErr when the file exists; fnfErr when only its folder does (the
// reference is still filled); dirNFErr, with volume and folder 0, when the
// folder is missing; bdNamErr for a path without a name or with a name of
// more than 255 bytes.
QV_PLATFORM_API OSErr NativePathToFileRef(const char* path, FileRef* ref);

// The library's file numbers are the descriptors of the files open in the
// process: a new Win32 handle over a duplicate of the descriptor, with the
// access it was opened with; INVALID_HANDLE_VALUE when it names no open file.
QV_PLATFORM_API HANDLE OpenDeviceByNumber(int32_t number);

}  // namespace Tbx
