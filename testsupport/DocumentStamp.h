// The modification stamp of a written own document file, found where it is:
// in the informations record ('wINF' id 0) of the file's resource store.
// Every write stamps it with the time of writing, so two writes made in
// different seconds differ there and nowhere else; comparisons of written
// documents look past it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace documentstamp {

// Reads a little-endian word of `bytes` at `at`; the caller has checked the
// room.
inline uint32_t Word32(const std::vector<uint8_t>& bytes, size_t at) {
  return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
         uint32_t(bytes[at + 3]) << 24;
}

// The offset of the informations record's data in a file this machine
// wrote (little-endian), or SIZE_MAX. The frame: an optional preview whose
// first word is its size, then u16 0, u16 0x8F8E, the header length twice,
// the body's 21-byte text header and the store (its length, then its
// bytes). The store: a 12-byte head ("SERV", version, entry count), then
// each entry: marker, type, a 32-byte name, length, id and 2 reserved
// bytes, the data, padding to 4.
inline size_t InformationsAt(const std::vector<uint8_t>& bytes) {
  constexpr size_t kBodyHeader = 21;
  constexpr uint32_t kMagic = 0x56524553;   // "SERV"
  constexpr uint32_t kMarker = 0x8E8EA1A1;
  constexpr uint32_t kInformations = 0x77494E46;  // 'wINF'
  // The signature, past a preview: at its size word's distance first, then
  // 64 KB further each time, as the reader looks.
  size_t frame = 0;
  for (bool first = true;; first = false) {
    if (frame + 4 > bytes.size()) return SIZE_MAX;
    const uint32_t word = uint32_t(bytes[frame]) | uint32_t(bytes[frame + 1]) << 8;
    if (word == 0 && bytes[frame + 2] == 0x8E && bytes[frame + 3] == 0x8F) break;
    frame += first && word != 0 ? word : 65536;
  }
  const size_t store = frame + 12 + kBodyHeader + 4;
  if (store + 12 > bytes.size() || Word32(bytes, store) != kMagic) return SIZE_MAX;
  const size_t end = std::min<size_t>(bytes.size(), store + Word32(bytes, store - 4));
  const uint32_t count = Word32(bytes, store + 8);
  size_t at = store + 12;
  for (uint32_t i = 0; i < count && at + 48 <= end; ++i) {
    if (Word32(bytes, at) != kMarker) {
      at += 4;
      continue;
    }
    const uint32_t type = Word32(bytes, at + 4);
    const uint32_t length = Word32(bytes, at + 40);
    const int16_t id = int16_t(bytes[at + 44] | bytes[at + 45] << 8);
    const size_t data = at + 48;
    if (length > end - data) return SIZE_MAX;
    if (type == kInformations && id == 0) return data;
    at = data + (size_t(length) + 3) / 4 * 4;
  }
  return SIZE_MAX;
}

// The bytes with the informations' modification date and time zeroed
// (bytes 14 to 19 and 24 to 27 of the record, behind its tag and version);
// unchanged when the file holds no such record.
inline std::vector<uint8_t> WithoutStamp(std::vector<uint8_t> bytes) {
  const size_t at = InformationsAt(bytes);
  if (at == SIZE_MAX || at + 28 > bytes.size()) return bytes;
  std::fill(bytes.begin() + long(at + 14), bytes.begin() + long(at + 20), 0);  // modification date
  std::fill(bytes.begin() + long(at + 24), bytes.begin() + long(at + 28), 0);  // modification time
  return bytes;
}

}  // namespace documentstamp
