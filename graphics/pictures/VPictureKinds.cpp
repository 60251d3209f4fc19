// The Windows metafile, QuickTime and placeholder picture values.
#include "graphics/pictures/VPictureKinds.h"

#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"

#include <cstring>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VStream.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureConversion.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

constexpr int32_t kPictureFailed = 600;

HMETAFILE WmfOfWord(uint32_t word) {
  return reinterpret_cast<HMETAFILE>(static_cast<uintptr_t>(word));
}

std::vector<uint8_t> WmfBits(HMETAFILE metafile) {
  std::vector<uint8_t> bits;
  if (metafile == nullptr) return bits;
  const UINT size = GetMetaFileBitsEx(metafile, 0, nullptr);
  if (size == 0) return bits;
  bits.resize(size);
  if (GetMetaFileBitsEx(metafile, size, bits.data()) != size) bits.clear();
  return bits;
}

std::vector<uint8_t> HandleBytes(uint32_t handle) {
  std::vector<uint8_t> bytes;
  if (handle == 0) return bytes;
  const int32_t size = Tbx::GetHandleSize(handle);
  if (size <= 0) return bytes;
  const Tbx::HandleLocker lock(handle);
  if (const auto* data = lock.As<const uint8_t>()) bytes.assign(data, data + size);
  return bytes;
}

uint32_t NewToolboxHandle(const uint8_t* bytes, uint32_t size) {
  if (size == 0 || size > 0x7FFFFFFF) return 0;
  const Tbx::Handle handle = Tbx::NewHandle(static_cast<int32_t>(size));
  if (handle == 0) return 0;
  {
    const Tbx::HandleLocker lock(handle);
    if (lock) {
      std::memcpy(lock.Data(), bytes, size);
      return handle;
    }
  }
  Tbx::DisposeHandle(handle);
  return 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Windows metafile

VWmfPictureData::VWmfPictureData(const VPictureData& source) { SetFromPicture(source); }

VWmfPictureData::~VWmfPictureData() { LetGo(); }

void VWmfPictureData::DisposeHeld(uint32_t handle) { DeleteMetaFile(WmfOfWord(handle)); }

HMETAFILE VWmfPictureData::GetMetafile() const { return WmfOfWord(fHandle); }

// The metafile made here is always the value's own.
void VWmfPictureData::Adopt(HMETAFILE metafile) {
  VHandlePictureData::SetHandle(MetafileWord(metafile), true);
}

VValue* VWmfPictureData::Clone() const {
  auto* copy = new VWmfPictureData;
  const std::vector<uint8_t> bits = WmfBits(GetMetafile());
  if (!bits.empty()) copy->SetFromData(bits.data(), static_cast<uint32_t>(bits.size()));
  return copy;
}

int32_t VWmfPictureData::GetPictureKind() const { return kPictureKindWMF; }
int32_t VWmfPictureData::GetWidth() const { return 0; }
int32_t VWmfPictureData::GetHeight() const { return 0; }
void VWmfPictureData::GetSize(int32_t& width, int32_t& height) const { width = height = 0; }
void VWmfPictureData::SetHandle(uint32_t, bool) {}

void VWmfPictureData::SetFromData(const void* bytes, uint32_t size) {
  LetGo();
  if (bytes == nullptr || size == 0) return;
  HMETAFILE metafile = SetMetaFileBitsEx(size, static_cast<const BYTE*>(bytes));
  if (metafile == nullptr) SetError(kPictureFailed);
  Adopt(metafile);
}

void VWmfPictureData::SetFromPicture(const VPictureData& source) {
  LetGo();
  if (!source.HasData()) return;
  if (source.GetPictureKind() == kPictureKindPICT) {
    const std::vector<uint8_t> bytes = static_cast<const VPictPictureData&>(source).StoredBytes();
    HMETAFILE metafile = ConvertPictToWmf(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (metafile == nullptr) SetError(kPictureFailed);
    Adopt(metafile);
  } else if (source.GetPictureKind() == kPictureKindWMF) {
    const std::vector<uint8_t> bits =
        WmfBits(static_cast<const VWmfPictureData&>(source).GetMetafile());
    if (!bits.empty()) SetFromData(bits.data(), static_cast<uint32_t>(bits.size()));
  }
}

void VWmfPictureData::WriteHex(VStream& stream) const {
  const std::vector<uint8_t> bits = WmfBits(GetMetafile());
  if (!bits.empty()) stream.PutHex(bits.data(), static_cast<uint32_t>(bits.size()));
}

uint32_t VWmfPictureData::DataSize() const {
  return fHandle != 0 ? GetMetaFileBitsEx(GetMetafile(), 0, nullptr) : 0;
}

int32_t VWmfPictureData::WriteData(VStream& stream) {
  const std::vector<uint8_t> bits = WmfBits(GetMetafile());
  if (stream.PutLong(static_cast<int32_t>(bits.size())) != 0 || bits.empty())
    return stream.GetStatus();
  stream.PutData(bits.data(), static_cast<uint32_t>(bits.size()));
  return stream.GetStatus();
}

// ---------------------------------------------------------------------------
// QuickTime

VQTPictureData::VQTPictureData(const void* bytes, uint32_t size) { SetFromData(bytes, size); }

VQTPictureData::~VQTPictureData() { LetGo(); }

void VQTPictureData::DisposeHeld(uint32_t handle) { Tbx::DisposeHandle(handle); }

VValue* VQTPictureData::Clone() const {
  auto* copy = new VQTPictureData;
  const std::vector<uint8_t> bytes = HandleBytes(fHandle);
  if (!bytes.empty()) copy->SetFromData(bytes.data(), static_cast<uint32_t>(bytes.size()));
  return copy;
}

int32_t VQTPictureData::GetPictureKind() const { return kPictureKindQuickTime; }

int16_t VQTPictureData::HeaderField(int index) const {
  if (fHandle == 0 || Tbx::GetHandleSize(fHandle) < 10) return 0;
  const Tbx::HandleLocker lock(fHandle);
  const auto* data = lock.As<const uint8_t>();
  if (data == nullptr) return 0;
  return static_cast<int16_t>(LoadBE16(data + index * 2));
}

int32_t VQTPictureData::GetWidth() const {
  return static_cast<int16_t>(HeaderField(4) - HeaderField(2));
}

int32_t VQTPictureData::GetHeight() const {
  return static_cast<int16_t>(HeaderField(3) - HeaderField(1));
}

void VQTPictureData::GetSize(int32_t& width, int32_t& height) const {
  width = GetWidth();
  height = GetHeight();
}

void VQTPictureData::SetFromData(const void* bytes, uint32_t size) {
  LetGo();
  if (bytes == nullptr || size == 0) return;
  const uint32_t handle = NewToolboxHandle(static_cast<const uint8_t*>(bytes), size);
  if (handle == 0) {
    SetError(static_cast<int32_t>(kMemNoMemory));
    return;
  }
  SetHandle(handle, true);
}

void VQTPictureData::SetFromPicture(const VPictureData& source) {
  LetGo();
  if (!source.HasData()) return;
  std::vector<uint8_t> bytes;
  switch (source.GetPictureKind()) {
    case kPictureKindPICT:
      bytes = static_cast<const VPictPictureData&>(source).StoredBytes();
      break;
    case kPictureKindEMF: {
      VPictPictureData pict;
      pict.SetFromPicture(source);
      bytes = pict.StoredBytes();
      break;
    }
    case kPictureKindQuickTime:
      bytes = HandleBytes(source.GetHandle());
      break;
    default:
      return;
  }
  if (bytes.empty()) {
    SetError(kPictureFailed);
    return;
  }
  SetFromData(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void VQTPictureData::WriteHex(VStream&) const {}

uint32_t VQTPictureData::DataSize() const {
  return fHandle != 0 ? static_cast<uint32_t>(Tbx::GetHandleSize(fHandle)) : 0;
}

int32_t VQTPictureData::WriteData(VStream& stream) {
  const std::vector<uint8_t> bytes = HandleBytes(fHandle);
  if (stream.PutLong(static_cast<int32_t>(bytes.size())) != 0 || bytes.empty())
    return stream.GetStatus();
  stream.PutData(bytes.data(), static_cast<uint32_t>(bytes.size()));
  return stream.GetStatus();
}

int32_t VQTPictureData::ReadData(VStream& stream) {
  const uint32_t size = stream.GetULong();
  if (stream.GetStatus() > 0) return stream.GetStatus();
  if (!stream.HasRemaining(size)) return stream.GetStatus();
  LetGo();
  if (size == 0) return stream.GetStatus();
  std::vector<uint8_t> bytes(size);
  uint32_t got = size;
  stream.ReadData(bytes.data(), got);
  if (stream.GetStatus() <= 0 && got == size) SetFromData(bytes.data(), size);
  return stream.GetStatus();
}

// ---------------------------------------------------------------------------
// Placeholder

VValue* VPlaceholderPictureData::Clone() const {
  auto* copy = new VPlaceholderPictureData;
  copy->fOwns = 1;
  return copy;
}

int32_t VPlaceholderPictureData::GetPictureKind() const { return kPictureKindPlaceholder; }
int32_t VPlaceholderPictureData::GetWidth() const { return 0; }
int32_t VPlaceholderPictureData::GetHeight() const { return 0; }
void VPlaceholderPictureData::GetSize(int32_t& width, int32_t& height) const {
  width = height = 0;
}
void VPlaceholderPictureData::SetHandle(uint32_t handle, bool owns) {
  fHandle = handle;
  fOwns = owns ? 1 : 0;
}

void VPlaceholderPictureData::DisposeHeld(uint32_t) {}

void VPlaceholderPictureData::SetFromData(const void*, uint32_t) {}

int32_t VPlaceholderPictureData::WriteData(VStream& stream) { return stream.GetStatus(); }

int32_t VPlaceholderPictureData::ReadData(VStream& stream) { return stream.GetStatus(); }
