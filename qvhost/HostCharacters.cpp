// Mac OS Roman to and from UTF-8 for the stand-in host.
#include "qvhost/HostCharacters.h"

#include <cstdio>

namespace {

// Mac OS Roman bytes 0x80 to 0xFF as Unicode code points; 0x00 to 0x7F are
// ASCII.
constexpr char16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The code point at text[at], advancing `at`; false for a byte sequence
// that is not UTF-8 (a stray continuation byte, a sequence cut short, an
// overlong form, a surrogate or a value beyond U+10FFFF).
bool NextCodePoint(const std::string& text, size_t& at, char32_t& c) {
  const auto lead = static_cast<uint8_t>(text[at]);
  size_t extra = 0;
  char32_t least = 0;
  if (lead < 0x80) {
    c = lead;
    ++at;
    return true;
  }
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, least = 0x80, c = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, least = 0x800, c = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, least = 0x10000, c = lead & 0x07;
  } else {
    return false;
  }
  if (at + extra >= text.size()) return false;  // cut short
  for (size_t k = 1; k <= extra; ++k) {
    const auto next = static_cast<uint8_t>(text[at + k]);
    if ((next & 0xC0) != 0x80) return false;
    c = (c << 6) | (next & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  at += extra + 1;
  return true;
}

// The Macintosh byte of a code point, or -1 when the set lacks it.
int MacByteOf(char32_t c) {
  if (c < 0x80) return static_cast<int>(c);
  for (int k = 0; k < 128; ++k)
    if (kMacRomanHigh[k] == c) return 0x80 + k;
  return -1;
}

}  // namespace

std::string MacToUtf8(const uint8_t* bytes, size_t count) {
  std::string out;
  for (size_t i = 0; i < count; ++i)
    AppendUtf8(out, bytes[i] < 0x80 ? bytes[i] : kMacRomanHigh[bytes[i] - 0x80]);
  return out;
}

std::string Utf8ToHostText(const std::string& text, std::string& mac) {
  mac.clear();
  size_t at = 0;
  while (at < text.size()) {
    char32_t c = 0;
    const size_t start = at;
    if (!NextCodePoint(text, at, c)) {
      mac.clear();
      return "the text is not UTF-8 (at byte " + std::to_string(start + 1) + ")";
    }
    const int byte = MacByteOf(c);
    if (byte < 0) {
      mac.clear();
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
      return '"' + text.substr(start, at - start) + "\" (" + code +
             ") is not in the host's character set (Mac OS Roman)";
    }
    mac += static_cast<char>(byte);
  }
  return {};
}

std::string Utf8ToMac(const std::string& text) {
  std::string out;
  size_t at = 0;
  while (at < text.size()) {
    char32_t c = 0;
    if (!NextCodePoint(text, at, c)) {
      ++at;  // a byte that is no character is left out
      continue;
    }
    if (const int byte = MacByteOf(c); byte >= 0) out += static_cast<char>(byte);
  }
  return out;
}
