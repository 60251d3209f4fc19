// Path texts of the file layer: the UTF-16 units of a string, and the UTF-8
// form that the platform's file calls take. For the system services only.
#pragma once

#include <cstdint>
#include <string>

class VString;

namespace files_p {

// The characters of any string as UTF-16 units.
std::u16string UnitsOf(const VString& text);
// Replaces the string's text by the units.
void SetUnits(VString& text, const std::u16string& units);
// UTF-16 to UTF-8; false for a lone surrogate, which no file name can hold.
bool Utf8Of(const std::u16string& units, std::string* out);
// UTF-8 to UTF-16; a byte that starts no valid sequence becomes U+FFFD.
std::u16string UnitsOfUtf8(const char* text, size_t length);
std::u16string UnitsOfUtf8(const std::string& text);

// The separator of path parts on this platform.
constexpr char16_t kSeparator = u'/';

}  // namespace files_p
