// The pixel-art form of colour icons ('cicn') in resource scripts:
//
//   resource 'cicn' 9200 "WinCheckNormal" {
//     palette ". none" "k 000000" "w FFFFFF"
//     pixels "kkkk"
//            "kwwk"
//   }
//
// Each palette entry is a character, a space and six hex digits (red,
// green, blue) or "none" for a transparent pixel; each pixel row is a text
// of palette characters, every row as wide as the first. The icon is
// stored as an 8-bit indexed pixel map with its colour table, a mask that
// covers every pixel not transparent, and a one-bit image of the dark ones
// (the form the greyed drawing uses).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// At most 256 palette entries, 1 to 256 rows of 1 to 256 pixels.
constexpr size_t kColorIconMaxColors = 256;
constexpr size_t kColorIconMaxSide = 256;

// The stored 'cicn' bytes of the palette and rows; false with `error` set
// for an entry or a row that breaks the rules above.
bool BuildColorIcon(const std::vector<std::string>& palette, const std::vector<std::string>& rows,
                    std::vector<uint8_t>* data, std::string* error);
