// Internals shared by the string classes: a guard that holds a string's
// buffer for a scope, and the character conversions and comparison, which
// belong to the international text manager and are reached through here.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/strings/VString.h"

namespace strings_p {

// Holds GetBuffer for the guard's life and releases it after.
class HeldBuffer {
 public:
  explicit HeldBuffer(const VString& s) : fString(s), fData(s.GetBuffer()) {}
  ~HeldBuffer() { fString.ReleaseBuffer(); }
  HeldBuffer(const HeldBuffer&) = delete;
  HeldBuffer& operator=(const HeldBuffer&) = delete;

  char16_t* Units() const { return static_cast<char16_t*>(fData); }
  uint8_t* Bytes() const { return static_cast<uint8_t*>(fData); }

 private:
  const VString& fString;
  void* fData;
};

// Bytes of a character set (0 Macintosh, any other value ANSI) to UTF-16,
// appended to `out`. False when the run did not complete; characters
// without a UTF-16 form are dropped.
bool BytesToUni(int32_t charSet, const uint8_t* bytes, int32_t count, std::u16string& out);
// UTF-16 to the bytes of a character set, appended to `out`; units without a
// byte form are dropped.
bool UniToBytes(int32_t charSet, const char16_t* units, int32_t count, std::string& out);
// Bytes of one set to the other: from ANSI to Macintosh when `fromSet` is 1,
// from Macintosh to ANSI when it is 0.
bool BytesToOtherSet(int32_t fromSet, const uint8_t* bytes, int32_t count, std::string& out);
// Positions below 1 address nothing: the part of the range of `count`
// characters from `start` that lies below 1 is dropped and the range starts
// at 1; a negative count is 0. When the start lies within the length the
// count is cut to what the text holds from there. A start past the length is
// left as it is, for the caller to treat.
inline void ClipRange(int32_t length, int32_t& start, int32_t& count) {
  int64_t first = start;
  int64_t n = count < 0 ? 0 : count;
  if (first < 1) {
    n -= 1 - first;
    first = 1;
    if (n < 0) n = 0;
  }
  if (first <= length && n > length - first + 1) n = length - first + 1;
  start = static_cast<int32_t>(first);
  count = static_cast<int32_t>(n);
}

// The 8-bit set a set argument stands for: -1 is the string's own kind (a
// UTF-16 string counts as ANSI), and any set other than 0 is ANSI.
int32_t ByteSetFor(const VString& s, int32_t charSet);

// Bounded copies out of a string's whole text. Each writes into
// [dst, dstEnd), stops at the first character whose form does not fit
// whole, drops characters without a form in the target, and answers the
// number of bytes or units written.
int32_t TextToBytes(const VString& s, int32_t charSet, uint8_t* dst, const uint8_t* dstEnd);
int32_t TextToUnits(const VString& s, char16_t* dst, const char16_t* dstEnd);

// -1, 0 or 1; strings of any kinds.
int32_t CompareStrings(const VString& a, const VString& b, bool strict);

// The string's whole text as UTF-16 (converted from its own kind) or as the
// bytes of one set (converted when the kinds differ). Copies, so they stay
// valid whatever happens to the string afterwards.
std::u16string UniTextOf(const VString& s);
std::string ByteTextOf(const VString& s, int32_t charSet);

}  // namespace strings_p
