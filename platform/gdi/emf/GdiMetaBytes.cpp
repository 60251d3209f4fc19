// The metafile byte writer's growth: bounded, and out of memory reported as
// a failed writer rather than an exception.
#include "platform/gdi/emf/GdiMetaBytes.h"

#include <algorithm>
#include <new>

bool GdiByteWriter::Reserve(size_t more) {
  if (failed_) return false;
  if (more > kMaxBytes - bytes_.size()) {
    failed_ = true;
    return false;
  }
  try {
    size_t wanted = bytes_.size() + more;
    if (wanted > bytes_.capacity()) {
      bytes_.reserve(std::max(wanted, std::min(kMaxBytes, bytes_.capacity() * 2 + 256)));
    }
  } catch (const std::bad_alloc&) {
    failed_ = true;
    return false;
  }
  return true;
}

void GdiByteWriter::PutZeros(size_t n) {
  if (!Reserve(n)) return;
  bytes_.insert(bytes_.end(), n, 0);
}

void GdiByteWriter::PutBytes(const void* data, size_t n) {
  if (n == 0 || !Reserve(n)) return;
  const auto* p = static_cast<const uint8_t*>(data);
  bytes_.insert(bytes_.end(), p, p + n);
}

void GdiByteWriter::Patch32(size_t at, uint32_t v) {
  if (failed_ || at > bytes_.size() || bytes_.size() - at < 4) return;
  for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void GdiByteWriter::Patch16(size_t at, uint32_t v) {
  if (failed_ || at > bytes_.size() || bytes_.size() - at < 2) return;
  bytes_[at] = static_cast<uint8_t>(v);
  bytes_[at + 1] = static_cast<uint8_t>(v >> 8);
}
