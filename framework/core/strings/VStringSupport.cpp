// The strings' road to the international text manager: runs of character
// conversion with scratch room to spare, and the comparison of two strings
// of any kinds.
#include <cstring>
#include <string>

#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/strings/VStringSupport_p.h"

namespace strings_p {

namespace {

// Room for the converted text: no character of the scripts in use takes
// more than this many bytes, and 20 more keep a run from ever stopping short.
constexpr int32_t kMaxBytesPerUnit = 4;
constexpr int32_t kSpare = 20;

// Without a manager (before start, after stop) only ASCII crosses between
// the kinds: it is the same in all three, and nothing else can be told.
bool AsciiToUni(const uint8_t* bytes, int32_t count, std::u16string& out) {
  for (int32_t i = 0; i < count; ++i)
    if (bytes[i] < 0x80) out.push_back(bytes[i]);
  return true;
}

bool AsciiFromUni(const char16_t* units, int32_t count, std::string& out) {
  for (int32_t i = 0; i < count; ++i)
    if (units[i] < 0x80) out.push_back(static_cast<char>(units[i]));
  return true;
}

}  // namespace

bool BytesToUni(int32_t charSet, const uint8_t* bytes, int32_t count, std::u16string& out) {
  if (bytes == nullptr || count <= 0) return true;
  if (gIntlMgr == nullptr) return AsciiToUni(bytes, count, out);
  const size_t start = out.size();
  out.resize(start + static_cast<size_t>(count) + kSpare);
  const uint8_t* src = bytes;
  char16_t* dst = out.data() + start;
  const char16_t* dstEnd = dst + count + kSpare;
  const bool done = charSet == kCharSetMac ? gIntlMgr->MacToUni(src, dst, dstEnd, count)
                                           : gIntlMgr->WinToUni(src, dst, dstEnd, count);
  out.resize(static_cast<size_t>(dst - out.data()));
  return done;
}

bool UniToBytes(int32_t charSet, const char16_t* units, int32_t count, std::string& out) {
  if (units == nullptr || count <= 0) return true;
  if (gIntlMgr == nullptr) return AsciiFromUni(units, count, out);
  const size_t start = out.size();
  const size_t room = static_cast<size_t>(count) * kMaxBytesPerUnit + kSpare;
  out.resize(start + room);
  const char16_t* src = units;
  uint8_t* first = reinterpret_cast<uint8_t*>(out.data());
  uint8_t* dst = first + start;
  const uint8_t* dstEnd = dst + room;
  const bool done = charSet == kCharSetMac ? gIntlMgr->UniToMac(src, dst, dstEnd, count)
                                           : gIntlMgr->UniToWin(src, dst, dstEnd, count);
  out.resize(static_cast<size_t>(dst - first));
  return done;
}

bool BytesToOtherSet(int32_t fromSet, const uint8_t* bytes, int32_t count, std::string& out) {
  if (bytes == nullptr || count <= 0) return true;
  const size_t start = out.size();
  const size_t room = static_cast<size_t>(count) + kSpare;
  out.resize(start + room);
  const uint8_t* src = bytes;
  uint8_t* first = reinterpret_cast<uint8_t*>(out.data());
  uint8_t* dst = first + start;
  const uint8_t* dstEnd = dst + room;
  const bool done = fromSet == kCharSetAnsi ? VIntlMgr::AnsiToMacBytes(src, dst, dstEnd, count)
                                            : VIntlMgr::MacToAnsiBytes(src, dst, dstEnd, count);
  out.resize(static_cast<size_t>(dst - first));
  return done;
}

int32_t ByteSetFor(const VString& s, int32_t charSet) {
  if (charSet == kCharSetOwn) return s.GetCharKind() == kCharKindMac ? kCharSetMac : kCharSetAnsi;
  return charSet == kCharSetMac ? kCharSetMac : kCharSetAnsi;
}

int32_t TextToBytes(const VString& s, int32_t charSet, uint8_t* dst, const uint8_t* dstEnd) {
  const int32_t length = s.GetLength();
  if (dst == nullptr || dstEnd <= dst || length <= 0) return 0;
  uint8_t* const first = dst;
  HeldBuffer buffer(s);
  if (s.IsUnicode()) {
    const char16_t* src = buffer.Units();
    if (gIntlMgr == nullptr) {
      // Only ASCII has a byte form that can be told without the tables.
      for (int32_t i = 0; i < length && dst < dstEnd; ++i)
        if (src[i] < 0x80) *dst++ = static_cast<uint8_t>(src[i]);
    } else if (charSet == kCharSetMac) {
      gIntlMgr->UniToMac(src, dst, dstEnd, length);
    } else {
      gIntlMgr->UniToWin(src, dst, dstEnd, length);
    }
  } else if (s.GetCharKind() == charSet) {
    const int32_t room = static_cast<int32_t>(dstEnd - dst);
    const int32_t n = length < room ? length : room;
    std::memcpy(dst, buffer.Bytes(), static_cast<size_t>(n));
    dst += n;
  } else {
    const uint8_t* src = buffer.Bytes();
    if (charSet == kCharSetMac)
      VIntlMgr::AnsiToMacBytes(src, dst, dstEnd, length);
    else
      VIntlMgr::MacToAnsiBytes(src, dst, dstEnd, length);
  }
  return static_cast<int32_t>(dst - first);
}

int32_t TextToUnits(const VString& s, char16_t* dst, const char16_t* dstEnd) {
  const int32_t length = s.GetLength();
  if (dst == nullptr || dstEnd <= dst || length <= 0) return 0;
  char16_t* const first = dst;
  HeldBuffer buffer(s);
  if (s.IsUnicode()) {
    const int32_t room = static_cast<int32_t>(dstEnd - dst);
    const int32_t n = length < room ? length : room;
    std::memcpy(dst, buffer.Units(), static_cast<size_t>(n) * sizeof(char16_t));
    dst += n;
  } else {
    const uint8_t* src = buffer.Bytes();
    if (gIntlMgr == nullptr) {
      for (int32_t i = 0; i < length && dst < dstEnd; ++i)
        if (src[i] < 0x80) *dst++ = src[i];
    } else if (s.GetCharKind() == kCharKindMac) {
      gIntlMgr->MacToUni(src, dst, dstEnd, length);
    } else {
      gIntlMgr->WinToUni(src, dst, dstEnd, length);
    }
  }
  return static_cast<int32_t>(dst - first);
}

std::u16string UniTextOf(const VString& s) {
  std::u16string text;
  const int32_t length = s.GetLength();
  if (length <= 0) return text;
  HeldBuffer buffer(s);
  if (s.IsUnicode())
    text.assign(buffer.Units(), static_cast<size_t>(length));
  else
    BytesToUni(s.GetCharKind(), buffer.Bytes(), length, text);
  return text;
}

std::string ByteTextOf(const VString& s, int32_t charSet) {
  std::string text;
  const int32_t length = s.GetLength();
  if (length <= 0) return text;
  HeldBuffer buffer(s);
  if (s.IsUnicode())
    UniToBytes(charSet, buffer.Units(), length, text);
  else if (s.GetCharKind() == charSet)
    text.assign(reinterpret_cast<const char*>(buffer.Bytes()), static_cast<size_t>(length));
  else
    BytesToOtherSet(s.GetCharKind(), buffer.Bytes(), length, text);
  return text;
}

int32_t CompareStrings(const VString& a, const VString& b, bool strict) {
  const bool aNull = a.IsNull(kWholeValue);
  const bool bNull = b.IsNull(kWholeValue);
  if (aNull || bNull) return aNull == bNull ? 0 : (aNull ? -1 : 1);
  const std::u16string ta = UniTextOf(a);
  const std::u16string tb = UniTextOf(b);
  if (gIntlMgr != nullptr)
    return gIntlMgr->CompareUniTexts(ta.c_str(), static_cast<int32_t>(ta.size()), tb.c_str(),
                                     static_cast<int32_t>(tb.size()), strict);
  // Without a manager: code order, ASCII letters folded when not strict.
  auto fold = [strict](char16_t c) -> char16_t {
    return !strict && c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
  };
  const size_t n = ta.size() < tb.size() ? ta.size() : tb.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t ca = fold(ta[i]);
    const char16_t cb = fold(tb[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return ta.size() == tb.size() ? 0 : (ta.size() < tb.size() ? -1 : 1);
}

}  // namespace strings_p
