// The metafiles alive in the process, by handle: their stored bytes, shared
// and never changed once made. Internal to the metafile code.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class GdiMetafileTable {
 public:
  using Bytes = std::shared_ptr<const std::vector<uint8_t>>;

  // A new handle for the bytes (null when the table is full). Enhanced and
  // Windows metafiles have handles of their own kinds, so one is never taken
  // for the other, nor for a GDI object.
  static void* Insert(std::vector<uint8_t> bytes, bool enhanced);
  static void* Insert(Bytes bytes, bool enhanced);
  // The bytes of a live handle of that kind; null (ERROR_INVALID_HANDLE)
  // for a stale, forged or other handle.
  static Bytes Find(const void* handle, bool enhanced);
  static bool Remove(const void* handle, bool enhanced);
};
