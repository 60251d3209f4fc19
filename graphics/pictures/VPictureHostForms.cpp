// Picture values in the host's forms.
#include "graphics/pictures/VPictureHostForms.h"

#include <climits>
#include <cstring>
#include <vector>

#include "framework/core/streams/ByteSwap.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxPictures.h"

namespace {

// The PICT header: five 16-bit words.
constexpr uint32_t kHeaderSize = 10;
constexpr int32_t kHeaderWords = 5;

}  // namespace

VValue* NewMetafilePictureValue(HENHMETAFILE metafile) {
  if (metafile == nullptr) return nullptr;
  return new VEmfPictureData(metafile, true);
}

VValue* NewPictValueFromMacPicture(const uint8_t* bytes, uint32_t size) {
  if (bytes == nullptr || size < kHeaderSize) return nullptr;
  // The value holds the header in this machine's order.
  std::vector<uint8_t> copy(bytes, bytes + size);
  SwapArray16(copy.data(), kHeaderWords);
  auto* value = new VPictPictureData(copy.data(), size);
  if (!value->HasData()) {
    delete value;
    return nullptr;
  }
  return value;
}

namespace {

// A metafile drawn into a new Toolbox picture whose frame is the metafile's
// size in screen pixels; 0 for an empty or too large one.
uint32_t MetafileToToolboxPicture(const VEmfPictureData& emf) {
  int32_t width = 0;
  int32_t height = 0;
  emf.GetSize(width, height);
  if (width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF) return 0;
  const Tbx::Rect frame{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
  const Tbx::Handle picture = Tbx::OpenPicture(&frame);
  if (picture == 0) return 0;
  const bool played = Tbx::PlayMetafileIntoPicture(emf.GetMetafile(), &frame);
  Tbx::ClosePicture();
  if (!played || Tbx::GetHandleSize(picture) < static_cast<int32_t>(kHeaderSize)) {
    Tbx::DisposeHandle(picture);
    return 0;
  }
  return picture;
}

}  // namespace

uint32_t MacPictureOfValue(const VValue& value) {
  if (value.GetKind() != kValuePicture) return 0;
  const auto& picture = static_cast<const VPictureData&>(value);
  if (picture.GetPictureKind() == kPictureKindEMF && picture.HasData())
    return MetafileToToolboxPicture(static_cast<const VEmfPictureData&>(picture));
  std::vector<uint8_t> bytes;
  if (picture.GetPictureKind() == kPictureKindPICT) {
    bytes = static_cast<const VPictPictureData&>(picture).StoredBytes();
  }
  if (bytes.empty() || bytes.size() > INT32_MAX) return 0;
  const Tbx::Handle handle = Tbx::NewHandle(static_cast<int32_t>(bytes.size()));
  if (handle == 0) return 0;
  Tbx::HandleLocker data(handle);
  if (!data) {
    data.Unlock();
    Tbx::DisposeHandle(handle);
    return 0;
  }
  std::memcpy(data.As<uint8_t>(), bytes.data(), bytes.size());
  return handle;
}
