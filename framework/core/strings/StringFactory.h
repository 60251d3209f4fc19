// The string factory: an empty string object of a form code, for the places
// that choose a string's class at run time (the stored form of a string).
#pragma once

#include <cstdint>

class VString;

// A new, empty, not-null string of the form (1 UTF-16, 3 Macintosh, 5 ANSI,
// each with 255 characters in the object; 2, 4, 6 the same kinds in a
// handle), or null for any other form. The caller owns the object.
VString* NewString(int32_t form);
