// Path texts of the file layer: UTF-16 units of strings and their UTF-8 form.
#include "framework/system/files/PathText_p.h"

#include <cstring>

#include "framework/core/strings/VString.h"

namespace files_p {

std::u16string UnitsOf(const VString& text) {
  const int32_t length = text.GetLength();
  if (length <= 0) return {};
  if (text.IsUnicode()) {
    const auto* units = static_cast<const char16_t*>(text.GetBuffer());
    std::u16string out(units, size_t(length));
    text.ReleaseBuffer();
    return out;
  }
  // An 8-bit character may widen into two units; one more for the terminator.
  std::u16string out(size_t(length) * 2 + 1, u'\0');
  const int32_t n = text.GetUniChars(out.data(), 0, int32_t(out.size()));
  out.resize(size_t(n > 0 ? n : 0));
  return out;
}

void SetUnits(VString& text, const std::u16string& units) {
  text.SetUniChars(units.data(), 0, int32_t(units.size()));
  text.SetNull(false, kWholeValue);
}

bool Utf8Of(const std::u16string& units, std::string* out) {
  out->clear();
  out->reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(units[i + 1]) - 0xDC00);
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
    if (c < 0x80) {
      out->push_back(char(c));
    } else if (c < 0x800) {
      out->push_back(char(0xC0 | (c >> 6)));
      out->push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out->push_back(char(0xE0 | (c >> 12)));
      out->push_back(char(0x80 | ((c >> 6) & 0x3F)));
      out->push_back(char(0x80 | (c & 0x3F)));
    } else {
      out->push_back(char(0xF0 | (c >> 18)));
      out->push_back(char(0x80 | ((c >> 12) & 0x3F)));
      out->push_back(char(0x80 | ((c >> 6) & 0x3F)));
      out->push_back(char(0x80 | (c & 0x3F)));
    }
  }
  return true;
}

std::u16string UnitsOfUtf8(const char* text, size_t length) {
  std::u16string out;
  out.reserve(length);
  const auto* p = reinterpret_cast<const uint8_t*>(text);
  size_t i = 0;
  while (i < length) {
    const uint8_t b = p[i];
    uint32_t c = 0;
    size_t n = 0;
    uint32_t least = 0;
    if (b < 0x80) {
      c = b, n = 1;
    } else if ((b & 0xE0) == 0xC0) {
      c = b & 0x1F, n = 2, least = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F, n = 3, least = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      c = b & 0x07, n = 4, least = 0x10000;
    }
    bool valid = n > 0 && i + n <= length;
    for (size_t k = 1; valid && k < n; ++k) {
      if ((p[i + k] & 0xC0) != 0x80)
        valid = false;
      else
        c = (c << 6) | (p[i + k] & 0x3F);
    }
    if (valid && n > 1 && (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)))
      valid = false;
    if (!valid) {
      out.push_back(u'\xFFFD');
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(char16_t(0xD800 + (c >> 10)));
      out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(char16_t(c));
    }
    i += n;
  }
  return out;
}

std::u16string UnitsOfUtf8(const std::string& text) {
  return UnitsOfUtf8(text.data(), text.size());
}

}  // namespace files_p
