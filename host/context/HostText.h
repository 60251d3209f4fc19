// Texts between framework strings and the host's length-byte texts in the
// Macintosh character set.
#pragma once

#include <cstdint>

class VString;

// The string as a length-byte text of at most `maxChars` characters (and at
// most 255) in the Macintosh character set; `pascalText` holds maxChars + 1
// bytes at least. Characters without a Macintosh form are left out.
void StringToPText(const VString& text, uint8_t* pascalText, int32_t maxChars);
// The string set from a length-byte Macintosh text.
void PTextToString(const uint8_t* pascalText, VString& text);
