// The host services that the module calls through the host callback, each a
// wrapper that writes the fields its selector reads, calls the host, and
// turns what the host wrote into its answer. None of them raises or shows
// anything of its own; a failing host gives the neutral answer.
#pragma once

#include <cstdint>

#include "boundary/HostRecords.h"

class VResourceFile;
class VString;
struct VDisplayRoutines;

// Tells the host that the module starts (1) or stops (0), with the module's
// instance.
void HostTellModuleState(uint8_t starting, void* moduleInstance);

// The folder the host keeps the module's files in (its 'PATH'), as a
// zero-terminated path in `path` (kHostPathBufferSize bytes). False, with an
// empty path, when the host gives none.
bool HostGetPath(char* path);

// Shows a length-byte text (at most 255 characters) in the host's alert.
void HostShowMessage(const uint8_t* pascalText);
// Shows item `index` of 'STR#' `list` of the file when the item is not empty.
void ShowStringListItem(VResourceFile* file, int16_t list, int16_t index);

// The field's type (0 alpha, 2 text, 3 picture, 30 BLOB, ...), or -1 when
// the host reports an error. With `option` the fourth parameter carries 911.
int16_t HostGetFieldType(uint16_t table, uint16_t field, bool option);
// The bytes of a text, picture or BLOB field of the current record: true
// with a Toolbox handle the caller owns and the length the host reports for
// it; false (handle 0) for other field types or when the host has none.
bool HostGetFieldBlob(uint16_t table, uint16_t field, bool option, uint32_t& handle,
                      uint32_t& claimedLength);
// Hands `length` bytes of the Toolbox handle to the host as the field's
// content: true when the host took it (the handle is then the host's); false
// for other field types or when the host refuses.
bool HostSetFieldBlob(uint16_t table, uint16_t field, bool option, uint32_t handle, uint32_t length);

void HostGetDisplayRoutines(VDisplayRoutines& routines);
void HostGetCenturyPivot(int32_t& pivotYear, int32_t& century);
void HostValueToText(uint32_t valueType, int32_t format, int32_t value, VString& destination);
int32_t HostTextToValue(uint32_t valueType, const VString& text);
// Whether an event of the mask waits (the record filled without taking it).
uint8_t HostCall362(int16_t eventMask, HostEventRecord& record);
// Takes the next event of the mask; not 0 when one was taken.
int16_t HostCall361(int16_t eventMask, HostEventRecord& record, int32_t option);
int32_t HostGetValue164();
// Asks the host to show a text in a small window at a place of the screen
// (both coordinates) or, with none, at the given box.
void HostOpenWindowAt(const VString& text, const int16_t box[4], const int32_t* place);

// Sets the title (at most 80 characters) of the host window that shows the
// area whose window port is `windowPort`.
void HostSetWindowTitle66(const VString& title, const void* area, const void* windowPort);
