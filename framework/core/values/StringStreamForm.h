// The stored form of a string inside the tagged value form: what a string
// writes and reads as a value (kind 8).
#pragma once

#include <cstdint>

class VStream;
class VString;

// A 32-bit length in characters; when it is above 0, the 32-bit character
// kind (0 Macintosh, 1 ANSI, 2 UTF-16) and length + 1 characters, the last
// one the terminating 0: 16-bit units in the stream's order for UTF-16,
// bytes for the two 8-bit kinds. With the tag 'VVAL' the kind 8 and the
// string's form (1 to 6) come first. Answers the stream's status.
int32_t WriteStringToStream(const VString& string, VStream& stream, uint32_t tag);

// Reads the data only. A length below 1 empties the string and answers -3.
// A length whose characters are not all in the stream stops it with 200 and
// leaves the string as it was, before anything of that size is allocated. A
// length beyond the string's capacity skips the characters, keeps the text
// and answers 100. Characters of the string's own kind go straight into its
// buffer; others go through a temporary block and are converted (when no
// block can be had the string is emptied and the characters stay unread).
// An unknown character kind leaves the string and the characters as they
// are and answers -2. Otherwise answers the stream's status.
int32_t ReadStringFromStream(VString& string, VStream& stream);
