// Pictures and handles as the host holds them, for the tests of the
// commands that take and hand out pictures.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureHostForms.h"
#include "platform/toolbox/TbxHandles.h"

namespace tablecommands {

using Bytes = std::vector<uint8_t>;

inline Bytes HandleBytes(uint32_t handle) {
  const int32_t size = handle != 0 ? Tbx::GetHandleSize(handle) : 0;
  if (size <= 0) return {};
  const auto* data = static_cast<const uint8_t*>(Tbx::HLock(handle));
  Bytes bytes(data, data + size);
  Tbx::HUnlock(handle);
  return bytes;
}

inline uint32_t NewHandleWith(const Bytes& bytes) {
  const uint32_t handle = Tbx::NewHandle(int32_t(bytes.size()));
  if (!bytes.empty()) {
    std::memcpy(Tbx::HLock(handle), bytes.data(), bytes.size());
    Tbx::HUnlock(handle);
  }
  return handle;
}

// The bytes of a Macintosh picture of w x h pixels (header big-endian),
// as the host holds it: followed by its 6 bytes of trailer.
inline Bytes HostPictureBytes(int32_t w, int32_t h) {
  VMetafilePort recorder(nullptr, 0, 0, w, h);
  recorder.SetFillColor(RGB(0, 0, 255));
  recorder.PaintRect(0, 0, w, h);
  std::unique_ptr<VEmfPictureData> metafile(recorder.EndAsPictureData());
  VPictPictureData pict;
  pict.SetFromPicture(*metafile);
  const uint32_t handle = MacPictureOfValue(pict);
  Bytes bytes = HandleBytes(handle);
  Tbx::DisposeHandle(handle);
  bytes.insert(bytes.end(), 6, 0);
  return bytes;
}

// A picture's frame from its big-endian header: width and height.
inline std::pair<int32_t, int32_t> PictFrame(const Bytes& bytes) {
  if (bytes.size() < 10) return {-1, -1};
  auto word = [&](size_t at) { return int16_t(bytes[at] << 8 | bytes[at + 1]); };
  return {word(8) - word(4), word(6) - word(2)};
}

}  // namespace tablecommands
