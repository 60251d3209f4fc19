// Host array variables edited in place: entries of types 14 to 22 (and the
// rows of a two-dimensional array, type 13) whose elements sit in a Toolbox
// handle, element 0 included. The host is not called. Every access is
// checked against the handle's size: an element the handle does not hold is
// neither read (0, empty) nor written.
#pragma once

#include <cstdint>

#include "boundary/HostRecords.h"

class VString;
struct VDateRec;

// Sets the count to n and sizes the handle for n + 1 elements (types 14 to
// 19, 21 and 22); the text and picture handles of elements beyond n go
// first; a string array without a handle gets one whose size word is 80;
// growth reads as zeros. False when the type has no elements or memory
// fails (the entry is then as it was, or cut to what was disposed).
bool ResizeHostArray(HostVariableEntry& entry, int32_t n);
// Removes n elements from `first` on (cut at the end), disposing of their
// handles, and moves the rest down.
void DeleteHostArrayElements(HostVariableEntry& entry, int32_t first, int32_t n);

void AppendHostArrayInteger(HostVariableEntry& entry, int16_t x);
void AppendHostArrayLong(HostVariableEntry& entry, int32_t x);
void AppendHostArrayReal(HostVariableEntry& entry, double x);
void AppendHostArrayString(HostVariableEntry& entry, const VString& x);

// For 0 <= i <= count: numeric arrays (14, 15, 16) take x in their element
// type (reals truncated for 15 and 16); text arrays (18, 21) the string.
void SetHostArrayInteger(HostVariableEntry& entry, int32_t i, int16_t x);
void SetHostArrayLong(HostVariableEntry& entry, int32_t i, int32_t x);
void SetHostArrayReal(HostVariableEntry& entry, int32_t i, double x);
void SetHostArrayString(HostVariableEntry& entry, int32_t i, const VString& x);
int16_t GetHostArrayInteger(const HostVariableEntry& entry, int32_t i);
int32_t GetHostArrayLong(const HostVariableEntry& entry, int32_t i);
double GetHostArrayReal(const HostVariableEntry& entry, int32_t i);
void GetHostArrayString(const HostVariableEntry& entry, int32_t i, VString& x);

void SetHostBooleanElement(HostVariableEntry& entry, int32_t i, bool b);
bool GetHostBooleanElement(const HostVariableEntry& entry, int32_t i);
void SetHostDateElement(HostVariableEntry& entry, int32_t i, const VDateRec& date);
void GetHostDateElement(const HostVariableEntry& entry, int32_t i, VDateRec& date);

int32_t GetHostArrayCount(const HostVariableEntry& entry);
int32_t GetHostArrayCurrent(const HostVariableEntry& entry);
void SetHostArrayCurrent(HostVariableEntry& entry, int32_t i);

// Row r (1 to the row count) of a two-dimensional array as an entry of its
// own: `op` works on it and the row is written back. False for a row
// outside the table or an entry of another type.
bool WithHostArrayRow(HostVariableEntry& entry, int32_t r, void (*op)(HostVariableEntry& row, void* context),
                      void* context);
