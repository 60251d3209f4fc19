// Host variables: the rules of their names, reading and writing one through
// the host, and the two-way conversion between the framework's values and
// the host's variable entries and text records.
//
// Everything read from an entry is bounded by what its handles hold: a
// count or a text length larger than the handle is cut to the handle, and
// nothing is read or written outside it.
#pragma once

#include <cstdint>

#include "boundary/HostRecords.h"

class VString;
class VValue;

// Variable scopes; kScopeDetect asks for the scope by the name's prefix.
constexpr int32_t kScopeLocal = 0;
constexpr int32_t kScopeProcess = 1;
constexpr int32_t kScopeInterprocess = 2;
constexpr int32_t kScopeDetect = 10;
// The longest variable name the host takes.
constexpr int32_t kHostVariableNameMax = 31;

// With kScopeDetect: a name beginning with the lozenge (U+25CA) or "<>" is
// interprocess, "$" local, anything else process; the prefix is left out.
// Any other scope is kept and the name taken whole. The name goes into
// `pascalName` (32 bytes) as a length-byte Macintosh text cut at 31
// characters. Answers the scope.
int32_t ClassifyVariableName(uint8_t* pascalName, const VString& name, int32_t scope);

// Read or write a process or interprocess variable; true when the host
// reports no error. A local name is refused (false) without asking the host.
bool HostGetVariable(HostVariableEntry& entry, const VString& name, int32_t scope);
bool HostSetVariable(const VValue& value, const VString& name, int32_t scope, uint8_t flag);
// The variable's value, owned by the caller; null when the read failed or
// its type gives no value.
VValue* HostGetVariableAsValue(const VString& name, int32_t scope);

// Writes the Boolean, or the value, into the host variable named by item 1,
// or item 4, of the host's 'STR#' list 3 (the name up to its first ":").
void SetNamedHostBoolean(bool flag);
void SetNamedHostVariable(const VValue& value);

// Fills an entry from a value, choosing the host type by the value's kind;
// kinds without a host form leave the entry as it was.
void ValueToHostVariable(const VValue& value, HostVariableEntry& entry);
// A new value from an entry, owned by the caller, or null for a type that
// gives none. With `take` the value takes the entry's text handles over:
// they are disposed of and zeroed in the entry.
VValue* HostVariableToValue(HostVariableEntry& entry, bool take);
// Writes a value into an existing entry in the form of the entry's type; an
// undefined entry first takes a type from the value's kind (unless the
// host's third start-up flag forbids it).
void StoreValueInEntry(const VValue& value, HostVariableEntry& entry);

// A host text into a string; an empty record clears it.
void HostTextToString(VString& string, const HostTextRecord& text);
// Disposes of the record's handle and empties it.
void HostTextRecordClear(HostTextRecord& text);
// The string into the record as Macintosh characters, in a handle made or
// resized for it; at most 32000 bytes reach the host.
void StringToHostText(const VString& string, HostTextRecord& text);

bool IsNumericArrayType(int32_t type);
bool IsArrayType(int32_t type);
bool IsTextArrayType(int32_t type);
// The host type of a value kind for a new entry, and the value kind of a
// host type.
int32_t HostTypeOfValueKind(int32_t kind);
int32_t ValueKindOfHostType(int32_t type);
