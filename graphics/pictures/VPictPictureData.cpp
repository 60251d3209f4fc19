// The PICT picture value.
#include "graphics/pictures/VPictPictureData.h"

#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"

#include <algorithm>
#include <cstring>

#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/ByteSwap.h"
#include "framework/core/streams/VStream.h"
#include "graphics/VDIBPort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VQuickTimePictures.h"

namespace {

// The PICT header: size, top, left, bottom, right, 16 bits each.
constexpr uint32_t kHeaderSize = 10;
constexpr int32_t kHeaderFields = 5;
constexpr int kTop = 1;
constexpr int kLeft = 2;
constexpr int kBottom = 3;
constexpr int kRight = 4;

}  // namespace

VPictPictureData::VPictPictureData(const void* bytes, uint32_t size) { SetFromData(bytes, size); }

VPictPictureData::~VPictPictureData() { LetGo(); }

void VPictPictureData::LetGo() {
  SetCachedMetafile(nullptr);
  VHandlePictureData::LetGo();
}

void VPictPictureData::DisposeHeld(uint32_t handle) { gMemoryMgr->DisposeHandle(handle); }

uint32_t VPictPictureData::DataSize() const {
  const uint64_t own = fHandle != 0 ? gMemoryMgr->GetHandleSize(fHandle) : 0;
  const uint64_t drawn = fCachedMetafile != nullptr ? fCachedMetafile->DataSize() : 0;
  return static_cast<uint32_t>(std::min<uint64_t>(own + drawn, UINT32_MAX));
}

VValue* VPictPictureData::Clone() const {
  auto* copy = new VPictPictureData;
  if (fHandle != 0) {
    const VMemHandle duplicate = gMemoryMgr->DuplicateHandle(fHandle);
    if (duplicate != 0)
      copy->SetHandle(duplicate, true);
    else
      copy->SetError(static_cast<int32_t>(kMemNoMemory));
  }
  return copy;
}

int32_t VPictPictureData::GetPictureKind() const { return kPictureKindPICT; }

int16_t VPictPictureData::HeaderField(int index) const {
  if (fHandle == 0 || gMemoryMgr->GetHandleSize(fHandle) < kHeaderSize) return 0;
  VHandleLocker bytes(fHandle);
  if (!bytes) return 0;
  int16_t field;
  std::memcpy(&field, bytes.As<const uint8_t>() + index * 2, sizeof field);
  return field;
}

int32_t VPictPictureData::GetWidth() const {
  return static_cast<int16_t>(HeaderField(kRight) - HeaderField(kLeft));
}

int32_t VPictPictureData::GetHeight() const {
  return static_cast<int16_t>(HeaderField(kBottom) - HeaderField(kTop));
}

void VPictPictureData::GetSize(int32_t& width, int32_t& height) const {
  width = GetWidth();
  height = GetHeight();
}

void VPictPictureData::SetFromData(const void* bytes, uint32_t size) {
  LetGo();
  const VMemHandle handle = gMemoryMgr->NewHandleFromData(bytes, size);
  if (handle == 0) {
    SetError(static_cast<int32_t>(kMemNoMemory));
    return;
  }
  fHandle = handle;
  fOwns = 1;
}

void VPictPictureData::SetFromImportedData(const void* bytes, uint32_t size, int32_t kind) {
  const uint32_t fileType = PictureKindFromMacType(kind);
  if (fileType == 0) {
    LetGo();
    SetError(kImportFailed);
    return;
  }
  int32_t error = 0;
  std::vector<uint8_t> pict = ImportPictureData(bytes, size, fileType, error);
  if (error != 0) {
    LetGo();
    SetError(error);
    return;
  }
  // The library's PICT has its header big-endian; this value keeps it in
  // this machine's order.
  if (pict.size() >= kHeaderSize) SwapArray16(pict.data(), kHeaderFields);
  SetFromData(pict.data(), static_cast<uint32_t>(pict.size()));
}

void VPictPictureData::SetFromFile(const std::string& path) {
  int32_t error = 0;
  const std::vector<uint8_t> pict = ReadPictureFile(path, error);
  if (error != 0) {
    LetGo();
    SetError(error);
    return;
  }
  SetFromData(pict.data(), static_cast<uint32_t>(pict.size()));
}

int32_t VPictPictureData::WriteData(VStream& stream) {
  const uint32_t size = fHandle != 0 ? gMemoryMgr->GetHandleSize(fHandle) : 0;
  if (stream.PutLong(static_cast<int32_t>(size)) != 0 || size == 0) return stream.GetStatus();
  VHandleLocker lock(fHandle);
  const auto* bytes = lock.As<const uint8_t>();
  if (bytes == nullptr) return stream.GetStatus();
  if (size >= kHeaderSize) {
    // The header goes out big-endian from a copy; the handle keeps its own.
    uint8_t header[kHeaderSize];
    std::memcpy(header, bytes, kHeaderSize);
    SwapArray16(header, kHeaderFields);
    stream.PutData(header, kHeaderSize);
    stream.PutData(bytes + kHeaderSize, size - kHeaderSize);
  } else {
    stream.PutData(bytes, size);
  }
  return stream.GetStatus();
}

int32_t VPictPictureData::ReadData(VStream& stream) {
  const uint32_t size = stream.GetULong();
  if (stream.GetStatus() > 0) return stream.GetStatus();
  if (size == 0) {
    // The stored picture is empty: so is this value.
    LetGo();
    return stream.GetStatus();
  }
  if (!stream.HasRemaining(size)) return stream.GetStatus();
  const VMemHandle handle = gMemoryMgr->NewHandle(size, 0);
  VHandleLocker lock(handle);
  auto* bytes = lock.As<uint8_t>();
  if (bytes == nullptr) {
    // No room for the picture: its bytes are passed over so that the stream
    // stays in step, and the value is left empty.
    if (handle != 0) gMemoryMgr->DisposeHandle(handle);
    LetGo();
    SetError(static_cast<int32_t>(kMemNoMemory));
    SkipData(stream, size);
    return stream.GetStatus();
  }
  uint32_t got = size;
  stream.ReadData(bytes, got);
  if (stream.GetStatus() > 0 || got != size) {
    lock.Unlock();
    gMemoryMgr->DisposeHandle(handle);
    return stream.GetStatus();
  }
  if (size >= kHeaderSize) SwapArray16(bytes, kHeaderFields);
  lock.Unlock();
  SetHandle(handle, true);
  return stream.GetStatus();
}

std::vector<uint8_t> VPictPictureData::StoredBytes() const {
  std::vector<uint8_t> out;
  if (fHandle == 0) return out;
  const uint32_t size = gMemoryMgr->GetHandleSize(fHandle);
  VHandleLocker lock(fHandle);
  const auto* bytes = lock.As<const uint8_t>();
  if (bytes == nullptr) return out;
  out.assign(bytes, bytes + size);
  if (size >= kHeaderSize) SwapArray16(out.data(), kHeaderFields);
  return out;
}

void VPictPictureData::WriteHex(VStream& stream) const {
  const std::vector<uint8_t> bytes = StoredBytes();
  if (!bytes.empty()) stream.PutHex(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void VPictPictureData::SetFromPicture(const VPictureData& source) {
  LetGo();
  if (!source.HasData()) return;
  if (source.GetPictureKind() == kPictureKindPICT) {
    const VMemHandle duplicate = gMemoryMgr->DuplicateHandle(source.GetHandle());
    if (duplicate == 0) {
      SetError(static_cast<int32_t>(kMemNoMemory));
      return;
    }
    SetHandle(duplicate, true);
    return;
  }
  if (source.GetPictureKind() == kPictureKindEMF) {
    // The metafile is drawn on white into a 32-bit bitmap of its size, which
    // becomes the PICT.
    const auto& emf = static_cast<const VEmfPictureData&>(source);
    int32_t w = 0;
    int32_t h = 0;
    emf.GetSize(w, h);
    if (w <= 0 || h <= 0 || w > 0x7FFF || h > 0x7FFF) return;
    VDIBPort port(w, h, 32);
    HDC dc = port.GetCurrentDC();
    if (dc == nullptr) return;
    const RECT whole{0, 0, w, h};
    PatBlt(dc, 0, 0, w, h, WHITENESS);
    PlayEnhMetaFile(dc, emf.GetMetafile(), &whole);
    VPictPictureData* pict = port.ToPictPicture();
    if (pict == nullptr) {
      SetError(static_cast<int32_t>(kMemNoMemory));
      return;
    }
    const bool owns = pict->OwnsHandle();
    SetHandle(pict->DetachHandle(), owns);
    delete pict;
  }
}

void VPictPictureData::SetCachedMetafile(VEmfPictureData* metafile) {
  if (metafile == fCachedMetafile) return;
  delete fCachedMetafile;
  fCachedMetafile = metafile;
}

VEmfPictureData* VPictPictureData::MetafileForDrawing() {
  if (fCachedMetafile == nullptr && fHandle != 0) {
    auto* emf = new VEmfPictureData(*this);
    if (emf->HasData()) {
      fCachedMetafile = emf;
    } else {
      delete emf;
    }
  }
  return fCachedMetafile;
}
