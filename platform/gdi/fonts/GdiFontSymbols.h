// Recoding of Wingdings character codes to Unicode.
#pragma once

namespace GdiFonts {

// The Unicode character drawn for a UTF-16 unit of Wingdings text: codes 0x20
// to 0xFF (or 0xF020 to 0xF0FF) are recoded, 0 for a code without a
// counterpart; any other unit stands for itself.
char32_t WingdingsToUnicode(char16_t unit);

}  // namespace GdiFonts
