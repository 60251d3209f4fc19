// The value factory: an empty value object of a kind code, for the places
// that keep a typed copy of a value whose class they learn only at run time.
#pragma once

#include <cstdint>

class VValue;

// A new, empty value of the kind, owned by the caller:
//   0 a null VEmptyValue; 1 VBoolean false; 2 VWord 0; 3 VLong 0;
//   4 a 16-byte VBigInteger 0; 5 VReal 0.0; 6 VHour holding -1 seconds;
//   7 VDate holding the empty date; 8 an empty VStr<255>;
//   100, 101, 102, 104, 105, 106, 107 the empty typed array of that kind.
// Every value but the VEmptyValue is made not null. Any other kind (103,
// 108 and 109 among them, and the kinds that have a class but no empty form
// here: 9 to 13) gives a null VEmptyValue, so the caller always gets an
// object it can read, assign to and delete.
VValue* NewValueOfKind(int32_t kind);
