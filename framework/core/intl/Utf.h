// Utf: the one codec between UTF-16 units and UTF-8 bytes, for paths and
// every other text that the platform takes or gives as UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What becomes of a lone surrogate (a high one without a low one after it,
// or a low one alone) on the way to UTF-8, which cannot hold one.
enum class VLoneSurrogate : uint8_t {
  kRefuse,   // the whole conversion fails: no file name can hold one
  kReplace,  // it becomes U+FFFD and the rest converts
};

// Sets `out` to the UTF-8 form of `units`. False, with `out` empty, when a
// lone surrogate is refused.
bool Utf16ToUtf8(std::u16string_view units, std::string* out, VLoneSurrogate lone);

// The UTF-16 units of UTF-8 bytes. A byte that starts no valid sequence (a
// stray continuation byte, a sequence cut short, an overlong form, an
// encoded surrogate, a value past U+10FFFF) becomes U+FFFD, and the reading
// goes on at the byte after it.
std::u16string Utf8ToUtf16(std::string_view bytes);

// Whether `bytes` read as UTF-8 and only so: every byte belongs to a valid
// sequence and at least one sequence is of more than one byte (text of
// ASCII alone reads the same in every 8-bit character set).
bool IsMultiByteUtf8(std::string_view bytes);
