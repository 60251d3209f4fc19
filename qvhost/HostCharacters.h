// The stand-in host's character set, Mac OS Roman, and its conversions to
// and from UTF-8, the form of a script's texts and of the transcript.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Macintosh bytes as UTF-8.
std::string MacToUtf8(const uint8_t* bytes, size_t count);
inline std::string MacToUtf8(const std::string& bytes) {
  return MacToUtf8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// UTF-8 into Macintosh bytes in `mac`: empty on success, else why not (a
// text that is not UTF-8, or the first character the set lacks, named by
// its code point), with `mac` then empty. The script's texts go to the
// module through this, so that a character the host cannot hand over
// fails the line instead of reaching the module as other characters.
std::string Utf8ToHostText(const std::string& text, std::string& mac);

// UTF-8 into Macintosh bytes, leaving out what the set lacks: for the
// host's own words (names, resource names, expression texts), which the
// script reader has checked already where they came from a script.
std::string Utf8ToMac(const std::string& text);
