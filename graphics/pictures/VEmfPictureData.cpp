// The enhanced-metafile picture value.
#include "graphics/pictures/VEmfPictureData.h"

#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"

#include <cmath>
#include <vector>

#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VStream.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureConversion.h"

uint32_t MetafileWord(const void* handle) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle));
}

HENHMETAFILE EnhMetafileOfWord(uint32_t word) {
  return reinterpret_cast<HENHMETAFILE>(static_cast<uintptr_t>(word));
}

namespace {

// Error of a conversion or of bytes that make no picture.
constexpr int32_t kPictureFailed = 600;

std::vector<uint8_t> BitsOf(HENHMETAFILE metafile) {
  std::vector<uint8_t> bits;
  if (metafile == nullptr) return bits;
  const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
  if (size == 0) return bits;
  bits.resize(size);
  if (GetEnhMetaFileBits(metafile, size, bits.data()) != size) bits.clear();
  return bits;
}

}  // namespace

VEmfPictureData::VEmfPictureData(HENHMETAFILE metafile, bool owns) { SetMetafile(metafile, owns); }

VEmfPictureData::VEmfPictureData(const void* bytes, uint32_t size) { SetFromData(bytes, size); }

VEmfPictureData::VEmfPictureData(const VPictureData& source) { SetFromPicture(source); }

VEmfPictureData::~VEmfPictureData() { LetGo(); }

void VEmfPictureData::DisposeHeld(uint32_t handle) { DeleteEnhMetaFile(EnhMetafileOfWord(handle)); }

HENHMETAFILE VEmfPictureData::GetMetafile() const { return EnhMetafileOfWord(fHandle); }

VValue* VEmfPictureData::Clone() const {
  auto* copy = new VEmfPictureData;
  if (fHandle != 0) {
    HENHMETAFILE duplicate = CopyEnhMetaFileA(GetMetafile(), nullptr);
    if (duplicate != nullptr)
      copy->SetMetafile(duplicate, true);
    else
      copy->SetError(static_cast<int32_t>(kMemNoMemory));
  }
  return copy;
}

int32_t VEmfPictureData::GetPictureKind() const { return kPictureKindEMF; }

void VEmfPictureData::GetSize(int32_t& width, int32_t& height) const {
  width = height = 0;
  if (fHandle == 0) return;
  ENHMETAHEADER header;
  if (GetEnhMetaFileHeader(GetMetafile(), sizeof header, &header) < sizeof header) return;
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return;
  const float horzRes = static_cast<float>(GetDeviceCaps(screen, HORZRES));
  const float vertRes = static_cast<float>(GetDeviceCaps(screen, VERTRES));
  const float horzSize = static_cast<float>(GetDeviceCaps(screen, HORZSIZE));
  const float vertSize = static_cast<float>(GetDeviceCaps(screen, VERTSIZE));
  ReleaseDC(nullptr, screen);
  if (horzSize <= 0.0f || vertSize <= 0.0f) return;
  const float w = horzRes * static_cast<float>(header.rclFrame.right - header.rclFrame.left) /
                  (horzSize * 100.0f);
  const float h = vertRes * static_cast<float>(header.rclFrame.bottom - header.rclFrame.top) /
                  (vertSize * 100.0f);
  width = static_cast<int32_t>(std::ceil(w));
  height = static_cast<int32_t>(std::ceil(h));
}

int32_t VEmfPictureData::GetWidth() const {
  int32_t w;
  int32_t h;
  GetSize(w, h);
  return w;
}

int32_t VEmfPictureData::GetHeight() const {
  int32_t w;
  int32_t h;
  GetSize(w, h);
  return h;
}

void VEmfPictureData::SetMetafile(HENHMETAFILE metafile, bool owns) {
  SetHandle(MetafileWord(metafile), owns);
}

void VEmfPictureData::SetFromData(const void* bytes, uint32_t size) {
  LetGo();
  if (bytes == nullptr || size == 0) return;
  HENHMETAFILE metafile = SetEnhMetaFileBits(size, static_cast<const BYTE*>(bytes));
  if (metafile == nullptr) {
    SetError(kPictureFailed);
    return;
  }
  SetMetafile(metafile, true);
}

void VEmfPictureData::SetFromWmfBits(const void* bits, uint32_t size, int32_t width,
                                     int32_t height) {
  LetGo();
  if (bits == nullptr || size == 0) return;
  const METAFILEPICT picture{MM_ANISOTROPIC, width, height, nullptr};
  HENHMETAFILE metafile =
      SetWinMetaFileBits(size, static_cast<const BYTE*>(bits), nullptr, &picture);
  if (metafile == nullptr) SetError(kPictureFailed);
  SetMetafile(metafile, true);
}

void VEmfPictureData::SetFromPicture(const VPictureData& source) {
  LetGo();
  if (!source.HasData()) return;
  if (source.GetPictureKind() == kPictureKindEMF) {
    const auto& emf = static_cast<const VEmfPictureData&>(source);
    HENHMETAFILE copy = CopyEnhMetaFileA(emf.GetMetafile(), nullptr);
    if (copy == nullptr) SetError(kPictureFailed);
    SetMetafile(copy, true);
    return;
  }
  if (source.GetPictureKind() == kPictureKindPICT) {
    const std::vector<uint8_t> bytes = static_cast<const VPictPictureData&>(source).StoredBytes();
    HENHMETAFILE metafile =
        bytes.empty() ? nullptr : ConvertPictToEmf(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (metafile == nullptr) SetError(kPictureFailed);
    SetMetafile(metafile, true);
  }
}

void VEmfPictureData::WriteHex(VStream& stream) const {
  const std::vector<uint8_t> bits = BitsOf(GetMetafile());
  if (!bits.empty()) stream.PutHex(bits.data(), static_cast<uint32_t>(bits.size()));
}

uint32_t VEmfPictureData::DataSize() const {
  return fHandle != 0 ? GetEnhMetaFileBits(GetMetafile(), 0, nullptr) : 0;
}

int32_t VEmfPictureData::WriteData(VStream& stream) {
  const std::vector<uint8_t> bits = BitsOf(GetMetafile());
  if (stream.PutLong(static_cast<int32_t>(bits.size())) != 0 || bits.empty())
    return stream.GetStatus();
  stream.PutData(bits.data(), static_cast<uint32_t>(bits.size()));
  return stream.GetStatus();
}

int32_t VEmfPictureData::ReadData(VStream& stream) {
  const uint32_t size = stream.GetULong();
  if (stream.GetStatus() > 0) return stream.GetStatus();
  if (!stream.HasRemaining(size)) return stream.GetStatus();
  LetGo();
  if (size == 0) return stream.GetStatus();
  auto* block = static_cast<uint8_t*>(gMemoryMgr->NewBlock(size));
  if (block == nullptr) {
    SkipData(stream, size);
    SetError(static_cast<int32_t>(kMemNoMemory));
    return static_cast<int32_t>(kMemNoMemory);
  }
  uint32_t got = size;
  stream.ReadData(block, got);
  if (stream.GetStatus() <= 0 && got == size) SetFromData(block, size);
  gMemoryMgr->DisposeBlock(block);
  return stream.GetStatus();
}
