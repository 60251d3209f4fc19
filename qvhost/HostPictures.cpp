// The stand-in host's pictures: metafiles and stored forms.
#include "qvhost/HostPictures.h"

#include <climits>
#include <cstring>
#include <vector>

#include "boundary/FourCC.h"
#include "boundary/HostRecords.h"
#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"
#include "platform/gdi/pict/PictInterpreter.h"
#include "platform/toolbox/TbxHandles.h"
#include "qvhost/HostBytes.h"

namespace {

// The Windows metafile of an enhanced one's records; null when either
// step fails.
HMETAFILE WindowsMetafileOf(HENHMETAFILE emf) {
  HDC screen = GetDC(nullptr);
  HMETAFILE wmf = nullptr;
  const UINT size = GetWinMetaFileBits(emf, 0, nullptr, MM_ANISOTROPIC, screen);
  if (size != 0) {
    std::vector<BYTE> bits(size);
    if (GetWinMetaFileBits(emf, size, bits.data(), MM_ANISOTROPIC, screen) == size)
      wmf = SetMetaFileBitsEx(size, bits.data());
  }
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return wmf;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  const auto* p = reinterpret_cast<const uint8_t*>(&v);
  out.insert(out.end(), p, p + 4);
}

bool Get32(const std::vector<uint8_t>& in, size_t& at, uint32_t& v) {
  if (in.size() - at < 4) return false;
  std::memcpy(&v, in.data() + at, 4);
  at += 4;
  return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> PictureStoredForm(const HostVariableEntry& entry) {
  if (entry.type == kHostPicture) {
    std::vector<uint8_t> bytes = HandleBytes(entry.value.data.handle);
    if (bytes.size() > entry.value.data.size) bytes.resize(entry.value.data.size);
    return bytes;
  }
  if (entry.type != kHostPictureArray) return std::nullopt;
  std::vector<uint8_t> out;
  Put32(out, entry.value.array.count);
  Put32(out, static_cast<uint16_t>(entry.value.array.current));
  const std::vector<uint8_t> slots = HandleBytes(entry.value.array.handle);
  for (size_t at = 0; at + 4 <= slots.size(); at += 4) {
    uint32_t handle = 0;
    std::memcpy(&handle, slots.data() + at, 4);
    const std::vector<uint8_t> picture = HandleBytes(handle);
    Put32(out, static_cast<uint32_t>(picture.size()));
    out.insert(out.end(), picture.begin(), picture.end());
  }
  return out;
}

bool PictureEntryFromStored(HostVariableEntry& entry, int32_t type,
                            const std::vector<uint8_t>& bytes) {
  if (type == kHostPicture) {
    entry.type = kHostPicture;
    entry.value.data.size = static_cast<uint32_t>(bytes.size());
    entry.value.data.handle = bytes.empty() ? 0 : NewHandleWith(bytes.data(), bytes.size());
    if (entry.value.data.handle == 0) entry.value.data.size = 0;
    return true;
  }
  if (type != kHostPictureArray) return false;
  size_t at = 0;
  uint32_t count = 0, current = 0;
  if (!Get32(bytes, at, count) || !Get32(bytes, at, current)) return false;
  std::vector<uint32_t> handles;
  bool whole = true;
  while (at < bytes.size()) {
    uint32_t length = 0;
    if (!Get32(bytes, at, length) || length > bytes.size() - at) {
      whole = false;
      break;
    }
    handles.push_back(length == 0 ? 0 : NewHandleWith(bytes.data() + at, length));
    at += length;
  }
  if (!whole) {
    for (uint32_t h : handles) {
      if (h != 0) Tbx::DisposeHandle(h);
    }
    return false;
  }
  entry.type = kHostPictureArray;
  entry.value.array.count = count;
  entry.value.array.current = static_cast<int16_t>(current);
  entry.value.array.handle = NewHandleWith(reinterpret_cast<const uint8_t*>(handles.data()),
                                           handles.size() * sizeof(uint32_t));
  return true;
}

std::string AnswerMetafile(HostParamBlock& block) {
  block.param1 = 0;
  const auto type = static_cast<uint32_t>(block.param2);
  if (type != FourCC("EMF ") && type != FourCC("WMF ")) return "metafile of unknown type: none";
  const std::vector<uint8_t> bytes = HandleBytes(static_cast<uint32_t>(block.handle));
  HENHMETAFILE emf = bytes.empty()
                         ? nullptr
                         : PictToEnhMetaFile(bytes.data(), static_cast<uint32_t>(bytes.size()));
  if (emf == nullptr) return "metafile: none";
  if (type == FourCC("EMF ")) {
    block.param1 = reinterpret_cast<uintptr_t>(emf);
    return "metafile EMF";
  }
  HMETAFILE wmf = WindowsMetafileOf(emf);
  DeleteEnhMetaFile(emf);
  block.param1 = reinterpret_cast<uintptr_t>(wmf);
  return wmf != nullptr ? "metafile WMF" : "metafile WMF: none";
}
