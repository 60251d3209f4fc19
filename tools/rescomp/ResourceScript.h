// The text form of resources that the resource compiler reads: a parser that
// turns one script into resources whose data is already in stored order.
//
//   # comment to the end of the line
//   resource 'TYPE' ID ["name"] [attrs N] {   (TYPE may be a number 1 to 65535)
//     u8 1 2 0xFF          one byte each (-128 to 255)
//     u16 1 0x1234 -2      16 bits each, big-endian (-32768 to 65535)
//     u32 ...              32 bits each, big-endian (-2^31 to 2^32 - 1)
//     hex "00 0A FF"       raw bytes; whitespace between digits is ignored
//     pstr "text"          a length byte and the text's Mac Roman bytes (at most 255)
//     bytes "text"         the text's Mac Roman bytes, no length
//     palette "..." ...    a 'cicn' resource's pixel art instead of bytes
//     pixels "..." ...     (ColorIconText.h)
//   }
//
// Texts (names, types, strings) are UTF-8 in the script and become Mac Roman
// bytes; a character that Mac Roman lacks is an error. Escapes inside quotes:
// \\ \" \' \t (9) \n (10) \r (13) \0 and \xHH (that byte, unconverted).
// Statements and values may spread over lines as they like.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CompiledResource {
  uint32_t type = 0;
  int16_t id = 0;
  std::string name;  // Mac Roman bytes; empty for no name
  uint8_t attrs = 0;
  std::vector<uint8_t> data;
  std::string where;  // "file:line" of its `resource` keyword
};

// Parses `text`, read from `fileName`, and appends its resources to `out`.
// On the first error answers false with `error` set to "file:line: message";
// the resources already in `out` are checked for repeated type and id too.
bool ParseResourceScript(const std::string& text, const std::string& fileName,
                         std::vector<CompiledResource>* out, std::string* error);

// UTF-8 text to Mac Roman bytes; false (with the offending character in
// `error`) for invalid UTF-8 or a character Mac Roman lacks.
bool Utf8ToMacRoman(const std::string& utf8, std::string* macRoman, std::string* error);
