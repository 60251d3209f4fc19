// The named character references of HTML 4.0 and the encoder that writes a
// UTF-16 character in its HTML form; the framework's strings reach the
// encoder through VHtmlEntityEncoderService.
#pragma once

#include <cstdint>
#include <string>

// One named character reference: the name (at most 9 characters) and the
// UTF-16 character it stands for.
struct HTMLEntity {
  char name[10];
  uint16_t code;
};

// The 252 named references of HTML 4.0 in the standard's order (Latin-1,
// then symbols and Greek, then the special characters), from "nbsp" to
// "euro", followed by one record with an empty name that ends the table.
constexpr int32_t kHTMLEntityCount = 252;
extern const HTMLEntity HTMLEntityTable[kHTMLEntityCount + 1];

// The HTML form of a character as a length-prefixed text: "&name;" for a
// character with a name, "&#n;" for one below 32 or above 127 without a
// name, otherwise the character itself. The text stays valid until the next
// call.
const uint8_t* EncodeHtmlEntity(char16_t c);

// EncodeHtmlEntity for the framework's strings, installed at start.
struct VHtmlEntityEncoder;
extern const VHtmlEntityEncoder kHtmlEntityEncoder;

// One colour name of HTML browsers (at most 63 characters) with its red,
// green and blue.
struct HTMLColor {
  char name[64];
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};

// The 140 colour names, "aliceblue" to "yellowgreen" in alphabetical order;
// "lightgrey" is the only grey spelling.
constexpr int32_t kHTMLColorCount = 140;
extern const HTMLColor HTMLColorTable[kHTMLColorCount];

// A colour (blue << 16 | green << 8 | red) in its HTML form: the first name
// of the colour table with exactly its red, green and blue, else "#" and
// three pairs of lower-case hexadecimal digits, red first; in double
// quotation marks when `quoted`.
std::string EncodeHtmlColor(int32_t colour, bool quoted);
