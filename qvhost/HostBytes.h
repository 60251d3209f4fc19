// Handles and length-byte texts as the stand-in host reads and makes them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/toolbox/TbxHandles.h"

// A length-byte text's characters as they stand.
inline std::string Pascal(const uint8_t* text) {
  return std::string(reinterpret_cast<const char*>(text) + 1, text[0]);
}

// ASCII text (the host's own words and answers) into a length-byte text of
// at most `max` characters.
inline void SetPascal(uint8_t* target, const std::string& text, size_t max) {
  const size_t n = std::min(text.size(), max);
  target[0] = static_cast<uint8_t>(n);
  std::memcpy(target + 1, text.data(), n);
}

// The bytes of a handle, at most `limit` of them; none for no handle or a
// bad one.
inline std::vector<uint8_t> HandleBytes(uint32_t handle, size_t limit = SIZE_MAX) {
  std::vector<uint8_t> bytes;
  if (handle == 0) return bytes;
  const int32_t size = Tbx::GetHandleSize(handle);
  if (Tbx::MemError() != Tbx::noErr || size <= 0) return bytes;
  const auto* data = static_cast<const uint8_t*>(Tbx::HLock(handle));
  if (data != nullptr) bytes.assign(data, data + std::min<size_t>(static_cast<size_t>(size), limit));
  Tbx::HUnlock(handle);
  return bytes;
}

// A new handle holding a copy of the bytes; 0 when it cannot be made.
inline uint32_t NewHandleWith(const void* data, size_t size) {
  if (size > INT32_MAX) return 0;
  const Tbx::Handle h = Tbx::NewHandle(static_cast<int32_t>(size));
  if (h != 0 && size > 0) {
    std::memcpy(Tbx::HLock(h), data, size);
    Tbx::HUnlock(h);
  }
  return h;
}
