// VIntlMgr's operations on its tables: conversion between Macintosh bytes,
// Windows ANSI bytes and UTF-16, case mapping, the character sets, and the
// comparison of characters and texts.
#include <cstring>

#include "framework/core/intl/TextTables.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/intl/VIntlMgrTableUse.h"
#include "framework/core/memory/VMemoryMgr.h"

namespace {

// ANSI (code page 1252) to Macintosh Roman and back, for bytes 0x80 to 0xFF;
// the two halves are inverse pairings of the 128 upper byte values.
constexpr uint8_t kAnsiToMacHigh[128] = {
    0xAD, 0xB0, 0xE2, 0xC4, 0xE3, 0xC9, 0xA0, 0xE0, 0xF6, 0xE4, 0xDE, 0xDC, 0xCE, 0xB2, 0xB3, 0xB6,
    0xB7, 0xD4, 0xD5, 0xD2, 0xD3, 0xA5, 0xD0, 0xD1, 0xF7, 0xAA, 0xDF, 0xDD, 0xCF, 0xBA, 0xFD, 0xD9,
    0xCA, 0xC1, 0xA2, 0xA3, 0xDB, 0xB4, 0xBD, 0xA4, 0xAC, 0xA9, 0xBB, 0xC7, 0xC2, 0xF0, 0xA8, 0xF8,
    0xA1, 0xB1, 0xC3, 0xC5, 0xAB, 0xB5, 0xA6, 0xE1, 0xFC, 0xC6, 0xBC, 0xC8, 0xF9, 0xDA, 0xD7, 0xC0,
    0xCB, 0xE7, 0xE5, 0xCC, 0x80, 0x81, 0xAE, 0x82, 0xE9, 0x83, 0xE6, 0xE8, 0xED, 0xEA, 0xEB, 0xEC,
    0xF5, 0x84, 0xF1, 0xEE, 0xEF, 0xCD, 0x85, 0xFB, 0xAF, 0xF4, 0xF2, 0xF3, 0x86, 0xFA, 0xB8, 0xA7,
    0x88, 0x87, 0x89, 0x8B, 0x8A, 0x8C, 0xBE, 0x8D, 0x8F, 0x8E, 0x90, 0x91, 0x93, 0x92, 0x94, 0x95,
    0xFE, 0x96, 0x98, 0x97, 0x99, 0x9B, 0x9A, 0xD6, 0xBF, 0x9D, 0x9C, 0x9E, 0x9F, 0xFF, 0xB9, 0xD8};

constexpr uint8_t kMacToAnsiHigh[128] = {
    0xC4, 0xC5, 0xC7, 0xC9, 0xD1, 0xD6, 0xDC, 0xE1, 0xE0, 0xE2, 0xE4, 0xE3, 0xE5, 0xE7, 0xE9, 0xE8,
    0xEA, 0xEB, 0xED, 0xEC, 0xEE, 0xEF, 0xF1, 0xF3, 0xF2, 0xF4, 0xF6, 0xF5, 0xFA, 0xF9, 0xFB, 0xFC,
    0x86, 0xB0, 0xA2, 0xA3, 0xA7, 0x95, 0xB6, 0xDF, 0xAE, 0xA9, 0x99, 0xB4, 0xA8, 0x80, 0xC6, 0xD8,
    0x81, 0xB1, 0x8D, 0x8E, 0xA5, 0xB5, 0x8F, 0x90, 0xDE, 0xFE, 0x9D, 0xAA, 0xBA, 0xA6, 0xE6, 0xF8,
    0xBF, 0xA1, 0xAC, 0xB2, 0x83, 0xB3, 0xB9, 0xAB, 0xBB, 0x85, 0xA0, 0xC0, 0xC3, 0xD5, 0x8C, 0x9C,
    0x96, 0x97, 0x93, 0x94, 0x91, 0x92, 0xF7, 0xBE, 0xFF, 0x9F, 0xBD, 0xA4, 0x8B, 0x9B, 0x8A, 0x9A,
    0x87, 0xB7, 0x82, 0x84, 0x89, 0xC2, 0xCA, 0xC1, 0xCB, 0xC8, 0xCD, 0xCE, 0xCF, 0xCC, 0xD3, 0xD4,
    0xAD, 0xD2, 0xDA, 0xDB, 0xD9, 0xD0, 0x88, 0x98, 0xAF, 0xBC, 0xDD, 0xD7, 0xB8, 0x9E, 0xF0, 0xFD};

// Characters 0x00 to 0xBF weigh their own code, except that the lower-case
// ASCII letters weigh as their capitals: the case-blind order of the common
// characters, without asking the system.
constexpr uint16_t Weight(char16_t c) { return (c >= 0x61 && c <= 0x7A) ? c - 0x20 : c; }

// Comparison flags of the system's locale comparison.
constexpr uint32_t kIgnoreCase = 0x1;
constexpr uint32_t kIgnoreKanaType = 0x10000;
constexpr uint32_t kIgnoreWidth = 0x20000;

// Whether the operating-system family takes UTF-16 calls (the NT family).
bool IsNTFamily(int32_t code) { return code == 2 || code == 4 || code == 6 || code == 7; }

// Copies the units from `src` on as bytes while they are ASCII, up to
// `srcEnd` or until `dst` reaches `dstEnd`, four units a step where it can.
void CopyAscii(const char16_t*& src, const char16_t* srcEnd, uint8_t*& dst, const uint8_t* dstEnd) {
  const size_t room = size_t(dstEnd - dst);
  const size_t n = size_t(srcEnd - src) < room ? size_t(srcEnd - src) : room;
  const char16_t* const stop = src + n;
  const char16_t* s = src;
  uint8_t* d = dst;
  while (stop - s >= 4) {
    uint64_t four;
    std::memcpy(&four, s, sizeof four);
    if ((four & 0xFF80FF80FF80FF80ull) != 0) break;
    d[0] = uint8_t(s[0]);
    d[1] = uint8_t(s[1]);
    d[2] = uint8_t(s[2]);
    d[3] = uint8_t(s[3]);
    s += 4;
    d += 4;
  }
  while (s < stop && *s <= 0x7F) *d++ = uint8_t(*s++);
  src = s;
  dst = d;
}

// The language that decides the direct byte conversion.
int32_t DirectConversionLanguage() {
  return gIntlMgr != nullptr ? gIntlMgr->GetLanguage() : kLanguageUSEnglish;
}

}  // namespace

// ---------------------------------------------------------------- bytes to UTF-16

bool VIntlMgr::ToUni(TableSlot slot, const uint8_t*& src, const uint8_t* srcEnd, bool zeroEnded,
                     char16_t*& dst, const char16_t* dstEnd) {
  TableUse use(*this, slot);
  while (true) {
    if (zeroEnded ? *src == 0 : src >= srcEnd) return true;
    if (dst >= dstEnd) return false;
    // ASCII is its own unit in every script: no lookup.
    if (*src < 0x80) {
      *dst++ = *src++;
      continue;
    }
    // A zero-terminated source is read no further than its zero byte: the
    // lookup stops at the first byte that differs from an entry, and no
    // entry holds a zero inside its sequence.
    const size_t available = zeroEnded ? SIZE_MAX : size_t(srcEnd - src);
    char16_t unit = 0;
    size_t consumed = 1;
    if (TextTables::ByteToUni(use.Table(), src, available, unit, consumed)) *dst++ = unit;
    src += consumed;
  }
}

void VIntlMgr::CharsToUni(TableSlot slot, const uint8_t* src, size_t count, char16_t* dst) {
  if (count == 0) return;
  TableUse use(*this, slot);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t c = src[i];
    if (c < 0x80) {
      dst[i] = c;
      continue;
    }
    // The byte alone: a lead byte of a longer sequence makes no unit.
    char16_t unit = 0;
    size_t consumed = 1;
    dst[i] = TextTables::ByteToUni(use.Table(), src + i, 1, unit, consumed) ? unit : 0;
  }
}

void VIntlMgr::MacCharsToUni(const uint8_t* src, size_t count, char16_t* dst) {
  CharsToUni(kMacToUni, src, count, dst);
}

void VIntlMgr::WinCharsToUni(const uint8_t* src, size_t count, char16_t* dst) {
  CharsToUni(kWinToUni, src, count, dst);
}

void VIntlMgr::MacCharToUniStep(const uint8_t*& src, const uint8_t* srcEnd, char16_t*& dst) {
  if (src >= srcEnd) return;
  TableUse use(*this, kMacToUni);
  char16_t unit = 0;
  size_t consumed = 1;
  if (TextTables::ByteToUni(use.Table(), src, size_t(srcEnd - src), unit, consumed)) *dst++ = unit;
  src += consumed;
}

void VIntlMgr::WinCharToUniStep(const uint8_t*& src, const uint8_t* srcEnd, char16_t*& dst) {
  if (src >= srcEnd) return;
  TableUse use(*this, kWinToUni);
  char16_t unit = 0;
  size_t consumed = 1;
  if (TextTables::ByteToUni(use.Table(), src, size_t(srcEnd - src), unit, consumed)) *dst++ = unit;
  src += consumed;
}

char16_t VIntlMgr::MacCharToUni(uint8_t c) {
  char16_t unit = 0;
  MacCharsToUni(&c, 1, &unit);
  return unit;
}

char16_t VIntlMgr::WinCharToUni(uint8_t c) {
  char16_t unit = 0;
  WinCharsToUni(&c, 1, &unit);
  return unit;
}

bool VIntlMgr::MacToUni(const uint8_t*& src, char16_t*& dst, const char16_t* dstEnd,
                        int32_t count) {
  return ToUni(kMacToUni, src, src + (count > 0 ? count : 0), false, dst, dstEnd);
}

bool VIntlMgr::WinToUni(const uint8_t*& src, char16_t*& dst, const char16_t* dstEnd,
                        int32_t count) {
  return ToUni(kWinToUni, src, src + (count > 0 ? count : 0), false, dst, dstEnd);
}

bool VIntlMgr::MacCToUni(const uint8_t*& src, char16_t*& dst, const char16_t* dstEnd) {
  return ToUni(kMacToUni, src, nullptr, true, dst, dstEnd);
}

bool VIntlMgr::WinCToUni(const uint8_t*& src, char16_t*& dst, const char16_t* dstEnd) {
  return ToUni(kWinToUni, src, nullptr, true, dst, dstEnd);
}

// ---------------------------------------------------------------- UTF-16 to bytes

bool VIntlMgr::FromUni(TableSlot slot, const char16_t*& src, const char16_t* srcEnd,
                       bool zeroEnded, uint8_t*& dst, const uint8_t* dstEnd) {
  TableUse use(*this, slot);
  while (true) {
    if (zeroEnded ? *src == 0 : src >= srcEnd) return true;
    // ASCII is its own byte in every script: a stretch of it is copied
    // without a lookup.
    if (!zeroEnded && *src <= 0x7F) {
      if (dst >= dstEnd) return false;
      CopyAscii(src, srcEnd, dst, dstEnd);
      continue;
    }
    if (*src <= 0x7F) {
      if (dst >= dstEnd) return false;
      *dst++ = uint8_t(*src++);
      continue;
    }
    // A character goes out whole or not at all: the run stops before a
    // character whose bytes do not all fit, so nothing is written past dstEnd.
    const uint8_t* bytes = nullptr;
    const uint32_t length = TextTables::UniToBytes(use.Table(), *src, bytes);
    if (length > size_t(dstEnd > dst ? dstEnd - dst : 0)) return false;
    if (length > 0) std::memcpy(dst, bytes, length);
    dst += length;
    ++src;
  }
}

bool VIntlMgr::UniCharToMac(const char16_t*& src, uint8_t*& dst, const uint8_t* dstEnd) {
  return FromUni(kUniToMac, src, src + 1, false, dst, dstEnd);
}

bool VIntlMgr::UniCharToWin(const char16_t*& src, uint8_t*& dst, const uint8_t* dstEnd) {
  return FromUni(kUniToWin, src, src + 1, false, dst, dstEnd);
}

void VIntlMgr::UniCharsToBytes(TableSlot slot, const char16_t* src, size_t count, uint8_t* dst) {
  if (count == 0) return;
  TableUse use(*this, slot);
  for (size_t i = 0; i < count; ++i) {
    const char16_t unit = src[i];
    if (unit <= 0x7F) {
      dst[i] = uint8_t(unit);
      continue;
    }
    const uint8_t* bytes = nullptr;
    dst[i] = TextTables::UniToBytes(use.Table(), unit, bytes) > 0 ? bytes[0] : 0;
  }
}

void VIntlMgr::UniCharsToMac(const char16_t* src, size_t count, uint8_t* dst) {
  UniCharsToBytes(kUniToMac, src, count, dst);
}

void VIntlMgr::UniCharsToWin(const char16_t* src, size_t count, uint8_t* dst) {
  UniCharsToBytes(kUniToWin, src, count, dst);
}

uint8_t VIntlMgr::UniCharToMac(char16_t c) {
  uint8_t byte = 0;
  UniCharsToMac(&c, 1, &byte);
  return byte;
}

uint8_t VIntlMgr::UniCharToWin(char16_t c) {
  uint8_t byte = 0;
  UniCharsToWin(&c, 1, &byte);
  return byte;
}

bool VIntlMgr::UniToMac(const char16_t*& src, uint8_t*& dst, const uint8_t* dstEnd,
                        int32_t count) {
  return FromUni(kUniToMac, src, src + (count > 0 ? count : 0), false, dst, dstEnd);
}

bool VIntlMgr::UniToWin(const char16_t*& src, uint8_t*& dst, const uint8_t* dstEnd,
                        int32_t count) {
  return FromUni(kUniToWin, src, src + (count > 0 ? count : 0), false, dst, dstEnd);
}

bool VIntlMgr::UniCToMac(const char16_t*& src, uint8_t*& dst, const uint8_t* dstEnd) {
  return FromUni(kUniToMac, src, nullptr, true, dst, dstEnd);
}

bool VIntlMgr::UniCToWin(const char16_t*& src, uint8_t*& dst, const uint8_t* dstEnd) {
  return FromUni(kUniToWin, src, nullptr, true, dst, dstEnd);
}

// ---------------------------------------------------------------- byte to byte

bool VIntlMgr::ConvertBytes(bool ansiToMac, const uint8_t*& src, uint8_t*& dst,
                            const uint8_t* dstEnd, int32_t count) {
  if (count < 0) count = 0;
  const uint8_t* const srcEnd = src + count;
  switch (DirectConversionLanguage()) {
    case 0x0404:
    case 0x0411:
    case 0x0412:
    case 0x0804:
      // Double-byte scripts: both encodings are the same code page.
      while (src < srcEnd && dst < dstEnd) *dst++ = *src++;
      return src == srcEnd;
    case 0x0406:
    case 0x0407:
    case 0x0409:
    case 0x040C:
    case 0x0410:
    case 0x0414:
    case 0x041D:
    case 0x0816:
    case 0x0C0A: {
      const uint8_t* high = ansiToMac ? kAnsiToMacHigh : kMacToAnsiHigh;
      while (src < srcEnd && dst < dstEnd) {
        const uint8_t c = *src++;
        *dst++ = c < 0x80 ? c : high[c - 0x80];
      }
      return src == srcEnd;
    }
    default:
      break;
  }
  if (gIntlMgr == nullptr) return false;
  // Every other language goes through UTF-16 with the loaded tables: n bytes
  // in, at most n bytes out. The destination advances by the bytes really
  // written, so a character that the other encoding lacks leaves no gap.
  const int32_t room = dstEnd > dst ? int32_t(dstEnd - dst) : 0;
  const int32_t n = count < room ? count : room;
  char16_t small[256];
  char16_t* units = small;
  if (n > int32_t(sizeof small / sizeof small[0])) {
    units = static_cast<char16_t*>(gMemoryMgr->NewBlock(uint32_t(n) * 2));
    if (units == nullptr) return false;
  }
  const uint8_t* in = src;
  char16_t* unitEnd = units;
  if (ansiToMac) {
    gIntlMgr->WinToUni(in, unitEnd, units + n, n);
  } else {
    gIntlMgr->MacToUni(in, unitEnd, units + n, n);
  }
  const char16_t* out = units;
  uint8_t* const limit = dst + n;
  if (ansiToMac) {
    gIntlMgr->UniToMac(out, dst, limit, int32_t(unitEnd - units));
  } else {
    gIntlMgr->UniToWin(out, dst, limit, int32_t(unitEnd - units));
  }
  if (units != small) gMemoryMgr->DisposeBlock(units);
  src += n;
  return n == count;
}

bool VIntlMgr::AnsiToMacBytes(const uint8_t*& src, uint8_t*& dst, const uint8_t* dstEnd,
                              int32_t count) {
  return ConvertBytes(true, src, dst, dstEnd, count);
}

bool VIntlMgr::MacToAnsiBytes(const uint8_t*& src, uint8_t*& dst, const uint8_t* dstEnd,
                              int32_t count) {
  return ConvertBytes(false, src, dst, dstEnd, count);
}

bool VIntlMgr::CopySameKind(const void* src, int32_t srcLength, int32_t srcKind, void* dst,
                            int32_t& dstLength, int32_t dstKind) {
  if (srcKind != dstKind) return false;
  int32_t n = srcLength < dstLength ? srcLength : dstLength;
  if (n < 0) n = 0;
  if (n > 0) std::memmove(dst, src, size_t(n));
  dstLength = n;
  return true;
}

// ---------------------------------------------------------------- case and sets

bool VIntlMgr::MapCaseRun(TableSlot slot, char16_t* text, int32_t count) {
  TableUse use(*this, slot);
  for (int32_t i = 0; i < count; ++i) text[i] = TextTables::MapCase(use.Table(), text[i]);
  return true;
}

bool VIntlMgr::ToUpper(char16_t* text, int32_t count, bool variant) {
  return MapCaseRun(variant ? kUpperNoAccents : kUpperPlain, text, count);
}

bool VIntlMgr::ToLower(char16_t* text, int32_t count, bool variant) {
  return MapCaseRun(variant ? kLowerNoAccents : kLowerPlain, text, count);
}

void VIntlMgr::ToUpperChar(char16_t& c, bool variant) { ToUpper(&c, 1, variant); }

void VIntlMgr::ToLowerChar(char16_t& c, bool variant) { ToLower(&c, 1, variant); }

bool VIntlMgr::IsInUSet(int32_t set, char16_t c) {
  if (set < 0 || set > 3) return false;
  TableUse use(*this, TableSlot(kSet0 + set));
  return TextTables::InSet(use.Table(), c);
}

// ---------------------------------------------------------------- comparison

// The system's locale comparison of two UTF-16 texts, answering 1 (less), 2
// (equal), 3 (greater), or 0 on failure. Ordered on three levels, as a
// locale's collation is: the letter itself (upper case, accents removed),
// then its accents, then its case (unless ignored). Full-width ASCII forms
// weigh as ASCII and katakana as hiragana when the flags ask for it.
int32_t VIntlMgr::SystemCompare(const char16_t* a, int32_t lengthA, const char16_t* b,
                                int32_t lengthB, uint32_t flags) {
  if (a == nullptr || b == nullptr) return 0;
  // A length of -1 reads the text up to its zero unit.
  auto measure = [](const char16_t* text, int32_t length) {
    if (length >= 0) return length;
    length = 0;
    while (text[length] != 0) ++length;
    return length;
  };
  lengthA = measure(a, lengthA);
  lengthB = measure(b, lengthB);
  auto fold = [flags](char16_t c) -> char16_t {
    if ((flags & kIgnoreWidth) != 0 && c >= 0xFF01 && c <= 0xFF5E) return char16_t(c - 0xFEE0);
    if ((flags & kIgnoreKanaType) != 0 && c >= 0x30A1 && c <= 0x30F6) return char16_t(c - 0x60);
    return c;
  };
  TableUse base(*this, kUpperNoAccents);
  TableUse accented(*this, kUpperPlain);
  const int32_t levels = (flags & kIgnoreCase) != 0 ? 2 : 3;
  for (int32_t level = 0; level < levels; ++level) {
    const int32_t n = lengthA < lengthB ? lengthA : lengthB;
    for (int32_t i = 0; i < n; ++i) {
      char16_t x = fold(a[i]);
      char16_t y = fold(b[i]);
      if (level == 0) {
        x = TextTables::MapCase(base.Table(), x);
        y = TextTables::MapCase(base.Table(), y);
      } else if (level == 1) {
        x = TextTables::MapCase(accented.Table(), x);
        y = TextTables::MapCase(accented.Table(), y);
      }
      if (x != y) return x < y ? 1 : 3;
    }
    if (level == 0 && lengthA != lengthB) return lengthA < lengthB ? 1 : 3;
  }
  return 2;
}

int32_t VIntlMgr::CompareChar(char16_t a, char16_t b, bool strict) {
  if (a < 0xC0 && b < 0xC0) {
    const uint16_t x = strict ? a : Weight(a);
    const uint16_t y = strict ? b : Weight(b);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  if (a == b) return 0;
  const uint32_t flags = kIgnoreKanaType | kIgnoreWidth | (strict ? 0 : kIgnoreCase);
  const VOSCodeQuery* query = VOSCodeQueryService::Get();
  const int32_t osCode = query != nullptr ? query->osCode() : 7;
  int32_t answer;
  if (IsNTFamily(osCode)) {
    answer = SystemCompare(&a, 1, &b, 1, flags);
  } else {
    // The older platforms compare ANSI text: each unit becomes its ANSI
    // bytes, zero-terminated, and those are read back as the system would.
    uint8_t bytesA[8] = {0};
    uint8_t bytesB[8] = {0};
    const char16_t* src = &a;
    uint8_t* dst = bytesA;
    UniToWin(src, dst, bytesA + sizeof bytesA - 1, 1);
    src = &b;
    dst = bytesB;
    UniToWin(src, dst, bytesB + sizeof bytesB - 1, 1);
    char16_t textA[8] = {0};
    char16_t textB[8] = {0};
    const uint8_t* in = bytesA;
    char16_t* out = textA;
    WinCToUni(in, out, textA + 7);
    in = bytesB;
    out = textB;
    WinCToUni(in, out, textB + 7);
    answer = SystemCompare(textA, -1, textB, -1, flags);
  }
  return answer == 0 ? -2 : answer - 2;
}

int32_t VIntlMgr::CompareUniTexts(const char16_t* a, int32_t lengthA, const char16_t* b,
                                  int32_t lengthB, bool strict) {
  if (lengthA < 0) lengthA = 0;
  if (lengthB < 0) lengthB = 0;
  // Prefix test: a second text ending in the wildcard matches every first
  // text that starts with the rest of it.
  if (fWildcardEnabled != 0 && lengthB > 0 && b[lengthB - 1] == fWildcard &&
      lengthB - 1 <= lengthA) {
    for (int32_t i = 0; i < lengthB - 1; ++i) {
      const int32_t order = CompareChar(a[i], b[i], strict);
      if (order != 0) return order;
    }
    return 0;
  }
  // The texts are walked to their zero terminators; the end of a text's
  // length counts as one, so a buffer without a terminator is never overrun.
  for (int32_t i = 0;; ++i) {
    const char16_t x = i < lengthA ? a[i] : 0;
    const char16_t y = i < lengthB ? b[i] : 0;
    if (x < 0xC0 && y < 0xC0) {
      const uint16_t wx = strict ? x : Weight(x);
      const uint16_t wy = strict ? y : Weight(y);
      if (wx != wy) return wx < wy ? -1 : 1;
      if (x == 0) return 0;
      continue;
    }
    if (x == 0 || y == 0) return x == 0 ? -1 : 1;
    const int32_t order = CompareChar(x, y, strict);
    if (order != 0) return order;
  }
}
