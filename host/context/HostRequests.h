// Further host requests: lookups between numbers and texts, a real value by
// kind, host modes and calls whose answers the module does not interpret.
// Each sends one fresh block with the fields its selector reads and reads
// back what it answers; none raises or shows anything.
#pragma once

#include <cstdint>

#include "boundary/HostRecords.h"

class VString;

// The host's text for a number; a null text when the host reports an error.
void HostCall505(uint32_t value, VString& text);
// The host's number for a text (at most 80 characters sent).
int16_t HostCall506(const VString& text);
int16_t HostCall508(const VString& text);
// The host's text for a number (at most 80 characters read).
void HostCall507(VString& text, int16_t number);
void HostCall509(VString& text, int16_t number);

// A real value of kind 1, 3 or 4 for the pair (a, b); 0 when the host
// answers none.
double HostGetReal510Kind1(int16_t a, int16_t b);
double HostGetReal510Kind3(int16_t a, int16_t b);
double HostGetReal510Kind4(int16_t a, int16_t b);

// Calls with positive selectors. 500 sends whether the variable name is an
// interprocess one.
void HostCall500(const VString& variableName, uint32_t data, uint32_t a, uint32_t b, uint32_t c, uint32_t d);
void HostCall501(int16_t a, int16_t b, uint32_t data, uint32_t c, uint32_t d, uint32_t e);
void HostCall502(int16_t a, uint32_t data, uint32_t c, uint32_t d, uint32_t e);
void HostCall503(uint32_t data, uint32_t value);
// Hands an entry the host filled back for release.
void HostCall410(uint32_t value);
// The value with the classified variable name.
void HostCall514(uint32_t value, const VString& variableName);

// Writes a ready entry to the process or interprocess variable the name
// (classified by `scope`) gives. A local name is refused without asking the
// host. True only when the host answers error word 0.
bool HostSetVariableEntry(const VString& name, int32_t scope, HostVariableEntry& entry, uint8_t flag);

void HostCall65();
void HostCall512(int16_t a, int16_t b);
// True when the host answers 1 for the table.
bool HostTableTest40(int16_t table);
void HostCall511(const VString& variableName);
uint32_t HostGetValue90ForValue(uint32_t value);

// The host's state flag and word (zeros when it answers nothing).
void HostGetState178(uint8_t& flag, int16_t& word);
void HostSetMode179Zero();
void HostSetMode179One();
void HostSetMode179Two();

// The two numbers the host gives the string class's conversions (531):
// the 32-bit values at 272 and 276, 0 when the host answers nothing.
void HostStringConversion531(int32_t& a, int32_t& b);

// Classifies a variable name in place: the lozenge gives the interprocess
// scope and is dropped, "<>" likewise, "$" gives the local scope and is
// dropped, anything else the process scope. The rest is cut to 31
// characters. Answers the scope.
int32_t ClassifyVariableNameInPlace(VString& name);
