// Colour icons from pixel art (see ColorIconText.h).
#include "tools/rescomp/ColorIconText.h"

#include <array>
#include <cctype>

namespace {

struct PaletteEntry {
  bool transparent = false;
  uint8_t red = 0, green = 0, blue = 0;
};

void Put16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v >> 8));
  out->push_back(static_cast<uint8_t>(v));
}

void Put32(std::vector<uint8_t>* out, uint32_t v) {
  Put16(out, v >> 16);
  Put16(out, v & 0xFFFF);
}

void PutBounds(std::vector<uint8_t>* out, uint32_t width, uint32_t height) {
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, height);
  Put16(out, width);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const int lower = std::tolower(static_cast<unsigned char>(c));
  return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

bool ParseEntry(const std::string& text, char* key, PaletteEntry* entry, std::string* error) {
  const bool printable = !text.empty() && text[0] > ' ' && text[0] < 0x7F;
  if (!printable || text.size() < 2 || text[1] != ' ') {
    *error = "palette entry '" + text + "' is not a character, a space and a colour";
    return false;
  }
  *key = text[0];
  const std::string value = text.substr(2);
  if (value == "none") {
    entry->transparent = true;
    return true;
  }
  if (value.size() != 6) {
    *error = "palette colour '" + value + "' needs six hex digits or none";
    return false;
  }
  uint8_t parts[3];
  for (int i = 0; i < 3; ++i) {
    const int hi = HexDigit(value[2 * i]), lo = HexDigit(value[2 * i + 1]);
    if (hi < 0 || lo < 0) {
      *error = "palette colour '" + value + "' needs six hex digits or none";
      return false;
    }
    parts[i] = static_cast<uint8_t>(hi * 16 + lo);
  }
  entry->red = parts[0];
  entry->green = parts[1];
  entry->blue = parts[2];
  return true;
}

}  // namespace

bool BuildColorIcon(const std::vector<std::string>& palette, const std::vector<std::string>& rows,
                    std::vector<uint8_t>* data, std::string* error) {
  if (palette.empty() || palette.size() > kColorIconMaxColors) {
    *error = "an icon's palette holds 1 to 256 entries";
    return false;
  }
  // Character to palette index; -1 for a character the palette lacks.
  std::array<int, 256> indexOf;
  indexOf.fill(-1);
  std::vector<PaletteEntry> entries(palette.size());
  for (size_t i = 0; i < palette.size(); ++i) {
    char key;
    if (!ParseEntry(palette[i], &key, &entries[i], error)) return false;
    int& slot = indexOf[static_cast<uint8_t>(key)];
    if (slot >= 0) {
      *error = std::string("palette character '") + key + "' is given twice";
      return false;
    }
    slot = static_cast<int>(i);
  }
  if (rows.empty() || rows.size() > kColorIconMaxSide) {
    *error = "an icon has 1 to 256 rows";
    return false;
  }
  const size_t width = rows[0].size();
  if (width == 0 || width > kColorIconMaxSide) {
    *error = "an icon's rows hold 1 to 256 pixels";
    return false;
  }
  for (size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].size() != width) {
      *error = "row " + std::to_string(r + 1) + " is not as wide as the first";
      return false;
    }
    for (char c : rows[r]) {
      if (indexOf[static_cast<uint8_t>(c)] < 0) {
        *error = "row " + std::to_string(r + 1) + " uses '" + std::string(1, c) +
                 "', which the palette lacks";
        return false;
      }
    }
  }

  const auto height = static_cast<uint32_t>(rows.size());
  const auto w = static_cast<uint32_t>(width);
  const uint32_t bitRowBytes = (w + 15) / 16 * 2;
  const uint32_t pixelRowBytes = (w + 1) / 2 * 2;
  std::vector<uint8_t>& out = *data;
  out.clear();
  // The pixel map record: 8 bits a pixel, indexed, 72 dots an inch.
  Put32(&out, 0);
  Put16(&out, 0x8000 | pixelRowBytes);
  PutBounds(&out, w, height);
  Put16(&out, 0);           // version
  Put16(&out, 0);           // pack type
  Put32(&out, 0);           // pack size
  Put32(&out, 0x00480000);  // horizontal resolution
  Put32(&out, 0x00480000);  // vertical resolution
  Put16(&out, 0);           // indexed pixels
  Put16(&out, 8);           // pixel size
  Put16(&out, 1);           // components
  Put16(&out, 8);           // component size
  Put32(&out, 0);           // plane bytes
  Put32(&out, 0);           // colour table
  Put32(&out, 0);           // reserved
  for (int map = 0; map < 2; ++map) {
    Put32(&out, 0);
    Put16(&out, bitRowBytes);
    PutBounds(&out, w, height);
  }
  Put32(&out, 0);  // icon data
  // The mask, then the one-bit image: most significant bit leftmost.
  for (int map = 0; map < 2; ++map) {
    for (const std::string& row : rows) {
      std::vector<uint8_t> bits(bitRowBytes, 0);
      for (uint32_t x = 0; x < w; ++x) {
        const PaletteEntry& e = entries[indexOf[static_cast<uint8_t>(row[x])]];
        const int luminance = (e.red * 299 + e.green * 587 + e.blue * 114) / 1000;
        const bool set = !e.transparent && (map == 0 || luminance < 128);
        if (set) bits[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
      out.insert(out.end(), bits.begin(), bits.end());
    }
  }
  // The colour table; a transparent entry is white, so that the colour
  // pixels leave what lies under the mask's holes as it was.
  Put32(&out, 0);
  Put16(&out, 0);
  Put16(&out, static_cast<uint32_t>(entries.size() - 1));
  for (size_t i = 0; i < entries.size(); ++i) {
    const PaletteEntry& e = entries[i];
    Put16(&out, static_cast<uint32_t>(i));
    Put16(&out, e.transparent ? 0xFFFF : e.red * 0x101u);
    Put16(&out, e.transparent ? 0xFFFF : e.green * 0x101u);
    Put16(&out, e.transparent ? 0xFFFF : e.blue * 0x101u);
  }
  for (const std::string& row : rows) {
    for (uint32_t x = 0; x < pixelRowBytes; ++x) {
      out.push_back(x < w ? static_cast<uint8_t>(indexOf[static_cast<uint8_t>(row[x])]) : 0);
    }
  }
  return true;
}
