// The UTF-8 / UTF-16 codec.
#include "framework/core/intl/Utf.h"

#include "platform/bytes/Utf8Put.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }


// The code point of the valid UTF-8 sequence at the start of `bytes` and its
// length, or a length of 0 when none starts there.
struct Decoded {
  char32_t c;
  size_t length;
};

Decoded DecodeUtf8(std::string_view bytes) {
  const auto lead = uint8_t(bytes[0]);
  char32_t c = 0;
  size_t n = 0;
  char32_t least = 0;  // below it, the form is overlong
  if (lead < 0x80) {
    return {lead, 1};
  } else if ((lead & 0xE0) == 0xC0) {
    c = lead & 0x1F, n = 2, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    c = lead & 0x0F, n = 3, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    c = lead & 0x07, n = 4, least = 0x10000;
  } else {
    return {0, 0};
  }
  if (n > bytes.size()) return {0, 0};
  for (size_t k = 1; k < n; ++k) {
    const auto b = uint8_t(bytes[k]);
    if ((b & 0xC0) != 0x80) return {0, 0};
    c = (c << 6) | (b & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {0, 0};
  return {c, n};
}

}  // namespace

bool Utf16ToUtf8(std::u16string_view units, std::string* out, VLoneSurrogate lone) {
  out->clear();
  out->reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (IsHighSurrogate(c) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(units[i + 1]) - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      if (lone == VLoneSurrogate::kRefuse) {
        out->clear();
        return false;
      }
      c = kReplacement;
    }
    PutUtf8(*out, c);
  }
  return true;
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    Decoded d = DecodeUtf8(bytes.substr(i));
    if (d.length == 0) d = {kReplacement, 1};
    if (d.c >= 0x10000) {
      const char32_t v = d.c - 0x10000;
      out.push_back(char16_t(0xD800 + (v >> 10)));
      out.push_back(char16_t(0xDC00 + (v & 0x3FF)));
    } else {
      out.push_back(char16_t(d.c));
    }
    i += d.length;
  }
  return out;
}

bool IsMultiByteUtf8(std::string_view bytes) {
  bool multiByte = false;
  for (size_t i = 0; i < bytes.size();) {
    if (uint8_t(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    const Decoded d = DecodeUtf8(bytes.substr(i));
    if (d.length == 0) return false;
    multiByte = true;
    i += d.length;
  }
  return multiByte;
}
