// The host services beyond the database: cooperative host processes, the
// room check before a user's method, the host's named document store and
// document texts, confirmations, a few window and interface calls, and the
// positive selectors (metafiles of pictures, the plug-in value). Each
// wrapper writes what its selector reads and reads back what it answers;
// none raises or shows anything of its own.
#pragma once

#include <cstdint>

class VResourceFile;
class VString;

// ---- Processes. A process of 0 means the current one (asked with -91).
int32_t HostGetCurrentProcess();
// Starts a host process running `body`; the stack size goes to the host
// negated, the name with "$" in front when `local`. The new number.
int32_t HostNewProcess(void (*body)(), const VString& name, int32_t stackSize, bool local);
void HostDelayProcess(int32_t duration, int32_t process);
void HostProcessControl87(int32_t process);
void HostProcessControl88(int32_t process);
void HostProcessControl97(int32_t process);
// Gives the host control: -93 n times, or -122 once for n below 1.
void HostWait(int32_t n);
// With `other`: -104, isCurrent when its answer is the current process,
// true when it is not. Without: -120; an answer of 0 gives isCurrent false
// and true, any other isCurrent by comparison and false.
bool HostCheckProcess(bool other, bool& isCurrent);
void HostCall86();

// ---- Methods.
// The room the host has left for a user's method (callers go on at 16000
// or more).
constexpr int32_t kHostMethodRoomNeeded = 16000;
int32_t HostRoomLeft255(int32_t value);

// ---- Named document store, document texts.
bool HostNameExists(const VString& name);
// Hands the handle's bytes to the host under the name, with the extension
// of the file type; the handle stays the caller's. False without a call for
// handle 0.
bool HostWriteNamedData(uint32_t handle, const VString& name, uint32_t fileType, int32_t option);
// The data stored under the name, or under the name with "." and the file
// type's extension when the first try fails. On success `handle` is the
// caller's; a success without a handle counts as a failure.
bool HostReadNamedData(uint32_t& handle, const VString& name, uint32_t fileType);
void HostGetText335(VString& text);
void HostGetText411(VString& text);
void HostGetText427(VString& text);
// The host's document text (-335 when the fourth start-up flag is set, else
// -411) up to and including its last "\", or whether it has one.
void HostGetDocumentFolder(VString& folder);
bool HostTextHasFolder(VString& text);
// The extension text of a file type ("RTF" for 'RTF '); empty for none.
void FileTypeExtensionText(uint32_t fileType, uint8_t* pascalText);

// ---- Messages.
// True only when the host answers 1.
bool HostConfirm(const uint8_t* pascalText);
// Item `index` of 'STR#' `list` of the file through HostConfirm; false for
// an empty item.
bool ConfirmStringListItem(VResourceFile* file, int16_t list, int16_t index);

// ---- Interface calls whose answers the module does not read.
void HostCall105();
void HostCall143();
void HostCall144();
void HostCall307(int32_t value, const VString& name, const VString& secondName);
void HostCall357(int32_t value);

// ---- Positive selectors.
// The host's metafile of a Macintosh picture: an enhanced (or Windows)
// metafile handle, or 0 for none.
uint32_t HostMetafileCallEMF(uint32_t pictureHandle);
uint32_t HostMetafileCallWMF(uint32_t pictureHandle);
int32_t HostGetPlugInValue184();
