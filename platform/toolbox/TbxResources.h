// The Toolbox emulation library's Resource Manager: resource files in the
// classic resource-fork layout, kept as ordinary files, a chain of open files
// and a current file, and resources handed out as Toolbox handles.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/toolbox/TbxHandles.h"

namespace Tbx {

using ResType = uint32_t;  // four characters, the first in the most significant byte

// Converts one resource's data in place: direction 1 from stored (big-endian)
// order to native order, 0 from native to stored. Answers 1 when it knew the type.
using ResSwapProc = uint8_t (*)(uint8_t direction, uint32_t type, uint32_t size, void* data);

// Result codes that ResError answers (0 after a call that succeeded).
constexpr OSErr dskFulErr = -34;
constexpr OSErr ioErr = -36;
constexpr OSErr eofErr = -39;       // the file holds no resource map at all
constexpr OSErr fnfErr = -43;       // no such file
constexpr OSErr dupFNErr = -48;     // CreateResFile on a file that already has a map
constexpr OSErr paramErr = -50;
constexpr OSErr permErr = -54;      // the file can not be opened for reading or writing
constexpr OSErr resNotFound = -192;
constexpr OSErr resFNotFound = -193;  // no open resource file with that reference
constexpr OSErr addResFailed = -194;
constexpr OSErr rmvResFailed = -196;
constexpr OSErr resAttrErr = -198;
constexpr OSErr mapReadErr = -199;  // the header or the map is corrupt

// Resource attributes (the byte beside each reference in the map).
constexpr int16_t resSysHeap = 64;
constexpr int16_t resPurgeable = 32;
constexpr int16_t resLocked = 16;
constexpr int16_t resProtected = 8;  // may not be removed, renamed or changed
constexpr int16_t resPreload = 4;
constexpr int16_t resChanged = 2;    // data to be written by WriteResource or UpdateResFile

// ---- resource files ----
// Paths are length-prefixed (first byte the length) Linux paths in UTF-8.

// Opens the file, puts it at the head of the chain and makes it current;
// answers its reference, or -1 when it can not be opened (missing file,
// corrupt map: see ResError). A file that is already open answers its
// reference again and becomes current.
QV_PLATFORM_API int16_t OpenResFile(const uint8_t* pascalPath);
// Makes a file with an empty resource map; dupFNErr when a file with a map
// exists there. Does not open it.
QV_PLATFORM_API void CreateResFile(const uint8_t* pascalPath);
// Writes pending changes, gives back every resource handle of the file and
// takes it out of the chain; the next file of the chain becomes current
// when this one was.
QV_PLATFORM_API void CloseResFile(int16_t refNum);
// Writes pending changes (changed data, additions, removals, names and
// attributes) to a new file beside the old one, then puts it in its place,
// so that a failed update leaves the previous file whole.
QV_PLATFORM_API void UpdateResFile(int16_t refNum);
// The current file; -1 when no file is open. CurResFile, UseResFile (of an
// open file) and SetResLoad leave ResError as it was, so that the previous
// file can be made current again before the result of a call is read.
QV_PLATFORM_API int16_t CurResFile();
QV_PLATFORM_API void UseResFile(int16_t refNum);
// Installs the procedure that converts the file's resources: called with
// direction 1 after a resource's bytes are read, and with direction 0 on a
// copy of the caller's data before it is written, so resources in memory
// stay in native order. The standard types that the Resource Manager knows
// itself ('STR#': its 16-bit count) it converts on its own instead. Null
// installs none: the file's resources are then handed out and taken as stored.
QV_PLATFORM_API void SetResFileSwapProc(int16_t refNum, ResSwapProc proc);

// ---- resources ----
// The forms without a 1 search the chain from the current file towards the
// files opened before it; the forms with a 1 search the current file only.
// A missing resource answers 0 (ResError resNotFound). While a resource is
// loaded, asking for it again answers the same handle.

QV_PLATFORM_API Handle GetResource(ResType type, int16_t id);
QV_PLATFORM_API Handle Get1Resource(ResType type, int16_t id);
QV_PLATFORM_API Handle GetNamedResource(ResType type, const uint8_t* name);
QV_PLATFORM_API Handle Get1NamedResource(ResType type, const uint8_t* name);
// index is 1-based over the resources of the type, in chain order.
QV_PLATFORM_API Handle GetIndResource(ResType type, int16_t index);
QV_PLATFORM_API Handle Get1IndResource(ResType type, int16_t index);
QV_PLATFORM_API int16_t CountResources(ResType type);
QV_PLATFORM_API int16_t Count1Resources(ResType type);
// Types present, each counted once.
QV_PLATFORM_API int16_t CountTypes();
QV_PLATFORM_API int16_t Count1Types();
// The index-th type (1-based); *type is left alone when there is none.
QV_PLATFORM_API void GetIndType(ResType* type, int16_t index);
QV_PLATFORM_API void Get1IndType(ResType* type, int16_t index);
// An id that no open file uses for the type (Unique1ID: the current file).
QV_PLATFORM_API int16_t UniqueID(ResType type);
QV_PLATFORM_API int16_t Unique1ID(ResType type);

// With 0 the lookups answer empty handles and read no data until
// LoadResource (or a lookup with loading back on) fills them.
QV_PLATFORM_API void SetResLoad(uint8_t load);
QV_PLATFORM_API void LoadResource(Handle resource);
// Gives back the resource's handle; the resource stays in its file. A
// resource whose changed data is not yet written is kept (resAttrErr).
QV_PLATFORM_API void ReleaseResource(Handle resource);
// The handle becomes the caller's; the resource stays in its file.
QV_PLATFORM_API void DetachResource(Handle resource);

// id, type and name (a 256-byte buffer receiving a length-prefixed text);
// any of the three may be null.
QV_PLATFORM_API void GetResInfo(Handle resource, int16_t* id, ResType* type, uint8_t* name);
// New id and name; a null name keeps the name.
QV_PLATFORM_API void SetResInfo(Handle resource, int16_t id, const uint8_t* name);
QV_PLATFORM_API int16_t GetResAttrs(Handle resource);
QV_PLATFORM_API void SetResAttrs(Handle resource, int16_t attrs);
// The size of the resource's data; -1 when the handle is no resource.
QV_PLATFORM_API int32_t SizeResource(Handle resource);

// Adds the handle's data as a resource of the current file; the handle
// becomes the resource's. An id the file already holds for the type is
// refused (addResFailed).
QV_PLATFORM_API void AddResource(Handle data, ResType type, int16_t id, const uint8_t* name);
// Takes the resource out of its file; the handle becomes the caller's.
QV_PLATFORM_API void RemoveResource(Handle resource);
// Marks the resource's data changed, to be written.
QV_PLATFORM_API void ChangedResource(Handle resource);
// Stores the data of a changed resource now (the file takes it at its next
// update) and clears the changed mark.
QV_PLATFORM_API void WriteResource(Handle resource);
// GetResource('PICT', id).
QV_PLATFORM_API Handle GetPicture(int16_t id);

// The result of the last resource call.
QV_PLATFORM_API OSErr ResError();

}  // namespace Tbx
