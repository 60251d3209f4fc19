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
// -1, 0 or 1; strings of any kinds.
int32_t CompareStrings(const VString& a, const VString& b, bool strict);

// The string's whole text as UTF-16 (converted from its own kind) or as the
// bytes of one set (converted when the kinds differ). Copies, so they stay
// valid whatever happens to the string afterwards.
std::u16string UniTextOf(const VString& s);
std::string ByteTextOf(const VString& s, int32_t charSet);

}  // namespace strings_p
