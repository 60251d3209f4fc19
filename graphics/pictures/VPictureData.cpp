// The picture value base: its value answers, errors and stored form.
#include "graphics/pictures/VPictureData.h"

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/values/VPictureMaker.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureKinds.h"

VPictureData::~VPictureData() = default;

int32_t VPictureData::GetKind() const { return kValuePicture; }

int32_t VPictureData::Compare(const VValue&, int32_t, int32_t) const { return -1000; }

void VPictureData::SetError(int32_t code) {
  if (code == 0) return;
  if (fFirstError == 0) fFirstError = code;
  fLastError = code;
}

int32_t VPictureData::ReadFromStream(VStream& stream, uint32_t) { return ReadData(stream); }

int32_t VPictureData::WriteToStream(VStream& stream, uint32_t tag) {
  if (tag == kTagVVAL) {
    stream.PutLong(kValuePicture);
    stream.PutLong(GetPictureKind());
  }
  return WriteData(stream);
}

void VPictureData::SetFromPicture(const VPictureData&) {}
void VPictureData::WriteHex(VStream&) const {}
uint32_t VPictureData::DataSize() const { return 0; }

int32_t PictureKindFromType(uint32_t type) {
  switch (type) {
    case FourCC("PICT"): return kPictureKindPICT;
    case FourCC("EMF "): return kPictureKindEMF;
    case FourCC("WMF "): return kPictureKindWMF;
    case FourCC("DXF "): return kPictureKindDXF;
    case FourCC("EPSF"): return kPictureKindEPSF;
    case FourCC("BMP "): return kPictureKindBMP;
    case FourCC("GIF "): return kPictureKindGIF;
    case FourCC("PCX "): return kPictureKindPCX;
    case FourCC("JPEG"): return kPictureKindJPEG;
    case FourCC("TIFF"): return kPictureKindTIFF;
    case FourCC("QTIM"): return kPictureKindQuickTime;
    default: return kPictureKindNone;
  }
}

int32_t VPictureData::WriteData(VStream& stream) {
  stream.PutLong(0);
  return stream.GetStatus();
}

void VPictureData::SkipData(VStream& stream, uint32_t size) {
  constexpr uint32_t kLargestStep = 0x7FFFFFFF;
  while (size > 0 && stream.GetStatus() <= 0) {
    const uint32_t step = size < kLargestStep ? size : kLargestStep;
    stream.Skip(static_cast<int32_t>(step));
    size -= step;
  }
}

int32_t VPictureData::ReadData(VStream& stream) {
  const uint32_t size = stream.GetULong();
  if (stream.GetStatus() > 0 || size == 0) return stream.GetStatus();
  if (!stream.HasRemaining(size)) return stream.GetStatus();
  auto* block = static_cast<uint8_t*>(gMemoryMgr->NewBlock(size));
  if (block == nullptr) {
    SkipData(stream, size);
    return stream.GetStatus();
  }
  uint32_t got = size;
  stream.ReadData(block, got);
  if (stream.GetStatus() <= 0 && got == size) SetFromData(block, size);
  gMemoryMgr->DisposeBlock(block);
  return stream.GetStatus();
}

VPictureData* NewPictureData(int32_t pictureKind) {
  switch (pictureKind) {
    case kPictureKindPICT: return new VPictPictureData;
    case kPictureKindEMF: return new VEmfPictureData;
    case kPictureKindWMF: return new VWmfPictureData;
    case kPictureKindQuickTime: return new VQTPictureData;
    case kPictureKindPlaceholder: return new VPlaceholderPictureData;
    default: return nullptr;
  }
}

namespace {

VValue* MakePictureValue(int32_t pictureKind) { return NewPictureData(pictureKind); }

}  // namespace

const VPictureMaker kPictureValueMaker = {&MakePictureValue};
