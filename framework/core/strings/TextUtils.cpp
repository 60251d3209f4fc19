// Lengths and copies of raw texts.
#include "framework/core/strings/TextUtils.h"

#include <cstring>

#include "framework/core/memory/VMemoryMgr.h"

int32_t CStrLen(const char* text) {
  if (text == nullptr) return 0;
  return static_cast<int32_t>(std::strlen(text));
}

int32_t UniStrLen(const char16_t* text) {
  if (text == nullptr) return 0;
  int32_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

void CStrCopy(const char* source, char* destination) {
  if (source == nullptr || destination == nullptr) return;
  std::memcpy(destination, source, std::strlen(source) + 1);
}

void PStrCopyMax(const uint8_t* source, uint8_t* destination, int16_t room) {
  if (source == nullptr || destination == nullptr || room < 1) return;
  const int32_t whole = source[0] + 1;
  const int32_t n = room < whole ? room : whole;
  MoveBlock(source, destination, static_cast<uint32_t>(n));
  destination[0] = static_cast<uint8_t>(n - 1);
}

char* PToCStr(const uint8_t* source, char* destination, int16_t room) {
  if (source == nullptr || destination == nullptr || room < 1) return destination;
  const int32_t whole = source[0] + 1;
  const int32_t n = room < whole ? room : whole;
  if (n > 1) MoveBlock(source + 1, destination, static_cast<uint32_t>(n - 1));
  destination[n - 1] = 0;
  return destination;
}

void CToPStr(const char* source, uint8_t* destination, int16_t room) {
  if (destination == nullptr || room < 1) return;
  int32_t limit = room - 1;
  if (limit > 255) limit = 255;
  int32_t n = 0;
  if (source != nullptr)
    while (n < limit && source[n] != 0) ++n;
  if (n > 0) MoveBlock(source, destination + 1, static_cast<uint32_t>(n));
  destination[0] = static_cast<uint8_t>(n);
}
